// SHA-1 (FIPS 180-1).
//
// Misuse is recorded rather than reported at once: input after the digest
// was finished, or a message of 2^64 bits or more, sets bCorrupted, which
// U_SHA1_bFinal returns. The length is counted in bits in two 32-bit words.
#include "util/u_sha1.h"

#include <cstring>

namespace {

constexpr U32 rotl(U32 w, int n)
{
    return (w << n) | (w >> (32 - n));
}

// Adds bytes * 8 to the bit length; false when that reaches 2^64 bits.
bool addLength(SHA1_CTX* ctx, U32 bytes)
{
    U64 length = (static_cast<U64>(ctx->u32LengthHigh) << 32) | ctx->u32LengthLow;
    U64 bits = static_cast<U64>(bytes) * 8;
    if (length > ~static_cast<U64>(0) - bits) {
        return false;
    }
    length += bits;
    ctx->u32LengthLow = static_cast<U32>(length);
    ctx->u32LengthHigh = static_cast<U32>(length >> 32);
    return true;
}

} // namespace

void U_SHA1_vReset(SHA1_CTX* ctx)
{
    ctx->u32LengthLow = 0;
    ctx->u32LengthHigh = 0;
    ctx->nIndex = 0;
    ctx->H[0] = 0x67452301;
    ctx->H[1] = 0xEFCDAB89;
    ctx->H[2] = 0x98BADCFE;
    ctx->H[3] = 0x10325476;
    ctx->H[4] = 0xC3D2E1F0;
    ctx->bComputed = FALSE;
    ctx->bCorrupted = FALSE;
}

void U_SHA1_vInput(SHA1_CTX* ctx, const U8* data, U32 length)
{
    if (length == 0) {
        return;
    }
    if (ctx->bComputed) {
        ctx->bCorrupted = TRUE;
        return;
    }
    if (ctx->nIndex < 0 || ctx->nIndex > 63) {
        ctx->bCorrupted = TRUE;
    }
    while (length > 0 && !ctx->bCorrupted) {
        U32 room = 64 - static_cast<U32>(ctx->nIndex);
        U32 n = length < room ? length : room;
        if (!addLength(ctx, n)) {
            ctx->bCorrupted = TRUE;
            return;
        }
        std::memcpy(ctx->au8Block + ctx->nIndex, data, n);
        ctx->nIndex += static_cast<S32>(n);
        data += n;
        length -= n;
        if (ctx->nIndex == 64) {
            U_SHA1_vProcessBlock(ctx);
        }
    }
}

void U_SHA1_vProcessBlock(SHA1_CTX* ctx)
{
    U32 w[80];
    for (int t = 0; t < 16; ++t) {
        const U8* p = ctx->au8Block + 4 * t;
        w[t] = (static_cast<U32>(p[0]) << 24) | (static_cast<U32>(p[1]) << 16) | (static_cast<U32>(p[2]) << 8) | p[3];
    }
    for (int t = 16; t < 80; ++t) {
        w[t] = rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    }
    U32 a = ctx->H[0];
    U32 b = ctx->H[1];
    U32 c = ctx->H[2];
    U32 d = ctx->H[3];
    U32 e = ctx->H[4];
    // Four groups of twenty steps: Ch, Parity, Maj, Parity.
    auto step = [&](U32 f, U32 k, U32 w) {
        U32 temp = rotl(a, 5) + f + e + w + k;
        e = d;
        d = c;
        c = rotl(b, 30);
        b = a;
        a = temp;
    };
    for (int t = 0; t < 20; ++t) {
        step((b & c) | (~b & d), 0x5A827999, w[t]);
    }
    for (int t = 20; t < 40; ++t) {
        step(b ^ c ^ d, 0x6ED9EBA1, w[t]);
    }
    for (int t = 40; t < 60; ++t) {
        step((b & c) | (b & d) | (c & d), 0x8F1BBCDC, w[t]);
    }
    for (int t = 60; t < 80; ++t) {
        step(b ^ c ^ d, 0xCA62C1D6, w[t]);
    }
    ctx->H[0] += a;
    ctx->H[1] += b;
    ctx->H[2] += c;
    ctx->H[3] += d;
    ctx->H[4] += e;
    ctx->nIndex = 0;
}

BOOLEAN U_SHA1_bFinal(SHA1_CTX* ctx)
{
    if (ctx->bCorrupted || ctx->bComputed) {
        return ctx->bCorrupted;
    }
    // A stray index (a context filled in by hand) must not write outside the block.
    if (ctx->nIndex < 0 || ctx->nIndex > 63) {
        ctx->bCorrupted = TRUE;
        return ctx->bCorrupted;
    }
    S32 i = ctx->nIndex;
    ctx->au8Block[i++] = 0x80;
    if (i > 56) {
        std::memset(ctx->au8Block + i, 0, 64 - i);
        U_SHA1_vProcessBlock(ctx);
        i = 0;
    }
    std::memset(ctx->au8Block + i, 0, 56 - i);
    for (int k = 0; k < 4; ++k) {
        ctx->au8Block[56 + k] = static_cast<U8>(ctx->u32LengthHigh >> (24 - 8 * k));
        ctx->au8Block[60 + k] = static_cast<U8>(ctx->u32LengthLow >> (24 - 8 * k));
    }
    U_SHA1_vProcessBlock(ctx);
    ctx->bComputed = TRUE;
    return ctx->bCorrupted;
}
