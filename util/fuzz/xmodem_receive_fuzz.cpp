// Fuzz target of XMODEM reception: the input is what the far end of a
// serial port sends. The first byte picks the receive buffer's capacity (0
// to 8 KiB, so that overflows are reached) and whether the blocks go to a
// callback; the rest goes into the port's receive queue, followed by a run
// of CAN that ends whatever step the receiver has reached without waiting
// for a time-out. Nothing the far end sends may write outside the buffer
// or hand the callback more than a block.
#include "kernel/l_queue.h"
#include "kernel/lm_log.h"
#include "util/u_xmodem.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr U8 PORT = 0;
constexpr QUEUE TXQ = 1, RXQ = 2; // port 0's queues
constexpr size_t kMaxInput = 8192;
// More than the longest block (header, number, complement, 1024 bytes and
// the CRC), so that a block still open at the end of the input is read to
// its end, plus the two CANs that then cancel.
constexpr size_t kCancelRun = 1100;
constexpr size_t kRxDepth = kMaxInput + kCancelRun;
// The receiver answers every byte at most once ('C', ACK, NAK) and cancels
// with eight CANs at most a few times.
constexpr size_t kTxDepth = kRxDepth + 64;

U16 s_rxRing[kRxDepth];
U8 s_txRing[kTxDepth];

struct CALLBACK_STATE {
    U32 u32Calls;
    bool bEnded;
};

void onBlock(U32 count, U8* buffer, void* param)
{
    auto* st = static_cast<CALLBACK_STATE*>(param);
    if (st->bEnded)
        abort(); // nothing after the end call
    if (count == 0) {
        st->bEnded = true;
        return;
    }
    if ((count != 128 && count != 1024) || buffer == nullptr)
        abort();
    // Every byte handed over must be readable.
    volatile U8 sum = 0;
    for (U32 i = 0; i < count; ++i)
        sum = (U8)(sum + buffer[i]);
    st->u32Calls++;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    if (L_QUEUE_Define(TXQ, 1, kTxDepth, s_txRing, 0) != 0 ||
        L_QUEUE_Define(RXQ, 2, kRxDepth, (U8*)s_rxRing, 0) != 0)
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > kMaxInput + 1)
        return 0;
    L_QUEUE_Purge(TXQ);
    L_QUEUE_Purge(RXQ);
    for (size_t i = 1; i < size; ++i) {
        U16 element = data[i];
        if (L_QUEUE_Put(RXQ, &element) != 0)
            abort();
    }
    for (size_t i = 0; i < kCancelRun; ++i) {
        U16 element = 0x18;
        if (L_QUEUE_Put(RXQ, &element) != 0)
            abort();
    }

    const bool viaCallback = data[0] & 0x80;
    // An exact-size buffer, so that any write past its end is caught.
    const S32 capacity = viaCallback ? 1024 : (S32)(data[0] % 9) * 1024 + (data[0] & 0x40 ? 128 : 0);
    std::vector<U8> buffer((size_t)capacity + (capacity == 0 ? 1 : 0));
    S32 got = capacity;
    CALLBACK_STATE st = {0, false};
    const BOOLEAN ok =
        U_XMODEM_bReceive(PORT, buffer.data(), &got, viaCallback ? onBlock : nullptr, viaCallback ? &st : nullptr);
    if (viaCallback) {
        if (!st.bEnded || got < 0 || got > 1024)
            abort();
    } else if (got < 0 || got > capacity) {
        abort();
    }
    (void)ok;
    return 0;
}
