// Bytes to hexadecimal text and back (card identification, the PC service
// protocol). Neither direction writes a terminator; U_HEX_v2Hex does not
// validate its characters.
#pragma once

#include "kernel/l_types.h"

// 2 x count upper-case digits, high nibble first.
void U_HEX_v2ASCII(const U8* pIn, char* pOut, U32 u32Count);
// count bytes from 2 x count digits; 'a'..'f' count as 'A'..'F'.
void U_HEX_v2Hex(const char* pIn, U8* pOut, U32 u32Count);
