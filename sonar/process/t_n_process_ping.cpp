// One ping through the processing task: filter, gain, depth offset, noise
// cut, bottom, ping rate, fish and the merge into the beam's accumulator,
// then the hand-over (queue 9, the 360 picture, history columns).
//
// Buffers: all static and 55000 bytes, used from the task's thread only;
// the accumulator mutex is held only for the merge itself.
#include "sonar/process/t_n_process.h"

#include "kernel/error.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/history/t_n_history.h"
#include "sonar/dsp/s_coproc.h" // g_u32SpeedOfSoundInWater
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/process/t_n_process_state.h"
#include "store/h_database.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace t_n_process;

namespace {

constexpr const char* SOURCE = "t_n_process";

constexpr U32 N = ACCUMULATOR_SAMPLES;
constexpr U32 SYS_SIMULATION = 4;
constexpr U32 SYS_POINT_OF_SALE = 6;
constexpr U32 SYS_PLAYBACK = 11;
constexpr U32 MSS_DEPLOYED = 2;
constexpr float OFFSET_DEAD_BAND = 0.03f;
constexpr U32 DEPTH_KEY_TIMEOUT_S = 2;

// ---- Working buffers ----

U8 s_u8TemporaryStore[N];
U8 s_u8ExpAveragedData[N];
U8 s_u8TmpTvgData[N];
U8 s_u8PreviousRawData[ACCUMULATOR_BEAMS][N];
float s_fPreviousNoiseCutoff[ACCUMULATOR_BEAMS];
U32 s_u32ThresholdCntForExpAvg[ACCUMULATOR_BEAMS];
BOOLEAN bNoiseTooHighFlag[6];
FISH_TARGET_LIST FishTargetList;
float sfPlaybackDepth[ACCUMULATOR_BEAMS];

// ---- Ping rate ----

constexpr U32 RATE_RING = 64;
U32 s_au32LastPeriod[RATE_RING];
U8 s_u8NextFreeLastPeriodEntry = 0;
U32 s_u32LastTimeStamp = 0;
U32 s_u32RunningSum = 0;

// ---- Helpers ----

U32 u32Speed(void)
{
    const U32 u32 = g_u32SpeedOfSoundInWater;
    return u32 != 0 ? u32 : 1463;
}

U32 u32Key(FOURCHARID fcid, U32 u32Absent)
{
    U32 u32 = u32Absent;
    H_DATABASE_bFetchU32(fcid, &u32, nullptr, nullptr);
    return u32;
}

bool bOneOf(U32 u32Value, std::initializer_list<U32> values)
{
    return std::find(values.begin(), values.end(), u32Value) != values.end();
}

bool bImagingTransducer(U32 u8Transducer) { return bOneOf(u8Transducer, {5, 9, 10, 16}); }
bool bDownImaging2DTransducer(U32 u8Transducer) { return bOneOf(u8Transducer, {15, 17, 18}); }

// The beams whose pings replace the column rather than being peak-held:
// they get one gain pass and no fish.
bool bOverwrittenBeam(BEAM Beam, U8 u8Transducer)
{
    if (Beam != 2 && Beam != 3)
        return false;
    return bImagingTransducer(u8Transducer) || (Beam == 3 && bDownImaging2DTransducer(u8Transducer)) ||
           s_u32MSSState == MSS_DEPLOYED;
}

void vReturnDescriptor(PING_DESCRIPTOR* pDescriptor)
{
    if (L_QUEUE_Put(Q_PING, &pDescriptor) != 0) {
        ERROR_error(SOURCE, __LINE__, "Couldn't return descriptor to queue");
        U_RESET_vReset(FALSE, FALSE);
    }
}

// The depth offset moves the three sample buffers by n samples; the count
// follows. Deeper: the first n samples become 0. Shallower: the first n
// samples are dropped.
void vShift(PING_DESCRIPTOR* p, U32* pu32Count, U32 n, bool bDeeper)
{
    U8* apBuffers[] = {p->pu8RawSonarData, p->pu8TvgdData, s_u8TmpTvgData};
    U32 u32Count = *pu32Count;
    if (n > N - 1) {
        for (U8* pb : apBuffers)
            memset(pb, 0, N);
        *pu32Count = bDeeper ? N : 0;
        return;
    }
    if (bDeeper) {
        const U32 u32Moved = n + u32Count < N ? u32Count : N - n;
        for (U8* pb : apBuffers) {
            memmove(pb + n, pb, u32Moved);
            memset(pb, 0, n);
        }
        *pu32Count = std::min(n + u32Count, N);
    } else if (n >= u32Count) {
        for (U8* pb : apBuffers)
            memset(pb, 0, u32Count);
        *pu32Count = 0;
    } else {
        for (U8* pb : apBuffers) {
            memmove(pb, pb + n, u32Count - n);
            memset(pb + u32Count - n, 0, n);
        }
        *pu32Count = u32Count - n;
    }
}

// The bottom of a ping with a depth key of its own (metres).
float fFindBottom(PING_DESCRIPTOR* p, U32 u32Count, float fOffset)
{
    if (p->bSimulated)
        return p->fDepthMetres + fOffset;
    const U32 u32SpeedMs = u32Speed();
    const U32 u32Stop = u32Count * p->u32SamplePeriodMicroSeconds;
    U32 u32Start = 0;
    if (db_u32WaterType != WATER_SALT_DEEP) {
        float fSurface = 0.0f;
        H_DATABASE_bFetchFloat(FCID("SSSD"), &fSurface, nullptr, nullptr);
        const float fTime = fSurface * 2000000.0f / (float)u32SpeedMs;
        u32Start = fTime > 0.0f ? (U32)fTime : 0;
    } else if (s_fLowerDepth > 0.0f) {
        const double dSkip = std::min(0.05 * (double)s_fLowerDepth.load(), 22.0);
        u32Start = (U32)(dSkip * 2000000.0 / u32SpeedMs);
    } else {
        u32Start = u32Stop > 121920000u / u32SpeedMs ? 6096000u / u32SpeedMs : 1219200u / u32SpeedMs;
    }
    const U32 u32Us = g_Calls.pfnFindDepth(p, u32Start, u32Stop);
    return (float)u32SpeedMs * 5e-7f * (float)u32Us;
}

// Beam 1's ping rate into "CSPT": the running average of the last 64
// periods, restarted when a period leaves its band.
void vUpdatePingRateMeasure(void)
{
    const U32 u32Now = (U32)L_CLOCK_qwGetTimeInMillis();
    const U32 u32Period = u32Now - s_u32LastTimeStamp;
    s_u32LastTimeStamp = u32Now;
    s_u32RunningSum -= s_au32LastPeriod[s_u8NextFreeLastPeriodEntry];
    s_au32LastPeriod[s_u8NextFreeLastPeriodEntry] = u32Period;
    s_u32RunningSum += u32Period;
    const U32 u32Average = s_u32RunningSum >> 6;
    U32 u32Published = u32Average;
    if (u32Period > (3 * u32Average) >> 1 || u32Period < s_u32RunningSum / 128) {
        for (U32& e : s_au32LastPeriod)
            e = u32Period;
        s_u32RunningSum = RATE_RING * u32Period;
        u32Published = u32Period;
    }
    H_DATABASE_bUpdateEverythingU32(FCID("CSPT"), u32Published, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    s_u8NextFreeLastPeriodEntry = (U8)((s_u8NextFreeLastPeriodEntry + 1) % RATE_RING);
}

U8 u8FishCutOff(const PING_DESCRIPTOR* p)
{
    switch (p->Beam) {
    case 0: return p->u32TransmitFrequencyHertz == 50000 ? u8FishIDCutOffThreshold50kHz : u8FishIDCutOffThreshold83kHz;
    case 1: return u8FishIDCutOffThreshold200kHz;
    case 2:
    case 3: return u8FishIDCutOffThreshold455kHz;
    default: return 255;
    }
}

void vOverwriteAccumulator(const PING_DESCRIPTOR* p, U32 u32Count)
{
    RETURN_ACCUMULATOR& a = Accumulator[p->Beam];
    L_MUTEX_LockWait(ACCUMULATOR_MUTEX[p->Beam]);
    const U8 u8Use = a.u8Use > 1 ? 0 : a.u8Use;
    memcpy(a.pu8Data[u8Use], p->pu8TvgdData, u32Count);
    memcpy(a.pu8RtsData, p->pu8TvgdData, u32Count);
    a.u32NumberOfSamples[u8Use] = u32Count;
    a.u32RtsSamples = u32Count;
    a.Location = p->Location;
    a.fDepthMetres = p->fDepthMetres;
    a.u32DepthInSamples = u32SamplesOfDepth(p->fDepthMetres);
    a.u32SmoothedDepthInSamples = a.u32DepthInSamples;
    if (bNoiseTooHighFlag[p->Beam])
        a.bNoiseTooHigh[u8Use] = TRUE;
    a.u32TimeStamp = p->u32TimeStampMilliSeconds;
    a.u32PingIndex = p->u32PingIndex;
    L_MUTEX_Unlock(ACCUMULATOR_MUTEX[p->Beam]);
}

void vPlaceInAccumulator(const PING_DESCRIPTOR* p, U32 u32Count, U8 u8Transducer)
{
    const BEAM beam = p->Beam;
    const U8* pu8Source =
        (beam != 2 && beam != 3) || (beam == 2 && bDownImaging2DTransducer(u8Transducer)) ? s_u8TmpTvgData
                                                                                            : p->pu8TvgdData;
    RETURN_ACCUMULATOR& a = Accumulator[beam];
    L_MUTEX_LockWait(ACCUMULATOR_MUTEX[beam]);
    const U8 u8Use = a.u8Use > 1 ? 0 : a.u8Use;
    U8* pu8Fill = a.pu8Data[u8Use];
    const U32 m = std::min(a.u32NumberOfSamples[u8Use], u32Count);
    for (U32 k = 0; k < m; ++k) {
        const U8 s = pu8Source[k];
        pu8Fill[k] = std::max(pu8Fill[k], s);
        a.pu8RtsData[k] = s;
    }
    for (U32 k = m; k < u32Count; ++k) {
        pu8Fill[k] = pu8Source[k];
        a.pu8RtsData[k] = pu8Source[k];
    }
    a.u32NumberOfSamples[u8Use] = std::max(a.u32NumberOfSamples[u8Use], u32Count);
    a.u32RtsSamples = u32Count;
    a.Location = p->Location;
    a.fDepthMetres = p->fDepthMetres;
    a.u32DepthInSamples = u32SamplesOfDepth(p->fDepthMetres);
    if (p->bSimulated || a.u32SmoothedDepthInSamples == 0)
        a.u32SmoothedDepthInSamples = a.u32DepthInSamples;
    else if (a.u32DepthInSamples != 0)
        a.u32SmoothedDepthInSamples = (a.u32DepthInSamples + 7 * a.u32SmoothedDepthInSamples) / 8;
    if (bNoiseTooHighFlag[beam])
        a.bNoiseTooHigh[u8Use] = TRUE;
    g_Calls.pfnMergeFish(&a.FishTargetList, &FishTargetList);
    if (a.u32TimeStamp == 0)
        a.u32TimeStamp = p->u32TimeStampMilliSeconds;
    if (a.u32PingIndex == 0)
        a.u32PingIndex = p->u32PingIndex;
    L_MUTEX_Unlock(ACCUMULATOR_MUTEX[beam]);
}

// Steps of a ping with transmit: filter to accumulate.
void vProcessRawSonar(PING_DESCRIPTOR* p)
{
    const BEAM beam = p->Beam;
    const U8 u8Transducer = g_Calls.pfnCurrentTransducer(SONAR_SOURCE_KV);
    const WATER_TYPE eWater = (WATER_TYPE)db_u32WaterType.load();

    const U8 u8Clutter = (U8)u32Key(FCID("SSCL"), 5);
    U32 u32NoiseCutoff = 0;
    vFilterSonarData(p, &u32NoiseCutoff);

    const BOOLEAN bSuppress = bDownImaging2DTransducer(u8Transducer) ? (beam != 3 ? TRUE : FALSE)
                                                                       : (beam != 2 && beam != 3 ? TRUE : FALSE);
    const bool bAveraged = s_bExpAverageSelect && beam <= 1;
    g_Calls.pfnTvg(p, bAveraged ? s_u8ExpAveragedData : s_u8TemporaryStore, p->pu8TvgdData, u8Clutter, bSuppress,
                   eWater, 0);

    if (!bOverwrittenBeam(beam, u8Transducer)) {
        const U32 u32Scale = beam <= 2 && !s_bSelectTvgView ? (beam == 0 ? 308 : 1) : 0;
        U32& cnt = s_u32ThresholdCntForExpAvg[beam];
        if (s_fCurrentDepth > 50.0f) {
            cnt = std::min(cnt + 1, 13u);
        } else {
            cnt = cnt > 0 ? cnt - 1 : 0;
            if (cnt <= 5)
                cnt = 0;
        }
        const U8* pu8Source = bAveraged && cnt > 5 ? s_u8ExpAveragedData : s_u8TemporaryStore;
        g_Calls.pfnTvg(p, pu8Source, s_u8TmpTvgData, u8Clutter, bSuppress, eWater, u32Scale);
    }

    // Depth offset.
    U32 u32Count = p->u32NumberOfSamples;
    float fOffset = 0.0f;
    U32 n = 0;
    if (H_DATABASE_bFetchFloat(FCID("YDPO"), &fOffset, nullptr, nullptr)) {
        p->fDepthOffsetFeet = fOffset > 0.0f ? (float)(fOffset * 3.2808333290409095) : 0.0f;
        const U32 u32Period = p->u32SamplePeriodMicroSeconds;
        const double dTime = std::fabs((double)fOffset) * 2000000.0 / u32Speed();
        const double dTimeClamped = std::min(dTime, 4.0e9);
        n = u32Period != 0 ? ((U32)dTimeClamped + u32Period / 2) / u32Period : 0;
        if (fOffset > OFFSET_DEAD_BAND)
            vShift(p, &u32Count, n, true);
        else if (fOffset < -OFFSET_DEAD_BAND)
            vShift(p, &u32Count, n, false);
        p->u32NumberOfSamples = u32Count;
    } else {
        fOffset = 0.0f;
    }

    if (u32NoiseCutoff != 0)
        g_Calls.pfnNoiseRemoval(u32Count, p->pu8RawSonarData, s_u8TmpTvgData, s_u8TmpTvgData,
                                (U8)std::min(u32NoiseCutoff, 255u));

    // The ping's own depth.
    FOURCHARID fcidDepth = 0;
    if (beam == 1)
        fcidDepth = FCID("IDE2");
    else if (beam == 0)
        fcidDepth = u8Transducer == 15 ? FCID("IDE4") : FCID("IDE8");
    else if (bDownImaging2DTransducer(u8Transducer) &&
             (beam == 3 || (beam == 2 && s_fcidSideViewFreq == FCID("SSF5"))) && s_u32DigitalDepthSource == 0)
        fcidDepth = u8Transducer == 15 ? FCID("IDE4") : FCID("IDE8");

    if (fcidDepth == 0) {
        p->fDepthMetres = fSelectBestDepth();
    } else {
        const float fDepth = fFindBottom(p, u32Count, fOffset);
        if (s_u32SystemState == SYS_PLAYBACK && s_bReverseScroll) {
            for (float& f : sfPlaybackDepth)
                f = 0.0f;
            if (fDepth > 0.0f && beam <= 1)
                sfPlaybackDepth[beam] = fDepth;
            p->fDepthMetres = T_N_PROCESS_fSelectBestDepthInMeters(sfPlaybackDepth[1], sfPlaybackDepth[0], -1.0f);
        } else if (s_fcidSideViewFreq == FCID("SSF5") &&
                   ((beam == 2 && fDepth <= 5.0f) || (beam == 3 && fDepth > 6.0f))) {
            // Outside the 800 kHz beams' gates the echo is not the bottom.
            p->fDepthMetres = 0.0f;
        } else {
            H_DATABASE_bUpdateEverythingFloat(fcidDepth, fDepth, P_NORMAL, D_DEPTH, nullptr, DEPTH_KEY_TIMEOUT_S);
            p->fDepthMetres = fSelectBestDepth();
            T_N_PROCESS_vUpdateDepthInDatabase(p->fDepthMetres);
        }
        if (beam == 1)
            vUpdatePingRateMeasure();
    }

    // Fish.
    if (p->bSimulated) {
        FishTargetList = p->SimulatedFishList;
        const U32 u32Targets = std::min<U32>(FishTargetList.u8NumberOfTargets, FISH_TARGETS_PER_LIST);
        for (U32 t = 0; t < u32Targets; ++t) {
            U32& d = FishTargetList.target[t].u32DepthInSamples;
            if (fOffset > OFFSET_DEAD_BAND)
                d += n;
            else if (fOffset <= -OFFSET_DEAD_BAND)
                d = d > n ? d - n : 0;
        }
    } else if ((beam >= 2 && bImagingTransducer(u8Transducer)) ||
               (beam == 3 && bDownImaging2DTransducer(u8Transducer))) {
        FishTargetList.u8NumberOfTargets = 0;
    } else if (p->u8PeakNoiseLevel < u8FishCutOff(p)) {
        g_Calls.pfnScanForFish(&FishTargetList, p, eWater, (U8)std::min(db_u32FishSensitivity, 255u));
    } else {
        FishTargetList.u8NumberOfTargets = 0;
    }

    if (bOverwrittenBeam(beam, u8Transducer))
        vOverwriteAccumulator(p, u32Count);
    else
        vPlaceInAccumulator(p, u32Count, u8Transducer);

    U32 u32RealTimeBeam = 0;
    if (H_DATABASE_bFetchU32(FCID("CSRB"), &u32RealTimeBeam, nullptr, nullptr) && (U8)u32RealTimeBeam == beam)
        L_SEMA_Signal(SEMA_RTS);
}

} // namespace

// ---- Filter stage ----

void t_n_process::vFilterSonarData(PING_DESCRIPTOR* p, U32* pu32NoiseCutoff)
{
    const BEAM beam = p->Beam;
    const U32 u32Count = p->u32NumberOfSamples;
    const U32 u32MinCutoff = u32Key(FCID("SSZC"), 0);
    const U32 v = g_Calls.pfnCurrentTransducer(SONAR_SOURCE_2D) == 11 ? u32Key(FCID("YSNU"), 0)
                                                                          : u32Key(FCID("YSNF"), 0);
    if (v == 0) {
        s_fPreviousNoiseCutoff[beam] = 0.0f;
        *pu32NoiseCutoff = u32MinCutoff;
        s_bExpAverageSelect = FALSE;
        memcpy(s_u8TemporaryStore, p->pu8RawSonarData, u32Count);
        memcpy(s_u8PreviousRawData[beam], p->pu8RawSonarData, u32Count);
    } else {
        // The cut-off creeps towards a point between the noise and its peak.
        const double dNoise = p->u8NoiseLevel;
        const double dPeak = p->u8PeakNoiseLevel;
        const int target = (int)(dNoise + v * 0.02 * (dPeak - dNoise));
        const int diff = (int)(target - s_fPreviousNoiseCutoff[beam]);
        const int step = std::min(diff, 20);
        double dFactor = 0.04;
        if (diff > 0)
            dFactor = dPeak - dNoise > 20 ? 0.15 : (v == 125 ? 0.9 : 0.6);
        s_fPreviousNoiseCutoff[beam] += (float)(step * dFactor);
        const int cutoff = std::max(0, (int)s_fPreviousNoiseCutoff[beam]);
        *pu32NoiseCutoff = std::max((U32)cutoff, u32MinCutoff);
        if (beam <= 1)
            s_bExpAverageSelect = TRUE;
        g_Calls.pfn2of2(u32Count, p->pu8RawSonarData, s_u8PreviousRawData[beam], s_u8TemporaryStore);
    }
    if (beam <= 1)
        g_Calls.pfnExpAverage(u32Count, beam, s_u8TemporaryStore, s_u8ExpAveragedData, (U8)s_u32ExpAverageFactor);
}

U32 t_n_process::u32SamplesOfDepth(float fDepthMetres)
{
    if (!(fDepthMetres > 0.0f))
        return 0;
    const double dTime = std::min((double)fDepthMetres * 2000000.0 / u32Speed(), 4.0e9);
    return ((U32)dTime + 13) / 26;
}

// ---- One ping ----

void t_n_process::vProcessPing(PING_DESCRIPTOR* p)
{
    if (!s_bSonarEnabled && p->bIsLocal) {
        vReturnDescriptor(p);
        return;
    }
    // Only beams 0-3 have an accumulator and filter state.
    if (p->Beam >= ACCUMULATOR_BEAMS) {
        ++s_u32ForeignBeamPings;
        vReturnDescriptor(p);
        return;
    }
    if (p->u32NumberOfSamples > ACCUMULATOR_SAMPLES)
        p->u32NumberOfSamples = ACCUMULATOR_SAMPLES;
    if (s_bRecordSonarActive)
        g_Calls.pfnSaveRaw(p);
    if (s_bPrepareForPlayback && p->u32PingIndex != 0) {
        T_N_HISTORY_vPrepareForPlayback();
        s_bPrepareForPlayback = FALSE;
    }
    if (p->u8TransmitCycles != 0)
        vProcessRawSonar(p);

    // Hand-over.
    const BEAM beam = p->Beam;
    if (beam <= 1)
        s_u32LastProcessed2DBeam = beam;
    const U8 u8TransmitCycles = p->u8TransmitCycles;
    const U8 u8Transducer = p->u8Transducer;
    const U32 u32PPI = p->u32PPIPositionInfo;
    vReturnDescriptor(p);

    const U32 u32State = s_u32SystemState;
    const bool bSynthOrPlayback =
        u32State == SYS_SIMULATION || u32State == SYS_POINT_OF_SALE || u32State == SYS_PLAYBACK;
    if (((s_u32MSSSweepState == 1 || s_u32MSSSweepState == 3) && u8Transducer == 16 && (beam == 2 || beam == 3)) ||
        bSynthOrPlayback) {
        if (u32State == SYS_PLAYBACK) {
            U32 u32Speed = 0;
            BOOLEAN bValid = FALSE;
            if (H_DATABASE_bFetchU32(FCID("YSPS"), &u32Speed, &bValid, nullptr) && bValid &&
                u32Speed != (u32PPI & 127))
                H_DATABASE_bUpdateEverythingU32(FCID("SSPS"), u32Speed, P_NORMAL, D_UNKNOWN, nullptr,
                                                DB_TIMEOUT_NEVER);
        }
        const U32 u32Beams = u32Key(FCID("SSPB"), 0);
        if ((beam == 2 && (u32Beams & 1)) || (beam == 3 && (u32Beams & 2)))
            g_Calls.pfnProcessPPISonar((S32)u32PPI >> 16, beam, u32PPI & 127, (u32PPI >> 7) & 1 ? TRUE : FALSE);
        if (!bSynthOrPlayback)
            return;
    }
    if (s_u32RefillAccumulatorBeams != 0) {
        --s_u32RefillAccumulatorBeams;
        return;
    }
    if (!bCheckAddColumns(beam, u8TransmitCycles, u8Transducer) && u32State != SYS_PLAYBACK)
        return;
    if ((beam == 2 || beam == 3) && s_bJiggingModeOn && u32Key(FCID("YST3"), 0) != 0 &&
        s_u32LastProcessed2DBeam != 1)
        return;
    vAddNewColumns(beam, u8Transducer);
}

// ---- Accumulators ----

RETURN_ACCUMULATOR t_n_process::Accumulator[ACCUMULATOR_BEAMS];

void t_n_process::vInitializeAccumulators(void)
{
    for (U32 b = 0; b < ACCUMULATOR_BEAMS; ++b) {
        RETURN_ACCUMULATOR& a = Accumulator[b];
        a.Resource = ACCUMULATOR_MUTEX[b];
        L_MUTEX_LockWait(ACCUMULATOR_MUTEX[b]);
        a.u32NumberOfSamples[0] = a.u32NumberOfSamples[1] = 0;
        a.bNoiseTooHigh[0] = a.bNoiseTooHigh[1] = FALSE;
        a.Location = SONAR_PING_LOCATION{};
        a.fDepthMetres = 0.0f;
        a.u32DepthInSamples = 0;
        a.u32SmoothedDepthInSamples = 0;
        a.u8Use = 0;
        a.u32RtsSamples = 0;
        a.FishTargetList.u8NumberOfTargets = 0;
        a.FishTargetList.bSimulatedFishList = FALSE;
        a.u32TimeStamp = 0;
        a.u32PingIndex = 0;
        L_MUTEX_Unlock(ACCUMULATOR_MUTEX[b]);
        s_u32ThresholdCntForExpAvg[b] = 0;
        s_fPreviousNoiseCutoff[b] = 0.0f;
    }
    for (BOOLEAN& b : bNoiseTooHighFlag)
        b = FALSE;
    s_u8NextFreeLastPeriodEntry = 0;
    s_u32LastTimeStamp = 0;
    s_u32RunningSum = 0;
    memset(s_au32LastPeriod, 0, sizeof s_au32LastPeriod);
}

void t_n_process::vClearAccumulator(BEAM Beam)
{
    if (Beam >= ACCUMULATOR_BEAMS)
        return;
    RETURN_ACCUMULATOR& a = Accumulator[Beam];
    L_MUTEX_LockWait(ACCUMULATOR_MUTEX[Beam]);
    a.u32NumberOfSamples[0] = a.u32NumberOfSamples[1] = 0;
    a.bNoiseTooHigh[0] = a.bNoiseTooHigh[1] = FALSE;
    a.u8Use = 0;
    a.FishTargetList.u8NumberOfTargets = 0;
    a.FishTargetList.bSimulatedFishList = FALSE;
    a.u32TimeStamp = 0;
    a.u32PingIndex = 0;
    L_MUTEX_Unlock(ACCUMULATOR_MUTEX[Beam]);
}

U32 T_N_PROCESS_u32GetSmoothedDepthInSamples(BEAM Beam)
{
    if (Beam >= ACCUMULATOR_BEAMS)
        return 0;
    RETURN_ACCUMULATOR& a = Accumulator[Beam];
    L_MUTEX_LockWait(ACCUMULATOR_MUTEX[Beam]);
    const U32 u32 = a.u32SmoothedDepthInSamples;
    L_MUTEX_Unlock(ACCUMULATOR_MUTEX[Beam]);
    return u32;
}
