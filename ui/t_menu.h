// The menu task (task 15, mailbox 15, key "TMNU") owns every menu of the
// unit. Other tasks describe menus and items by mail (ui/u_menu_client.h);
// the task keeps them in fixed tables of its own (ui/t_menu_state.h), each
// menu a singly linked list of MENU_ITEMs in priority order.
//
// This header holds the item record, the task's numbers and the registry:
// what the task does with each registration and removal mail. Everything
// here runs with RES_MENU held; T_MENU_bHandleRegistryMail takes it.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "ui/menu_types.h"
#include "ui/u_menu_client.h"

constexpr TASK MENU_TASK = 15;
constexpr MBOX MENU_MAILBOX = 15;
constexpr MUTEX RES_MENU = 8; // the menu tables; nests for its owner

constexpr U32 MENU_VALUE_STRING_SIZE = 32;

// One registered item, owned by the menu task: a zeroed block of the
// program heap, filled from the registration as T_MENU_pMenuItemInitEntry
// says.
typedef struct tag_MENU_ITEM {
    const TEXT_TABLE* pMenuTitle; // the title, and the item's identity in its menu
    DB_DATA_TYPE value;           // the bound key's value, or the chosen sub menu or action
    char value_string[MENU_VALUE_STRING_SIZE];
    MENU_CONTROL control;
    CONTROL_PARAMETERS parameters;
    MENU_USER_LEVEL activeLevel;
    MENU_PRIORITY priority;
    struct tag_MENU_ITEM* pNextMenu;
    const ICON* pMenuIcon;
    UNIT_TYPE units;          // the display unit applied
    DB_DATA_TYPE unitsValue;  // the value in that unit
    DATA_TYPE DataType;       // of the bound key
    DATA_FORMAT dataFormat;   // of the bound key
    BOOLEAN bActive;          // shown in info, floating and single-centred menus
} MENU_ITEM;

// What the registry leaves to the rest of the menu task, called with
// RES_MENU held; a hook not installed does nothing.
typedef struct tag_T_MENU_REGISTRY_HOOKS {
    // Rebuild the open menu's list of visible items.
    void (*pfnUpdateActiveMenuList)(void);
    // Refresh an item's value, unit, limits and value_string; bForceUpdate
    // reads the bound key even while a key is held.
    void (*pfnUpdateDisplayStrings)(MENU_ITEM* pItem, BOOLEAN bForceUpdate);
    // Open the single-centred menu just built.
    void (*pfnOpenSingleCenteredMenu)(BOOLEAN bDisplayMenu, BOOLEAN bLoopSelection);
} T_MENU_REGISTRY_HOOKS;

// Copies the hooks; null removes them all.
void T_MENU_vInstallRegistryHooks(const T_MENU_REGISTRY_HOOKS* pHooks);

// Empties every menu table, freeing the items still linked, and resets the
// open-menu state the registry reads.
void T_MENU_vInitRegistry(void);

// Handles a registration or removal mail (Cmd 17-24, 26, 27, 29, 30) under
// RES_MENU: TRUE when it was one, FALSE (the mail untouched) otherwise. The
// caller disposes of the mail either way.
BOOLEAN T_MENU_bHandleRegistryMail(GENERIC_MESSAGE* pMsg);

// ---- The handlers ----
//
// A request that names nothing registered, finds its table full or repeats
// a registration changes nothing, and the sender is never told.

void T_MENU_vRegisterMenuTab(const MSG_ADD_MENU_TAB* pMsg);
void T_MENU_vRegisterMenuItem(const MSG_ADD_MENU_ITEM* pMsg);
void T_MENU_vRegisterSubMenu(const MSG_ADD_SUB_MENU* pMsg);
void T_MENU_vRegisterHotMenu(const MSG_ADD_HOT_MENU* pMsg);
void T_MENU_vRegisterInfoMenu(const MSG_ADD_INFO_MENU* pMsg);
void T_MENU_vRegisterFloatingMenu(const MSG_ADD_FLOATING_MENU* pMsg);
void T_MENU_vUnregisterFloatingMenu(const MSG_REMOVE_FLOATING_MENU* pMsg);
void T_MENU_vRegisterFloatingMenuItem(const MSG_ADD_MENU_ITEM* pMsg);
void T_MENU_vUnregisterSingleCenteredMenu(const MSG_REMOVE_SINGLE_CENTERED_MENU* pMsg);
void T_MENU_vRegisterSingleCenteredMenuItem(const MSG_ADD_SINGLE_CENTERED_MENU_ITEM* pMsg);
void T_MENU_vUnregisterMenuTab(const MSG_REMOVE_TAB* pMsg);
void T_MENU_vUnregisterMenuItem(const MSG_REMOVE_MENU* pMsg);

// ---- Items and lists ----

// A new item from a registration, keeping only the parameter fields its
// control uses and, for sliders, progress bars, numeric entries and angle
// adjusters, the bound key's value and type as they are now. A sub-menu
// item also registers the sub menus its choices name; when one cannot be
// had the item is freed and null returned.
MENU_ITEM* T_MENU_pMenuItemInitEntry(const MSG_ADD_MENU_ITEM* pMsg);

// Links pNew into the list in priority order (TRUE), or copies it over the
// item of the same title, which keeps its place, and frees it (FALSE).
BOOLEAN T_MENU_bInsertItem(MENU_ITEM** ppFirstItem, MENU_ITEM** ppLastItem, MENU_ITEM* pNew);

// Unlinks and frees the first item with that title: TRUE when there was one.
BOOLEAN T_MENU_bDeleteItem(MENU_ITEM** ppFirstItem, MENU_ITEM** ppLastItem, const TEXT_TABLE* pTitle);

// The sub-menu slot for ppSubMenuNames[u32Index], registered now when it is
// not yet; -1 when all slots hold other names.
S32 T_MENU_s32RegisterSubMenu(const TEXT_TABLE* const* ppSubMenuNames, const ICON* const* ppSubMenuIcons,
                              U32 u32Index);

// Makes the single-centred menu hold a copy of pSource alone, shown, with
// its display strings refreshed, and named by its title.
void T_MENU_vBuildSingleCenteredMenu(const MENU_ITEM* pSource);
