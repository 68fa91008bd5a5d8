// Polygon clipping before a fill: a one-pass pipeline in which every vertex
// flows through four edge stages (left, right, top, bottom), each stage
// remembering its previous point, and the last stage collects the output.
// Coordinates follow the chart graphics: y grows upward, so nBottom <= nTop.
// The first and last vertices are clamped into the box; the polygon is not
// closed by the clipper (callers pass closed rings where they want them).
// The output list grows as needed: chart areas with many vertices and many
// crossings never overflow it.
#pragma once

#include "chart_sdk/graphics/gr_polyfill.h"
#include "chart_sdk/graphics/gr_types.h"

#include <vector>

// The output vertices: the first 128 in place, any further ones beyond.
typedef struct tag_VERTEX_LIST {
    SINT count;
    PIXELPOS point[128];
    std::vector<PIXELPOS> more;
} VERTEX_LIST;

typedef struct tag_POLY_CLIP_CONTEXT {
    VERTEX_LIST vlResult;
    SINT nLeft, nXPrevLeft, nYPrevLeft;
    SINT nRight, nXPrevRight, nYPrevRight;
    SINT nTop, nXPrevTop, nYPrevTop;
    SINT nBottom, nXPrevBottom, nYPrevBottom;
} POLY_CLIP_CONTEXT;

// Clips izzNoVertices vertices (x then y for each) in place and returns the
// number now in the array, or 0 when fewer than two remain (the array is
// then unchanged). When the result would not fit in izzCapacity vertices the
// array is left unchanged too and the result is the negated count needed.
SINT U_POLY_nClip(SINT nLeft, SINT nRight, SINT nTop, SINT nBottom, SINT* pzzVertices, SINT izzNoVertices,
                  SINT izzCapacity);
// The same with room for exactly izzNoVertices vertices.
SINT U_POLY_nClip(SINT nLeft, SINT nRight, SINT nTop, SINT nBottom, SINT* pzzVertices, SINT izzNoVertices);

// Clips to the mask box of the fill and adds the result to it with
// gr_PolyFillAddVertices, returning that call's result (success without
// adding anything when fewer than two vertices remain). The caller's array
// is not changed.
ERRORCODE U_POLY_eClipSegment(GL_POLYFILL* pzzPolyFill, const SINT* pzzVertices, SINT izzNoVertices);
