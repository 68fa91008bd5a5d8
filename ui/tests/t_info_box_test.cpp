// Readout boxes: what a missing or invalid value draws, the narrow-font
// fallback of wide values, small tenths, the white text over the
// 360-degree pane, and pictures of the background styles and of digits
// boxes in the instrument bar's fonts and justifications.
#include "ui/t_info.h"
#include "ui/t_info_task.h"
#include "ui/tests/draw_fixture.h"

#include "graphics/g_string.h"
#include "kernel/l_clock.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

using namespace dtest;

namespace {

constexpr FOURCHARID KEY = FCID("ISPD"); // has the title "Speed"

void world()
{
    prepareWorld();
    static const bool once = [] {
        U_CONVERT_vInitialiseConversionUtility();
        T_INFO_vInit(); // the white info palette in entries 128-131
        return true;
    }();
    (void)once;
    H_DATABASE_bUpdateValueU32(FCID("SFMT"), LARGE_TENTHS, P_NORMAL);
    H_DATABASE_bUpdateEverythingS32(FCID("CVEW"), 10, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("CVAS"), SPLIT_FULL_WINDOW, P_NORMAL, D_UNKNOWN, nullptr,
                                    DB_TIMEOUT_NEVER);
}

void defineU32(FOURCHARID key, U32 v) { H_DATABASE_bUpdateEverythingU32(key, v, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER); }
void defineVoltage(FOURCHARID key, float v)
{
    H_DATABASE_bUpdateEverythingFloat(key, v, P_NORMAL, D_VOLTAGE, nullptr, DB_TIMEOUT_NEVER);
}

void blinkTo(bool bOn)
{
    if ((T_INFO_bBlinkState() != FALSE) != bOn)
        T_INFO_vBlinkTick();
}

S32 digits(gt::TestBitmap& screen, FOURCHARID key, const FONT_DEF* pValue, const FONT_DEF* pTenths,
           DIGITS_FORMAT eFormat, INFO_BOX_STYLE eStyle, INFO_JUSTIFICATION eJust, S32 x = 10, S32 y = 10,
           S32 h = 70)
{
    return T_INFO_nDrawDigitsInfoBox(screen, 0, h, x, y, key, pValue, std_11x14_font_def_ptr.load(), pTenths,
                                     eFormat, eStyle, eJust, 0);
}

TEST(InfoBox, MissingKeyDrawsNothing)
{
    world();
    gt::TestBitmap screen(400, 200, BACKGROUND);
    EXPECT_EQ(digits(screen, FCID("INON"), blockFont(), blockFont(), DONT_FORCE, IBS_WHITE_BAR,
                     INSTRUMENTATION_JUSTIFY_RIGHT),
              0);
    EXPECT_EQ(T_INFO_nDrawBlackDigitsInfoBox(screen, 0, 10, 10, FCID("INON"), blockFont(), blockFont(), blockFont(),
                                             0),
              0);
    EXPECT_FALSE(extentOf(screen, std::nullopt).has_value());
}

TEST(InfoBox, InvalidValueBlinksWhileTheBoxStays)
{
    world();
    H_DATABASE_bUpdateEverythingU32(KEY, 42, P_NORMAL, D_UNKNOWN, nullptr, 1);
    L_CLOCK_vAdvanceTestClock(2000); // its one-second time-out runs out
    const COLOR text = color(INFO_COLOR_TEXT), background = color(INFO_COLOR_BACKGROUND);
    for (bool bOn : {false, true}) {
        SCOPED_TRACE(bOn);
        blinkTo(bOn);
        gt::TestBitmap screen(400, 200, BACKGROUND);
        const S32 w = digits(screen, KEY, blockFont(), blockFont(), DONT_FORCE, IBS_WHITE_BAR,
                             INSTRUMENTATION_JUSTIFY_RIGHT);
        EXPECT_EQ(w, 20) << "the width of \"42\"";
        EXPECT_EQ(extentOf(screen, background), (Extent{10, 10, 10 + w - 1, 79}));
        EXPECT_EQ(extentOf(screen, text).has_value(), bOn);
    }
}

TEST(InfoBox, WideValueFallsBackToTheNarrowFont)
{
    world();
    const FONT_DEF* big = f34x62_font_def_ptr;
    // Enough digits to need at least 170 pixels in the largest font.
    char digitsText[16] = "1";
    U32 value = 1;
    while ((S32)G_STRING_u32GetWidth(big, (const BYTE*)digitsText) < 170) {
        value = value * 10 + 1;
        snprintf(digitsText, sizeof digitsText, "%u", value);
    }
    defineU32(KEY, value);
    const S32 natural = (S32)G_STRING_u32GetWidth(big, (const BYTE*)digitsText);
    const S32 narrow = (S32)G_STRING_u32GetWidth(f31x57_font_def_ptr, (const BYTE*)digitsText);
    ASSERT_LE(narrow, 158) << "the fixture needs a value that fits the narrow font";

    gt::TestBitmap screen(600, 200, BACKGROUND);
    EXPECT_EQ(digits(screen, KEY, big, big, DONT_FORCE, IBS_WHITE_BAR, INSTRUMENTATION_JUSTIFY_RIGHT, 10, 10, 90),
              158);
    const auto ink = extentOf(screen, color(INFO_COLOR_TEXT));
    ASSERT_TRUE(ink.has_value());
    EXPECT_GE(ink->left, 10 + 158 - narrow) << "drawn in the narrow font";
    EXPECT_LE(ink->right, 10 + 157);

    gt::TestBitmap other(600, 200, BACKGROUND);
    EXPECT_EQ(digits(other, KEY, f31x57_font_def_ptr, f31x57_font_def_ptr, DONT_FORCE, IBS_WHITE_BAR,
                     INSTRUMENTATION_JUSTIFY_RIGHT, 10, 10, 90),
              narrow)
        << "no other font falls back";
    (void)natural;
}

TEST(InfoBox, SmallTenthsDrawAfterTheLargeInteger)
{
    world();
    defineVoltage(FCID("IVLT"), 12.3f); // "12.3" with unit "V"
    const FONT_DEF* small = std_9x13_font_def_ptr.load();
    gt::TestBitmap screen(400, 200, BACKGROUND);
    const S32 w = digits(screen, FCID("IVLT"), blockFont(), small, SMALL_TENTHS, IBS_NONE, JUSTIFY_LEFT, 10, 10, 70);
    ASSERT_GT(w, 0);
    // "12" in the block font: two 10-wide columns of 17 rows from (14, 14);
    // the '.' has no glyph (17 wide); "3" follows at x = 14 + 37 in the small font.
    const COLOR text = color(INFO_COLOR_TEXT);
    const auto big = extentOf(screen, text);
    ASSERT_TRUE(big.has_value());
    EXPECT_EQ(big->left, 14);
    int tallestSmall = 0;
    for (int x = 14 + 37; x < 14 + 37 + 9; ++x)
        for (int y = 0; y < 200; ++y)
            if (screen.at(x, y) == text)
                tallestSmall = std::max(tallestSmall, y);
    EXPECT_GT(tallestSmall, 0) << "the tenths are drawn";
    EXPECT_LT(tallestSmall, 14 + 16) << "in the small font";

    gt::TestBitmap large(400, 200, BACKGROUND);
    digits(large, FCID("IVLT"), blockFont(), small, LARGE_TENTHS, IBS_NONE, JUSTIFY_LEFT, 10, 10, 70);
    EXPECT_EQ(columnsOf(large, 14 + 16, text, 14 + 37, 14 + 46).size(), 10u) << "large tenths: the value font";
}

TEST(InfoBox, RightPaneOfTheMixedViewTurnsWhite)
{
    world();
    defineU32(KEY, 5);
    H_DATABASE_bUpdateValueS32(FCID("CVEW"), 57, P_NORMAL);
    for (SPLIT_WINDOW_TYPE pane : {SPLIT_LEFT_WINDOW, SPLIT_RIGHT_WINDOW}) {
        SCOPED_TRACE(pane);
        H_DATABASE_bUpdateValueS32(FCID("CVAS"), pane, P_NORMAL);
        gt::TestBitmap screen(400, 200, BACKGROUND);
        digits(screen, KEY, blockFont(), blockFont(), DONT_FORCE, IBS_NONE, INSTRUMENTATION_JUSTIFY_RIGHT);
        const bool bWhite = pane != SPLIT_LEFT_WINDOW;
        EXPECT_EQ(extentOf(screen, color(35)).has_value(), bWhite);
        EXPECT_EQ(extentOf(screen, color(INFO_COLOR_TEXT)).has_value(), !bWhite);
    }
}

TEST(InfoBox, StylesWithoutBackground)
{
    world();
    for (INFO_BOX_STYLE s : {IBS_NONE, IBS_GRAY_ROUNDED_BORDER_SANS_BACKGROUND, IBS_RED_BAR}) {
        gt::TestBitmap screen(200, 100, BACKGROUND);
        T_INFO_vDrawInfoBar(screen, 80, 40, 10, 10, s);
        EXPECT_FALSE(extentOf(screen, std::nullopt).has_value()) << s;
    }
    gt::TestBitmap screen(200, 100, BACKGROUND);
    T_INFO_vDrawInfoBar(screen, 80, 40, -90, -50, IBS_BLACK_BAR);
    EXPECT_EQ(extentOf(screen, std::nullopt), (Extent{110, 50, 189, 89})) << "negative positions count from the far edges";
}

TEST(InfoBox, GoldenStyles)
{
    world();
    T_INFO_vSetAlpha(0x00000080);
    gt::TestBitmap screen(480, 260, BACKGROUND);
    for (int s = 1; s <= 20; ++s) {
        const int col = (s - 1) % 5, row = (s - 1) / 5;
        T_INFO_vDrawInfoBar(screen, 84, 52, 8 + col * 94, 196 - row * 62, (INFO_BOX_STYLE)s);
    }
    expectGolden(screen, "info_box_styles");
}

TEST(InfoBox, GoldenDigitsBoxes)
{
    world();
    blinkTo(true);
    H_DATABASE_bUpdateEverythingFloat(FCID("IDEP"), 12.3f, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("YUDP"), U_METRES, P_NORMAL, D_UNITS, nullptr, DB_TIMEOUT_NEVER);
    defineVoltage(FCID("IVLT"), 13.8f);
    gt::TestBitmap screen(720, 448, BACKGROUND);
    const FONT_DEF* fonts[3] = {f34x62_font_def_ptr, f31x57_font_def_ptr, std_11x14_font_def_ptr.load()};
    const INFO_JUSTIFICATION justs[5] = {INSTRUMENTATION_JUSTIFY_LEFT, INSTRUMENTATION_JUSTIFY_RIGHT,
                                         INSTRUMENTATION_JUSTIFY_RIGHT_NO_TICK, CHARTPLOTTER_JUSTIFY_RIGHT,
                                         JUSTIFY_LEFT};
    for (int f = 0; f < 3; ++f)
        for (int j = 0; j < 5; ++j)
            T_INFO_nDrawDigitsInfoBox(screen, 158, 84, 4 + f * 238, 4 + (4 - j) * 88, j % 2 ? FCID("IDEP") : FCID("IVLT"),
                                      fonts[f], std_11x14_font_def_ptr.load(), std_9x13_font_def_ptr.load(),
                                      f == 1 ? SMALL_TENTHS : LARGE_TENTHS, IBS_GRAY_ROUNDED_BORDER, justs[j], 0);
    expectGolden(screen, "info_digits_boxes");
}

} // namespace
