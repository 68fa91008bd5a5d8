// Creation and release of bitmaps.
//
// A bitmap made by G_BUFFERS_pCreateFullScreenBitmap, or by
// G_BUFFERS_pCreateBitmap with neither header nor buffer given, owns both
// from the program heap and is released with the matching free call. A
// header-only bitmap, or one over a buffer the caller supplied, does not own
// its pixels. A failed buffer allocation leaves pBuffer null and the header
// is returned all the same: callers test pBuffer. Buffers are not cleared.
#pragma once

#include "graphics/g_types.h"

constexpr U32 G_BUFFERS_FULL_SCREEN_WIDTH = 800;
constexpr U32 G_BUFFERS_FULL_SCREEN_HEIGHT = 600;

BITMAP* G_BUFFERS_pCreateFullScreenBitmap(void);
void G_BUFFERS_vFreeFullScreenBitmap(BITMAP* pBitmap);
BITMAP* G_BUFFERS_pCreateFullScreenBitmapHeader(void);
void G_BUFFERS_vFreeFullScreenBitmapHeader(BITMAP* pBitmap);

// Fills pBitmap (or a new header when it is null) for u32Width x u32Height
// pixels; pu32Buffer, when given, becomes pBuffer unchanged and must hold
// stride x buffer-height pixels, otherwise a buffer is allocated.
BITMAP* G_BUFFERS_pCreateBitmap(U32 u32Width, U32 u32Height, BITMAP* pBitmap, const U32* pu32Buffer);
// Only for a bitmap whose header and buffer G_BUFFERS_pCreateBitmap allocated.
void G_BUFFERS_vFreeBitmap(BITMAP* pBitmap);

// The two steps of G_BUFFERS_pCreateBitmap and the buffer release.
BITMAP* G_BUFFERS_pCreateBitmapHeader(U32 u32Width, U32 u32Height, BITMAP* pBitmap);
U32* G_BUFFERS_pu32CreateBitmapBuffer(U32 u32Width, U32 u32Height);
void G_BUFFERS_vFreeBitmapBuffer(BITMAP* pBitmap);
