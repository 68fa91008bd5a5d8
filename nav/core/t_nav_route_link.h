// The current route as the trolling-motor link changes it while the motor
// navigates: reversed in place, rebuilt from the motor's route or from a
// list of waypoint ids, the go-to destination moved, and the step to the
// next route point that turns back at the route's end. Each keeps "INIP",
// "IDWP", "ITRK" and the leg point list in step with the route.
//
// Called from the link's task; each takes RES_NAV_DATA (recursive) for its
// change, so the navigation task's operations on the route never see half
// of one. The current route holds at most 50 entries: a route or list of
// more than 49 points after the start, or an index outside the new route,
// is refused with FALSE and changes nothing.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

constexpr U32 NAV_LINK_MAX_POINTS = ROUTE_MAX_POINTS - 1;

// The motor reversed the route: [start, A, B, C] heading for B becomes
// [start, C, B, A] heading for A, with the start moved to the boat. On the
// first leg navigation ends instead (asking to save a route of more than 2
// entries) and the result is FALSE.
BOOLEAN T_NAV_bReverseCurrentRoute(void);
// Rebuilds the route after its start from the motor's route, heading for
// its point NewIndex: 1 to n travelling forward, 0 to n - 1 in reverse.
BOOLEAN T_NAV_bUpdateCurrentRoute(ROUTE* pUpdatedRoute, U16 NewIndex, BOOLEAN bReversed);
// Rebuilds the route from nNewCnt + 1 ids (entry 0 first) heading for entry
// NewIndex (1 to nNewCnt). The list is a block of the program heap: on
// TRUE it is freed here, on FALSE it stays the caller's.
BOOLEAN T_NAV_bReLoadCurrentRoute(U16* pNewIndexArray, U16 NewIndex, U32 nNewCnt);
// The go-to destination (first leg only) becomes WayptIndex at pWaypt's
// position; FALSE on a later leg or while idle.
BOOLEAN T_NAV_bUpdateCurrentGoToWayPt(WAYPOINT* pWaypt, U16 WayptIndex);
// The motor moved on along stored route u16RteNdx: the next destination, or
// on the last leg the route again in the other direction from the boat.
void T_NAV_vUnifiedNextRouteWaypoint(U16 u16RteNdx);
