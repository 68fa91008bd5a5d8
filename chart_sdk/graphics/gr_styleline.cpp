// Undulated and cross lines.
//
// The undulated line walks its points along the major axis toward the
// larger major coordinate and draws a radius-2 half circle at every anchor
// (every fourth point, or on long slanted lines every point more than 4
// pixels from the previous anchor). Each half circle bulges to the left of
// the direction from the line's start to its end, so the chain reads as a
// wave whichever end the walk began at.
//
// The cross line carries its minor coordinate in 16.16 fixed point and puts
// a five-pixel tick across the line every seventh pixel; with gaps, the two
// pixels halfway between ticks are left out.
#include "chart_sdk/graphics/gr_styleline.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_pixel.h"

#include <cmath>
#include <cstdlib>

namespace {

// One quarter of the radius-2 circle and the components of the radius-2
// direction vectors chosen by slope.
constexpr SINT kQuarterX[4] = {0, 1, 2, 2};
constexpr SINT kQuarterY[4] = {2, 2, 1, 0};
constexpr SINT kS1[4] = {0, 1, 1, 2};
constexpr SINT kS2[4] = {2, 2, 2, 1};

struct Offset {
    SINT x;
    SINT r;
};

// The twelve points of the circle, clockwise on the picture (rows grow
// downward) from the top.
struct Ring {
    Offset p[12];
    constexpr Ring() : p{}
    {
        for (int i = 0; i < 3; ++i) {
            p[i] = {kQuarterX[i], -kQuarterY[i]};
            p[3 + i] = {kQuarterY[i], kQuarterX[i]};
            p[6 + i] = {-kQuarterX[i], kQuarterY[i]};
            p[9 + i] = {-kQuarterY[i], -kQuarterX[i]};
        }
    }
};
constexpr Ring kRing;

bool PutClipped(GR_CONTEXT* gc, SINT x, SINT r)
{
    if (!gr_InClip(gc, x, r)) {
        return false;
    }
    gf_PutPixel(gc, x, r);
    return true;
}

ERRORCODE HalfCircleToward(GR_CONTEXT* gc, SINT ax, SINT ar, SINT x1, SINT r1)
{
    SINT vx = 0;
    SINT vr = 0;
    gf_FindArc(x1 - ax, r1 - ar, &vx, &vr);
    return gf_DrawArc(gc, ax, ar, vx, vr);
}

} // namespace

void gf_FindArc(SINT ex, SINT er, SINT* vx, SINT* vr)
{
    const S64 ax = std::llabs(static_cast<S64>(ex));
    const S64 ar = std::llabs(static_cast<S64>(er));
    SINT cx = 0;
    SINT cr = 0;
    if (ar < ax) {
        const S64 k = 3 * ar / ax;
        cx = kS2[k];
        cr = kS1[k];
    } else if (ar > 0) {
        const S64 k = 3 * ax / ar;
        cx = kS1[k];
        cr = kS2[k];
    }
    *vx = ex < 0 ? -cx : cx;
    *vr = er < 0 ? -cr : cr;
}

ERRORCODE gf_DrawArc(GR_CONTEXT* gc, SINT ax, SINT ar, SINT vx, SINT vr)
{
    int start = -1;
    for (int i = 0; i < 12; ++i) {
        if (kRing.p[i].x == -vx && kRing.p[i].r == -vr) {
            start = i;
        }
    }
    // Only the radius-2 vectors of gf_FindArc lie on the circle.
    if (start < 0) {
        return GR_OK;
    }
    const SINT cx = ax + vx;
    const SINT cr = ar + vr;
    ERRORCODE result = GR_OK;
    for (int k = 0; k <= 6; ++k) {
        const Offset& o = kRing.p[(start + k) % 12];
        if (!PutClipped(gc, cx + o.x, cr + o.r)) {
            result = GR_OUT_OF_CLIP;
        }
    }
    return result;
}

ERRORCODE gf_DrawUndulatedLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1)
{
    gr_SetPatternStatus(gc, FALSE);
    ERRORCODE result = GR_OK;
    auto note = [&result](ERRORCODE e) {
        if (e != GR_OK) {
            result = e;
        }
    };
    if (x0 == x1 && r0 == r1) {
        // A single point, plotted as gr_SetPixel would plot it.
        gc->cp = {x0, r0};
        if (!gr_InClip(gc, x0, r0)) {
            result = GR_OUT_OF_CLIP;
        } else if (gc->DrTool == BRUSH && gc->PixelSize > 1) {
            gf_PutBrushPixel(gc, x0, r0, 0, 0);
        } else {
            gf_PutPixel(gc, x0, r0);
        }
        gr_SetPatternStatus(gc, TRUE);
        return result;
    }
    const S64 adx = std::llabs(static_cast<S64>(x1) - x0);
    const S64 ady = std::llabs(static_cast<S64>(r1) - r0);
    const bool xMajor = adx > ady || (adx == ady && x0 < x1);
    const bool fromP0 = xMajor ? x0 < x1 : r0 < r1;
    const SINT sx = fromP0 ? x0 : x1;
    const SINT sr = fromP0 ? r0 : r1;
    const SINT ex = fromP0 ? x1 : x0;
    const SINT er = fromP0 ? r1 : r0;
    if (fromP0) {
        note(HalfCircleToward(gc, x0, r0, x1, r1));
    }
    const bool regular = adx == ady || adx <= 20 || ady <= 20;
    const S64 major = xMajor ? adx : ady;
    const S64 minor = xMajor ? ady : adx;
    const SINT minorStep = xMajor ? (er >= sr ? 1 : -1) : (ex >= sx ? 1 : -1);
    SINT x = sx;
    SINT r = sr;
    SINT anchorX = sx;
    SINT anchorR = sr;
    S64 d = 2 * minor - major;
    for (S64 step = 1; step <= major; ++step) {
        if (d >= 0) {
            if (xMajor) {
                r += minorStep;
            } else {
                x += minorStep;
            }
            d += 2 * minor - 2 * major;
        } else {
            d += 2 * minor;
        }
        if (xMajor) {
            ++x;
        } else {
            ++r;
        }
        bool anchor;
        if (regular) {
            anchor = step % 4 == 0;
        } else {
            const S64 ddx = static_cast<S64>(x) - anchorX;
            const S64 ddr = static_cast<S64>(r) - anchorR;
            anchor = ddx * ddx + ddr * ddr > 16;
        }
        if (!anchor) {
            continue;
        }
        anchorX = x;
        anchorR = r;
        if (x != x1 || r != r1) {
            note(HalfCircleToward(gc, x, r, x1, r1));
        }
    }
    gr_SetPatternStatus(gc, TRUE);
    return result;
}

ERRORCODE gf_DrawCrossLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1, SINT gaps)
{
    gr_SetPatternStatus(gc, FALSE);
    ERRORCODE result = GR_OK;
    auto put = [gc, &result](double x, double r) {
        const double tx = std::trunc(x);
        const double tr = std::trunc(r);
        // Far outside any buffer: skipped like any pixel outside the clip.
        if (!(std::fabs(tx) < 2e9 && std::fabs(tr) < 2e9) ||
            !PutClipped(gc, static_cast<SINT>(tx), static_cast<SINT>(tr))) {
            result = GR_OUT_OF_CLIP;
        }
    };
    const S64 dx = static_cast<S64>(x1) - x0;
    const S64 dr = static_cast<S64>(r1) - r0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dr);
    const S64 majorExt = xMajor ? dx : dr;
    const S64 minorExt = xMajor ? dr : dx;
    const SINT major0 = xMajor ? x0 : r0;
    const SINT minor0 = xMajor ? r0 : x0;
    const S64 n = std::llabs(majorExt);
    const S64 step = n ? minorExt * 65536 / n : 0;
    const SINT majorDir = majorExt >= 0 ? 1 : -1;
    const S64 fixedStart = static_cast<S64>(minor0) * 65536 + 0x8000;
    // The tick slant follows the integer change of the minor coordinate over
    // the seven steps between ticks.
    const S64 change = ((fixedStart + 7 * step) >> 16) - (fixedStart >> 16);
    const double t = static_cast<double>(change) / 7.0;
    // Only the steps whose pixels can reach the clip rectangle are visited
    // (a tick reaches two pixels to either side); the phase of the ticks
    // stays counted from the start of the line.
    const S64 lo = static_cast<S64>(xMajor ? gc->cliporig.px : gc->cliporig.py) - 3;
    const S64 hi = static_cast<S64>(xMajor ? gc->cliplim.px : gc->cliplim.py) + 3;
    S64 kFirst = majorDir > 0 ? lo - major0 : major0 - hi;
    S64 kLast = majorDir > 0 ? hi - major0 : major0 - lo;
    kFirst = kFirst < 0 ? 0 : kFirst;
    kLast = kLast > n ? n : kLast;
    if (kFirst > kLast) {
        gr_SetPatternStatus(gc, TRUE);
        return GR_OUT_OF_CLIP;
    }
    if (kFirst > 0 || kLast < n) {
        result = GR_OUT_OF_CLIP;
    }
    S64 fixed = fixedStart + kFirst * step;
    for (S64 k = kFirst; k <= kLast; ++k, fixed += step) {
        const double mj = static_cast<double>(major0) + static_cast<double>(k) * majorDir;
        const double mn = static_cast<double>(fixed >> 16);
        const S64 phase = k % 7;
        if (phase == 0) {
            if (xMajor) {
                put(mj + t, mn - 1);
                put(mj - t, mn + 1);
                put(mj + 2 * t, mn - 2);
                put(mj - 2 * t, mn + 2);
                put(mj, mn);
            } else {
                put(mn + 1, mj - t);
                put(mn - 1, mj + t);
                put(mn + 2, mj - 2 * t);
                put(mn - 2, mj + 2 * t);
                put(mn, mj);
            }
        } else if (!(gaps && (phase == 3 || phase == 4))) {
            if (xMajor) {
                put(mj, mn);
            } else {
                put(mn, mj);
            }
        }
    }
    gr_SetPatternStatus(gc, TRUE);
    return result;
}
