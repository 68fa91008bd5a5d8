// The navigation task's own handling, called as the task calls it: the
// mailbox key owned by somebody else, the reset mail in and out of
// simulation, shutdown, the group-visibility timer and the contour offset
// countdown, and the drawing resources the start lends the chart library.
#include "nav/tests/nav_core_world.h"

#include "nav/core/t_nav_stevrin.h"
#include "nav/core/task_standins.h"
#include "chart_sdk/graphics/gr_context.h"
#include "kernel/l_mutex.h"
#include "nav/core/t_nav_state.h"
#include "nav/data/t_nav_twr.h"
#include "kernel/l_utils.h"
#include "trolling/u_stevrin_standin.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

using namespace navw;

std::string fatalLog()
{
    std::ifstream in(std::string(L_UTILS_cpGetPathnamePtr()) + "/FATAL.LOG");
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

U32 offsetSends()
{
    U32 n = 0;
    for (U32 i = 0; i < U_STEVRIN_STANDIN_u32CallCount(); ++i)
        if (std::string(U_STEVRIN_STANDIN_pcCall(i)).find("Offset") != std::string::npos)
            ++n;
    return n;
}

class NavTask : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        NAV_TASK_STANDIN_vForget();
        U_STEVRIN_STANDIN_vClearCalls();
    }
};

TEST_F(NavTask, ASecondOwnerOfTheMailboxKeyEndsTheProcess)
{
    H_DATABASE_bUpdateEverythingU32(FCID("TNAV"), 99, 1, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    EXPECT_EXIT(T_NAV_vInit(), testing::ExitedWithCode(NAV_FATAL_EXIT_STATUS), "");
    EXPECT_NE(fatalLog().find("Somebody else registered the Nav Task Mailbox"), std::string::npos);
    EXPECT_FALSE(H_DATABASE_bFetch(FCID("IDST"), nullptr, nullptr, nullptr)) << "nothing else was made";
}

TEST_F(NavTask, TheResetMailEmptiesTheTrackOnlyInSimulationAndPointOfSale)
{
    for (U32 state : {3u, 4u, 6u}) {
        SCOPED_TRACE(state);
        const bool simulated = state != 3;
        setU("CCST", state);
        setS("SNCS", 12);
        s_CurrentTrack.u16Count = 5;
        // A waypoint that is in the table but in no file: a reload drops it.
        WAYPOINT* pUnsaved = T_NAV_pGetWaypoint(100);
        pUnsaved->u8Status = WP_STATUS_PERMANENT;
        s_u32IndexInAimpointList = 3;
        T_NAV_vHandleResetPos();
        EXPECT_EQ(*s("SNCS"), 17) << "the settings are back in every state";
        EXPECT_EQ(s_CurrentTrack.u16Count, simulated ? 0 : 5);
        EXPECT_EQ(T_NAV_pGetWaypoint(100)->u8Status == WP_STATUS_PERMANENT, !simulated)
            << "the tables are read again";
        EXPECT_EQ(s_u32IndexInAimpointList, simulated ? 0u : 3u) << "the simulated course starts again";
        U_NAV_vClearTrack(&s_CurrentTrack);
        T_NAV_TWR_vClearTables();
    }
}

TEST_F(NavTask, TheStartLendsTheChartLibraryThePatternSetAndTheNavigationBitmaps)
{
    T_NAV_vInit();
    const PATTERN_TABLE& pattern = PatternInfo[49];
    ASSERT_NE(pattern.ptr, nullptr);
    EXPECT_EQ(pattern.width, 8);
    EXPECT_EQ(pattern.height, 8);
    EXPECT_EQ(pattern.size, 8);
    // Pattern 0 dashes a line: some of its first eight pixels are drawn,
    // some not.
    EXPECT_NE(pattern.ptr[0], 0x00);
    EXPECT_NE(pattern.ptr[0], 0xFF);

    struct Case {
        BMAPTYPE slot;
        SINT width, height, bytes, frames;
    } cases[] = {
        {4, 3, 3, 6, 1},    {5, 3, 3, 6, 1},     {8, 21, 21, 231, 9}, {9, 16, 16, 128, 1},
        {10, 25, 25, 325, 1}, {11, 20, 20, 200, 1}, {12, 20, 20, 200, 1},
    };
    std::vector<std::vector<UCHAR>> pictures;
    for (const Case& c : cases) {
        SCOPED_TRACE((int)c.slot);
        const BITMAP_TABLE& t = BitmapInfo[c.slot];
        ASSERT_NE(t.ptr, nullptr);
        EXPECT_EQ(t.width, c.width);
        EXPECT_EQ(t.height, c.height);
        EXPECT_EQ(t.size, c.bytes);
        EXPECT_EQ(t.rowsize, (c.width + 1) / 2);
        for (SINT n = 0; n < c.frames; ++n) {
            std::vector<UCHAR> frame(t.ptr + n * t.size, t.ptr + (n + 1) * t.size);
            EXPECT_NE(std::count(frame.begin(), frame.end(), 0), (std::ptrdiff_t)frame.size()) << "frame " << n;
            pictures.push_back(frame);
        }
    }
    // Each boat heading has its own picture.
    for (size_t i = 2; i < 11; ++i)
        for (size_t j = 2; j < i; ++j)
            EXPECT_NE(pictures[i], pictures[j]) << "boat frames " << i - 2 << " and " << j - 2;
}

TEST_F(NavTask, ShutdownClosesTheGroupManagerAndLaterMailsAreHandled)
{
    GENERIC_MESSAGE shutdown{};
    shutdown.Cmd = CMD_ID_SHUTDOWN;
    T_NAV_vHandleMail(&shutdown.msghdr);
    EXPECT_EQ(NAV_TASK_STANDIN_vCalls(), std::vector<std::string>{"group-shutdown"});
    setU("CCST", 4);
    s_CurrentTrack.u16Count = 5;
    GENERIC_MESSAGE reset{};
    reset.Cmd = CMD_ID_RESET_POS;
    T_NAV_vHandleMail(&reset.msghdr);
    EXPECT_EQ(s_CurrentTrack.u16Count, 0);
}

TEST_F(NavTask, TheHideStatusTimerRecomputesOnlyWhenAsked)
{
    T_NAV_vActivateUpdateHideStatus();
    T_NAV_vHandleSemaphore(SEMA_NAV_HIDE_STATUS);
    T_NAV_vHandleSemaphore(SEMA_NAV_HIDE_STATUS);
    EXPECT_EQ(NAV_TASK_STANDIN_vCalls(), std::vector<std::string>{"hide-status"});
}

TEST_F(NavTask, AnOffsetChangedTwiceReachesTheMotorOnceThreeTicksAfterTheSecond)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    void* const pState = NAV_STANDIN_pNewLakeState({});
    s_tFTCData.pStevrinStructAddr = pState;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    s_nOffsetRumbrelTimeout = 3; // the first change
    T_NAV_STEVRIN_vHandleNavTimer();
    s_nOffsetRumbrelTimeout = 3; // the second, a second later
    T_NAV_STEVRIN_vHandleNavTimer();
    T_NAV_STEVRIN_vHandleNavTimer();
    EXPECT_EQ(offsetSends(), 0u);
    T_NAV_STEVRIN_vHandleNavTimer();
    EXPECT_EQ(offsetSends(), 1u);
    for (int i = 0; i < 5; ++i)
        T_NAV_STEVRIN_vHandleNavTimer();
    EXPECT_EQ(offsetSends(), 1u);
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    s_tFTCData.pStevrinStructAddr = nullptr;
    DORRIMStevrinClear(pState);
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
}

} // namespace
