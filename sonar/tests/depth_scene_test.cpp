// The depth finder on pings of the simulated coprocessor: a transmit block
// for one beam, its received block demultiplexed, then what the processing
// task does to the samples the depth finder searches (two-of-two filter
// against the beam's previous ping, gain with the near-surface suppression
// on the 2D beams; averaging off), and the search from 2 ft down. The
// bottom lies within 10 samples (about 0.2 m) of the scene's on every beam
// with either threshold, with fish above it, and is followed while it
// moves from ping to ping.
//
// The scene's echoes are flat-topped: pulses are long enough for the
// elongation test, and, where the bottom is the peak less 7, short enough
// that the peak stays within the tolerance.
#include "platform/h_coproc.h"
#include "platform/sim_coproc.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_demultiplex.h"
#include "sonar/dsp/s_depth.h"
#include "sonar/dsp/s_filter.h"
#include "sonar/dsp/s_tvg.h"
#include "sonar/tests/sonar_root.h"

#include "store/h_database.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace sonar_test {
namespace {

constexpr U32 P = 26;
constexpr U16 NOISE_SAMPLES = 50;
constexpr U8 CLUTTER_LEVEL = 5;
constexpr U32 SEARCH_START_US = 1219200 / SIM_COPROC_SPEED_OF_SOUND; // 2 ft
constexpr U32 FIRST_PING_MS = 10000;
constexpr U32 PING_INTERVAL_MS = 100;
constexpr int TOLERANCE_SAMPLES = 10;

struct Beam {
    const char* name;
    BEAM beam;
    U16 khz;
    U8 cycles;
    U16 samples;
    U8 transducer;
    bool curve;
    float bottom;
    const char* fish; // scene lines
};

class DepthScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_DATABASE_vInit();
        g_u32SpeedOfSoundInWater = SIM_COPROC_SPEED_OF_SOUND;
        // One scene per process: tests may share a unit root.
        scene_ = at("/tmp/depth-" + std::to_string(getpid()) + ".scene");
        block_.assign(H_COPROC_BLOCK_BYTES, 0);
        raw_.assign(PING_MAX_SAMPLES, 0);
        filtered_.assign(PING_MAX_SAMPLES, 0);
        tvgd_.assign(PING_MAX_SAMPLES, 0);
        vFreshBeams();
    }
    // The depth finder's trackers and the two-of-two filter's previous pings
    // as at start.
    void vFreshBeams()
    {
        S_DEPTH_vResetForTests();
        for (auto& prev : previous_)
            prev.assign(PING_MAX_SAMPLES, 0);
    }
    void TearDown() override { std::remove(scene_.c_str()); }

    // One ping of a beam over a bottom at the given depth; the depth
    // finder's result in samples.
    U32 ping(const Beam& b, float bottom, U32 ms)
    {
        char text[256];
        snprintf(text, sizeof text, "connected 1\nbottom %.3f\nnoise 12\n%s", bottom, b.fish);
        EXPECT_TRUE(vt::writeFile(scene_, text));
        SIM_COPROC_vOpen(scene_.c_str());

        std::fill(block_.begin(), block_.begin() + MULTI_TX_BYTES, 0);
        S_COPROC_vBuildTxSequenceForSingleDown(block_.data(), b.cycles, TXPOWER_HI, 1, b.samples, b.khz, 0, FALSE, 0);
        EXPECT_EQ(SIM_COPROC_s32Write(block_.data(), MULTI_TX_BYTES), (S32)MULTI_TX_BYTES);
        const S32 received = SIM_COPROC_s32Read(block_.data(), H_COPROC_BLOCK_BYTES);
        TX_SEQUENCE echo;
        const U8* start = nullptr;
        U16 noise = 0, returns = 0;
        EXPECT_TRUE(S_DEMULTIPLEX_bTakeReceivedBlock(block_.data(), (U32)received, NOISE_SAMPLES, PING_MAX_SAMPLES,
                                                     &echo, &start, &noise, &returns));
        EXPECT_EQ(returns, b.samples);
        S_DEMULTIPLEX_vGetExtractRxData(start, 0, noise, returns, nullptr, raw_.data());

        PING_DESCRIPTOR d = {};
        d.Beam = b.beam;
        d.u32NumberOfSamples = returns;
        d.u32SamplePeriodMicroSeconds = P;
        d.u32TransmitFrequencyHertz = b.khz * 1000u;
        d.u8Transducer = b.transducer;
        d.pu8RawSonarData = raw_.data();
        d.pu8TvgdData = tvgd_.data();
        d.u32TimeStampMilliSeconds = ms;
        EXPECT_EQ(S_DEPTH_bUsesThresholdCurve(&d), b.curve);

        S_FILTER_v2of2Filter(returns, raw_.data(), previous_[b.beam].data(), filtered_.data());
        const BOOLEAN bSuppress = b.beam < 2;
        S_TVG_TvgRawSonar(&d, filtered_.data(), tvgd_.data(), CLUTTER_LEVEL, bSuppress, WATER_FRESH, 0);
        // Below the transmit ring-down, as the processing task starts.
        return S_DEPTH_u32FindDepth(&d, SEARCH_START_US, returns * P) / P;
    }

    std::string scene_;
    std::vector<U8> block_, raw_, filtered_, tvgd_;
    std::vector<U8> previous_[4];
};

TEST_F(DepthScene, TheBottomOfEveryBeamWithEitherThreshold)
{
    // Single thresholds on the 2D beams need short pings (300 samples,
    // 5.3 m), whose bottoms are shallow.
    const Beam beams[] = {
        {"low frequency, curve", 0, 83, 60, 1000, 1, true, 12.0f, "fish 3.0 120\nfish 7.5 140\n"},
        {"low frequency, single", 0, 83, 60, 300, 1, false, 4.5f, "fish 2.0 120\n"},
        {"200 kHz, curve", 1, 200, 73, 1000, 1, true, 12.0f, "fish 3.0 120\nfish 7.5 140\n"},
        {"200 kHz, single", 1, 200, 73, 300, 1, false, 4.5f, "fish 2.0 120\n"},
        {"455 kHz beam 2, curve", 2, 455, 150, 1000, 15, true, 12.0f, "fish 3.0 120\nfish 7.5 140\n"},
        {"455 kHz beam 2, single", 2, 455, 255, 1000, 1, false, 12.0f, "fish 3.0 120\nfish 7.5 140\n"},
        {"455 kHz beam 3, curve", 3, 455, 150, 1000, 17, true, 12.0f, "fish 3.0 120\nfish 7.5 140\n"},
        {"455 kHz beam 3, single", 3, 455, 255, 1000, 1, false, 12.0f, "fish 3.0 120\nfish 7.5 140\n"},
    };
    for (const Beam& b : beams) {
        SCOPED_TRACE(b.name);
        vFreshBeams();
        const int expected = (int)SIM_COPROC_u32SampleIndex(b.bottom);
        for (U32 k = 0; k < 6; ++k) {
            const U32 found = ping(b, b.bottom, FIRST_PING_MS + k * PING_INTERVAL_MS);
            // The first ping only primes the two-of-two filter.
            if (k > 0) {
                EXPECT_NEAR((int)found, expected, TOLERANCE_SAMPLES) << "ping " << k;
            }
        }
    }
}

TEST_F(DepthScene, FollowsABottomThatMoves)
{
    const Beam beams[] = {
        {"low frequency, curve", 0, 83, 60, 1500, 1, true, 0, "fish 3.0 120\n"},
        {"455 kHz beam 2, single", 2, 455, 255, 1500, 1, false, 0, "fish 3.0 120\n"},
        {"455 kHz beam 3, curve", 3, 455, 150, 1500, 17, true, 0, "fish 3.0 120\n"},
    };
    for (const Beam& b : beams) {
        SCOPED_TRACE(b.name);
        vFreshBeams();
        // Down from 10 m to 11.6 m at 0.2 m/s, then up again.
        float bottom = 10.0f;
        for (U32 k = 0; k < 160; ++k) {
            bottom += k < 80 ? 0.02f : -0.02f;
            const U32 found = ping(b, bottom, FIRST_PING_MS + k * PING_INTERVAL_MS);
            if (k > 0) {
                EXPECT_NEAR((int)found, (int)SIM_COPROC_u32SampleIndex(bottom), TOLERANCE_SAMPLES)
                    << "ping " << k << " at " << bottom << " m";
            }
        }
    }
}

} // namespace
} // namespace sonar_test
