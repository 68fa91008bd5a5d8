// The pictures of the track, trolling-motor track, AIS and perspective
// painters: the start and end marks of a trolling-motor track, the 73
// direction arrows of a move or copy, the AIS ship symbols of eight classes
// in three variants and nine course steps, the end of a course line and the
// closest-approach cross, the eleven dot sizes of perspective breadcrumbs,
// the perspective pins and bird's-eye ship symbols, and the two registered
// chart bitmaps of 2D breadcrumbs.
//
// PLACEHOLDER art until the icon set lands, made once at start-up from a
// few shapes: every picture of a set has the size the painters rely on,
// and pictures that a painter chooses between differ in pixels (an arrow
// points its way, a ship symbol points along its course step and is filled
// in its class's colour, grey or red), so a test can tell which was drawn.
// 4-bit indices into the icon section of the colour table (80..95), index
// 15 transparent.
#pragma once

#include "chart_sdk/graphics/gr_types.h"
#include "graphics/g_icon.h"

// Trolling-motor tracks -------------------------------------------------------

extern const ICON rumbrelStart_icon; // 16 x 16
extern const ICON rumbrelEnd_icon;   // 16 x 16

// The move/copy arrows, every 5 degrees, ordered from the -180 direction to
// +180: entry 0 is RumbrelOffsetArrow_180, entry 1 _185 ... entry 35 _355,
// entry 36 _360, entry 37 _5 ... entry 72 _180 again. 21 x 21 each.
constexpr U32 NAV_ARROW_ICONS = 73;
extern const ICON* const g_NAV_RumbrelOffsetArrows[NAV_ARROW_ICONS];
// RumbrelOffsetArrow_<u32Degrees> for 5, 10, ... 360; null otherwise.
const ICON* G_NAV_pRumbrelOffsetArrow(U32 u32Degrees);

// AIS ---------------------------------------------------------------------------

typedef enum tag_NAV_AIS_CLASS : int {
    NAV_AIS_DREDGE = 0,
    NAV_AIS_CARGO,
    NAV_AIS_PASSENGER,
    NAV_AIS_TUG,
    NAV_AIS_LAW,
    NAV_AIS_TOW,
    NAV_AIS_SAIL,
    NAV_AIS_UNKNOWN,
    NAV_AIS_CLASS_COUNT
} NAV_AIS_CLASS;

typedef enum tag_NAV_AIS_VARIANT : int {
    NAV_AIS_NORMAL = 0,
    NAV_AIS_GREY,
    NAV_AIS_RED,
    NAV_AIS_VARIANT_COUNT
} NAV_AIS_VARIANT;

constexpr U32 NAV_AIS_COURSE_STEPS = 9; // 0, 10, ... 80 degrees

// <class>_boat_<angle>, _grey<angle>, _red<angle>: 20 wide, 24 high,
// pointing u32Step x 10 degrees clockwise from the top. Out-of-range
// arguments give the unknown class's normal 0-degree symbol.
const ICON* G_NAV_pAisShipIcon(NAV_AIS_CLASS eClass, NAV_AIS_VARIANT eVariant, U32 u32Step);
// <class>_boat_birds_eye, _birds_eye_grey, _birds_eye_red: 18 x 14.
const ICON* G_NAV_pAisBirdsEyeIcon(NAV_AIS_CLASS eClass, NAV_AIS_VARIANT eVariant);

extern const ICON AIS_circle; // 9 x 9
extern const ICON red_x_icon; // 11 x 11

// Perspective ---------------------------------------------------------------------

constexpr U32 NAV_PERSPECTIVE_DOTS = 11;
// Wpt_Temp1 .. Wpt_Temp11 and Wpt_Save1 .. Wpt_Save11: square dots of 12
// down to 2 pixels, the first for the bottom of a pane (near the eye), the
// last for its horizon.
extern const ICON* const s_pCurrentTrackpointIcons[NAV_PERSPECTIVE_DOTS];
extern const ICON* const s_pSavedTrackpointIcons[NAV_PERSPECTIVE_DOTS];

extern const ICON Wpt_pin_start_icon;     // 11 x 20
extern const ICON Wpt_pin_end_icon;       // 11 x 20
extern const ICON Wpt_pin_start_wht_icon; // 11 x 20
extern const ICON Wpt_pin_end_wht_icon;   // 11 x 20

// Registered chart bitmaps ------------------------------------------------------------

// The breadcrumb dots gr_PrintBitmapWithType prints: slot 4 for the
// current track, 5 for saved tracks; one 3 x 3 bitmap each, drawn through
// the chart palette (entries 12 and 13).
constexpr BMAPTYPE NAV_BREADCRUMB_CURRENT = 4;
constexpr BMAPTYPE NAV_BREADCRUMB_SAVED = 5;
constexpr SINT NAV_BREADCRUMB_SIZE = 3;
// Registers both slots (process-wide tables; gc's bitmap attributes are
// left on slot 5, as gr_InitBitmap leaves them).
void G_NAV_vRegisterBreadcrumbBitmaps(GR_CONTEXT* gc);
