// The sonar confirmation statement (see the header). The queue holds at
// most one statement in practice, since a setup while one is up is
// refused; the queue shape stays so that reset and removal are one path.
//
// The "already up" test and set happen under the mutex: the deploy and
// retract actions call setup from the menu task too, and two setups racing
// past an unlocked test would both register the keys and the layer.
#include "sonar/history/t_n_history_conf.h"

#include "sonar/dsp/s_transducer_menus.h" // the 360 split view priorities
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "ui/u_menu.h"

#include <algorithm>
#include <cstring>

namespace {

#define CONF_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Yes = CONF_TEXT("Yes");
TEXT_TABLE No = CONF_TEXT("No");

constexpr COLOR C_OUTLINE = 67;
constexpr COLOR C_FILL = 35;
constexpr COLOR C_TEXT = 68;
constexpr U32 KEYS_NOTICE = 0xFFEE;      // every key but power and cursor
constexpr U32 KEYS_NOTICE_DROP = 0xFFFE; // every key but power
constexpr U32 SCREEN_WIDTH = 800;
constexpr U16 FULL_WRAP = 576;
constexpr U32 LINE_PITCH = 24;

CONF_INFO_NODE* s_pConf = nullptr;
U8 s_u8Mode = 0;
U32 s_u32SelfClose = 0;
BOOLEAN s_bDialogPopuped = FALSE;
BOOLEAN s_bDisplayOnSplit = FALSE;
U32 s_u32SplitSize = 100;
U16 s_u16WrapWidth = FULL_WRAP;
char cBuffer[102];
t_n_history_conf::SNAPSHOT s_lastBox{};

const FONT_DEF* font() { return std_16x17_font_def_ptr.load(); }

COLOR colour(COLOR index) { return gCOLOR_pcolColorTable[index]; }

void vUnregisterWhenEmpty(void)
{
    if (s_pConf != nullptr)
        return;
    U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, s_u8Mode == 0 ? KEYS_NOTICE_DROP : KEY_CURSOR);
    U_VIEW_bUnRegisterLayer(SWEEP_NOTE_LAYER);
}

void vFreeHead(void)
{
    CONF_INFO_NODE* p = s_pConf;
    s_pConf = p->pNext;
    vUnregisterWhenEmpty();
    H_MEMORY_vFree(p);
}

// Good click, the statement answered; the head goes unless the answer
// function has already emptied the queue.
BOOLEAN bRemoveHead(void)
{
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    s_bDialogPopuped = FALSE;
    s_u32SelfClose = 0;
    if (s_pConf != nullptr)
        vFreeHead();
    return TRUE;
}

BOOLEAN bRefuse(void)
{
    L_SEMA_Signal(SEMA_KEYCLICK_BAD);
    return TRUE;
}

U32 u32SplitKey(FOURCHARID key)
{
    U32 value = 0;
    if (!H_DATABASE_bFetchU32(key, &value, nullptr, nullptr))
        value = 0;
    return value;
}

void vSendSelfCloseKey(void)
{
    auto* pMail = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMalloc(sizeof(MSG_KEY_CHANGE)));
    memset(pMail, 0, sizeof *pMail);
    pMail->header.Cmd = CMD_ID_KEY_CHANGE;
    pMail->key = KEY_CURSOR;
    pMail->state = KEY_DOWN;
    pMail->cursor = CURSOR_WEST;
    if (L_MBOX_Send(HISTORY_MAILBOX, &pMail->header.msghdr, KEY_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

} // namespace

void T_N_HISTORY_CONF_vDivideStatement(CONF_INFO_NODE* p)
{
    U32 u32Split = 100; // above 50: no split
    const LAYER_ID view = U_VIEW_eCurrentView();
    if (view == SONAR_PPI_PLUS_2D_VIEW_PRIORITY)
        u32Split = u32SplitKey(FCID("SZP2"));
    else if (view == SONAR_PPI_PLUS_CHART_VIEW_PRIORITY)
        u32Split = u32SplitKey(FCID("SZPC"));
    if (u32Split <= 50) {
        s_bDisplayOnSplit = TRUE;
        s_u32SplitSize = 100 - u32Split;
        s_u16WrapWidth = (U16)(((s_u32SplitSize * SCREEN_WIDTH - 8000) / 100) * 8 / 10);
    } else {
        s_bDisplayOnSplit = FALSE;
        s_u32SplitSize = 100;
        s_u16WrapWidth = FULL_WRAP;
    }
    // The divider may give up to 20 lines; the box holds 10, so a longer
    // statement is cut after its tenth line rather than written past them.
    LINEOFTEXT scratch[U_DIALOG_MAX_LINES];
    const U16 n = U_DIALOG_u16ExtractTextIntoLines(p->pStatement, scratch, font(), s_u16WrapWidth);
    p->nLines = std::min<int>(n, (int)CONF_MAX_LINES);
    std::copy(scratch, scratch + p->nLines, p->lines);
}

void T_N_HISTORY_CONF_vSetup(const char* pStatement, CONF_ANSWER* pYes, CONF_ANSWER* pNo, U8 mode, U32 selfclose)
{
    L_MUTEX_LockWait(RES_HISTORY_CONF);
    if (s_bDialogPopuped) {
        L_MUTEX_Unlock(RES_HISTORY_CONF);
        log_me("[%d]: t_n_history - dialog already popped up, return\n", 507);
        return;
    }
    auto* p = static_cast<CONF_INFO_NODE*>(H_MEMORY_pvMalloc(sizeof(CONF_INFO_NODE)));
    memset(p, 0, sizeof *p);
    s_bDialogPopuped = TRUE;
    p->pNext = nullptr;
    p->pStatement = pStatement;
    p->nLang = nCurrentLanguage();
    T_N_HISTORY_CONF_vDivideStatement(p);
    p->pYes = pYes;
    p->pNo = pNo;
    s_u8Mode = mode;
    s_u32SelfClose = selfclose != 0 ? H_TICK_u32ReadFreeRunningTimerInMilliSeconds() + selfclose * 1000 : 0;
    if (s_pConf == nullptr) {
        s_pConf = p;
        U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEY_CURSOR, KEY_DOWN, TRUE, TRUE, CURSOR_4, REGISTER_POP_UP);
        if (mode == 0)
            U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEYS_NOTICE, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                                     REGISTER_POP_UP);
        U_VIEW_bRegisterLayer(T_N_HISTORY_CONF_vRender, SWEEP_NOTE_LAYER, (LAYER_ID)-1, 0, 0, TRUE, nullptr,
                              nullptr, nullptr);
    } else {
        CONF_INFO_NODE* tail = s_pConf;
        while (tail->pNext != nullptr)
            tail = tail->pNext;
        tail->pNext = p;
    }
    L_MUTEX_Unlock(RES_HISTORY_CONF);
}

BOOLEAN T_N_HISTORY_CONF_bHandleKeys(const MSG_KEY_CHANGE* pMsg)
{
    L_MUTEX_LockWait(RES_HISTORY_CONF);
    BOOLEAN bTaken = FALSE;
    if (s_pConf == nullptr) {
        bTaken = FALSE;
    } else if (s_u8Mode == 0) {
        s_bDialogPopuped = FALSE;
        s_u32SelfClose = 0;
        vFreeHead();
        L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
        bTaken = TRUE;
    } else if (pMsg->key == KEY_CURSOR) {
        if (pMsg->cursor == CURSOR_EAST) {
            if (s_pConf->pYes != nullptr)
                s_pConf->pYes();
            bTaken = bRemoveHead();
        } else if (pMsg->cursor == CURSOR_WEST) {
            if (s_pConf->pNo != nullptr)
                s_pConf->pNo();
            // The mode is read again: the answer may have set up anew.
            bTaken = s_u8Mode == 1 ? bRefuse() : bRemoveHead();
        } else {
            bTaken = bRefuse();
        }
    } else if (pMsg->key == KEY_INFO || pMsg->key == KEY_GOTO || pMsg->key == KEY_MARK) {
        bTaken = bRefuse();
    }
    L_MUTEX_Unlock(RES_HISTORY_CONF);
    return bTaken;
}

void T_N_HISTORY_CONF_vReset(U32 /*u32Priority*/)
{
    L_MUTEX_LockWait(RES_HISTORY_CONF);
    while (s_pConf != nullptr) {
        s_bDialogPopuped = FALSE;
        s_u32SelfClose = 0;
        vFreeHead();
    }
    L_MUTEX_Unlock(RES_HISTORY_CONF);
}

void T_N_HISTORY_CONF_vRender(BITMAP* pBitmap, WINDOW_SPECIFICATION* /*psWindowSpec*/)
{
    L_MUTEX_LockWait(RES_HISTORY_CONF);
    if (CONF_INFO_NODE* p = s_pConf) {
        U32 m = 0;
        for (int i = 0; i < p->nLines; ++i)
            m = std::max<U32>(m, p->lines[i].u16WidthOfLine);
        const S32 W = (S32)m + 15;
        const S32 H = p->nLines * (S32)LINE_PITCH + (s_u8Mode == 0 ? 17 : 50);
        // Divided again each frame: the split may have moved since setup.
        T_N_HISTORY_CONF_vDivideStatement(p);
        S32 x0 = ((S32)SCREEN_WIDTH - W) / 2;
        if (s_bDisplayOnSplit) {
            const S32 pane = (S32)(s_u32SplitSize * SCREEN_WIDTH / 100);
            x0 = (S32)((80000 - s_u32SplitSize * SCREEN_WIDTH) / 100) + (pane - W) / 2;
        }
        const S32 y0 = ((S32)pBitmap->pixels_high - H) / 2;
        s_lastBox.x0 = x0;
        s_lastBox.y0 = y0;
        s_lastBox.W = W;
        s_lastBox.H = H;

        POINT at{x0, y0};
        G_BOX_vDrawRounded(pBitmap, colour(C_OUTLINE), &at, (U32)W, (U32)H, 5);
        at = {x0 + 1, y0 + 1};
        G_BOX_vDrawRounded(pBitmap, colour(C_OUTLINE), &at, (U32)(W - 2), (U32)(H - 2), 3);
        at = {x0 + 2, y0 + 2};
        G_BOX_vDrawRoundedFilled(pBitmap, colour(C_FILL), &at, (U32)(W - 4), (U32)(H - 4), 3);

        for (int i = 0; i < p->nLines; ++i) {
            const size_t n = std::min<size_t>(p->lines[i].u8NumberOfCharsInLine, 100);
            memcpy(cBuffer, p->lines[i].pcStartOfText, n);
            cBuffer[n] = '\0';
            at = {x0 + 10, y0 + H - 27 - (S32)LINE_PITCH * i};
            G_STRING_vPut(pBitmap, colour(C_TEXT), &at, font(), reinterpret_cast<const BYTE*>(cBuffer));
        }
        if (s_u8Mode == 2) {
            U_MENU_vDrawArrowLeft(pBitmap, POINT{x0 + 23, y0 + 5}, 26, colour(C_TEXT));
            at = {x0 + 31, y0 + 9};
            G_STRING_vPut(pBitmap, colour(C_TEXT), &at, font(), reinterpret_cast<const BYTE*>(No[p->nLang]));
        }
        if (s_u8Mode == 1 || s_u8Mode == 2) {
            U_MENU_vDrawArrowRight(pBitmap, POINT{x0 + W - 24, y0 + 5}, 26, colour(C_TEXT));
            const BYTE* yes = reinterpret_cast<const BYTE*>(Yes[p->nLang]);
            at = {x0 + W - 28 - (S32)G_STRING_u32GetWidth(font(), yes), y0 + 9};
            G_STRING_vPut(pBitmap, colour(C_TEXT), &at, font(), yes);
        }
    }
    if (s_u32SelfClose != 0 && H_TICK_u32ReadFreeRunningTimerInMilliSeconds() > s_u32SelfClose) {
        s_u32SelfClose = 0;
        vSendSelfCloseKey();
    }
    L_MUTEX_Unlock(RES_HISTORY_CONF);
}

t_n_history_conf::SNAPSHOT t_n_history_conf::sSnapshot(void)
{
    L_MUTEX_LockWait(RES_HISTORY_CONF);
    SNAPSHOT s = s_lastBox;
    s.bUp = s_bDialogPopuped;
    s.nLines = s_pConf != nullptr ? s_pConf->nLines : 0;
    s.nLang = s_pConf != nullptr ? s_pConf->nLang : 0;
    s.u8Mode = s_u8Mode;
    s.u32SelfClose = s_u32SelfClose;
    s.bOnSplit = s_bDisplayOnSplit;
    s.u32SplitSize = s_u32SplitSize;
    s.u16WrapWidth = s_u16WrapWidth;
    L_MUTEX_Unlock(RES_HISTORY_CONF);
    return s;
}
