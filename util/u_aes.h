// AES block cipher (FIPS-197) with 128-, 192- and 256-bit keys: key
// schedules for encryption and decryption and one 16-byte block at a time.
#pragma once

#include "kernel/l_types.h"

// Words in a schedule for keybits: 4 * (rounds + 1), at most 60.
constexpr int U_AES_RKLENGTH(int keybits)
{
    return keybits / 8 + 28;
}
constexpr int U_AES_MAX_RK_WORDS = 60;

// Expand a key of keybits / 8 bytes into an encryption schedule; returns the
// number of rounds (10, 12 or 14), or 0 for any other keybits, in which case
// neither the key nor rk is touched.
int U_AES_nSetupEncrypt(U32* rk, const U8* key, int keybits);
// The schedule of the equivalent inverse cipher, for U_AES_vDecrypt.
int U_AES_nSetupDecrypt(U32* rk, const U8* key, int keybits);

// One block. Input and output may be the same 16 bytes: all of the input is
// read before any output is written.
void U_AES_vEncrypt(const U32* rk, int nrounds, const U8 plaintext[16], U8 ciphertext[16]);
void U_AES_vDecrypt(const U32* rk, int nrounds, const U8 ciphertext[16], U8 plaintext[16]);
