// The menu task run as task 15 and driven through its mailbox and the data
// store, as the keyboard task and the registering tasks drive it: which
// menu opens, the keys and layers it takes and gives back, the visible
// list and its highlight, and the menu keys.
#include "graphics/tests/g_testing.h"
#include "ui/tests/menu_task_world.h"

#include <atomic>
#include <string>

using namespace mt;
using namespace t_menu;

namespace {

// The main menu's layer drawn once, as the view task would (its first
// drawing lists the open tab).
void drawMainMenu()
{
    gt::TestBitmap screen(800, 600, 0);
    T_MENU_vDrawMainMenuLayer(screen, nullptr);
}

using Lines = std::vector<std::string>;

constexpr LAYER_ID VIEW = 10; // the current view of fresh()
constexpr LAYER_ID OTHER_VIEW = 11;

const TEXT_TABLE txtA = MT_TEXT("A");
const TEXT_TABLE txtB = MT_TEXT("B");
const TEXT_TABLE txtC = MT_TEXT("C");
const TEXT_TABLE txtD = MT_TEXT("D");
const TEXT_TABLE txtX = MT_TEXT("X");
const TEXT_TABLE txtTab = MT_TEXT("Sonar");
const TEXT_TABLE txtInfo = MT_TEXT("Waypoint");
const TEXT_TABLE txtOff = MT_TEXT("Off");
TEXT_TABLE s_names[16] = {};
TEXT_TABLE s_subNames[8] = {};

const MENU_LIMITS aLimits0to100[1] = {{U_NONE, 0.0f, 100.0f, 1.0f}};

std::atomic<int> s_nActions{0};
void vAction(void) { ++s_nActions; }
std::atomic<int> s_nGoTos{0};
void vGoTo(void) { ++s_nGoTos; }

MENU_PRIORITY prio(int p) { return (MENU_PRIORITY)p; }

std::string nameOf(const TEXT_TABLE* p)
{
    for (int i = 0; i < 16; ++i)
        if (p == &s_names[i])
            return "n" + std::to_string(i);
    return p != nullptr && (*p)[0] != nullptr ? (*p)[0] : "?";
}

std::string title(const MENU_ITEM* p) { return p == nullptr ? "(none)" : nameOf(p->pMenuTitle); }

// The titles of the visible list.
Lines visible()
{
    Lines out;
    for (int i = 0; i < s_numActiveMenuItems; ++i)
        out.push_back(title(s_activeMenuList[i]));
    return out;
}

std::string highlighted() { return title(pHighlightedItem()); }

struct Window {
    S32 index, top, bottom;
    bool operator==(const Window&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Window& w)
{
    return os << "{index " << w.index << ", rows " << w.top << "-" << w.bottom << "}";
}
Window window() { return {s_activeMenuItemIndex, *ps32WindowTop(), *ps32WindowBottom()}; }

void hotAction(const TEXT_TABLE* pName, int p, LAYER_ID view = VIEW, BOOLEAN bConfirm = FALSE,
               MENU_USER_LEVEL level = M_BASIC, SPLIT_WINDOW_TYPE split = SPLIT_FULL_WINDOW)
{
    ASSERT_TRUE(U_MENU_bRegisterHotActionMenu(pName, nullptr, prio(p), vAction, bConfirm, level, view, split));
}

// n actions named s_names[0..n-1] in the hot menu of VIEW, opened.
void openHotMenuOf(int n)
{
    for (int i = 0; i < n; ++i)
        hotAction(&s_names[i], 10 + i);
    settle();
    ASSERT_EQ(press(KEY_MENU), GOOD);
    ASSERT_EQ(s_activeMenu, EXPRESS_MENU);
    clearMailboxes();
}

// ---- Opening ----

TEST_F(MenuTask, MenuOpensTheViewsHotMenuOrElseTheMainMenu)
{
    struct Case {
        const char* name;
        void (*setUp)();
        SPLIT_WINDOW_TYPE pane;
        ACTIVE_MENU opened;
    };
    const Case cases[] = {
        {"no hot menu for the view", [] { hotAction(&txtA, 1, OTHER_VIEW); }, SPLIT_FULL_WINDOW, MAIN_MENU},
        {"a hot menu without items", [] { U_MENU_bRegisterExpressMenu(VIEW, SPLIT_FULL_WINDOW); },
         SPLIT_FULL_WINDOW, MAIN_MENU},
        {"a hot menu whose items were removed",
         [] {
             hotAction(&txtA, 1);
             U_MENU_bUnregisterHotMenuItem(&txtA, VIEW, SPLIT_FULL_WINDOW);
         },
         SPLIT_FULL_WINDOW, MAIN_MENU},
        {"a hot menu of the other pane", [] { hotAction(&txtA, 1, VIEW, FALSE, M_BASIC, SPLIT_LEFT_WINDOW); },
         SPLIT_RIGHT_WINDOW, MAIN_MENU},
        {"a hot menu with an item", [] { hotAction(&txtA, 1); }, SPLIT_FULL_WINDOW, EXPRESS_MENU},
        {"a full-window hot menu seen from a pane", [] { hotAction(&txtA, 1); }, SPLIT_LEFT_WINDOW, EXPRESS_MENU},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        c.setUp();
        setS32("CVAS", c.pane);
        settle();
        clearMailboxes();
        EXPECT_EQ(press(KEY_MENU), GOOD);
        EXPECT_EQ(s_activeMenu, c.opened);
        EXPECT_EQ(fetchU32("CMNU"), (U32)c.opened);
        EXPECT_EQ(keyMails(), (Lines{"+FB8A 5", "+10 5"}));
        if (c.opened == EXPRESS_MENU) {
            EXPECT_EQ(layerMails(), Lines{"+273"});
            EXPECT_EQ(highlighted(), "A");
        } else {
            EXPECT_EQ(layerMails(), (Lines{"-273", "+274"}));
            EXPECT_FALSE(s_bMenuItemActive) << "the main menu opens on its tab bar";
        }
    }
}

TEST_F(MenuTask, MenuGoesFromTheHotMenuToTheMainMenuAndClosesIt)
{
    openHotMenuOf(3);
    ASSERT_EQ(tap(CURSOR_SOUTH), GOOD);
    ASSERT_EQ(press(KEY_MENU), GOOD);
    EXPECT_EQ(fetchU32("CMNU"), (U32)MAIN_MENU);
    EXPECT_EQ(layerMails(), (Lines{"-273", "+274"}));
    EXPECT_TRUE(keyMails().empty()) << "the keys stay taken";
    EXPECT_EQ(s_hotMenus[0].lastUsedMenuItem, 1);

    ASSERT_EQ(press(KEY_MENU), GOOD);
    EXPECT_EQ(fetchU32("CMNU"), (U32)NO_MENU);
    EXPECT_EQ(layerMails(), (Lines{"-293", "-275", "-274", "-273"}));
    EXPECT_EQ(keyMails(), Lines{"-FB92"});

    // Opened again, the hot menu shows the item it last showed.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    clearMailboxes();
    ASSERT_EQ(press(KEY_MENU), GOOD);
    EXPECT_EQ(highlighted(), "n1");
}

TEST_F(MenuTask, InfoMenuListsOnlyTheItemsAskedFor)
{
    U_MENU_bRegisterInfoMenu(&txtInfo);
    for (const TEXT_TABLE* p : {&txtA, &txtB, &txtC})
        U_MENU_bRegisterInfoActionMenu(p, &txtInfo, prio((*p)[0][0]), vAction, FALSE, M_BASIC);
    settle();
    const TEXT_TABLE* const asked[] = {&txtA, &txtC};
    U_MENU_ActivateInfoMenu(&txtInfo, asked, 2);
    settle();
    EXPECT_EQ(fetchU32("CMNU"), (U32)INFO_MENU);
    EXPECT_EQ(visible(), (Lines{"A", "C"}));
    EXPECT_EQ(layerMails(), Lines{"+275"});
    EXPECT_EQ(keyMails(), (Lines{"+FB8A 5", "+10 5"}));
    EXPECT_EQ(s_BottomInfoMenuItem, 1);

    // Titles that are not in the menu leave no rows behind.
    fresh();
    U_MENU_bRegisterInfoMenu(&txtInfo);
    for (const TEXT_TABLE* p : {&txtA, &txtB, &txtC})
        U_MENU_bRegisterInfoActionMenu(p, &txtInfo, prio((*p)[0][0]), vAction, FALSE, M_BASIC);
    const TEXT_TABLE* const withUnknown[] = {&txtA, &txtX, &txtD, &txtC};
    U_MENU_ActivateInfoMenu(&txtInfo, withUnknown, 4);
    settle();
    EXPECT_EQ(visible(), (Lines{"A", "C"}));
    EXPECT_EQ(s_BottomInfoMenuItem, 1);
}

TEST_F(MenuTask, InfoMenuThatIsNotRegisteredDoesNotOpen)
{
    const TEXT_TABLE* const asked[] = {&txtA};
    U_MENU_ActivateInfoMenu(&txtInfo, asked, 1);
    settle();
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_EQ(fetchU32("CMNU"), (U32)NO_MENU);
    EXPECT_TRUE(keyMails().empty());
    EXPECT_TRUE(layerMails().empty());
}

TEST_F(MenuTask, RegistrationOrUserLevelChangeKeepsTheSameItemHighlighted)
{
    setU32("SUSR", M_ADVANCED);
    command(CMD_ID_RUN_SYSTEM); // from here on the task follows "CUSR"
    hotAction(&txtB, 20);
    hotAction(&txtC, 30, VIEW, FALSE, M_ADVANCED);
    hotAction(&txtD, 40);
    settle();
    ASSERT_EQ(press(KEY_MENU), GOOD);
    tap(CURSOR_SOUTH);
    tap(CURSOR_SOUTH);
    ASSERT_EQ(highlighted(), "D");

    hotAction(&txtA, 10);
    settle();
    EXPECT_EQ(visible(), (Lines{"A", "B", "C", "D"}));
    EXPECT_EQ(highlighted(), "D");

    setU32("CUSR", M_BASIC);
    settle();
    EXPECT_EQ(visible(), (Lines{"A", "B", "D"}));
    EXPECT_EQ(highlighted(), "D");
}

// ---- Closing and the EXIT key ----

TEST_F(MenuTask, ClosingKeepsExitFor400MsAndSwallowsExitPressesMeanwhile)
{
    openHotMenuOf(2);
    ASSERT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_EQ(keyMails(), Lines{"-FB92"});
    const auto closed = std::chrono::steady_clock::now();

    EXPECT_EQ(press(KEY_EXIT), NOTHING);
    EXPECT_EQ(press(KEY_EXIT), NOTHING);
    EXPECT_TRUE(keyMails().empty());

    ASSERT_TRUE(waitForMail(KEYBOARD_MAILBOX, 2000));
    EXPECT_GE(std::chrono::steady_clock::now() - closed, std::chrono::milliseconds(380));
    EXPECT_EQ(keyMails(), Lines{"-8"});
}

TEST_F(MenuTask, ClosingAgainWhileExitIsKeptLetsItGoAtOnce)
{
    openHotMenuOf(2);
    ASSERT_EQ(press(KEY_EXIT), GOOD);
    keyMails();
    U_MENU_vClearMenus();
    settle();
    EXPECT_EQ(keyMails(), Lines{"-8"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(keyMails().empty()) << "EXIT is let go once";
}

TEST_F(MenuTask, AnotherKeyEndsTheExitHoldAndOpeningTakesTheKeysOnce)
{
    openHotMenuOf(2);
    ASSERT_EQ(press(KEY_EXIT), GOOD);
    keyMails();
    ASSERT_EQ(press(KEY_MENU), GOOD);
    EXPECT_EQ(keyMails(), (Lines{"-8", "+FB8A 5", "+10 5"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(keyMails().empty());

    // An info menu opened over the hot menu registers no key twice: one
    // release gives every key back.
    U_MENU_bRegisterInfoMenu(&txtInfo);
    U_MENU_bRegisterInfoActionMenu(&txtA, &txtInfo, prio(1), vAction, FALSE, M_BASIC);
    const TEXT_TABLE* const asked[] = {&txtA};
    U_MENU_ActivateInfoMenu(&txtInfo, asked, 1);
    settle();
    EXPECT_EQ(s_activeMenu, INFO_MENU);
    EXPECT_TRUE(keyMails().empty());
}

TEST_F(MenuTask, ClosingFromAnotherTaskLetsExitGoAtOnce)
{
    openHotMenuOf(2);
    T_MENU_vRemoveMenus(); // in the test's thread
    EXPECT_EQ(keyMails(), (Lines{"-FB92", "-8"}));
    EXPECT_EQ(fetchU32("CMNU"), (U32)NO_MENU);
}

// ---- Keys ----

TEST_F(MenuTask, EastAndWestWaitHalfASecondAfterOpeningOrAVerticalMove)
{
    defineU32("TSLD", 5, D_UNKNOWN);
    U_MENU_bRegisterHotSliderMenu(&txtA, nullptr, prio(1), FCID("TSLD"), aLimits0to100, nullptr, nullptr, nullptr,
                                  M_BASIC, VIEW, SPLIT_FULL_WINDOW);
    hotAction(&txtB, 2);
    settle();
    press(KEY_MENU);
    MENU_ITEM* pSlider = pHighlightedItem();
    ASSERT_NE(pSlider, nullptr);
    EXPECT_EQ(tap(CURSOR_EAST), SILENT_SLIDER);
    EXPECT_EQ(pSlider->unitsValue.u32Val, 5u);
    letSettle();
    EXPECT_EQ(tap(CURSOR_EAST), GOOD_SLIDER);
    EXPECT_EQ(pSlider->unitsValue.u32Val, 6u);
    EXPECT_EQ(fetchU32("TSLD"), 6u);

    tap(CURSOR_SOUTH);
    tap(CURSOR_NORTH);
    EXPECT_EQ(tap(CURSOR_WEST), SILENT_SLIDER) << "too soon after the vertical move";
    letSettle();
    EXPECT_EQ(tap(CURSOR_WEST), GOOD_SLIDER);
    EXPECT_EQ(fetchU32("TSLD"), 5u);
}

TEST_F(MenuTask, HeldCursorStepsOncePerEventUntilCount20ThenCountLess19)
{
    defineU32("TSLD", 10, D_UNKNOWN);
    U_MENU_bRegisterHotSliderMenu(&txtA, nullptr, prio(1), FCID("TSLD"), aLimits0to100, nullptr, nullptr, nullptr,
                                  M_BASIC, VIEW, SPLIT_FULL_WINDOW);
    settle();
    press(KEY_MENU);
    letSettle();
    MENU_ITEM* pSlider = pHighlightedItem();
    ASSERT_NE(pSlider, nullptr);
    struct Step {
        U32 count;
        U32 value;
        Response response;
    };
    const Step steps[] = {
        {1, 11, GOOD_SLIDER}, {2, 12, SILENT_SLIDER}, {19, 13, SILENT_SLIDER},
        {20, 14, SILENT_SLIDER}, {25, 20, SILENT_SLIDER}, {100, 100, SILENT_SLIDER},
        {101, 100, BAD_SLIDER},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(cursor(CURSOR_EAST, s.count), s.response) << "count " << s.count;
        EXPECT_EQ(pSlider->unitsValue.u32Val, s.value) << "count " << s.count;
    }
    EXPECT_EQ(fetchU32("TSLD"), 10u) << "nothing written while the key is held";
    release();
    EXPECT_EQ(fetchU32("TSLD"), 100u);
}

TEST_F(MenuTask, SliderWritesOnReleaseOrTurnImmediateSliderOnEveryEvent)
{
    constexpr MBOX WATCHER = 60;
    struct Case {
        bool bImmediate;
        std::vector<CURSOR_POSITION> events; // CURSOR_UP: the release
        int writes;
        U32 stored;
    };
    const Case cases[] = {
        {false, {CURSOR_EAST, CURSOR_EAST, CURSOR_EAST, CURSOR_UP}, 1, 13},
        {false, {CURSOR_EAST, CURSOR_EAST, CURSOR_WEST, CURSOR_UP}, 2, 11},
        {true, {CURSOR_EAST, CURSOR_EAST, CURSOR_EAST, CURSOR_UP}, 4, 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bImmediate ? "immediate" : "slider");
        fresh();
        defineU32("TSLD", 10, D_UNKNOWN);
        if (c.bImmediate)
            U_MENU_bRegisterHotImmediateSliderMenu(&txtA, nullptr, prio(1), FCID("TSLD"), aLimits0to100, nullptr,
                                                   nullptr, nullptr, M_BASIC, VIEW, SPLIT_FULL_WINDOW);
        else
            U_MENU_bRegisterHotSliderMenu(&txtA, nullptr, prio(1), FCID("TSLD"), aLimits0to100, nullptr, nullptr,
                                          nullptr, M_BASIC, VIEW, SPLIT_FULL_WINDOW);
        settle();
        press(KEY_MENU);
        letSettle();
        H_DATABASE_bRegisterForDataWithConditions(FCID("TSLD"), WATCHER, FALSE, FALSE, TRUE);
        U32 u32Count = 0;
        for (CURSOR_POSITION e : c.events) {
            if (e == CURSOR_UP)
                release();
            else
                cursor(e, ++u32Count);
        }
        H_DATABASE_vUnregisterMailbox(FCID("TSLD"), WATCHER);
        EXPECT_EQ((int)drain(WATCHER).size(), c.writes);
        EXPECT_EQ(fetchU32("TSLD"), c.stored);
    }
}

TEST_F(MenuTask, NorthOnTheFirstOfTwelveItemsWrapsToTheLast)
{
    openHotMenuOf(12);
    EXPECT_EQ(window(), (Window{0, 0, 8}));
    EXPECT_EQ(tap(CURSOR_NORTH), GOOD);
    EXPECT_EQ(window(), (Window{11, 3, 11}));
    EXPECT_EQ(tap(CURSOR_SOUTH), GOOD);
    EXPECT_EQ(window(), (Window{0, 0, 8}));
    for (int i = 0; i < 9; ++i)
        tap(CURSOR_SOUTH);
    EXPECT_EQ(window(), (Window{9, 1, 9})) << "the window scrolls by one";
}

TEST_F(MenuTask, QuickSetupMenuScrollsThreeRows)
{
    const U32 values[2] = {0, 1};
    const TEXT_TABLE* const choices[2] = {&txtOff, &txtOff};
    for (int i = 0; i < 5; ++i)
        U_MENU_bRegisterQuickSelectorMenu(&s_names[i], prio(i), FCID("TSEL"), 2, choices, values, M_BASIC);
    settle();
    T_MENU_vActivateQuickMenu();
    EXPECT_EQ(fetchU32("CMNU"), (U32)QUICK_SETUP_MENU);
    EXPECT_EQ(keyMails(), (Lines{"+FFEE 11", "+10 5"}));
    EXPECT_EQ(layerMails(), Lines{"+329"});
    for (CURSOR_POSITION d : {CURSOR_SOUTH, CURSOR_SOUTH, CURSOR_SOUTH, CURSOR_NORTH, CURSOR_NORTH})
        tap(d);
    ASSERT_EQ(window(), (Window{1, 1, 3}));
    EXPECT_EQ(tap(CURSOR_NORTH), GOOD);
    EXPECT_EQ(window(), (Window{0, 0, 2}));
    EXPECT_EQ(tap(CURSOR_NORTH), GOOD);
    EXPECT_EQ(window(), (Window{4, 2, 4}));

    // EXIT leaves the start-up quick setup; with no start-up task to do it,
    // its keys and layer go here.
    EXPECT_EQ(press(KEY_MENU), SILENT);
    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_EQ(keyMails(), Lines{"-FFFE"});
    EXPECT_EQ(layerMails(), Lines{"-329"});
}

// The first tab with a sub-menu item "A" whose one choice opens sub menu 0,
// which holds the confirmed actions "B" and "C".
void mainMenuWithSubMenu()
{
    static const TEXT_TABLE* const choices[1] = {&txtX};
    static const TEXT_TABLE* const subs[1] = {&s_subNames[0]};
    U_MENU_bRegisterTab(&txtTab, ALARM_TAB_PRIORITY, nullptr, M_BASIC);
    U_MENU_bRegisterMainSubMenu(&txtA, &txtTab, prio(1), choices, subs, nullptr, 1, M_BASIC);
    U_MENU_bRegisterSubMenuActionMenu(&txtB, &s_subNames[0], nullptr, prio(1), vAction, TRUE, M_BASIC);
    U_MENU_bRegisterSubMenuActionMenu(&txtC, &s_subNames[0], nullptr, prio(2), vAction, TRUE, M_BASIC);
    settle();
}

TEST_F(MenuTask, ExitStepsBackConfirmationFirstThenTheLevel)
{
    mainMenuWithSubMenu();
    ASSERT_EQ(press(KEY_MENU), GOOD);
    drawMainMenu(); // the first drawing lists the tab
    ASSERT_EQ(tap(CURSOR_SOUTH), GOOD);
    ASSERT_EQ(highlighted(), "A");
    letSettle();
    tap(CURSOR_EAST);
    ASSERT_EQ(fetchU32("CMNU"), (U32)MAIN_SUB_MENU);
    EXPECT_EQ(visible(), (Lines{"B", "C"}));
    tap(CURSOR_SOUTH);
    letSettle();
    clearMailboxes();
    s_nActions = 0;
    EXPECT_EQ(tap(CURSOR_EAST), SILENT);
    EXPECT_EQ(layerMails(), Lines{"+293"});
    EXPECT_EQ(tap(CURSOR_NORTH), BAD) << "the confirmation holds the highlight";

    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(layerMails(), Lines{"-293"});
    EXPECT_EQ(fetchU32("CMNU"), (U32)MAIN_SUB_MENU);
    EXPECT_EQ(highlighted(), "C");
    EXPECT_EQ(s_nActions, 0);

    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(fetchU32("CMNU"), (U32)MAIN_MENU);
    EXPECT_EQ(layerMails(), Lines{"-275"});
    EXPECT_EQ(highlighted(), "A");

    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_FALSE(s_bMenuItemActive) << "back on the tab bar";
    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(fetchU32("CMNU"), (U32)NO_MENU);
}

TEST_F(MenuTask, ConfirmedActionRunsOnTheSecondEast)
{
    mainMenuWithSubMenu();
    press(KEY_MENU);
    drawMainMenu();
    tap(CURSOR_SOUTH);
    letSettle();
    tap(CURSOR_EAST);
    s_nActions = 0;
    tap(CURSOR_EAST);
    EXPECT_EQ(s_nActions, 0);
    EXPECT_TRUE(s_bConfirmActive);
    tap(CURSOR_EAST);
    EXPECT_EQ(s_nActions, 1);
    EXPECT_FALSE(s_bConfirmActive);
    tap(CURSOR_EAST);
    EXPECT_EQ(tap(CURSOR_WEST), GOOD) << "west cancels";
    EXPECT_EQ(tap(CURSOR_WEST), BAD);
    EXPECT_EQ(s_nActions, 1);
}

TEST_F(MenuTask, FifthSubMenuLevelIsRefused)
{
    // Sub menu i holds one sub-menu item that opens sub menu i + 1.
    static const TEXT_TABLE* const choices[1] = {&txtX};
    static const TEXT_TABLE* const next[6][1] = {{&s_subNames[0]}, {&s_subNames[1]}, {&s_subNames[2]},
                                                 {&s_subNames[3]}, {&s_subNames[4]}, {&s_subNames[5]}};
    U_MENU_bRegisterTab(&txtTab, ALARM_TAB_PRIORITY, nullptr, M_BASIC);
    U_MENU_bRegisterMainSubMenu(&txtA, &txtTab, prio(1), choices, next[0], nullptr, 1, M_BASIC);
    for (int i = 0; i < 5; ++i)
        U_MENU_bRegisterSubMenuSubMenu(&s_names[i], &s_subNames[i], nullptr, prio(1), choices, next[i + 1],
                                       nullptr, 1, M_BASIC);
    U_MENU_bRegisterSubMenuActionMenu(&txtB, &s_subNames[5], nullptr, prio(1), vAction, FALSE, M_BASIC);
    settle();
    press(KEY_MENU);
    drawMainMenu();
    tap(CURSOR_SOUTH);
    letSettle();
    const ACTIVE_MENU levels[] = {MAIN_SUB_MENU, MAIN_SUB_MENU_1, MAIN_SUB_MENU_2, MAIN_SUB_MENU_3};
    for (ACTIVE_MENU expected : levels) {
        tap(CURSOR_EAST);
        EXPECT_EQ(fetchU32("CMNU"), (U32)expected);
    }
    EXPECT_EQ(s_menuLevel, 4);
    EXPECT_EQ(tap(CURSOR_EAST), BAD);
    EXPECT_EQ(s_menuLevel, 4);
    EXPECT_EQ(fetchU32("CMNU"), (U32)MAIN_SUB_MENU_3);
    EXPECT_EQ(highlighted(), "n3");
    // And the way back goes through every level.
    for (ACTIVE_MENU expected : {MAIN_SUB_MENU_2, MAIN_SUB_MENU_1, MAIN_SUB_MENU, MAIN_MENU}) {
        press(KEY_EXIT);
        EXPECT_EQ(fetchU32("CMNU"), (U32)expected);
    }
}

TEST_F(MenuTask, MenuKeyByOpenMenu)
{
    struct Case {
        const char* name;
        void (*open)();
        Response response;
        ACTIVE_MENU after;
    };
    const Case cases[] = {
        {"info menu",
         [] {
             U_MENU_bRegisterInfoMenu(&txtInfo);
             U_MENU_bRegisterInfoActionMenu(&txtA, &txtInfo, prio(1), vAction, FALSE, M_BASIC);
             static const TEXT_TABLE* const asked[] = {&txtA};
             U_MENU_ActivateInfoMenu(&txtInfo, asked, 1);
             settle();
         },
         BAD, INFO_MENU},
        {"quick setup",
         [] {
             static const U32 values[1] = {0};
             static const TEXT_TABLE* const choices[1] = {&txtOff};
             U_MENU_bRegisterQuickSelectorMenu(&txtA, prio(1), FCID("TSEL"), 1, choices, values, M_BASIC);
             settle();
             T_MENU_vActivateQuickMenu();
         },
         SILENT, QUICK_SETUP_MENU},
        {"hot menu asking for a confirmation",
         [] {
             hotAction(&txtA, 1, VIEW, TRUE);
             settle();
             press(KEY_MENU);
             letSettle();
             tap(CURSOR_EAST);
         },
         GOOD, NO_MENU},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        c.open();
        EXPECT_EQ(press(KEY_MENU), c.response);
        EXPECT_EQ(s_activeMenu, c.after);
    }
}

TEST_F(MenuTask, GotoOnAGoToItemOfAnInfoMenuStartsNavigationAndClearsTheMenus)
{
    T_MENU_NEIGHBOURS neighbours = {};
    neighbours.pfnGoToWaypoint = vGoTo;
    T_MENU_vInstallNeighbours(&neighbours);
    U_MENU_bRegisterInfoMenu(&txtInfo);
    U_MENU_bRegisterInfoActionMenu(&txtA, &txtInfo, prio(100), vAction, FALSE, M_BASIC);
    U_MENU_bRegisterInfoActionMenu(&txtB, &txtInfo, MENU_GO_TO_WAYPOINT, vAction, FALSE, M_BASIC);
    const TEXT_TABLE* const asked[] = {&txtA, &txtB};
    U_MENU_ActivateInfoMenu(&txtInfo, asked, 2);
    settle();
    ASSERT_EQ(highlighted(), "A");
    EXPECT_EQ(press(KEY_GOTO), BAD);
    EXPECT_EQ(s_nGoTos, 0);
    tap(CURSOR_SOUTH);
    ASSERT_EQ(highlighted(), "B");
    const Response r = press(KEY_GOTO);
    EXPECT_FALSE(r.bad);
    EXPECT_EQ(s_nGoTos, 1);
    settle(); // the clearing request mailed to the task
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_EQ(fetchU32("CMNU"), (U32)NO_MENU);
}

TEST_F(MenuTask, TabBarWithoutActiveTabsRefusesEastAndWest)
{
    U_MENU_bRegisterTab(&txtTab, SONAR_TAB_PRIORITY, nullptr, M_DIAGNOSTIC); // above the user level
    settle();
    press(KEY_MENU);
    drawMainMenu();
    letSettle();
    EXPECT_EQ(tap(CURSOR_EAST), BAD);
    EXPECT_EQ(tap(CURSOR_WEST), BAD);
    EXPECT_EQ(s_activeMenu, MAIN_MENU);

    // With tabs, east and west go round the active ones.
    U_MENU_bRegisterTab(&txtA, ALARM_TAB_PRIORITY, nullptr, M_BASIC);
    U_MENU_bRegisterTab(&txtB, SETUP_TAB_PRIORITY, nullptr, M_BASIC);
    settle();
    s_activeTab = ALARM_TAB_PRIORITY;
    EXPECT_EQ(tap(CURSOR_EAST), GOOD);
    EXPECT_EQ(s_activeTab, SETUP_TAB_PRIORITY);
    EXPECT_EQ(tap(CURSOR_EAST), GOOD);
    EXPECT_EQ(s_activeTab, ALARM_TAB_PRIORITY);
    EXPECT_EQ(tap(CURSOR_WEST), GOOD);
    EXPECT_EQ(s_activeTab, SETUP_TAB_PRIORITY);
}

// ---- Requests and start of operation ----

TEST_F(MenuTask, RunSystemSetsTheUserLevelTakesMenuAndOffersUserMode)
{
    struct Case {
        U32 state;
        bool bKept;
        U32 kept;
        U32 level;
    };
    const Case cases[] = {
        {3, true, M_BASIC, M_BASIC},
        {3, false, 0, M_ADVANCED},
        {6, true, M_BASIC, M_ADVANCED}, // point of sale
    };
    for (const Case& c : cases) {
        fresh();
        setU32("CCST", c.state);
        H_DATABASE_vDeleteEntry(FCID("SUSR"));
        if (c.bKept)
            setU32("SUSR", c.kept);
        U_MENU_bRegisterTab(T_MENU_pSetupTabName, SETUP_TAB_PRIORITY, nullptr, M_BASIC);
        command(CMD_ID_RUN_SYSTEM);
        settle(); // the "User Mode" item, mailed to the task itself
        EXPECT_EQ(fetchU32("CUSR"), c.level) << "state " << c.state;
        EXPECT_EQ(keyMails(), Lines{"+4 2"});
        const MENU_ITEM* pItem = s_mainMenuTabs[SETUP_TAB_PRIORITY].pFirstItem;
        ASSERT_NE(pItem, nullptr);
        EXPECT_STREQ((*pItem->pMenuTitle)[0], "User Mode");
        EXPECT_EQ(pItem->control, M_SELECTION_BOX);
        EXPECT_EQ(pItem->parameters.selectionBox.FourCharId, FCID("CUSR"));
    }
}

TEST_F(MenuTask, ShutdownKeepsTheUserLevelAndLetsMenuGo)
{
    for (U32 level : {(U32)M_ADVANCED, (U32)M_BASIC}) {
        fresh();
        setU32("CUSR", level);
        command(CMD_ID_SHUTDOWN);
        EXPECT_EQ(fetchU32("SUSR"), level);
        const Lines mails = keyMails();
        ASSERT_FALSE(mails.empty());
        EXPECT_EQ(mails.back(), "-4");
    }
}

TEST_F(MenuTask, HiddenMenusTakeOnlyExit)
{
    openHotMenuOf(3);
    U_MENU_vHideMenus();
    settle();
    letSettle();
    EXPECT_EQ(tap(CURSOR_SOUTH), SILENT);
    EXPECT_EQ(press(KEY_MENU), SILENT);
    EXPECT_EQ(s_activeMenuItemIndex, 0);
    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_FALSE(s_bMenuHidden);
}

TEST_F(MenuTask, LongViewPressOpensTheViewsHotMenuOverAnOpenMenu)
{
    hotAction(&txtA, 1);
    hotAction(&txtB, 1, OTHER_VIEW);
    settle();
    press(KEY_MENU);
    keyMails();
    layerMails();
    T_MENU_vActivateSpecifiedHotMenu(OTHER_VIEW); // in the keyboard task's thread
    EXPECT_EQ(s_activeMenu, EXPRESS_MENU);
    EXPECT_EQ(highlighted(), "B");
    EXPECT_EQ(keyMails(), (Lines{"-A", "+A 5"}));
    EXPECT_EQ(layerMails(), (Lines{"-293", "-275", "-274", "-273", "+273"}));

    // A view without a hot menu leaves the menus closed, no key kept.
    T_MENU_vActivateSpecifiedHotMenu(42);
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_EQ(fetchU32("CMNU"), (U32)NO_MENU);
    EXPECT_EQ(keyMails(), (Lines{"-A", "-FB90"}));
}

} // namespace

namespace {

// ---- Other tasks' requests ----

std::atomic<int> s_nGroupShutdowns{0};
void vGroupShutdown(void) { ++s_nGroupShutdowns; }
std::atomic<int> s_nExits{0};
void vExitHandler(void) { ++s_nExits; }

TEST_F(MenuTask, FloatingMenuOpensWithItemsAndHandsGotoAndExitToItsOwner)
{
    U_MENU_bRegisterFloatingMenu(&txtX, vGoTo, vExitHandler, FALSE, nullptr);
    U_MENU_ActivateFloatingMenu(&txtX);
    settle();
    EXPECT_EQ(s_activeMenu, NO_MENU) << "a floating menu without items does not open";

    U_MENU_bRegisterFloatingMenuActionExtItem(&txtX, &txtA, nullptr, FALSE, FALSE, prio(1), vAction, FALSE,
                                              M_BASIC);
    U_MENU_ActivateFloatingMenu(&txtX);
    settle();
    EXPECT_EQ(fetchU32("CMNU"), (U32)FLOATING_MENU);
    EXPECT_EQ(visible(), Lines{"A"});
    EXPECT_EQ(keyMails(), (Lines{"+FB8A 5", "+10 5"}));
    EXPECT_EQ(layerMails(), Lines{"+275"});
    s_nGoTos = 0;
    s_nExits = 0;
    press(KEY_GOTO);
    EXPECT_EQ(s_nGoTos, 1);
    EXPECT_EQ(press(KEY_MENU), BAD);
    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_EQ(s_nExits, 1);
}

TEST_F(MenuTask, SingleCentredMenuIsMadeFromARegisteredItemFoundByName)
{
    defineU32("TSEL", 2, D_UNKNOWN);
    static const TEXT_TABLE* const choices[2] = {&txtB, &txtC};
    static const U32 values[2] = {1, 2};
    U_MENU_bRegisterHotSelectorMenu(&txtA, nullptr, prio(1), FCID("TSEL"), 2, choices, values, M_BASIC, VIEW,
                                    SPLIT_FULL_WINDOW);
    U_MENU_vActivateSingleCenteredMenu(&txtD, VIEW, TRUE, FALSE, nullptr);
    settle();
    EXPECT_EQ(s_activeMenu, NO_MENU) << "no item of that name";

    U_MENU_vActivateSingleCenteredMenu(&txtA, VIEW, FALSE, TRUE, nullptr);
    settle();
    EXPECT_EQ(fetchU32("CMNU"), (U32)SINGLE_CENTERED_MENU);
    EXPECT_TRUE(layerMails().empty()) << "not shown";
    ASSERT_NE(pHighlightedItem(), nullptr);
    EXPECT_NE(pHighlightedItem(), s_hotMenus[0].pFirstItem) << "a copy";
    EXPECT_STREQ(pHighlightedItem()->value_string, "C");
    EXPECT_TRUE(s_bLoopSelections);

    T_MENU_vDoRemoveSingleCenteredMenu();
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_EQ(keyMails(), Lines{}) << "it held no keys";
}

TEST_F(MenuTask, ClearRequestClosesTheMenusAndTheGroupManagersScreens)
{
    T_MENU_NEIGHBOURS neighbours = {};
    neighbours.pfnNavGroupShutdown = vGroupShutdown;
    T_MENU_vInstallNeighbours(&neighbours);
    openHotMenuOf(2);
    U_MENU_vClearMenus();
    settle();
    EXPECT_EQ(s_activeMenu, NO_MENU);
    EXPECT_EQ(s_nGroupShutdowns, 1);
    U_MENU_vClearMenus();
    settle();
    EXPECT_EQ(s_nGroupShutdowns, 2) << "told on every request";
}

TEST_F(MenuTask, FactoryResetSelectsTheFirstActiveTabAndTheAdvancedLevel)
{
    U_MENU_bRegisterTab(&txtA, SONAR_TAB_PRIORITY, nullptr, M_BASIC);
    U_MENU_bRegisterTab(&txtB, SETUP_TAB_PRIORITY, nullptr, M_BASIC);
    settle();
    s_activeTab = SETUP_TAB_PRIORITY;
    setU32("CUSR", M_BASIC);
    openHotMenuOf(1);
    command(CMD_ID_RESET_POS);
    EXPECT_EQ(s_activeTab, SONAR_TAB_PRIORITY);
    EXPECT_EQ(fetchU32("CUSR"), (U32)M_ADVANCED);
    EXPECT_EQ(s_activeMenu, NO_MENU);

    // The start-up quick setup stays open.
    static const U32 values[1] = {0};
    static const TEXT_TABLE* const choices[1] = {&txtOff};
    U_MENU_bRegisterQuickSelectorMenu(&txtC, prio(1), FCID("TSEL"), 1, choices, values, M_BASIC);
    settle();
    T_MENU_vActivateQuickMenu();
    command(CMD_ID_RESET_POS);
    EXPECT_EQ(s_activeMenu, QUICK_SETUP_MENU);
}

TEST_F(MenuTask, ViewChangeWhileAHotMenuIsOpenShowsTheNewViewsHotMenu)
{
    hotAction(&txtA, 1);
    hotAction(&txtB, 1, OTHER_VIEW);
    hotAction(&txtC, 2, OTHER_VIEW);
    settle();
    press(KEY_MENU);
    ASSERT_EQ(visible(), Lines{"A"});
    setS32("CVEW", OTHER_VIEW);
    settle();
    EXPECT_EQ(visible(), (Lines{"B", "C"}));
    EXPECT_EQ(highlighted(), "B");
    EXPECT_TRUE(s_bShowMenuList);
}

TEST_F(MenuTask, RadarSubMenusOpenOnlyWithTheRadarsConsent)
{
    static std::atomic<bool> bRadarShown{false};
    static std::atomic<bool> bTuneAllowed{false};
    static std::atomic<int> nNotes{0};
    static std::atomic<int> nManualTunes{0};
    static const TEXT_TABLE* const names[3] = {&s_subNames[0], &s_subNames[1], &s_subNames[2]};
    static const TEXT_TABLE* const choices[3] = {&txtB, &txtC, &txtD};
    T_MENU_NEIGHBOURS neighbours = {};
    neighbours.pRadarInstallation = &s_subNames[0];
    neighbours.pRadarManualTune = &s_subNames[1];
    neighbours.pRadarTune = &s_subNames[2];
    neighbours.pfnIsMyRadarView = [](LAYER_ID view, SPLIT_WINDOW_TYPE pane) -> BOOLEAN {
        return view == UNKNOWN_SPLIT && pane == UNKNOWN_SPLIT && bRadarShown;
    };
    neighbours.pfnNavNote = [](const TEXT_TABLE* pText, U32 u32TimeOut) {
        if (u32TimeOut == 5 && strcmp((*pText)[0],
                                      "Change to a radar view before adjusting the installation settings") == 0)
            ++nNotes;
    };
    neighbours.pfnHandleManualTune = [] { ++nManualTunes; };
    neighbours.pfnHandleTune = []() -> BOOLEAN { return bTuneAllowed; };
    T_MENU_vInstallNeighbours(&neighbours);
    U_MENU_bRegisterHotSubMenu(&txtA, nullptr, prio(1), choices, names, nullptr, 3, M_BASIC, VIEW,
                               SPLIT_FULL_WINDOW);
    for (const TEXT_TABLE* pSub : names)
        U_MENU_bRegisterSubMenuActionMenu(&txtX, pSub, nullptr, prio(1), vAction, FALSE, M_BASIC);
    settle();

    struct Case {
        const char* name;
        U32 choice;
        bool bRadar, bTune;
        bool bOpens;
        int notes, manualTunes;
    };
    const Case cases[] = {
        {"installation without a radar view", 0, false, false, false, 1, 0},
        {"installation in a radar view", 0, true, false, true, 0, 0},
        {"manual tune", 1, false, false, true, 0, 1},
        {"tune refused", 2, false, false, false, 0, 0},
        {"tune allowed", 2, false, true, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bRadarShown = c.bRadar;
        bTuneAllowed = c.bTune;
        nNotes = 0;
        nManualTunes = 0;
        press(KEY_MENU);
        letSettle();
        tap(CURSOR_EAST); // the choice list
        for (U32 i = 0; i < c.choice; ++i)
            tap(CURSOR_SOUTH);
        letSettle();
        const Response r = tap(CURSOR_EAST);
        EXPECT_EQ(s_activeMenu == EXPRESS_SUB_MENU, c.bOpens);
        if (c.choice == 0 && !c.bOpens) {
            EXPECT_TRUE(r.bad);
        }
        EXPECT_EQ(nNotes, c.notes);
        EXPECT_EQ(nManualTunes, c.manualTunes);
        T_MENU_vRemoveMenus();
        s_hotMenus[0].pFirstItem->parameters.subMenu.bIsActive = FALSE;
        s_hotMenus[0].pFirstItem->value.RawSlot = 0;
    }
}

TEST_F(MenuTask, InfoKeyClosesInfoMenusAndActsOnHotItemsAndCheckBoxes)
{
    static std::atomic<int> nToggles{0};
    U_MENU_bRegisterInfoMenu(&txtInfo);
    U_MENU_bRegisterInfoActionMenu(&txtA, &txtInfo, prio(1), vAction, FALSE, M_BASIC);
    static const TEXT_TABLE* const asked[] = {&txtA};
    U_MENU_ActivateInfoMenu(&txtInfo, asked, 1);
    settle();
    EXPECT_EQ(press(KEY_INFO), GOOD);
    EXPECT_EQ(s_activeMenu, NO_MENU);

    fresh();
    static const TEXT_TABLE* const subs[1] = {&s_subNames[0]};
    static const TEXT_TABLE* const choices[1] = {&txtX};
    U_MENU_bRegisterHotSubMenu(&txtA, nullptr, prio(1), choices, subs, nullptr, 1, M_BASIC, VIEW,
                               SPLIT_FULL_WINDOW);
    U_MENU_bRegisterSubMenuCheckBoxMenu(&txtB, &s_subNames[0], nullptr, prio(1), 7, nullptr,
                                        [](U32 u32Context) -> BOOLEAN {
                                            nToggles += (int)u32Context;
                                            return TRUE;
                                        },
                                        M_BASIC);
    U_MENU_bRegisterHotSubMenuActionMenu(&txtC, &s_subNames[0], nullptr, prio(2), vAction, FALSE, M_BASIC);
    settle();
    press(KEY_MENU);
    EXPECT_EQ(press(KEY_INFO), BAD) << "nothing to do on a sub-menu item";
    letSettle();
    tap(CURSOR_EAST);
    ASSERT_EQ(highlighted(), "B");
    EXPECT_EQ(press(KEY_INFO), GOOD);
    EXPECT_EQ(nToggles, 7);
    tap(CURSOR_SOUTH);
    s_nActions = 0;
    EXPECT_EQ(press(KEY_INFO), GOOD);
    EXPECT_EQ(s_nActions, 1);
}

TEST_F(MenuTask, EntryPointsForTheGroupManagerAndTheHotMenuRow)
{
    openHotMenuOf(2);
    T_MENU_vUpdateActivateMenu(MAIN_GRP_MENU);
    EXPECT_EQ(fetchU32("CMNU"), (U32)MAIN_GRP_MENU);
    EXPECT_EQ(keyMails(), (Lines{"-FB92", "-8"}));
    EXPECT_EQ(press(KEY_MENU), SILENT) << "the group manager's screen ignores MENU";
    T_MENU_vUpdateActivateMenu(NO_MENU);
    EXPECT_EQ(fetchU32("CMNU"), (U32)NO_MENU);

    // The hot menu showing only its row after a value change is closed for
    // that row's item only.
    fresh();
    defineU32("TSLD", 5, D_UNKNOWN);
    U_MENU_bRegisterHotSliderMenu(&txtA, nullptr, prio(1), FCID("TSLD"), aLimits0to100, nullptr, nullptr, nullptr,
                                  M_BASIC, VIEW, SPLIT_FULL_WINDOW);
    settle();
    press(KEY_MENU);
    T_MENU_vRemoveHotMenuListIfActive(&txtA);
    EXPECT_EQ(s_activeMenu, EXPRESS_MENU) << "the whole list is shown";
    letSettle();
    tap(CURSOR_EAST);
    ASSERT_FALSE(s_bShowMenuList);
    T_MENU_vRemoveHotMenuListIfActive(&txtB);
    EXPECT_EQ(s_activeMenu, EXPRESS_MENU);
    T_MENU_vRemoveHotMenuListIfActive(&txtA);
    EXPECT_EQ(s_activeMenu, NO_MENU);
}

} // namespace
