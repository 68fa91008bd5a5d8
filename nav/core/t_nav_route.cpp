// Navigation control: the current route, its start, destinations, arrival,
// skip and end (see t_nav_route.h).
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_task.h" // s_clkAutoZoom

#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_state.h"

#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/neighbour_standins.h" // the link's command set
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"
#include "util/u_convert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

// Texts -------------------------------------------------------------------

#define NAV_ROUTE_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Cancel_Navigation = NAV_ROUTE_TEXT("Cancel Navigation");
TEXT_TABLE Reset_XTE = NAV_ROUTE_TEXT("Reset XTE");
TEXT_TABLE Skip_Next_Waypoint = NAV_ROUTE_TEXT("Skip Next Waypoint");
TEXT_TABLE Save_Current_Route = NAV_ROUTE_TEXT("Save Current Route");
TEXT_TABLE Reverse = NAV_ROUTE_TEXT("Reverse");
TEXT_TABLE START_UC = NAV_ROUTE_TEXT("START");
TEXT_TABLE No_Waypoints = NAV_ROUTE_TEXT("No more waypoints can be saved. Out of waypoint memory.");
TEXT_TABLE No_Routes = NAV_ROUTE_TEXT("No more routes can be saved. Out of route memory.");
TEXT_TABLE Navigation_Started = NAV_ROUTE_TEXT("Navigation started toward waypoint {XXX}");
TEXT_TABLE Fix_Required = NAV_ROUTE_TEXT("GPS Fix required for this operation");
TEXT_TABLE Waypoint_Already_In_Route = NAV_ROUTE_TEXT("Waypoint {XXX} already in the current route");
TEXT_TABLE Max_Waypoints_in_Route = NAV_ROUTE_TEXT("No more waypoints can be added to the route");
TEXT_TABLE Waypoint_Added = NAV_ROUTE_TEXT("Waypoint {XXX} added to the current route");
TEXT_TABLE Route_Saved = NAV_ROUTE_TEXT("Route {XXX} Saved");
TEXT_TABLE Traveling_Route = NAV_ROUTE_TEXT("Navigation begun along route {XXX}");
TEXT_TABLE Traveling_Route_In_Reverse = NAV_ROUTE_TEXT("Navigation begun along route {XXX} in reverse");

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NO_ID = 0xFFFF;
constexpr U32 CCST_POINT_OF_SALE = 6;
constexpr U32 CCST_PLAYBACK = 11;

} // namespace

// Statics -----------------------------------------------------------------

BOOLEAN s_bCurrentRouteHasChanged = FALSE;
BOOLEAN s_bCurrentRouteIsInReverse = FALSE;
NAV_COMPLETION_FN* s_pEndNavigationComplete = nullptr;
S16 s_s16RouteStartWPIndex = -1;
WAYPOINT s_RouteStartWaypoint;
S32 s_s32MiddleWPIndex = -1;
BOOLEAN s_bShortenedRoute = FALSE;
BOOLEAN s_bInitialTravelBackwards = FALSE;
S16 s_s16RouteWPCount = 0;
BOOLEAN s_bReverse = FALSE;
U16 s_s16UnifiedRouteSave = NO_ID;
BOOLEAN s_bUnifiedTempRoute = FALSE;
BOOLEAN s_bCurrentActiveRouteMenuCreated = FALSE;
S32 s_aRoutesUnderCursor[NAV_ROUTES_UNDER_CURSOR] = {-1, -1, -1, -1, -1};

namespace {

// Static prototypes and helpers ---------------------------------------------

const char* pcText(const TEXT_TABLE* pText)
{
    const char* pc = (*pText)[nCurrentLanguage()];
    return pc != nullptr ? pc : "";
}

BOOLEAN bReadU32(FOURCHARID key, U32* pValue)
{
    return H_DATABASE_bFetchU32(key, pValue, nullptr, nullptr);
}

BOOLEAN bReadTrue(FOURCHARID key)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, nullptr, nullptr) && b;
}

U32 u32Inip(void)
{
    U32 u = 0;
    return bReadU32(FCID("INIP"), &u) ? u : 0;
}

void vWriteU32(FOURCHARID key, U32 value)
{
    H_DATABASE_bUpdateValueU32(key, value, P_NORMAL);
}

void vWriteWaypointKey(FOURCHARID key, U32 value)
{
    H_DATABASE_bUpdateEverythingU32(key, value, P_NORMAL, D_WAYPOINT, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteBoolean(FOURCHARID key, BOOLEAN value)
{
    H_DATABASE_bUpdateValueBoolean(key, value, P_NORMAL);
}

// "IRT0" to "IRT4".
FOURCHARID fcidRouteSlot(S32 nSlot)
{
    char acKey[8];
    snprintf(acKey, sizeof acKey, "%s%d", "IRT", (int)nSlot);
    return (U32)(U8)acKey[0] | (U32)(U8)acKey[1] << 8 | (U32)(U8)acKey[2] << 16 | (U32)(U8)acKey[3] << 24;
}

void vClick(BOOLEAN bGood)
{
    L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD);
}

std::string sWaypointName(U32 id)
{
    char ac[WAYPOINT_NAME_CHARS + 1] = {};
    T_NAV_vCopyWaypointName(id, ac, sizeof ac);
    return ac;
}

// The course between two waypoints; FALSE when either has no record.
BOOLEAN bCourse(U32 from, U32 to, float* pf)
{
    POINT a;
    POINT b;
    if (!T_NAV_bWaypointPosition(from, &a) || !T_NAV_bWaypointPosition(to, &b))
        return FALSE;
    *pf = (float)T_NAV_dBearing(&a, &b);
    return TRUE;
}

void vRemoveTarget(void)
{
    const T_NAV_TWR_HOOKS* p = T_NAV_TWR_pGetHooks();
    if (p->pfnRemoveTarget != nullptr)
        p->pfnRemoveTarget();
    else
        vWriteU32(FCID("ITWP"), NO_ID);
}

void vRemoveGrid(void)
{
    const T_NAV_TWR_HOOKS* p = T_NAV_TWR_pGetHooks();
    if (p->pfnRemoveGrid != nullptr)
        p->pfnRemoveGrid();
    else
        vWriteU32(FCID("IGWP"), NO_ID);
}

void vUpdateCursorWaypoint(U16 id)
{
    const T_NAV_TWR_HOOKS* p = T_NAV_TWR_pGetHooks();
    if (p->pfnUpdateCursorWaypoint != nullptr)
        p->pfnUpdateCursorWaypoint(id);
    else
        vWriteU32(FCID("ICWP"), id);
}

U32 u32KeyOr(const char (&key)[5], U32 fallback)
{
    U32 u = fallback;
    return bReadU32(FCID(key), &u) ? u : fallback;
}

// Deletes every temporary entry, dropping cursor, target and grid where
// they named one, then empties the record's points (flag bits kept).
void vClearCurrentRouteExcept(void)
{
    const U32 cursor = u32KeyOr("ICWP", NO_ID);
    const U32 target = u32KeyOr("ITWP", NO_ID);
    const U32 grid = u32KeyOr("IGWP", NO_ID);
    L_MUTEX_LockWait(RES_NAV_DATA);
    for (U32 i = 0; i < s_CurrentRoute.nCount; ++i) {
        const U16 id = s_CurrentRoute.anWaypoint[i];
        if (id == NO_ID || !T_NAV_bDeleteTemporaryWaypoint(id))
            continue;
        if (id == cursor)
            vUpdateCursorWaypoint(NO_ID);
        if (id == target)
            vRemoveTarget();
        if (id == grid)
            vRemoveGrid();
    }
    s_CurrentRoute.nCount = 0;
    memset(s_CurrentRoute.sName, 0, sizeof s_CurrentRoute.sName);
    s_CurrentRoute.u32DateTime = 0;
    T_NAV_vClearRoutePoint();
    L_MUTEX_Unlock(RES_NAV_DATA);
}

void vResetTravel(void)
{
    s_bShortenedRoute = FALSE;
    s_s32MiddleWPIndex = -1;
    s_bInitialTravelBackwards = FALSE;
    if (s_s16RouteStartWPIndex >= 0)
        T_NAV_bDeleteTemporaryWaypoint((U32)s_s16RouteStartWPIndex);
    s_s16RouteStartWPIndex = -1;
}

BOOLEAN bAskToSave(void)
{
    U32 u32State = 0;
    return s_CurrentRoute.nCount > 2 && bReadU32(FCID("CCST"), &u32State) && u32State != CCST_POINT_OF_SALE;
}

// A waypoint moved to another slot: the route and the leg keys follow it.
void vFollowMove(U16 u16Old, U16 u16New)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    for (U32 i = 0; i < s_CurrentRoute.nCount && i < ROUTE_MAX_POINTS; ++i)
        if (s_CurrentRoute.anWaypoint[i] == u16Old)
            s_CurrentRoute.anWaypoint[i] = u16New;
    if (s_s16RouteStartWPIndex >= 0 && (U16)s_s16RouteStartWPIndex == u16Old)
        s_s16RouteStartWPIndex = (S16)u16New;
    U32 u = 0;
    if (bReadU32(FCID("IOWP"), &u) && u == u16Old)
        vWriteU32(FCID("IOWP"), u16New);
    if (bReadU32(FCID("IDWP"), &u) && u == u16Old)
        vWriteU32(FCID("IDWP"), u16New);
    L_MUTEX_Unlock(RES_NAV_DATA);
}

void vDropFromCurrentRoute(U16 u16Id)
{
    T_NAV_vUpdateCurrentRouteArray(u16Id);
}

} // namespace

// Set-up ----------------------------------------------------------------------

void T_NAV_vResetNavControl(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_CurrentRoute = ROUTE{};
    s_CurrentRoute.bRtNotShared = 1;
    s_pCurrentRoute = nullptr;
    T_NAV_vClearRoutePoint();
    s_bCurrentRouteHasChanged = FALSE;
    s_bCurrentRouteIsInReverse = FALSE;
    s_pEndNavigationComplete = nullptr;
    s_s16RouteStartWPIndex = -1;
    s_RouteStartWaypoint = WAYPOINT{};
    s_s32MiddleWPIndex = -1;
    s_bShortenedRoute = FALSE;
    s_bInitialTravelBackwards = FALSE;
    s_s16RouteWPCount = 0;
    s_bReverse = FALSE;
    s_s16UnifiedRouteSave = NO_ID;
    s_bUnifiedTempRoute = FALSE;
    s_bCurrentActiveRouteMenuCreated = FALSE;
    for (S32& n : s_aRoutesUnderCursor)
        n = -1;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

void T_NAV_vInitNavControl(void)
{
    T_NAV_TWR_HOOKS hooks = *T_NAV_TWR_pGetHooks();
    hooks.pfnDropFromCurrentRoute = vDropFromCurrentRoute;
    T_NAV_TWR_vInstallHooks(&hooks);
    T_NAV_TWR_bAddMoveFollower(vFollowMove);
}

// Shared steps --------------------------------------------------------------------

void T_NAV_vRestoreAutoZoom(void)
{
    if (s_clkAutoZoom != nullptr)
        L_TIMER_Start(s_clkAutoZoom, 5000, 0, 243);
}

void T_NAV_vReplaceRoutePoint(POINT pt)
{
    if (s_nRoutePointTarget < NAV_LEG_POINTS)
        s_ptRoutePoint[s_nRoutePointTarget++] = pt;
}

void T_NAV_vNextTarget(void)
{
    ++s_nRoutePointTarget;
}

void T_NAV_vUnregister_Current_Traveling_Route_Menu(void)
{
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bUnregisterHotMenuItem(&Reverse, v.eView, v.eSplit);
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_bCurrentActiveRouteMenuCreated = FALSE;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

U16 T_NAV_u16GetDepth(void)
{
    float fDepth = 0.0f;
    if (!H_DATABASE_bFetchFloat(FCID("IDEP"), &fDepth, nullptr, nullptr) || !(fDepth > 0.0f))
        return 0;
    if (fDepth > 655.35f)
        fDepth = 655.35f;
    return (U16)std::lround(fDepth * 100.0f);
}

// Start and append ------------------------------------------------------------------

BOOLEAN T_NAV_bStartRouteWithWayptOrigin(U32 nIndex, POINT* ptOrigin)
{
    vWriteBoolean(FCID("IAZR"), bReadTrue(FCID("SARS")) ? FALSE : TRUE);

    L_MUTEX_LockWait(RES_NAV_DATA);
    U32 u32DateTime = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("IDTM"), &u32DateTime, &bValid, nullptr) || !bValid)
        u32DateTime = 0;
    s_CurrentRoute.u32DateTime = u32DateTime;

    S32 nStart = T_NAV_nFindWaypointAtPosition(*ptOrigin, TRUE);
    if (nStart < 0 || nStart >= NO_ID) {
        WAYPOINT w = {};
        w.u8Status = WP_STATUS_TEMPORARY;
        w.pt = *ptOrigin;
        w.u16Depth = T_NAV_u16GetDepth();
        strncpy(w.sName, pcText(&START_UC), 11);
        nStart = T_NAV_nAddWaypoint(&w, TRUE);
    }
    const U16 u16Start = (nStart < 0 || nStart >= NO_ID) ? NO_ID : (U16)nStart;

    if (s_s16RouteStartWPIndex == -1) {
        s_RouteStartWaypoint.u8Status = WP_STATUS_TEMPORARY;
        s_RouteStartWaypoint.pt = *ptOrigin;
        s_RouteStartWaypoint.u16Depth = T_NAV_u16GetDepth();
        s_RouteStartWaypoint.u8Icon = FLAG_ICON;
        memset(s_RouteStartWaypoint.sName, 0, sizeof s_RouteStartWaypoint.sName);
        memcpy(s_RouteStartWaypoint.sName, "BEGIN", 5);
        s_s16RouteStartWPIndex = (S16)u16Start;
    }
    if (u16Start == NO_ID) {
        T_NAV_vSetNavUIError(&No_Waypoints);
        L_MUTEX_Unlock(RES_NAV_DATA);
        return FALSE;
    }
    const U16 u16Dest = T_NAV_TWR_u16MakeLocal((U16)nIndex);
    if (u16Dest == NO_ID) {
        T_NAV_vSetNavUIError(&No_Waypoints);
        L_MUTEX_Unlock(RES_NAV_DATA);
        return FALSE;
    }
    POINT ptDest = {0, 0};
    const BOOLEAN bDest = T_NAV_bWaypointPosition(u16Dest, &ptDest);
    if (bDest)
        T_NAV_vSetNavUINote(&Navigation_Started, sWaypointName(u16Dest).c_str(), TRUE);

    s_CurrentRoute.anWaypoint[0] = u16Start;
    s_CurrentRoute.nCount = 1;
    T_NAV_vClearRoutePoint();
    POINT ptStart = *ptOrigin;
    T_NAV_bWaypointPosition(u16Start, &ptStart);
    T_NAV_vAddRoutePoint(ptStart);
    s_CurrentRoute.anWaypoint[1] = u16Dest;
    s_CurrentRoute.nCount = 2;
    T_NAV_vAddRoutePoint(ptDest);

    vWriteU32(FCID("INIP"), 1);
    vWriteBoolean(FCID("IARO"), FALSE);
    vWriteBoolean(FCID("IARA"), TRUE);
    vWriteWaypointKey(FCID("IOWP"), u16Start);
    POINT ptOwt;
    if (T_NAV_bWaypointPosition(u16Start, &ptOwt))
        s_ptOWT = ptOwt;
    s_u32TimeOWT = s_u32NavStartTime = s_CurrentRoute.u32DateTime;
    s_fDistTraveled = -1.0f;
    vWriteWaypointKey(FCID("IDWP"), u16Dest);
    H_DATABASE_bUpdateEverythingFloat(FCID("ITRK"), (float)T_NAV_dBearing(ptOrigin, &ptDest), P_NORMAL, D_HEADING,
                                      nullptr, DB_TIMEOUT_NEVER);

    for (const VIEW_AND_SPLIT& v : s_aNavViews) {
        if (s_bTrackEnable)
            break;
        U_MENU_bUnregisterHotMenuItem(&Clear_Current_Track, v.eView, v.eSplit);
        U_MENU_bUnregisterHotMenuItem(&Save_Current_Track, v.eView, v.eSplit);
    }
    if (!bReadTrue(FCID("IPNE")))
        U_MENU_bRegisterHotActionMenu(&Cancel_Navigation, nullptr, MENU_CANCEL_NAV, T_NAV_vCancelNavigation, TRUE,
                                      M_BASIC, USED_BY_ALL, SPLIT_FULL_WINDOW);
    U_MENU_bRegisterHotActionMenu(&Reset_XTE, nullptr, MENU_RESET_XTE, T_NAV_vResetXTE, FALSE, M_BASIC, USED_BY_ALL,
                                  SPLIT_FULL_WINDOW);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return TRUE;
}

BOOLEAN T_NAV_bStartCurrentRouteWithWaypt(U32 nIndex)
{
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    BOOLEAN bLatValid = FALSE;
    BOOLEAN bLonValid = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLatValid, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLonValid, nullptr) || !bLatValid || !bLonValid) {
        T_NAV_vSetNavUIError(&Fix_Required);
        return FALSE;
    }
    POINT boat = {s32Lon, s32Lat};
    return T_NAV_bStartRouteWithWayptOrigin(nIndex, &boat);
}

BOOLEAN T_NAV_bWaypointToCurrentRoute(U32 nIndex)
{
    U32 u32State = 0;
    if (bReadU32(FCID("CCST"), &u32State) && u32State == CCST_PLAYBACK)
        return FALSE;
    L_MUTEX_LockWait(RES_NAV_DATA);
    POINT pt;
    if (nIndex == NO_ID || !T_NAV_bWaypointPosition(nIndex, &pt)) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        return FALSE;
    }
    if (s_CurrentRoute.nCount == 0) {
        const BOOLEAN b = T_NAV_bStartCurrentRouteWithWaypt(nIndex);
        L_MUTEX_Unlock(RES_NAV_DATA);
        return b;
    }
    if (s_CurrentRoute.nCount == 2)
        for (const VIEW_AND_SPLIT& v : s_aNavViews) {
            U_MENU_bRegisterHotActionMenu(&Skip_Next_Waypoint, nullptr, MENU_SKIP_NEXT_WPT, T_NAV_vSkipNextWaypoint,
                                          TRUE, M_BASIC, v.eView, v.eSplit);
            U_MENU_bRegisterHotActionMenu(&Save_Current_Route, nullptr, MENU_SAVE_CROUTE, T_NAV_vSaveCurrentRoute,
                                          TRUE, M_BASIC, v.eView, v.eSplit);
        }
    if (s_CurrentRoute.anWaypoint[s_CurrentRoute.nCount - 1] == nIndex) {
        T_NAV_vSetNavUINote(&Waypoint_Already_In_Route, sWaypointName(nIndex).c_str(), TRUE);
        L_MUTEX_Unlock(RES_NAV_DATA);
        return TRUE;
    }
    if (s_CurrentRoute.nCount >= ROUTE_MAX_POINTS) {
        T_NAV_vSetNavUIError(&Max_Waypoints_in_Route);
        L_MUTEX_Unlock(RES_NAV_DATA);
        return FALSE;
    }
    const U16 u16Local = T_NAV_TWR_u16MakeLocal((U16)nIndex);
    if (u16Local == NO_ID) {
        T_NAV_vSetNavUIError(&No_Waypoints);
        L_MUTEX_Unlock(RES_NAV_DATA);
        return FALSE;
    }
    s_CurrentRoute.anWaypoint[s_CurrentRoute.nCount] = u16Local;
    s_CurrentRoute.nCount = s_CurrentRoute.nCount + 1;
    T_NAV_bWaypointPosition(u16Local, &pt);
    T_NAV_vAddRoutePoint(pt);
    T_NAV_vSetNavUINote(&Waypoint_Added, sWaypointName(u16Local).c_str(), TRUE);
    s_bCurrentRouteHasChanged = TRUE;
    L_MUTEX_Unlock(RES_NAV_DATA);
    return TRUE;
}

// Ending ----------------------------------------------------------------------------

void T_NAV_vEndNavigationNow(void)
{
    T_NAV_CONF_vRemoveAllMatching(pcText(&Save_Current_Route));
    L_MUTEX_LockWait(RES_NAV_DATA);
    const BOOLEAN bIpne = bReadTrue(FCID("IPNE"));
    const U32 u32OldInip = u32Inip();
    vWriteU32(FCID("INIP"), 0);
    S32 s32OldRoute = -1;
    H_DATABASE_bFetchS32(FCID("CCRT"), &s32OldRoute, nullptr, nullptr);
    H_DATABASE_bUpdateValueS32(FCID("CCRT"), -1, P_NORMAL);

    if (s32OldRoute >= 0) {
        S32 s32View = NO_VIEW_PRIORITY;
        H_DATABASE_bFetchS32(FCID("CVEW"), &s32View, nullptr, nullptr);
        S32 s32Pane = SPLIT_FULL_WINDOW;
        if (s32View != CHART_VIEW_PRIORITY)
            H_DATABASE_bFetchS32(FCID("CVAS"), &s32Pane, nullptr, nullptr);
        for (S32 s = 0; s < (S32)NAV_ROUTES_UNDER_CURSOR; ++s) {
            if (s_aRoutesUnderCursor[s] != s32OldRoute)
                continue;
            T_NAV_vUnregister_Routes_Under_Cursor_Menu((LAYER_ID)s32View, (SPLIT_WINDOW_TYPE)s32Pane, s);
            if (u32KeyOr("ICWP", NO_ID) != NO_ID)
                T_NAV_vRegister_Routes_Under_Cursor_Menu((LAYER_ID)s32View, (SPLIT_WINDOW_TYPE)s32Pane, s,
                                                         (U32)s32OldRoute);
            break;
        }
    }

    if (u32OldInip != 0 || bIpne) {
        if (u32OldInip != 0 && bIpne == FALSE)
            U_MENU_bUnregisterHotMenuItem(&Cancel_Navigation, USED_BY_ALL, SPLIT_FULL_WINDOW);
        U_MENU_bUnregisterHotMenuItem(&Reset_XTE, USED_BY_ALL, SPLIT_FULL_WINDOW);
        for (const VIEW_AND_SPLIT& v : s_aNavViews) {
            if (s_u16MOBWaypoint == NAV_NO_MOB_WAYPOINT) {
                U_MENU_bUnregisterHotMenuItem(&Skip_Next_Waypoint, v.eView, v.eSplit);
                U_MENU_bUnregisterHotMenuItem(&Save_Current_Route, v.eView, v.eSplit);
            }
            if (s_bTrackEnable) {
                U_MENU_bRegisterHotActionMenu(&Clear_Current_Track, nullptr, MENU_CLEAR_CTRACK,
                                              T_NAV_vClearCurrentTrack, TRUE, M_BASIC, v.eView, v.eSplit);
                U_MENU_bRegisterHotActionMenu(&Save_Current_Track, nullptr, MENU_SAVE_CTRACK, T_NAV_vSaveCurrentTrack,
                                              TRUE, M_BASIC, v.eView, v.eSplit);
            }
        }
        vClearCurrentRouteExcept();
    }

    if (s_pEndNavigationComplete != nullptr) {
        s_pEndNavigationComplete();
        vResetTravel();
    }
    s_CurrentRoute = ROUTE{};
    s_CurrentRoute.bRtNotShared = 1;
    s_pCurrentRoute = nullptr;
    s_bCurrentRouteIsInReverse = FALSE;
    // Only a registered "Reverse" is withdrawn, so that an end while idle
    // sends the menu task nothing.
    if (s_bCurrentActiveRouteMenuCreated)
        T_NAV_vUnregister_Current_Traveling_Route_Menu();
    H_DATABASE_bUpdateEverythingBoolean(FCID("CCNC"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);

    if (s_s16UnifiedRouteSave != NO_ID) {
        if (s_bUnifiedTempRoute) {
            ROUTE* p = T_NAV_pGetRoute(s_s16UnifiedRouteSave);
            if (p != nullptr) {
                const ROUTE r = *p;
                for (U32 i = 0; i < r.nCount && i < ROUTE_MAX_POINTS; ++i)
                    T_NAV_bDeleteTemporaryWaypoint(r.anWaypoint[i]);
            }
            T_NAV_bDeleteRoute(s_s16UnifiedRouteSave, TRUE);
        }
        s_s16UnifiedRouteSave = NO_ID;
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
}

namespace {

void vStopNavigating(BOOLEAN bAsk, NAV_COMPLETION_FN* pComplete)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_pEndNavigationComplete = pComplete;
    if (bAsk && bAskToSave())
        T_NAV_CONF_vSetup(pcText(&Save_Current_Route), T_NAV_vSaveRouteAndEndNavigation, T_NAV_vEndNavigationOnly);
    else
        T_NAV_vEndNavigationNow();
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vRestoreAutoZoom();
}

} // namespace

void T_NAV_vStopNavigating(BOOLEAN bStopNavConfirm, NAV_COMPLETION_FN* pComplete)
{
    vStopNavigating(bStopNavConfirm, pComplete);
}

void T_NAV_vEndNavigationOnly(void)
{
    if (bReadTrue(FCID("IPNE")))
        U_STEVRIN_vSendCommandOneParam(ST_CMD_CLR_ROUTE_CONFIRM, 0);
    T_NAV_vEndNavigationNow();
    vClick(TRUE);
}

void T_NAV_vSaveRouteAndEndNavigation(void)
{
    if (bReadTrue(FCID("IPNE")))
        U_STEVRIN_vSendCommandOneParam(ST_CMD_CLR_ROUTE_CONFIRM, NAV_ROUTE_SAVED_CONFIRM);
    T_NAV_vSaveCurrentRoute();
    T_NAV_vEndNavigationNow();
    vClick(TRUE);
}

void T_NAV_vCancelNavigation(void)
{
    T_NAV_vStopNavigating(TRUE, nullptr);
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_bRecalculate = FALSE;
    vResetTravel();
    L_MUTEX_Unlock(RES_NAV_DATA);
    vClick(TRUE);
}

void T_NAV_vSaveChangedRouteAndEndNav(BOOLEAN bConfirm, NAV_COMPLETION_FN* pComplete, U16 u16SaveIndex,
                                      BOOLEAN bTempRoute)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_bUnifiedTempRoute = bTempRoute;
    s_s16UnifiedRouteSave = u16SaveIndex;
    vStopNavigating(bConfirm && s_bCurrentRouteHasChanged, pComplete);
    L_MUTEX_Unlock(RES_NAV_DATA);
}

// Arrival and skip ---------------------------------------------------------------

void T_NAV_vOnArrival(NAV_COMPLETION_FN* pComplete)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    U32 n = 0;
    const BOOLEAN bRead = bReadU32(FCID("INIP"), &n);
    if (bRead && n != 0 && n + 1 < s_CurrentRoute.nCount) {
        log_me("T_NAV_vOnArrival: INIP %u -> %u of %u", (unsigned)n, (unsigned)n + 1, (unsigned)s_CurrentRoute.nCount);
        ++n;
        T_NAV_vNextTarget();
        vWriteU32(FCID("INIP"), n);
        vWriteU32(FCID("IOWP"), s_CurrentRoute.anWaypoint[n - 1]);
        S32 s32Lat = 0;
        S32 s32Lon = 0;
        H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, nullptr, nullptr);
        H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, nullptr, nullptr);
        s_ptOWT = {s32Lon, s32Lat};
        U32 u32Time = 0;
        bReadU32(FCID("IDTM"), &u32Time);
        s_u32TimeOWT = u32Time;
        vWriteU32(FCID("IDWP"), s_CurrentRoute.anWaypoint[n]);
        float fCourse = 0.0f;
        if (bCourse(s_CurrentRoute.anWaypoint[n - 1], s_CurrentRoute.anWaypoint[n], &fCourse))
            H_DATABASE_bUpdateValueFloat(FCID("ITRK"), fCourse, P_NORMAL);
        if (pComplete != nullptr)
            pComplete();
        vWriteBoolean(FCID("IARO"), FALSE);
    } else if (!bReadTrue(FCID("IPNO"))) {
        log_me("T_NAV_vOnArrival: INIP %u, the end of %u", (unsigned)n, (unsigned)s_CurrentRoute.nCount);
        T_NAV_vStopNavigating(TRUE, pComplete);
    }
    // Still navigating (an advance, the motor going on, or the question
    // pending): the leg's course once more.
    n = u32Inip();
    float fCourse = 0.0f;
    if (n != 0 && n < s_CurrentRoute.nCount &&
        bCourse(s_CurrentRoute.anWaypoint[n - 1], s_CurrentRoute.anWaypoint[n], &fCourse))
        H_DATABASE_bUpdateValueFloat(FCID("ITRK"), fCourse, P_NORMAL);
    s_bRecalculate = FALSE;
    s_bStartedRouteInMiddle = FALSE;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

void T_NAV_vSkipCurrentRouteWaypoint(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    const U32 n = u32Inip();
    if (n == 0 || n >= s_CurrentRoute.nCount) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        return;
    }
    if (n + 1 == (U32)s_CurrentRoute.nCount) {
        T_NAV_vStopNavigating(TRUE, nullptr);
        s_bRecalculate = FALSE;
        L_MUTEX_Unlock(RES_NAV_DATA);
        return;
    }
    const U16 id = s_CurrentRoute.anWaypoint[n];
    if (T_NAV_bDeleteTemporaryWaypoint(id) && id == u32KeyOr("ICWP", NO_ID))
        vUpdateCursorWaypoint(NO_ID);
    for (U32 i = n; i + 1 < s_CurrentRoute.nCount; ++i)
        s_CurrentRoute.anWaypoint[i] = s_CurrentRoute.anWaypoint[i + 1];
    s_CurrentRoute.nCount = s_CurrentRoute.nCount - 1;
    vWriteU32(FCID("IDWP"), s_CurrentRoute.anWaypoint[n]);
    T_NAV_vRecalculate();
    T_NAV_vReplaceRoutePoint(s_ptRecalculateOrigin);
    L_MUTEX_Unlock(RES_NAV_DATA);
}

void T_NAV_vSkipNextWaypoint(void)
{
    if (u32Inip() == 0) {
        vClick(FALSE);
        return;
    }
    if (bReadTrue(FCID("IPNE")))
        U_STEVRIN_vSkipNextRoutePt();
    else
        T_NAV_vSkipCurrentRouteWaypoint();
    vClick(TRUE);
}

void T_NAV_vCancelMOB(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    const BOOLEAN bIpne = bReadTrue(FCID("IPNE"));
    const U32 u32Old = u32Inip();
    vWriteU32(FCID("INIP"), 0);
    if (u32Old != 0 || bIpne)
        U_MENU_bUnregisterHotMenuItem(&Cancel_MOB, USED_BY_ALL, SPLIT_FULL_WINDOW);
    T_NAV_vStopNavigating(FALSE, nullptr);
    vRemoveTarget();
    s_u16MOBWaypoint = NAV_NO_MOB_WAYPOINT;
    L_MUTEX_Unlock(RES_NAV_DATA);
    vClick(TRUE);
}

// The record and stored routes -----------------------------------------------------

void T_NAV_vUpdateCurrentRouteArray(U16 uCheckWptIndex)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    for (U32 i = 1; i < s_CurrentRoute.nCount; ++i) {
        if (s_CurrentRoute.anWaypoint[i] != uCheckWptIndex)
            continue;
        for (U32 j = i; j + 1 < s_CurrentRoute.nCount; ++j)
            s_CurrentRoute.anWaypoint[j] = s_CurrentRoute.anWaypoint[j + 1];
        s_CurrentRoute.nCount = s_CurrentRoute.nCount - 1;
        break;
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
}

void T_NAV_vUpdateCurrentRoute(ROUTE* pRoute)
{
    if (pRoute == nullptr)
        return;
    L_MUTEX_LockWait(RES_NAV_DATA);
    if (s_CurrentRoute.nCount == pRoute->nCount + 1) {
        s_CurrentRoute.u32DateTime = pRoute->u32DateTime;
        for (U32 i = 1; i < s_CurrentRoute.nCount; ++i) {
            T_NAV_bClearTemporaryWaypoint(s_CurrentRoute.anWaypoint[i]);
            s_CurrentRoute.anWaypoint[i] = pRoute->anWaypoint[i - 1];
        }
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
}

BOOLEAN T_NAV_bIsRouteActive(U32 u32RteId)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    BOOLEAN b = FALSE;
    const ROUTE* p = T_NAV_pGetRoute(u32RteId);
    if (p != nullptr)
        for (U32 i = 0; i < p->nCount && i < ROUTE_MAX_POINTS && !b; ++i)
            b = T_NAV_bWaypointUsedInRoute(p->anWaypoint[i], &s_CurrentRoute);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return b;
}

ROUTE* T_NAV_vGetCurrentRoute(void)
{
    return &s_CurrentRoute;
}

ROUTE* T_NAV_pGetCurrentRoute(void)
{
    return &s_CurrentRoute;
}

void T_NAV_vSetRouteHasChanged(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_bCurrentRouteHasChanged = TRUE;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

// Route travel -----------------------------------------------------------------------

namespace {

void vTravelNote(const ROUTE* pRoute, BOOLEAN bReverse)
{
    char acName[ROUTE_NAME_CHARS + 1] = {};
    memcpy(acName, pRoute->sName, ROUTE_NAME_CHARS);
    T_NAV_vSetNavUINote(bReverse ? &Traveling_Route_In_Reverse : &Traveling_Route, acName, FALSE);
}

// Appends R(from) .. R(to) stepping by one in either direction; FALSE at the
// first refusal.
BOOLEAN bAppendRange(const ROUTE& r, S32 from, S32 to)
{
    const S32 step = from <= to ? 1 : -1;
    for (S32 i = from;; i += step) {
        log_me("T_NAV_vTravelMemoryRoute: add point %d (%u)", (int)i, (unsigned)r.anWaypoint[i]);
        if (!T_NAV_bWaypointToCurrentRoute(r.anWaypoint[i]))
            return FALSE;
        if (i == to)
            return TRUE;
    }
}

U32 u32SlotRoute(S32 nSlot)
{
    U32 u = 0xFFFFFFFF;
    return H_DATABASE_bFetchU32(fcidRouteSlot(nSlot), &u, nullptr, nullptr) ? u : 0xFFFFFFFF;
}

void vLogTravel(S32 nLine, const char* pcFunc, FOURCHARID key, U32 u32Route, BOOLEAN bReverse, BOOLEAN bPartial)
{
    log_me("[%d]%s: (%c%c%c%c) travel route %d %s%s\n", (int)nLine, pcFunc, (char)(key & 0xFF), (char)(key >> 8 & 0xFF),
           (char)(key >> 16 & 0xFF), (char)(key >> 24 & 0xFF), (int)u32Route, bPartial ? "(partial) " : "",
           bReverse ? "reverse" : "forward");
}

void vTravelSlot(S32 nLine, const char* pcFunc, S32 nSlot, BOOLEAN bReverse)
{
    const U32 u32Route = u32SlotRoute(nSlot);
    vLogTravel(nLine, pcFunc, fcidRouteSlot(nSlot), u32Route, bReverse, FALSE);
    T_NAV_vTravelSavedRoute(u32Route, 0, bReverse);
}

void vFromPointSlot(S32 nLine, const char* pcFunc, S32 nSlot, BOOLEAN bReverse)
{
    vLogTravel(nLine, pcFunc, fcidRouteSlot(nSlot), u32SlotRoute(nSlot), bReverse, TRUE);
    T_NAV_vTravelCursoredRouteFromPoint((U32)nSlot, bReverse);
}

void vTravelLastSaved(S32 nLine, const char* pcFunc, BOOLEAN bReverse)
{
    const U32 u32Route = u32KeyOr("CLRT", 0xFFFFFFFF);
    vLogTravel(nLine, pcFunc, FCID("CLRT"), u32Route, bReverse, FALSE);
    T_NAV_vTravelSavedRoute(u32Route, 0, bReverse);
}

} // namespace

void T_NAV_vTravelSavedRoute(U32 nIndex, U32 u32StartAt, BOOLEAN bReverse)
{
    T_NAV_vStopNavigating(FALSE, nullptr);
    T_NAV_vUnregister_Current_Traveling_Route_Menu();
    L_MUTEX_LockWait(RES_NAV_DATA);
    ROUTE* pRoute = T_NAV_pGetRoute(nIndex);
    if (pRoute == nullptr) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        vClick(FALSE);
        return;
    }
    if (bReadTrue(FCID("IPNE"))) {
        const BOOLEAN bPoints = pRoute->nCount != 0;
        if (bPoints)
            U_STEVRIN_vFollowRouteFromPt(nIndex, u32StartAt, bReverse);
        L_MUTEX_Unlock(RES_NAV_DATA);
        if (bPoints)
            H_DATABASE_bUpdateValueS32(FCID("CCRT"), (S32)nIndex, P_NORMAL);
        vClick(bPoints);
        return;
    }
    const BOOLEAN bBad = T_NAV_vTravelMemoryRoute(pRoute, u32StartAt, bReverse);
    if (!bBad)
        H_DATABASE_bUpdateValueS32(FCID("CCRT"), (S32)nIndex, P_NORMAL);
    L_MUTEX_Unlock(RES_NAV_DATA);
    vClick(!bBad);
}

void T_NAV_vTravelSelectedRoute(U32 nIndex, U32 u32StartAt, BOOLEAN bReverse)
{
    T_NAV_vTravelSavedRoute(nIndex, u32StartAt, bReverse);
}

BOOLEAN T_NAV_vTravelMemoryRoute(ROUTE* pRoute, U32 u32StartAt, BOOLEAN bReverse)
{
    T_NAV_vStopNavigating(FALSE, nullptr);
    T_NAV_vUnregister_Current_Traveling_Route_Menu();
    L_MUTEX_LockWait(RES_NAV_DATA);
    log_me("T_NAV_vTravelMemoryRoute: start %u, middle %d, reverse %d, shortened %d, backwards %d",
           (unsigned)u32StartAt, (int)s_s32MiddleWPIndex, (int)bReverse, (int)s_bShortenedRoute,
           (int)s_bInitialTravelBackwards);
    if (s_bShortenedRoute && !s_bInitialTravelBackwards) {
        ++u32StartAt;
        s_bShortenedRoute = FALSE;
    }
    if (pRoute == nullptr || pRoute->nCount == 0) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        return TRUE;
    }
    // The stored route may change under a later call; travel a copy.
    const ROUTE r = *pRoute;
    const S32 n = (S32)std::min<U32>(r.nCount, ROUTE_MAX_POINTS);
    s_CurrentRoute = r;
    s_CurrentRoute.nCount = 0;
    s_bCurrentRouteIsInReverse = bReverse;
    s_pCurrentRoute = pRoute;
    s_s16UnifiedRouteSave = NO_ID;
    T_NAV_vClearRoutePoint();

    BOOLEAN bOk = TRUE;
    const S32 k = s_s32MiddleWPIndex;
    if (bReverse && k != -1 && s_bReverse && !s_bInitialTravelBackwards) {
        if (k <= n - 1)
            bOk = bAppendRange(r, n - 1, k);
        if (bOk)
            bOk = T_NAV_bWaypointToCurrentRoute((U16)s_s16RouteStartWPIndex);
    } else if (bReverse) {
        bOk = bAppendRange(r, n - 1, 0);
    } else if (k >= 0 && s_bReverse && s_bInitialTravelBackwards) {
        bOk = bAppendRange(r, 0, std::min(k, n - 1));
        if (bOk)
            bOk = T_NAV_bWaypointToCurrentRoute((U16)s_s16RouteStartWPIndex);
    } else {
        bOk = bAppendRange(r, 0, n - 1);
    }
    vTravelNote(&r, bReverse);

    if (u32StartAt != 0) {
        if ((S32)s_CurrentRoute.nCount < s_s16RouteWPCount) {
            s_bShortenedRoute = TRUE;
            log_me("T_NAV_vTravelMemoryRoute: shortened route = TRUE");
        }
        const U32 target = bReverse ? (U32)n - u32StartAt : u32StartAt + 1;
        // A start past the points built cannot be steered to; the route
        // then runs from its first destination.
        if (target >= 1 && target < s_CurrentRoute.nCount) {
            s_nRoutePointTarget = target;
            vWriteU32(FCID("INIP"), target);
            vWriteU32(FCID("IDWP"), s_CurrentRoute.anWaypoint[target]);
            T_NAV_vRecalculate();
        }
    }
    s_bCurrentRouteHasChanged = FALSE;
    s_bReverse = FALSE;
    L_MUTEX_Unlock(RES_NAV_DATA);
    return !bOk;
}

void T_NAV_vTravelCursoredRouteFromPoint(U32 u32Index, BOOLEAN bReverse)
{
    const U32 u32Cursor = u32KeyOr("ICWP", NO_ID);
    const U32 u32Route = u32Index < NAV_ROUTES_UNDER_CURSOR ? u32SlotRoute((S32)u32Index) : 0xFFFFFFFF;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const ROUTE* p = T_NAV_pGetRoute(u32Route);
    S32 k = -1;
    if (p != nullptr)
        for (U32 i = 0; i < p->nCount && i < ROUTE_MAX_POINTS && k < 0; ++i)
            if (p->anWaypoint[i] == u32Cursor)
                k = (S32)i;
    if (k < 0) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        return;
    }
    s_s32MiddleWPIndex = k;
    s_bStartedRouteInMiddle = TRUE;
    s_s16RouteWPCount = (S16)(p->nCount + 1);
    if (bReverse)
        s_bInitialTravelBackwards = TRUE;
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vTravelSavedRoute(u32Route, (U32)k, bReverse);
}

void T_NAV_vReverseRoute(void)
{
    if (bReadTrue(FCID("IPNE"))) {
        U_STEVRIN_vReverseRoute();
        return;
    }
    S32 s32Route = -1;
    if (!H_DATABASE_bFetchS32(FCID("CCRT"), &s32Route, nullptr, nullptr) || s32Route < 0)
        return;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const U32 p = u32Inip();
    const S32 nId = T_NAV_nAddWaypoint(&s_RouteStartWaypoint, TRUE);
    s_s16RouteStartWPIndex = (nId < 0 || nId >= NO_ID) ? (S16)-1 : (S16)nId;
    s_bReverse = TRUE;
    if (p < 2) {
        T_NAV_vStopNavigating(FALSE, nullptr);
        s_bRecalculate = FALSE;
        L_MUTEX_Unlock(RES_NAV_DATA);
        return;
    }
    const U32 count = s_CurrentRoute.nCount;
    const BOOLEAN bWasReverse = s_bCurrentRouteIsInReverse;
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (bWasReverse)
        T_NAV_vTravelSavedRoute((U32)s32Route, count - p, FALSE);
    else
        T_NAV_vTravelSavedRoute((U32)s32Route, p - 2, TRUE);
}

void T_NAV_vTravelRoute(ROUTE* pRoute, U16 u16RouteNdx, U16 u16StartNdx, BOOLEAN bReverse, POINT* ptStart)
{
    if (pRoute == nullptr)
        return;
    T_NAV_vStopNavigating(FALSE, nullptr);
    L_MUTEX_LockWait(RES_NAV_DATA);
    const ROUTE r = *pRoute;
    const U32 n = std::min<U32>(r.nCount, ROUTE_MAX_POINTS);
    s_CurrentRoute = r;
    s_CurrentRoute.nCount = 0;
    s_bCurrentRouteIsInReverse = bReverse;
    s_s16UnifiedRouteSave = NO_ID;
    if (u16RouteNdx == NO_ID) {
        s_pCurrentRoute = nullptr;
    } else {
        s_pCurrentRoute = T_NAV_pGetRoute(u16RouteNdx);
        H_DATABASE_bUpdateValueS32(FCID("CCRT"), (S32)u16RouteNdx, P_NORMAL);
    }
    T_NAV_vClearRoutePoint();
    const BOOLEAN bOrigin = ptStart != nullptr && ptStart->x != 0 && ptStart->y != 0;
    BOOLEAN bFirst = TRUE;
    auto add = [&](U16 id) {
        const BOOLEAN b = bFirst && bOrigin ? T_NAV_bStartRouteWithWayptOrigin(id, ptStart)
                                            : T_NAV_bWaypointToCurrentRoute(id);
        bFirst = FALSE;
        return b;
    };
    if (bReverse) {
        U32 start = u16StartNdx <= 1 ? n : std::min<U32>(u16StartNdx, n);
        for (U32 i = start; i >= 1; --i)
            if (!add(r.anWaypoint[i - 1]))
                break;
    } else {
        U32 start = u16StartNdx != 0 ? u16StartNdx - 1u : 0u;
        for (U32 i = start; i < n; ++i)
            if (!add(r.anWaypoint[i]))
                break;
    }
    vTravelNote(&r, bReverse);
    s_bCurrentRouteHasChanged = FALSE;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

void T_NAV_vTravelForwardRoute0(void) { vTravelSlot(__LINE__, __func__, 0, FALSE); }
void T_NAV_vTravelForwardRoute1(void) { vTravelSlot(__LINE__, __func__, 1, FALSE); }
void T_NAV_vTravelForwardRoute2(void) { vTravelSlot(__LINE__, __func__, 2, FALSE); }
void T_NAV_vTravelForwardRoute3(void) { vTravelSlot(__LINE__, __func__, 3, FALSE); }
void T_NAV_vTravelForwardRoute4(void) { vTravelSlot(__LINE__, __func__, 4, FALSE); }
void T_NAV_vTravelReverseRoute0(void) { vTravelSlot(__LINE__, __func__, 0, TRUE); }
void T_NAV_vTravelReverseRoute1(void) { vTravelSlot(__LINE__, __func__, 1, TRUE); }
void T_NAV_vTravelReverseRoute2(void) { vTravelSlot(__LINE__, __func__, 2, TRUE); }
void T_NAV_vTravelReverseRoute3(void) { vTravelSlot(__LINE__, __func__, 3, TRUE); }
void T_NAV_vTravelReverseRoute4(void) { vTravelSlot(__LINE__, __func__, 4, TRUE); }
void T_NAV_vForwardFromPoint0(void) { vFromPointSlot(__LINE__, __func__, 0, FALSE); }
void T_NAV_vForwardFromPoint1(void) { vFromPointSlot(__LINE__, __func__, 1, FALSE); }
void T_NAV_vForwardFromPoint2(void) { vFromPointSlot(__LINE__, __func__, 2, FALSE); }
void T_NAV_vForwardFromPoint3(void) { vFromPointSlot(__LINE__, __func__, 3, FALSE); }
void T_NAV_vForwardFromPoint4(void) { vFromPointSlot(__LINE__, __func__, 4, FALSE); }
void T_NAV_vReverseFromPoint0(void) { vFromPointSlot(__LINE__, __func__, 0, TRUE); }
void T_NAV_vReverseFromPoint1(void) { vFromPointSlot(__LINE__, __func__, 1, TRUE); }
void T_NAV_vReverseFromPoint2(void) { vFromPointSlot(__LINE__, __func__, 2, TRUE); }
void T_NAV_vReverseFromPoint3(void) { vFromPointSlot(__LINE__, __func__, 3, TRUE); }
void T_NAV_vReverseFromPoint4(void) { vFromPointSlot(__LINE__, __func__, 4, TRUE); }
void T_NAV_vTravelForward(void) { vTravelLastSaved(__LINE__, __func__, FALSE); }
void T_NAV_vTravelReverse(void) { vTravelLastSaved(__LINE__, __func__, TRUE); }
