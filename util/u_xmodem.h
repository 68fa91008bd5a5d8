// XMODEM transfers over a serial port that the caller owns: sending in
// 1024-byte blocks (STX) with 16-bit CRCs, receiving 128- or 1024-byte
// blocks. The module works on the serial-port task's queues directly (it
// puts bytes into the port's transmit queue and takes 16-bit elements from
// its receive queue), so the serial-port task keeps running meanwhile.
// One transfer at a time in the whole system (mutex RES_XMODEM).
#pragma once

#include "kernel/l_types.h"

typedef U8 BYTE;

// Fills buffer (1024 bytes) with the next data; returns the count, 0 at
// the end of the data.
typedef U32 TRANSMIT_BLOCK_FUNCTION(U8* buffer, void* param);
// Consumes count bytes of buffer; called once more with 0 and null at the
// end of every reception.
typedef void RECEIVE_BLOCK_FUNCTION(U32 count, U8* buffer, void* param);

// Sends s32SizeOfBufferBytes bytes of pcBuffer, or with pfnBlock what the
// callback supplies (pcBuffer is then its work buffer of at least 1024
// bytes and the size is ignored). TRUE when the receiver acknowledged the
// end of transmission.
BOOLEAN U_XMODEM_bTransmit(U8 u8Port, BYTE* pcBuffer, S32 s32SizeOfBufferBytes, TRANSMIT_BLOCK_FUNCTION* pfnBlock,
                           void* pParam);
// Receives into pcBuffer (capacity *ps32SizeOfBufferBytes on entry), or
// block by block through pfnBlock. On return *ps32SizeOfBufferBytes holds
// the bytes received (with a callback: the size of the last block). TRUE
// when the transfer ended properly with EOT.
BOOLEAN U_XMODEM_bReceive(U8 u8Port, BYTE* pcBuffer, S32* ps32SizeOfBufferBytes, RECEIVE_BLOCK_FUNCTION* pfnBlock,
                          void* pParam);
// Sends CAN eight times on the port of the current transfer.
void U_XMODEM_vAbortReceive(void);
