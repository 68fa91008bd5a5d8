// The menu task (task 15, mailbox 15, key "TMNU") owns every menu of the
// unit. Other tasks describe menus and items by mail (ui/u_menu_client.h);
// the task keeps them in fixed tables of its own (ui/t_menu_state.h), each
// menu a singly linked list of MENU_ITEMs in priority order.
//
// This header holds the item record, the task's numbers, the registry (what
// the task does with each registration and removal mail), the task itself
// with the calls other tasks make directly, the value editing and the key
// handling. What is marked "RES_MENU held" runs with mutex 8 taken by the
// caller; T_MENU_bHandleRegistryMail, T_MENU_vHandleMail and the direct
// entry points take it themselves.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "ui/menu_types.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"
#include "ui/u_view.h"

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

// ---- The task ----
//
// The task serves mailbox 15: the registry mails above, and the requests
// and key events below, each handled with RES_MENU held and then disposed
// of. It decides which menu is open ("CMNU" mirrors it), keeps the list of
// the open menu's visible items, takes the keys while a menu is open and
// registers the menu layers the view task draws.

constexpr SEMA SEMA_MBOX_MENU = 41;       // mail on mailbox 15
constexpr SEMA SEMA_TIMER_MENU_EXIT = 89; // the 400 ms exit-key timer
constexpr SEMA SEMA_GPS_DETECTED = 111;
constexpr SEMA SEMA_RADAR_TRIGGER_DELAY = 234;

constexpr LAYER_ID EXPRESS_MENU_LAYER = 273;
constexpr LAYER_ID MAIN_MENU_LAYER = 274;
constexpr LAYER_ID SUB_MENU_LAYER = 275;
constexpr LAYER_ID CONFIRM_MENU_LAYER = 293;
constexpr LAYER_ID QUICK_CONFIGURE_LAYER = 329;

constexpr int MAX_ACTIVE_MENU_ITEMS = 60; // visible items of the open menu
constexpr int MAX_SUB_MENU_LEVELS = 4;    // sub menus nested below a top-level menu

// The step multiplier of a variable-step slider.
typedef enum tag_STEP_LEVEL : int { VAR_STEP_1 = 1, VAR_STEP_2 = 5, VAR_STEP_3 = 10 } STEP_LEVEL;

// What the menu task asks of the subsystems above it, installed by the
// composition root. Every member may be null: the call is then left out,
// a question answers FALSE and a name matches no menu.
typedef struct tag_T_MENU_NEIGHBOURS {
    // Navigation group manager: close its screens (keys and layer).
    void (*pfnNavGroupShutdown)(void);
    // Navigation task: a note that clears after the time-out; the
    // go-to-waypoint action of its info menus; TRUE once a GPS receiver was
    // detected.
    void (*pfnNavNote)(const TEXT_TABLE* pText, U32 u32TimeOut);
    void (*pfnGoToWaypoint)(void);
    BOOLEAN (*pfnGPSDetected)(void);
    // Start-up task: take the start-up quick-setup menu away (its keys,
    // its layer and its items).
    void (*pfnRemoveQuickConfigMenu)(void);
    // Radar: the names of its sub menus that need its say before they
    // open, whether a view and pane (-3: the current ones) show the radar,
    // and the tuning calls.
    const TEXT_TABLE* pRadarInstallation;
    const TEXT_TABLE* pRadarTriggerDelay;
    const TEXT_TABLE* pRadarManualTune;
    const TEXT_TABLE* pRadarTune;
    BOOLEAN (*pfnIsMyRadarView)(LAYER_ID view, SPLIT_WINDOW_TYPE pane);
    void (*pfnHandleManualTune)(void);
    BOOLEAN (*pfnHandleTune)(void);
    // Engine and gauge views: the title of their "Select Readouts" item and
    // the readout-selection sub menus.
    const TEXT_TABLE* pSelectReadouts;
    BOOLEAN (*pfnGetReadoutSubMenuStatus)(void);
    void (*pfnUpdateReadoutMenuItems)(void);
    void (*pfnResetReadoutSubMenuStatus)(void);
    void (*pfnRegisterReadoutSubMenuItems)(U32 u32Index);
    void (*pfnGetCurrentItemName)(U32 u32Index, const char* const (**ppName)[DB_NUM_LANGUAGES]);
} T_MENU_NEIGHBOURS;

// Copies the hooks; null removes them all.
void T_MENU_vInstallNeighbours(const T_MENU_NEIGHBOURS* pNeighbours);

// The "Setup" tab of the main menu: the start-up task declares it with this
// table, and the menu task puts its "User Mode" item there.
extern const TEXT_TABLE* const T_MENU_pSetupTabName;
// A slider suffix that hides the value text altogether.
extern const TEXT_TABLE* const T_MENU_pHiddenSuffix;

// Entry of task 15; never returns.
void T_MENU_vMain(void);

// The steps of the task's own loop. vInit publishes "TMNU" (a second owner
// is fatal) and empties every table and state, and so also starts a test
// afresh while the task waits for mail; vHandleMail handles one mail of
// mailbox 15 under RES_MENU and disposes of it; vExitTimerFired is the
// exit timer's expiry.
void T_MENU_vInit(void);
void T_MENU_vHandleMail(MSGHEADER* pHeader);
void T_MENU_vExitTimerFired(void);

// ---- Entry points other tasks call in their own thread ----
//
// Each takes RES_MENU, which nests for its owner, so they may be called
// from inside a menu callback as well.

// Closes every menu.
void T_MENU_vRemoveMenus(void);
// Closes the menus keeping their kind (unless activeMenu is NO_MENU), then
// makes activeMenu the open menu.
void T_MENU_vUpdateActivateMenu(ACTIVE_MENU activeMenu);
// Opens the quick-setup menu (the start-up task, at first start).
void T_MENU_vActivateQuickMenu(void);
// Opens the hot menu of the view (the keyboard task, on a long VIEW press).
void T_MENU_vActivateSpecifiedHotMenu(LAYER_ID view);
// While a single-centred menu shows the item of that title, its value as
// shown, refreshed from the store: at most 31 characters and the
// terminator into pcBuffer, which holds MENU_VALUE_STRING_SIZE. Otherwise
// pcBuffer is left alone.
void T_MENU_vGetSelection(const TEXT_TABLE* pTitle, char* pcBuffer);
// Closes the menus as T_MENU_vRemoveMenus does, letting EXIT go at once.
void T_MENU_vDoRemoveSingleCenteredMenu(void);
// Closes the menus when a hot menu shows only its highlighted row and that
// row is the item of that title.
void T_MENU_vRemoveHotMenuListIfActive(const TEXT_TABLE* pTitle);

// ---- Opening, closing and the visible list (RES_MENU held) ----

void T_MENU_vActivateHotMenu(void);
void T_MENU_vActivateMainMenu(void);
// Opens the sub menu in that slot one level down from the open menu; a sub
// menu without items, a fifth level or a radar menu the radar refuses is
// answered with a bad click.
void T_MENU_vActivateSubMenu(S32 s32Slot);
void T_MENU_vActiveSubMenuByMenuName(const TEXT_TABLE* pName);
// bWillPopNewMenu keeps the kind of the open menu for what opens next.
void T_MENU_vDoRemoveMenus(BOOLEAN bWillPopNewMenu);
void T_MENU_vUpdateActiveMenuList(void);

// ---- Values (RES_MENU held) ----

// Refreshes the item's value, display unit, limits and value_string; the
// bound key is read unless a horizontal key is held and bForceUpdate is
// FALSE.
void T_MENU_vUpdateDisplayStrings(MENU_ITEM* pItem, BOOLEAN bForceUpdate);
// One step of u32Count increments up (down): TRUE when the value moved,
// FALSE when it was already at or past the limit (it is then set to it).
// value is in internal units, unitsValue in currentUnits.
BOOLEAN T_MENU_bIncrementValue(DATA_TYPE dataType, DB_DATA_TYPE* pValue, DB_DATA_TYPE* pUnitsValue,
                               DATA_FORMAT dataFormat, UNIT_TYPE currentUnits, DB_DATA_TYPE maxValue,
                               DB_DATA_TYPE stepValue, U32 u32Count);
BOOLEAN T_MENU_bDecrementValue(DATA_TYPE dataType, DB_DATA_TYPE* pValue, DB_DATA_TYPE* pUnitsValue,
                               DATA_FORMAT dataFormat, UNIT_TYPE currentUnits, DB_DATA_TYPE minValue,
                               DB_DATA_TYPE maxValue, DB_DATA_TYPE stepValue, U32 u32Count);
// The step for the next move of a variable-step slider at val, whose steps
// of 1 end at lowerStep and of 5 at upperStep; may cut *pu32Increment to 1.
STEP_LEVEL T_MENU_eGetStepLevel(float val, float lowerStep, float upperStep, U32* pu32Increment, BOOLEAN bUp);

// ---- Keys (RES_MENU held) ----

void T_MENU_vHandleKeys(const MSG_KEY_CHANGE* pKey);
// One entry down (up) in a window of u32Rows rows; FALSE when nothing moved.
BOOLEAN T_MENU_bMoveDownMenuList(U32 u32Rows);
BOOLEAN T_MENU_bMoveUpMenuList(U32 u32Rows);

// ---- The menu layers' draw functions (view task, RES_MENU taken) ----
//
// Each takes RES_MENU for its whole drawing and draws nothing while the
// menus are hidden. Drawing records the open menu's row width, the
// highlighted row's corner and the window of the main and sub-menu levels
// for the key handling that follows.

void T_MENU_vDrawHotMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_MENU_vDrawMainMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_MENU_vDrawSubMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_MENU_vDrawQuickMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_MENU_vDrawConfirmMenuLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// ---- Drawing helpers (RES_MENU held) ----

// Refreshes the display strings of the first numMenuItems visible items
// (at most 60) and returns the width of the open menu's rows, which it
// also keeps: the widest title or control row, "No Menus Available" + 12
// without items, and 797 for a menu whose frame would not fit the screen.
U32 T_MENU_u32FindMinMenuWidths(S32 numMenuItems);
// The highlighted row, with its control, at the corner recorded while the
// open menu's rows were drawn.
void T_MENU_vDrawMenuActiveItem(BITMAP* pBitmap, MENU_ITEM* pItem);
// The tab that shows entries lie above (bUp) or below (bDown) the window:
// below the menu's corner for hot and quick menus (bHotMenu), near the
// screen's foot for the others, at the anchor itself for the network
// source list (bNetworkSetup).
void T_MENU_vDrawMoreDownTab(BITMAP* pBitmap, POINT anchor, U32 u32Width, BOOLEAN bUp, BOOLEAN bDown,
                             BOOLEAN bHotMenu, BOOLEAN bNetworkSetup);
// The box of a numeric entry: as many "0" as the limits have digits (0
// counting as one), the precision of a float and a sign place for a signed
// item, in the 11x14 font, + 6.
U32 T_MENU_u32FindNumericEntryBoxWidth(const M_NUMERIC_ENTRY_PARAMETERS* pParameters, DATA_FORMAT dataFormat);

// What a row shows of a stored waypoint, route or trolling-motor track.
constexpr U32 MENU_OBJECT_NAME_SIZE = 24;
typedef struct tag_MENU_NAV_OBJECT {
    char acName[MENU_OBJECT_NAME_SIZE]; // NUL-terminated, may be empty
    S32 s32IconNumber;                  // a waypoint's icon number, -1 for none
    const ICON* pIcon;                  // the picture the row shows, or null
} MENU_NAV_OBJECT;

// What the rows ask of the navigation task and the network sources,
// installed by the composition root; a null member leaves a stand-in
// (empty objects, every source available) in its place.
typedef struct tag_T_MENU_DRAW_NEIGHBOURS {
    void (*pfnCopyWaypoint)(U32 u32Index, MENU_NAV_OBJECT* pObject);
    void (*pfnCopyRoute)(U32 u32Index, MENU_NAV_OBJECT* pObject);
    void (*pfnCopyTrack)(U32 u32Index, MENU_NAV_OBJECT* pObject);
    BOOLEAN (*pfnIsSourceAvailable)(U32 u32SourceContext);
} T_MENU_DRAW_NEIGHBOURS;

// Copies the hooks; null removes them all.
void T_MENU_vInstallDrawNeighbours(const T_MENU_DRAW_NEIGHBOURS* pNeighbours);
