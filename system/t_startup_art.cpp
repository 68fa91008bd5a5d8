// The pictures of the start-up screens: the 800 x 600 splash picture, the
// model-name pictures of models 409 and 410 and the cursor-key icon; and
// the icons of the four main-menu tabs the start-up task registers.
//
// The splash and model-name pictures are composed once, on first use, from
// a few shapes (sky, sea, sun, a boat with its sonar arcs; letters of a
// small 5 x 7 alphabet drawn four times over) into the run-length form of
// IMAGE, so the program carries their recipe rather than their pixels.
#include "system/t_startup_internal.h"

#include "graphics/g_image.h"
#include "ui/icon_art.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr S32 SPLASH_WIDTH = 800;
constexpr S32 SPLASH_HEIGHT = 600;
constexpr U16 RUN = 0xFFFF;

constexpr COLOR rgb(U32 r, U32 g, U32 b) { return (COLOR)((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

// A literal never equals the run marker.
COLOR literal(COLOR c) { return c == RUN ? (COLOR)0xFFDF : c; }

// Appends one row (left to right) in run-length form.
void vPackRow(std::vector<U16>& out, const COLOR* pRow, S32 s32Width)
{
    S32 x = 0;
    while (x < s32Width) {
        const COLOR c = literal(pRow[x]);
        S32 n = 1;
        while (x + n < s32Width && literal(pRow[x + n]) == c)
            ++n;
        out.push_back(c);
        if (n > 1) {
            out.push_back(RUN);
            out.push_back((U16)(n - 1));
        }
        x += n;
    }
}

// ---- The splash picture ----

constexpr S32 HORIZON = 250; // rows counted from the bottom

COLOR splashPixel(S32 x, S32 y)
{
    const double dx = x;
    const double dy = y;
    // The sun, low over the sea on the right.
    const double sun = std::hypot(dx - 610, dy - 360);
    // The boat: a hull on the horizon left of centre, a mast and a sail.
    const bool hull = y >= HORIZON - 6 && y <= HORIZON + 14 && x >= 250 + (HORIZON + 14 - y) &&
                      x <= 410 - (HORIZON + 14 - y) / 2;
    const bool cabin = y > HORIZON + 14 && y <= HORIZON + 34 && x >= 300 && x <= 350;
    const bool mast = x >= 362 && x <= 364 && y > HORIZON + 14 && y <= HORIZON + 120;
    const bool sail = y > HORIZON + 24 && y <= HORIZON + 115 && x > 366 && x < 366 + (HORIZON + 115 - y) * 0.7;
    if (hull)
        return rgb(240, 240, 236);
    if (cabin || mast)
        return rgb(200, 204, 210);
    if (sail)
        return rgb(250, 248, 240);
    if (y >= HORIZON) {
        if (sun <= 46)
            return rgb(255, 214, 96);
        if (sun <= 52)
            return rgb(255, 184, 80);
        // Evening sky: deep blue at the top to a warm haze at the horizon.
        const double t = (dy - HORIZON) / (SPLASH_HEIGHT - HORIZON);
        return rgb((U32)(230 - 200 * t), (U32)(170 - 120 * t), (U32)(150 - 40 * t));
    }
    // The sonar's arcs below the boat, fading with depth.
    const double r = std::hypot(dx - 330, dy - (HORIZON - 6));
    for (int k = 1; k <= 4; ++k)
        if (std::fabs(r - 45.0 * k) < 2.0 && std::fabs(dx - 330) < r * 0.7)
            return rgb(120 + 20 * (4 - k), 200, 230);
    // The sea, darker with depth, with the sun's glitter near the surface.
    const double t = dy / HORIZON;
    if (y > HORIZON - 40 && std::fabs(dx - 610) < 30 + (HORIZON - dy) && ((x / 7 + y / 3) % 5) == 0)
        return rgb(230, 190, 120);
    return rgb((U32)(10 + 30 * t), (U32)(40 + 70 * t), (U32)(80 + 90 * t));
}

// ---- The model-name pictures ----

struct Glyph {
    char c;
    const char* rows[7];
};
const Glyph s_aGlyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
};
constexpr S32 GLYPH_SCALE = 4;
constexpr S32 GLYPH_PITCH = 6 * GLYPH_SCALE;
constexpr S32 NAME_MARGIN = 12;

const Glyph* pGlyph(char c)
{
    for (const Glyph& g : s_aGlyphs)
        if (g.c == c)
            return &g;
    return &s_aGlyphs[sizeof s_aGlyphs / sizeof s_aGlyphs[0] - 1];
}

struct Picture {
    std::vector<U16> data;
    IMAGE image = {};
};

void vMakeName(Picture& pic, const char* pcName, COLOR letters)
{
    const S32 n = (S32)strlen(pcName);
    const S32 w = n * GLYPH_PITCH - GLYPH_SCALE + 2 * NAME_MARGIN;
    const S32 h = 7 * GLYPH_SCALE + 2 * NAME_MARGIN;
    const COLOR band = rgb(12, 28, 64);
    const COLOR edge = rgb(255, 214, 96);
    std::vector<COLOR> row((size_t)w);
    for (S32 y = 0; y < h; ++y) { // bottom row first
        const S32 top = h - 1 - y;
        for (S32 x = 0; x < w; ++x) {
            COLOR c = band;
            if (y == 2 || y == h - 3)
                c = edge;
            const S32 gx = x - NAME_MARGIN;
            const S32 gy = top - NAME_MARGIN;
            if (gx >= 0 && gy >= 0 && gy < 7 * GLYPH_SCALE && gx % GLYPH_PITCH < 5 * GLYPH_SCALE &&
                gx / GLYPH_PITCH < n) {
                const Glyph* g = pGlyph(pcName[gx / GLYPH_PITCH]);
                if (g->rows[gy / GLYPH_SCALE][(gx % GLYPH_PITCH) / GLYPH_SCALE] == '#')
                    c = letters;
            }
            row[(size_t)x] = c;
        }
        vPackRow(pic.data, row.data(), w);
    }
    pic.image = {pic.data.data(), nullptr, w, h, 0};
}

// Made once and never destroyed: the view task may draw the splash while
// the process runs its exit handlers.
Picture& s_splash = *new Picture;
Picture& s_name409 = *new Picture;
Picture& s_name410 = *new Picture;
std::once_flag s_made;

void vMakeAll(void)
{
    std::vector<COLOR> row(SPLASH_WIDTH);
    for (S32 y = 0; y < SPLASH_HEIGHT; ++y) {
        for (S32 x = 0; x < SPLASH_WIDTH; ++x)
            row[(size_t)x] = splashPixel(x, y);
        vPackRow(s_splash.data, row.data(), SPLASH_WIDTH);
    }
    s_splash.image = {s_splash.data.data(), nullptr, SPLASH_WIDTH, SPLASH_HEIGHT, 0};
    vMakeName(s_name409, "VONDREL 409", rgb(240, 240, 236));
    vMakeName(s_name410, "VONDREL 410", rgb(255, 214, 96));
}

// ---- The cursor-key icon: the round pad with its right arrow lit ----

using icon_art::pack;
using icon_art::rowsFit;

constexpr const char* cursor_key_rows[24] = {
    "........BBBBBBBB........",
    "......BBCCCCCCCCBB......",
    "....BBCCCCCCCCCCCCBB....",
    "...BCCCCCCC33CCCCCCCB...",
    "..BCCCCCCC3333CCCCCCCB..",
    "..BCCCCCC333333CCCCCCB..",
    ".BCCCCCCCCCCCCCCCCCCCCB.",
    ".BCCCCCCCCCCCCCCCCCC0CB.",
    "BCCCCCCCCCCCCCCCCCCC00CB",
    "BCC33CCCCCCCCCCCCCCC000B",
    "BC333CCCCCBBBBCCCCCC0000",
    "B3333CCCCCBBBBCCCC000000",
    "B3333CCCCCBBBBCCCC000000",
    "BC333CCCCCBBBBCCCCCC0000",
    "BCC33CCCCCCCCCCCCCCC000B",
    "BCCCCCCCCCCCCCCCCCCC00CB",
    ".BCCCCCCCCCCCCCCCCCC0CB.",
    ".BCCCCCCCCCCCCCCCCCCCCB.",
    "..BCCCCCC333333CCCCCCB..",
    "..BCCCCCCC3333CCCCCCCB..",
    "...BCCCCCCC33CCCCCCCB...",
    "....BBCCCCCCCCCCCCBB....",
    "......BBCCCCCCCCBB......",
    "........BBBBBBBB........",
};
static_assert(rowsFit<24>(cursor_key_rows));
constexpr auto cursor_key_data = pack<24>(cursor_key_rows);

const ICON s_cursorKeyIcon = {cursor_key_data.data(), &icon_art::u8Transparent, 24, 24, ICON_TRANSPARENT_COLOR};

// ---- The icons of the four main-menu tabs, 20 x 16 ----

constexpr const char* views_tab_rows[16] = {
    "....................",
    ".BBBBBBBBBBBBBBBBBB.",
    ".BCCCCCCCBCCCCCCCCB.",
    ".BCCCCCCCBCCCCCCCCB.",
    ".BCC33CCCBCCCCCCCCB.",
    ".BC3333CCBCCCC3CCCB.",
    ".BCCCCCCCBCCC333CCB.",
    ".BCCCCCCCBCC33333CB.",
    ".B0000000B00000000B.",
    ".B0000000B00000000B.",
    ".B0000000B00000000B.",
    ".B0000000B00000000B.",
    ".BBBBBBBBBBBBBBBBBB.",
    "....................",
    "....................",
    "....................",
};
constexpr const char* alarms_tab_rows[16] = {
    ".........BB.........",
    "........BCCB........",
    ".......BCCCCB.......",
    "......BCCCCCCB......",
    ".....BCCCCCCCCB.....",
    ".....BCCCCCCCCB.....",
    ".....BCCCCCCCCB.....",
    ".....BCCCCCCCCB.....",
    "....BCCCCCCCCCCB....",
    "....BCCCCCCCCCCB....",
    "...BCCCCCCCCCCCCB...",
    "..BBBBBBBBBBBBBBBB..",
    "........B00B........",
    ".........BB.........",
    "....................",
    "....................",
};
constexpr const char* setup_tab_rows[16] = {
    "........BBBB........",
    "...BB..BCCCCB..BB...",
    "..BCCBBCCCCCCBBCCB..",
    "..BCCCCCCCCCCCCCCB..",
    "...BCCCCCBBCCCCCB...",
    "..BCCCCCB00BCCCCCB..",
    ".BCCCCCB0000BCCCCCB.",
    ".BCCCCCB0000BCCCCCB.",
    "..BCCCCCB00BCCCCCB..",
    "...BCCCCCBBCCCCCB...",
    "..BCCCCCCCCCCCCCCB..",
    "..BCCBBCCCCCCBBCCB..",
    "...BB..BCCCCB..BB...",
    "........BBBB........",
    "....................",
    "....................",
};
constexpr const char* accessories_tab_rows[16] = {
    ".....BB......BB.....",
    ".....B0B....B0B.....",
    ".....B0B....B0B.....",
    "...BBBBBBBBBBBBBB...",
    "...BCCCCCCCCCCCCB...",
    "...BCCCCCCCCCCCCB...",
    "...BCCCCCCCCCCCCB...",
    "....BCCCCCCCCCCB....",
    ".....BCCCCCCCCB.....",
    "......BBCCCCBB......",
    "........BCCB........",
    "........BCCB........",
    "........BCCB........",
    ".......BCCCCB.......",
    "........BBBB........",
    "....................",
};
static_assert(rowsFit<20>(views_tab_rows) && rowsFit<20>(alarms_tab_rows) && rowsFit<20>(setup_tab_rows) &&
              rowsFit<20>(accessories_tab_rows));
constexpr auto views_tab_data = pack<20>(views_tab_rows);
constexpr auto alarms_tab_data = pack<20>(alarms_tab_rows);
constexpr auto setup_tab_data = pack<20>(setup_tab_rows);
constexpr auto accessories_tab_data = pack<20>(accessories_tab_rows);

const ICON s_aTabIcons[4] = {
    {views_tab_data.data(), &icon_art::u8Transparent, 20, 16, ICON_TRANSPARENT_COLOR},
    {alarms_tab_data.data(), &icon_art::u8Transparent, 20, 16, ICON_TRANSPARENT_COLOR},
    {setup_tab_data.data(), &icon_art::u8Transparent, 20, 16, ICON_TRANSPARENT_COLOR},
    {accessories_tab_data.data(), &icon_art::u8Transparent, 20, 16, ICON_TRANSPARENT_COLOR},
};

} // namespace

namespace t_startup {

const ICON* pTabIcon(U32 u32Tab) { return u32Tab < 4 ? &s_aTabIcons[u32Tab] : nullptr; }


const IMAGE* pSplashImage(void)
{
    std::call_once(s_made, vMakeAll);
    return &s_splash.image;
}

const IMAGE* pModelNameImage(U32 u32Model)
{
    std::call_once(s_made, vMakeAll);
    if (u32Model == 409)
        return &s_name409.image;
    if (u32Model == 410)
        return &s_name410.image;
    return nullptr;
}

const ICON* pCursorKeyIcon(void) { return &s_cursorKeyIcon; }

} // namespace t_startup
