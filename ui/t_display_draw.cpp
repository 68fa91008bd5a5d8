// The power-key pop-up's drawing (T_DISPLAY_vDrawLayer, see t_display.h).
//
// A framed column of 62-pixel rows near the top edge, centred, one row per
// setting; the highlighted row shows its editing control, the others their
// current value. A row is drawn only when its condition holds and its key
// can be fetched; a row whose key is missing keeps its place empty. A
// full-width hint about switching off runs along the bottom of the screen.
// Every frame refills the control records the task's keys work on.
#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "ui/power_key_icons.h"
#include "ui/t_display.h"
#include "ui/t_display_state.h"
#include "ui/u_dialog.h"
#include "ui/u_menu.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace t_display;

namespace {

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Stevrin_Prop = ALL_LANGUAGES("Prop");
TEXT_TABLE PowerKey_Menu_Thrust = ALL_LANGUAGES("Prop Speed");
TEXT_TABLE Stow_Quenby = ALL_LANGUAGES("Stow Quenby");
TEXT_TABLE Deploy_Quenby = ALL_LANGUAGES("Deploy Quenby");
TEXT_TABLE Pause_Quenby = ALL_LANGUAGES("Pause Quenby");
TEXT_TABLE Sonar = ALL_LANGUAGES("Sonar");
TEXT_TABLE Light = ALL_LANGUAGES("Light");
TEXT_TABLE Background = ALL_LANGUAGES("Background");
TEXT_TABLE n360_Ping = ALL_LANGUAGES("360 Ping");
TEXT_TABLE Off = ALL_LANGUAGES("Off");
TEXT_TABLE On = ALL_LANGUAGES("On");
TEXT_TABLE White = ALL_LANGUAGES("White");
TEXT_TABLE Blue = ALL_LANGUAGES("Blue");
TEXT_TABLE Black = ALL_LANGUAGES("Black");
TEXT_TABLE Dim = ALL_LANGUAGES("Dim");
TEXT_TABLE Min_Thrust_Str = ALL_LANGUAGES("0");
TEXT_TABLE Max_Thrust_Str = ALL_LANGUAGES("10");
TEXT_TABLE Local_Sonar = ALL_LANGUAGES("Local Sonar");
TEXT_TABLE Press_and_hold_to_power_unit_Off = ALL_LANGUAGES("Press and hold POWER to turn unit Off");

#undef ALL_LANGUAGES

const TEXT_TABLE* const s_paBackgroundColorChoices[] = {&White, &Blue, &Black};
const U32 s_aBackgroundColorValues[] = {1, 2, 3};
const TEXT_TABLE* const s_paOnOffChoices[] = {&Off, &On};
const U32 s_aOnOffValues[] = {0, 1};
const TEXT_TABLE* const s_paStartStopChoices[] = {&Off, &On};
const U32 s_aStartStopValues[] = {0, 1};

constexpr FOURCHARID KEY_SPAL = FCID("SPAL");
constexpr FOURCHARID KEY_SSEN = FCID("SSEN");
constexpr FOURCHARID KEY_IPRP = FCID("IPRP");
constexpr FOURCHARID KEY_IPPT = FCID("IPPT");
constexpr FOURCHARID KEY_IPCA = FCID("IPCA");
constexpr FOURCHARID KEY_MBMS = FCID("MBMS");
constexpr FOURCHARID KEY_CBAK = FCID("CBAK");
constexpr FOURCHARID KEY_ENPM = FCID("ENPM");
constexpr FOURCHARID KEY_YBMT = FCID("YBMT");
constexpr FOURCHARID KEY_YMSS = FCID("YMSS");

constexpr S32 ROW_HEIGHT = 62;
constexpr S32 CONTROL_WIDTH = 148;
constexpr U32 CONTROL_HEIGHT = 24;
constexpr U32 SOURCE_TYPE_360 = 3;
constexpr U32 ELEMENT_BIT_360 = 8;

// Colour-table entries of the pop-up.
constexpr U32 C_FRAME = 64;     // outer frame, highlighted row, hint background
constexpr U32 C_ROW = 65;       // rows, control background
constexpr U32 C_ROW_EDGE = 66;  // lower edge of a row
constexpr U32 C_INNER = 67;     // inner frame, motor arrow
constexpr U32 C_TEXT_HI = 68;   // texts of the highlighted row, hint text
constexpr U32 C_TEXT = 69;      // texts of the other rows

COLOR colorAt(U32 u32Index) { return COLOR_colorRead(&gCOLOR_pcolColorTable[u32Index]); }

const char* textOf(const TEXT_TABLE& table) { return table[nCurrentLanguage()]; }

const BYTE* bytes(const char* pc) { return reinterpret_cast<const BYTE*>(pc); }

const FONT_DEF* titleFont(void)
{
    const FONT_DEF* pFont = std_16x17_font_def_ptr;
    return pFont != nullptr ? pFont : &vondrel_16x17_font_def;
}

const FONT_DEF* hintFont(void)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr;
    return pFont != nullptr ? pFont : &vondrel_11x14_font_def;
}

S32 width(const char* pc) { return (S32)G_STRING_u32GetWidth(titleFont(), bytes(pc)); }
S32 width(const TEXT_TABLE& table) { return width(textOf(table)); }

void text(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, const char* pc)
{
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, colorAt(u32Color), &at, titleFont(), bytes(pc));
}

void textRightAligned(BITMAP* pBitmap, U32 u32Color, S32 xRight, S32 y, const char* pc)
{
    text(pBitmap, u32Color, xRight - width(pc), y, pc);
}

void line(BITMAP* pBitmap, U32 u32Color, S32 x0, S32 x1, S32 y)
{
    POINT a = {x0, y}, b = {x1, y};
    G_LINE_vDraw(pBitmap, colorAt(u32Color), &a, &b);
}

void fillSelection(M_SELECTION_BOX_PARAMETERS& rRecord, FOURCHARID key, const TEXT_TABLE* const* ppChoices,
                   const U32* pu32Values, U32 u32Count)
{
    rRecord.FourCharId = key;
    rRecord.pSelectionList = ppChoices;
    rRecord.pSelectionIcons = nullptr;
    rRecord.pSelectionValueArray = pu32Values;
    rRecord.numberSelections = u32Count;
}

// The choice showing the value: the last whose value it is, the first when
// none is.
void selectChoice(M_SELECTION_BOX_PARAMETERS& rRecord, U32 u32Value)
{
    rRecord.CurSelection = 0;
    for (U32 i = 0; i < rRecord.numberSelections; ++i)
        if (rRecord.pSelectionValueArray[i] == u32Value)
            rRecord.CurSelection = (U8)i;
}

// One row's slot and what it shows.
struct ROW {
    POWER_KEY_MENU_ITEMS eItem;
    const ICON* pIcon;
    const TEXT_TABLE* pTitle;
    FOURCHARID key;              // 0: the row has no key
    M_SELECTION_BOX_PARAMETERS* pSelection;
    bool bLow;                   // drawn one pixel lower
};

struct LAYOUT {
    S32 x0, y0;
    S32 s32RowWidth;       // R
    S32 s32Values;         // the widest value text
};

struct CONTENT {
    DB_DATA_TYPE value = {};
    M_SELECTION_BOX_PARAMETERS selection = {};
};

S32 s32ValuesWidth(void)
{
    S32 s32Values = width("10");
    for (const TEXT_TABLE* p : {&White, &Blue, &Black, &Off, &On})
        s32Values = std::max(s32Values, width(*p) + 4);
    return s32Values;
}

S32 s32PopUpWidth(S32 s32Values)
{
    const S32 s32Titles =
        (S32)G_ICON_u32GetWidth(&BackgroundColor_icon) + 14 + std::max(width(Light), width(Background));
    const S32 s32SonarTitle = (S32)G_ICON_u32GetWidth(&SonarTab_icon) + 14 + std::max(s32Titles, width(Local_Sonar));
    return std::max({s32SonarTitle, 224, 2 * width(Off) + 156, s32Values + 12});
}

void thrustText(char* pcOut, float fValue)
{
    const MENU_LIMITS& limits = aThrustLimits[0];
    if (fValue == limits.fMaximum)
        snprintf(pcOut, 20, "%s", textOf(Max_Thrust_Str));
    else if (fValue == limits.fMinimum)
        snprintf(pcOut, 20, "%s", textOf(Min_Thrust_Str));
    else
        U_MENU_vPrecisionFormat(pcOut, fValue, 1);
}

void lightText(char* pcOut, U32 u32Level)
{
    if (u32Level == 0)
        snprintf(pcOut, 20, "%s", textOf(Dim));
    else
        snprintf(pcOut, 20, "%2d", (int)u32Level);
}

void drawRow(BITMAP* pBitmap, const LAYOUT& layout, const ROW& row, S32 k, const CONTENT& content)
{
    const S32 x = layout.x0 + 5;
    const S32 y = layout.y0 + 1 + (row.bLow ? 6 : 7) + ROW_HEIGHT * k;
    const S32 R = layout.s32RowWidth;
    const bool bHighlighted = row.eItem == s_bActiveMenuItem;
    const POINT corner = {x, y};

    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(bHighlighted ? C_FRAME : C_ROW), &corner, (U32)R, ROW_HEIGHT, 4);
    if (bHighlighted) {
        line(pBitmap, C_ROW, x + 1, x + R - 5, y);
    } else {
        line(pBitmap, C_ROW_EDGE, x + 1, x + R - 5, y);
        line(pBitmap, C_FRAME, x + 1, x + R - 5, y + ROW_HEIGHT - 1);
    }
    const POINT iconAt = {x + 4, y + 36};
    G_ICON_vPut(pBitmap, row.pIcon, &iconAt);
    const S32 titleX = x + 4 + (S32)G_ICON_u32GetWidth(row.pIcon) + 6;
    const S32 titleY = y + (row.eItem == PwrMnu_Backlight_Adj ? 37 : 36);
    const U32 u32TextColor = bHighlighted ? C_TEXT_HI : C_TEXT;
    text(pBitmap, u32TextColor, titleX, titleY, textOf(*row.pTitle));

    char acValue[20] = "";
    if (row.pSelection != nullptr) {
        const M_SELECTION_BOX_PARAMETERS& sel = content.selection;
        if (sel.CurSelection < sel.numberSelections)
            snprintf(acValue, sizeof acValue, "%s", textOf(*sel.pSelectionList[sel.CurSelection]));
    } else if (row.eItem == PwrMnu_Prop_Thrust) {
        thrustText(acValue, content.value.fVal);
    } else if (row.eItem == PwrMnu_Backlight_Adj) {
        lightText(acValue, content.value.u32Val);
    }

    if (!bHighlighted) {
        textRightAligned(pBitmap, C_TEXT, x + R - 4, y + 6, acValue);
        return;
    }
    const POINT control = {x + (R - CONTROL_WIDTH) / 2, y + 6};
    const U32 u32ControlWidth = (U32)(std::max(layout.s32Values, CONTROL_WIDTH) + 4);
    switch (row.eItem) {
    case PwrMnu_Prop_Thrust: {
        M_SLIDER_PARAMETERS slider;
        {
            std::lock_guard<std::mutex> guard(s_recordLock);
            slider = s_sPropThrustParams;
        }
        U_MENU_vDrawControlSlider(pBitmap, control, content.value, &slider, DF_FLOAT, u32ControlWidth,
                                  CONTROL_HEIGHT);
        textRightAligned(pBitmap, C_TEXT_HI, x + R - 4, titleY, acValue);
        break;
    }
    case PwrMnu_Backlight_Adj: {
        M_PROGRESS_BAR_PARAMETERS bar = {};
        bar.minValue.u32Val = 0;
        bar.maxValue.u32Val = 10;
        bar.pCtrlTextLeft = &Dim;
        snprintf(bar.maxString, sizeof bar.maxString, "%2d", 10);
        snprintf(bar.minString, sizeof bar.minString, "%2d", 0);
        U_MENU_vDrawControlProgressBar(pBitmap, control, content.value, &bar, DF_UNSIGNED32, CONTROL_WIDTH,
                                       CONTROL_HEIGHT);
        textRightAligned(pBitmap, C_TEXT_HI, x + R - 4, titleY, acValue);
        break;
    }
    case PwrMnu_Motor_Stow:
    case PwrMnu_Motor_Deploy:
    case PwrMnu_Motor_Pause:
        U_MENU_vDrawArrowRight(pBitmap, POINT{control.x + std::max(layout.s32Values, CONTROL_WIDTH) + 8, y + 6},
                               CONTROL_HEIGHT, colorAt(C_INNER));
        break;
    default:
        U_MENU_vDrawControlSelectionBox(pBitmap, control, content.selection.CurSelection, &content.selection,
                                        u32ControlWidth, CONTROL_HEIGHT, colorAt(C_ROW));
        break;
    }
}

// Reads the row's key and brings its record up to date; FALSE when the
// key cannot be fetched and the row stays empty. Repairs a propeller or
// sonar switch that holds more than on.
bool bReadRow(const ROW& row, CONTENT& content)
{
    if (row.key == 0)
        return true;
    if (!H_DATABASE_bFetch(row.key, &content.value, nullptr, nullptr))
        return false;
    if (row.key == KEY_IPRP && content.value.u32Val > 1) {
        H_DATABASE_bUpdateValueBoolean(KEY_IPRP, FALSE, P_NORMAL);
        content.value.u32Val = 0;
    } else if (row.key == KEY_SSEN && content.value.u32Val > 1) {
        H_DATABASE_bUpdateValueU32(KEY_SSEN, 1, P_NORMAL);
        content.value.u32Val = 1;
    }
    if (row.pSelection != nullptr) {
        std::lock_guard<std::mutex> guard(s_recordLock);
        selectChoice(*row.pSelection, content.value.u32Val);
        content.selection = *row.pSelection;
    }
    return true;
}

bool bKeyIsTrue(FOURCHARID key)
{
    U32 u32Value = 0;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(key, &u32Value, &bValid, nullptr) && bValid && u32Value != 0;
}

U32 u32KeyValue(FOURCHARID key)
{
    U32 u32Value = 0;
    H_DATABASE_bFetchU32(key, &u32Value, nullptr, nullptr);
    return u32Value;
}

} // namespace

void T_DISPLAY_vDrawLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* /*psWindowSpec*/)
{
    if (pBitmap == nullptr)
        return;
    const bool bProp = s_bPropMenuActive;
    const bool bSpeedHidden = bKeyIsTrue(KEY_IPCA);
    const bool bBowMounted = bKeyIsTrue(KEY_YBMT);
    const bool b360 = bBowMounted && u32KeyValue(KEY_YMSS) != 0 &&
                      T_DISPLAY_u32GetElementBit(u32KeyValue(KEY_ENPM), SOURCE_TYPE_360) == ELEMENT_BIT_360;
    const bool bQuenby = s_eMotorType == ST_MT_QUENBY;
    const STEVRIN_NG_STATE eMotorState = s_eMotorState;

    {
        std::lock_guard<std::mutex> guard(s_recordLock);
        fillSelection(s_sBoxParameters, KEY_SPAL, s_paBackgroundColorChoices, s_aBackgroundColorValues, 3);
        fillSelection(s_sSonarOnOffParams, KEY_SSEN, s_paOnOffChoices, s_aOnOffValues, 2);
        if (bProp)
            fillSelection(s_sPropOnOffParams, KEY_IPRP, s_paOnOffChoices, s_aOnOffValues, 2);
        if (bProp && !bSpeedHidden) {
            s_sPropThrustParams = M_SLIDER_PARAMETERS{};
            s_sPropThrustParams.FourCharId = KEY_IPPT;
            s_sPropThrustParams.maxValue.fVal = aThrustLimits[0].fMaximum;
            s_sPropThrustParams.stepValue.fVal = aThrustLimits[0].fIncrement;
            s_sPropThrustParams.pCtrlTextLeft = &Min_Thrust_Str;
            s_sPropThrustParams.pCtrlTextRight = &Max_Thrust_Str;
            s_sPropThrustParams.u8precision = 1;
            s_sPropThrustParams.pLimits = aThrustLimits;
        }
        if (bBowMounted)
            fillSelection(s_sBMTStartStopParams, KEY_MBMS, s_paStartStopChoices, s_aStartStopValues, 2);
    }

    // The slots, top to bottom, each with the condition that gives it a place.
    const ROW rows[] = {
        {PwrMnu_Prop_Control, &prop_menu, &Stevrin_Prop, KEY_IPRP, &s_sPropOnOffParams, false},
        {PwrMnu_Prop_Thrust, &PropSpeed_icon, &PowerKey_Menu_Thrust, KEY_IPPT, nullptr, false},
        {PwrMnu_Motor_Stow, &Quenby_Stow_menu, &Stow_Quenby, 0, nullptr, false},
        {PwrMnu_Motor_Deploy, &Quenby_Deploy_menu, &Deploy_Quenby, 0, nullptr, false},
        {PwrMnu_Motor_Pause, &Quenby_Pause_menu, &Pause_Quenby, 0, nullptr, false},
        {PwrMnu_Sonar_Control, &SonarTab_icon, &Sonar, KEY_SSEN, &s_sSonarOnOffParams, false},
        {PwrMnu_Backlight_Adj, &Light_icon, &Light, KEY_CBAK, nullptr, true},
        {PwrMnu_Contrast_Adj, &BackgroundColor_icon, &Background, KEY_SPAL, &s_sBoxParameters, true},
        {PwrMnu_BowMounted_Adj, &Home_360_icon, &n360_Ping, KEY_MBMS, &s_sBMTStartStopParams, true},
    };
    auto bHasPlace = [&](POWER_KEY_MENU_ITEMS eItem) {
        switch (eItem) {
        case PwrMnu_Prop_Control:
            return bProp;
        case PwrMnu_Prop_Thrust:
            return bProp && !bSpeedHidden;
        case PwrMnu_Motor_Stow:
        case PwrMnu_Motor_Deploy:
        case PwrMnu_Motor_Pause:
            return bQuenby && bMotorRowApplies(eItem, eMotorState);
        case PwrMnu_BowMounted_Adj:
            return b360;
        default:
            return true;
        }
    };
    S32 N = 0;
    for (const ROW& row : rows)
        N += bHasPlace(row.eItem) ? 1 : 0;
    const S32 H = ROW_HEIGHT * N;

    const S32 s32Values = s32ValuesWidth();
    const S32 W = s32PopUpWidth(s32Values);
    const S32 P = (S32)pBitmap->pixels_wide, Q = (S32)pBitmap->pixels_high;
    LAYOUT layout;
    layout.s32Values = s32Values;
    U32 u32OuterWidth, u32InnerWidth;
    if (W <= P) {
        layout.x0 = (P - 16 - W) / 2;
        layout.s32RowWidth = W;
        u32OuterWidth = (U32)(W + 10);
        u32InnerWidth = (U32)(W + 8);
    } else {
        layout.x0 = 0;
        layout.s32RowWidth = P - 16;
        u32OuterWidth = (U32)(P - 6);
        u32InnerWidth = (U32)(P - 8);
    }
    layout.y0 = Q - H - 18;
    const POINT outer = {layout.x0, layout.y0};
    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(C_FRAME), &outer, u32OuterWidth, (U32)(H + 12), 6);
    const POINT inner = {layout.x0 + 1, layout.y0 + 1};
    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(C_INNER), &inner, u32InnerWidth, (U32)(H + 10), 6);

    S32 k = N;
    for (const ROW& row : rows) {
        if (!bHasPlace(row.eItem))
            continue;
        --k;
        CONTENT content;
        if (bReadRow(row, content))
            drawRow(pBitmap, layout, row, k, content);
    }

    const POINT hintAt = {0, 0};
    U_DIALOG_u32DrawMessageBlock(pBitmap, textOf(Press_and_hold_to_power_unit_Off), hintFont(), 0,
                                 JUSTIFICATION_CENTER, JUSTIFICATION_BOTTOM, &hintAt, (U32)P, colorAt(C_FRAME),
                                 colorAt(C_TEXT_HI));
}
