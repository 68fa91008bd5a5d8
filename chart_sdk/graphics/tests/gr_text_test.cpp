// Characters, strings and the built-in chart bitmap fonts.
#include "chart_sdk/graphics/tests/gr_fixture.h"

#include "chart_sdk/graphics/fnt_fonts.h"
#include "chart_sdk/graphics/gr_text.h"
#include "chart_sdk/graphics/ut_string.h"

#include <cstring>
#include <set>
#include <string>

using grt::Box;
using grt::Canvas;
using grt::PixelSet;

namespace {

const U16 kPalette[2] = {0x0001, 0x0002};

FONT* Fonts()
{
    static FONT fonts[3];
    static bool done = false;
    if (!done) {
        fnt_INIT_Orvane06x09(&fonts[0]);
        fnt_INIT_Orvane06x11(&fonts[1]);
        fnt_INIT_Orvane09x15(&fonts[2]);
        done = true;
    }
    for (int i = 0; i < 3; ++i) {
        gr_AddFont(&fonts[i], i);
    }
    return fonts;
}

// A canvas with font slot `slot` selected, ink 0xFFFF, background entry 0.
struct Text : Canvas {
    explicit Text(int slot, int w = 120, int h = 80) : Canvas(w, h)
    {
        Fonts();
        gr_SetColorPalette(kPalette);
        gr_SetFontType(&gc, slot);
        gr_SetColor(&gc, GR_DIRECT_COLOUR | 0xFFFF);
    }
    PixelSet ink() const
    {
        PixelSet out;
        for (const grt::Pixel& p : changed()) {
            if (at(p.first, p.second) == 0xFFFF) {
                out.insert(p);
            }
        }
        return out;
    }
};

int Records(const FONT& f)
{
    std::set<U32> offsets;
    for (int i = 0; i < 256; ++i) {
        const UCHAR* e = f.TablePtr + 4 * i;
        offsets.insert(e[0] | e[1] << 8 | e[2] << 16 | static_cast<U32>(e[3]) << 24);
    }
    return static_cast<int>(offsets.size());
}

PixelSet Shift(const PixelSet& s, int dx, int dr)
{
    PixelSet out;
    for (const grt::Pixel& p : s) {
        out.insert({p.first + dx, p.second + dr});
    }
    return out;
}

} // namespace

TEST(GrFonts, BuiltInFontRecords)
{
    const FONT* f = Fonts();
    struct Case {
        const char* name;
        SINT w, h, block, row, descender;
        int records;
    };
    const Case cases[] = {
        {"Orvane06x09", 6, 9, 10, 1, 2, 16},
        {"Orvane06x11", 6, 11, 12, 1, 2, 179},
        {"Orvane09x15", 9, 15, 31, 2, 3, 179},
    };
    for (int i = 0; i < 3; ++i) {
        const Case& c = cases[i];
        EXPECT_STREQ(reinterpret_cast<const char*>(f[i].FontDescr), c.name);
        EXPECT_EQ(f[i].PixWidth, c.w);
        EXPECT_EQ(f[i].PixHeight, c.h);
        EXPECT_EQ(f[i].BlockSize, c.block);
        EXPECT_EQ(f[i].RowSize, c.row);
        EXPECT_EQ(f[i].Descender, c.descender);
        EXPECT_EQ(f[i].FirstChar, 0);
        EXPECT_EQ(f[i].LastChar, 255);
        EXPECT_EQ(Records(f[i]), c.records) << c.name;
        EXPECT_EQ(std::memcmp(f[i].TablePtr + 1024, "\xFF\xFF\xFF\xFF", 4), 0);
        EXPECT_EQ(gr_GetFontWidth(i), c.w);
        EXPECT_EQ(gr_GetFontHeight(i), c.h);
        EXPECT_EQ(gr_GetFontDescender(i), c.descender);
    }
    EXPECT_EQ(fnt_INIT_Orvane06x09(nullptr), 1);
    EXPECT_EQ(fnt_INIT_Orvane06x11(nullptr), 1);
    EXPECT_EQ(fnt_INIT_Orvane09x15(nullptr), 1);
}

TEST(GrFonts, CoverageOfTheDigitFont)
{
    const std::string inked = "+-.0123456789:\x7F";
    for (int code = 0; code < 256; ++code) {
        Text t(0);
        gr_SetTranspAttr(&t.gc, 1, 0);
        t.gc.cp = {10, 50};
        gf_PrintFastChar(&t.gc, static_cast<UCHAR>(code));
        const bool expect = inked.find(static_cast<char>(code)) != std::string::npos;
        EXPECT_EQ(!t.ink().empty(), expect) << code;
        EXPECT_EQ(t.gc.cp.px, 16);
    }
    Text big(1);
    gr_SetTranspAttr(&big.gc, 1, 0);
    big.gc.cp = {10, 50};
    gr_PrintString(&big.gc, "\x18\x19\x7F\xC8\x8A");
    EXPECT_GT(big.ink().size(), 40u);
}

TEST(GrText, DigitsInTheSmallFont)
{
    Text t(0);
    t.gc.cp = {10, 50};
    EXPECT_EQ(gr_PrintString(&t.gc, "12"), GR_OK);
    EXPECT_EQ(t.gc.cp.px, 22);
    EXPECT_EQ(t.gc.cp.py, 50);
    // Without transparency the whole two cells are painted.
    EXPECT_EQ(t.changed(), Box(10, 42, 21, 50));
    EXPECT_EQ(t.at(10, 50), 0x0001);
    const size_t ink = t.ink().size();
    EXPECT_GT(ink, 8u);
    Text clear(0);
    gr_SetTranspAttr(&clear.gc, 1, 0);
    clear.gc.cp = {10, 50};
    gr_PrintString(&clear.gc, "12");
    EXPECT_EQ(clear.changed(), t.ink());
    // A code without a glyph prints a blank cell and advances.
    Text blank(0);
    blank.gc.cp = {10, 50};
    gr_PrintString(&blank.gc, "\xC8");
    EXPECT_EQ(blank.gc.cp.px, 16);
    EXPECT_TRUE(blank.ink().empty());
    EXPECT_EQ(blank.changed(), Box(10, 42, 15, 50));
}

TEST(GrText, ZoomMakesBlocks)
{
    Text one(1);
    gr_SetTranspAttr(&one.gc, 1, 0);
    one.gc.cp = {10, 40};
    gf_PrintChar(&one.gc, 'R');
    Text zoomed(1);
    gr_SetTranspAttr(&zoomed.gc, 1, 0);
    gr_SetFontZoom(&zoomed.gc, 2, 3);
    zoomed.gc.cp = {10, 40};
    gr_PrintString(&zoomed.gc, "R");
    EXPECT_EQ(zoomed.gc.cp.px, 22);
    PixelSet expect;
    for (const grt::Pixel& p : one.ink()) {
        const int c = p.first - 10;
        const int r = 40 - p.second;
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 3; ++j) {
                expect.insert({10 + 2 * c + i, 40 - 3 * r - j});
            }
        }
    }
    EXPECT_EQ(zoomed.ink(), expect);
}

TEST(GrText, GlyphOrientations)
{
    Text up(1);
    gr_SetTranspAttr(&up.gc, 1, 0);
    up.gc.cp = {40, 40};
    gf_PrintChar(&up.gc, 'F');
    struct Case {
        PRINTDIR dir;
        int dx, dr; // pen step in buffer coordinates
    };
    const Case cases[] = {{1, 0, 11}, {2, 0, -6}, {3, 0, 6}, {4, 0, 0}};
    for (const Case& c : cases) {
        Text t(1);
        gr_SetTranspAttr(&t.gc, 1, 0);
        gr_SetFontDirection(&t.gc, c.dir);
        t.gc.cp = {40, 40};
        gr_PrintString(&t.gc, "F");
        EXPECT_EQ(t.gc.cp.px, 40 + c.dx) << int(c.dir);
        EXPECT_EQ(t.gc.cp.py, 40 + c.dr) << int(c.dir);
        PixelSet expect;
        for (const grt::Pixel& p : up.ink()) {
            const int col = p.first - 40; // glyph column
            const int row = 40 - p.second; // glyph row, upward
            switch (c.dir) {
            case 1:
                expect.insert(p);
                break;
            case 2: // counter-clockwise: rows go left, columns up
                expect.insert({40 - row, 40 - col});
                break;
            default: // clockwise: rows go right, columns down
                expect.insert({40 + row, 40 + col});
                break;
            }
        }
        EXPECT_EQ(t.ink(), expect) << int(c.dir);
    }
}

TEST(GrText, PrintingDirections)
{
    // 180 degrees prints from the last character leftward: the text still
    // reads "AB", ending where the pen started.
    Text back(1);
    gr_SetTranspAttr(&back.gc, 1, 0);
    gr_SetPrintingDirection(&back.gc, 180);
    back.gc.cp = {60, 40};
    gr_PrintString(&back.gc, "AB");
    EXPECT_EQ(back.gc.cp.px, 48);
    EXPECT_EQ(back.gc.cp.py, 40);
    Text ahead(1);
    gr_SetTranspAttr(&ahead.gc, 1, 0);
    ahead.gc.cp = {54, 40};
    gr_PrintString(&ahead.gc, "AB");
    EXPECT_EQ(back.ink(), ahead.ink());

    Text upward(1);
    gr_SetPrintingDirection(&upward.gc, 90);
    upward.gc.cp = {20, 70};
    gr_PrintString(&upward.gc, "XYZ");
    EXPECT_EQ(upward.gc.cp.px, 20);
    EXPECT_EQ(upward.gc.cp.py, 70 - 33);

    // Slanted text keeps its glyphs upright: each character is the upright
    // glyph at the stepped pen.
    Text slant(1);
    gr_SetTranspAttr(&slant.gc, 1, 0);
    gr_SetPrintingDirection(&slant.gc, 30);
    slant.gc.cp = {20, 60};
    gr_PrintString(&slant.gc, "LL");
    Text single(1);
    gr_SetTranspAttr(&single.gc, 1, 0);
    single.gc.cp = {20, 60};
    gr_PrintString(&single.gc, "L");
    EXPECT_EQ(slant.ink(), grt::Union(single.ink(), Shift(single.ink(), 6, -3)));
}

TEST(GrText, PenStepTable)
{
    struct Case {
        SINT dir, w, h;
        SINT dx, dy;
    };
    const Case cases[] = {
        {0, 6, 11, 6, 0},    {180, 6, 11, -6, 0},  {45, 8, 8, 8, 8},     {90, 6, 11, 0, 11},
        {270, 6, 11, 0, -11}, {30, 6, 11, 6, 3},   {80, 6, 11, 2, 11},   {100, 6, 11, -2, 11},
        {135, 6, 11, -6, 6}, {200, 6, 11, -6, -2}, {250, 6, 11, -4, -11}, {280, 6, 11, 2, -11},
        {300, 6, 11, 6, -10}, {0, 6, 0, 6, 0},
    };
    for (const Case& c : cases) {
        SINT dx = 99, dy = 99;
        gf_ComputeNewCurPosInHorMode(c.dir, c.w, c.h, 1, 1, &dx, &dy);
        EXPECT_EQ(dx, c.dx) << c.dir;
        EXPECT_EQ(dy, c.dy) << c.dir;
    }
    SINT dx = 0, dy = 0;
    gf_ComputeNewCurPosInHorMode(90, 6, 11, 2, 3, &dx, &dy);
    EXPECT_EQ(dy, 33);
}

TEST(GrText, Measuring)
{
    Text t(2);
    PIXELDIM d{};
    EXPECT_EQ(gr_StringPixelDim(&t.gc, "ABC", &d), GR_OK);
    EXPECT_EQ(d.pw, 27);
    EXPECT_EQ(d.ph, 15);
    EXPECT_EQ(gr_StringPixelDim(&t.gc, "", &d), GR_OK);
    EXPECT_EQ(d.pw, 0);
    gr_SetFontZoom(&t.gc, 2, 3);
    gr_StringPixelDim(&t.gc, "ABC", &d);
    EXPECT_EQ(d.pw, 54);
    EXPECT_EQ(d.ph, 45);
    gr_SetPrintingDirection(&t.gc, 45);
    EXPECT_EQ(gr_StringPixelDim(&t.gc, "ABC", &d), GR_BAD_DIRECTION);
    gr_SetPrintingDirection(&t.gc, 0);
    gr_SetFontDirection(&t.gc, 2);
    EXPECT_EQ(gr_StringPixelDim(&t.gc, "ABC", &d), GR_BAD_DIRECTION);

    Text s(1);
    EXPECT_EQ(gr_GetPStrLen(&s.gc, "ABC", 's'), 18);
    EXPECT_EQ(gr_GetPStrLen(&s.gc, "\x02" "ABC", 'L'), 12);
    EXPECT_EQ(gr_GetPStrLen(&s.gc, "", 'l'), 0);
    EXPECT_EQ(gr_GetPStrLen(&s.gc, "ABC", 'x'), -1);
}

TEST(GrText, ClippedAndFontlessPrinting)
{
    Text t(1);
    gr_SetTranspAttr(&t.gc, 1, 0);
    gr_SetClipArea(&t.gc, 0, 0, 13, 80);
    t.gc.cp = {10, 40};
    EXPECT_EQ(gr_PrintString(&t.gc, "HH"), GR_OUT_OF_CLIP);
    EXPECT_EQ(t.gc.cp.px, 22);
    for (const grt::Pixel& p : t.changed()) {
        EXPECT_LE(p.first, 12);
    }
    EXPECT_FALSE(t.changed().empty());
    Canvas none;
    gr_SetFontType(&none.gc, 69);
    EXPECT_EQ(gr_PrintString(&none.gc, "A"), GR_BAD_FONT_INDEX);
    EXPECT_TRUE(none.changed().empty());
}

TEST(UtString, BoundedCopyAlwaysEndsWithNul)
{
    struct Case {
        const char* src;
        int n;
        const char* expect;
    };
    const Case cases[] = {
        {"Orvane06x09", 19, "Orvane06x09"}, {"abcdef", 3, "abc"}, {"", 5, ""}, {"abc", 0, "untouched"},
        {"abc", -2, "untouched"},
    };
    for (const Case& c : cases) {
        char buf[20];
        std::strcpy(buf, "untouched");
        ut_strncpy(buf, c.src, c.n);
        EXPECT_STREQ(buf, c.expect) << c.src << " " << c.n;
    }
    char exact[5];
    std::memset(exact, 'x', sizeof exact);
    ut_strncpy(exact, "abcdefgh", 4);
    EXPECT_EQ(std::string(exact, 5), std::string("abcd\0", 5));
}
