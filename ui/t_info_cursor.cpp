// The cursor readout: a box along the top of the screen, 46 pixels high,
// with columns of equal width filled from the right end (bearing and
// distance from the boat, position or depth, the sonar zoom) and the cursor
// icon at its left end; and the cursor mark at the cursor's position.
//
// The cursor's keys are kept by the sonar, chart and radar code; this file
// only reads them, in the view task's thread.

#include "ui/t_info_bar.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "ui/t_info_icons.h"
#include "ui/t_info_state.h"

#include <cstdio>
#include <utility>

namespace {

#define INFO_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

const TEXT_TABLE txtBearing = INFO_TEXT("Bearing");
const TEXT_TABLE txtBrg = INFO_TEXT("BRG");
const TEXT_TABLE txtDistance = INFO_TEXT("Distance");
const TEXT_TABLE txtDepth = INFO_TEXT("Depth");
const TEXT_TABLE txtCursor = INFO_TEXT("Cursor");
const TEXT_TABLE txtZoom = INFO_TEXT("Zoom");
const char BEARING_WIDTH_SAMPLE[] = " 000ot";

constexpr U32 COLOR_ENTRY_WHITE = 35;

constexpr S32 BOX_Y = 554;
constexpr S32 BOX_HEIGHT = 46;
constexpr S32 BOX_MIDDLE = 577;
constexpr S32 RULE_Y = 551;
constexpr LAYER_ID KEELVIEW_FLANKVIEW_2D_VIEW = 42;
constexpr U32 NO_ITEM = 0xFFFF;

COLOR entry(U32 index) { return gCOLOR_pcolColorTable[index]; }

void fill(BITMAP* pBitmap, U32 index, S32 x, S32 y, S32 w, S32 h)
{
    if (w <= 0 || h <= 0)
        return;
    const POINT at = {x, y};
    G_BOX_vDrawFilled(pBitmap, entry(index), &at, (U32)w, (U32)h);
}

void fillAlpha(BITMAP* pBitmap, U32 index, S32 x, S32 y, S32 w, S32 h)
{
    if (w <= 0 || h <= 0)
        return;
    const POINT at = {x, y};
    G_BOX_vDrawFilledAlpha(pBitmap, entry(index), &at, (U32)w, (U32)h, t_info::alpha());
}

S32 iconWidth(const ICON* pIcon) { return pIcon != nullptr ? (S32)G_ICON_u32GetWidth(pIcon) : 0; }
S32 iconHeight(const ICON* pIcon) { return pIcon != nullptr ? (S32)G_ICON_u32GetHeight(pIcon) : 0; }

void putIcon(BITMAP* pBitmap, const ICON* pIcon, S32 x, S32 y)
{
    if (pIcon == nullptr)
        return;
    const POINT at = {x, y};
    G_ICON_vPut(pBitmap, pIcon, &at);
}

// Centred on the point.
void putIconAt(BITMAP* pBitmap, const ICON* pIcon, S32 x, S32 y)
{
    putIcon(pBitmap, pIcon, x - iconWidth(pIcon) / 2, y - iconHeight(pIcon) / 2);
}

const ICON* cursorIcon(void)
{
    auto* const pfn = t_info::neighbours().pfnCursorIcon;
    return pfn != nullptr ? pfn() : nullptr;
}

const char* textOf(const TEXT_TABLE& text, U32 nLang)
{
    const char* s = text[nLang < (U32)DB_NUM_LANGUAGES ? nLang : 0];
    return s != nullptr ? s : "";
}

S32 textWidth(const FONT_DEF* pFont, const char* s)
{
    return pFont != nullptr ? (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)s) : 0;
}

S32 coreHeight(const FONT_DEF* pFont) { return pFont != nullptr ? (S32)G_FONTS_u32GetCoreHeight(pFont) : 0; }

void putText(BITMAP* pBitmap, U32 index, S32 x, S32 y, const FONT_DEF* pFont, const char* s)
{
    if (pFont == nullptr)
        return;
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, entry(index), &at, pFont, (const BYTE*)s);
}

// A key that holds an item (a waypoint or a track) other than "none".
BOOLEAN holdsItem(FOURCHARID key)
{
    U32 v = NO_ITEM;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(key, &v, &bValid, nullptr) && bValid && v != NO_ITEM;
}

BOOLEAN cursorPosition(S32* pX, S32* pY)
{
    return H_DATABASE_bFetchS32(FCID("ICPX"), pX, nullptr, nullptr) &&
           H_DATABASE_bFetchS32(FCID("ICPY"), pY, nullptr, nullptr);
}

// Column c (0 the rightmost) of width q in a box W wide: its left edge.
// Columns are 2 pixels apart, and the rightmost ends 2 pixels before W.
S32 columnX(S32 W, S32 q, S32 c) { return W - (c + 1) * (q + 2); }

// The label, right-aligned within its column, near the top of the box.
void label(BITMAP* pBitmap, const TEXT_TABLE& text, S32 x, S32 q, BOOLEAN bWhite, U32 nLang)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const S32 lx = x + q - 4 - textWidth(pFont, textOf(text, nLang));
    const S32 ly = BOX_Y + 44 - coreHeight(pFont);
    if (bWhite)
        putText(pBitmap, COLOR_ENTRY_WHITE, lx, ly, pFont, textOf(text, nLang));
    else
        T_INFO_vDrawText(pBitmap, lx, ly, &text, pFont, nLang);
}

void valueBox(BITMAP* pBitmap, FOURCHARID key, S32 x, S32 q, U32 nLang)
{
    T_INFO_nDrawInfoBox(pBitmap, q, BOX_HEIGHT, x, BOX_Y, key, f18x32_font_def_ptr, std_11x14_font_def_ptr.load(),
                        IBS_NONE, JUSTIFY_LEFT, nLang);
}

void separators(BITMAP* pBitmap, U32 textEntry, S32 W, S32 q, S32 columns)
{
    for (S32 c = 1; c < columns; ++c)
        fill(pBitmap, textEntry, columnX(W, q, c) + q, BOX_Y, 2, BOX_HEIGHT);
}

// The zoom column of a shown zoom window: its factor large, an "x" small.
void zoomColumn(BITMAP* pBitmap, S32 x, S32 q, S32 factor, U32 nLang)
{
    label(pBitmap, txtZoom, x, q, FALSE, nLang);
    char digits[16];
    snprintf(digits, sizeof digits, "%d", (int)factor);
    POINT at = {x + 4, BOX_Y + 4};
    G_STRING_vPut(pBitmap, entry(INFO_COLOR_TEXT), &at, f18x32_font_def_ptr, (const BYTE*)digits);
    G_STRING_vPut(pBitmap, entry(INFO_COLOR_TEXT), &at, std_11x14_font_def_ptr.load(), (const BYTE*)"x");
    const POINT outline = {x - 2, BOX_Y};
    G_BOX_vDraw(pBitmap, entry(INFO_COLOR_TEXT), &outline, 2, BOX_HEIGHT);
}

// With a zoom window and a position, the bearing shares its column with
// the zoom factor: the bearing above the line, the factor below.
void splitBearingColumn(BITMAP* pBitmap, S32 x, S32 q, S32 factor, U32 nLang)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const S32 half = BOX_HEIGHT / 2;
    const POINT line = {x, BOX_Y + half - 1};
    G_BOX_vDraw(pBitmap, entry(INFO_COLOR_TEXT), &line, (U32)q, 2);

    const char* sBrg = textOf(txtBrg, nLang);
    const S32 brgWidth = textWidth(pFont, sBrg);
    const S32 start = x + (q - (brgWidth + textWidth(pFont, BEARING_WIDTH_SAMPLE))) / 2;
    const S32 textY = (half - coreHeight(pFont)) / 2;
    T_INFO_vDrawText(pBitmap, start, BOX_Y + half + textY, &txtBrg, pFont, nLang);
    T_INFO_nDrawInfoBox(pBitmap, 0, half, start + brgWidth + 6, BOX_Y + half, FCID("ICBH"), pFont, pFont, IBS_NONE,
                        JUSTIFY_LEFT, nLang);

    char zoom[48];
    snprintf(zoom, sizeof zoom, "%s %dx", textOf(txtZoom, nLang), (int)factor);
    putText(pBitmap, INFO_COLOR_TEXT, x + (q - textWidth(pFont, zoom)) / 2, BOX_Y + textY, pFont, zoom);
}

void sonarCursor(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, U32 nLang)
{
    const T_INFO_NEIGHBOURS& n = t_info::neighbours();
    S32 siFactor = 0, diFactor = 0;
    const BOOLEAN bSi = n.pfnDrawSiZoomWindow != nullptr &&
                        n.pfnDrawSiZoomWindow(pBitmap, psWindowSpec, &siFactor, nullptr);
    const BOOLEAN bDi = n.pfnDrawDiZoomWindow != nullptr &&
                        n.pfnDrawDiZoomWindow(pBitmap, psWindowSpec, &diFactor, nullptr);
    const BOOLEAN bZoom = bSi || bDi;

    const ICON* pIcon = cursorIcon();
    const S32 iw = iconWidth(pIcon);
    const S32 q = (780 - iw) / 4;
    const BOOLEAN bDepth = T_INFO_bFCIDNonZero(FCID("ICDP"));
    S32 W = 0;
    S32 columns = 0;
    if (!T_INFO_bFCIDNonZero(FCID("ICLV"))) {
        // Both zoom windows at once get a column each, and the box grows
        // to hold them.
        columns = 2 + (bSi ? 1 : 0) + (bDi ? 1 : 0);
        W = (q + 2) * columns + iw + 8;
        T_INFO_vDrawInfoBar(pBitmap, W, BOX_HEIGHT, 0, BOX_Y, IBS_WHITE_BAR);
        fillAlpha(pBitmap, INFO_COLOR_TEXT, 0, RULE_Y, W, 3);
        fillAlpha(pBitmap, INFO_COLOR_TEXT, W, RULE_Y, 3, BOX_HEIGHT + 3);
        S32 c = 0;
        if (bSi)
            zoomColumn(pBitmap, columnX(W, q, c++), q, siFactor, nLang);
        if (bDi)
            zoomColumn(pBitmap, columnX(W, q, c++), q, diFactor, nLang);
        S32 x = columnX(W, q, c++);
        label(pBitmap, txtDepth, x, q, FALSE, nLang);
        if (bDepth)
            valueBox(pBitmap, FCID("ICDP"), x, q, nLang);
        x = columnX(W, q, c++);
        label(pBitmap, txtCursor, x, q, FALSE, nLang);
        valueBox(pBitmap, FCID("ICCD"), x, q, nLang);
    } else {
        columns = 4;
        W = iw + 20 + 4 * q + (780 - iw) % 4;
        T_INFO_vDrawInfoBar(pBitmap, W, BOX_HEIGHT, 0, BOX_Y, IBS_WHITE_BAR);
        fillAlpha(pBitmap, INFO_COLOR_TEXT, 0, RULE_Y, W, 3);
        S32 x = columnX(W, q, 0);
        if (bZoom) {
            splitBearingColumn(pBitmap, x, q, bSi ? siFactor : diFactor, nLang);
        } else {
            label(pBitmap, txtBearing, x, q, FALSE, nLang);
            valueBox(pBitmap, FCID("ICBH"), x, q, nLang);
        }
        x = columnX(W, q, 1);
        label(pBitmap, txtDistance, x, q, FALSE, nLang);
        valueBox(pBitmap, FCID("ICBD"), x, q, nLang);
        x = columnX(W, q, 2);
        label(pBitmap, txtDepth, x, q, FALSE, nLang);
        if (bDepth)
            valueBox(pBitmap, FCID("ICDP"), x, q, nLang);
        x = columnX(W, q, 3);
        label(pBitmap, txtCursor, x, q, FALSE, nLang);
        valueBox(pBitmap, FCID("ICCD"), x, q, nLang);
    }
    separators(pBitmap, INFO_COLOR_TEXT, W, q, columns);
    putIcon(pBitmap, pIcon, columnX(W, q, columns - 1) - 4 - iw, BOX_MIDDLE - iconHeight(pIcon) / 2);

    if (!bZoom)
        T_INFO_vDrawCursor(pBitmap, nLang, FALSE);
    // The down-looking zoom window lies over the box and the mark.
    if (n.pfnDrawDiZoomWindow != nullptr)
        n.pfnDrawDiZoomWindow(pBitmap, psWindowSpec, nullptr, nullptr);
}

// Chart, radar and 360-degree panes: bearing, distance and position.
void positionCursor(BITMAP* pBitmap, BOOLEAN bRadar, BOOLEAN bMss, U32 nLang)
{
    const BOOLEAN bDark = bRadar || bMss;
    const U32 textEntry = bDark ? COLOR_ENTRY_WHITE : INFO_COLOR_TEXT;
    const ICON* pIcon = bRadar ? &RadarCursor_icon : cursorIcon();
    const S32 iw = iconWidth(pIcon);
    const S32 q = (786 - iw) / 3;
    const S32 W = iw + 14 + 3 * q + (786 - iw) % 3;
    T_INFO_vDrawInfoBar(pBitmap, W, BOX_HEIGHT, 0, BOX_Y, bDark ? IBS_ALWAYS_BLACK_BAR : IBS_WHITE_BAR);
    fill(pBitmap, textEntry, 0, RULE_Y, W, 3);

    S32 x = columnX(W, q, 0);
    label(pBitmap, txtBearing, x, q, bDark, nLang);
    valueBox(pBitmap, FCID("ICBH"), x, q, nLang);
    x = columnX(W, q, 1);
    label(pBitmap, txtDistance, x, q, bDark, nLang);
    valueBox(pBitmap, FCID("ICBD"), x, q, nLang);

    // Latitude over longitude, both as wide as the wider of the two.
    x = columnX(W, q, 2);
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    S32 mw = 0;
    for (FOURCHARID key : {FCID("ICTD"), FCID("ICND")}) {
        const S32 w = T_INFO_nMeasureDigitsInfoBox(0, key, pFont, pFont, pFont, DONT_FORCE, IBS_NONE, nLang);
        mw = w > mw ? w : mw;
    }
    const S32 px = x + (q - mw) / 2;
    T_INFO_nDrawDigitsInfoBox(pBitmap, mw, 23, px, BOX_Y + 21, FCID("ICTD"), pFont, pFont, pFont, DONT_FORCE,
                              IBS_NONE, INSTRUMENTATION_JUSTIFY_RIGHT, nLang);
    T_INFO_nDrawDigitsInfoBox(pBitmap, mw, 23, px, BOX_Y, FCID("ICND"), pFont, pFont, pFont, DONT_FORCE, IBS_NONE,
                              INSTRUMENTATION_JUSTIFY_RIGHT, nLang);

    separators(pBitmap, textEntry, W, q, 3);
    putIcon(pBitmap, pIcon, columnX(W, q, 2) - 4 - iw, BOX_MIDDLE - iconHeight(pIcon) / 2);

    if (bRadar) {
        S32 cx = 0, cy = 0;
        if (cursorPosition(&cx, &cy))
            putIconAt(pBitmap, holdsItem(FCID("ICIT")) ? &Waypointcursor_icon : &RadarCursor_icon, cx, cy);
        return;
    }
    T_INFO_vDrawCursor(pBitmap, nLang, TRUE);
}

} // namespace

void T_INFO_vDrawInfoLayer_ActiveCursor(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, POINT pt)
{
    (void)pt;
    if (pBitmap == nullptr || psWindowSpec == nullptr || !T_INFO_bFCIDNonZero(FCID("ICAC")))
        return;
    const T_INFO_NEIGHBOURS& n = t_info::neighbours();
    const U32 nLang = nCurrentLanguage();
    const LAYER_ID layer = psWindowSpec->currentLayer;
    const SPLIT_WINDOW_TYPE pane = psWindowSpec->activeWindow;
    if (n.pfnIsMyCursorView != nullptr && n.pfnIsMyCursorView(layer, pane)) {
        sonarCursor(pBitmap, psWindowSpec, nLang);
        return;
    }
    const BOOLEAN bRadar = n.pfnIsMyRadarInfoView != nullptr && n.pfnIsMyRadarInfoView(layer);
    const BOOLEAN bMss = T_INFO_bIsMssView();
    const BOOLEAN bChart = n.pfnIsMyChartCursorView != nullptr && n.pfnIsMyChartCursorView(layer, pane);
    if (bChart || bRadar || bMss)
        positionCursor(pBitmap, bRadar, bMss, nLang);
}

void T_INFO_vDrawInfoLayer_MssActiveCursor(BITMAP* pBitmap, U32 nLang)
{
    if (pBitmap == nullptr || !T_INFO_bFCIDNonZero(FCID("ICAC")))
        return;
    const ICON* pIcon = cursorIcon();
    const S32 iw = iconWidth(pIcon);
    const S32 q = (780 - iw) / 4;
    const S32 W = iw + 2 * q + 11;
    const S32 x0 = 1;
    T_INFO_vDrawInfoBar(pBitmap, W, BOX_HEIGHT, x0, BOX_Y, IBS_BLACK_BAR);
    fill(pBitmap, COLOR_ENTRY_WHITE, x0, RULE_Y, W + 3, 3);
    fill(pBitmap, COLOR_ENTRY_WHITE, x0 + W, RULE_Y, 3, BOX_HEIGHT + 3);

    const FONT_DEF* pSmall = std_11x14_font_def_ptr.load();
    const S32 labelY = BOX_Y + 44 - coreHeight(pSmall);
    S32 x = x0;
    for (const auto& column : {std::pair{&txtBearing, FCID("ICMB")}, std::pair{&txtDistance, FCID("ICMD")}}) {
        const char* s = textOf(*column.first, nLang);
        putText(pBitmap, COLOR_ENTRY_WHITE, x + q - 4 - textWidth(pSmall, s), labelY, pSmall, s);
        T_INFO_nDrawBlackDigitsInfoBox(pBitmap, q, x, BOX_Y, column.second, f18x32_font_def_ptr, pSmall,
                                       f18x32_font_def_ptr, nLang);
        x += q;
        fill(pBitmap, COLOR_ENTRY_WHITE, x, BOX_Y, 2, BOX_HEIGHT);
        x += 2;
    }
    auto* const pfnOnWaypoint = t_info::neighbours().pfnCursoredWaypointInMSS;
    if (pfnOnWaypoint == nullptr || !pfnOnWaypoint())
        putIcon(pBitmap, pIcon, x0 + W - 4 - iw, BOX_MIDDLE - iconHeight(pIcon) / 2);
    T_INFO_vDrawCursor(pBitmap, nLang, FALSE);
}

void T_INFO_vDrawCursor(BITMAP* pBitmap, U32 nLang, BOOLEAN bWaypointCursorEnabled)
{
    (void)nLang;
    S32 x = 0, y = 0;
    if (pBitmap == nullptr || !cursorPosition(&x, &y))
        return;
    const T_INFO_NEIGHBOURS& n = t_info::neighbours();
    const ICON* pCursor = cursorIcon();
    if (T_INFO_bIsMssView()) {
        if (n.pfnCursoredWaypointInMSS != nullptr && n.pfnCursoredWaypointInMSS())
            return;
        POINT at = {x + 1 - iconWidth(pCursor) / 2, y - iconHeight(pCursor) / 2};
        if (n.pfnMSSCursorOffset != nullptr)
            n.pfnMSSCursorOffset(&at);
        putIcon(pBitmap, pCursor, at.x, at.y);
        return;
    }
    if ((bWaypointCursorEnabled && holdsItem(FCID("ICWP"))) || holdsItem(FCID("ICIT"))) {
        putIconAt(pBitmap, &Waypointcursor_icon, x, y);
        return;
    }
    putIconAt(pBitmap, pCursor, x, y);
    if (U_VIEW_eCurrentView() == KEELVIEW_FLANKVIEW_2D_VIEW && U_VIEW_eCurrentSplit() == SPLIT_LEFT_WINDOW) {
        // The left pane shows the same picture twice, one above the other.
        const S32 drop = (600 - (S32)T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_LEFT_WINDOW)) / 2;
        putIconAt(pBitmap, pCursor, x, y - drop);
    }
}
