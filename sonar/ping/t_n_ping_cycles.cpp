// The local ping cycles (see the header).
//
// A cycle's ping, in order: take its descriptors (waiting for the pool),
// work out the depths, rebuild and write the transmit block when one of the
// values it was built from changed (side-scan and Keelview only at the end
// of the running cycle of sequences), stamp the descriptors, read one block,
// map the channels to beams, fill each kept descriptor and hand it on; a
// channel without a beam, and every descriptor of a failed read, goes
// straight back to the pool.
//
// The block in force is owned by the cycle that wrote it. A cycle that
// finds another cycle's block (the ping task switched cycles under a
// networked 360 unit) writes its own at once: the remembered values of a
// cycle describe only the block it wrote itself.
#include "sonar/ping/t_n_ping_cycles.h"

#include "gmsg/u_networkdest.h"
#include "kernel/l_clock.h"
#include "kernel/l_queue.h"
#include "platform/h_coproc.h"
#include "platform/h_options.h"
#include "platform/h_ppi_motor.h"
#include "platform/h_xmitpower.h"
#include "sonar/dsp/s_demultiplex.h"
#include "sonar/dsp/s_synthsim.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_transducer_menus.h" // SONAR_DUAL_BEAM_VIEW_PRIORITY
#include "sonar/dsp/s_txcycles.h"
#include "sonar/ping/t_n_ping_state.h"
#include "sonar/screens/t_n_history_screens.h"
#include "store/h_database.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>

namespace t_n_ping {

const float fNewPingDepth[PING_DITHER_STEPS] = {1.294f, 1.345f, 1.385f, 1.228f, 1.263f, 1.338f, 1.322f, 1.279f,
                                                1.326f, 1.307f, 1.221f, 1.245f, 1.398f, 1.251f, 1.273f, 1.306f};

std::atomic<float> s_fNetworkDepthToListen{0.0f};
std::atomic<float> s_fNetworkDepthToPing{0.0f};

} // namespace t_n_ping

using namespace t_n_ping;

namespace {

// ---- Constants ----

constexpr float MIN_DEPTH_METRES = 2.1336f; // 7 feet
constexpr float DEPTH_PRESENT_METRES = 0.05f;
constexpr float SHALLOWEST_SEARCH_METRES = 10.0f;
constexpr float LOST_BOTTOM_START_METRES = 60.0f;
constexpr float LOST_BOTTOM_STEP_METRES = 5.0f;
constexpr float DITHER_FACTOR_FROM_METRES = 80.0f;
constexpr float DUAL_BEAM_EXTRA_FACTOR = 1.55f;
constexpr float PING_BELOW_BOTTOM_FACTOR = 1.25f;
constexpr U32 INVALID_DEPTHS_BEFORE_UNKNOWN = 3;
constexpr U32 DEPTHS_KNOWN_TO_END_DEEP_WATER = 4;
constexpr float NETWORK_DEFAULT_DEPTH_METRES = 10.0f;
constexpr float JIGGING_SHALLOW_EDGE_METRES = 10.0f;
constexpr float JIGGING_SHALLOW_DEPTH_METRES = 12.0f;
constexpr float JIGGING_MARGIN_METRES = 2.0f;

constexpr float CAP_200KHZ_METRES = 350.0f;
constexpr float LONG_MODE_DEPTH_METRES = 200.0f;
constexpr float LOW_FREQUENCY_DEEP_RANGE_METRES = 350.0f;
constexpr U32 LOW_FREQUENCY_NARROW_ABOVE_KHZ = 60;
constexpr float SHORT_KV_DEPTH_METRES = 12.5f;
constexpr float SHALLOW_DISPLAY_METRES = 10.0f;

constexpr U32 SAMPLE_TIME_SCALE = 2000000; // two-way, in microseconds per metre times the speed
constexpr U32 SAMPLE_ROUNDING_US = 13;

constexpr U8 RECEIVER_200KHZ = 1;
constexpr U8 BB_TX_POWER = 236;
constexpr U16 FREQ_455_DOWN_KHZ = 462;
constexpr U8 KV_800KHZ_CYCLES = 28;
constexpr BEAM CH_BEAM_LF = 0;
constexpr BEAM CH_BEAM_200KHZ = 1;
constexpr BEAM CH_BEAM_455KHZ = 2;
constexpr BEAM CH_BEAM_IMAGING = 3;

constexpr U32 NOISE_BYTES = 50;
constexpr TICKS NO_SOURCE_SLEEP_MS = 100;
constexpr U32 TRANSDUCER_KV_455 = 15;
constexpr U32 PPI_CLOCKWISE_SHIFT = 7;
constexpr U32 PPI_POSITION_SHIFT = 16;
constexpr U32 STEP_FACTOR_MASK = 0xFFFF;

// Receive enables are active low.
constexpr U8 RX_OFF_CHANNEL_0 = 0x02;
constexpr U8 RX_OFF_CHANNEL_1 = 0x04;
constexpr U8 RX_OFF_455_DOWN = 0x08;
constexpr U8 RX_OFF_CHANNEL_2 = 0x10;
constexpr U8 OUTPUT_2D = 1;
constexpr U8 OUTPUT_SIDE_1 = 2;
constexpr U8 OUTPUT_IMAGING = 4;

constexpr int NO_OWNER = -1;

// ---- Types ----

// What a transmit block was built from.
struct BLOCK_INPUTS {
    BEAM beamSelected;
    U32 u32PowerSetting;  // "SSTP"
    U32 u32CyclesSetting; // "SSTC"
    float fDepthToPing;
    U8 au8Bandwidth[4];
    U32 u32FreqImaging;
    BOOLEAN bSimulate;
    U32 u32View;
    BOOLEAN bBurnIn;
    float fSideRange;
    U32 u32Freq200;
    U32 u32FreqLF;
    U32 u32Transducer;
    BOOLEAN bNetworkClient;
    U32 u32Sources;
    U8 u8ImagingCycles;
    BOOLEAN bNoKV; // 2D without the Keelview beam
};

// One ping of a cycle.
struct PING {
    PING_CYCLE eCycle;
    U32 u32Transducer;
    BOOLEAN bSimulate;
    PING_FREQUENCIES freq;
    PING_DESCRIPTOR* apDescriptor[PING_CHANNELS];
    U32 u32Descriptors;
};

// ---- State (the ping task's thread) ----

U32 s_u32InvalidDepthCount = 0;
U16 s_u16SearchThrottle = 0;
U32 s_u32DitherIndex = 0;

int s_eBlockOwner = NO_OWNER;
BLOCK_INPUTS s_aPrevious[PING_CYCLE_COUNT] = {};
S8 s_s8BeamSequenceSave = 0;
S8 s_s8BeamSequenceCountDown = 0;
U8 s_aau8NoiseBuffer[PING_CYCLE_COUNT][NOISE_BYTES] = {};

S32 s_s32PPIPosition = PPI_MOTOR_HOME_POSITION;
BOOLEAN s_bPPIClockwise = TRUE;

std::mutex s_recordLock;
PING_CYCLE_RECORD s_record = {{0, 0, 0}, -1, FALSE, FALSE};

// ---- Helpers ----

bool bSimulationState(SYSTEM_STATE e) { return e == STATE_SIMULATION || e == STATE_POINT_OF_SALE; }

U32 u32FetchU32(FOURCHARID fcid, U32 u32Absent)
{
    U32 u32 = u32Absent;
    H_DATABASE_bFetchU32(fcid, &u32, nullptr, nullptr);
    return u32;
}

// A present float key; FALSE leaves *pf alone.
bool bFetchFloat(FOURCHARID fcid, float* pf)
{
    float f = 0.0f;
    if (!H_DATABASE_bFetchFloat(fcid, &f, nullptr, nullptr))
        return false;
    *pf = f;
    return true;
}

float fMax(float a, float b) { return a > b ? a : b; }
float fMin(float a, float b) { return a < b ? a : b; }

void vNote(PING_CYCLE eCycle)
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    s_record.au32Pings[eCycle]++;
    s_record.eLastCycle = eCycle;
    s_record.bLastSwitchToLocal = s_bSwitchToLocalPing;
    s_record.bLast2DNoKV = s_bPing2DNoKV;
}

void vReturnToPool(PING_DESCRIPTOR* pDescriptor)
{
    if (L_QUEUE_Put(Q_PING, &pDescriptor) != 0)
        vFatal(__LINE__, "Couldn't return descriptor to queue");
}

void vReturnAll(PING& ping)
{
    for (U32 i = 0; i < ping.u32Descriptors; ++i)
        vReturnToPool(ping.apDescriptor[i]);
    ping.u32Descriptors = 0;
}

void vTakeDescriptors(PING& ping, U32 u32Count)
{
    for (U32 i = 0; i < u32Count; ++i) {
        PING_DESCRIPTOR* p = nullptr;
        L_QUEUE_GetWait(Q_PING, &p);
        p->u32PingIndex = 0;
        p->bReversePing = FALSE;
        ping.apDescriptor[i] = p;
    }
    ping.u32Descriptors = u32Count;
}

bool bNetworkClientExists(void)
{
    void* pvTable = s_pvNetworkDestinations;
    if (pvTable == nullptr)
        return false;
    int index = 0;
    U32 u32UserData = 0;
    return U_NETWORKDEST_gapNext(pvTable, &index, &u32UserData) != nullptr;
}

U32 u32Sources(void) { return s_u32ClientPingMask | s_u32LocalPingMask; }

// Only network clients want the 2D source: their depths, not this unit's.
float fDepthsToPing(float* pfDepthToListen)
{
    if ((s_u32LocalPingMask & ELEMENT_2D) == 0 && (s_u32ClientPingMask & ELEMENT_2D) != 0)
        return fNetworkFindDepthToPing(pfDepthToListen);
    return fLocalFindDepthToPing(pfDepthToListen);
}

U32 u32ImagingFrequencyKhz(void)
{
    const FOURCHARID fcidFrequency = u32FetchU32(FCID("SSSF"), FCID("SSF4"));
    return u32FetchU32(fcidFrequency, 0);
}

bool bImaging800Khz(void) { return u32FetchU32(FCID("SSSF"), 0) == FCID("SSF5"); }

U32 u32View(void) { return u32FetchU32(FCID("CVEW"), (U32)U_PING_layeridGetCurrentView()); }

float fLowerDisplayEdge(bool* pbPresent)
{
    float fEdge = SHALLOWEST_SEARCH_METRES;
    *pbPresent = bFetchFloat(FCID("CSLD"), &fEdge);
    return fEdge;
}

// A bandwidth code of 0 (never given by the settings) is taken as the
// beam's usual one.
U8 u8Bandwidth(BEAM Beam, U8 u8WhenZero)
{
    const U8 u8Code = u8FetchBandwidth(Beam);
    return u8Code ? u8Code : u8WhenZero;
}

TXPOWER ePowerSetting(TXPOWER eAuto)
{
    const U32 u32Setting = s_u32TransmitPower;
    if (u32Setting == TXPOWER_AUTO)
        return eAuto;
    return u32Setting > TXPOWER_HI ? TXPOWER_HI : (TXPOWER)u32Setting;
}

TXPOWER e2DPower(float fDepthToPing)
{
    if (s_bBurnInMode)
        return TXPOWER_MED;
    if (s_u32TransmitPower == TXPOWER_AUTO)
        return H_XMITPOWER_eSelectTransmitPower(fDepthToPing);
    return ePowerSetting(TXPOWER_HI);
}

TXPOWER eImagingPower(void) { return s_bBurnInMode ? TXPOWER_MED : ePowerSetting(TXPOWER_HI); }

U8 u8Cycles(BEAM TableBeam, float fDepthToPing, U32 u32Transducer)
{
    const U8 u8Setting = (U8)(s_u32TransmitCycles & 0xFF);
    if (u8Setting != 0)
        return u8Setting;
    return S_TXCYCLES_u8CalculateTxCycles(TableBeam, fDepthToPing, 0.0f, u32Transducer);
}

U8 u8ImagingCycles(float fDepthToPing, U32 u32Transducer)
{
    if (bImaging800Khz())
        return KV_800KHZ_CYCLES;
    bool bEdge = false;
    const float fEdge = fLowerDisplayEdge(&bEdge);
    const float fDepth =
        (fDepthToPing <= SHORT_KV_DEPTH_METRES && bEdge && fEdge < SHALLOW_DISPLAY_METRES) ? fEdge : fDepthToPing;
    return S_TXCYCLES_u8CalculateTxCycles(CH_BEAM_IMAGING, fDepth, 0.0f, u32Transducer);
}

void vWriteDepth(FOURCHARID fcid, float fMetres) { H_DATABASE_bUpdateValueFloat(fcid, fMetres, P_NORMAL); }

bool bSameDepth(float a, float b, float fTolerance)
{
    return fTolerance > 0.0f ? std::fabs(a - b) <= fTolerance : a == b;
}

bool bSameInputs(const BLOCK_INPUTS& a, const BLOCK_INPUTS& b, float fTolerance)
{
    return a.beamSelected == b.beamSelected && a.u32PowerSetting == b.u32PowerSetting &&
           a.u32CyclesSetting == b.u32CyclesSetting && bSameDepth(a.fDepthToPing, b.fDepthToPing, fTolerance) &&
           memcmp(a.au8Bandwidth, b.au8Bandwidth, sizeof a.au8Bandwidth) == 0 &&
           a.u32FreqImaging == b.u32FreqImaging && a.bSimulate == b.bSimulate && a.u32View == b.u32View &&
           a.bBurnIn == b.bBurnIn && bSameDepth(a.fSideRange, b.fSideRange, fTolerance) &&
           a.u32Freq200 == b.u32Freq200 && a.u32FreqLF == b.u32FreqLF && a.u32Transducer == b.u32Transducer &&
           a.bNetworkClient == b.bNetworkClient && a.u32Sources == b.u32Sources &&
           a.u8ImagingCycles == b.u8ImagingCycles && a.bNoKV == b.bNoKV;
}

// The values every cycle's block is built from; the cycle adds its
// bandwidths and imaging values.
BLOCK_INPUTS tCommonInputs(const PING& ping, float fDepthToPing, U32 u32ViewNow, BOOLEAN bNetworkClient,
                           U32 u32SourcesNow)
{
    BLOCK_INPUTS inputs = {};
    inputs.beamSelected = U_PING_beamGetBeamSelected();
    inputs.u32PowerSetting = s_u32TransmitPower;
    inputs.u32CyclesSetting = s_u32TransmitCycles;
    inputs.fDepthToPing = fDepthToPing;
    inputs.bSimulate = ping.bSimulate;
    inputs.u32View = u32ViewNow;
    inputs.bBurnIn = s_bBurnInMode;
    inputs.u32Freq200 = ping.freq.u32Freq200;
    inputs.u32FreqLF = ping.freq.u32FreqLF;
    inputs.u32Transducer = ping.u32Transducer;
    inputs.bNetworkClient = bNetworkClient;
    inputs.u32Sources = u32SourcesNow;
    return inputs;
}

// The block in the transfer buffer, cleared for a builder.
U8* pu8ClearedBlock(void)
{
    U8* pu8Block = gpu8NonCachedDataBlock;
    memset(pu8Block, 0, MULTI_TX_BYTES);
    return pu8Block;
}

// Writes the block built for the cycle; it is the block in force only when
// the coprocessor took it.
bool bSendBlock(PING_CYCLE eCycle, const BLOCK_INPUTS& inputs)
{
    if (H_COPROC_u32Transfer(gpu8NonCachedDataBlock, MULTI_TX_BYTES, SEND_TO_COPROC) != MULTI_TX_BYTES) {
        s_eBlockOwner = NO_OWNER;
        return false;
    }
    s_eBlockOwner = eCycle;
    s_aPrevious[eCycle] = inputs;
    return true;
}

void vStamp(PING& ping)
{
    S32 s32Lat = 0, s32Lon = 0;
    BOOLEAN bLat = FALSE, bLon = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLat, nullptr))
        bLat = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLon, nullptr))
        bLon = FALSE;
    const U32 u32Now = H_TICK_u32ReadFreeRunningTimerInMilliSeconds();
    for (U32 i = 0; i < ping.u32Descriptors; ++i) {
        PING_DESCRIPTOR* p = ping.apDescriptor[i];
        p->Location.s32LatitudeMM = s32Lat;
        p->Location.s32LongitudeMM = s32Lon;
        p->Location.bPositionValid = (bLat && bLon) ? TRUE : FALSE;
        p->u32TimeStampMilliSeconds = u32Now;
    }
}

// One received block; the frames of the channels and their counts.
struct RECEIVED {
    TX_SEQUENCE echo;
    const U8* pu8Frames;
    U16 u16Noise;   // noise frames before the returns
    U16 u16Returns; // returns that fit a descriptor and came in whole
};

bool bReceive(RECEIVED* pReceived)
{
    const U32 u32Received = H_COPROC_u32Transfer(gpu8NonCachedDataBlock, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
    if (u32Received == 0)
        return false;
    // The noise frames are all counted, so that the returns are found
    // behind them; only the first 50 are kept.
    return S_DEMULTIPLEX_bTakeReceivedBlock(gpu8NonCachedDataBlock, u32Received, 0xFFFF, (U16)PING_MAX_SAMPLES,
                                            &pReceived->echo, &pReceived->pu8Frames, &pReceived->u16Noise,
                                            &pReceived->u16Returns) != FALSE;
}

void vSleepForSimulation(void)
{
    const S64 s64Us = opt_sleeper;
    if (s64Us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(s64Us));
}

void vFill(const PING& ping, PING_DESCRIPTOR* p, const PING_CHANNEL& channel, U8 u8Channel, const RECEIVED& rx)
{
    const TX_PULSE& pulse = rx.echo.TxPulse[channel.u8Pulse];
    p->Beam = channel.beam;
    p->u8TransmitCycles = pulse.u8TxCycles;
    p->u32TransmitFrequencyHertz = (U32)pulse.u16TxFreq * 1000;
    p->u32SamplePeriodMicroSeconds = PING_SAMPLE_PERIOD_US;
    p->u8Transducer = (U8)ping.u32Transducer;
    p->u8TransmitPower = 1;
    // What was really extracted: an echo that claims more than a
    // descriptor holds, or than the read carried, is cut to that.
    p->u32NumberOfSamples = rx.u16Returns;
    p->bSimulated = ping.bSimulate;
    p->u32PPIPositionInfo = 0;
    if (!ping.bSimulate) {
        U8* pu8Noise = s_aau8NoiseBuffer[ping.eCycle];
        const U16 u16Kept = rx.u16Noise < NOISE_BYTES ? rx.u16Noise : (U16)NOISE_BYTES;
        S_DEMULTIPLEX_vGetExtractRxData(rx.pu8Frames, u8Channel, u16Kept, 0, pu8Noise, nullptr);
        S_DEMULTIPLEX_vGetExtractRxData(rx.pu8Frames, u8Channel, rx.u16Noise, rx.u16Returns, nullptr,
                                        p->pu8RawSonarData);
        U32 u32Sum = 0;
        U8 u8Peak = 0;
        for (U32 i = 0; i < NOISE_BYTES; ++i) {
            u32Sum += pu8Noise[i];
            u8Peak = pu8Noise[i] > u8Peak ? pu8Noise[i] : u8Peak;
        }
        p->u8NoiseLevel = (U8)(u32Sum / NOISE_BYTES);
        p->u8PeakNoiseLevel = u8Peak;
        return;
    }
    if (ping.eCycle != PING_CYCLE_DOWN_BEAM)
        vSleepForSimulation();
    S_SYNTHSIM_fSynthesizeReturn(p);
    p->u8NoiseLevel = 0;
    p->u8PeakNoiseLevel = 0;
}

NET_SOURCE_TYPE eSourceOf(const PING_DESCRIPTOR* p)
{
    if (p->Beam == CH_BEAM_455KHZ && p->u8Transducer == TRANSDUCER_KV_455)
        return SONAR_SOURCE_2D;
    return (p->Beam == CH_BEAM_455KHZ || p->Beam == CH_BEAM_IMAGING) ? SONAR_SOURCE_KV : SONAR_SOURCE_2D;
}

U32 u32PPIInfo(bool bWithDirection)
{
    U32 u32Info = (U32)s_s32PPIPosition << PPI_POSITION_SHIFT | (s_u32SectorStepFactor & STEP_FACTOR_MASK);
    if (bWithDirection && s_bPPIClockwise)
        u32Info |= 1u << PPI_CLOCKWISE_SHIFT;
    return u32Info;
}

// Stamps, reads, maps, fills and hands on; a failed read returns everything.
// Returns whether a block was read.
bool bReadAndHandOn(PING& ping, U32 (*pfnPPIInfo)(void))
{
    vStamp(ping);
    RECEIVED rx;
    if (gpu8NonCachedDataBlock == nullptr || !bReceive(&rx)) {
        // A coprocessor that has nothing to send may have lost its
        // sequences (restarted): the next ping writes them again.
        s_eBlockOwner = NO_OWNER;
        vReturnAll(ping);
        return false;
    }
    PING_CHANNEL aChannels[PING_CHANNELS];
    vMapChannels(ping.eCycle, ping.u32Transducer, &rx.echo, &ping.freq, aChannels);
    for (U32 c = 0; c < ping.u32Descriptors; ++c) {
        PING_DESCRIPTOR* p = ping.apDescriptor[c];
        if (aChannels[c].beam == PING_NO_BEAM) {
            p->Beam = PING_NO_BEAM;
            vReturnToPool(p);
            continue;
        }
        vFill(ping, p, aChannels[c], (U8)c, rx);
        if (pfnPPIInfo)
            p->u32PPIPositionInfo = pfnPPIInfo();
        X_pingDataDirector(eSourceOf(p), FALSE, NETWORK_SONAR_PROCESS, p);
    }
    ping.u32Descriptors = 0;
    return true;
}

U32 u32SideScanPPIInfo(void) { return u32PPIInfo(true); }
U32 u32KeelviewPPIInfo(void) { return u32PPIInfo(false); }

// The first pulse with a frequency that drives the output; -1 for none.
int iMatchingPulse(const TX_SEQUENCE* pEcho, U8 u8Output)
{
    for (U32 i = 0; i < TX_PULSES; ++i)
        if (pEcho->TxPulse[i].u16TxFreq != 0 && (pEcho->TxPulse[i].u8TxOutput & u8Output))
            return (int)i;
    return -1;
}

PING_CHANNEL channel(BEAM beam, int iPulse) { return {beam, (U8)(iPulse < 0 ? 0 : iPulse)}; }

const PING_CHANNEL NO_CHANNEL = {PING_NO_BEAM, 0};

// The channel when the receiver is on and its output was driven.
PING_CHANNEL channelByOutput(const TX_SEQUENCE* pEcho, U8 u8Outputs, U8 u8RxOff, U8 u8Output, BEAM beam)
{
    if ((pEcho->bRxEnable & u8RxOff) || !(u8Outputs & u8Output))
        return NO_CHANNEL;
    const int iPulse = iMatchingPulse(pEcho, u8Output);
    return iPulse < 0 ? NO_CHANNEL : channel(beam, iPulse);
}

// The ping's depths, with the jigging rule where the cycle keeps it.
float fDepths(float* pfDepthToListen, bool bJigging, bool bSideRangeRule, float fSideRange)
{
    float fDepthToPing = fDepthsToPing(pfDepthToListen);
    if (bJigging && s_bJiggingModeOn) {
        T_N_PING_vModifyPingDepth(&fDepthToPing, pfDepthToListen);
        if (bSideRangeRule && fSideRange > fDepthToPing) {
            fDepthToPing = fSideRange;
            *pfDepthToListen = fSideRange;
        }
    }
    return fDepthToPing;
}

void vNoSourceWanted(PING& ping)
{
    vReturnAll(ping);
    L_CLOCK_Sleep(NO_SOURCE_SLEEP_MS);
}

// The count-down of the running cycle of sequences, after a ping that did
// not skip the block decision.
void vRestartCountDown(void)
{
    if (s_s8BeamSequenceCountDown <= 0)
        s_s8BeamSequenceCountDown = s_s8BeamSequenceSave;
    if (s_s8BeamSequenceCountDown > 0)
        --s_s8BeamSequenceCountDown;
}

void vRememberSequences(void)
{
    s_s8BeamSequenceSave = (S8)gpu8NonCachedDataBlock[MULTI_TX_COUNT_OFFSET];
    s_s8BeamSequenceCountDown = 0;
}

} // namespace

namespace t_n_ping {

// ---- Depths ----

U16 u16SamplesForDepth(float fDepthMetres)
{
    const U32 u32Speed = S_COPROC_u32SpeedOfSound(1);
    const float fUs = fDepthMetres * (float)SAMPLE_TIME_SCALE / (float)u32Speed;
    if (!(fUs > 0.0f))
        return (U16)(SAMPLE_ROUNDING_US / PING_SAMPLE_PERIOD_US);
    if (fUs >= 65536.0f * PING_SAMPLE_PERIOD_US)
        return 0xFFFF;
    const U32 u32Samples = ((U32)fUs + SAMPLE_ROUNDING_US) / PING_SAMPLE_PERIOD_US;
    return u32Samples > 0xFFFF ? (U16)0xFFFF : (U16)u32Samples;
}

float fLocalFindDepthToPing(float* pfDepthToListen)
{
    float fDepth = 0.0f;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchFloat(FCID("IDEP"), &fDepth, &bValid, nullptr) || !bValid) {
        fDepth = 0.0f;
        if (++s_u32InvalidDepthCount > INVALID_DEPTHS_BEFORE_UNKNOWN)
            U_PING_vSetDepthKnownCnt(0);
    } else {
        s_u32InvalidDepthCount = 0;
        U_PING_vIncrementDepthKnownCnt(1);
    }
    U_PING_vSetCurrentDepth(fDepth);

    const float fMaxRange = S_TRANSDUCER_fMaximumDepthRangeMetres();
    if (U_PING_u32GetDepthKnownCnt() > DEPTHS_KNOWN_TO_END_DEEP_WATER) {
        U_PING_vSetDeepWaterMode(FALSE);
    } else if (U_PING_bGetDeepWaterMode()) {
        *pfDepthToListen = fMaxRange;
        return fMax(fMaxRange, MIN_DEPTH_METRES);
    }

    bool bEdge = false;
    const float fEdge = fLowerDisplayEdge(&bEdge);
    float d = fMax(fDepth, SHALLOWEST_SEARCH_METRES);
    if (bEdge)
        d = fMax(d, fEdge);
    if (std::fabs(fDepth) >= DEPTH_PRESENT_METRES) {
        s_u16SearchThrottle = 0;
    } else {
        const float fBase = fMax(fEdge, LOST_BOTTOM_START_METRES) + LOST_BOTTOM_STEP_METRES * s_u16SearchThrottle;
        ++s_u16SearchThrottle;
        d = fMax(d, fBase);
    }

    const float f = fNewPingDepth[s_u32DitherIndex];
    float fListen;
    if (d >= DITHER_FACTOR_FROM_METRES) {
        fListen = d * f;
    } else {
        const BEAM beam = U_PING_beamGetBeamSelected();
        const bool bDualBeam =
            beam == 0 || beam == 4 || U_PING_layeridGetCurrentView() == SONAR_DUAL_BEAM_VIEW_PRIORITY;
        fListen = bDualBeam ? d * (f + DUAL_BEAM_EXTRA_FACTOR) : d + f * d;
    }
    s_u32DitherIndex = (s_u32DitherIndex + 1) % PING_DITHER_STEPS;
    float fPing = d * PING_BELOW_BOTTOM_FACTOR;

    const float fSetting = s_fMaxDepthToPing;
    const float fLimit = T_N_PING_bAutoDepthRange(fSetting, s_eDepthUnits) ? fMaxRange : fSetting;
    fPing = fMax(fMin(fPing, fLimit), MIN_DEPTH_METRES);
    fListen = fMax(fMin(fListen, fLimit), MIN_DEPTH_METRES);
    *pfDepthToListen = fListen;
    return fPing;
}

float fNetworkFindDepthToPing(float* pfDepthToListen)
{
    const float fListen = s_fNetworkDepthToListen;
    if (fListen < DEPTH_PRESENT_METRES) {
        *pfDepthToListen = NETWORK_DEFAULT_DEPTH_METRES;
        return NETWORK_DEFAULT_DEPTH_METRES;
    }
    *pfDepthToListen = fListen;
    return s_fNetworkDepthToPing;
}

void T_N_PING_vModifyPingDepth(float* pfDepthToPing, float* pfDepthToListen)
{
    const float fEdge = T_N_HISTORY_fGetLowerRangeForDisplay();
    const float fDepth =
        fEdge < JIGGING_SHALLOW_EDGE_METRES ? JIGGING_SHALLOW_DEPTH_METRES : fEdge + JIGGING_MARGIN_METRES;
    *pfDepthToPing = fDepth;
    *pfDepthToListen = fDepth;
}

// ---- Transmit settings ----

U8 u8FetchBandwidth(BEAM Beam)
{
    switch (Beam) {
    case CH_BEAM_LF: {
        const U32 u32Setting = u32FetchU32(FCID("SSW1"), 0);
        if (u32Setting != 0)
            return (U8)u32Setting;
        if (u32FetchU32(FCID("CSFL"), 0) > LOW_FREQUENCY_NARROW_ABOVE_KHZ)
            return 1;
        bool bEdge = false;
        const float fEdge = fLowerDisplayEdge(&bEdge);
        if (!s_bAutoRange && bEdge && fEdge > LOW_FREQUENCY_DEEP_RANGE_METRES)
            return 2;
        return 3;
    }
    case CH_BEAM_200KHZ: {
        const U32 u32Setting = u32FetchU32(FCID("SSW2"), 0);
        if (u32Setting != 0)
            return (U8)u32Setting;
        return s_bTvgView ? 3 : 1;
    }
    case CH_BEAM_455KHZ:
    case CH_BEAM_IMAGING: {
        const U32 u32Setting = u32FetchU32(FCID("SSW3"), 0);
        if (u32Setting != 0)
            return (U8)u32Setting;
        switch (s_db_TransducerSelect.load()) {
        case 5:
        case 9:
        case 10:
        case 16:
            return 2;
        default:
            return 3;
        }
    }
    default:
        return 3;
    }
}

// ---- Channels ----

void vMapChannels(PING_CYCLE eCycle, U32 u32Transducer, const TX_SEQUENCE* pEcho, const PING_FREQUENCIES* pFreq,
                  PING_CHANNEL aChannels[PING_CHANNELS])
{
    for (U32 c = 0; c < PING_CHANNELS; ++c)
        aChannels[c] = NO_CHANNEL;
    const TX_PULSE* p = pEcho->TxPulse;
    const U8 u8Outputs = (U8)(p[0].u8TxOutput | p[1].u8TxOutput | p[2].u8TxOutput);

    if (eCycle == PING_CYCLE_DOWN_BEAM) {
        if (p[0].u16TxFreq == pFreq->u32FreqLF)
            aChannels[0] = channel(CH_BEAM_LF, 0);
        if (p[0].u16TxFreq == pFreq->u32Freq200)
            aChannels[1] = channel(CH_BEAM_200KHZ, 0);
        else if (p[1].u16TxFreq == pFreq->u32Freq200)
            aChannels[1] = channel(CH_BEAM_200KHZ, 1);
        return;
    }

    if (eCycle == PING_CYCLE_SIDE_SCAN) {
        aChannels[0] = channelByOutput(pEcho, u8Outputs, RX_OFF_CHANNEL_0, OUTPUT_2D, CH_BEAM_LF);
        if (aChannels[0].beam != PING_NO_BEAM && p[aChannels[0].u8Pulse].u16TxFreq == pFreq->u32Freq200)
            aChannels[0].beam = CH_BEAM_200KHZ;
        aChannels[1] = channelByOutput(pEcho, u8Outputs, RX_OFF_CHANNEL_1, OUTPUT_SIDE_1, CH_BEAM_455KHZ);
        aChannels[2] = channelByOutput(pEcho, u8Outputs, RX_OFF_CHANNEL_2, OUTPUT_IMAGING, CH_BEAM_IMAGING);
        return;
    }

    if (u32Transducer == TRANSDUCER_KV_455) {
        aChannels[0] = channelByOutput(pEcho, u8Outputs, RX_OFF_CHANNEL_0, OUTPUT_2D, CH_BEAM_200KHZ);
        if (aChannels[0].beam != PING_NO_BEAM && p[aChannels[0].u8Pulse].u16TxFreq != pFreq->u32Freq200)
            aChannels[0] = NO_CHANNEL;
        aChannels[1] = channelByOutput(pEcho, u8Outputs, RX_OFF_455_DOWN, OUTPUT_2D, CH_BEAM_455KHZ);
        aChannels[2] = channelByOutput(pEcho, u8Outputs, RX_OFF_CHANNEL_2, OUTPUT_IMAGING, CH_BEAM_IMAGING);
        return;
    }

    // Transducers 17 and 18: the 2D beams and the Keelview beam by frequency.
    if (p[0].u16TxFreq == pFreq->u32Freq200)
        aChannels[0] = channel(CH_BEAM_200KHZ, 0);
    else if (p[1].u16TxFreq == pFreq->u32Freq200)
        aChannels[0] = channel(CH_BEAM_200KHZ, 1);
    else if (p[0].u16TxFreq == pFreq->u32FreqLF || p[0].u16TxFreq == pFreq->u32FreqImaging)
        aChannels[0] = channel(CH_BEAM_LF, 0);
    if (p[0].u16TxFreq == pFreq->u32FreqImaging)
        aChannels[2] = channel(CH_BEAM_IMAGING, 0);
}

// ---- The cycles ----

void vPerformDownBeamOnlyPing(void)
{
    vNote(PING_CYCLE_DOWN_BEAM);
    const U8 u8Bw200 = u8Bandwidth(CH_BEAM_200KHZ, 1);
    const U8 u8BwLF = u8Bandwidth(CH_BEAM_LF, 2);
    const U32 u32ViewNow = u32View();
    PING ping = {};
    ping.eCycle = PING_CYCLE_DOWN_BEAM;
    ping.u32Transducer = s_db_TransducerSelect;
    ping.bSimulate = s_bSimulateCoprocessor;
    ping.freq = {u32FetchU32(FCID("CSF2"), 200), u32FetchU32(FCID("CSFL"), 83), 0};

    vTakeDescriptors(ping, 2);
    if ((u32Sources() & ELEMENT_2D) == 0) {
        vNoSourceWanted(ping);
        return;
    }

    float fListen = 0.0f;
    const float fPing = fDepths(&fListen, true, false, 0.0f);
    const BOOLEAN bNetworkClient = bNetworkClientExists() ? TRUE : FALSE;

    BLOCK_INPUTS inputs = tCommonInputs(ping, fPing, u32ViewNow, bNetworkClient, u32Sources());
    inputs.au8Bandwidth[CH_BEAM_LF] = u8BwLF;
    inputs.au8Bandwidth[CH_BEAM_200KHZ] = u8Bw200;

    const bool bChanged = s_eBlockOwner != PING_CYCLE_DOWN_BEAM || s_bSwitchToLocalPing ||
                          !bSameInputs(inputs, s_aPrevious[PING_CYCLE_DOWN_BEAM], 0.0f);
    if (bChanged && gpu8NonCachedDataBlock != nullptr) {
        U8* pu8Block = pu8ClearedBlock();
        const TXPOWER ePower = e2DPower(fPing);
        const U8 u8Cycles200 = u8Cycles(CH_BEAM_200KHZ, fPing, ping.u32Transducer);
        vWriteDepth(FCID("CSPD"), fPing);
        const BEAM beam = inputs.beamSelected;
        if (beam != 0 && beam != 4 && fPing <= LONG_MODE_DEPTH_METRES && u32ViewNow != SONAR_DUAL_BEAM_VIEW_PRIORITY &&
            !bNetworkClient) {
            S_COPROC_vBuildTxSequenceForSingleDownAltShortTransmit(
                pu8Block, u8Cycles200, ePower, u8Bw200, u16SamplesForDepth(fListen), (U16)ping.freq.u32Freq200,
                RECEIVER_200KHZ, ping.bSimulate, BB_TX_POWER, FALSE);
        } else {
            const U8 u8CyclesLF = u8Cycles(CH_BEAM_LF, fPing, ping.u32Transducer);
            S_COPROC_vBuildTxSequence200kHzParLFAltShortTransmit(
                pu8Block, u8Cycles200, u8Bw200, u16SamplesForDepth(fMin(fListen, CAP_200KHZ_METRES)),
                (U16)ping.freq.u32Freq200, ePower, u8CyclesLF, u8BwLF, u16SamplesForDepth(fListen),
                (U16)ping.freq.u32FreqLF, ePower, ping.bSimulate, BB_TX_POWER, FALSE);
        }
        if (bSendBlock(PING_CYCLE_DOWN_BEAM, inputs))
            s_bSwitchToLocalPing = FALSE;
    }

    bReadAndHandOn(ping, nullptr);
}

void vPerformSideScanPing(void)
{
    vNote(PING_CYCLE_SIDE_SCAN);
    const U8 u8Bw200 = u8Bandwidth(CH_BEAM_200KHZ, 1);
    const U8 u8BwLF = u8Bandwidth(CH_BEAM_LF, 2);
    const U8 u8BwSide = u8Bandwidth(CH_BEAM_IMAGING, 2);
    const U32 u32Imaging = u32ImagingFrequencyKhz();
    float fSideRange = s_fSideRange;
    bFetchFloat(FCID("SSSR"), &fSideRange);
    float fImagingRange = 0.0f;
    if (bFetchFloat(FCID("CSIR"), &fImagingRange) && fImagingRange > 0.0f)
        fSideRange = fImagingRange;
    const U32 u32ViewNow = u32View();
    PING ping = {};
    ping.eCycle = PING_CYCLE_SIDE_SCAN;
    ping.u32Transducer = s_db_TransducerSelect;
    ping.bSimulate = s_bSimulateCoprocessor;
    ping.freq = {u32FetchU32(FCID("CSF2"), 200), u32FetchU32(FCID("CSFL"), 83), u32Imaging};

    vTakeDescriptors(ping, 3);
    const U32 u32S = u32Sources();
    if ((u32S & (ELEMENT_2D | ELEMENT_KV | ELEMENT_FV)) == 0) {
        vNoSourceWanted(ping);
        return;
    }
    const bool b2D = (u32S & ELEMENT_2D) != 0;
    const bool bImaging = (u32S & (ELEMENT_KV | ELEMENT_FV)) != 0;

    float fListen = 0.0f;
    const float fPing = fDepths(&fListen, true, bImaging, fSideRange);

    if (s_eBlockOwner == PING_CYCLE_SIDE_SCAN && s_s8BeamSequenceCountDown > 0) {
        --s_s8BeamSequenceCountDown;
    } else {
        const BOOLEAN bNetworkClient = bNetworkClientExists() ? TRUE : FALSE;
        BLOCK_INPUTS inputs = tCommonInputs(ping, fPing, u32ViewNow, bNetworkClient, u32S);
        inputs.au8Bandwidth[CH_BEAM_LF] = u8BwLF;
        inputs.au8Bandwidth[CH_BEAM_200KHZ] = u8Bw200;
        inputs.au8Bandwidth[CH_BEAM_IMAGING] = u8BwSide;
        inputs.u32FreqImaging = u32Imaging;
        inputs.fSideRange = fSideRange;

        constexpr float TOLERANCE_METRES = 0.05f;
        const bool bChanged = s_eBlockOwner != PING_CYCLE_SIDE_SCAN || s_bSwitchToLocalPing ||
                              s_bPingMaskChanged || s_bNewSideRange ||
                              !bSameInputs(inputs, s_aPrevious[PING_CYCLE_SIDE_SCAN], TOLERANCE_METRES);
        if (bChanged && gpu8NonCachedDataBlock != nullptr) {
            U8* pu8Block = pu8ClearedBlock();
            const TXPOWER ePower2D = e2DPower(fPing);
            const TXPOWER ePowerSide = eImagingPower();
            const U8 u8Cycles200 = u8Cycles(CH_BEAM_200KHZ, fPing, ping.u32Transducer);
            const U8 u8CyclesLF = u8Cycles(CH_BEAM_LF, fPing, ping.u32Transducer);
            const U8 u8CyclesSide = u8Cycles(CH_BEAM_455KHZ, fPing, ping.u32Transducer);
            vWriteDepth(FCID("CSPD"), fPing);
            vWriteDepth(FCID("CSSD"), fSideRange);
            const U16 u16SideSamples = u16SamplesForDepth(fSideRange);
            const U16 u16Freq200 = (U16)ping.freq.u32Freq200;
            const U16 u16FreqLF = (U16)ping.freq.u32FreqLF;
            const U16 u16FreqSide = (U16)u32Imaging;
            const BEAM beam = inputs.beamSelected;
            const bool bLong = beam == 0 || beam == 4 || fPing > LONG_MODE_DEPTH_METRES ||
                               u32ViewNow == SONAR_DUAL_BEAM_VIEW_PRIORITY || bNetworkClient;
            if (!b2D) {
                // Flankview alone: the side beams, whatever the 2D settings.
                S_COPROC_vBuildSingleBeamSSPing455kHzLR(pu8Block, CH_BEAM_IMAGING, u8CyclesSide, ePowerSide, u8BwSide,
                                                        u16SideSamples, u16FreqSide, ping.bSimulate);
            } else if (bLong && !bImaging) {
                S_COPROC_vBuildTxSequence200kHzAltLFAltShortTx(
                    pu8Block, u8Cycles200, ePower2D, u8Bw200, u16SamplesForDepth(fMin(fListen, CAP_200KHZ_METRES)),
                    u16Freq200, u8CyclesLF, ePower2D, u8BwLF, u16SamplesForDepth(fListen), u16FreqLF, ping.bSimulate,
                    FALSE);
            } else if (bLong) {
                S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequencyAltShortTx(
                    pu8Block, u8Cycles200, ePower2D, u8Bw200, u16SamplesForDepth(fMin(fListen, CAP_200KHZ_METRES)),
                    u16Freq200, u8CyclesLF, ePower2D, u8BwLF, u16SamplesForDepth(fListen), u16FreqLF, u8CyclesSide,
                    ePowerSide, u8BwSide, u16SideSamples, u16FreqSide, ping.bSimulate, FALSE);
            } else if (!bImaging) {
                S_COPROC_vBuildTxSequence200kHzAltShortTransmit(pu8Block, u8Cycles200, ePower2D, u8Bw200,
                                                                u16SamplesForDepth(fListen), u16Freq200,
                                                                ping.bSimulate, FALSE);
            } else {
                S_COPROC_vBuildTxSequence200kHzParHighFrequencyAltShortTransmit(
                    pu8Block, u8Cycles200, ePower2D, u8Bw200, u16SamplesForDepth(fListen), u16Freq200, u8CyclesSide,
                    ePowerSide, u8BwSide, u16SideSamples, u16FreqSide, ping.bSimulate, FALSE);
            }
            vRememberSequences();
            if (bSendBlock(PING_CYCLE_SIDE_SCAN, inputs)) {
                s_bSwitchToLocalPing = FALSE;
                s_bPingMaskChanged = FALSE;
                s_bNewSideRange = FALSE;
            }
        }
        vRestartCountDown();
    }

    const bool bSimulationPosition = bSimulationState(U_PING_eGetSystemState());
    if (bReadAndHandOn(ping, bSimulationPosition ? u32SideScanPPIInfo : nullptr) && bSimulationPosition) {
        BOOLEAN bClockwise = s_bPPIClockwise;
        s_s32PPIPosition = H_PPI_MOTOR_s32Step((S32)(s_u32SectorStepFactor & STEP_FACTOR_MASK), &bClockwise);
        s_bPPIClockwise = bClockwise;
    }
}

void vPerformKVPing(void)
{
    vNote(PING_CYCLE_KEELVIEW);
    // Both 2D beams take the 200 kHz beam's code.
    const U32 u32Setting2D = u32FetchU32(FCID("SSW2"), 0);
    const U8 u8Bw2D = u32Setting2D ? (U8)u32Setting2D : (s_bTvgView ? 3 : 1);
    const U32 u32SettingImaging = u32FetchU32(FCID("SSW3"), 0);
    const U8 u8Bw455 = u32SettingImaging ? (U8)u32SettingImaging : 1;
    const bool b800 = bImaging800Khz();
    const U8 u8BwKV = u32SettingImaging ? (U8)u32SettingImaging : (b800 ? 3 : 1);
    const U32 u32Imaging = u32ImagingFrequencyKhz();
    float fSideRange = s_fSideRange;
    bFetchFloat(FCID("SSSR"), &fSideRange);
    const U32 u32ViewNow = u32View();
    PING ping = {};
    ping.eCycle = PING_CYCLE_KEELVIEW;
    ping.u32Transducer = s_db_TransducerSelect;
    ping.bSimulate = s_bSimulateCoprocessor;
    ping.freq = {u32FetchU32(FCID("CSF2"), 200), u32FetchU32(FCID("CSFL"), 83), u32Imaging};

    vTakeDescriptors(ping, 3);
    const U32 u32S = u32Sources();
    if ((u32S & (ELEMENT_2D | ELEMENT_KV)) == 0) {
        vNoSourceWanted(ping);
        return;
    }
    const bool b2D = (u32S & ELEMENT_2D) != 0;
    const bool bKV = (u32S & ELEMENT_KV) != 0;

    float fListen = 0.0f;
    const float fPing = fDepths(&fListen, false, false, 0.0f);
    const U8 u8CyclesKV = u8ImagingCycles(fPing, ping.u32Transducer);

    const bool bOwn = s_eBlockOwner == PING_CYCLE_KEELVIEW;
    if (!bOwn || s_s8BeamSequenceCountDown <= 0) {
        const BOOLEAN bNetworkClient = bNetworkClientExists() ? TRUE : FALSE;
        BLOCK_INPUTS inputs = tCommonInputs(ping, fPing, u32ViewNow, bNetworkClient, u32S);
        inputs.au8Bandwidth[CH_BEAM_200KHZ] = u8Bw2D;
        inputs.au8Bandwidth[CH_BEAM_455KHZ] = u8Bw455;
        inputs.au8Bandwidth[CH_BEAM_IMAGING] = u8BwKV;
        inputs.u32FreqImaging = u32Imaging;
        inputs.fSideRange = fSideRange;
        inputs.u8ImagingCycles = u8CyclesKV;
        // The ping task asks afresh before every ping while the 360 unit
        // wants the water; the block follows the request both ways.
        inputs.bNoKV = s_bPing2DNoKV.exchange(FALSE);
        const bool bNoKV = inputs.bNoKV != FALSE;
        const bool bChanged =
            !bOwn || s_bSwitchToLocalPing || !bSameInputs(inputs, s_aPrevious[PING_CYCLE_KEELVIEW], 0.0f);
        if (bChanged && gpu8NonCachedDataBlock != nullptr) {
            U8* pu8Block = pu8ClearedBlock();
            TXPOWER ePower2D = e2DPower(fPing);
            if (ePower2D == TXPOWER_HI)
                ePower2D = TXPOWER_MED;
            const TXPOWER ePowerKV = eImagingPower();
            const U8 u8Cycles200 = u8Cycles(CH_BEAM_200KHZ, fPing, ping.u32Transducer);
            const U8 u8CyclesLF = u8Cycles(CH_BEAM_LF, fPing, ping.u32Transducer);
            const U8 u8Cycles455 = u8Cycles(CH_BEAM_455KHZ, fPing, ping.u32Transducer);
            vWriteDepth(FCID("CSPD"), fPing);
            vWriteDepth(FCID("CSSD"), fSideRange);
            const U16 u16Capped = u16SamplesForDepth(fMin(fListen, CAP_200KHZ_METRES));
            const U16 u16Full = u16SamplesForDepth(fListen);
            const U16 u16Freq200 = (U16)ping.freq.u32Freq200;
            const U16 u16FreqLF = (U16)ping.freq.u32FreqLF;
            const U16 u16FreqKV = (U16)u32Imaging;
            const bool b455 = ping.u32Transducer == TRANSDUCER_KV_455;
            const BEAM beam = inputs.beamSelected;
            const bool bLong = beam == 2 || beam == 0 || u32ViewNow == SONAR_DUAL_BEAM_VIEW_PRIORITY ||
                               bNetworkClient || !b455;
            bool bBuilt = true;
            if (bLong && b2D && bKV && !bNoKV && b455) {
                S_COPROC_vBuildTxSequence200kHzAlt455kHzParKVFrequency(
                    pu8Block, u8Cycles200, ePower2D, u8Bw2D, u16Capped, u16Freq200, u8Cycles455, ePower2D, u8Bw455,
                    u16Full, FREQ_455_DOWN_KHZ, u8CyclesKV, ePowerKV, u8BwKV, u16Full, u16FreqKV, ping.bSimulate);
            } else if (bLong && b2D && bKV && !bNoKV) {
                S_COPROC_vBuildTxSequence200kHzAlt83And50kHzParKVFrequency(
                    pu8Block, u8Cycles200, ePower2D, u8Bw2D, u16Capped, u16Freq200, u8CyclesLF, ePower2D, u8Bw2D,
                    u16Full, u16FreqLF, u8CyclesKV, ePowerKV, u8BwKV, u16Full, u16FreqKV, ping.bSimulate);
            } else if (bLong && b2D) {
                if (b455)
                    S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(pu8Block, u8Cycles200, ePower2D, u8Bw2D,
                                                                      u16Capped, u16Freq200, u8Cycles455, ePower2D,
                                                                      u8Bw455, u16Full, FREQ_455_DOWN_KHZ,
                                                                      ping.bSimulate);
                else
                    S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(pu8Block, u8Cycles200, ePower2D, u8Bw2D,
                                                                      u16Capped, u16Freq200, u8CyclesLF, ePower2D,
                                                                      u8Bw2D, u16Full, u16FreqLF, ping.bSimulate);
            } else if (!bLong && b2D && bKV && !bNoKV) {
                S_COPROC_vBuildTxSequence200kHzParKVFrequency(pu8Block, u8Cycles200, ePower2D, u8Bw2D, u16Full,
                                                              u16Freq200, u8CyclesKV, ePowerKV, u8BwKV, u16Full,
                                                              u16FreqKV, ping.bSimulate);
            } else if (!bLong && b2D) {
                S_COPROC_vBuildTxSequence200kHz(pu8Block, u8Cycles200, ePower2D, u8Bw2D, u16Full, u16Freq200,
                                                ping.bSimulate);
            } else if (bKV && !bNoKV) {
                S_COPROC_vBuildSingleBeamKVPing(pu8Block, CH_BEAM_IMAGING, u8CyclesKV, ePowerKV, u8BwKV, u16Full,
                                                u16FreqKV, ping.bSimulate);
            } else {
                // Keelview alone, asked to leave the Keelview beam out:
                // nothing to transmit, the block in force stays.
                bBuilt = false;
            }
            if (bBuilt) {
                vRememberSequences();
                if (bSendBlock(PING_CYCLE_KEELVIEW, inputs))
                    s_bSwitchToLocalPing = FALSE;
            }
        }
    }
    if (s_s8BeamSequenceCountDown > 0)
        --s_s8BeamSequenceCountDown;
    else
        vRestartCountDown();

    bReadAndHandOn(ping, u32KeelviewPPIInfo);
}

// ---- Tests only ----

PING_CYCLE_RECORD tCycleRecordForTests(void)
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    return s_record;
}

void vResetCyclesForTests(void)
{
    s_u32InvalidDepthCount = 0;
    s_u16SearchThrottle = 0;
    s_u32DitherIndex = 0;
    s_eBlockOwner = NO_OWNER;
    for (BLOCK_INPUTS& b : s_aPrevious)
        b = BLOCK_INPUTS{};
    s_s8BeamSequenceSave = 0;
    s_s8BeamSequenceCountDown = 0;
    s_s32PPIPosition = PPI_MOTOR_HOME_POSITION;
    s_bPPIClockwise = TRUE;
}

} // namespace t_n_ping
