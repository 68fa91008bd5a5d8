// Palette bitmaps and arcs of the chart raster graphics library.
//
// A bitmap table (gr_InitBitmap) holds equally sized 4-bit bitmaps, bottom
// row first, two pixels a byte (the high nibble the left one); a pixel value
// v is drawn in palette colour IconColors[v]. Bitmaps print at the pen with
// zoom and a quarter-turn direction and leave the pen where it was. Arcs are
// drawn as short lines of the current line style through a 200-step table.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

constexpr int GR_ARC_STEPS = 200;

extern const DOUBLE gl_cos[GR_ARC_STEPS];
extern const DOUBLE gl_sin[GR_ARC_STEPS];
extern const UCHAR IconColors[16];

ERRORCODE gr_PrintBitmapWithType(GR_CONTEXT* gc, BMAPTYPE slot, SINT n);
ERRORCODE gf_PrintFastBitmap(GR_CONTEXT* gc, SINT n);
ERRORCODE gf_PrintBitmap(GR_CONTEXT* gc, SINT n);

// An arc around (pen + (dx, dy upward)) from angle start to end (radians,
// counter-clockwise on the picture); the pen ends on its last point.
ERRORCODE gr_DrawArc(GR_CONTEXT* gc, SINT dx, SINT dy, DOUBLE start, DOUBLE end, SINT radius);
