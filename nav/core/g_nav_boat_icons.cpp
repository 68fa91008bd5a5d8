// The boat, orientation-mark and compass pictures (see the header): drawn
// into nibble buffers once, by the initialiser below, from a few shapes.
#include "nav/core/g_nav_boat_icons.h"

#include <cmath>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U8 TRANSPARENT = 15;
constexpr U8 BLACK = 0;
constexpr U8 GREY = 2;
constexpr U8 WHITE = 4;
constexpr U8 RED = 5;
constexpr U8 ORANGE = 6;

constexpr U8 s_u8Transparent = TRANSPARENT;

constexpr double PI = 3.14159265358979323846;

// A picture of W x H nibbles, top row first.
template <int W, int H>
struct Art {
    U8 bytes[(W * H + 1) / 2];

    void clear() { memset(bytes, 0xFF, sizeof bytes); }
    void set(int x, int y, U8 v)
    {
        if (x < 0 || y < 0 || x >= W || y >= H)
            return;
        const int i = y * W + x;
        U8& b = bytes[i / 2];
        b = (i % 2 == 0) ? (U8)((b & 0x0F) | (v << 4)) : (U8)((b & 0xF0) | v);
    }
    U8 get(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= W || y >= H)
            return TRANSPARENT;
        const int i = y * W + x;
        return (i % 2 == 0) ? (U8)(bytes[i / 2] >> 4) : (U8)(bytes[i / 2] & 0x0F);
    }
    // Fills where inside(x + 0.5, y + 0.5) holds, outlined in black.
    template <typename F>
    void shape(F inside, U8 fill)
    {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (inside(x + 0.5, y + 0.5))
                    set(x, y, fill);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (get(x, y) == fill &&
                    (get(x - 1, y) == TRANSPARENT || get(x + 1, y) == TRANSPARENT ||
                     get(x, y - 1) == TRANSPARENT || get(x, y + 1) == TRANSPARENT))
                    set(x, y, BLACK);
    }
};

template <int W, int H>
constexpr ICON iconOf(const Art<W, H>& art)
{
    return ICON{art.bytes, &s_u8Transparent, W, H, ICON_TRANSPARENT_COLOR};
}

// Statics -------------------------------------------------------------------

Art<16, 16> s_stationary;
Art<10, 16> s_small[NAV_BOAT_HEADINGS];
Art<14, 22> s_medium[NAV_BOAT_HEADINGS];
Art<18, 28> s_large[NAV_BOAT_HEADINGS];
Art<44, 24> s_box;
Art<12, 18> s_arrow;
Art<3, 14> s_postLarge;
Art<3, 8> s_postSmall;
Art<11, 20> s_pin;
Art<11, 20> s_pinBlack;

// A hull pointing nDegrees clockwise from the top of a W x H picture,
// pointed at the bow and square at the stern, sized to fit when upright.
template <int W, int H>
void vDrawBoat(Art<W, H>& a, int nDegrees)
{
    a.clear();
    const double r = nDegrees * PI / 180.0;
    const double dx = std::sin(r), dy = -std::cos(r); // bow
    const double sx = std::cos(r), sy = std::sin(r);  // starboard
    const double halfLength = H / 2.0 - 0.5;
    const double halfBeam = W / 2.0 - 1.0;
    a.shape(
        [&](double x, double y) {
            const double px = x - W / 2.0, py = y - H / 2.0;
            const double u = px * dx + py * dy;
            const double v = px * sx + py * sy;
            if (u < -halfLength || u > halfLength)
                return false;
            const double bowStart = halfLength * 0.2;
            const double half = u > bowStart ? halfBeam * (halfLength - u) / (halfLength - bowStart) : halfBeam;
            return std::fabs(v) <= half;
        },
        ORANGE);
}

void vDrawPin(Art<11, 20>& a, U8 head, U8 stem)
{
    a.clear();
    for (int y = 10; y < 20; ++y)
        a.set(5, y, stem);
    a.shape([](double x, double y) { return std::hypot(x - 5.5, y - 5.5) <= 5.2; }, head);
}

struct Maker {
    Maker()
    {
        s_stationary.clear();
        s_stationary.shape([](double x, double y) { return std::hypot(x - 8.0, y - 8.0) <= 7.0; }, ORANGE);
        for (U32 k = 0; k < NAV_BOAT_HEADINGS; ++k) {
            vDrawBoat(s_small[k], 10 * (int)k);
            vDrawBoat(s_medium[k], 10 * (int)k);
            vDrawBoat(s_large[k], 10 * (int)k);
        }
        s_box.clear();
        s_box.shape([](double x, double y) { return x >= 0.0 && x <= 44.0 && y >= 0.0 && y <= 24.0; }, GREY);
        s_arrow.clear();
        s_arrow.shape(
            [](double x, double y) {
                if (y < 7.0)
                    return std::fabs(x - 6.0) <= y * 6.0 / 7.0;
                return std::fabs(x - 6.0) <= 2.0 && y <= 18.0;
            },
            RED);
        s_postLarge.clear();
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 3; ++x)
                s_postLarge.set(x, y, x == 1 ? WHITE : BLACK);
        s_postSmall.clear();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 3; ++x)
                s_postSmall.set(x, y, x == 1 ? GREY : BLACK);
        vDrawPin(s_pin, RED, BLACK);
        vDrawPin(s_pinBlack, BLACK, BLACK);
    }
};
Maker s_maker;

} // namespace

// Public --------------------------------------------------------------------------

const ICON boat_icon_stationary = iconOf(s_stationary);

namespace {
const ICON s_smallIcons[NAV_BOAT_HEADINGS] = {
    iconOf(s_small[0]), iconOf(s_small[1]), iconOf(s_small[2]), iconOf(s_small[3]), iconOf(s_small[4]),
    iconOf(s_small[5]), iconOf(s_small[6]), iconOf(s_small[7]), iconOf(s_small[8])};
const ICON s_mediumIcons[NAV_BOAT_HEADINGS] = {
    iconOf(s_medium[0]), iconOf(s_medium[1]), iconOf(s_medium[2]), iconOf(s_medium[3]), iconOf(s_medium[4]),
    iconOf(s_medium[5]), iconOf(s_medium[6]), iconOf(s_medium[7]), iconOf(s_medium[8])};
const ICON s_largeIcons[NAV_BOAT_HEADINGS] = {
    iconOf(s_large[0]), iconOf(s_large[1]), iconOf(s_large[2]), iconOf(s_large[3]), iconOf(s_large[4]),
    iconOf(s_large[5]), iconOf(s_large[6]), iconOf(s_large[7]), iconOf(s_large[8])};
} // namespace

const ICON* const g_NAV_BoatIconsSmall[NAV_BOAT_HEADINGS] = {
    &s_smallIcons[0], &s_smallIcons[1], &s_smallIcons[2], &s_smallIcons[3], &s_smallIcons[4],
    &s_smallIcons[5], &s_smallIcons[6], &s_smallIcons[7], &s_smallIcons[8]};
const ICON* const g_NAV_BoatIconsMedium[NAV_BOAT_HEADINGS] = {
    &s_mediumIcons[0], &s_mediumIcons[1], &s_mediumIcons[2], &s_mediumIcons[3], &s_mediumIcons[4],
    &s_mediumIcons[5], &s_mediumIcons[6], &s_mediumIcons[7], &s_mediumIcons[8]};
const ICON* const g_NAV_BoatIcons[NAV_BOAT_HEADINGS] = {
    &s_largeIcons[0], &s_largeIcons[1], &s_largeIcons[2], &s_largeIcons[3], &s_largeIcons[4],
    &s_largeIcons[5], &s_largeIcons[6], &s_largeIcons[7], &s_largeIcons[8]};

const ICON NupBox = iconOf(s_box);
const ICON NupArrow = iconOf(s_arrow);
const ICON PostLrg_icon = iconOf(s_postLarge);
const ICON PostSm_icon = iconOf(s_postSmall);
const ICON Wpt_pin_icon = iconOf(s_pin);
const ICON Wpt_pin_blk_icon = iconOf(s_pinBlack);
