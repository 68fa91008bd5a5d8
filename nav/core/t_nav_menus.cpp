#include "nav/core/t_nav_menus.h"

#include "nav/core/gps_menu_standins.h"
#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav_goto.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_gps_menus.h"
#include "nav/core/t_nav_infobox.h"
#include "nav/core/t_nav_newdata.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"

#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "store/h_database.h"
#include "ui/t_info_bar.h"
#include "ui/t_info_task.h"
#include "ui/u_keyboard.h"

#include "ui/t_menu.h"
#include <algorithm>
#include <array>
#include "ui/u_menu_client.h"

#define NAV_MENU_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Waypoint_Info_Menu = NAV_MENU_TEXT("Waypoint Info");
TEXT_TABLE GoTo_Menu = NAV_MENU_TEXT("GoTo Menu");
TEXT_TABLE Chart_Tab = NAV_MENU_TEXT("Chart");
BOOLEAN s_b_GPSDetected = FALSE;
BOOLEAN bNavAndChartTabsRegistered = FALSE;

namespace {

TEXT_TABLE Chart_Info = NAV_MENU_TEXT("Chart Info");
TEXT_TABLE View_Snapshot = NAV_MENU_TEXT("View Snapshot");
TEXT_TABLE Go_To_Point = NAV_MENU_TEXT("Go To Point");
TEXT_TABLE Forward_From_Point = NAV_MENU_TEXT("Forward from Point");
TEXT_TABLE Reverse_From_Point = NAV_MENU_TEXT("Reverse from Point");
TEXT_TABLE Travel_Forward = NAV_MENU_TEXT("Travel Forward");
TEXT_TABLE Travel_Reverse = NAV_MENU_TEXT("Travel Reverse");
TEXT_TABLE Format_Nav_Directories = NAV_MENU_TEXT("Format Nav Directories");
// One table per slot: an info menu knows its items by their text's address.
TEXT_TABLE Route_Slot0 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Slot1 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Slot2 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Slot3 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Slot4 = NAV_MENU_TEXT("Route");
// The same slots while their route is the one travelled: only forward and
// reverse from the point.
TEXT_TABLE Route_Nav_Slot0 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Nav_Slot1 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Nav_Slot2 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Nav_Slot3 = NAV_MENU_TEXT("Route");
TEXT_TABLE Route_Nav_Slot4 = NAV_MENU_TEXT("Route");

const TEXT_TABLE* const s_apRouteSlots[NAV_GOTO_ROUTE_SLOTS] = {&Route_Slot0, &Route_Slot1, &Route_Slot2,
                                                                &Route_Slot3, &Route_Slot4};
const TEXT_TABLE* const s_apRouteNavSlots[NAV_GOTO_ROUTE_SLOTS] = {&Route_Nav_Slot0, &Route_Nav_Slot1,
                                                                   &Route_Nav_Slot2, &Route_Nav_Slot3,
                                                                   &Route_Nav_Slot4};
const TEXT_TABLE* const s_apRouteChoices[] = {&Forward_From_Point, &Reverse_From_Point, &Travel_Forward,
                                              &Travel_Reverse};
MENU_ACTION_FUNC* const s_apfnRouteActions[NAV_GOTO_ROUTE_SLOTS][4] = {
    {T_NAV_vForwardFromPoint0, T_NAV_vReverseFromPoint0, T_NAV_vTravelForwardRoute0, T_NAV_vTravelReverseRoute0},
    {T_NAV_vForwardFromPoint1, T_NAV_vReverseFromPoint1, T_NAV_vTravelForwardRoute1, T_NAV_vTravelReverseRoute1},
    {T_NAV_vForwardFromPoint2, T_NAV_vReverseFromPoint2, T_NAV_vTravelForwardRoute2, T_NAV_vTravelReverseRoute2},
    {T_NAV_vForwardFromPoint3, T_NAV_vReverseFromPoint3, T_NAV_vTravelForwardRoute3, T_NAV_vTravelReverseRoute3},
    {T_NAV_vForwardFromPoint4, T_NAV_vReverseFromPoint4, T_NAV_vTravelForwardRoute4, T_NAV_vTravelReverseRoute4},
};

TEXT_TABLE Playback_Caption = NAV_MENU_TEXT("Playback");
TEXT_TABLE Simulation_Caption = NAV_MENU_TEXT("Simulation");
TIMER_INFO* s_pUpdateTimer = nullptr;

TEXT_TABLE Course_Title = NAV_MENU_TEXT("Course");
TEXT_TABLE Timer_Title = NAV_MENU_TEXT("Timer");
TEXT_TABLE TTG_Title = NAV_MENU_TEXT("TTG");
TEXT_TABLE Bearing_Title = NAV_MENU_TEXT("Bearing");
TEXT_TABLE XTE_Title = NAV_MENU_TEXT("XTE");
TEXT_TABLE VMG_Title = NAV_MENU_TEXT("VMG");

// One readout key: the input an info box shows (D_FCID), a box renderer
// (D_POINTER, from the info boxes' table) or the input itself.
typedef enum tag_READOUT_KIND { READOUT_FCID, READOUT_RENDERER, READOUT_S32, READOUT_FLOAT } READOUT_KIND;
typedef struct tag_READOUT_KEY {
    FOURCHARID key;
    READOUT_KIND eKind;
    FOURCHARID input; // READOUT_FCID
    S32 s32Value;     // READOUT_S32, READOUT_FLOAT
    DATA_TYPE eType;  // READOUT_S32, READOUT_FLOAT
    const TEXT_TABLE* pTitle;
} READOUT_KEY;

const READOUT_KEY s_aReadoutKeys[] = {
    {FCID("BHDG"), READOUT_FCID, FCID("IHDG"), 0, D_FCID, &Course_Title},
    {FCID("BPOS"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("BTIM"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("BTMO"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("ITAW"), READOUT_S32, 0, 0, D_TIME, nullptr},
    {FCID("BTAW"), READOUT_FCID, FCID("ITAW"), 0, D_FCID, &Timer_Title},
    {FCID("IXTE"), READOUT_FLOAT, 0, 0, D_DISTANCE, nullptr},
    {FCID("IBRG"), READOUT_FLOAT, 0, 0, D_HEADING, nullptr},
    {FCID("IVMG"), READOUT_FLOAT, 0, 0, D_SPEED, nullptr},
    {FCID("ITTG"), READOUT_S32, 0, -1, D_TIME, nullptr},
    {FCID("BTTG"), READOUT_FCID, FCID("ITTG"), 0, D_FCID, &TTG_Title},
    {FCID("BTTG"), READOUT_FCID, FCID("ITTG"), 0, D_FCID, nullptr},
    {FCID("QTTG"), READOUT_FCID, FCID("ITTG"), 0, D_FCID, &TTG_Title},
    {FCID("BBRG"), READOUT_FCID, FCID("IBRG"), 0, D_FCID, nullptr},
    {FCID("BCTD"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("BTSP"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("BXTE"), READOUT_FCID, FCID("IXTE"), 0, D_FCID, nullptr},
    {FCID("BDTG"), READOUT_FCID, FCID("IDTG"), 0, D_FCID, nullptr},
    {FCID("QBRG"), READOUT_FCID, FCID("IBRG"), 0, D_FCID, &Bearing_Title},
    {FCID("QXTE"), READOUT_FCID, FCID("IXTE"), 0, D_FCID, &XTE_Title},
    {FCID("QVMG"), READOUT_FCID, FCID("IVMG"), 0, D_FCID, &VMG_Title},
    {FCID("QDET"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("QDTG"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("QETA"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("QDTF"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("QETF"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("QCOS"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
    {FCID("QTOC"), READOUT_RENDERER, 0, 0, D_POINTER, nullptr},
};

const char* (*title(const TEXT_TABLE* pTitle))[DB_NUM_LANGUAGES]
{
    return const_cast<const char* (*)[DB_NUM_LANGUAGES]>(pTitle);
}

// "IRT0" to "IRT4": the routes under the cursor, slot by slot.
constexpr FOURCHARID fcidRouteSlot(U32 u32Slot) { return FCID("IRT0") + (u32Slot << 24); }

} // namespace

void T_NAV_vHandleRunSystem(void)
{
    U_MENU_bRegisterInfoMenu(&Waypoint_Info_Menu);
    U_MENU_bRegisterInfoActionMenu(&Chart_Info, &Waypoint_Info_Menu, MENU_CHART_INFO, T_NAV_vHandleInfo, FALSE,
                                   M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&View_Snapshot, &Waypoint_Info_Menu, MENU_SNAPSHOT_INFO, T_NAV_vViewSnapshot,
                                   FALSE, M_BASIC);

    U_MENU_bRegisterInfoMenu(&GoTo_Menu);
    U_MENU_bRegisterInfoActionMenu(&Go_To_Point, &GoTo_Menu, MENU_GO_TO_WAYPOINT, T_NAV_vGoToWaypointInMenu, FALSE,
                                   M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&Forward_From_Point, &GoTo_Menu, MENU_FORWARD_FROM_POINT,
                                   T_NAV_vForwardFromPoint0, FALSE, M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&Reverse_From_Point, &GoTo_Menu, MENU_REVERSE_FROM_POINT,
                                   T_NAV_vReverseFromPoint0, FALSE, M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&Travel_Forward, &GoTo_Menu, MENU_TRAVEL_FORWARD, T_NAV_vTravelForwardRoute0,
                                   FALSE, M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&Travel_Reverse, &GoTo_Menu, MENU_TRAVEL_REVERSE, T_NAV_vTravelReverseRoute0,
                                   FALSE, M_BASIC);
    for (U32 k = 0; k < NAV_GOTO_ROUTE_SLOTS; ++k)
        U_MENU_bRegisterInfoActionListMenu(s_apRouteSlots[k], &GoTo_Menu, (MENU_PRIORITY)(MENU_GOTO_ROUTE0 + k),
                                           s_apRouteChoices, s_apfnRouteActions[k], 4, M_BASIC, fcidRouteSlot(k),
                                           nullptr);
    // The first two choices and actions of a slot are the point's forward
    // and reverse.
    for (U32 k = 0; k < NAV_GOTO_ROUTE_SLOTS; ++k)
        U_MENU_bRegisterInfoActionListMenu(s_apRouteNavSlots[k], &GoTo_Menu, (MENU_PRIORITY)(MENU_GOTO_ROUTE0 + k),
                                           s_apRouteChoices, s_apfnRouteActions[k], 2, M_BASIC, fcidRouteSlot(k),
                                           nullptr);

    U_MENU_bRegisterMainActionMenu(&Format_Nav_Directories, T_MENU_pSetupTabName, MENU_WIPE_NAV_ALL, T_NAV_vWipeNav,
                                   FALSE, M_ADVANCED);
}

namespace {

void vView(DRAW_FUNCTION* pfnDraw, LAYER_ID view, FOURCHARID enable)
{
    U_VIEW_bRegisterLayer(pfnDraw, view, USED_BY_NONE, 0, enable, TRUE, &Playback_Caption, &Simulation_Caption,
                          nullptr);
}

void vSplitView(DRAW_FUNCTION* pfnLeft, DRAW_FUNCTION* pfnRight, LAYER_ID view, FOURCHARID enable,
                FOURCHARID split)
{
    U_VIEW_bRegisterLayerSplit(pfnLeft, view, USED_BY_NONE, 0, enable, TRUE, &Playback_Caption, &Simulation_Caption,
                               nullptr, SPLIT_LEFT_WINDOW, split);
    U_VIEW_bRegisterLayerSplit(pfnRight, view, USED_BY_NONE, 0, enable, TRUE, &Playback_Caption,
                               &Simulation_Caption, nullptr, SPLIT_RIGHT_WINDOW, split);
}

void vInfoLayer(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID view)
{
    U_VIEW_bRegisterLayer(pfnDraw, layer, view, 0, 0, TRUE, nullptr, nullptr, nullptr);
}

bool bKeyTrue(FOURCHARID key)
{
    U32 u32 = 0;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(key, &u32, &bValid, nullptr) && bValid && u32 != 0;
}

// The keys the info boxes read, then the info task is told they exist.
void vReadoutKeys(void)
{
    for (const READOUT_KEY& r : s_aReadoutKeys) {
        DB_DATA_TYPE v{};
        const TEXT_TABLE* pTitle = r.pTitle;
        switch (r.eKind) {
        case READOUT_FCID:
            v.u32Val = r.input;
            break;
        case READOUT_S32:
            v.s32Val = r.s32Value;
            break;
        case READOUT_FLOAT:
            v.fVal = (float)r.s32Value;
            break;
        case READOUT_RENDERER:
            for (const NAV_INFOBOX_ENTRY& e : g_aNavInfoBoxes)
                if (e.fcid == r.key) {
                    v.vpPointer = reinterpret_cast<void*>(e.pfnRender);
                    pTitle = e.pTitle;
                }
            break;
        }
        H_DATABASE_bUpdateEverything(r.key, v, P_NORMAL, r.eType, title(pTitle), DB_TIMEOUT_NEVER);
    }
    L_SEMA_Signal(SEMA_INFOBOX_UPDATE);
}

void vViewsAndLayers(void)
{
    DRAW_FUNCTION* const pfnChart = T_NAV_pfnChartPaneDraw(FALSE);
    DRAW_FUNCTION* const pfnPerspective = T_NAV_pfnChartPaneDraw(TRUE);
    vView(pfnChart, CHART_VIEW_PRIORITY, FCID("SVNA"));
    vView(pfnPerspective, BIRDS_EYE_VIEW_PRIORITY, FCID("SVHI"));
    U32 u32Source = 0;
    BOOLEAN bValid = FALSE;
    const bool bLakeChart = H_DATABASE_bFetchU32(FCID("IPCS"), &u32Source, &bValid, nullptr) && bValid &&
                            u32Source == 1;
    if (bLakeChart) {
        U_VIEW_bUnRegisterLayerSplit(CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, SPLIT_LEFT_WINDOW);
        U_VIEW_bUnRegisterLayerSplit(CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
    } else {
        vSplitView(pfnPerspective, pfnChart, CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, FCID("SVCB"), FCID("SZCB"));
    }
    vSplitView(pfnChart, pfnChart, CHART_PLUS_CHART_VIEW_PRIORITY, FCID("SVCC"), FCID("SZCC"));
    if (bKeyTrue(FCID("ISEN"))) {
        T_NAV_vEnableSonar2DDisplays(bKeyTrue(FCID("YST1")) ? TRUE : FALSE);
        U32 u32Type = 0;
        H_DATABASE_bFetchU32(FCID("YST2"), &u32Type, nullptr, nullptr);
        if (u32Type == 0)
            H_DATABASE_bFetchU32(FCID("YST3"), &u32Type, nullptr, nullptr);
        T_NAV_vEnableSonarAdvancedDisplays(u32Type != 0 ? TRUE : FALSE, u32Type);
        T_NAV_vEnableSonar360Displays(bKeyTrue(FCID("YST4")) ? TRUE : FALSE);
    }
    DRAW_FUNCTION* const pfnBoxes = T_INFO_vDrawInfoLayer_Instrumentation_TrackChartView;
    vInfoLayer(pfnBoxes, INFO_CHART_VIEW_LAYER, CHART_VIEW_PRIORITY);
    vInfoLayer(pfnBoxes, INFO_CHART_PLUS_2D_LAYER, CHART_PLUS_2D_VIEW_PRIORITY);
    vInfoLayer(pfnBoxes, INFO_CHART_PLUS_KEELVIEW_LAYER, CHART_PLUS_KEELVIEW_VIEW_PRIORITY);
    vInfoLayer(pfnBoxes, INFO_CHART_PLUS_BIRDS_EYE_LAYER, CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY);
    vInfoLayer(pfnBoxes, INFO_CHART_PLUS_CHART_LAYER, CHART_PLUS_CHART_VIEW_PRIORITY);
    vInfoLayer(pfnBoxes, INFO_CHART_PLUS_FLANKVIEW_LAYER, CHART_PLUS_FLANKVIEW_VIEW_PRIORITY);
    vInfoLayer(T_INFO_vDrawInfoLayer_Instrumentation_BirdsEyeView, INFO_BIRDS_EYE_LAYER, BIRDS_EYE_VIEW_PRIORITY);
}

} // namespace

void T_NAV_vHandleGPSDetected(void)
{
    s_b_GPSDetected = TRUE;
    for (FOURCHARID key : {FCID("ISEN"), FCID("YST1"), FCID("YST2"), FCID("YST3")})
        H_DATABASE_bRegisterForDataWithConditions(key, NAV_MAILBOX, TRUE, FALSE, FALSE);
    for (FOURCHARID key : {FCID("YST4"), FCID("ELPM"), FCID("ENPM")})
        H_DATABASE_bRegisterForDataWithConditions(key, NAV_MAILBOX, TRUE, FALSE, TRUE);

    for (const VIEW_AND_SPLIT& v : s_aNavViews) {
        U_MENU_bRegisterExpressMenu(v.eView, v.eSplit);
        if (s_bTrackEnable) {
            U_MENU_bRegisterHotActionMenu(&Clear_Current_Track, nullptr, MENU_CLEAR_CTRACK, T_NAV_vClearCurrentTrack,
                                          TRUE, M_BASIC, v.eView, v.eSplit);
            U_MENU_bRegisterHotActionMenu(&Save_Current_Track, nullptr, MENU_SAVE_CTRACK, T_NAV_vSaveCurrentTrack,
                                          TRUE, M_BASIC, v.eView, v.eSplit);
        }
        const bool bPerspective = (v.eView == BIRDS_EYE_VIEW_PRIORITY && v.eSplit == SPLIT_FULL_WINDOW) ||
                                  (v.eView == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY && v.eSplit == SPLIT_LEFT_WINDOW);
        if (!bPerspective)
            U_MENU_bRegisterHotActionMenu(&Chart_Declutter, nullptr, MENU_CHART_DECLUTTER, T_CHART_vChartDeclutter,
                                          FALSE, M_ADVANCED, v.eView, v.eSplit);
    }
    T_NAV_vUpdateCursorToWaypointMenuRegistration();
    if (!bNavAndChartTabsRegistered) {
        U_MENU_bRegisterTab(&Nav_Tab, NAV_TAB_PRIORITY, nullptr, M_BASIC);
        U_MENU_bRegisterTab(&Chart_Tab, CHART_TAB_PRIORITY, nullptr, M_BASIC);
        T_CHART_vCallRegisterChartSelectMenuItem();
    }
    T_NAV_vRegisterGPSSettingMenus();

    vReadoutKeys();
    vViewsAndLayers();
    U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, KEY_MARK | KEY_GOTO, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                             REGISTER_EXCLUSIVE);
    if (s_pUpdateTimer == nullptr)
        s_pUpdateTimer = L_TIMER_Start(nullptr, 1000, 1000, SEMA_TIMER_NAV);
    bNavAndChartTabsRegistered = TRUE;
}

void T_NAV_MENUS_vReset(void)
{
    if (s_pUpdateTimer != nullptr)
        L_TIMER_Stop(s_pUpdateTimer);
    s_pUpdateTimer = nullptr;
    s_b_GPSDetected = FALSE;
    bNavAndChartTabsRegistered = FALSE;
}

namespace {

// The menu task reads an open menu's item list later: the lists live for
// the whole run.
const TEXT_TABLE* const s_apOneRouteItems[] = {&Go_To_Point, &Forward_From_Point, &Reverse_From_Point,
                                               &Travel_Forward, &Travel_Reverse};
typedef std::array<const TEXT_TABLE*, 1 + NAV_GOTO_ROUTE_SLOTS> ROUTES_ITEMS;
ROUTES_ITEMS routesItems(S32 s32Travelled)
{
    ROUTES_ITEMS a{&Go_To_Point};
    for (S32 k = 0; k < (S32)NAV_GOTO_ROUTE_SLOTS; ++k)
        a[1 + k] = k == s32Travelled ? s_apRouteNavSlots[k] : s_apRouteSlots[k];
    return a;
}
// Entry t + 1 for a travelled route in slot t, entry 0 for none.
const ROUTES_ITEMS s_aRoutesItems[1 + NAV_GOTO_ROUTE_SLOTS] = {routesItems(-1), routesItems(0), routesItems(1),
                                                               routesItems(2), routesItems(3), routesItems(4)};
const TEXT_TABLE* const s_apWaypointInfoItems[] = {&Chart_Info, &View_Snapshot};

} // namespace

void T_NAV_vActivateGoToMenu(U32 u32Routes, S32 s32TravelledSlot)
{
    if (s32TravelledSlot < 0 || s32TravelledSlot >= (S32)NAV_GOTO_ROUTE_SLOTS)
        s32TravelledSlot = -1;
    if (u32Routes == 1)
        U_MENU_ActivateInfoMenu(&GoTo_Menu, s_apOneRouteItems, s32TravelledSlot == 0 ? 3 : 5);
    else
        U_MENU_ActivateInfoMenu(&GoTo_Menu, s_aRoutesItems[s32TravelledSlot + 1].data(),
                                (U8)(1 + std::min<U32>(u32Routes, NAV_GOTO_ROUTE_SLOTS)));
}

void T_NAV_vActivateWaypointInfoMenu(void)
{
    U_MENU_ActivateInfoMenu(&Waypoint_Info_Menu, s_apWaypointInfoItems, 2);
}
