// STAND-IN for the trolling-motor link's "close enough" queries, until the
// link is built. Each answers from the navigation tables and the data
// store as the link does: a point is close enough for the motor when it
// lies less than a quarter of a statute mile from the boat ("ILAT",
// "ILON"); without a valid boat position nothing is close. Keep the names
// and arguments when the real link replaces this file.
#pragma once

#include "kernel/l_types.h"

constexpr double NAV_STEVRIN_CLOSE_METRES = 402.336; // 0.25 statute miles

// TRUE when waypoint id lies close enough; FALSE for 0xFFFF or an id that
// names no waypoint. Takes RES_NAV_DATA.
BOOLEAN U_NAV_STEVRIN_bIsWaypointCloseForStevrinNav(U32 u32Id);
// TRUE when the recorded track's closest point, as last computed, is close
// enough (its stored distance); FALSE for a free slot or one past the
// table.
BOOLEAN U_NAV_STEVRIN_bIsRumbrelCloseForStevrinNav(U32 u32Slot);
// TRUE when the cursor ("ICLT", "ICLN") is close enough.
BOOLEAN U_NAV_STEVRIN_bIsCursorPointCloseForStevrinNav(void);
