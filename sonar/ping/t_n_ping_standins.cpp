// Stand-ins of the ping cycles and the sharing sends (see the header).
#include "sonar/ping/t_n_ping_standins.h"

#include "kernel/l_clock.h"
#include "kernel/l_queue.h"
#include "sonar/ping/t_n_ping_state.h"

#include <cstring>
#include <mutex>

namespace {

constexpr U32 STANDIN_SAMPLES = 100;
constexpr U8 STANDIN_SAMPLE_LEVEL = 0x40;

std::mutex s_recordLock;
T_N_PING_STANDIN_RECORD s_record = {{0, 0, 0}, -1, FALSE, FALSE, 0};

void vNote(PING_CYCLE eCycle)
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    s_record.au32Cycles[eCycle]++;
    s_record.eLastCycle = eCycle;
    s_record.bLastSwitchToLocal = t_n_ping::s_bSwitchToLocalPing.exchange(FALSE);
    s_record.bLast2DNoKV = t_n_ping::s_bPing2DNoKV.exchange(FALSE);
}

void vNoteSend()
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    s_record.u32NetworkSends++;
}

struct CHANNEL {
    BEAM beam;
    NET_SOURCE_TYPE eSource;
    U32 u32FrequencyHertz;
};

// One descriptor per channel, filled and routed in channel order.
void vPing(const CHANNEL* pChannels, U32 u32Channels)
{
    PING_DESCRIPTOR* apDescriptor[3] = {};
    for (U32 c = 0; c < u32Channels; ++c)
        L_QUEUE_GetWait(Q_PING, &apDescriptor[c]);
    for (U32 c = 0; c < u32Channels; ++c) {
        PING_DESCRIPTOR* p = apDescriptor[c];
        p->Beam = pChannels[c].beam;
        p->u8AdcChannel = 0;
        p->u8TransmitCycles = 0;
        p->u8TransmitPower = 1;
        p->u32NumberOfSamples = STANDIN_SAMPLES;
        memset(p->pu8RawSonarData, STANDIN_SAMPLE_LEVEL, STANDIN_SAMPLES);
        p->bSimulated = t_n_ping::s_bSimulateCoprocessor;
        p->u32SamplePeriodMicroSeconds = PING_SAMPLE_PERIOD_US;
        p->u8Transducer = (U8)t_n_ping::s_db_TransducerSelect.load();
        p->u32TransmitFrequencyHertz = pChannels[c].u32FrequencyHertz;
        p->u32TimeStampMilliSeconds = H_TICK_u32ReadFreeRunningTimerInMilliSeconds();
        p->u32PingIndex = 0;
        p->bReversePing = FALSE;
        p->u32PPIPositionInfo = 0;
        X_pingDataDirector(pChannels[c].eSource, FALSE, NETWORK_SONAR_PROCESS, p);
    }
}

} // namespace

namespace t_n_ping {

void vPerformDownBeamOnlyPing(void)
{
    vNote(PING_CYCLE_DOWN_BEAM);
    static const CHANNEL channels[] = {{0, SONAR_SOURCE_2D, 83000}, {1, SONAR_SOURCE_2D, 200000}};
    vPing(channels, 2);
}

void vPerformSideScanPing(void)
{
    vNote(PING_CYCLE_SIDE_SCAN);
    s_bPingMaskChanged = FALSE;
    s_bNewSideRange = FALSE;
    static const CHANNEL channels[] = {
        {1, SONAR_SOURCE_2D, 200000}, {2, SONAR_SOURCE_KV, 455000}, {3, SONAR_SOURCE_KV, 455000}};
    vPing(channels, 3);
}

void vPerformKVPing(void)
{
    vNote(PING_CYCLE_KEELVIEW);
    // Transducer 15's beam 2 is its 455 kHz down beam, a 2D beam.
    static const CHANNEL channels[] = {
        {1, SONAR_SOURCE_2D, 200000}, {2, SONAR_SOURCE_2D, 455000}, {3, SONAR_SOURCE_KV, 800000}};
    vPing(channels, 3);
}

BOOLEAN T_N_PING_bControlChangeSend(FOURCHARID, U32, U32, const GMSG_ADDRESS*)
{
    vNoteSend();
    return TRUE;
}

void T_N_PING_vSendTransducerChange(U32) { vNoteSend(); }

BOOLEAN T_N_PING_bUnregisterForAllNetworkData(void)
{
    vNoteSend();
    return TRUE;
}

BOOLEAN T_N_PING_bSendToNetworkDestinations(NET_SOURCE_TYPE, networkSonarProcessType, PING_DESCRIPTOR*)
{
    return FALSE;
}

} // namespace t_n_ping

T_N_PING_STANDIN_RECORD T_N_PING_STANDIN_tRecord(void)
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    return s_record;
}

void T_N_PING_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    s_record = {{0, 0, 0}, -1, FALSE, FALSE, 0};
}
