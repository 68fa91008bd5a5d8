// Merging grouped navigation data.
#include "nav/data/t_nav_group_merge.h"

#include "kernel/l_mutex.h"
#include "nav/core/neighbour_standins.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_group_search.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/manager/t_nav_group.h"

#include <cstring>
#include <vector>

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr U16 SEP = NAV_ID_SEPARATOR;
constexpr U32 SLOTS = NAV_WAYPOINT_SLOTS;

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

bool isSpaceWaypointId(U16 id)
{
    return (id & 0xF000) == 0 && id < SLOTS;
}

bool keptStatus(U32 s)
{
    return s == WP_STATUS_PERMANENT || s == WP_STATUS_MOB;
}

const WAYPOINT* spaceWaypoint(NAV_DATA_SPACE* pData, U16 id)
{
    if (!isSpaceWaypointId(id) || id >= pData->u16WaypointCount)
        return nullptr;
    return T_NAV_pGetWaypointEX(pData, id);
}

// The local waypoint equal to a space record: found, or added as a copy;
// NONE when the table is full.
U16 localWaypoint(const WAYPOINT* pSpace)
{
    WAYPOINT copy = T_NAV_GROUP_tLocalWaypointCopy(pSpace);
    const U16 found = T_NAV_GROUP_u16FindWaypoint(&copy);
    if (found != NONE)
        return found;
    const S32 n = T_NAV_nAddWaypoint(&copy, FALSE);
    return n < 0 ? NONE : (U16)n;
}

// Adds a local copy of a space route (header fields only) and links it
// into the parent; its points are appended as local waypoints, a point
// that cannot be resolved in the space is left out. FALSE when a table is
// full.
bool copyRoute(NAV_DATA_SPACE* pData, const ROUTE* pSpace, U16 parent)
{
    ROUTE empty{};
    empty.bHide = pSpace->bHide;
    empty.bRtNotShared = pSpace->bRtNotShared;
    empty.u32DateTime = pSpace->u32DateTime;
    memcpy(empty.sName, pSpace->sName, ROUTE_NAME_CHARS);
    const S32 slot = T_NAV_nAddRoute(&empty);
    if (slot < 0 || slot >= (S32)NAV_ROUTE_SLOTS)
        return false;
    const U16 rid = (U16)(NAV_ID_ROUTE_TAG | slot);
    if (!T_NAV_GROUP_DATA_bAddLink(parent, rid))
        return true;
    for (U32 i = 0; i < pSpace->nCount && i < ROUTE_MAX_POINTS; ++i) {
        const WAYPOINT* w = spaceWaypoint(pData, pSpace->anWaypoint[i]);
        if (w == nullptr || !keptStatus(w->u8Status))
            continue;
        const U16 local = localWaypoint(w);
        if (local == NONE)
            return false;
        T_NAV_GROUP_DATA_bAddLink(rid, local);
    }
    return true;
}

// The merge worker; `path` holds the space groups being merged above this
// one, so a space group that contains itself is not entered again.
bool mergeGroup(NAV_DATA_SPACE* pData, const GROUP_HEADER* pHeader, U16 parent, std::vector<U16>& path)
{
    if (pHeader == nullptr || pHeader->bWpNotShared)
        return true;
    std::vector<U16> visited;
    U16 cur = pHeader->u16FirstBodyIndex;
    while (cur != NONE) {
        GROUP_SLOT b{};
        if (!T_NAV_bReadGroupSlotEX(pData, cur, &b) || b.body.u8Status != WP_STATUS_GROUP_BODY)
            break;
        for (U16 v : visited)
            if (v == cur)
                return true; // a chain that loops ends here
        visited.push_back(cur);
        for (U16 id : b.body.u16Item) {
            if (id == NONE)
                continue;
            NAV_ITEM_ID it{};
            const UNIFIED_TWR_TYPE t = T_NAV_TWR_eDecodeId(id, &it);
            if (isSpaceWaypointId(id)) {
                const WAYPOINT* w = spaceWaypoint(pData, id);
                if (w == nullptr || w->bWpNotShared || !keptStatus(w->u8Status))
                    continue;
                if (T_NAV_u16FindInGroup(FIND_WAYPOINT_IN_GROUP, w, parent) != NONE)
                    continue;
                const U16 local = localWaypoint(w);
                if (local == NONE)
                    return false;
                T_NAV_GROUP_DATA_bAddLink(parent, local);
            } else if (t == TWR_TYPE_GROUP && it.u8Bank == 0) {
                GROUP_SLOT sub{};
                if (!T_NAV_bReadGroupSlotEX(pData, id, &sub) || sub.header.u8Status != WP_STATUS_GROUP_HEADER ||
                    sub.header.bWpNotShared)
                    continue;
                bool looped = false;
                for (U16 p : path)
                    looped = looped || p == id;
                if (looped)
                    continue;
                U16 target = T_NAV_u16FindInGroup(FIND_GROUPHEADER_IN_GROUP, &sub.header, parent);
                if (target == NONE) {
                    GROUP_SLOT h{};
                    h.header.u8Status = WP_STATUS_GROUP_HEADER;
                    h.header.bHide = sub.header.bHide;
                    h.header.u8Icon = sub.header.u8Icon;
                    h.header.u32DateTime = sub.header.u32DateTime;
                    h.header.u16ParentIndex = parent;
                    h.header.u16FirstBodyIndex = NONE;
                    memcpy(h.header.sName, sub.header.sName, GROUP_NAME_CHARS);
                    target = T_NAV_GROUP_DATA_nNewGroup(&h.header);
                    if (target == NONE)
                        return false;
                    T_NAV_GROUP_DATA_bAddLink(parent, target);
                }
                path.push_back(id);
                const bool ok = mergeGroup(pData, &sub.header, target, path);
                path.pop_back();
                if (!ok)
                    return false;
            } else if (t == TWR_TYPE_ROUTE) {
                const ROUTE* r = it.u16Index < pData->u16RouteCount ? T_NAV_pGetRouteEX(pData, it.u16Index) : nullptr;
                if (r == nullptr || r->bRtNotShared || r->u32DateTime == 0 || r->nCount > ROUTE_MAX_POINTS)
                    continue;
                if (T_NAV_bFindRouteInGroup(r, pData, parent))
                    continue;
                if (!copyRoute(pData, r, parent))
                    return false;
            } else if (t == TWR_TYPE_TRACK) {
                if (it.u16Unit != (T_NAV_GROUP_DATA_u16Getu7UnitID() & NAV_ID_TRACK_UNIT_MASK))
                    T_NAV_GROUP_DATA_bAddLink(parent, id);
            }
        }
        cur = b.body.u16NextIndex;
    }
    return true;
}

// Marks what the space's group g references, through 0xCFFF and into
// sub-groups, each group and body once.
void markReferences(NAV_DATA_SPACE* pData, U16 g, std::vector<bool>& wp, std::vector<bool>& rt)
{
    const U16 gs = g == SEP ? (U16)NAV_ROOT_LOCKED_SLOT : (U16)(g & 0x0FFF);
    if (gs >= SLOTS || wp[gs])
        return;
    GROUP_SLOT h{};
    if (!T_NAV_bReadGroupSlotEX(pData, g, &h) || h.header.u8Status != WP_STATUS_GROUP_HEADER)
        return;
    wp[gs] = true;
    U16 cur = h.header.u16FirstBodyIndex;
    while (cur != NONE) {
        const U16 bs = cur == SEP ? (U16)NAV_ROOT_LOCKED_SLOT : (U16)(cur & 0x0FFF);
        GROUP_SLOT b{};
        if (bs >= SLOTS || wp[bs] || !T_NAV_bReadGroupSlotEX(pData, cur, &b) ||
            b.body.u8Status != WP_STATUS_GROUP_BODY)
            return;
        wp[bs] = true;
        for (U16 id : b.body.u16Item) {
            NAV_ITEM_ID it{};
            const UNIFIED_TWR_TYPE t = T_NAV_TWR_eDecodeId(id, &it);
            if (isSpaceWaypointId(id)) {
                wp[id] = true;
            } else if (t == TWR_TYPE_GROUP && it.u8Bank == 0) {
                markReferences(pData, id, wp, rt);
            } else if (t == TWR_TYPE_ROUTE && it.u16Index < pData->u16RouteCount) {
                const ROUTE* r = T_NAV_pGetRouteEX(pData, it.u16Index);
                rt[it.u16Index] = true;
                if (r != nullptr && r->nCount <= ROUTE_MAX_POINTS)
                    for (U32 i = 0; i < r->nCount; ++i)
                        if (isSpaceWaypointId(r->anWaypoint[i]))
                            wp[r->anWaypoint[i]] = true;
            }
        }
        if (b.body.u16NextIndex == cur)
            return;
        cur = b.body.u16NextIndex;
    }
}

} // namespace

BOOLEAN T_NAV_GROUP_DATA_vDoMergeGroupedNavDataToLocal(NAV_DATA_SPACE* pDataForMerge, GROUP_HEADER_V1* pGroupHeader,
                                                       U16 u16ParentIndex)
{
    if (pDataForMerge == nullptr)
        return FALSE;
    NavLock lock;
    std::vector<U16> path;
    return mergeGroup(pDataForMerge, pGroupHeader, u16ParentIndex, path) ? TRUE : FALSE;
}

BOOLEAN T_NAV_GROUP_DATA_vMergeGroupedNavDataToLocal(NAV_DATA_SPACE* pDataForMerge, GROUP_HEADER_V1* pGroupHeader,
                                                     U16 u16ParentIndex)
{
    NavLock lock;
    return T_NAV_GROUP_DATA_vDoMergeGroupedNavDataToLocal(pDataForMerge, pGroupHeader, u16ParentIndex);
}

void T_NAV_GROUP_DATA_vScanGroupForAddLinkIndependentNavData(U16 groupID, NAV_DATA_SPACE* pDataForAdd)
{
    if (pDataForAdd == nullptr || groupID == NONE || groupID != T_NAV_GROUP_DATA_nGetRootGroup())
        return;
    NavLock lock;
    std::vector<bool> wp(SLOTS, false);
    std::vector<bool> rt(NAV_ROUTE_SLOTS, false);
    const U16 spaceRoot = T_NAV_vGetRootGroupIDEx(pDataForAdd);
    if (spaceRoot != NONE)
        markReferences(pDataForAdd, spaceRoot, wp, rt);

    // Space slot -> local waypoint, for the routes adopted below.
    std::vector<U16> local(SLOTS, NONE);
    const U32 nSlots = pDataForAdd->u16WaypointCount < SLOTS ? pDataForAdd->u16WaypointCount : SLOTS;
    for (U32 s = 0; s < nSlots; ++s) {
        const WAYPOINT* w = T_NAV_pGetWaypointEX(pDataForAdd, s);
        if (w == nullptr || !keptStatus(w->u8Status) || wp[s])
            continue;
        const U16 id = localWaypoint(w);
        local[s] = id;
        if (id != NONE)
            T_NAV_GROUP_DATA_bAddLink(groupID, id);
    }
    auto resolve = [&](U16 sp) -> U16 {
        if (sp >= nSlots)
            return NONE;
        if (local[sp] == NONE) {
            const WAYPOINT* w = T_NAV_pGetWaypointEX(pDataForAdd, sp);
            if (w != nullptr && keptStatus(w->u8Status))
                local[sp] = localWaypoint(w);
        }
        return local[sp];
    };
    const U32 nRoutes = pDataForAdd->u16RouteCount < NAV_ROUTE_SLOTS ? pDataForAdd->u16RouteCount : NAV_ROUTE_SLOTS;
    for (U32 i = 0; i < nRoutes; ++i) {
        const ROUTE* r = T_NAV_pGetRouteEX(pDataForAdd, i);
        if (r == nullptr || rt[i] || r->nCount == 0 || r->nCount > ROUTE_MAX_POINTS || r->u32DateTime == 0)
            continue;
        if (T_NAV_bFindRouteInGroup(r, pDataForAdd, groupID))
            continue;
        // Points are the space's slots: each becomes the local waypoint
        // found or made for it, and one that has none is dropped.
        ROUTE copy = *r;
        copy.nCount = 0;
        for (U32 p = 0; p < r->nCount; ++p) {
            const U16 sp = r->anWaypoint[p];
            const U16 id = resolve(sp);
            if (id != NONE)
                copy.anWaypoint[copy.nCount++] = id;
        }
        for (U32 p = copy.nCount; p < ROUTE_MAX_POINTS; ++p)
            copy.anWaypoint[p] = 0;
        const S32 slot = T_NAV_nAddRoute(&copy);
        if (slot < 0 || slot >= (S32)NAV_ROUTE_SLOTS)
            continue;
        T_NAV_GROUP_DATA_bAddLink(groupID, (U16)(NAV_ID_ROUTE_TAG | slot));
    }
}

WAYPOINT T_NAV_GROUP_tLocalWaypointCopy(const WAYPOINT* pSource)
{
    WAYPOINT copy{};
    copy.u8Status = pSource->u8Status == WP_STATUS_MOB ? WP_STATUS_MOB : WP_STATUS_PERMANENT;
    copy.bHide = pSource->bHide;
    copy.bWpNotShared = pSource->bWpNotShared;
    copy.u8Icon = pSource->u8Icon;
    copy.u16Depth = pSource->u16Depth;
    copy.u32DateTime = pSource->u32DateTime;
    copy.pt = pSource->pt;
    memcpy(copy.sName, pSource->sName, WAYPOINT_NAME_CHARS);
    return copy;
}
