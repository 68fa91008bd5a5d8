// Textured polygon rasteriser: view-volume clipping of each quad,
// projection of the clipped polygon, scan conversion into the span table and
// perspective-correct texturing of the spans into the back buffer.
//
// A pixel belongs to a polygon when its row lies in [ceil(y_top),
// ceil(y_bottom)) of the edges and its column in [ceil(x1), ceil(x2)) of the
// row's span; both ends of an edge shared by two polygons are computed the
// same way for each, so neighbours meet without a gap and without drawing a
// pixel twice. The span table is empty between polygons. Perspective is
// corrected once per row (one division), exact for the ground seen without
// roll. Degenerate input (outside, w = 0, clipped away, flat edges) draws
// nothing. Owner's thread only.
#include "render3d/ts_display.h"
#include "render3d/ts_display_internal.h"

#include <cstring>
#include <initializer_list>

using namespace ts_internal;

namespace {

constexpr int kLocalIndices = 24;

// The five planes of the quad clipper, in clipping order.
enum Plane { PLANE_NEAR, PLANE_LEFT, PLANE_RIGHT, PLANE_BOTTOM, PLANE_TOP };

S64 planeDistance(Plane plane, const tsTVertex& v)
{
    switch (plane) {
    case PLANE_NEAR:
        return v.z;
    case PLANE_LEFT:
        return S64(v.x) + v.w;
    case PLANE_RIGHT:
        return S64(v.w) - v.x;
    case PLANE_BOTTOM:
        return S64(v.y) + v.w;
    default:
        return S64(v.w) - v.y;
    }
}

S32 lerp(S32 a, S32 b, S64 t) { return low32((S64(a) * (0x10000 - t) + S64(b) * t) >> 16); }

// The vertex where the edge a-b crosses the plane, a being the end whose
// distance the parameter is measured from.
tsTVertex crossing(Plane plane, const tsTVertex& a, const tsTVertex& b, S64 da, S64 db)
{
    const S64 t = div64(da * 65536, da - db);
    tsTVertex n = a;
    n.x = lerp(a.x, b.x, t);
    n.y = lerp(a.y, b.y, t);
    n.z = lerp(a.z, b.z, t);
    n.w = lerp(a.w, b.w, t);
    n.u = lerp(a.u, b.u, t);
    n.v = lerp(a.v, b.v, t);
    switch (plane) {
    case PLANE_NEAR:
        n.z = 0;
        break;
    case PLANE_LEFT:
        n.x = sub32(0, n.w);
        break;
    case PLANE_RIGHT:
        n.x = n.w;
        break;
    case PLANE_BOTTOM:
        n.y = sub32(0, n.w);
        break;
    case PLANE_TOP:
        n.y = n.w;
        break;
    }
    n.clip = outcode({n.x, n.y, n.z, n.w});
    return n;
}

// Clips the polygon in ClipTVerts against the five planes. Returns the
// number of surviving vertices, their indices in *result; 0 drops the quad.
int clipQuad(tsDisplay* display, const S32** result)
{
    S32 local[kLocalIndices];
    S32* lists[2] = {display->ClipIndices, local};
    const int capacity[2] = {TS_CLIP_VERTICES, kLocalIndices};
    int count = 4;
    int nextFree = 4;
    for (int i = 0; i < 4; ++i) {
        display->ClipIndices[i] = i;
    }
    int in = 0;
    for (Plane plane : {PLANE_NEAR, PLANE_LEFT, PLANE_RIGHT, PLANE_BOTTOM, PLANE_TOP}) {
        const S32* src = lists[in];
        S32* dst = lists[1 - in];
        int out = 0;
        for (int i = 0; i < count; ++i) {
            const S32 ia = src[i];
            const S32 ib = src[(i + 1) % count];
            const tsTVertex& a = display->ClipTVerts[ia];
            const tsTVertex& b = display->ClipTVerts[ib];
            const S64 da = planeDistance(plane, a);
            const S64 db = planeDistance(plane, b);
            if (da >= 0) {
                if (out >= capacity[1 - in]) {
                    return 0;
                }
                dst[out++] = ia;
            }
            if ((da >= 0) != (db >= 0)) {
                if (out >= capacity[1 - in] || nextFree >= TS_CLIP_VERTICES) {
                    return 0;
                }
                // The near plane measures from the inside end, the side
                // planes from the outside end.
                const bool fromA = (plane == PLANE_NEAR) == (da >= 0);
                display->ClipTVerts[nextFree] = fromA ? crossing(plane, a, b, da, db) : crossing(plane, b, a, db, da);
                dst[out++] = nextFree++;
            }
        }
        if (out == 0) {
            return 0;
        }
        count = out;
        in = 1 - in;
    }
    // The final list must survive the caller's use of the local one.
    if (in == 1) {
        std::memcpy(display->ClipIndices, local, sizeof(S32) * static_cast<size_t>(count));
    }
    *result = display->ClipIndices;
    return count;
}

void resetBounds(tsDisplay* display)
{
    display->MinScan = TS_SCAN_ROWS;
    display->MaxScan = 0;
}

// Rows the span table may record: the viewport's, within the table.
S32 recordableRows(const tsDisplay* display)
{
    return display->Height < TS_SCAN_ROWS ? display->Height : TS_SCAN_ROWS;
}

U16 texel(const U16* texture, S64 u, S64 v)
{
    const S32 x = static_cast<S32>((u >> 15) & 511);
    const S32 y = static_cast<S32>((v >> 15) & 511);
    return texture[(y >> 4) * 8192 + (x >> 4) * 256 + (y & 15) * 16 + (x & 15)];
}

void drawQuad(tsDisplay* display, const S32* q)
{
    const tsTVertex* t = display->TVerts;
    const S32 c0 = t[q[0]].clip;
    const S32 c1 = t[q[1]].clip;
    const S32 c2 = t[q[2]].clip;
    const S32 c3 = t[q[3]].clip;
    if (c0 & c1 & c2 & c3) {
        return;
    }
    if (((c0 | c1 | c2 | c3) & 0x7F) == 0) {
        const tsVertex* s = display->SVerts;
        resetBounds(display);
        tsDisplay_CalcScans(display, &s[q[0]], &s[q[1]]);
        tsDisplay_CalcScans(display, &s[q[1]], &s[q[2]]);
        tsDisplay_CalcScans(display, &s[q[2]], &s[q[3]]);
        tsDisplay_CalcScans(display, &s[q[3]], &s[q[0]]);
        tsDisplay_DrawScans(display);
        return;
    }
    if ((c0 | c1 | c2 | c3) & TS_CLIP_W0) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        display->ClipTVerts[i] = t[q[i]];
    }
    const S32* poly = nullptr;
    const int count = clipQuad(display, &poly);
    if (count <= 2) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const tsTVertex& v = display->ClipTVerts[poly[i]];
        if (v.w == 0) {
            return;
        }
        const S64 rhw = div64(kOne32, v.w);
        tsVertex& s = display->ClipVerts[poly[i]];
        s.w = v.w;
        s.iw = low32(rhw);
        s.x = add32(display->ViewTransX, mul32(display->ViewScaleX, low32(mulShift(v.x, rhw, 16))));
        s.y = add32(display->ViewTransY, mul32(display->ViewScaleY, low32(mulShift(v.y, rhw, 16))));
        s.u = v.u;
        s.v = v.v;
    }
    resetBounds(display);
    for (int i = 0; i < count; ++i) {
        tsDisplay_CalcScans(display, &display->ClipVerts[poly[i]], &display->ClipVerts[poly[(i + 1) % count]]);
    }
    tsDisplay_DrawScans(display);
}

} // namespace

void tsDisplay_DrawTextureQuad(tsDisplay* display, S32 count, const S32* indices)
{
    const S32 limit = display->TVertCount < display->SVertCount ? display->TVertCount : display->SVertCount;
    for (S32 k = 0; k + 4 <= count; k += 4) {
        const S32* q = indices + k;
        bool valid = display->TVerts && display->SVerts;
        for (int i = 0; i < 4 && valid; ++i) {
            valid = q[i] >= 0 && q[i] < limit;
        }
        if (valid) {
            drawQuad(display, q);
        }
    }
}

S32 tsDisplay_CalcScans(tsDisplay* display, const tsVertex* vtx0, const tsVertex* vtx1)
{
    if (vtx0->y == vtx1->y) {
        return 1;
    }
    const tsVertex* s = vtx0->y < vtx1->y ? vtx0 : vtx1;
    const tsVertex* e = vtx0->y < vtx1->y ? vtx1 : vtx0;
    const S64 top = S64(s->y) + 0xFFFF;
    const S32 startY = top < 0 ? 0 : static_cast<S32>(top >> 16);
    S32 endY = static_cast<S32>((S64(e->y) + 0xFFFF) >> 16);
    const S32 rows = recordableRows(display);
    if (endY > rows) {
        endY = rows;
    }
    if (startY < display->MinScan) {
        display->MinScan = startY;
    }
    if (endY > display->MaxScan) {
        display->MaxScan = endY;
    }
    if (startY >= endY) {
        return 1;
    }

    const S64 dy = S64(e->y) - s->y;
    const S64 zs = S64(s->iw) * (S64(1) << 24);
    const S64 ze = S64(e->iw) * (S64(1) << 24);
    const S64 ups = mulShift(s->u, zs, 32);
    const S64 vps = mulShift(s->v, zs, 32);
    const S64 upe = mulShift(e->u, ze, 32);
    const S64 vpe = mulShift(e->v, ze, 32);
    const S64 dx = ratio16(S64(e->x) - s->x, dy);
    const S64 dz = ratio16(ze - zs, dy);
    const S64 dup = ratio16(upe - ups, dy);
    const S64 dvp = ratio16(vpe - vps, dy);
    const S64 pre = (S64(startY) << 16) - s->y;
    S64 x = S64(s->x) + mulShift(pre, dx, 16);
    S64 z = zs + mulShift(pre, dz, 16);
    S64 up = ups + mulShift(pre, dup, 16);
    S64 vp = vps + mulShift(pre, dvp, 16);
    const S64 right = S64(display->Width > 0 ? display->Width : 0) << 16;
    for (S32 row = startY; row < endY; ++row) {
        // The clamp keeps the span inside the row; the edge itself runs on.
        const S32 cx = static_cast<S32>(x < 0 ? 0 : (x > right ? right : x));
        tsScanInfo& scan = display->Scans[row];
        scan.z1 = z;
        if (scan.points++ == 0) {
            scan.x1 = scan.x2 = cx;
            scan.u1 = scan.u2 = low32(up);
            scan.v1 = scan.v2 = low32(vp);
        } else if (cx < scan.x1) {
            scan.x1 = cx;
            scan.u1 = low32(up);
            scan.v1 = low32(vp);
        } else {
            scan.x2 = cx;
            scan.u2 = low32(up);
            scan.v2 = low32(vp);
        }
        x = add64(x, dx);
        z = add64(z, dz);
        up = add64(up, dup);
        vp = add64(vp, dvp);
    }
    return 1;
}

S32 tsDisplay_DrawScans(tsDisplay* display)
{
    if (display->MinScan < 0) {
        display->MinScan = 0;
    }
    const S32 rows = recordableRows(display);
    if (display->MaxScan > rows) {
        display->MaxScan = rows;
    }
    U16* target = reinterpret_cast<U16*>(display->BackBuffer);
    const U16* texture = display->CurTexturePtr;
    for (S32 row = display->MinScan; row < display->MaxScan; ++row) {
        tsScanInfo& scan = display->Scans[row];
        const bool crossed = scan.points >= 2;
        scan.points = 0;
        // A row whose w is unknown (z1 = 0) cannot be textured.
        if (!crossed || scan.z1 == 0 || !target || !texture) {
            continue;
        }
        const S32 xs = static_cast<S32>((S64(scan.x1) + 0xFFFF) >> 16);
        const S32 n = static_cast<S32>((S64(scan.x2) + 0xFFFF) >> 16) - xs;
        if (n <= 0) {
            continue;
        }
        const S64 r = div64(S64(1) << 56, scan.z1);
        const S64 u1 = mulShift(scan.u1, r, 16);
        const S64 v1 = mulShift(scan.v1, r, 16);
        const S64 u2 = mulShift(scan.u2, r, 16);
        const S64 v2 = mulShift(scan.v2, r, 16);
        const S64 k = div64(kOne32, S64(scan.x2) - scan.x1); // x2 > x1 when n > 0
        const S64 du = mulShift(u2 - u1, k, 16);
        const S64 dv = mulShift(v2 - v1, k, 16);
        const S64 pre = (S64(xs) << 16) - scan.x1;
        S64 u = u1 + mulShift(pre, du, 16);
        S64 v = v1 + mulShift(pre, dv, 16);

        U16* out = target + static_cast<size_t>(row) * static_cast<size_t>(display->Width) + xs;
        S32 left = n;
        if (n >= 3) {
            // Pixel pairs go out as 32-bit words; an odd start and an odd
            // remainder are single pixels.
            if (xs & 1) {
                *out++ = texel(texture, u, v);
                u = add64(u, du);
                v = add64(v, dv);
                --left;
            }
            for (; left >= 2; left -= 2) {
                const U16 first = texel(texture, u, v);
                const U16 second = texel(texture, add64(u, du), add64(v, dv));
                const U32 pair = U32(first) | U32(second) << 16;
                std::memcpy(out, &pair, sizeof(pair));
                out += 2;
                u = add64(u, add64(du, du));
                v = add64(v, add64(dv, dv));
            }
        }
        for (; left > 0; --left) {
            *out++ = texel(texture, u, v);
            u = add64(u, du);
            v = add64(v, dv);
        }
    }
    return 0;
}
