// Text of the chart raster graphics library: fixed-width 1-bit bitmap fonts
// from the font rack printed at the pen of a context, magnified by whole
// factors, in one of four glyph orientations (fntdir), with the pen
// advancing along the orientation or, for upright glyphs, along a printing
// direction in degrees (PrintDir). The pen is the lower-left pixel of the
// character cell. Ink takes the context colour; background pixels are
// skipped while transpflag is set and otherwise painted in palette entry 0.
// Pixels outside the clip rectangle are skipped one by one.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

// Font body: 256 little-endian 32-bit offsets from the start of the body
// (entry i is the glyph record of code FirstChar + i), four bytes 0xFF, then
// records of BlockSize bytes: the glyph width, then PixHeight rows of
// RowSize bytes, bottom row first, column j being bit j mod 8 of byte j / 8.
struct font_tag {
    UCHAR FontDescr[20];   // name, NUL-terminated
    const UCHAR* TablePtr; // the font body
    SINT PixWidth;         // cell width; no glyph is drawn wider
    SINT PixHeight;
    SINT BlockSize; // bytes of one glyph record
    SINT RowSize;   // bytes of one glyph row
    UCHAR FirstChar;
    UCHAR LastChar;
    SINT Descender; // rows of the cell below the baseline
};

// Prints a NUL-terminated string of byte characters at the pen; stops at the
// first hard error and returns the result of the last character printed.
ERRORCODE gr_PrintString(GR_CONTEXT* gc, const char* s);
// One character, upright, unzoomed, pen advancing right.
ERRORCODE gf_PrintFastChar(GR_CONTEXT* gc, UCHAR ch);
// One character with zoom, orientation and printing direction.
ERRORCODE gf_PrintChar(GR_CONTEXT* gc, UCHAR ch);
// The pen step (dy counted upward) for printing direction dir: from the
// cell's origin to where a ray in that direction leaves a box of
// w x zx by h x zy pixels.
void gf_ComputeNewCurPosInHorMode(SINT dir, SINT w, SINT h, SINT zx, SINT zy, SINT* dx, SINT* dy);
// Width and height of upright, horizontal text; GR_BAD_DIRECTION otherwise.
ERRORCODE gr_StringPixelDim(const GR_CONTEXT* gc, const char* s, PIXELDIM* out);
// Width in pixels of a string in the context's font; kind 's'/'S' for a
// NUL-terminated string, 'l'/'L' for a length byte followed by the
// characters; -1 for any other kind.
SINT gr_GetPStrLen(const GR_CONTEXT* gc, const char* s, char kind);
SINT gf_GetPStrLen(const GR_CONTEXT* gc, const FONT* font, const char* s, char kind);
