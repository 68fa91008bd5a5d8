// Polygon clipping.
//
// Stage rule for one edge, P the new point and Q the stage's previous
// point: when Q and P lie strictly on opposite sides of the edge line, the
// crossing is passed on; when P is inside (points on the line are inside),
// P is passed on; then P becomes the previous point. Crossings are computed
// with a 128-bit product and a division truncating toward zero. The bottom
// stage appends, never twice the same point in a row.
//
// The last vertex passes its crossings through the stages like any other,
// but is itself clamped into the box and appended rather than dropped when
// outside; each stage sees it as the stages before it clamped it, just as
// each stage's previous point starts from the clamped first vertex.
#include "chart_sdk/graphics/u_poly.h"

#include <algorithm>

namespace {

constexpr SINT kInPlace = 128;

void Append(POLY_CLIP_CONTEXT* c, SINT x, SINT y)
{
    VERTEX_LIST& vl = c->vlResult;
    if (vl.count > 0) {
        const PIXELPOS& last = vl.count <= kInPlace ? vl.point[vl.count - 1] : vl.more.back();
        if (last.px == x && last.py == y) {
            return;
        }
    }
    if (vl.count < kInPlace) {
        vl.point[vl.count] = {x, y};
    } else {
        vl.more.push_back({x, y});
    }
    ++vl.count;
}

const PIXELPOS& At(const VERTEX_LIST& vl, SINT i)
{
    return i < kInPlace ? vl.point[i] : vl.more[static_cast<size_t>(i - kInPlace)];
}

// Crossing of the segment P-Q with the vertical line x = e.
SINT CrossVertical(SINT e, SINT px, SINT py, SINT qx, SINT qy)
{
    const __int128 num = static_cast<__int128>(static_cast<S64>(e) - px) * (static_cast<S64>(qy) - py);
    return static_cast<SINT>(py + num / (static_cast<S64>(qx) - px));
}

// Crossing of the segment P-Q with the horizontal line y = e.
SINT CrossHorizontal(SINT e, SINT px, SINT py, SINT qx, SINT qy)
{
    const __int128 num = static_cast<__int128>(static_cast<S64>(e) - py) * (static_cast<S64>(qx) - px);
    return static_cast<SINT>(px + num / (static_cast<S64>(qy) - py));
}

inline bool Opposite(SINT q, SINT p, SINT e)
{
    return (q < e && p > e) || (q > e && p < e);
}

void U_POLY_vClipBottom(POLY_CLIP_CONTEXT* c, SINT x, SINT y)
{
    if (Opposite(c->nYPrevBottom, y, c->nBottom)) {
        Append(c, CrossHorizontal(c->nBottom, x, y, c->nXPrevBottom, c->nYPrevBottom), c->nBottom);
    }
    if (y >= c->nBottom) {
        Append(c, x, y);
    }
    c->nXPrevBottom = x;
    c->nYPrevBottom = y;
}

void ClipTop(POLY_CLIP_CONTEXT* c, SINT x, SINT y)
{
    if (Opposite(c->nYPrevTop, y, c->nTop)) {
        U_POLY_vClipBottom(c, CrossHorizontal(c->nTop, x, y, c->nXPrevTop, c->nYPrevTop), c->nTop);
    }
    if (y <= c->nTop) {
        U_POLY_vClipBottom(c, x, y);
    }
    c->nXPrevTop = x;
    c->nYPrevTop = y;
}

void U_POLY_vClipRight(POLY_CLIP_CONTEXT* c, SINT x, SINT y)
{
    if (Opposite(c->nXPrevRight, x, c->nRight)) {
        ClipTop(c, c->nRight, CrossVertical(c->nRight, x, y, c->nXPrevRight, c->nYPrevRight));
    }
    if (x <= c->nRight) {
        ClipTop(c, x, y);
    }
    c->nXPrevRight = x;
    c->nYPrevRight = y;
}

void ClipLeft(POLY_CLIP_CONTEXT* c, SINT x, SINT y)
{
    if (Opposite(c->nXPrevLeft, x, c->nLeft)) {
        U_POLY_vClipRight(c, c->nLeft, CrossVertical(c->nLeft, x, y, c->nXPrevLeft, c->nYPrevLeft));
    }
    if (x >= c->nLeft) {
        U_POLY_vClipRight(c, x, y);
    }
    c->nXPrevLeft = x;
    c->nYPrevLeft = y;
}

// The right, top and bottom stages for the last vertex.
void U_POLY_vLastClipRight(POLY_CLIP_CONTEXT* c, SINT x, SINT y)
{
    if (Opposite(c->nXPrevRight, x, c->nRight)) {
        ClipTop(c, c->nRight, CrossVertical(c->nRight, x, y, c->nXPrevRight, c->nYPrevRight));
    }
    x = std::min(x, c->nRight);
    if (Opposite(c->nYPrevTop, y, c->nTop)) {
        U_POLY_vClipBottom(c, CrossHorizontal(c->nTop, x, y, c->nXPrevTop, c->nYPrevTop), c->nTop);
    }
    y = std::min(y, c->nTop);
    if (Opposite(c->nYPrevBottom, y, c->nBottom)) {
        Append(c, CrossHorizontal(c->nBottom, x, y, c->nXPrevBottom, c->nYPrevBottom), c->nBottom);
    }
    Append(c, x, std::max(y, c->nBottom));
}

void LastClipLeft(POLY_CLIP_CONTEXT* c, SINT x, SINT y)
{
    if (Opposite(c->nXPrevLeft, x, c->nLeft)) {
        U_POLY_vClipRight(c, c->nLeft, CrossVertical(c->nLeft, x, y, c->nXPrevLeft, c->nYPrevLeft));
    }
    U_POLY_vLastClipRight(c, std::max(x, c->nLeft), y);
}

// Runs the whole pipeline over the vertices into c->vlResult.
void Clip(POLY_CLIP_CONTEXT* c, const SINT* v, SINT n)
{
    c->vlResult.count = 0;
    if (n < 1) {
        return;
    }
    const SINT x0 = v[0];
    const SINT y0 = v[1];
    const SINT cx = std::clamp(x0, c->nLeft, std::max(c->nLeft, c->nRight));
    Append(c, cx, std::clamp(y0, c->nBottom, std::max(c->nBottom, c->nTop)));
    c->nXPrevLeft = x0;
    c->nYPrevLeft = y0;
    c->nXPrevRight = std::max(x0, c->nLeft);
    c->nYPrevRight = y0;
    c->nXPrevTop = cx;
    c->nYPrevTop = y0;
    c->nXPrevBottom = cx;
    c->nYPrevBottom = std::min(y0, c->nTop);
    if (n < 2) {
        return;
    }
    for (SINT i = 1; i < n - 1; ++i) {
        ClipLeft(c, v[2 * i], v[2 * i + 1]);
    }
    LastClipLeft(c, v[2 * (n - 1)], v[2 * (n - 1) + 1]);
}

void InitContext(POLY_CLIP_CONTEXT* c, SINT nLeft, SINT nRight, SINT nTop, SINT nBottom)
{
    c->vlResult.count = 0;
    c->nLeft = nLeft;
    c->nRight = nRight;
    c->nTop = nTop;
    c->nBottom = nBottom;
}

} // namespace

SINT U_POLY_nClip(SINT nLeft, SINT nRight, SINT nTop, SINT nBottom, SINT* pzzVertices, SINT izzNoVertices,
                  SINT izzCapacity)
{
    POLY_CLIP_CONTEXT c;
    InitContext(&c, nLeft, nRight, nTop, nBottom);
    Clip(&c, pzzVertices, izzNoVertices);
    const SINT count = c.vlResult.count;
    if (count < 2) {
        return 0;
    }
    if (count > izzCapacity) {
        return -count;
    }
    for (SINT i = 0; i < count; ++i) {
        const PIXELPOS& p = At(c.vlResult, i);
        pzzVertices[2 * i] = p.px;
        pzzVertices[2 * i + 1] = p.py;
    }
    return count;
}

SINT U_POLY_nClip(SINT nLeft, SINT nRight, SINT nTop, SINT nBottom, SINT* pzzVertices, SINT izzNoVertices)
{
    return U_POLY_nClip(nLeft, nRight, nTop, nBottom, pzzVertices, izzNoVertices, izzNoVertices);
}

ERRORCODE U_POLY_eClipSegment(GL_POLYFILL* pzzPolyFill, const SINT* pzzVertices, SINT izzNoVertices)
{
    const GL_BOUNDINGBOX& box = pzzPolyFill->polyctx.scrbox;
    POLY_CLIP_CONTEXT c;
    InitContext(&c, box.xmin, box.xmax, box.ymax, box.ymin);
    Clip(&c, pzzVertices, izzNoVertices);
    VERTEX_LIST& vl = c.vlResult;
    if (vl.count < 2) {
        return GR_OK;
    }
    if (vl.count <= kInPlace) {
        return gr_PolyFillAddVertices(pzzPolyFill, vl.point, vl.count);
    }
    std::vector<PIXELPOS> all(vl.point, vl.point + kInPlace);
    all.insert(all.end(), vl.more.begin(), vl.more.end());
    return gr_PolyFillAddVertices(pzzPolyFill, all.data(), vl.count);
}
