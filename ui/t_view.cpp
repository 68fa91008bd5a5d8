// The view task's start, mail handling and frame scheduling (see t_view.h).
//
// Scheduling. A frame request (semaphore 106) composes at once when the
// last frame is 100 ms old; otherwise it starts the throttle timer once for
// the rest of the 100 ms, and requests that come while the timer runs are
// merged into the frame it brings (semaphore 80). An expedite request moves
// EVU_DONE -> EVU_REQUESTED, cancels the ordinary frame in progress and
// signals 106; the next 106 composes at once as EVU_IN_PROGRESS and ends in
// EVU_DONE. Asked during an expedited frame, EVU_IN_PROGRESS ->
// EVU_REQUESTED: that frame is finished and exactly one more follows. The
// three frame flags are written from several tasks without a lock, each
// write standing alone.
#include "ui/t_view_state.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "store/database_msg.h"
#include "store/h_database.h"
#include "ui/t_view_standins.h"

namespace t_view {

WINDOW_SPECIFICATION s_windowSpec = {NO_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW, SPLIT_FULL_WINDOW, {}, FALSE, 0};

std::atomic<BOOLEAN> s_bViewUpdateCancelled{FALSE};
std::atomic<BOOLEAN> s_bViewChanged{FALSE};
std::atomic<EXPEDITED_VIEW_UPDATE> s_eExpeditedViewUpdateState{EVU_DONE};
std::atomic<S32> s_s32RefreshesSinceLastRequest{0};
std::atomic<PRIORITY> s_priorityNormal{PRIORITY_UNKNOWN};
std::atomic<PRIORITY> s_priorityHigh{PRIORITY_UNKNOWN};

} // namespace t_view

using namespace t_view;

namespace {

constexpr FOURCHARID KEY_TVUE = FCID("TVUE");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_CVAS = FCID("CVAS");
constexpr FOURCHARID KEY_SNID = FCID("SNID");
constexpr FOURCHARID KEY_SCSC = FCID("SCSC");
constexpr FOURCHARID KEY_SVCR = FCID("SVCR");

constexpr TICKS FRAME_INTERVAL = 100;
constexpr PRIORITY EXPEDITED_PRIORITY_RAISE = 30;

const char* s_apcScreenSnapshot[DB_NUM_LANGUAGES] = {
    "Screen Snapshot", "Screen Snapshot", "Screen Snapshot", "Screen Snapshot", "Screen Snapshot",
    "Screen Snapshot", "Screen Snapshot", "Screen Snapshot", "Screen Snapshot", "Screen Snapshot",
    "Screen Snapshot", "Screen Snapshot", "Screen Snapshot", "Screen Snapshot", "Screen Snapshot",
    "Screen Snapshot", "Screen Snapshot", "Screen Snapshot", "Screen Snapshot", "Screen Snapshot",
    "Screen Snapshot", "Screen Snapshot"};

TIMER_INFO* s_pThrottleTimer = nullptr;
TICKS s_tLastFrame = 0;
U32 s_u32LastGatewayId = 0;
bool s_bRunStarted = false;

TICKS tNow(void) { return (TICKS)L_CLOCK_qwGetTimeInMillis(); }

bool bThrottleRunning(void)
{
    return s_pThrottleTimer != nullptr && s_pThrottleTimer->u8TimerState != TMRST_IDLE;
}

// ---- Frame scheduling ----

void vComposeExpedited(void)
{
    GUI_vSetRedrawStaticPart();
    s_eExpeditedViewUpdateState = EVU_IN_PROGRESS;
    s_tLastFrame = tNow();
    if (bThrottleRunning())
        L_TIMER_Stop(s_pThrottleTimer);
    s_windowSpec.bExpedited = TRUE;
    T_VIEW_vHandleRefreshDisplay();
    s_windowSpec.bExpedited = FALSE;
    EXPEDITED_VIEW_UPDATE eExpected = EVU_IN_PROGRESS;
    if (s_eExpeditedViewUpdateState.compare_exchange_strong(eExpected, EVU_DONE) &&
        s_priorityNormal != PRIORITY_UNKNOWN)
        L_TASK_SetPriority(VIEW_TASK, s_priorityNormal);
}

void vOnViewUpdate(void)
{
    if (bCaptureFrozen())
        return;
    if (s_eExpeditedViewUpdateState == EVU_REQUESTED) {
        vComposeExpedited();
        return;
    }
    if (bThrottleRunning())
        return;
    const TICKS tElapsed = tNow() - s_tLastFrame;
    if (tElapsed < FRAME_INTERVAL && s_pThrottleTimer != nullptr) {
        L_TIMER_Start(s_pThrottleTimer, FRAME_INTERVAL - tElapsed, 0, SEMA_TIMER_VIEW_UPDATE);
        return;
    }
    s_tLastFrame = tNow();
    T_VIEW_vHandleRefreshDisplay();
}

void vOnThrottle(void)
{
    if (bCaptureFrozen()) {
        vCaptureFrozenRedraw();
        return;
    }
    // An expedite request that came while the timer ran has its own 106
    // signal waiting: taking that signal away would lose the expedited
    // frame, so the expedited frame comes first and stands for this one.
    if (s_eExpeditedViewUpdateState == EVU_REQUESTED)
        return;
    L_SEMA_SetPending(SEMA_VIEW_UPDATE);
    s_tLastFrame = tNow();
    T_VIEW_vHandleRefreshDisplay();
}

// ---- Mails ----

void vHandleNewData(const MESSAGE_NEW_DATA* pData)
{
    switch (pData->FourCharId) {
    case KEY_CVEW:
        vSetCurrentLayer(pData->dbValue.s32Val);
        T_VIEW_vRequestExpeditedViewUpdate();
        vCaptureViewChanged(pData->dbValue.s32Val);
        break;
    case KEY_CVAS:
        s_windowSpec.activeWindow = (SPLIT_WINDOW_TYPE)pData->dbValue.s32Val;
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
        break;
    case KEY_SNID:
        if (pData->dbValue.u32Val == s_u32LastGatewayId)
            break;
        s_u32LastGatewayId = pData->dbValue.u32Val;
        if (s_u32LastGatewayId != 0) {
            GUI_vRegisterGatewayMenus();
            GUI_vRegisterNMEA2KUnits();
        } else {
            GUI_vUnRegisterGatewayMenus();
            GUI_vUnRegisterNMEA2KUnits();
        }
        break;
    default:
        if (!bCaptureNewData(pData->FourCharId, pData->dbValue))
            vFollowLayerKey(pData->FourCharId, pData->dbValue);
        break;
    }
}

void vFactoryReset(void)
{
    H_DATABASE_bUpdateEverythingU32(KEY_SCSC, 0, P_NORMAL, D_UNKNOWN, &s_apcScreenSnapshot, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateValueBoolean(KEY_SVCR, TRUE, P_NORMAL);
    vRestoreDisplayDefaults();
    GUI_vRestoreSlotsDefault();
    vCaptureFactoryReset();
}

void vRunSystem(void)
{
    if (s_bRunStarted) {
        vCaptureRunSystem(false);
        return;
    }
    s_bRunStarted = true;
    GUI_bRunStart();
    vCaptureRunSystem(true);
    const ERC own = L_TASK_GetPriority(0);
    if (own < 0)
        return;
    // Lower numbers run first: expedited frames run 30 levels more urgently.
    const PRIORITY normal = (PRIORITY)own;
    s_priorityNormal = normal;
    s_priorityHigh = normal > EXPEDITED_PRIORITY_RAISE ? (PRIORITY)(normal - EXPEDITED_PRIORITY_RAISE) : 1;
}

void vHandleMail(MSGHEADER* pHeader)
{
    GENERIC_MESSAGE* pMsg = reinterpret_cast<GENERIC_MESSAGE*>(pHeader);
    switch (pMsg->Cmd) {
    case CMD_ID_NEW_DATA: {
        const MESSAGE_NEW_DATA* pData = reinterpret_cast<const MESSAGE_NEW_DATA*>(pHeader);
        GUI_vHandleNewData(pData);
        vHandleNewData(pData);
        break;
    }
    case CMD_ID_RESET_POS:
        vFactoryReset();
        break;
    case CMD_ID_REGISTER_LAYER:
        vRegisterLayer(reinterpret_cast<MSG_REGISTER_LAYER*>(pHeader));
        break;
    case CMD_ID_UNREGISTER_LAYER:
        vUnregisterLayer(reinterpret_cast<MSG_UNREGISTER_LAYER*>(pHeader));
        break;
    case CMD_ID_RUN_SYSTEM:
        vRunSystem();
        break;
    case CMD_ID_SET_VIEW:
        H_DATABASE_bUpdateValueS32(KEY_CVEW, reinterpret_cast<const MSG_LAYER_FROM_HOT*>(pHeader)->layer, P_NORMAL);
        s_bViewChanged = TRUE;
        s_bViewUpdateCancelled = TRUE;
        break;
    case CMD_ID_KEY_CHANGE:
        vCaptureKey(reinterpret_cast<const MSG_KEY_CHANGE*>(pHeader));
        break;
    case CMD_ID_PING_START:
        vCapturePingStart(reinterpret_cast<const MSG_PING_START*>(pHeader));
        break;
    default:
        // A shutdown changes nothing here.
        break;
    }
}

void vStartUp(void)
{
    H_DATABASE_bUpdateEverythingS32(KEY_CVEW, NO_VIEW_PRIORITY, P_DEFAULT_SETTING, D_UNKNOWN, nullptr,
                                    DB_TIMEOUT_NEVER);
    H_DATABASE_bRegisterForDataWithConditions(KEY_CVEW, VIEW_MAILBOX, TRUE, FALSE, FALSE);
    vSetCurrentLayer(NO_VIEW_PRIORITY);
    H_DATABASE_bUpdateEverythingS32(KEY_CVAS, SPLIT_RIGHT_WINDOW, P_DEFAULT_SETTING, D_UNKNOWN, nullptr,
                                    DB_TIMEOUT_NEVER);
    H_DATABASE_bRegisterForDataWithConditions(KEY_CVAS, VIEW_MAILBOX, TRUE, FALSE, FALSE);
    s_windowSpec.activeWindow = SPLIT_RIGHT_WINDOW;
    H_DATABASE_bRegisterForDataWithConditions(KEY_SNID, VIEW_MAILBOX, TRUE, FALSE, FALSE);
    vCaptureStart();

    if (H_DATABASE_bUpdateEverythingU32(KEY_TVUE, (U32)VIEW_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER)) {
        ERROR_error(__FILE_NAME__, __LINE__, "Somebody else registered the View Task Maibox");
        U_RESET_vReset(0, 0);
    }

    NMEA2kSource_bInit();
    GUI_bStart();
    s_pThrottleTimer = L_TIMER_Allocate();
    if (s_pThrottleTimer == nullptr)
        log_me("%s: no timer: every frame request composes at once", __FILE_NAME__);
    // The first request composes at once.
    s_tLastFrame = tNow() - FRAME_INTERVAL;
}

} // namespace

void T_VIEW_vMain(void)
{
    static const SEMA waitList[] = {SEMA_MBOX_VIEW,         SEMA_VIEW_RELEASE_BITMAP, SEMA_TIMER_SIM_MSG,
                                    SEMA_TIMER_VIEW_UPDATE, SEMA_VIEW_UPDATE,         0};
    vStartUp();
    for (;;) {
        switch (L_SEMA_WaitMultiple(waitList)) {
        case SEMA_MBOX_VIEW:
            while (MSGHEADER* pHeader = L_MBOX_Receive(VIEW_MAILBOX)) {
                vHandleMail(pHeader);
                H_MEMORY_vDumpMail(pHeader);
            }
            break;
        case SEMA_VIEW_UPDATE:
            vOnViewUpdate();
            break;
        case SEMA_TIMER_VIEW_UPDATE:
            vOnThrottle();
            break;
        case SEMA_TIMER_SIM_MSG:
            vCaptureBlinkStep();
            break;
        case SEMA_VIEW_RELEASE_BITMAP:
            vCaptureRelease();
            break;
        default:
            break;
        }
    }
}

void T_VIEW_vRequestExpeditedViewUpdate(void)
{
    // The view task may finish an expedited frame between our read and our
    // write; the exchange then fails and the state is read again.
    EXPEDITED_VIEW_UPDATE eState = s_eExpeditedViewUpdateState;
    for (;;) {
        if (eState == EVU_REQUESTED)
            return;
        if (!s_eExpeditedViewUpdateState.compare_exchange_weak(eState, EVU_REQUESTED))
            continue;
        if (eState == EVU_DONE) {
            s_bViewUpdateCancelled = TRUE;
            L_SEMA_Signal(SEMA_VIEW_UPDATE);
            if (s_priorityHigh != PRIORITY_UNKNOWN)
                L_TASK_SetPriority(VIEW_TASK, s_priorityHigh);
        } else {
            L_SEMA_Signal(SEMA_VIEW_UPDATE);
        }
        return;
    }
}

BOOLEAN T_VIEW_bViewUpdateCancelled(void) { return s_bViewUpdateCancelled; }

BOOLEAN T_VIEW_bViewChangedWhileRendering(void) { return s_bViewChanged; }

S32 T_VIEW_s32RefreshesSinceLastRequest(void) { return s_s32RefreshesSinceLastRequest.exchange(0); }
