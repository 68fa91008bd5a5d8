// The navigation task's own handling, called as the task calls it: the
// mailbox key owned by somebody else, the reset mail in and out of
// simulation, shutdown, the group-visibility timer and the contour offset
// countdown.
#include "nav/tests/nav_core_world.h"

#include "nav/core/t_nav_stevrin.h"
#include "nav/core/task_standins.h"
#include "kernel/l_mutex.h"
#include "kernel/l_utils.h"
#include "trolling/u_stevrin_standin.h"

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
        setU("CCST", state);
        s_CurrentTrack.u16Count = 5;
        T_NAV_vHandleResetPos();
        EXPECT_EQ(s_CurrentTrack.u16Count, state == 3 ? 5 : 0);
        U_NAV_vClearTrack(&s_CurrentTrack);
    }
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
