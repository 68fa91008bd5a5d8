// The 360-degree sonar's views and menus (see the header). The functions
// keep no state: the bow-mounted variant is read from "YBMT" each time
// the sub menu is registered.
#include "sonar/dsp/s_mss.h"

#include "kernel/lm_log.h"
#include "sonar/dsp/s_transducer_common.h"
#include "sonar/dsp/s_transducer_icons.h"
#include "sonar/dsp/s_transducer_menus.h"
#include "sonar/dsp/s_transducer_tables.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "store/h_database.h"

#include <initializer_list>

namespace {

// ---- Views ----

const SONAR_VIEW s_sViewPPIDisplay = {SONAR_PPI_DISPLAY_VIEW_PRIORITY,
                                      FCID("SVPD"),
                                      TRUE,
                                      0,
                                      1,
                                      {{SPLIT_FULL_WINDOW, T_N_HISTORY_vDrawPPIDisplay, &txtAccessoryRequired}, {}},
                                      INFO_SONAR_PPI_VIEW_LAYER,
                                      SONAR_INFO_ALPHA_VECTOR};
const SONAR_VIEW s_sViewPPIHalfDisplay = {SONAR_PPI_DISPLAY_HALF_VIEW_PRIORITY,
                                          FCID("SVPH"),
                                          TRUE,
                                          0,
                                          1,
                                          {{SPLIT_FULL_WINDOW, T_N_HISTORY_vDrawPPIDisplay, &txtAccessoryRequired}, {}},
                                          INFO_SONAR_PPI_HALF_VIEW_LAYER,
                                          SONAR_INFO_ALPHA_VECTOR};
const SONAR_VIEW s_sViewPPIDisplay2DCombo = {SONAR_PPI_PLUS_2D_VIEW_PRIORITY,
                                             FCID("SVP2"),
                                             TRUE,
                                             FCID("SZP2"),
                                             2,
                                             {{SPLIT_RIGHT_WINDOW, T_N_HISTORY_vDrawPPIDisplay, &txtAccessoryRequired},
                                              {SPLIT_LEFT_WINDOW, T_N_HISTORY_vDrawSonarSplit, &txtSimulation}},
                                             INFO_SONAR_PPI_VIEW_2D_LAYER,
                                             0};

// ---- Choices and limits ----

const TEXT_TABLE* const s_apSector[5] = {&txt360, &txtFront, &txtRear, &txtLeft, &txtRight};
const U32 s_au32Sector[5] = {1, 2, 3, 4, 5};
const TEXT_TABLE* const s_apSweepSpeed[5] = {&txtSlow, &txtFineFast, &txtStandard, &txtCoarseFaster, &txtFastest};
const U32 s_au32SweepSpeed[5] = {1, 2, 4, 8, 16};

const MENU_LIMITS s_asSweepRange[4] = {
    {U_FEET, 6, 360, 1}, {U_METRES, 2, 120, 1}, {U_FATHOMS, 1, 60, 1}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asBoatSpeed[4] = {
    {U_KPH, 0, 12, 1}, {U_MPH, 0, 7, 0.5f}, {U_KNOTS, 0, 6, 0.2f}, {U_NONE, 1, 10, 1}};
const MENU_LIMITS s_asOffset[1] = {{U_NONE, 0, 100, 1}};
const MENU_LIMITS s_asBowMountedOffset[1] = {{U_NONE, -30, 0, 1}};
const MENU_LIMITS s_as360Depth[1] = {{U_NONE, 1, 100, 1}};

// The panes of the sweep speed.
const VIEW_AND_SPLIT s_asSpeedPanes[3] = {{SONAR_PPI_DISPLAY_VIEW_PRIORITY, SPLIT_FULL_WINDOW},
                                          {SONAR_PPI_PLUS_2D_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
                                          {SONAR_PPI_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW}};

bool bEnhanceView(LAYER_ID view)
{
    return view == SONAR_PPI_DISPLAY_VIEW_PRIORITY || view == SONAR_PPI_PLUS_2D_VIEW_PRIORITY ||
           view == SONAR_PPI_PLUS_CHART_VIEW_PRIORITY;
}

// "YBMT"; an unreadable key is a transducer that deploys.
bool bBowMounted(void)
{
    BOOLEAN bBow = FALSE;
    if (!H_DATABASE_bFetchBoolean(FCID("YBMT"), &bBow, nullptr, nullptr))
        return false;
    return bBow != FALSE;
}

void vRegisterSweepSensitivity(MENU_PRIORITY prio, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    U_MENU_bRegisterHotProgBarMenu(&txt360Sensitivity, &Sens_icon, prio, FCID("SMSS"), LIMITS_1_TO_20, nullptr,
                                   nullptr, nullptr, M_BASIC, view, split);
    if (bEnhanceView(view))
        U_MENU_bRegisterHotActionMenu(&txt360Enhance, &Enhance_icon, MENU_SWEEP_ENHANCE,
                                      T_N_HISTORY_vCreateSweepEnhanceDialog, FALSE, M_BASIC, view, split);
}

void vSubSelector(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key, const MENU_CHOICES& c)
{
    U_MENU_bRegisterSubMenuSelectorMenu(pName, &txt360SonarSettings, nullptr, prio, key, c.u32Count, c.ppTexts,
                                        c.pu32Values, M_BASIC);
}

void vSubSlider(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key, const MENU_LIMITS* pLimits,
                const TEXT_TABLE* pCtrlTextLeft, const TEXT_TABLE* pSuffix)
{
    U_MENU_bRegisterSubMenuSliderMenu(pName, &txt360SonarSettings, nullptr, prio, key, pLimits, pCtrlTextLeft, nullptr,
                                      pSuffix, M_BASIC);
}

// A bow-mounted transducer stays down: no deploy speed or depth, and an
// offset behind the bow.
void vBowMountedVariant(void)
{
    log_me("[%d]%s: 360 transducer is bow-mounted\n", __LINE__, __func__);
    U_MENU_bUnregisterSubMenuItem(&txt360SonarSettings, &txtDeploySpeed);
    U_MENU_bUnregisterSubMenuItem(&txt360SonarSettings, &txt360Depth);
}

} // namespace

// ---- Views ----

void vViewPPIDisplay(BOOLEAN bEnable)
{
    S_TRANSDUCER_vSwitchSonarView(&s_sViewPPIDisplay, bEnable);
    if (bEnable)
        H_DATABASE_bUpdateEverythingU32(FCID("PPIZ"), 0, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void vViewPPIHalfDisplay(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sViewPPIHalfDisplay, bEnable); }
void vViewPPIDisplay2DCombo(BOOLEAN bEnable) { S_TRANSDUCER_vSwitchSonarView(&s_sViewPPIDisplay2DCombo, bEnable); }

// ---- Menus ----

void vMenuPPIDisplay(BOOLEAN bEnable)
{
    const bool bBow = bBowMounted();
    if (!bEnable) {
        S_TRANSDUCER_vForPanes(AllPPIViews, AllPPIViewsCount, [](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
            U_MENU_bUnregisterHotMenuItem(&txt360Sensitivity, view, split);
            U_MENU_bUnregisterHotMenuItem(&txt360Enhance, view, split);
            U_MENU_bUnregisterHotMenuItem(&txt360Range, view, split);
        });
        U_MENU_bUnregisterHotMenuItem(&txtDisplay, SONAR_PPI_DISPLAY_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        U_MENU_bUnregisterMainMenuItem(&txtDeploy360Sonar, &txtTabAccessories);
        U_MENU_bUnregisterMainMenuItem(&txtRetract360Sonar, &txtTabAccessories);
        return;
    }
    S_TRANSDUCER_vForPanes(AllPPIViews, AllPPIViewsCount, [](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        U_MENU_bRegisterExpressMenu(view, split);
        vRegisterSweepSensitivity(MENU_SWEEP_SENSITIVITY, view, split);
        U_MENU_bRegisterHotVarStepSliderMenu(&txt360Range, &UpDepthRange_icon, MENU_SWEEP_RANGE, FCID("YASR"),
                                             s_asSweepRange, DEPTH_STEP_LEVELS, nullptr, nullptr, nullptr, M_BASIC,
                                             view, split);
    });
    U_MENU_bRegisterHotSelectorMenu(&txtDisplay, &Display_icon, MENU_PPI_DISPLAY, FCID("SSPO"), 5, s_apSector,
                                    s_au32Sector, M_BASIC, SONAR_PPI_DISPLAY_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
    if (bBow)
        return;
    log_me("[%d]%s: bow-mounted %d: deploy and retract offered\n", __LINE__, __func__, bBow ? 1 : 0);
    U_MENU_bRegisterMainActionMenu(&txtRetract360Sonar, &txtTabAccessories, MENU_PPI_MAIN_RETRACT,
                                   T_N_HISTORY_vRetractAction, FALSE, M_BASIC);
    U_MENU_bRegisterMainActionMenu(&txtDeploy360Sonar, &txtTabAccessories, MENU_PPI_MAIN_DEPLOY,
                                   T_N_HISTORY_vDeployAction, FALSE, M_BASIC);
}

void vMenuSweepingSonarSettings(BOOLEAN bEnable)
{
    static const TEXT_TABLE* const s_apSubMenus[1] = {&txt360SonarSettings};

    if (!bEnable) {
        U_MENU_bUnregisterMainMenuItem(&txt360RetractAlarm, &txtTabAlarms);
        S_TRANSDUCER_vRemoveHotItem(&txt360Speed, s_asSpeedPanes, 3);
        for (const TEXT_TABLE* pName : {&txtDeploySpeed, &txt360Color, &txt360Depth, &txt360RangeOverlay,
                                        &txt360HeadingOffset, &txt360BoatIcon, &txt360Offset})
            U_MENU_bUnregisterSubMenuItem(&txt360SonarSettings, pName);
        U_MENU_bUnregisterMainMenuItem(&txt360SonarSettings, &txtTabAccessories);
        return;
    }
    const bool bBow = bBowMounted();
    U_MENU_bRegisterMainSubMenu(&txt360SonarSettings, &txtTabAccessories, MENU_SWEEP_SONAR_SETTINGS, nullptr,
                                s_apSubMenus, nullptr, 1, M_BASIC);
    vSubSelector(&txt360Color, MENU_SWEEP_COLOR, FCID("SMSC"), PALETTE_CHOICES);
    vSubSelector(&txtNavigationOn360, MENU_NAV_IN_MSS, FCID("SNIM"), OFF_ON_CHOICES);
    S_TRANSDUCER_vForPanes(s_asSpeedPanes, 3, [](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        U_MENU_bRegisterHotSelectorMenu(&txt360Speed, &n360Speed_icon, MENU_SWEEP_SPEED, FCID("YSPS"), 5,
                                        s_apSweepSpeed, s_au32SweepSpeed, M_BASIC, view, split);
    });
    vSubSelector(&txt360RangeOverlay, MENU_360_RANGE_OVERLAY, FCID("SRNG"), OFF_ON_CHOICES);
    vSubSelector(&txt360BoatIcon, MENU_360_BOAT_ICON, FCID("SMSB"), OFF_ON_CHOICES);
    U_MENU_bRegisterSubMenuActionMenu(&txt360HeadingOffset, &txt360SonarSettings, nullptr, MENU_360_HEADING_OFFSET,
                                      T_N_HISTORY_vSetHeadingOffsetStartArea, FALSE, M_BASIC);
    if (bBow) {
        vBowMountedVariant();
    } else {
        U_MENU_bRegisterMainSliderMenu(&txt360RetractAlarm, &txtTabAlarms, MENU_SPEED_ALARM, FCID("SSAS"),
                                       s_asBoatSpeed, &txtOff, nullptr, nullptr, M_BASIC);
        vSubSlider(&txtDeploySpeed, MENU_AUTO_DEPLOY_1, FCID("YADS"), s_asBoatSpeed, &txtOff, nullptr);
        vSubSlider(&txt360Depth, MENU_360_DEPTH, FCID("SMDD"), s_as360Depth, nullptr, nullptr);
    }
    vSubSlider(&txt360Offset, MENU_360_OFFSET, FCID("YMSO"), bBow ? s_asBowMountedOffset : s_asOffset, nullptr,
               &txtFeetSuffix);
}

void vMenuBowMounted360Offset(BOOLEAN)
{
    vBowMountedVariant();
    vSubSlider(&txt360Offset, MENU_360_OFFSET, FCID("YMSO"), s_asBowMountedOffset, nullptr, &txtFeetSuffix);
}

void vMenuPPIScanGrayscaleAdjust(BOOLEAN bEnable, MENU_PRIORITY eMenu, LAYER_ID eLayerId, SPLIT_WINDOW_TYPE eSplit)
{
    if (bEnable) {
        vRegisterSweepSensitivity(eMenu, eLayerId, eSplit);
        return;
    }
    U_MENU_bUnregisterHotMenuItem(&txt360Sensitivity, eLayerId, eSplit);
    U_MENU_bUnregisterHotMenuItem(&txt360Enhance, eLayerId, eSplit);
}

void S_TRANSDUCER_vMenuPPINonPlaybackItems(BOOLEAN) {}
