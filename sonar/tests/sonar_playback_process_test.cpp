// The whole unit in simulation with two snapshots on its card: through the
// keypad FIFO the capture review is shown with both thumbnails, a recording
// is started and stopped from its hot menu, the recording is played back and
// the full-screen 2D view selected. The viewer's snapshots show the history
// scrolling through the played pings, and standing still once the recording
// has been played to its end (the simulator alone would never stop).
#include "graphics/tests/g_testing.h"
#include "sonar/tests/sonar_unit_driving.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <thread>
#include <tuple>

namespace {

using namespace sud;

bool is(const gt::Rgb& shot, U32 x, U32 y, U8 r, U8 g, U8 b)
{
    const U8* p = px(shot, x, y);
    return p[0] == r && p[1] == g && p[2] == b;
}

bool fullScreen(const gt::Rgb& shot) { return shot.width == 800 && shot.height == 600; }

size_t colours(const gt::Rgb& shot, U32 x0, U32 y0, U32 w, U32 h)
{
    std::set<U32> seen;
    for (U32 y = y0; y < y0 + h; ++y)
        for (U32 x = x0; x < x0 + w; ++x) {
            const U8* p = px(shot, x, y);
            seen.insert((U32)p[0] << 16 | (U32)p[1] << 8 | p[2]);
        }
    return seen.size();
}

// The capture review: the red screen frame around the grey background.
bool showsReview(const gt::Rgb& shot)
{
    return fullScreen(shot) && is(shot, 2, 2, 255, 0, 0) && is(shot, 797, 597, 255, 0, 0) &&
           is(shot, 400, 300, 165, 162, 165);
}

// The review's two upper thumbnail places hold pictures, not the plain
// background or the recording symbol.
bool showsTwoThumbnails(const gt::Rgb& shot)
{
    return showsReview(shot) && colours(shot, 35, 50, 200, 150) >= 4 && colours(shot, 35, 250, 200, 150) >= 4;
}

// The full-screen 2D view's colour bar at the right edge: many block
// colours, each the same across the bar (an echo picture there would not
// be).
bool showsColourBar(const gt::Rgb& shot)
{
    if (!fullScreen(shot))
        return false;
    std::set<U32> seen;
    U32 level = 0;
    for (U32 y = 0; y < 500; ++y) {
        const U8* p = px(shot, 785, y);
        seen.insert((U32)p[0] << 16 | (U32)p[1] << 8 | p[2]);
        level += memcmp(p, px(shot, 795, y), 3) == 0;
    }
    return seen.size() >= 20 && level >= 480;
}

// How far the history of `later` lies left of that of `earlier`.
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

bool historyUnchanged(const gt::Rgb& a, const gt::Rgb& b)
{
    if (!fullScreen(a) || !fullScreen(b))
        return false;
    for (U32 y = 50; y < 450; ++y)
        if (memcmp(px(a, 0, y), px(b, 0, y), 600 * 3) != 0)
            return false;
    return true;
}

off_t sizeOf(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// The card's recordings, by name.
std::vector<std::string> recordings(const std::string& folder)
{
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".SON")
            out.push_back(entry.path().string());
    return out;
}

class PlaybackUnit : public ::testing::Test {
protected:
    void SetUp() override
    {
        vt::makeDirs(card_);
        // Two screens of the drawing tests stand for earlier snapshots.
        for (const auto& [from, to] : {std::pair{"sonar_window", "A1.PNG"}, std::pair{"conf_question", "A2.PNG"}})
            ASSERT_TRUE(vt::writeFile(card_ + "/" + to,
                                      vt::readFile(vt::sourcePath(std::string("sonar/tests/golden/") + from + ".png"))));
        ASSERT_NO_FATAL_FAILURE(sud::startUnit(root_, keypad_, &unit_));
    }
    void TearDown() override { sud::endUnit(unit_.get(), HasFailure()); }

    // The start-up menu's "Simulator", then the quick-setup menu closed.
    void startSimulator() { sud::chooseSimulator(root_, keypad_); }

    // VIEW until the picture passes the check.
    bool viewUntil(bool (*check)(const gt::Rgb&), gt::Rgb* pShot)
    {
        for (int i = 0; i < 12; ++i) {
            if (check(*pShot = snapshot(root_)))
                return true;
            tap(keypad_, DKEY_VIEW);
            if (waitFor([&] { return check(*pShot = snapshot(root_)); }, milliseconds(4000)))
                return true;
        }
        return false;
    }

    vt::TempRoot root_;
    std::string card_ = root_.at("/mnt/mmc0");
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
};

TEST_F(PlaybackUnit, ARecordingMadeInSimulationPlaysBackThroughTheTwoDView)
{
    startSimulator();
    if (HasFatalFailure())
        return;

    gt::Rgb shot;
    ASSERT_TRUE(viewUntil(showsReview, &shot)) << "the capture review never showed";
    EXPECT_TRUE(waitFor([&] { return showsTwoThumbnails(shot = snapshot(root_, "thumbnails")); }, seconds(10)))
        << "the card's snapshots are not shown as thumbnails";

    // The review's hot menu opens on "Start Recording".
    tap(keypad_, DKEY_MENU);
    std::this_thread::sleep_for(milliseconds(1500));
    tap(keypad_, DKEY_CURSOR_RIGHT);
    ASSERT_TRUE(waitFor([&] { return recordings(card_).size() == 1 && sizeOf(recordings(card_)[0]) > 64; },
                        seconds(15)))
        << "no recording grows on the card";
    const std::string recording = recordings(card_)[0];
    tap(keypad_, DKEY_EXIT);
    std::this_thread::sleep_for(seconds(15));

    // "Stop Recording" heads the hot menu of every view while recording;
    // the menu opens on the item last used ("Pings Per Second" below it
    // after the start), so a slow unit may need another look.
    bool stopped = false;
    for (int attempt = 0; attempt < 4 && !stopped; ++attempt) {
        tap(keypad_, DKEY_MENU);
        std::this_thread::sleep_for(milliseconds(2500));
        if (attempt % 2 == 0) {
            tap(keypad_, DKEY_CURSOR_UP);
            std::this_thread::sleep_for(milliseconds(1500));
        }
        tap(keypad_, DKEY_CURSOR_RIGHT);
        off_t last = -1;
        stopped = waitFor(
            [&] {
                const off_t now = sizeOf(recording);
                const bool still = now == last;
                last = now;
                return still;
            },
            seconds(10), milliseconds(1500));
        if (!stopped) {
            tap(keypad_, DKEY_EXIT);
            std::this_thread::sleep_for(milliseconds(1500));
        }
    }
    EXPECT_TRUE(stopped) << "the recording did not stop";
    EXPECT_GT(sizeOf(recording), 64 * 1024) << "hardly any pings were recorded";

    // The new recording heads the list; right plays it.
    tap(keypad_, DKEY_EXIT);
    std::this_thread::sleep_for(milliseconds(1500));
    ASSERT_TRUE(showsReview(shot = snapshot(root_, "stopped"))) << "not back at the thumbnails";
    tap(keypad_, DKEY_CURSOR_RIGHT);
    ASSERT_TRUE(waitFor([&] { return !showsReview(shot = snapshot(root_, "playing")); }, seconds(10)))
        << "the playback did not start";

    ASSERT_TRUE(viewUntil(showsColourBar, &shot)) << "the 2D view never showed";
    // A depth range change between two looks redraws the whole history;
    // the scroll shows in a pair of looks without one.
    gt::Rgb second;
    U32 shift = 0;
    double share = 0.0;
    for (int attempt = 0; attempt < 4 && (shift == 0 || share <= 0.9); ++attempt) {
        const gt::Rgb first = snapshot(root_, "first");
        std::this_thread::sleep_for(milliseconds(1500));
        second = snapshot(root_, "second");
        ASSERT_TRUE(fullScreen(first) && fullScreen(second));
        std::tie(shift, share) = scroll(first, second);
    }
    EXPECT_GT(shift, 0u) << "the history did not move";
    EXPECT_GT(share, 0.9) << "older columns moved left, at " << shift;
    EXPECT_GT(colours(second, 0, 50, 600, 400), 20u) << "no echoes in the history";

    // Played to its end, the history stands still.
    gt::Rgb previous = second;
    EXPECT_TRUE(waitFor(
        [&] {
            const gt::Rgb now = snapshot(root_, "end");
            const bool still = historyUnchanged(previous, now);
            previous = now;
            return still;
        },
        seconds(90), milliseconds(1000)))
        << "the history kept moving after the recording's end";
    EXPECT_TRUE(showsColourBar(previous));
    EXPECT_TRUE(unit_->running()) << unit_->err();
}

} // namespace
