// What the composition root gives the lower layers: the task names and the
// reset chain, which ends the process with status 10 as before.
#include "app/a_hooks.h"

#include "kernel/error.h"
#include "kernel/l_names.h"

#include <gtest/gtest.h>

TEST(Hooks, TaskNamesComeFromTheTaskTable)
{
    A_HOOKS_vInstall();
    EXPECT_STREQ(get_task_name(17), "STARTTASK");
    EXPECT_STREQ(get_task_name(69), "BTREMOTETASK");
    EXPECT_STREQ(get_task_name(70), "MAINTHREAD");
    EXPECT_STREQ(get_task_name(71), "INVALID");
}

TEST(HooksDeathTest, ResetRunsTheShutdownChainToStatusTen)
{
    EXPECT_EXIT(
        {
            A_HOOKS_vInstall();
            U_RESET_vReset(0, 0);
        },
        ::testing::ExitedWithCode(10), "");
}
