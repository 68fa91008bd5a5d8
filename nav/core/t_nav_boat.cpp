// The own boat on a 2D chart pane (see t_nav_overlay.h): the boat icon in
// one of three sizes turned to the heading, or the stationary icon, the
// course projection the user chose, the compass heading line, the
// trolling-motor autopilot lines and the line from the boat to the cursor.
//
// A boat without a heading sensor has no meaningful heading below walking
// pace, so it shows the stationary icon and no projection; a compass
// receiver's heading holds at any speed and turns the icon.
#include "nav/core/t_nav_overlay.h"

#include "chart_sdk/geodesy/nv_calc.h"
#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "nav/core/draw_standins.h"
#include "nav/core/g_nav_boat_icons.h"
#include "nav/core/t_nav_scale_bar.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/u_nav_geometry.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// Constants ---------------------------------------------------------------

namespace {

constexpr GL_COLOUR PALETTE_CURSOR_LINE = 21;
constexpr GL_COLOUR PALETTE_ARROW = 7;
constexpr GL_COLOUR PALETTE_PROJECTION = 0;
constexpr U32 CT_MARKER_TEXT = 37;
constexpr U32 CT_MARKER_TICK = 32;
constexpr COLOR HEADING_LINE_COLOR = 0x9192;
constexpr U32 AP_COLOR_NEW = 8;
constexpr U32 AP_COLOR = 20;
constexpr S32 SMALL_ABOVE_SCALE = 21;
constexpr S32 LARGE_BELOW_SCALE = 14;
constexpr S32 SCREEN_WIDTH = 800;
constexpr S32 SCREEN_HEIGHT = 600;
constexpr S32 MARKERS = 5;
constexpr float MINUTES_IN_A_DAY_LIMIT = 1400.0f;
constexpr double STATUTE_TO_NAUTICAL = 0.86897624190065;
constexpr float FEET_PER_MILE = 5280.0f;
constexpr float METRES_PER_FOOT = 0.3048f;
constexpr float FEET_STEP_LIMIT = 0.5f; // statute miles: smaller steps label in feet or metres
constexpr double PI = 3.14159265358979323846;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Marker_Minutes = ALL_LANGUAGES("min");
TEXT_TABLE Marker_Over_A_Day = ALL_LANGUAGES(">1 Day");
TEXT_TABLE Marker_Unknown_Unit = ALL_LANGUAGES("Unknown");
#undef ALL_LANGUAGES

} // namespace

const float s_cfDistanceTable[NAV_DISTANCE_STEPS] = {
    0.0f,         0.0f,         0.0f,        0.0f,         0.0f,   0.0f,  0.0f,   0.0f,   0.0028409091f,
    0.0056818184f, 0.011363637f, 0.030303031f, 0.0625f,      0.13712122f, 0.29356059f, 0.5f, 1.0f, 2.0f,
    4.0f,         8.0f,         15.0f,       30.0f,        60.0f,  130.0f, 215.0f, 500.0f,
};

// Static functions ------------------------------------------------------------------

namespace {

bool bKeyU32(const char (&key)[5], U32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(FCID(key), pValue, &bValid, nullptr) && bValid;
}

bool bKeyFloat(const char (&key)[5], float* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(FCID(key), pValue, &bValid, nullptr) && bValid;
}

U32 u32KeyOr(const char (&key)[5], U32 u32Default)
{
    U32 v = 0;
    return bKeyU32(key, &v) ? v : u32Default;
}

COLOR colorEntry(U32 u32Index)
{
    return COLOR_colorRead(&gCOLOR_pcolColorTable[u32Index]);
}

const char* pcText(const TEXT_TABLE& text)
{
    return text[nCurrentLanguage()];
}

const FONT_DEF* pFont(void)
{
    return std_11x14_font_def_ptr.load();
}

// ((f * v + 0x8000) >> 16) of a 16.16 factor f.
S32 nScale16(S32 f, S64 v)
{
    return (S32)(((S64)f * v + 0x8000) >> 16);
}

void vLine(GR_CONTEXT* gc, POINT a, POINT b)
{
    gr_SetAbsPenPos(gc, a.x, a.y);
    gr_DrawAbsLine(gc, b.x, b.y);
}

void vPolyline(GR_CONTEXT* gc, const POINT* apt, S32 n)
{
    gr_SetAbsPenPos(gc, apt[0].x, apt[0].y);
    for (S32 i = 1; i < n; ++i)
        gr_DrawAbsLine(gc, apt[i].x, apt[i].y);
}

void vText(NAV_VIEW_INFO* pNVI, POINT at, const char* pc)
{
    G_STRING_vPut(pNVI->pBitmap, colorEntry(CT_MARKER_TEXT), &at, pFont(), (const BYTE*)pc);
}

S32 nTextWidth(const char* pc)
{
    return (S32)G_STRING_u32GetWidth(pFont(), (const BYTE*)pc);
}

const ICON* const* ppBoatIcons(S32 nChartScale)
{
    if (nChartScale > SMALL_ABOVE_SCALE)
        return g_NAV_BoatIconsSmall;
    if (nChartScale < LARGE_BELOW_SCALE)
        return g_NAV_BoatIcons;
    return g_NAV_BoatIconsMedium;
}

// The off-screen test of the markers: the heading must point between the
// bearings toward two corners of the view.
bool bHeadingTowardView(const NAV_VIEW_INFO* pNVI)
{
    const float h = pNVI->fBoatHeading;
    const S32 cx = pNVI->ptCenterMM.x;
    const S32 cy = pNVI->ptCenterMM.y;
    const S32 dx = (S32)((S64)400 * pNVI->nPixelsPerMMM / 1000);
    const S32 dy = (S32)((S64)300 * pNVI->nPixelsPerMMM / 1000);
    POINT p1, p2;
    if (h <= 90.0f) {
        p1 = {cx - dx, cy + dy};
        p2 = {cx + dx, cy - dy};
    } else if (h <= 180.0f) {
        p1 = {cx + dx, cy + dy};
        p2 = {cx - dx, cy - dy};
    } else if (h < 270.0f) {
        p1 = {cx + dx, cy - dy};
        p2 = {cx - dx, cy + dy};
    } else {
        p1 = {cx - dx, cy - dy};
        p2 = {cx + dx, cy + dy};
    }
    double a1 = 0.0, a2 = 0.0;
    nv_RouteAngle(&pNVI->ptBoatMM, &p1, &a1);
    nv_RouteAngle(&pNVI->ptBoatMM, &p2, &a2);
    if (a2 > a1)
        return a1 < h && h < a2;
    return h > a1 || h < a2;
}

void vRenderMarkers(NAV_VIEW_INFO* pNVI, POINT B, POINT P, S32 a, float fSpeed)
{
    const S32 nScale = std::clamp<S32>(pNVI->nChartScale, 0, NAV_DISTANCE_STEPS - 1);
    const float fStep = s_cfDistanceTable[nScale];
    if ((B.x < 0 || B.x > SCREEN_WIDTH || B.y < 0 || B.y > SCREEN_HEIGHT) && !bHeadingTowardView(pNVI))
        return;
    U32 u32Orientation = 1;
    const bool bFlip =
        bKeyU32("SCOR", &u32Orientation) && u32Orientation == 0 && pNVI->fBoatHeading > 90.0f &&
        pNVI->fBoatHeading < 270.0f;
    const double phi = (pNVI->fBoatHeading - 90.0) * PI / 180.0 - pNVI->RotContext.AngleRad;
    const S32 s = (S32)(18.0 * std::sin(phi));
    const S32 c = (S32)(18.0 * std::cos(phi));
    GR_CONTEXT* gc = &pNVI->GrContext;
    const COLOR tick = colorEntry(CT_MARKER_TICK);

    for (S32 i = 0; i < MARKERS; ++i) {
        const float d = (float)i * fStep;
        char acTime[16];
        char acDistance[16];
        const char* pcUnit = nullptr;
        T_NAV_vFormatMarkerTime(d, fSpeed, acTime, sizeof acTime);
        T_NAV_vFormatMarkerDistance(d, fStep, acDistance, sizeof acDistance, &pcUnit);
        if (i == 0) {
            const char* pcMin = pcText(Marker_Minutes);
            vText(pNVI, bFlip ? POINT{P.x + s, P.y + c - 7} : POINT{P.x - s, P.y - c - 7}, pcMin);
            const S32 w = nTextWidth(pcUnit);
            vText(pNVI,
                  bFlip ? POINT{P.x - (S32)(9.0 * std::sin(phi)) - w, P.y - c - 7}
                        : POINT{P.x + s - w, P.y + c - 7},
                  pcUnit);
            continue;
        }
        POINT M = {0, 0};
        nv_PolarToGeographic(pNVI->ptBoatMM, d * STATUTE_TO_NAUTICAL, pNVI->fBoatHeading, &M);
        M = T_NAV_ptRelativeToCenter(pNVI, M);
        U_NAV_vConvertMMToPixel(&M, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->nPixelsPerMMM);
        if (i == 1) {
            const double dLength = 4.0 * std::hypot((double)(M.x - B.x), (double)(M.y - B.y));
            const S32 len = (S32)std::min(dLength, 1.0e6);
            gr_SetDrawingTool(gc, BRUSH);
            gr_SetPixelSize(gc, 2);
            gr_SetColor(gc, PALETTE_PROJECTION);
            vLine(gc, P, {B.x + nScale16(U_NAV_nIntSin(a), len), B.y + nScale16(U_NAV_nIntCos(a), len)});
            gr_SetDrawingTool(gc, STD_PEN);
            gr_SetPixelSize(gc, 1);
        }
        POINT t0 = {M.x - s, M.y - c};
        POINT t1 = {M.x + s, M.y + c};
        G_LINE_vDraw(pNVI->pBitmap, tick, &t0, &t1);
        t0.y -= 1;
        t1.y += 1;
        G_LINE_vDraw(pNVI->pBitmap, tick, &t0, &t1);
        vText(pNVI, bFlip ? POINT{M.x + s, M.y + c - 7} : POINT{M.x - s + 2, M.y - c - 8}, acTime);
        const S32 w = nTextWidth(acDistance);
        vText(pNVI, bFlip ? POINT{M.x - s - 2 - w, M.y - c - 7} : POINT{M.x + s - 2 - w, M.y + c - 6}, acDistance);
    }
}

void vRenderProjection(NAV_VIEW_INFO* pNVI, POINT B, S32 nBow, float fHeading, float fSpeed)
{
    const S32 a = (S32)lrintf(fHeading);
    const S32 S = U_NAV_nIntSin(a);
    const S32 C = U_NAV_nIntCos(a);
    const POINT P = {B.x + nScale16(S, nBow), B.y + nScale16(C, nBow)};
    const S32 M = std::min(pNVI->nWindowHeight * 9 / 10, pNVI->nWindowWidth);
    GR_CONTEXT* gc = &pNVI->GrContext;
    switch (u32KeyOr("SCCP", 1)) {
    case 1: {
        const POINT E = {B.x + nScale16(S, 3 * (S64)M) / 12, B.y + nScale16(C, 3 * (S64)M) / 12};
        const POINT T = {B.x + nScale16(S, 4 * (S64)M) / 12, B.y + nScale16(C, 4 * (S64)M) / 12};
        const POINT barbR = {E.x + nScale16(U_NAV_nIntSin(a + 45), M) / 48,
                             E.y + nScale16(U_NAV_nIntCos(a + 45), M) / 48};
        const POINT barbL = {E.x + nScale16(U_NAV_nIntSin(a - 45), M) / 48,
                             E.y + nScale16(U_NAV_nIntCos(a - 45), M) / 48};
        const POINT apt[] = {P, E, barbR, T, barbL, E};
        gr_SetDrawingTool(gc, BRUSH);
        gr_SetPixelSize(gc, 2);
        gr_SetColor(gc, PALETTE_ARROW);
        vPolyline(gc, apt, 6);
        gr_SetDrawingTool(gc, STD_PEN);
        gr_SetPixelSize(gc, 1);
        gr_SetColor(gc, PALETTE_PROJECTION);
        vPolyline(gc, apt, 6);
        break;
    }
    case 2: {
        gr_SetDrawingTool(gc, BRUSH);
        gr_SetPixelSize(gc, 2);
        gr_SetColor(gc, PALETTE_PROJECTION);
        vLine(gc, P, {B.x + nScale16(S, 30 * (S64)M) / 12, B.y + nScale16(C, 30 * (S64)M) / 12});
        gr_SetDrawingTool(gc, STD_PEN);
        gr_SetPixelSize(gc, 1);
        break;
    }
    case 3:
        vRenderMarkers(pNVI, B, P, a, fSpeed);
        break;
    default:
        break;
    }
}

void vRenderAutopilotLines(NAV_VIEW_INFO* pNVI, POINT B, S32 nBow)
{
    const U32 u32Show = u32KeyOr("SIHL", 0);
    const U32 u32Applies = u32KeyOr("IPAH", 0);
    const bool bNew = s_bDisplayAPNewHeadingLine.load() != FALSE;
    if (u32Applies == 0 || (u32Show == 0 && !bNew))
        return;
    float fFirst = 0.0f;
    (void)bKeyFloat("IBRG", &fFirst);
    const U32 h1 = (U32)(S32)fFirst;
    if (bNew) {
        T_NAV_vRenderHeadingLine(pNVI, h1, B, nBow, AP_COLOR_NEW);
        T_NAV_vRenderHeadingLine(pNVI, u32KeyOr("IPAO", 0), B, nBow, AP_COLOR);
    } else {
        T_NAV_vRenderHeadingLine(pNVI, h1, B, nBow, AP_COLOR);
    }
    gr_SetDrawingTool(&pNVI->GrContext, STD_PEN);
    gr_SetPixelSize(&pNVI->GrContext, 1);
}

float fScreenHeading(float fHeading, S32 nRotation)
{
    return nRotation != 0 ? std::fmod(fHeading - (float)nRotation + 360.0f, 360.0f) : fHeading;
}

} // namespace

// Public functions ------------------------------------------------------------

void T_NAV_vBoatIconOfHeading(float fHeading, U32* pu32Icon, U32* pu32QuarterTurns)
{
    S32 n = (S32)(std::fmod(fHeading + 365.0f, 360.0f) * 0.1f);
    n = std::clamp<S32>(n, 0, 35);
    *pu32Icon = (U32)(n % 9);
    *pu32QuarterTurns = (U32)(n / 9);
}

void T_NAV_vFormatMarkerTime(float fStatuteMiles, float fSpeed, char* pcText, U32 u32Size)
{
    if (!(fSpeed > 0.0f)) {
        snprintf(pcText, u32Size, "%.1f", 0.0);
        return;
    }
    const float fMinutes = fStatuteMiles * FEET_PER_MILE * METRES_PER_FOOT / fSpeed * (1.0f / 60.0f);
    if (fMinutes >= MINUTES_IN_A_DAY_LIMIT)
        snprintf(pcText, u32Size, "%s", Marker_Over_A_Day[nCurrentLanguage()]);
    else
        snprintf(pcText, u32Size, "%.1f", (double)fMinutes);
}

void T_NAV_vFormatMarkerDistance(float fStatuteMiles, float fStep, char* pcValue, U32 u32ValueSize,
                                 const char** ppcUnit)
{
    const bool bShort = fStep < FEET_STEP_LIMIT;
    U32 u32Units = 0;
    float v = fStatuteMiles;
    const TEXT_TABLE* pUnit = &Marker_Unknown_Unit;
    if (bKeyU32("SUDS", &u32Units)) {
        switch (u32Units) {
        case U_STAT_MILES:
            pUnit = bShort ? &Scale_Units_ft : &Scale_Units_sm;
            v = bShort ? fStatuteMiles * 5280.0f : fStatuteMiles;
            break;
        case U_NAUT_MILES:
        case U_NAUT_MILES_FT:
            pUnit = bShort ? &Scale_Units_ft : &Scale_Units_nm;
            v = bShort ? fStatuteMiles * 5280.0f : fStatuteMiles * 0.8689763f;
            break;
        case U_KM:
            pUnit = bShort ? &Scale_Units_m : &Scale_Units_km;
            v = bShort ? fStatuteMiles * 1609.3472f : fStatuteMiles * 1.6093472f;
            break;
        case U_NAUT_MILES_M:
            pUnit = bShort ? &Scale_Units_m : &Scale_Units_nm;
            v = bShort ? fStatuteMiles * 1609.3472f : fStatuteMiles * 0.8689763f;
            break;
        default:
            break;
        }
    }
    snprintf(pcValue, u32ValueSize, v < 10.0f ? "%.1f" : "%.0f", (double)v);
    *ppcUnit = (*pUnit)[nCurrentLanguage()];
}

void T_NAV_vRenderBoat(NAV_VIEW_INFO* pNVI)
{
    if (pNVI == nullptr || pNVI->pBitmap == nullptr || pNVI->nPixelsPerMMM <= 0 || U_CHART_GENERIC_bIsPOSMode())
        return;
    GR_CONTEXT* gc = &pNVI->GrContext;

    // 1. and 2.
    const S32 L = NAV_BOX_PIXEL_SPAN / pNVI->nPixelsPerMMM;
    POINT offset = T_NAV_ptRelativeToCenter(pNVI, pNVI->ptBoatMM);
    if (!T_NAV_bInsideClipBox(&offset, L)) {
        if (pNVI->bCursorActive) {
            POINT p0 = {0, 0};
            U_NAV_vClipLineToBox(&p0, &offset, -L, L);
            U_NAV_vConvertMMToPixel(&offset, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->nPixelsPerMMM);
            gr_SetColor(gc, PALETTE_CURSOR_LINE);
            vLine(gc, pNVI->CenterOffset, offset);
        }
        return;
    }

    // 3.
    POINT B = offset;
    U_NAV_vConvertMMToPixel(&B, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->nPixelsPerMMM);
    if (pNVI->bCursorActive) {
        gr_SetColor(gc, PALETTE_CURSOR_LINE);
        vLine(gc, B, pNVI->CenterOffset);
    }

    // 4.
    float fSpeed = 0.0f;
    (void)bKeyFloat("ISOG", &fSpeed);
    const bool bCompass = u32KeyOr("GPSC", 0) == GPS_TYPE_COMPASS;
    float fCompass = 0.0f;
    (void)bKeyFloat("IHDC", &fCompass);
    BOOLEAN bHeadingLine = FALSE;
    BOOLEAN bValid = FALSE;
    const bool s_bHeadingLine =
        H_DATABASE_bFetchBoolean(FCID("SNHL"), &bHeadingLine, &bValid, nullptr) && bValid && bHeadingLine;
    const S32 nBow = (S32)G_ICON_u32GetHeight(&boat_icon_stationary);

    if (fSpeed < NAV_STATIONARY_SPEED && !bCompass) {
        // 5.
        const S32 w = (S32)G_ICON_u32GetWidth(&boat_icon_stationary);
        POINT at = {B.x - w / 2 - 1, B.y - nBow / 2};
        G_ICON_vPut(pNVI->pBitmap, &boat_icon_stationary, &at);
    } else {
        // 6. and 7.
        const float hb = fScreenHeading(pNVI->fBoatHeading, pNVI->nChartRotation);
        const float hc = fScreenHeading(fCompass, pNVI->nChartRotation);
        U32 u32Icon = 0, u32Turns = 0;
        T_NAV_vBoatIconOfHeading(bCompass ? hc : hb, &u32Icon, &u32Turns);
        const ICON* pIcon = ppBoatIcons(pNVI->nChartScale)[u32Icon];
        const S32 W = (S32)G_ICON_u32GetWidth(pIcon);
        const S32 H = (S32)G_ICON_u32GetHeight(pIcon);
        const POINT aOffset[4] = {{1 - W / 2, -H / 2}, {-H / 2, W / 2 - 1}, {W / 2 - 1, H / 2}, {H / 2 - 1, -W / 2}};
        POINT at = {B.x + aOffset[u32Turns].x, B.y + aOffset[u32Turns].y};
        G_ICON_vPutRotated(pNVI->pBitmap, pIcon, &at, (G_ICON_ROTATION)u32Turns);

        // 8.
        if (fSpeed >= NAV_STATIONARY_SPEED)
            vRenderProjection(pNVI, B, nBow, hb, fSpeed);

        // 9.
        if (s_bHeadingLine && bCompass) {
            const S32 c = (S32)lrintf(hc);
            const S32 S = U_NAV_nIntSin(c);
            const S32 C = U_NAV_nIntCos(c);
            POINT start = {B.x + nScale16(S, nBow / 2), B.y + nScale16(C, nBow / 2)};
            const S32 len = (S32)std::sqrt((double)(SCREEN_WIDTH - B.x) * (SCREEN_WIDTH - B.x) +
                                           (double)(SCREEN_HEIGHT - B.y) * (SCREEN_HEIGHT - B.y));
            POINT end = {start.x + nScale16(S, len), start.y + nScale16(C, len)};
            G_LINE_vDraw(pNVI->pBitmap, HEADING_LINE_COLOR, &start, &end);
            start.y -= 1;
            end.y -= 1;
            G_LINE_vDraw(pNVI->pBitmap, HEADING_LINE_COLOR, &start, &end);
        }
    }

    // 10.
    vRenderAutopilotLines(pNVI, B, nBow);
}
