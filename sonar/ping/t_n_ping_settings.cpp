// The ping task's settings: the keys that shape a ping with their
// defaults, the task's change handler, the sonar-source masks, sonar on and
// off, the transducer change and "ISEN", the flag that the sonar is shown.
//
// Defaults are written at start with writer priority 14, so that a value
// restored from NVRAM or set by the user (stronger writers) stays, and with
// priority 2 on a reset of the settings, which overwrites everything; a few
// keys have a priority of their own (the table says which).
#include "sonar/ping/t_n_ping.h"

#include "gmsg/u_server_monitor.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_transducer_menus.h" // SONAR_DUAL_BEAM_VIEW_PRIORITY
#include "sonar/history/t_n_history.h"
#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

#include <bit>
#include <initializer_list>

namespace t_n_ping {

std::atomic<BOOLEAN> s_bJiggingModeOn{FALSE};
std::atomic<BOOLEAN> s_bAutoRange{FALSE};
std::atomic<float> s_fMaxDepthToPing{0.0f};
std::atomic<U32> s_u32TransmitCycles{0};
std::atomic<U32> s_u32TransmitPower{0};
std::atomic<U32> s_u32LowFrequencyDelay{0};
std::atomic<U32> s_u32WaterType{0};
std::atomic<U32> s_u32SweepMode{0};
std::atomic<BOOLEAN> s_bTvgView{TRUE};
std::atomic<UNIT_TYPE> s_eDepthUnits{U_FEET};
std::atomic<float> s_fSideRange{10.0f};
std::atomic<U32> s_u32SectorStepFactor{4};
std::atomic<BOOLEAN> s_bBowMounted{FALSE};
std::atomic<U32> s_u32SavedLocalPingMask{0};

} // namespace t_n_ping

using namespace t_n_ping;

namespace {

// ---- Constants ----

constexpr SEMA SEMA_NVRAM_UPDATE = 104;
constexpr U32 WATER_TYPE_DEEP = 1;
constexpr U32 BEAM_SELECTION_LAST = 4;
constexpr U32 NO_MASK = 0xFFFFFFFF;
constexpr U32 BOW_MOUNT_UNKNOWN = 255;
constexpr U32 UNIT_ID_BITS = 0xFFFFFF;
constexpr U8 TRANSDUCER_DEFAULT_SIMULATION = 15;
constexpr U32 MSS_DEPLOYED = 2;

// How a default is written.
enum DEFAULT_PRIORITY {
    BY_CALL,       // 14 at start, 2 on a reset
    ALWAYS_2,
    ALWAYS_14,
    ALWAYS_15,
    ONLY_IF_ABSENT // priority 2, and only when the key was never written
};

struct DEFAULT_KEY {
    FOURCHARID fcid;
    U32 u32Value; // the value's 32 bits
    DATA_TYPE type;
    DEFAULT_PRIORITY priority;
};

constexpr U32 u32Float(float f) { return std::bit_cast<U32>(f); }

const DEFAULT_KEY DefaultKeys[] = {
    {FCID("CSFL"), 83, D_UNSIGNED32, BY_CALL},
    {FCID("CSF2"), 200, D_UNSIGNED32, BY_CALL},
    {FCID("SSW1"), 0, D_UNSIGNED32, BY_CALL},
    {FCID("SSW2"), 0, D_UNSIGNED32, BY_CALL},
    {FCID("SSW3"), 0, D_UNSIGNED32, BY_CALL},
    {FCID("SSEN"), TRUE, D_UNKNOWN, BY_CALL},
    {FCID("ISEN"), TRUE, D_UNKNOWN, BY_CALL},
    {FCID("SSMD"), u32Float(0.0f), D_DEPTH, BY_CALL},
    {FCID("YSMD"), u32Float(0.0f), D_DEPTH, BY_CALL},
    {FCID("SSTC"), 0, D_UNSIGNED32, BY_CALL},
    {FCID("SSTP"), 0, D_UNKNOWN, BY_CALL}, // TXPOWER_AUTO
    {FCID("SUDP"), U_FEET, D_UNITS, ALWAYS_15},
    {FCID("SSSR"), u32Float(10.0f), D_DEPTH, ALWAYS_14},
    {FCID("SASR"), u32Float(10.0f), D_DEPTH, ALWAYS_14},
    {FCID("SSF5"), 812, D_UNSIGNED32, BY_CALL},
    {FCID("SSF4"), 462, D_UNSIGNED32, BY_CALL},
    {FCID("SSF3"), 262, D_UNSIGNED32, BY_CALL},
    {FCID("SSSF"), FCID("SSF4"), D_FCID, BY_CALL},
    {FCID("CSPD"), u32Float(0.0f), D_DEPTH, ALWAYS_2},
    {FCID("CSSD"), u32Float(0.0f), D_DEPTH, ALWAYS_2},
    {FCID("CSIR"), u32Float(0.0f), D_DEPTH, ALWAYS_2},
    // A plain U32 (D_UNKNOWN): the store has no value format for
    // D_UNSIGNED32, and the "Pings Per Second" menu item reads one.
    {FCID("SRPS"), 11, D_UNKNOWN, ONLY_IF_ABSENT}, // PING_RATE_AUTO
    {FCID("SSPS"), 4, D_UNSIGNED32, ALWAYS_2},
    {FCID("SSPA"), 360, D_UNSIGNED32, ALWAYS_2},
    {FCID("YMSO"), 0, D_SIGNED32, BY_CALL},
};

// The keys followed from start: changes only, or also every update, or
// also every update and invalidation.
struct FOLLOWED_KEY {
    FOURCHARID fcid;
    BOOLEAN bInvalid;
    BOOLEAN bUpdated;
};

const FOLLOWED_KEY FollowedKeys[] = {
    {FCID("SSCL"), FALSE, FALSE}, {FCID("SSSF"), FALSE, FALSE}, {FCID("CVEW"), FALSE, FALSE},
    {FCID("SSEN"), FALSE, FALSE}, {FCID("SSMD"), FALSE, FALSE}, {FCID("SSSV"), FALSE, FALSE},
    {FCID("SSTC"), FALSE, FALSE}, {FCID("SSTP"), FALSE, FALSE}, {FCID("SUDP"), FALSE, FALSE},
    {FCID("SSTS"), FALSE, FALSE}, {FCID("SSES"), FALSE, FALSE}, {FCID("SSSR"), FALSE, FALSE},
    {FCID("SASR"), FALSE, FALSE}, {FCID("SJIG"), FALSE, FALSE}, {FCID("YJIG"), FALSE, FALSE},
    {FCID("SRPS"), FALSE, FALSE}, {FCID("STVG"), FALSE, FALSE}, {FCID("CCST"), FALSE, FALSE},
    {FCID("YSPS"), FALSE, FALSE}, {FCID("YHBT"), TRUE, TRUE},   {FCID("MSSS"), FALSE, FALSE},
    {FCID("YSPL"), FALSE, TRUE},  {FCID("YBMT"), FALSE, FALSE}, {FCID("SLFD"), FALSE, FALSE},
};

// ---- Helpers ----

bool bSimulationState(U32 u32State) { return u32State == STATE_SIMULATION || u32State == STATE_POINT_OF_SALE; }

float fFloat(U32 u32) { return std::bit_cast<float>(u32); }

U32 u32SourceBit(U32 u32Source) { return 1u << u32Source; }

FOURCHARID fcidTransducerKey(U32 u32Source)
{
    static const FOURCHARID keys[SONAR_SOURCE_COUNT] = {FCID("YST1"), FCID("YST2"), FCID("YST3"), FCID("YST4")};
    return keys[u32Source];
}

void vWriteU32(FOURCHARID fcid, U32 u32Value) { H_DATABASE_bUpdateValueU32(fcid, u32Value, P_NORMAL); }

void vMailPlaybackState(U32 u32Mode)
{
    auto* pMail = (MSG_NEW_PLAYBACK_STATE*)H_MEMORY_pvMalloc(sizeof(MSG_NEW_PLAYBACK_STATE));
    *pMail = MSG_NEW_PLAYBACK_STATE{};
    pMail->Header.Cmd = CMD_ID_NEW_PLAYBACK_STATE;
    pMail->u32NewPlaybackState = u32Mode;
    if (L_MBOX_Send(PROCESS_MAILBOX, &pMail->Header.msghdr, PING_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

void vWriteDefaults(BOOLEAN bForceFactoryDefaults)
{
    const U32 u32ByCall = bForceFactoryDefaults ? P_NORMAL : P_DEFAULT_SETTING;
    for (const DEFAULT_KEY& k : DefaultKeys) {
        U32 u32Priority = u32ByCall;
        switch (k.priority) {
        case BY_CALL:
            break;
        case ALWAYS_2:
            u32Priority = P_NORMAL;
            break;
        case ALWAYS_14:
            u32Priority = P_DEFAULT_SETTING;
            break;
        case ALWAYS_15:
            u32Priority = P_UNOWNED;
            break;
        case ONLY_IF_ABSENT:
            if (H_DATABASE_bFetch(k.fcid, nullptr, nullptr, nullptr))
                continue;
            u32Priority = P_NORMAL;
            break;
        }
        DB_DATA_TYPE dbValue{};
        dbValue.u32Val = k.u32Value;
        H_DATABASE_bUpdateEverything(k.fcid, dbValue, u32Priority, k.type, nullptr, DB_TIMEOUT_NEVER);
    }
}

// The saved unit id of a source: present, valid and not the "none" id.
BOOLEAN bSavedSource(FOURCHARID fcid, U32* pu32Id)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(fcid, pu32Id, &bValid, nullptr) && bValid && (*pu32Id & UNIT_ID_BITS) != UNIT_ID_BITS;
}

// Which unit each source is shown from, as saved; then the local
// transducer for 2D and Keelview when one is connected.
void vRestoreSonarSources(void)
{
    L_MUTEX_LockWait(RES_SONAR_SHARE);
    U32 u32Id = NO_MASK;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("SN2D"), &u32Id, &bValid, nullptr) || !bValid)
        u32Id = NO_MASK;
    T_N_PING_vUpdateSonarSource(u32Id, SONAR_SOURCE_2D);
    if (bSavedSource(FCID("SNSI"), &u32Id)) {
        T_N_PING_vUpdateSonarSource(u32Id, SONAR_SOURCE_FV);
    } else if (bSavedSource(FCID("SNDI"), &u32Id)) {
        T_N_PING_vUpdateSonarSource(u32Id, SONAR_SOURCE_KV);
    } else {
        T_N_PING_vUpdateSonarSource(NO_MASK, SONAR_SOURCE_FV);
        T_N_PING_vUpdateSonarSource(NO_MASK, SONAR_SOURCE_KV);
    }
    if (!H_DATABASE_bFetchU32(FCID("S360"), &u32Id, &bValid, nullptr) || !bValid)
        u32Id = NO_MASK;
    T_N_PING_vUpdateSonarSource(u32Id, SONAR_SOURCE_360);
    if (bTransducerDetected()) {
        T_N_PING_vSwitchToLocalSonar(SONAR_SOURCE_2D);
        T_N_PING_vSwitchToLocalSonar(SONAR_SOURCE_KV);
    }
    L_MUTEX_Unlock(RES_SONAR_SHARE);
}

// ---- Change handlers ----

void vPlaybackModeChanged(U32 u32Mode)
{
    if (u32Mode == s_u32PlaybackMode)
        return;
    vMailPlaybackState(u32Mode);
    const BOOLEAN bReverse = T_N_HISTORY_bReverseScrollForMode(u32Mode, s_bReverseScroll);
    // The end fill draws its columns where they are; every other change
    // of direction has the reader seek to the columns on screen.
    if (bReverse != s_bReverseScroll && u32Mode != PLAYBACK_MODE_END_FILL)
        s_bNeedSeekPing = TRUE;
    s_bReverseScroll = bReverse;
    s_u32PlaybackMode = u32Mode;
    s_bSystemPinging = bShouldSystemPing();
}

void vSonarOnOff(BOOLEAN bOn)
{
    s_bSonarEnabled = bOn;
    L_MUTEX_LockWait(RES_SONAR_SHARE);
    const SYSTEM_STATE eState = U_PING_eGetSystemState();
    if (eState != 0) {
        if (!bOn) {
            s_u32SavedLocalPingMask = u32ReadMask(FCID("ELPM"));
            vWriteMask(FCID("ELPM"), 0);
        } else {
            const U32 u32Saved = s_u32SavedLocalPingMask;
            if (u32Saved != 0) {
                if (bSimulationState(eState))
                    log_me("System State SIM or POS DO NOT zero ELPM\n");
                else if (u32Saved != NO_MASK)
                    vWriteMask(FCID("ELPM"), u32Saved);
            }
            // The loop may rest with every descriptor in the pool; one
            // turn through it wakes the loop again.
            vPerformNullPing();
        }
        T_N_PING_vSetSonarViewEnable();
    }
    L_MUTEX_Unlock(RES_SONAR_SHARE);
}

void vSystemStateChanged(U32 u32State)
{
    L_MUTEX_LockWait(RES_SONAR_SHARE);
    vUpdateSystemState((SYSTEM_STATE)u32State);
    s_bSystemPinging = bShouldSystemPing();
    s_bBurnInMode = u32State == STATE_BURN_IN ? TRUE : FALSE;
    if (bSimulationState(u32State)) {
        U32 u32Transducer = 0;
        if (H_DATABASE_bFetchU32(FCID("SSTS"), &u32Transducer, nullptr, nullptr))
            s_db_TransducerSelect = u32Transducer;
        vWriteU32(FCID("ITXD"), 1);
        T_N_PING_vSwitchToLocalSonar(SONAR_SOURCE_2D);
        T_N_PING_vSwitchToLocalSonar(SONAR_SOURCE_KV);
    }
    L_MUTEX_Unlock(RES_SONAR_SHARE);
}

void vDeepWaterStart(void)
{
    U_PING_vSetDeepWaterMode(TRUE);
    U_PING_vSetDepthKnownCnt(0);
}

// Beam and imaging frequency selections that the new transducer can ping.
void vKeepSelectionsValid(U32 u32Transducer)
{
    U32 u32Beam = 0;
    FOURCHARID fcidFrequency = 0;
    BOOLEAN bBeamValid = FALSE, bFrequencyValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("SSSV"), &u32Beam, &bBeamValid, nullptr) || !bBeamValid ||
        !H_DATABASE_bFetchU32(FCID("SSSF"), &fcidFrequency, &bFrequencyValid, nullptr) || !bFrequencyValid)
        return;
    const FOURCHARID SSF3 = FCID("SSF3"), SSF4 = FCID("SSF4"), SSF5 = FCID("SSF5");
    bool bFrequencyOk = true;
    switch (u32Transducer) {
    case 1:
    case 4:
    case 11:
    case 12:
    case 13:
    case 14:
        if (u32Beam > BEAM_SELECTION_LAST)
            vWriteU32(FCID("SSSV"), 1);
        return;
    case 2:
    case 3:
    case 9:
        bFrequencyOk = fcidFrequency == SSF4;
        break;
    case 5:
        bFrequencyOk = fcidFrequency == SSF3 || fcidFrequency == SSF4;
        break;
    case 10:
    case 15:
    case 17:
    case 18:
        bFrequencyOk = fcidFrequency == SSF4 || fcidFrequency == SSF5;
        break;
    default:
        return;
    }
    if (!bFrequencyOk)
        vWriteU32(FCID("SSSF"), SSF4);
}

void vTransducerChanged(U32 u32NewTransducer)
{
    L_MUTEX_LockWait(RES_SONAR_SHARE);
    const BOOLEAN bDetected = bTransducerDetected();
    const U32 u32Transducer = bDetected ? u32NewTransducer : 0;
    U32 u32Sources = bDetected ? S_TRANSDUCER_u32GetSonarSources((U8)u32NewTransducer) : 0;
    s_db_TransducerSelect = u32Transducer;

    // The start-up task writes the state once it has decided it.
    U32 u32State = 0;
    while (!H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr))
        L_CLOCK_Sleep(1);
    const bool bSimulation = bSimulationState(u32State);

    if (bSimulation) {
        u32Sources = S_TRANSDUCER_u32GetSonarSources(u32NewTransducer != 0 ? (U8)u32NewTransducer
                                                                            : TRANSDUCER_DEFAULT_SIMULATION);
        vWriteU32(FCID("YST1"), (u32Sources & ELEMENT_2D) ? u32Transducer : 0);
        vWriteU32(FCID("YST2"), (u32Sources & ELEMENT_KV) ? u32Transducer : 0);
        // On a fresh unit the simulation starts before the history task has
        // stored the simulated transducer, and the switch to the local
        // transducer made with the state found none: it is made now.
        for (U32 s : {(U32)SONAR_SOURCE_2D, (U32)SONAR_SOURCE_KV}) {
            if (u32NewTransducer != 0 && U_PING_eGetNetworkClientState(s) != NETWORK_CLIENT_STATE_LOCAL &&
                (u32Sources & u32SourceBit(s)) != 0)
                T_N_PING_vSwitchToLocalSonar((U16)s);
        }
    } else {
        for (U32 s = SONAR_SOURCE_2D; s <= SONAR_SOURCE_FV; ++s) {
            if (U_PING_eGetNetworkClientState(s) != NETWORK_CLIENT_STATE_LOCAL)
                continue;
            const bool bAvailable = (u32Sources & u32SourceBit(s)) != 0 && bDetected;
            vWriteU32(fcidTransducerKey(s), bAvailable ? u32Transducer : 0);
            if (s != SONAR_SOURCE_2D && u32Transducer != 0)
                vMenuSideScanFrequency(u32Transducer);
        }
        if (U_PING_eGetNetworkClientState(SONAR_SOURCE_360) == NETWORK_CLIENT_STATE_LOCAL)
            vWriteU32(FCID("YST4"), u32Transducer);
    }

    // Sources shown from a server are not pinged for this unit's screens.
    const U32 u32Network = u32ReadMask(FCID("ENPM"));
    if (u32Network != 0) {
        if (u32Network & ELEMENT_2D)
            u32Sources &= ~ELEMENT_2D;
        if (u32Network & (ELEMENT_KV | ELEMENT_FV))
            u32Sources &= ~(ELEMENT_KV | ELEMENT_FV);
        u32Sources &= ~ELEMENT_360;
    }
    U32 u32UnitId = 0;
    if (!bSimulation && bFetchUnitId(&u32UnitId)) {
        for (U32 s = SONAR_SOURCE_2D; s <= SONAR_SOURCE_FV; ++s) {
            if (s_u32SonarSourceMAC[s] != u32UnitId)
                u32Sources &= ~u32SourceBit(s);
        }
    }
    T_N_PING_vSetPingBitMask((u32Sources & ELEMENT_2D) != 0, (u32Sources & ELEMENT_KV) != 0,
                             (u32Sources & ELEMENT_FV) != 0, (u32Sources & ELEMENT_360) != 0);
    T_N_PING_vSendTransducerChange(u32Transducer);
    L_MUTEX_Unlock(RES_SONAR_SHARE);

    vKeepSelectionsValid(u32NewTransducer);
}

void vHeartbeat360(void)
{
    if (!s_bServerMonitorsAllocated)
        return;
    U_SERVER_MONITOR_vReceivedMessage(U_PING_s32GetServerMonitorHandle(SONAR_SOURCE_360));
    if (T_N_PING_bMSSFV())
        U_SERVER_MONITOR_vReceivedMessage(U_PING_s32GetServerMonitorHandle(SONAR_SOURCE_FV));
}

} // namespace

namespace t_n_ping {

BOOLEAN bTransducerDetected(void)
{
    U32 u32Detected = 0;
    return H_DATABASE_bFetchU32(FCID("ITXD"), &u32Detected, nullptr, nullptr) && u32Detected != 0 &&
                   u32Detected != NO_MASK
               ? TRUE
               : FALSE;
}

U32 u32ReadMask(FOURCHARID fcid)
{
    U32 u32Mask = 0;
    H_DATABASE_bFetchU32(fcid, &u32Mask, nullptr, nullptr);
    return u32Mask;
}

void vWriteMask(FOURCHARID fcid, U32 u32Mask) { vWriteU32(fcid, u32Mask); }

BOOLEAN bFetchUnitId(U32* pu32UnitId)
{
    BOOLEAN bValid = FALSE;
    U32 u32Id = 0;
    if (!H_DATABASE_bFetchU32(FCID("SMAC"), &u32Id, &bValid, nullptr) || !bValid)
        return FALSE;
    *pu32UnitId = u32Id & UNIT_ID_BITS;
    return TRUE;
}

void vRegisterDatabaseItems(BOOLEAN bForceFactoryDefaults)
{
    vWriteDefaults(bForceFactoryDefaults);

    BOOLEAN bJigging = FALSE;
    H_DATABASE_bFetchBoolean(FCID("SJIG"), &bJigging, nullptr, nullptr);
    s_bJiggingModeOn = bJigging ? TRUE : FALSE;
    U32 u32Rate = 11;
    H_DATABASE_bFetchU32(FCID("SRPS"), &u32Rate, nullptr, nullptr);
    s_u32MaxPingsPerSecond = u32Rate;
    s_bRecordingActive = FALSE;
    s_bNeedSeekPing = FALSE;
    s_bReverseScroll = FALSE;
    L_MUTEX_LockWait(RES_SONAR_SHARE);
    U_PING_vSetPlayback(FALSE);
    L_MUTEX_Unlock(RES_SONAR_SHARE);
    s_u32PlaybackMode = PLAYBACK_MODE_STOP;
    BOOLEAN bTvg = TRUE;
    H_DATABASE_bFetchBoolean(FCID("STVG"), &bTvg, nullptr, nullptr);
    s_bTvgView = bTvg & 0xFF;

    for (const FOLLOWED_KEY& k : FollowedKeys)
        H_DATABASE_bRegisterForDataWithConditions(k.fcid, PING_MAILBOX, TRUE, k.bInvalid, k.bUpdated);

    vRestoreSonarSources();

    for (FOURCHARID fcid : {FCID("ECPM"), FCID("ENPM"), FCID("ELPM")})
        H_DATABASE_bRegisterForDataWithConditions(fcid, PING_MAILBOX, TRUE, FALSE, TRUE);
    H_DATABASE_bRegisterForDataWithConditions(FCID("YSWA"), PING_MAILBOX, TRUE, FALSE, FALSE);
    H_DATABASE_bRegisterForDataWithConditions(FCID("YSLD"), PING_MAILBOX, TRUE, FALSE, FALSE);
    H_DATABASE_bUpdateEverythingU32(FCID("SLFD"), 0, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("TPNG"), PING_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_vSendMailboxAllRegisteredItems(PING_MAILBOX);
}

void vHandleNewData(FOURCHARID fcid, U32 u32Value)
{
    switch (fcid) {
    case FCID("CPSP"):
        vPlaybackModeChanged(u32Value);
        break;
    case FCID("YJIG"):
        s_bJiggingModeOn = u32Value ? TRUE : FALSE;
        log_me("[%d]%s: s_bJiggingModeOn = %d\n", __LINE__, __func__, (int)s_bJiggingModeOn);
        break;
    case FCID("YSLD"):
        s_bAutoRange = T_N_PING_bAutoDepthRange(fFloat(u32Value), s_eDepthUnits);
        break;
    case FCID("YMSD"):
        vWriteU32(FCID("SMDD"), u32Value);
        L_SEMA_Signal(SEMA_NVRAM_UPDATE);
        break;
    case FCID("CSRE"):
        if (u32Value && !s_bRecordingActive)
            s_TimeStampOfLastPing = (TICKS)L_CLOCK_qwGetTimeInTicks();
        s_bRecordingActive = u32Value ? TRUE : FALSE;
        break;
    case FCID("SSMD"): {
        const float fDepth = fFloat(u32Value);
        s_fMaxDepthToPing = fDepth < (float)dConvertToInternal(2.0, D_DEPTH, U_FEET) ? 0.0f : fDepth;
        break;
    }
    case FCID("SSTC"):
        s_u32TransmitCycles = u32Value;
        break;
    case FCID("SSTP"):
        s_u32TransmitPower = u32Value;
        break;
    case FCID("SLFD"):
        s_u32LowFrequencyDelay = u32Value;
        break;
    case FCID("YSWA"):
        s_u32WaterType = u32Value & 0xFFFF;
        if (s_u32WaterType == WATER_TYPE_DEEP)
            vDeepWaterStart();
        break;
    case FCID("ELPM"):
        s_u32LocalPingMask = u32Value;
        s_bPingMaskChanged = TRUE;
        log_me("[%d]: t_n_ping - ELPM = %d\n", __LINE__, (int)u32Value);
        break;
    case FCID("ECPM"):
        s_u32ClientPingMask = u32Value;
        s_bPingMaskChanged = TRUE;
        log_me("[%d]: t_n_ping - ECPM = %d\n", __LINE__, (int)u32Value);
        break;
    case FCID("ENPM"):
        s_u32NetworkPingMask = u32Value;
        log_me("[%d]: t_n_ping - ENPM = %d\n", __LINE__, (int)u32Value);
        break;
    case FCID("YSPL"):
        s_u32SweepMode = u32Value;
        break;
    case FCID("STVG"):
        s_bTvgView = (BOOLEAN)(u32Value & 0xFF);
        break;
    case FCID("SSEN"):
        vSonarOnOff(u32Value ? TRUE : FALSE);
        break;
    case FCID("SUDP"):
        s_eDepthUnits = (UNIT_TYPE)u32Value;
        break;
    case FCID("MSSS"):
    case FCID("YMSS"):
        U_PING_vSetMSSDeployState(u32Value == MSS_DEPLOYED ? TRUE : FALSE);
        break;
    case FCID("SRPS"):
        s_u32MaxPingsPerSecond = u32Value;
        break;
    case FCID("SSSR"):
        s_fSideRange = fFloat(u32Value);
        s_bNewSideRange = TRUE;
        break;
    case FCID("YSPS"):
    case FCID("SSPS"):
        s_u32SectorStepFactor = u32Value & 0xFFFF;
        break;
    case FCID("YBMT"):
        if (u32Value != BOW_MOUNT_UNKNOWN)
            s_bBowMounted = u32Value ? TRUE : FALSE;
        break;
    case FCID("CVEW"):
        L_MUTEX_LockWait(RES_SONAR_SHARE);
        U_PING_vSetCurrentView((LAYER_ID)u32Value);
        if (s_u32WaterType == WATER_TYPE_DEEP && (LAYER_ID)u32Value == SONAR_DUAL_BEAM_VIEW_PRIORITY &&
            U_PING_beamGetBeamSelected() == 1)
            vDeepWaterStart();
        L_MUTEX_Unlock(RES_SONAR_SHARE);
        break;
    case FCID("CCST"):
        vSystemStateChanged(u32Value);
        break;
    case FCID("SSSV"):
        L_MUTEX_LockWait(RES_SONAR_SHARE);
        U_PING_vSetBeamSelected((BEAM)u32Value);
        if (s_u32WaterType == WATER_TYPE_DEEP && (u32Value == 0 || u32Value == 4))
            vDeepWaterStart();
        L_MUTEX_Unlock(RES_SONAR_SHARE);
        break;
    case FCID("MHBT"):
    case FCID("YHBT"):
        vHeartbeat360();
        break;
    case FCID("SSTS"):
        vTransducerChanged(u32Value);
        break;
    default:
        // "SSCL", "SSSF", "SASR", "SJIG" and "SSES" are read afresh where
        // they are used.
        break;
    }
}

} // namespace t_n_ping

// ---- Public calls ----

void T_N_PING_vSetSonarViewEnable(void)
{
    BOOLEAN bShown = FALSE;
    BOOLEAN bFeatures = FALSE, bFeaturesValid = FALSE, bSonarOn = FALSE;
    const bool bNetworkFeatures =
        H_DATABASE_bFetchBoolean(FCID("SFEF"), &bFeatures, &bFeaturesValid, nullptr) && bFeaturesValid && bFeatures;
    auto state = [](U32 s) { return U_PING_eGetNetworkClientState(s); };
    if (U_PING_bGetPlayback()) {
        bShown = TRUE;
    } else if (bNetworkFeatures && (state(SONAR_SOURCE_2D) == NETWORK_CLIENT_STATE_CONNECTED ||
                                    state(SONAR_SOURCE_KV) == NETWORK_CLIENT_STATE_CONNECTED ||
                                    state(SONAR_SOURCE_360) == NETWORK_CLIENT_STATE_CONNECTED)) {
        bShown = TRUE;
    } else if (!bTransducerDetected() || !H_DATABASE_bFetchBoolean(FCID("SSEN"), &bSonarOn, nullptr, nullptr) ||
               !bSonarOn) {
        bShown = FALSE;
    } else {
        bShown = (state(SONAR_SOURCE_2D) == NETWORK_CLIENT_STATE_LOCAL ||
                  state(SONAR_SOURCE_KV) == NETWORK_CLIENT_STATE_LOCAL)
                     ? TRUE
                     : FALSE;
    }
    H_DATABASE_bUpdateValueBoolean(FCID("ISEN"), bShown, P_NORMAL);
}

void T_N_PING_vSetPingBitMask(BOOLEAN b2D, BOOLEAN bKV, BOOLEAN bFV, BOOLEAN b360)
{
    const U32 u32Old = u32ReadMask(FCID("ELPM"));
    U32 u32New = u32Old;
    const BOOLEAN abWanted[SONAR_SOURCE_COUNT] = {b2D, bKV, bFV, b360};
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s) {
        if (abWanted[s])
            S_TRANSDUCER_vSetElementBit(&u32New, (NET_SOURCE_TYPE)s);
        else
            S_TRANSDUCER_vUnsetElementBit(&u32New, (NET_SOURCE_TYPE)s);
    }
    log_me("[%d]%s: ELPM 0x%X -> 0x%X\n", __LINE__, __func__, u32Old, u32New);
    vWriteMask(FCID("ELPM"), u32New);
}

U32 T_N_PING_u32GetSourcesSelectedByLocal(void) { return s_u32NetworkPingMask | s_u32LocalPingMask; }

U32 T_N_PING_u32GetSourcesToPingOnLocalTx(void) { return s_u32ClientPingMask | s_u32LocalPingMask; }

BOOLEAN T_N_PING_bAutoDepthRange(float fLowerDepthSetting, UNIT_TYPE eUnits)
{
    const double dShown = dConvertFromInternal(fLowerDepthSetting, D_DEPTH, eUnits);
    switch (eUnits) {
    case U_FEET:
        return dShown < 2.0 ? TRUE : FALSE;
    case U_METRES:
    case U_FATHOMS:
        return dShown < 1.0 ? TRUE : FALSE;
    default:
        return FALSE;
    }
}
