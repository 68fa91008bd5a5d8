// Demultiplexing (see the header). The de-interleave is one strided copy,
// eight samples a step after the odd remainder; on a little-endian machine
// each step loads the 24 bytes of eight frames as three words and stores
// the eight samples as one. Where the processor has byte permutes across
// 128 bytes (AVX-512 VBMI), runs of 64 samples go through two of them
// first: a channel of a full block then costs about what copying its bytes
// would. No load reaches past the last sample it needs.
#include "sonar/dsp/s_demultiplex.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define S_DEMULTIPLEX_WIDE 1
#endif

namespace {

constexpr U32 STEP = 8;
constexpr U32 RECEIVE_FAILED = 0xFFFFFFFFu;

U64 u64Load(const U8* p)
{
    U64 v;
    memcpy(&v, p, sizeof v);
    return v;
}

// Byte n of a little-endian word, moved to byte m of the result.
constexpr U64 u64Move(U64 w, unsigned n, unsigned m)
{
    return ((w >> (8 * n)) & 0xFF) << (8 * m);
}

bool s_bNarrowOnly = false;

#if S_DEMULTIPLEX_WIDE
constexpr U32 WIDE_STEP = 64;

bool bWideCopy(void)
{
    static const bool bHas = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                             __builtin_cpu_supports("avx512vbmi");
    return bHas && !s_bNarrowOnly;
}

// Copies u32Steps runs of 64 samples. Samples 0-42 lie in the first 128
// bytes, samples 43-63 in the 64 bytes from 126 on (the last one at 189).
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void vDeinterleaveWide(const U8*& pau8Source,
                                                                                U8*& pau8Destination, U32 u32Steps)
{
    alignas(64) U8 au8Low[WIDE_STEP];
    alignas(64) U8 au8High[WIDE_STEP];
    for (U32 j = 0; j < WIDE_STEP; ++j) {
        au8Low[j] = (U8)(j <= 42 ? 3 * j : 0);
        au8High[j] = (U8)(j <= 42 ? j : 3 * j - 62);
    }
    const __m512i low = _mm512_load_si512(au8Low);
    const __m512i high = _mm512_load_si512(au8High);
    for (; u32Steps; --u32Steps) {
        const __m512i a = _mm512_loadu_si512(pau8Source);
        const __m512i b = _mm512_loadu_si512(pau8Source + 64);
        const __m512i c = _mm512_loadu_si512(pau8Source + 126);
        const __m512i first = _mm512_permutex2var_epi8(a, low, b);
        _mm512_storeu_si512(pau8Destination, _mm512_permutex2var_epi8(first, high, c));
        pau8Source += S_DEMULTIPLEX_CHANNELS * WIDE_STEP;
        pau8Destination += WIDE_STEP;
    }
}
#endif

// pau8Destination[i] = pau8Source[3i] for i < u32Count.
void vDeinterleave(const U8* pau8Source, U8* pau8Destination, U32 u32Count)
{
    U32 u32Odd = u32Count % STEP;
    while (u32Odd--) {
        *pau8Destination++ = *pau8Source;
        pau8Source += S_DEMULTIPLEX_CHANNELS;
    }
    U32 u32Steps = u32Count / STEP;
#if S_DEMULTIPLEX_WIDE
    if (u32Steps >= WIDE_STEP / STEP && bWideCopy()) {
        vDeinterleaveWide(pau8Source, pau8Destination, u32Steps / (WIDE_STEP / STEP));
        u32Steps %= WIDE_STEP / STEP;
    }
#endif
    for (U32 n = u32Steps; n; --n) {
        if constexpr (std::endian::native == std::endian::little) {
            // Bytes 0, 3, 6 of the first word, 1, 4, 7 of the second and
            // 4, 7 of the third (loaded at 14, so that no load reaches past
            // the step's last sample at 21) are samples 0 to 7.
            const U64 a = u64Load(pau8Source);
            const U64 b = u64Load(pau8Source + 8);
            const U64 c = u64Load(pau8Source + 14);
            const U64 v = u64Move(a, 0, 0) | u64Move(a, 3, 1) | u64Move(a, 6, 2) | u64Move(b, 1, 3) |
                          u64Move(b, 4, 4) | u64Move(b, 7, 5) | u64Move(c, 4, 6) | u64Move(c, 7, 7);
            memcpy(pau8Destination, &v, sizeof v);
        } else {
            for (U32 i = 0; i < STEP; ++i)
                pau8Destination[i] = pau8Source[S_DEMULTIPLEX_CHANNELS * i];
        }
        pau8Source += S_DEMULTIPLEX_CHANNELS * STEP;
        pau8Destination += STEP;
    }
}

} // namespace

void S_DEMULTIPLEX_vNarrowCopyForTests(BOOLEAN bNarrowOnly)
{
    s_bNarrowOnly = bNarrowOnly;
}

BOOLEAN S_DEMULTIPLEX_bExtractTxSequence(const U8* pau8ReceivedCoprocData, TX_SEQUENCE* pTxSequence,
                                         const U8** ppau8StartOfData)
{
    S_COPROC_vDecodeTxSequence(pau8ReceivedCoprocData + S_DEMULTIPLEX_PREFIX_BYTES, pTxSequence);
    *ppau8StartOfData = pau8ReceivedCoprocData + S_DEMULTIPLEX_HEAD_BYTES;
    return TRUE;
}

void S_DEMULTIPLEX_vGetExtractRxData(const U8* pau8StartOfData, U8 u8Channel, U16 u16NoiseSamples,
                                     U16 u16RxSamples, U8* pau8Noise, U8* pau8SonarData)
{
    const U8* pau8Channel = pau8StartOfData + u8Channel;
    if (pau8Noise && u16NoiseSamples)
        vDeinterleave(pau8Channel, pau8Noise, u16NoiseSamples);
    if (pau8SonarData && u16RxSamples)
        vDeinterleave(pau8Channel + (size_t)S_DEMULTIPLEX_CHANNELS * u16NoiseSamples, pau8SonarData, u16RxSamples);
}

BOOLEAN S_DEMULTIPLEX_bTakeReceivedBlock(const U8* pau8ReceivedCoprocData, U32 u32ReceivedBytes, U16 u16MaxNoise,
                                         U16 u16MaxReturns, TX_SEQUENCE* pEcho, const U8** ppau8StartOfData,
                                         U16* pu16Noise, U16* pu16Returns)
{
    if (u32ReceivedBytes == RECEIVE_FAILED || u32ReceivedBytes < S_DEMULTIPLEX_HEAD_BYTES)
        return FALSE;
    S_DEMULTIPLEX_bExtractTxSequence(pau8ReceivedCoprocData, pEcho, ppau8StartOfData);
    // Whole frames only: a channel's sample must be there for every channel.
    const U32 u32Frames = (u32ReceivedBytes - S_DEMULTIPLEX_HEAD_BYTES) / S_DEMULTIPLEX_CHANNELS;
    U32 u32Noise = pEcho->u16NoiseSamples < u16MaxNoise ? pEcho->u16NoiseSamples : u16MaxNoise;
    if (u32Noise > u32Frames)
        u32Noise = u32Frames;
    U32 u32Returns = pEcho->u16Samples < u16MaxReturns ? pEcho->u16Samples : u16MaxReturns;
    if (u32Returns > u32Frames - u32Noise)
        u32Returns = u32Frames - u32Noise;
    *pu16Noise = (U16)u32Noise;
    *pu16Returns = (U16)u32Returns;
    return TRUE;
}
