// Icons: the five indexed kinds decode to the same picture, masks and
// transparent colours leave pixels alone, the palette is the colour table's
// icon section, the quarter turns place every pixel, and 32-bit icons go to
// the image routine their size picks.
#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "graphics/g_image.h"
#include "graphics/g_pixel.h"
#include "graphics/tests/g_testing.h"
#include "util/u_rle_nibble.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <vector>

namespace {

class Icon : public ::testing::Test {
protected:
    void SetUp() override
    {
        COLOR_vFetchColorTableSection(COLOR_SECTION_ICON, 16, saved_.data());
        for (U32 i = 0; i < 16; ++i)
            gCOLOR_pcolColorTable[COLOR_SECTION_ICON + i] = (COLOR)(0x1000 + i);
        G_ICON_vSetIconPalette(gCOLOR_pcolColorTable + COLOR_SECTION_ICON);
    }
    void TearDown() override { COLOR_vSetColorTableSection(COLOR_SECTION_ICON, 16, saved_.data()); }

    // Logical pixel -> colour of everything drawn.
    static std::map<gt::Pixel, COLOR> picture(gt::TestBitmap& bmp)
    {
        std::map<gt::Pixel, COLOR> m;
        for (const gt::Pixel& p : bmp.drawn())
            m[p] = bmp.at(p.first, p.second);
        return m;
    }

    std::array<COLOR, 16> saved_{};
};

COLOR p(int i) { return (COLOR)(0x1000 + i); }

// The picture of a 3 x 2 icon with indices 1..6 at its lower-left (10, 10):
// the top data row is icon row 1.
const std::map<gt::Pixel, COLOR> kSixPixels = {{{10, 11}, p(1)}, {{11, 11}, p(2)}, {{12, 11}, p(3)},
                                               {{10, 10}, p(4)}, {{11, 10}, p(5)}, {{12, 10}, p(6)}};

std::vector<U8> rle(const std::vector<U8>& plain)
{
    std::vector<U8> packed(plain.size() + 1, 0);
    const int n = U_RLE_NIBBLE_nCompress(plain.data(), packed.data(), (int)plain.size());
    EXPECT_GT(n, 0);
    packed.resize((size_t)std::max(n, 0));
    return packed;
}

TEST_F(Icon, EveryIndexedKindDecodesToTheSamePicture)
{
    gt::TestBitmap bmp(40, 30);
    const POINT at{10, 10};

    const U8 nibbles[] = {0x12, 0x34, 0x56};
    const ICON unpadded{nibbles, nullptr, 3, 2, ICON_UNPADDED_BUFFERS};
    G_ICON_vPut(bmp, &unpadded, &at);
    EXPECT_EQ(picture(bmp), kSixPixels) << "kind 1, rows running on across the byte";

    // Kind 0: eight indices per word, rows a stride of 8 apart.
    bmp.clear();
    std::array<U32, 2> words = {0x12300000, 0x45600000};
    BITMAP padded{};
    padded.pBuffer = words.data();
    padded.__u32PixelWidthOfBuffer = 8;
    const ICON kind0{&padded, nullptr, 3, 2, ICON_PADDED_BITMAPS};
    G_ICON_vPut(bmp, &kind0, &at);
    EXPECT_EQ(picture(bmp), kSixPixels) << "kind 0";

    // Kind 3: the same nibbles as a run-length stream; a run crossing rows.
    bmp.clear();
    const std::vector<U8> runs = {0x77, 0x77, 0x77, 0x12}; // six 7s, then 1 2
    const std::vector<U8> stream = rle(runs);
    const ICON kind3{stream.data(), nullptr, 4, 2, ICON_RLE_BUFFERS};
    G_ICON_vPut(bmp, &kind3, &at);
    const std::map<gt::Pixel, COLOR> sevens = {{{10, 11}, p(7)}, {{11, 11}, p(7)}, {{12, 11}, p(7)},
                                               {{13, 11}, p(7)}, {{10, 10}, p(7)}, {{11, 10}, p(7)},
                                               {{12, 10}, p(1)}, {{13, 10}, p(2)}};
    EXPECT_EQ(picture(bmp), sevens) << "kind 3";
}

TEST_F(Icon, MasksAndTransparentColoursLeavePixelsAlone)
{
    gt::TestBitmap bmp(40, 30);
    const POINT at{10, 10};
    const U8 nibbles[] = {0x10, 0x30, 0x05};

    // Kind 2: index 0 is transparent.
    const U8 zero = 0;
    const ICON kind2{nibbles, &zero, 3, 2, ICON_TRANSPARENT_COLOR};
    G_ICON_vPut(bmp, &kind2, &at);
    EXPECT_EQ(picture(bmp), (std::map<gt::Pixel, COLOR>{{{10, 11}, p(1)}, {{12, 11}, p(3)}, {{12, 10}, p(5)}}));

    // Kind 1 with a mask read in step: 0xF hides the pixel.
    bmp.clear();
    const U8 mask[] = {0xF0, 0x00, 0x0F};
    const ICON kind1{nibbles, mask, 3, 2, ICON_UNPADDED_BUFFERS};
    G_ICON_vPut(bmp, &kind1, &at);
    EXPECT_EQ(picture(bmp), (std::map<gt::Pixel, COLOR>{{{11, 11}, p(0)}, {{12, 11}, p(3)}, {{10, 10}, p(0)},
                                                        {{11, 10}, p(0)}}));

    // Kind 3 with a run-length mask, kind 4 with a transparent index.
    bmp.clear();
    const std::vector<U8> data = rle({0x99, 0x99, 0x99, 0x99});
    const std::vector<U8> runMask = rle({0xFF, 0xFF, 0x00, 0x00});
    const ICON kind3{data.data(), runMask.data(), 4, 2, ICON_RLE_BUFFERS};
    G_ICON_vPut(bmp, &kind3, &at);
    EXPECT_EQ(picture(bmp), (std::map<gt::Pixel, COLOR>{{{10, 10}, p(9)}, {{11, 10}, p(9)}, {{12, 10}, p(9)},
                                                        {{13, 10}, p(9)}}));
    bmp.clear();
    const U8 nine = 9;
    const ICON kind4{data.data(), &nine, 4, 2, ICON_RLE_TRANSPARENT_COLOR};
    G_ICON_vPut(bmp, &kind4, &at);
    EXPECT_TRUE(bmp.drawn().empty());

    // Without their transparent byte, or of an unknown kind, nothing.
    const ICON noByte{nibbles, nullptr, 3, 2, ICON_TRANSPARENT_COLOR};
    const ICON unknown{nibbles, nullptr, 3, 2, (ICON_COMPRESSION)9};
    G_ICON_vPut(bmp, &noByte, &at);
    G_ICON_vPut(bmp, &unknown, &at);
    G_ICON_vPut(bmp, nullptr, &at);
    EXPECT_TRUE(bmp.drawn().empty());
    EXPECT_EQ(G_ICON_u32GetWidth(nullptr), 0u);
    EXPECT_EQ(G_ICON_u32GetHeight(nullptr), 0u);
    EXPECT_EQ(G_ICON_u32GetWidth(&kind4), 4u);
    EXPECT_EQ(G_ICON_u32GetHeight(&kind4), 2u);
}

TEST_F(Icon, PaletteIsTheColourTablesIconSection)
{
    gt::TestBitmap bmp(40, 30);
    const POINT at{10, 10};
    const U8 nibbles[] = {0x12, 0x34, 0x56};
    const ICON icon{nibbles, nullptr, 3, 2, ICON_UNPADDED_BUFFERS};
    gCOLOR_pcolColorTable[COLOR_SECTION_ICON + 5] = 0xABCD;
    G_ICON_vPut(bmp, &icon, &at);
    EXPECT_EQ(bmp.at(11, 10), 0xABCD) << "index 5 shows table entry 85";
}

TEST_F(Icon, QuarterTurnsPlaceEveryPixelAroundTheAnchor)
{
    // A 2 x 2 icon: (0,0) index 1, (1,0) index 2, (0,1) index 3, (1,1) index 4.
    const U8 nibbles[] = {0x34, 0x12};
    const ICON icon{nibbles, nullptr, 2, 2, ICON_UNPADDED_BUFFERS};
    struct Case {
        G_ICON_ROTATION rotation;
        std::map<gt::Pixel, COLOR> expected;
    };
    const Case cases[] = {
        {G_ICON_ROTATE_0, {{{100, 100}, p(1)}, {{101, 100}, p(2)}, {{100, 101}, p(3)}, {{101, 101}, p(4)}}},
        {G_ICON_ROTATE_90, {{{100, 100}, p(1)}, {{100, 99}, p(2)}, {{101, 100}, p(3)}, {{101, 99}, p(4)}}},
        {G_ICON_ROTATE_180, {{{100, 100}, p(1)}, {{99, 100}, p(2)}, {{100, 99}, p(3)}, {{99, 99}, p(4)}}},
        {G_ICON_ROTATE_270, {{{100, 100}, p(1)}, {{100, 101}, p(2)}, {{99, 100}, p(3)}, {{99, 101}, p(4)}}},
        {(G_ICON_ROTATION)7, {{{100, 100}, p(1)}, {{101, 100}, p(2)}, {{100, 101}, p(3)}, {{101, 101}, p(4)}}},
    };
    const POINT anchor{100, 100};
    for (const Case& c : cases) {
        gt::TestBitmap bmp(200, 200);
        G_ICON_vPutRotated(bmp, &icon, &anchor, c.rotation);
        EXPECT_EQ(picture(bmp), c.expected) << "rotation " << c.rotation;
    }

    // A free angle snaps to the quarter turn of (degrees + 45) / 90.
    const std::pair<double, G_ICON_ROTATION> angles[] = {
        {M_PI, G_ICON_ROTATE_180}, {0.7, G_ICON_ROTATE_0},  {1.0, G_ICON_ROTATE_90},
        {-1.0, G_ICON_ROTATE_0},   {5.6, G_ICON_ROTATE_0},  {4.7, G_ICON_ROTATE_270},
        {1e300, G_ICON_ROTATE_0},  {NAN, G_ICON_ROTATE_0}};
    const POINT centre{50, 50};
    for (auto [angle, rotation] : angles) {
        gt::TestBitmap turned(200, 200), quarter(200, 200);
        G_ICON_vPutRotatedAngle(turned, &icon, &anchor, &centre, angle);
        G_ICON_vPutRotated(quarter, &icon, &anchor, rotation);
        EXPECT_EQ(picture(turned), picture(quarter)) << angle;
    }
}

TEST_F(Icon, ThirtyTwoBitIconsTakeTheRoutineOfTheirSize)
{
    // The same bytes read as 16-bit run-length data draw 0x0201 pixels; as
    // 32-bit data they are opaque (1, 2, 3) pixels, 0x0000 after conversion.
    std::vector<U8> data;
    for (int i = 0; i < 60 * 60; ++i)
        data.insert(data.end(), {0x01, 0x02, 0x03, 0xFF});
    const POINT at{0, 0};
    gt::TestBitmap bmp(100, 100, 0x1234);
    const ICON small{data.data(), nullptr, 60, 59, ICON_PNG_IMAGE32};
    G_ICON_vPut(bmp, &small, &at);
    EXPECT_EQ(bmp.at(0, 0), 0x0000);
    EXPECT_EQ(bmp.count(0x0000), 60u * 59u);

    bmp.clear();
    const ICON large{data.data(), nullptr, 60, 60, ICON_PNG_IMAGE32};
    G_ICON_vPut(bmp, &large, &at);
    EXPECT_EQ(bmp.at(0, 0), 0x0201);
    EXPECT_EQ(bmp.at(1, 0), 0xFF03);
}

} // namespace
