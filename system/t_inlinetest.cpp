// The inline-test task: its start, its entry into the test state, the
// frame receiver on port 3 and the commands of the station other than the
// factory tests themselves.
//
// Before the station's "?" the task waits on its mailbox, the connect
// semaphore and the test timer only; the receive semaphore of port 3 joins
// the wait list at the end of the entry, so bytes that arrive earlier stay
// unread. The entry happens once: the tasks it stops are never restarted
// and the unit leaves the test state only by ending the process.
#include "system/t_inlinetest.h"

#include "system/t_inlinetest_state.h"
#include "system/u_inlinetest.h"
#include "system/u_shutdown.h"
#include "system/version.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_queue.h"
#include "kernel/l_root.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"
#include "nmea/t_nmea_gps_standin.h"
#include "platform/h_coproc.h"
#include "platform/h_shutdown.h"
#include "platform/u_uart.h"
#include "store/database_msg.h"
#include "store/h_client.h"
#include "store/h_database.h"
#include "store/h_nvram.h"
#include "store/t_nvram.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

// Constants ---------------------------------------------------------------

namespace {

constexpr char SOURCE_NAME[] = "./Working/SOURCE/t_inlinetest";
constexpr U32 STATE_BURN_IN = 2;
constexpr U32 STATE_INLINE_TEST = 9;
constexpr TASK CHART_TASK = 13;
constexpr TASK NMEA_TASK = 19;
constexpr TASK UART_TASK = 2;
constexpr TICKS SHUTDOWN_ACK_TICKS = 1000;
constexpr PRIORITY SHUTDOWN_MAIL_PRIORITY = 3;
constexpr char WAITING_TEXT[] = "Waiting for Test Command";
constexpr char ACK[] = "#ACK\n\r";
constexpr char NAK[] = "#NAK\n\r";

// The tasks the entry stops, in order: ping, sonar processing, sonar
// history, card.
constexpr MBOX s_aStoppedMailboxes[] = {8, 9, 31, 29};
// Chart block cache, file layer, NAND hardware, card hardware, chart
// images, data store: whatever the chart task may hold when it is ended.
constexpr MUTEX s_aChartMutexes[] = {20, 15, 19, 18, 21, 1};

// The e-fuse frames of the internal GPS receiver.
constexpr U8 s_au8PollOtp[] = {0xB5, 0x62, 0x06, 0x41, 0x00, 0x00, 0x47, 0xDB};
constexpr U8 s_au8PollLlc[] = {0xB5, 0x62, 0x0A, 0x0D, 0x00, 0x00, 0x17, 0x4F};
constexpr U8 s_au8ProgramOtp[] = {0xB5, 0x62, 0x06, 0x41, 0x0C, 0x00, 0x00, 0x00, 0x03, 0x1F,
                                  0xC6, 0xFF, 0xB0, 0xDD, 0xFF, 0x76, 0xF2, 0xFF, 0x2D, 0xE7};

} // namespace

// Statics -----------------------------------------------------------------

INLINETEST_STATE s_inlineTest = {};

const char s_md5_file[] = "/usr/vondrel/ORVANE/CHARTS/varnel.md5";

const INLINETEST_COMMAND s_tLookupCommand[INLINETEST_COMMANDS] = {
    {T_INLINETEST_bWriteDatabaseItem, 'w', TRUE},
    {T_INLINETEST_bReadDatabaseItem, 'r', TRUE},
    {T_INLINETEST_bClearUserInfo, 'c', FALSE},
    {T_INLINETEST_bReturnSoftwareVersion, 'v', FALSE},
    {T_INLINETEST_bResetGps, 'g', FALSE},
    {T_INLINETEST_bHandleScratchNVR, 'e', FALSE},
    {T_INLINETEST_bStopPing, 'S', FALSE},
    {T_INLINETEST_bExitTest, 'x', FALSE},
    {T_INLINETEST_bDisplayMsg, 'd', TRUE},
    {T_INLINETEST_bRunTest, 't', TRUE},
    {T_INLINETEST_bChecksumMaps, 'm', FALSE},
    {T_INLINETEST_bLinuxCommand, 'l', TRUE},
    {T_INLINETEST_bLinuxGPUCheck, 'p', FALSE},
    {T_INLINETEST_bCustomScreen, 'i', TRUE},
    {T_INLINETEST_bReadEfuse, 'f', TRUE},
};

namespace {

// Mailbox, connect, user test, test timer, broadcast receive, the slot of
// port 3's receive semaphore (0 until the entry), the end.
SEMA s_wait_list[7] = {SEMA_MBOX_INLINETEST, SEMA_TEST_CONNECT, SEMA_USER_TEST, SEMA_TIMER_SONAR_TEST,
                       SEMA_QUEUE_MSSBCAST_RX, 0, 0};

T_INLINETEST_NEIGHBOURS s_neighbours = {};

INLINETEST_RX s_rx = {RX_WAIT_PREFIX, nullptr, 0, -1};

// Static functions --------------------------------------------------------

[[noreturn]] void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE_NAME, u32Line, pcText);
    U_RESET_vReset(0, 0);
}

void vPauseMs(U32 u32Ms) { usleep((useconds_t)u32Ms * 1000); }

void vFrameRequest(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

void vSetStatusLine(const char* pcText)
{
    L_MUTEX_LockWait(RES_INLINETEST);
    snprintf(s_inlineTest.strStartingTest, sizeof s_inlineTest.strStartingTest, "%s", pcText);
    L_MUTEX_Unlock(RES_INLINETEST);
}

// Sends a command mail and waits for its acknowledgement. A mail that was
// not acknowledged in time may still be queued at the receiver, so it is
// left to it rather than reused or freed under it.
void vSendAndWait(MBOX mbox, CMD_ID cmd)
{
    GENERIC_MESSAGE* pMail = H_CLIENT_pNewMail<GENERIC_MESSAGE>(cmd);
    const ERC rc = L_MBOX_SendWaitTicks(mbox, &pMail->msghdr, SHUTDOWN_MAIL_PRIORITY, SEMA_SONAR_SHUTDOWN,
                                        SHUTDOWN_ACK_TICKS);
    if (rc == 0 || rc == -lsMBOX_INVALID)
        H_MEMORY_vFree(pMail);
    else
        log_me("inline test: mailbox %d did not acknowledge command %d", (int)mbox, (int)cmd);
}

void vPollUntilKeyExists(FOURCHARID fcid, U32 u32StepMs)
{
    while (!H_DATABASE_bFetch(fcid, nullptr, nullptr, nullptr))
        vPauseMs(u32StepMs);
}

// A 32-bit C conversion of a decimal text, as the unit's strtol gives it:
// out-of-range values saturate at the 32-bit limits.
S32 s32StrToL32(const char* pcText)
{
    const long l = strtol(pcText, nullptr, 10);
    if (l > INT32_MAX)
        return INT32_MAX;
    if (l < INT32_MIN)
        return INT32_MIN;
    return (S32)l;
}

FOURCHARID fcidFromText(const char* pcText)
{
    return (U32)(U8)pcText[0] | (U32)(U8)pcText[1] << 8 | (U32)(U8)pcText[2] << 16 | (U32)(U8)pcText[3] << 24;
}

void vSetAnswer(char* pcBuffer, const char* pcText)
{
    snprintf(pcBuffer, INLINETEST_FRAME_BYTES, "%s", pcText);
}

void vAppend(char* pcBuffer, const char* pcText)
{
    const size_t len = strnlen(pcBuffer, INLINETEST_FRAME_BYTES - 1);
    snprintf(pcBuffer + len, INLINETEST_FRAME_BYTES - len, "%s", pcText);
}

void vGrabRecieveQueue(void) { s_wait_list[5] = SEMA_QUEUE_RX3; }

void vEnterInlineTest(void)
{
    if (s_inlineTest.bInInlineTest)
        return;
    s_inlineTest.bInInlineTest = TRUE;
    log_me("inline test: station connected");
    H_DATABASE_bUpdateValueU32(FCID("CCST"), STATE_INLINE_TEST, P_TESTMODE);

    while (!H_COPROC_bCoprocessorReady())
        vPauseMs(100);
    log_me("inline test: coprocessor ready");

    T_NMEA_vResetGPS(NMEA_RESET_FACTORY, ID_INTERNAL_GPS);
    T_NMEA_vResetGPS(NMEA_RESET_FACTORY, ID_INTERNAL_GPS);

    U_KEYBOARD_bRegisterKeys(INLINETEST_MBOX, 0xFFFE, KEY_CHANGE, FALSE, FALSE, CURSOR_4, REGISTER_DIAGNOSTIC);
    U_KEYBOARD_bRegisterKeys(INLINETEST_MBOX, KEY_POWER, KEY_CHANGE, FALSE, FALSE, NOT_CURSOR_KEY,
                             REGISTER_DIAGNOSTIC);

    if (!U_VIEW_bRegisterLayer(T_INLINETEST_vDrawTestLayer, IN_LINE_TEST_LAYER, USED_BY_NONE, 0, 0, TRUE, nullptr,
                               nullptr, nullptr))
        vFatal(1096, "Unable to register IN_LINE_TEST_LAYER");
    H_DATABASE_bUpdateValueS32(FCID("CVEW"), IN_LINE_TEST_LAYER, P_TESTMODE);
    L_SEMA_Signal(SEMA_CLEAR_ALARMS);

    vPollUntilKeyExists(FCID("TSMG"), 1);
    for (MBOX mbox : s_aStoppedMailboxes)
        vSendAndWait(mbox, CMD_ID_SHUTDOWN);

    for (MUTEX m : s_aChartMutexes)
        L_MUTEX_LockWait(m);
    L_TASK_Terminate(CHART_TASK);
    for (size_t i = sizeof s_aChartMutexes / sizeof s_aChartMutexes[0]; i-- > 0;)
        L_MUTEX_Unlock(s_aChartMutexes[i]);

    vPollUntilKeyExists(FCID("TNME"), 5);
    vSendAndWait(NMEA_MBOX, CMD_ID_RUN_SYSTEM);
    L_TASK_SetPriority(NMEA_TASK, 2);
    // The NMEA task learns of the test view as if the data store had told
    // it, so that it asks the receiver for the detailed messages.
    MESSAGE_NEW_DATA* pView = H_CLIENT_pNewMail<MESSAGE_NEW_DATA>(CMD_ID_NEW_DATA);
    pView->FourCharId = FCID("CVEW");
    pView->dbValue.s32Val = IN_LINE_TEST_LAYER;
    pView->bValid = TRUE;
    H_CLIENT_bPost(NMEA_MBOX, pView, 1);
    L_TASK_SetPriority(UART_TASK, 1);

    s_inlineTest.eTestControl = PC_DRIVEN_TEST;
    U_UART_bRegisterForChannel(2, 0, -1);
    U_UART_bRegisterForChannel(0, 0, -1);

    vFrameRequest();
    vGrabRecieveQueue();
    log_me("inline test: in the test state");
    T_INLINETEST_vSendString(ACK);
}

void vHandleMail(void)
{
    while (MSGHEADER* pHeader = L_MBOX_Receive(INLINETEST_MBOX)) {
        const GENERIC_MESSAGE* pMail = reinterpret_cast<const GENERIC_MESSAGE*>(pHeader);
        if (pMail->Cmd == CMD_ID_KEY_CHANGE) {
            L_MUTEX_LockWait(RES_INLINETEST);
            T_INLINETEST_vRouteKey(reinterpret_cast<const MSG_KEY_CHANGE*>(pHeader));
            L_MUTEX_Unlock(RES_INLINETEST);
            vFrameRequest();
        } else if (pMail->Cmd == CMD_ID_RUN_SYSTEM) {
            U32 u32State = 0;
            if (H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr) && u32State == STATE_BURN_IN)
                H_INLINETEST_bVerifyMapChecksums(s_md5_file);
        }
        H_MEMORY_vDumpMail(pHeader);
    }
}

void vHandleReceive(void)
{
    U16 u16Element;
    while (L_QUEUE_Get(Q_RECEIVE_UART3, &u16Element) == 0)
        T_INLINETEST_vReceiveByte(&s_rx, (U8)(u16Element & 0xFF), T_INLINETEST_vRunCommand);
}

void vStart(void)
{
    snprintf(s_inlineTest.strStartingTest, sizeof s_inlineTest.strStartingTest, "%s", WAITING_TEXT);
    if (H_DATABASE_bUpdateEverythingU32(FCID("TTST"), (U32)INLINETEST_MBOX, P_TESTMODE, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER))
        vFatal(841, "Somebody else registered the Inline Test Task Maibox");
    s_inlineTest.eCurrentTest = WAITING_FOR_TEST;
    s_inlineTest.bInInlineTest = FALSE;
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.strLastKeyAction[0] = '\0';
    s_inlineTest.strPrevKeyAction[0] = '\0';
    L_MUTEX_Unlock(RES_INLINETEST);
    U_UART_bRegisterForChannel(3, '?', SEMA_TEST_CONNECT);
    s_inlineTest.pUpdateTimer = L_TIMER_Allocate();
    if (s_inlineTest.pUpdateTimer == nullptr)
        vFatal(858, "NO TIMERS");
    DB_DATA_TYPE dbPassed = {};
    DB_ATTRIBUTES attributes = {D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER};
    H_DATABASE_vReadOrSetDefault(FCID("STTP"), &dbPassed, P_TESTMODE, &attributes);
    s_inlineTest.u32PassedTests = dbPassed.u32Val;
}

} // namespace

// Public functions --------------------------------------------------------

void T_INLINETEST_vInstallNeighbours(const T_INLINETEST_NEIGHBOURS* pNeighbours)
{
    s_neighbours = pNeighbours != nullptr ? *pNeighbours : T_INLINETEST_NEIGHBOURS{};
}

void T_INLINETEST_vSendString(const char* pcText)
{
    if (pcText == nullptr)
        return;
    for (const char* p = pcText; *p != '\0'; ++p) {
        const U8 u8Byte = (U8)*p;
        L_QUEUE_PutWait(Q_TRANSMIT_UART3, &u8Byte);
    }
}

void T_INLINETEST_vMain(void)
{
    vStart();
    for (;;) {
        switch (L_SEMA_WaitMultiple(s_wait_list)) {
        case SEMA_MBOX_INLINETEST:
            vHandleMail();
            break;
        case SEMA_TEST_CONNECT:
            vEnterInlineTest();
            break;
        case SEMA_TIMER_SONAR_TEST:
            T_INLINETEST_vRouteTick();
            vFrameRequest();
            break;
        case SEMA_QUEUE_RX3:
            vHandleReceive();
            break;
        default:
            break;
        }
    }
}

// ---- Frame receiver ----

void T_INLINETEST_vInitReceiver(INLINETEST_RX* pRx) { *pRx = {RX_WAIT_PREFIX, nullptr, 0, -1}; }

void T_INLINETEST_vReleaseReceiver(INLINETEST_RX* pRx)
{
    if (pRx->pcFrame != nullptr)
        H_MEMORY_vFree(pRx->pcFrame);
    T_INLINETEST_vInitReceiver(pRx);
}

void T_INLINETEST_vReceiveByte(INLINETEST_RX* pRx, U8 u8Byte, INLINETEST_RUN* pfnRun)
{
    const bool bLineEnd = u8Byte == '\r' || u8Byte == '\n';
    switch (pRx->eState) {
    case RX_WAIT_COMMAND:
        for (U32 row = 0; row < INLINETEST_COMMANDS; ++row) {
            if (s_tLookupCommand[row].u8FunctionCode == u8Byte) {
                pRx->s32Row = (S32)row;
                pRx->eState = s_tLookupCommand[row].bHasData ? RX_WAIT_DATA : RX_WAIT_CR;
                return;
            }
        }
        T_INLINETEST_vReleaseReceiver(pRx);
        return;
    case RX_WAIT_DATA:
        if (!bLineEnd && pRx->u32Length < INLINETEST_MAX_ARGUMENT) {
            pRx->pcFrame[pRx->u32Length++] = (char)u8Byte;
            pRx->pcFrame[pRx->u32Length] = '\0';
            return;
        }
        // A line end, or a byte past the longest argument (dropped): the
        // command runs with what is held.
        break;
    case RX_WAIT_CR:
        if (!bLineEnd) {
            T_INLINETEST_vReleaseReceiver(pRx);
            return;
        }
        break;
    default:
        if (u8Byte == '#') {
            pRx->pcFrame = static_cast<char*>(H_MEMORY_pvMalloc(INLINETEST_FRAME_BYTES));
            memset(pRx->pcFrame, 0, INLINETEST_FRAME_BYTES);
            pRx->u32Length = 0;
            pRx->eState = RX_WAIT_COMMAND;
        }
        return;
    }
    pfnRun(pRx->s32Row, pRx->pcFrame);
    T_INLINETEST_vReleaseReceiver(pRx);
}

void T_INLINETEST_vRunCommand(S32 s32Row, char* pcFrame)
{
    if (s32Row < 0 || s32Row >= (S32)INLINETEST_COMMANDS)
        return;
    s_tLookupCommand[s32Row].pFunction(pcFrame);
    // Whatever the handler left is the answer; make sure it ends in the buffer.
    pcFrame[INLINETEST_FRAME_BYTES - 1] = '\0';
    T_INLINETEST_vSendString(pcFrame);
}

// ---- Commands ----

BOOLEAN T_INLINETEST_bWriteDatabaseItem(char* pcBuffer)
{
    // The key, one separator of any kind and at least one digit's room;
    // a shorter argument would take them from beyond its end.
    if (strnlen(pcBuffer, INLINETEST_MAX_ARGUMENT + 1) < 6) {
        vSetAnswer(pcBuffer, NAK);
        return TRUE;
    }
    const FOURCHARID fcid = fcidFromText(pcBuffer);
    const U32 u32Value = (U32)s32StrToL32(pcBuffer + 5);
    H_DATABASE_bUpdateValueU32(fcid, u32Value, P_TESTMODE);
    U32 u32Read = 0;
    const BOOLEAN bEqual = H_DATABASE_bFetchU32(fcid, &u32Read, nullptr, nullptr) && u32Read == u32Value;
    if (bEqual)
        L_SEMA_Signal(SEMA_NVRAM_UPDATE);
    vSetAnswer(pcBuffer, bEqual ? ACK : NAK);
    return TRUE;
}

BOOLEAN T_INLINETEST_bReadDatabaseItem(char* pcBuffer)
{
    if (strnlen(pcBuffer, INLINETEST_MAX_ARGUMENT + 1) < 4) {
        vSetAnswer(pcBuffer, NAK);
        return TRUE;
    }
    U32 u32Value = 0;
    if (!H_DATABASE_bFetchU32(fcidFromText(pcBuffer), &u32Value, nullptr, nullptr)) {
        vSetAnswer(pcBuffer, NAK);
        return TRUE;
    }
    snprintf(pcBuffer, INLINETEST_FRAME_BYTES, "%d\n\r", (int)(S32)u32Value);
    return TRUE;
}

BOOLEAN T_INLINETEST_bClearUserInfo(char* pcBuffer)
{
    U32 u32Nvram = 0;
    if (H_DATABASE_bFetchU32(FCID("TNVR"), &u32Nvram, nullptr, nullptr)) {
        PERSONALIZATION_DATA_BLOCK block = {};
        MSG_WRITE_PERSONALIZED* pMail = H_CLIENT_pNewMail<MSG_WRITE_PERSONALIZED>(CMD_ID_WRITE_PERSONALIZED);
        pMail->pPersonData = &block;
        L_MBOX_SendWait((MBOX)u32Nvram, &pMail->Header.msghdr, 3, SEMA_TEST_CONNECT);
        H_MEMORY_vFree(pMail);
    }
    if (s_neighbours.pfnDeleteAllNavData != nullptr)
        s_neighbours.pfnDeleteAllNavData(TRUE);
    vSetAnswer(pcBuffer, ACK);
    return TRUE;
}

BOOLEAN T_INLINETEST_bReturnSoftwareVersion(char* pcBuffer)
{
    snprintf(pcBuffer, INLINETEST_FRAME_BYTES, "%s\n\r", VERSION_pversion_infoGetCurrentVersion()->version);
    return TRUE;
}

BOOLEAN T_INLINETEST_bResetGps(char* pcBuffer)
{
    T_NMEA_vResetGPS(NMEA_RESET_FACTORY, ID_INTERNAL_GPS);
    vPauseMs(500);
    T_NMEA_vResetGPS(NMEA_RESET_FACTORY, ID_INTERNAL_GPS);
    vSetAnswer(pcBuffer, "GPS Reset\n\r");
    return TRUE;
}

BOOLEAN T_INLINETEST_bHandleScratchNVR(char* pcBuffer)
{
    pcBuffer[0] = '\0';
    if (!s_inlineTest.bInInlineTest)
        return TRUE;
    s_inlineTest.eCurrentTest = WAITING_FOR_TEST;
    vSetStatusLine("Erasing NVR");
    vPauseMs(10);
    // This task, the view task and the display task stay to show the end.
    FOURCHARID afcidNoKill[] = {FCID("TTST"), FCID("TVUE"), FCID("TDSP"), 0};
    U_SHUTDOWN_vShutdown(afcidNoKill);
    H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2);
    if (s_neighbours.pfnNavErase != nullptr)
        s_neighbours.pfnNavErase();
    if (s_neighbours.pfnNavInit != nullptr)
        s_neighbours.pfnNavInit();
    T_NVRAM_vInitHardware();
    H_NVRAM_vFlashWriteBack();
    vSetStatusLine("NVR Erased");
    vFrameRequest();
    return TRUE;
}

BOOLEAN T_INLINETEST_bStopPing(char* pcBuffer)
{
    L_TIMER_Stop(s_inlineTest.pUpdateTimer);
    pcBuffer[0] = '\0';
    return TRUE;
}

BOOLEAN T_INLINETEST_bExitTest(char* pcBuffer)
{
    T_INLINETEST_vSendString(ACK);
    // The answer must leave the port before the process ends: wait (a
    // little) for the serial-port task to take it off the queue.
    for (int i = 0; i < 100 && L_QUEUE_Inquire(Q_TRANSMIT_UART3) > 0; ++i)
        vPauseMs(10);
    vPauseMs(50);
    pcBuffer[0] = '\0';
    H_SHUTDOWN_vShutdown();
}

BOOLEAN T_INLINETEST_bDisplayMsg(char* pcBuffer)
{
    vSetStatusLine(pcBuffer[0] != '\0' ? pcBuffer : WAITING_TEXT);
    return TRUE;
}

BOOLEAN T_INLINETEST_bChecksumMaps(char* pcBuffer)
{
    H_INLINETEST_bVerifyMapChecksums(s_md5_file);
    vSetAnswer(pcBuffer, "\n\r");
    return TRUE;
}

BOOLEAN T_INLINETEST_bLinuxCommand(char* pcBuffer)
{
    printf("Trying system command %s\n", pcBuffer);
    fflush(stdout);
    const int status = L_ROOT_s32System(pcBuffer);
    if (status != 0)
        perror("syscmd failed!");
    vSetAnswer(pcBuffer, status == 0 ? "Command Completed Successfully!\n\r" : "Error in system command!\n\r");
    return TRUE;
}

BOOLEAN T_INLINETEST_bLinuxGPUCheck(char* pcBuffer)
{
    printf("Trying dmesg | grep sgx\n");
    fflush(stdout);
    const int status = L_ROOT_s32System("dmesg | grep sgx");
    vSetAnswer(pcBuffer, status == 0 ? "GPU present\n\r" : "No GPU\n\r");
    return TRUE;
}

BOOLEAN T_INLINETEST_bCustomScreen(char* pcBuffer)
{
    (void)pcBuffer;
    return TRUE;
}

BOOLEAN T_INLINETEST_bReadEfuse(char* pcBuffer)
{
    const long lWhich = strtol(pcBuffer, nullptr, 10);
    switch (lWhich) {
    case 1:
    case 2: {
        const U8* pu8Poll = lWhich == 1 ? s_au8PollOtp : s_au8PollLlc;
        U_UART_bTransmitData(1, reinterpret_cast<const char*>(pu8Poll), (int)sizeof s_au8PollOtp);
        vPauseMs(50);
        char acText[NMEA_EFUSE_TEXT_BYTES] = {};
        T_NMEA_vGetEfuseData(acText, (U32)lWhich);
        acText[sizeof acText - 1] = '\0';
        snprintf(pcBuffer, INLINETEST_FRAME_BYTES, "%s\r\n", acText);
        break;
    }
    case 3:
        U_UART_bTransmitData(1, reinterpret_cast<const char*>(s_au8ProgramOtp), (int)sizeof s_au8ProgramOtp);
        vSetAnswer(pcBuffer, "Program Command Sent\r\n");
        break;
    default:
        vAppend(pcBuffer, "\r\n");
        break;
    }
    return TRUE;
}

BOOLEAN H_INLINETEST_bVerifyMapChecksums(const char* pcList)
{
    BOOLEAN bVerified = FALSE;
    if (H_DATABASE_bFetchBoolean(FCID("SNMV"), &bVerified, nullptr, nullptr) && bVerified)
        return TRUE;
    char acCommand[128];
    snprintf(acCommand, sizeof acCommand, "md5sum -c %s", pcList);
    if (L_ROOT_s32System(acCommand) != 0)
        return FALSE;
    H_DATABASE_bUpdateEverythingBoolean(FCID("SNMV"), TRUE, P_TESTMODE, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    L_SEMA_Signal(SEMA_NVRAM_UPDATE);
    return TRUE;
}
