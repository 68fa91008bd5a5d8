// Lines and pens: the end-point rule, the clipper, brush lines, the fast
// line, patterned lines, and a randomized check that nothing is ever drawn
// outside the clip rectangle.
#include "chart_sdk/graphics/tests/gr_fixture.h"

#include "chart_sdk/graphics/gr_bitmap.h"
#include "chart_sdk/graphics/gr_line.h"

#include <random>

using grt::Box;
using grt::Canvas;
using grt::Column;
using grt::PixelSet;
using grt::Row;

namespace {

void SetClip(GR_CONTEXT* gc, SINT c0, SINT r0, SINT c1, SINT r1)
{
    gc->cliporig = {c0, r0};
    gc->cliplim = {c1, r1};
}

PixelSet Line(Canvas& cv, SINT x0, SINT r0, SINT x1, SINT r1, ERRORCODE* result = nullptr)
{
    cv.clear();
    cv.gc.cp = {x0, r0};
    const ERRORCODE e = gf_DrawAbsLine(&cv.gc, x1, r1);
    if (result) {
        *result = e;
    }
    EXPECT_EQ(cv.gc.cp.px, x1);
    EXPECT_EQ(cv.gc.cp.py, r1);
    return cv.changed();
}

} // namespace

TEST(GrLine, EndPointIsLeftOut)
{
    Canvas cv;
    EXPECT_EQ(Line(cv, 0, 0, 5, 0), Row(0, 0, 4));
    EXPECT_EQ(Line(cv, 5, 0, 0, 0), Row(0, 1, 5));
    EXPECT_EQ(Line(cv, 3, 9, 3, 2), Column(3, 3, 9));
    EXPECT_EQ(Line(cv, 0, 0, 1, 1), (PixelSet{{0, 0}}));
    // The first decision is 2 x 1 - 2 = 0, a tie, which steps diagonally.
    EXPECT_EQ(Line(cv, 0, 0, 2, 1), (PixelSet{{0, 0}, {1, 1}}));
    EXPECT_EQ(Line(cv, 0, 0, 4, 4), (PixelSet{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(Line(cv, 0, 0, 2, 5), (PixelSet{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}));
    // A polyline writes each shared vertex once: XOR leaves no gaps.
    cv.clear();
    gr_SetGMode(&cv.gc, GR_MODE_XOR);
    cv.gc.cp = {10, 10};
    gf_DrawAbsLine(&cv.gc, 20, 10);
    gf_DrawAbsLine(&cv.gc, 20, 20);
    gf_DrawAbsLine(&cv.gc, 10, 10);
    EXPECT_EQ(cv.changed().size(), 10u + 10u + 10u);
}

TEST(GrLine, ClipperCases)
{
    struct Case {
        const char* what;
        SINT x0, r0, x1, r1;
        ERRORCODE result;
        SINT ox0, or0, ox1, or1;
        BOOL clipped, reversed;
    };
    // Clip rectangle: columns 10..20, rows 10..20.
    const Case cases[] = {
        {"inside", 12, 12, 18, 15, GR_OK, 12, 12, 18, 15, FALSE, FALSE},
        {"both above", 0, 5, 30, 8, GR_OUT_OF_CLIP, 0, 0, 0, 0, TRUE, FALSE},
        {"both left", 0, 0, 5, 30, GR_OUT_OF_CLIP, 0, 0, 0, 0, TRUE, FALSE},
        {"vertical through", 15, 0, 15, 30, GR_OK, 15, 10, 15, 20, TRUE, FALSE},
        {"horizontal through", 40, 15, 0, 15, GR_OK, 10, 15, 20, 15, TRUE, FALSE},
        {"diagonal through", 5, 5, 25, 25, GR_OK, 10, 10, 20, 20, TRUE, FALSE},
        {"direction lost", 25, 25, 5, 5, GR_OK, 10, 10, 20, 20, TRUE, FALSE},
        {"through a corner", 0, 25, 30, 10, GR_OK, 10, 20, 20, 15, TRUE, FALSE},
        {"passes beside", 0, 15, 15, 0, GR_OUT_OF_CLIP, 0, 0, 0, 0, TRUE, FALSE},
        {"end outside", 15, 15, 30, 20, GR_OK, 15, 15, 20, 16, TRUE, FALSE},
        {"start outside", 30, 20, 15, 15, GR_OK, 15, 15, 20, 16, TRUE, TRUE},
        {"start outside above", 12, 0, 16, 16, GR_OK, 16, 16, 14, 10, TRUE, TRUE},
        {"vertical start outside", 15, 0, 15, 14, GR_OK, 15, 13, 15, 10, TRUE, FALSE},
        {"vertical start outside, end on edge", 15, 0, 15, 10, GR_OUT_OF_CLIP, 0, 0, 0, 0, TRUE, FALSE},
        {"horizontal end outside", 15, 15, 40, 15, GR_OK, 15, 15, 20, 15, TRUE, FALSE},
        {"horizontal start outside", 0, 12, 14, 12, GR_OK, 13, 12, 10, 12, TRUE, FALSE},
    };
    Canvas cv;
    SetClip(&cv.gc, 10, 10, 20, 20);
    for (const Case& c : cases) {
        SINT x0 = c.x0, r0 = c.r0, x1 = c.x1, r1 = c.r1;
        BOOL clipped = 7, reversed = 7;
        const ERRORCODE e = gf_ClipLine(&cv.gc, &x0, &r0, &x1, &r1, &clipped, &reversed);
        EXPECT_EQ(e, c.result) << c.what;
        if (e != GR_OK) {
            continue;
        }
        EXPECT_EQ(x0, c.ox0) << c.what;
        EXPECT_EQ(r0, c.or0) << c.what;
        EXPECT_EQ(x1, c.ox1) << c.what;
        EXPECT_EQ(r1, c.or1) << c.what;
        EXPECT_EQ(clipped, c.clipped) << c.what;
        EXPECT_EQ(reversed, c.reversed) << c.what;
    }
}

TEST(GrLine, ClippedLinesWriteTheEdgePixelButNotTheRequestedEnd)
{
    Canvas cv;
    SetClip(&cv.gc, 10, 10, 20, 20);
    // Inside to far outside: start, the run up to the edge, the edge pixel.
    EXPECT_EQ(Line(cv, 15, 15, 100, 15), Row(15, 15, 20));
    // Outside to inside: the inside end stays unwritten.
    EXPECT_EQ(Line(cv, 0, 15, 15, 15), Row(15, 10, 14));
    EXPECT_EQ(Line(cv, 30, 20, 15, 15), (PixelSet{{16, 15}, {17, 15}, {18, 16}, {19, 16}, {20, 16}}));
    ERRORCODE e = GR_OK;
    EXPECT_TRUE(Line(cv, 15, 0, 15, 10, &e).empty());
    EXPECT_EQ(e, GR_OUT_OF_CLIP);
    // Both ends outside: both edge pixels.
    EXPECT_EQ(Line(cv, 5, 5, 25, 25), (PixelSet{{10, 10}, {11, 11}, {12, 12}, {13, 13}, {14, 14}, {15, 15}, {16, 16},
                                              {17, 17}, {18, 18}, {19, 19}, {20, 20}}));
    EXPECT_TRUE(Line(cv, 0, 15, 15, 0, &e).empty());
    EXPECT_EQ(e, GR_OUT_OF_CLIP);
    // A short line whose start is outside.
    EXPECT_TRUE(Line(cv, 9, 9, 10, 10, &e).empty());
    EXPECT_EQ(e, GR_OUT_OF_CLIP);
}

TEST(GrLine, StartOutsideNeverWritesTheInsideEnd)
{
    Canvas cv;
    SetClip(&cv.gc, 10, 10, 20, 20);
    for (SINT x = 0; x <= 30; x += 3) {
        for (SINT r = 0; r <= 30; r += 30) {
            const PixelSet got = Line(cv, x, r, 15, 15);
            EXPECT_EQ(got.count({15, 15}), 0u) << x << "," << r;
            EXPECT_FALSE(got.empty()) << x << "," << r;
        }
    }
}

TEST(GrLine, BrushLineStampsTheSquareThenTheUncoveredColumns)
{
    Canvas cv;
    gr_SetDrawingTool(&cv.gc, BRUSH);
    gr_SetPixelSize(&cv.gc, 3);
    const PixelSet expect = grt::Union(Box(8, 8, 12, 12), grt::Union(Column(13, 8, 12), Column(14, 8, 12)));
    EXPECT_EQ(Line(cv, 10, 10, 13, 10), expect);
    // Incremental stamping writes every pixel once: XOR shows no holes.
    cv.clear();
    gr_SetGMode(&cv.gc, GR_MODE_XOR);
    cv.gc.cp = {30, 30};
    gf_DrawAbsLine(&cv.gc, 45, 41);
    const PixelSet xored = cv.changed();
    gr_SetGMode(&cv.gc, GR_MODE_REPLACE);
    const PixelSet replaced = Line(cv, 30, 30, 45, 41);
    EXPECT_EQ(xored, replaced);
    // A zero-length brush line draws nothing.
    EXPECT_TRUE(Line(cv, 30, 30, 30, 30).empty());
}

TEST(GrLine, FastLine)
{
    Canvas cv;
    gr_SmartDrawLine(&cv.gc, 1, 10, 0, 0, 0);
    EXPECT_EQ(cv.changed(), Row(99, 1, 10));
    cv.clear();
    gr_SmartDrawLine(&cv.gc, 0, 5, 5, 5, 10);
    EXPECT_EQ(cv.changed(), Column(5, 90, 94));
    // Slanted lines start at the smaller major coordinate and stop before the larger.
    cv.clear();
    gr_SmartDrawLine(&cv.gc, 1, 7, 99, 1, 96);
    EXPECT_EQ(cv.changed(), (PixelSet{{1, 3}, {2, 2}, {3, 2}, {4, 1}, {5, 1}, {6, 0}}));
    // An x-major fast line going right matches the pen line pixel for pixel.
    for (SINT x1 : {70, 90, 99}) {
        Canvas a;
        Canvas b;
        gr_SmartDrawLine(&a.gc, 1, 3, 4, x1, 60);
        gr_SetAbsPenPos(&b.gc, 3, 4);
        gr_DrawAbsLine(&b.gc, x1, 60);
        EXPECT_EQ(a.changed(), b.changed()) << x1;
    }
    // Pen, size, tool and pattern stay as they were.
    EXPECT_EQ(cv.gc.cp.px, 0);
    EXPECT_EQ(gr_SmartDrawLine(&cv.gc, 1, -10, -10, -5, -50), GR_OUT_OF_CLIP);
}

TEST(GrLine, PatternedLineFollowsThePatternAcrossSegments)
{
    static const UCHAR dash[1] = {0x0F};
    Canvas cv;
    gr_InitPattern(dash, 2, PIXELDIM{8, 1}, 1);
    gr_SetPatternType(&cv.gc, 2);
    gr_SetPatternStatus(&cv.gc, TRUE);
    cv.gc.cp = {0, 5};
    gf_DrawAbsLine(&cv.gc, 5, 5);
    gf_DrawAbsLine(&cv.gc, 16, 5);
    // 1110000 1 1110000 1 over columns 0..15.
    EXPECT_EQ(cv.changed(), (PixelSet{{0, 5}, {1, 5}, {2, 5}, {7, 5}, {8, 5}, {9, 5}, {10, 5}, {15, 5}}));
}

TEST(GrLine, RandomLinesStayInsideTheClip)
{
    static const UCHAR dash[2] = {0x3F, 0xC7};
    gr_InitPattern(dash, 1, PIXELDIM{16, 1}, 2);
    std::mt19937 rng(2024);
    auto coord = [&rng](int size) -> SINT {
        const int pick = rng() % 10;
        if (pick == 0) {
            return static_cast<SINT>(rng() % 200001) - 100000;
        }
        return static_cast<SINT>(rng() % (size + 80)) - 40;
    };
    Canvas cv(67, 45);
    for (int i = 0; i < 10000; ++i) {
        GR_CONTEXT& gc = cv.gc;
        cv.clear();
        gr_InitGC(&gc, PIXELDIM{67, 45}, gc.vsptr);
        gr_SetClipArea(&gc, coord(67), coord(45), static_cast<SINT>(rng() % 80) - 10, static_cast<SINT>(rng() % 60) - 10);
        gr_SetDrawingTool(&gc, (rng() & 1) ? BRUSH : STD_PEN);
        gr_SetPixelSize(&gc, 1 + rng() % 4);
        const int style = rng() % 5;
        if (style > 1) {
            gr_SetPatternType(&gc, style == 2 ? 1 : 0);
            if (style != 2) {
                gr_SetPatternIndex(&gc, style == 3 ? GR_PATTERN_UNDULATED : GR_PATTERN_CROSS);
            }
            gr_SetPatternStatus(&gc, TRUE);
        }
        const SINT c0 = gc.cliporig.px, r0 = gc.cliporig.py, c1 = gc.cliplim.px, r1 = gc.cliplim.py;
        const int op = rng() % 4;
        if (op == 0) {
            gr_SetAbsPenPos(&gc, coord(67), coord(45));
            for (int k = 0; k < 3; ++k) {
                gr_DrawAbsLine(&gc, coord(67), coord(45));
            }
        } else if (op == 1) {
            gr_SmartDrawLine(&gc, 1, coord(67), coord(45), coord(67), coord(45));
        } else if (op == 2) {
            gr_SetAbsPenPos(&gc, coord(67), coord(45));
            gr_ClipAndDrawAbsLine(&gc, coord(67), coord(45), 1);
        } else {
            gr_SetAbsPenPos(&gc, coord(67), coord(45));
            gr_DrawArc(&gc, 0, 0, (rng() % 700) / 100.0 - 3.5, (rng() % 700) / 100.0, 1 + rng() % 60);
        }
        for (const grt::Pixel& p : cv.changed()) {
            ASSERT_TRUE(p.first >= c0 && p.first <= c1 && p.second >= r0 && p.second <= r1)
                << "case " << i << " op " << op << " style " << style << " pixel " << p.first << "," << p.second
                << " clip " << c0 << "," << r0 << ".." << c1 << "," << r1;
        }
    }
}
