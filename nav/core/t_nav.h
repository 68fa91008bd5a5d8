// The navigation core's once-a-second work and the calls around it: the
// navigation update with its readouts and decisions, the boat simulation,
// current-track recording and its menu actions, and man-overboard
// navigation.
//
// Everything here runs in the navigation task (task 16) unless a comment
// says otherwise. The update reads its inputs from the data store key by
// key and writes its readouts at writer priority 2. The navigation tables,
// the current route and the current track are guarded by RES_NAV_DATA
// (mutex 9, recursive for its owner); RES_AIS_DATA (68) guards the AIS
// target pool. Where both are taken, 9 comes first.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_profile.h"
#include "store/lang.h"
#include "ui/u_view.h"

// Constants ---------------------------------------------------------------

constexpr MBOX NAV_MAILBOX = 16;
constexpr MUTEX RES_AIS_DATA = 68;
constexpr SEMA SEMA_TIMER_NAV = 81;   // the navigation task's 1000 ms timer
constexpr SEMA SEMA_NAV_MAILBOX = 43; // mailbox 16's semaphore

constexpr float NAV_SIMULATION_SPEED = 2.5f; // m/s while navigating
constexpr U32 NAV_TIME_TO_GO_LIMIT = 359940;  // 99 h 59 min: no time to go from here
constexpr U32 NAV_NO_DATE_TIME = 0xFFFFFFFF;
constexpr U16 NAV_NO_MOB_WAYPOINT = 0xFFFF;
constexpr U32 NAV_LEG_POINTS = 50; // the leg point list s_ptRoutePoint

// Views and panes the navigation items and layers are registered in.
constexpr LAYER_ID BIRDS_EYE_VIEW_PRIORITY = 23;
constexpr LAYER_ID CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY = 25;
constexpr LAYER_ID CHART_PLUS_CHART_VIEW_PRIORITY = 26;
constexpr LAYER_ID CHART_VIEW_PRIORITY = 28;
constexpr LAYER_ID CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY = 29;
constexpr LAYER_ID CHART_PLUS_KEELVIEW_VIEW_PRIORITY = 33;
constexpr LAYER_ID CHART_PLUS_2D_VIEW_PRIORITY = 35;
constexpr LAYER_ID CHART_PLUS_FLANKVIEW_VIEW_PRIORITY = 38;
constexpr LAYER_ID SONAR_PPI_PLUS_CHART_VIEW_PRIORITY = 58;
constexpr LAYER_ID RADAR_PLUS_CHART_VIEW_PRIORITY = 66;
constexpr LAYER_ID INFO_TRACKING_MEMORY_WARNING_LAYER = 259;

// Menu positions of the items registered here.
constexpr MENU_PRIORITY MENU_CANCEL_NAV = (MENU_PRIORITY)1;
constexpr MENU_PRIORITY MENU_SAVE_CTRACK = (MENU_PRIORITY)72;
constexpr MENU_PRIORITY MENU_CLEAR_CTRACK = (MENU_PRIORITY)73;
constexpr MENU_PRIORITY MENU_CURRENT_TRACK = (MENU_PRIORITY)208;

// The track memory warning holds this key mask while it is on screen.
constexpr U32 NAV_WARNING_KEY_MASK = 8;

// Types -------------------------------------------------------------------

typedef double FLOAT;

typedef struct tag_VIEW_AND_SPLIT {
    LAYER_ID eView;
    SPLIT_WINDOW_TYPE eSplit;
} VIEW_AND_SPLIT;

constexpr U32 NAV_VIEW_COUNT = 12;
// The chart panes that carry the per-view navigation hot items, in the
// order in which items are registered and removed.
extern const VIEW_AND_SPLIT s_aNavViews[NAV_VIEW_COUNT];

// Texts -------------------------------------------------------------------
//
// Menus know items by the address of their text, so every task that
// registers or removes one of these items uses these very tables.

extern TEXT_TABLE Nav_Tab;
extern TEXT_TABLE Current_Track;
extern TEXT_TABLE Current_Track_Save;
extern TEXT_TABLE Current_Track_Clear;
extern TEXT_TABLE Current_Track_Appearance;
extern TEXT_TABLE Stop_Tracking;
extern TEXT_TABLE Start_Tracking;
extern TEXT_TABLE Clear_Current_Track;
extern TEXT_TABLE Save_Current_Track;
extern TEXT_TABLE Cancel_MOB;
extern TEXT_TABLE Track_Saved;   // "{XXX}" stands for the track's name
extern TEXT_TABLE Track_cleared;
extern TEXT_TABLE No_Tracks;
extern TEXT_TABLE TrackMemoryWarning;
extern TEXT_TABLE Position_Cursor_First;

// Navigation update -------------------------------------------------------

// The tick, on each expiry of the 1000 ms timer.
void T_NAV_vHandleUpdateTimer(void);
// Rhumb-line distance in metres, rounded to single precision.
FLOAT T_NAV_fDistanceBetweenPoints(const POINT* pptA, const POINT* pptB);
// Writes "ICBH" and "ICBD". Any task may call it.
void T_NAV_vUpdateCursorDistAndBearing(const POINT* pptBoatMM, const POINT* pptCursorMM);
// The trolling-motor link's new leg start.
void T_NAV_vUpdateStevrinOWT(const POINT* ptNewOWT, BOOLEAN bInitStartTime);
// Bearing from the boat to point Navigation_target of the current route; 0
// without a valid boat position, with an empty route or a missing waypoint.
float T_NAV_vGetTargetBearing(U32 Navigation_target);
// Restart the current leg at the boat.
void T_NAV_vRecalculate(void);
void T_NAV_vResetXTE(void);

// Boat simulation ---------------------------------------------------------

void T_NAV_vInitSimulation(void);
void T_NAV_vSetBoatSimulationStartPosition(void);

// Track recording ---------------------------------------------------------

void T_NAV_vStartTrack(void);
void T_NAV_vStopTrack(void);
void T_NAV_vSaveCurrentTrack(void);
void T_NAV_vClearCurrentTrack(void);
void T_NAV_vCurrentTrackAppearance(void);
void T_NAV_vTrackDefaults(void);
TRACK* T_NAV_pGetCurrentTrackPtr(void);
// The draw callback of INFO_TRACKING_MEMORY_WARNING_LAYER (view task).
void T_NAV_vTrackMemoryWarning(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// A key closes the warning while it is on screen: TRUE when it did.
BOOLEAN T_NAV_bCloseTrackMemoryWarning(void);

// Man overboard -----------------------------------------------------------

// Called with RES_NAV_DATA held, after s_u16MOBWaypoint is set.
void T_NAV_vStartMOBNavigation(void);
