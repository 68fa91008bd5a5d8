// Polygon fill and the inverse fill mask.
//
// Edges are added in buffer rows (row = ph - 1 - y), horizontal edges
// dropped; an edge covers rows ymin .. ymax - 1 and is cut to the mask's
// rows when it is added, so that a scan never walks rows nobody can see.
// The scan sorts the edges by first row, then goes row by row: it activates
// the edges starting there, drops those ending there, sorts the active ones
// by column and toggles (XOR) the bits between pairs of them, so that
// overlapping rings cancel and holes stay open (even-odd rule). When no edge
// is active the scan jumps to the next unused edge: separate parts of one
// area are all filled.
//
// Spans are rounded to columns as (x + 512) / 1024 and cover xl .. xr - 1,
// cut to the polygon's box (or, while the box is still being found, to the
// whole mask, the last column included). Painting reads the mask a word at a
// time and paints runs of set bits cut to the exact clip columns of the
// target context.
#include "chart_sdk/graphics/gr_polyfill.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_pixel.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr GL_BOUNDINGBOX kNoBox = {-1, -1, -1, -1};

inline bool IsNone(const GL_BOUNDINGBOX& b)
{
    return b.xmin == -1 && b.ymin == -1 && b.xmax == -1 && b.ymax == -1;
}

inline U32* MaskRow(const GL_POLYFILLCTX& ctx, VSCREENPTR mask, SINT row)
{
    return reinterpret_cast<U32*>(mask) + static_cast<ptrdiff_t>(row) * ctx.scrdim.rowsize;
}

inline S64 RoundColumn(S64 x)
{
    return (x + 512) / 1024;
}

void ResetCounters(GL_POLYFILL* pf)
{
    pf->gtblnoedges = 0;
    pf->gtblfirstentry = 0;
    pf->atblnoedges = 0;
}

void SwapEdges(GL_EDGESTABLE& et, SINT a, SINT b)
{
    std::swap(et.ymin[a], et.ymin[b]);
    std::swap(et.ymax[a], et.ymax[b]);
    std::swap(et.xval[a], et.xval[b]);
    std::swap(et.invslope[a], et.invslope[b]);
}

// In-place heap sort of edges 0 .. n - 1 by first row, the four arrays
// moving together. False when the cancel function asked to stop.
bool SortByFirstRow(GL_EDGESTABLE& et, SINT n, GL_CANCELFUNC cancel)
{
    for (SINT i = 1; i < n; ++i) {
        for (SINT c = i; c > 0;) {
            const SINT parent = (c - 1) / 2;
            if (et.ymin[parent] >= et.ymin[c]) {
                break;
            }
            SwapEdges(et, parent, c);
            c = parent;
        }
    }
    for (SINT end = n - 1; end > 0; --end) {
        SwapEdges(et, 0, end);
        for (SINT p = 0;;) {
            SINT c = 2 * p + 1;
            if (c >= end) {
                break;
            }
            if (c + 1 < end && et.ymin[c + 1] > et.ymin[c]) {
                ++c;
            }
            if (et.ymin[p] >= et.ymin[c]) {
                break;
            }
            SwapEdges(et, p, c);
            p = c;
        }
        if (cancel && ((n - end) & 63) == 0 && cancel()) {
            return false;
        }
    }
    return true;
}

// The active edges stay nearly in order from row to row: insertion sort.
void SortActiveByColumn(GL_EDGESTABLE& et, SINT n)
{
    for (SINT i = 1; i < n; ++i) {
        const SINT ymax = et.ymax[i];
        const S64 xval = et.xval[i];
        const S64 slope = et.invslope[i];
        SINT j = i;
        for (; j > 0 && et.xval[j - 1] > xval; --j) {
            et.ymax[j] = et.ymax[j - 1];
            et.xval[j] = et.xval[j - 1];
            et.invslope[j] = et.invslope[j - 1];
        }
        et.ymax[j] = ymax;
        et.xval[j] = xval;
        et.invslope[j] = slope;
    }
}

// Toggles mask bits xa .. xb - 1 of one row (xa < xb).
void ToggleSpan(U32* row, SINT xa, SINT xb)
{
    const SINT wa = xa >> 5;
    const SINT wb = (xb - 1) >> 5;
    const U32 ma = ~0u << (xa & 31);
    const U32 mb = ~0u >> (31 - ((xb - 1) & 31));
    if (wa == wb) {
        row[wa] ^= ma & mb;
        return;
    }
    row[wa] ^= ma;
    for (SINT w = wa + 1; w < wb; ++w) {
        row[w] = ~row[w];
    }
    row[wb] ^= mb;
}

void ScanRow(GL_POLYFILL* pf, SINT row)
{
    GL_POLYFILLCTX& ctx = pf->polyctx;
    const bool building = pf->status == GL_POLYFILL_USECLIP || pf->status == GL_POLYFILL_SKIP;
    // A polygon with a box stays inside it, so that the next Start's clear
    // of that box removes every bit it set.
    const GL_BOUNDINGBOX lim = building ? ctx.scrbox : ctx.clipbox;
    if (row < lim.ymin || row > lim.ymax) {
        return;
    }
    if (building) {
        ctx.clipbox.ymin = std::min(ctx.clipbox.ymin, row);
        ctx.clipbox.ymax = std::max(ctx.clipbox.ymax, row);
    }
    const GL_EDGESTABLE& et = pf->edgestable;
    U32* bits = MaskRow(ctx, ctx.vsptr, row);
    for (SINT i = 0; i + 1 < pf->atblnoedges; i += 2) {
        S64 xl = RoundColumn(et.xval[i]);
        S64 xr = RoundColumn(et.xval[i + 1]);
        if (xl > lim.xmax || xr < lim.xmin) {
            continue;
        }
        xl = std::max<S64>(xl, lim.xmin);
        xr = std::min<S64>(xr, static_cast<S64>(lim.xmax) + 1);
        if (xl >= xr) {
            continue;
        }
        if (building) {
            ctx.clipbox.xmin = std::min(ctx.clipbox.xmin, static_cast<SINT>(xl));
            ctx.clipbox.xmax = std::max(ctx.clipbox.xmax, static_cast<SINT>(xr - 1));
        }
        ToggleSpan(bits, static_cast<SINT>(xl), static_cast<SINT>(xr));
    }
}

// Paints the set bits of mask inside box into gc, cut to the exact clip
// columns and rows of gc.
ERRORCODE PaintMask(const GL_POLYFILLCTX& ctx, VSCREENPTR mask, const GL_BOUNDINGBOX& box, GR_CONTEXT* gc,
                    GL_COLOUR colour, GL_CANCELFUNC cancel)
{
    const SINT xa = std::max({gc->cliporig.px, box.xmin, ctx.scrbox.xmin, 0});
    const SINT xb = std::min({gc->cliplim.px, box.xmax, ctx.scrbox.xmax});
    const SINT ra = std::max({gc->cliporig.py, box.ymin, ctx.scrbox.ymin, 0});
    const SINT rb = std::min({gc->cliplim.py, box.ymax, ctx.scrbox.ymax});
    const GL_COLOUR saved = gc->colour;
    gr_SetColor(gc, colour);
    void (*span)(GR_CONTEXT*, SINT, SINT, SINT) = gc->ptrnattrib.status ? gf_HorLineWithPattern : gf_HorLine;
    const SINT ka = xa >> 5;
    const SINT kb = xb >> 5;
    const U32 firstMask = ~0u << (xa & 31);
    const U32 lastMask = ~0u >> (31 - (xb & 31));
    U32 wordsRead = 0;
    for (SINT row = ra; xa <= xb && row <= rb; ++row) {
        const U32* bits = MaskRow(ctx, mask, row);
        SINT runStart = -1;
        for (SINT k = ka; k <= kb; ++k) {
            U32 w = bits[k];
            if (k == ka) {
                w &= firstMask;
            }
            if (k == kb) {
                w &= lastMask;
            }
            const SINT base = k * 32;
            if (w == 0) {
                if (runStart >= 0) {
                    span(gc, runStart, row, base - runStart);
                    runStart = -1;
                }
            } else if (w == ~0u) {
                if (runStart < 0) {
                    runStart = base;
                }
            } else {
                for (SINT b = 0; b < 32;) {
                    if (runStart >= 0) {
                        const U32 zeros = ~w >> b;
                        if (zeros == 0) {
                            break;
                        }
                        b += __builtin_ctz(zeros);
                        span(gc, runStart, row, base + b - runStart);
                        runStart = -1;
                    } else {
                        const U32 ones = w >> b;
                        if (ones == 0) {
                            break;
                        }
                        b += __builtin_ctz(ones);
                        runStart = base + b;
                    }
                }
            }
            if (cancel && (++wordsRead & 63) == 0 && cancel()) {
                gc->colour = saved;
                return GR_CANCELLED;
            }
        }
        // The last word is cut at column xb, so a run still open ends there.
        if (runStart >= 0) {
            span(gc, runStart, row, xb + 1 - runStart);
        }
    }
    gc->colour = saved;
    return GR_OK;
}

void ForEachBoxWord(const GL_POLYFILLCTX& ctx, const GL_BOUNDINGBOX& box, U32* mask, U32* other,
                    void (*op)(U32* word, const U32* other))
{
    const SINT ra = std::max(0, box.ymin);
    const SINT rb = std::min(ctx.pixdim.ph - 1, box.ymax);
    const SINT ka = std::max(0, box.xmin >> 5);
    const SINT kb = std::min(ctx.scrdim.rowsize - 1, box.xmax >> 5);
    for (SINT row = ra; row <= rb; ++row) {
        const ptrdiff_t base = static_cast<ptrdiff_t>(row) * ctx.scrdim.rowsize;
        for (SINT k = ka; k <= kb; ++k) {
            op(mask + base + k, other ? other + base + k : nullptr);
        }
    }
}

} // namespace

ERRORCODE gr_PolyFillInit(GL_POLYFILL* pf, PIXELDIM dim, VSCREENPTR mask)
{
    const SINT pw = std::max(dim.pw, 0);
    const SINT ph = std::max(dim.ph, 0);
    GL_POLYFILLCTX& ctx = pf->polyctx;
    ctx.vsptr = mask;
    ctx.npix = 32;
    ctx.pixdim = {pw, ph};
    ctx.scrdim = {(pw + 31) / 32, ph};
    ctx.nbytes = static_cast<UINT32>(ctx.scrdim.rowsize) * static_cast<UINT32>(ph) * 4u;
    ctx.scrbox = {0, 0, pw - 1, ph - 1};
    ctx.clipbox = kNoBox;
    ResetCounters(pf);
    pf->status = GL_POLYFILL_SKIP;
    if (pw == 0 || ph == 0) {
        return GR_POLYFILL_EMPTY;
    }
    std::memset(mask, 0, ctx.nbytes);
    return GR_OK;
}

ERRORCODE gr_PolyFillStart(GL_POLYFILL* pf, const GL_BOUNDINGBOX* box, SINT clear)
{
    GL_POLYFILLCTX& ctx = pf->polyctx;
    if (clear == 1 && !IsNone(ctx.clipbox)) {
        ForEachBoxWord(ctx, ctx.clipbox, reinterpret_cast<U32*>(ctx.vsptr), nullptr,
                       [](U32* w, const U32*) { *w = 0; });
    }
    ResetCounters(pf);
    const GL_BOUNDINGBOX& scr = ctx.scrbox;
    if (box == nullptr) {
        pf->status = GL_POLYFILL_USECLIP;
        ctx.clipbox = {scr.xmax, scr.ymax, scr.xmin, scr.ymin};
        return GR_OK;
    }
    auto code = [&scr](SINT x, SINT y) {
        return (y < scr.ymin ? 1 : 0) | (y > scr.ymax ? 2 : 0) | (x < scr.xmin ? 4 : 0) | (x > scr.xmax ? 8 : 0);
    };
    const int c0 = code(box->xmin, box->ymin);
    const int c1 = code(box->xmax, box->ymax);
    if (c0 == 0 && c1 == 0) {
        pf->status = GL_POLYFILL_NOCLIP;
        ctx.clipbox = *box;
    } else if (c0 & c1) {
        pf->status = GL_POLYFILL_SKIP;
        ctx.clipbox = kNoBox;
    } else {
        pf->status = GL_POLYFILL_CLIPPED;
        ctx.clipbox = {std::max(box->xmin, scr.xmin), std::max(box->ymin, scr.ymin), std::min(box->xmax, scr.xmax),
                       std::min(box->ymax, scr.ymax)};
    }
    return GR_OK;
}

ERRORCODE gr_PolyFillAddVertices(GL_POLYFILL* pf, const PIXELPOS* v, SINT n)
{
    if (static_cast<S64>(pf->gtblnoedges) + n >= GL_MAX_EDGES) {
        return GR_TOO_MANY_EDGES;
    }
    if (n <= 1 || pf->status == GL_POLYFILL_SKIP) {
        return GR_OK;
    }
    GL_EDGESTABLE& et = pf->edgestable;
    const S64 ph = pf->polyctx.pixdim.ph;
    for (SINT i = 0; i + 1 < n; ++i) {
        S64 x0 = v[i].px;
        S64 r0 = ph - 1 - v[i].py;
        S64 x1 = v[i + 1].px;
        S64 r1 = ph - 1 - v[i + 1].py;
        if (r0 == r1) {
            continue;
        }
        if (r0 > r1) {
            std::swap(x0, x1);
            std::swap(r0, r1);
        }
        // Only the rows of the mask are ever scanned.
        if (r1 <= 0 || r0 >= ph) {
            continue;
        }
        const S64 slope = (x1 - x0) * 1024 / (r1 - r0);
        const S64 first = std::max<S64>(r0, 0);
        const __int128 xval = static_cast<__int128>(x0) * 1024 + static_cast<__int128>(slope) * (first - r0);
        const SINT k = pf->gtblnoedges++;
        et.ymin[k] = static_cast<SINT>(first);
        et.ymax[k] = static_cast<SINT>(std::min(r1, ph));
        et.xval[k] = static_cast<S64>(xval);
        et.invslope[k] = slope;
    }
    return GR_OK;
}

ERRORCODE gr_PolyFillProcess(GL_POLYFILL* pf, GL_CANCELFUNC cancel)
{
    GL_EDGESTABLE& et = pf->edgestable;
    const SINT n = pf->gtblnoedges;
    if (n == 0) {
        ResetCounters(pf);
        return GR_POLYFILL_EMPTY;
    }
    if (!SortByFirstRow(et, n, cancel)) {
        ResetCounters(pf);
        return GR_CANCELLED;
    }
    pf->gtblfirstentry = 0;
    pf->atblnoedges = 0;
    SINT row = et.ymin[0];
    for (;;) {
        SINT& first = pf->gtblfirstentry;
        SINT& active = pf->atblnoedges;
        for (; first < n && et.ymin[first] == row; ++first, ++active) {
            et.ymax[active] = et.ymax[first];
            et.xval[active] = et.xval[first];
            et.invslope[active] = et.invslope[first];
        }
        SINT kept = 0;
        for (SINT i = 0; i < active; ++i) {
            if (et.ymax[i] != row) {
                et.ymax[kept] = et.ymax[i];
                et.xval[kept] = et.xval[i];
                et.invslope[kept] = et.invslope[i];
                ++kept;
            }
        }
        active = kept;
        SortActiveByColumn(et, active);
        ScanRow(pf, row);
        for (SINT i = 0; i < active; ++i) {
            et.xval[i] += et.invslope[i];
        }
        if (cancel && cancel()) {
            ResetCounters(pf);
            return GR_CANCELLED;
        }
        if (active == 0) {
            if (first >= n) {
                break;
            }
            row = et.ymin[first];
        } else {
            ++row;
        }
    }
    ResetCounters(pf);
    return GR_OK;
}

ERRORCODE gr_PolyFillDraw(GL_POLYFILL* pf, GR_CONTEXT* gc, GL_COLOUR colour, GL_CANCELFUNC cancel)
{
    const GL_BOUNDINGBOX& box = pf->polyctx.clipbox;
    if (pf->status == GL_POLYFILL_SKIP) {
        return GR_POLYFILL_EMPTY;
    }
    if (pf->status == GL_POLYFILL_USECLIP && (box.xmax < box.xmin || box.ymax < box.ymin)) {
        return GR_POLYFILL_EMPTY;
    }
    return PaintMask(pf->polyctx, pf->polyctx.vsptr, box, gc, colour, cancel);
}

ERRORCODE gr_PolyFillClearInverseMask(GL_POLYFILL* pf)
{
    if (pf->inversefillmask == nullptr) {
        return GR_OK;
    }
    ForEachBoxWord(pf->polyctx, pf->polyctx.scrbox, reinterpret_cast<U32*>(pf->inversefillmask), nullptr,
                   [](U32* w, const U32*) { *w = ~0u; });
    return GR_OK;
}

ERRORCODE gr_PolyFillAddToInverseMask(GL_POLYFILL* pf)
{
    const GL_BOUNDINGBOX& box = pf->polyctx.clipbox;
    if (pf->inversefillmask == nullptr || box.ymax < box.ymin || box.xmax < box.xmin) {
        return GR_OK;
    }
    ForEachBoxWord(pf->polyctx, box, reinterpret_cast<U32*>(pf->inversefillmask),
                   reinterpret_cast<U32*>(pf->polyctx.vsptr), [](U32* w, const U32* m) { *w &= ~*m; });
    return GR_OK;
}

ERRORCODE gr_PolyFillDrawInverseMask(GL_POLYFILL* pf, GR_CONTEXT* gc, GL_COLOUR colour, GL_CANCELFUNC cancel)
{
    if (pf->inversefillmask == nullptr) {
        return GR_OK;
    }
    // Only the mask description is needed: the inverse mask is painted
    // through the descriptor of the polygon mask, never through a second
    // edge table on the caller's stack.
    return PaintMask(pf->polyctx, pf->inversefillmask, pf->polyctx.scrbox, gc, colour, cancel);
}
