// The process frame run as a child process under a temporary unit root:
// options, exit statuses, signals and the log format.
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

namespace {

struct Unit {
    vt::TempRoot root;
    std::vector<std::string> env() const
    {
        return {"VONDREL_ROOT=" + root.path(), "VONDREL_CWD=" + root.cwd()};
    }
    std::vector<std::string> argv(std::vector<std::string> args) const
    {
        args.insert(args.begin(), vt::buildPath("app/vondrel"));
        return args;
    }
    vt::ProcResult run(std::vector<std::string> args, int timeoutMs = 20000) const
    {
        return vt::runProcess(argv(std::move(args)), env(), timeoutMs);
    }
};

// The clock column (seconds) of the first log line holding text; -1 if none.
double clockOf(const std::string& log, const std::string& text)
{
    std::istringstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find(text) == std::string::npos)
            continue;
        std::istringstream fields(line);
        std::string since, now;
        fields >> since >> now;
        return std::stod(now);
    }
    return -1;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

const std::regex LOG_LINE(R"([ 0-9]{5}\.\d{3} [ 0-9]{5}\.\d{3} [ 0-9]{2}\d? \S+ .*\r)");

TEST(Process, CommandLineErrorsExitOne)
{
    Unit u;
    struct Case {
        std::vector<std::string> args;
        const char* text;
    };
    const Case cases[] = {
        {{"quit_sec"}, "specifier required for argument quit_sec"},
        {{"task_flush", "task_add"}, "specifier required for argument task_add"},
        {{"bogus"}, "invalid argument bogus"},
        {{"task_flush", "QUIT_SEC", "5"}, "invalid argument QUIT_SEC"},
        {{"task_add", "5,70"}, "invalid task id 70 for argument task_add"},
        {{"task_rem", "0"}, "invalid task id 0 for argument task_rem"},
        // Values the clock cannot hold are refused, not overflowed.
        {{"quit_sec", "1000000000000000000"}, "invalid argument 1000000000000000000"},
        {{"quit_sec", "2147483648"}, "invalid argument 2147483648"},
        {{"debug_sec", "99999999999999999999"}, "invalid argument 99999999999999999999"},
        {{"debug_sec", "-1"}, "invalid argument -1"},
        {{"sleeper", "9223372036854775807"}, "invalid argument 9223372036854775807"},
        {{"fake_key", "4294967296"}, "invalid argument 4294967296"},
        // The largest values are taken: the word after them is the error.
        {{"quit_sec", "2147483647", "debug_sec", "2147483647", "sleeper", "2147483647", "bogus"},
         "invalid argument bogus"},
    };
    for (const Case& c : cases) {
        vt::ProcResult r = u.run(c.args);
        EXPECT_EQ(r.status, 1) << c.text;
        EXPECT_NE(r.out.find(c.text), std::string::npos) << r.out;
        // Written even with no_log.
        std::vector<std::string> quiet = c.args;
        quiet.insert(quiet.begin(), "no_log");
        r = u.run(quiet);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.out.find(c.text), std::string::npos) << r.out;
    }
}

TEST(Process, QuitSecondsEndsWithFourAndOnlyChosenTasksStart)
{
    Unit u;
    vt::ProcResult r = u.run({"task_flush", "task_add", "2,17", "quit_sec", "1"});
    EXPECT_EQ(r.status, 4) << r.out;
    // The kernel dump and everything after it go to standard error.
    EXPECT_NE(r.err.find("task information (70 total)"), std::string::npos);
    EXPECT_NE(r.err.find("quit seconds expired"), std::string::npos);
    // Every log line has the log format; only the main thread and the two
    // tasks left enabled wrote lines (the start-up task's only line, the
    // timer thread's creation for its sweep timer, may come after the exit;
    // so may the serial-port task's, as Main's start of the sync thread
    // logs first).
    std::set<std::string> writers;
    for (const std::string& line : lines(r.out + r.err)) {
        EXPECT_TRUE(std::regex_match(line, LOG_LINE)) << "[" << line << "]";
        std::istringstream fields(line);
        std::string since, now, id, name;
        fields >> since >> now >> id >> name;
        writers.insert(id + " " + name);
    }
    // The serial-port task writes lines only when it opens ports or is the
    // first to start a timer, so it may have written none.
    writers.erase("17 STARTTASK");
    writers.erase("2 UARTTASK");
    EXPECT_EQ(writers, (std::set<std::string>{"70 MAINTHREAD"}));
}

TEST(Process, ClockCountsFromTheProcessStart)
{
    // Whatever the host's uptime, quit_sec 3 ends the process 3 s after it
    // started, even when nothing logs in between (only the serial-port and
    // start-up tasks run), and the log's clock starts near zero.
    Unit u;
    const auto t0 = std::chrono::steady_clock::now();
    vt::ProcResult r = u.run({"task_flush", "task_add", "2,17", "quit_sec", "3"});
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(r.status, 4) << r.out << r.err;
    EXPECT_GE(ms, 3000);
    EXPECT_LT(ms, 9000);
    EXPECT_LT(clockOf(r.out, "start"), 2.0) << r.out;
    const double quitAt = clockOf(r.err, "quit seconds expired");
    EXPECT_GE(quitAt, 3.0) << r.err;
    EXPECT_LT(quitAt, 9.0) << r.err;
}

TEST(Process, StartsFromAnEmptyOrMissingRoot)
{
    vt::TempRoot holder;
    for (const std::string& root : {holder.path() + "/empty", holder.path() + "/not/made/yet"}) {
        if (root.ends_with("/empty"))
            vt::makeDirs(root);
        vt::Child c({vt::buildPath("app/vondrel"), "quit_sec", "3"}, {"VONDREL_ROOT=" + root});
        EXPECT_TRUE(c.waitForOutput("69 BTREMOTETASK", 15000)) << root << "\n" << c.out();
        vt::ProcResult r;
        ASSERT_TRUE(c.wait(r, 15000));
        EXPECT_EQ(r.status, 4) << root << "\n" << r.out;
        for (const char* folder : {"/dev", "/dev/input", "/mnt", "/tmp", "/usr/vondrel", "/sys", "/etc"})
            EXPECT_TRUE(std::filesystem::is_directory(root + folder)) << root << folder;
    }
}

TEST(Process, AFolderThatCannotBeMadeIsFatal)
{
    vt::TempRoot holder;
    const std::string root = holder.path() + "/unit";
    vt::makeDirs(root);
    ASSERT_TRUE(vt::writeFile(root + "/dev", "a file where a folder belongs"));
    vt::ProcResult r = vt::runProcess({vt::buildPath("app/vondrel")}, {"VONDREL_ROOT=" + root}, 20000);
    EXPECT_EQ(r.status, 10);
    const std::string text = "cannot make folder " + root + "/dev: Not a directory";
    EXPECT_NE(r.out.find(text), std::string::npos) << r.out;
    EXPECT_NE(vt::readFile(root + "/usr/vondrel/FATAL.LOG").find(text), std::string::npos);
    EXPECT_EQ(r.out.find("inotify"), std::string::npos) << r.out;
}

TEST(Process, AllTasksStartByDefault)
{
    Unit u;
    vt::Child c(u.argv({}), u.env());
    // Task 69 is the last one Main starts.
    ASSERT_TRUE(c.waitForOutput("69 BTREMOTETASK", 10000)) << c.out();
    // Tasks whose subsystems are not built say so when they start.
    for (const char* task : {"13 CHARTTASK", "16 NAVTASK", "19 NMEATASK", "28 MMCTASK"})
        EXPECT_NE(c.out().find(task), std::string::npos) << task;
    c.signal(SIGINT);
    vt::ProcResult r;
    ASSERT_TRUE(c.wait(r));
    EXPECT_EQ(r.status, 2);
    // Task 3 is never started: the kernel dump shows no run time for it,
    // while the empty tasks Main does start (47, 53) ran for the moment
    // before they ended themselves.
    auto runTime = [&](const char* task) {
        std::smatch m;
        const std::regex row(std::string(task) + R"(: active -?\d+ time \(-?\d+%\) (\d+\.\d{6}) )");
        return std::regex_search(r.err, m, row) ? m[1].str() : std::string("missing");
    };
    EXPECT_EQ(runTime("03 DUMMYTASK"), "0.000000") << r.err;
    const std::string slpd = runTime("47 SLPDTASK"), gmsgTest = runTime("53 GMSGTESTTASK");
    EXPECT_NE(slpd, "missing");
    EXPECT_NE(gmsgTest, "missing");
    EXPECT_TRUE(slpd != "0.000000" || gmsgTest != "0.000000") << slpd << " " << gmsgTest;
}

TEST(Process, SignalsEndWithTwo)
{
    for (int sig : {SIGTERM, SIGINT}) {
        Unit u;
        vt::Child c(u.argv({}), u.env());
        ASSERT_TRUE(c.waitForOutput("start", 10000));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(c.running()) << "the unit keeps running until stopped";
        c.signal(sig);
        vt::ProcResult r;
        ASSERT_TRUE(c.wait(r, 10000));
        EXPECT_EQ(r.status, 2) << sig;
        // SIGINT dumps the kernel first; SIGTERM does not.
        EXPECT_EQ(r.err.find("semaphore information (280 total)") != std::string::npos, sig == SIGINT);
    }
}

TEST(Process, HangWatchdogEndsWithThree)
{
    Unit u;
    // One log line starts the watchdog; then nothing logs (Main waits for a
    // start-up task that is not running).
    vt::ProcResult r = u.run({"task_flush", "task_add", "2", "debug_sec", "1"}, 20000);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("task information"), std::string::npos);
}

TEST(Process, NoLogStillHonoursQuitSeconds)
{
    Unit u;
    vt::ProcResult r = u.run({"no_log", "quit_sec", "1"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out.find("not built yet"), std::string::npos);
}

} // namespace
