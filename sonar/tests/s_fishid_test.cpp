// Fish detection on made-up pings: where the search starts and stops, the
// echo shape and size tests, the sizing tables and their choice, the cut
// to the deepest twelve and the strongest six, and the merge of beams'
// lists.
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/tests/sonar_root.h"

#include "store/h_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace sonar_test {
namespace {

constexpr U32 P = 26;

// Samples of a depth in metres at 1463 m/s.
U32 samplesAt(double metres) { return (U32)(metres * 2000000.0 / 1463.0 / P); }

// A ping of exactly n gain-corrected samples (so that reading past them is
// an error the sanitizer reports), silent unless echoes are added.
struct Ping {
    std::vector<U8> tvgd;
    PING_DESCRIPTOR d = {};
    Ping(BEAM beam, U32 n, float depthMetres, U8 cycles = 10, U32 hertz = 0) : tvgd(n, 0)
    {
        d.Beam = beam;
        d.u8TransmitCycles = cycles;
        d.u32NumberOfSamples = n;
        d.u32SamplePeriodMicroSeconds = P;
        d.pu8TvgdData = tvgd.data();
        d.fDepthMetres = depthMetres;
        d.u32TransmitFrequencyHertz = hertz ? hertz : beam == 0 ? 83000 : beam == 1 ? 200000 : 455000;
    }
    // An echo of `length` samples from `from` rising to `peak` at offset
    // `at` and falling again, never below its first sample (two thirds of
    // the peak).
    Ping& echo(U32 from, U32 length, U8 peak, U32 at)
    {
        const int entry = peak * 2 / 3;
        const int reach = (int)std::max(at, length - 1 - at);
        for (U32 t = 0; t < length; ++t) {
            const int away = std::abs((int)t - (int)at);
            const int rising = entry + (peak - entry) * (reach - away) / (reach + 1);
            tvgd[from + t] = (U8)(t == at ? peak : t == 0 ? entry : rising);
        }
        return *this;
    }
    Ping& fill(U32 from, U32 to, U8 level)
    {
        for (U32 i = from; i < to; ++i)
            tvgd[i] = level;
        return *this;
    }
    FISH_TARGET_LIST scan(WATER_TYPE water = WATER_FRESH, U8 sensitivity = 5)
    {
        FISH_TARGET_LIST list = {};
        list.u8NumberOfTargets = 99;
        list.bSimulatedFishList = TRUE;
        S_FISHID_vScanForFish(&list, &d, water, sensitivity);
        return list;
    }
};

std::vector<U32> depthsOf(const FISH_TARGET_LIST& list)
{
    std::vector<U32> out;
    for (U32 t = 0; t < list.u8NumberOfTargets; ++t)
        out.push_back(list.target[t].u32DepthInSamples);
    return out;
}

class FishScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_DATABASE_vInit();
        H_DATABASE_bUpdateEverythingU32(FCID("CSFL"), 83, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        g_u32SpeedOfSoundInWater = 1463;
        S_TRANSDUCER_v2DEnable(0);
        S_TRANSDUCER_vImagingEnable(0);
    }
};

TEST_F(FishScan, APingWithoutABottomOrWithoutSamplesHasNoFish)
{
    struct Case {
        const char* what;
        float depth;
        U32 period;
        U32 samples;
        bool data;
        bool lowBeamKnown;
    };
    const Case cases[] = {
        {"a fitting ping", 20.0f, P, 3000, true, true},
        {"depth 0", 0.0f, P, 3000, true, true},
        {"negative depth", -3.0f, P, 3000, true, true},
        {"depth not a number", NAN, P, 3000, true, true},
        {"period 0", 20.0f, 0, 3000, true, true},
        {"no samples", 20.0f, P, 0, true, true},
        {"no sample buffer", 20.0f, P, 3000, false, true},
        {"low-frequency beam unknown", 20.0f, P, 3000, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.lowBeamKnown)
            H_DATABASE_vDeleteEntry(FCID("CSFL"));
        Ping p(0, 3000, c.depth);
        p.echo(500, 10, 150, 5);
        p.d.u32SamplePeriodMicroSeconds = c.period;
        p.d.u32NumberOfSamples = c.samples;
        if (!c.data)
            p.d.pu8TvgdData = nullptr;
        const FISH_TARGET_LIST list = p.scan();
        const bool fits = c.depth == 20.0f && c.period && c.samples && c.data && c.lowBeamKnown;
        EXPECT_EQ(list.u8NumberOfTargets, fits ? 1 : 0);
        EXPECT_FALSE(list.bSimulatedFishList);
    }
}

TEST_F(FishScan, SaltWaterOnTheLowBeamIsSearchedToEightyPercentButNoLessThanThirtyMetres)
{
    struct Case {
        WATER_TYPE water;
        BEAM beam;
        float depth;
        double searchedTo;
    };
    const Case cases[] = {
        {WATER_SALT_DEEP, 0, 50.0f, 40.0},    {WATER_SALT_DEEP, 0, 35.0f, 30.0},
        {WATER_SALT_DEEP, 0, 20.0f, 20.0},    {WATER_SALT_SHALLOW, 0, 50.0f, 40.0},
        {WATER_FRESH, 0, 50.0f, 50.0},        {WATER_SALT_DEEP, 1, 50.0f, 50.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "water " << c.water << ", beam " << (int)c.beam << ", " << c.depth << " m");
        Ping p(c.beam, 4000, c.depth);
        const U32 above = samplesAt(c.searchedTo - 0.5), below = samplesAt(c.searchedTo + 0.5);
        p.echo(above - 5, 10, 150, 5).echo(below - 5, 10, 150, 5);
        EXPECT_EQ(depthsOf(p.scan(c.water)), std::vector<U32>{above});
    }
}

TEST_F(FishScan, TheSearchStartsAfterTheRingDown)
{
    // A fish-shaped echo after a pause in the ring-down belongs to the
    // transmit unless the pause was eight silent samples.
    for (U32 pause : {7u, 8u}) {
        SCOPED_TRACE(pause);
        Ping p(1, 3000, 20.0f);
        p.fill(0, 100, 40).fill(30, 30 + pause, 0).echo(30 + pause, 10, 150, 5).echo(300, 10, 150, 5);
        std::vector<U32> depths = depthsOf(p.scan());
        std::sort(depths.begin(), depths.end());
        EXPECT_EQ(depths, pause == 8 ? (std::vector<U32>{43, 305}) : (std::vector<U32>{305}));
    }
}

TEST_F(FishScan, AFishRightOnTheBottomEchoNeedsEightSilentSamplesBetween)
{
    for (U32 gap : {7u, 8u}) {
        SCOPED_TRACE(gap);
        Ping p(1, 3000, 0.0f);
        const U32 bottom = 1010 + gap;
        p.echo(1000, 10, 150, 5).fill(bottom, 3000, 200);
        p.d.fDepthMetres = (float)((bottom + 20) * P * 1463.0 / 2000000.0);
        EXPECT_EQ(p.scan().u8NumberOfTargets, gap == 8 ? 1 : 0);
    }
}

TEST_F(FishScan, AnEchoRunningIntoTheStopIndexIsNeverAFish)
{
    // A bottom 7 samples down: the search stops there, wherever the
    // samples are quiet.
    const float sevenSamples = 7.0f * P * 1463.0f / 2000000.0f + 0.0001f;
    Ping ends(1, 100, sevenSamples);
    ends.echo(1, 3, 150, 1);
    EXPECT_EQ(depthsOf(ends.scan()), std::vector<U32>{2});
    Ping runsOn(1, 100, sevenSamples);
    runsOn.echo(1, 7, 150, 3);
    EXPECT_EQ(runsOn.scan().u8NumberOfTargets, 0);
    Ping endsThere(1, 100, sevenSamples);
    endsThere.echo(1, 6, 150, 3);
    EXPECT_EQ(endsThere.scan().u8NumberOfTargets, 0) << "an echo that ends at the stop index runs into it";
}

TEST_F(FishScan, ABottomBelowTheLastSampleIsSearchedToTheLastSample)
{
    Ping p(1, 300, 50.0f);
    p.echo(100, 10, 150, 5).echo(290, 10, 150, 5);
    EXPECT_EQ(depthsOf(p.scan()), std::vector<U32>{105}) << "the echo that reaches the last samples is cut off";
}

TEST_F(FishScan, AnEchoStartsWhereTheSamplesRiseMoreThanTheSlopeOfTheirDepth)
{
    // The slope is 5 to sample 240, 4 to 800, 3 to 2240, then 2. A first
    // step steeper than that starts the echo there (7 samples long);
    // otherwise it starts at the next, steeper step (5 samples).
    struct Case {
        U32 at;
        U8 step;
        bool startsThere;
    };
    const Case cases[] = {{239, 5, false},  {240, 5, false}, {241, 5, true},  {800, 4, false}, {801, 4, true},
                          {2240, 3, false}, {2241, 3, true}, {5000, 2, false}, {5000, 3, true}, {5007, 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "a step of " << (int)c.step << " after sample " << c.at);
        Ping p(1, 6000, 100.0f);
        const U8 shape[] = {c.step, 100, 120, 150, 120, 100, c.step};
        for (U32 t = 0; t < sizeof shape; ++t)
            p.tvgd[c.at + 1 + t] = shape[t];
        const FISH_TARGET_LIST list = p.scan();
        ASSERT_EQ(list.u8NumberOfTargets, 1);
        EXPECT_EQ(list.target[0].u32DepthInSamples, c.at + 4);
        EXPECT_EQ(list.target[0].criteria.u32ElongationUs, (c.startsThere ? 7u : 5u) * P);
    }
}

TEST_F(FishScan, APingOfAnotherSamplePeriodIsSearchedToItsBottom)
{
    // At 13 us the slope table's rows end near samples 481, 1601 and 4481;
    // the search crosses each in silence.
    Ping p(1, 12000, 100.0f);
    p.d.u32SamplePeriodMicroSeconds = 13;
    for (U32 at : {300u, 1000u, 3000u, 9000u})
        p.echo(at, 20, 150, 10);
    std::vector<U32> depths = depthsOf(p.scan());
    std::sort(depths.begin(), depths.end());
    EXPECT_EQ(depths, (std::vector<U32>{310, 1010, 3010, 9010}));
}

TEST_F(FishScan, ThePeakMustLieInTheMiddleOfTheEcho)
{
    struct Case {
        U8 cycles;
        U32 length, peakAt;
        bool fish;
    };
    const Case cases[] = {
        {10, 10, 3, false}, {10, 10, 4, true}, {10, 10, 5, true}, {10, 10, 6, true}, {10, 10, 7, false},
        {10, 3, 1, true},   {10, 3, 2, false}, {3, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " samples, peak at " << c.peakAt);
        Ping p(1, 3000, 20.0f, c.cycles);
        p.echo(500, c.length, 150, c.peakAt);
        EXPECT_EQ(p.scan().u8NumberOfTargets, c.fish ? 1 : 0);
    }
}

TEST_F(FishScan, EchoLengthsWithinTheHoldsOfTheTransmitLength)
{
    // 200 kHz: D = 5 us x cycles; at 10 cycles the limits are 78 and 520
    // us, held at 58 and 650; at 20 cycles 156 and 1014, held at 117 and
    // 1267.
    struct Case {
        U8 cycles;
        U32 length;
        bool fish;
    };
    const Case cases[] = {{10, 3, true},  {10, 25, true}, {10, 26, false},
                          {20, 4, false}, {20, 5, true},  {20, 48, true}, {20, 49, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (int)c.cycles << " cycles, " << c.length << " samples");
        Ping p(1, 3000, 20.0f, c.cycles);
        p.echo(500, c.length, 150, c.length / 2);
        const FISH_TARGET_LIST list = p.scan(WATER_FRESH, 5);
        ASSERT_EQ(list.u8NumberOfTargets, c.fish ? 1 : 0);
        if (!c.fish)
            continue;
        const FISH_CRITERIA& k = list.target[0].criteria;
        EXPECT_EQ(k.u32MinElongationUs, c.cycles == 10 ? 78u : 156u);
        EXPECT_EQ(k.u32MaxElongationUs, c.cycles == 10 ? 520u : 1014u);
        EXPECT_EQ(k.u32ElongationUs, c.length * P);
        EXPECT_EQ(k.u8MinPeakAmplitude, 90) << "the 200 kHz fresh-water row 5, unscaled";
        EXPECT_EQ(k.u8MaxPeakAmplitude, 175);
        EXPECT_FALSE(k.bRemovedFish);
        EXPECT_EQ(list.target[0].beam, 1);
        EXPECT_TRUE(list.target[0].bIdPlusThisFish);
        EXPECT_EQ(list.target[0].pPreviousInstance, nullptr);
    }
}

TEST_F(FishScan, PeaksAndSizesAtSensitivityTenInFreshWaterAt83kHz)
{
    // Row 10 of the 83 kHz fresh-water table is 28/36/44 with a maximum of
    // 175: the search takes peaks above 21 and below 218.
    struct Case {
        U8 peak;
        int size; // -1: no fish
    };
    const Case cases[] = {{21, -1}, {22, 0}, {36, 0}, {37, 1}, {40, 1}, {44, 1}, {45, 2}, {217, 2}, {218, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE((int)c.peak);
        Ping p(0, 3000, 20.0f, 4);
        p.echo(500, 5, c.peak, 2);
        const FISH_TARGET_LIST list = p.scan(WATER_FRESH, 10);
        ASSERT_EQ(list.u8NumberOfTargets, c.size < 0 ? 0 : 1);
        if (c.size >= 0) {
            EXPECT_EQ(list.target[0].u8Size, c.size);
            EXPECT_EQ(list.target[0].u8Peak, c.peak);
            EXPECT_EQ(list.target[0].u32DepthInSamples, 502u);
        }
    }
    // A sensitivity beyond the table's rows counts as its last.
    Ping p(0, 3000, 20.0f, 4);
    p.echo(500, 5, 22, 2);
    for (U8 sensitivity : {11, 255})
        EXPECT_EQ(p.scan(WATER_FRESH, sensitivity).u8NumberOfTargets, 1) << (int)sensitivity;
}

TEST_F(FishScan, TheDeepestTwelveAreKeptAndTheStrongestSixReturned)
{
    Ping p(1, 3000, 20.0f);
    // Two strong echoes at the top, then twelve weaker ones whose peaks do
    // not follow their depth.
    const U8 peaks[14] = {200, 199, 104, 111, 100, 108, 103, 110, 101, 107, 105, 109, 102, 106};
    for (U32 e = 0; e < 14; ++e)
        p.echo(300 + 40 * e, 5, peaks[e], 2);
    const FISH_TARGET_LIST list = p.scan();
    ASSERT_EQ(list.u8NumberOfTargets, 6);
    std::vector<int> got;
    for (U32 t = 0; t < 6; ++t) {
        got.push_back(list.target[t].u8Peak);
        const U32 e = (list.target[t].u32DepthInSamples - 302) / 40;
        EXPECT_EQ(list.target[t].u8Peak, peaks[e]) << "depth and peak stay together";
    }
    EXPECT_EQ(got, (std::vector<int>{111, 110, 109, 108, 107, 106}));
}

TEST_F(FishScan, SizingTableByBeamFrequencyTransducerAndWater)
{
    struct Case {
        BEAM beam;
        U32 hertz;
        U8 transducer2D, transducerImaging;
        const FISH_SIZING_TABLE* fresh;
        const FISH_SIZING_TABLE* salt;
    };
    const Case cases[] = {
        {0, 50000, 1, 0, &FishThresholdTable50kHzFresh, &FishThresholdTable50kHzSalt},
        {0, 50000, 11, 0, &FishThresholdTable50kHzFresh, &FishThresholdTable50kHzSalt},
        {0, 83000, 11, 0, &FishThresholdTable83kHzFreshVeltra, &FishThresholdTable83kHzSaltVeltra},
        {0, 83000, 1, 0, &FishThresholdTable83kHzFresh, &FishThresholdTable83kHzSalt},
        {0, 200000, 4, 0, &FishThresholdTable83kHzFresh, &FishThresholdTable83kHzSalt},
        {1, 200000, 11, 0, &FishThresholdTable200kHzFreshVeltra, &FishThresholdTable200kHzSaltVeltra},
        {1, 200000, 1, 3, &FishThresholdTable200kHzFresh, &FishThresholdTable200kHzSalt},
        {2, 455000, 11, 3, &FishThresholdTableSarvil455kHzFresh, &FishThresholdTableSarvil455kHzSalt},
        {3, 455000, 1, 3, &FishThresholdTableSarvil455kHzFresh, &FishThresholdTableSarvil455kHzSalt},
        {2, 455000, 3, 2, &FishThresholdTableQuadBeam455kHzFresh, &FishThresholdTableQuadBeam455kHzSalt},
        {3, 455000, 1, 0, &FishThresholdTableQuadBeam455kHzFresh, &FishThresholdTableQuadBeam455kHzSalt},
    };
    for (const Case& c : cases) {
        S_TRANSDUCER_v2DEnable(c.transducer2D);
        S_TRANSDUCER_vImagingEnable(c.transducerImaging);
        for (WATER_TYPE w : {WATER_FRESH, WATER_SALT_DEEP, WATER_SALT_SHALLOW}) {
            SCOPED_TRACE(testing::Message() << "beam " << (int)c.beam << " at " << c.hertz << " Hz, transducers "
                                            << (int)c.transducer2D << "/" << (int)c.transducerImaging
                                            << ", water " << w);
            EXPECT_EQ(S_FISHID_pSizingTable(c.beam, c.hertz, w), w == WATER_FRESH ? c.fresh : c.salt);
        }
    }
}

TEST(FishSizingTables, EachRowGrowsFromSmallToLargeAndLowersWithSensitivity)
{
    const FISH_SIZING_TABLE* tables[] = {
        &FishThresholdTable50kHzSalt,           &FishThresholdTable83kHzSaltVeltra,
        &FishThresholdTable83kHzSalt,           &FishThresholdTable200kHzSaltVeltra,
        &FishThresholdTable200kHzSalt,          &FishThresholdTableSarvil455kHzSalt,
        &FishThresholdTableQuadBeam455kHzSalt,  &FishThresholdTableQuadBeam455kHzFresh,
        &FishThresholdTableSarvil455kHzFresh,   &FishThresholdTable200kHzFresh,
        &FishThresholdTable200kHzFreshVeltra,   &FishThresholdTable83kHzFresh,
        &FishThresholdTable83kHzFreshVeltra,    &FishThresholdTable50kHzFresh,
    };
    for (size_t t = 0; t < std::size(tables); ++t) {
        const FISH_SIZING_TABLE& table = *tables[t];
        for (U32 r = 0; r < FISH_SENSITIVITY_ROWS; ++r) {
            SCOPED_TRACE(testing::Message() << "table " << t << ", row " << r);
            const FISH_SIZE_THRESHOLD& row = table.Table[r];
            EXPECT_LT(row.u8Small, row.u8Medium);
            EXPECT_LT(row.u8Medium, row.u8Large);
            EXPECT_LT(row.u8Large, table.u8MaxPeak);
            if (r > 0) {
                EXPECT_LT(row.u8Small, table.Table[r - 1].u8Small);
                EXPECT_LE(row.u8Medium, table.Table[r - 1].u8Medium);
                EXPECT_LE(row.u8Large, table.Table[r - 1].u8Large);
            }
        }
    }
}

TEST(FishScanDeathTest, ABeamAboveThreeIsFatal)
{
    unitRoot();
    H_DATABASE_vInit();
    for (BEAM beam : {4, 255}) {
        SCOPED_TRACE((int)beam);
        Ping p(beam, 1000, 5.0f);
        EXPECT_EXIT(p.scan(), ::testing::ExitedWithCode(10), "");
        EXPECT_NE(fatalLog().find("Invalid beam"), std::string::npos);
    }
}

// ---- Merging ----

FISH_TARGET fish(U32 depth, U8 size, BEAM beam, BOOLEAN ignored = FALSE)
{
    FISH_TARGET f = {};
    f.u32DepthInSamples = depth;
    f.u8Size = size;
    f.u8Peak = 100;
    f.beam = beam;
    f.bIgnoreThisFish = ignored;
    return f;
}

FISH_TARGET_LIST listOf(std::initializer_list<FISH_TARGET> fishes, BOOLEAN simulated = FALSE)
{
    FISH_TARGET_LIST l = {};
    for (const FISH_TARGET& f : fishes)
        l.target[l.u8NumberOfTargets++] = f;
    l.bSimulatedFishList = simulated;
    return l;
}

TEST_F(FishScan, BeamsMergeFishLessThanHalfAFootApart)
{
    // Half a foot at 1463 m/s: (304800 / 1463 + 13) / 26 = 8 samples.
    for (U32 apart : {5u, 7u, 8u, 12u}) {
        SCOPED_TRACE(apart);
        FISH_TARGET_LIST existing = listOf({fish(1000, 2, 0)});
        const FISH_TARGET_LIST added = listOf({fish(1000 + apart, 1, 1)});
        S_FISHID_vMergeFishTargetLists(&existing, &added);
        if (apart < 8) {
            ASSERT_EQ(existing.u8NumberOfTargets, 1);
            EXPECT_EQ(existing.target[0].u8Size, 2) << "the larger size";
            EXPECT_EQ(existing.target[0].beam, 1) << "the larger beam";
            EXPECT_EQ(existing.target[0].u32DepthInSamples, 1000u);
        } else {
            EXPECT_EQ(depthsOf(existing), (std::vector<U32>{1000, 1000 + apart}));
        }
    }
    // The larger of each, whichever list brought it.
    FISH_TARGET_LIST side = listOf({fish(1000, 0, 3)});
    const FISH_TARGET_LIST narrow = listOf({fish(1003, 2, 1)});
    S_FISHID_vMergeFishTargetLists(&side, &narrow);
    ASSERT_EQ(side.u8NumberOfTargets, 1);
    EXPECT_EQ(side.target[0].u8Size, 2);
    EXPECT_EQ(side.target[0].beam, 3);

    // At 1000 m/s half a foot is (304 + 13) / 26 = 12 samples.
    g_u32SpeedOfSoundInWater = 1000;
    FISH_TARGET_LIST existing = listOf({fish(1000, 0, 0)});
    const FISH_TARGET_LIST added = listOf({fish(1011, 0, 1)});
    S_FISHID_vMergeFishTargetLists(&existing, &added);
    EXPECT_EQ(existing.u8NumberOfTargets, 1) << "the distance follows the speed of sound";
}

TEST_F(FishScan, MergingSkipsHiddenFishKeepsSixAndPassesOnTheSimulatedMark)
{
    // A hidden fish takes nothing over; a hidden new fish is appended as
    // it is.
    FISH_TARGET_LIST existing = listOf({fish(1000, 0, 0, TRUE)});
    FISH_TARGET_LIST added = listOf({fish(1002, 2, 1), fish(1001, 1, 1, TRUE)});
    S_FISHID_vMergeFishTargetLists(&existing, &added);
    ASSERT_EQ(depthsOf(existing), (std::vector<U32>{1000, 1002, 1001}));
    EXPECT_EQ(existing.target[0].u8Size, 0);
    EXPECT_TRUE(existing.target[2].bIgnoreThisFish);
    EXPECT_FALSE(existing.bSimulatedFishList);

    // A full list drops what does not merge; the simulated mark passes on.
    existing = listOf({fish(100, 0, 0), fish(200, 0, 0), fish(300, 0, 0), fish(400, 0, 0), fish(500, 0, 0)});
    added = listOf({fish(600, 0, 1), fish(700, 0, 1), fish(302, 2, 1)}, TRUE);
    S_FISHID_vMergeFishTargetLists(&existing, &added);
    EXPECT_EQ(depthsOf(existing), (std::vector<U32>{100, 200, 300, 400, 500, 600}));
    EXPECT_EQ(existing.target[2].u8Size, 2);
    EXPECT_TRUE(existing.bSimulatedFishList);

}

TEST(FishTargetListCopy, CopiesTheCountedFishAndLeavesTheRest)
{
    FISH_TARGET_LIST to = listOf({fish(1, 0, 0), fish(2, 0, 0), fish(3, 0, 0)});
    const FISH_TARGET_LIST from = listOf({fish(9, 2, 1)}, TRUE);
    S_FISHID_vCopyFishTargetList(&to, &from);
    EXPECT_EQ(depthsOf(to), std::vector<U32>{9});
    EXPECT_TRUE(to.bSimulatedFishList);
    EXPECT_EQ(to.target[1].u32DepthInSamples, 2u);

    FISH_TARGET_LIST tooMany = from;
    tooMany.u8NumberOfTargets = 200;
    S_FISHID_vCopyFishTargetList(&to, &tooMany);
    EXPECT_EQ(to.u8NumberOfTargets, 6) << "a count beyond the list is taken as a full list";
}

} // namespace
} // namespace sonar_test
