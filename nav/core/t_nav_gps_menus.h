// The chart and navigation settings a detected GPS brings into the main
// menu: the Chart tab's view items, the time, date and position formats of
// the Setup tab, the navigation alarms, the Nav tab's items and the chart
// items of the chart source in use ("IPCS" 1: lake charts).
//
// Every run registers the same items again (the menu task replaces items
// of the same identity); the chart-source branch also takes away the items
// of the other source.
#pragma once

#include "kernel/l_types.h"
#include "store/h_profile.h"
#include "store/lang.h"
#include "ui/u_menu_client.h"

constexpr MENU_PRIORITY MENU_CHART_DECLUTTER = (MENU_PRIORITY)69;
constexpr MENU_PRIORITY MENU_CHART_CARD = (MENU_PRIORITY)74;
constexpr MENU_PRIORITY MENU_TIME_ZONE = (MENU_PRIORITY)158;
constexpr MENU_PRIORITY MENU_DST = (MENU_PRIORITY)159;
constexpr MENU_PRIORITY MENU_POSITION_FORMAT = (MENU_PRIORITY)160;
constexpr MENU_PRIORITY MENU_TIME_FORMAT = (MENU_PRIORITY)162;
constexpr MENU_PRIORITY MENU_DATE_FORMAT = (MENU_PRIORITY)163;
constexpr MENU_PRIORITY MENU_WAYPOINTS_ROUTES_TRACKS = (MENU_PRIORITY)209;
constexpr MENU_PRIORITY MENU_WAYPOINT_SETTINGS = (MENU_PRIORITY)210;
constexpr MENU_PRIORITY MENU_TRACKS = (MENU_PRIORITY)211;
constexpr MENU_PRIORITY MENU_CASTING_RINGS = (MENU_PRIORITY)215;
constexpr MENU_PRIORITY MENU_WAYPOINT_PROXIMITY = (MENU_PRIORITY)223;
constexpr MENU_PRIORITY MENU_TRACKPOINT_INTERVAL = (MENU_PRIORITY)226;
constexpr MENU_PRIORITY MENU_TRACK_MIN_DISTANCE = (MENU_PRIORITY)227;
constexpr MENU_PRIORITY MENU_SET_SIMULATION_POSITION = (MENU_PRIORITY)230;
constexpr MENU_PRIORITY MENU_3D_VIEW_OUTLINE = (MENU_PRIORITY)236;
constexpr MENU_PRIORITY MENU_FV_NAVIGATION = MENU_SI_NAVIGATION; // 242
constexpr MENU_PRIORITY MENU_DRIFT_ALARM = (MENU_PRIORITY)540;
constexpr MENU_PRIORITY MENU_CONTOUR_LINES = (MENU_PRIORITY)675;
constexpr MENU_PRIORITY MENU_DEPTH_COLORS = (MENU_PRIORITY)676;
constexpr MENU_PRIORITY MENU_HIGHLIGHT_DEPTH = (MENU_PRIORITY)677;
constexpr MENU_PRIORITY MENU_HIGHLIGHT_DEPTH_RANGE = (MENU_PRIORITY)678;
constexpr MENU_PRIORITY MENU_LAKE_LEVEL_OFFSET = (MENU_PRIORITY)679;
constexpr MENU_PRIORITY MENU_SAFETY_DEPTH = (MENU_PRIORITY)680;

// The hot menus' declutter item, one per chart pane.
extern TEXT_TABLE Chart_Declutter; // "Chart Declutter"

// The Chart, Setup, Alarms and Nav tab items and the chart-source branch.
void T_NAV_vRegisterGPSSettingMenus(void);
// "Set Map Offset" while no offset is in use ("SCOT" and "SCON" both 0 or
// missing), else "Clear Map Offset".
void T_NAV_vRegisterSetOrClearMapOffsetMenuItem(void);
