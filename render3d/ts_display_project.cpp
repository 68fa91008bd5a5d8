// Software projection: single points, the view-volume test, the inverse
// projection of a screen row or column onto a plane, and the transform of a
// vertex range into clip-space and screen vertices with outcodes.
//
// A point (x, y, z) with z the height enters the matrix as (x, -z, y, 1),
// the same axis order as the GPU path. Everything is 16.16 integer
// arithmetic; a point whose w is 0 cannot be projected and is dropped (no
// division by zero anywhere). Only tsDisplay_ProcessVertices writes the
// record; the others read it, so other tasks may call them on a copy.
#include "kernel/h_memory.h"
#include "render3d/ts_display.h"
#include "render3d/ts_display_internal.h"

using namespace ts_internal;

namespace {

// Normalised coordinate (r / w in 16.16) to a 16.16 screen position.
S32 toScreen(S64 r, S64 reciprocal, S32 scale, S32 trans)
{
    const S32 ndc = low32(mulShift(r, reciprocal, 16));
    return add32(mul32(ndc, scale), trans);
}

// A screen row or column (whole pixels) as a normalised 16.16 coordinate,
// rounded up for positive values; false when the viewport has no extent.
bool screenToNormalised(S32 screen, S32 scale, S32 trans, S32* s)
{
    if (scale == 0) {
        return false;
    }
    const S32 num = add32(sub32(mul32(screen, 65536), trans), scale - 1);
    *s = static_cast<S32>(div64(num, scale));
    return true;
}

// One term of the inverse projection: (a x b) >> 16 taken to 32 bits.
S32 term(S64 a, S64 b) { return low32(mulShift(a, b, 16)); }

// Replaces a vertex buffer that is too small; the old one is freed only
// when the pipeline allocated it.
template <typename VERTEX>
bool ensureCapacity(VERTEX** buffer, S32* capacity, BOOLEAN* owned, S32 count)
{
    if (*capacity >= count) {
        return true;
    }
    VERTEX* fresh = static_cast<VERTEX*>(H_MEMORY_pvMalloc(static_cast<U32>(count) * sizeof(VERTEX)));
    if (!fresh) {
        return false;
    }
    if (*owned) {
        H_MEMORY_vFree(*buffer);
    }
    *buffer = fresh;
    *capacity = count;
    *owned = TRUE;
    return true;
}

} // namespace

BOOLEAN tsDisplay_ProjectPoint(const tsDisplay* display, S32 x, S32 y, S32 z, S32* sx, S32* sy)
{
    Transformed r = transform(display->Combine, x, -z, y);
    // Points outside the view are pinned to its border.
    const S64 negW = sub64(0, r.w);
    if (r.x < negW) {
        r.x = negW;
    }
    if (r.x >= r.w) {
        r.x = r.w;
    }
    if (r.y < negW) {
        r.y = negW;
    }
    if (r.y >= r.w) {
        r.y = r.w;
    }
    if (r.w == 0) {
        return FALSE;
    }
    const S64 q = div64(kOne32, r.w);
    const S32 px = toScreen(r.x, q, display->ViewScaleX, display->ViewTransX);
    const S32 py = toScreen(r.y, q, display->ViewScaleY, display->ViewTransY);
    *sx = add32(px, 0x8000) >> 16;
    *sy = add32(py, 0x8000) >> 16;
    return TRUE;
}

BOOLEAN tsDisplay_ClipCheck(const tsDisplay* display, S32 x, S32 y, S32 z, S32 clipCheck)
{
    const Transformed r = transform(display->Combine, x, -z, y);
    return r.w != 0 && (outcode(r) & clipCheck) == 0;
}

void tsDisplay_CalcZ(const tsDisplay* display, S32 screenY, S32 x, S32 y, S32* z)
{
    // Solves r1 = s x r3 for the third coordinate. A row parallel to the
    // plane (den 0) or a viewport without height has no answer: *z stays.
    const tsMatrix& c = display->Combine;
    S32 s = 0;
    if (!screenToNormalised(screenY, display->ViewScaleY, display->ViewTransY, &s)) {
        return;
    }
    const S32 negY = sub32(0, y);
    const S32 xs = term(s, x);
    const S32 ys = term(s, negY);
    S32 num = low32(c.m[3][1]);
    num = add32(num, term(negY, c.m[1][1]));
    num = add32(num, term(x, c.m[0][1]));
    num = sub32(num, term(s, c.m[3][3]));
    num = sub32(num, term(xs, c.m[0][3]));
    num = sub32(num, term(ys, c.m[1][3]));
    const S32 den = sub32(term(s, c.m[2][3]), low32(c.m[2][1]));
    if (den == 0) {
        return;
    }
    *z = low32(div64(S64(num) * 65536, den));
}

void tsDisplay_CalcX(const tsDisplay* display, S32 screenX, S32* x, S32 y, S32 z)
{
    // Solves r0 = s x r3 for the first coordinate; as tsDisplay_CalcZ, *x
    // stays when there is no answer.
    const tsMatrix& c = display->Combine;
    S32 s = 0;
    if (!screenToNormalised(screenX, display->ViewScaleX, display->ViewTransX, &s)) {
        return;
    }
    const S32 negY = sub32(0, y);
    const S32 ys = term(s, negY);
    const S32 zs = term(s, z);
    S32 num = low32(c.m[3][0]);
    num = add32(num, term(z, c.m[2][0]));
    num = add32(num, term(negY, c.m[1][0]));
    num = sub32(num, term(s, c.m[3][3]));
    num = sub32(num, term(ys, c.m[1][3]));
    num = sub32(num, term(zs, c.m[2][3]));
    const S32 den = sub32(term(s, c.m[0][3]), low32(c.m[0][0]));
    if (den == 0) {
        return;
    }
    *x = low32(div64(S64(num) * 65536, den));
}

BOOLEAN tsDisplay_ProcessVertices(tsDisplay* display, S32 startVertex, S32 endVertex)
{
    const S64 range = S64(endVertex) - S64(startVertex);
    if (range <= 0 || range > 0x7FFFFFFF / static_cast<S64>(sizeof(tsTVertex)) || !display->VertexArray) {
        return FALSE;
    }
    const S32 n = static_cast<S32>(range);
    if (!ensureCapacity(&display->TVerts, &display->TVertCount, &display->TVertsOwned, n) ||
        !ensureCapacity(&display->SVerts, &display->SVertCount, &display->SVertsOwned, n)) {
        return FALSE;
    }

    // A range that starts later reads the arrays from its own first vertex.
    const S32* vertex = display->VertexArray + 3 * static_cast<S64>(startVertex);
    const S32* tex = display->TexCoordArray ? display->TexCoordArray + 2 * static_cast<S64>(startVertex) : nullptr;
    const bool flat = display->RenderMode == tsRM_FLAT;
    S32 common = 127;
    for (S32 i = 0; i < n; ++i, vertex += 3) {
        const S32 px = mul32(vertex[0], 32);
        const S32 height = flat ? 0 : mul32(sub32(0, vertex[2]), 32);
        const S32 pz = mul32(vertex[1], 32);
        const S32 u = tex ? tex[2 * i] : 0;
        const S32 v = sub32(0xFFFF, tex ? tex[2 * i + 1] : 0);
        const Transformed r = transform(display->Combine, px, height, pz);
        const S32 clip = r.w == 0 ? TS_CLIP_W0 : outcode(r);

        tsTVertex& t = display->TVerts[i];
        t.x = low32(r.x);
        t.y = low32(r.y);
        t.z = low32(r.z);
        t.w = low32(r.w);
        t.u = u;
        t.v = v;
        t.clip = clip;

        tsVertex& s = display->SVerts[i];
        if (clip == 0) {
            const S64 q = div64(kOne32, r.w);
            s.w = low32(r.w);
            s.iw = low32(q);
            s.x = toScreen(r.x, q, display->ViewScaleX, display->ViewTransX);
            s.y = toScreen(r.y, q, display->ViewScaleY, display->ViewTransY);
            s.u = u;
            s.v = v;
        } else {
            s.x = 0;
            s.y = 0;
        }
        common &= clip;
    }
    return common == 0;
}
