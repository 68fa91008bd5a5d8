// Tracks and trolling-motor tracks on panes: the current and saved tracks
// as lines or breadcrumbs, a trolling-motor track with its start and end
// marks and name, the lines that show where the motor heads while it is
// led along a track, follows a contour or records one, the track under the
// cursor and the arrow of a move or copy (see t_nav_draw.h).
//
// A track that is being drawn holds no more than its own points: a
// trolling-motor track is copied relative to the pane centre into a static
// buffer of RUMBREL_MAX_POINTS, a saved track is walked point by point.
#include "nav/core/t_nav_draw.h"

#include "chart_sdk/graphics/gr_bitmap.h"
#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "nav/core/draw_standins.h"
#include "nav/core/g_nav_overlay_icons.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "store/h_database.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// Statics -------------------------------------------------------------------

RUMBREL s_tMoveCopyRumbrel;

namespace {

constexpr U32 NO_RUMBREL = 0xFFFF; // "ICIT" with no track under the cursor
constexpr U32 CT_NAME_BOX = 100;
constexpr U32 CT_NAME = 101;
constexpr U32 CT_RADAR_NAME = 35;
constexpr U32 STEVRIN_APPROACH = 19; // trolling-motor colour of the connecting lines
constexpr U32 CURSOR_NAME_BOX_HEIGHT = 19;
constexpr S32 NO_DOT = -1000;
constexpr S32 VIEW_360_FIRST = 56;
constexpr S32 VIEW_360_LAST = 58;

// The chart palettes of "SPAL".
constexpr U32 PALETTE1 = 1;
constexpr U32 PALETTE2 = 2;
constexpr U32 PALETTE3 = 3;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Fix_Required = ALL_LANGUAGES("GPS Fix required for this operation");
#undef ALL_LANGUAGES

// Approach lines and the part of a track still to travel.
POINT s_aptRumbrel[RUMBREL_MAX_POINTS];
POINT s_aptPartial[RUMBREL_MAX_POINTS];


} // namespace

// Static functions ---------------------------------------------------------------

namespace {

COLOR colorEntry(U32 u32Index)
{
    return COLOR_colorRead(&gCOLOR_pcolColorTable[u32Index]);
}

bool bIn360View(void)
{
    S32 s32View = 0;
    return H_DATABASE_bFetchS32(FCID("CVEW"), &s32View, nullptr, nullptr) && s32View >= VIEW_360_FIRST &&
           s32View <= VIEW_360_LAST;
}

// Names are the chart's colour, white on radar and 360 panes except over
// the 360 view's second sweep colour scheme.
COLOR colorName(BOOLEAN bRadar)
{
    if (!bRadar)
        return colorEntry(CT_NAME);
    U32 u32Scheme = 0;
    const bool bScheme2 = H_DATABASE_bFetchU32(FCID("SMSC"), &u32Scheme, nullptr, nullptr) && u32Scheme == 2;
    return bIn360View() && bScheme2 ? colorEntry(CT_NAME) : colorEntry(CT_RADAR_NAME);
}

void vStandardPen(GR_CONTEXT* gc)
{
    gr_SetDrawingTool(gc, STD_PEN);
    gr_SetPixelSize(gc, 1);
    gr_SetPatternStatus(gc, FALSE);
}

void vBrush2(GR_CONTEXT* gc)
{
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);
}

void vDashed(GR_CONTEXT* gc)
{
    gr_SetPatternType(gc, NAV_DASH_PATTERN_TYPE);
    gr_SetPatternIndex(gc, 0);
    gr_ResetPattern(gc);
    gr_SetPatternStatus(gc, TRUE);
}

// The palette swaps that keep a track visible on each palette's sea.
U32 u32PaletteColour(U32 u32Color)
{
    U32 u32Palette = 0;
    if (!H_DATABASE_bFetchU32(FCID("SPAL"), &u32Palette, nullptr, nullptr))
        return u32Color;
    if (u32Palette == PALETTE1 && u32Color == 15)
        return 0;
    if (u32Palette == PALETTE2 && u32Color == 12)
        return 15;
    if (u32Palette == PALETTE3 && u32Color == 0)
        return 15;
    return u32Color;
}

U32 u32RumbrelPoints(const RUMBREL* pRumbrel)
{
    return std::min<U32>(pRumbrel->nCount, RUMBREL_MAX_POINTS);
}

// The motor's closest point as an index into the track; the motor may
// report one past what the track holds.
U32 u32ClosestIndex(const RUMBREL* pRumbrel, U32 u32ClosestTP)
{
    const U32 n = u32RumbrelPoints(pRumbrel);
    return n == 0 ? 0 : std::min(u32ClosestTP, n - 1);
}

bool bContourFollowed(void)
{
    return s_bFTCNavOn != FALSE;
}

// The icon centred on an absolute point; TRUE with its lower-left pixel
// corner in *pptCorner when it was drawn.
bool bIconOn(NAV_VIEW_INFO* pNVI, const ICON* pIcon, POINT pt, BOOLEAN bRadar, POINT* pptCorner)
{
    const POINT rel = T_NAV_ptRelativeToCenter(pNVI, pt);
    if (!T_NAV_bInsideClipBox(&rel, T_NAV_nClipHalfWidth(pNVI, bRadar)))
        return false;
    *pptCorner = pt;
    T_NAV_vRenderRumbrelIcon(pNVI, pIcon, pptCorner, bRadar);
    return true;
}

// A two-point line between absolute points with the pen as set.
void vLine(NAV_VIEW_INFO* pNVI, POINT from, POINT to, BOOLEAN bRadar)
{
    POINT pts[2] = {T_NAV_ptRelativeToCenter(pNVI, from), T_NAV_ptRelativeToCenter(pNVI, to)};
    T_NAV_vRenderPolyLineMM(pts, 2, pNVI, bRadar);
}

void vRumbrelName(NAV_VIEW_INFO* pNVI, const RUMBREL* pRumbrel, POINT corner, const ICON* pIcon, BOOLEAN bRadar)
{
    char acName[RUMBREL_NAME_CHARS + 1] = {};
    memcpy(acName, pRumbrel->sName, RUMBREL_NAME_CHARS);
    POINT anchor = {corner.x + (S32)G_ICON_u32GetWidth(pIcon) + 1,
                    corner.y + (S32)G_ICON_u32GetHeight(pIcon) / 2 - 7};
    T_NAV_EDIT_vRenderWyptRteTrkName(pNVI->pBitmap, colorName(bRadar), &anchor, std_11x14_font_def_ptr.load(),
                                     acName);
}

} // namespace

// Tracks --------------------------------------------------------------------------

void T_NAV_vRenderTrack(TRACK* pTrack, NAV_VIEW_INFO* pNVI, BOOLEAN bCurrentTrack, U32 u32Style, U32 u32Color,
                        BOOLEAN bRadar)
{
    if (pTrack == nullptr || pNVI == nullptr)
        return;
    if (bCurrentTrack) {
        BOOLEAN bShow = TRUE;
        if (H_DATABASE_bFetchBoolean(FCID("SCTV"), &bShow, nullptr, nullptr) && !bShow)
            return;
    }
    const S32 L = T_NAV_nTrackClipHalfWidth(pNVI, bRadar);
    if (L <= 0 || U_CHART_GENERIC_bIsPOSMode())
        return;
    GR_CONTEXT* gc = &pNVI->GrContext;
    const bool bLines = u32Style != TRACK_STYLE_BREADCRUMBS;
    if (bLines) {
        vStandardPen(gc);
        gr_SetColor(gc, (GL_COLOUR)u32PaletteColour(u32Color));
        if (u32Style == TRACK_STYLE_SHORT_DASHED_LINE)
            vDashed(gc);
        else if (u32Style == TRACK_STYLE_WIDE_LINE)
            vBrush2(gc);
    }

    const BMAPTYPE slot = bCurrentTrack ? NAV_BREADCRUMB_CURRENT : NAV_BREADCRUMB_SAVED;
    POINT lastDot = {NO_DOT, NO_DOT};
    bool bLastShown = false;
    TRACKPOINT_TYPE eLast = TRACKPOINT_INVALID;
    U16 u16Iterator = 0;
    U16 u16Depth = 0;
    POINT pt{};
    for (;;) {
        const TRACKPOINT_TYPE e = U_NAV_eScanTrack(pTrack, &u16Iterator, &pt, &u16Depth);
        if (e == TRACKPOINT_INVALID)
            break;
        POINT p = T_NAV_ptRelativeToCenter(pNVI, pt);
        const bool bShown = T_NAV_bInsideClipBox(&p, L) != FALSE;
        if (bShown) {
            T_NAV_vConvertToPixel(pNVI, &p, bRadar);
            if (bLines) {
                if (bLastShown && eLast == TRACKPOINT_NORMAL && e == TRACKPOINT_NORMAL)
                    gr_DrawAbsLine(gc, p.x, p.y);
                else
                    gr_SetAbsPenPos(gc, p.x, p.y);
            } else if (std::abs(p.x - lastDot.x) > 3 || std::abs(p.y - lastDot.y) > 3) {
                gr_SetAbsPenPos(gc, p.x - 1, p.y - 1);
                if (e == TRACKPOINT_NORMAL)
                    gr_PrintBitmapWithType(gc, slot, 0);
                lastDot = p;
            }
        }
        bLastShown = bShown;
        eLast = e;
    }

    if (bLines && bCurrentTrack && bLastShown && !bContourFollowed()) {
        POINT boat = T_NAV_ptRelativeToCenter(pNVI, pNVI->ptBoatMM);
        if (T_NAV_bInsideClipBox(&boat, L)) {
            T_NAV_vConvertToPixel(pNVI, &boat, bRadar);
            if (eLast == TRACKPOINT_NORMAL)
                gr_DrawAbsLine(gc, boat.x, boat.y);
            else
                gr_SetAbsPenPos(gc, boat.x, boat.y);
        }
    }
    if (bLines)
        vStandardPen(gc);
}

// Trolling-motor tracks -------------------------------------------------------------

void T_NAV_vRenderRumbrel(RUMBREL* pRumbrel, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar, BOOLEAN bShowStart,
                          BOOLEAN bShowEnd, BOOLEAN bUseMoveCopyStyle)
{
    if (pRumbrel == nullptr || pNVI == nullptr)
        return;
    const U32 n = u32RumbrelPoints(pRumbrel);
    if (n == 0)
        return;
    const S32 L = T_NAV_nTrackClipHalfWidth(pNVI, bRadar);
    const POINT ll = T_NAV_ptRelativeToCenter(pNVI, pRumbrel->ptLowerLeft);
    const POINT ur = T_NAV_ptRelativeToCenter(pNVI, pRumbrel->ptUpperRight);
    if (L <= 0 || ll.x > L || ll.y > L || ur.x < -L || ur.y < -L) {
        pRumbrel->u32DisplayedOnChart = 0;
        return;
    }
    pRumbrel->u32DisplayedOnChart = 1;
    for (U32 i = 0; i < n; ++i)
        s_aptRumbrel[i] = T_NAV_ptRelativeToCenter(pNVI, pRumbrel->aTrackPoints[i]);
    if (U_CHART_GENERIC_bIsPOSMode())
        return;

    GR_CONTEXT* gc = &pNVI->GrContext;
    vStandardPen(gc);
    gc->colour = COLOR_vGetStevrinColorDef(pRumbrel->u32Color);
    if (bUseMoveCopyStyle && s_tMoveCopyRumbrel.nCount > 0)
        vDashed(gc);
    else if (pRumbrel->u32Style == RUMBREL_STYLE_WIDE_LINE)
        vBrush2(gc);
    T_NAV_vRenderPolyLineMM(s_aptRumbrel, (S32)n, pNVI, bRadar);
    vStandardPen(gc);

    POINT corner{};
    if (bShowStart && bIconOn(pNVI, &rumbrelStart_icon, pRumbrel->aTrackPoints[0], bRadar, &corner))
        vRumbrelName(pNVI, pRumbrel, corner, &rumbrelStart_icon, bRadar);
    if (bShowEnd)
        bIconOn(pNVI, &rumbrelEnd_icon, pRumbrel->aTrackPoints[n - 1], bRadar, &corner);
}

void T_NAV_vRenderRouteToRumbrel(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    RUMBREL* pRumbrel = s_tNavRumbrelData.pRumbrel;
    if (pNVI == nullptr || pRumbrel == nullptr || u32RumbrelPoints(pRumbrel) == 0 || U_CHART_GENERIC_bIsPOSMode())
        return;
    const U32 n = u32RumbrelPoints(pRumbrel);
    T_NAV_vRenderRumbrel(pRumbrel, pNVI, bRadar, TRUE, TRUE, FALSE);

    GR_CONTEXT* gc = &pNVI->GrContext;
    vBrush2(gc);
    gc->colour = COLOR_vGetStevrinColorDef(STEVRIN_APPROACH);
    const U32 closest = u32ClosestIndex(pRumbrel, s_tNavRumbrelData.u32ClosestTP);
    // Without its start waypoint there is no approach to show.
    const WAYPOINT* pStart = T_NAV_pGetWaypoint(s_tNavRumbrelData.u16wpt);
    if (pStart != nullptr)
        vLine(pNVI, pStart->pt, pRumbrel->aTrackPoints[closest], bRadar);

    const U32 first = s_tNavRumbrelData.bToStart ? 0 : closest;
    const U32 last = s_tNavRumbrelData.bToStart ? closest : n - 1;
    for (U32 i = first; i <= last; ++i)
        s_aptPartial[i - first] = T_NAV_ptRelativeToCenter(pNVI, pRumbrel->aTrackPoints[i]);
    T_NAV_vRenderPolyLineMM(s_aptPartial, (S32)(last - first + 1), pNVI, bRadar);
    vStandardPen(gc);

    POINT corner{};
    bIconOn(pNVI, &rumbrelStart_icon, pRumbrel->aTrackPoints[0], bRadar, &corner);
    bIconOn(pNVI, &rumbrelEnd_icon, pRumbrel->aTrackPoints[n - 1], bRadar, &corner);
}

void T_NAV_STEVRIN_vRenderFTCRumbrel(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    RUMBREL* pRumbrel = s_tNavRumbrelData.pRumbrel;
    if (pNVI == nullptr || pRumbrel == nullptr || u32RumbrelPoints(pRumbrel) == 0)
        return;
    if (s_tNavRumbrelData.bValidBoatPos) {
        GR_CONTEXT* gc = &pNVI->GrContext;
        vBrush2(gc);
        gc->colour = COLOR_vGetStevrinColorDef(STEVRIN_APPROACH);
        const U32 closest = u32ClosestIndex(pRumbrel, s_tNavRumbrelData.u32ClosestTP);
        vLine(pNVI, s_tNavRumbrelData.ptBoatAtFTCSegStart, pRumbrel->aTrackPoints[closest], bRadar);
        vStandardPen(gc);
    }
    T_NAV_vRenderRumbrel(pRumbrel, pNVI, bRadar, FALSE, FALSE, FALSE);
}

void T_NAV_STEVRIN_vRenderRecordingRumbrel(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    RUMBREL* pRumbrel = s_tNavRumbrelData.pRumbrel;
    if (pNVI == nullptr || pRumbrel == nullptr)
        return;
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    BOOLEAN bLatValid = FALSE;
    BOOLEAN bLonValid = FALSE;
    const bool bFix = H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLatValid, nullptr) && bLatValid &&
                      H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLonValid, nullptr) && bLonValid;
    if (!bFix)
        T_NAV_vSetNavUIError(&Fix_Required);
    const U32 n = u32RumbrelPoints(pRumbrel);
    if (n == 0)
        return;
    if (bFix) {
        GR_CONTEXT* gc = &pNVI->GrContext;
        vBrush2(gc);
        gc->colour = COLOR_vGetStevrinColorDef(pRumbrel->u32Color);
        vLine(pNVI, pRumbrel->aTrackPoints[n - 1], pNVI->ptBoatMM, bRadar);
        vStandardPen(gc);
    }
    T_NAV_vRenderRumbrel(pRumbrel, pNVI, bRadar, TRUE, FALSE, FALSE);
}

void T_NAV_vRenderCurosrRumbrel(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pNVI == nullptr)
        return;
    U32 u32Slot = NO_RUMBREL;
    if (!H_DATABASE_bFetchU32(FCID("ICIT"), &u32Slot, nullptr, nullptr) || u32Slot == NO_RUMBREL)
        return;
    const RUMBREL* pRumbrel = T_NAV_pGetRumbrel(u32Slot);
    if (pRumbrel == nullptr || u32RumbrelPoints(pRumbrel) == 0)
        return;
    POINT corner{};
    if (!bIconOn(pNVI, &rumbrelStart_icon, pRumbrel->aTrackPoints[0], bRadar, &corner))
        return;
    char acName[RUMBREL_NAME_CHARS + 1] = {};
    memcpy(acName, pRumbrel->sName, RUMBREL_NAME_CHARS);
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    POINT anchor = {corner.x + (S32)G_ICON_u32GetWidth(&rumbrelStart_icon) + 1,
                    corner.y + (S32)G_ICON_u32GetHeight(&rumbrelStart_icon) / 2 - 8};
    if (pNVI->pBitmap != nullptr)
        G_BOX_vDrawFilled(pNVI->pBitmap, colorEntry(CT_NAME_BOX), &anchor,
                          G_STRING_u32GetWidth(pFont, (const BYTE*)acName) + 1, CURSOR_NAME_BOX_HEIGHT);
    T_NAV_EDIT_vRenderWyptRteTrkName(pNVI->pBitmap, colorName(bRadar), &anchor, pFont, acName);
}

const ICON* T_NAV_pMoveCopyArrowIcon(float fDirection)
{
    if (!(fDirection > -181.0f))
        return g_NAV_RumbrelOffsetArrows[0];
    if (!(fDirection < 181.0f))
        return g_NAV_RumbrelOffsetArrows[NAV_ARROW_ICONS - 1];
    S32 n = (S32)fDirection;
    if (n > 180)
        n = 180;
    if (n < -180)
        return g_NAV_RumbrelOffsetArrows[0];
    return g_NAV_RumbrelOffsetArrows[36 + n / 5];
}

void T_NAV_vRenderMoveCopyRumbrelOffsetArrow(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    float fDirection = 0.0f;
    H_DATABASE_bFetchFloat(FCID("IPID"), &fDirection, nullptr, nullptr);
    const ICON* pIcon = T_NAV_pMoveCopyArrowIcon(fDirection);
    POINT p = {0, 0};
    T_NAV_vConvertToPixel(pNVI, &p, bRadar);
    const POINT corner = {p.x + 1 - (S32)G_ICON_u32GetWidth(pIcon) / 2, p.y - (S32)G_ICON_u32GetHeight(pIcon) / 2};
    G_ICON_vPut(pNVI->pBitmap, pIcon, &corner);
}
