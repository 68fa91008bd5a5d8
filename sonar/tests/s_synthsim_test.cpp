// The sonar simulation: the demo recording's layout, replay order and its
// loops, records that are skipped and indexes without a playable record,
// missing files, the current position in place of the recorded one; the
// scene clock, the depth profile, and the synthesised ping with its bottom,
// fish list and the thermocline's end.
#include "sonar/dsp/s_synthsim.h"
#include "sonar/tests/sonar_root.h"

#include "kernel/l_clock.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_tvg.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace sonar_test {
namespace {

// One record as the recording holds it, written here byte by byte.
struct Rec {
    U8 beam;
    U32 hertz;
    S32 lon, lat;
    U8 cycles, power;
    U32 samples;
    U32 period;
    U8 fill; // every sample's value
};

void put32(std::string& s, U32 v)
{
    s += (char)(v >> 24);
    s += (char)(v >> 16);
    s += (char)(v >> 8);
    s += (char)v;
}

std::string bytes(const Rec& r, U32 samplesWritten)
{
    std::string s;
    s += (char)r.beam;
    put32(s, r.hertz);
    put32(s, (U32)r.lon);
    put32(s, (U32)r.lat);
    s += (char)r.cycles;
    s += (char)r.power;
    put32(s, r.samples);
    put32(s, r.period);
    s.append(samplesWritten, (char)r.fill);
    return s;
}

Rec rec(U8 beam, U8 fill, U32 samples = 100)
{
    return {beam, 200000u + fill, 111, 222, (U8)(10 + fill), 1, samples, 26, fill};
}

class Synthsim : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        opt_nolog = TRUE;
        H_DATABASE_vInit();
        H_DATABASE_vDeleteEntry(FCID("ILAT"));
        H_DATABASE_vDeleteEntry(FCID("ILON"));
        S_SYNTHSIM_vResetForTests();
        vt::makeDirs(at("/usr/vondrel/SONARSIM"));
        std::remove(at(S_SYNTHSIM_RECORD_FILE).c_str());
        std::remove(at(S_SYNTHSIM_INDEX_FILE).c_str());
        samples_.assign(PING_MAX_SAMPLES, 0xEE);
        ping_ = {};
        ping_.pu8RawSonarData = samples_.data();
        ping_.Beam = 9;
        ping_.bSimulated = TRUE;
    }
    void TearDown() override { S_SYNTHSIM_vResetForTests(); }

    // Writes the records one after another and an index of the given
    // record numbers (-1: an offset past the end of the record file).
    void write(const std::vector<std::string>& records, const std::vector<int>& order)
    {
        std::string son;
        std::vector<U32> offsets;
        for (const std::string& r : records) {
            offsets.push_back((U32)son.size());
            son += r;
        }
        std::string idx;
        for (int k : order)
            put32(idx, k < 0 ? (U32)son.size() + 1000 : offsets[(size_t)k]);
        ASSERT_TRUE(vt::writeFile(at(S_SYNTHSIM_RECORD_FILE), son));
        ASSERT_TRUE(vt::writeFile(at(S_SYNTHSIM_INDEX_FILE), idx));
    }

    // The fill value of the next replayed ping; -1 when none came.
    int next()
    {
        ping_.Beam = 9;
        ping_.u32NumberOfSamples = 0;
        EXPECT_EQ(S_SYNTHSIM_fSynthesizeReturn(&ping_), 0.0f);
        if (ping_.Beam == 9)
            return -1;
        EXPECT_EQ(ping_.u32TransmitFrequencyHertz, 200000u + samples_[0]);
        EXPECT_EQ(ping_.u8TransmitCycles, 10 + samples_[0]);
        return samples_[0];
    }

    std::vector<U8> samples_;
    PING_DESCRIPTOR ping_;
};

TEST_F(Synthsim, RecordHeaderLayout)
{
    const SYNTHSIM_RECORD r = {3, 455000, -2, 0x01020304, 20, 7, 55000, 26};
    U8 out[S_SYNTHSIM_RECORD_HEADER_BYTES];
    S_SYNTHSIM_vEncodeRecordHeader(&r, out);
    const U8 expect[] = {3,    0x00, 0x06, 0xF1, 0x58, 0xFF, 0xFF, 0xFF, 0xFE, 0x01, 0x02, 0x03,
                         0x04, 20,   7,    0x00, 0x00, 0xD6, 0xD8, 0x00, 0x00, 0x00, 26};
    EXPECT_EQ(std::vector<U8>(out, out + sizeof out), std::vector<U8>(expect, expect + sizeof expect));
    SYNTHSIM_RECORD back = {};
    S_SYNTHSIM_vDecodeRecordHeader(expect, &back);
    EXPECT_EQ(back.Beam, 3);
    EXPECT_EQ(back.u32TransmitFrequencyHertz, 455000u);
    EXPECT_EQ(back.s32LongitudeMM, -2);
    EXPECT_EQ(back.s32LatitudeMM, 0x01020304);
    EXPECT_EQ(back.u8TransmitCycles, 20);
    EXPECT_EQ(back.u8TransmitPower, 7);
    EXPECT_EQ(back.u32NumberOfSamples, 55000u);
    EXPECT_EQ(back.u32SamplePeriodMicroSeconds, 26u);
    U8 entry[4];
    S_SYNTHSIM_vEncodeIndexEntry(0x00012345, entry);
    EXPECT_EQ(std::vector<U8>(entry, entry + 4), (std::vector<U8>{0x00, 0x01, 0x23, 0x45}));
}

TEST_F(Synthsim, PlaysInIndexOrderAndStartsAgainWhenTheIndexEnds)
{
    write({bytes(rec(0, 1), 100), bytes(rec(1, 2), 100), bytes(rec(2, 3), 100)}, {1, 0, 2});
    EXPECT_EQ(next(), 2);
    EXPECT_EQ(ping_.Beam, 1);
    EXPECT_EQ(ping_.u32NumberOfSamples, 100u);
    EXPECT_EQ(ping_.u32SamplePeriodMicroSeconds, 26u);
    EXPECT_EQ(ping_.u8TransmitPower, 1);
    EXPECT_EQ(samples_[99], 2);
    EXPECT_EQ(samples_[100], 0xEE) << "only the record's samples are written";
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(next(), 3);
    EXPECT_EQ(next(), 2) << "the index ended: its first entry again";
    EXPECT_EQ(next(), 1);
}

TEST_F(Synthsim, ARecordFileReadToItsEndStartsAgainAtTheFirstRecord)
{
    // The third entry points at the second record again; but that record
    // ends the file, so the replay starts over instead.
    write({bytes(rec(0, 1), 100), bytes(rec(1, 2), 100)}, {0, 1, 1, 0});
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(next(), 2);
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(next(), 2);
}

TEST_F(Synthsim, RecordsOutOfRangeOrCutShortAreSkipped)
{
    write({bytes(rec(0, 1, 55001), 55001), bytes(rec(1, 2, 55000), 55000), bytes(rec(4, 3), 100),
           bytes(rec(3, 4), 100), bytes(rec(2, 5, 500), 10)},
          {0, 1, 2, 3, 4});
    EXPECT_EQ(next(), 2) << "55,001 samples skipped, 55,000 played";
    EXPECT_EQ(ping_.u32NumberOfSamples, 55000u);
    EXPECT_EQ(next(), 4) << "beam 4 skipped";
    EXPECT_EQ(ping_.Beam, 3);
    EXPECT_EQ(next(), 2) << "a record cut short skipped; the file's end starts it over";
}

TEST_F(Synthsim, AnIndexWithoutAPlayableRecordGivesNoPing)
{
    const struct {
        const char* what;
        std::vector<std::string> records;
        std::vector<int> order;
    } cases[] = {
        {"empty index", {bytes(rec(0, 1), 100)}, {}},
        {"every record bad", {bytes(rec(7, 1), 100), bytes(rec(0, 2, 60000), 100)}, {0, 1, -1, 0}},
        {"empty record file", {}, {-1, -1}},
        {"index shorter than an entry", {bytes(rec(0, 1), 100)}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        S_SYNTHSIM_vResetForTests();
        write(c.records, c.order);
        if (std::string(c.what) == "index shorter than an entry") {
            ASSERT_TRUE(vt::writeFile(at(S_SYNTHSIM_INDEX_FILE), std::string(3, '\0')));
        }
        for (int call = 0; call < 3; ++call)
            EXPECT_EQ(next(), -1);
        EXPECT_EQ(ping_.u32NumberOfSamples, 0u) << "the descriptor is left alone";
        EXPECT_TRUE(ping_.bSimulated);
    }
}

TEST_F(Synthsim, MissingFilesLeaveTheDescriptorAndAreTriedAgain)
{
    EXPECT_EQ(next(), -1) << "neither file";
    ASSERT_TRUE(vt::writeFile(at(S_SYNTHSIM_RECORD_FILE), bytes(rec(1, 7), 100)));
    EXPECT_EQ(next(), -1) << "no index";
    std::string idx;
    put32(idx, 0);
    ASSERT_TRUE(vt::writeFile(at(S_SYNTHSIM_INDEX_FILE), idx));
    EXPECT_EQ(next(), 7) << "both now there";
}

TEST_F(Synthsim, AReplayedPingCarriesTheCurrentPositionAndIsNotSimulated)
{
    write({bytes(rec(1, 5), 100)}, {0});
    EXPECT_EQ(next(), 5);
    EXPECT_FALSE(ping_.bSimulated);
    EXPECT_FALSE(ping_.Location.bPositionValid) << "no position keys";
    EXPECT_EQ(ping_.Location.s32LatitudeMM, 0);

    H_DATABASE_bUpdateEverythingS32(FCID("ILAT"), 5000000, P_NORMAL, D_POSITION_LAT_MM, nullptr, (U32)-1);
    H_DATABASE_bUpdateEverythingS32(FCID("ILON"), -1200000, P_NORMAL, D_POSITION_LON_MM, nullptr, (U32)-1);
    EXPECT_EQ(next(), 5);
    EXPECT_TRUE(ping_.Location.bPositionValid);
    EXPECT_EQ(ping_.Location.s32LatitudeMM, 5000000);
    EXPECT_EQ(ping_.Location.s32LongitudeMM, -1200000);
}

TEST_F(Synthsim, WithoutADescriptorTheSceneClockRunsOnePositionPerTwentyMilliseconds)
{
    const TICKS start = (TICKS)L_CLOCK_qwGetTimeInTicks();
    S_SYNTHSIM_vSetSceneForTests(100, start);
    U32 position = 0;
    TICKS stamp = 0;

    L_CLOCK_vAdvanceTestClock(15);
    S_SYNTHSIM_fSynthesizeReturn(nullptr);
    S_SYNTHSIM_vGetSceneForTests(&position, &stamp);
    EXPECT_EQ(position, 100u) << "15 ms: no step";
    EXPECT_GE(stamp - start, 15u) << "but the time stamp moved";
    L_CLOCK_vAdvanceTestClock(6);
    S_SYNTHSIM_fSynthesizeReturn(nullptr);
    S_SYNTHSIM_vGetSceneForTests(&position, &stamp);
    EXPECT_EQ(position, 100u) << "6 ms after the moved stamp";
    L_CLOCK_vAdvanceTestClock(45);
    S_SYNTHSIM_fSynthesizeReturn(nullptr);
    S_SYNTHSIM_vGetSceneForTests(&position, &stamp);
    EXPECT_EQ(position, 102u);

    S_SYNTHSIM_vSetSceneForTests(7199, (TICKS)L_CLOCK_qwGetTimeInTicks());
    L_CLOCK_vAdvanceTestClock(41);
    const float depth = S_SYNTHSIM_fSynthesizeReturn(nullptr);
    S_SYNTHSIM_vGetSceneForTests(&position, &stamp);
    EXPECT_EQ(position, 1u) << "7201 wraps to 1";
    EXPECT_NEAR(depth, fGetCurrentDepthAndHardness(1, 1, nullptr, nullptr), 1e-6);
}

TEST(SynthsimScene, DepthProfile)
{
    const struct {
        BEAM beam;
        U32 position;
        float depth;
    } cases[] = {
        {1, 0, 4.8f},    {1, 1100, 8.5f}, {2, 1100, 9.5f}, {3, 1100, 7.5f}, {0, 1100, 8.5f},
        {255, 1100, 8.5f}, {1, 550, 6.65f}, {1, 7200, 4.8f}, {2, 1400, 7.5f}, {3, 3400, 5.5f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(fGetCurrentDepthAndHardness(c.beam, c.position, nullptr, nullptr), c.depth, 1e-4)
            << "beam " << (int)c.beam << " at " << c.position;
    U8 hardness = 0;
    float slope = 1;
    fGetCurrentDepthAndHardness(1, 3300, &hardness, &slope);
    EXPECT_EQ(hardness, 180);
    EXPECT_NEAR(slope, 0.0f, 1e-6) << "a flat stretch";
    fGetCurrentDepthAndHardness(1, 550, &hardness, &slope);
    EXPECT_NEAR(slope, 4.8f - 8.5f, 1e-3) << "steepest half way";
    EXPECT_EQ(hardness, 64);
}

class SynthPing : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_DATABASE_vInit();
        S_SYNTHSIM_vResetForTests();
        samples_.assign(PING_MAX_SAMPLES, 0xEE);
    }
    PING_DESCRIPTOR ping(BEAM beam, U32 hertz, U32 period = 26)
    {
        PING_DESCRIPTOR p = {};
        p.Beam = beam;
        p.u32TransmitFrequencyHertz = hertz;
        p.u32SamplePeriodMicroSeconds = period;
        p.pu8RawSonarData = samples_.data();
        return p;
    }
    U32 index(float metres, U32 period = 26)
    {
        return ((U32)(metres * 2000000.0f / (float)g_u32SpeedOfSoundInWater) + period / 2) / period;
    }
    std::vector<U8> samples_;
};

TEST_F(SynthPing, TheBottomAndItsMultipleStandOutOnceTheGainIsApplied)
{
    PING_DESCRIPTOR p = ping(1, 200000);
    const float depth = S_SYNTHSIM_fSynthesizeAt(&p, 1100);
    EXPECT_NEAR(depth, 8.5f, 1e-4);
    EXPECT_NEAR(p.fDepthMetres, 8.5f, 1e-4);
    EXPECT_EQ(p.u32NumberOfSamples, S_SYNTHSIM_SAMPLES);
    EXPECT_TRUE(p.bSimulated);
    EXPECT_TRUE(p.SimulatedFishList.bSimulatedFishList);
    EXPECT_EQ(samples_[S_SYNTHSIM_SAMPLES], 0xEE) << "nothing past the ping";

    std::vector<U8> tvgd(S_SYNTHSIM_SAMPLES);
    S_TVG_TvgRawSonar(&p, samples_.data(), tvgd.data(), 1, FALSE, WATER_FRESH, 0);
    const U32 bottom = index(8.5f);
    // The ramp peaks 7 samples in at the beam's level, 160.
    EXPECT_GE(tvgd[bottom + 6], 150);
    EXPECT_LE(tvgd[bottom + 6], 160);
    U8 above = 0;
    for (U32 i = bottom / 2 + 40; i < bottom - 2; ++i)
        above = std::max(above, tvgd[i]);
    EXPECT_LT(above, 140) << "the water above is quieter than the bottom";
    EXPECT_GT(tvgd[2 * bottom + 6], 0) << "the first multiple";
}

TEST_F(SynthPing, AFishPassedInAStepIsListedOnce)
{
    // FishData200kHz has a fish at 420 (3.5 m, small).
    PING_DESCRIPTOR p = ping(1, 200000);
    S_SYNTHSIM_fSynthesizeAt(&p, 410);
    EXPECT_EQ(p.SimulatedFishList.u8NumberOfTargets, 0);
    S_SYNTHSIM_fSynthesizeAt(&p, 425);
    ASSERT_EQ(p.SimulatedFishList.u8NumberOfTargets, 1);
    const FISH_TARGET& fish = p.SimulatedFishList.target[0];
    const float slant = std::sqrt(3.5f * 3.5f + (5 * 0.04f) * (5 * 0.04f));
    EXPECT_EQ(fish.u32DepthInSamples, index(slant));
    EXPECT_EQ(fish.u8Size, 0);
    EXPECT_EQ(fish.u8Peak, 120);
    EXPECT_EQ(fish.beam, 1);
    EXPECT_TRUE(fish.bIdPlusThisFish);
    EXPECT_FALSE(fish.bIgnoreThisFish);
    EXPECT_EQ(fish.pPreviousInstance, nullptr);
    S_SYNTHSIM_fSynthesizeAt(&p, 430);
    EXPECT_EQ(p.SimulatedFishList.u8NumberOfTargets, 0) << "passed already";

    PING_DESCRIPTOR side = ping(2, 455000);
    S_SYNTHSIM_fSynthesizeAt(&side, 425);
    EXPECT_EQ(side.SimulatedFishList.u8NumberOfTargets, 0) << "each beam has its own tables";
}

TEST_F(SynthPing, ASeventhFishIsDrawnButNotListed)
{
    const SIM_FISH school[] = {{500, 2.0f, 0}, {500, 2.5f, 1}, {500, 3.0f, 2}, {500, 3.5f, 0},
                               {500, 4.0f, 1}, {500, 4.5f, 2}, {500, 5.5f, 1}};
    PING_DESCRIPTOR p = ping(0, 50000);
    p.u32NumberOfSamples = S_SYNTHSIM_SAMPLES;
    std::fill(samples_.begin(), samples_.begin() + S_SYNTHSIM_SAMPLES, 0);
    vSearchAndAddFish(&p, 499, 500, school, 7);
    EXPECT_EQ(p.SimulatedFishList.u8NumberOfTargets, 6);
    EXPECT_EQ(p.SimulatedFishList.target[5].u32DepthInSamples, index(4.5f));
    EXPECT_FALSE(p.SimulatedFishList.target[0].bIdPlusThisFish == FALSE) << "beam 0 fish get a label";
    const U32 seventh = index(5.5f);
    EXPECT_EQ(samples_[seventh], 0) << "the arch starts at 0";
    EXPECT_EQ(samples_[seventh + 5], 120) << "full level after the ramp";
}

TEST_F(SynthPing, BeamTwoFiftyFiveUsesBeamOnesTables)
{
    PING_DESCRIPTOR p = ping(255, 200000);
    S_SYNTHSIM_fSynthesizeAt(&p, 410);
    S_SYNTHSIM_fSynthesizeAt(&p, 425);
    EXPECT_NEAR(p.fDepthMetres, fGetCurrentDepthAndHardness(1, 425, nullptr, nullptr), 1e-6);
    ASSERT_EQ(p.SimulatedFishList.u8NumberOfTargets, 1);
    EXPECT_EQ(p.SimulatedFishList.target[0].beam, 255);
    EXPECT_FALSE(p.SimulatedFishList.target[0].bIdPlusThisFish);
}

TEST_F(SynthPing, TheThermoclineStopsWhenItsLevelRunsOut)
{
    // At 5 us a sample the band spans about 137 samples inside the ping,
    // more than the 33 marks that bring its level to 0.
    for (int round = 0; round < 20; ++round) {
        PING_DESCRIPTOR p = ping(1, 200000, 5);
        S_SYNTHSIM_fSynthesizeAt(&p, 5000);
        EXPECT_EQ(p.u32NumberOfSamples, S_SYNTHSIM_SAMPLES);
    }
}

TEST_F(SynthPing, ASamplePeriodOfZeroBecomesTheUnitsPeriod)
{
    PING_DESCRIPTOR p = ping(1, 200000, 0);
    S_SYNTHSIM_fSynthesizeAt(&p, 1100);
    EXPECT_EQ(p.u32SamplePeriodMicroSeconds, PING_SAMPLE_PERIOD_US);
}

TEST(SynthsimDeathTest, ABeamOtherThanZeroToThreeOr255IsFatal)
{
    unitRoot();
    std::vector<U8> samples(PING_MAX_SAMPLES);
    PING_DESCRIPTOR p = {};
    p.Beam = 4;
    p.u32SamplePeriodMicroSeconds = 26;
    p.pu8RawSonarData = samples.data();
    EXPECT_EXIT(fSynthesizeReturn(&p), ::testing::ExitedWithCode(10), "");
    EXPECT_NE(fatalLog().find("error: Invalid beam in ./Working/SOURCE/s_synthsim at 1018"), std::string::npos);
}

} // namespace
} // namespace sonar_test
