// The waypoint table: the unit's own waypoints in bank 0 (3000 slots, which
// the group records share) and the copies of up to three network peers'
// waypoints in banks 1-3.
//
// Bank 0 is split into a shared part that grows from slot 0 upward and a
// locked (not-shared) part that grows from slot 2998 downward, with a
// separator between them. A waypoint keeps 6 slots away from the
// separator; a man-overboard waypoint may come up to it (the man-overboard
// reserve). Slot 2999 is never given to a waypoint. When the two parts
// press together, compaction moves waypoints to the far end of their part;
// every move reaches every holder of the moved id (see
// T_NAV_u16MoveWaypoint).
//
// Each own slot keeps the CRC-16 of its 28-byte record as last written, so
// that an identical waypoint is found without comparing every slot. The
// CRC covers the status byte, so only a record with the same status and
// flag bits matches.
//
// Every operation takes the navigation-data mutex (RES_NAV_DATA,
// recursive) itself, so operations call each other freely; the hooks, the
// followers and the peers' change callback are called with it held.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Constants ---------------------------------------------------------------

constexpr S32 NAV_SHARE_LOCK_RESERVE = 6; // slots a waypoint keeps from the separator
constexpr U32 NAV_MOVE_FOLLOWERS = 8;

// Hooks -------------------------------------------------------------------

// What the table leaves to navigation control and to the group manager.
// An entry left null does what is noted, the least that keeps the
// data-store keys true.
typedef struct tag_T_NAV_TWR_HOOKS {
    // Make id the waypoint under the cursor, 0xFFFF for none. Null: writes
    // "ICWP".
    void (*pfnUpdateCursorWaypoint)(U16 u16Id);
    // Remove the last-waypoint hot menu ("CLWC" was deleted). Null: nothing.
    void (*pfnUnregisterLastWaypointMenu)(void);
    // Drop the target / the grid ("ITWP" / "IGWP" was deleted). Null:
    // writes 0xFFFF to the key.
    void (*pfnRemoveTarget)(void);
    void (*pfnRemoveGrid)(void);
    // Bring the "Cursor To" menu up to date after a deletion. Null: nothing.
    void (*pfnUpdateCursorToWaypointMenu)(void);
    // The next default waypoint name (at most 12 characters). Null: "WP%03d"
    // of the default-name counter + 1, the counter stored in "SWID".
    const char* (*pfnGetDefaultWaypointName)(void);
    // The lowest own slot with status 1 or 3 equal to the record in
    // status, not-shared bit, icon, depth, date-time, position and name;
    // 0xFFFF for none. Null: that search.
    U16 (*pfnFindWaypoint)(const WAYPOINT* pWaypoint);
    // A waypoint from the trolling motor was stored: make it visible, link
    // it into the default group, highlight it. Null: nothing.
    void (*pfnLinkNewWaypoint)(U16 u16Id);
    // Rebuild the group manager's list. Null: nothing.
    void (*pfnRefreshDirectory)(void);
    // Inconsistent data met (compaction could not make room). Null: nothing.
    void (*pfnGroupDataError)(const char* pcFile, U32 u32Line);
    // Link item id (a route or trolling-motor track the motor sent) into
    // the default group; TRUE when linked. Null: the group link.
    BOOLEAN (*pfnAddToDefaultGroup)(U16 u16Id);
    // Remove the last-saved-route hot menu ("CLRT" names a deleted route).
    // Null: nothing.
    void (*pfnUnregisterLastSavedRouteMenu)(void);
    // Build the root group afresh after delete-all emptied the table. Null:
    // nothing.
    void (*pfnBuildRootGroup)(void);
    // TRUE while the group manager keeps its input state, so that its list
    // must not be rebuilt under it. Null: FALSE.
    BOOLEAN (*pfnKeepInputStateMode)(void);
    // Have the current route drop own waypoint id, whose slot is about to
    // be cleared outright. Null: nothing.
    void (*pfnDropFromCurrentRoute)(U16 u16Id);
} T_NAV_TWR_HOOKS;

// Copies the hooks; null restores every default.
void T_NAV_TWR_vInstallHooks(const T_NAV_TWR_HOOKS* pHooks);
const T_NAV_TWR_HOOKS* T_NAV_TWR_pGetHooks(void);

// Called once for every own waypoint that compaction (or any move) puts in
// a new slot, after the record is in its new slot and before the old one
// is freed. Holders of waypoint ids that this table does not know of
// (group links, the current route) register here.
typedef void (*NAV_WAYPOINT_MOVE_FOLLOWER)(U16 u16OldId, U16 u16NewId);
// FALSE when NAV_MOVE_FOLLOWERS are registered already; a follower
// registered twice is called once.
BOOLEAN T_NAV_TWR_bAddMoveFollower(NAV_WAYPOINT_MOVE_FOLLOWER pfnFollower);
void T_NAV_TWR_vRemoveMoveFollower(NAV_WAYPOINT_MOVE_FOLLOWER pfnFollower);

// Own waypoints ---------------------------------------------------------------

// Stores a new own waypoint (status 1, 2 or 3) in a free slot of its part
// and returns its id, 0xFFFF when the status is wrong or the part is full.
// Unless bImport, an empty name gets the next default name; a date-time of
// 0 becomes "IDTM". bFromGateway is not used.
U16 T_NAV_u16WaypointAdd(const WAYPOINT* pWaypoint, BOOLEAN bImport, BOOLEAN bFromGateway);
S32 T_NAV_nAddWaypoint(const WAYPOINT* pWaypoint, BOOLEAN bImport);
// Adds a waypoint received from the trolling motor; a permanent one is
// then linked into the default group (hook).
U16 T_NAV_u16SaveWaypointFromStevrin(const WAYPOINT* pWaypoint);
// Overwrites own slot id (0-2999; anything else is ignored). The status
// becomes 1 unless it is 3, the flag bits are the record's.
void T_NAV_vSaveWaypoint(U32 id, const WAYPOINT* pWaypoint, BOOLEAN bOverridePointOfSale, BOOLEAN bFromGateway);
// Status 2 becomes 1 (own slots).
void T_NAV_vMakeWaypointPermanent(U32 id);
// Erases a status-2 slot without the deletion's key and menu bookkeeping;
// TRUE when it was one.
BOOLEAN T_NAV_bClearTemporaryWaypoint(U32 id);
// Deletes a status-2 waypoint; TRUE when it was one.
BOOLEAN T_NAV_bDeleteTemporaryWaypoint(U32 id);
// Deletes any used slot; TRUE only for status 1 or 3.
BOOLEAN T_NAV_bDeleteWaypoint(U32 id, BOOLEAN bOverridePointOfSale);
// The bookkeeping of every deletion, also of peer slots: frees the slot
// (flag bits kept), clears the cursor, last-waypoint, target and grid
// references to it and rebuilds the derived tables. The caller holds the
// mutex; with bUnLock this releases one level of it before the menu update.
void T_NAV_vProcessWaypointDeletion(U32 id, BOOLEAN bUnLock);
// Moves an own waypoint to the far end of its part (compaction); the new id
// or 0xFFFF. The hash entry, the peers, "ICWP", "CLWC", "ITWP", "IGWP" and
// the followers (the route table among them) all name the new slot.
U16 T_NAV_u16MoveWaypoint(U32 id);

// The shared/locked split -------------------------------------------------------

// Re-reads the split from the table and, unless bOnlyStatistic, moves
// waypoints until the two parts are at least 10 slots apart. The separator
// is -1 while it is unknown or after a compaction that could not make room.
void T_NAV_TWR_vStatisticWaypointStore(BOOLEAN bOnlyStatistic);
S16 T_NAV_s16GetMaxShareWaypointIndex(void);
S16 T_NAV_s16GetMinLockWaypointIndex(void);
S32 T_NAV_TWR_nGetShareLockSeparator(void);
// TRUE switches the separator off (slots are then taken from either end
// without regard to it), for waypoints and routes alike; always returns
// TRUE.
BOOLEAN T_NAV_TWR_bDisableShareLockSeperator(BOOLEAN bDisable);
BOOLEAN T_NAV_TWR_bShareLockSeparatorDisabled(void);
// Earlier forms of the room test: TRUE when a group / waypoint of that part
// could be stored.
BOOLEAN T_NAV_bThereIsMoreRoomForGroup(BOOLEAN bNotShared);
BOOLEAN T_NAV_bThereIsMoreRoomForWP(BOOLEAN bWpNotShared);

// Finding and comparing ---------------------------------------------------------

// Icon, depth, date-time, position and all 12 name characters equal.
BOOLEAN T_NAV_bWaypointCompare(const WAYPOINT* pA, const WAYPOINT* pB);
// CRC-16 of the record's 28 bytes as stored, started from 0.
U16 T_NAV_TWR_u16HashWaypoint(const WAYPOINT* pWaypoint);
// The first used own slot whose stored hash and fields match; 0xFFFF.
U16 T_NAV_TWR_u16FindWaypoint(const WAYPOINT* pWaypoint);
const U16* T_NAV_TWR_pu16GetWaypointsHash(void);
// Recounts bank 0 and recomputes every own slot's hash.
void T_NAV_TWR_vHashWaypoints(void);
BOOLEAN T_NAV_TWR_bIsFlashHashCorrect(void);
void T_NAV_TWR_vSetFlashHashCorrectFlag(BOOLEAN bCorrect);

// Local copies of peer waypoints: an own id comes back unchanged; a peer id
// gives an identical own waypoint or a new own copy (MakeLocal: a temporary
// one); 0xFFFF when the peer slot holds no waypoint or no slot is free.
U16 T_NAV_TWR_u16CopyLocal(U16 u16Id);
U16 T_NAV_TWR_u16MakeLocal(U16 u16Id);

// Peer banks (1-3) ---------------------------------------------------------------

// Stores a peer's waypoint (status 1-3) at slot, or at the bank's lowest
// free slot for 0xFFFF; bank << 12 | slot, or 0xFFFF.
S32 T_NAV_TWR_nAddNetworkWaypoint(U32 slot, const WAYPOINT* pWaypoint, S32 bank);
// Frees a peer slot; TRUE for bank 1-3 and slot < 3000.
BOOLEAN T_NAV_TWR_bDeleteNetworkWaypoint(U32 slot, S32 bank);
// Frees every slot of a peer bank (flag bits kept).
void T_NAV_TWR_vInitWaypointTable(S32 bank);

// Accessors and counts --------------------------------------------------------------

// Highest used slot + 1 of a bank (0 for a bank outside 0-3); no lock.
S32 T_NAV_TWR_nGetMaxUsedWaypointIndex(S32 bank);
U16 T_NAV_TWR_u16GetMaxUsedWaypoint(void);
// Copies under the mutex; 0xFFFF and ids past the table do nothing (icon 0).
void T_NAV_vCopyWaypoint(U32 id, WAYPOINT* pWaypoint);
U8 T_NAV_u8GetWaypointIcon(U32 id);
// At most u32Limit - 1 characters and a NUL.
void T_NAV_vCopyWaypointName(U32 id, char* pcName, U32 u32Limit);
void T_NAV_vCopyWaypointPoint(U32 id, POINT* pPoint);
// Any slot of any bank with status 1, 2 or 3.
BOOLEAN T_NAV_bWaypointsExist(void);
// Slots with status 1 or 3 in all four banks.
S32 T_NAV_TWR_nGetWaypointCount(void);
// Own slots with status 16 / with status 16 or 17.
S32 T_NAV_TWR_nGetGroupVisibleCount(void);
S32 T_NAV_TWR_nGetGroupTotalCount(void);
// The card import buffer's highest used slot, kept here.
void T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(S32 s32Max);
S32 T_NAV_TWR_s32GetMaxUsedWaypointIndexMMC(void);
// The waypoint's position in degrees and its distance in metres from the
// boat ("ILAT", "ILON").
void T_NAV_TWR_vEvalWP(U32 id, double* pLat, double* pLon, float* pDist);

// While enabled, every own waypoint that an addition or a move writes with
// status 1 or 3 is published as "CLWC". The disable call has no effect.
void T_NAV_TWR_vTemporarilyEnableCLWCUpdateForAllModels(BOOLEAN bEnable);
void T_NAV_TWR_vTemporarilyDisableCLWCUpdate(void);

// Store-internal, for the group slots that share bank 0: the split as
// last computed (separator -1 while unknown; lowest locked 2999 when no
// locked slot was seen) and its replacement.
void T_NAV_TWR_vGetShareSplit(S32* pnSeparator, S32* pnMaxShareIndex, S32* pnMinLockIndex);
void T_NAV_TWR_vSetShareSplit(S32 nSeparator, S32 nMaxShareIndex, S32 nMinLockIndex);
// Store-internal: a group record took (bCount) or left own slot `slot`.
// Taking counts the slot as used and raises the highest-used mark past it;
// leaving counts it out and lowers the mark when the slot was the last.
void T_NAV_TWR_vCountGroupSlot(U16 u16Slot, BOOLEAN bTaken, BOOLEAN bCount);
// Store-internal: sets the hash entry of own slot `slot`.
void T_NAV_TWR_vSetWaypointHashEntry(U16 u16Slot, U16 u16Hash);

// Store-internal: empties all four banks, counts, hashes and the split.
void T_NAV_TWR_vClearWaypointBanks(void);
// Store-internal, for delete-all: frees every used own slot (status 0, the
// flag bits and the rest of the record kept), zeroes bank 0's count,
// hashes and highest-used mark, and, when a slot that has a file was met
// (any used status but temporary), removes every file of the waypoint
// folder under the point-of-sale rule. Peers and derived tables are left
// to the caller.
void T_NAV_TWR_vFreeOwnBank(BOOLEAN bOverridePointOfSale);
