// Lines and pens.
//
// The pen-driven operations pick the line kind from the context: a brush
// line for the brush tool with a pen size of 2 or more (pattern off), a
// patterned line whenever the pattern status is on, else a solid line. Solid
// and patterned lines clip once per line with gf_ClipLine and then walk the
// Bresenham points (ties take the diagonal step); brush lines clip per
// stamped pixel. The clipper reports, besides the clipped points, whether
// the end point was cut (it is then written, being the edge pixel) and
// whether the segment was turned round (the first point is then the
// requested end point, which stays unwritten).
//
// An empty clip rectangle (first column after last, or first row after
// last) draws nothing: every clipped operation reports it as outside.
#include "chart_sdk/graphics/gr_line.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_pixel.h"
#include "chart_sdk/graphics/gr_styleline.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

inline SINT Sign(S64 v)
{
    return v >= 0 ? 1 : -1;
}

inline bool ClipEmpty(const GR_CONTEXT* gc)
{
    return gc->cliporig.px > gc->cliplim.px || gc->cliporig.py > gc->cliplim.py;
}

// The points of a line from p0 up to but not including p1, handed to plot.
// With reversed set the first point is left out too.
template <class Plot>
void Walk(SINT x0, SINT r0, SINT x1, SINT r1, bool reversed, Plot&& plot)
{
    const S64 dx = std::llabs(static_cast<S64>(x1) - x0);
    const S64 dy = std::llabs(static_cast<S64>(r1) - r0);
    const SINT sx = Sign(static_cast<S64>(x1) - x0);
    const SINT sr = Sign(static_cast<S64>(r1) - r0);
    SINT x = x0;
    SINT r = r0;
    if (dx == 0 || dy == 0) {
        if (reversed && (x != x1 || r != r1)) {
            x += dx ? sx : 0;
            r += dy ? sr : 0;
        }
        for (; x != x1 || r != r1; x += dx ? sx : 0, r += dy ? sr : 0) {
            plot(x, r);
        }
        return;
    }
    if (!reversed) {
        plot(x, r);
    }
    if (dx == dy) {
        for (;;) {
            x += sx;
            r += sr;
            if (x == x1) {
                return;
            }
            plot(x, r);
        }
    }
    if (dy < dx) {
        S64 d = 2 * dy - dx;
        for (;;) {
            if (d >= 0) {
                r += sr;
                d += 2 * dy - 2 * dx;
            } else {
                d += 2 * dy;
            }
            x += sx;
            if (x == x1) {
                return;
            }
            plot(x, r);
        }
    }
    S64 d = 2 * dx - dy;
    for (;;) {
        if (d >= 0) {
            x += sx;
            d += 2 * dx - 2 * dy;
        } else {
            d += 2 * dx;
        }
        r += sr;
        if (r == r1) {
            return;
        }
        plot(x, r);
    }
}

inline bool ShortLine(SINT x0, SINT r0, SINT x1, SINT r1)
{
    return std::llabs(static_cast<S64>(x1) - x0) <= 1 && std::llabs(static_cast<S64>(r1) - r0) <= 1;
}

// A coordinate computed on the far side of an edge, truncated toward zero;
// false when it falls outside lo..hi (or is not a number at all).
inline bool TruncInRange(double v, SINT lo, SINT hi, SINT* out)
{
    const double t = std::trunc(v);
    if (!(t >= lo && t <= hi)) {
        return false;
    }
    *out = static_cast<SINT>(t);
    return true;
}

inline SINT ClampTrunc(double v, SINT lo, SINT hi)
{
    const double t = std::trunc(v);
    if (!(t >= lo)) {
        return lo;
    }
    if (t > hi) {
        return hi;
    }
    return static_cast<SINT>(t);
}

} // namespace

ERRORCODE gr_SetAbsPenPos(GR_CONTEXT* gc, SINT x, SINT y)
{
    gc->cp = {x, gc->pixdim.ph - 1 - y};
    return gr_InClip(gc, gc->cp.px, gc->cp.py) ? GR_OK : GR_OUT_OF_CLIP;
}

ERRORCODE gr_SetRelPenPos(GR_CONTEXT* gc, SINT dx, SINT dy)
{
    gc->cp.px += dx;
    gc->cp.py -= dy;
    return gr_InClip(gc, gc->cp.px, gc->cp.py) ? GR_OK : GR_OUT_OF_CLIP;
}

ERRORCODE gr_DrawAbsLine(GR_CONTEXT* gc, SINT x, SINT y)
{
    return gf_DrawAbsLine(gc, x, gc->pixdim.ph - 1 - y);
}

ERRORCODE gr_DrawRelLine(GR_CONTEXT* gc, SINT dx, SINT dy)
{
    return gf_DrawRelLine(gc, dx, -dy);
}

ERRORCODE gf_DrawAbsLine(GR_CONTEXT* gc, SINT x1, SINT r1)
{
    const SINT x0 = gc->cp.px;
    const SINT r0 = gc->cp.py;
    ERRORCODE result;
    if (gc->DrTool == BRUSH && gc->PixelSize >= 2 && !gc->ptrnattrib.status) {
        result = gf_DrawBrushLine(gc, x0, r0, x1, r1);
    } else if (gc->ptrnattrib.status) {
        result = gf_DrawPttrnLine(gc, x0, r0, x1, r1, 1);
    } else {
        result = gf_DrawSolidLine(gc, x0, r0, x1, r1, 1);
    }
    gc->cp = {x1, r1};
    return result;
}

ERRORCODE gf_DrawRelLine(GR_CONTEXT* gc, SINT dx, SINT dr)
{
    return gf_DrawAbsLine(gc, gc->cp.px + dx, gc->cp.py + dr);
}

ERRORCODE gr_ClipAndDrawAbsLine(GR_CONTEXT* gc, SINT x, SINT y, SINT clip)
{
    const SINT r = gc->pixdim.ph - 1 - y;
    if (gc->ptrnattrib.status == 1) {
        return gf_DrawPttrnLine(gc, gc->cp.px, gc->cp.py, x, r, clip);
    }
    if (gc->DrTool == BRUSH && gc->PixelSize > 1) {
        return gf_DrawBrushLine(gc, gc->cp.px, gc->cp.py, x, r);
    }
    return gf_DrawSolidLine(gc, gc->cp.px, gc->cp.py, x, r, clip);
}

ERRORCODE gf_DrawSolidLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1, SINT clip)
{
    gc->cp = {x1, r1};
    if (ShortLine(x0, r0, x1, r1)) {
        if (!gr_InClip(gc, x0, r0)) {
            return GR_OUT_OF_CLIP;
        }
        gf_PutPixel(gc, x0, r0);
        return GR_OK;
    }
    BOOL clipped = FALSE;
    BOOL reversed = FALSE;
    if (clip) {
        const ERRORCODE e = gf_ClipLine(gc, &x0, &r0, &x1, &r1, &clipped, &reversed);
        if (e != GR_OK) {
            return e;
        }
    }
    if (x0 == x1 || r0 == r1) {
        // Straight runs go to the word-wide spans.
        if (x0 == x1 && r0 != r1) {
            const SINT start = reversed ? r0 + Sign(static_cast<S64>(r1) - r0) : r0;
            gf_VertLine(gc, x0, start, r1 - start);
        } else if (r0 == r1 && x0 != x1) {
            const SINT start = reversed ? x0 + Sign(static_cast<S64>(x1) - x0) : x0;
            gf_HorLine(gc, start, r0, x1 - start);
        }
    } else {
        Walk(x0, r0, x1, r1, reversed, [gc](SINT x, SINT r) { gf_PutPixel(gc, x, r); });
    }
    if (clipped) {
        gf_PutPixel(gc, x1, r1);
    }
    return GR_OK;
}

ERRORCODE gf_DrawPttrnLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1, SINT clip)
{
    const PATTERNATTRIB& pa = gc->ptrnattrib;
    if (pa.type == 0 && pa.index == GR_PATTERN_UNDULATED) {
        return gf_DrawUndulatedLine(gc, x0, r0, x1, r1);
    }
    if (pa.type == 0 && pa.index == GR_PATTERN_CROSS) {
        return gf_DrawCrossLine(gc, x0, r0, x1, r1, 1);
    }
    gc->cp = {x1, r1};
    if (ShortLine(x0, r0, x1, r1)) {
        if (gf_CheckPattern(gc) && gr_InClip(gc, x0, r0)) {
            gf_PutPixel(gc, x0, r0);
            return GR_OK;
        }
        return GR_OUT_OF_CLIP;
    }
    BOOL clipped = FALSE;
    BOOL reversed = FALSE;
    if (clip) {
        const ERRORCODE e = gf_ClipLine(gc, &x0, &r0, &x1, &r1, &clipped, &reversed);
        if (e != GR_OK) {
            return e;
        }
    }
    Walk(x0, r0, x1, r1, reversed, [gc](SINT x, SINT r) {
        if (gf_CheckPattern(gc)) {
            gf_PutPixel(gc, x, r);
        }
    });
    if (clipped) {
        gf_PutPixel(gc, x1, r1);
    }
    return GR_OK;
}

ERRORCODE gf_DrawBrushLine(GR_CONTEXT* gc, SINT x0, SINT r0, SINT x1, SINT r1)
{
    if (x0 == x1 && r0 == r1) {
        return GR_OK;
    }
    const S64 dx = std::llabs(static_cast<S64>(x1) - x0);
    const S64 dy = std::llabs(static_cast<S64>(r1) - r0);
    const SINT sx = Sign(static_cast<S64>(x1) - x0);
    const SINT sr = Sign(static_cast<S64>(r1) - r0);
    const bool xMajor = dx >= dy;
    SINT x = x0;
    SINT r = r0;
    // At the first point the step about to be taken along the major axis;
    // the first point is the pen, so its stamp is the whole square anyway.
    gf_PutBrushPixel(gc, x, r, xMajor ? sx : 0, xMajor ? 0 : sr);
    S64 d = xMajor ? 2 * dy - dx : 2 * dx - dy;
    for (;;) {
        SINT stepX = 0;
        SINT stepR = 0;
        if (xMajor) {
            stepX = sx;
            if (d >= 0) {
                stepR = sr;
                d += 2 * dy - 2 * dx;
            } else {
                d += 2 * dy;
            }
        } else {
            stepR = sr;
            if (d >= 0) {
                stepX = sx;
                d += 2 * dx - 2 * dy;
            } else {
                d += 2 * dx;
            }
        }
        x += stepX;
        r += stepR;
        if (x == x1 && r == r1) {
            break;
        }
        gf_PutBrushPixel(gc, x, r, stepX, stepR);
    }
    gc->cp = {x1, r1};
    return GR_OK;
}

ERRORCODE gf_ClipLine(const GR_CONTEXT* gc, SINT* px0, SINT* pr0, SINT* px1, SINT* pr1, BOOL* clipped,
                      BOOL* reversed)
{
    const SINT c0 = gc->cliporig.px;
    const SINT c1 = gc->cliplim.px;
    const SINT q0 = gc->cliporig.py;
    const SINT q1 = gc->cliplim.py;
    *clipped = FALSE;
    *reversed = FALSE;
    if (ClipEmpty(gc)) {
        return GR_OUT_OF_CLIP;
    }
    const SINT x0 = *px0;
    const SINT r0 = *pr0;
    const SINT x1 = *px1;
    const SINT r1 = *pr1;
    const bool in0 = gr_InClip(gc, x0, r0);
    const bool in1 = gr_InClip(gc, x1, r1);
    if (in0 && in1) {
        return GR_OK;
    }
    *clipped = TRUE;
    const double dx = static_cast<double>(x1) - x0;
    const double dr = static_cast<double>(r1) - r0;
    auto colAtRow = [&](SINT q) { return x0 + dx / dr * (static_cast<double>(q) - r0); };
    auto rowAtCol = [&](SINT c) { return r0 + dr / dx * (static_cast<double>(c) - x0); };

    if (!in0 && !in1) {
        if ((x0 < c0 && x1 < c0) || (x0 > c1 && x1 > c1) || (r0 < q0 && r1 < q0) || (r0 > q1 && r1 > q1)) {
            return GR_OUT_OF_CLIP;
        }
        if (x0 == x1) {
            *pr0 = q0;
            *pr1 = q1;
            return GR_OK;
        }
        if (r0 == r1) {
            *px0 = c0;
            *px1 = c1;
            return GR_OK;
        }
        // The first two crossings, edges taken in the order row q0, row q1,
        // column c0, column c1. A crossing through a corner is met on both
        // of its edges; it counts once so that the other end is still found.
        SINT fx[2] = {0, 0};
        SINT fr[2] = {0, 0};
        int found = 0;
        auto add = [&](SINT x, SINT r) {
            if (found == 2 || (found == 1 && fx[0] == x && fr[0] == r)) {
                return;
            }
            fx[found] = x;
            fr[found] = r;
            ++found;
        };
        SINT v = 0;
        if (TruncInRange(colAtRow(q0), c0, c1, &v)) {
            add(v, q0);
        }
        if (TruncInRange(colAtRow(q1), c0, c1, &v)) {
            add(v, q1);
        }
        if (TruncInRange(rowAtCol(c0), q0, q1, &v)) {
            add(c0, v);
        }
        if (TruncInRange(rowAtCol(c1), q0, q1, &v)) {
            add(c1, v);
        }
        if (found < 2) {
            return GR_OUT_OF_CLIP;
        }
        *px0 = fx[0];
        *pr0 = fr[0];
        *px1 = fx[1];
        *pr1 = fr[1];
        return GR_OK;
    }

    const bool p0Outside = !in0;
    const SINT ox = p0Outside ? x0 : x1;
    const SINT orow = p0Outside ? r0 : r1;
    SINT ix = 0;
    SINT ir = 0;
    if (x0 == x1 || r0 == r1) {
        // Straight line: the outside end moves onto the crossed edge. When
        // the start is outside, the requested end stays unwritten, so the
        // visible part starts one pixel past it toward that edge.
        if (x0 == x1) {
            ix = x0;
            ir = orow < q0 ? q0 : q1;
        } else {
            ix = ox < c0 ? c0 : c1;
            ir = r0;
        }
        if (!p0Outside) {
            *px1 = ix;
            *pr1 = ir;
            return GR_OK;
        }
        if (x1 == ix && r1 == ir) {
            return GR_OUT_OF_CLIP;
        }
        *px0 = x1 + Sign(static_cast<S64>(ix) - x1) * (ix != x1);
        *pr0 = r1 + Sign(static_cast<S64>(ir) - r1) * (ir != r1);
        *px1 = ix;
        *pr1 = ir;
        return GR_OK;
    }

    bool done = false;
    SINT v = 0;
    if (!done && orow < q0 && TruncInRange(colAtRow(q0), c0, c1, &v)) {
        ix = v;
        ir = q0;
        done = true;
    }
    if (!done && orow > q1 && TruncInRange(colAtRow(q1), c0, c1, &v)) {
        ix = v;
        ir = q1;
        done = true;
    }
    if (!done && ox < c0 && TruncInRange(rowAtCol(c0), q0, q1, &v)) {
        ix = c0;
        ir = v;
        done = true;
    }
    if (!done && ox > c1 && TruncInRange(rowAtCol(c1), q0, q1, &v)) {
        ix = c1;
        ir = v;
        done = true;
    }
    if (!done) {
        // The segment runs from inside to outside, so it does cross an edge;
        // only truncation next to a corner can miss it. Take the crossing on
        // the first edge beyond the outside end, pulled into the rectangle.
        if (orow < q0 || orow > q1) {
            ir = orow < q0 ? q0 : q1;
            ix = ClampTrunc(colAtRow(ir), c0, c1);
        } else {
            ix = ox < c0 ? c0 : c1;
            ir = ClampTrunc(rowAtCol(ix), q0, q1);
        }
    }
    if (p0Outside) {
        *px0 = x1;
        *pr0 = r1;
        *reversed = TRUE;
    }
    *px1 = ix;
    *pr1 = ir;
    return GR_OK;
}

ERRORCODE gr_SmartDrawLine(GR_CONTEXT* gc, SINT clip, SINT x0, SINT y0, SINT x1, SINT y1)
{
    SINT r0 = gc->pixdim.ph - 1 - y0;
    SINT r1 = gc->pixdim.ph - 1 - y1;
    if (clip == 1) {
        if (ClipEmpty(gc)) {
            return GR_OUT_OF_CLIP;
        }
        const double c0 = gc->cliporig.px;
        const double c1 = gc->cliplim.px;
        const double q0 = gc->cliporig.py;
        const double q1 = gc->cliplim.py;
        auto code = [&](double x, double r) {
            return (r > q1 ? 1 : 0) | (r < q0 ? 2 : 0) | (x > c1 ? 4 : 0) | (x < c0 ? 8 : 0);
        };
        double ax = x0;
        double ar = r0;
        double bx = x1;
        double br = r1;
        int ca = code(ax, ar);
        int cb = code(bx, br);
        // Each move puts one end exactly on an edge; a line that runs through
        // a corner may bounce between the corner's two edges by rounding,
        // so the number of moves is bounded and the result pulled inside.
        int moves = 0;
        for (;;) {
            if (ca & cb) {
                return GR_OUT_OF_CLIP;
            }
            if (ca == 0 && cb == 0) {
                break;
            }
            if (++moves > 8) {
                ax = std::fmin(std::fmax(ax, c0), c1);
                ar = std::fmin(std::fmax(ar, q0), q1);
                bx = std::fmin(std::fmax(bx, c0), c1);
                br = std::fmin(std::fmax(br, q0), q1);
                break;
            }
            if (ca == 0) {
                std::swap(ax, bx);
                std::swap(ar, br);
                std::swap(ca, cb);
            }
            if (ca & 3) {
                const double q = (ca & 1) ? q1 : q0;
                ax += (bx - ax) / (br - ar) * (q - ar);
                ar = q;
            } else {
                const double c = (ca & 4) ? c1 : c0;
                ar += (br - ar) / (bx - ax) * (c - ax);
                ax = c;
            }
            ca = code(ax, ar);
        }
        x0 = static_cast<SINT>(std::trunc(ax));
        r0 = static_cast<SINT>(std::trunc(ar));
        x1 = static_cast<SINT>(std::trunc(bx));
        r1 = static_cast<SINT>(std::trunc(br));
    }
    if (x0 == x1) {
        gf_VertLine(gc, x0, r0, r1 - r0);
        return GR_OK;
    }
    if (r0 == r1) {
        gf_HorLine(gc, x0, r0, x1 - x0);
        return GR_OK;
    }
    const S64 dx = std::llabs(static_cast<S64>(x1) - x0);
    const S64 dy = std::llabs(static_cast<S64>(r1) - r0);
    const U32 colour = gc->colour & 0xFFFFu;
    const UCHAR mode = gc->mode;
    const SINT rowsize = gc->scrdim.rowsize;
    if (dx > dy) {
        if (x0 > x1) {
            std::swap(x0, x1);
            std::swap(r0, r1);
        }
        const ptrdiff_t rowStep = r1 > r0 ? rowsize : -rowsize;
        U32* w = gf_PixelWord(gc, x0, r0);
        U32 shift = (x0 & 1) ? 16u : 0u;
        S64 d = 2 * dy - dx;
        for (SINT x = x0; x < x1; ++x) {
            gf_ApplyMode(w, colour << shift, 0xFFFFu << shift, mode);
            if (d >= 0) {
                w += rowStep;
                d += 2 * dy - 2 * dx;
            } else {
                d += 2 * dy;
            }
            if (shift) {
                shift = 0;
                ++w;
            } else {
                shift = 16;
            }
        }
        return GR_OK;
    }
    if (r0 > r1) {
        std::swap(x0, x1);
        std::swap(r0, r1);
    }
    const int sx = x1 > x0 ? 1 : -1;
    U32* w = gf_PixelWord(gc, x0, r0);
    U32 shift = (x0 & 1) ? 16u : 0u;
    S64 d = 2 * dx - dy;
    for (SINT r = r0; r < r1; ++r) {
        gf_ApplyMode(w, colour << shift, 0xFFFFu << shift, mode);
        if (d >= 0) {
            if (sx > 0) {
                if (shift) {
                    shift = 0;
                    ++w;
                } else {
                    shift = 16;
                }
            } else {
                if (shift) {
                    shift = 0;
                } else {
                    shift = 16;
                    --w;
                }
            }
            d += 2 * dx - 2 * dy;
        } else {
            d += 2 * dx;
        }
        w += rowsize;
    }
    return GR_OK;
}
