// The unit with only its start-up, display and NVRAM tasks (the start-up
// task cannot do without the NVRAM task): the display task brings the
// frame buffer up, and with no view task vondrel-view shows the cleared
// screen.
#include "graphics/tests/g_testing.h"
#include "platform/fb_file.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

// The frame buffer's header once the display task has brought it up (the
// colour key is set only then); false when that does not happen in time.
bool waitForFrameBuffer(const vt::TempRoot& root, FBFILE_HEADER& header, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        const std::string file = vt::readFile(root.at("/dev/fb0"));
        if (file.size() == FBFILE_FILE_BYTES &&
            FBFILE_bDecodeHeader(reinterpret_cast<const U8*>(file.data()) + FBFILE_HEADER_OFFSET,
                                 FBFILE_HEADER_BYTES, &header) &&
            header.u32Key == 0x8401)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(DisplayTaskProcess, BringsTheFrameBufferUpAndTheViewerShowsTheClearedScreen)
{
    vt::TempRoot root;
    const std::vector<std::string> env = {"VONDREL_ROOT=" + root.path(), "VONDREL_CWD=" + root.cwd()};
    vt::Child unit({vt::buildPath("app/vondrel"), "task_flush", "task_add", "17,4,14"}, env);

    FBFILE_HEADER header{};
    ASSERT_TRUE(waitForFrameBuffer(root, header, 15000)) << unit.out();
    EXPECT_EQ(header.u32PageOnDisplay, 0u);

    const std::string png = root.at("/tmp/screen.png");
    const vt::ProcResult view =
        vt::runProcess({vt::buildPath("tools/vondrel-view"), "--snapshot", png}, {"VONDREL_ROOT=" + root.path()});
    ASSERT_EQ(view.status, 0) << view.err;
    const gt::Rgb shot = gt::readPng(png);
    ASSERT_EQ(shot.width, 800u);
    ASSERT_EQ(shot.height, 600u);
    size_t lit = 0;
    for (U8 v : shot.data)
        lit += v != 0;
    EXPECT_EQ(lit, 0u) << "the cleared screen is black";

    // The task is up and stays up: no second owner of its keys, no reset.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(unit.running()) << unit.out();
    EXPECT_EQ(unit.out().find("Somebody else registered"), std::string::npos);
    EXPECT_EQ(unit.out().find(" 4 DISPTASK not built yet"), std::string::npos);
    unit.signal(SIGTERM);
    vt::ProcResult r;
    ASSERT_TRUE(unit.wait(r));
    EXPECT_EQ(r.status, 2);
}

} // namespace
