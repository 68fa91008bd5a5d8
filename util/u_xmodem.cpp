// XMODEM-CRC / XMODEM-1K.
//
// Wire format of a block: header (SOH for 128 data bytes, STX for 1024),
// block number (1, 2, ... modulo 256), its complement (255 - number), the
// data, then the CRC-16/XMODEM of the data, high byte first. The receiver
// asks for CRC mode with 'C', answers each block with ACK or NAK, and the
// end of the data with NAK to the first EOT and ACK to the second.
//
// Every wait is bounded: a character read waits on the receive queue, a
// character send on room in the transmit queue, each for the time the step
// allows, so a silent or vanished peer ends the transfer with FALSE.
//
// Some receivers confirm an EOT by a quiet line before they answer it
// (lrzsz waits a second), so the answer to the first EOT gets as many
// reads as the answer to the second.
//
// A receiver whose ACK was lost sees the same block again. That block is
// read whole, acknowledged and dropped, as the protocol intends; treating
// it as an error would make the sender repeat it until the transfer
// aborted.
#include "util/u_xmodem.h"

#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_queue.h"
#include "kernel/l_timer.h"
#include "util/u_crc16.h"

#include <cstring>

namespace {

constexpr U8 SOH = 0x01;
constexpr U8 STX = 0x02;
constexpr U8 EOT = 0x04;
constexpr U8 ACK = 0x06;
constexpr U8 NAK = 0x15;
constexpr U8 CAN = 0x18;
constexpr U8 CRC_REQUEST = 'C';
constexpr U8 SUB = 0x1A;

constexpr MUTEX RES_XMODEM = 7;
constexpr U32 BLOCK_1K = 1024;
constexpr U32 BLOCK_128 = 128;

constexpr TICKS SEND_LIMIT_MS = 1000;
constexpr TICKS REPLY_MS = 1000;
constexpr TICKS START_WAIT_MS = 120000;
constexpr TICKS HEADER_WAIT_MS = 5000;
constexpr int BLOCK_ATTEMPTS = 10;
constexpr int REPLY_READS = 10;
constexpr int MAX_ERRORS = 10;

typedef enum tag_XMODEM_STAT {
    XMODEM_ABORT = 1,
    XMODEM_RETRY = 2,
    XMODEM_TIMEOUT = 3,
    XMODEM_STX = 4,
    XMODEM_SOH = 5,
    XMODEM_EOT = 6,
    XMODEM_CRC_ERROR = 7,
    XMODEM_OVERFLOW = 8,
    XMODEM_OK = 9
} XMODEM_STAT;

struct PORT_QUEUES {
    QUEUE transmit;
    QUEUE receive;
};
constexpr PORT_QUEUES s_queues[4] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};

// The transfer in progress (guarded by RES_XMODEM).
U8 s_u8Port;
U8* s_pu8Buffer;
S32 s_s32BytesRemainingInBuffer;
TRANSMIT_BLOCK_FUNCTION* s_pfnTransmitBlock;
RECEIVE_BLOCK_FUNCTION* s_pfnReceiveBlock;
void* s_pParam;

bool sendChar(U8 c)
{
    return L_QUEUE_PutWaitTicks(s_queues[s_u8Port].transmit, &c, SEND_LIMIT_MS) == 0;
}

// One character within ms; only the element's low byte counts.
bool readChar(U8* pc, TICKS ms)
{
    U16 element = 0;
    if (L_QUEUE_GetWaitTicks(s_queues[s_u8Port].receive, &element, ms) != 0)
        return false;
    *pc = (U8)(element & 0xFF);
    return true;
}

// Drops everything waiting in the receive queue; false when a CAN was
// among it.
bool discardInput(void)
{
    bool cancelled = false;
    U16 element;
    while (L_QUEUE_Get(s_queues[s_u8Port].receive, &element) == 0) {
        if ((element & 0xFF) == CAN)
            cancelled = true;
    }
    return !cancelled;
}

void abortTransfer(void)
{
    for (int i = 0; i < 8; ++i)
        sendChar(CAN);
}

U16 blockCrc(const U8* data, U32 count, U32 padTo)
{
    U16 crc = 0;
    for (U32 i = 0; i < count; ++i)
        crc = U_CRC16_u16CrcByte(data[i], crc);
    for (U32 i = count; i < padTo; ++i)
        crc = U_CRC16_u16CrcByte(SUB, crc);
    crc = U_CRC16_u16CrcByte(0, crc);
    return U_CRC16_u16CrcByte(0, crc);
}

// ---- sending ----

// Sends one STX block of count data bytes padded with SUB. XMODEM_OK on
// ACK, XMODEM_ABORT on CAN, XMODEM_RETRY when the attempt failed.
XMODEM_STAT sendBlockOnce(U8 number, const U8* data, U32 count)
{
    if (!discardInput())
        return XMODEM_ABORT;
    bool sent = sendChar(STX) && sendChar(number) && sendChar((U8)(255 - number));
    for (U32 i = 0; sent && i < BLOCK_1K; ++i)
        sent = sendChar(i < count ? data[i] : SUB);
    if (sent) {
        U16 crc = blockCrc(data, count, BLOCK_1K);
        sent = sendChar((U8)(crc >> 8)) && sendChar((U8)(crc & 0xFF));
    }
    if (!sent)
        return XMODEM_RETRY;
    for (int i = 0; i < REPLY_READS; ++i) {
        U8 c;
        if (!readChar(&c, REPLY_MS))
            continue;
        if (c == ACK)
            return XMODEM_OK;
        if (c == CAN)
            return XMODEM_ABORT;
    }
    return XMODEM_RETRY;
}

XMODEM_STAT sendBlock(U8 number, const U8* data, U32 count)
{
    for (int attempt = 0; attempt < BLOCK_ATTEMPTS; ++attempt) {
        XMODEM_STAT st = sendBlockOnce(number, data, count);
        if (st != XMODEM_RETRY)
            return st;
        L_CLOCK_Sleep(100);
    }
    return XMODEM_ABORT;
}

bool sendEnd(void)
{
    if (!discardInput() || !sendChar(EOT))
        return false;
    bool nak = false;
    for (int i = 0; i < REPLY_READS && !nak; ++i) {
        U8 c;
        if (!readChar(&c, REPLY_MS))
            continue;
        if (c == ACK)
            return true;
        if (c != NAK)
            return false;
        nak = true;
    }
    if (!nak || !discardInput() || !sendChar(EOT))
        return false;
    for (int i = 0; i < REPLY_READS; ++i) {
        U8 c;
        if (!readChar(&c, REPLY_MS))
            continue;
        if (c == ACK)
            return true;
        if (c == CAN)
            return false;
    }
    return false;
}

bool transmit(void)
{
    for (;;) {
        U8 c;
        if (!readChar(&c, START_WAIT_MS))
            return false;
        if (c == CRC_REQUEST)
            break;
    }
    U8 number = 1;
    for (;;) {
        U32 count;
        if (s_pfnTransmitBlock) {
            count = s_pfnTransmitBlock(s_pu8Buffer, s_pParam);
            if (count > BLOCK_1K)
                count = BLOCK_1K;
        } else {
            count = s_s32BytesRemainingInBuffer > (S32)BLOCK_1K ? BLOCK_1K : (U32)s_s32BytesRemainingInBuffer;
        }
        // No data (an empty buffer, or a callback that has nothing more)
        // goes straight to EOT: a block of bare padding would reach the
        // receiver as data.
        if (count == 0)
            break;
        if (sendBlock(number, s_pu8Buffer, count) != XMODEM_OK)
            return false;
        if (!s_pfnTransmitBlock) {
            s_pu8Buffer += BLOCK_1K;
            s_s32BytesRemainingInBuffer -= (S32)BLOCK_1K;
            if (s_s32BytesRemainingInBuffer <= 0)
                break;
        }
        number = (U8)(number + 1);
    }
    return sendEnd();
}

// ---- receiving ----

// Answers the second EOT with ACK; TRUE then. Aborts on CAN or when none
// comes within ten characters.
bool finishOnEot(void)
{
    if (!sendChar(NAK))
        return false;
    for (int i = 0; i < REPLY_READS; ++i) {
        U8 c;
        if (!readChar(&c, REPLY_MS))
            continue;
        if (c == EOT) {
            sendChar(ACK);
            return true;
        }
        if (c == CAN)
            break;
    }
    abortTransfer();
    return false;
}

// Reads the rest of a block after its header. XMODEM_OK for the expected
// block (delivered), XMODEM_RETRY for a repeat of the previous block (to be
// acknowledged and dropped), XMODEM_CRC_ERROR for a bad block,
// XMODEM_TIMEOUT when the block stopped short, XMODEM_OVERFLOW when the
// buffer cannot take it (with a callback the buffer is reused, so its
// capacity stays what the caller gave).
XMODEM_STAT readBlock(U32 size, U8 expected, bool anyReceived, S32* pCount, S32 capacityLeft)
{
    U8 number, complement;
    if (!readChar(&number, REPLY_MS))
        return XMODEM_TIMEOUT;
    bool repeat = anyReceived && number == (U8)(expected - 1);
    if (number != expected && !repeat)
        return XMODEM_CRC_ERROR;
    if (!readChar(&complement, REPLY_MS))
        return XMODEM_TIMEOUT;
    if (complement != (U8)(255 - number))
        return XMODEM_CRC_ERROR;

    // A repeat goes to a scratch block so that the data already delivered
    // stays as it is.
    U8 scratch[BLOCK_1K];
    U8* dest = scratch;
    if (!repeat) {
        if (capacityLeft < (S32)size)
            return XMODEM_OVERFLOW;
        dest = s_pu8Buffer;
    }
    for (U32 i = 0; i < size; ++i) {
        if (!readChar(&dest[i], REPLY_MS))
            return XMODEM_TIMEOUT;
    }
    U8 hi, lo;
    if (!readChar(&hi, REPLY_MS) || !readChar(&lo, REPLY_MS))
        return XMODEM_TIMEOUT;
    if ((U16)((hi << 8) | lo) != blockCrc(dest, size, size))
        return XMODEM_CRC_ERROR;
    if (repeat)
        return XMODEM_RETRY;

    if (s_pfnReceiveBlock) {
        s_pfnReceiveBlock(size, s_pu8Buffer, s_pParam);
        *pCount = (S32)size;
    } else {
        s_pu8Buffer += size;
        s_s32BytesRemainingInBuffer -= (S32)size;
        *pCount += (S32)size;
    }
    return XMODEM_OK;
}

// Waits for the first block's header. XMODEM_SOH or XMODEM_STX to go on,
// XMODEM_OK for a finished empty transfer, XMODEM_ABORT to end with FALSE.
XMODEM_STAT receiveStart(void)
{
    TICKS mark = (TICKS)L_CLOCK_qwGetTimeInTicks();
    TICKS spent = 0;
    for (;;) {
        if (!sendChar(CRC_REQUEST))
            return XMODEM_ABORT;
        U8 c;
        if (readChar(&c, REPLY_MS)) {
            if (c == SOH)
                return XMODEM_SOH;
            if (c == STX)
                return XMODEM_STX;
            if (c == EOT)
                return finishOnEot() ? XMODEM_OK : XMODEM_ABORT;
            if (c == CAN && readChar(&c, REPLY_MS) && c == CAN)
                return XMODEM_ABORT;
        }
        spent += L_TIMER_GetElapsed(&mark);
        if (spent > START_WAIT_MS)
            return XMODEM_ABORT;
    }
}

bool receive(S32* pCount)
{
    XMODEM_STAT st = receiveStart();
    if (st == XMODEM_OK)
        return true;
    if (st == XMODEM_ABORT)
        return false;
    U32 size = st == XMODEM_SOH ? BLOCK_128 : BLOCK_1K;
    U8 expected = 1;
    bool anyReceived = false;
    int errors = 0;
    for (;;) {
        st = readBlock(size, expected, anyReceived, pCount, s_s32BytesRemainingInBuffer);
        if (st == XMODEM_OVERFLOW) {
            abortTransfer();
            return false;
        }
        if (st == XMODEM_OK || st == XMODEM_RETRY) {
            if (st == XMODEM_OK) {
                expected = (U8)(expected + 1);
                anyReceived = true;
            }
            sendChar(ACK);
            errors = 0;
        } else {
            sendChar(NAK);
            if (++errors > MAX_ERRORS) {
                abortTransfer();
                return false;
            }
        }
        // The next header.
        for (;;) {
            U8 c;
            if (!readChar(&c, HEADER_WAIT_MS))
                return false;
            if (c == SOH || c == STX) {
                size = c == SOH ? BLOCK_128 : BLOCK_1K;
                break;
            }
            if (c == EOT)
                return finishOnEot();
            if (c == CAN && readChar(&c, HEADER_WAIT_MS) && c == CAN)
                return false;
        }
    }
}

void storeTransfer(U8 port, U8* buffer, S32 size, TRANSMIT_BLOCK_FUNCTION* tx, RECEIVE_BLOCK_FUNCTION* rx,
                   void* param)
{
    s_u8Port = port;
    s_pu8Buffer = buffer;
    s_s32BytesRemainingInBuffer = size;
    s_pfnTransmitBlock = tx;
    s_pfnReceiveBlock = rx;
    s_pParam = param;
}

} // namespace

BOOLEAN U_XMODEM_bTransmit(U8 u8Port, BYTE* pcBuffer, S32 s32SizeOfBufferBytes, TRANSMIT_BLOCK_FUNCTION* pfnBlock,
                           void* pParam)
{
    if (u8Port > 3 || !pcBuffer)
        return FALSE;
    L_MUTEX_LockWait(RES_XMODEM);
    storeTransfer(u8Port, pcBuffer, pfnBlock ? 0 : s32SizeOfBufferBytes, pfnBlock, nullptr, pParam);
    bool ok = transmit();
    L_MUTEX_Unlock(RES_XMODEM);
    return ok ? TRUE : FALSE;
}

BOOLEAN U_XMODEM_bReceive(U8 u8Port, BYTE* pcBuffer, S32* ps32SizeOfBufferBytes, RECEIVE_BLOCK_FUNCTION* pfnBlock,
                          void* pParam)
{
    if (u8Port > 3 || !pcBuffer || !ps32SizeOfBufferBytes)
        return FALSE;
    L_MUTEX_LockWait(RES_XMODEM);
    storeTransfer(u8Port, pcBuffer, *ps32SizeOfBufferBytes, nullptr, pfnBlock, pParam);
    S32 count = 0;
    bool ok = receive(&count);
    L_MUTEX_Unlock(RES_XMODEM);
    *ps32SizeOfBufferBytes = count;
    if (pfnBlock)
        pfnBlock(0, nullptr, pParam);
    return ok ? TRUE : FALSE;
}

void U_XMODEM_vAbortReceive(void)
{
    abortTransfer();
}
