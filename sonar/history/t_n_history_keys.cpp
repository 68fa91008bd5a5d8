// The history task's data-store keys: one table row per key with its
// default, the conditions on which mailbox 31 follows it and what a change
// does; and the handlers of the general display settings. The colour keys'
// handlers are in t_n_history_colors.cpp, the transducer keys' in
// t_n_history_transducers.cpp.
//
// Defaults are written with writer priority 14 at a normal start, so that a
// value restored from NVRAM or set by the user stays, and with priority 2
// on a reset of the settings, which writes over the user's value. A few keys
// always use a priority of their own.
//
// Order of the registration: the depth unit first, then the rows before the
// transducers (the speed alarm and the beam choice among them), the
// transducer block, the rest, the terrain flags last; then "TSMG" and the
// request for one mail per followed key.
#include "sonar/dsp/s_coproc.h" // g_u32SpeedOfSoundInWater
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_cursor.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_transducer.h"
#include "store/h_database.h"
#include "sonar/ping/t_n_ping.h"

#include <algorithm>
#include <atomic>
#include <bit>

using namespace t_n_history;

// ---- Module settings ----

namespace t_n_history {

U8 s_u8FullScreenSensitivity200kHz = 10;
S8 s_s8RelativeGainSetting83kHz = 0;
S8 s_s8RelativeGainSetting50kHz = 0;
S32 db_s32SidebeamSensitivity = 0;
U8 s_u8WhiteLineLevel = 140;
BOOLEAN s_bSelectTvgView = TRUE;
BOOLEAN bTemperatureOverlay = TRUE;
S32 s_s32ZoomBias = 25;
U32 db_u32ComboViewSonarWindowHeight = 600;
U32 db_u32ComboViewSonarWindowWidth = 400;
float fCurrentPingDepthMetres = 30.0f;
U32 s_FishAlarmSize = 0;
U32 s_u32PPISectorStepFactor = 4;
std::atomic<BOOLEAN> s_bTerrainMode{FALSE};
std::atomic<BOOLEAN> s_bSweepTerrainMode{FALSE};

} // namespace t_n_history

namespace {

// ---- Constants ----

constexpr TICKS CCST_POLL_MS = 1;
constexpr TICKS VIEW_OFFSET_DELAY_MS = 500;
constexpr SEMA SEMA_TIMER_MSS_VIEW_OFFSET = 265;
constexpr SEMA SEMA_NVRAM_UPDATE = 104;
constexpr U32 SIDE_BEAM_VIEW_MAX = 3;
constexpr U32 LF_83KHZ = 83000;
constexpr U32 LF_50KHZ = 50000;

constexpr U32 u32Float(float f) { return std::bit_cast<U32>(f); }

std::atomic<BOOLEAN (*)(void)> s_pfnDomesticModel{nullptr};

// ---- Helpers ----

bool bInView(std::initializer_list<LAYER_ID> views)
{
    for (LAYER_ID v : views)
        if (CurrentView == v)
            return true;
    return false;
}

void vRedrawResampleFrame(void)
{
    vTriggerAllTotalScreenUpdate();
    vResample();
    vNewFrame();
}

S8 s8Clamp(S32 s32) { return (S8)std::clamp<S32>(s32, -128, 127); }

bool bValidDepthUnit(U32 u32Unit) { return u32Unit == U_METRES || u32Unit == U_FEET || u32Unit == U_FATHOMS; }

float fMinDifferenceFor(UNIT_TYPE eUnit)
{
    const double dDigits = eUnit == U_FEET ? 10.0 : eUnit == U_FATHOMS ? 2.0 : 3.0;
    return (float)dConvertToInternal(dDigits, D_DEPTH, eUnit);
}

UNIT_TYPE eModelDepthUnit(void) { return bDomesticModel() ? U_FEET : U_METRES; }

// A depth given as feet on a domestic model and as metres elsewhere.
float fModelDepth(double dFeet, double dMetres)
{
    return bDomesticModel() ? (float)dConvertToInternal(dFeet, D_DEPTH, U_FEET) : (float)dMetres;
}

void vPublishFloat(FOURCHARID fcid, float f)
{
    H_DATABASE_bUpdateEverythingFloat(fcid, f, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
}

// Zoom, side and dual-beam ranges and the cursor after a range change.
void vRefreshDependentRanges(void)
{
    if (CurrentView == VIEW_SONAR_ZOOM)
        vSetupZoomRange(TRUE);
    if (bInView({VIEW_CHART_PLUS_FV, VIEW_CHART_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW,
                 VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, VIEW_SIDEVIEW_AND_DOWN, VIEW_SIDEVIEW, VIEW_2D_PLUS_FV,
                 VIEW_FLANKVIEW_PLUS_2D}))
        vSetSideBeamRange(TRUE);
    if (CurrentView == VIEW_DUAL_BEAM)
        vSetSplitSonarRange();
    if (s_bCursorActive.load())
        vUpdateCursorDepthHorizScroll();
}

void vRangeRefresh(void)
{
    if (!SonarViewInfo.Window[0].bManualDepthRange)
        vAutoSelectLowerDepthRange();
    vCalculateDisplayedDepthRanges(TRUE);
    vRefreshDependentRanges();
}

// ---- Defaults that depend on the model or the transducer ----

U32 u32DefaultBottomRange(void) { return u32Float(fModelDepth(15.0, 5.0)); }

U32 u32Default120ft(void) { return u32Float(fModelDepth(120.0, 36.0)); }

U32 u32DefaultSideRange(void)
{
    U32 u32Side = 0;
    H_DATABASE_bFetchU32(FCID("YST3"), &u32Side, nullptr, nullptr);
    if (u32Side == 5 || u32Side == 9 || u32Side == 10)
        return u32Float(fModelDepth(120.0, 36.0));
    return u32Float(fModelDepth(130.0, 40.0));
}

U32 u32DefaultSpeedAlarm(void) { return u32Float((float)dConvertToInternal(8.0, D_SPEED, U_MPH)); }

U32 u32CurrentStepFactor(void) { return s_u32PPISectorStepFactor; }

U32 u32CurrentViewOffset(void) { return s_u32PPIViewOffset.load(); }

// ---- Handlers of the general display settings ----

void vFullScreenSensitivity(const MESSAGE_NEW_DATA* p)
{
    s_u8FullScreenSensitivity200kHz = (U8)p->dbValue.u32Val;
    vRebuild2DTable();
    vRedrawResampleFrame();
}

void vRelativeGain83(const MESSAGE_NEW_DATA* p)
{
    s_s8RelativeGainSetting83kHz = s8Clamp(p->dbValue.s32Val);
    if (S_TRANSDUCER_u32LFBeamFrequencyHertz() < LF_83KHZ)
        return;
    s_sBeamInfo[0].s8Gain = s8Clamp(5 * (S32)s_s8RelativeGainSetting83kHz + 30);
    vRedrawResampleFrame();
}

void vRelativeGain50(const MESSAGE_NEW_DATA* p)
{
    s_s8RelativeGainSetting50kHz = s8Clamp(p->dbValue.s32Val);
    if (S_TRANSDUCER_u32LFBeamFrequencyHertz() > LF_50KHZ)
        return;
    s_sBeamInfo[0].s8Gain = s8Clamp(5 * (S32)s_s8RelativeGainSetting50kHz + 30);
    vRedrawResampleFrame();
}

void vBottomView(const MESSAGE_NEW_DATA* p)
{
    SonarViewInfo.BottomView = (POST_PROCESS_MODE)p->dbValue.u32Val;
    vRebuild2DTable();
    vRedrawResampleFrame();
}

void vWhiteLine(const MESSAGE_NEW_DATA* p)
{
    s_u8WhiteLineLevel = (U8)p->dbValue.u32Val;
    vRebuild2DTable();
    vRedrawResampleFrame();
}

void vTvgView(const MESSAGE_NEW_DATA* p)
{
    s_bSelectTvgView = p->dbValue.u32Val != 0 ? TRUE : FALSE;
    vRebuild2DTable();
    vRedrawResampleFrame();
}

void vTemperatureOverlay(const MESSAGE_NEW_DATA* p) { bTemperatureOverlay = p->dbValue.u32Val != 0 ? TRUE : FALSE; }

void vColorIntensityBar(const MESSAGE_NEW_DATA* p)
{
    SonarViewInfo.bColorIntensityBar = p->dbValue.u32Val != 0 ? TRUE : FALSE;
}

void vFishId(const MESSAGE_NEW_DATA* p) { SonarViewInfo.bFishID = p->dbValue.u32Val != 0 ? TRUE : FALSE; }

void vFishAlarm(const MESSAGE_NEW_DATA* p) { s_FishAlarmSize = p->dbValue.u32Val; }

void vDepthLines(const MESSAGE_NEW_DATA* p)
{
    SonarViewInfo.u32DepthLines = p->dbValue.u32Val;
    KvZoomWin.bForceUpdate = TRUE;
}

void vChartSpeed(const MESSAGE_NEW_DATA* p) { SonarViewInfo.u32ChartSpeed = p->dbValue.u32Val; }

void vRtsWidth(const MESSAGE_NEW_DATA* p)
{
    SonarViewInfo.u32RTSWidth = p->dbValue.u32Val;
    vTriggerAllTotalScreenUpdate();
}

void vZoomLevel(const MESSAGE_NEW_DATA* p)
{
    SonarViewInfo.u32ZoomLevel = p->dbValue.u32Val;
    if (CurrentView == VIEW_SONAR_ZOOM)
        vSetupZoomRange(FALSE);
}

void vBottomLockZoom(const MESSAGE_NEW_DATA* p)
{
    SonarViewInfo.bBottomLockZoom = p->dbValue.u32Val != 0 ? TRUE : FALSE;
    if (CurrentView == VIEW_SONAR_ZOOM)
        vSetupZoomRange(TRUE);
    vUpdateBottomRangeSlider();
}

void vBottomRange(const MESSAGE_NEW_DATA* p)
{
    SonarViewInfo.fBottomRange = p->dbValue.fVal;
    if (CurrentView == VIEW_SONAR_ZOOM)
        vSetupZoomRange(FALSE);
}

void vZoomBias(const MESSAGE_NEW_DATA* p) { s_s32ZoomBias = p->dbValue.s32Val; }

void vUnZoomedWidth(const MESSAGE_NEW_DATA* p)
{
    s_u32UnZoomedWidth = p->dbValue.u32Val;
    vSetupSonarWindows();
    vTriggerAllTotalScreenUpdate();
}

void vDepthUnit(const MESSAGE_NEW_DATA* p)
{
    // A unit from a peer, NVRAM or a profile is outside input: a bad one is
    // not worth a reset, least of all one that comes back on every start.
    if (!bValidDepthUnit(p->dbValue.u32Val)) {
        log_me("[%d]%s: depth unit %u refused, %d kept\n", __LINE__, __func__, (unsigned)p->dbValue.u32Val,
               (int)SonarViewInfo.unitsDepth);
        return;
    }
    L_MUTEX_LockWait(RES_S_INFO);
    SonarViewInfo.unitsDepth = (UNIT_TYPE)p->dbValue.u32Val;
    SonarViewInfo.fMinDepthRangeDifference = fMinDifferenceFor(SonarViewInfo.unitsDepth);
    L_MUTEX_Unlock(RES_S_INFO);
    vRangeRefresh();
}

void vUpperRange(const MESSAGE_NEW_DATA* p)
{
    const float u = p->dbValue.fVal;
    SONAR_WINDOW& w = SonarViewInfo.Window[0];
    const float fDiff = SonarViewInfo.fMinDepthRangeDifference;
    if (CurrentView != VIEW_SONAR_ZOOM) {
        w.fUpperDisplayedMetres = u;
        vCalculateDisplayedDepthRanges(FALSE);
    }
    if (w.bManualDepthRange && u > w.fLowerDisplayedMetres - fDiff) {
        w.fLowerDisplayedMetres = u + fDiff;
        vPublishFloat(FCID("YSLD"), w.fLowerDisplayedMetres);
        vCalculateDisplayedDepthRanges(FALSE);
    }
    if (CurrentView != VIEW_SONAR_ZOOM) {
        if (CurrentView == VIEW_DUAL_BEAM)
            vSetSplitSonarRange();
        if (s_bCursorActive.load())
            vUpdateCursorDepthHorizScroll();
    }
}

void vLowerRange(const MESSAGE_NEW_DATA* p)
{
    const float l = p->dbValue.fVal;
    SONAR_WINDOW& w = SonarViewInfo.Window[0];
    if (T_N_PING_bAutoDepthRange(l, SonarViewInfo.unitsDepth)) {
        vAutoSelectLowerDepthRange();
        w.bManualDepthRange = FALSE;
    } else {
        w.fLowerDisplayedMetres = l;
        w.bManualDepthRange = TRUE;
        float fUpper = 0.0f;
        const float fCeiling = l - SonarViewInfo.fMinDepthRangeDifference;
        if (H_DATABASE_bFetchFloat(FCID("SSUD"), &fUpper, nullptr, nullptr) && fCeiling < fUpper)
            H_DATABASE_bUpdateEverythingFloat(FCID("SSUD"), fCeiling < 0.0f ? 0.0f : fCeiling, P_NORMAL, D_DEPTH,
                                              nullptr, DB_TIMEOUT_NEVER);
    }
    const U32 u32Copy = CurrentView == VIEW_KEELVIEW_PLUS_2D                  ? 1
                        : CurrentView == VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D ? 3
                                                                              : 0;
    if (u32Copy != 0) {
        SonarViewInfo.Window[u32Copy].bManualDepthRange = w.bManualDepthRange;
        SonarViewInfo.Window[u32Copy].fLowerDisplayedMetres = w.fLowerDisplayedMetres;
    }
    vCalculateDisplayedDepthRanges(TRUE);
    vRefreshDependentRanges();
}

void vWaterType(const MESSAGE_NEW_DATA* p)
{
    g_u32SpeedOfSoundInWater = p->dbValue.u32Val == 0 ? 1463 : 1500;
    vRangeRefresh();
}

void vPingDepth(const MESSAGE_NEW_DATA* p) { fCurrentPingDepthMetres = p->dbValue.fVal; }

void vQuadLayout(const MESSAGE_NEW_DATA* p)
{
    SonarViewInfo.eQuadLayout = (QUAD_LAYOUT)p->dbValue.u32Val;
    if (CurrentView == VIEW_SIDEVIEW_AND_DOWN) {
        vSetupSonarWindows();
        vTriggerAllTotalScreenUpdate();
        vResample();
    }
}

void vSideBeamView(const MESSAGE_NEW_DATA* p)
{
    db_u32SideBeamView = std::min(p->dbValue.u32Val, SIDE_BEAM_VIEW_MAX);
    vSetupSonarWindows();
    vSelectPingMode();
    vTriggerAllTotalScreenUpdate();
    vResample();
    FvZoomWin.bForceUpdate = TRUE;
    vNewFrame();
}

void vComboHeight(const MESSAGE_NEW_DATA* p)
{
    db_u32ComboViewSonarWindowHeight = p->dbValue.u32Val;
    if (bInView({VIEW_CHART_PLUS_KEELVIEW, VIEW_CHART_PLUS_2D})) {
        vSetupSonarWindows();
        vTriggerAllTotalScreenUpdate();
        vResample();
    }
}

void vComboWidth(const MESSAGE_NEW_DATA* p)
{
    db_u32ComboViewSonarWindowWidth = p->dbValue.u32Val;
    if (bInView({VIEW_CHART_PLUS_KEELVIEW, VIEW_CHART_PLUS_2D})) {
        vSetupSonarWindows();
        vTriggerAllTotalScreenUpdate();
        vResample();
    }
}

void vDualBeamWidth(const MESSAGE_NEW_DATA*)
{
    if (bInView({VIEW_KEELVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_2D,
                 VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, VIEW_CHART_PLUS_KEELVIEW})) {
        vSetupSonarWindows();
        vTriggerAllTotalScreenUpdate();
        vResample();
    }
}

void vSplitPosition(const MESSAGE_NEW_DATA*)
{
    FvZoomWin.bForceUpdate = TRUE;
    vSetupSonarWindows();
    vTriggerAllTotalScreenUpdate();
}

// The 360 unit's sweep step and view offset: the part the settings reset
// needs, so that it writes back the values in use.
void vSectorStep(const MESSAGE_NEW_DATA* p)
{
    s_u32PPISectorStepFactor = p->dbValue.u32Val;
    vReset360();
}

void vViewOffset(const MESSAGE_NEW_DATA* p)
{
    s_u32TempPPIViewOffset = p->dbValue.u32Val;
    if (pMSSViewOffsetDelayTimer != nullptr)
        L_TIMER_Start(pMSSViewOffsetDelayTimer, VIEW_OFFSET_DELAY_MS, 0, SEMA_TIMER_MSS_VIEW_OFFSET);
}

void vView(const MESSAGE_NEW_DATA* p) { vHandleViewChange(p->dbValue.s32Val); }

void vPane(const MESSAGE_NEW_DATA* p) { vHandlePaneChange((SPLIT_WINDOW_TYPE)p->dbValue.s32Val); }

// ---- The table ----

enum FOLLOW : U8 {
    NOT_FOLLOWED = 0,
    ON_CHANGE,  // a change of value
    ON_WRITE,   // also every write of the same value
    ON_INVALID  // also an invalidation
};

constexpr HISTORY_KEY row(FOURCHARID fcid, HISTORY_DEFAULT eDefault, DATA_TYPE type, U32 u32Default, FOLLOW eFollow,
                          HISTORY_KEY_HANDLER* pfnHandler = nullptr, HISTORY_DEFAULT_FN* pfnDefault = nullptr)
{
    return HISTORY_KEY{fcid,
                       eDefault,
                       type,
                       u32Default,
                       (BOOLEAN)(eFollow != NOT_FOLLOWED),
                       (BOOLEAN)(eFollow == ON_INVALID),
                       (BOOLEAN)(eFollow == ON_WRITE),
                       pfnHandler,
                       pfnDefault};
}

// A key mailbox 31 follows without writing a default.
constexpr HISTORY_KEY follow(FOURCHARID fcid, HISTORY_KEY_HANDLER* pfnHandler = nullptr, FOLLOW eFollow = ON_CHANGE)
{
    return row(fcid, DEFAULT_NONE, D_UNKNOWN, 0, eFollow, pfnHandler);
}

constexpr U32 F0 = u32Float(0.0f);

// Before the transducer block: the display settings, the colours, the view
// keys, the speed alarm and the beam choice.
const HISTORY_KEY s_aKeysBeforeTransducers[] = {
    // The general display settings.
    row(FCID("SSS2"), DEFAULT_BY_CALL, D_UNKNOWN, 10, ON_CHANGE, vFullScreenSensitivity),
    row(FCID("SSS8"), DEFAULT_BY_CALL, D_SIGNED32, 0, ON_CHANGE, vRelativeGain83),
    row(FCID("SSS5"), DEFAULT_BY_CALL, D_SIGNED32, 0, ON_CHANGE, vRelativeGain50),
    row(FCID("SSS4"), DEFAULT_BY_CALL, D_SIGNED32, 0, ON_CHANGE, vHandleImagingSensitivity),
    row(FCID("SSST"), DEFAULT_BY_CALL, D_SIGNED32, 256, NOT_FOLLOWED),
    row(FCID("SSBV"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vBottomView),
    row(FCID("SSWF"), DEFAULT_BY_CALL, D_UNKNOWN, 140, ON_CHANGE, vWhiteLine),
    follow(FCID("YTVG"), vTvgView),
    row(FCID("SSTO"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, ON_CHANGE, vTemperatureOverlay),
    row(FCID("SSCI"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, ON_CHANGE, vColorIntensityBar),
    row(FCID("SSFI"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, NOT_FOLLOWED),
    row(FCID("YSFI"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, ON_CHANGE, vFishId),
    row(FCID("SSFA"), DEFAULT_BY_CALL, D_UNKNOWN, 0, NOT_FOLLOWED),
    row(FCID("YSFA"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vFishAlarm),
    row(FCID("SSDL"), DEFAULT_BY_CALL, D_UNKNOWN, 3, ON_CHANGE, vDepthLines),
    row(FCID("SSSP"), DEFAULT_BY_CALL, D_UNKNOWN, 5, ON_CHANGE, vChartSpeed),
    row(FCID("SSRW"), DEFAULT_BY_CALL, D_UNKNOWN, 66, ON_CHANGE, vRtsWidth),
    row(FCID("SSZL"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vZoomLevel),
    row(FCID("SSBL"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, ON_CHANGE, vBottomLockZoom),
    row(FCID("SSBR"), DEFAULT_BY_CALL, D_DEPTH, 0, ON_CHANGE, vBottomRange, u32DefaultBottomRange),
    row(FCID("SSZB"), DEFAULT_BY_CALL, D_PERCENT, 25, ON_CHANGE, vZoomBias),
    row(FCID("SSZW"), DEFAULT_BY_CALL, D_UNKNOWN, 400, ON_CHANGE, vUnZoomedWidth),
    follow(FCID("YUDP"), vDepthUnit),
    row(FCID("SSUD"), DEFAULT_BY_CALL, D_DEPTH, F0, ON_CHANGE, vUpperRange),
    row(FCID("SSLD"), DEFAULT_BY_CALL, D_DEPTH, F0, NOT_FOLLOWED),
    row(FCID("YSLD"), DEFAULT_BY_CALL, D_DEPTH, F0, ON_CHANGE, vLowerRange),
    row(FCID("YSWA"), DEFAULT_ALWAYS_15, D_UNKNOWN, 0, ON_CHANGE, vWaterType),
    follow(FCID("IDEP"), vHandleDepth, ON_INVALID),
    row(FCID("CSPD"), DEFAULT_ALWAYS_15, D_DEPTH, u32Float(30.0f), ON_CHANGE, vPingDepth),
    row(FCID("SSQL"), DEFAULT_BY_CALL, D_UNKNOWN, 1, ON_CHANGE, vQuadLayout),
    row(FCID("SSWV"), DEFAULT_BY_CALL, D_UNKNOWN, 3, ON_CHANGE, vSideBeamView),
    row(FCID("CSCH"), DEFAULT_ALWAYS_15, D_UNKNOWN, 600, ON_CHANGE, vComboHeight),
    row(FCID("CSCW"), DEFAULT_ALWAYS_15, D_UNKNOWN, 400, ON_CHANGE, vComboWidth),
    row(FCID("SDBW"), DEFAULT_ALWAYS_15, D_UNKNOWN, 2, ON_CHANGE, vDualBeamWidth),
    row(FCID("SZS2"), DEFAULT_BY_CALL, D_SIGNED32, 50, ON_CHANGE, vSplitPosition),
    row(FCID("SZD2"), DEFAULT_BY_CALL, D_SIGNED32, 50, ON_CHANGE, vSplitPosition),
    row(FCID("SZP2"), DEFAULT_BY_CALL, D_SIGNED32, 50, ON_CHANGE, vSplitPosition),
    row(FCID("SZDS"), DEFAULT_BY_CALL, D_SIGNED32, 30, ON_CHANGE, vSplitPosition),
    row(FCID("SZDZ"), DEFAULT_BY_CALL, D_SIGNED32, 30, ON_CHANGE, vSplitPosition),
    follow(FCID("SZCS"), vSplitPosition),
    row(FCID("SZPC"), DEFAULT_BY_CALL, D_SIGNED32, 30, ON_CHANGE),
    follow(FCID("CPF2"), vHandlePictureSources),
    follow(FCID("CPFL"), vHandlePictureSources),
    follow(FCID("CPFS"), vHandlePictureSources),
    follow(FCID("CPTS"), vHandlePictureSources),
    row(FCID("CSIR"), DEFAULT_ALWAYS_2, D_DEPTH, F0, ON_CHANGE),
    row(FCID("SSBD"), DEFAULT_VALUE_2, D_UNKNOWN, 0, NOT_FOLLOWED),
    row(FCID("ICSI"), DEFAULT_BY_CALL, D_UNKNOWN, 0, NOT_FOLLOWED),
    row(FCID("SSIE"), DEFAULT_BY_CALL, D_UNKNOWN, 0, NOT_FOLLOWED),

    // The view keys: true makes that sonar view available.
    row(FCID("SVSO"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVDO"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVSZ"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVBD"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVSB"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVSV"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVDZ"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVS2"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVDS"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SV2D"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVPD"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVPH"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVP2"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVP3"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, NOT_FOLLOWED),
    row(FCID("SVSS"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, NOT_FOLLOWED),

    // Colours and grayscale.
    row(FCID("SSPL"), DEFAULT_BY_CALL, D_UNKNOWN, 1, ON_CHANGE, vHandle2DPalette),
    follow(FCID("SPAL"), vHandleSystemPalette),
    row(FCID("SSSC"), DEFAULT_BY_CALL, D_UNKNOWN, 6, ON_CHANGE, vHandleFVColor),
    row(FCID("SDSC"), DEFAULT_BY_CALL, D_UNKNOWN, 6, ON_CHANGE, vHandleKVColor),
    row(FCID("SMSC"), DEFAULT_BY_CALL, D_UNKNOWN, 6, ON_CHANGE, vHandle360Color),
    row(FCID("SSSS"), DEFAULT_BY_CALL, D_UNKNOWN, 10, ON_CHANGE, vHandleFVSensitivity),
    row(FCID("SSSN"), DEFAULT_BY_CALL, D_UNKNOWN, 10, ON_CHANGE, vHandleFVContrast),
    row(FCID("SDSS"), DEFAULT_BY_CALL, D_UNKNOWN, 10, ON_CHANGE, vHandleKVSensitivity),
    row(FCID("SDSN"), DEFAULT_BY_CALL, D_UNKNOWN, 10, ON_CHANGE, vHandleKVContrast),
    row(FCID("SMSS"), DEFAULT_BY_CALL, D_UNKNOWN, 10, ON_CHANGE, vHandle360Sensitivity),
    row(FCID("SMSN"), DEFAULT_BY_CALL, D_UNKNOWN, 10, ON_CHANGE, vHandle360Contrast),
    row(FCID("SSSG"), DEFAULT_BY_CALL, D_UNKNOWN, 10, NOT_FOLLOWED),
    row(FCID("SDSG"), DEFAULT_BY_CALL, D_UNKNOWN, 10, NOT_FOLLOWED),
    row(FCID("SMSG"), DEFAULT_BY_CALL, D_UNKNOWN, 10, ON_CHANGE),
    row(FCID("SMSL"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vHandle360Filter),
    row(FCID("SDSL"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vHandleKVFilter),
    follow(FCID("SSSL"), vHandleFVFilter),
    follow(FCID("YSSF"), vHandleFVFrequency),

    // The 360 unit's speed alarm and the 2D beam choice come before the
    // transducers.
    row(FCID("SSAS"), DEFAULT_ALWAYS_2, D_SPEED, 0, ON_CHANGE, vHandleSSAS, u32DefaultSpeedAlarm),
    follow(FCID("ISPD"), vHandleISPD),
    row(FCID("SSSV"), DEFAULT_BY_CALL, D_UNKNOWN, 1, NOT_FOLLOWED),
    row(FCID("YSSV"), DEFAULT_BY_CALL, D_UNKNOWN, 1, ON_CHANGE, vHandleBeamChoice),
};

// After the transducer block: the sources, the views, the state, the 360
// unit; the terrain flags are written last of all, by the registration.
const HISTORY_KEY s_aKeysAfterTransducers[] = {
    row(FCID("ISEN"), DEFAULT_VALUE_15, D_UNKNOWN, TRUE, ON_CHANGE, vHandleSonarEnabled),
    follow(FCID("SSEN"), vHandleSonarOn),
    follow(FCID("ELPM"), vHandleLocalMask),
    follow(FCID("ENPM"), vHandleNetworkMask),
    follow(FCID("SSTS")),
    follow(FCID("YST1"), vHandleYST1),
    follow(FCID("YST2"), vHandleYST2),
    follow(FCID("YST3"), vHandleYST3),
    follow(FCID("YST4"), vHandleYST4),

    // The view and the pane.
    follow(FCID("CVEW"), vView),
    follow(FCID("CVAS"), vPane),
    // Read by the Flankview view when it draws.
    row(FCID("SSVL"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, ON_WRITE),
    row(FCID("SSIN"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, ON_WRITE),
    row(FCID("SIRO"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, ON_WRITE),

    // The system state and playback.
    follow(FCID("CCST"), vHandleSystemState),
    follow(FCID("CSBP"), vHandleReadBeamPingMask),

    // The 360 unit.
    row(FCID("SSSR"), DEFAULT_BY_CALL, D_DEPTH, 0, ON_CHANGE, vHandleSSSR, u32DefaultSideRange),
    row(FCID("YSSR"), DEFAULT_BY_CALL, D_DEPTH, 0, ON_CHANGE, vHandleYSSR, u32DefaultSideRange),
    row(FCID("SSDR"), DEFAULT_BY_CALL, D_DEPTH, 0, NOT_FOLLOWED, nullptr, u32Default120ft),
    row(FCID("SASR"), DEFAULT_BY_CALL, D_DEPTH, 0, NOT_FOLLOWED, nullptr, u32Default120ft),
    row(FCID("YASR"), DEFAULT_BY_CALL, D_DEPTH, 0, ON_CHANGE, vHandleYASR, u32Default120ft),
    row(FCID("YSPL"), DEFAULT_BY_CALL, D_UNKNOWN, 1, ON_CHANGE, vHandleYSPL),
    follow(FCID("YMSC"), vHandleYMSC),
    row(FCID("MSSC"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, ON_WRITE),
    row(FCID("MSSD"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, ON_WRITE),
    row(FCID("IMSS"), DEFAULT_BY_CALL, D_UNKNOWN, 0, NOT_FOLLOWED),
    row(FCID("YMSE"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vHandleYMSE),
    row(FCID("SSPB"), DEFAULT_BY_CALL, D_UNKNOWN, 3, ON_CHANGE),
    row(FCID("YSPS"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vSectorStep, u32CurrentStepFactor),
    row(FCID("SSPS"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vSectorStep, u32CurrentStepFactor),
    row(FCID("SSPO"), DEFAULT_BY_CALL, D_UNKNOWN, 0, ON_CHANGE, vViewOffset, u32CurrentViewOffset),
    row(FCID("PPIZ"), DEFAULT_BY_CALL, D_UNKNOWN, 0, NOT_FOLLOWED),
    row(FCID("SADS"), DEFAULT_BY_CALL, D_SPEED, F0, ON_WRITE, vHandleAutoDeploySpeed),
    row(FCID("YADS"), DEFAULT_BY_CALL, D_SPEED, F0, ON_WRITE, vHandleAutoDeploySpeed),
    row(FCID("SMDD"), DEFAULT_BY_CALL, D_UNKNOWN, 8, ON_CHANGE),
    row(FCID("SRNG"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, ON_CHANGE),
    row(FCID("SMSB"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, ON_CHANGE),
    row(FCID("SMHL"), DEFAULT_BY_CALL, D_SIGNED32, 0, NOT_FOLLOWED),
    row(FCID("YMHL"), DEFAULT_BY_CALL, D_SIGNED32, 0, ON_CHANGE),
    row(FCID("MHLE"), DEFAULT_BY_CALL, D_UNSIGNED32, 0, ON_CHANGE),
    row(FCID("SARM"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, ON_WRITE),
    follow(FCID("YASS"), vHandleYASS, ON_WRITE),
    follow(FCID("YMSS"), vHandle360State, ON_WRITE),
    follow(FCID("MSSS"), vHandle360State, ON_WRITE),
    follow(FCID("YQSS"), vHandleYQSS, ON_WRITE),
    follow(FCID("YISS"), vHandleYISS, ON_WRITE),
    follow(FCID("YISR"), vHandleYISR, ON_WRITE),
    follow(FCID("YQSO"), vHandleYQSO, ON_WRITE),
    follow(FCID("YQSR"), vHandleYQSR, ON_WRITE),
    follow(FCID("YMRR"), vHandleYMRR),
    follow(FCID("YBMT"), vHandleYBMT),
    follow(FCID("YMSM"), vHandleYMSM),
    follow(FCID("YBT2"), vHandleYBT2),
    follow(FCID("YMSO")),
    follow(FCID("MBMS"), vHandleMBMS),
    follow(FCID("SLNG")),
    row(FCID("SNIM"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, ON_CHANGE),
};

// The names the view task shows for the view keys in its "Views" menu.
#define VIEW_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
const char* s_acSonar2D[DB_NUM_LANGUAGES] = VIEW_TEXT("2D Sonar");
const char* s_acSonarZoom[DB_NUM_LANGUAGES] = VIEW_TEXT("2D Zoom");
const char* s_acKeelview[DB_NUM_LANGUAGES] = VIEW_TEXT("Keelview");
const char* s_acBigDigits[DB_NUM_LANGUAGES] = VIEW_TEXT("Big Digits");
const char* s_acSideAndDown[DB_NUM_LANGUAGES] = VIEW_TEXT("Side and Down");
const char* s_acFlankview[DB_NUM_LANGUAGES] = VIEW_TEXT("Flankview");
const char* s_acKeelviewFlankview2D[DB_NUM_LANGUAGES] = VIEW_TEXT("Keelview/Flankview/2D");
const char* s_acFlankview2D[DB_NUM_LANGUAGES] = VIEW_TEXT("Flankview/2D");
const char* s_acKeelviewFlankview[DB_NUM_LANGUAGES] = VIEW_TEXT("Keelview/Flankview");
const char* s_acKeelview2D[DB_NUM_LANGUAGES] = VIEW_TEXT("Keelview/2D");
const char* s_ac360[DB_NUM_LANGUAGES] = VIEW_TEXT("360 Sonar");
const char* s_ac360Half[DB_NUM_LANGUAGES] = VIEW_TEXT("360 Half Screen");
const char* s_ac3602D[DB_NUM_LANGUAGES] = VIEW_TEXT("360/2D");
const char* s_ac360Chart[DB_NUM_LANGUAGES] = VIEW_TEXT("360/Chart");
const char* s_acDualBeam[DB_NUM_LANGUAGES] = VIEW_TEXT("Dual Beam");
#undef VIEW_TEXT

struct KEY_TEXT {
    FOURCHARID fcid;
    const char* (*ppcText)[DB_NUM_LANGUAGES];
};

const KEY_TEXT s_aKeyTexts[] = {
    {FCID("SVSO"), &s_acSonar2D},       {FCID("SVSZ"), &s_acSonarZoom},
    {FCID("SVDO"), &s_acKeelview},      {FCID("SVBD"), &s_acBigDigits},
    {FCID("SVSB"), &s_acSideAndDown},   {FCID("SVSV"), &s_acFlankview},
    {FCID("SVDZ"), &s_acKeelviewFlankview2D}, {FCID("SVS2"), &s_acFlankview2D},
    {FCID("SVDS"), &s_acKeelviewFlankview},   {FCID("SV2D"), &s_acKeelview2D},
    {FCID("SVPD"), &s_ac360},           {FCID("SVPH"), &s_ac360Half},
    {FCID("SVP2"), &s_ac3602D},         {FCID("SVP3"), &s_ac360Chart},
    {FCID("SVSS"), &s_acDualBeam},
};

const char* (*ppcTextOf(FOURCHARID fcid))[DB_NUM_LANGUAGES]
{
    for (const KEY_TEXT& t : s_aKeyTexts)
        if (t.fcid == fcid)
            return t.ppcText;
    return nullptr;
}

void vWriteDefault(const HISTORY_KEY& k, U32 u32Priority)
{
    DB_DATA_TYPE value = {};
    value.u32Val = k.pfnDefault != nullptr ? k.pfnDefault() : k.u32Default;
    switch (k.eDefault) {
    case DEFAULT_BY_CALL:
        H_DATABASE_bUpdateEverything(k.fcid, value, u32Priority, k.DataType, ppcTextOf(k.fcid), DB_TIMEOUT_NEVER);
        break;
    case DEFAULT_ALWAYS_2:
        H_DATABASE_bUpdateEverything(k.fcid, value, P_NORMAL, k.DataType, nullptr, DB_TIMEOUT_NEVER);
        break;
    case DEFAULT_ALWAYS_15:
        H_DATABASE_bUpdateEverything(k.fcid, value, P_UNOWNED, k.DataType, nullptr, DB_TIMEOUT_NEVER);
        break;
    case DEFAULT_VALUE_15:
        H_DATABASE_bUpdateValue(k.fcid, value, P_UNOWNED);
        break;
    case DEFAULT_VALUE_2:
        H_DATABASE_bUpdateValue(k.fcid, value, P_NORMAL);
        break;
    case DEFAULT_NONE:
        break;
    }
}

template <size_t N>
void vRegisterRows(const HISTORY_KEY (&rows)[N], U32 u32Priority)
{
    for (const HISTORY_KEY& k : rows) {
        vWriteDefault(k, u32Priority);
        if (k.bFollow)
            H_DATABASE_bRegisterForDataWithConditions(k.fcid, HISTORY_MAILBOX, TRUE, k.bInvalid, k.bUpdated);
    }
}

void vRegisterDepthUnit(U32 u32Priority)
{
    const UNIT_TYPE eUnit = eModelDepthUnit();
    // A reset of the settings runs beside the column adder, which reads
    // the window records under mutex 28.
    L_MUTEX_LockWait(RES_S_INFO);
    SonarViewInfo.unitsDepth = eUnit;
    SonarViewInfo.fMinDepthRangeDifference = fMinDifferenceFor(eUnit);
    L_MUTEX_Unlock(RES_S_INFO);
    for (FOURCHARID fcid : {FCID("SUDP"), FCID("YUDP")})
        H_DATABASE_bUpdateEverythingU32(fcid, eUnit, u32Priority, D_UNITS, nullptr, DB_TIMEOUT_NEVER);
    static const U32 s_au32Domestic[] = {U_FEET, U_FATHOMS};
    H_DATABASE_vCheckForValidUnits(FCID("YUDP"), s_au32Domestic, 2, U_FEET);
}

// The 360 view flag is written by two writers: the attributes at priority
// 2, then the value at the strongest, which NVRAM is then asked to save.
void vRegisterMssViewFlag(void)
{
    H_DATABASE_bUpdateEverythingBoolean(FCID("SMVW"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateValueBoolean(FCID("SMVW"), FALSE, P_HIGHEST);
    L_SEMA_Signal(SEMA_NVRAM_UPDATE);
}

void vTerrainFlag(FOURCHARID fcid, std::atomic<BOOLEAN>& bFlag, BOOLEAN bFactoryDefaults, U32 u32Priority)
{
    if (bFactoryDefaults)
        bFlag = FALSE;
    H_DATABASE_bUpdateEverythingBoolean(fcid, bFlag.load(), u32Priority, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bRegisterForDataWithConditions(fcid, HISTORY_MAILBOX, TRUE, FALSE, FALSE);
}

} // namespace

// ---- The model query ----

void T_N_HISTORY_vInstallDomesticModelQuery(BOOLEAN (*pfnDomestic)(void)) { s_pfnDomesticModel = pfnDomestic; }

BOOLEAN t_n_history::bDomesticModel(void)
{
    BOOLEAN (*pfn)(void) = s_pfnDomesticModel.load();
    return pfn != nullptr && pfn() ? TRUE : FALSE;
}

// ---- Registration ----

void t_n_history::vRegisterDatabaseItems(BOOLEAN bFactoryDefaults)
{
    U32 u32State = 0;
    while (!H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr))
        L_CLOCK_Sleep(CCST_POLL_MS);

    const U32 u32Priority = bFactoryDefaults ? P_NORMAL : P_DEFAULT_SETTING;
    vRegisterDepthUnit(u32Priority);
    vRegisterRows(s_aKeysBeforeTransducers, u32Priority);
    vRegisterTransducerKeys(u32Priority);
    vRegisterRows(s_aKeysAfterTransducers, u32Priority);
    vRegisterMssViewFlag();
    vTerrainFlag(FCID("SITM"), s_bTerrainMode, bFactoryDefaults, u32Priority);
    vTerrainFlag(FCID("SMTM"), s_bSweepTerrainMode, bFactoryDefaults, u32Priority);

    H_DATABASE_bUpdateEverythingU32(FCID("TSMG"), HISTORY_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_vSendMailboxAllRegisteredItems(HISTORY_MAILBOX);
}

void t_n_history::vHandleNewData(const MESSAGE_NEW_DATA* pMail)
{
    auto dispatch = [pMail](const auto& rows) {
        for (const HISTORY_KEY& k : rows)
            if (k.fcid == pMail->FourCharId && k.pfnHandler != nullptr)
                k.pfnHandler(pMail);
    };
    dispatch(s_aKeysBeforeTransducers);
    dispatch(s_aKeysAfterTransducers);
}
