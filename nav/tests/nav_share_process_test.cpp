// Two units on a wire of their own (two network namespaces joined by a veth
// pair) share their waypoints. B is pointed at A by ROOT/etc/nav-peer; A,
// asked, answers, sends its own waypoints and asks B back, so that each
// holds the other's in bank 1. A runs the simulator, marks with the MARK key
// and deletes from the chart cursor's menu (its waypoint files show each
// change); B's log tells what its bank of A holds after every slice. A's
// shutdown withdraws it, and B's bank of A empties.
#include "sonar/tests/sonar_unit_driving.h"
#include "testing/t_netns.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Args = std::vector<std::string>;

constexpr int START_MS = 60000;
constexpr int SHARE_MS = 60000;

const std::string A_ADDRESS = vt::NamespacePair::kAddressA;

// The unit in one of the two namespaces; ip netns exec keeps the
// environment it is given.
std::unique_ptr<vt::Child> startIn(const vt::NamespacePair& ns, bool first, const vt::TempRoot& root)
{
    Args argv = ns.in(first);
    argv.insert(argv.end(), {vt::buildPath("app/vondrel"), "nodisclaimer"});
    return std::make_unique<vt::Child>(argv, sud::env(root));
}

// Own waypoints the unit has stored (its waypoint files of status 1 to 3;
// the group records share the folder).
int ownWaypoints(const vt::TempRoot& root)
{
    DIR* d = opendir((root.cwd() + "/wpts").c_str());
    if (d == nullptr)
        return 0;
    int n = 0;
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9')
            continue;
        const std::string bytes = vt::readFile(root.cwd() + "/wpts/" + e->d_name);
        // The record follows the 8-byte file header; bits 0-5 are its status.
        const int status = bytes.size() >= 9 ? (U8)bytes[8] & 0x3F : 0;
        n += status >= 1 && status <= 3;
    }
    closedir(d);
    return n;
}

// How many of A's waypoints B's bank held after the last slice it applied;
// -1 before the first.
int heldOfA(vt::Child& unit)
{
    const std::string out = unit.out();
    const std::string line = "waypoint bank 1 of " + A_ADDRESS + ": ";
    const size_t at = out.rfind(line);
    if (at == std::string::npos)
        return -1;
    const size_t held = out.find(" waypoints held", at);
    const size_t comma = out.rfind(", ", held);
    if (held == std::string::npos || comma == std::string::npos || comma < at)
        return -1;
    return atoi(out.substr(comma + 2, held - comma - 2).c_str());
}

class NavBetweenUnits : public ::testing::Test {
protected:
    void TearDown() override
    {
        const bool failed = HasFailure();
        for (auto [name, unit] : {std::pair<const char*, vt::Child*>{"A", a_.get()}, {"B", b_.get()}}) {
            if (unit == nullptr)
                continue;
            if (failed || getenv("DUMPUNIT")) {
                // The sonar's lines drown the rest: first what concerns
                // waypoints, the system state and the alarms, then the end.
                const std::string said = unit->out() + unit->err();
                std::string picked;
                size_t pos = 0;
                while (pos < said.size()) {
                    const size_t end = std::min(said.find('\n', pos), said.size());
                    const std::string line = said.substr(pos, end - pos);
                    for (const char* word : {"aypoint", "system state", "alarm", "stand-in", "exit"})
                        if (line.find(word) != std::string::npos) {
                            picked += line + "\n";
                            break;
                        }
                    pos = end + 1;
                }
                fprintf(stderr, "---- unit %s (%s) said on waypoints ----\n%s---- and last ----\n%s\n", name,
                        unit->running() ? "running" : "gone", picked.c_str(),
                        said.substr(said.size() > 4000 ? said.size() - 4000 : 0).c_str());
            }
            if (unit->running())
                unit->signal(SIGKILL);
            vt::ProcResult ignored;
            unit->wait(ignored, 10000);
        }
    }
    std::unique_ptr<vt::Child> a_, b_;
};

TEST_F(NavBetweenUnits, APeersBankFollowsItsMarksAndDeletesAndEmptiesWhenItWithdraws)
{
    vt::NamespacePair ns("nsh");
    if (!ns.ready())
        GTEST_SKIP() << "network namespaces cannot be made on this machine (root and the ip tool are needed)";
    vt::TempRoot a, b;
    vt::makeDirs(b.at("/etc"));
    ASSERT_TRUE(vt::writeFile(b.at("/etc/nav-peer"), A_ADDRESS + "\n"));

    // A in the simulator, its boat on the move; one mark before B comes.
    const vt::ProcResult rec =
        vt::runProcess({vt::buildPath("tools/vondrel-demorec"), a.cwd() + "/SONARSIM"}, {}, 60000);
    ASSERT_EQ(rec.status, 0) << rec.out << rec.err;
    a_ = startIn(ns, true, a);
    ASSERT_TRUE(a_->waitForOutput("priority for \"key thread\"", START_MS)) << a_->out();
    vt::Keypad keys(a.path());
    ASSERT_TRUE(keys.open()) << a_->out();
    sud::chooseSimulator(a, keys);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(sud::waitFor(
        [&] {
            if (ownWaypoints(a) == 0)
                sud::tap(keys, DKEY_MARK);
            return ownWaypoints(a) == 1;
        },
        sud::milliseconds(START_MS), sud::milliseconds(3000)))
        << "A made no waypoint";

    // B asks A: A's waypoint comes in the first slice, then A's next mark.
    b_ = startIn(ns, false, b);
    ASSERT_TRUE(b_->waitForOutput("waypoint peer " + A_ADDRESS + " shares into bank 1", START_MS));
    ASSERT_TRUE(sud::waitFor([&] { return heldOfA(*b_) == 1; }, sud::milliseconds(SHARE_MS)))
        << "B's bank of A holds " << heldOfA(*b_);
    // A's next mark, at its chart cursor, which the mark makes the cursor's
    // waypoint: B's bank follows the add. Each try first closes what may be
    // open (the quick-setup menu opens a little after the simulator
    // starts, or a cursor left by the try before).
    ASSERT_TRUE(sud::waitFor(
        [&] {
            if (ownWaypoints(a) < 2) {
                sud::tap(keys, DKEY_EXIT);
                std::this_thread::sleep_for(sud::milliseconds(1000));
                sud::tap(keys, DKEY_CURSOR_UP);
                std::this_thread::sleep_for(sud::milliseconds(1000));
                sud::tap(keys, DKEY_MARK);
            }
            return ownWaypoints(a) == 2;
        },
        sud::milliseconds(START_MS), sud::milliseconds(4000)))
        << "A made no second waypoint";
    ASSERT_TRUE(sud::waitFor([&] { return heldOfA(*b_) == 2; }, sud::milliseconds(SHARE_MS)))
        << "B's bank of A holds " << heldOfA(*b_);

    // A deletes it from the cursor's menu ("Waypoint", "Delete", confirmed):
    // B's bank follows the delete.
    // The menu's first rows are the split's when the chart shares the screen
    // with the sonar, whose pane is left of the chart.
    sud::tap(keys, DKEY_MENU);
    std::this_thread::sleep_for(sud::milliseconds(1000));
    const gt::Rgb menu = sud::snapshot(a, "menu");
    ASSERT_FALSE(menu.data.empty());
    const U8* sonarPane = sud::px(menu, 100, 150);
    const bool fullChart = sonarPane[2] > 180 && sonarPane[0] < 120;
    std::vector<DKEY_ID> path(fullChart ? 0 : 2, DKEY_CURSOR_DOWN);
    path.insert(path.end(), {DKEY_CURSOR_RIGHT, DKEY_CURSOR_DOWN, DKEY_CURSOR_RIGHT, DKEY_CURSOR_RIGHT});
    for (DKEY_ID key : path) {
        sud::tap(keys, key);
        std::this_thread::sleep_for(sud::milliseconds(1000));
    }
    ASSERT_TRUE(sud::waitFor([&] { return ownWaypoints(a) == 1; }, sud::milliseconds(START_MS)))
        << "A did not delete its waypoint";
    ASSERT_TRUE(sud::waitFor([&] { return heldOfA(*b_) == 1; }, sud::milliseconds(SHARE_MS)))
        << "B's bank of A holds " << heldOfA(*b_);

    // A withdraws: shut down with POWER held, it tells B to stop, and B's
    // bank of A is emptied and stays so.
    ASSERT_TRUE(keys.press(DKEY_POWER));
    std::this_thread::sleep_for(sud::milliseconds(3500));
    // A may have ended before the release reaches it.
    (void)keys.release(DKEY_POWER);
    vt::ProcResult ended;
    ASSERT_TRUE(a_->wait(ended, START_MS)) << "A did not shut down";
    const std::string left = "waypoint peer " + A_ADDRESS + " left bank 1";
    ASSERT_TRUE(sud::waitFor([&] { return b_->out().find(left) != std::string::npos; },
                             sud::milliseconds(SHARE_MS)));
    const std::string said = b_->out();
    EXPECT_GT(said.rfind(left), said.rfind("waypoint bank 1 of " + A_ADDRESS))
        << "B took A's waypoints again after A withdrew";
    EXPECT_GT(said.rfind(left), said.rfind("waypoint peer " + A_ADDRESS + " shares into bank 1"))
        << "B took A as a peer again after A withdrew";
}

} // namespace
