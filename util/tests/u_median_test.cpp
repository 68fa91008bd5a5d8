// Running median filter: the fast windows and the histogram method against
// a plain sort of each padded window.
#include "util/u_median.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

std::vector<U8> filter(const std::vector<U8>& in, U32 window)
{
    std::vector<U8> out(in.size(), 0xEE);
    U_MEDIAN_vFilter(in.data(), out.data(), static_cast<U32>(in.size()), window);
    return out;
}

U8 sortedMedian(std::vector<U8> w)
{
    std::sort(w.begin(), w.end());
    return w[(w.size() + 1) / 2 - 1];
}

// The reference: the padding rules of each window, then a sort.
std::vector<U8> reference(const std::vector<U8>& d, U32 window)
{
    const long n = static_cast<long>(d.size());
    std::vector<U8> out(d.size());
    for (long i = 0; i < n; ++i) {
        std::vector<U8> w;
        long half = window / 2;
        for (long j = i - half; j <= i + half; ++j) {
            U8 before = window == 5 || window == 7 ? d[0] : d[i];
            w.push_back(j < 0 ? before : (j >= n ? d[n - 1] : d[j]));
        }
        out[i] = sortedMedian(w);
    }
    if (window == 3 || window == 5) {
        out[0] = d[0];
        out[n - 1] = d[n - 1];
    }
    return out;
}

TEST(UMedian, CasesOfTheFilter)
{
    EXPECT_EQ(filter({10, 200, 10, 10}, 3), (std::vector<U8>{10, 10, 10, 10}));
    EXPECT_EQ(filter({9, 1, 1, 1, 1, 7}, 5)[0], 9);
    EXPECT_EQ(filter({9, 1, 1, 1, 1, 7}, 5)[5], 7);
    EXPECT_EQ(filter({1, 2, 3, 4, 5, 6}, 7), std::vector<U8>(6, 0xEE)); // too short: untouched
    // Window 9 pads the start with the current sample, not the first one.
    EXPECT_EQ(filter({0, 255, 255, 255, 255, 255, 255, 255, 255}, 9)[1], 255);
    EXPECT_EQ(filter({5, 200, 7, 9}, 1), (std::vector<U8>{5, 200, 7, 9}));
    EXPECT_EQ(filter({5, 200, 7, 9}, 0), (std::vector<U8>{5, 200, 7, 9}));
}

TEST(UMedian, EveryWindowAgreesWithASortedWindow)
{
    std::mt19937 rng(11);
    for (U32 window : {3u, 5u, 7u, 9u, 11u, 31u}) {
        for (size_t length : {7u, 8u, 13u, 64u, 200u}) {
            for (int round = 0; round < 20; ++round) {
                std::vector<U8> d(length);
                // Few distinct values make ties common.
                int spread = round % 2 ? 256 : 4;
                for (U8& v : d) {
                    v = static_cast<U8>(rng() % spread);
                }
                EXPECT_EQ(filter(d, window), reference(d, window)) << "window " << window << " length " << length;
            }
        }
    }
}

TEST(UMedian, ShortLinesStayInsideTheInput)
{
    // Under AddressSanitizer a read past these exact-size buffers would fail.
    for (U32 window : {3u, 5u, 9u}) {
        for (size_t length = 1; length < 5; ++length) {
            std::vector<U8> d(length, 42);
            EXPECT_EQ(filter(d, window), d) << window << " " << length;
        }
    }
    U_MEDIAN_vFilter(nullptr, nullptr, 0, 3);
}

TEST(UMedian, HugeWindowIsCountedNotWalked)
{
    // Each window is almost all padding: the current sample before the start
    // and the last sample past the end, half each, so the lower median is
    // the current sample. Walking four billion places per sample would not
    // finish within the test's time.
    std::vector<U8> d = {1, 2, 3, 250, 251};
    EXPECT_EQ(filter(d, 0xFFFFFFFFu), d);
}

} // namespace
