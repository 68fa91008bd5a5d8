// The pop-up's pictures (see the header), drawn as text (ui/icon_art.h).
#include "ui/power_key_icons.h"

#include "ui/icon_art.h"

namespace {

using icon_art::pack;
using icon_art::rowsFit;

constexpr const U8& s_u8Transparent = icon_art::u8Transparent;

constexpr const char* prop_menu_rows[22] = {
    "......................",
    "......................",
    "......................",
    "......................",
    "......................",
    "...BBBBB......BBBBB...",
    "..BCCCCCB....BCCCCCB..",
    "..BCCCCCCB..BCCCCCCB..",
    "...BCCCCCBBBBCCCCCB...",
    "...BCCCCCBBBBCCCCCB...",
    "....BBCCBB33BBCCBB....",
    "......BBBB33BBBB......",
    ".........BBBB.........",
    ".........BBBB.........",
    "........BCCCCB........",
    "........BCCCCB........",
    "........BCCCCB........",
    "........BCCCCB........",
    "........BCCCCB........",
    ".........BCCB.........",
    "..........BB..........",
    "......................",
};
static_assert(rowsFit<22>(prop_menu_rows));
constexpr auto prop_menu_data = pack<22>(prop_menu_rows);

constexpr const char* PropSpeed_icon_rows[22] = {
    "......................",
    "......................",
    "......................",
    "......................",
    ".........BBBB.........",
    "......BBBBBBBBBB......",
    ".....BBBBBBBBBBBB.....",
    "....BBBBBBBBBBBBBB....",
    "...BBBB44424444BBBB...",
    "..BBBB2444444455BBBB..",
    "..BBB442444444544BBB..",
    ".BBBB444444445444BBBB.",
    ".BBB44444444544444BBB.",
    ".BBB44444400444444BBB.",
    ".BBB22444400444422BBB.",
    "..........00..........",
    "......................",
    ".BBBBBBBBBBBBBBBBBBBB.",
    ".CCCCCCCCCCCCCCCCCCCC.",
    ".BBBBBBBBBBBBBBBBBBBB.",
    "......................",
    "......................",
};
static_assert(rowsFit<22>(PropSpeed_icon_rows));
constexpr auto PropSpeed_icon_data = pack<22>(PropSpeed_icon_rows);

constexpr const char* Quenby_Stow_menu_rows[22] = {
    "......................",
    "..11111111............",
    "..12222221............",
    "..12222221.......A....",
    "..11111111......AAA...",
    ".....00........AAAAA..",
    ".....00.......AAAAAAA.",
    ".....00......AAAAAAAAA",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00....C....AAA...",
    "..11111111.C....AAA...",
    "..122222210C..........",
    "..122222210C..........",
    "..11111111.C..........",
    "...........C..........",
    "......................",
};
static_assert(rowsFit<22>(Quenby_Stow_menu_rows));
constexpr auto Quenby_Stow_menu_data = pack<22>(Quenby_Stow_menu_rows);

constexpr const char* Quenby_Deploy_menu_rows[22] = {
    "......................",
    "..11111111............",
    "..12222221............",
    "..12222221......AAA...",
    "..11111111......AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00.........AAA...",
    ".....00......AAAAAAAAA",
    ".....00.......AAAAAAA.",
    ".....00........AAAAA..",
    ".....00....C....AAA...",
    "..11111111.C.....A....",
    "..122222210C..........",
    "..122222210C..........",
    "..11111111.C..........",
    "...........C..........",
    "......................",
};
static_assert(rowsFit<22>(Quenby_Deploy_menu_rows));
constexpr auto Quenby_Deploy_menu_data = pack<22>(Quenby_Deploy_menu_rows);

constexpr const char* Quenby_Pause_menu_rows[22] = {
    "..........11..........",
    "......1111661111......",
    ".....116666666611.....",
    "....16666666666661....",
    "...1666666666666661...",
    "..166664446644466661..",
    ".11666644466444666611.",
    ".16666644466444666661.",
    ".16666644466444666661.",
    ".16666644466444666661.",
    "1666666444664446666661",
    "1666666444664446666661",
    ".16666644466444666661.",
    ".16666644466444666661.",
    ".16666644466444666661.",
    ".11666644466444666611.",
    "..166664446644466661..",
    "...1666666666666661...",
    "....16666666666661....",
    ".....116666666611.....",
    "......1111661111......",
    "..........11..........",
};
static_assert(rowsFit<22>(Quenby_Pause_menu_rows));
constexpr auto Quenby_Pause_menu_data = pack<22>(Quenby_Pause_menu_rows);

constexpr const char* SonarTab_icon_rows[20] = {
    "........111.........",
    "........111.........",
    "...11111111111111...",
    "...11111111111111...",
    "...11111111111111...",
    "....111111111111....",
    ".....1111111111.....",
    "....................",
    "....................",
    "....................",
    "........DDDD........",
    "....................",
    "......DD....DD......",
    "........DDDD........",
    "....D..........D....",
    ".....DD......DD.....",
    ".......DDDDDD.......",
    "..DD............DD..",
    "....DDD......DDD....",
    ".......DDDDDD.......",
};
static_assert(rowsFit<20>(SonarTab_icon_rows));
constexpr auto SonarTab_icon_data = pack<20>(SonarTab_icon_rows);

constexpr const char* Light_icon_rows[24] = {
    "......................",
    "..........6...........",
    "..........6...........",
    "..........6...........",
    "...6......6.......6...",
    "....6............6....",
    ".....6..........6.....",
    "........666666........",
    ".......67777776.......",
    "......6777777776......",
    "......6777777776......",
    "......6777777776......",
    "6666..6777777776..6666",
    "......6777777776......",
    "......6777777776......",
    ".......67777776.......",
    "........666666........",
    ".....6..........6.....",
    "....6............6....",
    "...6......6.......6...",
    "..........6...........",
    "..........6...........",
    "..........6...........",
    "......................",
};
static_assert(rowsFit<22>(Light_icon_rows));
constexpr auto Light_icon_data = pack<22>(Light_icon_rows);

constexpr const char* BackgroundColor_icon_rows[24] = {
    "......................",
    ".000000000000.........",
    ".044444444440.........",
    ".044444444440.........",
    ".044444444440.........",
    ".044444444440.........",
    ".0444000000000000.....",
    ".04440CCCCCCCCCC0.....",
    ".04440CCCCCCCCCC0.....",
    ".04440CCCCCCCCCC0.....",
    ".04440CCCCCCCCCC0.....",
    ".04440CCC333333333333.",
    ".00000CCC300000000003.",
    ".....0CCC300000000003.",
    ".....0CCC300000000003.",
    ".....0CCC300000000003.",
    ".....0CCC300000000003.",
    ".....0000300000000003.",
    ".........300000000003.",
    ".........300000000003.",
    ".........300000000003.",
    ".........300000000003.",
    ".........333333333333.",
    "......................",
};
static_assert(rowsFit<22>(BackgroundColor_icon_rows));
constexpr auto BackgroundColor_icon_data = pack<22>(BackgroundColor_icon_rows);

constexpr const char* Home_360_icon_rows[22] = {
    "......................",
    ".......CCCCCCCC.......",
    ".....CC........CC.....",
    "....CC.........ACC....",
    "...C..........A...C...",
    "..CC.....EEEE.A...CC..",
    "..C....EE....AE....C..",
    ".C....E.....A..E....C.",
    ".C....E.....A..E....C.",
    ".C...E....00A...E...C.",
    ".C...E...0000...E...C.",
    ".C...E...0000...E...C.",
    ".C...E....00....E...C.",
    ".C....E........E....C.",
    ".C....E........E....C.",
    "..C....EE....EE....C..",
    "..CC.....EEEE.....CC..",
    "...C..............C...",
    "....CC..........CC....",
    ".....CC........CC.....",
    ".......CCCCCCCC.......",
    "......................",
};
static_assert(rowsFit<22>(Home_360_icon_rows));
constexpr auto Home_360_icon_data = pack<22>(Home_360_icon_rows);

} // namespace

const ICON prop_menu = {prop_menu_data.data(), &s_u8Transparent, 22, 22, ICON_TRANSPARENT_COLOR};
const ICON PropSpeed_icon = {PropSpeed_icon_data.data(), &s_u8Transparent, 22, 22, ICON_TRANSPARENT_COLOR};
const ICON Quenby_Stow_menu = {Quenby_Stow_menu_data.data(), &s_u8Transparent, 22, 22, ICON_TRANSPARENT_COLOR};
const ICON Quenby_Deploy_menu = {Quenby_Deploy_menu_data.data(), &s_u8Transparent, 22, 22, ICON_TRANSPARENT_COLOR};
const ICON Quenby_Pause_menu = {Quenby_Pause_menu_data.data(), &s_u8Transparent, 22, 22, ICON_TRANSPARENT_COLOR};
const ICON SonarTab_icon = {SonarTab_icon_data.data(), &s_u8Transparent, 20, 20, ICON_TRANSPARENT_COLOR};
const ICON Light_icon = {Light_icon_data.data(), &s_u8Transparent, 22, 24, ICON_TRANSPARENT_COLOR};
const ICON BackgroundColor_icon = {BackgroundColor_icon_data.data(), &s_u8Transparent, 22, 24, ICON_TRANSPARENT_COLOR};
const ICON Home_360_icon = {Home_360_icon_data.data(), &s_u8Transparent, 22, 22, ICON_TRANSPARENT_COLOR};
