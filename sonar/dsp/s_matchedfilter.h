// The matched filter: correlates a ping's samples with the shape of its
// transmit pulse, so that an echo of the pulse's length stands out of noise.
// The filter for a pulse d samples long (1-127) is row d - 1 of
// as8FilterWeights: 64 signed taps that sum to about 128, the divisor, so
// the filter keeps the level. Longer pulses spread the weight over more
// taps.
#pragma once

#include "kernel/l_types.h"

#include <array>

constexpr U32 S_MATCHEDFILTER_ROWS = 127;
constexpr U32 S_MATCHEDFILTER_TAPS = 64;

typedef std::array<std::array<S8, S_MATCHEDFILTER_TAPS>, S_MATCHEDFILTER_ROWS> MATCHED_FILTER_WEIGHTS;
extern const MATCHED_FILTER_WEIGHTS as8FilterWeights;

// The pulse length in samples for a transmit frequency, cycle count and
// stretching factor (64ths): round(factor x cycles x 10^6 / (1664 x f)),
// at most 127; 0 for a frequency of 0.
U32 S_MATCHEDFILTER_u32PulseSamples(U32 u32TxFrequencyHertz, U8 u8TxCycles, U8 u8PulseStretchingFactor);

// Writes u32OutLength outputs; output j correlates the input samples from
// j on (never past u32OutLength) with the pulse's row and divides by 128,
// 0 below and 255 above the range. A pulse of at most one sample copies.
// Input and output may be one buffer.
void S_MATCHEDFILTER_vFilter(const U8* pu8Input, U8* pu8Output, U32 u32OutLength, U32 u32TxFrequencyHertz,
                             U8 u8TxCycles, U8 u8PulseStretchingFactor);
