// Resampling (see the header). The fixed-point position is kept in 64 bits:
// the same steps as 32-bit arithmetic wherever that does not overflow, and
// rows longer than 131,071 samples resample as well.
#include "sonar/dsp/s_fresamp.h"


#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// Sixteen bytes at a time; a stretch that is not a whole number of blocks
// ends with a block that overlaps the one before, which changes no maximum.
inline U8 u8Max(const U8* p, size_t n)
{
    if (n < 16) {
        U8 m = 0;
        for (size_t i = 0; i < n; ++i)
            m = p[i] > m ? p[i] : m;
        return m;
    }
    __m128i m = _mm_loadu_si128((const __m128i*)(p + n - 16));
    for (size_t i = 0; i + 16 < n; i += 16)
        m = _mm_max_epu8(m, _mm_loadu_si128((const __m128i*)(p + i)));
    m = _mm_max_epu8(m, _mm_srli_si128(m, 8));
    m = _mm_max_epu8(m, _mm_srli_si128(m, 4));
    m = _mm_max_epu8(m, _mm_srli_si128(m, 2));
    m = _mm_max_epu8(m, _mm_srli_si128(m, 1));
    return (U8)_mm_cvtsi128_si32(m);
}
#else
inline U8 u8Max(const U8* p, size_t n)
{
    U8 m = 0;
    for (size_t i = 0; i < n; ++i)
        m = p[i] > m ? p[i] : m;
    return m;
}
#endif

void vFastUpSample(const U8* in, U32 u32In, U32 u32Extent, U8* out, U32 u32Out)
{
    U32 pos = 0;
    if (u32In && u32Out && u32Extent) {
        const U64 ratio = (U64)u32In * 32768u / u32Out;
        for (U64 acc = 0; pos < u32Out && (acc >> 15) < u32In && (acc >> 15) < u32Extent; acc += ratio)
            out[pos++] = in[acc >> 15];
    }
    memset(out + pos, 0, u32Out - pos);
}

void vFastDownSample(const U8* in, U32 u32In, U32 u32Extent, U8* out, U32 u32Out)
{
    U32 j = 0;
    if (u32In && u32Out && u32Extent) {
        const U64 ratio = (U64)u32In * 32768u / u32Out;
        U64 start = 0;
        U64 acc = ratio;
        for (;;) {
            const U64 step = acc >> 15;
            const U64 end = step < (U64)u32Extent - 1 ? step : (U64)u32Extent - 1;
            out[j] = end < start ? 0 : u8Max(in + start, (size_t)(end - start + 1));
            start = end + 1;
            ++j;
            if (start >= u32In || j >= u32Out)
                break;
            acc += ratio;
            if (start >= u32Extent)
                break;
        }
    }
    memset(out + j, 0, u32Out - j);
}

} // namespace

void S_FRESAMPLE_vFastResample(const U8* pu8InData, U32 u32InputLength, U32 u32ExtentOfInputData, U8* pu8OutData,
                               U32 u32OutputLength)
{
    if (u32OutputLength > u32InputLength) {
        vFastUpSample(pu8InData, u32InputLength, u32ExtentOfInputData, pu8OutData, u32OutputLength);
    } else if (u32OutputLength == u32InputLength) {
        const U32 n = u32OutputLength < u32ExtentOfInputData ? u32OutputLength : u32ExtentOfInputData;
        memmove(pu8OutData, pu8InData, n);
        memset(pu8OutData + n, 0, u32OutputLength - n);
    } else {
        vFastDownSample(pu8InData, u32InputLength, u32ExtentOfInputData, pu8OutData, u32OutputLength);
    }
}

U8 S_FRESAMPLE_u8FindMax(const U8* pu8FirstElement, const U8* pu8LastElement)
{
    if (pu8LastElement < pu8FirstElement)
        return 0;
    return u8Max(pu8FirstElement, (size_t)(pu8LastElement - pu8FirstElement) + 1);
}
