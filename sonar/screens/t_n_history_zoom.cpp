// The 2D zoom view (layer 50): the whole range in a narrow un-zoomed pane
// of U = "SSZW" columns at the right (window 0), and the magnified part
// over the rest of the page (window 1). A rounded frame on the un-zoomed
// pane marks the magnified span; in bottom lock, markers at the pane's
// right edge mark the span held above (and a fifth below) the bottom.
#include "sonar/screens/t_n_history_screens.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "sonar/screens/t_n_history_frame.h"
#include "store/lang.h"
#include "ui/t_info.h"
#include "ui/t_info_bar.h"

#include <algorithm>
#include <cstdio>

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr U32 ALPHA_VECTOR = 0x8C8C56;
constexpr U32 INFO_BAR_ROWS = 105;
constexpr U32 TSU_LAST_COLUMN = TSU_STORE_COLUMNS - 1;

#define EVERY_LANGUAGE(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE ZoomLevel2 = EVERY_LANGUAGE("2x");
TEXT_TABLE ZoomLevel4 = EVERY_LANGUAGE("4x");
TEXT_TABLE ZoomLevel6 = EVERY_LANGUAGE("6x");
TEXT_TABLE ZoomLevel8 = EVERY_LANGUAGE("8x");
const TEXT_TABLE* const ZoomLevelList[4] = {&ZoomLevel2, &ZoomLevel4, &ZoomLevel6, &ZoomLevel8};

// ---- Helpers ----

COLOR colTable(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

void vBox(BITMAP* pBmp, U32 u32Entry, S32 x, S32 y, S32 w, S32 h)
{
    if (w <= 0 || h <= 0)
        return;
    const POINT pt{x, y};
    G_BOX_vDrawFilled(pBmp, colTable(u32Entry), &pt, (U32)w, (U32)h);
}

void vLine(BITMAP* pBmp, U32 u32Entry, S32 x0, S32 y0, S32 x1, S32 y1)
{
    POINT a{x0, y0}, b{x1, y1};
    G_LINE_vDraw(pBmp, colTable(u32Entry), &a, &b);
}

S32 s32Width(const FONT_DEF* pFont, const char* psz)
{
    return (S32)G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(psz));
}

// A text on a blended white box of (w + dw) x boxHeight at (x, y), the text
// at (x + dx, y + 1).
void vBlendedLabel(BITMAP* pBmp, const FONT_DEF* pFont, const char* psz, S32 x, S32 y, S32 dw, U32 u32BoxHeight,
                   S32 dx, U8 u8Alpha)
{
    const S32 w = s32Width(pFont, psz);
    if (w + dw > 0) {
        const POINT box{x, y};
        G_BOX_vDrawFilledAlpha(pBmp, colTable(FRAME_COLOR_WHITE), &box, (U32)(w + dw), u32BoxHeight, u8Alpha);
    }
    POINT pt{x + dx, y + 1};
    G_STRING_vPut(pBmp, colTable(FRAME_COLOR_BLACK), &pt, pFont, reinterpret_cast<const BYTE*>(psz));
}

const char* pszText(const TEXT_TABLE& table) { return table[nCurrentLanguage()]; }

// The zoom pane's scale in bottom lock: the span above the bottom at the
// top, "0" at the bottom's row.
void vDrawBottomZoomDepthScale(BITMAP* pBitmap, U32 u32RightPixel, U32 u32UpperDigits, U32 u32ZeroY)
{
    const U8 u8Alpha = T_INFO_u8ConvertAlphaVector(ALPHA_VECTOR);
    const S32 Y = (S32)u32SonarFrameYOffset(SPLIT_FULL_WINDOW);
    const S32 R = (S32)u32RightPixel;
    vLine(pBitmap, FRAME_COLOR_WHITE, R, Y, R, 599);
    vLine(pBitmap, FRAME_COLOR_BLACK, R - 1, Y, R - 1, 599);
    vLine(pBitmap, FRAME_COLOR_WHITE, R - 2, Y, R - 2, 599);
    const FONT_DEF* pFont = f15x21_font_def_ptr;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", (int)u32UpperDigits);
    vBlendedLabel(pBitmap, pFont, digits, R - 3 - s32Width(pFont, digits), 577, 1, 23, 1, u8Alpha);
    vBlendedLabel(pBitmap, pFont, "0", R - 3 - s32Width(pFont, "0"), Y + (S32)u32ZeroY - 11, 1, 23, 1, u8Alpha);
}

void vNormalZoomOverlay(BITMAP* pBmp, const SONAR_FRAME& f, S32 U, S32 R, U8 u8Alpha)
{
    const SONAR_WINDOW& main = f.Window[0];
    const SONAR_WINDOW& zoom = f.Window[1];
    const S32 h = (S32)f.u32Height, Y = (S32)f.u32YOffset;
    const S32 D = (S32)main.u32LowerDigits - (S32)main.u32UpperDigits;
    if (D != 0) {
        const S32 boxH = ((S32)zoom.u32LowerDigits - (S32)zoom.u32UpperDigits) * h / D;
        const S32 base = ((S32)main.u32LowerDigits - (S32)zoom.u32LowerDigits) * h / D;
        const struct {
            U32 entry;
            S32 dw, dh;
            U32 radius;
        } rings[] = {{FRAME_COLOR_WHITE, 1, 0, 5}, {FRAME_COLOR_GREY, -1, -2, 5}, {FRAME_COLOR_GREY, -3, -4, 3},
                     {FRAME_COLOR_WHITE, -5, -6, 3}};
        for (S32 i = 0; i < 4; ++i) {
            const S32 w = U + rings[i].dw, hh = boxH + rings[i].dh;
            if (w <= 0 || hh <= 0)
                continue;
            const POINT pt{R + i, Y + base + i};
            G_BOX_vDrawRounded(pBmp, colTable(rings[i].entry), &pt, (U32)w, (U32)hh, rings[i].radius);
        }
    }
    vDrawDepthScale(pBmp, (U32)R, zoom.u32UpperDigits, zoom.u32LowerDigits, f.u32Height, 0, FALSE, FALSE);
    const char* pszLevel = pszText(*ZoomLevelList[std::min<U32>(f.u32ZoomLevelCopy, 3)]);
    vBlendedLabel(pBmp, f15x21_font_def_ptr, pszLevel, T_INFO_nBoxWidth_SonarView(577, 599), 577, 1, 23, 1, u8Alpha);
}

void vBottomLockOverlay(BITMAP* pBmp, const SONAR_FRAME& f, BEAM zoomTSUtoUse, S32 R, U8 u8Alpha)
{
    const SONAR_WINDOW& main = f.Window[0];
    const SONAR_WINDOW& zoom = f.Window[1];
    const S32 h = (S32)f.u32Height, Y = (S32)f.u32YOffset;

    // The bottom of one stored column, read without the store's lock: the
    // newest, or while scrolling backwards the oldest end.
    S32 depth = 0;
    const FULL_SCREEN_TSU* pStore = zoomTSUtoUse < SONAR_STORED_BEAMS ? s_sBeamInfo[zoomTSUtoUse].pTSUStore : nullptr;
    if (pStore != nullptr) {
        const U32 next = pStore->u32NextFreeColumn;
        U32 col = 0;
        if (s_bReverseScroll)
            col = next + 1 > TSU_LAST_COLUMN - 1 ? 0 : next + 1;
        else
            col = next == 0 ? TSU_LAST_COLUMN : next - 1;
        depth = (S32)pStore->aTsuStore[col % TSU_STORE_COLUMNS].u32SmoothedDepthInSamples;
    }
    const S64 S = (S64)main.u32LowerSample - (S64)main.u32UpperSample;
    if (S != 0) {
        const S32 s32FrameBottom =
            Y + (S32)((S64)h * ((S64)main.u32LowerSample - depth - (S64)zoom.u32LowerSample) / S);
        const S32 s32FrameZero = Y + (S32)((S64)h * ((S64)main.u32LowerSample - depth) / S);
        const S32 s32FrameTop = s32FrameZero + (S32)((S64)h * (S64)zoom.u32UpperSample / S);
        if (s32FrameBottom > 2) {
            vBox(pBmp, FRAME_COLOR_WHITE, 786, s32FrameBottom - 3, 14, 4);
            vBox(pBmp, FRAME_COLOR_BLACK, 787, s32FrameBottom - 2, 12, 2);
        }
        if (s32FrameTop <= 598) {
            vBox(pBmp, FRAME_COLOR_WHITE, 786, s32FrameTop, 14, 4);
            vBox(pBmp, FRAME_COLOR_BLACK, 787, s32FrameTop + 1, 12, 2);
        }
        const S32 y0 = std::max(s32FrameBottom, 0);
        vBox(pBmp, FRAME_COLOR_WHITE, 795, y0, 5, std::min(s32FrameTop + 1, 599) - y0);
        vBox(pBmp, FRAME_COLOR_BLACK, 796, y0 + 1, 3, std::min(s32FrameTop, 599) - (y0 + 1));
        const S32 zeroRow = s32FrameZero - 8;
        if (zeroRow >= 0 && zeroRow <= 590) {
            const FONT_DEF* pSmall = std_11x14_font_def_ptr.load();
            const S32 w0 = s32Width(pSmall, "0");
            vBlendedLabel(pBmp, pSmall, "0", 796 - w0, zeroRow, -1, 16, 1, u8Alpha);
        }
    }
    const U32 u32Span = zoom.u32UpperSample + zoom.u32LowerSample;
    const U32 u32ZeroY = u32Span != 0 ? (U32)((U64)zoom.u32LowerSample * f.u32Height / u32Span) : 0;
    vDrawBottomZoomDepthScale(pBmp, (U32)R, zoom.u32UpperDigits, u32ZeroY);
}

} // namespace

void T_N_HISTORY_vDrawZoomSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const U8 u8Alpha = T_INFO_u8ConvertAlphaVector(ALPHA_VECTOR);
    const U32 Y = u32SonarFrameYOffset(SPLIT_FULL_WINDOW);
    SONAR_FRAME frame;
    vSonarFrameSnapshot(&frame, psWindowSpec, VIEW_SONAR_ZOOM, FRAME_WINDOW(0) | FRAME_WINDOW(1), Y);
    SONAR_WINDOW& main = frame.Window[0];
    SONAR_WINDOW& zoom = frame.Window[1];
    const BEAM zoomTSUtoUse = main.Beam == 4 ? 1 : main.Beam;
    CursorWindow = psWindowSpec->drawWindow;
    vBox(pBitmap, FRAME_COLOR_WHITE, 0, 0, (S32)SONAR_FRAME_WIDTH, (S32)INFO_BAR_ROWS);

    if (main.u32LowerDigits == main.u32UpperDigits || main.u32LowerSample == main.u32UpperSample ||
        (frame.bBottomLockZoomCopy && zoom.u32UpperSample == 0))
        return;
    // An un-zoomed width near the page's must not wrap the magnified pane's.
    const U32 U = std::min<U32>(frame.u32UnZoomedWidthCopy, SONAR_FRAME_WIDTH);
    const U32 u32ZoomWidth = U < 797 ? 797 - U : 0;
    const U32 h = frame.u32Height;

    vSonarFrameRebuild(&frame, 0, h, U);
    vSonarFrameRebuild(&frame, 1, h, u32ZoomWidth, frame.bBottomLockZoomCopy);
    if (U != 0)
        vDrawSonarWindow(pBitmap, &main, SONAR_FRAME_WIDTH - U, SONAR_FRAME_RIGHT, h, frame.unitsDepthCopy, 0,
                         frame.bFishIDCopy, FALSE);
    if (u32ZoomWidth != 0) {
        vCopyHistoryToBitmap(pBitmap, &zoom.ScreenHistory, u32ZoomWidth, u32ZoomWidth - 1);
        if (frame.bFishIDCopy && zoom.Beam < SONAR_BEAMS) {
            const PIXEL right = (PIXEL)(u32ZoomWidth - 1);
            const COLOR number = colTable(FRAME_COLOR_BLACK);
            if (frame.bBottomLockZoomCopy) {
                FULL_SCREEN_TSU* pStore =
                    zoomTSUtoUse < SONAR_STORED_BEAMS ? s_sBeamInfo[zoomTSUtoUse].pTSUStore : nullptr;
                if (pStore != nullptr)
                    S_FISHID_vDrawBottomLockFishHistory(pBitmap, &s_sBeamInfo[zoom.Beam].FishHistory, pStore, 0,
                                                        right, h, zoom.u32UpperSample, zoom.u32LowerSample,
                                                        frame.unitsDepthCopy, number);
            } else {
                const auto draw = [&](BEAM b) {
                    S_FISHID_vDrawStandardFishHistory(pBitmap, &s_sBeamInfo[b].FishHistory, 0, right, (PIXEL)Y, 599,
                                                      zoom.u32UpperSample, zoom.u32LowerSample,
                                                      frame.unitsDepthCopy, number, FALSE);
                };
                if (zoom.Beam == 4) {
                    draw(0);
                    draw(1);
                } else {
                    draw(zoom.Beam);
                }
            }
        }
    }

    const S32 R = (S32)SONAR_FRAME_RIGHT - (S32)U;
    if (frame.bBottomLockZoomCopy)
        vBottomLockOverlay(pBitmap, frame, zoomTSUtoUse, R, u8Alpha);
    else
        vNormalZoomOverlay(pBitmap, frame, (S32)U, R, u8Alpha);
    vDrawDepthScale(pBitmap, SONAR_FRAME_RIGHT, main.u32UpperDigits, main.u32LowerDigits, h, 0,
                    main.bManualDepthRange, FALSE);
    if (frame.bBottomLockZoomCopy)
        vBlendedLabel(pBitmap, std_16x17_font_def_ptr.load(), pszText(txtBottomLock),
                      T_INFO_nBoxWidth_SonarView(581, 599), 581, 1, 19, 1, u8Alpha);
}
