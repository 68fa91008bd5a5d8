// AES against the FIPS-197 example vectors, in place and round trip.
#include "util/u_aes.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<U8> hex(const std::string& s)
{
    std::vector<U8> out;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        out.push_back(static_cast<U8>(std::stoi(s.substr(i, 2), nullptr, 16)));
    }
    return out;
}

struct Vector {
    int keybits;
    const char* key;
    const char* plain;
    const char* cipher;
    int rounds;
    U32 lastWord; // the last word of the expanded key
};

const Vector kVectors[] = {
    // Appendix C: the example vectors of every key size.
    {128, "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
     "69c4e0d86a7b0430d8cdb78070b4c55a", 10, 0x4d2b30c5},
    {192, "000102030405060708090a0b0c0d0e0f1011121314151617", "00112233445566778899aabbccddeeff",
     "dda97ca4864cdfe06eaf70a0ec0d7191", 12, 0xe3a41d5d},
    {256, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
     "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089", 14, 0x6d68de36},
    // Appendix B: the cipher example, whose key is the one of appendix A.1.
    {128, "2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
     "3925841d02dc09fbdc118597196a0b32", 10, 0xb6630ca6},
};

TEST(UAes, Fips197Vectors)
{
    for (const Vector& v : kVectors) {
        std::vector<U8> key = hex(v.key);
        std::vector<U8> plain = hex(v.plain);
        std::vector<U8> cipher = hex(v.cipher);
        U32 rk[U_AES_MAX_RK_WORDS];
        ASSERT_EQ(U_AES_nSetupEncrypt(rk, key.data(), v.keybits), v.rounds);
        EXPECT_EQ(rk[4 * v.rounds + 3], v.lastWord) << v.key;
        U8 out[16];
        U_AES_vEncrypt(rk, v.rounds, plain.data(), out);
        EXPECT_EQ(std::vector<U8>(out, out + 16), cipher) << v.key;

        U32 drk[U_AES_MAX_RK_WORDS];
        ASSERT_EQ(U_AES_nSetupDecrypt(drk, key.data(), v.keybits), v.rounds);
        U_AES_vDecrypt(drk, v.rounds, cipher.data(), out);
        EXPECT_EQ(std::vector<U8>(out, out + 16), plain) << v.key;

        // In place, as the link does it.
        U8 buf[16];
        std::memcpy(buf, plain.data(), 16);
        U_AES_vEncrypt(rk, v.rounds, buf, buf);
        EXPECT_EQ(std::vector<U8>(buf, buf + 16), cipher) << v.key;
        U_AES_vDecrypt(drk, v.rounds, buf, buf);
        EXPECT_EQ(std::vector<U8>(buf, buf + 16), plain) << v.key;
    }
}

TEST(UAes, ScheduleSizes)
{
    EXPECT_EQ(U_AES_RKLENGTH(128), 44);
    EXPECT_EQ(U_AES_RKLENGTH(192), 52);
    EXPECT_EQ(U_AES_RKLENGTH(256), 60);
}

TEST(UAes, DecryptionInvertsEncryption)
{
    std::mt19937 rng(121);
    for (int keybits : {128, 192, 256}) {
        for (int k = 0; k < 20; ++k) {
            std::vector<U8> key(keybits / 8);
            for (U8& b : key) {
                b = static_cast<U8>(rng());
            }
            U32 rk[U_AES_MAX_RK_WORDS];
            U32 drk[U_AES_MAX_RK_WORDS];
            int n = U_AES_nSetupEncrypt(rk, key.data(), keybits);
            ASSERT_EQ(U_AES_nSetupDecrypt(drk, key.data(), keybits), n);
            for (int b = 0; b < 20; ++b) {
                U8 block[16];
                U8 enc[16];
                U8 dec[16];
                for (U8& x : block) {
                    x = static_cast<U8>(rng());
                }
                U_AES_vEncrypt(rk, n, block, enc);
                EXPECT_NE(std::memcmp(block, enc, 16), 0);
                U_AES_vDecrypt(drk, n, enc, dec);
                EXPECT_EQ(std::memcmp(block, dec, 16), 0) << keybits;
            }
        }
    }
}

TEST(UAes, UnknownKeySizeTouchesNothing)
{
    // A 16-byte key with a wrong size must not be read past its end.
    std::vector<U8> key(16, 0xAB);
    U32 rk[U_AES_MAX_RK_WORDS];
    for (U32& w : rk) {
        w = 0x5A5A5A5A;
    }
    for (int keybits : {0, 64, 129, 512, -128}) {
        EXPECT_EQ(U_AES_nSetupEncrypt(rk, key.data(), keybits), 0);
        EXPECT_EQ(U_AES_nSetupDecrypt(rk, key.data(), keybits), 0);
    }
    for (U32 w : rk) {
        EXPECT_EQ(w, 0x5A5A5A5Au);
    }
}

} // namespace
