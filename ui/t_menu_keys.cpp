// Menu key handling: what MENU, EXIT, the cursor key, GOTO and INFO do in
// each kind of open menu.
//
// MENU opens the hot menu (or the main menu), goes from the hot menu to
// the main menu and closes the main menu and its sub menus. EXIT steps
// back: a confirmation, then an open choice list, then a level, then the
// menu. North and south move the highlight; east and west change values
// (ui/t_menu_values.cpp), but only once more than 500 ms have passed since
// the menu opened or the highlight last moved, so that a press meant for
// the view underneath does not change the first item. A held cursor key
// repeats with a rising count: from count 20 on each event moves count - 19
// steps.
//
// Every key-down asks for a frame: at the view task's ordinary rate while
// a slider or angle adjuster is being moved, at once for everything else.
#include "ui/t_menu_state.h"

#include "kernel/l_clock.h"
#include "store/h_database.h"

#include <algorithm>

using namespace t_menu;

namespace {

constexpr U64 HORIZONTAL_SETTLE_MS = 500;
constexpr U32 ROWS = 9;
constexpr U32 QUICK_ROWS = 3;
constexpr U32 FIRST_ACCELERATED_COUNT = 20;

bool bHorizontal(U32 u32Direction) { return u32Direction == CURSOR_EAST || u32Direction == CURSOR_WEST; }

// The window's rows, scrolled by the vertical keys.
U32 u32RowsOfOpenMenu(void) { return s_activeMenu == QUICK_SETUP_MENU ? QUICK_ROWS : ROWS; }

void vWindowAtTop(S32 n, U32 u32Rows)
{
    *ps32WindowTop() = 0;
    *ps32WindowBottom() = std::min<S32>(n, (S32)u32Rows) - 1;
}

void vWindowAtEnd(S32 n, U32 u32Rows)
{
    *ps32WindowBottom() = n - 1;
    *ps32WindowTop() = n > (S32)u32Rows ? n - (S32)u32Rows : 0;
}

// ---- MENU ----

void vMenuKey(void)
{
    switch (s_activeMenu) {
    case NO_MENU:
        T_MENU_vActivateHotMenu();
        vGoodClick();
        break;
    case EXPRESS_MENU:
        if (s_bConfirmActive)
            T_MENU_vDoRemoveMenus(FALSE);
        else
            T_MENU_vActivateMainMenu();
        vGoodClick();
        break;
    case MAIN_MENU:
    case EXPRESS_SUB_MENU:
    case MAIN_SUB_MENU:
    case MAIN_SUB_MENU_1:
    case MAIN_SUB_MENU_2:
    case MAIN_SUB_MENU_3:
        vResetReadoutSubMenuStatus();
        T_MENU_vDoRemoveMenus(FALSE);
        vGoodClick();
        break;
    case INFO_MENU:
    case FLOATING_MENU:
    case INFO_SUB_MENU:
        vBadClick();
        break;
    default:
        break;
    }
    vResetReadoutSubMenuStatus();
    s_bReadoutMenuActivate = FALSE;
}

// ---- EXIT ----

// Back from a sub-menu level to the menu that opened it. The way back to a
// hot or info menu highlights the item that opened the sub menu.
void vLeaveLevel(void)
{
    const S32 s32Level = s_menuLevel;
    if (s32Level < 1 || s32Level > MAX_SUB_MENU_LEVELS) {
        T_MENU_vDoRemoveMenus(FALSE);
        return;
    }
    const MENU_ITEM_RANGE& calling = MenuItemRange[s32Level - 1];
    if (bIsMainSubMenuLevel(s_activeMenu)) {
        s_BottomMenuItem = calling.s32_BottomMenuItem;
        s_TopSubMenuItem = calling.s32_TopMenuItem;
        if (s32Level == 1)
            s_u32LastMainMenuIndex = (U32)MenuItemRange[0].s32_LastActiveMenuIndex;
    }
    s_activeMenuItemIndex = calling.s32_LastActiveMenuIndex;
    const ACTIVE_MENU eBack = s_callingMenu[s32Level];
    MENU_ITEM* pCalling = s_subMenuCallingItem[s32Level];
    s_callingMenu[s32Level] = NO_MENU;
    s_activeSubMenu[s32Level] = 0;
    s_subMenuCallingItem[s32Level] = nullptr;
    s_menuLevel = s32Level - 1;
    vSetActiveMenu(eBack);
    if (!bIsSubMenuLevel(eBack)) {
        U_VIEW_bUnRegisterLayer(SUB_MENU_LAYER);
        s_activeMenuItemIndex = (S32)s_u32LastMainMenuIndex;
    }
    if (eBack == EXPRESS_MENU || eBack == INFO_MENU)
        vRebuildKeeping(pCalling);
    else
        T_MENU_vUpdateActiveMenuList();
}

void vExitKey(void)
{
    s_bMenuHidden = FALSE;
    if (s_activeMenu == QUICK_SETUP_MENU && s_bQuickConfigMenuDisplayed) {
        vRemoveQuickConfigMenu();
        vGoodClick();
        vResetReadoutSubMenuStatus();
        return;
    }
    MENU_ITEM* pItem = pHighlightedItem();
    switch (s_activeMenu) {
    case MAIN_MENU:
        if (s_bConfirmActive) {
            vCancelConfirmation();
        } else if (!s_bMenuItemActive) {
            T_MENU_vDoRemoveMenus(FALSE);
        } else if (pItem != nullptr && bChoiceListOpen(pItem)) {
            vCloseChoiceList(pItem);
        } else {
            s_bMenuItemActive = FALSE;
            s_activeMenuItemIndex = 0;
            s_TopMenuItem = 0;
            s_BottomMenuItem = std::min<S32>(s_numActiveMenuItems, ROWS) - 1;
        }
        break;
    case EXPRESS_SUB_MENU:
    case MAIN_SUB_MENU:
    case MAIN_SUB_MENU_1:
    case MAIN_SUB_MENU_2:
    case MAIN_SUB_MENU_3:
    case INFO_SUB_MENU:
        if (pItem != nullptr && pItem->control == M_SELECTION_BOX)
            s_bReadoutMenuActivate = FALSE;
        if (bIsMainSubMenuLevel(s_activeMenu) && neighbours().pfnUpdateReadoutMenuItems != nullptr)
            neighbours().pfnUpdateReadoutMenuItems();
        if (s_bConfirmActive)
            vCancelConfirmation();
        else if (pItem != nullptr && bChoiceListOpen(pItem))
            vCloseChoiceList(pItem);
        else
            vLeaveLevel();
        break;
    case EXPRESS_MENU:
    case INFO_MENU:
    case FLOATING_MENU:
    case SINGLE_CENTERED_MENU:
        if (s_bConfirmActive) {
            vCancelConfirmation();
        } else if (pItem != nullptr && bChoiceListOpen(pItem)) {
            vCloseChoiceList(pItem);
        } else {
            const bool bFloating = s_activeMenu == FLOATING_MENU;
            const S32 s32Floating = s_activeFloatingMenu;
            T_MENU_vDoRemoveMenus(FALSE);
            if (bFloating && s32Floating >= 0 && s32Floating < NUM_FLOATING_MENUS &&
                s_floatingMenus[s32Floating].ExitKeyHandler != nullptr)
                s_floatingMenus[s32Floating].ExitKeyHandler();
        }
        break;
    default:
        break;
    }
    vGoodClick();
    vResetReadoutSubMenuStatus();
}

// ---- Cursor ----

void vNextTab(bool bEast)
{
    S32 s32Tab = s_activeTab;
    for (int i = 0; i < NUM_TAB_PRIORITIES; ++i) {
        if (bEast)
            s32Tab = s32Tab + 1 > s_lastTabIndex ? 0 : s32Tab + 1;
        else
            s32Tab = s32Tab - 1 < 0 ? s_lastTabIndex : s32Tab - 1;
        if (s32Tab >= 0 && s32Tab < NUM_TAB_PRIORITIES && s_mainMenuTabs[s32Tab].bTabActive) {
            s_activeTab = s32Tab;
            vGoodClick();
            T_MENU_vUpdateActiveMenuList();
            return;
        }
    }
    // No tab is active: there is nowhere to go.
    vBadClick();
}

void vMoveInChoiceList(MENU_ITEM* pItem, bool bSouth)
{
    const U32 u32Choices = pItem->control == M_SUB_MENU || pItem->control == M_SUB_MENU_HOT
                               ? pItem->parameters.subMenu.numberChoices
                               : pItem->parameters.actionList.numberChoices;
    const U32 u32Value = pItem->value.u32Val;
    if (bSouth ? u32Value + 1 >= u32Choices : u32Value == 0) {
        vBadClick();
        return;
    }
    pItem->value = {};
    pItem->value.u32Val = bSouth ? u32Value + 1 : u32Value - 1;
    vGoodClick();
}

void vMoveInMainMenu(bool bSouth)
{
    const S32 n = s_numActiveMenuItems;
    if (s_bMenuItemActive) {
        if (bSouth && !T_MENU_bMoveDownMenuList(ROWS)) {
            s_bMenuItemActive = FALSE;
            s_activeMenuItemIndex = 0;
            vWindowAtTop(n, ROWS);
        } else if (!bSouth) {
            T_MENU_bMoveUpMenuList(ROWS);
        }
        vGoodClick();
        return;
    }
    if (n == 0) {
        vBadClick();
        return;
    }
    s_bMenuItemActive = TRUE;
    if (bSouth) {
        s_activeMenuItemIndex = 0;
        vWindowAtTop(n, ROWS);
    } else {
        s_activeMenuItemIndex = n - 1;
        vWindowAtEnd(n, ROWS);
    }
    vGoodClick();
}

void vMoveInList(bool bSouth)
{
    const S32 n = s_numActiveMenuItems;
    const U32 u32Rows = u32RowsOfOpenMenu();
    if (bSouth) {
        if (n == 0) {
            vWindowAtTop(0, u32Rows);
        } else if (!T_MENU_bMoveDownMenuList(u32Rows)) {
            s_activeMenuItemIndex = 0;
            vWindowAtTop(n, u32Rows);
        }
        vGoodClick();
        return;
    }
    if (n == 0) {
        vBadClick();
        return;
    }
    if (!T_MENU_bMoveUpMenuList(u32Rows)) {
        s_activeMenuItemIndex = n - 1;
        vWindowAtEnd(n, u32Rows);
    }
    vGoodClick();
}

void vVertical(bool bSouth)
{
    s_timer = L_CLOCK_qwGetTimeInMillis();
    if (s_bConfirmActive) {
        vBadClick();
    } else if (s_activeMenu != SINGLE_CENTERED_MENU && s_activeMenu != MAIN_GRP_MENU) {
        s_bShowMenuList = TRUE;
        MENU_ITEM* pItem = pHighlightedItem();
        if (pItem != nullptr && bChoiceListOpen(pItem))
            vMoveInChoiceList(pItem, bSouth);
        else if (s_activeMenu == MAIN_MENU)
            vMoveInMainMenu(bSouth);
        else
            vMoveInList(bSouth);
    }
    if (s_bReadoutMenuActivate && neighbours().pfnRegisterReadoutSubMenuItems != nullptr)
        neighbours().pfnRegisterReadoutSubMenuItems((U32)s_activeMenuItemIndex);
}

void vHorizontal(bool bEast, U32 u32Steps, U32 u32EventCount)
{
    if (s_activeMenu == MAIN_MENU && !s_bMenuItemActive) {
        vNextTab(bEast);
        return;
    }
    MENU_ITEM* pItem = pHighlightedItem();
    if (pItem == nullptr) {
        vBadClick();
        return;
    }
    vChangeValue(pItem, bEast, u32Steps, u32EventCount);
}

void vCursorKey(const MSG_KEY_CHANGE* pKey)
{
    const U32 u32Direction = (U32)pKey->cursor;
    MENU_ITEM* pItem = pHighlightedItem();

    if (pItem != nullptr && (pItem->control == M_ACTION_HOT || pItem->control == M_SUB_MENU_HOT) &&
        bHorizontal(u32Direction)) {
        if (pKey->state != KEY_DOWN || u32Direction != CURSOR_EAST)
            return;
        if (pItem->control == M_ACTION_HOT) {
            if (s_bShowMenuList && pItem->parameters.action.pt2Function != nullptr)
                pItem->parameters.action.pt2Function();
        } else {
            vHotSubMenuEast(pItem);
            vGoodClick();
        }
        return;
    }

    if (pKey->state == KEY_UP) {
        if (bHorizontal(s_u32LastCursorDown) && bIsSlider(pItem))
            vWriteValue(pItem);
        s_repeatActive = FALSE;
        return;
    }
    if (pKey->state != KEY_DOWN)
        return;

    if (s_repeatActive && bHorizontal(s_u32LastCursorDown) && u32Direction != s_u32LastCursorDown &&
        bIsSlider(pItem))
        vWriteValue(pItem);
    if (pItem != nullptr && pItem->control == M_SLIDER_IMMEDIATE && bHorizontal(u32Direction))
        vWriteValue(pItem);
    // A press starts from the value in the store, as the menu shows it.
    if (!s_repeatActive && pItem != nullptr)
        T_MENU_vUpdateDisplayStrings(pItem, FALSE);
    s_repeatActive = TRUE;
    s_u32LastCursorDown = u32Direction;
    const U32 u32Steps = pKey->count < FIRST_ACCELERATED_COUNT ? 1 : pKey->count - (FIRST_ACCELERATED_COUNT - 1);

    switch (u32Direction) {
    case CURSOR_NORTH:
    case CURSOR_SOUTH:
        vVertical(u32Direction == CURSOR_SOUTH);
        break;
    case CURSOR_EAST:
    case CURSOR_WEST:
        if (L_CLOCK_qwGetTimeInMillis() - s_timer > HORIZONTAL_SETTLE_MS)
            vHorizontal(u32Direction == CURSOR_EAST, u32Steps, pKey->count);
        break;
    default:
        break;
    }
}

// ---- GOTO and INFO ----

void vGotoKey(void)
{
    if (s_activeMenu == FLOATING_MENU) {
        const S32 s32Slot = s_activeFloatingMenu;
        MENU_ACTION_FUNC* pfn =
            s32Slot >= 0 && s32Slot < NUM_FLOATING_MENUS ? s_floatingMenus[s32Slot].GoToKeyHandler : nullptr;
        if (pfn != nullptr)
            pfn();
        else
            vBadClick();
        return;
    }
    const MENU_ITEM* pItem = pHighlightedItem();
    if (s_activeMenu == INFO_MENU && pItem != nullptr && pItem->priority >= MENU_GO_TO_WAYPOINT &&
        pItem->priority <= MENU_GOTO_ROUTE4) {
        if (neighbours().pfnGoToWaypoint != nullptr)
            neighbours().pfnGoToWaypoint();
        U_MENU_vClearMenus();
        return;
    }
    vBadClick();
}

void vInfoKey(void)
{
    MENU_ITEM* pItem = pHighlightedItem();
    if (s_activeMenu == INFO_MENU) {
        T_MENU_vDoRemoveMenus(FALSE);
        vGoodClick();
        return;
    }
    if (s_activeMenu == FLOATING_MENU && pItem != nullptr && pItem->control == M_ANGLE_ADJUST) {
        MENU_ACTION_FUNC* pfn = pItem->parameters.angleAdjust.fnCbOnInfo;
        vGoodClick();
        T_MENU_vRemoveMenus();
        if (pfn != nullptr)
            pfn();
        return;
    }

    const T_MENU_NEIGHBOURS& n = neighbours();
    bool bGood = false;
    if (s_bReadoutMenuActivate) {
        const bool bViewsHaveOne = n.pfnGetReadoutSubMenuStatus != nullptr && n.pfnGetReadoutSubMenuStatus();
        if (!bViewsHaveOne) {
            s_u32LastMainMenuIndex = (U32)s_activeMenuItemIndex;
            if (s_menuLevel >= 0 && s_menuLevel <= MAX_SUB_MENU_LEVELS)
                MenuItemRange[s_menuLevel].s32_LastActiveMenuIndex = s_activeMenuItemIndex;
            const char* const(*pName)[DB_NUM_LANGUAGES] = nullptr;
            if (n.pfnGetCurrentItemName != nullptr)
                n.pfnGetCurrentItemName((U32)s_activeMenuItemIndex, &pName);
            const S32 s32LevelBefore = s_menuLevel;
            T_MENU_vActiveSubMenuByMenuName(pName);
            bGood = s_menuLevel != s32LevelBefore;
        } else if (pItem != nullptr && pItem->control == M_CHECK_LIST &&
                   pItem->parameters.checkList.setCheck != nullptr) {
            pItem->parameters.checkList.setCheck(pItem->parameters.checkList.context);
            bGood = true;
        }
    }

    pItem = pHighlightedItem();
    if (pItem != nullptr) {
        M_CHECK_LIST_PARAMETERS& check = pItem->parameters.checkList;
        switch (pItem->control) {
        case M_CHECK_LIST:
            if (check.setCheck != nullptr && !s_bReadoutMenuActivate &&
                !(n.pfnGetReadoutSubMenuStatus != nullptr && n.pfnGetReadoutSubMenuStatus())) {
                check.setCheck(check.context);
                bGood = true;
            }
            break;
        case M_ACTION_HOT:
            if (pItem->parameters.action.pt2Function != nullptr)
                pItem->parameters.action.pt2Function();
            bGood = true;
            break;
        case M_SUB_MENU_HOT:
            vHotSubMenuEast(pItem);
            bGood = true;
            break;
        case M_CHECK_BOX:
            if (check.setCheck != nullptr)
                check.setCheck(check.context);
            bGood = true;
            break;
        default:
            break;
        }
    }
    if (bGood)
        vGoodClick();
    else
        vBadClick();
}

} // namespace

namespace t_menu {

void vHotSubMenuEast(MENU_ITEM* pItem)
{
    M_SUB_MENU_PARAMETERS& sub = pItem->parameters.subMenu;
    if (sub.pt2Function != nullptr)
        sub.pt2Function();
    s_bShowMenuList = TRUE;
    if (sub.numberChoices == 1) {
        T_MENU_vActivateSubMenu(sub.subMenuID);
    } else if (sub.bIsActive) {
        T_MENU_vActivateSubMenu(sub.subMenuID + (S32)pItem->value.u32Val);
    } else {
        sub.bIsActive = TRUE;
        pItem->value.RawSlot = 0;
    }
}

} // namespace t_menu

void T_MENU_vHandleKeys(const MSG_KEY_CHANGE* pKey)
{
    if (pKey == nullptr)
        return;
    const bool bDown = pKey->state == KEY_DOWN;
    if (s_activeMenu == NO_MENU) {
        if (pKey->key == KEY_MENU && bDown)
            vMenuKey();
    } else if (s_bMenuHidden) {
        if (pKey->key == KEY_EXIT && bDown)
            vExitKey();
    } else {
        switch (pKey->key) {
        case KEY_MENU:
            if (bDown)
                vMenuKey();
            break;
        case KEY_EXIT:
            if (bDown)
                vExitKey();
            break;
        case KEY_CURSOR:
            vCursorKey(pKey);
            break;
        case KEY_GOTO:
            if (bDown)
                vGotoKey();
            break;
        case KEY_INFO:
            if (bDown)
                vInfoKey();
            break;
        default:
            if (bDown)
                vBadClick();
            break;
        }
    }
    if (!bDown)
        return;
    const MENU_ITEM* pItem = pHighlightedItem();
    const bool bMovedHorizontally = pKey->key == KEY_CURSOR && bHorizontal((U32)pKey->cursor);
    const bool bNormalRate =
        pItem != nullptr && (pItem->control == M_SLIDER || pItem->control == M_SLIDER_IMMEDIATE ||
                             pItem->control == M_ANGLE_ADJUST ||
                             (pItem->control == M_SLIDER_VARIABLE_STEP && bMovedHorizontally));
    vRequestFrame(!bNormalRate);
}

BOOLEAN T_MENU_bMoveDownMenuList(U32 u32Rows)
{
    const S32 n = s_numActiveMenuItems;
    if (n == 0 || s_activeMenuItemIndex >= n - 1)
        return FALSE;
    S32* pTop = ps32WindowTop();
    S32* pBottom = ps32WindowBottom();
    ++s_activeMenuItemIndex;
    if (s_activeMenuItemIndex > *pBottom) {
        *pBottom = s_activeMenuItemIndex;
        *pTop = std::max<S32>(*pTop + 1, *pBottom - (S32)u32Rows + 1);
    }
    return TRUE;
}

BOOLEAN T_MENU_bMoveUpMenuList(U32 u32Rows)
{
    if (s_activeMenuItemIndex <= 0) {
        if (s_activeMenu != MAIN_MENU)
            return FALSE;
        s_bMenuItemActive = FALSE;
        s_activeMenuItemIndex = 0;
        vWindowAtTop(s_numActiveMenuItems, u32Rows);
        return TRUE;
    }
    S32* pTop = ps32WindowTop();
    S32* pBottom = ps32WindowBottom();
    --s_activeMenuItemIndex;
    if (s_activeMenuItemIndex < *pTop) {
        *pTop = s_activeMenuItemIndex;
        *pBottom = std::min<S32>(*pBottom - 1, *pTop + (S32)u32Rows - 1);
    }
    return TRUE;
}
