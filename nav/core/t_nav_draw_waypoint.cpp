// Waypoints on panes: the waypoint symbol with its name shortened to the
// room its declutter entry leaves, casting rings, the target waypoint's
// three labelled range rings, the grid waypoint's turned and labelled
// grid, the cursor waypoint with its boxed name and the proximity flag
// (see t_nav_draw.h).
//
// Ring spacing and labels come from the scale-bar row of the pane's scale
// in the current distance unit; ground metres become Mercator metres by the
// scale of the pane centre's latitude band (f / 1024).
#include "nav/core/t_nav_draw.h"

#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_circle.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "nav/core/draw_standins.h"
#include "nav/core/g_nav_icons.h"
#include "nav/core/t_nav_scale_bar.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "store/h_database.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

// Constants -------------------------------------------------------------------

namespace {

// Entries of the program colour table.
constexpr U32 CT_LABEL_TEXT = 33;
constexpr U32 CT_RADAR_NAME = 35;
constexpr U32 CT_CASTING_RING = 39;
constexpr U32 CT_FLAG_TEXT_PALETTE_2 = 40;
constexpr U32 CT_FLAG_TEXT = 32;
constexpr U32 CT_LABEL_BOX = 100;
constexpr U32 CT_NAME = 101;
constexpr U32 CT_NAME_TEMPORARY = 102;

constexpr U32 CASTING_RING_MAX_SCALE = 12;
constexpr S32 PROXIMITY_MAX_SCALE = 16;
constexpr float PROXIMITY_MAX_SPEED = 15.0f; // metres per second
constexpr S32 RING_COUNT = 3;
constexpr S32 RING_STEP_DEGREES = 5;
constexpr S32 GRID_HALF_LINES = 3;
constexpr S32 LABEL_MARGIN = 32;      // a ring label may sit this far outside the bitmap
constexpr U32 LABEL_BOX_HEIGHT = 16;
constexpr U32 CURSOR_NAME_BOX_HEIGHT = 19;
constexpr S32 FLAG_TOP_WITH_CURSOR = 551;
// Larger casting-ring diameters would only walk circles far off the pane.
constexpr double CASTING_RING_MAX_DIAMETER = 65535.0;

// Views 56-58 are the 360 sonar views.
constexpr S32 VIEW_360_FIRST = 56;
constexpr S32 VIEW_360_LAST = 58;

constexpr const char ELLIPSIS[] = "...";
constexpr U32 NAME_BUFFER = WAYPOINT_NAME_CHARS + 1;

} // namespace

// Static functions ---------------------------------------------------------------

namespace {

COLOR colorEntry(U32 u32Index)
{
    return COLOR_colorRead(&gCOLOR_pcolColorTable[u32Index]);
}

bool bFetchU32(FOURCHARID key, U32* pValue)
{
    return H_DATABASE_bFetchU32(key, pValue, nullptr, nullptr) != FALSE;
}

bool bFetchFloat(FOURCHARID key, float* pValue)
{
    return H_DATABASE_bFetchFloat(key, pValue, nullptr, nullptr) != FALSE;
}

U32 u32KeyOr(FOURCHARID key, U32 u32Default)
{
    U32 v = u32Default;
    return bFetchU32(key, &v) ? v : u32Default;
}

bool bIn360View(void)
{
    S32 s32View = 0;
    return H_DATABASE_bFetchS32(FCID("CVEW"), &s32View, nullptr, nullptr) && s32View >= VIEW_360_FIRST &&
           s32View <= VIEW_360_LAST;
}

// Names on radar and 360 panes are white, or the chart's colour over the
// 360 view's second sweep colour scheme.
COLOR colorRadarName(void)
{
    return bIn360View() && u32KeyOr(FCID("SMSC"), 0) == 2 ? colorEntry(CT_NAME) : colorEntry(CT_RADAR_NAME);
}

bool bNameColourOfStatus(U8 u8Status, COLOR* pColor)
{
    if (u8Status == WP_STATUS_PERMANENT || u8Status == WP_STATUS_MOB) {
        *pColor = colorEntry(CT_NAME);
        return true;
    }
    if (u8Status == WP_STATUS_TEMPORARY) {
        *pColor = colorEntry(CT_NAME_TEMPORARY);
        return true;
    }
    return false;
}

// An icon number from a peer or a file may lie past the table: such a
// waypoint still shows, with the first icon.
const ICON* pWaypointIcon(U8 u8Icon, bool bLocal)
{
    const U32 i = u8Icon < NAV_ICON_COUNT ? u8Icon : 0;
    return bLocal ? g_NAV_Icons_Large[i] : g_NAV_Icons_Remote[i];
}

// The name with a terminator, leaving the record as it is: a twelve-letter
// name fills its field and is stored without one.
void vCopyName(const WAYPOINT* pWaypoint, char (&acName)[NAME_BUFFER])
{
    memcpy(acName, pWaypoint->sName, WAYPOINT_NAME_CHARS);
    acName[WAYPOINT_NAME_CHARS] = '\0';
}

const FONT_DEF* pLabelFont(void) { return std_11x14_font_def_ptr.load(); }
const FONT_DEF* pCursorFont(void) { return std_16x17_font_def_ptr.load(); }

// Metres to pixels without rotation, as the 2D conversion scales them,
// saturated rather than wrapped for the unbounded declutter room.
S64 s64MetresToPixels(S64 s64Metres, S32 nPixelsPerMMM)
{
    S64 x = s64Metres;
    S64 n = nPixelsPerMMM;
    if (n > 65536) {
        x *= 16;
        n >>= 4;
    }
    return (n * x + 0x80000) >> 20;
}

// The ground-to-Mercator scale of the pane centre.
U32 u32MercatorScale(const NAV_VIEW_INFO* pNVI)
{
    return U_NAV_u16ScalingMMPerKm(pNVI->ptCenterMM.y);
}

// The ring's point at angle a: radius x (sin a, cos a) with the sine and
// cosine of 16.16; a large radius is pre-shifted so that each product fits
// 32 bits, as the unit computes it.
S64 s64RingOffset(S64 s64Radius, S32 s32Trig)
{
    if (s64Radius < 0x8000)
        return (s64Radius * s32Trig) >> 16;
    const S32 t = U_NAV_nIntLog2_S64(s64Radius) - 14;
    const S64 product = (s64Radius >> t) * s32Trig;
    return t <= 16 ? product >> (16 - t) : product * ((S64)1 << (t - 16));
}

// A scale-bar label ("50" followed by the unit) boxed with its box's lower
// left at (x + 1 - w/2, y - 3).
void vDrawBoxedLabel(NAV_VIEW_INFO* pNVI, POINT ptAt, const char* pcNumber, const SCALE_BAR_LENGTHS* pRow)
{
    const FONT_DEF* pFont = pLabelFont();
    if (pFont == nullptr || pNVI->pBitmap == nullptr)
        return;
    char acText[32];
    snprintf(acText, sizeof acText, "%s%s", pcNumber, (*pRow->sUnits)[nCurrentLanguage()]);
    const U32 w = G_STRING_u32GetWidth(pFont, (const BYTE*)acText);
    POINT box = {ptAt.x + 1 - (S32)(w / 2), ptAt.y - 3};
    G_BOX_vDrawFilled(pNVI->pBitmap, colorEntry(CT_LABEL_BOX), &box, w + 1, LABEL_BOX_HEIGHT);
    POINT text = {box.x + 1, box.y + 1};
    G_STRING_vPut(pNVI->pBitmap, colorEntry(CT_LABEL_TEXT), &text, pFont, (const BYTE*)acText);
}

const char* pcLabelNumber(const SCALE_BAR_LENGTHS* pRow, S32 k)
{
    return k == 1 ? pRow->sNumber : k == 2 ? pRow->sNumber2 : pRow->sNumber3;
}

void vStandardPen(GR_CONTEXT* gc)
{
    gr_SetDrawingTool(gc, STD_PEN);
    gr_SetPixelSize(gc, 1);
}

// The waypoint a key names when it holds one: the key is readable, not
// 0xFFFF, and the slot holds a record of a non-zero status.
WAYPOINT* pKeyedWaypoint(FOURCHARID key, U32* pu32Id)
{
    U32 u32Id = NAV_ID_NONE;
    if (!bFetchU32(key, &u32Id) || (u32Id & 0xFFFF) == NAV_ID_NONE)
        return nullptr;
    WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(u32Id & 0xFFFF);
    if (pWaypoint == nullptr || pWaypoint->u8Status == WP_STATUS_FREE)
        return nullptr;
    if (pu32Id != nullptr)
        *pu32Id = u32Id & 0xFFFF;
    return pWaypoint;
}

} // namespace

// The waypoint -----------------------------------------------------------------------

void T_NAV_vRenderWaypoint(S32 nIndex, WAYPOINT* pWaypoint, NAV_VIEW_INFO* pNVI, S32 s32DeclutterWaypoint,
                           BOOLEAN bRadar, BOOLEAN bCheckDuplicateWaypoint)
{
    if (pWaypoint == nullptr || pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    COLOR colorText = 0;
    if (!bNameColourOfStatus(pWaypoint->u8Status, &colorText))
        return;
    if (bRadar)
        colorText = colorRadarName();

    POINT pt = T_NAV_ptRelativeToCenter(pNVI, pWaypoint->pt);
    if (!T_NAV_bInsideClipBox(&pt, T_NAV_nClipHalfWidth(pNVI, bRadar)))
        return;

    const U32 u32Id = (U32)nIndex;
    if (bCheckDuplicateWaypoint && T_NAV_TWR_bIsDuplicateWaypoint(u32Id))
        return;
    const bool bDeclutter = u32KeyOr(FCID("SNWD"), 0) != 0;
    const bool bDecluttered = s32DeclutterWaypoint == NAV_DECLUTTER_OVERLAP;
    const bool bLocal = T_NAV_TWR_bIsLocalWaypoint(u32Id) != FALSE;
    const ICON* pIcon = pWaypointIcon(pWaypoint->u8Icon, bLocal);
    if (bDeclutter && pWaypoint->u8Icon != NAV_MOB_ICON && bDecluttered)
        pIcon = bLocal ? &Waypoint_dctr_icon : &Waypoint_dctr_remote_icon;
    if (s_CurrentRoute.nCount > 0 && s_CurrentRoute.anWaypoint[0] == (u32Id & 0xFFFF))
        pIcon = &WaypointStart_icon;

    T_NAV_vConvertToPixel(pNVI, &pt, bRadar);
    const S32 w = (S32)G_ICON_u32GetWidth(pIcon);
    const S32 h = (S32)G_ICON_u32GetHeight(pIcon);
    POINT corner = {pt.x + 1 - w / 2, pt.y - h / 2};
    G_ICON_vPut(pNVI->pBitmap, pIcon, &corner);

    char acName[NAME_BUFFER];
    vCopyName(pWaypoint, acName);

    if (!bRadar && !bDecluttered) {
        POINT centre = {corner.x + w / 2, corner.y + h / 2};
        T_NAV_vDrawCastingRings(pNVI, &centre);
    }

    float fSpeed = 0.0f;
    if (u32KeyOr(FCID("SNWP"), 0) != 0 && pNVI->nChartScale <= PROXIMITY_MAX_SCALE &&
        bFetchFloat(FCID("ISPD"), &fSpeed) && fSpeed <= PROXIMITY_MAX_SPEED && s_u32WPPCount < NAV_PROXIMITY_IDS)
        s_ProxTable[s_u32WPPCount++] = (S16)nIndex;

    // The label's room, icon included.
    S64 s64Room = 0;
    if (bRadar) {
        const double d = (double)s32DeclutterWaypoint * pNVI->fPixelsPerMM;
        s64Room = std::isfinite(d) ? (S64)std::clamp(d, (double)INT32_MIN, (double)INT32_MAX) : 0;
    } else {
        s64Room = s64MetresToPixels(s32DeclutterWaypoint, pNVI->nPixelsPerMMM);
    }

    const FONT_DEF* pFont = pLabelFont();
    if (pFont == nullptr)
        return;
    char acText[NAME_BUFFER + sizeof ELLIPSIS];
    acText[0] = '\0';
    const S64 s64Name = T_NAV_EDIT_u32GetWidthWaypointName(pFont, acName);
    if (bDeclutter && bDecluttered) {
        // no name
    } else if (bDeclutter && s64Room > 0 && s64Room < w + s64Name) {
        const S64 s64Ellipsis = G_STRING_u32GetWidth(pFont, (const BYTE*)ELLIPSIS);
        if (w + s64Ellipsis < s64Room) {
            const S64 s64Budget = s64Room - w - s64Ellipsis;
            S64 s64Used = 0;
            U32 n = 0;
            while (n < WAYPOINT_NAME_CHARS && acName[n] != '\0') {
                const S64 s64Next = s64Used + G_FONTS_u32GetWidth(pFont, (BYTE)acName[n]);
                if (s64Next >= s64Budget)
                    break;
                s64Used = s64Next;
                ++n;
            }
            memcpy(acText, acName, n);
            memcpy(acText + n, ELLIPSIS, sizeof ELLIPSIS);
        }
    } else {
        memcpy(acText, acName, NAME_BUFFER);
    }
    if (acText[0] == '\0')
        return;
    U32 u32Cursor = NAV_ID_NONE;
    if (bRadar && bFetchU32(FCID("ICWP"), &u32Cursor) && (u32Cursor & 0xFFFF) == (u32Id & 0xFFFF) && bIn360View())
        return;
    POINT anchor = {pt.x + w / 2 + 1, pt.y - 7};
    T_NAV_EDIT_vRenderWyptRteTrkName(pNVI->pBitmap, colorText, &anchor, pFont, acText);
}

// Casting rings ------------------------------------------------------------------------

void T_NAV_vDrawCastingRings(NAV_VIEW_INFO* pNVI, POINT* pt)
{
    if (pNVI == nullptr || pt == nullptr || pNVI->pBitmap == nullptr)
        return;
    if (pNVI->nChartScale > (S32)CASTING_RING_MAX_SCALE)
        return;
    const SCALE_BAR_LENGTHS* pRow = T_NAV_pGetScaleBarLengths(pNVI->nChartScale);
    float fRing = 0.0f;
    if (pRow == nullptr || !bFetchFloat(FCID("SNCR"), &fRing))
        return;
    const S64 s64Spacing = ((S64)pRow->nMeters * u32MercatorScale(pNVI)) >> 10;
    const double d = 2.0 * fRing * pNVI->nPixelsPerMMM / 1048576.0 * (double)s64Spacing / pRow->nMeters + 0.5;
    // A ring of no pixels, a negative setting or a NaN draws nothing.
    if (!(d >= 1.0) || d > CASTING_RING_MAX_DIAMETER)
        return;
    const U32 u32Diameter = (U32)d;
    const COLOR color = colorEntry(CT_CASTING_RING);
    G_CIRCLE_vDraw(pNVI->pBitmap, color, pt, u32Diameter);
    G_CIRCLE_vDraw(pNVI->pBitmap, color, pt, u32Diameter + 1);
}

// Target rings ------------------------------------------------------------------------------

void T_NAV_vRenderWaypointTarget(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    const WAYPOINT* pWaypoint = pKeyedWaypoint(FCID("ITWP"), nullptr);
    if (pWaypoint == nullptr)
        return;
    const SCALE_BAR_LENGTHS* pRow = T_NAV_pGetScaleBarLengths(pNVI->nChartScale);
    if (pRow == nullptr)
        return;
    const S64 s64Spacing = (S64)(((U64)(U32)pRow->nMeters * u32MercatorScale(pNVI)) >> 10);
    const S32 L = T_NAV_nClipHalfWidth(pNVI, bRadar);
    if (L <= 0)
        return;
    // Radar panes scale by fPixelsPerMM, which the shift would not follow.
    const S32 shift = bRadar ? 0 : T_NAV_nHighZoomShift(pNVI->nPixelsPerMMM);
    const S32 nScale = pNVI->nPixelsPerMMM >> shift;
    const S64 s64L = (S64)L << shift;
    const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pWaypoint->pt);
    const S64 cx = (S64)rel.x * ((S64)1 << shift);
    const S64 cy = (S64)rel.y * ((S64)1 << shift);
    POINT wpPixel = {(S32)std::clamp<S64>(cx, INT32_MIN, INT32_MAX), (S32)std::clamp<S64>(cy, INT32_MIN, INT32_MAX)};
    if (bRadar)
        U_NAV_vConvertMMToRadarPixel(&wpPixel, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->fPixelsPerMM);
    else
        U_NAV_vConvertMMToPixel(&wpPixel, &pNVI->RotContext, &pNVI->CenterOffset, nScale);

    GR_CONTEXT* gc = &pNVI->GrContext;
    gr_SetColor(gc, NAV_PALETTE_RINGS);
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);

    for (S32 k = 1; k <= RING_COUNT; ++k) {
        const S64 s64Radius = k * s64Spacing;
        const S64 s64Shifted = s64Radius * ((S64)1 << shift);
        bool bPen = false;
        bool bDrawn = false;
        for (S32 a = 0; a <= 360; a += RING_STEP_DEGREES) {
            const S64 x = cx + s64RingOffset(s64Shifted, U_NAV_nIntSin(a));
            const S64 y = cy + s64RingOffset(s64Shifted, U_NAV_nIntCos(a));
            if (x < -s64L || x > s64L || y < -s64L || y > s64L) {
                bPen = false;
                continue;
            }
            POINT p = {(S32)x, (S32)y};
            if (bRadar)
                U_NAV_vConvertMMToRadarPixel(&p, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->fPixelsPerMM);
            else
                U_NAV_vConvertMMToPixel(&p, &pNVI->RotContext, &pNVI->CenterOffset, nScale);
            if (bPen)
                gr_DrawAbsLine(gc, p.x, p.y);
            else
                gr_SetAbsPenPos(gc, p.x, p.y);
            bPen = true;
            bDrawn = true;
        }
        if (!bDrawn)
            continue;
        const S64 s64Pixels = bRadar ? (S64)((double)s64Radius * pNVI->fPixelsPerMM)
                                     : ((S64)nScale * s64Radius) >> (20 - shift);
        const S64 lx = wpPixel.x;
        const S64 ly = wpPixel.y - s64Pixels;
        if (lx < -LABEL_MARGIN || lx >= (S64)pNVI->pBitmap->pixels_wide + LABEL_MARGIN || ly < -LABEL_MARGIN ||
            ly >= (S64)pNVI->pBitmap->pixels_high + LABEL_MARGIN)
            continue;
        vDrawBoxedLabel(pNVI, POINT{(S32)lx, (S32)ly}, pcLabelNumber(pRow, k), pRow);
    }
    vStandardPen(gc);
}

// Grid -----------------------------------------------------------------------------------

void T_NAV_vRenderWaypointGrid(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    const WAYPOINT* pWaypoint = pKeyedWaypoint(FCID("IGWP"), nullptr);
    float fAngle = 0.0f;
    if (pWaypoint == nullptr || !bFetchFloat(FCID("SNGA"), &fAngle))
        return;
    const SCALE_BAR_LENGTHS* pRow = T_NAV_pGetScaleBarLengths(pNVI->nChartScale);
    const S32 L = T_NAV_nClipHalfWidth(pNVI, bRadar);
    if (pRow == nullptr || L <= 0)
        return;
    const S32 s = (S32)(((U64)(U32)pRow->nMeters * u32MercatorScale(pNVI)) >> 10);

    GP_ROTCONTEXT rc;
    gr_ResetRotationContext(&rc);
    gr_SetRotationAngle(&rc, fAngle);
    GR_CONTEXT* gc = &pNVI->GrContext;
    gr_SetColor(gc, NAV_PALETTE_RINGS);
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);

    const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pWaypoint->pt);
    // A grid point turned by the grid's angle and moved to the waypoint.
    const auto place = [&](S32 x, S32 y) {
        POINT p = {x, y};
        U_NAV_vRotatePoint(&rc, &p, &p);
        return POINT{(S32)std::clamp<S64>((S64)p.x + rel.x, INT32_MIN, INT32_MAX),
                     (S32)std::clamp<S64>((S64)p.y + rel.y, INT32_MIN, INT32_MAX)};
    };
    const auto line = [&](POINT a, POINT b) {
        U_NAV_vClipLineToBox(&a, &b, -L, L);
        if (a.x < -L || a.x > L || a.y < -L || a.y > L || b.x < -L || b.x > L || b.y < -L || b.y > L)
            return;
        T_NAV_vConvertToPixel(pNVI, &a, bRadar);
        T_NAV_vConvertToPixel(pNVI, &b, bRadar);
        gr_SetAbsPenPos(gc, a.x, a.y);
        gr_DrawAbsLine(gc, b.x, b.y);
    };

    const S32 e = GRID_HALF_LINES * s;
    for (S32 i = GRID_HALF_LINES; i >= -GRID_HALF_LINES; --i) {
        line(place(-e, i * s), place(e, i * s));
        line(place(i * s, e), place(i * s, -e));
        if (i >= 0)
            continue;
        POINT label = place(0, i * s);
        if (!T_NAV_bInsideClipBox(&label, L))
            continue;
        T_NAV_vConvertToPixel(pNVI, &label, bRadar);
        vDrawBoxedLabel(pNVI, label, pcLabelNumber(pRow, -i), pRow);
    }
    vStandardPen(gc);
}

// Cursor waypoint --------------------------------------------------------------------------

void T_NAV_vRenderCursorWaypoint(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    U32 u32Id = NAV_ID_NONE;
    if (!bFetchU32(FCID("ICWP"), &u32Id) || (u32Id & 0xFFFF) == NAV_ID_NONE)
        return;
    u32Id &= 0xFFFF;
    const WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(u32Id);
    COLOR colorName = 0;
    if (pWaypoint == nullptr || !bNameColourOfStatus(pWaypoint->u8Status, &colorName))
        return;
    POINT pt = T_NAV_ptRelativeToCenter(pNVI, pWaypoint->pt);
    if (!T_NAV_bInsideClipBox(&pt, T_NAV_nClipHalfWidth(pNVI, bRadar)) || T_NAV_TWR_bIsDuplicateWaypoint(u32Id))
        return;

    const ICON* pIcon = pWaypointIcon(pWaypoint->u8Icon, T_NAV_TWR_bIsLocalWaypoint(u32Id) != FALSE);
    T_NAV_vConvertToPixel(pNVI, &pt, bRadar);
    const S32 w = (S32)G_ICON_u32GetWidth(pIcon);
    const S32 h = (S32)G_ICON_u32GetHeight(pIcon);
    POINT corner = {pt.x + 1 - w / 2, pt.y - h / 2};
    G_ICON_vPut(pNVI->pBitmap, pIcon, &corner);
    if (bRadar && bIn360View()) {
        T_N_HISTORY_vUpdateMSSCurosrWaypoint(pt);
        POINT cursor = {pt.x - (S32)(G_ICON_u32GetWidth(&Cursor_icon) / 2),
                        pt.y - (S32)(G_ICON_u32GetHeight(&Cursor_icon) / 2)};
        G_ICON_vPut(pNVI->pBitmap, &Cursor_icon, &cursor);
    }

    char acName[NAME_BUFFER];
    vCopyName(pWaypoint, acName);
    POINT anchor = {pt.x + w / 2 + 2, pt.y - 8};
    if (bRadar) {
        T_NAV_EDIT_vRenderWyptRteTrkName(pNVI->pBitmap, colorRadarName(), &anchor, pCursorFont(), acName);
        return;
    }
    POINT centre = {corner.x + w / 2, corner.y + h / 2};
    T_NAV_vDrawCastingRings(pNVI, &centre);
    const FONT_DEF* pFont = pCursorFont();
    if (pFont == nullptr)
        return;
    const U32 u32Width = T_NAV_EDIT_u32GetWidthWaypointName(pFont, acName);
    G_BOX_vDrawFilled(pNVI->pBitmap, colorEntry(CT_LABEL_BOX), &anchor, u32Width + 1, CURSOR_NAME_BOX_HEIGHT);
    T_NAV_EDIT_vRenderWyptRteTrkName(pNVI->pBitmap, colorName, &anchor, pFont, acName);
}

// Proximity flag -------------------------------------------------------------------------------

void T_NAV_vFormatProximityDistance(float WP_Dist, char* pcText, U32 u32Size)
{
    if (pcText == nullptr || u32Size == 0)
        return;
    const double d = WP_Dist;
    switch (u32KeyOr(FCID("SUDS"), U_NONE)) {
    case U_STAT_MILES:
        if (d * 3.2808333290409095 < 1000.0)
            snprintf(pcText, u32Size, "%3.0fft", d * 3.2808333290409095);
        else
            snprintf(pcText, u32Size, "%.2fsm", dConvertFromInternal(d, D_DISTANCE, U_STAT_MILES));
        return;
    case U_KM:
        if (d < 1000.0)
            snprintf(pcText, u32Size, "%3.0fm", d);
        else
            snprintf(pcText, u32Size, "%.2fkm", d / 1000.0);
        return;
    case U_NAUT_MILES_FT:
        if (d * 3.775515267229085 < 1000.0)
            snprintf(pcText, u32Size, "%3.0fft", d * 3.2808333290409095);
        else
            snprintf(pcText, u32Size, "%.2fnm", dConvertFromInternal(d, D_DISTANCE, U_NAUT_MILES));
        return;
    case U_NAUT_MILES_M:
        if (d < 1000.0)
            snprintf(pcText, u32Size, "%3.0fm", d);
        else
            snprintf(pcText, u32Size, "%.2fnm", dConvertFromInternal(d, D_DISTANCE, U_NAUT_MILES));
        return;
    default:
        snprintf(pcText, u32Size, "%.2fkm", d / 1000.0);
        return;
    }
}

void T_NAV_vDrawProximityFlag(NAV_VIEW_INFO* pNVI, POINT* pt, float WP_Dist)
{
    if (pNVI == nullptr || pt == nullptr || pNVI->pBitmap == nullptr)
        return;
    const FONT_DEF* pFont = pLabelFont();
    if (pFont == nullptr)
        return;
    BITMAP* pBitmap = pNVI->pBitmap;
    char acText[32];
    T_NAV_vFormatProximityDistance(WP_Dist, acText, sizeof acText);
    const S32 t = (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)acText);

    const S32 wR = (S32)G_ICON_u32GetWidth(&PBox_R);
    const S32 hR = (S32)G_ICON_u32GetHeight(&PBox_R);
    const S32 wL = (S32)G_ICON_u32GetWidth(&PBox_L);
    const S32 hL = (S32)G_ICON_u32GetHeight(&PBox_L);
    const S32 wM = (S32)G_ICON_u32GetWidth(&PBox_Middle);
    const S32 wE = (S32)G_ICON_u32GetWidth(&PBox_End_R);
    const S32 hE = (S32)G_ICON_u32GetHeight(&PBox_End_R);
    const S32 l = t + wR + wE - 15;
    const S32 n = t > 15 && wM > 0 ? (t - 15 + wM - 1) / wM : 0;

    BOOLEAN bCursor = FALSE;
    H_DATABASE_bFetchBoolean(FCID("ICAC"), &bCursor, nullptr, nullptr);
    const S32 top = bCursor ? FLAG_TOP_WITH_CURSOR : pBitmap->s32ClipTop;
    const S32 x = pt->x;
    const S32 y = pt->y;
    const bool bLeft = (S64)x + l > pBitmap->s32ClipRight;
    const bool bDown = (S64)y + hR > top;

    // The pointer piece: which icon, where its lower-left lands, and for a
    // flag hanging down the anchor it is turned about.
    const ICON* pPointer = bLeft != bDown ? &PBox_L : &PBox_R;
    S32 left = 0;
    S32 bottom = 0;
    if (!bDown) {
        left = bLeft ? x - wL + 1 : x;
        bottom = y;
    } else {
        left = bLeft ? x - wR + 1 : x;
        bottom = y - (bLeft ? hR : hL) + 1;
    }
    const S32 right = left + (S32)G_ICON_u32GetWidth(pPointer) - 1;
    const S32 ceiling = bottom + (S32)G_ICON_u32GetHeight(pPointer) - 1;
    if (left < pBitmap->s32ClipLeft || right > pBitmap->s32ClipRight || bottom < pBitmap->s32ClipBottom ||
        ceiling > pBitmap->s32ClipTop)
        return;

    // The body: unflipped it starts where the pointer piece ends and its
    // band tops the pointer piece; the flipped layouts mirror it about the
    // waypoint.
    const S32 x0 = x - 1 + wR;
    const S32 bodyRight = x0 + n * wM + wE - 1;
    const S32 y0 = bDown ? y - hR + 1 - (hE - (S32)NAV_FLAG_BODY_ROWS) : y + hR - hE;
    if (!bDown) {
        POINT corner = {left, bottom};
        G_ICON_vPut(pBitmap, pPointer, &corner);
    } else {
        POINT anchor = {bLeft ? x : x + wL - 1, y};
        POINT centre = {0, 0};
        G_ICON_vPutRotatedAngle(pBitmap, pPointer, &anchor, &centre, std::numbers::pi);
    }
    const auto put = [pBitmap](const ICON* pIcon, S32 px, S32 py) {
        POINT corner = {px, py};
        G_ICON_vPut(pBitmap, pIcon, &corner);
    };
    if (!bLeft) {
        for (S32 i = 0; i < n; ++i)
            put(&PBox_Middle, x0 + i * wM, y0);
        put(&PBox_End_R, x0 + n * wM, y0);
    } else {
        const S32 endLeft = 2 * x - bodyRight;
        put(&PBox_End_L, endLeft, y0);
        for (S32 i = 0; i < n; ++i)
            put(&PBox_Middle, endLeft + wE + i * wM, y0);
    }

    const COLOR colorText =
        u32KeyOr(FCID("SPAL"), 0) == 2 ? colorEntry(CT_FLAG_TEXT_PALETTE_2) : colorEntry(CT_FLAG_TEXT);
    POINT text = {bLeft ? 2 * x - (x0 - 8) - t : x0 - 8, y0 + 13};
    G_STRING_vPut(pBitmap, colorText, &text, pFont, (const BYTE*)acText);
}
