// Fills and copies of whole areas.
#include "graphics/g_bmp.h"
#include "graphics/g_pixel.h"
#include "graphics/tests/g_testing.h"

#include <gtest/gtest.h>

using gt::TestBitmap;

namespace {

// A colour that names its logical position.
COLOR tag(int x, int y) { return (COLOR)(0x8000 | (y & 0x7F) << 8 | (x & 0xFF)); }

void paintTags(TestBitmap& bmp)
{
    for (int y = 0; y < (int)bmp->pixels_high; ++y)
        for (int x = 0; x < (int)bmp->pixels_wide; ++x)
            *G_PIXEL_pcolLogical(bmp, x, y) = tag(x, y);
}

TEST(BmpSet, FillsTheWholeBufferIncludingThePaddingColumnAndRow)
{
    TestBitmap bmp(5, 3);
    bmp.setClip(1, 1, 2, 2); // ignored
    G_BMP_vSet(bmp, 0x1234);
    ASSERT_EQ(bmp.elements(), 24u);
    for (size_t i = 0; i < bmp.elements(); ++i)
        EXPECT_EQ(bmp.element(i), 0x1234) << i;
}

TEST(BmpCopyRegion, CopiesAColumnBandOverTheWholeHeight)
{
    TestBitmap source(800, 600), destination(800, 600, 0x0000);
    paintTags(source);
    G_BMP_vCopyRegion(source, destination, 100, 100, 200);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            ASSERT_EQ(destination.at(x, y), x >= 100 && x <= 299 ? tag(x, y) : 0) << x << "," << y;
}

TEST(BmpCopyRegion, CopiesOnlyTheRowsBothBitmapsHave)
{
    // A shorter destination gets its own number of rows, not the source's:
    // the rest would land beyond its buffer.
    TestBitmap source(40, 30), shortDestination(40, 11, 0x0000);
    paintTags(source);
    G_BMP_vCopyRegion(source, shortDestination, 4, 4, 10);
    // Row r of the buffer is logical y = height - 1 - r in each bitmap.
    for (int r = 0; r < 11; ++r)
        EXPECT_EQ(shortDestination.at(4, 10 - r), tag(4, 29 - r)) << r;

    // A shorter source gives its own rows and leaves the rest alone.
    TestBitmap shortSource(40, 5), tallDestination(40, 30, 0x0000);
    paintTags(shortSource);
    G_BMP_vCopyRegion(shortSource, tallDestination, 0, 0, 40);
    EXPECT_EQ(tallDestination.at(7, 29), tag(7, 4));
    EXPECT_EQ(tallDestination.at(7, 25), tag(7, 0));
    EXPECT_EQ(tallDestination.at(7, 24), 0);
}

TEST(BmpCopyRegion, NothingForLengthZeroAndALogLineAboveAFullScreenOfRows)
{
    TestBitmap source(8, 601, 0x1111), destination(8, 601, 0x0000);
    G_BMP_vCopyRegion(source, destination, 0, 0, 0);
    EXPECT_TRUE(destination.drawn().empty());

    ::testing::internal::CaptureStdout();
    G_BMP_vCopyRegion(source, destination, 2, 2, 3);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("WOW 601 600"), std::string::npos) << out;
    EXPECT_EQ(destination.count(0x1111), 601u * 3u);
}

TEST(BmpPlace, EveryParityOfSourceDestinationAndWidth)
{
    for (U32 bitmapWidth : {11u, 12u})
        for (int xs = 0; xs <= 1; ++xs)
            for (int xd = 0; xd <= 3; ++xd)
                for (U32 width = 1; width <= 6; ++width) {
                    SCOPED_TRACE(::testing::Message() << "bitmap " << bitmapWidth << " xs " << xs << " xd " << xd
                                                      << " width " << width);
                    TestBitmap source(bitmapWidth, 5), destination(bitmapWidth, 4, 0x0000);
                    paintTags(source);
                    const POINT from{xs, 1}, to{xd, 2};
                    G_BMP_vPlaceLogicalOnLogical(destination, &to, source, &from, width, 2);
                    for (int y = 0; y < 4; ++y)
                        for (int x = 0; x < (int)bitmapWidth; ++x) {
                            const bool inside = x >= xd && x < xd + (int)width && y >= 2 && y < 4;
                            ASSERT_EQ(destination.at(x, y), inside ? tag(x - xd + xs, y - 2 + 1) : 0)
                                << x << "," << y;
                        }
                }
}

TEST(BmpPlace, ThreePixelsBetweenDifferentParitiesLeaveTheNeighboursAlone)
{
    TestBitmap source(8, 1), destination(8, 1, 0x0000);
    paintTags(source);
    const POINT from{1, 0}, to{2, 0};
    G_BMP_vPlaceLogicalOnLogical(destination, &to, source, &from, 3, 1);
    EXPECT_EQ(destination.at(1, 0), 0);
    EXPECT_EQ(destination.at(2, 0), tag(1, 0));
    EXPECT_EQ(destination.at(3, 0), tag(2, 0));
    EXPECT_EQ(destination.at(4, 0), tag(3, 0));
    EXPECT_EQ(destination.at(5, 0), 0);
}

TEST(BmpCopyPhysical, BlockKeepsItsOrientationAndSkipsTheTransparentColour)
{
    TestBitmap source(4, 4), destination(20, 20, 0x0000);
    // Physical rows: row 0 is the top of the source.
    G_PIXEL_vPutDirect(source, 0, 0, 0x0A00);
    G_PIXEL_vPutDirect(source, 1, 0, 0x0A01);
    G_PIXEL_vPutDirect(source, 0, 1, 0x0B00);
    G_PIXEL_vPutDirect(source, 1, 1, 0xF800);
    const POINT from{0, 0}, to{10, 10};
    G_BMP_vCopyPhysicalToLogical(destination, &to, source, &from, 2, 2, G_BMP_NO_TRANSPARENCY);
    EXPECT_EQ(destination.at(10, 11), 0x0A00);
    EXPECT_EQ(destination.at(11, 11), 0x0A01);
    EXPECT_EQ(destination.at(10, 10), 0x0B00);
    EXPECT_EQ(destination.at(11, 10), 0xF800);

    destination.clear();
    G_BMP_vCopyPhysicalToLogical(destination, &to, source, &from, 2, 2, 0xF800);
    EXPECT_EQ(destination.at(11, 10), 0x0000);
    EXPECT_EQ(destination.drawn().size(), 3u);

    // A pixel of 0xFFFE itself is copied: that value means "no transparency".
    G_PIXEL_vPutDirect(source, 0, 0, 0xFFFE);
    G_BMP_vCopyPhysicalToLogical(destination, &to, source, &from, 1, 1, G_BMP_NO_TRANSPARENCY);
    EXPECT_EQ(destination.at(10, 10), 0xFFFE);

    // The destination's clip box applies.
    destination.clear();
    destination.setClip(0, 0, 10, 19);
    G_BMP_vCopyPhysicalToLogical(destination, &to, source, &from, 2, 2, G_BMP_NO_TRANSPARENCY);
    EXPECT_EQ(destination.drawn(), gt::pixels({{10, 10}, {10, 11}}));
}

} // namespace
