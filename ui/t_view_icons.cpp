// The view task's pictures (see the header), drawn as text: one character
// per pixel, top row first, a hexadecimal digit the colour index and '.'
// transparent; packed into nibbles at compile time.
#include "ui/t_view_icons.h"

#include <array>
#include <cstddef>

namespace {

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

constexpr U8 s_u8Transparent = TRANSPARENT_INDEX;

// A white arrow on blue pointing into the pane, away from the divider.
constexpr const char* active_side_lt_rows[18] = {
    "..00000000000000..",
    ".0CCCCCCCCCCCCCC0.",
    "0CCCCCCCCCCCCCCCC0",
    "0CCCCCCCC4CCCCCCC0",
    "0CCCCCCC44CCCCCCC0",
    "0CCCCCC444CCCCCCC0",
    "0CCCCC4444CCCCCCC0",
    "0CCCC444444444CCC0",
    "0CCC4444444444CCC0",
    "0CCC4444444444CCC0",
    "0CCCC444444444CCC0",
    "0CCCCC4444CCCCCCC0",
    "0CCCCCC444CCCCCCC0",
    "0CCCCCCC44CCCCCCC0",
    "0CCCCCCCC4CCCCCCC0",
    "0CCCCCCCCCCCCCCCC0",
    ".0CCCCCCCCCCCCCC0.",
    "..00000000000000..",
};
static_assert(rowsFit<18>(active_side_lt_rows));
constexpr auto active_side_lt_data = pack<18>(active_side_lt_rows);

constexpr const char* active_side_rt_rows[18] = {
    "..00000000000000..",
    ".0CCCCCCCCCCCCCC0.",
    "0CCCCCCCCCCCCCCCC0",
    "0CCCCCCC4CCCCCCCC0",
    "0CCCCCCC44CCCCCCC0",
    "0CCCCCCC444CCCCCC0",
    "0CCCCCCC4444CCCCC0",
    "0CCC444444444CCCC0",
    "0CCC4444444444CCC0",
    "0CCC4444444444CCC0",
    "0CCC444444444CCCC0",
    "0CCCCCCC4444CCCCC0",
    "0CCCCCCC444CCCCCC0",
    "0CCCCCCC44CCCCCCC0",
    "0CCCCCCC4CCCCCCCC0",
    "0CCCCCCCCCCCCCCCC0",
    ".0CCCCCCCCCCCCCC0.",
    "..00000000000000..",
};
static_assert(rowsFit<18>(active_side_rt_rows));
constexpr auto active_side_rt_data = pack<18>(active_side_rt_rows);

// Two panes, the left one marked.
constexpr const char* select_active_side_rows[20] = {
    "....................",
    "....................",
    ".000000000000000000.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".0CCCCCCC0044444440.",
    ".000000000000000000.",
    "....................",
    "....................",
};
static_assert(rowsFit<20>(select_active_side_rows));
constexpr auto select_active_side_data = pack<20>(select_active_side_rows);

// Two panes with a double arrow across the divider.
constexpr const char* adjust_screen_size_rows[20] = {
    "....................",
    "....................",
    ".000000000000000000.",
    ".044444440044444440.",
    ".044444440044444440.",
    ".044444440044444440.",
    ".04444C440044C44440.",
    ".0444CC440044CC4440.",
    ".044CCC440044CCC440.",
    ".04CCCCCCCCCCCCCC40.",
    ".04CCCCCCCCCCCCCC40.",
    ".044CCC440044CCC440.",
    ".0444CC440044CC4440.",
    ".04444C440044C44440.",
    ".044444440044444440.",
    ".044444440044444440.",
    ".044444440044444440.",
    ".000000000000000000.",
    "....................",
    "....................",
};
static_assert(rowsFit<20>(adjust_screen_size_rows));
constexpr auto adjust_screen_size_data = pack<20>(adjust_screen_size_rows);

} // namespace

const ICON active_side_lt_icon = {active_side_lt_data.data(), &s_u8Transparent, 18, 18, ICON_TRANSPARENT_COLOR};
const ICON active_side_rt_icon = {active_side_rt_data.data(), &s_u8Transparent, 18, 18, ICON_TRANSPARENT_COLOR};
const ICON select_active_side = {select_active_side_data.data(), &s_u8Transparent, 20, 20, ICON_TRANSPARENT_COLOR};
const ICON adjust_screen_size = {adjust_screen_size_data.data(), &s_u8Transparent, 20, 20, ICON_TRANSPARENT_COLOR};
