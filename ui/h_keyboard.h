// The key layer: the keypad's sixteen physical keys become thirteen
// logical keys, the four cursor keys folded into one cursor key with eight
// directions. The keyboard task samples it every 25 ms; each sample turns
// changes of the driver's flags into press and release events, and held
// keys into repeats: the first 500 ms after the press, then one every
// 125 ms, each carrying a count that rises by one per repeat when the key
// accelerates and stays 1 when it does not.
//
// A key's repeat, acceleration and cursor reading are set by the keyboard
// task from the key's current user (H_KEYBOARD_vSetupKey). The power key
// keeps the settings of H_KEYBOARD_vInit: it never repeats.
//
// Time comes from the kernel clock, so a test clock steps the repeats.
// Everything but H_KEYBOARD_bIsDown and H_KEYBOARD_bIsPowerPressed belongs to
// the keyboard task's thread.
#pragma once

#include "kernel/l_types.h"
#include "ui/u_keyboard.h"

// Logical keys, in the order their events are fetched.
typedef enum tag_HKEY_ID : int {
    HKEY_POWER = 0,
    HKEY_MENU = 1,
    HKEY_EXIT = 2,
    HKEY_VIEW = 3,
    HKEY_CURSOR = 4,
    HKEY_ZOOM_IN = 5,
    HKEY_ZOOM_OUT = 6,
    HKEY_MARK = 7,
    HKEY_GOTO = 8,
    HKEY_INFO = 9,
    HKEY_SOFT_KEY_1 = 10,
    HKEY_SOFT_KEY_2 = 11,
    HKEY_SOFT_KEY_3 = 12,
    HKEY_NUM_KEYS = 13
} HKEY_ID;

// Starts the keypad driver, gives every key its start settings (no
// repeat, not a cursor key; the cursor key CURSOR_4) and takes one sample
// whose events it drops: a key held at start gives no press, only its
// release.
void H_KEYBOARD_vInit(void);

// Sets the key's repeat, acceleration and cursor mode; an event of the key
// not yet fetched is dropped. With repeat the first repeat comes 500 ms
// from now, or 500 ms after the next press.
void H_KEYBOARD_vSetupKey(HKEY_ID key, BOOLEAN bRepeat, BOOLEAN bAccelerate, CURSOR_MODE cursor_mode);

// Samples the driver; TRUE when a press, release or repeat came. A change
// of cursor direction while the cursor key stays down is an event of its
// own but does not count in the result.
BOOLEAN H_KEYBOARD_bProcessKeys(void);

// Takes the event of the lowest-numbered key that has one; FALSE when none
// has. The count is the key's repeat count, the cursor its direction
// (CURSOR_UP for keys other than the cursor).
BOOLEAN H_KEYBOARD_bFetchKeyEvent(HKEY_ID* phKey, KEY_STATE* pState, U32* pu32RepeatCount,
                                  CURSOR_POSITION* pCursor);

// The key was down at the last sample.
BOOLEAN H_KEYBOARD_bIsDown(HKEY_ID key);
// The driver's power flag now, without a sample.
BOOLEAN H_KEYBOARD_bIsPowerPressed(void);
