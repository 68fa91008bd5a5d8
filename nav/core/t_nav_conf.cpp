// The navigation's confirmation dialog (see the header).
//
// States: closed (queue empty, no keys, no layer) and open (the head is
// shown). Every access to s_pConf holds RES_NAV_CONF; an answer unlinks
// the head under it and calls the callback after releasing it.
#include "nav/core/t_nav_conf.h"

#include "nav/core/t_nav.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "store/lang.h"
#include "ui/menu_icons.h"
#include "ui/u_menu.h"

#include <algorithm>
#include <cstring>

// Constants ---------------------------------------------------------------

#define NAV_CONF_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

namespace {

constexpr TEXT_TABLE Confirm = NAV_CONF_ALL_LANGUAGES("Confirm:");
constexpr TEXT_TABLE Yes = NAV_CONF_ALL_LANGUAGES("Yes");
constexpr TEXT_TABLE No = NAV_CONF_ALL_LANGUAGES("No");

// The dialog takes every key but the cursor as plain keys, and the cursor
// as a four-way key that repeats; it gives back all but the power key.
constexpr U32 CONF_KEYS = 0xFFFF & ~KEY_CURSOR;
constexpr U32 CONF_RELEASED_KEYS = 0xFFFF & ~KEY_POWER;

constexpr TICKS RENDER_WAIT_TICKS = 100;
constexpr U32 LINE_CHARS_DRAWN = 100;

// Box geometry, in pixels.
constexpr S32 TITLE_BAND = 36;
constexpr S32 LINE_PITCH = 24;
constexpr S32 FRAME_WITH_TITLE = 78;
constexpr S32 FRAME_WITHOUT_TITLE = 42;
constexpr S32 TEXT_MARGIN = 4;
constexpr S32 BOX_MARGIN = 16;
constexpr S32 ARROW_LENGTH = 26;

constexpr U32 COLOR_FRAME = 67;
constexpr U32 COLOR_FILL = 71;
constexpr U32 COLOR_TEXT = 68;

// Statics -------------------------------------------------------------------

CONF_INFO_TAG* s_pConf = nullptr; // the head, on show; null: closed

// Static functions ------------------------------------------------------------

const FONT_DEF* pFont(void)
{
    const FONT_DEF* p = std_16x17_font_def_ptr.load();
    return p != nullptr ? p : &vondrel_16x17_font_def;
}

const char* textOf(const TEXT_TABLE& table)
{
    const char* pc = table[nCurrentLanguage()];
    return pc != nullptr ? pc : "";
}

U32 u32Width(const char* pc)
{
    return G_STRING_u32GetWidth(pFont(), reinterpret_cast<const BYTE*>(pc));
}

COLOR colorAt(U32 u32Index)
{
    return COLOR_colorRead(&gCOLOR_pcolColorTable[u32Index]);
}

// Keys and layer, mutex 11 held.
void vOpen(void)
{
    U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, CONF_KEYS, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY, REGISTER_DIALOG_BOX);
    U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, KEY_CURSOR, KEY_DOWN, TRUE, TRUE, CURSOR_4, REGISTER_DIALOG_BOX);
    U_VIEW_bRegisterLayer(T_NAV_CONF_vRender, NAV_CONF_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr, nullptr, nullptr);
}

void vClose(void)
{
    U_KEYBOARD_bUnregisterKeys(NAV_MAILBOX, CONF_RELEASED_KEYS);
    U_VIEW_bUnRegisterLayer(NAV_CONF_LAYER);
}

// Unlinks and frees the head, closing the dialog when it was the last;
// mutex 11 held.
void vDropHead(void)
{
    CONF_INFO_TAG* p = s_pConf;
    s_pConf = p->pNext;
    H_MEMORY_vFree(p);
    if (s_pConf == nullptr)
        vClose();
}

void vQueue(const char* pTitle, const ICON* pTitleIcon, const char* pStatement, const char* pLeftChoice,
            const char* pRightChoice, CONF_FUNCTION* pNo, CONF_FUNCTION* pYes)
{
    if (pStatement == nullptr) {
        log_me("%s: a question without a statement is not asked", __FILE_NAME__);
        return;
    }
    auto* p = static_cast<CONF_INFO_TAG*>(H_MEMORY_pvMalloc(sizeof(CONF_INFO_TAG)));
    memset(static_cast<void*>(p), 0, sizeof *p);
    p->pStatement = pStatement;
    p->nLang = nCurrentLanguage();
    p->pYes = pYes;
    p->pNo = pNo;
    p->pTitle = pTitle;
    p->pTitleIcon = pTitleIcon;
    p->pLeftChoice = pLeftChoice;
    p->pRightChoice = pRightChoice;

    // The text service breaks into up to 20 lines; the box shows 10.
    LINEOFTEXT aLines[U_DIALOG_MAX_LINES];
    const U16 u16Lines = U_DIALOG_u16ExtractTextIntoLines(pStatement, aLines, pFont(), NAV_CONF_TEXT_WIDTH);
    p->nLines = (S32)std::min<U32>(u16Lines, NAV_CONF_MAX_LINES);
    std::copy(aLines, aLines + p->nLines, p->lines);

    L_MUTEX_LockWait(RES_NAV_CONF);
    if (s_pConf == nullptr) {
        s_pConf = p;
        vOpen();
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
    } else {
        CONF_INFO_TAG* pLast = s_pConf;
        while (pLast->pNext != nullptr)
            pLast = pLast->pNext;
        pLast->pNext = p;
    }
    L_MUTEX_Unlock(RES_NAV_CONF);
}

void vDraw(BITMAP* pBitmap, const CONF_INFO_TAG* p)
{
    const FONT_DEF* pF = pFont();
    const COLOR colorFrame = colorAt(COLOR_FRAME);
    const COLOR colorText = colorAt(COLOR_TEXT);
    const bool bTitleBand = p->pTitle != nullptr || p->pTitleIcon != nullptr;
    const S32 nBand = bTitleBand ? TITLE_BAND : 0;
    const S32 nIconWidth = p->pTitleIcon != nullptr ? (S32)G_ICON_u32GetWidth(p->pTitleIcon) : 0;
    const S32 nTitleWidth = p->pTitle != nullptr ? (S32)u32Width(p->pTitle) : 0;

    const S32 H = LINE_PITCH * p->nLines + (bTitleBand ? FRAME_WITH_TITLE : FRAME_WITHOUT_TITLE);
    S32 nWidest = 0;
    for (S32 i = 0; i < p->nLines; ++i)
        nWidest = std::max<S32>(nWidest, p->lines[i].u16WidthOfLine);
    const S32 T = nWidest + TEXT_MARGIN;
    const S32 A = nTitleWidth + 2 * nIconWidth;
    const S32 nChoices = (S32)(u32Width(p->pLeftChoice) + u32Width(p->pRightChoice));
    const S32 W = std::max(std::max(T, A) + BOX_MARGIN, nChoices);

    const S32 x = ((S32)pBitmap->pixels_wide - W) / 2;
    const S32 y = ((S32)pBitmap->pixels_high - H) / 2;
    const S32 top = y + H;

    POINT pt = {x, y};
    G_BOX_vDrawRounded(pBitmap, colorFrame, &pt, (U32)W, (U32)H, 5);
    pt = {x + 1, y + 1};
    G_BOX_vDrawRounded(pBitmap, colorFrame, &pt, (U32)(W - 2), (U32)(H - 2), 3);
    pt = {x + 2, y + 2};
    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(COLOR_FILL), &pt, (U32)(W - 4), (U32)(H - 4), 3);

    if (bTitleBand) {
        POINT from = {x, top - TITLE_BAND};
        POINT to = {x + W - 1, top - TITLE_BAND};
        G_LINE_vDraw(pBitmap, colorFrame, &from, &to);
        const S32 nTitleX = x + (W - nTitleWidth) / 2;
        if (p->pTitle != nullptr) {
            pt = {nTitleX, top - 28};
            G_STRING_vPut(pBitmap, colorText, &pt, pF, reinterpret_cast<const BYTE*>(p->pTitle));
        }
        if (p->pTitleIcon != nullptr) {
            pt = {nTitleX - nIconWidth - 6, top - 29};
            G_ICON_vPut(pBitmap, p->pTitleIcon, &pt);
        }
    }

    for (S32 i = 0; i < p->nLines; ++i) {
        char acLine[LINE_CHARS_DRAWN + 1];
        const size_t n = std::min<size_t>(p->lines[i].u8NumberOfCharsInLine, LINE_CHARS_DRAWN);
        memcpy(acLine, p->lines[i].pcStartOfText, n);
        acLine[n] = '\0';
        pt = {x + 10, top - nBand - LINE_PITCH * (i + 1)};
        G_STRING_vPut(pBitmap, colorText, &pt, pF, reinterpret_cast<const BYTE*>(acLine));
    }

    U_MENU_vDrawArrowLeft(pBitmap, POINT{x + 23, y + 5}, ARROW_LENGTH, colorText);
    pt = {x + 31, y + 9};
    G_STRING_vPut(pBitmap, colorText, &pt, pF, reinterpret_cast<const BYTE*>(p->pLeftChoice));
    U_MENU_vDrawArrowRight(pBitmap, POINT{x + W - 24, y + 5}, ARROW_LENGTH, colorText);
    pt = {x + W - 24 - (S32)u32Width(p->pRightChoice) - 4, y + 9};
    G_STRING_vPut(pBitmap, colorText, &pt, pF, reinterpret_cast<const BYTE*>(p->pRightChoice));
}

} // namespace

// Queueing ------------------------------------------------------------------------

void T_NAV_CONF_vSetup(const char* pStatement, CONF_FUNCTION* pYes, CONF_FUNCTION* pNo)
{
    vQueue(textOf(Confirm), &confirm_icon, pStatement, textOf(No), textOf(Yes), pNo, pYes);
}

void T_NAV_CONF_vShowOptions(const char* pTitle, const ICON* pTitleIcon, const char* pStatement,
                             const char* pLeftChoice, const char* pRightChoice, CONF_FUNCTION* pfLeftAction,
                             CONF_FUNCTION* pfRightAction)
{
    vQueue(pTitle, pTitleIcon, pStatement, pLeftChoice, pRightChoice, pfLeftAction, pfRightAction);
}

// Keys and drawing -------------------------------------------------------------------

BOOLEAN T_NAV_CONF_bHandleKeys(MSG_KEY_CHANGE* pMsg)
{
    if (pMsg == nullptr)
        return FALSE;
    L_MUTEX_LockWait(RES_NAV_CONF);
    if (s_pConf == nullptr) {
        L_MUTEX_Unlock(RES_NAV_CONF);
        return FALSE;
    }
    bool bAnswered = false;
    CONF_FUNCTION* pfnAnswer = nullptr;
    switch (pMsg->key) {
    case KEY_EXIT:
        pfnAnswer = s_pConf->pNo;
        bAnswered = true;
        break;
    case KEY_CURSOR:
        if (pMsg->cursor == CURSOR_EAST) {
            pfnAnswer = s_pConf->pYes;
            bAnswered = true;
        } else if (pMsg->cursor == CURSOR_WEST) {
            pfnAnswer = s_pConf->pNo;
            bAnswered = true;
        }
        break;
    case KEY_INFO:
    case KEY_GOTO:
    case KEY_MARK:
        break;
    default:
        L_MUTEX_Unlock(RES_NAV_CONF);
        return FALSE;
    }
    // The answered question leaves the queue before its callback runs, so
    // the callback may remove its own statement without touching the next
    // question.
    if (bAnswered)
        vDropHead();
    L_MUTEX_Unlock(RES_NAV_CONF);

    if (!bAnswered)
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
    else if (pfnAnswer != nullptr)
        pfnAnswer();
    else
        L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
    return TRUE;
}

void T_NAV_CONF_vRender(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    (void)psWindowSpec;
    const ERC erc = L_MUTEX_LockTime(RES_NAV_CONF, RENDER_WAIT_TICKS);
    if (erc != 0 && erc != -lsMUTEX_NESTED)
        return;
    if (s_pConf != nullptr && pBitmap != nullptr)
        vDraw(pBitmap, s_pConf);
    L_MUTEX_Unlock(RES_NAV_CONF);
}

// Removal ----------------------------------------------------------------------------

void T_NAV_CONF_vReset(U32 u32Priority)
{
    (void)u32Priority;
    L_MUTEX_LockWait(RES_NAV_CONF);
    const bool bWasOpen = s_pConf != nullptr;
    while (s_pConf != nullptr)
        vDropHead();
    L_MUTEX_Unlock(RES_NAV_CONF);
    if (bWasOpen)
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

void T_NAV_CONF_vRemoveAllMatching(const char* pStatement)
{
    L_MUTEX_LockWait(RES_NAV_CONF);
    bool bHeadChanged = false;
    while (s_pConf != nullptr && s_pConf->pStatement == pStatement) {
        vDropHead();
        bHeadChanged = true;
    }
    // The rest: a match right after a match, or at the tail, goes too.
    for (CONF_INFO_TAG* p = s_pConf; p != nullptr && p->pNext != nullptr;) {
        CONF_INFO_TAG* pNext = p->pNext;
        if (pNext->pStatement == pStatement) {
            p->pNext = pNext->pNext;
            H_MEMORY_vFree(pNext);
        } else {
            p = pNext;
        }
    }
    L_MUTEX_Unlock(RES_NAV_CONF);
    if (bHeadChanged)
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
}
