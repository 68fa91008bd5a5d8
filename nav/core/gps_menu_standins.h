// STAND-INS for the calls the GPS-detected registrations make of modules
// not built yet: the chart application's chart-source item, declutter
// action and base-chart query, and the group manager's editors and its
// waypoint and route items.
//
// Each keeps the name and arguments of the real call; delete it when the
// real module arrives. Every call is recorded as a line of text for the
// tests to read; the answers are scriptable. Safe from any thread.
#pragma once

#include "kernel/l_types.h"

#include <string>
#include <vector>

// "chart-select": the chart-source item of the Chart tab.
void T_CHART_vCallRegisterChartSelectMenuItem(void);
// "declutter": the hot menus' "Chart Declutter" action.
void T_CHART_vChartDeclutter(void);
// Whether card slot 0 or 1 holds a lake-chart base chart (scripted, FALSE).
BOOLEAN T_CHART_bMapfoldBaseChartOnCard(U32 u32Card);
// "group-setup", "waypoint-settings": the group manager's editors.
void T_NAV_GROUP_vSetup(void);
void T_NAV_GROUP_vWaypointSettings_Setup(void);
// "waypoint-route-items": the Nav tab's "Waypoints" and "Routes" items
// are taken away.
void T_NAV_vRegisterWaypointAndRouteMenuItems(void);

void NAV_GPS_STANDIN_vSetBaseChart(U32 u32Card, BOOLEAN bPresent);
std::vector<std::string> NAV_GPS_STANDIN_vCalls(void);
void NAV_GPS_STANDIN_vForget(void);
