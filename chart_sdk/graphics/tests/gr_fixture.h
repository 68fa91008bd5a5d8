// A chart graphics context over a small heap buffer for the tests: pixel
// reads in buffer coordinates and the set of pixels that changed.
#pragma once

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_pixel.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace grt {

using Pixel = std::pair<int, int>; // column, buffer row
using PixelSet = std::set<Pixel>;

struct Canvas {
    explicit Canvas(int w = 100, int h = 100, U16 background = 0)
        : words(static_cast<size_t>((w + 1) / 2) * h, background * 0x10001u), bg(background)
    {
        gr_InitGC(&gc, PIXELDIM{w, h}, reinterpret_cast<VSCREENPTR>(words.data()));
    }
    U16 at(int x, int r) const { return static_cast<U16>(gf_GetPixel(&gc, x, r)); }
    // Every pixel that no longer holds the background, in buffer coordinates.
    PixelSet changed() const
    {
        PixelSet out;
        for (int r = 0; r < gc.pixdim.ph; ++r) {
            for (int x = 0; x < gc.pixdim.pw; ++x) {
                if (at(x, r) != bg) {
                    out.insert({x, r});
                }
            }
        }
        return out;
    }
    void clear()
    {
        std::fill(words.begin(), words.end(), bg * 0x10001u);
    }
    std::vector<U32> words;
    U16 bg;
    GR_CONTEXT gc{};
};

inline PixelSet Row(int r, int xa, int xb)
{
    PixelSet s;
    for (int x = xa; x <= xb; ++x) {
        s.insert({x, r});
    }
    return s;
}

inline PixelSet Column(int x, int ra, int rb)
{
    PixelSet s;
    for (int r = ra; r <= rb; ++r) {
        s.insert({x, r});
    }
    return s;
}

inline PixelSet Box(int xa, int ra, int xb, int rb)
{
    PixelSet s;
    for (int r = ra; r <= rb; ++r) {
        for (int x = xa; x <= xb; ++x) {
            s.insert({x, r});
        }
    }
    return s;
}

inline PixelSet Union(PixelSet a, const PixelSet& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

} // namespace grt
