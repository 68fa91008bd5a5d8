// The processing task (see the header): start, the mail loop, the keys it
// owns and follows, the playback mode, and the pacing of history columns.
//
// States of the task: starting (until semaphore 220), running, and shut
// down (after command 1), where every ping mail's descriptor still goes
// back to queue 9 so that the ping task is never starved, and nothing is
// processed.
#include "sonar/process/t_n_process.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_depth.h"
#include "sonar/dsp/s_filter.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_tvg.h"
#include "sonar/history/t_n_history.h"
#include "sonar/neighbour_standins.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/process/t_n_process_state.h"
#include "store/h_database.h"
#include "ui/u_keyboard.h"
#include "util/u_convert.h"

#include <cstring>

namespace t_n_process {

const PROCESS_CALLS REAL_CALLS = {
    S_TVG_TvgRawSonar,          S_FILTER_v2of2Filter,           S_FILTER_vGetExponentialAverageData,
    S_FILTER_vNoiseRemoval,     S_DEPTH_u32FindDepth,           S_FISHID_vScanForFish,
    S_FISHID_vMergeFishTargetLists, T_MMC_vSaveRawDataToMMC,    T_N_HISTORY_vAddColumns,
    T_N_HISTORY_vProcessPPISonar, S_TRANSDUCER_u8CurrentTransducer,
};
PROCESS_CALLS g_Calls = REAL_CALLS;

std::atomic<BOOLEAN> s_bSonarEnabled{TRUE};
std::atomic<U32> s_u32SystemState{0};
std::atomic<U32> s_u32PlaybackMode{PLAYBACK_MODE_STOP};
BOOLEAN s_bRecordSonarActive = FALSE;
BOOLEAN s_bPrepareForPlayback = FALSE;
BOOLEAN s_bReverseScroll = FALSE;
U32 s_u32RefillAccumulatorBeams = 0;
std::atomic<U32> s_u32MSSState{0};
U32 s_u32MSSSweepState = 0;
FOURCHARID s_fcidSideViewFreq = FCID("SSF4");
std::atomic<U32> s_BeamSelected{1};
std::atomic<S32> s_CurrentView{-2};
std::atomic<U32> db_u32WaterType{WATER_FRESH};
U32 db_u32FishSensitivity = 5;
std::atomic<float> db_fDepthAlarm{0.0f};
U8 u8FishIDCutOffThreshold50kHz = 80;
U8 u8FishIDCutOffThreshold83kHz = 100;
U8 u8FishIDCutOffThreshold200kHz = 160;
U8 u8FishIDCutOffThreshold455kHz = 255;
BOOLEAN s_bExpAverageSelect = TRUE;
U32 s_u32ExpAverageFactor = 3;
BOOLEAN s_bSelectTvgView = TRUE;
std::atomic<BOOLEAN> s_bJiggingModeOn{FALSE};
std::atomic<U32> s_u32DigitalDepthSource{0};
std::atomic<U32> s_u32SideScanFilter{0};
std::atomic<BOOLEAN> s_bTerrainMode{FALSE};
std::atomic<U32> s_u32SonarNetworkElementSelect{0};
std::atomic<float> s_fLowerDepth{0.0f};
std::atomic<float> s_fCurrentDepth{0.0f};
U32 s_u32LastProcessed2DBeam = 0;
U32 s_u32SupportedBeams = 0;
BOOLEAN s_bShutdown = FALSE;
std::atomic<U32> s_u32ForeignBeamPings{0};

} // namespace t_n_process

using namespace t_n_process;

namespace {

constexpr const char* SOURCE = "t_n_process";

constexpr U32 SYS_SIMULATION = 4;
constexpr U32 SYS_POINT_OF_SALE = 6;
constexpr U32 SYS_PLAYBACK = 11;
constexpr U32 TRANSDUCER_455_DOWN = 15;
constexpr U32 BEAM_BIT_800KHZ = 1u << 11;
constexpr U32 BEAM_BIT_262KHZ = 1u << 12;
constexpr U32 LF_BEAM_BITS = 0x6;   // bits 1 and 2
constexpr U32 HF455_BEAM_BIT = 0x8; // bit 3
constexpr U32 REFILL_PINGS = 6;

// ---- Column pacing state ----

U32 s_u32ChartSpeed = 0;
U32 su32PingCnt[ACCUMULATOR_BEAMS] = {};
U32 su32ColumnCnt[ACCUMULATOR_BEAMS] = {};
BOOLEAN bBeamSeq1[ACCUMULATOR_BEAMS] = {};
BOOLEAN bBeamSeq2[ACCUMULATOR_BEAMS] = {};
U8 u8SequenceCnt = 0;
U8 u8LastBeam = 0;
BOOLEAN bFirst = TRUE;

// ---- Texts ----

const char* s_acDepthAlarm[DB_NUM_LANGUAGES] = {"Depth Alarm"};
const char* s_acDepthOffset[DB_NUM_LANGUAGES] = {"Depth Offset"};
const char* s_acWaterType[DB_NUM_LANGUAGES] = {"Water Type"};
const char* s_acBeamWidth[DB_NUM_LANGUAGES] = {"Keelview Beam Width"};
const char* s_acFishSensitivity[DB_NUM_LANGUAGES] = {"Fish ID Sensitivity"};
const char* s_acDepth[DB_NUM_LANGUAGES] = {"Depth"};

// ---- Helpers ----

U32 u32Key(FOURCHARID fcid, U32 u32Absent)
{
    U32 u32 = u32Absent;
    H_DATABASE_bFetchU32(fcid, &u32, nullptr, nullptr);
    return u32;
}

void vFollow(FOURCHARID fcid) { H_DATABASE_bRegisterForDataWithConditions(fcid, PROCESS_MAILBOX, TRUE, FALSE, FALSE); }

void vDefaultU32(FOURCHARID fcid, U32 u32Value, U32 u32Priority, DATA_TYPE type = D_UNKNOWN,
                 const char* (*pText)[DB_NUM_LANGUAGES] = nullptr)
{
    H_DATABASE_bUpdateEverythingU32(fcid, u32Value, u32Priority, type, pText, DB_TIMEOUT_NEVER);
}

void vDefaultFloat(FOURCHARID fcid, float fValue, U32 u32Priority, const char* (*pText)[DB_NUM_LANGUAGES] = nullptr)
{
    H_DATABASE_bUpdateEverythingFloat(fcid, fValue, u32Priority, D_DEPTH, pText, DB_TIMEOUT_NEVER);
}

void vDefaultBoolean(FOURCHARID fcid, BOOLEAN bValue, U32 u32Priority)
{
    H_DATABASE_bUpdateEverythingBoolean(fcid, bValue, u32Priority, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void vReturnDescriptor(PING_DESCRIPTOR* pDescriptor)
{
    if (L_QUEUE_Put(Q_PING, &pDescriptor) != 0) {
        ERROR_error(SOURCE, __LINE__, "Couldn't return descriptor to queue");
        U_RESET_vReset(FALSE, FALSE);
    }
}

// "CSRE": a recording opens or closes.
void vRecordChange(U32 u32Value)
{
    if (u32Value != 0) {
        if (T_MMC_bOpenSonarMMCFiles()) {
            s_bRecordSonarActive = TRUE;
        } else {
            L_SEMA_Signal(SEMA_KEYCLICK_BAD);
            H_DATABASE_bUpdateValueU32(FCID("CSRE"), 0, P_NORMAL);
            T_MMC_vDrawErrorMessage();
        }
    } else if (s_bRecordSonarActive) {
        T_MMC_vCloseSonarMMCFiles(FALSE);
        s_bRecordSonarActive = FALSE;
    }
}

// "YSSV": a selection the 2D transducer cannot ping falls back to 200 kHz.
void vBeamSelection(U32 u32Selection)
{
    if (u32Selection == 3 || u32Selection > 4)
        u32Selection = 4;
    const U8 u8Transducer = (U8)u32Key(FCID("YST1"), 0);
    const U32 u32Beams = S_TRANSDUCER_u32GetBeamsForTransducerAndSource(u8Transducer, SONAR_SOURCE_2D) &
                         s_u32SupportedBeams;
    if (((u32Beams & LF_BEAM_BITS) == 0 && (u32Selection == 0 || u32Selection == 4)) ||
        ((u32Beams & HF455_BEAM_BIT) == 0 && u32Selection == 2))
        u32Selection = 1;
    s_BeamSelected = u32Selection;
    if (u32Selection == 0) {
        BeamDepthHistory.u32HFBeamValidCnt = 0;
        BeamDepthHistory.u32LFBeamValidCnt = 6;
    }
}

void vSideViewFrequency(FOURCHARID fcid)
{
    if ((fcid == FCID("SSF3") && (s_u32SupportedBeams & BEAM_BIT_262KHZ) == 0) ||
        (fcid == FCID("SSF5") && (s_u32SupportedBeams & BEAM_BIT_800KHZ) == 0)) {
        log_me("[%d]%s: imaging frequency %08x not supported\n", __LINE__, __func__, (unsigned)fcid);
        return;
    }
    s_fcidSideViewFreq = fcid;
    log_me("[%d]%s: imaging frequency %08x\n", __LINE__, __func__, (unsigned)fcid);
}

void vBlankScroll(BEAM Beam)
{
    vClearAccumulator(Beam);
    if (bCheckAddColumns(Beam, 5, g_Calls.pfnCurrentTransducer(1)))
        vAddNewColumns(Beam, 0);
}

} // namespace

// ---- Keys ----

void t_n_process::vRegisterDatabaseItems(BOOLEAN bForceFactoryDefaults)
{
    const U32 u32Priority = bForceFactoryDefaults ? P_NORMAL : P_DEFAULT_SETTING;
    U32 u32 = 0;
    if (H_DATABASE_bFetchU32(FCID("CPSP"), &u32, nullptr, nullptr))
        s_u32PlaybackMode = u32;
    vFollow(FCID("CSRE"));
    if (H_DATABASE_bFetchU32(FCID("CCST"), &u32, nullptr, nullptr))
        s_u32SystemState = u32;
    vFollow(FCID("CCST"));

    for (FOURCHARID fcid : {FCID("SSDA"), FCID("YSDA")})
        vDefaultFloat(fcid, 0.0f, u32Priority, &s_acDepthAlarm);
    vFollow(FCID("YSDA"));
    vDefaultU32(FCID("SSCL"), 5, u32Priority);
    for (FOURCHARID fcid : {FCID("SSNF"), FCID("YSNF")})
        vDefaultU32(fcid, 25, u32Priority);
    for (FOURCHARID fcid : {FCID("SSNU"), FCID("YSNU")})
        vDefaultU32(fcid, 75, u32Priority);
    vDefaultU32(FCID("SSSL"), 0, u32Priority);
    vFollow(FCID("SSSL"));
    for (FOURCHARID fcid : {FCID("SDPO"), FCID("YDPO")})
        vDefaultFloat(fcid, 0.0f, u32Priority, &s_acDepthOffset);
    vDefaultU32(FCID("SSZC"), 0, u32Priority);
    for (FOURCHARID fcid : {FCID("SSWA"), FCID("YSWA")})
        vDefaultU32(fcid, WATER_FRESH, u32Priority, D_UNKNOWN, &s_acWaterType);
    vFollow(FCID("YSWA"));
    vDefaultU32(FCID("SDBW"), 2, u32Priority, D_UNKNOWN, &s_acBeamWidth);
    vFollow(FCID("SDBW"));
    for (FOURCHARID fcid : {FCID("SSFS"), FCID("YSFS")})
        vDefaultU32(fcid, 5, u32Priority, D_UNKNOWN, &s_acFishSensitivity);
    vFollow(FCID("YSFS"));
    const struct {
        FOURCHARID fcid;
        U32 u32Default;
    } aCutOffs[] = {{FCID("SSN8"), 100}, {FCID("SSN5"), 80}, {FCID("SSN2"), 160}, {FCID("SSN4"), 255}};
    for (const auto& c : aCutOffs) {
        vDefaultU32(c.fcid, c.u32Default, u32Priority);
        vFollow(c.fcid);
    }
    vDefaultU32(FCID("CSRB"), 255, P_UNOWNED);
    vDefaultU32(FCID("BDEP"), FCID("IDEP"), P_NORMAL, D_FCID, &s_acDepth);
    H_DATABASE_bUpdateEverythingS32(FCID("SSDB"), 1637, u32Priority, D_SIGNED32, nullptr, DB_TIMEOUT_NEVER);
    vDefaultFloat(FCID("SSSD"), (float)dConvertToInternal(1.0, D_DEPTH, U_FEET), u32Priority);
    H_DATABASE_bUpdateEverythingS32(FCID("SSMB"), 3, u32Priority, D_SIGNED32, nullptr, DB_TIMEOUT_NEVER);
    vDefaultU32(FCID("TSNR"), PROCESS_MAILBOX, P_NORMAL, D_MAILBOX);
    vFollow(FCID("ISEN"));

    // The alternative gain view is off where pings are synthesised.
    const U32 u32State = u32Key(FCID("CCST"), 0);
    const BOOLEAN bTvgView = (u32State == SYS_SIMULATION || u32State == SYS_POINT_OF_SALE) ? FALSE : TRUE;
    for (FOURCHARID fcid : {FCID("STVG"), FCID("YTVG")})
        vDefaultBoolean(fcid, bTvgView, u32Priority);
    s_bSelectTvgView = bTvgView;
    vFollow(FCID("YTVG"));
    vDefaultBoolean(FCID("SEAS"), TRUE, u32Priority);
    s_bExpAverageSelect = TRUE;
    vFollow(FCID("SEAS"));
    vDefaultU32(FCID("SEAF"), 3, u32Priority);
    S_FILTER_vInitExponentialAverageData();
    vFollow(FCID("SEAF"));
    vFollow(FCID("SITM"));
    vDefaultBoolean(FCID("SJIG"), FALSE, u32Priority);
    BOOLEAN bJigging = FALSE;
    if (H_DATABASE_bFetchBoolean(FCID("SJIG"), &bJigging, nullptr, nullptr))
        s_bJiggingModeOn = bJigging ? TRUE : FALSE;
    vFollow(FCID("SJIG"));
    vFollow(FCID("YJIG"));
    vDefaultU32(FCID("SDDS"), 0, u32Priority);
    s_u32DigitalDepthSource = u32Key(FCID("SDDS"), 0);
    vFollow(FCID("SDDS"));
    for (FOURCHARID fcid : {FCID("YSSV"), FCID("YSSF"), FCID("YSLD"), FCID("CVEW"), FCID("ENPM"), FCID("YMSS"),
                            FCID("YSPL")})
        vFollow(fcid);

    H_DATABASE_vSendMailboxAllRegisteredItems(PROCESS_MAILBOX);
}

void t_n_process::vHandleNewData(FOURCHARID fcid, DB_DATA_TYPE value)
{
    const U32 u32 = value.u32Val;
    switch (fcid) {
    case FCID("YSPL"): s_u32MSSSweepState = u32; break;
    case FCID("YSWA"): db_u32WaterType = u32; break;
    case FCID("SSN5"): u8FishIDCutOffThreshold50kHz = (U8)u32; break;
    case FCID("SSN2"): u8FishIDCutOffThreshold200kHz = (U8)u32; break;
    case FCID("SSN4"): u8FishIDCutOffThreshold455kHz = (U8)u32; break;
    case FCID("SSN8"): u8FishIDCutOffThreshold83kHz = (U8)u32; break;
    case FCID("YSDA"): db_fDepthAlarm = value.fVal; break;
    case FCID("SEAF"): s_u32ExpAverageFactor = u32; break;
    case FCID("YSLD"): s_fLowerDepth = value.fVal; break;
    case FCID("CSRE"): vRecordChange(u32); break;
    case FCID("YJIG"):
        s_bJiggingModeOn = (U8)u32 ? TRUE : FALSE;
        log_me("[%d]%s: s_bJiggingModeOn = %d\n", __LINE__, __func__, (int)s_bJiggingModeOn.load());
        break;
    case FCID("YTVG"): s_bSelectTvgView = (U8)u32 ? TRUE : FALSE; break;
    case FCID("YSSF"): vSideViewFrequency(u32); break;
    case FCID("SDDS"): s_u32DigitalDepthSource = u32; break;
    case FCID("SITM"): s_bTerrainMode = u32 != 0 ? TRUE : FALSE; break;
    case FCID("SSSL"): s_u32SideScanFilter = u32; break;
    case FCID("ENPM"): s_u32SonarNetworkElementSelect = u32; break;
    case FCID("ISEN"):
        if (u32 == 0) {
            s_bSonarEnabled = FALSE;
            H_DATABASE_vDeleteEntry(FCID("IDEP"));
        } else {
            s_bSonarEnabled = TRUE;
        }
        break;
    case FCID("SEAS"): {
        const BOOLEAN bWas = s_bExpAverageSelect;
        s_bExpAverageSelect = (U8)u32 ? TRUE : FALSE;
        if (s_bExpAverageSelect && !bWas)
            S_FILTER_vInitExponentialAverageData();
        break;
    }
    case FCID("YMSS"):
    case FCID("MSSS"):
        s_u32MSSState = u32;
        log_me("[%d]%s: 360 state %u\n", __LINE__, __func__, (unsigned)u32);
        break;
    case FCID("YSFS"): db_u32FishSensitivity = u32; break;
    case FCID("YSSV"): vBeamSelection(u32); break;
    case FCID("CVEW"): s_CurrentView = (S32)u32; break;
    case FCID("CCST"):
        s_u32SystemState = u32;
        if (u32 == SYS_PLAYBACK)
            s_bPrepareForPlayback = TRUE;
        break;
    default: break;
    }
}

// ---- Mails ----

void t_n_process::vHandleMail(GENERIC_MESSAGE* pMail)
{
    if (s_bShutdown) {
        if (pMail->Cmd == CMD_ID_SONAR_PROCESS_PING && ((PING_MESSAGE*)pMail)->pReturnDescriptor != nullptr)
            vReturnDescriptor(((PING_MESSAGE*)pMail)->pReturnDescriptor);
        H_MEMORY_vDumpMail(&pMail->msghdr);
        return;
    }
    switch (pMail->Cmd) {
    case CMD_ID_SHUTDOWN:
        if (s_bRecordSonarActive) {
            T_MMC_vCloseSonarMMCFiles(FALSE);
            s_bRecordSonarActive = FALSE;
        }
        s_bShutdown = TRUE;
        break;
    case CMD_ID_NEW_DATA: {
        const MESSAGE_NEW_DATA* pNew = (const MESSAGE_NEW_DATA*)pMail;
        vHandleNewData(pNew->FourCharId, pNew->dbValue);
        break;
    }
    case CMD_ID_RESET_POS:
        vRegisterDatabaseItems(TRUE);
        break;
    case CMD_ID_SONAR_PROCESS_PING:
        if (((PING_MESSAGE*)pMail)->pReturnDescriptor != nullptr)
            vProcessPing(((PING_MESSAGE*)pMail)->pReturnDescriptor);
        break;
    case CMD_ID_BLANK_SCROLL_PING:
        vBlankScroll(((MSG_BLANK_SCROLL_PING*)pMail)->Beam);
        break;
    case CMD_ID_NEW_PLAYBACK_STATE:
        T_N_PROCESS_vSetPlaybackMode(((MSG_NEW_PLAYBACK_STATE*)pMail)->u32NewPlaybackState);
        break;
    default:
        break;
    }
    H_MEMORY_vDumpMail(&pMail->msghdr);
}

// ---- Columns ----

BOOLEAN t_n_process::bCheckAddColumns(BEAM Beam, U8, U8)
{
    const BOOLEAN bEnabled = s_bSonarEnabled.load();
    const U32 u32Network = s_u32SonarNetworkElementSelect.load();
    if (Beam == 0 || Beam == 1 || (Beam == 2 && g_Calls.pfnCurrentTransducer(0) == TRANSDUCER_455_DOWN)) {
        if (u32Key(FCID("YST1"), 0) == 0)
            return FALSE;
        return bEnabled || S_TRANSDUCER_u32GetElementBit(u32Network, SONAR_SOURCE_2D) ? TRUE : FALSE;
    }
    if (Beam == 3 && u32Key(FCID("YST2"), 0) != 0 &&
        (bEnabled || S_TRANSDUCER_u32GetElementBit(u32Network, SONAR_SOURCE_KV)))
        return TRUE;
    if (Beam == 2 || Beam == 3) {
        if (u32Key(FCID("YST3"), 0) == 0)
            return FALSE;
        return bEnabled || S_TRANSDUCER_u32GetElementBit(u32Network, SONAR_SOURCE_FV) ? TRUE : FALSE;
    }
    return FALSE;
}

void t_n_process::vResetPacing(void)
{
    s_u32ChartSpeed = 0;
    memset(su32PingCnt, 0, sizeof su32PingCnt);
    memset(su32ColumnCnt, 0, sizeof su32ColumnCnt);
    memset(bBeamSeq1, 0, sizeof bBeamSeq1);
    memset(bBeamSeq2, 0, sizeof bBeamSeq2);
    u8SequenceCnt = 0;
    u8LastBeam = 0;
    bFirst = TRUE;
}

void t_n_process::vAddNewColumns(BEAM Beam, U8 u8Transducer)
{
    if (Beam >= ACCUMULATOR_BEAMS)
        return;
    U32 u32Speed = u32Key(FCID("SSSP"), 0);
    if (s_u32SystemState == SYS_PLAYBACK) {
        const U32 u32Mode = s_u32PlaybackMode;
        if (u32Mode == PLAYBACK_MODE_4XREVERSE || u32Mode == PLAYBACK_MODE_4XFORWARD)
            u32Speed *= 4;
        else if (u32Mode == PLAYBACK_MODE_2XREVERSE || u32Mode == PLAYBACK_MODE_2XFORWARD)
            u32Speed *= 2;
    }
    if (s_fCurrentDepth > 50.0f)
        u32Speed *= 2;
    if (u32Speed != s_u32ChartSpeed) {
        memset(su32PingCnt, 0, sizeof su32PingCnt);
        memset(su32ColumnCnt, 0, sizeof su32ColumnCnt);
        s_u32ChartSpeed = u32Speed;
    }

    // A ping is worth speed / 5 columns; the fraction carries over until
    // the total is whole again.
    ++su32PingCnt[Beam];
    const U32 u32Total = su32PingCnt[Beam] * u32Speed;
    const S32 n = (S32)(float)((double)(float)u32Total * 0.2 - (double)su32ColumnCnt[Beam]);
    if (n > 0) {
        if (u32Total % 5 == 0) {
            su32PingCnt[Beam] = 0;
            su32ColumnCnt[Beam] = 0;
        } else {
            su32ColumnCnt[Beam] += (U32)n;
        }
        g_Calls.pfnAddColumns((U32)n, Beam, u8Transducer);
    }

    // A beam pinged only every other cycle keeps scrolling with the others.
    if (s_bJiggingModeOn)
        return;
    if (Beam < u8LastBeam && !bFirst)
        ++u8SequenceCnt;
    if (u8SequenceCnt == 0) {
        bBeamSeq1[Beam] = TRUE;
    } else if (u8SequenceCnt == 1) {
        bBeamSeq2[Beam] = TRUE;
    } else {
        for (BEAM b = 0; b < ACCUMULATOR_BEAMS; ++b)
            if (bBeamSeq1[b] != bBeamSeq2[b] && n > 0)
                g_Calls.pfnAddColumns((U32)n, b, u8Transducer);
        memset(bBeamSeq1, 0, sizeof bBeamSeq1);
        memset(bBeamSeq2, 0, sizeof bBeamSeq2);
        u8SequenceCnt = 0;
        bBeamSeq1[Beam] = TRUE;
    }
    u8LastBeam = Beam;
    bFirst = FALSE;
}

// ---- Playback ----

void T_N_PROCESS_vSetPlaybackMode(U32 u32NewMode)
{
    if (u32NewMode == s_u32PlaybackMode)
        return;
    if (s_u32SystemState == SYS_PLAYBACK) {
        const BOOLEAN bReverse = T_N_HISTORY_bReverseScrollForMode(u32NewMode, s_bReverseScroll);
        const bool bChanged = (bReverse != FALSE) != (s_bReverseScroll != FALSE);
        s_bReverseScroll = bReverse;
        if (s_u32PlaybackMode == PLAYBACK_MODE_END_FILL) {
            T_N_HISTORY_vSetReverseScroll(bReverse, FALSE);
        } else if (bChanged) {
            if (u32NewMode == PLAYBACK_MODE_END_FILL) {
                T_N_HISTORY_vSetReverseScroll(bReverse, TRUE);
            } else {
                U32 au32Stamps[ACCUMULATOR_BEAMS] = {};
                T_N_HISTORY_vLookupColumnPingTimeStamps(bReverse, au32Stamps);
                T_MMC_vSeekPingsInPlaybackFile(au32Stamps);
                T_N_HISTORY_vSetReverseScroll(bReverse, FALSE);
            }
            s_u32RefillAccumulatorBeams = REFILL_PINGS;
        }
    } else if (s_bReverseScroll) {
        s_bReverseScroll = FALSE;
        T_N_HISTORY_vSetReverseScroll(FALSE, FALSE);
    }
    s_u32PlaybackMode = u32NewMode;
}

// ---- Start and the mail loop ----

void t_n_process::vStart(void)
{
    vResetPacing();
    s_bShutdown = FALSE;
    vRegisterDatabaseItems(FALSE);
    vInitializeAccumulators();
    S_DEPTHALARM_vInitDepthAlarms();
    s_u32SupportedBeams = S_TRANSDUCER_u32GetBeamsSupportedByModel();
    vResetBeamDepthHistory();
}

void T_N_PROCESS_vMain(void)
{
    vStart();
    L_SEMA_Wait(SEMA_PROCESS_WAIT_HISTORY);
    for (;;) {
        L_SEMA_Wait(SEMA_MBOX_PROCESS);
        while (MSGHEADER* pMail = L_MBOX_Receive(PROCESS_MAILBOX))
            vHandleMail((GENERIC_MESSAGE*)pMail);
    }
}
