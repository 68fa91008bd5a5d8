// Transmit blocks: the exact bytes of one block, every builder's sequences
// (pulse kinds, powers, shared sample counts, receiver codes, bandwidths and
// masks), the short-transmit sequence, what bNoTransmit silences, the bytes
// a builder must leave alone, and the codecs.
#include "sonar/dsp/s_coproc.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace sonar_test {
namespace {

struct Pulse {
    U16 freq;
    U8 cycles, mode, output, duty;
};
constexpr Pulse UNUSED = {0, 0, 3, 0, 50};

struct Seq {
    Pulse p0, p1;
    U32 pw0, pw1;
    U16 samples;
    U8 code, bw, enable;
};

// Argument groups with values that tell them apart: cycles, power,
// bandwidth, samples, kHz.
struct Group {
    U8 cycles;
    TXPOWER power;
    U8 bw;
    U16 samples;
    U16 freq;
};
constexpr Group G200 = {30, TXPOWER_HI, 1, 2000, 200};
constexpr Group GLF = {8, TXPOWER_MED, 2, 4000, 83};
constexpr Group G455 = {12, TXPOWER_MED, 3, 1500, 462};
constexpr Group GKV = {18, TXPOWER_LOW, 2, 3000, 800};
constexpr Group GHF = {17, TXPOWER_LOW, 3, 2500, 455};
constexpr Group GONE = {25, TXPOWER_MED, 1, 1200, 200};

// The pulses each group makes in each kind.
constexpr Pulse P2D_200 = {200, 30, 1, 1, 50};
constexpr Pulse P2D_LF = {83, 8, 1, 1, 50};
constexpr Pulse P455 = {462, 12, 2, 1, 50};
constexpr Pulse PKV = {800, 18, 2, 4, 65};
constexpr Pulse PHF = {455, 17, 2, 6, 65};
constexpr Pulse PSHORT = {400, 1, 2, 1, 50};

constexpr Seq S_200 = {P2D_200, UNUSED, 3, 3, 2000, 0x03, 0x01, 0xFD};
constexpr Seq S_LF = {P2D_LF, UNUSED, 2, 2, 4000, 0x02, 0x02, 0xFD};
constexpr Seq S_PAR_KV = {PKV, P2D_200, 3, 1, 3000, 0x07, 0x21, 0xED};
constexpr Seq S_PAR_HF = {PHF, P2D_200, 3, 1, 2500, 0x0B, 0x3D, 0xE9};

// The two receiver settings of the short-transmit sequence at 1463 m/s.
enum Short { NONE, ON_RECEIVER_2, ON_200KHZ };
constexpr Seq S_SHORT_RX2 = {PSHORT, UNUSED, 1, 1, 1052, 0x00, 0x0C, 0xF5};
constexpr Seq S_SHORT_200 = {PSHORT, UNUSED, 1, 1, 1052, 0x03, 0x03, 0xFD};

using Build = std::function<void(U8* block, BOOLEAN noTransmit, BOOLEAN shortTransmit)>;

#define G(g) g.cycles, g.power, g.bw, g.samples, g.freq
#define G_PAR_LF(g) g.cycles, g.bw, g.samples, g.freq, g.power

struct Case {
    std::string name;
    Build build;
    bool takesNoTransmit;
    Short shortTx;
    std::vector<Seq> main;
};

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = {
        {"SingleDown receiver 1 at 200 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildTxSequenceForSingleDown(b, G(GONE), 1, n, 236); }, true, NONE,
         {{{200, 25, 1, 1, 50}, UNUSED, 2, 2, 1200, 0x00, 0x04, 0xF5}}},
        {"SingleDown receiver 0 at 200 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildTxSequenceForSingleDown(b, G(GONE), 0, n, 236); }, true, NONE,
         {{{200, 25, 1, 1, 50}, UNUSED, 2, 2, 1200, 0x03, 0x01, 0xFD}}},
        {"SingleDown receiver 1 at 83 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildTxSequenceForSingleDown(b, G(GLF), 1, n, 236); }, true, NONE,
         {{P2D_LF, UNUSED, 2, 2, 4000, 0x02, 0x02, 0xFD}}},
        {"SingleDown at 50 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequenceForSingleDown(b, 8, TXPOWER_MED, 2, 4000, 50, 0, n, 236);
         },
         true, NONE, {{{50, 8, 1, 1, 50}, UNUSED, 2, 2, 4000, 0x00, 0x02, 0xFD}}},
        {"SingleDownAltShortTransmit",
         [](U8* b, BOOLEAN n, BOOLEAN s) {
             S_COPROC_vBuildTxSequenceForSingleDownAltShortTransmit(b, G(GONE), 1, n, 236, s);
         },
         true, ON_RECEIVER_2, {{{200, 25, 1, 1, 50}, UNUSED, 2, 2, 1200, 0x00, 0x04, 0xF5}}},
        {"ShortTransmit",
         [](U8* b, BOOLEAN, BOOLEAN) { S_COPROC_vBuildTxSequenceForShortTransmit(b, G(GONE)); }, false, NONE,
         {{{200, 25, 2, 1, 50}, UNUSED, 2, 2, 1200, 0x03, 0x01, 0xFD}}},
        {"KVSonarTest receiver 0",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildTxSequenceForKVSonarTest(b, G(GONE), 0, n, 1); }, true, NONE,
         {{{200, 25, 1, 1, 50}, UNUSED, 2, 2, 1200, 0x03, 0x01, 0xF5}}},
        {"KVSonarTest receiver 1 at 455 kHz on output 4",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequenceForKVSonarTest(b, 25, TXPOWER_MED, 1, 1200, 455, 1, n, 4);
         },
         true, NONE, {{{455, 25, 2, 4, 65}, UNUSED, 2, 2, 1200, 0x08, 0x04, 0xF5}}},
        {"KVSonarTest receiver 1 at 800 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequenceForKVSonarTest(b, 25, TXPOWER_MED, 1, 1200, 800, 1, n, 6);
         },
         true, NONE, {{{800, 25, 2, 6, 50}, UNUSED, 2, 2, 1200, 0x0C, 0x04, 0xF5}}},
        {"KVSonarTest receiver 1 at 262 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequenceForKVSonarTest(b, 25, TXPOWER_MED, 1, 1200, 262, 1, n, 4);
         },
         true, NONE, {{{262, 25, 2, 4, 65}, UNUSED, 2, 2, 1200, 0x00, 0x04, 0xF5}}},
        {"KVSonarTest receiver 2 at 800 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequenceForKVSonarTest(b, 25, TXPOWER_MED, 1, 1200, 800, 2, n, 4);
         },
         true, NONE, {{{800, 25, 2, 4, 65}, UNUSED, 2, 2, 1200, 0x04, 0x10, 0xED}}},
        {"KVSonarTest receiver 2 at 455 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequenceForKVSonarTest(b, 25, TXPOWER_MED, 1, 1200, 455, 2, n, 4);
         },
         true, NONE, {{{455, 25, 2, 4, 65}, UNUSED, 2, 2, 1200, 0x00, 0x10, 0xED}}},
        {"200kHz", [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildTxSequence200kHz(b, G(G200), n); }, true, NONE,
         {S_200}},
        {"200kHzAltShortTransmit",
         [](U8* b, BOOLEAN n, BOOLEAN s) { S_COPROC_vBuildTxSequence200kHzAltShortTransmit(b, G(G200), n, s); }, true,
         ON_200KHZ, {S_200}},
        {"200kHzParLF",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzParLF(b, G_PAR_LF(G200), G_PAR_LF(GLF), n, 236);
         },
         true, NONE, {{P2D_LF, P2D_200, 2, 3, 4000, 0x02, 0x06, 0xF5}}},
        {"200kHzParLFAltShortTransmit",
         [](U8* b, BOOLEAN n, BOOLEAN s) {
             S_COPROC_vBuildTxSequence200kHzParLFAltShortTransmit(b, G_PAR_LF(G200), G_PAR_LF(GLF), n, 236, s);
         },
         true, ON_RECEIVER_2, {{P2D_LF, P2D_200, 2, 3, 4000, 0x02, 0x06, 0xF5}}},
        {"200kHzAltLFAltShortTransmit",
         [](U8* b, BOOLEAN n, BOOLEAN s) {
             S_COPROC_vBuildTxSequence200kHzAltLFAltShortTransmit(b, G(G200), G(GLF), n, 236, s);
         },
         true, ON_200KHZ, {S_LF, S_200}},
        {"200kHzAltLFAltShortTx",
         [](U8* b, BOOLEAN n, BOOLEAN s) { S_COPROC_vBuildTxSequence200kHzAltLFAltShortTx(b, G(G200), G(GLF), n, s); },
         true, ON_200KHZ, {S_200, S_LF}},
        {"200kHzAltDownLookingPing at 462 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(b, G(G200), G(G455), n);
         },
         true, NONE, {S_200, {P455, UNUSED, 2, 2, 1500, 0x08, 0x0C, 0xF5}}},
        {"200kHzAltDownLookingPing at 83 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(b, G(G200), G(GLF), n); },
         true, NONE, {S_200, {{83, 8, 2, 1, 50}, UNUSED, 2, 2, 4000, 0x02, 0x08, 0xF5}}},
        {"200kHzAltDownLookingPing at 50 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(b, G(G200), 8, TXPOWER_MED, 2, 4000, 50, n);
         },
         true, NONE, {S_200, {{50, 8, 2, 1, 50}, UNUSED, 2, 2, 4000, 0x00, 0x08, 0xF5}}},
        {"200kHzParKVFrequency at 800 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildTxSequence200kHzParKVFrequency(b, G(G200), G(GKV), n); }, true,
         NONE, {S_PAR_KV}},
        {"200kHzParKVFrequency at 455 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzParKVFrequency(b, 30, TXPOWER_HI, 1, 1000, 200, 18, TXPOWER_LOW, 2, 3000,
                                                           455, n);
         },
         true, NONE, {{{455, 18, 2, 4, 65}, P2D_200, 3, 1, 3000, 0x03, 0x21, 0xED}}},
        {"200kHzAlt455kHzParKVFrequency",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzAlt455kHzParKVFrequency(b, G(G200), G(G455), G(GKV), n);
         },
         true, NONE, {S_PAR_KV, {P455, UNUSED, 2, 1, 1500, 0x08, 0x0C, 0xF5}}},
        {"200kHzAlt83And50kHzParKVFrequency",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzAlt83And50kHzParKVFrequency(b, G(G200), G(GLF), G(GKV), n);
         },
         true, NONE, {S_PAR_KV, {P2D_LF, UNUSED, 2, 1, 4000, 0x02, 0x02, 0xF5}}},
        {"200kHzParHighFrequency at 455 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildTxSequence200kHzParHighFrequency(b, G(G200), G(GHF), n); },
         true, NONE, {S_PAR_HF}},
        {"200kHzParHighFrequency at 262 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzParHighFrequency(b, G(G200), 17, TXPOWER_LOW, 3, 2500, 262, n);
         },
         true, NONE, {{{262, 17, 2, 6, 65}, P2D_200, 3, 1, 2500, 0x03, 0x3D, 0xE9}}},
        {"200kHzParHighFrequency at 800 kHz",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzParHighFrequency(b, G(G200), 17, TXPOWER_LOW, 3, 1000, 800, n);
         },
         true, NONE, {{{800, 17, 2, 6, 65}, P2D_200, 3, 1, 2000, 0x0F, 0x3D, 0xE9}}},
        {"200kHzParHighFrequencyAltShortTransmit",
         [](U8* b, BOOLEAN n, BOOLEAN s) {
             S_COPROC_vBuildTxSequence200kHzParHighFrequencyAltShortTransmit(b, G(G200), G(GHF), n, s);
         },
         true, ON_200KHZ, {S_PAR_HF}},
        {"200kHzAltLFParHighFrequency",
         [](U8* b, BOOLEAN n, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequency(b, G(G200), G(GLF), G(GHF), n);
         },
         true, NONE, {S_PAR_HF, {PHF, P2D_LF, 2, 1, 4000, 0x0A, 0x3E, 0xE9}}},
        {"200kHzAltLFParHighFrequencyAltShortTx",
         [](U8* b, BOOLEAN n, BOOLEAN s) {
             S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequencyAltShortTx(b, G(G200), G(GLF), G(GHF), n, s);
         },
         true, ON_200KHZ, {S_PAR_HF, {PHF, P2D_LF, 2, 1, 4000, 0x0A, 0x3E, 0xE9}}},
        {"SingleBeamKVPing",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildSingleBeamKVPing(b, 3, G(GKV), n); }, true, NONE,
         {{PKV, UNUSED, 1, 1, 3000, 0x04, 0x20, 0xEF}}},
        {"SingleBeamSSPing455kHzLR beam 3",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildSingleBeamSSPing455kHzLR(b, 3, G(GHF), n); }, true, NONE,
         {{PHF, UNUSED, 1, 1, 2500, 0x08, 0x3C, 0xEB}}},
        {"SingleBeamSSPing455kHzLR beam 2",
         [](U8* b, BOOLEAN n, BOOLEAN) { S_COPROC_vBuildSingleBeamSSPing455kHzLR(b, 2, G(GHF), n); }, true, NONE,
         {{PHF, UNUSED, 1, 1, 2500, 0x08, 0x3C, 0xEB}}},
        {"SingleBeamMSSPing455kHzLR beam 2",
         [](U8* b, BOOLEAN, BOOLEAN) { S_COPROC_vBuildSingleBeamMSSPing455kHzLR(b, 2, G(GHF)); }, false, NONE,
         {{{455, 17, 2, 2, 50}, UNUSED, 1, 1, 2500, 0x08, 0x3C, 0xEB}}},
        {"SingleBeamMSSPing455kHzLR beam 3",
         [](U8* b, BOOLEAN, BOOLEAN) { S_COPROC_vBuildSingleBeamMSSPing455kHzLR(b, 3, G(GHF)); }, false, NONE,
         {{{455, 17, 2, 4, 50}, UNUSED, 1, 1, 2500, 0x08, 0x3C, 0xEB}}},
    };
    return all;
}

void expectPulse(const TX_PULSE& got, const Pulse& want, const char* which)
{
    SCOPED_TRACE(which);
    EXPECT_EQ(got.u16TxFreq, want.freq);
    EXPECT_EQ(got.u8TxCycles, want.cycles);
    EXPECT_EQ(got.eTxMode, want.mode);
    EXPECT_EQ(got.u8TxOutput, want.output);
    EXPECT_EQ(got.u8DutyCycle, want.duty);
    EXPECT_EQ(got.u8Delay, 0);
}

void expectSequence(const TX_SEQUENCE& got, const Seq& want)
{
    expectPulse(got.TxPulse[0], want.p0, "pulse 0");
    expectPulse(got.TxPulse[1], want.p1, "pulse 1");
    expectPulse(got.TxPulse[2], UNUSED, "pulse 2");
    EXPECT_EQ(got.eTxPower0, want.pw0);
    EXPECT_EQ(got.eTxPower1, want.pw1);
    EXPECT_EQ(got.u16Samples, want.samples);
    EXPECT_EQ(got.bRxFrequency, want.code);
    EXPECT_EQ(got.bBandwidth, want.bw);
    EXPECT_EQ(got.bRxEnable, want.enable);
    EXPECT_EQ(got.u8PingRate, 0);
    EXPECT_EQ(got.u8SampleRate, 26);
    EXPECT_EQ(got.u16NoiseSamples, 50);
    EXPECT_EQ(got.u8Tx0Level, 0);
    EXPECT_EQ(got.u8Tx1Level, 0);
    EXPECT_EQ(got.bTxFail, 0);
}

MULTI_TX run(const Build& build, BOOLEAN noTransmit, BOOLEAN shortTransmit)
{
    U8 block[MULTI_TX_BYTES] = {};
    build(block, noTransmit, shortTransmit);
    MULTI_TX m;
    S_COPROC_vDecodeMultiTx(block, &m);
    return m;
}

TEST(TransmitBlock, ExactBytesOfOne200kHzPing)
{
    U8 block[MULTI_TX_BYTES] = {};
    S_COPROC_vBuildTxSequence200kHz(block, 30, TXPOWER_HI, 1, 2000, 200, FALSE);
    const std::vector<U8> want = {
        0xC8, 0x00, 0x1E, 0x01, 0x01, 0x32, 0x00,  // pulse 0
        0x00, 0x00, 0x00, 0x03, 0x00, 0x32, 0x00,  // pulse 1, unused
        0x00, 0x00, 0x00, 0x03, 0x00, 0x32, 0x00,  // pulse 2, unused
        0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, // powers at 21 and 25
        0x00, 0x00, 0x00, 0x1A, 0xD0, 0x07, 0x32, 0x00, 0x03, 0x01, 0xFD, 0x00};
    EXPECT_EQ(std::vector<U8>(block, block + TX_SEQUENCE_BYTES), want);
    for (U32 i = TX_SEQUENCE_BYTES; i < MULTI_TX_COUNT_OFFSET; ++i)
        ASSERT_EQ(block[i], 0) << i;
    EXPECT_EQ(block[MULTI_TX_COUNT_OFFSET], 1);
}

TEST(TransmitBlock, EveryBuilderLaysOutItsSequences)
{
    for (const Case& c : cases()) {
        for (BOOLEAN shortTransmit : {FALSE, TRUE}) {
            SCOPED_TRACE(c.name + (shortTransmit ? " with short transmit" : ""));
            const MULTI_TX m = run(c.build, FALSE, shortTransmit);
            std::vector<Seq> want = c.main;
            if (shortTransmit && c.shortTx != NONE)
                want.push_back(c.shortTx == ON_RECEIVER_2 ? S_SHORT_RX2 : S_SHORT_200);
            ASSERT_EQ(m.u8NumberOfSequences, want.size());
            for (size_t i = 0; i < want.size(); ++i) {
                SCOPED_TRACE(i);
                expectSequence(m.MultiSonar[i], want[i]);
            }
        }
    }
}

TEST(TransmitBlock, NoTransmitSilencesTheMainPulsesButNotTheShortTransmit)
{
    for (const Case& c : cases()) {
        if (!c.takesNoTransmit)
            continue;
        SCOPED_TRACE(c.name);
        const MULTI_TX m = run(c.build, TRUE, TRUE);
        for (size_t i = 0; i < c.main.size(); ++i) {
            Seq silent = c.main[i];
            silent.p0.mode = silent.p1.mode = TXMODE_NONE;
            expectSequence(m.MultiSonar[i], silent);
        }
        if (c.shortTx != NONE) {
            ASSERT_EQ(m.u8NumberOfSequences, c.main.size() + 1);
            EXPECT_EQ(m.MultiSonar[c.main.size()].TxPulse[0].eTxMode, TXMODE_DMA);
        }
    }
}

TEST(TransmitBlock, ShortTransmitListensTo20MetresAtTheSpeedOfSound)
{
    const struct {
        U32 speed;
        U16 samples;
    } speeds[] = {{1463, 1052}, {1500, 1026}};
    for (const auto& s : speeds) {
        g_u32SpeedOfSoundInWater = s.speed;
        U8 block[MULTI_TX_BYTES] = {};
        S_COPROC_vBuildTxSequence200kHzAltShortTransmit(block, G(G200), FALSE, TRUE);
        MULTI_TX m;
        S_COPROC_vDecodeMultiTx(block, &m);
        EXPECT_EQ(m.MultiSonar[1].u16Samples, s.samples) << s.speed;
    }
    g_u32SpeedOfSoundInWater = 1463;
}

TEST(TransmitBlock, BandwidthsAreMaskedToTwoBits)
{
    const struct {
        Build build;
        U8 bandwidth;
    } cases[] = {
        {[](U8* b, BOOLEAN, BOOLEAN) { S_COPROC_vBuildTxSequence200kHz(b, 30, TXPOWER_HI, 5, 2000, 200, FALSE); },
         0x01},
        {[](U8* b, BOOLEAN, BOOLEAN) {
             S_COPROC_vBuildTxSequence200kHzParHighFrequency(b, 30, TXPOWER_HI, 6, 2000, 200, 17, TXPOWER_LOW, 0xFD,
                                                             2500, 455, FALSE);
         },
         0x16},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.build, FALSE, FALSE).MultiSonar[0].bBandwidth, c.bandwidth);
}

TEST(TransmitBlock, BuildersLeaveLevelsFailFlagAndLaterSequencesAsTheyWere)
{
    U8 block[MULTI_TX_BYTES];
    std::fill(block, block + MULTI_TX_BYTES, 0xEE);
    S_COPROC_vBuildTxSequence200kHzAltLFAltShortTransmit(block, G(G200), G(GLF), FALSE, 236, TRUE);
    ASSERT_EQ(block[MULTI_TX_COUNT_OFFSET], 3);
    for (U32 s = 0; s < 3; ++s)
        for (U32 offset : {29u, 30u, 40u})
            EXPECT_EQ(block[s * TX_SEQUENCE_BYTES + offset], 0xEE) << s << " " << offset;
    for (U32 i = 3 * TX_SEQUENCE_BYTES; i < MULTI_TX_COUNT_OFFSET; ++i)
        ASSERT_EQ(block[i], 0xEE) << i;
}

TEST(TransmitBlock, CodecsCarryEveryByteBothWays)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        U8 in[MULTI_TX_BYTES];
        for (U8& b : in)
            b = (U8)rng();
        MULTI_TX m;
        S_COPROC_vDecodeMultiTx(in, &m);
        U8 out[MULTI_TX_BYTES];
        S_COPROC_vEncodeMultiTx(&m, out);
        ASSERT_EQ(std::vector<U8>(in, in + MULTI_TX_BYTES), std::vector<U8>(out, out + MULTI_TX_BYTES));
        EXPECT_EQ(m.MultiSonar[1].eTxPower0, (U32)in[62] | (U32)in[63] << 8 | (U32)in[64] << 16 | (U32)in[65] << 24);
        EXPECT_EQ(m.MultiSonar[5].u16NoiseSamples, in[205 + 35] | in[205 + 36] << 8);

        TX_SEQUENCE copy;
        S_COPROC_vCopyAndConvertEndianTxSequence(&m.MultiSonar[2], &copy);
        S_COPROC_vEncodeTxSequence(&copy, out);
        ASSERT_EQ(std::vector<U8>(in + 82, in + 123), std::vector<U8>(out, out + TX_SEQUENCE_BYTES));
        S_COPROC_vCopyAndConvertEndianTxSequence(&copy, &copy); // its own copy: unchanged
        S_COPROC_vEncodeTxSequence(&copy, out);
        ASSERT_EQ(std::vector<U8>(in + 82, in + 123), std::vector<U8>(out, out + TX_SEQUENCE_BYTES));
    }
}

TEST(TransmitBlock, ReceiverFrequencyCodes)
{
    const struct {
        RXFREQ r3, r2, r1;
        U8 code;
    } cases[] = {
        {RXFREQ_UNUSED, RXFREQ_UNUSED, RXFREQ_50KHZ, 0x00},  {RXFREQ_UNUSED, RXFREQ_UNUSED, RXFREQ_83KHZ, 0x02},
        {RXFREQ_UNUSED, RXFREQ_UNUSED, RXFREQ_200KHZ, 0x03}, {RXFREQ_UNUSED, RXFREQ_455KHZ, RXFREQ_83KHZ, 0x0A},
        {RXFREQ_UNUSED, RXFREQ_800KHZ, RXFREQ_UNUSED, 0x0C}, {RXFREQ_800KHZ, RXFREQ_UNUSED, RXFREQ_50KHZ, 0x04},
        {RXFREQ_455KHZ, RXFREQ_800KHZ, RXFREQ_200KHZ, 0x0B}, {RXFREQ_260KHZ, RXFREQ_800KHZ, RXFREQ_200KHZ, 0x03},
        {RXFREQ_800KHZ, RXFREQ_200KHZ, RXFREQ_83KHZ, 0x06},  {RXFREQ_UNUSED, RXFREQ_260KHZ, RXFREQ_200KHZ, 0x03},
        {RXFREQ_200KHZ, RXFREQ_50KHZ, RXFREQ_260KHZ, 0x00},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S_COPROC_u8SetRxFrequencies(c.r3, c.r2, c.r1), c.code)
            << (int)c.r3 << " " << (int)c.r2 << " " << (int)c.r1;
}

} // namespace
} // namespace sonar_test
