// PC-connect task (see the header).
//
// Receive states: 1 waits for "#", 2 expects the command letter, 3 collects
// the argument (at most 512 characters; a 513th byte ends it like a line
// end and is dropped, so the rest of an over-long line is skipped up to the
// next "#"), 4 expects the line end of a command without argument. There
// is no time-out between bytes: a half-received command waits for more.
//
// The task is the only writer of its state; the draw callback runs in the
// view task's thread and reads the warning flag and the backlight step,
// which are atomic for that reason.
//
// Settings written from the PC never touch a task's mailbox key ("T") or
// a key that holds a pointer: a stray number there would send the unit's
// mails into the wrong mailbox or make it call through a bad address.
#include "system/t_pcc.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/u_fonts.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "platform/h_backlight.h"
#include "platform/t_uart.h"
#include "platform/u_uart.h"
#include "store/h_client.h"
#include "store/h_database.h"
#include "store/h_nvram.h"
#include "store/lang.h"
#include "store/t_nvram.h"
#include "nav/data/t_nav_data.h"
#include "system/u_shutdown.h"
#include "system/version.h"
#include "ui/t_keyboard.h"
#include "ui/u_dialog.h"
#include "ui/u_keyboard.h"
#include "util/u_hex.h"
#include "util/u_xmodem.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Constants ------------------------------------------------------------------

constexpr char SOURCE_NAME[] = "./Working/SOURCE/t_pcc";

constexpr FOURCHARID KEY_TPCC = FCID("TPCC");
constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr FOURCHARID KEY_SVPC = FCID("SVPC");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_CGRP = FCID("CGRP");
constexpr FOURCHARID KEY_SMDL = FCID("SMDL");
constexpr FOURCHARID KEY_SSRD = FCID("SSRD");
constexpr FOURCHARID KEY_TURT = FCID("TURT");
constexpr FOURCHARID KEY_TNVR = FCID("TNVR");
constexpr FOURCHARID KEY_TKBD = FCID("TKBD");

constexpr U32 STATE_STARTUP_VALUE = 1;
constexpr U32 STATE_PC_CONNECT_VALUE = 8;

constexpr QUEUE Q_TRANSMIT_UART3 = 7;
constexpr QUEUE Q_RECEIVE_UART3 = 8;

constexpr SEMA SEMA_NVRAM_UPDATE = 104;
constexpr SEMA SEMA_CLEAR_ALARMS = 119;
constexpr PRIORITY MAIL_PRIORITY = 3;

constexpr U32 ALL_KEYS_BUT_POWER = 0xFFFE;
constexpr U32 BLOCK_BYTES = 1024;
// The stream the navigation import takes (131080 bytes) in whole blocks.
constexpr U32 IMPORT_CAPACITY = 129 * BLOCK_BYTES;
constexpr U32 IMPORT_MAX_BLOCKS = IMPORT_CAPACITY / 128;

constexpr U32 ITEM_CHARS = 14; // "SMDL0x0000019A"
constexpr U32 OWNER_TEXT_CHARS = PERSONALIZATION_DATA_BYTES;

constexpr int REGISTER_TRIES = 50;
constexpr TICKS REGISTER_RETRY_MS = 100;

constexpr U32 FAST_BAUD = 115200;
constexpr U32 NORMAL_BAUD = 38400;
constexpr TICKS BAUD_SETTLE_MS = 2;
constexpr TICKS NORMAL_BAUD_DELAY_MS = 100;

constexpr U32 COLOUR_BLACK = 32;
constexpr U32 COLOUR_WHITE = 35;
constexpr U32 PIXELS_BETWEEN_LINES = 2;

const char ACK_REPLY[] = "#ACK\n\r";
const char NAK_REPLY[] = "#NAK\n\r";
const char DATA_END[] = "\r\n";

const char* s_apcCaption[DB_NUM_LANGUAGES] = {
    "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect",
    "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect",
    "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect", "PC Connect"};
const char TITLE_TEXT[] = "PC Connect";
const char WARNING_TEXT[] = "Must upgrade software-Quellmar PC";

// Types ----------------------------------------------------------------------

typedef BOOLEAN PC_FUNCTION(char* pcArgument);

typedef struct tag_PCC_COMMAND {
    PC_FUNCTION* pFunction;
    U8 u8FunctionCode;
    BOOLEAN bHasData;
} PCC_COMMAND;

typedef enum tag_RECEIVE_STATE {
    RX_WAIT_HASH = 1,
    RX_LETTER = 2,
    RX_ARGUMENT = 3,
    RX_LINE_END = 4
} RECEIVE_STATE;

// A received stream held whole until it has arrived properly.
typedef struct tag_IMPORT {
    U8* pu8Data;
    U32 u32Used;
    U16 au16Sizes[IMPORT_MAX_BLOCKS];
    U32 u32Blocks;
    BOOLEAN bOverflow;
} IMPORT;

typedef struct tag_FILL_STATE {
    U32 (*pfnFill)(U8* pu8Block, U32 u32Parameter);
    BOOLEAN bEnded;
} FILL_STATE;

// Static prototypes ----------------------------------------------------------

BOOLEAN T_PCC_bSendAccessories(char* pcArgument);
BOOLEAN T_PCC_bStartReFlash(char* pcArgument);
BOOLEAN T_PCC_bFetchNavNVRAMVer(char* pcArgument);
BOOLEAN T_PCC_bReadFeatures(char* pcArgument);
BOOLEAN T_PCC_bGetGPSData(char* pcArgument);
BOOLEAN T_PCC_bGetNavDataSpace(char* pcArgument);
BOOLEAN T_PCC_bSendModel(char* pcArgument);
BOOLEAN T_PCC_bPersonalize(char* pcArgument);
BOOLEAN T_PCC_bQuit(char* pcArgument);
BOOLEAN T_PCC_bSendSItems(char* pcArgument);
BOOLEAN T_PCC_bSendSerialNum(char* pcArgument);
BOOLEAN T_PCC_bSendTest(char* pcArgument);
BOOLEAN T_PCC_bSendVersion(char* pcArgument);
BOOLEAN T_PCC_bWipeFlash(char* pcArgument);
BOOLEAN T_PCC_bSetFastBaudRate(char* pcArgument);
BOOLEAN T_PCC_bFetchNavVersions(char* pcArgument);
BOOLEAN T_PCC_bWriteFeatures(char* pcArgument);
BOOLEAN T_PCC_bSendGPSData(char* pcArgument);
BOOLEAN T_PCC_bSetNormalBaudRate(char* pcArgument);
BOOLEAN T_PCC_bWriteSettings(char* pcArgument);
BOOLEAN T_PCC_bGetExGPSData(char* pcArgument);
BOOLEAN T_PCC_bSendExGPSData(char* pcArgument);
// TRUE when the connection ended (never for one begun in the PC-connect state).
BOOLEAN T_PCC_bExitPCConnectMode(void);

// Statics --------------------------------------------------------------------

const PCC_COMMAND s_tLookupCommand[] = {
    {T_PCC_bSendAccessories, 'A', FALSE},  {T_PCC_bStartReFlash, 'B', FALSE},
    {T_PCC_bFetchNavNVRAMVer, 'C', FALSE}, {T_PCC_bReadFeatures, 'F', FALSE},
    {T_PCC_bGetGPSData, 'G', FALSE},       {T_PCC_bGetNavDataSpace, 'I', FALSE},
    {T_PCC_bSendModel, 'M', FALSE},        {T_PCC_bPersonalize, 'P', TRUE},
    {T_PCC_bQuit, 'Q', FALSE},             {T_PCC_bSendSItems, 'R', TRUE},
    {T_PCC_bSendSerialNum, 'S', FALSE},    {T_PCC_bSendTest, 'T', FALSE},
    {T_PCC_bSendVersion, 'V', FALSE},      {T_PCC_bWipeFlash, 'W', TRUE},
    {T_PCC_bSetFastBaudRate, 'b', FALSE},  {T_PCC_bFetchNavVersions, 'c', FALSE},
    {T_PCC_bStartReFlash, 'd', FALSE},     {T_PCC_bWriteFeatures, 'f', TRUE},
    {T_PCC_bSendGPSData, 'g', TRUE},       {T_PCC_bSetNormalBaudRate, 'n', FALSE},
    {T_PCC_bWriteSettings, 's', TRUE},     {T_PCC_bGetExGPSData, 'E', FALSE},
    {T_PCC_bSendExGPSData, 'e', TRUE},
};
constexpr U32 COMMAND_COUNT = sizeof s_tLookupCommand / sizeof s_tLookupCommand[0];
static_assert(COMMAND_COUNT == 23);

U32 s_u32PreviousSystemState = STATE_STARTUP_VALUE;
BOOLEAN s_bFirstOn = TRUE;
std::atomic<BOOLEAN> s_bConnected{FALSE};
std::atomic<BOOLEAN> s_bShowWarningWindow{FALSE};
std::atomic<U32> s_u32BacklightStep{0};

RECEIVE_STATE s_eReceiveState = RX_WAIT_HASH;
U8 s_u8CommandIndex = 0;
char* s_pcArgument = nullptr;
U32 s_u32ArgumentLength = 0;

T_PCC_NEIGHBOURS s_neighbours = {};

// Public functions are at the end; the helpers first ---------------------------

// ---- the port ----

void reply(const char* pcText, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const U8 u8Byte = (U8)pcText[i];
        L_QUEUE_PutWait(Q_TRANSMIT_UART3, &u8Byte);
    }
}

void reply(const char* pcText)
{
    reply(pcText, strlen(pcText));
}

void replyAck(void)
{
    reply(ACK_REPLY);
}

void replyNak(void)
{
    reply(NAK_REPLY);
}

// A data reply: the text, then CR LF.
void replyData(const char* pcText)
{
    reply(pcText);
    reply(DATA_END);
}

// ---- items ----

bool fetchU32(FOURCHARID fcid, U32* pu32Value)
{
    return H_DATABASE_bFetchU32(fcid, pu32Value, nullptr, nullptr) != FALSE;
}

// "SMDL0x0000019A" into pcOut (ITEM_CHARS + 1 bytes).
void formatItem(FOURCHARID fcid, U32 u32Value, char* pcOut)
{
    for (int i = 0; i < 4; ++i) {
        const char c = (char)((fcid >> (8 * i)) & 0xFF);
        pcOut[i] = c != '\0' ? c : ' ';
    }
    snprintf(pcOut + 4, ITEM_CHARS + 1 - 4, "0x%08X", (unsigned)u32Value);
}

// Collects items into a reply "#item,item,...", sent in pieces so that no
// list is bounded by a buffer.
class ItemList {
public:
    void add(FOURCHARID fcid, U32 u32Value)
    {
        char acItem[ITEM_CHARS + 1];
        formatItem(fcid, u32Value, acItem);
        addText(acItem);
    }
    void addText(const char* pcText)
    {
        reply(m_u32Count == 0 ? "#" : ",");
        reply(pcText);
        ++m_u32Count;
    }
    U32 count() const { return m_u32Count; }

private:
    U32 m_u32Count = 0;
};

// Every written key beginning with the letter, with its value; bFilter
// keeps only values whose lowest byte is not zero. "#NAK" when none.
void sendKeysBeginningWith(U8 u8Letter, bool bNonZeroLowByteOnly)
{
    MULTI_FETCH_CONTROL_STRUCTURE control = {};
    control.cMatch = u8Letter;
    control.__bNotFirst = FALSE;
    ItemList list;
    while (H_DATABASE_bFetchNextBeginningWith(&control)) {
        const U32 u32Value = control.data.u32Val;
        if (bNonZeroLowByteOnly && (u32Value & 0xFF) == 0)
            continue;
        list.add(control.id, u32Value);
    }
    if (list.count() == 0)
        replyNak();
    else
        reply(DATA_END);
}

FOURCHARID keyOf(const char* pc)
{
    return (U32)(U8)pc[0] | (U32)(U8)pc[1] << 8 | (U32)(U8)pc[2] << 16 | (U32)(U8)pc[3] << 24;
}

U32 hexValue(const char* pc)
{
    U8 au8Bytes[4];
    U_HEX_v2Hex(pc, au8Bytes, 4);
    return (U32)au8Bytes[0] << 24 | (U32)au8Bytes[1] << 16 | (U32)au8Bytes[2] << 8 | au8Bytes[3];
}

// Walks "KEY10xVVVVVVVV[,]KEY20x..." calling pfnItem for each whole item
// until it returns false. A fragment shorter than an item ends the walk.
template <typename F>
void forEachItem(const char* pcArgument, F pfnItem)
{
    const size_t n = strlen(pcArgument);
    size_t pos = 0;
    while (pos + ITEM_CHARS <= n) {
        const FOURCHARID fcid = keyOf(pcArgument + pos);
        const U32 u32Value = hexValue(pcArgument + pos + 6);
        if (!pfnItem(fcid, u32Value))
            return;
        pos += ITEM_CHARS;
        if (pos < n && pcArgument[pos] == ',')
            ++pos;
    }
}

// Keys the PC may write: not a task's mailbox key, not a pointer.
bool writableKey(FOURCHARID fcid)
{
    if ((fcid & 0xFF) == 'T')
        return false;
    DB_ATTRIBUTES extras = {};
    U32 u32Ignored = 0;
    if (H_DATABASE_bFetchU32(fcid, &u32Ignored, nullptr, &extras) &&
        H_DATABASE_DataType(extras.DataType) == DF_VOID_POINTER)
        return false;
    return true;
}

// ---- neighbours ----

BOOLEAN unitSendStream(U8 u8Port, U8* pu8Block, U32 (*pfnFill)(U8*, void*), void* pParam)
{
    return U_XMODEM_bTransmit(u8Port, pu8Block, 0, pfnFill, pParam);
}

BOOLEAN unitReceiveStream(U8 u8Port, U8* pu8Block, void (*pfnStore)(U32, U8*, void*), void* pParam)
{
    S32 s32Size = (S32)BLOCK_BYTES;
    return U_XMODEM_bReceive(u8Port, pu8Block, &s32Size, pfnStore, pParam);
}

void unitWipe(BOOLEAN bSettings, BOOLEAN bNavigation)
{
    FOURCHARID afcidNoKill[] = {KEY_TPCC, FCID("TVUE"), FCID("TDSP"), 0};
    U_SHUTDOWN_vShutdown(afcidNoKill);
    if (bSettings)
        H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2);
    if (bNavigation) {
        L_MUTEX_LockWait(RES_NAV_DATA);
        T_NAV_NVRAM_vErase();
        T_NAV_NVRAM_vInit();
        L_MUTEX_Unlock(RES_NAV_DATA);
    }
    U_RESET_vReset(FALSE, FALSE);
}

const T_PCC_NEIGHBOURS UNIT_NEIGHBOURS = {
    T_NAV_DATA_vFillBufferInit, T_NAV_DATA_u32FillBufferSegment, T_NAV_DATA_u32FillNoGroupBufferSegment,
    T_NAV_DATA_vSaveBufferInit, T_NAV_DATA_vSaveBufferSegment,   T_NAV_DATA_vSaveBufferFree,
    unitSendStream,             unitReceiveStream,               unitWipe,
    T_NAV_DATA_vFillBufferAbort,
};

const T_PCC_NEIGHBOURS& neighbours(void)
{
    return s_neighbours.pfnWipe != nullptr ? s_neighbours : UNIT_NEIGHBOURS;
}

// ---- mails to other tasks ----

// Sends a mail with SEMA_PCC and waits for its acknowledgement; FALSE with
// the mail freed when the mailbox does not take it.
template <typename MAIL>
bool sendAndWait(MBOX mbox, MAIL* pMail)
{
    GENERIC_MESSAGE* pHead = reinterpret_cast<GENERIC_MESSAGE*>(pMail);
    return L_MBOX_SendWait(mbox, &pHead->msghdr, MAIL_PRIORITY, SEMA_PCC) == 0;
}

bool changeBaudRate(U32 u32Baud)
{
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TURT);
    if (mbox == 0) {
        log_me("PC connect: no serial-port task for %u baud", (unsigned)u32Baud);
        return false;
    }
    auto* pMail = H_CLIENT_pNewMail<MSG_CHANGE_BAUD_RATE>(CMD_ID_CHANGE_BAUD_RATE);
    pMail->baud_rate = u32Baud;
    pMail->uart = PCC_PORT;
    pMail->flag = FALSE;
    const bool bSent = sendAndWait(mbox, pMail);
    const bool bOk = bSent && pMail->flag;
    H_MEMORY_vFree(pMail);
    L_CLOCK_Sleep(BAUD_SETTLE_MS);
    return bOk;
}

// The owner text travels as the block's little-endian 16-bit words.
bool personalization(CMD_ID cmd, PERSONALIZATION_DATA_BLOCK* pBlock)
{
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TNVR);
    if (mbox == 0)
        return false;
    auto* pMail = H_CLIENT_pNewMail<MSG_PERSONALIZED>(cmd);
    pMail->pPersonData = pBlock;
    pMail->bSuccess = FALSE;
    const bool bOk = sendAndWait(mbox, pMail) && pMail->bSuccess;
    H_MEMORY_vFree(pMail);
    return bOk;
}

// ---- navigation transfers ----

U32 fillBlock(U8* pu8Block, void* pParam)
{
    auto* pState = static_cast<FILL_STATE*>(pParam);
    if (pState->bEnded)
        return 0;
    U32 n = pState->pfnFill(pu8Block, 0);
    if (n > BLOCK_BYTES)
        n = BLOCK_BYTES;
    // A short block is the stream's last; the filler is not asked again.
    if (n < BLOCK_BYTES)
        pState->bEnded = TRUE;
    return n;
}

void sendStream(bool bWithGroups)
{
    replyAck();
    const T_PCC_NEIGHBOURS& nb = neighbours();
    auto* pu8Block = static_cast<U8*>(H_MEMORY_pvMalloc(BLOCK_BYTES));
    FILL_STATE state = {bWithGroups ? nb.pfnFillBufferSegment : nb.pfnFillNoGroupBufferSegment, FALSE};
    nb.pfnFillBufferInit();
    if (!nb.pfnSendStream(PCC_PORT, pu8Block, fillBlock, &state)) {
        log_me("PC connect: navigation data not sent whole");
        if (nb.pfnFillBufferAbort != nullptr)
            nb.pfnFillBufferAbort();
    }
    H_MEMORY_vFree(pu8Block);
}

void storeBlock(U32 u32Count, U8* pu8Block, void* pParam)
{
    auto* pImport = static_cast<IMPORT*>(pParam);
    if (u32Count == 0 || pu8Block == nullptr)
        return;
    if (pImport->bOverflow || u32Count > BLOCK_BYTES || pImport->u32Blocks >= IMPORT_MAX_BLOCKS ||
        pImport->u32Used + u32Count > IMPORT_CAPACITY) {
        pImport->bOverflow = TRUE;
        return;
    }
    memcpy(pImport->pu8Data + pImport->u32Used, pu8Block, u32Count);
    pImport->u32Used += u32Count;
    pImport->au16Sizes[pImport->u32Blocks++] = (U16)u32Count;
}

// The stored data are replaced only by a stream that arrived whole.
void receiveStream(void)
{
    replyAck();
    const T_PCC_NEIGHBOURS& nb = neighbours();
    auto* pImport = static_cast<IMPORT*>(calloc(1, sizeof(IMPORT)));
    U8* pu8Data = static_cast<U8*>(malloc(IMPORT_CAPACITY));
    if (pImport == nullptr || pu8Data == nullptr) {
        free(pImport);
        free(pu8Data);
        log_me("PC connect: no memory for the navigation import");
        return;
    }
    pImport->pu8Data = pu8Data;
    auto* pu8Block = static_cast<U8*>(H_MEMORY_pvMalloc(BLOCK_BYTES));
    const BOOLEAN bWhole = nb.pfnReceiveStream(PCC_PORT, pu8Block, storeBlock, pImport);
    H_MEMORY_vFree(pu8Block);
    if (!bWhole || pImport->bOverflow || pImport->u32Blocks == 0) {
        log_me("PC connect: navigation import refused (%s), stored data kept",
               !bWhole ? "transfer aborted" : pImport->bOverflow ? "too large" : "empty");
    } else {
        nb.pfnSaveBufferInit();
        U32 u32Offset = 0;
        for (U32 i = 0; i < pImport->u32Blocks; ++i) {
            nb.pfnSaveBufferSegment(pImport->au16Sizes[i], pImport->pu8Data + u32Offset);
            u32Offset += pImport->au16Sizes[i];
        }
        nb.pfnSaveBufferFree();
    }
    free(pu8Data);
    free(pImport);
}

// ---- command handlers, in table order ----

BOOLEAN T_PCC_bSendAccessories(char*)
{
    ItemList list;
    for (int i = 1; i <= 30; ++i) {
        const char acKey[5] = {'X', 'X', (char)('0' + i / 10), (char)('0' + i % 10), '\0'};
        U32 u32Ignored;
        if (fetchU32(keyOf(acKey), &u32Ignored))
            list.addText(acKey + 2);
    }
    if (list.count() == 0)
        replyNak();
    else
        reply(DATA_END);
    return TRUE;
}

BOOLEAN T_PCC_bStartReFlash(char*)
{
    H_DATABASE_bUpdateValueBoolean(KEY_SSRD, TRUE, P_NORMAL);
    T_KEYBOARD_vRestoreFactoryDefaults();
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TKBD);
    if (mbox == 0) {
        log_me("PC connect: no keyboard task to restart the unit");
        return TRUE;
    }
    auto* pMail = H_CLIENT_pNewMail<MSG_INITIATE_SHUTDOWN>(CMD_ID_INITIATE_SHUTDOWN);
    pMail->bReset = TRUE;
    pMail->bPowerOff = FALSE;
    H_CLIENT_bPost(mbox, pMail, MAIL_PRIORITY);
    return TRUE;
}

BOOLEAN T_PCC_bFetchNavNVRAMVer(char*)
{
    replyData("#2");
    return TRUE;
}

BOOLEAN T_PCC_bReadFeatures(char*)
{
    sendKeysBeginningWith('F', false);
    return TRUE;
}

BOOLEAN T_PCC_bGetGPSData(char*)
{
    replyNak();
    s_bShowWarningWindow.store(TRUE);
    return FALSE;
}

BOOLEAN T_PCC_bGetNavDataSpace(char*)
{
    U16 au16Slots[50];
    U32 u32Routes = 0, u32Tracks = 0;
    T_NAV_vGetRoutes(&u32Routes, au16Slots);
    T_NAV_vGetTracks(&u32Tracks, au16Slots);
    char acText[96];
    snprintf(acText, sizeof acText, "#W:%d/%d,G:%d/%d,R:%d/%d,T:%d/%d", (int)T_NAV_TWR_nGetWaypointCount(), 3000,
             (int)T_NAV_TWR_nGetGroupVisibleCount(), (int)T_NAV_TWR_nGetGroupTotalCount(), (int)u32Routes, 50,
             (int)u32Tracks, 50);
    replyData(acText);
    return TRUE;
}

BOOLEAN T_PCC_bSendModel(char*)
{
    U32 u32Model = 0;
    if (!fetchU32(KEY_SMDL, &u32Model)) {
        replyNak();
        return TRUE;
    }
    char acText[16];
    snprintf(acText, sizeof acText, "#%08X", (unsigned)u32Model);
    replyData(acText);
    return TRUE;
}

BOOLEAN T_PCC_bPersonalize(char* pcArgument)
{
    PERSONALIZATION_DATA_BLOCK block = {};
    if (pcArgument[0] != '\0') {
        const size_t n = strnlen(pcArgument, OWNER_TEXT_CHARS);
        for (size_t i = 0; i < n; ++i)
            block.u16Data[i / 2] |= (U16)((U8)pcArgument[i] << (8 * (i % 2)));
        if (personalization(CMD_ID_WRITE_PERSONALIZED, &block))
            replyAck();
        else
            replyNak();
        return TRUE;
    }
    if (!personalization(CMD_ID_READ_PERSONALIZED, &block)) {
        replyNak();
        return TRUE;
    }
    for (U32 i = 0; i < OWNER_TEXT_CHARS; ++i)
        pcArgument[i] = (char)(block.u16Data[i / 2] >> (8 * (i % 2)));
    pcArgument[OWNER_TEXT_CHARS] = '\0';
    reply("#");
    replyData(pcArgument);
    return TRUE;
}

BOOLEAN T_PCC_bQuit(char*)
{
    replyAck();
    return FALSE;
}

BOOLEAN T_PCC_bSendSItems(char* pcArgument)
{
    if (pcArgument[0] == '\0') {
        sendKeysBeginningWith('S', false);
        return TRUE;
    }
    U32 u32Value = 0;
    const FOURCHARID fcid = keyOf(pcArgument);
    if (strnlen(pcArgument, 4) < 4 || !fetchU32(fcid, &u32Value)) {
        replyNak();
        return TRUE;
    }
    char acItem[ITEM_CHARS + 1];
    formatItem(fcid, u32Value, acItem);
    reply("#");
    replyData(acItem);
    return TRUE;
}

BOOLEAN T_PCC_bSendSerialNum(char*)
{
    static const FOURCHARID afcidSerial[] = {FCID("SEDB"), FCID("SEDU"), FCID("SEIB"), FCID("SEIU"), FCID("SENB"),
                                             FCID("SENU"), FCID("SETB"), FCID("SMDL"), FCID("SIMT")};
    ItemList list;
    for (FOURCHARID fcid : afcidSerial) {
        U32 u32Value = 0;
        if (fetchU32(fcid, &u32Value))
            list.add(fcid, u32Value);
    }
    if (list.count() == 0) {
        reply("#");
        replyNak();
    } else {
        reply(DATA_END);
    }
    return TRUE;
}

BOOLEAN T_PCC_bSendTest(char*)
{
    replyData("#1234567890");
    return TRUE;
}

BOOLEAN T_PCC_bSendVersion(char*)
{
    const VERSION_INFO* pInfo = VERSION_pversion_infoGetCurrentVersion();
    char acText[96];
    snprintf(acText, sizeof acText, "#Ver.%s;Dat.%s;Rev.%s;Spd.%s", pInfo->version, pInfo->date, pInfo->rev,
             pInfo->speed);
    replyData(acText);
    return TRUE;
}

BOOLEAN T_PCC_bWipeFlash(char* pcArgument)
{
    BOOLEAN bSettings = FALSE, bNavigation = FALSE;
    if (strcmp(pcArgument, "ALL") == 0)
        bSettings = bNavigation = TRUE;
    else if (strcmp(pcArgument, "NVR") == 0)
        bSettings = TRUE;
    else if (strcmp(pcArgument, "NAV") == 0)
        bNavigation = TRUE;
    else
        return TRUE;
    log_me("PC connect: wipe %s", pcArgument);
    neighbours().pfnWipe(bSettings, bNavigation);
    return TRUE;
}

BOOLEAN T_PCC_bSetFastBaudRate(char*)
{
    changeBaudRate(FAST_BAUD);
    replyAck();
    return TRUE;
}

BOOLEAN T_PCC_bFetchNavVersions(char*)
{
    replyData("#3,3,3");
    return TRUE;
}

BOOLEAN T_PCC_bWriteFeatures(char* pcArgument)
{
    if (pcArgument[0] == '\0') {
        sendKeysBeginningWith('F', true);
        return TRUE;
    }
    forEachItem(pcArgument, [](FOURCHARID fcid, U32 u32Value) {
        U32 u32Old = 0;
        if (!fetchU32(fcid, &u32Old) || !writableKey(fcid)) {
            replyNak();
            return false;
        }
        H_DATABASE_bUpdateValueU32(fcid, u32Value, P_NORMAL);
        replyAck();
        return true;
    });
    L_SEMA_Signal(SEMA_NVRAM_UPDATE);
    return TRUE;
}

BOOLEAN T_PCC_bSendGPSData(char*)
{
    sendStream(false);
    return TRUE;
}

BOOLEAN T_PCC_bSetNormalBaudRate(char*)
{
    replyAck();
    L_CLOCK_Sleep(NORMAL_BAUD_DELAY_MS);
    changeBaudRate(NORMAL_BAUD);
    return TRUE;
}

BOOLEAN T_PCC_bWriteSettings(char* pcArgument)
{
    const size_t n = strlen(pcArgument);
    if (n == 0 || n == 4)
        return T_PCC_bSendSItems(pcArgument);
    forEachItem(pcArgument, [](FOURCHARID fcid, U32 u32Value) {
        if (!writableKey(fcid)) {
            replyNak();
            return true;
        }
        H_DATABASE_bUpdateValueU32(fcid, u32Value, P_NORMAL);
        replyAck();
        return true;
    });
    L_SEMA_Signal(SEMA_NVRAM_UPDATE);
    return TRUE;
}

BOOLEAN T_PCC_bGetExGPSData(char*)
{
    receiveStream();
    return TRUE;
}

BOOLEAN T_PCC_bSendExGPSData(char*)
{
    sendStream(true);
    return TRUE;
}

// ---- connection ----

BOOLEAN T_PCC_bExitPCConnectMode(void)
{
    if (s_u32PreviousSystemState == STATE_PC_CONNECT_VALUE)
        return FALSE;
    H_DATABASE_bUpdateValueU32(KEY_CCST, s_u32PreviousSystemState, P_NORMAL);
    s_bFirstOn = TRUE;
    H_DATABASE_bUpdateValueBoolean(KEY_SVPC, FALSE, P_NORMAL);
    U_VIEW_bUnRegisterLayer(PC_CONNECT_VIEW);
    U_KEYBOARD_bUnregisterKeys(PCC_MAILBOX, ALL_KEYS_BUT_POWER);
    U_UART_bReleaseChannel(PCC_PORT, FALSE);
    L_SEMA_Signal(SEMA_CLEAR_ALARMS);
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
    s_bConnected.store(FALSE);
    log_me("PC connect: connection ended, state %u", (unsigned)s_u32PreviousSystemState);
    return TRUE;
}

void freeArgument(void)
{
    if (s_pcArgument != nullptr)
        H_MEMORY_vFree(s_pcArgument);
    s_pcArgument = nullptr;
    s_u32ArgumentLength = 0;
}

void runWithArgument(void)
{
    s_tLookupCommand[s_u8CommandIndex].pFunction(s_pcArgument);
    freeArgument();
    s_eReceiveState = RX_WAIT_HASH;
}

bool isLineEnd(U8 u8Byte)
{
    return u8Byte == '\r' || u8Byte == '\n';
}

} // namespace

// Public functions -------------------------------------------------------------

void T_PCC_vReceiveByte(U8 u8Byte, BOOLEAN* pbStay)
{
    switch (s_eReceiveState) {
    case RX_WAIT_HASH:
        if (u8Byte == '#')
            s_eReceiveState = RX_LETTER;
        break;
    case RX_LETTER: {
        U32 i = 0;
        while (i < COMMAND_COUNT && s_tLookupCommand[i].u8FunctionCode != u8Byte)
            ++i;
        if (i == COMMAND_COUNT) {
            replyNak();
            s_eReceiveState = RX_WAIT_HASH;
        } else if (s_tLookupCommand[i].bHasData) {
            s_u8CommandIndex = (U8)i;
            freeArgument();
            s_pcArgument = static_cast<char*>(H_MEMORY_pvMalloc(PCC_ARGUMENT_CHARS + 1));
            s_pcArgument[0] = '\0';
            s_eReceiveState = RX_ARGUMENT;
        } else {
            s_u8CommandIndex = (U8)i;
            s_eReceiveState = RX_LINE_END;
        }
        break;
    }
    case RX_ARGUMENT:
        if (isLineEnd(u8Byte) || s_u32ArgumentLength >= PCC_ARGUMENT_CHARS) {
            runWithArgument();
            *pbStay = TRUE;
        } else {
            s_pcArgument[s_u32ArgumentLength++] = (char)u8Byte;
            s_pcArgument[s_u32ArgumentLength] = '\0';
        }
        break;
    case RX_LINE_END:
        s_eReceiveState = RX_WAIT_HASH;
        if (isLineEnd(u8Byte))
            *pbStay = s_tLookupCommand[s_u8CommandIndex].pFunction(nullptr);
        break;
    }
}

void T_PCC_vResetReceiver(void)
{
    freeArgument();
    s_eReceiveState = RX_WAIT_HASH;
}

void T_PCC_vHandleReceive(void)
{
    BOOLEAN bStay = TRUE;
    U16 u16Element = 0;
    while (L_QUEUE_Get(Q_RECEIVE_UART3, &u16Element) == 0)
        T_PCC_vReceiveByte((U8)(u16Element & 0xFF), &bStay);
    if (!bStay)
        T_PCC_bExitPCConnectMode();
}

void T_PCC_vSetPCConnectMode(void)
{
    if (s_bFirstOn) {
        U32 u32State = STATE_STARTUP_VALUE;
        if (!fetchU32(KEY_CCST, &u32State))
            u32State = STATE_STARTUP_VALUE;
        s_u32PreviousSystemState = u32State;
        s_bFirstOn = FALSE;
    }
    H_DATABASE_bUpdateValueU32(KEY_CCST, STATE_PC_CONNECT_VALUE, P_NORMAL);
    U_KEYBOARD_bRegisterKeys(PCC_MAILBOX, ALL_KEYS_BUT_POWER, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                             REGISTER_PC_CONNECT);
    H_DATABASE_bUpdateEverythingBoolean(KEY_SVPC, TRUE, P_NORMAL, D_UNKNOWN, &s_apcCaption, DB_TIMEOUT_NEVER);
    H_BACKLIGHT_vChangeIntensity(DISPLAY_BACKLIGHT_LOW);
    U_VIEW_bRegisterLayer(T_PCC_vDrawScreen, PC_CONNECT_VIEW, USED_BY_NONE, 0, KEY_SVPC, TRUE, nullptr, nullptr,
                          nullptr);
    H_DATABASE_bUpdateValueS32(KEY_CVEW, PC_CONNECT_VIEW,
                               s_u32PreviousSystemState == STATE_PC_CONNECT_VALUE ? P_TESTMODE : P_NORMAL);
    U32 u32Ignored = 0;
    if (!fetchU32(KEY_CGRP, &u32Ignored))
        H_DATABASE_bUpdateValueU32(KEY_CGRP, 0, P_NORMAL);
    s_bShowWarningWindow.store(FALSE);
    L_SEMA_Signal(SEMA_CLEAR_ALARMS);
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
    s_bConnected.store(TRUE);
}

void T_PCC_vHandleMail(void)
{
    while (MSGHEADER* pHeader = L_MBOX_Receive(PCC_MAILBOX)) {
        switch (reinterpret_cast<GENERIC_MESSAGE*>(pHeader)->Cmd) {
        case CMD_ID_KEY_CHANGE:
            L_SEMA_Signal(SEMA_KEYCLICK_BAD);
            break;
        case CMD_ID_RUN_SYSTEM: {
            U32 u32State = 0;
            if (fetchU32(KEY_CCST, &u32State) && u32State == STATE_PC_CONNECT_VALUE)
                T_PCC_vSetPCConnectMode();
            break;
        }
        default:
            break;
        }
        H_MEMORY_vDumpMail(pHeader);
    }
}

void T_PCC_vStart(void)
{
    if (H_DATABASE_bUpdateEverythingU32(KEY_TPCC, (U32)PCC_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER)) {
        ERROR_error(SOURCE_NAME, __LINE__, "Somebody else registered the PC Connect Task Maibox");
        U_RESET_vReset(FALSE, FALSE);
    }
    // The serial-port task starts first; should its key not be out yet,
    // the registration is tried again for a while.
    for (int i = 0; i < REGISTER_TRIES; ++i) {
        if (U_UART_bRegisterForChannel(PCC_PORT, '#', SEMA_PCC))
            return;
        L_CLOCK_Sleep(REGISTER_RETRY_MS);
    }
    log_me("PC connect: no serial-port task, port %u not watched", (unsigned)PCC_PORT);
}

BOOLEAN T_PCC_bConnected(void)
{
    return s_bConnected.load();
}

void T_PCC_vMain(void)
{
    static const SEMA aIdle[] = {SEMA_MBOX_PCC, SEMA_PCC, 0};
    static const SEMA aConnected[] = {SEMA_MBOX_PCC, SEMA_PCC, SEMA_QUEUE_RX3, 0};
    T_PCC_vStart();
    for (;;) {
        switch (L_SEMA_WaitMultiple(s_bConnected.load() ? aConnected : aIdle)) {
        case SEMA_MBOX_PCC:
            T_PCC_vHandleMail();
            break;
        case SEMA_PCC:
            T_PCC_vSetPCConnectMode();
            break;
        case SEMA_QUEUE_RX3:
            T_PCC_vHandleReceive();
            break;
        default:
            break;
        }
    }
}

BOOLEAN T_PCC_bShowingWarning(void)
{
    return s_bShowWarningWindow.load();
}

U32 T_PCC_u32BacklightStep(void)
{
    return s_u32BacklightStep.load();
}

void T_PCC_vDrawScreen(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr)
        return;
    WINDOW_LOCATION box = {pBitmap->s32ClipLeft, pBitmap->s32ClipTop, pBitmap->s32ClipRight,
                           pBitmap->s32ClipBottom};
    if (psWindowSpec != nullptr)
        box = psWindowSpec->drawWindow;
    if (box.s32ClipRight >= box.s32ClipLeft && box.s32ClipTop >= box.s32ClipBottom) {
        const POINT corner = {box.s32ClipLeft, box.s32ClipBottom};
        G_BOX_vDrawFilled(pBitmap, gCOLOR_pcolColorTable[COLOUR_WHITE], &corner,
                          (U32)(box.s32ClipRight - box.s32ClipLeft + 1), (U32)(box.s32ClipTop - box.s32ClipBottom + 1));
    }
    // The warning flashes the backlight with every frame, drawn or not.
    const BOOLEAN bWarning = s_bShowWarningWindow.load();
    if (bWarning) {
        U32 u32Step = s_u32BacklightStep.load();
        if (u32Step > 9)
            u32Step = DISPLAY_BACKLIGHT_LOW;
        H_BACKLIGHT_vChangeIntensity((DISPLAY_BACKLIGHT)u32Step);
        s_u32BacklightStep.store(u32Step + 1);
    }
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    if (pFont == nullptr)
        return;
    const POINT top = {0, box.s32ClipTop};
    U_DIALOG_u32DrawMessageBlock(pBitmap, TITLE_TEXT, pFont, PIXELS_BETWEEN_LINES, JUSTIFICATION_CENTER,
                                 JUSTIFICATION_TOP, &top, pBitmap->pixels_wide, gCOLOR_pcolColorTable[COLOUR_BLACK],
                                 gCOLOR_pcolColorTable[COLOUR_WHITE]);
    if (!bWarning)
        return;
    const char* pcWarning = nCurrentLanguage() == 0 ? WARNING_TEXT : "";
    const POINT middle = {0, (box.s32ClipTop + box.s32ClipBottom) / 2};
    U_DIALOG_u32DrawMessageBlock(pBitmap, pcWarning, pFont, PIXELS_BETWEEN_LINES, JUSTIFICATION_CENTER,
                                 JUSTIFICATION_TOP, &middle, pBitmap->pixels_wide,
                                 gCOLOR_pcolColorTable[COLOUR_BLACK], gCOLOR_pcolColorTable[COLOUR_WHITE]);
}

void T_PCC_vInstallNeighbours(const T_PCC_NEIGHBOURS* pNeighbours)
{
    s_neighbours = T_PCC_NEIGHBOURS{};
    if (pNeighbours == nullptr)
        return;
    // Each missing entry keeps the unit's own.
    s_neighbours = *pNeighbours;
    const T_PCC_NEIGHBOURS& u = UNIT_NEIGHBOURS;
    T_PCC_NEIGHBOURS& n = s_neighbours;
    if (!n.pfnFillBufferInit) n.pfnFillBufferInit = u.pfnFillBufferInit;
    if (!n.pfnFillBufferSegment) n.pfnFillBufferSegment = u.pfnFillBufferSegment;
    if (!n.pfnFillNoGroupBufferSegment) n.pfnFillNoGroupBufferSegment = u.pfnFillNoGroupBufferSegment;
    if (!n.pfnSaveBufferInit) n.pfnSaveBufferInit = u.pfnSaveBufferInit;
    if (!n.pfnSaveBufferSegment) n.pfnSaveBufferSegment = u.pfnSaveBufferSegment;
    if (!n.pfnSaveBufferFree) n.pfnSaveBufferFree = u.pfnSaveBufferFree;
    if (!n.pfnSendStream) n.pfnSendStream = u.pfnSendStream;
    if (!n.pfnReceiveStream) n.pfnReceiveStream = u.pfnReceiveStream;
    if (!n.pfnWipe) n.pfnWipe = u.pfnWipe;
}
