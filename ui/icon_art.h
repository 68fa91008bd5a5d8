// Small indexed icons written as text, one character per pixel, top row
// first: a hexadecimal digit 0-E is the colour index into the icon section
// of the colour table, '.' is transparent (index 15). pack<W>(rows) turns
// the rows into the unpadded nibble buffer of ICON_TRANSPARENT_COLOR at
// compile time, and rowsFit<W>(rows) checks every row's width.
#pragma once

#include "graphics/g_icon.h"

#include <array>
#include <cstddef>

namespace icon_art {

constexpr U8 TRANSPARENT_INDEX = 15;

constexpr U8 nibbleOf(char c)
{
    if (c >= '0' && c <= '9')
        return (U8)(c - '0');
    if (c >= 'A' && c <= 'E')
        return (U8)(c - 'A' + 10);
    return TRANSPARENT_INDEX;
}

// W x H pixels, two to a byte, high nibble first, running on across rows.
template <std::size_t W, std::size_t H>
constexpr std::array<U8, W * H / 2> pack(const char* const (&rows)[H])
{
    static_assert(W * H % 2 == 0);
    std::array<U8, W * H / 2> bytes{};
    for (std::size_t i = 0; i < W * H; ++i) {
        const U8 v = nibbleOf(rows[i / W][i % W]);
        bytes[i / 2] = (U8)(i % 2 == 0 ? v << 4 : bytes[i / 2] | v);
    }
    return bytes;
}

template <std::size_t W, std::size_t H>
constexpr bool rowsFit(const char* const (&rows)[H])
{
    for (const char* row : rows) {
        std::size_t n = 0;
        while (row[n] != '\0')
            ++n;
        if (n != W)
            return false;
    }
    return true;
}

// The transparent index byte an ICON_TRANSPARENT_COLOR icon points at.
inline constexpr U8 u8Transparent = TRANSPARENT_INDEX;

} // namespace icon_art
