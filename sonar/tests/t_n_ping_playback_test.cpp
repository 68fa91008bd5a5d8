// The playback step of task 60 against a scripted reader: pausing, the
// end of a recording, the beams in "CSBP" and what goes to processing.
#include "kernel/l_clock.h"
#include "sonar/neighbour_standins.h"
#include "sonar/tests/ping_world.h"

#include <chrono>
#include <deque>

using namespace ping_test;
using namespace t_n_ping;

namespace {

struct Read {
    U32 result;
    BEAM beam;
};

std::deque<Read> s_script;
U32 s_reads = 0;

U32 u32Scripted(PING_DESCRIPTOR* p, S32* delay, PLAYBACK_MODE_TYPE, BOOLEAN* seek)
{
    ++s_reads;
    *delay = 0;
    if (seek)
        *seek = FALSE;
    if (s_script.empty())
        return 0;
    const Read r = s_script.front();
    s_script.pop_front();
    p->Beam = r.beam;
    p->u32PingIndex = s_reads;
    p->u32NumberOfSamples = 0;
    return r.result;
}

const SONAR_CARD_CALLS s_reader = {.u32ReadPingFromMMC = u32Scripted};

class Playback : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithPool();
        T_MMC_vInstallSonarCalls(&s_reader);
        U_PING_vSetSystemState(STATE_PLAYBACK);
        U_PING_vSetPlayback(TRUE);
        for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
            U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, s);
        s_u32PlaybackMode = PLAYBACK_MODE_FORWARD;
        T_N_PING_vResetReadBeamPinging();
        setU32("CSBP", 0);
        setU32("CPSP", PLAYBACK_MODE_FORWARD);
        s_script.clear();
        s_reads = 0;
        process();
    }
    void TearDown() override
    {
        T_MMC_vInstallSonarCalls(nullptr);
        process();
    }

    // Runs the script to its end; the mails that went to processing.
    std::vector<Processed> play(std::initializer_list<Read> reads)
    {
        s_script.assign(reads);
        std::vector<Processed> all;
        while (!s_script.empty()) {
            T_N_PING_vRecordPlayback();
            for (const Processed& p : process())
                all.push_back(p);
        }
        return all;
    }
};

TEST_F(Playback, PausedOrNotPlayingTheStepOnlySleepsHalfASecondAndTakesNoDescriptor)
{
    struct Case {
        const char* name;
        BOOLEAN playing;
        U32 mode;
    } cases[] = {{"paused", TRUE, PLAYBACK_MODE_PAUSED},
                 {"paused at the beginning", TRUE, PLAYBACK_MODE_PAUSED_BEGIN},
                 {"paused at the end", TRUE, PLAYBACK_MODE_PAUSED_END},
                 {"no playback", FALSE, PLAYBACK_MODE_FORWARD}};
    for (const Case& c : cases) {
        U_PING_vSetPlayback(c.playing);
        s_u32PlaybackMode = c.mode;
        const U32 pool = poolCount();
        s_script.assign({{1, 0}});
        const auto start = std::chrono::steady_clock::now();
        T_N_PING_vRecordPlayback();
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        EXPECT_GE(ms, 495) << c.name;
        EXPECT_EQ(s_reads, 0u) << c.name;
        EXPECT_EQ(poolCount(), pool) << c.name;
        EXPECT_TRUE(process().empty()) << c.name;
    }
}

TEST_F(Playback, ATwoBeamRecordingEndsOnlyWhenBothBeamsEnded)
{
    const U32 pool = poolCount();
    play({{1, 0}, {1, 1}, {2, 0}});
    EXPECT_EQ(u32("CSBP"), 0x2u);
    EXPECT_EQ(u32("CPSP"), (U32)PLAYBACK_MODE_FORWARD) << "beam 1 still plays";
    play({{2, 1}});
    EXPECT_EQ(u32("CSBP"), 0u);
    EXPECT_EQ(u32("CPSP"), (U32)PLAYBACK_MODE_PAUSED_END);
    EXPECT_EQ(poolCount(), pool) << "every descriptor came back";
}

TEST_F(Playback, ABeamSilentForTwelveReadsDropsOut)
{
    // Beam 0's count-down of 12 runs down over the next twelve reads; the
    // read after them no longer counts it.
    play({{1, 0}});
    for (int i = 0; i < 12; ++i)
        play({{1, 1}});
    EXPECT_EQ(u32("CSBP"), 0x3u) << "beam 0's ping is 12 reads back";
    play({{1, 1}});
    EXPECT_EQ(u32("CSBP"), 0x2u);
}

TEST_F(Playback, AnEmptyColumnRemovesItsBeamAtOnceAndScrollsABlank)
{
    play({{1, 0}, {1, 1}});
    const std::vector<Processed> mails = play({{238, 1}});
    EXPECT_EQ(u32("CSBP"), 0x1u);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_BLANK_SCROLL_PING);
    EXPECT_EQ(mails[0].beam, 1);
}

TEST_F(Playback, PlayedPingsGoToProcessingAndNothingReadPutsTheDescriptorBack)
{
    const U32 pool = poolCount();
    const std::vector<Processed> mails = play({{1, 0}, {0, 0}, {1, 3}});
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_SONAR_PROCESS_PING);
    EXPECT_EQ(mails[1].descriptor->Beam, 3);
    EXPECT_EQ(poolCount(), pool);
}

} // namespace
