// The navigation pattern set and chart bitmaps (see the header): the
// bitmaps are drawn once, by the initialiser below, from a few shapes.
#include "nav/core/g_nav_chart_resources.h"

#include "nav/core/g_nav_overlay_icons.h"
#include "nav/core/t_nav_draw.h"

#include "chart_sdk/graphics/gr_context.h"

#include <cmath>

static_assert(NAV_PATTERN_SET == NAV_DASH_PATTERN_TYPE, "the painters dash their lines with pattern 0 of the set");

namespace {

// Chart palette indices of the placeholder art.
constexpr UCHAR BACKGROUND = 0;
constexpr UCHAR OUTLINE = 1;
constexpr UCHAR CURRENT_FILL = 2;
constexpr UCHAR TIDE_FILL = 3;
constexpr UCHAR PORT_FILL = 4;
constexpr UCHAR BOAT_FILL = 6;

constexpr double PI = 3.14159265358979323846;

// Pattern 0: four pixels on, four off, on every row.
constexpr UCHAR s_aucPatterns[NAV_PATTERN_BYTES] = {0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0};

// One or more W x H bitmaps, rows padded to whole bytes, frames one after
// the other as the library indexes them.
template <int W, int H, int N = 1>
struct ChartBitmap {
    static constexpr int ROW = (W + 1) / 2;
    static constexpr int SIZE = ROW * H;
    UCHAR bytes[SIZE * N];

    void set(int n, int x, int y, UCHAR v)
    {
        if (x < 0 || y < 0 || x >= W || y >= H)
            return;
        UCHAR& b = bytes[n * SIZE + y * ROW + x / 2];
        b = (x % 2 == 0) ? (UCHAR)((b & 0x0F) | (v << 4)) : (UCHAR)((b & 0xF0) | v);
    }
    UCHAR get(int n, int x, int y) const
    {
        if (x < 0 || y < 0 || x >= W || y >= H)
            return BACKGROUND;
        const UCHAR b = bytes[n * SIZE + y * ROW + x / 2];
        return (x % 2 == 0) ? (UCHAR)(b >> 4) : (UCHAR)(b & 0x0F);
    }
    // Frame n filled where inside(x + 0.5, y + 0.5) holds, outlined.
    template <typename F>
    void shape(int n, F inside, UCHAR fill)
    {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                set(n, x, y, inside(x + 0.5, y + 0.5) ? fill : BACKGROUND);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (get(n, x, y) == fill && (get(n, x - 1, y) == BACKGROUND || get(n, x + 1, y) == BACKGROUND ||
                                             get(n, x, y - 1) == BACKGROUND || get(n, x, y + 1) == BACKGROUND))
                    set(n, x, y, OUTLINE);
    }
    void add(GR_CONTEXT* gc, BMAPTYPE slot) const { gr_InitBitmap(gc, bytes, slot, PIXELDIM{W, H}, SIZE); }
};

ChartBitmap<21, 21, NAV_BITMAP_BOAT_FRAMES> s_boat;
ChartBitmap<16, 16> s_stationary;
ChartBitmap<25, 25> s_port;
ChartBitmap<20, 20> s_tide;
ChartBitmap<20, 20> s_current;

static_assert(sizeof s_boat.bytes == 231 * NAV_BITMAP_BOAT_FRAMES && ChartBitmap<16, 16>::SIZE == 128 &&
                  ChartBitmap<25, 25>::SIZE == 325 && ChartBitmap<20, 20>::SIZE == 200,
              "the library indexes frames by these sizes");

// A hull pointing nDegrees clockwise from the top, pointed at the bow.
void vDrawBoat(int n, int nDegrees)
{
    const double r = nDegrees * PI / 180.0;
    const double dx = std::sin(r), dy = -std::cos(r); // bow
    const double sx = std::cos(r), sy = std::sin(r);  // starboard
    constexpr double HALF_LENGTH = 9.5;
    constexpr double HALF_BEAM = 5.0;
    s_boat.shape(
        n,
        [&](double x, double y) {
            const double px = x - 10.5, py = y - 10.5;
            const double u = px * dx + py * dy;
            const double v = px * sx + py * sy;
            if (u < -HALF_LENGTH || u > HALF_LENGTH)
                return false;
            const double bowStart = HALF_LENGTH * 0.2;
            const double half =
                u > bowStart ? HALF_BEAM * (HALF_LENGTH - u) / (HALF_LENGTH - bowStart) : HALF_BEAM;
            return std::fabs(v) <= half;
        },
        BOAT_FILL);
}

struct Maker {
    Maker()
    {
        for (int k = 0; k < NAV_BITMAP_BOAT_FRAMES; ++k)
            vDrawBoat(k, 10 * k);
        s_stationary.shape(0, [](double x, double y) { return std::hypot(x - 8.0, y - 8.0) <= 7.0; }, BOAT_FILL);
        s_port.shape(0, [](double x, double y) { return x >= 3.0 && x <= 22.0 && y >= 3.0 && y <= 22.0; },
                     PORT_FILL);
        s_tide.shape(0, [](double x, double y) { return std::hypot(x - 10.0, y - 10.0) <= 9.0; }, TIDE_FILL);
        s_current.shape(0, [](double x, double y) { return std::fabs(x - 10.0) + std::fabs(y - 10.0) <= 9.5; },
                        CURRENT_FILL);
    }
};
Maker s_maker;

} // namespace

void G_NAV_vRegisterChartResources(void)
{
    gr_InitPattern(s_aucPatterns, NAV_PATTERN_SET, PIXELDIM{NAV_PATTERN_SIDE, NAV_PATTERN_SIDE}, NAV_PATTERN_BYTES);
    // Registering a bitmap also selects it in a context; this one is only
    // the vehicle.
    GR_CONTEXT gc{};
    G_NAV_vRegisterBreadcrumbBitmaps(&gc);
    s_boat.add(&gc, NAV_BITMAP_BOAT);
    s_stationary.add(&gc, NAV_BITMAP_BOAT_STATIONARY);
    s_port.add(&gc, NAV_BITMAP_PORT);
    s_tide.add(&gc, NAV_BITMAP_TIDE);
    s_current.add(&gc, NAV_BITMAP_CURRENT);
}
