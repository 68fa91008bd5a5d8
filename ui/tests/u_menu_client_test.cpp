// The menu client calls against the mails they send: command, addressing,
// control, descriptor and every byte of the parameter record, the
// container and removal mails, the floating menu's alternative name, and
// the calls made while the menu task is not there.
#include "ui/tests/menu_mail_world.h"

#include "kernel/l_clock.h"

#include <functional>
#include <string>

using namespace mw;

namespace {

// ---- What the calls are given ----

const TEXT_TABLE txtName = {"Name"};
const TEXT_TABLE* const N = &txtName;
const TEXT_TABLE txtTab = {"Tab"};
const TEXT_TABLE txtSub = {"Sub"};
const TEXT_TABLE txtInfo = {"Info"};
const TEXT_TABLE txtFloating = {"Floating"};
const TEXT_TABLE txtLeft = {"Low"};
const TEXT_TABLE txtRight = {"High"};
const TEXT_TABLE txtSuffix = {"ft"};
const TEXT_TABLE txtCheck = {"Check"};
const TEXT_TABLE txtChoiceA = {"A"};
const TEXT_TABLE txtChoiceB = {"B"};
const TEXT_TABLE txtChoiceC = {"C"};
const TEXT_TABLE* const aChoices[3] = {&txtChoiceA, &txtChoiceB, &txtChoiceC};
const TEXT_TABLE txtSubA = {"Sub A"};
const TEXT_TABLE txtSubB = {"Sub B"};
const TEXT_TABLE txtSubC = {"Sub C"};
const TEXT_TABLE* const aSubNames[3] = {&txtSubA, &txtSubB, &txtSubC};

const ICON iconItem = {};
const ICON iconCheck = {};
const ICON iconA = {};
const ICON iconB = {};
const ICON iconC = {};
const ICON* const aIcons[3] = {&iconA, &iconB, &iconC};

const U32 aValues[3] = {10, 20, 30};
const BOOLEAN aConfirm[3] = {FALSE, TRUE, FALSE};
const MENU_LIMITS aLimits[2] = {{U_FEET, 0.0f, 100.0f, 1.0f}, {U_METRES, 0.0f, 30.0f, 0.5f}};
const MENU_STEP_LEVELS aLevels[2] = {{U_FEET, 10.0f, 50.0f}, {U_METRES, 3.0f, 15.0f}};

void vAction(void) {}
void vOtherAction(void) {}
void vInfo(void) {}
MENU_ACTION_FUNC* const aActions[3] = {vAction, vOtherAction, vAction};
BOOLEAN bGetCheck(U32) { return TRUE; }
BOOLEAN bSetCheck(U32) { return FALSE; }

constexpr MENU_PRIORITY PRIO = (MENU_PRIORITY)321;
constexpr MENU_USER_LEVEL LEVEL = M_ADVANCED;
constexpr LAYER_ID VIEW = 37;
constexpr SPLIT_WINDOW_TYPE SPLIT = SPLIT_RIGHT_WINDOW;
constexpr FOURCHARID KEY = FCID("SKEY");

// ---- The table of item registrations ----

struct Place {
    const TEXT_TABLE* pTabName;
    const TEXT_TABLE* pSubMenuName;
    const TEXT_TABLE* pInfoMenuName;
    LAYER_ID view;
    SPLIT_WINDOW_TYPE splitType;
    const ICON* pMenuIcon;
};

const Place HOT = {nullptr, nullptr, nullptr, VIEW, SPLIT, &iconItem};
const Place QUICK = {nullptr, nullptr, nullptr, -1, SPLIT_QUICK_WINDOW, nullptr};
const Place INFO = {nullptr, nullptr, &txtInfo, -1, SPLIT_FULL_WINDOW, nullptr};
const Place MAIN = {&txtTab, nullptr, nullptr, -1, SPLIT_FULL_WINDOW, nullptr};
const Place MAIN_ICON = {&txtTab, nullptr, nullptr, -1, SPLIT_FULL_WINDOW, &iconItem};
const Place SUB = {nullptr, &txtSub, nullptr, -1, SPLIT_FULL_WINDOW, &iconItem};
const Place FLOATING = {&txtFloating, nullptr, nullptr, -1, SPLIT_FULL_WINDOW, &iconItem};
const Place SINGLE = {&txtName, nullptr, nullptr, -1, SPLIT_FULL_WINDOW, nullptr};
const Place SINGLE_ICON = {&txtName, nullptr, nullptr, -1, SPLIT_FULL_WINDOW, &iconItem};

// The parameter records the calls should send, on a zeroed record.
using Fill = std::function<void(CONTROL_PARAMETERS&)>;

const Fill ACTION = [](CONTROL_PARAMETERS& p) {
    p.action.pt2Function = vAction;
    p.action.confirm = TRUE;
};
Fill actionList(const BOOLEAN* pbConfirm)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.actionList.pActionListChoices = aChoices;
        p.actionList.numberChoices = 3;
        p.actionList.pt2Function = aActions;
        p.actionList.FourCharId = KEY;
        p.actionList.bConfirm = pbConfirm;
    };
}
const Fill TEXT_SELECTOR = [](CONTROL_PARAMETERS& p) {
    p.selectionBox.FourCharId = KEY;
    p.selectionBox.pSelectionList = aChoices;
    p.selectionBox.pSelectionValueArray = aValues;
    p.selectionBox.numberSelections = 3;
};
const Fill ICON_SELECTOR = [](CONTROL_PARAMETERS& p) {
    p.selectionBox.FourCharId = KEY;
    p.selectionBox.pSelectionIcons = aIcons;
    p.selectionBox.pSelectionValueArray = aValues;
    p.selectionBox.numberSelections = 3;
};
const Fill NUM_ENTRY = [](CONTROL_PARAMETERS& p) {
    p.numericEntry.FourCharId = KEY;
    p.numericEntry.valueStrSuffix = &txtSuffix;
    p.numericEntry.pCtrlTextLeft = &txtLeft;
    p.numericEntry.pCtrlTextRight = &txtRight;
    p.numericEntry.pLimits = aLimits;
};
const Fill PROG_BAR = [](CONTROL_PARAMETERS& p) {
    p.progressBar.FourCharId = KEY;
    p.progressBar.valueStrSuffix = &txtSuffix;
    p.progressBar.pCtrlTextLeft = &txtLeft;
    p.progressBar.pCtrlTextRight = &txtRight;
    p.progressBar.pLimits = aLimits;
};
Fill slider(const MENU_STEP_LEVELS* pLevels)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.slider.FourCharId = KEY;
        p.slider.valueStrSuffix = &txtSuffix;
        p.slider.pCtrlTextLeft = &txtLeft;
        p.slider.pCtrlTextRight = &txtRight;
        p.slider.pLimits = aLimits;
        p.slider.pLevels = pLevels;
    };
}
Fill subMenu(MENU_ACTION_FUNC* pfnAction)
{
    return [=](CONTROL_PARAMETERS& p) {
        p.subMenu.pSubMenuChoices = aChoices;
        p.subMenu.pSubMenuNames = aSubNames;
        p.subMenu.pSubMenuIcons = aIcons;
        p.subMenu.numberChoices = 3;
        p.subMenu.pt2Function = pfnAction;
    };
}
const Fill CHECK = [](CONTROL_PARAMETERS& p) {
    p.checkList.context = 77;
    p.checkList.getCheck = bGetCheck;
    p.checkList.setCheck = bSetCheck;
};

struct ItemCase {
    const char* pcCall;
    std::function<BOOLEAN()> send;
    CMD_ID cmd;
    Place place;
    MENU_PRIORITY prio;
    MENU_USER_LEVEL level;
    MENU_CONTROL control;
    Fill fill;
    int nDisplayMenu = -1; // single-centred only
    int nLoopSelection = -1;
};

std::vector<ItemCase> itemCases()
{
    constexpr CMD_ID ITEM = CMD_ID_REGISTER_MENU_ITEM;
    constexpr CMD_ID FLOAT_ITEM = CMD_ID_REGISTER_FLOATING_MENU_ITEM;
    constexpr CMD_ID SINGLE_ITEM = CMD_ID_REGISTER_SINGLE_CENTERED_MENU_ITEM;
    return {
        // Hot menus: the caller's view, pane and icon.
        {"HotAction", [&] { return U_MENU_bRegisterHotActionMenu(N, &iconItem, PRIO, vAction, TRUE, LEVEL, VIEW, SPLIT); },
         ITEM, HOT, PRIO, LEVEL, M_ACTION, ACTION},
        {"HotActionList",
         [&] {
             return U_MENU_bRegisterHotActionListMenu(N, &iconItem, PRIO, aChoices, aActions, 3, LEVEL, VIEW, SPLIT,
                                                      KEY, aConfirm);
         },
         ITEM, HOT, PRIO, LEVEL, M_ACTION_LIST, actionList(aConfirm)},
        {"HotActionListShrunken",
         [&] {
             return U_MENU_bRegisterHotActionListShrunkenMenu(N, &iconItem, PRIO, aChoices, aActions, 3, LEVEL, VIEW,
                                                              SPLIT, KEY, aConfirm);
         },
         ITEM, HOT, PRIO, LEVEL, M_ACTION_LIST_SHRUNKEN, actionList(aConfirm)},
        {"HotIconSelector",
         [&] {
             return U_MENU_bRegisterHotIconSelectorMenu(N, &iconItem, PRIO, KEY, 3, aIcons, aValues, LEVEL, VIEW,
                                                        SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_SELECTION_BOX, ICON_SELECTOR},
        {"HotNumEntry",
         [&] {
             return U_MENU_bRegisterHotNumEntryMenu(N, &iconItem, PRIO, KEY, aLimits, &txtLeft, &txtRight, &txtSuffix,
                                                    LEVEL, VIEW, SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_NUMERIC_ENTRY, NUM_ENTRY},
        {"HotProgBar",
         [&] {
             return U_MENU_bRegisterHotProgBarMenu(N, &iconItem, PRIO, KEY, aLimits, &txtLeft, &txtRight, &txtSuffix,
                                                   LEVEL, VIEW, SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_PROGRESS_BAR, PROG_BAR},
        {"HotSelector",
         [&] {
             return U_MENU_bRegisterHotSelectorMenu(N, &iconItem, PRIO, KEY, 3, aChoices, aValues, LEVEL, VIEW, SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_SELECTION_BOX, TEXT_SELECTOR},
        {"HotSlider",
         [&] {
             return U_MENU_bRegisterHotSliderMenu(N, &iconItem, PRIO, KEY, aLimits, &txtLeft, &txtRight, &txtSuffix,
                                                  LEVEL, VIEW, SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_SLIDER, slider(nullptr)},
        {"HotVarStepSlider",
         [&] {
             return U_MENU_bRegisterHotVarStepSliderMenu(N, &iconItem, PRIO, KEY, aLimits, aLevels, &txtLeft,
                                                         &txtRight, &txtSuffix, LEVEL, VIEW, SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_SLIDER_VARIABLE_STEP, slider(aLevels)},
        {"HotImmediateSlider",
         [&] {
             return U_MENU_bRegisterHotImmediateSliderMenu(N, &iconItem, PRIO, KEY, aLimits, &txtLeft, &txtRight,
                                                           &txtSuffix, LEVEL, VIEW, SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_SLIDER_IMMEDIATE, slider(nullptr)},
        {"HotSubMenuWithNoArrow",
         [&] {
             return U_MENU_bRegisterHotSubMenuWithNoArrow(N, &iconItem, PRIO, aChoices, aSubNames, aIcons, 3, LEVEL,
                                                          VIEW, SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_SUB_MENU_HOT, subMenu(nullptr)},
        {"HotSubMenu",
         [&] {
             return U_MENU_bRegisterHotSubMenu(N, &iconItem, PRIO, aChoices, aSubNames, aIcons, 3, LEVEL, VIEW, SPLIT);
         },
         ITEM, HOT, PRIO, LEVEL, M_SUB_MENU, subMenu(nullptr)},

        // Quick setup: every view, the quick pane, no icon.
        {"QuickSlider",
         [&] {
             return U_MENU_bRegisterQuickSliderMenu(N, PRIO, KEY, aLimits, &txtLeft, &txtRight, &txtSuffix, LEVEL);
         },
         ITEM, QUICK, PRIO, LEVEL, M_SLIDER, slider(nullptr)},
        {"QuickSelector", [&] { return U_MENU_bRegisterQuickSelectorMenu(N, PRIO, KEY, 3, aChoices, aValues, LEVEL); },
         ITEM, QUICK, PRIO, LEVEL, M_SELECTION_BOX, TEXT_SELECTOR},
        {"QuickVarStepSlider",
         [&] {
             return U_MENU_bRegisterQuickVarStepSliderMenu(N, PRIO, KEY, aLimits, aLevels, &txtLeft, &txtRight,
                                                           &txtSuffix, LEVEL);
         },
         ITEM, QUICK, PRIO, LEVEL, M_SLIDER_VARIABLE_STEP, slider(aLevels)},

        // Info menus.
        {"InfoActionList",
         [&] {
             return U_MENU_bRegisterInfoActionListMenu(N, &txtInfo, PRIO, aChoices, aActions, 3, LEVEL, KEY,
                                                       aConfirm);
         },
         ITEM, INFO, PRIO, LEVEL, M_ACTION_LIST, actionList(aConfirm)},
        {"InfoAction", [&] { return U_MENU_bRegisterInfoActionMenu(N, &txtInfo, PRIO, vAction, TRUE, LEVEL); }, ITEM,
         INFO, PRIO, LEVEL, M_ACTION, ACTION},

        // Main-menu tabs.
        {"MainAction", [&] { return U_MENU_bRegisterMainActionMenu(N, &txtTab, PRIO, vAction, TRUE, LEVEL); }, ITEM,
         MAIN, PRIO, LEVEL, M_ACTION, ACTION},
        {"MainActionList",
         [&] {
             return U_MENU_bRegisterMainActionListMenu(N, &txtTab, PRIO, aChoices, aActions, 3, LEVEL, KEY, aConfirm);
         },
         ITEM, MAIN, PRIO, LEVEL, M_ACTION_LIST, actionList(aConfirm)},
        {"MainIconSelector",
         [&] { return U_MENU_bRegisterMainIconSelectorMenu(N, &txtTab, PRIO, KEY, 3, aIcons, aValues, LEVEL); },
         ITEM, MAIN, PRIO, LEVEL, M_SELECTION_BOX, ICON_SELECTOR},
        {"MainNumEntry",
         [&] {
             return U_MENU_bRegisterMainNumEntryMenu(N, &txtTab, PRIO, KEY, aLimits, &txtLeft, &txtRight, &txtSuffix,
                                                     LEVEL);
         },
         ITEM, MAIN, PRIO, LEVEL, M_NUMERIC_ENTRY, NUM_ENTRY},
        {"MainProgBar",
         [&] {
             return U_MENU_bRegisterMainProgBarMenu(N, &txtTab, PRIO, KEY, aLimits, &txtLeft, &txtRight, &txtSuffix,
                                                    LEVEL);
         },
         ITEM, MAIN, PRIO, LEVEL, M_PROGRESS_BAR, PROG_BAR},
        {"MainSelector",
         [&] { return U_MENU_bRegisterMainSelectorMenu(N, &txtTab, PRIO, KEY, 3, aChoices, aValues, LEVEL); }, ITEM,
         MAIN, PRIO, LEVEL, M_SELECTION_BOX, TEXT_SELECTOR},
        {"MainSlider",
         [&] {
             return U_MENU_bRegisterMainSliderMenu(N, &txtTab, PRIO, KEY, aLimits, &txtLeft, &txtRight, &txtSuffix,
                                                   LEVEL);
         },
         ITEM, MAIN, PRIO, LEVEL, M_SLIDER, slider(nullptr)},
        {"MainVarStepSlider",
         [&] {
             return U_MENU_bRegisterMainVarStepSliderMenu(N, &txtTab, PRIO, KEY, aLimits, aLevels, &txtLeft,
                                                          &txtRight, &txtSuffix, LEVEL);
         },
         ITEM, MAIN, PRIO, LEVEL, M_SLIDER_VARIABLE_STEP, slider(aLevels)},
        {"MainSubMenuWithIcon",
         [&] {
             return U_MENU_bRegisterMainSubMenuWithIcon(N, &txtTab, &iconItem, PRIO, aChoices, aSubNames, aIcons, 3,
                                                        LEVEL);
         },
         ITEM, MAIN_ICON, PRIO, LEVEL, M_SUB_MENU, subMenu(nullptr)},
        {"MainSubMenu",
         [&] { return U_MENU_bRegisterMainSubMenu(N, &txtTab, PRIO, aChoices, aSubNames, aIcons, 3, LEVEL); }, ITEM,
         MAIN, PRIO, LEVEL, M_SUB_MENU, subMenu(nullptr)},
        {"MainSubMenuWithAction",
         [&] {
             return U_MENU_bRegisterMainSubMenuWithAction(N, &txtTab, PRIO, aChoices, aSubNames, aIcons, 3, LEVEL,
                                                          vAction);
         },
         ITEM, MAIN, PRIO, LEVEL, M_SUB_MENU, subMenu(vAction)},

        // Named sub menus: the caller's icon.
        {"SubMenuAction",
         [&] { return U_MENU_bRegisterSubMenuActionMenu(N, &txtSub, &iconItem, PRIO, vAction, TRUE, LEVEL); }, ITEM,
         SUB, PRIO, LEVEL, M_ACTION, ACTION},
        {"HotSubMenuAction",
         [&] { return U_MENU_bRegisterHotSubMenuActionMenu(N, &txtSub, &iconItem, PRIO, vAction, TRUE, LEVEL); },
         ITEM, SUB, PRIO, LEVEL, M_ACTION_HOT, ACTION},
        {"SubMenuActionList",
         [&] {
             return U_MENU_bRegisterSubMenuActionListMenu(N, &txtSub, &iconItem, PRIO, aChoices, aActions, 3, LEVEL,
                                                          KEY);
         },
         ITEM, SUB, PRIO, LEVEL, M_ACTION_LIST, actionList(nullptr)},
        {"SubMenuIconSelector",
         [&] {
             return U_MENU_bRegisterSubMenuIconSelectorMenu(N, &txtSub, &iconItem, PRIO, KEY, 3, aIcons, aValues,
                                                            LEVEL);
         },
         ITEM, SUB, PRIO, LEVEL, M_SELECTION_BOX, ICON_SELECTOR},
        {"SubMenuNumEntry",
         [&] {
             return U_MENU_bRegisterSubMenuNumEntryMenu(N, &txtSub, &iconItem, PRIO, KEY, aLimits, &txtLeft,
                                                        &txtRight, &txtSuffix, LEVEL);
         },
         ITEM, SUB, PRIO, LEVEL, M_NUMERIC_ENTRY, NUM_ENTRY},
        {"SubMenuProgBar",
         [&] {
             return U_MENU_bRegisterSubMenuProgBarMenu(N, &txtSub, &iconItem, PRIO, KEY, aLimits, &txtLeft, &txtRight,
                                                       &txtSuffix, LEVEL);
         },
         ITEM, SUB, PRIO, LEVEL, M_PROGRESS_BAR, PROG_BAR},
        {"SubMenuSelector",
         [&] {
             return U_MENU_bRegisterSubMenuSelectorMenu(N, &txtSub, &iconItem, PRIO, KEY, 3, aChoices, aValues,
                                                        LEVEL);
         },
         ITEM, SUB, PRIO, LEVEL, M_SELECTION_BOX, TEXT_SELECTOR},
        {"SubMenuSlider",
         [&] {
             return U_MENU_bRegisterSubMenuSliderMenu(N, &txtSub, &iconItem, PRIO, KEY, aLimits, &txtLeft, &txtRight,
                                                      &txtSuffix, LEVEL);
         },
         ITEM, SUB, PRIO, LEVEL, M_SLIDER, slider(nullptr)},
        {"SubMenuCheckList",
         [&] {
             return U_MENU_bRegisterSubMenuCheckListMenu(N, &txtSub, &iconItem, PRIO, 77, bGetCheck, bSetCheck,
                                                         LEVEL);
         },
         ITEM, SUB, PRIO, LEVEL, M_CHECK_LIST, CHECK},
        {"SubMenuCheckBox",
         [&] {
             return U_MENU_bRegisterSubMenuCheckBoxMenu(N, &txtSub, &iconItem, PRIO, 77, bGetCheck, bSetCheck, LEVEL);
         },
         ITEM, SUB, PRIO, LEVEL, M_CHECK_BOX, CHECK},
        {"SubMenuSubMenu",
         [&] {
             return U_MENU_bRegisterSubMenuSubMenu(N, &txtSub, &iconItem, PRIO, aChoices, aSubNames, aIcons, 3,
                                                   LEVEL);
         },
         ITEM, SUB, PRIO, LEVEL, M_SUB_MENU, subMenu(nullptr)},

        // Floating menus: the menu's name where a tab would be.
        {"FloatingActionExt",
         [&] {
             return U_MENU_bRegisterFloatingMenuActionExtItem(&txtFloating, N, &iconItem, TRUE, FALSE, PRIO, vAction,
                                                              TRUE, LEVEL);
         },
         FLOAT_ITEM, FLOATING, PRIO, LEVEL, M_ACTION_EXT,
         [](CONTROL_PARAMETERS& p) {
             p.actionExt.pt2Function = vAction;
             p.actionExt.confirm = TRUE;
             p.actionExt.bDispIconAlways = TRUE;
             p.actionExt.bDispIconOnly = FALSE;
         }},
        {"FloatingSlider",
         [&] {
             return U_MENU_bRegisterFloatingMenuSliderItem(&txtFloating, N, &iconItem, PRIO, KEY, aLimits, &txtLeft,
                                                           &txtRight, &txtSuffix, LEVEL);
         },
         FLOAT_ITEM, FLOATING, PRIO, LEVEL, M_SLIDER, slider(nullptr)},
        {"FloatingAngleAdjust",
         [&] {
             return U_MENU_bRegisterFloatingMenuAngleAdjustItem(&txtFloating, N, &iconItem, vInfo, PRIO, KEY, -90, 270,
                                                                -5, TRUE, &txtCheck, &iconCheck, LEVEL);
         },
         FLOAT_ITEM, FLOATING, PRIO, LEVEL, M_ANGLE_ADJUST,
         [](CONTROL_PARAMETERS& p) {
             p.angleAdjust.FourCharId = KEY;
             p.angleAdjust.minValue.s32Val = -90;
             p.angleAdjust.maxValue.s32Val = 270;
             p.angleAdjust.stepValue.s32Val = -5;
             p.angleAdjust.bWrapOver = TRUE;
             p.angleAdjust.pChkItemName = &txtCheck;
             p.angleAdjust.pChkIcon = &iconCheck;
             p.angleAdjust.fnCbOnInfo = vInfo;
         }},

        // Single-centred: its own container, priority 6, basic level.
        {"SingleCenteredSelector",
         [&] {
             return U_MENU_bRegisterSingleCenteredMenuSelectorMenu(N, KEY, 3, aChoices, aValues, TRUE, FALSE);
         },
         SINGLE_ITEM, SINGLE, MENU_PRIORITY_0, M_BASIC, M_SELECTION_BOX, TEXT_SELECTOR, TRUE, FALSE},
        {"SingleCenteredVarStepSlider",
         [&] {
             return U_MENU_bRegisterSingleCenteredMenuVarStepSliderMenu(N, &iconItem, KEY, aLimits, aLevels, &txtLeft,
                                                                        &txtRight, &txtSuffix, FALSE, TRUE);
         },
         SINGLE_ITEM, SINGLE_ICON, MENU_PRIORITY_0, M_BASIC, M_SLIDER_VARIABLE_STEP, slider(aLevels), FALSE, TRUE},
        {"SingleCenteredSlider",
         [&] {
             return U_MENU_bRegisterSingleCenteredMenuSliderMenu(N, KEY, aLimits, &txtLeft, &txtRight, &txtSuffix,
                                                                 TRUE, TRUE);
         },
         SINGLE_ITEM, SINGLE, MENU_PRIORITY_0, M_BASIC, M_SLIDER, slider(nullptr), TRUE, TRUE},
    };
}

// ---- Containers, menu-wide commands and removals ----

struct OtherCase {
    const char* pcCall;
    std::function<BOOLEAN()> send; // TRUE for the calls that return nothing
    bool bHasResult;
    CMD_ID cmd;
    std::function<void(const Mail&)> check;
};

// The calls that return nothing, made to look like the others.
template <typename CALL>
std::function<BOOLEAN()> quiet(CALL call)
{
    return [=] {
        call();
        return (BOOLEAN)TRUE;
    };
}

const TEXT_TABLE* const aShown[2] = {&txtChoiceA, &txtChoiceC};

std::vector<OtherCase> otherCases()
{
    return {
        {"RegisterTab", [] { return U_MENU_bRegisterTab(&txtTab, SETUP_TAB_PRIORITY, &iconItem, LEVEL); }, true,
         CMD_ID_REGISTER_MENU_TAB,
         [](const Mail& m) {
             const auto& t = m.as<MSG_ADD_MENU_TAB>();
             EXPECT_EQ(t.pTabName, &txtTab);
             EXPECT_EQ(t.priority, SETUP_TAB_PRIORITY);
             EXPECT_EQ(t.pTabIcon, &iconItem);
             EXPECT_EQ(t.menuUserLevel, LEVEL);
         }},
        {"RegisterSubMenu", [] { return U_MENU_bRegisterSubMenu(&txtSub, PRIO, &iconItem, LEVEL); }, true,
         CMD_ID_REGISTER_SUB_MENU,
         [](const Mail& m) {
             const auto& s = m.as<MSG_ADD_SUB_MENU>();
             EXPECT_EQ(s.pSubMenuName, &txtSub);
             EXPECT_EQ(s.priority, PRIO);
             EXPECT_EQ(s.pMenuIcon, &iconItem);
             EXPECT_EQ(s.menuUserLevel, LEVEL);
         }},
        {"RegisterExpressMenu", [] { return U_MENU_bRegisterExpressMenu(VIEW, SPLIT); }, true,
         CMD_ID_REGISTER_HOT_MENU,
         [](const Mail& m) {
             EXPECT_EQ(m.as<MSG_ADD_HOT_MENU>().view, VIEW);
             EXPECT_EQ(m.as<MSG_ADD_HOT_MENU>().type, SPLIT);
         }},
        {"RegisterInfoMenu", [] { return U_MENU_bRegisterInfoMenu(&txtInfo); }, true, CMD_ID_REGISTER_INFO_MENU,
         [](const Mail& m) { EXPECT_EQ(m.as<MSG_ADD_INFO_MENU>().pInfoMenuName, &txtInfo); }},
        {"RegisterFloatingMenu",
         [] { return U_MENU_bRegisterFloatingMenu(&txtFloating, vAction, vOtherAction, TRUE, "Alt"); }, true,
         CMD_ID_REGISTER_FLOATING_MENU,
         [](const Mail& m) {
             const auto& f = m.as<MSG_ADD_FLOATING_MENU>();
             EXPECT_EQ(f.pFloatingMenuName, &txtFloating);
             EXPECT_EQ(f.GoToKeyHandler, vAction);
             EXPECT_EQ(f.ExitKeyHandler, vOtherAction);
             EXPECT_TRUE(f.bDisplayAltName);
             EXPECT_STREQ(f.aStrAltName, "Alt");
         }},
        {"UnregisterFloatingMenu", [] { return U_MENU_bUnregisterFloatingMenu(&txtFloating); }, true,
         CMD_ID_UNREGISTER_FLOATING_MENU,
         [](const Mail& m) { EXPECT_EQ(m.as<MSG_REMOVE_FLOATING_MENU>().pFloatingMenuName, &txtFloating); }},
        {"ActivateFloatingMenu", quiet([] { U_MENU_ActivateFloatingMenu(&txtFloating); }), false,
         CMD_ID_ACTIVATE_FLOATING_MENU,
         [](const Mail& m) { EXPECT_EQ(m.as<MSG_ACTIVATE_FLOATING_MENU>().pFloatingMenuName, &txtFloating); }},
        {"UnregisterSingleCenteredMenu", [] { return U_MENU_bUnregisterSingleCenteredMenu(&txtName); }, true,
         CMD_ID_UNREGISTER_SINGLE_CENTERED_MENU,
         [](const Mail& m) { EXPECT_EQ(m.as<MSG_REMOVE_SINGLE_CENTERED_MENU>().pSingleCenteredMenuName, &txtName); }},
        {"ActivateSingleCenteredMenu",
         quiet([] { U_MENU_vActivateSingleCenteredMenu(&txtName, VIEW, TRUE, FALSE, &txtSub); }), false,
         CMD_ID_ACTIVATE_SINGLE_CENTERED_MENU,
         [](const Mail& m) {
             const auto& a = m.as<MSG_ACTIVATE_SINGLE_CENTERED_MENU>();
             EXPECT_EQ(a.pSingleCenteredMenuName, &txtName);
             EXPECT_EQ(a.eCurrentView, VIEW);
             EXPECT_TRUE(a.bDisplayMenu);
             EXPECT_FALSE(a.bLoopSelection);
             EXPECT_EQ(a.pMenuLocation, &txtSub);
         }},
        {"UnregisterTab", [] { return U_MENU_bUnregisterTab(&txtTab); }, true, CMD_ID_UNREGISTER_MENU_TAB,
         [](const Mail& m) { EXPECT_EQ(m.as<MSG_REMOVE_TAB>().pTabName, &txtTab); }},
        {"ActivateInfoMenu", quiet([] { U_MENU_ActivateInfoMenu(&txtInfo, aShown, 2); }), false,
         CMD_ID_ACTIVATE_INFO_MENU,
         [](const Mail& m) {
             const auto& a = m.as<MSG_ACTIVATE_INFO_MENU>();
             EXPECT_EQ(a.pInfoMenuName, &txtInfo);
             EXPECT_EQ(a.pActiveMenus, aShown);
             EXPECT_EQ(a.u8numActiveMenus, 2);
         }},
        {"ClearMenus", quiet(U_MENU_vClearMenus), false, CMD_ID_CLEAR_MENU, [](const Mail&) {}},
        {"HideMenus", quiet(U_MENU_vHideMenus), false, CMD_ID_HIDE_MENU, [](const Mail&) {}},
        {"RestoreMenus", quiet(U_MENU_vRestoreMenus), false, CMD_ID_RESTORE_MENU, [](const Mail&) {}},
    };
}

struct RemoveCase {
    const char* pcCall;
    std::function<BOOLEAN()> send;
    const TEXT_TABLE* pTabName;
    const TEXT_TABLE* pSubMenuName;
    LAYER_ID view;
    SPLIT_WINDOW_TYPE splitType;
};

std::vector<RemoveCase> removeCases()
{
    return {
        {"Hot", [] { return U_MENU_bUnregisterHotMenuItem(&txtName, VIEW, SPLIT); }, nullptr, nullptr, VIEW, SPLIT},
        // A quick item goes to view -1 and the quick pane; its removal names
        // the full window.
        {"Quick", [] { return U_MENU_bUnregisterQuickMenuItem(&txtName); }, nullptr, nullptr, -1, SPLIT_FULL_WINDOW},
        {"Main", [] { return U_MENU_bUnregisterMainMenuItem(&txtName, &txtTab); }, &txtTab, nullptr, -1,
         (SPLIT_WINDOW_TYPE)0},
        // The sub menu comes first in this call only.
        {"Sub", [] { return U_MENU_bUnregisterSubMenuItem(&txtSub, &txtName); }, nullptr, &txtSub, -1,
         (SPLIT_WINDOW_TYPE)0},
    };
}

class MenuClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        initStoreOnce();
        publishMenuTask();
        drain();
    }
    void TearDown() override
    {
        drain();
        L_CLOCK_vResetTestClock();
    }

    // The one mail a call sent, checked for what every menu mail shares.
    static Mail only(const char* pcCall)
    {
        std::vector<Mail> mails = drain();
        EXPECT_EQ(mails.size(), 1u) << pcCall;
        if (mails.empty())
            return Mail{CMD_ID_INVALID_ID, 0, 0, std::vector<U8>(sizeof(MSG_ADD_SINGLE_CENTERED_MENU_ITEM))};
        EXPECT_EQ(mails[0].priority, 3) << pcCall;
        EXPECT_EQ(mails[0].sema, 0) << pcCall << ": nobody waits for a menu mail";
        return mails[0];
    }
};

TEST_F(MenuClient, ItemRegistrationsCarryTheirAddressingDescriptorAndParameterRecord)
{
    for (const ItemCase& c : itemCases()) {
        SCOPED_TRACE(c.pcCall);
        EXPECT_TRUE(c.send());
        const Mail m = only(c.pcCall);
        ASSERT_EQ(m.cmd, c.cmd);
        const MSG_ADD_MENU_ITEM& item = c.cmd == CMD_ID_REGISTER_SINGLE_CENTERED_MENU_ITEM
                                            ? m.as<MSG_ADD_SINGLE_CENTERED_MENU_ITEM>().item
                                            : m.as<MSG_ADD_MENU_ITEM>();
        EXPECT_EQ(item.pTabName, c.place.pTabName);
        EXPECT_EQ(item.pSubMenuName, c.place.pSubMenuName);
        EXPECT_EQ(item.pInfoMenuName, c.place.pInfoMenuName);
        EXPECT_EQ(item.view, c.place.view);
        EXPECT_EQ(item.splitType, c.place.splitType);
        EXPECT_EQ(item.pMenuIcon, c.place.pMenuIcon);
        EXPECT_EQ(item.descriptor.pMenuName, &txtName);
        EXPECT_EQ(item.descriptor.menuPriority, c.prio);
        EXPECT_EQ(item.descriptor.menuUserLevel, c.level);
        EXPECT_EQ(item.descriptor.control, c.control);
        // Every byte of the record: a field filled that the control does
        // not carry shows here as much as one left out.
        CONTROL_PARAMETERS expected;
        memset(static_cast<void*>(&expected), 0, sizeof expected);
        c.fill(expected);
        EXPECT_EQ(memcmp(&item.descriptor.parameters, &expected, sizeof expected), 0);
        if (c.cmd == CMD_ID_REGISTER_SINGLE_CENTERED_MENU_ITEM) {
            EXPECT_EQ(m.as<MSG_ADD_SINGLE_CENTERED_MENU_ITEM>().bDisplayMenu, c.nDisplayMenu);
            EXPECT_EQ(m.as<MSG_ADD_SINGLE_CENTERED_MENU_ITEM>().bLoopSelection, c.nLoopSelection);
        }
    }
}

TEST_F(MenuClient, ContainerAndMenuWideCallsSendTheirOwnMails)
{
    for (const OtherCase& c : otherCases()) {
        SCOPED_TRACE(c.pcCall);
        EXPECT_TRUE(c.send());
        const Mail m = only(c.pcCall);
        ASSERT_EQ(m.cmd, c.cmd);
        c.check(m);
    }
}

TEST_F(MenuClient, RemovalsAddressTheItemByItsContainer)
{
    for (const RemoveCase& c : removeCases()) {
        SCOPED_TRACE(c.pcCall);
        EXPECT_TRUE(c.send());
        const Mail m = only(c.pcCall);
        ASSERT_EQ(m.cmd, CMD_ID_UNREGISTER_MENU_ITEM);
        const auto& r = m.as<MSG_REMOVE_MENU>();
        EXPECT_EQ(r.pMenuName, &txtName);
        EXPECT_EQ(r.pTabName, c.pTabName);
        EXPECT_EQ(r.pSubMenuName, c.pSubMenuName);
        EXPECT_EQ(r.pInfoMenuName, nullptr);
        EXPECT_EQ(r.view, c.view);
        EXPECT_EQ(r.splitType, c.splitType);
    }
}

TEST_F(MenuClient, FloatingAlternativeNameArrivesCutTo19CharactersAndOnlyWhenGiven)
{
    struct Case {
        const char* pcAltName;
        BOOLEAN bDisplay;
        BOOLEAN bDisplaySent;
        const char* pcArrives;
    };
    const Case cases[] = {
        {"ABCDEFGHIJKLMNOPQRSTUVWXY", TRUE, TRUE, "ABCDEFGHIJKLMNOPQRS"},
        {"ABCDEFGHIJKLMNOPQRST", TRUE, TRUE, "ABCDEFGHIJKLMNOPQRS"},
        {"ABCDEFGHIJKLMNOPQRS", TRUE, TRUE, "ABCDEFGHIJKLMNOPQRS"},
        {"", TRUE, TRUE, ""},
        // A name without the flag still travels; the menu task ignores it.
        {"Spare", FALSE, FALSE, "Spare"},
        // Without a name there is nothing to show, whatever was asked.
        {nullptr, TRUE, FALSE, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pcAltName != nullptr ? c.pcAltName : "(null)");
        EXPECT_TRUE(U_MENU_bRegisterFloatingMenu(&txtFloating, nullptr, nullptr, c.bDisplay, c.pcAltName));
        const Mail m = only("RegisterFloatingMenu");
        const auto& f = m.as<MSG_ADD_FLOATING_MENU>();
        EXPECT_EQ(f.bDisplayAltName, c.bDisplaySent);
        EXPECT_EQ(std::string(f.aStrAltName, strnlen(f.aStrAltName, MENU_ALT_NAME_SIZE)), c.pcArrives);
        EXPECT_EQ(f.aStrAltName[MENU_ALT_NAME_SIZE - 1], '\0');
    }
}

TEST_F(MenuClient, WithoutTheMenuTaskEveryCallReturnsFalseAndSendsNothing)
{
    std::vector<std::pair<std::string, std::pair<std::function<BOOLEAN()>, bool>>> calls;
    for (const ItemCase& c : itemCases())
        calls.push_back({c.pcCall, {c.send, true}});
    for (const OtherCase& c : otherCases())
        calls.push_back({c.pcCall, {c.send, c.bHasResult}});
    for (const RemoveCase& c : removeCases())
        calls.push_back({std::string("Unregister") + c.pcCall, {c.send, true}});

    struct World {
        const char* pcName;
        std::function<void()> make;
    };
    const World worlds[] = {
        {"never published", [] { withdrawMenuTask(); }},
        // Written with a time-out that has run out.
        {"no longer valid",
         [] {
             H_DATABASE_vDeleteEntry(FCID("TMNU"));
             H_DATABASE_bUpdateEverythingU32(FCID("TMNU"), MENU_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, 1);
             L_CLOCK_vAdvanceTestClock(1000);
         }},
        // A number that names no mailbox: the mail cannot be posted, so the
        // call must not report it sent.
        {"naming no mailbox", [] { publishMenuTask(nmboxes + 1); }},
    };
    for (const World& w : worlds) {
        SCOPED_TRACE(w.pcName);
        w.make();
        for (const auto& [name, call] : calls) {
            SCOPED_TRACE(name);
            const BOOLEAN bResult = call.first();
            if (call.second) {
                EXPECT_FALSE(bResult);
            }
            EXPECT_TRUE(drain().empty());
        }
    }
}

} // namespace
