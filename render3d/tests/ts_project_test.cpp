// Software projection: single points pinned to the border, the plane test,
// points that cannot be projected, the inverse projection of rows and
// columns on the 3D chart camera, and vertex processing with its outcodes
// and buffer ownership.
#include "kernel/h_memory.h"
#include "render3d/ts_display.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr S32 kOne = 0x10000;

class TsProjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tsDisplay_Init(d, 800, 600, nullptr, nullptr, 0);
        tsMatrix_Identity(&d->Combine);
    }
    void TearDown() override { tsDisplay_SetVertexBuffers(d, nullptr, nullptr, 0); }

    // The 3D chart task's camera: 35 degrees vertical, 4:3, looking 23
    // degrees down from an eye 20.0 above the ground, turned by the heading.
    void chartCamera(double heading)
    {
        tsDisplay_MatrixMode(d, TS_PROJECTION);
        tsDisplay_LoadIdentity(d);
        tsDisplay_Perspective(d, 35.0f, 4.0f / 3.0f, 0.1f, 10000.0f);
        tsDisplay_MatrixMode(d, TS_MODELVIEW);
        tsDisplay_LoadIdentity(d);
        const S32 centre[3] = {-3 * kOne, 20 * kOne, 5 * kOne}; // negated eye (3, -20, -5)
        tsMatrix camera;
        tsMatrix_Set(&camera, static_cast<S32>(heading * 728.1778 + 0.5), 245396, 0, centre);
        tsDisplay_LoadMatrixx(d, &camera);
        tsDisplay_CombineMatrices(d);
    }

    std::unique_ptr<tsDisplay> owner = std::make_unique<tsDisplay>();
    tsDisplay* d = owner.get();
};

TEST_F(TsProjectTest, PointsArePinnedToTheViewportBorder)
{
    struct Case {
        S32 x, y, z;
        S32 sx, sy;
    };
    // With the identity the height goes to the second axis negated.
    const Case cases[] = {
        {0, 0, 0, 400, 300},
        {2 * kOne, 0, 0, 800, 300},
        {-5 * kOne, 0, 0, 0, 300},
        {kOne / 2, 0, 0, 600, 300},
        {0, 0, kOne / 2, 400, 150},
        {0, 0, -3 * kOne, 400, 600},
        {-kOne / 4, 7 * kOne, kOne / 4, 300, 225}, // the ground coordinate is depth only
    };
    for (const Case& c : cases) {
        S32 sx = -1;
        S32 sy = -1;
        ASSERT_TRUE(tsDisplay_ProjectPoint(d, c.x, c.y, c.z, &sx, &sy));
        EXPECT_EQ(sx, c.sx) << c.x << " " << c.z;
        EXPECT_EQ(sy, c.sy) << c.x << " " << c.z;
    }
}

TEST_F(TsProjectTest, ClipCheckTestsTheSelectedPlanes)
{
    const S32 right = 2 * kOne;
    EXPECT_FALSE(tsDisplay_ClipCheck(d, right, 0, 0, 8));
    EXPECT_TRUE(tsDisplay_ClipCheck(d, right, 0, 0, 4));
    EXPECT_TRUE(tsDisplay_ClipCheck(d, right, 0, 0, 0));
    EXPECT_FALSE(tsDisplay_ClipCheck(d, right, 0, 0, 127));
    EXPECT_TRUE(tsDisplay_ClipCheck(d, kOne / 2, 0, 0, 127));
    // Behind (depth below 0) and above (height 2.0 maps to y = -2.0: bottom).
    EXPECT_FALSE(tsDisplay_ClipCheck(d, 0, -kOne, 0, 16));
    EXPECT_FALSE(tsDisplay_ClipCheck(d, 0, 0, 2 * kOne, 1));
    EXPECT_TRUE(tsDisplay_ClipCheck(d, 0, 0, 2 * kOne, 18));
}

TEST_F(TsProjectTest, APointWithZeroWIsDropped)
{
    // w = the ground coordinate: zero on the camera's plane.
    d->Combine.m[3][3] = 0;
    d->Combine.m[2][3] = kOne;
    S32 sx = 1234;
    S32 sy = 5678;
    EXPECT_FALSE(tsDisplay_ProjectPoint(d, kOne, 0, kOne, &sx, &sy));
    EXPECT_EQ(sx, 1234);
    EXPECT_EQ(sy, 5678);
    for (S32 mask : {0, 1, 8, 16, 127}) {
        EXPECT_FALSE(tsDisplay_ClipCheck(d, kOne, 0, 0, mask)) << mask;
    }
    EXPECT_TRUE(tsDisplay_ProjectPoint(d, 0, kOne, 0, &sx, &sy));
}

TEST_F(TsProjectTest, RowsAndColumnsProjectBackOntoTheGround)
{
    for (double heading : {0.0, 45.0, 200.0}) {
        chartCamera(heading);
        // A ground point straight ahead at 20 / tan(23 degrees) sits on the
        // centre row.
        const double ahead = 20.0 / std::tan(23.0 * 3.14159265358979 / 180);
        const double h = heading * 3.14159265358979 / 180;
        S32 sx = 0;
        S32 sy = 0;
        ASSERT_TRUE(tsDisplay_ProjectPoint(d, static_cast<S32>((3 + ahead * std::sin(h)) * kOne),
                                           static_cast<S32>((-5 + ahead * std::cos(h)) * kOne), 0, &sx, &sy));
        EXPECT_NEAR(sy, 300, 1) << heading;
        EXPECT_NEAR(sx, 400, 1) << heading;

        // The chart task's rows and columns: the found ground point
        // projects back onto the row or column asked for.
        for (S32 row : {99, 200, 299, 450, 599}) {
            for (S32 x : {0, 3 * kOne, -40 * kOne}) {
                S32 z = 0x7FFFFFFF;
                tsDisplay_CalcZ(d, row, x, 0, &z);
                ASSERT_NE(z, 0x7FFFFFFF);
                ASSERT_TRUE(tsDisplay_ProjectPoint(d, x, z, 0, &sx, &sy));
                EXPECT_NEAR(sy, row, 1) << "heading " << heading << " row " << row << " x " << x;
            }
        }
        const S32 depth = static_cast<S32>((-5 + ahead * std::cos(h)) * kOne);
        for (S32 column : {0, 250, 400, 799}) {
            S32 x = 0x7FFFFFFF;
            tsDisplay_CalcX(d, column, &x, 0, depth);
            ASSERT_NE(x, 0x7FFFFFFF);
            ASSERT_TRUE(tsDisplay_ProjectPoint(d, x, depth, 0, &sx, &sy));
            EXPECT_NEAR(sx, column, 1) << "heading " << heading << " column " << column;
        }
    }
}

TEST_F(TsProjectTest, InverseProjectionWithoutAnAnswerLeavesTheValue)
{
    // The identity: the screen row is the negated height and does not
    // depend on the depth, so no depth answers a row.
    S32 z = 77;
    tsDisplay_CalcZ(d, 100, 0, 0, &z);
    EXPECT_EQ(z, 77);
    S32 x = 88;
    d->Combine.m[0][0] = 0; // no column depends on x
    tsDisplay_CalcX(d, 100, &x, 0, 0);
    EXPECT_EQ(x, 88);

    // A viewport one pixel high or wide has no scale to divide by.
    chartCamera(0);
    tsDisplay_Resize(d, 1, 1);
    tsDisplay_CalcZ(d, 0, 0, 0, &z);
    EXPECT_EQ(z, 77);
    tsDisplay_CalcX(d, 0, &x, 0, kOne);
    EXPECT_EQ(x, 88);
}

TEST_F(TsProjectTest, ProcessedVerticesCarryOutcodesAndScreenPositions)
{
    // Vertices (x, y, z) with 11 fraction bits: 2048 = 1.0.
    S32 vertices[] = {
        -4096, 0, 0,   -3072, 0, 0,  // both left of the view
        1024,  0, 0,   4096,  0, 0,  // inside, right
    };
    S32 tcoords[] = {0x100, 0x200, 0x300, 0x400, 0x500, 0x600, 0x700, 0xFFFF};
    tsDisplay_VertexPointer(d, 3, 0, 0, vertices);
    tsDisplay_TexCoordPointer(d, 2, 0, 0, tcoords);
    EXPECT_FALSE(tsDisplay_ProcessVertices(d, 0, 2));
    EXPECT_EQ(d->TVerts[0].clip, TS_CLIP_LEFT);
    EXPECT_EQ(d->TVerts[1].clip, TS_CLIP_LEFT);

    EXPECT_TRUE(tsDisplay_ProcessVertices(d, 0, 4));
    const tsTVertex& in = d->TVerts[2];
    EXPECT_EQ(in.clip, 0);
    EXPECT_EQ(in.x, kOne / 2);
    EXPECT_EQ(in.w, kOne);
    EXPECT_EQ(in.u, 0x500);
    EXPECT_EQ(in.v, 0xFFFF - 0x600);
    EXPECT_EQ(d->SVerts[2].x, 600 * kOne);
    EXPECT_EQ(d->SVerts[2].y, 300 * kOne);
    EXPECT_EQ(d->SVerts[2].iw, kOne);
    EXPECT_EQ(d->SVerts[2].w, kOne);
    EXPECT_EQ(d->TVerts[3].clip, TS_CLIP_RIGHT);
    EXPECT_EQ(d->TVerts[3].v, 0);
    EXPECT_EQ(d->SVerts[3].x, 0);
    EXPECT_EQ(d->SVerts[3].y, 0);
    EXPECT_EQ(d->TVertCount, 4);
}

TEST_F(TsProjectTest, FlatModeIgnoresTheHeightAndZeroWIsMarked)
{
    S32 vertices[] = {512, 0, 0, 512, 0, 700};
    S32 tcoords[4] = {};
    tsDisplay_VertexPointer(d, 3, 0, 0, vertices);
    tsDisplay_TexCoordPointer(d, 2, 0, 0, tcoords);
    d->RenderMode = tsRM_FLAT;
    ASSERT_TRUE(tsDisplay_ProcessVertices(d, 0, 2));
    EXPECT_EQ(0, std::memcmp(&d->TVerts[0], &d->TVerts[1], sizeof(tsTVertex)));
    EXPECT_EQ(d->SVerts[0].y, d->SVerts[1].y);

    d->RenderMode = tsRM_FULL;
    ASSERT_TRUE(tsDisplay_ProcessVertices(d, 0, 2));
    EXPECT_EQ(d->TVerts[1].y, -700 * 32);
    EXPECT_NE(d->SVerts[0].y, d->SVerts[1].y);

    // w from the ground coordinate, which both vertices have at 0.
    d->Combine.m[3][3] = 0;
    d->Combine.m[2][3] = kOne;
    EXPECT_FALSE(tsDisplay_ProcessVertices(d, 0, 2));
    EXPECT_EQ(d->TVerts[0].clip, TS_CLIP_W0);
    EXPECT_EQ(d->TVerts[1].clip, TS_CLIP_W0);
}

TEST_F(TsProjectTest, ACallersBuffersAreReplacedWhenTooSmallButNeverFreed)
{
    // The caller's buffers, from the program heap: freeing them here would
    // hand the caller's block to the next allocation.
    auto* trans = static_cast<tsTVertex*>(H_MEMORY_pvMalloc(2 * sizeof(tsTVertex)));
    auto* screen = static_cast<tsVertex*>(H_MEMORY_pvMalloc(2 * sizeof(tsVertex)));
    std::vector<S32> vertices(3 * 8, 0);
    std::vector<S32> tcoords(2 * 8, 0);
    tsDisplay_VertexPointer(d, 3, 0, 0, vertices.data());
    tsDisplay_TexCoordPointer(d, 2, 0, 0, tcoords.data());
    tsDisplay_SetVertexBuffers(d, trans, screen, 2);

    ASSERT_TRUE(tsDisplay_ProcessVertices(d, 0, 2));
    EXPECT_EQ(d->TVerts, trans);
    EXPECT_EQ(d->SVerts, screen);

    ASSERT_TRUE(tsDisplay_ProcessVertices(d, 0, 4));
    EXPECT_NE(d->TVerts, trans);
    EXPECT_NE(d->SVerts, screen);
    EXPECT_EQ(d->TVertCount, 4);
    EXPECT_EQ(d->SVertCount, 4);
    void* probeT = H_MEMORY_pvMalloc(2 * sizeof(tsTVertex));
    void* probeS = H_MEMORY_pvMalloc(2 * sizeof(tsVertex));
    EXPECT_NE(probeT, trans);
    EXPECT_NE(probeT, screen);
    EXPECT_NE(probeS, trans);
    EXPECT_NE(probeS, screen);
    H_MEMORY_vFree(probeT);
    H_MEMORY_vFree(probeS);
    const tsTVertex* own = d->TVerts;

    ASSERT_TRUE(tsDisplay_ProcessVertices(d, 0, 3));
    EXPECT_EQ(d->TVerts, own);
    EXPECT_EQ(d->TVertCount, 4);

    ASSERT_TRUE(tsDisplay_ProcessVertices(d, 0, 8)); // its own buffers are freed and replaced
    EXPECT_EQ(d->TVertCount, 8);

    // A range that starts later reads from its own first vertex.
    vertices[3 * 5] = 1024;
    ASSERT_TRUE(tsDisplay_ProcessVertices(d, 5, 6));
    EXPECT_EQ(d->TVerts[0].x, kOne / 2);

    EXPECT_FALSE(tsDisplay_ProcessVertices(d, 3, 3));
    EXPECT_FALSE(tsDisplay_ProcessVertices(d, 4, 2));
    EXPECT_EQ(d->TVertCount, 8);

    // Handing buffers in again returns the pipeline's own to the heap.
    tsDisplay_SetVertexBuffers(d, trans, screen, 2);
    EXPECT_FALSE(d->TVertsOwned);
    H_MEMORY_vFree(trans);
    H_MEMORY_vFree(screen);
    tsDisplay_SetVertexBuffers(d, nullptr, nullptr, 0);
}

} // namespace
