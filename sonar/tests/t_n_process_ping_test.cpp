// One ping through the processing task per case, with a recorder around
// the real signal functions: which run, in which order, with what.
#include "sonar/tests/process_world.h"

#include "sonar/history/t_n_history_state.h"

#include <cmath>

namespace process_test {
namespace {

class ProcessPing : public ::testing::Test {
  protected:
    void SetUp() override
    {
        world();
        g_au8Transducer[0] = g_au8Transducer[1] = 0;
        g_u32BottomUs = 0;
    }
};

TEST_F(ProcessPing, DisabledLocalSonarSendsLocalPingsBackButProcessesPeers)
{
    apply("ISEN", 0);
    const U32 before = pooled();
    vProcessPing(ping(1));
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(pooled(), before);

    PING_DESCRIPTOR* peer = ping(1);
    peer->bIsLocal = FALSE;
    vProcessPing(peer);
    EXPECT_NE(find("tvg"), nullptr);
    EXPECT_NE(find("merge"), nullptr);
    EXPECT_EQ(pooled(), before);
    apply("ISEN", 1);
}

TEST_F(ProcessPing, PingWithoutTransmitIsOnlyHandedOver)
{
    apply("YST1", 1);
    setU32("SSSP", 5);
    const U32 before = pooled();
    PING_DESCRIPTOR* p = ping(1);
    p->u8TransmitCycles = 0;
    vProcessPing(p);
    EXPECT_EQ(names(), std::vector<std::string>({"columns"}));
    EXPECT_EQ(pooled(), before);
    BOOLEAN noise = FALSE;
    EXPECT_EQ(T_N_PROCESS_eGetDataForDisplay(1, nullptr, nullptr, 0, 0, nullptr, 0, 0, nullptr, 0, 0, nullptr, 0, 0,
                                             0, FALSE, &noise),
              ACCUMULATOR_HAD_NO_DATA);
}

TEST_F(ProcessPing, A200kHzPingRunsTheChainInOrder)
{
    vProcessPing(ping(1, 4000));
    EXPECT_EQ(names(), std::vector<std::string>({"2of2", "expavg", "tvg", "tvg", "noise", "depth", "fish", "merge"}));
    EXPECT_EQ(find("2of2")->args, std::vector<long>({4000, 1}));
    EXPECT_EQ(find("expavg")->args, std::vector<long>({4000, 1, 3}));
    // First gain into the ping's own buffer from the average, then the
    // second from the filtered samples into the task's buffer.
    EXPECT_EQ(find("tvg", 0)->args, std::vector<long>({0, 2, 5, TRUE, WATER_FRESH, 0}));
    EXPECT_EQ(find("tvg", 1)->args, std::vector<long>({0, 0, 5, TRUE, WATER_FRESH, 0}));
    // Noise 10, peak 40, filter 25: target 25, a step of 20 at 0.15.
    EXPECT_EQ(find("noise")->args, std::vector<long>({4000, 1, 3}));
    // From the surface-clutter depth (1 ft) to the last sample.
    EXPECT_EQ(find("depth")->args, std::vector<long>({(long)(0.3048f * 2000000.0f / 1463.0f), 4000 * 26}));
}

TEST_F(ProcessPing, BeamsWithoutAccumulatorGoBackUnprocessedAndCounted)
{
    const U32 before = pooled();
    const U32 counted = s_u32ForeignBeamPings;
    for (BEAM beam : {BEAM(4), BEAM(255)})
        vProcessPing(ping(beam));
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(pooled(), before);
    EXPECT_EQ(s_u32ForeignBeamPings, counted + 2);

    // A peer claiming more samples than a buffer holds is cut to the buffer.
    PING_DESCRIPTOR* p = ping(1, 55000);
    p->u32NumberOfSamples = 70000;
    vProcessPing(p);
    EXPECT_EQ(find("depth")->args[1], 55000 * 26);
}

TEST_F(ProcessPing, DepthOffsetShiftsSamplesOutsideItsDeadBand)
{
    struct Case {
        float offset;
        U32 count;        // after the shift
        U32 firstNonZero; // of the raw samples
    };
    // 1 m is (1367 + 13) / 26 = 53 samples; 2000 m is far beyond the buffer.
    const Case cases[] = {
        {0.03f, 4000, 0}, {-0.03f, 4000, 0}, {1.0f, 4053, 53}, {-1.0f, 3947, 0}, {2000.0f, 55000, 55000},
        {-2000.0f, 0, 55000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        setFloat("YDPO", c.offset);
        PING_DESCRIPTOR* p = ping(1, 4000);
        p->pu8RawSonarData[0] = 77;
        vProcessPing(p);
        EXPECT_EQ(p->u32NumberOfSamples, c.count);
        U32 first = 0;
        while (first < 55000 && p->pu8RawSonarData[first] == 0)
            ++first;
        EXPECT_EQ(first, c.firstNonZero);
        if (c.count == 4053) {
            EXPECT_EQ(p->pu8RawSonarData[53], 77);
        }
        if (c.count == 3947) {
            EXPECT_EQ(p->pu8RawSonarData[3947], 0);
        }
        EXPECT_NEAR(p->fDepthOffsetFeet, c.offset > 0 ? c.offset * 3.2808333f : 0.0f, 1e-3f);
    }
    setFloat("YDPO", 0.0f);
}

TEST_F(ProcessPing, EightHundredKilohertzBeamsPublishOnlyInsideTheirGates)
{
    g_au8Transducer[1] = 17; // its imaging beams find their own bottom
    apply("YSSF", FCID("SSF5"));
    struct Case {
        BEAM beam;
        float depth;
        bool published;
    };
    const Case cases[] = {{2, 4.0f, false}, {2, 5.0f, false}, {2, 5.5f, true},
                          {3, 6.5f, false}, {3, 6.0f, true},  {3, 2.0f, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "beam " << (int)c.beam << " at " << c.depth);
        H_DATABASE_vDeleteEntry(FCID("IDE8"));
        g_u32BottomUs = (U32)std::lround(c.depth / (1463 * 5e-7));
        PING_DESCRIPTOR* p = ping(c.beam);
        vProcessPing(p);
        EXPECT_EQ(has("IDE8"), c.published);
        if (c.published) {
            EXPECT_NEAR(f32("IDE8"), c.depth, 0.01f);
        } else {
            EXPECT_EQ(p->fDepthMetres, 0.0f);
        }
    }
    apply("YSSF", FCID("SSF4"));
}

TEST_F(ProcessPing, FishScanFollowsTheCutOffOfTheFrequency)
{
    struct Case {
        BEAM beam;
        U32 frequency;
        U8 peak;
        bool scanned;
    };
    // Defaults: "SSN5" 80, "SSN8" 100, "SSN2" 160, "SSN4" 255.
    const Case cases[] = {
        {0, 50000, 79, true},   {0, 50000, 80, false},  {0, 83000, 80, true},  {0, 83000, 100, false},
        {1, 200000, 159, true}, {1, 200000, 160, false}, {2, 455000, 254, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "beam " << (int)c.beam << " " << c.frequency << " peak " << (int)c.peak);
        calls().clear();
        PING_DESCRIPTOR* p = ping(c.beam, 4000, c.frequency);
        p->u8PeakNoiseLevel = c.peak;
        vProcessPing(p);
        EXPECT_EQ(find("fish") != nullptr, c.scanned);
        ASSERT_NE(find("merge"), nullptr);
        if (!c.scanned) {
            EXPECT_EQ(find("merge")->args[0], 0);
        }
    }
    // A changed cut-off is followed.
    apply("SSN5", 90);
    calls().clear();
    PING_DESCRIPTOR* p = ping(0, 4000, 50000);
    p->u8PeakNoiseLevel = 85;
    vProcessPing(p);
    EXPECT_NE(find("fish"), nullptr);
}

TEST_F(ProcessPing, PingRateRestartsOnItsFirstPingAndOnOutliers)
{
    const U32 start = (U32)L_CLOCK_qwGetTimeInMillis();
    vProcessPing(ping(1));
    const U32 end = (U32)L_CLOCK_qwGetTimeInMillis();
    // The first period runs from 0 and is far above an empty ring's average.
    EXPECT_GE(u32("CSPT"), start);
    EXPECT_LE(u32("CSPT"), end);

    L_CLOCK_vAdvanceTestClock(1000000);
    vProcessPing(ping(1));
    EXPECT_GE(u32("CSPT"), 1000000u); // restarted on an outlier
    EXPECT_LT(u32("CSPT"), 1000000u + 60000u);
    L_CLOCK_vAdvanceTestClock(1000000);
    vProcessPing(ping(1));
    EXPECT_GE(u32("CSPT"), 1000000u); // within the band: the average
    EXPECT_LT(u32("CSPT"), 1000000u + 60000u);
    // Other beams do not count.
    L_CLOCK_vAdvanceTestClock(5);
    const U32 published = u32("CSPT");
    vProcessPing(ping(0));
    EXPECT_EQ(u32("CSPT"), published);
    L_CLOCK_vResetTestClock();
}

TEST_F(ProcessPing, RecordingSavesTheRawPingFirstAndBlankColumnsEmptyTheBeam)
{
    s_bRecordSonarActive = TRUE;
    vProcessPing(ping(1));
    ASSERT_FALSE(calls().empty());
    EXPECT_EQ(calls().front().name, "save");
    s_bRecordSonarActive = FALSE;

    // A recording the card cannot open is refused and the key reset.
    apply("CSRE", 1);
    EXPECT_FALSE(s_bRecordSonarActive);
    EXPECT_EQ(u32("CSRE"), 0u);

    apply("YST1", 1);
    setU32("SSSP", 5);
    calls().clear();
    mail(CMD_ID_BLANK_SCROLL_PING, 1);
    EXPECT_EQ(names(), std::vector<std::string>({"columns"}));
    BOOLEAN noise = FALSE;
    EXPECT_EQ(T_N_PROCESS_eGetDataForDisplay(1, nullptr, nullptr, 0, 0, nullptr, 0, 0, nullptr, 0, 0, nullptr, 0, 0,
                                             0, FALSE, &noise),
              ACCUMULATOR_HAD_NO_DATA);
}

TEST_F(ProcessPing, ShutdownOnlyReturnsDescriptors)
{
    mail(CMD_ID_SHUTDOWN, 0);
    const U32 before = pooled();
    auto* m = static_cast<PING_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(PING_MESSAGE)));
    memset(m, 0, sizeof *m);
    m->Header.Cmd = CMD_ID_SONAR_PROCESS_PING;
    m->pReturnDescriptor = ping(1);
    ASSERT_EQ(L_MBOX_Send(PROCESS_MAILBOX, &m->Header.msghdr, 3, 0), 0);
    drain();
    EXPECT_EQ(pooled(), before);
    EXPECT_TRUE(calls().empty());
}

// ---- Column pacing ----

std::vector<long> columnsPerPing(int pings, BEAM beam = 1)
{
    std::vector<long> out;
    for (int i = 0; i < pings; ++i) {
        calls().clear();
        PING_DESCRIPTOR* p = ping(beam);
        p->u8TransmitCycles = 0;
        vProcessPing(p);
        const Call* c = find("columns");
        out.push_back(c ? c->args[0] : 0);
    }
    return out;
}

TEST_F(ProcessPing, ChartSpeedSetsColumnsPerPingWithFractionsCarried)
{
    apply("YST1", 1);
    setU32("SSSP", 3);
    EXPECT_EQ(columnsPerPing(10), std::vector<long>({0, 1, 0, 1, 1, 0, 1, 0, 1, 1}));
    setU32("SSSP", 5);
    EXPECT_EQ(columnsPerPing(3), std::vector<long>({1, 1, 1}));
    setU32("SSSP", 10);
    EXPECT_EQ(columnsPerPing(2), std::vector<long>({2, 2}));
    // No 2D transducer: no columns outside playback.
    apply("YST1", 0);
    EXPECT_EQ(columnsPerPing(2), std::vector<long>({0, 0}));
}

TEST_F(ProcessPing, ChangeOfPlaybackDirectionRefillsForSixPings)
{
    // Turning looks up the history's column stores.
    t_n_history::vCreateWindowsAndStores();
    setU32("SSSP", 5);
    apply("CCST", 11);
    mail(CMD_ID_NEW_PLAYBACK_STATE, PLAYBACK_MODE_FORWARD);
    EXPECT_EQ(columnsPerPing(2), std::vector<long>({1, 1}));
    mail(CMD_ID_NEW_PLAYBACK_STATE, PLAYBACK_MODE_REVERSE);
    EXPECT_EQ(columnsPerPing(7), std::vector<long>({0, 0, 0, 0, 0, 0, 1}));
    // The same mode again changes nothing.
    mail(CMD_ID_NEW_PLAYBACK_STATE, PLAYBACK_MODE_REVERSE);
    EXPECT_EQ(columnsPerPing(1), std::vector<long>({1}));
    apply("CCST", 3);
}

TEST_F(ProcessPing, ABeamPingedEveryOtherCycleKeepsStep)
{
    apply("YST1", 1);
    apply("YST3", 1);
    setU32("SSSP", 5);
    // Cycles 0 1 2 | 0 1 | 0 ...: beam 2 was seen in one cycle only.
    for (BEAM b : {BEAM(0), BEAM(1), BEAM(2), BEAM(0), BEAM(1)}) {
        PING_DESCRIPTOR* p = ping(b);
        p->u8TransmitCycles = 0;
        vProcessPing(p);
    }
    calls().clear();
    PING_DESCRIPTOR* p = ping(0);
    p->u8TransmitCycles = 0;
    vProcessPing(p);
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].args, std::vector<long>({1, 0, 0}));
    EXPECT_EQ(calls()[1].args, std::vector<long>({1, 2, 0}));
}

} // namespace
} // namespace process_test
