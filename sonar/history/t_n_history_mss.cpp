// The 360 unit's control (see the header). On a bow-mounted pod nothing is
// lowered: deploy and retract start and stop pinging, and the statements
// say so.
#include "sonar/history/t_n_history_mss.h"
#include "sonar/history/t_n_history_cursor.h"

#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_conf.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/process/t_n_process.h"

#include "sonar/dsp/s_mss.h"
#include "sonar/dsp/s_transducer_texts.h"

#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_ppi_motor.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"

#include <span>

namespace t_n_history {
std::atomic<BOOLEAN> s_bMSSRetracting{FALSE};
std::atomic<BOOLEAN> s_bMSSWaitConfirm{FALSE};
std::atomic<BOOLEAN> s_bAutoDeployUserCancelled{FALSE};
std::atomic<BOOLEAN> s_bMaintWarningAck{FALSE};
std::atomic<BOOLEAN> s_bToneComplete{FALSE};
std::atomic<U32> s_u32NumberOf360Clients{0};
} // namespace t_n_history

using namespace t_n_history;

namespace {

#define MSS_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE txtRetracting = MSS_TEXT("360 sonar unit is retracting");
TEXT_TABLE txtStopping = MSS_TEXT("Stopping 360");
TEXT_TABLE txtAskDeploy = MSS_TEXT("360 sonar unit is retracted.  Deploy 360 sonar?");
TEXT_TABLE txtAskStartPinging = MSS_TEXT("Gyreview is not pinging. Start pinging Gyreview?");

constexpr U32 STATE_SIMULATION = 4;
constexpr U32 STATE_POINT_OF_SALE = 6;
constexpr U32 SYSTEM_PLAYBACK = 11;
constexpr U32 MENU_QUICK = 2;
constexpr U32 MENU_MAIN = 3;
constexpr U32 SIDE_SOURCE_360 = 16;
constexpr U32 VIEW_FOUR_PANES = 46;
constexpr MUTEX RES_PPI_MOTOR = 67;
constexpr S32 SECTORS = 1600;
// The history task's timer semaphores (its wait lists hold them).
constexpr SEMA SEMA_TIMER_SIDE_POSTION_LOCK = 254;
constexpr SEMA SEMA_TIMER_START_SWEEPING = 267;
constexpr SEMA SEMA_360_DEPLOYED_VIEW = 104;

TEXT_TABLE txtRetractItem = MSS_TEXT("Retract");
TEXT_TABLE txtStopPing = MSS_TEXT("Stop 360 Ping");
TEXT_TABLE txtIsolateSweepArea = MSS_TEXT("Isolate Sweep Area");
TEXT_TABLE txtHome = MSS_TEXT("Home");

constexpr MENU_PRIORITY PRIORITY_RETRACT = (MENU_PRIORITY)0;
constexpr MENU_PRIORITY PRIORITY_FIND_HOME = (MENU_PRIORITY)56;
constexpr MENU_PRIORITY PRIORITY_ISOLATE_AREA = (MENU_PRIORITY)57;

BOOLEAN s_bMSSDeployMenuRegistered = FALSE;

struct PANE {
    LAYER_ID view;
    SPLIT_WINDOW_TYPE split;
};
// Where the deployed menus go: the 360 view and the 360 pane of each split
// (and, for "Retract" and "Home", the other pane too).
constexpr PANE ALL_PANES[] = {{56, SPLIT_FULL_WINDOW}, {57, SPLIT_RIGHT_WINDOW}, {57, SPLIT_LEFT_WINDOW},
                              {58, SPLIT_RIGHT_WINDOW}, {58, SPLIT_LEFT_WINDOW}};
constexpr PANE PANES_360[] = {{56, SPLIT_FULL_WINDOW}, {57, SPLIT_RIGHT_WINDOW}, {58, SPLIT_RIGHT_WINDOW}};

bool bFindHomeOffered(void)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(FCID("SMSU"), &b, nullptr, nullptr) && b;
}

TEXT_TABLE txtStartPing = MSS_TEXT("Start 360 Ping");

constexpr MENU_PRIORITY PRIORITY_MAIN_DEPLOY = (MENU_PRIORITY)341;
constexpr MENU_PRIORITY PRIORITY_MAIN_RETRACT = (MENU_PRIORITY)342;

BOOLEAN s_bMSSConnectMenuRegistered = FALSE;

void vRegisterStartOrStop(bool bStop, std::span<const PANE> panes)
{
    for (const PANE& p : panes) {
        U_MENU_bUnregisterHotMenuItem(bStop ? &txtStartPing : &txtStopPing, p.view, p.split);
        U_MENU_bRegisterHotActionMenu(bStop ? &txtStopPing : &txtStartPing, nullptr, PRIORITY_RETRACT,
                                      bStop ? T_N_HISTORY_vRetractAction : T_N_HISTORY_vDeployAction, FALSE,
                                      M_BASIC, p.view, p.split);
    }
}

// A transom pod is lowered and raised from the main menu; a bow-mounted
// one starts and stops pinging from the full 360 view's hot menu.
void vRegisterConnectMenus(bool bDeployed)
{
    if (s_bMSSConnectMenuRegistered)
        return;
    if (s_bPodIsBowMounted.load() == TRUE) {
        vRegisterStartOrStop(bDeployed, std::span<const PANE>(PANES_360, 1));
    } else {
        U_MENU_bRegisterMainActionMenu(&txtRetract360Sonar, &txtTabAccessories, PRIORITY_MAIN_RETRACT,
                                       T_N_HISTORY_vRetractAction, FALSE, M_BASIC);
        U_MENU_bRegisterMainActionMenu(&txtDeploy360Sonar, &txtTabAccessories, PRIORITY_MAIN_DEPLOY,
                                       T_N_HISTORY_vDeployAction, FALSE, M_BASIC);
    }
    s_bMSSConnectMenuRegistered = TRUE;
}

void vRemoveConnectMenus(void)
{
    U_MENU_bUnregisterMainMenuItem(&txtRetract360Sonar, &txtTabAccessories);
    U_MENU_bUnregisterMainMenuItem(&txtDeploy360Sonar, &txtTabAccessories);
    for (const PANE& p : PANES_360) {
        U_MENU_bUnregisterHotMenuItem(&txtStartPing, p.view, p.split);
        U_MENU_bUnregisterHotMenuItem(&txtStopPing, p.view, p.split);
    }
    s_bMSSConnectMenuRegistered = FALSE;
}

void vRegisterDeployedMenus(void)
{
    if (s_bMSSDeployMenuRegistered)
        return;
    const bool bBow = s_bPodIsBowMounted.load() == TRUE;
    if (bBow)
        vRegisterStartOrStop(true, PANES_360);
    else
        for (const PANE& p : ALL_PANES)
            U_MENU_bRegisterHotActionMenu(&txtRetractItem, nullptr, PRIORITY_RETRACT, T_N_HISTORY_vRetractAction,
                                          FALSE, M_BASIC, p.view, p.split);
    for (const PANE& p : PANES_360)
        U_MENU_bRegisterHotActionMenu(&txtIsolateSweepArea, nullptr, PRIORITY_ISOLATE_AREA,
                                      T_N_HISTORY_vSetIsolateSweepArea, FALSE, M_BASIC, p.view, p.split);
    if (bFindHomeOffered())
        for (const PANE& p : ALL_PANES)
            U_MENU_bRegisterHotActionMenu(&txtHome, nullptr, PRIORITY_FIND_HOME, T_N_HISTORY_vFindHome, FALSE,
                                          M_BASIC, p.view, p.split);
    s_bMSSDeployMenuRegistered = TRUE;
}

// With bStartInstead a bow-mounted pod gets "Start 360 Ping" back where
// "Stop 360 Ping" was.
void vRemoveDeployedMenus(bool bStartInstead)
{
    if (!s_bMSSDeployMenuRegistered)
        return;
    for (const PANE& p : ALL_PANES) {
        U_MENU_bUnregisterHotMenuItem(&txtRetractItem, p.view, p.split);
        U_MENU_bUnregisterHotMenuItem(&txtHome, p.view, p.split);
    }
    for (const PANE& p : PANES_360) {
        U_MENU_bUnregisterHotMenuItem(&txtStopPing, p.view, p.split);
        U_MENU_bUnregisterHotMenuItem(&txtIsolateSweepArea, p.view, p.split);
    }
    if (bStartInstead && s_bPodIsBowMounted.load() == TRUE)
        vRegisterStartOrStop(false, PANES_360);
    s_bMSSDeployMenuRegistered = FALSE;
}

bool bSimulated(void)
{
    const U32 s = s_u32SystemState;
    return s == STATE_SIMULATION || s == STATE_POINT_OF_SALE;
}

bool bSweepingView(LAYER_ID v) { return v == VIEW_PPI_DISPLAY || v == VIEW_PPI_PLUS_2D || v == VIEW_PPI_PLUS_CHART; }

bool bSideView(LAYER_ID v)
{
    return v == 33 || v == 38 || v == 39 || v == 40 || v == 41 || v == 42 || v == 47 || v == 52;
}

U32 u32Fetch(FOURCHARID key, U32 absent = 0)
{
    U32 v = absent;
    if (!H_DATABASE_bFetchU32(key, &v, nullptr, nullptr))
        v = absent;
    return v;
}

void vWriteU32(FOURCHARID key, U32 v)
{
    H_DATABASE_bUpdateEverythingU32(key, v, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteS32(FOURCHARID key, S32 v)
{
    H_DATABASE_bUpdateEverythingS32(key, v, P_NORMAL, D_SIGNED32, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteBool(FOURCHARID key, BOOLEAN v)
{
    H_DATABASE_bUpdateEverythingBoolean(key, v, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void vSetSweepStatus(SWEEP_STATUS s)
{
    s_MSSObject.SweepStatus = s;
    s_u32SweepStatus = (U32)s;
}

bool bBowMounted(void) { return s_bPodIsBowMounted.load() == TRUE; }

// The heading offset in sectors: the integer part of "YMHL" x 4.45.
S32 s32HeadingOffsetSectors(void)
{
    S32 deg = 0;
    if (!H_DATABASE_bFetchS32(FCID("YMHL"), &deg, nullptr, nullptr))
        deg = 0;
    return (S32)((float)deg * 4.45f);
}

S32 s32MotorStart(S32 start) { return ((start + s32HeadingOffsetSectors() + SECTORS) % SECTORS + SECTORS) % SECTORS; }

void vRegisterAreaKeys(void)
{
    U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEY_EXIT, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY, REGISTER_VIEW);
    U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEY_INFO, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY, REGISTER_VIEW);
}

void vStopTimer(TIMER_INFO* p)
{
    if (p != nullptr && L_TIMER_GetRemaining(p) > 0)
        L_TIMER_Stop(p);
}

void vRestartTimer(TIMER_INFO* p, SEMA sema)
{
    if (p == nullptr)
        return;
    L_TIMER_Stop(p);
    L_TIMER_Start(p, 2000, 2000, sema);
}

} // namespace

void T_N_HISTORY_vDeployAction(void)
{
    T_N_HISTORY_CONF_vReset(0);
    const U32 menu = u32Fetch(FCID("CMNU"));
    if (s_bMSSDeployed.load() && menu != MENU_MAIN) {
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    s_bMSSWaitConfirm = FALSE;
    s_bAutoDeployUserCancelled = TRUE;
    if (bSimulated()) {
        vWriteU32(FCID("MSSS"), 2);
        return;
    }
    if (!s_bMSSDeployed.load() && s_bMSSConnected.load()) {
        s_MSSObject.bLastSonarIsSweepingView = TRUE;
        T_N_HISTORY_vHandleSweepingStatus(U_VIEW_eCurrentView());
    }
    vWriteU32(FCID("YSPL"), (U32)s_MSSObject.SweepStatus);
    vWriteBool(FCID("YMDR"), TRUE);
    vWriteBool(FCID("YMRR"), FALSE);
    if (u32Fetch(FCID("YST3")) == SIDE_SOURCE_360) {
        float fRange = 0.0f;
        if (H_DATABASE_bFetchFloat(FCID("SASR"), &fRange, nullptr, nullptr))
            H_DATABASE_bUpdateEverythingFloat(FCID("SSSR"), fRange, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
    }
    if (bBowMounted())
        vWriteU32(FCID("MBMS"), 1);
}

void T_N_HISTORY_vRetractAction(void)
{
    const U32 menu = u32Fetch(FCID("CMNU"));
    const BOOLEAN bWasDeployed = s_bMSSDeployed.load();
    if (!bWasDeployed && menu != MENU_MAIN) {
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    T_N_HISTORY_CONF_vReset(0);
    if (s_MSSObject.SweepStatus == SWEEP_IN_AREA)
        T_N_HISTORY_vClearIsolateSweepArea();
    if (menu == MENU_QUICK)
        U_MENU_vClearMenus();
    s_bMSSRetracting = TRUE;
    const U32 lang = nCurrentLanguage();
    T_N_HISTORY_CONF_vSetup(bBowMounted() ? txtStopping[lang] : txtRetracting[lang], nullptr, nullptr, 0, 15);
    L_CLOCK_Sleep(100);
    if (bSimulated()) {
        vWriteU32(FCID("MSSS"), 1);
        if (!bWasDeployed)
            H_DATABASE_bUpdateEverythingBoolean(FCID("MSSS"), TRUE, P_NORMAL, D_UNKNOWN, nullptr,
                                                DB_TIMEOUT_NEVER);
        return;
    }
    vWriteS32(FCID("YISR"), 0);
    vWriteS32(FCID("YISS"), 0);
    vWriteS32(FCID("YASS"), 0);
    vWriteU32(FCID("YQSO"), 0);
    vWriteS32(FCID("YQSS"), -1);
    vWriteS32(FCID("YQSR"), -1);
    vWriteU32(FCID("YSPL"), FULL_SWEEP);
    vWriteBool(FCID("YMDR"), FALSE);
    vWriteBool(FCID("YMRR"), TRUE);
    log_me("[%d]%s: retract requested\n", __LINE__, __func__);
    if (bSideView(U_VIEW_eCurrentView()))
        t_n_history::vTriggerAllTotalScreenUpdate();
    if (bBowMounted())
        vWriteU32(FCID("MBMS"), 0);
    if (!bWasDeployed)
        H_DATABASE_bUpdateEverythingBoolean(FCID("MSSS"), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void T_N_HISTORY_vFindHome(void)
{
    if (!s_bMSSDeployed.load()) {
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    L_MUTEX_LockWait(RES_PPI_MOTOR);
    vWriteBool(FCID("YHM1"), TRUE);
    U_MENU_vClearMenus();
    L_MUTEX_Unlock(RES_PPI_MOTOR);
}

void T_N_HISTORY_vHandleSweepingStatus(LAYER_ID eView)
{
    const bool bSideSource = u32Fetch(FCID("YST3")) == SIDE_SOURCE_360;
    s_bSweepingUsedAsSide = bSideSource ? TRUE : FALSE;
    if (bSideView(eView)) {
        if (bSideSource) {
            s_bNon360FVOrQuadViewLastVisited = FALSE;
            vRestartTimer(s_pSidePositionLockDelay, SEMA_TIMER_SIDE_POSTION_LOCK);
            vSetSweepStatus(SIDE_SWEEP);
            float fRange = 0.0f;
            if (H_DATABASE_bFetchFloat(FCID("YASR"), &fRange, nullptr, nullptr))
                H_DATABASE_bUpdateEverythingFloat(FCID("YSSR"), fRange, P_NORMAL, D_DEPTH, nullptr,
                                                  DB_TIMEOUT_NEVER);
        } else {
            s_bNon360FVOrQuadViewLastVisited = TRUE;
            if (s_u32NumberOf360Clients.load() == 1) {
                vSetSweepStatus(SWEEP_NO_PINGING);
                vWriteU32(FCID("YSPL"), SWEEP_NO_PINGING);
            }
        }
        if (s_MSSObject.bLastSonarIsSweepingView)
            s_bClearFVBuffer = TRUE;
        s_MSSObject.bLastSonarIsSweepingView = FALSE;
        return;
    }
    if (eView == VIEW_FOUR_PANES) {
        s_bNon360FVOrQuadViewLastVisited = TRUE;
        if (s_u32NumberOf360Clients.load() == 1) {
            vSetSweepStatus(SWEEP_NO_PINGING);
            vWriteU32(FCID("YSPL"), SWEEP_NO_PINGING);
        }
        return;
    }
    if (bSweepingView(eView)) {
        vStopTimer(s_pSidePositionLockDelay);
        s_bNon360FVOrQuadViewLastVisited = FALSE;
        if (s_MSSObject.SweepingSetting == SWEEP_SETTING_OFF) {
            vSetSweepStatus(FULL_SWEEP);
            L_MUTEX_LockWait(RES_S_INFO);
            t_n_history::vSetSideBeamRange(TRUE);
            L_MUTEX_Unlock(RES_S_INFO);
        } else {
            vSetSweepStatus(SWEEP_IN_AREA);
        }
        if (bSideSource && u32Fetch(FCID("YSPL"), 0xFFFFFFFF) == SIDE_SWEEP)
            vRestartTimer(s_pStartSweepingDelay, SEMA_TIMER_START_SWEEPING);
        else
            vWriteU32(FCID("YSPL"), (U32)s_MSSObject.SweepStatus);
        s_MSSObject.bLastSonarIsSweepingView = TRUE;
        return;
    }
    vStopTimer(s_pSidePositionLockDelay);
    if (s_MSSObject.bLastSonarIsSweepingView)
        vSetSweepStatus(s_MSSObject.SweepingSetting != SWEEP_SETTING_OFF ? SWEEP_IN_AREA : FULL_SWEEP);
    else
        vSetSweepStatus(bSideSource ? SIDE_SWEEP : SWEEP_NO_PINGING);
}

void T_N_HISTORY_vSetSweepingSetting(SWEEPING_SETTING_STATUS SweepingSetting)
{
    s_MSSObject.SweepingSetting = SweepingSetting;
    S32 value = (S32)SweepingSetting;
    if (SweepingSetting == QUICK_SWEEP_IN_ISOLATE_SETTING && s_bQuickSweepLeftEdgeSet.load())
        value = 100005 + 10 * s_s32QuickSweepLeftEdge.load();
    vWriteS32(FCID("YASS"), value);
}

void T_N_HISTORY_vSetIsolateSweepArea(void)
{
    const SWEEPING_SETTING_STATUS s = s_MSSObject.SweepingSetting;
    if (!s_bMSSDeployed.load() || s == ISOLATE_SWEEP_SETTING || s_u32360HeadingOffsetEnabled.load() != 0 ||
        s == QUICK_SWEEP_ON) {
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    s_PPIDisplayDescriptor.s32CursorOffset = POINT{0, 0};
    s_u32PPIViewOffset = 1;
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    U_MENU_vClearMenus();
    vRegisterAreaKeys();
    s_MSSObject.SweepingSetting = ISOLATE_SWEEP_SETTING;
    if (s_MSSObject.s32SweepStartSaved < 0 || s_MSSObject.s32SweepRangeSaved <= 0) {
        s_MSSObject.s32SweepStartSaved = 222;
        s_MSSObject.s32SweepRangeSaved = 444;
    }
    s_MSSObject.s32SweepStart = s_MSSObject.s32SweepStartSaved;
    s_MSSObject.s32SweepRange = s_MSSObject.s32SweepRangeSaved;
    if (bSimulated())
        H_PPI_MOTOR_vSetSweepArea(s32MotorStart(s_MSSObject.s32SweepStart), s_MSSObject.s32SweepRange);
}

void T_N_HISTORY_vCreateIsolateSweepArea(void)
{
    s_MSSObject.s32SweepStartSaved = s_MSSObject.s32SweepStart;
    s_MSSObject.s32SweepRangeSaved = s_MSSObject.s32SweepRange;
    s_MSSObject.SweepingSetting = ISOLATE_SWEEP_ON;
    s_MSSObject.bIsLastSweepFull = FALSE;
    vWriteS32(FCID("YASS"), ISOLATE_SWEEP_ON);
    vWriteS32(FCID("YISS"), s32MotorStart(s_MSSObject.s32SweepStart));
    vWriteS32(FCID("YISR"), s_MSSObject.s32SweepRange);
    vWriteS32(FCID("YISO"), 1);
}

void T_N_HISTORY_vClearIsolateSweepArea(void)
{
    s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
    s_MSSObject.bIsLastSweepFull = TRUE;
    vWriteS32(FCID("YASS"), 0);
    vWriteU32(FCID("PPIZ"), 0);
    s_PPIDisplayDescriptor.s32CursorOffset = POINT{0, 0};
    s_u32PPIViewOffset = s_u32PPIViewOffsetSaved.load();
    s_MSSObject.s32SweepStart = -1;
    s_MSSObject.s32SweepRange = -1;
    s_MSSObject.s32SweepDisplayStart = -SECTORS;
    s_MSSObject.s32SweepDisplayRange = 0;
    if (bSimulated()) {
        H_PPI_MOTOR_vReturnFullSweep();
    } else {
        log_me("resume full sweep\n");
        vWriteS32(FCID("YISO"), 0);
        L_CLOCK_Sleep(2);
        vWriteS32(FCID("YISR"), 0);
        vWriteS32(FCID("YISS"), 0);
    }
}

void T_N_HISTORY_vSetHeadingOffsetStartArea(void)
{
    if (!s_bMSSDeployed.load() || s_u32360HeadingOffsetEnabled.load() != 0 ||
        s_MSSObject.SweepingSetting != SWEEP_SETTING_OFF) {
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    s_PPIDisplayDescriptor.s32CursorOffset = POINT{0, 0};
    s_u32PPIViewOffset = 1;
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    U_MENU_vClearMenus();
    vRegisterAreaKeys();
    H_DATABASE_bUpdateEverythingU32(FCID("MHLE"), 1, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
    if (s_MSSObject.SweepingSetting != SWEEP_SETTING_OFF)
        T_N_HISTORY_vClearIsolateSweepArea();
}

void T_N_HISTORY_vSetSweepSpeed(void) { L_SEMA_Signal(SEMA_KEYCLICK_GOOD); }

void T_N_HISTORY_vAutoDeployUserCancelled(void) { s_bAutoDeployUserCancelled = TRUE; }

void T_N_HISTORY_vMaintenanceWarningAcknowledged(void) { s_bMaintWarningAck = TRUE; }

void T_N_HISTORY_vUpdateToneState(BOOLEAN bComplete) { s_bToneComplete = bComplete; }

// ---- The unit's state ----

void t_n_history::vAskToDeployForView(void)
{
    const U32 lang = nCurrentLanguage();
    T_N_HISTORY_CONF_vSetup(bBowMounted() ? txtAskStartPinging[lang] : txtAskDeploy[lang], T_N_HISTORY_vDeployAction,
                            nullptr, 1, 0);
    s_bMSSWaitConfirm = TRUE;
}

void t_n_history::vAskForDeployment(LAYER_ID view)
{
    if (!bSweepingView(view)) {
        T_N_HISTORY_CONF_vReset(0);
        return;
    }
    if (!s_bMSSConnected.load() || s_u32SystemState == SYSTEM_PLAYBACK)
        return;
    T_N_HISTORY_CONF_vReset(0);
    s_u8IsolateSweepSetuped = 0;
    vAskToDeployForView();
}

void t_n_history::vHandle360State(const MESSAGE_NEW_DATA* pMail)
{
    const U32 u32Unit = pMail->dbValue.u32Val;
    const bool bSim = bSimulated();
    const bool bPlayback = s_u32SystemState == SYSTEM_PLAYBACK;
    if (u32Unit == 0 && bSim)
        return;
    s_bMSSRetracting = FALSE;
    if (u32Unit < 2 && bPlayback)
        return;
    if (u32Unit == 0) {
        T_N_HISTORY_CONF_vReset(0);
        if (s_MSSObject.bMSSEnabled && !bSim) {
            s_MSSObject.bMSSEnabled = FALSE;
            L_MUTEX_LockWait(RES_MSS);
            T_N_PROCESS_vClearMssBuffer();
            T_N_HISTORY_vRecalculateMSSData();
            L_MUTEX_Unlock(RES_MSS);
        }
        vSetSweepStatus(SWEEP_NO_PINGING);
        s_bMSSConnected = FALSE;
        s_bMSSDeployed = FALSE;
        s_bAutoDeployUserCancelled = FALSE;
        if (!bSim) {
            T_N_HISTORY_vClearIsolateSweepArea();
            T_N_HISTORY_vSetSweepingSetting(SWEEP_SETTING_OFF);
            s_MSSObject.s32SweepRange = 0;
            s_MSSObject.s32SweepStart = -SECTORS;
            s_MSSObject.s32SweepDisplayStart = -SECTORS;
            s_MSSObject.s32SweepDisplayRange = 0;
        }
        vRemoveConnectMenus();
        vRemoveDeployedMenus(false);
        return;
    }
    if (u32Unit == 1) {
        T_N_HISTORY_CONF_vReset(0);
        vSetSweepStatus(SWEEP_NO_PINGING);
        s_MSSObject.bMSSEnabled = TRUE;
        s_bMSSDeployed = FALSE;
        s_bMSSConnected = TRUE;
        s_bAutoDeployUserCancelled = FALSE;
        vWriteU32(FCID("MBMS"), 0);
        vRegisterConnectMenus(false);
        if (s_bMSSDeployMenuRegistered) {
            vRemoveDeployedMenus(true);
            L_MUTEX_LockWait(RES_MSS);
            T_N_PROCESS_vClearMssBuffer();
            T_N_HISTORY_vRecalculateMSSData();
            L_MUTEX_Unlock(RES_MSS);
            vMakeCursorInactive();
        }
        if (bSweepingView(CurrentView)) {
            s_u8IsolateSweepSetuped = 0;
            vAskToDeployForView();
        }
        return;
    }
    if (u32Unit == 2) {
        log_me("MSS Deployed\n");
        L_MUTEX_LockWait(RES_MSS);
        T_N_PROCESS_vClearMssBuffer();
        T_N_HISTORY_vRecalculateMSSData();
        L_MUTEX_Unlock(RES_MSS);
        T_N_HISTORY_CONF_vReset(0);
        T_N_HISTORY_vHandleSweepingStatus(CurrentView);
        if (!s_MSSObject.bMSSEnabled) {
            s_MSSObject.bMSSEnabled = TRUE;
            s_bMSSConnected = TRUE;
        }
        s_bMSSDeployed = TRUE;
        vWriteU32(FCID("MBMS"), 1);
        if (bSweepingView(CurrentView)) {
            H_DATABASE_bUpdateEverythingBoolean(FCID("SMVW"), TRUE, P_HIGHEST, D_UNKNOWN, nullptr,
                                                DB_TIMEOUT_NEVER);
            if (!bSim)
                L_SEMA_Signal(SEMA_360_DEPLOYED_VIEW);
        }
        vRegisterConnectMenus(true);
        if (!s_bMSSDeployMenuRegistered) {
            vRegisterDeployedMenus();
            L_MUTEX_LockWait(RES_S_INFO);
            t_n_history::vSetSideBeamRange(TRUE);
            L_MUTEX_Unlock(RES_S_INFO);
        }
    }
}

void t_n_history::vMenusForBowMountedPod(void)
{
    U_MENU_bUnregisterMainMenuItem(&txt360RetractAlarm, &txtTabAlarms);
    for (const PANE& p : ALL_PANES)
        U_MENU_bUnregisterHotMenuItem(&txtRetractItem, p.view, p.split);
    U_MENU_bUnregisterMainMenuItem(&txtDeploy360Sonar, &txtTabAccessories);
    U_MENU_bUnregisterMainMenuItem(&txtRetract360Sonar, &txtTabAccessories);
    vMenuBowMounted360Offset(TRUE);
    vRegisterStartOrStop(s_bMSSConnected.load() && s_bMSSDeployed.load(), PANES_360);
}
