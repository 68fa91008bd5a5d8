// The unit in a child process, driven through its keypad FIFO as the
// viewer drives it, and looked at through vondrel-view's snapshots: the
// power key held down while the unit waits on its chart notice.
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"
#include "ui/u_dialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The message box on a screen: the pixels unlike the screen behind it
// (the same screen without the message, or else a plain screen of the
// corner's colour), within their bounding box, told apart from the box's
// fill (its most common colour). Two screens show the same message when
// their boxes have the same size and the same pixels apart from the fill,
// whatever colours the unit's palette gives them.
struct Box {
    int width = 0, height = 0;
    std::vector<bool> ink;
    bool operator==(const Box&) const = default;
};

Box messageBox(const gt::Rgb& rgb, const gt::Rgb* pBehind = nullptr)
{
    auto colourOf = [](const gt::Rgb& picture, int x, int y) {
        const U8* p = &picture.data[((size_t)y * picture.width + x) * 3];
        return (U32)p[0] << 16 | (U32)p[1] << 8 | p[2];
    };
    auto colour = [&](int x, int y) { return colourOf(rgb, x, y); };
    if (pBehind != nullptr && pBehind->data.size() != rgb.data.size())
        pBehind = nullptr;
    auto behind = [&](int x, int y) { return pBehind != nullptr ? colourOf(*pBehind, x, y) : colour(0, 0); };
    int left = (int)rgb.width, right = -1, top = (int)rgb.height, bottom = -1;
    for (int y = 0; y < (int)rgb.height; ++y)
        for (int x = 0; x < (int)rgb.width; ++x)
            if (colour(x, y) != behind(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    Box box;
    if (right < 0)
        return box;
    std::map<U32, int> counts;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            ++counts[colour(x, y)];
    U32 fill = 0;
    int most = 0;
    for (const auto& [c, n] : counts)
        if (n > most)
            fill = c, most = n;
    box.width = right - left + 1;
    box.height = bottom - top + 1;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            box.ink.push_back(colour(x, y) != fill);
    return box;
}

// The box the unit draws for the text: the dialog box as wide as the text
// and 14 pixels more, in the 16 x 17 font with 2 pixels between lines.
Box expected(const char* text)
{
    static const bool fonts = (U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH), true);
    (void)fonts;
    const FONT_DEF* font = std_16x17_font_def_ptr.load();
    U32 width = 14;
    for (const char* p = text; *p; ++p)
        width += G_FONTS_u32GetWidth(font, (BYTE)*p);
    gt::TestBitmap screen(800, 600, 0x1234);
    U_DIALOG_vDrawDialog(screen, text, font, 2, (U16)width, nullptr, nullptr, JUSTIFICATION_CENTER,
                         JUSTIFICATION_CENTER);
    return messageBox(gt::toRgb(screen.get()));
}

void sleepUntil(Clock::time_point t) { std::this_thread::sleep_until(t); }

class UnitKeys : public ::testing::Test {
protected:
    // The unit with its start-up, display, view, keyboard and NVRAM tasks,
    // held on its chart notice, which waits for a key and never starts the
    // system: EXIT on the splash brings it (as does the auto-start). A key
    // pressed before the start-up task has its keys is lost, so EXIT is
    // pressed again until the screen changes. The notice is the screen
    // behind the messages.
    void SetUp() override
    {
        unit_ = std::make_unique<vt::Child>(
            std::vector<std::string>{vt::buildPath("app/vondrel"), "task_flush", "task_add", "17,4,5,8,14"},
            std::vector<std::string>{"VONDREL_ROOT=" + root_.path(), "VONDREL_CWD=" + root_.cwd()});
        ASSERT_TRUE(unit_->waitForOutput("priority for \"key thread\"")) << unit_->out();
        ASSERT_TRUE(keypad_.open()) << unit_->out();
        const auto until = Clock::now() + std::chrono::seconds(30);
        gt::Rgb splash = snapshot();
        while (Clock::now() < until && messageBox(splash) == Box{}) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            splash = snapshot();
        }
        bool changed = false;
        while (Clock::now() < until && !changed) {
            ASSERT_TRUE(keypad_.press(DKEY_EXIT));
            std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the keys are scanned
            ASSERT_TRUE(keypad_.release(DKEY_EXIT));
            for (int i = 0; i < 10 && !changed; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                behind_ = snapshot();
                changed = behind_.data != splash.data;
            }
        }
        ASSERT_TRUE(changed) << "the notice came\n" << unit_->out();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        behind_ = snapshot();
    }
    void TearDown() override
    {
        if (unit_ && unit_->running())
            unit_->signal(SIGKILL);
    }
    gt::Rgb snapshot()
    {
        const std::string png = root_.at("/tmp/shown.png");
        const vt::ProcResult r =
            vt::runProcess({vt::buildPath("tools/vondrel-view"), "--snapshot", png}, {"VONDREL_ROOT=" + root_.path()});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.status == 0 ? gt::readPng(png) : gt::Rgb{};
    }
    Box shown() { return messageBox(snapshot(), &behind_); }

    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
    gt::Rgb behind_;
};

TEST_F(UnitKeys, PowerHeldCountsDownAndAfterThreeSecondsAndTheReleaseTheUnitEnds)
{
    // A viewer that comes and goes leaves the keypad working.
    keypad_.close();
    ASSERT_TRUE(keypad_.open());
    EXPECT_EQ(shown(), Box{}) << "nothing on the screen before";

    const auto pressed = Clock::now();
    ASSERT_TRUE(keypad_.press(DKEY_POWER));
    sleepUntil(pressed + std::chrono::milliseconds(1500));
    EXPECT_TRUE(shown() == expected("Shutdown in 2 seconds")) << "at 1.5 s";
    sleepUntil(pressed + std::chrono::milliseconds(2500));
    const Box at2500 = shown();
    EXPECT_TRUE(at2500 == expected("Shutdown in 1 seconds")) << "at 2.5 s";
    EXPECT_FALSE(at2500 == expected("Shutdown in 2 seconds"));

    sleepUntil(pressed + std::chrono::milliseconds(3800));
    EXPECT_TRUE(unit_->running()) << "the power-off waits for the release\n" << unit_->out();
    const auto released = Clock::now();
    ASSERT_TRUE(keypad_.release(DKEY_POWER));
    vt::ProcResult r;
    ASSERT_TRUE(unit_->wait(r, 10000));
    EXPECT_EQ(r.status, 10) << r.out;
    EXPECT_LT(Clock::now() - released, std::chrono::milliseconds(1500)) << "it ends soon after the release";
}

TEST_F(UnitKeys, PowerReleasedAtOneAndAHalfSecondsTakesTheMessageAwayAndTheUnitRuns)
{
    const auto pressed = Clock::now();
    ASSERT_TRUE(keypad_.press(DKEY_POWER));
    sleepUntil(pressed + std::chrono::milliseconds(1500));
    ASSERT_TRUE(keypad_.release(DKEY_POWER));
    sleepUntil(pressed + std::chrono::milliseconds(1800));
    EXPECT_EQ(shown(), Box{}) << "the message went with the release";
    sleepUntil(pressed + std::chrono::milliseconds(4000));
    EXPECT_TRUE(unit_->running()) << unit_->out();
    EXPECT_EQ(shown(), Box{});
}

} // namespace
