// Nibble run-length codec: the stored form of the 16-colour icons.
//
// Nibbles are taken from each byte high nibble first. Nibble 0 is the
// marker M, the nibble value that occurs least often in the input (the
// smallest on a tie). Then tokens:
//   a nibble other than M     one literal nibble
//   M, c (c = 0..7)           count n = c
//   M, c (c = 8..15), d       count n = (c - 8) * 16 + d
// After a count, n = 0..2 stands for n + 1 nibbles of value M; a larger n
// is followed by a value nibble s and stands for n + 1 nibbles of s.
//
// The stream has no end mark: its reader counts nibbles. The decoder state
// lives with the caller, so any number of streams decode at once.
#pragma once

#include "kernel/l_types.h"

typedef struct tag_NIBBLE_RLE_STATE {
    const U8* pu8Data; // byte holding the next nibble
    BOOLEAN bHighNibble; // the next nibble is the high one of *pu8Data
    U8 u8Marker;
    U8 u8Nibble; // the value returned last
    int nRepeat; // how many more times u8Nibble is returned
} NIBBLE_RLE_STATE;

// Takes the marker from the high nibble of the first byte; decoding goes on
// with its low nibble.
void U_RLE_NIBBLE_vInit(NIBBLE_RLE_STATE* pState, const U8* pu8Data);
// The next decoded nibble.
U8 U_RLE_NIBBLE_u8GetNext(NIBBLE_RLE_STATE* pState);

// Decodes 2 * nLength nibbles into nLength bytes, the first of each pair in
// the high half; nothing for nLength <= 0.
void U_RLE_NIBBLE_vDecompress(U8* pu8Long, const U8* pu8Short, int nLength);
// TRUE when the stream decodes to the 2 * nLength nibbles of pu8Long.
BOOLEAN U_RLE_NIBBLE_bVerify(const U8* pu8Long, const U8* pu8Short, int nLength);
// Encodes the 2 * nLength nibbles of pu8Long and returns the stream's size
// in bytes; -1 as soon as the stream would reach the input's size (keep the
// data plain then), so pu8Short never receives more than nLength bytes. An
// odd nibble count leaves the low half of the last byte as it was. For
// nLength <= 0 only the marker nibble 0 is written and 1 is returned.
int U_RLE_NIBBLE_nCompress(const U8* pu8Long, U8* pu8Short, int nLength);
