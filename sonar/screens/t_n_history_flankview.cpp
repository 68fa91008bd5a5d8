// The Flankview waterfall: the boat in a band at the top of its pane, the
// left-hand beam's picture left of the centre and the right-hand beam's
// right of it, range growing outwards from the centre, and every new ping
// row entering just below the band while the older rows move down.
//
// Windows 1 (beam 2) and 2 (beam 3) scroll vertically: one history column
// is one screen row, and the window's height is the picture's width. Each
// side is snapshotted under mutex 28 on its own, rebuilt from its column
// store only on an ordinary frame and only when it is shown, and copied
// under the history mutex (4) so that a row being added by the processing
// task is never copied half-written. A side that is not shown keeps its
// rebuild flag for the frame that shows it.
#include "sonar/screens/t_n_history_imaging.h"

#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/screens/t_n_history_frame.h"
#include "sonar/screens/t_n_history_zoom_windows.h"
#include "sonar/screens/t_n_history_imaging_icons.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_fonts.h"
#include "graphics/g_icon.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "ui/t_info.h"
#include "ui/t_info_bar.h"
#include "util/u_convert.h"

#include <algorithm>
#include <cstdio>

using namespace t_n_history;
using t_n_history::CursorWindow;

namespace t_n_history {
BOOLEAN s_bSideLineOn = FALSE;
BOOLEAN s_bFV_Navigation = TRUE;
} // namespace t_n_history

namespace {

// ---- Constants ----

constexpr S32 FRAME_RIGHT = 799;
constexpr S32 FRAME_TOP = 599;
constexpr U32 INFO_BAND_HEIGHT = 105;
constexpr U32 COLOR_BAND = 128;
constexpr U32 COLOR_TEXT = 131;
constexpr U32 COLOR_LINE_WHITE = 35;
constexpr U32 COLOR_LINE_BLACK = 32;
constexpr U32 FV_COLOR_BLACK_LINES = 2;
constexpr U32 READOUT_COLOR = 128;
constexpr BYTE DEGREE_SIGN = 0xBA;

COLOR colTable(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

void vLine(BITMAP* pBmp, COLOR color, S32 x0, S32 y0, S32 x1, S32 y1)
{
    POINT a{x0, y0}, b{x1, y1};
    G_LINE_vDraw(pBmp, color, &a, &b);
}

void vBox(BITMAP* pBmp, COLOR color, S32 x, S32 y, S32 w, S32 h)
{
    if (w <= 0 || h <= 0)
        return;
    const POINT pt{x, y};
    G_BOX_vDrawFilled(pBmp, color, &pt, static_cast<U32>(w), static_cast<U32>(h));
}

S32 s32Width(const FONT_DEF* pFont, const char* psz)
{
    return static_cast<S32>(G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(psz)));
}

// Draws at the anchor and moves it to the end of the text.
void vText(BITMAP* pBmp, POINT* pAnchor, const FONT_DEF* pFont, const char* psz, COLOR color)
{
    G_STRING_vPut(pBmp, color, pAnchor, pFont, reinterpret_cast<const BYTE*>(psz));
}

void vTextAt(BITMAP* pBmp, S32 x, S32 y, const FONT_DEF* pFont, const char* psz, COLOR color)
{
    POINT pt{x, y};
    vText(pBmp, &pt, pFont, psz, color);
}

const char* pszText(const TEXT_TABLE& table) { return table[std::min<U32>(nCurrentLanguage(), DB_NUM_LANGUAGES - 1)]; }

BOOLEAN bFetchFlag(FOURCHARID fcid, BOOLEAN bDefault)
{
    BOOLEAN b = bDefault;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchBoolean(fcid, &b, &bValid, nullptr) || !bValid)
        return bDefault;
    return b;
}

// ---- Geometry of one frame ----

struct GEOMETRY {
    S32 originX;   // left edge of the pane (not below 0)
    S32 right;     // right edge, inclusive
    S32 centre;    // where the two sides meet
    S32 originY;   // rows of the info strip at the bottom
    S32 H;         // the boat icon's height
    S32 bandLower; // L: lower edge of the boat band
    S32 top;       // T: top row of the pictures
    bool bLines;
};

// ---- The sides ----

struct SIDE {
    SONAR_WINDOW copy;
    BEAM beam;
    bool bActive;
};

// Snapshot of one side under mutex 28 (nested in the caller's take for the
// left side); an ordinary frame takes its rebuild flag when the side is
// shown.
SIDE sideSnapshot(U32 u32Window, bool bActive, BOOLEAN bExpedited)
{
    L_MUTEX_LockWait(RES_S_INFO);
    SIDE s{tCopyWindow(SonarViewInfo.Window[u32Window]), u32Window == 1 ? BEAM(2) : BEAM(3), bActive};
    if (!bExpedited && bActive)
        SonarViewInfo.Window[u32Window].bTriggerTotalScreenUpdate = FALSE;
    L_MUTEX_Unlock(RES_S_INFO);
    return s;
}

void vRebuild(const SIDE& s, BOOLEAN bExpedited, POST_PROCESS_MODE BottomView)
{
    if (!bExpedited && s.bActive && s.copy.bTriggerTotalScreenUpdate)
        vTotalScreenUpdate(&s.copy, s.copy.u32HistoryHeight, 600, BottomView, FALSE);
}

S32 s32Clamp(S32 v, S32 lo, S32 hi) { return std::min(std::max(v, lo), hi); }

void vDrawSide(BITMAP* pBitmap, const SIDE& s, POINT DeepOld, POINT ShallowYoung, BOOLEAN bFish, UNIT_TYPE units)
{
    if (!s.bActive || s.copy.ScreenHistory.pBmp == nullptr)
        return;
    // The copy writes without clipping: both corners stay on the frame.
    DeepOld.x = s32Clamp(DeepOld.x, 0, FRAME_RIGHT);
    ShallowYoung.x = s32Clamp(ShallowYoung.x, 0, FRAME_RIGHT);
    DeepOld.y = s32Clamp(DeepOld.y, 0, FRAME_TOP);
    ShallowYoung.y = s32Clamp(ShallowYoung.y, 0, FRAME_TOP);
    L_MUTEX_LockWait(s.copy.ScreenHistory.Resource);
    vCopyHistoryToBitmapGeneric(pBitmap, &s.copy, &DeepOld, &ShallowYoung);
    L_MUTEX_Unlock(s.copy.ScreenHistory.Resource);
    if (bFish)
        S_FISHID_vDrawVerticalFishHistory(&s_sBeamInfo[s.beam].FishHistory, pBitmap, &DeepOld, &ShallowYoung,
                                          s.copy.u32LowerSample, units, TRUE);
}

// ---- Overlays ----

void vBoatBand(BITMAP* pBitmap, const GEOMETRY& g, U32 side)
{
    const COLOR back = BackGroundColor;
    const S32 width = g.right + 1 - g.originX;
    vBox(pBitmap, back, g.originX, g.bandLower, width, g.H + (g.bLines ? 20 : 3));
    vLine(pBitmap, colTable(COLOR_TEXT), g.originX, g.bandLower + 1, g.right, g.bandLower + 1);
    const S32 boatY = g.bLines ? 582 - g.H : 599 - g.H;
    const S32 halfBoat = static_cast<S32>(G_ICON_u32GetWidth(&BoatLarge_icon)) / 2;
    S32 boatX = g.centre - halfBoat;
    if (side == SIDE_BEAM_LEFT) {
        boatX = g.right - 1 - halfBoat;
        vLine(pBitmap, back, g.right, boatY, g.right, FRAME_TOP);
    } else if (side == SIDE_BEAM_RIGHT) {
        boatX = g.originX + 2 - halfBoat;
        vLine(pBitmap, back, g.originX, boatY, g.originX, FRAME_TOP);
    }
    const POINT boat{boatX, boatY};
    G_ICON_vPut(pBitmap, &BoatLarge_icon, &boat);
}

void vSideLabels(BITMAP* pBitmap, const GEOMETRY& g, bool bLeft, bool bRight, U32 u32Range)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const COLOR color = colTable(COLOR_TEXT);
    const S32 y = 602 + static_cast<S32>(G_FONTS_u32GetAscenderHeight(pFont)) -
                  static_cast<S32>(G_FONTS_u32GetHeight(pFont));
    char text[48];
    if (bLeft) {
        if (g.bLines)
            std::snprintf(text, sizeof text, "%s", pszText(txtLeft));
        else
            std::snprintf(text, sizeof text, "%u %s", u32Range, pszText(txtLeft));
        vTextAt(pBitmap, g.originX + 1, y, pFont, text, color);
    }
    if (bRight) {
        if (g.bLines)
            std::snprintf(text, sizeof text, "%s", pszText(txtRight));
        else
            std::snprintf(text, sizeof text, "%s %u", pszText(txtRight), u32Range);
        vTextAt(pBitmap, g.right + 1 - s32Width(pFont, text), y, pFont, text, color);
    }
}

void vRangeLines(BITMAP* pBitmap, const GEOMETRY& g, U32 side, U32 u32LeftRange, U32 u32RightRange)
{
    const COLOR lineColor = colTable(s_u32FVColor == FV_COLOR_BLACK_LINES ? COLOR_LINE_BLACK : COLOR_LINE_WHITE);
    const COLOR textColor = colTable(COLOR_TEXT);
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const S32 x0 = static_cast<U16>(g.originX + 1);
    const S32 x1 = static_cast<U16>(g.right + 1);
    const S32 s = (x1 - x0) / 8;
    const S32 lineTop = 579 - g.H;
    const S32 labelY = 583 - g.H;
    const bool bLabels = !s_bTerrainMode;
    char text[16];
    const auto label = [&](U32 value, S32 x, int align) { // align: 0 from x, 1 centred, 2 ending at x
        std::snprintf(text, sizeof text, "%u", value);
        const S32 w = s32Width(pFont, text);
        vTextAt(pBitmap, align == 0 ? x : align == 1 ? x - w / 2 : x - w, labelY, pFont, text, textColor);
    };
    const bool bLeft = side == SIDE_BEAM_LEFT || side == SIDE_BEAM_BOTH;
    const bool bRight = side == SIDE_BEAM_RIGHT || side == SIDE_BEAM_BOTH;
    if (bLeft)
        label(u32LeftRange, x0, 0);
    if (bRight)
        label(u32RightRange, x1, 2);
    for (S32 k = 1; k <= 7; ++k) {
        if (side == SIDE_BEAM_BOTH && k == 4)
            continue;
        const S32 x = x0 + k * s;
        vLine(pBitmap, lineColor, x, lineTop, x, 0);
        if (!bLabels)
            continue;
        const U32 u = static_cast<U32>(k);
        if (side == SIDE_BEAM_BOTH)
            label(k <= 3 ? u32LeftRange * (4 - u) / 4 : u32RightRange * (u - 4) / 4, x, 1);
        else if (side == SIDE_BEAM_LEFT)
            label(u32LeftRange * (8 - u) / 8, x, 1);
        else
            label(u32RightRange * u / 8, x, 1);
    }
}

// The depth and water temperature in large figures over the picture, for
// the full-screen view without info boxes.
void vReadouts(BITMAP* pBitmap)
{
    const COLOR color = colTable(READOUT_COLOR);
    POINT anchor{20, 10};
    U32 u32Key = 0;
    float fValue = 0.0f;
    BOOLEAN bValid = FALSE;
    char number[32], integer[32];
    char* pTenths = nullptr;
    if (H_DATABASE_bFetchU32(FCID("BDEP"), &u32Key, nullptr, nullptr) && u32Key != 0 &&
        H_DATABASE_bFetchFloat(static_cast<FOURCHARID>(u32Key), &fValue, &bValid, nullptr) && bValid) {
        U32 u32Unit = U_METRES;
        H_DATABASE_bFetchU32(FCID("YUDP"), &u32Unit, nullptr, nullptr);
        const char* pszUnit = "m";
        UNIT_TYPE unit = U_METRES;
        if (u32Unit == U_FEET) {
            unit = U_FEET;
            pszUnit = "ft";
        } else if (u32Unit == U_FATHOMS) {
            unit = U_FATHOMS;
            pszUnit = "ftm";
        }
        std::snprintf(number, sizeof number, "%0.1f", dConvertFromInternal(fValue, D_DEPTH, unit));
        if (T_INFO_pSplitTenths(number, integer, &pTenths, TRUE) == FALSE || pTenths == nullptr) {
            std::snprintf(integer, sizeof integer, "%s", number);
            pTenths = nullptr;
        }
        vText(pBitmap, &anchor, f34x62_font_def_ptr, integer, color);
        if (pTenths != nullptr)
            vText(pBitmap, &anchor, f18x32_font_def_ptr, pTenths, color);
        vText(pBitmap, &anchor, std_16x17_font_def_ptr.load(), pszUnit, color);
    }
    u32Key = 0;
    bValid = FALSE;
    if (H_DATABASE_bFetchU32(FCID("BTMP"), &u32Key, nullptr, nullptr) && u32Key != 0 &&
        H_DATABASE_bFetchFloat(static_cast<FOURCHARID>(u32Key), &fValue, &bValid, nullptr) && bValid) {
        U32 u32Unit = U_CELSIUS;
        H_DATABASE_bFetchU32(FCID("SUTE"), &u32Unit, nullptr, nullptr);
        const UNIT_TYPE unit = u32Unit == U_FAHRENHEIT ? U_FAHRENHEIT : U_CELSIUS;
        const char unitText[3] = {static_cast<char>(DEGREE_SIGN), unit == U_FAHRENHEIT ? 'F' : 'C', 0};
        std::snprintf(number, sizeof number, "%0.1f", dConvertFromInternal(fValue, D_TEMPERATURE, unit));
        anchor.x = 20;
        anchor.y += 72;
        vText(pBitmap, &anchor, f18x32_font_def_ptr, number, color);
        vText(pBitmap, &anchor, std_16x17_font_def_ptr.load(), unitText, color);
    }
}

} // namespace

void t_n_history::vResetTotalScreenUpdateStore(FULL_SCREEN_TSU* pTsu)
{
    if (pTsu == nullptr)
        return;
    L_MUTEX_LockWait(RES_TSU);
    pTsu->u32NextFreeColumn = 0;
    pTsu->u32ColumnsInUse = 0;
    for (TSU_STORE_COLUMN& c : pTsu->aTsuStore)
        S_TSU_vResetColumn(&c);
    L_MUTEX_Unlock(RES_TSU);
}

void T_N_HISTORY_vDrawVerticalScrollView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const BOOLEAN bExpedited = psWindowSpec->bExpedited;

    // 1: the side stores are emptied by the first frame after the request.
    if (s_bClearFVBuffer) {
        vResetTotalScreenUpdateStore(s_sBeamInfo[2].pTSUStore);
        vResetTotalScreenUpdateStore(s_sBeamInfo[3].pTSUStore);
        s_bClearFVBuffer = FALSE;
    }

    // 2: settings and geometry.
    const BOOLEAN bFVReadouts = bFetchFlag(FCID("SIRO"), TRUE);
    const LAYER_ID view = U_VIEW_eCurrentView();
    const WINDOW_LOCATION& pane = psWindowSpec->drawWindow;
    GEOMETRY g{};
    g.originX = std::max<S32>(pane.s32ClipLeft, 0);
    g.right = std::min<S32>(pane.s32ClipRight, FRAME_RIGHT);
    g.centre = (g.originX + g.right) / 2;
    if (view == VIEW_SIDEVIEW && !bFVReadouts) {
        g.originX = 0;
        g.centre = g.right / 2;
    }
    if (g.right < g.originX)
        return;
    s_bSideLineOn = bFetchFlag(FCID("SSVL"), FALSE);
    s_bFV_Navigation = bFetchFlag(FCID("SSIN"), TRUE);
    g.bLines = s_bSideLineOn != FALSE;
    g.H = static_cast<S32>(G_ICON_u32GetHeight(&BoatLarge_icon));
    g.bandLower = g.bLines ? 580 - g.H : 597 - g.H;
    g.top = g.bLines ? 579 - g.H : 596 - g.H;

    // 3: the bottom band of the whole screen.
    g.originY = static_cast<S32>(T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW));
    vBox(pBitmap, colTable(COLOR_BAND), 0, 0, 800, INFO_BAND_HEIGHT);

    // 4-6: one snapshot per side, each rebuilt when flagged.
    L_MUTEX_LockWait(RES_S_INFO);
    vVerifyAndUpdateWindowSettings(psWindowSpec->currentLayer);
    const POST_PROCESS_MODE BottomViewCopy = SonarViewInfo.BottomView;
    const UNIT_TYPE unitsDepthCopy = SonarViewInfo.unitsDepth;
    const BOOLEAN bFishIDCopy = SonarViewInfo.bFishID;
    const U32 side = db_u32SideBeamView;
    const SIDE left = sideSnapshot(1, side == SIDE_BEAM_LEFT || side == SIDE_BEAM_BOTH, bExpedited);
    L_MUTEX_Unlock(RES_S_INFO);
    vRebuild(left, bExpedited, BottomViewCopy);
    const SIDE right = sideSnapshot(2, side == SIDE_BEAM_RIGHT || side == SIDE_BEAM_BOTH, bExpedited);
    vRebuild(right, bExpedited, BottomViewCopy);

    // 7: the boat band; the cursor stays below it.
    if (t_n_history::bCursorAppearsInThisWindow(psWindowSpec)) {
        CursorWindow = pane;
        CursorWindow.s32ClipTop = g.bandLower;
        CursorWindow.s32ClipLeft = g.originX;
    }
    vBoatBand(pBitmap, g, side);

    // 8, 9: the pictures. In terrain mode the two sides meet at the centre;
    // a single side always spans the pane.
    const bool bBoth = side == SIDE_BEAM_BOTH;
    const bool bTerrainBoth = bBoth && s_bTerrainMode;
    vDrawSide(pBitmap, left, POINT{g.originX, g.originY},
              POINT{bBoth ? g.centre - 3 + (bTerrainBoth ? 3 : 0) : g.right, g.top}, bFishIDCopy, unitsDepthCopy);
    vDrawSide(pBitmap, right, POINT{g.right, g.originY},
              POINT{bBoth ? g.centre + 2 - (bTerrainBoth ? 2 : 0) : g.originX, g.top}, bFishIDCopy, unitsDepthCopy);

    // 10: the centre line.
    if (bBoth && !s_bTerrainMode) {
        const COLOR back = BackGroundColor;
        vLine(pBitmap, back, g.centre - 2, g.top, g.centre - 2, g.originY);
        vLine(pBitmap, back, g.centre + 1, g.top, g.centre + 1, g.originY);
        vLine(pBitmap, colTable(COLOR_TEXT), g.centre - 1, g.top, g.centre - 1, g.originY);
        vLine(pBitmap, colTable(COLOR_TEXT), g.centre, g.top, g.centre, g.originY);
    }

    // 11, 12: labels and range lines; both side windows keep one range.
    vSideLabels(pBitmap, g, left.bActive, right.bActive, right.copy.u32LowerDigits);
    if (g.bLines && (left.bActive || right.bActive))
        vRangeLines(pBitmap, g, side, left.copy.u32LowerDigits, right.copy.u32LowerDigits);

    // 13: the zoom window follows the cursor in the Flankview pane only.
    if (T_N_HISTORY_bIsSideImageView(psWindowSpec->currentLayer, psWindowSpec->activeWindow))
        T_N_HISTORY_bUpdateFvZoomWindow(psWindowSpec);
    else
        FvZoomWin.bActive = FALSE;

    // 14, 15.
    if (view == VIEW_SIDEVIEW && !bFVReadouts)
        vReadouts(pBitmap);
    if (s_bSweepingUsedAsSide)
        T_N_HISTORY_vDrawFVKVMssIcon(pBitmap, g.originX + 2, static_cast<S32>(s_u32MSSIconYoffset.load()) + 2 + g.originY);
}
