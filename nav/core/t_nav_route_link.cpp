// Current-route updates from the trolling-motor link (see
// t_nav_route_link.h).
#include "nav/core/t_nav_route_link.h"

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <cstring>

namespace {

// "INIP", 0 when absent.
U32 u32Inip(void)
{
    U32 u = 0;
    return H_DATABASE_bFetchU32(FCID("INIP"), &u, nullptr, nullptr) ? u : 0;
}

void vWriteU32(FOURCHARID key, U32 value)
{
    H_DATABASE_bUpdateValueU32(key, value, P_NORMAL);
}

// The route's new entries and destination; the leg point list is the
// caller's.
void vInstall(const U16* pu16List, U32 u32Count, U32 u32Inip)
{
    s_CurrentRoute.nCount = u32Count;
    memcpy(s_CurrentRoute.anWaypoint, pu16List, u32Count * sizeof(U16));
    vWriteU32(FCID("INIP"), u32Inip);
    vWriteU32(FCID("IDWP"), s_CurrentRoute.anWaypoint[u32Inip]);
    T_NAV_vRecalculate();
}

void vAppendPosition(U16 id)
{
    POINT pt;
    if (T_NAV_bWaypointPosition(id, &pt))
        T_NAV_vAddRoutePoint(pt);
}

} // namespace

BOOLEAN T_NAV_bReverseCurrentRoute(void)
{
    const U32 inip = u32Inip();
    if (inip == 0)
        return FALSE;
    if (inip == 1) {
        T_NAV_vStopNavigating(TRUE, nullptr);
        s_bRecalculate = FALSE;
        return FALSE;
    }
    auto* pList = static_cast<U16*>(H_MEMORY_pvMalloc(ROUTE_MAX_POINTS * sizeof(U16)));
    if (pList == nullptr)
        return FALSE;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const U32 count = s_CurrentRoute.nCount;
    if (inip >= count || count > ROUTE_MAX_POINTS) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        H_MEMORY_vFree(pList);
        return FALSE;
    }
    pList[0] = s_CurrentRoute.anWaypoint[0];
    for (U32 j = 1; j < count; ++j)
        pList[j] = s_CurrentRoute.anWaypoint[count - j];
    // The old destination lands at count - inip; the boat heads back to the
    // origin of the leg it was on.
    const U32 newInip = count - inip + 1;

    WAYPOINT w = {};
    T_NAV_vCopyWaypoint(pList[0], &w);
    S32 s32Lat = w.pt.y;
    S32 s32Lon = w.pt.x;
    H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, nullptr, nullptr);
    H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, nullptr, nullptr);
    w.pt = {s32Lon, s32Lat};
    T_NAV_vSaveWaypoint(pList[0], &w, TRUE, FALSE);

    s_bCurrentRouteIsInReverse = !s_bCurrentRouteIsInReverse;
    vInstall(pList, count, newInip);
    T_NAV_vReplaceRoutePoint(s_ptRecalculateOrigin);
    H_MEMORY_vFree(pList);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return TRUE;
}

BOOLEAN T_NAV_bUpdateCurrentRoute(ROUTE* pUpdatedRoute, U16 NewIndex, BOOLEAN bReversed)
{
    if (u32Inip() == 0)
        return FALSE;
    const U32 n = pUpdatedRoute != nullptr ? pUpdatedRoute->nCount : 0;
    const BOOLEAN bIndexOk = bReversed ? NewIndex < n : NewIndex >= 1 && NewIndex <= n;
    if (pUpdatedRoute == nullptr || n > NAV_LINK_MAX_POINTS || !bIndexOk) {
        log_me("motor route refused: %u points, index %u%s", (unsigned)n, (unsigned)NewIndex,
               bReversed ? " reversed" : "");
        return FALSE;
    }
    auto* pList = static_cast<U16*>(H_MEMORY_pvMalloc((n + 1) * sizeof(U16)));
    if (pList == nullptr)
        return FALSE;
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_vClearRoutePoint();
    pList[0] = s_CurrentRoute.anWaypoint[0];
    s_nRoutePointUsed = 1; // the start stays
    for (U32 i = 1; i <= n; ++i) {
        pList[i] = bReversed ? pUpdatedRoute->anWaypoint[n - i] : pUpdatedRoute->anWaypoint[i - 1];
        vAppendPosition(pList[i]);
    }
    const U32 newInip = bReversed ? n - NewIndex : NewIndex;
    s_bCurrentRouteIsInReverse = bReversed;
    s_nRoutePointTarget = newInip;
    vInstall(pList, n + 1, newInip);
    s_bCurrentRouteHasChanged = TRUE;
    H_MEMORY_vFree(pList);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return TRUE;
}

BOOLEAN T_NAV_bReLoadCurrentRoute(U16* pNewIndexArray, U16 NewIndex, U32 nNewCnt)
{
    if (u32Inip() == 0)
        return FALSE;
    if (pNewIndexArray == nullptr || nNewCnt > NAV_LINK_MAX_POINTS || NewIndex < 1 || NewIndex > nNewCnt) {
        log_me("motor route list refused: %u points, index %u", (unsigned)nNewCnt, (unsigned)NewIndex);
        return FALSE;
    }
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_vClearRoutePoint();
    s_nRoutePointUsed = 1;
    for (U32 i = 1; i <= nNewCnt; ++i)
        vAppendPosition(pNewIndexArray[i]);
    s_nRoutePointTarget = NewIndex;
    vInstall(pNewIndexArray, nNewCnt + 1, NewIndex);
    H_MEMORY_vFree(pNewIndexArray);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return TRUE;
}

BOOLEAN T_NAV_bUpdateCurrentGoToWayPt(WAYPOINT* pWaypt, U16 WayptIndex)
{
    if (pWaypt == nullptr || u32Inip() != 1)
        return FALSE;
    L_MUTEX_LockWait(RES_NAV_DATA);
    if (s_CurrentRoute.nCount < 2) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        return FALSE;
    }
    s_CurrentRoute.anWaypoint[1] = WayptIndex;
    s_ptRoutePoint[1] = pWaypt->pt;
    if (s_nRoutePointUsed < 2)
        s_nRoutePointUsed = 2;
    POINT start;
    if (T_NAV_bWaypointPosition(s_CurrentRoute.anWaypoint[0], &start))
        H_DATABASE_bUpdateValueFloat(FCID("ITRK"), (float)T_NAV_dBearing(&start, &pWaypt->pt), P_NORMAL);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return TRUE;
}

void T_NAV_vUnifiedNextRouteWaypoint(U16 u16RteNdx)
{
    const U32 inip = u32Inip();
    if (inip == 0)
        return;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const U32 count = s_CurrentRoute.nCount;
    if (inip >= count) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        return;
    }
    if (inip == count - 1) {
        S32 s32Lat = 0;
        S32 s32Lon = 0;
        H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, nullptr, nullptr);
        H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, nullptr, nullptr);
        POINT start = {s32Lon, s32Lat};
        const ROUTE* pRoute = T_NAV_pGetRoute(u16RteNdx);
        if (pRoute != nullptr) {
            // Ending the old travel may delete a temporary stored route:
            // travel a copy.
            ROUTE r = *pRoute;
            if (s_bCurrentRouteIsInReverse)
                T_NAV_vTravelRoute(&r, u16RteNdx, 2, FALSE, &start);
            else
                T_NAV_vTravelRoute(&r, u16RteNdx, (U16)(r.nCount - 1), TRUE, &start);
        }
        L_MUTEX_Unlock(RES_NAV_DATA);
        return;
    }
    for (U32 i = inip; i + 1 < count; ++i)
        s_CurrentRoute.anWaypoint[i] = s_CurrentRoute.anWaypoint[i + 1];
    s_CurrentRoute.nCount = count - 1;
    vWriteU32(FCID("IDWP"), s_CurrentRoute.anWaypoint[inip]);
    T_NAV_vRecalculate();
    T_NAV_vReplaceRoutePoint(s_ptRecalculateOrigin);
    L_MUTEX_Unlock(RES_NAV_DATA);
}
