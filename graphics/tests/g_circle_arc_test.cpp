// Circles, discs and arcs.
#include "graphics/g_arc.h"
#include "graphics/g_circle.h"
#include "graphics/tests/g_testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using gt::PixelSet;
using gt::TestBitmap;

namespace {

PixelSet circle(TestBitmap& bmp, POINT centre, U32 diameter, bool bounded = false)
{
    bmp.clear();
    if (bounded)
        G_CIRCLE_vDraw(bmp, 0xFFFF, &centre, diameter);
    else
        G_CIRCLE_vDrawWithNoBound(bmp, 0xFFFF, &centre, diameter);
    return bmp.drawn();
}

PixelSet arc(TestBitmap& bmp, POINT centre, U32 radius, float start, float end)
{
    bmp.clear();
    G_ARC_vDraw(bmp, 0xFFFF, &centre, radius, start, end);
    return bmp.drawn();
}

TEST(Circle, OutlineIsASymmetricRingOfHalfTheDiameter)
{
    TestBitmap bmp(60, 60);
    for (U32 diameter : {2u, 5u, 20u, 21u, 41u}) {
        SCOPED_TRACE(diameter);
        const PixelSet ring = circle(bmp, {30, 30}, diameter);
        const int axis = (int)diameter / 2; // (D - 1) / 2 for an odd D
        for (gt::Pixel p : {gt::Pixel{30 + axis, 30}, {30 - axis, 30}, {30, 30 + axis}, {30, 30 - axis}})
            EXPECT_TRUE(ring.count(p)) << p.first << "," << p.second;
        for (auto [x, y] : ring) {
            const int dx = x - 30, dy = y - 30;
            EXPECT_TRUE(ring.count({30 - dx, 30 + dy}) && ring.count({30 + dy, 30 + dx}));
            EXPECT_LE(std::fabs(std::hypot(dx, dy) - diameter / 2.0), 1.0) << x << "," << y;
        }
    }
    EXPECT_EQ(circle(bmp, {7, 8}, 0), gt::pixels({{7, 8}}));
}

TEST(Circle, BoundedOutlinePutsWhatLiesBeyondAnEdgeOnThatEdge)
{
    TestBitmap bmp(800, 200);
    const PixelSet unbounded = circle(bmp, {5, 100}, 20);
    const PixelSet bounded = circle(bmp, {5, 100}, 20, true);
    // The same ring drawn well inside, moved back and pressed onto column 0.
    const PixelSet whole = circle(bmp, {105, 100}, 20);
    PixelSet expected;
    for (auto [x, y] : whole)
        expected.insert({std::max(x - 100, 0), y});
    EXPECT_EQ(bounded, expected);
    for (auto [x, y] : unbounded)
        EXPECT_TRUE(whole.count({x + 100, y}) && x >= 0);
    EXPECT_TRUE(bounded.count({0, 100}));
    EXPECT_FALSE(unbounded.count({0, 100}));
    EXPECT_LT(unbounded.size(), whole.size());
}

TEST(Circle, DiscFillsEachRowBetweenTheRingsPixels)
{
    TestBitmap bmp(60, 60);
    for (U32 diameter : {0u, 1u, 6u, 17u, 30u}) {
        SCOPED_TRACE(diameter);
        const PixelSet ring = circle(bmp, {30, 30}, diameter);
        bmp.clear();
        POINT centre{30, 30};
        G_CIRCLE_vDrawFilled(bmp, 0xFFFF, &centre, diameter);
        const PixelSet disc = bmp.drawn();
        for (const gt::Pixel& p : ring)
            EXPECT_TRUE(disc.count(p));
        // Each row of the disc is one run between the ring's outermost pixels.
        for (int y = 0; y < 60; ++y) {
            int lo = 99, hi = -1;
            for (auto [x, yy] : ring)
                if (yy == y)
                    lo = std::min(lo, x), hi = std::max(hi, x);
            for (int x = 0; x < 60; ++x)
                EXPECT_EQ(disc.count({x, y}) == 1, x >= lo && x <= hi) << x << "," << y;
        }
    }
    bmp.clear();
    POINT centre{30, 30};
    G_CIRCLE_vDrawFilled(bmp, 0xFFFF, &centre, 0x80000000u);
    EXPECT_TRUE(bmp.drawn().empty());
}

TEST(Arc, QuarterFromZeroToNinetyDegrees)
{
    TestBitmap bmp(100, 100);
    const PixelSet quarter = arc(bmp, {50, 50}, 10, 0.0f, 90.0f);
    EXPECT_TRUE(quarter.count({60, 50}));
    EXPECT_TRUE(quarter.count({50, 60}));
    for (auto [x, y] : quarter)
        EXPECT_TRUE(x >= 50 && y >= 50) << x << "," << y;
    EXPECT_GT(quarter.size(), 10u);
}

TEST(Arc, ArcAcrossZeroDrawsOnlyBetweenItsLimits)
{
    TestBitmap bmp(100, 100);
    const PixelSet ring = arc(bmp, {50, 50}, 10, 0.0f, 359.9f);
    const PixelSet across = arc(bmp, {50, 50}, 10, 350.0f, 10.0f);
    PixelSet expected;
    for (auto [x, y] : ring)
        if (x > 50 && y >= 48 && y <= 51) // limits 48.26 and 51.74, truncated
            expected.insert({x, y});
    EXPECT_EQ(across, expected) << gt::describe(across);
    EXPECT_EQ(across, gt::pixels({{60, 48}, {60, 49}, {60, 50}, {60, 51}, {59, 48}}));
}

TEST(Arc, GapOfAnArcThatEndsBeforeItStarts)
{
    TestBitmap bmp(100, 100);
    const PixelSet ring = arc(bmp, {50, 50}, 20, 0.0f, 359.9f);
    // Start after end in one octant: the whole ring but the gap between.
    const PixelSet gapped = arc(bmp, {50, 50}, 20, 30.0f, 20.0f);
    for (const gt::Pixel& p : gapped)
        EXPECT_TRUE(ring.count(p));
    for (gt::Pixel p : {gt::Pixel{70, 50}, {50, 70}, {30, 50}, {50, 30}})
        EXPECT_TRUE(gapped.count(p)) << p.first << "," << p.second;
    // About 25 degrees: (68, 58) lies in the gap.
    EXPECT_TRUE(ring.count({68, 58}));
    EXPECT_FALSE(gapped.count({68, 58}));
}

TEST(Arc, AnglesAreReducedAndNegativeAnglesOrRadiusZeroDrawNothing)
{
    TestBitmap bmp(100, 100);
    EXPECT_EQ(arc(bmp, {50, 50}, 10, 370.0f, 80.0f), arc(bmp, {50, 50}, 10, 10.0f, 80.0f));
    EXPECT_EQ(arc(bmp, {50, 50}, 10, 20.0f, 725.0f), arc(bmp, {50, 50}, 10, 20.0f, 5.0f));
    EXPECT_TRUE(arc(bmp, {50, 50}, 10, -1.0f, 80.0f).empty());
    EXPECT_TRUE(arc(bmp, {50, 50}, 10, 10.0f, -0.5f).empty());
    EXPECT_TRUE(arc(bmp, {50, 50}, 0, 0.0f, 300.0f).empty());
    EXPECT_TRUE(arc(bmp, {50, 50}, 10, NAN, 80.0f).empty());
    EXPECT_TRUE(arc(bmp, {50, 50}, 10, 10.0f, INFINITY).empty());
    EXPECT_FALSE(arc(bmp, {50, 50}, 10, 1e30f, 80.0f).empty());
}

} // namespace
