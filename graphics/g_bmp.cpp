// Fills and copies of whole areas (see g_bmp.h).
//
// Rows move with memmove, which copies words at whatever offset the two
// rectangles have (no realignment by hand) and stays right when source and
// destination are the same bitmap. The region copy takes the smaller of the
// two bitmaps' heights: copying the source's count into a shorter
// destination would run past the end of its buffer.
#include "graphics/g_bmp.h"

#include "graphics/g_pixel.h"
#include "kernel/lm_log.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr U32 FULL_SCREEN_ROWS = 600;

// u32Rows rows of u32Length pixels, each row one stride further; rows that
// fill their strides in both bitmaps lie end to end and move in one go.
void bmp_CopyRows(COLOR* pDestination, size_t destinationStride, const COLOR* pSource, size_t sourceStride,
                  U32 u32Rows, U32 u32Length)
{
    if (u32Length == destinationStride && u32Length == sourceStride) {
        memmove(pDestination, pSource, (size_t)u32Rows * u32Length * sizeof(COLOR));
        return;
    }
    for (U32 row = 0; row < u32Rows; ++row, pSource += sourceStride, pDestination += destinationStride)
        memmove(pDestination, pSource, (size_t)u32Length * sizeof(COLOR));
}

} // namespace

void G_BMP_vSet(const BITMAP* pDest, const COLOR color)
{
    G_PIXEL_vFillRun(reinterpret_cast<COLOR*>(pDest->pBuffer),
                     (size_t)pDest->__u32PixelHeightOfBuffer * pDest->__u32PixelWidthOfBuffer, color);
}

void G_BMP_vCopyRegion(BITMAP* pbitmapSource, BITMAP* pbitmapDestination, PIXEL pixSource, PIXEL pixDestination,
                       U32 u32Length)
{
    const U32 u32Rows = std::min(pbitmapSource->pixels_high_full_screen, pbitmapDestination->pixels_high_full_screen);
    if (u32Length == 0 || u32Rows == 0)
        return;
    if (u32Rows > FULL_SCREEN_ROWS)
        log_me("WOW %d %d", (int)u32Rows, (int)FULL_SCREEN_ROWS);
    bmp_CopyRows(reinterpret_cast<COLOR*>(pbitmapDestination->pBuffer) + pixDestination,
                 pbitmapDestination->__u32PixelWidthOfBuffer,
                 reinterpret_cast<const COLOR*>(pbitmapSource->pBuffer) + pixSource,
                 pbitmapSource->__u32PixelWidthOfBuffer, u32Rows, u32Length);
}

void G_BMP_vPlaceLogicalOnLogical(const BITMAP* pDestBitmap, const POINT* pLogicalDest, const BITMAP* pSrcBitmap,
                                  const POINT* pLogicalSrc, U32 u32Width, U32 u32Height)
{
    if (u32Width == 0 || u32Height == 0)
        return;
    // Top row of each rectangle first, then downward through the buffers.
    const PIXEL top = (PIXEL)(u32Height - 1);
    bmp_CopyRows(G_PIXEL_pcolLogical(pDestBitmap, pLogicalDest->x, pLogicalDest->y + top),
                 pDestBitmap->__u32PixelWidthOfBuffer,
                 G_PIXEL_pcolLogical(pSrcBitmap, pLogicalSrc->x, pLogicalSrc->y + top),
                 pSrcBitmap->__u32PixelWidthOfBuffer, u32Height, u32Width);
}

void G_BMP_vCopyPhysicalToLogical(const BITMAP* pDestBitmap, const POINT* pLogicalDest, const BITMAP* pSrcBitmap,
                                  const POINT* pSrc, U32 u32Width, U32 u32Height, const COLOR colorTransparency)
{
    for (U32 j = 0; j < u32Height; ++j) {
        const PIXEL sourceRow = pSrc->y + (PIXEL)(u32Height - 1 - j);
        for (U32 i = 0; i < u32Width; ++i) {
            const COLOR color = G_PIXEL_colorGetPhysicalPixel(pSrcBitmap, pSrc->x + (PIXEL)i, sourceRow);
            if (colorTransparency != G_BMP_NO_TRANSPARENCY && color == colorTransparency)
                continue;
            G_PIXEL_vPut(pDestBitmap, pLogicalDest->x + (PIXEL)i, pLogicalDest->y + (PIXEL)j, color);
        }
    }
}
