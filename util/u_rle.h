// Byte run-length codec.
//
// Stream: byte 0 is the marker M, the byte value that occurs least often in
// the input (the smallest such value on a tie). Then tokens:
//   a byte other than M       one literal byte
//   M, c (c = 0..2)           c + 1 bytes of value M
//   M, c (c = 3..127), s      c + 1 bytes of value s
//   M, 0x80|h, l, s           (h * 256 + l) + 1 bytes of value s
// so a run of up to 32768 equal bytes costs three or four bytes.
#pragma once

#include "kernel/l_types.h"

// Returns the bytes written to out, 0 for an empty input. out must hold
// insize + insize / 256 + 1 bytes: a lone marker byte costs two bytes and
// the marker is the rarest value.
int U_RLE_Compress(unsigned char* in, unsigned char* out, unsigned int insize);

// Decodes insize stream bytes into out, which must hold the decoded size
// (the caller knows it). A token cut off by the end of the input ends the
// decoding.
void U_RLE_Uncompress(unsigned char* in, unsigned char* out, unsigned int insize);
