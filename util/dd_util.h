// Byte and digit helpers of the driver layer: a 32-bit byte swap, a fast
// block copy, and one base-36 digit character to and from its value. They
// keep no state.
#pragma once

#include "kernel/l_types.h"

// Reverses the four bytes of a word (big-endian files and returns).
U32 DD_UTIL_EndianSwap(U32 in);

// Copies n non-overlapping bytes exactly as memcpy does; n <= 0 copies nothing.
void DD_UTIL_Memcpy(void* dst, const void* src, int n);

// '0'..'9' -> 0..9 and 'A'..'Z' -> 10..35 by the low seven bits of c; any
// other character (lower case included) -> 0.
U32 DD_UTIL_XlatCapNumeric(U32 c);
// The inverse: v + '0', plus 7 when that passes '9'.
U32 DD_UTIL_FormCapNumeric(U32 v);
