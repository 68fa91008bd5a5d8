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

// ---- The open menu ----
//
// Windows are ranges of entries of the visible list: the first entry shown
// (a "top") and s_BottomMenuItem, the last. The hot, main and quick-setup
// menus scroll s_TopMenuItem, the sub-menu levels s_TopSubMenuItem; the
// info, floating and single-centred menus have tops of their own.

// A level's window and highlight, kept for the way back up.
typedef struct tag_MENU_ITEM_RANGE {
    S32 s32_BottomMenuItem;
    S32 s32_TopMenuItem;
    S32 s32_LastActiveMenuIndex;
} MENU_ITEM_RANGE;

// Entries past s_numActiveMenuItems are left as they were; they are only
// ever compared, never followed.
extern MENU_ITEM* s_activeMenuList[MAX_ACTIVE_MENU_ITEMS];
extern S16 s_numActiveMenuItems;
extern BOOLEAN s_bMenuItemActive; // main menu: the highlight is on an item, not on the tab bar
extern S32 s_activeHotMenu;       // hot-menu slot shown
extern S32 s_TopMenuItem;
extern S32 s_BottomMenuItem;
extern S32 s_TopSubMenuItem;
extern S32 s_TopInfoMenuItem;
extern S32 s_BottomInfoMenuItem;
extern S32 s_TopFloatingMenuItem;
extern S32 s_TopSingleCenteredMenuItem;
extern S32 s_currentTopOffset; // highlighted row's distance from its window's first row
extern S32 s_currentSubMenuTopOffset;
extern S32 s_currentInfoMenuTopOffset;
extern S32 s_currentFloatingMenuTopOffset;
extern S32 s_currentSingleCenteredMenuTopOffset;

// The sub-menu levels: level 0 is a top-level menu; the per-level records
// are indexed by level, so every level 0-4 has each of them.
extern S32 s_menuLevel;
extern ACTIVE_MENU s_callingMenu[MAX_SUB_MENU_LEVELS + 1];     // the kind to return to
extern S32 s_activeSubMenu[MAX_SUB_MENU_LEVELS + 1];           // the sub-menu slot shown
extern MENU_ITEM* s_subMenuCallingItem[MAX_SUB_MENU_LEVELS + 1]; // the item that opened it
extern MENU_ITEM_RANGE MenuItemRange[MAX_SUB_MENU_LEVELS + 1];

extern S32 s_activeInfoMenu; // -1: none
extern S32 s_activeSingleCenteredMenu;
extern BOOLEAN s_bConfirmActive;   // the Yes/No confirmation is shown
extern BOOLEAN s_repeatActive;     // a cursor key is held: items keep their unwritten values
extern BOOLEAN s_bShowMenuList;    // a hot menu shows its whole list, not only the highlighted row
extern BOOLEAN s_bMenuHidden;      // hidden for another screen: only EXIT is taken
extern BOOLEAN s_bQuickConfigMenuDisplayed;
extern BOOLEAN s_bReadoutMenuActivate; // a readout-selection sub menu is open
extern BOOLEAN s_bLoopSelections;      // the single-centred menu's selections wrap
extern BOOLEAN s_bActivatingMainMenu;  // the main menu's first drawing rebuilds its list
extern U32 s_u32LastMainMenuIndex;     // the top-level highlight when a sub menu was opened
extern U64 s_timer;                    // kernel-clock milliseconds of the last opening or vertical move
extern U32 s_u32LastCursorDown;        // the direction of the last cursor event

// ---- What the task's files share (RES_MENU held) ----

void vGoodClick(void);
void vBadClick(void);
// A frame at the view task's ordinary rate, or at once.
void vRequestFrame(bool bExpedited);
// s_activeMenu and "CMNU".
void vSetActiveMenu(ACTIVE_MENU eMenu);
bool bIsSubMenuLevel(ACTIVE_MENU eMenu);     // 4-8 and 12
bool bIsMainSubMenuLevel(ACTIVE_MENU eMenu); // 5-8
// The highlighted entry of the visible list; null when there is none, in
// the main menu while the highlight is on the tab bar, and while the group
// manager's screen (which has no list here) is up.
MENU_ITEM* pHighlightedItem(void);
const T_MENU_NEIGHBOURS& neighbours(void);
void vResetReadoutSubMenuStatus(void);
// The current view ("CVEW") and its active pane ("CVAS").
LAYER_ID currentView(void);
SPLIT_WINDOW_TYPE currentPane(void);
// The Yes/No confirmation (layer 293).
void vShowConfirmation(void);
void vCancelConfirmation(void);
// The choice list of a sub-menu, hot sub-menu or action-list item.
bool bChoiceListOpen(const MENU_ITEM* pItem);
void vCloseChoiceList(MENU_ITEM* pItem);
// The visible-list rebuild, keeping pKeep highlighted where the open menu
// keeps an item (the hot and info menus).
void vRebuildKeeping(const MENU_ITEM* pKeep);
// The open menu's window: its first entry (the kind's own top) and its
// last (s_BottomInfoMenuItem for the info menu, s_BottomMenuItem else).
S32* ps32WindowTop(void);
S32* ps32WindowBottom(void);
// EXIT on the start-up quick-setup menu: the start-up task takes it away
// (its keys and layer with it) and no menu is open.
void vRemoveQuickConfigMenu(void);
// EXIT held after the menus closed: let it go now, with its timer.
bool bExitHoldRunning(void);
void vReleaseExitKeyNow(void);

// East (bEast) or west on the item, u32Steps increments at a time;
// u32EventCount is the key event's repeat count (1 for a fresh press).
void vChangeValue(MENU_ITEM* pItem, bool bEast, U32 u32Steps, U32 u32EventCount);
// The item's value to its key, at writer priority 2.
void vWriteValue(const MENU_ITEM* pItem);
bool bIsSlider(const MENU_ITEM* pItem); // slider, variable-step or immediate
// East on a hot sub-menu item: its function, the whole list, then its sub
// menu or its choice list. No click.
void vHotSubMenuEast(MENU_ITEM* pItem);

} // namespace t_menu
