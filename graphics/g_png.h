// Writes a BITMAP as a PNG picture, for tests and for people to look at.
//
// The picture is the bitmap's whole surface (pixels_wide x pixels_high,
// top row first) in 8-bit RGB; each RGB565 field is widened by repeating its
// high bits, so white stays white and no two colours meet.
#pragma once

#include "graphics/g_types.h"

// FALSE when the file cannot be written; the reason is logged.
BOOLEAN G_PNG_bWriteBitmap(const BITMAP* pSrc, const char* pcPath);

// The 8-bit red, green and blue of one RGB565 colour, as written.
void G_PNG_vToRgb888(COLOR color, U8* pu8Rgb);
