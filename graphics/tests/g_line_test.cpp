// Lines: clipped runs, the double-step slanted line, blended and patterned
// lines.
#include "graphics/g_line.h"
#include "graphics/g_pixel.h"
#include "graphics/tests/g_testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

using gt::PixelSet;
using gt::TestBitmap;

namespace {

PixelSet drawLine(TestBitmap& bmp, POINT a, POINT b)
{
    bmp.clear();
    G_LINE_vDraw(bmp, 0xFFFF, &a, &b);
    return bmp.drawn();
}

TEST(Line, HorizontalAndVerticalRunsClipOnceAgainstTheBox)
{
    struct Case {
        const char* name;
        POINT a, b;
        PixelSet expected;
    };
    TestBitmap bmp(20, 12);
    bmp.setClip(2, 1, 15, 9);
    auto row = [](int y, int x0, int x1) {
        PixelSet s;
        for (int x = x0; x <= x1; ++x)
            s.insert({x, y});
        return s;
    };
    auto column = [](int x, int y0, int y1) {
        PixelSet s;
        for (int y = y0; y <= y1; ++y)
            s.insert({x, y});
        return s;
    };
    const Case cases[] = {
        {"single point", {5, 5}, {5, 5}, {{5, 5}}},
        {"four pixels", {10, 8}, {13, 8}, row(8, 10, 13)},
        {"right to left", {13, 8}, {10, 8}, row(8, 10, 13)},
        {"beyond both sides", {-50, 3}, {50, 3}, row(3, 2, 15)},
        {"on the clip edges", {2, 1}, {15, 1}, row(1, 2, 15)},
        {"row above the box", {3, 10}, {9, 10}, {}},
        {"wholly left", {-9, 4}, {1, 4}, {}},
        {"wholly right", {16, 4}, {30, 4}, {}},
        {"column clipped at the top", {4, 5}, {4, 70}, column(4, 5, 9)},
        {"column downward", {4, 3}, {4, -3}, column(4, 1, 3)},
        {"column wholly above", {4, 10}, {4, 80}, {}},
        {"column left of the box", {1, 2}, {1, 6}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(drawLine(bmp, c.a, c.b), c.expected) << c.name << ": " << gt::describe(bmp.drawn());
}

TEST(Line, HorizontalRunsOfEveryLengthAndStartWriteExactlyTheirPixels)
{
    // Short runs are stored inline, long ones in bulk; both after a single
    // pixel when the run starts at an odd element.
    TestBitmap bmp(203, 3, 0x0000);
    for (int x0 = 0; x0 <= 2; ++x0)
        for (int length = 1; length <= 200; ++length) {
            bmp.clear();
            POINT a{x0, 1}, b{x0 + length - 1, 1};
            G_LINE_vDraw(bmp, 0x1234, &a, &b);
            ASSERT_EQ(bmp.count(0x1234), (size_t)length) << x0 << " " << length;
            ASSERT_EQ(bmp.at(x0, 1), 0x1234);
            ASSERT_EQ(bmp.at(x0 + length - 1, 1), 0x1234);
            ASSERT_EQ(bmp.drawn().size(), (size_t)length) << x0 << " " << length;
        }
}

TEST(Line, VerticalRunBeyondTheTopOfAFullScreenBitmap)
{
    TestBitmap bmp(800, 600);
    EXPECT_TRUE(drawLine(bmp, {100, 700}, {100, 800}).empty());
    const PixelSet drawn = drawLine(bmp, {100, 500}, {100, 800});
    EXPECT_EQ(drawn.size(), 100u);
    EXPECT_EQ(*drawn.begin(), gt::Pixel(100, 500));
    EXPECT_EQ(*drawn.rbegin(), gt::Pixel(100, 599));
}

TEST(Line, SlantedLinesOfTheFourRemainders)
{
    // Lines covering every left-over count (dx - 1) mod 4 in both slope
    // ranges and both directions of the minor axis, traced by hand; where
    // the ideal line passes half-way between two pixels the upper one wins.
    struct Case {
        POINT a, b;
        PixelSet expected;
    };
    const Case cases[] = {
        {{0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {{0, 0}, {1, 1}, {{0, 0}, {1, 1}}},
        {{0, 0}, {4, 1}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}}, // tie in the middle goes up
        {{0, 0}, {5, 1}, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}}},
        {{0, 0}, {6, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}}},
        {{0, 0}, {8, 3}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 2}, {7, 3}, {8, 3}}},
        {{0, 0}, {4, 3}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 3}}},
        {{0, 0}, {5, 4}, {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 4}}},
        {{2, 1}, {1, 6}, {{2, 1}, {2, 2}, {2, 3}, {1, 4}, {1, 5}, {1, 6}}},
        {{0, 7}, {7, 0}, {{0, 7}, {1, 6}, {2, 5}, {3, 4}, {4, 3}, {5, 2}, {6, 1}, {7, 0}}},
    };
    TestBitmap bmp(12, 12);
    for (const Case& c : cases)
        EXPECT_EQ(drawLine(bmp, c.a, c.b), c.expected)
            << "(" << c.a.x << "," << c.a.y << ")-(" << c.b.x << "," << c.b.y << "): "
            << gt::describe(bmp.drawn());
}

TEST(Line, SlantedLinesFollowTheIdealLineFromEitherEnd)
{
    // Every line from the centre of a 41 x 41 bitmap to each point of its
    // border: one pixel per step along the major axis, both end points, no
    // pixel further than half a pixel from the ideal line, and the same
    // pixels drawn the other way round.
    TestBitmap bmp(41, 41);
    const POINT centre{20, 20};
    for (int i = 0; i < 160; ++i) {
        POINT end;
        const int side = i / 40, k = i % 40;
        end = side == 0 ? POINT{k, 0} : side == 1 ? POINT{40, k} : side == 2 ? POINT{40 - k, 40} : POINT{0, 40 - k};
        const PixelSet forward = drawLine(bmp, centre, end);
        const PixelSet backward = drawLine(bmp, end, centre);
        const int dx = std::abs(end.x - centre.x), dy = std::abs(end.y - centre.y);
        const bool majorIsY = dy > dx;
        const int major = majorIsY ? dy : dx;
        SCOPED_TRACE(::testing::Message() << "to (" << end.x << "," << end.y << ")");
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(forward.size(), (size_t)major + 1);
        EXPECT_TRUE(forward.count({centre.x, centre.y}) && forward.count({end.x, end.y}));
        std::map<int, int> minorAt;
        for (auto [x, y] : forward) {
            const int u = majorIsY ? y : x, v = majorIsY ? x : y;
            minorAt[u] = v;
            const double t = major == 0 ? 0.0 : double(u - (majorIsY ? centre.y : centre.x)) / (majorIsY ? end.y - centre.y : end.x - centre.x);
            const double ideal = (majorIsY ? centre.x : centre.y) + t * (majorIsY ? end.x - centre.x : end.y - centre.y);
            EXPECT_LE(std::fabs(v - ideal), 0.5 + 1e-9) << "pixel (" << x << "," << y << ")";
        }
        EXPECT_EQ(minorAt.size(), (size_t)major + 1);
    }
}

TEST(Line, SlantedLinesClipPixelByPixel)
{
    TestBitmap bmp(20, 20);
    bmp.setClip(5, 5, 9, 9);
    EXPECT_EQ(drawLine(bmp, {0, 0}, {19, 19}), gt::pixels({{5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}}));
    EXPECT_EQ(drawLine(bmp, {-1000, -1000}, {1000, 1000}).size(), 5u);
}

TEST(LineAlpha, RunsAreBlendedAndSlantedLinesDrawnOpaque)
{
    TestBitmap bmp(10, 10, 0x0000);
    POINT a{1, 5}, b{6, 5};
    G_LINE_vDrawAlpha(bmp, 0xFFFF, &a, &b, 128);
    POINT c{8, 0}, d{8, 9};
    G_LINE_vDrawAlpha(bmp, 0xFFFF, &c, &d, 128);
    POINT e{0, 0}, f{3, 3};
    G_LINE_vDrawAlpha(bmp, 0xFFFF, &e, &f, 128);
    for (int x = 1; x <= 6; ++x)
        EXPECT_EQ(bmp.at(x, 5), 0x7BEF) << x;
    for (int y = 0; y <= 9; ++y)
        EXPECT_EQ(bmp.at(8, y), 0x7BEF) << y;
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(bmp.at(i, i), 0xFFFF) << i;
    EXPECT_EQ(bmp.drawn().size(), 6u + 10u + 4u);

    // A second pass blends again; alpha 0 writes plainly.
    G_LINE_vDrawAlpha(bmp, 0xFFFF, &a, &b, 128);
    EXPECT_EQ(bmp.at(1, 5), G_PIXEL_colorBlend(0xFFFF, 0x7BEF, 128));
    G_LINE_vDrawAlpha(bmp, 0x1234, &c, &d, 0);
    EXPECT_EQ(bmp.at(8, 5), 0x1234);
}

TEST(LinePatterned, PatternRunsFromTheStartPointBit15First)
{
    TestBitmap bmp(40, 20);
    POINT a{0, 10}, b{0, 0};
    G_LINE_vDrawPatterned(bmp, 0xFFFF, &a, &b, 0xF0F0);
    EXPECT_EQ(bmp.drawn(), gt::pixels({{0, 10}, {0, 9}, {0, 8}, {0, 7}, {0, 2}, {0, 1}, {0, 0}}));

    // Horizontal, longer than 16 pixels: the pattern repeats.
    bmp.clear();
    POINT c{3, 4}, d{22, 4};
    G_LINE_vDrawPatterned(bmp, 0xFFFF, &c, &d, 0x8001);
    EXPECT_EQ(bmp.drawn(), gt::pixels({{3, 4}, {18, 4}, {19, 4}}));
}

TEST(LinePatterned, ClipsAgainstTheFullScreenBoxAndWritesTheEndsBack)
{
    TestBitmap bmp(30, 30);
    bmp.setClip(10, 10, 12, 12); // the ordinary box does not apply
    bmp->s32ClipLeft_full_screen = 2;
    bmp->s32ClipRight_full_screen = 20;
    bmp->s32ClipBottom_full_screen = 3;
    bmp->s32ClipTop_full_screen = 25;

    POINT a{5, -10}, b{5, 40};
    G_LINE_vDrawPatterned(bmp, 0xFFFF, &a, &b, 0xFFFF);
    EXPECT_EQ(a.y, 3);
    EXPECT_EQ(b.y, 25);
    EXPECT_EQ(bmp.drawn().size(), 23u);

    bmp.clear();
    POINT c{40, 7}, d{-4, 7};
    G_LINE_vDrawPatterned(bmp, 0xFFFF, &c, &d, 0xFFFF);
    EXPECT_EQ(c.x, 20);
    EXPECT_EQ(d.x, 2);
    EXPECT_EQ(bmp.drawn().size(), 19u);

    // Outside across its axis, wholly beyond along it, slanted: nothing.
    bmp.clear();
    POINT e{1, 5}, f{1, 9};
    G_LINE_vDrawPatterned(bmp, 0xFFFF, &e, &f, 0xFFFF);
    POINT g{5, 26}, h{5, 40};
    G_LINE_vDrawPatterned(bmp, 0xFFFF, &g, &h, 0xFFFF);
    POINT i{5, 5}, j{9, 9};
    G_LINE_vDrawPatterned(bmp, 0xFFFF, &i, &j, 0xFFFF);
    EXPECT_TRUE(bmp.drawn().empty());
    EXPECT_EQ(g.y, 26);

    // A line that limits to one pixel draws it whatever the pattern.
    POINT k{6, 25}, l{6, 90};
    G_LINE_vDrawPatterned(bmp, 0xFFFF, &k, &l, 0x0000);
    EXPECT_EQ(bmp.drawn(), gt::pixels({{6, 25}}));
}

} // namespace
