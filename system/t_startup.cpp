// The start-up task (see the header).
//
// The task's state lives here and in no other thread's hands: the screens
// (t_startup_screens.cpp) read the few words they show through atomics,
// and a frame drawn from a half-changed state is redrawn at the next frame
// request. Semaphore 77 serves both as the auto-start timer's semaphore and
// as the acknowledgement of the two layer registrations that wait for the
// view task, so it is cleared around each of them and the timer restarted.
#include "system/t_startup.h"

#include "system/model.h"
#include "system/language.h"
#include "system/t_startup_edit.h"
#include "system/t_startup_internal.h"
#include "system/version.h"

#include "graphics/g_truetype.h"
#include "graphics/u_fonts.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_options.h"
#include "sonar/dsp/s_detect.h"
#include "sonar/dsp/s_transducer_texts.h" // the tab names the sonar items are filed under
#include "store/h_client.h"
#include "store/h_database.h"
#include "store/t_nvram.h"
#include "ui/t_info_bar.h"
#include "ui/t_keyboard.h"
#include "ui/t_menu.h"
#include "ui/t_view.h"
#include "ui/u_menu.h"
#include "ui/u_datetime.h"
#include "ui/u_menu_client.h"

#include <cstring>
#include <mutex>
#include <unistd.h>

std::atomic<BOOLEAN> bStartupTaskInitialized{FALSE};

const MBOX T_STARTUP_mboxTaskMailboxes[STARTUP_RUN_MAILBOXES] = {
    4, 10, 15, 14, 6, 5, 2, 26, 18, 12, 23, 11, 29, 13, 40, 41, 16, 33,
    19, 20, 21, 24, 25, 32, 8, 9, 31, 69, 59, 60, 61, 63, 64, 70, 62, 71};

// Constants -----------------------------------------------------------------

namespace {

constexpr const char* SOURCE_FILE = "./Working/SOURCE/t_startup.c";

constexpr TASK DISPLAY_TASK_ID = 4;
constexpr TASK VIEW_TASK_ID = 5;
constexpr TASK VIEWKEY_TASK_ID = 6;
constexpr TASK ADC_TASK_ID = 7;
constexpr TASK KEYBOARD_TASK_ID = 8;
constexpr TASK NVRAM_TASK_ID = 14;
constexpr TASK MENU_TASK_ID = 15;
constexpr SEMA SEMA_DISPLAY_INIT_DONE = 182;
constexpr SEMA SEMA_NVRAM_UPDATE = 104;
constexpr SEMA SEMA_LARGE_FISH_TONE = 116;
constexpr SEMA SEMA_SMALL_FISH_TONE = 118;

constexpr TICKS AUTO_START_MS = 8000;
constexpr TICKS MENU_TIMEOUT_MS = 5000;
constexpr TICKS DBPOLL_MS = 2000;
constexpr U32 AGE_PERIODS = 300;
constexpr U32 AGE_STEP_SECONDS = 600;
constexpr S32 TRANSDUCER_MESSAGE_MS = 2000;
constexpr S32 BURN_IN_MESSAGE_MS = 4000;
constexpr U32 NVRAM_ATTEMPTS = 50;
constexpr U32 KEYS_ALL_BUT_POWER = 0xFFFE;
constexpr U32 KEYS_STARTUP = 0xFBFE;
constexpr PRIORITY MAIL_PRIORITY = 3;
constexpr U32 DEMO_WRITER_PRIORITY = 15;
constexpr U32 MAX_DEPTH_WRITER_PRIORITY = 14;
constexpr U32 WATER_TYPE_WRITER_PRIORITY = 5;
constexpr U32 SAGE_TIMEOUT_SECONDS = 18000;
constexpr U32 LOW_TASK_PRIORITY = 100;

// The hidden service sequence: five presses north, then east (on) or west
// (off); south starts again.
constexpr CURSOR_POSITION SERVICE_COUNT_DIRECTION = CURSOR_NORTH;
constexpr CURSOR_POSITION SERVICE_ON_DIRECTION = CURSOR_EAST;
constexpr CURSOR_POSITION SERVICE_OFF_DIRECTION = CURSOR_WEST;
constexpr U32 SERVICE_COUNT = 5;

constexpr FOURCHARID KEY_TTAR = FCID("TTAR");
constexpr FOURCHARID KEY_TVUE = FCID("TVUE");
constexpr FOURCHARID KEY_TNVR = FCID("TNVR");
constexpr FOURCHARID KEY_TKBD = FCID("TKBD");
constexpr FOURCHARID KEY_TMNU = FCID("TMNU");
constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_ITXD = FCID("ITXD");
constexpr FOURCHARID KEY_SMDL = FCID("SMDL");
constexpr FOURCHARID KEY_SAGE = FCID("SAGE");
constexpr FOURCHARID KEY_SAGS = FCID("SAGS");
constexpr FOURCHARID KEY_SDEN = FCID("SDEN");
constexpr FOURCHARID KEY_SSEN = FCID("SSEN");
constexpr FOURCHARID KEY_SFEF = FCID("SFEF");
constexpr FOURCHARID KEY_SENU = FCID("SENU");
constexpr FOURCHARID KEY_SVST = FCID("SVST");
constexpr FOURCHARID KEY_SLNG = FCID("SLNG");
constexpr FOURCHARID KEY_SQCD = FCID("SQCD");
constexpr FOURCHARID KEY_SSRD = FCID("SSRD");
constexpr FOURCHARID KEY_SRDF = FCID("SRDF");
constexpr FOURCHARID KEY_SSMD = FCID("SSMD");
constexpr FOURCHARID KEY_SSWA = FCID("SSWA");
constexpr FOURCHARID KEY_SMSU = FCID("SMSU");
constexpr FOURCHARID KEY_IPFI = FCID("IPFI");

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE txtNormal = ALL_LANGUAGES("Normal");
TEXT_TABLE txtSimulator = ALL_LANGUAGES("Simulator");
TEXT_TABLE txtSystemStatus = ALL_LANGUAGES("System Status");
TEXT_TABLE txtPCConnect = ALL_LANGUAGES("PC Connect");
TEXT_TABLE txtLanguage = ALL_LANGUAGES("Language");
TEXT_TABLE txtSonar = ALL_LANGUAGES("Sonar");
TEXT_TABLE txtOff = ALL_LANGUAGES("Off");
TEXT_TABLE txtOn = ALL_LANGUAGES("On");
TEXT_TABLE txtVisible = ALL_LANGUAGES("Visible");
TEXT_TABLE txtDemonstration = ALL_LANGUAGES("Demonstration");
TEXT_TABLE txtQuickWaterType = ALL_LANGUAGES("Water Type");
// Captions of keys (the store keeps a table it may not write through).
const char* s_apcTimeOfOperation[DB_NUM_LANGUAGES] = ALL_LANGUAGES("Time of Operation");
const char* s_apcSelfTest[DB_NUM_LANGUAGES] = ALL_LANGUAGES("Self Test");
const char* s_apcWaterType[DB_NUM_LANGUAGES] = ALL_LANGUAGES("Water Type");
TEXT_TABLE txtFresh = ALL_LANGUAGES("Fresh");
TEXT_TABLE txtSaltShallow = ALL_LANGUAGES("Salt (shallow)");
TEXT_TABLE txtSaltDeep = ALL_LANGUAGES("Salt (deep)");
TEXT_TABLE txtQuickMaxDepth = ALL_LANGUAGES("Max Depth");
TEXT_TABLE txtAuto = ALL_LANGUAGES("Auto");
#undef ALL_LANGUAGES

constexpr MENU_PRIORITY MENU_SET_LANGUAGE = (MENU_PRIORITY)145;
constexpr MENU_PRIORITY MENU_SONAR_ENABLED = (MENU_PRIORITY)202;
constexpr MENU_PRIORITY MENU_DEMO_ENABLED = (MENU_PRIORITY)203;
constexpr MENU_PRIORITY MENU_MAX_DEPTH_TO_PING = (MENU_PRIORITY)305;
constexpr MENU_PRIORITY MENU_WATER_TYPE = (MENU_PRIORITY)306;

const TEXT_TABLE* const s_apOffOn[2] = {&txtOff, &txtOn};
const TEXT_TABLE* const s_apOffVisible[2] = {&txtOff, &txtVisible};
const U32 s_au32OffOn[2] = {0, 1};
const TEXT_TABLE* const s_apWaterTypes[3] = {&txtFresh, &txtSaltShallow, &txtSaltDeep};
const U32 s_au32WaterTypes[3] = {0, 2, 1};

// The menu task reads a unit's row up to the closing U_NONE row.
MENU_LIMITS s_aMaxDepthLimits[4] = {
    {U_FEET, 1.0f, 1500.0f, 1.0f},
    {U_METRES, 0.0f, 500.0f, 1.0f},
    {U_FATHOMS, 0.0f, 250.0f, 1.0f},
    {U_NONE, 0.0f, 1500.0f, 1.0f},
};
const MENU_STEP_LEVELS s_aMaxDepthSteps[4] = {
    {U_FEET, 50.0f, 150.0f},
    {U_METRES, 15.0f, 45.0f},
    {U_FATHOMS, 10.0f, 25.0f},
    {U_NONE, 50.0f, 150.0f},
};

typedef struct tag_STARTUP_MENU_ROW {
    const TEXT_TABLE* pString;
    BOOLEAN bIsNormalDefault;
    BOOLEAN bIsSimulatedDefault;
    SYSTEM_STATE state;
} STARTUP_MENU_ROW;

const STARTUP_MENU_ROW s_structStartupMenu[4] = {
    {&txtNormal, TRUE, FALSE, STATE_NORMAL_RUN},
    {&txtSimulator, FALSE, TRUE, STATE_SIMULATION},
    {&txtSystemStatus, FALSE, FALSE, STATE_DIAGNOSTIC},
    {&txtPCConnect, FALSE, FALSE, STATE_PC_CONNECT},
};
constexpr S32 STARTUP_MENU_LAST_ROW = 2;

typedef struct tag_HEADER_ITEM {
    FOURCHARID item;
    S32 defaultValue;
    S32 defaultValueDomestic;
    const char* (*pName)[DB_NUM_LANGUAGES];
} HEADER_ITEM;

const HEADER_ITEM s_sMyItems[9] = {
    {FCID("SMDL"), 410, 410, nullptr}, {FCID("CREV"), 0, 0, nullptr},   {FCID("SEDB"), -1, -1, nullptr},
    {FCID("SEDU"), -1, -1, nullptr},   {FCID("SEIB"), -1, -1, nullptr}, {FCID("SEIU"), -1, -1, nullptr},
    {FCID("SENB"), -1, -1, nullptr},   {FCID("SENU"), -1, -1, nullptr}, {FCID("SETB"), -1, -1, nullptr},
};

const LAYER_ID layerSequence[3] = {DIAGNOSTIC_SELF_TEST, DIAGNOSTIC_ACCESSORY_CATALOG, DIAGNOSTIC_GPS_CARTOGRAPHY};

// Statics -------------------------------------------------------------------

std::atomic<SYSTEM_STATE> s_eState{STATE_NORMAL_RUN};
std::atomic<BOOLEAN> s_bTransducerConnected{TRUE};
S32 s_s32TransducerConnectedTimer = TRANSDUCER_MESSAGE_MS;
U32 u32AgeCountdown = AGE_PERIODS;
std::atomic<BOOLEAN> s_bSystemStarted{FALSE};
std::atomic<DISCLAIMER> s_eDisclaimerState{DISCLAIMER_INACTIVE};
BOOLEAN s_bInMenu = FALSE;
std::atomic<S32> s_s32MenuLine{0};
TIMER_INFO* s_pTimer = nullptr;
// The owner text, written by this task and copied by the splash screen.
std::mutex s_personalMutex;
char s_personalString[STARTUP_PERSONAL_BYTES + 1] = {};
BOOLEAN s_bDiagnosticMode = FALSE;
BOOLEAN s_bInitialState = FALSE;
std::atomic<BOOLEAN> s_bQuickConfigMenuDisplayed{FALSE}; // also read by the menu task
U32 u32SuperUserCount = 0;
BOOLEAN viewKeyDown = FALSE;
U32 numSequence = 0;
BOOLEAN s_bShutDown = FALSE;
PRIORITY s_displayPriority = 0;
PRIORITY s_viewPriority = 0;

// Static prototypes -----------------------------------------------------------

[[noreturn]] void vFatal(U32 u32Line, const char* pcText);
bool bTaskEnabled(TASK t);
void vExecWithHighPriority(TASK t, PRIORITY* pOld);
void vWaitForKey(FOURCHARID fcid);
void vRequestFrame(void);
void vGoodClick(void);
void vBadClick(void);
void vSetView(LAYER_ID view);
void vWriteState(SYSTEM_STATE e);
bool bFetchU32(FOURCHARID fcid, U32* pu32, BOOLEAN* pbValid = nullptr);
bool bFetchS32(FOURCHARID fcid, S32* ps32);
bool bFetchBool(FOURCHARID fcid, BOOLEAN* pb, BOOLEAN* pbValid = nullptr);
void vWaitForNvram(void);
BOOLEAN bReadPersonalizationData(void);
void vSetupMenuTabs(void);
void vRegisterLanguageSelector(BOOLEAN bQuick);
void vResetLanguage(void);
void vStartQuickConfig(void);
void vRestartTimer(TICKS ticks);
void vStopTimer(void);
BOOLEAN bRegisterLayerWaiting(DRAW_FUNCTION* pfnDraw, LAYER_ID layer);
void vHandleKey(const MSG_KEY_CHANGE* pKey);
void vHandleCursor(const MSG_KEY_CHANGE* pKey);
void vHandleDiagnosticModeKeys(const MSG_KEY_CHANGE* pKey);
void vHandleNewData(const MESSAGE_NEW_DATA* pMsg);
void vHandleShutdown(void);
void vSleepBeforeStart(void);
void vCheckDiagnosticMode(void);
void vResetDefaultConfigAfterMMCUpdate(void);
void vSendToNvram(CMD_ID cmd, FOURCHARID fcid);

} // namespace

// Public functions --------------------------------------------------------------

void T_STARTUP_vMain(void)
{
    T_STARTUP_vInit();
    bStartupTaskInitialized.store(TRUE, std::memory_order_release);
    // The date and time form's mailbox is served here; mail comes to it only
    // once the form was opened from the running system's "Setup" tab.
    static const SEMA waitList[] = {SEMA_MBOX_STARTUP, SEMA_STARTUP_DBPOLL, SEMA_STARTUP_AUTOSTART,
                                    SEMA_MBOX_SYSTIME_EDIT, 0};
    for (;;) {
        switch (L_SEMA_WaitMultiple(waitList)) {
        case SEMA_STARTUP_AUTOSTART:
            T_STARTUP_vHandleAutoStart();
            break;
        case SEMA_STARTUP_DBPOLL:
            if (s_bShutDown) {
                vStopTimer();
                L_SEMA_SetPending(SEMA_STARTUP_DBPOLL);
            } else {
                T_STARTUP_vHandleDBPOLLTimer();
            }
            break;
        case SEMA_MBOX_STARTUP:
            while (MSGHEADER* pHeader = L_MBOX_Receive(STARTUP_MAILBOX))
                T_STARTUP_vHandleMail(pHeader);
            break;
        case SEMA_MBOX_SYSTIME_EDIT:
            U_DATETIME_vServeMailbox();
            break;
        default:
            break;
        }
    }
}

void T_STARTUP_vInit(void)
{
    // 1-2: the mailbox key, the first state and the keys the sonar tasks read.
    if (H_DATABASE_bUpdateEverythingU32(KEY_TTAR, STARTUP_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER))
        vFatal(__LINE__, "Somebody else registered the Startup Task Mailbox");
    s_bTransducerConnected = FALSE;
    H_DATABASE_bUpdateEverythingS32(KEY_ITXD, -1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    for (FOURCHARID fcid : {FCID("ECPM"), FCID("ELPM"), FCID("ENPM")})
        H_DATABASE_bUpdateValueU32(fcid, 0, P_NORMAL);
    vWriteState(STATE_STARTUP);
    H_DATABASE_bRegisterForDataWithConditions(KEY_CCST, STARTUP_MAILBOX, TRUE, FALSE, FALSE);

    // 3-4: fonts, then the auto-start timer, which runs from here.
    G_TRUETYPE_bInit();
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    s_pTimer = L_TIMER_Allocate();
    if (s_pTimer == nullptr)
        vFatal(__LINE__, "NO TIMER");
    L_SEMA_SetPending(SEMA_STARTUP_AUTOSTART);
    L_TIMER_Start(s_pTimer, AUTO_START_MS, 0, SEMA_STARTUP_AUTOSTART);

    // 5-7: display and view, then the splash screen. A task left out of
    // this run (task_flush, task_rem) is not waited for.
    vExecWithHighPriority(DISPLAY_TASK_ID, &s_displayPriority);
    if (bTaskEnabled(DISPLAY_TASK_ID))
        L_SEMA_Wait(SEMA_DISPLAY_INIT_DONE);
    vExecWithHighPriority(VIEW_TASK_ID, &s_viewPriority);
    if (bTaskEnabled(VIEW_TASK_ID))
        vWaitForKey(KEY_TVUE);
    U_VIEW_bRegisterLayer(T_STARTUP_vDisplaySplashScreen, STARTUP_SPLASH_VIEW_PRIORITY, USED_BY_NONE, 0, 0, TRUE,
                          nullptr, nullptr, nullptr);
    vSetView(STARTUP_SPLASH_VIEW_PRIORITY);

    // 8-11: ADC, view key and NVRAM; the header defaults and the owner text.
    for (TASK t : {ADC_TASK_ID, VIEWKEY_TASK_ID, NVRAM_TASK_ID})
        vExecWithHighPriority(t, nullptr);
    vWaitForNvram();
    T_STARTUP_vNVRVirginSetup();
    bReadPersonalizationData();

    // 12: the keyboard and the start-up keys.
    vExecWithHighPriority(KEYBOARD_TASK_ID, nullptr);
    if (bTaskEnabled(KEYBOARD_TASK_ID))
        vWaitForKey(KEY_TKBD);
    U_KEYBOARD_bRegisterKeys(STARTUP_MAILBOX, KEYS_STARTUP, KEY_DOWN, FALSE, FALSE, CURSOR_4, REGISTER_STARTUP);

    // 13-16: model, version, operating age, demonstration default.
    U32 u32Model = 0;
    BOOLEAN bValid = FALSE;
    if (!bFetchU32(KEY_SMDL, &u32Model, &bValid) || !bValid)
        vFatal(__LINE__, "Registering for SMDL");
    MODEL_bRegisterModel(u32Model);
    H_DATABASE_bRegisterForDataWithConditions(KEY_SMDL, STARTUP_MAILBOX, TRUE, FALSE, FALSE);
    vRequestFrame();
    VERSION_bDetectVersionChange();
    U32 u32Age = 0;
    if (!bFetchU32(KEY_SAGE, &u32Age)) {
        u32Age = 0;
        H_DATABASE_bUpdateEverythingU32(KEY_SAGE, 0, P_NORMAL, D_TIME, &s_apcTimeOfOperation, SAGE_TIMEOUT_SECONDS);
    }
    H_DATABASE_bUpdateValueU32(KEY_SAGS, u32Age, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(KEY_SDEN, TRUE, DEMO_WRITER_PRIORITY);

    // 17-19: the menu task, the first tabs and selectors, System Status.
    vExecWithHighPriority(MENU_TASK_ID, nullptr);
    if (bTaskEnabled(MENU_TASK_ID))
        vWaitForKey(KEY_TMNU);
    vSetupMenuTabs();
    vRegisterLanguageSelector(FALSE);
    U_MENU_bRegisterMainSelectorMenu(&txtSonar, T_MENU_pSetupTabName, MENU_SONAR_ENABLED, KEY_SSEN, 2, s_apOffOn,
                                     s_au32OffOn, M_BASIC);
    BOOLEAN bSelfTest = FALSE;
    if (!bFetchBool(KEY_SVST, &bSelfTest))
        H_DATABASE_bUpdateEverythingBoolean(KEY_SVST, FALSE, P_NORMAL, D_UNKNOWN, &s_apcSelfTest, DB_TIMEOUT_NEVER);
    U_VIEW_bRegisterLayer(T_STARTUP_vDrawSelfTestView, DIAGNOSTIC_SELF_TEST, USED_BY_NONE, 0, KEY_SVST, FALSE,
                          nullptr, nullptr, nullptr);
    U_VIEW_bRegisterLayer(T_INFO_vDrawInfoLayer_Instrumentation_SonarView, INFO_SELF_TEST_LAYER, DIAGNOSTIC_SELF_TEST,
                          0, 0, TRUE, nullptr, nullptr, nullptr);

    // 20-22: language, first start, quick setup.
    vResetLanguage();
    BOOLEAN bDone = FALSE;
    if (!bFetchBool(KEY_SQCD, &bDone)) {
        H_DATABASE_bUpdateValueBoolean(KEY_SQCD, FALSE, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(KEY_SSRD, TRUE, P_NORMAL);
        T_KEYBOARD_vRestoreFactoryDefaults();
    }
    BOOLEAN bRestored = FALSE;
    if (bFetchBool(KEY_SRDF, &bRestored) && bRestored)
        vStartQuickConfig();

    // 23-25.
    T_STARTUP_vDetectAndPrepareState();
    if (s_displayPriority > 0)
        L_TASK_SetPriority(DISPLAY_TASK_ID, s_displayPriority);
    if (s_viewPriority > 0)
        L_TASK_SetPriority(VIEW_TASK_ID, s_viewPriority);
    vRequestFrame();
    s_eDisclaimerState = DISCLAIMER_INACTIVE;
}

void T_STARTUP_vNVRVirginSetup(void)
{
    for (const HEADER_ITEM& row : s_sMyItems) {
        S32 s32Value = 0;
        const bool bPresent = bFetchS32(row.item, &s32Value);
        if (bPresent && !(row.item == KEY_SMDL && s32Value == 0))
            continue;
        const S32 s32New = bPresent ? (S32)MODEL_DEFAULT : row.defaultValue;
        H_DATABASE_bUpdateEverythingS32(row.item, s32New, P_NORMAL, D_UNKNOWN, row.pName, DB_TIMEOUT_NEVER);
        vSendToNvram(CMD_ID_WRITE_TO_HEADER, row.item);
    }
}

void T_STARTUP_vDetectAndPrepareState(void)
{
    // 23: the transducer; with the demonstration switched off nothing is
    // ever simulated, so a transducer is treated as present.
    s_bTransducerConnected = S_DETECT_bTransducerConnected();
    BOOLEAN bFlag = FALSE;
    if (bFetchBool(KEY_SDEN, &bFlag) && !bFlag)
        s_bTransducerConnected = TRUE;
    H_DATABASE_bUpdateValueS32(KEY_ITXD, s_bTransducerConnected ? 1 : 0, P_NORMAL);

    // 24: the state that applies without a choice.
    BOOLEAN bValid = FALSE;
    BOOLEAN bSonarOff = bFetchBool(KEY_SSEN, &bFlag) && !bFlag;
    BOOLEAN bDemoOff = bFetchBool(KEY_SDEN, &bFlag) && !bFlag;
    BOOLEAN bNetworkSonar = bFetchBool(KEY_SFEF, &bFlag, &bValid) && bValid && bFlag;
    if (bSonarOff || bDemoOff || s_bTransducerConnected || bNetworkSonar) {
        s_eState = STATE_NORMAL_RUN;
    } else {
        s_bTransducerConnected = FALSE;
        U_VIEW_bRegisterLayer(T_STARTUP_vDrawTransducerNotDetected, TRANSDUCER_NOT_DETECTED_LAYER, USED_BY_ALL, 0, 0,
                              FALSE, nullptr, nullptr, nullptr);
        S32 s32Serial = 0;
        s_eState = bFetchS32(KEY_SENU, &s32Serial) && s32Serial == -1 ? STATE_BURN_IN : STATE_POINT_OF_SALE;
    }
    if (s_eState == STATE_NORMAL_RUN)
        s_s32TransducerConnectedTimer = 0;
}

BOOLEAN T_STARTUP_bIsSonarTransducerDetected(void) { return s_bTransducerConnected; }

void T_STARTUP_vHandleAutoStart(void)
{
    if (s_bShutDown) {
        vStopTimer();
        L_SEMA_SetPending(SEMA_STARTUP_AUTOSTART);
        return;
    }
    T_STARTUP_vStartSystem();
}

void T_STARTUP_vStartSystem(void)
{
    // 1: the choice, and the disclaimer before the states that show charts.
    if (s_eDisclaimerState == DISCLAIMER_INACTIVE) {
        if (s_bInMenu)
            s_eState = s_structStartupMenu[s_s32MenuLine].state;
        const SYSTEM_STATE e = s_eState;
        if (!opt_nodisclaimer && (e == STATE_NORMAL_RUN || e == STATE_SIMULATION || e == STATE_PRE_POINT_OF_SALE)) {
            vStopTimer();
            L_SEMA_SetPending(SEMA_STARTUP_AUTOSTART);
            bRegisterLayerWaiting(T_STARTUP_vDisplayDisclaimer, STARTUP_CHART_DISCLAIMER);
            vSetView(STARTUP_CHART_DISCLAIMER);
            s_eDisclaimerState = DISCLAIMER_ACTIVE;
        }
    }
    // 2: the next key on the disclaimer comes back here.
    if (s_bSystemStarted || s_eDisclaimerState == DISCLAIMER_ACTIVE) {
        L_TASK_SetPriority(STARTUP_TASK, LOW_TASK_PRIORITY);
        return;
    }

    // 3-5: the state goes out; the keys of System Status or none.
    s_bSystemStarted = TRUE;
    vStopTimer();
    if (s_bInMenu)
        s_eState = s_structStartupMenu[s_s32MenuLine].state;
    vWriteState(s_eState);
    vCheckDiagnosticMode();
    U_KEYBOARD_bUnregisterKeys(STARTUP_MAILBOX, KEYS_ALL_BUT_POWER);
    if (s_eState == STATE_DIAGNOSTIC) {
        U_KEYBOARD_bRegisterKeys(STARTUP_MAILBOX, KEYS_STARTUP, KEY_CHANGE, FALSE, FALSE, CURSOR_4,
                                 REGISTER_SYSTEM_STATUS);
        vSetView(DIAGNOSTIC_SELF_TEST);
    }

    // 6-7: the first-start quick setup and a pending factory reset.
    U32 u32State = 0;
    bFetchU32(KEY_CCST, &u32State);
    if (u32State == STATE_NORMAL_RUN || u32State == STATE_SIMULATION) {
        BOOLEAN bFlag = FALSE;
        if (!bFetchBool(KEY_SQCD, &bFlag)) {
            H_DATABASE_bUpdateValueBoolean(KEY_SSRD, TRUE, P_NORMAL);
            T_KEYBOARD_vRestoreFactoryDefaults();
        }
        if (bFetchBool(KEY_SRDF, &bFlag) && bFlag) {
            H_DATABASE_bUpdateValueBoolean(KEY_SQCD, FALSE, P_NORMAL);
            L_CLOCK_Sleep(1000);
            T_MENU_vActivateQuickMenu();
            s_bQuickConfigMenuDisplayed = TRUE;
            vRequestFrame();
        }
    }
    vResetDefaultConfigAfterMMCUpdate();

    // 8-12: the run mail, the period, the start-up screens go.
    for (MBOX mbox : T_STARTUP_mboxTaskMailboxes)
        H_CLIENT_bPost(mbox, H_CLIENT_pNewMail<GENERIC_MESSAGE>(CMD_ID_RUN_SYSTEM), MAIL_PRIORITY);
    if (s_pTimer == nullptr || L_TIMER_Start(s_pTimer, DBPOLL_MS, DBPOLL_MS, SEMA_STARTUP_DBPOLL) == nullptr)
        vFatal(__LINE__, "Timer Problems");
    for (LAYER_ID layer : {STARTUP_SPLASH_VIEW_PRIORITY, STARTUP_MENU_VIEW_PRIORITY, STARTUP_CHART_DISCLAIMER})
        U_VIEW_bUnRegisterLayer(layer);
    if (s_eState == STATE_NORMAL_RUN || s_eState == STATE_SIMULATION)
        U_MENU_bRegisterMainSelectorMenu(&txtDemonstration, T_MENU_pSetupTabName, MENU_DEMO_ENABLED, KEY_SDEN, 2,
                                         s_apOffVisible, s_au32OffOn, M_BASIC);
    vRequestFrame();
    L_TASK_SetPriority(STARTUP_TASK, LOW_TASK_PRIORITY);
}

void T_STARTUP_vHandleDBPOLLTimer(void)
{
    H_DATABASE_vSendAllInvalidData();

    U32 u32Age = 0;
    if (bFetchU32(KEY_SAGE, &u32Age) && --u32AgeCountdown == 0) {
        u32AgeCountdown = AGE_PERIODS;
        u32Age += AGE_STEP_SECONDS;
        H_DATABASE_bUpdateValueU32(KEY_SAGE, u32Age, P_NORMAL);
        H_DATABASE_bUpdateValueU32(KEY_SAGS, u32Age, P_NORMAL);
    }

    if (!s_bTransducerConnected) {
        U32 u32State = 0;
        if (bFetchU32(KEY_CCST, &u32State) && u32State == STATE_BURN_IN)
            s_s32TransducerConnectedTimer = BURN_IN_MESSAGE_MS;
        if (s_s32TransducerConnectedTimer >= 0) {
            s_s32TransducerConnectedTimer -= DBPOLL_MS;
            if (s_s32TransducerConnectedTimer <= 0) {
                U_VIEW_bUnRegisterLayer(TRANSDUCER_NOT_DETECTED_LAYER);
                vRequestFrame();
            }
        }
    }
}

void T_STARTUP_vRemoveQuickConfigMenu(void)
{
    if (!s_bQuickConfigMenuDisplayed)
        return;
    U_KEYBOARD_bUnregisterKeys(MENU_MAILBOX, KEYS_ALL_BUT_POWER);
    U_VIEW_bUnRegisterLayer(QUICK_CONFIGURE_LAYER);
    s_bQuickConfigMenuDisplayed = FALSE;
    vRequestFrame();
    U_MENU_bUnregisterQuickMenuItem(&txtLanguage);
    U_MENU_bUnregisterQuickMenuItem(&txtQuickWaterType);
    U_MENU_bUnregisterQuickMenuItem(&txtQuickMaxDepth);
    H_DATABASE_bUpdateValueBoolean(KEY_SRDF, FALSE, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(KEY_SQCD, TRUE, P_NORMAL);
}

void T_STARTUP_vHandleMail(MSGHEADER* pHeader)
{
    const GENERIC_MESSAGE* pMail = reinterpret_cast<const GENERIC_MESSAGE*>(pHeader);
    if (!s_bShutDown) {
        switch (pMail->Cmd) {
        case CMD_ID_SHUTDOWN:
            vHandleShutdown();
            break;
        case CMD_ID_NEW_DATA:
            vHandleNewData(reinterpret_cast<const MESSAGE_NEW_DATA*>(pMail));
            break;
        case CMD_ID_RESET_POS:
            T_STARTUP_EDIT_vResetState();
            break;
        case CMD_ID_KEY_CHANGE:
            vHandleKey(reinterpret_cast<const MSG_KEY_CHANGE*>(pMail));
            break;
        default:
            break;
        }
    }
    H_MEMORY_vDumpMail(pHeader);
}

U32 T_STARTUP_u32SplitOwnerText(char* pcText, U32 u32Bytes, const char* papLines[4])
{
    U32 n = 0;
    U32 i = 0;
    while (n < 4 && i < u32Bytes && pcText[i] != '\0') {
        if (pcText[i] == STARTUP_LINE_SEPARATOR) {
            papLines[n++] = "";
            ++i;
            continue;
        }
        papLines[n++] = &pcText[i];
        while (i < u32Bytes && pcText[i] != '\0' && pcText[i] != STARTUP_LINE_SEPARATOR)
            ++i;
        if (i < u32Bytes && pcText[i] == STARTUP_LINE_SEPARATOR)
            pcText[i++] = '\0';
    }
    return n;
}

STARTUP_STATE_VIEW T_STARTUP_sGetState(void)
{
    STARTUP_STATE_VIEW v = {};
    v.eState = s_eState;
    v.bTransducerConnected = s_bTransducerConnected;
    v.s32TransducerConnectedTimer = s_s32TransducerConnectedTimer;
    v.u32AgeCountdown = u32AgeCountdown;
    v.bSystemStarted = s_bSystemStarted;
    v.eDisclaimerState = s_eDisclaimerState;
    v.bInMenu = s_bInMenu;
    v.s32MenuLine = s_s32MenuLine;
    v.bDiagnosticMode = s_bDiagnosticMode;
    v.bQuickConfigMenuDisplayed = s_bQuickConfigMenuDisplayed;
    v.u32SuperUserCount = u32SuperUserCount;
    v.numSequence = numSequence;
    v.bShutDown = s_bShutDown;
    return v;
}

void T_STARTUP_vResetForTests(void)
{
    if (s_pTimer != nullptr)
        L_TIMER_Release(s_pTimer);
    s_pTimer = nullptr;
    s_eState = STATE_NORMAL_RUN;
    s_bTransducerConnected = TRUE;
    s_s32TransducerConnectedTimer = TRANSDUCER_MESSAGE_MS;
    u32AgeCountdown = AGE_PERIODS;
    s_bSystemStarted = FALSE;
    s_eDisclaimerState = DISCLAIMER_INACTIVE;
    s_bInMenu = FALSE;
    s_s32MenuLine = 0;
    {
        std::lock_guard<std::mutex> lock(s_personalMutex);
        memset(s_personalString, 0, sizeof s_personalString);
    }
    s_bDiagnosticMode = FALSE;
    s_bInitialState = FALSE;
    s_bQuickConfigMenuDisplayed = FALSE;
    u32SuperUserCount = 0;
    viewKeyDown = FALSE;
    numSequence = 0;
    s_bShutDown = FALSE;
    s_pTimer = L_TIMER_Allocate();
}

void T_STARTUP_vSetForTests(const STARTUP_STATE_VIEW* pState)
{
    s_eState = pState->eState;
    s_bTransducerConnected = pState->bTransducerConnected;
    s_s32TransducerConnectedTimer = pState->s32TransducerConnectedTimer;
    u32AgeCountdown = pState->u32AgeCountdown;
    s_bSystemStarted = pState->bSystemStarted;
    s_eDisclaimerState = pState->eDisclaimerState;
    s_bInMenu = pState->bInMenu;
    s_s32MenuLine = pState->s32MenuLine;
    s_bDiagnosticMode = pState->bDiagnosticMode;
    s_bQuickConfigMenuDisplayed = pState->bQuickConfigMenuDisplayed;
    u32SuperUserCount = pState->u32SuperUserCount;
    numSequence = pState->numSequence;
    s_bShutDown = pState->bShutDown;
}

void T_STARTUP_vSetOwnerTextForTests(const char* pcText, U32 u32Bytes)
{
    std::lock_guard<std::mutex> lock(s_personalMutex);
    memset(s_personalString, 0, sizeof s_personalString);
    memcpy(s_personalString, pcText, std::min<U32>(u32Bytes, STARTUP_PERSONAL_BYTES));
}

// What the screens read.
namespace t_startup {

SYSTEM_STATE eState(void) { return s_eState; }
BOOLEAN bTransducerConnected(void) { return s_bTransducerConnected; }
BOOLEAN bSystemStarted(void) { return s_bSystemStarted; }
DISCLAIMER eDisclaimerState(void) { return s_eDisclaimerState; }
S32 s32MenuLine(void) { return s_s32MenuLine; }
const TEXT_TABLE* pMenuRowText(S32 s32Row) { return s_structStartupMenu[s32Row].pString; }
void vCopyOwnerText(char* pcOut)
{
    std::lock_guard<std::mutex> lock(s_personalMutex);
    memcpy(pcOut, s_personalString, sizeof s_personalString);
}

} // namespace t_startup

// Static functions --------------------------------------------------------------

namespace {

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE_FILE, u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

bool bTaskEnabled(TASK t) { return t >= 1 && t <= ntasks && task_disabled[t - 1] == 0; }

// Kernel priorities change nothing in this system, but the old one comes
// back as the unit's tasks expect.
void vExecWithHighPriority(TASK t, PRIORITY* pOld)
{
    const ERC old = L_TASK_GetPriority(t);
    L_TASK_SetPriority(t, 2);
    L_TASK_Start(t);
    usleep(100);
    if (pOld != nullptr)
        *pOld = old > 0 ? (PRIORITY)old : 0;
    else if (old > 0)
        L_TASK_SetPriority(t, (PRIORITY)old);
}

void vWaitForKey(FOURCHARID fcid)
{
    while (H_CLIENT_mboxTask(fcid) == 0)
        usleep(100);
}

void vRequestFrame(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }
void vGoodClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_GOOD); }
void vBadClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_BAD); }
void vSetView(LAYER_ID view) { H_DATABASE_bUpdateValueS32(KEY_CVEW, view, P_NORMAL); }
void vWriteState(SYSTEM_STATE e) { H_DATABASE_bUpdateValueU32(KEY_CCST, (U32)e, P_NORMAL); }

bool bFetchU32(FOURCHARID fcid, U32* pu32, BOOLEAN* pbValid)
{
    return H_DATABASE_bFetchU32(fcid, pu32, pbValid, nullptr) != FALSE;
}
bool bFetchS32(FOURCHARID fcid, S32* ps32) { return H_DATABASE_bFetchS32(fcid, ps32, nullptr, nullptr) != FALSE; }
bool bFetchBool(FOURCHARID fcid, BOOLEAN* pb, BOOLEAN* pbValid)
{
    return H_DATABASE_bFetchBoolean(fcid, pb, pbValid, nullptr) != FALSE;
}

void vSendToNvram(CMD_ID cmd, FOURCHARID fcid)
{
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TNVR);
    if (mbox == 0)
        return;
    auto* pMail = H_CLIENT_pNewMail<MSG_NVRAM_WRITE_TO_HEADER>(cmd);
    if (pMail == nullptr)
        return;
    pMail->id = fcid;
    H_CLIENT_bPost(mbox, pMail, MAIL_PRIORITY);
}

void vWaitForNvram(void)
{
    for (U32 u32Attempt = 0; u32Attempt < NVRAM_ATTEMPTS; ++u32Attempt) {
        U32 u32Mailbox = 0;
        BOOLEAN bValid = FALSE;
        if (bFetchU32(KEY_TNVR, &u32Mailbox, &bValid) && bValid && u32Mailbox != 0)
            return;
        L_CLOCK_Sleep(100);
    }
    vFatal(__LINE__, "STARTUP: Where's tNVRAM");
}

BOOLEAN bReadPersonalizationData(void)
{
    {
        std::lock_guard<std::mutex> lock(s_personalMutex);
        memset(s_personalString, 0, sizeof s_personalString);
    }
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TNVR);
    if (mbox == 0)
        return FALSE;
    auto* pMail = H_CLIENT_pNewMail<MSG_READ_PERSONALIZED>(CMD_ID_READ_PERSONALIZED);
    if (pMail == nullptr)
        return FALSE;
    PERSONALIZATION_DATA_BLOCK block = {};
    pMail->pPersonData = &block;
    pMail->bSuccess = FALSE;
    L_SEMA_SetPending(SEMA_STARTUP_PERSONAL);
    if (L_MBOX_SendWait(mbox, &pMail->Header.msghdr, MAIL_PRIORITY, SEMA_STARTUP_PERSONAL) != 0) {
        H_MEMORY_vFree(pMail);
        return FALSE;
    }
    const BOOLEAN bSuccess = pMail->bSuccess;
    H_MEMORY_vFree(pMail);
    if (!bSuccess)
        return FALSE;
    // The block's words as the unit keeps them: little-endian bytes.
    std::lock_guard<std::mutex> lock(s_personalMutex);
    for (U32 i = 0; i < STARTUP_PERSONAL_BYTES / 2; ++i) {
        s_personalString[2 * i] = (char)(block.u16Data[i] & 0xFF);
        s_personalString[2 * i + 1] = (char)(block.u16Data[i] >> 8);
    }
    s_personalString[STARTUP_PERSONAL_BYTES] = '\0';
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
    return TRUE;
}

void vSetupMenuTabs(void)
{
    U_MENU_bRegisterTab(T_VIEW_pViewsTabName, SELECT_VIEWS_TAB_PRIORITY, t_startup::pTabIcon(0), M_BASIC);
    // A tab is known by its table: "Views" and "Setup" are the view and menu
    // tasks' tables, "Alarms" and "Accessories" those the sonar items use.
    U_MENU_bRegisterTab(&txtTabAlarms, ALARM_TAB_PRIORITY, t_startup::pTabIcon(1), M_BASIC);
    U_MENU_bRegisterTab(T_MENU_pSetupTabName, SETUP_TAB_PRIORITY, t_startup::pTabIcon(2), M_BASIC);
    U_MENU_bRegisterTab(&txtTabAccessories, ACCESSORY_TAB_PRIORITY, t_startup::pTabIcon(3), M_BASIC);
    U_DATETIME_vRegisterSetupAction(TRUE);
}

void vRegisterLanguageSelector(BOOLEAN bQuick)
{
    const TEXT_TABLE* const* ppNames = nullptr;
    const U32* pu32Values = nullptr;
    U32 u32Count = 0;
    if (MODEL_bInternationalModel1()) {
        ppNames = s_pLanguageList1;
        pu32Values = s_pLanguageNums1;
        u32Count = LANGUAGE_LIST1_COUNT;
    } else if (MODEL_bInternationalModel2()) {
        ppNames = s_pLanguageList2;
        pu32Values = s_pLanguageNums2;
        u32Count = LANGUAGE_LIST2_COUNT;
    } else {
        return;
    }
    if (bQuick)
        U_MENU_bRegisterQuickSelectorMenu(&txtLanguage, MENU_SET_LANGUAGE, KEY_SLNG, u32Count, ppNames, pu32Values,
                                          M_BASIC);
    else
        U_MENU_bRegisterMainSelectorMenu(&txtLanguage, T_MENU_pSetupTabName, MENU_SET_LANGUAGE, KEY_SLNG, u32Count,
                                         ppNames, pu32Values, M_BASIC);
}

void vResetLanguage(void)
{
    U32 u32Language = 0;
    const bool bPresent = bFetchU32(KEY_SLNG, &u32Language);
    if (!bPresent || (MODEL_bDomesticModel() && u32Language != 0)) {
        H_DATABASE_bUpdateValueU32(KEY_SLNG, 0, P_NORMAL);
        vSendToNvram(CMD_ID_WRITE_TO_NVR, KEY_SLNG);
    } else if (MODEL_bInternationalModel2()) {
        // The retired numbers of the two languages of the 3-language set.
        if (u32Language == 1)
            H_DATABASE_bUpdateValueU32(KEY_SLNG, 15, P_NORMAL);
        else if (u32Language == 2)
            H_DATABASE_bUpdateValueU32(KEY_SLNG, 16, P_NORMAL);
    }
}

void vStartQuickConfig(void)
{
    s_aMaxDepthLimits[0].fMaximum = 1500.0f;
    s_aMaxDepthLimits[1].fMaximum = 500.0f;
    s_aMaxDepthLimits[2].fMaximum = 250.0f;
    H_DATABASE_bUpdateEverythingU32(KEY_SSMD, 0, MAX_DEPTH_WRITER_PRIORITY, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
    vRegisterLanguageSelector(TRUE);
    H_DATABASE_bUpdateEverythingU32(KEY_SSWA, 0, WATER_TYPE_WRITER_PRIORITY, D_UNKNOWN, &s_apcWaterType,
                                    DB_TIMEOUT_NEVER);
    U_MENU_bRegisterQuickSelectorMenu(&txtQuickWaterType, MENU_WATER_TYPE, KEY_SSWA, 3, s_apWaterTypes, s_au32WaterTypes,
                                      M_BASIC);
    U_MENU_bRegisterQuickVarStepSliderMenu(&txtQuickMaxDepth, MENU_MAX_DEPTH_TO_PING, KEY_SSMD, s_aMaxDepthLimits,
                                           s_aMaxDepthSteps, &txtAuto, nullptr, nullptr, M_BASIC);
}

void vRestartTimer(TICKS ticks)
{
    if (s_pTimer != nullptr)
        L_TIMER_Start(s_pTimer, ticks, 0, SEMA_STARTUP_AUTOSTART);
}

void vStopTimer(void)
{
    if (s_pTimer != nullptr)
        L_TIMER_Stop(s_pTimer);
}

// A layer the view task must have taken before the task goes on: the
// mail waits on semaphore 77, cleared before and after.
BOOLEAN bRegisterLayerWaiting(DRAW_FUNCTION* pfnDraw, LAYER_ID layer)
{
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TVUE);
    if (mbox == 0)
        return FALSE;
    auto* pMail = H_CLIENT_pNewMail<MSG_REGISTER_LAYER>(CMD_ID_REGISTER_LAYER);
    if (pMail == nullptr)
        return FALSE;
    pMail->layer = layer;
    pMail->where_used = USED_BY_NONE;
    pMail->pDrawFunction = pfnDraw;
    pMail->fcidDisplayFlag = 0;
    pMail->bDisplay = TRUE;
    pMail->eLocation = SPLIT_FULL_WINDOW;
    L_SEMA_SetPending(SEMA_STARTUP_AUTOSTART);
    const ERC erc = L_MBOX_SendWait(mbox, &pMail->header.msghdr, MAIL_PRIORITY, SEMA_STARTUP_AUTOSTART);
    const BOOLEAN bTaken = erc == 0 && pMail->flag;
    H_MEMORY_vFree(pMail);
    L_SEMA_SetPending(SEMA_STARTUP_AUTOSTART);
    return bTaken;
}

// Outside normal run a start is never earlier than about 6 s after the
// process started.
void vSleepBeforeStart(void)
{
    if (s_eState == STATE_NORMAL_RUN)
        return;
    const S64 s64Remaining = 6000 - (S64)L_CLOCK_qwGetTimeInMillis();
    if (s64Remaining > 0)
        L_CLOCK_Sleep((TICKS)std::min<S64>(s64Remaining, 3000));
}

void vHandleKey(const MSG_KEY_CHANGE* pKey)
{
    if (T_STARTUP_EDIT_bHandleConfKeys(pKey) || T_STARTUP_EDIT_bHandleKeys(pKey))
        return;
    if (s_eState == STATE_DIAGNOSTIC && s_bSystemStarted) {
        vHandleDiagnosticModeKeys(pKey);
        return;
    }
    if (s_eDisclaimerState == DISCLAIMER_ACTIVE) {
        if (s_eState == STATE_PRE_POINT_OF_SALE)
            s_eState = STATE_NORMAL_RUN;
        else
            vSleepBeforeStart();
        s_eDisclaimerState = DISCLAIMER_FINISHED;
        vGoodClick();
        vRequestFrame();
        T_STARTUP_vStartSystem();
        return;
    }
    if (s_bSystemStarted)
        return;
    switch (pKey->key) {
    case KEY_EXIT:
        vGoodClick();
        vSleepBeforeStart();
        T_STARTUP_vStartSystem();
        break;
    case KEY_MENU:
        if (s_bInMenu) {
            vBadClick();
            vRestartTimer(MENU_TIMEOUT_MS);
            break;
        }
        vGoodClick();
        s_s32MenuLine = s_bTransducerConnected ? 0 : 1;
        U_VIEW_bUnRegisterLayer(TRANSDUCER_NOT_DETECTED_LAYER);
        vStopTimer();
        L_SEMA_SetPending(SEMA_STARTUP_AUTOSTART);
        bRegisterLayerWaiting(T_STARTUP_vDisplayStartupMenu, STARTUP_MENU_VIEW_PRIORITY);
        vSetView(STARTUP_MENU_VIEW_PRIORITY);
        s_bInMenu = TRUE;
        vRequestFrame();
        vRestartTimer(MENU_TIMEOUT_MS);
        break;
    case KEY_CURSOR:
        if (!s_bInMenu)
            break;
        vRestartTimer(MENU_TIMEOUT_MS);
        vHandleCursor(pKey);
        break;
    default:
        vBadClick();
        break;
    }
}

void vHandleCursor(const MSG_KEY_CHANGE* pKey)
{
    const S32 s32Line = s_s32MenuLine;
    switch (pKey->cursor) {
    case CURSOR_NORTH:
    case CURSOR_SOUTH: {
        const S32 s32New = pKey->cursor == CURSOR_NORTH ? s32Line - 1 : s32Line + 1;
        if (s32New < 0 || s32New > STARTUP_MENU_LAST_ROW) {
            vBadClick();
            break;
        }
        s_s32MenuLine = s32New;
        vGoodClick();
        vRequestFrame();
        break;
    }
    case CURSOR_EAST:
        vGoodClick();
        T_STARTUP_vStartSystem();
        break;
    default:
        vBadClick();
        break;
    }
}

// The next (or previous) page; the GPS page only with a valid fix indicator.
void vStepPage(S32 s32Step)
{
    numSequence = (numSequence + 3 + s32Step) % 3;
    if (layerSequence[numSequence] == DIAGNOSTIC_GPS_CARTOGRAPHY) {
        U32 u32Fix = 0;
        BOOLEAN bValid = FALSE;
        if (!bFetchU32(KEY_IPFI, &u32Fix, &bValid) || !bValid)
            numSequence = (numSequence + 3 + s32Step) % 3;
    }
    vSetView(layerSequence[numSequence]);
}

void vHandleDiagnosticModeKeys(const MSG_KEY_CHANGE* pKey)
{
    if (pKey->state != KEY_DOWN) {
        if (pKey->key == KEY_VIEW || pKey->key == KEY_EXIT || pKey->key == KEY_MENU)
            u32SuperUserCount = 0;
        if (pKey->key == KEY_VIEW)
            viewKeyDown = FALSE;
        return;
    }
    switch (pKey->key) {
    case KEY_VIEW:
        u32SuperUserCount = 0;
        viewKeyDown = TRUE;
        vStepPage(1);
        vGoodClick();
        break;
    case KEY_EXIT:
        u32SuperUserCount = 0;
        vStepPage(-1);
        vGoodClick();
        viewKeyDown = FALSE;
        break;
    case KEY_MENU:
        // MENU on a status page is the way into the network address editor.
        u32SuperUserCount = 0;
        vGoodClick();
        T_STARTUP_EDIT_vIPAddressSetup();
        break;
    case KEY_CURSOR:
        if (pKey->cursor == SERVICE_COUNT_DIRECTION) {
            if (u32SuperUserCount < SERVICE_COUNT)
                ++u32SuperUserCount;
            vBadClick();
        } else if ((pKey->cursor == SERVICE_ON_DIRECTION || pKey->cursor == SERVICE_OFF_DIRECTION) &&
                   u32SuperUserCount >= SERVICE_COUNT) {
            const BOOLEAN bOn = pKey->cursor == SERVICE_ON_DIRECTION;
            H_DATABASE_bUpdateValueBoolean(KEY_SMSU, bOn, P_NORMAL);
            L_SEMA_Signal(SEMA_NVRAM_UPDATE);
            L_CLOCK_Sleep(500);
            L_SEMA_Signal(bOn ? SEMA_LARGE_FISH_TONE : SEMA_SMALL_FISH_TONE);
        } else {
            u32SuperUserCount = 0;
            vBadClick();
        }
        viewKeyDown = FALSE;
        break;
    default:
        vBadClick();
        break;
    }
}

void vHandleNewData(const MESSAGE_NEW_DATA* pMsg)
{
    if (pMsg->FourCharId == KEY_SMDL) {
        MODEL_bRegisterModel(pMsg->dbValue.u32Val);
        vResetLanguage();
    } else if (pMsg->FourCharId == KEY_CCST) {
        // The task's own write at the start comes back here too, after
        // the start, and changes nothing.
        const U32 u32State = pMsg->dbValue.u32Val;
        s_eState = (SYSTEM_STATE)u32State;
        s_bInMenu = FALSE;
        if (u32State == STATE_INLINE_TEST) {
            U_VIEW_bUnRegisterLayer(TRANSDUCER_NOT_DETECTED_LAYER);
            vRequestFrame();
        }
        if (!s_bSystemStarted)
            T_STARTUP_vStartSystem();
    }
}

void vCheckDiagnosticMode(void)
{
    U32 u32State = 0;
    if (!bFetchU32(KEY_CCST, &u32State) || u32State != STATE_DIAGNOSTIC)
        return;
    s_bDiagnosticMode = TRUE;
    BOOLEAN bShown = FALSE;
    bFetchBool(KEY_SVST, &bShown);
    s_bInitialState = bShown;
    H_DATABASE_bUpdateValueBoolean(KEY_SVST, TRUE, P_NORMAL);
}

void vResetDefaultConfigAfterMMCUpdate(void)
{
    BOOLEAN bRequest = FALSE;
    if (bFetchBool(KEY_SSRD, &bRequest) && bRequest) {
        T_KEYBOARD_vRestoreFactoryDefaults();
        H_DATABASE_bUpdateValueBoolean(KEY_SSRD, FALSE, P_NORMAL);
    }
}

void vHandleShutdown(void)
{
    if (s_pTimer != nullptr) {
        L_TIMER_Stop(s_pTimer);
        L_TIMER_Release(s_pTimer);
        s_pTimer = nullptr;
    }
    for (LAYER_ID layer : {TRANSDUCER_NOT_DETECTED_LAYER, STARTUP_SPLASH_VIEW_PRIORITY, STARTUP_MENU_VIEW_PRIORITY,
                           STARTUP_CHART_DISCLAIMER})
        U_VIEW_bUnRegisterLayer(layer);
    if (s_bDiagnosticMode)
        H_DATABASE_bUpdateValueBoolean(KEY_SVST, s_bInitialState, P_NORMAL);
    s_bShutDown = TRUE;
}

} // namespace
