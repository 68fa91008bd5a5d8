// CRC-32 fed by words: the check value the track records depend on, and
// agreement with an independent bit-by-bit CRC-32/MPEG-2 over random words.
#include "util/u_crcst.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// CRC-32/MPEG-2: poly 0x04C11DB7, init 0xFFFFFFFF, MSB first, no final XOR.
U32 mpeg2Bitwise(const std::vector<U8>& data)
{
    U32 crc = 0xFFFFFFFFu;
    for (U8 byte : data) {
        crc ^= (U32)byte << 24;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

TEST(Crc32Words, CheckValueAndEmptyInput)
{
    U32 word = 0x61626364;
    EXPECT_EQ(U_CRCST_u32Calc(0xFFFFFFFFu, &word, 1), 0xC2B3CCB4u);
    EXPECT_EQ(U_CRCST_u32Calc(0x12345678u, &word, 0), 0x12345678u);
}

TEST(Crc32Words, AgreesWithBitwiseMpeg2OverRandomWords)
{
    std::mt19937 rng(99);
    for (int n : {1, 2, 5, 64, 1000}) {
        std::vector<U32> words((size_t)n);
        std::vector<U8> msbFirst;
        for (auto& w : words) {
            w = (U32)rng();
            for (int k = 3; k >= 0; --k)
                msbFirst.push_back((U8)(w >> (8 * k)));
        }
        SCOPED_TRACE(n);
        EXPECT_EQ(U_CRCST_u32Calc(0xFFFFFFFFu, words.data(), n), mpeg2Bitwise(msbFirst));
        // Continuing from a partial result gives the same value.
        U32 part = U_CRCST_u32Calc(0xFFFFFFFFu, words.data(), n / 2);
        EXPECT_EQ(U_CRCST_u32Calc(part, words.data() + n / 2, n - n / 2), mpeg2Bitwise(msbFirst));
    }
}

} // namespace
