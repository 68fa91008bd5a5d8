// Palette bitmaps, arcs and the two special line styles.
#include "chart_sdk/graphics/tests/gr_fixture.h"

#include "chart_sdk/graphics/gr_bitmap.h"
#include "chart_sdk/graphics/gr_line.h"
#include "chart_sdk/graphics/gr_styleline.h"

#include <cmath>
#include <map>

using grt::Canvas;
using grt::PixelSet;

namespace {

const U16 kPalette[16] = {0x100, 0x101, 0x102, 0x103, 0x104, 0x105, 0x106, 0x107,
                          0x108, 0x109, 0x10A, 0x10B, 0x10C, 0x10D, 0x10E, 0x10F};

std::map<grt::Pixel, int> Values(const Canvas& cv)
{
    std::map<grt::Pixel, int> out;
    for (const grt::Pixel& p : cv.changed()) {
        out[p] = cv.at(p.first, p.second) - 0x100;
    }
    return out;
}

} // namespace

TEST(GrBitmap, DirectionsAndZoom)
{
    // 3 x 2 pixels, bottom row first: bottom 1 2 3, top 4 0 0.
    static const UCHAR bitmaps[8] = {0x00, 0x00, 0x00, 0x00, 0x12, 0x30, 0x40, 0x00};
    gr_SetColorPalette(kPalette);
    struct Case {
        PRINTDIR dir;
        ZOOMFACTOR zx, zy;
        std::map<grt::Pixel, int> expect;
    };
    const Case cases[] = {
        {0, 1, 1, {{{10, 10}, 1}, {{11, 10}, 2}, {{12, 10}, 3}, {{10, 9}, 4}}},
        {1, 2, 1, {{{10, 10}, 1}, {{10, 11}, 1}, {{10, 12}, 2}, {{10, 13}, 2}, {{10, 14}, 3}, {{10, 15}, 3},
                   {{11, 10}, 4}, {{11, 11}, 4}}},
        {2, 1, 1, {{{10, 10}, 1}, {{9, 10}, 2}, {{8, 10}, 3}, {{10, 11}, 4}}},
        {3, 1, 1, {{{10, 10}, 1}, {{10, 9}, 2}, {{10, 8}, 3}, {{9, 10}, 4}}},
        {0, 1, 2, {{{10, 10}, 1}, {{11, 10}, 2}, {{12, 10}, 3}, {{10, 9}, 1}, {{11, 9}, 2}, {{12, 9}, 3},
                   {{10, 8}, 4}, {{10, 7}, 4}}},
    };
    for (const Case& c : cases) {
        Canvas cv(30, 30);
        gr_InitBitmap(&cv.gc, bitmaps, 20, PIXELDIM{3, 2}, 4);
        gr_SetTranspAttr(&cv.gc, 1, 0);
        gr_SetBitmapDirection(&cv.gc, c.dir);
        gr_SetBitmapZoom(&cv.gc, c.zx, c.zy);
        cv.gc.cp = {10, 10};
        gr_SetColor(&cv.gc, GR_DIRECT_COLOUR | 0x1234);
        EXPECT_EQ(gr_PrintBitmapWithType(&cv.gc, 20, 1), GR_OK);
        EXPECT_EQ(Values(cv), c.expect) << "direction " << int(c.dir);
        EXPECT_EQ(cv.gc.colour, 0x1234u);
        EXPECT_EQ(cv.gc.cp.px, 10);
        EXPECT_EQ(cv.gc.cp.py, 10);
    }
}

TEST(GrBitmap, TransparencyZoomZeroAndClip)
{
    static const UCHAR fives[6] = {0x55, 0x50, 0x55, 0x50, 0x55, 0x50};
    gr_SetColorPalette(kPalette);
    Canvas cv(30, 30);
    gr_InitBitmap(&cv.gc, fives, 21, PIXELDIM{3, 3}, 6);
    gr_SetTranspAttr(&cv.gc, 1, 5);
    cv.gc.cp = {10, 10};
    EXPECT_EQ(gr_PrintBitmapWithType(&cv.gc, 21, 0), GR_OK);
    EXPECT_TRUE(cv.changed().empty());
    gr_SetTranspAttr(&cv.gc, 0, 5);
    gr_SetBitmapZoom(&cv.gc, 0, 1);
    EXPECT_EQ(gr_PrintBitmapWithType(&cv.gc, 21, 0), GR_OK);
    EXPECT_TRUE(cv.changed().empty());
    gr_SetBitmapZoom(&cv.gc, 1, 1);
    cv.gc.cp = {28, 1};
    EXPECT_EQ(gr_PrintBitmapWithType(&cv.gc, 21, 0), GR_OUT_OF_CLIP);
    EXPECT_EQ(cv.changed(), (PixelSet{{28, 0}, {28, 1}, {29, 0}, {29, 1}}));
}

TEST(GrArc, QuarterCircleDrawsTableIndexes0To50)
{
    Canvas cv(300, 300);
    gr_SetGMode(&cv.gc, GR_MODE_XOR);
    cv.gc.cp = {150, 150};
    EXPECT_EQ(gr_DrawArc(&cv.gc, 0, 0, 0.0, M_PI / 2, 100), GR_OK);
    EXPECT_EQ(cv.gc.cp.px, 150);
    EXPECT_EQ(cv.gc.cp.py, 50);
    const PixelSet drawn = cv.changed();
    auto point = [](int i) {
        return grt::Pixel{150 + static_cast<int>(std::lround(gl_cos[i] * 100)),
                          150 - static_cast<int>(std::lround(gl_sin[i] * 100))};
    };
    for (int i = 0; i <= 50; ++i) {
        EXPECT_EQ(drawn.count(point(i)), 1u) << i;
    }
    EXPECT_EQ(drawn.count(point(51)), 0u);
    EXPECT_EQ(drawn.count(point(199)), 0u);
    for (const grt::Pixel& p : drawn) {
        const double d = std::hypot(p.first - 150, p.second - 150);
        EXPECT_NEAR(d, 100, 1.5) << p.first << "," << p.second;
    }
    // XOR shows every pixel written once: the same set in replace mode.
    Canvas rep(300, 300);
    rep.gc.cp = {150, 150};
    gr_DrawArc(&rep.gc, 0, 0, 0.0, M_PI / 2, 100);
    EXPECT_EQ(rep.changed(), drawn);
}

TEST(GrArc, SinglePointsAndClosedCircles)
{
    Canvas cv(100, 100);
    cv.gc.cp = {50, 50};
    gr_DrawArc(&cv.gc, 0, 0, 1.0, 1.0, 20);
    EXPECT_EQ(cv.changed().size(), 1u);
    cv.clear();
    cv.gc.cp = {50, 50};
    gr_DrawArc(&cv.gc, 0, 0, 0.0, 2 * M_PI, 20);
    EXPECT_EQ(cv.changed(), (PixelSet{{70, 50}}));
    cv.clear();
    cv.gc.cp = {50, 50};
    EXPECT_EQ(gr_DrawArc(&cv.gc, 0, 0, 0.0, 1.0, 0), GR_OK);
    EXPECT_TRUE(cv.changed().empty());
    // Two half circles, as chart light symbols draw them, close the ring.
    cv.gc.cp = {50, 50};
    gr_DrawArc(&cv.gc, 0, 0, 0.0, M_PI, 30);
    cv.gc.cp = {50, 50};
    gr_DrawArc(&cv.gc, 0, 0, M_PI, 2 * M_PI, 30);
    const PixelSet ring = cv.changed();
    for (int i = 0; i < GR_ARC_STEPS; ++i) {
        const grt::Pixel p{50 + static_cast<int>(std::lround(gl_cos[i] * 30)),
                           50 - static_cast<int>(std::lround(gl_sin[i] * 30))};
        EXPECT_EQ(ring.count(p), 1u) << i;
    }
    // Centre offset: dy counts upward.
    cv.clear();
    cv.gc.cp = {50, 50};
    gr_DrawArc(&cv.gc, 10, 5, 0.0, 0.0, 8);
    EXPECT_EQ(cv.changed(), (PixelSet{{68, 45}}));
}

TEST(GrStyleLine, UndulatedLineBulgesLeftOfItsDirection)
{
    PixelSet forward;
    for (int a = 0; a <= 36; a += 4) {
        forward.insert({{a, 10}, {a, 9}, {a + 1, 8}, {a + 2, 8}, {a + 3, 8}, {a + 4, 9}, {a + 4, 10}});
    }
    PixelSet backward;
    for (int a = 4; a <= 40; a += 4) {
        backward.insert({{a, 10}, {a, 11}, {a - 1, 12}, {a - 2, 12}, {a - 3, 12}, {a - 4, 11}, {a - 4, 10}});
    }
    Canvas cv;
    cv.gc.cp = {77, 77};
    cv.gc.ptrnattrib.status = TRUE;
    EXPECT_EQ(gf_DrawUndulatedLine(&cv.gc, 0, 10, 40, 10), GR_OK);
    EXPECT_EQ(cv.changed(), forward);
    EXPECT_EQ(cv.gc.cp.px, 77);
    EXPECT_EQ(cv.gc.ptrnattrib.status, TRUE);
    cv.clear();
    gf_DrawUndulatedLine(&cv.gc, 40, 10, 0, 10);
    EXPECT_EQ(cv.changed(), backward);
    cv.clear();
    gf_DrawUndulatedLine(&cv.gc, 30, 31, 30, 31);
    EXPECT_EQ(cv.changed(), (PixelSet{{30, 31}}));
    EXPECT_EQ(cv.gc.cp.px, 30);
    // A vertical line waves too; the last half circle may reach past the end
    // by up to three pixels.
    cv.clear();
    gf_DrawUndulatedLine(&cv.gc, 50, 10, 50, 60);
    for (const grt::Pixel& p : cv.changed()) {
        EXPECT_LE(std::abs(p.first - 50), 4);
        EXPECT_TRUE(p.second >= 10 && p.second <= 63);
    }
    EXPECT_GT(cv.changed().size(), 60u);
}

TEST(GrStyleLine, CrossLineTicksAndGaps)
{
    Canvas cv;
    EXPECT_EQ(gf_DrawCrossLine(&cv.gc, 0, 10, 20, 10, 1), GR_OK);
    PixelSet expect;
    for (int x : {0, 7, 14}) {
        expect.merge(grt::Column(x, 8, 12));
    }
    for (int x : {1, 2, 5, 6, 8, 9, 12, 13, 15, 16, 19, 20}) {
        expect.insert({x, 10});
    }
    EXPECT_EQ(cv.changed(), expect);
    cv.clear();
    gf_DrawCrossLine(&cv.gc, 0, 10, 20, 10, 0);
    EXPECT_EQ(cv.changed().size(), 3u * 5u + 18u);
    // A vertical cross line has horizontal ticks.
    cv.clear();
    gf_DrawCrossLine(&cv.gc, 40, 0, 40, 7, 1);
    EXPECT_EQ(cv.changed(), grt::Union(grt::Union(grt::Row(0, 38, 42), grt::Row(7, 38, 42)),
                                       PixelSet{{40, 1}, {40, 2}, {40, 5}, {40, 6}}));
}

TEST(GrStyleLine, PatternedLineHandsOverToTheSpecialStyles)
{
    Canvas cv;
    gr_SetPatternType(&cv.gc, 0);
    gr_SetPatternIndex(&cv.gc, GR_PATTERN_CROSS);
    gr_SetPatternStatus(&cv.gc, TRUE);
    gr_SetAbsPenPos(&cv.gc, 0, 89);
    EXPECT_EQ(gr_DrawAbsLine(&cv.gc, 20, 89), GR_OK);
    EXPECT_EQ(cv.gc.cp.px, 20);
    EXPECT_EQ(cv.changed().count({3, 10}), 0u);
    EXPECT_EQ(cv.changed().count({0, 8}), 1u);
    cv.clear();
    gr_SetPatternIndex(&cv.gc, GR_PATTERN_UNDULATED);
    gr_SetPatternStatus(&cv.gc, TRUE);
    gr_SetAbsPenPos(&cv.gc, 0, 89);
    gr_DrawAbsLine(&cv.gc, 40, 89);
    EXPECT_EQ(cv.changed().count({2, 8}), 1u);
    EXPECT_EQ(cv.gc.ptrnattrib.status, TRUE);
}
