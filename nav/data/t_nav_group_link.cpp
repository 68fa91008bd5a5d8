// Group and route links.
#include "nav/data/t_nav_group_link.h"

#include "kernel/l_mutex.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_search.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/manager/t_nav_group.h"

#include <vector>

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr U16 SEP = NAV_ID_SEPARATOR;
constexpr U32 ROUTE_NOTE_SECONDS = 2;

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

bool isRouteId(U16 id)
{
    return (id & 0xFF00) == NAV_ID_ROUTE_TAG && (id & 0xFF) < NAV_ROUTE_SLOTS;
}
bool isSavedTrackId(U16 id)
{
    return (id & 0xFFC0) == NAV_ID_TRACK_TAG && (id & 0x3F) < NAV_TRACK_SLOTS;
}
bool isRumbrelId(U16 id)
{
    return (id & 0xFFC0) == NAV_ID_RUMBREL_TAG && (id & 0x3F) < NAV_RUMBREL_SLOTS;
}
// An own waypoint: bank 0, slot 0-2999.
bool isOwnWaypointId(U16 id)
{
    return (id & 0xF000) == 0 && id < NAV_WAYPOINT_SLOTS;
}

bool readBody(NAV_DATA_SPACE* pData, U16 id, GROUP_SLOT* pSlot)
{
    return T_NAV_bReadGroupSlotEX(pData, id, pSlot) && pSlot->body.u8Status == WP_STATUS_GROUP_BODY;
}
bool readHeader(NAV_DATA_SPACE* pData, U16 id, GROUP_SLOT* pSlot)
{
    return T_NAV_bReadGroupSlotEX(pData, id, pSlot) && pSlot->header.u8Status == WP_STATUS_GROUP_HEADER;
}

GROUP_SLOT newBody(U16 link, bool bLocked, U16 next)
{
    GROUP_SLOT b{};
    b.body.u8Status = WP_STATUS_GROUP_BODY;
    b.body.bWpNotShared = bLocked ? 1 : 0;
    b.body.u16NextIndex = next;
    for (U16& l : b.body.u16Item)
        l = NONE;
    b.body.u16Item[0] = link;
    return b;
}

void setParent(NAV_DATA_SPACE* pData, U16 link, U16 indexGroup, U16 root)
{
    if (!T_NAV_GROUP_bIsGroupId(link) || link == root)
        return;
    GROUP_SLOT child{};
    if (!readHeader(pData, link, &child))
        return;
    child.header.u16ParentIndex = indexGroup;
    T_NAV_bSetGroupSlotEX(pData, link, &child);
}

enum class Place { PLACED, PRESENT, FAILED };

// Puts one link into the chain starting at `start` (0xFFFF: the group has
// no body yet): into the first free position, else into a new body chained
// at the end. bCut: a body met twice cuts the chain there (building a
// space) instead of refusing to extend it.
Place placeLink(NAV_DATA_SPACE* pData, U16 indexGroup, GROUP_SLOT* pHeader, U16 start, U16 link, bool bCut)
{
    U16 freeBody = NONE;
    U32 freePos = 0;
    U16 last = NONE;
    GROUP_SLOT lastBody{};
    bool damaged = false;
    if (start != NONE) {
        T_NAV_GROUP_DATA_vStartBodyWalk(start);
        U16 cur = start;
        for (;;) {
            GROUP_SLOT b{};
            if (!readBody(pData, cur, &b)) {
                damaged = true;
                break;
            }
            for (U32 i = 0; i < GROUP_BODY_LINKS; ++i) {
                if (b.body.u16Item[i] == link)
                    return Place::PRESENT;
                if (b.body.u16Item[i] == NONE && freeBody == NONE) {
                    freeBody = cur;
                    freePos = i;
                }
            }
            last = cur;
            lastBody = b;
            const U16 next = b.body.u16NextIndex;
            if (next == NONE || next == SEP)
                break;
            if (next == cur || !T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(pData, next)) {
                if (bCut) {
                    lastBody.body.u16NextIndex = NONE;
                    T_NAV_bSetGroupSlotEX(pData, last, &lastBody);
                } else {
                    damaged = true;
                }
                break;
            }
            cur = next;
        }
    }
    if (freeBody != NONE) {
        GROUP_SLOT b{};
        readBody(pData, freeBody, &b);
        b.body.u16Item[freePos] = link;
        return T_NAV_bSetGroupSlotEX(pData, freeBody, &b) ? Place::PLACED : Place::FAILED;
    }
    // A chain that cannot be followed to its end is not extended: a body
    // hung after a broken link would be unreachable.
    if (damaged && last == NONE && start != NONE)
        return Place::FAILED;
    if (damaged)
        return Place::FAILED;
    const bool bLocked = last == SEP ? true : (last != NONE ? lastBody.body.bWpNotShared : pHeader->header.bWpNotShared);
    const U16 fresh = T_NAV_nAllocGroupSlotEX(pData, bLocked ? TRUE : FALSE);
    if (fresh == NONE)
        return Place::FAILED;
    U16 next = NONE;
    if (last == NONE) {
        pHeader->header.u16FirstBodyIndex = fresh;
        T_NAV_bSetGroupSlotEX(pData, indexGroup, pHeader);
    } else {
        next = lastBody.body.u16NextIndex == SEP ? SEP : NONE;
        lastBody.body.u16NextIndex = fresh;
        T_NAV_bSetGroupSlotEX(pData, last, &lastBody);
    }
    const GROUP_SLOT b = newBody(link, bLocked, next);
    return T_NAV_bSetGroupSlotEX(pData, fresh, &b) ? Place::PLACED : Place::FAILED;
}

// The first body of the walk for a link of part bLinkLocked, making the
// root group's first shared body when it has none (bMakeShared).
U16 chainStart(NAV_DATA_SPACE* pData, U16 indexGroup, GROUP_SLOT* pHeader, bool bRoot, bool bLinkLocked,
               bool bMakeShared, bool* pbFailed)
{
    *pbFailed = false;
    if (bRoot && bLinkLocked)
        return SEP;
    if (bRoot && bMakeShared && pHeader->header.u16FirstBodyIndex == SEP) {
        const U16 b = T_NAV_nAllocGroupSlotEX(pData, FALSE);
        if (b == NONE) {
            *pbFailed = true;
            return NONE;
        }
        GROUP_SLOT body = newBody(NONE, false, SEP);
        T_NAV_bSetGroupSlotEX(pData, b, &body);
        pHeader->header.u16FirstBodyIndex = b;
        T_NAV_bSetGroupSlotEX(pData, indexGroup, pHeader);
    }
    // A root whose shared part is empty keeps 0xCFFF as its first body; a
    // shared link then has no shared chain to walk.
    if (bRoot && pHeader->header.u16FirstBodyIndex == SEP) {
        *pbFailed = true;
        return NONE;
    }
    return pHeader->header.u16FirstBodyIndex;
}

// Shifts a route's points down over position `pos`.
void dropPoint(ROUTE* pRoute, U32 pos)
{
    const U32 n = pRoute->nCount;
    for (U32 i = pos; i + 1 < n && i + 1 < ROUTE_MAX_POINTS; ++i)
        pRoute->anWaypoint[i] = pRoute->anWaypoint[i + 1];
    pRoute->nCount = n - 1;
}

// For a waypoint of the other part than the route: a copy of it in the
// route's part; NONE when it cannot be had.
U16 copyForRoute(const ROUTE* pRoute, U16 indexWaypoint)
{
    const WAYPOINT* pW = T_NAV_pGetWaypoint(indexWaypoint);
    if (pW == nullptr)
        return NONE;
    if (pW->bWpNotShared == pRoute->bRtNotShared)
        return indexWaypoint;
    WAYPOINT copy = *pW;
    copy.bWpNotShared = pRoute->bRtNotShared;
    const S32 n = T_NAV_nAddWaypoint(&copy, FALSE);
    return n < 0 ? NONE : (U16)n;
}

bool partsDiffer(const ROUTE* pRoute, U16 indexWaypoint)
{
    const WAYPOINT* pW = T_NAV_pGetWaypoint(indexWaypoint);
    return pW != nullptr && pW->bWpNotShared != pRoute->bRtNotShared;
}

} // namespace

// Groups ---------------------------------------------------------------------

BOOLEAN T_NAV_GROUP_DATA_bAddLink(U16 indexGroup, U16 indexLinkToAdd)
{
    if (isRouteId(indexGroup)) {
        const WAYPOINT* pW = T_NAV_pGetWaypoint(indexLinkToAdd);
        if (!isOwnWaypointId(indexLinkToAdd) || pW == nullptr || pW->u8Status == WP_STATUS_FREE ||
            T_NAV_GROUP_bIsGroupStatus(pW->u8Status))
            return FALSE;
        return T_NAV_GROUP_DATA_bRouteAddLink(indexGroup, indexLinkToAdd);
    }
    if (!T_NAV_GROUP_bIsGroupId(indexGroup))
        return FALSE;
    const U16 root = T_NAV_GROUP_DATA_nGetRootGroup();
    if (!T_NAV_GROUP_DATA_bIsValidGroupNavData(indexLinkToAdd) || indexLinkToAdd == root ||
        indexLinkToAdd == indexGroup ||
        T_NAV_bHasSameContentLinkInTargetGroup(indexGroup, indexLinkToAdd))
        return FALSE;

    NavLock lock;
    GROUP_SLOT h{};
    if (!readHeader(nullptr, indexGroup, &h))
        return FALSE;
    const bool bRoot = indexGroup == root;
    U16 link = indexLinkToAdd;
    bool bLocked = T_NAV_bIsNotSharedLink(link);
    if (!bRoot && !isSavedTrackId(link) && !isRumbrelId(link)) {
        const U16 c = T_NAV_GROUP_u16CopyContentForAddLink(h.header.bWpNotShared, indexGroup, link);
        if (c == NONE)
            return FALSE;
        if ((T_NAV_GROUP_bIsGroupId(link) && c != link) ||
            (bool)T_NAV_bIsNotSharedLink(c) != (bool)h.header.bWpNotShared)
            return TRUE;
        link = c;
        bLocked = T_NAV_bIsNotSharedLink(link);
    }
    bool bFailed = false;
    const U16 start = chainStart(nullptr, indexGroup, &h, bRoot, bLocked, true, &bFailed);
    if (bFailed)
        return FALSE;
    if (placeLink(nullptr, indexGroup, &h, start, link, false) != Place::PLACED)
        return FALSE;
    setParent(nullptr, link, indexGroup, root);
    return TRUE;
}

BOOLEAN T_NAV_GROUP_DATA_bAddLinkEX(NAV_DATA_SPACE* pData, U16 indexGroup, U16 indexLinkToAdd)
{
    if (pData == nullptr) {
        T_NAV_GROUP_DATA_bAddLink(indexGroup, indexLinkToAdd);
        return TRUE;
    }
    if (isRouteId(indexGroup))
        return T_NAV_GROUP_DATA_bRouteAddLinkEX(pData, indexGroup, indexLinkToAdd);
    if (!T_NAV_GROUP_bIsGroupId(indexGroup) || indexLinkToAdd == NONE)
        return FALSE;
    NavLock lock;
    GROUP_SLOT h{};
    if (!readHeader(pData, indexGroup, &h))
        return FALSE;
    const bool bRoot = indexGroup == T_NAV_vGetRootGroupIDEx(pData);
    const bool bLocked = T_NAV_bIsNotSharedLinkEX(pData, indexLinkToAdd);
    U16 start = (bRoot && bLocked) ? SEP : h.header.u16FirstBodyIndex;
    if (start != NONE && start != SEP) {
        GROUP_SLOT b{};
        if (!readBody(pData, start, &b)) {
            // A missing first body: the new body becomes the group's first.
            h.header.u16FirstBodyIndex = NONE;
            start = NONE;
        }
    }
    if (bRoot && !bLocked && start == SEP)
        return FALSE;
    return placeLink(pData, indexGroup, &h, start, indexLinkToAdd, true) == Place::PLACED ? TRUE : FALSE;
}

BOOLEAN T_NAV_GROUP_DATA_bAddLinks(U16 indexGroup, const U16* pLinksToAdd, U32 nLinksToAdd)
{
    if (pLinksToAdd == nullptr || nLinksToAdd == 0)
        return FALSE;
    if (isRouteId(indexGroup)) {
        for (U32 i = 0; i < nLinksToAdd; ++i)
            if (!T_NAV_GROUP_DATA_bRouteAddLink(indexGroup, pLinksToAdd[i]))
                return FALSE;
        return TRUE;
    }
    if (!T_NAV_GROUP_bIsGroupId(indexGroup))
        return FALSE;
    NavLock lock;
    GROUP_SLOT h{};
    if (!readHeader(nullptr, indexGroup, &h))
        return FALSE;
    // An id twice in the list is added once.
    std::vector<U16> links;
    for (U32 i = 0; i < nLinksToAdd; ++i) {
        const U16 l = pLinksToAdd[i];
        if (l == NONE || l == SEP)
            continue;
        bool seen = false;
        for (U16 k : links)
            seen = seen || k == l;
        if (!seen)
            links.push_back(l);
    }
    const U16 root = T_NAV_GROUP_DATA_nGetRootGroup();
    const bool bRoot = indexGroup == root;
    for (U16 l : links) {
        const bool bLocked = T_NAV_bIsNotSharedLink(l);
        bool bFailed = false;
        const U16 start = chainStart(nullptr, indexGroup, &h, bRoot, bLocked, true, &bFailed);
        if (bFailed)
            return FALSE;
        const Place p = placeLink(nullptr, indexGroup, &h, start, l, true);
        if (p == Place::FAILED)
            return FALSE;
    }
    return TRUE;
}

namespace {

// Removes the first occurrence of `link` from the chain from `start`.
// bLocal: the local store's rules: the walk stops at 0xCFFF, the body
// ending the shared part and the first locked body are never freed, and a
// link to a group that no longer exists is cleared wherever it stands
// (reported as FALSE). A body met twice cuts the chain there.
BOOLEAN removeFromChain(NAV_DATA_SPACE* pData, U16 indexGroup, GROUP_SLOT* pHeader, U16 start, U16 link,
                        bool bLocal)
{
    if (start == NONE)
        return FALSE;
    const bool bVanished = bLocal && T_NAV_GROUP_bIsGroupId(link) && T_NAV_pGetGroupSlotEX(pData, link) == nullptr;
    U16 prev = NONE;
    GROUP_SLOT prevBody{};
    U16 cur = start;
    T_NAV_GROUP_DATA_vStartBodyWalk(start);
    for (;;) {
        GROUP_SLOT b{};
        if (!readBody(pData, cur, &b))
            return FALSE;
        for (U32 i = 0; i < GROUP_BODY_LINKS; ++i) {
            if (b.body.u16Item[i] != link)
                continue;
            b.body.u16Item[i] = NONE;
            if (bVanished) {
                T_NAV_bSetGroupSlotEX(pData, cur, &b);
                continue;
            }
            bool bEmpty = true;
            for (U16 l : b.body.u16Item)
                bEmpty = bEmpty && l == NONE;
            const bool bKeep = bLocal && (cur == SEP || b.body.u16NextIndex == SEP);
            if (bEmpty && !bKeep) {
                if (prev == NONE) {
                    pHeader->header.u16FirstBodyIndex = b.body.u16NextIndex;
                    T_NAV_bSetGroupSlotEX(pData, indexGroup, pHeader);
                } else {
                    prevBody.body.u16NextIndex = b.body.u16NextIndex;
                    T_NAV_bSetGroupSlotEX(pData, prev, &prevBody);
                }
                T_NAV_vFreeGroupSlotEX(pData, cur);
            } else {
                T_NAV_bSetGroupSlotEX(pData, cur, &b);
            }
            return TRUE;
        }
        const U16 next = b.body.u16NextIndex;
        if (next == NONE || (bLocal && next == SEP))
            return FALSE;
        if (next == cur || !T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(pData, next)) {
            b.body.u16NextIndex = NONE;
            T_NAV_bSetGroupSlotEX(pData, cur, &b);
            return FALSE;
        }
        prev = cur;
        prevBody = b;
        cur = next;
    }
}

BOOLEAN replaceInChain(NAV_DATA_SPACE* pData, U16 start, U16 oldLink, U16 newLink)
{
    if (start == NONE)
        return FALSE;
    U16 cur = start;
    T_NAV_GROUP_DATA_vStartBodyWalk(start);
    for (;;) {
        GROUP_SLOT b{};
        if (!readBody(pData, cur, &b))
            return FALSE;
        for (U16& l : b.body.u16Item) {
            if (l == oldLink) {
                l = newLink;
                return T_NAV_bSetGroupSlotEX(pData, cur, &b);
            }
        }
        const U16 next = b.body.u16NextIndex;
        if (next == NONE || next == cur || !T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(pData, next))
            return FALSE;
        cur = next;
    }
}

} // namespace

BOOLEAN T_NAV_GROUP_DATA_bRemoveLink(U16 indexGroup, U16 indexLinkToRemove)
{
    if (isRouteId(indexGroup))
        return T_NAV_GROUP_DATA_bRouteRemoveLink(indexGroup, indexLinkToRemove);
    if (!T_NAV_GROUP_bIsGroupId(indexGroup) || indexLinkToRemove == NONE)
        return FALSE;
    NavLock lock;
    GROUP_SLOT h{};
    if (!readHeader(nullptr, indexGroup, &h))
        return FALSE;
    const bool bRoot = indexGroup == T_NAV_GROUP_DATA_nGetRootGroup();
    const U16 start = (bRoot && T_NAV_bIsNotSharedLink(indexLinkToRemove)) ? SEP : h.header.u16FirstBodyIndex;
    if (start == SEP && !(bRoot && T_NAV_bIsNotSharedLink(indexLinkToRemove)))
        return FALSE;
    return removeFromChain(nullptr, indexGroup, &h, start, indexLinkToRemove, true);
}

BOOLEAN T_NAV_GROUP_DATA_bRemoveLinkEX(NAV_DATA_SPACE* pData, U16 indexGroup, U16 indexLinkToRemove)
{
    if (pData == nullptr) {
        T_NAV_GROUP_DATA_bRemoveLink(indexGroup, indexLinkToRemove);
        return FALSE;
    }
    if (isRouteId(indexGroup))
        return T_NAV_GROUP_DATA_bRouteRemoveLinkEX(pData, indexGroup, indexLinkToRemove);
    if (!T_NAV_GROUP_bIsGroupId(indexGroup) || indexLinkToRemove == NONE)
        return FALSE;
    NavLock lock;
    GROUP_SLOT h{};
    if (!readHeader(pData, indexGroup, &h))
        return FALSE;
    return removeFromChain(pData, indexGroup, &h, h.header.u16FirstBodyIndex, indexLinkToRemove, false);
}

BOOLEAN T_NAV_GROUP_DATA_bRemoveLinks(U16, const U16*, U32)
{
    return FALSE;
}

BOOLEAN T_NAV_GROUP_DATA_bReplaceLink(U16 indexGroup, U16 indexLinkToRemove, U16 indexLinkToAdd)
{
    return T_NAV_GROUP_DATA_bReplaceLinkEX(nullptr, indexGroup, indexLinkToRemove, indexLinkToAdd);
}

BOOLEAN T_NAV_GROUP_DATA_bReplaceLinkEX(NAV_DATA_SPACE* pData, U16 indexGroup, U16 indexLinkToRemove,
                                        U16 indexLinkToAdd)
{
    if (!T_NAV_GROUP_bIsGroupId(indexGroup) || indexLinkToRemove == NONE)
        return FALSE;
    NavLock lock;
    GROUP_SLOT h{};
    if (!readHeader(pData, indexGroup, &h))
        return FALSE;
    return replaceInChain(pData, h.header.u16FirstBodyIndex, indexLinkToRemove, indexLinkToAdd);
}

// Routes ---------------------------------------------------------------------

BOOLEAN T_NAV_GROUP_DATA_bRouteAddLink(U16 indexRoute, U16 indexWaypointToAdd)
{
    if (!isRouteId(indexRoute) || !isOwnWaypointId(indexWaypointToAdd))
        return FALSE;
    const U32 r = indexRoute & 0xFF;
    {
        const ROUTE* pRoute = T_NAV_pGetRoute(r);
        if (pRoute != nullptr && partsDiffer(pRoute, indexWaypointToAdd) &&
            T_NAV_bHasSameContentLinkInTargetRoute(indexRoute, indexWaypointToAdd))
            return FALSE;
    }
    NavLock lock;
    const ROUTE* pStored = T_NAV_pGetRoute(r);
    if (pStored == nullptr || pStored->nCount >= ROUTE_MAX_POINTS)
        return FALSE;
    ROUTE route = *pStored;
    const U16 id = copyForRoute(&route, indexWaypointToAdd);
    if (id == NONE)
        return FALSE;
    const WAYPOINT* pNew = T_NAV_pGetWaypoint(id);
    if (route.nCount > 0) {
        const WAYPOINT* pLast = T_NAV_pGetWaypoint(route.anWaypoint[route.nCount - 1]);
        if (pLast != nullptr && pNew != nullptr && T_NAV_bWaypointCompare(pLast, pNew))
            return FALSE;
    }
    route.anWaypoint[route.nCount] = id;
    route.nCount = route.nCount + 1;
    return T_NAV_bSaveRoute(r, &route, FALSE);
}

BOOLEAN T_NAV_GROUP_DATA_bRouteAddLinkOnline(U16 indexRoute, U16 indexWaypointToAdd, U32 nCount, U32* pIndex,
                                             U16* pLastIndex)
{
    if (!isOwnWaypointId(indexWaypointToAdd)) {
        T_NAV_GROUP_vSetNavUIRawNoteWithTimeout("CANNOT ADD this data!", ROUTE_NOTE_SECONDS);
        return FALSE;
    }
    if (!isRouteId(indexRoute) || pIndex == nullptr || pLastIndex == nullptr || *pIndex >= ROUTE_MAX_POINTS)
        return FALSE;
    const U32 r = indexRoute & 0xFF;
    NavLock lock;
    const ROUTE* pStored = T_NAV_pGetRoute(r);
    if (pStored == nullptr)
        return FALSE;
    ROUTE route = *pStored;
    if (partsDiffer(&route, indexWaypointToAdd) &&
        T_NAV_bHasSameContentLinkInTargetRoute(indexRoute, indexWaypointToAdd))
        return FALSE;
    const U16 id = copyForRoute(&route, indexWaypointToAdd);
    if (id == NONE)
        return FALSE;
    if (nCount != 0) {
        const WAYPOINT* pLast = T_NAV_pGetWaypoint(*pLastIndex);
        const WAYPOINT* pNew = T_NAV_pGetWaypoint(id);
        if (pLast != nullptr && pNew != nullptr && T_NAV_bWaypointCompare(pLast, pNew)) {
            if (route.nCount != 0) {
                route.nCount = route.nCount - 1;
                T_NAV_vRouteStore(r, &route, FALSE, FALSE);
            }
            return FALSE;
        }
    }
    route.anWaypoint[*pIndex] = id;
    *pIndex += 1;
    *pLastIndex = id;
    T_NAV_vRouteStore(r, &route, FALSE, FALSE);
    return TRUE;
}

BOOLEAN T_NAV_GROUP_DATA_bRouteAddLinkEX(NAV_DATA_SPACE* pData, U16 indexRoute, U16 indexWaypointToAdd)
{
    if (pData == nullptr) {
        T_NAV_GROUP_DATA_bRouteAddLink(indexRoute, indexWaypointToAdd);
        return TRUE;
    }
    if (!isRouteId(indexRoute))
        return FALSE;
    NavLock lock;
    ROUTE* pRoute = T_NAV_pGetRouteEX(pData, indexRoute & 0xFF);
    if (pRoute == nullptr || pRoute->nCount >= ROUTE_MAX_POINTS)
        return FALSE;
    for (U32 i = 0; i < pRoute->nCount; ++i)
        if (pRoute->anWaypoint[i] == indexWaypointToAdd)
            return FALSE;
    pRoute->anWaypoint[pRoute->nCount] = isOwnWaypointId(indexWaypointToAdd) ? indexWaypointToAdd : NONE;
    pRoute->nCount = pRoute->nCount + 1;
    return TRUE;
}

BOOLEAN T_NAV_GROUP_DATA_bRouteRemoveLink(U16 indexRoute, U16 indexWaypointToRemove)
{
    if (!isRouteId(indexRoute))
        return FALSE;
    const U32 r = indexRoute & 0xFF;
    NavLock lock;
    const ROUTE* pStored = T_NAV_pGetRoute(r);
    if (pStored == nullptr || pStored->nCount == 0)
        return FALSE;
    ROUTE route = *pStored;
    for (U32 i = 0; i < route.nCount && i < ROUTE_MAX_POINTS; ++i) {
        if (route.anWaypoint[i] == indexWaypointToRemove) {
            dropPoint(&route, i);
            return T_NAV_bSaveRoute(r, &route, FALSE);
        }
    }
    return FALSE;
}

BOOLEAN T_NAV_GROUP_DATA_bRouteRemoveLinkEX(NAV_DATA_SPACE* pData, U16 indexRoute, U16 indexWaypointToRemove)
{
    if (pData == nullptr) {
        T_NAV_GROUP_DATA_bRouteRemoveLink(indexRoute, indexWaypointToRemove);
        return FALSE;
    }
    if (!isRouteId(indexRoute))
        return FALSE;
    ROUTE* pRoute = T_NAV_pGetRouteEX(pData, indexRoute & 0xFF);
    if (pRoute == nullptr)
        return FALSE;
    for (U32 i = 0; i < pRoute->nCount && i < ROUTE_MAX_POINTS; ++i) {
        if (pRoute->anWaypoint[i] == indexWaypointToRemove) {
            dropPoint(pRoute, i);
            return TRUE;
        }
    }
    return FALSE;
}
