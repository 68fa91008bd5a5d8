// The keypad driver: a plain thread reads the keypad's Linux input device
// and keeps one pressed/released flag per physical key; the key layer
// above copies the flags at each of its samples.
//
// The device gives the host's struct input_event records. Only key
// records (type 1) with value 0 (released) or 1 (pressed) of the sixteen
// codes in DD_KEYBOARD_au16KeyCodes change a flag; autorepeat records
// (value 2), other codes and other record types are ignored.
//
// Under a unit root the device ROOT/dev/input/event6 is a FIFO. The driver
// makes it when it is missing and opens it read-write, so that it always
// holds a writer itself: writers (the viewer, tests) may come and go
// without the reader ever seeing end of file.
#pragma once

#include "kernel/l_types.h"

#include <atomic>
#include <sys/time.h>

typedef enum tag_DKEY_ID : int {
    DKEY_POWER = 0,
    DKEY_MENU = 1,
    DKEY_EXIT = 2,
    DKEY_VIEW = 3,
    DKEY_ZOOM_IN = 4,
    DKEY_ZOOM_OUT = 5,
    DKEY_MARK = 6,
    DKEY_GOTO = 7,
    DKEY_INFO = 8,
    DKEY_CURSOR_UP = 9,
    DKEY_CURSOR_DOWN = 10,
    DKEY_CURSOR_LEFT = 11,
    DKEY_CURSOR_RIGHT = 12,
    DKEY_SOFT_KEY_1 = 13,
    DKEY_SOFT_KEY_2 = 14,
    DKEY_SOFT_KEY_3 = 15,
    DKEY_NUM_KEYS = 16
} DKEY_ID;

// One record of the device, the host's struct input_event: a struct
// timeval, the 16-bit type and code and the 32-bit value; 24 bytes on this
// machine (16 on the unit). Spelled out here so that the Linux header,
// whose key names clash with the system's, stays in the driver.
constexpr size_t DD_KEYBOARD_EVENT_BYTES = sizeof(struct timeval) + 2 * sizeof(U16) + sizeof(S32);
constexpr U16 DD_KEYBOARD_EV_KEY = 1;
constexpr S32 DD_KEYBOARD_RELEASED = 0;
constexpr S32 DD_KEYBOARD_PRESSED = 1;
constexpr S32 DD_KEYBOARD_AUTOREPEAT = 2;

// The input code the keypad reports for each physical key, by DKEY_ID.
extern const U16 DD_KEYBOARD_au16KeyCodes[DKEY_NUM_KEYS];

// The physical key of an input code, or DKEY_NUM_KEYS for a code the
// keypad does not have.
DKEY_ID DD_KEYBOARD_eKeyOfCode(U16 u16Code);

// One record, field by field in the host's byte order; the time is the
// host's wall clock.
void DD_KEYBOARD_vEncodeEvent(U8* pu8Record, U16 u16Type, U16 u16Code, S32 s32Value);

// The reader's state between two reads of the device: the start of a
// record that a read cut off.
typedef struct tag_DD_KEYBOARD_READER {
    U8 au8Pending[DD_KEYBOARD_EVENT_BYTES];
    size_t szPending;
} DD_KEYBOARD_READER;

// Takes the bytes of one read: completes a record begun by the previous
// read, applies every whole record to the flags and keeps the start of a
// record that is cut off for the next read.
void DD_KEYBOARD_vReadBytes(DD_KEYBOARD_READER* pReader, const U8* pu8Bytes, size_t szBytes,
                            std::atomic<BOOLEAN>* pabState);

// Starts the driver thread "keyboard" unless it exists; the flags are
// cleared when it is started.
void DD_KEYBOARD_vInit(void);
// Copies the 16 flags into pbList (DKEY_NUM_KEYS entries), after stepping
// the fake key of the option fake_key.
void DD_KEYBOARD_vGetState(BOOLEAN* pbList);
// One flag as the driver holds it, without the fake-key step.
BOOLEAN DD_KEYBOARD_bIsKeyDown(DKEY_ID eKey);
void DD_KEYBOARD_vPhasedScan(void);
