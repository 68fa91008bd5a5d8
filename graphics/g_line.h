// One-pixel lines: solid, blended and patterned.
//
// Both end points are part of a line. Horizontal and vertical lines are runs
// clipped once against the clip box and written without a test per pixel;
// every other line is drawn pixel by pixel through G_PIXEL_vPut by the
// symmetric double-step algorithm (from both ends towards the middle), so it
// clips pixel by pixel and looks the same drawn either way round.
#pragma once

#include "graphics/g_types.h"

void G_LINE_vDraw(BITMAP* pDest, COLOR color, POINT* pStart, POINT* pEnd);
// Horizontal and vertical lines are blended (u8Alpha is the weight of the
// pixel already there, 0 writes the colour plainly); a slanted line is drawn
// opaque, exactly as G_LINE_vDraw draws it.
void G_LINE_vDrawAlpha(BITMAP* pDest, COLOR color, POINT* pStart, POINT* pEnd, U8 u8Alpha);
// Horizontal and vertical lines only, clipped against the full-screen clip
// box, and the clipped end points are written back. The pattern repeats every
// 16 pixels from the start point, bit 15 first; a line that clips to one
// pixel draws it whatever the pattern. Any other line draws nothing.
void G_LINE_vDrawPatterned(BITMAP* pDest, COLOR color, POINT* pStart, POINT* pEnd, PATTERN pattern);
