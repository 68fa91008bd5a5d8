// The unit's keypad for tests: writes key records into the keypad FIFO of a
// unit root (ROOT/dev/input/event6), as the viewer does, for a unit in a
// child process or for the keypad driver running in the test's own.
#pragma once

#include "platform/dd_keyboard.h"

#include <string>

namespace vt {

class Keypad {
public:
    explicit Keypad(std::string root) : root_(std::move(root)) {}
    ~Keypad();
    Keypad(const Keypad&) = delete;
    Keypad& operator=(const Keypad&) = delete;

    // Opens the FIFO for writing once the unit has made it and reads it;
    // false when that does not happen within timeoutMs.
    bool open(int timeoutMs = 10000);
    void close();

    // One key record of the physical key: value 1 pressed, 0 released.
    bool press(DKEY_ID key) { return event(DD_KEYBOARD_EV_KEY, DD_KEYBOARD_au16KeyCodes[key], 1); }
    bool release(DKEY_ID key) { return event(DD_KEYBOARD_EV_KEY, DD_KEYBOARD_au16KeyCodes[key], 0); }
    // Any record, and any bytes.
    bool event(U16 type, U16 code, S32 value);
    bool write(const void* pvBytes, size_t szBytes);

private:
    std::string root_;
    int fd_ = -1;
};

} // namespace vt
