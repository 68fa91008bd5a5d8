// One-pixel lines (see g_line.h).
//
// The slanted line is the symmetric double-step algorithm: it steps along the
// major axis from both ends at once, two pixels per end and step, choosing
// one of four two-pixel patterns from a decision variable, and finishes the
// up to three pixels left in the middle from the pattern the last decision
// selects. The decision arithmetic runs in 64 bits so that no pair of end
// points can overflow it.
#include "graphics/g_line.h"

#include "graphics/g_pixel.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Plots (u, v) on the major and minor axes, exchanged back to (x, y).
struct MajorMinorPlot {
    const BITMAP* pDest;
    COLOR color;
    bool bMajorIsY;

    void operator()(S64 u, S64 v) const
    {
        if (bMajorIsY)
            G_PIXEL_vPut(pDest, (PIXEL)v, (PIXEL)u, color);
        else
            G_PIXEL_vPut(pDest, (PIXEL)u, (PIXEL)v, color);
    }
};

void line_Draw(const BITMAP* pDest, COLOR color, const POINT* pStart, const POINT* pEnd)
{
    S64 a0 = pStart->x, b0 = pStart->y, a1 = pEnd->x, b1 = pEnd->y;
    S64 dx = std::llabs(a1 - a0);
    S64 dy = std::llabs(b1 - b0);
    const S64 step = ((a1 - a0 < 0) == (b1 - b0 < 0)) ? 1 : -1;
    const bool bMajorIsY = dy > dx;
    if (bMajorIsY) {
        std::swap(a0, b0);
        std::swap(a1, b1);
        std::swap(dx, dy);
    }
    const MajorMinorPlot plot{pDest, color, bMajorIsY};

    // Forward end (u, v) has the smaller major coordinate, backward (ub, vb).
    S64 u = a0, v = b0, ub = a1, vb = b1;
    if (a0 > a1) {
        u = a1;
        v = b1;
        ub = a0;
        vb = b0;
    }
    plot(u, v);
    plot(ub, vb);
    if (dx == 0)
        return;

    const S64 loops = (dx - 1) / 4;
    const S64 left = (dx - 1) % 4;
    const S64 incr2 = 4 * dy - 2 * dx;

    if (incr2 < 0) { // slope below 1/2
        const S64 c = 2 * dy;
        const S64 incr1 = 2 * c;
        S64 D = incr1 - dx;
        for (S64 i = 0; i < loops; ++i) {
            ++u;
            --ub;
            if (D < 0) { // pattern 1
                plot(u, v);
                plot(++u, v);
                plot(ub, vb);
                plot(--ub, vb);
                D += incr1;
            } else {
                if (D < c) { // pattern 2
                    plot(u, v);
                    plot(++u, v += step);
                    plot(ub, vb);
                    plot(--ub, vb -= step);
                } else { // pattern 3
                    plot(u, v += step);
                    plot(++u, v);
                    plot(ub, vb -= step);
                    plot(--ub, vb);
                }
                D += incr2;
            }
        }
        if (left > 0) {
            if (D < 0) {
                plot(++u, v);
                if (left > 1)
                    plot(++u, v);
                if (left > 2)
                    plot(--ub, vb);
            } else if (D < c) {
                plot(++u, v);
                if (left > 1)
                    plot(++u, v += step);
                if (left > 2)
                    plot(--ub, vb);
            } else {
                plot(++u, v += step);
                if (left > 1)
                    plot(++u, v);
                if (left > 2)
                    plot(--ub, vb -= step);
            }
        }
    } else { // slope 1/2 or more
        const S64 c = 2 * (dy - dx);
        const S64 incr1 = 2 * c;
        S64 D = incr1 + dx;
        for (S64 i = 0; i < loops; ++i) {
            ++u;
            --ub;
            if (D > 0) { // pattern 4
                plot(u, v += step);
                plot(++u, v += step);
                plot(ub, vb -= step);
                plot(--ub, vb -= step);
                D += incr1;
            } else {
                if (D < c) { // pattern 2
                    plot(u, v);
                    plot(++u, v += step);
                    plot(ub, vb);
                    plot(--ub, vb -= step);
                } else { // pattern 3
                    plot(u, v += step);
                    plot(++u, v);
                    plot(ub, vb -= step);
                    plot(--ub, vb);
                }
                D += incr2;
            }
        }
        if (left > 0) {
            if (D > 0) {
                plot(++u, v += step);
                if (left > 1)
                    plot(++u, v += step);
                if (left > 2)
                    plot(--ub, vb -= step);
            } else if (D < c) {
                plot(++u, v);
                if (left > 1)
                    plot(++u, v += step);
                if (left > 2)
                    plot(--ub, vb);
            } else {
                plot(++u, v += step);
                if (left > 1)
                    plot(++u, v);
                if (left > 2) {
                    if (D > c)
                        plot(--ub, vb -= step);
                    else
                        plot(--ub, vb);
                }
            }
        }
    }
}

// Column x, rows yLo..yHi (clipped), one stride per row.
void line_FastVertical(const BITMAP* pDest, PIXEL x, PIXEL yLo, PIXEL yHi, COLOR color)
{
    const ptrdiff_t stride = pDest->__u32PixelWidthOfBuffer;
    COLOR* pPixel = G_PIXEL_pcolLogical(pDest, x, yHi);
    for (S64 n = (S64)yHi - yLo + 1; n > 0; --n, pPixel += stride)
        *pPixel = color;
}

void line_FastVerticalAlpha(const BITMAP* pDest, PIXEL x, PIXEL yLo, PIXEL yHi, COLOR color, U8 u8Alpha)
{
    const ptrdiff_t stride = pDest->__u32PixelWidthOfBuffer;
    const G_PIXEL_BLEND blend = G_PIXEL_blendPrepare(color, u8Alpha);
    COLOR* pPixel = G_PIXEL_pcolLogical(pDest, x, yHi);
    for (S64 n = (S64)yHi - yLo + 1; n > 0; --n, pPixel += stride)
        *pPixel = G_PIXEL_colorBlendPrepared(blend, *pPixel);
}

// Row y, columns xLo..xHi (clipped).
void line_FastHorizontal(const BITMAP* pDest, PIXEL xLo, PIXEL xHi, PIXEL y, COLOR color)
{
    G_PIXEL_vFillRun(G_PIXEL_pcolLogical(pDest, xLo, y), (size_t)((S64)xHi - xLo + 1), color);
}

void line_FastHorizontalAlpha(const BITMAP* pDest, PIXEL xLo, PIXEL xHi, PIXEL y, COLOR color, U8 u8Alpha)
{
    const G_PIXEL_BLEND blend = G_PIXEL_blendPrepare(color, u8Alpha);
    COLOR* pPixel = G_PIXEL_pcolLogical(pDest, xLo, y);
    for (S64 n = (S64)xHi - xLo + 1; n > 0; --n, ++pPixel)
        *pPixel = G_PIXEL_colorBlendPrepared(blend, *pPixel);
}

// Limits [lo, hi] (in either order) to [clipLo, clipHi]; false when nothing
// of it lies inside.
bool clipRun(PIXEL a, PIXEL b, S32 clipLo, S32 clipHi, PIXEL& lo, PIXEL& hi)
{
    lo = std::min(a, b);
    hi = std::max(a, b);
    if (lo > clipHi || hi < clipLo)
        return false;
    lo = std::max(lo, clipLo);
    hi = std::min(hi, clipHi);
    return lo <= hi;
}

void line_Dispatch(const BITMAP* pDest, COLOR color, const POINT* pStart, const POINT* pEnd, U8 u8Alpha)
{
    PIXEL lo, hi;
    if (pStart->x == pEnd->x) {
        const PIXEL x = pStart->x;
        if (x < pDest->s32ClipLeft || x > pDest->s32ClipRight)
            return;
        if (!clipRun(pStart->y, pEnd->y, pDest->s32ClipBottom, pDest->s32ClipTop, lo, hi))
            return;
        if (u8Alpha == 0)
            line_FastVertical(pDest, x, lo, hi, color);
        else
            line_FastVerticalAlpha(pDest, x, lo, hi, color, u8Alpha);
    } else if (pStart->y == pEnd->y) {
        const PIXEL y = pStart->y;
        if (y < pDest->s32ClipBottom || y > pDest->s32ClipTop)
            return;
        if (!clipRun(pStart->x, pEnd->x, pDest->s32ClipLeft, pDest->s32ClipRight, lo, hi))
            return;
        if (u8Alpha == 0)
            line_FastHorizontal(pDest, lo, hi, y, color);
        else
            line_FastHorizontalAlpha(pDest, lo, hi, y, color, u8Alpha);
    } else {
        line_Draw(pDest, color, pStart, pEnd);
    }
}

// Walks n pixels from pPixel on, advance elements apart, and writes those
// whose bit of the pattern, doubled to 32 bits, is set.
void line_PutPatterned(COLOR color, S64 n, COLOR* pPixel, ptrdiff_t advance, PATTERN pattern)
{
    const U32 u32Pattern = pattern * 0x10001u;
    U32 u32Mask = 0x80000000u;
    for (; n > 0; --n, pPixel += advance) {
        if ((u32Pattern & u32Mask) != 0)
            *pPixel = color;
        u32Mask = u32Mask == 1u ? 0x80000000u : u32Mask >> 1;
    }
}

} // namespace

void G_LINE_vDraw(BITMAP* pDest, COLOR color, POINT* pStart, POINT* pEnd)
{
    line_Dispatch(pDest, color, pStart, pEnd, 0);
}

void G_LINE_vDrawAlpha(BITMAP* pDest, COLOR color, POINT* pStart, POINT* pEnd, U8 u8Alpha)
{
    line_Dispatch(pDest, color, pStart, pEnd, u8Alpha);
}

void G_LINE_vDrawPatterned(BITMAP* pDest, COLOR color, POINT* pStart, POINT* pEnd, PATTERN pattern)
{
    const bool bVertical = pStart->x == pEnd->x;
    if (!bVertical && pStart->y != pEnd->y)
        return;

    // Along its own axis: a, b are the moving coordinates of start and end.
    PIXEL* pA = bVertical ? &pStart->y : &pStart->x;
    PIXEL* pB = bVertical ? &pEnd->y : &pEnd->x;
    const PIXEL fixed = bVertical ? pStart->x : pStart->y;
    const S32 fixedLo = bVertical ? pDest->s32ClipLeft_full_screen : pDest->s32ClipBottom_full_screen;
    const S32 fixedHi = bVertical ? pDest->s32ClipRight_full_screen : pDest->s32ClipTop_full_screen;
    const S32 runLo = bVertical ? pDest->s32ClipBottom_full_screen : pDest->s32ClipLeft_full_screen;
    const S32 runHi = bVertical ? pDest->s32ClipTop_full_screen : pDest->s32ClipRight_full_screen;
    if (fixed < fixedLo || fixed > fixedHi || runLo > runHi)
        return;
    if (std::max(*pA, *pB) < runLo || std::min(*pA, *pB) > runHi)
        return;
    *pA = std::clamp(*pA, runLo, runHi);
    *pB = std::clamp(*pB, runLo, runHi);

    COLOR* pFirst = G_PIXEL_pcolLogical(pDest, pStart->x, pStart->y);
    if (*pA == *pB) {
        *pFirst = color;
        return;
    }
    // Logical y grows upward, buffer rows downward.
    const ptrdiff_t unit = bVertical ? -(ptrdiff_t)pDest->__u32PixelWidthOfBuffer : 1;
    const ptrdiff_t advance = *pB > *pA ? unit : -unit;
    line_PutPatterned(color, std::llabs((S64)*pB - *pA) + 1, pFirst, advance, pattern);
}
