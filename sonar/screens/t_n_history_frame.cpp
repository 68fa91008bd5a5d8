// The frame of the sonar draw callbacks (see the header).
#include "sonar/screens/t_n_history_frame.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_line.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/dsp/s_grayscale.h"
#include "sonar/process/t_n_process.h"
#include "ui/t_info_bar.h"

#include <algorithm>
#include <cstring>

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr U32 ASCOPE_FULL_SCALE_TVG = 180;
constexpr U32 ASCOPE_FULL_SCALE = 256;
constexpr U32 BAR_LEVELS = 31; // palette entries 31 down to 1 above the background
constexpr U32 COLOR_SONAR_BACKGROUND = 0;

// ---- Statics ----

// The colour column's colours, shared by every callback (all run in the
// view task).
COLOR ColorRTSColumn[RTS_ROWS];

// ---- Helpers ----

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
    G_BOX_vDrawFilled(pBmp, color, &pt, (U32)w, (U32)h);
}

// The stored column under the history's oldest edge while it scrolls
// backwards, resampled for the window's range; mutex 27 guards the store.
void vReverseScrollValues(U8* pu8RtsValues, BEAM beam, const SONAR_WINDOW* pWindow, U32 u32Height)
{
    const FULL_SCREEN_TSU* pStore = s_sBeamInfo[beam].pTSUStore;
    if (pStore == nullptr)
        return;
    L_MUTEX_LockWait(RES_TSU);
    const TSU_STORE_COLUMN& c = pStore->aTsuStore[pStore->u32NextFreeColumn % TSU_STORE_COLUMNS];
    const U32 f = c.u8SampleFactor;
    if (f != 0 && c.au8Data != nullptr) {
        const U32 u32TsuUpper = pWindow->u32UpperSample / f;
        const U32 u32TsuLower = pWindow->u32LowerSample / f;
        const U32 u32DataExt = u32TsuUpper < c.u32SamplesInStore ? c.u32SamplesInStore - u32TsuUpper : 0;
        if (u32TsuLower > u32TsuUpper && u32TsuUpper < c.u32TSUDataLength)
            S_FRESAMPLE_vFastResample(c.au8Data + u32TsuUpper, u32TsuLower - u32TsuUpper,
                                      std::min(u32DataExt, c.u32TSUDataLength - u32TsuUpper), pu8RtsValues,
                                      u32Height);
    }
    L_MUTEX_Unlock(RES_TSU);
}

} // namespace

CURSOR_WINDOW t_n_history::CursorWindow;

// ---- The frame ----

U32 t_n_history::u32SonarFrameYOffset(SPLIT_WINDOW_TYPE ePane)
{
    return std::min(T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(ePane), SONAR_FRAME_HEIGHT - 1);
}

void t_n_history::vSonarFrameSnapshot(SONAR_FRAME* pFrame, const WINDOW_SPECIFICATION* psWindowSpec, LAYER_ID layer,
                                      U32 u32WindowMask, U32 u32YOffset)
{
    *pFrame = SONAR_FRAME{};
    pFrame->u32YOffset = u32YOffset;
    pFrame->u32Height = SONAR_FRAME_HEIGHT - u32YOffset;
    pFrame->bExpedited = psWindowSpec->bExpedited;
    pFrame->u32WindowMask = u32WindowMask;

    L_MUTEX_LockWait(RES_S_INFO);
    vVerifyAndUpdateWindowSettings(layer);
    for (U32 n = 0; n < SONAR_WINDOWS; ++n) {
        if ((u32WindowMask & FRAME_WINDOW(n)) == 0)
            continue;
        pFrame->Window[n] = tCopyWindow(SonarViewInfo.Window[n]);
        if (!pFrame->bExpedited)
            SonarViewInfo.Window[n].bTriggerTotalScreenUpdate = FALSE;
    }
    pFrame->RTSBeamCopy = SonarViewInfo.RTSBeam;
    pFrame->u32RTSWidthCopy = SonarViewInfo.u32RTSWidth;
    pFrame->u32DepthLinesCopy = SonarViewInfo.u32DepthLines;
    pFrame->BottomViewCopy = SonarViewInfo.BottomView;
    pFrame->unitsDepthCopy = SonarViewInfo.unitsDepth;
    pFrame->bFishIDCopy = SonarViewInfo.bFishID;
    pFrame->bColorIntensityBarCopy = SonarViewInfo.bColorIntensityBar;
    pFrame->u32ZoomLevelCopy = SonarViewInfo.u32ZoomLevel;
    pFrame->bBottomLockZoomCopy = SonarViewInfo.bBottomLockZoom;
    pFrame->eQuadLayoutCopy = SonarViewInfo.eQuadLayout;
    pFrame->u32UnZoomedWidthCopy = s_u32UnZoomedWidth;
    L_MUTEX_Unlock(RES_S_INFO);
}

BOOLEAN t_n_history::bCursorAppearsInThisWindow(const WINDOW_SPECIFICATION* psWindowSpec)
{
    if (psWindowSpec->drawWindowType == SPLIT_FULL_WINDOW)
        return TRUE;
    const SPLIT_WINDOW_TYPE ePane =
        psWindowSpec->drawWindow.s32ClipLeft == 0 ? SPLIT_LEFT_WINDOW : SPLIT_RIGHT_WINDOW;
    return ePane == psWindowSpec->activeWindow ? TRUE : FALSE;
}

void t_n_history::vSonarFrameRebuild(const SONAR_FRAME* pFrame, U32 u32Window, U32 u32Height, U32 u32Width,
                                     BOOLEAN bBottomLockZoom)
{
    if (u32Window >= SONAR_WINDOWS || (pFrame->u32WindowMask & FRAME_WINDOW(u32Window)) == 0)
        return;
    const SONAR_WINDOW& w = pFrame->Window[u32Window];
    if (pFrame->bExpedited || !w.bTriggerTotalScreenUpdate || u32Width == 0 || u32Height == 0)
        return;
    vTotalScreenUpdate(&w, u32Height, u32Width, pFrame->BottomViewCopy, bBottomLockZoom);
}

U32 t_n_history::u32WidthBesideStrip(U32 u32Room, U32 u32StripWidth)
{
    if (u32StripWidth == 0)
        return u32Room;
    return u32Room > u32StripWidth + 3 ? u32Room - u32StripWidth - 3 : 0;
}

// ---- The real-time strip ----

void t_n_history::vFillRtsValues(U8* pu8RtsValues, const SONAR_FRAME* pFrame, const SONAR_WINDOW* pWindow,
                                 U32 u32Height, BOOLEAN bPlaybackCases)
{
    const BEAM beam = pFrame->RTSBeamCopy;
    const U32 h = std::min(u32Height, RTS_ROWS);
    if (bPlaybackCases && s_bEndFill) {
        memset(pu8RtsValues, 0, RTS_ROWS);
        return;
    }
    if (bPlaybackCases && s_bReverseScroll) {
        // The buffer keeps its rows below the image, as it was.
        if (beam < SONAR_STORED_BEAMS)
            vReverseScrollValues(pu8RtsValues, beam, pWindow, h);
        return;
    }
    memset(pu8RtsValues, 0, RTS_ROWS);
    if (pWindow->u32LowerSample > pWindow->u32UpperSample)
        T_N_PROCESS_vGetRtsDataForDisplay(beam, pu8RtsValues, pWindow->u32UpperSample,
                                          pWindow->u32LowerSample - pWindow->u32UpperSample, h);
}

void t_n_history::vDrawAScopeRTS(BITMAP* pBitmap, const U8* pu8DirectData, U32 u32XOffset, U32 u32Width)
{
    const S32 x0 = (S32)u32XOffset;
    vBox(pBitmap, colTable(FRAME_COLOR_WHITE), x0, 0, (S32)u32Width, (S32)SONAR_FRAME_HEIGHT);
    const U32 u32FullScale = s_bSelectTvgView ? ASCOPE_FULL_SCALE_TVG : ASCOPE_FULL_SCALE;
    const U32 u32Scale = (RTS_WIDTH_ASCOPE * 65536u) / u32FullScale;
    const COLOR trace = colTable(FRAME_COLOR_BLACK);
    for (U32 i = 0; i < RTS_ROWS; ++i) {
        const S32 x = x0 + (S32)((pu8DirectData[i] * u32Scale) >> 16);
        if (x == x0)
            continue;
        const S32 y = (S32)(RTS_ROWS - 1 - i);
        vLine(pBitmap, trace, x0, y, x, y);
    }
}

void t_n_history::vDrawFlasherRTS(BITMAP* pBitmap, const U8* pu8DirectData, U16 u16XOffset, U16 u16Width, S8 s8Gain)
{
    if (u16Width == 0)
        return;
    L_MUTEX_LockWait(RES_TSU); // the table may be rebuilt meanwhile
    S_GRAYSCALE_vCategorize(pu8DirectData, ColorRTSColumn, RTS_ROWS, &StandardBeamGrayScaleTable, 0, s8Gain);
    L_MUTEX_Unlock(RES_TSU);
    const S32 x0 = u16XOffset, x1 = u16XOffset + u16Width - 1;
    for (U32 i = 0; i < RTS_ROWS; ++i) {
        const S32 y = (S32)(RTS_ROWS - 1 - i);
        vLine(pBitmap, ColorRTSColumn[i], x0, y, x1, y);
    }
}

void t_n_history::vDrawRealTimeStrip(BITMAP* pBitmap, const SONAR_FRAME* pFrame, const SONAR_WINDOW* pWindow,
                                     U8* pu8RtsValues, U32 u32Height, S32 s32X0, BOOLEAN bPlaybackCases)
{
    const U32 u32Width = pFrame->u32RTSWidthCopy;
    if (pFrame->RTSBeamCopy >= RTS_FIRST_NO_BEAM || u32Width == 0 || s32X0 < 0)
        return;
    vFillRtsValues(pu8RtsValues, pFrame, pWindow, u32Height, bPlaybackCases);
    if (u32Width == RTS_WIDTH_ASCOPE)
        vDrawAScopeRTS(pBitmap, pu8RtsValues, (U32)s32X0, u32Width);
    else
        vDrawFlasherRTS(pBitmap, pu8RtsValues, (U16)s32X0, (U16)std::min(u32Width, SONAR_FRAME_WIDTH),
                        s_sBeamInfo[pFrame->RTSBeamCopy].s8Gain);
}

// ---- The colour bar ----

void T_N_HISTORY_vDrawColorIntensityBar(BITMAP* pBitmap, POINT* pt, S32 s32Width, S32 s32Height, U32 u32ScrnYSize)
{
    if (pBitmap == nullptr || pt == nullptr || s32Width <= 0 || s32Height <= 0)
        return;
    const S32 x = pt->x, yImage = pt->y, b = s32Height, h = (S32)u32ScrnYSize;
    const S32 top = (S32)SONAR_FRAME_HEIGHT;
    vBox(pBitmap, colTable(FRAME_COLOR_WHITE), x, 0, s32Width, top);
    for (U32 k = 0; k < BAR_LEVELS; ++k)
        vBox(pBitmap, colTable(BAR_LEVELS - k), x, top - (S32)(k + 1) * b, s32Width, b);
    vBox(pBitmap, colTable(COLOR_SONAR_BACKGROUND), x, yImage, s32Width, h - (S32)BAR_LEVELS * b);
    const S32 right = (S32)SONAR_FRAME_RIGHT, yTop = yImage + h - 1;
    vLine(pBitmap, colTable(FRAME_COLOR_WHITE), right, yImage, right, yTop);
    vLine(pBitmap, colTable(FRAME_COLOR_WHITE), x - 1, yImage, x - 1, yTop);
    vLine(pBitmap, colTable(FRAME_COLOR_BLACK), x - 2, yImage, x - 2, yTop);
    vLine(pBitmap, colTable(FRAME_COLOR_WHITE), x - 3, yImage, x - 3, yTop);
}
