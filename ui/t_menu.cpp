// The menu task (see ui/t_menu.h): its loop, the requests of other tasks,
// opening and closing menus, and the list of the open menu's visible items.
//
// Keys. From the start of normal operation the task holds MENU for good.
// While a menu is open it also holds every key but POWER, MENU and the zoom
// keys, the cursor with repeats (the quick-setup menu: every key but POWER).
// The keyboard task keeps every registration it is sent, and a key
// registered twice stays with this task after one release, dead to the
// views; so the keys held are counted here and never registered twice.
//
// EXIT. Closing keeps EXIT for 400 ms, so that a burst of EXIT presses
// closes only the menu; any other key, or a menu opening, ends the hold.
// The exit timer is a kernel timer, and kernel timers belong to the task
// that takes them: only this task starts and stops it, and a close made in
// another task's thread lets EXIT go at once.
//
// Locking: mails are handled with RES_MENU held; the entry points other
// tasks call take it too (it nests for its owner), so that a long VIEW
// press in the keyboard task or the start-up task's quick setup never
// races the menu task.
#include "ui/t_menu_state.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_timer.h"
#include "store/database_msg.h"
#include "store/h_database.h"
#include "ui/t_view.h"

#include <algorithm>
#include <cstring>

namespace t_menu {

MENU_ITEM* s_activeMenuList[MAX_ACTIVE_MENU_ITEMS];
S16 s_numActiveMenuItems = 0;
BOOLEAN s_bMenuItemActive = FALSE;
S32 s_activeHotMenu = 0;
S32 s_TopMenuItem = 0;
S32 s_BottomMenuItem = 0;
S32 s_TopSubMenuItem = 0;
S32 s_TopInfoMenuItem = 0;
S32 s_BottomInfoMenuItem = 0;
S32 s_TopFloatingMenuItem = 0;
S32 s_TopSingleCenteredMenuItem = 0;
S32 s_currentTopOffset = 0;
S32 s_currentSubMenuTopOffset = 0;
S32 s_currentInfoMenuTopOffset = 0;
S32 s_currentFloatingMenuTopOffset = 0;
S32 s_currentSingleCenteredMenuTopOffset = 0;
S32 s_menuLevel = 0;
ACTIVE_MENU s_callingMenu[MAX_SUB_MENU_LEVELS + 1];
S32 s_activeSubMenu[MAX_SUB_MENU_LEVELS + 1];
MENU_ITEM* s_subMenuCallingItem[MAX_SUB_MENU_LEVELS + 1];
MENU_ITEM_RANGE MenuItemRange[MAX_SUB_MENU_LEVELS + 1];
S32 s_activeInfoMenu = -1;
S32 s_activeSingleCenteredMenu = 0;
BOOLEAN s_bConfirmActive = FALSE;
BOOLEAN s_repeatActive = FALSE;
BOOLEAN s_bShowMenuList = FALSE;
BOOLEAN s_bMenuHidden = FALSE;
BOOLEAN s_bQuickConfigMenuDisplayed = FALSE;
BOOLEAN s_bReadoutMenuActivate = FALSE;
BOOLEAN s_bLoopSelections = FALSE;
BOOLEAN s_bActivatingMainMenu = FALSE;
U32 s_u32LastMainMenuIndex = 0;
U64 s_timer = 0;
U32 s_u32LastCursorDown = CURSOR_UP;

} // namespace t_menu

using namespace t_menu;

namespace {

constexpr const char* SOURCE_FILE = "./Working/SOURCE/t_menu.c";

constexpr FOURCHARID KEY_TMNU = FCID("TMNU");
constexpr FOURCHARID KEY_CMNU = FCID("CMNU");
constexpr FOURCHARID KEY_CUSR = FCID("CUSR");
constexpr FOURCHARID KEY_SUSR = FCID("SUSR");
constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr FOURCHARID KEY_SLNG = FCID("SLNG");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_CVAS = FCID("CVAS");
constexpr FOURCHARID KEY_IPCS = FCID("IPCS");

constexpr U32 KEYS_MENU_OPEN = 0xFB8A;  // all but POWER, MENU, CURSOR, the zoom keys and 0x400
constexpr U32 KEYS_MENU_CLOSE = 0xFB92; // all but POWER, MENU, EXIT and the zoom keys
constexpr U32 KEYS_QUICK_MENU = 0xFFEE; // all but POWER and CURSOR
constexpr U32 KEYS_QUICK_MENU_REMOVED = 0xFFFE;
constexpr TICKS EXIT_HOLD_TICKS = 400;
constexpr int HOT_MENU_ROWS = 9;
constexpr int QUICK_MENU_ROWS = 3;
constexpr U32 POINT_OF_SALE_STATE = 6;
constexpr U32 NAV_NOTE_TIME_OUT = 5;
constexpr LAYER_ID FIRST_GAUGE_VIEW = 67; // the engine and gauge views, 67-70
constexpr LAYER_ID LAST_GAUGE_VIEW = 70;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Setup_Tab = ALL_LANGUAGES("Setup");
TEXT_TABLE Hidden_Text = ALL_LANGUAGES("Hidden");
TEXT_TABLE User_Mode = ALL_LANGUAGES("User Mode");
TEXT_TABLE User_Mode_Normal = ALL_LANGUAGES("Normal");
TEXT_TABLE User_Mode_Advanced = ALL_LANGUAGES("Advanced");
TEXT_TABLE Radar_Installation_Note = ALL_LANGUAGES("Change to a radar view before adjusting the installation settings");
const TEXT_TABLE* const User_Mode_Choices[2] = {&User_Mode_Normal, &User_Mode_Advanced};
const U32 User_Mode_Values[2] = {M_BASIC, M_ADVANCED};

T_MENU_NEIGHBOURS s_neighbours = {};

// Keys registered by opening menus and not released since.
U32 s_u32KeysHeld = 0;
// The running exit timer, or null. Disowned: a close in another task's
// thread let EXIT go already, and the timer only has to be given back.
TIMER_INFO* s_pExitTimer = nullptr;
bool s_bExitTimerDisowned = false;

bool bInMenuTask(void) { return L_TASK_GetID(0) == MENU_TASK; }

// ---- Keys ----

void vTakeKeys(U32 u32Mask, KEY_STATE state, BOOLEAN bRepeat, BOOLEAN bAccelerate, CURSOR_MODE mode,
               KEY_USAGE usage)
{
    const U32 u32New = u32Mask & ~s_u32KeysHeld;
    if (u32New == 0)
        return;
    if (U_KEYBOARD_bRegisterKeys(MENU_MAILBOX, u32New, state, bRepeat, bAccelerate, mode, usage))
        s_u32KeysHeld |= u32New;
}

void vReleaseKeys(U32 u32Mask)
{
    const U32 u32Held = u32Mask & s_u32KeysHeld;
    if (u32Held == 0)
        return;
    U_KEYBOARD_bUnregisterKeys(MENU_MAILBOX, u32Held);
    s_u32KeysHeld &= ~u32Held;
}

void vDropExitTimer(void)
{
    if (s_pExitTimer == nullptr)
        return;
    if (!bInMenuTask()) {
        s_bExitTimerDisowned = true;
        return;
    }
    L_TIMER_Stop(s_pExitTimer);
    L_TIMER_Release(s_pExitTimer);
    s_pExitTimer = nullptr;
    s_bExitTimerDisowned = false;
    L_SEMA_SetPending(SEMA_TIMER_MENU_EXIT);
}

// A menu opening while EXIT is held after a close keeps it.
void vKeepExitKey(void) { vDropExitTimer(); }

void vStartExitHold(void)
{
    if (bExitHoldRunning()) {
        vReleaseExitKeyNow();
        return;
    }
    if (!bInMenuTask()) {
        vReleaseKeys(KEY_EXIT);
        return;
    }
    vDropExitTimer();
    s_pExitTimer = L_TIMER_Allocate();
    if (s_pExitTimer == nullptr) {
        vReleaseKeys(KEY_EXIT);
        return;
    }
    L_TIMER_Start(s_pExitTimer, EXIT_HOLD_TICKS, 0, SEMA_TIMER_MENU_EXIT);
}

void vTakeMenuKeys(void)
{
    vKeepExitKey();
    vTakeKeys(KEYS_MENU_OPEN, KEY_DOWN, FALSE, FALSE, CURSOR_4, REGISTER_MENU);
    vTakeKeys(KEY_CURSOR, KEY_CHANGE, TRUE, TRUE, CURSOR_4, REGISTER_MENU);
}

// ---- Layers ----

void vRegisterLayer(DRAW_FUNCTION* pfnDraw, LAYER_ID layer)
{
    U_VIEW_bRegisterLayer(pfnDraw, layer, USED_BY_ALL, 0, 0, TRUE, nullptr, nullptr, nullptr);
}

// ---- Data store ----

U32 u32Fetch(FOURCHARID key, U32 u32Default)
{
    U32 u32Value = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &u32Value, &bValid, nullptr) || !bValid)
        return u32Default;
    return u32Value;
}

// An unreadable level shows what the advanced level shows, the level the
// task itself starts with when none was kept.
U32 u32UserLevel(void) { return u32Fetch(KEY_CUSR, M_ADVANCED); }

// ---- The visible list ----

void vList(MENU_ITEM* pFirst, bool bByLevel, U32 u32Level, bool bActiveOnly)
{
    for (MENU_ITEM* p = pFirst; p != nullptr && s_numActiveMenuItems < MAX_ACTIVE_MENU_ITEMS; p = p->pNextMenu) {
        if (bByLevel && (U32)p->activeLevel > u32Level)
            continue;
        if (bActiveOnly && !p->bActive)
            continue;
        s_activeMenuList[s_numActiveMenuItems++] = p;
    }
}

S32 s32Position(const MENU_ITEM* pItem)
{
    if (pItem == nullptr)
        return -1;
    for (S32 i = 0; i < s_numActiveMenuItems; ++i)
        if (s_activeMenuList[i] == pItem)
            return i;
    return -1;
}

void vRecomputeTabs(U32 u32Level)
{
    s_lastTabIndex = 0;
    for (int i = 0; i < NUM_TAB_PRIORITIES; ++i) {
        MENU_TAB& tab = s_mainMenuTabs[i];
        tab.bTabActive = tab.pTabTitle != nullptr && u32Level >= (U32)tab.activeLevel;
        if (tab.bTabActive)
            s_lastTabIndex = i;
    }
}

// The window never runs past the visible entries: a list that fits the
// window shows from its first entry, and one that does not ends its window
// at its last entry at the latest.
void vFitWindow(void)
{
    const S32 n = s_numActiveMenuItems;
    if (s_activeMenu == QUICK_SETUP_MENU) {
        s_TopMenuItem = 0;
        s_BottomMenuItem = std::min<S32>(n, QUICK_MENU_ROWS) - 1;
        return;
    }
    S32* pTop = ps32WindowTop();
    if (n == 0) {
        s_BottomMenuItem = *pTop;
    } else if (n <= HOT_MENU_ROWS) {
        *pTop = 0;
        s_BottomMenuItem = n - 1;
    } else {
        *pTop = std::max<S32>(*pTop, 0);
        s_BottomMenuItem = *pTop + HOT_MENU_ROWS - 1;
        if (s_BottomMenuItem > n - 1) {
            s_BottomMenuItem = n - 1;
            *pTop = n - HOT_MENU_ROWS;
        }
    }
}

const MENU_ITEM* pListEntryAtHighlight(void)
{
    const S32 i = s_activeMenuItemIndex;
    return i >= 0 && i < MAX_ACTIVE_MENU_ITEMS ? s_activeMenuList[i] : nullptr;
}

// ---- Opening ----

S32 s32FindHotMenu(LAYER_ID view, SPLIT_WINDOW_TYPE pane, bool bFullWindowToo)
{
    for (S32 i = 0; i < NUM_HOT_MENUS; ++i) {
        const HOT_MENU& hot = s_hotMenus[i];
        if (hot.view == view && hot.view != 0 &&
            (hot.type == pane || (bFullWindowToo && hot.type == SPLIT_FULL_WINDOW)))
            return i;
    }
    return -1;
}

void vRefreshAll(MENU_ITEM* pFirst)
{
    for (MENU_ITEM* p = pFirst; p != nullptr; p = p->pNextMenu)
        T_MENU_vUpdateDisplayStrings(p, TRUE);
}

void vOpenHotMenu(S32 s32Slot, bool bRefresh)
{
    HOT_MENU& hot = s_hotMenus[s32Slot];
    s_activeHotMenu = s32Slot;
    s_activeMenuItemIndex = hot.lastUsedMenuItem;
    vSetActiveMenu(EXPRESS_MENU);
    T_MENU_vUpdateActiveMenuList();
    if (bRefresh)
        vRefreshAll(hot.pFirstItem);
    vRegisterLayer(T_MENU_vDrawHotMenuLayer, EXPRESS_MENU_LAYER);
}

// Cmd 27's opening half, and Cmd 28's: the single-centred menu just built.
void vOpenSingleCenteredMenu(BOOLEAN bDisplayMenu, BOOLEAN bLoopSelection)
{
    s_singleCenteredMenus[0].bLoopSelection = bLoopSelection;
    s_bLoopSelections = bLoopSelection;
    s_menuLevel = 0;
    s_activeSingleCenteredMenu = 0;
    s_TopSingleCenteredMenuItem = 0;
    s_currentSingleCenteredMenuTopOffset = 0;
    vSetActiveMenu(SINGLE_CENTERED_MENU);
    s_activeMenuItemIndex = 0;
    T_MENU_vUpdateActiveMenuList();
    if (bDisplayMenu) {
        vRegisterLayer(T_MENU_vDrawSubMenuLayer, SUB_MENU_LAYER);
    } else if (MENU_ITEM* pItem = pHighlightedItem()) {
        T_MENU_vUpdateDisplayStrings(pItem, TRUE);
    }
}

MENU_ITEM* pFindByTitle(MENU_ITEM* pFirst, const TEXT_TABLE* pTitle)
{
    for (MENU_ITEM* p = pFirst; p != nullptr; p = p->pNextMenu)
        if (p->pMenuTitle == pTitle)
            return p;
    return nullptr;
}

MENU_ITEM* pFindSingleCenteredSource(const MSG_ACTIVATE_SINGLE_CENTERED_MENU* pMsg)
{
    const TEXT_TABLE* pName = pMsg->pSingleCenteredMenuName;
    if (pName == nullptr)
        return nullptr;
    if (pMsg->pMenuLocation == nullptr) {
        for (HOT_MENU& hot : s_hotMenus) {
            if (hot.view == 0 || hot.view != pMsg->eCurrentView || hot.numMenuItems <= 0)
                continue;
            if (MENU_ITEM* p = pFindByTitle(hot.pFirstItem, pName))
                return p;
        }
        return nullptr;
    }
    for (MENU_TAB& tab : s_mainMenuTabs)
        if (tab.pTabTitle == pMsg->pMenuLocation)
            return pFindByTitle(tab.pFirstItem, pName);
    for (int i = 0; i <= s_SubMenuIndex && i < NUM_SUB_MENUS; ++i)
        if (s_subMenus[i].menuRegistered && s_subMenus[i].pSubMenuName == pMsg->pMenuLocation)
            return pFindByTitle(s_subMenus[i].pFirstItem, pName);
    return nullptr;
}

void vActivateSingleCenteredMenu(const MSG_ACTIVATE_SINGLE_CENTERED_MENU* pMsg)
{
    if (s_activeMenu != SINGLE_CENTERED_MENU) {
        if (const MENU_ITEM* pSource = pFindSingleCenteredSource(pMsg)) {
            T_MENU_vBuildSingleCenteredMenu(pSource);
            vOpenSingleCenteredMenu(pMsg->bDisplayMenu, pMsg->bLoopSelection);
        }
    }
    vRequestFrame(false);
}

void vActivateFloatingMenu(const MSG_ACTIVATE_FLOATING_MENU* pMsg)
{
    if (s_activeMenu == FLOATING_MENU)
        return;
    int nSlot = -1;
    for (int i = 0; i < NUM_FLOATING_MENUS && nSlot < 0; ++i)
        if (pMsg->pFloatingMenuName != nullptr && s_floatingMenus[i].pFloatingMenuName == pMsg->pFloatingMenuName)
            nSlot = i;
    if (nSlot >= 0 && s_floatingMenus[nSlot].numMenuItems > 0) {
        s_activeFloatingMenu = nSlot;
        s_currentFloatingMenuTopOffset = 0;
        s_TopFloatingMenuItem = 0;
        vSetActiveMenu(FLOATING_MENU);
        s_menuLevel = 0;
        s_activeMenuItemIndex = 0;
        s_bMenuItemActive = TRUE;
        T_MENU_vUpdateActiveMenuList();
        vTakeMenuKeys();
        vRegisterLayer(T_MENU_vDrawSubMenuLayer, SUB_MENU_LAYER);
    }
    vRequestFrame(false);
}

// An info menu that is not registered has nothing to show and no name to
// head it with: the request changes nothing.
void vActivateInfoMenu(const MSG_ACTIVATE_INFO_MENU* pMsg)
{
    if (s_activeMenu == INFO_MENU)
        return;
    S32 s32Slot = -1;
    for (S32 i = 0; i <= s_InfoMenuIndex && i < NUM_INFO_MENUS && s32Slot < 0; ++i)
        if (pMsg->pInfoMenuName != nullptr && s_infoMenus[i].pInfoMenuName == pMsg->pInfoMenuName)
            s32Slot = i;
    if (s32Slot < 0)
        return;
    const U32 u32Listed = pMsg->pActiveMenus != nullptr ? pMsg->u8numActiveMenus : 0;
    s_activeInfoMenu = s32Slot;
    s_BottomInfoMenuItem = (S32)u32Listed - 1;
    for (MENU_ITEM* p = s_infoMenus[s32Slot].pFirstItem; p != nullptr; p = p->pNextMenu) {
        p->bActive = FALSE;
        for (U32 i = 0; i < u32Listed; ++i)
            if (pMsg->pActiveMenus[i] == p->pMenuTitle)
                p->bActive = TRUE;
    }
    vSetActiveMenu(INFO_MENU);
    s_menuLevel = 0;
    s_currentInfoMenuTopOffset = 0;
    s_TopInfoMenuItem = 0;
    s_activeMenuItemIndex = 0;
    s_bMenuItemActive = TRUE;
    T_MENU_vUpdateActiveMenuList();
    vTakeMenuKeys();
    vRegisterLayer(T_MENU_vDrawSubMenuLayer, SUB_MENU_LAYER);
    vRequestFrame(false);
}

// ---- Closing ----

void vCloseMenus(BOOLEAN bWillPopNewMenu, bool bExitAtOnce)
{
    U_VIEW_bUnRegisterLayer(CONFIRM_MENU_LAYER);
    U_VIEW_bUnRegisterLayer(SUB_MENU_LAYER);
    U_VIEW_bUnRegisterLayer(MAIN_MENU_LAYER);
    U_VIEW_bUnRegisterLayer(EXPRESS_MENU_LAYER);
    vReleaseKeys(KEYS_MENU_CLOSE);
    if (bExitAtOnce)
        vReleaseExitKeyNow();
    else
        vStartExitHold();
    if (s_activeMenu == EXPRESS_MENU && s_activeHotMenu >= 0 && s_activeHotMenu < NUM_HOT_MENUS)
        s_hotMenus[s_activeHotMenu].lastUsedMenuItem = s_activeMenuItemIndex;
    if (MENU_ITEM* pItem = pHighlightedItem(); pItem != nullptr && bChoiceListOpen(pItem))
        vCloseChoiceList(pItem);
    s_repeatActive = FALSE;
    if (!bWillPopNewMenu)
        vSetActiveMenu(NO_MENU);
    s_bConfirmActive = FALSE;
    for (MENU_ITEM*& pCalling : s_subMenuCallingItem)
        pCalling = nullptr;
    s_menuLevel = 0;
}

// ---- Mails ----

void vHandleNewData(const MESSAGE_NEW_DATA* pData)
{
    switch (pData->FourCharId) {
    case KEY_SLNG:
    case KEY_CUSR:
        T_MENU_vUpdateActiveMenuList();
        break;
    case KEY_CVEW:
    case KEY_CVAS:
        if (s_activeMenu == EXPRESS_MENU) {
            // The hot menu of the new view and pane, exactly; without one
            // slot 0 is shown. The item highlighted before belongs to the
            // other menu, so the new one shows its own last highlight.
            const S32 s32Slot = s32FindHotMenu(currentView(), currentPane(), false);
            s_activeHotMenu = s32Slot >= 0 ? s32Slot : 0;
            s_bShowMenuList = TRUE;
            s_TopMenuItem = 0;
            vRebuildKeeping(nullptr);
            const S32 s32Last = s_hotMenus[s_activeHotMenu].lastUsedMenuItem;
            s_activeMenuItemIndex = s32Last >= 0 && s32Last < s_numActiveMenuItems ? s32Last : 0;
            vFitWindow();
        }
        break;
    case KEY_IPCS:
        if (s_neighbours.pfnGPSDetected != nullptr && s_neighbours.pfnGPSDetected())
            L_SEMA_Signal(SEMA_GPS_DETECTED);
        T_MENU_vUpdateActiveMenuList();
        break;
    default:
        break;
    }
}

void vShutdown(void)
{
    H_DATABASE_bUpdateValueU32(KEY_SUSR, u32Fetch(KEY_CUSR, M_BASIC) == M_ADVANCED ? M_ADVANCED : M_BASIC,
                               P_NORMAL);
    T_MENU_vDoRemoveMenus(FALSE);
    U_KEYBOARD_bUnregisterKeys(MENU_MAILBOX, KEY_MENU);
}

void vResetPos(void)
{
    s_activeTab = 0;
    for (int i = 0; i < NUM_TAB_PRIORITIES; ++i)
        if (s_mainMenuTabs[i].bTabActive) {
            s_activeTab = i;
            break;
        }
    H_DATABASE_bUpdateValueU32(KEY_CUSR, M_ADVANCED, P_NORMAL);
    if (s_activeMenu != QUICK_SETUP_MENU)
        T_MENU_vDoRemoveMenus(FALSE);
}

void vRunSystem(void)
{
    U32 u32Level = M_ADVANCED;
    if (u32Fetch(KEY_CCST, 0) != POINT_OF_SALE_STATE) {
        U32 u32Kept = 0;
        if (H_DATABASE_bFetchU32(KEY_SUSR, &u32Kept, nullptr, nullptr))
            u32Level = u32Kept;
    }
    H_DATABASE_bUpdateValueU32(KEY_CUSR, u32Level, P_NORMAL);
    H_DATABASE_bRegisterForDataWithConditions(KEY_CUSR, MENU_MAILBOX, TRUE, FALSE, FALSE);
    U_KEYBOARD_bRegisterKeys(MENU_MAILBOX, KEY_MENU, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY, REGISTER_EXCLUSIVE);
    U_MENU_bRegisterMainSelectorMenu(&User_Mode, T_MENU_pSetupTabName, MENU_USER_MODE, KEY_CUSR, 2,
                                     User_Mode_Choices, User_Mode_Values, M_BASIC);
}

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE_FILE, u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

void vResetState(void)
{
    s_numActiveMenuItems = 0;
    memset(static_cast<void*>(s_activeMenuList), 0, sizeof s_activeMenuList);
    s_bMenuItemActive = FALSE;
    s_activeHotMenu = 0;
    s_TopMenuItem = s_BottomMenuItem = s_TopSubMenuItem = 0;
    s_TopInfoMenuItem = s_BottomInfoMenuItem = s_TopFloatingMenuItem = s_TopSingleCenteredMenuItem = 0;
    s_currentTopOffset = s_currentSubMenuTopOffset = s_currentInfoMenuTopOffset = 0;
    s_currentFloatingMenuTopOffset = s_currentSingleCenteredMenuTopOffset = 0;
    s_menuLevel = 0;
    for (int i = 0; i <= MAX_SUB_MENU_LEVELS; ++i) {
        s_callingMenu[i] = NO_MENU;
        s_activeSubMenu[i] = 0;
        s_subMenuCallingItem[i] = nullptr;
        MenuItemRange[i] = {};
    }
    s_activeInfoMenu = -1;
    s_activeSingleCenteredMenu = 0;
    s_bConfirmActive = s_repeatActive = s_bShowMenuList = s_bMenuHidden = FALSE;
    s_bQuickConfigMenuDisplayed = s_bReadoutMenuActivate = s_bLoopSelections = s_bActivatingMainMenu = FALSE;
    s_u32LastMainMenuIndex = 0;
    s_timer = 0;
    s_u32LastCursorDown = CURSOR_UP;
    s_u32KeysHeld = 0;
    s_pExitTimer = nullptr;
    s_bExitTimerDisowned = false;
}

} // namespace

const TEXT_TABLE* const T_MENU_pSetupTabName = &Setup_Tab;
const TEXT_TABLE* const T_MENU_pHiddenSuffix = &Hidden_Text;

// ---- Shared helpers ----

namespace t_menu {

void vGoodClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_GOOD); }
void vBadClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_BAD); }

void vRequestFrame(bool bExpedited)
{
    if (bExpedited)
        T_VIEW_vRequestExpeditedViewUpdate();
    else
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

void vSetActiveMenu(ACTIVE_MENU eMenu)
{
    s_activeMenu = eMenu;
    H_DATABASE_bUpdateValueU32(KEY_CMNU, (U32)eMenu, P_NORMAL);
}

bool bIsSubMenuLevel(ACTIVE_MENU eMenu)
{
    return (eMenu >= EXPRESS_SUB_MENU && eMenu <= MAIN_SUB_MENU_3) || eMenu == INFO_SUB_MENU;
}

bool bIsMainSubMenuLevel(ACTIVE_MENU eMenu) { return eMenu >= MAIN_SUB_MENU && eMenu <= MAIN_SUB_MENU_3; }

MENU_ITEM* pHighlightedItem(void)
{
    if (s_activeMenu == NO_MENU || s_activeMenu == MAIN_GRP_MENU || (s_activeMenu == MAIN_MENU && !s_bMenuItemActive))
        return nullptr;
    const S32 i = s_activeMenuItemIndex;
    return i >= 0 && i < s_numActiveMenuItems ? s_activeMenuList[i] : nullptr;
}

const T_MENU_NEIGHBOURS& neighbours(void) { return s_neighbours; }

void vResetReadoutSubMenuStatus(void)
{
    if (s_neighbours.pfnResetReadoutSubMenuStatus != nullptr)
        s_neighbours.pfnResetReadoutSubMenuStatus();
}

LAYER_ID currentView(void)
{
    S32 s32View = 0;
    H_DATABASE_bFetchS32(KEY_CVEW, &s32View, nullptr, nullptr);
    return s32View;
}

SPLIT_WINDOW_TYPE currentPane(void)
{
    S32 s32Pane = SPLIT_FULL_WINDOW;
    H_DATABASE_bFetchS32(KEY_CVAS, &s32Pane, nullptr, nullptr);
    return (SPLIT_WINDOW_TYPE)s32Pane;
}

void vShowConfirmation(void)
{
    s_bConfirmActive = TRUE;
    vRegisterLayer(T_MENU_vDrawConfirmMenuLayer, CONFIRM_MENU_LAYER);
}

void vCancelConfirmation(void)
{
    s_bConfirmActive = FALSE;
    U_VIEW_bUnRegisterLayer(CONFIRM_MENU_LAYER);
}

bool bChoiceListOpen(const MENU_ITEM* pItem)
{
    switch (pItem->control) {
    case M_SUB_MENU:
    case M_SUB_MENU_HOT:
        return pItem->parameters.subMenu.bIsActive;
    case M_ACTION_LIST:
    case M_ACTION_LIST_SHRUNKEN:
        return pItem->parameters.actionList.bIsActive;
    default:
        return false;
    }
}

void vCloseChoiceList(MENU_ITEM* pItem)
{
    switch (pItem->control) {
    case M_SUB_MENU:
    case M_SUB_MENU_HOT:
        pItem->parameters.subMenu.bIsActive = FALSE;
        break;
    case M_ACTION_LIST:
    case M_ACTION_LIST_SHRUNKEN:
        pItem->parameters.actionList.bIsActive = FALSE;
        break;
    default:
        return;
    }
    pItem->value.RawSlot = 0;
}

void vRebuildKeeping(const MENU_ITEM* pKeep)
{
    const S32 s32PrevIndex = s_activeMenuItemIndex;
    s_numActiveMenuItems = 0;
    s_bLoopSelections = FALSE;
    const U32 u32Level = u32UserLevel();
    switch (s_activeMenu) {
    case QUICK_SETUP_MENU:
        vList(s_quickMenu.pFirstItem, false, 0, false);
        s_TopMenuItem = 0;
        break;
    case EXPRESS_MENU: {
        if (s_activeHotMenu >= 0 && s_activeHotMenu < NUM_HOT_MENUS)
            vList(s_hotMenus[s_activeHotMenu].pFirstItem, true, u32Level, false);
        const S32 s32Pos = s32Position(pKeep);
        s_activeMenuItemIndex = s32Pos >= 0 ? s32Pos : 0;
        break;
    }
    case MAIN_MENU:
        vRecomputeTabs(u32Level);
        if (s_activeTab >= 0 && s_activeTab < NUM_TAB_PRIORITIES && s_mainMenuTabs[s_activeTab].bTabActive)
            vList(s_mainMenuTabs[s_activeTab].pFirstItem, true, u32Level, false);
        if (s_activeMenuItemIndex >= 0 && s_activeMenuItemIndex < s_numActiveMenuItems) {
            if (s_numActiveMenuItems <= HOT_MENU_ROWS)
                s_TopMenuItem = 0;
        } else {
            s_bMenuItemActive = FALSE;
            s_activeMenuItemIndex = 0;
            s_TopMenuItem = 0;
        }
        break;
    case EXPRESS_SUB_MENU:
    case MAIN_SUB_MENU:
    case MAIN_SUB_MENU_1:
    case MAIN_SUB_MENU_2:
    case MAIN_SUB_MENU_3:
    case INFO_SUB_MENU: {
        const S32 s32Slot = s_menuLevel >= 0 && s_menuLevel <= MAX_SUB_MENU_LEVELS ? s_activeSubMenu[s_menuLevel] : -1;
        if (s32Slot >= 0 && s32Slot < NUM_SUB_MENUS)
            vList(s_subMenus[s32Slot].pFirstItem, true, u32Level, false);
        if (s_activeMenuItemIndex < 0 || s_activeMenuItemIndex >= s_numActiveMenuItems) {
            s_activeMenuItemIndex = 0;
            s_TopSubMenuItem = 0;
        }
        break;
    }
    case INFO_MENU: {
        if (s_activeInfoMenu >= 0 && s_activeInfoMenu < NUM_INFO_MENUS)
            vList(s_infoMenus[s_activeInfoMenu].pFirstItem, true, u32Level, true);
        const S32 s32Pos = s32Position(pKeep);
        if (s32Pos >= 0) {
            const S32 s32Distance = s32PrevIndex - s_TopInfoMenuItem;
            s_TopInfoMenuItem = s32Distance >= 0 && s32Distance < s32Pos ? s32Pos - s32Distance : 0;
            s_activeMenuItemIndex = s32Pos;
        } else {
            s_activeMenuItemIndex = 0;
            s_TopInfoMenuItem = 0;
        }
        // Titles asked for that are not listed leave no rows behind.
        s_BottomInfoMenuItem = std::min<S32>(s_BottomInfoMenuItem, s_numActiveMenuItems - 1);
        s_TopInfoMenuItem = std::min<S32>(s_TopInfoMenuItem, std::max<S32>(s_BottomInfoMenuItem, 0));
        break;
    }
    case FLOATING_MENU:
        if (s_activeFloatingMenu >= 0 && s_activeFloatingMenu < NUM_FLOATING_MENUS)
            vList(s_floatingMenus[s_activeFloatingMenu].pFirstItem, true, u32Level, true);
        s_activeMenuItemIndex = 0;
        s_TopFloatingMenuItem = 0;
        s_currentFloatingMenuTopOffset = 0;
        break;
    case SINGLE_CENTERED_MENU:
        vList(s_singleCenteredMenus[0].pFirstItem, true, u32Level, true);
        s_activeMenuItemIndex = 0;
        s_TopSingleCenteredMenuItem = 0;
        s_currentSingleCenteredMenuTopOffset = 0;
        s_bLoopSelections = s_singleCenteredMenus[0].bLoopSelection;
        break;
    default:
        break;
    }
    vFitWindow();
}

S32* ps32WindowTop(void)
{
    switch (s_activeMenu) {
    case INFO_MENU:
        return &s_TopInfoMenuItem;
    case FLOATING_MENU:
        return &s_TopFloatingMenuItem;
    case SINGLE_CENTERED_MENU:
        return &s_TopSingleCenteredMenuItem;
    default:
        return bIsSubMenuLevel(s_activeMenu) ? &s_TopSubMenuItem : &s_TopMenuItem;
    }
}

S32* ps32WindowBottom(void) { return s_activeMenu == INFO_MENU ? &s_BottomInfoMenuItem : &s_BottomMenuItem; }

// Without a start-up task to do it, the menu task lets the quick-setup
// menu's keys and layer go itself.
void vRemoveQuickConfigMenu(void)
{
    if (s_neighbours.pfnRemoveQuickConfigMenu != nullptr) {
        s_neighbours.pfnRemoveQuickConfigMenu();
    } else {
        U_KEYBOARD_bUnregisterKeys(MENU_MAILBOX, KEYS_QUICK_MENU_REMOVED);
        U_VIEW_bUnRegisterLayer(QUICK_CONFIGURE_LAYER);
        vRequestFrame(false);
    }
    s_u32KeysHeld &= ~KEYS_QUICK_MENU_REMOVED;
    s_bQuickConfigMenuDisplayed = FALSE;
    s_activeMenu = NO_MENU;
}

bool bExitHoldRunning(void) { return s_pExitTimer != nullptr && !s_bExitTimerDisowned; }

void vReleaseExitKeyNow(void)
{
    vReleaseKeys(KEY_EXIT);
    vDropExitTimer();
}

} // namespace t_menu

// ---- Set-up and the loop ----

void T_MENU_vInstallNeighbours(const T_MENU_NEIGHBOURS* pNeighbours)
{
    s_neighbours = pNeighbours != nullptr ? *pNeighbours : T_MENU_NEIGHBOURS{};
}

void T_MENU_vInit(void)
{
    T_MENU_vInitRegistry();
    L_MUTEX_LockWait(RES_MENU);
    vResetState();
    static const T_MENU_REGISTRY_HOOKS hooks = {T_MENU_vUpdateActiveMenuList, T_MENU_vUpdateDisplayStrings,
                                                vOpenSingleCenteredMenu};
    T_MENU_vInstallRegistryHooks(&hooks);
    L_MUTEX_Unlock(RES_MENU);

    if (H_DATABASE_bUpdateEverythingU32(KEY_TMNU, (U32)MENU_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER))
        vFatal(6349, "Somebody else registered the Menu Task Maibox");
    for (FOURCHARID key : {KEY_SLNG, KEY_CVEW, KEY_CVAS, KEY_IPCS})
        H_DATABASE_bRegisterForDataWithConditions(key, MENU_MAILBOX, TRUE, FALSE, FALSE);
    H_DATABASE_bUpdateValueU32(KEY_CMNU, NO_MENU, P_DEFAULT_SETTING);
}

void T_MENU_vHandleMail(MSGHEADER* pHeader)
{
    GENERIC_MESSAGE* pMsg = reinterpret_cast<GENERIC_MESSAGE*>(pHeader);
    L_MUTEX_LockWait(RES_MENU);
    if (!T_MENU_bHandleRegistryMail(pMsg)) {
        switch (pMsg->Cmd) {
        case CMD_ID_SHUTDOWN:
            vShutdown();
            break;
        case CMD_ID_NEW_DATA:
            vHandleNewData(reinterpret_cast<const MESSAGE_NEW_DATA*>(pMsg));
            break;
        case CMD_ID_RESET_POS:
            vResetPos();
            break;
        case CMD_ID_ACTIVATE_FLOATING_MENU:
            vActivateFloatingMenu(reinterpret_cast<const MSG_ACTIVATE_FLOATING_MENU*>(pMsg));
            break;
        case CMD_ID_ACTIVATE_SINGLE_CENTERED_MENU:
            vActivateSingleCenteredMenu(reinterpret_cast<const MSG_ACTIVATE_SINGLE_CENTERED_MENU*>(pMsg));
            break;
        case CMD_ID_ACTIVATE_INFO_MENU:
            vActivateInfoMenu(reinterpret_cast<const MSG_ACTIVATE_INFO_MENU*>(pMsg));
            break;
        case CMD_ID_CLEAR_MENU:
            T_MENU_vDoRemoveMenus(FALSE);
            if (s_neighbours.pfnNavGroupShutdown != nullptr)
                s_neighbours.pfnNavGroupShutdown();
            break;
        case CMD_ID_HIDE_MENU:
            s_bMenuHidden = TRUE;
            break;
        case CMD_ID_RESTORE_MENU:
            s_bMenuHidden = FALSE;
            break;
        case CMD_ID_KEY_CHANGE: {
            const MSG_KEY_CHANGE* pKey = reinterpret_cast<const MSG_KEY_CHANGE*>(pMsg);
            if (pKey->key == KEY_EXIT && bExitHoldRunning())
                break; // the rest of a burst of EXIT presses that closed the menus
            if (s_pExitTimer != nullptr) {
                vReleaseExitKeyNow();
                L_SEMA_SetPending(SEMA_TIMER_MENU_EXIT);
            }
            T_MENU_vHandleKeys(pKey);
            break;
        }
        case CMD_ID_RUN_SYSTEM:
            vRunSystem();
            break;
        default:
            break;
        }
    }
    L_MUTEX_Unlock(RES_MENU);
    H_MEMORY_vDumpMail(pHeader);
}

void T_MENU_vExitTimerFired(void)
{
    L_MUTEX_LockWait(RES_MENU);
    if (s_pExitTimer != nullptr && bInMenuTask()) {
        if (!s_bExitTimerDisowned)
            vReleaseKeys(KEY_EXIT);
        L_TIMER_Release(s_pExitTimer);
        s_pExitTimer = nullptr;
        s_bExitTimerDisowned = false;
    }
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vMain(void)
{
    static const SEMA waitList[] = {SEMA_MBOX_MENU, SEMA_TIMER_MENU_EXIT, 0};
    T_MENU_vInit();
    for (;;) {
        const SEMA fired = L_SEMA_WaitMultiple(waitList);
        if (fired == SEMA_TIMER_MENU_EXIT) {
            T_MENU_vExitTimerFired();
        } else if (fired == SEMA_MBOX_MENU) {
            while (MSGHEADER* pHeader = L_MBOX_Receive(MENU_MAILBOX))
                T_MENU_vHandleMail(pHeader);
        }
    }
}

// ---- Entry points of other tasks ----

void T_MENU_vRemoveMenus(void)
{
    L_MUTEX_LockWait(RES_MENU);
    T_MENU_vDoRemoveMenus(FALSE);
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vUpdateActivateMenu(ACTIVE_MENU activeMenu)
{
    L_MUTEX_LockWait(RES_MENU);
    if (activeMenu != NO_MENU)
        T_MENU_vDoRemoveMenus(TRUE);
    vSetActiveMenu(activeMenu);
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vActivateQuickMenu(void)
{
    L_MUTEX_LockWait(RES_MENU);
    s_menuLevel = 0;
    s_activeMenuItemIndex = 0;
    vSetActiveMenu(QUICK_SETUP_MENU);
    s_bShowMenuList = TRUE;
    s_bQuickConfigMenuDisplayed = TRUE;
    s_bMenuItemActive = TRUE;
    T_MENU_vUpdateActiveMenuList();
    vRegisterLayer(T_MENU_vDrawQuickMenuLayer, QUICK_CONFIGURE_LAYER);
    vKeepExitKey();
    vTakeKeys(KEYS_QUICK_MENU, KEY_DOWN, FALSE, FALSE, CURSOR_4, REGISTER_CONTRAST);
    vTakeKeys(KEY_CURSOR, KEY_CHANGE, TRUE, TRUE, CURSOR_4, REGISTER_MENU);
    L_MUTEX_Unlock(RES_MENU);
}

// A view without a hot menu with items leaves the menus closed: an open
// menu is closed, and no key is kept for a menu that is not there.
void T_MENU_vActivateSpecifiedHotMenu(LAYER_ID view)
{
    L_MUTEX_LockWait(RES_MENU);
    s_timer = L_CLOCK_qwGetTimeInMillis();
    const SPLIT_WINDOW_TYPE pane = currentPane();
    const bool bWasOpen = s_activeMenu != NO_MENU;
    if (bWasOpen)
        vReleaseKeys(KEY_VIEW | KEY_EXIT);
    U_VIEW_bUnRegisterLayer(CONFIRM_MENU_LAYER);
    U_VIEW_bUnRegisterLayer(SUB_MENU_LAYER);
    U_VIEW_bUnRegisterLayer(MAIN_MENU_LAYER);
    U_VIEW_bUnRegisterLayer(EXPRESS_MENU_LAYER);
    s_repeatActive = FALSE;
    s_bConfirmActive = FALSE;
    for (int i = 0; i <= MAX_SUB_MENU_LEVELS; ++i) {
        s_callingMenu[i] = NO_MENU;
        s_subMenuCallingItem[i] = nullptr;
    }
    s_menuLevel = 0;
    s_bShowMenuList = TRUE;
    const S32 s32Slot = s32FindHotMenu(view, pane, true);
    if (s32Slot >= 0 && s_hotMenus[s32Slot].numMenuItems > 0) {
        vTakeMenuKeys();
        vOpenHotMenu(s32Slot, false);
    } else if (bWasOpen) {
        vReleaseKeys(KEYS_MENU_CLOSE);
        vSetActiveMenu(NO_MENU);
    }
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vGetSelection(const TEXT_TABLE* pTitle, char* pcBuffer)
{
    if (pcBuffer == nullptr)
        return;
    L_MUTEX_LockWait(RES_MENU);
    MENU_ITEM* pItem = s_activeMenu == SINGLE_CENTERED_MENU ? pHighlightedItem() : nullptr;
    if (pItem != nullptr && pItem->pMenuTitle == pTitle) {
        T_MENU_vUpdateDisplayStrings(pItem, TRUE);
        strncpy(pcBuffer, pItem->value_string, MENU_VALUE_STRING_SIZE - 1);
        pcBuffer[MENU_VALUE_STRING_SIZE - 1] = '\0';
    }
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vDoRemoveSingleCenteredMenu(void)
{
    L_MUTEX_LockWait(RES_MENU);
    vCloseMenus(FALSE, true);
    L_MUTEX_Unlock(RES_MENU);
}

void T_MENU_vRemoveHotMenuListIfActive(const TEXT_TABLE* pTitle)
{
    L_MUTEX_LockWait(RES_MENU);
    const MENU_ITEM* pItem = pHighlightedItem();
    if (s_activeMenu == EXPRESS_MENU && !s_bShowMenuList && pItem != nullptr && pItem->pMenuTitle == pTitle)
        T_MENU_vDoRemoveMenus(FALSE);
    L_MUTEX_Unlock(RES_MENU);
}

// ---- Opening, closing and the visible list ----

void T_MENU_vActivateHotMenu(void)
{
    s_timer = L_CLOCK_qwGetTimeInMillis();
    const LAYER_ID view = currentView();
    const SPLIT_WINDOW_TYPE pane = currentPane();
    s_activeHotMenu = 0;
    s_bShowMenuList = TRUE;
    s_menuLevel = 0;
    const S32 s32Slot = s32FindHotMenu(view, pane, true);
    vTakeMenuKeys();
    if (s32Slot >= 0 && s_hotMenus[s32Slot].numMenuItems > 0)
        vOpenHotMenu(s32Slot, true);
    else
        T_MENU_vActivateMainMenu();
}

// The hot menu's last highlight is kept only when the main menu opens from
// it: opened directly, no hot menu was shown.
void T_MENU_vActivateMainMenu(void)
{
    const bool bFromHotMenu = s_activeMenu == EXPRESS_MENU;
    vSetActiveMenu(MAIN_MENU);
    s_menuLevel = 0;
    s_TopMenuItem = 0;
    if (bFromHotMenu && s_activeHotMenu >= 0 && s_activeHotMenu < NUM_HOT_MENUS)
        s_hotMenus[s_activeHotMenu].lastUsedMenuItem = s_activeMenuItemIndex;
    s_bActivatingMainMenu = TRUE;
    U_VIEW_bUnRegisterLayer(EXPRESS_MENU_LAYER);
    s_bMenuItemActive = FALSE;
    s_activeMenuItemIndex = 0;
    if (s_activeTab >= 0 && s_activeTab < NUM_TAB_PRIORITIES)
        vRefreshAll(s_mainMenuTabs[s_activeTab].pFirstItem);
    vRegisterLayer(T_MENU_vDrawMainMenuLayer, MAIN_MENU_LAYER);
}

void T_MENU_vActivateSubMenu(S32 s32Slot)
{
    if (s32Slot < 0 || s32Slot >= NUM_SUB_MENUS || s_subMenus[s32Slot].numMenuItems <= 0 ||
        !s_subMenus[s32Slot].menuRegistered) {
        vBadClick();
        vResetReadoutSubMenuStatus();
        return;
    }
    if (s_menuLevel >= MAX_SUB_MENU_LEVELS) {
        vBadClick();
        return;
    }
    SUB_MENU& sub = s_subMenus[s32Slot];
    const LAYER_ID view = currentView();
    MENU_ITEM* pCalling = pHighlightedItem();
    if (view >= FIRST_GAUGE_VIEW && view <= LAST_GAUGE_VIEW && pCalling != nullptr &&
        s_neighbours.pSelectReadouts != nullptr && pCalling->pMenuTitle == s_neighbours.pSelectReadouts)
        s_bReadoutMenuActivate = TRUE;

    const TEXT_TABLE* pName = sub.pSubMenuName;
    if (s_neighbours.pRadarInstallation != nullptr && pName == s_neighbours.pRadarInstallation) {
        const bool bRadarShown = s_neighbours.pfnIsMyRadarView != nullptr &&
                                 s_neighbours.pfnIsMyRadarView(UNKNOWN_SPLIT, UNKNOWN_SPLIT);
        if (!bRadarShown) {
            vBadClick();
            if (s_neighbours.pfnNavNote != nullptr)
                s_neighbours.pfnNavNote(&Radar_Installation_Note, NAV_NOTE_TIME_OUT);
            return;
        }
    } else if (s_neighbours.pRadarTriggerDelay != nullptr && pName == s_neighbours.pRadarTriggerDelay) {
        L_SEMA_Signal(SEMA_RADAR_TRIGGER_DELAY);
    } else if (s_neighbours.pRadarManualTune != nullptr && pName == s_neighbours.pRadarManualTune) {
        if (s_neighbours.pfnHandleManualTune != nullptr)
            s_neighbours.pfnHandleManualTune();
    } else if (s_neighbours.pRadarTune != nullptr && pName == s_neighbours.pRadarTune) {
        if (s_neighbours.pfnHandleTune == nullptr || !s_neighbours.pfnHandleTune())
            return;
    }

    vRefreshAll(sub.pFirstItem);

    const ACTIVE_MENU eCalling = s_activeMenu;
    ++s_menuLevel;
    s_callingMenu[s_menuLevel] = eCalling;
    ACTIVE_MENU eNew = eCalling;
    switch (eCalling) {
    case EXPRESS_MENU:
        eNew = EXPRESS_SUB_MENU;
        if (s_activeHotMenu >= 0 && s_activeHotMenu < NUM_HOT_MENUS)
            s_hotMenus[s_activeHotMenu].lastUsedMenuItem = s_activeMenuItemIndex;
        break;
    case MAIN_MENU:
        eNew = MAIN_SUB_MENU;
        break;
    case MAIN_SUB_MENU:
        eNew = MAIN_SUB_MENU_1;
        break;
    case MAIN_SUB_MENU_1:
        eNew = MAIN_SUB_MENU_2;
        break;
    case MAIN_SUB_MENU_2:
        eNew = MAIN_SUB_MENU_3;
        break;
    case INFO_MENU:
        eNew = INFO_SUB_MENU;
        break;
    default:
        break;
    }
    vSetActiveMenu(eNew);

    s_currentTopOffset = s_activeMenuItemIndex - s_TopMenuItem;
    s_currentSubMenuTopOffset = 0;
    s_TopSubMenuItem = 0;
    s_activeSubMenu[s_menuLevel] = s32Slot;
    s_subMenuCallingItem[s_menuLevel] = pCalling;
    s_activeMenuItemIndex = 0;
    T_MENU_vUpdateActiveMenuList();
    if (eCalling == EXPRESS_MENU || eCalling == MAIN_MENU || eCalling == INFO_MENU)
        vRegisterLayer(T_MENU_vDrawSubMenuLayer, SUB_MENU_LAYER);
}

void T_MENU_vActiveSubMenuByMenuName(const TEXT_TABLE* pName)
{
    for (S32 i = 0; pName != nullptr && i <= s_SubMenuIndex && i < NUM_SUB_MENUS; ++i)
        if (s_subMenus[i].menuRegistered && s_subMenus[i].pSubMenuName == pName) {
            T_MENU_vActivateSubMenu(i);
            return;
        }
    vResetReadoutSubMenuStatus();
}

void T_MENU_vDoRemoveMenus(BOOLEAN bWillPopNewMenu) { vCloseMenus(bWillPopNewMenu, false); }

void T_MENU_vUpdateActiveMenuList(void) { vRebuildKeeping(pListEntryAtHighlight()); }
