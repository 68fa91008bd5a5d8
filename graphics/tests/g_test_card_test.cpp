// The test card: a few of every primitive on a full-screen bitmap, compared
// pixel for pixel with a checked-in picture. On a difference the picture
// drawn is written beside the build for a look; with
// VONDREL_UPDATE_GOLDEN=1 it replaces the checked-in one (look at it before
// committing).
#include "graphics/color.h"
#include "graphics/g_arc.h"
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"
#include "graphics/g_circle.h"
#include "graphics/g_line.h"
#include "graphics/g_pixel.h"
#include "graphics/g_png.h"
#include "graphics/tests/g_testing.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr COLOR BACKGROUND = 0x10A2;
constexpr COLOR PANEL = 0x2945;

POINT pt(int x, int y) { return POINT{x, y}; }

void line(BITMAP* bmp, COLOR c, int x0, int y0, int x1, int y1)
{
    POINT a = pt(x0, y0), b = pt(x1, y1);
    G_LINE_vDraw(bmp, c, &a, &b);
}

void panel(BITMAP* bmp, int x, int y, U32 w, U32 h)
{
    const POINT anchor = pt(x, y);
    G_BOX_vDrawFilled(bmp, PANEL, &anchor, w, h);
    G_BOX_vDraw(bmp, 0x8410, &anchor, w, h);
}

// The colour table as 16 x 16 swatches, entry 0 at the top left.
void drawColourTable(BITMAP* bmp)
{
    panel(bmp, 8, 392, 200, 200);
    for (int i = 0; i < 256; ++i) {
        const POINT anchor = pt(12 + (i % 16) * 12, 576 - (i / 16) * 12);
        G_BOX_vDrawFilled(bmp, gCOLOR_pcolColorTable[i], &anchor, 11, 11);
    }
}

// Lines of every slope from one centre, runs, and patterned lines.
void drawLines(BITMAP* bmp)
{
    panel(bmp, 216, 392, 200, 200);
    for (int deg = 0; deg < 360; deg += 10) {
        const double a = deg * M_PI / 180.0;
        const COLOR c = gCOLOR_pcolColorTable[240 + (deg / 10) % 16];
        line(bmp, c, 316, 492, 316 + (int)std::lround(90 * std::cos(a)), 492 + (int)std::lround(90 * std::sin(a)));
    }
    const PATTERN patterns[] = {0xF0F0, 0xAAAA, 0xFF00, 0xE4E4, 0x8001};
    for (int i = 0; i < 5; ++i) {
        POINT a = pt(424, 580 - i * 6), b = pt(600, 580 - i * 6);
        G_LINE_vDrawPatterned(bmp, COLOR_WHITE, &a, &b, patterns[i]);
        POINT c = pt(610 + i * 6, 590), d = pt(610 + i * 6, 400);
        G_LINE_vDrawPatterned(bmp, 0xFFE0, &c, &d, patterns[i]);
    }
    // Blended runs over colour stripes; a slanted one stays opaque.
    for (int i = 0; i < 8; ++i) {
        const POINT anchor = pt(424 + i * 22, 470);
        G_BOX_vDrawFilled(bmp, gCOLOR_pcolColorTable[208 + i * 4], &anchor, 22, 70);
    }
    for (int i = 0; i < 6; ++i) {
        POINT a = pt(424, 475 + i * 10), b = pt(599, 475 + i * 10);
        G_LINE_vDrawAlpha(bmp, COLOR_WHITE, &a, &b, (U8)(i * 50));
    }
    POINT a = pt(424, 470), b = pt(599, 539);
    G_LINE_vDrawAlpha(bmp, COLOR_BLACK, &a, &b, 128);
    for (int i = 0; i < 4; ++i) {
        POINT c = pt(430 + i * 45, 400), d = pt(430 + i * 45, 460);
        G_LINE_vDrawAlpha(bmp, 0xF800, &c, &d, (U8)(i * 80));
    }
}

// Plain, filled, rounded and blended boxes.
void drawBoxes(BITMAP* bmp)
{
    panel(bmp, 8, 192, 408, 192);
    const POINT a = pt(16, 300), b = pt(96, 300), c = pt(176, 300), d = pt(256, 300), e = pt(336, 300);
    G_BOX_vDraw(bmp, COLOR_WHITE, &a, 70, 70);
    G_BOX_vDrawFilled(bmp, 0x07E0, &b, 70, 70);
    G_BOX_vDrawRounded(bmp, 0xFFE0, &c, 70, 70, 12);
    G_BOX_vDrawRoundedFilled(bmp, 0x001F, &d, 70, 70, 20);
    G_BOX_vDrawRoundedFilled(bmp, 0xF81F, &e, 70, 70, 35);
    // Blended boxes over a checkerboard.
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 4; ++j) {
            const POINT anchor = pt(16 + i * 33, 200 + j * 23);
            G_BOX_vDrawFilled(bmp, (i + j) % 2 ? 0xFFFF : 0x4208, &anchor, 33, 23);
        }
    const POINT f = pt(24, 208), g = pt(120, 208), h = pt(216, 208), k = pt(312, 208);
    G_BOX_vDrawFilledAlpha(bmp, 0xF800, &f, 80, 76, 96);
    G_BOX_vDrawAlpha(bmp, 0x001F, &g, 80, 76, 64);
    G_BOX_vDrawRoundedFilledAlpha(bmp, 0x07E0, &h, 80, 76, 18, 128);
    G_BOX_vDrawRoundedAlpha(bmp, 0xFFE0, &k, 80, 76, 18, 0);
    const POINT m = pt(320, 216);
    G_BOX_vDrawRoundedAlpha(bmp, 0xF800, &m, 64, 60, 10, 100);
}

// Circles, discs and arcs, and a circle pressed onto the bitmap's edge.
void drawCircles(BITMAP* bmp)
{
    panel(bmp, 424, 192, 336, 192);
    POINT centre = pt(500, 288);
    for (U32 d = 10; d <= 130; d += 20)
        G_CIRCLE_vDraw(bmp, gCOLOR_pcolColorTable[16 + d / 20 * 2], &centre, d);
    POINT disc = pt(595, 320);
    G_CIRCLE_vDrawFilled(bmp, 0xFC80, &disc, 61);
    G_CIRCLE_vDrawWithNoBound(bmp, COLOR_WHITE, &disc, 75);
    // A gauge: arcs by octant around one centre.
    POINT gauge = pt(690, 260);
    G_ARC_vDraw(bmp, 0x07E0, &gauge, 60, 0.0f, 90.0f);
    G_ARC_vDraw(bmp, 0xFFE0, &gauge, 60, 90.0f, 150.0f);
    G_ARC_vDraw(bmp, 0xF800, &gauge, 60, 150.0f, 200.0f);
    G_ARC_vDraw(bmp, 0xFFFF, &gauge, 50, 300.0f, 30.0f);
    G_ARC_vDraw(bmp, 0x07FF, &gauge, 40, 100.0f, 80.0f);
    G_ARC_vDraw(bmp, 0xF81F, &gauge, 30, 370.0f, 170.0f);
    // Beyond the left edge: bounded onto column 0, unbounded cut off.
    POINT left = pt(10, 100), leftUnbounded = pt(10, 40);
    G_CIRCLE_vDraw(bmp, 0xFFE0, &left, 60);
    G_CIRCLE_vDrawWithNoBound(bmp, 0xFFE0, &leftUnbounded, 60);
}

// Placement and copies from a small source bitmap, and drawing through a
// window whose clip box is narrower than the bitmap.
void drawCopies(BITMAP* bmp)
{
    panel(bmp, 56, 8, 704, 176);
    BITMAP* source = G_BUFFERS_pCreateBitmap(33, 21, nullptr, nullptr);
    G_BMP_vSet(source, 0x0000);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 33; ++x)
            G_PIXEL_vPut(source, x, y, (x + y) % 7 == 0 ? 0xF800 : (COLOR)((x * 2) << 11 | (y * 3) << 5 | 0x1F));
    for (int i = 0; i < 4; ++i) {
        const POINT to = pt(70 + i * 41, 150 - i * 3), from = pt(i, 0);
        G_BMP_vPlaceLogicalOnLogical(bmp, &to, source, &from, 33 - i, 21);
        const POINT to2 = pt(70 + i * 41, 110 - i * 3), phys = pt(0, 0);
        G_BMP_vCopyPhysicalToLogical(bmp, &to2, source, &phys, 33, 21, 0xF800);
    }

    // A window: a copy of the header with a narrowed clip box.
    BITMAP window = *bmp;
    window.s32ClipLeft = 250;
    window.s32ClipRight = 450;
    window.s32ClipBottom = 20;
    window.s32ClipTop = 170;
    const POINT inner = pt(250, 20);
    G_BOX_vDraw(bmp, COLOR_WHITE, &inner, 201, 151);
    for (int i = 0; i < 12; ++i)
        line(&window, gCOLOR_pcolColorTable[224 + i], 200 + i * 25, 0, 300 + i * 20, 190);
    POINT c = pt(450, 95);
    G_CIRCLE_vDrawFilled(&window, 0x8C94, &c, 120);
    const POINT over = pt(230, 60);
    G_BOX_vDrawRoundedFilledAlpha(&window, 0x001F, &over, 260, 70, 20, 80);

    // A second frame takes a copy of this one, gets stripes over its right
    // margin, and that column band alone is copied back over the whole height.
    BITMAP* other = G_BUFFERS_pCreateFullScreenBitmap();
    G_BMP_vCopyRegion(bmp, other, 0, 0, 800);
    for (int y = 0; y < 600; y += 3) {
        POINT a = pt(740, y), b = pt(799, y);
        G_LINE_vDraw(other, (COLOR)(0x0841 * (y / 3 % 32)), &a, &b);
    }
    G_BMP_vCopyRegion(other, bmp, 768, 768, 32);
    G_BUFFERS_vFreeFullScreenBitmap(other);
    G_BUFFERS_vFreeBitmap(source);
}

void drawTestCard(BITMAP* bmp)
{
    G_BMP_vSet(bmp, BACKGROUND);
    drawColourTable(bmp);
    drawLines(bmp);
    drawBoxes(bmp);
    drawCircles(bmp);
    drawCopies(bmp);
}

TEST(TestCard, MatchesTheCheckedInPicture)
{
    BITMAP* bmp = G_BUFFERS_pCreateFullScreenBitmap();
    ASSERT_NE(bmp->pBuffer, nullptr);
    drawTestCard(bmp);

    gt::expectGolden(bmp, "graphics/tests/golden", "test_card");
    G_BUFFERS_vFreeFullScreenBitmap(bmp);
}

} // namespace
