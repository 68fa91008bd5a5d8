// Software line strips: segments between transformed vertices, clipped
// against the near plane in clip space and against the viewport in
// normalised coordinates, drawn one pixel wide in CurColor.
//
// The render surface is addressed in frame rows of 800 pixels whatever the
// viewport's width. A segment draws its start point and not its end point,
// so the joints of a strip are drawn once. Degenerate segments (outside one
// plane, w = 0, clipped away, zero length) draw nothing. Owner's thread
// only.
#include "render3d/ts_display.h"
#include "render3d/ts_display_internal.h"

#include <cstdlib>

using namespace ts_internal;

namespace {

constexpr int kLocalIndices = 24;
constexpr S32 kOne = 0x10000;

S32 lerp(S32 a, S32 b, S64 t) { return low32((S64(a) * (0x10000 - t) + S64(b) * t) >> 16); }

// One boundary of the normalised view: the coordinate it limits, its value
// and the side that is inside.
struct Boundary {
    bool onX;
    S32 value;
    bool insideAbove;
};

bool inside(const Boundary& b, const tsVertex& v)
{
    const S32 c = b.onX ? v.x : v.y;
    return b.insideAbove ? c >= b.value : c <= b.value;
}

// The point where the edge from the outside end o to the inside end i
// crosses the boundary, exactly on it.
tsVertex cut(const Boundary& b, const tsVertex& o, const tsVertex& i)
{
    const S32 oc = b.onX ? o.x : o.y;
    const S32 ic = b.onX ? i.x : i.y;
    const S32 oOther = b.onX ? o.y : o.x;
    const S32 iOther = b.onX ? i.y : i.x;
    const S64 t = div64((S64(b.value) - oc) * 65536, S64(ic) - oc);
    const S32 other = low32(S64(oOther) + mulShift(t, S64(iOther) - oOther, 16));
    tsVertex n = {};
    n.x = b.onX ? b.value : other;
    n.y = b.onX ? other : b.value;
    return n;
}

// Clips, projects and draws one segment whose ends are in ClipTVerts[0]
// and [1].
void clipAndDraw(tsDisplay* display)
{
    S32 local[kLocalIndices];
    S32* lists[2] = {display->ClipIndices, local};
    const int capacity[2] = {TS_CLIP_VERTICES, kLocalIndices};
    display->ClipIndices[0] = 0;
    display->ClipIndices[1] = 1;
    int count = 2;
    int nextFree = 2;
    int in = 0;

    // Near plane in clip space, measured from the inside end.
    {
        const S32* src = lists[in];
        S32* dst = lists[1 - in];
        int out = 0;
        for (int i = 0; i < count; ++i) {
            const tsTVertex& a = display->ClipTVerts[src[i]];
            const tsTVertex& b = display->ClipTVerts[src[(i + 1) % count]];
            if (a.z >= 0) {
                dst[out++] = src[i];
            }
            if ((a.z >= 0) != (b.z >= 0)) {
                const tsTVertex& n = a.z >= 0 ? a : b;
                const tsTVertex& f = a.z >= 0 ? b : a;
                const S64 t = div64(S64(n.z) * 65536, S64(n.z) - f.z);
                tsTVertex c = n;
                c.x = lerp(n.x, f.x, t);
                c.y = lerp(n.y, f.y, t);
                c.w = lerp(n.w, f.w, t);
                c.u = lerp(n.u, f.u, t);
                c.v = lerp(n.v, f.v, t);
                c.z = 0;
                display->ClipTVerts[nextFree] = c;
                dst[out++] = nextFree++;
            }
        }
        if (out == 0) {
            return;
        }
        count = out;
        in = 1 - in;
    }

    // Projection to normalised coordinates (the view spans -1.0 to 1.0).
    for (int i = 0; i < count; ++i) {
        const S32 idx = lists[in][i];
        const tsTVertex& v = display->ClipTVerts[idx];
        if (v.w == 0) {
            return;
        }
        const S64 rhw = div64(kOne32, v.w);
        tsVertex& s = display->ClipVerts[idx];
        s.w = v.w;
        s.iw = low32(rhw);
        s.x = low32(mulShift(v.x, rhw, 16));
        s.y = low32(mulShift(v.y, rhw, 16));
        s.u = v.u;
        s.v = v.v;
    }

    static constexpr Boundary kBoundaries[4] = {
        {true, -kOne, true}, {true, kOne, false}, {false, -kOne, true}, {false, kOne, false}};
    for (const Boundary& boundary : kBoundaries) {
        const S32* src = lists[in];
        S32* dst = lists[1 - in];
        int out = 0;
        for (int i = 0; i < count; ++i) {
            const S32 ia = src[i];
            const S32 ib = src[(i + 1) % count];
            const tsVertex& a = display->ClipVerts[ia];
            const tsVertex& b = display->ClipVerts[ib];
            const bool aIn = inside(boundary, a);
            const bool bIn = inside(boundary, b);
            if (aIn) {
                if (out >= capacity[1 - in]) {
                    return;
                }
                dst[out++] = ia;
            }
            if (aIn != bIn) {
                if (out >= capacity[1 - in] || nextFree >= TS_CLIP_VERTICES) {
                    return;
                }
                display->ClipVerts[nextFree] = aIn ? cut(boundary, b, a) : cut(boundary, a, b);
                dst[out++] = nextFree++;
            }
        }
        if (out == 0) {
            return;
        }
        count = out;
        in = 1 - in;
    }
    if (count < 2) {
        return;
    }
    const tsVertex& p = display->ClipVerts[lists[in][0]];
    const tsVertex& q = display->ClipVerts[lists[in][1]];
    tsDisplay_DrawLine(display, add32(mul32(p.x, display->ViewScaleX), display->ViewTransX),
                       add32(mul32(p.y, display->ViewScaleY), display->ViewTransY),
                       add32(mul32(q.x, display->ViewScaleX), display->ViewTransX),
                       add32(mul32(q.y, display->ViewScaleY), display->ViewTransY), display->CurColor);
}

S32 bound(S32 v, S32 limit)
{
    if (v >= limit) {
        v = limit - 1;
    }
    return v < 0 ? 0 : v;
}

} // namespace

void tsDisplay_DrawLineStrip(tsDisplay* display, S32 count, const S32* indices)
{
    const S32 limit = display->TVertCount < display->SVertCount ? display->TVertCount : display->SVertCount;
    if (!display->TVerts || !display->SVerts) {
        return;
    }
    for (S32 k = 0; k < count; ++k) {
        const S32 ia = indices[k];
        const S32 ib = indices[k + 1];
        if (ia < 0 || ia >= limit || ib < 0 || ib >= limit) {
            continue;
        }
        const S32 c1 = display->TVerts[ia].clip;
        const S32 c2 = display->TVerts[ib].clip;
        if (c1 & c2) {
            continue;
        }
        if (((c1 | c2) & 0x7F) == 0) {
            const tsVertex& a = display->SVerts[ia];
            const tsVertex& b = display->SVerts[ib];
            tsDisplay_DrawLine(display, a.x, a.y, b.x, b.y, display->CurColor);
            continue;
        }
        if ((c1 | c2) & TS_CLIP_W0) {
            continue;
        }
        display->ClipTVerts[0] = display->TVerts[ia];
        display->ClipTVerts[1] = display->TVerts[ib];
        clipAndDraw(display);
    }
}

void tsDisplay_DrawLine(tsDisplay* display, S32 x1, S32 y1, S32 x2, S32 y2, U32 color)
{
    U16* surface = reinterpret_cast<U16*>(display->RenderSurface);
    if (!surface || display->Width <= 0 || display->Height <= 0) {
        return;
    }
    // Ends are kept inside the viewport and the 800-pixel frame rows, so no
    // pixel lands outside the surface.
    const S32 columns = display->Width < TS_FRAME_PITCH ? display->Width : TS_FRAME_PITCH;
    x1 = bound(x1 >> 16, columns);
    x2 = bound(x2 >> 16, columns);
    y1 = bound(y1 >> 16, display->Height);
    y2 = bound(y2 >> 16, display->Height);

    const S32 dx = std::abs(x2 - x1);
    const S32 dy = std::abs(y2 - y1);
    const std::ptrdiff_t stepX = x2 >= x1 ? 1 : -1;
    const std::ptrdiff_t stepY = y2 >= y1 ? TS_FRAME_PITCH : -TS_FRAME_PITCH;
    const U16 pixel = static_cast<U16>(color);
    U16* p = surface + static_cast<std::ptrdiff_t>(y1) * TS_FRAME_PITCH + x1;
    if (dx >= dy) {
        S32 e = 2 * dy - dx;
        for (S32 i = 0; i < dx; ++i) {
            *p = pixel;
            if (e >= 0) {
                p += stepX + stepY;
                e += 2 * dy - 2 * dx;
            } else {
                p += stepX;
                e += 2 * dy;
            }
        }
    } else {
        S32 e = 2 * dx - dy;
        for (S32 i = 0; i < dy; ++i) {
            *p = pixel;
            if (e >= 0) {
                p += stepX + stepY;
                e += 2 * dx - 2 * dy;
            } else {
                p += stepY;
                e += 2 * dx;
            }
        }
    }
}
