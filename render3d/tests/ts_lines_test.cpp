// Software line strips: the pixels of a segment (start drawn, end not),
// strips with shared points, frame rows of 800 pixels, and segments clipped
// at the near plane and the viewport border or skipped whole.
#include "render3d/ts_display.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr S32 kOne = 0x10000;
constexpr U16 kColour = 0x1234;
using Pixels = std::set<std::pair<int, int>>; // (x, row)

class TsLinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tsDisplay_Init(d, 800, 600, nullptr, surface.data(), 0);
        d->CurColor = 0xABCD0000u | kColour;
        tsDisplay_SetVertexBuffers(d, trans, screen, 8);
    }
    void TearDown() override { tsDisplay_SetVertexBuffers(d, nullptr, nullptr, 0); }

    // Screen vertices inside the view, in whole pixels.
    void place(std::initializer_list<std::pair<int, int>> points)
    {
        int i = 0;
        for (const auto& [x, y] : points) {
            trans[i] = {};
            trans[i].w = kOne;
            screen[i] = {};
            screen[i].x = x * kOne;
            screen[i].y = y * kOne;
            ++i;
        }
    }

    Pixels drawn()
    {
        Pixels set;
        const U16* p = reinterpret_cast<const U16*>(surface.data());
        for (int i = 0; i < 800 * 600; ++i) {
            if (p[i] != 0) {
                EXPECT_EQ(p[i], kColour);
                set.insert({i % 800, i / 800});
            }
        }
        return set;
    }

    // Ground points through a flat view with w = 1.0: x across, the ground
    // coordinate up and also the depth (so negative ground is behind).
    void processGround(const std::vector<std::pair<S32, S32>>& points)
    {
        tsDisplay_SetVertexBuffers(d, nullptr, nullptr, 0);
        std::memset(&d->Combine, 0, sizeof(d->Combine));
        d->Combine.m[0][0] = kOne;
        d->Combine.m[2][1] = kOne;
        d->Combine.m[2][2] = kOne;
        d->Combine.m[3][3] = kOne;
        vertices.clear();
        for (const auto& [x, y] : points) {
            vertices.insert(vertices.end(), {x, y, 0});
        }
        tcoords.assign(points.size() * 2, 0);
        tsDisplay_VertexPointer(d, 3, 0, 0, vertices.data());
        tsDisplay_TexCoordPointer(d, 2, 0, 0, tcoords.data());
        tsDisplay_ProcessVertices(d, 0, static_cast<S32>(points.size()));
    }

    std::unique_ptr<tsDisplay> owner = std::make_unique<tsDisplay>();
    tsDisplay* d = owner.get();
    std::vector<U32> surface = std::vector<U32>(800 * 600 / 2, 0);
    tsTVertex trans[8] = {};
    tsVertex screen[8] = {};
    std::vector<S32> vertices;
    std::vector<S32> tcoords;
};

TEST_F(TsLinesTest, SegmentsDrawTheirStartAndNotTheirEnd)
{
    struct Case {
        const char* name;
        std::pair<int, int> from, to;
        Pixels expected;
    };
    const Case cases[] = {
        {"horizontal", {10, 10}, {14, 10}, {{10, 10}, {11, 10}, {12, 10}, {13, 10}}},
        {"a point", {20, 20}, {20, 20}, {}},
        {"shallow", {0, 0}, {3, 1}, {{0, 0}, {1, 0}, {2, 1}}},
        {"steep, backwards", {5, 9}, {4, 5}, {{5, 9}, {5, 8}, {4, 7}, {4, 6}}},
        {"beyond the right and top edges", {797, 598}, {900, 700}, {{797, 598}, {798, 599}}},
    };
    for (const Case& c : cases) {
        std::fill(surface.begin(), surface.end(), 0);
        place({c.from, c.to});
        const S32 indices[] = {0, 1};
        tsDisplay_DrawLineStrip(d, 1, indices);
        EXPECT_EQ(drawn(), c.expected) << c.name;
    }
}

TEST_F(TsLinesTest, AStripJoinsItsSegmentsAndDrawsSharedPointsOnce)
{
    place({{10, 10}, {13, 10}, {13, 12}, {10, 12}, {500, 500}});
    const S32 indices[] = {0, 1, 2, 3, 4}; // count 3 reads four indices
    tsDisplay_DrawLineStrip(d, 3, indices);
    const Pixels expected = {{10, 10}, {11, 10}, {12, 10}, {13, 10}, {13, 11}, {13, 12}, {12, 12}, {11, 12}};
    EXPECT_EQ(drawn(), expected);
}

TEST_F(TsLinesTest, RowsAreFramePitchWhateverTheWidth)
{
    tsDisplay_Resize(d, 400, 600);
    place({{2, 3}, {2, 5}});
    const S32 indices[] = {0, 1};
    tsDisplay_DrawLineStrip(d, 1, indices);
    const U16* p = reinterpret_cast<const U16*>(surface.data());
    EXPECT_EQ(p[3 * 800 + 2], kColour);
    EXPECT_EQ(p[4 * 800 + 2], kColour);
    EXPECT_EQ(drawn().size(), 2u);
}

TEST_F(TsLinesTest, SegmentsAreClippedToTheNearPlaneAndTheViewport)
{
    struct Case {
        const char* name;
        std::pair<S32, S32> a, b; // ground points, 2048 = 1.0
        Pixels expected;
    };
    auto column = [](int x, int from, int to) {
        Pixels p;
        for (int r = from; r < to; ++r) {
            p.insert({x, r});
        }
        return p;
    };
    auto row = [](int r, int from, int to) {
        Pixels p;
        for (int x = from; x < to; ++x) {
            p.insert({x, r});
        }
        return p;
    };
    const Case cases[] = {
        // From ground -0.5 (behind) to 0.5: shortened to start at the near
        // plane (row 300) and ending before row 450.
        {"behind the near plane", {0, -1024}, {0, 1024}, column(400, 300, 450)},
        {"behind, drawn the other way", {0, 1024}, {0, -1024}, column(400, 301, 451)},
        // Across the left border at x = -1.0: starts at column 0.
        {"across the left border", {-3072, 512}, {1024, 512}, row(375, 0, 600)},
        {"across the right border", {1024, 512}, {4096, 512}, row(375, 600, 799)},
        {"both left of the view", {-4096, 512}, {-3072, 1024}, {}},
        {"both behind", {0, -1024}, {512, -2048}, {}},
    };
    for (const Case& c : cases) {
        std::fill(surface.begin(), surface.end(), 0);
        processGround({c.a, c.b});
        const S32 indices[] = {0, 1};
        tsDisplay_DrawLineStrip(d, 1, indices);
        EXPECT_EQ(drawn(), c.expected) << c.name;
    }
}

TEST_F(TsLinesTest, APointWithZeroWIsNotDrawnTo)
{
    place({{10, 10}, {20, 10}});
    trans[1].clip = TS_CLIP_W0;
    trans[1].w = 0;
    const S32 indices[] = {0, 1};
    tsDisplay_DrawLineStrip(d, 1, indices);
    EXPECT_TRUE(drawn().empty());
}

} // namespace
