// TrueType text against FreeType's own rendering of the same face: the
// character maps of the unit's coding, the pixel size of a text height, the
// advances, fixed-width digits, empty glyphs, the 599-row stop, rotated and
// outlined text, a failed start, and the glyph list emptied while another
// task draws.
#include "graphics/g_truetype.h"
#include "graphics/tests/g_testing.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

// FreeType's rendering of one character of the face, by Unicode.
struct Reference {
    int width = 0;
    int rows = 0;
    int top = 0;
    std::vector<U8> coverage; // rows top first, width bytes each
};

class TrueType : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_ready = G_TRUETYPE_bInit() == TRUE;
        if (s_ready) {
            FT_Init_FreeType(&s_library);
            FT_New_Memory_Face(s_library, ArialNarrow_Bold_Quellmarcoding.pu8TTFdata,
                               (FT_Long)ArialNarrow_Bold_Quellmarcoding.u32MaxWidth, 0, &s_face);
        }
    }
    static void TearDownTestSuite()
    {
        if (s_face != nullptr)
            FT_Done_Face(s_face);
        if (s_library != nullptr)
            FT_Done_FreeType(s_library);
        s_face = nullptr;
        s_library = nullptr;
    }
    void SetUp() override
    {
        if (!s_ready)
            GTEST_SKIP() << "no TrueType font file installed";
        G_TRUETYPE_vSelectFontSet(0);
        G_TRUETYPE_vRemoveList();
    }

    static Reference reference(FT_ULong codePoint, U32 pixelSize)
    {
        Reference r;
        FT_Set_Charmap(s_face, s_face->charmaps[2]);
        FT_Set_Pixel_Sizes(s_face, pixelSize, pixelSize);
        if (FT_Load_Char(s_face, codePoint, FT_LOAD_RENDER) != 0)
            return r;
        const FT_Bitmap& bm = s_face->glyph->bitmap;
        r.width = (int)bm.width;
        r.rows = (int)bm.rows;
        r.top = s_face->glyph->bitmap_top;
        for (int y = 0; y < r.rows; ++y)
            r.coverage.insert(r.coverage.end(), bm.buffer + y * bm.pitch, bm.buffer + y * bm.pitch + bm.width);
        return r;
    }

    // The pixels G_TRUETYPE_vPut would cover with a glyph at the anchor.
    static gt::PixelSet covered(const Reference& r, int x, int y)
    {
        gt::PixelSet set;
        for (int row = 0; row < r.rows; ++row)
            for (int j = 0; j < r.width; ++j)
                if (r.coverage[(size_t)row * r.width + j] >= 48)
                    set.insert({x + j, y + r.top - 1 - row});
        return set;
    }

    static inline bool s_ready = false;
    static inline FT_Library s_library = nullptr;
    static inline FT_Face s_face = nullptr;
};

char* str(const char* s) { return const_cast<char*>(s); }

gt::PixelSet drawnText(const char* s, U32 height, POINT anchor = {10, 20})
{
    gt::TestBitmap bmp(800, 600);
    G_TRUETYPE_vPut(bmp, str(s), &anchor, 0xFFFF, height, 0);
    return bmp.drawn();
}

TEST_F(TrueType, FaceCarriesTheUnitsTwoCodingsAndTheUnicodeMap)
{
    ASSERT_EQ(s_face->num_charmaps, 3);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(s_face->charmaps[k]->platform_id, 1);
        EXPECT_EQ(s_face->charmaps[k]->encoding_id, 0);
        EXPECT_EQ(FT_Get_CMap_Format(s_face->charmaps[k]), 6);
    }
    EXPECT_EQ(s_face->charmaps[2]->platform_id, 3);
    EXPECT_EQ(s_face->charmaps[2]->encoding_id, 1);
    EXPECT_EQ(FT_Get_CMap_Format(s_face->charmaps[2]), 4);

    struct Case {
        int charmap;
        FT_ULong code;
        FT_ULong codePoint;
    };
    const Case cases[] = {{0, 'A', 'A'},     {0, 0x80, 0x00C4}, {0, 0xBA, 0x00B0}, {0, 0xE5, 0x20AC},
                          {1, 0x80, 0x010C}, {1, 0x8B, 0x0410}, {1, 0xD7, 0x00C4}, {1, 'z', 'z'}};
    for (const Case& c : cases) {
        FT_Set_Charmap(s_face, s_face->charmaps[2]);
        const FT_UInt expected = FT_Get_Char_Index(s_face, c.codePoint);
        FT_Set_Charmap(s_face, s_face->charmaps[c.charmap]);
        EXPECT_NE(expected, 0u);
        EXPECT_EQ(FT_Get_Char_Index(s_face, c.code), expected) << "map " << c.charmap << " code " << c.code;
    }
}

TEST_F(TrueType, TextHeightRendersAtSixtyFortyFourthsOfItself)
{
    const std::pair<U32, U32> sizes[] = {{22, 30}, {20, 27}, {44, 60}};
    for (auto [height, pixels] : sizes) {
        const gt::PixelSet expected = covered(reference('H', pixels), 10, 20);
        EXPECT_EQ(drawnText("H", height), expected) << "height " << height;
        EXPECT_NE(covered(reference('H', pixels + 1), 10, 20), expected) << "the sizes must tell apart";
    }
}

TEST_F(TrueType, OutlinedTextLeavesTheSizeOfLaterTextAlone)
{
    const gt::PixelSet expected = covered(reference('H', 30), 10, 20);
    gt::TestBitmap bmp(300, 100);
    POINT anchor{10, 20};
    G_TRUETYPE_vPut(bmp, str("H"), &anchor, 0xFFFF, 22, 0);
    G_TRUETYPE_vPutOutlined(bmp, str("H"), &anchor, 0xFFFF, 40, 0, 0x001F);
    G_TRUETYPE_vRemoveList();
    EXPECT_EQ(drawnText("H", 22), expected);
}

TEST_F(TrueType, WidthsAreGlyphWidthsPlusGapsAndHalfHeightSpaces)
{
    const int a20 = reference('A', 27).width, b20 = reference('B', 27).width;
    EXPECT_EQ(G_TRUETYPE_u32GetWidth(str("A B"), 20, 0), (U32)(a20 + 1 + 10 + b20 + 1));
    const int a128 = reference('A', 174).width;
    EXPECT_EQ(G_TRUETYPE_u32GetWidth(str("AA"), 128, 0), (U32)(2 * (a128 + 128 / 64 + 1)));
    EXPECT_EQ(G_TRUETYPE_u32GetWidth(str(""), 20, 0), 0u);
    EXPECT_EQ(G_TRUETYPE_u32GetWidth(nullptr, 20, 0), 0u);

    // The second glyph starts where the width of the first says.
    const gt::PixelSet ab = drawnText("A B", 20);
    gt::PixelSet expected = covered(reference('A', 27), 10, 20);
    const gt::PixelSet b = covered(reference('B', 27), 10 + a20 + 1 + 10, 20);
    expected.insert(b.begin(), b.end());
    EXPECT_EQ(ab, expected);
}

TEST_F(TrueType, FixedDigitsMakeReadoutsOfAsManyDigitsEquallyWide)
{
    EXPECT_NE(G_TRUETYPE_u32GetWidth(str("11.1"), 30, 0), G_TRUETYPE_u32GetWidth(str("88.8"), 30, 0));
    const U32 w = G_TRUETYPE_u32GetWidthNumWidthFixed(str("11.1"), 30, 0);
    EXPECT_EQ(G_TRUETYPE_u32GetWidthNumWidthFixed(str("88.8"), 30, 0), w);
    EXPECT_EQ(w, 3 * G_TRUETYPE_u32GetWidth(str("0"), 30, 0) + G_TRUETYPE_u32GetWidth(str("."), 30, 0));

    // Drawn: the '.' of both stands at the same place.
    const auto dotColumn = [](const char* s) {
        gt::TestBitmap bmp(300, 100);
        POINT anchor{10, 20};
        G_TRUETYPE_vPutNumWidthFixed(bmp, str(s), &anchor, 0xFFFF, 30, 0);
        EXPECT_EQ(anchor.x, 10) << "the caller's anchor stays";
        int right = 0;
        for (const gt::Pixel& p : bmp.drawn())
            right = std::max(right, p.first);
        return right;
    };
    EXPECT_EQ(dotColumn("11."), dotColumn("88."));
}

TEST_F(TrueType, CharacterMapFollowsTheFontSet)
{
    const gt::PixelSet aUmlaut = covered(reference(0x00C4, 27), 10, 20);
    const gt::PixelSet cCaron = covered(reference(0x010C, 27), 10, 20);
    ASSERT_NE(aUmlaut, cCaron);
    EXPECT_EQ(drawnText("\x80", 20), aUmlaut);
    G_TRUETYPE_vSelectFontSet(1);
    G_TRUETYPE_vRemoveList();
    EXPECT_EQ(drawnText("\x80", 20), cCaron);
    EXPECT_EQ(G_TRUETYPE_u32GetWidth(str("\x80"), 20, 0), (U32)reference(0x010C, 27).width + 1);
    G_TRUETYPE_vSelectFontSet(3);
    G_TRUETYPE_vRemoveList();
    EXPECT_EQ(drawnText("\xC4", 20), aUmlaut) << "Unicode: 0xC4 is A with diaeresis";
}

TEST_F(TrueType, EmptyGlyphDrawsNothingAndAdvancesByTheGap)
{
    // Code 0xF3 of font set 1 is the no-break space: a glyph without ink.
    EXPECT_EQ(G_TRUETYPE_u32GetWidth(str("\xF3"), 20, 0), 1u);
    EXPECT_EQ(drawnText("A\xF3", 20), drawnText("A", 20)) << "the previous glyph is not drawn again";
    const gt::PixelSet shifted = drawnText("\xF3" "A", 20);
    EXPECT_EQ(shifted, covered(reference('A', 27), 11, 20));
}

TEST_F(TrueType, GlyphReachingRow599EndsTheString)
{
    const Reference a = reference('a', 27), cap = reference('A', 27);
    ASSERT_LT(a.top, cap.top);
    // 'a' ends below row 599, 'A' would reach it.
    const POINT anchor{10, 599 - cap.top + 1};
    EXPECT_EQ(drawnText("aAa", 20, anchor), drawnText("a", 20, anchor));
    const POINT lower{10, anchor.y - 1};
    EXPECT_GT(drawnText("aA", 20, lower).size(), drawnText("a", 20, lower).size());
}

struct Extent {
    int left = INT32_MAX, bottom = INT32_MAX, right = INT32_MIN, top = INT32_MIN;
};

Extent extentOf(const gt::PixelSet& s)
{
    Extent e;
    for (const gt::Pixel& p : s) {
        e.left = std::min(e.left, p.first);
        e.right = std::max(e.right, p.first);
        e.bottom = std::min(e.bottom, p.second);
        e.top = std::max(e.top, p.second);
    }
    return e;
}

TEST_F(TrueType, RotatedTextTurnsAboutTheCentre)
{
    const Extent plain = extentOf(drawnText("Speed", 20, {200, 200}));
    const POINT anchor{200, 200}, centre{0, 0};
    gt::TestBitmap bmp(400, 400);
    G_TRUETYPE_vPutRotated(bmp, str("Speed"), &anchor, &centre, 0.0, 0xFFFF, 20, 0);
    const Extent level = extentOf(bmp.drawn());
    EXPECT_NEAR(level.left, plain.left, 1);
    EXPECT_NEAR(level.right, plain.right, 1);
    EXPECT_NEAR(level.bottom, plain.bottom, 1);
    EXPECT_NEAR(level.top, plain.top, 1);

    // A quarter turn counter-clockwise: the text runs up, its tops face left.
    bmp.clear();
    G_TRUETYPE_vPutRotated(bmp, str("Speed"), &anchor, &centre, 1.5707963267948966, 0xFFFF, 20, 0);
    const Extent up = extentOf(bmp.drawn());
    EXPECT_NEAR(up.bottom, 200 + (plain.left - 200), 2);
    EXPECT_NEAR(up.top, 200 + (plain.right - 200), 2);
    EXPECT_NEAR(up.left, 200 - (plain.top - 200), 2);
    EXPECT_NEAR(up.right, 200 - (plain.bottom - 200), 2);
}

TEST_F(TrueType, OutlinedTextHasARimOfTheOutlineColour)
{
    const Extent plain = extentOf(drawnText("Fog", 24, {50, 50}));
    gt::TestBitmap bmp(300, 200);
    POINT anchor{50, 50};
    G_TRUETYPE_vPutOutlined(bmp, str("Fog"), &anchor, 0xFFFF, 24, 0, 0x001F);
    const Extent outlined = extentOf(bmp.drawn());
    EXPECT_GT(bmp.count(0x001F), 20u) << "a rim in the outline colour";
    EXPECT_GT(bmp.count(0xFFFF), 50u) << "the text in its colour";
    for (int d : {plain.left - outlined.left, outlined.right - plain.right, plain.bottom - outlined.bottom,
                  outlined.top - plain.top}) {
        EXPECT_GE(d, 1);
        EXPECT_LE(d, 3);
    }
}

TEST_F(TrueType, GlyphListEmptiedWhileAnotherTaskDraws)
{
    const gt::PixelSet expected = drawnText("Depth 12.5", 26);
    std::atomic<bool> stop{false};
    std::thread language([&] {
        while (!stop) {
            G_TRUETYPE_vRemoveList();
            G_TRUETYPE_vSelectFontSet(0);
        }
    });
    gt::TestBitmap bmp(300, 100);
    for (int i = 0; i < 60; ++i) {
        POINT anchor{10, 20};
        G_TRUETYPE_vPut(bmp, str("Depth 12.5"), &anchor, 0xFFFF, 18 + i % 10, 0);
        G_TRUETYPE_vPutNumWidthFixed(bmp, str("12.5"), &anchor, 0xFFFF, 18 + i % 7, 0);
        (void)G_TRUETYPE_u32GetWidth(str("Depth"), 26, 0);
    }
    stop = true;
    language.join();
    EXPECT_EQ(drawnText("Depth 12.5", 26), expected);
}

TEST(TrueTypeStart, FileThatIsNoFontFailsTheStartAndTextDrawsNothing)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto start = [] {
        G_TRUETYPE_vSetFontFile("/proc/self/status");
        const bool bFailed = G_TRUETYPE_bInit() == FALSE;
        gt::TestBitmap bmp(100, 50);
        POINT anchor{5, 10};
        G_TRUETYPE_vPut(bmp, str("Text"), &anchor, 0xFFFF, 20, 0);
        G_TRUETYPE_vPutOutlined(bmp, str("Text"), &anchor, 0xFFFF, 20, 0, 0x001F);
        G_TRUETYPE_vSelectFontSet(1);
        const bool bNothing = bmp.drawn().empty() && G_TRUETYPE_u32GetWidth(str("Text"), 20, 0) == 0;
        exit(bFailed && bNothing ? 0 : 1);
    };
    EXPECT_EXIT(start(), testing::ExitedWithCode(0), "");
}

} // namespace
