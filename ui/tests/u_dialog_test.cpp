// Dialog boxes and message blocks: the word wrap, the sizes and places of
// the boxes, the answer row of the confirm dialog, the outline's limits,
// the fatal path of a justification a routine does not take, and a card
// of all of them in the unit's fonts.
#include "ui/tests/draw_fixture.h"

#include "ui/menu_icons.h"
#include "ui/power_key_icons.h"
#include "ui/u_dialog.h"

#include "testing/t_root.h"

using namespace dtest;

namespace {

constexpr COLOR OUTLINE = 0x424A; // entry 130
constexpr COLOR FILL = 0xFFFF;    // entry 128
constexpr COLOR TEXT = 0x0000;    // entry 131
constexpr int F = 17;             // the block font's height

class Dialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        prepareWorld();
        ASSERT_EQ(color(130), OUTLINE);
        ASSERT_EQ(color(128), FILL);
        ASSERT_EQ(color(131), TEXT);
    }
    const FONT_DEF* font = blockFont();
};

// --- Word wrap -----------------------------------------------------------------

struct Line {
    int start, chars, width;
    bool operator==(const Line&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Line& l)
{
    return os << "{" << l.start << ", " << l.chars << ", " << l.width << "}";
}

std::vector<Line> wrapped(const char* text, U16 width)
{
    LINEOFTEXT lines[U_DIALOG_MAX_LINES];
    const U16 n = U_DIALOG_u16ExtractTextIntoLines(text, lines, blockFont(), width);
    std::vector<Line> out;
    for (U16 i = 0; i < n; ++i)
        out.push_back({(int)(lines[i].pcStartOfText - text), lines[i].u8NumberOfCharsInLine, lines[i].u16WidthOfLine});
    return out;
}

TEST_F(Dialog, WrapSplitsAtSpacesOnly)
{
    const std::string longWord(300, 'A');
    struct Case {
        const char* what;
        const char* text;
        U16 width;
        std::vector<Line> lines;
    };
    const Case cases[] = {
        {"empty text", "", 100, {}},
        {"two words that do not fit: the spaces between belong to neither", "AAAA  BBBB", 60, {{0, 4, 39}, {6, 4, 39}}},
        {"spaces at the start and the end that fit", "  AB  ", 100, {{0, 6, 39}}},
        {"spaces at the end that do not fit", "AB   ", 25, {{0, 2, 19}}},
        {"a line that exactly fills the column", "AB CD", 45, {{0, 5, 44}}},
        {"a word wider than the column stands alone", "A BBBBBBBBBB C", 50, {{0, 1, 9}, {2, 10, 99}, {13, 1, 9}}},
        {"a line end belongs to its word", "AB\nCD EF", 60, {{0, 5, 56}, {6, 2, 19}}},
        {"a line too long to count is cut", longWord.c_str(), 100, {{0, 255, 2999}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wrapped(c.text, c.width), c.lines) << c.what;
    LINEOFTEXT lines[U_DIALOG_MAX_LINES];
    EXPECT_EQ(U_DIALOG_u16ExtractTextIntoLines(nullptr, lines, font, 100), 0);
}

TEST_F(Dialog, WrapKeepsTwentyLinesAndDropsTheRest)
{
    // Twenty-one one-letter words, one to a line.
    const std::string text = "A A A A A A A A A A A A A A A A A A A A B";
    const std::vector<Line> lines = wrapped(text.c_str(), 10);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines.back(), (Line{38, 1, 9}));
}

TEST_F(Dialog, WidestWordSkipsSpaces)
{
    struct Case {
        const char* text;
        U32 widest;
    };
    for (const Case& c : {Case{"", 0}, Case{"    ", 0}, Case{"  AAA BB   ", 30}, Case{"A\nB", 37}})
        EXPECT_EQ(U_DIALOG_u32GetMaxWordLength(c.text, font), c.widest) << '"' << c.text << '"';
}

// --- Dialog box ----------------------------------------------------------------

TEST_F(Dialog, BoxGrowsToTheWidestWordUpToTheBitmap)
{
    const std::string word(25, 'A'); // advances 250
    struct Case {
        std::string text;
        U16 boxWidth;
        U32 bitmapWidth;
        int width;
    };
    const Case cases[] = {
        {word, 200, 800, 261},
        {word, 300, 800, 300},
        {word, 200, 240, 240},
        {"  " + word + "   ", 200, 800, 261}, // spaces add no word
        {"", 100, 800, 100},
    };
    for (const Case& c : cases) {
        gt::TestBitmap screen(c.bitmapWidth, 600, BACKGROUND);
        U_DIALOG_vDrawDialog(screen, c.text.c_str(), font, 0, c.boxWidth, nullptr, nullptr, JUSTIFICATION_LEFT,
                             JUSTIFICATION_CENTER);
        const auto box = extentOf(screen, OUTLINE);
        ASSERT_TRUE(box) << c.text;
        EXPECT_EQ(box->right - box->left + 1, c.width) << c.text << " in " << c.boxWidth;
        EXPECT_EQ(box->left, ((int)c.bitmapWidth - c.width) / 2) << "centred";
    }
}

TEST_F(Dialog, BoxStandsAboveTheLowest105Rows)
{
    // Four lines of 17 + 5: 100 high.
    struct Case {
        const char* text;
        JUSTIFICATION justification;
        int bottom, height;
    };
    const Case cases[] = {
        {"AAAA AAAA AAAA AAAA", JUSTIFICATION_CENTER, 302, 100},
        {"AAAA AAAA AAAA AAAA", JUSTIFICATION_SCREEN_CENTER, 302, 100},
        {"AAAA AAAA AAAA AAAA", JUSTIFICATION_BOTTOM, 105, 100},
        {"AAAA AAAA AAAA AAAA", JUSTIFICATION_TOP, 500, 100},
        {"", JUSTIFICATION_CENTER, 346, 12},
    };
    for (const Case& c : cases) {
        gt::TestBitmap screen(800, 600, BACKGROUND);
        U_DIALOG_vDrawDialog(screen, c.text, font, 5, 60, nullptr, nullptr, JUSTIFICATION_LEFT, c.justification);
        const auto box = extentOf(screen, OUTLINE);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->bottom, c.bottom) << c.justification << " " << c.text;
        EXPECT_EQ(box->top - box->bottom + 1, c.height) << c.justification << " " << c.text;
        // The first line at the top: the last one's row is 9 above the box.
        if (c.text[0] != '\0') {
            const auto text = extentOf(screen, TEXT);
            ASSERT_TRUE(text);
            EXPECT_EQ(text->bottom, c.bottom + 9);
            EXPECT_EQ(text->top, c.bottom + 9 + 3 * (F + 5) + F - 1);
        }
    }
}

TEST_F(Dialog, TextJustificationWithinTheColumn)
{
    // "AB" (advances 20, width 19) in a box 100 wide: x 350, column 356..444.
    struct Case {
        const char* text;
        U32 bitmapWidth;
        JUSTIFICATION justification;
        int left;
    };
    const Case cases[] = {
        {"AB", 800, JUSTIFICATION_LEFT, 356},
        {"AB", 800, JUSTIFICATION_RIGHT, 444 - 19},
        {"AB", 800, JUSTIFICATION_CENTER, 356 + (88 - 19) / 2},
        {"AB", 800, JUSTIFICATION_NOT_USED, 356},
        // A word wider than the bitmap, right-justified, starts at the edge.
        {"AAAAAAAAAAAAAAAAAAAAAAAAA", 100, JUSTIFICATION_RIGHT, 0},
    };
    for (const Case& c : cases) {
        gt::TestBitmap screen(c.bitmapWidth, 600, BACKGROUND);
        U_DIALOG_vDrawDialog(screen, c.text, font, 0, 100, nullptr, nullptr, c.justification, JUSTIFICATION_CENTER);
        const auto text = extentOf(screen, TEXT);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->left, c.left) << c.justification << " " << c.text;
    }
}

TEST_F(Dialog, IconsSitAtTheSidesAndNarrowTheColumn)
{
    gt::TestBitmap screen(800, 600, BACKGROUND);
    U_DIALOG_vDrawDialog(screen, "AB", font, 0, 200, &unselected_radio_button, &selected_radio_button,
                         JUSTIFICATION_LEFT, JUSTIFICATION_BOTTOM);
    // x 300, y 105, 200 x 29; the icons 22 x 22 three rows up.
    gt::TestBitmap expected(800, 600, BACKGROUND);
    const POINT left = {306, 108}, right = {472, 108};
    G_ICON_vPut(expected, &unselected_radio_button, &left);
    G_ICON_vPut(expected, &selected_radio_button, &right);
    for (const POINT& at : {left, right})
        for (int y = at.y; y < at.y + 22; ++y)
            for (int x = at.x; x < at.x + 22; ++x)
                if (expected.at(x, y) != BACKGROUND) {
                    ASSERT_EQ(screen.at(x, y), expected.at(x, y)) << x << "," << y;
                }
    const auto text = extentOf(screen, TEXT);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->left, 300 + 12 + 22);
}

// --- Confirm dialog ------------------------------------------------------------

TEST_F(Dialog, ConfirmDialogPutsItsAnswersAlongTheBottom)
{
    // "AB" in a box 100 wide: x 350, f 17; the answer row is 25 high.
    struct Case {
        BOOLEAN no, yes;
        int height;
        std::vector<int> arrowBases; // the row f / 3 above the bottom
    };
    const Case cases[] = {
        {TRUE, TRUE, 17 + 12 + 25, {350 + F, 450 - F}},
        {TRUE, FALSE, 17 + 12 + 25, {350 + F}},
        {FALSE, TRUE, 17 + 12 + 25, {450 - F}},
        {FALSE, FALSE, 17 + 12, {}},
    };
    for (const Case& c : cases) {
        gt::TestBitmap screen(800, 600, BACKGROUND);
        U_DIALOG_vDrawDialogWithConfirm(screen, "AB", font, 0, 100, "NO", "YES", JUSTIFICATION_LEFT,
                                        JUSTIFICATION_BOTTOM, c.no, c.yes);
        const std::string what = std::string(c.no ? "no " : "") + (c.yes ? "yes" : "");
        const auto box = extentOf(screen, OUTLINE);
        ASSERT_TRUE(box);
        ASSERT_EQ(box->bottom, 105);
        EXPECT_EQ(box->top - box->bottom + 1, c.height) << what;
        EXPECT_EQ(columnsOf(screen, 105 + F / 3, TEXT, 350, 449), c.arrowBases) << what;
        EXPECT_TRUE(columnsOf(screen, 105 + F / 3 - 1, TEXT, 350, 449).empty()) << what;
        // The text line stands above the answer row, and inside the box
        // when there is none.
        const int textRow = 105 + 9 + (c.height > 29 ? (3 * F) / 2 : 0);
        EXPECT_EQ(screen.at(356, textRow), TEXT) << what;
        EXPECT_NE(screen.at(356, textRow - 1), TEXT) << what;
        if (c.yes) {
            // "YES" ends 4f / 3 left of the box's right edge.
            const std::vector<int> row = columnsOf(screen, 105 + F / 2 + 5, TEXT, 395, 450 - F - 1);
            ASSERT_FALSE(row.empty());
            EXPECT_EQ(row.back(), 450 - (4 * F) / 3 - 1) << what;
            EXPECT_EQ(row.front(), 450 - (4 * F) / 3 - 30) << what;
        }
        if (c.no) {
            EXPECT_EQ(screen.at(350 + (4 * F) / 3, 105 + F / 2), TEXT) << what << ": NO";
        }
    }
}

// --- Message blocks --------------------------------------------------------------

TEST_F(Dialog, MessageBlockIsPlacedByItsAnchor)
{
    constexpr COLOR BG = 0x07E0, INK = 0xF800;
    struct Case {
        const char* text;
        JUSTIFICATION box;
        POINT anchor;
        U32 height;
        int bottom;
    };
    // Three words to a column of 45: three lines, 3 x 17 + 2 = 53.
    const Case cases[] = {
        {"AAAA BBBB CCCC", JUSTIFICATION_TOP, {10, 500}, 53, 448},
        {"AAAA BBBB CCCC", JUSTIFICATION_BOTTOM, {10, 500}, 53, 500},
        {"AAAA BBBB CCCC", JUSTIFICATION_CENTER, {10, 300}, 53, 274},
        {"", JUSTIFICATION_TOP, {10, 500}, 2, 499},
    };
    for (const Case& c : cases) {
        gt::TestBitmap screen(800, 600, BACKGROUND);
        EXPECT_EQ(U_DIALOG_u32DrawMessageBlock(screen, c.text, font, 0, JUSTIFICATION_LEFT, c.box, &c.anchor, 45, BG,
                                               INK),
                  c.height);
        const auto block = extentOf(screen, BG);
        ASSERT_TRUE(block);
        EXPECT_EQ(*block, (Extent{10, c.bottom, 10 + 44, c.bottom + (int)c.height - 1})) << c.box << " " << c.text;
        const auto text = extentOf(screen, INK);
        if (c.text[0] == '\0') {
            EXPECT_FALSE(text);
            continue;
        }
        ASSERT_TRUE(text);
        EXPECT_EQ(text->bottom, c.bottom + 7);
        EXPECT_EQ(text->top, c.bottom + 7 + 2 * F + F - 1);
    }
}

TEST_F(Dialog, MessageBlockLinesFollowTheTextJustification)
{
    struct Case {
        const char* text;
        JUSTIFICATION justification;
        int left;
    };
    const Case cases[] = {
        {"AB", JUSTIFICATION_LEFT, 100},
        {"AB", JUSTIFICATION_RIGHT, 100 + 80 - 19},
        {"AB", JUSTIFICATION_CENTER, 100 + (80 - 19) / 2},
        // One word wider than the block, centred: from the block's edge.
        {"AAAAAAAAAAAA", JUSTIFICATION_CENTER, 100},
    };
    for (const Case& c : cases) {
        gt::TestBitmap screen(800, 600, BACKGROUND);
        const POINT anchor = {100, 200};
        U_DIALOG_u32DrawMessageBlock(screen, c.text, font, 0, c.justification, JUSTIFICATION_BOTTOM, &anchor, 80,
                                     0x07E0, 0xF800);
        const auto text = extentOf(screen, 0xF800);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->left, c.left) << c.justification << " " << c.text;
    }
}

TEST_F(Dialog, OutlineLiesTwoPixelsOutsideTheBlockWithinTheBitmap)
{
    constexpr COLOR FRAME = 0x001F;
    struct Case {
        const char* what;
        JUSTIFICATION box;
        POINT anchor;
        U32 width;
        Extent frame;
    };
    // One line: the block is 19 high, the frame 23.
    const Case cases[] = {
        {"bottom", JUSTIFICATION_BOTTOM, {100, 200}, 80, {98, 198, 181, 220}},
        {"top", JUSTIFICATION_TOP, {100, 200}, 80, {98, 180, 181, 202}},
        {"centre", JUSTIFICATION_CENTER, {100, 200}, 80, {98, 189, 181, 211}},
        {"at the corner", JUSTIFICATION_BOTTOM, {0, 0}, 80, {0, 0, 83, 22}},
        {"as wide as the bitmap", JUSTIFICATION_BOTTOM, {0, 100}, 798, {0, 98, 799, 120}},
    };
    for (const Case& c : cases) {
        gt::TestBitmap screen(800, 600, BACKGROUND);
        U_DIALOG_vDrawMessageBlockOutlined(screen, "AB", font, 0, JUSTIFICATION_LEFT, c.box, &c.anchor, c.width,
                                           0x07E0, 0xF800, FRAME);
        const auto frame = extentOf(screen, FRAME);
        ASSERT_TRUE(frame) << c.what;
        EXPECT_EQ(*frame, c.frame) << c.what;
    }
}

// --- Fatal path ----------------------------------------------------------------

class DialogDeathTest : public Dialog {
protected:
    vt::TempRoot root;
    void SetUp() override
    {
        root.exportEnv();
        Dialog::SetUp();
    }
};

TEST_F(DialogDeathTest, AJustificationARoutineDoesNotTakeResetsTheUnit)
{
    gt::TestBitmap screen(800, 600, BACKGROUND);
    const POINT anchor = {10, 10};
    EXPECT_EXIT(U_DIALOG_vDrawDialog(screen, "AB", font, 0, 100, nullptr, nullptr, JUSTIFICATION_LEFT,
                                     JUSTIFICATION_LEFT),
                ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(U_DIALOG_vDrawDialogWithConfirm(screen, "AB", font, 0, 100, "NO", "YES", JUSTIFICATION_LEFT,
                                                JUSTIFICATION_NOT_USED, TRUE, TRUE),
                ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(U_DIALOG_u32DrawMessageBlock(screen, "AB", font, 0, JUSTIFICATION_LEFT, JUSTIFICATION_SCREEN_CENTER,
                                             &anchor, 80, 0, 0xFFFF),
                ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(U_DIALOG_vDrawMessageBlockOutlined(screen, "AB", font, 0, JUSTIFICATION_LEFT, JUSTIFICATION_RIGHT,
                                                   &anchor, 80, 0, 0xFFFF, 0x001F),
                ::testing::ExitedWithCode(10), "");
    const std::string log = vt::readFile(root.cwd() + "/FATAL.LOG");
    size_t count = 0;
    for (size_t at = log.find("error: Invalid box justification in u_dialog"); at != std::string::npos;
         at = log.find("error: Invalid box justification in u_dialog", at + 1))
        ++count;
    EXPECT_EQ(count, 4u) << log;
}

// --- The card ------------------------------------------------------------------

TEST_F(Dialog, CardOfDialogsInTheUnitsFonts)
{
    gt::TestBitmap screen(800, 600, 0x39E7);
    const FONT_DEF* large = std_16x17_font_def_ptr;
    const FONT_DEF* small = std_11x14_font_def_ptr;
    U_DIALOG_vDrawDialog(screen, "Sonar is off. Press the power key briefly to switch it on again.", large, 4, 300,
                         &SonarTab_icon, &Light_icon, JUSTIFICATION_CENTER, JUSTIFICATION_TOP);
    U_DIALOG_vDrawDialogWithConfirm(screen, "Restore the factory settings? Every waypoint stays.", large, 2, 360,
                                    "Cancel", "Restore", JUSTIFICATION_LEFT, JUSTIFICATION_CENTER, TRUE, TRUE);
    U_DIALOG_vDrawDialog(screen, "Saving", small, 0, 120, nullptr, &selected_radio_button, JUSTIFICATION_RIGHT,
                         JUSTIFICATION_BOTTOM);
    const POINT anchor = {40, 60};
    U_DIALOG_vDrawMessageBlockOutlined(screen, "Press and hold POWER to turn unit Off", small, 2,
                                       JUSTIFICATION_CENTER, JUSTIFICATION_CENTER, &anchor, 220, color(65),
                                       color(68), color(67));
    const POINT plain = {520, 100};
    U_DIALOG_u32DrawMessageBlock(screen, "A plain block, its text wrapped to the full width", small, 0,
                                 JUSTIFICATION_RIGHT, JUSTIFICATION_TOP, &plain, 200, color(64), color(68));
    expectGolden(screen, "dialog_card");
}

} // namespace
