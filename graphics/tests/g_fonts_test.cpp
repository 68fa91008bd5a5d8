// Bitmap fonts and strings: baseline placement, advances, the missing-glyph
// and glyph-less boxes, the font set per language, the metrics the screens
// are laid out for, and the generated font data itself.
#include "graphics/g_fonts.h"
#include "graphics/g_string.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/error.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"
#include "util/u_unicode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const BYTE* text(const char* s) { return reinterpret_cast<const BYTE*>(s); }

// A font of height 6 (ascender 1, descender 2) with one glyph 'T', 10 wide:
// the top row is set over all ten columns, the bottom row only at column 9.
const U8 kTBits[] = {0xFF, 0xC0, 0x0C, 0x00, 0x0C, 0x00, 0x0C, 0x00, 0x0C, 0x00, 0x00, 0x40};
const CHAR_DESC kT = {kTBits, 10};
const std::array<const CHAR_DESC*, 256> kTable = [] {
    std::array<const CHAR_DESC*, 256> table{};
    table['T'] = &kT;
    return table;
}();
const FONT_DEF kSmall = {{kTable.data()}, 6, 1, 2, 10, 1};
const FONT_DEF kNoGlyphs = {{nullptr}, 6, 1, 2, 10, 1};

TEST(BitmapFont, GlyphRowsHangFromTheCellTopAboveTheBaseline)
{
    gt::TestBitmap bmp(60, 40);
    const POINT anchor{20, 10};
    G_FONTS_vPut(bmp, 0xFFFF, &anchor, &kSmall, 'T');
    // Top row at y + height - descender - 1 = 13, bottom row at y - descender = 8.
    gt::PixelSet expected;
    for (int x = 20; x < 30; ++x)
        expected.insert({x, 13});
    for (int y = 9; y <= 12; ++y)
        expected.insert({24, y}), expected.insert({25, y});
    expected.insert({29, 8});
    EXPECT_EQ(bmp.drawn(), expected) << gt::describe(bmp.drawn());
}

TEST(BitmapFont, MissingGlyphsAndGlyphlessFontsDrawBoxes)
{
    gt::TestBitmap bmp(60, 40);
    const POINT anchor{3, 4};
    G_FONTS_vPut(bmp, 0xFFFF, &anchor, &kSmall, 'x');
    EXPECT_EQ(bmp.drawn().size(), 25u) << "a (height - 1) square";
    EXPECT_TRUE(bmp.drawn().count({3, 4}) && bmp.drawn().count({7, 8}) && !bmp.drawn().count({8, 8}));
    EXPECT_EQ(G_FONTS_u32GetWidth(&kSmall, 'x'), 6u) << "a missing glyph advances by the height";

    bmp.clear();
    G_FONTS_vPut(bmp, 0xFFFF, &anchor, &kNoGlyphs, 'T');
    EXPECT_EQ(bmp.drawn().size(), 36u) << "a 6 x 6 box";
    EXPECT_EQ(G_FONTS_u32GetWidth(&kNoGlyphs, 'T'), 6u);

    EXPECT_EQ(G_FONTS_u32GetWidth(nullptr, 'T'), 0u);
    EXPECT_EQ(G_FONTS_u32GetHeight(nullptr), 0u);
    EXPECT_EQ(G_FONTS_u32GetCoreHeight(nullptr), 0u);
    EXPECT_EQ(G_FONTS_u32GetCoreHeight(&kSmall), 3u);
    EXPECT_EQ(G_FONTS_u32GetMaxWidth(&kSmall), 10u);
    EXPECT_EQ(G_FONTS_u32GetInterCharSpacing(&kSmall), 1u);
    EXPECT_EQ(G_FONTS_u32GetAscenderHeight(&kSmall), 1u);
    EXPECT_EQ(G_FONTS_u32GetDescenderHeight(&kSmall), 2u);
}

TEST(BitmapFont, ClipBoxHoldsAndFarAnchorsDrawNothing)
{
    gt::TestBitmap bmp(40, 20);
    bmp.setClip(5, 5, 30, 15);
    const POINT anchors[] = {{0, 0}, {25, 12}, {-8, 3}, {INT32_MAX - 3, 5}, {INT32_MIN, INT32_MIN}, {3, INT32_MAX}};
    for (const POINT& a : anchors) {
        POINT pen = a;
        G_STRING_vPut(bmp, 0xFFFF, &pen, &kSmall, text("TxT"));
    }
    for (const gt::Pixel& p : bmp.drawn())
        EXPECT_TRUE(p.first >= 5 && p.first <= 30 && p.second >= 5 && p.second <= 15) << p.first << "," << p.second;
    EXPECT_FALSE(bmp.drawn().empty());
}

TEST(BitmapFont, NullAnchorOrFontResetsTheUnit)
{
    vt::TempRoot root;
    root.exportEnv();
    gt::TestBitmap bmp(10, 10);
    const POINT anchor{0, 0};
    EXPECT_EXIT(G_FONTS_vPut(bmp, 0, &anchor, nullptr, 'A'), testing::ExitedWithCode(10), "");
    EXPECT_EXIT(G_FONTS_vPut(bmp, 0, nullptr, &kSmall, 'A'), testing::ExitedWithCode(10), "");
    EXPECT_NE(vt::readFile(root.cwd() + "/FATAL.LOG").find("G_FONTS_vPut received bad pointer in g_fonts at 78"),
              std::string::npos);
}

TEST(BitmapString, AnchorEndsWhereTheWidthSays)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    const FONT_DEF* font = std_16x17_font_def_ptr;
    gt::TestBitmap bmp(300, 60);
    struct Case {
        const char* s;
        U32 width;
    };
    const U32 a = font->ppCharDesc['A']->u32Width;
    const Case cases[] = {{"A", a}, {"", 0}, {"AA", 2 * a}, {"A\x01", a + font->u32Height}};
    for (const Case& c : cases) {
        POINT pen{10, 20};
        G_STRING_vPut(bmp, 0xFFFF, &pen, font, text(c.s));
        EXPECT_EQ(pen.x, 10 + (S32)c.width) << c.s;
        EXPECT_EQ(pen.y, 20);
        EXPECT_EQ(G_STRING_u32GetWidth(font, text(c.s)), c.width) << c.s;
    }
    POINT pen{10, 20};
    bmp.clear();
    G_STRING_vPut(bmp, 0xFFFF, &pen, font, nullptr);
    EXPECT_EQ(pen.x, 10);
    EXPECT_TRUE(bmp.drawn().empty());
    EXPECT_EQ(G_STRING_u32GetWidth(font, nullptr), 0u);
    EXPECT_EQ(G_STRING_u32GetHeight(font), 27u);
}

// Rows drawn by one character of a font at the anchor (100, 50).
std::pair<int, int> inkRows(const FONT_DEF* font, BYTE ch)
{
    gt::TestBitmap bmp(300, 200);
    const POINT anchor{100, 50};
    G_FONTS_vPut(bmp, 0xFFFF, &anchor, font, ch);
    int low = 1000, high = -1000;
    for (const gt::Pixel& p : bmp.drawn())
        low = std::min(low, p.second), high = std::max(high, p.second);
    return {low, high};
}

TEST(BitmapString, CapitalsSitOnTheBaselineAndDescendersHangBelow)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    const FONT_DEF* font = std_16x17_font_def_ptr;
    // The cell of height 27 with descender 5 at (100, 50) spans rows 45..71;
    // the core of 17 rows is 50..66.
    EXPECT_EQ(inkRows(font, 'H'), std::make_pair(50, 66));
    const auto g = inkRows(font, 'g');
    EXPECT_LT(g.first, 50);
    EXPECT_GE(g.first, 45);
    const auto umlaut = inkRows(font, 0x80); // A with diaeresis in font set 1
    EXPECT_GT(umlaut.second, 66);
    EXPECT_LE(umlaut.second, 71);
}

TEST(FontSet, FollowsTheLanguage)
{
    struct Case {
        LANGUAGE lang;
        bool bCroRus;
    };
    const Case cases[] = {{LANGUAGE_RUSSIAN, true},   {LANGUAGE_GREEK, false},   {LANGUAGE_CROATIAN, true},
                          {LANGUAGE_BULGARIAN, true}, {LANGUAGE_TURKISH, false}, {(LANGUAGE)22, false},
                          {(LANGUAGE)-1, false}};
    for (const Case& c : cases) {
        U_FONTS_vSelectFontSet(c.lang);
        EXPECT_EQ(std_9x13_font_def_ptr.load(), c.bCroRus ? &vondrel_9x13_Cro_Rus_font_def : &vondrel_9x13_font_def);
        EXPECT_EQ(std_11x14_font_def_ptr.load(),
                  c.bCroRus ? &vondrel_11x14_Cro_Rus_font_def : &vondrel_11x14_font_def);
        EXPECT_EQ(std_16x17_font_def_ptr.load(),
                  c.bCroRus ? &vondrel_16x17_Cro_Rus_font_def : &vondrel_16x17_font_def)
            << c.lang;
    }
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    EXPECT_EQ(f7x10_font_def_ptr, &f7x10_font_def);
    EXPECT_EQ(aonehuntwentfiveonehuneightone_font_def_ptr, &aonehuntwentfiveonehuneightone_font_def);
}

TEST(FontCatalogue, MetricsTheScreensAreLaidOutFor)
{
    struct Case {
        const FONT_DEF* font;
        U32 height, ascender, descender, maxWidth, spacing;
    };
    const Case cases[] = {
        {&vondrel_9x13_font_def, 21, 4, 4, 17, 2},
        {&vondrel_9x13_Cro_Rus_font_def, 21, 4, 4, 17, 2},
        {&vondrel_11x14_font_def, 22, 4, 4, 18, 2},
        {&vondrel_11x14_Cro_Rus_font_def, 22, 4, 4, 18, 2},
        {&vondrel_16x17_font_def, 27, 5, 5, 22, 2},
        {&vondrel_16x17_Cro_Rus_font_def, 27, 5, 5, 22, 2},
        {&vondrel_6x11short_font_def, 17, 3, 3, 11, 2},
        {&a14x21_font_def, 34, 7, 6, 19, 2},
        {&f15x21_font_def, 33, 6, 6, 26, 2},
        {&a15x25_font_def, 40, 7, 8, 29, 2},
        {&atwentfourfourthreegreek_font_def, 68, 12, 14, 50, 2},
        {&atwentfourfourthreeRUS_font_def, 66, 12, 12, 50, 2},
        {&f7x10_font_def, 10, 0, 0, 9, 1},
        {&a87x133_font_def, 139, 3, 3, 97, 3},
        {&aonehuntwentfiveonehuneightone_font_def, 182, 1, 3, 125, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.font->u32Height, c.height);
        EXPECT_EQ(c.font->u32Ascender, c.ascender);
        EXPECT_EQ(c.font->u32Descender, c.descender);
        EXPECT_EQ(c.font->u32MaxWidth, c.maxWidth);
        EXPECT_EQ(c.font->u32InterCharSpacing, c.spacing);
    }
}

// Every font: glyphs no wider than the maximum width, bits past a glyph's
// width clear (the drawer does not mask them), digits of equal advance.
TEST(FontCatalogue, GlyphDataKeepsTheFormatsPromises)
{
    const FONT_DEF* all[] = {
        &vondrel_9x13_font_def, &vondrel_9x13_Cro_Rus_font_def, &vondrel_11x14_font_def,
        &vondrel_11x14_Cro_Rus_font_def, &vondrel_16x17_font_def, &vondrel_16x17_Cro_Rus_font_def,
        &f7x10_font_def, &f9x14_font_def, &f13x19_font_def, &f13x19a_font_def, &f15x21_font_def, &f16x26_font_def,
        &f17x21_font_def, &f18x27_font_def, &f18x32_font_def, &f19x30_font_def, &f21x33_font_def, &f21x38_font_def,
        &f22x32_font_def, &f25x44_font_def, &f29x44_font_def, &f31x57_font_def, &f32x48_font_def, &f34x62_font_def,
        &f40x60_font_def, &f40x71_font_def, &f44x76_font_def, &f58x88_font_def, &f65x133_font_def, &a14x21_font_def,
        &a15x25_font_def, &a24x37_font_def, &a29x44_font_def, &a34x53_font_def, &a38x60_font_def, &a42x66_font_def,
        &a58x88_font_def, &a87x133_font_def, &myriad_9x14_font_def, &myriad_15x21_font_def,
        &myriad_21x33_font_def, &myriad_22x32_font_def, &myriad_29x44_font_def, &myriad_42x66_font_def,
        &myr33x44_font_def, &vondrel_6x11short_font_def, &atwentfourfourthreegreek_font_def,
        &atwentfourfourthreeRUS_font_def, &aonehunsixteenonehunsixnine_font_def,
        &aonehuntwentfiveonehuneightone_font_def};
    for (const FONT_DEF* font : all) {
        int glyphs = 0;
        for (int code = 0; code < 256; ++code) {
            const CHAR_DESC* c = font->ppCharDesc[code];
            if (c == nullptr)
                continue;
            ++glyphs;
            ASSERT_LE(c->u32Width, font->u32MaxWidth) << code;
            const U32 rowBytes = (c->u32Width + 7) / 8;
            const U8 spare = (U8)(0xFF >> (c->u32Width % 8 == 0 ? 8 : c->u32Width % 8));
            for (U32 r = 0; r < font->u32Height; ++r)
                ASSERT_EQ(c->pBuffer[r * rowBytes + rowBytes - 1] & spare, 0) << "code " << code << " row " << r;
        }
        EXPECT_GE(glyphs, 19);
        for (char d = '1'; d <= '9'; ++d)
            EXPECT_EQ(G_FONTS_u32GetWidth(font, d), G_FONTS_u32GetWidth(font, '0')) << d;
    }
}

// A character present in both font sets looks the same in the plain and the
// Cro_Rus font, whatever its code in each.
TEST(FontCatalogue, BothSetsShowTheCodeTablesCharacters)
{
    const std::pair<const FONT_DEF*, const FONT_DEF*> pairs[] = {
        {&vondrel_9x13_font_def, &vondrel_9x13_Cro_Rus_font_def},
        {&vondrel_16x17_font_def, &vondrel_16x17_Cro_Rus_font_def}};
    int compared = 0;
    for (const auto& [plain, croRus] : pairs) {
        for (int r = 0; r < Unicode_Table_Rows; ++r) {
            const UNICODE_TABLE_ROW& row = Unicode_Table_Hex[r];
            const CHAR_DESC* a = row.u8FontSet1 ? plain->ppCharDesc[row.u8FontSet1] : nullptr;
            const CHAR_DESC* b = row.u8FontSet2 ? croRus->ppCharDesc[row.u8FontSet2] : nullptr;
            if (row.u8FontSet1 != 0) {
                EXPECT_NE(a, nullptr) << std::hex << row.u16CodePoint;
            }
            if (row.u8FontSet2 != 0) {
                EXPECT_NE(b, nullptr) << std::hex << row.u16CodePoint;
            }
            if (a == nullptr || b == nullptr)
                continue;
            ASSERT_EQ(a->u32Width, b->u32Width) << std::hex << row.u16CodePoint;
            const size_t bytes = (a->u32Width + 7) / 8 * plain->u32Height;
            EXPECT_TRUE(std::equal(a->pBuffer, a->pBuffer + bytes, b->pBuffer)) << std::hex << row.u16CodePoint;
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
}

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The checked-in fonts are what the generator makes of the sources named in
// them; with other source versions installed there is nothing to compare.
TEST(FontCatalogue, GeneratorReproducesTheCheckedInFonts)
{
    const std::filesystem::path checkedIn = vt::sourcePath("graphics/fonts");
    vt::TempRoot root;
    const std::string out = root.path() + "/fonts";
    const vt::ProcResult r = vt::runProcess({vt::buildPath("tools/vondrel-fontgen"), out});
    if (r.status != 0)
        GTEST_SKIP() << "the generator's sources are not installed: " << r.err;
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(checkedIn)) {
        const std::string theirs = slurp(entry.path());
        const std::string ours = slurp(out / entry.path().filename());
        const auto stamp = [](const std::string& s) { return s.substr(0, s.find('\n', s.find('\n') + 1)); };
        if (stamp(ours) != stamp(theirs))
            GTEST_SKIP() << "other source versions installed: " << stamp(ours);
        EXPECT_TRUE(ours == theirs) << entry.path().filename() << " differs from a fresh generation";
        ++files;
    }
    EXPECT_EQ(files, 50u);
}

} // namespace
