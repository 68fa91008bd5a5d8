// Helpers of the drawing tests: an owned bitmap cleared to a background,
// logical pixel reads, the set of pixels that differ from the background,
// and PNG reading for golden pictures.
#pragma once

#include "graphics/g_buffers.h"
#include "graphics/g_fonts.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace gt {

using Pixel = std::pair<int, int>; // logical (x, y)
using PixelSet = std::set<Pixel>;

class TestBitmap {
public:
    TestBitmap(U32 width, U32 height, COLOR background = 0);
    ~TestBitmap();
    TestBitmap(const TestBitmap&) = delete;
    TestBitmap& operator=(const TestBitmap&) = delete;

    BITMAP* get() { return bmp_; }
    operator BITMAP*() { return bmp_; }
    BITMAP* operator->() { return bmp_; }

    // Logical pixel; also outside the bitmap's surface as long as the
    // element lies in the buffer.
    COLOR at(int x, int y) const;
    // Buffer element i, counted in COLOR units.
    COLOR element(size_t i) const;
    size_t elements() const;
    // Every logical pixel of the surface whose colour is not the background.
    PixelSet drawn() const;
    // How many of the surface's pixels have this colour.
    size_t count(COLOR color) const;
    void setClip(S32 left, S32 bottom, S32 right, S32 top);
    void clear();

private:
    BITMAP* bmp_;
    COLOR background_;
};

PixelSet pixels(std::initializer_list<Pixel> list);
std::string describe(const PixelSet& set);

// An 8-bit RGB picture read from a PNG file; empty on failure.
struct Rgb {
    U32 width = 0;
    U32 height = 0;
    std::vector<U8> data; // top row first
};
Rgb readPng(const std::string& path);
// The bitmap's surface as written to PNG.
Rgb toRgb(const BITMAP* bmp);

// A text as a font inks it, cut to the box of its inked pixels: the box's
// size and, row by row from the top, whether each of its pixels is inked.
// Empty for a text that inks nothing. Screen tests look for it in shots.
struct Ink {
    U32 width = 0, height = 0;
    std::vector<bool> on;
};
Ink inkOf(const char* text, const FONT_DEF* font);

// Compares the bitmap's surface pixel for pixel with the checked-in picture
// goldenFolder/name.png (goldenFolder relative to the source tree). On a
// difference the picture drawn is written beside the build as
// name.actual.png; with VONDREL_UPDATE_GOLDEN=1 it replaces the checked-in
// one (look at it before committing).
void expectGolden(const BITMAP* bmp, const std::string& goldenFolder, const std::string& name);

} // namespace gt

namespace gt {
// The '#' cells of a picture given top row first; the bottom row is y = y0,
// the first column x = x0.
PixelSet picture(std::initializer_list<const char*> rows, int x0 = 0, int y0 = 0);
} // namespace gt
