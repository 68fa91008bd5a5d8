// The neighbour services of the display task, stood in (see the header).
//
// The client calls look their task's mailbox up the way the real ones do
// and send the same mails at mail priority 3 without a semaphore, so the
// receiver frees them. The drawing routines follow the menu framework's
// control and dialog drawing to the pixel, in colour-table entries 64..68.
#include "ui/neighbour_standins.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "store/h_database.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;
constexpr U32 COLOR_SELECTED = 64;
constexpr U32 COLOR_TRACK = 65;
constexpr U32 COLOR_FRAME = 66;
constexpr U32 COLOR_ARROW = 67;
constexpr U32 COLOR_TEXT = 68;
constexpr U32 MAX_TEXT_LINES = 20;

COLOR colorAt(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

// The mailbox published under the key, or 0 when it is absent or not valid.
MBOX mboxOwner(FOURCHARID key)
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &u32Mbox, &bValid, nullptr) || !bValid)
        return 0;
    return (MBOX)u32Mbox;
}

// A zeroed mail with its command word, or null when the heap has none.
template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    MAIL* pMail = static_cast<MAIL*>(H_MEMORY_pvMallocNoWait(sizeof(MAIL)));
    if (pMail != nullptr) {
        memset(static_cast<void*>(pMail), 0, sizeof(MAIL));
        pMail->header.Cmd = cmd;
    }
    return pMail;
}

template <typename MAIL>
void post(MBOX mbox, MAIL* pMail)
{
    if (L_MBOX_Send(mbox, &pMail->header.msghdr, CLIENT_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

const FONT_DEF* controlFont(void)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr;
    return pFont != nullptr ? pFont : &vondrel_11x14_font_def;
}

const char* textOf(const TEXT_TABLE* pTable)
{
    return pTable == nullptr ? nullptr : (*pTable)[nCurrentLanguage()];
}

const BYTE* bytes(const char* pc) { return reinterpret_cast<const BYTE*>(pc); }

S32 textWidth(const FONT_DEF* pFont, const char* pc)
{
    return (S32)G_STRING_u32GetWidth(pFont, bytes(pc));
}

void text(BITMAP* pBitmap, const FONT_DEF* pFont, S32 x, S32 y, const char* pc)
{
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, colorAt(COLOR_TEXT), &at, pFont, bytes(pc));
}

// The row of the side texts of sliders and progress bars.
S32 sideTextY(const FONT_DEF* pFont, POINT anchor, U32 u32Height)
{
    return anchor.y + ((S32)u32Height - 4) / 2 + (S32)G_FONTS_u32GetDescenderHeight(pFont) -
           (S32)G_FONTS_u32GetHeight(pFont) / 2 + 1;
}

void sideTexts(BITMAP* pBitmap, POINT anchor, U32 u32Width, U32 u32Height, const TEXT_TABLE* pLeft,
               const TEXT_TABLE* pRight, const char* pcMin, const char* pcMax, S32 s32RightGap)
{
    const FONT_DEF* pFont = controlFont();
    const char* pcLeft = pLeft != nullptr ? textOf(pLeft) : pcMin;
    const char* pcRight = pRight != nullptr ? textOf(pRight) : pcMax;
    const S32 y = sideTextY(pFont, anchor, u32Height);
    text(pBitmap, pFont, anchor.x - textWidth(pFont, pcLeft) - 1, y, pcLeft);
    text(pBitmap, pFont, anchor.x + (S32)u32Width + s32RightGap, y, pcRight);
}

void roundedTrack(BITMAP* pBitmap, POINT anchor, U32 u32Width, U32 u32Height)
{
    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(COLOR_TRACK), &anchor, u32Width, u32Height, 4);
    G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_ARROW), &anchor, u32Width, u32Height, 4);
}

void filledBox(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, U32 u32Width, U32 u32Height)
{
    const POINT at = {x, y};
    G_BOX_vDrawFilled(pBitmap, colorAt(u32Color), &at, u32Width, u32Height);
}

// The percentage of the value between the limits, in the record's format;
// negative when the value lies below the minimum or the limits are equal.
double fraction(DB_DATA_TYPE value, DB_DATA_TYPE minimum, DB_DATA_TYPE maximum, DATA_FORMAT eFormat)
{
    switch (eFormat) {
    case DF_FLOAT:
        if (std::isnan(value.fVal) || value.fVal < minimum.fVal || minimum.fVal == maximum.fVal)
            return -1.0;
        return (double)((value.fVal - minimum.fVal) * 100.0f / (maximum.fVal - minimum.fVal));
    case DF_UNSIGNED32:
        if (value.u32Val < minimum.u32Val || minimum.u32Val == maximum.u32Val)
            return -1.0;
        return (double)((value.u32Val - minimum.u32Val) * 100u / (maximum.u32Val - minimum.u32Val));
    default:
        if (value.s32Val < minimum.s32Val || minimum.s32Val == maximum.s32Val)
            return -1.0;
        return (double)(((S64)value.s32Val - minimum.s32Val) * 100 / ((S64)maximum.s32Val - minimum.s32Val));
    }
}

// Pixels of a span of u32Span for the percentage: floats in proportion,
// whole percents for the integer formats.
S32 filledPixels(double dPercent, DATA_FORMAT eFormat, U32 u32Span)
{
    if (eFormat == DF_FLOAT)
        return (S32)((float)dPercent * 0.01f * (float)u32Span);
    return (S32)(u32Span * (U32)dPercent / 100u);
}

struct TEXT_LINE {
    const char* pcStart;
    U32 u32Chars;
    S32 s32Width;
};

U32 wrapText(const char* pcText, const FONT_DEF* pFont, S32 s32Width, TEXT_LINE* paLines)
{
    U32 n = 0;
    const char* p = pcText;
    while (*p != '\0' && n < MAX_TEXT_LINES) {
        TEXT_LINE line = {p, 0, 0};
        while (*p != '\0') {
            const char* q = p;
            S32 s32Word = 0;
            while (*q == ' ')
                s32Word += (S32)G_FONTS_u32GetWidth(pFont, (BYTE)*q++);
            while (*q != '\0' && *q != ' ')
                s32Word += (S32)G_FONTS_u32GetWidth(pFont, (BYTE)*q++);
            if (line.u32Chars > 0 && line.s32Width + s32Word > s32Width) {
                while (*p == ' ')
                    ++p;
                break;
            }
            line.u32Chars += (U32)(q - p);
            line.s32Width += s32Word;
            p = q;
        }
        line.s32Width -= 1;
        paLines[n++] = line;
    }
    return n;
}

} // namespace

BOOLEAN U_KEYBOARD_bRegisterKeys(MBOX mboxOwnerOfKeys, U32 u32Keys, KEY_STATE state, BOOLEAN bRepeat,
                                 BOOLEAN bAccelerate, CURSOR_MODE cursorMode, KEY_USAGE usage)
{
    const MBOX mbox = mboxOwner(FCID("TKBD"));
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_REGISTER_FOR_KEYS>(CMD_ID_REGISTER_FOR_KEYS);
    if (pMail == nullptr)
        return FALSE;
    pMail->keys = u32Keys;
    pMail->mailbox = mboxOwnerOfKeys;
    pMail->state = state;
    pMail->usage = usage;
    pMail->cursor_mode = cursorMode;
    pMail->repeat = bRepeat;
    pMail->accelerate = bAccelerate;
    post(mbox, pMail);
    return TRUE;
}

BOOLEAN U_KEYBOARD_bUnregisterKeys(MBOX mboxOwnerOfKeys, U32 u32Keys)
{
    const MBOX mbox = mboxOwner(FCID("TKBD"));
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_UNREGISTER_FOR_KEYS>(CMD_ID_UNREGISTER_FOR_KEYS);
    if (pMail == nullptr)
        return FALSE;
    pMail->keys = u32Keys;
    pMail->mailbox = mboxOwnerOfKeys;
    post(mbox, pMail);
    return TRUE;
}

U32 U_DIALOG_u32DrawMessageBlock(BITMAP* pBitmap, const char* pString, const FONT_DEF* pFont,
                                 U32 u32PixelsBetweenLines, JUSTIFICATION TextJustification,
                                 JUSTIFICATION BoxJustification, const POINT* ppointAnchor, U32 u32BoxWidth,
                                 COLOR colorBackground, COLOR colorForeground)
{
    TEXT_LINE aLines[MAX_TEXT_LINES];
    const U32 n = pString == nullptr ? 0 : wrapText(pString, pFont, (S32)u32BoxWidth, aLines);
    const S32 p = (S32)(G_FONTS_u32GetHeight(pFont) + u32PixelsBetweenLines);
    const S32 h = (S32)n * p + 2;
    POINT corner = {ppointAnchor->x, ppointAnchor->y};
    switch (BoxJustification) {
    case JUSTIFICATION_TOP:
        corner.y = ppointAnchor->y + 1 - h;
        break;
    case JUSTIFICATION_BOTTOM:
        break;
    case JUSTIFICATION_CENTER:
        corner.y = ppointAnchor->y - h / 2;
        break;
    default:
        ERROR_error("./Working/SOURCE/u_dialog.c", __LINE__, "Invalid box justification");
        U_RESET_vReset(0, 0);
    }
    G_BOX_vDrawFilled(pBitmap, colorBackground, &corner, u32BoxWidth, (U32)h);
    for (U32 i = 0; i < n; ++i) {
        POINT at = {corner.x, corner.y + 7 + (S32)(n - 1 - i) * p};
        if (TextJustification == JUSTIFICATION_RIGHT)
            at.x = corner.x + (S32)u32BoxWidth - aLines[i].s32Width;
        else if (TextJustification == JUSTIFICATION_CENTER)
            at.x = corner.x + ((S32)u32BoxWidth - aLines[i].s32Width) / 2;
        for (U32 c = 0; c < aLines[i].u32Chars; ++c) {
            const BYTE ch = (BYTE)aLines[i].pcStart[c];
            G_FONTS_vPut(pBitmap, colorForeground, &at, pFont, ch);
            at.x += (S32)G_FONTS_u32GetWidth(pFont, ch);
        }
    }
    return (U32)h;
}

void U_MENU_vDrawArrowRight(BITMAP* pBitmap, PIXEL x, PIXEL y, U32 u32Height, COLOR colour)
{
    const S32 n = (S32)(u32Height % 2 == 0 ? u32Height - 1 : u32Height);
    for (S32 k = 0; k <= (n - 1) / 2; ++k) {
        POINT a = {x + k, y + k}, b = {x + k, y + n - 1 - k};
        G_LINE_vDraw(pBitmap, colour, &a, &b);
    }
}

void U_MENU_vDrawArrowLeft(BITMAP* pBitmap, PIXEL x, PIXEL y, U32 u32Height, COLOR colour)
{
    const S32 n = (S32)(u32Height % 2 == 0 ? u32Height - 1 : u32Height);
    for (S32 k = 0; k <= (n - 1) / 2; ++k) {
        POINT a = {x - k, y + k}, b = {x - k, y + n - 1 - k};
        G_LINE_vDraw(pBitmap, colour, &a, &b);
    }
}

void U_MENU_vDrawControlSelectionBox(BITMAP* pBitmap, POINT anchor, U8 u8CurSel,
                                     const M_SELECTION_BOX_PARAMETERS* parameters, U32 u32selectorWidth,
                                     U32 u32selectorHeight, COLOR backgroundColor)
{
    const S32 w = (S32)u32selectorWidth, h = (S32)u32selectorHeight;
    const U32 n = parameters->numberSelections;
    if (u8CurSel != 0 && n > 1)
        U_MENU_vDrawArrowLeft(pBitmap, anchor.x - 6, anchor.y, u32selectorHeight, colorAt(COLOR_ARROW));
    if (u8CurSel + 1u != n && n > 1)
        U_MENU_vDrawArrowRight(pBitmap, anchor.x + w + 4, anchor.y, u32selectorHeight, colorAt(COLOR_ARROW));
    G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_FRAME), &anchor, u32selectorWidth, u32selectorHeight, 2);
    const POINT inner = {anchor.x + 1, anchor.y};
    G_BOX_vDrawRoundedFilled(pBitmap, backgroundColor, &inner, u32selectorWidth - 1, u32selectorHeight - 1, 2);
    if (u8CurSel >= n)
        return;
    const S32 h2 = (h + 1) / 2 * 2;
    if (parameters->pSelectionList != nullptr) {
        const FONT_DEF* pFont = controlFont();
        const char* pc = textOf(parameters->pSelectionList[u8CurSel]);
        const S32 y = anchor.y + 1 + (h2 - 2) / 2 + (S32)G_FONTS_u32GetDescenderHeight(pFont) -
                      (S32)G_FONTS_u32GetHeight(pFont) / 2;
        text(pBitmap, pFont, anchor.x + 2 + (w - 2 - textWidth(pFont, pc)) / 2, y, pc);
    } else if (parameters->pSelectionIcons != nullptr) {
        const ICON* pIcon = parameters->pSelectionIcons[u8CurSel];
        const POINT at = {anchor.x + 1 + (w - 2 - (S32)G_ICON_u32GetWidth(pIcon)) / 2,
                          anchor.y + (h2 - 2) / 2 - (S32)G_ICON_u32GetHeight(pIcon) / 2};
        G_ICON_vPut(pBitmap, pIcon, &at);
    }
}

void U_MENU_vDrawControlSlider(BITMAP* pBitmap, POINT anchor, DB_DATA_TYPE dbValue,
                               const M_SLIDER_PARAMETERS* parameters, DATA_FORMAT dataFormat, U32 u32sliderWidth,
                               U32 u32sliderHeight)
{
    sideTexts(pBitmap, anchor, u32sliderWidth, u32sliderHeight, parameters->pCtrlTextLeft,
              parameters->pCtrlTextRight, parameters->minString, parameters->maxString, 2);
    roundedTrack(pBitmap, anchor, u32sliderWidth, u32sliderHeight);
    const double dPercent = fraction(dbValue, parameters->minValue, parameters->maxValue, dataFormat);
    const S32 s = dPercent < 0 ? 0 : filledPixels(dPercent, dataFormat, u32sliderWidth - 6);
    S32 knobX;
    if (s > 2) {
        G_BOX_vDrawRoundedFilled(pBitmap, colorAt(COLOR_ARROW), &anchor, (U32)(s + 2), u32sliderHeight, 2);
        knobX = anchor.x + s + 1;
    } else {
        filledBox(pBitmap, COLOR_ARROW, anchor.x + 1, anchor.y, 4, u32sliderHeight);
        knobX = anchor.x + 1 + s;
    }
    filledBox(pBitmap, COLOR_ARROW, knobX, anchor.y - 1, 4, u32sliderHeight + 3);
    filledBox(pBitmap, COLOR_TRACK, knobX, anchor.y, 3, u32sliderHeight + 2);
    filledBox(pBitmap, COLOR_FRAME, knobX + 1, anchor.y, 2, u32sliderHeight + 1);
}

void U_MENU_vDrawControlProgressBar(BITMAP* pBitmap, POINT anchor, DB_DATA_TYPE dbValue,
                                    const M_PROGRESS_BAR_PARAMETERS* parameters, DATA_FORMAT dataFormat,
                                    U32 u32barWidth, U32 u32barHeight)
{
    sideTexts(pBitmap, anchor, u32barWidth, u32barHeight, parameters->pCtrlTextLeft, parameters->pCtrlTextRight,
              parameters->minString, parameters->maxString, 4);
    roundedTrack(pBitmap, anchor, u32barWidth, u32barHeight);
    const double dPercent = fraction(dbValue, parameters->minValue, parameters->maxValue, dataFormat);
    if (dPercent < 0)
        return;
    const S32 s32Fill = filledPixels(dPercent, dataFormat, u32barWidth - 2);
    if (s32Fill > 0)
        filledBox(pBitmap, COLOR_ARROW, anchor.x + 1, anchor.y + 1, (U32)s32Fill, u32barHeight - 2);
}

void U_MENU_vPrecisionFormat(char* buffer, float value, U8 precision)
{
    static const char* const formats[] = {"%.0f", "%.1f", "%.2f", "%.3f"};
    snprintf(buffer, 20, formats[precision < 3 ? precision : 3], (double)value);
}

U32 nCurrentLanguage(void)
{
    U32 u32Language = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("SLNG"), &u32Language, &bValid, nullptr) || !bValid ||
        u32Language >= (U32)DB_NUM_LANGUAGES)
        return 0;
    return u32Language;
}

U32 S_TRANSDUCER_u32GetElementBit(U32 u32SonarElementSelection, U32 eNetSourceType)
{
    if (eNetSourceType > 3)
        return 0;
    return u32SonarElementSelection & (1u << eNetSourceType);
}

namespace {

void postMotorCommand(U32 u32Command)
{
    auto* pMail = newMail<STEVRIN_DATA_MSG>(CMD_ID_STEVRIN);
    if (pMail == nullptr)
        return;
    pMail->eStevrinCmd = u32Command;
    post(STEVRIN_MAILBOX, pMail);
}

} // namespace

void U_STEVRIN_vStowMotor(void) { postMotorCommand(ST_CMD_STOW_MOTOR); }
void U_STEVRIN_vDeployMotor(void) { postMotorCommand(ST_CMD_DEPLOY_MOTOR); }
void U_STEVRIN_vPauseMotor(void) { postMotorCommand(ST_CMD_PAUSE_MOTOR); }
