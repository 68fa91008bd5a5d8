// The ping task (see the header): start, the pass loop, the mail handlers,
// the descriptor pool, the ping step and the system-state changes.
//
// States of the task: starting (until "TSMG" exists), running (each pass
// pings or idles as the state decides), stopped (after command 1: every
// later mail is discarded and nothing is pinged).
//
// The descriptor pool: queue 9 of 24 descriptor pointers. The descriptors
// are static; their sample buffers come from three 880000-byte blocks of
// the program heap, one per eight descriptors (raw buffer at 110000 bytes
// per descriptor, its gain-corrected buffer 55000 bytes behind it), and
// live as long as the process. A descriptor is never freed: it is in the
// queue, held by one holder, or in a mail to the processing task.
//
// Lock: mutex 100 around every mail handler and every ping step, and
// around the pass's choice of real or synthesised pings.
#include "sonar/ping/t_n_ping.h"

#include "gmsg/t_ethernet_standin.h"
#include "gmsg/u_networkdest.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_coproc.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/history/t_n_history.h"
#include "sonar/neighbour_standins.h"
#include "sonar/ping/t_n_ping_server.h"
#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

#include <cstring>

namespace t_n_ping {

std::atomic<BOOLEAN> s_bSystemPinging{FALSE};
std::atomic<BOOLEAN> s_bSonarEnabled{FALSE};
std::atomic<BOOLEAN> s_bSimulateCoprocessor{FALSE};
std::atomic<BOOLEAN> s_bZeroAllPingDataBeforeSending{FALSE};
std::atomic<BOOLEAN> s_bBurnInMode{FALSE};
std::atomic<BOOLEAN> s_bRecordingActive{FALSE};
std::atomic<U32> s_u32MaxPingsPerSecond{11};
std::atomic<TICKS> s_TimeStampOfLastPing{0};
std::atomic<U32> s_u32PlaybackMode{PLAYBACK_MODE_STOP};
std::atomic<U32> s_u32LocalPingMask{0};
std::atomic<U32> s_u32NetworkPingMask{0};
std::atomic<U32> s_u32ClientPingMask{0};
std::atomic<U32> s_db_TransducerSelect{0};
std::atomic<BOOLEAN> s_bTransducerDetectedAtStart{FALSE};
std::atomic<void*> s_pvNetworkDestinations{nullptr};
std::atomic<BOOLEAN> s_bServerMonitorsAllocated{FALSE};

std::atomic<BOOLEAN> s_bSwitchToLocalPing{FALSE};
std::atomic<BOOLEAN> s_bPing2DNoKV{FALSE};
std::atomic<BOOLEAN> s_bPingMaskChanged{FALSE};
std::atomic<BOOLEAN> s_bNewSideRange{FALSE};

std::atomic<BOOLEAN> s_bNeedSeekPing{FALSE};
std::atomic<BOOLEAN> s_bReverseScroll{FALSE};

} // namespace t_n_ping

sonarRegisteredClientNode* sonarSourcesArray[SONAR_SOURCE_COUNT] = {nullptr, nullptr, nullptr, nullptr};

using namespace t_n_ping;

namespace {

// ---- Constants ----

constexpr const char* SOURCE = "./Working/SOURCE/t_n_ping";

constexpr U32 POOL_BLOCKS = 3;
constexpr U32 POOL_BLOCK_BYTES = 880000;
constexpr U32 DESCRIPTORS_PER_BLOCK = 8;
constexpr U32 DESCRIPTOR_BYTES = 110000;

constexpr TICKS IDLE_STEP_MS = 2;
constexpr TICKS TSMG_POLL_MS = 5;
constexpr TICKS START_TIMER_TICKS = 500;
constexpr TICKS SWEEPING_VIEW_DELAY_MS = 125;
constexpr PRIORITY PRIORITY_RAISE = 5;

constexpr SYSTEM_STATE STATE_NONE = (SYSTEM_STATE)0;
constexpr U32 TRANSDUCER_360 = 16;
constexpr U32 PLAYBACK_MODE_LAST = PLAYBACK_MODE_PAUSED_END;

// ---- State (the ping task's thread only) ----

PING_DESCRIPTOR s_aPingDescriptors[PING_DESCRIPTOR_COUNT];
bool s_bStopped = false;

// ---- Helpers ----

bool bSimulationState(SYSTEM_STATE e) { return e == STATE_SIMULATION || e == STATE_POINT_OF_SALE; }

U32 u32FetchU32(FOURCHARID fcid, U32 u32Absent)
{
    U32 u32 = u32Absent;
    H_DATABASE_bFetchU32(fcid, &u32, nullptr, nullptr);
    return u32;
}

U32 u32NetworkDestinationCount(void)
{
    void* pvTable = s_pvNetworkDestinations;
    if (pvTable == nullptr)
        return 0;
    U32 u32Count = 0;
    int index = 0;
    U32 u32UserData = 0;
    while (U_NETWORKDEST_gapNext(pvTable, &index, &u32UserData) != nullptr)
        ++u32Count;
    return u32Count;
}

// Waits until the history task has published its mailbox.
void vWaitForHistoryTask(void)
{
    for (;;) {
        U32 u32Mailbox = 0;
        if (H_DATABASE_bFetchU32(FCID("TSMG"), &u32Mailbox, nullptr, nullptr))
            return;
        L_CLOCK_Sleep(TSMG_POLL_MS);
    }
}

void vStart(void)
{
    vRegisterDatabaseItems(FALSE);
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
        U_PING_vAllDeleteClientNodes(&sonarSourcesArray[s]);
    H_DATABASE_bRegisterForDataWithConditions(FCID("YSSR"), PING_MAILBOX, TRUE, FALSE, FALSE);
    H_DATABASE_bRegisterForDataWithConditions(FCID("SSSR"), PING_MAILBOX, TRUE, FALSE, FALSE);
    for (U32 row = 1; row < TRANSLATE_ROWS; ++row) {
        H_DATABASE_bRegisterForDataWithConditions(s_fcidTranslateTable[row].fcidUIControl, PING_MAILBOX, TRUE, FALSE,
                                                  FALSE);
        H_DATABASE_bRegisterForDataWithConditions(s_fcidTranslateTable[row].fcidSavedSetting, PING_MAILBOX, TRUE,
                                                  FALSE, FALSE);
    }

    // A missing "ITXD" or -1 counts as no transducer.
    const U32 u32Detected = u32FetchU32(FCID("ITXD"), 0);
    s_bTransducerDetectedAtStart = u32Detected == 1;
    BOOLEAN bSonarOn = FALSE;
    H_DATABASE_bFetchBoolean(FCID("SSEN"), &bSonarOn, nullptr, nullptr);
    H_DATABASE_bUpdateValueBoolean(FCID("ISEN"), (u32Detected == 1 && bSonarOn) ? TRUE : FALSE, P_NORMAL);

    vInitialisePingDescriptorQueue();

    // Every task thread runs at one scheduling priority here; the number
    // is kept for the kernel's dump.
    const ERC ercPriority = L_TASK_GetPriority(0);
    if (ercPriority > (ERC)PRIORITY_RAISE)
        L_TASK_SetPriority(0, (PRIORITY)(ercPriority - PRIORITY_RAISE));

    vWaitForHistoryTask();

    TIMER_INFO* pTimer = L_TIMER_Allocate();
    if (pTimer == nullptr)
        vFatal(__LINE__, "No timers available");
    L_TIMER_Start(pTimer, START_TIMER_TICKS, 0, SEMA_TRIGGER_SONAR);
}

void vStoppedLoop(void)
{
    for (;;) {
        L_SEMA_Wait(SEMA_MBOX_PING);
        vDrainMailbox();
    }
}

// Command 3: the sonar settings back to their factory values.
void vResetSettings(void)
{
    log_me("[%d]%s: sonar settings back to their factory values\n", __LINE__, __func__);
    T_N_PING_bUnregisterForAllNetworkData();
    if (!T_ETHERNET_bIsAddressReady()) {
        T_N_PING_bRemoveAllClients();
        H_DATABASE_bUpdateValueU32(FCID("ENPM"), 0, P_NORMAL);
        H_DATABASE_bUpdateValueU32(FCID("ECPM"), 0, P_NORMAL);
        H_DATABASE_bUpdateValueU32(FCID("YST4"), 0, P_NORMAL);
    }
    vRegisterDatabaseItems(TRUE);
}

// Command 39: the system runs.
void vRunSystem(void)
{
    U32 u32State = 0;
    if (H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr)) {
        L_MUTEX_LockWait(RES_SONAR_SHARE);
        vUpdateSystemState((SYSTEM_STATE)u32State);
        s_bSystemPinging = bShouldSystemPing();
        s_bBurnInMode = u32State == STATE_BURN_IN ? TRUE : FALSE;
        L_MUTEX_Unlock(RES_SONAR_SHARE);
        if (s_bSystemPinging) {
            H_COPROC_vInitialize();
            if (gpu8NonCachedDataBlock != nullptr) {
                memset(gpu8NonCachedDataBlock, 0, MULTI_TX_BYTES);
                H_COPROC_u32Transfer(gpu8NonCachedDataBlock, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
            }
        }
    }
    H_DATABASE_bRegisterForDataWithConditions(FCID("CCST"), PING_MAILBOX, TRUE, FALSE, FALSE);
    U32 u32Mode = 0;
    if (H_DATABASE_bFetchU32(FCID("CPSP"), &u32Mode, nullptr, nullptr))
        s_u32PlaybackMode = u32Mode;
    H_DATABASE_bRegisterForDataWithConditions(FCID("CPSP"), PING_MAILBOX, TRUE, FALSE, FALSE);
    BOOLEAN bRecording = FALSE;
    if (H_DATABASE_bFetchBoolean(FCID("CSRE"), &bRecording, nullptr, nullptr))
        s_bRecordingActive = bRecording ? TRUE : FALSE;
    H_DATABASE_bRegisterForDataWithConditions(FCID("CSRE"), PING_MAILBOX, TRUE, FALSE, FALSE);
}

void vReturnToPool(PING_DESCRIPTOR* pDescriptor)
{
    if (L_QUEUE_Put(Q_PING, &pDescriptor) != 0)
        vFatal(__LINE__, "Couldn't return descriptor to queue");
}

void vSleepForSweepingView(void) { L_CLOCK_Sleep(SWEEPING_VIEW_DELAY_MS); }

} // namespace

// ---- The task ----

void T_N_PING_vMain(void)
{
    vStart();
    static const SEMA aWaitList[] = {SEMA_MBOX_PING, SEMA_PING_QNE, 0};
    for (;;) {
        T_N_PING_SetupNetworkInterface();
        L_MUTEX_LockWait(RES_SONAR_SHARE);
        T_N_PING_bIsLocalSonarInUse();
        if (bSimulationState(U_PING_eGetSystemState()))
            H_DATABASE_bUpdateValueBoolean(FCID("ISEN"), TRUE, P_NORMAL);
        L_MUTEX_Unlock(RES_SONAR_SHARE);

        const SEMA sema = L_SEMA_WaitMultiple(aWaitList);
        if (sema == SEMA_MBOX_PING) {
            vDrainMailbox();
            if (s_bStopped)
                vStoppedLoop();
        } else if (sema == SEMA_PING_QNE) {
            L_MUTEX_LockWait(RES_SONAR_SHARE);
            vPingStep();
            L_MUTEX_Unlock(RES_SONAR_SHARE);
        } else {
            vFatal(__LINE__, "RTOS Fault");
        }
    }
}

namespace t_n_ping {

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE, u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

// ---- The pool ----

void vInitialisePingDescriptorQueue(void)
{
    if (L_QUEUE_Define(Q_PING, sizeof(PING_DESCRIPTOR*), PING_DESCRIPTOR_COUNT, nullptr, 0) != 0)
        vFatal(__LINE__, "Couldn't define queue");
    L_QUEUE_DefineSema(Q_PING, SEMA_PING_QNE, QNE);
    U8* apu8Block[POOL_BLOCKS];
    for (U32 b = 0; b < POOL_BLOCKS; ++b)
        apu8Block[b] = (U8*)H_MEMORY_pvMalloc(POOL_BLOCK_BYTES);
    for (U32 i = 0; i < PING_DESCRIPTOR_COUNT; ++i) {
        PING_DESCRIPTOR* p = &s_aPingDescriptors[i];
        *p = PING_DESCRIPTOR{};
        p->pu8RawSonarData = apu8Block[i / DESCRIPTORS_PER_BLOCK] + (i % DESCRIPTORS_PER_BLOCK) * DESCRIPTOR_BYTES;
        p->pu8TvgdData = p->pu8RawSonarData + PING_MAX_SAMPLES;
        if (L_QUEUE_Put(Q_PING, &p) != 0)
            vFatal(__LINE__, "Queue initialization failure");
    }
}

// ---- Mails ----

void vHandleMail(GENERIC_MESSAGE* pMail)
{
    switch (pMail->Cmd) {
    case CMD_ID_SHUTDOWN:
        T_N_PING_bUnregisterForAllNetworkData();
        T_N_PING_bRemoveAllClients();
        s_bStopped = true;
        break;
    case CMD_ID_NEW_DATA: {
        const MESSAGE_NEW_DATA* pNew = (const MESSAGE_NEW_DATA*)pMail;
        T_N_PING_bControlChangeSend(pNew->FourCharId, pNew->dbValue.u32Val, 0, nullptr);
        vHandleNewData(pNew->FourCharId, pNew->dbValue.u32Val);
        break;
    }
    case CMD_ID_RESET_POS: // the reset of the sonar settings
        vResetSettings();
        break;
    case CMD_ID_RUN_SYSTEM:
        vRunSystem();
        break;
    default:
        // Network messages, disconnections, monitor time-outs and registrations.
        T_N_PING_bHandleNetworkMail(pMail);
        break;
    }
}

void vDrainMailbox(void)
{
    while (MSGHEADER* pMail = L_MBOX_Receive(PING_MAILBOX)) {
        if (!s_bStopped) {
            L_MUTEX_LockWait(RES_SONAR_SHARE);
            vHandleMail((GENERIC_MESSAGE*)pMail);
            L_MUTEX_Unlock(RES_SONAR_SHARE);
        }
        H_MEMORY_vDumpMail(pMail);
    }
}

// ---- Pinging ----

BOOLEAN T_N_PING_bIsLocalSonarInUse(void)
{
    bool bWanted = u32NetworkDestinationCount() > 0;
    for (U32 s = SONAR_SOURCE_2D; s <= SONAR_SOURCE_FV; ++s)
        bWanted = bWanted || U_PING_eGetNetworkClientState(s) == NETWORK_CLIENT_STATE_LOCAL;
    const SYSTEM_STATE eState = U_PING_eGetSystemState();
    if (bWanted && s_bSonarEnabled && !bSimulationState(eState)) {
        s_bSimulateCoprocessor = FALSE;
        s_bZeroAllPingDataBeforeSending = FALSE;
        H_COPROC_vSimulate(FALSE);
        return TRUE;
    }
    // Synthesised pings only keep network clients going; outside the
    // demonstration states nobody may mistake them for sonar.
    s_bSimulateCoprocessor = TRUE;
    s_bZeroAllPingDataBeforeSending = bSimulationState(eState) ? FALSE : TRUE;
    H_COPROC_vSimulate(TRUE);
    return FALSE;
}

BOOLEAN T_N_PING_bMSSFV(void) { return u32FetchU32(FCID("YST3"), 0) == TRANSDUCER_360 ? TRUE : FALSE; }

void vPerformNullPing(void)
{
    H_COPROC_vReadAdcInputs();
    PING_DESCRIPTOR* pDescriptor = nullptr;
    if (L_QUEUE_Get(Q_PING, &pDescriptor) == 0)
        vReturnToPool(pDescriptor);
    L_CLOCK_Sleep(IDLE_STEP_MS);
}

void vRecordPingRateDelay(void)
{
    const U32 u32Rate = s_u32MaxPingsPerSecond;
    if (s_bRecordingActive && u32Rate >= 1 && u32Rate <= 10) {
        const U32 u32Interval = 1000 / u32Rate;
        const U32 u32Elapsed = (U32)((TICKS)L_CLOCK_qwGetTimeInTicks() - s_TimeStampOfLastPing.load());
        if (u32Elapsed < u32Interval)
            L_CLOCK_Sleep(u32Interval - u32Elapsed);
    }
    s_TimeStampOfLastPing = (TICKS)L_CLOCK_qwGetTimeInTicks();
}

void vPingStep(void)
{
    if (!s_bSystemPinging || !s_bSonarEnabled || (s_u32ClientPingMask == 0 && s_u32LocalPingMask == 0)) {
        vPerformNullPing();
        return;
    }
    const SYSTEM_STATE eState = U_PING_eGetSystemState();
    const bool bSimulation = bSimulationState(eState);
    if (!bSimulation && !(s_bTransducerDetectedAtStart && eState == STATE_NORMAL_RUN)) {
        if (eState == STATE_STARTUP && !s_bTransducerDetectedAtStart) {
            // The loop rests until the next mail or put.
            log_me("DO NOT Call vPerformNullPing, DMA channel not ready\n");
            return;
        }
        vPerformNullPing();
        return;
    }

    // A networked 360 unit that is out and sweeping shares the water with
    // the local imaging beams; outside the demonstration states the local
    // pings make room for it.
    const U32 u32SweepMode = s_u32SweepMode;
    const bool b360Sweeping =
        !bSimulation && U_PING_bGetMSSDeployState() && (u32SweepMode == 1 || u32SweepMode == 3);
    const bool bSweepingView = T_N_HISTORY_bIsSweepingView(U_PING_layeridGetCurrentView()) != FALSE;
    const U32 u32Clients = s_u32ClientPingMask;

    switch (s_db_TransducerSelect.load()) {
    case 1:
    case 4:
    case 11:
        if (b360Sweeping) {
            if (bSweepingView)
                vSleepForSweepingView();
            s_bSwitchToLocalPing = TRUE;
        }
        vPerformDownBeamOnlyPing();
        break;
    case 2:
    case 5:
    case 9:
    case 10: {
        bool bDownBeamOnly = false;
        if (!bSimulation && (u32Clients & (ELEMENT_KV | ELEMENT_FV)) == 0) {
            const bool b360IsSideSource =
                T_N_PING_bMSSFV() && !T_N_HISTORY_bGetNon360FVOrQuadViewLastVisited();
            if (b360Sweeping) {
                if (bSweepingView) {
                    vSleepForSweepingView();
                    bDownBeamOnly = true;
                } else {
                    bDownBeamOnly = b360IsSideSource;
                }
                s_bSwitchToLocalPing = TRUE;
            } else {
                bDownBeamOnly = b360IsSideSource;
            }
        }
        if (bDownBeamOnly)
            vPerformDownBeamOnlyPing();
        else
            vPerformSideScanPing();
        break;
    }
    case 15:
    case 17:
    case 18:
        if (!bSimulation && (u32Clients & ELEMENT_KV) == 0) {
            if (b360Sweeping) {
                if (bSweepingView) {
                    vSleepForSweepingView();
                    s_bPing2DNoKV = TRUE;
                } else if (T_N_PING_bMSSFV()) {
                    s_bPing2DNoKV = TRUE;
                }
                s_bSwitchToLocalPing = TRUE;
            } else if (T_N_PING_bMSSFV()) {
                s_bPing2DNoKV = TRUE;
            }
        }
        vPerformKVPing();
        break;
    case TRANSDUCER_360:
        // The 360 unit pings itself; only its simulation runs here.
        if (!bSimulation)
            return;
        vPerformSideScanPing();
        break;
    default:
        vPerformNullPing();
        return;
    }
    vRecordPingRateDelay();
}

// ---- System state ----

BOOLEAN bShouldSystemPing(void)
{
    const SYSTEM_STATE eState = U_PING_eGetSystemState();
    if (eState == STATE_PLAYBACK) {
        // Only the still ends of a recording leave the transducer to the ping task.
        const U32 u32Mode = s_u32PlaybackMode;
        return (u32Mode == PLAYBACK_MODE_BEGIN || u32Mode == PLAYBACK_MODE_END || u32Mode == PLAYBACK_MODE_END_FILL ||
                u32Mode == 0 || u32Mode > PLAYBACK_MODE_LAST)
                   ? TRUE
                   : FALSE;
    }
    if (bSimulationState(eState))
        return TRUE;
    BOOLEAN bFeatures = FALSE, bValid = FALSE;
    if (H_DATABASE_bFetchBoolean(FCID("SFEF"), &bFeatures, &bValid, nullptr) && bValid && bFeatures &&
        !bTransducerDetected())
        return FALSE;
    if (eState == STATE_NONE || eState == STATE_PC_CONNECT)
        return FALSE;
    return TRUE;
}

void vUpdateSystemState(SYSTEM_STATE eNewState)
{
    const SYSTEM_STATE eOldState = U_PING_eGetSystemState();
    if (eNewState == eOldState)
        return;
    log_me("[%d]%s: system state %u -> %u\n", __LINE__, __func__, (unsigned)eOldState, (unsigned)eNewState);
    if (eOldState == STATE_PLAYBACK) {
        T_MMC_bOpenPlaybackFile(FALSE, nullptr);
        if (eNewState == STATE_NORMAL_RUN)
            T_MMC_vCleanupDatabaseAfterPlayback();
        DB_DATA_TYPE dbStep;
        if (H_DATABASE_bFetch(FCID("SSQS"), &dbStep, nullptr, nullptr))
            H_DATABASE_bUpdateValue(FCID("SSPS"), dbStep, P_NORMAL);
    }
    if (eNewState == STATE_PLAYBACK) {
        s_bSimulateCoprocessor = FALSE;
        H_COPROC_vSimulate(FALSE);
        U_PING_vSetPlayback(TRUE);
    } else if (bSimulationState(eNewState)) {
        s_bSimulateCoprocessor = TRUE;
        H_COPROC_vSimulate(TRUE);
        U_PING_vSetPlayback(FALSE);
    } else {
        s_bSimulateCoprocessor = FALSE;
        H_COPROC_vSimulate(FALSE);
        U_PING_vSetPlayback(FALSE);
    }
    s_bNeedSeekPing = FALSE;
    s_bReverseScroll = FALSE;
    T_N_PING_vSetSonarViewEnable();
    if (eNewState == STATE_PLAYBACK || bSimulationState(eNewState)) {
        H_DATABASE_bUpdateEverythingFloat(FCID("IDE2"), 0.0f, P_NORMAL, D_DEPTH, nullptr, 0);
        H_DATABASE_bUpdateEverythingFloat(FCID("IDE8"), 0.0f, P_NORMAL, D_DEPTH, nullptr, 0);
    }
    if (eNewState == STATE_PLAYBACK) {
        T_N_PING_vResetReadBeamPinging();
        H_DATABASE_bUpdateValueU32(FCID("CSBP"), 0, P_NORMAL);
    }
    else if (!bSimulationState(eNewState))
        T_N_HISTORY_vEnableShortTransmit(TRUE);
    U_PING_vSetSystemState(eNewState);
}

} // namespace t_n_ping

// ---- Network clients ----

BOOLEAN T_N_PING_bCheckActiveClientList(U32 u32SonarSource)
{
    if (u32SonarSource >= SONAR_SOURCE_COUNT)
        return FALSE;
    L_MUTEX_LockWait(RES_SONAR_SHARE);
    const BOOLEAN bActive = sonarSourcesArray[u32SonarSource] != nullptr ? TRUE : FALSE;
    L_MUTEX_Unlock(RES_SONAR_SHARE);
    return bActive;
}

BOOLEAN T_N_PING_bRemoveAllClients(void)
{
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
        U_PING_vAllDeleteClientNodes(&sonarSourcesArray[s]);
    return TRUE;
}
