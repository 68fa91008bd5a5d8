// The menu registry driven as the menu task drives it: the client calls
// post their mails, the test hands each one to the registry and reads the
// menu tables. The hooks the registry leaves to the rest of the menu task
// (visible-list rebuild, display-string refresh, opening a single-centred
// menu) are recorded, and each records whether it ran under RES_MENU.
#include "ui/tests/menu_mail_world.h"

#include "kernel/l_mutex.h"
#include "ui/t_menu_state.h"

#include <string>

using namespace mw;
using namespace t_menu;

namespace {

// ---- Names ----

const TEXT_TABLE txtA = {"A"};
const TEXT_TABLE txtB = {"B"};
const TEXT_TABLE txtC = {"C"};
const TEXT_TABLE txtD = {"D"};
const TEXT_TABLE txtN1 = {"N1"};
const TEXT_TABLE txtN2 = {"N2"};
const TEXT_TABLE txtZ = {"Z"};
const TEXT_TABLE txtTabSonar = {"Sonar"};
const TEXT_TABLE txtTabSetup = {"Setup"};
const TEXT_TABLE txtTabOther = {"Other"};
const TEXT_TABLE txtChoiceA = {"Choice A"};
const TEXT_TABLE txtChoiceB = {"Choice B"};
const TEXT_TABLE* const aChoices[2] = {&txtChoiceA, &txtChoiceB};
const U32 aValues[2] = {1, 2};
const MENU_LIMITS aLimits[1] = {{U_FEET, 0.0f, 10.0f, 1.0f}};

// Many distinct names with no text: only their addresses count.
TEXT_TABLE s_names[80] = {};
const TEXT_TABLE* name(int i) { return &s_names[i]; }

std::string label(const TEXT_TABLE* p)
{
    if (p == nullptr)
        return "(null)";
    if (p >= &s_names[0] && p < &s_names[80])
        return "n" + std::to_string(p - &s_names[0]);
    return (*p)[0] != nullptr ? (*p)[0] : "?";
}

const ICON iconA = {};
const ICON iconB = {};
const ICON iconC = {};

void vAction(void) {}
void vOtherAction(void) {}

// ---- Hooks ----

struct HookLog {
    int nRebuilds = 0;
    std::vector<std::pair<const MENU_ITEM*, BOOLEAN>> refreshes;
    std::vector<std::pair<BOOLEAN, BOOLEAN>> opens;
    const TEXT_TABLE* pOpenedMenuName = nullptr;
    int nUnlocked = 0;
};
HookLog g_log;

void vNoteLock(void)
{
    if (L_MUTEX_GetOwnerTaskID(RES_MENU) == 0)
        ++g_log.nUnlocked;
}
void vRebuildHook(void)
{
    vNoteLock();
    ++g_log.nRebuilds;
}
void vRefreshHook(MENU_ITEM* pItem, BOOLEAN bForce)
{
    vNoteLock();
    g_log.refreshes.push_back({pItem, bForce});
}
void vOpenHook(BOOLEAN bDisplayMenu, BOOLEAN bLoopSelection)
{
    vNoteLock();
    g_log.opens.push_back({bDisplayMenu, bLoopSelection});
    g_log.pOpenedMenuName = s_singleCenteredMenus[0].pSingleCenteredMenuName;
}

// ---- Reading the tables ----

template <typename MENU>
std::vector<std::string> titles(const MENU& menu)
{
    std::vector<std::string> out;
    for (const MENU_ITEM* p = menu.pFirstItem; p != nullptr && out.size() < 200; p = p->pNextMenu)
        out.push_back(label(p->pMenuTitle));
    return out;
}

// Its last item is its tail and its count is its length.
template <typename MENU>
::testing::AssertionResult wellFormed(const MENU& menu)
{
    int n = 0;
    const MENU_ITEM* pLast = nullptr;
    for (const MENU_ITEM* p = menu.pFirstItem; p != nullptr; p = p->pNextMenu) {
        if (++n > 1000)
            return ::testing::AssertionFailure() << "the list does not end";
        pLast = p;
    }
    if (menu.pLastItem != pLast)
        return ::testing::AssertionFailure() << "the tail is not the last item";
    if (menu.numMenuItems != n)
        return ::testing::AssertionFailure() << "count " << menu.numMenuItems << " for " << n << " items";
    return ::testing::AssertionSuccess();
}

template <typename MENU>
const MENU_ITEM* itemAt(const MENU& menu, int index)
{
    const MENU_ITEM* p = menu.pFirstItem;
    for (int i = 0; i < index && p != nullptr; ++i)
        p = p->pNextMenu;
    return p;
}

using Titles = std::vector<std::string>;

class MenuRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        initStoreOnce();
        publishMenuTask();
        drain();
        reset();
    }
    void TearDown() override
    {
        drain();
        EXPECT_EQ(g_log.nUnlocked, 0) << "a hook ran without RES_MENU";
        T_MENU_vInitRegistry();
        T_MENU_vInstallRegistryHooks(nullptr);
    }

    static void reset()
    {
        T_MENU_vInitRegistry();
        const T_MENU_REGISTRY_HOOKS hooks = {vRebuildHook, vRefreshHook, vOpenHook};
        T_MENU_vInstallRegistryHooks(&hooks);
        g_log = {};
    }

    // Hands every waiting mail to the registry, as the menu task does.
    static void deliver()
    {
        while (MSGHEADER* pHeader = L_MBOX_Receive(MENU_MAILBOX)) {
            EXPECT_TRUE(T_MENU_bHandleRegistryMail(reinterpret_cast<GENERIC_MESSAGE*>(pHeader)));
            H_MEMORY_vDumpMail(pHeader);
        }
    }

    static void mainItem(const TEXT_TABLE* pName, S32 s32Prio, const TEXT_TABLE* pTab = &txtTabSetup,
                         MENU_ACTION_FUNC* pfn = vAction)
    {
        ASSERT_TRUE(U_MENU_bRegisterMainActionMenu(pName, pTab, (MENU_PRIORITY)s32Prio, pfn, FALSE, M_BASIC));
    }
    static void hotItem(const TEXT_TABLE* pName, S32 s32Prio, LAYER_ID view, SPLIT_WINDOW_TYPE split)
    {
        ASSERT_TRUE(U_MENU_bRegisterHotActionMenu(pName, &iconA, (MENU_PRIORITY)s32Prio, vAction, FALSE, M_BASIC,
                                                  view, split));
    }
    static void setupTab() { ASSERT_TRUE(U_MENU_bRegisterTab(&txtTabSetup, SETUP_TAB_PRIORITY, &iconA, M_BASIC)); }
};

// ---- Insertion order ----

TEST_F(MenuRegistry, ItemsAreOrderedByPriorityWithTiesAndNoPriorityItemsPlacedAsArrived)
{
    struct Arrival {
        const TEXT_TABLE* pName;
        S32 s32Prio;
    };
    struct Case {
        const char* pcWhat;
        std::vector<Arrival> arrivals;
        Titles order; // Z, with no priority, always arrives last
    };
    const Case cases[] = {
        {"equal priorities go behind the head, each in front of the earlier ties",
         {{&txtA, 5}, {&txtB, 5}, {&txtC, 5}},
         {"A", "C", "B", "Z"}},
        {"ties behind a lower head", {{&txtA, 1}, {&txtB, 5}, {&txtC, 5}}, {"A", "C", "B", "Z"}},
        {"a lower priority becomes the head", {{&txtA, 5}, {&txtB, 3}}, {"B", "A", "Z"}},
        {"ascending arrivals append", {{&txtA, 1}, {&txtB, 2}, {&txtC, 3}}, {"A", "B", "C", "Z"}},
        {"one between two", {{&txtA, 1}, {&txtC, 3}, {&txtB, 2}}, {"A", "B", "C", "Z"}},
        {"priorities compare signed", {{&txtA, 0}, {&txtB, -7}}, {"B", "A", "Z"}},
        {"no-priority items follow every prioritised item in arrival order",
         {{&txtN1, NO_PRIORITY}, {&txtA, 5}, {&txtN2, NO_PRIORITY}, {&txtB, 2}, {&txtC, 9}},
         {"B", "A", "C", "N1", "N2", "Z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pcWhat);
        reset();
        setupTab();
        for (const Arrival& a : c.arrivals)
            mainItem(a.pName, a.s32Prio);
        mainItem(&txtZ, NO_PRIORITY);
        deliver();
        const MENU_TAB& tab = s_mainMenuTabs[SETUP_TAB_PRIORITY];
        EXPECT_EQ(titles(tab), c.order);
        EXPECT_TRUE(wellFormed(tab));
        // The tab and every item linked in ask for a rebuild.
        EXPECT_EQ(g_log.nRebuilds, (int)c.arrivals.size() + 2);
    }
}

TEST_F(MenuRegistry, ARegistrationWhoseTitleIsListedReplacesThatItemInPlaceWithoutRebuilding)
{
    setupTab();
    mainItem(&txtA, 1);
    mainItem(&txtB, 2);
    mainItem(&txtC, 3);
    deliver();
    const MENU_TAB& tab = s_mainMenuTabs[SETUP_TAB_PRIORITY];
    const MENU_ITEM* pB = itemAt(tab, 1);
    const int nRebuilds = g_log.nRebuilds;
    g_log.refreshes.clear();

    ASSERT_TRUE(U_MENU_bRegisterMainActionMenu(&txtB, &txtTabSetup, (MENU_PRIORITY)9, vOtherAction, TRUE, M_ADVANCED));
    deliver();

    EXPECT_EQ(titles(tab), (Titles{"A", "B", "C"}));
    EXPECT_TRUE(wellFormed(tab));
    EXPECT_EQ(itemAt(tab, 1), pB);
    EXPECT_EQ(pB->priority, 9);
    EXPECT_EQ(pB->activeLevel, M_ADVANCED);
    EXPECT_EQ(pB->parameters.action.pt2Function, vOtherAction);
    EXPECT_TRUE(pB->parameters.action.confirm);
    EXPECT_EQ(g_log.nRebuilds, nRebuilds);
    ASSERT_EQ(g_log.refreshes.size(), 1u);
    EXPECT_EQ(g_log.refreshes[0].first, pB);
    EXPECT_FALSE(g_log.refreshes[0].second);
}

// ---- Tabs ----

TEST_F(MenuRegistry, ATabPriorityOutsideTheTwelveSlotsIsDropped)
{
    for (int nPrio : {(int)NUM_TAB_PRIORITIES, -1, 1000}) {
        SCOPED_TRACE(nPrio);
        ASSERT_TRUE(U_MENU_bRegisterTab(&txtTabOther, (TAB_PRIORITY)nPrio, &iconA, M_BASIC));
        mainItem(&txtA, 1, &txtTabOther);
        deliver();
        for (const MENU_TAB& tab : s_mainMenuTabs) {
            EXPECT_EQ(tab.pTabTitle, nullptr);
            EXPECT_EQ(tab.pFirstItem, nullptr);
        }
        EXPECT_EQ(s_lastTabIndex, 0);
        EXPECT_EQ(g_log.nRebuilds, 0);
    }
    ASSERT_TRUE(U_MENU_bRegisterTab(&txtTabOther, VURUZAVE_TAB_PRIORITY, &iconA, M_ADVANCED));
    mainItem(&txtA, 1, &txtTabOther);
    deliver();
    const MENU_TAB& last = s_mainMenuTabs[VURUZAVE_TAB_PRIORITY];
    EXPECT_EQ(last.pTabTitle, &txtTabOther);
    EXPECT_EQ(last.pTabIcon, &iconA);
    EXPECT_EQ(last.activeLevel, M_ADVANCED);
    EXPECT_TRUE(last.bTabActive);
    EXPECT_EQ(titles(last), (Titles{"A"}));
    EXPECT_EQ(s_lastTabIndex, VURUZAVE_TAB_PRIORITY);
}

TEST_F(MenuRegistry, RemovingATabHidesItWithItsItemsAndRegisteringItAgainShowsThem)
{
    ASSERT_TRUE(U_MENU_bRegisterTab(&txtTabSonar, SONAR_TAB_PRIORITY, nullptr, M_BASIC));
    setupTab();
    mainItem(&txtA, 1);
    mainItem(&txtB, 2);
    deliver();
    s_activeTab = SETUP_TAB_PRIORITY;
    g_log.nRebuilds = 0;

    ASSERT_TRUE(U_MENU_bUnregisterTab(&txtTabSetup));
    deliver();
    const MENU_TAB& setup = s_mainMenuTabs[SETUP_TAB_PRIORITY];
    EXPECT_EQ(setup.pTabTitle, nullptr);
    EXPECT_FALSE(setup.bTabActive);
    EXPECT_EQ(titles(setup), (Titles{"A", "B"}));
    EXPECT_TRUE(wellFormed(setup));
    EXPECT_EQ(s_activeTab, SONAR_TAB_PRIORITY) << "the first tab still shown is selected";
    EXPECT_EQ(g_log.nRebuilds, 1);

    // While removed the tab takes no item and gives none up.
    mainItem(&txtC, 3);
    ASSERT_TRUE(U_MENU_bUnregisterMainMenuItem(&txtA, &txtTabSetup));
    deliver();
    EXPECT_EQ(titles(setup), (Titles{"A", "B"}));

    setupTab();
    deliver();
    EXPECT_EQ(setup.pTabTitle, &txtTabSetup);
    EXPECT_TRUE(setup.bTabActive);
    EXPECT_EQ(titles(setup), (Titles{"A", "B"}));
    EXPECT_TRUE(wellFormed(setup));

    // With no tab left to show, slot 0 is selected.
    s_activeTab = SONAR_TAB_PRIORITY;
    ASSERT_TRUE(U_MENU_bUnregisterTab(&txtTabSonar));
    deliver();
    EXPECT_EQ(s_activeTab, SETUP_TAB_PRIORITY);
    ASSERT_TRUE(U_MENU_bUnregisterTab(&txtTabSetup));
    deliver();
    EXPECT_EQ(s_activeTab, 0);
}

// The visible-list rebuild lowers s_lastTabIndex to the highest tab shown
// at the current user level; a tab above it still takes its items.
TEST_F(MenuRegistry, ATabAboveTheHighestShownStillTakesAndGivesUpItems)
{
    ASSERT_TRUE(U_MENU_bRegisterTab(&txtTabOther, NETWORK_TAB_PRIORITY, nullptr, M_ADVANCED));
    deliver();
    s_lastTabIndex = 0;
    mainItem(&txtA, 1, &txtTabOther);
    deliver();
    EXPECT_EQ(titles(s_mainMenuTabs[NETWORK_TAB_PRIORITY]), (Titles{"A"}));
    ASSERT_TRUE(U_MENU_bUnregisterMainMenuItem(&txtA, &txtTabOther));
    deliver();
    EXPECT_TRUE(titles(s_mainMenuTabs[NETWORK_TAB_PRIORITY]).empty());
    EXPECT_TRUE(wellFormed(s_mainMenuTabs[NETWORK_TAB_PRIORITY]));
}

// ---- Sub menus ----

TEST_F(MenuRegistry, SubMenusAreNamedOnceAndSubMenuItemsNameTheirChoicesSlots)
{
    ASSERT_TRUE(U_MENU_bRegisterSubMenu(name(1), (MENU_PRIORITY)0, &iconA, M_BASIC));
    ASSERT_TRUE(U_MENU_bRegisterSubMenu(name(1), (MENU_PRIORITY)0, &iconB, M_BASIC));
    ASSERT_TRUE(U_MENU_bRegisterSubMenu(name(2), (MENU_PRIORITY)0, &iconC, M_BASIC));
    deliver();
    EXPECT_EQ(s_subMenus[0].pSubMenuName, name(1));
    EXPECT_EQ(s_subMenus[0].pHelperIcon, &iconA) << "a repeated registration changes nothing";
    EXPECT_EQ(s_subMenus[1].pSubMenuName, name(2));
    EXPECT_FALSE(s_subMenus[2].menuRegistered);
    EXPECT_EQ(s_SubMenuIndex, 1);

    // Choices naming a new sub menu and a known one: the new one takes the
    // next slot and its icon, the known one keeps its slot and takes its
    // choice's icon.
    setupTab();
    const TEXT_TABLE* const aNames[2] = {name(3), name(2)};
    const ICON* const aIcons[2] = {&iconB, &iconA};
    ASSERT_TRUE(U_MENU_bRegisterMainSubMenu(&txtA, &txtTabSetup, (MENU_PRIORITY)1, aChoices, aNames, aIcons, 2,
                                            M_BASIC));
    deliver();
    EXPECT_EQ(s_subMenus[2].pSubMenuName, name(3));
    EXPECT_EQ(s_subMenus[2].pHelperIcon, &iconB);
    EXPECT_EQ(s_subMenus[1].pHelperIcon, &iconA);
    EXPECT_EQ(s_SubMenuIndex, 2);
    const MENU_ITEM* pItem = s_mainMenuTabs[SETUP_TAB_PRIORITY].pFirstItem;
    ASSERT_NE(pItem, nullptr);
    EXPECT_EQ(pItem->parameters.subMenu.subMenuID, 2) << "the slot of the first choice";
    EXPECT_EQ(pItem->parameters.subMenu.pSubMenuChoices, aChoices);
    EXPECT_EQ(pItem->parameters.subMenu.pSubMenuIcons, aIcons);
    EXPECT_EQ(pItem->parameters.subMenu.numberChoices, 2u);
    EXPECT_FALSE(pItem->parameters.subMenu.bIsActive);

    // Without an icon array a known sub menu keeps its icon.
    const TEXT_TABLE* const aKnown[1] = {name(1)};
    ASSERT_TRUE(U_MENU_bRegisterMainSubMenu(&txtB, &txtTabSetup, (MENU_PRIORITY)2, aChoices, aKnown, nullptr, 1,
                                            M_BASIC));
    deliver();
    EXPECT_EQ(s_subMenus[0].pHelperIcon, &iconA);
    EXPECT_EQ(itemAt(s_mainMenuTabs[SETUP_TAB_PRIORITY], 1)->parameters.subMenu.subMenuID, 0);

    // A choice that names no sub menu could open nothing: the item is
    // refused and no slot is registered without a name.
    const TEXT_TABLE* const aUnnamed[2] = {name(7), nullptr};
    ASSERT_TRUE(U_MENU_bRegisterMainSubMenu(&txtC, &txtTabSetup, (MENU_PRIORITY)3, aChoices, aUnnamed, nullptr, 2,
                                            M_BASIC));
    deliver();
    EXPECT_EQ(titles(s_mainMenuTabs[SETUP_TAB_PRIORITY]), (Titles{"A", "B"}));
    for (const SUB_MENU& sub : s_subMenus)
        EXPECT_FALSE(sub.menuRegistered && sub.pSubMenuName == nullptr);

    // Items of a named sub menu.
    ASSERT_TRUE(U_MENU_bRegisterSubMenuActionMenu(&txtC, name(2), &iconC, (MENU_PRIORITY)1, vAction, FALSE, M_BASIC));
    ASSERT_TRUE(U_MENU_bRegisterSubMenuActionMenu(&txtD, name(9), &iconC, (MENU_PRIORITY)1, vAction, FALSE, M_BASIC));
    deliver();
    EXPECT_EQ(titles(s_subMenus[1]), (Titles{"C"}));
    EXPECT_EQ(s_subMenus[1].pFirstItem->pMenuIcon, &iconC);
    for (const SUB_MENU& sub : s_subMenus)
        EXPECT_NE(sub.pSubMenuName, name(9)) << "an item names no sub menu into being";
    const int nRebuilds = g_log.nRebuilds;
    ASSERT_TRUE(U_MENU_bUnregisterSubMenuItem(name(2), &txtC));
    deliver();
    EXPECT_TRUE(titles(s_subMenus[1]).empty());
    EXPECT_TRUE(wellFormed(s_subMenus[1]));
    EXPECT_EQ(g_log.nRebuilds, nRebuilds + 1);
}

TEST_F(MenuRegistry, ASubMenuItemWhoseChoicesFindNoSlotIsDiscarded)
{
    for (int i = 0; i < NUM_SUB_MENUS; ++i)
        ASSERT_TRUE(U_MENU_bRegisterSubMenu(name(i), (MENU_PRIORITY)0, nullptr, M_BASIC));
    ASSERT_TRUE(U_MENU_bRegisterSubMenu(name(70), (MENU_PRIORITY)0, nullptr, M_BASIC));
    setupTab();
    deliver();
    EXPECT_EQ(s_SubMenuIndex, NUM_SUB_MENUS - 1);
    for (const SUB_MENU& sub : s_subMenus)
        EXPECT_NE(sub.pSubMenuName, name(70)) << "the 71st sub menu has no slot";

    struct Case {
        const char* pcWhat;
        std::vector<const TEXT_TABLE*> names;
        bool bKept;
    };
    const Case cases[] = {
        {"names registered sub menus only", {name(3), name(4)}, true},
        {"names a 71st sub menu", {name(70)}, false},
        {"names a known one, then a 71st", {name(5), name(71)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pcWhat);
        ASSERT_TRUE(U_MENU_bRegisterMainSubMenu(&txtA, &txtTabSetup, (MENU_PRIORITY)1, aChoices, c.names.data(),
                                                nullptr, (U32)c.names.size(), M_BASIC));
        deliver();
        EXPECT_EQ(titles(s_mainMenuTabs[SETUP_TAB_PRIORITY]).size(), c.bKept ? 1u : 0u);
        ASSERT_TRUE(U_MENU_bUnregisterMainMenuItem(&txtA, &txtTabSetup));
        deliver();
    }
    // Without any names array the item is refused the same way.
    ASSERT_TRUE(
        U_MENU_bRegisterMainSubMenu(&txtB, &txtTabSetup, (MENU_PRIORITY)1, aChoices, nullptr, nullptr, 2, M_BASIC));
    deliver();
    EXPECT_TRUE(titles(s_mainMenuTabs[SETUP_TAB_PRIORITY]).empty());
}

TEST_F(MenuRegistry, SubMenusTakenBeforeAChoiceFoundNoSlotStayTaken)
{
    for (int i = 0; i < NUM_SUB_MENUS - 1; ++i)
        ASSERT_TRUE(U_MENU_bRegisterSubMenu(name(i), (MENU_PRIORITY)0, nullptr, M_BASIC));
    setupTab();
    const TEXT_TABLE* const aNames[2] = {name(70), name(71)};
    ASSERT_TRUE(U_MENU_bRegisterMainSubMenu(&txtA, &txtTabSetup, (MENU_PRIORITY)1, aChoices, aNames, nullptr, 2,
                                            M_BASIC));
    deliver();
    EXPECT_TRUE(titles(s_mainMenuTabs[SETUP_TAB_PRIORITY]).empty());
    EXPECT_EQ(s_subMenus[NUM_SUB_MENUS - 1].pSubMenuName, name(70));
    EXPECT_TRUE(s_subMenus[NUM_SUB_MENUS - 1].menuRegistered);
}

// ---- Hot menus ----

TEST_F(MenuRegistry, ViewItemsReachTheHotMenusOfTheirViewAndPane)
{
    // The first item of a view declares its hot menu.
    hotItem(&txtA, 1, 40, SPLIT_LEFT_WINDOW);
    deliver();
    EXPECT_EQ(s_hotMenus[0].view, 40);
    EXPECT_EQ(s_hotMenus[0].type, SPLIT_LEFT_WINDOW);
    EXPECT_EQ(titles(s_hotMenus[0]), (Titles{"A"}));
    EXPECT_EQ(s_hotMenus[0].pFirstItem->pMenuIcon, &iconA);
    EXPECT_EQ(g_log.nRebuilds, 1);

    // The view has a hot menu, but not of this pane: the item goes nowhere.
    hotItem(&txtB, 2, 40, SPLIT_RIGHT_WINDOW);
    deliver();
    EXPECT_EQ(s_hotMenus[1].view, 0);
    EXPECT_EQ(titles(s_hotMenus[0]), (Titles{"A"}));

    ASSERT_TRUE(U_MENU_bRegisterExpressMenu(40, SPLIT_RIGHT_WINDOW));
    ASSERT_TRUE(U_MENU_bRegisterExpressMenu(40, SPLIT_RIGHT_WINDOW));
    hotItem(&txtB, 2, 40, SPLIT_RIGHT_WINDOW);
    hotItem(&txtC, 3, 40, SPLIT_LEFT_WINDOW);
    hotItem(&txtC, 3, 40, SPLIT_RIGHT_WINDOW);
    hotItem(&txtD, 4, 41, SPLIT_FULL_WINDOW);
    deliver();
    EXPECT_EQ(s_hotMenus[1].view, 40);
    EXPECT_EQ(s_hotMenus[1].type, SPLIT_RIGHT_WINDOW);
    EXPECT_EQ(s_hotMenus[2].view, 41) << "a repeated hot menu takes no slot";
    EXPECT_EQ(titles(s_hotMenus[0]), (Titles{"A", "C"}));
    EXPECT_EQ(titles(s_hotMenus[1]), (Titles{"B", "C"}));
    EXPECT_EQ(titles(s_hotMenus[2]), (Titles{"D"}));

    // A removal for one pane leaves the other; the full window means both.
    ASSERT_TRUE(U_MENU_bUnregisterHotMenuItem(&txtC, 40, SPLIT_RIGHT_WINDOW));
    deliver();
    EXPECT_EQ(titles(s_hotMenus[0]), (Titles{"A", "C"}));
    EXPECT_EQ(titles(s_hotMenus[1]), (Titles{"B"}));
    hotItem(&txtC, 3, 40, SPLIT_RIGHT_WINDOW);
    ASSERT_TRUE(U_MENU_bUnregisterHotMenuItem(&txtC, 40, SPLIT_FULL_WINDOW));
    deliver();
    EXPECT_EQ(titles(s_hotMenus[0]), (Titles{"A"}));
    EXPECT_EQ(titles(s_hotMenus[1]), (Titles{"B"}));
    EXPECT_EQ(titles(s_hotMenus[2]), (Titles{"D"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(wellFormed(s_hotMenus[i])) << i;
}

TEST_F(MenuRegistry, AnItemForEveryViewWhileNoHotMenuIsInUseReachesNoneAndIsNotKept)
{
    hotItem(&txtA, 1, -1, SPLIT_FULL_WINDOW);
    deliver();
    EXPECT_EQ(s_savedHotMenuItems.pFirstItem, nullptr);
    EXPECT_EQ(s_savedHotMenuItems.numMenuItems, 0);
    for (const HOT_MENU& hot : s_hotMenus) {
        EXPECT_EQ(hot.view, 0);
        EXPECT_EQ(hot.pFirstItem, nullptr);
    }
    ASSERT_TRUE(U_MENU_bRegisterExpressMenu(50, SPLIT_FULL_WINDOW));
    deliver();
    EXPECT_EQ(s_hotMenus[0].view, 50);
    EXPECT_TRUE(titles(s_hotMenus[0]).empty());
    EXPECT_EQ(g_log.nRebuilds, 0);
}

TEST_F(MenuRegistry, AHotMenuRegisteredLaterStartsWithCopiesOfTheSharedItemsAndCountsThem)
{
    ASSERT_TRUE(U_MENU_bRegisterExpressMenu(10, SPLIT_FULL_WINDOW));
    hotItem(&txtA, 1, -1, SPLIT_FULL_WINDOW);
    hotItem(&txtB, 2, -1, SPLIT_FULL_WINDOW);
    deliver();
    EXPECT_EQ(titles(s_hotMenus[0]), (Titles{"A", "B"}));
    EXPECT_EQ(titles(s_savedHotMenuItems), (Titles{"A", "B"}));

    ASSERT_TRUE(U_MENU_bRegisterExpressMenu(11, SPLIT_LEFT_WINDOW));
    hotItem(&txtD, 4, 11, SPLIT_LEFT_WINDOW);
    deliver();
    const HOT_MENU& later = s_hotMenus[1];
    EXPECT_EQ(titles(later), (Titles{"A", "B", "D"}));
    EXPECT_TRUE(wellFormed(later));
    // Copies, not the shared items themselves.
    EXPECT_NE(later.pFirstItem, s_savedHotMenuItems.pFirstItem);
    EXPECT_NE(later.pFirstItem, s_hotMenus[0].pFirstItem);
    EXPECT_EQ(later.pFirstItem->parameters.action.pt2Function, vAction);

    // Another registration for every view replaces the copies in place.
    ASSERT_TRUE(U_MENU_bRegisterHotActionMenu(&txtA, &iconB, (MENU_PRIORITY)1, vOtherAction, TRUE, M_BASIC, -1,
                                              SPLIT_FULL_WINDOW));
    deliver();
    for (const auto* pMenu : {&s_hotMenus[0], &s_hotMenus[1]}) {
        EXPECT_EQ(pMenu->pFirstItem->parameters.action.pt2Function, vOtherAction);
        EXPECT_TRUE(wellFormed(*pMenu));
    }
    EXPECT_TRUE(wellFormed(s_savedHotMenuItems));

    // Removing the items for every view leaves each count equal to what is
    // listed, so a hot menu with items left still counts them.
    ASSERT_TRUE(U_MENU_bUnregisterHotMenuItem(&txtA, -1, SPLIT_FULL_WINDOW));
    ASSERT_TRUE(U_MENU_bUnregisterHotMenuItem(&txtB, -1, SPLIT_FULL_WINDOW));
    deliver();
    EXPECT_TRUE(titles(s_hotMenus[0]).empty());
    EXPECT_EQ(titles(later), (Titles{"D"}));
    EXPECT_TRUE(titles(s_savedHotMenuItems).empty());
    for (const auto* pMenu : {&s_hotMenus[0], &s_hotMenus[1]})
        EXPECT_TRUE(wellFormed(*pMenu));
    EXPECT_TRUE(wellFormed(s_savedHotMenuItems));
    EXPECT_EQ(later.numMenuItems, 1);
}

TEST_F(MenuRegistry, HotMenusEndAtFortyEightAndView0IsNoView)
{
    // View 0 marks a free slot: a hot menu or item for it is dropped, so
    // that nothing of it surfaces in the hot menu that takes the slot later.
    ASSERT_TRUE(U_MENU_bRegisterExpressMenu(0, SPLIT_FULL_WINDOW));
    hotItem(&txtA, 1, 0, SPLIT_FULL_WINDOW);
    deliver();
    EXPECT_EQ(s_hotMenus[0].type, 0);
    for (const HOT_MENU& hot : s_hotMenus)
        EXPECT_EQ(hot.pFirstItem, nullptr);

    for (LAYER_ID v = 1; v <= NUM_HOT_MENUS; ++v)
        ASSERT_TRUE(U_MENU_bRegisterExpressMenu(v, SPLIT_FULL_WINDOW));
    ASSERT_TRUE(U_MENU_bRegisterExpressMenu(99, SPLIT_FULL_WINDOW));
    hotItem(&txtB, 1, 98, SPLIT_FULL_WINDOW);
    deliver();
    EXPECT_EQ(s_hotMenus[0].view, 1);
    EXPECT_TRUE(titles(s_hotMenus[0]).empty());
    for (int i = 0; i < NUM_HOT_MENUS; ++i) {
        EXPECT_EQ(s_hotMenus[i].view, i + 1);
        EXPECT_EQ(s_hotMenus[i].pFirstItem, nullptr);
    }
}

// ---- Quick setup and info menus ----

TEST_F(MenuRegistry, QuickItemsGoToTheQuickSetupMenuOnlyAndRebuildNothing)
{
    ASSERT_TRUE(U_MENU_bRegisterExpressMenu(10, SPLIT_FULL_WINDOW));
    ASSERT_TRUE(U_MENU_bRegisterQuickSliderMenu(&txtB, (MENU_PRIORITY)2, FCID("QKEY"), aLimits, nullptr, nullptr,
                                                nullptr, M_BASIC));
    ASSERT_TRUE(U_MENU_bRegisterQuickSelectorMenu(&txtA, (MENU_PRIORITY)1, FCID("QKEY"), 2, aChoices, aValues,
                                                  M_BASIC));
    deliver();
    EXPECT_EQ(titles(s_quickMenu), (Titles{"A", "B"}));
    EXPECT_TRUE(wellFormed(s_quickMenu));
    EXPECT_TRUE(titles(s_hotMenus[0]).empty());
    EXPECT_TRUE(titles(s_savedHotMenuItems).empty());
    EXPECT_EQ(g_log.nRebuilds, 0);
}

TEST_F(MenuRegistry, InfoMenusTakeFourNamesAndTheirOwnItems)
{
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(U_MENU_bRegisterInfoMenu(name(i)));
    ASSERT_TRUE(U_MENU_bRegisterInfoMenu(name(0)));
    ASSERT_TRUE(U_MENU_bRegisterInfoMenu(name(4)));
    ASSERT_TRUE(U_MENU_bRegisterInfoActionMenu(&txtA, name(2), (MENU_PRIORITY)1, vAction, FALSE, M_BASIC));
    ASSERT_TRUE(U_MENU_bRegisterInfoActionMenu(&txtB, name(4), (MENU_PRIORITY)1, vAction, FALSE, M_BASIC));
    deliver();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s_infoMenus[i].pInfoMenuName, name(i));
    EXPECT_EQ(s_InfoMenuIndex, 3);
    EXPECT_EQ(titles(s_infoMenus[2]), (Titles{"A"}));
    EXPECT_EQ(s_infoMenus[2].pFirstItem->pMenuIcon, nullptr);
    for (int i : {0, 1, 3})
        EXPECT_TRUE(titles(s_infoMenus[i]).empty());
    EXPECT_EQ(g_log.nRebuilds, 1);
}

// ---- Floating menus ----

TEST_F(MenuRegistry, AFifthFloatingMenuReplacesTheFourthSlotAndItsItems)
{
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(U_MENU_bRegisterFloatingMenu(name(i), vAction, vAction, FALSE, nullptr));
        ASSERT_TRUE(U_MENU_bRegisterFloatingMenuActionExtItem(name(i), &txtA, &iconA, TRUE, FALSE, (MENU_PRIORITY)1,
                                                              vAction, FALSE, M_BASIC));
    }
    deliver();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(titles(s_floatingMenus[i]), (Titles{"A"}));
        EXPECT_TRUE(s_floatingMenus[i].pFirstItem->bActive);
    }
    EXPECT_EQ(g_log.nRebuilds, 0);

    ASSERT_TRUE(U_MENU_bRegisterFloatingMenu(name(4), vOtherAction, vAction, TRUE, "Fifth"));
    ASSERT_TRUE(U_MENU_bRegisterFloatingMenuActionExtItem(name(3), &txtB, &iconA, TRUE, FALSE, (MENU_PRIORITY)1,
                                                          vAction, FALSE, M_BASIC));
    deliver();
    const FLOATING_MENU_TYPE& fourth = s_floatingMenus[3];
    EXPECT_EQ(fourth.pFloatingMenuName, name(4));
    EXPECT_TRUE(titles(fourth).empty());
    EXPECT_TRUE(wellFormed(fourth));
    EXPECT_EQ(fourth.GoToKeyHandler, vOtherAction);
    EXPECT_EQ(fourth.ExitKeyHandler, vAction);
    EXPECT_TRUE(fourth.bDisplayAltName);
    EXPECT_STREQ(fourth.aStrAltName, "Fifth");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s_floatingMenus[i].pFloatingMenuName, name(i));
        EXPECT_EQ(titles(s_floatingMenus[i]), (Titles{"A"}));
    }
}

TEST_F(MenuRegistry, AFloatingMenuRegisteredAgainStartsEmptyInItsOwnSlot)
{
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(U_MENU_bRegisterFloatingMenu(name(i), nullptr, nullptr, TRUE, "ABCDEFGHIJKLMNOPQRSTUVWXY"));
        ASSERT_TRUE(U_MENU_bRegisterFloatingMenuActionExtItem(name(i), &txtA, nullptr, FALSE, FALSE,
                                                              (MENU_PRIORITY)1, vAction, FALSE, M_BASIC));
    }
    deliver();
    EXPECT_STREQ(s_floatingMenus[1].aStrAltName, "ABCDEFGHIJKLMNOPQRS");

    // Removal acts only while a floating menu is open, and never on the one
    // shown.
    ASSERT_TRUE(U_MENU_bUnregisterFloatingMenu(name(0)));
    deliver();
    EXPECT_EQ(s_floatingMenus[0].pFloatingMenuName, name(0));
    s_activeMenu = FLOATING_MENU;
    s_activeFloatingMenu = 1;
    ASSERT_TRUE(U_MENU_bUnregisterFloatingMenu(name(1)));
    ASSERT_TRUE(U_MENU_bUnregisterFloatingMenu(name(0)));
    // Registrations wait until it closes.
    ASSERT_TRUE(U_MENU_bRegisterFloatingMenu(name(5), nullptr, nullptr, FALSE, nullptr));
    ASSERT_TRUE(U_MENU_bRegisterFloatingMenuActionExtItem(name(2), &txtB, nullptr, FALSE, FALSE, (MENU_PRIORITY)1,
                                                          vAction, FALSE, M_BASIC));
    deliver();
    EXPECT_EQ(titles(s_floatingMenus[1]), (Titles{"A"}));
    EXPECT_EQ(s_floatingMenus[0].pFloatingMenuName, nullptr);
    EXPECT_TRUE(titles(s_floatingMenus[0]).empty());
    EXPECT_TRUE(wellFormed(s_floatingMenus[0]));
    EXPECT_EQ(titles(s_floatingMenus[2]), (Titles{"A"}));
    for (const FLOATING_MENU_TYPE& floating : s_floatingMenus)
        EXPECT_NE(floating.pFloatingMenuName, name(5));

    // Registered again, a menu starts afresh where it was, even with a free
    // slot in front, and without a flag shows no alternative name.
    s_activeMenu = NO_MENU;
    ASSERT_TRUE(U_MENU_bRegisterFloatingMenu(name(2), nullptr, nullptr, FALSE, "Spare"));
    deliver();
    EXPECT_EQ(s_floatingMenus[0].pFloatingMenuName, nullptr);
    EXPECT_EQ(s_floatingMenus[2].pFloatingMenuName, name(2));
    EXPECT_TRUE(titles(s_floatingMenus[2]).empty());
    EXPECT_TRUE(wellFormed(s_floatingMenus[2]));
    EXPECT_FALSE(s_floatingMenus[2].bDisplayAltName);
    EXPECT_STREQ(s_floatingMenus[2].aStrAltName, "");

    // An item naming no floating menu does not land in the free slot.
    ASSERT_TRUE(U_MENU_bRegisterFloatingMenuActionExtItem(nullptr, &txtC, nullptr, FALSE, FALSE, (MENU_PRIORITY)1,
                                                          vAction, FALSE, M_BASIC));
    deliver();
    EXPECT_TRUE(titles(s_floatingMenus[0]).empty());
}

// ---- Single-centred menus ----

TEST_F(MenuRegistry, ASingleCenteredItemBecomesTheWholeMenuAndOpensIt)
{
    ASSERT_TRUE(U_MENU_bRegisterSingleCenteredMenuSelectorMenu(&txtA, FCID("SKEY"), 2, aChoices, aValues, TRUE, FALSE));
    deliver();
    const SINGLE_CENTERED_MENU_TYPE& single = s_singleCenteredMenus[0];
    EXPECT_EQ(single.pSingleCenteredMenuName, &txtA);
    EXPECT_EQ(titles(single), (Titles{"A"}));
    EXPECT_TRUE(wellFormed(single));
    const MENU_ITEM* pItem = single.pFirstItem;
    EXPECT_TRUE(pItem->bActive);
    EXPECT_EQ(pItem->priority, MENU_PRIORITY_0);
    EXPECT_EQ(pItem->activeLevel, M_BASIC);
    EXPECT_EQ(pItem->control, M_SELECTION_BOX);
    EXPECT_EQ(pItem->parameters.selectionBox.pSelectionList, aChoices);
    ASSERT_EQ(g_log.refreshes.size(), 1u);
    EXPECT_EQ(g_log.refreshes[0].first, pItem);
    EXPECT_TRUE(g_log.refreshes[0].second);
    ASSERT_EQ(g_log.opens.size(), 1u);
    EXPECT_EQ(g_log.opens[0], (std::pair<BOOLEAN, BOOLEAN>{TRUE, FALSE}));
    EXPECT_EQ(g_log.pOpenedMenuName, &txtA) << "built before it opens";
    EXPECT_FALSE(single.bLoopSelection);

    ASSERT_TRUE(U_MENU_bRegisterSingleCenteredMenuSliderMenu(&txtB, FCID("SKEY"), aLimits, nullptr, nullptr, nullptr,
                                                             FALSE, TRUE));
    deliver();
    EXPECT_EQ(single.pSingleCenteredMenuName, &txtB);
    EXPECT_EQ(titles(single), (Titles{"B"}));
    EXPECT_TRUE(wellFormed(single));
    ASSERT_EQ(g_log.opens.size(), 2u);
    EXPECT_EQ(g_log.opens[1], (std::pair<BOOLEAN, BOOLEAN>{FALSE, TRUE}));
    EXPECT_TRUE(single.bLoopSelection);
}

TEST_F(MenuRegistry, TheSingleCenteredMenuIsRemovedOnlyWhileOpenAwayFromItsItem)
{
    struct Case {
        const char* pcWhat;
        ACTIVE_MENU open;
        S32 s32Highlighted;
        const TEXT_TABLE* pName;
        bool bCleared;
    };
    const Case cases[] = {
        {"closed", NO_MENU, 1, &txtA, false},
        {"open on its item", SINGLE_CENTERED_MENU, 0, &txtA, false},
        {"another name", SINGLE_CENTERED_MENU, 1, &txtB, false},
        {"open away from its item", SINGLE_CENTERED_MENU, 1, &txtA, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pcWhat);
        reset();
        ASSERT_TRUE(U_MENU_bRegisterSingleCenteredMenuSelectorMenu(&txtA, FCID("SKEY"), 2, aChoices, aValues, TRUE,
                                                                   FALSE));
        deliver();
        s_activeMenu = c.open;
        s_activeMenuItemIndex = c.s32Highlighted;
        ASSERT_TRUE(U_MENU_bUnregisterSingleCenteredMenu(c.pName));
        deliver();
        const SINGLE_CENTERED_MENU_TYPE& single = s_singleCenteredMenus[0];
        EXPECT_EQ(single.pSingleCenteredMenuName, c.bCleared ? nullptr : &txtA);
        EXPECT_EQ(titles(single).size(), c.bCleared ? 0u : 1u);
        EXPECT_TRUE(wellFormed(single));
    }
}

// ---- What an item keeps of its registration ----

TEST_F(MenuRegistry, AnItemKeepsOnlyItsControlsFieldsAndReadsItsKeyOnceForNumericKinds)
{
    // Every parameter byte of the mail is 0x5A, so the bound key is "ZZZZ".
    H_DATABASE_bUpdateEverythingFloat(FCID("ZZZZ"), 12.5f, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
    const TEXT_TABLE* const aSubNames[1] = {name(1)};
    const ICON* const aSubIcons[1] = {&iconC};

    using Keep = void (*)(CONTROL_PARAMETERS&, const CONTROL_PARAMETERS&);
    struct Case {
        MENU_CONTROL control;
        bool bReadsKey;
        Keep keep;
    };
    auto sliderKeep = [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
        o.slider.FourCharId = i.slider.FourCharId;
        o.slider.pLimits = i.slider.pLimits;
        o.slider.valueStrSuffix = i.slider.valueStrSuffix;
        o.slider.pCtrlTextLeft = i.slider.pCtrlTextLeft;
        o.slider.pCtrlTextRight = i.slider.pCtrlTextRight;
    };
    const Case cases[] = {
        {M_SLIDER, true, sliderKeep},
        {M_SLIDER_IMMEDIATE, true, sliderKeep},
        {M_SLIDER_VARIABLE_STEP, true,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.slider.FourCharId = i.slider.FourCharId;
             o.slider.pLimits = i.slider.pLimits;
             o.slider.valueStrSuffix = i.slider.valueStrSuffix;
             o.slider.pCtrlTextLeft = i.slider.pCtrlTextLeft;
             o.slider.pCtrlTextRight = i.slider.pCtrlTextRight;
             o.slider.pLevels = i.slider.pLevels;
         }},
        {M_PROGRESS_BAR, true,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.progressBar.FourCharId = i.progressBar.FourCharId;
             o.progressBar.pLimits = i.progressBar.pLimits;
             o.progressBar.valueStrSuffix = i.progressBar.valueStrSuffix;
             o.progressBar.pCtrlTextLeft = i.progressBar.pCtrlTextLeft;
             o.progressBar.pCtrlTextRight = i.progressBar.pCtrlTextRight;
         }},
        {M_NUMERIC_ENTRY, true,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.numericEntry.FourCharId = i.numericEntry.FourCharId;
             o.numericEntry.pLimits = i.numericEntry.pLimits;
             o.numericEntry.valueStrSuffix = i.numericEntry.valueStrSuffix;
             o.numericEntry.pCtrlTextLeft = i.numericEntry.pCtrlTextLeft;
             o.numericEntry.pCtrlTextRight = i.numericEntry.pCtrlTextRight;
         }},
        {M_SELECTION_BOX, false,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.selectionBox.FourCharId = i.selectionBox.FourCharId;
             o.selectionBox.pSelectionList = i.selectionBox.pSelectionList;
             o.selectionBox.pSelectionIcons = i.selectionBox.pSelectionIcons;
             o.selectionBox.pSelectionValueArray = i.selectionBox.pSelectionValueArray;
             o.selectionBox.numberSelections = i.selectionBox.numberSelections;
         }},
        {M_ACTION, false,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.action.pt2Function = i.action.pt2Function;
             o.action.confirm = i.action.confirm;
         }},
        {M_ACTION_EXT, false,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.actionExt.pt2Function = i.actionExt.pt2Function;
             o.actionExt.confirm = i.actionExt.confirm;
             o.actionExt.bDispIconAlways = i.actionExt.bDispIconAlways;
             o.actionExt.bDispIconOnly = i.actionExt.bDispIconOnly;
         }},
        {M_SUB_MENU_HOT, false,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.subMenu.pSubMenuChoices = i.subMenu.pSubMenuChoices;
             o.subMenu.pSubMenuIcons = i.subMenu.pSubMenuIcons;
             o.subMenu.numberChoices = i.subMenu.numberChoices;
             o.subMenu.pt2Function = i.subMenu.pt2Function;
             o.subMenu.subMenuID = 0; // name(1) takes the first slot
         }},
        {M_ACTION_LIST_SHRUNKEN, false,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.actionList.pActionListChoices = i.actionList.pActionListChoices;
             o.actionList.numberChoices = i.actionList.numberChoices;
             o.actionList.pt2Function = i.actionList.pt2Function;
             o.actionList.FourCharId = i.actionList.FourCharId;
             o.actionList.bConfirm = i.actionList.bConfirm;
         }},
        {M_CHECK_BOX, false,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.checkList.context = i.checkList.context;
             o.checkList.getCheck = i.checkList.getCheck;
             o.checkList.setCheck = i.checkList.setCheck;
         }},
        {M_ANGLE_ADJUST, true,
         [](CONTROL_PARAMETERS& o, const CONTROL_PARAMETERS& i) {
             o.angleAdjust.FourCharId = i.angleAdjust.FourCharId;
             o.angleAdjust.minValue = i.angleAdjust.minValue;
             o.angleAdjust.maxValue = i.angleAdjust.maxValue;
             o.angleAdjust.stepValue = i.angleAdjust.stepValue;
             o.angleAdjust.bWrapOver = i.angleAdjust.bWrapOver;
             o.angleAdjust.pChkItemName = i.angleAdjust.pChkItemName;
             o.angleAdjust.pChkIcon = i.angleAdjust.pChkIcon;
             o.angleAdjust.fnCbOnInfo = i.angleAdjust.fnCbOnInfo;
         }},
        {M_SELECTION_BUTTONS, false, [](CONTROL_PARAMETERS&, const CONTROL_PARAMETERS&) {}},
        {M_ALPHA_NUMERIC_ENTRY, false, [](CONTROL_PARAMETERS&, const CONTROL_PARAMETERS&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        MSG_ADD_MENU_ITEM mail;
        memset(static_cast<void*>(&mail), 0, sizeof mail);
        mail.pMenuIcon = &iconB;
        mail.descriptor.pMenuName = &txtA;
        mail.descriptor.menuPriority = (MENU_PRIORITY)7;
        mail.descriptor.menuUserLevel = M_SUPER_USER;
        mail.descriptor.control = c.control;
        memset(static_cast<void*>(&mail.descriptor.parameters), 0x5A, sizeof mail.descriptor.parameters);
        if (c.control == M_SUB_MENU_HOT) {
            mail.descriptor.parameters.subMenu.pSubMenuNames = aSubNames;
            mail.descriptor.parameters.subMenu.pSubMenuIcons = aSubIcons;
            mail.descriptor.parameters.subMenu.numberChoices = 1;
        }

        L_MUTEX_LockWait(RES_MENU);
        MENU_ITEM* pItem = T_MENU_pMenuItemInitEntry(&mail);
        L_MUTEX_Unlock(RES_MENU);
        ASSERT_NE(pItem, nullptr);

        CONTROL_PARAMETERS expected;
        memset(static_cast<void*>(&expected), 0, sizeof expected);
        c.keep(expected, mail.descriptor.parameters);
        EXPECT_EQ(memcmp(&pItem->parameters, &expected, sizeof expected), 0);
        EXPECT_EQ(pItem->pMenuTitle, &txtA);
        EXPECT_EQ(pItem->priority, 7);
        EXPECT_EQ(pItem->activeLevel, M_SUPER_USER);
        EXPECT_EQ(pItem->control, c.control);
        EXPECT_EQ(pItem->pMenuIcon, &iconB);
        EXPECT_EQ(pItem->pNextMenu, nullptr);
        EXPECT_FALSE(pItem->bActive);
        if (c.bReadsKey) {
            EXPECT_EQ(pItem->value.fVal, 12.5f);
            EXPECT_EQ(pItem->DataType, D_DEPTH);
            EXPECT_EQ(pItem->dataFormat, DF_FLOAT);
        } else {
            EXPECT_EQ(pItem->value.RawSlot, 0u);
            EXPECT_EQ(pItem->DataType, D_UNKNOWN);
            EXPECT_EQ(pItem->dataFormat, DF_ERROR);
        }
        H_MEMORY_vFree(pItem);
    }

    // A key never written leaves the value and its type empty.
    setupTab();
    ASSERT_TRUE(U_MENU_bRegisterMainSliderMenu(&txtA, &txtTabSetup, (MENU_PRIORITY)1, FCID("NONE"), aLimits, nullptr,
                                               nullptr, nullptr, M_BASIC));
    deliver();
    const MENU_ITEM* pSlider = s_mainMenuTabs[SETUP_TAB_PRIORITY].pFirstItem;
    ASSERT_NE(pSlider, nullptr);
    EXPECT_EQ(pSlider->value.RawSlot, 0u);
    EXPECT_EQ(pSlider->DataType, D_UNKNOWN);
}

TEST_F(MenuRegistry, MailsOfTheRestOfTheMenuTaskAreLeftToIt)
{
    U_MENU_ActivateFloatingMenu(&txtA);
    U_MENU_vActivateSingleCenteredMenu(&txtA, 3, TRUE, TRUE, nullptr);
    U_MENU_ActivateInfoMenu(&txtA, aChoices, 2);
    U_MENU_vClearMenus();
    U_MENU_vHideMenus();
    U_MENU_vRestoreMenus();
    int nMails = 0;
    while (MSGHEADER* pHeader = L_MBOX_Receive(MENU_MAILBOX)) {
        ++nMails;
        EXPECT_FALSE(T_MENU_bHandleRegistryMail(reinterpret_cast<GENERIC_MESSAGE*>(pHeader)));
        H_MEMORY_vDumpMail(pHeader);
    }
    EXPECT_EQ(nMails, 6);
    EXPECT_EQ(g_log.nRebuilds, 0);
    EXPECT_FALSE(T_MENU_bHandleRegistryMail(nullptr));
}

} // namespace
