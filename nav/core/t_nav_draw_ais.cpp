// AIS targets and the navigation alarm limits on panes: a target's ship
// symbol turned to its course in 10-degree steps, grey when it has not been
// heard for long and red in a closest-approach alarm, with its course line,
// the lines to both vessels' closest-approach positions and its label; the
// drift circle, the arrival circle and the off-course corridor (see
// t_nav_draw.h).
#include "nav/core/t_nav_draw.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_clock.h"
#include "nav/core/g_nav_overlay_icons.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"
#include "ui/t_info.h"
#include "util/u_convert.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

// Constants ---------------------------------------------------------------------

namespace {

constexpr U32 AIS_GREY_AFTER_S = 659; // silent longer than this: grey
constexpr S32 AIS_LABEL_MAX_SCALE = 17;
constexpr U32 CT_LABEL = 101;
constexpr GL_COLOUR PALETTE_COURSE = 0;
constexpr GL_COLOUR PALETTE_CPA = 9;
constexpr GL_COLOUR PALETTE_LIMITS = 20;
constexpr U32 STEVRIN_ARRIVAL = 16; // trolling-motor colour of the track end's circle
constexpr S32 PIXEL_BOX = 800;
constexpr S32 CPA_BOX_LOW = 0;
constexpr S32 CPA_BOX_HIGH = 1600;
constexpr double KNOTS_TO_MPS = 0.5144444444444445;
constexpr double KNOT_MINUTES_TO_M = 30.866666666666667;
constexpr S32 RING_STEP = 5;
constexpr U32 STEVRIN_MODE_TRACK_1 = 1; // "IPMD" while the motor follows a track
constexpr U32 STEVRIN_MODE_TRACK_2 = 2;

// Ship and cargo types of each class; everything else is unknown.
NAV_AIS_CLASS eClassOf(U8 u8Type)
{
    const U32 t = u8Type;
    if ((t >= 20 && t <= 29) || t == 33 || t == 34 || t == 38 || t == 39 || (t >= 54 && t <= 59))
        return NAV_AIS_DREDGE;
    if ((t >= 40 && t <= 49) || t == 53 || (t >= 70 && t <= 89))
        return NAV_AIS_CARGO;
    if (t == 30 || t == 37 || (t >= 60 && t <= 69))
        return NAV_AIS_PASSENGER;
    if (t == 50 || t == 52)
        return NAV_AIS_TUG;
    if (t == 35)
        return NAV_AIS_LAW;
    if (t == 31 || t == 32)
        return NAV_AIS_TOW;
    if (t == 36)
        return NAV_AIS_SAIL;
    return NAV_AIS_UNKNOWN;
}

} // namespace

// Static functions -------------------------------------------------------------------

namespace {

S32 s32Clamp(S64 v)
{
    return (S32)std::clamp<S64>(v, INT32_MIN, INT32_MAX);
}

bool bFetchFloat(FOURCHARID key, float* pValue)
{
    return H_DATABASE_bFetchFloat(key, pValue, nullptr, nullptr) != FALSE;
}

bool bFetchU32(FOURCHARID key, U32* pValue)
{
    return H_DATABASE_bFetchU32(key, pValue, nullptr, nullptr) != FALSE;
}

bool bKeyTrue(FOURCHARID key)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, nullptr, nullptr) && b;
}

// Ground metres along a line to pixels on the pane: through Mercator metres
// at the pane centre, limited to twice the half-width L. A radar pane
// scales by its own pixels per metre.
S32 s32LinePixels(const NAV_VIEW_INFO* pNVI, BOOLEAN bRadar, double dMetres, S32 L)
{
    if (!std::isfinite(dMetres))
        return 2 * L > 0 ? 2 * L : 0;
    const S64 m = (S64)std::clamp(dMetres, -2147483648.0, 2147483647.0);
    const S64 f = U_NAV_u16ScalingMMPerKm(pNVI->ptCenterMM.y);
    S64 len;
    if (bRadar)
        len = (S64)((double)(m * f / 1024) * pNVI->fPixelsPerMM);
    else
        len = ((((S64)pNVI->nPixelsPerMMM * m + 512) >> 10) * f + 0x80000) >> 20;
    const S64 limit = 2 * (S64)L;
    return (S32)(len < 0 || len > limit ? limit : len);
}

// A line of len pixels from p along whole-degree angle a, both ends clipped
// to the pixel box lo .. hi; the end in *pEnd.
void vLineAlong(GR_CONTEXT* gc, POINT p, S32 a, S32 len, S32 lo, S32 hi, POINT* pEnd)
{
    POINT start = p;
    POINT end = {s32Clamp(p.x + (((S64)len * U_NAV_nIntSin(a) + 0x8000) >> 16)),
                 s32Clamp(p.y + (((S64)len * U_NAV_nIntCos(a) + 0x8000) >> 16))};
    U_NAV_vClipLineToBox(&start, &end, lo, hi);
    gr_SetAbsPenPos(gc, start.x, start.y);
    gr_DrawAbsLine(gc, end.x, end.y);
    *pEnd = end;
}

void vIconCentred(BITMAP* pBitmap, const ICON* pIcon, POINT at)
{
    const POINT corner = {at.x - (S32)G_ICON_u32GetWidth(pIcon) / 2, at.y - (S32)G_ICON_u32GetHeight(pIcon) / 2};
    G_ICON_vPut(pBitmap, pIcon, &corner);
}

// Degrees on the screen: a chart turned by its rotation.
double dScreenDegrees(double dTrue, S32 nChartRotation)
{
    if (nChartRotation == 0)
        return dTrue;
    return std::fmod(dTrue + 360.0 - nChartRotation, 360.0);
}

} // namespace

// AIS --------------------------------------------------------------------------------

NAV_AIS_VARIANT T_NAV_eAisVariant(const ais_DeviceInfo* pAisInfo)
{
    if (pAisInfo->bAisAlarmActive)
        return NAV_AIS_RED;
    U32 u32Now = 0;
    BOOLEAN bValid = FALSE;
    if (H_DATABASE_bFetchU32(FCID("IDTM"), &u32Now, &bValid, nullptr) && bValid &&
        H_TICK_u32ElapsedTime((U32)pAisInfo->ReceiveLastTime, u32Now) > AIS_GREY_AFTER_S)
        return NAV_AIS_GREY;
    return NAV_AIS_NORMAL;
}

NAV_AIS_CLASS T_NAV_eAisClass(U8 u8ShipType)
{
    return eClassOf(u8ShipType);
}

void T_NAV_vRenderAIS(ais_DeviceInfo* pAisInfo, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pAisInfo == nullptr || pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    const S32 L = T_NAV_nClipHalfWidth(pNVI, bRadar);
    if (L <= 0)
        return;
    const aisTargetINFO& info = pAisInfo->aisInfo;
    const NAV_AIS_VARIANT eVariant = T_NAV_eAisVariant(pAisInfo);
    const NAV_AIS_CLASS eClass = eClassOf(info.ShipType);

    const POSITION pos = {info.Latitude, info.Longitude};
    POINT pt{};
    if (nv_DegrToMeter(&pos, &pt) != NV_OK)
        return;
    POINT p = T_NAV_ptRelativeToCenter(pNVI, pt);
    if (!T_NAV_bInsideClipBox(&p, L))
        return;
    T_NAV_vConvertToPixel(pNVI, &p, bRadar);
    const S32 x = p.x;
    const S32 y = p.y;

    float fSog = 0.0f;
    const double S = bFetchFloat(FCID("ISOG"), &fSog) ? dConvertFromInternal(fSog, D_SPEED, U_KNOTS) : 0.0;

    GR_CONTEXT* gc = &pNVI->GrContext;
    BITMAP* pBitmap = pNVI->pBitmap;
    S32 nDrawnWidth = 0;
    // A course that is not a number is no course.
    if (info.validityFlag[COG_FLAG_INDEX] && std::isfinite(info.Cog)) {
        const double c = dScreenDegrees(info.Cog, pNVI->nChartRotation);
        double m = std::fmod(c + 365.0, 360.0);
        if (m < 0.0)
            m += 360.0;
        const S32 n = std::clamp((S32)(m * 0.1), 0, 35);
        const ICON* pIcon = G_NAV_pAisShipIcon(eClass, eVariant, (U32)(n % 9));
        const S32 w = (S32)G_ICON_u32GetWidth(pIcon);
        const S32 h = (S32)G_ICON_u32GetHeight(pIcon);
        const S32 turn = n / 9;
        const POINT corners[4] = {{x + 1 - w / 2, y - h / 2},
                                  {x - h / 2, y + w / 2 - 1},
                                  {x + w / 2 - 1, y + h / 2},
                                  {x + h / 2 - 1, y - w / 2}};
        G_ICON_vPutRotated(pBitmap, pIcon, &corners[turn], (G_ICON_ROTATION)turn);
        nDrawnWidth = turn % 2 == 0 ? w : h;

        // Course line.
        const S32 a = (S32)std::lrint(c);
        S32 stcl = 0;
        H_DATABASE_bFetchS32(FCID("STCL"), &stcl, nullptr, nullptr);
        const S32 len = stcl != 0 ? s32LinePixels(pNVI, bRadar, (double)(S64)(info.Sog * KNOTS_TO_MPS * stcl), L) : 0;
        gr_SetDrawingTool(gc, STD_PEN);
        gr_SetPixelSize(gc, 1);
        gr_SetColor(gc, PALETTE_COURSE);
        POINT end{};
        vLineAlong(gc, p, a, len, -PIXEL_BOX, PIXEL_BOX, &end);
        vIconCentred(pBitmap, &AIS_circle, end);

        if (pAisInfo->bAisAlarmActive) {
            gr_SetColor(gc, PALETTE_CPA);
            const double tcpa = std::isfinite(info.TCPA) ? info.TCPA : 0.0;
            const S32 target = tcpa > 0.0 ? s32LinePixels(pNVI, bRadar, tcpa * info.Sog * KNOT_MINUTES_TO_M, L) : 0;
            vLineAlong(gc, p, a, target, CPA_BOX_LOW, CPA_BOX_HIGH, &end);
            vIconCentred(pBitmap, &red_x_icon, end);

            POINT boat = T_NAV_ptRelativeToCenter(pNVI, pNVI->ptBoatMM);
            if (T_NAV_bInsideClipBox(&boat, L)) {
                T_NAV_vConvertToPixel(pNVI, &boat, bRadar);
                const S32 hdg = (S32)std::lrint(dScreenDegrees(std::isfinite(pNVI->fBoatHeading) ? pNVI->fBoatHeading
                                                                                                   : 0.0,
                                                               pNVI->nChartRotation));
                const S32 own = tcpa > 0.0 && S >= 0.25 ? s32LinePixels(pNVI, bRadar, tcpa * S * KNOT_MINUTES_TO_M, L)
                                                        : 0;
                vLineAlong(gc, boat, hdg, own, CPA_BOX_LOW, CPA_BOX_HIGH, &end);
                vIconCentred(pBitmap, &red_x_icon, end);
            }
        }
    } else {
        const ICON* pIcon = G_NAV_pAisShipIcon(eClass, eVariant, 0);
        const S32 w = (S32)G_ICON_u32GetWidth(pIcon);
        const POINT corner = {x - w / 2 - 1, y - (S32)G_ICON_u32GetHeight(pIcon) / 2};
        G_ICON_vPut(pBitmap, pIcon, &corner);
        nDrawnWidth = w;
    }

    if (bKeyTrue(FCID("SLBL")) && pNVI->nChartScale <= AIS_LABEL_MAX_SCALE) {
        char acMmsi[16];
        snprintf(acMmsi, sizeof acMmsi, "%ld", (long)info.MMSI);
        POINT anchor = {x + nDrawnWidth / 2 + 1, y - 7};
        G_STRING_vPut(pBitmap, COLOR_colorRead(&gCOLOR_pcolColorTable[CT_LABEL]), &anchor,
                      std_11x14_font_def_ptr.load(), (const BYTE*)acMmsi);
    }
}

// Alarm limits ---------------------------------------------------------------------------

namespace {

// The rings and corridor sides of one frame: the pane's scale after the
// high-zoom shift, its box, and the ground-to-Mercator factor.
struct Limits {
    NAV_VIEW_INFO* pNVI;
    BOOLEAN bRadar;
    bool bSweep; // a 360-sonar pane: ring points in floating point
    S32 shift;
    S32 nScale;
    S64 L; // shifted
    S64 f;
};

POINT ptPixelOf(const Limits& k, S64 x, S64 y)
{
    POINT p = {s32Clamp(x), s32Clamp(y)};
    if (k.bRadar)
        U_NAV_vConvertMMToRadarPixel(&p, &k.pNVI->RotContext, &k.pNVI->CenterOffset, k.pNVI->fPixelsPerMM);
    else
        U_NAV_vConvertMMToPixel(&p, &k.pNVI->RotContext, &k.pNVI->CenterOffset, k.nScale);
    return p;
}

bool bInside(const Limits& k, S64 x, S64 y)
{
    return x >= -k.L && x <= k.L && y >= -k.L && y <= k.L;
}

// Metres on the ground to shifted Mercator metres at the pane centre.
S64 s64Radius(const Limits& k, float fMetres)
{
    if (!std::isfinite(fMetres) || fMetres <= 0.0f)
        return 0;
    const S64 m = (S64)std::min(fMetres, 1.0e9f);
    return (m * k.f / 1024) << k.shift;
}

// A ring of 73 points around an absolute centre, joined while inside the
// box and broken where a point lies outside; from a0 to a1 degrees.
void vRing(const Limits& k, POINT centreMM, S64 r, S32 a0, S32 a1)
{
    const POINT rel = T_NAV_ptRelativeToCenter(k.pNVI, centreMM);
    const S64 cx = (S64)rel.x << k.shift;
    const S64 cy = (S64)rel.y << k.shift;
    GR_CONTEXT* gc = &k.pNVI->GrContext;
    bool bPen = false;
    for (S32 a = a0; a <= a1; a += RING_STEP) {
        const S64 x = cx + ((r * U_NAV_nIntSin(a)) >> 16);
        const S64 y = cy + ((r * U_NAV_nIntCos(a)) >> 16);
        if (!bInside(k, x, y)) {
            bPen = false;
            continue;
        }
        POINT p;
        if (k.bSweep) {
            const double fp = k.pNVI->fPixelsPerMM;
            const double rad = a * 3.14159265358979323846 / 180.0;
            POINT q = {(S32)std::lrint(cx * fp + (double)r * fp * std::sin(rad)),
                       (S32)std::lrint(cy * fp + (double)r * fp * std::cos(rad))};
            U_NAV_vConvertMMToRadarPixel(&q, &k.pNVI->RotContext, &k.pNVI->CenterOffset, 1.0f);
            p = q;
        } else {
            p = ptPixelOf(k, x, y);
        }
        if (bPen)
            gr_DrawAbsLine(gc, p.x, p.y);
        else
            gr_SetAbsPenPos(gc, p.x, p.y);
        bPen = true;
    }
}

void vCorridorSide(const Limits& k, POINT startMM, POINT endMM, S64 r, S32 a)
{
    const POINT s = T_NAV_ptRelativeToCenter(k.pNVI, startMM);
    const POINT e = T_NAV_ptRelativeToCenter(k.pNVI, endMM);
    const S64 dx = (r * U_NAV_nIntSin(a)) >> 16;
    const S64 dy = (r * U_NAV_nIntCos(a)) >> 16;
    POINT p0 = {s32Clamp(((S64)s.x << k.shift) + dx), s32Clamp(((S64)s.y << k.shift) + dy)};
    POINT p1 = {s32Clamp(((S64)e.x << k.shift) + dx), s32Clamp(((S64)e.y << k.shift) + dy)};
    const S32 L = (S32)std::min<S64>(k.L, INT32_MAX);
    U_NAV_vClipLineToBox(&p0, &p1, -L, L);
    if (!bInside(k, p0.x, p0.y) || !bInside(k, p1.x, p1.y))
        return;
    const POINT a0 = ptPixelOf(k, p0.x, p0.y);
    const POINT a1 = ptPixelOf(k, p1.x, p1.y);
    gr_SetAbsPenPos(&k.pNVI->GrContext, a0.x, a0.y);
    gr_DrawAbsLine(&k.pNVI->GrContext, a1.x, a1.y);
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

} // namespace

void T_NAV_vRenderAlarmLimits(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pNVI == nullptr)
        return;
    const S32 L = T_NAV_nClipHalfWidth(pNVI, bRadar);
    if (L <= 0)
        return;
    Limits k{};
    k.pNVI = pNVI;
    k.bRadar = bRadar;
    k.bSweep = bRadar && T_INFO_bIsMssSplit();
    k.shift = bRadar ? 0 : T_NAV_nHighZoomShift(pNVI->nPixelsPerMMM);
    k.nScale = pNVI->nPixelsPerMMM >> k.shift;
    k.L = (S64)L << k.shift;
    k.f = U_NAV_u16ScalingMMPerKm(pNVI->ptCenterMM.y);

    GR_CONTEXT* gc = &pNVI->GrContext;
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);
    gr_SetColor(gc, PALETTE_LIMITS);

    // Drift circle.
    float fDrift = 0.0f;
    S32 s32DriftY = 0;
    S32 s32DriftX = 0;
    if (bFetchFloat(FCID("CNDA"), &fDrift) && fDrift > 0.0f &&
        H_DATABASE_bFetchS32(FCID("IDLT"), &s32DriftY, nullptr, nullptr) &&
        H_DATABASE_bFetchS32(FCID("IDLN"), &s32DriftX, nullptr, nullptr))
        vRing(k, POINT{s32DriftX, s32DriftY}, s64Radius(k, fDrift), 0, 360);

    U32 u32Target = 0;
    bFetchU32(FCID("INIP"), &u32Target);
    const bool bStevrin = bKeyTrue(FCID("IPNO"));
    U32 u32Mode = 0;
    const bool bTrackMode = bStevrin && bFetchU32(FCID("IPMD"), &u32Mode) &&
                            (u32Mode == STEVRIN_MODE_TRACK_1 || u32Mode == STEVRIN_MODE_TRACK_2);
    float fOffCourse = 0.0f;
    float fArrival = 0.0f;
    const bool bLimits = bStevrin ? bFetchFloat(FCID("SIOC"), &fOffCourse) && bFetchFloat(FCID("SIAA"), &fArrival)
                                  : bFetchFloat(FCID("SNAO"), &fOffCourse) && bFetchFloat(FCID("SNAA"), &fArrival);
    const bool bArrived = bKeyTrue(FCID("CCNC"));

    if (s_u16MOBWaypoint == NAV_NO_MOB_WAYPOINT && bLimits && (u32Target != 0 || bTrackMode)) {
        // Arrival circle.
        POINT dest{};
        bool bDest = false;
        bool bStevrinColour = false;
        if (bTrackMode) {
            T_STEVRIN_vGetRumbrelEndPt(&dest);
            bDest = true;
            bStevrinColour = true;
        } else if (bStevrin) {
            const U32 n = std::min<U32>(s_CurrentRoute.nCount, ROUTE_MAX_POINTS);
            bDest = n > 0 && u32Target == n - 1 && bRoutePoint(u32Target, &dest);
            bStevrinColour = true;
        } else {
            bDest = bRoutePoint(u32Target, &dest);
        }
        if (!bArrived && fArrival != 0.0f && bDest) {
            if (bStevrinColour)
                gc->colour = COLOR_vGetStevrinColorDef(STEVRIN_ARRIVAL);
            vRing(k, dest, s64Radius(k, fArrival), 0, 360);
            gr_SetColor(gc, PALETTE_LIMITS);
        }

        // Off-course corridor along the active leg.
        POINT start{};
        POINT end{};
        if (fOffCourse != 0.0f && !bArrived && !bStevrin && u32Target > 0 && bRoutePoint(u32Target - 1, &start) &&
            bRoutePoint(u32Target, &end)) {
            if (s_bRecalculate)
                start = s_ptRecalculateOrigin;
            const S64 r = s64Radius(k, fOffCourse);
            float fTrack = 0.0f;
            bFetchFloat(FCID("ITRK"), &fTrack);
            const S32 kDeg = std::isfinite(fTrack) ? (S32)std::clamp(fTrack, -1.0e6f, 1.0e6f) : 0;
            vRing(k, end, r, kDeg - 90, kDeg + 90);
            vRing(k, start, r, kDeg + 90, kDeg + 270);
            vCorridorSide(k, start, end, r, kDeg - 90);
            vCorridorSide(k, start, end, r, kDeg + 90);
        }
    }
    gr_SetDrawingTool(gc, STD_PEN);
    gr_SetPixelSize(gc, 1);
}
