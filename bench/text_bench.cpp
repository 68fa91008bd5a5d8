// A screen of text: bitmap strings and TrueType strings (from the glyph
// list, and fetched through FreeType after the list is emptied), in glyphs
// per second, beside the reference of filling the same glyph cells as boxes.
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"
#include "graphics/g_string.h"
#include "graphics/g_truetype.h"
#include "graphics/u_fonts.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr char LINE[] = "Depth 12.5 ft  Speed 6.2 kn  Water 18.4 C  Track 075 T  WPT 003 2.41 nm  ";

struct Screen {
    Screen() { G_BMP_vSet(bmp, 0x0000); }
    ~Screen() { G_BUFFERS_vFreeFullScreenBitmap(bmp); }
    BITMAP* bmp = G_BUFFERS_pCreateFullScreenBitmap();
};

void countGlyphs(benchmark::State& state, int64_t perScreen)
{
    state.counters["glyphs"] = benchmark::Counter((double)(state.iterations() * perScreen), benchmark::Counter::kIsRate);
}

// Lines of the 11x14 font down the whole screen.
void BM_BitmapTextScreen(benchmark::State& state)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    const FONT_DEF* font = std_11x14_font_def_ptr;
    Screen s;
    int64_t glyphs = 0;
    for (auto _ : state) {
        glyphs = 0;
        for (S32 y = 600 - (S32)font->u32Height; y >= 0; y -= (S32)font->u32Height) {
            POINT pen{0, y + (S32)font->u32Descender};
            for (const char* p = LINE; *p != 0 && pen.x < 800; ++p, ++glyphs) {
                const BYTE one[2] = {(BYTE)*p, 0};
                G_STRING_vPut(s.bmp, 0xFFFF, &pen, font, one);
            }
        }
        benchmark::ClobberMemory();
    }
    countGlyphs(state, glyphs);
}
BENCHMARK(BM_BitmapTextScreen);

// Argument 1: the glyph list is emptied before every screen.
void BM_TrueTypeTextScreen(benchmark::State& state)
{
    if (G_TRUETYPE_bInit() != TRUE) {
        state.SkipWithError("no TrueType font file installed");
        return;
    }
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    const bool bCold = state.range(0) != 0;
    constexpr U32 HEIGHT = 20;
    char line[sizeof LINE];
    memcpy(line, LINE, sizeof LINE);
    state.counters["line_px"] = G_TRUETYPE_u32GetWidth(line, HEIGHT, 0);
    const int64_t perLine = (int64_t)strlen(LINE);
    Screen s;
    int64_t glyphs = 0;
    for (auto _ : state) {
        if (bCold)
            G_TRUETYPE_vRemoveList();
        glyphs = 0;
        for (S32 y = 575; y >= 5; y -= 26) {
            POINT anchor{0, y};
            G_TRUETYPE_vPut(s.bmp, line, &anchor, 0xFFFF, HEIGHT, 0);
            glyphs += perLine;
        }
        benchmark::ClobberMemory();
    }
    countGlyphs(state, glyphs);
}
BENCHMARK(BM_TrueTypeTextScreen)->Arg(0)->Arg(1);

// Reference: the cells of the bitmap-text screen filled as boxes.
void BM_GlyphCellsAsBoxes(benchmark::State& state)
{
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    const FONT_DEF* font = std_11x14_font_def_ptr;
    Screen s;
    int64_t glyphs = 0;
    for (auto _ : state) {
        glyphs = 0;
        for (S32 y = 600 - (S32)font->u32Height; y >= 0; y -= (S32)font->u32Height) {
            POINT pen{0, y};
            for (const char* p = LINE; *p != 0 && pen.x < 800; ++p, ++glyphs) {
                const U32 w = G_FONTS_u32GetWidth(font, (BYTE)*p);
                G_BOX_vDrawFilled(s.bmp, 0xFFFF, &pen, w, font->u32Height);
                pen.x += (S32)w;
            }
        }
        benchmark::ClobberMemory();
    }
    countGlyphs(state, glyphs);
}
BENCHMARK(BM_GlyphCellsAsBoxes);

} // namespace

BENCHMARK_MAIN();
