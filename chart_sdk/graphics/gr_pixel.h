// Raster primitives of the chart raster graphics library: single pixels,
// the square brush, horizontal and vertical spans, filled rectangles, the
// area pattern span and the line pattern step. Coordinates are buffer
// coordinates (row 0 the first row of the buffer) except for the gr_ calls.
// Only gr_SetPixel and gr_DrawRectangle test the clip rectangle; the brush
// stamp tests each of its pixels; the other gf_ primitives trust callers to
// stay inside the buffer.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

// Combines colour c (already shifted into the half-words of mask m) into
// word with the pixel mode.
inline void gf_ApplyMode(U32* word, U32 c, U32 m, UCHAR mode)
{
    switch (mode) {
    case GR_MODE_REPLACE:
        *word = (*word & ~m) | c;
        break;
    case GR_MODE_AND:
        *word = *word & (~m | c);
        break;
    case GR_MODE_OR:
        *word |= c;
        break;
    case GR_MODE_XOR:
        *word ^= c;
        break;
    default:
        break;
    }
}

inline U32* gf_PixelWord(const GR_CONTEXT* gc, SINT x, SINT r)
{
    return reinterpret_cast<U32*>(gc->vsptr) + static_cast<ptrdiff_t>(r) * gc->scrdim.rowsize + (x >> 1);
}

void gf_PutPixel(GR_CONTEXT* gc, SINT x, SINT r);
void gf_SetBit(SINT* word, SINT shift, GL_COLOUR colour, UCHAR mode);
SINT gf_GetPixel(const GR_CONTEXT* gc, SINT x, SINT r);
ERRORCODE gr_SetPixel(GR_CONTEXT* gc, SINT x, SINT y);
void gf_PutBrushPixel(GR_CONTEXT* gc, SINT x, SINT r, SINT sx, SINT sr);

// Steps the line pattern by one pixel: 1 draw, 0 skip (always 1 while the
// pattern status is off).
SINT gf_CheckPattern(GR_CONTEXT* gc);
void gf_ResetPattern(GR_CONTEXT* gc);

void gf_HorLine(GR_CONTEXT* gc, SINT x, SINT r, SINT n);
void gf_HorLineWithPattern(GR_CONTEXT* gc, SINT x, SINT r, SINT n);
void gf_VertLine(GR_CONTEXT* gc, SINT x, SINT r, SINT n);
void gf_DrawRectangle(GR_CONTEXT* gc, SINT x, SINT r, SINT dw, SINT dr);
ERRORCODE gr_DrawRectangle(GR_CONTEXT* gc, SINT x, SINT y, SINT w, SINT h);
