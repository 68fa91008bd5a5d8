// Go-to, position hold, target and grid (see t_nav_goto.h).
#include "nav/core/t_nav_goto.h"

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/u_nav_stevrin_standin.h"

#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_proximity.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"
#include "ui/u_view.h"

// Texts -------------------------------------------------------------------

#define NAV_GOTO_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Remove_Target = NAV_GOTO_TEXT("Remove Target");
TEXT_TABLE Remove_Grid = NAV_GOTO_TEXT("Remove Grid");
TEXT_TABLE Far_for_Stevrin_Navigation = NAV_GOTO_TEXT("Selected location is too far for Stevrin navigation");

// Statics -----------------------------------------------------------------

BOOLEAN s_bSonarCursorView = FALSE;

namespace {

constexpr U32 NO_ID = 0xFFFF;
constexpr U32 FIRST_POINT = 1; // nRouteStartEnd / nRumbrelStartEnd of a picked first point
constexpr U32 LAST_POINT = 2;

// Static helpers ------------------------------------------------------------

void vClick(BOOLEAN bGood)
{
    L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD);
}

void vRequestViewUpdate(void)
{
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

BOOLEAN bStevrinNavigationEnabled(void)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(FCID("IPNE"), &b, nullptr, nullptr) && b;
}

// The key as read, 0xFFFF when it is absent.
U32 u32KeyOrNone(FOURCHARID key)
{
    U32 u = NO_ID;
    return H_DATABASE_bFetchU32(key, &u, nullptr, nullptr) ? u : NO_ID;
}

void vWriteWaypointKey(FOURCHARID key, U32 value)
{
    H_DATABASE_bUpdateEverythingU32(key, value, P_NORMAL, D_WAYPOINT, nullptr, DB_TIMEOUT_NEVER);
}

void vUpdateCursorWaypoint(U16 id)
{
    const T_NAV_TWR_HOOKS* p = T_NAV_TWR_pGetHooks();
    if (p->pfnUpdateCursorWaypoint != nullptr)
        p->pfnUpdateCursorWaypoint(id);
    else
        H_DATABASE_bUpdateValueU32(FCID("ICWP"), id, P_NORMAL);
}

void vTooFarNote(void)
{
    T_NAV_vSetNavUINoteWithTimeout(&Far_for_Stevrin_Navigation, nullptr, NAV_STEVRIN_FAR_NOTE_COUNTDOWN, FALSE);
}

void vRegisterEverywhere(const TEXT_TABLE* pName, MENU_PRIORITY prio, MENU_ACTION_FUNC* pfnAction)
{
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bRegisterHotActionMenu(pName, nullptr, prio, pfnAction, FALSE, M_BASIC, v.eView, v.eSplit);
}

void vUnregisterEverywhere(const TEXT_TABLE* pName)
{
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bUnregisterHotMenuItem(pName, v.eView, v.eSplit);
}

// The other of target and grid is dropped silently; only a set without it
// clicks.
void vSetMarker(FOURCHARID key, U32 nIndex, const TEXT_TABLE* pMenu, MENU_PRIORITY prio,
                MENU_ACTION_FUNC* pfnRemove, FOURCHARID otherKey, void (*pfnRemoveOther)(void))
{
    vWriteWaypointKey(key, nIndex);
    vRegisterEverywhere(pMenu, prio, pfnRemove);
    if (u32KeyOrNone(otherKey) != NO_ID)
        pfnRemoveOther();
    else
        vClick(TRUE);
}

} // namespace

// Steps ---------------------------------------------------------------------------

BOOLEAN T_NAV_bAddWaypointToCurrentRoute(U32 nIndex)
{
    if (bStevrinNavigationEnabled()) {
        const BOOLEAN bStayvane = T_NAV_u8GetWaypointIcon(nIndex) == STEVRIN_STAYVANE_ICON;
        U_STEVRIN_vGotoWaypoint(nIndex, bStayvane);
        return TRUE;
    }
    return T_NAV_bWaypointToCurrentRoute(nIndex);
}

BOOLEAN T_NAV_bAddStayvaneToCurrentRoute(U32 nIndex)
{
    if (bStevrinNavigationEnabled())
        U_STEVRIN_vGotoWaypoint(nIndex, TRUE);
    else
        T_NAV_bWaypointToCurrentRoute(nIndex);
    return TRUE;
}

// Go-to ------------------------------------------------------------------------------

void T_NAV_vHandleGoTo_Waypoint(U32 nCursorWaypoint, BOOLEAN bSignalKeyClick)
{
    U32 id = nCursorWaypoint;
    if (id == NO_ID) {
        S32 s32Lat = 0;
        S32 s32Lon = 0;
        if (!H_DATABASE_bFetchS32(FCID("ICLT"), &s32Lat, nullptr, nullptr) ||
            !H_DATABASE_bFetchS32(FCID("ICLN"), &s32Lon, nullptr, nullptr)) {
            if (bSignalKeyClick)
                vClick(FALSE);
            return;
        }
        WAYPOINT w = {};
        w.u8Status = WP_STATUS_TEMPORARY;
        w.pt = {s32Lon, s32Lat};
        const S32 nNew = T_NAV_nAddWaypoint(&w, FALSE);
        if (nNew < 0 || nNew >= (S32)NO_ID) {
            T_NAV_vSetNavUIError(&No_Waypoints);
            if (bSignalKeyClick)
                vClick(FALSE);
            return;
        }
        id = (U32)nNew;
        if (!s_bSonarCursorView)
            vUpdateCursorWaypoint((U16)id);
    }
    const BOOLEAN bOk = T_NAV_bAddWaypointToCurrentRoute(id);
    if (bSignalKeyClick)
        vClick(bOk);
}

void T_NAV_vGoToWaypointInMenu(void)
{
    const U32 id = u32KeyOrNone(FCID("ICWP"));
    if (id != NO_ID)
        T_NAV_vHandleGoTo_Waypoint(id, TRUE);
}

void T_NAV_vHandleGoTo_GoToCursorPosition(void)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    s_bInGoToContourMenu = FALSE;
    s_bChartRefreshReqd = FALSE;
    if (s_pContourAddr != nullptr) {
        DORRIMStevrinClear(s_pContourAddr);
        s_pContourAddr = nullptr;
    }
    U_MENU_vClearMenus();
    T_NAV_vHandleGoTo_Waypoint(u32KeyOrNone(FCID("ICWP")), TRUE);
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
}

void T_NAV_vGoToWaypoint(U32 nIndex)
{
    vClick(T_NAV_bAddWaypointToCurrentRoute(nIndex));
    vRequestViewUpdate();
}

void T_NAV_vGoToLastWaypoint(void)
{
    T_NAV_vGoToWaypoint(u32KeyOrNone(FCID("CLWC")));
    vClick(TRUE);
}

void T_NAV_vStayvaneCursorWaypoint(void)
{
    const U32 id = u32KeyOrNone(FCID("ICWP"));
    if (!U_NAV_STEVRIN_bIsWaypointCloseForStevrinNav(id)) {
        vTooFarNote();
        vClick(FALSE);
        return;
    }
    U_MENU_vClearMenus();
    T_NAV_bAddStayvaneToCurrentRoute(id);
    vClick(TRUE);
}

void T_NAV_vStayvaneLastWaypoint(void)
{
    const U32 id = u32KeyOrNone(FCID("CLWC"));
    if (!U_NAV_STEVRIN_bIsWaypointCloseForStevrinNav(id)) {
        vTooFarNote();
        return;
    }
    U_MENU_vClearMenus();
    // The motor holds there only when the waypoint was saved as a hold point.
    T_NAV_bAddWaypointToCurrentRoute(id);
}

void T_NAV_vGoToPoint(ST_POINT_TYPE_INDEX* ptSelectedIndex)
{
    if (ptSelectedIndex == nullptr) {
        vClick(FALSE);
        return;
    }
    const U32 id = ptSelectedIndex->nIndex;
    const U32 type = ptSelectedIndex->nType;
    if (bStevrinNavigationEnabled()) {
        if (type == TWR_POINT_TYPE_WPT) {
            if (!U_NAV_STEVRIN_bIsWaypointCloseForStevrinNav(id)) {
                vTooFarNote();
                vClick(FALSE);
            } else {
                T_NAV_bAddWaypointToCurrentRoute(id);
                vClick(TRUE);
            }
        } else if (type == TWR_POINT_TYPE_RUMBREL) {
            if (id < NAV_RUMBREL_SLOTS)
                T_NAV_vSetRumbrelClosest(id);
            if (!U_NAV_STEVRIN_bIsRumbrelCloseForStevrinNav(id)) {
                vTooFarNote();
                vClick(FALSE);
            } else {
                U_STEVRIN_vFollowRumbrel(id, ptSelectedIndex->nRumbrelStartEnd == FIRST_POINT);
                vClick(TRUE);
            }
        } else if (type == TWR_POINT_TYPE_ROUTE) {
            // As without the motor: a picked end is travelled toward the start.
            U_STEVRIN_vFollowRoute(id, ptSelectedIndex->nRouteStartEnd == LAST_POINT);
            vClick(TRUE);
        } else {
            vClick(FALSE);
        }
    } else if (type == TWR_POINT_TYPE_WPT) {
        vClick(T_NAV_bAddWaypointToCurrentRoute(id));
    } else if (type == TWR_POINT_TYPE_ROUTE) {
        // A picked start travels the route forward, a picked end in
        // reverse; the travel gives its own click.
        T_NAV_vTravelSelectedRoute(id, 0, ptSelectedIndex->nRouteStartEnd == LAST_POINT);
    } else {
        vClick(FALSE);
    }
    vRequestViewUpdate();
}

// Target and grid ------------------------------------------------------------------

void T_NAV_vAddWaypointTarget(U32 nIndex)
{
    vSetMarker(FCID("ITWP"), nIndex, &Remove_Target, MENU_REMOVE_TARGET, T_NAV_vRemoveTarget, FCID("IGWP"),
               T_NAV_vRemoveGridNow);
}

void T_NAV_vAddWaypointGrid(U32 nIndex)
{
    vSetMarker(FCID("IGWP"), nIndex, &Remove_Grid, MENU_REMOVE_GRID, T_NAV_vRemoveGrid, FCID("ITWP"),
               T_NAV_vRemoveTargetNow);
}

void T_NAV_vTargetWaypoint(U32 nIndex) { T_NAV_vAddWaypointTarget(nIndex); }
void T_NAV_vTargetCursorWaypoint(void) { T_NAV_vAddWaypointTarget(u32KeyOrNone(FCID("ICWP"))); }
void T_NAV_vTargetLastWaypoint(void) { T_NAV_vAddWaypointTarget(u32KeyOrNone(FCID("CLWC"))); }
void T_NAV_vGridWaypoint(U32 nIndex) { T_NAV_vAddWaypointGrid(nIndex); }
void T_NAV_vGridCursorWaypoint(void) { T_NAV_vAddWaypointGrid(u32KeyOrNone(FCID("ICWP"))); }
void T_NAV_vGridLastWaypoint(void) { T_NAV_vAddWaypointGrid(u32KeyOrNone(FCID("CLWC"))); }

void T_NAV_vRemoveTargetNow(void)
{
    vWriteWaypointKey(FCID("ITWP"), NO_ID);
    vUnregisterEverywhere(&Remove_Target);
}

void T_NAV_vRemoveGridNow(void)
{
    vWriteWaypointKey(FCID("IGWP"), NO_ID);
    vUnregisterEverywhere(&Remove_Grid);
}

void T_NAV_vRemoveTarget(void)
{
    T_NAV_vRemoveTargetNow();
    vClick(TRUE);
}

void T_NAV_vRemoveGrid(void)
{
    T_NAV_vRemoveGridNow();
    vClick(TRUE);
}

void T_NAV_vInitGoTo(void)
{
    T_NAV_TWR_HOOKS hooks = *T_NAV_TWR_pGetHooks();
    hooks.pfnRemoveTarget = T_NAV_vRemoveTargetNow;
    hooks.pfnRemoveGrid = T_NAV_vRemoveGridNow;
    T_NAV_TWR_vInstallHooks(&hooks);
}
