// Text and 32-bit images drawn into a bitmap of 40 x 20 at every edge, far
// beyond it and at the ends of the coordinate range: nothing is written
// outside the bitmap (guard words around its buffer, and AddressSanitizer
// for anything further), and the routines that honour the clip box write
// nothing outside it. Text larger than the work buffers is cut.
#include "graphics/g_buffers.h"
#include "graphics/g_image.h"
#include "graphics/g_string.h"
#include "graphics/g_truetype.h"
#include "graphics/u_fonts.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr U32 kWidth = 40, kHeight = 20;
constexpr size_t kGuardWords = 64;
constexpr U32 kSentinel = 0xA5C3A5C3;
constexpr COLOR kBackground = 0x0000;

// A 40 x 20 bitmap over a buffer with guard words on both sides, clipped to
// (4, 3)..(35, 16).
class Guarded {
public:
    Guarded() : storage_(2 * kGuardWords + kWidth * kHeight / 2, kSentinel)
    {
        G_BUFFERS_pCreateBitmap(kWidth, kHeight, &bmp_, storage_.data() + kGuardWords);
        for (size_t i = 0; i < kWidth * kHeight / 2; ++i)
            storage_[kGuardWords + i] = kBackground * 0x10001u;
        bmp_.s32ClipLeft = 4;
        bmp_.s32ClipBottom = 3;
        bmp_.s32ClipRight = 35;
        bmp_.s32ClipTop = 16;
    }
    BITMAP* get() { return &bmp_; }

    bool guardsIntact() const
    {
        for (size_t i = 0; i < kGuardWords; ++i)
            if (storage_[i] != kSentinel || storage_[storage_.size() - 1 - i] != kSentinel)
                return false;
        return true;
    }
    // Pixels changed outside the clip box.
    int outsideClip() const
    {
        int n = 0;
        const COLOR* px = reinterpret_cast<const COLOR*>(storage_.data() + kGuardWords);
        for (int row = 0; row < (int)kHeight; ++row)
            for (int x = 0; x < (int)kWidth; ++x) {
                const int y = (int)kHeight - 1 - row;
                const bool inside = x >= 4 && x <= 35 && y >= 3 && y <= 16;
                n += !inside && px[row * kWidth + x] != kBackground;
            }
        return n;
    }
    int changed() const
    {
        int n = 0;
        const COLOR* px = reinterpret_cast<const COLOR*>(storage_.data() + kGuardWords);
        for (size_t i = 0; i < kWidth * kHeight; ++i)
            n += px[i] != kBackground;
        return n;
    }

private:
    std::vector<U32> storage_;
    BITMAP bmp_{};
};

const S32 kXs[] = {INT_MIN, -100000, -300, -45, -20, -3, 0, 1, 17, 36, 39, 40, 41, 60, 900, 100000, INT_MAX};
const S32 kYs[] = {INT_MIN, -100000, -300, -25, -10, -2, 0, 1, 9, 17, 19, 20, 21, 40, 599, 600, 100000, INT_MAX};

struct Drawing {
    const char* name;
    bool bHonoursClip;
    std::function<void(BITMAP*, POINT)> draw;
};

// Fewer places for the drawings that lay text out in large work buffers.
const S32 kFewXs[] = {INT_MIN, -300, -20, 0, 17, 39, 41, 900, INT_MAX};
const S32 kFewYs[] = {INT_MIN, -300, -10, 0, 9, 19, 21, 599, INT_MAX};

template <size_t NX = std::size(kXs), size_t NY = std::size(kYs)>
void sweep(const Drawing& d, const S32 (&xs)[NX] = kXs, const S32 (&ys)[NY] = kYs)
{
    int drawnSomewhere = 0;
    for (S32 x : xs)
        for (S32 y : ys) {
            Guarded g;
            d.draw(g.get(), POINT{x, y});
            ASSERT_TRUE(g.guardsIntact()) << d.name << " at " << x << "," << y;
            if (d.bHonoursClip) {
                ASSERT_EQ(g.outsideClip(), 0) << d.name << " at " << x << "," << y;
            }
            drawnSomewhere += g.changed() > 0;
        }
    EXPECT_GT(drawnSomewhere, 0) << d.name << " drew nothing anywhere";
}

// A long text in the unit's coding with every printable code.
std::string everyCode()
{
    std::string s;
    for (int c = 0x20; c < 0x100; ++c)
        s.push_back((char)c);
    return s;
}

TEST(Edges, BitmapTextStaysInsideTheClipBox)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    const std::string text = everyCode();
    sweep({"bitmap string", true, [&](BITMAP* b, POINT a) {
               G_STRING_vPut(b, 0xFFFF, &a, std_16x17_font_def_ptr, reinterpret_cast<const BYTE*>(text.c_str()));
           }});
    sweep({"readout", true, [](BITMAP* b, POINT a) {
               G_STRING_vPut(b, 0xFFFF, &a, &a87x133_font_def, reinterpret_cast<const BYTE*>("12.5"));
           }});
}

TEST(Edges, TrueTypeTextStaysInsideTheClipBox)
{
    if (G_TRUETYPE_bInit() != TRUE)
        GTEST_SKIP() << "no TrueType font file installed";
    G_TRUETYPE_vSelectFontSet(0);
    std::string text = everyCode();
    char* s = text.data();
    for (U32 h : {20u, 70u}) {
        sweep({"plain", true, [&](BITMAP* b, POINT a) { G_TRUETYPE_vPut(b, s, &a, 0xFFFF, h, 0); }});
        sweep({"fixed digits", true,
               [&](BITMAP* b, POINT a) { G_TRUETYPE_vPutNumWidthFixed(b, (char*)"-12.50", &a, 0xFFFF, h, 0); }});
        sweep({"outlined", true,
               [&](BITMAP* b, POINT a) { G_TRUETYPE_vPutOutlined(b, (char*)"Wg 8.", &a, 0xFFFF, h, 0, 0x001F); }},
              kFewXs, kFewYs);
        for (double angle : {0.0, 0.7, 3.0, -1.6}) {
            const POINT centre{5, 3};
            sweep({"rotated", true,
                   [&](BITMAP* b, POINT a) {
                       G_TRUETYPE_vPutRotated(b, (char*)"Wg 8.", &a, &centre, angle, 0xFFFF, h, 0);
                   }},
                  kFewXs, kFewYs);
        }
    }
}

TEST(Edges, TextLargerThanTheWorkBuffersIsCut)
{
    if (G_TRUETYPE_bInit() != TRUE)
        GTEST_SKIP() << "no TrueType font file installed";
    std::string text = everyCode();
    BITMAP* screen = G_BUFFERS_pCreateFullScreenBitmap();
    ASSERT_NE(screen->pBuffer, nullptr);
    const POINT centre{0, 0};
    for (U32 h : {40u, 300u, 1000u, 200000u}) {
        POINT anchor{0, 100};
        G_TRUETYPE_vPutOutlined(screen, text.data(), &anchor, 0xFFFF, h, 0, 0x001F);
        G_TRUETYPE_vPutRotated(screen, text.data(), &anchor, &centre, 0.3, 0xFFFF, h, 0);
    }
    G_BUFFERS_vFreeFullScreenBitmap(screen);
}

// 32-bit data: rows of a white literal, a half-transparent run, a
// transparent literal and an opaque run.
std::vector<U8> stripes(int width, int height)
{
    std::vector<U8> d;
    for (int row = 0; row < height; ++row) {
        d.insert(d.end(), {255, 255, 255, 255, 90, (U8)(width / 3), 0, 0, 0, 0, 200, 120, 0, 0, 0, 0});
        d.insert(d.end(), {10, 200, 30, 255, 90, (U8)(width), 0, 0});
    }
    return d;
}

TEST(Edges, Image32StaysInsideTheBitmap)
{
    const std::vector<U8> runs = stripes(50, 30);
    const IMAGE32 image{runs.data(), nullptr, 50, 30, 0};
    const ICON icon{runs.data(), nullptr, 50, 30, ICON_PNG_IMAGE32};
    std::vector<U8> plain;
    for (int i = 0; i < 50 * 30; ++i)
        plain.insert(plain.end(), {255, (U8)i, 0, (U8)(i * 7)});
    const IMAGE32 flat{plain.data(), nullptr, 50, 30, 0};
    const ICON flatIcon{plain.data(), nullptr, 50, 30, ICON_PNG_IMAGE32};

    sweep({"put", false, [&](BITMAP* b, POINT a) { G_IMAGE32_vPut(b, &image, &a); }});
    sweep({"part", false, [&](BITMAP* b, POINT a) { G_IMAGE32_PART_vPutNew(b, &image, &a, 1.0f, 0.6f); }});
    sweep({"old", true, [&](BITMAP* b, POINT a) { G_IMAGE32_vPutOld(b, &icon, &a); }});
    sweep({"half plane", true, [&](BITMAP* b, POINT a) {
               const POINT centre{20, 10};
               G_IMAGE32_PART_vPut(b, &image, &a, &centre, 30);
           }});
    sweep({"sector", true, [&](BITMAP* b, POINT a) {
               POINT centre{20, 10};
               G_IMAGE32_vPutCondition(b, &image, &a, 15, 10.0f, 250.0f, &centre, 1);
           }});
    for (double angle : {0.0, 0.4, 2.5, -2.0}) {
        const POINT centre{25, 15};
        sweep({"rotated", false, [&](BITMAP* b, POINT a) { G_IMAGE32_vPutRotated(b, &flat, &a, &centre, angle); }});
        sweep({"rotated old", true,
               [&](BITMAP* b, POINT a) { G_IMAGE32_vPutRotatedOld(b, &flatIcon, &a, &centre, angle); }});
    }
}

} // namespace
