// Terrain textures: fusion through the colour map with the maps' rows
// flipped, the photo on land with its darkening factor and enlargement,
// shading, 2x down-scaling and mip-map chains, and the 24-bit conversions.
#include "render3d/ts_display.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kSize = 512;

// Each channel of an RGB565 pixel times k / 32, truncated.
U16 scaled(U16 p, int k)
{
    const int r = ((p >> 11) & 31) * k / 32;
    const int g = ((p >> 5) & 63) * k / 32;
    const int b = (p & 31) * k / 32;
    return static_cast<U16>(r << 11 | g << 5 | b);
}

struct Maps {
    std::vector<U8> height = std::vector<U8>(kSize * kSize);
    std::vector<U8> shade = std::vector<U8>(kSize * kSize);
    std::vector<U16> colours = std::vector<U16>(65536);
    Maps()
    {
        for (int i = 0; i < 65536; ++i) {
            colours[i] = static_cast<U16>(i * 40503u); // every (height, shade) its own colour
        }
        for (int i = 0; i < kSize * kSize; ++i) {
            height[i] = static_cast<U8>(i * 7 + (i >> 9) * 13);
            shade[i] = static_cast<U8>(i * 11 + (i >> 9) * 5);
        }
    }
    U8 h(int x, int y) const { return height[static_cast<size_t>(kSize - 1 - y) * kSize + x]; }
    U8 s(int x, int y) const { return shade[static_cast<size_t>(kSize - 1 - y) * kSize + x]; }
};

TEST(TsTexture, ShadeAndHeightPickTheColourWithTheMapsUpsideDown)
{
    const Maps maps;
    std::vector<U16> dst(kSize * kSize);
    tsDisplay_FuseShadeHeight(dst.data(), maps.shade.data(), maps.height.data(), maps.colours.data());
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            ASSERT_EQ(dst[static_cast<size_t>(y) * kSize + x], maps.colours[maps.h(x, y) * 256 + maps.s(x, y)])
                << x << "," << y;
        }
    }
}

TEST(TsTexture, ThePhotoShowsOnLandDarkenedByTheShade)
{
    Maps maps;
    std::vector<U16> photo(kSize * kSize);
    for (size_t i = 0; i < photo.size(); ++i) {
        photo[i] = static_cast<U16>(i * 2654435761u >> 7);
    }
    for (BOOLEAN enlarge : {FALSE, TRUE}) {
        std::vector<U16> dst(kSize * kSize);
        tsDisplay_FusePhotoShadeHeight(dst.data(), photo.data(), maps.shade.data(), maps.height.data(),
                                       maps.colours.data(), enlarge);
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const U8 h = maps.h(x, y);
                const U8 s = maps.s(x, y);
                const U16 p = enlarge ? photo[static_cast<size_t>(y / 2) * 256 + x / 2]
                                      : photo[static_cast<size_t>(y) * kSize + x];
                const int k = (s + 16 > 255 ? 255 : s + 16) >> 3;
                const U16 want = h <= 128 ? maps.colours[h * 256 + s] : scaled(p, k);
                ASSERT_EQ(dst[static_cast<size_t>(y) * kSize + x], want) << x << "," << y << " enlarge " << int(enlarge);
            }
        }
    }

    // The borders: height 128 is water, 129 land; shade 0 darkens most
    // (k = 2), 239 and above least (k = 31).
    struct Case {
        U8 height, shade;
        U16 expected;
    };
    const Case cases[] = {
        {128, 0, 0x0BAD}, {129, 0, scaled(0xFFFF, 2)}, {255, 238, scaled(0xFFFF, 31)},
        {200, 239, scaled(0xFFFF, 31)}, {200, 255, scaled(0xFFFF, 31)}, {200, 100, scaled(0xFFFF, 14)},
    };
    const std::vector<U16> white(kSize * kSize, 0xFFFF);
    for (const Case& c : cases) {
        std::fill(maps.height.begin(), maps.height.end(), c.height);
        std::fill(maps.shade.begin(), maps.shade.end(), c.shade);
        maps.colours[128 * 256] = 0x0BAD;
        std::vector<U16> dst(kSize * kSize);
        tsDisplay_FusePhotoShadeHeight(dst.data(), white.data(), maps.shade.data(), maps.height.data(),
                                       maps.colours.data(), FALSE);
        EXPECT_EQ(dst[12345], c.expected) << int(c.height) << " " << int(c.shade);
    }
    EXPECT_EQ(scaled(0xFFFF, 31), (30 << 11) | (61 << 5) | 30);
}

TEST(TsTexture, ShadingSamplesEverySecondShadeValue)
{
    std::vector<U8> shade(kSize * kSize, 255);
    std::vector<U16> land(256 * 256);
    for (size_t i = 0; i < land.size(); ++i) {
        land[i] = static_cast<U16>(0xFFFF - i);
    }
    const std::vector<U16> original = land;
    struct Case {
        int x, y;
        U8 shade;
        int k;
    };
    const Case cases[] = {{0, 0, 0, 4}, {3, 1, 223, 32}, {255, 255, 222, 31}, {100, 7, 100, 16}, {9, 200, 255, 32}};
    for (const Case& c : cases) {
        shade[static_cast<size_t>(2 * c.y) * kSize + 2 * c.x] = c.shade;
        shade[static_cast<size_t>(2 * c.y) * kSize + 2 * c.x + 1] = 0;     // not sampled
        shade[static_cast<size_t>(2 * c.y + 1) * kSize + 2 * c.x] = 0;     // not sampled
    }
    tsDisplay_Shade(land.data(), shade.data());
    for (const Case& c : cases) {
        const size_t i = static_cast<size_t>(c.y) * 256 + c.x;
        EXPECT_EQ(land[i], scaled(original[i], c.k)) << c.x << "," << c.y;
    }
    EXPECT_EQ(land[256 * 50 + 50], original[256 * 50 + 50]); // shade 255: unchanged
}

TEST(TsTexture, DownScalingAveragesBlocksAndCopiesTheLastColumn)
{
    // One colour stays that colour; a 2 x 2 image keeps its top-left pixel.
    const std::vector<U16> plain(16, 0x7BEF);
    std::vector<U16> out(4, 0);
    tsDisplay_DownScale(out.data(), 4, 4, plain.data());
    EXPECT_EQ(out, std::vector<U16>(4, 0x7BEF));
    const std::vector<U16> two = {0x1111, 0x2222, 0x3333, 0x4444};
    U16 one = 0;
    tsDisplay_DownScale(&one, 2, 2, two.data());
    EXPECT_EQ(one, 0x1111);

    // 6 x 4 (and a fifth row that is never read) to 3 x 2: full averages in
    // the first row, top pairs in the last row, copies in the last column.
    auto px = [](int r, int g, int b) { return static_cast<U16>(r << 11 | g << 5 | b); };
    std::vector<U16> img(6 * 5, 0xFFFF);
    img[0] = px(4, 8, 4);
    img[1] = px(8, 16, 8);
    img[6] = px(0, 0, 0);
    img[7] = px(3, 5, 7); // (4+8+0+3)/4 = 3, (8+16+0+5)/4 = 7, (4+8+0+7)/4 = 4
    img[12] = px(10, 20, 30);
    img[13] = px(13, 21, 1); // top pair of the last row: 11, 20, 15
    img[4] = px(1, 2, 3);   // top-left of the last column's first block
    img[16] = px(4, 5, 6);  // and of its last block
    std::vector<U16> small(6, 0);
    tsDisplay_DownScale(small.data(), 6, 4, img.data());
    EXPECT_EQ(small[0], px(3, 7, 4));
    EXPECT_EQ(small[2], px(1, 2, 3));
    EXPECT_EQ(small[3], px(11, 20, 15));
    EXPECT_EQ(small[5], px(4, 5, 6));

    // One output row or column: only the last-row and last-column rules.
    std::vector<U16> row(3, 0);
    tsDisplay_DownScale(row.data(), 6, 2, img.data());
    EXPECT_EQ(row[0], px(6, 12, 6));
    EXPECT_EQ(row[2], px(1, 2, 3));
    std::vector<U16> col(2, 0);
    tsDisplay_DownScale(col.data(), 2, 4, std::vector<U16>{1, 2, 3, 4, 5, 6, 7, 8}.data());
    EXPECT_EQ(col, (std::vector<U16>{1, 5}));
}

TEST(TsTexture, MipMapLevelsFollowTheBase)
{
    std::vector<U16> chain(64 + 16 + 4 + 1 + 8, 0xDEAD);
    for (int i = 0; i < 64; ++i) {
        chain[i] = static_cast<U16>(i * 977);
    }
    tsDisplay_CreateMipMap(chain.data(), 8, 8, nullptr, 3);
    std::vector<U16> level1(16);
    std::vector<U16> level2(4);
    U16 level3 = 0;
    tsDisplay_DownScale(level1.data(), 8, 8, chain.data());
    tsDisplay_DownScale(level2.data(), 4, 4, level1.data());
    tsDisplay_DownScale(&level3, 2, 2, level2.data());
    EXPECT_EQ(std::vector<U16>(chain.begin() + 64, chain.begin() + 80), level1);
    EXPECT_EQ(std::vector<U16>(chain.begin() + 80, chain.begin() + 84), level2);
    EXPECT_EQ(chain[84], level3);
    EXPECT_EQ(chain[85], 0xDEAD);
}

TEST(TsTexture, TwentyFourBitConversions)
{
    U8 bytes[3 * 3] = {};
    const U16 pixels[3] = {0xFFFF, 0xF800, 0x0821};
    tsDisplay_UpScale24(bytes, 3, 1, pixels);
    const U8 expected[9] = {0xF8, 0xFC, 0xF8, 0xF8, 0x00, 0x00, 0x08, 0x04, 0x08};
    EXPECT_EQ(0, std::memcmp(bytes, expected, sizeof(expected)));

    // 1024 x 1024 samples every second pixel of every second row.
    std::vector<U8> big(1024 * 1024 * 3);
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1024; ++x) {
            U8* p = &big[(static_cast<size_t>(y) * 1024 + x) * 3];
            p[0] = static_cast<U8>(x);
            p[1] = static_cast<U8>(y);
            p[2] = static_cast<U8>(x ^ y);
        }
    }
    std::vector<U16> dst(kSize * kSize);
    std::vector<U16> flipped(kSize * kSize);
    tsDisplay_DownScale24(dst.data(), 1024, 1024, big.data());
    tsDisplay_FlipDownScale24(flipped.data(), 1024, 1024, big.data());
    for (int y = 0; y < kSize; y += 7) {
        for (int x = 0; x < kSize; x += 5) {
            const U8* p = &big[(static_cast<size_t>(2 * y) * 1024 + 2 * x) * 3];
            const U16 want = static_cast<U16>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3);
            ASSERT_EQ(dst[static_cast<size_t>(y) * kSize + x], want) << x << "," << y;
            ASSERT_EQ(flipped[static_cast<size_t>(kSize - 1 - y) * kSize + x], want) << x << "," << y;
        }
    }
}

} // namespace
