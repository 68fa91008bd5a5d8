// The noise measurement of a ping: the average and the largest of its raw
// returns after the transmit ring-down (the first 832 us).
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"

// The ring-down that the measurement leaves out.
constexpr U32 S_NOISE_SKIP_US = 832;

// Returns the average of pPing's raw samples from the first one after
// 832 us (at least the last sample is measured) and gives their largest in
// *pu8Max when pu8Max is not null; both 0 for a ping without samples. A
// sample period of 0 puts every sample inside the ring-down, so only the
// last one counts.
U8 S_NOISE_u8Measure(const PING_DESCRIPTOR* pPing, U8* pu8Max);
