// Single pixels of a BITMAP and the alpha blend every blending primitive uses.
//
// G_PIXEL_vPut and G_PIXEL_vPutAlpha test the clip box before they form an
// address, so they never touch memory outside it. The physical operations
// (row 0 at the top) test nothing: their callers keep them inside the buffer.
//
// Blend: u8Alpha is the weight of the pixel already there and 256 - u8Alpha
// the weight of the new colour; each RGB565 field is weighted on its own bits
// and truncated by a shift of 8, with no widening and no rounding term. So 0
// covers completely and 255 leaves almost only the old pixel; white over
// black at 128 gives 0x7BEF.
//
// Everything here is inline: a pixel write is address arithmetic and one
// clip test, with no call into another module.
#pragma once

#include "graphics/g_types.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>

inline bool G_PIXEL_bInsideClip(const BITMAP* pBmp, PIXEL nX, PIXEL nY)
{
    return nX >= pBmp->s32ClipLeft && nX <= pBmp->s32ClipRight && nY >= pBmp->s32ClipBottom &&
           nY <= pBmp->s32ClipTop;
}

// Address of physical (nX, row nRow); no test.
inline COLOR* G_PIXEL_pcolPhysical(const BITMAP* pBmp, PIXEL nX, PIXEL nRow)
{
    return reinterpret_cast<COLOR*>(pBmp->pBuffer) +
           ((ptrdiff_t)nRow * (ptrdiff_t)pBmp->__u32PixelWidthOfBuffer + nX);
}

// Buffer row of logical row nY.
inline PIXEL G_PIXEL_nRowOf(const BITMAP* pBmp, PIXEL nY)
{
    return (PIXEL)((S64)pBmp->pixels_high_full_screen - nY - 1);
}

// Address of logical (nX, nY); no test.
inline COLOR* G_PIXEL_pcolLogical(const BITMAP* pBmp, PIXEL nX, PIXEL nY)
{
    return G_PIXEL_pcolPhysical(pBmp, nX, G_PIXEL_nRowOf(pBmp, nY));
}

inline void G_PIXEL_vPut(const BITMAP* pDest, PIXEL nX, PIXEL nY, COLOR color)
{
    if (!G_PIXEL_bInsideClip(pDest, nX, nY))
        return;
    *G_PIXEL_pcolLogical(pDest, nX, nY) = color;
}

inline void G_PIXEL_vPutDirect(const BITMAP* pDest, PIXEL nX, PIXEL nY, COLOR color)
{
    *G_PIXEL_pcolPhysical(pDest, nX, nY) = color;
}

inline COLOR G_PIXEL_colorGetPhysicalPixel(const BITMAP* pSrc, PIXEL nX, PIXEL nY)
{
    return *G_PIXEL_pcolPhysical(pSrc, nX, nY);
}

// The new colour's fields already weighted by 256 - alpha, so that a run
// blends with one multiply per field and pixel.
typedef struct tag_G_PIXEL_BLEND {
    U32 u32Red;
    U32 u32Green;
    U32 u32Blue;
    U32 u32Alpha;
} G_PIXEL_BLEND;

inline G_PIXEL_BLEND G_PIXEL_blendPrepare(COLOR color, U8 u8Alpha)
{
    const U32 u32Weight = 256u - u8Alpha;
    return G_PIXEL_BLEND{((color >> 11) & 0x1Fu) * u32Weight, ((color >> 5) & 0x3Fu) * u32Weight,
                         (color & 0x1Fu) * u32Weight, u8Alpha};
}

inline COLOR G_PIXEL_colorBlendPrepared(const G_PIXEL_BLEND& blend, COLOR colorOld)
{
    const U32 a = blend.u32Alpha;
    const U32 r = (blend.u32Red + ((colorOld >> 11) & 0x1Fu) * a) >> 8;
    const U32 g = (blend.u32Green + ((colorOld >> 5) & 0x3Fu) * a) >> 8;
    const U32 b = (blend.u32Blue + (colorOld & 0x1Fu) * a) >> 8;
    return (COLOR)(r << 11 | g << 5 | b);
}

inline COLOR G_PIXEL_colorBlend(COLOR colorNew, COLOR colorOld, U8 u8Alpha)
{
    return G_PIXEL_colorBlendPrepared(G_PIXEL_blendPrepare(colorNew, u8Alpha), colorOld);
}

inline void G_PIXEL_vPutAlpha(const BITMAP* pDest, PIXEL nX, PIXEL nY, COLOR color, U8 u8Alpha)
{
    if (!G_PIXEL_bInsideClip(pDest, nX, nY))
        return;
    COLOR* pPixel = G_PIXEL_pcolLogical(pDest, nX, nY);
    *pPixel = u8Alpha == 0 ? color : G_PIXEL_colorBlend(color, *pPixel, u8Alpha);
}

// Writes n pixels from pRun on: single pixels up to a 4-byte boundary, then
// two pixels per 32-bit store of the doubled colour. Long runs leave the
// 32-bit stores to wmemset, which the C library does with the widest stores
// the processor has; short ones stay inline.
inline void G_PIXEL_vFillRun(COLOR* pRun, size_t n, COLOR color)
{
    static_assert(sizeof(wchar_t) == sizeof(U32), "wmemset must store 32-bit words");
    if (n != 0 && (reinterpret_cast<uintptr_t>(pRun) & 2u) != 0) {
        *pRun++ = color;
        --n;
    }
    const U32 u32Pair = color * 0x10001u;
    if (n >= 64) {
        wmemset(reinterpret_cast<wchar_t*>(pRun), (wchar_t)u32Pair, n / 2);
        pRun += n & ~size_t{1};
        n &= 1;
    }
    for (; n >= 2; n -= 2, pRun += 2)
        memcpy(pRun, &u32Pair, sizeof u32Pair);
    if (n != 0)
        *pRun = color;
}
