// CRC-32 over 32-bit words: the direct, non-reflected CRC with polynomial
// 0x04C11DB7, each word fed most significant byte first, no final XOR.
// Started from 0xFFFFFFFF this is CRC-32/MPEG-2 of the words' bytes taken
// from the most significant end (the trolling-motor track records).
#pragma once

#include "kernel/l_types.h"

// The CRC of nWords words continuing from crc; nWords <= 0 returns crc.
U32 U_CRCST_u32Calc(U32 u32Crc, const U32* pWords, int nWords);
