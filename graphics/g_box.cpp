// Boxes (see g_box.h).
//
// Rounded corners mirror a half-pixel circle walk (g_walk.h) around the four
// corner centres. The opaque rounded fill draws the walk's spans as they
// come, some rows several times; since every span of a row is centred on the
// box's middle the spans of a row nest, and the fill equals each row drawn
// once over its widest span. The blended fill relies on that: it finds each
// row's widest span from the walk and blends the row once.
//
// Edges and corners are computed in 64 bits and clamped back to PIXEL, so a
// box near the ends of the coordinate range cannot wrap around.
#include "graphics/g_box.h"

#include "graphics/g_line.h"
#include "graphics/g_pixel.h"
#include "graphics/g_walk.h"

#include <algorithm>

namespace {

struct Box {
    S64 x;
    S64 y;
    S64 right;
    S64 top;
    S64 r; // corner radius, taken as signed
};

Box box_Make(const POINT* pAnchor, U32 u32Width, U32 u32Height, U32 u32Radius = 0)
{
    return Box{pAnchor->x, pAnchor->y, (S64)pAnchor->x + u32Width - 1, (S64)pAnchor->y + u32Height - 1,
               (S32)u32Radius};
}

void box_Line(BITMAP* pDest, COLOR color, S64 x0, S64 y0, S64 x1, S64 y1, U8 u8Alpha)
{
    POINT start{G_WALK_nClamp(x0), G_WALK_nClamp(y0)};
    POINT end{G_WALK_nClamp(x1), G_WALK_nClamp(y1)};
    G_LINE_vDrawAlpha(pDest, color, &start, &end, u8Alpha);
}

void box_Outline(BITMAP* pDest, COLOR color, const Box& b, U8 u8Alpha)
{
    box_Line(pDest, color, b.x, b.y, b.x, b.top, u8Alpha);
    box_Line(pDest, color, b.right, b.y, b.right, b.top, u8Alpha);
    box_Line(pDest, color, b.x, b.y, b.right, b.y, u8Alpha);
    box_Line(pDest, color, b.x, b.top, b.right, b.top, u8Alpha);
}

// Rows lo..hi, each from x to right, limited to the clip rows (the rows
// outside would draw nothing).
void box_Rows(BITMAP* pDest, COLOR color, const Box& b, S64 lo, S64 hi, U8 u8Alpha)
{
    lo = std::max<S64>(lo, pDest->s32ClipBottom);
    hi = std::min<S64>(hi, pDest->s32ClipTop);
    for (S64 row = lo; row <= hi; ++row)
        box_Line(pDest, color, b.x, row, b.right, row, u8Alpha);
}

void box_RoundedOutline(BITMAP* pDest, COLOR color, const Box& b, U8 u8Alpha)
{
    const S64 r = b.r;
    box_Line(pDest, color, b.right - r, b.y, b.x + r, b.y, u8Alpha);
    box_Line(pDest, color, b.right - r, b.top, b.x + r, b.top, u8Alpha);
    box_Line(pDest, color, b.right, b.top - r, b.right, b.y + r, u8Alpha);
    box_Line(pDest, color, b.x, b.top - r, b.x, b.y + r, u8Alpha);

    const S64 left = b.x + r, right = b.right - r, upper = b.top - r, lower = b.y + r;
    G_WALK_vArc((S32)r, [&](S64 e, S64 f) {
        auto put = [&](S64 px, S64 py) {
            G_PIXEL_vPutAlpha(pDest, G_WALK_nClamp(px), G_WALK_nClamp(py), color, u8Alpha);
        };
        put(left - f, upper + e);
        put(left - f, lower - e);
        put(left - e, upper + f);
        put(left - e, lower - f);
        put(right + f, upper + e);
        put(right + f, lower - e);
        put(right + e, upper + f);
        put(right + e, lower - f);
    });
}

// The span the rounded fill draws with extension t (x + r - t .. right - r + t).
struct Span {
    S64 lo;
    S64 hi;
};

Span box_Span(const Box& b, S64 t)
{
    const S64 a = b.x + b.r - t, z = b.right - b.r + t;
    return Span{std::min(a, z), std::max(a, z)};
}

// The widest span the opaque rounded fill draws on row R; false when it
// draws nothing there.
bool box_WidestRoundedSpan(const Box& b, S64 row, Span& widest)
{
    bool bAny = false;
    auto add = [&](Span s) {
        widest = bAny ? Span{std::min(widest.lo, s.lo), std::max(widest.hi, s.hi)} : s;
        bAny = true;
    };
    if (row >= b.y + b.r && row <= b.top - b.r)
        add(Span{b.x, b.right});
    // Offsets of R from the two corner centres; the upper corners draw
    // rows top - r + k, the lower ones rows y + r - k.
    const S64 kUpper = row - (b.top - b.r);
    const S64 kLower = (b.y + b.r) - row;
    G_WALK_vRoundedFill((S32)b.r, [&](S64 e, S64 f) {
        if (f == kUpper || f == kLower)
            add(box_Span(b, e));
        if (e == kUpper || e == kLower)
            add(box_Span(b, f));
    });
    return bAny;
}

} // namespace

void G_BOX_vDraw(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height)
{
    box_Outline(pDest, color, box_Make(pAnchor, u32Width, u32Height), 0);
}

void G_BOX_vDrawAlpha(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height, U8 u8Alpha)
{
    box_Outline(pDest, color, box_Make(pAnchor, u32Width, u32Height), u8Alpha);
}

void G_BOX_vDrawFilled(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height)
{
    const Box b = box_Make(pAnchor, u32Width, u32Height);
    box_Rows(pDest, color, b, b.y, b.top, 0);
}

void G_BOX_vDrawFilledAlpha(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height,
                            U8 u8Alpha)
{
    const Box b = box_Make(pAnchor, u32Width, u32Height);
    box_Rows(pDest, color, b, b.y, b.top, u8Alpha);
}

void G_BOX_vDrawRounded(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height,
                        U32 u32Radius)
{
    box_RoundedOutline(pDest, color, box_Make(pAnchor, u32Width, u32Height, u32Radius), 0);
}

void G_BOX_vDrawRoundedAlpha(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height,
                             U32 u32Radius, U8 u8Alpha)
{
    box_RoundedOutline(pDest, color, box_Make(pAnchor, u32Width, u32Height, u32Radius), u8Alpha);
}

void G_BOX_vDrawRoundedFilled(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height,
                              U32 u32Radius)
{
    const Box b = box_Make(pAnchor, u32Width, u32Height, u32Radius);
    box_Rows(pDest, color, b, b.y + b.r, b.top - b.r, 0);
    const S64 left = b.x + b.r, right = b.right - b.r, upper = b.top - b.r, lower = b.y + b.r;
    G_WALK_vRoundedFill((S32)b.r, [&](S64 e, S64 f) {
        box_Line(pDest, color, left - e, upper + f, right + e, upper + f, 0);
        box_Line(pDest, color, left - e, lower - f, right + e, lower - f, 0);
        box_Line(pDest, color, left - f, upper + e, right + f, upper + e, 0);
        box_Line(pDest, color, left - f, lower - e, right + f, lower - e, 0);
    });
}

void G_BOX_vDrawRoundedFilledAlpha(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width,
                                   U32 u32Height, U32 u32Radius, U8 u8Alpha)
{
    const Box b = box_Make(pAnchor, u32Width, u32Height, u32Radius);
    // The middle rows are whole; only the two corner bands need the walk.
    box_Rows(pDest, color, b, b.y + b.r + 1, b.top - b.r - 1, u8Alpha);
    // Every row the fill can reach: the middle rows and both corner bands
    // (y .. y + r and top - r .. top), limited to the clip rows.
    const S64 lo = std::max<S64>(std::min({b.y, b.y + b.r, b.top - b.r}), pDest->s32ClipBottom);
    const S64 hi = std::min<S64>(std::max({b.top, b.y + b.r, b.top - b.r}), pDest->s32ClipTop);
    for (S64 row = lo; row <= hi; ++row) {
        if (row > b.y + b.r && row < b.top - b.r)
            continue;
        Span s;
        if (box_WidestRoundedSpan(b, row, s))
            box_Line(pDest, color, s.lo, row, s.hi, row, u8Alpha);
    }
}
