// The start-up task (task 17, mailbox 17, key "TTAR").
//
// It carries the unit from the process start to a running system: it starts
// the display, view, ADC, view-key, NVRAM, keyboard and menu tasks in that
// order, gives the unit-header settings their defaults, registers the first
// menu tabs and views, detects the sonar transducer and prepares the system
// state that applies when nobody chooses one. Main starts the other tasks
// once bStartupTaskInitialized is set.
//
// Until the system starts the task shows the splash screen and, after MENU,
// the start-up menu ("Normal", "Simulator", "System Status"); without a
// choice it starts 8 s after its initialisation began, or 5 s after the
// last key in the menu. Normal run, simulation and pre-point-of-sale first
// show the chart disclaimer (not with the option nodisclaimer), which waits
// for a key. The start publishes the state in "CCST" and sends
// CMD_ID_RUN_SYSTEM to the 36 task mailboxes of T_STARTUP_mboxTaskMailboxes
// in their order. Another task may write "CCST" before the start (the
// PC-connect and inline-test tasks do); the system then starts in that
// state at once.
//
// After the start a 2000 ms period drives the data store's time-out sweep,
// adds 600 s to the operating age "SAGE" (and "SAGS") every 300 periods and
// takes the transducer-not-detected message away. In System Status the task
// owns the keys of the three pages: VIEW and EXIT page forward and back,
// and a hidden cursor sequence switches the service level "SMSU": five
// presses north (each a refused click), then east switches it on or west
// switches it off; south, or a switch direction before the count of five,
// starts the count again.
//
// Everything runs in the task's own thread; the draw callbacks of the five
// screens run in the view task's thread and only read the task's state.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "ui/neighbour_standins.h" // SYSTEM_STATE
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

#include <atomic>

constexpr TASK STARTUP_TASK = 17;
constexpr MBOX STARTUP_MAILBOX = 17;
constexpr SEMA SEMA_MBOX_STARTUP = 52;
constexpr SEMA SEMA_STARTUP_DBPOLL = 69;    // the 2000 ms period after the start
constexpr SEMA SEMA_STARTUP_AUTOSTART = 77; // the auto-start timer and the layer acknowledgements
constexpr SEMA SEMA_STARTUP_PERSONAL = 120; // the owner-text request

constexpr LAYER_ID STARTUP_SPLASH_VIEW_PRIORITY = 1;
constexpr LAYER_ID STARTUP_MENU_VIEW_PRIORITY = 2;
constexpr LAYER_ID STARTUP_CHART_DISCLAIMER = 3;
constexpr LAYER_ID DIAGNOSTIC_SELF_TEST = 151;
constexpr LAYER_ID DIAGNOSTIC_ACCESSORY_CATALOG = 152;
constexpr LAYER_ID DIAGNOSTIC_GPS_CARTOGRAPHY = 153;
constexpr LAYER_ID INFO_SELF_TEST_LAYER = 249;
constexpr LAYER_ID TRANSDUCER_NOT_DETECTED_LAYER = 303;

typedef enum tag_DISCLAIMER : int {
    DISCLAIMER_INACTIVE = 0,
    DISCLAIMER_ACTIVE = 1,
    DISCLAIMER_FINISHED = 2
} DISCLAIMER;

constexpr U32 STARTUP_RUN_MAILBOXES = 36;
extern const MBOX T_STARTUP_mboxTaskMailboxes[STARTUP_RUN_MAILBOXES];

// Set once the initialisation is done; only Main reads it.
extern std::atomic<BOOLEAN> bStartupTaskInitialized;

// Task entry; never returns.
void T_STARTUP_vMain(void);
void T_STARTUP_vInit(void);
void T_STARTUP_vStartSystem(void);
// For the menu task when the user leaves the quick-setup menu that the
// start opened; nothing when that menu is not the start's.
void T_STARTUP_vRemoveQuickConfigMenu(void);
// A transducer was detected (or is treated as present) at start-up.
BOOLEAN T_STARTUP_bIsSonarTransducerDetected(void);

// The task's work in steps, for tests that drive it without its thread.
// One mail of mailbox 17, disposed of afterwards.
void T_STARTUP_vHandleMail(MSGHEADER* pHeader);
// One 2000 ms period.
void T_STARTUP_vHandleDBPOLLTimer(void);
// The auto-start timer ran out.
void T_STARTUP_vHandleAutoStart(void);
// Steps 23 and 24 of the initialisation: the transducer and the state that
// applies without a choice.
void T_STARTUP_vDetectAndPrepareState(void);
// Step 10: the unit-header defaults.
void T_STARTUP_vNVRVirginSetup(void);

// The splitting of the owner text for the splash screen: up to four lines
// into papLines (pointers into pcText, whose separators become line ends);
// an empty line is an empty string. Returns the number of lines.
constexpr char STARTUP_LINE_SEPARATOR = 3;
constexpr U32 STARTUP_PERSONAL_BYTES = 252;
U32 T_STARTUP_u32SplitOwnerText(char* pcText, U32 u32Bytes, const char* papLines[4]);

// The draw callbacks of the start-up screens.
void T_STARTUP_vDisplaySplashScreen(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_STARTUP_vDisplayStartupMenu(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_STARTUP_vDisplayDisclaimer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_STARTUP_vDrawSelfTestView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_STARTUP_vDrawTransducerNotDetected(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// What the task holds, for tests and for the screens.
typedef struct tag_STARTUP_STATE_VIEW {
    SYSTEM_STATE eState;
    BOOLEAN bTransducerConnected;
    S32 s32TransducerConnectedTimer;
    U32 u32AgeCountdown;
    BOOLEAN bSystemStarted;
    DISCLAIMER eDisclaimerState;
    BOOLEAN bInMenu;
    S32 s32MenuLine;
    BOOLEAN bDiagnosticMode;
    BOOLEAN bQuickConfigMenuDisplayed;
    U32 u32SuperUserCount;
    U32 numSequence;
    BOOLEAN bShutDown;
} STARTUP_STATE_VIEW;
STARTUP_STATE_VIEW T_STARTUP_sGetState(void);

// Tests only: the state of a fresh process (the timer released), and the
// pieces the screens read.
void T_STARTUP_vResetForTests(void);
void T_STARTUP_vSetForTests(const STARTUP_STATE_VIEW* pState);
void T_STARTUP_vSetOwnerTextForTests(const char* pcText, U32 u32Bytes);
