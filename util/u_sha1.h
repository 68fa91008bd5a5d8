// SHA-1 digest (FIPS 180-1) with a caller-owned context: reset, feed bytes
// in any number of pieces, finish. The digest stays in the context as H0..H4.
#pragma once

#include "kernel/l_types.h"

typedef struct _tag_SHA1_CTX {
    U32 H[5];           // chaining value; after finishing, the digest
    U32 u32LengthLow;   // message length in bits, low word
    U32 u32LengthHigh;  // and high word
    U8 au8Block[64];    // the block being filled
    S32 nIndex;         // bytes in au8Block
    BOOLEAN bComputed;  // the digest has been finished
    BOOLEAN bCorrupted; // misused, or the message reached 2^64 bits
} SHA1_CTX;

void U_SHA1_vReset(SHA1_CTX* ctx);
// Input after finishing marks the context corrupted; a corrupted context
// ignores input.
void U_SHA1_vInput(SHA1_CTX* ctx, const U8* data, U32 length);
// Finishes the digest; returns bCorrupted (0 on success). Finishing again
// changes nothing.
BOOLEAN U_SHA1_bFinal(SHA1_CTX* ctx);
// Processes the 64 bytes of au8Block into H and empties the block.
void U_SHA1_vProcessBlock(SHA1_CTX* ctx);
