// The menu layers drawn from a menu state set up by hand: where the hot,
// main, sub-menu and confirmation menus put their frames, rows and tabs,
// how wide the rows are, and two pictures checked against golden copies.
#include "ui/tests/draw_fixture.h"

#include "graphics/g_string.h"
#include "testing/t_root.h"
#include "ui/menu_icons.h"
#include "ui/t_menu.h"
#include "ui/t_menu_draw.h"

#include <memory>
#include <string>
#include <vector>

using namespace t_menu;
using dtest::BACKGROUND;
using dtest::color;

namespace {

const FONT_DEF* f16() { return std_16x17_font_def_ptr; }
const FONT_DEF* f11() { return std_11x14_font_def_ptr; }
int w16(const char* pc) { return (int)G_STRING_u32GetWidth(f16(), reinterpret_cast<const BYTE*>(pc)); }
int w11(const char* pc) { return (int)G_STRING_u32GetWidth(f11(), reinterpret_cast<const BYTE*>(pc)); }
int h11() { return (int)G_STRING_u32GetHeight(f11()); }

const MENU_LIMITS PERCENT[] = {{U_NONE, 0.0f, 100.0f, 1.0f}};

class MenuLayers : public ::testing::Test {
protected:
    void SetUp() override
    {
        dtest::prepareWorld();
        reset();
    }
    void TearDown() override
    {
        reset();
        T_MENU_vInstallDrawNeighbours(nullptr);
    }

    static void reset()
    {
        s_activeMenu = NO_MENU;
        s_numActiveMenuItems = 0;
        s_activeMenuItemIndex = 0;
        s_TopMenuItem = s_BottomMenuItem = s_TopSubMenuItem = 0;
        s_bMenuHidden = FALSE;
        s_bShowMenuList = TRUE;
        s_bConfirmActive = FALSE;
        s_bActivatingMainMenu = FALSE;
        s_bMenuItemActive = TRUE;
        s_activeHotMenu = 0;
        s_hotMenus[0] = {};
        s_menuLevel = 0;
        for (MENU_TAB& tab : s_mainMenuTabs)
            tab = {};
        s_lastTabIndex = -1;
        s_activeTab = 0;
    }

    // A title table that lives as long as the test.
    const TEXT_TABLE* text(const std::string& s)
    {
        strings_.push_back(std::make_unique<std::string>(s));
        auto table = std::make_unique<const char*[]>(DB_NUM_LANGUAGES);
        for (U32 i = 0; i < DB_NUM_LANGUAGES; ++i)
            table[i] = strings_.back()->c_str();
        tables_.push_back(std::move(table));
        return reinterpret_cast<const TEXT_TABLE*>(tables_.back().get());
    }

    // An item appended to the visible list.
    MENU_ITEM* add(const std::string& title, MENU_CONTROL control)
    {
        items_.push_back(std::make_unique<MENU_ITEM>());
        MENU_ITEM* p = items_.back().get();
        memset(static_cast<void*>(p), 0, sizeof *p);
        p->pMenuTitle = text(title);
        p->control = control;
        p->priority = (MENU_PRIORITY)10;
        p->dataFormat = DF_FLOAT;
        s_activeMenuList[s_numActiveMenuItems++] = p;
        return p;
    }

    MENU_ITEM* slider(const std::string& title, float value)
    {
        MENU_ITEM* p = add(title, M_SLIDER);
        p->parameters.slider.pLimits = PERCENT;
        p->value.fVal = value;
        return p;
    }

    MENU_ITEM* selector(const std::string& title, U8 choice)
    {
        static const TEXT_TABLE off = ALL_LANGUAGES("Off");
        static const TEXT_TABLE on = ALL_LANGUAGES("On");
        static const TEXT_TABLE* const choices[2] = {&off, &on};
        static const U32 values[2] = {0, 1};
        MENU_ITEM* p = add(title, M_SELECTION_BOX);
        p->parameters.selectionBox.pSelectionList = choices;
        p->parameters.selectionBox.pSelectionValueArray = values;
        p->parameters.selectionBox.numberSelections = 2;
        p->parameters.selectionBox.CurSelection = choice;
        return p;
    }

    void openHotMenu(S32 highlighted)
    {
        s_activeMenu = EXPRESS_MENU;
        s_hotMenus[0].numMenuItems = std::max<S16>(s_numActiveMenuItems, 3);
        s_activeMenuItemIndex = highlighted;
    }

    std::vector<std::unique_ptr<std::string>> strings_;
    std::vector<std::unique_ptr<const char*[]>> tables_;
    std::vector<std::unique_ptr<MENU_ITEM>> items_;
};

// ---- Geometry ----

TEST_F(MenuLayers, HotMenuOfTwelveShowsNineRowsAndOnlyTheDownwardArrow)
{
    for (int i = 1; i <= 12; ++i)
        add("Item " + std::to_string(i), M_ACTION);
    for (S32 highlighted : {0, 4, 8}) {
        SCOPED_TRACE(highlighted);
        openHotMenu(highlighted);
        gt::TestBitmap screen(800, 600, BACKGROUND);
        T_MENU_vDrawHotMenuLayer(screen, nullptr);
        EXPECT_EQ(s_TopMenuItem, 0);
        EXPECT_EQ(s_BottomMenuItem, 8);

        const int width = (int)s_minMenuWidth;
        const int x = (800 - width) / 2 - 1;
        const int y = 596 - 9 * 54 - 2;
        EXPECT_EQ(screen.at(x + 20, y), color(64)) << "the frame's foot";
        EXPECT_EQ(screen.at(x + 20, y + 9 * 54 + 4), color(64)) << "the frame's head";
        EXPECT_EQ(screen.at(x + 20, y + 9 * 54 + 5), BACKGROUND);
        // Nine rows, their upper lines 54 apart; the highlighted one is
        // recorded where its row goes.
        const int topRow = y + 3 + 9 * 54 - 55;
        for (int row = 0; row < 9; ++row) {
            const COLOR line = screen.at(x + 10, topRow - row * 54 + 1);
            EXPECT_TRUE(line == color(66) || line == color(65)) << "row " << row;
        }
        EXPECT_EQ(s_activeItemAnchor.x, x + 2);
        EXPECT_EQ(s_activeItemAnchor.y, topRow - highlighted * 54);

        // The scroll tab below the frame: a downward arrow on its right
        // half, nothing on its left.
        const int tabX = x + width + 4 - 75;
        const int tabY = y - 18;
        EXPECT_EQ(screen.at(tabX + 2, tabY + 1), color(67));
        EXPECT_FALSE(dtest::columnsOf(screen, tabY + 13, color(66), tabX + 38, tabX + 72).empty()) << "down";
        for (int row = tabY; row <= tabY + 18; ++row)
            EXPECT_TRUE(dtest::columnsOf(screen, row, color(66), tabX, tabX + 37).empty()) << "no up arrow";
    }
}

TEST_F(MenuLayers, HotMenuWithNothingVisibleSaysSoInOneRow)
{
    openHotMenu(0); // three items registered, none visible at this level
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_MENU_vDrawHotMenuLayer(screen, nullptr);
    const int width = w16("No Menus Available") + 12;
    EXPECT_EQ(s_minMenuWidth, (U32)width);
    const auto frame = dtest::extentOf(screen, color(64));
    ASSERT_TRUE(frame);
    EXPECT_EQ(*frame, (dtest::Extent{(800 - width) / 2 - 1, 596 - 54 - 2, (800 - width) / 2 + width + 2, 598}));
    const auto words = dtest::extentOf(screen, color(68));
    ASSERT_TRUE(words) << "the row's text";
    EXPECT_NEAR(words->left, (800 - width) / 2 - 1 + 2 + 6, 3) << "the row's title place";
}

TEST_F(MenuLayers, ConfirmationStaysInsideTheFrame)
{
    add("Delete all", M_ACTION)->parameters.action.confirm = TRUE;
    openHotMenu(0);
    s_bConfirmActive = TRUE;
    s_minMenuWidth = 300;
    struct Case {
        S32 rowY;
        int bottom, top;
    };
    const Case cases[] = {
        {300, 273, 380},
        {494, 493, 599}, // within 106 of the top: ends at the top edge
        {560, 493, 599},
        {493, 466, 573},
        {26, 0, 107}, // within 27 of the bottom: starts at the bottom edge
        {0, 0, 107},
        {27, 0, 107},
    };
    for (const Case& c : cases) {
        s_activeItemAnchor = {100, c.rowY};
        gt::TestBitmap screen(800, 600, BACKGROUND);
        T_MENU_vDrawConfirmMenuLayer(screen, nullptr);
        const auto panel = dtest::extentOf(screen, std::nullopt);
        ASSERT_TRUE(panel) << c.rowY;
        EXPECT_EQ(panel->bottom, c.bottom) << c.rowY;
        EXPECT_EQ(panel->top, c.top) << c.rowY;
        EXPECT_EQ((panel->left + panel->right + 1) / 2, 100 + 150) << "centred on the row";
        EXPECT_TRUE(dtest::extentOf(screen, color(71))) << "the panel's background";
    }
}

TEST_F(MenuLayers, ManyTabsSqueezeIntoA790PixelBar)
{
    for (int i = 0; i < NUM_TAB_PRIORITIES; ++i)
        s_mainMenuTabs[i] = {text("Tab " + std::to_string(i)), M_BASIC, nullptr, 0, TRUE, nullptr, nullptr};
    s_mainMenuTabs[5].pTabTitle = text(std::string(25, 'W') + " settings");
    s_lastTabIndex = NUM_TAB_PRIORITIES - 1;
    s_activeTab = 5;
    s_activeMenu = MAIN_MENU;
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_MENU_vDrawMainMenuLayer(screen, nullptr);
    // Only the background reaches the row above the tabs.
    const std::vector<int> background = dtest::columnsOf(screen, 598, color(64), 0, 799);
    ASSERT_FALSE(background.empty());
    EXPECT_EQ(background.front(), 0);
    EXPECT_EQ(background.back(), 795);
    // The unselected tabs overlap: fewer than 44 pixels apart.
    const int sel = w11((std::string(25, 'W') + " settings").c_str()) + 16;
    const int advance = (786 - sel) / (NUM_TAB_PRIORITIES - 1);
    ASSERT_GT(advance, 0);
    ASSERT_LT(advance, 44);
    const int tabY = 590 - h11();
    EXPECT_EQ(screen.at(3 + advance, tabY + (h11() + 6) / 2), color(66)) << "the second tab's outline";
}

TEST_F(MenuLayers, OverWideMenuIsClampedTo797)
{
    s_activeMenu = EXPRESS_MENU;
    add(std::string(80, 'W'), M_ACTION);
    EXPECT_EQ(T_MENU_u32FindMinMenuWidths(1), 797u);
}

// ---- Widths ----

TEST_F(MenuLayers, RowWidthIsTheWiderOfTitleAndControl)
{
    const int zero = w11("0");
    const int arrows = 18 + 2 * ((h11() - 1) / 2);
    struct Case {
        const char* name;
        MENU_CONTROL control;
        DATA_FORMAT format;
        S32 minimum, maximum; // numeric entries
        int expected;
    };
    const Case cases[] = {
        {"slider", M_SLIDER, DF_FLOAT, 0, 0, 160 + 2 * (w11("100") + 4)},
        {"progress bar", M_PROGRESS_BAR, DF_FLOAT, 0, 0, 160 + 2 * (w11("High") + 4)},
        // Numeric entries: the box, the captions and the arrows.
        {"numeric 0..99", M_NUMERIC_ENTRY, DF_UNSIGNED32, 0, 99, 2 * zero + 6 + 2 * (w11("99") + 8) + 40},
        {"numeric 0..0", M_NUMERIC_ENTRY, DF_UNSIGNED32, 0, 0, zero + 6 + 2 * (w11("0") + 8) + 40},
        {"numeric -10..0", M_NUMERIC_ENTRY, DF_SIGNED32, -10, 0, 3 * zero + 6 + 2 * (w11("-10") + 8) + 40},
        {"numeric float 0..0", M_NUMERIC_ENTRY, DF_FLOAT, 0, 0, 3 * zero + 6 + 2 * (w11("0") + 8) + 40},
        {"selection box", M_SELECTION_BOX, DF_UNSIGNED32, 0, 0, 148 + arrows},
        {"check list", M_CHECK_LIST, DF_UNSIGNED32, 0, 0, w16("Tracks") + 10 + 44},
        {"icon", M_ACTION, DF_UNSIGNED32, 0, 0, w16("Tracks") + 10 + 22 + 6},
    };
    static const TEXT_TABLE low = ALL_LANGUAGES("Low");
    static const TEXT_TABLE high = ALL_LANGUAGES("High");
    for (const Case& c : cases) {
        reset();
        s_activeMenu = EXPRESS_MENU;
        MENU_ITEM* p = nullptr;
        switch (c.control) {
        case M_SLIDER:
            p = slider("V", 50.0f);
            break;
        case M_PROGRESS_BAR:
            p = add("V", M_PROGRESS_BAR);
            p->parameters.progressBar.pCtrlTextLeft = &low;
            p->parameters.progressBar.pCtrlTextRight = &high;
            break;
        case M_SELECTION_BOX:
            p = selector("V", 0);
            break;
        case M_NUMERIC_ENTRY:
            p = add("V", c.control);
            break;
        default:
            p = add("Tracks", c.control);
            break;
        }
        p->dataFormat = c.format;
        if (c.control == M_NUMERIC_ENTRY) {
            M_NUMERIC_ENTRY_PARAMETERS& n = p->parameters.numericEntry;
            if (c.format == DF_FLOAT) {
                n.minValue.fVal = (float)c.minimum;
                n.maxValue.fVal = (float)c.maximum;
                n.u8precision = 2;
            } else {
                n.minValue.s32Val = c.minimum;
                n.maxValue.s32Val = c.maximum;
            }
            snprintf(n.minString, sizeof n.minString, "%d", (int)c.minimum);
            snprintf(n.maxString, sizeof n.maxString, "%d", (int)c.maximum);
        }
        if (std::string(c.name) == "icon")
            p->pMenuIcon = &unselected_radio_button;
        EXPECT_EQ(T_MENU_u32FindMinMenuWidths(1), (U32)c.expected) << c.name;
    }
}

// ---- Object names and sources ----

void copyNamedWaypoint(U32 u32Index, MENU_NAV_OBJECT* pObject)
{
    snprintf(pObject->acName, sizeof pObject->acName, "Harbour%u", u32Index);
    pObject->s32IconNumber = u32Index == 7 ? 71 : 3;
}
BOOLEAN sourceMissing(U32) { return FALSE; }

TEST_F(MenuLayers, ActionListsNameTheirObjectAndMissingSourcesAreGreyed)
{
    T_MENU_DRAW_NEIGHBOURS hooks = {};
    hooks.pfnCopyWaypoint = copyNamedWaypoint;
    hooks.pfnIsSourceAvailable = sourceMissing;
    T_MENU_vInstallDrawNeighbours(&hooks);
    s_activeMenu = EXPRESS_MENU;
    H_DATABASE_bUpdateEverythingU32(FCID("CLWC"), 2, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    MENU_ITEM* p = add("Go", M_ACTION_LIST);
    p->parameters.actionList.FourCharId = FCID("CLWC");
    EXPECT_EQ(T_MENU_u32FindMinMenuWidths(1), (U32)(w16("Go") + 10 + w16(" Harbour2")));
    // The position-hold icon names the row after the hold.
    H_DATABASE_bUpdateValueU32(FCID("CLWC"), 7, P_NORMAL);
    EXPECT_EQ(T_MENU_u32FindMinMenuWidths(1), (U32)(w16("Stayvane") + 10 + w16(" Harbour7")));

    // A row at a data-source place whose source is missing.
    add("Engine source", M_ACTION)->priority = (MENU_PRIORITY)400;
    add("Other", M_ACTION);
    openHotMenu(0);
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_MENU_vDrawHotMenuLayer(screen, nullptr);
    const auto grey = dtest::extentOf(screen, color(34));
    ASSERT_TRUE(grey);
    EXPECT_GE(grey->bottom, (int)s_activeItemAnchor.y - 54) << "only the second row's title";
    EXPECT_LT(grey->top, (int)s_activeItemAnchor.y);
}

TEST_F(MenuLayers, HiddenMenusDrawNothing)
{
    slider("Gain", 50.0f);
    openHotMenu(0);
    s_bConfirmActive = TRUE;
    s_bMenuHidden = TRUE;
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_MENU_vDrawHotMenuLayer(screen, nullptr);
    T_MENU_vDrawConfirmMenuLayer(screen, nullptr);
    s_activeMenu = MAIN_MENU;
    T_MENU_vDrawMainMenuLayer(screen, nullptr);
    EXPECT_FALSE(dtest::extentOf(screen, std::nullopt));
}

TEST_F(MenuLayers, ActionListOnAnUnknownKeyEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child keeps this root
    vt::TempRoot root;
    root.exportEnv();
    s_activeMenu = EXPRESS_MENU;
    add("Go", M_ACTION_LIST)->parameters.actionList.FourCharId = FCID("ABCD");
    EXPECT_EXIT(T_MENU_u32FindMinMenuWidths(1), testing::ExitedWithCode(10), "");
    EXPECT_NE(vt::readFile(root.cwd() + "/FATAL.LOG").find("FCID Not in menu list"), std::string::npos);
}

TEST_F(MenuLayers, SubMenusSitByKindAndRecordTheirWindow)
{
    static const TEXT_TABLE name = ALL_LANGUAGES("Depth");
    s_subMenus[0].pSubMenuName = &name;
    s_singleCenteredMenus[0].pSingleCenteredMenuName = &name;
    s_activeSubMenu[1] = 0;
    s_activeSingleCenteredMenu = 0;
    add("Offset", M_ACTION);
    add("Alarm", M_ACTION);
    struct Case {
        ACTIVE_MENU menu;
        bool bHeader;
    };
    for (const Case& c : {Case{MAIN_SUB_MENU, true}, Case{EXPRESS_SUB_MENU, true}, Case{SINGLE_CENTERED_MENU, false}}) {
        s_activeMenu = c.menu;
        s_menuLevel = 1;
        s_TopSubMenuItem = s_TopSingleCenteredMenuItem = 0;
        s_BottomMenuItem = 1;
        s_activeMenuItemIndex = 1;
        MenuItemRange[1] = {};
        gt::TestBitmap screen(800, 600, BACKGROUND);
        T_MENU_vDrawSubMenuLayer(screen, nullptr);
        const int width = (int)s_minMenuWidth;
        const int x = c.menu == EXPRESS_SUB_MENU ? 402 - width / 2 : c.menu == SINGLE_CENTERED_MENU ? (800 - width) / 2 : 0;
        EXPECT_EQ(s_activeItemAnchor.x, x) << c.menu;
        const int top = c.bHeader ? 590 - h11() : 596;
        EXPECT_EQ(s_activeItemAnchor.y, top - 55 - 54) << c.menu;
        const auto drawn = dtest::extentOf(screen, std::nullopt);
        ASSERT_TRUE(drawn);
        EXPECT_EQ(drawn->top, c.bHeader ? 598 : 596) << c.menu;
        if (c.menu == MAIN_SUB_MENU) {
            EXPECT_EQ(MenuItemRange[1].s32_TopMenuItem, 0);
            EXPECT_EQ(MenuItemRange[1].s32_BottomMenuItem, 1);
            EXPECT_EQ(MenuItemRange[1].s32_LastActiveMenuIndex, 1);
        }
    }
}

TEST_F(MenuLayers, QuickSetupShowsThreeRowsUnderItsMessage)
{
    for (int i = 1; i <= 4; ++i)
        add("Choice " + std::to_string(i), M_ACTION);
    s_activeMenu = QUICK_SETUP_MENU;
    s_TopMenuItem = 0;
    s_BottomMenuItem = 2;
    s_activeMenuItemIndex = 3; // moved below the window
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_MENU_vDrawQuickMenuLayer(screen, nullptr);
    EXPECT_EQ(s_TopMenuItem, 1);
    EXPECT_EQ(s_BottomMenuItem, 3);
    const int height = 3 * 55 + 34;
    const int y = (705 - height) / 2;
    // One line, its box standing on the frame.
    const int boxX = (800 - (w16("Choose settings and EXIT to continue") - 1)) / 2 - 2;
    EXPECT_EQ(screen.at(boxX + 2, y + height + 2 + 3), color(128)) << "the message box";
    EXPECT_EQ(screen.at(boxX + 2, y + height + 2 + 31), BACKGROUND) << "31 high";
    // The highlighted entry is the window's last row.
    EXPECT_EQ(s_activeItemAnchor.y, y + height - 33 - 55 - 2 * 54);
    EXPECT_TRUE(dtest::extentOf(screen, color(131))) << "frame and text";
}

// ---- Pictures ----

TEST_F(MenuLayers, HotMenuWithSliderPicture)
{
    selector("Range Auto", 1);
    add("Zoom", M_ACTION);
    slider("Gain", 62.0f);
    for (int i = 0; i < 9; ++i)
        add("Setting " + std::to_string(i + 1), i % 2 == 0 ? M_ACTION : M_SUB_MENU);
    openHotMenu(2);
    s_BottomMenuItem = 8; // as opening the menu leaves it
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_MENU_vDrawHotMenuLayer(screen, nullptr);
    dtest::expectGolden(screen, "menu_hot_slider");
}

TEST_F(MenuLayers, MainMenuWithOpenListAndConfirmationPicture)
{
    const char* names[] = {"Sonar", "Navigation", "Setup"};
    for (int i = 0; i < 3; ++i)
        s_mainMenuTabs[i] = {text(names[i]), M_BASIC, nullptr, 0, TRUE, nullptr, nullptr};
    s_mainMenuTabs[0].pTabIcon = &unselected_radio_button;
    s_mainMenuTabs[2].pTabIcon = &selected_radio_button;
    s_lastTabIndex = 2;
    s_activeTab = 1;

    static const TEXT_TABLE del = ALL_LANGUAGES("Delete");
    static const TEXT_TABLE edit = ALL_LANGUAGES("Edit");
    static const TEXT_TABLE share = ALL_LANGUAGES("Share");
    static const TEXT_TABLE* const choices[3] = {&del, &edit, &share};
    static const BOOLEAN confirm[3] = {TRUE, FALSE, FALSE};
    selector("Units", 0);
    MENU_ITEM* list = add("Waypoints", M_ACTION_LIST);
    list->parameters.actionList.pActionListChoices = choices;
    list->parameters.actionList.numberChoices = 3;
    list->parameters.actionList.bConfirm = confirm;
    list->parameters.actionList.bIsActive = TRUE;
    list->value.u32Val = 0;
    slider("Brightness", 30.0f);
    s_activeMenu = MAIN_MENU;
    s_activeMenuItemIndex = 1;
    s_TopMenuItem = 0;
    s_BottomMenuItem = 2;
    s_bConfirmActive = TRUE;
    gt::TestBitmap screen(800, 600, BACKGROUND);
    T_MENU_vDrawMainMenuLayer(screen, nullptr);
    EXPECT_EQ(MenuItemRange[0].s32_TopMenuItem, 0);
    EXPECT_EQ(MenuItemRange[0].s32_BottomMenuItem, 2);
    EXPECT_EQ(MenuItemRange[0].s32_LastActiveMenuIndex, 1);
    T_MENU_vDrawConfirmMenuLayer(screen, nullptr);
    dtest::expectGolden(screen, "menu_main_confirm");
}

} // namespace
