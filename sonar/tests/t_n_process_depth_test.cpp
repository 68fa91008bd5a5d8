// The unit's depth: the hysteresis choice as tables of successive calls
// from counters at 0, and the publication of "IDEP".
#include "sonar/tests/process_world.h"

namespace process_test {
namespace {

class DepthChoice : public ::testing::Test {
  protected:
    void SetUp() override
    {
        world();
        vResetBeamDepthHistory();
        s_BeamSelected = 1;
        db_u32WaterType = WATER_FRESH;
        s_fLowerDepth = 0.0f;
        g_au8Transducer[0] = g_au8Transducer[1] = 0;
    }
};

std::vector<float> choices(int n, float f200, float fLF, float fShort)
{
    std::vector<float> out;
    for (int i = 0; i < n; ++i)
        out.push_back(T_N_PROCESS_fSelectBestDepthInMeters(f200, fLF, fShort));
    return out;
}

std::vector<float> repeat(std::initializer_list<std::pair<int, float>> runs)
{
    std::vector<float> out;
    for (const auto& r : runs)
        out.insert(out.end(), r.first, r.second);
    return out;
}

TEST_F(DepthChoice, ShortTransmitWinsWhileItLasts)
{
    EXPECT_EQ(choices(9, 20.0f, 0.0f, 3.0f), repeat({{9, 3.0f}}));
    EXPECT_EQ(choices(1, 20.0f, 0.0f, 0.0f), repeat({{1, 20.0f}}));
}

TEST_F(DepthChoice, LowFrequencyAloneIsTrustedOnlyBeyond150Metres)
{
    EXPECT_EQ(choices(10, 0.0f, 100.0f, 0.0f), repeat({{10, 0.0f}}));
}

TEST_F(DepthChoice, FreshWaterSwitchesAbove175MetresWithHysteresis)
{
    EXPECT_EQ(choices(10, 175.0f, 200.0f, 0.0f), repeat({{10, 175.0f}}));
    vResetBeamDepthHistory();
    EXPECT_EQ(choices(10, 175.1f, 200.0f, 0.0f), repeat({{5, 200.0f}, {2, 175.1f}, {3, 200.0f}}));
}

TEST_F(DepthChoice, SaltWaterPrefersAgreementAndDeepLowFrequency)
{
    db_u32WaterType = WATER_SALT_DEEP;
    struct Case {
        float fLF;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {108.0f, repeat({{10, 100.0f}})},
        {120.0f, repeat({{10, 100.0f}})},
        {160.0f, repeat({{5, 160.0f}, {2, 100.0f}, {3, 160.0f}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fLF);
        vResetBeamDepthHistory();
        EXPECT_EQ(choices(10, 100.0f, c.fLF, 0.0f), c.expected);
    }
}

TEST_F(DepthChoice, Deep200kHzDepthWithBothBeamsLeavesItsCountersAlone)
{
    s_BeamSelected = 4;
    BeamDepthHistory.u32HFBeamValidCnt = 3;
    BeamDepthHistory.u32HFBeamInValidCnt = 0;
    choices(3, 160.0f, 0.0f, 0.0f);
    EXPECT_EQ(BeamDepthHistory.u32HFBeamValidCnt.load(), 3u);
    EXPECT_EQ(BeamDepthHistory.u32HFBeamInValidCnt.load(), 0u);
    // 200 kHz alone: counted.
    s_BeamSelected = 1;
    choices(1, 160.0f, 0.0f, 0.0f);
    EXPECT_EQ(BeamDepthHistory.u32HFBeamValidCnt.load(), 4u);
}

TEST_F(DepthChoice, Transducer15ForcesAShallow455kHzDepthForSixCalls)
{
    g_au8Transducer[1] = 15;
    H_DATABASE_bUpdateEverythingFloat(FCID("IDE4"), 3.0f, P_NORMAL, D_DEPTH, nullptr, 2);
    H_DATABASE_vDeleteEntry(FCID("IDE2"));
    EXPECT_EQ(fSelectBestDepth(), 3.0f);

    // The 455 kHz bottom is gone while the 200 kHz beam sees 3 m.
    H_DATABASE_vDeleteEntry(FCID("IDE4"));
    H_DATABASE_bUpdateEverythingFloat(FCID("IDE2"), 3.0f, P_NORMAL, D_DEPTH, nullptr, 2);
    std::vector<float> got;
    for (int i = 0; i < 8; ++i)
        got.push_back(fSelectBestDepth());
    EXPECT_EQ(got, repeat({{6, 0.0f}, {1, 3.0f}, {1, 0.0f}}));

    // Simulation never forces.
    s_u32SystemState = 4;
    u8Invalid455kHzCnt = 0;
    EXPECT_EQ(fSelectBestDepth(), 3.0f);
    s_u32SystemState = 3;
}

TEST_F(DepthChoice, SamplesFormChoosesLikeTheMetresForm)
{
    // 20 m and nothing from the low frequency: 20 m back in samples.
    const U32 s20 = u32SamplesOfDepth(20.0f);
    EXPECT_EQ(s20, ((U32)(20.0 * 2000000.0 / 1463) + 13) / 26);
    EXPECT_NEAR((double)T_N_PROCESS_u32SelectBestDepthInSamples(s20, 0), (double)s20, 1.0);
    // Down-imaging transducers: the higher beam in shallow fresh water.
    g_au8Transducer[1] = 17;
    const U32 s10 = u32SamplesOfDepth(10.0f);
    EXPECT_NEAR((double)T_N_PROCESS_u32SelectBestDepthInSamples(s20, s10), (double)s10, 1.0);
}

class DepthPublication : public ::testing::Test {
  protected:
    void SetUp() override
    {
        world();
        s_u32SystemState = 3;
        L_CLOCK_vAdvanceTestClock(10000);
    }
    void TearDown() override { L_CLOCK_vResetTestClock(); }
};

TEST_F(DepthPublication, AtMostEvery251MsNeverZeroAndLapsingAfter6s)
{
    T_N_PROCESS_vUpdateDepthInDatabase(12.0f);
    EXPECT_EQ(f32("IDEP"), 12.0f);
    EXPECT_EQ(s_fCurrentDepth.load(), 12.0f);
    L_CLOCK_vAdvanceTestClock(200);
    T_N_PROCESS_vUpdateDepthInDatabase(13.0f);
    EXPECT_EQ(f32("IDEP"), 12.0f);
    L_CLOCK_vAdvanceTestClock(100); // over 250 ms since the first
    T_N_PROCESS_vUpdateDepthInDatabase(14.0f);
    EXPECT_EQ(f32("IDEP"), 14.0f);
    L_CLOCK_vAdvanceTestClock(300);
    T_N_PROCESS_vUpdateDepthInDatabase(0.0f);
    EXPECT_EQ(f32("IDEP"), 14.0f);

    BOOLEAN valid = FALSE;
    float f = 0.0f;
    L_CLOCK_vAdvanceTestClock(5000);
    ASSERT_TRUE(H_DATABASE_bFetchFloat(FCID("IDEP"), &f, &valid, nullptr));
    EXPECT_TRUE(valid);
    L_CLOCK_vAdvanceTestClock(2000);
    ASSERT_TRUE(H_DATABASE_bFetchFloat(FCID("IDEP"), &f, &valid, nullptr));
    EXPECT_FALSE(valid);

    // In playback the depth stays.
    s_u32SystemState = 11;
    T_N_PROCESS_vUpdateDepthInDatabase(15.0f);
    L_CLOCK_vAdvanceTestClock(60000);
    ASSERT_TRUE(H_DATABASE_bFetchFloat(FCID("IDEP"), &f, &valid, nullptr));
    EXPECT_TRUE(valid);
    EXPECT_EQ(f, 15.0f);
    s_u32SystemState = 3;
}

TEST_F(DepthPublication, LocalSonarOffDeletesTheDepth)
{
    T_N_PROCESS_vUpdateDepthInDatabase(12.0f);
    ASSERT_TRUE(has("IDEP"));
    apply("ISEN", 0);
    EXPECT_FALSE(has("IDEP"));
    apply("ISEN", 1);
}

} // namespace
} // namespace process_test
