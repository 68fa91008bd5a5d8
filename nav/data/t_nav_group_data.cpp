// The group tree.
#include "nav/data/t_nav_group_data.h"

#include "kernel/l_mutex.h"
#include "nav/core/neighbour_standins.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <bitset>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr U32 SLOTS = NAV_WAYPOINT_SLOTS;
constexpr FOURCHARID KEY_DEFAULT_GROUP = FCID("SNDG");
constexpr U32 DEFAULT_GROUP_PRIORITY = 2;

} // namespace

// Statics and helpers ---------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

U16 s_IdRootGroup = NONE;
U16 s_DefaultGroupID = NONE;

U16 s_u16GroupBodyArray[NAV_GROUP_VISITED];
S32 s_iTotalGroupBodyCount = 0;

typedef std::bitset<SLOTS> SLOT_SET;

// The slot a body or header id addresses: 2999 for 0xCFFF; -1 for no
// group id.
S32 nSlotOf(U16 u16Id)
{
    if (u16Id == NAV_ID_SEPARATOR)
        return NAV_ROOT_LOCKED_SLOT;
    if ((u16Id & 0xC000) == NAV_ID_GROUP_TAG && (u16Id & 0x3FFF) < SLOTS)
        return u16Id & 0x3FFF;
    return -1;
}

bool bReadHeader(NAV_DATA_SPACE* pData, U16 u16Id, GROUP_HEADER* pHeader)
{
    GROUP_SLOT g;
    if (!T_NAV_bReadGroupSlotEX(pData, u16Id, &g) || g.header.u8Status != WP_STATUS_GROUP_HEADER)
        return false;
    *pHeader = g.header;
    return true;
}

bool bReadBody(NAV_DATA_SPACE* pData, U16 u16Id, GROUP_BODY* pBody)
{
    GROUP_SLOT g;
    if (!T_NAV_bReadGroupSlotEX(pData, u16Id, &g) || g.body.u8Status != WP_STATUS_GROUP_BODY)
        return false;
    *pBody = g.body;
    return true;
}

void vEmptyBody(GROUP_SLOT* pSlot, bool bLocked)
{
    memset(pSlot, 0, sizeof *pSlot);
    pSlot->body.u8Status = WP_STATUS_GROUP_BODY;
    pSlot->body.bWpNotShared = bLocked ? 1 : 0;
    pSlot->body.u16NextIndex = NONE;
    for (U16& link : pSlot->body.u16Item)
        link = NONE;
}

// Any waypoint id, own or a peer's.
bool bIsWaypointId(U16 u16Id)
{
    return (u16Id & 0xC000) == 0 && (u16Id & 0x0FFF) < SLOTS;
}

bool bIsOwnWaypointId(U16 u16Id)
{
    return u16Id < SLOTS;
}

// A route linked in a group: its points, at most 50.
const ROUTE* pLinkedRoute(U16 u16Id)
{
    NAV_ITEM_ID item;
    if (T_NAV_TWR_eDecodeId(u16Id, &item) != TWR_TYPE_ROUTE)
        return nullptr;
    return T_NAV_pGetRoute(item.u16Index);
}

U32 u32RoutePoints(const ROUTE* r)
{
    return r->nCount < ROUTE_MAX_POINTS ? r->nCount : ROUTE_MAX_POINTS;
}

// One membership walk: the step counter shared by the recursion, and the
// headers and bodies entered, so that a damaged tree is walked at most
// once whatever its loops.
struct MEMBER_WALK {
    U32* pSteps;
    U16 u16Item;
    bool bVisibleOnly;
    SLOT_SET headers;
    SLOT_SET bodies;
};

bool bStep(MEMBER_WALK& w)
{
    if (*w.pSteps >= NAV_GROUP_WALK_STEPS)
        return false;
    ++*w.pSteps;
    return true;
}

enum WALK_RESULT { WALK_NOT_FOUND, WALK_FOUND, WALK_GAVE_UP };

WALK_RESULT eIsIn(MEMBER_WALK& w, U16 u16Group)
{
    if (!bStep(w))
        return WALK_GAVE_UP;
    const S32 hs = nSlotOf(u16Group);
    GROUP_HEADER h;
    if (hs < 0 || w.headers.test((size_t)hs) || !bReadHeader(nullptr, u16Group, &h))
        return WALK_NOT_FOUND;
    w.headers.set((size_t)hs);
    if (w.bVisibleOnly && h.bHide)
        return WALK_NOT_FOUND;
    const bool bWaypointSought = bIsWaypointId(w.u16Item);
    U16 body = h.u16FirstBodyIndex;
    while (body != NONE) {
        if (!bStep(w))
            return WALK_GAVE_UP;
        const S32 bs = nSlotOf(body);
        GROUP_BODY b;
        if (bs < 0 || w.bodies.test((size_t)bs) || !bReadBody(nullptr, body, &b))
            break;
        w.bodies.set((size_t)bs);
        for (U16 link : b.u16Item) {
            if (!bStep(w))
                return WALK_GAVE_UP;
            if (link == NONE)
                continue;
            if (link == w.u16Item)
                return WALK_FOUND;
            if (T_NAV_GROUP_bIsGroupId(link)) {
                const WALK_RESULT r = eIsIn(w, link);
                if (r != WALK_NOT_FOUND)
                    return r;
                continue;
            }
            const ROUTE* route = pLinkedRoute(link);
            if (route == nullptr || (w.bVisibleOnly ? route->bHide != 0 : !bWaypointSought))
                continue;
            const U32 n = u32RoutePoints(route);
            for (U32 p = 0; p < n; ++p) {
                if (!bStep(w))
                    return WALK_GAVE_UP;
                if (route->anWaypoint[p] == w.u16Item)
                    return WALK_FOUND;
            }
        }
        body = b.u16NextIndex;
    }
    return WALK_NOT_FOUND;
}

BOOLEAN bIsInWalk(U16 uidGroup, U16 uidItem, U32* pSteps, bool bVisibleOnly)
{
    U32 local = 0;
    MEMBER_WALK w{pSteps != nullptr ? pSteps : &local, uidItem, bVisibleOnly, {}, {}};
    NavLock lock;
    return eIsIn(w, uidGroup) == WALK_FOUND ? TRUE : FALSE;
}

// Deletion keeps its own visited lists: a group holding itself or an
// ancestor is freed once and the recursion ends.
struct DELETE_WALK {
    NAV_DATA_SPACE* pData;
    SLOT_SET headers;
    SLOT_SET bodies;
};

bool bDelete(DELETE_WALK& d, U16 u16Group)
{
    const S32 hs = nSlotOf(u16Group);
    GROUP_HEADER h;
    if (hs < 0 || d.headers.test((size_t)hs) || !bReadHeader(d.pData, u16Group, &h))
        return false;
    d.headers.set((size_t)hs);
    U16 body = h.u16FirstBodyIndex;
    while (body != NONE) {
        const S32 bs = nSlotOf(body);
        GROUP_BODY b;
        if (bs < 0 || d.bodies.test((size_t)bs) || !bReadBody(d.pData, body, &b))
            break;
        d.bodies.set((size_t)bs);
        for (U16 link : b.u16Item)
            if (T_NAV_GROUP_bIsGroupId(link))
                bDelete(d, link);
        body = b.u16NextIndex;
    }
    T_NAV_vFreeGroupSlotEX(d.pData, u16Group);
    return true;
}

// Waypoints that compaction moves keep their places in every group.
void vFollowMove(U16 u16Old, U16 u16New)
{
    for (U32 s = 0; s < SLOTS; ++s) {
        const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint(s, 0);
        if (w->u8Status != WP_STATUS_GROUP_BODY)
            continue;
        GROUP_SLOT g;
        T_NAV_GROUP_vFromWaypoint(w, &g);
        bool changed = false;
        for (U16& link : g.body.u16Item) {
            if (link == u16Old) {
                link = u16New;
                changed = true;
            }
        }
        if (changed)
            T_NAV_bSetGroupSlot((U16)(NAV_ID_GROUP_TAG | s), &g);
    }
}

} // namespace

// Root and default group ------------------------------------------------------------

U16 T_NAV_GROUP_DATA_nGetRootGroup(void)
{
    return s_IdRootGroup;
}

U16 T_NAV_GROUP_DATA_vGetRootGroupIndex(void)
{
    return s_IdRootGroup;
}

U16 T_NAV_GROUP_DATA_nGetDefaultGroup(void)
{
    return s_DefaultGroupID;
}

BOOLEAN T_NAV_GROUP_DATA_bSetDefaultGroup(U16 groupID)
{
    NavLock lock;
    if (!T_NAV_GROUP_bIsGroupId(groupID) || T_NAV_pGetGroupSlot(groupID) == nullptr)
        return FALSE;
    s_DefaultGroupID = groupID;
    H_DATABASE_bUpdateValueU32(KEY_DEFAULT_GROUP, groupID, DEFAULT_GROUP_PRIORITY);
    return TRUE;
}

void T_NAV_GROUP_DATA_vSetRootGroup(U16 u16Root)
{
    NavLock lock;
    s_IdRootGroup = u16Root;
    if (u16Root != NONE)
        T_NAV_TWR_bAddMoveFollower(vFollowMove);
}

void T_NAV_GROUP_DATA_vSetDefaultGroupId(U16 u16Id)
{
    s_DefaultGroupID = u16Id;
}

BOOLEAN T_NAV_GROUP_DATA_bAddShareLockBody(U16 indexGroup)
{
    NavLock lock;
    GROUP_SLOT header;
    if (!T_NAV_GROUP_bIsGroupId(indexGroup) || !T_NAV_bReadGroupSlot(indexGroup, &header) ||
        header.header.u8Status != WP_STATUS_GROUP_HEADER)
        return TRUE;
    const U16 shared = T_NAV_nAllocGroupSlot(FALSE);
    if (shared == NONE)
        return FALSE;
    GROUP_SLOT first;
    vEmptyBody(&first, false);
    T_NAV_bSetGroupSlot(shared, &first);
    header.header.u16FirstBodyIndex = shared;
    T_NAV_bSetGroupSlot(indexGroup, &header);

    const U16 locked = T_NAV_nAllocGroupSlot(TRUE);
    if (locked == NONE)
        return FALSE;
    first.body.u16NextIndex = NAV_ID_SEPARATOR;
    T_NAV_bSetGroupSlot(shared, &first);
    GROUP_SLOT last;
    vEmptyBody(&last, true);
    T_NAV_bSetGroupSlot(locked, &last);
    return TRUE;
}

// Groups ---------------------------------------------------------------------------------

U16 T_NAV_GROUP_DATA_nNewGroup(GROUP_HEADER_V1* pNewGroup)
{
    return T_NAV_GROUP_DATA_nNewGroupEX(nullptr, pNewGroup);
}

U16 T_NAV_GROUP_DATA_nNewGroupEX(NAV_DATA_SPACE* pData, GROUP_HEADER_V1* pNewGroup)
{
    if (pNewGroup == nullptr)
        return NONE;
    NavLock lock;
    const U16 id = T_NAV_nAllocGroupSlotEX(pData, pNewGroup->bWpNotShared ? TRUE : FALSE);
    if (id == NONE)
        return NONE;
    GROUP_SLOT g;
    memset(&g, 0, sizeof g);
    g.header = *pNewGroup;
    if (!T_NAV_bSetGroupSlotEX(pData, id, &g)) {
        // A header that cannot be written leaves no slot taken.
        T_NAV_vFreeGroupSlotEX(pData, id);
        return NONE;
    }
    return id;
}

BOOLEAN T_NAV_GROUP_DATA_bModifyGroup(U16 indexGroup, GROUP_HEADER_V1* pGroup)
{
    return T_NAV_GROUP_DATA_bModifyGroupEX(nullptr, indexGroup, pGroup);
}

BOOLEAN T_NAV_GROUP_DATA_bModifyGroupEX(NAV_DATA_SPACE* pData, U16 indexGroup, GROUP_HEADER_V1* pGroup)
{
    if (pGroup == nullptr)
        return FALSE;
    GROUP_SLOT g;
    memset(&g, 0, sizeof g);
    g.header = *pGroup;
    return T_NAV_bSetGroupSlotEX(pData, indexGroup, &g);
}

BOOLEAN T_NAV_GROUP_DATA_bDeleteGroup(U16 indexGroup)
{
    NavLock lock;
    DELETE_WALK d{nullptr, {}, {}};
    return bDelete(d, indexGroup) ? TRUE : FALSE;
}

BOOLEAN T_NAV_GROUP_DATA_bDeleteGroupEX(NAV_DATA_SPACE* pData, U16 indexGroup)
{
    if (pData == nullptr) {
        T_NAV_GROUP_DATA_bDeleteGroup(indexGroup);
        return TRUE;
    }
    DELETE_WALK d{pData, {}, {}};
    return bDelete(d, indexGroup) ? TRUE : FALSE;
}

S32 T_NAV_GROUP_DATA_nGetGroupChildList(U16, U16, U16*, U32)
{
    return 0;
}

void T_NAV_GROUP_DATA_vDisplayGroupNavDataError(const char*, U32) {}

// Walks and tests ------------------------------------------------------------------------

void T_NAV_GROUP_DATA_vStartBodyWalk(U16 u16FirstBody)
{
    s_u16GroupBodyArray[0] = u16FirstBody;
    s_iTotalGroupBodyCount = 1;
}

BOOLEAN T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(NAV_DATA_SPACE* pData, U16 groupBody)
{
    if (groupBody == NONE)
        return TRUE;
    NavLock lock;
    const S32 s = nSlotOf(groupBody);
    const WAYPOINT* w = s < 0 ? nullptr : T_NAV_pGetWaypointEX(pData, (U32)s);
    if (pData == nullptr && s >= 0)
        w = T_NAV_TWR_pGetNetworkWaypoint((U32)s, 0);
    if (w == nullptr)
        return pData != nullptr && groupBody == NAV_ID_SEPARATOR ? TRUE : FALSE;
    if (w->u8Status != WP_STATUS_GROUP_BODY)
        return FALSE;
    for (S32 i = 0; i < s_iTotalGroupBodyCount; ++i)
        if (s_u16GroupBodyArray[i] == groupBody)
            return FALSE;
    if (s_iTotalGroupBodyCount < (S32)NAV_GROUP_VISITED)
        s_u16GroupBodyArray[s_iTotalGroupBodyCount++] = groupBody;
    return TRUE;
}

BOOLEAN T_NAV_GROUP_DATA_bIsValidGroupNavData(U16 nItemUid)
{
    NAV_ITEM_ID item;
    NavLock lock;
    switch (T_NAV_TWR_eDecodeId(nItemUid, &item)) {
    case TWR_TYPE_WAYPOINT: {
        const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint(item.u16Index, item.u8Bank);
        return w != nullptr &&
                       (w->u8Status == WP_STATUS_PERMANENT || w->u8Status == WP_STATUS_TEMPORARY ||
                        w->u8Status == WP_STATUS_MOB) &&
                       w->u32DateTime != 0
                   ? TRUE
                   : FALSE;
    }
    case TWR_TYPE_GROUP: {
        if ((nItemUid & 0x3FFF) >= SLOTS)
            return FALSE;
        const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint(nItemUid & 0x3FFF, 0);
        return w->u8Status == WP_STATUS_GROUP_HEADER || w->u8Status == WP_STATUS_GROUP_BODY ? TRUE : FALSE;
    }
    case TWR_TYPE_ROUTE: {
        const ROUTE* r = T_NAV_pGetRoute(item.u16Index);
        return r != nullptr && r->nCount <= ROUTE_MAX_POINTS && r->u32DateTime != 0 ? TRUE : FALSE;
    }
    case TWR_TYPE_TRACK: {
        // Another unit's track names no local one, and stays linked.
        if (item.u16Unit != (T_NAV_GROUP_DATA_u16Getu7UnitID() & NAV_ID_TRACK_UNIT_MASK))
            return TRUE;
        const TRACK_HEADER* h = T_NAV_pGetTrackHeader(item.u16Index);
        return h != nullptr && h->u32DateTime != 0 && h->sName[0] != '\0' ? TRUE : FALSE;
    }
    case TWR_TYPE_RUMBREL: {
        const RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeader(item.u16Index);
        return h != nullptr && h->u32DateTime != 0 && h->sName[0] != '\0' ? TRUE : FALSE;
    }
    default:
        return FALSE;
    }
}

BOOLEAN T_NAV_GROUP_DATA_bIsInAnyGroup(U16 indexWaypoint)
{
    if (s_IdRootGroup == NONE)
        return FALSE;
    U32 steps = 0;
    return bIsInWalk(s_IdRootGroup, indexWaypoint, &steps, false);
}

BOOLEAN T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(U16 indexWaypoint)
{
    if (s_IdRootGroup == NONE)
        return FALSE;
    U32 steps = 0;
    return bIsInWalk(s_IdRootGroup, indexWaypoint, &steps, true);
}

BOOLEAN T_NAV_GROUP_DATA_bIsInGroup(U16 uidGroup, U16 uidItemToCheck, U32* pu32InfiniteLoopDetectCnt)
{
    return bIsInWalk(uidGroup, uidItemToCheck, pu32InfiniteLoopDetectCnt, false);
}

BOOLEAN T_NAV_GROUP_DATA_bIsInVisibleGroup(U16 uidGroup, U16 uidItemToCheck, U32* pu32InfiniteLoopDetectCnt)
{
    return bIsInWalk(uidGroup, uidItemToCheck, pu32InfiniteLoopDetectCnt, true);
}

void T_NAV_GROUP_DATA_vBuildVisibleBitmap(U8 au8Bitmap[NAV_GROUP_VISITED / 8])
{
    memset(au8Bitmap, 0, NAV_GROUP_VISITED / 8);
    if (s_IdRootGroup == NONE)
        return;
    NavLock lock;
    SLOT_SET headers;
    SLOT_SET bodies;
    U16 stack[SLOTS];
    U32 depth = 0;
    if (nSlotOf(s_IdRootGroup) < 0)
        return;
    headers.set((size_t)nSlotOf(s_IdRootGroup));
    stack[depth++] = s_IdRootGroup;
    auto mark = [&](U16 id) {
        if (bIsOwnWaypointId(id))
            au8Bitmap[id / 8] |= (U8)(1u << (id % 8));
    };
    while (depth > 0) {
        const U16 group = stack[--depth];
        GROUP_HEADER h;
        if (!bReadHeader(nullptr, group, &h) || h.bHide)
            continue;
        for (U16 body = h.u16FirstBodyIndex; body != NONE;) {
            const S32 bs = nSlotOf(body);
            GROUP_BODY b;
            if (bs < 0 || bodies.test((size_t)bs) || !bReadBody(nullptr, body, &b))
                break;
            bodies.set((size_t)bs);
            for (U16 link : b.u16Item) {
                if (link == NONE)
                    continue;
                if (T_NAV_GROUP_bIsGroupId(link)) {
                    // Each group is queued once, so the stack never holds
                    // more than the table has slots.
                    const S32 hs = nSlotOf(link);
                    if (hs >= 0 && !headers.test((size_t)hs)) {
                        headers.set((size_t)hs);
                        stack[depth++] = link;
                    }
                    continue;
                }
                mark(link);
                const ROUTE* route = pLinkedRoute(link);
                if (route == nullptr || route->bHide)
                    continue;
                const U32 n = u32RoutePoints(route);
                for (U32 p = 0; p < n; ++p)
                    mark(route->anWaypoint[p]);
            }
            body = b.u16NextIndex;
        }
    }
}

// The visible-waypoint bitmap of the overlay -------------------------------------------

namespace {

// The table, routes and root the bitmap was built from. Comparing them is
// the one test that sees every change, those written through the record
// pointers the getters hand out included.
WAYPOINT s_aBitmapTable[SLOTS];
ROUTE s_aBitmapRoutes[NAV_ROUTE_SLOTS];
U16 s_u16BitmapRoot = NONE;
bool s_bBitmapBuilt = false;
U8 s_au8VisibleBitmap[NAV_GROUP_VISITED / 8];

} // namespace

const U8* T_NAV_GROUP_DATA_pu8GetVisibleBitmap(void)
{
    NavLock lock;
    const WAYPOINT* table = T_NAV_TWR_pGetNetworkWaypoint(0, 0);
    const ROUTE* routes = T_NAV_pGetRoute(0);
    if (!s_bBitmapBuilt || s_u16BitmapRoot != s_IdRootGroup ||
        memcmp(s_aBitmapTable, table, sizeof s_aBitmapTable) != 0 ||
        memcmp(s_aBitmapRoutes, routes, sizeof s_aBitmapRoutes) != 0) {
        memcpy(s_aBitmapTable, table, sizeof s_aBitmapTable);
        memcpy(s_aBitmapRoutes, routes, sizeof s_aBitmapRoutes);
        s_u16BitmapRoot = s_IdRootGroup;
        s_bBitmapBuilt = true;
        T_NAV_GROUP_DATA_vBuildVisibleBitmap(s_au8VisibleBitmap);
    }
    return s_au8VisibleBitmap;
}
