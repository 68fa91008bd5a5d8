// The store demonstration, played by the keyboard task in the
// point-of-sale state ("CCST" = 6).
//
// With a script ("POSDemo.txt" in the root of card slot 0 or 1, else the
// built-in script of the current language) it plays a tutorial: views,
// simulated keys, data-store values, text balloons, photos and an exit
// prompt, with chapters the viewer enters by the right cursor key. Without
// a script it cycles four views. A key gives the viewer the unit for three
// minutes; then the demonstration starts over with every task reset.
//
// Script: one command a line (LF, CR or CR LF), leading and trailing white
// space dropped, empty lines skipped, "//" a comment, at most 99 characters
// a line (the rest is cut); the first word, at most 15 characters and of
// any case, is the command; reading wraps from the end to the start.
// Everything longer than its buffer is cut, and a sixth chapter on the
// stack is ignored. A bad line stops play with its message on the screen
// until the tutorial restarts; the unit keeps running.
//
// The player runs in the keyboard task; its layer is drawn by the view
// task. Both hold RES_POS_TUTORIAL around the script state, the balloon,
// the photo and the error.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

constexpr MUTEX RES_POS_TUTORIAL = 40;
constexpr LAYER_ID POS_MESSAGE_LAYER = 327;
constexpr SEMA SEMA_POS_PHOTO = 108; // the card task's signal that a photo is loaded
constexpr TICKS POS_PHOTO_WAIT_TICKS = 5000;
constexpr TICKS POS_FREE_USE_TICKS = 180000;

typedef enum tag_POS_COMMAND : int {
    BAD_COMMAND = 1,
    CHAPTER = 2,
    END_CHAPTER = 3,
    CHANGE_VIEW = 4,
    CHANGE_KEY = 5,
    WAIT = 6,
    BALLOON = 7,
    END_BALLOON = 8,
    NO_BALLOON = 9,
    MORE_INFO = 10,
    END_MORE_INFO = 11,
    SET_DB_ITEM = 12,
    DORRIMON = 13,
    DORRIMOFF = 14,
    PHOTO = 15,
    EXIT_MESSAGE_BOX = 16
} POS_COMMAND;

typedef enum tag_SCRIPT_LINE : int { BLANK_LINE = 1, COMMENT_LINE = 2, VALID_LINE = 3 } SCRIPT_LINE;

typedef enum tag_ERROR_CODE : int {
    NO_ERROR = 0,
    ERR_NO_VIEW = 1,
    ERR_BAD_VIEW = 2,
    ERR_NO_CHAPTER = 3,
    ERR_NO_KEY = 4,
    ERR_BAD_KEY = 5,
    ERR_NO_WAIT = 6,
    ERR_NO_BALLOON = 7,
    ERR_BALLOON_PARAMETERS = 8,
    ERR_NO_FCID = 9,
    ERR_NO_FCID_DATA = 10,
    ERR_POINTER_IN_BALLOON = 11,
    ERR_BAD_ANNOTATION = 12,
    ERR_NO_NAME = 13,
    ERR_NO_PHOTO = 14
} ERROR_CODE;

constexpr size_t POS_CHAPTER_NAME_BYTES = 30;
constexpr int POS_CHAPTER_STACK = 5;
constexpr size_t POS_TITLE_BYTES = 40;
constexpr size_t POS_BODY_BYTES = 500;
constexpr size_t POS_LINE_BYTES = 100;

typedef struct tag_CHAPTER_ITEM {
    char chapterName[POS_CHAPTER_NAME_BYTES];
    U32 chapterStart;
    U32 chapterResume;
} CHAPTER_ITEM;

typedef struct tag_D_BALLOON {
    char title[POS_TITLE_BYTES];
    U32 widthPixels;
    U8 heightLines;
    POINT llAnchor;
    POINT pointerAnchor;
    char text[POS_BODY_BYTES];
    BOOLEAN bActive;
    BOOLEAN bMoreInfo;
} D_BALLOON;

// ---- The keyboard task's calls ----

// At the task's start: the player's state cleared.
void T_KEYBOARD_vPOSReset(void);
// Before the events of a sample are handled.
void T_KEYBOARD_vPOSKeyHook(void);
// "CCST", "SDBV", "CSD0" and "CSD1" changed.
void T_KEYBOARD_vPOSHandleNewData(FOURCHARID key, U32 u32Value);
// CMD_ID_KEY_CHANGE to the keyboard task's own mailbox.
void T_KEYBOARD_vPOSHandleKey(const MSG_KEY_CHANGE* pKey);
// CMD_ID_RUN_SYSTEM.
void T_KEYBOARD_vPOSRunSystem(void);
// A tick of SEMA_TIMER_POS.
void T_KEYBOARD_vPOSStep(void);

// The keyboard task's side of a simulated key: one KEY_DOWN mail to the
// first user of the key whose mailbox is not the keyboard task's own;
// FALSE when there is none.
BOOLEAN T_KEYBOARD_bSendPOSKey(U32 u32KeyMask, CURSOR_POSITION cursor);

// Draw callback of POS_MESSAGE_LAYER.
void T_KEYBOARD_vDrawPOSMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The tutorial from the start again (EXIT, a card with a script).
void T_KEYBOARD_vRestartTutorial(void);

// ---- The script player, for its callers and tests ----

// Plays the script data (not copied; it must outlive play) from its start,
// as the built-in script would be; null or empty: the scriptless cycle.
void T_KEYBOARD_vPOSUseScript(const char* pcData, U32 u32Size);
// Reads and carries out the next script line; the delay before the next.
TICKS T_KEYBOARD_tProcessPOSScript(void);
// Copies of the player's state.
ERROR_CODE T_KEYBOARD_ePOSError(void);
D_BALLOON T_KEYBOARD_sPOSBalloon(void);
U32 T_KEYBOARD_u32POSOffset(void);
S8 T_KEYBOARD_s8POSActiveChapter(void);
S8 T_KEYBOARD_s8POSStackTop(void);
POINT T_KEYBOARD_sPOSExitAnchor(void);
// The text shown for an error code.
const char* T_KEYBOARD_pcPOSErrorText(ERROR_CODE eError);
// The built-in English tutorial.
extern const char T_KEYBOARD_acEnglishScript[];
