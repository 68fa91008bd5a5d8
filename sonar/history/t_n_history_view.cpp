// Sonar view changes: the view check that lays the windows out again for a
// new view, the keys the history task holds in each view and pane, the
// panes that use the sonar cursor, and the window heights that follow the
// rows the info strip leaves free.
//
// The view check runs in the history task (on "CVEW") and in the view task
// (a draw callback asked for a view other than the one laid out); it holds
// mutex 28 from its first look at CurrentView to the last trigger, so the
// two cannot interleave. The height fitting runs in the view task.
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_cursor.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "ui/t_info.h"
#include "ui/u_keyboard.h"

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr U32 KEYS_ZOOM = KEY_ZOOM_IN | KEY_ZOOM_OUT;
constexpr SEMA SEMA_NVRAM_UPDATE = 104;
constexpr U32 STATE_SIMULATION = 4;
constexpr U32 STATE_POINT_OF_SALE = 6;
constexpr U32 SCREEN_HEIGHT = 600;
constexpr U32 SIDE_SWEEP = 2;
constexpr U32 YST3_SIDE_TRANSDUCER_3 = 3;

// ---- Helpers ----

bool bIn(LAYER_ID v, std::initializer_list<LAYER_ID> views)
{
    for (LAYER_ID w : views)
        if (v == w)
            return true;
    return false;
}

bool b360View(LAYER_ID v) { return bIn(v, {VIEW_PPI_DISPLAY, VIEW_PPI_PLUS_2D, VIEW_PPI_PLUS_CHART}); }

U32 u32Fetch(FOURCHARID fcid, U32 u32Absent)
{
    U32 u = u32Absent;
    H_DATABASE_bFetchU32(fcid, &u, nullptr, nullptr);
    return u;
}

void vTriggerAllAndResample(void)
{
    vTriggerAllTotalScreenUpdate();
    vResample();
}

bool bZoomWindowHoldsZoomKeys(void) { return s_bFvZoomKeysRegistered || s_bKVZoomKeysRegistered; }

U32 u32Less(U32 u32Value, U32 u32Minus) { return u32Value > u32Minus ? u32Value - u32Minus : 0; }

void vSetHeight(U32 i, U32 u32Height, bool& bChanged)
{
    SONAR_WINDOW& w = SonarViewInfo.Window[i];
    if (w.u32HistoryHeight != u32Height) {
        w.u32HistoryHeight = u32Height;
        bChanged = true;
    }
}

} // namespace

// ---- The view check ----

void t_n_history::vVerifyAndUpdateWindowSettings(LAYER_ID view)
{
    L_MUTEX_LockWait(RES_S_INFO);
    if (view == CurrentView) {
        L_MUTEX_Unlock(RES_S_INFO);
        return;
    }
    CurrentView = view;
    vSetupSonarWindows();
    bRtsWindowUpdateable = bIn(view, {VIEW_DIAGNOSTIC_A_SCOPE, VIEW_CHART_PLUS_2D, VIEW_KEELVIEW_PLUS_2D, VIEW_SONAR,
                                      VIEW_FLANKVIEW_PLUS_2D, VIEW_MEGA_DIGIT, VIEW_FLASHER, VIEW_PPI_PLUS_2D})
                               ? TRUE
                               : FALSE;

    SONAR_WINDOW& w0 = SonarViewInfo.Window[0];
    if (view == VIEW_SONAR_ZOOM) {
        w0.fUpperDisplayedMetres = 0.0f;
    } else {
        float fUpper = 0.0f;
        if (H_DATABASE_bFetchFloat(FCID("SSUD"), &fUpper, nullptr, nullptr))
            w0.fUpperDisplayedMetres = fUpper;
    }
    vCalculateDisplayedDepthRanges(TRUE);

    if (view == VIEW_SONAR_ZOOM) {
        vSetupZoomRange(TRUE);
    } else if (bIn(view, {VIEW_CHART_PLUS_FV, VIEW_CHART_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW,
                          VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, VIEW_SIDEVIEW_AND_DOWN, VIEW_SIDEVIEW, VIEW_2D_PLUS_FV,
                          VIEW_FLANKVIEW_PLUS_2D})) {
        vSetSideBeamRange(TRUE);
    } else if (view == VIEW_KEELVIEW_PLUS_2D || view == VIEW_DUAL_BEAM) {
        SONAR_WINDOW& w1 = SonarViewInfo.Window[1];
        w1.fUpperDisplayedMetres = w0.fUpperDisplayedMetres;
        w1.fLowerDisplayedMetres = w0.fLowerDisplayedMetres;
        w1.u32UpperDigits = w0.u32UpperDigits;
        w1.u32LowerDigits = w0.u32LowerDigits;
        w1.u32UpperSample = w0.u32UpperSample;
        w1.u32LowerSample = w0.u32LowerSample;
        w1.bManualDepthRange = w0.bManualDepthRange;
        w1.bTriggerTotalScreenUpdate = w0.bTriggerTotalScreenUpdate;
    }

    vTriggerAllAndResample();
    vSelectPingMode();
    L_MUTEX_Unlock(RES_S_INFO);
}

// ---- Keys ----

void t_n_history::vCheckKeyRegistration(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit)
{
    if (view == UNKNOWN_VIEW)
        view = U_VIEW_eCurrentView();
    if (eSplit == UNKNOWN_SPLIT)
        eSplit = U_VIEW_eCurrentSplit();

    // A zoom window that holds the zoom keys keeps them: the zoom view
    // only notes them as held, and leaving it does not release them.
    if (view == VIEW_SONAR_ZOOM) {
        if (!s_bZoomKeysRegistered) {
            if (!bZoomWindowHoldsZoomKeys())
                U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEYS_ZOOM, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                                         REGISTER_VIEW);
            s_bZoomKeysRegistered = TRUE;
        }
    } else if (s_bZoomKeysRegistered) {
        if (!bZoomWindowHoldsZoomKeys())
            U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEYS_ZOOM);
        s_bZoomKeysRegistered = FALSE;
    }

    if (T_INFO_bIsMssView()) {
        U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEYS_ZOOM | KEY_INFO, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                                 REGISTER_VIEW);
        s_bZoomKeysRegistered = TRUE;
    } else {
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_INFO);
    }

    if (T_N_HISTORY_bIsMyCursorView(view, eSplit)) {
        if (!s_bCursorKeysRegistered) {
            U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEY_CURSOR, KEY_DOWN, TRUE, TRUE, CURSOR_8, REGISTER_VIEW);
            s_bCursorKeysRegistered = TRUE;
        }
    } else if (s_bCursorKeysRegistered) {
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_CURSOR);
        s_bCursorKeysRegistered = FALSE;
    }
}

BOOLEAN T_N_HISTORY_bIsMyCursorView(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit)
{
    if (view == UNKNOWN_VIEW)
        view = U_VIEW_eCurrentView();
    if (eSplit == UNKNOWN_SPLIT)
        eSplit = U_VIEW_eCurrentSplit();
    if (bIn(view, {VIEW_KEELVIEW, VIEW_2D_PLUS_FV, VIEW_SONAR, VIEW_SONAR_ZOOM, VIEW_DUAL_BEAM, VIEW_PPI_DISPLAY,
                   VIEW_PPI_PLUS_2D, VIEW_KEELVIEW_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_2D,
                   VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D}))
        return TRUE;
    if (view == VIEW_SIDEVIEW)
        return u32Fetch(FCID("YST3"), 0) != YST3_SIDE_TRANSDUCER_3 ? TRUE : FALSE;
    if (view == VIEW_FLANKVIEW_PLUS_2D)
        return eSplit == SPLIT_LEFT_WINDOW || eSplit == SPLIT_RIGHT_WINDOW ? TRUE : FALSE;
    if (bIn(view, {VIEW_CHART_PLUS_KEELVIEW, VIEW_CHART_PLUS_2D, VIEW_CHART_PLUS_FLANKVIEW, VIEW_SONAR_3D_PLUS_2D}))
        return eSplit == SPLIT_LEFT_WINDOW ? TRUE : FALSE;
    if (view == VIEW_PPI_PLUS_CHART)
        return eSplit == SPLIT_RIGHT_WINDOW ? TRUE : FALSE;
    return FALSE;
}

// ---- "CVEW" and "CVAS" (mutex 28 held by the mail handling) ----

void t_n_history::vHandleViewChange(LAYER_ID v)
{
    L_MUTEX_LockWait(RES_S_INFO);
    s_u32MSSIconYoffset = 0;

    const BOOLEAN bDeployed = s_bMSSDeployed.load();
    const BOOLEAN bShown360 = bDeployed && b360View(v) ? TRUE : FALSE;
    H_DATABASE_bUpdateValueBoolean(FCID("SMVW"), bShown360, P_HIGHEST);
    const U32 u32State = u32Fetch(FCID("CCST"), 0);
    if (u32State != STATE_SIMULATION && u32State != STATE_POINT_OF_SALE)
        L_SEMA_Signal(SEMA_NVRAM_UPDATE);

    if (bDeployed) {
        T_N_HISTORY_vHandleSweepingStatus(v);
        s_u8IsolateSweepSetuped = 0;
        if (bIn(v, {VIEW_CHART_PLUS_KEELVIEW, VIEW_CHART_PLUS_FLANKVIEW, VIEW_KEELVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW,
                    VIEW_KEELVIEW_PLUS_2D, VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, VIEW_SIDEVIEW,
                    VIEW_FLANKVIEW_PLUS_2D}) &&
            s_bSweepingUsedAsSide.load() && u32Fetch(FCID("YSPL"), 0) != SIDE_SWEEP)
            s_bClearFVBuffer = TRUE;
    } else {
        vAskForDeployment(v);
    }

    vVerifyAndUpdateWindowSettings(v);
    vCheckKeyRegistration(v, UNKNOWN_SPLIT);
    vMakeCursorInactive();
    L_MUTEX_Unlock(RES_S_INFO);
}

void t_n_history::vHandlePaneChange(SPLIT_WINDOW_TYPE eSplit)
{
    vCheckKeyRegistration(UNKNOWN_VIEW, eSplit);
    vMakeCursorInactive();
}

// ---- Heights left by the info strip (view task) ----

void T_N_HISTORY_vReVerifyAndUpdateActiveSonarWindowSettings(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit,
                                                            U32 u32YOffset)
{
    const U32 a = u32YOffset < SCREEN_HEIGHT ? SCREEN_HEIGHT - u32YOffset : 0;
    const U32 b = a / 2;
    L_MUTEX_LockWait(RES_S_INFO);
    bool bChanged = false;
    switch (view) {
    case VIEW_CHART_PLUS_KEELVIEW:
    case VIEW_CHART_PLUS_2D:
    case VIEW_KEELVIEW:
    case VIEW_SONAR:
        vSetHeight(0, a, bChanged);
        break;
    case VIEW_KEELVIEW_PLUS_FLANKVIEW:
    case VIEW_FLANKVIEW_PLUS_2D:
        if (eSplit == SPLIT_LEFT_WINDOW)
            vSetHeight(0, a, bChanged);
        break;
    case VIEW_KEELVIEW_PLUS_2D:
    case VIEW_SONAR_ZOOM:
    case VIEW_DUAL_BEAM:
        vSetHeight(0, a, bChanged);
        vSetHeight(1, a, bChanged);
        break;
    case VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D:
        if (eSplit == SPLIT_LEFT_WINDOW) {
            vSetHeight(0, b, bChanged);
            vSetHeight(3, b, bChanged);
        }
        break;
    case VIEW_SIDEVIEW_AND_DOWN:
        switch (SonarViewInfo.eQuadLayout) {
        case QUAD_LAYOUT_3_PANE_FLAT:
            for (U32 i = 0; i < 3; ++i)
                vSetHeight(i, a, bChanged);
            break;
        case QUAD_LAYOUT_3_PANE_SLANTED: {
            const U32 u32Slanted = u32Less(334, u32YOffset);
            for (U32 i = 0; i < 3; ++i)
                vSetHeight(i, u32Slanted, bChanged);
            break;
        }
        case QUAD_LAYOUT_HORIZONTAL:
            vSetHeight(0, u32Less(b, 1), bChanged);
            vSetHeight(1, u32Less(b, 3), bChanged);
            vSetHeight(2, u32Less(b, 3), bChanged);
            break;
        case QUAD_LAYOUT_VERTICAL:
            vSetHeight(0, u32Less(b, 1), bChanged);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
    if (bChanged)
        vTriggerAllAndResample();
    L_MUTEX_Unlock(RES_S_INFO);
}
