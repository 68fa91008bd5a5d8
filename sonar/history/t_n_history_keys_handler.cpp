// The keys the history task takes while a sonar view is on screen: zoom
// levels, EXIT, the cursor key (dialogs, sonar cursor, 360 sweep-area and
// heading-offset edits) and INFO on the 360 views. Runs in the history task;
// the 360 state it changes is also changed by menu actions without a lock.
#include "sonar/history/t_n_history_cursor.h"

#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_conf.h"
#include "sonar/history/t_n_history_mss.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/screens/t_n_history_imaging.h"

#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "platform/h_ppi_motor.h"
#include "store/h_database.h"
#include "ui/u_view.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

using namespace t_n_history;

namespace {

constexpr U32 STATE_NORMAL_RUN = 3;
constexpr U32 STATE_SIMULATION = 4;
constexpr U32 STATE_POINT_OF_SALE = 6;
constexpr S32 TURN = 1600;       // sectors of a full turn
constexpr S32 MIN_AREA = 44;     // narrowest sweep area, sectors
constexpr S32 MAX_AREA = 798;    // widest sweep area, sectors
constexpr S32 MAX_EDIT_STEP = 80;
constexpr S32 MAX_HEADING_OFFSET = 30;
constexpr U32 MAX_CURSOR_ZOOM = 3;
constexpr U32 MAX_PPI_ZOOM = 8;
constexpr U32 PPI_ZOOM_PIXELS = 72; // ring growth per 360 zoom level
constexpr U32 MAX_360_STEP = 5;

void vGood(void) { L_SEMA_Signal(SEMA_KEYCLICK_GOOD); }
void vBad(void) { L_SEMA_Signal(SEMA_KEYCLICK_BAD); }

bool bSimulated(void) { return s_u32SystemState == STATE_SIMULATION || s_u32SystemState == STATE_POINT_OF_SALE; }

bool bEast(CURSOR_POSITION c) { return c == CURSOR_NORTH_EAST || c == CURSOR_EAST || c == CURSOR_SOUTH_EAST; }
bool bWest(CURSOR_POSITION c) { return c == CURSOR_NORTH_WEST || c == CURSOR_WEST || c == CURSOR_SOUTH_WEST; }

bool bIn(LAYER_ID v, std::initializer_list<LAYER_ID> views)
{
    return std::find(views.begin(), views.end(), v) != views.end();
}

bool bFlankviewPane(LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    return v == VIEW_SIDEVIEW || (v == VIEW_CHART_PLUS_FLANKVIEW && s == SPLIT_LEFT_WINDOW) ||
           (bIn(v, {VIEW_KEELVIEW_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, VIEW_FLANKVIEW_PLUS_2D}) &&
            s == SPLIT_RIGHT_WINDOW);
}

bool bKeelviewPane(LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    return v == VIEW_KEELVIEW ||
           (bIn(v, {VIEW_CHART_PLUS_KEELVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D}) &&
            s == SPLIT_LEFT_WINDOW) ||
           (v == VIEW_KEELVIEW_PLUS_2D && s == SPLIT_RIGHT_WINDOW);
}

bool b360Pane(LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    return v == VIEW_PPI_DISPLAY || (bIn(v, {VIEW_PPI_PLUS_2D, VIEW_PPI_PLUS_CHART}) && s == SPLIT_RIGHT_WINDOW);
}

// The heading offset in sectors: "YMHL" degrees x 4.45, a missing key 0.
S32 s32HeadingOffsetSectors(void)
{
    S32 s32Degrees = 0;
    if (!H_DATABASE_bFetchS32(FCID("YMHL"), &s32Degrees, nullptr, nullptr))
        s32Degrees = 0;
    return (S32)((double)s32Degrees * 4.45);
}

S32 s32Wrap(S32 s) { return ((s % TURN) + TURN) % TURN; }

void vTakeExit(void)
{
    U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEY_EXIT, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY, REGISTER_VIEW);
}

// The 360 unit turns and its picture is fresh: deployed, not on its way up.
bool bMSSReady(void) { return s_bMSSDeployed && !s_bMSSRetracting.load(); }

void vReleaseExitUnlessHeadingOffset(void)
{
    if (s_u32360HeadingOffsetEnabled.load() == 0)
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_EXIT);
}

void vClearLeftEdge(void)
{
    s_bQuickSweepLeftEdgeSet = FALSE;
    s_s32QuickSweepLeftEdge = -TURN;
}

// ---- Zoom ----

// Steps a level within 0..u32Max; an unreadable level ends silently. The
// level, changed or not, is written back.
void vStep(FOURCHARID fcid, U32 u32Key, U32 u32Max, bool bNeedValid, bool bRefuseIn = false,
           std::atomic<U32>* pMirror = nullptr)
{
    U32 u32Level = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(fcid, &u32Level, &bValid, nullptr) || (bNeedValid && !bValid))
        return;
    bool bChanged = false;
    if (u32Key == KEY_ZOOM_IN && u32Level < u32Max && !bRefuseIn) {
        ++u32Level;
        bChanged = true;
    } else if (u32Key == KEY_ZOOM_OUT && u32Level > 0) {
        --u32Level;
        bChanged = true;
    }
    if (bChanged)
        vGood();
    else
        vBad();
    H_DATABASE_bUpdateValueU32(fcid, u32Level, P_NORMAL);
    if (pMirror != nullptr)
        *pMirror = u32Level;
}

// Read under mutex 28, as the view task lays the windows out under it.
bool bBottomLockZoom(void)
{
    L_MUTEX_LockWait(RES_S_INFO);
    const bool b = SonarViewInfo.bBottomLockZoom != FALSE;
    L_MUTEX_Unlock(RES_S_INFO);
    return b;
}

void vZoom(const MSG_KEY_CHANGE* pMsg, LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    if (s_bCursorActive && bFlankviewPane(v, s)) {
        vStep(FCID("ISIZ"), pMsg->key, MAX_CURSOR_ZOOM, false);
    } else if (b360Pane(v, s)) {
        const SWEEPING_SETTING_STATUS e = s_MSSObject.SweepingSetting;
        if (!bMSSReady() || !(e == SWEEP_SETTING_OFF || e == ISOLATE_SWEEP_ON || e == QUICK_SWEEP_IN_ISOLATE_ON)) {
            vBad();
            return;
        }
        U32 u32Level = 0;
        H_DATABASE_bFetchU32(FCID("PPIZ"), &u32Level, nullptr, nullptr);
        const bool bTooBig = u32Level * PPI_ZOOM_PIXELS + s_PPIDisplayDescriptor.u32Width >= PPI_MAX_SAMPLES;
        vStep(FCID("PPIZ"), pMsg->key, MAX_PPI_ZOOM, false, bTooBig, &s_u32PPIZoom);
    } else if (s_bCursorActive && bKeelviewPane(v, s)) {
        vStep(FCID("IDIZ"), pMsg->key, MAX_CURSOR_ZOOM, false);
    } else if (bBottomLockZoom()) {
        vBad();
    } else {
        vStep(FCID("SSZL"), pMsg->key, MAX_CURSOR_ZOOM, true);
    }
}

// ---- Exit ----

void vExit(void)
{
    MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
    if (m.SweepingSetting == ISOLATE_SWEEP_SETTING) {
        if (!m.bIsLastSweepFull) {
            // Back to the isolated area that was in force before.
            m.SweepingSetting = ISOLATE_SWEEP_ON;
            m.s32SweepStart = m.s32SweepStartSaved;
            m.s32SweepRange = m.s32SweepRangeSaved;
            T_N_HISTORY_vCreateIsolateSweepArea();
            if (bSimulated())
                H_PPI_MOTOR_vSetSweepArea(m.s32SweepStart, m.s32SweepRange);
        } else {
            T_N_HISTORY_vClearIsolateSweepArea();
        }
        vReleaseExitUnlessHeadingOffset();
    } else if (m.SweepingSetting == QUICK_SWEEP_SETTING) {
        m.SweepingSetting = SWEEP_SETTING_OFF;
        H_DATABASE_bUpdateValueS32(FCID("YASS"), 0, P_NORMAL);
        m.s32SweepStart = -TURN;
        H_DATABASE_bUpdateValueBoolean(FCID("YQSO"), FALSE, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("YQSS"), -1, P_NORMAL);
        m.s32SweepRange = 0;
        if (bSimulated())
            H_PPI_MOTOR_vReturnFullSweep();
        vReleaseExitUnlessHeadingOffset();
    } else if (m.SweepingSetting == QUICK_SWEEP_IN_ISOLATE_SETTING) {
        m.SweepingSetting = ISOLATE_SWEEP_ON;
        H_DATABASE_bUpdateValueS32(FCID("YASS"), ISOLATE_SWEEP_ON, P_NORMAL);
        m.s32SweepStart = m.s32SweepStartSaved;
        m.s32SweepRange = m.s32SweepRangeSaved;
        m.s32QuickSweepRangeInIsolate = 0;
        const S32 start = s32Wrap(m.s32SweepStartSaved + TURN + s32HeadingOffsetSectors());
        if (bSimulated()) {
            H_PPI_MOTOR_vSetSweepArea(start, m.s32SweepRange);
        } else {
            H_DATABASE_bUpdateValueS32(FCID("YQSS"), start, P_NORMAL);
            H_DATABASE_bUpdateValueS32(FCID("YQSR"), m.s32SweepRange, P_NORMAL);
        }
        vClearLeftEdge();
        vReleaseExitUnlessHeadingOffset();
    } else if (s_bSweepEnhanceDialogActive) {
        T_N_HISTORY_vDestroySweepEnhanceDialog();
        vGood();
    } else if (s_u32360HeadingOffsetEnabled.load() != 0) {
        // The unconfirmed angle is dropped; the confirmed one stays.
        H_DATABASE_bUpdateEverythingU32(FCID("MHLE"), 0, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
        S32 s32Confirmed = 0;
        if (H_DATABASE_bFetchS32(FCID("YMHL"), &s32Confirmed, nullptr, nullptr))
            s_s32HeadingOffsetDegrees = s32Confirmed;
        T_N_HISTORY_vClearIsolateSweepArea();
        H_DATABASE_bUpdateValueS32(FCID("YQSS"), -1, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("YQSR"), -1, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(FCID("YQSO"), FALSE, P_NORMAL);
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_INFO);
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_EXIT);
    } else if (s_bFvEnhanceDialogActive) {
        vDestroyFvEnhanceDialog();
        vGood();
    } else if (s_bKvEnhanceDialogActive) {
        vDestroyKvEnhanceDialog();
        vGood();
    } else {
        vMakeCursorInactive();
        bForceResample = TRUE;
        vGood();
    }
}

// ---- Cursor key ----

void vDialog(const MSG_KEY_CHANGE* pMsg, std::atomic<S32>& active, S32 n, const FOURCHARID* pKeys,
             FOURCHARID fcidContour)
{
    const S32 d = active.load();
    switch (pMsg->cursor) {
    case CURSOR_NORTH:
        if (d > 1) {
            active = d - 1;
            vGood();
        } else {
            vBad();
        }
        return;
    case CURSOR_SOUTH:
        if (d < n) {
            active = d + 1;
            vGood();
        } else {
            vBad();
        }
        return;
    case CURSOR_EAST:
    case CURSOR_WEST:
        break;
    default:
        return;
    }
    if (d < 1 || d > n) {
        vBad();
        return;
    }
    const bool bUp = pMsg->cursor == CURSOR_EAST;
    U32 v = 0;
    H_DATABASE_bFetchU32(pKeys[d], &v, nullptr, nullptr);
    FOURCHARID fcid = pKeys[d];
    bool bOk = false;
    if (d == 1 || d == 2) {
        bOk = bUp ? v <= 19 : v >= 2;
        v = bUp ? v + 1 : v - 1;
    } else if (d == 3) {
        bOk = bUp ? v <= 2 : v >= 1;
        v = bUp ? v + 1 : v - 1;
    } else if (d == 4 && fcidContour != 0) {
        bOk = bUp ? (v & 0xFF) == 0 : (v & 0xFF) != 0;
        v = bUp ? 1 : 0;
        fcid = fcidContour;
    }
    if (!bOk) {
        vBad();
        return;
    }
    H_DATABASE_bUpdateValueU32(fcid, v, P_NORMAL);
    vGood();
}

void vSweepAreaEdit(const MSG_KEY_CHANGE* pMsg)
{
    MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
    const S32 s = std::min<S32>((S32)std::min<U32>(pMsg->count, (U32)MAX_EDIT_STEP), MAX_EDIT_STEP);
    const CURSOR_POSITION c = pMsg->cursor;
    if (c == CURSOR_NORTH) {
        m.s32SweepRange -= 2 * s;
        if (m.s32SweepRange < MIN_AREA)
            m.s32SweepRange = MIN_AREA;
        else
            m.s32SweepStart -= s;
    } else if (c == CURSOR_SOUTH) {
        m.s32SweepRange += 2 * s;
        if (m.s32SweepRange >= MAX_AREA)
            m.s32SweepRange = MAX_AREA;
        else
            m.s32SweepStart += s;
    } else if (bEast(c)) {
        m.s32SweepStart += s;
    } else if (bWest(c)) {
        m.s32SweepStart -= s;
    }
    m.s32SweepStart = s32Wrap(m.s32SweepStart);
    if (bSimulated())
        H_PPI_MOTOR_vSetSweepArea(m.s32SweepStart, m.s32SweepRange);
}

void vHeadingOffsetEdit(const MSG_KEY_CHANGE* pMsg)
{
    const S32 s = (S32)std::min<U32>(pMsg->count, (U32)MAX_EDIT_STEP);
    s_bMSSDataLocked = TRUE;
    S32 o = s_s32HeadingOffsetDegrees.load();
    if (bEast(pMsg->cursor))
        o += s;
    else if (bWest(pMsg->cursor))
        o -= s;
    s_s32HeadingOffsetDegrees = std::clamp(o, -MAX_HEADING_OFFSET, MAX_HEADING_OFFSET);
    if (bSimulated())
        H_PPI_MOTOR_vSetSweepArea(s_MSSObject.s32SweepStart, s_MSSObject.s32SweepRange);
}

void vCursor(const MSG_KEY_CHANGE* pMsg, LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    if (s_bFvEnhanceDialogActive) {
        vDialog(pMsg, s_s32ActiveDialogItem, 4, s_fcidFvEnhanceId, FCID("SITM"));
    } else if (s_bSweepEnhanceDialogActive) {
        vDialog(pMsg, s_s32ActiveSweepDialogItem, 4, s_fcidSweepEnhanceId, FCID("SMTM"));
    } else if (s_bKvEnhanceDialogActive) {
        vDialog(pMsg, s_s32KvActiveDialogItem, 3, s_fcidKvEnhanceId, 0);
    } else if (!b360Pane(v, s)) {
        vCursorKey(pMsg);
    } else if (s_MSSObject.SweepingSetting == ISOLATE_SWEEP_SETTING) {
        vSweepAreaEdit(pMsg);
    } else if (s_u32360HeadingOffsetEnabled.load() != 0) {
        vHeadingOffsetEdit(pMsg);
    } else if (s_MSSObject.SweepingSetting == QUICK_SWEEP_SETTING ||
               s_MSSObject.SweepingSetting == QUICK_SWEEP_IN_ISOLATE_SETTING) {
        vBad();
    } else if (!bMSSReady()) {
        vBad();
    } else {
        v360CursorKey(pMsg);
    }
}

// ---- Info (360 views) ----

void vQuickSweepKeys(S32 start, S32 range)
{
    H_DATABASE_bUpdateValueS32(FCID("YQSS"), start, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("YQSR"), range, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("YQSO"), 1, P_NORMAL);
}

void vSendQuickSweep(S32 start, S32 range)
{
    if (bSimulated()) {
        H_PPI_MOTOR_vSetSweepArea(start, range);
    } else {
        H_DATABASE_bUpdateValueS32(FCID("YQSS"), start, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("YQSR"), range, P_NORMAL);
    }
}

// The sweep line P becomes one edge of a quick sweep inside the isolated
// area, the area's edge the transducer came from the other; narrower than
// MIN_AREA is refused (unless the line sits on the area's start).
void vQuickSweepInIsolate(S32 P, S32 o)
{
    MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
    const S32 S = m.s32SweepStart, R = m.s32SweepRange;
    if (s_bClockwise.load()) {
        S32 Q = P + R - S;
        if (S < P)
            Q -= TURN;
        if (S != P && Q < MIN_AREA) {
            vBad();
            return;
        }
        vTakeExit();
        m.s32SweepDisplayStart = s32Wrap(P);
        log_me("quick sweep in isolated area: start %d range %d\n", (int)m.s32SweepDisplayStart, (int)Q);
        m.s32QuickSweepRangeInIsolate = Q;
        T_N_HISTORY_vSetSweepingSetting(QUICK_SWEEP_IN_ISOLATE_SETTING);
        vSendQuickSweep(s32Wrap(m.s32SweepDisplayStart + TURN + o), Q);
        vClearLeftEdge();
    } else {
        S32 Q = S - P;
        if (S < P)
            Q += TURN;
        if (S != P && Q < MIN_AREA) {
            vBad();
            return;
        }
        vTakeExit();
        m.s32SweepDisplayRange = 0;
        s_s32QuickSweepLeftEdge = P;
        m.s32SweepDisplayStart = S;
        m.s32QuickSweepRangeInIsolate = Q;
        s_bQuickSweepLeftEdgeSet = TRUE;
        log_me("quick sweep in isolated area: range %d\n", (int)Q);
        T_N_HISTORY_vSetSweepingSetting(QUICK_SWEEP_IN_ISOLATE_SETTING);
        vSendQuickSweep(s32Wrap(S + TURN + o), Q);
    }
}

void vInfo(void)
{
    MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
    if (!s_bMSSDeployed) {
        vBad();
        return;
    }
    if (s_u32360HeadingOffsetEnabled.load() != 0) {
        const S32 o = s_s32HeadingOffsetDegrees.load();
        H_DATABASE_bUpdateValueS32(FCID("YMHL"), o, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("SMHL"), o, P_NORMAL);
        s_bMSSDataLocked = FALSE;
        log_me("heading offset confirmed: %d degrees\n", (int)o);
        vGood();
        return;
    }
    const S32 o = s32HeadingOffsetSectors();
    const S32 P = s_s32PPISector.load();
    switch (m.SweepingSetting) {
    case SWEEP_SETTING_OFF:
        vTakeExit();
        m.SweepingSetting = QUICK_SWEEP_SETTING;
        m.s32SweepRange = 0;
        m.s32SweepStart = s32Wrap(P + TURN + o);
        H_DATABASE_bUpdateValueS32(FCID("YASS"), QUICK_SWEEP_SETTING, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("YQSS"), m.s32SweepStart, P_NORMAL);
        if (bSimulated())
            H_PPI_MOTOR_vSweepAreaStart();
        break;
    case QUICK_SWEEP_SETTING:
        if (m.s32SweepRange > MIN_AREA) {
            m.SweepingSetting = QUICK_SWEEP_ON;
            m.SweepStatus = SWEEP_IN_AREA;
            H_DATABASE_bUpdateValueS32(FCID("YASS"), QUICK_SWEEP_ON, P_NORMAL);
            const S32 start = s32Wrap(m.s32SweepStart + TURN + o);
            if (s_u32SystemState == STATE_NORMAL_RUN)
                vQuickSweepKeys(start, m.s32SweepRange);
            else
                H_PPI_MOTOR_vSetSweepArea(start, m.s32SweepRange);
            U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_EXIT);
        } else {
            vBad();
        }
        break;
    case QUICK_SWEEP_ON:
        m.SweepStatus = FULL_SWEEP;
        m.SweepingSetting = SWEEP_SETTING_OFF;
        H_DATABASE_bUpdateValueS32(FCID("YASS"), 0, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("YQSS"), -1, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("YQSR"), -1, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(FCID("YQSO"), FALSE, P_NORMAL);
        m.s32SweepRange = 0;
        s_u32PPIViewOffset = s_u32PPIViewOffsetSaved.load();
        m.s32SweepDisplayRange = 0;
        m.s32SweepStart = -TURN;
        m.s32SweepDisplayStart = -TURN;
        if (bSimulated())
            H_PPI_MOTOR_vReturnFullSweep();
        break;
    case QUICK_SWEEP_IN_ISOLATE_SETTING:
        if (m.s32SweepDisplayRange > MIN_AREA) {
            m.SweepingSetting = QUICK_SWEEP_IN_ISOLATE_ON;
            H_DATABASE_bUpdateValueS32(FCID("YASS"), QUICK_SWEEP_IN_ISOLATE_ON, P_NORMAL);
            const S32 start = s32Wrap(m.s32SweepDisplayStart + TURN + o);
            if (s_u32SystemState == STATE_NORMAL_RUN)
                vQuickSweepKeys(start, m.s32SweepDisplayRange);
            else
                H_PPI_MOTOR_vSetSweepArea(start, m.s32SweepDisplayRange);
            vClearLeftEdge();
            U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_EXIT);
        } else {
            vBad();
        }
        break;
    case QUICK_SWEEP_IN_ISOLATE_ON:
        m.SweepingSetting = ISOLATE_SWEEP_ON;
        H_DATABASE_bUpdateValueS32(FCID("YASS"), ISOLATE_SWEEP_ON, P_NORMAL);
        m.s32SweepStart = m.s32SweepStartSaved;
        m.s32SweepRange = m.s32SweepRangeSaved;
        m.s32QuickSweepRangeInIsolate = 0;
        vClearLeftEdge();
        if (bSimulated()) {
            H_PPI_MOTOR_vSetSweepArea(s32Wrap(m.s32SweepStartSaved + TURN + o), m.s32SweepRangeSaved);
        } else {
            H_DATABASE_bUpdateValueS32(FCID("YQSS"), -1, P_NORMAL);
            H_DATABASE_bUpdateValueS32(FCID("YQSR"), -1, P_NORMAL);
            H_DATABASE_bUpdateValueBoolean(FCID("YQSO"), FALSE, P_NORMAL);
        }
        break;
    case ISOLATE_SWEEP_SETTING:
        m.SweepStatus = SWEEP_IN_AREA;
        T_N_HISTORY_vCreateIsolateSweepArea();
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_EXIT);
        break;
    case ISOLATE_SWEEP_ON:
        vQuickSweepInIsolate(P, o);
        break;
    default:
        break;
    }
    H_DATABASE_bUpdateValueU32(FCID("YSPL"), (U32)m.SweepStatus, P_NORMAL);
}

} // namespace

namespace t_n_history {

void vHandleKeys(const MSG_KEY_CHANGE* pMsg)
{
    // A statement on screen answers first to the keys it owns.
    if (T_N_HISTORY_CONF_bHandleKeys(pMsg))
        return;
    const LAYER_ID v = U_VIEW_eCurrentView();
    const SPLIT_WINDOW_TYPE s = U_VIEW_eCurrentSplit();
    switch (pMsg->key) {
    case KEY_ZOOM_IN:
    case KEY_ZOOM_OUT:
        vZoom(pMsg, v, s);
        break;
    case KEY_EXIT:
        vExit();
        break;
    case KEY_CURSOR:
        vCursor(pMsg, v, s);
        break;
    case KEY_INFO:
        vInfo();
        break;
    default:
        break;
    }
}

} // namespace t_n_history
