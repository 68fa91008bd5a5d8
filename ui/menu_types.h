// The records a menu item carries for its control: which kind of control it
// is, the limits of a numeric item, and one parameter record per control
// kind, kept together in CONTROL_PARAMETERS. Registering tasks fill them,
// the menu task keeps them and the control drawing reads them.
//
// Texts are 22-language tables; choice, icon and value arrays, limit rows
// and callbacks belong to the registering task and stay valid as long as
// the item is registered.
#pragma once

#include "graphics/g_icon.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "util/u_convert.h"

typedef enum tag_MENU_CONTROL : int {
    M_SLIDER = 0,
    M_PROGRESS_BAR = 1,
    M_SELECTION_BOX = 2,
    M_SELECTION_BUTTONS = 3,
    M_NUMERIC_ENTRY = 4,
    M_ALPHA_NUMERIC_ENTRY = 5,
    M_ACTION = 6,
    M_SUB_MENU = 7,
    M_ACTION_LIST = 8,
    M_ACTION_LIST_SHRUNKEN = 9,
    M_CHECK_LIST = 10,
    M_CHECK_BOX = 11,
    M_ACTION_HOT = 12,
    M_SUB_MENU_HOT = 13,
    M_SLIDER_VARIABLE_STEP = 14,
    M_SLIDER_IMMEDIATE = 15,
    M_ACTION_EXT = 16,
    M_ANGLE_ADJUST = 17,
} MENU_CONTROL;

// The range of a numeric item in one display unit. A registration passes
// a table of these, one row per unit system.
typedef struct tag_MENU_LIMITS {
    UNIT_TYPE Units;
    float fMinimum;
    float fMaximum;
    float fIncrement;
} MENU_LIMITS;

// The values up to which a variable-step slider moves by 1 and by 5
// increments, in one display unit.
typedef struct tag_MENU_STEP_LEVELS {
    UNIT_TYPE Units;
    float fStep1;
    float fStep2;
} MENU_STEP_LEVELS;

// Callbacks: an action takes nothing; a check item reads and toggles its
// state through a getter and a setter given the item's context word.
typedef void MENU_ACTION_FUNC(void);
typedef BOOLEAN GET_CHECK_FUNC(U32 context);
typedef BOOLEAN SET_CHECK_FUNC(U32 context);

// M_SLIDER, M_SLIDER_VARIABLE_STEP, M_SLIDER_IMMEDIATE.
typedef struct tag_M_SLIDER_PARAMETERS {
    FOURCHARID FourCharId;
    DB_DATA_TYPE minValue;
    DB_DATA_TYPE maxValue;
    DB_DATA_TYPE stepValue;
    DB_DATA_TYPE accelStep1;
    DB_DATA_TYPE accelStep2;
    const TEXT_TABLE* valueStrSuffix;
    const TEXT_TABLE* pCtrlTextLeft;
    const TEXT_TABLE* pCtrlTextRight;
    char maxString[12];
    char minString[12];
    const MENU_LIMITS* pLimits;
    const MENU_STEP_LEVELS* pLevels;
    U8 u8precision;
} M_SLIDER_PARAMETERS;

// M_PROGRESS_BAR.
typedef struct tag_M_PROGRESS_BAR_PARAMETERS {
    FOURCHARID FourCharId;
    DB_DATA_TYPE minValue;
    DB_DATA_TYPE maxValue;
    DB_DATA_TYPE stepValue;
    const TEXT_TABLE* valueStrSuffix;
    const TEXT_TABLE* pCtrlTextLeft;
    const TEXT_TABLE* pCtrlTextRight;
    char maxString[12];
    char minString[12];
    const MENU_LIMITS* pLimits;
    U8 u8precision;
} M_PROGRESS_BAR_PARAMETERS;

// M_NUMERIC_ENTRY. The maximum comes before the minimum here.
typedef struct tag_M_NUMERIC_ENTRY_PARAMETERS {
    FOURCHARID FourCharId;
    DB_DATA_TYPE maxValue;
    DB_DATA_TYPE minValue;
    DB_DATA_TYPE stepValue;
    const TEXT_TABLE* valueStrSuffix;
    const TEXT_TABLE* pCtrlTextLeft;
    const TEXT_TABLE* pCtrlTextRight;
    char maxString[12];
    char minString[12];
    const MENU_LIMITS* pLimits;
    U8 u8precision;
} M_NUMERIC_ENTRY_PARAMETERS;

// M_SELECTION_BOX: a text list or an icon list, one entry per choice.
typedef struct tag_M_SELECTION_BOX_PARAMETERS {
    FOURCHARID FourCharId;
    const TEXT_TABLE* const* pSelectionList;
    const ICON* const* pSelectionIcons;
    const U32* pSelectionValueArray; // the value stored for each choice
    U8 CurSelection;
    U32 numberSelections;
} M_SELECTION_BOX_PARAMETERS;

// M_SELECTION_BUTTONS.
typedef struct tag_M_SELECTION_BUTTONS_PARAMETERS {
    FOURCHARID FourCharId;
    const TEXT_TABLE* const* pButtonText;
    U32 numberButtons;
} M_SELECTION_BUTTONS_PARAMETERS;

// M_ALPHA_NUMERIC_ENTRY.
typedef struct tag_M_ALPHA_NUMERIC_ENTRY_PARAMETERS {
    U32 maxStringLength;
} M_ALPHA_NUMERIC_ENTRY_PARAMETERS;

// M_SUB_MENU, M_SUB_MENU_HOT.
typedef struct tag_M_SUB_MENU_PARAMETERS {
    const TEXT_TABLE* const* pSubMenuChoices;
    const TEXT_TABLE* const* pSubMenuNames; // the sub menu each choice opens
    const ICON* const* pSubMenuIcons;       // or null
    U32 numberChoices;
    MENU_ACTION_FUNC* pt2Function;          // run when a choice is taken, or null
    BOOLEAN bIsActive;                      // the choice list is open
    S32 lastUsedMenuItem;
    S32 subMenuID;                          // the menu task's slot of the first sub menu
} M_SUB_MENU_PARAMETERS;

// M_ACTION_LIST, M_ACTION_LIST_SHRUNKEN.
typedef struct tag_M_ACTION_LIST_PARAMETERS {
    const TEXT_TABLE* const* pActionListChoices;
    U32 numberChoices;
    MENU_ACTION_FUNC* const* pt2Function; // one per choice
    BOOLEAN bIsActive;                    // the list is open
    S32 lastUsedMenuItem;
    FOURCHARID FourCharId;                // marks the current choice, or 0
    const BOOLEAN* bConfirm;              // one per choice: ask first; may be null
} M_ACTION_LIST_PARAMETERS;

// M_ACTION, M_ACTION_HOT.
typedef struct tag_M_ACTION_PARAMETERS {
    MENU_ACTION_FUNC* pt2Function;
    BOOLEAN confirm;
} M_ACTION_PARAMETERS;

// M_CHECK_LIST, M_CHECK_BOX.
typedef struct tag_M_CHECK_LIST_PARAMETERS {
    U32 context;
    GET_CHECK_FUNC* getCheck;
    SET_CHECK_FUNC* setCheck;
} M_CHECK_LIST_PARAMETERS;

// M_ACTION_EXT.
typedef struct tag_M_ACTION_EXT_PARAMETERS {
    MENU_ACTION_FUNC* pt2Function;
    BOOLEAN confirm;
    BOOLEAN bDispIconAlways;
    BOOLEAN bDispIconOnly;
} M_ACTION_EXT_PARAMETERS;

// M_ANGLE_ADJUST.
typedef struct tag_M_ANGLE_ADJUST_PARAMETERS {
    FOURCHARID FourCharId;
    DB_DATA_TYPE minValue;
    DB_DATA_TYPE maxValue;
    DB_DATA_TYPE stepValue;
    DB_DATA_TYPE accelStep1;
    DB_DATA_TYPE accelStep2;
    const MENU_LIMITS* pLimits;
    BOOLEAN bWrapOver;
    const TEXT_TABLE* pChkItemName;
    const ICON* pChkIcon;
    MENU_ACTION_FUNC* fnCbOnInfo;
} M_ANGLE_ADJUST_PARAMETERS;

typedef union tag_CONTROL_PARAMETERS {
    M_SLIDER_PARAMETERS slider;
    M_PROGRESS_BAR_PARAMETERS progressBar;
    M_NUMERIC_ENTRY_PARAMETERS numericEntry;
    M_SELECTION_BOX_PARAMETERS selectionBox;
    M_SELECTION_BUTTONS_PARAMETERS selectionButtons;
    M_ALPHA_NUMERIC_ENTRY_PARAMETERS alphaNumericEntry;
    M_SUB_MENU_PARAMETERS subMenu;
    M_ACTION_LIST_PARAMETERS actionList;
    M_ACTION_PARAMETERS action;
    M_CHECK_LIST_PARAMETERS checkList;
    M_ACTION_EXT_PARAMETERS actionExt;
    M_ANGLE_ADJUST_PARAMETERS angleAdjust;
} CONTROL_PARAMETERS;
