// What the sonar views and menus share (see the header).
#include "sonar/dsp/s_transducer_common.h"

#include "sonar/dsp/s_transducer_texts.h"
#include "store/h_database.h"

namespace {

const TEXT_TABLE* const s_apOffOn[2] = {&txtOff, &txtOn};
const U32 s_au32OffOn[2] = {0, 1};

const TEXT_TABLE* const s_apPalettes[8] = {&txtBlue,  &txtAmber1,  &txtAmber2, &txtBrown,
                                           &txtGreen, &txtInverse, &txtGray,   &txtGreenRed};
const U32 s_au32Palettes[8] = {5, 6, 7, 4, 3, 1, 2, 8};

} // namespace

const MENU_CHOICES OFF_ON_CHOICES = choices(s_apOffOn, s_au32OffOn);
const MENU_CHOICES PALETTE_CHOICES = choices(s_apPalettes, s_au32Palettes);

const MENU_LIMITS LIMITS_1_TO_10[1] = {{U_NONE, 1.0f, 10.0f, 1.0f}};
const MENU_LIMITS LIMITS_1_TO_20[1] = {{U_NONE, 1.0f, 20.0f, 1.0f}};
const MENU_LIMITS LIMITS_MINUS_10_TO_10[1] = {{U_NONE, -10.0f, 10.0f, 1.0f}};
const MENU_STEP_LEVELS DEPTH_STEP_LEVELS[4] = {
    {U_FEET, 50.0f, 150.0f}, {U_METRES, 15.0f, 45.0f}, {U_FATHOMS, 10.0f, 25.0f}, {U_NONE, 15.0f, 45.0f}};

void S_TRANSDUCER_vSwitchSonarView(const SONAR_VIEW* psView, BOOLEAN bEnable)
{
    const SONAR_VIEW& v = *psView;
    const bool bSplit = v.u32Panes > 1;
    if (bEnable) {
        for (U32 i = 0; i < v.u32Panes; ++i) {
            const SONAR_VIEW_PANE& p = v.asPanes[i];
            if (bSplit)
                U_VIEW_bRegisterLayerSplit(p.pfnDraw, v.eLayer, USED_BY_NONE, 0, v.fcidViewKey, v.bShownByDefault,
                                           &txtPlayback, &txtSimulation, p.pPOSString, p.eLocation, v.fcidSplitKey);
            else
                U_VIEW_bRegisterLayer(p.pfnDraw, v.eLayer, USED_BY_NONE, 0, v.fcidViewKey, v.bShownByDefault,
                                      &txtPlayback, &txtSimulation, p.pPOSString);
        }
        U_VIEW_bRegisterLayer(T_INFO_vDrawInfoLayer_Instrumentation_SonarView, v.eInfoLayer, v.eLayer, v.u32InfoUser, 0,
                              TRUE, nullptr, nullptr, nullptr);
        return;
    }
    U_VIEW_bUnRegisterLayer(v.eInfoLayer);
    if (!bSplit) {
        U_VIEW_bUnRegisterLayer(v.eLayer);
        return;
    }
    for (U32 i = v.u32Panes; i-- > 0;)
        U_VIEW_bUnRegisterLayerSplit(v.eLayer, v.asPanes[i].eLocation);
}

void S_TRANSDUCER_vRemoveHotItem(const TEXT_TABLE* pName, const VIEW_AND_SPLIT* pasPanes, U32 u32Count)
{
    S_TRANSDUCER_vForPanes(pasPanes, u32Count, [&](LAYER_ID view, SPLIT_WINDOW_TYPE split) {
        U_MENU_bUnregisterHotMenuItem(pName, view, split);
    });
}

void S_TRANSDUCER_vMainSelector(BOOLEAN bEnable, const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio,
                                FOURCHARID key, const MENU_CHOICES& c, MENU_USER_LEVEL level)
{
    if (bEnable)
        U_MENU_bRegisterMainSelectorMenu(pName, pTab, prio, key, c.u32Count, c.ppTexts, c.pu32Values, level);
    else
        U_MENU_bUnregisterMainMenuItem(pName, pTab);
}

BOOLEAN S_TRANSDUCER_bSuperUserMenus(void)
{
    BOOLEAN bOn = FALSE;
    if (!H_DATABASE_bFetchBoolean(FCID("SMSU"), &bOn, nullptr, nullptr))
        return FALSE;
    return bOn ? TRUE : FALSE;
}

U32 S_TRANSDUCER_u32ReadKey(FOURCHARID key)
{
    U32 u32Value = 0;
    if (!H_DATABASE_bFetchU32(key, &u32Value, nullptr, nullptr))
        return 0;
    return u32Value;
}
