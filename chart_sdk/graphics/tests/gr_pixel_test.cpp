// Pixels, spans, rectangles, the brush stamp and the two kinds of pattern.
#include "chart_sdk/graphics/tests/gr_fixture.h"

#include "chart_sdk/graphics/gr_line.h"

#include <cstring>
#include <random>
#include <string>

using grt::Box;
using grt::Canvas;
using grt::Column;
using grt::PixelSet;
using grt::Row;

TEST(GrPixel, HorizontalSpansCoverTheirColumnsWordByWord)
{
    struct Case {
        SINT x, n;
        int xa, xb;
    };
    const Case cases[] = {
        {3, 4, 3, 6},   {3, -4, 0, 3},  {5, 1, 5, 5},    {4, 1, 4, 4},  {0, 100, 0, 99},
        {99, -100, 0, 99}, {1, 2, 1, 2}, {2, 2, 2, 3},   {7, 0, 1, 0},
    };
    for (const Case& c : cases) {
        Canvas cv;
        gf_HorLine(&cv.gc, c.x, 20, c.n);
        EXPECT_EQ(cv.changed(), Row(20, c.xa, c.xb)) << c.x << " " << c.n;
    }
    // Columns 3..6: the high half of word 1, all of word 2, the low half of word 3.
    Canvas cv;
    gf_HorLine(&cv.gc, 3, 0, 4);
    EXPECT_EQ(cv.words[0], 0u);
    EXPECT_EQ(cv.words[1], 0xFFFF0000u);
    EXPECT_EQ(cv.words[2], 0xFFFFFFFFu);
    EXPECT_EQ(cv.words[3], 0x0000FFFFu);
    EXPECT_EQ(cv.words[4], 0u);
}

TEST(GrPixel, VerticalSpansAndRectangles)
{
    Canvas cv;
    gf_VertLine(&cv.gc, 7, 10, 5);
    EXPECT_EQ(cv.changed(), Column(7, 10, 14));
    cv.clear();
    gf_VertLine(&cv.gc, 7, 10, -5);
    EXPECT_EQ(cv.changed(), Column(7, 6, 10));
    cv.clear();
    gf_DrawRectangle(&cv.gc, 3, 4, 5, 2);
    EXPECT_EQ(cv.changed(), Box(3, 4, 8, 6));
    cv.clear();
    gf_DrawRectangle(&cv.gc, 3, 4, 5, -1);
    gf_DrawRectangle(&cv.gc, 3, 4, -1, 5);
    EXPECT_TRUE(cv.changed().empty());
}

TEST(GrPixel, ClippedRectangle)
{
    Canvas cv;
    EXPECT_EQ(gr_DrawRectangle(&cv.gc, -5, -5, 10, 10), GR_OK);
    EXPECT_EQ(cv.changed(), Box(0, 95, 4, 99)); // logical rows 0..4
    cv.clear();
    EXPECT_EQ(gr_DrawRectangle(&cv.gc, -20, 0, 10, 10), GR_OUT_OF_CLIP);
    EXPECT_EQ(gr_DrawRectangle(&cv.gc, 10, 10, 0, 10), GR_OUT_OF_CLIP);
    EXPECT_TRUE(cv.changed().empty());
    gr_SetClipArea(&cv.gc, 20, 20, 10, 10);
    EXPECT_EQ(gr_DrawRectangle(&cv.gc, 0, 0, 100, 100), GR_OK);
    EXPECT_EQ(cv.changed(), Box(20, 70, 29, 79));
}

TEST(GrPixel, XorDrawnTwiceRestoresTheBuffer)
{
    std::mt19937 rng(7);
    Canvas cv(61, 40); // odd width: rows end in a half-used word
    for (U32& w : cv.words) {
        w = rng();
    }
    const std::vector<U32> before = cv.words;
    gr_SetGMode(&cv.gc, GR_MODE_XOR);
    for (int i = 0; i < 600; ++i) {
        gr_SetColor(&cv.gc, GR_DIRECT_COLOUR | (rng() & 0xFFFF));
        const SINT x = rng() % 61;
        const SINT r = rng() % 40;
        const SINT n = static_cast<SINT>(rng() % 61) - x;
        const SINT m = static_cast<SINT>(rng() % 40) - r;
        const int kind = i % 3;
        for (int twice = 0; twice < 2; ++twice) {
            if (kind == 0) {
                gf_HorLine(&cv.gc, x, r, n);
            } else if (kind == 1) {
                gf_VertLine(&cv.gc, x, r, m);
            } else {
                gf_DrawRectangle(&cv.gc, std::min(x, x + n), std::min(r, r + m), std::abs(n), std::abs(m));
            }
        }
        ASSERT_EQ(cv.words, before) << "after case " << i << " kind " << kind;
    }
}

TEST(GrPixel, AndModeKeepsOnlyTheColourBits)
{
    Canvas cv(10, 2, 0xFFFF);
    gr_SetGMode(&cv.gc, GR_MODE_AND);
    gr_SetColor(&cv.gc, GR_DIRECT_COLOUR | 0xF800);
    gf_HorLine(&cv.gc, 1, 0, 7);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(cv.at(x, 0), (x >= 1 && x <= 7) ? 0xF800 : 0xFFFF) << x;
    }
}

TEST(GrPixel, LinePatternSequences)
{
    static const UCHAR dash[1] = {0x0F};
    static const UCHAR dot[1] = {0x01};
    struct Case {
        const UCHAR* bits;
        UCHAR zx;
        const char* expect; // one character per pixel: 1 draw, 0 skip
    };
    const Case cases[] = {
        {dash, 1, "1110000111100001"},
        {dot, 2, "100000000000000110"},
    };
    for (const Case& c : cases) {
        Canvas cv;
        gr_InitPattern(c.bits, 3, PIXELDIM{8, 1}, 1);
        gr_SetPatternType(&cv.gc, 3);
        gr_SetPatternStatus(&cv.gc, TRUE);
        gr_SetPatternZoom(&cv.gc, c.zx, 1);
        std::string got;
        for (size_t i = 0; i < std::strlen(c.expect); ++i) {
            got += gf_CheckPattern(&cv.gc) ? '1' : '0';
        }
        EXPECT_EQ(got, c.expect);
    }
}

TEST(GrPixel, PatternWithoutATableDrawsSolid)
{
    Canvas cv;
    gr_SetPatternStatus(&cv.gc, TRUE);
    gr_SetPatternZoom(&cv.gc, 0, 0);
    gf_DrawAbsLine(&cv.gc, 10, 0);
    EXPECT_EQ(cv.changed(), Row(0, 0, 9));
}

TEST(GrPixel, SetPixelMovesThePenAndSteps)
{
    static const UCHAR alternate[1] = {0x55};
    Canvas cv;
    EXPECT_EQ(gr_SetPixel(&cv.gc, 150, 20), GR_OUT_OF_CLIP);
    EXPECT_EQ(cv.gc.cp.px, 150);
    EXPECT_EQ(cv.gc.cp.py, 79);
    EXPECT_TRUE(cv.changed().empty());

    gr_InitPattern(alternate, 3, PIXELDIM{8, 1}, 1);
    gr_SetPatternType(&cv.gc, 3);
    gr_SetPatternStatus(&cv.gc, TRUE);
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(gr_SetPixel(&cv.gc, x, 0), GR_OK);
    }
    // Bits 1, 2, 3, ... of 0x55: 0, 1, 0, 1, 0, 1.
    EXPECT_EQ(cv.changed(), (PixelSet{{1, 99}, {3, 99}, {5, 99}}));

    Canvas brush;
    gr_SetDrawingTool(&brush.gc, BRUSH);
    gr_SetPixelSize(&brush.gc, 2);
    gr_SetPixel(&brush.gc, 0, 0);
    EXPECT_EQ(brush.changed(), Box(0, 98, 1, 99)); // the 3 x 3 square, clipped
}

TEST(GrPixel, BrushStampEdges)
{
    struct Case {
        SINT sx, sr;
        PixelSet expect;
    };
    // Pen elsewhere: only the uncovered edge of a 5 x 5 brush at (20, 20).
    const Case cases[] = {
        {0, 0, {}},
        {1, 0, Column(22, 18, 22)},
        {-1, 0, Column(18, 18, 22)},
        {0, 1, Row(22, 18, 22)},
        {0, -1, Row(18, 18, 22)},
        {1, 1, grt::Union(Row(22, 18, 21), Column(22, 18, 22))},
        {-1, -1, grt::Union(Row(18, 19, 22), Column(18, 18, 22))},
    };
    for (const Case& c : cases) {
        Canvas cv;
        gr_SetPixelSize(&cv.gc, 3);
        gf_PutBrushPixel(&cv.gc, 20, 20, c.sx, c.sr);
        EXPECT_EQ(cv.changed(), c.expect) << c.sx << "," << c.sr;
    }
    Canvas one;
    one.gc.cp = {20, 20};
    gf_PutBrushPixel(&one.gc, 20, 20, 1, 0);
    EXPECT_EQ(one.changed(), (PixelSet{{20, 20}}));
}

TEST(GrPixel, AreaPatternIsAnchoredAtLogicalOrigin)
{
    // 4 x 2 tile: top stored row 1000, bottom row 0110 (bit 0 is column 0).
    static const UCHAR tile[2] = {0x01, 0x06};
    Canvas cv(16, 8);
    gr_InitPattern(tile, 4, PIXELDIM{4, 2}, 2);
    gr_SetPatternType(&cv.gc, 4);
    for (int r = 0; r < 8; ++r) {
        gf_HorLineWithPattern(&cv.gc, 2, r, 9); // columns 2..10
    }
    for (int r = 0; r < 8; ++r) {
        const int logical = 7 - r;
        for (int x = 0; x < 16; ++x) {
            bool ink = false;
            if (x >= 2 && x <= 10) {
                const int bit = x % 4;
                ink = (logical % 2 == 0) ? (bit == 1 || bit == 2) : (bit == 0);
            }
            EXPECT_EQ(cv.at(x, r) != 0, ink) << x << "," << r;
        }
    }
}
