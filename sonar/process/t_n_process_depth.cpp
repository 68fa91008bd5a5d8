// The unit's depth: one choice among the beams' own bottoms, with
// hysteresis so that it does not flicker, published as "IDEP" and fed to
// the shallow-depth alarm.
//
// The counters of BeamDepthHistory count consecutive calls in which each
// candidate was usable or not; they run on for the life of the process and
// are advanced from the processing task and, through the samples form,
// from the history task.
#include "sonar/process/t_n_process.h"

#include "kernel/l_clock.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_coproc.h" // g_u32SpeedOfSoundInWater
#include "sonar/neighbour_standins.h"
#include "sonar/process/t_n_process_state.h"
#include "store/h_database.h"
#include "ui/u_view.h"
#include "util/u_convert.h"

#include <cmath>

namespace t_n_process {

BEAM_DEPTH_HISTORY BeamDepthHistory;
std::atomic<U8> u8Invalid455kHzCnt{0};
std::atomic<TICKS> s_TimeStamp{0};

} // namespace t_n_process

using namespace t_n_process;

namespace {

constexpr S32 VIEW_DUAL_BEAM = 51;
constexpr U32 SELECT_LF = 0;
constexpr U32 SELECT_200 = 1;
constexpr U32 SELECT_BOTH = 4;
constexpr U32 SELECT_SHORT = 255;
constexpr U32 SYS_SIMULATION = 4;
constexpr U32 SYS_POINT_OF_SALE = 6;
constexpr U32 SYS_PLAYBACK = 11;
constexpr TICKS PUBLISH_INTERVAL_MS = 250;
constexpr U32 IDEP_TIMEOUT_S = 6;

const char* s_acDepth[DB_NUM_LANGUAGES] = {"Depth"};

U32 u32Speed(void)
{
    const U32 u32 = g_u32SpeedOfSoundInWater;
    return u32 != 0 ? u32 : 1463;
}

// A depth key's value; usable when it is written, still valid and above 0.
float fDepthKey(FOURCHARID fcid, bool* pbUsable)
{
    float f = 0.0f;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchFloat(fcid, &f, &bValid, nullptr))
        f = 0.0f;
    *pbUsable = bValid && f > 0.0f;
    return f;
}

bool bDualBeamView(void) { return U_VIEW_eCurrentView() == VIEW_DUAL_BEAM; }

void vCount(bool bUsable, std::atomic<U32>& valid, std::atomic<U32>& invalid)
{
    if (bUsable) {
        ++valid;
        invalid = 0;
    } else {
        ++invalid;
        valid = 0;
    }
}

// The down-imaging 2D pair (200 kHz and a higher beam): the higher beam
// wins in shallow water, or when it agrees or the range is very deep in
// salt water.
float fChooseHighPair(float f200, float fHigh)
{
    if (f200 > 0.0f && fHigh > 0.0f) {
        if (db_u32WaterType == WATER_SALT_DEEP) {
            if (std::fabs(f200 - fHigh) < 0.1f * f200)
                return f200;
            return s_fLowerDepth > 350.0f ? fHigh : f200;
        }
        return fHigh < 30.0f ? fHigh : f200;
    }
    if (f200 > 0.0f)
        return f200;
    return fHigh > 0.0f ? fHigh : 0.0f;
}

} // namespace

void t_n_process::vResetBeamDepthHistory(void)
{
    BeamDepthHistory.LastChosenBeam = 1;
    for (std::atomic<U32>* p : {&BeamDepthHistory.u32HFBeamValidCnt, &BeamDepthHistory.u32HFBeamInValidCnt,
                                &BeamDepthHistory.u32LFBeamValidCnt, &BeamDepthHistory.u32LFBeamInValidCnt,
                                &BeamDepthHistory.u32ShortTxBeamValidCnt, &BeamDepthHistory.u32ShortTxBeamInValidCnt,
                                &BeamDepthHistory.u32UnknownDepth})
        *p = 0;
    u8Invalid455kHzCnt = 0;
}

float t_n_process::fSelectBestDepth(void)
{
    bool b200 = false, bLF = false, bShort = false;
    const float f200 = fDepthKey(FCID("IDE2"), &b200);
    const float fLF = fDepthKey(FCID("IDE8"), &bLF);
    const float fShort = fDepthKey(FCID("IDES"), &bShort);

    const U32 u32Selected = s_BeamSelected;
    if (u32Selected == SELECT_BOTH || bDualBeamView()) {
        b200 = bLF = true;
    } else if (u32Selected == SELECT_LF) {
        bLF = true;
    } else if (u32Selected == SELECT_200) {
        b200 = true;
    } else if (u32Selected == SELECT_SHORT) {
        return fShort;
    }

    if (g_Calls.pfnCurrentTransducer(SONAR_SOURCE_KV) != 15)
        return T_N_PROCESS_fSelectBestDepthInMeters(b200 ? f200 : 0.0f, bLF ? fLF : 0.0f, bShort ? fShort : 0.0f);

    // Transducer 15: its 2D beams are 200 and 455 kHz; a shallow 455 kHz
    // bottom is preferred, but not for more than six calls without one.
    bool b455 = false;
    const float f455 = fDepthKey(FCID("IDE4"), &b455);
    if (f455 < 5.0f && (!b200 || f200 < 5.0f)) {
        if (u8Invalid455kHzCnt > 5) {
            u8Invalid455kHzCnt = 0;
        } else {
            if (!b455 || f455 == 0.0f)
                ++u8Invalid455kHzCnt;
            else
                u8Invalid455kHzCnt = 0;
            const U32 u32State = s_u32SystemState;
            if (u32State != SYS_SIMULATION && u32State != SYS_POINT_OF_SALE) {
                b455 = true;
                b200 = false;
            }
        }
    } else {
        u8Invalid455kHzCnt = 0;
    }
    if (s_u32DigitalDepthSource == 1)
        b455 = false;
    return fChooseHighPair(b200 ? f200 : 0.0f, b455 ? f455 : 0.0f);
}

float T_N_PROCESS_fSelectBestDepthInMeters(float f200depth, float fLFdepth, float fShortTxDepth)
{
    BEAM_DEPTH_HISTORY& h = BeamDepthHistory;
    vCount(fShortTxDepth > 0.0f && fShortTxDepth <= 6.0f, h.u32ShortTxBeamValidCnt, h.u32ShortTxBeamInValidCnt);
    if (f200depth <= 0.0f)
        vCount(false, h.u32HFBeamValidCnt, h.u32HFBeamInValidCnt);
    else if (f200depth <= 150.0f || (s_BeamSelected == SELECT_200 && !bDualBeamView()))
        vCount(true, h.u32HFBeamValidCnt, h.u32HFBeamInValidCnt);
    vCount(fLFdepth > 150.0f, h.u32LFBeamValidCnt, h.u32LFBeamInValidCnt);

    bool b200 = false, bLF = false, bShort = false;
    if (h.u32ShortTxBeamInValidCnt > 7) {
        bLF = fLFdepth > 0.0f;
        b200 = f200depth > 0.0f;
    } else if (h.u32ShortTxBeamValidCnt > 5) {
        bShort = true;
    } else if (h.u32HFBeamInValidCnt <= 7) {
        if (h.u32HFBeamValidCnt > 5) {
            b200 = true;
        } else if (h.u32LFBeamInValidCnt > 7) {
            b200 = f200depth > 0.0f;
            bShort = fShortTxDepth > 0.0f;
        } else if (h.u32LFBeamValidCnt <= 5) {
            b200 = f200depth > 0.0f;
            bLF = fLFdepth > 0.0f;
            bShort = fShortTxDepth > 0.0f;
        } else {
            bLF = fLFdepth > 0.0f;
        }
    } else {
        bLF = fLFdepth > 0.0f;
        bShort = fShortTxDepth > 0.0f;
    }

    const bool bSalt = db_u32WaterType == WATER_SALT_DEEP;
    if (bShort && fShortTxDepth <= 6.0f)
        return fShortTxDepth;
    if (b200 && bLF) {
        if (s_fLowerDepth > 350.0f)
            return fLFdepth;
        if (bSalt) {
            if (f200depth > 150.0f)
                return fLFdepth;
            if (std::fabs(f200depth - fLFdepth) <= 0.1f * f200depth)
                return f200depth;
            return fLFdepth >= 150.0f ? fLFdepth : f200depth;
        }
        return f200depth <= 175.0f ? f200depth : fLFdepth;
    }
    if (b200)
        return f200depth;
    if (bLF)
        return bSalt || fLFdepth > 150.0f ? fLFdepth : 0.0f;
    return 0.0f;
}

U32 T_N_PROCESS_u32SelectBestDepthInSamples(U32 u32DepthSamples200, U32 u32DepthSamplesLF)
{
    const U32 u32SpeedMs = u32Speed();
    const float f200 = (float)u32DepthSamples200 * 26.0f * (float)u32SpeedMs * 5e-7f;
    const float fLF = (float)u32DepthSamplesLF * 26.0f * (float)u32SpeedMs * 5e-7f;
    const U8 u8Transducer = g_Calls.pfnCurrentTransducer(SONAR_SOURCE_KV);
    const float fDepth = (u8Transducer == 15 || u8Transducer == 17 || u8Transducer == 18)
                             ? fChooseHighPair(f200, fLF)
                             : T_N_PROCESS_fSelectBestDepthInMeters(f200, fLF, 0.0f);
    return u32SamplesOfDepth(fDepth);
}

void T_N_PROCESS_vUpdateDepthInDatabase(float fDepthInMetres)
{
    const TICKS now = (TICKS)L_CLOCK_qwGetTimeInMillis();
    if (now - s_TimeStamp <= PUBLISH_INTERVAL_MS)
        return;
    const bool bPlayback = s_u32SystemState == SYS_PLAYBACK;
    if (!bPlayback)
        s_TimeStamp = now;
    const double dDepth = dConvertToInternal(fDepthInMetres, D_DEPTH, U_METRES);
    if (!(dDepth > 0.0))
        return;
    // Outside playback the depth lapses 6 s after the last usable bottom.
    H_DATABASE_bUpdateEverythingFloat(FCID("IDEP"), (float)dDepth, P_NORMAL, D_DEPTH, &s_acDepth,
                                      bPlayback ? DB_TIMEOUT_NEVER : IDEP_TIMEOUT_S);
    if (bPlayback)
        s_TimeStamp = now;
    s_fCurrentDepth = fDepthInMetres;
    S_DEPTHALARM_vCompareNewDepthAgainstAlarmSetPoint(0, fDepthInMetres, db_fDepthAlarm);
}
