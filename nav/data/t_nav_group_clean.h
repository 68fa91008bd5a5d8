// The clean-up of the group tree: one run from the root group marks every
// item and group slot the tree reaches, clears links to items that are
// gone, folds identical waypoints and routes of one part into one, and
// deletes what nothing references.
//
// A run holds the navigation-data mutex from start to end and keeps a map
// of one byte per item (bank-0 slots, routes, saved tracks, recorded
// tracks). Chains come from flash, so the walk enters no header or body
// twice: a chain that comes back to a body already walked, or a body naming
// itself as next, is cut after the last good body, and the run then starts
// once more from the root (a bounded number of times). Every path through a
// run merges, sweeps and releases its map and the mutex.
//
// While the trolling-motor remote is on the network ("IPUF" TRUE),
// permanent waypoints and recorded tracks that a run would delete are
// queued instead and handed to the trolling-motor link in one request; a
// full queue keeps the rest for a later run.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_space.h"

// Constants ---------------------------------------------------------------

// Bytes of the reference map: 3000 slots, 50 routes, 50 saved tracks, 50
// recorded tracks.
constexpr U32 NAV_GROUP_REFERENCE_MAP_BYTES = 3150;
constexpr U32 NAV_GROUP_MAP_ROUTES = 3000;
constexpr U32 NAV_GROUP_MAP_TRACKS = 3050;
constexpr U32 NAV_GROUP_MAP_RUMBRELS = 3100;
// Runs of one clean-up, the first included, when chains had to be cut.
constexpr U32 NAV_GROUP_CLEAN_RUNS = 4;

// Runs --------------------------------------------------------------------

// The run from the root group; any other id does nothing outside a run.
void T_NAV_GROUP_DATA_vScanGroupForGarbageCollection(U16 groupID);
// The same for a navigation data space, which only counts references (no
// link changes) and deletes from the space what is not referenced after a
// complete walk. Without a space it is the local run.
void T_NAV_GROUP_DATA_vScanGroupForGarbageCollectionEX(NAV_DATA_SPACE* pData, U16 groupID);
// Folds every group and route reference to duplicateID into originID in
// one part (bNotShared) and deletes the duplicate: a waypoint (bItemType
// TRUE) or a route. Always FALSE.
BOOLEAN T_NAV_GROUP_DATA_bRemoveDuplicateItemReference(BOOLEAN bNotShared, BOOLEAN bItemType, U16 originID,
                                                       U16 duplicateID);
// Checks a tree without changing it: FALSE at the first dangling or
// repeated link or body; else TRUE once some valid waypoint link or route
// point has been seen (in this or an earlier check).
BOOLEAN T_NAV_GROUP_DATA_bIsGroupNavDataIntegralEX(NAV_DATA_SPACE* pData, U16 groupID);

// Deletion requests to the trolling motor ----------------------------------

void T_NAV_GROUP_vInitStevrinDeleteData(void);
// Hands the queued ids to the trolling-motor link and empties the queues;
// nothing when both are empty.
void T_NAV_GROUP_vSendNavDataBeingDeletedToStevrin(void);
// What is queued (tests and the group manager's progress).
U32 T_NAV_GROUP_u32QueuedWaypoints(void);
U32 T_NAV_GROUP_u32QueuedRumbrels(void);
