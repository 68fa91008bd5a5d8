// The navigation's Yes/No confirmation dialog: one modal question at a
// time, centred over whatever view is on screen in its own overlay layer.
//
// Questions queue in the order they are asked; only the oldest (the head)
// is shown. Queueing into an empty queue opens the dialog: the navigation
// task's mailbox takes the keys in the dialog class and the layer is
// registered; the dialog closes (keys and layer given back) when the last
// question is answered, removed or reset. The navigation task offers every
// key to T_NAV_CONF_bHandleKeys first; Exit and the cursor's east and west
// answer the head, which leaves the queue before its callback runs, so a
// callback may queue or remove questions, its own included.
//
// A question keeps pointers to its caller's texts, icon and callbacks;
// they must live as long as the question (callers pass language-table
// entries and functions). The statement's address identifies the question
// for T_NAV_CONF_vRemoveAllMatching.
//
// Threads: questions are queued from the navigation, radar, trolling-motor
// and card tasks, the keys are handled in the navigation task and the view
// task draws. RES_NAV_CONF (mutex 11) guards the queue and is held for no
// call out of this module other than the keyboard and view client calls:
// the answer callbacks run after it is released, so a callback may wait
// for anything, RES_NAV_DATA (mutex 9) included, and mutex 11 may be taken
// with mutex 9 held.
#pragma once

#include "graphics/g_icon.h"
#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "ui/u_dialog.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

// Constants ---------------------------------------------------------------

constexpr MUTEX RES_NAV_CONF = 11;
constexpr LAYER_ID NAV_CONF_LAYER = 292;
// Lines of a statement the dialog shows; a longer statement is cut.
constexpr U32 NAV_CONF_MAX_LINES = 10;
// The column the statement is broken to, in pixels.
constexpr U16 NAV_CONF_TEXT_WIDTH = 533;

// Types -------------------------------------------------------------------

typedef void CONF_FUNCTION(void);

// One queued question, from the program heap.
typedef struct tag_CONF_INFO_TAG {
    struct tag_CONF_INFO_TAG* pNext; // null at the tail
    const char* pStatement;          // the caller's, not copied
    U32 nLang;                       // the language when it was queued
    S32 nLines;
    LINEOFTEXT lines[NAV_CONF_MAX_LINES]; // stretches of pStatement
    CONF_FUNCTION* pYes;                  // right choice; null: none
    CONF_FUNCTION* pNo;                   // left choice and Exit; null: none
    const char* pTitle;                   // null: no title
    const ICON* pTitleIcon;               // null: no icon
    const char* pLeftChoice;
    const char* pRightChoice;
} CONF_INFO_TAG;

// Queueing ----------------------------------------------------------------

// The question with the title "Confirm:" and its icon, "No" on the left and
// "Yes" on the right, in the current language. A null statement is refused.
void T_NAV_CONF_vSetup(const char* pStatement, CONF_FUNCTION* pYes, CONF_FUNCTION* pNo);
// The same with the caller's title, icon and choice texts; the left action
// answers the left choice and Exit, the right action the right choice.
void T_NAV_CONF_vShowOptions(const char* pTitle, const ICON* pTitleIcon, const char* pStatement,
                             const char* pLeftChoice, const char* pRightChoice, CONF_FUNCTION* pfLeftAction,
                             CONF_FUNCTION* pfRightAction);

// Keys and drawing --------------------------------------------------------

// TRUE when the dialog used the key: Exit and the cursor's east and west
// answer (the callback, or a good key click when there is none); the other
// cursor directions, Info, Go To and Mark are refused with a bad key click.
// FALSE without a question or for any other key, which the caller's other
// handlers then see. Every key used asks for a frame.
BOOLEAN T_NAV_CONF_bHandleKeys(MSG_KEY_CHANGE* pMsg);
// NAV_CONF_LAYER's draw callback: the head question, when mutex 11 can be
// had within 100 ms.
void T_NAV_CONF_vRender(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// Removal -----------------------------------------------------------------

// Empties the queue without calling any callback; the argument is not used.
void T_NAV_CONF_vReset(U32 u32Priority);
// Removes every question whose statement is this very string (the same
// address), the one on show included, without calling its callbacks.
void T_NAV_CONF_vRemoveAllMatching(const char* pStatement);
