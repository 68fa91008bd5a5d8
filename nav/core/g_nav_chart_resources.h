// The drawing resources the navigation task lends the chart graphics
// library when it starts: the 8 x 8 pattern set of pattern slot 49 (one
// byte a row, eight bytes a pattern; pattern 0 is the dash of the cursor
// line and of dashed tracks) and the bitmaps of slots 4 and 5 (the
// breadcrumb dots), 8 (the boat, nine frames pointing 0, 10, ... 80
// degrees), 9 (the stationary boat), 10 (port), 11 (tide station) and 12
// (current station).
//
// Bitmaps hold 4-bit chart palette indices, two pixels a byte (high nibble
// left), each row padded to whole bytes; index 0 is the background a
// printer leaves out with its transparency attribute.
//
// PLACEHOLDER art until the icon set lands: the boat frames are hulls
// turned by their heading, the stationary boat a disc, the port, tide and
// current symbols a square, a circle and a diamond. The sizes are those the
// library's tables are registered with.
//
// The library's tables are process-wide and only read once filled; the
// task fills them before it registers any view that draws with them.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

constexpr PTTRNTYPE NAV_PATTERN_SET = 49;
constexpr SINT NAV_PATTERN_SIDE = 8;
constexpr SINT NAV_PATTERN_BYTES = 8;

constexpr BMAPTYPE NAV_BITMAP_BOAT = 8;
constexpr BMAPTYPE NAV_BITMAP_BOAT_STATIONARY = 9;
constexpr BMAPTYPE NAV_BITMAP_PORT = 10;
constexpr BMAPTYPE NAV_BITMAP_TIDE = 11;
constexpr BMAPTYPE NAV_BITMAP_CURRENT = 12;
constexpr SINT NAV_BITMAP_BOAT_FRAMES = 9;

// Fills pattern slot 49 and bitmap slots 4, 5 and 8 to 12.
void G_NAV_vRegisterChartResources(void);
