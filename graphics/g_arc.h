// Arcs: the part of a circle outline from a start angle to an end angle,
// counter-clockwise, in degrees from the positive x axis with y up.
//
// An angle below 0 or a radius of 0 draws nothing; an angle of 360 or more
// is reduced by 360 until it is below. Each pixel goes through the clip box.
#pragma once

#include "graphics/g_types.h"

// How much of one octant (45 degrees) an arc covers.
typedef enum {
    NO_PART = 0,
    STARTS_HERE = 1,
    ENTIRELY_FILLED = 2,
    ENDS_HERE = 3,
    ALL_HERE = 4,
    STARTS_ENDS_HERE = 5
} ARC_CONDITIONS;

void G_ARC_vDraw(BITMAP* pDest, COLOR color, POINT* pCenter, U32 u32Radius, float fStartAngle, float fEndAngle);
