// The chart menu items the navigation core keeps up to date: the card
// layer choices ("Base Layer", "Overlay", "Overlay Transparency"), the
// chart detail level, the lake list and the off-course and arrival alarm
// distances.
//
// The menu and view tasks own the menus; everything here is a request to
// them whose answer is not used.
#pragma once

#include "kernel/l_types.h"
#include "store/lang.h"
#include "ui/u_menu_client.h"

constexpr MENU_PRIORITY MENU_CHART_LOCATIONS = (MENU_PRIORITY)686;
constexpr MENU_PRIORITY MENU_OFF_COURSE_ALARM = (MENU_PRIORITY)537;
constexpr MENU_PRIORITY MENU_ARRIVAL_ALARM = (MENU_PRIORITY)539;

extern TEXT_TABLE Base_Layer;           // "Base Layer"
extern TEXT_TABLE Overlay_Layer;        // "Overlay"
extern TEXT_TABLE Overlay_Transparency; // "Overlay Transparency"
extern TEXT_TABLE Chart_Locations;      // "Lake List"

// Express_Menu 0: the main menu's item in tab "Chart"; 1: the hot item of
// the chart-plus-chart view's right pane. The counts are the folders found
// on card slots 0 and 1.
void T_NAV_vRegisterBaseChartMenuItem(U32 TotalFoldersDevice0, U32 TotalFoldersDevice1, U32 Express_Menu);
void T_NAV_vRegisterOverlayChartMenuItem(U32 TotalFoldersDevice0, U32 TotalFoldersDevice1, U32 Express_Menu);
void T_NAV_vRegisterChartDetailMenuItem(void);
void T_NAV_vRegisterLakeList(void);
void T_NAV_vRegisterArrivalAlarms(BOOLEAN bRemove);
// The lake-list choice that moves the cursor.
void T_NAV_vSelectLakeListToCursorTo(void);
