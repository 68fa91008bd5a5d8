#include "graphics/tests/g_testing.h"

#include "graphics/g_bmp.h"
#include "graphics/g_pixel.h"
#include "graphics/g_png.h"
#include "graphics/g_string.h"

#include "testing/t_proc.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace gt {

TestBitmap::TestBitmap(U32 width, U32 height, COLOR background)
    : bmp_(G_BUFFERS_pCreateBitmap(width, height, nullptr, nullptr)), background_(background)
{
    clear();
}

TestBitmap::~TestBitmap() { G_BUFFERS_vFreeBitmap(bmp_); }

void TestBitmap::clear() { G_BMP_vSet(bmp_, background_); }

COLOR TestBitmap::at(int x, int y) const { return *G_PIXEL_pcolLogical(bmp_, x, y); }

COLOR TestBitmap::element(size_t i) const { return reinterpret_cast<const COLOR*>(bmp_->pBuffer)[i]; }

size_t TestBitmap::elements() const
{
    return (size_t)bmp_->__u32PixelWidthOfBuffer * bmp_->__u32PixelHeightOfBuffer;
}

PixelSet TestBitmap::drawn() const
{
    PixelSet set;
    for (int y = 0; y < (int)bmp_->pixels_high; ++y)
        for (int x = 0; x < (int)bmp_->pixels_wide; ++x)
            if (at(x, y) != background_)
                set.insert({x, y});
    return set;
}

size_t TestBitmap::count(COLOR color) const
{
    size_t n = 0;
    for (int y = 0; y < (int)bmp_->pixels_high; ++y)
        for (int x = 0; x < (int)bmp_->pixels_wide; ++x)
            n += at(x, y) == color;
    return n;
}

void TestBitmap::setClip(S32 left, S32 bottom, S32 right, S32 top)
{
    bmp_->s32ClipLeft = left;
    bmp_->s32ClipBottom = bottom;
    bmp_->s32ClipRight = right;
    bmp_->s32ClipTop = top;
}

PixelSet pixels(std::initializer_list<Pixel> list) { return PixelSet(list); }

std::string describe(const PixelSet& set)
{
    std::ostringstream out;
    for (const Pixel& p : set)
        out << "(" << p.first << "," << p.second << ") ";
    return out.str();
}

Rgb readPng(const std::string& path)
{
    Rgb rgb;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0)
        return rgb;
    image.format = PNG_FORMAT_RGB;
    std::vector<U8> data(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, data.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return rgb;
    }
    rgb.width = image.width;
    rgb.height = image.height;
    rgb.data = std::move(data);
    return rgb;
}

Rgb toRgb(const BITMAP* bmp)
{
    Rgb rgb;
    rgb.width = bmp->pixels_wide;
    rgb.height = bmp->pixels_high;
    rgb.data.resize((size_t)rgb.width * rgb.height * 3);
    U8* out = rgb.data.data();
    for (U32 row = 0; row < rgb.height; ++row)
        for (U32 x = 0; x < rgb.width; ++x, out += 3)
            G_PNG_vToRgb888(*G_PIXEL_pcolLogical(bmp, (PIXEL)x, (PIXEL)(rgb.height - 1 - row)), out);
    return rgb;
}

} // namespace gt

namespace gt {
PixelSet picture(std::initializer_list<const char*> rows, int x0, int y0)
{
    PixelSet set;
    int y = y0 + (int)rows.size() - 1;
    for (const char* row : rows) {
        for (int x = 0; row[x] != '\0'; ++x)
            if (row[x] == '#')
                set.insert({x0 + x, y});
        --y;
    }
    return set;
}
void expectGolden(const BITMAP* bmp, const std::string& goldenFolder, const std::string& name)
{
    const std::string golden = vt::sourcePath(goldenFolder + "/" + name + ".png");
    const char* update = getenv("VONDREL_UPDATE_GOLDEN");
    if (update != nullptr && update[0] == '1') {
        ASSERT_TRUE(G_PNG_bWriteBitmap(bmp, golden.c_str())) << golden;
    }
    const Rgb expected = readPng(golden);
    const Rgb drawn = toRgb(bmp);
    ASSERT_EQ(expected.width, drawn.width) << "cannot read " << golden;
    ASSERT_EQ(expected.height, drawn.height) << golden;
    size_t differing = 0;
    for (size_t i = 0; i + 2 < drawn.data.size(); i += 3)
        differing += memcmp(&drawn.data[i], &expected.data[i], 3) != 0;
    if (differing != 0) {
        const std::string actual = vt::buildPath(name + ".actual.png");
        G_PNG_bWriteBitmap(bmp, actual.c_str());
        ADD_FAILURE() << differing << " pixels differ from " << golden << "; the picture drawn is in " << actual;
    }
}

Ink inkOf(const char* text, const FONT_DEF* font)
{
    TestBitmap bmp(400, 40, 0);
    POINT at = {4, 12};
    G_STRING_vPut(bmp, 0xFFFF, &at, font, (const BYTE*)text);
    const Rgb drawn = toRgb(bmp);
    auto inked = [&](U32 x, U32 y) { return drawn.data[((size_t)y * drawn.width + x) * 3] != 0; };
    U32 x0 = drawn.width, y0 = drawn.height, x1 = 0, y1 = 0;
    for (U32 y = 0; y < drawn.height; ++y)
        for (U32 x = 0; x < drawn.width; ++x)
            if (inked(x, y)) {
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    Ink ink;
    if (x0 > x1)
        return ink;
    ink.width = x1 - x0 + 1;
    ink.height = y1 - y0 + 1;
    for (U32 y = y0; y <= y1; ++y)
        for (U32 x = x0; x <= x1; ++x)
            ink.on.push_back(inked(x, y));
    return ink;
}

} // namespace gt
