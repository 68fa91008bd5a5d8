// The menu task's client side: the names every registering task shares
// (item positions, user levels, tab slots, the open menu), the mails that
// declare menus and items, and the calls any task makes to build and send
// them.
//
// A call runs in the caller's thread, reads the menu task's mailbox from
// "TMNU", builds one mail and posts it at mail priority 3 without a
// semaphore: the menu task frees it and answers nothing. TRUE says only
// that the mail was posted; FALSE that "TMNU" was never written, is not
// valid, or names no mailbox, and then nothing was sent. Calls from one
// task therefore reach the menu task in the order they were made.
//
// Menus, tabs and items are named by the address of their text table,
// never by the words in it: a caller registers, opens and removes with the
// very same table, and every table, icon, array and callback it hands over
// must stay valid as long as the item is registered. Nothing is copied but
// a floating menu's alternative name. No argument is checked here; the
// menu task drops what it cannot place.
#pragma once

#include "graphics/g_icon.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/h_profile.h" // MENU_PRIORITY
#include "store/lang.h"
#include "ui/menu_types.h"
#include "ui/u_view.h" // LAYER_ID, SPLIT_WINDOW_TYPE

// ---- Shared names ----

// Positions the menu framework itself relies on. Only the numeric order of
// positions matters to the menu task: lower values come first.
constexpr MENU_PRIORITY MENU_PRIORITY_0 = (MENU_PRIORITY)6; // every single-centred item
constexpr MENU_PRIORITY MENU_USER_MODE = (MENU_PRIORITY)144;
// The go-to items of the navigation task's info menus, from the waypoint
// under the cursor to the fifth route; GOTO on one of them starts the
// navigation.
constexpr MENU_PRIORITY MENU_GO_TO_WAYPOINT = (MENU_PRIORITY)658;
constexpr MENU_PRIORITY MENU_GOTO_ROUTE4 = (MENU_PRIORITY)667;
constexpr S32 NUM_MENU_PRIORITIES = 707;

// The lowest user level at which an item or tab is shown; "CUSR" holds the
// current one.
typedef enum tag_MENU_USER_LEVEL : int {
    M_BASIC = 1,
    M_ADVANCED = 2,
    M_SUPER_USER = 3,
    M_DIAGNOSTIC = 4
} MENU_USER_LEVEL;

// A main-menu tab's slot, which is also its place from left to right.
typedef enum tag_TAB_PRIORITY : int {
    ALARM_TAB_PRIORITY = 0,
    SONAR_TAB_PRIORITY = 1,
    SIDEVIEW_TAB_PRIORITY = 2,
    SONAR_3D_TAB_PRIORITY = 3,
    NAV_TAB_PRIORITY = 4,
    CHART_TAB_PRIORITY = 5,
    SETUP_TAB_PRIORITY = 6,
    SELECT_VIEWS_TAB_PRIORITY = 7,
    ACCESSORY_TAB_PRIORITY = 8,
    NETWORK_TAB_PRIORITY = 9,
    DATA_TAB_PRIORITY = 10,
    VURUZAVE_TAB_PRIORITY = 11,
    NUM_TAB_PRIORITIES = 12
} TAB_PRIORITY;

// The open menu, published under "CMNU".
typedef enum tag_ACTIVE_MENU : int {
    NO_MENU = 0,
    QUICK_SETUP_MENU = 1,
    EXPRESS_MENU = 2, // a hot menu
    MAIN_MENU = 3,
    EXPRESS_SUB_MENU = 4,
    MAIN_SUB_MENU = 5,
    MAIN_SUB_MENU_1 = 6,
    MAIN_SUB_MENU_2 = 7,
    MAIN_SUB_MENU_3 = 8,
    INFO_MENU = 9,
    FLOATING_MENU = 10,
    SINGLE_CENTERED_MENU = 11,
    INFO_SUB_MENU = 12,
    MAIN_GRP_MENU = 13
} ACTIVE_MENU;

// ---- Mails ----

// An item as its task describes it.
typedef struct tag_MENU_DESCRIPTOR {
    const TEXT_TABLE* pMenuName; // the title, and the item's identity in its menu
    MENU_PRIORITY menuPriority;
    MENU_USER_LEVEL menuUserLevel;
    MENU_CONTROL control;
    CONTROL_PARAMETERS parameters;
} MENU_DESCRIPTOR;

// CMD_ID_REGISTER_MENU_ITEM, and CMD_ID_REGISTER_FLOATING_MENU_ITEM with
// pTabName naming the floating menu. The addressing fields say where the
// item goes: a tab, a sub menu, an info menu, the quick-setup menu
// (splitType SPLIT_QUICK_WINDOW), or else the hot menus of view (-1: every
// view) and splitType.
typedef struct tag_MSG_ADD_MENU_ITEM {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pTabName;
    LAYER_ID view;
    SPLIT_WINDOW_TYPE splitType;
    const TEXT_TABLE* pSubMenuName;
    const TEXT_TABLE* pInfoMenuName;
    const ICON* pMenuIcon;
    MENU_DESCRIPTOR descriptor;
} MSG_ADD_MENU_ITEM;

// CMD_ID_REGISTER_SINGLE_CENTERED_MENU_ITEM.
typedef struct tag_MSG_ADD_SINGLE_CENTERED_MENU_ITEM {
    MSG_ADD_MENU_ITEM item;
    BOOLEAN bDisplayMenu;
    BOOLEAN bLoopSelection;
} MSG_ADD_SINGLE_CENTERED_MENU_ITEM;

// CMD_ID_REGISTER_MENU_TAB.
typedef struct tag_MSG_ADD_MENU_TAB {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pTabName;
    TAB_PRIORITY priority;
    const ICON* pTabIcon;
    MENU_USER_LEVEL menuUserLevel;
} MSG_ADD_MENU_TAB;

// CMD_ID_REGISTER_SUB_MENU. The menu task uses neither priority nor level.
typedef struct tag_MSG_ADD_SUB_MENU {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pSubMenuName;
    MENU_PRIORITY priority;
    const ICON* pMenuIcon;
    MENU_USER_LEVEL menuUserLevel;
} MSG_ADD_SUB_MENU;

// CMD_ID_REGISTER_HOT_MENU.
typedef struct tag_MSG_ADD_HOT_MENU {
    GENERIC_MESSAGE header;
    LAYER_ID view;
    SPLIT_WINDOW_TYPE type;
} MSG_ADD_HOT_MENU;

// CMD_ID_REGISTER_INFO_MENU.
typedef struct tag_MSG_ADD_INFO_MENU {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pInfoMenuName;
} MSG_ADD_INFO_MENU;

constexpr U32 MENU_ALT_NAME_SIZE = 20; // a floating menu's alternative name with its terminator

// CMD_ID_REGISTER_FLOATING_MENU.
typedef struct tag_MSG_ADD_FLOATING_MENU {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pFloatingMenuName;
    MENU_ACTION_FUNC* GoToKeyHandler;
    MENU_ACTION_FUNC* ExitKeyHandler;
    BOOLEAN bDisplayAltName;
    char aStrAltName[MENU_ALT_NAME_SIZE];
} MSG_ADD_FLOATING_MENU;

// CMD_ID_UNREGISTER_FLOATING_MENU and CMD_ID_ACTIVATE_FLOATING_MENU.
typedef struct tag_MSG_REMOVE_FLOATING_MENU {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pFloatingMenuName;
} MSG_REMOVE_FLOATING_MENU;
typedef MSG_REMOVE_FLOATING_MENU MSG_ACTIVATE_FLOATING_MENU;

// CMD_ID_UNREGISTER_SINGLE_CENTERED_MENU.
typedef struct tag_MSG_REMOVE_SINGLE_CENTERED_MENU {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pSingleCenteredMenuName;
} MSG_REMOVE_SINGLE_CENTERED_MENU;

// CMD_ID_ACTIVATE_SINGLE_CENTERED_MENU. pMenuLocation names the tab or sub
// menu holding the item of that name; null: the hot menus of eCurrentView.
typedef struct tag_MSG_ACTIVATE_SINGLE_CENTERED_MENU {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pSingleCenteredMenuName;
    LAYER_ID eCurrentView;
    BOOLEAN bDisplayMenu;
    BOOLEAN bLoopSelection;
    const TEXT_TABLE* pMenuLocation;
} MSG_ACTIVATE_SINGLE_CENTERED_MENU;

// CMD_ID_UNREGISTER_MENU_TAB.
typedef struct tag_MSG_REMOVE_TAB {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pTabName;
} MSG_REMOVE_TAB;

// CMD_ID_UNREGISTER_MENU_ITEM.
typedef struct tag_MSG_REMOVE_MENU {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pMenuName;
    const TEXT_TABLE* pTabName;
    const TEXT_TABLE* pInfoMenuName;
    LAYER_ID view;
    SPLIT_WINDOW_TYPE splitType;
    const TEXT_TABLE* pSubMenuName;
} MSG_REMOVE_MENU;

// CMD_ID_ACTIVATE_INFO_MENU: open the info menu showing only the items
// whose titles are listed.
typedef struct tag_MSG_ACTIVATE_INFO_MENU {
    GENERIC_MESSAGE header;
    const TEXT_TABLE* pInfoMenuName;
    const TEXT_TABLE* const* pActiveMenus;
    U8 u8numActiveMenus;
} MSG_ACTIVATE_INFO_MENU;

// CMD_ID_CLEAR_MENU, CMD_ID_HIDE_MENU, CMD_ID_RESTORE_MENU.
typedef struct tag_MSG_CLEAR_MENU {
    GENERIC_MESSAGE header;
} MSG_CLEAR_MENU;

// ---- Containers and menu-wide commands ----

BOOLEAN U_MENU_bRegisterTab(const TEXT_TABLE* pTabName, TAB_PRIORITY priority, const ICON* pTabIcon,
                            MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterSubMenu(const TEXT_TABLE* pSubMenuName, MENU_PRIORITY priority, const ICON* pIcon,
                                MENU_USER_LEVEL level);
// Declares the hot menu of a view and pane.
BOOLEAN U_MENU_bRegisterExpressMenu(LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterInfoMenu(const TEXT_TABLE* pInfoMenuName);
// fnCbOnGoTo runs on the GOTO key, fnCbOnExit on EXIT. The alternative name
// arrives cut to 19 characters; without one the menu never shows it.
BOOLEAN U_MENU_bRegisterFloatingMenu(const TEXT_TABLE* pFloatingMenuName, MENU_ACTION_FUNC* fnCbOnGoTo,
                                     MENU_ACTION_FUNC* fnCbOnExit, BOOLEAN bDisplayAltName, const char* pStrAltName);
BOOLEAN U_MENU_bUnregisterFloatingMenu(const TEXT_TABLE* pFloatingMenuName);
void U_MENU_ActivateFloatingMenu(const TEXT_TABLE* pFloatingMenuName);
BOOLEAN U_MENU_bUnregisterSingleCenteredMenu(const TEXT_TABLE* pSingleCenteredMenuName);
// Opens a single-centred menu made from the registered item of that name,
// found in the tab or sub menu pMenuLocation, or with pMenuLocation null in
// the hot menus of eCurrentView.
void U_MENU_vActivateSingleCenteredMenu(const TEXT_TABLE* pName, LAYER_ID eCurrentView, BOOLEAN bDisplayMenu,
                                        BOOLEAN bLoopValues, const TEXT_TABLE* pMenuLocation);
BOOLEAN U_MENU_bUnregisterTab(const TEXT_TABLE* pTabName);
void U_MENU_ActivateInfoMenu(const TEXT_TABLE* pInfoMenuName, const TEXT_TABLE* const* pActiveMenus,
                             U8 u8numActiveMenus);
void U_MENU_vClearMenus(void);
void U_MENU_vHideMenus(void);
void U_MENU_vRestoreMenus(void);

// ---- Item removal ----

BOOLEAN U_MENU_bUnregisterHotMenuItem(const TEXT_TABLE* pName, LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bUnregisterQuickMenuItem(const TEXT_TABLE* pName);
BOOLEAN U_MENU_bUnregisterMainMenuItem(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName);
// The sub menu comes first here.
BOOLEAN U_MENU_bUnregisterSubMenuItem(const TEXT_TABLE* pSubMenuName, const TEXT_TABLE* pName);

// ---- Items of a view's hot menu ----

BOOLEAN U_MENU_bRegisterHotActionMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                      MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm, MENU_USER_LEVEL level,
                                      LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotActionListMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                          const TEXT_TABLE* const* ppChoices, MENU_ACTION_FUNC* const* ppfnActions,
                                          U32 u32numActionItems, MENU_USER_LEVEL level, LAYER_ID view,
                                          SPLIT_WINDOW_TYPE split, FOURCHARID key, const BOOLEAN* pbConfirm);
BOOLEAN U_MENU_bRegisterHotActionListShrunkenMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                                  const TEXT_TABLE* const* ppChoices,
                                                  MENU_ACTION_FUNC* const* ppfnActions, U32 u32numActionItems,
                                                  MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split,
                                                  FOURCHARID key, const BOOLEAN* pbConfirm);
BOOLEAN U_MENU_bRegisterHotIconSelectorMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                            FOURCHARID key, U32 u32Count, const ICON* const* ppIcons,
                                            const U32* pu32Values, MENU_USER_LEVEL level, LAYER_ID view,
                                            SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotNumEntryMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                        FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                        const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                        MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotProgBarMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                       FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                       const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                       MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotSelectorMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                        FOURCHARID key, U32 u32Count, const TEXT_TABLE* const* ppChoices,
                                        const U32* pu32Values, MENU_USER_LEVEL level, LAYER_ID view,
                                        SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                      FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                      const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                      MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotVarStepSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                             FOURCHARID key, const MENU_LIMITS* pLimits,
                                             const MENU_STEP_LEVELS* pLevels, const TEXT_TABLE* pCtrlTextLeft,
                                             const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                             MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotImmediateSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                               FOURCHARID key, const MENU_LIMITS* pLimits,
                                               const TEXT_TABLE* pCtrlTextLeft, const TEXT_TABLE* pCtrlTextRight,
                                               const TEXT_TABLE* pValueSuffix, MENU_USER_LEVEL level, LAYER_ID view,
                                               SPLIT_WINDOW_TYPE split);
// M_SUB_MENU_HOT: shown without the arrow of a sub-menu item.
BOOLEAN U_MENU_bRegisterHotSubMenuWithNoArrow(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                              const TEXT_TABLE* const* ppChoices,
                                              const TEXT_TABLE* const* ppSubMenuNames,
                                              const ICON* const* ppChoiceIcons, U32 u32numSubMenus,
                                              MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotSubMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                   const TEXT_TABLE* const* ppChoices, const TEXT_TABLE* const* ppSubMenuNames,
                                   const ICON* const* ppChoiceIcons, U32 u32numSubMenus, MENU_USER_LEVEL level,
                                   LAYER_ID view, SPLIT_WINDOW_TYPE split);

// ---- Items of the quick-setup menu ----

BOOLEAN U_MENU_bRegisterQuickSliderMenu(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key,
                                        const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                        const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                        MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterQuickSelectorMenu(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key, U32 u32Count,
                                          const TEXT_TABLE* const* ppChoices, const U32* pu32Values,
                                          MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterQuickVarStepSliderMenu(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key,
                                               const MENU_LIMITS* pLimits, const MENU_STEP_LEVELS* pLevels,
                                               const TEXT_TABLE* pCtrlTextLeft, const TEXT_TABLE* pCtrlTextRight,
                                               const TEXT_TABLE* pValueSuffix, MENU_USER_LEVEL level);

// ---- Items of a named info menu ----

BOOLEAN U_MENU_bRegisterInfoActionListMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pInfoMenuName,
                                           MENU_PRIORITY prio, const TEXT_TABLE* const* ppChoices,
                                           MENU_ACTION_FUNC* const* ppfnActions, U32 u32numActionItems,
                                           MENU_USER_LEVEL level, FOURCHARID key, const BOOLEAN* pbConfirm);
BOOLEAN U_MENU_bRegisterInfoActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pInfoMenuName, MENU_PRIORITY prio,
                                       MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm, MENU_USER_LEVEL level);

// ---- Items under a main-menu tab ----

BOOLEAN U_MENU_bRegisterMainActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                       MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm, MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterMainActionListMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                           const TEXT_TABLE* const* ppChoices, MENU_ACTION_FUNC* const* ppfnActions,
                                           U32 u32numActionItems, MENU_USER_LEVEL level, FOURCHARID key,
                                           const BOOLEAN* pbConfirm);
BOOLEAN U_MENU_bRegisterMainIconSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName,
                                             MENU_PRIORITY prio, FOURCHARID key, U32 u32Count,
                                             const ICON* const* ppIcons, const U32* pu32Values,
                                             MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterMainNumEntryMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                         FOURCHARID key, const MENU_LIMITS* pLimits,
                                         const TEXT_TABLE* pCtrlTextLeft, const TEXT_TABLE* pCtrlTextRight,
                                         const TEXT_TABLE* pValueSuffix, MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterMainProgBarMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                        FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                        const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                        MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterMainSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                         FOURCHARID key, U32 u32Count, const TEXT_TABLE* const* ppChoices,
                                         const U32* pu32Values, MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterMainSliderMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                       FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                       const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                       MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterMainVarStepSliderMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName,
                                              MENU_PRIORITY prio, FOURCHARID key, const MENU_LIMITS* pLimits,
                                              const MENU_STEP_LEVELS* pLevels, const TEXT_TABLE* pCtrlTextLeft,
                                              const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                              MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterMainSubMenuWithIcon(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, const ICON* pIcon,
                                            MENU_PRIORITY prio, const TEXT_TABLE* const* ppChoices,
                                            const TEXT_TABLE* const* ppSubMenuNames,
                                            const ICON* const* ppChoiceIcons, U32 u32numSubMenus,
                                            MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterMainSubMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                    const TEXT_TABLE* const* ppChoices, const TEXT_TABLE* const* ppSubMenuNames,
                                    const ICON* const* ppChoiceIcons, U32 u32numSubMenus, MENU_USER_LEVEL level);
// pfnAction runs when a choice is taken.
BOOLEAN U_MENU_bRegisterMainSubMenuWithAction(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName,
                                              MENU_PRIORITY prio, const TEXT_TABLE* const* ppChoices,
                                              const TEXT_TABLE* const* ppSubMenuNames,
                                              const ICON* const* ppChoiceIcons, U32 u32numSubMenus,
                                              MENU_USER_LEVEL level, MENU_ACTION_FUNC* pfnAction);

// ---- Items of a named sub menu ----

BOOLEAN U_MENU_bRegisterSubMenuActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                          const ICON* pIcon, MENU_PRIORITY prio, MENU_ACTION_FUNC* pfnAction,
                                          BOOLEAN bConfirm, MENU_USER_LEVEL level);
// M_ACTION_HOT: the action runs at once, even from a hot menu.
BOOLEAN U_MENU_bRegisterHotSubMenuActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                             const ICON* pIcon, MENU_PRIORITY prio, MENU_ACTION_FUNC* pfnAction,
                                             BOOLEAN bConfirm, MENU_USER_LEVEL level);
// No choice asks for confirmation.
BOOLEAN U_MENU_bRegisterSubMenuActionListMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                              const ICON* pIcon, MENU_PRIORITY prio,
                                              const TEXT_TABLE* const* ppChoices,
                                              MENU_ACTION_FUNC* const* ppfnActions, U32 u32numActionItems,
                                              MENU_USER_LEVEL level, FOURCHARID key);
BOOLEAN U_MENU_bRegisterSubMenuIconSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                                const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key, U32 u32Count,
                                                const ICON* const* ppIcons, const U32* pu32Values,
                                                MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterSubMenuNumEntryMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                            const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                                            const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                            const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                            MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterSubMenuProgBarMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                           const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                                           const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                           const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                           MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterSubMenuSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                            const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key, U32 u32Count,
                                            const TEXT_TABLE* const* ppChoices, const U32* pu32Values,
                                            MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterSubMenuSliderMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                          const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                                          const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                          const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                          MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterSubMenuCheckListMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                             const ICON* pIcon, MENU_PRIORITY prio, U32 u32Context,
                                             GET_CHECK_FUNC* pfnGetCheck, SET_CHECK_FUNC* pfnSetCheck,
                                             MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterSubMenuCheckBoxMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                            const ICON* pIcon, MENU_PRIORITY prio, U32 u32Context,
                                            GET_CHECK_FUNC* pfnGetCheck, SET_CHECK_FUNC* pfnSetCheck,
                                            MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterSubMenuSubMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName, const ICON* pIcon,
                                       MENU_PRIORITY prio, const TEXT_TABLE* const* ppChoices,
                                       const TEXT_TABLE* const* ppSubMenuNames, const ICON* const* ppChoiceIcons,
                                       U32 u32numSubMenus, MENU_USER_LEVEL level);

// ---- Items of a floating menu ----

BOOLEAN U_MENU_bRegisterFloatingMenuActionExtItem(const TEXT_TABLE* pFloatingMenuName, const TEXT_TABLE* pName,
                                                  const ICON* pIcon, BOOLEAN bDispIconAlways, BOOLEAN bDispIconOnly,
                                                  MENU_PRIORITY prio, MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm,
                                                  MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterFloatingMenuSliderItem(const TEXT_TABLE* pFloatingMenuName, const TEXT_TABLE* pName,
                                               const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                                               const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                               const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                               MENU_USER_LEVEL level);
BOOLEAN U_MENU_bRegisterFloatingMenuAngleAdjustItem(const TEXT_TABLE* pFloatingMenuName, const TEXT_TABLE* pName,
                                                    const ICON* pIcon, MENU_ACTION_FUNC* fnCbOnInfo,
                                                    MENU_PRIORITY prio, FOURCHARID key, S32 s32MinVal,
                                                    S32 s32MaxVal, S32 s32StepVal, BOOLEAN bWrapOver,
                                                    const TEXT_TABLE* pChkItemName, const ICON* pChkIcon,
                                                    MENU_USER_LEVEL level);

// ---- A single-centred menu of one item, opened at once ----
//
// The item's title is also the menu's name; it always sits at
// MENU_PRIORITY_0 and is shown at every user level. bDisplayMenu draws the
// menu; bLoopValues lets its selections wrap around.

BOOLEAN U_MENU_bRegisterSingleCenteredMenuSelectorMenu(const TEXT_TABLE* pName, FOURCHARID key, U32 u32Count,
                                                       const TEXT_TABLE* const* ppChoices, const U32* pu32Values,
                                                       BOOLEAN bDisplayMenu, BOOLEAN bLoopValues);
BOOLEAN U_MENU_bRegisterSingleCenteredMenuVarStepSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon,
                                                            FOURCHARID key, const MENU_LIMITS* pLimits,
                                                            const MENU_STEP_LEVELS* pLevels,
                                                            const TEXT_TABLE* pCtrlTextLeft,
                                                            const TEXT_TABLE* pCtrlTextRight,
                                                            const TEXT_TABLE* pValueSuffix, BOOLEAN bDisplayMenu,
                                                            BOOLEAN bLoopValues);
BOOLEAN U_MENU_bRegisterSingleCenteredMenuSliderMenu(const TEXT_TABLE* pName, FOURCHARID key,
                                                     const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                                     const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                                     BOOLEAN bDisplayMenu, BOOLEAN bLoopValues);
