// Fuzz target of the received-block path: whatever bytes one receive
// delivers, taking the block and extracting every channel with the ping
// task's limits (50 noise, 55,000 return samples) stays inside those bytes,
// each extracted sample is the byte at 45 + 3k + c, and the echo decodes to
// the 41 bytes it came from.
#include "kernel/lm_log.h"
#include "platform/h_coproc.h"
#include "sonar/dsp/s_demultiplex.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr U16 MAX_NOISE = 50;
constexpr U16 MAX_RETURNS = 55000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > H_COPROC_BLOCK_BYTES)
        return 0;
    // Exact-size copies, so that any read or write past the end is caught.
    U8* block = (U8*)malloc(size ? size : 1);
    memcpy(block, data, size);
    U8* noise = (U8*)malloc(MAX_NOISE);
    U8* returns = (U8*)malloc(MAX_RETURNS);

    TX_SEQUENCE echo;
    const U8* start = nullptr;
    U16 u16Noise = 0xFFFF;
    U16 u16Returns = 0xFFFF;
    if (S_DEMULTIPLEX_bTakeReceivedBlock(block, (U32)size, MAX_NOISE, MAX_RETURNS, &echo, &start, &u16Noise,
                                         &u16Returns)) {
        if (size < S_DEMULTIPLEX_HEAD_BYTES || start != block + S_DEMULTIPLEX_HEAD_BYTES)
            abort();
        if (45 + 3 * ((size_t)u16Noise + u16Returns) > size || u16Noise > MAX_NOISE || u16Returns > MAX_RETURNS)
            abort();
        U8 again[TX_SEQUENCE_BYTES];
        S_COPROC_vEncodeTxSequence(&echo, again);
        if (memcmp(again, data + 4, sizeof again) != 0)
            abort();
        for (U8 c = 0; c < S_DEMULTIPLEX_CHANNELS; ++c) {
            S_DEMULTIPLEX_vGetExtractRxData(start, c, u16Noise, u16Returns, noise, returns);
            for (size_t k = 0; k < u16Noise; ++k)
                if (noise[k] != data[45 + 3 * k + c])
                    abort();
            for (size_t k = 0; k < u16Returns; ++k)
                if (returns[k] != data[45 + 3 * (u16Noise + k) + c])
                    abort();
        }
    } else if (size >= S_DEMULTIPLEX_HEAD_BYTES) {
        abort(); // a whole head is a block
    }
    free(returns);
    free(noise);
    free(block);
    return 0;
}
