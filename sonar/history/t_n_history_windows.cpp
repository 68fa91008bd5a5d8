// Sonar windows and depth ranges: the layout of every sonar view and the
// displayed range of each window in metres, display digits and samples.
//
// Every range operation remembers the last values it handled and leaves the
// windows alone when nothing changed, so that the costly total redraw and
// resampling happen only on a real change. Callers hold mutex 28; the
// layout takes it itself as well, so that a column pass never sees a
// half-built layout whoever calls it.
#include "sonar/dsp/s_coproc.h" // g_u32SpeedOfSoundInWater
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"

#include "graphics/g_bmp.h"
#include "kernel/l_mutex.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_depth.h"
#include "store/h_database.h"
#include "ui/t_info_bar.h"
#include "ui/t_view.h"

#include <algorithm>
#include <cmath>

namespace t_n_history {

const U8 u8ZoomLevelTable[4] = {2, 4, 6, 8};

} // namespace t_n_history

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr U32 SCREEN_WIDTH = 800;
constexpr U32 SCREEN_HEIGHT = 600;
constexpr U32 LOOKBACK = 40;
constexpr U32 LOOKBACK_ZOOM_MAX = 200;
constexpr float RANGE_EPSILON = 0.0001f;
constexpr TICKS AUTO_RANGE_HOLD_MS = 5000;
constexpr float SIDE_DEPTH_STEP_METRES = 2.0f;
constexpr float SIDE_AUTO_MARKER_METRES = 2.0f;
constexpr U32 TRANSDUCER_DOWN_IMAGING_2D = 15;
constexpr U32 TRANSDUCER_360 = 16;
constexpr S32 SPLIT_PERCENT_ABSENT = 50;

// ---- Range statics ----

float s_fLastUpperMetres = 0.0f;
float s_fLastLowerMetres = 0.0f;
float s_fDeepestMetres = 0.0f;
TICKS s_DeepestTime = 0;
float s_fLastSideDepthMetres = 0.0f;
float s_fLastSideLowerMetres = 0.0f;
UNIT_TYPE s_eLastValidSideUnit = U_METRES;
float s_fUpperZoomDisplayedDepthMetres = 0.0f;
U32 s_u32LastUpperZoomDigits = 0;
U32 s_u32LastLowerZoomDigits = 0;

// ---- Helpers ----

SONAR_WINDOW& window(U32 i) { return SonarViewInfo.Window[i]; }

float fMetresOfDigits(double dDigits, UNIT_TYPE eUnit) { return (float)dGenericConvert(dDigits, eUnit, U_METRES); }

float fFetchFloat(FOURCHARID fcid, float fAbsent)
{
    float f = fAbsent;
    H_DATABASE_bFetchFloat(fcid, &f, nullptr, nullptr);
    return f;
}

S32 s32SplitPercent(FOURCHARID fcid)
{
    S32 s32 = SPLIT_PERCENT_ABSENT;
    H_DATABASE_bFetchS32(fcid, &s32, nullptr, nullptr);
    return s32;
}

void vPublishFloat(FOURCHARID fcid, float f)
{
    H_DATABASE_bUpdateEverythingFloat(fcid, f, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
}

// Lower digits and sample of a window from its lower metres, upper edge 0.
void vSideWindowFromLower(SONAR_WINDOW& w)
{
    const UNIT_TYPE eUnit = SonarViewInfo.unitsDepth;
    w.fUpperDisplayedMetres = 0.0f;
    w.u32UpperDigits = 0;
    w.u32UpperSample = 0;
    w.u32LowerDigits = u32Digits(w.fLowerDisplayedMetres, eUnit);
    w.u32LowerSample = u32CalculateSamples(w.u32LowerDigits, eUnit);
    w.bTriggerTotalScreenUpdate = TRUE;
    bForceResample = TRUE;
}

void vCopyRange(const SONAR_WINDOW& from, SONAR_WINDOW& to)
{
    to.fUpperDisplayedMetres = from.fUpperDisplayedMetres;
    to.fLowerDisplayedMetres = from.fLowerDisplayedMetres;
    to.u32UpperDigits = from.u32UpperDigits;
    to.u32LowerDigits = from.u32LowerDigits;
    to.u32UpperSample = from.u32UpperSample;
    to.u32LowerSample = from.u32LowerSample;
    to.bManualDepthRange = from.bManualDepthRange;
}

// ---- Layout helpers ----

void vSet(U32 i, BEAM beam, U32 u32Height, BOOLEAN bLink = TRUE)
{
    SONAR_WINDOW& w = window(i);
    w.Beam = beam;
    w.u32HistoryHeight = u32Height;
    if (bLink && beam < SONAR_BEAMS)
        s_sBeamInfo[beam].pMain = &w;
}

void vSetLookback(U32 i, U32 u32Lookback) { window(i).u32DepthRangeLookback = u32Lookback; }

void vSetVertical(U32 i, BEAM beam, U32 u32Height, BOOLEAN bLink = TRUE)
{
    vSet(i, beam, u32Height, bLink);
    window(i).bVerticalScroll = TRUE;
}

// The real-time strip shows the selected beam, and beam 1 for the blend.
BEAM rtsOf(BEAM sel) { return sel == 4 ? 1 : sel; }

// Windows 1 and 2 of the views with a side-looking pane of width W.
void vSidePair(U32 W)
{
    const U32 u32Half = W / 2 - 2;
    switch (db_u32SideBeamView) {
    case SIDE_BEAM_LEFT:
        vSetVertical(1, 2, W);
        vSetVertical(2, SONAR_NO_BEAM, u32Half);
        break;
    case SIDE_BEAM_RIGHT:
        vSetVertical(1, SONAR_NO_BEAM, u32Half);
        vSetVertical(2, 3, W);
        break;
    default:
        vSetVertical(1, 2, u32Half);
        vSetVertical(2, 3, u32Half);
        break;
    }
}

// Windows 1 and 2 of the side views (47, and 56 with its window 4).
void vSideView(void)
{
    const U32 side = db_u32SideBeamView;
    vSetVertical(1, side == SIDE_BEAM_LEFT || side == SIDE_BEAM_BOTH ? 2 : SONAR_NO_BEAM,
                 side == SIDE_BEAM_LEFT ? 800 : 398);
    vSetVertical(2, side == SIDE_BEAM_RIGHT || side == SIDE_BEAM_BOTH ? 3 : SONAR_NO_BEAM,
                 side == SIDE_BEAM_RIGHT ? 800 : 399);
}

U32 u32PaneWidth(BOOLEAN bLeft, FOURCHARID fcidSplit)
{
    const S32 s32Percent = s32SplitPercent(fcidSplit);
    const S32 s32Width = bLeft ? T_VIEW_s32SplitViewLeftWidth((S32)SCREEN_WIDTH, s32Percent)
                               : T_VIEW_s32SplitViewRightWidth((S32)SCREEN_WIDTH, s32Percent);
    return s32Width > 0 ? (U32)s32Width : 0;
}

void vLayoutView(LAYER_ID view, U32 bar, U32 h)
{
    const BEAM sel = s_beamSelect;
    switch (view) {
    case VIEW_CHART_PLUS_KEELVIEW:
        vSet(0, 5, h);
        vSetLookback(0, LOOKBACK);
        break;
    case VIEW_CHART_PLUS_2D:
    case VIEW_SONAR_3D_PLUS_2D:
    case VIEW_SONAR:
    case VIEW_FLASHER:
        vSet(0, sel, h);
        vSetLookback(0, LOOKBACK);
        SonarViewInfo.RTSBeam = rtsOf(sel);
        break;
    case VIEW_CHART_PLUS_FLANKVIEW:
        vSet(0, sel, SCREEN_HEIGHT);
        vSetLookback(0, LOOKBACK);
        vSidePair(u32PaneWidth(TRUE, FCID("SZCS")));
        break;
    case VIEW_KEELVIEW:
        vSet(0, 5, h);
        vSetLookback(0, LOOKBACK);
        SonarViewInfo.RTSBeam = 5;
        break;
    case VIEW_KEELVIEW_PLUS_FLANKVIEW:
        vSet(0, 5, h);
        vSetLookback(0, LOOKBACK);
        vSidePair(u32PaneWidth(FALSE, FCID("SZDS")));
        break;
    case VIEW_KEELVIEW_PLUS_2D:
        vSet(0, sel, h);
        vSetLookback(0, LOOKBACK);
        vSet(1, 5, h);
        vSetLookback(1, LOOKBACK);
        SonarViewInfo.RTSBeam = rtsOf(sel);
        break;
    case VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D:
        vSet(0, sel, h / 2);
        vSetLookback(0, LOOKBACK);
        vSet(3, 5, h / 2);
        vSetLookback(3, LOOKBACK);
        vSidePair(u32PaneWidth(FALSE, FCID("SZDZ")));
        break;
    case VIEW_SIDEVIEW_AND_DOWN:
        vSet(0, 1, h);
        vSetLookback(0, LOOKBACK);
        vSet(1, 2, h);
        vSet(2, 3, h);
        switch (SonarViewInfo.eQuadLayout) {
        case QUAD_LAYOUT_3_PANE_FLAT:
            break;
        case QUAD_LAYOUT_3_PANE_SLANTED:
            for (U32 i = 0; i < 3; ++i)
                window(i).u32HistoryHeight = 334 - bar;
            break;
        case QUAD_LAYOUT_HORIZONTAL:
            window(0).u32HistoryHeight = h / 2 - 1;
            window(1).u32HistoryHeight = h / 2 - 3;
            window(2).u32HistoryHeight = h / 2 - 3;
            break;
        default:
            window(0).u32HistoryHeight = h / 2 - 1;
            vSetVertical(1, 2, 398);
            vSetVertical(2, 3, 398);
            break;
        }
        break;
    case VIEW_SIDEVIEW:
        vSet(0, 1, 300);
        vSetLookback(0, LOOKBACK);
        vSideView();
        break;
    case VIEW_SONAR_ZOOM:
        vSet(0, sel, h);
        vSetLookback(0, std::min(s_u32UnZoomedWidth, LOOKBACK_ZOOM_MAX));
        vSet(1, sel, h, FALSE);
        if (sel < SONAR_BEAMS)
            s_sBeamInfo[sel].pZoom = &window(1);
        break;
    case VIEW_DUAL_BEAM:
        vSet(0, 1, h);
        vSetLookback(0, LOOKBACK);
        vSet(1, T_N_HISTORY_bTransducerSelected(TRANSDUCER_DOWN_IMAGING_2D) ? 2 : 0, h);
        break;
    case VIEW_FLANKVIEW_PLUS_2D:
        vSet(0, sel, h);
        vSetLookback(0, LOOKBACK);
        vSidePair(u32PaneWidth(FALSE, FCID("SZS2")));
        SonarViewInfo.RTSBeam = rtsOf(sel);
        break;
    case VIEW_MEGA_DIGIT:
        vSet(0, sel, SCREEN_HEIGHT);
        vSetLookback(0, LOOKBACK);
        SonarViewInfo.RTSBeam = rtsOf(sel);
        break;
    case VIEW_PPI_DISPLAY:
        vSet(0, 1, 300);
        vSetLookback(0, LOOKBACK);
        vSideView();
        // Window 4 mirrors window 2 for the 360 unit's side picture; no
        // beam draws into it through the links.
        vSet(4, window(2).Beam, window(2).u32HistoryHeight, FALSE);
        window(4).bVerticalScroll = window(2).bVerticalScroll;
        break;
    case VIEW_PPI_PLUS_2D:
    case VIEW_PPI_PLUS_CHART:
        vSet(0, sel, h);
        vSetLookback(0, LOOKBACK);
        vSet(4, 3, h, FALSE);
        vSetLookback(4, LOOKBACK);
        SonarViewInfo.RTSBeam = rtsOf(sel);
        break;
    default:
        break;
    }
}

// The bitmap of a window takes the geometry of its scroll direction; in
// view 42 windows 0 and 3 share the left pane's height.
void vSetGeometry(U32 i, LAYER_ID view, U32 h)
{
    BITMAP* p = window(i).ScreenHistory.pBmp;
    if (p == nullptr)
        return;
    const BOOLEAN bVertical = window(i).bVerticalScroll;
    const U32 u32Wide = bVertical ? SCREEN_HEIGHT : SCREEN_WIDTH;
    const U32 u32High = bVertical ? SCREEN_WIDTH : SCREEN_HEIGHT;
    p->pixels_wide = p->pixels_wide_full_screen = p->__u32PixelWidthOfBuffer = u32Wide;
    p->pixels_high = p->pixels_high_full_screen = p->__u32PixelHeightOfBuffer = u32High;
    p->s32ClipLeft = p->s32ClipLeft_full_screen = 0;
    p->s32ClipBottom = p->s32ClipBottom_full_screen = 0;
    p->s32ClipRight = p->s32ClipRight_full_screen = (S32)u32Wide - 1;
    p->s32ClipTop = p->s32ClipTop_full_screen = (S32)u32High - 1;
    if (view == VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D && (i == 0 || i == 3)) {
        const U32 u32Half = h / 2;
        p->pixels_high_full_screen = u32Half;
        p->s32ClipTop_full_screen = (S32)u32Half - 1;
        p->__u32PixelHeightOfBuffer = (u32Half + 1) & ~1u;
        // Rows map through the shorter full-screen height: a clip box
        // reaching above it would address pixels in front of the buffer.
        p->s32ClipTop = (S32)u32Half - 1;
    }
}

// Fills the whole static memory of a history bitmap, whatever its layout.
void vClearHistoryMemory(const BITMAP* pBmp)
{
    BITMAP whole = *pBmp;
    whole.__u32PixelWidthOfBuffer = HISTORY_MEMORY_COLUMNS;
    whole.__u32PixelHeightOfBuffer = HISTORY_MEMORY_ROWS;
    G_BMP_vSet(&whole, BackGroundColor.load());
}

} // namespace

// ---- Samples and digits ----

U32 t_n_history::u32CalculateSamples(U32 u32DigitsIn, UNIT_TYPE eUnit)
{
    const double dMetres = dGenericConvert((double)u32DigitsIn, eUnit, U_METRES);
    const U32 u32Speed = g_u32SpeedOfSoundInWater.load();
    if (!(dMetres > 0.0) || u32Speed == 0)
        return 0;
    const U32 u32Micros = (U32)(dMetres * 2000000.0 / (double)u32Speed);
    return (u32Micros + 13) / 26;
}

U32 t_n_history::u32Digits(float fMetres, UNIT_TYPE eUnit)
{
    const double d = dConvertFromInternal((double)fMetres, D_DEPTH, eUnit) + 0.5;
    if (!(d > 0.0))
        return 0;
    return d >= 4294967295.0 ? 0xFFFFFFFFu : (U32)d;
}

void t_n_history::vForgetRanges(void)
{
    s_fLastUpperMetres = s_fLastLowerMetres = 0.0f;
    s_fDeepestMetres = 0.0f;
    s_DeepestTime = 0;
    s_fLastSideDepthMetres = s_fLastSideLowerMetres = 0.0f;
    s_eLastValidSideUnit = U_METRES;
    s_fUpperZoomDisplayedDepthMetres = 0.0f;
    s_u32LastUpperZoomDigits = s_u32LastLowerZoomDigits = 0;
}

// ---- Layout ----

void t_n_history::vSetupSonarWindows(void)
{
    L_MUTEX_LockWait(RES_S_INFO);
    const U32 bar = std::min<U32>(T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_LEFT_WINDOW), SCREEN_HEIGHT);
    const U32 h = SCREEN_HEIGHT - bar;

    for (BEAM_INFO& b : s_sBeamInfo) {
        b.pMain = nullptr;
        b.pZoom = nullptr;
    }
    // The view task copies from these bitmaps under the history's mutex.
    for (U32 i = 0; i < SONAR_WINDOWS; ++i) {
        window(i).Beam = SONAR_NO_BEAM;
        window(i).bVerticalScroll = FALSE;
        if (window(i).ScreenHistory.pBmp != nullptr) {
            L_MUTEX_LockWait(window(i).ScreenHistory.Resource);
            vClearHistoryMemory(window(i).ScreenHistory.pBmp);
            L_MUTEX_Unlock(window(i).ScreenHistory.Resource);
        }
    }
    SonarViewInfo.RTSBeam = SONAR_NO_BEAM;

    vLayoutView(CurrentView, bar, h);

    for (U32 i = 0; i < SONAR_WINDOWS; ++i) {
        L_MUTEX_LockWait(window(i).ScreenHistory.Resource);
        vSetGeometry(i, CurrentView, h);
        L_MUTEX_Unlock(window(i).ScreenHistory.Resource);
    }

    const BEAM rts = SonarViewInfo.RTSBeam;
    L_MUTEX_Unlock(RES_S_INFO);
    H_DATABASE_bUpdateEverythingU32(FCID("CSRB"), rts, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
}

// ---- Window 0's range ----

void t_n_history::vCalculateDisplayedDepthRanges(BOOLEAN bForceRecalculation)
{
    SONAR_WINDOW& w0 = window(0);
    const UNIT_TYPE eUnit = SonarViewInfo.unitsDepth;
    SONAR_WINDOW* pTwin = CurrentView == VIEW_KEELVIEW_PLUS_2D                  ? &window(1)
                          : CurrentView == VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D ? &window(3)
                                                                                 : nullptr;
    bool bHandled = false;
    if (bForceRecalculation || std::fabs(w0.fUpperDisplayedMetres - s_fLastUpperMetres) > RANGE_EPSILON) {
        w0.u32UpperDigits = u32Digits(w0.fUpperDisplayedMetres, eUnit);
        w0.u32UpperSample = u32CalculateSamples(w0.u32UpperDigits, eUnit);
        s_fLastUpperMetres = w0.fUpperDisplayedMetres;
        if (pTwin != nullptr) {
            pTwin->u32UpperDigits = w0.u32UpperDigits;
            pTwin->u32UpperSample = w0.u32UpperSample;
        }
        bHandled = true;
    }
    if (bForceRecalculation || std::fabs(w0.fLowerDisplayedMetres - s_fLastLowerMetres) > RANGE_EPSILON) {
        vPublishFloat(FCID("CSLD"), w0.fLowerDisplayedMetres);
        w0.u32LowerDigits = u32Digits(w0.fLowerDisplayedMetres, eUnit);
        w0.u32LowerSample = u32CalculateSamples(w0.u32LowerDigits, eUnit);
        s_fLastLowerMetres = w0.fLowerDisplayedMetres;
        if (pTwin != nullptr) {
            pTwin->u32LowerDigits = w0.u32LowerDigits;
            pTwin->u32LowerSample = w0.u32LowerSample;
        }
        bHandled = true;
    }
    if (!bHandled)
        return;
    w0.bTriggerTotalScreenUpdate = TRUE;
    if (pTwin != nullptr)
        pTwin->bTriggerTotalScreenUpdate = TRUE;
    bForceResample = TRUE;
}

// The deepest depth seen holds the range for 5 s after the bottom rises,
// then decays towards the current depth on every call.
void t_n_history::vAutoSelectLowerDepthRange(void)
{
    SONAR_WINDOW& w0 = window(0);
    const UNIT_TYPE eUnit = SonarViewInfo.unitsDepth;
    if (s_fCurrentDepth >= s_fDeepestMetres) {
        s_fDeepestMetres = s_fCurrentDepth;
        L_TIMER_GetElapsed(&s_DeepestTime);
    } else {
        TICKS stamp = s_DeepestTime;
        const TICKS age = L_TIMER_GetElapsed(&stamp);
        if (age > AUTO_RANGE_HOLD_MS)
            s_fDeepestMetres =
                s_fCurrentDepth + (s_fDeepestMetres - s_fCurrentDepth) * (float)AUTO_RANGE_HOLD_MS / (float)age;
    }
    const float d = std::max(s_fDeepestMetres, w0.fUpperDisplayedMetres);
    const U32 u32Display = std::min<U32>(u32Digits(d, eUnit), 0xFFFF);
    const U16 u16Step = S_DEPTH_u16SelectDepthRange((U16)u32Display, eUnit);
    const float fLower = fMetresOfDigits(u16Step, eUnit);
    w0.fLowerDisplayedMetres = fLower;
    s_fCurrentDisplayedLowerRange = fLower;
}

void t_n_history::vSetSplitSonarRange(void)
{
    const SONAR_WINDOW& w0 = window(0);
    SONAR_WINDOW& twin = CurrentView == VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D ? window(3) : window(1);
    vCopyRange(w0, twin);
    twin.bTriggerTotalScreenUpdate = w0.bTriggerTotalScreenUpdate;
}

// ---- Side-looking windows ----

namespace {

bool bImagingSideTransducer(U32 id) { return id == 3 || id == 5 || id == 9 || id == 10 || id == 16; }

// The automatic side range in feet for a bottom depth in feet.
float fAutoSideRangeFeet(float D)
{
    if (D <= 10.0f)
        return 50.0f;
    if (D <= 20.0f)
        return 5.0f * D;
    if (D <= 25.0f)
        return 100.0f;
    if (D <= 40.0f)
        return std::min(4.0f * D, 150.0f);
    if (D <= 50.0f)
        return 150.0f;
    return std::min(3.0f * D, 240.0f);
}

// The cap of a 2D transducer's side range, in metres, for a valid unit.
float fSideCapMetres(UNIT_TYPE eUnit)
{
    switch (eUnit) {
    case U_FEET:
        return fMetresOfDigits(160.0, U_FEET);
    case U_FATHOMS:
        return fMetresOfDigits(30.0, U_FATHOMS);
    default:
        return 50.0f;
    }
}

} // namespace

void t_n_history::vSetSideBeamRange(BOOLEAN bForceRecalculation)
{
    SONAR_WINDOW& w0 = window(0);
    SONAR_WINDOW& w1 = window(1);
    SONAR_WINDOW& w2 = window(2);
    SONAR_WINDOW& w4 = window(4);

    // A unit outside metres, feet and fathoms cannot have come from the
    // settings; it is not worth a reset of the unit: the last good one stays.
    const UNIT_TYPE eUnit = SonarViewInfo.unitsDepth;
    if (eUnit == U_METRES || eUnit == U_FEET || eUnit == U_FATHOMS) {
        s_eLastValidSideUnit = eUnit;
    } else {
        log_me("[%d]%s: Invalid Units %d, keeping %d\n", __LINE__, __func__, (int)eUnit,
               (int)s_eLastValidSideUnit);
        SonarViewInfo.unitsDepth = s_eLastValidSideUnit;
    }

    const BOOLEAN bSweepingSide = s_bSweepingUsedAsSide.load();
    if (bImagingSideTransducer(s_db_TransducerSelectArray[1]) || s_bMSSDeployed.load()) {
        w1.fLowerDisplayedMetres = fFetchFloat(bSweepingSide ? FCID("YASR") : FCID("SSDR"), w1.fLowerDisplayedMetres);
        const LAYER_ID shown = U_VIEW_eCurrentView();
        const bool b360View = shown == VIEW_PPI_DISPLAY || shown == VIEW_PPI_PLUS_2D || shown == VIEW_PPI_PLUS_CHART;
        w4.fLowerDisplayedMetres =
            fFetchFloat(bSweepingSide || b360View ? FCID("YASR") : FCID("SSDR"), w4.fLowerDisplayedMetres);
        w1.bManualDepthRange = TRUE;
        w4.bManualDepthRange = TRUE;
    } else {
        const float fCap = fSideCapMetres(SonarViewInfo.unitsDepth);
        if (fCap >= w0.fLowerDisplayedMetres) {
            w1.fLowerDisplayedMetres = w4.fLowerDisplayedMetres = w0.fLowerDisplayedMetres;
            w1.bManualDepthRange = w4.bManualDepthRange = w0.bManualDepthRange;
        } else {
            w1.fLowerDisplayedMetres = w4.fLowerDisplayedMetres = fCap;
            w1.bManualDepthRange = w4.bManualDepthRange = FALSE;
        }
    }

    U32 u32Yst3 = 0;
    H_DATABASE_bFetchU32(FCID("YST3"), &u32Yst3, nullptr, nullptr);
    if (w1.fLowerDisplayedMetres <= SIDE_AUTO_MARKER_METRES && u32Yst3 != TRANSDUCER_360) {
        if (std::fabs(s_fCurrentDepth - s_fLastSideDepthMetres) >= SIDE_DEPTH_STEP_METRES)
            s_fLastSideDepthMetres = s_fCurrentDepth;
        const float fFeet = (float)dConvertFromInternal(s_fLastSideDepthMetres, D_DEPTH, U_FEET);
        const float fRangeMetres = fMetresOfDigits(fAutoSideRangeFeet(fFeet), U_FEET);
        w1.fLowerDisplayedMetres = fRangeMetres;
        vPublishFloat(FCID("CSIR"), fRangeMetres);
    } else {
        vPublishFloat(FCID("CSIR"), 0.0f);
    }

    if (bForceRecalculation || std::fabs(w1.fLowerDisplayedMetres - s_fLastSideLowerMetres) > RANGE_EPSILON) {
        vSideWindowFromLower(w1);
        s_fLastSideLowerMetres = w1.fLowerDisplayedMetres;
    }
    if (bForceRecalculation || std::fabs(w2.fLowerDisplayedMetres - w1.fLowerDisplayedMetres) > RANGE_EPSILON) {
        vCopyRange(w1, w2);
        w2.bTriggerTotalScreenUpdate = TRUE;
    }
    if (bForceRecalculation || s_bMSSDeployed.load()) {
        vSideWindowFromLower(w4);
        s_fLastSideLowerMetres = w4.fLowerDisplayedMetres;
    }
}

// ---- Zoom window ----

void t_n_history::vSetupZoomRange(BOOLEAN bForceRecalculation)
{
    if (s_fCurrentDepth <= 0.0f)
        return;
    SONAR_WINDOW& w0 = window(0);
    SONAR_WINDOW& w1 = window(1);
    const UNIT_TYPE eUnit = SonarViewInfo.unitsDepth;

    // Bottom lock: the fields hold the span above the bottom (upper) and
    // the fifth of it shown below the bottom (lower), measured from it.
    if (SonarViewInfo.bBottomLockZoom) {
        const U32 u32Upper = u32Digits(SonarViewInfo.fBottomRange, eUnit);
        w1.u32UpperDigits = u32Upper;
        w1.bManualDepthRange = FALSE;
        if (!bForceRecalculation && u32Upper == s_u32LastUpperZoomDigits)
            return;
        w1.u32UpperSample = u32CalculateSamples(u32Upper, eUnit);
        w1.u32LowerSample = w1.u32UpperSample / 5;
        w1.u32LowerDigits = 0;
        w1.fUpperDisplayedMetres = fMetresOfDigits(u32Upper, eUnit);
        w1.fLowerDisplayedMetres = 0.2f * w1.fUpperDisplayedMetres;
        w1.bTriggerTotalScreenUpdate = TRUE;
        bForceResample = TRUE;
        s_u32LastUpperZoomDigits = u32Upper;
        return;
    }

    const U32 u32Level = std::min<U32>(SonarViewInfo.u32ZoomLevel, 3);
    const float fSpan = (w0.fLowerDisplayedMetres - w0.fUpperDisplayedMetres) / (float)u8ZoomLevelTable[u32Level];
    const S32 s32SpanDigits = (S32)(dConvertFromInternal(fSpan, D_DEPTH, eUnit) + 0.5);
    const float fSpanMetres = (float)dGenericConvert((double)s32SpanDigits, eUnit, U_METRES);
    // A main range with no depth to divide gives no zoom window.
    if (!(fSpanMetres > 0.0f))
        return;

    // The bottom stays between 60 and 90 per cent of the window's height.
    const float fRatio = (s_fCurrentDepth - s_fUpperZoomDisplayedDepthMetres) / fSpanMetres;
    if (fRatio < 0.6f)
        s_fUpperZoomDisplayedDepthMetres = s_fCurrentDepth - 0.85f * fSpanMetres;
    else if (fRatio > 0.9f)
        s_fUpperZoomDisplayedDepthMetres = s_fCurrentDepth - 0.65f * fSpanMetres;
    if (s_fUpperZoomDisplayedDepthMetres < 0.0f)
        s_fUpperZoomDisplayedDepthMetres = 0.0f;

    w1.bManualDepthRange = FALSE;
    w1.u32UpperDigits = u32Digits(s_fUpperZoomDisplayedDepthMetres, eUnit);
    w1.u32LowerDigits = w1.u32UpperDigits + (U32)s32SpanDigits;
    if (!bForceRecalculation && w1.u32UpperDigits == s_u32LastUpperZoomDigits &&
        w1.u32LowerDigits == s_u32LastLowerZoomDigits)
        return;
    w1.u32UpperSample = u32CalculateSamples(w1.u32UpperDigits, eUnit);
    w1.u32LowerSample = u32CalculateSamples(w1.u32LowerDigits, eUnit);
    w1.fUpperDisplayedMetres = fMetresOfDigits(w1.u32UpperDigits, eUnit);
    w1.fLowerDisplayedMetres = fMetresOfDigits(w1.u32LowerDigits, eUnit);
    w1.bTriggerTotalScreenUpdate = TRUE;
    bForceResample = TRUE;
    s_u32LastUpperZoomDigits = w1.u32UpperDigits;
    s_u32LastLowerZoomDigits = w1.u32LowerDigits;
}

// ---- Transducer slots ----

BOOLEAN T_N_HISTORY_bTransducerSelected(U32 u32TransducerId)
{
    for (U32 id : s_db_TransducerSelectArray)
        if (id == u32TransducerId)
            return TRUE;
    return FALSE;
}
