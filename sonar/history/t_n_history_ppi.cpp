// The 360 ping processing (see the header): pings into colour rows, the
// sweep-area test, the rebuild from the raw store and the small answers to
// the info, navigation and ping code.
//
// A ping covers N sectors (the steps the transducer advanced). With N of 3
// to 16 and the same direction as the ping before, its rows are
// interpolated from the beam's previous ping to this one; otherwise (a
// turn, a first ping, N of 1 or 2, a gap fill, or an N above 16 as a
// network server, a recording or a damaged setting may give) the ping's
// colours are copied to all N rows, which wrap modulo 1600.
#include "sonar/history/t_n_history_ppi.h"

#include "sonar/dsp/s_coproc.h" // g_u32SpeedOfSoundInWater
#include "sonar/dsp/s_filter.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/history/t_n_history_cursor.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/process/t_n_process.h"

#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace t_n_history {

COLOR s_aPPIColorData[PPI_SECTORS][PPI_MAX_SAMPLES];
float s_fMssDepth[PPI_SECTORS];
U8 s_u8PPIAlphaBlending[PPI_SECTORS];
PPI_DISPLAY_DESCRIPTOR s_PPIDisplayDescriptor;
MSS_STATUS_DESCRIPTOR s_MSSObject;

std::atomic<S32> s_s32PPISector{400};
std::atomic<BOOLEAN> s_bClockwise{FALSE};
std::atomic<U32> s_nNumberOfPPISectors{PPI_SECTORS};
std::atomic<BOOLEAN> s_bMSSSweepLineHide{FALSE};
std::atomic<BOOLEAN> s_bMSSDataLocked{FALSE};
std::atomic<BOOLEAN> s_bLockedPosValid{FALSE};
float s_fLockedHeading = 0.0f;
POINT s_ptLockedPosition = {0, 0};
float s_fLockedLat = 0.0f, s_fLockedLon = 0.0f;
std::atomic<BOOLEAN> s_bClearMSSBuffer{FALSE};
std::atomic<BOOLEAN> s_bQuickSweepLeftEdgeSet{FALSE};
std::atomic<S32> s_s32QuickSweepLeftEdge{-1600};
std::atomic<U32> s_u32PPIZoom{0};
std::atomic<BOOLEAN> s_bCursorInitWithNoMove{FALSE};
std::atomic<U32> s_u32360HeadingOffsetEnabled{0};
std::atomic<S32> s_s32HeadingOffsetDegrees{0};
POINT s_ptCursorWaypoint = {0, 0};

} // namespace t_n_history

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr S32 SECTORS = (S32)PPI_SECTORS;
constexpr U32 PPI_WINDOW = 4;          // the 360 window of SonarViewInfo
constexpr double SECTORS_PER_DEGREE = 4.45;
constexpr U32 GAP_FILL_FACTOR = 10;   // a gap below 10 x N is filled
constexpr U32 FILTER_ROWS = 3;
constexpr U32 STATE_SIMULATION = 4;
constexpr U32 STATE_POINT_OF_SALE = 6;
constexpr SEMA SEMA_VIEW_UPDATE_360 = 106;

// ---- Working state of the ping processing (mutex 28, then 98) ----

U8 TempPPIValue[PPI_MAX_SAMPLES];
U8 AveragePPIValue[PPI_MAX_STEPS][PPI_MAX_SAMPLES];
COLOR AvgPPIColor[PPI_MAX_STEPS][PPI_MAX_SAMPLES];
U8 PreviousPPIValueL[PPI_MAX_SAMPLES];
U8 PreviousPPIValueR[PPI_MAX_SAMPLES];
BOOLEAN bPPIinited = FALSE;
BOOLEAN bAvgReady = FALSE;
S32 PosL = -1;
S32 PosR = -1;

// One line memory of the display filter.
struct FILTER_STATE {
    U8 au8Rows[FILTER_ROWS * PPI_MAX_SAMPLES];
    S32 s32Line;
    BOOLEAN bNeedsInit;
};
FILTER_STATE sFilterL = {{}, 0, TRUE};
FILTER_STATE sFilterR = {{}, 0, TRUE};
FILTER_STATE sFilterRebuild = {{}, 0, TRUE};

// The rebuild's rows.
U8 au8RebuildRow[PPI_MAX_SAMPLES];
U8 au8RebuildPrevious[PPI_MAX_SAMPLES];

// The sweep-area test's memory of a quick sweep being laid out.
std::atomic<BOOLEAN> bIniting{FALSE}; // the view task tests sectors too
std::atomic<BOOLEAN> bLock{FALSE};

// ---- Helpers ----

// Sector arithmetic stays in 0..1599 whatever the operands.
S32 s32Wrap(S64 s64Value)
{
    const S64 r = s64Value % SECTORS;
    return (S32)(r < 0 ? r + SECTORS : r);
}

S32 s32FetchS32(FOURCHARID fcid)
{
    S32 s32 = 0;
    H_DATABASE_bFetchS32(fcid, &s32, nullptr, nullptr);
    return s32;
}

U32 u32FetchU32(FOURCHARID fcid)
{
    U32 u32 = 0;
    H_DATABASE_bFetchU32(fcid, &u32, nullptr, nullptr);
    return u32;
}

bool bFetchValidFloat(FOURCHARID fcid, float* pf)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(fcid, pf, &bValid, nullptr) && bValid;
}

// Depth in metres to 26 us samples, as the unit computes it.
U32 u32DepthToSamples(float fDepth)
{
    const U32 u32Speed = g_u32SpeedOfSoundInWater.load();
    if (u32Speed == 0 || !(fDepth > 0.0f))
        return 13 / 26;
    const float fSamples = fDepth * 2000000.0f / (float)u32Speed;
    return ((U32)fSamples + 13) / 26;
}

U32 u32MaxSamples(void)
{
    const U32 u32Max = s_PPIDisplayDescriptor.u32MaxSamples;
    return u32Max > PPI_MAX_SAMPLES ? PPI_MAX_SAMPLES : u32Max;
}

// In place, through a scratch row (the resampler reads as it writes).
void vResampleInPlace(U8* pu8Row, U32 u32Out)
{
    U8 au8Out[PPI_MAX_SAMPLES];
    S_FRESAMPLE_vFastResample(pu8Row, PPI_MAX_SAMPLES, PPI_MAX_SAMPLES, au8Out, u32Out);
    memcpy(pu8Row, au8Out, u32Out);
    memset(pu8Row + u32Out, 0, PPI_MAX_SAMPLES - u32Out);
}

void vFilterRow(FILTER_STATE& f, U8* pu8Row, U32 u32Length)
{
    const U32 u32Filter = s_u32SweepScanFilter;
    if (u32Filter == 0)
        return;
    if (f.bNeedsInit) {
        memset(f.au8Rows, 0, sizeof f.au8Rows);
        f.s32Line = 0;
        f.bNeedsInit = FALSE;
    }
    S_FILTER_v2D_Flankview_Filter(u32Length, pu8Row, pu8Row, (FILTER_TYPE)u32Filter, &f.s32Line, f.au8Rows,
                                  PPI_MAX_SAMPLES);
}

bool bSweepingViewShown(void)
{
    return CurrentView == VIEW_PPI_DISPLAY || CurrentView == VIEW_PPI_PLUS_2D || CurrentView == VIEW_PPI_PLUS_CHART;
}

// Rounds toward minus infinity (b > 0), so that rows between two pings
// stay on the straight line from the previous sample to the current one
// whichever way the samples change.
S32 s32FloorDiv(S32 a, S32 b)
{
    const S32 q = a / b;
    return a % b != 0 && a < 0 ? q - 1 : q;
}

// floor(v / N) for every v = d x w of the interpolation (|d| <= 255,
// w <= N <= 16), indexed from the middle; rebuilt when N changes, which it
// rarely does, so that no ping divides 976 x N times.
constexpr S32 FLOOR_DIV_HALF = 255 * (S32)PPI_MAX_STEPS;
S16 s_as16FloorDiv[2 * FLOOR_DIV_HALF + 1];
U32 s_u32FloorDivN = 0;

const S16* ps16FloorDivTable(U32 N)
{
    if (s_u32FloorDivN != N) {
        for (S32 v = -FLOOR_DIV_HALF; v <= FLOOR_DIV_HALF; ++v)
            s_as16FloorDiv[v + FLOOR_DIV_HALF] = (S16)s32FloorDiv(v, (S32)N);
        s_u32FloorDivN = N;
    }
    return s_as16FloorDiv + FLOOR_DIV_HALF;
}

// Whether a sector lies in the area from start - range up to start, both
// edges included, wrapping across sector 0 when range exceeds start.
bool bInArea(S32 s32Sector, S32 s32Start, S32 s32Range)
{
    if (s32Start > s32Range)
        return s32Start - s32Range <= s32Sector && s32Sector <= s32Start;
    return s32Sector <= s32Start || s32Sector >= s32Start + SECTORS - s32Range;
}

// As above, the counter-clockwise edge itself outside.
bool bAboveAreaStart(S32 s32Sector, S32 s32Start, S32 s32Range)
{
    if (s32Start > s32Range)
        return s32Start - s32Range < s32Sector && s32Sector <= s32Start;
    return s32Sector <= s32Start || s32Sector > s32Start + SECTORS - s32Range;
}

// Step 9: a zoomed picture with an active cursor keeps still, and the
// boat's position and heading of that moment are kept for the overlay.
// TRUE when the ping is not to be drawn.
bool bFreeze(U32 u32Zoom)
{
    if (u32Zoom == 0 || !s_bCursorActive.load())
        return false;
    if (s_bMSSDataLocked.load())
        return true;
    const U32 u32State = u32FetchU32(FCID("CCST"));
    const FOURCHARID fcidHeading =
        u32State == STATE_SIMULATION || u32State == STATE_POINT_OF_SALE ? FCID("IHDG") : FCID("IHDC");
    float fHeading = 0.0f, fLat = 0.0f, fLon = 0.0f, fTd = 0.0f, fNd = 0.0f;
    bool bAll = bFetchValidFloat(fcidHeading, &fHeading);
    if (bAll)
        s_fLockedHeading = fHeading;
    bAll = bAll && bFetchValidFloat(FCID("ILAT"), &fLat);
    if (bAll)
        s_ptLockedPosition.y = (S32)fLat;
    bAll = bAll && bFetchValidFloat(FCID("ILON"), &fLon);
    if (bAll)
        s_ptLockedPosition.x = (S32)fLon;
    bAll = bAll && bFetchValidFloat(FCID("ILTD"), &fTd);
    if (bAll)
        s_fLockedLat = fTd;
    bAll = bAll && bFetchValidFloat(FCID("ILND"), &fNd);
    if (bAll)
        s_fLockedLon = fNd;
    s_bLockedPosValid = bAll ? TRUE : FALSE;
    s_bMSSDataLocked = TRUE;
    return true;
}

// Step 11: the ping's colours into rows col .. col + N - 1.
void vWriteRows(BEAM Beam, S32 s32Col, U32 N, BOOLEAN bClockwise, bool bGapFill, U32 u32Length)
{
    U8* pu8Previous = Beam == 2 ? PreviousPPIValueL : PreviousPPIValueR;
    const S8 s8Gain = s_sBeamInfo[Beam].s8Gain;
    const bool bSameDirection = bClockwise == s_bClockwise.load();
    if (bSameDirection && bPPIinited && N >= 3 && N <= PPI_MAX_STEPS && !bGapFill) {
        const S16* pDiv = ps16FloorDivTable(N);
        for (U32 k = 0; k < N; ++k) {
            const S32 s32Weight = bClockwise ? (S32)(k + 1) : (S32)(N - k);
            U8* pRow = AveragePPIValue[k];
            for (U32 i = 0; i < PPI_MAX_SAMPLES; ++i) {
                const S32 d = (S32)pu8Previous[i] - (S32)TempPPIValue[i];
                pRow[i] = (U8)(pu8Previous[i] - pDiv[d * s32Weight]);
            }
        }
        memcpy(pu8Previous, TempPPIValue, PPI_MAX_SAMPLES);
        bAvgReady = TRUE;
        for (U32 k = 0; k < N; ++k) {
            S_GRAYSCALE_vCategorize(AveragePPIValue[k], AvgPPIColor[k], u32Length, &SweepscanGrayScaleTable, 0,
                                    s8Gain);
            memcpy(s_aPPIColorData[s32Wrap((S64)s32Col + k)], AvgPPIColor[k], sizeof AvgPPIColor[k]);
        }
        return;
    }
    if (!bSameDirection || !bPPIinited) {
        memset(AveragePPIValue, 0, sizeof AveragePPIValue);
        memset(AvgPPIColor, 0, sizeof AvgPPIColor);
        bPPIinited = TRUE;
    }
    memcpy(pu8Previous, TempPPIValue, PPI_MAX_SAMPLES);
    bAvgReady = FALSE;
    COLOR* pRow = s_aPPIColorData[s32Col];
    S_GRAYSCALE_vCategorize(TempPPIValue, pRow, u32Length, &SweepscanGrayScaleTable, 0, s8Gain);
    for (U32 k = 1; k < N; ++k)
        memcpy(s_aPPIColorData[s32Wrap((S64)s32Col + k)], pRow, sizeof s_aPPIColorData[0]);
}

} // namespace

// ---- The sweep-area test ----

BOOLEAN t_n_history::bIsSectorInSweepArea(S32 S32CurrentPos, BOOLEAN bClockwise, U32 u32TargetFactor)
{
    const S32 S = s_MSSObject.s32SweepStart;
    const S32 R = s_MSSObject.s32SweepRange;
    switch (s_MSSObject.SweepingSetting) {
    case QUICK_SWEEP_SETTING:
        if (bClockwise && !bIniting) {
            bIniting = TRUE;
            bLock = TRUE;
            return FALSE;
        }
        if (!bLock)
            return TRUE;
        if (S32CurrentPos == s32Wrap((S64)S - u32TargetFactor + SECTORS))
            bLock = FALSE;
        return FALSE;
    case QUICK_SWEEP_ON:
    case QUICK_SWEEP_IN_ISOLATE_SETTING:
    case QUICK_SWEEP_IN_ISOLATE_ON:
        bIniting = FALSE;
        return bInArea(S32CurrentPos, S, R) ? TRUE : FALSE;
    default:
        bIniting = FALSE;
        bLock = FALSE;
        return TRUE;
    }
}

// ---- One ping ----

void T_N_HISTORY_vProcessPPISonar(S32 s32CurrentPosition, BEAM Beam, U32 u32TargetFactor, BOOLEAN bClockwise)
{
    if (Beam != 2 && Beam != 3)
        return;
    U32 N = u32TargetFactor;
    const S32 s32Offset = (S32)std::trunc((double)s32FetchS32(FCID("YMHL")) * SECTORS_PER_DEGREE);
    const S32 pos = s32Wrap((S64)s32CurrentPosition - s32Offset + SECTORS);

    L_MUTEX_LockWait(RES_S_INFO);
    if (!bIsSectorInSweepArea(pos, bClockwise, N)) {
        s_bMSSSweepLineHide = TRUE;
        L_MUTEX_Unlock(RES_S_INFO);
        return;
    }
    s_bMSSSweepLineHide = FALSE;
    const U32 u32Zoom = u32FetchU32(FCID("PPIZ"));
    U32 u32Sectors = s_nNumberOfPPISectors.load();
    if (u32Sectors == 0)
        u32Sectors = PPI_SECTORS;
    const bool bWasClockwise = s_bClockwise.load();

    // Target sector and the record of where this beam's next ping belongs.
    S32 col;
    S32* pExpected;
    if (Beam == 3) {
        const S32 s32Sector = pos + (bWasClockwise ? (S32)N : 0);
        s_s32PPISector = s32Sector;
        col = s32Wrap((S64)u32Sectors + u32Sectors / 2 + pos); // the opposite face
        MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
        if (m.SweepingSetting == QUICK_SWEEP_SETTING) {
            m.s32SweepRange = (m.s32SweepStart + SECTORS - pos) % (SECTORS / 2);
        } else if (m.SweepingSetting == QUICK_SWEEP_IN_ISOLATE_SETTING &&
                   bAboveAreaStart(s32Sector, m.s32SweepStart, m.s32SweepRange)) {
            const S32 s32Left = s_s32QuickSweepLeftEdge.load();
            if (s_bQuickSweepLeftEdgeSet.load()) {
                if (s32Left > -SECTORS) {
                    m.s32SweepDisplayStart = s32Sector;
                    m.s32SweepDisplayRange = s32Sector - s32Left + (s32Sector < s32Left ? SECTORS : 0);
                }
            } else {
                m.s32SweepDisplayRange = std::abs(m.s32SweepDisplayStart + SECTORS - pos) % (SECTORS / 2);
            }
        }
        pExpected = &PosR;
    } else {
        col = s32Wrap((S64)pos + u32Sectors);
        pExpected = &PosL;
    }

    // A ping or a few lost on the way leave a gap, filled with this ping.
    U32 gap = 0;
    bool bGapFill = false;
    const S32 P = *pExpected;
    if (P != -1 && col != P && bClockwise == bWasClockwise) {
        gap = (U32)std::abs(col - P);
        if (gap > 0 && gap < GAP_FILL_FACTOR * N) {
            if (bClockwise)
                col = P;
            N += gap;
            bGapFill = true;
            if (Beam == 3)
                log_me("Try to add the lost data from %d - %d steps\n", (int)col, (int)gap);
        } else {
            gap = 0;
        }
    }
    *pExpected = bClockwise ? col + (S32)N : col + (S32)gap - (S32)N;

    const SONAR_WINDOW& w = SonarViewInfo.Window[PPI_WINDOW];
    const U32 u32Upper = w.u32UpperSample;
    const U32 u32Lower = w.u32LowerSample;
    const float fDepth = s_fCurrentDepth;

    L_MUTEX_LockWait(RES_MSS);
    memset(TempPPIValue, 0, sizeof TempPPIValue);
    // Every refresh stores the same newest strip in its sector's raw row;
    // its display samples would be the same each time, so only the last
    // refresh resamples them.
    for (U32 k = 0; k < N; ++k)
        T_N_PROCESS_vRefreshMssRtsDataForDisplay(Beam, TempPPIValue, u32Upper, u32Lower,
                                                 k + 1 == N ? PPI_MAX_SAMPLES : 0, (U32)s32Wrap((S64)col + k));
    if (s_bSweepTerrainMode) {
        memset(TempPPIValue, 0, sizeof TempPPIValue);
        const U32 u32First = u32DepthToSamples(fDepth);
        T_N_PROCESS_vFetchMssRtsDataForDisplay(TempPPIValue, u32First, u32Lower > u32First ? u32Lower - u32First : 0,
                                               PPI_MAX_SAMPLES, (U32)col);
    }
    const U32 u32Length = u32MaxSamples();
    vResampleInPlace(TempPPIValue, u32Length);
    for (U32 k = 0; k < N; ++k)
        s_fMssDepth[s32Wrap((S64)col + k)] = fDepth;

    if (bFreeze(u32Zoom)) {
        L_MUTEX_Unlock(RES_MSS);
        L_MUTEX_Unlock(RES_S_INFO);
        return;
    }
    vFilterRow(Beam == 2 ? sFilterL : sFilterR, TempPPIValue, u32Length);
    vWriteRows(Beam, col, N, bClockwise, bGapFill, u32Length);
    L_MUTEX_Unlock(RES_MSS);

    if (bSweepingViewShown())
        L_SEMA_Signal(SEMA_VIEW_UPDATE_360);
    s_bClockwise = bClockwise;
    L_MUTEX_Unlock(RES_S_INFO);
}

// ---- The rebuild ----

void T_N_HISTORY_vRecalculateMSSData(void)
{
    if (!s_bMSSDeployed.load() || !s_bMSSConnected.load())
        return;
    s_bPPIDisplayReset = FALSE;
    L_MUTEX_LockWait(RES_S_INFO);
    L_MUTEX_LockWait(RES_MSS);
    const SONAR_WINDOW& w = SonarViewInfo.Window[PPI_WINDOW];
    const U32 u32Length = u32MaxSamples();
    const S8 s8Gain = s_sBeamInfo[2].s8Gain;
    const S32 s32Start = s32Wrap(s_s32PPISector.load());
    const bool bSmooth = s_u32PPISectorStepFactor > 2;
    for (S32 i = 0; i < SECTORS; ++i) {
        const S32 sector = s32Wrap((S64)s32Start + i);
        memset(au8RebuildRow, 0, sizeof au8RebuildRow);
        U32 u32First = w.u32UpperSample;
        U32 u32Count = w.u32LowerSample;
        if (s_bSweepTerrainMode) {
            u32First = u32DepthToSamples(s_fMssDepth[sector]);
            u32Count = w.u32LowerSample > u32First ? w.u32LowerSample - u32First : 0;
        }
        T_N_PROCESS_vFetchMssRtsDataForDisplay(au8RebuildRow, u32First, u32Count, PPI_MAX_SAMPLES, (U32)sector);
        vResampleInPlace(au8RebuildRow, u32Length);
        vFilterRow(sFilterRebuild, au8RebuildRow, u32Length);
        // Neighbouring sectors of a fast sweep come from pings far apart:
        // each row is averaged with the one before it.
        if (i == 0 || !bSmooth) {
            memcpy(au8RebuildPrevious, au8RebuildRow, sizeof au8RebuildRow);
        } else {
            for (U32 j = 0; j < PPI_MAX_SAMPLES; ++j) {
                const U8 t = au8RebuildRow[j];
                au8RebuildRow[j] = (U8)((au8RebuildRow[j] + au8RebuildPrevious[j]) >> 1);
                au8RebuildPrevious[j] = t;
            }
        }
        S_GRAYSCALE_vCategorize(au8RebuildRow, s_aPPIColorData[sector], u32Length, &SweepscanGrayScaleTable, 0,
                                s8Gain);
    }
    L_MUTEX_Unlock(RES_MSS);
    L_MUTEX_Unlock(RES_S_INFO);
}

// ---- Answers to the info, navigation and ping code ----

BOOLEAN T_N_HISTORY_bMSSCursorOffset(POINT* pPoint)
{
    if (s_MSSObject.SweepingSetting < ISOLATE_SWEEP_ON)
        return FALSE;
    if (pPoint != nullptr && s_u32PPIZoom.load() == 0 && !s_bCursorInitWithNoMove.load()) {
        pPoint->x -= s_PPIDisplayDescriptor.s32CursorOffset.x;
        pPoint->y -= s_PPIDisplayDescriptor.s32CursorOffset.y;
    }
    return TRUE;
}

BOOLEAN T_N_HISTORY_bCursoredWaypointInMSS(void)
{
    L_MUTEX_LockWait(RES_MSS_VIEW);
    const bool bOnWaypoint = s_u32CursorWaypoint != NO_CURSOR_WAYPOINT;
    L_MUTEX_Unlock(RES_MSS_VIEW);
    return bOnWaypoint ? TRUE : FALSE;
}

// ---- Start ----

void t_n_history::vInit360(void)
{
    memset(s_fMssDepth, 0, sizeof s_fMssDepth);
    memset(s_u8PPIAlphaBlending, 0, sizeof s_u8PPIAlphaBlending);
    vResetPixelMap();
    MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
    m = MSS_STATUS_DESCRIPTOR{};
    m.SweepStatus = FULL_SWEEP;
    m.u8CurrentTransducer = 15;
    m.u8LocalTransducer = 15;
    m.SweepingSetting = SWEEP_SETTING_OFF;
    m.bIsLastSweepFull = 1;
    m.s32SweepStart = -1;
    m.s32SweepRange = -1;
    m.s32SweepDisplayStart = -1;
    m.s32SweepStartSaved = -1;
    m.u32PPISectorStepFactor = 1;
    m.u32PPIViewOffset = 1;
    m.u32PPIViewOffsetSaved = 1;
    PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    d = PPI_DISPLAY_DESCRIPTOR{};
    d.u32CenterRadius = 2;
    d.u8ZoomLevel = 0;
    // The interpolation and gap records start again with the next ping.
    bPPIinited = FALSE;
    bAvgReady = FALSE;
    PosL = PosR = -1;
    sFilterL.bNeedsInit = sFilterR.bNeedsInit = sFilterRebuild.bNeedsInit = TRUE;
    bIniting = FALSE;
    bLock = FALSE;
    s_s32PPISector = 400;
    s_bClockwise = FALSE;
    s_bMSSSweepLineHide = FALSE;
    s_bMSSDataLocked = FALSE;
    s_bLockedPosValid = FALSE;
}
