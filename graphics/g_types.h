// The drawing surface of the 2D library and its pixel and coordinate types
// (util/u_pixels.h, shared with the display drivers), and the named colours.
#pragma once

#include "util/u_pixels.h"

constexpr COLOR COLOR_BLACK = 0x0000;
constexpr COLOR COLOR_WHITE = 0xFFFF;
constexpr COLOR COLOR_RED = 0xF800;
constexpr COLOR COLOR_GREEN = 0x07E0;
constexpr COLOR COLOR_BLUE = 0x001F;
// The one value the display path treats as transparent.
constexpr COLOR COLOR_KEY = 0x8401;
