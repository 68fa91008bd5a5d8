// The navigation task's reaction to the data-store changes it subscribes
// to: element masks and sonar views, the drift anchor, the heading-line
// flag, joining the network, the trolling motor's contour offset and depth
// text, view and pane changes, the "Reverse" menu of a travelled route and
// the system state (simulation and playback).
//
// Everything here runs in the navigation task (task 16). Mutex 9
// (RES_NAV_DATA) guards the current-track work, mutex 104
// (RES_DORRIM_QUELLMARIMAGE) the followed contour.
#pragma once

#include "kernel/l_types.h"
#include "store/database_msg.h"
#include "ui/u_view.h"

// One change mail; keys this task does not handle are ignored. The caller
// frees the mail.
void T_NAV_vHandleNewData(MESSAGE_NEW_DATA* pMessage);

// Actions of the last-saved-route menu: remove the route "CLRT" names
// (nothing for a negative one).
void T_NAV_vDeleteLastSavedRoute(void);
// The last saved route's "Route" items go; the route items under the
// cursor are made again when one of them named it.
void T_NAV_vUnregister_Last_Saved_Route_Menu(void);

// The sonar elements available here ("ELPM") and over the network
// ("ENPM"), as last reported.
U32 T_NAV_u32LocalElementMask(void);
U32 T_NAV_u32NetworkElementMask(void);
// The mask names the rotating 360-degree sonar element.
BOOLEAN T_NAV_bElementMaskHas360(U32 u32Mask);
// "SNHL" as last reported.
BOOLEAN T_NAV_bHeadingLineShown(void);
// Set while the pilot book is being opened: the view change it causes keeps
// the cursor.
extern BOOLEAN s_bPilotBookOpening;
// The "Cursor To" hot menu of the chart panes exists.
extern BOOLEAN s_bCursorToWaypointMenuCreated;

// The chart application's pane painters. The chart is built on top of the
// navigation core, so it hands them over at start; until then the chart
// panes of the views registered here draw nothing.
typedef struct tag_NAV_CHART_PANE_DRAWS {
    DRAW_FUNCTION* pfnChartView;
    DRAW_FUNCTION* pfnPerspectiveView;
} NAV_CHART_PANE_DRAWS;
void T_NAV_vInstallChartPaneDraws(const NAV_CHART_PANE_DRAWS* pDraws);

// The chart pane's or the perspective pane's painter in use.
DRAW_FUNCTION* T_NAV_pfnChartPaneDraw(BOOLEAN bPerspective);
// Registers the chart plus 2D sonar view if it is not, or removes it.
void T_NAV_vEnableSonar2DDisplays(BOOLEAN bEnable);
// The chart plus 2D sonar view is registered with the view task.
BOOLEAN T_NAV_bChartPlus2DViewRegistered(void);

// Every flag of the handler as at power-up (previous state 0, no menus).
void T_NAV_NEWDATA_vReset(void);
