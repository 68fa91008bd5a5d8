// The 2D sonar views: the full-screen view with its strip and colour bar,
// the 2D pane of the split views and the dual-beam view, each following the
// sonar frame (t_n_history_frame.h); and the lower edge of the displayed
// range for the ping cycles.
#include "sonar/screens/t_n_history_screens.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "sonar/history/t_n_history.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/screens/t_n_history_frame.h"
#include "store/h_database.h"
#include "store/lang.h"

#include <algorithm>

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr S32 BAR_BLOCKS = 32;                 // the bar's block height is h / 32
constexpr S32 TEMPERATURE_CHART_Y = 500;       // the chart's lower-left corner
constexpr U32 TEMPERATURE_CHART_HEIGHT = 40;
constexpr U32 DUAL_LEFT_RIGHT = 397;           // the left pane: x 0 to 397
constexpr U32 DUAL_RIGHT_LEFT = 401;           // the right pane: x 401 to 799
constexpr U32 BEAM_BIT_83 = 0x2;
constexpr U32 BEAM_BIT_50 = 0x4;
constexpr S32 INFO_BAR_ROWS = 105;

// ---- Statics ----

// One strip buffer per callback (all run in the view task).
U8 s_u8RtsValuesFull[RTS_ROWS];
U8 s_u8RtsValuesSplit[RTS_ROWS];

// ---- Helpers ----

void vText(BITMAP* pBmp, S32 x, S32 y, const FONT_DEF* pFont, const char* psz, COLOR color)
{
    POINT pt{x, y};
    G_STRING_vPut(pBmp, color, &pt, pFont, reinterpret_cast<const BYTE*>(psz));
}

const char* pszText(const TEXT_TABLE& table) { return table[nCurrentLanguage()]; }

} // namespace

// ---- Full-screen 2D view ----

void T_N_HISTORY_vDrawFullScreenSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const U32 Y = u32SonarFrameYOffset(SPLIT_FULL_WINDOW);
    SONAR_FRAME frame;
    vSonarFrameSnapshot(&frame, psWindowSpec, VIEW_SONAR, FRAME_WINDOW(0), Y);
    const U32 h = frame.u32Height;
    SONAR_WINDOW& main = frame.Window[0];

    U32 u32ScrnXSize = SONAR_FRAME_WIDTH;
    if (frame.bColorIntensityBarCopy) {
        const S32 b = (S32)h / BAR_BLOCKS;
        u32ScrnXSize = (U32)(796 - 2 * b);
        POINT pt{(S32)SONAR_FRAME_RIGHT - 2 * b, (S32)Y};
        T_N_HISTORY_vDrawColorIntensityBar(pBitmap, &pt, 2 * b, b, h);
    }
    const U32 u32SonarWidth = u32WidthBesideStrip(u32ScrnXSize, frame.u32RTSWidthCopy);
    CursorWindow = psWindowSpec->drawWindow;
    CursorWindow.s32ClipRight = (S32)u32SonarWidth - 1;

    vSonarFrameRebuild(&frame, 0, h, u32SonarWidth);
    if (u32SonarWidth != 0) {
        vDrawSonarWindow(pBitmap, &main, 0, u32SonarWidth - 1, h, frame.unitsDepthCopy, frame.u32DepthLinesCopy,
                         frame.bFishIDCopy, TRUE);
        if (bTemperatureOverlay) {
            POINT pt{0, TEMPERATURE_CHART_Y};
            T_N_HISTORY_vDrawTemperatureChart(pBitmap, &pt, u32SonarWidth, TEMPERATURE_CHART_HEIGHT);
        }
    }
    vDrawRealTimeStrip(pBitmap, &frame, &main, s_u8RtsValuesFull, h,
                       (S32)u32ScrnXSize - (S32)frame.u32RTSWidthCopy, TRUE);
}

// ---- 2D pane of a split view ----

void T_N_HISTORY_vDrawSonarSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const U32 Y = u32SonarFrameYOffset(SPLIT_LEFT_WINDOW);
    SONAR_FRAME frame;
    vSonarFrameSnapshot(&frame, psWindowSpec, psWindowSpec->currentLayer, FRAME_WINDOW(0), Y);
    const U32 h = frame.u32Height;
    SONAR_WINDOW& main = frame.Window[0];
    const WINDOW_LOCATION& pane = psWindowSpec->drawWindow;
    if (bCursorAppearsInThisWindow(psWindowSpec))
        CursorWindow = pane;

    if (pane.s32ClipLeft < 0 || pane.s32ClipRight < pane.s32ClipLeft)
        return;
    const U32 u32Left = (U32)pane.s32ClipLeft;
    const U32 u32PaneWidth = (U32)(pane.s32ClipRight - pane.s32ClipLeft + 1);
    const U32 u32Width = u32WidthBesideStrip(u32PaneWidth, frame.u32RTSWidthCopy);
    vSonarFrameRebuild(&frame, 0, h, u32Width);
    if (u32Width != 0)
        vDrawSonarWindow(pBitmap, &main, u32Left, u32Left + u32Width - 1, h, frame.unitsDepthCopy,
                         frame.u32DepthLinesCopy, frame.bFishIDCopy, TRUE);
    vDrawDepthLines(pBitmap, frame.u32DepthLinesCopy, u32Left, (U32)pane.s32ClipRight, h, 0, main.u32UpperDigits,
                    main.u32LowerDigits);
    vDrawRealTimeStrip(pBitmap, &frame, &main, s_u8RtsValuesSplit, h,
                       pane.s32ClipRight - (S32)frame.u32RTSWidthCopy, FALSE);
}

// ---- Dual-beam view ----

void T_N_HISTORY_vDrawDualBeamView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const U32 u32SupportedBeams = S_TRANSDUCER_u32GetBeamsSupportedByModel();
    const U32 Y = u32SonarFrameYOffset(SPLIT_FULL_WINDOW);
    SONAR_FRAME frame;
    vSonarFrameSnapshot(&frame, psWindowSpec, VIEW_DUAL_BEAM, FRAME_WINDOW(0) | FRAME_WINDOW(1), Y);
    const U32 h = frame.u32Height;
    CursorWindow = psWindowSpec->drawWindow;
    CursorWindow.s32ClipRight = (S32)SONAR_FRAME_RIGHT;

    vSonarFrameRebuild(&frame, 1, h, DUAL_LEFT_RIGHT + 1);
    vSonarFrameRebuild(&frame, 0, h, SONAR_FRAME_RIGHT - DUAL_RIGHT_LEFT + 1);
    // Both panes are laid out over the whole page; the bottom rows are
    // covered again below when the info bar is shown.
    vDrawSonarWindow(pBitmap, &frame.Window[1], 0, DUAL_LEFT_RIGHT, SONAR_FRAME_HEIGHT, frame.unitsDepthCopy, 0,
                     frame.bFishIDCopy, TRUE);
    vDrawSonarWindow(pBitmap, &frame.Window[0], DUAL_RIGHT_LEFT, SONAR_FRAME_RIGHT, SONAR_FRAME_HEIGHT,
                     frame.unitsDepthCopy, 0, frame.bFishIDCopy, TRUE);
    vDrawDepthLines(pBitmap, frame.u32DepthLinesCopy, 0, SONAR_FRAME_RIGHT, h, 0, frame.Window[0].u32UpperDigits,
                    frame.Window[0].u32LowerDigits);

    U32 u32Transducer = 0;
    H_DATABASE_bFetchU32(FCID("YST1"), &u32Transducer, nullptr, nullptr);
    const U32 u32Beams =
        S_TRANSDUCER_u32GetBeamsForTransducerAndSource((U8)std::min<U32>(u32Transducer, 0xFF), 0) & u32SupportedBeams;
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const COLOR color = s_colorFrequencyIndicator.load();
    vText(pBitmap, 1, (S32)Y + 1, pFont, pszText(*T_N_HISTORY_pDualBeamLowLabel(u32Beams)), color);
    vText(pBitmap, (S32)DUAL_RIGHT_LEFT + 1, (S32)Y + 1, pFont, pszText(txt200kHz), color);

    if (Y != 0) {
        const POINT pt{0, 0};
        G_BOX_vDrawFilled(pBitmap, BackGroundColor.load(), &pt, SONAR_FRAME_WIDTH, INFO_BAR_ROWS);
    }
}

const TEXT_TABLE* T_N_HISTORY_pDualBeamLowLabel(U32 u32Beams)
{
    if (u32Beams & BEAM_BIT_83)
        return &txt83kHz;
    if (u32Beams & BEAM_BIT_50)
        return &txt50kHz;
    return &txt455kHz;
}

// ---- The ping cycles' lower display edge ----

float T_N_HISTORY_fGetLowerRangeForDisplay(void)
{
    float fLower = 0.0f;
    H_DATABASE_bFetchFloat(FCID("YSLD"), &fLower, nullptr, nullptr);
    if (T_N_PING_bAutoDepthRange(fLower, SonarViewInfo.unitsDepth)) {
        const float fAuto = s_fCurrentDisplayedLowerRange;
        log_me("[%d]%s: in auto, lower range = %f\n", __LINE__, __func__, (double)fAuto);
        return fAuto;
    }
    log_me("[%d]%s: in manual, lower range = %f\n", __LINE__, __func__, (double)fLower);
    return fLower;
}
