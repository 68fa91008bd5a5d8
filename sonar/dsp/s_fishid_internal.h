// What the parts of the fish module share among themselves: the ring steps
// of a fish history, the scroll direction and depth distances in samples.
// Not for callers outside the module.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_fishid.h"

// Forward from x is x + 1, with the last column followed by 0; backward
// the other way round.
inline U32 S_FISHID_u32Forward(U32 x) { return x + 1 >= FISH_HISTORY_COLUMNS ? 0 : x + 1; }
inline U32 S_FISHID_u32Backward(U32 x)
{
    return x == 0 || x >= FISH_HISTORY_COLUMNS ? FISH_HISTORY_COLUMNS - 1 : x - 1;
}

// The newest column of a history, whatever its index field holds.
inline U32 S_FISHID_u32Newest(const FISH_TARGET_HISTORY* pHistory)
{
    return pHistory->u16IndexToMostRecentTargets % FISH_HISTORY_COLUMNS;
}

inline U32 S_FISHID_u32Distance(U32 a, U32 b) { return a > b ? a - b : b - a; }

BOOLEAN S_FISHID_bReverseScroll(void);

// Half a foot and a foot and a half of depth in 26 us samples at the
// current speed of sound: (304800 / speed + 13) / 26 and
// (914400 / speed + 13) / 26.
U32 S_FISHID_u32HalfFootSamples(void);
U32 S_FISHID_u32FootAndAHalfSamples(void);

// The depth of x samples of 26 us in metres: speed x 0.0000005 x 26 x,
// the product in single precision.
float S_FISHID_fSamplesToMetres(U32 u32Samples);
