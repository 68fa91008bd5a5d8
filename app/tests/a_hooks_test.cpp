// What the composition root gives the lower layers: the task names, the
// model answer of the data store's units check, and the reset chain, which
// ends the process with status 10 as before.
#include "app/a_hooks.h"

#include "kernel/error.h"
#include "kernel/l_names.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

TEST(Hooks, TaskNamesComeFromTheTaskTable)
{
    A_HOOKS_vInstall();
    EXPECT_STREQ(get_task_name(17), "STARTTASK");
    EXPECT_STREQ(get_task_name(69), "BTREMOTETASK");
    EXPECT_STREQ(get_task_name(70), "MAINTHREAD");
    EXPECT_STREQ(get_task_name(71), "INVALID");
}

TEST(Hooks, UnitsCheckAsksTheModelTable)
{
    A_HOOKS_vInstall();
    H_DATABASE_vInit();
    const U32 valid[] = {U_FEET, U_FATHOMS};
    const FOURCHARID key = FCID("YUDP");
    H_DATABASE_bUpdateValueU32(key, U_METRES, P_NORMAL);
    H_DATABASE_vCheckForValidUnits(key, valid, 2, U_FEET); // no "SMDL": the export model
    U32 units = 0;
    H_DATABASE_bFetchU32(key, &units, nullptr, nullptr);
    EXPECT_EQ(units, (U32)U_METRES);

    H_DATABASE_bUpdateValueU32(FCID("SMDL"), 409, P_NORMAL); // the domestic model
    H_DATABASE_vCheckForValidUnits(key, valid, 2, U_FEET);
    H_DATABASE_bFetchU32(key, &units, nullptr, nullptr);
    EXPECT_EQ(units, (U32)U_FEET);
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
