// The fatal path: FATAL.LOG in the working directory, then status 10.
#include "kernel/error.h"
#include "kernel/lm_log.h"

#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FatalError, AppendsToFatalLogAndExitsTen)
{
    vt::TempRoot root;
    root.exportEnv();
    vt::writeFile(root.cwd() + "/FATAL.LOG", "earlier\n");
    EXPECT_EXIT(
        {
            ERROR_error("h_memory", 520, "Requesting a partition that is too large");
            U_RESET_vReset(0, 0);
        },
        testing::ExitedWithCode(10), "");
    std::string log = vt::readFile(root.cwd() + "/FATAL.LOG");
    EXPECT_EQ(log.rfind("earlier\n", 0), 0u);
    EXPECT_NE(log.find("error: Requesting a partition that is too large in h_memory at 520\n"), std::string::npos);
}

TEST(FatalError, LongTextsAreCutNotOverflowed)
{
    vt::TempRoot root;
    root.exportEnv();
    std::string longText(5000, 'x');
    EXPECT_EXIT(
        {
            ERROR_error("a_file", 1, longText.c_str());
            log_me("%s", longText.c_str());
            bail_out("%s", longText.c_str());
        },
        testing::ExitedWithCode(1), "");
    std::string log = vt::readFile(root.cwd() + "/FATAL.LOG");
    EXPECT_FALSE(log.empty());
    EXPECT_LT(log.size(), 400u);
}

TEST(FatalError, MissingWorkingDirectoryStillReportsAndResets)
{
    vt::TempRoot root;
    setenv("VONDREL_CWD", (root.path() + "/no/such/dir").c_str(), 1);
    EXPECT_EXIT(
        {
            ERROR_error("x", 2, "boom");
            U_RESET_vReset(0, 0);
        },
        testing::ExitedWithCode(10), "");
}

} // namespace
