// The waypoint table.
//
// Slots are chosen so that the shared part stays below the separator and
// the locked part above it: a shared waypoint takes the lowest free slot
// up to separator - reserve - 1, a locked one the highest free slot down
// to separator + reserve + 1. The split values (highest shared slot,
// lowest locked slot, separator) change only when the split is re-read
// (T_NAV_TWR_vStatisticWaypointStore), which an addition asks for when the
// highest shared or lowest locked slot has reached its reserve line, or
// while the separator is unknown.
//
// A move writes the new slot completely before it frees the old one, and
// everything that names the waypoint (hash entry, data-store keys, routes,
// peers, followers) is pointed at the new slot in between, so at no moment
// does a reference name a free slot.
#include "nav/data/t_nav_twr_waypoint.h"

#include "chart_sdk/geodesy/nv_calc.h"
#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/geodesy/nv_distn.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_network.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "store/h_database.h"
#include "util/u_convert.h"
#include "util/u_crc16.h"

#include <cstdio>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr S32 SLOTS = (S32)NAV_WAYPOINT_SLOTS;
constexpr S32 LAST_WAYPOINT_SLOT = SLOTS - 2; // 2998; 2999 holds the root group's locked body
constexpr S32 COMPACT_GAP = 9;                // parts this close are pressed together
constexpr U32 SHARED_RING = 100;              // shared waypoints compaction may move

constexpr FOURCHARID KEY_CURSOR_WAYPOINT = FCID("ICWP");
constexpr FOURCHARID KEY_LAST_WAYPOINT = FCID("CLWC");
constexpr FOURCHARID KEY_TARGET_WAYPOINT = FCID("ITWP");
constexpr FOURCHARID KEY_GRID_WAYPOINT = FCID("IGWP");
constexpr FOURCHARID KEY_DATE_TIME = FCID("IDTM");
constexpr FOURCHARID KEY_WAYPOINT_COUNTER = FCID("SWID");
constexpr FOURCHARID KEY_BOAT_LAT = FCID("ILAT");
constexpr FOURCHARID KEY_BOAT_LON = FCID("ILON");

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

struct SHARE_SPLIT {
    S32 nSeparator; // -1 while unknown
    S32 nMaxShareIndex;
    S32 nMinLockIndex;
    S16 nShared;
    S16 nLocked;
};

WAYPOINT s_aWaypoints[NAV_WAYPOINT_BANKS][NAV_WAYPOINT_SLOTS];
S32 s_nMaxUsedWaypointIndex[NAV_WAYPOINT_BANKS]; // highest used slot + 1
S16 s_nWaypointsUsed[NAV_WAYPOINT_BANKS];
U16 s_au16WaypointHash[NAV_WAYPOINT_SLOTS]; // own bank
SHARE_SPLIT s_Split = {-1, 0, 0, 0, 0};
BOOLEAN s_bSeparatorOff = FALSE;
BOOLEAN s_bCLWCUpdate = FALSE;
BOOLEAN s_bFlashHashCorrect = FALSE;
S32 s_s32MaxUsedMMC = 0;

NAV_WAYPOINT_MOVE_FOLLOWER s_apfnFollowers[NAV_MOVE_FOLLOWERS];

// Compaction's record of the waypoints it may move.
U16 s_au16Locked[NAV_WAYPOINT_SLOTS];
U16 s_au16SharedRing[SHARED_RING];

bool bIsWaypointStatus(U32 status)
{
    return status == WP_STATUS_PERMANENT || status == WP_STATUS_TEMPORARY || status == WP_STATUS_MOB;
}

bool bIsKeptStatus(U32 status)
{
    return status == WP_STATUS_PERMANENT || status == WP_STATUS_MOB;
}

bool bFetchU32(FOURCHARID key, U32* pValue)
{
    return H_DATABASE_bFetchU32(key, pValue, nullptr, nullptr) != FALSE;
}

U32 u32Now(void)
{
    U32 now = 0;
    bFetchU32(KEY_DATE_TIME, &now);
    return now;
}

void vRaiseMaxUsed(S32 bank, S32 slot)
{
    if (s_nMaxUsedWaypointIndex[bank] < slot + 1)
        s_nMaxUsedWaypointIndex[bank] = slot + 1;
}

// Default hooks -------------------------------------------------------------------

void vDefaultUpdateCursorWaypoint(U16 u16Id)
{
    H_DATABASE_bUpdateValueU32(KEY_CURSOR_WAYPOINT, u16Id, P_NORMAL);
}

void vDefaultNothing(void) {}

void vDefaultRemoveTarget(void)
{
    H_DATABASE_bUpdateValueU32(KEY_TARGET_WAYPOINT, NONE, P_NORMAL);
}

void vDefaultRemoveGrid(void)
{
    H_DATABASE_bUpdateValueU32(KEY_GRID_WAYPOINT, NONE, P_NORMAL);
}

const char* pcDefaultWaypointName(void)
{
    static char s_acName[16]; // room for any int; the slot keeps 12 characters
    S32 counter = T_NAV_s32GetMaxWayPointCounter() + 1;
    if (counter > NAV_WAYPOINT_COUNTER_MAX)
        counter = NAV_WAYPOINT_COUNTER_MAX;
    snprintf(s_acName, sizeof s_acName, "WP%03d", (int)counter);
    H_DATABASE_bUpdateValueS32(KEY_WAYPOINT_COUNTER, counter, P_NORMAL);
    return s_acName;
}

U16 u16DefaultFindWaypoint(const WAYPOINT* pWaypoint)
{
    if (pWaypoint == nullptr)
        return NONE;
    for (S32 slot = 0; slot < SLOTS; ++slot) {
        const WAYPOINT& w = s_aWaypoints[0][slot];
        if (bIsKeptStatus(w.u8Status) && w.u8Status == pWaypoint->u8Status &&
            w.bWpNotShared == pWaypoint->bWpNotShared && T_NAV_bWaypointCompare(&w, pWaypoint))
            return (U16)slot;
    }
    return NONE;
}

void vDefaultLinkNewWaypoint(U16) {}

void vDefaultGroupDataError(const char*, U32) {}

BOOLEAN bDefaultAddToDefaultGroup(U16 u16Id)
{
    return T_NAV_GROUP_DATA_bAddLink(T_NAV_GROUP_DATA_nGetDefaultGroup(), u16Id);
}

BOOLEAN bDefaultKeepInputStateMode(void)
{
    return FALSE;
}

void vDefaultDropFromCurrentRoute(U16) {}

const T_NAV_TWR_HOOKS DEFAULT_HOOKS = {
    vDefaultUpdateCursorWaypoint, vDefaultNothing, vDefaultRemoveTarget, vDefaultRemoveGrid, vDefaultNothing,
    pcDefaultWaypointName,        u16DefaultFindWaypoint, vDefaultLinkNewWaypoint, vDefaultNothing,
    vDefaultGroupDataError,       bDefaultAddToDefaultGroup, vDefaultNothing, vDefaultNothing,
    bDefaultKeepInputStateMode,   vDefaultDropFromCurrentRoute,
};

T_NAV_TWR_HOOKS s_Hooks = DEFAULT_HOOKS;

// Slot choice ---------------------------------------------------------------------

// The slots next to the separator that no addition takes.
bool bNeverChosen(S32 slot, S32 reserve)
{
    const S32 sep = s_Split.nSeparator;
    return slot == sep || slot == sep - reserve || slot == sep + reserve || slot == SLOTS - 1;
}

bool bFree(S32 slot)
{
    return s_aWaypoints[0][slot].u8Status == WP_STATUS_FREE;
}

S32 nChooseSlot(bool bLocked, S32 reserve)
{
    const S32 sep = s_Split.nSeparator;
    if (bLocked) {
        S32 lowest = s_bSeparatorOff ? 1 : sep + reserve + 1;
        if (lowest < 0)
            lowest = 0;
        for (S32 slot = LAST_WAYPOINT_SLOT; slot >= lowest; --slot)
            if (bFree(slot) && !bNeverChosen(slot, reserve))
                return slot;
        return -1;
    }
    S32 first = 0;
    S32 last = sep - reserve - 1;
    if (s_bSeparatorOff) {
        // Without the separator slot 0 is the shared part's anchor: while
        // it is free nothing else is handed out.
        if (bFree(0))
            return -1;
        first = 1;
        last = LAST_WAYPOINT_SLOT;
    }
    if (last > LAST_WAYPOINT_SLOT)
        last = LAST_WAYPOINT_SLOT;
    for (S32 slot = first; slot <= last; ++slot)
        if (bFree(slot) && !bNeverChosen(slot, reserve))
            return slot;
    return -1;
}

bool bPartsFull(S32 reserve)
{
    const SHARE_SPLIT& s = s_Split;
    return s.nSeparator != 0 && s.nMinLockIndex != 0 &&
           (s.nMaxShareIndex >= s.nSeparator - reserve || s.nMinLockIndex <= s.nSeparator + reserve);
}

// The split as the table holds it now: highest shared slot (-1 none) and
// lowest locked slot (2999 none) over every used slot, group records
// included.
void vReadSplit(S32* pnMaxShare, S32* pnMinLock)
{
    S32 maxShare = -1;
    S32 minLock = -1;
    for (S32 slot = 0; slot < SLOTS; ++slot) {
        const WAYPOINT& w = s_aWaypoints[0][slot];
        if (w.u8Status == WP_STATUS_FREE)
            continue;
        if (!w.bWpNotShared)
            maxShare = slot;
        else if (minLock == -1)
            minLock = slot;
    }
    *pnMaxShare = maxShare;
    *pnMinLock = minLock == -1 ? SLOTS - 1 : minLock;
}

// Moves ----------------------------------------------------------------------------

void vRedirectKey(FOURCHARID key, U16 u16Old, U16 u16New)
{
    U32 value = 0;
    if (!bFetchU32(key, &value) || value != u16Old)
        return;
    if (key == KEY_CURSOR_WAYPOINT)
        s_Hooks.pfnUpdateCursorWaypoint(u16New);
    else
        H_DATABASE_bUpdateValueU32(key, u16New, P_NORMAL);
}

S32 nMoveTarget(const WAYPOINT& w)
{
    if (w.bWpNotShared) {
        for (S32 slot = LAST_WAYPOINT_SLOT; slot > s_Split.nMaxShareIndex + 1; --slot)
            if (bFree(slot))
                return slot;
        return -1;
    }
    S32 last = s_Split.nMinLockIndex - 1;
    if (last > SLOTS - 3)
        last = SLOTS - 3;
    for (S32 slot = 2; slot <= last; ++slot) {
        if (bFree(slot))
            return slot == s_Split.nMinLockIndex - 1 ? -1 : slot;
    }
    return -1;
}

// Compaction ----------------------------------------------------------------------

// One pass of moves while the parts are pressed together. Locked waypoints
// go first, lowest first; once one cannot move, shared ones from the ring,
// newest first. FALSE when no room could be made (the caller leaves the
// separator unknown).
bool bCompact(U32 nLocked, U32 nRing, U32 ringPos)
{
    U32 nextLocked = 0;
    bool sharedMode = false;
    U32 ringSteps = 0;
    while (s_Split.nMinLockIndex - s_Split.nMaxShareIndex <= COMPACT_GAP) {
        if (s_Split.nMaxShareIndex == -1)
            return true;
        if (!sharedMode) {
            if (nextLocked >= nLocked)
                return true;
            if (T_NAV_u16MoveWaypoint(s_au16Locked[nextLocked]) != NONE) {
                ++nextLocked;
                vReadSplit(&s_Split.nMaxShareIndex, &s_Split.nMinLockIndex);
                continue;
            }
            sharedMode = true;
        }
        if (ringSteps == SHARED_RING || ringSteps == nRing) {
            log_me("Waypoint compaction: no shared waypoint left to move");
            s_Hooks.pfnGroupDataError(__FILE__, __LINE__);
            return ringSteps == SHARED_RING ? false : true;
        }
        ringPos = (ringPos + SHARED_RING - 1) % SHARED_RING;
        ++ringSteps;
        if (T_NAV_u16MoveWaypoint(s_au16SharedRing[ringPos]) == NONE) {
            log_me("Waypoint compaction: shared waypoint %u cannot move", s_au16SharedRing[ringPos]);
            s_Hooks.pfnGroupDataError(__FILE__, __LINE__);
            return false;
        }
        vReadSplit(&s_Split.nMaxShareIndex, &s_Split.nMinLockIndex);
    }
    return true;
}

void vTellFollowers(U16 u16Old, U16 u16New)
{
    for (NAV_WAYPOINT_MOVE_FOLLOWER pfn : s_apfnFollowers)
        if (pfn)
            pfn(u16Old, u16New);
}

U16 u16LocalCopy(U16 u16Id, bool bTemporary)
{
    NavLock lock;
    if (T_NAV_TWR_bIsLocalWaypoint(u16Id))
        return u16Id;
    const WAYPOINT* w = T_NAV_pGetWaypoint(u16Id);
    if (w == nullptr || !bIsWaypointStatus(w->u8Status))
        return NONE;
    U16 found = s_Hooks.pfnFindWaypoint(w);
    if (found != NONE)
        return found;
    WAYPOINT copy = *w;
    if (bTemporary)
        copy.u8Status = WP_STATUS_TEMPORARY;
    return T_NAV_u16WaypointAdd(&copy, TRUE, FALSE);
}

// A waypoint or group id that names a slot of the table.
bool bDecodeSlot(U32 id, S32* pBank, S32* pSlot)
{
    if (id > 0xFFFF || T_NAV_pGetWaypoint(id) == nullptr)
        return false;
    *pBank = (S32)(id >> 12 & 3);
    *pSlot = (S32)(id & 0x0FFF);
    return true;
}

void vRoomRecount(void)
{
    if (s_Split.nSeparator == s_Split.nMaxShareIndex || s_Split.nSeparator == s_Split.nMinLockIndex)
        T_NAV_TWR_vStatisticWaypointStore(FALSE);
}

bool bRoomBlocked(void)
{
    const SHARE_SPLIT& s = s_Split;
    return s.nSeparator != 0 && s.nMinLockIndex != 0 &&
           (s.nSeparator == s.nMaxShareIndex || s.nSeparator == s.nMinLockIndex);
}

// The room test: the first free slot from the part's end toward the
// separator, which itself does not count. No free slot at all is no room.
BOOLEAN bThereIsRoom(bool bLocked, S32 top, S32 sharedLast)
{
    NavLock lock;
    vRoomRecount();
    if (bRoomBlocked())
        return FALSE;
    const S32 sep = s_Split.nSeparator;
    if (bLocked) {
        for (S32 slot = top; slot >= 0 && slot >= sep; --slot)
            if (bFree(slot))
                return slot != sep ? TRUE : FALSE;
        return FALSE;
    }
    S32 last = sep < sharedLast ? sep : sharedLast;
    for (S32 slot = 0; slot <= last; ++slot)
        if (bFree(slot))
            return slot != sep ? TRUE : FALSE;
    return FALSE;
}

} // namespace

// Hooks and followers -------------------------------------------------------------

void T_NAV_TWR_vInstallHooks(const T_NAV_TWR_HOOKS* pHooks)
{
    NavLock lock;
    s_Hooks = DEFAULT_HOOKS;
    if (pHooks == nullptr)
        return;
#define NAV_TAKE(member)                   \
    if (pHooks->member != nullptr)         \
        s_Hooks.member = pHooks->member;
    NAV_TAKE(pfnUpdateCursorWaypoint)
    NAV_TAKE(pfnUnregisterLastWaypointMenu)
    NAV_TAKE(pfnRemoveTarget)
    NAV_TAKE(pfnRemoveGrid)
    NAV_TAKE(pfnUpdateCursorToWaypointMenu)
    NAV_TAKE(pfnGetDefaultWaypointName)
    NAV_TAKE(pfnFindWaypoint)
    NAV_TAKE(pfnLinkNewWaypoint)
    NAV_TAKE(pfnRefreshDirectory)
    NAV_TAKE(pfnGroupDataError)
    NAV_TAKE(pfnAddToDefaultGroup)
    NAV_TAKE(pfnUnregisterLastSavedRouteMenu)
    NAV_TAKE(pfnBuildRootGroup)
    NAV_TAKE(pfnKeepInputStateMode)
    NAV_TAKE(pfnDropFromCurrentRoute)
#undef NAV_TAKE
}

const T_NAV_TWR_HOOKS* T_NAV_TWR_pGetHooks(void)
{
    return &s_Hooks;
}

BOOLEAN T_NAV_TWR_bAddMoveFollower(NAV_WAYPOINT_MOVE_FOLLOWER pfnFollower)
{
    if (pfnFollower == nullptr)
        return FALSE;
    NavLock lock;
    for (NAV_WAYPOINT_MOVE_FOLLOWER pfn : s_apfnFollowers)
        if (pfn == pfnFollower)
            return TRUE;
    for (NAV_WAYPOINT_MOVE_FOLLOWER& pfn : s_apfnFollowers) {
        if (pfn == nullptr) {
            pfn = pfnFollower;
            return TRUE;
        }
    }
    return FALSE;
}

void T_NAV_TWR_vRemoveMoveFollower(NAV_WAYPOINT_MOVE_FOLLOWER pfnFollower)
{
    NavLock lock;
    for (NAV_WAYPOINT_MOVE_FOLLOWER& pfn : s_apfnFollowers)
        if (pfn == pfnFollower)
            pfn = nullptr;
}

// The tables ------------------------------------------------------------------------

void T_NAV_TWR_vClearWaypointBanks(void)
{
    memset(s_aWaypoints, 0, sizeof s_aWaypoints);
    memset(s_nMaxUsedWaypointIndex, 0, sizeof s_nMaxUsedWaypointIndex);
    memset(s_nWaypointsUsed, 0, sizeof s_nWaypointsUsed);
    memset(s_au16WaypointHash, 0, sizeof s_au16WaypointHash);
    s_Split = {-1, 0, 0, 0, 0};
}

void T_NAV_TWR_vFreeOwnBank(BOOLEAN bOverridePointOfSale)
{
    NavLock lock;
    bool filesMet = false;
    for (WAYPOINT& w : s_aWaypoints[0]) {
        if (w.u8Status == WP_STATUS_FREE)
            continue;
        filesMet = filesMet || w.u8Status != WP_STATUS_TEMPORARY;
        w.u8Status = WP_STATUS_FREE;
    }
    // Group records have files too: left behind, they would come back at
    // the next start-up beside the root group built afresh.
    if (filesMet)
        T_NAV_NVRAM_vDeleteAllWaypointFiles(bOverridePointOfSale);
    s_nWaypointsUsed[0] = 0;
    s_nMaxUsedWaypointIndex[0] = 0;
    memset(s_au16WaypointHash, 0, sizeof s_au16WaypointHash);
}

WAYPOINT* T_NAV_pGetWaypoint(U32 id)
{
    if (id == NONE)
        return nullptr;
    U32 slot = id & 0x0FFF;
    if (slot >= NAV_WAYPOINT_SLOTS)
        return nullptr;
    return &s_aWaypoints[id >> 12 & 3][slot];
}

WAYPOINT* T_NAV_TWR_pGetNetworkWaypoint(U32 slot, int bank)
{
    // Or-ing a bank past 3 into an id would land in bits 14-15, which the
    // id lookup ignores, and alias bank 0.
    if (bank < 0 || bank >= (int)NAV_WAYPOINT_BANKS || slot >= NAV_WAYPOINT_SLOTS)
        return nullptr;
    return T_NAV_pGetWaypoint((U32)bank << 12 | slot);
}

BOOLEAN T_NAV_TWR_bIsLocalWaypoint(U32 id)
{
    return (id & 0x3000) == 0 ? TRUE : FALSE;
}

// Own waypoints ---------------------------------------------------------------------

U16 T_NAV_u16WaypointAdd(const WAYPOINT* pWaypoint, BOOLEAN bImport, BOOLEAN)
{
    if (pWaypoint == nullptr || !bIsWaypointStatus(pWaypoint->u8Status))
        return NONE;
    NavLock lock;
    const S32 reserve = pWaypoint->u8Status == WP_STATUS_MOB ? 0 : NAV_SHARE_LOCK_RESERVE;
    if (!s_bSeparatorOff) {
        // An unknown separator (never computed, or left so by a compaction
        // that found no room) is computed again, so that deletions since
        // then are seen.
        // The group slots move the separator too (with nothing locked it
        // follows the shared part up), so a part already past its reserve
        // line is a reason to re-read as well.
        if (s_Split.nSeparator < 0 || s_Split.nSeparator - reserve <= s_Split.nMaxShareIndex ||
            s_Split.nSeparator + reserve >= s_Split.nMinLockIndex)
            T_NAV_TWR_vStatisticWaypointStore(FALSE);
        if (bPartsFull(reserve))
            return NONE;
    }
    const S32 slot = nChooseSlot(pWaypoint->bWpNotShared, reserve);
    if (slot < 0)
        return NONE;

    WAYPOINT* w = &s_aWaypoints[0][slot];
    *w = *pWaypoint;
    if (!bImport && w->sName[0] == '\0') {
        const char* name = s_Hooks.pfnGetDefaultWaypointName();
        memset(w->sName, 0, sizeof w->sName);
        if (name != nullptr)
            strncpy(w->sName, name, sizeof w->sName);
    }
    if (w->u32DateTime == 0)
        w->u32DateTime = u32Now();

    vRaiseMaxUsed(0, slot);
    if (bIsKeptStatus(w->u8Status)) {
        T_NAV_NVRAM_vSaveWaypoint(w, (U16)slot, FALSE);
        if (s_bCLWCUpdate)
            H_DATABASE_bUpdateValueU32(KEY_LAST_WAYPOINT, (U32)slot, P_NORMAL);
    }
    ++s_nWaypointsUsed[0];
    T_NAV_NETWORK_vAddWaypoint((U16)slot, 1, w);
    s_au16WaypointHash[slot] = T_NAV_TWR_u16HashWaypoint(w);
    if (!T_NAV_TWR_bGetMultiWaypointFlag()) {
        T_NAV_TWR_vSetDuplicateFlag((U32)slot, 0);
        T_NAV_TWR_vDeclutterWaypointsAdd((U32)slot);
    }
    return (U16)slot;
}

S32 T_NAV_nAddWaypoint(const WAYPOINT* pWaypoint, BOOLEAN bImport)
{
    return T_NAV_u16WaypointAdd(pWaypoint, bImport, FALSE);
}

U16 T_NAV_u16SaveWaypointFromStevrin(const WAYPOINT* pWaypoint)
{
    NavLock lock;
    const U16 id = T_NAV_u16WaypointAdd(pWaypoint, FALSE, FALSE);
    if (id != NONE && pWaypoint->u8Status != WP_STATUS_TEMPORARY)
        s_Hooks.pfnLinkNewWaypoint(id);
    return id;
}

void T_NAV_vSaveWaypoint(U32 id, const WAYPOINT* pWaypoint, BOOLEAN bOverridePointOfSale, BOOLEAN)
{
    if (pWaypoint == nullptr || id >= NAV_WAYPOINT_SLOTS)
        return;
    NavLock lock;
    WAYPOINT* w = &s_aWaypoints[0][id];
    const bool wasFree = w->u8Status == WP_STATUS_FREE;
    *w = *pWaypoint;
    if (w->u8Status != WP_STATUS_MOB)
        w->u8Status = WP_STATUS_PERMANENT;
    if (wasFree)
        ++s_nWaypointsUsed[0];
    vRaiseMaxUsed(0, (S32)id);
    T_NAV_NVRAM_vSaveWaypoint(w, (U16)id, bOverridePointOfSale);
    T_NAV_NETWORK_vEditWaypoint((U16)id, 1, w, 0);
    s_au16WaypointHash[id] = T_NAV_TWR_u16HashWaypoint(w);
}

void T_NAV_vMakeWaypointPermanent(U32 id)
{
    if (id >= NAV_WAYPOINT_SLOTS)
        return;
    NavLock lock;
    WAYPOINT* w = &s_aWaypoints[0][id];
    if (w->u8Status != WP_STATUS_TEMPORARY)
        return;
    w->u8Status = WP_STATUS_PERMANENT;
    T_NAV_NVRAM_vSaveWaypoint(w, (U16)id, FALSE);
    T_NAV_NETWORK_vEditWaypoint((U16)id, 1, w, 0);
    s_au16WaypointHash[id] = T_NAV_TWR_u16HashWaypoint(w);
}

BOOLEAN T_NAV_bClearTemporaryWaypoint(U32 id)
{
    S32 bank = 0, slot = 0;
    NavLock lock;
    if (!bDecodeSlot(id, &bank, &slot) || s_aWaypoints[bank][slot].u8Status != WP_STATUS_TEMPORARY)
        return FALSE;
    // The slot is erased without the deletion's key and menu bookkeeping,
    // but its count, the peers and the duplicate table still learn of it:
    // otherwise a peer keeps showing it and an equal waypoint stays marked
    // as its duplicate, undrawn.
    memset(&s_aWaypoints[bank][slot], 0, sizeof(WAYPOINT));
    --s_nWaypointsUsed[bank];
    T_NAV_NETWORK_vDeleteWaypoint((U16)slot, 1, bank);
    T_NAV_TWR_vRebuildDerivedTables();
    return TRUE;
}

BOOLEAN T_NAV_bDeleteTemporaryWaypoint(U32 id)
{
    S32 bank = 0, slot = 0;
    NavLock lock;
    if (!bDecodeSlot(id, &bank, &slot))
        return FALSE;
    WAYPOINT* w = &s_aWaypoints[bank][slot];
    if (w->u8Status != WP_STATUS_TEMPORARY)
        return FALSE;
    w->u8Status = WP_STATUS_FREE;
    --s_nWaypointsUsed[bank];
    T_NAV_NETWORK_vDeleteWaypoint((U16)slot, 1, bank);
    if (!T_NAV_TWR_bDuplicateScanDisabled())
        T_NAV_TWR_vDuplicateWaypointsScan();
    // The declutter tables must forget its icon as well.
    if (!T_NAV_TWR_bGetMultiWaypointFlag())
        T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE_BOTH);
    memset(w, 0, sizeof *w);
    return TRUE;
}

BOOLEAN T_NAV_bDeleteWaypoint(U32 id, BOOLEAN bOverridePointOfSale)
{
    S32 bank = 0, slot = 0;
    NavLock lock;
    if (!bDecodeSlot(id, &bank, &slot) || s_aWaypoints[bank][slot].u8Status == WP_STATUS_FREE)
        return FALSE;
    const bool kept = bIsKeptStatus(s_aWaypoints[bank][slot].u8Status);
    // Only an own slot has a hash and a file; a peer's slot number must not
    // delete the own file of the same number.
    if (kept && bank == 0) {
        s_au16WaypointHash[slot] = 0;
        T_NAV_NVRAM_vDeleteWaypoint((U16)slot, bOverridePointOfSale);
    }
    T_NAV_NETWORK_vDeleteWaypoint((U16)slot, 1, bank);
    T_NAV_vProcessWaypointDeletion(id, FALSE);
    return kept ? TRUE : FALSE;
}

void T_NAV_vProcessWaypointDeletion(U32 id, BOOLEAN bUnLock)
{
    S32 bank = 0, slot = 0;
    if (bDecodeSlot(id, &bank, &slot)) {
        NavLock lock;
        WAYPOINT* w = &s_aWaypoints[bank][slot];
        // A slot already free is not counted out twice.
        if (w->u8Status != WP_STATUS_FREE) {
            w->u8Status = WP_STATUS_FREE;
            if (s_nMaxUsedWaypointIndex[bank] == (S32)id + 1)
                s_nMaxUsedWaypointIndex[bank] = (S32)id;
            --s_nWaypointsUsed[bank];
        }
        U32 value = 0;
        if (bFetchU32(KEY_CURSOR_WAYPOINT, &value) && value == id)
            s_Hooks.pfnUpdateCursorWaypoint(NONE);
        if (bFetchU32(KEY_LAST_WAYPOINT, &value) && value == id)
            s_Hooks.pfnUnregisterLastWaypointMenu();
        if (bFetchU32(KEY_TARGET_WAYPOINT, &value) && value == id)
            s_Hooks.pfnRemoveTarget();
        else if (bFetchU32(KEY_GRID_WAYPOINT, &value) && value == id)
            s_Hooks.pfnRemoveGrid();
        T_NAV_TWR_vRebuildDerivedTables();
    }
    if (bUnLock)
        L_MUTEX_Unlock(RES_NAV_DATA);
    s_Hooks.pfnUpdateCursorToWaypointMenu();
}

U16 T_NAV_u16MoveWaypoint(U32 id)
{
    if (id >= NAV_WAYPOINT_SLOTS)
        return NONE;
    NavLock lock;
    const WAYPOINT old = s_aWaypoints[0][id];
    if (!bIsWaypointStatus(old.u8Status))
        return NONE;
    const S32 target = nMoveTarget(old);
    if (target < 0)
        return NONE;
    const U16 u16Old = (U16)id;
    const U16 u16New = (U16)target;

    WAYPOINT* w = &s_aWaypoints[0][target];
    *w = old;
    if (w->u32DateTime == 0)
        w->u32DateTime = u32Now();
    vRaiseMaxUsed(0, target);
    ++s_nWaypointsUsed[0];
    if (bIsKeptStatus(w->u8Status)) {
        T_NAV_NVRAM_vSaveWaypoint(w, u16New, FALSE);
        if (s_bCLWCUpdate)
            H_DATABASE_bUpdateValueU32(KEY_LAST_WAYPOINT, u16New, P_NORMAL);
    }
    T_NAV_TWR_vDeclutterWaypointsAdd(u16New);

    // Everything that names the waypoint follows it before the old slot
    // is freed, so the deletion below finds nothing to clear.
    s_au16WaypointHash[target] = s_au16WaypointHash[id];
    s_au16WaypointHash[id] = 0;
    T_NAV_NETWORK_vEditWaypoint(u16New, 1, w, 0);
    vRedirectKey(KEY_CURSOR_WAYPOINT, u16Old, u16New);
    vRedirectKey(KEY_LAST_WAYPOINT, u16Old, u16New);
    vRedirectKey(KEY_TARGET_WAYPOINT, u16Old, u16New);
    vRedirectKey(KEY_GRID_WAYPOINT, u16Old, u16New);
    vTellFollowers(u16Old, u16New);

    if (bIsKeptStatus(old.u8Status))
        T_NAV_NVRAM_vDeleteWaypoint(u16Old, FALSE);
    T_NAV_NETWORK_vDeleteWaypoint(u16Old, 1, 0);
    T_NAV_vProcessWaypointDeletion(u16Old, FALSE);
    return u16New;
}

// The shared/locked split ---------------------------------------------------------

void T_NAV_TWR_vStatisticWaypointStore(BOOLEAN bOnlyStatistic)
{
    NavLock lock;
    s_Split.nSeparator = -1;
    s_Split.nMaxShareIndex = -1;
    s_Split.nMinLockIndex = -1;

    U32 nLocked = 0;
    U32 nRing = 0;
    U32 ringPos = 0;
    for (U16& e : s_au16SharedRing)
        e = NONE;
    for (S32 slot = 0; slot < SLOTS; ++slot) {
        const WAYPOINT& w = s_aWaypoints[0][slot];
        if (w.u8Status == WP_STATUS_FREE)
            continue;
        const bool movable = !bOnlyStatistic && bIsWaypointStatus(w.u8Status);
        if (!w.bWpNotShared) {
            s_Split.nMaxShareIndex = slot;
            if (movable) {
                s_au16SharedRing[ringPos] = (U16)slot;
                ringPos = (ringPos + 1) % SHARED_RING;
                if (nRing < SHARED_RING)
                    ++nRing;
            }
        } else {
            if (s_Split.nMinLockIndex == -1)
                s_Split.nMinLockIndex = slot;
            if (movable)
                s_au16Locked[nLocked++] = (U16)slot;
        }
    }
    if (s_Split.nMinLockIndex == -1)
        s_Split.nMinLockIndex = SLOTS - 1;

    if (!bOnlyStatistic && s_Split.nMinLockIndex - s_Split.nMaxShareIndex <= COMPACT_GAP &&
        s_Split.nMaxShareIndex != -1) {
        // The moves run as one bulk change: the peers then get one edit of
        // the whole table and the derived tables are rebuilt once.
        const bool bulkHere = !T_NAV_TWR_bGetMultiWaypointFlag();
        if (bulkHere)
            T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
        const bool ok = bCompact(nLocked, nRing, ringPos);
        if (bulkHere)
            T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
        if (!ok)
            return;
        vReadSplit(&s_Split.nMaxShareIndex, &s_Split.nMinLockIndex);
    }
    if (s_Split.nMaxShareIndex <= s_Split.nMinLockIndex)
        s_Split.nSeparator = (s_Split.nMaxShareIndex + s_Split.nMinLockIndex) / 2;
}

S16 T_NAV_s16GetMaxShareWaypointIndex(void)
{
    return (S16)s_Split.nMaxShareIndex;
}

S16 T_NAV_s16GetMinLockWaypointIndex(void)
{
    return (S16)s_Split.nMinLockIndex;
}

S32 T_NAV_TWR_nGetShareLockSeparator(void)
{
    return s_Split.nSeparator;
}

BOOLEAN T_NAV_TWR_bDisableShareLockSeperator(BOOLEAN bDisable)
{
    NavLock lock;
    s_bSeparatorOff = bDisable ? TRUE : FALSE;
    return TRUE;
}

void T_NAV_TWR_vGetShareSplit(S32* pnSeparator, S32* pnMaxShareIndex, S32* pnMinLockIndex)
{
    *pnSeparator = s_Split.nSeparator;
    *pnMaxShareIndex = s_Split.nMaxShareIndex;
    *pnMinLockIndex = s_Split.nMinLockIndex;
}

void T_NAV_TWR_vSetShareSplit(S32 nSeparator, S32 nMaxShareIndex, S32 nMinLockIndex)
{
    s_Split.nSeparator = nSeparator;
    s_Split.nMaxShareIndex = nMaxShareIndex;
    s_Split.nMinLockIndex = nMinLockIndex;
}

void T_NAV_TWR_vCountGroupSlot(U16 u16Slot, BOOLEAN bTaken, BOOLEAN bCount)
{
    if (u16Slot >= SLOTS)
        return;
    if (bTaken) {
        if (bCount)
            ++s_nWaypointsUsed[0];
        vRaiseMaxUsed(0, u16Slot);
        return;
    }
    if (bCount && s_nWaypointsUsed[0] > 0)
        --s_nWaypointsUsed[0];
    if (s_nMaxUsedWaypointIndex[0] == (S32)u16Slot + 1)
        s_nMaxUsedWaypointIndex[0] = u16Slot;
}

void T_NAV_TWR_vSetWaypointHashEntry(U16 u16Slot, U16 u16Hash)
{
    if (u16Slot < SLOTS)
        s_au16WaypointHash[u16Slot] = u16Hash;
}

BOOLEAN T_NAV_TWR_bShareLockSeparatorDisabled(void)
{
    return s_bSeparatorOff;
}

BOOLEAN T_NAV_bThereIsMoreRoomForGroup(BOOLEAN bNotShared)
{
    return bThereIsRoom(bNotShared, SLOTS - 1, SLOTS - 1);
}

BOOLEAN T_NAV_bThereIsMoreRoomForWP(BOOLEAN bWpNotShared)
{
    return bThereIsRoom(bWpNotShared, LAST_WAYPOINT_SLOT, SLOTS - 3);
}

// Finding and comparing ---------------------------------------------------------

BOOLEAN T_NAV_bWaypointCompare(const WAYPOINT* pA, const WAYPOINT* pB)
{
    if (pA == nullptr || pB == nullptr)
        return FALSE;
    return pA->u8Icon == pB->u8Icon && pA->u16Depth == pB->u16Depth && pA->u32DateTime == pB->u32DateTime &&
                   pA->pt.x == pB->pt.x && pA->pt.y == pB->pt.y &&
                   memcmp(pA->sName, pB->sName, WAYPOINT_NAME_CHARS) == 0
               ? TRUE
               : FALSE;
}

U16 T_NAV_TWR_u16HashWaypoint(const WAYPOINT* pWaypoint)
{
    U8 bytes[WAYPOINT_BYTES];
    T_NAV_RECORD_vEncodeWaypoint(pWaypoint, bytes);
    U16 crc = 0;
    U_CRC16_vCrc16(&crc, bytes, (U16)WAYPOINT_BYTES, TRUE);
    return crc;
}

U16 T_NAV_TWR_u16FindWaypoint(const WAYPOINT* pWaypoint)
{
    if (pWaypoint == nullptr)
        return NONE;
    const U16 hash = T_NAV_TWR_u16HashWaypoint(pWaypoint);
    NavLock lock;
    for (S32 slot = 0; slot < SLOTS; ++slot) {
        const WAYPOINT& w = s_aWaypoints[0][slot];
        // A freed slot keeps its fields; it is never a match.
        if (s_au16WaypointHash[slot] == hash && w.u8Status != WP_STATUS_FREE && T_NAV_bWaypointCompare(&w, pWaypoint))
            return (U16)slot;
    }
    return NONE;
}

const U16* T_NAV_TWR_pu16GetWaypointsHash(void)
{
    return s_au16WaypointHash;
}

void T_NAV_TWR_vHashWaypoints(void)
{
    NavLock lock;
    S16 used = 0, locked = 0, shared = 0;
    S32 maxUsed = 0;
    for (S32 slot = 0; slot < SLOTS; ++slot) {
        const WAYPOINT& w = s_aWaypoints[0][slot];
        const U32 status = w.u8Status;
        if (status == WP_STATUS_FREE || status == WP_STATUS_GROUP_HEADER || status == WP_STATUS_GROUP_BODY) {
            s_au16WaypointHash[slot] = 0;
            if (status != WP_STATUS_FREE)
                maxUsed = slot + 1;
            continue;
        }
        ++used;
        maxUsed = slot + 1;
        if (w.bWpNotShared)
            ++locked;
        else if (status != WP_STATUS_TEMPORARY)
            ++shared;
        s_au16WaypointHash[slot] = T_NAV_TWR_u16HashWaypoint(&w);
    }
    s_nWaypointsUsed[0] = used;
    s_nMaxUsedWaypointIndex[0] = maxUsed;
    s_Split.nLocked = locked;
    s_Split.nShared = shared;
}

BOOLEAN T_NAV_TWR_bIsFlashHashCorrect(void)
{
    return s_bFlashHashCorrect;
}

void T_NAV_TWR_vSetFlashHashCorrectFlag(BOOLEAN bCorrect)
{
    s_bFlashHashCorrect = bCorrect;
}

U16 T_NAV_TWR_u16CopyLocal(U16 u16Id)
{
    return u16LocalCopy(u16Id, false);
}

U16 T_NAV_TWR_u16MakeLocal(U16 u16Id)
{
    return u16LocalCopy(u16Id, true);
}

// Peer banks --------------------------------------------------------------------------

S32 T_NAV_TWR_nAddNetworkWaypoint(U32 slot, const WAYPOINT* pWaypoint, S32 bank)
{
    if (bank < 1 || bank >= (S32)NAV_WAYPOINT_BANKS || pWaypoint == nullptr || !bIsWaypointStatus(pWaypoint->u8Status))
        return NONE;
    NavLock lock;
    if (slot == NONE) {
        for (slot = 0; slot < NAV_WAYPOINT_SLOTS; ++slot)
            if (s_aWaypoints[bank][slot].u8Status == WP_STATUS_FREE)
                break;
    }
    if (slot >= NAV_WAYPOINT_SLOTS)
        return NONE;
    WAYPOINT* w = &s_aWaypoints[bank][slot];
    const bool wasFree = w->u8Status == WP_STATUS_FREE;
    *w = *pWaypoint;
    const U32 id = (U32)bank << 12 | slot;
    vRaiseMaxUsed(bank, (S32)slot);
    if (wasFree) {
        ++s_nWaypointsUsed[bank];
        if (!T_NAV_TWR_bGetMultiWaypointFlag()) {
            T_NAV_TWR_vSetDuplicateFlag(id, 0);
            T_NAV_TWR_vDeclutterWaypointsAdd(id);
        }
    } else {
        T_NAV_TWR_vRebuildDerivedTables();
    }
    return (S32)id;
}

BOOLEAN T_NAV_TWR_bDeleteNetworkWaypoint(U32 slot, S32 bank)
{
    if (bank < 1 || bank >= (S32)NAV_WAYPOINT_BANKS || slot >= NAV_WAYPOINT_SLOTS)
        return FALSE;
    NavLock lock;
    if (s_aWaypoints[bank][slot].u8Status != WP_STATUS_FREE)
        T_NAV_vProcessWaypointDeletion((U32)bank << 12 | slot, FALSE);
    return TRUE;
}

void T_NAV_TWR_vInitWaypointTable(S32 bank)
{
    if (bank < 1 || bank >= (S32)NAV_WAYPOINT_BANKS)
        return;
    NavLock lock;
    for (WAYPOINT& w : s_aWaypoints[bank])
        w.u8Status = WP_STATUS_FREE;
    s_nMaxUsedWaypointIndex[bank] = 0;
    s_nWaypointsUsed[bank] = 0;
    // Waypoints of other banks marked as copies of the ones just dropped
    // would stay undrawn.
    T_NAV_TWR_vRebuildDerivedTables();
}

// Accessors and counts --------------------------------------------------------------

S32 T_NAV_TWR_nGetMaxUsedWaypointIndex(S32 bank)
{
    if (bank < 0 || bank >= (S32)NAV_WAYPOINT_BANKS)
        return 0;
    return s_nMaxUsedWaypointIndex[bank];
}

U16 T_NAV_TWR_u16GetMaxUsedWaypoint(void)
{
    return s_nMaxUsedWaypointIndex[0] < 1 ? 0 : (U16)s_nMaxUsedWaypointIndex[0];
}

void T_NAV_vCopyWaypoint(U32 id, WAYPOINT* pWaypoint)
{
    NavLock lock;
    const WAYPOINT* w = T_NAV_pGetWaypoint(id);
    if (w != nullptr && pWaypoint != nullptr)
        *pWaypoint = *w;
}

U8 T_NAV_u8GetWaypointIcon(U32 id)
{
    NavLock lock;
    const WAYPOINT* w = T_NAV_pGetWaypoint(id);
    return w != nullptr ? w->u8Icon : 0;
}

void T_NAV_vCopyWaypointName(U32 id, char* pcName, U32 u32Limit)
{
    if (pcName == nullptr || u32Limit == 0)
        return;
    NavLock lock;
    const WAYPOINT* w = T_NAV_pGetWaypoint(id);
    if (w == nullptr)
        return;
    U32 n = 0;
    while (n + 1 < u32Limit && n < WAYPOINT_NAME_CHARS && w->sName[n] != '\0') {
        pcName[n] = w->sName[n];
        ++n;
    }
    pcName[n] = '\0';
}

void T_NAV_vCopyWaypointPoint(U32 id, POINT* pPoint)
{
    NavLock lock;
    const WAYPOINT* w = T_NAV_pGetWaypoint(id);
    if (w != nullptr && pPoint != nullptr)
        *pPoint = w->pt;
}

BOOLEAN T_NAV_bWaypointsExist(void)
{
    NavLock lock;
    for (S32 bank = 0; bank < (S32)NAV_WAYPOINT_BANKS; ++bank)
        for (S32 slot = 0; slot < s_nMaxUsedWaypointIndex[bank] && slot < SLOTS; ++slot)
            if (bIsWaypointStatus(s_aWaypoints[bank][slot].u8Status))
                return TRUE;
    return FALSE;
}

S32 T_NAV_TWR_nGetWaypointCount(void)
{
    NavLock lock;
    S32 n = 0;
    for (const auto& bank : s_aWaypoints)
        for (const WAYPOINT& w : bank)
            n += bIsKeptStatus(w.u8Status);
    return n;
}

S32 T_NAV_TWR_nGetGroupVisibleCount(void)
{
    NavLock lock;
    S32 n = 0;
    for (const WAYPOINT& w : s_aWaypoints[0])
        n += w.u8Status == WP_STATUS_GROUP_HEADER;
    return n;
}

S32 T_NAV_TWR_nGetGroupTotalCount(void)
{
    NavLock lock;
    S32 n = 0;
    for (const WAYPOINT& w : s_aWaypoints[0])
        n += w.u8Status == WP_STATUS_GROUP_HEADER || w.u8Status == WP_STATUS_GROUP_BODY;
    return n;
}

void T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(S32 s32Max)
{
    s_s32MaxUsedMMC = s32Max;
}

S32 T_NAV_TWR_s32GetMaxUsedWaypointIndexMMC(void)
{
    return s_s32MaxUsedMMC;
}

void T_NAV_TWR_vEvalWP(U32 id, double* pLat, double* pLon, float* pDist)
{
    POINT boat = {0, 0};
    S32 v = 0;
    if (H_DATABASE_bFetchS32(KEY_BOAT_LAT, &v, nullptr, nullptr))
        boat.y = v;
    if (H_DATABASE_bFetchS32(KEY_BOAT_LON, &v, nullptr, nullptr))
        boat.x = v;
    POINT pt = {0, 0};
    {
        NavLock lock;
        const WAYPOINT* w = T_NAV_pGetWaypoint(id);
        if (w == nullptr)
            return;
        pt = w->pt;
    }
    POSITION from = {0, 0}, to = {0, 0};
    nv_MeterToDegr(&boat, &from);
    nv_MeterToDegr(&pt, &to);
    double course = 0, distance = 0;
    nv_RouteAngle(&boat, &pt, &course);
    nv_CalcDistance(&from, &to, course, &distance);
    if (pLat)
        *pLat = to.lat;
    if (pLon)
        *pLon = to.lon;
    if (pDist)
        *pDist = (float)dConvertToInternal(distance, D_DISTANCE, U_NAUT_MILES);
}

void T_NAV_TWR_vTemporarilyEnableCLWCUpdateForAllModels(BOOLEAN bEnable)
{
    s_bCLWCUpdate = bEnable ? TRUE : FALSE;
}

void T_NAV_TWR_vTemporarilyDisableCLWCUpdate(void) {}
