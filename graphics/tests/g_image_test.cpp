// Images: the run-length forms, the blends of each routine, partial and
// sector drawing, and the rotation's placement and filtering.
#include "graphics/g_image.h"
#include "graphics/g_pixel.h"
#include "graphics/tests/g_testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using Groups = std::vector<U8>;

// 32-bit run-length data building.
struct Data32 {
    Groups bytes;
    Data32& px(U8 r, U8 g, U8 b, U8 a)
    {
        bytes.insert(bytes.end(), {r, g, b, a});
        return *this;
    }
    Data32& run(U32 n)
    {
        bytes.insert(bytes.end(), {90, (U8)(n & 0xFF), (U8)(n >> 8), 0});
        return *this;
    }
};

IMAGE32 image32(const Groups& bytes, S32 w, S32 h) { return IMAGE32{bytes.data(), nullptr, w, h, 0}; }

TEST(Image16, RunsRepeatTheRowsLastLiteralAndStopAtTheRowEnd)
{
    // Row 0: blue, three more blue, red. Row 1: a run before any literal
    // (black), cut at the row end, then row 2 starts after its count.
    const std::vector<U16> data = {0x001F, 0xFFFF, 3, 0xF800, 0xFFFF, 9, 0x07E0, 0xFFFF, 4};
    const IMAGE image{data.data(), nullptr, 5, 3, 0};
    gt::TestBitmap bmp(20, 10, 0x1111);
    const POINT at{2, 1};
    G_IMAGE_vPut(bmp, &image, &at);
    const COLOR expected[3][5] = {{0x001F, 0x001F, 0x001F, 0x001F, 0xF800},
                                  {0x0000, 0x0000, 0x0000, 0x0000, 0x0000},
                                  {0x07E0, 0x07E0, 0x07E0, 0x07E0, 0x07E0}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(bmp.at(2 + x, 1 + y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(bmp.drawn().size(), 15u);
}

TEST(Image16, PartialDrawingTakesTheBottomRows)
{
    std::vector<U16> data;
    for (int row = 0; row < 10; ++row)
        data.insert(data.end(), {(U16)(0x0100 + row), 0xFFFF, 3});
    const IMAGE image{data.data(), nullptr, 4, 10, 0};
    const std::pair<float, size_t> cases[] = {{0.5f, 5}, {1.7f, 10}, {-1.0f, 0}, {0.05f, 0}, {0.7f, 7}, {NAN, 0}};
    for (auto [fraction, rows] : cases) {
        gt::TestBitmap bmp(10, 12);
        const POINT at{1, 1};
        G_IMAGE_PART_vPutNew(bmp, &image, &at, 1.0f, fraction);
        EXPECT_EQ(bmp.drawn().size(), rows * 4) << fraction;
        if (rows > 0) {
            EXPECT_EQ(bmp.at(1, (int)rows), 0x0100 + rows - 1);
        }
    }

    // The plain form reads on without skipping, and never past the image.
    const std::vector<U16> plain = {1, 2, 3, 4, 5, 6};
    const IMAGE flat{plain.data(), nullptr, 3, 2, 0};
    gt::TestBitmap bmp(10, 10);
    const POINT at{0, 0};
    G_IMAGE_PART_vPut(bmp, &flat, &at, 0.67f, 1.0f);
    EXPECT_EQ(bmp.drawn(), gt::pixels({{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    EXPECT_EQ(bmp.at(0, 1), 3) << "row 1 continues with the third value";
    bmp.clear();
    G_IMAGE_PART_vPut(bmp, &flat, &at, 5.0f, 9.0f);
    EXPECT_EQ(bmp.drawn().size(), 6u);
}

TEST(Image32, RunOfAnOpaqueLiteralFillsTheRow)
{
    const Groups data = Data32().px(187, 143, 24, 255).run(79).bytes;
    const IMAGE32 image = image32(data, 80, 1);
    gt::TestBitmap bmp(100, 4);
    const POINT at{5, 2};
    G_IMAGE32_vPut(bmp, &image, &at);
    EXPECT_EQ(bmp.count(0xBC63), 80u);
    EXPECT_EQ(bmp.at(5, 2), 0xBC63);
    EXPECT_EQ(bmp.at(84, 2), 0xBC63);
}

TEST(Image32, BlendsOfEachRoutine)
{
    // White at alpha 128 over black: 128 * 31 >> 8 = 15 and 128 * 31 / 255 =
    // 15 alike; over white-ish red the two rules part.
    const Groups half = Data32().px(255, 255, 255, 128).bytes;
    const IMAGE32 image = image32(half, 1, 1);
    const ICON icon{half.data(), nullptr, 1, 1, ICON_PNG_IMAGE32};
    const POINT at{1, 1};
    gt::TestBitmap a(4, 4), b(4, 4);
    G_IMAGE32_vPut(a, &image, &at);
    G_IMAGE32_vPutOld(b, &icon, &at);
    EXPECT_EQ(a.at(1, 1), 0x7BEF);
    EXPECT_EQ(b.at(1, 1), 0x7BEF);

    const Groups quarter = Data32().px(0, 0, 0, 64).bytes;
    const IMAGE32 dark = image32(quarter, 1, 1);
    const ICON darkIcon{quarter.data(), nullptr, 1, 1, ICON_PNG_IMAGE32};
    gt::TestBitmap c(4, 4, 0xF800), d(4, 4, 0xF800);
    G_IMAGE32_vPut(c, &dark, &at);        // 191 * 31 >> 8 = 23
    G_IMAGE32_vPutOld(d, &darkIcon, &at); // 191 * 31 / 255 = 23
    G_IMAGE32_PART_vPutNew(d, &dark, &at, 1.0f, 1.0f); // 191 * 23 / 255 = 17
    EXPECT_EQ(c.at(1, 1), 23 << 11);
    EXPECT_EQ(d.at(1, 1), 17 << 11);

    // Transparent pixels and runs after them leave the bitmap alone.
    const Groups clear = Data32().px(255, 0, 0, 0).run(3).bytes;
    const IMAGE32 none = image32(clear, 4, 1);
    gt::TestBitmap e(8, 4, 0x1234);
    G_IMAGE32_vPut(e, &none, &at);
    EXPECT_TRUE(e.drawn().empty());
}

TEST(Image32, LiteralCarriesOverRowsAndRunsAreCutAtTheRowEnd)
{
    // Row 0: red literal and a run of 5 cut to 2; row 1 starts with a run of
    // the same red; a run without a literal before it repeats opaque black.
    const Groups data = Data32().px(255, 0, 0, 255).run(5).run(3).bytes;
    const IMAGE32 image = image32(data, 3, 2);
    gt::TestBitmap bmp(10, 10, 0x1234);
    const POINT at{0, 0};
    G_IMAGE32_vPut(bmp, &image, &at);
    EXPECT_EQ(bmp.count(0xF800), 6u);

    const Groups black = Data32().run(2).bytes;
    const IMAGE32 start = image32(black, 2, 1);
    gt::TestBitmap fresh(10, 10, 0x1234);
    G_IMAGE32_vPut(fresh, &start, &at);
    EXPECT_EQ(fresh.count(0x0000), 2u);
}

TEST(Image32, PutIsBoundedByTheBitmapNotTheScreen)
{
    Data32 d;
    d.px(255, 255, 255, 255).run(19);
    const IMAGE32 image = image32(d.bytes, 20, 1);
    gt::TestBitmap screen(800, 600);
    const POINT at{790, 5};
    G_IMAGE32_vPut(screen, &image, &at);
    EXPECT_EQ(screen.count(0xFFFF), 10u);
    EXPECT_EQ(screen.at(790, 5), 0xFFFF);
    EXPECT_EQ(screen.at(799, 5), 0xFFFF);

    // The clip box is not the bound: the whole surface is.
    gt::TestBitmap small(30, 10);
    small.setClip(5, 0, 10, 9);
    const POINT left{-5, 5};
    G_IMAGE32_vPut(small, &image, &left);
    EXPECT_EQ(small.count(0xFFFF), 15u);
}

TEST(Image32, PartialDrawingTakesTheBottomRows)
{
    Data32 d;
    for (int row = 0; row < 10; ++row)
        d.px(255, 255, 255, 255).run(2);
    const IMAGE32 image = image32(d.bytes, 3, 10);
    const std::pair<float, size_t> cases[] = {{0.5f, 5}, {1.7f, 10}, {-1.0f, 0}, {0.0f, 0}, {0.99f, 9}};
    for (auto [fraction, rows] : cases) {
        gt::TestBitmap bmp(10, 12);
        const POINT at{1, 1};
        G_IMAGE32_PART_vPutNew(bmp, &image, &at, 1.0f, fraction);
        EXPECT_EQ(bmp.drawn().size(), rows * 3) << fraction;
    }
}

TEST(Image32, HalfPlaneTestsLiteralsOnly)
{
    // A 4 x 4 image of literals; the line at 90 degrees through (2, 2) keeps
    // the literals left of and below it.
    Data32 d;
    for (int i = 0; i < 16; ++i)
        d.px(255, 255, 255, 255);
    const IMAGE32 image = image32(d.bytes, 4, 4);
    gt::TestBitmap bmp(10, 10);
    const POINT at{0, 0}, centre{2, 2};
    G_IMAGE32_PART_vPut(bmp, &image, &at, &centre, 90);
    EXPECT_EQ(bmp.drawn(), gt::pixels({{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    bmp.clear();
    G_IMAGE32_PART_vPut(bmp, &image, &at, &centre, 0); // tan 0: x <= cx or y >= +inf
    EXPECT_EQ(bmp.drawn().size(), 12u);
}

TEST(Image32, SectorFromZeroToNinetyClockwiseIsTheUpperLeftQuarter)
{
    Data32 d;
    for (int row = 0; row < 21; ++row)
        d.px(255, 255, 255, 255).run(20);
    const IMAGE32 image = image32(d.bytes, 21, 21);
    gt::TestBitmap bmp(40, 40);
    const POINT at{0, 0};
    POINT centre{10, 10};
    G_IMAGE32_vPutCondition(bmp, &image, &at, 10, 0.0f, 90.0f, &centre, -1);
    gt::PixelSet expected;
    for (int y = 11; y <= 20; ++y)
        for (int x = 0; x <= 10; ++x)
            expected.insert({x, y});
    EXPECT_EQ(bmp.drawn(), expected);
    // Run pixels come out by the shift rule even when opaque: 255 * 31 >> 8.
    EXPECT_EQ(bmp.at(0, 11), 0xFFFF) << "the literal";
    EXPECT_EQ(bmp.at(1, 11), (30 << 11) | (62 << 5) | 30) << "a run pixel";

    // Counter-clockwise through the bottom, 0 to 135 degrees: the lower-left
    // quarter whole, then the lower-right part below the end line.
    bmp.clear();
    G_IMAGE32_vPutCondition(bmp, &image, &at, 10, 0.0f, 135.0f, &centre, 1);
    EXPECT_TRUE(bmp.drawn().count({0, 0}));
    EXPECT_TRUE(bmp.drawn().count({10, 10}));
    EXPECT_TRUE(bmp.drawn().count({18, 0}));
    EXPECT_FALSE(bmp.drawn().count({18, 9}));
    EXPECT_FALSE(bmp.drawn().count({0, 11}));
}

TEST(Image32, RotationPlacesAndTurnsTheImage)
{
    // A 4 x 2 opaque image, left column red, the rest white.
    Groups plain;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            x == 0 ? plain.insert(plain.end(), {255, 0, 0, 255}) : plain.insert(plain.end(), {255, 255, 255, 255});
    const IMAGE32 image = image32(plain, 4, 2);
    const POINT anchor{20, 20}, origin{0, 0};

    gt::TestBitmap bmp(40, 40);
    G_IMAGE32_vPutRotated(bmp, &image, &anchor, &origin, 0.0);
    gt::PixelSet expected;
    for (int y = 20; y < 22; ++y)
        for (int x = 20; x < 24; ++x)
            expected.insert({x, y});
    EXPECT_EQ(bmp.drawn(), expected);
    EXPECT_EQ(bmp.at(20, 20), 0xF800);
    EXPECT_EQ(bmp.at(23, 21), 0xFFFF);

    // A quarter turn: the image's x axis points up, its rows go leftward.
    bmp.clear();
    G_IMAGE32_vPutRotated(bmp, &image, &anchor, &origin, M_PI / 2);
    int lowest = 100, highest = -1;
    for (const gt::Pixel& p : bmp.drawn()) {
        EXPECT_LE(p.first, 20);
        EXPECT_GE(p.first, 18);
        lowest = std::min(lowest, p.second);
        highest = std::max(highest, p.second);
    }
    EXPECT_EQ(lowest, 20);
    EXPECT_EQ(highest, 23);
    EXPECT_EQ(bmp.at(19, 20), 0xF800) << "the red column is now the bottom row";
    EXPECT_EQ(bmp.at(19, 23), 0xFFFF);

    // The older form writes the same pixels through the clip box.
    gt::TestBitmap old(40, 40);
    const ICON icon{plain.data(), nullptr, 4, 2, ICON_PNG_IMAGE32};
    G_IMAGE32_vPutRotatedOld(old, &icon, &anchor, &origin, M_PI / 2);
    EXPECT_EQ(old.drawn(), bmp.drawn());
}

TEST(Image32, HalfTransparentEdgesBlendBilinearly)
{
    // One opaque white pixel shifted by half a pixel blends into its
    // neighbours; opaque sums stay within the channel limits.
    const Groups one = {255, 255, 255, 255};
    const IMAGE32 image = image32(one, 1, 1);
    gt::TestBitmap bmp(10, 10);
    const POINT anchor{5, 5}, origin{0, 0};
    G_IMAGE32_vPutRotated(bmp, &image, &anchor, &origin, 0.0);
    EXPECT_EQ(bmp.drawn(), gt::pixels({{5, 5}}));
    EXPECT_EQ(bmp.at(5, 5), 0xFFFF);
    bmp.clear();
    G_IMAGE32_vPutRotated(bmp, &image, &anchor, &origin, M_PI / 4);
    for (const gt::Pixel& p : bmp.drawn()) {
        const COLOR c = bmp.at(p.first, p.second);
        EXPECT_LE(c >> 11, 31);
    }
    EXPECT_FALSE(bmp.drawn().empty());
}

} // namespace
