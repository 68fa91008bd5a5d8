// The start-up screens as drawn: the splash screen with the owner text, the
// start-up menu, a System Status page (compared with checked-in pictures),
// and the rules the pictures do not show: which parts appear for which
// model and state.
#include "system/t_startup.h"

#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "graphics/g_png.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr COLOR SCREEN = 0x1234;

void expectGolden(gt::TestBitmap& screen, const char* name)
{
    gt::expectGolden(screen, "system/tests/golden", name);
}

class Screens : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool once = [] {
            U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
            G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
            return true;
        }();
        (void)once;
        H_DATABASE_vInit();
        T_STARTUP_vResetForTests();
    }
    void TearDown() override { T_STARTUP_vResetForTests(); }
    static void withState(void (*edit)(STARTUP_STATE_VIEW&))
    {
        STARTUP_STATE_VIEW s = T_STARTUP_sGetState();
        edit(s);
        T_STARTUP_vSetForTests(&s);
    }
    static void draw(DRAW_FUNCTION* pfn, gt::TestBitmap& screen)
    {
        WINDOW_SPECIFICATION spec = {};
        pfn(screen, &spec);
    }
    // Pixels of the colour within rows y0..y1 (from the bottom).
    static size_t countIn(gt::TestBitmap& screen, COLOR c, int y0, int y1)
    {
        size_t n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = 0; x < 800; ++x)
                n += screen.at(x, y) == c;
        return n;
    }
};

const std::string SEP(1, STARTUP_LINE_SEPARATOR);

TEST_F(Screens, TheSplashWithTheModelNameAndThreeLinesOfOwnerText)
{
    H_DATABASE_bUpdateValueU32(FCID("SLNG"), 0, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SMDL"), 410, P_NORMAL);
    const std::string owner = "A" + SEP + SEP + "B";
    T_STARTUP_vSetOwnerTextForTests(owner.data(), (U32)owner.size());
    gt::TestBitmap screen(800, 600, SCREEN);
    draw(T_STARTUP_vDisplaySplashScreen, screen);
    expectGolden(screen, "startup_splash");

    // Every frame shows the same lines.
    gt::TestBitmap again(800, 600, SCREEN);
    draw(T_STARTUP_vDisplaySplashScreen, again);
    EXPECT_EQ(gt::toRgb(again).data, gt::toRgb(screen).data);
}

TEST_F(Screens, TheSplashShowsOnlyWhatItsKeysAllow)
{
    // The owner text's colour appears only with a model that has a name
    // picture; the hint only once the language exists.
    struct Case {
        const char* what;
        int language; // -1 absent
        int model;    // -1 absent
        bool hint;
        bool owner;
    };
    const Case cases[] = {
        {"no language yet: the picture alone", -1, 410, false, false},
        {"model 409", 0, 409, true, true},
        {"another model: no name, no owner text", 0, 500, true, false},
        {"no model key: 517, the same", 0, -1, true, false},
    };
    gt::TestBitmap bare(800, 600, SCREEN);
    draw(T_STARTUP_vDisplaySplashScreen, bare);
    const std::string owner = "OWNER";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        H_DATABASE_vInit();
        if (c.language >= 0)
            H_DATABASE_bUpdateValueU32(FCID("SLNG"), (U32)c.language, P_NORMAL);
        if (c.model >= 0)
            H_DATABASE_bUpdateValueU32(FCID("SMDL"), (U32)c.model, P_NORMAL);
        T_STARTUP_vSetOwnerTextForTests(owner.data(), (U32)owner.size());
        gt::TestBitmap screen(800, 600, SCREEN);
        draw(T_STARTUP_vDisplaySplashScreen, screen);
        EXPECT_EQ(countIn(screen, gCOLOR_pcolColorTable[199], 0, 10) > 1000, c.hint);
        EXPECT_EQ(screen.count(0xFEC0) > 0, c.owner);
        if (!c.hint) {
            EXPECT_EQ(gt::toRgb(screen).data, gt::toRgb(bare).data);
        }
    }
}

TEST_F(Screens, TheStartUpMenuWithSimulatorHighlighted)
{
    withState([](STARTUP_STATE_VIEW& s) {
        s.s32MenuLine = 1;
        s.bTransducerConnected = FALSE;
    });
    gt::TestBitmap screen(800, 600, SCREEN);
    draw(T_STARTUP_vDisplayStartupMenu, screen);
    expectGolden(screen, "startup_menu");
}

TEST_F(Screens, OnlyTheHighlightedRowIsWhiteAndANarrowScreenPutsTheHintAlone)
{
    // Rows 0-2 highlighted in turn: the highlight colour moves down.
    int previous = 1 << 30;
    for (S32 line = 0; line < 3; ++line) {
        withState([](STARTUP_STATE_VIEW& s) { s.s32MenuLine = 0; });
        STARTUP_STATE_VIEW s = T_STARTUP_sGetState();
        s.s32MenuLine = line;
        T_STARTUP_vSetForTests(&s);
        gt::TestBitmap screen(800, 600, SCREEN);
        draw(T_STARTUP_vDisplayStartupMenu, screen);
        int top = -1;
        for (int y = 599; y >= 0 && top < 0; --y)
            if (screen.at(400, y) == gCOLOR_pcolColorTable[64])
                top = y;
        ASSERT_GE(top, 0) << line;
        EXPECT_LT(top, previous) << "row " << line << " lies below the one above";
        previous = top;
    }
    // Too narrow for icon and hint: the hint alone from x = 2, no icon.
    gt::TestBitmap narrow(90, 600, SCREEN);
    draw(T_STARTUP_vDisplayStartupMenu, narrow);
    EXPECT_EQ(narrow.at(0, 60), gCOLOR_pcolColorTable[77]);
    EXPECT_EQ(narrow.count(gCOLOR_pcolColorTable[80 + 12]), 0u) << "no icon colours";
    gt::TestBitmap wide(800, 600, SCREEN);
    draw(T_STARTUP_vDisplayStartupMenu, wide);
    EXPECT_GT(wide.count(gCOLOR_pcolColorTable[80 + 12]), 100u) << "the icon beside the hint";
}

TEST_F(Screens, ASystemStatusPage)
{
    H_DATABASE_bUpdateValueU32(FCID("SIPA"), 192u << 24 | 168u << 16 | 1u << 8 | 20u, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SMAC"), 0x123456, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("IVLT"), 12.6f, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SAGE"), 36000, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SEDU"), 1015, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SEIU"), 3, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SENU"), 42, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("CREV"), 2, P_NORMAL);
    gt::TestBitmap screen(800, 600, SCREEN);
    draw(T_STARTUP_vDrawSelfTestView, screen);
    expectGolden(screen, "startup_system_status");
}

TEST_F(Screens, TheDisclaimerAndTheTransducerMessage)
{
    // Finished: a plain colour-76 page.
    withState([](STARTUP_STATE_VIEW& s) { s.eDisclaimerState = DISCLAIMER_FINISHED; });
    gt::TestBitmap plain(800, 600, SCREEN);
    draw(T_STARTUP_vDisplayDisclaimer, plain);
    EXPECT_EQ(plain.count(gCOLOR_pcolColorTable[76]), 800u * 600u);
    withState([](STARTUP_STATE_VIEW& s) { s.eDisclaimerState = DISCLAIMER_ACTIVE; });
    gt::TestBitmap shown(800, 600, SCREEN);
    draw(T_STARTUP_vDisplayDisclaimer, shown);
    EXPECT_GT(shown.count(gCOLOR_pcolColorTable[78]), 1000u) << "the paragraphs";
    EXPECT_GT(countIn(shown, gCOLOR_pcolColorTable[199], 1, 5), 700u) << "the bottom line";

    // The burn-in text is longer than the plain message's; both are boxes.
    auto boxWidth = [](gt::TestBitmap& s) {
        int left = 800, right = -1;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (s.at(x, y) != SCREEN)
                    left = std::min(left, x), right = std::max(right, x);
        return right - left + 1;
    };
    withState([](STARTUP_STATE_VIEW& s) { s.eState = STATE_POINT_OF_SALE; });
    gt::TestBitmap message(800, 600, SCREEN);
    draw(T_STARTUP_vDrawTransducerNotDetected, message);
    withState([](STARTUP_STATE_VIEW& s) { s.eState = STATE_BURN_IN; });
    gt::TestBitmap burnIn(800, 600, SCREEN);
    draw(T_STARTUP_vDrawTransducerNotDetected, burnIn);
    EXPECT_GT(boxWidth(message), 100);
    EXPECT_GT(boxWidth(burnIn), boxWidth(message) - 60);
    EXPECT_NE(gt::toRgb(burnIn).data, gt::toRgb(message).data);
}

} // namespace
