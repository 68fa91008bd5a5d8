// The side-and-down view (layer 46): the down beam (window 0) and the left
// and right side beams (windows 1 and 2) in the layout of "SSQL": down beam
// over the side beams (vertical waterfalls or horizontal histories), three
// flat panes side by side, or three slanted panes fanning away.
#include "sonar/screens/t_n_history_screens.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_line.h"
#include "graphics/g_pixel.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "sonar/screens/t_n_history_frame.h"
#include "store/lang.h"
#include "ui/icon_art.h"

#include <cstdio>

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr S32 SLANT_PANE = 264;     // a slanted pane's width
constexpr S32 SLANT_COLUMNS = 263;  // history columns in a slanted pane
constexpr S32 INFO_BAR_ROWS = 105;

#define EVERY_LANGUAGE(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Side_L = EVERY_LANGUAGE("L");
TEXT_TABLE Side_R = EVERY_LANGUAGE("R");

// The boat seen from astern, between the two waterfalls of layout 0.
constexpr const char* side_view_boat_rows[40] = {
    "........................................", "........................................",
    "........................................", "........................................",
    "........................................", "........................................",
    "........................................", "........................................",
    "........................................", "........................................",
    "...................00...................", "...................00...................",
    "..................0440..................", "..................0440..................",
    ".................044440.................", ".................044440.................",
    "................00000000................", "................04444440................",
    "................04444440................", "................00000000................",
    "...0000000000000000000000000000000000...", "...0444444444444444444444444444444440...",
    "....04444444444444444444444444444440....", "....04444444444444444444444444444440....",
    ".....044444444444444444444444444440.....", "......0444444444444444444444444440......",
    ".......04444444444444444444444440.......", "........044444444444444444444440........",
    ".........0444444444444444444440.........", "..........00444444444444444400..........",
    "............0004444444444000............", "...............0000000000...............",
    "...................00...................", "...................00...................",
    "...................00...................", "........................................",
    "........................................", "........................................",
    "........................................", "........................................",
};
static_assert(icon_art::rowsFit<40>(side_view_boat_rows));
constexpr auto side_view_boat_data = icon_art::pack<40>(side_view_boat_rows);
constexpr ICON side_view_boat_icon = {side_view_boat_data.data(), &icon_art::u8Transparent, 40, 40,
                                      ICON_TRANSPARENT_COLOR};

// ---- Helpers ----

COLOR colTable(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

void vLine(BITMAP* pBmp, U32 u32Entry, S32 x0, S32 y0, S32 x1, S32 y1)
{
    POINT a{x0, y0}, b{x1, y1};
    G_LINE_vDraw(pBmp, colTable(u32Entry), &a, &b);
}

void vBox(BITMAP* pBmp, COLOR color, S32 x, S32 y, U32 w, U32 h)
{
    const POINT pt{x, y};
    G_BOX_vDrawFilled(pBmp, color, &pt, w, h);
}

U32 u32TextWidth(const FONT_DEF* pFont, const char* psz)
{
    return G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(psz));
}

// A label on a white box: the box at the anchor, the text one pixel in.
void vLabel(BITMAP* pBmp, const FONT_DEF* pFont, const char* psz, S32 x, S32 y, U32 u32BoxHeight)
{
    vBox(pBmp, colTable(FRAME_COLOR_WHITE), x, y, u32TextWidth(pFont, psz) + 1, u32BoxHeight);
    POINT pt{x + 1, y + 1};
    G_STRING_vPut(pBmp, colTable(FRAME_COLOR_BLACK), &pt, pFont, reinterpret_cast<const BYTE*>(psz));
}

const char* pszText(const TEXT_TABLE& table) { return table[nCurrentLanguage()]; }

void vFish(BITMAP* pBmp, const SONAR_FRAME& f, const SONAR_WINDOW& w, const POINT& deep, const POINT& young,
           bool bVertical)
{
    if (!f.bFishIDCopy || w.Beam >= SONAR_BEAMS)
        return;
    FISH_TARGET_HISTORY* pHistory = &s_sBeamInfo[w.Beam].FishHistory;
    if (bVertical) {
        POINT d = deep, y = young;
        S_FISHID_vDrawVerticalFishHistory(pHistory, pBmp, &d, &y, w.u32LowerSample, f.unitsDepthCopy, FALSE);
        return;
    }
    S_FISHID_vDrawStandardFishHistory(pBmp, pHistory, (PIXEL)deep.x, (PIXEL)young.x, (PIXEL)deep.y, (PIXEL)young.y,
                                      w.u32UpperSample, w.u32LowerSample, f.unitsDepthCopy,
                                      colTable(FRAME_COLOR_BLACK), FALSE);
}

// Layouts 0 and 1: the down beam over the upper half, the side beams below.
void vDrawStacked(BITMAP* pBmp, SONAR_FRAME& f, bool bVertical)
{
    const S32 Y = (S32)f.u32YOffset;
    const S32 half = (S32)(SONAR_FRAME_HEIGHT - f.u32YOffset) / 2;
    vDrawSonarWindow(pBmp, &f.Window[0], 0, SONAR_FRAME_RIGHT, (U32)half, f.unitsDepthCopy, 0, f.bFishIDCopy, TRUE);

    const POINT leftDeep{0, Y}, leftYoung{bVertical ? 397 : 399, Y + half - 3};
    vCopyHistoryToBitmapGeneric(pBmp, &f.Window[1], &leftDeep, &leftYoung);
    vFish(pBmp, f, f.Window[1], leftDeep, leftYoung, bVertical);
    const POINT rightDeep{799, Y}, rightYoung{402, Y + half - 3};
    vCopyHistoryToBitmapGeneric(pBmp, &f.Window[2], &rightDeep, &rightYoung);
    vFish(pBmp, f, f.Window[2], rightDeep, rightYoung, bVertical);

    const S32 top = Y + half - 3;
    vLine(pBmp, FRAME_COLOR_WHITE, 398, Y, 398, top);
    vLine(pBmp, FRAME_COLOR_BLACK, 399, Y, 399, top);
    vLine(pBmp, FRAME_COLOR_BLACK, 400, Y, 400, top);
    vLine(pBmp, FRAME_COLOR_WHITE, 401, Y, 401, top);
    vLine(pBmp, FRAME_COLOR_WHITE, 0, Y + half, 799, Y + half);
    vLine(pBmp, FRAME_COLOR_BLACK, 0, Y + half - 1, 799, Y + half - 1);
    vLine(pBmp, FRAME_COLOR_WHITE, 0, Y + half - 2, 799, Y + half - 2);

    const FONT_DEF* pBig = f15x21_font_def_ptr;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", (int)f.Window[2].u32LowerDigits);
    const S32 w = (S32)u32TextWidth(pBig, digits);
    vLabel(pBmp, pBig, digits, bVertical ? 799 - w : 400 - w / 2, Y, 23);
    if (!bVertical) {
        std::snprintf(digits, sizeof digits, "%d", (int)f.Window[2].u32UpperDigits);
        const S32 wU = (S32)u32TextWidth(pBig, digits);
        vLabel(pBmp, pBig, digits, 400 - wU / 2, Y + half - 24, 23);
    }

    const FONT_DEF* pSmall = std_11x14_font_def_ptr.load();
    const char* pszLeft = pszText(bVertical ? Side_L : txtLeft);
    const char* pszRight = pszText(bVertical ? Side_R : txtRight);
    vLabel(pBmp, pSmall, pszLeft, 0, Y + half - 17, 16);
    const S32 wR = (S32)u32TextWidth(pSmall, pszRight);
    vLabel(pBmp, pSmall, pszRight, 799 - wR, Y + half - 17, 16);

    if (bVertical) {
        const POINT pt{400 - side_view_boat_icon.nWidth / 2, Y + half + 8 - side_view_boat_icon.nHeight};
        G_ICON_vPut(pBmp, &side_view_boat_icon, &pt);
    }
}

// Layout 2: left, down and right beams side by side; one range shares one
// set of depth lines and one scale.
void vDrawFlat(BITMAP* pBmp, SONAR_FRAME& f)
{
    const S32 Y = (S32)f.u32YOffset;
    const U32 h = SONAR_FRAME_HEIGHT - f.u32YOffset;
    SONAR_WINDOW& main = f.Window[0];
    SONAR_WINDOW& right = f.Window[2];
    const bool bSameRange =
        main.u32UpperDigits == right.u32UpperDigits && main.u32LowerDigits == right.u32LowerDigits;
    if (!bSameRange) {
        vDrawSonarWindow(pBmp, &f.Window[1], 0, 263, h, f.unitsDepthCopy, f.u32DepthLinesCopy, f.bFishIDCopy, TRUE);
        vDrawSonarWindow(pBmp, &main, 267, 532, h, f.unitsDepthCopy, f.u32DepthLinesCopy, f.bFishIDCopy, TRUE);
        vDrawSonarWindow(pBmp, &right, 536, 799, h, f.unitsDepthCopy, f.u32DepthLinesCopy, f.bFishIDCopy, TRUE);
        return;
    }
    vDrawSonarWindow(pBmp, &f.Window[1], 0, 263, h, f.unitsDepthCopy, 0, f.bFishIDCopy, FALSE);
    vDrawSonarWindow(pBmp, &main, 267, 532, h, f.unitsDepthCopy, 0, f.bFishIDCopy, FALSE);
    vDrawSonarWindow(pBmp, &right, 536, 799, h, f.unitsDepthCopy, 0, f.bFishIDCopy, TRUE);
    for (S32 x : {264, 533})
        vLine(pBmp, FRAME_COLOR_WHITE, x, Y, x, 599);
    for (S32 x : {265, 534})
        vLine(pBmp, FRAME_COLOR_BLACK, x, Y, x, 599);
    for (S32 x : {266, 535})
        vLine(pBmp, FRAME_COLOR_WHITE, x, Y, x, 599);
    vDrawDepthLines(pBmp, f.u32DepthLinesCopy, 0, SONAR_FRAME_RIGHT, h, 0, main.u32UpperDigits, main.u32LowerDigits);
}

// One slanted pane: each column of the history one pixel lower per pixel
// of age, written straight into the page under the history's lock.
void vSlantedPane(BITMAP* pBmp, const SONAR_WINDOW& w, S32 nX, S32 Y)
{
    vLine(pBmp, FRAME_COLOR_GREY, nX, Y + SLANT_PANE, nX, 599);
    vLine(pBmp, FRAME_COLOR_GREY, nX, 599, nX - SLANT_PANE, 335);
    vLine(pBmp, FRAME_COLOR_BLACK, nX, Y + SLANT_PANE, nX - SLANT_PANE, Y);
    vLine(pBmp, FRAME_COLOR_BLACK, nX - SLANT_PANE, 335, nX - SLANT_PANE, Y);

    SONAR_HISTORY* pHistory = const_cast<SONAR_HISTORY*>(&w.ScreenHistory);
    if (pHistory->pBmp == nullptr)
        return;
    const S32 nH = 334 - Y;
    L_MUTEX_LockWait(pHistory->Resource);
    const S32 wide = (S32)pHistory->pBmp->pixels_wide;
    const S32 rows = (S32)HISTORY_MEMORY_ROWS;
    if (wide > 0) {
        const S32 newest = pHistory->u16NextFreeColumn != 0 ? (S32)pHistory->u16NextFreeColumn - 1 : wide - 1;
        for (S32 nIndex = 0; nIndex < SLANT_COLUMNS; ++nIndex) {
            const S32 col = ((newest - nIndex) % wide + wide) % wide;
            const S32 x = nX - 1 - nIndex;
            if (x < 0 || x >= (S32)SONAR_FRAME_WIDTH)
                continue;
            for (S32 nY = 0; nY < nH && nY < rows; ++nY) {
                const S32 y = 597 - nIndex - nY;
                if (y < 0 || y >= (S32)SONAR_FRAME_HEIGHT)
                    continue;
                // Row nY counted from the top of the history column.
                *G_PIXEL_pcolLogical(pBmp, (PIXEL)x, (PIXEL)y) =
                    *G_PIXEL_pcolPhysical(pHistory->pBmp, (PIXEL)col, (PIXEL)nY);
            }
        }
    }
    L_MUTEX_Unlock(pHistory->Resource);
}

void vDrawSlanted(BITMAP* pBmp, SONAR_FRAME& f)
{
    const S32 Y = (S32)f.u32YOffset;
    G_BMP_vSet(pBmp, BackGroundColor.load());
    const struct {
        S32 nX;
        U32 window;
    } panes[] = {{799, 2}, {533, 0}, {267, 1}};
    for (const auto& p : panes) {
        const SONAR_WINDOW& w = f.Window[p.window];
        vSlantedPane(pBmp, w, p.nX, Y);
        if (f.bFishIDCopy && w.Beam < SONAR_BEAMS)
            S_FISHID_vDrawStandardFishHistory(pBmp, &s_sBeamInfo[w.Beam].FishHistory, (PIXEL)(p.nX - 263),
                                              (PIXEL)(p.nX - 1), (PIXEL)(Y + 265), 598, w.u32UpperSample,
                                              w.u32LowerSample, f.unitsDepthCopy, colTable(FRAME_COLOR_BLACK), TRUE);
    }
    const U32 h = (U32)(336 - Y);
    const SONAR_WINDOW& right = f.Window[2];
    const SONAR_WINDOW& main = f.Window[0];
    const SONAR_WINDOW& left = f.Window[1];
    vDrawDepthScale(pBmp, 798, right.u32UpperDigits, right.u32LowerDigits, h, 0, right.bManualDepthRange, TRUE);
    if (main.u32LowerDigits != right.u32LowerDigits || main.u32UpperDigits != right.u32UpperDigits) {
        vDrawDepthScale(pBmp, 532, main.u32UpperDigits, main.u32LowerDigits, h, 0, main.bManualDepthRange, TRUE);
        vDrawDepthScale(pBmp, 266, left.u32UpperDigits, left.u32LowerDigits, h, 0, left.bManualDepthRange, TRUE);
    }
}

} // namespace

void T_N_HISTORY_vDrawDownAndSidebeamView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const U32 Y = u32SonarFrameYOffset(SPLIT_FULL_WINDOW);
    SONAR_FRAME frame;
    vSonarFrameSnapshot(&frame, psWindowSpec, VIEW_SIDEVIEW_AND_DOWN,
                        FRAME_WINDOW(0) | FRAME_WINDOW(1) | FRAME_WINDOW(2), Y);
    CursorWindow = psWindowSpec->drawWindow;
    const U32 half = (SONAR_FRAME_HEIGHT - Y) / 2;
    U32 u32MainWidth = SONAR_FRAME_WIDTH, u32SideWidth = 400;
    switch (frame.eQuadLayoutCopy) {
    case QUAD_LAYOUT_VERTICAL:
        u32SideWidth = half - 2;
        break;
    case QUAD_LAYOUT_3_PANE_FLAT:
        u32MainWidth = 266;
        u32SideWidth = 264;
        break;
    case QUAD_LAYOUT_3_PANE_SLANTED:
        u32MainWidth = 263;
        u32SideWidth = 263;
        break;
    default:
        break;
    }
    vSonarFrameRebuild(&frame, 0, frame.Window[0].u32HistoryHeight, u32MainWidth);
    vSonarFrameRebuild(&frame, 1, frame.Window[1].u32HistoryHeight, u32SideWidth);
    vSonarFrameRebuild(&frame, 2, frame.Window[2].u32HistoryHeight, u32SideWidth);

    switch (frame.eQuadLayoutCopy) {
    case QUAD_LAYOUT_VERTICAL:
        vDrawStacked(pBitmap, frame, true);
        break;
    case QUAD_LAYOUT_3_PANE_FLAT:
        vDrawFlat(pBitmap, frame);
        break;
    case QUAD_LAYOUT_3_PANE_SLANTED:
        vDrawSlanted(pBitmap, frame);
        break;
    default:
        vDrawStacked(pBitmap, frame, false);
        break;
    }
    if (Y != 0)
        vBox(pBitmap, BackGroundColor.load(), 0, 0, SONAR_FRAME_WIDTH, INFO_BAR_ROWS);
}
