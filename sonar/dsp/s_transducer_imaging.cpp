// The imaging settings menus and the jigging mode (see
// s_transducer_menus.h).
//
// The super-user imaging items (gain and beam frequencies) go to the tab
// "Side View", which nothing registers: the menu task drops them, and
// their removal finds nothing. They stay addressed there so that a tab of
// that name, once registered, shows them without further change.
#include "sonar/dsp/s_transducer_menus.h"

#include "kernel/lm_log.h"
#include "sonar/dsp/s_transducer_common.h"
#include "sonar/dsp/s_transducer_icons.h"
#include "sonar/dsp/s_transducer_tables.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "sonar/ping/t_n_ping.h"
#include "store/h_database.h"

#include <atomic>

namespace {

constexpr U32 TRANSDUCER_360 = 16;

const TEXT_TABLE* const s_apQuadLayout[3] = {&txtDefault, &txtClassic, &txtSlanted};
const U32 s_au32QuadLayout[3] = {1, 0, 3};
const TEXT_TABLE* const s_apSideBeam[3] = {&txtLeft, &txtBoth, &txtRight};
const U32 s_au32SideBeam[3] = {1, 3, 2}; // SIDE_BEAM_LEFT, SIDE_BEAM_BOTH, SIDE_BEAM_RIGHT
const TEXT_TABLE* const s_apDepthSource[2] = {&txtAuto, &txt2DElement};
const U32 s_au32DepthSource[2] = {0, 1};

const MENU_LIMITS s_asImagingRange[4] = {
    {U_FEET, 6, 360, 1}, {U_METRES, 2, 120, 1}, {U_FATHOMS, 1, 60, 1}, {U_NONE, 0, 10, 1}};
const MENU_LIMITS s_asTvgAdjust[1] = {{U_NONE, 0, 255, 1}};
const MENU_LIMITS s_asImagingFrequency[1] = {{U_NONE, 10, 800, 1}};

std::atomic<bool> bRegistered2D{false};

void vHotSelector(BOOLEAN bEnable, const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                  const MENU_CHOICES& c, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    if (bEnable)
        U_MENU_bRegisterHotSelectorMenu(pName, pIcon, prio, key, c.u32Count, c.ppTexts, c.pu32Values, M_BASIC, view,
                                        split);
    else
        U_MENU_bUnregisterHotMenuItem(pName, view, split);
}

void vSideViewSlider(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key)
{
    U_MENU_bRegisterMainSliderMenu(pName, &txtTabSideView, prio, key, s_asImagingFrequency, nullptr, nullptr, nullptr,
                                   M_BASIC);
}

bool bHas800kHz(U32 u32Transducer)
{
    return u32Transducer == 10 || u32Transducer == 15 || u32Transducer == 17 || u32Transducer == 18;
}

// The gain and frequency sliders of the super-user menus.
void vRegisterSuperUserImagingItems(U32 u32Transducer)
{
    U_MENU_bRegisterMainProgBarMenu(&txtTVGAdjust, &txtTabSideView, MENU_TVG_ADJUST, FCID("SSST"), s_asTvgAdjust,
                                    nullptr, nullptr, nullptr, M_BASIC);
    if (bHas800kHz(u32Transducer)) {
        vSideViewSlider(&txt800kHzAdj, MENU_800KHZ_FREQUENCY, FCID("SSF5"));
        vSideViewSlider(&txt462kHzAdj, MENU_462KHZ_FREQUENCY, FCID("SSF4"));
    } else if (u32Transducer == 9) {
        vSideViewSlider(&txt462kHzAdj, MENU_462KHZ_FREQUENCY, FCID("SSF4"));
    } else if (u32Transducer == 5) {
        vSideViewSlider(&txt462kHzAdj, MENU_462KHZ_FREQUENCY, FCID("SSF4"));
        vSideViewSlider(&txt262kHzAdj, MENU_262KHZ_FREQUENCY, FCID("SSF3"));
    }
}

// The 800 kHz slider of 15, 17 and 18 goes with the tab.
void vRemoveSuperUserImagingItems(U32 u32Transducer)
{
    if (u32Transducer == 10)
        U_MENU_bUnregisterMainMenuItem(&txt800kHzAdj, &txtTabSideView);
    if (u32Transducer != 9)
        U_MENU_bUnregisterMainMenuItem(&txt262kHzAdj, &txtTabSideView);
    U_MENU_bUnregisterMainMenuItem(&txt462kHzAdj, &txtTabSideView);
    U_MENU_bUnregisterMainMenuItem(&txtTVGAdjust, &txtTabSideView);
    U_MENU_bUnregisterTab(&txtTabSideView);
}

void vColourItems(BOOLEAN bEnable)
{
    S_TRANSDUCER_vForPanes(AllSideViews, AllSideViewsCount, [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        vHotSelector(bEnable, &txtFVColors, &sonarcolorpalette_icon, MENU_SIDE_VIEW_SONAR_COLORS, FCID("SSSC"),
                     PALETTE_CHOICES, view, split);
    });
    // The main-menu item goes with each pane's; registering it again
    // replaces it.
    S_TRANSDUCER_vForPanes(AllKeelviewViews, AllKeelviewViewsCount, [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        vHotSelector(bEnable, &txtKVColors, &sonarcolorpalette_icon, MENU_SIDE_VIEW_SONAR_COLORS, FCID("SDSC"),
                     PALETTE_CHOICES, view, split);
        S_TRANSDUCER_vMainSelector(bEnable, &txtKVColors, &txtTabSonar, MENU_SIDE_VIEW_SONAR_COLORS, FCID("SDSC"),
                                   PALETTE_CHOICES, M_BASIC);
    });
}

bool bJiggingTransducer2D(U32 u32Transducer2D)
{
    return u32Transducer2D == 2 || u32Transducer2D == 9 || u32Transducer2D == 10;
}

} // namespace

void vMenuQuadLayout(BOOLEAN bEnable)
{
    vHotSelector(bEnable, &txtQuadLayout, &quad_layout_icon, MENU_QUAD_LAYOUT, FCID("SSQL"),
                 choices(s_apQuadLayout, s_au32QuadLayout), SONAR_SIDEVIEW_AND_DOWN, SPLIT_FULL_WINDOW);
}

void vMenuSideView(BOOLEAN bEnable)
{
    S_TRANSDUCER_vForPanes(AllSideViews, AllSideViewsCount, [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        vHotSelector(bEnable, &txtFVSide, &side_view, MENU_SIDEBEAM_VIEW, FCID("SSWV"),
                     choices(s_apSideBeam, s_au32SideBeam), view, split);
    });
    S_TRANSDUCER_vMainSelector(bEnable, &txtFVRangeLines, &txtTabSonar, MENU_SIDE_VIEW_LINES, FCID("SSVL"),
                               OFF_ON_CHOICES, M_ADVANCED);
}

void vMenu455kHzSensitivity(BOOLEAN bEnable)
{
    if (bEnable)
        U_MENU_bRegisterMainSliderMenu(&txt455kHzSensitivity, &txtTabSonar, MENU_455KHZ_QB_SENSITIVITY, FCID("SSS4"),
                                       LIMITS_MINUS_10_TO_10, nullptr, nullptr, nullptr, M_ADVANCED);
    else
        U_MENU_bUnregisterMainMenuItem(&txt455kHzSensitivity, &txtTabSonar);
}

void vDigitalDepthSelectMenu(BOOLEAN bEnable)
{
    S_TRANSDUCER_vMainSelector(bEnable, &txtDigitalDepthSource, &txtTabSonar, MENU_DIGITAL_DEPTH_SOURCE, FCID("SDDS"),
                               choices(s_apDepthSource, s_au32DepthSource), M_ADVANCED);
}

void S_TRANSDUCER_vCrossCheckDigitalDepthSource(U32 KVPingsSource)
{
    if (KVPingsSource == 0)
        vDigitalDepthSelectMenu(TRUE);
}

void vMenuSideScanRange(BOOLEAN bEnable)
{
    if (!bEnable) {
        S_TRANSDUCER_vRemoveHotItem(&txtFVRange, AllSideViews, AllSideViewsCount);
        return;
    }
    S_TRANSDUCER_vForPanes(AllSideViews, AllSideViewsCount, [](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        // The 360 transducer's side image has no automatic range.
        const bool b360 = S_TRANSDUCER_u32ReadKey(FCID("YST3")) == TRANSDUCER_360;
        U_MENU_bRegisterHotVarStepSliderMenu(&txtFVRange, &UpDepthRange_icon, MENU_SIDEBEAM_RANGE, FCID("YSSR"),
                                             s_asImagingRange, DEPTH_STEP_LEVELS, b360 ? nullptr : &txtAuto, nullptr,
                                             nullptr, M_BASIC, view, split);
    });
}

void vMenuSideScanGrayscaleAdjustAllSideViews(BOOLEAN bEnable)
{
    S_TRANSDUCER_vForPanes(AllSideViews, AllSideViewsCount, [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        if (!bEnable) {
            U_MENU_bUnregisterHotMenuItem(&txtFVSensitivity, view, split);
            U_MENU_bUnregisterHotMenuItem(&txtFVEnhance, view, split);
            return;
        }
        U_MENU_bRegisterHotProgBarMenu(&txtFVSensitivity, &Sens_icon, MENU_SIDESCAN_SENSITIVITY, FCID("SSSS"),
                                       LIMITS_1_TO_20, nullptr, nullptr, nullptr, M_BASIC, view, split);
        U_MENU_bRegisterHotActionMenu(&txtFVEnhance, &Enhance_icon, MENU_SIDESCAN_ENHANCE,
                                      T_N_HISTORY_vCreateFvEnhanceDialog, FALSE, M_BASIC, view, split);
    });
    S_TRANSDUCER_vForPanes(AllKeelviewViews, AllKeelviewViewsCount, [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        if (!bEnable) {
            U_MENU_bUnregisterHotMenuItem(&txtKVEnhance, view, split);
            U_MENU_bUnregisterHotMenuItem(&txtDownSensitivity, view, split);
            return;
        }
        U_MENU_bRegisterHotActionMenu(&txtKVEnhance, &Enhance_icon, MENU_KEELVIEW_ENHANCE,
                                      T_N_HISTORY_vCreateKvEnhanceDialog, FALSE, M_BASIC, view, split);
        U_MENU_bRegisterHotProgBarMenu(&txtDownSensitivity, &Sens_icon, MENU_KEELVIEW_SENSITIVITY, FCID("SDSS"),
                                       LIMITS_1_TO_20, nullptr, nullptr, nullptr, M_BASIC, view, split);
    });
}

void vMenuSideScanSettingsAll(BOOLEAN bEnable, U32 u32Transducer)
{
    const BOOLEAN bSuperUser = S_TRANSDUCER_bSuperUserMenus();
    if (bEnable) {
        if (bSuperUser)
            vRegisterSuperUserImagingItems(u32Transducer);
        vColourItems(TRUE);
        return;
    }
    vColourItems(FALSE);
    if (bSuperUser)
        vRemoveSuperUserImagingItems(u32Transducer);
}

void vMenuSideScanSettings455And800(BOOLEAN bEnable) { vMenuSideScanSettingsAll(bEnable, 10); }
void vMenuSideScanSettings455(BOOLEAN bEnable) { vMenuSideScanSettingsAll(bEnable, 9); }
void vMenuSideScanSettings262And455(BOOLEAN bEnable) { vMenuSideScanSettingsAll(bEnable, 5); }

void vMenuKVSettings(BOOLEAN bEnable)
{
    const U32 u32DownLooking = S_TRANSDUCER_u32ReadKey(FCID("YST2"));
    vMenuSideScanSettingsAll(bEnable, u32DownLooking == 17 || u32DownLooking == 18 ? u32DownLooking : 15);
}

void vMenuJigging(U32 u32Transducer2D, U32 u32TransducerFV)
{
    static const TEXT_TABLE* const s_apJigging[2] = {&txtOff, &txtOn};
    static const U32 s_au32Jigging[2] = {0, 1};

    log_me("[%d]%s: YST1 = %u, YST3 = %u\n", __LINE__, __func__, u32Transducer2D, u32TransducerFV);
    if (u32TransducerFV != 0 && bJiggingTransducer2D(u32Transducer2D)) {
        if (bRegistered2D)
            return;
        S_TRANSDUCER_vForPanes(JiggingViews, JiggingViewsCount, [](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
            U_MENU_bRegisterHotSelectorMenu(&txtJiggingMode, &Bottomlock_icon, MENU_JIGGING, FCID("YJIG"), 2,
                                            s_apJigging, s_au32Jigging, M_BASIC, view, split);
        });
        bRegistered2D = true;
        log_me("[%d]%s: add jigging menu to all 2D views\n", __LINE__, __func__);
        return;
    }
    if (!bRegistered2D)
        return;
    // An unwritten "ELPM" pings nothing locally.
    const U32 u32LocalElements = S_TRANSDUCER_u32ReadKey(FCID("ELPM"));
    if ((u32LocalElements & ELEMENT_FV) == 0 && !T_N_PING_bCheckActiveClientList(SONAR_SOURCE_FV)) {
        H_DATABASE_bUpdateValueBoolean(FCID("YJIG"), FALSE, P_NORMAL);
        log_me("[%d]%s: side-looking imaging is not used locally or remotely: jigging off\n", __LINE__, __func__);
    }
    S_TRANSDUCER_vRemoveHotItem(&txtJiggingMode, JiggingViews, JiggingViewsCount);
    bRegistered2D = false;
    log_me("[%d]%s: remove jigging menu from all 2D views\n", __LINE__, __func__);
}
