// The bottom tracker: the size of its window, choosing inside it, locking
// and unlocking, following at ten feet a second, re-locking on a much
// stronger echo, and the second-return test.
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_depthalgorithms.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonar_test {
namespace {

constexpr U32 P = 26;

// A candidate whose peak lies at an index (start 5 samples before it).
TARGETCANDIDATE at(U32 peak, U64 energy, U8 raw = 100)
{
    TARGETCANDIDATE c = {};
    c.u32StartIndex = peak >= 5 ? peak - 5 : 0;
    c.u32PeakIndex = peak;
    c.u32StopIndex = peak + 20;
    c.u8RawPeak = raw;
    c.u64Energy = energy;
    return c;
}

// Two-way microseconds of a depth in metres at 1463 m/s.
U32 usOfMetres(double metres)
{
    return (U32)(metres / (1463.0 * 0.0000005));
}

class Tracker : public ::testing::Test {
protected:
    void SetUp() override { g_u32SpeedOfSoundInWater = 1463; }
    void TearDown() override { g_u32SpeedOfSoundInWater = 1463; }
};

TEST_F(Tracker, WindowGrowsAFootPer100MsWithTwoPercentAndABaseByDepth)
{
    const struct {
        U32 referenceUs, sinceLockMs, half;
    } cases[] = {
        {3000, 200, 833 + 60 + 1041}, // 2.5 ft base below 10 ft
        {0, 0, 625},                   // 1.5 ft below 5 ft (2083 us)
        {2082, 99, 41 + 625},          // under 100 ms adds nothing yet
        {2083, 100, 416 + 41 + 1041},  // 5 ft reached: the 2.5 ft base
        {4166, 0, 83 + 2083},          // 10 ft: the 5 ft base
        {8333, 0, 166 + 4166},         // 20 ft: the 10 ft base
        {1000000, 2500, 25 * 609600 / 1463 + 20000 + 4166},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}, // saturates instead of wrapping
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.referenceUs << " us, " << c.sinceLockMs << " ms");
        EXPECT_EQ(S_DEPTHALGORITHMS_u32WindowSize(c.referenceUs, c.sinceLockMs), c.half);
    }
    g_u32SpeedOfSoundInWater = 1500;
    EXPECT_EQ(S_DEPTHALGORITHMS_u32WindowSize(3000, 200), 2 * 609600 / 1500 + 60 + 1524000 / 1500);
}

TEST_F(Tracker, ALockedTrackerFollowsAtTenFeetASecond)
{
    BOTTOMTRACKER t = {};
    t.u8LockedCounter = 5;
    t.u32LastLockedDepthMicroseconds = 3000;
    t.u32PrevTallestDepthMicroseconds = 3000;
    t.u32LastLockTimeMs = 10000;
    const TARGETCANDIDATE list[] = {at(173, 5000), at(300, 10)};
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(list, 2, P, &t, TRUE, 10200), 0);
    EXPECT_EQ(t.u32DepthWindowSizeDividedBy2, 1934u);
    EXPECT_EQ(t.u32LastLockedDepthMicroseconds, 3000u + 4166u * 200 / 1000) << "833 us towards 4498 us";
    EXPECT_EQ(t.u8LockedCounter, 6);
    EXPECT_EQ(t.u32LastLockTimeMs, 10200u);
    EXPECT_EQ(t.u32PrevTallestDepthMicroseconds, 173u * P);
    EXPECT_EQ(t.u64LockedEnergy, 5000u);

    // Upwards the same way, and a target within the step is reached.
    t.u32LastLockTimeMs = 10400;
    const TARGETCANDIDATE up[] = {at(100, 5000)};
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(up, 1, P, &t, TRUE, 10600), 0);
    EXPECT_EQ(t.u32LastLockedDepthMicroseconds, 3833u - 833u);
    t.u32LastLockTimeMs = 10600;
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(up, 1, P, &t, TRUE, 11600), 0);
    EXPECT_EQ(t.u32LastLockedDepthMicroseconds, 2600u);
}

TEST_F(Tracker, LocksOnTheThirdChoiceAndStaysBeforeIt)
{
    BOTTOMTRACKER t = {};
    t.u32PrevTallestDepthMicroseconds = 500 * P;
    t.u64LockedEnergy = 77;
    const TARGETCANDIDATE list[] = {at(505, 900)};
    const U32 expectLocked[] = {0, 0, 505 * P, 505 * P};
    for (U32 ping = 0; ping < 4; ++ping) {
        SCOPED_TRACE(ping);
        EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(list, 1, P, &t, TRUE, 1000 + 100 * ping), 0);
        EXPECT_EQ(t.u8LockedCounter, ping + 1);
        EXPECT_EQ(t.u32LastLockedDepthMicroseconds, expectLocked[ping]);
    }
    EXPECT_EQ(t.u64LockedEnergy, 900u);
}

TEST_F(Tracker, TheFirstOtherCandidateInsideTheWindowIsChosen)
{
    // Locked at index 1000, 100 ms after the last lock: the half window is
    // 416 + 520 + 4166 us, 196 samples, so it runs from 804 to 1196.
    auto locked = [] {
        BOTTOMTRACKER t = {};
        t.u8LockedCounter = 4;
        t.u32LastLockedDepthMicroseconds = 1000 * P;
        t.u32PrevTallestDepthMicroseconds = 2000 * P;
        t.u32LastLockTimeMs = 5000;
        t.u8TallestLockedCounter = 9;
        t.u64LockedEnergy = 1000;
        return t;
    };
    BOTTOMTRACKER t = locked();
    const TARGETCANDIDATE list[] = {at(3000, 9000), at(1300, 800), at(1010, 700), at(990, 600)};
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(list, 4, P, &t, TRUE, 5100), 2);
    EXPECT_EQ(t.u64LockedEnergy, 700u);
    EXPECT_EQ(t.u8TallestLockedCounter, 9) << "only the strongest clears it";
    EXPECT_EQ(t.u8LockedCounter, 5);
    EXPECT_EQ(t.u32PrevTallestDepthMicroseconds, 3000u * P);

    // The window's ends lie outside it; the start as the position moves
    // this candidate (peak 1200, start 1195) inside.
    const TARGETCANDIDATE edge[] = {at(3000, 9000), at(1200, 700)};
    t = locked();
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(edge, 2, P, &t, TRUE, 5100), S_DEPTHALGORITHMS_NONE);
    t = locked();
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(edge, 2, P, &t, FALSE, 5100), 1);
}

TEST_F(Tracker, NothingInTheWindowUnlocksAfter2500MsOr5000MsDeeperThan600m)
{
    const struct {
        double lockedMetres;
        U32 sinceLockMs;
        U8 counterAfter;
    } cases[] = {
        {20.0, 2600, 0}, {20.0, 2500, 5}, {700.0, 2600, 5}, {700.0, 5000, 5}, {700.0, 5001, 0}, {599.0, 2501, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lockedMetres << " m, " << c.sinceLockMs << " ms");
        BOTTOMTRACKER t = {};
        t.u8LockedCounter = 5;
        t.u32LastLockedDepthMicroseconds = usOfMetres(c.lockedMetres);
        t.u32PrevTallestDepthMicroseconds = t.u32LastLockedDepthMicroseconds;
        t.u32LastLockTimeMs = 1000;
        t.u64LockedEnergy = 1u << 30;
        // Far above the bottom and weak: outside every window here, no re-lock.
        const TARGETCANDIDATE list[] = {at(2, 50)};
        EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(list, 1, P, &t, TRUE, 1000 + c.sinceLockMs),
                  S_DEPTHALGORITHMS_NONE);
        EXPECT_EQ(t.u8LockedCounter, c.counterAfter);
        EXPECT_EQ(t.u32PrevTallestDepthMicroseconds, 2u * P);
        EXPECT_EQ(t.u32LastLockTimeMs, 1000u) << "no choice, no lock time";
    }
}

TEST_F(Tracker, TheMillisecondClockMayWrapButTheSameMillisecondIsNoTime)
{
    BOTTOMTRACKER t = {};
    t.u8LockedCounter = 5;
    t.u32LastLockedDepthMicroseconds = usOfMetres(20.0);
    t.u32PrevTallestDepthMicroseconds = t.u32LastLockedDepthMicroseconds;
    t.u32LastLockTimeMs = 0xFFFFFF00u;
    t.u64LockedEnergy = 1u << 30;
    const TARGETCANDIDATE list[] = {at(2, 50)};
    S_DEPTHALGORITHMS_u8WindowTest(list, 1, P, &t, TRUE, 100); // 355 ms after the lock
    EXPECT_EQ(t.u8LockedCounter, 5);
    EXPECT_EQ(t.u32DepthWindowSizeDividedBy2, S_DEPTHALGORITHMS_u32WindowSize(t.u32LastLockedDepthMicroseconds, 355));
    t.u32LastLockTimeMs = 100;
    S_DEPTHALGORITHMS_u8WindowTest(list, 1, P, &t, TRUE, 100);
    EXPECT_EQ(t.u8LockedCounter, 5);
    EXPECT_EQ(t.u32DepthWindowSizeDividedBy2, S_DEPTHALGORITHMS_u32WindowSize(t.u32LastLockedDepthMicroseconds, 0));
}

TEST_F(Tracker, ReLocksOnATenTimesStrongerEchoThatStaysPut)
{
    const struct {
        const char* name;
        U64 strongEnergy;
        U32 strongPeak;
        U8 chosen;
        U8 counter;
        U32 locked;
    } cases[] = {
        {"ten times and more", 7001, 2000, 0, 3, 2000 * P},
        {"just ten times", 7000, 2000, 1, 6, 1000 * P},
        {"moved 10 ft", 7001, 2000 + 160, 1, 6, 1000 * P},
        {"moved less", 7001, 2000 + 159, 0, 3, 2159 * P},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BOTTOMTRACKER t = {};
        t.u8LockedCounter = 5;
        t.u32LastLockedDepthMicroseconds = 1000 * P;
        t.u32PrevTallestDepthMicroseconds = 2000 * P;
        t.u32LastLockTimeMs = 100;
        const TARGETCANDIDATE list[] = {at(c.strongPeak, c.strongEnergy), at(1000, 700)};
        EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(list, 2, P, &t, TRUE, 200), c.chosen);
        EXPECT_EQ(t.u8LockedCounter, c.counter);
        EXPECT_EQ(t.u32LastLockedDepthMicroseconds, c.locked);
        EXPECT_EQ(t.u64LockedEnergy, c.chosen == 0 ? c.strongEnergy : 700u);
    }
    // Energy 100 or less never re-locks.
    BOTTOMTRACKER t = {};
    t.u8LockedCounter = 5;
    t.u32LastLockedDepthMicroseconds = 1000 * P;
    t.u32PrevTallestDepthMicroseconds = 2000 * P;
    t.u32LastLockTimeMs = 100;
    const TARGETCANDIDATE weak[] = {at(2000, 100), at(1000, 5)};
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(weak, 2, P, &t, TRUE, 200), 1);
}

TEST_F(Tracker, NoCandidatesOrNoPeriodChangeNothing)
{
    BOTTOMTRACKER t = {};
    t.u8LockedCounter = 5;
    t.u32LastLockTimeMs = 1;
    const BOTTOMTRACKER before = t;
    const TARGETCANDIDATE list[] = {at(10, 10)};
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(list, 0, P, &t, TRUE, 90000), S_DEPTHALGORITHMS_NONE);
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(list, 1, 0, &t, TRUE, 90000), S_DEPTHALGORITHMS_NONE);
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(nullptr, 1, P, &t, TRUE, 90000), S_DEPTHALGORITHMS_NONE);
    EXPECT_EQ(S_DEPTHALGORITHMS_u8SecondReturnTest(list, 1, 0, &t, FALSE, TRUE), S_DEPTHALGORITHMS_NONE);
    EXPECT_EQ(t.u8LockedCounter, before.u8LockedCounter);
    EXPECT_EQ(t.u32LastLockTimeMs, before.u32LastLockTimeMs);
    EXPECT_EQ(S_DEPTHALGORITHMS_u8WindowTest(list, 1, P, nullptr, TRUE, 90000), S_DEPTHALGORITHMS_NONE);
}

TEST_F(Tracker, SecondReturnFindsTheShallowestEchoWithAStrongEchoAtTwiceItsDepth)
{
    const struct {
        const char* name;
        std::vector<TARGETCANDIDATE> list;
        U8 chosen;
    } cases[] = {
        {"a strong echo at twice", {at(203, 900, 240), at(100, 500, 200)}, 1},
        {"the second return weak", {at(203, 900, 229), at(100, 500, 200)}, S_DEPTHALGORITHMS_NONE},
        {"at least 12 samples: 11 off", {at(211, 900, 240), at(100, 500)}, 1},
        {"at least 12 samples: 12 off", {at(212, 900, 240), at(100, 500)}, S_DEPTHALGORITHMS_NONE},
        {"7.5 %: 29 off at 400", {at(829, 900, 240), at(400, 500)}, 1},
        {"7.5 %: 30 off at 400", {at(830, 900, 240), at(400, 500)}, S_DEPTHALGORITHMS_NONE},
        {"at most 48: 47 off", {at(2047, 900, 240), at(1000, 500)}, 1},
        {"at most 48: 48 off", {at(1952, 900, 240), at(1000, 500)}, S_DEPTHALGORITHMS_NONE},
        {"the shallowest of two", {at(800, 900, 240), at(400, 500), at(401, 400)}, 1},
        {"equal positions: first in the list", {at(800, 900, 240), at(400, 500), at(400, 400)}, 1},
        {"a surface echo is its own second return", {at(5, 900, 240), at(300, 800)}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BOTTOMTRACKER t = {};
        t.u32LastLockedDepthMicroseconds = 4242;
        EXPECT_EQ(S_DEPTHALGORITHMS_u8SecondReturnTest(c.list.data(), (U32)c.list.size(), P, &t, FALSE, TRUE),
                  c.chosen);
        EXPECT_EQ(t.u32LastLockedDepthMicroseconds,
                  c.chosen == S_DEPTHALGORITHMS_NONE ? 4242u : c.list[c.chosen].u32PeakIndex * P);
    }
    // By start: the starts lie 5 before the peaks, so twice the shallower
    // start lies 5 further from the deeper one (8 off by peak, 13 by start).
    BOTTOMTRACKER t = {};
    const TARGETCANDIDATE starts[] = {at(218, 900, 240), at(105, 500)};
    EXPECT_EQ(S_DEPTHALGORITHMS_u8SecondReturnTest(starts, 2, P, &t, FALSE, FALSE), S_DEPTHALGORITHMS_NONE);
    EXPECT_EQ(S_DEPTHALGORITHMS_u8SecondReturnTest(starts, 2, P, &t, FALSE, TRUE), 1);
}

TEST_F(Tracker, FeetBecomeSamplesRoundedToTheNearestPeriod)
{
    const struct {
        double feet;
        U32 period, speed;
        S64 samples;
    } cases[] = {
        {4.0, 26, 1463, 64},  {10.0, 26, 1463, 160}, {20.0, 26, 1463, 321}, {15.0, 26, 1463, 240},
        {6.0, 26, 1463, 96},  {10.0, 26, 1500, 156}, {10.0, 13, 1463, 320}, {-30.0, 26, 1463, -480},
        {0.0, 26, 1463, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.feet << " ft");
        g_u32SpeedOfSoundInWater = c.speed;
        EXPECT_EQ(S_DEPTHALGORITHMS_s64FeetToSamples(c.feet, c.period), c.samples);
    }
}

} // namespace
} // namespace sonar_test
