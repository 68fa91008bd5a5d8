// Shared by the dialog and control drawing tests: a block font whose
// advances are known (letters and digits 10, space 5, height 17), texts
// for every language, colour look-ups, the extent of a colour on a test
// bitmap, and the comparison with a checked-in picture. On a difference the
// picture drawn is written beside the build for a look; with
// VONDREL_UPDATE_GOLDEN=1 it replaces the checked-in one (look at it before
// committing).
#pragma once

#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "graphics/g_png.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

namespace dtest {

constexpr COLOR BACKGROUND = 0x1234; // no dialog or control colour

inline COLOR color(U32 index) { return gCOLOR_pcolColorTable[index]; }

// Letters and digits are solid blocks 10 wide, the space an empty 5; any
// other character has no glyph (an advance of the height, 17). No rows
// below the baseline, so a character covers rows y .. y + 16.
class BlockFont {
public:
    BlockFont()
    {
        for (size_t row = 0; row < 17; ++row) {
            ink_[2 * row] = 0xFF; // ten pixels: eight, then two
            ink_[2 * row + 1] = 0xC0;
        }
        for (int c = 0; c < 256; ++c) {
            const bool block = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
            if (block || c == ' ') {
                descs_[c] = CHAR_DESC{c == ' ' ? blank_.data() : ink_.data(), c == ' ' ? 5u : 10u};
                ptrs_[c] = &descs_[c];
            }
        }
        def_.ppCharDesc = ptrs_.data();
        def_.u32Height = 17;
        def_.u32Ascender = 0;
        def_.u32Descender = 0;
        def_.u32MaxWidth = 10;
        def_.u32InterCharSpacing = 0;
    }
    const FONT_DEF* get() const { return &def_; }

private:
    std::array<U8, 2 * 17> ink_{};
    std::array<U8, 2 * 17> blank_{};
    std::array<CHAR_DESC, 256> descs_{};
    std::array<const CHAR_DESC*, 256> ptrs_{};
    FONT_DEF def_{};
};

inline const FONT_DEF* blockFont()
{
    static const BlockFont font;
    return font.get();
}

// The data store (for the language), the font set and the icon colours,
// made once per process.
inline void prepareWorld()
{
    static const bool once = [] {
        H_DATABASE_vInit();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        return true;
    }();
    (void)once;
}

struct Extent {
    int left, bottom, right, top;
    bool operator==(const Extent&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Extent& e)
{
    return os << "x " << e.left << ".." << e.right << ", y " << e.bottom << ".." << e.top;
}

// The smallest box holding every pixel of the colour (or, without a
// colour, every pixel not of the background); none when there is none.
inline std::optional<Extent> extentOf(const gt::TestBitmap& bmp, std::optional<COLOR> c)
{
    const BITMAP* b = const_cast<gt::TestBitmap&>(bmp).get();
    std::optional<Extent> e;
    for (int y = 0; y < (int)b->pixels_high; ++y)
        for (int x = 0; x < (int)b->pixels_wide; ++x) {
            const COLOR p = bmp.at(x, y);
            if (c ? p != *c : p == BACKGROUND)
                continue;
            if (!e)
                e = Extent{x, y, x, y};
            e->left = std::min(e->left, x);
            e->right = std::max(e->right, x);
            e->bottom = std::min(e->bottom, y);
            e->top = std::max(e->top, y);
        }
    return e;
}

// The columns of one row that hold the colour.
inline std::vector<int> columnsOf(const gt::TestBitmap& bmp, int y, COLOR c, int x0, int x1)
{
    std::vector<int> out;
    for (int x = x0; x <= x1; ++x)
        if (bmp.at(x, y) == c)
            out.push_back(x);
    return out;
}

inline void expectGolden(gt::TestBitmap& screen, const char* name)
{
    gt::expectGolden(screen, "ui/tests/golden", name);
}

} // namespace dtest
