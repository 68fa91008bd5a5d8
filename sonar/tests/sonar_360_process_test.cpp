// The whole unit with the 360 transducer as its connected transducer (kept
// in the settings files of a fresh root): in the simulator VIEW reaches the
// 360 view, whose sweep line turns and fills sectors between two of
// vondrel-view's snapshots 3 s apart; then "Retract" from the view's hot
// menu leaves an empty 360 window with the unit's statement over it.
#include "graphics/tests/g_testing.h"
#include "sonar/tests/sonar_unit_driving.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <set>
#include <thread>

namespace {

using namespace sud;

bool white(const U8* p) { return p[0] > 220 && p[1] > 220 && p[2] > 220; }
bool black(const U8* p) { return p[0] < 16 && p[1] < 16 && p[2] < 16; }

// The full-screen 360 picture: a circle of radius 238 about (400, 248)
// with a white outline, black outside it.
constexpr double CX = 400.0, CY = 248.0, OUTLINE = 238.0;

U32 x(double r, double a) { return (U32)std::lround(CX + r * std::sin(a)); }
U32 y(double r, double a) { return (U32)std::lround(CY - r * std::cos(a)); }

bool showsThe360Outline(const gt::Rgb& shot)
{
    if (shot.width != 800 || shot.height != 600)
        return false;
    int found = 0;
    const int samples = 72;
    for (int i = 0; i < samples; ++i) {
        const double a = 2.0 * M_PI * i / samples;
        bool hit = false;
        for (double r = OUTLINE - 5; r <= OUTLINE + 5 && !hit; r += 1.0)
            hit = white(px(shot, x(r, a), y(r, a)));
        found += hit;
    }
    return found >= samples * 3 / 4 && black(px(shot, 30, 60)) && black(px(shot, 770, 60));
}

// The directions (in 1/360 of a turn) where a white line crosses the circle
// of radius 150, which lies between the range rings: the sweep line.
std::set<int> sweepLine(const gt::Rgb& shot)
{
    std::set<int> out;
    for (int i = 0; i < 720; ++i) {
        const double a = 2.0 * M_PI * i / 720;
        if (white(px(shot, x(150, a), y(150, a))))
            out.insert(i / 2);
    }
    return out;
}

// The share of the picture inside the outline that differs.
double changedInside(const gt::Rgb& a, const gt::Rgb& b)
{
    size_t changed = 0, all = 0;
    for (U32 yy = 20; yy < 480; yy += 2)
        for (U32 xx = 170; xx < 630; xx += 2) {
            const double dx = xx - CX, dy = yy - CY;
            if (dx * dx + dy * dy > 225.0 * 225.0)
                continue;
            ++all;
            changed += memcmp(px(a, xx, yy), px(b, xx, yy), 3) != 0;
        }
    return all ? (double)changed / (double)all : 0.0;
}

void put(std::string& entries, std::string& bits, U32 slot, U32 value)
{
    for (int i = 0; i < 4; ++i)
        entries[slot * 4 + i] = (char)(value >> (8 * i));
    const U32 word = slot / 32, bit = slot % 32;
    bits[word * 4 + bit / 8] = (char)(bits[word * 4 + bit / 8] | (1 << (bit % 8)));
}

// The settings files of a unit whose chosen and default transducer is the
// 360 one: "SSTS" and "SSTD" = 16, with the files' version.
void keepThe360TransducerChosen(const vt::TempRoot& root)
{
    auto v = [](char c) { return (U32)(c <= '9' ? c - '0' : c - 'A' + 10); };
    auto slot = [&](const char* k) { return 1296 * v(k[1]) + 36 * v(k[2]) + v(k[3]); };
    std::string entries(46659 * 4, '\0'), bits(1459 * 4, '\0');
    put(entries, bits, 46656, 0xFFFFFFF8); // "NVER"
    put(entries, bits, slot("SSTS"), 16);
    put(entries, bits, slot("SSTD"), 16);
    ASSERT_TRUE(vt::writeFile(root.cwd() + "/nvr_entries.dat", entries));
    ASSERT_TRUE(vt::writeFile(root.cwd() + "/nvr_statbit.dat", bits));
}

class The360Unit : public ::testing::Test {
protected:
    void SetUp() override
    {
        keepThe360TransducerChosen(root_);
        ASSERT_NO_FATAL_FAILURE(sud::startUnit(root_, keypad_, &unit_));
    }
    void TearDown() override { sud::endUnit(unit_.get(), HasFailure()); }
    // The simulator from the start-up menu, the quick setup closed.
    void startTheSimulator() { sud::chooseSimulator(root_, keypad_); }
    void viewThe360Picture()
    {
        bool shown = false;
        for (int i = 0; i < 12 && !shown; ++i) {
            tap(keypad_, DKEY_VIEW);
            const auto until = Clock::now() + milliseconds(4000);
            while (!shown && Clock::now() < until) {
                std::this_thread::sleep_for(milliseconds(250));
                shown = showsThe360Outline(snapshot(root_));
            }
        }
        ASSERT_TRUE(shown) << "the 360 view never showed";
    }
    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
};

TEST_F(The360Unit, TheSweepTurnsAndRetractLeavesAnEmptyWindowWithAStatement)
{
    ASSERT_NO_FATAL_FAILURE(startTheSimulator());
    ASSERT_NO_FATAL_FAILURE(viewThe360Picture());

    std::this_thread::sleep_for(seconds(3));
    const gt::Rgb first = snapshot(root_, "first");
    std::this_thread::sleep_for(seconds(3));
    const gt::Rgb second = snapshot(root_, "second");
    ASSERT_TRUE(showsThe360Outline(first));
    ASSERT_TRUE(showsThe360Outline(second));
    const std::set<int> before = sweepLine(first), after = sweepLine(second);
    EXPECT_FALSE(before.empty()) << "no sweep line";
    EXPECT_FALSE(after.empty()) << "no sweep line";
    EXPECT_NE(before, after) << "the sweep line stood still";
    EXPECT_GT(changedInside(first, second), 0.02) << "no sectors filled";

    // The hot menu's first item is "Retract"; the right arrow chooses it.
    tap(keypad_, DKEY_MENU);
    std::this_thread::sleep_for(milliseconds(1500));
    tap(keypad_, DKEY_CURSOR_RIGHT);
    bool retracted = false;
    gt::Rgb shot;
    const auto until = Clock::now() + seconds(10);
    while (!retracted && Clock::now() < until) {
        std::this_thread::sleep_for(milliseconds(250));
        shot = snapshot(root_, "retracted");
        retracted = shot.width == 800 && !showsThe360Outline(shot);
    }
    ASSERT_TRUE(retracted) << "the 360 picture stayed";
    // One colour where the picture was, a statement box in the middle.
    const U8* window = px(shot, 400, 120);
    size_t others = 0, boxWhite = 0;
    for (U32 yy = 60; yy < 470; yy += 4)
        for (U32 xx = 170; xx < 630; xx += 4) {
            if (yy >= 240 && yy < 360)
                continue;
            others += memcmp(px(shot, xx, yy), window, 3) != 0;
        }
    for (U32 xx = 200; xx < 600; xx += 2)
        boxWhite += white(px(shot, xx, 310));
    EXPECT_LT(others, 20u) << "the 360 window is not one colour";
    EXPECT_GT(boxWhite, 100u) << "no statement";
    EXPECT_TRUE(unit_->running()) << unit_->err();
}

} // namespace
