// The menu task's tables and the state its files share, all guarded by
// RES_MENU.
//
// Every menu is a list linked through pNextMenu with its first and last
// item and a count. Invariants, kept by every handler:
// 1. An item belongs to exactly one list, and no two items of a list share
//    a title table.
// 2. Items with a priority other than NO_PRIORITY come first, in ascending
//    order; the NO_PRIORITY items follow in arrival order.
// 3. pLastItem is the last item reached from pFirstItem (both null when the
//    list is empty), and numMenuItems is the number of items listed.
// Items, sub-menu slots and the names they hold stay while registered; the
// texts, icons, arrays and callbacks they point to belong to the
// registering tasks.
#pragma once

#include "ui/t_menu.h"

namespace t_menu {

constexpr int NUM_HOT_MENUS = 48;
constexpr int NUM_SUB_MENUS = 70;
constexpr int NUM_INFO_MENUS = 4;
constexpr int NUM_FLOATING_MENUS = 4;
constexpr int NUM_SINGLE_CENTERED_MENUS = 1;

// A main-menu tab; its slot is its TAB_PRIORITY. A removed tab keeps its
// items, hidden, until its slot is registered again.
typedef struct tag_MENU_TAB {
    const TEXT_TABLE* pTabTitle;
    MENU_USER_LEVEL activeLevel;
    const ICON* pTabIcon;
    S16 numMenuItems;
    BOOLEAN bTabActive;
    MENU_ITEM* pFirstItem;
    MENU_ITEM* pLastItem;
} MENU_TAB;

// The hot menu of one view and pane; view 0 marks a free slot.
typedef struct tag_HOT_MENU {
    LAYER_ID view;
    SPLIT_WINDOW_TYPE type;
    S16 numMenuItems;
    MENU_ITEM* pFirstItem;
    MENU_ITEM* pLastItem;
    S32 lastUsedMenuItem; // highlighted when the menu last closed
} HOT_MENU;

// The master copies of the items registered for every view, which seed the
// hot menus registered later.
typedef struct tag_USED_BY_ALL_HOT_MENUS {
    S16 numMenuItems;
    MENU_ITEM* pFirstItem;
    MENU_ITEM* pLastItem;
} USED_BY_ALL_HOT_MENUS;

typedef struct tag_QUICK_MENU {
    S16 numMenuItems;
    MENU_ITEM* pFirstItem;
    MENU_ITEM* pLastItem;
} QUICK_MENU;

typedef struct tag_SUB_MENU {
    const TEXT_TABLE* pSubMenuName;
    const ICON* pHelperIcon;
    BOOLEAN menuRegistered;
    S16 numMenuItems;
    MENU_ITEM* pFirstItem;
    MENU_ITEM* pLastItem;
    S32 lastUsedMenuItem;
} SUB_MENU;

// A null name marks a free slot.
typedef struct tag_INFO_MENU_TYPE {
    const TEXT_TABLE* pInfoMenuName;
    S16 numMenuItems;
    MENU_ITEM* pFirstItem;
    MENU_ITEM* pLastItem;
} INFO_MENU_TYPE;

// A null name marks a free slot.
typedef struct tag_FLOATING_MENU_TYPE {
    const TEXT_TABLE* pFloatingMenuName;
    char aStrAltName[MENU_ALT_NAME_SIZE];
    BOOLEAN bDisplayAltName;
    MENU_ACTION_FUNC* GoToKeyHandler;
    MENU_ACTION_FUNC* ExitKeyHandler;
    S16 numMenuItems;
    MENU_ITEM* pFirstItem;
    MENU_ITEM* pLastItem;
} FLOATING_MENU_TYPE;

// One item, whose title is the menu's name.
typedef struct tag_SINGLE_CENTERED_MENU_TYPE {
    const TEXT_TABLE* pSingleCenteredMenuName;
    S16 numMenuItems;
    MENU_ITEM* pFirstItem;
    MENU_ITEM* pLastItem;
    BOOLEAN bLoopSelection;
} SINGLE_CENTERED_MENU_TYPE;

extern MENU_TAB s_mainMenuTabs[NUM_TAB_PRIORITIES];
extern S32 s_lastTabIndex; // the highest tab slot registered
extern HOT_MENU s_hotMenus[NUM_HOT_MENUS];
extern USED_BY_ALL_HOT_MENUS s_savedHotMenuItems;
extern QUICK_MENU s_quickMenu;
extern SUB_MENU s_subMenus[NUM_SUB_MENUS];
extern S32 s_SubMenuIndex; // the highest sub-menu slot used
extern INFO_MENU_TYPE s_infoMenus[NUM_INFO_MENUS];
extern S32 s_InfoMenuIndex; // the highest info-menu slot used
extern FLOATING_MENU_TYPE s_floatingMenus[NUM_FLOATING_MENUS];
extern SINGLE_CENTERED_MENU_TYPE s_singleCenteredMenus[NUM_SINGLE_CENTERED_MENUS];

// What the registry reads of the open menu.
extern ACTIVE_MENU s_activeMenu;     // mirrored in "CMNU"
extern S32 s_activeMenuItemIndex;    // the highlighted entry of the visible list
extern S32 s_activeTab;              // the main-menu tab shown
extern S32 s_activeFloatingMenu;     // the floating-menu slot shown

} // namespace t_menu
