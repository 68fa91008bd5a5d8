// The half-pixel circle walks shared by circles, arcs and rounded boxes.
//
// Each walk steps a point around one eighth of a circle at twice the pixel
// resolution, starting on the y axis, and hands (e, f) = (x2 >> 1, y2 >> 1)
// to its caller, which mirrors it into the octants it needs. x2, y2 and s are
// signed, and the first step is always taken, so a size of 0 yields (0, 0)
// once. They run in 64 bits so that no size can overflow them.
//
// Also the clamp that brings 64-bit coordinate arithmetic back to PIXEL.
#pragma once

#include "graphics/g_types.h"

#include <cstdint>

inline PIXEL G_WALK_nClamp(S64 s64Value)
{
    if (s64Value < INT32_MIN)
        return INT32_MIN;
    if (s64Value > INT32_MAX)
        return INT32_MAX;
    return (PIXEL)s64Value;
}

// Arc and rounded-outline walk of radius r: every step plots, so most pixels
// are reached twice.
template <typename PLOT>
void G_WALK_vArc(S32 s32Radius, PLOT plot)
{
    S64 x2 = 0;
    S64 y2 = 2 * (S64)s32Radius;
    S64 s = -y2;
    do {
        plot(x2 >> 1, y2 >> 1);
        s += 2 * x2 + 1;
        ++x2;
        if (s > 0) {
            s -= 2 * y2 - 1;
            --y2;
        }
    } while (x2 <= y2);
}

// Circle walk of diameter D: plots on even x2 only; an odd diameter gives the
// radius (D - 1) / 2 on the axes.
template <typename PLOT>
void G_WALK_vCircle(S32 s32Diameter, PLOT plot)
{
    S64 x2 = 0;
    S64 y2 = s32Diameter;
    S64 s = -y2;
    do {
        if ((x2 & 1) == 0)
            plot(x2 >> 1, y2 >> 1);
        s += 2 * x2 + 1;
        ++x2;
        if (s >= 0) {
            --y2;
            s -= 2 * y2 + 1;
        }
    } while (x2 <= y2);
}

// Filled rounded-box walk of radius r: draws on even x2 only.
template <typename PLOT>
void G_WALK_vRoundedFill(S32 s32Radius, PLOT plot)
{
    S64 x2 = 0;
    S64 y2 = 2 * (S64)s32Radius;
    S64 s = -y2;
    do {
        if ((x2 & 1) == 0)
            plot(x2 >> 1, y2 >> 1);
        s += x2;
        ++x2;
        if (s >= 0) {
            s -= y2;
            --y2;
        }
    } while (x2 <= y2);
}
