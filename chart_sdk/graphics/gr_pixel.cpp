// Pixels, spans, rectangles and patterns.
//
// Every write goes through the pixel mode of the context: replace, AND, OR
// or XOR of the colour under the mask of the half-words written, nothing for
// any other mode. Spans and rectangles write whole 32-bit words between the
// two partial words at their ends. The colour is masked to its 16 bits when
// it is placed in a half-word, so that a wider value can never leak into the
// neighbouring pixel.
//
// The line pattern is a bit string stepped once per pixel of a line; the
// area pattern is a tile anchored at logical column 0 and logical row 0.
#include "chart_sdk/graphics/gr_pixel.h"

#include "chart_sdk/graphics/gr_context.h"

#include <algorithm>

namespace {

constexpr U32 kLowHalf = 0x0000FFFFu;
constexpr U32 kHighHalf = 0xFFFF0000u;

inline U32 ColourWord(GL_COLOUR colour)
{
    return (colour & 0xFFFFu) * 0x10001u;
}

// Writes whole words between two partial ends.
void FillWords(U32* w, SINT count, U32 cw, UCHAR mode)
{
    switch (mode) {
    case GR_MODE_REPLACE:
        std::fill(w, w + count, cw);
        break;
    case GR_MODE_AND:
        for (SINT i = 0; i < count; ++i) {
            w[i] &= cw;
        }
        break;
    case GR_MODE_OR:
        for (SINT i = 0; i < count; ++i) {
            w[i] |= cw;
        }
        break;
    case GR_MODE_XOR:
        for (SINT i = 0; i < count; ++i) {
            w[i] ^= cw;
        }
        break;
    default:
        break;
    }
}

// The span of columns xa..xb (inclusive, xa <= xb) of one row.
void Span(GR_CONTEXT* gc, SINT xa, SINT xb, SINT r)
{
    U32* row = reinterpret_cast<U32*>(gc->vsptr) + static_cast<ptrdiff_t>(r) * gc->scrdim.rowsize;
    const U32 cw = ColourWord(gc->colour);
    const SINT wa = xa >> 1;
    const SINT wb = xb >> 1;
    const U32 ma = (xa & 1) ? kHighHalf : 0xFFFFFFFFu;
    const U32 mb = (xb & 1) ? 0xFFFFFFFFu : kLowHalf;
    if (wa == wb) {
        const U32 m = ma & mb;
        gf_ApplyMode(row + wa, cw & m, m, gc->mode);
        return;
    }
    gf_ApplyMode(row + wa, cw & ma, ma, gc->mode);
    FillWords(row + wa + 1, wb - wa - 1, cw, gc->mode);
    gf_ApplyMode(row + wb, cw & mb, mb, gc->mode);
}

inline void PutIfInClip(GR_CONTEXT* gc, SINT x, SINT r)
{
    if (gr_InClip(gc, x, r)) {
        gf_PutPixel(gc, x, r);
    }
}

void BrushRow(GR_CONTEXT* gc, SINT r, SINT xa, SINT xb)
{
    for (SINT x = xa; x <= xb; ++x) {
        PutIfInClip(gc, x, r);
    }
}

void BrushColumn(GR_CONTEXT* gc, SINT x, SINT ra, SINT rb)
{
    for (SINT r = ra; r <= rb; ++r) {
        PutIfInClip(gc, x, r);
    }
}

} // namespace

void gf_PutPixel(GR_CONTEXT* gc, SINT x, SINT r)
{
    const U32 shift = (x & 1) ? 16u : 0u;
    gf_ApplyMode(gf_PixelWord(gc, x, r), (gc->colour & 0xFFFFu) << shift, kLowHalf << shift, gc->mode);
}

void gf_SetBit(SINT* word, SINT shift, GL_COLOUR colour, UCHAR mode)
{
    const U32 s = shift ? 16u : 0u;
    gf_ApplyMode(reinterpret_cast<U32*>(word), (colour & 0xFFFFu) << s, kLowHalf << s, mode);
}

SINT gf_GetPixel(const GR_CONTEXT* gc, SINT x, SINT r)
{
    const U32 w = *gf_PixelWord(gc, x, r);
    return static_cast<SINT>((x & 1) ? (w >> 16) : (w & kLowHalf));
}

ERRORCODE gr_SetPixel(GR_CONTEXT* gc, SINT x, SINT y)
{
    const SINT r = gc->pixdim.ph - 1 - y;
    gc->cp = {x, r};
    if (!gr_InClip(gc, x, r)) {
        return GR_OUT_OF_CLIP;
    }
    if (!gf_CheckPattern(gc)) {
        return GR_OK;
    }
    if (gc->DrTool == BRUSH && gc->PixelSize > 1) {
        gf_PutBrushPixel(gc, x, r, 0, 0);
    } else {
        gf_PutPixel(gc, x, r);
    }
    return GR_OK;
}

void gf_PutBrushPixel(GR_CONTEXT* gc, SINT x, SINT r, SINT sx, SINT sr)
{
    const SINT n = gc->PixelSize - 1;
    if (x == gc->cp.px && r == gc->cp.py) {
        for (SINT row = r - n; row <= r + n; ++row) {
            BrushRow(gc, row, x - n, x + n);
        }
        return;
    }
    // Only the edge that this step uncovers: the square of the previous
    // point has been written already.
    if (sx == 0 && sr == 0) {
        return;
    }
    if (sx == 0) {
        BrushRow(gc, r + sr * n, x - n, x + n);
        return;
    }
    if (sr == 0) {
        BrushColumn(gc, x + sx * n, r - n, r + n);
        return;
    }
    if (sx > 0) {
        BrushRow(gc, r + sr * n, x - n, x + n - 1);
    } else {
        BrushRow(gc, r + sr * n, x - n + 1, x + n);
    }
    BrushColumn(gc, x + sx * n, r - n, r + n);
}

SINT gf_CheckPattern(GR_CONTEXT* gc)
{
    PATTERNATTRIB* pa = &gc->ptrnattrib;
    // Without a selected pattern a patterned line draws solid.
    if (!pa->status || pa->ptr == nullptr) {
        return 1;
    }
    // A zoom of 0 would divide by zero; it covers one pixel like zoom 1.
    const UCHAR zx = pa->zx ? pa->zx : 1;
    pa->zxcounter = static_cast<UCHAR>((pa->zxcounter + 1) % zx);
    if (pa->zxcounter == 0) {
        pa->curbit = static_cast<UCHAR>((pa->curbit + 1) & 7);
        if (pa->curbit == 0) {
            const SINT size = pa->type < GR_PATTERN_SLOTS ? PatternInfo[pa->type].size : 1;
            pa->curbyte = static_cast<UCHAR>(pa->curbyte + 1);
            if (pa->curbyte >= size) {
                pa->curbyte = 0;
            }
        }
    }
    return (pa->ptr[pa->curbyte] >> pa->curbit) & 1;
}

void gf_ResetPattern(GR_CONTEXT* gc)
{
    gr_ResetPattern(gc);
}

void gf_HorLine(GR_CONTEXT* gc, SINT x, SINT r, SINT n)
{
    if (n > 0) {
        Span(gc, x, x + n - 1, r);
    } else if (n < 0) {
        Span(gc, x + n + 1, x, r);
    }
}

void gf_HorLineWithPattern(GR_CONTEXT* gc, SINT x, SINT r, SINT n)
{
    if (n == 0) {
        return;
    }
    const PATTERNATTRIB& pa = gc->ptrnattrib;
    const PATTERN_TABLE* table = pa.type < GR_PATTERN_SLOTS ? &PatternInfo[pa.type] : nullptr;
    // An area pattern that was never installed paints the run solid.
    if (pa.ptr == nullptr || table == nullptr || table->width <= 0 || table->height <= 0) {
        gf_HorLine(gc, x, r, n);
        return;
    }
    const SINT xa = n > 0 ? x : x + n + 1;
    const SINT count = n > 0 ? n : -n;
    const SINT width = table->width;
    const SINT height = table->height;
    const SINT logicalRow = gc->pixdim.ph - 1 - r;
    SINT rowMod = logicalRow % height;
    if (rowMod < 0) {
        rowMod += height;
    }
    const UCHAR* bits = pa.ptr + static_cast<ptrdiff_t>(height - 1 - rowMod) * ((width + 7) / 8);
    SINT bit = xa % width;
    if (bit < 0) {
        bit += width;
    }
    for (SINT i = 0; i < count; ++i) {
        if ((bits[bit >> 3] >> (bit & 7)) & 1) {
            gf_PutPixel(gc, xa + i, r);
        }
        if (++bit == width) {
            bit = 0;
        }
    }
}

void gf_VertLine(GR_CONTEXT* gc, SINT x, SINT r, SINT n)
{
    if (n == 0) {
        return;
    }
    const SINT ra = n > 0 ? r : r + n + 1;
    const SINT count = n > 0 ? n : -n;
    const U32 shift = (x & 1) ? 16u : 0u;
    const U32 c = (gc->colour & 0xFFFFu) << shift;
    const U32 m = kLowHalf << shift;
    U32* w = gf_PixelWord(gc, x, ra);
    for (SINT i = 0; i < count; ++i, w += gc->scrdim.rowsize) {
        gf_ApplyMode(w, c, m, gc->mode);
    }
}

void gf_DrawRectangle(GR_CONTEXT* gc, SINT x, SINT r, SINT dw, SINT dr)
{
    if (dw < 0 || dr < 0) {
        return;
    }
    for (SINT row = r; row <= r + dr; ++row) {
        Span(gc, x, x + dw, row);
    }
}

ERRORCODE gr_DrawRectangle(GR_CONTEXT* gc, SINT x, SINT y, SINT w, SINT h)
{
    // A rectangle without width or height has nothing inside the clip.
    if (w == 0 || h == 0) {
        return GR_OUT_OF_CLIP;
    }
    S64 x0 = x;
    S64 x1 = static_cast<S64>(x) + w - 1;
    S64 r1 = static_cast<S64>(gc->pixdim.ph) - 1 - y;
    S64 r0 = r1 - h + 1;
    if (x0 > x1) {
        std::swap(x0, x1);
    }
    if (r0 > r1) {
        std::swap(r0, r1);
    }
    if (x1 < gc->cliporig.px || x0 > gc->cliplim.px || r1 < gc->cliporig.py || r0 > gc->cliplim.py) {
        return GR_OUT_OF_CLIP;
    }
    x0 = std::max<S64>(x0, gc->cliporig.px);
    x1 = std::min<S64>(x1, gc->cliplim.px);
    r0 = std::max<S64>(r0, gc->cliporig.py);
    r1 = std::min<S64>(r1, gc->cliplim.py);
    // An empty clip rectangle (first after last) leaves nothing to fill.
    if (x0 > x1 || r0 > r1) {
        return GR_OUT_OF_CLIP;
    }
    gf_DrawRectangle(gc, static_cast<SINT>(x0), static_cast<SINT>(r0), static_cast<SINT>(x1 - x0),
                     static_cast<SINT>(r1 - r0));
    return GR_OK;
}
