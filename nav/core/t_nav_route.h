// Navigation control: the current route and its travel.
//
// Navigation is always the travel of one route record, s_CurrentRoute
// (t_nav_state.h): entry 0 is where the travel began, entries 1 onward the
// destinations in the order they are reached; a go-to is a route of two
// entries. The state is published at writer priority 2: "INIP" (index of
// the current destination, 0 idle), "IOWP"/"IDWP" (the leg's origin and
// destination waypoints), "ITRK" (the leg's course), "CCRT" (the stored
// route travelled, -1 none), "CCNC", "IARO", "IARA", "IAZR".
//
// While "IPNE" is true the trolling motor steers: travel, skip and reverse
// requests go to its link, and the link drives this route from its own
// task (arrival, skip, end, travel of a route record).
//
// Threads: the navigation task and the trolling-motor link's task. Every
// operation that reads or changes the route does so holding RES_NAV_DATA
// (mutex 9, recursive), and keeps it while it writes the keys that follow
// the route, so "INIP" never names an entry past the route as a reader
// holding the mutex sees it. Completion routines and the save question's
// answers run with it held when they run from inside an operation.
#pragma once

#include "kernel/l_types.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/data/t_nav_record.h"
#include "store/lang.h"

// Constants ---------------------------------------------------------------

constexpr MENU_PRIORITY MENU_SKIP_NEXT_WPT = (MENU_PRIORITY)5;
constexpr MENU_PRIORITY MENU_SAVE_CROUTE = (MENU_PRIORITY)81;
constexpr MENU_PRIORITY MENU_RESET_XTE = (MENU_PRIORITY)98;
constexpr U8 FLAG_ICON = 23;
constexpr U32 NAV_ROUTES_UNDER_CURSOR = 5;
// The parameter of ST_CMD_CLR_ROUTE_CONFIRM when the ended route was saved.
constexpr U32 NAV_ROUTE_SAVED_CONFIRM = 0x80000;

// Texts -------------------------------------------------------------------

extern TEXT_TABLE Cancel_Navigation;
extern TEXT_TABLE Reset_XTE;
extern TEXT_TABLE Skip_Next_Waypoint;
extern TEXT_TABLE Save_Current_Route;
extern TEXT_TABLE Reverse;
extern TEXT_TABLE START_UC;
extern TEXT_TABLE No_Waypoints;
extern TEXT_TABLE No_Routes;
extern TEXT_TABLE Navigation_Started;
extern TEXT_TABLE Fix_Required;
extern TEXT_TABLE Waypoint_Already_In_Route;
extern TEXT_TABLE Max_Waypoints_in_Route;
extern TEXT_TABLE Waypoint_Added;
extern TEXT_TABLE Route_Saved;
extern TEXT_TABLE Traveling_Route;
extern TEXT_TABLE Traveling_Route_In_Reverse;

// Module state --------------------------------------------------------------

extern BOOLEAN s_bCurrentRouteHasChanged;   // the user appended since the start
extern BOOLEAN s_bCurrentRouteIsInReverse;  // the stored route runs end to start
extern NAV_COMPLETION_FN* s_pEndNavigationComplete;
extern S16 s_s16RouteStartWPIndex;          // -1 none
extern WAYPOINT s_RouteStartWaypoint;       // "BEGIN", FLAG_ICON, temporary
extern S32 s_s32MiddleWPIndex;              // -1 none
extern BOOLEAN s_bShortenedRoute;
extern BOOLEAN s_bInitialTravelBackwards;
extern S16 s_s16RouteWPCount;
extern BOOLEAN s_bReverse;
extern U16 s_s16UnifiedRouteSave;           // 0xFFFF none
extern BOOLEAN s_bUnifiedTempRoute;
extern BOOLEAN s_bCurrentActiveRouteMenuCreated;
extern S32 s_aRoutesUnderCursor[NAV_ROUTES_UNDER_CURSOR]; // -1 none

// Every static of this module as at power-up; the route record cleared.
void T_NAV_vResetNavControl(void);
// Fills the waypoint table's drop-from-current-route hook and follows
// waypoint moves into the route, "IOWP" and "IDWP". Call after the tables
// were cleared or loaded.
void T_NAV_vInitNavControl(void);

// Navigation state and current route ------------------------------------------

BOOLEAN T_NAV_bStartRouteWithWayptOrigin(U32 nIndex, POINT* ptOrigin);
BOOLEAN T_NAV_bStartCurrentRouteWithWaypt(U32 nIndex);
BOOLEAN T_NAV_bWaypointToCurrentRoute(U32 nIndex);
void T_NAV_vEndNavigationNow(void);
void T_NAV_vStopNavigating(BOOLEAN bStopNavConfirm, NAV_COMPLETION_FN* pComplete);
void T_NAV_vCancelNavigation(void);
void T_NAV_vEndNavigationOnly(void);
void T_NAV_vSaveRouteAndEndNavigation(void);
void T_NAV_vSaveChangedRouteAndEndNav(BOOLEAN bConfirm, NAV_COMPLETION_FN* pComplete, U16 u16SaveIndex,
                                      BOOLEAN bTempRoute);
void T_NAV_vOnArrival(NAV_COMPLETION_FN* pComplete);
void T_NAV_vSkipCurrentRouteWaypoint(void);
void T_NAV_vSkipNextWaypoint(void);
void T_NAV_vCancelMOB(void);
BOOLEAN T_NAV_bIsRouteActive(U32 u32RteId);
ROUTE* T_NAV_vGetCurrentRoute(void);
ROUTE* T_NAV_pGetCurrentRoute(void);
void T_NAV_vSetRouteHasChanged(void);
void T_NAV_vUpdateCurrentRouteArray(U16 uCheckWptIndex);
void T_NAV_vUpdateCurrentRoute(ROUTE* pRoute);
// Entries 1 onward become a stored route (see t_nav_route_save.cpp).
void T_NAV_vSaveCurrentRoute(void);

// Steps shared with travel, go-to and the link -----------------------------------

void T_NAV_vRestoreAutoZoom(void);
void T_NAV_vReplaceRoutePoint(POINT pt);
void T_NAV_vNextTarget(void);
void T_NAV_vUnregister_Current_Traveling_Route_Menu(void);
U16 T_NAV_u16GetDepth(void);
// Key "IRT" + slot gets the route index; the slot is remembered.
void T_NAV_vRegister_Routes_Under_Cursor_Menu(LAYER_ID view, SPLIT_WINDOW_TYPE split, S32 nSlot, U32 u32Route);
// nSlot -1: every slot. The key gets -1.
void T_NAV_vUnregister_Routes_Under_Cursor_Menu(LAYER_ID view, SPLIT_WINDOW_TYPE split, S32 nSlot);

// Route travel ------------------------------------------------------------------

void T_NAV_vTravelSavedRoute(U32 nIndex, U32 u32StartAt, BOOLEAN bReverse);
void T_NAV_vTravelSelectedRoute(U32 nIndex, U32 u32StartAt, BOOLEAN bReverse);
// TRUE when the data was bad: a point was refused or the route is empty.
BOOLEAN T_NAV_vTravelMemoryRoute(ROUTE* pRoute, U32 u32StartAt, BOOLEAN bReverse);
void T_NAV_vTravelCursoredRouteFromPoint(U32 u32Index, BOOLEAN bReverse);
void T_NAV_vReverseRoute(void);
void T_NAV_vTravelRoute(ROUTE* pRoute, U16 u16RouteNdx, U16 u16StartNdx, BOOLEAN bReverse, POINT* ptStart);

void T_NAV_vTravelForwardRoute0(void);
void T_NAV_vTravelForwardRoute1(void);
void T_NAV_vTravelForwardRoute2(void);
void T_NAV_vTravelForwardRoute3(void);
void T_NAV_vTravelForwardRoute4(void);
void T_NAV_vTravelReverseRoute0(void);
void T_NAV_vTravelReverseRoute1(void);
void T_NAV_vTravelReverseRoute2(void);
void T_NAV_vTravelReverseRoute3(void);
void T_NAV_vTravelReverseRoute4(void);
void T_NAV_vForwardFromPoint0(void);
void T_NAV_vForwardFromPoint1(void);
void T_NAV_vForwardFromPoint2(void);
void T_NAV_vForwardFromPoint3(void);
void T_NAV_vForwardFromPoint4(void);
void T_NAV_vReverseFromPoint0(void);
void T_NAV_vReverseFromPoint1(void);
void T_NAV_vReverseFromPoint2(void);
void T_NAV_vReverseFromPoint3(void);
void T_NAV_vReverseFromPoint4(void);
void T_NAV_vTravelForward(void);
void T_NAV_vTravelReverse(void);
