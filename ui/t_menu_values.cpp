// Menu value editing: how an item bound to a data-store key shows its
// value, and what east and west do to each kind of control.
//
// A numeric item holds its key's value in internal units (metres, metres
// per second, degrees ...) and shows it in the user's display unit, within
// the limits of that unit: the row of its limits table for the unit, or
// the table's ending row (Units 0) when no row names it. Floats step onto
// multiples of the increment (halves to even); integers step by whole
// increments without rounding. A slider's value lives only in the item
// while a cursor key is held and is written when the key comes up, so
// that subscribers see one change per gesture.
//
// Conversions to integer formats truncate, and a result outside the
// format's range (or not a number, from a unit without a relation) is
// held at the range's end, never cast as it is.
#include "ui/t_menu_state.h"

#include "store/h_database.h"
#include "ui/u_menu.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace t_menu;

namespace {

constexpr FOURCHARID KEY_CVAS = FCID("CVAS");
constexpr U32 LIMIT_STRING_SIZE = 12;
// More steps than any range holds; bounds the 64-bit integer arithmetic of
// a repeat count that comes from outside.
constexpr U32 MAX_STEPS = 0x7FFFFFFF;

// The numeric parameter fields, which the slider, progress-bar and
// numeric-entry records hold in different places.
struct NUMERIC_FIELDS {
    FOURCHARID key;
    DB_DATA_TYPE* pMin;
    DB_DATA_TYPE* pMax;
    DB_DATA_TYPE* pStep;
    const TEXT_TABLE* pSuffix;
    const TEXT_TABLE* pLeft;
    const TEXT_TABLE* pRight;
    char* pcMax;
    char* pcMin;
    const MENU_LIMITS* pLimits;
    U8* pu8Precision;
    M_SLIDER_PARAMETERS* pSlider; // sliders only
};

template <typename RECORD>
NUMERIC_FIELDS fieldsOfRecord(RECORD& r)
{
    return {r.FourCharId, &r.minValue,  &r.maxValue, &r.stepValue, r.valueStrSuffix, r.pCtrlTextLeft,
            r.pCtrlTextRight, r.maxString, r.minString, r.pLimits, &r.u8precision, nullptr};
}

NUMERIC_FIELDS fieldsOf(MENU_ITEM* pItem)
{
    CONTROL_PARAMETERS& p = pItem->parameters;
    switch (pItem->control) {
    case M_PROGRESS_BAR:
        return fieldsOfRecord(p.progressBar);
    case M_NUMERIC_ENTRY:
        return fieldsOfRecord(p.numericEntry);
    default: {
        NUMERIC_FIELDS f = fieldsOfRecord(p.slider);
        f.pSlider = &p.slider;
        return f;
    }
    }
}

// ---- Numbers ----

// The storage format of a data type, without the data store's fatal error
// for the types that have none: those are taken as signed.
DATA_FORMAT formatOf(DATA_TYPE type)
{
    switch (type) {
    case D_POSITION:
    case D_WAYPOINT:
    case D_UNSIGNED32:
    case D_FIXED_POINT:
        return DF_SIGNED32;
    default:
        return (U32)type < NUMBER_OF_DATA_TYPES ? H_DATABASE_DataType(type) : DF_SIGNED32;
    }
}

double dOf(DB_DATA_TYPE v, DATA_FORMAT format)
{
    switch (format) {
    case DF_FLOAT:
        return (double)v.fVal;
    case DF_UNSIGNED32:
        return (double)v.u32Val;
    default:
        return (double)v.s32Val;
    }
}

DB_DATA_TYPE dbOf(double d, DATA_FORMAT format)
{
    DB_DATA_TYPE v = {};
    switch (format) {
    case DF_FLOAT:
        v.fVal = (float)d;
        break;
    case DF_UNSIGNED32:
        v.u32Val = !(d > 0.0) ? 0u : d >= 4294967295.0 ? UINT_MAX : (U32)d;
        break;
    default:
        v.s32Val = std::isnan(d) ? 0 : d <= (double)INT_MIN ? INT_MIN : d >= (double)INT_MAX ? INT_MAX : (S32)d;
        break;
    }
    return v;
}

// a < b in the format.
bool bBelow(DB_DATA_TYPE a, DB_DATA_TYPE b, DATA_FORMAT format)
{
    switch (format) {
    case DF_FLOAT:
        return a.fVal < b.fVal;
    case DF_UNSIGNED32:
        return a.u32Val < b.u32Val;
    default:
        return a.s32Val < b.s32Val;
    }
}

bool bPositive(DB_DATA_TYPE step, DATA_FORMAT format)
{
    switch (format) {
    case DF_FLOAT:
        return step.fVal > 0.0f;
    case DF_UNSIGNED32:
        return step.u32Val > 0;
    default:
        return step.s32Val > 0;
    }
}

// The value in display units, and the same in internal units into *pValue.
void vSet(DB_DATA_TYPE* pValue, DB_DATA_TYPE* pUnitsValue, DB_DATA_TYPE unitsValue, DATA_TYPE dataType,
          DATA_FORMAT format, UNIT_TYPE units)
{
    *pUnitsValue = unitsValue;
    *pValue = dbOf(dConvertToInternal(dOf(unitsValue, format), dataType, units), format);
}

// Decimals shown for a float item with this increment.
U8 u8Precision(float fIncrement)
{
    const long w = (long)(fIncrement * 1000.0f);
    if (w % 1000 == 0)
        return 0;
    if (w % 100 == 0)
        return 1;
    if (w % 10 == 0)
        return 2;
    return 3;
}

const char* pcText(const TEXT_TABLE* pTable)
{
    if (pTable == nullptr)
        return "";
    const char* pc = (*pTable)[nCurrentLanguage()];
    return pc != nullptr ? pc : "";
}

// A unit without a name of its own shows none.
const char* pcUnitName(UNIT_TYPE units)
{
    if ((U32)units >= NUMBER_OF_UNIT_TYPES || units == U_MINUTES)
        return "";
    return H_DATABASE_pcUnitsString(units, nCurrentLanguage());
}

void vPrint(char* pcOut, size_t size, DB_DATA_TYPE v, DATA_FORMAT format, DATA_TYPE type, U8 u8Precision)
{
    char acNumber[U_MENU_TEXT_SIZE];
    switch (format) {
    case DF_FLOAT:
        U_MENU_vPrecisionFormat(acNumber, v.fVal, u8Precision);
        break;
    case DF_UNSIGNED32:
        if (type == D_TIME)
            snprintf(acNumber, sizeof acNumber, "%u:%02u", v.u32Val / 60, v.u32Val % 60);
        else
            snprintf(acNumber, sizeof acNumber, "%u", v.u32Val);
        break;
    default:
        snprintf(acNumber, sizeof acNumber, "%d", (int)v.s32Val);
        break;
    }
    // The caller's field may be shorter than the number: keep what fits.
    if (size == 0)
        return;
    const size_t n = std::min(strnlen(acNumber, sizeof acNumber), size - 1);
    memcpy(pcOut, acNumber, n);
    pcOut[n] = '\0';
}

// ---- Display strings ----

// The row of the limits table for the unit: the first naming it, or else
// the ending row.
U32 u32LimitsRow(const MENU_LIMITS* pLimits, UNIT_TYPE units)
{
    U32 i = 0;
    while (pLimits[i].Units != units && pLimits[i].Units != U_NONE)
        ++i;
    return i;
}

// The numeric kinds' unit, limits, end texts and value text, from the
// value the item holds. An item without a limits table shows no value.
void vNumericStrings(MENU_ITEM* pItem, NUMERIC_FIELDS& f, bool bDistanceRule, bool bSuffixHides)
{
    pItem->value_string[0] = '\0';
    if (f.pLimits == nullptr)
        return;
    pItem->units = H_DATABASE_CurrentUnits(pItem->DataType);
    U32 u32Row = u32LimitsRow(f.pLimits, pItem->units);
    if (bDistanceRule && pItem->DataType == D_DISTANCE && f.pLimits[0].Units == U_NONE) {
        const U32 u32Distance = H_DATABASE_CurrentUnits(D_DISTANCE);
        pItem->units = u32Distance == U_KM || u32Distance == U_NAUT_MILES_M ? U_METRES : U_FEET;
        u32Row = 0;
    }
    const MENU_LIMITS& row = f.pLimits[u32Row];
    const DATA_FORMAT format = pItem->dataFormat;
    pItem->unitsValue =
        dbOf(dConvertFromInternal(dOf(pItem->value, format), pItem->DataType, pItem->units), format);
    *f.pMin = dbOf(row.fMinimum, format);
    *f.pMax = dbOf(row.fMaximum, format);
    *f.pStep = dbOf(row.fIncrement, format);
    if (f.pSlider != nullptr && pItem->control == M_SLIDER_VARIABLE_STEP && f.pSlider->pLevels != nullptr) {
        f.pSlider->accelStep1.fVal = f.pSlider->pLevels[u32Row].fStep1;
        f.pSlider->accelStep2.fVal = f.pSlider->pLevels[u32Row].fStep2;
    }
    if (format == DF_FLOAT)
        *f.pu8Precision = u8Precision(row.fIncrement);
    vPrint(f.pcMax, LIMIT_STRING_SIZE, *f.pMax, format, D_UNKNOWN, *f.pu8Precision);
    vPrint(f.pcMin, LIMIT_STRING_SIZE, *f.pMin, format, D_UNKNOWN, *f.pu8Precision);

    const TEXT_TABLE* pCaption = nullptr;
    if (!bBelow(*f.pMin, pItem->unitsValue, format)) {
        pItem->unitsValue = *f.pMin;
        pCaption = f.pLeft;
    } else if (!bBelow(pItem->unitsValue, *f.pMax, format)) {
        pItem->unitsValue = *f.pMax;
        pCaption = f.pRight;
    }
    if (bSuffixHides && f.pSuffix == T_MENU_pHiddenSuffix)
        return;
    if (pCaption != nullptr) {
        snprintf(pItem->value_string, MENU_VALUE_STRING_SIZE, "%s", pcText(pCaption));
        return;
    }
    char acNumber[MENU_VALUE_STRING_SIZE];
    vPrint(acNumber, sizeof acNumber, pItem->unitsValue, format, pItem->DataType, *f.pu8Precision);
    snprintf(pItem->value_string, MENU_VALUE_STRING_SIZE, "%s%s", acNumber,
             f.pSuffix != nullptr ? pcText(f.pSuffix) : pcUnitName(pItem->units));
}

// Reads the bound key into the item, with its type; FALSE when it was
// never written, or (bValidOnly) is not valid.
bool bReadKey(MENU_ITEM* pItem, FOURCHARID key, bool bValidOnly)
{
    DB_DATA_TYPE value = {};
    BOOLEAN bValid = FALSE;
    DB_ATTRIBUTES attributes = {};
    if (key == 0 || !H_DATABASE_bFetch(key, &value, &bValid, &attributes))
        return false;
    if (bValidOnly && !bValid)
        return false;
    pItem->value = value;
    pItem->DataType = attributes.DataType;
    pItem->dataFormat = formatOf(attributes.DataType);
    return true;
}

void vSelectionStrings(MENU_ITEM* pItem)
{
    M_SELECTION_BOX_PARAMETERS& box = pItem->parameters.selectionBox;
    if (!bReadKey(pItem, box.FourCharId, true))
        return;
    U32 u32Choice = 0;
    if (box.pSelectionValueArray != nullptr)
        for (U32 i = 0; i < box.numberSelections; ++i)
            if (box.pSelectionValueArray[i] == pItem->value.u32Val) {
                u32Choice = i;
                break;
            }
    box.CurSelection = (U8)u32Choice;
    const TEXT_TABLE* pChoice =
        box.pSelectionList != nullptr && box.numberSelections > 0 ? box.pSelectionList[u32Choice] : nullptr;
    snprintf(pItem->value_string, MENU_VALUE_STRING_SIZE, "%s", pcText(pChoice));
}

// ---- East and west ----

// One step of the numeric kinds; TRUE when the value moved.
bool bStep(MENU_ITEM* pItem, bool bUp, U32 u32Steps)
{
    NUMERIC_FIELDS f = fieldsOf(pItem);
    if (bUp)
        return T_MENU_bIncrementValue(pItem->DataType, &pItem->value, &pItem->unitsValue, pItem->dataFormat,
                                      pItem->units, *f.pMax, *f.pStep, u32Steps);
    return T_MENU_bDecrementValue(pItem->DataType, &pItem->value, &pItem->unitsValue, pItem->dataFormat,
                                  pItem->units, *f.pMin, *f.pMax, *f.pStep, u32Steps);
}

FOURCHARID keyOf(const MENU_ITEM* pItem)
{
    const CONTROL_PARAMETERS& p = pItem->parameters;
    switch (pItem->control) {
    case M_SLIDER:
    case M_SLIDER_VARIABLE_STEP:
    case M_SLIDER_IMMEDIATE:
        return p.slider.FourCharId;
    case M_PROGRESS_BAR:
        return p.progressBar.FourCharId;
    case M_NUMERIC_ENTRY:
        return p.numericEntry.FourCharId;
    case M_SELECTION_BOX:
        return p.selectionBox.FourCharId;
    case M_ANGLE_ADJUST:
        return p.angleAdjust.FourCharId;
    default:
        return 0;
    }
}

void vRun(MENU_ACTION_FUNC* pfn)
{
    if (pfn != nullptr)
        pfn();
}

// An action, or an extended action: with confirm, the first press asks
// and the next one runs it; without, it runs at once, after an info menu
// has closed.
void vAction(MENU_ACTION_FUNC* pfn, BOOLEAN bConfirm, bool bEast, U32 u32EventCount)
{
    if (!bEast) {
        if (!s_bConfirmActive) {
            vBadClick();
            return;
        }
        vCancelConfirmation();
        if (u32EventCount <= 1)
            vGoodClick();
        return;
    }
    if (bConfirm) {
        if (!s_bConfirmActive) {
            vShowConfirmation();
            return;
        }
        vCancelConfirmation();
        vRun(pfn);
        return;
    }
    if (s_activeMenu == INFO_MENU)
        T_MENU_vDoRemoveMenus(FALSE);
    vRun(pfn);
}

void vSubMenuItem(MENU_ITEM* pItem, bool bEast, U32 u32EventCount)
{
    M_SUB_MENU_PARAMETERS& sub = pItem->parameters.subMenu;
    if (!bEast) {
        if (sub.bIsActive && sub.numberChoices > 1) {
            sub.bIsActive = FALSE;
            pItem->value.RawSlot = 0;
            if (u32EventCount <= 1)
                vGoodClick();
        } else {
            vBadClick();
        }
        return;
    }
    vRun(sub.pt2Function);
    s_u32LastMainMenuIndex = (U32)s_activeMenuItemIndex;
    if (s_menuLevel >= 0 && s_menuLevel <= MAX_SUB_MENU_LEVELS)
        MenuItemRange[s_menuLevel].s32_LastActiveMenuIndex = s_activeMenuItemIndex;
    if (sub.numberChoices == 1) {
        T_MENU_vActivateSubMenu(sub.subMenuID);
    } else if (sub.bIsActive) {
        T_MENU_vActivateSubMenu(sub.subMenuID + (S32)pItem->value.u32Val);
    } else {
        sub.bIsActive = TRUE;
        pItem->value.RawSlot = 0;
        if (u32EventCount <= 1)
            vGoodClick();
    }
}

void vActionList(MENU_ITEM* pItem, bool bEast, U32 u32EventCount)
{
    M_ACTION_LIST_PARAMETERS& list = pItem->parameters.actionList;
    if (!bEast) {
        if (s_bConfirmActive) {
            vCancelConfirmation();
            if (u32EventCount <= 1)
                vGoodClick();
        } else if (list.bIsActive) {
            list.bIsActive = FALSE;
            pItem->value.RawSlot = 0;
            vGoodClick();
        } else {
            vBadClick();
        }
        return;
    }
    if (!list.bIsActive) {
        list.bIsActive = TRUE;
        pItem->value.RawSlot = 0;
        if (u32EventCount <= 1)
            vGoodClick();
        return;
    }
    const U32 u32Choice = pItem->value.u32Val;
    if (u32Choice >= list.numberChoices) {
        vBadClick();
        return;
    }
    MENU_ACTION_FUNC* pfn = list.pt2Function != nullptr ? list.pt2Function[u32Choice] : nullptr;
    const bool bConfirm = list.bConfirm != nullptr && list.bConfirm[u32Choice];
    if (bConfirm) {
        if (!s_bConfirmActive) {
            vShowConfirmation();
            return;
        }
        vCancelConfirmation();
        vRun(pfn);
        if (s_activeMenu == EXPRESS_MENU && pItem->control == M_ACTION_LIST) {
            T_MENU_vDoRemoveMenus(FALSE);
            T_MENU_vActivateHotMenu();
        }
        return;
    }
    if (s_activeMenu == INFO_MENU)
        T_MENU_vDoRemoveMenus(FALSE);
    vRun(pfn);
}

void vSelectionBox(MENU_ITEM* pItem, bool bEast, U32 u32EventCount)
{
    M_SELECTION_BOX_PARAMETERS& box = pItem->parameters.selectionBox;
    if (box.numberSelections == 0 || box.pSelectionValueArray == nullptr) {
        vBadClick();
        return;
    }
    U32 u32Choice = box.CurSelection < box.numberSelections ? box.CurSelection : 0;
    if (bEast) {
        if (u32Choice + 1 < box.numberSelections)
            ++u32Choice;
        else if (s_bLoopSelections)
            u32Choice = 0;
        else {
            vBadClick();
            return;
        }
    } else {
        if (u32Choice == 0) {
            vBadClick();
            return;
        }
        --u32Choice;
    }
    box.CurSelection = (U8)u32Choice;
    pItem->value = {};
    pItem->value.u32Val = box.pSelectionValueArray[u32Choice];
    vWriteValue(pItem);
    T_MENU_vUpdateDisplayStrings(pItem, FALSE);
    if (u32EventCount <= 1)
        vGoodClick();
}

void vAngle(MENU_ITEM* pItem, bool bEast)
{
    const M_ANGLE_ADJUST_PARAMETERS& angle = pItem->parameters.angleAdjust;
    if (pItem->dataFormat == DF_FLOAT) {
        const float fMin = (float)angle.minValue.s32Val;
        const float fMax = (float)angle.maxValue.s32Val;
        float f = pItem->value.fVal + (bEast ? 1.0f : -1.0f) * (float)angle.stepValue.s32Val;
        if (bEast && f >= fMax)
            f -= fMax;
        else if (!bEast && f <= fMin)
            f += fMax;
        pItem->value.fVal = f;
    } else {
        const S64 s64Max = angle.maxValue.s32Val;
        S64 s64 = (S64)pItem->value.s32Val + (bEast ? 1 : -1) * (S64)angle.stepValue.s32Val;
        if (bEast && s64 >= s64Max)
            s64 -= s64Max;
        else if (!bEast && s64 <= angle.minValue.s32Val)
            s64 += s64Max;
        pItem->value = {};
        pItem->value.s32Val = (S32)std::max<S64>(INT_MIN, std::min<S64>(INT_MAX, s64));
    }
    vWriteValue(pItem);
}

// Whether a hot menu shows its whole list again after this press.
bool bShowsWholeListAfter(const MENU_ITEM* pItem, bool bEast, bool bConfirmWasShown)
{
    switch (pItem->control) {
    case M_ACTION:
    case M_ACTION_EXT:
        return bEast || bConfirmWasShown;
    case M_SUB_MENU:
    case M_ACTION_LIST:
        return true;
    case M_ACTION_LIST_SHRUNKEN:
        return !bEast;
    case M_SELECTION_BOX:
        return pItem->parameters.selectionBox.FourCharId == KEY_CVAS;
    default:
        return false;
    }
}

} // namespace

// ---- Shared with the key handling ----

namespace t_menu {

bool bIsSlider(const MENU_ITEM* pItem)
{
    return pItem != nullptr && (pItem->control == M_SLIDER || pItem->control == M_SLIDER_VARIABLE_STEP ||
                                pItem->control == M_SLIDER_IMMEDIATE);
}

void vWriteValue(const MENU_ITEM* pItem)
{
    const FOURCHARID key = keyOf(pItem);
    if (key != 0)
        H_DATABASE_bUpdateValue(key, pItem->value, P_NORMAL);
}

void vChangeValue(MENU_ITEM* pItem, bool bEast, U32 u32Steps, U32 u32EventCount)
{
    const bool bInHotMenu = s_activeMenu == EXPRESS_MENU;
    const bool bConfirmWasShown = s_bConfirmActive;
    if (bInHotMenu)
        s_bShowMenuList = FALSE;
    const bool bFirst = u32EventCount <= 1;

    switch (pItem->control) {
    case M_SLIDER:
    case M_SLIDER_IMMEDIATE:
    case M_SLIDER_VARIABLE_STEP:
    case M_PROGRESS_BAR:
    case M_NUMERIC_ENTRY: {
        if (pItem->control == M_SLIDER_VARIABLE_STEP) {
            M_SLIDER_PARAMETERS& slider = pItem->parameters.slider;
            slider.stepValue.fVal = (float)T_MENU_eGetStepLevel(pItem->unitsValue.fVal, slider.accelStep1.fVal,
                                                                slider.accelStep2.fVal, &u32Steps, bEast);
        }
        const bool bMoved = bStep(pItem, bEast, u32Steps);
        if (bMoved && bFirst)
            vGoodClick();
        else if (!bMoved)
            vBadClick();
        // A progress bar writes each step; a numeric entry each step and
        // every east press, even at its maximum.
        if ((pItem->control == M_PROGRESS_BAR && bMoved) ||
            (pItem->control == M_NUMERIC_ENTRY && (bMoved || bEast)))
            vWriteValue(pItem);
        T_MENU_vUpdateDisplayStrings(pItem, FALSE);
        break;
    }
    case M_SELECTION_BOX:
        vSelectionBox(pItem, bEast, u32EventCount);
        break;
    case M_ACTION:
        vAction(pItem->parameters.action.pt2Function, pItem->parameters.action.confirm, bEast, u32EventCount);
        break;
    case M_ACTION_EXT:
        vAction(pItem->parameters.actionExt.pt2Function, pItem->parameters.actionExt.confirm, bEast,
                u32EventCount);
        break;
    case M_SUB_MENU:
        vSubMenuItem(pItem, bEast, u32EventCount);
        break;
    case M_ACTION_LIST:
    case M_ACTION_LIST_SHRUNKEN:
        vActionList(pItem, bEast, u32EventCount);
        break;
    case M_CHECK_LIST:
        if (bEast && pItem->parameters.checkList.setCheck != nullptr)
            pItem->parameters.checkList.setCheck(pItem->parameters.checkList.context);
        break;
    case M_CHECK_BOX:
        if (bEast) {
            vGoodClick();
            if (pItem->parameters.checkList.setCheck != nullptr)
                pItem->parameters.checkList.setCheck(pItem->parameters.checkList.context);
        }
        break;
    case M_ANGLE_ADJUST:
        vAngle(pItem, bEast);
        break;
    default:
        vBadClick();
        break;
    }

    if (bInHotMenu && s_activeMenu == EXPRESS_MENU && bShowsWholeListAfter(pItem, bEast, bConfirmWasShown))
        s_bShowMenuList = TRUE;
}

} // namespace t_menu

// ---- Public calls ----

void T_MENU_vUpdateDisplayStrings(MENU_ITEM* pItem, BOOLEAN bForceUpdate)
{
    if (pItem == nullptr)
        return;
    switch (pItem->control) {
    case M_SLIDER:
    case M_SLIDER_VARIABLE_STEP:
    case M_SLIDER_IMMEDIATE: {
        NUMERIC_FIELDS f = fieldsOf(pItem);
        if (!s_repeatActive || bForceUpdate)
            bReadKey(pItem, f.key, false);
        vNumericStrings(pItem, f, true, true);
        break;
    }
    case M_PROGRESS_BAR:
    case M_NUMERIC_ENTRY: {
        NUMERIC_FIELDS f = fieldsOf(pItem);
        if (bReadKey(pItem, f.key, true))
            vNumericStrings(pItem, f, false, false);
        break;
    }
    case M_SELECTION_BOX:
        vSelectionStrings(pItem);
        break;
    case M_CHECK_LIST:
    case M_CHECK_BOX: {
        const M_CHECK_LIST_PARAMETERS& check = pItem->parameters.checkList;
        pItem->unitsValue = {};
        pItem->unitsValue.u32Val = check.getCheck != nullptr ? check.getCheck(check.context) : 0;
        break;
    }
    case M_ANGLE_ADJUST:
        snprintf(pItem->value_string, MENU_VALUE_STRING_SIZE, "%s",
                 pHighlightedItem() == pItem ? "" : pcText(pItem->pMenuTitle));
        break;
    case M_ACTION:
    case M_SUB_MENU:
    case M_ACTION_HOT:
    case M_SUB_MENU_HOT:
    case M_ACTION_EXT:
        pItem->value_string[0] = '\0';
        break;
    default:
        break;
    }
}

BOOLEAN T_MENU_bIncrementValue(DATA_TYPE dataType, DB_DATA_TYPE* pValue, DB_DATA_TYPE* pUnitsValue,
                               DATA_FORMAT dataFormat, UNIT_TYPE currentUnits, DB_DATA_TYPE maxValue,
                               DB_DATA_TYPE stepValue, U32 u32Count)
{
    if (!bBelow(*pUnitsValue, maxValue, dataFormat)) {
        vSet(pValue, pUnitsValue, maxValue, dataType, dataFormat, currentUnits);
        return FALSE;
    }
    if (!bPositive(stepValue, dataFormat))
        return FALSE;
    u32Count = std::min<U32>(u32Count, MAX_STEPS);
    DB_DATA_TYPE next = {};
    switch (dataFormat) {
    case DF_FLOAT: {
        const float s = stepValue.fVal;
        next.fVal = std::fmin(((float)u32Count + std::nearbyint(pUnitsValue->fVal / s)) * s, maxValue.fVal);
        break;
    }
    case DF_UNSIGNED32:
        next.u32Val = (U32)std::min<U64>((U64)pUnitsValue->u32Val + (U64)u32Count * stepValue.u32Val,
                                         maxValue.u32Val);
        break;
    default:
        next.s32Val = (S32)std::min<S64>((S64)pUnitsValue->s32Val + (S64)u32Count * stepValue.s32Val,
                                         maxValue.s32Val);
        break;
    }
    vSet(pValue, pUnitsValue, next, dataType, dataFormat, currentUnits);
    return TRUE;
}

BOOLEAN T_MENU_bDecrementValue(DATA_TYPE dataType, DB_DATA_TYPE* pValue, DB_DATA_TYPE* pUnitsValue,
                               DATA_FORMAT dataFormat, UNIT_TYPE currentUnits, DB_DATA_TYPE minValue,
                               DB_DATA_TYPE maxValue, DB_DATA_TYPE stepValue, U32 u32Count)
{
    if (!bBelow(minValue, *pUnitsValue, dataFormat)) {
        vSet(pValue, pUnitsValue, minValue, dataType, dataFormat, currentUnits);
        return FALSE;
    }
    if (!bPositive(stepValue, dataFormat))
        return FALSE;
    u32Count = std::min<U32>(u32Count, MAX_STEPS);
    DB_DATA_TYPE next = {};
    switch (dataFormat) {
    case DF_FLOAT: {
        const float s = stepValue.fVal;
        next.fVal = std::fmax((std::nearbyint(pUnitsValue->fVal / s) - (float)u32Count) * s, minValue.fVal);
        break;
    }
    case DF_UNSIGNED32: {
        // Below zero the unit's arithmetic wraps to above the maximum;
        // either way the value stops at the minimum.
        const S64 s64 = (S64)pUnitsValue->u32Val - (S64)u32Count * stepValue.u32Val;
        next.u32Val = s64 < (S64)minValue.u32Val || s64 > (S64)maxValue.u32Val ? minValue.u32Val : (U32)s64;
        break;
    }
    default:
        next.s32Val = (S32)std::max<S64>((S64)pUnitsValue->s32Val - (S64)u32Count * stepValue.s32Val,
                                         minValue.s32Val);
        break;
    }
    vSet(pValue, pUnitsValue, next, dataType, dataFormat, currentUnits);
    return TRUE;
}

STEP_LEVEL T_MENU_eGetStepLevel(float val, float lowerStep, float upperStep, U32* pu32Increment, BOOLEAN bUp)
{
    const float n = (float)*pu32Increment;
    STEP_LEVEL eLevel;
    if (val <= lowerStep) {
        eLevel = VAR_STEP_1;
        if (bUp && lowerStep - n < val) {
            eLevel = VAR_STEP_2;
            *pu32Increment = 1;
        }
    } else if (val <= upperStep) {
        eLevel = VAR_STEP_2;
        if (bUp && upperStep - 5.0f * n <= val) {
            eLevel = VAR_STEP_3;
            *pu32Increment = 1;
        } else if (!bUp && val < lowerStep + 5.0f * n) {
            *pu32Increment = 1;
        }
    } else {
        eLevel = VAR_STEP_3;
        if (!bUp && val < upperStep + 10.0f * n) {
            eLevel = VAR_STEP_2;
            *pu32Increment = 1;
        }
    }
    return eLevel;
}
