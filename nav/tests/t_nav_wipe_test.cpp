// Formatting the navigation storage ends the process with status 5.

#include "nav/core/t_nav_wipe.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/tests/nav_core_world.h"

#include <gtest/gtest.h>

namespace {

using namespace navw;

using NavWipeDeathTest = NavCore;

TEST_F(NavWipeDeathTest, TheWipeEndsTheProcessWithStatusFive)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child erases this test's own root
    EXPECT_EXIT(T_NAV_bWipeFlash(), ::testing::ExitedWithCode(NAV_WIPE_EXIT_STATUS), "");
}

} // namespace
