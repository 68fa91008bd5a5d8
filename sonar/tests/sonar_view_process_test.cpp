// The whole unit under a fresh root with the demo recording in place:
// through the keypad FIFO the start-up menu's "Simulator" is chosen, the
// quick-setup menu closed and VIEW pressed until the full-screen 2D view
// shows its colour bar; then two of vondrel-view's snapshots 3 s apart show
// the history moved left with new columns at the right, the Depth readout
// from the simulated pings, the simulated boat's course and its position
// moving. A cursor key on that view brings up the cross-hair at the
// picture's centre with its readout along the top, and EXIT takes both
// away again.
#include "graphics/tests/g_testing.h"
#include "sonar/tests/sonar_unit_driving.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <iostream>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using namespace sud;

// The full-screen 2D view's colour bar: a column of many block colours at
// the right edge.
bool showsColourBar(const gt::Rgb& shot)
{
    if (shot.width != 800 || shot.height != 600)
        return false;
    std::set<U32> colours;
    for (U32 y = 0; y < 500; ++y) {
        const U8* p = px(shot, 785, y);
        colours.insert((U32)p[0] << 16 | (U32)p[1] << 8 | p[2]);
    }
    return colours.size() >= 20;
}

// How far the image of `later` lies left of that of `earlier` (columns
// 0..599, rows 50..449 from the top), with the share of matching pixels.
std::pair<U32, double> scroll(const gt::Rgb& earlier, const gt::Rgb& later)
{
    std::pair<U32, double> best{0, 0.0};
    for (U32 s = 0; s < 600; ++s) {
        size_t same = 0, all = 0;
        for (U32 y = 50; y < 450; y += 2)
            for (U32 x = 0; x + s < 600; x += 3, ++all)
                same += memcmp(px(earlier, x + s, y), px(later, x, y), 3) == 0;
        const double share = all ? (double)same / (double)all : 0.0;
        if (share > best.second)
            best = {s, share};
    }
    return best;
}

U32 rgb(const U8* p) { return (U32)p[0] << 16 | (U32)p[1] << 8 | p[2]; }

// The cross-hair's left arm: two rows 14 pixels long in one colour, edged
// above and below (but for the two columns where the rim crosses it) in
// another, looked for within `within` pixels of (x, y from the top).
bool showsCrossHair(const gt::Rgb& shot, U32 x, U32 y, U32 within)
{
    if (shot.width != 800 || shot.height != 600 || x < within + 1 || y < within + 1)
        return false;
    for (U32 r = y - within; r <= y + within && r + 2 < shot.height; ++r)
        for (U32 c = x - within; c <= x + within && c + 14 < shot.width; ++c) {
            const U32 edge = rgb(px(shot, c, r - 1)), arm = rgb(px(shot, c, r));
            bool same = edge != arm;
            for (U32 k = 0; k < 14 && same; ++k) {
                same = rgb(px(shot, c + k, r)) == arm && rgb(px(shot, c + k, r + 1)) == arm;
                if (k != 6 && k != 7)
                    same = same && rgb(px(shot, c + k, r - 1)) == edge && rgb(px(shot, c + k, r + 2)) == edge;
            }
            if (same)
                return true;
        }
    return false;
}

// The cursor readout: a white box along the top of the page.
bool showsReadout(const gt::Rgb& shot)
{
    if (shot.width != 800 || shot.height != 600)
        return false;
    size_t white = 0, all = 0;
    for (U32 y = 2; y < 42; y += 2)
        for (U32 x = 0; x < 780; x += 2, ++all)
            white += px(shot, x, y)[0] > 220 && px(shot, x, y)[1] > 220 && px(shot, x, y)[2] > 220;
    return white * 2 > all;
}

class SonarUnit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(sud::startUnit(root_, keypad_, &unit_));
    }
    void TearDown() override { sud::endUnit(unit_.get(), HasFailure()); }
    // From the splash through the start-up menu's "Simulator" to the
    // full-screen 2D view.
    void reachTheTwoDView();
    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
};

void SonarUnit::reachTheTwoDView()
{
    ASSERT_NO_FATAL_FAILURE(sud::chooseSimulator(root_, keypad_));

    // A loaded machine can take seconds to switch views: a second VIEW
    // before the first one shows would step past the view looked for.
    bool shown = false;
    for (int i = 0; i < 12 && !shown; ++i) {
        tap(keypad_, DKEY_VIEW);
        const auto until = Clock::now() + milliseconds(4000);
        while (!shown && Clock::now() < until) {
            std::this_thread::sleep_for(milliseconds(250));
            shown = showsColourBar(snapshot(root_));
        }
    }
    ASSERT_TRUE(shown) << "the 2D view with its colour bar never showed";
}

TEST_F(SonarUnit, TheSimulatorsTwoDViewScrollsAndShowsTheDepth)
{
    ASSERT_NO_FATAL_FAILURE(reachTheTwoDView());

    // Pings from the recording fill the history; wait until it is no longer
    // blank, then look twice, 3 s apart. A depth range change between the
    // two looks redraws the whole history: the scroll shows in a pair of
    // looks without one.
    std::this_thread::sleep_for(seconds(3));
    gt::Rgb first, second;
    U32 shift = 0;
    double share = 0.0;
    for (int attempt = 0; attempt < 4 && (shift == 0 || share <= 0.9); ++attempt) {
        first = snapshot(root_, "first");
        std::this_thread::sleep_for(seconds(3));
        second = snapshot(root_, "second");
        ASSERT_EQ(first.width, 800u);
        ASSERT_EQ(second.width, 800u);
        std::tie(shift, share) = scroll(first, second);
    }
    EXPECT_GT(shift, 0u) << "the history did not move";
    EXPECT_GT(share, 0.9) << "older columns moved left, at " << shift;
    size_t unchanged = 0, all = 0;
    for (U32 y = 50; y < 450; y += 2)
        for (U32 x = 0; x < 600; x += 3, ++all)
            unchanged += memcmp(px(first, x, y), px(second, x, y), 3) == 0;
    EXPECT_LT((double)unchanged / (double)all, share) << "the picture stood still";

    // The Depth readout in the info bar's first box (bottom left): its
    // large digits are dark pixels on the white box.
    size_t dark = 0;
    for (U32 y = 530; y < 600; ++y)
        for (U32 x = 60; x < 160; ++x)
            dark += px(second, x, y)[0] < 60 && px(second, x, y)[1] < 60 && px(second, x, y)[2] < 60;
    EXPECT_GT(dark, 300u) << "no depth digits";

    // The navigation readouts beside it, black text on the info boxes: the
    // simulated boat's course (COG, fourth box) is shown, and its position
    // (second box) moved with the navigation's 1 Hz update between the two
    // looks.
    const auto black = [](const gt::Rgb& shot, U32 x0, U32 x1) {
        std::vector<bool> mask;
        for (U32 y = 500; y < 600; ++y)
            for (U32 x = x0; x < x1; ++x) {
                const U8* p = px(shot, x, y);
                mask.push_back(p[0] == 0 && p[1] == 0 && p[2] == 0);
            }
        return mask;
    };
    const std::vector<bool> course = black(second, 482, 638);
    EXPECT_GT((size_t)std::count(course.begin(), course.end(), true), 300u) << "no course digits";
    EXPECT_NE(black(first, 162, 318), black(second, 162, 318)) << "the position stood still";
    EXPECT_TRUE(unit_->running()) << unit_->err();
}

TEST_F(SonarUnit, ACursorKeyShowsTheCrossHairAndItsReadoutAndExitRemovesThem)
{
    ASSERT_NO_FATAL_FAILURE(reachTheTwoDView());
    std::this_thread::sleep_for(seconds(2));
    // The picture's centre: the middle of the rows and of the columns left
    // of the colour bar.
    constexpr U32 CENTRE_X = 380, CENTRE_Y = 300, NEAR = 30;
    const gt::Rgb before = snapshot(root_, "before");
    ASSERT_EQ(before.width, 800u);
    EXPECT_FALSE(showsReadout(before));
    EXPECT_FALSE(showsCrossHair(before, CENTRE_X, CENTRE_Y, NEAR));

    tap(keypad_, DKEY_CURSOR_RIGHT);
    gt::Rgb on;
    bool shown = false;
    for (int i = 0; i < 20 && !shown; ++i) {
        std::this_thread::sleep_for(milliseconds(250));
        on = snapshot(root_, "on");
        shown = showsReadout(on) && showsCrossHair(on, CENTRE_X, CENTRE_Y, NEAR);
    }
    EXPECT_TRUE(showsReadout(on)) << "no cursor readout";
    EXPECT_TRUE(showsCrossHair(on, CENTRE_X, CENTRE_Y, NEAR)) << "no cross-hair at the centre";

    tap(keypad_, DKEY_EXIT);
    gt::Rgb off;
    bool gone = false;
    for (int i = 0; i < 20 && !gone; ++i) {
        std::this_thread::sleep_for(milliseconds(250));
        off = snapshot(root_, "off");
        gone = !showsReadout(off) && !showsCrossHair(off, CENTRE_X, CENTRE_Y, NEAR);
    }
    EXPECT_TRUE(gone) << "EXIT left the cursor on screen";
    EXPECT_TRUE(unit_->running()) << unit_->err();
}

} // namespace
