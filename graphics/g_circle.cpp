// Circle outlines and discs (see g_circle.h): the circle walk of g_walk.h
// mirrored into the eight octants.
#include "graphics/g_circle.h"

#include "graphics/g_line.h"
#include "graphics/g_pixel.h"
#include "graphics/g_walk.h"

#include <algorithm>

namespace {

template <typename PUT>
void circle_Outline(const POINT* pCenter, U32 u32Diameter, PUT put)
{
    const S64 cx = pCenter->x, cy = pCenter->y;
    G_WALK_vCircle((S32)u32Diameter, [&](S64 e, S64 f) {
        put(cx + e, cy + f);
        put(cx + e, cy - f);
        put(cx - e, cy - f);
        put(cx - e, cy + f);
        put(cx + f, cy + e);
        put(cx + f, cy - e);
        put(cx - f, cy - e);
        put(cx - f, cy + e);
    });
}

} // namespace

void G_CIRCLE_vDraw(BITMAP* pDest, COLOR color, POINT* pCenter, U32 u32Diameter)
{
    const S64 maxX = (S64)pDest->pixels_wide - 1, maxY = (S64)pDest->pixels_high - 1;
    circle_Outline(pCenter, u32Diameter, [&](S64 x, S64 y) {
        x = std::min(std::max<S64>(x, 0), maxX);
        y = std::min(std::max<S64>(y, 0), maxY);
        G_PIXEL_vPut(pDest, G_WALK_nClamp(x), G_WALK_nClamp(y), color);
    });
}

void G_CIRCLE_vDrawWithNoBound(BITMAP* pDest, COLOR color, POINT* pCenter, U32 u32Diameter)
{
    circle_Outline(pCenter, u32Diameter, [&](S64 x, S64 y) {
        G_PIXEL_vPut(pDest, G_WALK_nClamp(x), G_WALK_nClamp(y), color);
    });
}

void G_CIRCLE_vDrawFilled(BITMAP* pDest, COLOR color, POINT* pCenter, U32 u32Diameter)
{
    if ((S32)u32Diameter < 0)
        return;
    const S64 cx = pCenter->x, cy = pCenter->y;
    auto span = [&](S64 x0, S64 x1, S64 y) {
        POINT start{G_WALK_nClamp(x0), G_WALK_nClamp(y)};
        POINT end{G_WALK_nClamp(x1), G_WALK_nClamp(y)};
        G_LINE_vDraw(pDest, color, &start, &end);
    };
    G_WALK_vCircle((S32)u32Diameter, [&](S64 e, S64 f) {
        span(cx - e, cx + e, cy + f);
        span(cx - e, cx + e, cy - f);
        span(cx - f, cx + f, cy + e);
        span(cx - f, cx + f, cy - e);
    });
}
