// The view task's pictures (see the header), drawn as text (ui/icon_art.h).
#include "ui/t_view_icons.h"

#include "ui/icon_art.h"

namespace {

using icon_art::pack;
using icon_art::rowsFit;
constexpr const U8& s_u8Transparent = icon_art::u8Transparent;

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
