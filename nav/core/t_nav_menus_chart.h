// The chart menu items the navigation core keeps up to date: the card
// layer choices ("Base Layer", "Overlay", "Overlay Transparency"), the
// chart detail level, the lake list, the off-course and arrival alarm
// distances, the chart-plus-sonar split views, and moving the chart
// cursor to a position or a lake.
//
// The menu and view tasks own the menus and views; everything here is a
// request to them whose answer is not used.
#pragma once

#include "nav/core/t_nav_task.h" // T_NAV_bGPSDetected, T_NAV_vActivateUpdateHideStatus

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/lang.h"
#include "ui/u_menu_client.h"

constexpr U32 NAV_MAPFOLD_ROWS = 63;
// Base-layer values of the combined satellite pictures. They lie above
// every folder row's value (row + 1, at most 63), so no folder can be taken
// for one of them.
constexpr U32 NAV_BASE_SATELLITE_LAND = 64;
constexpr U32 NAV_BASE_SATELLITE_CONTOUR = 65;

typedef struct tag_MAPFOLD_LAYER {
    const TEXT_TABLE* pText;
    U32 u32Value; // the row
} MAPFOLD_LAYER;
// The lake-chart card folders, row by row.
extern const MAPFOLD_LAYER MapfoldLayers[NAV_MAPFOLD_ROWS];

constexpr MENU_PRIORITY MENU_BASE_EXPRESS_MAPFOLD = (MENU_PRIORITY)75;
constexpr MENU_PRIORITY MENU_OVERLAY_EXPRESS_MAPFOLD = (MENU_PRIORITY)76;
constexpr MENU_PRIORITY MENU_TRANSPARENCY_EXPRESS_MAPFOLD = (MENU_PRIORITY)78;
constexpr MENU_PRIORITY MENU_MAPFOLD_BASE_LAYER_MENU = (MENU_PRIORITY)681;
constexpr MENU_PRIORITY MENU_MAPFOLD_OVERLAY_LAYER_MENU = (MENU_PRIORITY)682;
constexpr MENU_PRIORITY MENU_MAPFOLD_MAIN_TRANSPARENCY = (MENU_PRIORITY)684;
constexpr MENU_PRIORITY MENU_CHART_LOCATIONS = (MENU_PRIORITY)686;
constexpr MENU_PRIORITY MENU_OFF_COURSE_ALARM = (MENU_PRIORITY)537;
constexpr MENU_PRIORITY MENU_ARRIVAL_ALARM = (MENU_PRIORITY)539;
constexpr LAYER_ID INFO_SONAR_PPI_VIEW_CHART_LAYER = 227;

extern TEXT_TABLE Base_Layer;           // "Base Layer"
extern TEXT_TABLE Overlay_Layer;        // "Overlay"
extern TEXT_TABLE Overlay_Transparency; // "Overlay Transparency"
extern TEXT_TABLE Chart_Detail_Level;   // "Chart Detail Level"
extern TEXT_TABLE Chart_Locations;      // "Lake List"
extern TEXT_TABLE Off_Course_Alarm;     // "Off Course Alarm"
extern TEXT_TABLE Arrival_Alarm;        // "Arrival Alarm"

// Express_Menu 0: the main menu's item in tab "Chart"; 1: the hot item of
// the chart-plus-chart view's right pane. The counts are the folders found
// on card slots 0 and 1.
void T_NAV_vRegisterBaseChartMenuItem(U32 TotalFoldersDevice0, U32 TotalFoldersDevice1, U32 Express_Menu);
void T_NAV_vRegisterOverlayChartMenuItem(U32 TotalFoldersDevice0, U32 TotalFoldersDevice1, U32 Express_Menu);
// What the navigation task does when the lake-chart card content changes:
// base and overlay of the main menu, then of the hot menu, only while a
// card holds folders.
void T_NAV_vUpdateCardLayerMenus(void);
void T_NAV_vRegisterChartDetailMenuItem(void);
void T_NAV_vRegisterLakeList(void);
void T_NAV_vRegisterArrivalAlarms(BOOLEAN bRemove);

// The chart-plus-Flankview (38) and chart-plus-Keelview (33) views by
// transducer type; the chart-plus-360 view (58), kept in simulation and
// point of sale.
void T_NAV_vEnableSonarAdvancedDisplays(BOOLEAN bEnable, U32 u32Transducer);
void T_NAV_vEnableSonar360Displays(BOOLEAN bEnable);

// Puts the chart cursor on the position (Mercator metres); a bad key click
// without a boat position or heading.
void T_NAV_vMoveCursorToWaypoint(POINT* pptCursorMM);
void T_NAV_vCursorToLakeList(U32 nIndex);
// The lake-list choice that moves the cursor.
void T_NAV_vSelectLakeListToCursorTo(void);

// Every flag of the chart menus as at power-up.
void T_NAV_MENUS_CHART_vReset(void);
