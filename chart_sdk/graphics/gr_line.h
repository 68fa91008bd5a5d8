// Lines and pens of the chart raster graphics library: the pen of a context,
// the pen-driven line operations (solid, patterned or brush as the context
// says), the line clipper and the fast one-pixel line.
//
// A line from p0 to p1 covers the pixels from p0 up to but not including p1,
// so consecutive segments of a polyline write their shared vertex once; a
// clipped line also writes the point where it leaves the clip rectangle.
// Every pen-driven line leaves the pen at its target, drawn or not.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

ERRORCODE gr_SetAbsPenPos(GR_CONTEXT* gc, SINT x, SINT y);
ERRORCODE gr_SetRelPenPos(GR_CONTEXT* gc, SINT dx, SINT dy);
ERRORCODE gr_DrawAbsLine(GR_CONTEXT* gc, SINT x, SINT y);
ERRORCODE gr_DrawRelLine(GR_CONTEXT* gc, SINT dx, SINT dy);
ERRORCODE gf_DrawAbsLine(GR_CONTEXT* gc, SINT x1, SINT r1);
ERRORCODE gf_DrawRelLine(GR_CONTEXT* gc, SINT dx, SINT dr);

// clip 0 draws without clipping: the caller keeps the line inside the clip
// rectangle.
ERRORCODE gr_ClipAndDrawAbsLine(GR_CONTEXT* gc, SINT x, SINT y, SINT clip);
ERRORCODE gf_DrawSolidLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1, SINT clip);
ERRORCODE gf_DrawPttrnLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1, SINT clip);
ERRORCODE gf_DrawBrushLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1);

// Clips a segment to the clip rectangle in place. GR_OUT_OF_CLIP when no
// part of it is visible (the points are then not meaningful).
ERRORCODE gf_ClipLine(const GR_CONTEXT* gc, SINT* x0, SINT* r0, SINT* x1, SINT* r1, BOOL* clipped, BOOL* reversed);

// A one-pixel line between two logical points that leaves the pen, pen
// size, tool and pattern alone; clip 1 clips, anything else draws unclipped.
ERRORCODE gr_SmartDrawLine(GR_CONTEXT* gc, SINT clip, SINT x0, SINT y0, SINT x1, SINT y1);
