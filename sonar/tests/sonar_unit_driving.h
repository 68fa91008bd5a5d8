// Driving the whole unit from a test, as a user would: keys through the
// keypad FIFO, the screen through vondrel-view's snapshots, and the way from
// the splash to the simulator that every sonar whole-unit test takes.
#pragma once

#include "graphics/tests/g_testing.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace sud {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

inline std::vector<std::string> env(const vt::TempRoot& root)
{
    return {"VONDREL_ROOT=" + root.path(), "VONDREL_CWD=" + root.cwd()};
}

// The screen now, or an empty picture when there is no frame buffer yet.
inline gt::Rgb snapshot(const vt::TempRoot& root, const char* name = "shot")
{
    const std::string png = root.at(std::string("/tmp/") + name + ".png");
    const vt::ProcResult r =
        vt::runProcess({vt::buildPath("tools/vondrel-view"), "--snapshot", png}, {"VONDREL_ROOT=" + root.path()});
    return r.status == 0 ? gt::readPng(png) : gt::Rgb{};
}

inline const U8* px(const gt::Rgb& shot, U32 x, U32 yFromTop) { return &shot.data[(yFromTop * shot.width + x) * 3]; }

// The share of the sampled pixels two pictures have in common.
inline double likeness(const gt::Rgb& a, const gt::Rgb& b)
{
    if (a.data.size() != b.data.size() || a.data.empty())
        return 0.0;
    size_t same = 0, all = 0;
    for (U32 y = 0; y < a.height; y += 3)
        for (U32 x = 0; x < a.width; x += 3, ++all)
            same += memcmp(px(a, x, y), px(b, x, y), 3) == 0;
    return (double)same / (double)all;
}

inline void tap(vt::Keypad& keypad, DKEY_ID key)
{
    ASSERT_TRUE(keypad.press(key));
    std::this_thread::sleep_for(milliseconds(120)); // the keys are scanned
    ASSERT_TRUE(keypad.release(key));
}

template <typename PRED>
bool waitFor(const PRED& pred, milliseconds timeout, milliseconds step = milliseconds(250))
{
    const auto until = Clock::now() + timeout;
    while (Clock::now() < until) {
        if (pred())
            return true;
        std::this_thread::sleep_for(step);
    }
    return pred();
}

// The unit under the root, with the demo recording in its working folder,
// once its key thread runs; the keypad opened on it.
inline void startUnit(const vt::TempRoot& root, vt::Keypad& keypad, std::unique_ptr<vt::Child>* pUnit)
{
    const vt::ProcResult rec =
        vt::runProcess({vt::buildPath("tools/vondrel-demorec"), root.cwd() + "/SONARSIM"}, {}, 60000);
    ASSERT_EQ(rec.status, 0) << rec.out << rec.err;
    *pUnit = std::make_unique<vt::Child>(std::vector<std::string>{vt::buildPath("app/vondrel"), "nodisclaimer"},
                                         env(root));
    ASSERT_TRUE((*pUnit)->waitForOutput("priority for \"key thread\"", 30000)) << (*pUnit)->out();
    ASSERT_TRUE(keypad.open()) << (*pUnit)->out();
}

// MENU on the splash until the start-up menu replaces it (keys pressed
// before the start-up task reads the keypad are lost), then "Simulator"
// (down, then right); the quick-setup menu of a fresh root opens a few
// seconds later and EXIT closes it.
inline void chooseSimulator(const vt::TempRoot& root, vt::Keypad& keypad)
{
    gt::Rgb splash;
    for (int i = 0; i < 50 && splash.data.empty(); ++i) {
        std::this_thread::sleep_for(milliseconds(200));
        splash = snapshot(root);
    }
    ASSERT_FALSE(splash.data.empty()) << "no frame buffer";
    bool menu = false;
    for (int i = 0; i < 8 && !menu; ++i) {
        tap(keypad, DKEY_MENU);
        std::this_thread::sleep_for(milliseconds(700));
        menu = likeness(snapshot(root), splash) < 0.97;
    }
    ASSERT_TRUE(menu) << "the start-up menu did not open";
    tap(keypad, DKEY_CURSOR_DOWN);
    std::this_thread::sleep_for(milliseconds(500));
    tap(keypad, DKEY_CURSOR_RIGHT);
    std::this_thread::sleep_for(seconds(8));
    tap(keypad, DKEY_EXIT);
    std::this_thread::sleep_for(seconds(2));
}

// After a failed test (or with DUMPUNIT set): the end of what the unit said
// (all of its standard error with DUMPUNIT), and whether it still runs. The
// unit is killed either way.
inline void endUnit(vt::Child* pUnit, bool bFailed)
{
    if (pUnit == nullptr)
        return;
    if (bFailed || getenv("DUMPUNIT")) {
        const std::string err = pUnit->err(), out = pUnit->out();
        std::cerr << "unit " << (pUnit->running() ? "running" : "gone") << "; standard error:\n"
                  << err.substr(err.size() > 6000 && !getenv("DUMPUNIT") ? err.size() - 6000 : 0)
                  << "\nstandard output:\n"
                  << out.substr(out.size() > 3000 ? out.size() - 3000 : 0) << "\n";
    }
    if (pUnit->running())
        pUnit->signal(SIGKILL);
}

} // namespace sud
