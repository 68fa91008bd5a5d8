// The unit in a child process, driven through its keypad FIFO as the
// viewer drives it: the power key held down.
#include "testing/t_keypad.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class UnitKeys : public ::testing::Test {
protected:
    // The unit with its start-up stand-in, display, keyboard and NVRAM tasks.
    void start(std::vector<std::string> tasks = {"17,4,8,14"})
    {
        std::vector<std::string> argv = {vt::buildPath("app/vondrel"), "task_flush", "task_add"};
        argv.insert(argv.end(), tasks.begin(), tasks.end());
        unit_ = std::make_unique<vt::Child>(argv, std::vector<std::string>{"VONDREL_ROOT=" + root_.path(),
                                                                           "VONDREL_CWD=" + root_.cwd()});
        ASSERT_TRUE(unit_->waitForOutput("priority for \"key thread\"")) << unit_->out();
        ASSERT_TRUE(keypad_.open()) << unit_->out();
    }
    void TearDown() override
    {
        if (unit_ && unit_->running())
            unit_->signal(SIGKILL);
    }

    vt::TempRoot root_;
    vt::Keypad keypad_{root_.path()};
    std::unique_ptr<vt::Child> unit_;
};

TEST_F(UnitKeys, PowerHeldThreeSecondsShutsTheUnitDownOnceTheKeyIsReleased)
{
    start();
    // A viewer that comes and goes leaves the keypad working.
    keypad_.close();
    ASSERT_TRUE(keypad_.open());

    ASSERT_TRUE(keypad_.press(DKEY_POWER));
    sleepMs(3600);
    EXPECT_TRUE(unit_->running()) << "the power-off waits for the release\n" << unit_->out();
    const auto released = Clock::now();
    ASSERT_TRUE(keypad_.release(DKEY_POWER));
    vt::ProcResult r;
    ASSERT_TRUE(unit_->wait(r, 10000));
    EXPECT_EQ(r.status, 10) << r.out;
    EXPECT_LT(Clock::now() - released, std::chrono::milliseconds(1500)) << "it ends soon after the release";
}

TEST_F(UnitKeys, PowerReleasedBeforeThreeSecondsKeepsTheUnitRunning)
{
    start();
    ASSERT_TRUE(keypad_.press(DKEY_POWER));
    sleepMs(1500);
    ASSERT_TRUE(keypad_.release(DKEY_POWER));
    sleepMs(2500);
    EXPECT_TRUE(unit_->running()) << unit_->out();
}

} // namespace
