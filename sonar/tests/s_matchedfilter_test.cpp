// Matched filter, noise measurement and stored columns: the weight table's
// named rows and properties, the pulse length from frequency and cycles,
// the correlation with its clamps and shortened tail, the measurement after
// the ring-down, and the column reset and copy with buffers of their own.
#include "sonar/dsp/s_matchedfilter.h"
#include "sonar/dsp/s_noise.h"
#include "sonar/dsp/s_tsu.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace sonar_test {
namespace {

std::vector<int> row(U32 pulse)
{
    const auto& r = as8FilterWeights[pulse - 1];
    return std::vector<int>(r.begin(), r.end());
}

std::vector<int> head(U32 pulse, size_t n)
{
    const std::vector<int> r = row(pulse);
    return std::vector<int>(r.begin(), r.begin() + (long)n);
}

int sum(const std::vector<int>& r)
{
    int s = 0;
    for (int w : r)
        s += w;
    return s;
}

TEST(MatchedFilterWeights, NamedRows)
{
    std::vector<int> one(64, 0);
    one[0] = 127;
    EXPECT_EQ(row(1), one);
    EXPECT_EQ(head(2, 6), (std::vector<int>{99, 33, -6, 3, -1, 1}));
    EXPECT_EQ(head(6, 7), (std::vector<int>{56, 30, 20, 14, 9, 3, -7}));
    EXPECT_EQ(head(21, 5), (std::vector<int>{24, 15, 12, 11, 9}));
    const std::vector<int> r21 = row(21);
    for (int k = 5; k < 64; ++k)
        EXPECT_LE(r21[k], r21[k - 1]) << "row 21 rises at tap " << k;
    EXPECT_EQ(r21[20], 0) << "row 21 is down to 0 by tap 20";
    const std::vector<int> r127 = row(127);
    EXPECT_EQ(r127[0], 4);
    EXPECT_GT(std::count(r127.begin() + 1, r127.end(), 2), 32) << "2 for most taps";
}

TEST(MatchedFilterWeights, RowsKeepTheLevelAndLongerPulsesSpreadWider)
{
    int lastSpan = 0;
    for (U32 d = 1; d <= S_MATCHEDFILTER_ROWS; ++d) {
        SCOPED_TRACE(d);
        const std::vector<int> r = row(d);
        EXPECT_GE(sum(r), 113);
        EXPECT_LE(sum(r), 143);
        // Leading taps that hold three quarters of the weight.
        int acc = 0;
        int span = 0;
        while (4 * acc < 3 * sum(r))
            acc += r[span++];
        EXPECT_GE(span, lastSpan);
        lastSpan = span;
    }
    EXPECT_GT(lastSpan, 32);
}

TEST(MatchedFilter, PulseLength)
{
    // round(factor x cycles x 10^6 / (1664 x f)), at most 127.
    const struct {
        U32 hertz;
        U8 cycles;
        U8 factor;
        U32 samples;
    } cases[] = {
        {200000, 30, 64, 6},    // 5.77
        {200000, 30, 0, 0},     // factor 0
        {200000, 1, 64, 0},     // 0.19
        {455000, 10, 64, 1},    // 0.85
        {83000, 20, 64, 9},     // 9.27
        {50000, 255, 255, 127}, // 781, capped; 6.5e10 does not fit 32 bits
        {0, 30, 64, 0},         // no frequency
    };
    for (const auto& c : cases)
        EXPECT_EQ(S_MATCHEDFILTER_u32PulseSamples(c.hertz, c.cycles, c.factor), c.samples)
            << c.hertz << " Hz " << (int)c.cycles << " cycles factor " << (int)c.factor;
}

TEST(MatchedFilter, CorrelatesWithTheRowOfThePulse)
{
    std::mt19937 rng(9);
    constexpr U32 n = 300;
    std::vector<U8> in(n);
    for (U8& s : in)
        s = (U8)rng();
    // 200 kHz, 30 cycles, factor 64: a 6-sample pulse.
    const std::vector<int> w = row(6);
    std::vector<U8> out(n, 0xEE);
    S_MATCHEDFILTER_vFilter(in.data(), out.data(), n, 200000, 30, 64);
    for (U32 j = 0; j < n; ++j) {
        long acc = 0;
        for (U32 k = 0; k < 64 && j + k < n; ++k)
            acc += (long)in[j + k] * w[k];
        const int expect = acc > 32767 ? 255 : acc < -127 ? 0 : (int)(acc / 128);
        ASSERT_EQ(out[j], expect) << j;
    }
    std::vector<U8> inPlace = in;
    S_MATCHEDFILTER_vFilter(inPlace.data(), inPlace.data(), n, 200000, 30, 64);
    EXPECT_EQ(inPlace, out);
}

TEST(MatchedFilter, ClampsAndCopies)
{
    // A flat 255 through a row summing to about 128 stays about 255.
    std::vector<U8> loud(100, 255);
    std::vector<U8> out(100, 0);
    S_MATCHEDFILTER_vFilter(loud.data(), out.data(), 100, 50000, 255, 255);
    EXPECT_GE(out[0], 250);
    // An isolated negative tap below -127 gives 0: row 6's tap 6 is -7.
    std::vector<U8> spike(64, 0);
    spike[6] = 255; // output 0 sees it at tap 6: -7 x 255 = -1785
    S_MATCHEDFILTER_vFilter(spike.data(), out.data(), 64, 200000, 30, 64);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[6], 255 * 56 / 128);

    std::vector<U8> in = {1, 2, 3, 4, 5};
    std::vector<U8> copy(5, 0);
    S_MATCHEDFILTER_vFilter(in.data(), copy.data(), 5, 200000, 30, 0);
    EXPECT_EQ(copy, in) << "factor 0: a pulse of 0 samples copies";
    S_MATCHEDFILTER_vFilter(in.data(), copy.data(), 5, 0, 30, 64);
    EXPECT_EQ(copy, in) << "no frequency: copies";
}

PING_DESCRIPTOR noisePing(std::vector<U8>& samples, U32 period)
{
    PING_DESCRIPTOR p = {};
    p.u32NumberOfSamples = (U32)samples.size();
    p.pu8RawSonarData = samples.data();
    p.u32SamplePeriodMicroSeconds = period;
    return p;
}

TEST(NoiseMeasure, AverageAndLargestAfterTheRingDown)
{
    const struct {
        const char* what;
        std::vector<U8> samples;
        U32 period;
        U8 average;
        U8 max;
    } cases[] = {
        {"100 samples of 7 after 32 loud ones", [] {
             std::vector<U8> s(132, 7);
             std::fill(s.begin(), s.begin() + 32, 250);
             return s;
         }(), 26, 7, 7},
        {"the 33rd sample counts", [] {
             std::vector<U8> s(40, 0);
             std::fill(s.begin(), s.begin() + 32, 250);
             s[32] = 80;
             return s;
         }(), 26, 10, 80},
        {"shorter than the ring-down: the last sample", {250, 250, 9}, 26, 9, 9},
        {"period 0: the last sample", {250, 250, 250, 6}, 0, 6, 6},
        {"period 1000: nothing skipped", {10, 20, 30, 40}, 1000, 25, 40},
        {"no samples", {}, 26, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<U8> s = c.samples;
        PING_DESCRIPTOR p = noisePing(s, c.period);
        U8 max = 0xEE;
        EXPECT_EQ(S_NOISE_u8Measure(&p, &max), c.average);
        EXPECT_EQ(max, c.max);
        EXPECT_EQ(S_NOISE_u8Measure(&p, nullptr), c.average);
    }
}

TSU_STORE_COLUMN column(U8* buffer, U32 length)
{
    TSU_STORE_COLUMN c = {};
    c.u8SampleFactor = 3;
    c.u32SamplesInStore = 17;
    c.au8Data = buffer;
    c.Location = {TRUE, 1234, -5678};
    c.fDepthMetres = 12.5f;
    c.u32SmoothedDepthInSamples = 480;
    c.bNoiseTooHighForBlend = TRUE;
    c.u32TimeStamp = 99000;
    c.u32TSUDataLength = length;
    c.HeadingSource = HEADING_SOURCE_COMPASS;
    c.fHeadingTrueDegrees = 270.0f;
    c.u32PingIndex = 42;
    return c;
}

TEST(TsuColumn, ResetEmptiesAllButPositionSmoothedDepthAndBuffer)
{
    U8 buffer[16];
    memset(buffer, 0xAB, sizeof buffer);
    TSU_STORE_COLUMN c = column(buffer, 12);
    S_TSU_vResetColumn(&c);
    EXPECT_EQ(c.u8SampleFactor, 1);
    EXPECT_EQ(c.u32SamplesInStore, 0u);
    EXPECT_EQ(c.fDepthMetres, 0.0f);
    EXPECT_FALSE(c.bNoiseTooHighForBlend);
    EXPECT_FALSE(c.Location.bPositionValid);
    EXPECT_EQ(c.u32TimeStamp, 0u);
    EXPECT_EQ(c.HeadingSource, HEADING_SOURCE_NO_DATA);
    EXPECT_EQ(c.fHeadingTrueDegrees, 0.0f);
    EXPECT_EQ(c.u32PingIndex, 0u);
    EXPECT_EQ(c.Location.s32LongitudeMM, 1234);
    EXPECT_EQ(c.Location.s32LatitudeMM, -5678);
    EXPECT_EQ(c.u32SmoothedDepthInSamples, 480u);
    EXPECT_EQ(c.au8Data, buffer);
    EXPECT_EQ(c.u32TSUDataLength, 12u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(buffer[i], i < 12 ? 0 : 0xAB) << i;

    TSU_STORE_COLUMN none = column(nullptr, 12);
    S_TSU_vResetColumn(&none);
    EXPECT_EQ(none.u32SamplesInStore, 0u);
}

TEST(TsuColumn, CopyKeepsTheDestinationsBufferAndNeverOverrunsIt)
{
    const struct {
        const char* what;
        U32 sourceLength;
        U32 destinationLength;
        U32 copied;
    } cases[] = {
        {"equal buffers", 10, 10, 10},
        {"larger destination takes the source's length", 6, 10, 6},
        {"shorter destination takes what fits", 10, 4, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<U8> src(c.sourceLength), dst(c.destinationLength + 1, 0xEE);
        for (U32 i = 0; i < c.sourceLength; ++i)
            src[i] = (U8)(i + 1);
        const TSU_STORE_COLUMN from = column(src.data(), c.sourceLength);
        TSU_STORE_COLUMN to = {};
        to.au8Data = dst.data();
        to.u32TSUDataLength = c.destinationLength;
        S_TSU_vCopyTsuColumn(&to, &from);
        EXPECT_EQ(to.au8Data, dst.data());
        EXPECT_EQ(to.u32TSUDataLength, c.copied);
        EXPECT_EQ(to.u32SamplesInStore, 17u);
        EXPECT_EQ(to.u32PingIndex, 42u);
        EXPECT_EQ(to.HeadingSource, HEADING_SOURCE_COMPASS);
        EXPECT_EQ(to.Location.s32LatitudeMM, -5678);
        EXPECT_EQ(to.u32SmoothedDepthInSamples, 480u);
        for (U32 i = 0; i <= c.destinationLength; ++i)
            EXPECT_EQ(dst[i], i < c.copied ? i + 1 : 0xEE) << i;
    }
}

} // namespace
} // namespace sonar_test
