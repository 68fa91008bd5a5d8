// The sonar confirmation statement: a short text in a rounded box over
// whatever view is on screen, optionally answered with the left ("No") and
// right ("Yes") cursor keys, and optionally answering itself with the left
// key after a time. At most one statement is up at a time; a setup while
// one is up is dropped.
//
// Setup, key handling and reset run in the history task; drawing (layer
// 229) runs in the view task. Mutex 99 guards everything; the answer
// functions run with it held and may call T_N_HISTORY_CONF_vReset (the
// mutex nests for its owner).
#pragma once

#include "kernel/l_types.h"
#include "ui/u_dialog.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

constexpr LAYER_ID SWEEP_NOTE_LAYER = 229;
constexpr U32 CONF_MAX_LINES = 10;

typedef void CONF_ANSWER(void);

typedef struct CONF_INFO_TAG {
    struct CONF_INFO_TAG* pNext;
    const char* pStatement; // not copied: the caller's text outlives the statement
    U32 nLang;              // the language at setup; picks "Yes" and "No"
    int nLines;
    LINEOFTEXT lines[CONF_MAX_LINES];
    CONF_ANSWER* pYes;
    CONF_ANSWER* pNo;
} CONF_INFO_NODE;

// mode: 0 notice (any key removes it), 1 "Yes" only, 2 "No" and "Yes".
// selfclose in seconds, 0 = never.
void T_N_HISTORY_CONF_vSetup(const char* pStatement, CONF_ANSWER* pYes, CONF_ANSWER* pNo, U8 mode, U32 selfclose);
// TRUE when the key was taken by the statement.
BOOLEAN T_N_HISTORY_CONF_bHandleKeys(const MSG_KEY_CHANGE* pMsg);
// Removes every statement without calling its functions; the argument is
// not used.
void T_N_HISTORY_CONF_vReset(U32 u32Priority);
// Draw callback of SWEEP_NOTE_LAYER; also sends the self-close key.
void T_N_HISTORY_CONF_vRender(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// Divides the statement for the current screen layout (at most 10 lines
// are kept).
void T_N_HISTORY_CONF_vDivideStatement(CONF_INFO_NODE* p);

namespace t_n_history_conf {

// What a test may look at: the statement on screen and its box as last
// drawn.
struct SNAPSHOT {
    BOOLEAN bUp;      // a statement is up
    int nLines;       // lines of the head, 0 when none
    U32 nLang;        // language of the head
    U8 u8Mode;
    U32 u32SelfClose; // 0 = never
    BOOLEAN bOnSplit;
    U32 u32SplitSize;
    U16 u16WrapWidth; // of the last division
    S32 x0, y0, W, H; // box of the last frame drawn
};
SNAPSHOT sSnapshot(void);

} // namespace t_n_history_conf
