// The chart cursor's info menus and the navigation part of the Setup tab,
// registered when the system starts running (CMD_ID_RUN_SYSTEM).
#pragma once

#include "kernel/l_types.h"
#include "ui/u_view.h"
#include "store/h_profile.h"
#include "store/lang.h"
#include "ui/u_menu_client.h" // MENU_GO_TO_WAYPOINT

constexpr MENU_PRIORITY MENU_CHART_INFO = (MENU_PRIORITY)705;
constexpr MENU_PRIORITY MENU_SNAPSHOT_INFO = (MENU_PRIORITY)706;
constexpr MENU_PRIORITY MENU_FORWARD_FROM_POINT = (MENU_PRIORITY)659;
constexpr MENU_PRIORITY MENU_REVERSE_FROM_POINT = (MENU_PRIORITY)660;
constexpr MENU_PRIORITY MENU_TRAVEL_FORWARD = (MENU_PRIORITY)661;
constexpr MENU_PRIORITY MENU_TRAVEL_REVERSE = (MENU_PRIORITY)662;
constexpr MENU_PRIORITY MENU_GOTO_ROUTE0 = (MENU_PRIORITY)663; // slot k is 663 + k
constexpr MENU_PRIORITY MENU_WIPE_NAV_ALL = (MENU_PRIORITY)150;
constexpr U32 NAV_GOTO_ROUTE_SLOTS = 5;
constexpr LAYER_ID INFO_CHART_VIEW_LAYER = 234;
constexpr LAYER_ID INFO_CHART_PLUS_2D_LAYER = 238;
constexpr LAYER_ID INFO_CHART_PLUS_KEELVIEW_LAYER = 223;
constexpr LAYER_ID INFO_CHART_PLUS_BIRDS_EYE_LAYER = 241;
constexpr LAYER_ID INFO_CHART_PLUS_CHART_LAYER = 245;
constexpr LAYER_ID INFO_CHART_PLUS_FLANKVIEW_LAYER = 247;
constexpr LAYER_ID INFO_BIRDS_EYE_LAYER = 240;

// The two info menus of the chart cursor; the key handling opens them with
// a chosen subset of their items.
extern TEXT_TABLE Waypoint_Info_Menu; // "Waypoint Info"
extern TEXT_TABLE GoTo_Menu;          // "GoTo Menu"
// The main menu's "Chart" tab.
extern TEXT_TABLE Chart_Tab;

void T_NAV_vHandleRunSystem(void);

// A GPS was detected (semaphore 111; it may fire again): the sonar keys are
// watched, the chart panes get their hot menus, the chart views and their
// info layers are registered, MARK and GOTO are taken and the 1 s timer
// runs. The tabs are registered and the timer started only once.
void T_NAV_vHandleGPSDetected(void);
extern BOOLEAN s_b_GPSDetected;
extern BOOLEAN bNavAndChartTabsRegistered;
// Every flag of the two handlers as at power-up; the timer is stopped.
void T_NAV_MENUS_vReset(void);

// The cursor's Go To info menu for a waypoint in u32Routes saved routes
// (IRT0.. name them): with one route "Go To Point", "Forward from Point",
// "Reverse from Point" and, unless it is the travelled one, "Travel
// Forward" and "Travel Reverse"; with several "Go To Point" and one
// "Route" item per route (five at most), the travelled route's slot
// offering only forward and reverse from the point. s32TravelledSlot is
// the slot of the route being travelled, -1 when none is listed.
void T_NAV_vActivateGoToMenu(U32 u32Routes, S32 s32TravelledSlot);
// The waypoint info menu with "Chart Info" and "View Snapshot".
void T_NAV_vActivateWaypointInfoMenu(void);
