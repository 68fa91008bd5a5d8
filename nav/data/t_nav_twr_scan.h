// Small walks over the store's tables for the painters, the group manager
// and the trolling-motor link, and the newest route that starts at a
// waypoint (the chart labels a waypoint with its name).
//
// The iterators take an in/out position and return the next element, or
// FALSE at the end; they do not lock and do not skip free entries: the
// caller holds the navigation-data mutex for its whole pass and skips
// what it does not want.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Iterators -------------------------------------------------------------------

// From slot *pnIndex + 1 (callers begin with -1): the next saved-track
// header that is visible ("SNTV"/"SNV2") and whose box comes within
// nMMClipLimit of the centre, the x differences taken across the
// antimeridian the short way. *pnIndex is left at the slot returned, or
// at 50.
BOOLEAN T_NAV_bScanVisibleTracks(const POINT* centre, S32 nMMClipLimit, S32* pnIndex, TRACK_HEADER** out);
// *pnIndex is a waypoint id (bank << 12 | slot); a slot of 3000 or more
// (callers begin with 0xFFFF) starts at bank 0, or at bank 1 when
// bOnlyScanRemote. Slots below each bank's highest-used mark are returned
// in order; then the next peer bank with a mark above 0; FALSE after bank
// 3. *pnIndex receives the id returned.
BOOLEAN T_NAV_bScanWaypoints(S32* pnIndex, WAYPOINT** out, BOOLEAN bOnlyScanRemote);
// The next route slot after *pnIndex while below 50.
BOOLEAN T_NAV_bScanRoutes(S32* pnIndex, ROUTE** out);

// Route start -------------------------------------------------------------------

// Among unhidden route slots whose first point is id, the one with the
// greatest date-time (the lower slot on equal ones); -1 for none or for
// 0xFFFF. Free slots are not told apart: a free slot matches id 0.
S32 T_NAV_TWR_s32GetIndexOfLastRouteStartingAt(S32 id);
// The same search; TRUE with the route's 20 name bytes copied to out
// (NUL-padded, not always terminated) unless out is null.
BOOLEAN T_NAV_TWR_bGetNameOfLastRouteStartingAt(U32 id, char* out);
