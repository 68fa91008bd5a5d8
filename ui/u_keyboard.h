// The keyboard task's client side: the key identities and event types
// every task that takes keys shares, the mails that register, remove and
// deliver keys, and the two calls any task makes to take keys and give them
// back.
//
// A key is named by its mask bit. A task registers a mask of keys with a
// class (KEY_USAGE); per key the keyboard task keeps its users ordered by
// class, the latest of equal classes first, and mails each event of the key
// to the first user only. A higher class thus takes a key from a lower one
// while it holds it, and gives it back when it removes its registration.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"

// Key mask bits; 0x400 belongs to no key.
constexpr U32 KEY_POWER = 0x1;
constexpr U32 KEY_VIEW = 0x2;
constexpr U32 KEY_MENU = 0x4;
constexpr U32 KEY_EXIT = 0x8;
constexpr U32 KEY_CURSOR = 0x10;
constexpr U32 KEY_ZOOM_IN = 0x20;
constexpr U32 KEY_ZOOM_OUT = 0x40;
constexpr U32 KEY_MARK = 0x80;
constexpr U32 KEY_GOTO = 0x100;
constexpr U32 KEY_INFO = 0x200;
constexpr U32 KEY_SOFT_KEY_1 = 0x800;
constexpr U32 KEY_SOFT_KEY_2 = 0x1000;
constexpr U32 KEY_SOFT_KEY_3 = 0x2000;

typedef enum tag_KEY_STATE : int { KEY_UP = 1, KEY_DOWN = 2, KEY_CHANGE = 3 } KEY_STATE;
typedef enum tag_CURSOR_MODE : int { CURSOR_4 = 1, CURSOR_8 = 2, NOT_CURSOR_KEY = 3 } CURSOR_MODE;
// Directions clockwise from north; CURSOR_UP is no cursor key held.
typedef enum tag_CURSOR_POSITION : int {
    CURSOR_NORTH = 1,
    CURSOR_NORTH_EAST = 2,
    CURSOR_EAST = 3,
    CURSOR_SOUTH_EAST = 4,
    CURSOR_SOUTH = 5,
    CURSOR_SOUTH_WEST = 6,
    CURSOR_WEST = 7,
    CURSOR_NORTH_WEST = 8,
    CURSOR_UP = 9,
    CURSOR_ILLEGAL = 10
} CURSOR_POSITION;

// The registration class; a higher value outranks a lower one.
typedef enum tag_KEY_USAGE : int {
    REGISTER_BASIC = 1,
    REGISTER_EXCLUSIVE = 2,
    REGISTER_VIEW = 3,
    REGISTER_POP_UP = 4,
    REGISTER_MENU = 5,
    REGISTER_DIALOG_BOX = 6,
    REGISTER_POS_TUTORIAL = 7,
    REGISTER_SYSTEM_STATUS = 8,
    REGISTER_PC_CONNECT = 9,
    REGISTER_ALARM = 10,
    REGISTER_CONTRAST = 11,
    REGISTER_SCREEN_CAPTURE = 12,
    REGISTER_STARTUP = 13,
    REGISTER_REFLASH = 14,
    REGISTER_DIAGNOSTIC = 15
} KEY_USAGE;

typedef enum tag_SHUTDOWN_TYPE : int { POWER_DOWN = 1, RESET = 2 } SHUTDOWN_TYPE;
// The stage the shutdown message shows.
typedef enum tag_SHUTDOWN_MESSAGE : int {
    FIRST_SHUTDOWN_MESSAGE = 1,
    SECOND_SHUTDOWN_MESSAGE = 2,
    LAST_SHUTDOWN_MESSAGE = 3
} SHUTDOWN_MESSAGE;

constexpr SEMA SEMA_KEYBOARD_LONG_GOTO = 101; // GOTO held 1500 ms
constexpr SEMA SEMA_KEYCLICK_GOOD = 102;      // a key was taken
constexpr SEMA SEMA_KEYCLICK_BAD = 103;       // a key was refused
constexpr SEMA SEMA_SHUTDOWN_KEYB = 105;      // acknowledgements of shutdown mails

constexpr PRIORITY KEY_MAIL_PRIORITY = 1; // key events, ahead of ordinary mails

// CMD_ID_REGISTER_FOR_KEYS. With keys exactly KEY_POWER only the power key
// is registered; otherwise the power bit is ignored. The keyboard task sets
// pass when a key was registered.
typedef struct tag_MSG_REGISTER_FOR_KEYS {
    GENERIC_MESSAGE header;
    U32 keys;
    U32 flag; // copied into every key mail of the registration
    MBOX mailbox;
    KEY_STATE state; // KEY_DOWN presses and repeats, KEY_UP releases, KEY_CHANGE both
    KEY_USAGE usage;
    CURSOR_MODE cursor_mode;
    BOOLEAN repeat;
    BOOLEAN accelerate;
    BOOLEAN pass;
} MSG_REGISTER_FOR_KEYS;

// CMD_ID_UNREGISTER_FOR_KEYS: removes the first registration of the
// mailbox from each key of the mask, the power key included.
typedef struct tag_MSG_UNREGISTER_FOR_KEYS {
    GENERIC_MESSAGE header;
    U32 keys;
    MBOX mailbox;
} MSG_UNREGISTER_FOR_KEYS;

// CMD_ID_KEY_CHANGE, sent at KEY_MAIL_PRIORITY without a semaphore: the
// receiver frees it.
typedef struct tag_MSG_KEY_CHANGE {
    GENERIC_MESSAGE header;
    U32 key;                // the key's mask bit
    KEY_STATE state;        // KEY_DOWN or KEY_UP
    U32 count;              // 1 for a press, rising with accelerated repeats
    CURSOR_POSITION cursor; // CURSOR_UP for keys other than the cursor
    U32 flag;               // the user's registration flag
} MSG_KEY_CHANGE;

// CMD_ID_INITIATE_SHUTDOWN: power off, or reset, when exactly one is set.
typedef struct tag_MSG_INITIATE_SHUTDOWN {
    GENERIC_MESSAGE header;
    BOOLEAN bReset;
    BOOLEAN bPowerOff;
} MSG_INITIATE_SHUTDOWN;

// Each sends its mail to the mailbox published under "TKBD" at mail
// priority 3 without a semaphore and returns TRUE, which says only that the
// mail went out; FALSE, with nothing sent, while "TKBD" is absent or not
// valid. A registration made before the keyboard task runs is thus lost:
// a task that must have a key retries until the call succeeds. The flag
// of a registration made here is 0.
BOOLEAN U_KEYBOARD_bRegisterKeys(MBOX mboxOwner, U32 u32Keys, KEY_STATE state, BOOLEAN bRepeat,
                                 BOOLEAN bAccelerate, CURSOR_MODE cursorMode, KEY_USAGE usage);
BOOLEAN U_KEYBOARD_bUnregisterKeys(MBOX mboxOwner, U32 u32Keys);
