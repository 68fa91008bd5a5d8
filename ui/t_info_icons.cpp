// Placeholder art of the info code's own icons (see the header), drawn by
// rule at compile time: each icon is a function from a pixel (x right, y
// down from the top row) to a colour index of the icon section.
#include "ui/t_info_icons.h"

#include "ui/icon_art.h"

#include <array>
#include <cstddef>

namespace {

constexpr U8 T = icon_art::TRANSPARENT_INDEX;
constexpr U8 BLACK = 0;
constexpr U8 WHITE = 4;
constexpr U8 RED = 5;
constexpr U8 ORANGE = 6;
constexpr U8 GREEN = 10;
constexpr U8 NAVY = 11;
constexpr U8 BLUE = 12;

// W x H pixels two to a byte, high nibble first, as ICON_TRANSPARENT_COLOR wants.
template <std::size_t W, std::size_t H, typename F>
constexpr std::array<U8, (W * H + 1) / 2> drawn(F pixel)
{
    std::array<U8, (W * H + 1) / 2> bytes{};
    for (std::size_t i = 0; i < W * H; ++i) {
        const U8 v = pixel((int)(i % W), (int)(i / W));
        bytes[i / 2] = (U8)(i % 2 == 0 ? v << 4 : bytes[i / 2] | v);
    }
    return bytes;
}

constexpr int sq(int v) { return v * v; }
// Squared distance from the centre of an n-pixel square, in half pixels.
constexpr int ring2(int x, int y, int n) { return sq(2 * x + 1 - n) + sq(2 * y + 1 - n); }

// A ring with a cross through its centre: black with a white halo.
constexpr U8 crossRing(int x, int y, U8 ink)
{
    const int r2 = ring2(x, y, 31);
    if ((r2 >= sq(22) && r2 <= sq(26)) || ((x == 15 || y == 15) && r2 <= sq(18)))
        return ink;
    if ((r2 >= sq(20) && r2 <= sq(28)) || (((x >= 14 && x <= 16) || (y >= 14 && y <= 16)) && r2 <= sq(20)))
        return WHITE;
    return T;
}

constexpr auto radar_cursor = drawn<31, 31>([](int x, int y) -> U8 { return crossRing(x, y, RED); });
// A square outline with corner gaps around a dot.
constexpr auto waypoint_cursor = drawn<31, 31>([](int x, int y) -> U8 {
    const bool edge = x <= 1 || x >= 29 || y <= 1 || y >= 29;
    const bool corner = (x < 8 || x > 22) && (y < 8 || y > 22);
    if (edge && corner)
        return BLACK;
    if (ring2(x, y, 31) <= sq(6))
        return BLACK;
    return T;
});
// An arrow pointing up: navigating.
constexpr auto stevrin_nav = drawn<24, 24>([](int x, int y) -> U8 {
    const int half = y / 2 + 1;
    if (y < 16 && x >= 12 - half && x < 12 + half)
        return BLUE;
    if (y >= 16 && x >= 9 && x < 15)
        return NAVY;
    return T;
});
// Two bars: paused.
constexpr auto stevrin_paused = drawn<24, 24>([](int x, int y) -> U8 {
    return y >= 3 && y < 21 && ((x >= 5 && x < 10) || (x >= 14 && x < 19)) ? ORANGE : T;
});
// A flag: start of a track.
constexpr auto track_start = drawn<20, 20>([](int x, int y) -> U8 {
    if (x >= 3 && x < 5)
        return BLACK;
    return x >= 5 && y >= 2 && y < 11 && x < 5 + (11 - y) + 6 ? GREEN : T;
});
// A square: end of a track.
constexpr auto track_end = drawn<20, 20>([](int x, int y) -> U8 {
    return x >= 3 && x < 17 && y >= 3 && y < 17 ? RED : T;
});
// A disc: recording.
constexpr auto track_recording = drawn<20, 20>([](int x, int y) -> U8 {
    const int r2 = ring2(x, y, 20);
    return r2 <= sq(15) ? RED : r2 <= sq(18) ? WHITE : T;
});
// A helm: a ring with spokes; blue in the advanced style, black in the legacy one.
template <U8 INK>
constexpr U8 helm(int x, int y)
{
    const int r2 = ring2(x, y, 28);
    if ((r2 >= sq(18) && r2 <= sq(24)) || r2 <= sq(5))
        return INK;
    if ((x == 13 || x == 14 || y == 13 || y == 14) && r2 <= sq(26))
        return INK;
    return T;
}
constexpr auto autopilot = drawn<28, 28>(helm<BLUE>);
constexpr auto autopilot_legacy = drawn<28, 28>(helm<BLACK>);

} // namespace

const ICON RadarCursor_icon = {radar_cursor.data(), &icon_art::u8Transparent, 31, 31, ICON_TRANSPARENT_COLOR};
const ICON Waypointcursor_icon = {waypoint_cursor.data(), &icon_art::u8Transparent, 31, 31, ICON_TRANSPARENT_COLOR};
const ICON StevrinNav_icon = {stevrin_nav.data(), &icon_art::u8Transparent, 24, 24, ICON_TRANSPARENT_COLOR};
const ICON StevrinNavPaused_icon = {stevrin_paused.data(), &icon_art::u8Transparent, 24, 24, ICON_TRANSPARENT_COLOR};
const ICON TrackStart_icon = {track_start.data(), &icon_art::u8Transparent, 20, 20, ICON_TRANSPARENT_COLOR};
const ICON TrackEnd_icon = {track_end.data(), &icon_art::u8Transparent, 20, 20, ICON_TRANSPARENT_COLOR};
const ICON TrackRecording_icon = {track_recording.data(), &icon_art::u8Transparent, 20, 20, ICON_TRANSPARENT_COLOR};
const ICON Autopilot_icon = {autopilot.data(), &icon_art::u8Transparent, 28, 28, ICON_TRANSPARENT_COLOR};
const ICON AutopilotLegacy_icon = {autopilot_legacy.data(), &icon_art::u8Transparent, 28, 28, ICON_TRANSPARENT_COLOR};
