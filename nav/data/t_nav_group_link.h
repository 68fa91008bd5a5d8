// Putting item ids into groups and routes and taking them out again.
//
// Group links live in the 12 positions of a group's bodies; a route's
// links are its point list (at most 50 waypoint ids). The operations keep
// the group tree's invariants: no link twice in one group, each group in
// one part, the root group's shared links before 0xCFFF and its locked
// links after it, and a linked sub-group's u16ParentIndex naming the group
// it was linked into. Every change runs under the navigation-data mutex.
//
// Operations taking a group id also accept a route id (0x8800 | 0-49) and
// pass on to the route operation; any other target gives FALSE.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_space.h"

// The add with every check: valid link, never the root group, no item of
// equal content twice.
BOOLEAN T_NAV_GROUP_DATA_bAddLink(U16 indexGroup, U16 indexLinkToAdd);
// Unchecked add for building a space; without a space the checked add
// runs and the result is TRUE.
BOOLEAN T_NAV_GROUP_DATA_bAddLinkEX(NAV_DATA_SPACE* pData, U16 indexGroup, U16 indexLinkToAdd);
// Adds a list of ids of one part; ids already linked are passed over.
// FALSE for an empty list or when a slot runs out (what was placed stays).
BOOLEAN T_NAV_GROUP_DATA_bAddLinks(U16 indexGroup, const U16* pLinksToAdd, U32 nLinksToAdd);
BOOLEAN T_NAV_GROUP_DATA_bRemoveLink(U16 indexGroup, U16 indexLinkToRemove);
// In a space; without one the local remove runs and the result is FALSE.
BOOLEAN T_NAV_GROUP_DATA_bRemoveLinkEX(NAV_DATA_SPACE* pData, U16 indexGroup, U16 indexLinkToRemove);
// Placeholder: FALSE.
BOOLEAN T_NAV_GROUP_DATA_bRemoveLinks(U16 indexGroup, const U16* pLinksToRemove, U32 nLinksToRemove);
BOOLEAN T_NAV_GROUP_DATA_bReplaceLink(U16 indexGroup, U16 indexLinkToRemove, U16 indexLinkToAdd);
// In a space; without one acts on the local store and returns FALSE.
BOOLEAN T_NAV_GROUP_DATA_bReplaceLinkEX(NAV_DATA_SPACE* pData, U16 indexGroup, U16 indexLinkToRemove,
                                        U16 indexLinkToAdd);

// Routes ---------------------------------------------------------------------

BOOLEAN T_NAV_GROUP_DATA_bRouteAddLink(U16 indexRoute, U16 indexWaypointToAdd);
// For a caller filling a route point by point after setting its nCount:
// *pIndex is the next position, *pLastIndex the id written last.
BOOLEAN T_NAV_GROUP_DATA_bRouteAddLinkOnline(U16 indexRoute, U16 indexWaypointToAdd, U32 nCount, U32* pIndex,
                                             U16* pLastIndex);
BOOLEAN T_NAV_GROUP_DATA_bRouteAddLinkEX(NAV_DATA_SPACE* pData, U16 indexRoute, U16 indexWaypointToAdd);
BOOLEAN T_NAV_GROUP_DATA_bRouteRemoveLink(U16 indexRoute, U16 indexWaypointToRemove);
BOOLEAN T_NAV_GROUP_DATA_bRouteRemoveLinkEX(NAV_DATA_SPACE* pData, U16 indexRoute, U16 indexWaypointToRemove);
