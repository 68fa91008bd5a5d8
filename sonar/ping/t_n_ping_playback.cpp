// The playback reader's step: while a recording plays, one recorded ping
// at a time goes from the card into a descriptor of the pool and on to the
// director as a played-back ping, paced by the recorded time between pings.
//
// Pacing: normally the step sleeps for the reader's delay. While some sonar
// source is connected to another unit's server the step never sleeps (the
// network pings must not wait behind it); it polls the free-running clock
// against the time the next recorded ping is due instead.
//
// Beam activity: "CSBP" holds the beams that had a played-back ping within
// their last 12 reads; a recording ends when no beam is left.
#include "sonar/ping/t_n_ping.h"
#include "sonar/ping/t_n_ping_state.h"

#include "kernel/l_clock.h"
#include "kernel/l_queue.h"
#include "sonar/neighbour_standins.h"
#include "store/h_database.h"

#include <atomic>
#include <mutex>

using namespace t_n_ping;

namespace {

constexpr U32 PAUSED_SLEEP_MS = 500;
constexpr S32 END_OF_RECORDING_DELAY_MS = 300;
constexpr U8 BEAM_ACTIVE_READS = 12;
constexpr U32 PLAYED_BEAMS = 4;
constexpr U8 TRANSDUCER_DUAL_IMAGING = 15; // beam 2 of this transducer is a 2D beam

constexpr U32 READ_NOTHING = 0;
constexpr U32 READ_PING = 1;
constexpr U32 READ_BEAM_ENDED = 2;
constexpr U32 READ_EMPTY_COLUMN = 238;

// Only the playback task changes these, apart from the reset on entering
// playback (the ping task), which the lock keeps whole.
std::mutex s_beamLock;
U8 s_au8BeamCountDown[PLAYED_BEAMS] = {};
U32 s_u32LastBeamMask = 0;
std::atomic<U32> s_u32TimeOfNextRecordedPing{0};

enum class BEAM_EVENT { PING, GONE };

void vUpdateReadBeamPinging(BEAM beam, BEAM_EVENT eEvent)
{
    if (beam >= PLAYED_BEAMS)
        return;
    U32 u32Mask = 0;
    bool bChanged = false;
    {
        std::lock_guard<std::mutex> lock(s_beamLock);
        for (U32 b = 0; b < PLAYED_BEAMS; ++b) {
            if (s_au8BeamCountDown[b] != 0) {
                u32Mask |= 1u << b;
                --s_au8BeamCountDown[b];
            }
        }
        if (eEvent == BEAM_EVENT::PING) {
            s_au8BeamCountDown[beam] = BEAM_ACTIVE_READS;
            u32Mask |= 1u << beam;
        } else {
            s_au8BeamCountDown[beam] = 0;
            u32Mask &= ~(1u << beam);
        }
        bChanged = u32Mask != s_u32LastBeamMask;
        s_u32LastBeamMask = u32Mask;
    }
    if (bChanged)
        H_DATABASE_bUpdateValueU32(FCID("CSBP"), u32Mask, P_NORMAL);
}

U32 u32ActiveBeams(void)
{
    std::lock_guard<std::mutex> lock(s_beamLock);
    return s_u32LastBeamMask;
}

bool bAnySourceFromServer(void)
{
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
        if (U_PING_eGetNetworkClientState(s) == NETWORK_CLIENT_STATE_CONNECTED)
            return true;
    return false;
}

bool bPaused(U32 u32Mode)
{
    return u32Mode == PLAYBACK_MODE_PAUSED || u32Mode == PLAYBACK_MODE_PAUSED_BEGIN ||
           u32Mode == PLAYBACK_MODE_PAUSED_END;
}

void vSleep(S32 s32Delay)
{
    if (s32Delay > 0)
        L_CLOCK_Sleep((TICKS)s32Delay);
}

void vResetDescriptor(PING_DESCRIPTOR* p)
{
    p->Beam = PING_NO_BEAM;
    p->u8AdcChannel = 0;
    p->u8TransmitCycles = 0;
    p->u8TransmitPower = 0;
    p->u8NoiseLevel = 0;
    p->u8PeakNoiseLevel = 0;
    p->u8Transducer = 0;
    p->u8BandwidthControl = 0;
    p->bSimulated = FALSE;
    p->bReversePing = FALSE;
    p->Location.bPositionValid = FALSE;
    p->SimulatedFishList.u8NumberOfTargets = 0;
    p->SimulatedFishList.bSimulatedFishList = TRUE;
    p->fDepthMetres = 0.0f;
    p->fDepthOffsetFeet = 0.0f;
    p->u32NumberOfSamples = 0;
    p->u32SamplePeriodMicroSeconds = 0;
    p->u16MilliSecondsBetweenPings = 0;
    p->u16MilliSecondsBeforeNextPing = 0;
    p->u32TransmitFrequencyHertz = 0;
    p->u32TimeStampMilliSeconds = 0;
    p->u32PingIndex = 0;
    p->u32PPIPositionInfo = 0;
}

void vPutBack(PING_DESCRIPTOR* p)
{
    if (L_QUEUE_Put(Q_PING, &p) != 0)
        vFatal(__LINE__, "Couldn't return descriptor to queue");
}

NET_SOURCE_TYPE eSourceOf(const PING_DESCRIPTOR* p)
{
    if (p->Beam == 3 || (p->Beam == 2 && p->u8Transducer != TRANSDUCER_DUAL_IMAGING))
        return SONAR_SOURCE_KV;
    return SONAR_SOURCE_2D;
}

} // namespace

void T_N_PING_vResetReadBeamPinging(void)
{
    std::lock_guard<std::mutex> lock(s_beamLock);
    for (U8& u8 : s_au8BeamCountDown)
        u8 = 0;
    s_u32LastBeamMask = 0;
    s_u32TimeOfNextRecordedPing = 0;
}

void T_N_PING_vRecordPlayback(void)
{
    const U32 u32Mode = s_u32PlaybackMode;
    if (!U_PING_bGetPlayback() || bPaused(u32Mode)) {
        L_CLOCK_Sleep(PAUSED_SLEEP_MS);
        return;
    }
    const bool bPolling = bAnySourceFromServer();
    if (bPolling) {
        const U32 u32Due = s_u32TimeOfNextRecordedPing;
        if (H_TICK_u32ReadFreeRunningTimerInMilliSeconds() < u32Due)
            return;
    }
    PING_DESCRIPTOR* pDescriptor = nullptr;
    L_QUEUE_GetWait(Q_PING, &pDescriptor);
    vResetDescriptor(pDescriptor);

    S32 s32Delay = 0;
    BOOLEAN bSeek = s_bNeedSeekPing;
    const U32 u32Result = T_MMC_u32ReadPingFromMMC(pDescriptor, &s32Delay, (PLAYBACK_MODE_TYPE)u32Mode, &bSeek);
    if (!bSeek)
        s_bNeedSeekPing = FALSE;
    switch (u32Result) {
    case READ_PING:
        vUpdateReadBeamPinging(pDescriptor->Beam, BEAM_EVENT::PING);
        if (!bPolling)
            vSleep(s32Delay);
        X_pingDataDirector(eSourceOf(pDescriptor), TRUE, NETWORK_SONAR_PROCESS, pDescriptor);
        break;
    case READ_EMPTY_COLUMN:
        vUpdateReadBeamPinging(pDescriptor->Beam, BEAM_EVENT::GONE);
        if (!bPolling)
            vSleep(s32Delay);
        X_pingDataDirector(eSourceOf(pDescriptor), TRUE, NETWORK_SONAR_PROCESS_BLANK, pDescriptor);
        break;
    case READ_BEAM_ENDED:
        vUpdateReadBeamPinging(pDescriptor->Beam, BEAM_EVENT::GONE);
        if (u32ActiveBeams() == 0) {
            H_DATABASE_bUpdateValueU32(FCID("CPSP"), PLAYBACK_MODE_PAUSED_END, P_NORMAL);
            s32Delay = END_OF_RECORDING_DELAY_MS;
        }
        if (!bPolling)
            vSleep(s32Delay);
        vPutBack(pDescriptor);
        break;
    default: // nothing read, or a result the reader does not give
        vSleep(s32Delay);
        vPutBack(pDescriptor);
        break;
    }
    if (bPolling) {
        const U32 u32From = s_u32TimeOfNextRecordedPing != 0 ? s_u32TimeOfNextRecordedPing.load()
                                                              : H_TICK_u32ReadFreeRunningTimerInMilliSeconds();
        s_u32TimeOfNextRecordedPing = u32From + (U32)(s32Delay > 0 ? s32Delay : 0);
    }
}
