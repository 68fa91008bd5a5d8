// The depth finder on made-up pings: depth ranges and the slope table, the
// candidate list, the anti-log table, the median selection, both
// thresholds, the target search's tests (near range, elongation, the
// threshold height, the running average at either end of the ping), the
// choice among candidates (start or peak, near-range raw test, second
// returns), the half-second smoothing and what a ping without a bottom
// leaves behind.
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_depth.h"
#include "sonar/tests/sonar_root.h"

#include "store/h_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace sonar_test {
namespace {

constexpr U32 P = 26;

struct Echo {
    U32 from, length;
    U8 level, raw;
};

// A ping with gain-corrected and raw samples of its own; the room past n
// holds filler that the finder must never read.
struct Ping {
    std::vector<U8> raw, tvgd;
    PING_DESCRIPTOR d = {};
    Ping(BEAM beam, U32 n, U32 hertz, U8 transducer = 1, size_t room = PING_MAX_SAMPLES, U8 filler = 0)
        : raw(room, filler), tvgd(room, filler)
    {
        std::fill(raw.begin(), raw.begin() + std::min<size_t>(n, room), 0);
        std::fill(tvgd.begin(), tvgd.begin() + std::min<size_t>(n, room), 0);
        d.Beam = beam;
        d.u32NumberOfSamples = n;
        d.u32SamplePeriodMicroSeconds = P;
        d.u32TransmitFrequencyHertz = hertz;
        d.u8Transducer = transducer;
        d.pu8RawSonarData = raw.data();
        d.pu8TvgdData = tvgd.data();
    }
    Ping& echo(const Echo& e)
    {
        for (U32 i = e.from; i < e.from + e.length; ++i) {
            tvgd[i] = e.level;
            raw[i] = e.raw;
        }
        return *this;
    }
    Ping& background(U8 level)
    {
        std::fill(tvgd.begin(), tvgd.begin() + d.u32NumberOfSamples, level);
        return *this;
    }
    Ping& at(U32 ms)
    {
        d.u32TimeStampMilliSeconds = ms;
        return *this;
    }
    U32 find(U32 startUs = 0) { return S_DEPTH_u32FindDepth(&d, startUs, d.u32NumberOfSamples * P); }
};

class DepthTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_DATABASE_vInit();
        g_u32SpeedOfSoundInWater = 1463;
        S_DEPTH_vResetForTests();
    }
    void TearDown() override { H_DATABASE_vDeleteEntry(FCID("YSLD")); }
};

TEST(DepthRange, TheFirstStandardRangeAboveTheDepthOver85Percent)
{
    const struct {
        U16 depth;
        UNIT_TYPE units;
        U16 range;
    } cases[] = {
        {17, U_FEET, 30},      {9, U_FEET, 20},        {4, U_METRES, 5},       {5, U_METRES, 10},
        {2788, U_FEET, 3280},  {0, U_FEET, 10},        {8, U_FEET, 10},        {2789, U_FEET, 3280},
        {65535, U_FEET, 3280}, {850, U_METRES, 1000},  {851, U_METRES, 1000},  {1, U_FATHOMS, 2},
        {2, U_FATHOMS, 3},     {463, U_FATHOMS, 545},  {40000, U_FATHOMS, 545}, {20, U_KNOTS, 11},
        {20, U_NONE, 11},      {20, U_INCH, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " in unit " << (int)c.units);
        EXPECT_EQ(S_DEPTH_u16SelectDepthRange(c.depth, c.units), c.range);
    }
}

TEST(MinimumSlope, TheRowOfASampleAndWhereTheNextBegins)
{
    const struct {
        U32 sample, period;
        U8 slope;
        U32 next;
    } cases[] = {
        {0, 26, 5, 241},         {240, 26, 5, 241},       {241, 26, 4, 801},       {800, 26, 4, 801},
        {801, 26, 3, 2241},      {2241, 26, 2, 0xFFFFFFFF}, {0xFFFFFFFF, 26, 2, 0xFFFFFFFF},
        // At 13 us two samples make one of the table's: 480 is 240.
        {480, 13, 5, 481},       {482, 13, 4, 1601},
        // At 52 us one sample is two: 120 is 240, and 241 starts at 121.
        {120, 52, 5, 121},       {121, 52, 4, 401},       {0xFFFFFFFF, 52, 2, 2147483649u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "sample " << c.sample << " at " << c.period << " us");
        U32 next = 12345;
        EXPECT_EQ(S_DEPTH_u8GetMinimumSlopeValue(&next, c.sample, g_BottomSlopeTestValues, c.period), c.slope);
        EXPECT_EQ(next, c.next);
    }
    U32 next = 7;
    EXPECT_EQ(S_DEPTH_u8GetMinimumSlopeValue(&next, 10, nullptr, 26), 0);
    EXPECT_EQ(S_DEPTH_u8GetMinimumSlopeValue(&next, 10, g_BottomSlopeTestValues, 0), 0);
    EXPECT_EQ(next, 7u);
    EXPECT_EQ(S_DEPTH_u8GetMinimumSlopeValue(nullptr, 10, g_BottomSlopeTestValues, 26), 5);
}

TEST(CandidateList, KeptInOrderOfFallingEnergyUpToItsSize)
{
    auto energies = [](const TARGETCANDIDATE* list, U32 n) {
        std::vector<U64> v;
        for (U32 i = 0; i < n; ++i)
            v.push_back(list[i].u64Energy);
        return v;
    };
    TARGETCANDIDATE list[S_DEPTH_CANDIDATES + 1] = {};
    list[S_DEPTH_CANDIDATES].u64Energy = 0xDEAD; // past the list: never written
    U32 count = 0;
    for (U64 e : {50u, 100u, 10u, 90u, 20u, 80u, 30u, 70u, 40u, 60u}) {
        TARGETCANDIDATE c = {};
        c.u64Energy = e;
        S_DEPTH_vAddCandidateToList(list, &count, &c, S_DEPTH_CANDIDATES);
    }
    ASSERT_EQ(count, S_DEPTH_CANDIDATES);
    EXPECT_EQ(energies(list, count), (std::vector<U64>{100, 90, 80, 70, 60, 50, 40, 30, 20, 10}));

    TARGETCANDIDATE eleventh = {};
    eleventh.u64Energy = 5;
    S_DEPTH_vAddCandidateToList(list, &count, &eleventh, S_DEPTH_CANDIDATES);
    EXPECT_EQ(count, S_DEPTH_CANDIDATES);
    EXPECT_EQ(list[9].u64Energy, 10u) << "the eleventh never enters";

    TARGETCANDIDATE equal = {};
    equal.u64Energy = 60;
    equal.u32PeakIndex = 777;
    S_DEPTH_vAddCandidateToList(list, &count, &equal, S_DEPTH_CANDIDATES);
    EXPECT_EQ(energies(list, count), (std::vector<U64>{100, 90, 80, 70, 60, 60, 50, 40, 30, 20}));
    EXPECT_EQ(list[4].u32PeakIndex, 777u) << "an equal energy goes first";
    EXPECT_EQ(list[S_DEPTH_CANDIDATES].u64Energy, 0xDEADu);

    // With every energy 0 (as fish detection adds them) the newest leads.
    TARGETCANDIDATE fish[3] = {};
    U32 n = 0;
    for (U32 peak : {10u, 20u, 30u, 40u}) {
        TARGETCANDIDATE c = {};
        c.u32PeakIndex = peak;
        S_DEPTH_vAddCandidateToList(fish, &n, &c, 3);
    }
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(fish[0].u32PeakIndex, 40u);
    EXPECT_EQ(fish[2].u32PeakIndex, 20u);
}

TEST(AntiLog, GeometricFrom4To0xFFFFFFFF)
{
    const U32 first[12] = {4, 5, 5, 5, 6, 6, 7, 8, 8, 9, 10, 11};
    for (U32 i = 0; i < 12; ++i)
        EXPECT_EQ(g_pu32AntiLogTable[i], first[i]) << i;
    EXPECT_EQ(g_pu32AntiLogTable[100], 14534u);
    EXPECT_EQ(g_pu32AntiLogTable[160], 1905543u);
    EXPECT_EQ(g_pu32AntiLogTable[255], 4294967295u);
    for (U32 i = 60; i < S_DEPTH_ANTILOG_ENTRIES; ++i) {
        const double ratio = (double)g_pu32AntiLogTable[i] / g_pu32AntiLogTable[i - 1];
        EXPECT_NEAR(ratio, 1.0847, 0.004) << i;
    }
}

TEST(KthSmallest, AgreesWithNthElement)
{
    std::mt19937 rng(7);
    for (U32 round = 0; round < 2000; ++round) {
        const U32 n = 1 + rng() % 40;
        const U32 k = rng() % n;
        const U32 spread = round % 3 == 0 ? 4 : 256; // many equal values, or few
        std::vector<U8> a(n);
        for (U8& v : a)
            v = (U8)(rng() % spread);
        std::vector<U8> b = a;
        std::nth_element(b.begin(), b.begin() + k, b.end());
        ASSERT_EQ(S_DEPTH_u8GetKthSmallest(a.data(), n, k), b[k]) << "round " << round;
    }
    U8 three[3] = {9, 2, 5};
    EXPECT_EQ(S_DEPTH_u8GetKthSmallest(three, 3, 7), 9) << "beyond the values: the largest";
    EXPECT_EQ(S_DEPTH_u8GetKthSmallest(three, 0, 0), 0);
}

TEST(Threshold, SingleIsTheMeanOfTheNonZeroSamplesRoundedUp)
{
    const struct {
        std::vector<U8> samples;
        U8 threshold;
    } cases[] = {
        {{0, 1, 2}, 2}, {{0, 0, 0}, 0}, {{}, 0}, {{7}, 7}, {{10, 0, 11, 0, 0}, 11}, {{255, 255, 254}, 255},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S_DEPTH_u8SingleThreshold(c.samples.data(), (U32)c.samples.size()), c.threshold);
    const std::vector<U8> loud(PING_MAX_SAMPLES, 255);
    EXPECT_EQ(S_DEPTH_u8SingleThreshold(loud.data(), PING_MAX_SAMPLES), 255);
}

TEST(Threshold, TheCurveServesLongPingsOfThe2DBeamsAndDownBeamsOfSomeTransducers)
{
    const struct {
        BEAM beam;
        U32 samples;
        U8 transducer;
        BOOLEAN curve;
    } cases[] = {
        {0, 301, 1, TRUE},  {1, 301, 1, TRUE},  {0, 300, 1, FALSE}, {1, 300, 15, FALSE}, {2, 5000, 1, FALSE},
        {2, 5000, 15, TRUE}, {3, 5000, 17, TRUE}, {3, 200, 18, TRUE}, {3, 5000, 16, FALSE}, {255, 5000, 15, FALSE},
    };
    for (const auto& c : cases) {
        PING_DESCRIPTOR d = {};
        d.Beam = c.beam;
        d.u32NumberOfSamples = c.samples;
        d.u8Transducer = c.transducer;
        EXPECT_EQ(S_DEPTH_bUsesThresholdCurve(&d), c.curve)
            << "beam " << (int)c.beam << ", " << c.samples << " samples, transducer " << (int)c.transducer;
    }
}

TEST(Threshold, TheCurveFollowsRunningMediansRaisedByTheAverageDeviation)
{
    // 400 samples: windows of 25 samples 10 apart, anchors 20 apart from
    // index 121 on. Silence, then 100 from index 200: the anchors stay at
    // the floor of 10 until their window is mostly loud (anchor 201), the
    // indexes between step up by 4.5 a sample (arithmetic shift), and the
    // deviation (1570 / 150) adds 10 everywhere.
    std::vector<U8> rising(400, 0);
    std::fill(rising.begin() + 200, rising.end(), 100);
    std::vector<U8> thr(400, 0xEE);
    S_DEPTH_vBuildThresholdCurve(rising.data(), 400, FALSE, thr.data());
    const struct {
        U32 index;
        U8 rising, falling;
    } points[] = {{0, 20, 110},   {120, 20, 110}, {181, 20, 110}, {182, 24, 105}, {183, 29, 101},
                  {190, 60, 69},  {200, 105, 24}, {201, 110, 20}, {261, 110, 20}, {399, 110, 20}};
    for (const auto& p : points)
        EXPECT_EQ(thr[p.index], p.rising) << "rising, index " << p.index;

    // The same step falling: a negative slope floors (100 - 4.5 is 95).
    std::vector<U8> falling(400, 0);
    std::fill(falling.begin(), falling.begin() + 200, 100);
    S_DEPTH_vBuildThresholdCurve(falling.data(), 400, FALSE, thr.data());
    for (const auto& p : points)
        EXPECT_EQ(thr[p.index], p.falling) << "falling, index " << p.index;

    // Transducer 8: a flat 50 becomes 29; the deviation of 21 over the 280
    // inner samples, divided by 1000 - 750, adds 23.
    const std::vector<U8> flat(1000, 50);
    std::vector<U8> scaled(1000, 0xEE);
    S_DEPTH_vBuildThresholdCurve(flat.data(), 1000, TRUE, scaled.data());
    EXPECT_EQ(*std::min_element(scaled.begin(), scaled.end()), 52);
    EXPECT_EQ(*std::max_element(scaled.begin(), scaled.end()), 52);
    S_DEPTH_vBuildThresholdCurve(flat.data(), 1000, FALSE, scaled.data());
    EXPECT_EQ(*std::min_element(scaled.begin(), scaled.end()), 50);
    EXPECT_EQ(*std::max_element(scaled.begin(), scaled.end()), 50);
}

struct TargetCase {
    const char* name;
    BEAM beam;
    U32 samples, hertz;
    float offsetFeet;
    std::vector<Echo> echoes;
    U32 startSample;
    std::vector<std::array<U32, 3>> targets; // start, stop and peak, strongest first
};

TEST_F(DepthTest, TargetSearch)
{
    const TargetCase cases[] = {
        // Offset 2 ft: the near range ends at 6 ft, sample 96.
        {"3 ft below the offset, raw 230: rejected", 1, 300, 200000, 2.0f,
         {{76, 20, 100, 230}, {200, 30, 100, 100}}, 0, {{204, 226, 204}}},
        {"raw 231 goes on to the elongation test", 1, 300, 200000, 2.0f,
         {{76, 20, 100, 231}, {200, 30, 100, 100}}, 0, {{204, 226, 204}, {80, 92, 80}}},
        {"raw 231 but too short", 1, 300, 200000, 2.0f, {{76, 12, 100, 231}, {200, 30, 100, 100}}, 0,
         {{204, 226, 204}}},
        // No offset: 15 ft is sample 240, between 10 ft (160) and 20 ft (321).
        {"15 ft at 200 kHz, 390 us: rejected", 1, 300, 200000, 0.0f, {{236, 22, 100, 100}}, 0, {}},
        {"15 ft at 200 kHz, 416 us: accepted", 1, 300, 200000, 0.0f, {{236, 23, 100, 100}}, 0, {{240, 255, 240}}},
        {"the same at 83 kHz wants 600 us", 0, 300, 83000, 0.0f, {{236, 23, 100, 100}}, 0, {}},
        {"no elongation test at 500 kHz", 2, 300, 500000, 0.0f, {{236, 9, 100, 100}}, 0, {{240, 241, 240}}},
        {"no elongation test at exactly 250 kHz", 2, 300, 250000, 0.0f, {{236, 9, 100, 100}}, 0, {{240, 241, 240}}},
        {"before the first sample the average reads sample 0", 1, 300, 200000, 0.0f, {{0, 30, 100, 240}}, 0,
         {{0, 26, 0}}},
        // From sample 13500 (256 m) the average spans 16 samples.
        {"past the last sample the average reads 0", 2, 14000, 455000, 0.0f, {{13960, 40, 100, 100}}, 13500,
         {{13968, 13992, 13968}}},
        {"the search begins at the start", 1, 300, 200000, 0.0f, {{100, 30, 100, 100}, {200, 30, 100, 100}}, 150,
         {{204, 226, 204}}},
        {"a start at n - 5 finds nothing", 1, 300, 200000, 0.0f, {{200, 30, 100, 100}}, 295, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The room past the ping is loud: reading it would show.
        Ping p(c.beam, c.samples, c.hertz, 1, PING_MAX_SAMPLES, 100);
        p.d.fDepthOffsetFeet = c.offsetFeet;
        for (const Echo& e : c.echoes)
            p.echo(e);
        TARGETCANDIDATE list[S_DEPTH_CANDIDATES];
        const U32 n = S_DEPTH_u32FindTargets(&p.d, c.startSample * P, list);
        ASSERT_EQ(n, c.targets.size());
        for (U32 i = 0; i < n; ++i) {
            EXPECT_EQ(list[i].u32StartIndex, c.targets[i][0]) << "target " << i;
            EXPECT_EQ(list[i].u32StopIndex, c.targets[i][1]) << "target " << i;
            EXPECT_EQ(list[i].u32PeakIndex, c.targets[i][2]) << "target " << i;
            EXPECT_EQ(list[i].u32ElongationMicroSeconds, (c.targets[i][1] + 1 - c.targets[i][0]) * P);
            EXPECT_EQ(list[i].u8RawPeak, p.raw[c.targets[i][2]]);
        }
    }
}

TEST_F(DepthTest, EnergiesCountTheSamplesAboveTheThresholdAndAllSamples)
{
    // Echoes of 100 and 60: the threshold is their mean, 80. The running
    // average reaches it with 7 of 8 samples loud (153 to 177); the weaker
    // echo never does.
    Ping p(1, 300, 200000);
    p.echo({150, 30, 100, 100}).echo({220, 30, 60, 100});
    TARGETCANDIDATE list[S_DEPTH_CANDIDATES];
    ASSERT_EQ(S_DEPTH_u32FindTargets(&p.d, 0, list), 1u);
    EXPECT_EQ(list[0].u32StartIndex, 153u);
    EXPECT_EQ(list[0].u32StopIndex, 177u);
    EXPECT_EQ(list[0].u8TVGPeak, 100);
    EXPECT_EQ(list[0].u64Energy, 25ull * g_pu32AntiLogTable[20]);
    EXPECT_EQ(list[0].u64EnergyTotal, 25ull * g_pu32AntiLogTable[100]);
}

TEST_F(DepthTest, TheTenStrongestTargetsAreKept)
{
    Ping p(2, 2000, 600000);
    p.background(1);
    for (U32 k = 0; k < 12; ++k)
        p.echo({200 + 100 * k, 20, (U8)(100 + 10 * ((k * 5) % 12)), 100});
    TARGETCANDIDATE list[S_DEPTH_CANDIDATES];
    ASSERT_EQ(S_DEPTH_u32FindTargets(&p.d, 0, list), S_DEPTH_CANDIDATES);
    for (U32 i = 0; i < S_DEPTH_CANDIDATES; ++i)
        EXPECT_EQ(list[i].u8TVGPeak, 210 - 10 * i) << i;
}

TEST_F(DepthTest, ATargetUnderAHighThresholdBeyondTheLowerDepthIsClutter)
{
    // A loud ping: the curve stands at 150, above 255 / 2 at sample 10000
    // (190.2 m), where an echo of 250 lies.
    Ping p(1, 12000, 200000);
    p.background(150).echo({10000, 60, 250, 250});
    const struct {
        bool set;
        float lowerDepth;
        U32 targets;
    } cases[] = {{false, 0.0f, 0}, {true, 189.0f, 0}, {true, 191.0f, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lowerDepth);
        if (c.set)
            H_DATABASE_bUpdateValueFloat(FCID("YSLD"), c.lowerDepth, P_NORMAL);
        TARGETCANDIDATE list[S_DEPTH_CANDIDATES];
        ASSERT_EQ(S_DEPTH_u32FindTargets(&p.d, 9000 * P, list), c.targets);
        if (c.targets) {
            EXPECT_EQ(list[0].u32PeakIndex, 10000u);
        }
    }
    // The single threshold has no such test.
    H_DATABASE_bUpdateValueFloat(FCID("YSLD"), 0.0f, P_NORMAL);
    p.d.Beam = 2;
    TARGETCANDIDATE list[S_DEPTH_CANDIDATES];
    EXPECT_EQ(S_DEPTH_u32FindTargets(&p.d, 9000 * P, list), 1u);
}

TEST_F(DepthTest, TheBottomIsTheStartOrThePeakLessSeven)
{
    const struct {
        const char* name;
        BEAM beam;
        U8 transducer;
        U32 samples, hertz;
        U8 background;
        std::vector<Echo> echoes;
        U32 bottom;
    } cases[] = {
        {"the start on beam 2", 2, 1, 2000, 455000, 0, {{996, 40, 100, 100}}, 1000},
        {"the peak less 7 on beam 1", 1, 1, 300, 200000, 0, {{196, 40, 100, 100}}, 193},
        {"the peak less 7 on beam 2 of transducer 15", 2, 15, 2000, 455000, 0, {{1000, 40, 100, 100}}, 993},
        {"the peak less 7 on beam 255", 255, 1, 2000, 455000, 0, {{996, 40, 100, 100}}, 993},
        // The echo starts at 56, the average reaches the threshold at 53
        // and its peak (70) lies beyond the 4 ft near range (64).
        {"a start inside 4 ft with a raw peak of 229 is no bottom", 2, 1, 2000, 455000, 10,
         {{56, 44, 100, 100}, {70, 1, 120, 229}}, 0},
        {"a start inside 4 ft with a raw peak of 230 is", 2, 1, 2000, 455000, 10,
         {{56, 44, 100, 100}, {70, 1, 120, 230}}, 53},
        {"beam 255 has no such test", 255, 1, 2000, 455000, 10, {{56, 44, 100, 100}, {70, 1, 120, 200}}, 63},
        {"and a near range of 1 ft", 255, 1, 2000, 455000, 0, {{17, 40, 100, 100}}, 14},
        {"where beam 2 has 4 ft", 2, 1, 2000, 455000, 0, {{17, 40, 100, 100}}, 0},
        // A strong surface echo whose peak lies in the first 7 samples.
        {"a peak less 7 stops at 0", 1, 1, 300, 200000, 0, {{0, 30, 200, 240}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        S_DEPTH_vResetForTests();
        Ping p(c.beam, c.samples, c.hertz, c.transducer);
        p.background(c.background).at(10000);
        for (const Echo& e : c.echoes)
            p.echo(e);
        EXPECT_EQ(p.find(), c.bottom * P);
    }
}

TEST_F(DepthTest, AStrongShallowBottomIsFoundUnderItsStrongerSecondReturn)
{
    // The bottom (150) and its second return (300), both strong raw echoes;
    // the return is the stronger target, the bottom the shallower.
    Ping p(2, 2000, 455000);
    p.background(10).echo({150, 40, 100, 240}).echo({300, 40, 180, 240}).at(10000);
    EXPECT_EQ(p.find(), 147u * P);
    EXPECT_EQ(S_DEPTH_pTrackerForTests(2)->u32LastLockedDepthMicroseconds, 150u * P);

    // Deeper than 10399 us the strongest stands.
    S_DEPTH_vResetForTests();
    Ping deep(2, 2000, 455000);
    deep.background(10).echo({250, 40, 100, 240}).echo({500, 40, 180, 240}).at(10000);
    EXPECT_EQ(deep.find(), 497u * P);
}

TEST_F(DepthTest, BottomsOfTheLastHalfSecondAreWeightedByTheirAge)
{
    Ping first(2, 2000, 455000);
    first.echo({996, 40, 100, 100}).at(10000);
    EXPECT_EQ(first.find(), 1000u * P);
    Ping second(2, 2000, 455000);
    second.echo({1096, 40, 100, 100}).at(10100);
    EXPECT_EQ(second.find(), 1056u * P) << "(500 x 1100 + 400 x 1000 + 450) / 900";
    Ping later(2, 2000, 455000);
    later.echo({1096, 40, 100, 100}).at(10600);
    EXPECT_EQ(later.find(), 1100u * P) << "the 1000 is 600 ms old, the first 1100 500 ms";
}

TEST_F(DepthTest, APingWithoutABottomLeavesTheBeamAsItWas)
{
    // After five bottoms at 1000 (10000 to 10400 ms) a bottom at 1100 at
    // 10460 ms replaces the oldest and weighs 500 against 140 + 240 + 340
    // + 440: 1030. Had the empty ping taken a place in the ring, the 1100
    // would have replaced the second oldest: 1033.
    const struct {
        const char* name;
        std::function<U32()> empty;
    } cases[] = {
        {"all samples 0", [] { return Ping(2, 2000, 455000).at(10450).find(); }},
        {"all samples 0 under the curve", [] { return Ping(2, 2000, 455000, 15).at(10450).find(); }},
        {"five samples", [] {
             Ping p(2, 5, 455000, 1, 5);
             p.echo({0, 5, 200, 240}).at(10450);
             return p.find();
         }},
        {"a start at n - 5", [] {
             Ping p(2, 2000, 455000);
             p.echo({996, 40, 100, 100}).at(10450);
             return p.find(1995 * P);
         }},
        {"a start past the ping", [] {
             Ping p(2, 2000, 455000);
             p.echo({996, 40, 100, 100}).at(10450);
             return p.find(0xFFFFFFFFu);
         }},
        {"no gain-corrected samples", [] {
             Ping p(2, 2000, 455000);
             p.echo({996, 40, 100, 100}).at(10450);
             p.d.pu8TvgdData = nullptr;
             return p.find();
         }},
        {"a sample period of 0", [] {
             Ping p(2, 2000, 455000);
             p.echo({996, 40, 100, 100}).at(10450);
             p.d.u32SamplePeriodMicroSeconds = 0;
             return p.find();
         }},
        {"only echoes too short", [] {
             Ping p(2, 2000, 455000);
             p.echo({996, 10, 100, 100}).at(10450);
             return p.find();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        S_DEPTH_vResetForTests();
        for (U32 k = 0; k < 5; ++k) {
            Ping p(2, 2000, 455000);
            p.echo({996, 40, 100, 100}).at(10000 + 100 * k);
            ASSERT_EQ(p.find(), 1000u * P);
        }
        const BOTTOMTRACKER before = *S_DEPTH_pTrackerForTests(2);
        EXPECT_EQ(c.empty(), 0u);
        EXPECT_EQ(S_DEPTH_pTrackerForTests(2)->u32PrevTallestDepthMicroseconds, before.u32PrevTallestDepthMicroseconds);
        EXPECT_EQ(S_DEPTH_pTrackerForTests(2)->u8LockedCounter, before.u8LockedCounter);
        Ping next(2, 2000, 455000);
        next.echo({1096, 40, 100, 100}).at(10460);
        EXPECT_EQ(next.find(), 1030u * P);
    }
}

TEST_F(DepthTest, ShortPingsAreNotReadBeyondTheirSamples)
{
    // Buffers of exactly n bytes: the sanitizer sees any read past them.
    for (U32 n = 0; n <= 7; ++n) {
        SCOPED_TRACE(n);
        Ping p(1, n, 200000, 1, n);
        for (U32 i = 0; i < n; ++i) {
            p.tvgd[i] = 200;
            p.raw[i] = 240;
        }
        p.at(10000);
        EXPECT_EQ(p.find(), 0u);
        TARGETCANDIDATE list[S_DEPTH_CANDIDATES];
        S_DEPTH_u32FindTargets(&p.d, 0, list);
    }
}

TEST_F(DepthTest, Beam255KeepsATrackerAndHistoryOfItsOwn)
{
    Ping first(3, 2000, 455000);
    first.echo({996, 40, 100, 100}).at(10000);
    EXPECT_EQ(first.find(), 1000u * P);
    Ping other(255, 2000, 455000);
    other.echo({1496, 40, 100, 100}).at(10050);
    EXPECT_EQ(other.find(), 1493u * P);
    for (U32 slot = 0; slot < 3; ++slot)
        EXPECT_EQ(S_DEPTH_pTrackerForTests(slot)->u32LastLockTimeMs, 0u) << slot;
    EXPECT_EQ(S_DEPTH_pTrackerForTests(4)->u32LastLockTimeMs, 10050u);
    Ping second(3, 2000, 455000);
    second.echo({1096, 40, 100, 100}).at(10100);
    EXPECT_EQ(second.find(), 1056u * P) << "beam 255's bottom is not in beam 3's history";
    EXPECT_EQ(S_DEPTH_pTrackerForTests(3)->u32PrevTallestDepthMicroseconds, 1100u * P);
}

TEST_F(DepthTest, ABeamWithoutATrackerIsFatal)
{
    Ping p(4, 2000, 455000);
    p.echo({996, 40, 100, 100});
    EXPECT_EXIT(p.find(), ::testing::ExitedWithCode(10), "");
    EXPECT_NE(fatalLog().find("error: Invalid beam in ./Working/SOURCE/s_depth"), std::string::npos);
}

} // namespace
} // namespace sonar_test
