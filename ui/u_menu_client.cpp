// The menu task's client calls (see the header).
//
// Every call is the same few steps: find the menu task's mailbox, take a
// zeroed mail from the program heap, fill the command and the fields of its
// kind, post it. Item registrations differ only in where the item goes
// (PLACE) and which fields of its control's record they fill, so each call
// names its place and its fill and the rest is shared. The mail is zeroed
// first so that fields a call does not fill arrive as null or 0.
#include "ui/u_menu_client.h"

#include "store/h_client.h"

#include <cstring>

namespace {

constexpr PRIORITY MENU_MAIL_PRIORITY = 3;
constexpr LAYER_ID EVERY_VIEW = -1;

// A mail of one kind filled by fill(mail): FALSE, with nothing allocated,
// while the menu task is not there.
template <typename MAIL, typename FILL>
BOOLEAN bSend(CMD_ID cmd, FILL fill)
{
    const MBOX mbox = H_CLIENT_mboxTask(FCID("TMNU"));
    if (mbox == 0)
        return FALSE;
    MAIL* pMail = H_CLIENT_pNewMail<MAIL>(cmd);
    fill(*pMail);
    return H_CLIENT_bPost(mbox, pMail, MENU_MAIL_PRIORITY);
}

// ---- Where an item goes ----

struct PLACE {
    const TEXT_TABLE* pTabName;
    const TEXT_TABLE* pSubMenuName;
    const TEXT_TABLE* pInfoMenuName;
    LAYER_ID view;
    SPLIT_WINDOW_TYPE splitType;
    const ICON* pMenuIcon;
};

PLACE placeHot(const ICON* pIcon, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return {nullptr, nullptr, nullptr, view, split, pIcon};
}
PLACE placeQuick(void) { return {nullptr, nullptr, nullptr, EVERY_VIEW, SPLIT_QUICK_WINDOW, nullptr}; }
PLACE placeInfo(const TEXT_TABLE* pInfo) { return {nullptr, nullptr, pInfo, EVERY_VIEW, SPLIT_FULL_WINDOW, nullptr}; }
PLACE placeMain(const TEXT_TABLE* pTab, const ICON* pIcon = nullptr)
{
    return {pTab, nullptr, nullptr, EVERY_VIEW, SPLIT_FULL_WINDOW, pIcon};
}
PLACE placeSub(const TEXT_TABLE* pSub, const ICON* pIcon)
{
    return {nullptr, pSub, nullptr, EVERY_VIEW, SPLIT_FULL_WINDOW, pIcon};
}
// A floating item names its menu where a main item names its tab; a
// single-centred item names itself there.
PLACE placeNamed(const TEXT_TABLE* pName, const ICON* pIcon)
{
    return {pName, nullptr, nullptr, EVERY_VIEW, SPLIT_FULL_WINDOW, pIcon};
}

struct ITEM {
    const TEXT_TABLE* pName;
    MENU_PRIORITY prio;
    MENU_USER_LEVEL level;
    MENU_CONTROL control;
};

void vFillItem(MSG_ADD_MENU_ITEM& mail, const PLACE& place, const ITEM& item)
{
    mail.pTabName = place.pTabName;
    mail.view = place.view;
    mail.splitType = place.splitType;
    mail.pSubMenuName = place.pSubMenuName;
    mail.pInfoMenuName = place.pInfoMenuName;
    mail.pMenuIcon = place.pMenuIcon;
    mail.descriptor.pMenuName = item.pName;
    mail.descriptor.menuPriority = item.prio;
    mail.descriptor.menuUserLevel = item.level;
    mail.descriptor.control = item.control;
}

template <typename FILL>
BOOLEAN bSendItem(CMD_ID cmd, const PLACE& place, const ITEM& item, FILL fillParameters)
{
    return bSend<MSG_ADD_MENU_ITEM>(cmd, [&](MSG_ADD_MENU_ITEM& mail) {
        vFillItem(mail, place, item);
        fillParameters(mail.descriptor.parameters);
    });
}

template <typename FILL>
BOOLEAN bSendSingleCentered(const TEXT_TABLE* pName, const ICON* pIcon, MENU_CONTROL control, BOOLEAN bDisplayMenu,
                            BOOLEAN bLoopValues, FILL fillParameters)
{
    return bSend<MSG_ADD_SINGLE_CENTERED_MENU_ITEM>(
        CMD_ID_REGISTER_SINGLE_CENTERED_MENU_ITEM, [&](MSG_ADD_SINGLE_CENTERED_MENU_ITEM& mail) {
            vFillItem(mail.item, placeNamed(pName, pIcon), {pName, MENU_PRIORITY_0, M_BASIC, control});
            fillParameters(mail.item.descriptor.parameters);
            mail.bDisplayMenu = bDisplayMenu;
            mail.bLoopSelection = bLoopValues;
        });
}

// ---- What each control kind carries ----

auto fillAction(MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.action.pt2Function = pfnAction;
        p.action.confirm = bConfirm;
    };
}

auto fillActionList(const TEXT_TABLE* const* ppChoices, MENU_ACTION_FUNC* const* ppfnActions, U32 u32Count,
                    FOURCHARID key, const BOOLEAN* pbConfirm)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.actionList.pActionListChoices = ppChoices;
        p.actionList.numberChoices = u32Count;
        p.actionList.pt2Function = ppfnActions;
        p.actionList.bIsActive = FALSE;
        p.actionList.FourCharId = key;
        p.actionList.bConfirm = pbConfirm;
    };
}

auto fillSelection(FOURCHARID key, U32 u32Count, const TEXT_TABLE* const* ppChoices, const ICON* const* ppIcons,
                   const U32* pu32Values)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.selectionBox.FourCharId = key;
        p.selectionBox.pSelectionList = ppChoices;
        p.selectionBox.pSelectionIcons = ppIcons;
        p.selectionBox.pSelectionValueArray = pu32Values;
        p.selectionBox.numberSelections = u32Count;
    };
}

auto fillNumEntry(FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pLeft, const TEXT_TABLE* pRight,
                  const TEXT_TABLE* pSuffix)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.numericEntry.FourCharId = key;
        p.numericEntry.valueStrSuffix = pSuffix;
        p.numericEntry.pCtrlTextLeft = pLeft;
        p.numericEntry.pCtrlTextRight = pRight;
        p.numericEntry.pLimits = pLimits;
    };
}

auto fillProgBar(FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pLeft, const TEXT_TABLE* pRight,
                 const TEXT_TABLE* pSuffix)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.progressBar.FourCharId = key;
        p.progressBar.valueStrSuffix = pSuffix;
        p.progressBar.pCtrlTextLeft = pLeft;
        p.progressBar.pCtrlTextRight = pRight;
        p.progressBar.pLimits = pLimits;
    };
}

auto fillSlider(FOURCHARID key, const MENU_LIMITS* pLimits, const MENU_STEP_LEVELS* pLevels,
                const TEXT_TABLE* pLeft, const TEXT_TABLE* pRight, const TEXT_TABLE* pSuffix)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.slider.FourCharId = key;
        p.slider.valueStrSuffix = pSuffix;
        p.slider.pCtrlTextLeft = pLeft;
        p.slider.pCtrlTextRight = pRight;
        p.slider.pLimits = pLimits;
        p.slider.pLevels = pLevels;
    };
}

auto fillSubMenu(const TEXT_TABLE* const* ppChoices, const TEXT_TABLE* const* ppNames, const ICON* const* ppIcons,
                 U32 u32Count, MENU_ACTION_FUNC* pfnAction)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.subMenu.pSubMenuChoices = ppChoices;
        p.subMenu.pSubMenuNames = ppNames;
        p.subMenu.pSubMenuIcons = ppIcons;
        p.subMenu.numberChoices = u32Count;
        p.subMenu.pt2Function = pfnAction;
        p.subMenu.bIsActive = FALSE;
    };
}

auto fillCheck(U32 u32Context, GET_CHECK_FUNC* pfnGet, SET_CHECK_FUNC* pfnSet)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.checkList.context = u32Context;
        p.checkList.getCheck = pfnGet;
        p.checkList.setCheck = pfnSet;
    };
}

} // namespace

// ---- Containers and menu-wide commands ----

BOOLEAN U_MENU_bRegisterTab(const TEXT_TABLE* pTabName, TAB_PRIORITY priority, const ICON* pTabIcon,
                            MENU_USER_LEVEL level)
{
    return bSend<MSG_ADD_MENU_TAB>(CMD_ID_REGISTER_MENU_TAB, [&](MSG_ADD_MENU_TAB& m) {
        m.pTabName = pTabName;
        m.priority = priority;
        m.pTabIcon = pTabIcon;
        m.menuUserLevel = level;
    });
}

BOOLEAN U_MENU_bRegisterSubMenu(const TEXT_TABLE* pSubMenuName, MENU_PRIORITY priority, const ICON* pIcon,
                                MENU_USER_LEVEL level)
{
    return bSend<MSG_ADD_SUB_MENU>(CMD_ID_REGISTER_SUB_MENU, [&](MSG_ADD_SUB_MENU& m) {
        m.pSubMenuName = pSubMenuName;
        m.priority = priority;
        m.pMenuIcon = pIcon;
        m.menuUserLevel = level;
    });
}

BOOLEAN U_MENU_bRegisterExpressMenu(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSend<MSG_ADD_HOT_MENU>(CMD_ID_REGISTER_HOT_MENU, [&](MSG_ADD_HOT_MENU& m) {
        m.view = view;
        m.type = split;
    });
}

BOOLEAN U_MENU_bRegisterInfoMenu(const TEXT_TABLE* pInfoMenuName)
{
    return bSend<MSG_ADD_INFO_MENU>(CMD_ID_REGISTER_INFO_MENU,
                                    [&](MSG_ADD_INFO_MENU& m) { m.pInfoMenuName = pInfoMenuName; });
}

BOOLEAN U_MENU_bRegisterFloatingMenu(const TEXT_TABLE* pFloatingMenuName, MENU_ACTION_FUNC* fnCbOnGoTo,
                                     MENU_ACTION_FUNC* fnCbOnExit, BOOLEAN bDisplayAltName, const char* pStrAltName)
{
    return bSend<MSG_ADD_FLOATING_MENU>(CMD_ID_REGISTER_FLOATING_MENU, [&](MSG_ADD_FLOATING_MENU& m) {
        m.pFloatingMenuName = pFloatingMenuName;
        m.GoToKeyHandler = fnCbOnGoTo;
        m.ExitKeyHandler = fnCbOnExit;
        if (pStrAltName != nullptr) {
            m.bDisplayAltName = bDisplayAltName;
            // At most 19 characters arrive; the zeroed mail terminates them.
            memcpy(m.aStrAltName, pStrAltName, strnlen(pStrAltName, MENU_ALT_NAME_SIZE - 1));
        }
    });
}

BOOLEAN U_MENU_bUnregisterFloatingMenu(const TEXT_TABLE* pFloatingMenuName)
{
    return bSend<MSG_REMOVE_FLOATING_MENU>(CMD_ID_UNREGISTER_FLOATING_MENU, [&](MSG_REMOVE_FLOATING_MENU& m) {
        m.pFloatingMenuName = pFloatingMenuName;
    });
}

void U_MENU_ActivateFloatingMenu(const TEXT_TABLE* pFloatingMenuName)
{
    bSend<MSG_ACTIVATE_FLOATING_MENU>(CMD_ID_ACTIVATE_FLOATING_MENU, [&](MSG_ACTIVATE_FLOATING_MENU& m) {
        m.pFloatingMenuName = pFloatingMenuName;
    });
}

BOOLEAN U_MENU_bUnregisterSingleCenteredMenu(const TEXT_TABLE* pSingleCenteredMenuName)
{
    return bSend<MSG_REMOVE_SINGLE_CENTERED_MENU>(
        CMD_ID_UNREGISTER_SINGLE_CENTERED_MENU,
        [&](MSG_REMOVE_SINGLE_CENTERED_MENU& m) { m.pSingleCenteredMenuName = pSingleCenteredMenuName; });
}

void U_MENU_vActivateSingleCenteredMenu(const TEXT_TABLE* pName, LAYER_ID eCurrentView, BOOLEAN bDisplayMenu,
                                        BOOLEAN bLoopValues, const TEXT_TABLE* pMenuLocation)
{
    bSend<MSG_ACTIVATE_SINGLE_CENTERED_MENU>(CMD_ID_ACTIVATE_SINGLE_CENTERED_MENU,
                                             [&](MSG_ACTIVATE_SINGLE_CENTERED_MENU& m) {
                                                 m.pSingleCenteredMenuName = pName;
                                                 m.eCurrentView = eCurrentView;
                                                 m.bDisplayMenu = bDisplayMenu;
                                                 m.bLoopSelection = bLoopValues;
                                                 m.pMenuLocation = pMenuLocation;
                                             });
}

BOOLEAN U_MENU_bUnregisterTab(const TEXT_TABLE* pTabName)
{
    return bSend<MSG_REMOVE_TAB>(CMD_ID_UNREGISTER_MENU_TAB, [&](MSG_REMOVE_TAB& m) { m.pTabName = pTabName; });
}

void U_MENU_ActivateInfoMenu(const TEXT_TABLE* pInfoMenuName, const TEXT_TABLE* const* pActiveMenus,
                             U8 u8numActiveMenus)
{
    bSend<MSG_ACTIVATE_INFO_MENU>(CMD_ID_ACTIVATE_INFO_MENU, [&](MSG_ACTIVATE_INFO_MENU& m) {
        m.pInfoMenuName = pInfoMenuName;
        m.pActiveMenus = pActiveMenus;
        m.u8numActiveMenus = u8numActiveMenus;
    });
}

void U_MENU_vClearMenus(void) { bSend<MSG_CLEAR_MENU>(CMD_ID_CLEAR_MENU, [](MSG_CLEAR_MENU&) {}); }
void U_MENU_vHideMenus(void) { bSend<MSG_CLEAR_MENU>(CMD_ID_HIDE_MENU, [](MSG_CLEAR_MENU&) {}); }
void U_MENU_vRestoreMenus(void) { bSend<MSG_CLEAR_MENU>(CMD_ID_RESTORE_MENU, [](MSG_CLEAR_MENU&) {}); }

// ---- Item removal ----

namespace {

BOOLEAN bSendRemove(const TEXT_TABLE* pName, const TEXT_TABLE* pTab, const TEXT_TABLE* pSub, LAYER_ID view,
                    SPLIT_WINDOW_TYPE split)
{
    return bSend<MSG_REMOVE_MENU>(CMD_ID_UNREGISTER_MENU_ITEM, [&](MSG_REMOVE_MENU& m) {
        m.pMenuName = pName;
        m.pTabName = pTab;
        m.pSubMenuName = pSub;
        m.view = view;
        m.splitType = split;
    });
}

} // namespace

BOOLEAN U_MENU_bUnregisterHotMenuItem(const TEXT_TABLE* pName, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSendRemove(pName, nullptr, nullptr, view, split);
}

BOOLEAN U_MENU_bUnregisterQuickMenuItem(const TEXT_TABLE* pName)
{
    return bSendRemove(pName, nullptr, nullptr, EVERY_VIEW, SPLIT_FULL_WINDOW);
}

BOOLEAN U_MENU_bUnregisterMainMenuItem(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName)
{
    return bSendRemove(pName, pTabName, nullptr, EVERY_VIEW, (SPLIT_WINDOW_TYPE)0);
}

BOOLEAN U_MENU_bUnregisterSubMenuItem(const TEXT_TABLE* pSubMenuName, const TEXT_TABLE* pName)
{
    return bSendRemove(pName, nullptr, pSubMenuName, EVERY_VIEW, (SPLIT_WINDOW_TYPE)0);
}

// ---- Items of a view's hot menu ----

BOOLEAN U_MENU_bRegisterHotActionMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                      MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm, MENU_USER_LEVEL level,
                                      LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_ACTION},
                     fillAction(pfnAction, bConfirm));
}

BOOLEAN U_MENU_bRegisterHotActionListMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                          const TEXT_TABLE* const* ppChoices, MENU_ACTION_FUNC* const* ppfnActions,
                                          U32 u32numActionItems, MENU_USER_LEVEL level, LAYER_ID view,
                                          SPLIT_WINDOW_TYPE split, FOURCHARID key, const BOOLEAN* pbConfirm)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_ACTION_LIST},
                     fillActionList(ppChoices, ppfnActions, u32numActionItems, key, pbConfirm));
}

BOOLEAN U_MENU_bRegisterHotActionListShrunkenMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                                  const TEXT_TABLE* const* ppChoices,
                                                  MENU_ACTION_FUNC* const* ppfnActions, U32 u32numActionItems,
                                                  MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split,
                                                  FOURCHARID key, const BOOLEAN* pbConfirm)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split),
                     {pName, prio, level, M_ACTION_LIST_SHRUNKEN},
                     fillActionList(ppChoices, ppfnActions, u32numActionItems, key, pbConfirm));
}

BOOLEAN U_MENU_bRegisterHotIconSelectorMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                            FOURCHARID key, U32 u32Count, const ICON* const* ppIcons,
                                            const U32* pu32Values, MENU_USER_LEVEL level, LAYER_ID view,
                                            SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_SELECTION_BOX},
                     fillSelection(key, u32Count, nullptr, ppIcons, pu32Values));
}

BOOLEAN U_MENU_bRegisterHotNumEntryMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                        FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                        const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                        MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_NUMERIC_ENTRY},
                     fillNumEntry(key, pLimits, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterHotProgBarMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                       FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                       const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                       MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_PROGRESS_BAR},
                     fillProgBar(key, pLimits, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterHotSelectorMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                        FOURCHARID key, U32 u32Count, const TEXT_TABLE* const* ppChoices,
                                        const U32* pu32Values, MENU_USER_LEVEL level, LAYER_ID view,
                                        SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_SELECTION_BOX},
                     fillSelection(key, u32Count, ppChoices, nullptr, pu32Values));
}

BOOLEAN U_MENU_bRegisterHotSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                      FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                      const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                      MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_SLIDER},
                     fillSlider(key, pLimits, nullptr, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterHotVarStepSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                             FOURCHARID key, const MENU_LIMITS* pLimits,
                                             const MENU_STEP_LEVELS* pLevels, const TEXT_TABLE* pCtrlTextLeft,
                                             const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                             MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split),
                     {pName, prio, level, M_SLIDER_VARIABLE_STEP},
                     fillSlider(key, pLimits, pLevels, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterHotImmediateSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                               FOURCHARID key, const MENU_LIMITS* pLimits,
                                               const TEXT_TABLE* pCtrlTextLeft, const TEXT_TABLE* pCtrlTextRight,
                                               const TEXT_TABLE* pValueSuffix, MENU_USER_LEVEL level, LAYER_ID view,
                                               SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split),
                     {pName, prio, level, M_SLIDER_IMMEDIATE},
                     fillSlider(key, pLimits, nullptr, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterHotSubMenuWithNoArrow(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                              const TEXT_TABLE* const* ppChoices,
                                              const TEXT_TABLE* const* ppSubMenuNames,
                                              const ICON* const* ppChoiceIcons, U32 u32numSubMenus,
                                              MENU_USER_LEVEL level, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_SUB_MENU_HOT},
                     fillSubMenu(ppChoices, ppSubMenuNames, ppChoiceIcons, u32numSubMenus, nullptr));
}

BOOLEAN U_MENU_bRegisterHotSubMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                   const TEXT_TABLE* const* ppChoices, const TEXT_TABLE* const* ppSubMenuNames,
                                   const ICON* const* ppChoiceIcons, U32 u32numSubMenus, MENU_USER_LEVEL level,
                                   LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeHot(pIcon, view, split), {pName, prio, level, M_SUB_MENU},
                     fillSubMenu(ppChoices, ppSubMenuNames, ppChoiceIcons, u32numSubMenus, nullptr));
}

// ---- Items of the quick-setup menu ----

BOOLEAN U_MENU_bRegisterQuickSliderMenu(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key,
                                        const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                        const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                        MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeQuick(), {pName, prio, level, M_SLIDER},
                     fillSlider(key, pLimits, nullptr, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterQuickSelectorMenu(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key, U32 u32Count,
                                          const TEXT_TABLE* const* ppChoices, const U32* pu32Values,
                                          MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeQuick(), {pName, prio, level, M_SELECTION_BOX},
                     fillSelection(key, u32Count, ppChoices, nullptr, pu32Values));
}

BOOLEAN U_MENU_bRegisterQuickVarStepSliderMenu(const TEXT_TABLE* pName, MENU_PRIORITY prio, FOURCHARID key,
                                               const MENU_LIMITS* pLimits, const MENU_STEP_LEVELS* pLevels,
                                               const TEXT_TABLE* pCtrlTextLeft, const TEXT_TABLE* pCtrlTextRight,
                                               const TEXT_TABLE* pValueSuffix, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeQuick(), {pName, prio, level, M_SLIDER_VARIABLE_STEP},
                     fillSlider(key, pLimits, pLevels, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

// ---- Items of a named info menu ----

BOOLEAN U_MENU_bRegisterInfoActionListMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pInfoMenuName,
                                           MENU_PRIORITY prio, const TEXT_TABLE* const* ppChoices,
                                           MENU_ACTION_FUNC* const* ppfnActions, U32 u32numActionItems,
                                           MENU_USER_LEVEL level, FOURCHARID key, const BOOLEAN* pbConfirm)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeInfo(pInfoMenuName), {pName, prio, level, M_ACTION_LIST},
                     fillActionList(ppChoices, ppfnActions, u32numActionItems, key, pbConfirm));
}

BOOLEAN U_MENU_bRegisterInfoActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pInfoMenuName, MENU_PRIORITY prio,
                                       MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeInfo(pInfoMenuName), {pName, prio, level, M_ACTION},
                     fillAction(pfnAction, bConfirm));
}

// ---- Items under a main-menu tab ----

BOOLEAN U_MENU_bRegisterMainActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                       MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_ACTION},
                     fillAction(pfnAction, bConfirm));
}

BOOLEAN U_MENU_bRegisterMainActionListMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                           const TEXT_TABLE* const* ppChoices, MENU_ACTION_FUNC* const* ppfnActions,
                                           U32 u32numActionItems, MENU_USER_LEVEL level, FOURCHARID key,
                                           const BOOLEAN* pbConfirm)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_ACTION_LIST},
                     fillActionList(ppChoices, ppfnActions, u32numActionItems, key, pbConfirm));
}

BOOLEAN U_MENU_bRegisterMainIconSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName,
                                             MENU_PRIORITY prio, FOURCHARID key, U32 u32Count,
                                             const ICON* const* ppIcons, const U32* pu32Values,
                                             MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_SELECTION_BOX},
                     fillSelection(key, u32Count, nullptr, ppIcons, pu32Values));
}

BOOLEAN U_MENU_bRegisterMainNumEntryMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                         FOURCHARID key, const MENU_LIMITS* pLimits,
                                         const TEXT_TABLE* pCtrlTextLeft, const TEXT_TABLE* pCtrlTextRight,
                                         const TEXT_TABLE* pValueSuffix, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_NUMERIC_ENTRY},
                     fillNumEntry(key, pLimits, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterMainProgBarMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                        FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                        const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                        MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_PROGRESS_BAR},
                     fillProgBar(key, pLimits, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterMainSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                         FOURCHARID key, U32 u32Count, const TEXT_TABLE* const* ppChoices,
                                         const U32* pu32Values, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_SELECTION_BOX},
                     fillSelection(key, u32Count, ppChoices, nullptr, pu32Values));
}

BOOLEAN U_MENU_bRegisterMainSliderMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                       FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                       const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                       MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_SLIDER},
                     fillSlider(key, pLimits, nullptr, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterMainVarStepSliderMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName,
                                              MENU_PRIORITY prio, FOURCHARID key, const MENU_LIMITS* pLimits,
                                              const MENU_STEP_LEVELS* pLevels, const TEXT_TABLE* pCtrlTextLeft,
                                              const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                              MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_SLIDER_VARIABLE_STEP},
                     fillSlider(key, pLimits, pLevels, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterMainSubMenuWithIcon(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, const ICON* pIcon,
                                            MENU_PRIORITY prio, const TEXT_TABLE* const* ppChoices,
                                            const TEXT_TABLE* const* ppSubMenuNames,
                                            const ICON* const* ppChoiceIcons, U32 u32numSubMenus,
                                            MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName, pIcon), {pName, prio, level, M_SUB_MENU},
                     fillSubMenu(ppChoices, ppSubMenuNames, ppChoiceIcons, u32numSubMenus, nullptr));
}

BOOLEAN U_MENU_bRegisterMainSubMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName, MENU_PRIORITY prio,
                                    const TEXT_TABLE* const* ppChoices, const TEXT_TABLE* const* ppSubMenuNames,
                                    const ICON* const* ppChoiceIcons, U32 u32numSubMenus, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_SUB_MENU},
                     fillSubMenu(ppChoices, ppSubMenuNames, ppChoiceIcons, u32numSubMenus, nullptr));
}

BOOLEAN U_MENU_bRegisterMainSubMenuWithAction(const TEXT_TABLE* pName, const TEXT_TABLE* pTabName,
                                              MENU_PRIORITY prio, const TEXT_TABLE* const* ppChoices,
                                              const TEXT_TABLE* const* ppSubMenuNames,
                                              const ICON* const* ppChoiceIcons, U32 u32numSubMenus,
                                              MENU_USER_LEVEL level, MENU_ACTION_FUNC* pfnAction)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeMain(pTabName), {pName, prio, level, M_SUB_MENU},
                     fillSubMenu(ppChoices, ppSubMenuNames, ppChoiceIcons, u32numSubMenus, pfnAction));
}

// ---- Items of a named sub menu ----

BOOLEAN U_MENU_bRegisterSubMenuActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                          const ICON* pIcon, MENU_PRIORITY prio, MENU_ACTION_FUNC* pfnAction,
                                          BOOLEAN bConfirm, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon), {pName, prio, level, M_ACTION},
                     fillAction(pfnAction, bConfirm));
}

BOOLEAN U_MENU_bRegisterHotSubMenuActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                             const ICON* pIcon, MENU_PRIORITY prio, MENU_ACTION_FUNC* pfnAction,
                                             BOOLEAN bConfirm, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon), {pName, prio, level, M_ACTION_HOT},
                     fillAction(pfnAction, bConfirm));
}

BOOLEAN U_MENU_bRegisterSubMenuActionListMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                              const ICON* pIcon, MENU_PRIORITY prio,
                                              const TEXT_TABLE* const* ppChoices,
                                              MENU_ACTION_FUNC* const* ppfnActions, U32 u32numActionItems,
                                              MENU_USER_LEVEL level, FOURCHARID key)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon), {pName, prio, level, M_ACTION_LIST},
                     fillActionList(ppChoices, ppfnActions, u32numActionItems, key, nullptr));
}

BOOLEAN U_MENU_bRegisterSubMenuIconSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                                const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key, U32 u32Count,
                                                const ICON* const* ppIcons, const U32* pu32Values,
                                                MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon),
                     {pName, prio, level, M_SELECTION_BOX},
                     fillSelection(key, u32Count, nullptr, ppIcons, pu32Values));
}

BOOLEAN U_MENU_bRegisterSubMenuNumEntryMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                            const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                                            const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                            const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                            MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon),
                     {pName, prio, level, M_NUMERIC_ENTRY},
                     fillNumEntry(key, pLimits, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterSubMenuProgBarMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                           const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                                           const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                           const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                           MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon), {pName, prio, level, M_PROGRESS_BAR},
                     fillProgBar(key, pLimits, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterSubMenuSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                            const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key, U32 u32Count,
                                            const TEXT_TABLE* const* ppChoices, const U32* pu32Values,
                                            MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon),
                     {pName, prio, level, M_SELECTION_BOX},
                     fillSelection(key, u32Count, ppChoices, nullptr, pu32Values));
}

BOOLEAN U_MENU_bRegisterSubMenuSliderMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                          const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                                          const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                          const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                          MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon), {pName, prio, level, M_SLIDER},
                     fillSlider(key, pLimits, nullptr, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterSubMenuCheckListMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                             const ICON* pIcon, MENU_PRIORITY prio, U32 u32Context,
                                             GET_CHECK_FUNC* pfnGetCheck, SET_CHECK_FUNC* pfnSetCheck,
                                             MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon), {pName, prio, level, M_CHECK_LIST},
                     fillCheck(u32Context, pfnGetCheck, pfnSetCheck));
}

BOOLEAN U_MENU_bRegisterSubMenuCheckBoxMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName,
                                            const ICON* pIcon, MENU_PRIORITY prio, U32 u32Context,
                                            GET_CHECK_FUNC* pfnGetCheck, SET_CHECK_FUNC* pfnSetCheck,
                                            MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon), {pName, prio, level, M_CHECK_BOX},
                     fillCheck(u32Context, pfnGetCheck, pfnSetCheck));
}

BOOLEAN U_MENU_bRegisterSubMenuSubMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pSubMenuName, const ICON* pIcon,
                                       MENU_PRIORITY prio, const TEXT_TABLE* const* ppChoices,
                                       const TEXT_TABLE* const* ppSubMenuNames, const ICON* const* ppChoiceIcons,
                                       U32 u32numSubMenus, MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_MENU_ITEM, placeSub(pSubMenuName, pIcon), {pName, prio, level, M_SUB_MENU},
                     fillSubMenu(ppChoices, ppSubMenuNames, ppChoiceIcons, u32numSubMenus, nullptr));
}

// ---- Items of a floating menu ----

BOOLEAN U_MENU_bRegisterFloatingMenuActionExtItem(const TEXT_TABLE* pFloatingMenuName, const TEXT_TABLE* pName,
                                                  const ICON* pIcon, BOOLEAN bDispIconAlways, BOOLEAN bDispIconOnly,
                                                  MENU_PRIORITY prio, MENU_ACTION_FUNC* pfnAction, BOOLEAN bConfirm,
                                                  MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_FLOATING_MENU_ITEM, placeNamed(pFloatingMenuName, pIcon),
                     {pName, prio, level, M_ACTION_EXT}, [=](CONTROL_PARAMETERS& p) {
                         p.actionExt.pt2Function = pfnAction;
                         p.actionExt.confirm = bConfirm;
                         p.actionExt.bDispIconAlways = bDispIconAlways;
                         p.actionExt.bDispIconOnly = bDispIconOnly;
                     });
}

BOOLEAN U_MENU_bRegisterFloatingMenuSliderItem(const TEXT_TABLE* pFloatingMenuName, const TEXT_TABLE* pName,
                                               const ICON* pIcon, MENU_PRIORITY prio, FOURCHARID key,
                                               const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                               const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                               MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_FLOATING_MENU_ITEM, placeNamed(pFloatingMenuName, pIcon),
                     {pName, prio, level, M_SLIDER},
                     fillSlider(key, pLimits, nullptr, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterFloatingMenuAngleAdjustItem(const TEXT_TABLE* pFloatingMenuName, const TEXT_TABLE* pName,
                                                    const ICON* pIcon, MENU_ACTION_FUNC* fnCbOnInfo,
                                                    MENU_PRIORITY prio, FOURCHARID key, S32 s32MinVal,
                                                    S32 s32MaxVal, S32 s32StepVal, BOOLEAN bWrapOver,
                                                    const TEXT_TABLE* pChkItemName, const ICON* pChkIcon,
                                                    MENU_USER_LEVEL level)
{
    return bSendItem(CMD_ID_REGISTER_FLOATING_MENU_ITEM, placeNamed(pFloatingMenuName, pIcon),
                     {pName, prio, level, M_ANGLE_ADJUST}, [=](CONTROL_PARAMETERS& p) {
                         p.angleAdjust.FourCharId = key;
                         p.angleAdjust.minValue.s32Val = s32MinVal;
                         p.angleAdjust.maxValue.s32Val = s32MaxVal;
                         p.angleAdjust.stepValue.s32Val = s32StepVal;
                         p.angleAdjust.bWrapOver = bWrapOver;
                         p.angleAdjust.pChkItemName = pChkItemName;
                         p.angleAdjust.pChkIcon = pChkIcon;
                         p.angleAdjust.fnCbOnInfo = fnCbOnInfo;
                     });
}

// ---- Single-centred menus ----

BOOLEAN U_MENU_bRegisterSingleCenteredMenuSelectorMenu(const TEXT_TABLE* pName, FOURCHARID key, U32 u32Count,
                                                       const TEXT_TABLE* const* ppChoices, const U32* pu32Values,
                                                       BOOLEAN bDisplayMenu, BOOLEAN bLoopValues)
{
    return bSendSingleCentered(pName, nullptr, M_SELECTION_BOX, bDisplayMenu, bLoopValues,
                               fillSelection(key, u32Count, ppChoices, nullptr, pu32Values));
}

BOOLEAN U_MENU_bRegisterSingleCenteredMenuVarStepSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon,
                                                            FOURCHARID key, const MENU_LIMITS* pLimits,
                                                            const MENU_STEP_LEVELS* pLevels,
                                                            const TEXT_TABLE* pCtrlTextLeft,
                                                            const TEXT_TABLE* pCtrlTextRight,
                                                            const TEXT_TABLE* pValueSuffix, BOOLEAN bDisplayMenu,
                                                            BOOLEAN bLoopValues)
{
    return bSendSingleCentered(pName, pIcon, M_SLIDER_VARIABLE_STEP, bDisplayMenu, bLoopValues,
                               fillSlider(key, pLimits, pLevels, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}

BOOLEAN U_MENU_bRegisterSingleCenteredMenuSliderMenu(const TEXT_TABLE* pName, FOURCHARID key,
                                                     const MENU_LIMITS* pLimits, const TEXT_TABLE* pCtrlTextLeft,
                                                     const TEXT_TABLE* pCtrlTextRight, const TEXT_TABLE* pValueSuffix,
                                                     BOOLEAN bDisplayMenu, BOOLEAN bLoopValues)
{
    return bSendSingleCentered(pName, nullptr, M_SLIDER, bDisplayMenu, bLoopValues,
                               fillSlider(key, pLimits, nullptr, pCtrlTextLeft, pCtrlTextRight, pValueSuffix));
}
