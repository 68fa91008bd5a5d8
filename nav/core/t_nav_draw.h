// The navigation painters: what the chart, radar and 360-sonar overlays draw
// over a pane for every frame, and the rules they share.
//
// A pane is described by a NAV_VIEW_INFO, which the chart application
// fills for every frame. Positions are Mercator metres (x east, y north);
// a painter makes a position relative to the pane centre, x wrapped once
// around the earth (NAV_WORLD_MM), and converts it to a pixel with the
// pane's rotation and scale (u_nav_geometry.h). Pixel y grows upward, so
// north is up on an unrotated pane.
//
// Before converting, every painter drops or clips what lies farther than
// a half-width L from the centre: 800 pixels expressed in metres
// (NAV_BOX_PIXEL_SPAN / nPixelsPerMMM on charts, 800 / fPixelsPerMM on
// radar and 360 panes, bRadar set), so the conversion's products stay in
// range. A single point is inside when it lies strictly within -L .. L on
// both axes. A pane without a positive scale draws nothing.
//
// Lines go through the pane's GrContext (the chart palette, brush, pattern),
// icons and text straight into pBitmap; both are the same pixels. Painters
// leave the standard pen with pixel size 1 and the pattern off unless a
// comment says otherwise.
//
// Everything here runs in the view task while the chart overlay holds
// RES_NAV_DATA (mutex 9); the painters read the waypoint and route tables
// and the route state of t_nav_state.h without taking it again. Nothing
// allocates.
#pragma once

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_rotate.h"
#include "graphics/g_icon.h"
#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "nav/core/g_nav_overlay_icons.h"
#include "nav/data/t_nav_record.h"
#include "nmea/t_nmea_ais_standin.h"

// Constants ---------------------------------------------------------------

constexpr S32 NAV_HALF_WORLD_MM = 20038300; // largest Mercator x
constexpr S32 NAV_WORLD_MM = 40076600;      // wrap period of Mercator x
constexpr S32 NAV_CLIP_BOX_PIXELS = 800;     // the clip box reaches this far each way

constexpr U8 NAV_MOB_ICON = 30; // the man-overboard icon keeps its symbol and loses its name

// The proximity list: ids the waypoint painter appends during a frame.
constexpr U32 NAV_PROXIMITY_IDS = 3000;

// Chart palette numbers (gr_SetColor).
constexpr GL_COLOUR NAV_PALETTE_TRAVELLED = 7;  // travelled and skipped legs
constexpr GL_COLOUR NAV_PALETTE_ACTIVE_LEG = 10;
constexpr GL_COLOUR NAV_PALETTE_FINAL_LINE = 20; // boat to the final point after arrival
constexpr GL_COLOUR NAV_PALETTE_AHEAD = 21;      // legs ahead, cursor line, preview
constexpr GL_COLOUR NAV_PALETTE_RINGS = 23;      // target rings and grid

// The dashed line of the cursor line.
constexpr PTTRNTYPE NAV_DASH_PATTERN_TYPE = 49;

// Types -------------------------------------------------------------------

// One pane as the painters see it (the chart application fills it).
typedef struct tag_NAV_VIEW_INFO {
    BITMAP* pBitmap;        // icons and text; its size bounds the track clip box
    GR_CONTEXT GrContext;   // pen of every line, over the same pixels
    POINT ptBoatMM;         // boat position
    float fBoatHeading;     // degrees true
    POINT ptCenterMM;       // position shown at the pane centre
    POINT CenterOffset;     // pixel of the centre inside the pane
    S32 nChartRotation;     // degrees the chart is turned, 0 north up
    GP_ROTCONTEXT RotContext; // the pane's rotation (1024-scaled sine and cosine)
    S32 nWindowWidth;
    S32 nWindowHeight;
    S32 nChartScale;        // 8 (closest) .. 25
    S32 nPixelsPerMMM;      // pixels per 2^20 Mercator metres
    float fPixelsPerMM;     // pixels per Mercator metre, radar and 360 panes
    BOOLEAN bVuruzaveRender; // perspective panes only
    S32 nEyeOffsetMM;
    S32 nHorizonMM;         // perspective panes: how far ahead the view reaches
    float fHeading;         // perspective panes: the view's heading, degrees true
    POINT ptOffsetCenterMM;
    POINT ptDataOrigin;
    BOOLEAN bCursorActive;  // the chart cursor is shown at the pane centre
} NAV_VIEW_INFO;

// One waypoint of the proximity flags, as the chart overlay builds them.
typedef struct tag_NAV_PROXIMITY_ENTRY {
    float fDistanceFromBoat;   // metres
    float fDistanceFromCenter; // metres
    S32 x;                     // the waypoint, Mercator metres
    S32 y;
} NAV_PROXIMITY_ENTRY;

// The proximity list. The chart overlay empties it at the start of every
// frame; T_NAV_vRenderWaypoint appends while there is room, so ids past
// NAV_PROXIMITY_IDS in one frame get no flag.
extern S16 s_ProxTable[NAV_PROXIMITY_IDS];
extern U32 s_u32WPPCount;

// Rules every painter shares --------------------------------------------------

// P - ptCenterMM, x wrapped once into -NAV_HALF_WORLD_MM .. +NAV_HALF_WORLD_MM
// (y is not wrapped). Saturates rather than wraps for positions outside the
// world, which no table should hold.
POINT T_NAV_ptRelativeToCenter(const NAV_VIEW_INFO* pNVI, POINT ptMM);
// L of the 800-pixel box in metres, radar form when bRadar; 0 for a pane
// without a positive scale.
S32 T_NAV_nClipHalfWidth(const NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// L of the track painters and stored routes: the larger side of pBitmap
// instead of 800 pixels.
S32 T_NAV_nTrackClipHalfWidth(const NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// -L < x < L and -L < y < L.
BOOLEAN T_NAV_bInsideClipBox(const POINT* pptRelative, S32 nHalfWidth);
// A relative point to the pane's pixel, with its rotation; the chart
// conversion, or the radar one when bRadar.
void T_NAV_vConvertToPixel(const NAV_VIEW_INFO* pNVI, POINT* pptRelative, BOOLEAN bRadar);
// The high-zoom rescale of rings and circles: the shift s (0 up to 0xFFFF
// pixels per 2^20 metres); the scale is shifted right by s while relative
// coordinates, radii and L are shifted left by s.
S32 T_NAV_nHighZoomShift(S32 nPixelsPerMMM);

// Primitives --------------------------------------------------------------------

// A polyline of points already relative to ptCenterMM. A point inside the
// box sets the pen; a segment with an end outside is clipped to the box
// on its own, not drawn from the pen; one whose ends lie beyond the same
// edge is skipped. The caller sets colour, tool, size and pattern.
void T_NAV_vRenderPolyLineMM(POINT* pptBuffer, S32 nPointCount, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// An icon centred on an absolute point when it is inside the 800-pixel box:
// *ptAt becomes the icon's lower-left pixel corner. Otherwise nothing is
// drawn and *ptAt is left relative to the pane centre.
void T_NAV_vRenderRumbrelIcon(NAV_VIEW_INFO* pNVI, const ICON* pIcon, POINT* ptAt, BOOLEAN bRadar);
// The trolling-motor heading line from the boat pixel ptBoat: it starts
// nBowSpaceLength pixels out and reaches 2.5 times the smaller of nine
// tenths of the pane height and its width, in trolling-motor colour
// u32IPColorIndex. Leaves the brush with pixel size 2 selected.
void T_NAV_vRenderHeadingLine(NAV_VIEW_INFO* pNVI, U32 nAPHeading, POINT ptBoat, S32 nBowSpaceLength,
                              U32 u32IPColorIndex);
// qsort comparators of NAV_PROXIMITY_ENTRY: nearest first by the distance
// from the boat, or from the pane centre; 0 for equal distances.
int T_NAV_iProximitySortBoat(const void* X, const void* Y);
int T_NAV_iProximitySortCenter(const void* X, const void* Y);

// Waypoints, targets and grids ------------------------------------------------------

// One waypoint (id nIndex) with its icon and name. s32DeclutterWaypoint is
// its entry in the pane's declutter table: -1 decluttered, else the room in
// Mercator metres for its label. With bCheckDuplicateWaypoint a waypoint
// that has a twin at the same position is left to the twin.
void T_NAV_vRenderWaypoint(S32 nIndex, WAYPOINT* pWaypoint, NAV_VIEW_INFO* pNVI, S32 s32DeclutterWaypoint,
                           BOOLEAN bRadar, BOOLEAN bCheckDuplicateWaypoint);
// Casting rings ("SNCR" ground metres) around a pixel, at scale 12 or closer.
void T_NAV_vDrawCastingRings(NAV_VIEW_INFO* pNVI, POINT* pt);
// Three labelled range rings around the target waypoint "ITWP".
void T_NAV_vRenderWaypointTarget(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// The square grid of 7 x 7 lines around the grid waypoint "IGWP", turned by
// "SNGA" degrees.
void T_NAV_vRenderWaypointGrid(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// The waypoint under the chart cursor ("ICWP") with its boxed name.
void T_NAV_vRenderCursorWaypoint(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// A flag showing WP_Dist (metres) at a waypoint pixel, opening left near the
// right edge and hanging down near the top.
void T_NAV_vDrawProximityFlag(NAV_VIEW_INFO* pNVI, POINT* pt, float WP_Dist);
// The flag's text for WP_Dist in the distance unit "SUDS".
void T_NAV_vFormatProximityDistance(float WP_Dist, char* pcText, U32 u32Size);

// Routes ------------------------------------------------------------------------------

// The route being navigated (s_CurrentRoute): travelled, active and coming
// legs, the stored legs navigation skips, the line to the final point
// after arrival and the line to the cursor.
void T_NAV_vRenderRoute(ROUTE* pRoute, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// One stored route with the name of the newest route starting at its
// first waypoint.
void T_NAV_vRenderSavedRoute(ROUTE* pRoute, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar, BOOLEAN bHighlightedRoute);
// A route in the selection preview.
void T_NAV_vRenderRouteForPopupWindow(ROUTE* pRoute, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);

// Tracks and trolling-motor tracks ----------------------------------------------------

// TRACK_STYLE: the u32Style of a track.
constexpr U32 TRACK_STYLE_BREADCRUMBS = 0;
constexpr U32 TRACK_STYLE_SHORT_DASHED_LINE = 1;
constexpr U32 TRACK_STYLE_THIN_LINE = 2;
constexpr U32 TRACK_STYLE_WIDE_LINE = 3;

// The working copy of a track being moved or copied, which the cursor
// commands fill; drawn dashed while it holds points.
extern RUMBREL s_tMoveCopyRumbrel;

// The current track (bCurrentTrack: hidden while "SCTV" is off, carried on
// to the boat) or one saved track, in style u32Style and chart palette
// colour u32Color (swapped where the palette "SPAL" would hide it). Points
// farther than the larger bitmap side break the line; a gap point breaks it
// too. Breadcrumbs print registered bitmap 4 (current) or 5 (saved) at most
// once per 4 x 4 pixels.
void T_NAV_vRenderTrack(TRACK* pTrack, NAV_VIEW_INFO* pNVI, BOOLEAN bCurrentTrack, U32 u32Style, U32 u32Color,
                        BOOLEAN bRadar);
// One trolling-motor track in its trolling-motor colour and style, with its
// start mark and name and its end mark when asked; dashed as the working
// copy of a move or copy. Sets u32DisplayedOnChart to whether its box meets
// the pane.
void T_NAV_vRenderRumbrel(RUMBREL* pRumbrel, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar, BOOLEAN bShowStart,
                          BOOLEAN bShowEnd, BOOLEAN bUseMoveCopyStyle);
// The track the motor is led along, the approach from its start waypoint to
// the closest point and the part still to travel.
void T_NAV_vRenderRouteToRumbrel(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// The contour followed, and the line from where its segment began.
void T_NAV_STEVRIN_vRenderFTCRumbrel(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// The track being recorded and the line from its last point to the boat;
// without a valid "ILAT" / "ILON" the fix error is raised instead of the
// line, on every call.
void T_NAV_STEVRIN_vRenderRecordingRumbrel(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// The start mark and boxed name of the track under the cursor ("ICIT").
void T_NAV_vRenderCurosrRumbrel(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
// The arrow of the move/copy direction "IPID" at the pane centre, and the
// arrow a direction selects.
void T_NAV_vRenderMoveCopyRumbrelOffsetArrow(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
const ICON* T_NAV_pMoveCopyArrowIcon(float fDirection);

// AIS targets and alarm limits ---------------------------------------------------------

// One AIS target (the caller holds RES_AIS_TARGETS): its class's symbol
// turned to its course in 10-degree steps, red in alarm, grey when silent
// for more than 659 s by "IDTM"; the course line of "STCL", the lines to
// both vessels' closest-approach positions in alarm, and the MMSI when
// "SLBL" is on at scale 17 or closer.
void T_NAV_vRenderAIS(ais_DeviceInfo* pAisInfo, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);
NAV_AIS_VARIANT T_NAV_eAisVariant(const ais_DeviceInfo* pAisInfo);
NAV_AIS_CLASS T_NAV_eAisClass(U8 u8ShipType);
// The drift circle ("CNDA" around "IDLN"/"IDLT"), the arrival circle at the
// destination and the off-course corridor along the active leg, for
// ordinary and trolling-motor navigation; only the drift circle during man
// overboard.
void T_NAV_vRenderAlarmLimits(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar);

// Perspective panes ---------------------------------------------------------------------
//
// The twins of the painters above for the highway view (bVuruzaveRender
// clear) and the 3D chart view (set). A relative point is in view when it
// passes the right (2x' - y' <= E), left (2x' + y' >= -E) and near
// (2y' >= -E) edges, (x', y') turned by the pane's rotation and E its eye
// offset, and lies within 4E of the centre.
BOOLEAN T_NAV_bPerspectiveInView(NAV_VIEW_INFO* pNVI, const POINT* pptRelative);
// Relative points joined by the segment rule with the brush of pixel size
// 2; nothing for fewer than two points.
void T_NAV_vRenderPerspectivePolyLineMM(POINT* pptBuffer, S32 nPointCount, NAV_VIEW_INFO* pNVI);
// A track as lines (never carried on to the boat) or as dots sized by
// their height on the pane.
void T_NAV_vRenderPerspectiveTrack(TRACK* pTrack, NAV_VIEW_INFO* pNVI, BOOLEAN bCurrentTrack, U32 u32Style,
                                   U32 u32Color);
// Points nStart .. nEnd of a trolling-motor track, with its pins.
void T_NAV_vRenderPerspectiveRumbrel(NAV_VIEW_INFO* pNVI, RUMBREL* pRumbrel, int nStart, int nEnd, U32 u32Color,
                                     U32 u32Style, BOOLEAN bShowStart, BOOLEAN bShowEnd);
// An icon standing on an absolute point.
void T_NAV_vRenderPerspectiveRumbrelIcon(NAV_VIEW_INFO* pNVI, POINT pt, const ICON* pIcon);
// An AIS target's bird's-eye symbol with its MMSI above it.
void T_NAV_vRenderPerspectiveAis(ais_DeviceInfo* pAisInfo, NAV_VIEW_INFO* pNVI);
// The legs of the stored route pRoute that the route navigated skips.
void T_NAV_vRenderPerspectiveSkipedLeg(ROUTE* pRoute, NAV_VIEW_INFO* pNVI);
// The wireframe boat, the size it has at scale 18 at every scale.
void T_NAV_vRenderPerspectiveBoat(NAV_VIEW_INFO* pNVI);
