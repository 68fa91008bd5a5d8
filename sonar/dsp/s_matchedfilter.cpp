// The matched filter (see the header).
//
// How the weights are made. For a pulse of d samples the taps k < min(d, 64)
// follow
//     p(k) = (48 / (d (k + 1)) + 1) x (d - 1 - k) / d
// a falling ramp over the pulse (0 at its last sample) with a spike at the
// leading edge that shrinks as the pulse grows; each row is p scaled to a
// sum of 128 and every tap rounded half away from zero, so rows sum to
// 128 give or take the rounding. Four rows are measured ones and given
// outright: the one-sample pulse (127 alone), the two- and six-sample
// pulses with their ringing, and the first five taps of the 21-sample
// pulse, whose remaining taps are the formula's. The compiler builds the
// table; rows outside 113-143, or a row that rises past its named taps,
// do not compile.
#include "sonar/dsp/s_matchedfilter.h"

#include <cstring>

namespace {

void vBadMatchedFilterRow(void) {}

constexpr S8 s8Round(double x)
{
    return (S8)(x >= 0 ? (int)(x + 0.5) : -(int)(-x + 0.5));
}

constexpr std::array<S8, S_MATCHEDFILTER_TAPS> aFormulaRow(U32 d)
{
    std::array<S8, S_MATCHEDFILTER_TAPS> row = {};
    const U32 taps = d < S_MATCHEDFILTER_TAPS ? d : S_MATCHEDFILTER_TAPS;
    double p[S_MATCHEDFILTER_TAPS] = {};
    double sum = 0;
    for (U32 k = 0; k < taps; ++k) {
        p[k] = (48.0 / (d * (k + 1.0)) + 1.0) * (double)(d - 1 - k) / d;
        sum += p[k];
    }
    for (U32 k = 0; k < taps; ++k)
        row[k] = s8Round(128.0 * p[k] / sum);
    return row;
}

constexpr MATCHED_FILTER_WEIGHTS aMakeWeights()
{
    MATCHED_FILTER_WEIGHTS w = {};
    for (U32 d = 2; d <= S_MATCHEDFILTER_ROWS; ++d)
        w[d - 1] = aFormulaRow(d);

    const S8 one[] = {127};
    const S8 two[] = {99, 33, -6, 3, -1, 1};
    const S8 six[] = {56, 30, 20, 14, 9, 3, -7};
    const S8 head21[] = {24, 15, 12, 11, 9};
    w[0] = {};
    w[1] = {};
    w[5] = {};
    for (U32 k = 0; k < sizeof one; ++k)
        w[0][k] = one[k];
    for (U32 k = 0; k < sizeof two; ++k)
        w[1][k] = two[k];
    for (U32 k = 0; k < sizeof six; ++k)
        w[5][k] = six[k];
    for (U32 k = 0; k < sizeof head21; ++k)
        w[20][k] = head21[k];

    for (U32 r = 0; r < S_MATCHEDFILTER_ROWS; ++r) {
        int sum = 0;
        for (U32 k = 0; k < S_MATCHEDFILTER_TAPS; ++k)
            sum += w[r][k];
        if (sum < 113 || sum > 143)
            vBadMatchedFilterRow();
    }
    for (U32 k = sizeof head21; k < S_MATCHEDFILTER_TAPS; ++k)
        if (w[20][k] > w[20][k - 1])
            vBadMatchedFilterRow();
    return w;
}

} // namespace

constinit const MATCHED_FILTER_WEIGHTS as8FilterWeights = aMakeWeights();

U32 S_MATCHEDFILTER_u32PulseSamples(U32 u32TxFrequencyHertz, U8 u8TxCycles, U8 u8PulseStretchingFactor)
{
    if (u32TxFrequencyHertz == 0)
        return 0;
    const U64 f = u32TxFrequencyHertz;
    const U64 d = ((U64)u8PulseStretchingFactor * u8TxCycles * 1000000u + 832u * f) / (1664u * f);
    return d > S_MATCHEDFILTER_ROWS ? S_MATCHEDFILTER_ROWS : (U32)d;
}

void S_MATCHEDFILTER_vFilter(const U8* pu8Input, U8* pu8Output, U32 u32OutLength, U32 u32TxFrequencyHertz,
                             U8 u8TxCycles, U8 u8PulseStretchingFactor)
{
    const U32 d = S_MATCHEDFILTER_u32PulseSamples(u32TxFrequencyHertz, u8TxCycles, u8PulseStretchingFactor);
    if (d <= 1) {
        if (pu8Input != pu8Output)
            memmove(pu8Output, pu8Input, u32OutLength);
        return;
    }
    const S8* w = as8FilterWeights[d - 1].data();
    // Output j reads inputs j and later only, so writing it in place is safe.
    for (U32 j = 0; j < u32OutLength; ++j) {
        const U32 taps = u32OutLength - j < S_MATCHEDFILTER_TAPS ? u32OutLength - j : S_MATCHEDFILTER_TAPS;
        const U8* in = pu8Input + j;
        S32 acc = 0;
        if (taps == S_MATCHEDFILTER_TAPS) {
            for (U32 k = 0; k < S_MATCHEDFILTER_TAPS; ++k)
                acc += (S32)in[k] * w[k];
        } else {
            for (U32 k = 0; k < taps; ++k)
                acc += (S32)in[k] * w[k];
        }
        pu8Output[j] = acc > 32767 ? 255 : acc < -127 ? 0 : (U8)(acc / 128);
    }
}
