// The menu controls' drawing: the arrows, the numeric entry's arrows and
// caption, the slider's knob, the progress bar's fill, open lists kept
// inside the bitmap, the selection box, the check mark, the precision
// format, and a card of every control.
#include "ui/tests/draw_fixture.h"

#include "graphics/g_string.h"
#include "ui/menu_icons.h"
#include "ui/power_key_icons.h"
#include "ui/u_menu.h"

#include <cmath>
#include <functional>
#include <set>

using namespace dtest;

namespace {

constexpr COLOR WHITE = 0xFFFF; // 64
constexpr COLOR PALE = 0xD6DF;  // 65
constexpr COLOR MID = 0x2254;   // 66
constexpr COLOR NAVY = 0x000A;  // 67
constexpr COLOR INK = 0x0000;   // 68

TEXT_TABLE Off = ALL_LANGUAGES("Off");
TEXT_TABLE Max = ALL_LANGUAGES("Max");
TEXT_TABLE One = ALL_LANGUAGES("One");
TEXT_TABLE Two = ALL_LANGUAGES("Two");
TEXT_TABLE Three = ALL_LANGUAGES("Three");
TEXT_TABLE Seven = ALL_LANGUAGES("Seven hundred");
const TEXT_TABLE* const s_choices[] = {&One, &Two, &Three};

class Controls : public ::testing::Test {
protected:
    void SetUp() override
    {
        prepareWorld();
        for (U32 i = 64; i <= 68; ++i)
            ASSERT_EQ(color(i), (std::array<COLOR, 5>{WHITE, PALE, MID, NAVY, INK})[i - 64]);
    }
    gt::TestBitmap screen{800, 600, BACKGROUND};
};

DB_DATA_TYPE u32v(U32 v)
{
    DB_DATA_TYPE d = {};
    d.u32Val = v;
    return d;
}
DB_DATA_TYPE s32v(S32 v)
{
    DB_DATA_TYPE d = {};
    d.s32Val = v;
    return d;
}
DB_DATA_TYPE fv(float v)
{
    DB_DATA_TYPE d = {};
    d.fVal = v;
    return d;
}

const FONT_DEF* controlFont() { return std_11x14_font_def_ptr; }

// The pixels of one colour inside a region, moved so that the lowest and
// leftmost of them is (0, 0): what a text looks like wherever it stands.
gt::PixelSet shapeIn(const gt::TestBitmap& bmp, COLOR c, int x0, int y0, int x1, int y1)
{
    gt::PixelSet raw;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (bmp.at(x, y) == c)
                raw.insert({x, y});
    gt::PixelSet out;
    if (raw.empty())
        return out;
    int minX = raw.begin()->first, minY = raw.begin()->second;
    for (const auto& p : raw) {
        minX = std::min(minX, p.first);
        minY = std::min(minY, p.second);
    }
    for (const auto& p : raw)
        out.insert({p.first - minX, p.second - minY});
    return out;
}

gt::PixelSet shapeOfText(const char* text)
{
    gt::TestBitmap scratch(300, 60, BACKGROUND);
    POINT at = {10, 20};
    G_STRING_vPut(scratch, INK, &at, controlFont(), reinterpret_cast<const BYTE*>(text));
    return shapeIn(scratch, INK, 0, 0, 299, 59);
}

// --- Arrows --------------------------------------------------------------------

TEST_F(Controls, ArrowsNarrowToAOnePixelTip)
{
    using Draw = void (*)(BITMAP*, POINT, U32, COLOR);
    struct Case {
        const char* what;
        Draw draw;
        POINT anchor;
        std::initializer_list<const char*> rows;
        int x0, y0;
    };
    const Case cases[] = {
        {"right", U_MENU_vDrawArrowRight, {2, 2}, {"#..", "##.", "###", "##.", "#.."}, 2, 2},
        {"left", U_MENU_vDrawArrowLeft, {6, 2}, {"..#", ".##", "###", ".##", "..#"}, 4, 2},
        {"up", U_MENU_vDrawArrowUp, {2, 2}, {"..#..", ".###.", "#####"}, 2, 2},
        {"down", U_MENU_vDrawArrowDown, {2, 6}, {"#####", ".###.", "..#.."}, 2, 4},
    };
    for (const Case& c : cases)
        for (U32 size : {5u, 6u}) {
            gt::TestBitmap bmp(20, 20, BACKGROUND);
            c.draw(bmp, c.anchor, size, NAVY);
            EXPECT_EQ(bmp.drawn(), gt::picture(c.rows, c.x0, c.y0)) << c.what << " " << size;
        }
    for (U32 size : {1u, 2u}) {
        gt::TestBitmap bmp(20, 20, BACKGROUND);
        U_MENU_vDrawArrowUp(bmp, POINT{3, 4}, size, NAVY);
        EXPECT_EQ(bmp.drawn(), gt::pixels({{3, 4}})) << size;
    }
    gt::TestBitmap bmp(20, 20, BACKGROUND);
    U_MENU_vDrawArrowRight(bmp, POINT{3, 4}, 0, NAVY);
    EXPECT_TRUE(bmp.drawn().empty());
}

TEST_F(Controls, AnArrowOf14IsSevenLinesOf13DownTo1)
{
    U_MENU_vDrawArrowRight(screen, POINT{10, 10}, 14, NAVY);
    for (int k = 0; k < 8; ++k) {
        std::vector<int> column;
        for (int y = 0; y < 40; ++y)
            if (screen.at(10 + k, y) == NAVY)
                column.push_back(y);
        if (k == 7) {
            EXPECT_TRUE(column.empty());
            continue;
        }
        ASSERT_EQ(column.size(), (size_t)(13 - 2 * k)) << k;
        EXPECT_EQ(column.front(), 10 + k);
    }
}

// --- Numeric entry ---------------------------------------------------------------

TEST_F(Controls, NumericEntryShowsArrowsTowardsTheLimitsNotReached)
{
    struct Case {
        const char* what;
        DATA_FORMAT format;
        DB_DATA_TYPE value, min, max;
        const TEXT_TABLE *left, *right;
        U8 precision;
        bool leftArrow, rightArrow;
        const char* shown;
    };
    const Case cases[] = {
        {"float at its minimum, with a caption", DF_FLOAT, fv(0), fv(0), fv(10), &Off, &Max, 1, false, true, "Off"},
        {"float at its minimum", DF_FLOAT, fv(0), fv(0), fv(10), nullptr, nullptr, 1, false, true, "0.0"},
        {"float between", DF_FLOAT, fv(2.5f), fv(0), fv(10), &Off, &Max, 2, true, true, "2.50"},
        {"unsigned at its maximum, with a caption", DF_UNSIGNED32, u32v(10), u32v(0), u32v(10), &Off, &Max, 0, true,
         false, "Max"},
        {"unsigned between", DF_UNSIGNED32, u32v(7), u32v(0), u32v(10), nullptr, nullptr, 3, true, true, "7"},
        {"signed at its maximum", DF_SIGNED32, s32v(5), s32v(-5), s32v(5), nullptr, nullptr, 0, true, false, "5"},
        {"signed below zero", DF_SIGNED32, s32v(-5), s32v(-10), s32v(10), nullptr, nullptr, 0, true, true, "-5"},
        {"minimum equal to maximum, with captions", DF_UNSIGNED32, u32v(3), u32v(3), u32v(3), &Off, &Max, 0, false,
         false, "Off"},
        {"minimum equal to maximum", DF_SIGNED32, s32v(3), s32v(3), s32v(3), nullptr, nullptr, 0, false, false, "3"},
    };
    const POINT anchor = {300, 300};
    for (const Case& c : cases) {
        screen.clear();
        M_NUMERIC_ENTRY_PARAMETERS record = {};
        record.minValue = c.min;
        record.maxValue = c.max;
        record.pCtrlTextLeft = c.left;
        record.pCtrlTextRight = c.right;
        record.u8precision = c.precision;
        U_MENU_vDrawControlNumericEntry(screen, anchor, c.value, &record, c.format, 100, 24);
        // The arrows' bases: 4 left of the box, 1 right of it.
        EXPECT_EQ(screen.at(296, 300) == NAVY, c.leftArrow) << c.what;
        EXPECT_EQ(screen.at(401, 300) == NAVY, c.rightArrow) << c.what;
        EXPECT_EQ(screen.at(300, 300), NAVY) << c.what << ": the box";
        EXPECT_EQ(screen.at(301, 301), MID) << c.what << ": the box";
        EXPECT_EQ(shapeIn(screen, INK, 301, 301, 398, 322), shapeOfText(c.shown)) << c.what;
    }
}

// --- Slider and progress bar ----------------------------------------------------

struct FillCase {
    const char* what;
    DATA_FORMAT format;
    DB_DATA_TYPE value, min, max;
    U32 width;
    int pixels; // slider: the knob's offset s; bar: the filled columns
};

TEST_F(Controls, SliderKnobFollowsTheValue)
{
    const FillCase cases[] = {
        {"at its minimum", DF_UNSIGNED32, u32v(0), u32v(0), u32v(100), 106, 0},
        {"float, in proportion", DF_FLOAT, fv(2), fv(0), fv(3), 206, 133},
        {"unsigned, in whole percents", DF_UNSIGNED32, u32v(2), u32v(0), u32v(3), 206, 132},
        {"signed, in whole percents", DF_SIGNED32, s32v(-1), s32v(-3), s32v(0), 206, 132},
        {"two pixels in", DF_UNSIGNED32, u32v(1), u32v(0), u32v(100), 206, 2},
        {"three pixels in", DF_UNSIGNED32, u32v(1), u32v(0), u32v(100), 306, 3},
        {"below its minimum", DF_SIGNED32, s32v(-5), s32v(0), s32v(10), 106, 0},
        {"minimum equal to maximum", DF_FLOAT, fv(5), fv(5), fv(5), 106, 0},
        {"not a number", DF_FLOAT, fv(NAN), fv(0), fv(10), 106, 0},
        {"a range too wide for 32 bits", DF_UNSIGNED32, u32v(0xFFFFFFFF), u32v(0), u32v(0xFFFFFFFF), 106, 100},
    };
    const POINT anchor = {300, 300};
    for (const FillCase& c : cases) {
        screen.clear();
        M_SLIDER_PARAMETERS record = {};
        record.minValue = c.min;
        record.maxValue = c.max;
        U_MENU_vDrawControlSlider(screen, anchor, c.value, &record, c.format, c.width, 24);
        // The knob's lowest row stands one below the track, 4 wide, one
        // pixel right of the filled part.
        const int knob = 300 + c.pixels + 1;
        EXPECT_EQ(columnsOf(screen, 299, NAVY, 250, 700), (std::vector<int>{knob, knob + 1, knob + 2, knob + 3}))
            << c.what;
        EXPECT_EQ(screen.at(knob, 312), PALE) << c.what;
        EXPECT_EQ(screen.at(knob + 1, 312), MID) << c.what;
        if (c.pixels > 2) {
            EXPECT_EQ(columnsOf(screen, 312, NAVY, 300, knob - 1).size(), (size_t)(c.pixels + 1)) << c.what;
        }
    }
}

TEST_F(Controls, ProgressBarFillsInWholePercentsOrInProportion)
{
    const FillCase cases[] = {
        {"unsigned, in whole percents", DF_UNSIGNED32, u32v(2), u32v(0), u32v(3), 202, 132},
        {"float, in proportion", DF_FLOAT, fv(2), fv(0), fv(3), 202, 133},
        {"signed at its maximum", DF_SIGNED32, s32v(3), s32v(0), s32v(3), 202, 200},
        {"at its minimum", DF_UNSIGNED32, u32v(0), u32v(0), u32v(3), 202, 0},
        {"below its minimum", DF_SIGNED32, s32v(-1), s32v(0), s32v(3), 202, 0},
        {"minimum equal to maximum", DF_UNSIGNED32, u32v(3), u32v(3), u32v(3), 202, 0},
        {"not a number", DF_FLOAT, fv(NAN), fv(0), fv(3), 202, 0},
    };
    const POINT anchor = {300, 300};
    for (const FillCase& c : cases) {
        screen.clear();
        M_PROGRESS_BAR_PARAMETERS record = {};
        record.minValue = c.min;
        record.maxValue = c.max;
        U_MENU_vDrawControlProgressBar(screen, anchor, c.value, &record, c.format, c.width, 24);
        const std::vector<int> filled = columnsOf(screen, 312, NAVY, 301, 300 + (int)c.width - 2);
        EXPECT_EQ(filled.size(), (size_t)c.pixels) << c.what;
        if (!filled.empty()) {
            EXPECT_EQ(filled.front(), 301) << c.what;
        }
    }
}

TEST_F(Controls, SideTextsTakeTheCaptionsOrTheLimitTexts)
{
    M_SLIDER_PARAMETERS record = {};
    record.maxValue = u32v(10);
    memcpy(record.minString, "0", 2);
    memcpy(record.maxString, "123456789012", 12); // fills the field, no NUL
    record.pCtrlTextLeft = &Off;
    U_MENU_vDrawControlSlider(screen, POINT{300, 300}, u32v(5), &record, DF_UNSIGNED32, 106, 24);
    // The caption ends one left of the anchor and the twelve digits start
    // two right of the track, on the row 4 above the anchor.
    gt::TestBitmap expected(800, 600, BACKGROUND);
    const int width = (int)G_STRING_u32GetWidth(controlFont(), reinterpret_cast<const BYTE*>("Off"));
    POINT left = {300 - width - 1, 304}, right = {300 + 106 + 2, 304};
    G_STRING_vPut(expected, INK, &left, controlFont(), reinterpret_cast<const BYTE*>("Off"));
    G_STRING_vPut(expected, INK, &right, controlFont(), reinterpret_cast<const BYTE*>("123456789012"));
    EXPECT_EQ(shapeIn(screen, INK, 0, 0, 799, 599).size(), expected.drawn().size());
    for (const auto& p : expected.drawn())
        ASSERT_EQ(screen.at(p.first, p.second), INK) << p.first << "," << p.second;
}

// --- Lists -----------------------------------------------------------------------

TEST_F(Controls, OpenListsStayInsideTheBitmapByWholeRows)
{
    const S32 widest =
        (S32)G_STRING_u32GetWidth(controlFont(), reinterpret_cast<const BYTE*>("Three")); // the widest choice
    struct Case {
        const char* what;
        bool actionList;
        POINT anchor;
        U32 menuWidth;
        int top;          // T, the top item's lower row
        int x;            // the items' left column
    };
    // Three items 30 high; T starts at anchor y + 45.
    const Case cases[] = {
        {"action list, centred on the row", true, {100, 300}, 200, 345, 299},
        {"action list near the top moves down", true, {100, 560}, 200, 545, 299},
        {"action list near the bottom moves up", true, {100, 10}, 200, 85, 299},
        {"action list at the right edge", true, {0, 300}, 780, 345, 800 - (widest + 28)},
        {"sub menu, centred on the row", false, {100, 300}, 200, 345, 299},
        {"sub menu near the top moves down", false, {100, 560}, 200, 545, 299},
        {"sub menu near the bottom moves up", false, {100, 10}, 200, 85, 299},
        {"sub menu at the right edge", false, {0, 300}, 780, 345, 800 - (widest + 22)},
    };
    const int h = 30, n = 3;
    for (const Case& c : cases) {
        screen.clear();
        const int L = widest + (c.actionList ? 28 : 22);
        if (c.actionList) {
            M_ACTION_LIST_PARAMETERS record = {};
            record.pActionListChoices = s_choices;
            record.numberChoices = 3;
            record.bIsActive = TRUE;
            U_MENU_vDrawControlActionList(screen, c.anchor, 1, &record, c.menuWidth, h);
        } else {
            M_SUB_MENU_PARAMETERS record = {};
            record.pSubMenuChoices = s_choices;
            record.numberChoices = 3;
            record.bIsActive = TRUE;
            U_MENU_vDrawControlSubMenu(screen, c.anchor, 1, &record, c.menuWidth, h);
        }
        const int bottom = c.top - (n - 1) * (h - 1);
        // An action list has a white frame one pixel outside its items.
        const int out = c.actionList ? 1 : 0;
        const Extent expected = {c.x - out, bottom - out, std::min(c.x + L - 1 + out, 799), c.top + h - 1 + out};
        EXPECT_EQ(extentOf(screen, std::nullopt), expected) << c.what;
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(screen.at(c.x + 2, c.top - i * (h - 1) + h / 2), i == 1 ? WHITE : PALE) << c.what << " " << i;
    }
}

TEST_F(Controls, ClosedListsAndActionsShowAnArrowAtTheRowsEnd)
{
    M_ACTION_LIST_PARAMETERS actions = {};
    actions.pActionListChoices = s_choices;
    actions.numberChoices = 3;
    M_SUB_MENU_PARAMETERS subMenu = {};
    subMenu.pSubMenuChoices = s_choices;
    subMenu.numberChoices = 3;
    M_SUB_MENU_PARAMETERS single = subMenu;
    single.numberChoices = 1;
    single.bIsActive = TRUE;
    M_SUB_MENU_PARAMETERS empty = subMenu;
    empty.numberChoices = 0;
    empty.bIsActive = TRUE;
    struct Case {
        const char* what;
        std::function<void(BITMAP*, POINT, U32, U32)> draw;
        U32 rowHeight;
        std::optional<Extent> arrow;
    };
    // Anchor (100, 300), menu 200 wide.
    const Case cases[] = {
        {"action", [](BITMAP* b, POINT a, U32 w, U32 h) { U_MENU_vDrawControlAction(b, a, 0, w, h); }, 30,
         Extent{280, 303, 292, 327}},
        {"action in a row too low for an arrow",
         [](BITMAP* b, POINT a, U32 w, U32 h) { U_MENU_vDrawControlAction(b, a, 0, w, h); }, 4, std::nullopt},
        {"closed action list",
         [&](BITMAP* b, POINT a, U32 w, U32 h) { U_MENU_vDrawControlActionList(b, a, 0, &actions, w, h); }, 30,
         Extent{280, 303, 289, 321}},
        {"closed sub menu",
         [&](BITMAP* b, POINT a, U32 w, U32 h) { U_MENU_vDrawControlSubMenu(b, a, 0, &subMenu, w, h); }, 30,
         Extent{275, 306, 287, 330}},
        {"sub menu of one choice, open",
         [&](BITMAP* b, POINT a, U32 w, U32 h) { U_MENU_vDrawControlSubMenuWithNoArrow(b, a, 0, &single, w, h); },
         30, Extent{275, 306, 287, 330}},
        {"sub menu without choices, open",
         [&](BITMAP* b, POINT a, U32 w, U32 h) { U_MENU_vDrawControlSubMenu(b, a, 0, &empty, w, h); }, 30,
         std::nullopt},
    };
    for (const Case& c : cases) {
        screen.clear();
        c.draw(screen, POINT{100, 300}, 200, c.rowHeight);
        EXPECT_EQ(extentOf(screen, std::nullopt), c.arrow) << c.what;
    }
}

TEST_F(Controls, SelectionBoxShowsItsChoiceBetweenTheArrowsLeft)
{
    struct Case {
        U8 choice;
        U32 count;
        bool left, right;
        const char* shown; // null: nothing
    };
    const Case cases[] = {
        {0, 3, false, true, "One"},  {1, 3, true, true, "Two"}, {2, 3, true, false, "Three"},
        {0, 1, false, false, "One"}, {5, 3, true, true, nullptr}, // a choice past the list shows none
    };
    for (const Case& c : cases) {
        screen.clear();
        M_SELECTION_BOX_PARAMETERS record = {};
        record.pSelectionList = s_choices;
        record.numberSelections = c.count;
        U_MENU_vDrawControlSelectionBox(screen, POINT{300, 300}, c.choice, &record, 100, 24, PALE);
        EXPECT_EQ(screen.at(294, 300) == NAVY, c.left) << (int)c.choice << " of " << c.count;
        EXPECT_EQ(screen.at(404, 300) == NAVY, c.right) << (int)c.choice << " of " << c.count;
        EXPECT_EQ(screen.at(300, 312), MID) << "the frame";
        EXPECT_EQ(shapeIn(screen, INK, 301, 300, 398, 323), c.shown ? shapeOfText(c.shown) : gt::PixelSet{})
            << (int)c.choice;
    }

    // An icon list centres the chosen icon.
    const ICON* const icons[] = {&Light_icon, &selected_radio_button};
    M_SELECTION_BOX_PARAMETERS record = {};
    record.pSelectionIcons = icons;
    record.numberSelections = 2;
    screen.clear();
    U_MENU_vDrawControlSelectionBox(screen, POINT{300, 300}, 1, &record, 100, 24, PALE);
    gt::TestBitmap expected(800, 600, PALE);
    const POINT at = {300 + 1 + (98 - 22) / 2, 300 + 11 - 11};
    G_ICON_vPut(expected, &selected_radio_button, &at);
    for (int y = at.y; y < at.y + 22; ++y)
        for (int x = at.x; x < at.x + 22; ++x)
            if (expected.at(x, y) != PALE) {
                ASSERT_EQ(screen.at(x, y), expected.at(x, y)) << x << "," << y;
            }
}

TEST_F(Controls, CheckedItemsShowTheSelectedRadioButton)
{
    using Draw = void (*)(BITMAP*, POINT, U32, U32, U32);
    for (Draw draw : {U_MENU_vDrawControlCheckList, U_MENU_vDrawControlCheckBox}) {
        screen.clear();
        draw(screen, POINT{100, 300}, 0, 400, 40);
        EXPECT_TRUE(screen.drawn().empty()) << "unchecked";
        draw(screen, POINT{100, 300}, 1, 400, 40);
        gt::TestBitmap expected(800, 600, BACKGROUND);
        const POINT at = {100 + 400 - 35, 300 + (55 - 22) / 2 - 1};
        G_ICON_vPut(expected, &selected_radio_button, &at);
        EXPECT_EQ(screen.drawn(), expected.drawn());
        for (const auto& p : expected.drawn())
            ASSERT_EQ(screen.at(p.first, p.second), expected.at(p.first, p.second));
    }
}

TEST(PrecisionFormat, ZeroToThreeDecimals)
{
    struct Case {
        float value;
        U8 precision;
        const char* text;
    };
    const Case cases[] = {
        {3.14159f, 0, "3"},   {3.14159f, 1, "3.1"},  {3.14159f, 2, "3.14"},
        {3.14159f, 3, "3.142"}, {3.14159f, 7, "3.142"}, {-0.25f, 1, "-0.2"},
    };
    for (const Case& c : cases) {
        char text[U_MENU_TEXT_SIZE];
        U_MENU_vPrecisionFormat(text, c.value, c.precision);
        EXPECT_STREQ(text, c.text) << (int)c.precision;
    }
    // A value too long for the buffer is cut, not written past it.
    char text[U_MENU_TEXT_SIZE];
    U_MENU_vPrecisionFormat(text, 3e38f, 3);
    EXPECT_EQ(strlen(text), U_MENU_TEXT_SIZE - 1);
}

// --- The card ------------------------------------------------------------------

TEST_F(Controls, CardOfEveryControl)
{
    gt::TestBitmap card(800, 600, 0x8C94);
    // The arrows, 13 and 14 high and wide.
    for (int i = 0; i < 2; ++i) {
        const U32 n = 13 + i;
        const int x = 20 + i * 80;
        U_MENU_vDrawArrowLeft(card, POINT{x + 8, 560}, n, NAVY);
        U_MENU_vDrawArrowRight(card, POINT{x + 20, 560}, n, NAVY);
        U_MENU_vDrawArrowUp(card, POINT{x + 34, 560}, n, NAVY);
        U_MENU_vDrawArrowDown(card, POINT{x + 52, 573}, n, NAVY);
    }
    // Menu rows: an action, a closed list, a check mark.
    U_MENU_vDrawControlAction(card, POINT{20, 500}, 0, 240, 40);
    M_ACTION_LIST_PARAMETERS actions = {};
    actions.pActionListChoices = s_choices;
    actions.numberChoices = 3;
    U_MENU_vDrawControlActionList(card, POINT{20, 450}, 0, &actions, 240, 40);
    U_MENU_vDrawControlCheckList(card, POINT{20, 380}, 1, 240, 55);
    // Open lists beside a menu 240 wide.
    actions.bIsActive = TRUE;
    U_MENU_vDrawControlActionList(card, POINT{300, 480}, 2, &actions, 200, 32);
    M_SUB_MENU_PARAMETERS subMenu = {};
    const TEXT_TABLE* const longer[] = {&One, &Seven, &Three};
    subMenu.pSubMenuChoices = longer;
    subMenu.numberChoices = 3;
    subMenu.bIsActive = TRUE;
    U_MENU_vDrawControlSubMenu(card, POINT{420, 480}, 1, &subMenu, 200, 32);
    // Sliders at the minimum, a third and the maximum.
    M_SLIDER_PARAMETERS slider = {};
    slider.maxValue = fv(10);
    slider.pCtrlTextLeft = &Off;
    memcpy(slider.maxString, "10", 3);
    const float values[] = {0, 3.3f, 10};
    for (int i = 0; i < 3; ++i)
        U_MENU_vDrawControlSlider(card, POINT{60, 300 - i * 40}, fv(values[i]), &slider, DF_FLOAT, 160, 20);
    // Progress bars: whole percents above, in proportion below.
    M_PROGRESS_BAR_PARAMETERS bar = {};
    bar.maxValue = u32v(3);
    memcpy(bar.minString, "0", 2);
    memcpy(bar.maxString, "3", 2);
    U_MENU_vDrawControlProgressBar(card, POINT{60, 160}, u32v(2), &bar, DF_UNSIGNED32, 160, 20);
    bar.maxValue = fv(3);
    bar.minValue = fv(0);
    U_MENU_vDrawControlProgressBar(card, POINT{60, 130}, fv(2), &bar, DF_FLOAT, 160, 20);
    // Numeric entries at the minimum, between and at the maximum.
    M_NUMERIC_ENTRY_PARAMETERS entry = {};
    entry.maxValue = fv(20);
    entry.u8precision = 1;
    entry.pCtrlTextLeft = &Off;
    memcpy(entry.maxString, "20.0", 5);
    const float entries[] = {0, 12.5f, 20};
    for (int i = 0; i < 3; ++i)
        U_MENU_vDrawControlNumericEntry(card, POINT{370, 300 - i * 40}, fv(entries[i]), &entry, DF_FLOAT, 90, 24);
    // Selection boxes: first, middle, last, and an icon.
    M_SELECTION_BOX_PARAMETERS selection = {};
    selection.pSelectionList = s_choices;
    selection.numberSelections = 3;
    for (U8 i = 0; i < 3; ++i)
        U_MENU_vDrawControlSelectionBox(card, POINT{600, 300 - i * 40}, i, &selection, 120, 24, PALE);
    const ICON* const icons[] = {&SonarTab_icon, &Light_icon};
    M_SELECTION_BOX_PARAMETERS iconBox = {};
    iconBox.pSelectionIcons = icons;
    iconBox.numberSelections = 2;
    U_MENU_vDrawControlSelectionBox(card, POINT{600, 160}, 1, &iconBox, 120, 30, WHITE);
    // An open list pushed against the right edge and moved up from the bottom.
    U_MENU_vDrawControlActionList(card, POINT{600, 10}, 0, &actions, 190, 30);
    expectGolden(card, "controls_card");
}

} // namespace
