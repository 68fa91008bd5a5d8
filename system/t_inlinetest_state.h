// The inline-test task's state, shared inside this folder: with the draw
// callback (which runs in the view task and reads under RES_INLINETEST),
// with the factory tests that run in the task, and with the tests. Not a
// client interface: other subsystems use t_inlinetest.h.
#pragma once

#include "kernel/l_timer.h"
#include "kernel/l_types.h"
#include "ui/u_keyboard.h"

// Kernel objects of the task.
constexpr SEMA SEMA_MBOX_INLINETEST = 39;
constexpr SEMA SEMA_TEST_CONNECT = 110;
constexpr SEMA SEMA_USER_TEST = 115;
constexpr SEMA SEMA_TIMER_SONAR_TEST = 86;
constexpr SEMA SEMA_QUEUE_MSSBCAST_RX = 257;
constexpr SEMA SEMA_QUEUE_RX3 = 22;
constexpr SEMA SEMA_SONAR_SHUTDOWN = 121;
constexpr SEMA SEMA_NVRAM_UPDATE = 104;
constexpr SEMA SEMA_CLEAR_ALARMS = 119;
constexpr SEMA SEMA_TEST_PARAMS = 125;
constexpr MUTEX RES_INLINETEST = 37;
constexpr QUEUE Q_TRANSMIT_UART3 = 7;
constexpr QUEUE Q_RECEIVE_UART3 = 8;

typedef enum tag_TEST_TYPE : int {
    WAITING_FOR_TEST = 0,
    TESTING_KEYPAD = 1,
    TESTING_DISPLAY = 2,
    TESTING_CONTRAST = 3,
    TESTING_VCOM = 4,
    TESTING_BACK_LIGHT = 5,
    TESTING_BUZZER = 6,
    TESTING_SONAR = 7,
    TESTING_SPEED = 8,
    TESTING_TRANSDUCER_WATER_TEMPERATURE = 9,
    TESTING_SPEED_WATER_TEMPERATURE = 10,
    TESTING_ACCESSORY_PORT = 11,
    TESTING_BATTERY_VOLTAGE = 12,
    TESTING_NAND_MAP = 13,
    TESTING_NAND_SIM = 14,
    TESTING_INTERNAL_GPS = 15,
    TESTING_MMC = 16,
    TESTING_IF_MMC_CARD_PRESENT = 17,
    TESTING_EXTERNAL_NMEA = 18,
    TESTING_LCD_TEMP = 19,
    TESTING_ETHERNET = 20,
    TEST_SONAR_TUNING = 21,
    TEST_TRANSDUCER_ID = 22,
    TEST_EXT_ALARM = 23,
    TEST_GPS_POWER = 24,
    TEST_USB = 25,
    TEST_SONAR_VERSION = 26,
    RESERVED_7 = 27,
    RESERVED_8 = 28,
    RESERVED_9 = 29,
    RESERVED_10 = 30,
    TESTING_FINISHED_PASS = 31,
    TESTING_FINISHED_FAIL = 32,
    TESTING_MSS_POD_ROTATE = 33,
    TESTING_MSS_POD_FINDHOME = 34,
    TESTING_MSS_POD_SPEED = 35,
    TESTING_STM32_DEPLOY = 36,
    TESTING_STM32_INLINETEST_MODE = 41
} TEST_TYPE;

typedef enum tag_TEST_CONTROL : int { PC_DRIVEN_TEST = 2 } TEST_CONTROL;
typedef enum tag_TEST_RESULT : int { PENDING = 1, PASS = 2, FAIL = 3 } TEST_RESULT;

constexpr U32 INLINETEST_TEXT_BYTES = 200;

// The last sonar verdict as shown.
typedef struct tag_SONAR_DISPLAY_DATA {
    U16 u16Depth;
    BOOLEAN bDepthPass;
    U16 u16Signal;
    BOOLEAN bSignalPass;
    U16 u16Noise;
    BOOLEAN bNoisePass;
} SONAR_DISPLAY_DATA;

// The task state. The status line and the key logs change under
// RES_INLINETEST; the draw callback reads everything under it.
typedef struct tag_INLINETEST_STATE {
    BOOLEAN bInInlineTest;
    TEST_CONTROL eTestControl;
    TEST_TYPE eCurrentTest;
    TEST_RESULT eTestResult;
    TIMER_INFO* pUpdateTimer;
    U32 u32PassedTests;
    char strStartingTest[INLINETEST_TEXT_BYTES];
    char strLastKeyAction[INLINETEST_TEXT_BYTES];
    char strPrevKeyAction[INLINETEST_TEXT_BYTES];
    // Of the factory tests: the measured value shown, the keypad step
    // (0-31, 32 done), the display test's colour counter, the slot word of
    // the card tests, the sonar beam shown with its labels, and its verdict.
    U32 u32DisplayValue;
    S32 s32CurrentKey;
    S32 s32DisplayNextColor;
    const char* pcWhichSlot;
    U32 u32SonarBeam;
    const char* pcBeamFreqString;
    const char* pcBeamDisplayNumber;
    SONAR_DISPLAY_DATA sonarDisplay;
} INLINETEST_STATE;

extern INLINETEST_STATE s_inlineTest;

// ---- Frames ----

// Room for 512 argument characters and the terminator, and for the few
// characters an answer adds to an argument of that length.
constexpr U32 INLINETEST_MAX_ARGUMENT = 512;
constexpr U32 INLINETEST_FRAME_BYTES = INLINETEST_MAX_ARGUMENT + 16;

typedef enum tag_RX_STATE : int {
    RX_WAIT_PREFIX = 1,
    RX_WAIT_COMMAND = 2,
    RX_WAIT_DATA = 3,
    RX_WAIT_CR = 4
} RX_STATE;

// A handler takes the frame buffer (the argument, zero-terminated) and
// leaves the answer in it.
typedef BOOLEAN TEST_FUNCTION(char* pcBuffer);

typedef struct tag_INLINETEST_COMMAND {
    TEST_FUNCTION* pFunction;
    U8 u8FunctionCode;
    BOOLEAN bHasData;
} INLINETEST_COMMAND;

constexpr U32 INLINETEST_COMMANDS = 15;
extern const INLINETEST_COMMAND s_tLookupCommand[INLINETEST_COMMANDS];

// The frame receiver: the state, the frame buffer (from the program heap,
// one per frame) and its length, the matched row.
typedef struct tag_INLINETEST_RX {
    RX_STATE eState;
    char* pcFrame;
    U32 u32Length;
    S32 s32Row;
} INLINETEST_RX;

// Runs a complete frame: row of s_tLookupCommand and the buffer.
typedef void INLINETEST_RUN(S32 s32Row, char* pcFrame);

// A fresh receiver; a receiver left mid-frame is let go with its buffer.
void T_INLINETEST_vInitReceiver(INLINETEST_RX* pRx);
void T_INLINETEST_vReleaseReceiver(INLINETEST_RX* pRx);
// Feeds one byte; a complete frame is handed to pfnRun, then released.
void T_INLINETEST_vReceiveByte(INLINETEST_RX* pRx, U8 u8Byte, INLINETEST_RUN* pfnRun);
// The task's run: the row's handler, then the buffer's text sent on port 3.
void T_INLINETEST_vRunCommand(S32 s32Row, char* pcFrame);

// Handlers of the table.
BOOLEAN T_INLINETEST_bWriteDatabaseItem(char* pcBuffer);
BOOLEAN T_INLINETEST_bReadDatabaseItem(char* pcBuffer);
BOOLEAN T_INLINETEST_bClearUserInfo(char* pcBuffer);
BOOLEAN T_INLINETEST_bReturnSoftwareVersion(char* pcBuffer);
BOOLEAN T_INLINETEST_bResetGps(char* pcBuffer);
BOOLEAN T_INLINETEST_bHandleScratchNVR(char* pcBuffer);
BOOLEAN T_INLINETEST_bStopPing(char* pcBuffer);
BOOLEAN T_INLINETEST_bExitTest(char* pcBuffer);
BOOLEAN T_INLINETEST_bDisplayMsg(char* pcBuffer);
BOOLEAN T_INLINETEST_bRunTest(char* pcBuffer);
BOOLEAN T_INLINETEST_bChecksumMaps(char* pcBuffer);
BOOLEAN T_INLINETEST_bLinuxCommand(char* pcBuffer);
BOOLEAN T_INLINETEST_bLinuxGPUCheck(char* pcBuffer);
BOOLEAN T_INLINETEST_bCustomScreen(char* pcBuffer);
BOOLEAN T_INLINETEST_bReadEfuse(char* pcBuffer);

// The check of the built-in map files against their checksum list: once
// "SNMV" is set, TRUE without a check.
extern const char s_md5_file[];
BOOLEAN H_INLINETEST_bVerifyMapChecksums(const char* pcList);

// ---- The factory tests' side (the "t" command and its routing) ----

// A key event and a timer tick for the current test; called with
// RES_INLINETEST held for the key.
void T_INLINETEST_vRouteKey(const MSG_KEY_CHANGE* pKey);
void T_INLINETEST_vRouteTick(void);

// The numeric fields of a "t" argument: split at every ",", empty fields
// dropped, at most 16, each a signed decimal ("F..." counts as 1); fields
// not sent are 0.
constexpr U32 INLINETEST_FIELDS = 16;
void T_INLINETEST_vParseFields(const char* pcArgument, S32 as32Fields[INLINETEST_FIELDS]);

constexpr SEMA SEMA_FISH_ALARM_LARGE_TONE = 116;

// The test's start: result pending, the test current.
void T_INLINETEST_vBeginTest(TEST_TYPE eTest);
// The pass of a test: its bit (number - 1) in "STTP", and no test current.
void T_INLINETEST_vRecordPass(TEST_TYPE eTest);
void T_INLINETEST_vGoodClick(void);
void T_INLINETEST_vBadClick(void);

// The sonar tests (7 and 21) and their rules for ticks and keys. Each
// takes the parsed fields and leaves its answer in the buffer.
void T_INLINETEST_vRunSonarTest(const S32 as32Fields[INLINETEST_FIELDS], char* pcBuffer);
void T_INLINETEST_vRunSonarTuning(const S32 as32Fields[INLINETEST_FIELDS], char* pcBuffer);
void T_INLINETEST_vSonarTick(void);
void T_INLINETEST_vSonarTuningKey(const MSG_KEY_CHANGE* pKey);

