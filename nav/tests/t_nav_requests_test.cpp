// The group manager's requests (export and delete-all behind their
// questions) and the contour-following state the chart task resets when a
// lake-chart card is opened.
#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_requests.h"
#include "nav/tests/nav_stevrin_world.h"

#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_task.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/u_keyboard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace stw;

constexpr MBOX CARD_BOX = 31;

BOOLEAN answer(CURSOR_POSITION cursor)
{
    MSG_KEY_CHANGE m{};
    m.header.Cmd = CMD_ID_KEY_CHANGE;
    m.key = KEY_CURSOR;
    m.state = KEY_DOWN;
    m.count = 1;
    m.cursor = cursor;
    return T_NAV_CONF_bHandleKeys(&m);
}
BOOLEAN yes() { return answer(CURSOR_EAST); }

bool questionWaiting()
{
    // A question takes the key and, without a callback for the left
    // choice, only clicks; the queue is refilled by the caller if needed.
    return answer(CURSOR_WEST) != FALSE;
}

std::vector<S32> counters()
{
    return {*s("SGID"), *s("SWCN"), *s("SRCN"), *s("SWID")};
}

class NavRequests : public Stevrin {
protected:
    void SetUp() override
    {
        Stevrin::SetUp();
        T_NAV_CONF_vReset(0);
        drain(CARD_BOX);
        for (const char* key : {"SGID", "SWCN", "SRCN", "SWID"})
            setS(key, 9);
        putWaypoint(0, at(0, 0));
        putWaypoint(1, at(100, 0));
    }
    void TearDown() override
    {
        T_NAV_CONF_vReset(0);
        drain(CARD_BOX);
        Stevrin::TearDown();
    }
    static void publishCardTask()
    {
        H_DATABASE_bUpdateEverythingU32(FCID("TMMC"), CARD_BOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    }
};

TEST_F(NavRequests, DeleteAllWhileAnythingNavigatesResetsTheCountersAndRefuses)
{
    for (bool bMotorTrack : {false, true}) {
        SetUp();
        SCOPED_TRACE(bMotorTrack ? "motor on a track" : "route");
        if (bMotorTrack)
            NAV_STANDIN_vSetStevrinQueries(FALSE, TRUE, "", 0xFFFF);
        else
            setU("INIP", 1);
        T_NAV_vDeleteAllNavData();
        EXPECT_EQ(counters(), (std::vector<S32>{1, 1, 1, 0}));
        const auto mails = alarmMails();
        ASSERT_EQ(raised(mails, NAV_UI_ALARM), 1u);
        EXPECT_EQ(lastRaise(mails, NAV_UI_ALARM).text,
                  "Some navigation data is being used for navigation and cannot be deleted.  Delete all has been "
                  "canceled.");
        EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
        EXPECT_FALSE(signalled(SEMA_KEYCLICK_GOOD));
        EXPECT_FALSE(questionWaiting()) << "nothing is asked";
        EXPECT_EQ(T_NAV_pGetWaypoint(0)->u8Status, WP_STATUS_PERMANENT) << "nothing is deleted";
        EXPECT_EQ(T_NAV_pGetWaypoint(1)->u8Status, WP_STATUS_PERMANENT);
        TearDown();
    }
}

TEST_F(NavRequests, DeleteAllWhenIdleAsksFirstAndDeletesOnYes)
{
    T_NAV_vDeleteAllNavData();
    EXPECT_EQ(counters(), (std::vector<S32>{1, 1, 1, 0}));
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(raised(alarmMails(), NAV_UI_ALARM), 0u);
    EXPECT_EQ(T_NAV_pGetWaypoint(0)->u8Status, WP_STATUS_PERMANENT) << "nothing before the answer";
    setS("SWCN", 40);
    ASSERT_TRUE(yes());
    EXPECT_EQ(T_NAV_pGetWaypoint(0)->u8Status, WP_STATUS_FREE);
    EXPECT_EQ(T_NAV_pGetWaypoint(1)->u8Status, WP_STATUS_FREE);
    EXPECT_EQ(*s("SWCN"), 1) << "the yes action resets the counters again";
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
}

TEST_F(NavRequests, ExportingTheSelectionMailsTheCardTaskWhenThereIsOne)
{
    T_NAV_vExportSelectNavData();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD)) << "a good click without a card task";
    EXPECT_TRUE(drain(CARD_BOX).empty());

    publishCardTask();
    T_NAV_vExportAllNavData(); // a waiting export-all question goes
    ASSERT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    T_NAV_vExportSelectNavData();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_FALSE(questionWaiting()) << "the export-all question was dropped";
    const auto mails = drain(CARD_BOX);
    ASSERT_EQ(mails.size(), 1u);
    const auto& m = mails[0].as<GENERIC_MESSAGE>();
    EXPECT_EQ(m.Cmd, CMD_ID_EXPORT_SELECTED_NAV_DATA);
    EXPECT_EQ((int)m.Cmd, 70);
    EXPECT_EQ(m.msghdr.MsgPriority, 3);
    EXPECT_EQ(m.msghdr.sema, 0);
}

TEST_F(NavRequests, ExportingEverythingAsksAndTheYesMailsTheCardTask)
{
    publishCardTask();
    T_NAV_vExportAllNavData();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_TRUE(drain(CARD_BOX).empty()) << "nothing before the answer";
    ASSERT_TRUE(yes());
    const auto mails = drain(CARD_BOX);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_EXPORT_NAV_DATA);
    EXPECT_EQ(mails[0].as<GENERIC_MESSAGE>().msghdr.MsgPriority, 3);
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
}

// ---- Contour following ----

TEST_F(NavRequests, ContourFollowingIsActiveWhileTheMotorFollowsOrAContourIsPicked)
{
    EXPECT_FALSE(T_NAV_STEVRIN_bIsDorrimFTCActive());
    setU("IPMD", 9);
    EXPECT_TRUE(T_NAV_STEVRIN_bIsDorrimFTCActive());
    setU("IPMD", 3);
    EXPECT_FALSE(T_NAV_STEVRIN_bIsDorrimFTCActive());
    makePick(contour(3));
    EXPECT_TRUE(T_NAV_STEVRIN_bIsDorrimFTCActive());

    EXPECT_EQ(T_NAV_STEVRIN_vGetRecordedRumbrel(), nullptr);
    RUMBREL* track = heapTrack({at(0, 0), at(10, 10)});
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_tNavRumbrelData.pRumbrel = track;
    L_MUTEX_Unlock(RES_NAV_DATA);
    EXPECT_EQ(T_NAV_STEVRIN_vGetRecordedRumbrel(), track);
}

bool stopsGoTo()
{
    for (U32 i = 0; i < U_STEVRIN_STANDIN_u32CallCount(); ++i)
        if (std::string(U_STEVRIN_STANDIN_pcCall(i)) == "U_STEVRIN_vStopGoto")
            return true;
    return false;
}

size_t menuClears()
{
    size_t n = 0;
    for (const auto& m : uiMails(MENU_BOX))
        n += m.cmd == CMD_ID_CLEAR_MENU;
    return n;
}

TEST_F(NavRequests, ALakeCardOpenedWhileTheMotorFollowsAContourStopsItsGoTo)
{
    void* followed = follow(contour(6));
    memcpy(sMapfoldStevrinPath, OTHER_PATH, FTC_PATH_CHARS);
    void* pick = makePick(contour(3, 5), OTHER_PATH);
    s_bInGoToContourMenu = FALSE;
    setU("IPMD", 9);
    setB("IPNO", true);
    s_tContourRumbrel.u32Visible = 1;
    ASSERT_GT(s_tContourRumbrel.nCount, 0u);
    NAV_STANDIN_vForgetStevrin();
    U_STEVRIN_STANDIN_vClearCalls();

    T_NAV_STEVRIN_vOnDorrimCardOpen();

    EXPECT_EQ(s_pContourAddr, nullptr);
    EXPECT_EQ(s_tFTCData.pStevrinStructAddr, nullptr);
    EXPECT_EQ(s_tContourRumbrel.nCount, 0u);
    EXPECT_EQ(s_tContourRumbrel.u32Visible, 0u);
    EXPECT_TRUE(stopsGoTo());
    EXPECT_EQ(menuClears(), 1u) << "the picked contour's menu closes";
    const auto clears = lakeCalls("clear");
    ASSERT_EQ(clears.size(), 1u) << "the followed state is freed; the pick only forgotten";
    EXPECT_EQ(clears[0].pState, followed);
    EXPECT_EQ(clears[0].sPath, std::string(OTHER_PATH, FTC_PATH_CHARS)) << "in the folder it was picked in";
    EXPECT_TRUE(clears[0].bUnder104);
    (void)pick;
}

TEST_F(NavRequests, ALakeCardOpenedInAnotherModeOnlyForgetsThePick)
{
    void* followed = follow(contour(6));
    makePick(contour(3, 5));
    s_bInGoToContourMenu = TRUE; // the go-to-contour menu stays open
    setU("IPMD", 2);
    NAV_STANDIN_vForgetStevrin();
    U_STEVRIN_STANDIN_vClearCalls();
    const U32 count = s_tContourRumbrel.nCount;

    T_NAV_STEVRIN_vOnDorrimCardOpen();

    EXPECT_EQ(s_pContourAddr, nullptr);
    EXPECT_EQ(s_tFTCData.pStevrinStructAddr, followed);
    EXPECT_EQ(s_tContourRumbrel.nCount, count);
    EXPECT_FALSE(stopsGoTo());
    EXPECT_EQ(menuClears(), 0u);
    EXPECT_TRUE(lakeCalls("clear").empty());
    resetStevrin(); // the followed state is the stand-in's to free
}

// The chart task calls the reset while other tasks hold the navigation
// data: it must hold the contour mutex already while it waits for 9.
std::atomic<int> s_resetDone{0};
void resettingTask()
{
    T_NAV_STEVRIN_vOnDorrimCardOpen();
    s_resetDone = 1;
    L_TASK_Terminate(0);
}

TEST_F(NavRequests, TheCardOpenResetTakesTheContourMutexBeforeTheNavigationData)
{
    struct Path {
        bool picked;
        bool following;
        U32 mode;
    };
    const Path paths[] = {{false, false, 0}, {true, false, 0}, {true, true, 9}, {false, true, 9}, {true, true, 2}};
    TASK resetTask = 60; // one task id per path: a finished task may still be leaving
    for (const Path& p : paths) {
        const TASK RESET_TASK = resetTask++;
        SetUp();
        SCOPED_TRACE(std::to_string(p.picked) + std::to_string(p.following) + std::to_string(p.mode));
        if (p.following)
            follow(contour(4));
        if (p.picked) {
            makePick(contour(3, 5));
            s_bInGoToContourMenu = FALSE;
        }
        setU("IPMD", p.mode);
        s_resetDone = 0;
        ASSERT_EQ(L_MUTEX_LockWait(RES_NAV_DATA), 0);
        const TASK_PARAM param = {16384, 98, resettingTask};
        ASSERT_EQ(L_TASK_SetParams(RESET_TASK, &param), 0);
        ASSERT_EQ(L_TASK_Start(RESET_TASK), 0);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (L_MUTEX_GetOwnerTaskID(RES_DORRIM_QUELLMARIMAGE) != RESET_TASK &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const bool heldWhileWaiting = L_MUTEX_GetOwnerTaskID(RES_DORRIM_QUELLMARIMAGE) == RESET_TASK;
        const bool finishedEarly = s_resetDone.load() != 0;
        L_MUTEX_Unlock(RES_NAV_DATA);
        while (s_resetDone.load() == 0 && std::chrono::steady_clock::now() < until + std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_TRUE(heldWhileWaiting) << "104 was not held while 9 was waited for";
        EXPECT_FALSE(finishedEarly) << "it ran without mutex 9";
        ASSERT_EQ(s_resetDone.load(), 1);
        EXPECT_EQ(s_pContourAddr, nullptr);
        TearDown();
    }
}

} // namespace
