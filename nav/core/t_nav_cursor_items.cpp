#include "nav/core/t_nav_cursor_items.h"
#include "nav/core/t_nav_keys.h"

#include "nav/core/chart_menu_standins.h"
#include "nav/core/neighbour_standins.h" // T_CHART_vReRenderAll, T_RADAR_bIsMyRadarView, T_NAV_vMakeCursorInactive
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_draw.h"
#include "nav/core/t_nav_goto.h"
#include "nav/core/t_nav_gps_menus.h"
#include "nav/core/t_nav_marks.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_menus_chart.h"
#include "nav/core/t_nav_mob.h" // s_bAISMenusRegistered
#include "nav/core/t_nav_newdata.h" // s_bCursorToWaypointMenuCreated
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_snapshot.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/t_nav_views.h"
#include "nav/core/u_nav_stevrin_standin.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_proximity.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_startup.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/data/t_nav_space.h"
#include "sonar/history/t_n_history.h"
#include "ui/t_info.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "kernel/error.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/neighbour_standins.h" // ST_CMD_DELETE_WAYPOINT
#include "ui/u_keyboard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#define NAV_CURSOR_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Cursor_To_Menu = NAV_CURSOR_TEXT("Cursor To");
TEXT_TABLE Cursor_To_Waypoint_Menu = NAV_CURSOR_TEXT("Cursor To Waypoint");
TEXT_TABLE Waypoint_Menu = NAV_CURSOR_TEXT("Waypoint");
TEXT_TABLE Cursor_Waypoint_Menu = NAV_CURSOR_TEXT("Waypoint");
TEXT_TABLE Rumbrel_Menu = NAV_CURSOR_TEXT("Rumbrel");
TEXT_TABLE Set_Map_Offset = NAV_CURSOR_TEXT("Set Map Offset");
TEXT_TABLE Clear_Map_Offset = NAV_CURSOR_TEXT("Clear Map Offset");
TEXT_TABLE Copy_Rumbrel_Menu = NAV_CURSOR_TEXT("Copy Rumbrel");
TEXT_TABLE Move_Rumbrel_Menu = NAV_CURSOR_TEXT("Move Rumbrel");
BOOLEAN s_bLastWaypointMenuCreated = FALSE;
BOOLEAN s_bKeysRegistered = FALSE;

namespace {

TEXT_TABLE Route0 = NAV_CURSOR_TEXT("Route");
TEXT_TABLE Route1 = NAV_CURSOR_TEXT("Route");
TEXT_TABLE Route2 = NAV_CURSOR_TEXT("Route");
TEXT_TABLE Route3 = NAV_CURSOR_TEXT("Route");
TEXT_TABLE Route4 = NAV_CURSOR_TEXT("Route");
TEXT_TABLE Travel_Forward = NAV_CURSOR_TEXT("Travel Forward");
TEXT_TABLE Travel_Reverse = NAV_CURSOR_TEXT("Travel Reverse");
TEXT_TABLE Edit = NAV_CURSOR_TEXT("Edit");
TEXT_TABLE Delete = NAV_CURSOR_TEXT("Delete");
TEXT_TABLE Go_To = NAV_CURSOR_TEXT("Go To");
TEXT_TABLE Target = NAV_CURSOR_TEXT("Target");
TEXT_TABLE Grid = NAV_CURSOR_TEXT("Grid");
TEXT_TABLE Stayvane = NAV_CURSOR_TEXT("Stayvane");
TEXT_TABLE Navigate_to_Start = NAV_CURSOR_TEXT("Navigate to Start");
TEXT_TABLE Navigate_to_End = NAV_CURSOR_TEXT("Navigate to End");
TEXT_TABLE Move = NAV_CURSOR_TEXT("Move");
TEXT_TABLE Copy = NAV_CURSOR_TEXT("Copy");
TEXT_TABLE Direction = NAV_CURSOR_TEXT("Direction");
TEXT_TABLE Distance = NAV_CURSOR_TEXT("Distance");
TEXT_TABLE Chart_Info = NAV_CURSOR_TEXT("Chart Info");
TEXT_TABLE Nearest_Port = NAV_CURSOR_TEXT("Nearest Port");
TEXT_TABLE Nearest_Tide_Station = NAV_CURSOR_TEXT("Nearest Tide Station");
TEXT_TABLE Nearest_Current_Station = NAV_CURSOR_TEXT("Nearest Current Station");
TEXT_TABLE Nearest_Target_Vessel = NAV_CURSOR_TEXT("Nearest Target Vessel");
TEXT_TABLE Fix_Required_Text = NAV_CURSOR_TEXT("GPS Fix required for this operation");
TEXT_TABLE Cannot_delete_used_waypoint = NAV_CURSOR_TEXT("Waypoint cannot be deleted because it is used in a route");
TEXT_TABLE Rumbrel_Del_Canceled_By_Nav = NAV_CURSOR_TEXT("This Rumbrel is in use and cannot be deleted");
TEXT_TABLE Position_Cursor_First_Map_Offset = NAV_CURSOR_TEXT(
    "Exit menu mode and move the cursor to the position on the chart where you are currently located, then select "
    "\"Set Map Offset\" again.");
TEXT_TABLE Data_In_Use = NAV_CURSOR_TEXT("The selected data is in use and cannot be edited");
TEXT_TABLE Too_Far_For_Stevrin = NAV_CURSOR_TEXT("Selected location is too far for Stevrin navigation");
TEXT_TABLE Lake_List_Empty = NAV_CURSOR_TEXT("Lake List Empty");
TEXT_TABLE No_Saved_Waypoints = NAV_CURSOR_TEXT("No Saved Waypoints Available");

const TEXT_TABLE* const s_apRouteNames[NAV_ROUTES_UNDER_CURSOR] = {&Route0, &Route1, &Route2, &Route3, &Route4};
MENU_ACTION_FUNC* const s_apfnForward[NAV_ROUTES_UNDER_CURSOR] = {
    T_NAV_vTravelForwardRoute0, T_NAV_vTravelForwardRoute1, T_NAV_vTravelForwardRoute2, T_NAV_vTravelForwardRoute3,
    T_NAV_vTravelForwardRoute4};
MENU_ACTION_FUNC* const s_apfnReverse[NAV_ROUTES_UNDER_CURSOR] = {
    T_NAV_vTravelReverseRoute0, T_NAV_vTravelReverseRoute1, T_NAV_vTravelReverseRoute2, T_NAV_vTravelReverseRoute3,
    T_NAV_vTravelReverseRoute4};
MENU_ACTION_FUNC* const s_apfnEdit[NAV_ROUTES_UNDER_CURSOR] = {T_NAV_vEditCursoredRoute0, T_NAV_vEditCursoredRoute1,
                                                               T_NAV_vEditCursoredRoute2, T_NAV_vEditCursoredRoute3,
                                                               T_NAV_vEditCursoredRoute4};
MENU_ACTION_FUNC* const s_apfnDelete[NAV_ROUTES_UNDER_CURSOR] = {
    T_NAV_vDeleteCursoredRoute0, T_NAV_vDeleteCursoredRoute1, T_NAV_vDeleteCursoredRoute2,
    T_NAV_vDeleteCursoredRoute3, T_NAV_vDeleteCursoredRoute4};

// The lists are handed to the menu task by address and stay in use while
// registered.
struct ACTION_LIST {
    const TEXT_TABLE* apText[6];
    MENU_ACTION_FUNC* apfn[6];
    BOOLEAN abConfirm[6];
    U32 u32Count;
    void add(const TEXT_TABLE* t, MENU_ACTION_FUNC* f, bool bConfirm)
    {
        apText[u32Count] = t;
        apfn[u32Count] = f;
        abConfirm[u32Count] = bConfirm ? TRUE : FALSE;
        ++u32Count;
    }
};
ACTION_LIST s_aRouteLists[NAV_ROUTES_UNDER_CURSOR];
ACTION_LIST s_tLastWaypointList;
ACTION_LIST s_tCursorWaypointList;
ACTION_LIST s_tCursorRumbrelList;

BOOLEAN s_aDisplayRoutesMenu[NAV_ROUTES_UNDER_CURSOR] = {};
const TEXT_TABLE* s_pCursorToWaypointMenuName = nullptr;

const MENU_LIMITS DirectionLimits[] = {{U_NONE, -180.0f, 180.0f, 5.0f}};
const MENU_LIMITS DistanceLimits[] = {{U_FEET, 0.0f, 300.0f, 1.0f},
                                      {U_METRES, 0.0f, 91.0f, 1.0f},
                                      {U_FATHOMS, 0.0f, 50.0f, 1.0f},
                                      {U_NONE, 0.0f, 10.0f, 1.0f}};

constexpr FOURCHARID fcidRouteSlot(U32 u32Slot) { return FCID("IRT0") + (u32Slot << 24); }

void vClick(bool bGood) { L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD); }

U32 u32Or(FOURCHARID key, U32 fallback)
{
    U32 v = fallback;
    return H_DATABASE_bFetchU32(key, &v, nullptr, nullptr) ? v : fallback;
}

S32 s32Or(FOURCHARID key, S32 fallback)
{
    S32 v = fallback;
    return H_DATABASE_bFetchS32(key, &v, nullptr, nullptr) ? v : fallback;
}

bool bTrue(FOURCHARID key)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, nullptr, nullptr) && b;
}

bool bValidS32(FOURCHARID key, S32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchS32(key, pValue, &bValid, nullptr) && bValid;
}

bool bValidFloat(FOURCHARID key, float* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(key, pValue, &bValid, nullptr) && bValid;
}

// The pane the cursor items of the shown view live in.
void vCursorPane(LAYER_ID* pView, SPLIT_WINDOW_TYPE* pSplit)
{
    *pView = (LAYER_ID)s32Or(FCID("CVEW"), CHART_VIEW_PRIORITY);
    *pSplit = *pView == CHART_VIEW_PRIORITY ? SPLIT_FULL_WINDOW
                                            : (SPLIT_WINDOW_TYPE)s32Or(FCID("CVAS"), SPLIT_FULL_WINDOW);
}

bool bStayvaneAllowed(U32 u32Waypoint)
{
    return bTrue(FCID("IPNE")) && T_NAV_u8GetWaypointIcon(u32Waypoint) != NAV_STAYVANE_ICON;
}

bool bCursorToPane(const VIEW_AND_SPLIT& v)
{
    return !(v.eView == BIRDS_EYE_VIEW_PRIORITY && v.eSplit == SPLIT_FULL_WINDOW) &&
           !(v.eView == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY && v.eSplit == SPLIT_LEFT_WINDOW);
}

// Registers the route item of every slot of the routes through the
// waypoint that holds a route.
void vRegisterRoutesThrough(LAYER_ID view, SPLIT_WINDOW_TYPE split, U32 u32Waypoint)
{
    S32 anSlots[NAV_ROUTES_USING_WAYPOINT] = {-1, -1, -1, -1, -1};
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_vGetRoutesUsingWaypoint(u32Waypoint, anSlots);
    L_MUTEX_Unlock(RES_NAV_DATA);
    for (U32 s = 0; s < NAV_ROUTES_USING_WAYPOINT; ++s)
        if (anSlots[s] >= 0)
            T_NAV_vRegister_Routes_Under_Cursor_Menu(view, split, (S32)s, (U32)anSlots[s]);
}

void vRecomputeCorners(RUMBREL* p)
{
    const U32 n = std::min<U32>(p->nCount, RUMBREL_MAX_POINTS);
    if (n == 0)
        return;
    p->ptLowerLeft = p->ptUpperRight = p->aTrackPoints[0];
    for (U32 i = 1; i < n; ++i) {
        p->ptLowerLeft.x = std::min(p->ptLowerLeft.x, p->aTrackPoints[i].x);
        p->ptLowerLeft.y = std::min(p->ptLowerLeft.y, p->aTrackPoints[i].y);
        p->ptUpperRight.x = std::max(p->ptUpperRight.x, p->aTrackPoints[i].x);
        p->ptUpperRight.y = std::max(p->ptUpperRight.y, p->aTrackPoints[i].y);
    }
}

void vDeleteWaypoint(U32 u32Id)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    if (T_NAV_bWaypointUsedInRoute(u32Id, T_NAV_pGetCurrentRoute()) || T_NAV_bWaypointUsedInSavedRoute(u32Id)) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        T_NAV_vSetNavUIError(&Cannot_delete_used_waypoint);
        vClick(false);
        return;
    }
    const bool bRecord = T_NAV_pGetWaypoint(u32Id) != nullptr;
    T_NAV_GROUP_DATA_bRemoveLink(T_NAV_GROUP_DATA_nGetRootGroup(), (U16)u32Id);
    T_NAV_bDeleteWaypoint(u32Id, FALSE);
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (bRecord)
        U_STEVRIN_vSendCommandOneParam(ST_CMD_DELETE_WAYPOINT, u32Id);
    vClick(true);
}

void vShowMoveCopyMenu(bool bCopy)
{
    U_MENU_vClearMenus();
    s_u32MoveCopyRumbrelId = u32Or(FCID("ICIT"), NAV_NO_MOVE_COPY_RUMBREL);
    L_MUTEX_LockWait(RES_NAV_DATA);
    const RUMBREL* p = s_u32MoveCopyRumbrelId != NAV_NO_MOVE_COPY_RUMBREL ? T_NAV_pGetRumbrel(s_u32MoveCopyRumbrelId)
                                                                           : nullptr;
    if (p != nullptr) {
        s_tMoveCopyRumbrel = *p;
        s_tMoveCopyRumbrel.sName[0] = '\0';
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    H_DATABASE_bRegisterForDataWithConditions(FCID("IPID"), NAV_MAILBOX, TRUE, FALSE, FALSE);
    H_DATABASE_bRegisterForDataWithConditions(FCID("IPIO"), NAV_MAILBOX, TRUE, FALSE, FALSE);
    H_DATABASE_bUpdateValueFloat(FCID("IPID"), 0.0f, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("IPIO"), 3.0f, P_NORMAL);
    const TEXT_TABLE* const pMenu = bCopy ? &Copy_Rumbrel_Menu : &Move_Rumbrel_Menu;
    U_MENU_bRegisterFloatingMenu(pMenu, nullptr, T_NAV_vResetMoveCopyRumbrel, FALSE, nullptr);
    U_MENU_bRegisterFloatingMenuSliderItem(pMenu, &Direction, nullptr, MENU_MOVECOPY_RUMBREL_DIRECTION, FCID("IPID"),
                                           DirectionLimits, nullptr, nullptr, nullptr, M_BASIC);
    U_MENU_bRegisterFloatingMenuSliderItem(pMenu, &Distance, nullptr, MENU_MOVECOPY_RUMBREL_DISTANCE, FCID("IPIO"),
                                           DistanceLimits, nullptr, nullptr, nullptr, M_BASIC);
    U_MENU_bRegisterFloatingMenuActionExtItem(pMenu, pMenu, nullptr, FALSE, FALSE,
                                              bCopy ? MENU_COPY_RUMBREL : MENU_MOVE_RUMBREL,
                                              bCopy ? T_NAV_vCopyCursorRumbrel : T_NAV_vMoveCursorRumbrel, FALSE,
                                              M_BASIC);
    U_MENU_ActivateFloatingMenu(pMenu);
}

} // namespace

// ---- Routes under the cursor ----

void T_NAV_vRegister_Routes_Under_Cursor_Menu(LAYER_ID view, SPLIT_WINDOW_TYPE split, S32 nSlot, U32 u32Route)
{
    if (nSlot < 0 || nSlot >= (S32)NAV_ROUTES_UNDER_CURSOR)
        return;
    H_DATABASE_bUpdateValueS32(fcidRouteSlot((U32)nSlot), (S32)u32Route, P_NORMAL);
    s_aRoutesUnderCursor[nSlot] = (S32)u32Route;
    if (s_aDisplayRoutesMenu[nSlot])
        return;
    const S32 s32Current = s32Or(FCID("CCRT"), -1);
    ACTION_LIST& l = s_aRouteLists[nSlot];
    l = ACTION_LIST{};
    if (s32Current < 0 || (U32)s32Current != u32Route) {
        l.add(&Travel_Forward, s_apfnForward[nSlot], false);
        l.add(&Travel_Reverse, s_apfnReverse[nSlot], false);
    }
    l.add(&Edit, s_apfnEdit[nSlot], false);
    l.add(&Delete, s_apfnDelete[nSlot], true);
    U_MENU_bRegisterHotActionListMenu(s_apRouteNames[nSlot], nullptr, (MENU_PRIORITY)(MENU_CURSORED_ROUTE_0 + nSlot),
                                      l.apText, l.apfn, l.u32Count, M_BASIC, view, split, fcidRouteSlot((U32)nSlot),
                                      l.abConfirm);
    s_aDisplayRoutesMenu[nSlot] = TRUE;
}

void T_NAV_vUnregister_Routes_Under_Cursor_Menu(LAYER_ID view, SPLIT_WINDOW_TYPE split, S32 nSlot)
{
    for (S32 s = 0; s < (S32)NAV_ROUTES_UNDER_CURSOR; ++s) {
        if (nSlot >= 0 && s != nSlot)
            continue;
        s_aRoutesUnderCursor[s] = -1;
        if (!s_aDisplayRoutesMenu[s])
            continue;
        H_DATABASE_bUpdateValueS32(fcidRouteSlot((U32)s), -1, P_NORMAL);
        U_MENU_bUnregisterHotMenuItem(s_apRouteNames[s], view, split);
        s_aDisplayRoutesMenu[s] = FALSE;
    }
}

void T_NAV_vRebuildRoutesUnderCursor(void)
{
    const U32 u32Waypoint = u32Or(FCID("ICWP"), NAV_ID_NONE);
    LAYER_ID view = CHART_VIEW_PRIORITY;
    SPLIT_WINDOW_TYPE split = SPLIT_FULL_WINDOW;
    vCursorPane(&view, &split);
    T_NAV_vUnregister_Routes_Under_Cursor_Menu(view, split, -1);
    if (u32Waypoint != NAV_ID_NONE)
        vRegisterRoutesThrough(view, split, u32Waypoint);
}

void T_NAV_vDeleteCursoredRoute(U32 u32Index)
{
    if (u32Index >= NAV_ROUTES_UNDER_CURSOR)
        return;
    const U32 u32Waypoint = u32Or(FCID("ICWP"), NAV_ID_NONE);
    const S32 s32Route = s32Or(fcidRouteSlot(u32Index), -1);
    LAYER_ID view = CHART_VIEW_PRIORITY;
    SPLIT_WINDOW_TYPE split = SPLIT_FULL_WINDOW;
    vCursorPane(&view, &split);
    T_NAV_vUnregister_Routes_Under_Cursor_Menu(view, split, -1);
    if (s32Route >= 0)
        T_NAV_bDeleteRoute((U32)s32Route, FALSE);
    if (u32Waypoint != NAV_ID_NONE)
        vRegisterRoutesThrough(view, split, u32Waypoint);
}

void T_NAV_vDeleteCursoredRoute0(void) { T_NAV_vDeleteCursoredRoute(0); }
void T_NAV_vDeleteCursoredRoute1(void) { T_NAV_vDeleteCursoredRoute(1); }
void T_NAV_vDeleteCursoredRoute2(void) { T_NAV_vDeleteCursoredRoute(2); }
void T_NAV_vDeleteCursoredRoute3(void) { T_NAV_vDeleteCursoredRoute(3); }
void T_NAV_vDeleteCursoredRoute4(void) { T_NAV_vDeleteCursoredRoute(4); }

// ---- Last created waypoint, "Cursor To" ----

void T_NAV_vRegister_Last_Waypoint_Menu(void)
{
    U32 u32Id = 0;
    if (!H_DATABASE_bFetchU32(FCID("CLWC"), &u32Id, nullptr, nullptr))
        return;
    ACTION_LIST& l = s_tLastWaypointList;
    l = ACTION_LIST{};
    l.add(&Edit, T_NAV_vEditLastWaypoint, false);
    l.add(&Delete, T_NAV_vDeleteLastWaypoint, true);
    l.add(&Go_To, T_NAV_vGoToLastWaypoint, false);
    l.add(&Target, T_NAV_vTargetLastWaypoint, false);
    l.add(&Grid, T_NAV_vGridLastWaypoint, false);
    if (bStayvaneAllowed(u32Id))
        l.add(&Stayvane, T_NAV_vStayvaneLastWaypoint, false);
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bRegisterHotActionListMenu(&Waypoint_Menu, nullptr, MENU_LAST_CREATED_WYPT, l.apText, l.apfn,
                                          l.u32Count, M_BASIC, v.eView, v.eSplit, FCID("CLWC"), l.abConfirm);
    s_bLastWaypointMenuCreated = TRUE;
}

void T_NAV_vUnregister_Last_Waypoint_Menu(void)
{
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bUnregisterHotMenuItem(&Waypoint_Menu, v.eView, v.eSplit);
    s_bLastWaypointMenuCreated = FALSE;
}

void T_NAV_vUpdateCursorToWaypointMenuRegistration(void)
{
    const bool bOffer = T_NAV_bWaypointsExist() ||
                        (U_NAV_STEVRIN_bIsStevrinConnectedBefore() && T_NAV_TWR_bRumbrelExist());
    if (bOffer) {
        if (s_bCursorToWaypointMenuCreated)
            return;
        const bool bMotor = bTrue(FCID("IPNE"));
        s_pCursorToWaypointMenuName = bMotor ? &Cursor_To_Menu : &Cursor_To_Waypoint_Menu;
        for (const VIEW_AND_SPLIT& v : s_aNavViews)
            if (bCursorToPane(v))
                U_MENU_bRegisterHotActionMenu(s_pCursorToWaypointMenuName, nullptr, MENU_CURSOR_WAYPOINT,
                                              bMotor ? T_NAV_vSelectTWRPointToCursorTo
                                                     : T_NAV_vSelectWaypointToCursorTo,
                                              FALSE, M_BASIC, v.eView, v.eSplit);
        s_bCursorToWaypointMenuCreated = TRUE;
    } else if (s_bCursorToWaypointMenuCreated) {
        T_NAV_vUnregister_CursorTo_Waypoint_Menu();
    }
}

void T_NAV_vUnregister_CursorTo_Waypoint_Menu(void)
{
    const TEXT_TABLE* const pName = s_pCursorToWaypointMenuName != nullptr ? s_pCursorToWaypointMenuName
                                                                           : &Cursor_To_Menu;
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        if (bCursorToPane(v))
            U_MENU_bUnregisterHotMenuItem(pName, v.eView, v.eSplit);
    s_pCursorToWaypointMenuName = nullptr;
    s_bCursorToWaypointMenuCreated = FALSE;
}

BOOLEAN T_NAV_bCursorToWaypointMenuCreated(void) { return s_bCursorToWaypointMenuCreated; }

// ---- The cursor ----

void T_NAV_vCheckKeyRegistration(S32 s32View, S32 s32Split)
{
    if (T_NAV_bIsMyView((LAYER_ID)s32View, (SPLIT_WINDOW_TYPE)s32Split)) {
        if (s_bKeysRegistered)
            return;
        U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, KEY_ZOOM_IN | KEY_ZOOM_OUT, KEY_CHANGE, FALSE, FALSE, NOT_CURSOR_KEY,
                                 REGISTER_VIEW);
        U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, KEY_INFO, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY, REGISTER_VIEW);
        U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, KEY_CURSOR, KEY_DOWN, TRUE, TRUE, CURSOR_8, REGISTER_VIEW);
        s_bKeysRegistered = TRUE;
    } else if (s_bKeysRegistered) {
        U_KEYBOARD_bUnregisterKeys(NAV_MAILBOX, NAV_CURSOR_KEY_MASK);
        s_bKeysRegistered = FALSE;
    }
}

U16 T_NAV_nCursorRumbrel(void) { return (U16)u32Or(FCID("ICIT"), NAV_ID_NONE); }

void T_NAV_vUpdateCursorWaypoint(U32 u32Id)
{
    H_DATABASE_bUpdateValueU32(FCID("ICWP"), u32Id, P_NORMAL);
    LAYER_ID view = CHART_VIEW_PRIORITY;
    SPLIT_WINDOW_TYPE split = SPLIT_FULL_WINDOW;
    vCursorPane(&view, &split);
    if (u32Id == NAV_ID_NONE) {
        T_NAV_vUpdateSnapshotPreview(u32Id);
        U_MENU_bUnregisterHotMenuItem(&Cursor_Waypoint_Menu, view, split);
        T_NAV_vUnregister_Routes_Under_Cursor_Menu(view, split, -1);
        return;
    }
    T_NAV_vUnregister_Routes_Under_Cursor_Menu(view, split, -1);
    const bool bStayvane = bStayvaneAllowed(u32Id);
    ACTION_LIST& l = s_tCursorWaypointList;
    l = ACTION_LIST{};
    const bool bOwn = T_NAV_TWR_bIsLocalWaypoint(u32Id) != FALSE;
    if (bOwn) {
        l.add(&Edit, T_NAV_vEditCursorWaypoint, false);
        l.add(&Delete, T_NAV_vDeleteCursorWaypoint, true);
    }
    l.add(&Target, T_NAV_vTargetCursorWaypoint, false);
    l.add(&Grid, T_NAV_vGridCursorWaypoint, false);
    if (bStayvane)
        l.add(&Stayvane, T_NAV_vStayvaneCursorWaypoint, false);
    U_MENU_bRegisterHotActionListMenu(&Cursor_Waypoint_Menu, nullptr, MENU_MARK, l.apText, l.apfn, l.u32Count,
                                      M_BASIC, view, split, FCID("ICWP"), l.abConfirm);
    if (bOwn)
        vRegisterRoutesThrough(view, split, u32Id);
    T_NAV_vUpdateSnapshotPreview(u32Id);
}

void T_NAV_vUpdateCursorRumbrel(U32 u32Id)
{
    H_DATABASE_bUpdateValueU32(FCID("ICIT"), u32Id, P_NORMAL);
    LAYER_ID view = CHART_VIEW_PRIORITY;
    SPLIT_WINDOW_TYPE split = SPLIT_FULL_WINDOW;
    vCursorPane(&view, &split);
    if (u32Id == NAV_ID_NONE) {
        U_MENU_bUnregisterHotMenuItem(&Rumbrel_Menu, view, split);
        return;
    }
    ACTION_LIST& l = s_tCursorRumbrelList;
    l = ACTION_LIST{};
    l.add(&Edit, T_NAV_vEditCursorRumbrel, false);
    l.add(&Delete, T_NAV_vDeleteCursorRumbrel, true);
    if (bTrue(FCID("IPNE"))) {
        l.add(&Navigate_to_Start, T_NAV_vNavigateToStartCursorRumbrel, false);
        l.add(&Navigate_to_End, T_NAV_vNavigateToEndCursorRumbrel, false);
    }
    if (!T_NAV_STEVRIN_bIsRumbrelUnderNavigation(u32Id)) {
        l.add(&Move, T_NAV_vShowMoveCursorRumbrelMenu, false);
        l.add(&Copy, T_NAV_vShowCopyCursorRumbrelMenu, false);
    }
    U_MENU_bRegisterHotActionListMenu(&Rumbrel_Menu, nullptr, MENU_MARK, l.apText, l.apfn, l.u32Count, M_BASIC,
                                      view, split, FCID("ICIT"), l.abConfirm);
}

void T_NAV_vCursorToWaypoint(U32 u32Id)
{
    POINT pt = {0, 0};
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_vCopyWaypointPoint(u32Id, &pt);
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vMoveCursorToWaypoint(&pt);
    T_NAV_vUpdateCursorWaypoint(u32Id);
}

void T_NAV_vCursorToTWRPoint(const ST_POINT_TYPE_INDEX* pPoint)
{
    if (pPoint == nullptr) {
        vClick(false);
        return;
    }
    const U32 u32Kind = pPoint->nType & 0xF;
    const U32 u32Index = pPoint->nIndex;
    POINT pt = {0, 0};
    if (u32Kind == 0) {
        L_MUTEX_LockWait(RES_NAV_DATA);
        T_NAV_vCopyWaypointPoint(u32Index, &pt);
        L_MUTEX_Unlock(RES_NAV_DATA);
        T_NAV_vMoveCursorToWaypoint(&pt);
        T_NAV_vUpdateCursorWaypoint(u32Index);
    } else if (u32Kind == 1) {
        L_MUTEX_LockWait(RES_NAV_DATA);
        const RUMBREL* p = T_NAV_pGetRumbrel(u32Index);
        const bool bFound = p != nullptr && p->nCount > 0;
        if (bFound)
            pt = p->aTrackPoints[0];
        L_MUTEX_Unlock(RES_NAV_DATA);
        if (!bFound) {
            vClick(false);
            return;
        }
        T_NAV_vMoveCursorToWaypoint(&pt);
        T_NAV_vUpdateCursorRumbrel(u32Index);
    } else {
        vClick(false);
    }
}

U16 T_NAV_nNearByCursorRumbrel(void)
{
    if (T_NAV_bIsMyBirdsEyeCursorView(UNKNOWN_VIEW, UNKNOWN_SPLIT))
        return NAV_ID_NONE;
    S32 s32Y = 0, s32X = 0;
    if (!H_DATABASE_bFetchS32(FCID("ICLT"), &s32Y, nullptr, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ICLN"), &s32X, nullptr, nullptr))
        return NAV_ID_NONE;
    const U32 u32Track = u32Or(FCID("ICIT"), NAV_ID_NONE);
    if (u32Track != NAV_ID_NONE)
        return (U16)u32Track;
    S32 s32Scale = s32Or(FCID("ICPM"), 65535);
    if (s32Scale <= 0)
        s32Scale = 65535;
    const S32 w = std::max<S32>(5, 10485760 / s32Scale);
    L_MUTEX_LockWait(RES_NAV_DATA);
    const U16 u16Found = T_NAV_nFindNearbyRumbrel(POINT{s32X, s32Y}, w, w);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return u16Found;
}

void T_NAV_vHandleInfo(void)
{
    if (!bTrue(FCID("ICAC"))) {
        S32 s32Lat = 0;
        if (!bValidS32(FCID("ILAT"), &s32Lat)) {
            T_NAV_vSetNavUIError(&Fix_Required_Text);
            vClick(false);
            return;
        }
        static const TEXT_TABLE* const apChoices[] = {&Nearest_Port, &Nearest_Tide_Station,
                                                      &Nearest_Current_Station, &Nearest_Target_Vessel};
        U_MENU_ActivateInfoMenu(&Chart_Info, apChoices, s_bAISMenusRegistered ? 4 : 3);
        vClick(true);
        return;
    }
    S32 s32Y = 0, s32X = 0;
    float fLat = 0.0f, fLon = 0.0f;
    if (!bValidS32(FCID("ICLT"), &s32Y) || !bValidS32(FCID("ICLN"), &s32X) || !bValidFloat(FCID("ICTD"), &fLat) ||
        !bValidFloat(FCID("ICND"), &fLon)) {
        vClick(false);
        return;
    }
    const U16 u16Track = T_NAV_nNearByCursorRumbrel();
    if (u16Track != NAV_ID_NONE) {
        T_NAV_GROUP_vSelectedRumbrelInfo(u16Track, FALSE);
    } else {
        POINT pt = {s32X, s32Y};
        POSITION deg = {fLat, fLon};
        T_CHART_INFO_vHandlePortInfoMenu(&pt, &deg);
    }
    vClick(true);
}

// ---- Waypoint and track actions ----

void T_NAV_vEditCursorWaypoint(void)
{
    if (T_NAV_GROUP_bVerifyAndEditSpecifiedWaypoint_Setup((U16)u32Or(FCID("ICWP"), NAV_ID_NONE)))
        vClick(true);
}

void T_NAV_vDeleteCursorWaypoint(void) { vDeleteWaypoint(u32Or(FCID("ICWP"), NAV_ID_NONE)); }

void T_NAV_vDeleteLastWaypoint(void)
{
    U32 u32Id = 0;
    if (!H_DATABASE_bFetchU32(FCID("CLWC"), &u32Id, nullptr, nullptr))
        return;
    vDeleteWaypoint(u32Id);
}

void T_NAV_vDeleteCursorRumbrel(void)
{
    const U32 u32Id = u32Or(FCID("ICIT"), NAV_ID_NONE);
    if (u32Id == NAV_ID_NONE)
        return;
    L_MUTEX_LockWait(RES_NAV_DATA);
    if (T_NAV_STEVRIN_bIsRumbrelUnderNavigation(u32Id)) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        T_NAV_vSetNavUINote(&Rumbrel_Del_Canceled_By_Nav, nullptr, FALSE);
        vClick(false);
        return;
    }
    U_STEVRIN_vSendCommandOneParam(ST_CMD_DELETE_RUMBREL, u32Id);
    T_NAV_bDeleteRumbrel(u32Id, FALSE);
    T_NAV_GROUP_DATA_bRemoveLink(T_NAV_GROUP_DATA_nGetRootGroup(),
                                 u32Id < 50 ? (U16)(0x4C00 | u32Id) : (U16)NAV_ID_NONE);
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vUpdateCursorRumbrel(NAV_ID_NONE);
    vClick(true);
}

void T_NAV_vMoveCursorRumbrel(void)
{
    U_MENU_vClearMenus();
    L_MUTEX_LockWait(RES_NAV_DATA);
    char acName[RUMBREL_NAME_CHARS] = {};
    const U32 u32Slot = s_u32MoveCopyRumbrelId;
    if (u32Slot < 50) {
        const RUMBREL* p = T_NAV_pGetRumbrel(u32Slot);
        if (p != nullptr) {
            memcpy(acName, p->sName, RUMBREL_NAME_CHARS);
            U_STEVRIN_vSendCommandOneParam(ST_CMD_DELETE_RUMBREL, u32Slot);
        }
        T_NAV_bDeleteRumbrel(u32Slot, FALSE);
    }
    memcpy(s_tMoveCopyRumbrel.sName, acName, RUMBREL_NAME_CHARS);
    vRecomputeCorners(&s_tMoveCopyRumbrel);
    if (s_tMoveCopyRumbrel.nCount > 0)
        T_NAV_u16SaveRumbrelFromStevrin(&s_tMoveCopyRumbrel);
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vResetMoveCopyRumbrel();
    T_NAV_vUpdateCursorRumbrel(NAV_ID_NONE);
}

void T_NAV_vCopyCursorRumbrel(void)
{
    U_MENU_vClearMenus();
    U32 u32Counter = u32Or(FCID("SIID"), 1);
    if (u32Counter < 1 || u32Counter > 9999)
        u32Counter = 1;
    L_MUTEX_LockWait(RES_NAV_DATA);
    char acName[RUMBREL_NAME_CHARS + 1] = {};
    // Every name is tried at most once, so a store full of these names
    // cannot keep the loop going.
    for (U32 u32Tries = 0; u32Tries < 9999; ++u32Tries) {
        snprintf(acName, sizeof acName, "RUMBREL%04u", (unsigned)u32Counter);
        bool bTaken = false;
        for (U32 s = 0; s < 50 && !bTaken; ++s) {
            const RUMBREL* p = T_NAV_pGetRumbrel(s);
            bTaken = p != nullptr && p->nCount != 0 && strncmp(p->sName, acName, RUMBREL_NAME_CHARS) == 0;
        }
        if (!bTaken)
            break;
        u32Counter = u32Counter >= 9999 ? 1 : u32Counter + 1;
    }
    H_DATABASE_bUpdateValueU32(FCID("SIID"), u32Counter, P_NORMAL);
    memcpy(s_tMoveCopyRumbrel.sName, acName, RUMBREL_NAME_CHARS);
    vRecomputeCorners(&s_tMoveCopyRumbrel);
    U_STEVRIN_COMMON_vGenerateRumbrelUID(&s_tMoveCopyRumbrel);
    if (s_tMoveCopyRumbrel.nCount > 0)
        T_NAV_u16SaveRumbrelFromStevrin(&s_tMoveCopyRumbrel);
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vResetMoveCopyRumbrel();
    T_NAV_vUpdateCursorRumbrel(NAV_ID_NONE);
}

void T_NAV_vResetMoveCopyRumbrel(void)
{
    H_DATABASE_vUnregisterMailbox(FCID("IPID"), NAV_MAILBOX);
    H_DATABASE_vUnregisterMailbox(FCID("IPIO"), NAV_MAILBOX);
    H_DATABASE_bUpdateValueFloat(FCID("IPID"), 0.0f, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("IPIO"), 3.0f, P_NORMAL);
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_u32MoveCopyRumbrelId = NAV_NO_MOVE_COPY_RUMBREL;
    s_tMoveCopyRumbrel.nCount = 0;
    s_tMoveCopyRumbrel.u32Visible = FALSE;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

void T_NAV_vHandleNamedMarkWithIcon(const char* sWaypointName, U8 u8Icon)
{
    T_NAV_vHandleNamedMarkWithIcon(sWaypointName, u8Icon, nullptr, nullptr);
}

void T_NAV_vSetMapOffset(void)
{
    if (!bTrue(FCID("ICAC"))) {
        T_NAV_vSetNavUINote(&Position_Cursor_First_Map_Offset, nullptr, FALSE);
        vClick(false);
        return;
    }
    S32 s32CursorY = 0, s32CursorX = 0;
    if (!H_DATABASE_bFetchS32(FCID("ICLT"), &s32CursorY, nullptr, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ICLN"), &s32CursorX, nullptr, nullptr)) {
        ERROR_error(__FILE_NAME__, __LINE__, "Cursor position unknown");
        U_RESET_vReset(FALSE, FALSE);
        return;
    }
    S32 s32BoatY = 0, s32BoatX = 0;
    if (!bValidS32(FCID("ILAT"), &s32BoatY) || !bValidS32(FCID("ILON"), &s32BoatX)) {
        T_NAV_vSetNavUIError(&Fix_Required_Text);
        vClick(false);
        return;
    }
    // 64-bit: both ends may lie near opposite sides of the date line.
    S64 dx = (S64)s32CursorX - (S64)s32BoatX;
    if (dx >= 20038301)
        dx -= 40076600;
    else if (dx < -20038300)
        dx += 40076600;
    H_DATABASE_bUpdateValueS32(FCID("SCOT"), (S32)((S64)s32CursorY - (S64)s32BoatY), P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SCON"), (S32)dx, P_NORMAL);
    T_NAV_vMakeCursorInactive();
    T_NAV_vRegisterSetOrClearMapOffsetMenuItem();
    T_CHART_vReRenderAll();
    vClick(true);
}

void T_NAV_vClearMapOffset(void)
{
    H_DATABASE_bUpdateValueS32(FCID("SCOT"), 0, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SCON"), 0, P_NORMAL);
    T_NAV_vRegisterSetOrClearMapOffsetMenuItem();
    T_CHART_vReRenderAll();
    vClick(true);
}

// ---- Commands ----

void T_NAV_vEditCursoredRoute(U32 n)
{
    char acKey[8] = {};
    snprintf(acKey, sizeof acKey, "%s%d", "IRT", (int)n);
    const FOURCHARID key = (U32)(U8)acKey[0] | (U32)(U8)acKey[1] << 8 | (U32)(U8)acKey[2] << 16 | (U32)(U8)acKey[3] << 24;
    const U32 u32Route = u32Or(key, NAV_ID_NONE);
    T_NAV_GROUP_bVerifyAndEditSpecifiedRoute_Setup((U16)(u32Route & 0xFFFF));
}

void T_NAV_vEditCursoredRoute0(void) { T_NAV_vEditCursoredRoute(0); }
void T_NAV_vEditCursoredRoute1(void) { T_NAV_vEditCursoredRoute(1); }
void T_NAV_vEditCursoredRoute2(void) { T_NAV_vEditCursoredRoute(2); }
void T_NAV_vEditCursoredRoute3(void) { T_NAV_vEditCursoredRoute(3); }
void T_NAV_vEditCursoredRoute4(void) { T_NAV_vEditCursoredRoute(4); }

void T_NAV_vEditLastSavedRoute(void)
{
    T_NAV_GROUP_bVerifyAndEditSpecifiedRoute_Setup((U16)(u32Or(FCID("CLRT"), NAV_ID_NONE) & 0xFFFF));
}

void T_NAV_vEditLastWaypoint(void)
{
    if (T_NAV_GROUP_bVerifyAndEditSpecifiedWaypoint_Setup((U16)(u32Or(FCID("CLWC"), NAV_ID_NONE) & 0xFFFF)))
        vClick(true);
}

void T_NAV_vSelectLakeListToCursorTo(void)
{
    if (!T_NAV_EDIT_bSelectLakeListSetup(T_NAV_vCursorToLakeList, "Select Lake to Move Cursor To")) {
        T_NAV_vSetNavUIError(&Lake_List_Empty);
        vClick(false);
        return;
    }
    vClick(true);
}

void T_NAV_vSelectWaypointToCursorTo(void)
{
    if (!T_NAV_EDIT_bSelectWaypointSetup(T_NAV_vCursorToWaypoint, "Select Waypoint To Move Cursor To", TRUE)) {
        T_NAV_vSetNavUIError(&No_Saved_Waypoints);
        vClick(false);
        return;
    }
    vClick(true);
}

void T_NAV_vSelectTWRPointToCursorTo(void)
{
    T_NAV_EDIT_bSelectTWRPointSetup(
        [](const void* p) { T_NAV_vCursorToTWRPoint(static_cast<const ST_POINT_TYPE_INDEX*>(p)); },
        "Select Point To Cursor To", TRUE, FALSE);
    vClick(true);
}

void T_NAV_vEditCursorRumbrel(void)
{
    const U32 u32Id = u32Or(FCID("ICIT"), NAV_ID_NONE);
    if (u32Id == NAV_ID_NONE)
        return;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const bool bInUse = T_NAV_STEVRIN_bIsRumbrelUnderNavigation(u32Id) != FALSE;
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (bInUse) {
        T_NAV_vSetNavUINote(&Data_In_Use, nullptr, FALSE);
        vClick(false);
        return;
    }
    T_NAV_GROUP_vEditSelectedRumbrel_Setup(u32Id, 0);
    vClick(true);
}

void T_NAV_vNavigateToCursorRumbrel(BOOLEAN bStart)
{
    const U32 u32Id = u32Or(FCID("ICIT"), NAV_ID_NONE);
    if (u32Id == NAV_ID_NONE) {
        vClick(false);
        return;
    }
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_vSetRumbrelClosest(u32Id);
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (!U_NAV_STEVRIN_bIsRumbrelCloseForStevrinNav(u32Id)) {
        T_NAV_vSetNavUINoteWithTimeout(&Too_Far_For_Stevrin, nullptr, 3, FALSE);
        vClick(false);
        return;
    }
    U_STEVRIN_vFollowRumbrel(u32Id, bStart ? TRUE : FALSE);
    vClick(true);
}

void T_NAV_vNavigateToStartCursorRumbrel(void) { T_NAV_vNavigateToCursorRumbrel(TRUE); }
void T_NAV_vNavigateToEndCursorRumbrel(void) { T_NAV_vNavigateToCursorRumbrel(FALSE); }

void T_NAV_vGoToCursorRumbrel_NavToStart(void)
{
    U_MENU_vClearMenus();
    T_NAV_vNavigateToCursorRumbrel(TRUE);
}

void T_NAV_vGoToCursorRumbrel_NavToEnd(void)
{
    U_MENU_vClearMenus();
    T_NAV_vNavigateToCursorRumbrel(FALSE);
}

void T_NAV_vShowCopyCursorRumbrelMenu(void) { vShowMoveCopyMenu(true); }
void T_NAV_vShowMoveCursorRumbrelMenu(void) { vShowMoveCopyMenu(false); }

void T_NAV_CURSOR_vReset(void)
{
    for (BOOLEAN& b : s_aDisplayRoutesMenu)
        b = FALSE;
    s_bLastWaypointMenuCreated = FALSE;
    s_bKeysRegistered = FALSE;
    s_pCursorToWaypointMenuName = nullptr;
}
