// Textured polygon rasteriser: the span rule and the tiled texture, shared
// edges without gaps or double pixels (flat and in perspective), clipping
// at the near plane and the viewport border, perspective-correct texels,
// and a viewport taller than the span table.
#include "render3d/ts_display.h"

#include <algorithm>
#include <cstring>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr S32 kOne = 0x10000;

size_t tiledIndex(int x, int y) { return static_cast<size_t>((y >> 4) * 8192 + (x >> 4) * 256 + (y & 15) * 16 + (x & 15)); }

// Every texel holds its own column and, above it, its row / 4.
std::vector<U16> addressTexture()
{
    std::vector<U16> t(512 * 512);
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            t[tiledIndex(x, y)] = static_cast<U16>(x | (y >> 2) << 9);
        }
    }
    return t;
}

struct Corner {
    S32 x, y; // ground position, 11 fraction bits
    S32 u, v; // 16.16 texture coordinates
};

class TsRasterTest : public ::testing::Test {
protected:
    void SetUp() override { setUpDisplay(800, 600); }
    void TearDown() override { tsDisplay_SetVertexBuffers(d, nullptr, nullptr, 0); }

    void setUpDisplay(S32 width, S32 height)
    {
        tsDisplay_SetVertexBuffers(d, nullptr, nullptr, 0);
        buffer.assign(static_cast<size_t>(width) * height / 2 + 16, 0);
        tsDisplay_Init(d, width, height, nullptr, buffer.data(), 0);
        d->CurTexturePtr = white.data();
        flat(kOne / 2);
    }

    // A flat view with w = 1.0: x across, the ground coordinate up, and a
    // depth of `depth`, or the ground coordinate itself when depth < 0.
    void flat(S32 depth)
    {
        tsMatrix& c = d->Combine;
        std::memset(&c, 0, sizeof(c));
        c.m[0][0] = kOne;
        c.m[2][1] = kOne;
        if (depth >= 0) {
            c.m[3][2] = depth;
        } else {
            c.m[2][2] = kOne;
        }
        c.m[3][3] = kOne;
    }

    // The 3D chart camera over the ground, 20.0 above it.
    void perspective()
    {
        tsDisplay_MatrixMode(d, TS_PROJECTION);
        tsDisplay_LoadIdentity(d);
        tsDisplay_Perspective(d, 35.0f, 4.0f / 3.0f, 0.1f, 10000.0f);
        tsDisplay_MatrixMode(d, TS_MODELVIEW);
        const S32 centre[3] = {0, 20 * kOne, 0};
        tsMatrix camera;
        tsMatrix_Set(&camera, 0, 245396, 0, centre);
        tsDisplay_LoadMatrixx(d, &camera);
        tsDisplay_CombineMatrices(d);
    }

    void load(const std::vector<Corner>& corners)
    {
        vertices.clear();
        tcoords.clear();
        for (const Corner& c : corners) {
            vertices.insert(vertices.end(), {c.x, c.y, 0});
            tcoords.insert(tcoords.end(), {c.u, c.v});
        }
        tsDisplay_VertexPointer(d, 3, 0, 0, vertices.data());
        tsDisplay_TexCoordPointer(d, 2, 0, 0, tcoords.data());
        tsDisplay_ProcessVertices(d, 0, static_cast<S32>(corners.size()));
    }

    // The pixels one set of quads covers, drawn alone into a clear buffer.
    std::vector<bool> coverage(const std::vector<S32>& indices)
    {
        std::fill(buffer.begin(), buffer.end(), 0);
        tsDisplay_DrawTextureQuad(d, static_cast<S32>(indices.size()), indices.data());
        std::vector<bool> covered(static_cast<size_t>(d->Width) * d->Height);
        for (size_t i = 0; i < covered.size(); ++i) {
            covered[i] = pixels()[i] != 0;
        }
        return covered;
    }

    const U16* pixels() const { return reinterpret_cast<const U16*>(buffer.data()); }
    U16 pixel(int x, int row) const { return pixels()[static_cast<size_t>(row) * d->Width + x]; }

    std::unique_ptr<tsDisplay> owner = std::make_unique<tsDisplay>();
    tsDisplay* d = owner.get();
    std::vector<U32> buffer;
    std::vector<U16> white = std::vector<U16>(512 * 512, 0xFFFF);
    std::vector<S32> vertices;
    std::vector<S32> tcoords;
};

TEST_F(TsRasterTest, SpansStartAtTheCeilingAndSampleTheTiledTexture)
{
    const std::vector<U16> texture = addressTexture();
    d->CurTexturePtr = const_cast<U16*>(texture.data());
    const S64 z1 = S64(kOne) << 24; // w = 1.0
    const S32 half = 1 << 14;       // half a texel: samples land mid-texel
    // Row 10: 10.0 to 14.0. Row 11: 10.5 to 14.0. Row 12: ten pixels from an
    // odd column through texels 0..9 of texture row 37. Row 13: one crossing.
    d->Scans[10] = {2, 10 * kOne, z1, half, half, 14 * kOne, half, half};
    d->Scans[11] = {2, 10 * kOne + kOne / 2, z1, half, half, 14 * kOne, half, half};
    d->Scans[12] = {2, 11 * kOne, z1, half, (37 << 15) + half, 21 * kOne, (10 << 15) + half, (37 << 15) + half};
    d->Scans[13] = {1, 10 * kOne, z1, half, half, 20 * kOne, half, half};
    d->MinScan = 10;
    d->MaxScan = 14;
    std::fill(buffer.begin(), buffer.end(), 0xEEEEEEEEu);
    EXPECT_EQ(tsDisplay_DrawScans(d), 0);

    for (int x = 0; x < 30; ++x) {
        EXPECT_EQ(pixel(x, 10), x >= 10 && x < 14 ? 0 : 0xEEEE) << x;
        EXPECT_EQ(pixel(x, 11), x >= 11 && x < 14 ? 0 : 0xEEEE) << x;
        EXPECT_EQ(pixel(x, 13), 0xEEEE) << x;
        const U16 want = x >= 11 && x < 21 ? static_cast<U16>((x - 11) | (37 >> 2) << 9) : 0xEEEE;
        EXPECT_EQ(pixel(x, 12), want) << x;
    }
    // The table is empty again.
    for (int row = 10; row < 14; ++row) {
        EXPECT_EQ(d->Scans[row].points, 0) << row;
    }
}

TEST_F(TsRasterTest, QuadsSharingEdgesLeaveNoGapAndNoDoublePixel)
{
    // A quad and the four triangles of a fan around an inner point: the
    // triangles cover exactly the quad's pixels, each pixel once.
    struct Case {
        const char* name;
        bool perspective;
        std::vector<Corner> corners; // A, B, C, D, inner point E
    };
    const Case cases[] = {
        {"flat", false,
         {{-1500, -1300, 0, 0}, {1700, -1100, kOne, 0}, {1400, 1600, kOne, kOne}, {-1600, 1200, 0, kOne},
          {123, -77, kOne / 2, kOne / 2}}},
        {"flat, thin slivers", false,
         {{-2000, -10, 0, 0}, {2000, -5, kOne, 0}, {1990, 17, kOne, kOne}, {-1999, 11, 0, kOne},
          {7, 3, kOne / 2, kOne / 2}}},
        {"perspective", true,
         {{-20000, 60000, 0, 0}, {22000, 62000, kOne, 0}, {30000, 140000, kOne, kOne}, {-26000, 135000, 0, kOne},
          {1234, 99999, kOne / 2, kOne / 2}}},
    };
    for (const Case& c : cases) {
        if (c.perspective) {
            perspective();
        } else {
            flat(kOne / 2);
        }
        load(c.corners);
        for (int i = 0; i < 5; ++i) {
            ASSERT_EQ(d->TVerts[i].clip, 0) << c.name << " corner " << i;
        }
        const std::vector<bool> whole = coverage({0, 1, 2, 3});
        const std::vector<std::vector<S32>> fan = {{0, 1, 4, 4}, {1, 2, 4, 4}, {2, 3, 4, 4}, {3, 0, 4, 4}};
        std::vector<int> count(whole.size(), 0);
        for (const std::vector<S32>& triangle : fan) {
            const std::vector<bool> part = coverage(triangle);
            for (size_t i = 0; i < part.size(); ++i) {
                count[i] += part[i];
            }
        }
        size_t covered = 0;
        for (size_t i = 0; i < whole.size(); ++i) {
            ASSERT_LE(count[i], 1) << c.name << " pixel drawn twice at " << i % 800 << "," << i / 800;
            ASSERT_EQ(count[i] == 1, whole[i]) << c.name << " gap or overhang at " << i % 800 << "," << i / 800;
            covered += whole[i];
        }
        EXPECT_GT(covered, 1000u) << c.name;
    }
}

TEST_F(TsRasterTest, QuadsOutsideAreSkippedAndCrossingQuadsAreClipped)
{
    struct Case {
        const char* name;
        S32 depth; // < 0: the ground coordinate is the depth
        std::vector<Corner> corners;
        int left, right, bottom, top; // expected covered box, rows counted upward
    };
    const Case cases[] = {
        {"left of the view", kOne / 2, {{-5000, -1000}, {-3000, -1000}, {-3000, 1000}, {-5000, 1000}}, 0, 0, 0, 0},
        {"across the left border", kOne / 2, {{-3072, -1024}, {1024, -1024}, {1024, 1024}, {-3072, 1024}}, 0, 600, 150, 450},
        {"across the right and top borders", kOne / 2, {{0, 0}, {4096, 0}, {4096, 4096}, {0, 4096}}, 400, 800, 300, 600},
        {"behind the near plane", -1, {{-1024, -1024}, {1024, -1024}, {1024, 1024}, {-1024, 1024}}, 200, 600, 300, 450},
    };
    for (const Case& c : cases) {
        flat(c.depth);
        load(c.corners);
        const std::vector<bool> covered = coverage({0, 1, 2, 3});
        for (int row = 0; row < 600; ++row) {
            for (int x = 0; x < 800; ++x) {
                const bool inside = x >= c.left && x < c.right && row >= c.bottom && row < c.top;
                ASSERT_EQ(covered[static_cast<size_t>(row) * 800 + x], inside) << c.name << " at " << x << "," << row;
            }
        }
    }

    // One corner behind: no pixel on the far side of the near plane.
    flat(-1);
    load({{-1024, 512}, {1024, 512}, {1024, 1024}, {-1024, -1024}});
    const std::vector<bool> covered = coverage({0, 1, 2, 3});
    size_t drawn = 0;
    for (size_t i = 0; i < covered.size(); ++i) {
        ASSERT_FALSE(covered[i] && i / 800 < 300) << "row " << i / 800;
        drawn += covered[i];
    }
    EXPECT_GT(drawn, 20000u);
}

TEST_F(TsRasterTest, TexelsFollowTheGroundInPerspective)
{
    const std::vector<U16> texture = addressTexture();
    d->CurTexturePtr = const_cast<U16*>(texture.data());
    perspective();
    // A ground square 40.0 on a side from 45.0 to 85.0 ahead, texture
    // columns across and rows along.
    const S32 n = 45 * 2048;
    const S32 f = 85 * 2048;
    load({{-20 * 2048, n, 0, 0}, {20 * 2048, n, 0xFFFF, 0}, {20 * 2048, f, 0xFFFF, 0xFFFF}, {-20 * 2048, f, 0, 0xFFFF}});
    coverage({0, 1, 2, 3});
    // Where a ground point lands, its texel is drawn (rows are flipped on
    // the way in: v becomes 0xFFFF - v).
    for (double fu : {0.25, 0.5, 0.8}) {
        for (double fv : {0.2, 0.5, 0.75}) {
            S32 sx = 0;
            S32 sy = 0;
            const S32 gx = static_cast<S32>((-20 + 40 * fu) * kOne);
            const S32 gy = static_cast<S32>((45 + 40 * fv) * kOne);
            ASSERT_TRUE(tsDisplay_ProjectPoint(d, gx, gy, 0, &sx, &sy));
            const U16 t = pixel(sx, sy);
            const int column = t & 511;
            const int row = (t >> 9) << 2;
            EXPECT_NEAR(column, fu * 512, 6) << fu << "," << fv;
            EXPECT_NEAR(row, (1 - fv) * 512, 10) << fu << "," << fv;
        }
    }
}

TEST_F(TsRasterTest, AViewportTallerThanTheTableDrawsOnlyTheTableRows)
{
    // Rows beyond the table are never recorded: writing them would run past
    // the record (the fields after the table would change first).
    setUpDisplay(800, 1000);
    load({{-2048, -2048}, {2048, -2048}, {2048, 2048}, {-2048, 2048}});
    const std::vector<bool> covered = coverage({0, 1, 2, 3});
    for (int row = 0; row < 1000; ++row) {
        EXPECT_EQ(covered[static_cast<size_t>(row) * 800 + 400], row < TS_SCAN_ROWS) << row;
    }
    EXPECT_TRUE(d->TVertsOwned);
    EXPECT_TRUE(d->SVertsOwned);
    EXPECT_EQ(d->MaxScan, TS_SCAN_ROWS);
}

} // namespace
