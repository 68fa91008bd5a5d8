// The menu controls' pictures (see the header), drawn as text (ui/icon_art.h):
// 1 dark grey and C mid blue rings, 4 white, D blue dot, B navy.
#include "ui/menu_icons.h"

#include "ui/icon_art.h"

namespace {

using icon_art::pack;
using icon_art::rowsFit;

constexpr const char* unselected_radio_button_rows[22] = {
    "......................",
    ".......11111111.......",
    ".....111444444111.....",
    "....11444444444411....",
    "...1144444444444411...",
    "..114444444444444411..",
    "..144444444444444441..",
    ".11444444444444444411.",
    ".14444444444444444441.",
    ".14444444444444444441.",
    ".14444444444444444441.",
    ".14444444444444444441.",
    ".14444444444444444441.",
    ".14444444444444444441.",
    ".11444444444444444411.",
    "..144444444444444441..",
    "..114444444444444411..",
    "...1144444444444411...",
    "....11444444444411....",
    ".....111444444111.....",
    ".......11111111.......",
    "......................",
};
static_assert(rowsFit<22>(unselected_radio_button_rows));
constexpr auto unselected_radio_button_data = pack<22>(unselected_radio_button_rows);

constexpr const char* selected_radio_button_rows[22] = {
    "......................",
    ".......CCCCCCCC.......",
    ".....CCC444444CCC.....",
    "....CC4444444444CC....",
    "...CC444444444444CC...",
    "..CC44444DDDD44444CC..",
    "..C4444DDDDDDDD4444C..",
    ".CC444DDDDDDDDDD444CC.",
    ".C4444DDDDDDDDDD4444C.",
    ".C444DDDDDDDDDDDD444C.",
    ".C444DDDDDDDDDDDD444C.",
    ".C444DDDDDDDDDDDD444C.",
    ".C444DDDDDDDDDDDD444C.",
    ".C4444DDDDDDDDDD4444C.",
    ".CC444DDDDDDDDDD444CC.",
    "..C4444DDDDDDDD4444C..",
    "..CC44444DDDD44444CC..",
    "...CC444444444444CC...",
    "....CC4444444444CC....",
    ".....CCC444444CCC.....",
    ".......CCCCCCCC.......",
    "......................",
};
static_assert(rowsFit<22>(selected_radio_button_rows));
constexpr auto selected_radio_button_data = pack<22>(selected_radio_button_rows);

// A white tick on a navy disc.
constexpr const char* confirm_icon_rows[18] = {
    "......BBBBBB......",
    "....BBBBBBBBBB....",
    "...BBBBBBBBBBBB...",
    "..BBBBBBBBBBBB4B..",
    ".BBBBBBBBBBBB444B.",
    ".BBBBBBBBBBB444BB.",
    "BBBBBBBBBBB444BBBB",
    "BBB4BBBBBB444BBBBB",
    "BBB44BBBB444BBBBBB",
    "BBB444BB444BBBBBBB",
    "BBBB444444BBBBBBBB",
    "BBBBB4444BBBBBBBBB",
    ".BBBBB44BBBBBBBBB.",
    ".BBBBBBBBBBBBBBBB.",
    "..BBBBBBBBBBBBBB..",
    "...BBBBBBBBBBBB...",
    "....BBBBBBBBBB....",
    "......BBBBBB......",
};
static_assert(rowsFit<18>(confirm_icon_rows));
constexpr auto confirm_icon_data = pack<18>(confirm_icon_rows);

// The heading arrows either side of an angle adjuster's title.
constexpr const char* hdg_left_rows[14] = {
    "......11",
    ".....1C1",
    "....1CC1",
    "...1CCC1",
    "..1CCCC1",
    ".1CCCCC1",
    "1CCCCCC1",
    "1CCCCCC1",
    ".1CCCCC1",
    "..1CCCC1",
    "...1CCC1",
    "....1CC1",
    ".....1C1",
    "......11",
};
static_assert(rowsFit<8>(hdg_left_rows));
constexpr auto hdg_left_data = pack<8>(hdg_left_rows);

constexpr const char* hdg_right_rows[14] = {
    "11......",
    "1C1.....",
    "1CC1....",
    "1CCC1...",
    "1CCCC1..",
    "1CCCCC1.",
    "1CCCCCC1",
    "1CCCCCC1",
    "1CCCCC1.",
    "1CCCC1..",
    "1CCC1...",
    "1CC1....",
    "1C1.....",
    "11......",
};
static_assert(rowsFit<8>(hdg_right_rows));
constexpr auto hdg_right_data = pack<8>(hdg_right_rows);

} // namespace

const ICON unselected_radio_button = {unselected_radio_button_data.data(), &icon_art::u8Transparent, 22, 22,
                                      ICON_TRANSPARENT_COLOR};
const ICON selected_radio_button = {selected_radio_button_data.data(), &icon_art::u8Transparent, 22, 22,
                                    ICON_TRANSPARENT_COLOR};
const ICON confirm_icon = {confirm_icon_data.data(), &icon_art::u8Transparent, 18, 18, ICON_TRANSPARENT_COLOR};
const ICON Radar_hdg_left_icon = {hdg_left_data.data(), &icon_art::u8Transparent, 8, 14, ICON_TRANSPARENT_COLOR};
const ICON Radar_hdg_right_icon = {hdg_right_data.data(), &icon_art::u8Transparent, 8, 14, ICON_TRANSPARENT_COLOR};
