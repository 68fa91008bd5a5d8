// The simulated sonar coprocessor: scene files, the order and shape of the
// blocks it answers with, and what each receiver hears of the scene.
#include "platform/sim_coproc.h"
#include "platform/tests/platform_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace platform_test {
namespace {

constexpr U32 HEAD = 45;

// One transmit sequence as the unit writes it (only what the device reads).
struct Seq {
    U16 khz;
    U8 cycles;
    U8 mode; // 1 timer, 2 DMA, 3 none
    U16 samples;
    U16 noise;
    U8 enable;
};

std::vector<U8> multiTx(const std::vector<Seq>& seqs)
{
    std::vector<U8> b(247, 0);
    for (size_t i = 0; i < seqs.size(); ++i) {
        U8* p = b.data() + 41 * i;
        const Seq& s = seqs[i];
        p[0] = (U8)s.khz;
        p[1] = (U8)(s.khz >> 8);
        p[2] = s.cycles;
        p[3] = s.mode;
        p[4] = 1;
        p[5] = 50;
        for (int unused : {7, 14}) {
            p[unused + 3] = 3;
            p[unused + 5] = 50;
        }
        p[32] = 26;
        p[33] = (U8)s.samples;
        p[34] = (U8)(s.samples >> 8);
        p[35] = (U8)s.noise;
        p[36] = (U8)(s.noise >> 8);
        p[37] = (U8)(i + 1); // marks the sequence in its echo
        p[39] = s.enable;
    }
    b[246] = (U8)seqs.size();
    return b;
}

std::vector<U8> readBlock(U32 size = 165251)
{
    std::vector<U8> b(size);
    const S32 n = SIM_COPROC_s32Read(b.data(), size);
    b.resize(n > 0 ? (size_t)n : 0);
    return b;
}

// Channel c's returns (after the noise frames) of a received block.
std::vector<U8> returnsOf(const std::vector<U8>& block, U32 noise, U32 c)
{
    std::vector<U8> r;
    for (size_t i = HEAD + 3 * (size_t)noise + c; i < block.size(); i += 3)
        r.push_back(block[i]);
    return r;
}

std::vector<U8> noiseOf(const std::vector<U8>& block, U32 noise, U32 c)
{
    std::vector<U8> r;
    for (U32 k = 0; k < noise; ++k)
        r.push_back(block[HEAD + 3 * k + c]);
    return r;
}

// Index of the first sample at or above level from index from on; -1 if none.
int firstAbove(const std::vector<U8>& v, size_t from, U8 level)
{
    for (size_t i = from; i < v.size(); ++i)
        if (v[i] >= level)
            return (int)i;
    return -1;
}

const std::string SCENE = "/tmp/sim_coproc_test.scene";

class SimulatedCoprocessor : public ::testing::Test {
protected:
    void SetUp() override { drop(SCENE); }
    void TearDown() override { drop(SCENE); }
    void open(const std::string& scene)
    {
        put(SCENE, scene);
        SIM_COPROC_vOpen(at(SCENE).c_str());
    }
    void write(const std::vector<Seq>& seqs)
    {
        const std::vector<U8> b = multiTx(seqs);
        ASSERT_EQ(SIM_COPROC_s32Write(b.data(), (U32)b.size()), 247);
    }
};

TEST(SimulatedScene, FileKeysOverTheDefaults)
{
    SIM_COPROC_SCENE d;
    SIM_COPROC_vDefaultScene(&d);
    EXPECT_TRUE(d.bConnected);
    EXPECT_FLOAT_EQ(d.fBottomMetres, 8.0f);
    EXPECT_GT(d.u32Fish, 0u);

    const struct {
        const char* text;
        U32 skipped;
        bool connected;
        float bottom;
        U8 noise;
        std::vector<std::pair<float, U8>> fish; // empty: the default fish
        bool defaultFish;
    } cases[] = {
        {"", 0, true, 8.0f, d.u8Noise, {}, true},
        {"# just a comment\n\nconnected 0\n", 0, false, 8.0f, d.u8Noise, {}, true},
        {"bottom 23.5 # metres\nnoise 30\r\n", 0, true, 23.5f, 30, {}, true},
        {"fish 3 100\nfish 5.5 200\n", 0, true, 8.0f, d.u8Noise, {{3.0f, 100}, {5.5f, 200}}, false},
        {"fish 0 0\n", 0, true, 8.0f, d.u8Noise, {}, false},
        // Bad lines change nothing they would have set.
        {"connected 2\nbottom -1\nbottom deep\nnoise 101\nnoise 1.5\nfish 3\nfish 3 256\nspeed 1500\nbottom 9 10\n",
         9, true, 8.0f, d.u8Noise, {}, true},
        {"fish 1 1\nfish 2 1\nfish 3 1\nfish 4 1\nfish 5 1\nfish 6 1\nfish 7 1\nfish 8 1\nfish 9 1\n", 1, true, 8.0f,
         d.u8Noise, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SIM_COPROC_SCENE s;
        SIM_COPROC_vDefaultScene(&s);
        EXPECT_EQ(SIM_COPROC_u32ParseScene(c.text, &s), c.skipped);
        EXPECT_EQ(s.bConnected != 0, c.connected);
        EXPECT_FLOAT_EQ(s.fBottomMetres, c.bottom);
        EXPECT_EQ(s.u8Noise, c.noise);
        if (c.defaultFish) {
            EXPECT_EQ(s.u32Fish, d.u32Fish);
        } else {
            ASSERT_EQ(s.u32Fish, c.fish.size());
            for (size_t i = 0; i < c.fish.size(); ++i) {
                EXPECT_FLOAT_EQ(s.aFish[i].fDepthMetres, c.fish[i].first);
                EXPECT_EQ(s.aFish[i].u8Level, c.fish[i].second);
            }
        }
    }
}

TEST(SimulatedScene, SampleIndexFollowsTheUnitsRule)
{
    // (trunc(metres x 2000000 / 1463) + 13) / 26
    EXPECT_EQ(SIM_COPROC_u32SampleIndex(8.0f), (10935u + 13) / 26);
    EXPECT_EQ(SIM_COPROC_u32SampleIndex(100.0f), (136705u + 13) / 26);
    EXPECT_EQ(SIM_COPROC_u32SampleIndex(-3.0f), 0u);
}

TEST_F(SimulatedCoprocessor, ReadsCycleThroughTheWrittenSequences)
{
    open("");
    EXPECT_EQ(readBlock().size(), 0u) << "nothing to answer before the first write";
    const std::vector<Seq> seqs = {{200, 10, 1, 100, 50, 0xFD}, {83, 8, 1, 120, 50, 0xFD}, {400, 1, 2, 30, 50, 0xFD}};
    write(seqs);
    const U32 expectSamples[] = {100, 120, 30, 100};
    for (U32 ping = 1; ping <= 4; ++ping) {
        SCOPED_TRACE(ping);
        const std::vector<U8> b = readBlock();
        ASSERT_EQ(b.size(), HEAD + 3 * (50 + expectSamples[ping - 1]));
        EXPECT_EQ(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24, (int)ping) << "prefix counts the pings";
        EXPECT_EQ(b[4 + 37], (ping - 1) % 3 + 1) << "the sequence's own bytes come back";
    }
    const std::vector<U8> in = multiTx(seqs);
    const std::vector<U8> echo = readBlock(); // the fifth ping: sequence 2
    EXPECT_TRUE(std::equal(in.begin() + 41, in.begin() + 82, echo.begin() + 4)) << "byte for byte";
}

TEST_F(SimulatedCoprocessor, RefusedWritesKeepThePingsBefore)
{
    open("");
    write({{200, 10, 1, 100, 50, 0xFD}});
    std::vector<U8> b = multiTx({{200, 10, 1, 7, 50, 0xFD}});
    EXPECT_EQ(SIM_COPROC_s32Write(b.data(), 246), -1);
    EXPECT_EQ(SIM_COPROC_s32Write(b.data(), 248), -1);
    for (U8 count : {0, 7, 255}) {
        b[246] = count;
        EXPECT_EQ(SIM_COPROC_s32Write(b.data(), 247), -1) << (int)count;
    }
    EXPECT_EQ(readBlock().size(), HEAD + 3 * 150);
}

TEST_F(SimulatedCoprocessor, AShortReadGetsTheBlockCut)
{
    open("");
    write({{200, 10, 1, 1000, 50, 0xFD}});
    EXPECT_EQ(readBlock(100).size(), 100u);
    EXPECT_EQ(readBlock(20).size(), 20u);
}

TEST_F(SimulatedCoprocessor, ConnectedTransducerHearsRingDownBottomMultiplesAndFish)
{
    open("connected 1\nbottom 8\nnoise 12\nfish 4 120\n");
    write({{200, 10, 1, 2000, 50, 0xFD}});
    const std::vector<U8> b = readBlock();
    for (U8 n : noiseOf(b, 50, 0)) {
        EXPECT_GE(n, 6);
        EXPECT_LE(n, 18);
    }
    const std::vector<U8> r = returnsOf(b, 50, 0);
    ASSERT_EQ(r.size(), 2000u);
    const int bottom = (int)SIM_COPROC_u32SampleIndex(8.0f);
    const int fish = (int)SIM_COPROC_u32SampleIndex(4.0f);
    EXPECT_GE(*std::min_element(r.begin(), r.begin() + 10), 240) << "ring-down";
    const int afterRingDown = 40; // 12 samples flat, then gone within 20 more
    EXPECT_EQ(firstAbove(r, afterRingDown, 100), fish);
    EXPECT_EQ(firstAbove(r, fish + 10, 200), bottom);
    EXPECT_EQ(firstAbove(r, bottom + 60, 90), 2 * bottom) << "first multiple";
    EXPECT_EQ(firstAbove(r, 2 * bottom + 60, 45), 3 * bottom) << "second multiple";
    for (U32 c : {1u, 2u})
        for (U8 v : returnsOf(b, 50, c))
            ASSERT_EQ(v, 0) << "receiver " << c << " is not enabled";
}

TEST_F(SimulatedCoprocessor, NoEchoesWithoutATransducerOrATransmission)
{
    const struct {
        const char* scene;
        U8 mode;
    } cases[] = {{"connected 0\nnoise 12\n", 1}, {"connected 1\nnoise 12\n", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        open(c.scene);
        write({{200, 10, c.mode, 2000, 50, 0xFD}});
        const std::vector<U8> r = returnsOf(readBlock(), 50, 0);
        EXPECT_LE(*std::max_element(r.begin(), r.end()), 18);
        EXPECT_GE(*std::min_element(r.begin(), r.end()), 6);
    }
}

TEST_F(SimulatedCoprocessor, EnableMaskChoosesTheReceiversThatHear)
{
    open("noise 20\n");
    const struct {
        U8 mask;
        bool hears[3];
    } cases[] = {
        {0xFD, {true, false, false}}, {0xF5, {true, true, false}}, {0xED, {true, false, true}},
        {0xE9, {true, true, true}},   {0xEF, {false, false, true}}, {0xEB, {false, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << (int)c.mask);
        write({{455, 17, 2, 200, 50, c.mask}});
        const std::vector<U8> b = readBlock();
        for (U32 ch = 0; ch < 3; ++ch) {
            const std::vector<U8> n = noiseOf(b, 50, ch);
            const std::vector<U8> r = returnsOf(b, 50, ch);
            EXPECT_EQ(*std::max_element(n.begin(), n.end()) > 0, c.hears[ch]) << ch;
            EXPECT_EQ(r[0] >= 240, c.hears[ch]) << ch;
        }
    }
}

TEST_F(SimulatedCoprocessor, ARewrittenSceneTakesEffectAtTheNextRead)
{
    open("connected 1\nnoise 12\n");
    write({{200, 10, 1, 200, 50, 0xFD}});
    EXPECT_GE(returnsOf(readBlock(), 50, 0)[0], 240);
    put(SCENE, "connected 0\nnoise 12\n# longer, so that the change shows even within one clock tick\n");
    EXPECT_LE(returnsOf(readBlock(), 50, 0)[0], 18);
    drop(SCENE);
    EXPECT_GE(returnsOf(readBlock(), 50, 0)[0], 240) << "no file: the default scene";
}

} // namespace
} // namespace platform_test
