// AES in the fast table-driven form.
//
// The round tables combine SubBytes, ShiftRows and MixColumns (Te0..Te3) and
// their inverses (Td0..Td3); Te4 and Td4 hold the S-box and the inverse S-box
// replicated in all four bytes. All of them are derived at compile time from
// the field arithmetic of FIPS-197, so no hand-copied constant can be wrong
// without the published test vectors failing. Words hold bytes most
// significant first, for the key, the schedule and the state alike.
#include "util/u_aes.h"

#include <array>

namespace {

using Table = std::array<U32, 256>;

constexpr U8 xtime(U8 b)
{
    return static_cast<U8>((b << 1) ^ ((b & 0x80) ? 0x1B : 0x00));
}

constexpr U8 gmul(U8 a, U8 b)
{
    U8 product = 0;
    while (b != 0) {
        if (b & 1) {
            product ^= a;
        }
        a = xtime(a);
        b >>= 1;
    }
    return product;
}

constexpr U8 rotl8(U8 b, int n)
{
    return static_cast<U8>((b << n) | (b >> (8 - n)));
}

constexpr std::array<U8, 256> makeSbox()
{
    std::array<U8, 256> sbox = {};
    for (int x = 0; x < 256; ++x) {
        U8 inverse = 0;
        for (int y = 1; y < 256 && x != 0; ++y) {
            if (gmul(static_cast<U8>(x), static_cast<U8>(y)) == 1) {
                inverse = static_cast<U8>(y);
                break;
            }
        }
        sbox[x] = static_cast<U8>(inverse ^ rotl8(inverse, 1) ^ rotl8(inverse, 2) ^ rotl8(inverse, 3)
                                  ^ rotl8(inverse, 4) ^ 0x63);
    }
    return sbox;
}

constexpr std::array<U8, 256> kSbox = makeSbox();

constexpr std::array<U8, 256> makeInverseSbox()
{
    std::array<U8, 256> inv = {};
    for (int x = 0; x < 256; ++x) {
        inv[kSbox[x]] = static_cast<U8>(x);
    }
    return inv;
}

constexpr std::array<U8, 256> kInverseSbox = makeInverseSbox();

constexpr U32 word(U8 b0, U8 b1, U8 b2, U8 b3)
{
    return (static_cast<U32>(b0) << 24) | (static_cast<U32>(b1) << 16) | (static_cast<U32>(b2) << 8) | b3;
}

constexpr U32 rotr(U32 w, int n)
{
    return (w >> n) | (w << (32 - n));
}

constexpr Table makeTe(int rotation)
{
    Table t = {};
    for (int x = 0; x < 256; ++x) {
        U8 s = kSbox[x];
        U32 w = word(gmul(s, 2), s, s, gmul(s, 3));
        t[x] = rotation == 0 ? w : rotr(w, rotation);
    }
    return t;
}

constexpr Table makeTd(int rotation)
{
    Table t = {};
    for (int x = 0; x < 256; ++x) {
        U8 s = kInverseSbox[x];
        U32 w = word(gmul(s, 0x0E), gmul(s, 0x09), gmul(s, 0x0D), gmul(s, 0x0B));
        t[x] = rotation == 0 ? w : rotr(w, rotation);
    }
    return t;
}

constexpr Table makeReplicated(const std::array<U8, 256>& box)
{
    Table t = {};
    for (int x = 0; x < 256; ++x) {
        t[x] = box[x] * 0x01010101u;
    }
    return t;
}

constexpr Table Te0 = makeTe(0);
constexpr Table Te1 = makeTe(8);
constexpr Table Te2 = makeTe(16);
constexpr Table Te3 = makeTe(24);
constexpr Table Te4 = makeReplicated(kSbox);
constexpr Table Td0 = makeTd(0);
constexpr Table Td1 = makeTd(8);
constexpr Table Td2 = makeTd(16);
constexpr Table Td3 = makeTd(24);
constexpr Table Td4 = makeReplicated(kInverseSbox);

constexpr U32 kRcon[10] = {
    0x01000000, 0x02000000, 0x04000000, 0x08000000, 0x10000000,
    0x20000000, 0x40000000, 0x80000000, 0x1B000000, 0x36000000,
};

static_assert(kSbox[0x00] == 0x63 && kSbox[0x53] == 0xED && kInverseSbox[0x63] == 0x00);

int roundsFor(int keybits)
{
    switch (keybits) {
    case 128:
        return 10;
    case 192:
        return 12;
    case 256:
        return 14;
    default:
        return 0;
    }
}

U32 getU32(const U8* p)
{
    return word(p[0], p[1], p[2], p[3]);
}

void putU32(U8* p, U32 w)
{
    p[0] = static_cast<U8>(w >> 24);
    p[1] = static_cast<U8>(w >> 16);
    p[2] = static_cast<U8>(w >> 8);
    p[3] = static_cast<U8>(w);
}

U32 subWord(U32 w)
{
    return (Te4[w >> 24] & 0xFF000000) ^ (Te4[(w >> 16) & 0xFF] & 0x00FF0000) ^ (Te4[(w >> 8) & 0xFF] & 0x0000FF00)
           ^ (Te4[w & 0xFF] & 0x000000FF);
}

} // namespace

int U_AES_nSetupEncrypt(U32* rk, const U8* key, int keybits)
{
    const int nrounds = roundsFor(keybits);
    if (nrounds == 0) {
        return 0;
    }
    const int nk = keybits / 32;
    const int total = 4 * (nrounds + 1);
    for (int i = 0; i < nk; ++i) {
        rk[i] = getU32(key + 4 * i);
    }
    for (int i = nk; i < total; ++i) {
        U32 temp = rk[i - 1];
        if (i % nk == 0) {
            temp = subWord((temp << 8) | (temp >> 24)) ^ kRcon[i / nk - 1];
        } else if (nk > 6 && i % nk == 4) {
            temp = subWord(temp);
        }
        rk[i] = rk[i - nk] ^ temp;
    }
    return nrounds;
}

int U_AES_nSetupDecrypt(U32* rk, const U8* key, int keybits)
{
    const int nrounds = U_AES_nSetupEncrypt(rk, key, keybits);
    if (nrounds == 0) {
        return 0;
    }
    // Round keys in reverse order...
    for (int i = 0, j = 4 * nrounds; i < j; i += 4, j -= 4) {
        for (int k = 0; k < 4; ++k) {
            U32 t = rk[i + k];
            rk[i + k] = rk[j + k];
            rk[j + k] = t;
        }
    }
    // ...and InvMixColumns on all but the first and the last.
    for (int i = 4; i < 4 * nrounds; ++i) {
        U32 w = rk[i];
        rk[i] = Td0[Te4[w >> 24] & 0xFF] ^ Td1[Te4[(w >> 16) & 0xFF] & 0xFF] ^ Td2[Te4[(w >> 8) & 0xFF] & 0xFF]
                ^ Td3[Te4[w & 0xFF] & 0xFF];
    }
    return nrounds;
}

void U_AES_vEncrypt(const U32* rk, int nrounds, const U8 plaintext[16], U8 ciphertext[16])
{
    U32 s0 = getU32(plaintext) ^ rk[0];
    U32 s1 = getU32(plaintext + 4) ^ rk[1];
    U32 s2 = getU32(plaintext + 8) ^ rk[2];
    U32 s3 = getU32(plaintext + 12) ^ rk[3];
    for (int r = 1; r < nrounds; ++r) {
        rk += 4;
        U32 t0 = Te0[s0 >> 24] ^ Te1[(s1 >> 16) & 0xFF] ^ Te2[(s2 >> 8) & 0xFF] ^ Te3[s3 & 0xFF] ^ rk[0];
        U32 t1 = Te0[s1 >> 24] ^ Te1[(s2 >> 16) & 0xFF] ^ Te2[(s3 >> 8) & 0xFF] ^ Te3[s0 & 0xFF] ^ rk[1];
        U32 t2 = Te0[s2 >> 24] ^ Te1[(s3 >> 16) & 0xFF] ^ Te2[(s0 >> 8) & 0xFF] ^ Te3[s1 & 0xFF] ^ rk[2];
        U32 t3 = Te0[s3 >> 24] ^ Te1[(s0 >> 16) & 0xFF] ^ Te2[(s1 >> 8) & 0xFF] ^ Te3[s2 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    U32 o0 = (Te4[s0 >> 24] & 0xFF000000) ^ (Te4[(s1 >> 16) & 0xFF] & 0x00FF0000)
             ^ (Te4[(s2 >> 8) & 0xFF] & 0x0000FF00) ^ (Te4[s3 & 0xFF] & 0x000000FF) ^ rk[0];
    U32 o1 = (Te4[s1 >> 24] & 0xFF000000) ^ (Te4[(s2 >> 16) & 0xFF] & 0x00FF0000)
             ^ (Te4[(s3 >> 8) & 0xFF] & 0x0000FF00) ^ (Te4[s0 & 0xFF] & 0x000000FF) ^ rk[1];
    U32 o2 = (Te4[s2 >> 24] & 0xFF000000) ^ (Te4[(s3 >> 16) & 0xFF] & 0x00FF0000)
             ^ (Te4[(s0 >> 8) & 0xFF] & 0x0000FF00) ^ (Te4[s1 & 0xFF] & 0x000000FF) ^ rk[2];
    U32 o3 = (Te4[s3 >> 24] & 0xFF000000) ^ (Te4[(s0 >> 16) & 0xFF] & 0x00FF0000)
             ^ (Te4[(s1 >> 8) & 0xFF] & 0x0000FF00) ^ (Te4[s2 & 0xFF] & 0x000000FF) ^ rk[3];
    putU32(ciphertext, o0);
    putU32(ciphertext + 4, o1);
    putU32(ciphertext + 8, o2);
    putU32(ciphertext + 12, o3);
}

void U_AES_vDecrypt(const U32* rk, int nrounds, const U8 ciphertext[16], U8 plaintext[16])
{
    U32 s0 = getU32(ciphertext) ^ rk[0];
    U32 s1 = getU32(ciphertext + 4) ^ rk[1];
    U32 s2 = getU32(ciphertext + 8) ^ rk[2];
    U32 s3 = getU32(ciphertext + 12) ^ rk[3];
    for (int r = 1; r < nrounds; ++r) {
        rk += 4;
        U32 t0 = Td0[s0 >> 24] ^ Td1[(s3 >> 16) & 0xFF] ^ Td2[(s2 >> 8) & 0xFF] ^ Td3[s1 & 0xFF] ^ rk[0];
        U32 t1 = Td0[s1 >> 24] ^ Td1[(s0 >> 16) & 0xFF] ^ Td2[(s3 >> 8) & 0xFF] ^ Td3[s2 & 0xFF] ^ rk[1];
        U32 t2 = Td0[s2 >> 24] ^ Td1[(s1 >> 16) & 0xFF] ^ Td2[(s0 >> 8) & 0xFF] ^ Td3[s3 & 0xFF] ^ rk[2];
        U32 t3 = Td0[s3 >> 24] ^ Td1[(s2 >> 16) & 0xFF] ^ Td2[(s1 >> 8) & 0xFF] ^ Td3[s0 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    U32 o0 = (Td4[s0 >> 24] & 0xFF000000) ^ (Td4[(s3 >> 16) & 0xFF] & 0x00FF0000)
             ^ (Td4[(s2 >> 8) & 0xFF] & 0x0000FF00) ^ (Td4[s1 & 0xFF] & 0x000000FF) ^ rk[0];
    U32 o1 = (Td4[s1 >> 24] & 0xFF000000) ^ (Td4[(s0 >> 16) & 0xFF] & 0x00FF0000)
             ^ (Td4[(s3 >> 8) & 0xFF] & 0x0000FF00) ^ (Td4[s2 & 0xFF] & 0x000000FF) ^ rk[1];
    U32 o2 = (Td4[s2 >> 24] & 0xFF000000) ^ (Td4[(s1 >> 16) & 0xFF] & 0x00FF0000)
             ^ (Td4[(s0 >> 8) & 0xFF] & 0x0000FF00) ^ (Td4[s3 & 0xFF] & 0x000000FF) ^ rk[2];
    U32 o3 = (Td4[s3 >> 24] & 0xFF000000) ^ (Td4[(s2 >> 16) & 0xFF] & 0x00FF0000)
             ^ (Td4[(s1 >> 8) & 0xFF] & 0x0000FF00) ^ (Td4[s0 & 0xFF] & 0x000000FF) ^ rk[3];
    putU32(plaintext, o0);
    putU32(plaintext + 4, o1);
    putU32(plaintext + 8, o2);
    putU32(plaintext + 12, o3);
}
