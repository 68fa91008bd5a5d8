// Dialog boxes and message blocks (see the header).
//
// Every routine wraps its text first, sizes and places its box from the
// number of lines, then draws frame, icons and lines bottom-up from the
// box's lower-left corner. Lines are drawn from a 120-character buffer, so
// at most 119 characters of a line show.
#include "ui/u_dialog.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_string.h"
#include "kernel/error.h"
#include "ui/u_menu.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* MODULE = "u_dialog";
constexpr U32 COLOR_OUTLINE = 130;
constexpr U32 COLOR_FILL = 128;
constexpr U32 COLOR_TEXT = 131;
constexpr S32 CLEAR_ROWS = 105; // the instrument bar's rows at the bottom
constexpr S32 DIALOG_MARGIN = 6;
constexpr size_t LINE_BUFFER = 120;

COLOR colorAt(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

[[noreturn]] void vInvalidBoxJustification(U32 u32Line)
{
    ERROR_error(MODULE, u32Line, "Invalid box justification");
    U_RESET_vReset(0, 0);
}

S32 advance(const FONT_DEF* pFont, char c) { return (S32)G_FONTS_u32GetWidth(pFont, (BYTE)c); }

S32 textWidth(const FONT_DEF* pFont, const char* pc)
{
    return (S32)G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(pc));
}

void drawText(BITMAP* pBitmap, COLOR color, S32 x, S32 y, const FONT_DEF* pFont, const char* pc)
{
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, color, &at, pFont, reinterpret_cast<const BYTE*>(pc));
}

void drawLine(BITMAP* pBitmap, COLOR color, S32 x, S32 y, const FONT_DEF* pFont, const LINEOFTEXT& line)
{
    char acLine[LINE_BUFFER];
    const size_t n = std::min<size_t>(line.u8NumberOfCharsInLine, LINE_BUFFER - 1);
    memcpy(acLine, line.pcStartOfText, n);
    acLine[n] = '\0';
    drawText(pBitmap, color, x, y, pFont, acLine);
}

// The lower-left corner's row of a dialog box of height s32Height.
S32 dialogY(const BITMAP* pBitmap, S32 s32Height, JUSTIFICATION BoxJustification, U32 u32Line)
{
    switch (BoxJustification) {
    case JUSTIFICATION_CENTER:
    case JUSTIFICATION_SCREEN_CENTER:
        return ((S32)pBitmap->pixels_high - s32Height + CLEAR_ROWS) / 2;
    case JUSTIFICATION_TOP:
        return (S32)pBitmap->pixels_high - s32Height;
    case JUSTIFICATION_BOTTOM:
        return CLEAR_ROWS;
    default:
        vInvalidBoxJustification(u32Line);
    }
}

// The box's width: room for the widest word and the margins, at least the
// width asked for, at most the bitmap's.
S32 dialogWidth(const BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont, U16 u16BoxWidth)
{
    const S32 s32Widest = (S32)U_DIALOG_u32GetMaxWordLength(pcText, pFont) - 1;
    S32 W = s32Widest + 11 < (S32)u16BoxWidth ? (S32)u16BoxWidth : s32Widest + 12;
    if (W >= (S32)pBitmap->pixels_wide)
        W = (S32)pBitmap->pixels_wide;
    return W;
}

void drawDialogFrame(BITMAP* pBitmap, S32 x, S32 y, S32 W, S32 H)
{
    const POINT outer = {x, y}, inner = {x + 1, y + 1}, fill = {x + 2, y + 2};
    G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_OUTLINE), &outer, (U32)W, (U32)H, 5);
    G_BOX_vDrawRounded(pBitmap, colorAt(COLOR_OUTLINE), &inner, (U32)std::max(W - 2, 0), (U32)std::max(H - 2, 0), 3);
    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(COLOR_FILL), &fill, (U32)std::max(W - 4, 0), (U32)std::max(H - 4, 0),
                             3);
}

// The text column L..R of a dialog box: the lines, first at the top, from
// row s32Bottom (the last line's row) upwards by the pitch.
void drawDialogLines(BITMAP* pBitmap, const LINEOFTEXT* paLines, U16 n, const FONT_DEF* pFont, S32 s32Pitch,
                     S32 s32Bottom, S32 L, S32 R, JUSTIFICATION TextJustification)
{
    for (U16 i = 0; i < n; ++i) {
        const S32 s32Width = paLines[i].u16WidthOfLine;
        S32 x = L;
        if (TextJustification == JUSTIFICATION_RIGHT)
            x = R - s32Width;
        else if (TextJustification == JUSTIFICATION_CENTER)
            x = L + (R - L - s32Width) / 2;
        drawLine(pBitmap, colorAt(COLOR_TEXT), std::max(x, 0), s32Bottom + (S32)(n - 1 - i) * s32Pitch, pFont,
                 paLines[i]);
    }
}

U16 wrap(const char* pcText, LINEOFTEXT* paLines, const FONT_DEF* pFont, S32 s32Width)
{
    return U_DIALOG_u16ExtractTextIntoLines(pcText, paLines, pFont, (U16)std::clamp<S32>(s32Width, 0, 0xFFFF));
}

} // namespace

U16 U_DIALOG_u16ExtractTextIntoLines(const char* pcText, LINEOFTEXT* paLines, const FONT_DEF* pFont, U16 u16Width)
{
    if (pcText == nullptr)
        return 0;
    U16 n = 0;
    const char* p = pcText;
    while (*p != '\0' && n < U_DIALOG_MAX_LINES) {
        const char* pcStart = p;
        size_t chars = 0;
        S32 s32Width = 0;
        while (*p != '\0') {
            // The next word with the spaces in front of it.
            const char* q = p;
            S32 s32Word = 0;
            while (*q == ' ')
                s32Word += advance(pFont, *q++);
            while (*q != '\0' && *q != ' ')
                s32Word += advance(pFont, *q++);
            if (chars > 0 && s32Width + s32Word > (S32)u16Width) {
                while (*p == ' ')
                    ++p;
                break;
            }
            chars += (size_t)(q - p);
            s32Width += s32Word;
            p = q;
        }
        // A line longer than its counters can say is cut: no more than 119
        // characters of it are drawn anyway.
        LINEOFTEXT& line = paLines[n++];
        line.pcStartOfText = pcStart;
        line.u8NumberOfCharsInLine = (U8)std::min<size_t>(chars, 0xFF);
        line.u16WidthOfLine = (U16)std::clamp<S32>(s32Width - 1, 0, 0xFFFF);
    }
    return n;
}

U32 U_DIALOG_u32GetMaxWordLength(const char* pcText, const FONT_DEF* pFont)
{
    if (pcText == nullptr)
        return 0;
    U32 u32Widest = 0;
    for (const char* p = pcText; *p != '\0';) {
        while (*p == ' ')
            ++p;
        U32 u32Word = 0;
        while (*p != '\0' && *p != ' ')
            u32Word += G_FONTS_u32GetWidth(pFont, (BYTE)*p++);
        u32Widest = std::max(u32Widest, u32Word);
    }
    return u32Widest;
}

void U_DIALOG_vDrawDialog(BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont, U16 u16PixelsBetweenLines,
                          U16 u16BoxWidth, const ICON* pLeftIcon, const ICON* pRightIcon,
                          JUSTIFICATION TextJustification, JUSTIFICATION BoxJustification)
{
    const S32 W = dialogWidth(pBitmap, pcText, pFont, u16BoxWidth);
    const S32 x = ((S32)pBitmap->pixels_wide - W) / 2;
    const S32 L = pLeftIcon != nullptr ? x + 2 * DIALOG_MARGIN + (S32)G_ICON_u32GetWidth(pLeftIcon) : x + DIALOG_MARGIN;
    const S32 R = pRightIcon != nullptr ? x + W - 2 * DIALOG_MARGIN - (S32)G_ICON_u32GetWidth(pRightIcon)
                                        : x + W - DIALOG_MARGIN;
    LINEOFTEXT aLines[U_DIALOG_MAX_LINES];
    const U16 n = wrap(pcText, aLines, pFont, R - L);
    const S32 s32Pitch = (S32)G_FONTS_u32GetHeight(pFont) + u16PixelsBetweenLines;
    const S32 H = n * s32Pitch + 12;
    const S32 y = dialogY(pBitmap, H, BoxJustification, __LINE__);

    drawDialogFrame(pBitmap, x, y, W, H);
    if (pLeftIcon != nullptr) {
        const POINT at = {x + DIALOG_MARGIN, y + H / 2 - (S32)G_ICON_u32GetHeight(pLeftIcon) / 2};
        G_ICON_vPut(pBitmap, pLeftIcon, &at);
    }
    if (pRightIcon != nullptr) {
        const POINT at = {x + W - (S32)G_ICON_u32GetWidth(pRightIcon) - DIALOG_MARGIN,
                          y + H / 2 - (S32)G_ICON_u32GetHeight(pRightIcon) / 2};
        G_ICON_vPut(pBitmap, pRightIcon, &at);
    }
    drawDialogLines(pBitmap, aLines, n, pFont, s32Pitch, y + 9, L, R, TextJustification);
}

void U_DIALOG_vDrawDialogWithConfirm(BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont,
                                     U16 u16PixelsBetweenLines, U16 u16BoxWidth, const char* pcLeftOption,
                                     const char* pcRightOption, JUSTIFICATION TextJustification,
                                     JUSTIFICATION BoxJustification, BOOLEAN NoOption, BOOLEAN YesOption)
{
    const S32 W = dialogWidth(pBitmap, pcText, pFont, u16BoxWidth);
    const S32 x = ((S32)pBitmap->pixels_wide - W) / 2;
    const S32 L = x + DIALOG_MARGIN, R = x + W - DIALOG_MARGIN;
    LINEOFTEXT aLines[U_DIALOG_MAX_LINES];
    const U16 n = wrap(pcText, aLines, pFont, R - L);
    const S32 f = (S32)G_FONTS_u32GetHeight(pFont);
    const S32 s32Pitch = f + u16PixelsBetweenLines;
    // The answer row along the bottom; without answers the text keeps its
    // place, inside the box.
    const bool bOptionRow = NoOption || YesOption;
    const S32 s32Row = bOptionRow ? (3 * f) / 2 : 0;
    const S32 H = n * s32Pitch + 12 + s32Row;
    const S32 y = dialogY(pBitmap, H, BoxJustification, __LINE__);

    drawDialogFrame(pBitmap, x, y, W, H);
    drawDialogLines(pBitmap, aLines, n, pFont, s32Pitch, y + 9 + s32Row, L, R, TextJustification);
    const COLOR color = colorAt(COLOR_TEXT);
    if (NoOption) {
        U_MENU_vDrawArrowLeft(pBitmap, POINT{x + f, y + f / 3}, (U32)f, color);
        drawText(pBitmap, color, x + (4 * f) / 3, y + f / 2, pFont, pcLeftOption);
    }
    if (YesOption) {
        drawText(pBitmap, color, x + W - (4 * f) / 3 - textWidth(pFont, pcRightOption), y + f / 2, pFont,
                 pcRightOption);
        U_MENU_vDrawArrowRight(pBitmap, POINT{x + W - f, y + f / 3}, (U32)f, color);
    }
}

U32 U_DIALOG_u32DrawMessageBlock(BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont,
                                 U32 u32PixelsBetweenLines, JUSTIFICATION TextJustification,
                                 JUSTIFICATION BoxJustification, const POINT* ppointAnchor, U32 u32BoxWidth,
                                 COLOR colorBackground, COLOR colorText)
{
    LINEOFTEXT aLines[U_DIALOG_MAX_LINES];
    const U16 n = wrap(pcText, aLines, pFont, (S32)std::min<U32>(u32BoxWidth, 0xFFFF));
    const S32 s32Pitch = (S32)(G_FONTS_u32GetHeight(pFont) + u32PixelsBetweenLines);
    const S32 H = n * s32Pitch + 2;
    const S32 s32BoxWidth = (S32)std::min<U32>(u32BoxWidth, 0x7FFFFFFF);
    POINT corner = *ppointAnchor;
    switch (BoxJustification) {
    case JUSTIFICATION_TOP:
        corner.y = ppointAnchor->y + 1 - H;
        break;
    case JUSTIFICATION_BOTTOM:
        break;
    case JUSTIFICATION_CENTER:
        corner.y = ppointAnchor->y - H / 2;
        break;
    default:
        vInvalidBoxJustification(__LINE__);
    }
    G_BOX_vDrawFilled(pBitmap, colorBackground, &corner, u32BoxWidth, (U32)H);
    for (U16 i = 0; i < n; ++i) {
        const S32 s32Width = aLines[i].u16WidthOfLine;
        S32 x = corner.x;
        if (TextJustification == JUSTIFICATION_RIGHT)
            x = corner.x + s32BoxWidth - s32Width;
        else if (TextJustification == JUSTIFICATION_CENTER)
            x = corner.x + std::max((s32BoxWidth - s32Width) / 2, 0);
        drawLine(pBitmap, colorText, x, corner.y + 7 + (S32)(n - 1 - i) * s32Pitch, pFont, aLines[i]);
    }
    return (U32)H;
}

void U_DIALOG_vDrawMessageBlockOutlined(BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont,
                                        U32 u32PixelsBetweenLines, JUSTIFICATION TextJustification,
                                        JUSTIFICATION BoxJustification, const POINT* ppointAnchor,
                                        U32 u32BoxWidth, COLOR colorBackground, COLOR colorText,
                                        COLOR colorOutline)
{
    const U32 u32Height = U_DIALOG_u32DrawMessageBlock(pBitmap, pcText, pFont, u32PixelsBetweenLines,
                                                       TextJustification, BoxJustification, ppointAnchor,
                                                       u32BoxWidth, colorBackground, colorText);
    const S32 W = (S32)std::min<U32>(u32BoxWidth + 4, pBitmap->pixels_wide);
    const S32 H = (S32)std::min<U32>(u32Height + 4, pBitmap->pixels_high);
    S32 x = std::max(ppointAnchor->x - 2, pBitmap->s32ClipLeft);
    S32 y;
    if (BoxJustification == JUSTIFICATION_CENTER)
        y = ppointAnchor->y - H / 2;
    else if (BoxJustification == JUSTIFICATION_TOP)
        y = ppointAnchor->y + 3 - H;
    else
        y = ppointAnchor->y - 2;
    y = std::max(y, pBitmap->s32ClipBottom);
    const POINT outer = {x, y}, inner = {x + 1, y + 1};
    G_BOX_vDrawRounded(pBitmap, colorOutline, &outer, (U32)W, (U32)H, 5);
    G_BOX_vDrawRounded(pBitmap, colorOutline, &inner, (U32)std::max(W - 2, 0), (U32)std::max(H - 2, 0), 3);
}
