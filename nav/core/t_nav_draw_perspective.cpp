// Navigation objects in perspective panes: a polyline, the current and
// saved tracks, trolling-motor tracks, the legs a route navigation skips,
// AIS targets, icons standing on a point and the wireframe model of the
// own boat (see t_nav_draw.h).
//
// Every painter works in one of two projections, chosen by bVuruzaveRender
// of the pane: the highway view of u_nav_geometry.h, or the 3D chart view
// of the chart application. A point is in view when it passes the right,
// left and near edges and lies within the horizon (4 eye offsets from the
// centre); lines follow one segment rule, which clips what crosses an edge
// and skips what lies beyond one edge at both ends.
#include "nav/core/t_nav_draw.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "nav/core/draw_standins.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "store/h_database.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

// Constants ---------------------------------------------------------------------

namespace {

constexpr U32 CT_LABEL = 101;
constexpr GL_COLOUR PALETTE_BOAT_HIGHWAY = 22;
constexpr GL_COLOUR PALETTE_BOAT_3D = 31;
constexpr U32 BOAT_CUSTOM_COLOR = 3;
constexpr S32 BOAT_MODEL_SCALE = 18;
constexpr S32 NO_DOT = -1000;
constexpr U32 PALETTE1 = 1;

// The own boat: {x to starboard, y forward, z up, pen}; pen 0 moves to the
// vertex, 1 draws to it. A unit is 8 Mercator metres at scale 18.
constexpr S32 BOAT_VERTICES = 74;
constexpr S32 s_aBoatModel[BOAT_VERTICES][4] = {
    // Hull at the waterline.
    {0, 49, 0, 0}, {10, 38, 0, 1}, {16, 20, 0, 1}, {16, -49, 0, 1},
    {-16, -49, 0, 1}, {-16, 20, 0, 1}, {-10, 38, 0, 1}, {0, 49, 0, 1},
    // Gunwale.
    {0, 49, 4, 0}, {10, 38, 4, 1}, {16, 20, 4, 1}, {16, -49, 4, 1},
    {-16, -49, 4, 1}, {-16, 20, 4, 1}, {-10, 38, 4, 1}, {0, 49, 4, 1},
    // Stem, shoulders and transom corners.
    {0, 49, 0, 0}, {0, 49, 4, 1}, {16, 20, 0, 0}, {16, 20, 4, 1},
    {-16, 20, 0, 0}, {-16, 20, 4, 1}, {16, -49, 0, 0}, {16, -49, 4, 1},
    {-16, -49, 0, 0}, {-16, -49, 4, 1},
    // Deck.
    {0, 40, 4, 0}, {8, 30, 4, 1}, {12, 15, 4, 1}, {12, -45, 4, 1},
    {-12, -45, 4, 1}, {-12, 15, 4, 1}, {-8, 30, 4, 1}, {0, 40, 4, 1},
    // Console: base, top and corners.
    {-6, 0, 4, 0}, {6, 0, 4, 1}, {6, -10, 4, 1}, {-6, -10, 4, 1}, {-6, 0, 4, 1},
    {-6, 0, 14, 0}, {6, 0, 14, 1}, {6, -10, 14, 1}, {-6, -10, 14, 1}, {-6, 0, 14, 1},
    {6, 0, 4, 0}, {6, 0, 14, 1}, {6, -10, 4, 0}, {6, -10, 14, 1},
    // Windshield.
    {-6, 2, 18, 0}, {6, 2, 18, 1},
    {-6, -10, 4, 0}, {-6, -10, 14, 1},
    // Motor: base, top and corners.
    {-4, -49, 0, 0}, {4, -49, 0, 1}, {4, -57, 0, 1}, {-4, -57, 0, 1}, {-4, -49, 0, 1},
    {-4, -49, 8, 0}, {4, -49, 8, 1}, {4, -57, 8, 1}, {-4, -57, 8, 1}, {-4, -49, 8, 1},
    {4, -49, 0, 0}, {4, -49, 8, 1}, {4, -57, 0, 0}, {4, -57, 8, 1}, {-4, -57, 0, 0}, {-4, -57, 8, 1},
    // Tiller.
    {0, -49, 8, 0}, {0, -40, 10, 1},
    // Bow rail.
    {-8, 30, 8, 0}, {-4, 40, 8, 1}, {4, 40, 8, 1}, {8, 30, 8, 1},
};

} // namespace

// Static functions ------------------------------------------------------------------

namespace {

S32 s32Clamp(S64 v)
{
    return (S32)std::clamp<S64>(v, INT32_MIN, INT32_MAX);
}

struct Edges {
    bool bRight;
    bool bLeft;
    bool bNear;
    bool bHorizon;
    bool all() const { return bRight && bLeft && bNear && bHorizon; }
};

Edges edgesOf(NAV_VIEW_INFO* pNVI, const POINT& p)
{
    if (pNVI->bVuruzaveRender)
        return {T_CHART_3D_bIn3DView(&p, 8, pNVI) != FALSE, T_CHART_3D_bIn3DView(&p, 4, pNVI) != FALSE,
                T_CHART_3D_bIn3DView(&p, 18, pNVI) != FALSE, T_CHART_3D_bIn3DView(&p, 0, pNVI) != FALSE};
    POINT t;
    U_NAV_vRotatePoint(&pNVI->RotContext, &p, &t);
    const S64 E = pNVI->nEyeOffsetMM;
    const S64 horizon = std::min<S64>(4 * E, INT32_MAX);
    return {2 * (S64)t.x - t.y <= E, 2 * (S64)t.x + t.y >= -E, 2 * (S64)t.y >= -E,
            horizon >= 0 && U_NAV_bDistanceLessThanOrEqual(p, (S32)horizon) != FALSE};
}

POINT ptProject(NAV_VIEW_INFO* pNVI, POINT p, S32 nAltitude)
{
    if (pNVI->bVuruzaveRender)
        T_CHART_3D_vProjectPoint(&p, nAltitude, &pNVI->ptOffsetCenterMM, &pNVI->ptDataOrigin, nullptr);
    else
        U_NAV_vConvertMMToHighwayViewPixel(&p, nAltitude, &pNVI->RotContext, &pNVI->CenterOffset,
                                           pNVI->nPixelsPerMMM, pNVI->nEyeOffsetMM);
    return p;
}

bool bClip(NAV_VIEW_INFO* pNVI, POINT* p0, POINT* p1)
{
    if (pNVI->bVuruzaveRender)
        return T_CHART_3D_bClipLineTo3DView(p0, p1, &pNVI->RotContext, pNVI) != FALSE;
    return U_NAV_bClipLineToHighwayView(p0, p1, &pNVI->RotContext, pNVI->nEyeOffsetMM) != FALSE;
}

// The segment rule: one walker per line, fed relative points in order.
class Walker {
public:
    explicit Walker(NAV_VIEW_INFO* pNVI) : pNVI_(pNVI), gc_(&pNVI->GrContext) {}

    void moveTo(POINT u, S32 nAltitude)
    {
        bPenValid_ = edgesOf(pNVI_, u).all();
        if (bPenValid_) {
            const POINT p = ptProject(pNVI_, u, nAltitude);
            gr_SetAbsPenPos(gc_, p.x, p.y);
        }
        prev_ = u;
        prevAltitude_ = nAltitude;
        bHasPrev_ = true;
    }

    void lineTo(POINT u, S32 nAltitude)
    {
        if (!bHasPrev_) {
            moveTo(u, nAltitude);
            return;
        }
        const Edges eu = edgesOf(pNVI_, u);
        const bool bIn = eu.all();
        if (bIn && bPenValid_) {
            const POINT p = ptProject(pNVI_, u, nAltitude);
            gr_DrawAbsLine(gc_, p.x, p.y);
        } else {
            const Edges ev = edgesOf(pNVI_, prev_);
            const bool bSameEdge = (!eu.bRight && !ev.bRight) || (!eu.bLeft && !ev.bLeft) || (!eu.bNear && !ev.bNear);
            POINT cv = prev_;
            POINT cu = u;
            if (!bSameEdge && bClip(pNVI_, &cv, &cu)) {
                const POINT pv = ptProject(pNVI_, cv, prevAltitude_);
                const POINT pu = ptProject(pNVI_, cu, nAltitude);
                gr_SetAbsPenPos(gc_, pv.x, pv.y);
                gr_DrawAbsLine(gc_, pu.x, pu.y);
            } else if (bIn) {
                const POINT p = ptProject(pNVI_, u, nAltitude);
                gr_SetAbsPenPos(gc_, p.x, p.y);
            }
        }
        bPenValid_ = bIn;
        prev_ = u;
        prevAltitude_ = nAltitude;
    }

private:
    NAV_VIEW_INFO* pNVI_;
    GR_CONTEXT* gc_;
    bool bPenValid_ = false;
    bool bHasPrev_ = false;
    POINT prev_{};
    S32 prevAltitude_ = 0;
};

void vStandardPen(GR_CONTEXT* gc)
{
    gr_SetDrawingTool(gc, STD_PEN);
    gr_SetPixelSize(gc, 1);
    gr_SetPatternStatus(gc, FALSE);
}

U32 u32PaletteColour(U32 u32Color)
{
    U32 u32Palette = 0;
    if (!H_DATABASE_bFetchU32(FCID("SPAL"), &u32Palette, nullptr, nullptr))
        return u32Color;
    if (u32Palette == 1 && u32Color == 15)
        return 0;
    if (u32Palette == 2 && u32Color == 12)
        return 15;
    if (u32Palette == 3 && u32Color == 0)
        return 15;
    return u32Color;
}

// An icon can stand on the point: highway edges and horizon, or the 3D
// view's combined test.
bool bIconVisible(NAV_VIEW_INFO* pNVI, const POINT& rel)
{
    if (pNVI->bVuruzaveRender)
        return T_CHART_3D_bIn3DView(&rel, 127, pNVI) != FALSE;
    const Edges e = edgesOf(pNVI, rel);
    if (!e.bRight || !e.bLeft || !e.bNear)
        return false;
    POINT t;
    U_NAV_vRotatePoint(&pNVI->RotContext, &rel, &t);
    const S64 horizon = std::min<S64>(4 * (S64)pNVI->nEyeOffsetMM, INT32_MAX);
    return horizon >= 0 && U_NAV_bDistanceLessThanOrEqual(t, (S32)horizon);
}

bool bWaypointPoint(U16 u16Id, POINT* pPoint)
{
    const WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(u16Id);
    if (pWaypoint == nullptr)
        return false;
    *pPoint = pWaypoint->pt;
    return true;
}

} // namespace

// Public ---------------------------------------------------------------------------------

BOOLEAN T_NAV_bPerspectiveInView(NAV_VIEW_INFO* pNVI, const POINT* pptRelative)
{
    if (pNVI == nullptr || pptRelative == nullptr)
        return FALSE;
    return edgesOf(pNVI, *pptRelative).all() ? TRUE : FALSE;
}

void T_NAV_vRenderPerspectivePolyLineMM(POINT* pptBuffer, S32 nPointCount, NAV_VIEW_INFO* pNVI)
{
    if (pptBuffer == nullptr || pNVI == nullptr || nPointCount < 2)
        return;
    GR_CONTEXT* gc = &pNVI->GrContext;
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);
    Walker w(pNVI);
    w.moveTo(pptBuffer[0], 0);
    for (S32 i = 1; i < nPointCount; ++i)
        w.lineTo(pptBuffer[i], 0);
}

void T_NAV_vRenderPerspectiveTrack(TRACK* pTrack, NAV_VIEW_INFO* pNVI, BOOLEAN bCurrentTrack, U32 u32Style,
                                   U32 u32Color)
{
    if (pTrack == nullptr || pNVI == nullptr)
        return;
    if (bCurrentTrack) {
        BOOLEAN bShow = TRUE;
        if (H_DATABASE_bFetchBoolean(FCID("SCTV"), &bShow, nullptr, nullptr) && !bShow)
            return;
    }
    if (U_CHART_GENERIC_bIsPOSMode())
        return;
    GR_CONTEXT* gc = &pNVI->GrContext;
    const bool bLines = u32Style != TRACK_STYLE_BREADCRUMBS;
    vStandardPen(gc);
    if (bLines) {
        gr_SetColor(gc, (GL_COLOUR)u32PaletteColour(u32Color));
        if (u32Style == TRACK_STYLE_SHORT_DASHED_LINE) {
            gr_SetPatternType(gc, NAV_DASH_PATTERN_TYPE);
            gr_SetPatternIndex(gc, 0);
            gr_ResetPattern(gc);
            gr_SetPatternStatus(gc, TRUE);
        }
        if (u32Style == TRACK_STYLE_WIDE_LINE) {
            gr_SetDrawingTool(gc, BRUSH);
            gr_SetPixelSize(gc, 2);
        }
    }
    const ICON* const* ppDots = bCurrentTrack ? s_pCurrentTrackpointIcons : s_pSavedTrackpointIcons;
    const S32 cy = pNVI->CenterOffset.y;

    Walker w(pNVI);
    POINT lastDot = {NO_DOT, NO_DOT};
    TRACKPOINT_TYPE eLast = TRACKPOINT_INVALID;
    U16 u16Iterator = 0;
    U16 u16Depth = 0;
    POINT pt{};
    for (;;) {
        const TRACKPOINT_TYPE e = U_NAV_eScanTrack(pTrack, &u16Iterator, &pt, &u16Depth);
        if (e == TRACKPOINT_INVALID)
            break;
        const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pt);
        if (bLines) {
            if (eLast == TRACKPOINT_NORMAL && e == TRACKPOINT_NORMAL)
                w.lineTo(rel, 0);
            else
                w.moveTo(rel, 0);
        } else if (pNVI->pBitmap != nullptr && edgesOf(pNVI, rel).all()) {
            const POINT p = ptProject(pNVI, rel, 0);
            if (std::abs(p.x - lastDot.x) > 3 || std::abs(p.y - lastDot.y) > 3) {
                const S64 k = cy > 0 ? std::clamp<S64>((S64)p.y * 11 / cy, 0, NAV_PERSPECTIVE_DOTS - 1) : 0;
                const POINT corner = {p.x - 1, p.y};
                G_ICON_vPut(pNVI->pBitmap, ppDots[k], &corner);
                lastDot = p;
            }
        }
        eLast = e;
    }
    vStandardPen(gc);
}

void T_NAV_vRenderPerspectiveRumbrelIcon(NAV_VIEW_INFO* pNVI, POINT pt, const ICON* pIcon)
{
    if (pNVI == nullptr || pNVI->pBitmap == nullptr || pIcon == nullptr)
        return;
    const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pt);
    if (!bIconVisible(pNVI, rel))
        return;
    const POINT p = ptProject(pNVI, rel, 0);
    const POINT corner = {p.x - ((S32)G_ICON_u32GetWidth(pIcon) - 1) / 2, p.y};
    G_ICON_vPut(pNVI->pBitmap, pIcon, &corner);
}

void T_NAV_vRenderPerspectiveRumbrel(NAV_VIEW_INFO* pNVI, RUMBREL* pRumbrel, int nStart, int nEnd, U32 u32Color,
                                     U32 u32Style, BOOLEAN bShowStart, BOOLEAN bShowEnd)
{
    if (pNVI == nullptr || pRumbrel == nullptr || pRumbrel->nCount == 0 || pRumbrel->u32DateTime == 0)
        return;
    const int n = (int)std::min<U32>(pRumbrel->nCount, RUMBREL_MAX_POINTS);
    GR_CONTEXT* gc = &pNVI->GrContext;
    vStandardPen(gc);
    gc->colour = COLOR_vGetStevrinColorDef(u32Color);
    if (u32Style == RUMBREL_STYLE_WIDE_LINE) {
        gr_SetDrawingTool(gc, BRUSH);
        gr_SetPixelSize(gc, 2);
    }
    const int first = std::max(nStart, 0);
    const int last = std::min(nEnd, n - 1);
    Walker w(pNVI);
    for (int i = first; i <= last; ++i) {
        const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pRumbrel->aTrackPoints[i]);
        if (i == first)
            w.moveTo(rel, 0);
        else
            w.lineTo(rel, 0);
    }
    U32 u32Palette = 0;
    const bool bPlain = H_DATABASE_bFetchU32(FCID("SPAL"), &u32Palette, nullptr, nullptr) && u32Palette == PALETTE1;
    if (bShowStart)
        T_NAV_vRenderPerspectiveRumbrelIcon(pNVI, pRumbrel->aTrackPoints[0],
                                            bPlain ? &Wpt_pin_start_icon : &Wpt_pin_start_wht_icon);
    if (bShowEnd)
        T_NAV_vRenderPerspectiveRumbrelIcon(pNVI, pRumbrel->aTrackPoints[n - 1],
                                            bPlain ? &Wpt_pin_end_icon : &Wpt_pin_end_wht_icon);
    vStandardPen(gc);
}

void T_NAV_vRenderPerspectiveAis(ais_DeviceInfo* pAisInfo, NAV_VIEW_INFO* pNVI)
{
    if (pAisInfo == nullptr || pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    const POSITION pos = {pAisInfo->aisInfo.Latitude, pAisInfo->aisInfo.Longitude};
    POINT pt{};
    if (nv_DegrToMeter(&pos, &pt) != NV_OK)
        return;
    const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pt);
    if (!bIconVisible(pNVI, rel))
        return;
    const ICON* pIcon =
        G_NAV_pAisBirdsEyeIcon(T_NAV_eAisClass(pAisInfo->aisInfo.ShipType), T_NAV_eAisVariant(pAisInfo));
    const POINT p = ptProject(pNVI, rel, 0);
    const POINT corner = {p.x - ((S32)G_ICON_u32GetWidth(pIcon) - 1) / 2, p.y};
    G_ICON_vPut(pNVI->pBitmap, pIcon, &corner);

    char acMmsi[16];
    snprintf(acMmsi, sizeof acMmsi, "%ld", (long)pAisInfo->aisInfo.MMSI);
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    POINT anchor = {p.x - (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)acMmsi) / 2 + 1,
                    p.y + (S32)G_ICON_u32GetHeight(pIcon) + 1};
    G_STRING_vPut(pNVI->pBitmap, COLOR_colorRead(&gCOLOR_pcolColorTable[CT_LABEL]), &anchor, pFont,
                  (const BYTE*)acMmsi);
}

void T_NAV_vRenderPerspectiveSkipedLeg(ROUTE* pRoute, NAV_VIEW_INFO* pNVI)
{
    if (pRoute == nullptr || pNVI == nullptr)
        return;
    const U32 n = std::min<U32>(pRoute->nCount, ROUTE_MAX_POINTS);
    const U32 nNavigated = std::min<U32>(s_CurrentRoute.nCount, ROUTE_MAX_POINTS);
    bool abSkipped[ROUTE_MAX_POINTS];
    bool abFound[ROUTE_MAX_POINTS];
    POINT apt[ROUTE_MAX_POINTS];
    for (U32 j = 0; j < n; ++j) {
        const U16 id = pRoute->anWaypoint[j];
        abSkipped[j] = std::find(s_CurrentRoute.anWaypoint, s_CurrentRoute.anWaypoint + nNavigated, id) ==
                       s_CurrentRoute.anWaypoint + nNavigated;
        POINT pt{};
        abFound[j] = bWaypointPoint(id, &pt);
        apt[j] = T_NAV_ptRelativeToCenter(pNVI, pt);
    }
    GR_CONTEXT* gc = &pNVI->GrContext;
    gr_SetColor(gc, NAV_PALETTE_TRAVELLED);
    POINT first{};
    if (n > 0 && abSkipped[0] && abFound[0] && nNavigated > 0 && bWaypointPoint(s_CurrentRoute.anWaypoint[0], &first)) {
        POINT line[2] = {T_NAV_ptRelativeToCenter(pNVI, first), apt[0]};
        T_NAV_vRenderPerspectivePolyLineMM(line, 2, pNVI);
    }
    for (U32 j = 1; j < n; ++j)
        if ((abSkipped[j] || abSkipped[j - 1]) && abFound[j] && abFound[j - 1])
            T_NAV_vRenderPerspectivePolyLineMM(&apt[j - 1], 2, pNVI);
    vStandardPen(gc);
}

void T_NAV_vRenderPerspectiveBoat(NAV_VIEW_INFO* pNVI)
{
    if (pNVI == nullptr)
        return;
    POINT B = T_NAV_ptRelativeToCenter(pNVI, pNVI->ptBoatMM);
    if (pNVI->bVuruzaveRender) {
        if (!T_CHART_3D_bIn3DView(&B, 0, pNVI))
            return;
    } else {
        const S64 horizon = std::min<S64>(4 * (S64)pNVI->nEyeOffsetMM, INT32_MAX);
        if (horizon < 0 || !U_NAV_bDistanceLessThanOrEqual(B, (S32)horizon))
            return;
    }
    const S32 E18 = T_CHART_nCalculateHighwayEyeOffsetMM(BOAT_MODEL_SCALE);
    const S32 nScale18 = T_CHART_nCalculateHighwayPixelsPerMMM(BOAT_MODEL_SCALE);
    const S32 d = BOAT_MODEL_SCALE - pNVI->nChartScale;
    if (d >= 0) {
        const S32 s = std::min(d, 31);
        B = {s32Clamp((S64)B.x * ((S64)1 << s)), s32Clamp((S64)B.y * ((S64)1 << s))};
    } else {
        const S32 s = std::min(-d, 31);
        B = {B.x >> s, B.y >> s};
    }
    const float fHeading = std::isfinite(pNVI->fBoatHeading) ? pNVI->fBoatHeading : 0.0f;
    const S32 a = (S32)std::lrintf(std::fmod(fHeading, 360.0f));
    const S64 s = 8 * (S64)U_NAV_nIntSin(a);
    const S64 c = 8 * (S64)U_NAV_nIntCos(a);

    // The model is projected as in a view of scale 18.
    NAV_VIEW_INFO view = *pNVI;
    view.nEyeOffsetMM = E18;
    view.nPixelsPerMMM = nScale18;
    GR_CONTEXT* gc = &pNVI->GrContext;
    if (pNVI->bVuruzaveRender) {
        T_CHART_3D_VIEW* p3D = T_CHART_3D_pPush3DView();
        if (p3D != nullptr)
            p3D->nEyeOffsetMM = E18;
        T_CHART_3D_vUpdate3DView();
        T_CHART_vSetVuruzaveHighwayViewCustomColor(BOAT_CUSTOM_COLOR);
        gr_SetDrawingTool(gc, BRUSH);
        gr_SetPixelSize(gc, 1);
        gr_SetColor(gc, PALETTE_BOAT_3D);
    } else {
        gr_SetColor(gc, PALETTE_BOAT_HIGHWAY);
    }
    view.GrContext = *gc;

    Walker w(&view);
    for (const auto& v : s_aBoatModel) {
        const S64 x = v[0];
        const S64 y = v[1];
        const POINT p = {s32Clamp(B.x + ((y * s + x * c + 0x8000) >> 16)),
                         s32Clamp(B.y + ((y * c - x * s + 0x8000) >> 16))};
        const S32 alt = (v[2] << 19) >> 16;
        if (v[3] == 0)
            w.moveTo(p, alt);
        else
            w.lineTo(p, alt);
    }
    *gc = view.GrContext;
    if (pNVI->bVuruzaveRender)
        T_CHART_3D_pPop3DView();
    gr_SetDrawingTool(gc, STD_PEN);
    gr_SetPixelSize(gc, 1);
}
