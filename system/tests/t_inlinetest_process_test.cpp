// The whole unit, as make run starts it, with a test station on port 3:
// the station (a Python peer on python3-serial) talks through a pair of
// pseudo-terminals that socat links, one end as the unit's port device.
// The screen is read with the viewer's snapshot and compared with the test
// screen's status dialog drawn here.
#include "system/u_inlinetest.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_png.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

const char* const SOCAT = "/usr/bin/socat";
const char* const PYTHON = "/usr/bin/python3";

class StationProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (access(SOCAT, X_OK) != 0)
            GTEST_SKIP() << "socat is not installed";
        vt::makeDirs(root_.at("/dev"));
        vt::makeDirs(root_.at("/tmp"));
        socat_ = std::make_unique<vt::Child>(std::vector<std::string>{
            SOCAT, "pty,raw,echo=0,link=" + root_.at("/dev/ttyO3"), "pty,raw,echo=0,link=" + station()});
        for (int i = 0; i < 500 && !(vt::fileExists(root_.at("/dev/ttyO3")) && vt::fileExists(station())); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(vt::fileExists(station())) << socat_->err();
        unit_ = std::make_unique<vt::Child>(std::vector<std::string>{vt::buildPath("app/vondrel")},
                                            std::vector<std::string>{"VONDREL_ROOT=" + root_.path(),
                                                                     "VONDREL_CWD=" + root_.cwd()});
    }

    std::string station() const { return root_.at("/tmp/station"); }

    // One exchange of the station; its exit status and what it printed.
    vt::ProcResult talk(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {PYTHON, vt::sourcePath("system/tests/inlinetest_station.py"), station()};
        argv.insert(argv.end(), args.begin(), args.end());
        return vt::runProcess(argv, {}, 90000);
    }

    // The test screen showing the status dialog with this text.
    static gt::Rgb statusScreen(const char* text)
    {
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        gt::TestBitmap bmp(800, 600);
        G_BMP_vSet(bmp, gCOLOR_pcolColorTable[35]);
        U_INLINETEST_vDrawStatusMessage(bmp, text);
        return gt::toRgb(bmp);
    }

    // Waits until the unit shows the picture; between tries an optional
    // nudge (a key) brings a frame.
    bool shows(const gt::Rgb& want, const std::function<void()>& nudge = {})
    {
        const std::string png = root_.at("/tmp/screen.png");
        for (int i = 0; i < 60; ++i) {
            const vt::ProcResult view = vt::runProcess(
                {vt::buildPath("tools/vondrel-view"), "--snapshot", png}, {"VONDREL_ROOT=" + root_.path()});
            if (view.status == 0) {
                const gt::Rgb shot = gt::readPng(png);
                if (shot.width == want.width && shot.height == want.height && shot.data == want.data)
                    return true;
            }
            if (nudge && i % 5 == 4)
                nudge();
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        return false;
    }

    vt::TempRoot root_;
    std::unique_ptr<vt::Child> socat_;
    std::unique_ptr<vt::Child> unit_;
};

TEST_F(StationProcess, ConnectShowsTheTestScreenAndExitEndsTheUnit)
{
    vt::ProcResult r = talk({"connect"});
    ASSERT_EQ(r.status, 0) << r.out << unit_->out();
    EXPECT_TRUE(shows(statusScreen("Waiting for Test Command"))) << "the test screen after the entry";

    r = talk({"frame", "#dHello\\r", "Hello"});
    EXPECT_EQ(r.status, 0) << r.out;
    // The status line is drawn with the next frame anyone asks for: a key
    // of the operator's brings one.
    vt::Keypad keypad(root_.path());
    ASSERT_TRUE(keypad.open());
    EXPECT_TRUE(shows(statusScreen("Hello"), [&] {
        keypad.press(DKEY_EXIT);
        keypad.release(DKEY_EXIT);
    }));

    r = talk({"frame", "#x\\r", "#ACK\\n\\r"});
    EXPECT_EQ(r.status, 0) << r.out;
    vt::ProcResult end;
    ASSERT_TRUE(unit_->wait(end, 20000));
    EXPECT_EQ(end.status, 10) << unit_->out();
}

TEST_F(StationProcess, KeypadTestPassesWithTheOperatorsKeysOnTheFifo)
{
    vt::ProcResult r = talk({"connect"});
    ASSERT_EQ(r.status, 0) << r.out << unit_->out();
    // The marker frame's echo says the test has started.
    r = talk({"frame", "#t1,20000\\r#i|\\r", "|"});
    ASSERT_EQ(r.status, 0) << r.out;

    vt::Child listener({PYTHON, vt::sourcePath("system/tests/inlinetest_station.py"), station(), "expect", "Pass",
                        "60"});
    ASSERT_TRUE(listener.waitForOutput("listening", 30000)) << listener.err();
    vt::Keypad keypad(root_.path());
    ASSERT_TRUE(keypad.open());
    const DKEY_ID order[] = {DKEY_VIEW,  DKEY_MENU,     DKEY_EXIT,     DKEY_SOFT_KEY_1, DKEY_SOFT_KEY_2,
                             DKEY_SOFT_KEY_3, DKEY_POWER, DKEY_GOTO, DKEY_MARK,      DKEY_INFO,
                             DKEY_ZOOM_OUT, DKEY_ZOOM_IN, DKEY_CURSOR_UP, DKEY_CURSOR_DOWN, DKEY_CURSOR_RIGHT,
                             DKEY_CURSOR_LEFT};
    // The keyboard task samples the keys every 25 ms: each is held, and
    // let go, for ten samples.
    for (DKEY_ID key : order) {
        ASSERT_TRUE(keypad.press(key));
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        ASSERT_TRUE(keypad.release(key));
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    vt::ProcResult heard;
    ASSERT_TRUE(listener.wait(heard, 90000));
    EXPECT_EQ(heard.status, 0) << heard.out << unit_->out() << unit_->err();
}

} // namespace
