// Resampling of a sample row to a number of display pixels: the nearest
// sample when stretching, the largest sample of each covered stretch when
// shrinking, so that small strong echoes survive. The step is a 15-bit
// fixed-point ratio In x 32768 / Out.
#pragma once

#include "kernel/l_types.h"

// Writes exactly u32OutputLength bytes. u32InputLength is the length the
// row stands for, u32ExtentOfInputData how many input bytes exist: reading
// stops there and the output beyond is 0.
void S_FRESAMPLE_vFastResample(const U8* pu8InData, U32 u32InputLength, U32 u32ExtentOfInputData, U8* pu8OutData,
                               U32 u32OutputLength);
// The largest byte from first to last inclusive; 0 when last lies before
// first.
U8 S_FRESAMPLE_u8FindMax(const U8* pu8FirstElement, const U8* pu8LastElement);
