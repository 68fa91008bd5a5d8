// Resampling: shrinking keeps the largest sample of each covered stretch,
// stretching repeats the nearest sample, both against a plain walk of the
// fixed-point step; rows that end before the length they stand for, and
// the largest-byte search at every length around its vector step.
#include "sonar/dsp/s_fresamp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace sonar_test {
namespace {

std::vector<U8> randomRow(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<U8> r(n);
    for (U8& b : r)
        b = (U8)rng();
    return r;
}

std::vector<U8> resample(const std::vector<U8>& in, U32 length, U32 extent, U32 out)
{
    std::vector<U8> o(out + 1, 0xEE);
    S_FRESAMPLE_vFastResample(in.data(), length, extent, o.data(), out);
    EXPECT_EQ(o[out], 0xEE) << "wrote past the output";
    o.pop_back();
    return o;
}

TEST(Resample, ShrinkThousandToFiveHundredTakesTheLargestOfEachStretch)
{
    const std::vector<U8> in = randomRow(1000, 1);
    const std::vector<U8> out = resample(in, 1000, 1000, 500);
    EXPECT_EQ(out[0], std::max({in[0], in[1], in[2]}));
    for (U32 j = 1; j < 499; ++j)
        ASSERT_EQ(out[j], std::max(in[2 * j + 1], in[2 * j + 2])) << j;
    EXPECT_EQ(out[499], in[999]);
}

TEST(Resample, StretchHundredToTwoFiftyRepeatsTheNearestSample)
{
    const std::vector<U8> in = randomRow(100, 2);
    const std::vector<U8> out = resample(in, 100, 100, 250);
    for (U32 k = 0; k < 250; ++k)
        ASSERT_EQ(out[k], in[k * 13107 / 32768]) << k;
}

// The plain walk: output j of a shrink covers the inputs after the last
// one covered, up to (j + 1) x step; a stretch takes input k x step.
std::vector<U8> plain(const std::vector<U8>& in, U32 length, U32 extent, U32 out)
{
    std::vector<U8> o(out, 0);
    if (!length || !out || !extent)
        return o;
    const U64 step = (U64)length * 32768 / out;
    if (out > length) {
        for (U32 k = 0; k < out && (k * step >> 15) < length && (k * step >> 15) < extent; ++k)
            o[k] = in[k * step >> 15];
    } else if (out == length) {
        for (U32 k = 0; k < out && k < extent; ++k)
            o[k] = in[k];
    } else {
        U64 start = 0;
        for (U32 j = 0; j < out && start < length && start < extent; ++j) {
            const U64 end = std::min<U64>(((U64)j + 1) * step >> 15, (U64)extent - 1);
            for (U64 i = start; i <= end; ++i)
                o[j] = std::max(o[j], in[i]);
            start = end + 1;
        }
    }
    return o;
}

TEST(Resample, EveryShapeFollowsThePlainWalk)
{
    const struct {
        U32 length, extent, out;
    } cases[] = {
        {55000, 55000, 600}, {55000, 30000, 600}, {2048, 2048, 600},  {600, 600, 600},  {600, 250, 600},
        {100, 100, 250},     {100, 40, 250},      {7, 7, 800},        {800, 800, 799},  {1000, 1000, 1},
        {1, 1, 800},         {0, 0, 50},          {50, 0, 20},        {20, 0, 50},      {20, 20, 0},
        {999, 1500, 400},    {3, 3, 2},           {250, 250, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " (" << c.extent << " there) to " << c.out);
        const std::vector<U8> in = randomRow(std::max(c.length, c.extent) + 1, c.length + c.out);
        EXPECT_EQ(resample(in, c.length, c.extent, c.out), plain(in, c.length, c.extent, c.out));
    }
}

TEST(FindMax, InclusiveRangeAtEveryLength)
{
    const std::vector<U8> in = randomRow(300, 4);
    for (size_t first = 0; first < 20; ++first)
        for (size_t n = 1; first + n <= in.size(); n += n < 70 ? 1 : 37)
            ASSERT_EQ(S_FRESAMPLE_u8FindMax(&in[first], &in[first + n - 1]),
                      *std::max_element(in.begin() + (long)first, in.begin() + (long)(first + n)))
                << first << " + " << n;
    EXPECT_EQ(S_FRESAMPLE_u8FindMax(&in[5], &in[4]), 0) << "last before first";
    const U8 one = 200;
    EXPECT_EQ(S_FRESAMPLE_u8FindMax(&one, &one), 200);
}

} // namespace
} // namespace sonar_test
