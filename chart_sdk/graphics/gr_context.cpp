// Graphics context state and the process-wide tables.
//
// Setters never fail except as noted: a font slot above 69, a pen size below
// 1 and a text direction of 360 or more are refused and leave the context
// unchanged; the XOR/brush combination is reported but accepted. Pattern and
// bitmap slots beyond their tables are refused too, since nothing would stop
// them from writing past the tables.
#include "chart_sdk/graphics/gr_context.h"

#include "chart_sdk/graphics/gr_text.h"

#include <atomic>

FONT* FontsRack[GR_FONT_SLOTS];
PATTERN_TABLE PatternInfo[GR_PATTERN_SLOTS];
BITMAP_TABLE BitmapInfo[GR_BITMAP_SLOTS];
const U16* gl_pucPalette;

static void ResetPatternPosition(PATTERNATTRIB* pa)
{
    pa->curbyte = 0;
    pa->curbit = 0;
    pa->zycounter = 0;
    pa->zxcounter = 0;
}

// The palette may be a section of the active colour table, which its owner
// rewrites while charts are drawn: an entry is loaded whole, as it is stored.
GL_COLOUR gr_PaletteColour(SINT n)
{
    if (!gl_pucPalette)
        return 0;
    return static_cast<GL_COLOUR>(std::atomic_ref<U16>(const_cast<U16&>(gl_pucPalette[n])).load(std::memory_order_relaxed));
}

ERRORCODE gr_InitGC(GR_CONTEXT* gc, PIXELDIM dim, VSCREENPTR buffer)
{
    const SINT rowsize = (dim.pw + 1) / 2;
    gc->vsptr = buffer;
    gc->npix = 2;
    gc->nbytes = static_cast<UINT32>(rowsize) * static_cast<UINT32>(dim.ph) * 4u;
    gc->cp = {0, 0};
    gc->mode = GR_MODE_REPLACE;
    gc->colour = 0xFFFF;
    gc->pixdim = dim;
    gc->scrdim = {rowsize, dim.ph};
    gc->cliporig = {0, 0};
    gc->cliplim = {dim.pw - 1, dim.ph - 1};
    gc->fntattrib = {0, nullptr, 0, 1, 1, 0, 0};
    // Pattern and bitmap state start empty rather than undefined: a context
    // that never selects a pattern or bitmap still draws predictably.
    gc->bmpattrib = {0, 0, nullptr, 0, 1, 1, 0};
    gc->ptrnattrib = {FALSE, 0, 0, nullptr, 0, 0, 1, 1, 0, 0};
    gc->status = GC_VIRTUAL;
    gc->transpflag = 0;
    gc->PixelSize = 1;
    gc->DrTool = STD_PEN;
    gc->PrintDir = 0;
    return GR_OK;
}

ERRORCODE gr_SetClipArea(GR_CONTEXT* gc, SINT x, SINT y, SINT w, SINT h)
{
    ERRORCODE result = GR_OK;
    S64 x0 = x;
    S64 x1 = static_cast<S64>(x) + w - 1;
    if (x0 > x1) {
        const S64 t = x0;
        x0 = x1;
        x1 = t;
    }
    S64 r0 = static_cast<S64>(gc->pixdim.ph) - 1 - y;
    S64 r1 = r0 - h + 1;
    if (r0 > r1) {
        const S64 t = r0;
        r0 = r1;
        r1 = t;
    }
    if (x1 > gc->pixdim.pw - 1) {
        x1 = gc->pixdim.pw - 1;
        result = GR_OUT_OF_CLIP;
    }
    if (r1 > gc->pixdim.ph - 1) {
        r1 = gc->pixdim.ph - 1;
        result = GR_OUT_OF_CLIP;
    }
    if (x0 < 0) {
        x0 = 0;
        result = GR_OUT_OF_CLIP;
    }
    if (r0 < 0) {
        r0 = 0;
        result = GR_OUT_OF_CLIP;
    }
    // A rectangle wholly outside the buffer is kept cut on its near edges
    // only: it is then empty (first after last) and every clip test fails.
    // The far edges are pulled to just beyond the buffer so that they fit.
    if (x0 > gc->pixdim.pw) {
        x0 = gc->pixdim.pw;
    }
    if (r0 > gc->pixdim.ph) {
        r0 = gc->pixdim.ph;
    }
    if (x1 < -1) {
        x1 = -1;
    }
    if (r1 < -1) {
        r1 = -1;
    }
    gc->cliporig = {static_cast<SINT>(x0), static_cast<SINT>(r0)};
    gc->cliplim = {static_cast<SINT>(x1), static_cast<SINT>(r1)};
    return result;
}

ERRORCODE gr_SetGMode(GR_CONTEXT* gc, UCHAR mode)
{
    gc->mode = mode;
    return (mode == GR_MODE_XOR && gc->DrTool == BRUSH) ? GR_XOR_WITH_BRUSH : GR_OK;
}

ERRORCODE gr_SetDrawingTool(GR_CONTEXT* gc, DRAWING_TOOL tool)
{
    gc->DrTool = tool;
    return (tool == BRUSH && gc->mode == GR_MODE_XOR) ? GR_BRUSH_WITH_XOR : GR_OK;
}

ERRORCODE gr_SetPixelSize(GR_CONTEXT* gc, SINT size)
{
    if (size <= 0) {
        return GR_BAD_PIXEL_SIZE;
    }
    gc->PixelSize = size;
    return GR_OK;
}

ERRORCODE gr_SetColor(GR_CONTEXT* gc, GL_COLOUR colour)
{
    if (colour & GR_DIRECT_COLOUR) {
        gc->colour = colour & ~GR_DIRECT_COLOUR;
    } else {
        gc->colour = gr_PaletteColour(static_cast<SINT>(colour));
    }
    return GR_OK;
}

GL_COLOUR gr_GetColor(const GR_CONTEXT* gc)
{
    return gc->colour;
}

ERRORCODE gr_SetColorPalette(const U16* palette)
{
    gl_pucPalette = palette;
    return GR_OK;
}

ERRORCODE gr_SetPaletteEntry(SINT, GL_COLOUR)
{
    return GR_OK;
}

ERRORCODE gr_SetVideoGraphMode(GR_CONTEXT* gc)
{
    gc->status = GC_PHYSICAL;
    return GR_OK;
}

ERRORCODE gr_ResetVideoGraphMode(GR_CONTEXT* gc)
{
    gc->status = GC_VIRTUAL;
    return GR_OK;
}

ERRORCODE gr_SetTranspAttr(GR_CONTEXT* gc, SINT flag, GL_COLOUR colour)
{
    gc->transpflag = flag;
    gc->bmpattrib.transpcolour = colour;
    return GR_OK;
}

ERRORCODE gr_AddFont(FONT* font, FONTINDEX slot)
{
    if (slot < 0 || slot >= GR_FONT_SLOTS) {
        return GR_BAD_FONT_INDEX;
    }
    FontsRack[slot] = font;
    return GR_OK;
}

ERRORCODE gr_SetFontType(GR_CONTEXT* gc, FONTINDEX slot)
{
    if (slot < 0 || slot >= GR_FONT_SLOTS) {
        return GR_BAD_FONT_INDEX;
    }
    gc->fntattrib.Ftyp = slot;
    gc->fntattrib.Fptr = FontsRack[slot];
    return GR_OK;
}

ERRORCODE gr_SetFontZoom(GR_CONTEXT* gc, ZOOMFACTOR zx, ZOOMFACTOR zy)
{
    gc->fntattrib.zx = zx;
    gc->fntattrib.zy = zy;
    return GR_OK;
}

ERRORCODE gr_SetFontDirection(GR_CONTEXT* gc, PRINTDIR dir)
{
    gc->fntattrib.fntdir = dir;
    return GR_OK;
}

ERRORCODE gr_SetPrintingDirection(GR_CONTEXT* gc, UINT32 degrees)
{
    if (degrees >= 360) {
        return GR_BAD_DIRECTION;
    }
    gc->PrintDir = static_cast<SINT>(degrees);
    return GR_OK;
}

// The font queries answer 0 for a slot that holds no font.
static const FONT* RackFont(FONTINDEX slot)
{
    return (slot >= 0 && slot < GR_FONT_SLOTS) ? FontsRack[slot] : nullptr;
}

SINT gr_GetFontWidth(FONTINDEX slot)
{
    const FONT* f = RackFont(slot);
    return f ? f->PixWidth : 0;
}

SINT gr_GetFontHeight(FONTINDEX slot)
{
    const FONT* f = RackFont(slot);
    return f ? f->PixHeight : 0;
}

SINT gr_GetFontDescender(FONTINDEX slot)
{
    const FONT* f = RackFont(slot);
    return f ? f->Descender : 0;
}

ERRORCODE gr_InitBitmap(GR_CONTEXT* gc, const UCHAR* table, BMAPTYPE slot, PIXELDIM dim, SINT size)
{
    if (slot >= GR_BITMAP_SLOTS) {
        return GR_BAD_TABLE_SLOT;
    }
    BitmapInfo[slot] = {table, dim.pw, dim.ph, 0, size, dim.ph > 0 ? size / dim.ph : 0};
    gc->bmpattrib.type = slot;
    gc->bmpattrib.index = 0;
    gc->bmpattrib.ptr = table ? table + size : nullptr;
    gc->bmpattrib.bmpdir = 0;
    gc->bmpattrib.zx = 1;
    gc->bmpattrib.zy = 1;
    return GR_OK;
}

ERRORCODE gr_SetBitmapZoom(GR_CONTEXT* gc, ZOOMFACTOR zx, ZOOMFACTOR zy)
{
    gc->bmpattrib.zx = zx;
    gc->bmpattrib.zy = zy;
    return GR_OK;
}

ERRORCODE gr_SetBitmapDirection(GR_CONTEXT* gc, PRINTDIR dir)
{
    gc->bmpattrib.bmpdir = dir;
    return GR_OK;
}

ERRORCODE gr_InitPattern(const UCHAR* table, PTTRNTYPE slot, PIXELDIM dim, SINT size)
{
    if (slot >= GR_PATTERN_SLOTS) {
        return GR_BAD_TABLE_SLOT;
    }
    PatternInfo[slot] = {table, dim.pw, dim.ph, size};
    return GR_OK;
}

ERRORCODE gr_SetPatternType(GR_CONTEXT* gc, PTTRNTYPE slot)
{
    if (slot >= GR_PATTERN_SLOTS) {
        return GR_BAD_TABLE_SLOT;
    }
    PATTERNATTRIB* pa = &gc->ptrnattrib;
    pa->type = slot;
    pa->index = 0;
    pa->ptr = PatternInfo[slot].ptr;
    ResetPatternPosition(pa);
    pa->zx = 1;
    pa->zy = 1;
    return GR_OK;
}

ERRORCODE gr_SetPatternIndex(GR_CONTEXT* gc, PTTRNTABLENDX n)
{
    PATTERNATTRIB* pa = &gc->ptrnattrib;
    const PATTERN_TABLE& table = PatternInfo[pa->type < GR_PATTERN_SLOTS ? pa->type : 0];
    pa->index = n;
    pa->ptr = table.ptr ? table.ptr + static_cast<S64>(n) * table.size : nullptr;
    ResetPatternPosition(pa);
    pa->zx = 1;
    pa->zy = 1;
    return GR_OK;
}

ERRORCODE gr_SetPatternStatus(GR_CONTEXT* gc, BOOL on)
{
    gc->ptrnattrib.status = on;
    ResetPatternPosition(&gc->ptrnattrib);
    return GR_OK;
}

ERRORCODE gr_SetPatternZoom(GR_CONTEXT* gc, ZOOMFACTOR zx, ZOOMFACTOR zy)
{
    gc->ptrnattrib.zx = zx;
    gc->ptrnattrib.zy = zy;
    gc->ptrnattrib.zycounter = 0;
    gc->ptrnattrib.zxcounter = 0;
    return GR_OK;
}

ERRORCODE gr_ResetPattern(GR_CONTEXT* gc)
{
    ResetPatternPosition(&gc->ptrnattrib);
    return GR_OK;
}

ERRORCODE gr_GetLogicPosition(const GR_CONTEXT* gc, PIXELPOS* out)
{
    out->px = gc->cp.px;
    out->py = gc->pixdim.ph - 1 - gc->cp.py;
    return GR_OK;
}
