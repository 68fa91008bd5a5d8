// The Keelview panes: the down-looking imaging picture, a horizontally
// scrolling history like the 2D picture (the newest column at the right
// edge, depth growing downwards), fed by the fused Keelview beam 5.
//
// Three callbacks show it: the full screen (layer 39), a pane of a split
// view (layers 40, 41 and 33), and the left pane of the three-pane view
// (layer 42), where the Keelview picture stands above the 2D picture and
// always shows the 2D half's range. Each snapshots its windows under
// mutex 28, rebuilds a flagged window only on an ordinary frame, and copies
// the histories into the frame.
#include "sonar/screens/t_n_history_imaging.h"

#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/screens/t_n_history_frame.h"
#include "sonar/screens/t_n_history_zoom_windows.h"
#include "sonar/screens/t_n_history_imaging_icons.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_line.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fishid.h"
#include "ui/t_info_bar.h"

#include <algorithm>

using namespace t_n_history;
using t_n_history::CursorWindow;

namespace {

constexpr S32 FRAME_RIGHT = 799;
constexpr S32 FRAME_TOP = 599;
constexpr S32 FRAME_HEIGHT = 600;
constexpr U32 INFO_BAND_HEIGHT = 105;
constexpr U32 COLOR_TEXT = 131;
constexpr U32 CHART_HEIGHT = 40;

COLOR colTable(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

// The single-element down-imaging transducers draw no fish over their
// full-screen picture.
bool bNoFishTransducer(U32 id) { return id == 15 || id == 17 || id == 18; }

struct SNAPSHOT {
    SONAR_WINDOW MainCopy;
    U32 u32DepthLinesCopy;
    POST_PROCESS_MODE BottomViewCopy;
    UNIT_TYPE unitsDepthCopy;
    BOOLEAN bFishIDCopy;
};

// Under mutex 28: the view check, then window u32Window and the settings;
// an ordinary frame takes the window's rebuild flag.
SNAPSHOT snapshot(LAYER_ID layer, U32 u32Window, BOOLEAN bExpedited)
{
    L_MUTEX_LockWait(RES_S_INFO);
    vVerifyAndUpdateWindowSettings(layer);
    SNAPSHOT s{tCopyWindow(SonarViewInfo.Window[u32Window]), SonarViewInfo.u32DepthLines, SonarViewInfo.BottomView,
               SonarViewInfo.unitsDepth, SonarViewInfo.bFishID};
    if (!bExpedited)
        SonarViewInfo.Window[u32Window].bTriggerTotalScreenUpdate = FALSE;
    L_MUTEX_Unlock(RES_S_INFO);
    return s;
}

void vHorizontalLine(BITMAP* pBmp, COLOR color, S32 x0, S32 x1, S32 y)
{
    POINT a{x0, y}, b{x1, y};
    G_LINE_vDraw(pBmp, color, &a, &b);
}

// A history into the rectangle between its corners, under its mutex.
void vCopy(BITMAP* pBitmap, const SONAR_WINDOW& w, POINT DeepOld, POINT ShallowYoung)
{
    if (w.ScreenHistory.pBmp == nullptr)
        return;
    L_MUTEX_LockWait(w.ScreenHistory.Resource);
    vCopyHistoryToBitmapGeneric(pBitmap, &w, &DeepOld, &ShallowYoung);
    L_MUTEX_Unlock(w.ScreenHistory.Resource);
}

} // namespace

void T_N_HISTORY_vDrawFVKVMssIcon(BITMAP* pBitmap, S32 PosX, S32 PosY)
{
    const POINT pt{PosX, PosY};
    G_ICON_vPut(pBitmap, &FVKV_icon, &pt);
}

void T_N_HISTORY_vDrawKeelview(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const BOOLEAN bExpedited = psWindowSpec->bExpedited;
    const U32 u32YOffset = T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW);
    const U32 h = FRAME_HEIGHT - std::min<U32>(u32YOffset, FRAME_HEIGHT);
    SNAPSHOT s = snapshot(VIEW_KEELVIEW, 0, bExpedited);
    if (bNoFishTransducer(s_db_TransducerSelectArray[SELECT_IMAGING]))
        s.bFishIDCopy = FALSE;

    CursorWindow = psWindowSpec->drawWindow;
    CursorWindow.s32ClipRight = FRAME_RIGHT;

    if (!bExpedited && s.MainCopy.bTriggerTotalScreenUpdate)
        vTotalScreenUpdate(&s.MainCopy, h, 800, s.BottomViewCopy, FALSE);
    if (s.MainCopy.ScreenHistory.pBmp != nullptr)
        vDrawSonarWindow(pBitmap, &s.MainCopy, 0, FRAME_RIGHT, h, s.unitsDepthCopy, s.u32DepthLinesCopy,
                         s.bFishIDCopy, TRUE);
    if (bTemperatureOverlay) {
        POINT pt{0, 500};
        T_N_HISTORY_vDrawTemperatureChart(pBitmap, &pt, 800, CHART_HEIGHT);
    }
    T_N_HISTORY_bUpdateKvZoomWindow(psWindowSpec);
    if (s_bSweepingUsedAsSide)
        T_N_HISTORY_vDrawFVKVMssIcon(pBitmap, 2, static_cast<S32>(s_u32MSSIconYoffset.load()) + 107);
}

void T_N_HISTORY_vDrawKeelviewSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const BOOLEAN bExpedited = psWindowSpec->bExpedited;
    const WINDOW_LOCATION& pane = psWindowSpec->drawWindow;
    const S32 left = std::max<S32>(pane.s32ClipLeft, 0);
    const S32 right = std::min<S32>(pane.s32ClipRight, FRAME_RIGHT);
    if (right < left)
        return;
    const U32 u32YOffset = T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_LEFT_WINDOW);
    const U32 h = FRAME_HEIGHT - std::min<U32>(u32YOffset, FRAME_HEIGHT);
    const U32 u32WindowNumber = psWindowSpec->currentLayer == VIEW_KEELVIEW_PLUS_2D ? 1 : 0;
    SNAPSHOT s = snapshot(psWindowSpec->currentLayer, u32WindowNumber, bExpedited);

    if (t_n_history::bCursorAppearsInThisWindow(psWindowSpec))
        CursorWindow = pane;
    if (!bExpedited && s.MainCopy.bTriggerTotalScreenUpdate)
        vTotalScreenUpdate(&s.MainCopy, h, static_cast<U32>(right + 1 - left), s.BottomViewCopy, FALSE);
    if (s.MainCopy.ScreenHistory.pBmp != nullptr)
        vDrawSonarWindow(pBitmap, &s.MainCopy, static_cast<U32>(left), static_cast<U32>(right), h, s.unitsDepthCopy,
                         s.u32DepthLinesCopy, s.bFishIDCopy, TRUE);
    // Beside the 2D pane the scale is drawn again at the screen edge; a
    // pane reaching the edge has just drawn it there, and a second pass
    // would only darken its blended boxes.
    if (CurrentView == VIEW_KEELVIEW_PLUS_2D && right != FRAME_RIGHT)
        vDrawDepthScale(pBitmap, FRAME_RIGHT, s.MainCopy.u32UpperDigits, s.MainCopy.u32LowerDigits, h, 0,
                        s.MainCopy.bManualDepthRange, FALSE);
    if (u32YOffset != 0) {
        const POINT pt{0, 0};
        G_BOX_vDrawFilled(pBitmap, BackGroundColor, &pt, 800, INFO_BAND_HEIGHT);
    }
    T_N_HISTORY_bUpdateKvZoomWindow(psWindowSpec);
    if (s_bSweepingUsedAsSide)
        T_N_HISTORY_vDrawFVKVMssIcon(pBitmap, pane.s32ClipLeft + 2,
                                     pane.s32ClipBottom + static_cast<S32>(s_u32MSSIconYoffset.load()) + 107);
}

void T_N_HISTORY_vDrawKeelviewSonarSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    const BOOLEAN bExpedited = psWindowSpec->bExpedited;
    const WINDOW_LOCATION& pane = psWindowSpec->drawWindow;
    const S32 L = std::max<S32>(pane.s32ClipLeft, 0);
    const S32 R = std::min<S32>(pane.s32ClipRight, FRAME_RIGHT);
    if (R < L)
        return;
    const U32 u32YOffset = std::min<U32>(T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_LEFT_WINDOW), 598);
    const U32 P = (FRAME_HEIGHT - u32YOffset) / 2;
    const S32 D = static_cast<S32>((FRAME_HEIGHT + u32YOffset) / 2);
    const S32 yOff = static_cast<S32>(u32YOffset);

    // 2: window 3 takes window 0's range before the snapshot, so the
    // Keelview half always shows the 2D half's range.
    L_MUTEX_LockWait(RES_S_INFO);
    vVerifyAndUpdateWindowSettings(VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D);
    vSetSplitSonarRange();
    const POST_PROCESS_MODE BottomViewCopy = SonarViewInfo.BottomView;
    const UNIT_TYPE unitsDepthCopy = SonarViewInfo.unitsDepth;
    const BOOLEAN bFishIDCopy = SonarViewInfo.bFishID;
    const U32 u32DepthLinesCopy = SonarViewInfo.u32DepthLines;
    const SONAR_WINDOW SonarCopy = tCopyWindow(SonarViewInfo.Window[0]);
    const SONAR_WINDOW KVCopy = tCopyWindow(SonarViewInfo.Window[3]);
    if (!bExpedited)
        SonarViewInfo.Window[0].bTriggerTotalScreenUpdate = FALSE;
    L_MUTEX_Unlock(RES_S_INFO);

    // 3, 4: each half rebuilt on an ordinary frame when flagged.
    const U32 width = static_cast<U32>(R + 1 - L);
    if (!bExpedited && SonarCopy.bTriggerTotalScreenUpdate)
        vTotalScreenUpdate(&SonarCopy, SonarCopy.u32HistoryHeight, width, BottomViewCopy, FALSE);
    L_MUTEX_LockWait(RES_S_INFO);
    if (!bExpedited)
        SonarViewInfo.Window[3].bTriggerTotalScreenUpdate = FALSE;
    L_MUTEX_Unlock(RES_S_INFO);
    if (!bExpedited && KVCopy.bTriggerTotalScreenUpdate)
        vTotalScreenUpdate(&KVCopy, KVCopy.u32HistoryHeight, width, BottomViewCopy, FALSE);

    // 5: the cursor stays in the Keelview half.
    if (t_n_history::bCursorAppearsInThisWindow(psWindowSpec)) {
        CursorWindow = pane;
        CursorWindow.s32ClipBottom = D;
    }

    // 6, 7: the Keelview half on top, the 2D half below it.
    const S32 p = static_cast<S32>(P);
    vCopy(pBitmap, KVCopy, POINT{L, FRAME_HEIGHT - p}, POINT{R, FRAME_TOP});
    if (p > 0)
        vCopy(pBitmap, SonarCopy, POINT{L, yOff}, POINT{R, yOff - 1 + p});

    // 8: the divider.
    const COLOR back = BackGroundColor;
    vHorizontalLine(pBitmap, back, L, R, D - 2);
    vHorizontalLine(pBitmap, back, L, R, D + 1);
    vHorizontalLine(pBitmap, colTable(COLOR_TEXT), L, R, D - 1);
    vHorizontalLine(pBitmap, colTable(COLOR_TEXT), L, R, D);

    // 9: fish over the 2D half only.
    if (bFishIDCopy && SonarCopy.Beam < SONAR_BEAMS && p > 0)
        S_FISHID_vDrawStandardFishHistory(pBitmap, &s_sBeamInfo[SonarCopy.Beam].FishHistory, static_cast<PIXEL>(L),
                                          static_cast<PIXEL>(R), static_cast<PIXEL>(yOff),
                                          static_cast<PIXEL>(yOff - 1 + p), SonarCopy.u32UpperSample,
                                          SonarCopy.u32LowerSample, unitsDepthCopy, colTable(COLOR_TEXT), FALSE);

    // 10-13: lines and scales of both halves.
    const U32 l = static_cast<U32>(L), r = static_cast<U32>(R);
    const U32 scaleHeight = P >= 2 ? P - 2 : 0;
    vDrawDepthLinesWhite(pBitmap, u32DepthLinesCopy, l, r, P, 0, KVCopy.u32UpperDigits, KVCopy.u32LowerDigits);
    vDrawDepthScale(pBitmap, r, KVCopy.u32UpperDigits, KVCopy.u32LowerDigits, scaleHeight, 0, KVCopy.bManualDepthRange,
                    TRUE);
    vDrawDepthLines(pBitmap, u32DepthLinesCopy, l, r, P, P, SonarCopy.u32UpperDigits, SonarCopy.u32LowerDigits);
    vDrawDepthScale(pBitmap, r, SonarCopy.u32UpperDigits, SonarCopy.u32LowerDigits, scaleHeight, P + 2,
                    SonarCopy.bManualDepthRange, TRUE);

    T_N_HISTORY_bUpdateKvZoomWindow(psWindowSpec);
    if (s_bSweepingUsedAsSide)
        T_N_HISTORY_vDrawFVKVMssIcon(pBitmap, 2, static_cast<S32>(s_u32MSSIconYoffset.load()) + 356);
}
