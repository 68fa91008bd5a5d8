// Graphics context state of the chart raster graphics library and the
// process-wide tables the contexts refer to: font rack, pattern table,
// bitmap table and colour palette. The tables are filled once at start-up
// and only read afterwards; a context belongs to the one task drawing with it.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

extern FONT* FontsRack[GR_FONT_SLOTS];
extern PATTERN_TABLE PatternInfo[GR_PATTERN_SLOTS];
extern BITMAP_TABLE BitmapInfo[GR_BITMAP_SLOTS];
extern const U16* gl_pucPalette;

// Set-up.
ERRORCODE gr_InitGC(GR_CONTEXT* gc, PIXELDIM dim, VSCREENPTR buffer);
ERRORCODE gr_SetClipArea(GR_CONTEXT* gc, SINT x, SINT y, SINT w, SINT h);
ERRORCODE gr_SetGMode(GR_CONTEXT* gc, UCHAR mode);
ERRORCODE gr_SetDrawingTool(GR_CONTEXT* gc, DRAWING_TOOL tool);
ERRORCODE gr_SetPixelSize(GR_CONTEXT* gc, SINT size);
ERRORCODE gr_SetColor(GR_CONTEXT* gc, GL_COLOUR colour);
GL_COLOUR gr_GetColor(const GR_CONTEXT* gc);
ERRORCODE gr_SetColorPalette(const U16* palette);
ERRORCODE gr_SetPaletteEntry(SINT index, GL_COLOUR colour);
ERRORCODE gr_SetVideoGraphMode(GR_CONTEXT* gc);
ERRORCODE gr_ResetVideoGraphMode(GR_CONTEXT* gc);
ERRORCODE gr_SetTranspAttr(GR_CONTEXT* gc, SINT flag, GL_COLOUR colour);

// Fonts.
ERRORCODE gr_AddFont(FONT* font, FONTINDEX slot);
ERRORCODE gr_SetFontType(GR_CONTEXT* gc, FONTINDEX slot);
ERRORCODE gr_SetFontZoom(GR_CONTEXT* gc, ZOOMFACTOR zx, ZOOMFACTOR zy);
ERRORCODE gr_SetFontDirection(GR_CONTEXT* gc, PRINTDIR dir);
ERRORCODE gr_SetPrintingDirection(GR_CONTEXT* gc, UINT32 degrees);
SINT gr_GetFontWidth(FONTINDEX slot);
SINT gr_GetFontHeight(FONTINDEX slot);
SINT gr_GetFontDescender(FONTINDEX slot);

// Bitmaps.
ERRORCODE gr_InitBitmap(GR_CONTEXT* gc, const UCHAR* table, BMAPTYPE slot, PIXELDIM dim, SINT size);
ERRORCODE gr_SetBitmapZoom(GR_CONTEXT* gc, ZOOMFACTOR zx, ZOOMFACTOR zy);
ERRORCODE gr_SetBitmapDirection(GR_CONTEXT* gc, PRINTDIR dir);

// Patterns.
ERRORCODE gr_InitPattern(const UCHAR* table, PTTRNTYPE slot, PIXELDIM dim, SINT size);
ERRORCODE gr_SetPatternType(GR_CONTEXT* gc, PTTRNTYPE slot);
ERRORCODE gr_SetPatternIndex(GR_CONTEXT* gc, PTTRNTABLENDX n);
ERRORCODE gr_SetPatternStatus(GR_CONTEXT* gc, BOOL on);
ERRORCODE gr_SetPatternZoom(GR_CONTEXT* gc, ZOOMFACTOR zx, ZOOMFACTOR zy);
ERRORCODE gr_ResetPattern(GR_CONTEXT* gc);

// The pen in logical coordinates.
ERRORCODE gr_GetLogicPosition(const GR_CONTEXT* gc, PIXELPOS* out);

// Palette entry n as a 16-bit pixel (0 while no palette is installed).
GL_COLOUR gr_PaletteColour(SINT n);

// True when the buffer point (x, r) lies inside the clip rectangle.
inline bool gr_InClip(const GR_CONTEXT* gc, SINT x, SINT r)
{
    return x >= gc->cliporig.px && x <= gc->cliplim.px && r >= gc->cliporig.py && r <= gc->cliplim.py;
}
