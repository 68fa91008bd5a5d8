// The start-up task in the unit, in a child process under a fresh root:
// the unit-header defaults reach the NVRAM files, a missing NVRAM task is
// fatal after its five seconds, and the whole unit is driven through its
// keypad FIFO and looked at with vondrel-view's snapshots, from the splash
// through the start-up menu and the chart notice to the quick-setup menu
// and the main menu. Each start-up screen is compared with the same
// callback drawn here.
#include "system/t_startup.h"

#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/l_utils.h"
#include "store/h_database.h"
#include "store/tests/nvr_format.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <iostream>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

std::vector<std::string> env(const vt::TempRoot& root)
{
    return {"VONDREL_ROOT=" + root.path(), "VONDREL_CWD=" + root.cwd()};
}

gt::Rgb snapshot(const vt::TempRoot& root)
{
    const std::string png = root.at("/tmp/shot.png");
    const vt::ProcResult r =
        vt::runProcess({vt::buildPath("tools/vondrel-view"), "--snapshot", png}, {"VONDREL_ROOT=" + root.path()});
    return r.status == 0 ? gt::readPng(png) : gt::Rgb{};
}

// The share of pixels two pictures have in common (0 when the sizes differ).
double likeness(const gt::Rgb& a, const gt::Rgb& b)
{
    if (a.data.size() != b.data.size() || a.data.empty())
        return 0.0;
    size_t same = 0;
    for (size_t i = 0; i < a.data.size(); i += 3)
        same += memcmp(&a.data[i], &b.data[i], 3) == 0;
    return (double)same / (double)(a.data.size() / 3);
}

// Pixels of a colour-table entry within rows top..bottom (from the top).
size_t countColour(const gt::Rgb& shot, U32 entry, U32 top = 0, U32 bottom = 599)
{
    gt::TestBitmap one(2, 2, gCOLOR_pcolColorTable[entry]);
    const gt::Rgb c = gt::toRgb(one);
    size_t n = 0;
    for (U32 y = top; y <= bottom && y < shot.height; ++y)
        for (U32 x = 0; x < shot.width; ++x)
            n += memcmp(&shot.data[(y * shot.width + x) * 3], c.data.data(), 3) == 0;
    return n;
}

// A start-up screen drawn here as the unit of a fresh root draws it: model
// 410, English, no owner text.
gt::Rgb drawn(DRAW_FUNCTION* pfn, S32 s32MenuLine = 0, DISCLAIMER eDisclaimer = DISCLAIMER_INACTIVE)
{
    static const bool fonts = [] {
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        return true;
    }();
    (void)fonts;
    H_DATABASE_vInit();
    H_DATABASE_bUpdateValueU32(FCID("SLNG"), 0, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SMDL"), 410, P_NORMAL);
    T_STARTUP_vResetForTests();
    STARTUP_STATE_VIEW s = T_STARTUP_sGetState();
    s.s32MenuLine = s32MenuLine;
    s.bTransducerConnected = TRUE;
    s.eDisclaimerState = eDisclaimer;
    T_STARTUP_vSetForTests(&s);
    gt::TestBitmap screen(800, 600, 0);
    WINDOW_SPECIFICATION spec = {};
    pfn(screen, &spec);
    return gt::toRgb(screen);
}

// Waits until the screen is like the picture; the time it took, or -1.
double waitForScreen(const vt::TempRoot& root, const gt::Rgb& picture, int timeoutMs, double* pLikeness = nullptr)
{
    const auto start = Clock::now();
    double best = 0.0;
    while (Clock::now() - start < milliseconds(timeoutMs)) {
        best = likeness(snapshot(root), picture);
        if (best > 0.98) {
            if (pLikeness)
                *pLikeness = best;
            return std::chrono::duration<double>(Clock::now() - start).count();
        }
        std::this_thread::sleep_for(milliseconds(150));
    }
    if (pLikeness)
        *pLikeness = best;
    return -1.0;
}

void tap(vt::Keypad& keypad, DKEY_ID key)
{
    ASSERT_TRUE(keypad.press(key));
    std::this_thread::sleep_for(milliseconds(120)); // the keys are scanned
    ASSERT_TRUE(keypad.release(key));
}

TEST(StartupProcess, AFreshRootGetsTheUnitHeaderDefaultsInItsNvramFiles)
{
    vt::TempRoot root;
    vt::Child unit({vt::buildPath("app/vondrel"), "task_flush", "task_add", "14,17"}, env(root));
    const std::map<std::string, U32> expected = {{"SMDL", 410},        {"CREV", 0},          {"SEDB", 0xFFFFFFFF},
                                                 {"SEDU", 0xFFFFFFFF}, {"SEIB", 0xFFFFFFFF}, {"SEIU", 0xFFFFFFFF},
                                                 {"SENB", 0xFFFFFFFF}, {"SENU", 0xFFFFFFFF}, {"SETB", 0xFFFFFFFF}};
    std::map<std::string, U32> values;
    const auto until = Clock::now() + seconds(20);
    bool all = false;
    while (!all && Clock::now() < until) {
        std::this_thread::sleep_for(milliseconds(100));
        values = nvt::readValues(root.cwd());
        all = true;
        for (const auto& [key, value] : expected)
            all &= values.count(key) && values[key] == value;
    }
    for (const auto& [key, value] : expected) {
        ASSERT_TRUE(values.count(key)) << key << "\n" << unit.out();
        EXPECT_EQ(values[key], value) << key;
    }
    unit.signal(SIGKILL);
}

TEST(StartupProcess, WithoutTheNvramTaskTheUnitEndsAfterFiveSeconds)
{
    vt::TempRoot root;
    const auto start = Clock::now();
    const vt::ProcResult r = vt::runProcess({vt::buildPath("app/vondrel"), "task_rem", "14"}, env(root), 60000);
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(r.status, 10) << r.out;
    EXPECT_GE(s, 4.5) << "fifty tries 100 ms apart";
    EXPECT_LT(s, 40.0);
    const std::string fatal = vt::readFile(root.cwd() + "/FATAL.LOG");
    EXPECT_NE(fatal.find("STARTUP: Where's tNVRAM"), std::string::npos) << fatal;
}

class WholeUnit : public ::testing::Test {
protected:
    void SetUp() override
    {
        started_ = Clock::now();
        unit_ = std::make_unique<vt::Child>(std::vector<std::string>{vt::buildPath("app/vondrel")}, env(root_));
        ASSERT_TRUE(unit_->waitForOutput("priority for \"key thread\"", 30000)) << unit_->out();
        ASSERT_TRUE(keypad_.open()) << unit_->out();
    }
    void TearDown() override
    {
        if ((HasFailure() || getenv("DUMPUNIT")) && unit_) {
            // The end of what the unit said, and how it ended.
            const std::string err = unit_->err(), out = unit_->out();
            std::cerr << "unit " << (unit_->running() ? "running" : "gone") << "; standard error:\n"
                      << err.substr(err.size() > 6000 && !getenv("DUMPUNIT") ? err.size() - 6000 : 0) << "\nstandard output:\n"
                      << out.substr(out.size() > 3000 ? out.size() - 3000 : 0) << "\n";
        }
        if (unit_ && unit_->running())
            unit_->signal(SIGKILL);
    }
    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
    Clock::time_point started_;
};

TEST_F(WholeUnit, FromTheSplashThroughTheStartUpMenuToTheMainMenu)
{
    double like = 0.0;
    ASSERT_GE(waitForScreen(root_, drawn(T_STARTUP_vDisplaySplashScreen), 15000, &like), 0.0)
        << "the splash with \"Press MENU for Startup Options\", " << like;

    // MENU: the start-up menu with "Normal" highlighted (a transducer is
    // connected in the simulated scene). Keys pressed before the start-up
    // task has them are lost: MENU is pressed until the menu shows.
    const gt::Rgb menu = drawn(T_STARTUP_vDisplayStartupMenu, 0);
    bool shown = false;
    for (int i = 0; i < 5 && !shown; ++i) {
        tap(keypad_, DKEY_MENU);
        shown = waitForScreen(root_, menu, 2000, &like) >= 0.0;
    }
    ASSERT_TRUE(shown) << like;

    // South, then east: "Simulator" starts with the chart notice, which waits
    // for a key well past the menu's 5 s.
    tap(keypad_, DKEY_CURSOR_DOWN);
    ASSERT_GE(waitForScreen(root_, drawn(T_STARTUP_vDisplayStartupMenu, 1), 5000, &like), 0.0) << like;
    tap(keypad_, DKEY_CURSOR_RIGHT);
    const gt::Rgb notice = drawn(T_STARTUP_vDisplayDisclaimer, 0, DISCLAIMER_ACTIVE);
    ASSERT_GE(waitForScreen(root_, notice, 5000, &like), 0.0) << like;
    std::this_thread::sleep_for(seconds(6));
    EXPECT_GT(likeness(snapshot(root_), notice), 0.98) << "the notice waits";

    // A key starts the system; the quick-setup menu of a first start opens
    // (its title and rows in the menu colours, in the middle of the page).
    tap(keypad_, DKEY_ZOOM_IN);
    const auto until = Clock::now() + seconds(15);
    size_t quick = 0;
    while (Clock::now() < until && (quick = countColour(snapshot(root_), 65, 100, 500)) < 20000)
        std::this_thread::sleep_for(milliseconds(200));
    EXPECT_GE(quick, 20000u) << "the quick-setup menu";

    // EXIT closes it, MENU opens the main menu on its tab bar.
    tap(keypad_, DKEY_EXIT);
    size_t left = quick;
    const auto closeBy = Clock::now() + seconds(10);
    while (Clock::now() < closeBy && (left = countColour(snapshot(root_), 65, 100, 500)) > 1000)
        std::this_thread::sleep_for(milliseconds(200));
    EXPECT_LE(left, 1000u) << "the quick-setup menu went";
    // Where the first view has a hot menu, MENU opens that first and the
    // main menu from there.
    size_t tabs = 0;
    for (int press = 0; press < 2 && tabs < 2000; ++press) {
        tap(keypad_, DKEY_MENU);
        const auto menuBy = Clock::now() + seconds(press == 0 ? 4 : 10);
        while (Clock::now() < menuBy && (tabs = countColour(snapshot(root_), 65, 0, 40)) < 2000)
            std::this_thread::sleep_for(milliseconds(200));
    }
    EXPECT_GE(tabs, 2000u) << "the tab bar along the top";
    EXPECT_TRUE(unit_->running()) << unit_->out();
}

TEST_F(WholeUnit, WithoutAKeyTheNoticeComesAboutEightSecondsAfterTheStart)
{
    double like = 0.0;
    ASSERT_GE(waitForScreen(root_, drawn(T_STARTUP_vDisplayDisclaimer, 0, DISCLAIMER_ACTIVE), 40000, &like), 0.0)
        << like;
    const double s = std::chrono::duration<double>(Clock::now() - started_).count();
    EXPECT_GE(s, 7.5) << "not before the auto-start";
    EXPECT_LT(s, 40.0);
}

} // namespace
