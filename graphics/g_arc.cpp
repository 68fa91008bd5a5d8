// Arcs (see g_arc.h).
//
// The arc walk of g_walk.h visits one point per octant and step. Each octant
// gets a condition from where the start and end angles fall, and a point is
// drawn when its test value passes that condition against the limits: the
// coordinate that grows with the angle in that octant (y in octants 0 and 7,
// -x in 1 and 2, -y in 3 and 4, x in 5 and 6), compared with the same
// coordinate of the start and end points on the circle.
#include "graphics/g_arc.h"

#include "graphics/g_pixel.h"
#include "graphics/g_walk.h"

#include <array>
#include <cmath>

namespace {

constexpr int OCTANTS = 8;
constexpr double DEGREES_TO_RADIANS = 0.017453;

int arc_Octant(float fAngle) { return (int)fAngle / 45; }

// Truncated toward zero, bounded to the PIXEL range.
PIXEL arc_Limit(S32 centre, U32 u32Radius, double dTrig)
{
    const double d = std::trunc((double)centre + (double)u32Radius * dTrig);
    if (d <= (double)INT32_MIN)
        return INT32_MIN;
    if (d >= (double)INT32_MAX)
        return INT32_MAX;
    return (PIXEL)d;
}

bool arc_Passes(ARC_CONDITIONS condition, S64 t, S64 s, S64 e)
{
    switch (condition) {
    case STARTS_HERE: return t >= s;
    case ENTIRELY_FILLED: return true;
    case ENDS_HERE: return t <= e;
    case ALL_HERE: return s <= t && t <= e;
    case STARTS_ENDS_HERE: return t <= e || t >= s;
    case NO_PART: break;
    }
    return false;
}

void arc_plot(const BITMAP* pDest, COLOR color, ARC_CONDITIONS condition, S64 x, S64 y, S64 t, S64 s, S64 e)
{
    if (arc_Passes(condition, t, s, e))
        G_PIXEL_vPut(pDest, G_WALK_nClamp(x), G_WALK_nClamp(y), color);
}

} // namespace

void G_ARC_vDraw(BITMAP* pDest, COLOR color, POINT* pCenter, U32 u32Radius, float fStartAngle, float fEndAngle)
{
    // Written so that NaN fails too; an infinite angle has no place either.
    if (!(fStartAngle >= 0.0f && fEndAngle >= 0.0f) || std::isinf(fStartAngle) || std::isinf(fEndAngle) ||
        u32Radius == 0)
        return;
    // The same as taking 360 off until below 360 (each such step is exact
    // for the angles anyone draws), and it also ends for angles so large
    // that a subtraction no longer changes them.
    fStartAngle = std::fmod(fStartAngle, 360.0f);
    fEndAngle = std::fmod(fEndAngle, 360.0f);

    const int startOctant = arc_Octant(fStartAngle);
    const int endOctant = arc_Octant(fEndAngle);
    std::array<ARC_CONDITIONS, OCTANTS> conditions;
    if (startOctant != endOctant) {
        conditions.fill(NO_PART);
        conditions[startOctant] = STARTS_HERE;
        conditions[endOctant] = ENDS_HERE;
        for (int o = (startOctant + 1) % OCTANTS; o != endOctant; o = (o + 1) % OCTANTS)
            conditions[o] = ENTIRELY_FILLED;
    } else if (fEndAngle < fStartAngle) {
        conditions.fill(ENTIRELY_FILLED);
        conditions[startOctant] = STARTS_ENDS_HERE;
    } else {
        conditions.fill(NO_PART);
        conditions[startOctant] = ALL_HERE;
    }

    const S32 cx = pCenter->x, cy = pCenter->y;
    const double dStart = fStartAngle * DEGREES_TO_RADIANS;
    const double dEnd = fEndAngle * DEGREES_TO_RADIANS;
    const S64 xs = arc_Limit(cx, u32Radius, std::cos(dStart));
    const S64 ys = arc_Limit(cy, u32Radius, std::sin(dStart));
    const S64 xe = arc_Limit(cx, u32Radius, std::cos(dEnd));
    const S64 ye = arc_Limit(cy, u32Radius, std::sin(dEnd));

    G_WALK_vArc((S32)u32Radius, [&](S64 e, S64 f) {
        S64 x = cx + f, y = cy + e;
        arc_plot(pDest, color, conditions[0], x, y, y, ys, ye);
        x = cx + e, y = cy + f;
        arc_plot(pDest, color, conditions[1], x, y, -x, -xs, -xe);
        x = cx - e, y = cy + f;
        arc_plot(pDest, color, conditions[2], x, y, -x, -xs, -xe);
        x = cx - f, y = cy + e;
        arc_plot(pDest, color, conditions[3], x, y, -y, -ys, -ye);
        x = cx - f, y = cy - e;
        arc_plot(pDest, color, conditions[4], x, y, -y, -ys, -ye);
        x = cx - e, y = cy - f;
        arc_plot(pDest, color, conditions[5], x, y, x, xs, xe);
        x = cx + e, y = cy - f;
        arc_plot(pDest, color, conditions[6], x, y, x, xs, xe);
        x = cx + f, y = cy - e;
        arc_plot(pDest, color, conditions[7], x, y, y, ys, ye);
    });
}
