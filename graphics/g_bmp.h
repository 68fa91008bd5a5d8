// Fills and copies of whole areas of bitmaps, on rows and words rather than
// pixel by pixel. Apart from G_BMP_vCopyPhysicalToLogical no routine clips
// or checks its areas: callers keep them inside the buffers. A copy must not
// run while another thread draws into either bitmap.
#pragma once

#include "graphics/g_types.h"

// The whole buffer, stride x allocated rows, clip box ignored.
void G_BMP_vSet(const BITMAP* pDest, const COLOR color);

// Copies u32Length pixels per row from buffer element pixSource of the
// source to element pixDestination of the destination, row 0 first, each
// following row one stride further in each bitmap, for as many rows as both
// bitmaps have (pixels_high_full_screen). A window's left column as both
// offsets and its width as the length copies that column band.
void G_BMP_vCopyRegion(BITMAP* pbitmapSource, BITMAP* pbitmapDestination, PIXEL pixSource, PIXEL pixDestination,
                       U32 u32Length);

// Destination (xd + i, yd + j) = source (xs + i, ys + j) for the rectangle
// of u32Width x u32Height whose lower-left corners are given; rows are
// mapped by each bitmap's own height and stride.
void G_BMP_vPlaceLogicalOnLogical(const BITMAP* pDestBitmap, const POINT* pLogicalDest, const BITMAP* pSrcBitmap,
                                  const POINT* pLogicalSrc, U32 u32Width, U32 u32Height);

// Passing this as the transparent colour copies every pixel.
constexpr COLOR G_BMP_NO_TRANSPARENCY = 0xFFFE;

// Destination (xd + i, yd + j) = physical source (xs + i, row ys + h - 1 - j),
// so the block keeps its orientation; through the destination's clip box.
// Source pixels of exactly colorTransparency are skipped.
void G_BMP_vCopyPhysicalToLogical(const BITMAP* pDestBitmap, const POINT* pLogicalDest, const BITMAP* pSrcBitmap,
                                  const POINT* pSrc, U32 u32Width, U32 u32Height, const COLOR colorTransparency);
