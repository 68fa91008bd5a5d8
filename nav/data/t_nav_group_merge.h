// Bringing the grouped items of a navigation data space (a card's data,
// another unit's) into the local store: groups become local groups under a
// chosen parent, waypoints and routes are copied unless an equal item
// already exists, and everything is linked. Only shared items are merged.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_space.h"

// The local form of a waypoint brought in from elsewhere: permanent (or
// man overboard), with the source's name, place, icon, depth, date and flags.
WAYPOINT T_NAV_GROUP_tLocalWaypointCopy(const WAYPOINT* pSource);

// Merges the space's group with header pGroupHeader (a record in the
// space) into the local group u16ParentIndex, under the navigation-data
// mutex. FALSE when a local table or slot ran out.
BOOLEAN T_NAV_GROUP_DATA_vMergeGroupedNavDataToLocal(NAV_DATA_SPACE* pDataForMerge, GROUP_HEADER_V1* pGroupHeader,
                                                     U16 u16ParentIndex);
// The recursive worker.
BOOLEAN T_NAV_GROUP_DATA_vDoMergeGroupedNavDataToLocal(NAV_DATA_SPACE* pDataForMerge, GROUP_HEADER_V1* pGroupHeader,
                                                       U16 u16ParentIndex);
// With the local root group id: adopts the waypoints and routes of the
// space that no group of the space references into the local root group.
// Any other id: nothing.
void T_NAV_GROUP_DATA_vScanGroupForAddLinkIndependentNavData(U16 groupID, NAV_DATA_SPACE* pDataForAdd);
