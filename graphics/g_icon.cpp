// Icons (see g_icon.h).
//
// Decoding makes one pass over the data with no buffer: every kind yields
// one index (and for a mask one mask value) per pixel, top row first, and
// each opaque pixel goes to the put-pixel function of the rotation.
#include "graphics/g_icon.h"

#include "graphics/color.h"
#include "graphics/g_image.h"
#include "graphics/g_pixel.h"
#include "util/u_rle_nibble.h"

#include <cmath>
#include <cstring>

namespace {

constexpr S32 ICON_IMAGE16_MIN_SIZE = 60;
constexpr U8 ICON_MASK_TRANSPARENT = 0xF;

const COLOR* s_pcolorLookup = nullptr;

// The writers of rotations 1, 2 and 3.
G_ICON_PUT_PIXEL_FUNCTION* const s_apRotatedPutPixel[3] = {G_ICON_vRot90PutPixel, G_ICON_vRot180PutPixel,
                                                           G_ICON_vRot270PutPixel};

void icon_Put(BITMAP* pDest, S64 x, S64 y, COLOR color)
{
    if (x >= pDest->s32ClipLeft && x <= pDest->s32ClipRight && y >= pDest->s32ClipBottom && y <= pDest->s32ClipTop)
        G_PIXEL_vPut(pDest, (PIXEL)x, (PIXEL)y, color);
}

// Nibbles of a byte stream, high nibble first, on across row ends.
struct NibbleReader {
    const U8* p;
    bool bHigh = true;

    U8 next()
    {
        if (bHigh) {
            bHigh = false;
            return (U8)(*p >> 4);
        }
        bHigh = true;
        return (U8)(*p++ & 0x0F);
    }
};

// Calls visit(nX, nY, index, bTransparent) for every pixel, top row first.
template <typename Visit>
void icon_Decode(const ICON* pIcon, Visit&& visit)
{
    const S32 w = pIcon->nWidth, h = pIcon->nHeight;
    switch (pIcon->eCompression) {
    case ICON_PADDED_BITMAPS: {
        const BITMAP* pBitmap = static_cast<const BITMAP*>(pIcon->pBitmap);
        const BITMAP* pMask = static_cast<const BITMAP*>(pIcon->pMask);
        for (S32 r = 0; r < h; ++r)
            for (S32 c = 0; c < w; ++c) {
                const bool bHidden = pMask != nullptr && G_ICON_u8GetIconPixelColor(pMask, c, r) == ICON_MASK_TRANSPARENT;
                visit(c, h - 1 - r, bHidden ? 0 : G_ICON_u8GetIconPixelColor(pBitmap, c, r), bHidden);
            }
        break;
    }
    case ICON_UNPADDED_BUFFERS:
    case ICON_TRANSPARENT_COLOR: {
        const bool bTransparentColor = pIcon->eCompression == ICON_TRANSPARENT_COLOR;
        if (bTransparentColor && pIcon->pMask == nullptr)
            return;
        const U8 u8Transparent = bTransparentColor ? *static_cast<const U8*>(pIcon->pMask) : 0;
        NibbleReader data{static_cast<const U8*>(pIcon->pBitmap)};
        NibbleReader mask{static_cast<const U8*>(bTransparentColor ? nullptr : pIcon->pMask)};
        for (S32 y = h - 1; y >= 0; --y)
            for (S32 x = 0; x < w; ++x) {
                const U8 u8Index = data.next();
                const bool bHidden = bTransparentColor ? u8Index == u8Transparent
                                                       : mask.p != nullptr && mask.next() == ICON_MASK_TRANSPARENT;
                visit(x, y, u8Index, bHidden);
            }
        break;
    }
    case ICON_RLE_BUFFERS:
    case ICON_RLE_TRANSPARENT_COLOR: {
        const bool bTransparentColor = pIcon->eCompression == ICON_RLE_TRANSPARENT_COLOR;
        if (bTransparentColor && pIcon->pMask == nullptr)
            return;
        const U8 u8Transparent = bTransparentColor ? *static_cast<const U8*>(pIcon->pMask) : 0;
        const bool bMask = !bTransparentColor && pIcon->pMask != nullptr;
        NIBBLE_RLE_STATE data, mask;
        U_RLE_NIBBLE_vInit(&data, static_cast<const U8*>(pIcon->pBitmap));
        if (bMask)
            U_RLE_NIBBLE_vInit(&mask, static_cast<const U8*>(pIcon->pMask));
        for (S32 y = h - 1; y >= 0; --y)
            for (S32 x = 0; x < w; ++x) {
                const U8 u8Index = U_RLE_NIBBLE_u8GetNext(&data);
                const bool bHidden = bTransparentColor ? u8Index == u8Transparent
                                                       : bMask && U_RLE_NIBBLE_u8GetNext(&mask) == ICON_MASK_TRANSPARENT;
                visit(x, y, u8Index, bHidden);
            }
        break;
    }
    default:
        break;
    }
}

} // namespace

void G_ICON_vRot0PutPixel(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color, void*)
{
    icon_Put(pDest, (S64)pptAnchor->x + nX, (S64)pptAnchor->y + nY, color);
}

void G_ICON_vRot90PutPixel(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color, void*)
{
    icon_Put(pDest, (S64)pptAnchor->x + nY, (S64)pptAnchor->y - nX, color);
}

void G_ICON_vRot180PutPixel(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color, void*)
{
    icon_Put(pDest, (S64)pptAnchor->x - nX, (S64)pptAnchor->y - nY, color);
}

void G_ICON_vRot270PutPixel(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color, void*)
{
    icon_Put(pDest, (S64)pptAnchor->x - nY, (S64)pptAnchor->y + nX, color);
}

void G_ICON_vSetIconPalette(const COLOR* pcolorTable) { s_pcolorLookup = pcolorTable; }

U8 G_ICON_u8GetIconPixelColor(const BITMAP* pSrc, PIXEL nX, PIXEL nY)
{
    const size_t index = ((size_t)nX + (size_t)nY * pSrc->__u32PixelWidthOfBuffer) / 8;
    U32 u32Word;
    memcpy(&u32Word, pSrc->pBuffer + index, sizeof u32Word);
    return (U8)((u32Word >> ((7 - nX % 8) * 4)) & 0x0F);
}

void G_ICON_vDecompressAndPutIndirect(BITMAP* pDest, const ICON* pIcon, const POINT* pptAnchor,
                                      G_ICON_PUT_PIXEL_FUNCTION* pPutPixel, void* vpOther)
{
    if (pIcon == nullptr || pIcon->pBitmap == nullptr || s_pcolorLookup == nullptr)
        return;
    const COLOR* pcolPalette = s_pcolorLookup;
    icon_Decode(pIcon, [&](S32 nX, S32 nY, U8 u8Index, bool bHidden) {
        if (!bHidden)
            pPutPixel(pDest, pptAnchor, nX, nY, COLOR_colorRead(&pcolPalette[u8Index]), vpOther);
    });
}

void G_ICON_vPut(BITMAP* pDest, const ICON* pIcon, const POINT* pptLowerLeft)
{
    if (pIcon == nullptr)
        return;
    if (pIcon->eCompression != ICON_PNG_IMAGE32) {
        G_ICON_vDecompressAndPutIndirect(pDest, pIcon, pptLowerLeft, G_ICON_vRot0PutPixel, nullptr);
        return;
    }
    if (pIcon->nWidth >= ICON_IMAGE16_MIN_SIZE && pIcon->nHeight >= ICON_IMAGE16_MIN_SIZE) {
        const IMAGE image{pIcon->pBitmap, pIcon->pMask, pIcon->nWidth, pIcon->nHeight, (U32)pIcon->eCompression};
        G_IMAGE_vPut(pDest, &image, pptLowerLeft);
    } else {
        G_IMAGE32_vPutOld(pDest, pIcon, pptLowerLeft);
    }
}

void G_ICON_vPutRotated(BITMAP* pDest, const ICON* pIcon, const POINT* pptAnchor, G_ICON_ROTATION eRotation)
{
    const bool bTurned = eRotation >= G_ICON_ROTATE_90 && eRotation <= G_ICON_ROTATE_270;
    G_ICON_vDecompressAndPutIndirect(pDest, pIcon, pptAnchor,
                                     bTurned ? s_apRotatedPutPixel[eRotation - 1] : G_ICON_vRot0PutPixel, nullptr);
}

void G_ICON_vPutRotatedAngle(BITMAP* pDest, const ICON* pIcon, const POINT* pptAnchor,
                             const POINT* pptRotateCenter, double dRotateAngle)
{
    if (pIcon == nullptr)
        return;
    if (pIcon->eCompression == ICON_PNG_IMAGE32) {
        G_IMAGE32_vPutRotatedOld(pDest, pIcon, pptAnchor, pptRotateCenter, dRotateAngle);
        return;
    }
    const double dQuarter = (45 + dRotateAngle * 57.29577951471995) * 0.011111111111111112;
    const int q = dQuarter >= 1.0 && dQuarter < 4.0 ? (int)dQuarter : 0;
    G_ICON_vPutRotated(pDest, pIcon, pptAnchor, (G_ICON_ROTATION)q);
}

U32 G_ICON_u32GetWidth(const ICON* pIcon) { return pIcon != nullptr ? (U32)pIcon->nWidth : 0; }

U32 G_ICON_u32GetHeight(const ICON* pIcon) { return pIcon != nullptr ? (U32)pIcon->nHeight : 0; }
