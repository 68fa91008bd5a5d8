// Marks: a new waypoint where the user is looking (the chart cursor, the
// sonar cursor with its depth, or the boat), and man overboard, which ends
// any navigation, stores a man-overboard waypoint at the boat and navigates
// back to it.
//
// Marks run in the caller's task; the waypoint table locks RES_NAV_DATA
// itself. Man overboard runs in the navigation task.
#pragma once

#include "kernel/l_types.h"
#include "nav/core/t_nav_cursor_items.h" // NAV_STAYVANE_ICON
#include "nav/core/t_nav_draw.h"          // NAV_MOB_ICON

constexpr U32 NAV_MOB_NAME_CHARS = 11;

// The MARK action: the default icon ("SWDI"), no name.
void T_NAV_vHandleMark(void);
// A mark with a name and icon 0.
void T_NAV_vHandleNamedMark(const char* sWaypointName);
// The general mark. ptMark (may be null) receives the position used;
// bMarkValid (may be null) is set FALSE at entry and TRUE once a position
// was found.
void T_NAV_vHandleNamedMarkWithIcon(const char* sWaypointName, U8 u8Icon, POINT* ptMark, BOOLEAN* bMarkValid);
// The same, but without an active cursor the position is *ptMark (required)
// and no fix is needed.
void T_NAV_vHandleNamedMarkWithoutUpdatingPos(const char* sWaypointName, U8 u8Icon, POINT* ptMark,
                                              BOOLEAN* bMarkValid);
// Semaphore 101: nothing while a man-overboard waypoint exists.
void T_NAV_vStartMOB(void);
// "MOB" and, when "IDTM" is valid, the local month, day, hour and minute
// as "%02d%02d%02d%02d"; at most NAV_MOB_NAME_CHARS characters.
void T_NAV_vCreateMOBName(char* pcName, U32 u32Size);
