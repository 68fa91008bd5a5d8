// GPU tile cache with a recording GPU: the choice of a slot on a miss
// (lowest free, else least recently drawn), eviction and kicking with their
// release calls, draws without uploads, and the vertex conversion.
#include "kernel/l_clock.h"
#include "render3d/ts_display.h"

#include "fake_gpu.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

std::vector<S32> g_released;

S32 recordRelease(S32 tile)
{
    g_released.push_back(tile);
    return 1;
}

class TsTileCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_gpu::install();
        std::memset(g_TileCache, 0, sizeof(g_TileCache));
        g_released.clear();
        tsDisplay_vSetTileReleaser(recordRelease);
        L_CLOCK_vResetTestClock();
        tsDisplay_Init(d, 800, 600, nullptr, nullptr, 0);
    }
    void TearDown() override
    {
        tsDisplay_vSetTileReleaser(nullptr);
        TS_GPU_vInstall(nullptr);
        L_CLOCK_vResetTestClock();
    }

    // A miss needs fresh vertices each time: they are converted in place.
    void drawNew(S32 tile)
    {
        std::vector<S32> vertices = {0, 0, 0, 2048, 0, 0, 0, 2048, 0};
        const std::vector<S32> tcoords = {0, 0, 0x10000, 0, 0, 0x10000};
        tsDisplay_DrawTile(d, tile, vertices.data(), 3, texture.data(), tcoords.data(), FALSE);
    }
    void drawCached(S32 tile) { tsDisplay_DrawTile(d, tile, nullptr, 0, nullptr, nullptr, FALSE); }
    static int slotOf(S32 tile)
    {
        tsTileCache* slot = tsDisplay_CheckCache(tile);
        return slot ? static_cast<int>(slot - g_TileCache) : -1;
    }

    std::unique_ptr<tsDisplay> owner = std::make_unique<tsDisplay>();
    tsDisplay* d = owner.get();
    std::vector<U16> texture = std::vector<U16>(512 * 512, 0x1234);
};

TEST_F(TsTileCacheTest, TheSixtyFifthTileEvictsTheLeastRecentlyDrawn)
{
    for (S32 tile = 100; tile < 164; ++tile) {
        drawNew(tile);
        L_CLOCK_vAdvanceTestClock(1);
    }
    for (S32 tile = 100; tile < 164; ++tile) {
        ASSERT_EQ(slotOf(tile), tile - 100);
    }
    EXPECT_TRUE(g_released.empty());

    drawNew(164);
    EXPECT_EQ(g_released, std::vector<S32>{100});
    EXPECT_EQ(slotOf(100), -1);
    EXPECT_EQ(slotOf(164), 0);

    // Redrawing refreshes: tile 101 is now the newest, so 102 goes next.
    L_CLOCK_vAdvanceTestClock(1);
    drawCached(101);
    L_CLOCK_vAdvanceTestClock(1);
    drawNew(165);
    EXPECT_EQ(g_released, (std::vector<S32>{100, 102}));
    EXPECT_EQ(slotOf(165), 2);
    EXPECT_EQ(slotOf(101), 1);
    // GPU names were made once per slot and reused by the evicting tiles.
    EXPECT_EQ(fake_gpu::record().textureGens, 64);
    EXPECT_EQ(fake_gpu::record().bufferGens, 64);
    EXPECT_EQ(g_TileCache[2].TexBuffTag, fake_gpu::record().textureUploads.back());
}

TEST_F(TsTileCacheTest, EqualAgesEvictTheEarliestSlot)
{
    for (S32 tile = 0; tile < 64; ++tile) {
        drawNew(tile); // all drawn in the same millisecond
    }
    L_CLOCK_vAdvanceTestClock(5);
    drawNew(64);
    EXPECT_EQ(g_released, std::vector<S32>{0});
    EXPECT_EQ(slotOf(64), 0);
}

TEST_F(TsTileCacheTest, ACachedDrawUploadsNothingAndRefreshesItsTime)
{
    drawNew(7);
    const fake_gpu::Record before = fake_gpu::record();
    L_CLOCK_vAdvanceTestClock(250);
    const TICKS now = static_cast<TICKS>(L_CLOCK_qwGetTimeInTicks());
    drawCached(7);
    const fake_gpu::Record& after = fake_gpu::record();
    EXPECT_EQ(after.textureUploads.size(), before.textureUploads.size());
    EXPECT_EQ(after.bufferUploads.size(), before.bufferUploads.size());
    EXPECT_EQ(after.draws.size(), before.draws.size() + 1);
    EXPECT_EQ(after.lastDrawCount, 3);
    EXPECT_EQ(g_TileCache[0].tix, now);

    // Reload on a hit sends the vertices again, not the texture.
    std::vector<S32> vertices = {0, 0, 0, 2048, 0, 0, 0, 2048, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<S32> tcoords(12, 0);
    tsDisplay_DrawTile(d, 7, vertices.data(), 6, nullptr, tcoords.data(), TRUE);
    EXPECT_EQ(fake_gpu::record().textureUploads.size(), before.textureUploads.size());
    EXPECT_EQ(fake_gpu::record().bufferUploads.size(), before.bufferUploads.size() + 1);
    EXPECT_EQ(fake_gpu::record().lastDrawCount, 6);
    EXPECT_EQ(g_TileCache[0].vcount, 6);
}

TEST_F(TsTileCacheTest, KickingReleasesCachedTilesOnlyAndFreesTheirSlots)
{
    for (S32 tile : {10, 11, 12, 13}) {
        drawNew(tile);
    }
    const U32 slot1Texture = g_TileCache[1].TexBuffTag;
    const U32 slot1Buffer = g_TileCache[1].vbos[0];
    const S32 kick[] = {99, 11, 13, 11};
    tsDisplay_KickTiles(d, kick, 4);
    EXPECT_EQ(g_released, (std::vector<S32>{11, 13}));
    EXPECT_EQ(slotOf(11), -1);
    EXPECT_EQ(slotOf(13), -1);
    EXPECT_EQ(slotOf(12), 2);

    // The next miss takes the lowest free slot and its existing GPU names.
    const int gens = fake_gpu::record().textureGens;
    drawNew(20);
    EXPECT_EQ(slotOf(20), 1);
    EXPECT_EQ(g_TileCache[1].TexBuffTag, slot1Texture);
    EXPECT_EQ(g_TileCache[1].vbos[0], slot1Buffer);
    EXPECT_EQ(fake_gpu::record().textureGens, gens);
    EXPECT_EQ(fake_gpu::record().textureUploads.back(), slot1Texture);

    // Slot 0 is preferred whenever it is free.
    const S32 kickFirst[] = {10};
    tsDisplay_KickTiles(d, kickFirst, 1);
    drawNew(21);
    EXPECT_EQ(slotOf(21), 0);
}

TEST_F(TsTileCacheTest, VerticesBecomeFloatsRelativeToTheOffsets)
{
    struct Case {
        S32 offsetX, offsetY;
        S32 vertex[3];
        float expected[3];
    };
    const Case cases[] = {
        {0, 0, {2048, 4096, 1024}, {1.0f, -0.5f, 2.0f}},
        {-31, -31, {2048, 4096, 1024}, {1.0f, -0.5f, 2.0f}}, // truncates to 0
        {0x10000, -0x20000, {2048, 4096, -2048}, {2.0f, 1.0f, 0.0f}},
        {-33, 64, {-1, 0, 0}, {-2.0f / 2048, 0.0f, 2.0f / 2048}},
    };
    S32 tile = 0;
    for (const Case& c : cases) {
        d->vertOffsetX = c.offsetX;
        d->vertOffsetY = c.offsetY;
        S32 vertices[3] = {c.vertex[0], c.vertex[1], c.vertex[2]};
        const S32 tcoords[2] = {0x8000, 0x4000};
        tsDisplay_DrawTile(d, tile, vertices, 1, texture.data(), tcoords, FALSE);
        const tsTileCache* slot = tsDisplay_CheckCache(tile++);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->vertOffsetX, c.offsetX);
        EXPECT_EQ(slot->vertOffsetY, c.offsetY);
        const std::vector<float>& sent = fake_gpu::record().lastPositions;
        float inPlace[3];
        std::memcpy(inPlace, vertices, sizeof(inPlace)); // the caller's array now holds floats
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(sent[k], c.expected[k]) << c.offsetX << " " << k;
            EXPECT_FLOAT_EQ(inPlace[k], c.expected[k]) << c.offsetX << " " << k;
        }
        EXPECT_EQ(fake_gpu::record().lastTexCoords, (std::vector<S32>{0x8000, 0x4000}));
    }
}

} // namespace
