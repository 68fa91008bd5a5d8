// The route table.
//
// Allocation moves the split as it goes: a found locked slot lowers the
// lowest locked slot, a found shared one raises the highest shared slot,
// and the separator becomes their mean while they do not cross. Only the
// statistics (T_NAV_TWR_vStatisticRouteStore) read the split afresh.
//
// A route being rebuilt (its points converted or aligned) is worked on in
// a copy and stored at the end. Adding a waypoint copy may compact the
// waypoint table, so the copy, the ids added so far and the clean-up list
// are registered with the move follower for as long as the work lasts.
#include "nav/data/t_nav_twr_route.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <cstdlib>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr S32 SLOTS = (S32)NAV_ROUTE_SLOTS;
constexpr S32 COMPACT_GAP = 2; // parts this close are pressed together
constexpr U32 SHARED_RING = 12; // shared routes compaction may move
constexpr U32 ID_SPANS = 8;

constexpr FOURCHARID KEY_DATE_TIME = FCID("IDTM");
constexpr FOURCHARID KEY_LAST_ROUTE = FCID("CLRT");

} // namespace

// Types and statics ------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

struct ROUTE_SPLIT {
    S16 nSeparator; // -1 while unknown
    S16 nMaxShareIndex;
    S16 nMinLockIndex;
};

ROUTE s_aRoutes[NAV_ROUTE_SLOTS];
ROUTE s_RouteBackup[NAV_ROUTE_SLOTS];
S16 s_nRoutesUsed;
ROUTE_SPLIT s_Split = {-1, -1, -1};
U16 s_au16Cleanup[NAV_ROUTE_CLEANUP_ENTRIES];
U32 s_u32Cleanup;

// Arrays of waypoint ids that a move must reach besides the table.
struct ID_SPAN {
    U16* pu16Ids;
    U32 u32Count;
};
ID_SPAN s_aSpans[ID_SPANS];
U32 s_u32Spans;

// Registers an array of ids with the move follower while it lives.
class FollowedIds {
public:
    FollowedIds(U16* pu16Ids, U32 u32Count)
    {
        m_bHeld = s_u32Spans < ID_SPANS;
        if (m_bHeld)
            s_aSpans[s_u32Spans++] = {pu16Ids, u32Count};
        else
            log_me("Route table: too many routes in work, a waypoint move may miss one");
    }
    ~FollowedIds()
    {
        if (m_bHeld)
            --s_u32Spans;
    }
    FollowedIds(const FollowedIds&) = delete;
    FollowedIds& operator=(const FollowedIds&) = delete;

private:
    bool m_bHeld;
};

bool bUsed(const ROUTE& r)
{
    return r.nCount != 0 || r.u32DateTime != 0;
}

U32 u32Points(const ROUTE& r)
{
    return r.nCount < ROUTE_MAX_POINTS ? r.nCount : ROUTE_MAX_POINTS;
}

bool bSameName(const char* pcA, const char* pcB)
{
    return strncmp(pcA, pcB, ROUTE_NAME_CHARS) == 0;
}

bool bSamePoints(const ROUTE& a, const ROUTE& b, U32 n)
{
    for (U32 p = 0; p < n; ++p)
        if (a.anWaypoint[p] != b.anWaypoint[p])
            return false;
    return true;
}

U32 u32Now(void)
{
    U32 now = 0;
    BOOLEAN valid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_DATE_TIME, &now, &valid, nullptr) || !valid)
        return 0;
    return now;
}

// A route longer than the table's point list is refused wherever it comes
// in, so that no loop over points can run past the list.
bool bTooLong(const ROUTE* pRoute, const char* pcWhere)
{
    if (pRoute->nCount <= ROUTE_MAX_POINTS)
        return false;
    log_me("%s: route of %u points refused", pcWhere, (unsigned)pRoute->nCount);
    return true;
}

bool bFree(S32 slot)
{
    return !bUsed(s_aRoutes[slot]);
}

bool bIsWaypointStatus(U32 status)
{
    return status == WP_STATUS_PERMANENT || status == WP_STATUS_TEMPORARY || status == WP_STATUS_MOB;
}

void vReportError(U32 u32Line)
{
    log_me("Route compaction: no room to separate the shared and locked routes (line %u)", u32Line);
    T_NAV_TWR_pGetHooks()->pfnGroupDataError(__FILE__, u32Line);
}

void vAddCleanup(U16 u16Id)
{
    for (U32 i = 0; i < s_u32Cleanup; ++i)
        if (s_au16Cleanup[i] == u16Id)
            return;
    if (s_u32Cleanup < NAV_ROUTE_CLEANUP_ENTRIES)
        s_au16Cleanup[s_u32Cleanup++] = u16Id;
}

// The move follower: every holder of the old id in this table names the
// new one.
void vFollowMove(U16 u16Old, U16 u16New)
{
    NavLock lock;
    for (S32 i = 0; i < SLOTS; ++i) {
        ROUTE& r = s_aRoutes[i];
        bool changed = false;
        for (U32 p = 0; p < u32Points(r); ++p) {
            if (r.anWaypoint[p] == u16Old) {
                r.anWaypoint[p] = u16New;
                changed = true;
            }
        }
        if (changed)
            T_NAV_TWR_vWriteRouteFile((U32)i, FALSE);
    }
    for (U32 s = 0; s < s_u32Spans; ++s)
        for (U32 k = 0; k < s_aSpans[s].u32Count; ++k)
            if (s_aSpans[s].pu16Ids[k] == u16Old)
                s_aSpans[s].pu16Ids[k] = u16New;
    for (U32 i = 0; i < s_u32Cleanup; ++i)
        if (s_au16Cleanup[i] == u16Old)
            s_au16Cleanup[i] = u16New;
}

// The free slot a move of route i goes to, or -1 with *pStop the slot at
// which the search stopped.
S32 nMoveTarget(const ROUTE& r, S32* pStop)
{
    if (r.bRtNotShared) {
        for (S32 s = SLOTS - 1; s >= 0; --s) {
            if (s == s_Split.nMaxShareIndex) {
                *pStop = s;
                return -1;
            }
            if (bFree(s))
                return s;
        }
        *pStop = -1;
        return -1;
    }
    if (bFree(0))
        return 0;
    for (S32 s = 1; s < SLOTS; ++s) {
        if (s == s_Split.nMinLockIndex) {
            *pStop = s;
            return -1;
        }
        if (bFree(s))
            return s;
    }
    *pStop = SLOTS;
    return -1;
}

// Carries route i over to a free slot of its part. The route leaves slot i
// only once it is stored in the new one.
bool bMoveRoute(U16 i, U16* pTo, S32* pStop)
{
    const ROUTE r = s_aRoutes[i];
    const S32 j = nMoveTarget(r, pStop);
    if (j < 0)
        return false;
    bool carried = true;
    if (r.nCount != 0)
        carried = T_NAV_bProcessRouteWaypoints(i, (U32)j) && bUsed(s_aRoutes[j]);
    else
        T_NAV_vRouteStore((U32)j, &r, FALSE, FALSE);
    if (!carried) {
        log_me("Route %u could not be carried over to slot %d: it stays", i, (int)j);
        *pStop = i;
        return false;
    }
    T_NAV_TWR_vEraseRoute(i, FALSE);
    *pTo = (U16)j;
    return true;
}

// Deletes the clean-up list's waypoints that no route uses any more.
void vCleanUp(void)
{
    for (U32 i = 0; i < s_u32Cleanup; ++i) {
        const U16 id = s_au16Cleanup[i];
        WAYPOINT* w = T_NAV_pGetWaypoint(id);
        if (w == nullptr || !T_NAV_TWR_bIsLocalWaypoint(id) || T_NAV_bWaypointUsedInSavedRoute(id))
            continue;
        // The common deletion keeps the counts, the hash, the peers and the
        // keys that name the slot true; the slot is then zeroed.
        if (bIsWaypointStatus(w->u8Status))
            T_NAV_bDeleteWaypoint(id, FALSE);
        memset(w, 0, sizeof *w);
    }
    s_u32Cleanup = 0;
    for (U16& e : s_au16Cleanup)
        e = NONE;
}

} // namespace

// Allocation and storing ------------------------------------------------------

ROUTE* T_NAV_pGetRoute(U32 i)
{
    return i < NAV_ROUTE_SLOTS ? &s_aRoutes[i] : nullptr;
}

U16 T_NAV_u16FindAvailableRoute(BOOLEAN bNotShared)
{
    NavLock lock;
    if (T_NAV_TWR_bShareLockSeparatorDisabled()) {
        if (bNotShared) {
            for (S32 s = SLOTS - 1; s >= 0; --s)
                if (bFree(s))
                    return (U16)s;
        } else {
            for (S32 s = 0; s < SLOTS; ++s)
                if (bFree(s))
                    return (U16)s;
        }
        return NONE;
    }
    S32 found = -1;
    if (bNotShared) {
        for (S32 s = SLOTS - 1; s >= 0 && s != s_Split.nSeparator; --s) {
            if (bFree(s)) {
                found = s;
                break;
            }
        }
        if (found < 0)
            return NONE;
        if (s_Split.nMinLockIndex < 0 || found < s_Split.nMinLockIndex)
            s_Split.nMinLockIndex = (S16)found;
    } else {
        for (S32 s = 0; s < SLOTS && s != s_Split.nSeparator; ++s) {
            if (bFree(s)) {
                found = s;
                break;
            }
        }
        if (found < 0)
            return NONE;
        if (found > s_Split.nMaxShareIndex)
            s_Split.nMaxShareIndex = (S16)found;
    }
    if (s_Split.nMinLockIndex >= 0 && s_Split.nMaxShareIndex < s_Split.nMinLockIndex)
        s_Split.nSeparator = (S16)((s_Split.nMaxShareIndex + s_Split.nMinLockIndex) / 2);
    return (U16)found;
}

U16 T_NAV_u16RouteAdd(const ROUTE* pRoute)
{
    if (pRoute == nullptr || bTooLong(pRoute, "T_NAV_u16RouteAdd"))
        return NONE;
    NavLock lock;
    const U16 slot = T_NAV_u16FindAvailableRoute(pRoute->bRtNotShared);
    if (slot == NONE)
        return NONE;
    ROUTE& r = s_aRoutes[slot];
    r = *pRoute;
    if (r.u32DateTime == 0)
        r.u32DateTime = u32Now();
    if (!bUsed(r))
        return slot;
    T_NAV_TWR_vWriteRouteFile(slot, FALSE);
    ++s_nRoutesUsed;
    return slot;
}

S32 T_NAV_nAddRoute(const ROUTE* pRoute)
{
    const U16 slot = T_NAV_u16RouteAdd(pRoute);
    // A failed add must not take the last-saved-route menu to a slot that
    // holds nothing.
    if (slot == NONE)
        return NONE;
    H_DATABASE_bUpdateValueU32(KEY_LAST_ROUTE, slot, P_NORMAL);
    log_me("[%d]%s: CLRT updated to %d\n", __LINE__, "T_NAV_nAddRoute", (int)slot);
    return slot;
}

void T_NAV_vRouteStore(U32 slot, const ROUTE* pRoute, BOOLEAN bOverridePointOfSale, BOOLEAN)
{
    if (pRoute == nullptr || slot >= NAV_ROUTE_SLOTS || bTooLong(pRoute, "T_NAV_vRouteStore"))
        return;
    NavLock lock;
    ROUTE& r = s_aRoutes[slot];
    const bool wasUsed = bUsed(r);
    r = *pRoute;
    const bool isUsed = bUsed(r);
    s_nRoutesUsed = (S16)(s_nRoutesUsed + (isUsed ? 1 : 0) - (wasUsed ? 1 : 0));
    // A free record over a used slot removes the old file, or the old
    // route would come back at the next start-up.
    if (isUsed || wasUsed)
        T_NAV_TWR_vWriteRouteFile(slot, bOverridePointOfSale);
}

BOOLEAN T_NAV_bSaveRoute(U32 slot, ROUTE* pRoute, BOOLEAN bOverridePointOfSale)
{
    if (pRoute == nullptr || slot >= NAV_ROUTE_SLOTS || bTooLong(pRoute, "T_NAV_bSaveRoute"))
        return FALSE;
    NavLock lock;
    const U32 n = u32Points(*pRoute);
    // Checked before anything is copied, so that a route refused for a
    // missing point leaves no copies behind.
    for (U32 p = 0; p < n; ++p)
        if (pRoute->anWaypoint[p] == NONE)
            return FALSE;
    FollowedIds followed(pRoute->anWaypoint, ROUTE_MAX_POINTS);
    for (U32 p = 0; p < n; ++p) {
        NAV_ITEM_ID item;
        if (T_NAV_TWR_eDecodeId(pRoute->anWaypoint[p], &item) != TWR_TYPE_WAYPOINT || item.u8Bank == 0)
            continue;
        const U16 own = T_NAV_TWR_u16MakeLocal(pRoute->anWaypoint[p]);
        if (own == NONE)
            return FALSE;
        pRoute->anWaypoint[p] = own;
    }
    T_NAV_vRouteStore(slot, pRoute, bOverridePointOfSale, FALSE);
    return TRUE;
}

void T_NAV_vCopyRoute(U32 slot, ROUTE* pRoute)
{
    if (pRoute == nullptr || slot >= NAV_ROUTE_SLOTS)
        return;
    NavLock lock;
    *pRoute = s_aRoutes[slot];
}

// Finding and comparing ---------------------------------------------------------

U16 T_NAV_u16FindRoute(const ROUTE* pRoute)
{
    if (pRoute == nullptr)
        return NONE;
    NavLock lock;
    for (S32 s = 0; s < SLOTS; ++s)
        if (bUsed(s_aRoutes[s]) && T_NAV_bCompareRoutes(&s_aRoutes[s], pRoute))
            return (U16)s;
    return NONE;
}

U16 T_NAV_u16FindRouteByPts(const ROUTE* pRoute)
{
    if (pRoute == nullptr || pRoute->nCount > ROUTE_MAX_POINTS)
        return NONE;
    NavLock lock;
    for (S32 s = 0; s < SLOTS; ++s) {
        const ROUTE& r = s_aRoutes[s];
        if (bUsed(r) && r.nCount == pRoute->nCount && bSamePoints(r, *pRoute, r.nCount))
            return (U16)s;
    }
    return NONE;
}

BOOLEAN T_NAV_bCompareRoutes(const ROUTE* pA, const ROUTE* pB)
{
    if (pA == nullptr || pB == nullptr || pA->nCount > ROUTE_MAX_POINTS)
        return FALSE;
    return pA->nCount == pB->nCount && pA->bRtNotShared == pB->bRtNotShared &&
                   pA->u32DateTime == pB->u32DateTime && bSamePoints(*pA, *pB, pA->nCount) &&
                   bSameName(pA->sName, pB->sName)
               ? TRUE
               : FALSE;
}

BOOLEAN T_NAV_bCompareRoutes1(const ROUTE* pA, const ROUTE* pB)
{
    if (pA == nullptr || pB == nullptr)
        return FALSE;
    return bSamePoints(*pA, *pB, u32Points(*pB)) && bSameName(pA->sName, pB->sName) ? TRUE : FALSE;
}

int T_NAV_nCompareRouteNames(const void* pA, const void* pB)
{
    const ROUTE* a = T_NAV_pGetRoute(*static_cast<const U16*>(pA));
    const ROUTE* b = T_NAV_pGetRoute(*static_cast<const U16*>(pB));
    return strncmp(a ? a->sName : "", b ? b->sName : "", ROUTE_NAME_CHARS);
}

void T_NAV_vGetRoutes(U32* pnCount, U16* pu16Slots)
{
    if (pnCount == nullptr || pu16Slots == nullptr)
        return;
    NavLock lock;
    U32 n = 0;
    for (S32 s = 0; s < SLOTS; ++s)
        if (bUsed(s_aRoutes[s]))
            pu16Slots[n++] = (U16)s;
    qsort(pu16Slots, n, sizeof *pu16Slots, T_NAV_nCompareRouteNames);
    *pnCount = n;
}

// Waypoints in routes -------------------------------------------------------------

BOOLEAN T_NAV_bWaypointUsedInRoute(U32 id, const ROUTE* pRoute)
{
    if (pRoute == nullptr)
        return FALSE;
    for (U32 p = 0; p < u32Points(*pRoute); ++p)
        if (pRoute->anWaypoint[p] == id)
            return TRUE;
    return FALSE;
}

BOOLEAN T_NAV_bWaypointUsedInSavedRoute(U32 id)
{
    NavLock lock;
    for (const ROUTE& r : s_aRoutes)
        if (r.nCount != 0 && T_NAV_bWaypointUsedInRoute(id, &r))
            return TRUE;
    return FALSE;
}

S32 T_NAV_vGetRoutesUsingWaypoint(U32 id, S32 anSlots[NAV_ROUTES_USING_WAYPOINT])
{
    if (anSlots == nullptr)
        return 0;
    for (U32 k = 0; k < NAV_ROUTES_USING_WAYPOINT; ++k)
        anSlots[k] = -1;
    NavLock lock;
    S32 n = 0;
    for (S32 s = 0; s < SLOTS; ++s) {
        const ROUTE& r = s_aRoutes[s];
        if (r.nCount == 0 || !T_NAV_bWaypointUsedInRoute(id, &r))
            continue;
        ++n;
        // Insertion into the list of the newest, newest first; a route as
        // new as one listed goes after it.
        S32 at = 0;
        while (at < (S32)NAV_ROUTES_USING_WAYPOINT && anSlots[at] >= 0 &&
               s_aRoutes[anSlots[at]].u32DateTime >= r.u32DateTime)
            ++at;
        if (at == (S32)NAV_ROUTES_USING_WAYPOINT)
            continue;
        for (S32 k = (S32)NAV_ROUTES_USING_WAYPOINT - 1; k > at; --k)
            anSlots[k] = anSlots[k - 1];
        anSlots[at] = s;
    }
    return n < (S32)NAV_ROUTES_USING_WAYPOINT ? n : (S32)NAV_ROUTES_USING_WAYPOINT;
}

BOOLEAN T_NAV_bHasSameContentLinkInTargetRoute(U16 u16RouteId, U16 u16WaypointId)
{
    NAV_ITEM_ID route, last, given;
    if (T_NAV_TWR_eDecodeId(u16RouteId, &route) != TWR_TYPE_ROUTE)
        return FALSE;
    NavLock lock;
    const ROUTE& r = s_aRoutes[route.u16Index];
    if (r.nCount == 0 || r.nCount > ROUTE_MAX_POINTS)
        return FALSE;
    const U16 lastId = r.anWaypoint[r.nCount - 1];
    if (T_NAV_TWR_eDecodeId(lastId, &last) != TWR_TYPE_WAYPOINT ||
        T_NAV_TWR_eDecodeId(u16WaypointId, &given) != TWR_TYPE_WAYPOINT)
        return FALSE;
    return T_NAV_bWaypointCompare(T_NAV_pGetWaypoint(lastId), T_NAV_pGetWaypoint(u16WaypointId));
}

BOOLEAN T_NAV_bProcessRouteWaypoints(U32 oldSlot, U32 newSlot)
{
    if (oldSlot >= NAV_ROUTE_SLOTS || (newSlot != NONE && newSlot >= NAV_ROUTE_SLOTS))
        return FALSE;
    NavLock lock;
    if (s_aRoutes[oldSlot].nCount == 0)
        return FALSE;
    ROUTE copy = s_aRoutes[oldSlot];
    U16 au16Added[ROUTE_MAX_POINTS];
    for (U16& a : au16Added)
        a = NONE;
    FollowedIds followCopy(copy.anWaypoint, ROUTE_MAX_POINTS);
    FollowedIds followAdded(au16Added, ROUTE_MAX_POINTS);
    bool replaced = false;
    U32 added = 0;
    for (U32 p = 0; p < u32Points(copy); ++p) {
        const U16 id = copy.anWaypoint[p];
        NAV_ITEM_ID item;
        if (T_NAV_TWR_eDecodeId(id, &item) != TWR_TYPE_WAYPOINT)
            continue;
        const WAYPOINT* w = T_NAV_pGetWaypoint(id);
        // A point naming a free slot or a group record has nothing to copy.
        if (!bIsWaypointStatus(w->u8Status) || w->bWpNotShared == copy.bRtNotShared)
            continue;
        WAYPOINT twin = *w;
        twin.u8Status = WP_STATUS_PERMANENT;
        twin.bWpNotShared = copy.bRtNotShared;
        // Listed before the addition, which may move it.
        if (item.u8Bank == 0)
            vAddCleanup(id);
        const U16 newId = T_NAV_u16WaypointAdd(&twin, FALSE, FALSE);
        copy.anWaypoint[p] = newId;
        replaced = true;
        if (newId != NONE)
            au16Added[added++] = newId;
    }
    const U32 target = newSlot != NONE ? newSlot : oldSlot;
    if (newSlot == NONE && !replaced)
        return TRUE;
    if (T_NAV_bSaveRoute(target, &copy, FALSE))
        return TRUE;
    // The route keeps its old points; copies that nothing names would be
    // left as stray waypoints.
    log_me("Route %u: its points could not be aligned, no room for a copy", oldSlot);
    for (U32 k = 0; k < added; ++k)
        T_NAV_bDeleteWaypoint(au16Added[k], FALSE);
    return FALSE;
}

// The shared/locked split ------------------------------------------------------------

void T_NAV_TWR_vStatisticRouteStore(BOOLEAN bOnlyStatistic)
{
    NavLock lock;
    s_Split = {-1, -1, -1};
    U16 au16Locked[NAV_ROUTE_SLOTS];
    U32 nLocked = 0;
    U16 au16Ring[SHARED_RING];
    U32 ringPos = 0;
    for (U16& e : au16Ring)
        e = NONE;
    if (!bOnlyStatistic) {
        s_u32Cleanup = 0;
        for (U16& e : s_au16Cleanup)
            e = NONE;
    }

    S16 used = 0;
    for (S32 s = 0; s < SLOTS; ++s) {
        const ROUTE& r = s_aRoutes[s];
        if (r.nCount > ROUTE_MAX_POINTS || !bUsed(r))
            continue;
        ++used;
        if (r.bRtNotShared) {
            if (s_Split.nMinLockIndex == -1)
                s_Split.nMinLockIndex = (S16)s;
            au16Locked[nLocked++] = (U16)s;
        } else {
            au16Ring[ringPos] = (U16)s;
            ringPos = (ringPos + 1) % SHARED_RING;
            s_Split.nMaxShareIndex = (S16)s;
        }
    }
    s_nRoutesUsed = used;
    if (s_Split.nMinLockIndex == -1)
        s_Split.nMinLockIndex = (S16)(SLOTS - 1);

    if (!bOnlyStatistic) {
        U32 nextLocked = 0;
        bool sharedMode = false;
        bool movedLocked = false;
        bool lastOk = false;
        U16 lastSlot = NONE;
        while (s_Split.nMinLockIndex - s_Split.nMaxShareIndex <= COMPACT_GAP) {
            if (s_Split.nMaxShareIndex == -1)
                break;
            if (s_Split.nMaxShareIndex > SLOTS || s_Split.nMinLockIndex > SLOTS) {
                vReportError(__LINE__);
                break;
            }
            U16 to = NONE;
            S32 stop = 0;
            if (!sharedMode && nextLocked < nLocked) {
                if (bMoveRoute(au16Locked[nextLocked], &to, &stop)) {
                    ++nextLocked;
                    movedLocked = true;
                    lastOk = true;
                    lastSlot = to;
                    s_Split.nMinLockIndex = (S16)(nextLocked < nLocked ? au16Locked[nextLocked] : to);
                    continue;
                }
                lastOk = false;
            }
            sharedMode = true;
            ringPos = ringPos == 0 ? SHARED_RING - 1 : ringPos - 1;
            if (ringPos == 0) {
                vReportError(__LINE__);
                return; // the separator stays unknown
            }
            if (au16Ring[ringPos] == NONE) {
                vReportError(__LINE__);
                break;
            }
            if (!bMoveRoute(au16Ring[ringPos], &to, &stop)) {
                vReportError(__LINE__);
                return;
            }
            lastOk = true;
            lastSlot = to;
            const U16 before = au16Ring[ringPos - 1];
            s_Split.nMaxShareIndex = before == NONE ? (S16)-1 : (S16)before;
        }
        if (movedLocked && lastOk)
            s_Split.nMinLockIndex = (S16)lastSlot;
        for (S32 s = s_Split.nMaxShareIndex < 0 ? 0 : s_Split.nMaxShareIndex; s < SLOTS; ++s)
            if (s_aRoutes[s].nCount != 0)
                T_NAV_bProcessRouteWaypoints((U32)s, NONE);
        vCleanUp();
    }
    if (s_Split.nMaxShareIndex <= s_Split.nMinLockIndex)
        s_Split.nSeparator = (S16)((s_Split.nMaxShareIndex + s_Split.nMinLockIndex) / 2);
}

S16 T_NAV_s16GetMaxShareRouteIndex(void)
{
    return s_Split.nMaxShareIndex;
}

void T_NAV_TWR_vSetMaxShareRouteIndex(S16 nIndex)
{
    NavLock lock;
    s_Split.nMaxShareIndex = nIndex;
}

S16 T_NAV_s16GetMinLockRouteIndex(void)
{
    return s_Split.nMinLockIndex;
}

S16 T_NAV_TWR_s16GetRouteSeparator(void)
{
    return s_Split.nSeparator;
}

U16 T_NAV_TWR_u16GetMaxUsedRoute(void)
{
    NavLock lock;
    for (S32 s = SLOTS - 1; s >= 0; --s)
        if (s_aRoutes[s].nCount != 0)
            return (U16)(s + 1);
    return 0;
}

S16 T_NAV_TWR_s16GetRouteCount(void)
{
    return s_nRoutesUsed;
}

U32 T_NAV_TWR_u32GetRouteCleanupCount(void)
{
    return s_u32Cleanup;
}

// Deleting and moving --------------------------------------------------------------------

BOOLEAN T_NAV_bDeleteRoute(U32 i, BOOLEAN bOverridePointOfSale)
{
    if (i >= NAV_ROUTE_SLOTS)
        return FALSE;
    {
        NavLock lock;
        if (bFree((S32)i))
            return FALSE;
        T_NAV_TWR_vEraseRoute(i, bOverridePointOfSale);
        T_NAV_TWR_vStatisticRouteStore(TRUE);
    }
    U32 last = NONE;
    if (H_DATABASE_bFetchU32(KEY_LAST_ROUTE, &last, nullptr, nullptr) && last == i)
        T_NAV_TWR_pGetHooks()->pfnUnregisterLastSavedRouteMenu();
    return TRUE;
}

BOOLEAN T_NAV_bStoreOldRoute(U32 i)
{
    return i < NAV_ROUTE_SLOTS ? TRUE : FALSE;
}

ROUTE* T_NAV_pGetOldRoute(U32 i)
{
    return i < NAV_ROUTE_SLOTS ? &s_RouteBackup[i] : nullptr;
}

U16 T_NAV_u16MoveRoute(U16 i)
{
    if (i >= NAV_ROUTE_SLOTS)
        return NONE;
    NavLock lock;
    if (bFree(i))
        return NONE;
    U16 to = NONE;
    S32 stop = 0;
    if (bMoveRoute(i, &to, &stop))
        return to;
    return (U16)stop;
}

// Store-internal ------------------------------------------------------------------------

void T_NAV_TWR_vClearRoutes(void)
{
    NavLock lock;
    memset(s_aRoutes, 0, sizeof s_aRoutes);
    memset(s_RouteBackup, 0, sizeof s_RouteBackup);
    s_nRoutesUsed = 0;
    s_Split = {-1, -1, -1};
    s_u32Cleanup = 0;
    for (U16& e : s_au16Cleanup)
        e = NONE;
    T_NAV_TWR_bAddMoveFollower(vFollowMove);
}

void T_NAV_TWR_vWriteRouteFile(U32 slot, BOOLEAN bOverridePointOfSale)
{
    if (slot >= NAV_ROUTE_SLOTS)
        return;
    NavLock lock;
    const ROUTE& r = s_aRoutes[slot];
    if (bUsed(r))
        T_NAV_NVRAM_vSaveRoute(&r, (U16)slot, bOverridePointOfSale);
    else
        T_NAV_NVRAM_vDeleteRoute((U16)slot, bOverridePointOfSale);
    s_RouteBackup[slot] = r;
}

void T_NAV_TWR_vEraseRoute(U32 slot, BOOLEAN bOverridePointOfSale)
{
    if (slot >= NAV_ROUTE_SLOTS)
        return;
    NavLock lock;
    if (bUsed(s_aRoutes[slot])) {
        --s_nRoutesUsed;
        T_NAV_NVRAM_vDeleteRoute((U16)slot, bOverridePointOfSale);
    }
    memset(&s_RouteBackup[slot], 0, sizeof(ROUTE));
    memset(&s_aRoutes[slot], 0, sizeof(ROUTE));
}
