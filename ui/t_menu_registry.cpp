// The menu task's registry: what the task does with each registration and
// removal mail (see ui/t_menu.h and the invariants in ui/t_menu_state.h).
//
// Lists are ordered by priority alone, compared as signed numbers;
// NO_PRIORITY items go to the tail in arrival order. An item whose title is
// already in the target list replaces that item in place: same position,
// same count, no rebuild of the visible list. Everything else that changes
// a list the user may be looking at asks for a rebuild through the hooks.
//
// Names are compared by text-table address only. A null name never matches
// a table slot, so a mail without a name cannot land in a free slot and
// surface later under another menu's name.
#include "ui/t_menu_state.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "store/h_database.h"

#include <cstring>

namespace t_menu {

MENU_TAB s_mainMenuTabs[NUM_TAB_PRIORITIES];
S32 s_lastTabIndex = 0;
HOT_MENU s_hotMenus[NUM_HOT_MENUS];
USED_BY_ALL_HOT_MENUS s_savedHotMenuItems;
QUICK_MENU s_quickMenu;
SUB_MENU s_subMenus[NUM_SUB_MENUS];
S32 s_SubMenuIndex = 0;
INFO_MENU_TYPE s_infoMenus[NUM_INFO_MENUS];
S32 s_InfoMenuIndex = 0;
FLOATING_MENU_TYPE s_floatingMenus[NUM_FLOATING_MENUS];
SINGLE_CENTERED_MENU_TYPE s_singleCenteredMenus[NUM_SINGLE_CENTERED_MENUS];

ACTIVE_MENU s_activeMenu = NO_MENU;
S32 s_activeMenuItemIndex = 0;
S32 s_activeTab = 0;
S32 s_activeFloatingMenu = 0;

} // namespace t_menu

using namespace t_menu;

namespace {

constexpr LAYER_ID EVERY_VIEW = -1;
constexpr LAYER_ID FREE_HOT_MENU = 0;
constexpr int FLOATING_MENU_REUSED = 3; // taken over when all floating slots hold other names

T_MENU_REGISTRY_HOOKS s_hooks = {};

void vUpdateActiveMenuList(void)
{
    if (s_hooks.pfnUpdateActiveMenuList != nullptr)
        s_hooks.pfnUpdateActiveMenuList();
}

void vUpdateDisplayStrings(MENU_ITEM* pItem, BOOLEAN bForceUpdate)
{
    if (s_hooks.pfnUpdateDisplayStrings != nullptr)
        s_hooks.pfnUpdateDisplayStrings(pItem, bForceUpdate);
}

MENU_ITEM* pNewItem(void)
{
    MENU_ITEM* pItem = static_cast<MENU_ITEM*>(H_MEMORY_pvMalloc(sizeof(MENU_ITEM)));
    memset(static_cast<void*>(pItem), 0, sizeof(MENU_ITEM));
    return pItem;
}

// ---- Lists with their counts ----

template <typename MENU>
bool bAdd(MENU& menu, MENU_ITEM* pNew)
{
    if (!T_MENU_bInsertItem(&menu.pFirstItem, &menu.pLastItem, pNew))
        return false;
    ++menu.numMenuItems;
    return true;
}

template <typename MENU>
bool bRemove(MENU& menu, const TEXT_TABLE* pTitle)
{
    if (!T_MENU_bDeleteItem(&menu.pFirstItem, &menu.pLastItem, pTitle))
        return false;
    --menu.numMenuItems;
    return true;
}

template <typename MENU>
void vFreeItems(MENU& menu)
{
    MENU_ITEM* pItem = menu.pFirstItem;
    while (pItem != nullptr) {
        MENU_ITEM* pNext = pItem->pNextMenu;
        H_MEMORY_vFree(pItem);
        pItem = pNext;
    }
    menu.pFirstItem = nullptr;
    menu.pLastItem = nullptr;
    menu.numMenuItems = 0;
}

// A slot emptied of its items and its name, and so free again.
template <typename MENU>
void vClearSlot(MENU& menu)
{
    vFreeItems(menu);
    memset(static_cast<void*>(&menu), 0, sizeof menu);
}

// ---- Finding containers by name ----

// Every slot is searched, not only up to s_lastTabIndex: the visible-list
// rebuild lowers that index to the highest tab shown at the current user
// level, and an item for a tab hidden by the level must still reach it.
int nFindTab(const TEXT_TABLE* pName)
{
    if (pName == nullptr)
        return -1;
    for (int i = 0; i < NUM_TAB_PRIORITIES; ++i)
        if (s_mainMenuTabs[i].pTabTitle == pName)
            return i;
    return -1;
}

int nFindSubMenu(const TEXT_TABLE* pName)
{
    if (pName == nullptr)
        return -1;
    for (int i = 0; i <= s_SubMenuIndex && i < NUM_SUB_MENUS; ++i)
        if (s_subMenus[i].menuRegistered && s_subMenus[i].pSubMenuName == pName)
            return i;
    return -1;
}

int nFindInfoMenu(const TEXT_TABLE* pName)
{
    if (pName == nullptr)
        return -1;
    for (int i = 0; i <= s_InfoMenuIndex && i < NUM_INFO_MENUS; ++i)
        if (s_infoMenus[i].pInfoMenuName == pName)
            return i;
    return -1;
}

int nFindFloatingMenu(const TEXT_TABLE* pName)
{
    if (pName == nullptr)
        return -1;
    for (int i = 0; i < NUM_FLOATING_MENUS; ++i)
        if (s_floatingMenus[i].pFloatingMenuName == pName)
            return i;
    return -1;
}

// The slot registered under the name, or else the first unregistered slot
// set up for it; -1 when every slot holds another name.
S32 s32FindOrTakeSubMenu(const TEXT_TABLE* pName, const ICON* pIcon, bool* pbFound)
{
    *pbFound = false;
    for (int i = 0; i < NUM_SUB_MENUS; ++i)
        if (s_subMenus[i].menuRegistered && s_subMenus[i].pSubMenuName == pName) {
            *pbFound = true;
            return i;
        }
    for (int i = 0; i < NUM_SUB_MENUS; ++i) {
        SUB_MENU& sub = s_subMenus[i];
        if (sub.menuRegistered)
            continue;
        vClearSlot(sub);
        sub.menuRegistered = TRUE;
        sub.pSubMenuName = pName;
        sub.pHelperIcon = pIcon;
        if (i > s_SubMenuIndex)
            s_SubMenuIndex = i;
        return i;
    }
    return -1;
}

// ---- Hot menus ----

// A view of 0 would be taken for a free slot, and its items would surface
// in whichever hot menu takes the slot later: such requests are dropped.
void vRegisterHotMenu(LAYER_ID view, SPLIT_WINDOW_TYPE type)
{
    if (view == FREE_HOT_MENU)
        return;
    for (const HOT_MENU& hot : s_hotMenus)
        if (hot.view == view && hot.type == type)
            return;
    for (HOT_MENU& hot : s_hotMenus) {
        if (hot.view != FREE_HOT_MENU)
            continue;
        hot.view = view;
        hot.type = type;
        hot.lastUsedMenuItem = 0;
        // The seeded copies count like any other item, so the count stays
        // the length of the list and a removal for every view cannot take
        // it to 0 while items remain.
        for (const MENU_ITEM* pSaved = s_savedHotMenuItems.pFirstItem; pSaved != nullptr;
             pSaved = pSaved->pNextMenu) {
            MENU_ITEM* pCopy = pNewItem();
            *pCopy = *pSaved;
            pCopy->pNextMenu = nullptr;
            bAdd(hot, pCopy);
        }
        return;
    }
}

bool bHotMenuOfView(LAYER_ID view)
{
    for (const HOT_MENU& hot : s_hotMenus)
        if (hot.view == view)
            return true;
    return false;
}

void vRegisterHotMenuItem(const MSG_ADD_MENU_ITEM* pMsg)
{
    const LAYER_ID view = pMsg->view;
    if (view == FREE_HOT_MENU)
        return;
    if (view != EVERY_VIEW && !bHotMenuOfView(view))
        vRegisterHotMenu(view, pMsg->splitType);
    for (HOT_MENU& hot : s_hotMenus) {
        const bool bMatch = view == EVERY_VIEW ? hot.view != FREE_HOT_MENU : hot.view == view;
        if (!bMatch)
            continue;
        MENU_ITEM* pItem = T_MENU_pMenuItemInitEntry(pMsg);
        if (pItem == nullptr)
            return;
        if (view == EVERY_VIEW) {
            MENU_ITEM* pSaved = T_MENU_pMenuItemInitEntry(pMsg);
            if (pSaved == nullptr) {
                H_MEMORY_vFree(pItem);
                return;
            }
            bAdd(s_savedHotMenuItems, pSaved);
        }
        if (view == EVERY_VIEW || hot.type == pMsg->splitType) {
            if (bAdd(hot, pItem))
                vUpdateActiveMenuList();
        } else {
            // The view has hot menus, but not of this pane.
            H_MEMORY_vFree(pItem);
        }
    }
}

// Builds the item and adds it to the menu, rebuilding the visible list when
// it was linked in (not when it replaced an item of the same title).
template <typename MENU>
void vAddAndRebuild(MENU& menu, const MSG_ADD_MENU_ITEM* pMsg)
{
    MENU_ITEM* pItem = T_MENU_pMenuItemInitEntry(pMsg);
    if (pItem != nullptr && bAdd(menu, pItem))
        vUpdateActiveMenuList();
}

template <typename MENU>
void vRemoveAndRebuild(MENU& menu, const TEXT_TABLE* pTitle)
{
    if (bRemove(menu, pTitle))
        vUpdateActiveMenuList();
}

} // namespace

// ---- Set-up ----

void T_MENU_vInstallRegistryHooks(const T_MENU_REGISTRY_HOOKS* pHooks)
{
    s_hooks = pHooks != nullptr ? *pHooks : T_MENU_REGISTRY_HOOKS{};
}

void T_MENU_vInitRegistry(void)
{
    L_MUTEX_LockWait(RES_MENU);
    for (MENU_TAB& tab : s_mainMenuTabs)
        vClearSlot(tab);
    for (HOT_MENU& hot : s_hotMenus)
        vClearSlot(hot);
    vClearSlot(s_savedHotMenuItems);
    vClearSlot(s_quickMenu);
    for (SUB_MENU& sub : s_subMenus)
        vClearSlot(sub);
    for (INFO_MENU_TYPE& info : s_infoMenus)
        vClearSlot(info);
    for (FLOATING_MENU_TYPE& floating : s_floatingMenus)
        vClearSlot(floating);
    for (SINGLE_CENTERED_MENU_TYPE& single : s_singleCenteredMenus)
        vClearSlot(single);
    s_lastTabIndex = 0;
    s_SubMenuIndex = 0;
    s_InfoMenuIndex = 0;
    s_activeMenu = NO_MENU;
    s_activeMenuItemIndex = 0;
    s_activeTab = 0;
    s_activeFloatingMenu = 0;
    L_MUTEX_Unlock(RES_MENU);
}

BOOLEAN T_MENU_bHandleRegistryMail(GENERIC_MESSAGE* pMsg)
{
    if (pMsg == nullptr)
        return FALSE;
    switch (pMsg->Cmd) {
    case CMD_ID_REGISTER_MENU_TAB:
    case CMD_ID_REGISTER_MENU_ITEM:
    case CMD_ID_REGISTER_SUB_MENU:
    case CMD_ID_REGISTER_HOT_MENU:
    case CMD_ID_REGISTER_INFO_MENU:
    case CMD_ID_REGISTER_FLOATING_MENU:
    case CMD_ID_UNREGISTER_FLOATING_MENU:
    case CMD_ID_REGISTER_FLOATING_MENU_ITEM:
    case CMD_ID_UNREGISTER_SINGLE_CENTERED_MENU:
    case CMD_ID_REGISTER_SINGLE_CENTERED_MENU_ITEM:
    case CMD_ID_UNREGISTER_MENU_TAB:
    case CMD_ID_UNREGISTER_MENU_ITEM:
        break;
    default:
        return FALSE;
    }

    L_MUTEX_LockWait(RES_MENU);
    switch (pMsg->Cmd) {
    case CMD_ID_REGISTER_MENU_TAB:
        T_MENU_vRegisterMenuTab(reinterpret_cast<const MSG_ADD_MENU_TAB*>(pMsg));
        break;
    case CMD_ID_REGISTER_MENU_ITEM:
        T_MENU_vRegisterMenuItem(reinterpret_cast<const MSG_ADD_MENU_ITEM*>(pMsg));
        break;
    case CMD_ID_REGISTER_SUB_MENU:
        T_MENU_vRegisterSubMenu(reinterpret_cast<const MSG_ADD_SUB_MENU*>(pMsg));
        break;
    case CMD_ID_REGISTER_HOT_MENU:
        T_MENU_vRegisterHotMenu(reinterpret_cast<const MSG_ADD_HOT_MENU*>(pMsg));
        break;
    case CMD_ID_REGISTER_INFO_MENU:
        T_MENU_vRegisterInfoMenu(reinterpret_cast<const MSG_ADD_INFO_MENU*>(pMsg));
        break;
    case CMD_ID_REGISTER_FLOATING_MENU:
        T_MENU_vRegisterFloatingMenu(reinterpret_cast<const MSG_ADD_FLOATING_MENU*>(pMsg));
        break;
    case CMD_ID_UNREGISTER_FLOATING_MENU:
        T_MENU_vUnregisterFloatingMenu(reinterpret_cast<const MSG_REMOVE_FLOATING_MENU*>(pMsg));
        break;
    case CMD_ID_REGISTER_FLOATING_MENU_ITEM:
        T_MENU_vRegisterFloatingMenuItem(reinterpret_cast<const MSG_ADD_MENU_ITEM*>(pMsg));
        break;
    case CMD_ID_UNREGISTER_SINGLE_CENTERED_MENU:
        T_MENU_vUnregisterSingleCenteredMenu(reinterpret_cast<const MSG_REMOVE_SINGLE_CENTERED_MENU*>(pMsg));
        break;
    case CMD_ID_REGISTER_SINGLE_CENTERED_MENU_ITEM:
        T_MENU_vRegisterSingleCenteredMenuItem(reinterpret_cast<const MSG_ADD_SINGLE_CENTERED_MENU_ITEM*>(pMsg));
        break;
    case CMD_ID_UNREGISTER_MENU_TAB:
        T_MENU_vUnregisterMenuTab(reinterpret_cast<const MSG_REMOVE_TAB*>(pMsg));
        break;
    case CMD_ID_UNREGISTER_MENU_ITEM:
        T_MENU_vUnregisterMenuItem(reinterpret_cast<const MSG_REMOVE_MENU*>(pMsg));
        break;
    default:
        break;
    }
    L_MUTEX_Unlock(RES_MENU);
    return TRUE;
}

// ---- Items and lists ----

MENU_ITEM* T_MENU_pMenuItemInitEntry(const MSG_ADD_MENU_ITEM* pMsg)
{
    const MENU_DESCRIPTOR& desc = pMsg->descriptor;
    const CONTROL_PARAMETERS& in = desc.parameters;
    MENU_ITEM* pItem = pNewItem();
    pItem->pMenuTitle = desc.pMenuName;
    pItem->control = desc.control;
    pItem->activeLevel = desc.menuUserLevel;
    pItem->priority = desc.menuPriority;
    pItem->pMenuIcon = pMsg->pMenuIcon;

    // Minimum, maximum and step of the numeric kinds come from their
    // limit rows when the value is shown, not from the mail.
    CONTROL_PARAMETERS& out = pItem->parameters;
    FOURCHARID keyToRead = 0;
    switch (desc.control) {
    case M_SLIDER:
    case M_SLIDER_IMMEDIATE:
    case M_SLIDER_VARIABLE_STEP:
        out.slider.FourCharId = in.slider.FourCharId;
        out.slider.pLimits = in.slider.pLimits;
        out.slider.valueStrSuffix = in.slider.valueStrSuffix;
        out.slider.pCtrlTextLeft = in.slider.pCtrlTextLeft;
        out.slider.pCtrlTextRight = in.slider.pCtrlTextRight;
        if (desc.control == M_SLIDER_VARIABLE_STEP)
            out.slider.pLevels = in.slider.pLevels;
        keyToRead = out.slider.FourCharId;
        break;
    case M_PROGRESS_BAR:
        out.progressBar.FourCharId = in.progressBar.FourCharId;
        out.progressBar.pLimits = in.progressBar.pLimits;
        out.progressBar.valueStrSuffix = in.progressBar.valueStrSuffix;
        out.progressBar.pCtrlTextLeft = in.progressBar.pCtrlTextLeft;
        out.progressBar.pCtrlTextRight = in.progressBar.pCtrlTextRight;
        keyToRead = out.progressBar.FourCharId;
        break;
    case M_NUMERIC_ENTRY:
        out.numericEntry.FourCharId = in.numericEntry.FourCharId;
        out.numericEntry.pLimits = in.numericEntry.pLimits;
        out.numericEntry.valueStrSuffix = in.numericEntry.valueStrSuffix;
        out.numericEntry.pCtrlTextLeft = in.numericEntry.pCtrlTextLeft;
        out.numericEntry.pCtrlTextRight = in.numericEntry.pCtrlTextRight;
        keyToRead = out.numericEntry.FourCharId;
        break;
    case M_SELECTION_BOX:
        out.selectionBox.FourCharId = in.selectionBox.FourCharId;
        out.selectionBox.pSelectionList = in.selectionBox.pSelectionList;
        out.selectionBox.pSelectionIcons = in.selectionBox.pSelectionIcons;
        out.selectionBox.pSelectionValueArray = in.selectionBox.pSelectionValueArray;
        out.selectionBox.numberSelections = in.selectionBox.numberSelections;
        break;
    case M_ACTION:
    case M_ACTION_HOT:
        out.action.pt2Function = in.action.pt2Function;
        out.action.confirm = in.action.confirm;
        break;
    case M_ACTION_EXT:
        out.actionExt.pt2Function = in.actionExt.pt2Function;
        out.actionExt.confirm = in.actionExt.confirm;
        out.actionExt.bDispIconAlways = in.actionExt.bDispIconAlways;
        out.actionExt.bDispIconOnly = in.actionExt.bDispIconOnly;
        break;
    case M_SUB_MENU:
    case M_SUB_MENU_HOT:
        out.subMenu.pSubMenuChoices = in.subMenu.pSubMenuChoices;
        out.subMenu.pSubMenuIcons = in.subMenu.pSubMenuIcons;
        out.subMenu.numberChoices = in.subMenu.numberChoices;
        out.subMenu.pt2Function = in.subMenu.pt2Function;
        out.subMenu.bIsActive = FALSE;
        pItem->value.RawSlot = 0;
        for (U32 i = 0; i < in.subMenu.numberChoices; ++i) {
            const S32 s32Slot =
                T_MENU_s32RegisterSubMenu(in.subMenu.pSubMenuNames, in.subMenu.pSubMenuIcons, i);
            if (s32Slot < 0) {
                // The sub menus registered so far stay.
                H_MEMORY_vFree(pItem);
                return nullptr;
            }
            if (i == 0)
                out.subMenu.subMenuID = s32Slot;
        }
        break;
    case M_ACTION_LIST:
    case M_ACTION_LIST_SHRUNKEN:
        out.actionList.pActionListChoices = in.actionList.pActionListChoices;
        out.actionList.numberChoices = in.actionList.numberChoices;
        out.actionList.pt2Function = in.actionList.pt2Function;
        out.actionList.FourCharId = in.actionList.FourCharId;
        out.actionList.bConfirm = in.actionList.bConfirm;
        out.actionList.bIsActive = FALSE;
        pItem->value.RawSlot = 0;
        break;
    case M_CHECK_LIST:
    case M_CHECK_BOX:
        out.checkList.context = in.checkList.context;
        out.checkList.getCheck = in.checkList.getCheck;
        out.checkList.setCheck = in.checkList.setCheck;
        break;
    case M_ANGLE_ADJUST:
        out.angleAdjust.FourCharId = in.angleAdjust.FourCharId;
        out.angleAdjust.minValue = in.angleAdjust.minValue;
        out.angleAdjust.maxValue = in.angleAdjust.maxValue;
        out.angleAdjust.stepValue = in.angleAdjust.stepValue;
        out.angleAdjust.bWrapOver = in.angleAdjust.bWrapOver;
        out.angleAdjust.pChkItemName = in.angleAdjust.pChkItemName;
        out.angleAdjust.pChkIcon = in.angleAdjust.pChkIcon;
        out.angleAdjust.fnCbOnInfo = in.angleAdjust.fnCbOnInfo;
        keyToRead = out.angleAdjust.FourCharId;
        break;
    default:
        // Selection buttons and alphanumeric entries: no call registers
        // them, and nothing of their records is kept.
        break;
    }

    if (keyToRead != 0) {
        DB_ATTRIBUTES attributes = {};
        if (H_DATABASE_bFetch(keyToRead, &pItem->value, nullptr, &attributes)) {
            pItem->DataType = attributes.DataType;
            pItem->dataFormat = H_DATABASE_DataType(attributes.DataType);
        }
    }
    return pItem;
}

BOOLEAN T_MENU_bInsertItem(MENU_ITEM** ppFirstItem, MENU_ITEM** ppLastItem, MENU_ITEM* pNew)
{
    for (MENU_ITEM* pItem = *ppFirstItem; pItem != nullptr; pItem = pItem->pNextMenu) {
        if (pItem->pMenuTitle != pNew->pMenuTitle)
            continue;
        MENU_ITEM* pNext = pItem->pNextMenu;
        *pItem = *pNew;
        pItem->pNextMenu = pNext;
        H_MEMORY_vFree(pNew);
        vUpdateDisplayStrings(pItem, FALSE);
        return FALSE;
    }

    pNew->pNextMenu = nullptr;
    MENU_ITEM* pHead = *ppFirstItem;
    if (pHead == nullptr) {
        *ppFirstItem = pNew;
        *ppLastItem = pNew;
        return TRUE;
    }
    if (pNew->priority == NO_PRIORITY) {
        (*ppLastItem)->pNextMenu = pNew;
        *ppLastItem = pNew;
        return TRUE;
    }
    if (pNew->priority < pHead->priority || pHead->priority == NO_PRIORITY) {
        pNew->pNextMenu = pHead;
        *ppFirstItem = pNew;
        return TRUE;
    }
    // Ties go behind the head when they equal it, and in front of the first
    // equal item further down.
    MENU_ITEM* pAfter = pHead;
    while (pAfter->pNextMenu != nullptr && pAfter->pNextMenu->priority != NO_PRIORITY &&
           pAfter->pNextMenu->priority < pNew->priority)
        pAfter = pAfter->pNextMenu;
    pNew->pNextMenu = pAfter->pNextMenu;
    pAfter->pNextMenu = pNew;
    if (pNew->pNextMenu == nullptr)
        *ppLastItem = pNew;
    return TRUE;
}

BOOLEAN T_MENU_bDeleteItem(MENU_ITEM** ppFirstItem, MENU_ITEM** ppLastItem, const TEXT_TABLE* pTitle)
{
    MENU_ITEM* pBefore = nullptr;
    for (MENU_ITEM* pItem = *ppFirstItem; pItem != nullptr; pBefore = pItem, pItem = pItem->pNextMenu) {
        if (pItem->pMenuTitle != pTitle)
            continue;
        if (pBefore != nullptr)
            pBefore->pNextMenu = pItem->pNextMenu;
        else
            *ppFirstItem = pItem->pNextMenu;
        if (*ppLastItem == pItem)
            *ppLastItem = pBefore;
        H_MEMORY_vFree(pItem);
        return TRUE;
    }
    return FALSE;
}

// A choice without a name can open nothing: the item is refused like one
// whose sub menus find no slot.
S32 T_MENU_s32RegisterSubMenu(const TEXT_TABLE* const* ppSubMenuNames, const ICON* const* ppSubMenuIcons,
                              U32 u32Index)
{
    if (ppSubMenuNames == nullptr || ppSubMenuNames[u32Index] == nullptr)
        return -1;
    const ICON* pIcon = ppSubMenuIcons != nullptr ? ppSubMenuIcons[u32Index] : nullptr;
    bool bFound = false;
    const S32 s32Slot = s32FindOrTakeSubMenu(ppSubMenuNames[u32Index], pIcon, &bFound);
    if (bFound && ppSubMenuIcons != nullptr)
        s_subMenus[s32Slot].pHelperIcon = pIcon;
    return s32Slot;
}

void T_MENU_vBuildSingleCenteredMenu(const MENU_ITEM* pSource)
{
    MENU_ITEM* pCopy = pNewItem();
    *pCopy = *pSource;
    pCopy->pNextMenu = nullptr;
    SINGLE_CENTERED_MENU_TYPE& single = s_singleCenteredMenus[0];
    vFreeItems(single);
    single.pSingleCenteredMenuName = nullptr;
    vUpdateDisplayStrings(pCopy, TRUE);
    pCopy->bActive = TRUE;
    bAdd(single, pCopy);
    single.pSingleCenteredMenuName = pCopy->pMenuTitle;
}

// ---- The handlers ----

// A priority outside the 12 slots is dropped: it would index past them.
void T_MENU_vRegisterMenuTab(const MSG_ADD_MENU_TAB* pMsg)
{
    const int nSlot = (int)pMsg->priority;
    if (nSlot < 0 || nSlot >= NUM_TAB_PRIORITIES)
        return;
    MENU_TAB& tab = s_mainMenuTabs[nSlot];
    tab.pTabTitle = pMsg->pTabName;
    tab.pTabIcon = pMsg->pTabIcon;
    tab.activeLevel = pMsg->menuUserLevel;
    tab.bTabActive = TRUE;
    if (nSlot > s_lastTabIndex)
        s_lastTabIndex = nSlot;
    vUpdateActiveMenuList();
}

void T_MENU_vRegisterMenuItem(const MSG_ADD_MENU_ITEM* pMsg)
{
    if (pMsg->pTabName != nullptr) {
        const int nTab = nFindTab(pMsg->pTabName);
        if (nTab >= 0)
            vAddAndRebuild(s_mainMenuTabs[nTab], pMsg);
        return;
    }
    if (pMsg->pSubMenuName != nullptr) {
        const int nSub = nFindSubMenu(pMsg->pSubMenuName);
        if (nSub >= 0)
            vAddAndRebuild(s_subMenus[nSub], pMsg);
        return;
    }
    if (pMsg->pInfoMenuName != nullptr) {
        const int nInfo = nFindInfoMenu(pMsg->pInfoMenuName);
        if (nInfo >= 0)
            vAddAndRebuild(s_infoMenus[nInfo], pMsg);
        return;
    }
    if (pMsg->splitType == SPLIT_QUICK_WINDOW) {
        // The quick-setup menu is opened only at start-up; its list is
        // built then.
        MENU_ITEM* pItem = T_MENU_pMenuItemInitEntry(pMsg);
        if (pItem != nullptr)
            bAdd(s_quickMenu, pItem);
        return;
    }
    vRegisterHotMenuItem(pMsg);
}

void T_MENU_vRegisterSubMenu(const MSG_ADD_SUB_MENU* pMsg)
{
    if (pMsg->pSubMenuName == nullptr)
        return;
    bool bFound = false;
    s32FindOrTakeSubMenu(pMsg->pSubMenuName, pMsg->pMenuIcon, &bFound);
}

void T_MENU_vRegisterHotMenu(const MSG_ADD_HOT_MENU* pMsg) { vRegisterHotMenu(pMsg->view, pMsg->type); }

void T_MENU_vRegisterInfoMenu(const MSG_ADD_INFO_MENU* pMsg)
{
    if (pMsg->pInfoMenuName == nullptr)
        return;
    int nSlot = -1;
    for (int i = 0; i < NUM_INFO_MENUS && nSlot < 0; ++i)
        if (s_infoMenus[i].pInfoMenuName == pMsg->pInfoMenuName)
            nSlot = i;
    for (int i = 0; i < NUM_INFO_MENUS && nSlot < 0; ++i)
        if (s_infoMenus[i].pInfoMenuName == nullptr)
            nSlot = i;
    if (nSlot < 0)
        return;
    s_infoMenus[nSlot].pInfoMenuName = pMsg->pInfoMenuName;
    if (nSlot > s_InfoMenuIndex)
        s_InfoMenuIndex = nSlot;
}

// A menu registered again under its name starts afresh in its own slot,
// even when a free slot comes first, so that no two slots share a name.
void T_MENU_vRegisterFloatingMenu(const MSG_ADD_FLOATING_MENU* pMsg)
{
    if (s_activeMenu == FLOATING_MENU || pMsg->pFloatingMenuName == nullptr)
        return;
    int nSlot = nFindFloatingMenu(pMsg->pFloatingMenuName);
    for (int i = 0; i < NUM_FLOATING_MENUS && nSlot < 0; ++i)
        if (s_floatingMenus[i].pFloatingMenuName == nullptr)
            nSlot = i;
    if (nSlot < 0)
        nSlot = FLOATING_MENU_REUSED;
    FLOATING_MENU_TYPE& floating = s_floatingMenus[nSlot];
    vClearSlot(floating);
    floating.pFloatingMenuName = pMsg->pFloatingMenuName;
    floating.GoToKeyHandler = pMsg->GoToKeyHandler;
    floating.ExitKeyHandler = pMsg->ExitKeyHandler;
    floating.bDisplayAltName = pMsg->bDisplayAltName;
    if (pMsg->bDisplayAltName)
        memcpy(floating.aStrAltName, pMsg->aStrAltName, strnlen(pMsg->aStrAltName, MENU_ALT_NAME_SIZE - 1));
}

void T_MENU_vUnregisterFloatingMenu(const MSG_REMOVE_FLOATING_MENU* pMsg)
{
    if (s_activeMenu != FLOATING_MENU)
        return;
    const int nSlot = nFindFloatingMenu(pMsg->pFloatingMenuName);
    if (nSlot < 0 || nSlot == s_activeFloatingMenu)
        return;
    vClearSlot(s_floatingMenus[nSlot]);
}

void T_MENU_vRegisterFloatingMenuItem(const MSG_ADD_MENU_ITEM* pMsg)
{
    if (s_activeMenu == FLOATING_MENU)
        return;
    const int nSlot = nFindFloatingMenu(pMsg->pTabName);
    if (nSlot < 0)
        return;
    MENU_ITEM* pItem = T_MENU_pMenuItemInitEntry(pMsg);
    if (pItem == nullptr)
        return;
    pItem->bActive = TRUE;
    bAdd(s_floatingMenus[nSlot], pItem);
}

// The open single-centred menu shows its one item at index 0, which the
// visible list points at; it is left in place then.
void T_MENU_vUnregisterSingleCenteredMenu(const MSG_REMOVE_SINGLE_CENTERED_MENU* pMsg)
{
    if (s_activeMenu != SINGLE_CENTERED_MENU)
        return;
    SINGLE_CENTERED_MENU_TYPE& single = s_singleCenteredMenus[0];
    if (pMsg->pSingleCenteredMenuName == nullptr || pMsg->pSingleCenteredMenuName != single.pSingleCenteredMenuName)
        return;
    if (s_activeMenuItemIndex == 0)
        return;
    vFreeItems(single);
    single.pSingleCenteredMenuName = nullptr;
}

void T_MENU_vRegisterSingleCenteredMenuItem(const MSG_ADD_SINGLE_CENTERED_MENU_ITEM* pMsg)
{
    MENU_ITEM* pItem = T_MENU_pMenuItemInitEntry(&pMsg->item);
    if (pItem == nullptr)
        return;
    T_MENU_vBuildSingleCenteredMenu(pItem);
    H_MEMORY_vFree(pItem);
    s_singleCenteredMenus[0].bLoopSelection = pMsg->bLoopSelection;
    if (s_hooks.pfnOpenSingleCenteredMenu != nullptr)
        s_hooks.pfnOpenSingleCenteredMenu(pMsg->bDisplayMenu, pMsg->bLoopSelection);
}

// The tab's items stay in its slot, hidden, until the slot is registered
// again.
void T_MENU_vUnregisterMenuTab(const MSG_REMOVE_TAB* pMsg)
{
    const int nSlot = nFindTab(pMsg->pTabName);
    if (nSlot < 0)
        return;
    MENU_TAB& tab = s_mainMenuTabs[nSlot];
    tab.bTabActive = FALSE;
    tab.pTabTitle = nullptr;
    if (s_activeTab == nSlot) {
        s_activeTab = 0;
        for (int i = 0; i < NUM_TAB_PRIORITIES; ++i)
            if (s_mainMenuTabs[i].bTabActive) {
                s_activeTab = i;
                break;
            }
    }
    vUpdateActiveMenuList();
}

// Quick-setup items are never removed, and the info-menu name is not read.
void T_MENU_vUnregisterMenuItem(const MSG_REMOVE_MENU* pMsg)
{
    if (pMsg->pTabName != nullptr) {
        const int nTab = nFindTab(pMsg->pTabName);
        if (nTab >= 0)
            vRemoveAndRebuild(s_mainMenuTabs[nTab], pMsg->pMenuName);
        return;
    }
    if (pMsg->pSubMenuName != nullptr) {
        const int nSub = nFindSubMenu(pMsg->pSubMenuName);
        if (nSub >= 0)
            vRemoveAndRebuild(s_subMenus[nSub], pMsg->pMenuName);
        return;
    }
    const LAYER_ID view = pMsg->view;
    for (HOT_MENU& hot : s_hotMenus) {
        const bool bMatch =
            view == EVERY_VIEW
                ? hot.view != FREE_HOT_MENU
                : hot.view == view && (hot.type == pMsg->splitType || pMsg->splitType == SPLIT_FULL_WINDOW);
        if (!bMatch)
            continue;
        if (view == EVERY_VIEW)
            bRemove(s_savedHotMenuItems, pMsg->pMenuName);
        vRemoveAndRebuild(hot, pMsg->pMenuName);
    }
}
