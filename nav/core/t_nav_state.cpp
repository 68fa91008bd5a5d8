// The navigation module's state and its shared texts (see t_nav_state.h).
#include "nav/core/t_nav_state.h"

#include "nav/core/t_nav.h"

// Texts -------------------------------------------------------------------

#define NAV_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Nav_Tab = NAV_ALL_LANGUAGES("Nav");
TEXT_TABLE Current_Track = NAV_ALL_LANGUAGES("Current Track");
TEXT_TABLE Current_Track_Save = NAV_ALL_LANGUAGES("Save");
TEXT_TABLE Current_Track_Clear = NAV_ALL_LANGUAGES("Clear");
TEXT_TABLE Current_Track_Appearance = NAV_ALL_LANGUAGES("Appearance");
TEXT_TABLE Stop_Tracking = NAV_ALL_LANGUAGES("Stop Tracking");
TEXT_TABLE Start_Tracking = NAV_ALL_LANGUAGES("Start Tracking");
TEXT_TABLE Clear_Current_Track = NAV_ALL_LANGUAGES("Clear Current Track");
TEXT_TABLE Save_Current_Track = NAV_ALL_LANGUAGES("Save Current Track");
TEXT_TABLE Cancel_MOB = NAV_ALL_LANGUAGES("Cancel MOB Navigation");
TEXT_TABLE Track_Saved = NAV_ALL_LANGUAGES("Track {XXX} Saved");
TEXT_TABLE Track_cleared = NAV_ALL_LANGUAGES("Track cleared");
TEXT_TABLE No_Tracks = NAV_ALL_LANGUAGES("No more tracks can be saved. Out of track memory.");
TEXT_TABLE TrackMemoryWarning = NAV_ALL_LANGUAGES(
    "The track will record for 10 more minutes before being full. Save the track and create a new one or "
    "adjust the track point interval to avoid overwriting data.");
TEXT_TABLE Position_Cursor_First = NAV_ALL_LANGUAGES(
    "Exit menu mode and move the cursor to the position where you would like the simulation to begin, then "
    "select \"Set Simulation Position\" again.");

const VIEW_AND_SPLIT s_aNavViews[NAV_VIEW_COUNT] = {
    {CHART_VIEW_PRIORITY, SPLIT_FULL_WINDOW},
    {BIRDS_EYE_VIEW_PRIORITY, SPLIT_FULL_WINDOW},
    {CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_KEELVIEW_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_FLANKVIEW_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
    {CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
    {CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
    {RADAR_PLUS_CHART_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
    {SONAR_PPI_PLUS_CHART_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
};

// Route control -----------------------------------------------------------

namespace {

ROUTE routeCleared()
{
    ROUTE r = {};
    r.bRtNotShared = 1;
    return r;
}

} // namespace

ROUTE s_CurrentRoute = routeCleared();
ROUTE* s_pCurrentRoute = nullptr;
POINT s_ptRoutePoint[NAV_LEG_POINTS];
U32 s_nRoutePointUsed = 0;
U32 s_nRoutePointTarget = 1;
BOOLEAN s_bStartedRouteInMiddle = FALSE;
BOOLEAN s_bRecalculate = FALSE;
POINT s_ptRecalculateOrigin;

void T_NAV_vClearRoutePoint(void)
{
    s_nRoutePointTarget = 1;
    s_nRoutePointUsed = 0;
}

void T_NAV_vAddRoutePoint(POINT pt)
{
    if (s_nRoutePointUsed < NAV_LEG_POINTS)
        s_ptRoutePoint[s_nRoutePointUsed++] = pt;
}

// The leg ------------------------------------------------------------------

POINT s_ptOWT;
U32 s_u32TimeOWT = 0;
U32 s_u32NavStartTime = 0;
float s_fDistTraveled = -1.0f;
POINT ptPrevBoatMM;
U32 s_u32ZoomKeyDownTime = 0;

U16 s_u16MOBWaypoint = NAV_NO_MOB_WAYPOINT;

// Current track ------------------------------------------------------------

TRACK s_CurrentTrack;
BOOLEAN s_bTrackEnable = TRUE;
U32 s_nTrackTickCounter = 0;
BOOLEAN s_bAddPowerOnGapPoint = TRUE;
std::atomic<BOOLEAN> s_bFTCNavOn{FALSE};
BOOLEAN s_bTrackingMemoryWarning = FALSE;
BOOLEAN s_bTrackingMemoryWarningDisplayed = FALSE;
U8 s_u8TrackingMemoryWarningTime = 0;

// The simulated boat -------------------------------------------------------

const SIMULATION_STEP s_BoatSimulatorAimPoints[NAV_SIMULATION_STEPS] = {
    {0.1f, 2.5f, {0, 1000}},
    {-0.05f, 2.0f, {-1000, 1000}},
    {0.1f, 2.5f, {-1000, 0}},
    {-0.1f, 2.5f, {0, 0}},
};

const S32 s_as32RudderAdjustment[NAV_RUDDER_ADJUSTMENTS] = {0, -7, -15, -7, 0, 7, 15, 7};

BOAT_DESCRIPTOR s_BoatDescriptor;
POINT s_ptSimulationStartPoint;
POINT s_ptAbsoluteAimPoint;
U32 s_u32IndexInAimpointList = 0;
BOOLEAN s_bSimulatingSquare = TRUE;
U32 s_u32RudderAdjustmentIndex = 0;
TICKS s_TimeStamp = 0;
