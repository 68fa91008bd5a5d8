// The whole unit in simulation with a side-looking transducer remembered as
// the connected one from an earlier run (its settings files under a fresh
// root): through the keypad FIFO the start-up menu's "Simulator" is chosen,
// the quick-setup menu closed and VIEW pressed until the full-screen
// Flankview view shows its centre line; then two of vondrel-view's
// snapshots 3 s apart show the waterfall moved down under the boat band.
#include "graphics/tests/g_testing.h"
#include "sonar/tests/sonar_unit_driving.h"
#include "store/h_nvram.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <thread>

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

// The settings files of a unit that ran before with the transducer chosen:
// the layout version and the two transducer keys, nothing else.
void rememberTransducer(const vt::TempRoot& root, U32 u32Transducer)
{
    root.exportEnv();
    ASSERT_NE(H_NVRAM_eInit(), STATE_HARDWARE_FAILURE);
    NVR_ENTRY version = {FCID("NVER"), {}};
    version.data.RawData = NVR_VERSION;
    ASSERT_TRUE(H_NVRAM_bWriteFCID(&version));
    // The choice and the transducer the simulation starts with.
    for (FOURCHARID key : {FCID("SSTS"), FCID("SSTD")}) {
        NVR_ENTRY transducer = {key, {}};
        transducer.data.RawData = u32Transducer;
        ASSERT_TRUE(H_NVRAM_bWriteFCID(&transducer));
    }
    H_NVRAM_vFlashWriteBack();
}

class ImagingUnit : public ::testing::Test {
  protected:
    void SetUp() override
    {
        rememberTransducer(root_, SIDE_LOOKING_TRANSDUCER);
        ASSERT_NO_FATAL_FAILURE(sud::startUnit(root_, keypad_, &unit_));
    }
    void TearDown() override { sud::endUnit(unit_.get(), HasFailure()); }
    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
};

TEST_F(ImagingUnit, TheSimulatorsFlankviewWaterfallMovesDownUnderTheBoat)
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

} // namespace
