// CRC-16 over the polynomial 0x1021 in its augmented (indirect) form: each
// byte enters at the low end and the table is indexed by the byte leaving
// at the high end. Nothing is reflected and there is no final XOR. Fed
// with the data and then two zero bytes from 0 it gives CRC-16/XMODEM;
// the navigation store and the gateway packets keep the value without the
// two zero bytes.
#pragma once

#include "kernel/l_types.h"

// One step: ((crc << 8) | byte) XOR table[crc >> 8].
U16 U_CRC16_u16CrcByte(U8 u8Byte, U16 u16Crc);
// Starts *pCrc at 0 when bInitCrcFlag is TRUE, then steps it over count bytes.
void U_CRC16_vCrc16(U16* pCrc, const U8* pData, U16 u16Count, BOOLEAN bInitCrcFlag);
// Starts *pCrc at 0 when asked, then steps it with the high and the low byte.
void U_CRC16_vCrcU16HighLow(U16* pCrc, const U16* pValue, BOOLEAN bInitCrcFlag);
