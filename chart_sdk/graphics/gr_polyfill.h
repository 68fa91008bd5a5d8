// Polygon fill of the chart raster graphics library: a polygon's edges are
// scan-converted into a 1-bit mask (bit j of word k of a row is column
// 32k + j) with an edge table and the even-odd rule, and the set bits are
// then painted into a context as spans with its colour, mode and area
// pattern. A second mask, the inverse fill mask, records which pixels no
// solid-filled polygon has covered yet, so that a renderer can paint the
// remaining background last.
//
// Calling order per image: gr_PolyFillInit, then (optionally) set
// inversefillmask and gr_PolyFillClearInverseMask; per polygon:
// gr_PolyFillStart, gr_PolyFillAddVertices per ring or piece,
// gr_PolyFillProcess, gr_PolyFillDraw per fill style and
// gr_PolyFillAddToInverseMask for a solid fill; finally
// gr_PolyFillDrawInverseMask. Mask row r is buffer row r of the context the
// polygon is drawn into. A GL_POLYFILL is large (its edge table): its users
// keep one per renderer as a static or heap record, never on a task stack.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

constexpr SINT GL_MAX_EDGES = 65536;

typedef struct tag_GL_BOUNDINGBOX {
    SINT xmin;
    SINT ymin;
    SINT xmax;
    SINT ymax;
} GL_BOUNDINGBOX;

// The mask: rows of 32-bit words, one bit per pixel.
typedef struct tag_GL_POLYFILLCTX {
    VSCREENPTR vsptr;
    SINT npix;     // 32 pixels per word
    UINT32 nbytes; // ph x rowsize x 4
    PIXELDIM pixdim;
    GL_BOUNDINGBOX scrbox;  // the whole mask
    SCREENDIM scrdim;
    GL_BOUNDINGBOX clipbox; // the current polygon: where it may draw, then where it drew; all -1 is none
} GL_POLYFILLCTX;

// One edge per index in all four arrays: first row, the row after its last
// row, its column at the current row and its columns per row (both with 10
// fraction bits; 64-bit so that any vertex coordinate fits). The global
// table (edges not reached yet) and, at the start, the active table share
// the arrays.
typedef struct tag_GL_EDGESTABLE {
    SINT ymin[GL_MAX_EDGES];
    SINT ymax[GL_MAX_EDGES];
    S64 xval[GL_MAX_EDGES];
    S64 invslope[GL_MAX_EDGES];
} GL_EDGESTABLE;

typedef enum {
    GL_POLYFILL_SKIP = 0,    // wholly outside: add and draw nothing
    GL_POLYFILL_NOCLIP = 1,  // wholly inside its box
    GL_POLYFILL_CLIPPED = 2, // partly inside: clip to clipbox
    GL_POLYFILL_USECLIP = 3  // extent unknown: clip to the mask, build clipbox while scanning
} GL_POLYFILL_STATUS;

typedef struct tag_GL_POLYFILL {
    GL_POLYFILLCTX polyctx;
    GL_EDGESTABLE edgestable;
    SINT gtblnoedges;
    SINT gtblfirstentry;
    SINT atblnoedges;
    GL_POLYFILL_STATUS status;
    VSCREENPTR inversefillmask; // same geometry as the mask, or null
} GL_POLYFILL;

typedef GL_POLYFILL* GL_POLYFILL_PTR;

// Asked now and then during long work; nonzero stops it with GR_CANCELLED.
typedef SINT (*GL_CANCELFUNC)(void);

ERRORCODE gr_PolyFillInit(GL_POLYFILL* pf, PIXELDIM dim, VSCREENPTR mask);
ERRORCODE gr_PolyFillStart(GL_POLYFILL* pf, const GL_BOUNDINGBOX* box, SINT clear);
// Adds the edges of the open polyline v[0] .. v[n - 1] (logical coordinates,
// y upward); a closed ring repeats its first vertex at the end.
ERRORCODE gr_PolyFillAddVertices(GL_POLYFILL* pf, const PIXELPOS* v, SINT n);
ERRORCODE gr_PolyFillProcess(GL_POLYFILL* pf, GL_CANCELFUNC cancel);
// colour is a gr_SetColor argument; the context's colour is kept.
ERRORCODE gr_PolyFillDraw(GL_POLYFILL* pf, GR_CONTEXT* gc, GL_COLOUR colour, GL_CANCELFUNC cancel);
ERRORCODE gr_PolyFillClearInverseMask(GL_POLYFILL* pf);
ERRORCODE gr_PolyFillAddToInverseMask(GL_POLYFILL* pf);
ERRORCODE gr_PolyFillDrawInverseMask(GL_POLYFILL* pf, GR_CONTEXT* gc, GL_COLOUR colour, GL_CANCELFUNC cancel);
