// Group content searches.
#include "nav/data/t_nav_group_search.h"

#include "nav/core/neighbour_standins.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_rumbrel.h"

#include <cstring>

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr U16 SEP = NAV_ID_SEPARATOR;

bool namesEqual(const char* a, const char* b, U32 n)
{
    return strncmp(a, b, n) == 0;
}

bool pointsEqual(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}

bool waypointsEqual(const WAYPOINT* a, const WAYPOINT* b)
{
    return a->u8Icon == b->u8Icon && a->u16Depth == b->u16Depth && a->u32DateTime == b->u32DateTime &&
           pointsEqual(a->pt, b->pt) && namesEqual(a->sName, b->sName, WAYPOINT_NAME_CHARS);
}

// The group slot of a body or header id: 0xCFFF or a group id.
const GROUP_SLOT* groupSlot(U16 id)
{
    if (id != SEP && !T_NAV_GROUP_bIsGroupId(id))
        return nullptr;
    return T_NAV_pGetGroupSlot(id);
}

bool ownTrack(const NAV_ITEM_ID& item)
{
    return item.u16Unit == (T_NAV_GROUP_DATA_u16Getu7UnitID() & NAV_ID_TRACK_UNIT_MASK);
}

// Whether link `id` is of kind `style` and equal to `item`.
bool linkMatches(COMPARE_STYLE style, const void* item, U16 id)
{
    NAV_ITEM_ID it{};
    const UNIFIED_TWR_TYPE t = T_NAV_TWR_eDecodeId(id, &it);
    switch (style) {
    case FIND_GROUPHEADER_IN_GROUP: {
        if (t != TWR_TYPE_GROUP || it.u8Bank != 0)
            return false;
        const GROUP_SLOT* g = groupSlot(id);
        if (g == nullptr)
            return false;
        GROUP_SLOT h{};
        T_NAV_bReadGroupSlot(id, &h);
        return T_NAV_bGroupCompare(&h.header, static_cast<const GROUP_HEADER*>(item));
    }
    case FIND_WAYPOINT_IN_GROUP: {
        if (t != TWR_TYPE_WAYPOINT)
            return false;
        const WAYPOINT* w = T_NAV_pGetWaypoint(id);
        return w != nullptr && waypointsEqual(w, static_cast<const WAYPOINT*>(item));
    }
    case FIND_ROUTE_IN_GROUP: {
        if (t != TWR_TYPE_ROUTE)
            return false;
        const ROUTE* r = T_NAV_pGetRoute(it.u16Index);
        return r != nullptr && T_NAV_bRouteContentCompare(r, static_cast<const ROUTE*>(item));
    }
    case FIND_TRACK_IN_GROUP: {
        if (t != TWR_TYPE_TRACK || !ownTrack(it))
            return false;
        const TRACK_HEADER* h = T_NAV_pGetTrackHeader(it.u16Index);
        return h != nullptr && T_NAV_DATA_bTrackCompareEX(h, static_cast<const TRACK_HEADER*>(item));
    }
    case FIND_RUMBREL_IN_GROUP: {
        if (t != TWR_TYPE_RUMBREL)
            return false;
        const RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeader(it.u16Index);
        return h != nullptr && T_NAV_DATA_bRumbrelCompareEX(h, static_cast<const RUMBREL_HEADER*>(item));
    }
    }
    return false;
}

// Walks the chain from `first`; stops at 0xFFFF, at 0xCFFF when bStopAtSep,
// at a body naming itself, at a body met twice, and at anything that is no
// group slot.
U16 searchChain(COMPARE_STYLE style, const void* item, U16 first, bool bStopAtSep)
{
    U16 cur = first;
    if (cur == NONE)
        return NONE;
    T_NAV_GROUP_DATA_vStartBodyWalk(cur);
    while (cur != NONE) {
        if (groupSlot(cur) == nullptr)
            return NONE;
        GROUP_SLOT b{};
        T_NAV_bReadGroupSlot(cur, &b);
        if (b.body.u8Status != WP_STATUS_GROUP_BODY)
            return NONE;
        for (U16 id : b.body.u16Item)
            if (id != NONE && linkMatches(style, item, id))
                return id;
        const U16 next = b.body.u16NextIndex;
        if (next == cur || (bStopAtSep && next == SEP))
            return NONE;
        if (next != NONE && !T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(nullptr, next))
            return NONE;
        cur = next;
    }
    return NONE;
}

} // namespace

BOOLEAN T_NAV_bGroupCompare(const GROUP_HEADER* pA, const GROUP_HEADER* pB)
{
    return pA->u8Status == pB->u8Status && pA->bHide == pB->bHide && pA->bWpNotShared == pB->bWpNotShared &&
           pA->u8Icon == pB->u8Icon && pA->u16Depth == pB->u16Depth && pA->u32DateTime == pB->u32DateTime &&
           namesEqual(pA->sName, pB->sName, GROUP_NAME_CHARS);
}

BOOLEAN T_NAV_DATA_bTrackCompareEX(const TRACK_HEADER* pTrack1, const TRACK_HEADER* pTrack2)
{
    return pointsEqual(pTrack1->ptFirst, pTrack2->ptFirst) && pointsEqual(pTrack1->ptLast, pTrack2->ptLast) &&
           pointsEqual(pTrack1->ptLowerLeft, pTrack2->ptLowerLeft) &&
           pointsEqual(pTrack1->ptUpperRight, pTrack2->ptUpperRight) && pTrack1->u16Count == pTrack2->u16Count &&
           pTrack1->u16FirstDelta == pTrack2->u16FirstDelta && pTrack1->u32DateTime == pTrack2->u32DateTime &&
           namesEqual(pTrack1->sName, pTrack2->sName, TRACK_NAME_CHARS);
}

BOOLEAN T_NAV_DATA_bRumbrelCompareEX(const RUMBREL_HEADER* pRumbrelHeader1, const RUMBREL_HEADER* pRumbrelHeader2)
{
    return pRumbrelHeader1->nCount == pRumbrelHeader2->nCount &&
           pRumbrelHeader1->u32DateTime == pRumbrelHeader2->u32DateTime &&
           namesEqual(pRumbrelHeader1->sName, pRumbrelHeader2->sName, RUMBREL_NAME_CHARS);
}

BOOLEAN T_NAV_bRouteContentCompare(const ROUTE* pA, const ROUTE* pB)
{
    if (pA->nCount != pB->nCount || pA->bRtNotShared != pB->bRtNotShared || pA->u32DateTime != pB->u32DateTime ||
        !namesEqual(pA->sName, pB->sName, ROUTE_NAME_CHARS))
        return FALSE;
    for (U32 i = 0; i < pA->nCount && i < ROUTE_MAX_POINTS; ++i)
        if (pA->anWaypoint[i] != pB->anWaypoint[i])
            return FALSE;
    return TRUE;
}

U16 T_NAV_u16FindInGroup(COMPARE_STYLE style, const void* item, U16 groupId)
{
    if (item == nullptr)
        return NONE;
    const GROUP_SLOT* g = groupSlot(groupId);
    if (g == nullptr)
        return NONE;
    GROUP_SLOT h{};
    T_NAV_bReadGroupSlot(groupId, &h);
    return searchChain(style, item, h.header.u16FirstBodyIndex, false);
}

BOOLEAN T_NAV_bHasSameContentLinkInTargetGroup(U16 groupId, U16 itemId)
{
    const GROUP_SLOT* g = groupSlot(groupId);
    if (g == nullptr)
        return FALSE;
    GROUP_SLOT h{};
    T_NAV_bReadGroupSlot(groupId, &h);
    const bool bLockedRoot = groupId == T_NAV_GROUP_DATA_nGetRootGroup() && T_NAV_bIsNotSharedLink(itemId);
    const U16 first = bLockedRoot ? SEP : h.header.u16FirstBodyIndex;

    NAV_ITEM_ID it{};
    switch (T_NAV_TWR_eDecodeId(itemId, &it)) {
    case TWR_TYPE_GROUP: {
        GROUP_SLOT item{};
        if (it.u8Bank != 0 || !T_NAV_bReadGroupSlot(itemId, &item))
            return FALSE;
        return searchChain(FIND_GROUPHEADER_IN_GROUP, &item.header, first, true) != NONE;
    }
    case TWR_TYPE_WAYPOINT: {
        const WAYPOINT* w = T_NAV_pGetWaypoint(itemId);
        return w != nullptr && searchChain(FIND_WAYPOINT_IN_GROUP, w, first, true) != NONE;
    }
    case TWR_TYPE_ROUTE: {
        const ROUTE* r = T_NAV_pGetRoute(it.u16Index);
        return r != nullptr && searchChain(FIND_ROUTE_IN_GROUP, r, first, true) != NONE;
    }
    case TWR_TYPE_TRACK: {
        if (!ownTrack(it))
            return FALSE;
        const TRACK_HEADER* t = T_NAV_pGetTrackHeader(it.u16Index);
        return t != nullptr && searchChain(FIND_TRACK_IN_GROUP, t, first, true) != NONE;
    }
    case TWR_TYPE_RUMBREL: {
        const RUMBREL_HEADER* r = T_NAV_pGetRumbrelHeader(it.u16Index);
        return r != nullptr && searchChain(FIND_RUMBREL_IN_GROUP, r, first, true) != NONE;
    }
    default:
        return FALSE;
    }
}

namespace {

bool sameRecord(const WAYPOINT* a, const WAYPOINT* b)
{
    U8 ea[WAYPOINT_BYTES];
    U8 eb[WAYPOINT_BYTES];
    T_NAV_RECORD_vEncodeWaypoint(a, ea);
    T_NAV_RECORD_vEncodeWaypoint(b, eb);
    return memcmp(ea, eb, WAYPOINT_BYTES) == 0;
}

bool routesEqualInSpace(const ROUTE* local, const ROUTE* other, NAV_DATA_SPACE* pData)
{
    if (local->nCount != other->nCount || local->u32DateTime != other->u32DateTime ||
        !namesEqual(local->sName, other->sName, ROUTE_NAME_CHARS))
        return false;
    for (U32 i = 0; i < local->nCount && i < ROUTE_MAX_POINTS; ++i) {
        const U16 a = local->anWaypoint[i];
        const U16 b = other->anWaypoint[i];
        if (a == NONE || b == NONE) {
            if (a != b)
                return false;
            continue;
        }
        if (b >= pData->u16WaypointCount)
            return false;
        const WAYPOINT* wa = T_NAV_pGetWaypoint(a);
        const WAYPOINT* wb = T_NAV_pGetWaypointEX(pData, b);
        if (wa == nullptr || wb == nullptr || !sameRecord(wa, wb))
            return false;
    }
    return true;
}

} // namespace

BOOLEAN T_NAV_bFindRouteInGroup(const ROUTE* route, NAV_DATA_SPACE* pData, U16 groupId)
{
    if (route == nullptr || pData == nullptr)
        return FALSE;
    const GROUP_SLOT* g = groupSlot(groupId);
    if (g == nullptr)
        return FALSE;
    GROUP_SLOT h{};
    T_NAV_bReadGroupSlot(groupId, &h);
    U16 cur = h.header.u16FirstBodyIndex;
    if (cur == NONE)
        return FALSE;
    T_NAV_GROUP_DATA_vStartBodyWalk(cur);
    while (cur != NONE) {
        if (groupSlot(cur) == nullptr)
            return FALSE;
        GROUP_SLOT b{};
        T_NAV_bReadGroupSlot(cur, &b);
        if (b.body.u8Status != WP_STATUS_GROUP_BODY)
            return FALSE;
        for (U16 id : b.body.u16Item) {
            NAV_ITEM_ID it{};
            if (T_NAV_TWR_eDecodeId(id, &it) != TWR_TYPE_ROUTE)
                continue;
            const ROUTE* r = T_NAV_pGetRoute(it.u16Index);
            if (r != nullptr && routesEqualInSpace(r, route, pData))
                return TRUE;
        }
        const U16 next = b.body.u16NextIndex;
        if (next == cur || (next != NONE && !T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(nullptr, next)))
            return FALSE;
        cur = next;
    }
    return FALSE;
}
