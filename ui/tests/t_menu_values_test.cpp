// Menu value editing: the step arithmetic, the display strings of each
// control kind, and what east and west do and write. Most cases call the
// editing directly on an item built here, as the key handling does with
// RES_MENU held and the task idle; the single-centred selection and the
// choice lists go through the task.
#include "ui/tests/menu_task_world.h"

#include <climits>
#include <cmath>
#include <string>

using namespace mt;
using namespace t_menu;

namespace {

using Lines = std::vector<std::string>;

constexpr LAYER_ID VIEW = 10;
constexpr MBOX WATCHER = 60; // counts the writes of a key

const TEXT_TABLE txtA = MT_TEXT("A");
const TEXT_TABLE txtOff = MT_TEXT("Off");
const TEXT_TABLE txtMax = MT_TEXT("Max");
const TEXT_TABLE txtPercent = MT_TEXT("%");
const TEXT_TABLE txtRed = MT_TEXT("Red");
const TEXT_TABLE txtGreen = MT_TEXT("Green");
const TEXT_TABLE txtBlue = MT_TEXT("Blue");
const TEXT_TABLE* const aColours[3] = {&txtRed, &txtGreen, &txtBlue};
const U32 aColourValues[3] = {10, 20, 30};
TEXT_TABLE s_subNames[3] = {};

DB_DATA_TYPE f(float v)
{
    DB_DATA_TYPE d = {};
    d.fVal = v;
    return d;
}
DB_DATA_TYPE u(U32 v)
{
    DB_DATA_TYPE d = {};
    d.u32Val = v;
    return d;
}
DB_DATA_TYPE s(S32 v)
{
    DB_DATA_TYPE d = {};
    d.s32Val = v;
    return d;
}

// An item bound to a key, as the registry keeps it; its strings are
// refreshed once, as opening its menu does.
MENU_ITEM item(MENU_CONTROL control, const char (&key)[5], const MENU_LIMITS* pLimits = nullptr)
{
    MENU_ITEM it = {};
    it.pMenuTitle = &txtA;
    it.control = control;
    switch (control) {
    case M_PROGRESS_BAR:
        it.parameters.progressBar.FourCharId = FCID(key);
        it.parameters.progressBar.pLimits = pLimits;
        break;
    case M_NUMERIC_ENTRY:
        it.parameters.numericEntry.FourCharId = FCID(key);
        it.parameters.numericEntry.pLimits = pLimits;
        break;
    case M_SELECTION_BOX:
        it.parameters.selectionBox.FourCharId = FCID(key);
        break;
    case M_ANGLE_ADJUST:
        it.parameters.angleAdjust.FourCharId = FCID(key);
        break;
    default:
        it.parameters.slider.FourCharId = FCID(key);
        it.parameters.slider.pLimits = pLimits;
        break;
    }
    return it;
}

int writesOf(const char (&key)[5])
{
    int n = (int)drain(WATCHER).size();
    H_DATABASE_vUnregisterMailbox(FCID(key), WATCHER);
    return n;
}

void watch(const char (&key)[5])
{
    drain(WATCHER);
    H_DATABASE_bRegisterForDataWithConditions(FCID(key), WATCHER, FALSE, FALSE, TRUE);
}

Response change(MENU_ITEM& it, bool bEast, U32 u32Steps = 1, U32 u32EventCount = 1)
{
    clearSignals();
    vChangeValue(&it, bEast, u32Steps, u32EventCount);
    return responseNow();
}

class MenuEditing : public MenuTask {};

constexpr Response CLICK = {true, false, false, false};
constexpr Response BAD_CLICK = {false, true, false, false};
constexpr Response QUIET = {};

// ---- Arithmetic ----

TEST(MenuValues, StepsLandOnMultiplesOfFloatStepsAndClampAtTheLimits)
{
    U_CONVERT_vInitialiseConversionUtility();
    struct Case {
        const char* name;
        DATA_FORMAT format;
        bool bUp;
        DB_DATA_TYPE value, limit, step;
        U32 count;
        DB_DATA_TYPE expected;
        BOOLEAN moved;
    };
    const Case cases[] = {
        {"3.3 up by 0.5 goes to the next multiple", DF_FLOAT, true, f(3.3f), f(100), f(0.5f), 1, f(4.0f), TRUE},
        {"3.3 down by 0.5", DF_FLOAT, false, f(3.3f), f(0), f(0.5f), 1, f(3.0f), TRUE},
        {"halves go to even: 45 up by 10", DF_FLOAT, true, f(45), f(100), f(10), 1, f(50), TRUE},
        {"three steps at once", DF_FLOAT, true, f(1), f(100), f(0.5f), 3, f(2.5f), TRUE},
        {"past the maximum stops at it", DF_FLOAT, true, f(99.8f), f(100), f(0.5f), 1, f(100), TRUE},
        {"at the maximum", DF_FLOAT, true, f(100), f(100), f(0.5f), 1, f(100), FALSE},
        {"above the maximum is pulled back", DF_FLOAT, true, f(120), f(100), f(0.5f), 1, f(100), FALSE},
        {"at the minimum", DF_FLOAT, false, f(0), f(0), f(0.5f), 1, f(0), FALSE},
        {"integers are not rounded to the step", DF_UNSIGNED32, true, u(3), u(100), u(5), 1, u(8), TRUE},
        {"unsigned below zero stops at the minimum", DF_UNSIGNED32, false, u(3), u(0), u(5), 1, u(0), TRUE},
        {"unsigned past the minimum", DF_UNSIGNED32, false, u(3), u(2), u(5), 1, u(2), TRUE},
        {"signed past the minimum", DF_SIGNED32, false, s(-3), s(-5), s(5), 1, s(-5), TRUE},
        {"signed at the maximum", DF_SIGNED32, true, s(10), s(10), s(1), 1, s(10), FALSE},
        {"a huge repeat count stops at the maximum", DF_SIGNED32, true, s(0), s(INT_MAX), s(1 << 30), 0xFFFFFFFF,
         s(INT_MAX), TRUE},
        {"a huge unsigned step stops at the maximum", DF_UNSIGNED32, true, u(0), u(UINT_MAX), u(0x80000000),
         0xFFFFFFFF, u(UINT_MAX), TRUE},
        {"a huge count down stops at the minimum", DF_SIGNED32, false, s(0), s(INT_MIN), s(1 << 30), 0xFFFFFFFF,
         s(INT_MIN), TRUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DB_DATA_TYPE value = {};
        DB_DATA_TYPE unitsValue = c.value;
        const DB_DATA_TYPE maxForDown = c.format == DF_FLOAT ? f(100) : u(100);
        const BOOLEAN moved =
            c.bUp ? T_MENU_bIncrementValue(D_UNKNOWN, &value, &unitsValue, c.format, U_NONE, c.limit, c.step, c.count)
                  : T_MENU_bDecrementValue(D_UNKNOWN, &value, &unitsValue, c.format, U_NONE, c.limit, maxForDown,
                                           c.step, c.count);
        EXPECT_EQ(moved, c.moved);
        EXPECT_EQ(unitsValue.RawData, c.expected.RawData)
            << unitsValue.fVal << " / " << unitsValue.s32Val << " for " << c.expected.fVal << " / "
            << c.expected.s32Val;
        EXPECT_EQ(value.RawData, c.expected.RawData) << "no conversion without a unit";
    }

    // The value moves in the display unit and is kept in internal units.
    DB_DATA_TYPE metres = {};
    DB_DATA_TYPE feet = f(10);
    ASSERT_TRUE(T_MENU_bIncrementValue(D_DEPTH, &metres, &feet, DF_FLOAT, U_FEET, f(100), f(1), 1));
    EXPECT_FLOAT_EQ(feet.fVal, 11.0f);
    EXPECT_NEAR(metres.fVal, 11 * 0.3048, 1e-5);
}

TEST(MenuValues, VariableStepGoesByOnesFivesAndTensBetweenTheLevels)
{
    struct Case {
        bool bUp;
        float from;
        std::vector<float> path;
    };
    const Case cases[] = {
        {true, 8, {9, 10, 15, 20, 25, 30, 35, 40, 45, 50, 60, 70, 80, 90, 100}},
        {false, 100, {90, 80, 70, 60, 50, 45, 40, 35, 30, 25, 20, 15, 10, 9, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bUp ? "up" : "down");
        DB_DATA_TYPE value = {};
        DB_DATA_TYPE unitsValue = f(c.from);
        std::vector<float> path;
        for (size_t i = 0; i < c.path.size(); ++i) {
            U32 n = 1;
            const STEP_LEVEL level = T_MENU_eGetStepLevel(unitsValue.fVal, 10, 50, &n, c.bUp);
            if (c.bUp)
                T_MENU_bIncrementValue(D_FLOAT, &value, &unitsValue, DF_FLOAT, U_NONE, f(100), f((float)level), n);
            else
                T_MENU_bDecrementValue(D_FLOAT, &value, &unitsValue, DF_FLOAT, U_NONE, f(0), f(100),
                                       f((float)level), n);
            path.push_back(unitsValue.fVal);
        }
        EXPECT_EQ(path, c.path);
    }
    // Several steps at once near a level take one step of the next size.
    U32 n = 3;
    EXPECT_EQ(T_MENU_eGetStepLevel(8, 10, 50, &n, TRUE), VAR_STEP_2);
    EXPECT_EQ(n, 1u);
    n = 3;
    EXPECT_EQ(T_MENU_eGetStepLevel(2, 10, 50, &n, TRUE), VAR_STEP_1);
    EXPECT_EQ(n, 3u);
}

// ---- Display strings ----

TEST_F(MenuEditing, FloatPrecisionFollowsTheIncrement)
{
    struct Case {
        float increment;
        U8 decimals;
        const char* shown;
    };
    const Case cases[] = {{0.5f, 1, "12.5"}, {0.25f, 2, "12.50"}, {0.125f, 3, "12.500"}, {5, 0, "12"}, {0.1f, 1, "12.5"}};
    defineFloat("TVAL", 12.5f, D_FLOAT);
    for (const Case& c : cases) {
        const MENU_LIMITS limits[1] = {{U_NONE, 0, 100, c.increment}};
        MENU_ITEM it = item(M_SLIDER, "TVAL", limits);
        T_MENU_vUpdateDisplayStrings(&it, TRUE);
        EXPECT_EQ(it.parameters.slider.u8precision, c.decimals) << c.increment;
        EXPECT_STREQ(it.value_string, c.shown) << c.increment;
    }
}

TEST_F(MenuEditing, NumericItemsShowTheirValueInTheUsersUnitWithinItsLimits)
{
    const MENU_LIMITS depthLimits[3] = {{U_FEET, 0, 100, 1}, {U_METRES, 0, 30, 1}, {U_NONE, 0, 10, 1}};
    const MENU_LIMITS feetFrom5[2] = {{U_FEET, 5, 100, 1}, {U_NONE, 0, 10, 1}};
    const MENU_LIMITS anyUnit[1] = {{U_NONE, 0, 100, 1}};
    const MENU_LIMITS seconds[1] = {{U_NONE, 0, 600, 1}};
    struct Case {
        const char* name;
        MENU_CONTROL control;
        DATA_TYPE type;
        float value;
        FOURCHARID unitsKey;
        U32 units;
        const MENU_LIMITS* pLimits;
        const TEXT_TABLE *pLeft, *pRight, *pSuffix;
        const char* shown;
    };
    const Case cases[] = {
        {"the unit's row", M_SLIDER, D_DEPTH, 3.048f, FCID("YUDP"), U_FEET, depthLimits, nullptr, nullptr, nullptr, "10ft"},
        {"no row for the unit: the ending row", M_SLIDER, D_DEPTH, 3.048f, FCID("YUDP"), U_FATHOMS, depthLimits, nullptr,
         nullptr, nullptr, "2fthm"},
        {"the minimum with a left caption", M_SLIDER, D_DEPTH, 0, FCID("YUDP"), U_FEET, depthLimits, &txtOff, &txtMax,
         nullptr, "Off"},
        {"below the minimum", M_SLIDER, D_DEPTH, 0.3048f, FCID("YUDP"), U_FEET, feetFrom5, &txtOff, nullptr, nullptr,
         "Off"},
        {"the minimum without caption", M_SLIDER, D_DEPTH, 0, FCID("YUDP"), U_FEET, depthLimits, nullptr, nullptr,
         nullptr, "0ft"},
        {"above the maximum with a right caption", M_SLIDER, D_DEPTH, 100, FCID("YUDP"), U_FEET, depthLimits, &txtOff,
         &txtMax, nullptr, "Max"},
        {"a suffix instead of the unit", M_SLIDER, D_FLOAT, 50, FCID("YUDP"), U_FEET, anyUnit, nullptr, nullptr,
         &txtPercent, "50%"},
        {"the hidden suffix shows nothing", M_SLIDER, D_FLOAT, 50, FCID("YUDP"), U_FEET, anyUnit, nullptr, nullptr,
         T_MENU_pHiddenSuffix, ""},
        {"a distance in kilometres shows metres", M_SLIDER, D_DISTANCE, 12, FCID("SUDS"), U_KM, anyUnit, nullptr,
         nullptr, nullptr, "12m"},
        {"a distance in statute miles shows feet", M_SLIDER, D_DISTANCE, 12, FCID("SUDS"), U_STAT_MILES, anyUnit,
         nullptr, nullptr, nullptr, "39ft"},
        {"a progress bar keeps the distance unit", M_PROGRESS_BAR, D_DISTANCE, 12000, FCID("SUDS"), U_KM, anyUnit,
         nullptr, nullptr, nullptr, "12km"},
        {"a numeric entry at its maximum", M_NUMERIC_ENTRY, D_DEPTH, 30, FCID("YUDP"), U_METRES, depthLimits, nullptr,
         &txtMax, nullptr, "Max"},
        {"a time in minutes and seconds", M_SLIDER, D_TIME, 125, FCID("YUDP"), U_FEET, seconds, nullptr, nullptr,
         nullptr, "2:05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        H_DATABASE_bUpdateValueU32(c.unitsKey, c.units, P_NORMAL);
        if (c.type == D_TIME)
            defineU32("TVAL", (U32)c.value, c.type);
        else
            defineFloat("TVAL", c.value, c.type);
        MENU_ITEM it = item(c.control, "TVAL", c.pLimits);
        CONTROL_PARAMETERS& p = it.parameters;
        if (c.control == M_SLIDER) {
            p.slider.pCtrlTextLeft = c.pLeft;
            p.slider.pCtrlTextRight = c.pRight;
            p.slider.valueStrSuffix = c.pSuffix;
        } else if (c.control == M_PROGRESS_BAR) {
            p.progressBar.pCtrlTextLeft = c.pLeft;
            p.progressBar.pCtrlTextRight = c.pRight;
            p.progressBar.valueStrSuffix = c.pSuffix;
        } else {
            p.numericEntry.pCtrlTextLeft = c.pLeft;
            p.numericEntry.pCtrlTextRight = c.pRight;
            p.numericEntry.valueStrSuffix = c.pSuffix;
        }
        T_MENU_vUpdateDisplayStrings(&it, TRUE);
        EXPECT_STREQ(it.value_string, c.shown);
    }

    // The value held at a limit is the limit, in the display unit.
    setU32("YUDP", U_FEET);
    defineFloat("TVAL", 0.3048f, D_DEPTH);
    MENU_ITEM it = item(M_SLIDER, "TVAL", feetFrom5);
    T_MENU_vUpdateDisplayStrings(&it, TRUE);
    EXPECT_FLOAT_EQ(it.unitsValue.fVal, 5.0f);
    EXPECT_STREQ(it.parameters.slider.minString, "5");
    EXPECT_STREQ(it.parameters.slider.maxString, "100");
}

TEST_F(MenuEditing, ProgressBarWithAnInvalidKeyKeepsItsStrings)
{
    const MENU_LIMITS anyUnit[1] = {{U_NONE, 0, 100, 1}};
    defineFloat("TVAL", 40, D_FLOAT);
    MENU_ITEM it = item(M_PROGRESS_BAR, "TVAL", anyUnit);
    T_MENU_vUpdateDisplayStrings(&it, TRUE);
    ASSERT_STREQ(it.value_string, "40");
    // A value that holds for a second, read two seconds later.
    H_DATABASE_bUpdateEverythingFloat(FCID("TVAL"), 60, P_NORMAL, D_FLOAT, nullptr, 1);
    L_CLOCK_vAdvanceTestClock(2000);
    T_MENU_vUpdateDisplayStrings(&it, TRUE);
    EXPECT_STREQ(it.value_string, "40");
}

TEST_F(MenuEditing, SelectionBoxShowsTheChoiceOfTheStoredValueOrElseTheFirst)
{
    struct Case {
        U32 stored;
        U8 choice;
        const char* shown;
    };
    const Case cases[] = {{20, 1, "Green"}, {30, 2, "Blue"}, {25, 0, "Red"}};
    for (const Case& c : cases) {
        defineU32("TSEL", c.stored, D_UNKNOWN);
        MENU_ITEM it = item(M_SELECTION_BOX, "TSEL");
        it.parameters.selectionBox.pSelectionList = aColours;
        it.parameters.selectionBox.pSelectionValueArray = aColourValues;
        it.parameters.selectionBox.numberSelections = 3;
        T_MENU_vUpdateDisplayStrings(&it, TRUE);
        EXPECT_EQ(it.parameters.selectionBox.CurSelection, c.choice) << c.stored;
        EXPECT_STREQ(it.value_string, c.shown) << c.stored;
    }
}

// ---- East and west ----

TEST_F(MenuEditing, WhatEastAndWestWriteByControl)
{
    const MENU_LIMITS zeroToTen[1] = {{U_NONE, 0, 10, 1}};
    struct Case {
        const char* name;
        MENU_CONTROL control;
        U32 from;
        bool bEast;
        Response response;
        int writes;
        U32 stored;
    };
    const Case cases[] = {
        {"numeric entry up", M_NUMERIC_ENTRY, 5, true, CLICK, 1, 6},
        {"numeric entry at its maximum still writes", M_NUMERIC_ENTRY, 10, true, BAD_CLICK, 1, 10},
        {"numeric entry down", M_NUMERIC_ENTRY, 5, false, CLICK, 1, 4},
        {"numeric entry at its minimum", M_NUMERIC_ENTRY, 0, false, BAD_CLICK, 0, 0},
        {"progress bar up", M_PROGRESS_BAR, 5, true, CLICK, 1, 6},
        {"progress bar at its maximum", M_PROGRESS_BAR, 10, true, BAD_CLICK, 0, 10},
        {"slider up waits for the release", M_SLIDER, 5, true, CLICK, 0, 5},
        {"slider at its minimum", M_SLIDER, 0, false, BAD_CLICK, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        defineU32("TNUM", c.from, D_UNKNOWN);
        MENU_ITEM it = item(c.control, "TNUM", zeroToTen);
        T_MENU_vUpdateDisplayStrings(&it, TRUE);
        watch("TNUM");
        s_repeatActive = TRUE; // as while the key is held
        EXPECT_EQ(change(it, c.bEast), c.response);
        s_repeatActive = FALSE;
        EXPECT_EQ(writesOf("TNUM"), c.writes);
        EXPECT_EQ(fetchU32("TNUM"), c.stored);
    }
}

TEST_F(MenuEditing, VariableStepSliderMovesOnTheLevelsOfItsUnit)
{
    const MENU_LIMITS limits[2] = {{U_FEET, 0, 300, 1}, {U_NONE, 0, 100, 1}};
    const MENU_STEP_LEVELS levels[2] = {{U_FEET, 30, 150}, {U_NONE, 10, 50}};
    defineFloat("TVAR", 8, D_FLOAT);
    MENU_ITEM it = item(M_SLIDER_VARIABLE_STEP, "TVAR", limits);
    it.parameters.slider.pLevels = levels;
    T_MENU_vUpdateDisplayStrings(&it, TRUE);
    s_repeatActive = TRUE;
    std::vector<float> path;
    for (int i = 0; i < 12; ++i) {
        change(it, true, 1, (U32)i + 1);
        path.push_back(it.unitsValue.fVal);
    }
    s_repeatActive = FALSE;
    EXPECT_EQ(path, (std::vector<float>{9, 10, 15, 20, 25, 30, 35, 40, 45, 50, 60, 70}));
}

TEST_F(MenuEditing, AngleAdjusterWrapsOverItsMaximum)
{
    struct Case {
        S32 from;
        bool bEast;
        S32 to;
    };
    const Case cases[] = {{359, true, 0}, {1, false, 360}, {0, false, 359}, {180, true, 181}, {180, false, 179}};
    for (const Case& c : cases) {
        H_DATABASE_bUpdateEverythingS32(FCID("TANG"), c.from, P_NORMAL, D_SIGNED32, nullptr, DB_TIMEOUT_NEVER);
        MENU_ITEM it = item(M_ANGLE_ADJUST, "TANG");
        it.parameters.angleAdjust.minValue = s(0);
        it.parameters.angleAdjust.maxValue = s(360);
        it.parameters.angleAdjust.stepValue = s(1);
        it.value = s(c.from);
        it.dataFormat = DF_SIGNED32;
        change(it, c.bEast);
        S32 stored = -1;
        H_DATABASE_bFetchS32(FCID("TANG"), &stored, nullptr, nullptr);
        EXPECT_EQ(stored, c.to) << c.from << (c.bEast ? " east" : " west");
    }
}

// ---- Through the task ----

TEST_F(MenuEditing, SingleCentredSelectionWrapsOnlyEastwardsWhenItLoops)
{
    struct Case {
        BOOLEAN bLoop;
        Response eastAtLast;
        U32 afterEast;
    };
    const Case cases[] = {{TRUE, GOOD, 10}, {FALSE, BAD, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bLoop ? "looping" : "not looping");
        fresh();
        defineU32("TSEL", 10, D_UNKNOWN);
        U_MENU_bRegisterSingleCenteredMenuSelectorMenu(&txtA, FCID("TSEL"), 3, aColours, aColourValues, TRUE,
                                                       c.bLoop);
        settle();
        ASSERT_EQ(fetchU32("CMNU"), (U32)SINGLE_CENTERED_MENU);
        EXPECT_EQ(layerMails(), Lines{"+275"});
        EXPECT_EQ(tap(CURSOR_WEST), BAD) << "no wrap westwards";
        EXPECT_EQ(fetchU32("TSEL"), 10u);
        EXPECT_EQ(tap(CURSOR_EAST), GOOD);
        EXPECT_EQ(tap(CURSOR_EAST), GOOD);
        EXPECT_EQ(fetchU32("TSEL"), 30u);
        EXPECT_EQ(tap(CURSOR_EAST), c.eastAtLast);
        EXPECT_EQ(fetchU32("TSEL"), c.afterEast);
        EXPECT_EQ(tap(CURSOR_SOUTH), SILENT) << "vertical keys do nothing here";

        char acShown[MENU_VALUE_STRING_SIZE] = "untouched";
        T_MENU_vGetSelection(&txtOff, acShown);
        EXPECT_STREQ(acShown, "untouched") << "another title";
        T_MENU_vGetSelection(&txtA, acShown);
        EXPECT_STREQ(acShown, c.bLoop ? "Red" : "Blue");
    }
}

TEST_F(MenuEditing, HotSubMenuChoiceListMovesWithNorthAndSouthAndOpensTheChoice)
{
    const TEXT_TABLE* const subs[3] = {&s_subNames[0], &s_subNames[1], &s_subNames[2]};
    U_MENU_bRegisterHotSubMenuWithNoArrow(&txtA, nullptr, (MENU_PRIORITY)1, aColours, subs, nullptr, 3, M_BASIC,
                                          VIEW, SPLIT_FULL_WINDOW);
    U_MENU_bRegisterHotSubMenuWithNoArrow(&txtOff, nullptr, (MENU_PRIORITY)2, aColours, subs, nullptr, 3, M_BASIC,
                                          VIEW, SPLIT_FULL_WINDOW);
    for (int i = 0; i < 3; ++i)
        U_MENU_bRegisterSubMenuActionMenu(&txtMax, &s_subNames[i], nullptr, (MENU_PRIORITY)1, nullptr, FALSE,
                                          M_BASIC);
    settle();
    press(KEY_MENU);
    MENU_ITEM* pItem = pHighlightedItem();
    ASSERT_NE(pItem, nullptr);
    EXPECT_EQ(tap(CURSOR_EAST), GOOD) << "east opens the choice list, even at once";
    EXPECT_TRUE(pItem->parameters.subMenu.bIsActive);
    EXPECT_EQ(tap(CURSOR_NORTH), BAD);
    EXPECT_EQ(tap(CURSOR_SOUTH), GOOD);
    EXPECT_EQ(tap(CURSOR_SOUTH), GOOD);
    EXPECT_EQ(tap(CURSOR_SOUTH), BAD);
    EXPECT_EQ(pItem->value.u32Val, 2u);
    EXPECT_EQ(pHighlightedItem(), pItem) << "the highlight stays on the item";

    EXPECT_EQ(tap(CURSOR_EAST), GOOD);
    EXPECT_EQ(fetchU32("CMNU"), (U32)EXPRESS_SUB_MENU);
    EXPECT_EQ(s_activeSubMenu[1], pItem->parameters.subMenu.subMenuID + 2);

    // Back in the hot menu the item that opened the sub menu is
    // highlighted, its list still open; EXIT then closes the list, and
    // the menu.
    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(fetchU32("CMNU"), (U32)EXPRESS_MENU);
    EXPECT_EQ(pHighlightedItem(), pItem);
    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_FALSE(pItem->parameters.subMenu.bIsActive);
    EXPECT_EQ(pItem->value.u32Val, 0u);
    EXPECT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(s_activeMenu, NO_MENU);
}

} // namespace
