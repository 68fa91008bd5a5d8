// The route table: 50 routes, split like the own waypoints into a shared
// part that fills from slot 0 upward and a locked (not-shared) part that
// fills from slot 49 downward. The separator slot between them is never
// given out, and there is no reserve around it. A route's points must have
// the route's shared state, so compaction and route moves give a route own
// copies of the points of the other state and delete the old ones once no
// route uses them.
//
// A slot is used while it has points or a date-time. Every route written
// to its flash file is also copied into the backup table
// (T_NAV_pGetOldRoute); a slot that becomes free loses its file.
//
// The table follows waypoint moves: clearing it registers a move follower
// that replaces the moved id in every route (rewriting its file) and in a
// route being worked on, so that no point is left naming a freed slot.
//
// Every operation takes the navigation-data mutex (RES_NAV_DATA,
// recursive) itself.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Constants ---------------------------------------------------------------

constexpr U32 NAV_ROUTE_CLEANUP_ENTRIES = 500; // waypoints that compaction may delete
constexpr U32 NAV_ROUTES_USING_WAYPOINT = 5;

// Allocation and storing ------------------------------------------------------

// A free slot of the part the bit asks for, 0xFFFF when none. With the
// separator switched on the search ends at the separator slot, and a
// found slot moves the split (and the separator) toward it.
U16 T_NAV_u16FindAvailableRoute(BOOLEAN bNotShared);
// Stores a new route in a free slot of its part; the slot, or 0xFFFF when
// the part is full or the route has more than 50 points. A date-time of 0
// becomes "IDTM". A route left with neither points nor a date-time gets
// its slot number but the slot stays free and no file is written.
U16 T_NAV_u16RouteAdd(const ROUTE* pRoute);
// As T_NAV_u16RouteAdd, then publishes the slot as "CLRT" (the last saved
// route).
S32 T_NAV_nAddRoute(const ROUTE* pRoute);
// Overwrites slot (0-49; anything else is ignored) without converting its
// points. A used record is written to flash with the caller's point-of-sale
// override; a free one removes the slot's file. bFromGateway is not used.
void T_NAV_vRouteStore(U32 slot, const ROUTE* pRoute, BOOLEAN bOverridePointOfSale, BOOLEAN bFromGateway);
// Overwrites slot after making every point an own waypoint: a peer's
// waypoint becomes an identical own one, or a new temporary own copy. The
// caller's record is changed to the ids stored. FALSE, with nothing
// stored, for a slot past the table, a 0xFFFF point or a failed copy.
BOOLEAN T_NAV_bSaveRoute(U32 slot, ROUTE* pRoute, BOOLEAN bOverridePointOfSale);
// Copies slot into *pRoute; slots past the table do nothing.
void T_NAV_vCopyRoute(U32 slot, ROUTE* pRoute);

// Finding and comparing ---------------------------------------------------------

// The first used slot equal to the route in count, not-shared bit,
// date-time, points and name; 0xFFFF.
U16 T_NAV_u16FindRoute(const ROUTE* pRoute);
// The first used slot with the same count and points; 0xFFFF.
U16 T_NAV_u16FindRouteByPts(const ROUTE* pRoute);
// Count, not-shared bit, date-time, points and name equal (the hidden bit
// is not compared). Names are compared up to their first NUL, at most 20
// characters.
BOOLEAN T_NAV_bCompareRoutes(const ROUTE* pA, const ROUTE* pB);
// The second route's points (as many as its count) equal the first's, and
// the names are equal.
BOOLEAN T_NAV_bCompareRoutes1(const ROUTE* pA, const ROUTE* pB);
// All used slots, sorted by name; pu16Slots has room for 50.
void T_NAV_vGetRoutes(U32* pnCount, U16* pu16Slots);
// qsort comparator of two route slots (U16): names by strcmp.
int T_NAV_nCompareRouteNames(const void* pA, const void* pB);

// Waypoints in routes -------------------------------------------------------------

// The id is among the route's points.
BOOLEAN T_NAV_bWaypointUsedInRoute(U32 id, const ROUTE* pRoute);
// Some stored route with points holds the id.
BOOLEAN T_NAV_bWaypointUsedInSavedRoute(U32 id);
// The number of routes holding the id, at most 5; anSlots gets those with
// the newest date-times, newest first, and -1 in the entries left over.
S32 T_NAV_vGetRoutesUsingWaypoint(U32 id, S32 anSlots[NAV_ROUTES_USING_WAYPOINT]);
// The route's last point is a waypoint with the same icon, depth,
// date-time, position and name as waypoint u16WaypointId.
BOOLEAN T_NAV_bHasSameContentLinkInTargetRoute(U16 u16RouteId, U16 u16WaypointId);
// Gives route oldSlot an own copy (with the route's shared state) of every
// point of the other state, putting the replaced own ids on the clean-up
// list, and saves the result in newSlot, or back in oldSlot (0xFFFF) when a
// point was replaced. FALSE for an old slot past the table, a route without
// points, or a save that failed; the copies made are then deleted again
// and the route stays as it was.
BOOLEAN T_NAV_bProcessRouteWaypoints(U32 oldSlot, U32 newSlot);

// The shared/locked split ------------------------------------------------------------

// Re-reads the split from the table and, unless bOnlyStatistic, compacts:
// while the lowest locked and the highest shared route are 2 slots apart
// or closer, locked routes move up and then shared ones move down; then
// every route from the highest shared one up has its points aligned, and
// the waypoints on the clean-up list that no route uses any more are
// deleted. The separator is -1 when the compaction ended on an error.
void T_NAV_TWR_vStatisticRouteStore(BOOLEAN bOnlyStatistic);
S16 T_NAV_s16GetMaxShareRouteIndex(void);
// Store-internal: the shared part as another unit's data set it.
void T_NAV_TWR_vSetMaxShareRouteIndex(S16 nIndex);
S16 T_NAV_s16GetMinLockRouteIndex(void);
S16 T_NAV_TWR_s16GetRouteSeparator(void);
// Highest slot with points + 1; 0 when there is none.
U16 T_NAV_TWR_u16GetMaxUsedRoute(void);
// Used slots as counted by the operations.
S16 T_NAV_TWR_s16GetRouteCount(void);
// The own waypoint ids waiting for the next compaction's clean-up.
U32 T_NAV_TWR_u32GetRouteCleanupCount(void);

// Deleting and moving --------------------------------------------------------------------

// Frees slot i (file, backup copy, record) and recounts the split; FALSE
// for a slot past the table or a free one. When "CLRT" names the slot the
// last-saved-route menu is withdrawn (hook) after the mutex is released.
BOOLEAN T_NAV_bDeleteRoute(U32 i, BOOLEAN bOverridePointOfSale);
// TRUE for a slot of the table; the group manager calls it before it
// changes a route.
BOOLEAN T_NAV_bStoreOldRoute(U32 i);
// The backup copy of slot i; null past the table.
ROUTE* T_NAV_pGetOldRoute(U32 i);
// Moves route i to a free slot of the part its not-shared bit asks for:
// locked routes to the highest free slot above the shared part, shared
// ones to slot 0 or the lowest free slot below the locked part. The new
// slot; when nothing moved, the slot at which the search stopped or, when
// the route could not be carried over, i itself (never a free slot).
// 0xFFFF for a slot past the table or a free one.
U16 T_NAV_u16MoveRoute(U16 i);

// Store-internal ------------------------------------------------------------------------

// Empties the table, its backup, the split and the clean-up list, and
// registers the move follower.
void T_NAV_TWR_vClearRoutes(void);
// Writes slot's file (removes it when the slot is free) and copies the
// slot into the backup table.
void T_NAV_TWR_vWriteRouteFile(U32 slot, BOOLEAN bOverridePointOfSale);
// Frees a used slot: counted out, file removed, backup copy and record
// zeroed.
void T_NAV_TWR_vEraseRoute(U32 slot, BOOLEAN bOverridePointOfSale);
