// Routes on panes: the route being navigated with its travelled, active and
// coming legs and the stored legs navigation skips, the line to the final
// point once continuous navigation has arrived, the line to the cursor,
// stored routes with their names and the selection preview (see
// t_nav_draw.h).
//
// A route names its points by waypoint id; a point whose waypoint cannot be
// found is left out of what is drawn rather than drawn at a made-up place.
#include "nav/core/t_nav_draw.h"

#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/u_fonts.h"
#include "nav/core/draw_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstring>

// Constants ---------------------------------------------------------------------

namespace {

constexpr COLOR STORED_ROUTE_COLOUR = 0x0008; // written straight into the pen
constexpr U32 CT_HIGHLIGHTED_ROUTE = 40;
constexpr U32 CT_NAME_BOX = 100;
constexpr U32 CT_ROUTE_NAME = 101;
constexpr U32 ROUTE_NAME_BOX_HEIGHT = 19;
constexpr U32 STEVRIN_ACTIVE_LEG = 19; // trolling-motor colour of the active leg
constexpr S32 ROUTE_NAME_DX = 16;
constexpr S32 ROUTE_NAME_DY = -37;

// Working buffers of relative points, one per painter, as static as the
// frame they serve (the view task draws one frame at a time).
POINT s_aptStored[ROUTE_MAX_POINTS];
POINT s_aptNavigated[NAV_LEG_POINTS];
POINT s_aptSaved[ROUTE_MAX_POINTS];
POINT s_aptPreview[ROUTE_MAX_POINTS];

} // namespace

// Static functions ------------------------------------------------------------------

namespace {

COLOR colorEntry(U32 u32Index)
{
    return COLOR_colorRead(&gCOLOR_pcolColorTable[u32Index]);
}

BOOLEAN bKeyTrue(FOURCHARID key)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, nullptr, nullptr) && b ? TRUE : FALSE;
}

// The points a route record holds: its count limited to the array.
U32 u32RoutePoints(const ROUTE* pRoute)
{
    return std::min<U32>(pRoute->nCount, ROUTE_MAX_POINTS);
}

bool bWaypointPoint(U16 u16Id, POINT* pPoint)
{
    const WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(u16Id);
    if (pWaypoint == nullptr)
        return false;
    *pPoint = pWaypoint->pt;
    return true;
}

// The route's points relative to the pane centre, found waypoints only;
// the number written.
U32 u32RelativeRoutePoints(const NAV_VIEW_INFO* pNVI, const ROUTE* pRoute, POINT* pBuffer)
{
    U32 n = 0;
    for (U32 i = 0; i < u32RoutePoints(pRoute); ++i) {
        POINT pt;
        if (bWaypointPoint(pRoute->anWaypoint[i], &pt))
            pBuffer[n++] = T_NAV_ptRelativeToCenter(pNVI, pt);
    }
    return n;
}

void vStandardPen(GR_CONTEXT* gc)
{
    gr_SetDrawingTool(gc, STD_PEN);
    gr_SetPixelSize(gc, 1);
}

bool bInRoute(U16 u16Id, const ROUTE* pRoute)
{
    const U32 n = u32RoutePoints(pRoute);
    return std::find(pRoute->anWaypoint, pRoute->anWaypoint + n, u16Id) != pRoute->anWaypoint + n;
}

// The stored legs of the route being travelled that navigation passes by:
// those with an end that the route being navigated does not hold.
void vRenderSkippedLegs(const ROUTE* pRoute, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    const ROUTE* pStored = s_pCurrentRoute;
    const U32 n = u32RoutePoints(pStored);
    bool abSkipped[ROUTE_MAX_POINTS];
    bool abFound[ROUTE_MAX_POINTS];
    for (U32 j = 0; j < n; ++j) {
        abSkipped[j] = !bInRoute(pStored->anWaypoint[j], pRoute);
        POINT pt;
        abFound[j] = bWaypointPoint(pStored->anWaypoint[j], &pt);
        s_aptStored[j] = abFound[j] ? T_NAV_ptRelativeToCenter(pNVI, pt) : POINT{0, 0};
    }
    GR_CONTEXT* gc = &pNVI->GrContext;
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);
    gr_SetColor(gc, NAV_PALETTE_TRAVELLED);
    POINT first;
    if (n > 0 && abSkipped[0] && abFound[0] && u32RoutePoints(pRoute) > 0 &&
        bWaypointPoint(pRoute->anWaypoint[0], &first)) {
        POINT line[2] = {T_NAV_ptRelativeToCenter(pNVI, first), s_aptStored[0]};
        T_NAV_vRenderPolyLineMM(line, 2, pNVI, bRadar);
    }
    for (U32 j = 1; j < n; ++j) {
        if ((abSkipped[j] || abSkipped[j - 1]) && abFound[j] && abFound[j - 1])
            T_NAV_vRenderPolyLineMM(&s_aptStored[j - 1], 2, pNVI, bRadar);
    }
    vStandardPen(gc);
}

// A segment from one relative point to another, clipped to the box; both
// ends converted.
void vRenderClippedLine(NAV_VIEW_INFO* pNVI, POINT a, POINT b, S32 L, BOOLEAN bRadar)
{
    U_NAV_vClipLineToBox(&a, &b, -L, L);
    T_NAV_vConvertToPixel(pNVI, &a, bRadar);
    T_NAV_vConvertToPixel(pNVI, &b, bRadar);
    gr_SetAbsPenPos(&pNVI->GrContext, a.x, a.y);
    gr_DrawAbsLine(&pNVI->GrContext, b.x, b.y);
}

} // namespace

// The route being navigated ---------------------------------------------------------

void T_NAV_vRenderRoute(ROUTE* pRoute, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pRoute == nullptr || pNVI == nullptr || u32RoutePoints(pRoute) == 0)
        return;
    const BOOLEAN bStevrin = bKeyTrue(FCID("IPNE"));
    const S32 L = T_NAV_nClipHalfWidth(pNVI, bRadar);
    if (L <= 0)
        return;
    GR_CONTEXT* gc = &pNVI->GrContext;
    const U32 u32Count = u32RoutePoints(pRoute);
    POINT ptLast;
    const bool bLast = bWaypointPoint(pRoute->anWaypoint[u32Count - 1], &ptLast);

    if (s_u16MOBWaypoint == NAV_NO_MOB_WAYPOINT && bKeyTrue(FCID("CCNC"))) {
        if (bLast) {
            gr_SetColor(gc, NAV_PALETTE_FINAL_LINE);
            gr_SetDrawingTool(gc, BRUSH);
            gr_SetPixelSize(gc, 1);
            vRenderClippedLine(pNVI, T_NAV_ptRelativeToCenter(pNVI, pNVI->ptBoatMM),
                               T_NAV_ptRelativeToCenter(pNVI, ptLast), L, bRadar);
        }
    } else {
        if (s_pCurrentRoute != nullptr)
            vRenderSkippedLegs(pRoute, pNVI, bRadar);

        const U32 u32Used = std::min<U32>(s_nRoutePointUsed, NAV_LEG_POINTS);
        for (U32 i = 0; i < u32Used; ++i)
            s_aptNavigated[i] = T_NAV_ptRelativeToCenter(pNVI, s_ptRoutePoint[i]);
        const U32 u32Target = s_nRoutePointTarget;
        gr_SetDrawingTool(gc, BRUSH);
        gr_SetPixelSize(gc, 2);

        // Travelled: the points 1 .. target.
        gr_SetColor(gc, NAV_PALETTE_TRAVELLED);
        if (u32Used > 1)
            T_NAV_vRenderPolyLineMM(&s_aptNavigated[1], (S32)std::min(u32Target, u32Used - 1), pNVI, bRadar);

        if (bStevrin)
            gc->colour = COLOR_vGetStevrinColorDef(STEVRIN_ACTIVE_LEG);
        else
            gr_SetColor(gc, NAV_PALETTE_ACTIVE_LEG);
        if (!s_bStartedRouteInMiddle) {
            if (u32Target >= 1 && u32Target < u32Used)
                T_NAV_vRenderPolyLineMM(&s_aptNavigated[u32Target - 1], 2, pNVI, bRadar);
        } else {
            U32 u32Inip = 0;
            H_DATABASE_bFetchU32(FCID("INIP"), &u32Inip, nullptr, nullptr);
            if (u32Used > 0 && u32Inip < u32Used) {
                POINT line[2] = {s_aptNavigated[0], s_aptNavigated[u32Inip]};
                T_NAV_vRenderPolyLineMM(line, 2, pNVI, bRadar);
            }
        }

        // Ahead: the target and every point after it.
        gr_SetColor(gc, NAV_PALETTE_AHEAD);
        if (u32Target < u32Used)
            T_NAV_vRenderPolyLineMM(&s_aptNavigated[u32Target], (S32)(u32Used - u32Target), pNVI, bRadar);
    }
    vStandardPen(gc);

    if (pNVI->bCursorActive && bLast) {
        gr_SetColor(gc, NAV_PALETTE_AHEAD);
        gr_SetPatternType(gc, NAV_DASH_PATTERN_TYPE);
        gr_SetPatternIndex(gc, 0);
        gr_ResetPattern(gc);
        gr_SetPatternStatus(gc, TRUE);
        vRenderClippedLine(pNVI, T_NAV_ptRelativeToCenter(pNVI, ptLast), POINT{0, 0}, L, bRadar);
        gr_SetPatternStatus(gc, FALSE);
    }
}

// Stored routes ------------------------------------------------------------------------

void T_NAV_vRenderSavedRoute(ROUTE* pRoute, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar, BOOLEAN bHighlightedRoute)
{
    if (pRoute == nullptr || pNVI == nullptr || u32RoutePoints(pRoute) == 0)
        return;
    const S32 L = T_NAV_nTrackClipHalfWidth(pNVI, bRadar);
    if (L <= 0)
        return;

    // The route's box first, so that a route far from the pane costs no
    // conversion at all.
    bool bAny = false;
    S32 minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (U32 i = 0; i < u32RoutePoints(pRoute); ++i) {
        POINT pt;
        if (!bWaypointPoint(pRoute->anWaypoint[i], &pt))
            continue;
        minX = bAny ? std::min(minX, pt.x) : pt.x;
        minY = bAny ? std::min(minY, pt.y) : pt.y;
        maxX = bAny ? std::max(maxX, pt.x) : pt.x;
        maxY = bAny ? std::max(maxY, pt.y) : pt.y;
        bAny = true;
    }
    if (!bAny)
        return;
    const POINT lo = T_NAV_ptRelativeToCenter(pNVI, POINT{minX, minY});
    const POINT hi = T_NAV_ptRelativeToCenter(pNVI, POINT{maxX, maxY});
    if (lo.x > L || lo.y > L || hi.x < -L || hi.y < -L)
        return;

    const U32 n = u32RelativeRoutePoints(pNVI, pRoute, s_aptSaved);
    if (U_CHART_GENERIC_bIsPOSMode())
        return;

    GR_CONTEXT* gc = &pNVI->GrContext;
    vStandardPen(gc);
    gr_SetPatternStatus(gc, FALSE);
    gc->colour = bHighlightedRoute ? colorEntry(CT_HIGHLIGHTED_ROUTE) : STORED_ROUTE_COLOUR;
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);
    T_NAV_vRenderPolyLineMM(s_aptSaved, (S32)n, pNVI, bRadar);
    vStandardPen(gc);

    // The name of the newest route that starts at the first waypoint, by
    // that waypoint when it is on the pane.
    POINT first;
    if (pNVI->pBitmap == nullptr || !bWaypointPoint(pRoute->anWaypoint[0], &first))
        return;
    first = T_NAV_ptRelativeToCenter(pNVI, first);
    char acName[ROUTE_NAME_CHARS + 1] = {};
    if (!T_NAV_bInsideClipBox(&first, T_NAV_nClipHalfWidth(pNVI, bRadar)) ||
        !T_NAV_TWR_bGetNameOfLastRouteStartingAt(pRoute->anWaypoint[0], acName))
        return;
    acName[ROUTE_NAME_CHARS] = '\0';
    T_NAV_vConvertToPixel(pNVI, &first, bRadar);
    POINT anchor = {first.x + ROUTE_NAME_DX, first.y + ROUTE_NAME_DY};
    U32 u32Cursor = NAV_ID_NONE;
    const bool bCursorWaypoint = H_DATABASE_bFetchU32(FCID("ICWP"), &u32Cursor, nullptr, nullptr) &&
                                 (u32Cursor & 0xFFFF) == pRoute->anWaypoint[0];
    const FONT_DEF* pFont = bCursorWaypoint ? std_16x17_font_def_ptr.load() : std_11x14_font_def_ptr.load();
    if (pFont == nullptr)
        return;
    if (bCursorWaypoint)
        G_BOX_vDrawFilled(pNVI->pBitmap, colorEntry(CT_NAME_BOX), &anchor,
                          T_NAV_EDIT_u32GetWidthWaypointName(pFont, acName) + 1, ROUTE_NAME_BOX_HEIGHT);
    T_NAV_EDIT_vRenderWyptRteTrkName(pNVI->pBitmap, colorEntry(CT_ROUTE_NAME), &anchor, pFont, acName);
}

void T_NAV_vRenderRouteForPopupWindow(ROUTE* pRoute, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pRoute == nullptr || pNVI == nullptr)
        return;
    const U32 n = u32RelativeRoutePoints(pNVI, pRoute, s_aptPreview);
    GR_CONTEXT* gc = &pNVI->GrContext;
    gr_SetColor(gc, NAV_PALETTE_AHEAD);
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);
    T_NAV_vRenderPolyLineMM(s_aptPreview, (S32)n, pNVI, bRadar);
    vStandardPen(gc);
}
