// The pixel and bitmap types shared by the drawing library and the display
// drivers: a driver shows a BITMAP's buffer without drawing into it.
//
// A BITMAP is a header over a buffer of RGB565 pixels stored row after row,
// row 0 of the buffer being the top row of the picture. Drawing takes logical
// coordinates: x counts columns rightward from 0, y counts rows upward from
// the bottom, so logical (x, y) is buffer element
//     x + __u32PixelWidthOfBuffer * (pixels_high_full_screen - y - 1).
// Both clip boxes are inclusive on all four edges; s32ClipTop is the highest
// row that may be drawn. A window of a larger picture is a copy of its header
// with a narrowed clip box: buffer, stride and full-screen height stay those
// of the whole picture. The stride and the allocated row count are even, so
// every row starts on a 4-byte boundary.
//
// Pixels are read and written as COLOR; whole-word moves go through memcpy,
// never through a U32 lvalue, so the buffer may be reached through either
// type without aliasing trouble.
#pragma once

#include "kernel/l_types.h"

typedef U16 COLOR;   // RGB565: red bits 15-11, green 10-5, blue 4-0
typedef S32 PIXEL;   // a coordinate in pixels
typedef U16 PATTERN; // 16-pixel on/off pattern of a patterned line, bit 15 first

typedef struct tag_BITMAP {
    U32* pBuffer;
    U32 pixels_wide;
    U32 pixels_high;
    S32 s32ClipLeft;
    S32 s32ClipTop;
    S32 s32ClipRight;
    S32 s32ClipBottom;
    U32 pixels_wide_full_screen;
    U32 pixels_high_full_screen; // maps a logical y to a buffer row
    // Outer clip box; only the patterned line clips against it.
    S32 s32ClipLeft_full_screen;
    S32 s32ClipTop_full_screen;
    S32 s32ClipRight_full_screen;
    S32 s32ClipBottom_full_screen;
    U32 __u32PixelWidthOfBuffer;  // row stride in pixels (width rounded up to even)
    U32 __u32PixelHeightOfBuffer; // rows allocated (height rounded up to even)
} BITMAP;
