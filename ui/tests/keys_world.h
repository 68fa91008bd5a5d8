// The keypad in a test process: a unit root (the one this process already
// uses, or one of its own), the keypad driver reading its FIFO, and the
// test as the hand on the keys. A key is set through the FIFO and the test
// waits until the driver holds it, so every sample the test takes after
// that sees it. Time for the key layer and the keyboard task is stepped
// with the test clock; a sample planned at a change of state comes exactly
// on it, since the real time beneath only adds.
#pragma once

#include "kernel/l_clock.h"
#include "kernel/l_root.h"
#include "platform/dd_keyboard.h"
#include "testing/t_keypad.h"
#include "testing/t_root.h"
#include "ui/h_keyboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace keys {

inline const std::string& root()
{
    static vt::TempRoot owned;
    static const std::string path = [] {
        const char* set = getenv("VONDREL_ROOT");
        if (set && *set)
            return std::string(set);
        owned.exportEnv();
        return owned.path();
    }();
    return path;
}

// The FIFO's writer; the driver is started by the first H_KEYBOARD_vInit.
inline vt::Keypad& keypad()
{
    static vt::Keypad pad(root());
    static const bool opened = [] {
        L_ROOT_vMakeTree();
        DD_KEYBOARD_vInit();
        return pad.open();
    }();
    EXPECT_TRUE(opened) << "the driver makes and reads " << root() << "/dev/input/event6";
    return pad;
}

// Sets one physical key and waits until the driver holds it so.
inline void set(DKEY_ID key, bool held)
{
    ASSERT_TRUE(held ? keypad().press(key) : keypad().release(key));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((DD_KEYBOARD_bIsKeyDown(key) != FALSE) != held) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "key " << key << " never reached the driver";
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

inline void releaseAll()
{
    for (int k = 0; k < DKEY_NUM_KEYS; ++k)
        set((DKEY_ID)k, false);
}

// One event of the key layer, with the test-clock time of its sample.
struct Event {
    int at;
    HKEY_ID key;
    KEY_STATE state;
    U32 count;
    CURSOR_POSITION cursor;
    bool operator==(const Event&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Event& e)
{
    return os << "{" << e.at << " ms, key " << e.key << ", state " << e.state << ", count " << e.count
              << ", cursor " << e.cursor << "}";
}

// Samples the key layer as the keyboard task does and fetches every event.
inline std::vector<Event> sample(int at = 0, BOOLEAN* pbReported = nullptr)
{
    const BOOLEAN bReported = H_KEYBOARD_bProcessKeys();
    if (pbReported)
        *pbReported = bReported;
    std::vector<Event> out;
    Event e{at};
    while (H_KEYBOARD_bFetchKeyEvent(&e.key, &e.state, &e.count, &e.cursor))
        out.push_back(e);
    return out;
}

// Steps the test clock by ms in 25 ms samples, from time `from`, and
// collects the events.
inline std::vector<Event> run(int from, int ms)
{
    std::vector<Event> out;
    for (int t = from + 25; t <= from + ms; t += 25) {
        L_CLOCK_vAdvanceTestClock(25);
        for (const Event& e : sample(t))
            out.push_back(e);
    }
    return out;
}

} // namespace keys
