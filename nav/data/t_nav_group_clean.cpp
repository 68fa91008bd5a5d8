// The clean-up of the group tree.
//
// A run: take the mutex and the map, walk the tree from the root marking
// what it reaches and clearing dangling links, merge identical items of
// one part, sweep what is unmarked, release the map; when a chain had to
// be cut, run once more (at most NAV_GROUP_CLEAN_RUNS runs); release the
// mutex. The waypoint table's declutter and duplicate scans are off for
// the run; the duplicate table is rebuilt at its end when its scan was on.
#include "nav/data/t_nav_group_clean.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <utility>
#include <vector>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr U32 SLOTS = NAV_WAYPOINT_SLOTS;
constexpr U32 ROUTES = NAV_ROUTE_SLOTS;
constexpr FOURCHARID KEY_STEVRIN_FOUND = FCID("IPUF");

} // namespace

// Statics -----------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

typedef std::bitset<SLOTS> SLOT_SET;

// One run's state: the map, the headers and bodies walked, and whether a
// chain was cut (the run is then repeated).
struct CLEAN_RUN {
    U8* pu8Map;
    NAV_DATA_SPACE* pData; // null: the own store, whose links may change
    SLOT_SET headers;
    SLOT_SET bodies;
    bool bRepeat;
    U16 u16Root;
};

CLEAN_RUN* s_pRun = nullptr;
// A run deleted or folded own waypoints: the duplicate table, not kept up
// while its scan is off, is rebuilt at the end.
bool s_bWaypointsChanged = false;

U16 s_au16WaypointQueue[SLOTS];
U16 s_u16WaypointQueued = 0;
U16 s_au16RumbrelQueue[NAV_RUMBREL_SLOTS];
U16 s_u16RumbrelQueued = 0;

// Integrity check: a valid waypoint link or route point has been seen.
bool s_bIntegralItemSeen = false;

S32 nSlotOf(U16 u16Id)
{
    if (u16Id == NAV_ID_SEPARATOR)
        return NAV_ROOT_LOCKED_SLOT;
    if ((u16Id & 0xC000) == NAV_ID_GROUP_TAG && (u16Id & 0x3FFF) < SLOTS)
        return u16Id & 0x3FFF;
    return -1;
}

bool bIsItemStatus(U32 s)
{
    return s == WP_STATUS_PERMANENT || s == WP_STATUS_TEMPORARY || s == WP_STATUS_MOB;
}

bool bRouteUsed(const ROUTE* r)
{
    return r != nullptr && (r->nCount != 0 || r->u32DateTime != 0);
}

bool bReadBody(NAV_DATA_SPACE* pData, U16 u16Id, GROUP_BODY* pBody)
{
    GROUP_SLOT g;
    if (!T_NAV_bReadGroupSlotEX(pData, u16Id, &g) || g.body.u8Status != WP_STATUS_GROUP_BODY)
        return false;
    *pBody = g.body;
    return true;
}

bool bReadHeader(NAV_DATA_SPACE* pData, U16 u16Id, GROUP_HEADER* pHeader)
{
    GROUP_SLOT g;
    if (!T_NAV_bReadGroupSlotEX(pData, u16Id, &g) || g.header.u8Status != WP_STATUS_GROUP_HEADER)
        return false;
    *pHeader = g.header;
    return true;
}

void vMark(CLEAN_RUN& r, U32 u32Byte)
{
    if (r.pu8Map[u32Byte] != 0xFF)
        ++r.pu8Map[u32Byte];
}

bool bThisUnitsTrack(const NAV_ITEM_ID& item)
{
    return item.u16Unit == (T_NAV_GROUP_DATA_u16Getu7UnitID() & NAV_ID_TRACK_UNIT_MASK);
}

// One link of a body; FALSE when it is to be cleared (own store only).
bool bVisitLink(CLEAN_RUN& r, U16 u16Link);
void vWalkGroup(CLEAN_RUN& r, U16 u16Group);

bool bVisitRoute(CLEAN_RUN& r, U16 u16Index)
{
    const ROUTE* route = T_NAV_pGetRouteEX(r.pData, u16Index);
    if (!bRouteUsed(route) || route->nCount > ROUTE_MAX_POINTS || route->u32DateTime == 0)
        return false;
    vMark(r, NAV_GROUP_MAP_ROUTES + u16Index);
    for (U32 p = 0; p < route->nCount; ++p) {
        const U16 id = route->anWaypoint[p];
        const WAYPOINT* w = T_NAV_pGetWaypointEX(r.pData, id);
        if (w == nullptr)
            continue;
        // The route survives this run (it is marked) and loses the link;
        // the next run sweeps it when nothing else holds it.
        if (!bIsItemStatus(w->u8Status))
            return false;
        if (id < SLOTS)
            vMark(r, id);
    }
    return true;
}

bool bVisitLink(CLEAN_RUN& r, U16 u16Link)
{
    if (u16Link == NONE)
        return true;
    NAV_ITEM_ID item;
    switch (T_NAV_TWR_eDecodeId(u16Link, &item)) {
    case TWR_TYPE_WAYPOINT: {
        // Peers' waypoints have no place in groups; they are left alone.
        if (item.u8Bank != 0)
            return true;
        const WAYPOINT* w = T_NAV_pGetWaypointEX(r.pData, item.u16Index);
        if (w == nullptr || !bIsItemStatus(w->u8Status) || w->u32DateTime == 0)
            return false;
        vMark(r, item.u16Index);
        return true;
    }
    case TWR_TYPE_GROUP: {
        GROUP_HEADER h;
        if (item.u8Bank != 0 || r.headers.test(item.u16Index) || !bReadHeader(r.pData, u16Link, &h))
            return false;
        r.headers.set(item.u16Index);
        vWalkGroup(r, u16Link);
        return true;
    }
    case TWR_TYPE_ROUTE:
        return bVisitRoute(r, item.u16Index);
    case TWR_TYPE_TRACK:
        if (bThisUnitsTrack(item))
            vMark(r, NAV_GROUP_MAP_TRACKS + item.u16Index);
        return true;
    case TWR_TYPE_RUMBREL:
        vMark(r, NAV_GROUP_MAP_RUMBRELS + item.u16Index);
        return true;
    default:
        return true;
    }
}

void vWalkGroup(CLEAN_RUN& r, U16 u16Group)
{
    GROUP_HEADER h;
    const S32 hs = nSlotOf(u16Group);
    if (hs < 0 || !bReadHeader(r.pData, u16Group, &h))
        return;
    vMark(r, (U32)hs);
    const bool bRoot = u16Group == r.u16Root;
    U16 body = h.u16FirstBodyIndex;
    while (body != NONE) {
        // Only the root group's shared part goes on to its locked part.
        if (body == NAV_ID_SEPARATOR && !bRoot)
            return;
        const S32 bs = nSlotOf(body);
        GROUP_BODY b;
        if (bs < 0 || !bReadBody(r.pData, body, &b))
            return;
        r.bodies.set((size_t)bs);
        vMark(r, (U32)bs);
        bool bChanged = false;
        for (U16& link : b.u16Item) {
            if (!bVisitLink(r, link) && r.pData == nullptr) {
                link = NONE;
                bChanged = true;
            }
        }
        // A chain coming back to a body already walked, or a body naming
        // itself, is cut after this body: what lies behind the cut was
        // walked already. The root's shared part is sent on to its locked
        // part when that has not been walked yet.
        U16 next = b.u16NextIndex;
        const S32 ns = nSlotOf(next);
        if (ns >= 0 && r.bodies.test((size_t)ns)) {
            r.bRepeat = true;
            const bool bToLocked = bRoot && !b.bWpNotShared && !r.bodies.test(NAV_ROOT_LOCKED_SLOT);
            next = bToLocked ? NAV_ID_SEPARATOR : NONE;
            if (r.pData == nullptr) {
                b.u16NextIndex = next;
                bChanged = true;
                log_me("group clean-up: chain cut after body %d", (int)bs);
            } else {
                next = NONE;
            }
        }
        if (bChanged && r.pData == nullptr) {
            GROUP_SLOT g;
            memset(&g, 0, sizeof g);
            g.body = b;
            T_NAV_bSetGroupSlot(body, &g);
        }
        body = next;
    }
}

bool bSameWaypointBytes(const WAYPOINT* a, const WAYPOINT* b)
{
    U8 ba[WAYPOINT_BYTES], bb[WAYPOINT_BYTES];
    T_NAV_RECORD_vEncodeWaypoint(a, ba);
    T_NAV_RECORD_vEncodeWaypoint(b, bb);
    return memcmp(ba, bb, sizeof ba) == 0;
}

bool bOriginCandidate(const CLEAN_RUN& r, const U16* hash, S32 i)
{
    const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint((U32)i, 0);
    return hash[i] != 0 && r.pu8Map[i] != 0 && w->u8Status != WP_STATUS_FREE &&
           !T_NAV_GROUP_bIsGroupStatus(w->u8Status);
}

bool bTwinOf(const U16* hash, S32 i, S32 j)
{
    const WAYPOINT* wi = T_NAV_TWR_pGetNetworkWaypoint((U32)i, 0);
    const WAYPOINT* wj = T_NAV_TWR_pGetNetworkWaypoint((U32)j, 0);
    return hash[j] == hash[i] && wj->u8Status != WP_STATUS_FREE && !T_NAV_GROUP_bIsGroupStatus(wj->u8Status) &&
           bSameWaypointBytes(wi, wj);
}

// The waypoints of one part grouped by hash: slots of equal hash, in the
// order the merge visits them (ascending for the shared part, descending
// for the locked part), so that only slots of one hash are compared.
void vMergeWaypointPart(CLEAN_RUN& r, const U16* hash, S32 first, S32 last, bool bLocked)
{
    const S32 step = bLocked ? -1 : 1;
    auto bCandidate = [&](S32 s) {
        const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint((U32)s, 0);
        return hash[s] != 0 && w->u8Status != WP_STATUS_FREE && !T_NAV_GROUP_bIsGroupStatus(w->u8Status);
    };
    // Only hashes met twice can hold twins; most tables have none.
    static std::bitset<0x10000> s_seen, s_twice;
    s_seen.reset();
    s_twice.reset();
    for (S32 s = first; bLocked ? s >= last : s <= last; s += step) {
        if (!bCandidate(s))
            continue;
        if (s_seen.test(hash[s]))
            s_twice.set(hash[s]);
        s_seen.set(hash[s]);
    }
    std::vector<std::pair<U16, U16>> byHash; // (hash, visiting rank)
    for (S32 s = first; bLocked ? s >= last : s <= last; s += step)
        if (bCandidate(s) && s_twice.test(hash[s]))
            byHash.emplace_back(hash[s], (U16)(bLocked ? first - s : s - first));
    std::sort(byHash.begin(), byHash.end());
    auto slotOf = [&](U16 rank) { return bLocked ? first - (S32)rank : first + (S32)rank; };
    for (size_t a = 0; a < byHash.size();) {
        size_t b = a;
        while (b < byHash.size() && byHash[b].first == byHash[a].first)
            ++b;
        for (size_t i = a; i < b; ++i) {
            const S32 origin = slotOf(byHash[i].second);
            if (!bOriginCandidate(r, hash, origin))
                continue;
            for (size_t j = i + 1; j < b; ++j) {
                const S32 twin = slotOf(byHash[j].second);
                if (bTwinOf(hash, origin, twin)) {
                    T_NAV_GROUP_DATA_bRemoveDuplicateItemReference(bLocked ? TRUE : FALSE, TRUE, (U16)origin,
                                                                   (U16)twin);
                    s_bWaypointsChanged = true;
                }
            }
        }
        a = b;
    }
}

void vMergeDuplicates(CLEAN_RUN& r)
{
    const U16* hash = T_NAV_TWR_pu16GetWaypointsHash();
    const S32 maxShare = std::min<S32>(T_NAV_s16GetMaxShareWaypointIndex(), (S32)SLOTS - 1);
    if (maxShare >= 0)
        vMergeWaypointPart(r, hash, 0, maxShare, false);
    // Slot 2999 holds the root's first locked body, never a waypoint.
    const S32 minLock = T_NAV_s16GetMinLockWaypointIndex();
    if (minLock >= 0 && minLock < NAV_ROOT_LOCKED_SLOT)
        vMergeWaypointPart(r, hash, NAV_ROOT_LOCKED_SLOT - 1, minLock, true);
    // Routes are compared whole, each encoded once; a fold deletes the twin,
    // which then no longer counts as used.
    static U8 s_au8Route[ROUTES][ROUTE_BYTES];
    for (U32 i = 0; i < ROUTES; ++i)
        T_NAV_RECORD_vEncodeRoute(T_NAV_pGetRoute(i), s_au8Route[i]);
    auto bSameRoute = [](S32 a, S32 b) { return memcmp(s_au8Route[a], s_au8Route[b], ROUTE_BYTES) == 0; };
    const S32 maxShareRoute = std::min<S32>(T_NAV_s16GetMaxShareRouteIndex(), (S32)ROUTES - 1);
    for (S32 i = 0; i <= maxShareRoute; ++i) {
        const ROUTE* ri = T_NAV_pGetRoute((U32)i);
        if (r.pu8Map[NAV_GROUP_MAP_ROUTES + i] == 0 || !bRouteUsed(ri))
            continue;
        for (S32 c = i + 1; c <= maxShareRoute; ++c)
            if (bRouteUsed(T_NAV_pGetRoute((U32)c)) && bSameRoute(i, c))
                T_NAV_GROUP_DATA_bRemoveDuplicateItemReference(FALSE, FALSE, (U16)(NAV_ID_ROUTE_TAG | i),
                                                               (U16)(NAV_ID_ROUTE_TAG | c));
    }
    const S32 minLockRoute = T_NAV_s16GetMinLockRouteIndex();
    if (minLockRoute >= 0) {
        for (S32 i = (S32)ROUTES - 1; i >= minLockRoute; --i) {
            const ROUTE* ri = T_NAV_pGetRoute((U32)i);
            if (r.pu8Map[NAV_GROUP_MAP_ROUTES + i] == 0 || !bRouteUsed(ri))
                continue;
            for (S32 n = i - 1; n >= minLockRoute; --n)
                if (bRouteUsed(T_NAV_pGetRoute((U32)n)) && bSameRoute(i, n))
                    T_NAV_GROUP_DATA_bRemoveDuplicateItemReference(TRUE, FALSE, (U16)(NAV_ID_ROUTE_TAG | i),
                                                                   (U16)(NAV_ID_ROUTE_TAG | n));
        }
    }
}

template <size_t N> void vQueue(U16 (&queue)[N], U16& count, U16 u16Entry)
{
    for (U16 i = 0; i < count; ++i)
        if (queue[i] == u16Entry)
            return;
    // A full queue leaves the item in the table for a later run.
    if (count < N)
        queue[count++] = u16Entry;
}

void vSweep(const CLEAN_RUN& r)
{
    BOOLEAN bStevrin = FALSE;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchBoolean(KEY_STEVRIN_FOUND, &bStevrin, &bValid, nullptr) || !bValid)
        bStevrin = FALSE;
    for (U32 i = 0; i < ROUTES; ++i)
        if (r.pu8Map[NAV_GROUP_MAP_ROUTES + i] == 0 && bRouteUsed(T_NAV_pGetRoute(i)))
            T_NAV_bDeleteRoute(i, FALSE);
    for (U32 s = 0; s < SLOTS; ++s) {
        const U32 status = T_NAV_TWR_pGetNetworkWaypoint(s, 0)->u8Status;
        if (r.pu8Map[s] != 0 || status == WP_STATUS_FREE || status == WP_STATUS_TEMPORARY)
            continue;
        if (bStevrin && status == WP_STATUS_PERMANENT) {
            vQueue(s_au16WaypointQueue, s_u16WaypointQueued, (U16)s);
        } else if (T_NAV_GROUP_bIsGroupStatus(status)) {
            T_NAV_vDeleteGpWpSlot((U16)(NAV_ID_GROUP_TAG | s));
        } else {
            T_NAV_bDeleteWaypoint(s, FALSE);
            s_bWaypointsChanged = true;
        }
    }
    for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i)
        if (r.pu8Map[NAV_GROUP_MAP_TRACKS + i] == 0 && T_NAV_pGetTrackHeader(i)->u16Count != 0)
            T_NAV_vDeleteTrack(i, FALSE);
    for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
        if (r.pu8Map[NAV_GROUP_MAP_RUMBRELS + i] != 0 || T_NAV_pGetRumbrelHeader(i)->nCount == 0)
            continue;
        if (bStevrin) {
            vQueue(s_au16RumbrelQueue, s_u16RumbrelQueued, (U16)i);
        } else {
            T_NAV_bDeleteRumbrel(i, FALSE);
            log_me("Delete Rumbrel: %u", (unsigned)i);
        }
    }
}

// One run from the root of the own store.
void vRunLocal(U16 u16Root)
{
    U8* pu8Map = static_cast<U8*>(H_MEMORY_pvMallocNoWait(NAV_GROUP_REFERENCE_MAP_BYTES));
    if (pu8Map == nullptr)
        return;
    const bool bDuplicatesWereOn = !T_NAV_TWR_bDuplicateScanDisabled();
    s_bWaypointsChanged = false;
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(1);
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(1);
    for (U32 run = 0; run < NAV_GROUP_CLEAN_RUNS; ++run) {
        CLEAN_RUN* r = new CLEAN_RUN{pu8Map, nullptr, {}, {}, false, u16Root};
        memset(pu8Map, 0, NAV_GROUP_REFERENCE_MAP_BYTES);
        const S32 rs = nSlotOf(u16Root);
        r->headers.set((size_t)rs);
        s_pRun = r;
        vWalkGroup(*r, u16Root);
        vMergeDuplicates(*r);
        vSweep(*r);
        s_pRun = nullptr;
        const bool bRepeat = r->bRepeat;
        delete r;
        if (!bRepeat)
            break;
    }
    H_MEMORY_vFree(pu8Map);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(0);
    if (bDuplicatesWereOn) {
        T_NAV_TWR_vTemporarilyDisableScanForDuplicates(0);
        if (s_bWaypointsChanged)
            T_NAV_TWR_vDuplicateWaypointsScan();
    }
}

// The space's run: counts references without changing links, then deletes
// from the space what is not referenced.
void vRunSpace(NAV_DATA_SPACE* pData, U16 u16Root)
{
    U8* pu8Map = static_cast<U8*>(H_MEMORY_pvMallocNoWait(NAV_GROUP_REFERENCE_MAP_BYTES));
    if (pu8Map == nullptr)
        return;
    memset(pu8Map, 0, NAV_GROUP_REFERENCE_MAP_BYTES);
    CLEAN_RUN* r = new CLEAN_RUN{pu8Map, pData, {}, {}, false, u16Root};
    r->headers.set((size_t)nSlotOf(u16Root));
    vWalkGroup(*r, u16Root);
    for (U32 s = 0; s < pData->u16WaypointCount && s < SLOTS; ++s) {
        const WAYPOINT* w = T_NAV_pGetWaypointEX(pData, s);
        if (w != nullptr && w->u8Status != WP_STATUS_FREE && pu8Map[s] == 0)
            T_NAV_bDeleteWaypointEX(pData, s, FALSE);
    }
    for (U32 i = 0; i < ROUTES; ++i)
        if (pu8Map[NAV_GROUP_MAP_ROUTES + i] == 0 && bRouteUsed(T_NAV_pGetRouteEX(pData, i)))
            T_NAV_bDeleteRouteEX(pData, i, FALSE);
    for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i) {
        const TRACK_HEADER* t = T_NAV_pGetTrackHeaderEX(pData, i);
        if (pu8Map[NAV_GROUP_MAP_TRACKS + i] == 0 && t != nullptr && t->u16Count != 0)
            T_NAV_vDeleteTrackEX(pData, i, FALSE);
    }
    for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
        const RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeaderEX(pData, i);
        if (pu8Map[NAV_GROUP_MAP_RUMBRELS + i] == 0 && h != nullptr && h->nCount != 0)
            T_NAV_vDeleteRumbrelEX(pData, i, FALSE);
    }
    delete r;
    H_MEMORY_vFree(pu8Map);
}

// The integrity check's walk.
struct CHECK_WALK {
    NAV_DATA_SPACE* pData;
    SLOT_SET headers;
    SLOT_SET bodies;
};

bool bCheckRoute(CHECK_WALK& c, U16 u16Index)
{
    const ROUTE* route = T_NAV_pGetRouteEX(c.pData, u16Index);
    if (!bRouteUsed(route) || route->nCount > ROUTE_MAX_POINTS || route->u32DateTime == 0)
        return false;
    for (U32 p = 0; p < route->nCount; ++p) {
        const WAYPOINT* w = T_NAV_pGetWaypointEX(c.pData, route->anWaypoint[p]);
        if (w == nullptr || !bIsItemStatus(w->u8Status))
            return false;
        s_bIntegralItemSeen = true;
    }
    return true;
}

bool bCheckGroup(CHECK_WALK& c, U16 u16Group, U16 u16Root)
{
    GROUP_HEADER h;
    if (!bReadHeader(c.pData, u16Group, &h))
        return false;
    U16 body = h.u16FirstBodyIndex;
    while (body != NONE) {
        if (body == NAV_ID_SEPARATOR && u16Group != u16Root)
            break;
        const S32 bs = nSlotOf(body);
        GROUP_BODY b;
        if (bs < 0 || c.bodies.test((size_t)bs) || !bReadBody(c.pData, body, &b) || b.u16NextIndex == body)
            return false;
        c.bodies.set((size_t)bs);
        for (U16 link : b.u16Item) {
            NAV_ITEM_ID item;
            switch (T_NAV_TWR_eDecodeId(link, &item)) {
            case TWR_TYPE_WAYPOINT: {
                const WAYPOINT* w = T_NAV_pGetWaypointEX(c.pData, link);
                if (w == nullptr || !bIsItemStatus(w->u8Status))
                    return false;
                s_bIntegralItemSeen = true;
                break;
            }
            case TWR_TYPE_GROUP:
                if (c.headers.test(item.u16Index))
                    return false;
                c.headers.set(item.u16Index);
                if (!bCheckGroup(c, link, u16Root))
                    return false;
                break;
            case TWR_TYPE_ROUTE:
                if (!bCheckRoute(c, item.u16Index))
                    return false;
                break;
            default:
                break;
            }
        }
        body = b.u16NextIndex;
    }
    return true;
}

} // namespace

// Runs ------------------------------------------------------------------------

void T_NAV_GROUP_DATA_vScanGroupForGarbageCollection(U16 groupID)
{
    T_NAV_GROUP_DATA_vScanGroupForGarbageCollectionEX(nullptr, groupID);
}

void T_NAV_GROUP_DATA_vScanGroupForGarbageCollectionEX(NAV_DATA_SPACE* pData, U16 groupID)
{
    if (groupID == NONE || !T_NAV_GROUP_bIsGroupId(groupID))
        return;
    NavLock lock;
    if (pData != nullptr) {
        vRunSpace(pData, groupID);
        return;
    }
    // Sub-groups are walked inside the run; a run is started only from the
    // root, and never inside another.
    if (s_pRun != nullptr || groupID != T_NAV_GROUP_DATA_nGetRootGroup())
        return;
    vRunLocal(groupID);
}

BOOLEAN T_NAV_GROUP_DATA_bRemoveDuplicateItemReference(BOOLEAN bNotShared, BOOLEAN bItemType, U16 originID,
                                                       U16 duplicateID)
{
    NavLock lock;
    // The chains of the part: the root's locked part and every locked
    // group, or every shared group (the root's shared part among them).
    U16 au16Chains[SLOTS + 1];
    U32 nChains = 0;
    if (bNotShared) {
        const S32 minLock = T_NAV_s16GetMinLockWaypointIndex();
        if (minLock < 0 || minLock > (S32)SLOTS)
            return FALSE;
        au16Chains[nChains++] = NAV_ID_SEPARATOR;
        for (S32 s = NAV_ROOT_LOCKED_SLOT - 1; s >= minLock; --s) {
            GROUP_HEADER h;
            if (bReadHeader(nullptr, (U16)(NAV_ID_GROUP_TAG | s), &h))
                au16Chains[nChains++] = h.u16FirstBodyIndex;
        }
    } else {
        const S32 maxShare = T_NAV_s16GetMaxShareWaypointIndex();
        if (maxShare > (S32)SLOTS)
            return FALSE;
        for (S32 s = 0; s <= maxShare && s < (S32)SLOTS; ++s) {
            GROUP_HEADER h;
            if (bReadHeader(nullptr, (U16)(NAV_ID_GROUP_TAG | s), &h))
                au16Chains[nChains++] = h.u16FirstBodyIndex;
        }
    }
    for (U32 c = 0; c < nChains; ++c) {
        SLOT_SET walked;
        bool bSeen = false;
        U16 body = au16Chains[c];
        // The root's shared part ends at the separator, as every other chain
        // ends at 0xFFFF; the root's locked part starts at it.
        const bool bRootLockedPart = bNotShared && c == 0;
        while (body != NONE) {
            if (body == NAV_ID_SEPARATOR && !(bRootLockedPart && walked.none()))
                break;
            const S32 bs = nSlotOf(body);
            GROUP_SLOT g;
            if (bs < 0 || walked.test((size_t)bs) || !T_NAV_bReadGroupSlot(body, &g) ||
                g.body.u8Status != WP_STATUS_GROUP_BODY)
                break;
            walked.set((size_t)bs);
            bool bChanged = false;
            for (U16& link : g.body.u16Item) {
                if (link != originID && link != duplicateID)
                    continue;
                if (!bSeen) {
                    bSeen = true;
                    bChanged = bChanged || link != originID;
                    link = originID;
                } else {
                    link = NONE;
                    bChanged = true;
                }
            }
            if (bChanged)
                T_NAV_bSetGroupSlot(body, &g);
            body = g.body.u16NextIndex;
        }
    }
    if (bItemType) {
        const S32 minLockRoute = T_NAV_s16GetMinLockRouteIndex();
        const S32 maxShareRoute = T_NAV_s16GetMaxShareRouteIndex();
        if (bNotShared ? minLockRoute > (S32)ROUTES : maxShareRoute > (S32)ROUTES)
            return FALSE;
        const S32 first = bNotShared ? (S32)ROUTES - 1 : 0;
        const S32 last = bNotShared ? std::max<S32>(minLockRoute, 0) : std::min<S32>(maxShareRoute, ROUTES - 1);
        const S32 step = bNotShared ? -1 : 1;
        if (bNotShared ? minLockRoute >= 0 : maxShareRoute >= 0) {
            // A free slot between used routes does not end the walk: a route
            // behind it would keep naming the deleted twin.
            for (S32 i = first; bNotShared ? i >= last : i <= last; i += step) {
                ROUTE route;
                T_NAV_vCopyRoute((U32)i, &route);
                if (!bRouteUsed(&route))
                    continue;
                bool bChanged = false;
                for (U32 p = 0; p < route.nCount && p < ROUTE_MAX_POINTS; ++p) {
                    if (route.anWaypoint[p] == duplicateID) {
                        route.anWaypoint[p] = originID;
                        bChanged = true;
                    }
                }
                if (bChanged)
                    T_NAV_bSaveRoute((U32)i, &route, FALSE);
            }
        }
        T_NAV_bDeleteWaypoint(duplicateID, FALSE);
    } else {
        T_NAV_bDeleteRoute(duplicateID & 0x37FF, FALSE);
    }
    return FALSE;
}

BOOLEAN T_NAV_GROUP_DATA_bIsGroupNavDataIntegralEX(NAV_DATA_SPACE* pData, U16 groupID)
{
    (void)groupID;
    NavLock lock;
    const U16 root = pData != nullptr ? T_NAV_vGetRootGroupIDEx(pData) : T_NAV_GROUP_DATA_nGetRootGroup();
    if (root == NONE)
        return TRUE;
    CHECK_WALK* c = new CHECK_WALK{pData, {}, {}};
    c->headers.set((size_t)nSlotOf(root));
    const bool bGood = bCheckGroup(*c, root, root);
    delete c;
    return bGood && s_bIntegralItemSeen ? TRUE : FALSE;
}

// Deletion requests ------------------------------------------------------------

void T_NAV_GROUP_vInitStevrinDeleteData(void)
{
    NavLock lock;
    memset(s_au16WaypointQueue, 0, sizeof s_au16WaypointQueue);
    memset(s_au16RumbrelQueue, 0, sizeof s_au16RumbrelQueue);
    s_u16WaypointQueued = 0;
    s_u16RumbrelQueued = 0;
}

void T_NAV_GROUP_vSendNavDataBeingDeletedToStevrin(void)
{
    U16* pu16Waypoints = nullptr;
    U16* pu16Rumbrels = nullptr;
    U32 nWaypoints = 0, nRumbrels = 0;
    {
        NavLock lock;
        if (s_u16WaypointQueued == 0 && s_u16RumbrelQueued == 0)
            return;
        nWaypoints = s_u16WaypointQueued;
        nRumbrels = s_u16RumbrelQueued;
        if (nWaypoints != 0) {
            pu16Waypoints = static_cast<U16*>(H_MEMORY_pvMalloc(nWaypoints * sizeof(U16)));
            memcpy(pu16Waypoints, s_au16WaypointQueue, nWaypoints * sizeof(U16));
        }
        if (nRumbrels != 0) {
            pu16Rumbrels = static_cast<U16*>(H_MEMORY_pvMalloc(nRumbrels * sizeof(U16)));
            memcpy(pu16Rumbrels, s_au16RumbrelQueue, nRumbrels * sizeof(U16));
        }
        s_u16WaypointQueued = 0;
        s_u16RumbrelQueued = 0;
    }
    U_STEVRIN_vDeleteWptsRumbrels(nWaypoints, pu16Waypoints, nRumbrels, pu16Rumbrels);
}

U32 T_NAV_GROUP_u32QueuedWaypoints(void)
{
    NavLock lock;
    return s_u16WaypointQueued;
}

U32 T_NAV_GROUP_u32QueuedRumbrels(void)
{
    NavLock lock;
    return s_u16RumbrelQueued;
}
