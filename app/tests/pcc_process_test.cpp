// The PC-connect service on the running unit: a PC played by a Python peer
// (python3-serial) on the far end of a socat pseudo-terminal pair whose
// near end is the unit's port 3, as on `make run`.
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <unistd.h>

namespace {

bool waitForFile(const std::string& path, int ms)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!vt::fileExists(path)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(PcConnect, AToolOnPort3ConnectsSwitchesRatesAndWipesTheUnit)
{
    if (access("/usr/bin/socat", X_OK) != 0)
        GTEST_SKIP() << "socat is not installed";
    if (vt::runProcess({"/usr/bin/python3", "-c", "import serial"}).status != 0)
        GTEST_SKIP() << "python3-serial is not installed";
    vt::TempRoot root;
    vt::makeDirs(root.at("/dev"));
    vt::makeDirs(root.at("/tmp"));
    const std::string pcEnd = root.at("/tmp/pc");
    vt::Child socat({"/usr/bin/socat", "pty,raw,echo=0,link=" + root.at("/dev/ttyO3"),
                     "pty,raw,echo=0,link=" + pcEnd});
    ASSERT_TRUE(waitForFile(root.at("/dev/ttyO3"), 10000) && waitForFile(pcEnd, 10000)) << socat.err();

    vt::Child unit({vt::buildPath("app/vondrel")}, {"VONDREL_ROOT=" + root.path(), "VONDREL_CWD=" + root.cwd()});
    const vt::ProcResult peer =
        vt::runProcess({"/usr/bin/python3", vt::sourcePath("app/tests/pcc_peer.py"), root.path(), pcEnd,
                        vt::buildPath("tools/vondrel-view")},
                       {}, 240000);
    EXPECT_EQ(peer.status, 0) << peer.out << peer.err;
    EXPECT_NE(peer.out.find("OK"), std::string::npos) << peer.out;

    vt::ProcResult ended;
    ASSERT_TRUE(unit.wait(ended, 60000)) << "the unit did not restart after the wipe";
    EXPECT_EQ(ended.status, 10) << ended.err.substr(ended.err.size() > 3000 ? ended.err.size() - 3000 : 0);
    for (const char* f : {"nvr_entries.dat", "nvr_statbit.dat", "sonar.dat", "personal.dat"})
        EXPECT_FALSE(vt::fileExists(root.cwd() + "/" + f)) << f << " survived the wipe";
}

} // namespace
