// The local ping cycles against the simulated coprocessor under the unit
// root: how deep a ping goes and listens, which transmit block each cycle
// writes and when, which beam each received channel carries, how the
// descriptors are filled and that every one of them finds its way back to
// the pool.
#include "kernel/l_clock.h"
#include "platform/h_coproc.h"
#include "platform/h_ppi_motor.h"
#include "platform/sim_coproc.h"
#include "sonar/dsp/s_transducer_common.h"
#include "sonar/dsp/s_txcycles.h"
#include "sonar/tests/ping_world.h"

#include <cmath>
#include <functional>

namespace ping_test {
namespace {

using namespace t_n_ping;

constexpr float IDEP = 20.0f;
constexpr float SIDE_RANGE = 30.0f;
constexpr U8 CYCLES = 20; // "SSTC"
constexpr TXPOWER POWER = TXPOWER_MED;
constexpr U8 BW_200 = 1;   // "SSW2"
constexpr U8 BW_LF = 2;    // "SSW1"
constexpr U8 BW_OTHER = 2; // "SSW3"

U16 S(float metres) { return u16SamplesForDepth(metres); }

float readFloat(const char (&key)[5])
{
    float f = -1.0f;
    H_DATABASE_bFetchFloat(FCID(key), &f, nullptr, nullptr);
    return f;
}

// The listening depth of the first ping after a reset (dither entry 0)
// for a depth below 80 m.
float firstListen(float d, BEAM beam, U32 view)
{
    const float f = fNewPingDepth[0];
    return (beam == 0 || beam == 4 || view == 51) ? d * (f + 1.55f) : d + f * d;
}

class PingCycles : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithPool();
        process();
        H_COPROC_vResetForTests();
        vt::writeFile(sonar_test::at("/dev/sonar0.scene"), "connected 1\nbottom 8\nnoise 12\nfish 0 0\n");
        H_COPROC_vInitialize();
        ASSERT_TRUE(H_COPROC_bCoprocessorReady());
        vResetCyclesForTests();
        g_u32SpeedOfSoundInWater = 1463;
        U_PING_vSetSystemState(STATE_NORMAL_RUN);
        s_bSimulateCoprocessor = FALSE;
        s_bBurnInMode = FALSE;
        s_bJiggingModeOn = FALSE;
        s_bAutoRange = FALSE;
        s_bTvgView = TRUE;
        s_u32LocalPingMask = ELEMENT_2D;
        s_u32ClientPingMask = 0;
        s_u32NetworkPingMask = 0;
        s_db_TransducerSelect = 1;
        s_u32TransmitCycles = CYCLES;
        s_u32TransmitPower = POWER;
        s_fMaxDepthToPing = 0.0f;
        s_eDepthUnits = U_METRES;
        s_fNetworkDepthToListen = 0.0f;
        s_fNetworkDepthToPing = 0.0f;
        s_u32SectorStepFactor = 4;
        s_bSwitchToLocalPing = FALSE;
        s_bPing2DNoKV = FALSE;
        s_bPingMaskChanged = FALSE;
        s_bNewSideRange = FALSE;
        U_PING_vSetBeamSelected(1);
        U_PING_vSetCurrentView(0);
        U_PING_vSetDeepWaterMode(FALSE);
        U_PING_vSetDepthKnownCnt(10);
        S_TRANSDUCER_vSetMaximumDepthRangeMetres(1000.0f);
        forget("CVEW");
        setU32("CSF2", 200);
        setU32("CSFL", 83);
        setU32("SSW1", BW_LF);
        setU32("SSW2", BW_200);
        setU32("SSW3", BW_OTHER);
        setU32("SSSF", FCID("SSF4"));
        setU32("SSF4", 462);
        setU32("SSF5", 812);
        setFloat("SSSR", SIDE_RANGE);
        forget("CSIR");
        forget("CSLD");
        forget("YSLD");
        setFloat("IDEP", IDEP);
    }
    void TearDown() override { process(); }

    static U32 writes(std::vector<U8>* last = nullptr)
    {
        std::vector<U8> block(MULTI_TX_BYTES);
        const U32 n = SIM_COPROC_u32WritesForTests(block.data());
        if (last)
            *last = block;
        return n;
    }

    static void ping(PING_CYCLE cycle)
    {
        switch (cycle) {
        case PING_CYCLE_DOWN_BEAM:
            vPerformDownBeamOnlyPing();
            break;
        case PING_CYCLE_SIDE_SCAN:
            vPerformSideScanPing();
            break;
        default:
            vPerformKVPing();
            break;
        }
    }

    // The descriptors mailed for processing by one ping, in order; they are
    // back in the pool afterwards.
    static std::vector<PING_DESCRIPTOR> pingAndCollect(PING_CYCLE cycle)
    {
        ping(cycle);
        std::vector<PING_DESCRIPTOR> out;
        for (const Processed& p : process())
            if (p.cmd == CMD_ID_SONAR_PROCESS_PING)
                out.push_back(*p.descriptor);
        EXPECT_EQ(poolCount(), PING_DESCRIPTOR_COUNT);
        return out;
    }
};

// ---- Depths ----

TEST_F(PingCycles, WithTheBottomLostTheSearchGoesFiveMetresDeeperEachPing)
{
    forget("IDEP");
    for (const float edge : {0.0f, 100.0f}) {
        SCOPED_TRACE(testing::Message() << "lower display edge " << edge);
        vResetCyclesForTests();
        if (edge > 0.0f)
            setFloat("CSLD", edge);
        const float start = edge > 60.0f ? edge : 60.0f;
        for (U32 k = 0; k < 20; ++k) {
            float listen = 0.0f;
            const float d = start + 5.0f * (float)k;
            EXPECT_FLOAT_EQ(fLocalFindDepthToPing(&listen), d * 1.25f) << "ping " << k;
            const float f = fNewPingDepth[k % PING_DITHER_STEPS];
            EXPECT_FLOAT_EQ(listen, d >= 80.0f ? d * f : d + f * d) << "ping " << k;
        }
    }

    // A bottom found ends the search; lost again, it starts over at 60 m.
    forget("CSLD");
    setFloat("IDEP", 30.0f);
    float listen = 0.0f;
    EXPECT_FLOAT_EQ(fLocalFindDepthToPing(&listen), 37.5f);
    forget("IDEP");
    EXPECT_FLOAT_EQ(fLocalFindDepthToPing(&listen), 75.0f);
    EXPECT_FLOAT_EQ(fLocalFindDepthToPing(&listen), 81.25f);
}

TEST_F(PingCycles, TheListeningDepthDithersOverSixteenFactors)
{
    setFloat("IDEP", 100.0f);
    float lowest = 1e9f, highest = 0.0f;
    for (U32 k = 0; k < 2 * PING_DITHER_STEPS; ++k) {
        float listen = 0.0f;
        EXPECT_FLOAT_EQ(fLocalFindDepthToPing(&listen), 125.0f);
        EXPECT_FLOAT_EQ(listen, 100.0f * fNewPingDepth[k % PING_DITHER_STEPS]);
        lowest = std::min(lowest, listen);
        highest = std::max(highest, listen);
    }
    EXPECT_NEAR(lowest, 122.1f, 0.01f);
    EXPECT_NEAR(highest, 139.8f, 0.01f);

    // Shallower than 80 m the listening reaches further, more so when both
    // 2D beams are shown.
    const struct {
        BEAM beam;
        LAYER_ID view;
        float factorOffset;
    } shallow[] = {{1, 0, 1.0f}, {0, 0, 1.55f}, {4, 0, 1.55f}, {1, 51, 1.55f}, {2, 41, 1.0f}};
    setFloat("IDEP", 20.0f);
    setFloat("CSLD", 20.0f);
    for (const auto& c : shallow) {
        vResetCyclesForTests();
        U_PING_vSetBeamSelected(c.beam);
        U_PING_vSetCurrentView(c.view);
        for (U32 k = 0; k < PING_DITHER_STEPS; ++k) {
            float listen = 0.0f;
            EXPECT_FLOAT_EQ(fLocalFindDepthToPing(&listen), 25.0f);
            EXPECT_FLOAT_EQ(listen, 20.0f * (fNewPingDepth[k] + c.factorOffset))
                << "beam " << (int)c.beam << " view " << c.view;
        }
    }
}

TEST_F(PingCycles, LimitsOfTheDepths)
{
    const struct {
        const char* what;
        float idep;
        float ssmd; // as the setting arrives, metres
        UNIT_TYPE units;
        float maxRange;
        float ping;
        float listen;
    } cases[] = {
        {"one foot means automatic: the transducer's range", 100.0f, 0.3048f, U_FEET, 110.0f, 110.0f, 110.0f},
        {"a 30 m limit caps both", 100.0f, 30.0f, U_METRES, 1000.0f, 30.0f, 30.0f},
        {"a 1 m limit: both at the 7-foot floor", 20.0f, 1.0f, U_METRES, 1000.0f, 2.1336f, 2.1336f},
        {"automatic and deep enough", 100.0f, 0.0f, U_METRES, 1000.0f, 125.0f, 129.4f},
    };
    for (const auto& c : cases) {
        vResetCyclesForTests();
        s_eDepthUnits = c.units;
        applyFloat("SSMD", c.ssmd);
        S_TRANSDUCER_vSetMaximumDepthRangeMetres(c.maxRange);
        setFloat("IDEP", c.idep);
        float listen = 0.0f;
        EXPECT_NEAR(fLocalFindDepthToPing(&listen), c.ping, 0.001f) << c.what;
        EXPECT_NEAR(listen, c.listen, 0.001f) << c.what;
    }
}

TEST_F(PingCycles, DeepWaterModeListensToTheFullRangeUntilTheBottomIsKnown)
{
    S_TRANSDUCER_vSetMaximumDepthRangeMetres(300.0f);
    U_PING_vSetDeepWaterMode(TRUE);
    U_PING_vSetDepthKnownCnt(0);
    for (int i = 0; i < 4; ++i) {
        float listen = 0.0f;
        EXPECT_FLOAT_EQ(fLocalFindDepthToPing(&listen), 300.0f) << "known " << i + 1;
        EXPECT_FLOAT_EQ(listen, 300.0f);
    }
    float listen = 0.0f;
    EXPECT_FLOAT_EQ(fLocalFindDepthToPing(&listen), 25.0f) << "the fifth known depth ends deep water";
    EXPECT_FALSE(U_PING_bGetDeepWaterMode());

    // Four missing depths in a row forget that the bottom was known.
    forget("IDEP");
    for (int i = 0; i < 3; ++i)
        fLocalFindDepthToPing(&listen);
    EXPECT_GT(U_PING_u32GetDepthKnownCnt(), 0u);
    fLocalFindDepthToPing(&listen);
    EXPECT_EQ(U_PING_u32GetDepthKnownCnt(), 0u);
    EXPECT_FLOAT_EQ(U_PING_fGetCurrentDepth(), 0.0f);
}

TEST_F(PingCycles, SamplesOfAListeningDepth)
{
    g_u32SpeedOfSoundInWater = 1500;
    EXPECT_EQ(S(100.0f), 5128);
    g_u32SpeedOfSoundInWater = 1463;
    EXPECT_EQ(S(8.0f), SIM_COPROC_u32SampleIndex(8.0f)) << "the simulated coprocessor's rule";
    EXPECT_EQ(S(0.0f), 0);
    EXPECT_EQ(S(5000.0f), 0xFFFF) << "held at the largest count, not wrapped";

    // Beside a low-frequency beam listening to 500 m the 200 kHz beam
    // listens to 350 m.
    s_db_TransducerSelect = 5;
    setFloat("IDEP", 500.0f / fNewPingDepth[0]);
    vPerformSideScanPing();
    std::vector<U8> block;
    ASSERT_EQ(writes(&block), 1u);
    TX_SEQUENCE q200, qLF;
    S_COPROC_vDecodeTxSequence(block.data(), &q200);
    S_COPROC_vDecodeTxSequence(block.data() + TX_SEQUENCE_BYTES, &qLF);
    EXPECT_EQ(q200.TxPulse[0].u16TxFreq, 200);
    EXPECT_EQ(q200.u16Samples, S(350.0f));
    EXPECT_EQ(qLF.TxPulse[0].u16TxFreq, 83);
    EXPECT_NEAR(qLF.u16Samples, S(500.0f), 1);
}

TEST_F(PingCycles, OnlyANetworkClientWanting2DWithoutADepthPingsTenMetres)
{
    s_u32LocalPingMask = 0;
    s_u32ClientPingMask = ELEMENT_2D;
    pingAndCollect(PING_CYCLE_DOWN_BEAM);
    EXPECT_FLOAT_EQ(readFloat("CSPD"), 10.0f);
    std::vector<U8> block;
    ASSERT_EQ(writes(&block), 1u);
    std::vector<U8> expected(MULTI_TX_BYTES, 0);
    S_COPROC_vBuildTxSequenceForSingleDownAltShortTransmit(expected.data(), CYCLES, POWER, BW_200, S(10.0f), 200, 1,
                                                           FALSE, 236, FALSE);
    EXPECT_EQ(block, expected);

    // Once the client told its depths, they are used.
    s_fNetworkDepthToListen = 40.0f;
    s_fNetworkDepthToPing = 50.0f;
    float listen = 0.0f;
    EXPECT_FLOAT_EQ(fNetworkFindDepthToPing(&listen), 50.0f);
    EXPECT_FLOAT_EQ(listen, 40.0f);
}

TEST_F(PingCycles, JiggingFollowsTheLowerEdgeOfTheDisplay)
{
    s_bJiggingModeOn = TRUE;
    const struct {
        const char* what;
        PING_CYCLE cycle;
        U32 sources;
        float ysld;
        float ping;
        float side;
    } cases[] = {
        {"a manual 30 m range", PING_CYCLE_DOWN_BEAM, ELEMENT_2D, 30.0f, 32.0f, -1.0f},
        {"a shallow range", PING_CYCLE_DOWN_BEAM, ELEMENT_2D, 6.0f, 12.0f, -1.0f},
        {"side range beyond it", PING_CYCLE_SIDE_SCAN, ELEMENT_2D | ELEMENT_FV, 6.0f, SIDE_RANGE, SIDE_RANGE},
        {"side range within it", PING_CYCLE_SIDE_SCAN, ELEMENT_2D | ELEMENT_FV, 40.0f, 42.0f, SIDE_RANGE},
        {"side range, 2D only", PING_CYCLE_SIDE_SCAN, ELEMENT_2D, 6.0f, 12.0f, SIDE_RANGE},
    };
    s_db_TransducerSelect = 5;
    for (const auto& c : cases) {
        s_u32LocalPingMask = c.sources;
        setFloat("YSLD", c.ysld);
        pingAndCollect(c.cycle);
        EXPECT_FLOAT_EQ(readFloat("CSPD"), c.ping) << c.what;
        if (c.side >= 0.0f) {
            EXPECT_FLOAT_EQ(readFloat("CSSD"), c.side) << c.what;
        }
    }
}

// ---- Transmit blocks ----

TEST_F(PingCycles, EachCycleWritesTheBlockOfItsModeAndSources)
{
    typedef std::function<void(U8*, float listen)> Build;
    const float cap = 350.0f;
    auto capped = [cap](float l) { return S(std::min(l, cap)); };
    const struct {
        const char* what;
        PING_CYCLE cycle;
        U32 transducer;
        U32 sources;
        BEAM beam;
        U32 view;
        bool kv800;
        bool noKV;
        U32 power;
        Build build;
    } cases[] = {
        {"down beam, 200 kHz selected", PING_CYCLE_DOWN_BEAM, 1, ELEMENT_2D, 1, 0, false, false, POWER,
         [](U8* b, float l) {
             S_COPROC_vBuildTxSequenceForSingleDownAltShortTransmit(b, CYCLES, POWER, BW_200, S(l), 200, 1, FALSE, 236,
                                                                    FALSE);
         }},
        {"down beam, both 2D beams selected", PING_CYCLE_DOWN_BEAM, 4, ELEMENT_2D, 0, 0, false, false, POWER,
         [&](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzParLFAltShortTransmit(b, CYCLES, BW_200, capped(l), 200, POWER, CYCLES,
                                                                  BW_LF, S(l), 83, POWER, FALSE, 236, FALSE);
         }},
        {"down beam, dual-beam view", PING_CYCLE_DOWN_BEAM, 11, ELEMENT_2D, 1, 51, false, false, POWER,
         [&](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzParLFAltShortTransmit(b, CYCLES, BW_200, capped(l), 200, POWER, CYCLES,
                                                                  BW_LF, S(l), 83, POWER, FALSE, 236, FALSE);
         }},
        {"Flankview only, 2D set for the long block", PING_CYCLE_SIDE_SCAN, 5, ELEMENT_FV, 0, 51, false, false,
         POWER,
         [](U8* b, float) {
             S_COPROC_vBuildSingleBeamSSPing455kHzLR(b, 3, CYCLES, POWER, BW_OTHER, S(SIDE_RANGE), 462, FALSE);
         }},
        {"Flankview only, 2D set for the short block", PING_CYCLE_SIDE_SCAN, 9, ELEMENT_FV, 1, 0, false, false,
         POWER,
         [](U8* b, float) {
             S_COPROC_vBuildSingleBeamSSPing455kHzLR(b, 3, CYCLES, POWER, BW_OTHER, S(SIDE_RANGE), 462, FALSE);
         }},
        {"side scan, 2D only, long", PING_CYCLE_SIDE_SCAN, 5, ELEMENT_2D, 0, 0, false, false, POWER,
         [&](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzAltLFAltShortTx(b, CYCLES, POWER, BW_200, capped(l), 200, CYCLES, POWER,
                                                            BW_LF, S(l), 83, FALSE, FALSE);
         }},
        {"side scan, 2D and Flankview, long", PING_CYCLE_SIDE_SCAN, 10, ELEMENT_2D | ELEMENT_FV, 4, 0, false, false,
         POWER,
         [&](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequencyAltShortTx(
                 b, CYCLES, POWER, BW_200, capped(l), 200, CYCLES, POWER, BW_LF, S(l), 83, CYCLES, POWER, BW_OTHER,
                 S(SIDE_RANGE), 462, FALSE, FALSE);
         }},
        {"side scan, 2D only, short", PING_CYCLE_SIDE_SCAN, 2, ELEMENT_2D, 1, 0, false, false, POWER,
         [](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzAltShortTransmit(b, CYCLES, POWER, BW_200, S(l), 200, FALSE, FALSE);
         }},
        {"side scan, 2D and Flankview, short", PING_CYCLE_SIDE_SCAN, 5, ELEMENT_2D | ELEMENT_FV, 1, 0, false, false,
         POWER,
         [](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzParHighFrequencyAltShortTransmit(
                 b, CYCLES, POWER, BW_200, S(l), 200, CYCLES, POWER, BW_OTHER, S(SIDE_RANGE), 462, FALSE, FALSE);
         }},
        {"Keelview 15, both, long", PING_CYCLE_KEELVIEW, 15, ELEMENT_2D | ELEMENT_KV, 0, 0, true, false, POWER,
         [&](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzAlt455kHzParKVFrequency(b, CYCLES, POWER, BW_200, capped(l), 200, CYCLES,
                                                                    POWER, BW_OTHER, S(l), 462, 28, POWER, BW_OTHER,
                                                                    S(l), 812, FALSE);
         }},
        {"Keelview 17, both (always long)", PING_CYCLE_KEELVIEW, 17, ELEMENT_2D | ELEMENT_KV, 1, 0, true, false,
         POWER,
         [&](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzAlt83And50kHzParKVFrequency(b, CYCLES, POWER, BW_200, capped(l), 200,
                                                                        CYCLES, POWER, BW_200, S(l), 83, 28, POWER,
                                                                        BW_OTHER, S(l), 812, FALSE);
         }},
        {"Keelview 15, 2D only, long", PING_CYCLE_KEELVIEW, 15, ELEMENT_2D, 2, 0, true, false, POWER,
         [&](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(b, CYCLES, POWER, BW_200, capped(l), 200, CYCLES,
                                                               POWER, BW_OTHER, S(l), 462, FALSE);
         }},
        {"Keelview 18, 2D only", PING_CYCLE_KEELVIEW, 18, ELEMENT_2D, 1, 0, true, false, POWER,
         [&](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(b, CYCLES, POWER, BW_200, capped(l), 200, CYCLES,
                                                               POWER, BW_200, S(l), 83, FALSE);
         }},
        {"Keelview 15, Keelview only, long", PING_CYCLE_KEELVIEW, 15, ELEMENT_KV, 0, 0, true, false, POWER,
         [](U8* b, float l) { S_COPROC_vBuildSingleBeamKVPing(b, 3, 28, POWER, BW_OTHER, S(l), 812, FALSE); }},
        {"Keelview 15, both, short", PING_CYCLE_KEELVIEW, 15, ELEMENT_2D | ELEMENT_KV, 1, 0, true, false, POWER,
         [](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzParKVFrequency(b, CYCLES, POWER, BW_200, S(l), 200, 28, POWER, BW_OTHER,
                                                           S(l), 812, FALSE);
         }},
        {"Keelview 15, 2D only, short", PING_CYCLE_KEELVIEW, 15, ELEMENT_2D, 1, 0, true, false, POWER,
         [](U8* b, float l) { S_COPROC_vBuildTxSequence200kHz(b, CYCLES, POWER, BW_200, S(l), 200, FALSE); }},
        {"Keelview 15, both, asked for 2D alone", PING_CYCLE_KEELVIEW, 15, ELEMENT_2D | ELEMENT_KV, 1, 0, true, true,
         POWER, [](U8* b, float l) { S_COPROC_vBuildTxSequence200kHz(b, CYCLES, POWER, BW_200, S(l), 200, FALSE); }},
        {"Keelview 15 at high power: the 2D beams a step lower", PING_CYCLE_KEELVIEW, 15, ELEMENT_2D | ELEMENT_KV, 1,
         0, true, false, TXPOWER_HI,
         [](U8* b, float l) {
             S_COPROC_vBuildTxSequence200kHzParKVFrequency(b, CYCLES, TXPOWER_MED, BW_200, S(l), 200, 28, TXPOWER_HI,
                                                           BW_OTHER, S(l), 812, FALSE);
         }},
        {"Keelview 15 at 462 kHz: cycles from the table", PING_CYCLE_KEELVIEW, 15, ELEMENT_KV, 0, 0, false, false,
         POWER,
         [](U8* b, float l) {
             S_COPROC_vBuildSingleBeamKVPing(b, 3, S_TXCYCLES_u8CalculateTxCycles(3, 25.0f, 0, 15), POWER, BW_OTHER,
                                             S(l), 462, FALSE);
         }},
    };
    for (const auto& c : cases) {
        SetUp();
        s_db_TransducerSelect = c.transducer;
        s_u32LocalPingMask = c.sources;
        U_PING_vSetBeamSelected(c.beam);
        U_PING_vSetCurrentView((LAYER_ID)c.view);
        setU32("SSSF", c.kv800 ? FCID("SSF5") : FCID("SSF4"));
        s_bPing2DNoKV = c.noKV;
        s_u32TransmitPower = c.power;
        ping(c.cycle);
        std::vector<U8> block;
        ASSERT_EQ(writes(&block), 1u) << c.what;
        std::vector<U8> expected(MULTI_TX_BYTES, 0);
        c.build(expected.data(), firstListen(IDEP, c.beam, c.view));
        EXPECT_EQ(block, expected) << c.what;
        EXPECT_FLOAT_EQ(readFloat("CSPD"), IDEP * 1.25f) << c.what;
        if (c.cycle != PING_CYCLE_DOWN_BEAM) {
            EXPECT_FLOAT_EQ(readFloat("CSSD"), SIDE_RANGE) << c.what;
        }
        process();
        EXPECT_EQ(poolCount(), PING_DESCRIPTOR_COUNT) << c.what;
    }
}

TEST_F(PingCycles, ABlockIsWrittenOnlyWhenWhatItWasBuiltFromChanged)
{
    for (int i = 0; i < 5; ++i)
        pingAndCollect(PING_CYCLE_DOWN_BEAM);
    EXPECT_EQ(writes(), 1u) << "the dithered listening depth alone writes nothing";

    s_u32TransmitCycles = CYCLES + 1;
    pingAndCollect(PING_CYCLE_DOWN_BEAM);
    EXPECT_EQ(writes(), 2u) << "a new cycles setting";

    s_bSwitchToLocalPing = TRUE;
    pingAndCollect(PING_CYCLE_DOWN_BEAM);
    EXPECT_EQ(writes(), 3u) << "a switch back to local pinging";
    EXPECT_FALSE(s_bSwitchToLocalPing) << "used up by the block";

    setFloat("IDEP", 60.0f);
    pingAndCollect(PING_CYCLE_DOWN_BEAM);
    EXPECT_EQ(writes(), 4u) << "a new depth to ping";
    pingAndCollect(PING_CYCLE_DOWN_BEAM);
    EXPECT_EQ(writes(), 4u);

    // Another cycle's block is never taken for this cycle's own.
    s_db_TransducerSelect = 5;
    pingAndCollect(PING_CYCLE_SIDE_SCAN);
    EXPECT_EQ(writes(), 5u);
    s_db_TransducerSelect = 1;
    pingAndCollect(PING_CYCLE_DOWN_BEAM);
    EXPECT_EQ(writes(), 6u) << "the down-beam block again after a side-scan ping";
}

TEST_F(PingCycles, AChangeWaitsUntilTheRunningSequencesHaveAllPinged)
{
    s_db_TransducerSelect = 5;
    s_u32LocalPingMask = ELEMENT_2D | ELEMENT_FV;
    U_PING_vSetBeamSelected(0); // long: 200 kHz, then the low frequency, each beside the side beams
    std::vector<PING_DESCRIPTOR> got = pingAndCollect(PING_CYCLE_SIDE_SCAN);
    std::vector<U8> block;
    ASSERT_EQ(writes(&block), 1u);
    ASSERT_EQ(block[MULTI_TX_COUNT_OFFSET], 2);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].Beam, 1);

    s_u32TransmitCycles = CYCLES + 2;
    s_bNewSideRange = TRUE;
    got = pingAndCollect(PING_CYCLE_SIDE_SCAN);
    EXPECT_EQ(writes(), 1u) << "the low-frequency sequence still has to ping";
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].Beam, 0);
    EXPECT_EQ(got[0].u8TransmitCycles, CYCLES);

    got = pingAndCollect(PING_CYCLE_SIDE_SCAN);
    EXPECT_EQ(writes(), 2u);
    EXPECT_FALSE(s_bNewSideRange);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].u8TransmitCycles, CYCLES + 2);

    // The Keelview cycle keeps the same rule.
    s_db_TransducerSelect = 15;
    s_u32LocalPingMask = ELEMENT_2D | ELEMENT_KV;
    pingAndCollect(PING_CYCLE_KEELVIEW);
    ASSERT_EQ(writes(&block), 3u);
    ASSERT_EQ(block[MULTI_TX_COUNT_OFFSET], 2);
    s_u32TransmitCycles = CYCLES + 3;
    pingAndCollect(PING_CYCLE_KEELVIEW);
    EXPECT_EQ(writes(), 3u);
    pingAndCollect(PING_CYCLE_KEELVIEW);
    EXPECT_EQ(writes(), 4u);
}

// ---- Channels ----

TEST_F(PingCycles, EachChannelCarriesTheBeamItsPulseAndReceiverSay)
{
    const PING_FREQUENCIES f = {200, 83, 812};
    typedef std::function<void(U8*)> Build;
    constexpr BEAM N = PING_NO_BEAM;
    const struct {
        const char* what;
        PING_CYCLE cycle;
        U32 transducer;
        Build build;
        U32 sequence;
        BEAM beams[3];
    } cases[] = {
        {"down: both 2D beams together", PING_CYCLE_DOWN_BEAM, 1,
         [](U8* b) { S_COPROC_vBuildTxSequence200kHzParLF(b, 9, 1, 500, 200, POWER, 9, 2, 900, 83, POWER, FALSE, 0); },
         0, {0, 1, N}},
        {"down: 200 kHz on the second receiver", PING_CYCLE_DOWN_BEAM, 1,
         [](U8* b) { S_COPROC_vBuildTxSequenceForSingleDown(b, 9, POWER, 1, 500, 200, 1, FALSE, 0); }, 0, {N, 1, N}},
        {"down: a low frequency that is not the one set", PING_CYCLE_DOWN_BEAM, 1,
         [](U8* b) { S_COPROC_vBuildTxSequence200kHzParLF(b, 9, 1, 500, 200, POWER, 9, 2, 900, 50, POWER, FALSE, 0); },
         0, {N, 1, N}},
        {"side: the side beams alone", PING_CYCLE_SIDE_SCAN, 5,
         [](U8* b) { S_COPROC_vBuildSingleBeamSSPing455kHzLR(b, 3, 9, POWER, 2, 500, 462, FALSE); }, 0, {N, 2, 3}},
        {"side: 200 kHz beside the side beams", PING_CYCLE_SIDE_SCAN, 5,
         [](U8* b) {
             S_COPROC_vBuildTxSequence200kHzParHighFrequency(b, 9, POWER, 1, 500, 200, 9, POWER, 2, 500, 462, FALSE);
         },
         0, {1, 2, 3}},
        {"side: the low frequency beside the side beams", PING_CYCLE_SIDE_SCAN, 5,
         [](U8* b) {
             S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequency(b, 9, POWER, 1, 500, 200, 9, POWER, 2, 900, 83, 9,
                                                                  POWER, 2, 500, 462, FALSE);
         },
         1, {0, 2, 3}},
        {"side: 2D alone, 200 kHz", PING_CYCLE_SIDE_SCAN, 5,
         [](U8* b) {
             S_COPROC_vBuildTxSequence200kHzAltLFAltShortTx(b, 9, POWER, 1, 500, 200, 9, POWER, 2, 900, 83, FALSE,
                                                            FALSE);
         },
         0, {1, N, N}},
        {"side: 2D alone, low frequency", PING_CYCLE_SIDE_SCAN, 5,
         [](U8* b) {
             S_COPROC_vBuildTxSequence200kHzAltLFAltShortTx(b, 9, POWER, 1, 500, 200, 9, POWER, 2, 900, 83, FALSE,
                                                            FALSE);
         },
         1, {0, N, N}},
        {"Keelview 15: 200 kHz beside the Keelview beam", PING_CYCLE_KEELVIEW, 15,
         [](U8* b) {
             S_COPROC_vBuildTxSequence200kHzAlt455kHzParKVFrequency(b, 9, POWER, 1, 500, 200, 9, POWER, 2, 900, 462,
                                                                    9, POWER, 2, 900, 812, FALSE);
         },
         0, {1, N, 3}},
        {"Keelview 15: the 455 kHz down beam", PING_CYCLE_KEELVIEW, 15,
         [](U8* b) {
             S_COPROC_vBuildTxSequence200kHzAlt455kHzParKVFrequency(b, 9, POWER, 1, 500, 200, 9, POWER, 2, 900, 462,
                                                                    9, POWER, 2, 900, 812, FALSE);
         },
         1, {N, 2, N}},
        {"Keelview 15: the Keelview beam alone", PING_CYCLE_KEELVIEW, 15,
         [](U8* b) { S_COPROC_vBuildSingleBeamKVPing(b, 3, 9, POWER, 2, 900, 812, FALSE); }, 0, {N, N, 3}},
        {"Keelview 17: 200 kHz beside the Keelview beam", PING_CYCLE_KEELVIEW, 17,
         [](U8* b) {
             S_COPROC_vBuildTxSequence200kHzAlt83And50kHzParKVFrequency(b, 9, POWER, 1, 500, 200, 9, POWER, 1, 900, 83,
                                                                        9, POWER, 2, 900, 812, FALSE);
         },
         0, {1, N, 3}},
        {"Keelview 17: the low frequency", PING_CYCLE_KEELVIEW, 17,
         [](U8* b) {
             S_COPROC_vBuildTxSequence200kHzAlt83And50kHzParKVFrequency(b, 9, POWER, 1, 500, 200, 9, POWER, 1, 900, 83,
                                                                        9, POWER, 2, 900, 812, FALSE);
         },
         1, {0, N, N}},
        {"Keelview 18: the Keelview beam alone also fills channel 0", PING_CYCLE_KEELVIEW, 18,
         [](U8* b) { S_COPROC_vBuildSingleBeamKVPing(b, 3, 9, POWER, 2, 900, 812, FALSE); }, 0, {0, N, 3}},
        {"Keelview 18: 200 kHz alone", PING_CYCLE_KEELVIEW, 18,
         [](U8* b) { S_COPROC_vBuildTxSequence200kHz(b, 9, POWER, 1, 500, 200, FALSE); }, 0, {1, N, N}},
    };
    for (const auto& c : cases) {
        std::vector<U8> block(MULTI_TX_BYTES, 0);
        c.build(block.data());
        TX_SEQUENCE echo;
        S_COPROC_vDecodeTxSequence(block.data() + c.sequence * TX_SEQUENCE_BYTES, &echo);
        PING_CHANNEL channels[PING_CHANNELS];
        vMapChannels(c.cycle, c.transducer, &echo, &f, channels);
        for (U32 i = 0; i < PING_CHANNELS; ++i)
            EXPECT_EQ(channels[i].beam, c.beams[i]) << c.what << ", channel " << i;
    }

    // A receiver switched off carries nothing, whatever was transmitted.
    std::vector<U8> block(MULTI_TX_BYTES, 0);
    S_COPROC_vBuildTxSequence200kHzParHighFrequency(block.data(), 9, POWER, 1, 500, 200, 9, POWER, 2, 500, 462, FALSE);
    TX_SEQUENCE echo;
    S_COPROC_vDecodeTxSequence(block.data(), &echo);
    echo.bRxEnable = 0xFF;
    PING_CHANNEL channels[PING_CHANNELS];
    vMapChannels(PING_CYCLE_SIDE_SCAN, 5, &echo, &f, channels);
    for (const PING_CHANNEL& ch : channels)
        EXPECT_EQ(ch.beam, PING_NO_BEAM);
}

TEST_F(PingCycles, AChannelWithoutABeamGoesBackToThePool)
{
    s_db_TransducerSelect = 5;
    s_u32LocalPingMask = ELEMENT_FV;
    const std::vector<PING_DESCRIPTOR> got = pingAndCollect(PING_CYCLE_SIDE_SCAN);
    ASSERT_EQ(got.size(), 2u) << "channel 0 carried no 2D beam";
    for (U32 i = 0; i < 2; ++i) {
        SCOPED_TRACE(testing::Message() << "descriptor " << i);
        EXPECT_EQ(got[i].Beam, i + 2) << "handed on in channel order";
        EXPECT_EQ(got[i].u32TransmitFrequencyHertz, 462000u);
        EXPECT_EQ(got[i].u8TransmitCycles, CYCLES);
        EXPECT_EQ(got[i].u32NumberOfSamples, S(SIDE_RANGE));
        EXPECT_EQ(got[i].u32SamplePeriodMicroSeconds, 26u);
        EXPECT_EQ(got[i].u8TransmitPower, 1);
        EXPECT_EQ(got[i].u8Transducer, 5);
    }
}

TEST_F(PingCycles, AReadOfNothingReturnsEveryDescriptorAndTheNextPingWritesAgain)
{
    EXPECT_EQ(pingAndCollect(PING_CYCLE_DOWN_BEAM).size(), 1u);
    // The coprocessor starts afresh and has no sequences to ping.
    H_COPROC_vResetForTests();
    H_COPROC_vInitialize();
    EXPECT_TRUE(pingAndCollect(PING_CYCLE_DOWN_BEAM).empty());
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(pingAndCollect(PING_CYCLE_DOWN_BEAM).size(), 1u);
    EXPECT_EQ(writes(), 1u);

    // No device at all: every descriptor back, every time.
    H_COPROC_vResetForTests();
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(pingAndCollect(PING_CYCLE_KEELVIEW).empty());
}

TEST_F(PingCycles, ARealPingCarriesItsNoiseSamplesPositionAndTime)
{
    H_DATABASE_bUpdateEverythingS32(FCID("ILAT"), 5000000, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("ILON"), -700000, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    const U32 before = H_TICK_u32ReadFreeRunningTimerInMilliSeconds();
    const std::vector<PING_DESCRIPTOR> got = pingAndCollect(PING_CYCLE_DOWN_BEAM);
    ASSERT_EQ(got.size(), 1u);
    const PING_DESCRIPTOR& p = got[0];
    EXPECT_EQ(p.Beam, 1);
    EXPECT_EQ(p.u32TransmitFrequencyHertz, 200000u);
    EXPECT_FALSE(p.bSimulated);
    // Noise 12 in the scene: each noise sample 6 to 18.
    EXPECT_GE(p.u8NoiseLevel, 6);
    EXPECT_LE(p.u8PeakNoiseLevel, 18);
    EXPECT_GE(p.u8PeakNoiseLevel, p.u8NoiseLevel);
    EXPECT_TRUE(p.Location.bPositionValid);
    EXPECT_EQ(p.Location.s32LatitudeMM, 5000000);
    EXPECT_EQ(p.Location.s32LongitudeMM, -700000);
    EXPECT_LE(H_TICK_u32ElapsedTime(before, p.u32TimeStampMilliSeconds), 60000u);

    // The returns follow the noise: past the ring-down the first strong
    // echo is the scene's bottom at 8 m.
    ASSERT_EQ(p.u32NumberOfSamples, S(firstListen(IDEP, 1, 0)));
    U32 bottom = 40;
    while (bottom < p.u32NumberOfSamples && p.pu8RawSonarData[bottom] < 200)
        ++bottom;
    EXPECT_EQ(bottom, SIM_COPROC_u32SampleIndex(8.0f));
}

TEST_F(PingCycles, AnEchoClaimingMoreThanADescriptorHoldsIsCutToWhatWasExtracted)
{
    S_TRANSDUCER_vSetMaximumDepthRangeMetres(3000.0f);
    setFloat("IDEP", 1500.0f);
    const std::vector<PING_DESCRIPTOR> got = pingAndCollect(PING_CYCLE_DOWN_BEAM);
    std::vector<U8> block;
    ASSERT_EQ(writes(&block), 1u);
    TX_SEQUENCE sent;
    S_COPROC_vDecodeTxSequence(block.data(), &sent);
    ASSERT_GT(sent.u16Samples, PING_MAX_SAMPLES) << "the echo claims more than 55000 samples";
    ASSERT_EQ(got.size(), 2u);
    for (const PING_DESCRIPTOR& p : got)
        EXPECT_EQ(p.u32NumberOfSamples, PING_MAX_SAMPLES) << "beam " << (int)p.Beam;
}

TEST_F(PingCycles, ThePowerFollowsTheSettingTheDepthOrBurnIn)
{
    const struct {
        const char* what;
        U32 setting;
        bool burnIn;
        float idep;
        TXPOWER twoD;
        TXPOWER side;
    } cases[] = {
        {"automatic, shallow", 0, false, 8.0f, H_XMITPOWER_eSelectTransmitPower(10.0f * 1.25f), TXPOWER_HI},
        {"automatic, deep", 0, false, 100.0f, H_XMITPOWER_eSelectTransmitPower(125.0f), TXPOWER_HI},
        {"set low", TXPOWER_LOW, false, 100.0f, TXPOWER_LOW, TXPOWER_LOW},
        {"burn-in", TXPOWER_HI, true, 100.0f, TXPOWER_MED, TXPOWER_MED},
    };
    for (const auto& c : cases) {
        SetUp();
        s_db_TransducerSelect = 5;
        s_u32LocalPingMask = ELEMENT_2D | ELEMENT_FV;
        s_u32TransmitPower = c.setting;
        s_bBurnInMode = c.burnIn;
        setFloat("IDEP", c.idep);
        ping(PING_CYCLE_SIDE_SCAN);
        std::vector<U8> block;
        ASSERT_EQ(writes(&block), 1u) << c.what;
        TX_SEQUENCE q;
        S_COPROC_vDecodeTxSequence(block.data(), &q);
        // The first power is the 200 kHz beam's, the second the side beams'.
        EXPECT_EQ(q.eTxPower0, (U32)c.twoD) << c.what;
        EXPECT_EQ(q.eTxPower1, (U32)c.side) << c.what;
        process();
    }
}

TEST_F(PingCycles, BandwidthCodesOfEachBeam)
{
    const struct {
        const char* what;
        BEAM beam;
        U32 ssw1, ssw2, ssw3;
        U32 csfl;
        float csld; // 0: absent
        bool autoRange;
        bool tvg;
        U32 transducer;
        U8 code;
    } cases[] = {
        {"low frequency, set", 0, 3, 0, 0, 50, 0.0f, false, true, 1, 3},
        {"low frequency at 83 kHz", 0, 0, 0, 0, 83, 0.0f, false, true, 1, 1},
        {"low frequency, a deep manual range", 0, 0, 0, 0, 50, 400.0f, false, true, 1, 2},
        {"low frequency, a deep automatic range", 0, 0, 0, 0, 50, 400.0f, true, true, 1, 3},
        {"low frequency, a shallow range", 0, 0, 0, 0, 50, 300.0f, false, true, 1, 3},
        {"200 kHz, set", 1, 0, 2, 0, 83, 0.0f, false, true, 1, 2},
        {"200 kHz with the gain view", 1, 0, 0, 0, 83, 0.0f, false, true, 1, 3},
        {"200 kHz without it", 1, 0, 0, 0, 83, 0.0f, false, false, 1, 1},
        {"side beam, set", 3, 0, 0, 1, 83, 0.0f, false, true, 5, 1},
        {"side beam on transducer 9", 3, 0, 0, 0, 83, 0.0f, false, true, 9, 2},
        {"side beam on transducer 16", 2, 0, 0, 0, 83, 0.0f, false, true, 16, 2},
        {"side beam on transducer 2", 2, 0, 0, 0, 83, 0.0f, false, true, 2, 3},
        {"no such beam", 7, 1, 1, 1, 83, 0.0f, false, true, 1, 3},
    };
    for (const auto& c : cases) {
        setU32("SSW1", c.ssw1);
        setU32("SSW2", c.ssw2);
        setU32("SSW3", c.ssw3);
        setU32("CSFL", c.csfl);
        if (c.csld > 0.0f)
            setFloat("CSLD", c.csld);
        else
            forget("CSLD");
        s_bAutoRange = c.autoRange;
        s_bTvgView = c.tvg;
        s_db_TransducerSelect = c.transducer;
        EXPECT_EQ(u8FetchBandwidth(c.beam), c.code) << c.what;
    }
}

TEST_F(PingCycles, AutomaticCyclesComeFromTheTablesForTheDepthToPing)
{
    s_u32TransmitCycles = 0;
    U_PING_vSetBeamSelected(0);
    pingAndCollect(PING_CYCLE_DOWN_BEAM);
    std::vector<U8> block;
    ASSERT_EQ(writes(&block), 1u);
    TX_SEQUENCE q;
    S_COPROC_vDecodeTxSequence(block.data(), &q);
    EXPECT_EQ(q.TxPulse[0].u8TxCycles, S_TXCYCLES_u8CalculateTxCycles(0, 25.0f, 0, 1)) << "low frequency";
    EXPECT_EQ(q.TxPulse[1].u8TxCycles, S_TXCYCLES_u8CalculateTxCycles(1, 25.0f, 0, 1)) << "200 kHz";

    // The Keelview beam: 28 cycles at 800 kHz; otherwise, pinging no deeper
    // than 12.5 m under a display edge above 10 m, the cycles of that edge.
    const struct {
        const char* what;
        FOURCHARID frequency;
        float csld; // 0: absent
        U8 cycles;
    } cases[] = {
        {"800 kHz", FCID("SSF5"), 8.0f, 28},
        {"a shallow display", FCID("SSF4"), 8.0f, S_TXCYCLES_u8CalculateTxCycles(3, 8.0f, 0, 15)},
        {"no display edge", FCID("SSF4"), 0.0f, S_TXCYCLES_u8CalculateTxCycles(3, 12.5f, 0, 15)},
    };
    for (const auto& c : cases) {
        SetUp();
        s_u32TransmitCycles = 0;
        s_db_TransducerSelect = 15;
        s_u32LocalPingMask = ELEMENT_KV;
        setU32("SSSF", c.frequency);
        setFloat("IDEP", 5.0f); // pings at 12.5 m
        if (c.csld > 0.0f)
            setFloat("CSLD", c.csld);
        pingAndCollect(PING_CYCLE_KEELVIEW);
        ASSERT_EQ(writes(&block), 1u) << c.what;
        S_COPROC_vDecodeTxSequence(block.data(), &q);
        EXPECT_EQ(q.TxPulse[0].u8TxCycles, c.cycles) << c.what;
    }
    EXPECT_NE(S_TXCYCLES_u8CalculateTxCycles(3, 8.0f, 0, 15), S_TXCYCLES_u8CalculateTxCycles(3, 12.5f, 0, 15));
}

// While a networked 360 unit wants the water the ping task asks before
// every Keelview ping for 2D alone; the Keelview beam returns as soon as it
// stops asking.
TEST_F(PingCycles, TheKeelviewBeamIsLeftOutOnlyWhileThatIsAskedFor)
{
    s_db_TransducerSelect = 15;
    s_u32LocalPingMask = ELEMENT_2D | ELEMENT_KV;
    std::vector<U8> block;
    for (int i = 0; i < 3; ++i) {
        s_bPing2DNoKV = TRUE;
        const std::vector<PING_DESCRIPTOR> got = pingAndCollect(PING_CYCLE_KEELVIEW);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].Beam, 1);
    }
    EXPECT_EQ(writes(), 1u);
    const std::vector<PING_DESCRIPTOR> got = pingAndCollect(PING_CYCLE_KEELVIEW);
    EXPECT_EQ(writes(), 2u);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].Beam, 3);
}

// ---- The rotating transducer in the demonstration states ----

TEST_F(PingCycles, SimulatedSideScanPingsFollowTheSteppersRound)
{
    U_PING_vSetSystemState(STATE_SIMULATION);
    s_bSimulateCoprocessor = TRUE;
    s_db_TransducerSelect = 16;
    s_u32LocalPingMask = ELEMENT_2D | ELEMENT_FV;
    H_PPI_MOTOR_vInitialize();
    constexpr U32 FACTOR = 4;
    U32 handedOn = 0;
    for (U32 k = 0; k < 100; ++k) {
        const std::vector<PING_DESCRIPTOR> got = pingAndCollect(PING_CYCLE_SIDE_SCAN);
        ASSERT_EQ(got.size(), 3u) << "ping " << k;
        const U32 position = (PPI_MOTOR_HOME_POSITION + FACTOR * k) % PPI_MOTOR_STEPS_PER_REVOLUTION;
        for (const PING_DESCRIPTOR& p : got) {
            EXPECT_EQ(p.u32PPIPositionInfo, position << 16 | 1u << 7 | FACTOR) << "ping " << k;
            EXPECT_TRUE(p.bSimulated);
            EXPECT_EQ(p.u8NoiseLevel, 0);
        }
        handedOn += (U32)got.size();
    }
    BOOLEAN clockwise = FALSE;
    EXPECT_EQ(H_PPI_MOTOR_s32Step(0, &clockwise), (S32)((PPI_MOTOR_HOME_POSITION + 400) % 1600));
    EXPECT_TRUE(clockwise);
    EXPECT_EQ(handedOn, 300u);
    EXPECT_EQ(writes(), 1u) << "a steady simulation writes its block once";
    EXPECT_EQ(poolCount(), PING_DESCRIPTOR_COUNT);
}

TEST_F(PingCycles, KeelviewPingsCarryTheStepperPositionWithoutMovingIt)
{
    s_db_TransducerSelect = 15;
    s_u32LocalPingMask = ELEMENT_2D | ELEMENT_KV;
    const std::vector<PING_DESCRIPTOR> got = pingAndCollect(PING_CYCLE_KEELVIEW);
    ASSERT_EQ(got.size(), 2u);
    for (const PING_DESCRIPTOR& p : got)
        EXPECT_EQ(p.u32PPIPositionInfo, (U32)PPI_MOTOR_HOME_POSITION << 16 | 4u);
    EXPECT_EQ(got[0].Beam, 1);
    EXPECT_EQ(got[1].Beam, 3);
}

TEST_F(PingCycles, NoWantedSourceRestsAndReturnsTheDescriptors)
{
    const struct {
        PING_CYCLE cycle;
        U32 sources;
    } cases[] = {{PING_CYCLE_DOWN_BEAM, ELEMENT_KV | ELEMENT_FV},
                 {PING_CYCLE_SIDE_SCAN, ELEMENT_360},
                 {PING_CYCLE_KEELVIEW, ELEMENT_FV}};
    for (const auto& c : cases) {
        s_u32LocalPingMask = c.sources;
        const U64 start = L_CLOCK_qwGetTimeInMillis();
        EXPECT_TRUE(pingAndCollect(c.cycle).empty());
        EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - start, 100u);
    }
    EXPECT_EQ(writes(), 0u);
}

} // namespace
} // namespace ping_test
