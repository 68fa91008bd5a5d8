// Boxes: outlines, fills, rounded corners and the blended forms.
#include "graphics/g_box.h"
#include "graphics/g_pixel.h"
#include "graphics/tests/g_testing.h"

#include <gtest/gtest.h>

using gt::PixelSet;
using gt::TestBitmap;

namespace {

constexpr COLOR HALF = 0x7BEF; // white blended once over black at 128

COLOR blendTimes(int n)
{
    COLOR c = 0x0000;
    for (int i = 0; i < n; ++i)
        c = G_PIXEL_colorBlend(0xFFFF, c, 128);
    return c;
}

TEST(Box, OutlineIsFourLinesAroundTheCoveredColumnsAndRows)
{
    TestBitmap bmp(30, 30);
    const POINT anchor{10, 10};
    G_BOX_vDraw(bmp, 0xFFFF, &anchor, 5, 3);
    EXPECT_EQ(bmp.drawn(), gt::picture({"#####", "#...#", "#####"}, 10, 10));
}

TEST(Box, FilledBoxCoversItsRectangleWithinTheClipBox)
{
    TestBitmap bmp(30, 30);
    const POINT anchor{3, 4};
    G_BOX_vDrawFilled(bmp, 0xFFFF, &anchor, 4, 2);
    EXPECT_EQ(bmp.drawn(), gt::picture({"####", "####"}, 3, 4));

    bmp.clear();
    G_BOX_vDrawFilled(bmp, 0xFFFF, &anchor, 4, 0);
    EXPECT_TRUE(bmp.drawn().empty());

    bmp.setClip(5, 0, 29, 4);
    G_BOX_vDrawFilled(bmp, 0xFFFF, &anchor, 4, 2);
    EXPECT_EQ(bmp.drawn(), gt::picture({"##"}, 5, 4));

    // Rows far beyond the clip box cost nothing and draw nothing.
    bmp.clear();
    const POINT low{0, -2000000000};
    G_BOX_vDrawFilled(bmp, 0xFFFF, &low, 30, 4000000000u);
    EXPECT_EQ(bmp.drawn().size(), 25u * 5u);
}

TEST(BoxAlpha, FilledBoxBlendsEveryPixelOnce)
{
    TestBitmap bmp(20, 20, 0x0000);
    const POINT anchor{2, 3};
    G_BOX_vDrawFilledAlpha(bmp, 0xFFFF, &anchor, 7, 5, 128);
    EXPECT_EQ(bmp.count(HALF), 35u);
    EXPECT_EQ(bmp.drawn().size(), 35u);
    EXPECT_EQ(bmp.drawn(), gt::picture({"#######", "#######", "#######", "#######", "#######"}, 2, 3));
}

TEST(BoxAlpha, OutlineBlendsEachCornerTwice)
{
    TestBitmap bmp(20, 20, 0x0000);
    const POINT anchor{2, 3};
    G_BOX_vDrawAlpha(bmp, 0xFFFF, &anchor, 5, 4, 128);
    EXPECT_EQ(bmp.drawn(), gt::picture({"#####", "#...#", "#...#", "#####"}, 2, 3));
    for (auto [x, y] : bmp.drawn()) {
        const bool corner = (x == 2 || x == 6) && (y == 3 || y == 6);
        EXPECT_EQ(bmp.at(x, y), corner ? blendTimes(2) : HALF) << x << "," << y;
    }
}

TEST(BoxRounded, OutlineAndFillOfRadiusTwo)
{
    TestBitmap bmp(12, 10);
    const POINT anchor{1, 1};
    G_BOX_vDrawRounded(bmp, 0xFFFF, &anchor, 8, 6, 2);
    const PixelSet outline = gt::picture({".######.", //
                                          "##....##", //
                                          "#......#", //
                                          "#......#", //
                                          "##....##", //
                                          ".######."},
                                         1, 1);
    EXPECT_EQ(bmp.drawn(), outline) << gt::describe(bmp.drawn());

    bmp.clear();
    G_BOX_vDrawRoundedFilled(bmp, 0xFFFF, &anchor, 8, 6, 2);
    EXPECT_EQ(bmp.drawn(), gt::picture({".######.", //
                                        "########", //
                                        "########", //
                                        "########", //
                                        "########", //
                                        ".######."},
                                       1, 1))
        << gt::describe(bmp.drawn());
}

TEST(BoxRounded, RadiusZeroIsThePlainBox)
{
    TestBitmap plain(20, 20), rounded(20, 20);
    const POINT anchor{4, 5};
    G_BOX_vDraw(plain, 0xFFFF, &anchor, 9, 6);
    G_BOX_vDrawRounded(rounded, 0xFFFF, &anchor, 9, 6, 0);
    EXPECT_EQ(rounded.drawn(), plain.drawn());
    plain.clear();
    rounded.clear();
    G_BOX_vDrawFilled(plain, 0xFFFF, &anchor, 9, 6);
    G_BOX_vDrawRoundedFilled(rounded, 0xFFFF, &anchor, 9, 6, 0);
    EXPECT_EQ(rounded.drawn(), plain.drawn());
}

TEST(BoxRounded, BlendedOutlineBlendsOnceForEveryVisitOfTheWalk)
{
    TestBitmap opaque(12, 10), bmp(12, 10, 0x0000);
    const POINT anchor{1, 1};
    G_BOX_vDrawRounded(opaque, 0xFFFF, &anchor, 8, 6, 2);
    G_BOX_vDrawRoundedAlpha(bmp, 0xFFFF, &anchor, 8, 6, 2, 128);
    EXPECT_EQ(bmp.drawn(), opaque.drawn());
    EXPECT_EQ(bmp.at(4, 1), HALF);           // bottom edge only
    EXPECT_EQ(bmp.at(2, 6), HALF);           // one corner step
    EXPECT_EQ(bmp.at(2, 5), blendTimes(2));  // reached twice by one step
    EXPECT_EQ(bmp.at(1, 4), blendTimes(3));  // edge end and the walk's repeated first point
}

TEST(BoxRounded, BlendedFillTouchesEveryPixelOfTheOpaqueFillExactlyOnce)
{
    // Blending white over black once gives HALF; twice would give another
    // colour. Sizes include boxes narrower and lower than their corners.
    const U32 sizes[] = {1, 2, 3, 4, 5, 8, 13, 21};
    for (U32 w : sizes)
        for (U32 h : sizes)
            for (U32 r = 0; r <= 12; ++r) {
                TestBitmap opaque(30, 30), blended(30, 30, 0x0000);
                const POINT anchor{4, 3};
                G_BOX_vDrawRoundedFilled(opaque, 0xFFFF, &anchor, w, h, r);
                G_BOX_vDrawRoundedFilledAlpha(blended, 0xFFFF, &anchor, w, h, r, 128);
                const PixelSet area = opaque.drawn();
                ASSERT_EQ(blended.drawn(), area) << "w " << w << " h " << h << " r " << r;
                ASSERT_EQ(blended.count(HALF), area.size()) << "w " << w << " h " << h << " r " << r;
            }
}

TEST(BoxRounded, BlendedFillStaysInsideTheClipBox)
{
    TestBitmap opaque(40, 40), blended(40, 40, 0x0000);
    opaque.setClip(6, 8, 20, 15);
    blended.setClip(6, 8, 20, 15);
    const POINT anchor{2, 5};
    G_BOX_vDrawRoundedFilled(opaque, 0xFFFF, &anchor, 25, 14, 6);
    G_BOX_vDrawRoundedFilledAlpha(blended, 0xFFFF, &anchor, 25, 14, 6, 128);
    EXPECT_EQ(blended.drawn(), opaque.drawn());
    EXPECT_EQ(blended.count(HALF), opaque.drawn().size());
    for (auto [x, y] : blended.drawn())
        EXPECT_TRUE(x >= 6 && x <= 20 && y >= 8 && y <= 15);
}

} // namespace
