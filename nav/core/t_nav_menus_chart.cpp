// STAND-INS of the chart menu items until their module is built: each keeps
// the name and arguments of the real call and does nothing else; the real
// module replaces this file whole.
#include "nav/core/t_nav_menus_chart.h"

#include "nav/core/t_nav_cursor_items.h"

#define NAV_CHART_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Base_Layer = NAV_CHART_TEXT("Base Layer");
TEXT_TABLE Overlay_Layer = NAV_CHART_TEXT("Overlay");
TEXT_TABLE Overlay_Transparency = NAV_CHART_TEXT("Overlay Transparency");
TEXT_TABLE Chart_Locations = NAV_CHART_TEXT("Lake List");

void T_NAV_vRegisterBaseChartMenuItem(U32, U32, U32) {}
void T_NAV_vRegisterOverlayChartMenuItem(U32, U32, U32) {}
void T_NAV_vRegisterChartDetailMenuItem(void) {}
void T_NAV_vRegisterLakeList(void) {}
void T_NAV_vRegisterArrivalAlarms(BOOLEAN) {}
void T_NAV_vSelectLakeListToCursorTo(void) {}
void T_NAV_vSetMapOffset(void) {}
void T_NAV_vClearMapOffset(void) {}
