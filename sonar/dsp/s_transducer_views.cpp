// The sonar views and the 2D settings menus (see s_transducer_menus.h).
//
// Hot items go to the panes of the view lists in list order; main-menu
// items to tab "Sonar" unless they say otherwise. Only the super-user
// extras keep state: whether they were registered, so that a removal after
// "SMSU" was switched off still takes exactly those away.
#include "sonar/dsp/s_transducer_menus.h"

#include "kernel/lm_log.h"
#include "sonar/dsp/s_transducer_common.h"
#include "sonar/dsp/s_transducer_icons.h"
#include "sonar/dsp/s_transducer_tables.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "store/h_database.h"
#include "ui/t_menu.h"

#include <atomic>
#include <initializer_list>

namespace {

// ---- Views ----

constexpr SONAR_VIEW FullView(LAYER_ID eLayer, FOURCHARID fcidKey, DRAW_FUNCTION* pfn, LAYER_ID eInfo, U32 u32InfoUser,
                              BOOLEAN bShown = TRUE)
{
    return SONAR_VIEW{eLayer, fcidKey, bShown, 0, 1, {{SPLIT_FULL_WINDOW, pfn, &txtSimulation}, {}}, eInfo,
                      u32InfoUser};
}

constexpr SONAR_VIEW SplitView(LAYER_ID eLayer, FOURCHARID fcidKey, DRAW_FUNCTION* pfnRight, DRAW_FUNCTION* pfnLeft,
                               FOURCHARID fcidSplitKey, LAYER_ID eInfo)
{
    return SONAR_VIEW{eLayer,
                      fcidKey,
                      TRUE,
                      fcidSplitKey,
                      2,
                      {{SPLIT_RIGHT_WINDOW, pfnRight, &txtSimulation}, {SPLIT_LEFT_WINDOW, pfnLeft, &txtSimulation}},
                      eInfo,
                      SONAR_INFO_ALPHA_VECTOR};
}

const SONAR_VIEW s_sView2D = FullView(SONAR_VIEW_PRIORITY, FCID("SVSO"), T_N_HISTORY_vDrawFullScreenSonar,
                                      INFO_SONAR_VIEW_LAYER, SONAR_INFO_ALPHA_VECTOR);
const SONAR_VIEW s_sView2DZoom =
    FullView(SONAR_ZOOM_VIEW_PRIORITY, FCID("SVSZ"), T_N_HISTORY_vDrawZoomSonar, INFO_SONAR_ZOOM_VIEW_LAYER, 0);
const SONAR_VIEW s_sViewKeelview = FullView(KEELVIEW_VIEW_PRIORITY, FCID("SVDO"), T_N_HISTORY_vDrawKeelview,
                                            INFO_KEELVIEW_VIEW_LAYER, SONAR_INFO_ALPHA_VECTOR);
const SONAR_VIEW s_sViewVerticalScroll =
    FullView(SONAR_SIDEVIEW, FCID("SVSV"), T_N_HISTORY_vDrawVerticalScrollView, INFO_SONAR_SIDE_VIEW_LAYER, 0);
const SONAR_VIEW s_sViewQuadBeam = FullView(SONAR_SIDEVIEW_AND_DOWN, FCID("SVSB"), T_N_HISTORY_vDrawDownAndSidebeamView,
                                            INFO_SIDEVIEW_AND_DOWN_LAYER, 0);
const SONAR_VIEW s_sViewDualBeam = FullView(SONAR_DUAL_BEAM_VIEW_PRIORITY, FCID("SVSS"), T_N_HISTORY_vDrawDualBeamView,
                                            INFO_DUAL_BEAM_VIEW_LAYER, 0, FALSE);
const SONAR_VIEW s_sViewKeelviewPlusFV =
    SplitView(KEELVIEW_PLUS_SIDESCAN_VIEW_PRIORITY, FCID("SVDS"), T_N_HISTORY_vDrawVerticalScrollView,
              T_N_HISTORY_vDrawKeelviewSplit, FCID("SZDS"), INFO_KEELVIEW_PLUS_FV_VIEW_LAYER);
const SONAR_VIEW s_sViewKeelviewPlusFVPlusSonar =
    SplitView(KEELVIEW_PLUS_SIDESCAN_PLUS_2D_VIEW_PRIORITY, FCID("SVDZ"), T_N_HISTORY_vDrawVerticalScrollView,
              T_N_HISTORY_vDrawKeelviewSonarSplit, FCID("SZDZ"), INFO_KEELVIEW_PLUS_SIDESCAN_PLUS_2D_VIEW_LAYER);
const SONAR_VIEW s_sViewSideScan2DCombo =
    SplitView(SONAR_SIDESCAN_PLUS_2D_PRIORITY, FCID("SVS2"), T_N_HISTORY_vDrawVerticalScrollView,
              T_N_HISTORY_vDrawSonarSplit, FCID("SZS2"), INFO_SONAR_SIDE_VIEW_2D_LAYER);
// The only split view whose left pane registers first.
const SONAR_VIEW s_sViewKeelviewPlus2D = {KEELVIEW_PLUS_2D_VIEW_PRIORITY,
                                          FCID("SV2D"),
                                          TRUE,
                                          FCID("SZD2"),
                                          2,
                                          {{SPLIT_LEFT_WINDOW, T_N_HISTORY_vDrawSonarSplit, &txtSimulation},
                                           {SPLIT_RIGHT_WINDOW, T_N_HISTORY_vDrawKeelviewSplit, &txtSimulation}},
                                          INFO_KEELVIEW_VIEW_2D_LAYER,
                                          SONAR_INFO_ALPHA_VECTOR};

// The 2D transducer has a low-frequency or 455 kHz 2D beam. An id outside
// the table has none.
bool bDualBeamTransducer(void)
{
    U32 u32Id = 0;
    if (!H_DATABASE_bFetchU32(FCID("YST1"), &u32Id, nullptr, nullptr) || u32Id > TRANSDUCER_LAST_ID)
        return false;
    const U8 u8Id = (U8)u32Id;
    return (S_TRANSDUCER_u32GetBeamsForTransducer(u8Id) & S_TRANSDUCER_u32GetBeamsSupportedByModel() &
            (BEAM_83KHZ | BEAM_50KHZ | BEAM_455KHZ_DOWN)) != 0;
}

// ---- The range family ----

const MENU_LIMITS s_asUpper240[4] = {
    {U_FEET, 0, 230, 1}, {U_METRES, 0, 72, 1}, {U_FATHOMS, 0, 38, 1}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asUpper1500[4] = {
    {U_FEET, 0, 1490, 1}, {U_METRES, 0, 497, 1}, {U_FATHOMS, 0, 248, 1}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asUpper3280[4] = {
    {U_FEET, 0, 3270, 1}, {U_METRES, 0, 997, 1}, {U_FATHOMS, 0, 543, 1}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asLower240[4] = {
    {U_FEET, 1, 240, 1}, {U_METRES, 0, 75, 1}, {U_FATHOMS, 0, 40, 1}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asLower1000[4] = {
    {U_FEET, 1, 1000, 1}, {U_METRES, 0, 330, 1}, {U_FATHOMS, 0, 170, 1}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asLower1500[4] = {
    {U_FEET, 1, 1500, 1}, {U_METRES, 0, 500, 1}, {U_FATHOMS, 0, 250, 1}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asLower3280[4] = {
    {U_FEET, 1, 3280, 1}, {U_METRES, 0, 1000, 1}, {U_FATHOMS, 0, 545, 1}, {U_NONE, 1, 10, 1}};

constexpr float DEPTH_RANGE_AFTER_REMOVAL = 100.0f;

void vUpperRange(BOOLEAN bEnable, const MENU_LIMITS* pLimits)
{
    auto onPane = [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        if (bEnable)
            U_MENU_bRegisterHotVarStepSliderMenu(&txtUpperRange, &UpDepthRange_icon, MENU_UPPER_DEPTH, FCID("SSUD"),
                                                 pLimits, DEPTH_STEP_LEVELS, nullptr, nullptr, nullptr, M_ADVANCED,
                                                 view, split);
        else
            U_MENU_bUnregisterHotMenuItem(&txtUpperRange, view, split);
    };
    // The zoom view shows the lower range only.
    S_TRANSDUCER_vForPanes(All2DViews, All2DViewsCount, [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        if (view != SONAR_ZOOM_VIEW_PRIORITY)
            onPane(view, split);
    });
    S_TRANSDUCER_vForPanes(AllKeelviewViews, AllKeelviewViewsCount, onPane);
}

void vLowerRange(BOOLEAN bEnable, const MENU_LIMITS* pLimits, float fMaximumDepthMetres)
{
    if (!bEnable) {
        S_TRANSDUCER_vSetMaximumDepthRangeMetres(DEPTH_RANGE_AFTER_REMOVAL);
        U_MENU_bUnregisterMainMenuItem(&txtMaxDepth, &txtTabSonar);
        S_TRANSDUCER_vRemoveHotItem(&txtLowerRange, All2DViews, All2DViewsCount);
        S_TRANSDUCER_vRemoveHotItem(&txtLowerRange, AllKeelviewViews, AllKeelviewViewsCount);
        return;
    }
    S_TRANSDUCER_vSetMaximumDepthRangeMetres(fMaximumDepthMetres);
    U_MENU_bRegisterMainVarStepSliderMenu(&txtMaxDepth, &txtTabSonar, MENU_MAX_DEPTH_TO_PING, FCID("YSMD"), pLimits,
                                          DEPTH_STEP_LEVELS, &txtAuto, nullptr, nullptr, M_ADVANCED);
    auto onPane = [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        U_MENU_bRegisterHotVarStepSliderMenu(&txtLowerRange, &LDepRange_icon, MENU_LOWER_DEPTH, FCID("YSLD"), pLimits,
                                             DEPTH_STEP_LEVELS, &txtAuto, nullptr, nullptr, M_BASIC, view, split);
    };
    S_TRANSDUCER_vForPanes(All2DViews, All2DViewsCount, onPane);
    S_TRANSDUCER_vForPanes(AllKeelviewViews, AllKeelviewViewsCount, onPane);
}

// ---- Main-menu items ----

const TEXT_TABLE* const s_apNoiseFilter[6] = {&txtOff, &txtLow, &txtMedium, &txtHigh1, &txtHigh2, &txtHigh3};
const U32 s_au32NoiseFilter[6] = {0, 25, 50, 75, 100, 125};
const TEXT_TABLE* const s_apSonarColors[7] = {&txtGray,     &txtGreen,    &txtInverse, &txtOriginalPalette,
                                              &txtPalette1, &txtPalette2, &txtPalette3};
const U32 s_au32SonarColors[7] = {5, 7, 6, 4, 1, 2, 3};
const TEXT_TABLE* const s_apZoomWidth[3] = {&txtNarrow, &txtMedium, &txtWide};
const U32 s_au32ZoomWidth[3] = {400, 300, 200};
const TEXT_TABLE* const s_apRTSWindow[3] = {&txtWide, &txtNarrow, &txtOff};
const U32 s_au32RTSWindow[3] = {100, 66, 0};
const TEXT_TABLE* const s_apFlarix[2] = {&txtMaxMode, &txtClearMode};
const U32 s_au32Flarix[2] = {0, 1};
const TEXT_TABLE* const s_apBottomView[2] = {&txtStructureID, &txtWhiteLine};
const U32 s_au32BottomView[2] = {0, 1};
const TEXT_TABLE* const s_apWaterType[3] = {&txtFresh, &txtSaltShallow, &txtSaltDeep};
const U32 s_au32WaterType[3] = {0, 2, 1};
const TEXT_TABLE* const s_apDepthLines[2] = {&txtOff, &txtOn};
const U32 s_au32DepthLines[2] = {0, 3};
const ICON* const s_apFishAlarmIcons[4] = {&Off_icon, &LRMSfish_icon, &LRMfish_icon, &LRfish_icon};
const U32 s_au32FishAlarm[4] = {0, 1, 2, 3};

const MENU_LIMITS s_asDepthOffset[4] = {
    {U_FEET, -10, 10, 0.1f}, {U_METRES, -3, 3, 0.1f}, {U_FATHOMS, -4, 4, 0.1f}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asDepthAlarm[4] = {
    {U_FEET, 0, 100, 1}, {U_METRES, 0, 30, 0.5f}, {U_FATHOMS, 0, 50, 0.1f}, {U_NONE, 1, 10, 1}};

void vMainProgressBar(BOOLEAN bEnable, const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key,
                      const MENU_LIMITS* pLimits, MENU_USER_LEVEL level)
{
    if (bEnable)
        U_MENU_bRegisterMainProgBarMenu(pName, &txtTabSonar, prio, key, pLimits, nullptr, nullptr, nullptr, level);
    else
        U_MENU_bUnregisterMainMenuItem(pName, &txtTabSonar);
}

void vMainSlider(BOOLEAN bEnable, const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio, FOURCHARID key,
                 const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft, MENU_USER_LEVEL level)
{
    if (bEnable)
        U_MENU_bRegisterMainSliderMenu(pName, pTab, prio, key, pLimits, pCtrlTextLeft, nullptr, nullptr, level);
    else
        U_MENU_bUnregisterMainMenuItem(pName, pTab);
}

void vSonarSelector(BOOLEAN bEnable, const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key,
                    const MENU_CHOICES& c, MENU_USER_LEVEL level)
{
    S_TRANSDUCER_vMainSelector(bEnable, pName, &txtTabSonar, prio, key, c, level);
}

// ---- Frequency adjustment and the super-user extras ----

const MENU_LIMITS s_asLFAdjust[1] = {{U_NONE, 10, 200, 1}};
const MENU_LIMITS s_as200kHzAdjust[1] = {{U_NONE, 50, 400, 1}};
const MENU_LIMITS s_asTransmitCycles[1] = {{U_NONE, 0, 80, 1}};
// The white-line level reaches 256; the cutoffs stop at 255.
const MENU_LIMITS s_asWhiteLineLevel[1] = {{U_NONE, 1, 256, 1}};
const MENU_LIMITS s_asCutoff[1] = {{U_NONE, 1, 255, 1}};

const TEXT_TABLE* const s_apTransmitPower[4] = {&txtAuto, &txtLow, &txtMedium, &txtHigh};
const U32 s_au32TransmitPower[4] = {0, 1, 2, 3};
const TEXT_TABLE* const s_apBandwidth[4] = {&txtAuto, &txtNarrow, &txtMedium, &txtWide};
const U32 s_au32Bandwidth[4] = {0, 1, 3, 2};

std::atomic<bool> s_bSuperUserMenusEnabled{false};

void vFrequencyAdjust(BOOLEAN bEnable, const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key,
                      const MENU_LIMITS* pLimits)
{
    if (!S_TRANSDUCER_bSuperUserMenus())
        return;
    vMainSlider(bEnable, pName, &txtTabSonar, prio, key, pLimits, nullptr, M_BASIC);
}

// ---- Beams ----

const TEXT_TABLE* const s_apBeam83[3] = {&txt83200kHz, &txt200kHz, &txt83kHz};
const TEXT_TABLE* const s_apBeam50[3] = {&txt50200kHz, &txt200kHz, &txt50kHz};
const U32 s_au32BeamLowFrequency[3] = {4, 1, 0};
const TEXT_TABLE* const s_apBeam200And83[2] = {&txt200kHz, &txt83kHz};
const TEXT_TABLE* const s_apBeam200And50[2] = {&txt200kHz, &txt50kHz};
const U32 s_au32Beam200AndLow[2] = {1, 0};
const TEXT_TABLE* const s_apBeam200And455[2] = {&txt200kHz, &txt455kHz};
const U32 s_au32Beam200And455[2] = {1, 2};

void vBeamSelect(BOOLEAN bEnable, const MENU_CHOICES& c)
{
    vSonarSelector(bEnable, &txtBeamSelect, MENU_BEAM_SELECT, FCID("YSSV"), c, M_BASIC);
}

void vSetLFBeam(BOOLEAN bEnable, U32 u32Khz)
{
    if (bEnable)
        H_DATABASE_bUpdateValueU32(FCID("CSFL"), u32Khz, P_NORMAL);
}

} // namespace

// ---- Views ----

void vView2D(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sView2D, bEnable); }
void vView2DZoom(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sView2DZoom, bEnable); }
void vViewKeelview(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sViewKeelview, bEnable); }
void vViewVerticalScroll(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sViewVerticalScroll, bEnable); }

void vViewQuadBeam(BOOLEAN bEnable)
{
    if (bEnable)
        log_me("[%d]%s: enabled quad beam view\n", __LINE__, __func__);
    S_TRANSDUCER_vSwitchSonarView(&s_sViewQuadBeam, bEnable);
}

void vViewDualBeamScreen(BOOLEAN bEnable)
{
    if (bEnable && !bDualBeamTransducer())
        return;
    S_TRANSDUCER_vSwitchSonarView(&s_sViewDualBeam, bEnable);
}

void vViewKeelviewPlusFV(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sViewKeelviewPlusFV, bEnable); }
void vViewKeelviewPlus2D(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sViewKeelviewPlus2D, bEnable); }
void vViewKeelviewPlusFVPlusSonar(BOOLEAN bEnable)
{
    S_TRANSDUCER_vSwitchSonarView(&s_sViewKeelviewPlusFVPlusSonar, bEnable);
}
void vViewSideScan2DCombo(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sViewSideScan2DCombo, bEnable); }

void vViewOverlayCombo(BOOLEAN) {}
void vChartPlusKVView(BOOLEAN) {}
void vViewMegaDigits(BOOLEAN) {}

// ---- Hot menu items ----

void vMenuChartSpeed(BOOLEAN bEnable)
{
    auto onPane = [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        if (bEnable)
            U_MENU_bRegisterHotProgBarMenu(&txtChartSpeed, &CSpd_icon, MENU_SONAR_SPEED, FCID("SSSP"), LIMITS_1_TO_10,
                                           nullptr, nullptr, nullptr, M_BASIC, view, split);
        else
            U_MENU_bUnregisterHotMenuItem(&txtChartSpeed, view, split);
    };
    // The flasher shows no chart, so it has no chart speed.
    S_TRANSDUCER_vForPanes(All2DViews, All2DViewsCount, [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        if (view != SONAR_FLASHER_PRIORITY)
            onPane(view, split);
    });
    S_TRANSDUCER_vForPanes(AllSideViews, AllSideViewsCount, onPane);
    S_TRANSDUCER_vForPanes(AllKeelviewViews, AllKeelviewViewsCount, onPane);
}

void vMenuSensitivity(BOOLEAN bEnable)
{
    if (!bEnable) {
        S_TRANSDUCER_vRemoveHotItem(&txtSensitivity, All2DViews, All2DViewsCount);
        return;
    }
    S_TRANSDUCER_vForPanes(All2DViews, All2DViewsCount, [](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        U_MENU_bRegisterHotProgBarMenu(&txtSensitivity, &Sens_icon, MENU_SENSITIVITY, FCID("SSS2"), LIMITS_1_TO_20,
                                       nullptr, nullptr, nullptr, M_BASIC, view, split);
    });
}

void vMenuBottomLockZoom(BOOLEAN bEnable)
{
    if (bEnable)
        U_MENU_bRegisterHotSelectorMenu(&txtBottomLock, &Bottomlock_icon, MENU_SONAR_BOTTOM_LOCK_ZOOM, FCID("SSBL"),
                                        OFF_ON_CHOICES.u32Count, OFF_ON_CHOICES.ppTexts, OFF_ON_CHOICES.pu32Values,
                                        M_BASIC, SONAR_ZOOM_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
    else
        U_MENU_bUnregisterHotMenuItem(&txtBottomLock, SONAR_ZOOM_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
}

// ---- The range family ----

void vMenuUpperRange240ft(BOOLEAN bEnable) { vUpperRange(bEnable, s_asUpper240); }
void vMenuUpperRange1500ft(BOOLEAN bEnable) { vUpperRange(bEnable, s_asUpper1500); }
void vMenuUpperRange3280ft(BOOLEAN bEnable) { vUpperRange(bEnable, s_asUpper3280); }
void vMenuLowerRange240ft(BOOLEAN bEnable) { vLowerRange(bEnable, s_asLower240, 75.0f); }
void vMenuLowerRange1000ft(BOOLEAN bEnable) { vLowerRange(bEnable, s_asLower1000, 330.0f); }
void vMenuLowerRange1500ft(BOOLEAN bEnable) { vLowerRange(bEnable, s_asLower1500, 500.0f); }
void vMenuLowerRange3280ft(BOOLEAN bEnable) { vLowerRange(bEnable, s_asLower3280, 1000.0f); }

// ---- Main-menu items ----

void vMenuNoiseFilter(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtNoiseFilter, MENU_NOISE_FILTER, FCID("YSNF"),
                   choices(s_apNoiseFilter, s_au32NoiseFilter), M_ADVANCED);
}

void vMenuNoiseFilterVeltra(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtNoiseFilter, MENU_NOISE_FILTER, FCID("YSNU"),
                   choices(s_apNoiseFilter, s_au32NoiseFilter), M_ADVANCED);
}

void vMenuColorIntensityBar(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtColorBar, MENU_COLOR_INTENSITY_BAR, FCID("SSCI"), OFF_ON_CHOICES, M_BASIC);
}

void vMenu2DSonarColors(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtSonarColors, MENU_SONAR_COLORS, FCID("SSPL"),
                   choices(s_apSonarColors, s_au32SonarColors), M_BASIC);
}

void vMenuZoomWidthWindow(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtZoomWidth, MENU_ZOOM_WIDTH_WINDOW, FCID("SSZW"),
                   choices(s_apZoomWidth, s_au32ZoomWidth), M_BASIC);
}

void vMenuRTSWindow(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtRTSWindow, MENU_RTS_WINDOW, FCID("SSRW"), choices(s_apRTSWindow, s_au32RTSWindow),
                   M_BASIC);
}

void vMenuSurfaceClutter(BOOLEAN bEnable)
{
    vMainProgressBar(bEnable, &txtSurfaceClutter, MENU_SURFACE_CLUTTER, FCID("SSCL"), LIMITS_1_TO_10, M_BASIC);
    vSonarSelector(bEnable, &txtFlarix, MENU_SONAR_TVG_SELECT, FCID("YTVG"), choices(s_apFlarix, s_au32Flarix),
                   M_BASIC);
}

void vMenuBottomView(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtBottomView, MENU_BOTTOM_VIEW, FCID("SSBV"), choices(s_apBottomView, s_au32BottomView),
                   M_BASIC);
}

void vMenuFishId(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtFishID, MENU_FISH_ID, FCID("YSFI"), OFF_ON_CHOICES, M_BASIC);
}

void vMenuFishSensitivity(BOOLEAN bEnable)
{
    vMainProgressBar(bEnable, &txtFishIDSensitivity, MENU_FISH_ID_SENSITIVITY, FCID("YSFS"), LIMITS_1_TO_10, M_BASIC);
}

void vMenuTemperatureOverlay(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtTemperatureGraph, MENU_TEMPERATURE_OVERLAY, FCID("SSTO"), OFF_ON_CHOICES, M_BASIC);
}

void vMenuWaterType(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtWaterType, MENU_WATER_TYPE, FCID("YSWA"), choices(s_apWaterType, s_au32WaterType),
                   M_ADVANCED);
}

void vMenuDepthLines(BOOLEAN bEnable)
{
    vSonarSelector(bEnable, &txtDepthLines, MENU_DEPTH_LINES, FCID("SSDL"), choices(s_apDepthLines, s_au32DepthLines),
                   M_ADVANCED);
}

void vMenuDepthOffset(BOOLEAN bEnable)
{
    vMainSlider(bEnable, &txtDepthOffset, T_MENU_pSetupTabName, MENU_DEPTH_OFFSET, FCID("YDPO"), s_asDepthOffset, nullptr,
                M_ADVANCED);
}

void vMenuDepthAlarm(BOOLEAN bEnable)
{
    vMainSlider(bEnable, &txtDepthAlarm, &txtTabAlarms, MENU_DEPTH_ALARM, FCID("YSDA"), s_asDepthAlarm, &txtOff,
                M_BASIC);
}

void vMenuFishAlarm(BOOLEAN bEnable)
{
    if (bEnable)
        U_MENU_bRegisterMainIconSelectorMenu(&txtFishIDAlarm, &txtTabAlarms, MENU_FISH_ID_ALARM, FCID("YSFA"), 4,
                                             s_apFishAlarmIcons, s_au32FishAlarm, M_BASIC);
    else
        U_MENU_bUnregisterMainMenuItem(&txtFishIDAlarm, &txtTabAlarms);
}

void vMenuLFFrequency(BOOLEAN bEnable)
{
    vFrequencyAdjust(bEnable, &txtLFAdj, MENU_LF_FREQUENCY, FCID("CSFL"), s_asLFAdjust);
}

void vMenu200kHzFrequency(BOOLEAN bEnable)
{
    vFrequencyAdjust(bEnable, &txt200kHzAdj, MENU_200KHZ_FREQUENCY, FCID("CSF2"), s_as200kHzAdjust);
}

void vMenuSuperUserExtras(BOOLEAN bEnable)
{
    if (bEnable && S_TRANSDUCER_bSuperUserMenus()) {
        vSonarSelector(TRUE, &txtTransmitPower, MENU_TRANSMIT_POWER, FCID("SSTP"),
                       choices(s_apTransmitPower, s_au32TransmitPower), M_ADVANCED);
        vMainSlider(TRUE, &txtTransmitCycles, &txtTabSonar, MENU_TRANSMIT_CYCLES, FCID("SSTC"), s_asTransmitCycles,
                    &txtAuto, M_ADVANCED);
        vMainProgressBar(TRUE, &txtWhiteLineLevel, MENU_WHITELINE_LEVEL, FCID("SSWF"), s_asWhiteLineLevel, M_ADVANCED);
        vMainProgressBar(TRUE, &txt50kHzCutoff, MENU_50KHZ_CUTOFF, FCID("SSN5"), s_asCutoff, M_ADVANCED);
        vMainProgressBar(TRUE, &txt83kHzCutoff, MENU_83KHZ_CUTOFF, FCID("SSN8"), s_asCutoff, M_ADVANCED);
        vMainProgressBar(TRUE, &txt200kHzCutoff, MENU_200KHZ_CUTOFF, FCID("SSN2"), s_asCutoff, M_ADVANCED);
        vMainProgressBar(TRUE, &txt455kHzCutoff, MENU_455KHZ_CUTOFF, FCID("SSN4"), s_asCutoff, M_ADVANCED);
        const MENU_CHOICES bandwidth = choices(s_apBandwidth, s_au32Bandwidth);
        vSonarSelector(TRUE, &txtBandwidth5083, MENU_BANDWIDTH_50_83, FCID("SSW1"), bandwidth, M_ADVANCED);
        vSonarSelector(TRUE, &txtBandwidth200, MENU_BANDWIDTH_200, FCID("SSW2"), bandwidth, M_ADVANCED);
        vSonarSelector(TRUE, &txtBandwidthFV, MENU_BANDWIDTH_SI, FCID("SSW3"), bandwidth, M_ADVANCED);
        s_bSuperUserMenusEnabled = true;
        return;
    }
    if (bEnable || !s_bSuperUserMenusEnabled)
        return;
    for (const TEXT_TABLE* pName :
         {&txtTransmitPower, &txtTransmitCycles, &txtWhiteLineLevel, &txt83kHzCutoff, &txt200kHzCutoff, &txt50kHzCutoff,
          &txt455kHzCutoff, &txtBandwidth5083, &txtBandwidth200, &txtBandwidthFV})
        U_MENU_bUnregisterMainMenuItem(pName, &txtTabSonar);
    s_bSuperUserMenusEnabled = false;
}

// ---- Beams of the 2D transducer ----

void vMenuBeam83kHzSelect(BOOLEAN bEnable) { vBeamSelect(bEnable, choices(s_apBeam83, s_au32BeamLowFrequency)); }
void vMenuBeam50kHzSelect(BOOLEAN bEnable) { vBeamSelect(bEnable, choices(s_apBeam50, s_au32BeamLowFrequency)); }

void vMenuBeam200kHzSelect(BOOLEAN bEnable)
{
    switch (S_TRANSDUCER_u32ReadKey(FCID("YST1"))) {
    case 17:
        vBeamSelect(bEnable, choices(s_apBeam200And83, s_au32Beam200AndLow));
        break;
    case 18:
        vBeamSelect(bEnable, choices(s_apBeam200And50, s_au32Beam200AndLow));
        break;
    default:
        vBeamSelect(bEnable, choices(s_apBeam200And455, s_au32Beam200And455));
        break;
    }
}

void vSetLFBeam83kHz(BOOLEAN bEnable) { vSetLFBeam(bEnable, 83); }
void vSetLFBeam50kHz(BOOLEAN bEnable) { vSetLFBeam(bEnable, 50); }

void vMenu83kHzSensitivity(BOOLEAN bEnable)
{
    vMainSlider(bEnable, &txt83kHzSensitivity, &txtTabSonar, MENU_83KHZ_SENSITIVITY, FCID("SSS8"),
                LIMITS_MINUS_10_TO_10, nullptr, M_ADVANCED);
}

void vMenu50kHzSensitivity(BOOLEAN bEnable)
{
    vMainSlider(bEnable, &txt50kHzSensitivity, &txtTabSonar, MENU_50KHZ_SENSITIVITY, FCID("SSS5"),
                LIMITS_MINUS_10_TO_10, nullptr, M_ADVANCED);
}
