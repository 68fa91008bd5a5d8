// The whole unit on a shop shelf, in a child process under a fresh root: a
// serial number in its settings files and no transducer (a disconnected
// scene and an open thermistor) bring the point-of-sale state at the
// auto-start; the card in slot 0 holds a store-demo script, whose first
// balloon and exit prompt the viewer's snapshot shows after the preamble's
// view changes. EXIT through the keypad FIFO starts the demonstration over
// and gives the unit to the viewer: the balloon and the prompt go, and
// MENU, which the demonstration refused, opens the main menu.
#include "graphics/tests/g_testing.h"
#include "store/h_nvram.h"
#include "store/tests/nvr_format.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"
#include "ui/t_keyboard_pos.h"
#include "ui/tests/draw_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// The script first shows the capture-review view, which paints its whole
// page, so that every page shows only what its own frame drew (the sonar
// views draw nothing without pings).
const std::string SCRIPT = "// A shelf demonstration\n"
                           "CHAPTER MAIN\n"
                           "EXITMESSAGEBOX\n"
                           "SET CVEW 71\n"
                           "BALLOON 100 200 300 3 \"Shelf demo\"\n"
                           "[BULLET] The first balloon\n"
                           "of the card's script\n"
                           "[HSPACE 20]third line\n"
                           "ENDBALLOON\n"
                           "WAIT 600\n"
                           "ENDCHAPTER\n";

// The store-demo layer as the unit draws it once the script has reached
// its first balloon, on a background of a colour no layer uses: the
// pixels it paints and their colours.
struct Painted {
    std::vector<size_t> at; // pixel indexes
    gt::Rgb rgb;
};

Painted firstBalloon()
{
    dtest::prepareWorld();
    static const std::string script = SCRIPT;
    T_KEYBOARD_vPOSUseScript(script.data(), (U32)script.size());
    for (int i = 0; i < 5 && !T_KEYBOARD_sPOSBalloon().bActive; ++i)
        T_KEYBOARD_tProcessPOSScript();
    EXPECT_TRUE(T_KEYBOARD_sPOSBalloon().bActive);
    EXPECT_GE(T_KEYBOARD_sPOSExitAnchor().x, 0);
    gt::TestBitmap screen(800, 600, dtest::BACKGROUND);
    T_KEYBOARD_vDrawPOSMessage(screen, nullptr);
    EXPECT_EQ(NO_ERROR, T_KEYBOARD_ePOSError());
    gt::TestBitmap one(2, 2, dtest::BACKGROUND);
    const gt::Rgb background = gt::toRgb(one);
    Painted p;
    p.rgb = gt::toRgb(screen);
    for (size_t i = 0; i < p.rgb.data.size() / 3; ++i)
        if (memcmp(&p.rgb.data[3 * i], background.data.data(), 3) != 0)
            p.at.push_back(i);
    return p;
}

// The share of the painted pixels the screen shows in the same colour.
double shownShare(const gt::Rgb& shot, const Painted& p)
{
    if (shot.data.size() != p.rgb.data.size() || p.at.empty())
        return 0.0;
    size_t same = 0;
    for (size_t i : p.at)
        same += memcmp(&shot.data[3 * i], &p.rgb.data[3 * i], 3) == 0;
    return (double)same / (double)p.at.size();
}

// Pixels of a colour-table entry within rows top..bottom (from the top).
size_t countColour(const gt::Rgb& shot, U32 entry, U32 top, U32 bottom)
{
    gt::TestBitmap one(2, 2, gCOLOR_pcolColorTable[entry]);
    const gt::Rgb c = gt::toRgb(one);
    size_t n = 0;
    for (U32 y = top; y <= bottom && y < shot.height; ++y)
        for (U32 x = 0; x < shot.width; ++x)
            n += memcmp(&shot.data[(y * shot.width + x) * 3], c.data.data(), 3) == 0;
    return n;
}

class ShelfUnit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vt::writeFile(root_.at("/dev/sonar0.scene"), "connected 0\n"));
        ASSERT_TRUE(vt::writeFile(root_.at("/dev/ainput2"), std::string("\xFF\x0F", 2)));
        vt::makeDirs(root_.cwd());
        nvt::writeFiles(root_.cwd(), nvt::encode({{"NVER", NVR_VERSION}, {"SENU", 20417}}));
        vt::makeDirs(root_.at("/mnt/mmc0"));
        ASSERT_TRUE(vt::writeFile(root_.at("/mnt/mmc0/POSDemo.txt"), SCRIPT));
        unit_ = std::make_unique<vt::Child>(std::vector<std::string>{vt::buildPath("app/vondrel")},
                                            std::vector<std::string>{"VONDREL_ROOT=" + root_.path(),
                                                                     "VONDREL_CWD=" + root_.cwd()});
        ASSERT_TRUE(unit_->waitForOutput("priority for \"key thread\"", 30000)) << unit_->out();
        ASSERT_TRUE(keypad_.open()) << unit_->out();
    }
    void TearDown() override
    {
        if (unit_ && unit_->running())
            unit_->signal(SIGKILL);
    }
    gt::Rgb snapshot()
    {
        const std::string png = root_.at("/tmp/shelf.png");
        const vt::ProcResult r =
            vt::runProcess({vt::buildPath("tools/vondrel-view"), "--snapshot", png}, {"VONDREL_ROOT=" + root_.path()});
        return r.status == 0 ? gt::readPng(png) : gt::Rgb{};
    }
    void tap(DKEY_ID key)
    {
        ASSERT_TRUE(keypad_.press(key));
        std::this_thread::sleep_for(milliseconds(120)); // the keys are scanned
        ASSERT_TRUE(keypad_.release(key));
    }
    // Waits until the share of the balloon shown passes (or, with below,
    // falls under) the bound; the last share seen.
    double waitForShare(const Painted& p, double bound, bool below, seconds timeout)
    {
        const auto until = Clock::now() + timeout;
        double share = 0.0;
        do {
            share = shownShare(snapshot(), p);
            if (below ? share < bound : share > bound)
                break;
            std::this_thread::sleep_for(milliseconds(250));
        } while (Clock::now() < until);
        return share;
    }
    size_t waitForTabs(seconds timeout)
    {
        const auto until = Clock::now() + timeout;
        size_t tabs = 0;
        while (Clock::now() < until && (tabs = countColour(snapshot(), 65, 0, 40)) < 2000)
            std::this_thread::sleep_for(milliseconds(200));
        return tabs;
    }

    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
};

TEST_F(ShelfUnit, StartsInPointOfSaleShowsTheCardsFirstBalloonAndExitStartsTheDemoOver)
{
    const Painted balloon = firstBalloon();
    ASSERT_GT(balloon.at.size(), 20000u) << "a balloon and a prompt";

    // The auto-start after 8 s, then five view changes 10 s apart before
    // the script plays.
    const double shown = waitForShare(balloon, 0.99, false, seconds(150));
    ASSERT_GT(shown, 0.99) << "the first balloon and the exit prompt\n" << unit_->out();

    // The demonstration has every key but POWER: MENU is refused.
    tap(DKEY_MENU);
    std::this_thread::sleep_for(seconds(2));
    EXPECT_LT(countColour(snapshot(), 65, 0, 40), 2000u) << "no main menu during the demonstration";
    EXPECT_GT(shownShare(snapshot(), balloon), 0.99);

    tap(DKEY_EXIT);
    const double left = waitForShare(balloon, 0.5, true, seconds(10));
    EXPECT_LT(left, 0.5) << "the balloon and the prompt went\n" << unit_->out();

    // MENU opens the view's hot menu first where the view has one (the
    // capture review does), and the main menu from there.
    tap(DKEY_MENU);
    if (waitForTabs(seconds(4)) < 2000u)
        tap(DKEY_MENU);
    EXPECT_GE(waitForTabs(seconds(10)), 2000u) << "the main menu's tab bar along the top\n" << unit_->out();
    EXPECT_LT(shownShare(snapshot(), balloon), 0.5) << "no balloon while the viewer has the unit";
    EXPECT_TRUE(unit_->running()) << unit_->out();
}

} // namespace
