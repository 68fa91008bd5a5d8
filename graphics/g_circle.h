// Circle outlines and discs, given by centre and diameter.
//
// An odd diameter D gives the radius (D - 1) / 2 on the axes; a diameter of 0
// draws the centre point.
#pragma once

#include "graphics/g_types.h"

// Every point is first bounded to the bitmap (x to 0 .. pixels_wide - 1,
// y to 0 .. pixels_high - 1), so the parts beyond an edge lie on that edge;
// then the clip box applies.
void G_CIRCLE_vDraw(BITMAP* pDest, COLOR color, POINT* pCenter, U32 u32Diameter);
// The same outline with the clip box only.
void G_CIRCLE_vDrawWithNoBound(BITMAP* pDest, COLOR color, POINT* pCenter, U32 u32Diameter);
// A disc of horizontal spans; nothing when the diameter, taken as signed, is
// negative.
void G_CIRCLE_vDrawFilled(BITMAP* pDest, COLOR color, POINT* pCenter, U32 u32Diameter);
