// The whole unit in simulation with a side-looking transducer remembered as
// the connected one from an earlier run (its settings files under a fresh
// root): through the keypad FIFO the start-up menu's "Simulator" is chosen,
// the quick-setup menu closed and VIEW pressed until the full-screen
// Flankview view shows its centre line; then two of vondrel-view's
// snapshots 3 s apart show the waterfall moved down under the boat band.
// On that view a cursor key brings up the cursor readout, and ZOOM_IN the
// magnifier about the cursor with "Zoom 2x" in the readout.
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "sonar/tests/sonar_unit_driving.h"
#include "store/h_nvram.h"
#include "store/tests/nvr_format.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace {

using namespace sud;

constexpr U32 SIDE_LOOKING_TRANSDUCER = 5;

bool dark(const U8* p) { return p[0] < 60 && p[1] < 60 && p[2] < 60; }

// The full-screen Flankview view with both sides: the two dark columns of
// its centre line (x 398 and 399) between two columns of the band's
// background, from under the boat band down to the info strip.
bool showsFlankview(const gt::Rgb& shot)
{
    if (shot.width != 800 || shot.height != 600)
        return false;
    for (U32 y = 70; y < 480; y += 5) {
        const U8* left = px(shot, 397, y);
        const U8* right = px(shot, 400, y);
        if (!dark(px(shot, 398, y)) || !dark(px(shot, 399, y)) || dark(left) || memcmp(left, right, 3) != 0)
            return false;
    }
    return true;
}

// How far the waterfall of `later` lies below that of `earlier` (rows 70
// to 470 from the top, both sides), with the share of matching pixels.
std::pair<U32, double> scrollDown(const gt::Rgb& earlier, const gt::Rgb& later)
{
    std::pair<U32, double> best{0, 0.0};
    for (U32 s = 0; s < 300; ++s) {
        size_t same = 0, all = 0;
        for (U32 y = 70; y + s < 470; y += 2)
            for (U32 x = 0; x < 800; x += 3) {
                if (x >= 390 && x <= 409)
                    continue; // the centre line
                ++all;
                same += memcmp(px(earlier, x, y), px(later, x, y + s), 3) == 0;
            }
        const double share = all ? (double)same / (double)all : 0.0;
        if (share > best.second)
            best = {s, share};
    }
    return best;
}

using gt::Ink;

// A text as the readout's 11 x 14 font draws it in English.
Ink inkOf(const char* text) { return gt::inkOf(text, &vondrel_11x14_font_def); }

// The text somewhere in the readout's rows: dark where the font inks and
// nothing dark elsewhere in its box.
bool showsText(const gt::Rgb& shot, const Ink& ink)
{
    if (shot.width != 800 || ink.on.empty())
        return false;
    for (U32 y = 0; y + ink.height <= 50; ++y)
        for (U32 x = 0; x + ink.width <= shot.width; ++x) {
            bool same = true;
            for (U32 i = 0; i < ink.on.size() && same; ++i)
                same = dark(px(shot, x + i % ink.width, y + i / ink.width)) == ink.on[i];
            if (same)
                return true;
        }
    return false;
}

bool red(const U8* p) { return p[0] > 200 && p[1] < 60 && p[2] < 60; }
bool white(const U8* p) { return p[0] > 220 && p[1] > 220 && p[2] > 220; }

// The red inner edge of the magnifier's frame, inclusive, y from the top.
struct Frame {
    U32 left, top, right, bottom;
};

// The longest run of red in a row, as [first, last].
std::pair<U32, U32> redRun(const gt::Rgb& shot, U32 y)
{
    std::pair<U32, U32> best{1, 0};
    for (U32 x = 0; x < shot.width;) {
        U32 end = x;
        while (end < shot.width && red(px(shot, end, y)))
            ++end;
        if (end > x && end - x > best.second + 1 - best.first)
            best = {x, end - 1};
        x = end + 1;
    }
    return best;
}

// A red frame over the pane with a white border around it: its top and
// bottom rows are long red runs with white just outside.
std::optional<Frame> magnifier(const gt::Rgb& shot)
{
    if (shot.width != 800 || shot.height != 600)
        return std::nullopt;
    std::optional<Frame> frame;
    for (U32 y = 50; y < 500; ++y) {
        const auto [l, r] = redRun(shot, y);
        if (r < l || r - l < 200)
            continue;
        if (!frame) {
            const U32 w = r - l + 1;
            size_t border = 0;
            for (U32 x = l; x <= r; ++x)
                border += white(px(shot, x, y - 1)) && white(px(shot, x, y - 2));
            if (border * 10 < w * 9)
                continue;
            frame = Frame{l, y, r, y};
        } else if (l == frame->left && r == frame->right) {
            frame->bottom = y;
        }
    }
    if (frame && (frame->bottom - frame->top < 20 || !white(px(shot, frame->left - 1, frame->top + 10)) ||
                  !white(px(shot, frame->right + 1, frame->top + 10))))
        return std::nullopt;
    return frame;
}

// How wide the centre line's black is in a row: the run of pure black
// through the pane's middle column, between the white columns beside it.
U32 centreLineWidth(const gt::Rgb& shot, U32 y)
{
    auto black = [&](U32 x) { const U8* p = px(shot, x, y); return p[0] == 0 && p[1] == 0 && p[2] == 0; };
    if (!black(399))
        return 0;
    U32 l = 399, r = 399;
    while (l > 380 && black(l - 1))
        --l;
    while (r < 420 && black(r + 1))
        ++r;
    return white(px(shot, l - 1, y)) && white(px(shot, r + 1, y)) ? r - l + 1 : 0;
}

// The settings files of a unit that ran before with the transducer chosen:
// the layout version and the two transducer keys, nothing else. Written as
// files, not through this process's settings store, which stays with the
// first root it was opened on.
void rememberTransducer(const vt::TempRoot& root, U32 u32Transducer)
{
    vt::makeDirs(root.cwd());
    // The choice and the transducer the simulation starts with.
    nvt::writeFiles(root.cwd(), nvt::encode({{"NVER", NVR_VERSION}, {"SSTS", u32Transducer}, {"SSTD", u32Transducer}}));
}

class ImagingUnit : public ::testing::Test {
  protected:
    void SetUp() override
    {
        rememberTransducer(root_, SIDE_LOOKING_TRANSDUCER);
        ASSERT_NO_FATAL_FAILURE(sud::startUnit(root_, keypad_, &unit_));
    }
    void TearDown() override { sud::endUnit(unit_.get(), HasFailure()); }
    // From the splash through the start-up menu's "Simulator" to the
    // full-screen Flankview view.
    void reachTheFlankview();
    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
};

void ImagingUnit::reachTheFlankview()
{
    ASSERT_NO_FATAL_FAILURE(sud::chooseSimulator(root_, keypad_));

    bool shown = false;
    for (int i = 0; i < 30 && !shown; ++i) {
        tap(keypad_, DKEY_VIEW);
        const auto until = Clock::now() + milliseconds(4000);
        while (!shown && Clock::now() < until) {
            std::this_thread::sleep_for(milliseconds(250));
            shown = showsFlankview(snapshot(root_));
        }
    }
    ASSERT_TRUE(shown) << "the Flankview view never showed";
}

TEST_F(ImagingUnit, TheSimulatorsFlankviewWaterfallMovesDownUnderTheBoat)
{
    ASSERT_NO_FATAL_FAILURE(reachTheFlankview());

    // The recording's side pings fill the waterfall; look twice, 3 s apart.
    std::this_thread::sleep_for(seconds(3));
    const gt::Rgb first = snapshot(root_, "first");
    std::this_thread::sleep_for(seconds(3));
    const gt::Rgb second = snapshot(root_, "second");
    ASSERT_TRUE(showsFlankview(first));
    ASSERT_TRUE(showsFlankview(second));
    const auto [shift, share] = scrollDown(first, second);
    EXPECT_GT(shift, 0u) << "the waterfall did not move";
    EXPECT_GT(share, 0.9) << "older rows moved down, at " << shift;
    const double still = scrollDown(first, first).second;
    ASSERT_GT(still, 0.99);
    size_t unchanged = 0, all = 0;
    for (U32 y = 70; y < 470; y += 2)
        for (U32 x = 0; x < 800; x += 3, ++all)
            unchanged += memcmp(px(first, x, y), px(second, x, y), 3) == 0;
    EXPECT_LT((double)unchanged / (double)all, share) << "the picture stood still";
    EXPECT_TRUE(unit_->running()) << unit_->err();
}

TEST_F(ImagingUnit, ACursorKeyAndZoomInShowTheMagnifierAndItsFactor)
{
    ASSERT_NO_FATAL_FAILURE(reachTheFlankview());
    std::this_thread::sleep_for(seconds(3)); // pings under the cursor's spot
    const Ink cursorLabel = inkOf("Cursor"), zoomTwice = inkOf("Zoom 2x");

    tap(keypad_, DKEY_CURSOR_RIGHT);
    gt::Rgb on;
    ASSERT_TRUE(waitFor([&] { return showsText(on = snapshot(root_, "on"), cursorLabel); }, seconds(10)))
        << "no cursor readout";
    EXPECT_FALSE(magnifier(on)) << "a magnifier before ZOOM_IN";
    EXPECT_FALSE(showsText(on, zoomTwice));

    tap(keypad_, DKEY_ZOOM_IN);
    gt::Rgb zoomed;
    std::optional<Frame> frame;
    ASSERT_TRUE(waitFor([&] { return (frame = magnifier(zoomed = snapshot(root_, "zoomed"))).has_value(); },
                        seconds(10)))
        << "no magnifier after ZOOM_IN";
    EXPECT_TRUE(showsText(zoomed, zoomTwice)) << "the readout does not give the factor";

    // Half the pane wide with its 5-pixel border (3 of them red), about the
    // cursor at the pane's middle.
    EXPECT_EQ(frame->right - frame->left + 1, 389u + 6u);
    EXPECT_NEAR((frame->left + frame->right) / 2.0, 399.0, 1.5);
    EXPECT_GT(frame->bottom - frame->top, 200u);
    // Pings in it, not an empty fill, and the centre line under the cursor
    // twice as wide as on the waterfall beside it.
    std::set<U32> shades;
    for (U32 y = frame->top + 3; y < frame->bottom - 2; y += 4)
        for (U32 x = frame->left + 3; x < frame->right - 2; x += 3)
            shades.insert((U32)px(zoomed, x, y)[0] << 16 | (U32)px(zoomed, x, y)[1] << 8 | px(zoomed, x, y)[2]);
    EXPECT_GE(shades.size(), 6u) << "an empty picture";
    ASSERT_GT(frame->top, 100u);
    const U32 outside = centreLineWidth(zoomed, frame->top - 30);
    const U32 inside = centreLineWidth(zoomed, (frame->top + frame->bottom) / 2);
    EXPECT_EQ(outside, 2u);
    EXPECT_GE(inside, 2 * outside);
    EXPECT_LE(inside, 2 * outside + 1);
    EXPECT_TRUE(unit_->running()) << unit_->err();
}

} // namespace
