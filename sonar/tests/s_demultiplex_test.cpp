// Demultiplexing a received block: the echo, the channel de-interleave for
// every count around the unrolled step, where the returns start, and the
// checked start that refuses failed or short receives and keeps counts
// inside what a receive delivered.
#include "sonar/dsp/s_demultiplex.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace sonar_test {
namespace {

std::vector<U8> blockWithFrames(const std::vector<U8>& frames)
{
    std::vector<U8> b(S_DEMULTIPLEX_HEAD_BYTES, 0);
    b.insert(b.end(), frames.begin(), frames.end());
    return b;
}

TEST(Demultiplex, OneChannelOfThreeInterleaved)
{
    const std::vector<U8> b = blockWithFrames({0x10, 0x20, 0x30, 0x11, 0x21, 0x31, 0x12, 0x22, 0x32});
    TX_SEQUENCE echo;
    const U8* start = nullptr;
    EXPECT_TRUE(S_DEMULTIPLEX_bExtractTxSequence(b.data(), &echo, &start));
    EXPECT_EQ(start, b.data() + 45);
    U8 noise[1] = {};
    U8 returns[2] = {};
    S_DEMULTIPLEX_vGetExtractRxData(start, 1, 1, 2, noise, returns);
    EXPECT_EQ(noise[0], 0x20);
    EXPECT_EQ(returns[0], 0x21);
    EXPECT_EQ(returns[1], 0x22);
}

TEST(Demultiplex, ReturnsStartAfterTheNoiseFramesWithOrWithoutANoiseBuffer)
{
    std::vector<U8> frames;
    for (int k = 0; k < 60; ++k)
        for (int c = 0; c < 3; ++c)
            frames.push_back((U8)(k * 3 + c));
    const std::vector<U8> b = blockWithFrames(frames);
    U8 returns[10];
    S_DEMULTIPLEX_vGetExtractRxData(b.data() + 45, 2, 50, 10, nullptr, returns);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(returns[i], (50 + i) * 3 + 2) << i;

    U8 untouched[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    U8 noise[4] = {};
    S_DEMULTIPLEX_vGetExtractRxData(b.data() + 45, 0, 4, 0, noise, untouched);
    EXPECT_EQ(std::vector<U8>(untouched, untouched + 4), std::vector<U8>(4, 0xEE)) << "zero returns";
    EXPECT_EQ(std::vector<U8>(noise, noise + 4), (std::vector<U8>{0, 3, 6, 9}));
}

TEST(Demultiplex, EveryCountAroundTheStepsCopiesExactlyItsSamples)
{
    std::mt19937 rng(3);
    const std::vector<U16> noiseCounts = {0, 1, 7, 8, 9, 50};
    std::vector<U16> counts;
    for (U16 n = 0; n <= 40; ++n)
        counts.push_back(n);
    for (U16 n : {63, 64, 65, 71, 72, 127, 128, 129, 200, 1000})
        counts.push_back(n);
    for (BOOLEAN narrow : {FALSE, TRUE}) {
        S_DEMULTIPLEX_vNarrowCopyForTests(narrow);
        for (U8 channel = 0; channel < 3; ++channel) {
            for (U16 noiseCount : noiseCounts) {
                for (U16 count : counts) {
                    SCOPED_TRACE(testing::Message() << (narrow ? "portable" : "widest") << " channel "
                                                    << (int)channel << " noise " << noiseCount << " returns " << count);
                    // The frames end with the channel's last sample, and each
                    // buffer is followed by a guard byte: an overrun shows.
                    const size_t samples = (size_t)noiseCount + count;
                    std::vector<U8> frames(samples ? 3 * samples - (2 - channel) : 0);
                    for (U8& f : frames)
                        f = (U8)rng();
                    std::vector<U8> noise(noiseCount + 1, 0xA5);
                    std::vector<U8> returns(count + 1, 0xA5);
                    S_DEMULTIPLEX_vGetExtractRxData(frames.data(), channel, noiseCount, count, noise.data(),
                                                    returns.data());
                    for (U16 i = 0; i < noiseCount; ++i)
                        ASSERT_EQ(noise[i], frames[3 * i + channel]) << i;
                    for (U16 i = 0; i < count; ++i)
                        ASSERT_EQ(returns[i], frames[3 * (noiseCount + i) + channel]) << i;
                    ASSERT_EQ(noise[noiseCount], 0xA5);
                    ASSERT_EQ(returns[count], 0xA5);
                }
            }
        }
    }
    S_DEMULTIPLEX_vNarrowCopyForTests(FALSE);
}

TEST(Demultiplex, TheEchoComesBackByteForByte)
{
    std::vector<U8> b(S_DEMULTIPLEX_HEAD_BYTES);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = (U8)(0x80 + i * 7);
    TX_SEQUENCE echo;
    const U8* start = nullptr;
    S_DEMULTIPLEX_bExtractTxSequence(b.data(), &echo, &start);
    U8 again[TX_SEQUENCE_BYTES];
    S_COPROC_vEncodeTxSequence(&echo, again);
    EXPECT_EQ(std::vector<U8>(again, again + TX_SEQUENCE_BYTES), std::vector<U8>(b.begin() + 4, b.end()));
    EXPECT_EQ(echo.eTxPower0, (U32)b[25] | (U32)b[26] << 8 | (U32)b[27] << 16 | (U32)b[28] << 24);
    EXPECT_EQ(echo.eTxPower1, (U32)b[29] | (U32)b[30] << 8 | (U32)b[31] << 16 | (U32)b[32] << 24);
}

TEST(Demultiplex, AReceiveIsAPingOnlyWithAWholeHeadAndWithinWhatItCarried)
{
    // Echo of 50 noise and 1000 return samples.
    std::vector<U8> b(S_DEMULTIPLEX_HEAD_BYTES + 3 * 1050, 0);
    b[4 + 33] = 1000 & 0xFF;
    b[4 + 34] = 1000 >> 8;
    b[4 + 35] = 50;
    const struct {
        U32 received;
        U16 maxNoise, maxReturns;
        bool ping;
        U16 noise, returns;
    } cases[] = {
        {0xFFFFFFFFu, 50, 55000, false, 0, 0}, // the receive failed
        {0, 50, 55000, false, 0, 0},
        {44, 50, 55000, false, 0, 0},
        {45, 50, 55000, true, 0, 0},
        {45 + 3 * 1050, 50, 55000, true, 50, 1000},
        {45 + 3 * 1050 + 2, 50, 55000, true, 50, 1000},
        {45 + 3 * 1050, 20, 300, true, 20, 300},
        {45 + 3 * 30 + 2, 50, 55000, true, 30, 0},  // not even the noise came whole
        {45 + 3 * 400 + 1, 50, 55000, true, 50, 350},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.received);
        TX_SEQUENCE echo = {};
        echo.u16Samples = 0x1234;
        const U8* start = nullptr;
        U16 noise = 0xFFFF, returns = 0xFFFF;
        EXPECT_EQ(S_DEMULTIPLEX_bTakeReceivedBlock(b.data(), c.received, c.maxNoise, c.maxReturns, &echo, &start,
                                                   &noise, &returns) != 0,
                  c.ping);
        if (!c.ping) {
            EXPECT_EQ(start, nullptr);
            EXPECT_EQ(echo.u16Samples, 0x1234) << "nothing decoded";
            continue;
        }
        EXPECT_EQ(start, b.data() + 45);
        EXPECT_EQ(echo.u16Samples, 1000);
        EXPECT_EQ(noise, c.noise);
        EXPECT_EQ(returns, c.returns);
    }
}

} // namespace
} // namespace sonar_test
