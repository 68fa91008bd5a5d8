// Sample filters (see the header).
//
// The per-sample loops are written so that the compiler turns them into
// vector code: no table lookups and no divisions inside them. The
// exponential average's two truncating divisions by the factor are done
// by a multiply with the rounded-up reciprocal, which is exact for every
// 8-bit dividend and factor.
#include "sonar/dsp/s_filter.h"

#include "kernel/error.h"
#include "sonar/dsp/s_vector.h"

#include <cstring>

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/s_filter";

U8 s_u8ExponentialAverageData[S_FILTER_AVERAGE_BEAMS][S_FILTER_AVERAGE_SAMPLES];

typedef int SHARP_KERNEL[9];

// Rows oldest to newest, columns sample i-1, i, i+1; each sums to 4 and is
// used with a right shift of 2, so flat areas keep their level.
const SHARP_KERNEL sharpFilter1_low = {0, -1, 0, -1, 8, -1, 0, -1, 0};
const SHARP_KERNEL sharpFilter1_med = {0, -2, 0, -2, 12, -2, 0, -2, 0};
const SHARP_KERNEL sharpFilter1_high = {0, -3, 0, -3, 16, -3, 0, -3, 0};

// x / a for x <= 255 and 2 <= a <= 255: (x x ceil(65536 / a)) >> 16.
// The reciprocal's error adds less than x / 65536 < 1 / a to the quotient,
// which never carries it past the next integer.
inline U16 u16Divide(U16 x, U16 reciprocal)
{
    return (U16)(((U32)x * reciprocal) >> 16);
}

// ((a - 1) x avg) / a + raw / a. The first term is avg - ceil(avg / a),
// and with t = avg - 1 (0 for a 0) that is t - t / a: two truncating
// divisions of bytes and no compare.
inline U8 u8AverageStep(U16 avg, U16 raw, U16 reciprocal)
{
    const U16 t = avg ? (U16)(avg - 1) : 0;
    return (U8)(t - u16Divide(t, reciprocal) + u16Divide(raw, reciprocal));
}

VECTOR_CLONES void vAverageApart(U32 n, U8* __restrict store, const U8* __restrict raw, U8* __restrict out,
                                 U16 reciprocal)
{
    for (U32 i = 0; i < n; ++i) {
        const U8 v = u8AverageStep(store[i], raw[i], reciprocal);
        store[i] = v;
        out[i] = v;
    }
}

// Each sample is read before it is written, so one buffer may be both.
VECTOR_CLONES void vAverageInPlace(U32 n, U8* __restrict store, U8* __restrict inout, U16 reciprocal)
{
    for (U32 i = 0; i < n; ++i) {
        const U8 v = u8AverageStep(store[i], inout[i], reciprocal);
        store[i] = v;
        inout[i] = v;
    }
}

// The input passes when it lies below (5 x p) >> 2 = p + (p >> 2): when
// it is below p, or above it by less than p >> 2. Kept in bytes.
inline U8 u8TwoOfTwo(U8 in, U8 prev)
{
    const U8 rise = in > prev ? (U8)(in - prev) : 0;
    return ((in < prev) | (rise < (prev >> 2))) ? in : prev;
}

VECTOR_CLONES void v2of2Apart(U32 n, const U8* __restrict in, U8* __restrict prev, U8* __restrict out)
{
    for (U32 i = 0; i < n; ++i) {
        const U8 s = in[i];
        out[i] = u8TwoOfTwo(s, prev[i]);
        prev[i] = s;
    }
}

VECTOR_CLONES void v2of2InPlace(U32 n, U8* __restrict inout, U8* __restrict prev)
{
    for (U32 i = 0; i < n; ++i) {
        const U8 s = inout[i];
        inout[i] = u8TwoOfTwo(s, prev[i]);
        prev[i] = s;
    }
}

VECTOR_CLONES void vCutApart(U32 n, const U8* __restrict noise, const U8* __restrict in, U8* __restrict out,
                             U8 level)
{
    for (U32 i = 0; i < n; ++i)
        out[i] = noise[i] < level ? 0 : in[i];
}

VECTOR_CLONES void vCutInPlace(U32 n, const U8* __restrict noise, U8* __restrict inout, U8 level)
{
    for (U32 i = 0; i < n; ++i)
        inout[i] = noise[i] < level ? 0 : inout[i];
}

const int* pKernel(FILTER_TYPE eFilter)
{
    switch (eFilter) {
    case SHARP_FILTER_1L:
        return sharpFilter1_low;
    case SHARP_FILTER_1M:
        return sharpFilter1_med;
    case SHARP_FILTER_1H:
        return sharpFilter1_high;
    default:
        return nullptr;
    }
}

} // namespace

void S_FILTER_vInitExponentialAverageData(void)
{
    memset(s_u8ExponentialAverageData, 0, sizeof s_u8ExponentialAverageData);
}

void S_FILTER_vGetExponentialAverageData(U32 u32NumberOfSamples, BEAM Beam, const U8* pu8RawSonarData,
                                         U8* pu8DecayedAverageData, U8 u8AveragingFactor)
{
    if (!pu8RawSonarData || !pu8DecayedAverageData || u8AveragingFactor <= 1 || u32NumberOfSamples == 0)
        return;
    if (Beam >= S_FILTER_AVERAGE_BEAMS) {
        ERROR_error(SOURCE, __LINE__, "Invalid beam");
        U_RESET_vReset(0, 0);
    }
    if (u32NumberOfSamples > S_FILTER_AVERAGE_SAMPLES)
        u32NumberOfSamples = S_FILTER_AVERAGE_SAMPLES;
    U8* store = s_u8ExponentialAverageData[Beam];
    const U16 reciprocal = (U16)((65536u + u8AveragingFactor - 1) / u8AveragingFactor);
    if (pu8RawSonarData == pu8DecayedAverageData)
        vAverageInPlace(u32NumberOfSamples, store, pu8DecayedAverageData, reciprocal);
    else
        vAverageApart(u32NumberOfSamples, store, pu8RawSonarData, pu8DecayedAverageData, reciprocal);
}

void S_FILTER_v2of2Filter(U32 u32NumberOfSamples, const U8* pu8Input, U8* pu8PrevInput, U8* pu8Output)
{
    if (pu8Input == pu8Output)
        v2of2InPlace(u32NumberOfSamples, pu8Output, pu8PrevInput);
    else
        v2of2Apart(u32NumberOfSamples, pu8Input, pu8PrevInput, pu8Output);
}

void S_FILTER_vFilterAndNoiseRemoval(U32 u32NumberOfSamples, const U8* pu8RawSonarData, U8* pu8FilteredData,
                                     U8* pu8PreviousRawData, BOOLEAN b2Of2FilterActive,
                                     U8 u8BackgroundNoiseLevel)
{
    for (U32 i = 0; i < u32NumberOfSamples; ++i) {
        const U8 s = pu8RawSonarData[i];
        if (s < u8BackgroundNoiseLevel) {
            pu8FilteredData[i] = 0;
            pu8PreviousRawData[i] = 0;
        } else {
            pu8FilteredData[i] = b2Of2FilterActive ? u8TwoOfTwo(s, pu8PreviousRawData[i]) : s;
            pu8PreviousRawData[i] = s;
        }
    }
}

void S_FILTER_vNoiseRemoval(U32 u32NumberOfSamples, const U8* pu8NoiseIn, const U8* pu8FilterIn, U8* pu8FilterOut,
                            U8 u8NoiseLevel)
{
    if (pu8FilterIn == pu8FilterOut && pu8NoiseIn != pu8FilterOut)
        vCutInPlace(u32NumberOfSamples, pu8NoiseIn, pu8FilterOut, u8NoiseLevel);
    else if (pu8NoiseIn == pu8FilterOut || pu8FilterIn == pu8FilterOut)
        for (U32 i = 0; i < u32NumberOfSamples; ++i)
            pu8FilterOut[i] = pu8NoiseIn[i] < u8NoiseLevel ? 0 : pu8FilterIn[i];
    else
        vCutApart(u32NumberOfSamples, pu8NoiseIn, pu8FilterIn, pu8FilterOut, u8NoiseLevel);
}

void S_FILTER_v2D_Flankview_Filter(U32 u32NumberOfSamples, const U8* pu8In, U8* pu8Out, FILTER_TYPE eFilter,
                                   S32* ps32Line, U8* pu8FilterBuffer, U32 u32PixelsInRow)
{
    const BOOLEAN bPositionValid = ps32Line && *ps32Line >= 0 && *ps32Line <= 2;
    const BOOLEAN bRowFits = u32NumberOfSamples <= S_FILTER_MAX_ROW;
    const int* kernel = pKernel(eFilter);
    if (!kernel || !pu8FilterBuffer || u32NumberOfSamples > u32PixelsInRow || !bPositionValid || !bRowFits) {
        if (!kernel && eFilter != NO_FILTER && bPositionValid && bRowFits)
            return;
        if (pu8In != pu8Out)
            memcpy(pu8Out, pu8In, u32NumberOfSamples < S_FILTER_MAX_ROW ? u32NumberOfSamples : S_FILTER_MAX_ROW);
        return;
    }

    const S32 L = *ps32Line;
    U8* ring[3] = {pu8FilterBuffer, pu8FilterBuffer + u32PixelsInRow, pu8FilterBuffer + 2 * u32PixelsInRow};
    memcpy(ring[L], pu8In, u32NumberOfSamples);
    const U8* A = ring[(L + 1) % 3]; // oldest
    const U8* B = ring[(L + 2) % 3]; // the row written out
    const U8* C = ring[L];           // newest
    const U32 n = u32NumberOfSamples;
    for (U32 i = 1; i + 1 < n; ++i) {
        const int v = kernel[0] * A[i - 1] + kernel[1] * A[i] + kernel[2] * A[i + 1] + kernel[3] * B[i - 1] +
                      kernel[4] * B[i] + kernel[5] * B[i + 1] + kernel[6] * C[i - 1] + kernel[7] * C[i] +
                      kernel[8] * C[i + 1];
        pu8Out[i] = v < 0 ? 0 : v < 1024 ? (U8)(v >> 2) : 255;
    }
    if (n > 0) {
        pu8Out[0] = B[0];
        pu8Out[n - 1] = B[n - 1];
    }
    *ps32Line = (L + 1) % 3;
}
