// The start-up of the group layer.
#include "nav/data/t_nav_group_init.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_group_clean.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_space.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "util/u_convert.h"

#include <bitset>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr U32 SLOTS = NAV_WAYPOINT_SLOTS;
constexpr U32 KEY_PRIORITY = 2;
constexpr FOURCHARID KEY_UNIT_ID = FCID("SUID");
constexpr FOURCHARID KEY_SERIAL = FCID("SENU");
constexpr FOURCHARID KEY_MODEL = FCID("SMDL");
constexpr FOURCHARID KEY_GROUPS_CAPABLE = FCID("CGRP");
constexpr FOURCHARID KEY_DEFAULT_GROUP = FCID("SNDG");
constexpr U32 LINK_LIST_ENTRIES = 3100;
constexpr U32 UNIT_ID_DIVISOR = 31;
constexpr U8 ROOT_ICON = 1;

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

U16 s_u7UnitID = 0;
NAV_GROUP_UPGRADE_QUERY s_pfnUpgradeQuery = nullptr;

bool bIsUnitID(U32 u32Id)
{
    return u32Id >= NAV_UNIT_ID_STEP && u32Id <= NAV_UNIT_ID_MAX && u32Id % NAV_UNIT_ID_STEP == 0;
}

void vWriteU32(FOURCHARID key, U32 value)
{
    H_DATABASE_bUpdateEverythingU32(key, value, KEY_PRIORITY, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

bool bFetchValid(FOURCHARID key, U32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(key, pValue, &bValid, nullptr) && bValid;
}

// The first header with no parent among all own slots: a root header that
// lies after waypoint slots is found too.
U16 u16FindRoot(void)
{
    for (U32 s = 0; s < SLOTS; ++s) {
        GROUP_SLOT g;
        const U16 id = (U16)(NAV_ID_GROUP_TAG | s);
        if (T_NAV_bReadGroupSlot(id, &g) && g.header.u8Status == WP_STATUS_GROUP_HEADER &&
            g.header.u16ParentIndex == NONE)
            return id;
    }
    return NONE;
}

void vRestoreDefaultGroup(void)
{
    U32 u32Default = NONE;
    if (bFetchValid(KEY_DEFAULT_GROUP, &u32Default) && u32Default <= 0xFFFF &&
        T_NAV_GROUP_bIsGroupId((U16)u32Default) && T_NAV_pGetGroupSlot((U16)u32Default) != nullptr) {
        T_NAV_GROUP_DATA_vSetDefaultGroupId((U16)u32Default);
        return;
    }
    const U16 root = T_NAV_GROUP_DATA_nGetRootGroup();
    T_NAV_GROUP_DATA_vSetDefaultGroupId(root);
    vWriteU32(KEY_DEFAULT_GROUP, root);
}

void vBuildRootForDeleteAll(void)
{
    T_NAV_GROUP_DATA_bBuildRootGroup();
}

void vCollectSpace(NAV_DATA_SPACE* pData, U16 u16Root)
{
    T_NAV_GROUP_DATA_vScanGroupForGarbageCollectionEX(pData, u16Root);
}

// Steps 1-3 of the root build: the header, the root and default ids.
U16 u16CreateRootHeader(void)
{
    GROUP_SLOT g;
    memset(&g, 0, sizeof g);
    g.header.u8Status = WP_STATUS_GROUP_HEADER;
    g.header.u8Icon = ROOT_ICON;
    g.header.u16ParentIndex = NONE;
    g.header.u16FirstBodyIndex = NONE;
    // NUL-padded, not always terminated.
    const char* pcHome = Home[nCurrentLanguage()];
    memcpy(g.header.sName, pcHome, strnlen(pcHome, GROUP_NAME_CHARS));
    const U16 id = T_NAV_nAllocGroupSlot(FALSE);
    if (id == NONE)
        return NONE;
    if (!T_NAV_bSetGroupSlot(id, &g)) {
        T_NAV_vFreeGroupSlot(id);
        return NONE;
    }
    T_NAV_GROUP_DATA_vSetRootGroup(id);
    T_NAV_GROUP_DATA_vSetDefaultGroupId(id);
    vWriteU32(KEY_DEFAULT_GROUP, id);
    return id;
}

bool bLinkableRoute(const ROUTE* r)
{
    return (r->nCount >= 1 && r->nCount < ROUTE_MAX_POINTS) || r->u32DateTime != 0;
}

} // namespace

// Start-up ------------------------------------------------------------------

void T_NAV_GROUP_DATA_vInstallUpgradeQuery(NAV_GROUP_UPGRADE_QUERY pfnQuery)
{
    s_pfnUpgradeQuery = pfnQuery;
}

void T_NAV_GROUP_DATA_vInitGroups(void)
{
    NavLock lock;
    T_NAV_TWR_HOOKS hooks = *T_NAV_TWR_pGetHooks();
    hooks.pfnBuildRootGroup = vBuildRootForDeleteAll;
    T_NAV_TWR_vInstallHooks(&hooks);
    T_NAV_SPACE_vSetGarbageCollector(vCollectSpace);

    T_NAV_GROUP_DATA_vSettleUnitID();
    U32 u32Capable = 0;
    if (!H_DATABASE_bFetchU32(KEY_GROUPS_CAPABLE, &u32Capable, nullptr, nullptr))
        vWriteU32(KEY_GROUPS_CAPABLE, 1);

    const bool bUpgrading = s_pfnUpgradeQuery != nullptr && s_pfnUpgradeQuery();
    T_NAV_GROUP_DATA_vSetRootGroup(NONE);
    const U16 root = bUpgrading ? NONE : u16FindRoot();
    if (root != NONE) {
        T_NAV_GROUP_DATA_vSetRootGroup(root);
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        T_NAV_TWR_vStatisticRouteStore(TRUE);
        T_NAV_GROUP_DATA_vScanGroupForGarbageCollection(root);
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        T_NAV_TWR_vStatisticRouteStore(TRUE);
    } else {
        log_me("groups: %s, root group built afresh", bUpgrading ? "upgrade" : "no root group");
        for (U32 s = 0; s < SLOTS; ++s)
            if (T_NAV_GROUP_bIsGroupStatus(T_NAV_TWR_pGetNetworkWaypoint(s, 0)->u8Status))
                T_NAV_vDeleteGpWpSlot((U16)(NAV_ID_GROUP_TAG | s));
        T_NAV_TWR_vStatisticWaypointStore(FALSE);
        T_NAV_TWR_vStatisticRouteStore(FALSE);
        if (T_NAV_GROUP_DATA_bBuildRootGroup())
            T_NAV_GROUP_DATA_vLinkAllTwrIntoRootGroup();
    }
    vRestoreDefaultGroup();
}

BOOLEAN T_NAV_GROUP_DATA_bBuildRootGroup(void)
{
    NavLock lock;
    const U16 id = u16CreateRootHeader();
    if (id == NONE)
        return FALSE;
    return T_NAV_GROUP_DATA_bAddShareLockBody(id);
}

void T_NAV_GROUP_DATA_vLinkAllTwrIntoRootGroup(void)
{
    NavLock lock;
    U16* list = static_cast<U16*>(H_MEMORY_pvMallocNoWait(LINK_LIST_ENTRIES * sizeof(U16)));
    if (list == nullptr)
        return;
    const U16 root = T_NAV_GROUP_DATA_nGetRootGroup();
    auto isItem = [](U32 s) {
        const U32 st = T_NAV_TWR_pGetNetworkWaypoint(s, 0)->u8Status;
        return st == WP_STATUS_PERMANENT || st == WP_STATUS_TEMPORARY || st == WP_STATUS_MOB;
    };
    U32 n = 0;
    const S32 maxShare = T_NAV_s16GetMaxShareWaypointIndex();
    for (S32 s = 0; s <= maxShare && s < (S32)SLOTS; ++s)
        if (isItem((U32)s))
            list[n++] = (U16)s;
    T_NAV_GROUP_DATA_bAddLinks(root, list, n);

    n = 0;
    const S32 minLock = T_NAV_s16GetMinLockWaypointIndex();
    for (S32 s = minLock < 0 ? (S32)SLOTS : minLock; s < (S32)SLOTS; ++s)
        if (isItem((U32)s))
            list[n++] = (U16)s;
    T_NAV_GROUP_DATA_bAddLinks(root, list, n);

    n = 0;
    const S32 maxShareRoute = T_NAV_s16GetMaxShareRouteIndex();
    for (S32 i = 0; i <= maxShareRoute && i < (S32)NAV_ROUTE_SLOTS; ++i)
        if (bLinkableRoute(T_NAV_pGetRoute((U32)i)))
            list[n++] = (U16)(NAV_ID_ROUTE_TAG | i);
    T_NAV_GROUP_DATA_bAddLinks(root, list, n);

    n = 0;
    const S32 minLockRoute = T_NAV_s16GetMinLockRouteIndex();
    for (S32 i = minLockRoute < 0 ? (S32)NAV_ROUTE_SLOTS : minLockRoute; i < (S32)NAV_ROUTE_SLOTS; ++i)
        if (bLinkableRoute(T_NAV_pGetRoute((U32)i)))
            list[n++] = (U16)(NAV_ID_ROUTE_TAG | i);
    T_NAV_GROUP_DATA_bAddLinks(root, list, n);

    n = 0;
    for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i)
        if (T_NAV_pGetTrackHeader(i)->u16Count != 0)
            list[n++] = (U16)(NAV_ID_TRACK_TAG | s_u7UnitID | i);
    T_NAV_GROUP_DATA_bAddLinks(root, list, n);
    H_MEMORY_vFree(list);
}

// Unit id -------------------------------------------------------------------

U16 T_NAV_GROUP_DATA_u16Getu7UnitID(void)
{
    return s_u7UnitID;
}

void T_NAV_GROUP_DATA_vSettleUnitID(void)
{
    U32 u32Stored = 0;
    if (bFetchValid(KEY_UNIT_ID, &u32Stored) && bIsUnitID(u32Stored)) {
        s_u7UnitID = (U16)u32Stored;
        return;
    }
    U32 u32Model = 0, u32Serial = 0;
    if (!bFetchValid(KEY_MODEL, &u32Model))
        u32Model = 0;
    if (!bFetchValid(KEY_SERIAL, &u32Serial))
        u32Serial = 0;
    s_u7UnitID = T_NAV_GROUP_DATA_u16DeriveUnitID(u32Model, u32Serial);
    vWriteU32(KEY_UNIT_ID, s_u7UnitID);
}

U16 T_NAV_GROUP_DATA_u16DeriveUnitID(U32 u32Model, U32 u32Serial)
{
    const U64 number = (U64)u32Model << 32 | u32Serial;
    return (U16)((number % UNIT_ID_DIVISOR + 1) * NAV_UNIT_ID_STEP);
}

void T_NAV_GROUP_DATA_vResetUnitID(void)
{
    s_u7UnitID = 0;
}

namespace {

// The walk of a unit-id change: headers and bodies entered once each, and
// the shared step count.
struct UNIT_WALK {
    std::bitset<SLOTS> headers;
    std::bitset<SLOTS> bodies;
};

bool bStep(U32* pSteps)
{
    if (*pSteps >= NAV_GROUP_WALK_STEPS)
        return false;
    ++*pSteps;
    return true;
}

bool bChangeInGroup(UNIT_WALK& w, U16 uidGroup, U16 u7UnitID, U32* pSteps)
{
    if (!bStep(pSteps))
        return false;
    GROUP_SLOT* h = T_NAV_pGetGroupSlot(uidGroup);
    if (h == nullptr || h->header.u8Status != WP_STATUS_GROUP_HEADER || w.headers.test(uidGroup & 0x0FFF))
        return true;
    w.headers.set(uidGroup & 0x0FFF);
    U16 body = h->header.u16FirstBodyIndex;
    while (body != NONE) {
        if (!bStep(pSteps))
            return false;
        GROUP_SLOT g;
        const U32 slot = body == NAV_ID_SEPARATOR ? NAV_ROOT_LOCKED_SLOT : (body & 0x0FFFu);
        if (slot >= SLOTS || w.bodies.test(slot) || !T_NAV_bReadGroupSlot(body, &g) ||
            g.body.u8Status != WP_STATUS_GROUP_BODY)
            return true;
        w.bodies.set(slot);
        for (U16& link : g.body.u16Item) {
            if (!bStep(pSteps))
                return false;
            NAV_ITEM_ID item;
            const UNIFIED_TWR_TYPE t = T_NAV_TWR_eDecodeId(link, &item);
            if (t == TWR_TYPE_TRACK && item.u16Unit == (s_u7UnitID & NAV_ID_TRACK_UNIT_MASK))
                link = (U16)(NAV_ID_TRACK_TAG | u7UnitID | item.u16Index);
            else if (t == TWR_TYPE_GROUP && !bChangeInGroup(w, link, u7UnitID, pSteps))
                return false;
        }
        // In memory only, as the tree is written again with its next change.
        T_NAV_GROUP_vToWaypoint(&g, T_NAV_TWR_pGetNetworkWaypoint(slot, 0));
        body = g.body.u16NextIndex;
    }
    return true;
}

} // namespace

BOOLEAN T_NAV_GROUP_DATA_bChangeu7UnitIDInGroup(U16 uidGroup, U16 u7UnitID, U32* pu32InfiniteLoopDetectCnt)
{
    U32 local = 0;
    UNIT_WALK* w = new UNIT_WALK{};
    NavLock lock;
    const bool bDone =
        bChangeInGroup(*w, uidGroup, u7UnitID, pu32InfiniteLoopDetectCnt ? pu32InfiniteLoopDetectCnt : &local);
    delete w;
    return bDone ? TRUE : FALSE;
}

BOOLEAN T_NAV_GROUP_DATA_bChangeu7UnitID(U16 u7UnitID)
{
    const U16 root = T_NAV_GROUP_DATA_nGetRootGroup();
    if (root == NONE || !bIsUnitID(u7UnitID))
        return FALSE;
    NavLock lock;
    U32 steps = 0;
    const BOOLEAN bDone = T_NAV_GROUP_DATA_bChangeu7UnitIDInGroup(root, u7UnitID, &steps);
    s_u7UnitID = u7UnitID;
    vWriteU32(KEY_UNIT_ID, u7UnitID);
    return bDone;
}

// Start-up helpers ---------------------------------------------------------------

BOOLEAN T_NAV_GROUP_DATA_bCreateRootGroupForLoading(void)
{
    NavLock lock;
    return u16CreateRootHeader() != NONE ? TRUE : FALSE;
}

BOOLEAN T_NAV_GROUP_DATA_bLoadRootGroup(void)
{
    T_NAV_GROUP_DATA_vSetRootGroup(0);
    T_NAV_GROUP_DATA_vSetDefaultGroupId(0);
    vWriteU32(KEY_DEFAULT_GROUP, 0);
    return TRUE;
}

void T_NAV_GROUP_DATA_vReloadGroups(void)
{
    NavLock lock;
    T_NAV_GROUP_DATA_bCreateRootGroupForLoading();
    T_NAV_GROUP_DATA_bLoadRootGroup();
    T_NAV_GROUP_DATA_vLinkAllTwrIntoRootGroup();
    vRestoreDefaultGroup();
}
