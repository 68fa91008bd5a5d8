// The rules the navigation painters share and the primitives they draw
// with: relative points, clip boxes, the pixel conversion, the clipped
// polyline, icons centred on a point, the trolling-motor heading line and
// the proximity comparators (see t_nav_draw.h).
#include "nav/core/t_nav_draw.h"

#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "nav/core/u_nav_geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

// Statics -------------------------------------------------------------------

S16 s_ProxTable[NAV_PROXIMITY_IDS];
U32 s_u32WPPCount = 0;

namespace {

S32 s32Saturate(S64 v)
{
    return (S32)std::clamp<S64>(v, INT32_MIN, INT32_MAX);
}

// Both ends beyond the same edge of the square -L .. L.
bool bBeyondSameEdge(const POINT& u, const POINT& v, S32 L)
{
    return (u.x < -L && v.x < -L) || (u.x > L && v.x > L) || (u.y < -L && v.y < -L) || (u.y > L && v.y > L);
}

bool bWithinClosed(const POINT& p, S32 L)
{
    return p.x >= -L && p.x <= L && p.y >= -L && p.y <= L;
}

S32 s32HalfWidthOfPixels(S64 s64Pixels, const NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (bRadar) {
        const float f = pNVI->fPixelsPerMM;
        if (!(f > 0.0f) || !std::isfinite(f))
            return 0;
        const double d = (double)s64Pixels / (double)f;
        return d >= (double)INT32_MAX ? INT32_MAX : (S32)d;
    }
    if (pNVI->nPixelsPerMMM <= 0)
        return 0;
    return s32Saturate((s64Pixels << 20) / pNVI->nPixelsPerMMM);
}

} // namespace

// Shared rules --------------------------------------------------------------------

POINT T_NAV_ptRelativeToCenter(const NAV_VIEW_INFO* pNVI, POINT ptMM)
{
    S64 dx = (S64)ptMM.x - pNVI->ptCenterMM.x;
    if (dx > NAV_HALF_WORLD_MM)
        dx -= NAV_WORLD_MM;
    else if (dx < -NAV_HALF_WORLD_MM)
        dx += NAV_WORLD_MM;
    return POINT{s32Saturate(dx), s32Saturate((S64)ptMM.y - pNVI->ptCenterMM.y)};
}

S32 T_NAV_nClipHalfWidth(const NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    return s32HalfWidthOfPixels(NAV_CLIP_BOX_PIXELS, pNVI, bRadar);
}

S32 T_NAV_nTrackClipHalfWidth(const NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pNVI->pBitmap == nullptr)
        return 0;
    return s32HalfWidthOfPixels(std::max(pNVI->pBitmap->pixels_wide, pNVI->pBitmap->pixels_high), pNVI, bRadar);
}

BOOLEAN T_NAV_bInsideClipBox(const POINT* pptRelative, S32 nHalfWidth)
{
    return pptRelative->x > -nHalfWidth && pptRelative->x < nHalfWidth && pptRelative->y > -nHalfWidth &&
                   pptRelative->y < nHalfWidth
               ? TRUE
               : FALSE;
}

void T_NAV_vConvertToPixel(const NAV_VIEW_INFO* pNVI, POINT* pptRelative, BOOLEAN bRadar)
{
    if (bRadar)
        U_NAV_vConvertMMToRadarPixel(pptRelative, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->fPixelsPerMM);
    else
        U_NAV_vConvertMMToPixel(pptRelative, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->nPixelsPerMMM);
}

S32 T_NAV_nHighZoomShift(S32 nPixelsPerMMM)
{
    return nPixelsPerMMM > 0xFFFF ? U_NAV_nIntLog2(nPixelsPerMMM) - 15 : 0;
}

// Primitives ------------------------------------------------------------------------

void T_NAV_vRenderPolyLineMM(POINT* pptBuffer, S32 nPointCount, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pptBuffer == nullptr || pNVI == nullptr || nPointCount <= 0)
        return;
    const S32 L = T_NAV_nClipHalfWidth(pNVI, bRadar);
    if (L <= 0)
        return;
    GR_CONTEXT* gc = &pNVI->GrContext;

    bool bPenValid = false;
    if (T_NAV_bInsideClipBox(&pptBuffer[0], L)) {
        POINT p = pptBuffer[0];
        T_NAV_vConvertToPixel(pNVI, &p, bRadar);
        gr_SetAbsPenPos(gc, p.x, p.y);
        bPenValid = true;
    }
    for (S32 i = 1; i < nPointCount; ++i) {
        const POINT u = pptBuffer[i];
        const POINT v = pptBuffer[i - 1];
        if (bPenValid && T_NAV_bInsideClipBox(&u, L)) {
            POINT p = u;
            T_NAV_vConvertToPixel(pNVI, &p, bRadar);
            gr_DrawAbsLine(gc, p.x, p.y);
            continue;
        }
        if (!bPenValid && bBeyondSameEdge(u, v, L))
            continue;
        // A segment that leaves or enters the box is clipped on its own: the
        // pen stands at the border where the last one left, not where this
        // one enters.
        POINT cu = u;
        POINT cv = v;
        U_NAV_vClipLineToBox(&cu, &cv, -L, L);
        bPenValid = cu.x == u.x && cu.y == u.y;
        if (!bWithinClosed(cu, L) || !bWithinClosed(cv, L))
            continue;
        T_NAV_vConvertToPixel(pNVI, &cv, bRadar);
        T_NAV_vConvertToPixel(pNVI, &cu, bRadar);
        gr_SetAbsPenPos(gc, cv.x, cv.y);
        gr_DrawAbsLine(gc, cu.x, cu.y);
    }
}

void T_NAV_vRenderRumbrelIcon(NAV_VIEW_INFO* pNVI, const ICON* pIcon, POINT* ptAt, BOOLEAN bRadar)
{
    if (pNVI == nullptr || ptAt == nullptr)
        return;
    *ptAt = T_NAV_ptRelativeToCenter(pNVI, *ptAt);
    if (!T_NAV_bInsideClipBox(ptAt, T_NAV_nClipHalfWidth(pNVI, bRadar)))
        return;
    T_NAV_vConvertToPixel(pNVI, ptAt, bRadar);
    gr_SetAbsPenPos(&pNVI->GrContext, ptAt->x, ptAt->y);
    ptAt->x = ptAt->x + 1 - (S32)(G_ICON_u32GetWidth(pIcon) / 2);
    ptAt->y = ptAt->y - (S32)(G_ICON_u32GetHeight(pIcon) / 2);
    if (pNVI->pBitmap != nullptr)
        G_ICON_vPut(pNVI->pBitmap, pIcon, ptAt);
}

void T_NAV_vRenderHeadingLine(NAV_VIEW_INFO* pNVI, U32 nAPHeading, POINT ptBoat, S32 nBowSpaceLength,
                              U32 u32IPColorIndex)
{
    if (pNVI == nullptr)
        return;
    // Whole degrees on the screen, clockwise from its top; a rotation
    // outside 0 .. 360 still lands in range.
    S64 a = nAPHeading;
    if (pNVI->nChartRotation != 0)
        a = ((a - pNVI->nChartRotation + 360) % 360 + 360) % 360;
    const S64 s = U_NAV_nIntSin((S32)(a % 360));
    const S64 c = U_NAV_nIntCos((S32)(a % 360));

    GR_CONTEXT* gc = &pNVI->GrContext;
    gc->colour = COLOR_vGetStevrinColorDef(u32IPColorIndex);
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);

    const S64 startX = ptBoat.x + ((nBowSpaceLength * s + 0x8000) >> 16);
    const S64 startY = ptBoat.y + ((nBowSpaceLength * c + 0x8000) >> 16);
    const S64 r = (S64)std::min<S64>((S64)pNVI->nWindowHeight * 9 / 10, pNVI->nWindowWidth) * 30;
    const S64 endX = ptBoat.x + ((r * s + 0x8000) >> 16) / 12;
    const S64 endY = ptBoat.y + ((r * c + 0x8000) >> 16) / 12;
    gr_SetAbsPenPos(gc, s32Saturate(startX), s32Saturate(startY));
    gr_DrawAbsLine(gc, s32Saturate(endX), s32Saturate(endY));
}

namespace {

int iCompare(float a, float b)
{
    if (a == b)
        return 0;
    return a > b ? 1 : -1;
}

} // namespace

int T_NAV_iProximitySortBoat(const void* X, const void* Y)
{
    return iCompare(((const NAV_PROXIMITY_ENTRY*)X)->fDistanceFromBoat,
                    ((const NAV_PROXIMITY_ENTRY*)Y)->fDistanceFromBoat);
}

int T_NAV_iProximitySortCenter(const void* X, const void* Y)
{
    return iCompare(((const NAV_PROXIMITY_ENTRY*)X)->fDistanceFromCenter,
                    ((const NAV_PROXIMITY_ENTRY*)Y)->fDistanceFromCenter);
}
