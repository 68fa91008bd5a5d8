// The overlays: what the navigation module draws over a 2D chart pane, a
// perspective (highway) pane, the 360-degree sonar sweep and the radar
// picture, and the own boat on a chart. The painters of t_nav_draw.h draw
// single objects; the overlays decide which of them run, in which order,
// under which settings and locks.
//
// Everything here runs in the view task with the pane's NAV_VIEW_INFO.
// Locks: RES_NAV_DATA (9, recursive) around each overlay's walk of the
// tables, taken again around the trolling-motor tracks; RES_AIS_TARGETS
// (68) only around a walk of the AIS targets, inside 9, and taken even
// when the targets are hidden so that the lock order never depends on a
// setting; RES_LOADED_TRACK (38) from the load of one saved track to its
// release.
//
// The overlays call the painters through g_tNavOverlayRenderers, which
// holds the real painters; a test or a benchmark may replace entries to
// record or count the calls, and puts the defaults back afterwards.
#pragma once

#include "kernel/l_types.h"
#include "nav/core/t_nav_draw.h"
#include "nav/data/t_nav_record.h"
#include "nmea/t_nmea_ais_standin.h"
#include "ui/u_view.h"

// Constants ---------------------------------------------------------------

constexpr LAYER_ID SNAPSHOT_THUMBNAIL_LAYER = 209;
constexpr U32 NAV_MAX_PROXIMITY_FLAGS = 10;
constexpr U32 NAV_NO_MOVE_COPY_RUMBREL = 0xFFFF;

// Types -------------------------------------------------------------------

typedef struct tag_NAV_OVERLAY_RENDERERS {
    void (*pfnRenderAIS)(ais_DeviceInfo*, NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderWaypointTarget)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderWaypointGrid)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderPolyLineMM)(POINT*, S32, NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderAlarmLimits)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderRoute)(ROUTE*, NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderTrack)(TRACK*, NAV_VIEW_INFO*, BOOLEAN, U32, U32, BOOLEAN);
    void (*pfnRenderSavedRoute)(ROUTE*, NAV_VIEW_INFO*, BOOLEAN, BOOLEAN);
    void (*pfnRenderRouteForPopupWindow)(ROUTE*, NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderWaypoint)(S32, WAYPOINT*, NAV_VIEW_INFO*, S32, BOOLEAN, BOOLEAN);
    void (*pfnRenderRumbrel)(RUMBREL*, NAV_VIEW_INFO*, BOOLEAN, BOOLEAN, BOOLEAN, BOOLEAN);
    void (*pfnRenderMoveCopyRumbrelOffsetArrow)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderFTCRumbrel)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderRecordingRumbrel)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderRouteToRumbrel)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnDrawProximityFlag)(NAV_VIEW_INFO*, POINT*, float);
    void (*pfnRenderCursorRumbrel)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderCursorWaypoint)(NAV_VIEW_INFO*, BOOLEAN);
    void (*pfnRenderBoat)(NAV_VIEW_INFO*);
    void (*pfnRenderNupArrow)(NAV_VIEW_INFO*);
    void (*pfnRenderPerspectiveTrack)(TRACK*, NAV_VIEW_INFO*, BOOLEAN, U32, U32);
    void (*pfnRenderPerspectiveAis)(ais_DeviceInfo*, NAV_VIEW_INFO*);
    void (*pfnRenderPerspectiveRumbrel)(NAV_VIEW_INFO*, RUMBREL*, int, int, U32, U32, BOOLEAN, BOOLEAN);
    void (*pfnRenderPerspectivePolyLineMM)(POINT*, S32, NAV_VIEW_INFO*);
    void (*pfnRenderPerspectiveSkipedLeg)(ROUTE*, NAV_VIEW_INFO*);
    void (*pfnRenderPerspectiveBoat)(NAV_VIEW_INFO*);
} NAV_OVERLAY_RENDERERS;

extern const NAV_OVERLAY_RENDERERS g_ctNavDefaultOverlayRenderers;
extern NAV_OVERLAY_RENDERERS g_tNavOverlayRenderers;

// The answer of the sonar history's cursor-view test (view, split); the
// composition root installs it. Unset, no sonar view is a cursor view.
typedef BOOLEAN NAV_CURSOR_VIEW_TEST(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit);
void T_NAV_vSetSonarCursorViewTest(NAV_CURSOR_VIEW_TEST* pfnTest);
// The installed test's answer; FALSE when none is installed.
BOOLEAN T_NAV_bIsSonarCursorView(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit);

// State -------------------------------------------------------------------

// The recorded track a move or copy works on (drawn in the move/copy
// style in its slot); NAV_NO_MOVE_COPY_RUMBREL none.
extern U32 s_u32MoveCopyRumbrelId;

// The snapshot preview: the chart overlay of the cursor pane copies its
// view into s_SnapshotNVI while a thumbnail is pending and registers the
// thumbnail layer once when s_bRegisterThumbnailLayer is set.
extern void* s_pSnapshotThumbnailPreview;
extern NAV_VIEW_INFO s_SnapshotNVI;
extern BOOLEAN s_bRegisterThumbnailLayer;

// Chart panes ---------------------------------------------------------------

// Every navigation object over a chart pane, the boat on top and the
// orientation mark last. bRenderCursorWaypoint for the pane that owns the
// cursor; bLeftPane picks the pane's declutter table.
void T_NAV_vDrawChartOverlay(NAV_VIEW_INFO* pNVI, BOOLEAN bRenderCursorWaypoint, BOOLEAN bLeftPane);
// The saved tracks near the view, each loaded, drawn and released in
// turn; nothing in point-of-sale mode.
void T_NAV_vRenderSavedTracks(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// The boat and the items of a pop-up selection; the id list ends with
// 0xFFFF and ids of no known kind are passed over.
void T_NAV_vDrawChartTwrSelected(NAV_VIEW_INFO* pNVI, const U16* pTwrItemsSelected);
// The orientation box with its arrow turned by the chart's orientation.
void T_NAV_vRenderNupArrow(NAV_VIEW_INFO* pNVI);
// The position a new mark takes: the cursor in the chart and cursor views
// while the cursor is active, else the boat. FALSE with the bad key click
// (and the fix error without a boat position) when there is none.
BOOLEAN T_NAV_vGetPosBeforeMark(POINT* ptMark);
// Ends navigation at once when pRoute is the route being travelled.
void T_NAV_vDeleteRouteMenuInSkelvinMenu(ROUTE* pRoute);

// The boat ------------------------------------------------------------------

// The speed below which a boat without a heading sensor shows the
// stationary icon and no course projection.
constexpr float NAV_STATIONARY_SPEED = 0.25f; // m/s
constexpr U32 GPS_TYPE_COMPASS = 5;
constexpr S32 NAV_DISTANCE_STEPS = 26;
// The course projection's marker step by chart scale, statute miles.
extern const float s_cfDistanceTable[NAV_DISTANCE_STEPS];

// The icon of a boat heading: the heading picture (0 .. 8, tens of
// degrees) and the quarter turns it is drawn with.
void T_NAV_vBoatIconOfHeading(float fHeading, U32* pu32Icon, U32* pu32QuarterTurns);
// The marker texts of the course projection: minutes to the marker at the
// speed (">1 Day" from 1400 minutes), and its distance with the unit.
void T_NAV_vFormatMarkerTime(float fStatuteMiles, float fSpeed, char* pcText, U32 u32Size);
void T_NAV_vFormatMarkerDistance(float fStatuteMiles, float fStep, char* pcValue, U32 u32ValueSize,
                                 const char** ppcUnit);
// The boat, its course projection, heading lines and the cursor line;
// nothing in point-of-sale mode.
void T_NAV_vRenderBoat(NAV_VIEW_INFO* pNVI);

// Perspective panes ------------------------------------------------------------

constexpr U32 NAV_COMPASS_POSTS = 17; // every 5 degrees, 40 each side of the heading

typedef struct tag_NAV_COMPASS_POST {
    S32 nLabelAngle;  // the bearing the post stands for, in the shown unit
    S32 nTrueBearing; // where it stands: the label angle plus the variation
    BOOLEAN bLarge;   // every 15 degrees, with a label
    char acLabel[8];  // hemisphere letter or three digits; empty on small posts
    BOOLEAN bVisible; // inside the pane's side lines
    POINT ptPixel;    // where the post's foot projects (visible posts)
} NAV_COMPASS_POST;

// The posts of the compass strip from the left, as the strip draws them.
void T_NAV_vHighwayCompassPosts(NAV_VIEW_INFO* pNVI, NAV_COMPASS_POST aPosts[NAV_COMPASS_POSTS]);
// The compass posts along the horizon, labelled every 15 degrees.
void T_NAV_vDrawHighwayCompass(NAV_VIEW_INFO* pNVI);
// The navigation objects in perspective, the boat last.
void T_NAV_vDrawHighwayOverlay(NAV_VIEW_INFO* pNVI);

// Sweep and radar panes ---------------------------------------------------------

// Waypoints over the 360-degree sweep.
void T_NAV_vDrawSweepOverlay(NAV_VIEW_INFO* pNVI, BOOLEAN bRenderCursorWaypoint, BOOLEAN bLeftPane);
// The navigation objects over the radar picture.
void T_NAV_vDrawRadarOverlay(NAV_VIEW_INFO* pNVI, BOOLEAN bRenderCursorWaypoint, BOOLEAN bLeftPane);
// The AIS targets over the radar picture.
void T_NAV_vDrawRadarAisOverlay(NAV_VIEW_INFO* pNVI);
// Metres between two Mercator positions along the great circle.
float T_NAV_fRadarDistanceBetweenPoints(const POINT* pptA, const POINT* pptB);

// Shared by the overlays ------------------------------------------------------------

// Whether a waypoint gets the duplicate check: not when it is a duplicate
// whose twin exists, is not temporary and lies in no visible group.
BOOLEAN T_NAV_bCheckDuplicateOf(U32 u32Index);
// Metres from A to B (nautical miles of the geodesy converted).
float T_NAV_fDistanceMetres(const POINT* pptA, const POINT* pptB);
