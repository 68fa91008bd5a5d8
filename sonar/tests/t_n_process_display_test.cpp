// The reading side of the accumulators: new, repeated and absent columns,
// the store column's factor, offsets past the data, the fish of a column,
// the real-time strip and the 360 store.
#include "sonar/tests/process_world.h"

#include <algorithm>

namespace process_test {
namespace {

constexpr U32 STORE_BYTES = 2048;

struct Read {
    std::vector<U8> store = std::vector<U8>(STORE_BYTES, 0xEE);
    std::vector<U8> display = std::vector<U8>(600, 0xEE);
    std::vector<U8> zoom = std::vector<U8>(300, 0xEE);
    TSU_STORE_COLUMN column = {};
    FISH_TARGET_LIST fish = {};
    BOOLEAN noise = TRUE;
    Read()
    {
        column.au8Data = store.data();
        column.u32TSUDataLength = STORE_BYTES;
    }
    ACCUMULATOR_STATUS operator()(BEAM beam, U32 offset, U32 toUse, bool force = false)
    {
        return T_N_PROCESS_eGetDataForDisplay(beam, &column, display.data(), offset, toUse, zoom.data(), 0, toUse,
                                              nullptr, 0, 0, &fish, (U32)display.size(), (U32)zoom.size(), 0,
                                              force ? TRUE : FALSE, &noise);
    }
};

class DisplayRead : public ::testing::Test {
  protected:
    void SetUp() override
    {
        world();
        g_au8Transducer[0] = g_au8Transducer[1] = 0;
        // Unfiltered: a single ping's echoes reach the column.
        apply("YSNF", 0);
        T_N_PROCESS_vClearAllAccumulators();
        for (BEAM b = 0; b < ACCUMULATOR_BEAMS; ++b) {
            Read r;
            r(b, 0, 0); // consume any column left by another case
        }
    }
};

TEST_F(DisplayRead, NewThenNoNewDataUnlessForced)
{
    Read first;
    EXPECT_EQ(first(2, 0, 0), ACCUMULATOR_HAD_NO_DATA); // never pinged
    vProcessPing(ping(1, 4000));
    EXPECT_EQ(first(1, 0, 4000), ACCUMULATOR_HAD_NEW_DATA);
    EXPECT_FALSE(first.noise);

    Read second;
    EXPECT_EQ(second(1, 0, 4000), ACCUMULATOR_HAD_NO_NEW_DATA);
    EXPECT_EQ(second.display, std::vector<U8>(600, 0xEE)); // nothing produced

    Read forced;
    EXPECT_EQ(forced(1, 0, 4000, true), ACCUMULATOR_HAD_NEW_DATA);
    EXPECT_EQ(forced.store, first.store);
    EXPECT_EQ(forced.display, first.display);
    EXPECT_EQ(forced.zoom, first.zoom);
}

TEST_F(DisplayRead, StoreColumnFactorKeepsItWithinTheSlot)
{
    struct Case {
        U32 samples;
        U8 factor;
        U32 stored;
    };
    const Case cases[] = {{55000, 27, 2037}, {2048, 1, 2048}, {2049, 2, 1024}, {100, 1, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        vProcessPing(ping(1, c.samples));
        Read r;
        ASSERT_EQ(r(1, 0, c.samples), ACCUMULATOR_HAD_NEW_DATA);
        EXPECT_EQ(r.column.u8SampleFactor, c.factor);
        EXPECT_EQ(r.column.u32SamplesInStore, c.stored);
        // The echo survives the squeeze.
        EXPECT_GT(*std::max_element(r.store.begin(), r.store.begin() + c.stored), 100);
    }
}

TEST_F(DisplayRead, OffsetBeyondTheStoredSamplesGivesAZeroColumn)
{
    vProcessPing(ping(1, 4000));
    Read r;
    ASSERT_EQ(r(1, 5000, 1000), ACCUMULATOR_HAD_NEW_DATA);
    EXPECT_EQ(r.display, std::vector<U8>(600, 0));
}

TEST_F(DisplayRead, FishListCoversThePingsSinceTheLastRead)
{
    auto fishPing = [](U32 depthSamples) {
        PING_DESCRIPTOR* p = ping(1, 4000);
        p->bSimulated = TRUE;
        p->fDepthMetres = 40.0f;
        p->SimulatedFishList.u8NumberOfTargets = 1;
        p->SimulatedFishList.bSimulatedFishList = TRUE;
        p->SimulatedFishList.target[0].u32DepthInSamples = depthSamples;
        p->SimulatedFishList.target[0].u8Size = 1;
        p->SimulatedFishList.target[0].beam = 1;
        vProcessPing(p);
    };
    fishPing(500);
    fishPing(1500);
    Read r1;
    ASSERT_EQ(r1(1, 0, 4000), ACCUMULATOR_HAD_NEW_DATA);
    ASSERT_EQ(r1.fish.u8NumberOfTargets, 2);
    EXPECT_EQ(r1.fish.target[0].u32DepthInSamples, 500u);
    EXPECT_EQ(r1.fish.target[1].u32DepthInSamples, 1500u);

    fishPing(2500);
    Read r2;
    ASSERT_EQ(r2(1, 0, 4000), ACCUMULATOR_HAD_NEW_DATA);
    ASSERT_EQ(r2.fish.u8NumberOfTargets, 1);
    EXPECT_EQ(r2.fish.target[0].u32DepthInSamples, 2500u);

    Read r3;
    EXPECT_EQ(r3(1, 0, 4000, true), ACCUMULATOR_HAD_NEW_DATA);
    EXPECT_EQ(r3.fish.u8NumberOfTargets, 0);
}

TEST_F(DisplayRead, SecondPingIsPeakHeldAndTheStripHoldsTheLatestAlone)
{
    // A strong echo near the top, then a ping without it.
    PING_DESCRIPTOR* p = ping(1, 2000);
    memset(p->pu8RawSonarData + 600, 250, 20);
    vProcessPing(p);
    vProcessPing(ping(1, 2000));
    std::vector<U8> strip(4000, 0xEE);
    T_N_PROCESS_vGetRtsDataForDisplay(1, strip.data(), 0, 4000, 4000);
    Read r;
    ASSERT_EQ(r(1, 0, 2000), ACCUMULATOR_HAD_NEW_DATA);
    ASSERT_EQ(r.column.u8SampleFactor, 1);
    EXPECT_GT(r.store[610], strip[610]); // held in the column, gone from the strip
    EXPECT_EQ(r.store[1010], strip[1010]); // the bottom of both pings

    // The 360 store keeps the strip per sector.
    std::vector<U8> a(400, 0xEE), b(400, 0xEE);
    T_N_PROCESS_vRefreshMssRtsDataForDisplay(1, a.data(), 0, 4000, 400, 7);
    T_N_PROCESS_vFetchMssRtsDataForDisplay(b.data(), 0, 4000, 400, 7);
    EXPECT_EQ(a, b);
    T_N_PROCESS_vClearMssBuffer();
    T_N_PROCESS_vFetchMssRtsDataForDisplay(b.data(), 0, 4000, 400, 7);
    EXPECT_EQ(b, std::vector<U8>(400, 0));
    // A sector outside the store changes nothing and yields nothing.
    T_N_PROCESS_vRefreshMssRtsDataForDisplay(1, a.data(), 0, 4000, 400, MSS_STORE_COLUMNS);
    T_N_PROCESS_vFetchMssRtsDataForDisplay(b.data(), 0, 4000, 400, MSS_STORE_COLUMNS);
    EXPECT_EQ(b, std::vector<U8>(400, 0));
}

TEST_F(DisplayRead, ClearingEmptiesEveryBeam)
{
    vProcessPing(ping(0, 4000));
    vProcessPing(ping(1, 4000));
    T_N_PROCESS_vClearAllAccumulators();
    for (BEAM b : {BEAM(0), BEAM(1)}) {
        Read r;
        EXPECT_EQ(r(b, 0, 4000), ACCUMULATOR_HAD_NO_DATA);
    }
    Read r;
    EXPECT_EQ(r(7, 0, 4000), ACCUMULATOR_HAD_NO_DATA); // no such beam
}

} // namespace
} // namespace process_test

namespace process_test {
namespace {

TEST_F(DisplayRead, TerrainModeStartsAnImagingColumnAtTheBottom)
{
    g_au8Transducer[1] = 9; // its imaging beams are overwritten
    s_BeamSelected = 1;
    vResetBeamDepthHistory();
    H_DATABASE_bUpdateEverythingFloat(FCID("IDE2"), 10.0f, P_NORMAL, D_DEPTH, nullptr, 2);
    PING_DESCRIPTOR* p = ping(2, 2000);
    for (U32 i = 0; i < 2000; ++i)
        p->pu8RawSonarData[i] = (U8)(i % 200 + 50);
    vProcessPing(p);
    const U32 bottom = u32SamplesOfDepth(10.0f); // 526

    std::vector<U8> store(STORE_BYTES), terrain(600), plain(600);
    TSU_STORE_COLUMN column = {};
    column.au8Data = store.data();
    column.u32TSUDataLength = STORE_BYTES;
    BOOLEAN noise = FALSE;
    apply("SITM", 1);
    ASSERT_EQ(T_N_PROCESS_eGetDataForDisplay(2, &column, terrain.data(), 0, 2000, nullptr, 0, 0, nullptr, 0, 0,
                                             nullptr, 600, 0, 0, FALSE, &noise),
              ACCUMULATOR_HAD_NEW_DATA);
    EXPECT_EQ(column.fDepthMetres, 10.0f);
    apply("SITM", 0);
    ASSERT_EQ(T_N_PROCESS_eGetDataForDisplay(2, &column, plain.data(), bottom, 2000 - bottom, nullptr, 0, 0, nullptr,
                                             0, 0, nullptr, 600, 0, 0, TRUE, &noise),
              ACCUMULATOR_HAD_NEW_DATA);
    EXPECT_EQ(terrain, plain);
    EXPECT_NE(terrain, std::vector<U8>(600, 0));
}

} // namespace
} // namespace process_test

namespace process_test {
namespace {

TEST_F(DisplayRead, ColumnKeepsItsFirstPingsStampAndSmoothsTheDepth)
{
    s_BeamSelected = 1;
    vResetBeamDepthHistory();
    auto bottomPing = [](float metres, U32 stamp) {
        g_u32BottomUs = (U32)(metres / (1463 * 5e-7) + 0.5);
        PING_DESCRIPTOR* p = ping(1, 4000);
        p->u32TimeStampMilliSeconds = stamp;
        vProcessPing(p);
    };
    bottomPing(10.0f, 1000);
    bottomPing(20.0f, 2000);
    const U32 d10 = u32SamplesOfDepth(10.0f);
    const U32 d20 = u32SamplesOfDepth(20.0f);
    EXPECT_EQ(T_N_PROCESS_u32GetSmoothedDepthInSamples(1), (d20 + 7 * d10) / 8);
    // A ping without a bottom leaves the smoothed depth alone.
    bottomPing(0.0001f, 3000);
    EXPECT_EQ(T_N_PROCESS_u32GetSmoothedDepthInSamples(1), (d20 + 7 * d10) / 8);

    Read r1;
    ASSERT_EQ(r1(1, 0, 4000), ACCUMULATOR_HAD_NEW_DATA);
    EXPECT_EQ(r1.column.u32TimeStamp, 1000u);
    bottomPing(20.0f, 4000);
    Read r2;
    ASSERT_EQ(r2(1, 0, 4000), ACCUMULATOR_HAD_NEW_DATA);
    EXPECT_EQ(r2.column.u32TimeStamp, 4000u);
    g_u32BottomUs = 0;
}

} // namespace
} // namespace process_test
