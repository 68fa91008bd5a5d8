// One transmit block and its pings through the coprocessor interface, with
// the simulated coprocessor in process and with a peer serving it over a
// SEQPACKET socket: each read echoes the next sequence, carries 50 noise
// samples before the returns, and shows the scene's bottom on the channel
// the sequence enabled.
#include "platform/h_coproc.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_demultiplex.h"
#include "sonar/tests/sonar_root.h"

#include "store/h_database.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace sonar_test {
namespace {

constexpr float BOTTOM_METRES = 8.0f;
constexpr U16 LF_SAMPLES = 55000; // the largest block the unit reads

// (trunc(metres x 2000000 / speed) + 13) / 26
U32 sampleIndex(float metres)
{
    return ((U32)(metres * 2000000.0f / (float)g_u32SpeedOfSoundInWater) + 13) / 26;
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_DATABASE_vInit();
        H_COPROC_vResetForTests();
        unlink(at("/dev/sonar0").c_str());
        vt::writeFile(at("/dev/sonar0.scene"), "connected 1\nbottom 8\nnoise 12\nfish 0 0\n");
    }
    void TearDown() override
    {
        H_COPROC_vResetForTests();
        unlink(at("/dev/sonar0").c_str());
        unlink(at("/dev/sonar0.scene").c_str());
    }

    // Sends a three-sequence block (low frequency, 200 kHz, short transmit)
    // and checks three reads.
    void pingThreeSequences()
    {
        H_COPROC_vInitialize();
        ASSERT_TRUE(H_COPROC_bCoprocessorReady());
        U8* block = gpu8NonCachedDataBlock;
        std::fill(block, block + MULTI_TX_BYTES, 0);
        S_COPROC_vBuildTxSequence200kHzAltLFAltShortTransmit(block, 30, TXPOWER_HI, 1, 2000, 200, 8, TXPOWER_MED, 2,
                                                             LF_SAMPLES, 83, FALSE, 236, TRUE);
        const std::vector<U8> sent(block, block + MULTI_TX_BYTES);
        ASSERT_EQ(sent[MULTI_TX_COUNT_OFFSET], 3);
        ASSERT_EQ(H_COPROC_u32Transfer(block, MULTI_TX_BYTES, SEND_TO_COPROC), MULTI_TX_BYTES);

        const U16 samples[3] = {LF_SAMPLES, 2000, 1052};
        std::vector<U8> noise(50), returns(LF_SAMPLES), other(LF_SAMPLES);
        for (U32 i = 0; i < 3; ++i) {
            SCOPED_TRACE(testing::Message() << "sequence " << i + 1);
            const U32 received = H_COPROC_u32Transfer(block, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
            EXPECT_EQ(received, 45u + 3 * (50u + samples[i]));
            TX_SEQUENCE echo;
            const U8* start = nullptr;
            U16 u16Noise = 0, u16Returns = 0;
            ASSERT_TRUE(S_DEMULTIPLEX_bTakeReceivedBlock(block, received, 50, 55000, &echo, &start, &u16Noise,
                                                         &u16Returns));
            U8 again[TX_SEQUENCE_BYTES];
            S_COPROC_vEncodeTxSequence(&echo, again);
            EXPECT_TRUE(std::equal(again, again + TX_SEQUENCE_BYTES, sent.begin() + TX_SEQUENCE_BYTES * i));
            EXPECT_EQ(u16Noise, 50);
            ASSERT_EQ(u16Returns, samples[i]);

            S_DEMULTIPLEX_vGetExtractRxData(start, 0, u16Noise, u16Returns, noise.data(), returns.data());
            S_DEMULTIPLEX_vGetExtractRxData(start, 1, u16Noise, u16Returns, nullptr, other.data());
            EXPECT_LE(*std::max_element(noise.begin(), noise.end()), 18) << "noise only before transmission";
            // Past the transmit ring-down the first strong echo is the bottom.
            size_t bottom = 40;
            while (bottom < u16Returns && returns[bottom] < 200)
                ++bottom;
            EXPECT_EQ(bottom, sampleIndex(BOTTOM_METRES));
            EXPECT_EQ(*std::max_element(other.begin(), other.begin() + u16Returns), 0)
                << "the sequence enabled receiver 1 only";
        }
    }
};

TEST_F(RoundTrip, InProcessSimulatedCoprocessor)
{
    pingThreeSequences();
}

TEST_F(RoundTrip, ThroughASeqpacketPeer)
{
    vt::Child peer({vt::buildPath("testing/vondrel_sonar_peer"), at("/dev/sonar0")});
    ASSERT_TRUE(peer.waitForOutput("ready")) << peer.err();
    pingThreeSequences();
}

} // namespace
} // namespace sonar_test
