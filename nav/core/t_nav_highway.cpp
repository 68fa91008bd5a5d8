// The perspective ("highway") pane's compass strip and navigation overlay
// (see t_nav_overlay.h).
//
// Points are offsets from the view centre (x wrapped), tested against the
// visible part of the view and projected with the pane's own projection,
// or with the 3D chart task's when bVuruzaveRender is set. Rings and
// circles are sampled every 5 degrees; at close scales their lengths are
// shifted up and the scale down before projecting, so that sub-metre
// positions keep their precision.
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_overlay_util.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "nav/core/draw_standins.h"
#include "nav/core/g_nav_boat_icons.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_scale_bar.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/u_nav.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/core/u_nav_position.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_scan.h"
#include "nav/data/t_nav_twr_track.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 NO_ITEM = 0xFFFF;
constexpr U32 CT_COMPASS_LABEL = 32;
constexpr U32 CT_PIN_NAME = 98;
constexpr U32 CT_PIN_NAME_TEMPORARY = 99;
constexpr GL_COLOUR PALETTE_RINGS = 23;
constexpr GL_COLOUR PALETTE_LIMITS = 20;
constexpr GL_COLOUR PALETTE_TRAVELLED = 7;
constexpr GL_COLOUR PALETTE_ACTIVE_LEG = 10;
constexpr GL_COLOUR PALETTE_AHEAD = 21;
constexpr U32 STEVRIN_ACTIVE_LEG = 19;
constexpr U32 STEVRIN_ARRIVAL = 16;
constexpr U32 STEVRIN_MODE_TRACK_1 = 1;
constexpr U32 STEVRIN_MODE_TRACK_2 = 2;
constexpr S32 RING_STEP = 5;
constexpr S32 POST_STEP = 5;
constexpr S32 POSTS_LEFT_OF_HEADING = 40;
constexpr S32 LABEL_EVERY = 15;
constexpr S32 GRID_HALF_LINES = 3;
constexpr S32 HIGH_ZOOM_SCALE = 0xFFFF;
constexpr U32 PALETTE1 = 1;
constexpr S32 RING_POINTS = 360 / RING_STEP + 1;

} // namespace

using namespace t_nav_overlay_util;

// Static functions ------------------------------------------------------------------

namespace {

S32 s32Clamp(S64 v)
{
    return (S32)std::clamp<S64>(v, INT32_MIN, INT32_MAX);
}

COLOR colorEntry(U32 u32Index)
{
    return COLOR_colorRead(&gCOLOR_pcolColorTable[u32Index]);
}

POINT ptProject(NAV_VIEW_INFO* pNVI, POINT p)
{
    if (pNVI->bVuruzaveRender)
        T_CHART_3D_vProjectPoint(&p, 0, &pNVI->ptOffsetCenterMM, &pNVI->ptDataOrigin, nullptr);
    else
        U_NAV_vConvertMMToHighwayViewPixel(&p, 0, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->nPixelsPerMMM,
                                           pNVI->nEyeOffsetMM);
    return p;
}

// Clipped to the view, projected and drawn with the context's settings;
// nothing when no part is visible.
void vClippedLine(NAV_VIEW_INFO* pNVI, POINT p0, POINT p1)
{
    const bool bVisible = pNVI->bVuruzaveRender
                              ? T_CHART_3D_bClipLineTo3DView(&p0, &p1, &pNVI->RotContext, pNVI) != FALSE
                              : U_NAV_bClipLineToHighwayView(&p0, &p1, &pNVI->RotContext, pNVI->nEyeOffsetMM) != FALSE;
    if (!bVisible)
        return;
    const POINT a = ptProject(pNVI, p0);
    const POINT b = ptProject(pNVI, p1);
    gr_SetAbsPenPos(&pNVI->GrContext, a.x, a.y);
    gr_DrawAbsLine(&pNVI->GrContext, b.x, b.y);
}

// The pane's scale taken down and its lengths up by 2^shift for the time
// of a ring; the destructor puts them back.
class HighZoom {
public:
    HighZoom(NAV_VIEW_INFO* pNVI, S32 nMaxShift = 31) : pNVI_(pNVI), scale_(pNVI->nPixelsPerMMM),
                                                       eye_(pNVI->nEyeOffsetMM), horizon_(pNVI->nHorizonMM)
    {
        if (!pNVI->bVuruzaveRender && scale_ > HIGH_ZOOM_SCALE)
            shift = std::clamp<S32>(U_NAV_nIntLog2(scale_) - 15, 0, std::max<S32>(nMaxShift, 0));
        pNVI->nPixelsPerMMM = scale_ >> shift;
        pNVI->nEyeOffsetMM = s32Clamp((S64)eye_ << shift);
        pNVI->nHorizonMM = s32Clamp((S64)horizon_ << shift);
    }
    ~HighZoom()
    {
        pNVI_->nPixelsPerMMM = scale_;
        pNVI_->nEyeOffsetMM = eye_;
        pNVI_->nHorizonMM = horizon_;
    }
    HighZoom(const HighZoom&) = delete;
    HighZoom& operator=(const HighZoom&) = delete;

    S32 shift = 0;

private:
    NAV_VIEW_INFO* pNVI_;
    S32 scale_;
    S32 eye_;
    S32 horizon_;
};

// An arc from a0 to a1 degrees around a relative centre, through the
// perspective polyline's segment rule.
void vArc(NAV_VIEW_INFO* pNVI, POINT centre, S64 r, S32 a0, S32 a1, S32 shift)
{
    POINT apt[RING_POINTS];
    S32 n = 0;
    const S64 cx = (S64)centre.x << shift;
    const S64 cy = (S64)centre.y << shift;
    const S64 rs = r << shift;
    for (S32 a = a0; a <= a1 && n < RING_POINTS; a += RING_STEP)
        apt[n++] = {s32Clamp(cx + ((rs * U_NAV_nIntSin(a) + 0x8000) >> 16)),
                    s32Clamp(cy + ((rs * U_NAV_nIntCos(a) + 0x8000) >> 16))};
    g_tNavOverlayRenderers.pfnRenderPerspectivePolyLineMM(apt, n, pNVI);
}

WAYPOINT* pKeyedWaypoint(const char (&key)[5])
{
    U32 u32Id = NO_ITEM;
    if (!bKeyU32(key, &u32Id) || (u32Id & 0xFFFF) == NO_ITEM)
        return nullptr;
    WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(u32Id & 0xFFFF);
    return pWaypoint != nullptr && pWaypoint->u8Status != WP_STATUS_FREE ? pWaypoint : nullptr;
}

// The unit of target rings and grid lines: the scale bar's first mark in
// Mercator metres, halved in the 3D chart task's pane.
S32 nRingUnit(NAV_VIEW_INFO* pNVI)
{
    const SCALE_BAR_LENGTHS* pRow = T_NAV_pGetScaleBarLengths(pNVI->nChartScale);
    if (pRow == nullptr)
        return 0;
    S32 u = s32Clamp(((S64)U_NAV_u16ScalingMMPerKm(pNVI->ptCenterMM.y) * pRow->nMeters) >> 10);
    if (pNVI->bVuruzaveRender)
        u /= 2;
    return u;
}

void vBrush(NAV_VIEW_INFO* pNVI, GL_COLOUR colour, S32 nSize)
{
    gr_SetColor(&pNVI->GrContext, colour);
    gr_SetDrawingTool(&pNVI->GrContext, BRUSH);
    gr_SetPixelSize(&pNVI->GrContext, nSize);
}

void vPen(NAV_VIEW_INFO* pNVI)
{
    gr_SetDrawingTool(&pNVI->GrContext, STD_PEN);
    gr_SetPixelSize(&pNVI->GrContext, 1);
}

void vRenderTargetRings(NAV_VIEW_INFO* pNVI)
{
    const WAYPOINT* pWaypoint = pKeyedWaypoint("ITWP");
    const S32 u = nRingUnit(pNVI);
    if (pWaypoint == nullptr || u <= 0)
        return;
    const POINT centre = T_NAV_ptRelativeToCenter(pNVI, pWaypoint->pt);
    vBrush(pNVI, PALETTE_RINGS, 2);
    HighZoom k(pNVI);
    for (S32 i = 1; i <= 3; ++i)
        vArc(pNVI, centre, (S64)i * u, 0, 360, k.shift);
}

void vRenderGrid(NAV_VIEW_INFO* pNVI)
{
    const WAYPOINT* pWaypoint = pKeyedWaypoint("IGWP");
    float fAngle = 0.0f;
    const S32 u = nRingUnit(pNVI);
    if (pWaypoint == nullptr || !bKeyFloat("SNGA", &fAngle) || u <= 0)
        return;
    GP_ROTCONTEXT rc;
    gr_ResetRotationContext(&rc);
    gr_SetRotationAngle(&rc, fAngle);
    const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pWaypoint->pt);
    const auto place = [&](S64 x, S64 y) {
        POINT p = {s32Clamp(x), s32Clamp(y)};
        U_NAV_vRotatePoint(&rc, &p, &p);
        return POINT{s32Clamp((S64)p.x + rel.x), s32Clamp((S64)p.y + rel.y)};
    };
    vBrush(pNVI, PALETTE_RINGS, 2);
    const S64 e = (S64)GRID_HALF_LINES * u;
    for (S32 i = -GRID_HALF_LINES; i <= GRID_HALF_LINES; ++i) {
        vClippedLine(pNVI, place(-e, (S64)i * u), place(e, (S64)i * u));
        vClippedLine(pNVI, place((S64)i * u, -e), place((S64)i * u, e));
    }
}

// The limit's radius in Mercator metres.
S64 s64LimitRadius(NAV_VIEW_INFO* pNVI, float fLimit)
{
    const S64 n = (S64)std::clamp(fLimit, -1.0e9f, 1.0e9f);
    return (S64)U_NAV_u16ScalingMMPerKm(pNVI->ptCenterMM.y) * n / 1024;
}

bool bRoutePoint(U32 u32Index, POINT* pPoint)
{
    if (u32Index >= std::min<U32>(s_CurrentRoute.nCount, ROUTE_MAX_POINTS))
        return false;
    const WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(s_CurrentRoute.anWaypoint[u32Index]);
    if (pWaypoint == nullptr)
        return false;
    *pPoint = pWaypoint->pt;
    return true;
}

void vRenderLimits(NAV_VIEW_INFO* pNVI)
{
    // The drift circle.
    float fDrift = 0.0f;
    S32 y = 0, x = 0;
    if (bKeyFloat("CNDA", &fDrift) && fDrift > 0.0f && bKeyS32("IDLT", &y) && bKeyS32("IDLN", &x)) {
        const S64 r = s64LimitRadius(pNVI, (float)(S32)fDrift);
        vBrush(pNVI, PALETTE_LIMITS, 2);
        // The shifted radius keeps 15 bits.
        HighZoom k(pNVI, 15 - (U_NAV_nIntLog2_S64(std::max<S64>(r, 1)) + 1));
        vArc(pNVI, T_NAV_ptRelativeToCenter(pNVI, POINT{x, y}), r, 0, 360, k.shift);
    }

    const bool bStevrin = bKeyTrue("IPNO");
    U32 u32Mode = 0;
    const bool bTrackMode =
        bStevrin && bKeyU32("IPMD", &u32Mode) && (u32Mode == STEVRIN_MODE_TRACK_1 || u32Mode == STEVRIN_MODE_TRACK_2);
    float fOffCourse = 0.0f;
    float fArrival = 0.0f;
    const bool bLimits = bStevrin ? bKeyFloat("SIOC", &fOffCourse) && bKeyFloat("SIAA", &fArrival)
                                  : bKeyFloat("SNAO", &fOffCourse) && bKeyFloat("SNAA", &fArrival);
    U32 u32Target = 0;
    (void)bKeyU32("INIP", &u32Target);
    if (s_u16MOBWaypoint != NAV_NO_MOB_WAYPOINT || !bLimits || (u32Target == 0 && !bTrackMode))
        return;
    const bool bArrived = bKeyTrue("CCNC");
    if (bArrived)
        return;

    POINT dest{};
    bool bDest = false;
    if (bTrackMode) {
        T_STEVRIN_vGetRumbrelEndPt(&dest);
        bDest = true;
    } else {
        bDest = bRoutePoint(u32Target, &dest);
    }
    vBrush(pNVI, PALETTE_LIMITS, 2);
    if (bTrackMode)
        pNVI->GrContext.colour = COLOR_vGetStevrinColorDef(STEVRIN_ARRIVAL);

    if ((S32)fArrival != 0 && bDest) {
        const S64 r = s64LimitRadius(pNVI, (float)(S32)fArrival);
        HighZoom k(pNVI);
        vArc(pNVI, T_NAV_ptRelativeToCenter(pNVI, dest), r, 0, 360, k.shift);
    }

    POINT origin{};
    if ((S32)fOffCourse != 0 && bDest && u32Target > 0 && bRoutePoint(u32Target - 1, &origin)) {
        if (s_bRecalculate)
            origin = s_ptRecalculateOrigin;
        float fTrack = 0.0f;
        (void)bKeyFloat("ITRK", &fTrack);
        const S32 t = std::isfinite(fTrack) ? (S32)std::clamp(fTrack, -1.0e6f, 1.0e6f) : 0;
        const S64 r = s64LimitRadius(pNVI, (float)(S32)fOffCourse);
        const POINT o = T_NAV_ptRelativeToCenter(pNVI, origin);
        const POINT d = T_NAV_ptRelativeToCenter(pNVI, dest);
        {
            HighZoom k(pNVI);
            vArc(pNVI, d, r, t - 90, t + 90, k.shift);
            vArc(pNVI, o, r, t + 90, t + 270, k.shift);
        }
        vBrush(pNVI, PALETTE_LIMITS, 2);
        for (S32 b : {t - 90, t + 90}) {
            const S32 dx = s32Clamp((r * U_NAV_nIntSin(b) + 0x8000) >> 16);
            const S32 dy = s32Clamp((r * U_NAV_nIntCos(b) + 0x8000) >> 16);
            vClippedLine(pNVI, {s32Clamp((S64)o.x + dx), s32Clamp((S64)o.y + dy)},
                         {s32Clamp((S64)d.x + dx), s32Clamp((S64)d.y + dy)});
        }
    }
}

void vRenderRoute(NAV_VIEW_INFO* pNVI)
{
    const NAV_OVERLAY_RENDERERS& r = g_tNavOverlayRenderers;
    const U32 n = std::min<U32>(s_CurrentRoute.nCount, ROUTE_MAX_POINTS);
    if (n == 0)
        return;
    if (s_u16MOBWaypoint == NAV_NO_MOB_WAYPOINT && bKeyTrue("CCNC")) {
        POINT last{};
        if (bRoutePoint(n - 1, &last)) {
            vBrush(pNVI, PALETTE_LIMITS, 1);
            vClippedLine(pNVI, T_NAV_ptRelativeToCenter(pNVI, pNVI->ptBoatMM), T_NAV_ptRelativeToCenter(pNVI, last));
        }
        vPen(pNVI);
        return;
    }
    const U32 used = std::min<U32>(s_nRoutePointUsed, NAV_LEG_POINTS);
    if (used == 0)
        return;
    const U32 target = std::min<U32>(s_nRoutePointTarget, used - 1);
    if (s_pCurrentRoute != nullptr)
        r.pfnRenderPerspectiveSkipedLeg(s_pCurrentRoute, pNVI);
    POINT apt[NAV_LEG_POINTS];
    for (U32 i = 0; i < used; ++i)
        apt[i] = T_NAV_ptRelativeToCenter(pNVI, s_ptRoutePoint[i]);
    vBrush(pNVI, PALETTE_TRAVELLED, 2);
    r.pfnRenderPerspectivePolyLineMM(apt, (S32)target + 1, pNVI);
    if (target > 0) {
        vBrush(pNVI, PALETTE_ACTIVE_LEG, 2);
        if (bKeyTrue("IPNE"))
            pNVI->GrContext.colour = COLOR_vGetStevrinColorDef(STEVRIN_ACTIVE_LEG);
        r.pfnRenderPerspectivePolyLineMM(&apt[target - 1], 2, pNVI);
    }
    vBrush(pNVI, PALETTE_AHEAD, 2);
    r.pfnRenderPerspectivePolyLineMM(&apt[target], (S32)(used - target), pNVI);
    vPen(pNVI);
}

void vRenderTracks(NAV_VIEW_INFO* pNVI)
{
    const NAV_OVERLAY_RENDERERS& r = g_tNavOverlayRenderers;
    const S32 nLimit =
        pNVI->bVuruzaveRender ? pNVI->nHorizonMM : s32Clamp(4 * (S64)pNVI->nEyeOffsetMM);
    S32 nIndex = -1;
    TRACK_HEADER* pHeader = nullptr;
    while (T_NAV_bScanVisibleTracks(&pNVI->ptCenterMM, nLimit, &nIndex, &pHeader)) {
        TRACK* pTrack = T_NAV_NVRAM_pLoadTrack(nIndex);
        if (pTrack != nullptr)
            r.pfnRenderPerspectiveTrack(pTrack, pNVI, FALSE, T_NAV_nGetTrackStyle((U32)nIndex),
                                        T_NAV_nGetTrackColor((U32)nIndex));
        T_NAV_NVRAM_vReleaseTrack();
    }
    r.pfnRenderPerspectiveTrack(T_NAV_pGetCurrentTrackPtr(), pNVI, TRUE, u32KeyOr("SNCP", 0), u32KeyOr("SNCC", 0));
}

// Hidden waypoints and local ones outside every visible group show in
// perspective only while temporary.
bool bPerspectiveShowsWaypoint(S32 nIndex, const WAYPOINT* pWaypoint)
{
    const U8 u8Status = pWaypoint->u8Status;
    if (u8Status != WP_STATUS_PERMANENT && u8Status != WP_STATUS_TEMPORARY && u8Status != WP_STATUS_MOB)
        return false;
    if (pWaypoint->bHide)
        return u8Status == WP_STATUS_TEMPORARY;
    if (T_NAV_TWR_bIsLocalWaypoint((U32)nIndex) && !T_NAV_GROUP_bCheckWaypointIsInVisibleGroup((U16)nIndex))
        return u8Status == WP_STATUS_TEMPORARY;
    return true;
}

void vRenderPins(NAV_VIEW_INFO* pNVI)
{
    if (pNVI->pBitmap == nullptr)
        return;
    const ICON* pPin = u32KeyOr("SPAL", 0) == PALETTE1 ? &Wpt_pin_blk_icon : &Wpt_pin_icon;
    const S32 W = (S32)G_ICON_u32GetWidth(pPin);
    const S32 H = (S32)G_ICON_u32GetHeight(pPin);
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    S32 nIndex = -1;
    WAYPOINT* pWaypoint = nullptr;
    while (T_NAV_bScanWaypoints(&nIndex, &pWaypoint, FALSE)) {
        if (pWaypoint == nullptr || !bPerspectiveShowsWaypoint(nIndex, pWaypoint))
            continue;
        const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pWaypoint->pt);
        if (!T_NAV_bPerspectiveInView(pNVI, &rel))
            continue;
        const POINT p = ptProject(pNVI, rel);
        POINT at = {p.x - (W - 1) / 2, p.y};
        G_ICON_vPut(pNVI->pBitmap, pPin, &at);
        char acName[WAYPOINT_NAME_CHARS];
        memcpy(acName, pWaypoint->sName, sizeof acName);
        acName[WAYPOINT_NAME_CHARS - 1] = '\0';
        POINT anchor = {p.x - (S32)T_NAV_EDIT_u32GetWidthWaypointName(pFont, acName) / 2 + 1, p.y + H + 1};
        const COLOR color =
            colorEntry(pWaypoint->u8Status == WP_STATUS_TEMPORARY ? CT_PIN_NAME_TEMPORARY : CT_PIN_NAME);
        T_NAV_EDIT_vRenderWyptRteTrkName(pNVI->pBitmap, color, &anchor, pFont, acName);
    }
}

void vRenderNavRumbrel(NAV_VIEW_INFO* pNVI)
{
    const NAV_OVERLAY_RENDERERS& r = g_tNavOverlayRenderers;
    NavLock lock(RES_NAV_DATA);
    RUMBREL* pRumbrel = s_tNavRumbrelData.pRumbrel;
    if (pRumbrel == nullptr || pRumbrel->nCount == 0)
        return;
    const int last = (int)std::min<U32>(pRumbrel->nCount, RUMBREL_MAX_POINTS) - 1;
    switch (s_tNavRumbrelData.eRumbrelType) {
    case RUMBREL_TYPE_FTC:
        r.pfnRenderPerspectiveRumbrel(pNVI, pRumbrel, 0, last, pRumbrel->u32Color, pRumbrel->u32Style, FALSE, FALSE);
        break;
    case RUMBREL_TYPE_RECORDING:
        r.pfnRenderPerspectiveRumbrel(pNVI, pRumbrel, 0, last, pRumbrel->u32Color, pRumbrel->u32Style, TRUE, FALSE);
        break;
    case RUMBREL_TYPE_REGULAR: {
        const U32 closest = s_tNavRumbrelData.u32ClosestTP;
        const WAYPOINT* pStart =
            s_tNavRumbrelData.u16wpt != NO_ITEM ? T_NAV_pGetWaypoint(s_tNavRumbrelData.u16wpt) : nullptr;
        if (pStart == nullptr || closest == NO_ITEM || closest > (U32)last || U_CHART_GENERIC_bIsPOSMode())
            break;
        r.pfnRenderPerspectiveRumbrel(pNVI, pRumbrel, 0, last, pRumbrel->u32Color, pRumbrel->u32Style, TRUE, TRUE);
        vBrush(pNVI, 0, 2);
        pNVI->GrContext.colour = COLOR_vGetStevrinColorDef(STEVRIN_ACTIVE_LEG);
        POINT leg[2] = {T_NAV_ptRelativeToCenter(pNVI, pStart->pt),
                        T_NAV_ptRelativeToCenter(pNVI, pRumbrel->aTrackPoints[closest])};
        r.pfnRenderPerspectivePolyLineMM(leg, 2, pNVI);
        const int start = s_tNavRumbrelData.bToStart ? 0 : (int)closest;
        const int end = s_tNavRumbrelData.bToStart ? (int)closest : last;
        r.pfnRenderPerspectiveRumbrel(pNVI, pRumbrel, start, end, STEVRIN_ACTIVE_LEG, TRUE, TRUE, TRUE);
        vPen(pNVI);
        break;
    }
    default:
        break;
    }
}

} // namespace

// Public functions ------------------------------------------------------------

void T_NAV_vHighwayCompassPosts(NAV_VIEW_INFO* pNVI, NAV_COMPASS_POST aPosts[NAV_COMPASS_POSTS])
{
    S32 m = 0;
    float fVariation = 0.0f;
    if (u32KeyOr("SUHD", 0) == U_DEG_MAGNETIC && bKeyFloat("IMGV", &fVariation) && std::isfinite(fVariation))
        m = (S32)lrintf(std::clamp(fVariation, -360.0f, 360.0f));
    const S32 h = std::isfinite(pNVI->fHeading) ? (S32)lrintf(std::clamp(pNVI->fHeading, -720.0f, 720.0f)) : 0;
    S32 a = ((h - m) / POST_STEP * POST_STEP + 360 - POSTS_LEFT_OF_HEADING) % 360;
    if (a < 0)
        a += 360;
    const S32 E = pNVI->nEyeOffsetMM;
    for (U32 i = 0; i < NAV_COMPASS_POSTS; ++i, a = (a + POST_STEP) % 360) {
        NAV_COMPASS_POST& post = aPosts[i];
        post = NAV_COMPASS_POST{};
        post.nLabelAngle = a;
        post.nTrueBearing = ((m + a) % 360 + 360) % 360;
        post.bLarge = a % LABEL_EVERY == 0 ? TRUE : FALSE;
        if (post.bLarge) {
            const TEXT_TABLE* pLetter = a == 0 ? &Direction_N : a == 90 ? &Direction_E : a == 180 ? &Direction_S
                                                                   : a == 270 ? &Direction_W
                                                                               : nullptr;
            if (pLetter != nullptr)
                snprintf(post.acLabel, sizeof post.acLabel, "%s", (*pLetter)[nCurrentLanguage()]);
            else
                snprintf(post.acLabel, sizeof post.acLabel, "%03d", (int)a);
        }
        const S32 sn = U_NAV_nIntSin(post.nTrueBearing);
        const S32 cs = U_NAV_nIntCos(post.nTrueBearing);
        POINT p;
        if (pNVI->bVuruzaveRender) {
            p = {s32Clamp(((S64)pNVI->nHorizonMM * sn) >> 16), s32Clamp(((S64)pNVI->nHorizonMM * cs) >> 16)};
            post.bVisible = T_CHART_3D_bIn3DView(&p, 8, pNVI) && T_CHART_3D_bIn3DView(&p, 4, pNVI) ? TRUE : FALSE;
        } else {
            const S32 scale = std::clamp<S32>(pNVI->nChartScale, 0, 40);
            const auto radius = [scale](S32 f) {
                return scale < 22 ? s32Clamp(((S64)4 * f) >> (22 - scale)) : s32Clamp(((S64)4 * f) << (scale - 22));
            };
            p = {radius(sn), radius(cs)};
            POINT t;
            U_NAV_vRotatePoint(&pNVI->RotContext, &p, &t);
            post.bVisible = 2 * (S64)t.x - t.y <= E && 2 * (S64)t.x + t.y >= -(S64)E ? TRUE : FALSE;
        }
        if (post.bVisible)
            post.ptPixel = ptProject(pNVI, p);
    }
}

void T_NAV_vDrawHighwayCompass(NAV_VIEW_INFO* pNVI)
{
    if (pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    NAV_COMPASS_POST aPosts[NAV_COMPASS_POSTS];
    T_NAV_vHighwayCompassPosts(pNVI, aPosts);
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const COLOR color = colorEntry(CT_COMPASS_LABEL);
    for (const NAV_COMPASS_POST& post : aPosts) {
        if (!post.bVisible)
            continue;
        const POINT p = post.ptPixel;
        POINT at = {p.x - 1, p.y};
        if (!post.bLarge) {
            G_ICON_vPut(pNVI->pBitmap, &PostSm_icon, &at);
            continue;
        }
        G_ICON_vPut(pNVI->pBitmap, &PostLrg_icon, &at);
        const S32 w = (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)post.acLabel);
        POINT label = {p.x - 1 - w / 2 + 2, p.y + (S32)G_ICON_u32GetHeight(&PostLrg_icon) + 1};
        G_STRING_vPut(pNVI->pBitmap, color, &label, pFont, (const BYTE*)post.acLabel);
    }
}

void T_NAV_vDrawHighwayOverlay(NAV_VIEW_INFO* pNVI)
{
    if (pNVI == nullptr || (!pNVI->bVuruzaveRender && (pNVI->nPixelsPerMMM <= 0 || pNVI->nEyeOffsetMM <= 0)))
        return;
    {
        NavLock lock(RES_NAV_DATA);
        vRenderTargetRings(pNVI);
        vRenderGrid(pNVI);
        vRenderLimits(pNVI);
        vPen(pNVI);
        vRenderRoute(pNVI);
        vRenderTracks(pNVI);
        vRenderPins(pNVI);
        if (bKeyTrue("SAIS")) {
            NavLock ais(RES_AIS_TARGETS);
            ais_DeviceInfo* pTarget = nullptr;
            for (S32 i = 0; T_NMEA_bScanAisPoints(i, &pTarget); ++i)
                g_tNavOverlayRenderers.pfnRenderPerspectiveAis(pTarget, pNVI);
        }
        vRenderNavRumbrel(pNVI);
        vPen(pNVI);
    }
    g_tNavOverlayRenderers.pfnRenderPerspectiveBoat(pNVI);
}
