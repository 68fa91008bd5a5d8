// The menu controls' drawing (see the header).
//
// Shapes are one-pixel lines and plain or rounded boxes of the graphics
// library. Positions follow the control's anchor and size only; sizes come
// from the caller as unsigned numbers and are worked in signed arithmetic
// here, so a row lower than an arrow's margin draws no arrow instead of a
// huge one. Texts are put together in a 20-character buffer on the stack.
#include "ui/u_menu.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "ui/menu_icons.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr U32 COLOR_SELECTED = 64;
constexpr U32 COLOR_TRACK = 65;
constexpr U32 COLOR_BOX = 66;
constexpr U32 COLOR_ARROW = 67;
constexpr U32 COLOR_TEXT = 68;
constexpr S32 SELECTED_ARROW_HEIGHT = 17;
constexpr S32 CHECK_ROW_HEIGHT = 55;

COLOR colorAt(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

const FONT_DEF* controlFont(void)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr;
    return pFont != nullptr ? pFont : &vondrel_11x14_font_def;
}

const char* textOf(const TEXT_TABLE* pTable) { return pTable == nullptr ? nullptr : (*pTable)[nCurrentLanguage()]; }

const BYTE* bytes(const char* pc) { return reinterpret_cast<const BYTE*>(pc); }

S32 textWidth(const FONT_DEF* pFont, const char* pc) { return (S32)G_STRING_u32GetWidth(pFont, bytes(pc)); }

void drawText(BITMAP* pBitmap, const FONT_DEF* pFont, S32 x, S32 y, const char* pc)
{
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, colorAt(COLOR_TEXT), &at, pFont, bytes(pc));
}

void filledBox(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, S32 w, S32 h)
{
    if (w <= 0 || h <= 0)
        return;
    const POINT at = {x, y};
    G_BOX_vDrawFilled(pBitmap, colorAt(u32Color), &at, (U32)w, (U32)h);
}

void arrowRight(BITMAP* pBitmap, S32 x, S32 y, S32 s32Height)
{
    if (s32Height > 0)
        U_MENU_vDrawArrowRight(pBitmap, POINT{x, y}, (U32)s32Height, colorAt(COLOR_ARROW));
}

void arrowLeft(BITMAP* pBitmap, S32 x, S32 y, S32 s32Height)
{
    if (s32Height > 0)
        U_MENU_vDrawArrowLeft(pBitmap, POINT{x, y}, (U32)s32Height, colorAt(COLOR_ARROW));
}

// The odd size an arrow is drawn at; 0 draws nothing.
S32 oddSize(U32 u32Size)
{
    const U32 u32Odd = u32Size % 2 == 0 && u32Size > 0 ? u32Size - 1 : u32Size;
    return (S32)std::min<U32>(u32Odd, 0x7FFFFFFF);
}

// One of the record's fixed 12-character texts, which need not end in a NUL.
void copyFixed(char* pcOut, const char (&acText)[12])
{
    const size_t n = strnlen(acText, sizeof acText);
    memcpy(pcOut, acText, n);
    pcOut[n] = '\0';
}

// The side text of a slider, bar or numeric entry: the caption when there
// is one, else the record's limit text.
void sideText(char* pcOut, const TEXT_TABLE* pCaption, const char (&acLimit)[12])
{
    if (pCaption != nullptr)
        snprintf(pcOut, U_MENU_TEXT_SIZE, "%s", textOf(pCaption) != nullptr ? textOf(pCaption) : "");
    else
        copyFixed(pcOut, acLimit);
}

void drawSideTexts(BITMAP* pBitmap, S32 y, S32 xLeftEnd, S32 xRight, const TEXT_TABLE* pLeft,
                   const TEXT_TABLE* pRight, const char (&acMin)[12], const char (&acMax)[12])
{
    const FONT_DEF* pFont = controlFont();
    char acText[U_MENU_TEXT_SIZE];
    sideText(acText, pLeft, acMin);
    drawText(pBitmap, pFont, xLeftEnd - textWidth(pFont, acText), y, acText);
    sideText(acText, pRight, acMax);
    drawText(pBitmap, pFont, xRight, y, acText);
}

// The row of side texts beside a control of height h.
S32 sideTextY(POINT anchor, S32 h)
{
    const FONT_DEF* pFont = controlFont();
    return anchor.y + (h - 4) / 2 + (S32)G_FONTS_u32GetDescenderHeight(pFont) - (S32)G_FONTS_u32GetHeight(pFont) / 2;
}

void drawTrack(BITMAP* pBitmap, POINT anchor, U32 u32Width, U32 u32Height)
{
    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(COLOR_TRACK), &anchor, u32Width, u32Height, 4);
    G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_ARROW), &anchor, u32Width, u32Height, 4);
}

// A float product cut to whole pixels, kept in range (and 0 for a value
// that is not a number) so that no conversion overflows.
S32 truncatePixels(float f)
{
    if (std::isnan(f))
        return 0;
    return (S32)std::clamp(f, -2147483520.0f, 2147483520.0f);
}

// How far along the limits the value lies: the pixels of a span of s32Span
// for floats, and the whole percentage for the integer formats. FALSE when
// the value is below the minimum (or not a number) or the limits are
// equal, and the control shows its start.
bool bFloatPixels(float fValue, float fMin, float fMax, S32 s32Span, S32* ps32Pixels)
{
    if (std::isnan(fValue) || fValue < fMin || fMin == fMax)
        return false;
    *ps32Pixels = truncatePixels((fValue - fMin) * 100.0f / (fMax - fMin) * 0.01f * (float)s32Span);
    return true;
}

bool bWholePercent(DB_DATA_TYPE value, DB_DATA_TYPE minimum, DB_DATA_TYPE maximum, DATA_FORMAT eFormat,
                   S64* ps64Percent)
{
    if (eFormat == DF_UNSIGNED32) {
        if (value.u32Val < minimum.u32Val || minimum.u32Val == maximum.u32Val)
            return false;
        *ps64Percent = (S64)((U64)(value.u32Val - minimum.u32Val) * 100u / (U32)(maximum.u32Val - minimum.u32Val));
        return true;
    }
    if (value.s32Val < minimum.s32Val || minimum.s32Val == maximum.s32Val)
        return false;
    *ps64Percent = ((S64)value.s32Val - minimum.s32Val) * 100 / ((S64)maximum.s32Val - minimum.s32Val);
    return true;
}

S32 clampPixels(S64 s64) { return (S32)std::clamp<S64>(s64, -0x7FFFFFFF, 0x7FFFFFFF); }

bool bSame(DB_DATA_TYPE a, DB_DATA_TYPE b, DATA_FORMAT eFormat)
{
    return eFormat == DF_FLOAT ? a.fVal == b.fVal : a.u32Val == b.u32Val;
}

void printValue(char* pcOut, DB_DATA_TYPE value, DATA_FORMAT eFormat, U8 u8Precision)
{
    if (eFormat == DF_FLOAT)
        U_MENU_vPrecisionFormat(pcOut, value.fVal, u8Precision);
    else
        snprintf(pcOut, U_MENU_TEXT_SIZE, "%d", (int)value.s32Val);
}

// An open action list or sub-menu choice list (see the header).
struct OPEN_LIST {
    const TEXT_TABLE* const* ppChoices;
    U32 u32Count;
    S32 s32Extra;  // width beyond the widest text
    U32 u32Radius;
    S32 s32ArrowInset; // the selected arrow's distance from the right end, less h / 2
    bool bFramed;
    bool bCentredText;
};

void drawOpenList(BITMAP* pBitmap, POINT anchor, U32 u32Selected, const OPEN_LIST& list, U32 u32MenuWidth,
                  U32 u32RowHeight)
{
    const FONT_DEF* pFont = controlFont();
    const S32 h = (S32)std::min<U32>(u32RowHeight, 0x7FFF);
    const S32 n = (S32)std::min<U32>(list.u32Count, 0x7FFF);
    if (h <= 0)
        return;
    S32 s32Widest = 0;
    for (S32 i = 0; i < n; ++i)
        s32Widest = std::max(s32Widest, textWidth(pFont, textOf(list.ppChoices[i])));
    const S32 L = s32Widest + list.s32Extra;

    S32 x = anchor.x + (S32)u32MenuWidth - 1;
    if (x + L >= (S32)pBitmap->pixels_wide)
        x = (S32)pBitmap->pixels_wide - L;
    S32 T = anchor.y + h * n / 2;
    if (T + h >= (S32)pBitmap->pixels_high) {
        while (T + h >= (S32)pBitmap->pixels_high)
            T -= h;
    } else {
        while (T - (n - 1) * h <= 0)
            T += h;
    }

    for (S32 i = 0; i < n; ++i) {
        const POINT at = {x, T - i * (h - 1)};
        const bool bSelected = (U32)i == u32Selected;
        G_BOX_vDrawRoundedFilled(pBitmap, colorAt(bSelected ? COLOR_SELECTED : COLOR_TRACK), &at, (U32)L, (U32)h,
                                 list.u32Radius);
        G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_ARROW), &at, (U32)L, (U32)h, list.u32Radius);
        if (list.bCentredText) {
            const S32 s32Rows = (S32)(G_FONTS_u32GetAscenderHeight(pFont) + G_FONTS_u32GetDescenderHeight(pFont)) +
                                h + 1 - (S32)G_FONTS_u32GetHeight(pFont);
            drawText(pBitmap, pFont, at.x + 6, at.y + s32Rows / 2, textOf(list.ppChoices[i]));
        } else {
            drawText(pBitmap, pFont, at.x + 4, at.y + 4, textOf(list.ppChoices[i]));
        }
        if (bSelected)
            arrowRight(pBitmap, at.x + L - h / 2 - list.s32ArrowInset, at.y + (h - SELECTED_ARROW_HEIGHT) / 2 + 1,
                       SELECTED_ARROW_HEIGHT);
    }
    if (list.bFramed) {
        const POINT bottom = {x, T - (n - 1) * (h - 1)};
        const POINT outside = {x - 1, bottom.y - 1};
        G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_ARROW), &bottom, (U32)L, (U32)(n * (h - 1) + 1), 2);
        G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_SELECTED), &outside, (U32)(L + 2), (U32)(n * (h - 1) + 3), 2);
    }
}

void drawSubMenu(BITMAP* pBitmap, POINT anchor, U32 u32Selected, const M_SUB_MENU_PARAMETERS* parameters,
                 U32 u32MenuWidth, U32 u32RowHeight)
{
    const S32 h = (S32)std::min<U32>(u32RowHeight, 0x7FFF);
    if (!parameters->bIsActive || parameters->numberChoices == 1) {
        arrowRight(pBitmap, anchor.x + (S32)u32MenuWidth - h + 5, anchor.y + 6, h - 5);
        return;
    }
    if (parameters->numberChoices == 0)
        return;
    const OPEN_LIST list = {parameters->pSubMenuChoices, parameters->numberChoices, 22, 4, 0, false, false};
    drawOpenList(pBitmap, anchor, u32Selected, list, u32MenuWidth, u32RowHeight);
}

void drawCheck(BITMAP* pBitmap, POINT anchor, U32 u32Checked, U32 u32MenuWidth)
{
    if (u32Checked == 0)
        return;
    const POINT at = {anchor.x + (S32)u32MenuWidth - 35,
                      anchor.y + (CHECK_ROW_HEIGHT - (S32)G_ICON_u32GetHeight(&selected_radio_button)) / 2 - 1};
    G_ICON_vPut(pBitmap, &unselected_radio_button, &at);
    G_ICON_vPut(pBitmap, &selected_radio_button, &at);
}

} // namespace

void U_MENU_vDrawArrowRight(BITMAP* pBitmap, POINT anchor, U32 u32Height, COLOR color)
{
    const S32 n = oddSize(u32Height);
    for (S32 k = 0; k <= (n - 1) / 2 && n > 0; ++k) {
        POINT a = {anchor.x + k, anchor.y + k}, b = {anchor.x + k, anchor.y + n - 1 - k};
        G_LINE_vDraw(pBitmap, color, &a, &b);
    }
}

void U_MENU_vDrawArrowLeft(BITMAP* pBitmap, POINT anchor, U32 u32Height, COLOR color)
{
    const S32 n = oddSize(u32Height);
    for (S32 k = 0; k <= (n - 1) / 2 && n > 0; ++k) {
        POINT a = {anchor.x - k, anchor.y + k}, b = {anchor.x - k, anchor.y + n - 1 - k};
        G_LINE_vDraw(pBitmap, color, &a, &b);
    }
}

void U_MENU_vDrawArrowUp(BITMAP* pBitmap, POINT anchor, U32 u32Width, COLOR color)
{
    const S32 n = oddSize(u32Width);
    for (S32 k = 0; k <= (n - 1) / 2 && n > 0; ++k) {
        POINT a = {anchor.x + k, anchor.y + k}, b = {anchor.x + n - 1 - k, anchor.y + k};
        G_LINE_vDraw(pBitmap, color, &a, &b);
    }
}

void U_MENU_vDrawArrowDown(BITMAP* pBitmap, POINT anchor, U32 u32Width, COLOR color)
{
    const S32 n = oddSize(u32Width);
    for (S32 k = 0; k <= (n - 1) / 2 && n > 0; ++k) {
        POINT a = {anchor.x + k, anchor.y - k}, b = {anchor.x + n - 1 - k, anchor.y - k};
        G_LINE_vDraw(pBitmap, color, &a, &b);
    }
}

void U_MENU_vDrawControlAction(BITMAP* pBitmap, POINT anchor, U32 /*u32Value*/, U32 u32MenuWidth, U32 u32RowHeight)
{
    const S32 h = (S32)std::min<U32>(u32RowHeight, 0x7FFF);
    arrowRight(pBitmap, anchor.x + (S32)u32MenuWidth - h + 10, anchor.y + 3, h - 5);
}

void U_MENU_vDrawControlActionList(BITMAP* pBitmap, POINT anchor, U32 u32Selected,
                                   const M_ACTION_LIST_PARAMETERS* parameters, U32 u32MenuWidth, U32 u32RowHeight)
{
    const S32 h = (S32)std::min<U32>(u32RowHeight, 0x7FFF);
    if (!parameters->bIsActive || parameters->numberChoices == 1) {
        arrowRight(pBitmap, anchor.x + (S32)u32MenuWidth - h + 10, anchor.y + 3, h - 10);
        return;
    }
    const OPEN_LIST list = {parameters->pActionListChoices, parameters->numberChoices, 28, 2, 1, true, true};
    drawOpenList(pBitmap, anchor, u32Selected, list, u32MenuWidth, u32RowHeight);
}

void U_MENU_vDrawControlSubMenu(BITMAP* pBitmap, POINT anchor, U32 u32Selected,
                                const M_SUB_MENU_PARAMETERS* parameters, U32 u32MenuWidth, U32 u32RowHeight)
{
    drawSubMenu(pBitmap, anchor, u32Selected, parameters, u32MenuWidth, u32RowHeight);
}

void U_MENU_vDrawControlSubMenuWithNoArrow(BITMAP* pBitmap, POINT anchor, U32 u32Selected,
                                           const M_SUB_MENU_PARAMETERS* parameters, U32 u32MenuWidth,
                                           U32 u32RowHeight)
{
    drawSubMenu(pBitmap, anchor, u32Selected, parameters, u32MenuWidth, u32RowHeight);
}

void U_MENU_vDrawControlNumericEntry(BITMAP* pBitmap, POINT anchor, DB_DATA_TYPE dbValue,
                                     const M_NUMERIC_ENTRY_PARAMETERS* parameters, DATA_FORMAT dataFormat,
                                     U32 u32BoxWidth, U32 u32BoxHeight)
{
    const FONT_DEF* pFont = controlFont();
    const S32 w = (S32)std::min<U32>(u32BoxWidth, 0x7FFF), h = (S32)std::min<U32>(u32BoxHeight, 0x7FFF);
    const S32 y = sideTextY(anchor, h) + 1;
    drawSideTexts(pBitmap, y, anchor.x - h / 2 - 8, anchor.x + w + h / 2 + 4, parameters->pCtrlTextLeft,
                  parameters->pCtrlTextRight, parameters->minString, parameters->maxString);

    const bool bAtMin = bSame(dbValue, parameters->minValue, dataFormat);
    const bool bAtMax = bSame(dbValue, parameters->maxValue, dataFormat);
    char acValue[U_MENU_TEXT_SIZE];
    if (bAtMin && parameters->pCtrlTextLeft != nullptr)
        sideText(acValue, parameters->pCtrlTextLeft, parameters->minString);
    else if (bAtMin)
        printValue(acValue, parameters->minValue, dataFormat, parameters->u8precision);
    else if (bAtMax && parameters->pCtrlTextRight != nullptr)
        sideText(acValue, parameters->pCtrlTextRight, parameters->maxString);
    else if (bAtMax)
        printValue(acValue, parameters->maxValue, dataFormat, parameters->u8precision);
    else
        printValue(acValue, dbValue, dataFormat, parameters->u8precision);

    if (!bAtMin)
        arrowLeft(pBitmap, anchor.x - 4, anchor.y, h);
    if (!bAtMax)
        arrowRight(pBitmap, anchor.x + w + 1, anchor.y, h);
    G_BOX_vDraw(pBitmap, colorAt(COLOR_ARROW), &anchor, (U32)w, (U32)h);
    filledBox(pBitmap, COLOR_BOX, anchor.x + 1, anchor.y + 1, w - 2, h - 2);
    drawText(pBitmap, pFont, anchor.x + 1 + (w - textWidth(pFont, acValue) - 4) / 2, y, acValue);
}

void U_MENU_vDrawControlProgressBar(BITMAP* pBitmap, POINT anchor, DB_DATA_TYPE dbValue,
                                    const M_PROGRESS_BAR_PARAMETERS* parameters, DATA_FORMAT dataFormat,
                                    U32 u32BarWidth, U32 u32BarHeight)
{
    const S32 w = (S32)std::min<U32>(u32BarWidth, 0x7FFF), h = (S32)std::min<U32>(u32BarHeight, 0x7FFF);
    drawSideTexts(pBitmap, sideTextY(anchor, h) + 1, anchor.x - 1, anchor.x + w + 4, parameters->pCtrlTextLeft,
                  parameters->pCtrlTextRight, parameters->minString, parameters->maxString);
    drawTrack(pBitmap, anchor, (U32)w, (U32)h);
    S32 s32Fill = 0;
    if (dataFormat == DF_FLOAT) {
        if (!bFloatPixels(dbValue.fVal, parameters->minValue.fVal, parameters->maxValue.fVal, w - 2, &s32Fill))
            return;
    } else {
        S64 s64Percent = 0;
        if (!bWholePercent(dbValue, parameters->minValue, parameters->maxValue, dataFormat, &s64Percent))
            return;
        s32Fill = clampPixels((S64)(w - 2) * s64Percent / 100);
    }
    filledBox(pBitmap, COLOR_ARROW, anchor.x + 1, anchor.y + 1, s32Fill, h - 2);
}

void U_MENU_vDrawControlSlider(BITMAP* pBitmap, POINT anchor, DB_DATA_TYPE dbValue,
                               const M_SLIDER_PARAMETERS* parameters, DATA_FORMAT dataFormat, U32 u32SliderWidth,
                               U32 u32SliderHeight)
{
    const S32 w = (S32)std::min<U32>(u32SliderWidth, 0x7FFF), h = (S32)std::min<U32>(u32SliderHeight, 0x7FFF);
    drawSideTexts(pBitmap, sideTextY(anchor, h) + 1, anchor.x - 1, anchor.x + w + 2, parameters->pCtrlTextLeft,
                  parameters->pCtrlTextRight, parameters->minString, parameters->maxString);
    drawTrack(pBitmap, anchor, (U32)w, (U32)h);
    S32 s = 0;
    if (dataFormat == DF_FLOAT) {
        if (!bFloatPixels(dbValue.fVal, parameters->minValue.fVal, parameters->maxValue.fVal, w - 6, &s))
            s = 0;
    } else {
        S64 s64Percent = 0;
        if (bWholePercent(dbValue, parameters->minValue, parameters->maxValue, dataFormat, &s64Percent))
            s = clampPixels(s64Percent * (w - 6) / 100);
    }
    S32 s32Knob;
    if (s > 2) {
        G_BOX_vDrawRoundedFilled(pBitmap, colorAt(COLOR_ARROW), &anchor, (U32)(s + 2), (U32)h, 2);
        s32Knob = anchor.x + s + 1;
    } else {
        filledBox(pBitmap, COLOR_ARROW, anchor.x + 1, anchor.y, 4, h);
        s32Knob = anchor.x + 1 + s;
    }
    filledBox(pBitmap, COLOR_ARROW, s32Knob, anchor.y - 1, 4, h + 3);
    filledBox(pBitmap, COLOR_TRACK, s32Knob, anchor.y, 3, h + 2);
    filledBox(pBitmap, COLOR_BOX, s32Knob + 1, anchor.y, 2, h + 1);
}

void U_MENU_vDrawControlSelectionBox(BITMAP* pBitmap, POINT anchor, U8 u8CurSel,
                                     const M_SELECTION_BOX_PARAMETERS* parameters, U32 u32Width, U32 u32Height,
                                     COLOR backgroundColor)
{
    const S32 w = (S32)std::min<U32>(u32Width, 0x7FFF), h = (S32)std::min<U32>(u32Height, 0x7FFF);
    const U32 N = parameters->numberSelections;
    if (N > 1 && u8CurSel != 0)
        arrowLeft(pBitmap, anchor.x - 6, anchor.y, h);
    if (N > 1 && u8CurSel != N - 1)
        arrowRight(pBitmap, anchor.x + w + 4, anchor.y, h);
    G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_BOX), &anchor, (U32)w, (U32)h, 2);
    const POINT inner = {anchor.x + 1, anchor.y};
    if (w > 1 && h > 1)
        G_BOX_vDrawRoundedFilled(pBitmap, backgroundColor, &inner, (U32)(w - 1), (U32)(h - 1), 2);
    if (u8CurSel >= N)
        return;
    const S32 h2 = h + (h & 1);
    if (parameters->pSelectionList != nullptr) {
        const FONT_DEF* pFont = controlFont();
        const char* pc = textOf(parameters->pSelectionList[u8CurSel]);
        const S32 y = anchor.y + 1 + (h2 - 2) / 2 + (S32)G_FONTS_u32GetDescenderHeight(pFont) -
                      (S32)G_FONTS_u32GetHeight(pFont) / 2;
        drawText(pBitmap, pFont, anchor.x + 2 + (w - 2 - textWidth(pFont, pc)) / 2, y, pc);
    } else if (parameters->pSelectionIcons != nullptr) {
        const ICON* pIcon = parameters->pSelectionIcons[u8CurSel];
        const POINT at = {anchor.x + 1 + (w - 2 - (S32)G_ICON_u32GetWidth(pIcon)) / 2,
                          anchor.y + (h2 - 2) / 2 - (S32)G_ICON_u32GetHeight(pIcon) / 2};
        G_ICON_vPut(pBitmap, pIcon, &at);
    }
}

void U_MENU_vDrawControlCheckList(BITMAP* pBitmap, POINT anchor, U32 u32Checked, U32 u32MenuWidth,
                                  U32 /*u32RowHeight*/)
{
    drawCheck(pBitmap, anchor, u32Checked, u32MenuWidth);
}

void U_MENU_vDrawControlCheckBox(BITMAP* pBitmap, POINT anchor, U32 u32Checked, U32 u32MenuWidth,
                                 U32 /*u32RowHeight*/)
{
    drawCheck(pBitmap, anchor, u32Checked, u32MenuWidth);
}

void U_MENU_vPrecisionFormat(char* pcOut, float fValue, U8 u8Precision)
{
    static const char* const formats[] = {"%.0f", "%.1f", "%.2f", "%.3f"};
    snprintf(pcOut, U_MENU_TEXT_SIZE, formats[std::min<U8>(u8Precision, 3)], (double)fValue);
}
