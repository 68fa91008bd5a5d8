// The pictures of the boat painter, the chart's orientation mark and the
// perspective view's compass strip and waypoint pins.
//
// PLACEHOLDER art until the icon set lands, made once at start-up: every
// picture has the size the painters place it by, and the pictures a painter
// chooses between differ in pixels (each boat icon points along its own
// heading, the three sizes differ), so a test can tell which was drawn.
// 4-bit indices into the icon section of the colour table (80..95), index
// 15 transparent.
#pragma once

#include "graphics/g_icon.h"

// The boat: nine headings 0, 10, ... 80 degrees per size; headings from 90
// on are the same pictures turned by quarter turns.
constexpr U32 NAV_BOAT_HEADINGS = 9;
extern const ICON boat_icon_stationary; // 16 x 16
extern const ICON* const g_NAV_BoatIconsSmall[NAV_BOAT_HEADINGS];  // 10 x 16
extern const ICON* const g_NAV_BoatIconsMedium[NAV_BOAT_HEADINGS]; // 14 x 22
extern const ICON* const g_NAV_BoatIcons[NAV_BOAT_HEADINGS];       // 18 x 28

// The chart's orientation mark: a box at the pane's lower right and the
// arrow turned inside it.
extern const ICON NupBox;   // 44 x 24
extern const ICON NupArrow; // 12 x 18

// Perspective compass posts and waypoint pins.
extern const ICON PostLrg_icon;     // 3 x 14
extern const ICON PostSm_icon;      // 3 x 8
extern const ICON Wpt_pin_icon;     // 11 x 20
extern const ICON Wpt_pin_blk_icon; // 11 x 20
