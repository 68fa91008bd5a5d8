// The sonar menus' pictures (see the header), drawn as text (ui/icon_art.h).
#include "sonar/dsp/s_transducer_icons.h"

#include "ui/icon_art.h"

namespace {

using icon_art::pack;
using icon_art::rowsFit;

constexpr const U8& s_u8Transparent = icon_art::u8Transparent;

constexpr const char* CSpd_icon_rows[16] = {
    "................",
    "................",
    "..0.....0.....0.",
    ".00....00....00.",
    "000000000000000.",
    ".00....00....00.",
    "..0.....0.....0.",
    "................",
    "................",
    ".CCCCCCCCCCCCCC.",
    "................",
    ".CCC..CCC..CCC..",
    "................",
    ".CCCCCCCCCCCCCC.",
    "................",
    "................",
};
static_assert(rowsFit<16>(CSpd_icon_rows));
constexpr auto CSpd_icon_data = pack<16>(CSpd_icon_rows);

constexpr const char* Sens_icon_rows[16] = {
    "................",
    ".............00.",
    ".............00.",
    "..........00.00.",
    "..........00.00.",
    ".......00.00.00.",
    ".......00.00.00.",
    "....00.00.00.00.",
    "....00.00.00.00.",
    ".00.00.00.00.00.",
    ".00.00.00.00.00.",
    ".00.00.00.00.00.",
    ".00.00.00.00.00.",
    "................",
    "CCCCCCCCCCCCCCCC",
    "................",
};
static_assert(rowsFit<16>(Sens_icon_rows));
constexpr auto Sens_icon_data = pack<16>(Sens_icon_rows);

constexpr const char* Bottomlock_icon_rows[16] = {
    "................",
    "......0000......",
    ".....0....0.....",
    ".....0....0.....",
    "....00000000....",
    "....00000000....",
    "....000..000....",
    "....00000000....",
    "....00000000....",
    "................",
    "................",
    "CC......CCC.....",
    "..CC..CC...CC..C",
    "....CC.......CC.",
    ".3333333333333..",
    "3333333333333333",
};
static_assert(rowsFit<16>(Bottomlock_icon_rows));
constexpr auto Bottomlock_icon_data = pack<16>(Bottomlock_icon_rows);

constexpr const char* UpDepthRange_icon_rows[16] = {
    "................",
    ".......00.......",
    "......0000......",
    ".....000000.....",
    "....00.00.00....",
    ".......00.......",
    ".......00.......",
    ".......00.......",
    ".......00.......",
    "................",
    "CCCCCCCCCCCCCCCC",
    "................",
    "................",
    "................",
    "................",
    "................",
};
static_assert(rowsFit<16>(UpDepthRange_icon_rows));
constexpr auto UpDepthRange_icon_data = pack<16>(UpDepthRange_icon_rows);

constexpr const char* LDepRange_icon_rows[16] = {
    "................",
    "................",
    "................",
    "................",
    "................",
    "CCCCCCCCCCCCCCCC",
    "................",
    ".......00.......",
    ".......00.......",
    ".......00.......",
    ".......00.......",
    "....00.00.00....",
    ".....000000.....",
    "......0000......",
    ".......00.......",
    "................",
};
static_assert(rowsFit<16>(LDepRange_icon_rows));
constexpr auto LDepRange_icon_data = pack<16>(LDepRange_icon_rows);

constexpr const char* Off_icon_rows[16] = {
    "................",
    ".....000000.....",
    "...00......00...",
    "..0..........0..",
    "..0.........00..",
    ".0.........0..0.",
    ".0........0...0.",
    ".0.......0....0.",
    ".0......0.....0.",
    ".0.....0......0.",
    ".0....0.......0.",
    "..0..0.......0..",
    "..000........0..",
    "...00......00...",
    ".....000000.....",
    "................",
};
static_assert(rowsFit<16>(Off_icon_rows));
constexpr auto Off_icon_data = pack<16>(Off_icon_rows);

constexpr const char* LRMSfish_icon_rows[16] = {
    "................",
    ".00000......0...",
    "0000000....00...",
    "00.00000..000...",
    "00000000000000..",
    "0000000000000...",
    ".000000..000....",
    ".00000....00....",
    "................",
    "....000....0....",
    "...00000..00....",
    "...0000000000...",
    "....000...00....",
    ".0.....0........",
    "0000..00........",
    ".0.....0........",
};
static_assert(rowsFit<16>(LRMSfish_icon_rows));
constexpr auto LRMSfish_icon_data = pack<16>(LRMSfish_icon_rows);

constexpr const char* LRMfish_icon_rows[16] = {
    "................",
    ".00000......0...",
    "0000000....00...",
    "00.00000..000...",
    "00000000000000..",
    "0000000000000...",
    ".000000..000....",
    ".00000....00....",
    "................",
    "....000....0....",
    "...00000..00....",
    "...0000000000...",
    "....000...00....",
    "................",
    "................",
    "................",
};
static_assert(rowsFit<16>(LRMfish_icon_rows));
constexpr auto LRMfish_icon_data = pack<16>(LRMfish_icon_rows);

constexpr const char* LRfish_icon_rows[16] = {
    "................",
    "................",
    "..000000.....0..",
    ".00000000...00..",
    "0000.00000.000..",
    "000000000000000.",
    "00000000000000..",
    "000000000..000..",
    ".0000000....00..",
    "..000000.....0..",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
};
static_assert(rowsFit<16>(LRfish_icon_rows));
constexpr auto LRfish_icon_data = pack<16>(LRfish_icon_rows);

constexpr const char* quad_layout_icon_rows[16] = {
    "................",
    ".CCCCCC..CCCCCC.",
    ".C....C..C....C.",
    ".C....C..C....C.",
    ".C....C..C....C.",
    ".C....C..C....C.",
    ".CCCCCC..CCCCCC.",
    "................",
    "................",
    ".CCCCCC..CCCCCC.",
    ".C....C..C....C.",
    ".C....C..C....C.",
    ".C....C..C....C.",
    ".C....C..C....C.",
    ".CCCCCC..CCCCCC.",
    "................",
};
static_assert(rowsFit<16>(quad_layout_icon_rows));
constexpr auto quad_layout_icon_data = pack<16>(quad_layout_icon_rows);

constexpr const char* side_view_rows[16] = {
    "................",
    "................",
    ".......00.......",
    ".......00.......",
    "......0000......",
    ".....C.00.C.....",
    "....C..00..C....",
    "...C...00...C...",
    "..C....00....C..",
    ".C.....00.....C.",
    "C......00......C",
    ".......00.......",
    ".......00.......",
    ".......00.......",
    "................",
    "................",
};
static_assert(rowsFit<16>(side_view_rows));
constexpr auto side_view_data = pack<16>(side_view_rows);

constexpr const char* sonarcolorpalette_icon_rows[16] = {
    "................",
    ".00000000000000.",
    ".01111222233330.",
    ".01111222233330.",
    ".01111222233330.",
    ".01111222233330.",
    ".01111222233330.",
    ".04444555566660.",
    ".04444555566660.",
    ".04444555566660.",
    ".04444555566660.",
    ".04444555566660.",
    ".00000000000000.",
    "................",
    "................",
    "................",
};
static_assert(rowsFit<16>(sonarcolorpalette_icon_rows));
constexpr auto sonarcolorpalette_icon_data = pack<16>(sonarcolorpalette_icon_rows);

constexpr const char* n360Speed_icon_rows[16] = {
    "................",
    ".....000000.....",
    "...00......00...",
    "..0..........0..",
    "..0..........0..",
    ".0.....C.....0..",
    ".0.....C....000.",
    ".0.....CCC.00000",
    ".0.............0",
    ".0..............",
    "..0.............",
    "..0..........0..",
    "...00......00...",
    ".....000000.....",
    "................",
    "................",
};
static_assert(rowsFit<16>(n360Speed_icon_rows));
constexpr auto n360Speed_icon_data = pack<16>(n360Speed_icon_rows);

constexpr const char* Display_icon_rows[16] = {
    "................",
    ".....CCCCCC.....",
    "...CC000000CC...",
    "..C0000000000C..",
    "..C0000000000C..",
    ".C000000000000C.",
    ".C000000000000C.",
    ".C......00....C.",
    ".C......00....C.",
    ".C............C.",
    ".C............C.",
    "..C..........C..",
    "..C..........C..",
    "...CC......CC...",
    ".....CCCCCC.....",
    "................",
};
static_assert(rowsFit<16>(Display_icon_rows));
constexpr auto Display_icon_data = pack<16>(Display_icon_rows);

constexpr const char* Enhance_icon_rows[16] = {
    "................",
    ".......0........",
    ".......0........",
    "......000.......",
    "..0...000...0...",
    "...0.00000.0....",
    "....0000000.....",
    ".00000000000000.",
    "....0000000.....",
    "...0.00000.0....",
    "..0...000...0...",
    "......000.......",
    ".......0........",
    ".......0........",
    "................",
    "................",
};
static_assert(rowsFit<16>(Enhance_icon_rows));
constexpr auto Enhance_icon_data = pack<16>(Enhance_icon_rows);

} // namespace

const ICON CSpd_icon = {CSpd_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON Sens_icon = {Sens_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON Bottomlock_icon = {Bottomlock_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON UpDepthRange_icon = {UpDepthRange_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON LDepRange_icon = {LDepRange_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON Off_icon = {Off_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON LRMSfish_icon = {LRMSfish_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON LRMfish_icon = {LRMfish_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON LRfish_icon = {LRfish_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON quad_layout_icon = {quad_layout_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON side_view = {side_view_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON sonarcolorpalette_icon = {sonarcolorpalette_icon_data.data(), &s_u8Transparent, 16, 16,
                                     ICON_TRANSPARENT_COLOR};
const ICON n360Speed_icon = {n360Speed_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON Display_icon = {Display_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};
const ICON Enhance_icon = {Enhance_icon_data.data(), &s_u8Transparent, 16, 16, ICON_TRANSPARENT_COLOR};