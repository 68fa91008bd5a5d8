// The ping step: what one wake of the ping task does (which ping cycle,
// an idle turn, or nothing) for the system state, the sonar switch, the
// source masks and the transducer; the rules that make room for a
// networked 360 unit; whether the system state lets the unit ping; and the
// ping rate while recording.
#include "kernel/l_clock.h"
#include "platform/h_coproc.h"
#include "sonar/tests/ping_world.h"

namespace ping_test {
namespace {

using namespace t_n_ping;

enum Outcome { DOWN_BEAM, SIDE_SCAN, KEELVIEW, IDLE, NOTHING };

const char* name(Outcome o)
{
    static const char* const names[] = {"down-beam", "side-scan", "Keelview", "idle", "nothing"};
    return names[o];
}

struct Unit {
    SYSTEM_STATE state = STATE_NORMAL_RUN;
    bool sonarOn = true;
    U32 clients = 0; // "ECPM"
    U32 local = 1;   // "ELPM"
    U32 transducer = 1;
    bool detected = true; // at start-up
    bool systemPings = true;
};

void setUp(const Unit& u)
{
    U_PING_vSetSystemState(u.state);
    s_bSystemPinging = u.systemPings;
    s_bSonarEnabled = u.sonarOn;
    s_u32ClientPingMask = u.clients;
    s_u32LocalPingMask = u.local;
    s_db_TransducerSelect = u.transducer;
    s_bTransducerDetectedAtStart = u.detected;
    // Without a coprocessor no block is written, so a flag set for an
    // earlier ping would still be waiting.
    s_bSwitchToLocalPing = FALSE;
    s_bPing2DNoKV = FALSE;
}

// Runs one step and says what it did. The descriptors it routed are
// processed and back in the pool afterwards.
Outcome step()
{
    process();
    descriptorPut();
    forget("AD05");
    H_COPROC_vResetForTests(); // the inputs are read at once again
    const PING_CYCLE_RECORD before = tCycleRecordForTests();
    vPingStep();
    const PING_CYCLE_RECORD after = tCycleRecordForTests();
    const bool put = descriptorPut();
    const bool adcRead = has("AD05");
    process();
    EXPECT_EQ(poolCount(), PING_DESCRIPTOR_COUNT);
    for (int c = 0; c < PING_CYCLE_COUNT; ++c) {
        if (after.au32Pings[c] != before.au32Pings[c]) {
            EXPECT_EQ(after.au32Pings[c], before.au32Pings[c] + 1);
            return (Outcome)c;
        }
    }
    // An idle turn reads the inputs and puts a descriptor back, which
    // wakes the loop again; nothing else does either.
    EXPECT_EQ(put, adcRead);
    return put ? IDLE : NOTHING;
}

class PingStep : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithPool();
        U_PING_vSetMSSDeployState(FALSE);
        s_u32SweepMode = 0;
        forget("YST3");
    }
};

TEST_F(PingStep, StateSwitchMasksAndTransducerChooseTheCycle)
{
    const struct {
        const char* what;
        Unit unit;
        Outcome expected;
    } cases[] = {
        {"sonar switched off", {.sonarOn = false}, IDLE},
        {"no source wanted", {.local = 0}, IDLE},
        {"only a network client wants 2D", {.clients = 1, .local = 0}, DOWN_BEAM},
        {"the system state does not ping", {.systemPings = false}, IDLE},
        {"transducer 1", {}, DOWN_BEAM},
        {"transducer 4", {.transducer = 4}, DOWN_BEAM},
        {"transducer 11", {.transducer = 11}, DOWN_BEAM},
        {"transducer 2", {.transducer = 2}, SIDE_SCAN},
        {"transducer 5", {.transducer = 5}, SIDE_SCAN},
        {"transducer 9", {.transducer = 9}, SIDE_SCAN},
        {"transducer 10", {.transducer = 10}, SIDE_SCAN},
        {"transducer 15", {.transducer = 15}, KEELVIEW},
        {"transducer 17", {.transducer = 17}, KEELVIEW},
        {"transducer 18", {.transducer = 18}, KEELVIEW},
        {"the 360 unit pings itself", {.transducer = 16}, NOTHING},
        {"the 360 unit in simulation", {.state = STATE_SIMULATION, .transducer = 16}, SIDE_SCAN},
        {"the 360 unit in the shop", {.state = STATE_POINT_OF_SALE, .transducer = 16}, SIDE_SCAN},
        {"no transducer", {.transducer = 0}, IDLE},
        {"transducer 3", {.transducer = 3}, IDLE},
        {"transducer 6", {.transducer = 6}, IDLE},
        {"transducer 7", {.transducer = 7}, IDLE},
        {"transducer 8", {.transducer = 8}, IDLE},
        {"transducer 12", {.transducer = 12}, IDLE},
        {"transducer 13", {.transducer = 13}, IDLE},
        {"transducer 14", {.transducer = 14}, IDLE},
        {"an unknown transducer", {.transducer = 19}, IDLE},
        {"no transducer found at start-up", {.detected = false}, IDLE},
        {"simulation without a transducer", {.state = STATE_SIMULATION, .detected = false}, DOWN_BEAM},
        {"start-up with a transducer", {.state = STATE_STARTUP}, IDLE},
        {"start-up without one", {.state = STATE_STARTUP, .detected = false}, NOTHING},
        {"burn-in", {.state = STATE_BURN_IN}, IDLE},
        {"playback", {.state = STATE_PLAYBACK}, IDLE},
    };
    for (const auto& c : cases) {
        setUp(c.unit);
        const Outcome got = step();
        EXPECT_EQ(got, c.expected) << c.what << ": " << name(got) << " instead of " << name(c.expected);
    }
}

TEST_F(PingStep, StartUpWithoutATransducerSaysWhyItRests)
{
    setUp({.state = STATE_STARTUP, .detected = false});
    LogCapture log;
    EXPECT_EQ(step(), NOTHING);
    EXPECT_NE(log.text().find("DO NOT Call vPerformNullPing, DMA channel not ready"), std::string::npos);
}

TEST_F(PingStep, AnIdleTurnTakesTwoMillisecondsAndKeepsEveryDescriptor)
{
    setUp({.sonarOn = false});
    const U64 start = L_CLOCK_qwGetTimeInMillis();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(step(), IDLE);
    EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - start, 10u);
}

// With the 360 unit out and sweeping the local pings make room for it; the
// stand-in history never shows a sweeping view and last showed an imaging
// view that was not the 360 unit's.
TEST_F(PingStep, NetworkedSweepingUnitAsksForLocalPingsToBeRebuilt)
{
    const struct {
        const char* what;
        Unit unit;
        bool deployed;
        U32 sweepMode;
        U32 sideSource; // "YST3"
        Outcome expected;
        bool switchToLocal;
        bool twoDOnly;
    } cases[] = {
        {"down beam, sweeping", {}, true, 1, 0, DOWN_BEAM, true, false},
        {"down beam, sweeping mode 3", {}, true, 3, 0, DOWN_BEAM, true, false},
        {"down beam, sweep mode 2", {}, true, 2, 0, DOWN_BEAM, false, false},
        {"down beam, retracted", {}, false, 1, 0, DOWN_BEAM, false, false},
        {"side scan, sweeping", {.transducer = 5}, true, 1, 16, SIDE_SCAN, true, false},
        {"side scan, a client wants Flankview", {.clients = 4, .transducer = 5}, true, 1, 16, SIDE_SCAN, false,
         false},
        {"side scan, retracted", {.transducer = 9}, false, 1, 16, SIDE_SCAN, false, false},
        {"Keelview, sweeping, 360 is the side source", {.transducer = 15}, true, 1, 16, KEELVIEW, true, true},
        {"Keelview, sweeping", {.transducer = 15}, true, 1, 5, KEELVIEW, true, false},
        {"Keelview, retracted, 360 is the side source", {.transducer = 17}, false, 0, 16, KEELVIEW, false, true},
        {"Keelview, a client wants Keelview", {.clients = 2, .transducer = 15}, true, 1, 16, KEELVIEW, false, false},
        {"Keelview in simulation", {.state = STATE_SIMULATION, .transducer = 15}, true, 1, 16, KEELVIEW, false,
         false},
        {"down beam in simulation", {.state = STATE_SIMULATION}, true, 1, 0, DOWN_BEAM, false, false},
    };
    for (const auto& c : cases) {
        setUp(c.unit);
        U_PING_vSetMSSDeployState(c.deployed);
        s_u32SweepMode = c.sweepMode;
        setU32("YST3", c.sideSource);
        EXPECT_EQ(step(), c.expected) << c.what;
        const PING_CYCLE_RECORD r = tCycleRecordForTests();
        EXPECT_EQ(r.bLastSwitchToLocal != FALSE, c.switchToLocal) << c.what;
        EXPECT_EQ(r.bLast2DNoKV != FALSE, c.twoDOnly) << c.what;
    }
}

TEST_F(PingStep, OnlyTheStillEndsOfAPlaybackLeaveTheTransducerToThePingTask)
{
    U_PING_vSetSystemState(STATE_PLAYBACK);
    for (U32 mode = 0; mode <= 20; ++mode) {
        s_u32PlaybackMode = mode;
        const bool pings = mode == 0 || mode == 1 || mode == 11 || mode == 12 || mode > 16;
        EXPECT_EQ(bShouldSystemPing() != FALSE, pings) << "mode " << mode;
    }
}

TEST_F(PingStep, SystemStatesThatPing)
{
    const struct {
        SYSTEM_STATE state;
        bool networkFeatures; // "SFEF"
        bool transducer;      // "ITXD"
        bool pings;
    } cases[] = {
        {(SYSTEM_STATE)0, false, true, false},
        {STATE_STARTUP, false, true, true},
        {STATE_BURN_IN, false, true, true},
        {STATE_NORMAL_RUN, false, false, true},
        {STATE_NORMAL_RUN, true, false, false},
        {STATE_NORMAL_RUN, true, true, true},
        {STATE_SIMULATION, true, false, true},
        {STATE_POINT_OF_SALE, true, false, true},
        {STATE_PC_CONNECT, false, true, false},
        {STATE_INLINE_TEST, false, true, true},
    };
    for (const auto& c : cases) {
        U_PING_vSetSystemState(c.state);
        H_DATABASE_bUpdateEverythingBoolean(FCID("SFEF"), c.networkFeatures, P_NORMAL, D_UNKNOWN, nullptr,
                                            DB_TIMEOUT_NEVER);
        if (c.transducer)
            setU32("ITXD", 1);
        else
            forget("ITXD");
        EXPECT_EQ(bShouldSystemPing() != FALSE, c.pings) << "state " << (int)c.state;
    }
}

// The task measures the interval from the end of one recorded ping step to
// the end of the next (read in whole milliseconds, hence the one allowed).
TEST_F(PingStep, RecordingAtAFixedRateSpacesThePings)
{
    const struct {
        U32 rate; // "SRPS"
        bool recording;
        bool spaced; // at least 1000 / rate ms apart
    } cases[] = {{4, true, true}, {10, true, true}, {4, false, false}, {11, true, false}, {0, true, false}};
    for (const auto& c : cases) {
        setUp({});
        apply("SRPS", c.rate);
        apply("CSRE", FALSE);
        apply("CSRE", c.recording);
        U64 gapMin = ~0ull, previous = 0;
        const U32 pings = tCycleRecordForTests().au32Pings[PING_CYCLE_DOWN_BEAM];
        for (int i = 0; i < 3; ++i) {
            vPingStep();
            const U64 now = L_CLOCK_qwGetTimeInMillis();
            process();
            if (i > 0)
                gapMin = std::min(gapMin, now - previous);
            previous = now;
        }
        EXPECT_EQ(tCycleRecordForTests().au32Pings[PING_CYCLE_DOWN_BEAM], pings + 3);
        if (c.spaced)
            EXPECT_GE(gapMin + 1, 1000u / c.rate) << "rate " << c.rate;
        else
            EXPECT_LT(gapMin, 100u) << "rate " << c.rate << (c.recording ? " recording" : "");
    }
}

} // namespace
} // namespace ping_test
