// The factory hardware tests of the "t" command and the routing of key
// events and timer ticks to the test that is current.
//
// A "t" argument names the test and its limits. Tests that measure answer
// in the same frame; the keypad, display, back-light and buzzer tests stay
// current while the operator works the unit, and send their verdict later
// from a key event or a tick of the test timer. A pass sets the test's bit
// (its number - 1) in "STTP". Time-out fields are taken as unsigned 16-bit
// milliseconds, so a long time-out never turns negative.
#include "system/t_inlinetest.h"

#include "system/t_inlinetest_state.h"
#include "system/u_inlinetest.h"

#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_queue.h"
#include "kernel/l_root.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "nmea/t_nmea_gps_standin.h"
#include "platform/dd_sd.h"
#include "store/h_database.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

// Constants ---------------------------------------------------------------

namespace {

constexpr char ACK[] = "#ACK\n\r";
constexpr char NAK[] = "#NAK\n\r";
constexpr char PASS_WORD[] = "Pass ";
constexpr char FAIL_WORD[] = "Fail ";
constexpr U32 KEYPAD_STEPS = 32;
constexpr TICKS KEYPAD_DEFAULT_TIMEOUT = 2000;
constexpr TICKS HALF_SECOND = 500;
constexpr S32 DISPLAY_COLOURS_SEEN = 5;
constexpr S32 BACKLIGHT_STEPS = 3;
constexpr U32 BACKLIGHT_LEVELS[] = {3, 6, 10};

// The loopback's line, and how long each byte of its answer is awaited.
constexpr char LOOPBACK_TEXT[] = "%TEST PASSED\n";
constexpr U32 LOOPBACK_BYTES = 14; // the text and its terminating zero
constexpr TICKS LOOPBACK_WAIT = 250;
constexpr QUEUE Q_TRANSMIT_UART0 = 1;
constexpr QUEUE Q_RECEIVE_UART0 = 2;
constexpr QUEUE Q_TRANSMIT_UART2 = 5;
constexpr QUEUE Q_RECEIVE_UART2 = 6;

constexpr char IPADD_FILE[] = "ipadd.txt";
constexpr U32 ADDRESS_CHARS = 19;

// The keypad sequence, a pair of steps (press, release) per row; the
// cursor rows are told apart by their direction.
struct KEYPAD_ROW {
    U32 u32Mask;
    CURSOR_POSITION eCursor;
    const char* pcLogName;
};
constexpr KEYPAD_ROW s_aKeypadRows[KEYPAD_STEPS / 2] = {
    {KEY_VIEW, CURSOR_UP, "View Key--"},
    {KEY_MENU, CURSOR_UP, "Menu Key--"},
    {KEY_EXIT, CURSOR_UP, "Exit Key--"},
    {KEY_SOFT_KEY_1, CURSOR_UP, "Right Soft Key--"},
    {KEY_SOFT_KEY_2, CURSOR_UP, "Center Soft Key--"},
    {KEY_SOFT_KEY_3, CURSOR_UP, "Left Soft Key--"},
    {KEY_POWER, CURSOR_UP, "Power Key--"},
    {KEY_GOTO, CURSOR_UP, "Goto Key--"},
    {KEY_MARK, CURSOR_UP, "Mark Key--"},
    {KEY_INFO, CURSOR_UP, "Info Key--"},
    {KEY_ZOOM_OUT, CURSOR_UP, "Zoom out Key--"},
    {KEY_ZOOM_IN, CURSOR_UP, "Zoom in Key--"},
    {KEY_CURSOR, CURSOR_NORTH, "Cursor North Key--"},
    {KEY_CURSOR, CURSOR_SOUTH, "Cursor South Key--"},
    {KEY_CURSOR, CURSOR_EAST, "Cursor East Key--"},
    {KEY_CURSOR, CURSOR_WEST, "Cursor West Key--"},
};
constexpr char CURSOR_RELEASE_NAME[] = "Cursor Key--";

} // namespace

// Statics -----------------------------------------------------------------

namespace {

S32 s_s32BacklightLevelCount = 0;
U32 s_u32BacklightNext = 0; // position in the level cycle, kept over tests

// Static functions --------------------------------------------------------

void vFrameRequest(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

void vAnswer(char* pcBuffer, const char* pcFormat, ...) __attribute__((format(printf, 2, 3)));
void vAnswer(char* pcBuffer, const char* pcFormat, ...)
{
    va_list args;
    va_start(args, pcFormat);
    vsnprintf(pcBuffer, INLINETEST_FRAME_BYTES, pcFormat, args);
    va_end(args);
}

// A 32-bit strtol, saturating as the unit's does.
S32 s32Decimal(const char* pcText)
{
    const long l = strtol(pcText, nullptr, 10);
    return l > INT32_MAX ? INT32_MAX : l < INT32_MIN ? INT32_MIN : (S32)l;
}

// A reading rounded to whole units as the unit shows it (+ 0.5, then
// truncated); readings beyond 32 bits are held at the limits.
U32 u32Rounded(double d)
{
    d += 0.5;
    if (!std::isfinite(d))
        return 0;
    if (d >= (double)INT32_MAX)
        return (U32)INT32_MAX;
    if (d <= (double)INT32_MIN)
        return (U32)INT32_MIN;
    return (U32)(S32)d;
}

void vSetDisplayValue(U32 u32Value)
{
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.u32DisplayValue = u32Value;
    L_MUTEX_Unlock(RES_INLINETEST);
}

void vSetResult(TEST_RESULT eResult)
{
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.eTestResult = eResult;
    L_MUTEX_Unlock(RES_INLINETEST);
}

void vEndTest(void)
{
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.eCurrentTest = WAITING_FOR_TEST;
    L_MUTEX_Unlock(RES_INLINETEST);
}

TEST_TYPE eCurrentTest(void)
{
    L_MUTEX_LockWait(RES_INLINETEST);
    const TEST_TYPE e = s_inlineTest.eCurrentTest;
    L_MUTEX_Unlock(RES_INLINETEST);
    return e;
}

// Repeats a measurement until it passes or the time-out has gone by; a
// time-out of 0 measures once.
TEST_RESULT ePoll(U16 u16TimeoutMs, TEST_RESULT (*pfnMeasure)(void))
{
    TEST_RESULT eResult = pfnMeasure();
    if (u16TimeoutMs == 0)
        return eResult;
    const U64 u64Limit = (U64)(u16TimeoutMs / 10) * 10;
    const U64 u64Start = L_CLOCK_qwGetTimeInMillis();
    while (eResult != PASS && L_CLOCK_qwGetTimeInMillis() - u64Start < u64Limit)
        eResult = pfnMeasure();
    return eResult;
}

void vStartTimer(TICKS tStart, TICKS tRecur)
{
    L_TIMER_Start(s_inlineTest.pUpdateTimer, tStart, tRecur, SEMA_TIMER_SONAR_TEST);
}

void vStopTimer(void) { L_TIMER_Stop(s_inlineTest.pUpdateTimer); }

// ---- Keypad ----

// A step outside its pair's press goes back to that press; steps outside
// the sequence to its start.
void H_INLINETEST_vResetCurrentKeyTest(void)
{
    S32& step = s_inlineTest.s32CurrentKey;
    step = (step >= 2 && step <= 31) ? (step & ~1) : 0;
}

void vKeyLog(const char* pcText)
{
    char* p = s_inlineTest.strLastKeyAction;
    const size_t len = strnlen(p, INLINETEST_TEXT_BYTES - 1);
    snprintf(p + len, INLINETEST_TEXT_BYTES - len, "%s", pcText);
}

// One key event of the keypad test; RES_INLINETEST is held.
void H_INLINETEST_vHandleKeypadTest(const MSG_KEY_CHANGE* pKey)
{
    INLINETEST_STATE& s = s_inlineTest;
    if (s.strLastKeyAction[0] != '\0') {
        memcpy(s.strPrevKeyAction, s.strLastKeyAction, sizeof s.strPrevKeyAction);
        s.strPrevKeyAction[sizeof s.strPrevKeyAction - 1] = '\0';
        s.strLastKeyAction[0] = '\0';
    }
    const bool bPress = pKey->state == KEY_DOWN;
    if (pKey->key == KEY_CURSOR) {
        if (pKey->cursor == CURSOR_UP) {
            vKeyLog(CURSOR_RELEASE_NAME);
            if (s.s32CurrentKey == 25 || s.s32CurrentKey == 27 || s.s32CurrentKey == 29 || s.s32CurrentKey == 31)
                ++s.s32CurrentKey;
        } else {
            for (U32 row = 12; row < KEYPAD_STEPS / 2; ++row) {
                if (s_aKeypadRows[row].eCursor != pKey->cursor)
                    continue;
                vKeyLog(s_aKeypadRows[row].pcLogName);
                if (s.s32CurrentKey == (S32)(2 * row)) {
                    if (bPress) {
                        ++s.s32CurrentKey;
                        T_INLINETEST_vGoodClick();
                    }
                } else {
                    H_INLINETEST_vResetCurrentKeyTest();
                    T_INLINETEST_vBadClick();
                }
                break;
            }
        }
    } else {
        U32 row = 0;
        while (row < 12 && s_aKeypadRows[row].u32Mask != pKey->key)
            ++row;
        if (row == 12) {
            T_INLINETEST_vBadClick();
        } else {
            vKeyLog(s_aKeypadRows[row].pcLogName);
            const S32 s32Press = (S32)(2 * row);
            if (s.s32CurrentKey == s32Press) {
                if (bPress) {
                    ++s.s32CurrentKey;
                    T_INLINETEST_vGoodClick();
                }
            } else if (s.s32CurrentKey == s32Press + 1) {
                if (!bPress)
                    ++s.s32CurrentKey;
            } else {
                H_INLINETEST_vResetCurrentKeyTest();
                if (bPress)
                    T_INLINETEST_vBadClick();
            }
        }
    }
    vKeyLog(bPress ? "Pressed" : "Released");

    if (s.s32CurrentKey > 31) {
        s.strLastKeyAction[0] = '\0';
        s.strPrevKeyAction[0] = '\0';
        T_INLINETEST_vRecordPass(TESTING_KEYPAD);
        T_INLINETEST_vSendString("Pass");
    }
}

void vRunKeypad(const S32* as32Fields)
{
    vStopTimer();
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.s32CurrentKey = 0;
    L_MUTEX_Unlock(RES_INLINETEST);
    const S32 s32Timeout = as32Fields[1];
    vStartTimer(s32Timeout > 0 ? (TICKS)(s32Timeout / 10 * 10) : KEYPAD_DEFAULT_TIMEOUT, 0);
}

// ---- Display, back-light, buzzer ----

void vRunDisplay(const S32* as32Fields)
{
    vStopTimer();
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.s32DisplayNextColor = as32Fields[1] == 0 ? DISPLAY_COLOURS_SEEN : 0;
    L_MUTEX_Unlock(RES_INLINETEST);
    vStartTimer(HALF_SECOND, HALF_SECOND);
}

void H_INLINETEST_eTestBackLight(void)
{
    const U32 u32Level = BACKLIGHT_LEVELS[s_u32BacklightNext];
    s_u32BacklightNext = (s_u32BacklightNext + 1) % (sizeof BACKLIGHT_LEVELS / sizeof BACKLIGHT_LEVELS[0]);
    H_DATABASE_bUpdateValueU32(FCID("CBAK"), u32Level, P_TESTMODE);
    vFrameRequest();
}

// The operator's verdict on a test that shows something: MENU passes (once
// bAccept), EXIT fails; releases are not looked at.
void vOperatorVerdict(const MSG_KEY_CHANGE* pKey, TEST_TYPE eTest, bool bAccept)
{
    if (pKey->state != KEY_DOWN)
        return;
    if (pKey->key == KEY_MENU && bAccept) {
        T_INLINETEST_vRecordPass(eTest);
        T_INLINETEST_vSendString("Pass");
        T_INLINETEST_vGoodClick();
    } else if (pKey->key == KEY_EXIT) {
        vEndTest();
        T_INLINETEST_vSendString("Fail");
        T_INLINETEST_vGoodClick();
    } else {
        T_INLINETEST_vBadClick();
    }
}

// ---- Measurements ----

// The water temperature test being measured, and its limits.
struct WATER_TEST {
    TEST_TYPE eTest;
    U16 u16Max;
    U16 u16Min;
} s_waterTest = {TESTING_TRANSDUCER_WATER_TEMPERATURE, 0, 0};

TEST_RESULT H_INLINETEST_eTestSpeed(void)
{
    float fSpeed = 0.0f;
    if (!H_DATABASE_bFetchFloat(FCID("ISTW"), &fSpeed, nullptr, nullptr))
        return PENDING;
    vSetDisplayValue(u32Rounded(fSpeed));
    return (fSpeed >= (float)s_testParams.s16MinSpeed && fSpeed <= (float)s_testParams.s16MaxSpeed) ? PASS : FAIL;
}

TEST_RESULT eTestWaterTemperature(void)
{
    const bool bTransducer = s_waterTest.eTest == TESTING_TRANSDUCER_WATER_TEMPERATURE;
    float fTemperature = 0.0f;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchFloat(bTransducer ? FCID("ITMT") : FCID("ITMS"), &fTemperature, &bValid, nullptr))
        return PENDING;
    if (!bTransducer && !bValid)
        return PENDING;
    const double d = fTemperature;
    vSetDisplayValue(u32Rounded(d));
    return (d >= (double)s_waterTest.u16Min && d <= (double)s_waterTest.u16Max) ? PASS : FAIL;
}

TEST_RESULT H_INLINETEST_eBatteryVoltage(void)
{
    float fVolts = 0.0f;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchFloat(FCID("IVLT"), &fVolts, &bValid, nullptr) || !bValid)
        return PENDING;
    const U32 u32Volts = u32Rounded(fVolts);
    vSetDisplayValue(u32Volts);
    const U32 u32Min = (U32)(S32)s_testParams.s16MinVoltage;
    const U32 u32Max = (U32)(S32)s_testParams.s16MaxVoltage;
    return (u32Volts < u32Min || u32Volts > u32Max) ? FAIL : PASS;
}

void vRunSpeed(const S32* as32Fields, char* pcBuffer)
{
    s_testParams.s16MaxSpeed = (S16)as32Fields[1];
    s_testParams.s16MinSpeed = (S16)as32Fields[2];
    const TEST_RESULT eResult = ePoll((U16)as32Fields[3], H_INLINETEST_eTestSpeed);
    vSetResult(eResult);
    if (eResult == PENDING) {
        vAnswer(pcBuffer, "Paddle Wheel Test --No speed detected\n\r");
        return;
    }
    if (eResult == PASS)
        T_INLINETEST_vRecordPass(TESTING_SPEED);
    vAnswer(pcBuffer, "Paddle Wheel Test %s, %d\n\r", eResult == PASS ? PASS_WORD : FAIL_WORD,
            (int)s_inlineTest.u32DisplayValue);
}

void vRunWaterTemperature(TEST_TYPE eTest, const S32* as32Fields, char* pcBuffer)
{
    s_waterTest = {eTest, (U16)as32Fields[1], (U16)as32Fields[2]};
    const TEST_RESULT eResult = ePoll((U16)as32Fields[3], eTestWaterTemperature);
    vSetResult(eResult);
    if (eResult == PENDING) {
        vAnswer(pcBuffer, "%s", NAK);
        return;
    }
    const bool bTransducer = eTest == TESTING_TRANSDUCER_WATER_TEMPERATURE;
    if (eResult == PASS) {
        T_INLINETEST_vRecordPass(eTest);
        if (bTransducer) {
            s_testParams.s16MaxTransducerTemp = (S16)as32Fields[1];
            s_testParams.s16MinTransducerTemp = (S16)as32Fields[2];
        } else {
            s_testParams.s16MaxPaddleWheelTemp = (S16)as32Fields[1];
            s_testParams.s16MinPaddleWheelTemp = (S16)as32Fields[2];
        }
    }
    vAnswer(pcBuffer, "%s%s, %d\n\r", bTransducer ? "Transducer Water Test " : "Speed Water Test ",
            eResult == PASS ? PASS_WORD : FAIL_WORD, (int)s_inlineTest.u32DisplayValue);
}

void vRunBattery(const S32* as32Fields, char* pcBuffer)
{
    s_testParams.s16MaxVoltage = (S16)as32Fields[1];
    s_testParams.s16MinVoltage = (S16)as32Fields[2];
    const TEST_RESULT eResult = ePoll((U16)as32Fields[3], H_INLINETEST_eBatteryVoltage);
    vSetResult(eResult);
    if (eResult == PASS)
        T_INLINETEST_vRecordPass(TESTING_BATTERY_VOLTAGE);
    vAnswer(pcBuffer, "Battery Test %s, %d\n\r", eResult == PASS ? PASS_WORD : FAIL_WORD,
            (int)s_inlineTest.u32DisplayValue);
}

// ---- Files ----

bool bReadable(const char* pcPath)
{
    if (pcPath == nullptr)
        return false;
    char acPath[512];
    FILE* f = fopen(L_ROOT_pcResolve(pcPath, acPath, sizeof acPath), "r");
    if (f == nullptr)
        return false;
    fclose(f);
    return true;
}

TEST_RESULT H_INLINETEST_eCheckNand(const char* pcPath1, const char* pcPath2, bool bBoth)
{
    const bool b1 = bReadable(pcPath1);
    const bool b2 = bReadable(pcPath2);
    return (bBoth ? (b1 && b2) : (b1 || b2)) ? PASS : FAIL;
}

// The text fields of an argument, split as the numbers are, in a copy
// owned by the caller.
U32 u32SplitTexts(const char* pcArgument, char* pcCopy, size_t size, char* apcFields[INLINETEST_FIELDS])
{
    snprintf(pcCopy, size, "%s", pcArgument);
    U32 n = 0;
    char* pSave = nullptr;
    for (char* p = strtok_r(pcCopy, ",", &pSave); p != nullptr && n < INLINETEST_FIELDS;
         p = strtok_r(nullptr, ",", &pSave))
        apcFields[n++] = p;
    for (U32 i = n; i < INLINETEST_FIELDS; ++i)
        apcFields[i] = nullptr;
    return n;
}

void vRunNand(TEST_TYPE eTest, char* pcBuffer)
{
    char acCopy[INLINETEST_FRAME_BYTES];
    char* apcFields[INLINETEST_FIELDS];
    u32SplitTexts(pcBuffer, acCopy, sizeof acCopy, apcFields);
    const bool bBoth = apcFields[3] != nullptr && apcFields[3][0] == '1';
    const TEST_RESULT eResult = H_INLINETEST_eCheckNand(apcFields[1], apcFields[2], bBoth);
    vSetResult(eResult);
    if (eResult == PASS)
        T_INLINETEST_vRecordPass(eTest);
    vAnswer(pcBuffer, "%s%s\n\r", eTest == TESTING_NAND_MAP ? "NAND Map Test " : "NAND Simulator Test ",
            eResult == PASS ? PASS_WORD : FAIL_WORD);
}

// ---- GPS ----

void vRunGps(const S32* as32Fields, char* pcBuffer)
{
    s_testParams.s16SatelliteNo = (S16)as32Fields[1];
    s_testParams.s16MinCNOvalue = (S16)as32Fields[2];
    s_testParams.s16MaxCNOvalue = (S16)as32Fields[3];
    const U32 u32Cno = T_NMEA_u32GetAvgCnoValues((U32)s_testParams.s16SatelliteNo);
    vSetDisplayValue(u32Cno);
    const bool bFail = u32Cno < (U32)(S32)s_testParams.s16MinCNOvalue || u32Cno > (U32)(S32)s_testParams.s16MaxCNOvalue;
    vSetResult(bFail ? FAIL : PASS);
    if (!bFail)
        T_INLINETEST_vRecordPass(TESTING_INTERNAL_GPS);
    vAnswer(pcBuffer, "GPS Test %s, %d\n\r", bFail ? FAIL_WORD : PASS_WORD, (int)u32Cno);
}

// ---- Card slots ----

// Slots other than the two the unit has are no card at all, and have no
// slot word.
bool bSlotExists(S32 s32Slot) { return s32Slot >= 0 && s32Slot < SD_NUM_SLOTS; }

const char* pcSlotWord(S32 s32Slot)
{
    return s32Slot == 0 ? "Left " : s32Slot == 1 ? "Right " : "";
}

TEST_RESULT H_INLINETEST_eTestMMC(S32 s32Slot)
{
    if (!bSlotExists(s32Slot) || !DD_SD_bInitCard(s32Slot))
        return PENDING;
    char acFile[32];
    snprintf(acFile, sizeof acFile, "/mnt/mmc%d/TEST.TXT", (int)s32Slot);
    return bReadable(acFile) ? PASS : FAIL;
}

TEST_RESULT H_INLINETEST_eTestMMCCardPresent(S32 s32Slot)
{
    return bSlotExists(s32Slot) && DD_SD_bIsCardPresent(s32Slot) ? PENDING : PASS;
}

void vRunCard(TEST_TYPE eTest, const S32* as32Fields, char* pcBuffer)
{
    const S32 s32Slot = as32Fields[1];
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.u32DisplayValue = (U32)s32Slot;
    s_inlineTest.pcWhichSlot = pcSlotWord(s32Slot);
    L_MUTEX_Unlock(RES_INLINETEST);
    const char* pcResult;
    if (eTest == TESTING_MMC) {
        const TEST_RESULT eResult = H_INLINETEST_eTestMMC(s32Slot);
        vSetResult(eResult);
        if (eResult == PASS) {
            T_INLINETEST_vRecordPass(TESTING_MMC);
            ++s_testParams.u8NumberMMC_Slots;
        }
        pcResult = eResult == PASS ? "MMC Test Pass" : eResult == PENDING ? "MMC Test Fail Card not Found" : "MMC Test Fail";
    } else {
        const TEST_RESULT eResult = H_INLINETEST_eTestMMCCardPresent(s32Slot);
        vSetResult(eResult);
        pcResult = eResult == PASS ? "MMC Test Pass" : "MMC Test Fail Card Still in Unit";
    }
    vAnswer(pcBuffer, "%s in %sslot\n\r", pcResult, pcSlotWord(s32Slot));
}

// ---- Serial loopback ----

// Sends the line on one port and takes what comes back: the first byte
// awaited LOOPBACK_WAIT ticks, and so each further one, until a line end
// or LOOPBACK_BYTES bytes.
bool bLoopback(QUEUE qTransmit, QUEUE qReceive, char acReceived[LOOPBACK_BYTES + 1])
{
    for (const char* p = LOOPBACK_TEXT; *p != '\0'; ++p) {
        const U8 u8Byte = (U8)*p;
        L_QUEUE_PutWait(qTransmit, &u8Byte);
    }
    for (U32 n = 0; n < LOOPBACK_BYTES; ++n) {
        U16 u16Element = 0;
        if (L_QUEUE_GetWaitTicks(qReceive, &u16Element, LOOPBACK_WAIT) != 0)
            break;
        acReceived[n] = (char)(u16Element & 0xFF);
        if (acReceived[n] == '\n')
            break;
    }
    return memcmp(acReceived, LOOPBACK_TEXT, LOOPBACK_BYTES) == 0;
}

TEST_RESULT T_INLINETEST_eTestNMEA(char acReceived[LOOPBACK_BYTES + 1])
{
    if (!bLoopback(Q_TRANSMIT_UART2, Q_RECEIVE_UART2, acReceived))
        return FAIL;
    memset(acReceived, 0, sizeof LOOPBACK_TEXT - 1);
    return bLoopback(Q_TRANSMIT_UART0, Q_RECEIVE_UART0, acReceived) ? PASS : FAIL;
}

void vRunLoopback(char* pcBuffer)
{
    char acReceived[LOOPBACK_BYTES + 1] = {};
    const TEST_RESULT eResult = T_INLINETEST_eTestNMEA(acReceived);
    vSetResult(eResult);
    if (eResult == PASS)
        T_INLINETEST_vRecordPass(TESTING_EXTERNAL_NMEA);
    vAnswer(pcBuffer, "External NMEA Test %s%s\n\r", eResult == PASS ? PASS_WORD : "Fail", acReceived);
}

// ---- Ethernet ----

TEST_RESULT H_INLINETEST_eEthernetTest(const char* pcAddress, char* pcError, size_t errorSize)
{
    char acCommand[128];
    snprintf(acCommand, sizeof acCommand, "ping -c 1 %s > /dev/null", pcAddress);
    const int status = L_ROOT_s32System(acCommand);
    const int err = errno;
    log_me("system \"%s\" result %d %d %s", acCommand, status, err, strerror(err));
    if (status == 0)
        return PASS;
    snprintf(pcError, errorSize, "%d", status);
    return FAIL;
}

void vRunEthernet(char* pcBuffer)
{
    char acCopy[INLINETEST_FRAME_BYTES];
    char* apcFields[INLINETEST_FIELDS];
    u32SplitTexts(pcBuffer, acCopy, sizeof acCopy, apcFields);
    char acAddress[ADDRESS_CHARS + 1] = "";
    char acError[20] = "";

    char acLine[256];
    L_ROOT_s32System("ifconfig | grep Bcast > ipadd.txt");
    if (FILE* f = fopen(IPADD_FILE, "rt")) {
        if (fgets(acLine, sizeof acLine, f) == nullptr)
            acLine[0] = '\0';
        fclose(f);
        printf("%s", acLine);
        fflush(stdout);
        // Removed directly: the shell's rm knows no "-F".
        unlink(IPADD_FILE);
    } else {
        snprintf(acLine, sizeof acLine, "grep Failed!");
    }

    TEST_RESULT eResult = PENDING;
    if (apcFields[1] != nullptr) {
        log_me("address:  %s", acLine);
        snprintf(acAddress, sizeof acAddress, "%s", apcFields[1]);
        eResult = H_INLINETEST_eEthernetTest(acAddress, acError, sizeof acError);
    }
    vSetResult(eResult);
    if (eResult == PASS) {
        vEndTest();
        vAnswer(pcBuffer, "Ethernet Test %sping address %s%s\n\r", PASS_WORD, acAddress, acLine);
    } else {
        vAnswer(pcBuffer, "Ethernet Test Fail--Error No.%saddress pinged %s%s\n\r", acError, acAddress, acLine);
    }
}

// ---- The run's end ----

void vRunFinished(bool bPassed, char* pcBuffer)
{
    if (bPassed)
        U_INLINETEST_u32SetPassedTestBit(TESTING_FINISHED_PASS - 1);
    L_SEMA_Signal(SEMA_NVRAM_UPDATE);
    U_INLINETEST_vSaveTestResults();
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.eCurrentTest = bPassed ? TESTING_FINISHED_PASS : TESTING_FINISHED_FAIL;
    L_MUTEX_Unlock(RES_INLINETEST);
    vAnswer(pcBuffer, "%s", bPassed ? ACK : NAK);
}

// The first field as sent: the answer of the tests that only start.
void vKeepFirstField(char* pcBuffer)
{
    char* pComma = strchr(pcBuffer, ',');
    if (pComma != nullptr)
        *pComma = '\0';
}

} // namespace

// Public functions --------------------------------------------------------

void T_INLINETEST_vParseFields(const char* pcArgument, S32 as32Fields[INLINETEST_FIELDS])
{
    char acCopy[INLINETEST_FRAME_BYTES];
    char* apcFields[INLINETEST_FIELDS];
    const U32 n = u32SplitTexts(pcArgument, acCopy, sizeof acCopy, apcFields);
    for (U32 i = 0; i < INLINETEST_FIELDS; ++i)
        as32Fields[i] = i >= n ? 0 : apcFields[i][0] == 'F' ? 1 : s32Decimal(apcFields[i]);
}

void T_INLINETEST_vBeginTest(TEST_TYPE eTest)
{
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.eTestResult = PENDING;
    s_inlineTest.eCurrentTest = eTest;
    L_MUTEX_Unlock(RES_INLINETEST);
}

void T_INLINETEST_vRecordPass(TEST_TYPE eTest)
{
    U_INLINETEST_u32SetPassedTestBit((U32)eTest - 1);
    vEndTest();
}

void T_INLINETEST_vGoodClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_GOOD); }

void T_INLINETEST_vBadClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_BAD); }

BOOLEAN T_INLINETEST_bRunTest(char* pcBuffer)
{
    S32 as32Fields[INLINETEST_FIELDS];
    T_INLINETEST_vParseFields(pcBuffer, as32Fields);
    const S32 s32Test = s32Decimal(pcBuffer);
    if (s32Test == TESTING_CONTRAST) {
        vFrameRequest();
        pcBuffer[0] = '\0';
        return TRUE;
    }
    const TEST_TYPE eTest = (TEST_TYPE)s32Test;
    switch (s32Test) {
    case TESTING_KEYPAD:
    case TESTING_DISPLAY:
    case TESTING_BACK_LIGHT:
    case TESTING_BUZZER:
    case TESTING_SPEED:
    case TESTING_TRANSDUCER_WATER_TEMPERATURE:
    case TESTING_SPEED_WATER_TEMPERATURE:
    case TESTING_BATTERY_VOLTAGE:
    case TESTING_NAND_MAP:
    case TESTING_NAND_SIM:
    case TESTING_INTERNAL_GPS:
    case TESTING_MMC:
    case TESTING_IF_MMC_CARD_PRESENT:
    case TESTING_EXTERNAL_NMEA:
    case TESTING_ETHERNET:
        T_INLINETEST_vBeginTest(eTest);
        break;
    default:
        break;
    }
    switch (s32Test) {
    case TESTING_KEYPAD:
        vRunKeypad(as32Fields);
        pcBuffer[0] = '\0';
        break;
    case TESTING_DISPLAY:
        vRunDisplay(as32Fields);
        pcBuffer[0] = '\0';
        break;
    case TESTING_BACK_LIGHT:
        vStopTimer();
        s_s32BacklightLevelCount = as32Fields[1] != 0 ? BACKLIGHT_STEPS : 0;
        vStartTimer(HALF_SECOND, HALF_SECOND);
        vKeepFirstField(pcBuffer);
        break;
    case TESTING_BUZZER:
        vStopTimer();
        vStartTimer(HALF_SECOND, HALF_SECOND);
        vKeepFirstField(pcBuffer);
        break;
    case TESTING_SONAR:
        T_INLINETEST_vRunSonarTest(as32Fields, pcBuffer);
        break;
    case TESTING_SPEED:
        vRunSpeed(as32Fields, pcBuffer);
        break;
    case TESTING_TRANSDUCER_WATER_TEMPERATURE:
    case TESTING_SPEED_WATER_TEMPERATURE:
        vRunWaterTemperature(eTest, as32Fields, pcBuffer);
        break;
    case TESTING_BATTERY_VOLTAGE:
        vRunBattery(as32Fields, pcBuffer);
        break;
    case TESTING_NAND_MAP:
    case TESTING_NAND_SIM:
        vRunNand(eTest, pcBuffer);
        break;
    case TESTING_INTERNAL_GPS:
        vRunGps(as32Fields, pcBuffer);
        break;
    case TESTING_MMC:
    case TESTING_IF_MMC_CARD_PRESENT:
        vRunCard(eTest, as32Fields, pcBuffer);
        break;
    case TESTING_EXTERNAL_NMEA:
        vRunLoopback(pcBuffer);
        break;
    case TESTING_ETHERNET:
        vRunEthernet(pcBuffer);
        break;
    case TEST_SONAR_TUNING:
        T_INLINETEST_vRunSonarTuning(as32Fields, pcBuffer);
        break;
    case TESTING_FINISHED_PASS:
    case TESTING_FINISHED_FAIL:
        vRunFinished(s32Test == TESTING_FINISHED_PASS, pcBuffer);
        break;
    default:
        // No such test: the argument goes back as it came.
        return TRUE;
    }
    vFrameRequest();
    return TRUE;
}

void T_INLINETEST_vRouteKey(const MSG_KEY_CHANGE* pKey)
{
    const bool bPress = pKey->state == KEY_DOWN;
    switch (s_inlineTest.eCurrentTest) {
    case TESTING_KEYPAD:
        H_INLINETEST_vHandleKeypadTest(pKey);
        break;
    case TESTING_DISPLAY:
        vOperatorVerdict(pKey, TESTING_DISPLAY, s_inlineTest.s32DisplayNextColor > 4);
        break;
    case TESTING_BACK_LIGHT:
        vOperatorVerdict(pKey, TESTING_BACK_LIGHT, s_s32BacklightLevelCount <= 0);
        break;
    case TESTING_BUZZER:
        vOperatorVerdict(pKey, TESTING_BUZZER, true);
        break;
    case TESTING_SONAR:
        if (bPress)
            T_INLINETEST_vBadClick();
        break;
    case TEST_SONAR_TUNING:
        T_INLINETEST_vSonarTuningKey(pKey);
        break;
    default:
        if (bPress && pKey->key == KEY_MENU)
            T_INLINETEST_vBadClick();
        break;
    }
}

void T_INLINETEST_vRouteTick(void)
{
    switch (eCurrentTest()) {
    case TESTING_KEYPAD:
        T_INLINETEST_vSendString("Fail--Timeout occured");
        break;
    case TESTING_DISPLAY:
        L_MUTEX_LockWait(RES_INLINETEST);
        ++s_inlineTest.s32DisplayNextColor;
        L_MUTEX_Unlock(RES_INLINETEST);
        break;
    case TESTING_BACK_LIGHT:
        H_INLINETEST_eTestBackLight();
        --s_s32BacklightLevelCount;
        break;
    case TESTING_BUZZER:
        L_SEMA_Signal(SEMA_FISH_ALARM_LARGE_TONE);
        break;
    case TESTING_SONAR:
        T_INLINETEST_vSonarTick();
        break;
    default:
        break;
    }
}
