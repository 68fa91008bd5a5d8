// The navigation icons: the large icons of the unit's own waypoints and the
// icons of waypoints shared by other units (both indexed by a waypoint's
// icon number, NAV_ICON_TYPE 0-71), the small symbols of decluttered
// waypoints, the start of the route being navigated, the chart cursor and
// the pieces of the proximity flag.
//
// 4-bit indices into the icon section of the colour table (80..95), index
// 15 transparent.
//
// PLACEHOLDER art until the icon set lands: every waypoint icon is one
// 20 x 20 disc (black for the unit's own waypoints, blue for shared ones),
// the man-overboard icon (30) a red disc with a white cross. The declutter
// tables measure entry 0 of the large table to decide when two waypoints'
// icons collide, so the size is what the code relies on.
//
// The proximity flag: PBox_R is the pointer piece of a flag opening to the
// right, its tip at its lower-left pixel and the flag body in its top
// NAV_FLAG_BODY_ROWS rows; PBox_Middle pieces and PBox_End_R continue the
// body to the right, PBox_End_L and PBox_L are the mirror images. The body
// pieces carry the band in their top NAV_FLAG_BODY_ROWS rows too.
#pragma once

#include "graphics/g_icon.h"

constexpr U32 NAV_ICON_COUNT = 72;
constexpr U32 NAV_FLAG_BODY_ROWS = 24;

extern const ICON* const g_NAV_Icons_Large[NAV_ICON_COUNT];
extern const ICON* const g_NAV_Icons_Remote[NAV_ICON_COUNT];

extern const ICON Waypoint_dctr_icon;        // 8 x 8
extern const ICON Waypoint_dctr_remote_icon; // 8 x 8
extern const ICON WaypointStart_icon;        // 20 x 20
extern const ICON Cursor_icon;               // 38 x 38

extern const ICON PBox_R;      // 16 x 40
extern const ICON PBox_L;      // 16 x 40
extern const ICON PBox_Middle; // 8 x 32
extern const ICON PBox_End_R;  // 12 x 32
extern const ICON PBox_End_L;  // 12 x 32
