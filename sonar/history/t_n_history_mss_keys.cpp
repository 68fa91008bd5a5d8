// The 360 unit's report and setting keys as the history task follows them:
// the sweep-area keys, the sweep mode, the retraction and deployment
// reports, the deployment counter and the pod's mounting.
//
// Runs in the history task; a remainder below is taken in signed integer
// arithmetic, and one turn is 1600 sectors.
#include "sonar/history/t_n_history_mss.h"

#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_conf.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "sonar/ping/t_n_ping_server.h"
#include "sonar/ping/u_ping.h"

#include "accessories/t_alarm.h"
#include "kernel/l_mutex.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_ppi_motor.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"

#include <atomic>
#include <cstring>

using namespace t_n_history;

namespace {

#define MSS_KEY_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE txtResumeFullSweep = MSS_KEY_TEXT("Resume Full Sweep");

constexpr S32 SECTORS = 1600;
constexpr U32 STATE_SIMULATION = 4;
constexpr U32 STATE_POINT_OF_SALE = 6;
constexpr SEMA SEMA_TIMER_RETRACT_WAIT = 269;
constexpr SEMA SEMA_TIMER_DEPLOYMENT_MSG = 270;
constexpr TICKS RETRACT_WAIT_MS = 7000;
constexpr TICKS DEPLOYMENT_MSG_MS = 5000;
constexpr MENU_PRIORITY PRIORITY_RESUME_FULL = (MENU_PRIORITY)58;
constexpr MENU_PRIORITY PRIORITY_ISOLATE_AREA = (MENU_PRIORITY)57;

BOOLEAN s_bResumeFullRegistered = FALSE;
BOOLEAN s_bRetractButtonPressed = FALSE;
BOOLEAN s_bMaintWarning1Given = FALSE;

bool bSimulated(void) { return s_u32SystemState == STATE_SIMULATION || s_u32SystemState == STATE_POINT_OF_SALE; }

S32 s32HeadingOffsetSectors(void)
{
    S32 deg = 0;
    if (!H_DATABASE_bFetchS32(FCID("YMHL"), &deg, nullptr, nullptr))
        deg = 0;
    return (S32)((float)deg * 4.45f);
}

S32 s32DisplayStart(S32 v) { return (((v + SECTORS - s32HeadingOffsetSectors()) % SECTORS) + SECTORS) % SECTORS; }

void vWriteS32(FOURCHARID key, S32 v)
{
    H_DATABASE_bUpdateEverythingS32(key, v, P_NORMAL, D_SIGNED32, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteU32(FOURCHARID key, U32 v)
{
    H_DATABASE_bUpdateEverythingU32(key, v, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
}

void vClearAlarm(ALARM_PRIORITY ePriority)
{
    auto* p = static_cast<ALARM_CLEAR_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(ALARM_CLEAR_MESSAGE)));
    memset(p, 0, sizeof *p);
    p->header.Cmd = CMD_ID_CLEAR_ALARM;
    p->Priority = ePriority;
    if (L_MBOX_Send(ALARM_MAILBOX, &p->header.msghdr, ALARM_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(p);
}

void vResumeFullSweepAction(void)
{
    T_N_HISTORY_vClearIsolateSweepArea();
    U_MENU_vClearMenus();
}

void vRegisterResumeItems(void)
{
    if (s_bResumeFullRegistered)
        return;
    U_MENU_bRegisterHotActionMenu(&txtResumeFullSweep, nullptr, PRIORITY_RESUME_FULL, vResumeFullSweepAction, FALSE,
                                  M_BASIC, VIEW_PPI_DISPLAY, SPLIT_FULL_WINDOW);
    U_MENU_bRegisterHotActionMenu(&txtResumeFullSweep, nullptr, PRIORITY_ISOLATE_AREA, vResumeFullSweepAction,
                                  FALSE, M_BASIC, VIEW_PPI_PLUS_2D, SPLIT_RIGHT_WINDOW);
    U_MENU_bRegisterHotActionMenu(&txtResumeFullSweep, nullptr, PRIORITY_ISOLATE_AREA, vResumeFullSweepAction,
                                  FALSE, M_BASIC, VIEW_PPI_PLUS_CHART, SPLIT_RIGHT_WINDOW);
    s_bResumeFullRegistered = TRUE;
}

void vRemoveResumeItems(void)
{
    if (!s_bResumeFullRegistered)
        return;
    if (s_u32360HeadingOffsetEnabled.load() == 0)
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_EXIT);
    U_MENU_bUnregisterHotMenuItem(&txtResumeFullSweep, VIEW_PPI_DISPLAY, SPLIT_FULL_WINDOW);
    U_MENU_bUnregisterHotMenuItem(&txtResumeFullSweep, VIEW_PPI_PLUS_2D, SPLIT_RIGHT_WINDOW);
    U_MENU_bUnregisterHotMenuItem(&txtResumeFullSweep, VIEW_PPI_PLUS_CHART, SPLIT_RIGHT_WINDOW);
    s_bResumeFullRegistered = FALSE;
}

} // namespace

BOOLEAN t_n_history::bResumeFullRegistered(void) { return s_bResumeFullRegistered; }

void t_n_history::vHandleYASS(const MESSAGE_NEW_DATA* p)
{
    const S32 v = p->dbValue.s32Val;
    if (v > 10) {
        s_bQuickSweepLeftEdgeSet = TRUE;
        s_s32QuickSweepLeftEdge = (v % 100000) / 10;
    } else {
        s_bQuickSweepLeftEdgeSet = FALSE;
        s_s32QuickSweepLeftEdge = -SECTORS;
    }
    const S32 s = v % 10;
    if (s == (S32)s_MSSObject.SweepingSetting)
        return;
    if (s_MSSObject.SweepingSetting != SWEEP_SETTING_OFF && s == 0) {
        s_PPIDisplayDescriptor.s32CursorOffset = POINT{0, 0};
        s_u32PPIViewOffset = s_u32PPIViewOffsetSaved.load();
        s_MSSObject.s32SweepStart = -1;
        s_MSSObject.s32SweepRange = -1;
        s_MSSObject.s32SweepDisplayStart = -SECTORS;
        s_MSSObject.s32SweepDisplayRange = 0;
        if (bSimulated()) {
            vWriteS32(FCID("YISO"), 0);
            L_CLOCK_Sleep(2);
            vWriteS32(FCID("YISS"), 0);
            vWriteS32(FCID("YISR"), 0);
            H_PPI_MOTOR_vReturnFullSweep();
        }
        vRemoveResumeItems();
    }
    if (s >= ISOLATE_SWEEP_ON)
        vRegisterResumeItems();
    s_MSSObject.SweepingSetting = (SWEEPING_SETTING_STATUS)s;
}

void t_n_history::vHandleYISS(const MESSAGE_NEW_DATA* p)
{
    s_u8IsolateSweepSetuped = 0;
    const S32 start = s32DisplayStart(p->dbValue.s32Val);
    s_MSSObject.s32SweepStart = start;
    s_MSSObject.s32SweepStartSaved = start;
}

void t_n_history::vHandleYISR(const MESSAGE_NEW_DATA* p)
{
    s_u8IsolateSweepSetuped = 0;
    s_MSSObject.s32SweepRange = p->dbValue.s32Val;
    s_MSSObject.s32SweepRangeSaved = p->dbValue.s32Val;
}

void t_n_history::vHandleYQSS(const MESSAGE_NEW_DATA* p)
{
    const S32 v = p->dbValue.s32Val;
    if (v == -1)
        return;
    const S32 start = s32DisplayStart(v);
    const S32 setting = (S32)s_MSSObject.SweepingSetting;
    if (v > 0 || setting != 0) {
        if (setting > ISOLATE_SWEEP_ON)
            s_MSSObject.s32SweepDisplayStart = start;
        else if (setting < ISOLATE_SWEEP_ON)
            s_MSSObject.s32SweepStart = start;
    } else {
        s_MSSObject.s32SweepStart = start;
    }
}

void t_n_history::vHandleYQSR(const MESSAGE_NEW_DATA* p)
{
    const S32 v = p->dbValue.s32Val;
    if (v <= 0)
        return;
    const S32 setting = (S32)s_MSSObject.SweepingSetting;
    if (setting > ISOLATE_SWEEP_ON)
        s_MSSObject.s32SweepDisplayRange = v;
    else if (setting < ISOLATE_SWEEP_ON)
        s_MSSObject.s32SweepRange = v;
}

void t_n_history::vHandleYQSO(const MESSAGE_NEW_DATA* p)
{
    if (p->dbValue.u32Val == 1)
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_EXIT);
}

void t_n_history::vHandleYSPL(const MESSAGE_NEW_DATA* p)
{
    s_MSSObject.SweepStatus = (SWEEP_STATUS)p->dbValue.u32Val;
    s_u32SweepStatus = p->dbValue.u32Val;
    const LAYER_ID view = U_VIEW_eCurrentView();
    if ((view == VIEW_PPI_DISPLAY || view == VIEW_PPI_PLUS_2D || view == VIEW_PPI_PLUS_CHART) &&
        p->dbValue.u32Val == SIDE_SWEEP) {
        s_bClearMSSBuffer = TRUE;
        s_s32PPISector = 1200;
    }
}

void t_n_history::vHandleYMRR(const MESSAGE_NEW_DATA* p)
{
    if (p->dbValue.u32Val == 0 || bSimulated())
        return;
    log_me("[%d]%s: retract request, bow-mounted %d, connected %d\n", __LINE__, __func__,
           (int)s_bPodIsBowMounted.load(), (int)s_bMSSConnected.load());
    if (s_bRetractButtonPressed) {
        log_me("[%d]%s: retract button pressed\n", __LINE__, __func__);
        s_bRetractButtonPressed = FALSE;
        H_DATABASE_bUpdateEverythingBoolean(FCID("YBT2"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        return;
    }
    if (!s_bPodIsBowMounted.load() && s_bMSSConnected.load() && s_pMSSRetractDoneTimer != nullptr) {
        log_me("[%d]%s: waiting for the retraction\n", __LINE__, __func__);
        L_TIMER_Stop(s_pMSSRetractDoneTimer);
        L_TIMER_Start(s_pMSSRetractDoneTimer, RETRACT_WAIT_MS, 0, SEMA_TIMER_RETRACT_WAIT);
    }
}

void t_n_history::vHandleYBT2(const MESSAGE_NEW_DATA* p)
{
    if (p->dbValue.u32Val != 0)
        s_bRetractButtonPressed = TRUE;
}

void t_n_history::vHandleYMSE(const MESSAGE_NEW_DATA* p)
{
    switch (p->dbValue.u32Val) {
    case 1:
        log_me("[%d]%s: deployment error\n", __LINE__, __func__);
        T_N_HISTORY_vAlarm(DEPLOYMENT_ALARM);
        if (s_pDeploymentMessageTimer != nullptr) {
            L_TIMER_Stop(s_pDeploymentMessageTimer);
            L_TIMER_Start(s_pDeploymentMessageTimer, DEPLOYMENT_MSG_MS, 0, SEMA_TIMER_DEPLOYMENT_MSG);
        }
        vWriteU32(FCID("YMSE"), 0);
        break;
    case 2:
        log_me("[%d]%s: retracted\n", __LINE__, __func__);
        if (s_pMSSRetractDoneTimer != nullptr)
            L_TIMER_Stop(s_pMSSRetractDoneTimer);
        vWriteU32(FCID("YMSS"), 1);
        vWriteU32(FCID("YMRR"), 0);
        vWriteU32(FCID("YMSE"), 0);
        vClearAlarm(RETRACTION_ALARM);
        break;
    case 3:
        if (s_pMSSRetractDoneTimer != nullptr)
            L_TIMER_Stop(s_pMSSRetractDoneTimer);
        log_me("[%d]%s: retraction stalled\n", __LINE__, __func__);
        vWriteU32(FCID("YMSE"), 0);
        vWriteU32(FCID("YMRR"), 0);
        vClearAlarm(RETRACTION_ALARM);
        T_N_HISTORY_vAlarm(RETRACTION_ALARM);
        break;
    default:
        break;
    }
}

void t_n_history::vHandleYMSM(const MESSAGE_NEW_DATA* p)
{
    const U32 n = p->dbValue.u32Val;
    log_me("[%d]%s: %u deployments\n", __LINE__, __func__, (unsigned)n);
    if (n >= 5000 && n < 5750) {
        if (!s_bMaintWarning1Given) {
            s_bMaintWarning1Given = TRUE;
            T_N_HISTORY_vAlarm(MAINTENANCE_ALARM1);
        }
    } else if (n >= 5750 && !s_bMaintWarningAck.load()) {
        T_N_HISTORY_vAlarm(MAINTENANCE_ALARM2);
    }
}

void t_n_history::vHandleYMSC(const MESSAGE_NEW_DATA* p)
{
    s_u32NumberOf360Clients = p->dbValue.u32Val;
    log_me("[%d]%s: %u units use the 360 unit\n", __LINE__, __func__, (unsigned)p->dbValue.u32Val);
}

void t_n_history::vHandleMBMS(const MESSAGE_NEW_DATA* p)
{
    if (!s_bPodIsBowMounted.load())
        return;
    if (p->dbValue.u32Val == 0 && s_bMSSDeployed.load()) {
        log_me("[%d]%s: stop pinging\n", __LINE__, __func__);
        T_N_HISTORY_vRetractAction();
    } else if (p->dbValue.u32Val == 1 && !s_bMSSDeployed.load()) {
        log_me("[%d]%s: start pinging\n", __LINE__, __func__);
        T_N_HISTORY_vDeployAction();
    }
}

void t_n_history::vHandleYBMT(const MESSAGE_NEW_DATA* p)
{
    const U32 v = p->dbValue.u32Val;
    if (v == 255)
        return;
    s_bPodIsBowMounted = v != 0 ? TRUE : FALSE;
    if (v != 0) {
        log_me("[%d]%s: bow-mounted pod\n", __LINE__, __func__);
        H_DATABASE_bUpdateEverythingFloat(FCID("SSAS"), 0.0f, P_NORMAL, D_SPEED, nullptr, DB_TIMEOUT_NEVER);
        vMenusForBowMountedPod();
    }
}

// ---- Speed and automatic deploy ----

namespace {

TEXT_TABLE txtSpeedDeploy = MSS_KEY_TEXT("Deploy 360 Sonar?");
TEXT_TABLE txtSpeedStartPinging = MSS_KEY_TEXT("Start pinging 360 Sonar?");

constexpr U32 SYSTEM_PLAYBACK = 11;
constexpr SEMA SEMA_TIMER_SWEEP_SPEED_ALARM = 255;
constexpr TICKS SPEED_ALARM_WAIT_MS = 5000;

std::atomic<float> s_fAutoDeploySpeed{0.0f};
std::atomic<BOOLEAN> s_bMSSAutoDeploy{FALSE};

bool bSweepingView(LAYER_ID v) { return v == VIEW_PPI_DISPLAY || v == VIEW_PPI_PLUS_2D || v == VIEW_PPI_PLUS_CHART; }

// The speed question: "No" (or nobody within 30 s) cancels the automatic
// deploy until the speed logic asks again.
void vAskToDeployForSpeed(void)
{
    const U32 lang = nCurrentLanguage();
    T_N_HISTORY_CONF_vSetup(s_bPodIsBowMounted.load() ? txtSpeedStartPinging[lang] : txtSpeedDeploy[lang],
                            T_N_HISTORY_vDeployAction, T_N_HISTORY_vAutoDeployUserCancelled, 2, 30);
}

} // namespace

void t_n_history::vHandleSSAS(const MESSAGE_NEW_DATA* p)
{
    if (s_bPodIsBowMounted.load()) {
        s_dbfSpeedAlarm = 0.0f;
        return;
    }
    const float a = p->dbValue.fVal;
    s_dbfSpeedAlarm = a;
    if (!s_bMSSDeployed.load())
        return;
    if (a < 0.1f || a > s_fCurrentSpeed.load()) {
        S_SPEEDALARM_vCompareNewSpeedAgainstAlarmSetPoint(0, s_fCurrentSpeed.load(), a);
    } else if (s_pSweepSpeedAlarmDelay != nullptr) {
        L_TIMER_Stop(s_pSweepSpeedAlarmDelay);
        L_TIMER_Start(s_pSweepSpeedAlarmDelay, SPEED_ALARM_WAIT_MS, SPEED_ALARM_WAIT_MS, SEMA_TIMER_SWEEP_SPEED_ALARM);
        s_bSweepSpeedAlarmWait = TRUE;
    }
}

void t_n_history::vHandleISPD(const MESSAGE_NEW_DATA* p)
{
    const float v = p->dbValue.fVal;
    s_fCurrentSpeed = v;
    if (!s_bMSSDeployed.load()) {
        if (v < s_fAutoDeploySpeed.load()) {
            if (bSweepingView(CurrentView)) {
                s_u8IsolateSweepSetuped = 0;
                if (s_bMSSConnected.load() && s_u32SystemState != SYSTEM_PLAYBACK)
                    vAskToDeployForView();
            } else if (!s_bAutoDeployUserCancelled.load() && s_bMSSConnected.load() && s_bMSSAutoDeploy.load() &&
                       s_u32SystemState != SYSTEM_PLAYBACK) {
                vAskToDeployForSpeed();
            }
        }
        return;
    }
    if (!s_bSweepSpeedAlarmWait.load())
        S_SPEEDALARM_vCompareNewSpeedAgainstAlarmSetPoint(0, v, s_dbfSpeedAlarm.load());
}

void t_n_history::vHandleAutoDeploySpeed(const MESSAGE_NEW_DATA* p)
{
    const float v = p->dbValue.fVal;
    s_fAutoDeploySpeed = v;
    if (v < 0.1f || v < s_fCurrentSpeed.load()) {
        s_bMSSAutoDeploy = FALSE;
        return;
    }
    s_bMSSAutoDeploy = TRUE;
    if (bSweepingView(CurrentView)) {
        s_u8IsolateSweepSetuped = 0;
        if (!s_bMSSDeployed.load() && s_bMSSConnected.load() && s_u32SystemState != SYSTEM_PLAYBACK)
            vAskToDeployForView();
    } else if (!s_bAutoDeployUserCancelled.load() && s_bMSSConnected.load() && !s_bMSSDeployed.load()) {
        vAskToDeployForSpeed();
    }
}

// ---- The side range while the 360 unit may be the side source ----

namespace {

constexpr SEMA SEMA_TIMER_MSS_YASR_DELAY = 266;
constexpr TICKS YASR_DELAY_MS = 500;

void vWriteRange(FOURCHARID key, float f)
{
    H_DATABASE_bUpdateEverythingFloat(key, f, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
}

// A side range the user or a peer set is carried to the 360 unit after a
// short pause, unless it came back from a network client's own change.
bool bCarryToThe360Unit(void)
{
    if (!s_bSweepingUsedAsSide.load())
        return false;
    if (T_N_PING_bSyncLocalSideScanRange()) {
        log_me("[%d]%s: side range set by a client\n", __LINE__, __func__);
        T_N_PING_vResetLocalSideScanRangeCondVar();
    } else if (pMSSDelayYASRUpdateTimer != nullptr) {
        L_TIMER_Stop(pMSSDelayYASRUpdateTimer);
        L_TIMER_Start(pMSSDelayYASRUpdateTimer, YASR_DELAY_MS, 0, SEMA_TIMER_MSS_YASR_DELAY);
    }
    return true;
}

void vSideRangeToDisplay(float f)
{
    vWriteRange(FCID("SSDR"), f);
    L_MUTEX_LockWait(RES_S_INFO);
    vSetSideBeamRange(TRUE);
    L_MUTEX_Unlock(RES_S_INFO);
}

} // namespace

void t_n_history::vHandleSSSR(const MESSAGE_NEW_DATA* p)
{
    if (bCarryToThe360Unit())
        return;
    if (U_PING_eGetNetworkClientState(2) == NETWORK_CLIENT_STATE_LOCAL)
        vSideRangeToDisplay(p->dbValue.fVal);
    T_N_PING_vResetLocalSideScanRangeCondVar();
}

void t_n_history::vHandleYSSR(const MESSAGE_NEW_DATA* p)
{
    if (bCarryToThe360Unit())
        return;
    log_me("[%d]%s: masks local %u network %u\n", __LINE__, __func__, (unsigned)s_u32LocalPingMask,
           (unsigned)s_u32NetworkPingMask.load());
    if (T_N_PING_bSyncLocalSideScanRange()) {
        log_me("[%d]%s: side range set by a client\n", __LINE__, __func__);
        T_N_PING_vResetLocalSideScanRangeCondVar();
        return;
    }
    vSideRangeToDisplay(p->dbValue.fVal);
}

void t_n_history::vHandleYASR(const MESSAGE_NEW_DATA* p)
{
    if (s_bSweepingUsedAsSide.load()) {
        log_me("[%d]%s: 360 range to the side range\n", __LINE__, __func__);
        vWriteRange(FCID("YSSR"), p->dbValue.fVal);
    }
    L_MUTEX_LockWait(RES_S_INFO);
    vSetSideBeamRange(TRUE);
    L_MUTEX_Unlock(RES_S_INFO);
    vReset360();
}
