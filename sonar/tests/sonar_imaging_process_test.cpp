// The whole unit in simulation with a side-looking transducer remembered as
// the connected one from an earlier run (its settings files under a fresh
// root): through the keypad FIFO the start-up menu's "Simulator" is chosen,
// the quick-setup menu closed and VIEW pressed until the full-screen
// Flankview view shows its centre line; then two of vondrel-view's
// snapshots 3 s apart show the waterfall moved down under the boat band.
#include "graphics/tests/g_testing.h"
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

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr U32 SIDE_LOOKING_TRANSDUCER = 5;

std::vector<std::string> env(const vt::TempRoot& root)
{
    return {"VONDREL_ROOT=" + root.path(), "VONDREL_CWD=" + root.cwd()};
}

gt::Rgb snapshot(const vt::TempRoot& root, const char* name = "shot")
{
    const std::string png = root.at(std::string("/tmp/") + name + ".png");
    const vt::ProcResult r =
        vt::runProcess({vt::buildPath("tools/vondrel-view"), "--snapshot", png}, {"VONDREL_ROOT=" + root.path()});
    return r.status == 0 ? gt::readPng(png) : gt::Rgb{};
}

const U8* px(const gt::Rgb& shot, U32 x, U32 yFromTop) { return &shot.data[(yFromTop * shot.width + x) * 3]; }

bool dark(const U8* p) { return p[0] < 60 && p[1] < 60 && p[2] < 60; }

// The share of the sampled pixels two pictures have in common.
double likeness(const gt::Rgb& a, const gt::Rgb& b)
{
    if (a.data.size() != b.data.size() || a.data.empty())
        return 0.0;
    size_t same = 0, all = 0;
    for (U32 y = 0; y < a.height; y += 3)
        for (U32 x = 0; x < a.width; x += 3, ++all)
            same += memcmp(px(a, x, y), px(b, x, y), 3) == 0;
    return (double)same / (double)all;
}

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

void tap(vt::Keypad& keypad, DKEY_ID key)
{
    ASSERT_TRUE(keypad.press(key));
    std::this_thread::sleep_for(milliseconds(120)); // the keys are scanned
    ASSERT_TRUE(keypad.release(key));
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
        const vt::ProcResult rec =
            vt::runProcess({vt::buildPath("tools/vondrel-demorec"), root_.cwd() + "/SONARSIM"}, {}, 60000);
        ASSERT_EQ(rec.status, 0) << rec.out << rec.err;
        rememberTransducer(root_, SIDE_LOOKING_TRANSDUCER);
        unit_ = std::make_unique<vt::Child>(std::vector<std::string>{vt::buildPath("app/vondrel"), "nodisclaimer"},
                                            env(root_));
        ASSERT_TRUE(unit_->waitForOutput("priority for \"key thread\"", 30000)) << unit_->out();
        ASSERT_TRUE(keypad_.open()) << unit_->out();
    }
    void TearDown() override
    {
        if ((HasFailure() || getenv("DUMPUNIT")) && unit_) {
            // The end of what the unit said, and how it ended.
            const std::string err = unit_->err(), out = unit_->out();
            std::cerr << "unit " << (unit_->running() ? "running" : "gone") << "; standard error:\n"
                      << err.substr(err.size() > 6000 && !getenv("DUMPUNIT") ? err.size() - 6000 : 0)
                      << "\nstandard output:\n"
                      << out.substr(out.size() > 3000 ? out.size() - 3000 : 0) << "\n";
        }
        if (unit_ && unit_->running())
            unit_->signal(SIGKILL);
    }
    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
};

TEST_F(ImagingUnit, TheSimulatorsFlankviewWaterfallMovesDownUnderTheBoat)
{
    // MENU on the splash until the start-up menu replaces it (keys pressed
    // before the start-up task reads the keypad are lost).
    gt::Rgb splash;
    for (int i = 0; i < 50 && splash.data.empty(); ++i) {
        std::this_thread::sleep_for(milliseconds(200));
        splash = snapshot(root_);
    }
    ASSERT_FALSE(splash.data.empty()) << "no frame buffer";
    bool menu = false;
    for (int i = 0; i < 8 && !menu; ++i) {
        tap(keypad_, DKEY_MENU);
        std::this_thread::sleep_for(milliseconds(700));
        menu = likeness(snapshot(root_), splash) < 0.97;
    }
    ASSERT_TRUE(menu) << "the start-up menu did not open";

    // "Simulator" (down, then right); the quick-setup menu of a fresh root
    // opens a few seconds later and EXIT closes it.
    tap(keypad_, DKEY_CURSOR_DOWN);
    std::this_thread::sleep_for(milliseconds(500));
    tap(keypad_, DKEY_CURSOR_RIGHT);
    std::this_thread::sleep_for(seconds(8));
    tap(keypad_, DKEY_EXIT);
    std::this_thread::sleep_for(seconds(2));

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
