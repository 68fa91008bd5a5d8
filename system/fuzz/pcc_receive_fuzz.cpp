// Fuzz target of the PC-connect receiver: the input is what a PC sends on
// port 3 once the connection runs. Every byte goes through the receive
// states and the command handlers, with the data store real and the
// navigation stream, the transfers and the wipe on fakes; the replies go
// into the port's transmit queue, laid over a buffer large enough for any
// input's answers and emptied after each input. A half-received command
// is dropped at the end of an input.
//
// Data-store keys are never freed, so the keys that "s" creates would in
// the end fill the program heap; after a budget of them the letter "s" is
// turned into "f", which parses the same items but writes only keys that
// exist.
#include "system/t_pcc.h"

#include "kernel/l_queue.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr QUEUE TXQ = 7;
constexpr size_t kMaxInput = 2048;
constexpr size_t kKeyBudget = 2000;

U8 s_txRing[1 << 20];
size_t s_keysSpent = 0;

U32 s_fillLeft = 0;

T_PCC_NEIGHBOURS fakes()
{
    T_PCC_NEIGHBOURS n = {};
    n.pfnFillBufferInit = [] { s_fillLeft = 3000; };
    n.pfnFillBufferSegment = [](U8* b, U32) -> U32 {
        U32 k = s_fillLeft < 1024 ? s_fillLeft : 1024;
        memset(b, 0x5A, k);
        s_fillLeft -= k;
        return k;
    };
    n.pfnFillNoGroupBufferSegment = n.pfnFillBufferSegment;
    n.pfnSaveBufferInit = [] {};
    n.pfnSaveBufferSegment = [](U32 count, const U8* block) {
        if (count > 1024 || block == nullptr)
            abort();
        volatile U8 sum = 0;
        for (U32 i = 0; i < count; ++i)
            sum = (U8)(sum + block[i]);
    };
    n.pfnSaveBufferFree = [] {};
    n.pfnSendStream = [](U8, U8* block, U32 (*fill)(U8*, void*), void* param) -> BOOLEAN {
        for (int i = 0; i < 10; ++i) {
            if (fill(block, param) == 0)
                break;
        }
        return TRUE;
    };
    n.pfnReceiveStream = [](U8, U8* block, void (*store)(U32, U8*, void*), void* param) -> BOOLEAN {
        memset(block, 0x41, 1024);
        store(1024, block, param);
        store(128, block, param);
        store(0, nullptr, param);
        return TRUE;
    };
    n.pfnWipe = [](BOOLEAN, BOOLEAN) {};
    return n;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    H_DATABASE_vInit();
    if (L_QUEUE_Define(TXQ, 1, sizeof s_txRing, s_txRing, 0) != 0)
        abort();
    T_PCC_NEIGHBOURS n = fakes();
    T_PCC_vInstallNeighbours(&n);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    std::vector<U8> bytes(data, data + size);
    // "n" waits 100 ms before it answers; a few per input keep the runs quick.
    int slow = 0;
    for (size_t i = 0; i + 1 < size; ++i) {
        if (bytes[i] == '#' && bytes[i + 1] == 'n' && ++slow > 2)
            bytes[i + 1] = 'T';
        if (bytes[i] == '#' && bytes[i + 1] == 's') {
            if (s_keysSpent >= kKeyBudget)
                bytes[i + 1] = 'f';
            else
                s_keysSpent += size / 14 + 1;
        }
    }
    BOOLEAN bStay = TRUE;
    for (U8 b : bytes)
        T_PCC_vReceiveByte(b, &bStay);
    T_PCC_vResetReceiver();
    L_QUEUE_Purge(TXQ);
    return 0;
}
