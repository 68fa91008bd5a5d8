// The viewer's keypad: the workstation's keys that stand for the unit's,
// and the writer that puts their presses and releases into the unit's
// keypad FIFO (ROOT/dev/input/event6) as key records.
//
// The writer never blocks: while no unit reads the FIFO (or it is not
// there, or full) a key is dropped, and the FIFO is opened again at the
// next key. The keyboard's own autorepeat is not passed on: the unit makes
// its repeats itself from how long a key is held.
#pragma once

#include "platform/dd_keyboard.h"

#include <SDL.h>

#include <string>

// The unit's key of a workstation key, or DKEY_NUM_KEYS for none.
DKEY_ID VIEW_KEYS_eKeyOf(SDL_Keycode key);

// The key map, one line per key, for --help and the README.
extern const char* const VIEW_KEYS_pcHelp;

class ViewKeypad {
public:
    explicit ViewKeypad(std::string fifoPath) : path_(std::move(fifoPath)) {}
    ~ViewKeypad();
    ViewKeypad(const ViewKeypad&) = delete;
    ViewKeypad& operator=(const ViewKeypad&) = delete;

    // A key went down (or up); bRepeat is the keyboard's autorepeat. TRUE
    // when a record reached the FIFO; a key of no unit key, a repeat, or a
    // press of a key already down writes nothing.
    bool key(SDL_Keycode key, bool bDown, bool bRepeat);
    // Releases every key held, as when the window loses the keyboard.
    void releaseAll();

private:
    bool write(DKEY_ID eKey, bool bDown);
    std::string path_;
    int fd_ = -1;
    bool held_[DKEY_NUM_KEYS] = {};
    std::string lastProblem_;
};
