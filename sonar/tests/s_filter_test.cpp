// Sample filters: the exponential average against its formula over every
// factor (the vector form divides by a reciprocal), the two-of-two
// threshold at a quarter's rise, the noise cut in place and apart, the
// sharpening kernels on flat, isolated and hollow rows with the ring one row
// behind, and the rows the ring cannot take.
#include "sonar/dsp/s_filter.h"
#include "sonar/tests/sonar_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace sonar_test {
namespace {

TEST(ExponentialAverage, FirstPingsAfterAClear)
{
    const struct {
        U8 factor;
        U8 first;  // raw of the first ping after the clear
        U8 second; // raw of the next one
        int afterFirst;
        int afterSecond; // -1: output not written
    } cases[] = {
        {4, 200, 200, 50, 87},   // 200/4; then (3 x 50)/4 + 50 = 37 + 50
        {2, 255, 255, 127, 190}, // 127; then 63 + 127
        {255, 255, 0, 1, 0},     // 255/255; then (254 x 1)/255 + 0
        {1, 200, 200, -1, -1},   // factor 1 writes nothing
        {0, 200, 200, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((int)c.factor);
        S_FILTER_vInitExponentialAverageData();
        U8 raw[5];
        U8 out[5];
        memset(raw, c.first, sizeof raw);
        memset(out, 0xEE, sizeof out);
        S_FILTER_vGetExponentialAverageData(5, 1, raw, out, c.factor);
        EXPECT_EQ(out[4], c.afterFirst < 0 ? 0xEE : c.afterFirst);
        memset(raw, c.second, sizeof raw);
        S_FILTER_vGetExponentialAverageData(5, 1, raw, out, c.factor);
        EXPECT_EQ(out[0], c.afterSecond < 0 ? 0xEE : c.afterSecond);
    }
}

TEST(ExponentialAverage, StoredHundredAndRawTwoHundredAtFactorFourGiveOneTwentyFive)
{
    // A stored 100 first: factor 2 after a clear halves the raw 200.
    S_FILTER_vInitExponentialAverageData();
    U8 raw[3] = {200, 200, 200};
    U8 out[3] = {};
    S_FILTER_vGetExponentialAverageData(3, 2, raw, out, 2);
    ASSERT_EQ(out[0], 100);
    S_FILTER_vGetExponentialAverageData(3, 2, raw, out, 4);
    EXPECT_EQ(out[0], 125); // (3 x 100)/4 + 200/4 = 75 + 50
    S_FILTER_vGetExponentialAverageData(3, 2, raw, out, 4);
    EXPECT_EQ(out[0], 143); // the store took 125: 93 + 50
}

TEST(ExponentialAverage, EveryFactorFollowsTheFormulaInEveryBeamAndInPlace)
{
    std::mt19937 rng(7);
    constexpr U32 n = 517; // not a multiple of any vector width
    std::vector<std::vector<int>> model(4, std::vector<int>(n, 0));
    S_FILTER_vInitExponentialAverageData();
    for (int factor = 2; factor <= 255; ++factor) {
        for (int ping = 0; ping < 3; ++ping) {
            const BEAM beam = (BEAM)((factor + ping) % 4);
            std::vector<U8> raw(n);
            // Loud pings now and then, so that stored values cover the range.
            for (U8& r : raw)
                r = ping == 0 ? 255 : (U8)rng();
            std::vector<U8> out(n, 0);
            const bool inPlace = ping == 2;
            if (inPlace) {
                out = raw;
                S_FILTER_vGetExponentialAverageData(n, beam, out.data(), out.data(), (U8)factor);
            } else {
                S_FILTER_vGetExponentialAverageData(n, beam, raw.data(), out.data(), (U8)factor);
            }
            for (U32 i = 0; i < n; ++i) {
                int& avg = model[beam][i];
                avg = ((factor - 1) * avg / factor + raw[i] / factor) & 0xFF;
                ASSERT_EQ(out[i], avg) << "factor " << factor << " beam " << (int)beam << " sample " << i
                                       << (inPlace ? " in place" : "");
            }
        }
    }
}

TEST(ExponentialAverage, BeamsKeepTheirOwnAveragesAndTheStoreEnds)
{
    S_FILTER_vInitExponentialAverageData();
    std::vector<U8> loud(S_FILTER_AVERAGE_SAMPLES + 100, 200);
    std::vector<U8> out(S_FILTER_AVERAGE_SAMPLES + 100, 0xEE);
    S_FILTER_vGetExponentialAverageData((U32)loud.size(), 0, loud.data(), out.data(), 2);
    EXPECT_EQ(out[S_FILTER_AVERAGE_SAMPLES - 1], 100);
    EXPECT_EQ(out[S_FILTER_AVERAGE_SAMPLES], 0xEE) << "past the store nothing is written";
    S_FILTER_vGetExponentialAverageData(1, 3, loud.data(), out.data(), 2);
    EXPECT_EQ(out[0], 100) << "beam 3 starts from its own clear store";
}

TEST(ExponentialAverageDeathTest, ABeamAboveThreeIsFatal)
{
    unitRoot();
    U8 raw[4] = {};
    U8 out[4] = {};
    EXPECT_EXIT(S_FILTER_vGetExponentialAverageData(4, 4, raw, out, 4), ::testing::ExitedWithCode(10), "");
    EXPECT_NE(fatalLog().find("error: Invalid beam in ./Working/SOURCE/s_filter"), std::string::npos);
}

TEST(TwoOfTwo, HoldsARiseOfAQuarterAndKeepsTheInput)
{
    const struct {
        U8 prev;
        U8 in;
        U8 out;
    } cases[] = {
        {100, 124, 124}, {100, 125, 100}, {100, 99, 99}, {0, 1, 0},  {0, 0, 0},
        {3, 2, 2},       {3, 3, 3},   {4, 4, 4},     {4, 5, 4},  {255, 255, 255},
        {204, 254, 254}, {204, 255, 204}, {1, 0, 0},     {200, 249, 249}, {200, 250, 200},
    };
    std::vector<U8> in, prev, expect;
    for (const auto& c : cases) {
        in.push_back(c.in);
        prev.push_back(c.prev);
        expect.push_back(c.out);
    }
    // Repeat the rows so that the vector loop and its tail both see them.
    const std::vector<U8> in1 = in, prev1 = prev, expect1 = expect;
    for (int copy = 0; copy < 5; ++copy) {
        in.insert(in.end(), in1.begin(), in1.end());
        prev.insert(prev.end(), prev1.begin(), prev1.end());
        expect.insert(expect.end(), expect1.begin(), expect1.end());
    }
    std::vector<U8> out(in.size(), 0xEE);
    std::vector<U8> p = prev;
    S_FILTER_v2of2Filter((U32)in.size(), in.data(), p.data(), out.data());
    EXPECT_EQ(out, expect);
    EXPECT_EQ(p, in) << "the previous ping becomes this one";

    std::vector<U8> inPlace = in;
    p = prev;
    S_FILTER_v2of2Filter((U32)in.size(), inPlace.data(), p.data(), inPlace.data());
    EXPECT_EQ(inPlace, expect);
    EXPECT_EQ(p, in);
}

TEST(FilterAndNoiseRemoval, BelowTheLevelIsSilenceAndForgotten)
{
    const U8 raw[] = {9, 10, 125, 124, 200};
    U8 prev[] = {50, 50, 100, 100, 0};
    U8 out[5];
    S_FILTER_vFilterAndNoiseRemoval(5, raw, out, prev, TRUE, 10);
    EXPECT_EQ(std::vector<U8>(out, out + 5), (std::vector<U8>{0, 10, 100, 124, 0}));
    EXPECT_EQ(std::vector<U8>(prev, prev + 5), (std::vector<U8>{0, 10, 125, 124, 200}));

    U8 prev2[] = {50, 50, 100, 100, 0};
    S_FILTER_vFilterAndNoiseRemoval(5, raw, out, prev2, FALSE, 10);
    EXPECT_EQ(std::vector<U8>(out, out + 5), (std::vector<U8>{0, 10, 125, 124, 200}));
    EXPECT_EQ(std::vector<U8>(prev2, prev2 + 5), (std::vector<U8>{0, 10, 125, 124, 200}));
}

TEST(NoiseRemoval, TheRawTestClearsTheCorrectedSamplesInPlaceOrApart)
{
    std::mt19937 rng(3);
    constexpr U32 n = 301;
    std::vector<U8> noise(n), filtered(n);
    for (U32 i = 0; i < n; ++i) {
        noise[i] = (U8)rng();
        filtered[i] = (U8)rng();
    }
    for (U8 level : {0, 1, 10, 128, 255}) {
        SCOPED_TRACE((int)level);
        std::vector<U8> expect(n);
        for (U32 i = 0; i < n; ++i)
            expect[i] = noise[i] < level ? 0 : filtered[i];
        std::vector<U8> apart(n, 0xEE);
        S_FILTER_vNoiseRemoval(n, noise.data(), filtered.data(), apart.data(), level);
        EXPECT_EQ(apart, expect);
        std::vector<U8> inPlace = filtered;
        S_FILTER_vNoiseRemoval(n, noise.data(), inPlace.data(), inPlace.data(), level);
        EXPECT_EQ(inPlace, expect);
        std::vector<U8> selfTest = noise;
        S_FILTER_vNoiseRemoval(n, selfTest.data(), selfTest.data(), selfTest.data(), level);
        for (U32 i = 0; i < n; ++i)
            ASSERT_EQ(selfTest[i], noise[i] < level ? 0 : noise[i]);
    }
}

// A ring of three rows and its position, as the history task keeps them.
struct SharpRing {
    U32 width;
    std::vector<U8> buffer;
    S32 line = 0;
    explicit SharpRing(U32 w) : width(w), buffer(3 * w, 0) {}
    std::vector<U8> push(const std::vector<U8>& row, FILTER_TYPE f)
    {
        std::vector<U8> out(row.size(), 0xEE);
        S_FILTER_v2D_Flankview_Filter((U32)row.size(), row.data(), out.data(), f, &line, buffer.data(), width);
        return out;
    }
};

TEST(Sharpening, KernelsOnFlatIsolatedAndHollowRows)
{
    const struct {
        const char* what;
        FILTER_TYPE filter;
        std::vector<U8> oldest, middle, newest;
        U8 centre; // output at sample 1
    } cases[] = {
        {"flat 100 keeps its level", SHARP_FILTER_1L, {100, 100, 100}, {100, 100, 100}, {100, 100, 100}, 100},
        {"flat 100, medium", SHARP_FILTER_1M, {100, 100, 100}, {100, 100, 100}, {100, 100, 100}, 100},
        {"flat 100, high", SHARP_FILTER_1H, {100, 100, 100}, {100, 100, 100}, {100, 100, 100}, 100},
        {"isolated 255 in a zero field", SHARP_FILTER_1L, {0, 0, 0}, {0, 255, 0}, {0, 0, 0}, 255},
        {"zero centre beside 255", SHARP_FILTER_1L, {0, 255, 0}, {255, 0, 255}, {0, 255, 0}, 0},
        {"moderate peak", SHARP_FILTER_1L, {0, 10, 0}, {10, 50, 10}, {0, 10, 0}, 90},   // (400 - 40) >> 2
        {"medium kernel", SHARP_FILTER_1M, {0, 10, 0}, {10, 50, 10}, {0, 10, 0}, 130},  // (600 - 80) >> 2
        {"high kernel", SHARP_FILTER_1H, {0, 10, 0}, {10, 50, 10}, {0, 10, 0}, 170},    // (800 - 120) >> 2
        {"corners do not count", SHARP_FILTER_1H, {255, 0, 255}, {0, 20, 0}, {255, 0, 255}, 80},
        {"just below 1024", SHARP_FILTER_1L, {0, 0, 0}, {0, 127, 0}, {0, 0, 0}, 254}, // 1016 >> 2
        {"1024 saturates", SHARP_FILTER_1L, {0, 0, 0}, {0, 128, 0}, {0, 0, 0}, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SharpRing ring(3);
        ring.push(c.oldest, c.filter);
        ring.push(c.middle, c.filter);
        const std::vector<U8> out = ring.push(c.newest, c.filter);
        EXPECT_EQ(out[1], c.centre);
        EXPECT_EQ(out[0], c.middle[0]) << "edges are the middle row's";
        EXPECT_EQ(out[2], c.middle[2]);
        EXPECT_EQ(ring.line, 0) << "three rows bring the ring round";
    }
}

TEST(Sharpening, TheOutputIsOneRowBehindAndMayBeTheInput)
{
    SharpRing ring(8);
    std::vector<U8> rows[4];
    for (int r = 0; r < 4; ++r)
        rows[r] = std::vector<U8>(8, (U8)(40 + 20 * r));
    ring.push(rows[0], SHARP_FILTER_1L);
    ring.push(rows[1], SHARP_FILTER_1L);
    std::vector<U8> in = rows[2];
    S_FILTER_v2D_Flankview_Filter(8, in.data(), in.data(), SHARP_FILTER_1L, &ring.line, ring.buffer.data(), 8);
    // Middle row 60 between 40 and 80: 8 x 60 - 2 x 60 - 40 - 80 = 240.
    EXPECT_EQ(in, (std::vector<U8>{60, 60, 60, 60, 60, 60, 60, 60}));
    const std::vector<U8> next = ring.push(rows[3], SHARP_FILTER_1L);
    EXPECT_EQ(next[3], 80);
    EXPECT_EQ(ring.line, 1);
}

TEST(Sharpening, RowsTheRingCannotTakeAreCopiedOrLeftAlone)
{
    const struct {
        const char* what;
        U32 count;
        U32 width;
        FILTER_TYPE filter;
        S32 line;
        U32 copied;  // samples copied unchanged
        bool moved;  // the ring position moved
    } cases[] = {
        {"801 samples: 800 copied", 801, 801, SHARP_FILTER_1L, 0, 800, false},
        {"no filter: copied", 20, 20, NO_FILTER, 1, 20, false},
        {"bad ring position: copied", 20, 20, SHARP_FILTER_1L, 3, 20, false},
        {"negative ring position: copied", 20, 20, SHARP_FILTER_1L, -1, 20, false},
        {"unknown filter: nothing written", 20, 20, (FILTER_TYPE)4, 0, 0, false},
        {"row longer than the ring: copied", 20, 10, SHARP_FILTER_1L, 0, 20, false},
        {"empty row: nothing written", 0, 10, SHARP_FILTER_1L, 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<U8> in(c.count + 1, 77);
        std::vector<U8> out(c.count + 1, 0xEE);
        std::vector<U8> ring(3 * (size_t)c.width, 0);
        S32 line = c.line;
        S_FILTER_v2D_Flankview_Filter(c.count, in.data(), out.data(), c.filter, &line, ring.data(), c.width);
        for (U32 i = 0; i <= c.count; ++i)
            ASSERT_EQ(out[i], i < c.copied ? 77 : 0xEE) << i;
        EXPECT_EQ(line != c.line, c.moved);
        EXPECT_EQ(std::count(ring.begin(), ring.end(), 0), (long)ring.size()) << "the ring is untouched";
    }
}

} // namespace
} // namespace sonar_test
