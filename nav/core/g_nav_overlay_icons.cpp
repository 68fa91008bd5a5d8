// The overlay pictures (see the header): drawn into nibble buffers once, by
// the initialiser below, from a handful of shapes.
#include "nav/core/g_nav_overlay_icons.h"

#include "chart_sdk/graphics/gr_context.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

// Constants ---------------------------------------------------------------

namespace {

constexpr U8 TRANSPARENT = 15;
constexpr U8 BLACK = 0;
constexpr U8 DARK_GREY = 1;
constexpr U8 GREY = 2;
constexpr U8 WHITE = 4;
constexpr U8 RED = 5;
constexpr U8 ORANGE = 6;
constexpr U8 GREEN = 10;

constexpr U8 s_u8Transparent = TRANSPARENT;

// The fill of each class's normal symbol.
constexpr U8 s_au8ClassFill[NAV_AIS_CLASS_COUNT] = {6, 9, 12, 7, 11, 8, 10, 3};

constexpr double PI = 3.14159265358979323846;

// A picture of at most W x H nibbles, top row first, running on across rows.
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
    // A line of roughly two-pixel weight from (x0, y0) to (x1, y1).
    void line(double x0, double y0, double x1, double y1, U8 v)
    {
        const double len = std::hypot(x1 - x0, y1 - y0);
        const int steps = (int)(len * 4) + 1;
        for (int i = 0; i <= steps; ++i) {
            const double t = (double)i / steps;
            set((int)std::floor(x0 + (x1 - x0) * t), (int)std::floor(y0 + (y1 - y0) * t), v);
        }
    }
    // Fills where inside(x + 0.5, y + 0.5) holds and outlines the filled
    // area in black.
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

Art<16, 16> s_start;
Art<16, 16> s_end;
Art<21, 21> s_arrows[72]; // 5, 10, ... 360 degrees
Art<20, 24> s_ships[NAV_AIS_CLASS_COUNT][NAV_AIS_VARIANT_COUNT][NAV_AIS_COURSE_STEPS];
Art<18, 14> s_birds[NAV_AIS_CLASS_COUNT][NAV_AIS_VARIANT_COUNT];
Art<9, 9> s_circle;
Art<11, 11> s_cross;
// Solid squares of 12 .. 2 pixels, packed at their own width.
U8 s_dots[2][NAV_PERSPECTIVE_DOTS][72];
Art<11, 20> s_pins[4];

U8 fillOf(int nClass, int nVariant)
{
    return nVariant == NAV_AIS_GREY ? GREY : nVariant == NAV_AIS_RED ? RED : s_au8ClassFill[nClass];
}

void vDrawArrow(Art<21, 21>& a, int nDegrees)
{
    a.clear();
    const double r = nDegrees * PI / 180.0;
    const double cx = 10.5, cy = 10.5;
    const double tx = cx + 9.0 * std::sin(r), ty = cy - 9.0 * std::cos(r);
    a.line(cx - 6.0 * std::sin(r), cy + 6.0 * std::cos(r), tx, ty, BLACK);
    for (double side : {-1.0, 1.0}) {
        const double b = r + PI + side * PI / 6.0;
        a.line(tx, ty, tx + 5.0 * std::sin(b), ty - 5.0 * std::cos(b), BLACK);
    }
}

void vDrawShip(Art<20, 24>& a, int nDegrees, U8 fill)
{
    a.clear();
    const double r = nDegrees * PI / 180.0;
    const double dx = std::sin(r), dy = -std::cos(r); // bow
    const double sx = std::cos(r), sy = std::sin(r);  // starboard
    a.shape(
        [&](double x, double y) {
            const double px = x - 10.0, py = y - 12.0;
            const double u = px * dx + py * dy;
            const double v = px * sx + py * sy;
            if (u < -8.0 || u > 9.5)
                return false;
            const double half = u > 2.0 ? 4.0 * (9.5 - u) / 7.5 : 4.0;
            return std::fabs(v) <= half;
        },
        fill);
}

void vDrawBird(Art<18, 14>& a, U8 fill)
{
    a.clear();
    // A hull seen from astern: wide at the deck, narrow at the keel, with a
    // cabin on top.
    a.shape(
        [](double x, double y) {
            if (y >= 6.0)
                return std::fabs(x - 9.0) <= 8.5 - (y - 6.0) * 0.6;
            return y >= 1.0 && std::fabs(x - 9.0) <= 3.5;
        },
        fill);
}

void vDrawPin(Art<11, 20>& a, U8 head, U8 stem)
{
    a.clear();
    for (int y = 10; y < 20; ++y)
        a.set(5, y, stem);
    a.shape([](double x, double y) { return std::hypot(x - 5.5, y - 5.5) <= 5.2; }, head);
    if (stem != BLACK) {
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 11; ++x)
                if (a.get(x, y) == BLACK)
                    a.set(x, y, stem);
    }
}

struct Maker {
    Maker()
    {
        s_start.clear();
        s_start.shape([](double x, double y) { return std::hypot(x - 8.0, y - 8.0) <= 7.5; }, GREEN);
        s_end.clear();
        s_end.shape([](double x, double y) { return x >= 1.0 && x <= 15.0 && y >= 1.0 && y <= 15.0; }, RED);
        for (int i = 0; i < 72; ++i)
            vDrawArrow(s_arrows[i], 5 * (i + 1));
        for (int c = 0; c < NAV_AIS_CLASS_COUNT; ++c)
            for (int v = 0; v < NAV_AIS_VARIANT_COUNT; ++v) {
                for (U32 k = 0; k < NAV_AIS_COURSE_STEPS; ++k)
                    vDrawShip(s_ships[c][v][k], 10 * (int)k, fillOf(c, v));
                vDrawBird(s_birds[c][v], fillOf(c, v));
            }
        s_circle.clear();
        s_circle.shape([](double x, double y) { return std::hypot(x - 4.5, y - 4.5) <= 4.4; }, WHITE);
        s_cross.clear();
        s_cross.line(0.5, 0.5, 10.5, 10.5, RED);
        s_cross.line(0.5, 10.5, 10.5, 0.5, RED);
        memset(s_dots[0], ORANGE << 4 | ORANGE, sizeof s_dots[0]);
        memset(s_dots[1], DARK_GREY << 4 | DARK_GREY, sizeof s_dots[1]);
        vDrawPin(s_pins[0], GREEN, BLACK);
        vDrawPin(s_pins[1], RED, BLACK);
        vDrawPin(s_pins[2], GREEN, WHITE);
        vDrawPin(s_pins[3], RED, WHITE);
    }
};
Maker s_maker;

// Built from the art above: the sizes are the Art's, the pixels follow.
template <std::size_t... K>
constexpr std::array<ICON, sizeof...(K)> arrowIcons(std::index_sequence<K...>)
{
    return {iconOf(s_arrows[K])...};
}
const std::array<ICON, 72> s_arrowIcons = arrowIcons(std::make_index_sequence<72>{});

ICON s_shipIcons[NAV_AIS_CLASS_COUNT][NAV_AIS_VARIANT_COUNT][NAV_AIS_COURSE_STEPS];
ICON s_birdIcons[NAV_AIS_CLASS_COUNT][NAV_AIS_VARIANT_COUNT];
constexpr ICON dotIcon(int nWhich, int k)
{
    return ICON{s_dots[nWhich][k], &s_u8Transparent, 12 - k, 12 - k, ICON_TRANSPARENT_COLOR};
}
const ICON s_dotIcons[2][NAV_PERSPECTIVE_DOTS] = {
    {dotIcon(0, 0), dotIcon(0, 1), dotIcon(0, 2), dotIcon(0, 3), dotIcon(0, 4), dotIcon(0, 5), dotIcon(0, 6),
     dotIcon(0, 7), dotIcon(0, 8), dotIcon(0, 9), dotIcon(0, 10)},
    {dotIcon(1, 0), dotIcon(1, 1), dotIcon(1, 2), dotIcon(1, 3), dotIcon(1, 4), dotIcon(1, 5), dotIcon(1, 6),
     dotIcon(1, 7), dotIcon(1, 8), dotIcon(1, 9), dotIcon(1, 10)},
};

struct IconTables {
    IconTables()
    {
        for (int c = 0; c < NAV_AIS_CLASS_COUNT; ++c)
            for (int v = 0; v < NAV_AIS_VARIANT_COUNT; ++v) {
                for (U32 k = 0; k < NAV_AIS_COURSE_STEPS; ++k)
                    s_shipIcons[c][v][k] = iconOf(s_ships[c][v][k]);
                s_birdIcons[c][v] = iconOf(s_birds[c][v]);
            }
    }
};
IconTables s_iconTables;

// 3 x 3 dots, two pixels a byte (high nibble left), rows of two bytes.
constexpr UCHAR s_aucCurrentDot[6] = {0xCC, 0xC0, 0xCC, 0xC0, 0xCC, 0xC0};
constexpr UCHAR s_aucSavedDot[6] = {0xDD, 0xD0, 0xDD, 0xD0, 0xDD, 0xD0};

} // namespace

// Public --------------------------------------------------------------------------

const ICON rumbrelStart_icon = iconOf(s_start);
const ICON rumbrelEnd_icon = iconOf(s_end);

// Entry i is 180 + 5i degrees turned into 5 .. 360.
const ICON* const g_NAV_RumbrelOffsetArrows[NAV_ARROW_ICONS] = {
    &s_arrowIcons[35], &s_arrowIcons[36], &s_arrowIcons[37], &s_arrowIcons[38], &s_arrowIcons[39],
    &s_arrowIcons[40], &s_arrowIcons[41], &s_arrowIcons[42], &s_arrowIcons[43], &s_arrowIcons[44],
    &s_arrowIcons[45], &s_arrowIcons[46], &s_arrowIcons[47], &s_arrowIcons[48], &s_arrowIcons[49],
    &s_arrowIcons[50], &s_arrowIcons[51], &s_arrowIcons[52], &s_arrowIcons[53], &s_arrowIcons[54],
    &s_arrowIcons[55], &s_arrowIcons[56], &s_arrowIcons[57], &s_arrowIcons[58], &s_arrowIcons[59],
    &s_arrowIcons[60], &s_arrowIcons[61], &s_arrowIcons[62], &s_arrowIcons[63], &s_arrowIcons[64],
    &s_arrowIcons[65], &s_arrowIcons[66], &s_arrowIcons[67], &s_arrowIcons[68], &s_arrowIcons[69],
    &s_arrowIcons[70], &s_arrowIcons[71], &s_arrowIcons[0],  &s_arrowIcons[1],  &s_arrowIcons[2],
    &s_arrowIcons[3],  &s_arrowIcons[4],  &s_arrowIcons[5],  &s_arrowIcons[6],  &s_arrowIcons[7],
    &s_arrowIcons[8],  &s_arrowIcons[9],  &s_arrowIcons[10], &s_arrowIcons[11], &s_arrowIcons[12],
    &s_arrowIcons[13], &s_arrowIcons[14], &s_arrowIcons[15], &s_arrowIcons[16], &s_arrowIcons[17],
    &s_arrowIcons[18], &s_arrowIcons[19], &s_arrowIcons[20], &s_arrowIcons[21], &s_arrowIcons[22],
    &s_arrowIcons[23], &s_arrowIcons[24], &s_arrowIcons[25], &s_arrowIcons[26], &s_arrowIcons[27],
    &s_arrowIcons[28], &s_arrowIcons[29], &s_arrowIcons[30], &s_arrowIcons[31], &s_arrowIcons[32],
    &s_arrowIcons[33], &s_arrowIcons[34], &s_arrowIcons[35],
};

const ICON* G_NAV_pRumbrelOffsetArrow(U32 u32Degrees)
{
    if (u32Degrees == 0 || u32Degrees > 360 || u32Degrees % 5 != 0)
        return nullptr;
    return &s_arrowIcons[u32Degrees / 5 - 1];
}

const ICON* G_NAV_pAisShipIcon(NAV_AIS_CLASS eClass, NAV_AIS_VARIANT eVariant, U32 u32Step)
{
    if (eClass < 0 || eClass >= NAV_AIS_CLASS_COUNT || eVariant < 0 || eVariant >= NAV_AIS_VARIANT_COUNT ||
        u32Step >= NAV_AIS_COURSE_STEPS)
        return &s_shipIcons[NAV_AIS_UNKNOWN][NAV_AIS_NORMAL][0];
    return &s_shipIcons[eClass][eVariant][u32Step];
}

const ICON* G_NAV_pAisBirdsEyeIcon(NAV_AIS_CLASS eClass, NAV_AIS_VARIANT eVariant)
{
    if (eClass < 0 || eClass >= NAV_AIS_CLASS_COUNT || eVariant < 0 || eVariant >= NAV_AIS_VARIANT_COUNT)
        return &s_birdIcons[NAV_AIS_UNKNOWN][NAV_AIS_NORMAL];
    return &s_birdIcons[eClass][eVariant];
}

const ICON AIS_circle = iconOf(s_circle);
const ICON red_x_icon = iconOf(s_cross);

const ICON* const s_pCurrentTrackpointIcons[NAV_PERSPECTIVE_DOTS] = {
    &s_dotIcons[0][0], &s_dotIcons[0][1], &s_dotIcons[0][2], &s_dotIcons[0][3], &s_dotIcons[0][4], &s_dotIcons[0][5],
    &s_dotIcons[0][6], &s_dotIcons[0][7], &s_dotIcons[0][8], &s_dotIcons[0][9], &s_dotIcons[0][10],
};
const ICON* const s_pSavedTrackpointIcons[NAV_PERSPECTIVE_DOTS] = {
    &s_dotIcons[1][0], &s_dotIcons[1][1], &s_dotIcons[1][2], &s_dotIcons[1][3], &s_dotIcons[1][4], &s_dotIcons[1][5],
    &s_dotIcons[1][6], &s_dotIcons[1][7], &s_dotIcons[1][8], &s_dotIcons[1][9], &s_dotIcons[1][10],
};

const ICON Wpt_pin_start_icon = iconOf(s_pins[0]);
const ICON Wpt_pin_end_icon = iconOf(s_pins[1]);
const ICON Wpt_pin_start_wht_icon = iconOf(s_pins[2]);
const ICON Wpt_pin_end_wht_icon = iconOf(s_pins[3]);

void G_NAV_vRegisterBreadcrumbBitmaps(GR_CONTEXT* gc)
{
    if (gc == nullptr)
        return;
    const PIXELDIM dim{NAV_BREADCRUMB_SIZE, NAV_BREADCRUMB_SIZE};
    gr_InitBitmap(gc, s_aucCurrentDot, NAV_BREADCRUMB_CURRENT, dim, (SINT)sizeof s_aucCurrentDot);
    gr_InitBitmap(gc, s_aucSavedDot, NAV_BREADCRUMB_SAVED, dim, (SINT)sizeof s_aucSavedDot);
}
