// Bitmaps and pixels: creation, element addressing, the inclusive clip box
// and the alpha blend.
#include "graphics/g_buffers.h"
#include "graphics/g_pixel.h"
#include "graphics/tests/g_testing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using gt::TestBitmap;

namespace {

size_t elementOf(const BITMAP* bmp, PIXEL x, PIXEL y)
{
    return (size_t)(G_PIXEL_pcolLogical(bmp, x, y) - reinterpret_cast<COLOR*>(bmp->pBuffer));
}

TEST(Bitmap, FullScreenBitmapIs800By600WithLogicalOriginAtTheBottomLeft)
{
    BITMAP* bmp = G_BUFFERS_pCreateFullScreenBitmap();
    ASSERT_NE(bmp, nullptr);
    ASSERT_NE(bmp->pBuffer, nullptr);
    EXPECT_EQ(bmp->pixels_wide, 800u);
    EXPECT_EQ(bmp->pixels_high, 600u);
    EXPECT_EQ(bmp->pixels_high_full_screen, 600u);
    EXPECT_EQ(bmp->__u32PixelWidthOfBuffer, 800u);
    EXPECT_EQ(bmp->__u32PixelHeightOfBuffer, 600u);
    EXPECT_EQ(bmp->s32ClipLeft, 0);
    EXPECT_EQ(bmp->s32ClipBottom, 0);
    EXPECT_EQ(bmp->s32ClipRight, 799);
    EXPECT_EQ(bmp->s32ClipTop, 599);
    EXPECT_EQ(bmp->s32ClipRight_full_screen, 799);
    EXPECT_EQ(bmp->s32ClipTop_full_screen, 599);
    EXPECT_EQ(elementOf(bmp, 0, 0), 479200u);
    EXPECT_EQ(elementOf(bmp, 799, 599), 799u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bmp->pBuffer) % 4, 0u);
    // The whole buffer is usable (ASan checks the bounds).
    reinterpret_cast<COLOR*>(bmp->pBuffer)[0] = 1;
    reinterpret_cast<COLOR*>(bmp->pBuffer)[800 * 600 - 1] = 1;
    G_BUFFERS_vFreeFullScreenBitmap(bmp);
}

TEST(Bitmap, OddSizesRoundStrideAndRowsUpToEven)
{
    TestBitmap bmp(5, 3);
    EXPECT_EQ(bmp->__u32PixelWidthOfBuffer, 6u);
    EXPECT_EQ(bmp->__u32PixelHeightOfBuffer, 4u);
    EXPECT_EQ(bmp->s32ClipRight, 4);
    EXPECT_EQ(bmp->s32ClipTop, 2);
    EXPECT_EQ(elementOf(bmp, 4, 0), 16u); // 4 + 6 x 2
    EXPECT_EQ(elementOf(bmp, 0, 2), 0u);
    // Every row starts on a 4-byte boundary.
    for (PIXEL y = 0; y < 3; ++y)
        EXPECT_EQ(reinterpret_cast<uintptr_t>(G_PIXEL_pcolLogical(bmp, 0, y)) % 4, 0u) << y;
    // Stride x rows pixels are writable.
    reinterpret_cast<COLOR*>(bmp->pBuffer)[6 * 4 - 1] = 1;
}

TEST(Bitmap, BuffersAreAlignedWhateverTheHeapHandsOut)
{
    // Several sizes so that the heap's blocks fall on varied addresses.
    std::vector<BITMAP*> maps;
    for (U32 w = 1; w <= 9; ++w) {
        maps.push_back(G_BUFFERS_pCreateBitmap(w, w + 2, nullptr, nullptr));
        ASSERT_NE(maps.back()->pBuffer, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(maps.back()->pBuffer) % 4, 0u);
    }
    for (BITMAP* bmp : maps)
        G_BUFFERS_vFreeBitmap(bmp);
}

TEST(Bitmap, CallerSuppliedHeaderAndBufferAreUsedUnchanged)
{
    std::vector<U32> pixels(4 * 2 / 2);
    BITMAP header{};
    BITMAP* bmp = G_BUFFERS_pCreateBitmap(4, 2, &header, pixels.data());
    EXPECT_EQ(bmp, &header);
    EXPECT_EQ(header.pBuffer, pixels.data());
    G_PIXEL_vPut(bmp, 3, 1, 0xABCD);
    EXPECT_EQ(reinterpret_cast<COLOR*>(pixels.data())[3], 0xABCD);
}

TEST(Bitmap, ReleasingAHeaderOnlyBitmapLeavesItsPixelsAlone)
{
    std::vector<COLOR> page(800 * 600, 0x1234);
    BITMAP* bmp = G_BUFFERS_pCreateFullScreenBitmapHeader();
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->__u32PixelWidthOfBuffer, 800u);
    EXPECT_EQ(bmp->s32ClipTop, 599);
    bmp->pBuffer = reinterpret_cast<U32*>(page.data());
    G_PIXEL_vPut(bmp, 0, 0, 0x5555);
    G_BUFFERS_vFreeFullScreenBitmapHeader(bmp);
    EXPECT_EQ(page[479200], 0x5555);
    EXPECT_EQ(page[0], 0x1234);
}

TEST(Pixel, ClipBoxIsInclusiveOnAllFourEdges)
{
    TestBitmap bmp(40, 30);
    bmp.setClip(10, 5, 20, 15);
    const gt::Pixel inside[] = {{10, 5}, {20, 15}, {10, 15}, {20, 5}};
    const gt::Pixel outside[] = {{9, 5}, {21, 15}, {10, 4}, {10, 16}};
    for (auto [x, y] : inside)
        G_PIXEL_vPut(bmp, x, y, 0xFFFF);
    for (auto [x, y] : outside) {
        G_PIXEL_vPut(bmp, x, y, 0xFFFF);
        G_PIXEL_vPutAlpha(bmp, x, y, 0xFFFF, 0);
    }
    EXPECT_EQ(bmp.drawn(), gt::PixelSet(std::begin(inside), std::end(inside)));
}

TEST(Pixel, PhysicalOperationsCountRowsFromTheTop)
{
    TestBitmap bmp(5, 3);
    G_PIXEL_vPutDirect(bmp, 1, 0, 0x0F0F);
    EXPECT_EQ(bmp.at(1, 2), 0x0F0F);
    G_PIXEL_vPut(bmp, 4, 0, 0x1111);
    EXPECT_EQ(G_PIXEL_colorGetPhysicalPixel(bmp, 4, 2), 0x1111);
}

TEST(Pixel, BlendWeighsEachFieldOnItsOwnBitsAndTruncates)
{
    struct Case {
        COLOR colorNew, colorOld;
        U8 alpha;
        COLOR expected;
    };
    const Case cases[] = {
        {0xFFFF, 0x0000, 128, 0x7BEF}, // red 15, green 31, blue 15
        {0xFFFF, 0x0000, 255, 0x0000},
        {0xFFFF, 0x0000, 1, 0xF7DE},   // 31 x 255 >> 8 = 30, 63 x 255 >> 8 = 62
        {0x0000, 0xFFFF, 128, 0x7BEF},
        {0xF800, 0x001F, 64, 0xB807},  // red 31 x 192 >> 8 = 23, blue 31 x 64 >> 8 = 7
        {0x07E0, 0x07E0, 200, 0x07E0}, // 63 x 256 >> 8 = 63: no loss on equal colours
    };
    for (const Case& c : cases)
        EXPECT_EQ(G_PIXEL_colorBlend(c.colorNew, c.colorOld, c.alpha), c.expected)
            << std::hex << c.colorNew << " over " << c.colorOld << " alpha " << std::dec << (int)c.alpha;
}

TEST(Pixel, PutAlphaBlendsOverThePixelAndZeroWritesPlainly)
{
    TestBitmap bmp(4, 4, 0x0000);
    G_PIXEL_vPutAlpha(bmp, 1, 1, 0xFFFF, 128);
    G_PIXEL_vPutAlpha(bmp, 2, 2, 0xFFFF, 255);
    G_PIXEL_vPutAlpha(bmp, 3, 3, 0xFFFF, 0);
    EXPECT_EQ(bmp.at(1, 1), 0x7BEF);
    EXPECT_EQ(bmp.at(2, 2), 0x0000);
    EXPECT_EQ(bmp.at(3, 3), 0xFFFF);
}

} // namespace
