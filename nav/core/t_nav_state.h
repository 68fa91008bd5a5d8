// The navigation module's state: the route being navigated and the leg it
// is on, the leg point list drawn for it, man overboard, the current track
// with its recording state, and the simulated boat.
//
// The navigation task owns all of it. Other tasks read the route, the leg
// point list and the current track only with RES_NAV_DATA held, so the
// navigation task changes them only with that mutex held; the rest is read
// and written by the navigation task alone.
#pragma once

#include "kernel/l_types.h"
#include "nav/core/t_nav.h"
#include "nav/data/t_nav_record.h"

#include <atomic>

// Route control -----------------------------------------------------------

// Entry 0 is where the travel began, entries 1 .. nCount-1 the destinations;
// with INIP = "INIP" the current leg runs from entry INIP-1 to entry INIP.
// Cleared (all zero, then bRtNotShared set) when the process starts.
extern ROUTE s_CurrentRoute;
// The stored route being travelled, null when none.
extern ROUTE* s_pCurrentRoute;
// The polyline drawn for the current route: s_nRoutePointUsed points, the
// boat heading for the one at s_nRoutePointTarget.
extern POINT s_ptRoutePoint[NAV_LEG_POINTS];
extern U32 s_nRoutePointUsed;
extern U32 s_nRoutePointTarget;
extern BOOLEAN s_bStartedRouteInMiddle;
// The current leg was restarted at s_ptRecalculateOrigin.
extern BOOLEAN s_bRecalculate;
extern POINT s_ptRecalculateOrigin;

// Target index 1, no points.
void T_NAV_vClearRoutePoint(void);
// Appends while fewer than NAV_LEG_POINTS are in use.
void T_NAV_vAddRoutePoint(POINT pt);

// The leg ------------------------------------------------------------------

extern POINT s_ptOWT;             // where the current leg began
extern U32 s_u32TimeOWT;          // "IDTM" when it began
extern U32 s_u32NavStartTime;     // start of the navigation; 0: take it at the next tick
extern float s_fDistTraveled;     // metres while navigating; -1: not counting
extern POINT ptPrevBoatMM;        // boat position at the previous counted tick
extern U32 s_u32ZoomKeyDownTime;  // free-running ms when a zoom key went down; 0 none

// Man overboard ------------------------------------------------------------

extern U16 s_u16MOBWaypoint; // NAV_NO_MOB_WAYPOINT when there is none

// Current track ------------------------------------------------------------

extern TRACK s_CurrentTrack;
extern BOOLEAN s_bTrackEnable;        // points are added only while TRUE
extern U32 s_nTrackTickCounter;       // ticks since the last attempt that reached the lock
extern BOOLEAN s_bAddPowerOnGapPoint; // the next point starts a segment
extern std::atomic<BOOLEAN> s_bFTCNavOn; // the motor follows a contour: no points
extern BOOLEAN s_bTrackingMemoryWarning;          // given for the current shortage
extern BOOLEAN s_bTrackingMemoryWarningDisplayed; // on screen
extern U8 s_u8TrackingMemoryWarningTime;          // recording steps on screen

// The simulated boat -------------------------------------------------------

typedef struct tag_MM_POSITION_DOUBLE {
    double dX;
    double dY;
} MM_POSITION_DOUBLE;

typedef struct tag_BOAT_DESCRIPTOR {
    FLOAT fHeadingDegrees; // 0 to 360, kept at single precision
    float fSpeedMetresPerSecond;
    float fSpeedLimitMetresPerSecond;     // acceleration stops here
    float fTurnGain;                      // degrees per tick per (m/s x degree of rudder)
    float fRudderAngle;                   // degrees, positive to starboard
    float fAccelerationMetresPerSecondPerSecond;
    MM_POSITION_DOUBLE CurrentPositionDoubleMM; // Mercator metres, x not wrapped
} BOAT_DESCRIPTOR;

typedef struct tag_SIMULATION_STEP {
    float fAcceleration;
    float fSpeedLimit;
    POINT ptAimpoint; // offset from the start point
} SIMULATION_STEP;

constexpr U32 NAV_SIMULATION_STEPS = 4;
constexpr U32 NAV_RUDDER_ADJUSTMENTS = 8;
extern const SIMULATION_STEP s_BoatSimulatorAimPoints[NAV_SIMULATION_STEPS];
extern const S32 s_as32RudderAdjustment[NAV_RUDDER_ADJUSTMENTS];

extern BOAT_DESCRIPTOR s_BoatDescriptor;
extern POINT s_ptSimulationStartPoint;
extern POINT s_ptAbsoluteAimPoint;
extern U32 s_u32IndexInAimpointList;   // square step; initialisation keeps it
extern BOOLEAN s_bSimulatingSquare;     // until the first navigation
extern U32 s_u32RudderAdjustmentIndex; // place in the jitter table
extern TICKS s_TimeStamp;              // kernel ms of the previous step; 0 = clock start

// Helpers of the navigation files -------------------------------------------

// Rhumb-line bearing, degrees 0 to 360 (0 for coinciding points).
double T_NAV_dBearing(const POINT* pFrom, const POINT* pTo);
// A waypoint's position, under RES_NAV_DATA; FALSE unless the id names a
// waypoint slot that holds a waypoint (status 1 to 3).
BOOLEAN T_NAV_bWaypointPosition(U32 u32Id, POINT* pPoint);

// The simulation step of the update: moves the boat and writes it out.
// *pBoat becomes the new position when the boat moved.
void T_NAV_vSimulationStep(U32 u32DateTime, POINT* pBoat);
// The recording step of the update, with the boat position and the system
// state of the tick.
void T_NAV_vRecordTrackStep(POINT ptBoat, U32 u32State);
