// The sonar history task (see the header): its static buffers, start-up,
// wait, mailbox and semaphore actions, and the follow-up actions of the
// settings handlers.
//
// States of the task: starting (keys registered and "TSMG" published, then
// the windows, stores and bitmaps built, semaphore 220, the wait for the
// view, ping and processing tasks), running (each wake is handled to the
// end before the next), shut down (after command 1 no new data is handled;
// once the drain that brought it is over, every later mail is only
// disposed of, so that senders waiting for an acknowledgement go on).
//
// Every buffer is static and lives as long as the process: four column
// stores of 820 columns with a 2048-byte sample slot each, five history
// bitmaps over 820 x 600 pixels each and two 400 x 300 zoom bitmaps.
#include "sonar/dsp/s_coproc.h" // g_u32SpeedOfSoundInWater
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_conf.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/history/t_n_history_cursor.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "accessories/t_alarm.h"
#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_buffers.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_ppi_motor.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/ping/u_ping.h"
#include "store/h_database.h"
#include "ui/u_menu_client.h"
#include "ui/u_view.h"

#include <cstring>

// ---- Shared records and state ----

namespace t_n_history {

namespace {

SONAR_VIEW_INFO initialViewInfo(void)
{
    SONAR_VIEW_INFO v = {};
    for (SONAR_WINDOW& w : v.Window) {
        w.Beam = SONAR_NO_BEAM;
        w.ScreenHistory.Resource = RES_HISTORY;
        w.u32HistoryHeight = 600;
        w.u32DepthRangeLookback = 40;
    }
    v.RTSBeam = SONAR_NO_BEAM;
    v.u32RTSWidth = 66;
    v.u32DepthLines = 3;
    v.u32ChartSpeed = 5;
    v.unitsDepth = U_METRES;
    v.fMinDepthRangeDifference = 3.0f;
    v.bColorIntensityBar = TRUE;
    v.fBottomRange = 5.0f;
    v.eQuadLayout = QUAD_LAYOUT_HORIZONTAL;
    return v;
}

} // namespace

SONAR_VIEW_INFO SonarViewInfo = initialViewInfo();
BEAM_INFO s_sBeamInfo[SONAR_BEAMS];
FULL_SCREEN_TSU TSUStore[SONAR_STORED_BEAMS];
FV_ZOOM_WINDOW_TYPE FvZoomWin;
FV_ZOOM_WINDOW_TYPE KvZoomWin;
COLOR s_aColorColumnMain[SONAR_WINDOWS][HISTORY_MEMORY_ROWS];
COLOR s_aColorColumnZoom[HISTORY_MEMORY_ROWS];

std::atomic<LAYER_ID> CurrentView{NO_VIEW_PRIORITY};
BEAM s_beamSelect = 1;
std::atomic<U32> db_u32SideBeamView{SIDE_BEAM_BOTH};
std::atomic<U32> s_db_TransducerSelectArray[3] = {0, 0, 0};
float s_fCurrentDepth = 0.0f;
U32 s_u32UnZoomedWidth = 400;
float s_fCurrentDisplayedLowerRange = 0.0f;
std::atomic<U32> s_u32MSSIconYoffset{0};
BOOLEAN s_bZoomKeysRegistered = FALSE;
BOOLEAN s_bCursorKeysRegistered = FALSE;
BOOLEAN s_bFvZoomKeysRegistered = FALSE;
BOOLEAN s_bKVZoomKeysRegistered = FALSE;
U32 s_u32SupportedBeams = 0;

std::atomic<COLOR> BackGroundColor{0};
std::atomic<BOOLEAN> bRtsWindowUpdateable{FALSE};
std::atomic<BOOLEAN> db_SonarEnabled{TRUE};
std::atomic<U32> s_u32NetworkPingMask{0};
std::atomic<BOOLEAN> s_bCursorActive{FALSE};

std::atomic<BOOLEAN> bForceResample{FALSE};
std::atomic<BOOLEAN> s_bPPIDisplayReset{FALSE};
std::atomic<BOOLEAN> s_bClearFVBuffer{FALSE};
std::atomic<BOOLEAN> s_bSweepingUsedAsSide{FALSE};
std::atomic<BOOLEAN> s_bMSSDeployed{FALSE};
std::atomic<BOOLEAN> s_bMSSConnected{FALSE};
std::atomic<BOOLEAN> s_bPodIsBowMounted{FALSE};
std::atomic<BOOLEAN> s_bEnableShortTxPing{FALSE};
std::atomic<BOOLEAN> s_bNon360FVOrQuadViewLastVisited{TRUE};
std::atomic<BOOLEAN> s_bSweepSpeedAlarmWait{FALSE};
std::atomic<BOOLEAN> s_bFvEnhanceDialogActive{FALSE};
std::atomic<BOOLEAN> s_bKvEnhanceDialogActive{FALSE};
std::atomic<U32> s_u32PPIViewOffset{1};
std::atomic<U32> s_u32PPIViewOffsetSaved{1};
std::atomic<U32> s_u32TempPPIViewOffset{1};
std::atomic<U32> s_u32SweepStatus{1};
std::atomic<float> s_fCurrentSpeed{0.0f};
std::atomic<float> s_dbfSpeedAlarm{0.0f};
std::atomic<U8> s_u8IsolateSweepSetuped{0};

TIMER_INFO* s_pTransducerSelectionDelay = nullptr;
TIMER_INFO* pMSSDepthDelayTimer = nullptr;
TIMER_INFO* s_pSidePositionLockDelay = nullptr;
TIMER_INFO* s_pSweepSpeedAlarmDelay = nullptr;
TIMER_INFO* s_pStartSweepingDelay = nullptr;
TIMER_INFO* pMSSViewOffsetDelayTimer = nullptr;
TIMER_INFO* pMSSDelayYASRUpdateTimer = nullptr;
TIMER_INFO* s_pMSSRetractDoneTimer = nullptr;
TIMER_INFO* s_pDeploymentMessageTimer = nullptr;

} // namespace t_n_history

using namespace t_n_history;

namespace {

// ---- Constants ----

constexpr const char* SOURCE = "t_n_history";

constexpr SEMA SEMA_TIMER_TRANSELECTION = 201;
constexpr SEMA SEMA_TIMER_SIDE_POSTION_LOCK = 254;
constexpr SEMA SEMA_TIMER_SWEEP_SPEED_ALARM = 255;
constexpr SEMA SEMA_TIMER_MSS_DEPTH = 256;
constexpr SEMA SEMA_TIMER_MSS_VIEW_OFFSET = 265;
constexpr SEMA SEMA_TIMER_MSS_YASR_DELAY = 266;
constexpr SEMA SEMA_TIMER_START_SWEEPING = 267;
constexpr SEMA SEMA_TIMER_RETRACT_WAIT = 269;
constexpr SEMA SEMA_TIMER_DEPLOYMENT_MSG = 270;

constexpr TICKS TASK_KEY_POLL_MS = 5;
constexpr LAYER_ID FV_ENHANCE_LAYER = 294;
constexpr LAYER_ID KV_ENHANCE_LAYER = 295;
constexpr U32 KEYS_ALL_BUT_CURSOR = 0xFFEF;
constexpr U32 MSS_SOURCE = 3;
constexpr MENU_PRIORITY BOTTOM_RANGE_PRIORITY = (MENU_PRIORITY)50;

// ---- Static buffers ----

constexpr U32 HISTORY_WORDS = HISTORY_MEMORY_COLUMNS * HISTORY_MEMORY_ROWS / 2;
constexpr U32 ZOOM_WORDS = ZOOM_WINDOW_WIDTH * ZOOM_WINDOW_HEIGHT / 2;

U32 s_au32HistoryPixels[SONAR_WINDOWS][HISTORY_WORDS];
U32 s_u32FvZoomBuffer[ZOOM_WORDS];
U32 s_u32KvZoomBuffer[ZOOM_WORDS];
BITMAP s_aHistoryBitmaps[SONAR_WINDOWS];
BITMAP s_FvZoomBitmap;
BITMAP s_KvZoomBitmap;
// Beams 0 and 1 in one array, the imaging beams 2 and 3 in the other.
U8 s_au8TsuSlots2D[2][TSU_STORE_COLUMNS][TSU_SLOT_BYTES];
U8 s_au8TsuSlotsImaging[2][TSU_STORE_COLUMNS][TSU_SLOT_BYTES];

// ---- The task's own state ----

std::atomic<BOOLEAN> s_bShutdown{FALSE};

const SEMA s_aWaitMailOnly[] = {SEMA_MBOX_HISTORY, 0};
// The 360 speed alarm (255) is in both lists, so its check still runs
// while the real-time strip is shown.
const SEMA s_aWaitListA[] = {SEMA_MBOX_HISTORY,
                             SEMA_UPDATE_HISTORY,
                             SEMA_RTS,
                             SEMA_TIMER_TRANSELECTION,
                             SEMA_TIMER_SIDE_POSTION_LOCK,
                             SEMA_TIMER_SWEEP_SPEED_ALARM,
                             SEMA_TIMER_MSS_VIEW_OFFSET,
                             SEMA_TIMER_MSS_YASR_DELAY,
                             SEMA_TIMER_START_SWEEPING,
                             SEMA_TIMER_RETRACT_WAIT,
                             SEMA_TIMER_DEPLOYMENT_MSG,
                             SEMA_TIMER_MSS_DEPTH,
                             0};
const SEMA s_aWaitListB[] = {SEMA_MBOX_HISTORY,
                             SEMA_UPDATE_HISTORY,
                             SEMA_TIMER_TRANSELECTION,
                             SEMA_TIMER_SIDE_POSTION_LOCK,
                             SEMA_TIMER_SWEEP_SPEED_ALARM,
                             SEMA_TIMER_MSS_VIEW_OFFSET,
                             SEMA_TIMER_MSS_YASR_DELAY,
                             SEMA_TIMER_START_SWEEPING,
                             SEMA_TIMER_RETRACT_WAIT,
                             SEMA_TIMER_DEPLOYMENT_MSG,
                             SEMA_TIMER_MSS_DEPTH,
                             0};

#define HISTORY_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
const TEXT_TABLE txtBottomRange = HISTORY_TEXT("Bottom Range");

const MENU_LIMITS BottomRangeLimits[] = {
    {U_FEET, 10.0f, 60.0f, 5.0f},
    {U_METRES, 3.0f, 20.0f, 1.0f},
    {U_FATHOMS, 2.0f, 10.0f, 1.0f},
    {U_NONE, 1.0f, 10.0f, 1.0f},
};

// ---- Helpers ----

[[noreturn]] void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE, u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

bool bDownImagingOnly(U32 id) { return id == 15 || id == 17 || id == 18; }

void vPublishU32(FOURCHARID fcid, U32 u32Value)
{
    H_DATABASE_bUpdateEverythingU32(fcid, u32Value, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
}

void vWaitForKey(FOURCHARID fcid)
{
    while (!H_DATABASE_bFetch(fcid, nullptr, nullptr, nullptr))
        L_CLOCK_Sleep(TASK_KEY_POLL_MS);
}

void vAllocateTimers(void)
{
    TIMER_INFO** const apTimers[] = {&s_pTransducerSelectionDelay, &pMSSDepthDelayTimer,
                                     &s_pSidePositionLockDelay,    &s_pSweepSpeedAlarmDelay,
                                     &s_pStartSweepingDelay,       &pMSSViewOffsetDelayTimer,
                                     &pMSSDelayYASRUpdateTimer,    &s_pMSSRetractDoneTimer,
                                     &s_pDeploymentMessageTimer};
    for (TIMER_INFO** ppTimer : apTimers) {
        if (*ppTimer != nullptr)
            continue;
        *ppTimer = L_TIMER_Allocate();
        if (*ppTimer == nullptr)
            vFatal(__LINE__, "No timers available");
    }
}

void vSetUpBeamsAndStores(void)
{
    for (U32 b = 0; b < SONAR_BEAMS; ++b) {
        BEAM_INFO& info = s_sBeamInfo[b];
        info.bPinging = FALSE;
        info.beamBlend = SONAR_NO_BEAM;
        info.pfBlend = nullptr;
        info.pMain = nullptr;
        info.pZoom = nullptr;
        info.s8Gain = 0;
        info.pTSUStore = nullptr;
        if (b < SONAR_STORED_BEAMS) {
            FULL_SCREEN_TSU& store = TSUStore[b];
            U8(*slots)[TSU_SLOT_BYTES] = b < 2 ? s_au8TsuSlots2D[b] : s_au8TsuSlotsImaging[b - 2];
            info.pTSUStore = &store;
            for (U32 c = 0; c < TSU_STORE_COLUMNS; ++c) {
                store.aTsuStore[c].au8Data = slots[c];
                store.aTsuStore[c].u32TSUDataLength = TSU_SLOT_BYTES;
            }
            L_MUTEX_LockWait(RES_TSU);
            store.u32NextFreeColumn = 0;
            store.u32ColumnsInUse = 0;
            for (TSU_STORE_COLUMN& column : store.aTsuStore)
                S_TSU_vResetColumn(&column);
            L_MUTEX_Unlock(RES_TSU);
        }
        S_FISHID_vInitialiseHistory(&info.FishHistory);
    }
}

void vSetUpBlends(void)
{
    s_sBeamInfo[0].beamBlend = 4;
    s_sBeamInfo[0].pfBlend = colorBlend83;
    s_sBeamInfo[1].beamBlend = 4;
    s_sBeamInfo[1].pfBlend = colorBlend200;
    // A down-imaging-only transducer's beam 2 is a further 2D beam.
    if (!bDownImagingOnly(s_db_TransducerSelectArray[1])) {
        s_sBeamInfo[2].beamBlend = 5;
        s_sBeamInfo[2].pfBlend = colorBlendKVLeft;
    }
    s_sBeamInfo[3].beamBlend = 5;
    s_sBeamInfo[3].pfBlend = colorBlendKVRight;
}

void vSetUpBitmaps(void)
{
    const COLOR background = gCOLOR_pcolColorTable[0];
    BackGroundColor = background;
    L_MUTEX_LockWait(RES_HISTORY);
    for (U32 i = 0; i < SONAR_WINDOWS; ++i) {
        SONAR_HISTORY& h = SonarViewInfo.Window[i].ScreenHistory;
        h.pBmp = G_BUFFERS_pCreateBitmap(HISTORY_MEMORY_COLUMNS, HISTORY_MEMORY_ROWS, &s_aHistoryBitmaps[i],
                                         s_au32HistoryPixels[i]);
        G_BMP_vSet(h.pBmp, background);
        h.u16NextFreeColumn = 0;
        h.Resource = RES_HISTORY;
    }
    L_MUTEX_Unlock(RES_HISTORY);
    struct ZOOM {
        FV_ZOOM_WINDOW_TYPE* pWindow;
        BITMAP* pBitmap;
        U32* pu32Pixels;
    };
    for (const ZOOM& z : {ZOOM{&FvZoomWin, &s_FvZoomBitmap, s_u32FvZoomBuffer},
                          ZOOM{&KvZoomWin, &s_KvZoomBitmap, s_u32KvZoomBuffer}}) {
        z.pWindow->pBitmap = G_BUFFERS_pCreateBitmap(ZOOM_WINDOW_WIDTH, ZOOM_WINDOW_HEIGHT, z.pBitmap, z.pu32Pixels);
        z.pWindow->bActive = FALSE;
        z.pWindow->bForceUpdate = TRUE;
        G_BMP_vSet(z.pWindow->pBitmap, background);
    }
}

// ---- Commands ----

void vResetSettings(void)
{
    vRegisterDatabaseItems(TRUE);
    vMakeCursorInactive();
    s_bFvEnhanceDialogActive = FALSE;
    U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEYS_ALL_BUT_CURSOR);
    U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_CURSOR);
    U_VIEW_bUnRegisterLayer(FV_ENHANCE_LAYER);
    s_bKvEnhanceDialogActive = FALSE;
    U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEYS_ALL_BUT_CURSOR);
    U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_CURSOR);
    U_VIEW_bUnRegisterLayer(KV_ENHANCE_LAYER);
}

void vKeyChange(const MSG_KEY_CHANGE* pMail)
{
    vHandleKeys(pMail);
    L_MUTEX_LockWait(RES_S_INFO);
    if (!SonarViewInfo.Window[0].bManualDepthRange && !s_bCursorActive.load()) {
        vAutoSelectLowerDepthRange();
        vCalculateDisplayedDepthRanges(FALSE);
    }
    L_MUTEX_Unlock(RES_S_INFO);
}

} // namespace

// ---- Follow-up actions ----

void t_n_history::vTriggerAllTotalScreenUpdate(void)
{
    L_MUTEX_LockWait(RES_S_INFO);
    for (SONAR_WINDOW& w : SonarViewInfo.Window)
        w.bTriggerTotalScreenUpdate = TRUE;
    L_MUTEX_Unlock(RES_S_INFO);
}

void t_n_history::vResample(void) { bForceResample = TRUE; }

void t_n_history::vNewFrame(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

void t_n_history::vReset360(void) { s_bPPIDisplayReset = TRUE; }

void t_n_history::vUpdateBottomRangeSlider(void)
{
    if (SonarViewInfo.bBottomLockZoom)
        U_MENU_bRegisterHotSliderMenu(&txtBottomRange, nullptr, BOTTOM_RANGE_PRIORITY, FCID("SSBR"), BottomRangeLimits,
                                      nullptr, nullptr, nullptr, M_BASIC, VIEW_SONAR_ZOOM, SPLIT_FULL_WINDOW);
    else
        U_MENU_bUnregisterHotMenuItem(&txtBottomRange, VIEW_SONAR_ZOOM, SPLIT_FULL_WINDOW);
}

// ---- Blends ----

// The 200 kHz beam adds nothing deeper than 220 m to the combined picture:
// 220 m two ways is 440000000 / speed microseconds, a sample every 26.
COLOR t_n_history::colorBlend200(COLOR color, U32 u32SampleIndex, BOOLEAN)
{
    const U32 u32Speed = g_u32SpeedOfSoundInWater.load();
    const U32 u32Limit = u32Speed == 0 ? 0 : (440000000u / u32Speed + 13) / 26;
    return u32SampleIndex < u32Limit ? color : BackGroundColor.load();
}

COLOR t_n_history::colorBlend83(COLOR color, U32, BOOLEAN bNoiseTooHighForBlend)
{
    return bNoiseTooHighForBlend ? BackGroundColor.load() : color;
}

COLOR t_n_history::colorBlendKVLeft(COLOR color, U32, BOOLEAN) { return color; }

COLOR t_n_history::colorBlendKVRight(COLOR color, U32, BOOLEAN) { return color; }

// ---- Start-up ----

void t_n_history::vCreateWindowsAndStores(void)
{
    vAllocateTimers();
    s_u32SupportedBeams = S_TRANSDUCER_u32GetBeamsSupportedByModel();
    // The redraws read the beams' stores and blends under mutex 27.
    L_MUTEX_LockWait(RES_TSU);
    vSetUpBeamsAndStores();
    memset(s_aColorColumnMain, 0xFF, sizeof s_aColorColumnMain);
    memset(s_aColorColumnZoom, 0xFF, sizeof s_aColorColumnZoom);
    vSetUpBlends();
    L_MUTEX_Unlock(RES_TSU);
    vSetUpBitmaps();
    // The 360 unit's state: a full sweep, an empty picture.
    s_u32SweepStatus = 1;
    vInit360();
    H_DATABASE_bUpdateEverythingS32(FCID("YASS"), 0, P_NORMAL, D_SIGNED32, nullptr, DB_TIMEOUT_NEVER);
    S_SPEEDALARM_vInitSpeedAlarms();
    L_SEMA_Signal(SEMA_TNHIST_WAIT);
}

// ---- The wait ----

const SEMA* t_n_history::pWaitList(void)
{
    if (!db_SonarEnabled.load() && s_u32NetworkPingMask.load() == 0)
        return s_aWaitMailOnly;
    return SonarViewInfo.u32RTSWidth != 0 && bRtsWindowUpdateable.load() ? s_aWaitListA : s_aWaitListB;
}

// ---- Mailbox ----

void t_n_history::vHandleMail(GENERIC_MESSAGE* pMail)
{
    switch (pMail->Cmd) {
    case CMD_ID_SHUTDOWN:
        s_bShutdown = TRUE;
        break;
    case CMD_ID_NEW_DATA:
        if (s_bShutdown.load())
            break;
        L_MUTEX_LockWait(RES_S_INFO);
        vHandleNewData(reinterpret_cast<const MESSAGE_NEW_DATA*>(pMail));
        L_MUTEX_Unlock(RES_S_INFO);
        break;
    case CMD_ID_RESET_POS:
        vResetSettings();
        break;
    case CMD_ID_KEY_CHANGE:
        vKeyChange(reinterpret_cast<const MSG_KEY_CHANGE*>(pMail));
        break;
    case CMD_ID_RUN_SYSTEM:
        vUpdateBottomRangeSlider();
        break;
    default:
        break;
    }
}

void t_n_history::vDrainMailbox(void)
{
    while (MSGHEADER* pMail = L_MBOX_Receive(HISTORY_MAILBOX)) {
        vHandleMail(reinterpret_cast<GENERIC_MESSAGE*>(pMail));
        H_MEMORY_vDumpMail(pMail);
    }
}

BOOLEAN t_n_history::bShutdownReceived(void) { return s_bShutdown.load(); }

void t_n_history::vForgetShutdown(void) { s_bShutdown = FALSE; }

// ---- Semaphores ----

void t_n_history::vSemaphoreAction(SEMA sema)
{
    switch (sema) {
    case SEMA_RTS:
        vNewFrame();
        break;
    case SEMA_TIMER_TRANSELECTION:
        vDelayedViewEnabling();
        break;
    case SEMA_TIMER_SIDE_POSTION_LOCK:
        if (L_TIMER_GetRemaining(s_pSidePositionLockDelay) > 0) {
            L_TIMER_Stop(s_pSidePositionLockDelay);
            log_me("[%d]%s: side position lock, sweep status %u\n", __LINE__, __func__,
                   (unsigned)s_u32SweepStatus.load());
            vPublishU32(FCID("YSPL"), s_u32SweepStatus.load());
        }
        break;
    case SEMA_TIMER_SWEEP_SPEED_ALARM:
        L_TIMER_Stop(s_pSweepSpeedAlarmDelay);
        S_SPEEDALARM_vCompareNewSpeedAgainstAlarmSetPoint(0, s_fCurrentSpeed.load(), s_dbfSpeedAlarm.load());
        s_bSweepSpeedAlarmWait = FALSE;
        break;
    case SEMA_TIMER_MSS_DEPTH: {
        if (s_bPodIsBowMounted.load())
            break;
        L_TIMER_Stop(pMSSDepthDelayTimer);
        U32 u32Depth = 0xFFFFFFFF;
        H_DATABASE_bFetchU32(FCID("SMDD"), &u32Depth, nullptr, nullptr);
        if (u32Depth >= 1 && u32Depth <= 100)
            vPublishU32(FCID("YMSD"), u32Depth);
        else if (u32Depth == 0)
            vPublishU32(FCID("YMRR"), 1);
        break;
    }
    case SEMA_TIMER_MSS_VIEW_OFFSET: {
        const U32 u32Offset = s_u32TempPPIViewOffset.load();
        s_u32PPIViewOffset = u32Offset;
        s_u32PPIViewOffsetSaved = u32Offset;
        vReset360();
        break;
    }
    case SEMA_TIMER_MSS_YASR_DELAY: {
        const LAYER_ID view = U_VIEW_eCurrentView();
        if (view != VIEW_CHART_PLUS_FV && view != VIEW_CHART_PLUS_FLANKVIEW && view != VIEW_KEELVIEW_PLUS_FLANKVIEW &&
            view != VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D && view != VIEW_SIDEVIEW_AND_DOWN && view != VIEW_SIDEVIEW &&
            view != VIEW_2D_PLUS_FV && view != VIEW_FLANKVIEW_PLUS_2D)
            break;
        float fRange = 0.0f;
        if (U_PING_eGetNetworkClientState(MSS_SOURCE) == NETWORK_CLIENT_STATE_CONNECTED &&
            s_bSweepingUsedAsSide.load() && H_DATABASE_bFetchFloat(FCID("YSSR"), &fRange, nullptr, nullptr)) {
            H_DATABASE_bUpdateEverythingFloat(FCID("YASR"), fRange, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
            log_me("[%d]: t_n_history, YSSR updating YASR\n", __LINE__);
        }
        vReset360();
        break;
    }
    case SEMA_TIMER_START_SWEEPING:
        L_TIMER_Stop(s_pStartSweepingDelay);
        log_me("[%d]%s: start sweeping, sweep status %u\n", __LINE__, __func__, (unsigned)s_u32SweepStatus.load());
        vPublishU32(FCID("YSPL"), s_u32SweepStatus.load());
        break;
    case SEMA_TIMER_RETRACT_WAIT:
        L_TIMER_Stop(s_pMSSRetractDoneTimer);
        log_me("[%d]%s: retract not confirmed\n", __LINE__, __func__);
        T_N_HISTORY_vAlarm(RETRACTION_ALARM);
        break;
    case SEMA_TIMER_DEPLOYMENT_MSG: {
        log_me("[%d]%s: deployment message over\n", __LINE__, __func__);
        L_TIMER_Stop(s_pDeploymentMessageTimer);
        auto* pClear = static_cast<ALARM_CLEAR_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(ALARM_CLEAR_MESSAGE)));
        memset(pClear, 0, sizeof *pClear);
        pClear->header.Cmd = CMD_ID_CLEAR_ALARM;
        pClear->Priority = DEPLOYMENT_ALARM;
        if (L_MBOX_Send(ALARM_MAILBOX, &pClear->header.msghdr, ALARM_MAIL_PRIORITY, 0) != 0)
            H_MEMORY_vFree(pClear);
        break;
    }
    default:
        break;
    }
}

// ---- Task entry ----

void T_N_HISTORY_vMain(void)
{
    vRegisterDatabaseItems(FALSE);
    vCreateWindowsAndStores();
    for (FOURCHARID fcid : {FCID("TVUE"), FCID("TPNG"), FCID("TSNR")})
        vWaitForKey(fcid);
    H_PPI_MOTOR_vInitialize();

    while (!bShutdownReceived()) {
        const SEMA sema = L_SEMA_WaitMultiple(pWaitList());
        if (sema == SEMA_MBOX_HISTORY)
            vDrainMailbox();
        else
            vSemaphoreAction(sema);
    }
    // Shut down: mails are only disposed of, so that waiting senders go on.
    while (MSGHEADER* pMail = L_MBOX_ReceiveWait(HISTORY_MAILBOX))
        H_MEMORY_vDumpMail(pMail);
}

// ---- Answers to the other tasks ----

BOOLEAN T_N_HISTORY_bIsSweepingView(LAYER_ID eView)
{
    return eView == VIEW_PPI_DISPLAY || eView == VIEW_PPI_PLUS_2D || eView == VIEW_PPI_PLUS_CHART ? TRUE : FALSE;
}

BOOLEAN T_N_HISTORY_bGetNon360FVOrQuadViewLastVisited(void) { return s_bNon360FVOrQuadViewLastVisited.load(); }

void T_N_HISTORY_vEnableShortTransmit(BOOLEAN bEnable)
{
    if (!bEnable) {
        s_bEnableShortTxPing = FALSE;
        return;
    }
    // "SSTS" names a down-imaging-only transducer: no short pulses.
    s_bEnableShortTxPing = S_TRANSDUCER_bIsKeelview() ? FALSE : TRUE;
}

U8 T_N_HISTORY_u8CurrentFVTransducer(void) { return (U8)s_db_TransducerSelectArray[1].load(); }
