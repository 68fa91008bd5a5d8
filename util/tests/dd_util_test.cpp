// Byte swap, base-36 digits and the fast copy against memcpy.
#include "util/dd_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

TEST(DdUtil, EndianSwapReversesTheFourBytes)
{
    EXPECT_EQ(DD_UTIL_EndianSwap(0x11223344u), 0x44332211u);
    EXPECT_EQ(DD_UTIL_EndianSwap(0x80000001u), 0x01000080u);
    EXPECT_EQ(DD_UTIL_EndianSwap(DD_UTIL_EndianSwap(0xDEADBEEFu)), 0xDEADBEEFu);
}

TEST(DdUtil, CapNumericDigitsRoundTripOverAllThirtySixValues)
{
    for (U32 v = 0; v < 36; ++v) {
        U32 c = DD_UTIL_FormCapNumeric(v);
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) << v;
        EXPECT_EQ(DD_UTIL_XlatCapNumeric(c), v) << v;
    }
    EXPECT_EQ(DD_UTIL_FormCapNumeric(9), (U32)'9');
    EXPECT_EQ(DD_UTIL_FormCapNumeric(10), (U32)'A');
    EXPECT_EQ(DD_UTIL_FormCapNumeric(35), (U32)'Z');
}

TEST(DdUtil, CapNumericTakesTheLowSevenBitsAndRejectsOtherCharacters)
{
    struct Case {
        U32 c;
        U32 v;
    } cases[] = {
        {'z', 0}, {'a', 0}, {'/', 0}, {':', 0}, {'@', 0}, {'[', 0}, {' ', 0}, {0, 0},
        {'0' | 0x80, 0}, {'7' | 0x80, 7}, {'K' | 0x100, 20}, {'Z' | 0xFFFFFF00u, 35},
    };
    for (const Case& k : cases)
        EXPECT_EQ(DD_UTIL_XlatCapNumeric(k.c), k.v) << std::hex << k.c;
}

TEST(DdUtil, FastCopyEqualsMemcpyOverRandomSizesAndAlignments)
{
    std::mt19937 rng(1234);
    std::vector<U8> src(9000), want(9100), got(9100);
    for (U8& b : src)
        b = (U8)rng();
    for (int round = 0; round < 3000; ++round) {
        int n = (int)(round < 100 ? round : rng() % 8192);
        size_t so = rng() % 64, doff = rng() % 64;
        for (size_t i = 0; i < want.size(); ++i)
            want[i] = got[i] = (U8)(i * 7 + round);
        memcpy(want.data() + doff, src.data() + so, (size_t)n);
        DD_UTIL_Memcpy(got.data() + doff, src.data() + so, n);
        ASSERT_EQ(want, got) << "n " << n << " src+" << so << " dst+" << doff;
    }
}

TEST(DdUtil, FastCopyOfNothingOrANegativeCountTouchesNothing)
{
    U8 dst[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const U8 src[8] = {};
    DD_UTIL_Memcpy(dst, src, 0);
    DD_UTIL_Memcpy(dst, src, -5);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(dst[i], i + 1);
}
