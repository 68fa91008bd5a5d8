// The store's bulk operations: deleting everything (saved tracks, recorded
// tracks, routes, waypoints and groups) in memory and on flash, a variant
// that removes the files but keeps the waypoints in memory, a backup and
// restore of the shared waypoints and routes in memory, and a rewrite of
// the whole own table and route table to flash.
//
// Each holds the navigation-data mutex (RES_NAV_DATA) throughout and runs
// its file changes in one bulk scope, so the flash sees one sync at the
// end. Every removal obeys the point-of-sale rule; no shell command runs.
#pragma once

#include "kernel/l_types.h"

// Empties every table and the four item folders. The cursor waypoint, the
// last-waypoint menu, the target and the grid are let go when they named
// an own slot, after the mutex is released; the trolling motor is asked to
// delete its items; "SIID" and "SWID" become 0 and every saved-track slot
// visible; the root group is rebuilt (hook). The duplicate and declutter
// scans are on again at the end and both tables rebuilt.
void T_NAV_vDeleteAllTracksWaypointsRoutes(BOOLEAN bOverridePointOfSale);
// Removes the saved tracks, the routes and every waypoint file while the
// waypoints, groups and recorded tracks stay in memory; "SWID" becomes 0.
void T_NAV_vDeleteAllTracksWaypointsRoutesForKeepDataOnNetwork(BOOLEAN bOverridePointOfSale);
// Copies the shared waypoints and routes (slots up to the highest shared
// ones); FALSE while a backup is held or when memory is short.
BOOLEAN T_NAV_bBackupAllWaypointsRoutes(void);
// Puts the backup back in memory and on flash, frees the shared slots
// above it, recounts both splits and lets the backup go; FALSE without a
// backup.
BOOLEAN T_NAV_bRestoreAllWaypointsRoutes(void);
// Rewrites the files of all 3000 own slots and 50 routes from memory: a
// slot with a file-worthy record is written, any other loses its file.
void T_NAV_vSolidStoreAllWaypointsRoutes(void);
