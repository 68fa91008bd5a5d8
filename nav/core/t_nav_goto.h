// The user's one-step navigation commands on a single waypoint or point:
// go to a waypoint (the cursor's, the last created one, a picked one, or a
// new temporary one at the cursor), hold position at a waypoint with the
// trolling motor, and mark a waypoint as the target (range rings) or the
// grid centre. Go-to appends to the current route (t_nav_route.h), which
// starts navigation when nothing is navigated; while "IPNE" is true the
// motor is asked instead.
//
// "ITWP" and "IGWP" name at most one waypoint between them: setting one
// clears the other without a click.
//
// Everything runs in the navigation task. The cursor go-to holds
// RES_DORRIM_QUELLMARIMAGE (104) across the whole step, so 104 is taken
// before RES_NAV_DATA (9), as everywhere else.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_twr_sort.h" // ST_POINT_TYPE_INDEX, STEVRIN_STAYVANE_ICON
#include "store/h_profile.h"
#include "store/lang.h"

// Constants ---------------------------------------------------------------

constexpr MENU_PRIORITY MENU_REMOVE_TARGET = (MENU_PRIORITY)99;
constexpr MENU_PRIORITY MENU_REMOVE_GRID = (MENU_PRIORITY)100;
constexpr S32 NAV_STEVRIN_FAR_NOTE_COUNTDOWN = 3;

// Texts -------------------------------------------------------------------

extern TEXT_TABLE Remove_Target;
extern TEXT_TABLE Remove_Grid;
extern TEXT_TABLE Far_for_Stevrin_Navigation;

// State -------------------------------------------------------------------

// The cursor belongs to a sonar view: a waypoint made at it is not
// published as the cursor waypoint.
extern BOOLEAN s_bSonarCursorView;

// Steps -------------------------------------------------------------------

// Go-to of waypoint nIndex: the motor is asked while "IPNE" is true (to
// hold there when the waypoint carries the position-hold icon), else the
// waypoint is appended to the current route. TRUE when taken.
BOOLEAN T_NAV_bAddWaypointToCurrentRoute(U32 nIndex);
// The same, but the motor always holds position there.
BOOLEAN T_NAV_bAddStayvaneToCurrentRoute(U32 nIndex);

// Go-to -------------------------------------------------------------------

// Goes to the waypoint, or with 0xFFFF to a new temporary waypoint at the
// cursor ("ICLT", "ICLN"); clicks when bSignalKeyClick.
void T_NAV_vHandleGoTo_Waypoint(U32 nCursorWaypoint, BOOLEAN bSignalKeyClick);
// "Go To Point": the waypoint under the cursor, nothing without one.
void T_NAV_vGoToWaypointInMenu(void);
// Drops a pending contour pick, closes the menus and goes to the cursor.
void T_NAV_vHandleGoTo_GoToCursorPosition(void);
void T_NAV_vGoToWaypoint(U32 nIndex);
// "Go To" of the last-waypoint menu: "CLWC", and one more good click.
void T_NAV_vGoToLastWaypoint(void);
// "Stayvane" of the cursor-waypoint and last-waypoint menus: only for a
// waypoint within a quarter of a statute mile of the boat.
void T_NAV_vStayvaneCursorWaypoint(void);
void T_NAV_vStayvaneLastWaypoint(void);
// An item picked in the point selection list.
void T_NAV_vGoToPoint(ST_POINT_TYPE_INDEX* ptSelectedIndex);

// Target and grid ------------------------------------------------------------

void T_NAV_vAddWaypointTarget(U32 nIndex);
void T_NAV_vAddWaypointGrid(U32 nIndex);
void T_NAV_vTargetWaypoint(U32 nIndex);
void T_NAV_vTargetCursorWaypoint(void);
void T_NAV_vTargetLastWaypoint(void);
void T_NAV_vGridWaypoint(U32 nIndex);
void T_NAV_vGridCursorWaypoint(void);
void T_NAV_vGridLastWaypoint(void);
// The hot-menu actions: clear the key, remove the menu, good click.
void T_NAV_vRemoveTarget(void);
void T_NAV_vRemoveGrid(void);
// The same without a click.
void T_NAV_vRemoveTargetNow(void);
void T_NAV_vRemoveGridNow(void);

// Fills the waypoint table's target and grid hooks with the silent
// removals, so that deleting the waypoint also removes the menus.
void T_NAV_vInitGoTo(void);
