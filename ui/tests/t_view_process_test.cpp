// The unit with its start-up, display, view and NVRAM tasks: the start-up
// task registers its splash screen as the first view and asks for a frame,
// the view task composes it, and vondrel-view shows it: a picture, no
// longer the no-view colour 34 over the whole page.
#include "graphics/color.h"
#include "graphics/tests/g_testing.h"
#include "platform/fb_file.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <set>
#include <vector>
#include <thread>

namespace {

// The frame buffer's header once some frame has been presented; false when
// none is in time.
bool waitForAFrame(const vt::TempRoot& root, FBFILE_HEADER& header, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        const std::string file = vt::readFile(root.at("/dev/fb0"));
        if (file.size() == FBFILE_FILE_BYTES &&
            FBFILE_bDecodeHeader(reinterpret_cast<const U8*>(file.data()) + FBFILE_HEADER_OFFSET,
                                 FBFILE_HEADER_BYTES, &header) &&
            header.u32PanCount > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(ViewTaskProcess, TheFirstViewIsTheStartUpSplashAndTheViewerShowsIt)
{
    vt::TempRoot root;
    const std::vector<std::string> env = {"VONDREL_ROOT=" + root.path(), "VONDREL_CWD=" + root.cwd()};
    vt::Child unit({vt::buildPath("app/vondrel"), "task_flush", "task_add", "17,4,5,14"}, env);

    FBFILE_HEADER header{};
    ASSERT_TRUE(waitForAFrame(root, header, 15000)) << unit.out();

    // The splash may come a frame or two after the first one.
    gt::TestBitmap one(2, 2, gCOLOR_pcolColorTable[34]);
    const gt::Rgb colour34 = gt::toRgb(one);
    size_t other = 0;
    std::set<std::vector<U8>> colours;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    do {
        const std::string png = root.at("/tmp/screen.png");
        const vt::ProcResult view = vt::runProcess({vt::buildPath("tools/vondrel-view"), "--snapshot", png},
                                                   {"VONDREL_ROOT=" + root.path()});
        ASSERT_EQ(view.status, 0) << view.err;
        const gt::Rgb shot = gt::readPng(png);
        ASSERT_EQ(shot.width, 800u);
        ASSERT_EQ(shot.height, 600u);
        other = 0;
        colours.clear();
        for (size_t i = 0; i < shot.data.size(); i += 3) {
            other += memcmp(&shot.data[i], colour34.data.data(), 3) != 0;
            colours.insert(std::vector<U8>(&shot.data[i], &shot.data[i] + 3));
        }
    } while (colours.size() <= 20 && std::chrono::steady_clock::now() < until);
    EXPECT_GT(other, 800u * 600u / 2) << "a view, not the no-view colour";
    EXPECT_GT(colours.size(), 20u) << "a picture";

    // The task is up and stays up: no second owner of its key, no reset.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(unit.running()) << unit.out();
    EXPECT_EQ(unit.out().find("Somebody else registered"), std::string::npos);
    EXPECT_EQ(unit.out().find(" 5 VIEWTASK not built yet"), std::string::npos);
    unit.signal(SIGTERM);
    vt::ProcResult r;
    ASSERT_TRUE(unit.wait(r));
    EXPECT_EQ(r.status, 2);
}

} // namespace
