// Task 30 itself: what exists when semaphore 220 comes, which semaphores
// wake it with the sonar off, and a shutdown in the middle of a drain.
// Each test starts the task once in a process of its own.
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "sonar/tests/history_world.h"

#include <chrono>
#include <thread>

namespace history_test {
namespace {

using namespace t_n_history;
using std::chrono::milliseconds;

constexpr SEMA ACK_SEMA = 151;       // the test's acknowledgements
constexpr MBOX MENU_STANDIN = 61;    // stands for the menu task under "TMNU"
constexpr MBOX NEIGHBOUR_STANDIN = 62; // the view, ping and processing tasks
constexpr PRIORITY MAIL_PRIORITY = 3; // every mail here: one arrival order

template <typename F>
bool waitFor(F&& condition, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return false;
}

// The unit as the start-up task leaves it; the view, ping and processing
// tasks' keys exist when bNeighbours.
void startTask(bool bNeighbours = true)
{
    world();
    setU32("CCST", 3);
    if (bNeighbours) {
        setU32("TVUE", NEIGHBOUR_STANDIN);
        setU32("TPNG", NEIGHBOUR_STANDIN);
        setU32("TSNR", NEIGHBOUR_STANDIN);
    }
    L_MBOX_DefineSema(HISTORY_MAILBOX, SEMA_MBOX_HISTORY);
    const TASK_PARAM params = {2048, 100, T_N_HISTORY_vMain};
    ASSERT_EQ(L_TASK_SetParams(HISTORY_TASK, &params), 0);
    ASSERT_EQ(L_TASK_Start(HISTORY_TASK), 0);
}

GENERIC_MESSAGE* mail(CMD_ID cmd, size_t size = sizeof(MESSAGE_NEW_DATA))
{
    auto* p = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc((U32)size));
    memset(p, 0, size);
    p->Cmd = cmd;
    return p;
}

MESSAGE_NEW_DATA* newData(FOURCHARID key, U32 value)
{
    auto* p = reinterpret_cast<MESSAGE_NEW_DATA*>(mail(CMD_ID_NEW_DATA));
    p->FourCharId = key;
    p->dbValue.u32Val = value;
    p->bValid = TRUE;
    return p;
}

// Handed to the task; it frees the mail.
void post(GENERIC_MESSAGE* p) { ASSERT_EQ(L_MBOX_Send(HISTORY_MAILBOX, &p->msghdr, MAIL_PRIORITY, 0), 0); }

// Returns once the task has acknowledged the mail.
bool sendAndWait(GENERIC_MESSAGE* p)
{
    if (L_MBOX_SendWaitTicks(HISTORY_MAILBOX, &p->msghdr, MAIL_PRIORITY, ACK_SEMA, 5000) != 0)
        return false;
    H_MEMORY_vFree(p);
    return true;
}

U32 networkMask() { return s_u32NetworkPingMask.load(); }

TEST(HistoryTask, Semaphore220ComesWhenEveryWindowAndStoreIsReady)
{
    startTask(false);
    ASSERT_EQ(L_SEMA_WaitTicks(SEMA_TNHIST_WAIT, 10000), 0);
    EXPECT_EQ(u32("TSMG"), (U32)HISTORY_MAILBOX);
    for (U32 b = 0; b < SONAR_STORED_BEAMS; ++b) {
        EXPECT_EQ(TSUStore[b].u32ColumnsInUse, 0u) << b;
        EXPECT_EQ(s_sBeamInfo[b].pTSUStore, &TSUStore[b]);
    }
    for (U32 i = 0; i < SONAR_WINDOWS; ++i) {
        const BITMAP* b = SonarViewInfo.Window[i].ScreenHistory.pBmp;
        ASSERT_NE(b, nullptr) << i;
        const COLOR* px = reinterpret_cast<const COLOR*>(b->pBuffer);
        U32 wrong = 0;
        for (U32 k = 0; k < HISTORY_MEMORY_COLUMNS * HISTORY_MEMORY_ROWS; ++k)
            wrong += px[k] != BACKGROUND;
        EXPECT_EQ(wrong, 0u) << "window " << i;
        EXPECT_EQ(SonarViewInfo.Window[i].ScreenHistory.Resource, RES_HISTORY);
    }
    for (const FV_ZOOM_WINDOW_TYPE* z : {&FvZoomWin, &KvZoomWin}) {
        ASSERT_NE(z->pBitmap, nullptr);
        EXPECT_FALSE(z->bActive);
        EXPECT_TRUE(z->bForceUpdate);
        EXPECT_EQ(reinterpret_cast<const COLOR*>(z->pBitmap->pBuffer)[400 * 300 - 1], BACKGROUND);
    }
}

TEST(HistoryTask, WithTheSonarOffOnlyTheMailboxWakesTheTask)
{
    startTask();
    ASSERT_EQ(L_SEMA_WaitTicks(SEMA_TNHIST_WAIT, 10000), 0);
    // "ISEN" false and no network sonar ("ENPM" never written).
    H_DATABASE_bUpdateValueBoolean(FCID("ISEN"), FALSE, P_NORMAL);
    ASSERT_TRUE(waitFor([] { return !db_SonarEnabled.load(); }));
    ASSERT_TRUE(sendAndWait(mail(CMD_ID_INVALID_ID))); // the wait list is chosen again
    // The start-up mails' handlers asked for frames and a 360 rebuild.
    while (L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0) == 0) {
    }
    s_bPPIDisplayReset = FALSE;

    s_u32TempPPIViewOffset = 7;
    L_SEMA_Signal(SEMA_RTS);
    L_SEMA_Signal(265);
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_NE(L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0), 0) << "the real-time strip woke the task";
    EXPECT_FALSE(s_bPPIDisplayReset.load()) << "a timer woke the task";

    // A key still does.
    auto* pKey = reinterpret_cast<MSG_KEY_CHANGE*>(mail(CMD_ID_KEY_CHANGE, sizeof(MSG_KEY_CHANGE)));
    pKey->key = KEY_CURSOR;
    pKey->state = KEY_DOWN;
    EXPECT_TRUE(sendAndWait(&pKey->header));

    // With the sonar on again the pending timer is acted on.
    H_DATABASE_bUpdateValueBoolean(FCID("ISEN"), TRUE, P_NORMAL);
    EXPECT_TRUE(waitFor([] { return s_bPPIDisplayReset.load() != FALSE; }));
    EXPECT_EQ(s_u32PPIViewOffset.load(), 7u);
}

TEST(HistoryTask, AShutdownInADrainStopsNewDataButNotCommands)
{
    startTask();
    ASSERT_EQ(L_SEMA_WaitTicks(SEMA_TNHIST_WAIT, 10000), 0);
    setU32("TMNU", MENU_STANDIN);
    setFloat("IDEP", 100.0f);
    ASSERT_TRUE(waitFor([] {
        L_MUTEX_LockWait(RES_S_INFO);
        const bool b = s_fCurrentDepth == 100.0f;
        L_MUTEX_Unlock(RES_S_INFO);
        return b;
    }));
    ASSERT_TRUE(sendAndWait(mail(CMD_ID_INVALID_ID)));
    H_DATABASE_bUpdateValueBoolean(FCID("SSVL"), TRUE, P_NORMAL);
    H_DATABASE_vDeleteEntry(FCID("CSLD"));
    while (MSGHEADER* p = L_MBOX_Receive(MENU_STANDIN))
        H_MEMORY_vFree(p);

    // The task takes the first mail and waits for mutex 28 while the rest
    // queue up behind it: all of them are one drain.
    L_MUTEX_LockWait(RES_S_INFO);
    post(&newData(FCID("ENPM"), 5)->Header);
    std::this_thread::sleep_for(milliseconds(50));
    post(mail(CMD_ID_SHUTDOWN));
    post(&newData(FCID("ENPM"), 9)->Header);
    post(mail(CMD_ID_RESET_POS));
    auto* pKey = reinterpret_cast<MSG_KEY_CHANGE*>(mail(CMD_ID_KEY_CHANGE, sizeof(MSG_KEY_CHANGE)));
    pKey->key = KEY_EXIT;
    pKey->state = KEY_DOWN;
    post(&pKey->header);
    post(mail(CMD_ID_RUN_SYSTEM));
    L_MUTEX_Unlock(RES_S_INFO);

    // The key change, near the end of the drain, refreshes the automatic
    // range.
    ASSERT_TRUE(waitFor([] { return f32("CSLD") == 120.0f; }));
    EXPECT_EQ(networkMask(), 5u) << "new data after the shutdown was handled";
    BOOLEAN bShown = TRUE;
    H_DATABASE_bFetchBoolean(FCID("SSVL"), &bShown, nullptr, nullptr);
    EXPECT_FALSE(bShown) << "the reset did not write the defaults";
    EXPECT_FLOAT_EQ(f32("CSLD"), 120.0f) << "the key did not refresh the automatic range";

    // From now on mails are only disposed of; a waiting sender goes on.
    EXPECT_TRUE(sendAndWait(&newData(FCID("ENPM"), 11)->Header));
    // The view enabling of the first "ENPM" mailed the menus too.
    while (MSGHEADER* p = L_MBOX_Receive(MENU_STANDIN))
        H_MEMORY_vFree(p);
    EXPECT_TRUE(sendAndWait(mail(CMD_ID_RUN_SYSTEM)));
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(networkMask(), 5u);
    EXPECT_EQ(L_MBOX_Receive(MENU_STANDIN), nullptr);
}

// Nothing but the task and its neighbours' keys: the simulated transducer
// of the registration brings the 2D view to the view task.
TEST(HistoryTask, InSimulationThe2DViewIsRegistered)
{
    world();
    setU32("CCST", 4);
    setU32("TVUE", NEIGHBOUR_STANDIN);
    setU32("TPNG", NEIGHBOUR_STANDIN);
    setU32("TSNR", NEIGHBOUR_STANDIN);
    L_MBOX_DefineSema(HISTORY_MAILBOX, SEMA_MBOX_HISTORY);
    const TASK_PARAM params = {2048, 100, T_N_HISTORY_vMain};
    ASSERT_EQ(L_TASK_SetParams(HISTORY_TASK, &params), 0);
    ASSERT_EQ(L_TASK_Start(HISTORY_TASK), 0);

    bool b2DView = false;
    EXPECT_TRUE(waitFor(
        [&] {
            while (MSGHEADER* p = L_MBOX_Receive(NEIGHBOUR_STANDIN)) {
                const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
                if (g->Cmd == CMD_ID_REGISTER_LAYER && reinterpret_cast<const MSG_REGISTER_LAYER*>(p)->layer == 49)
                    b2DView = true;
                H_MEMORY_vFree(p);
            }
            return b2DView;
        },
        15000));
    EXPECT_EQ(u32("SSTS"), 15u) << "the simulation's transducer";
    EXPECT_EQ(u32("YST1"), 15u);
    EXPECT_EQ(u32("YST4"), 16u);
}

} // namespace
} // namespace history_test

namespace history_test {
namespace {

using namespace t_n_history;

// The 360 unit's depth timer (semaphore 256) hands "SMDD" on.
TEST(HistorySemaphores, TheDepthTimerDeploysToTheSetDepthOrRetracts)
{
    worldWithWindows();
    const struct {
        BOOLEAN bowMounted;
        U32 smdd;
        U32 ymsd; // 0xDEADBEEF: not written
        U32 ymrr;
    } cases[] = {
        {FALSE, 50, 50, 0xDEADBEEF},
        {FALSE, 0, 0xDEADBEEF, 1},
        {FALSE, 101, 0xDEADBEEF, 0xDEADBEEF},
        {TRUE, 0, 0xDEADBEEF, 0xDEADBEEF},
        {TRUE, 50, 0xDEADBEEF, 0xDEADBEEF},
    };
    for (const auto& c : cases) {
        H_DATABASE_vDeleteEntry(FCID("YMSD"));
        H_DATABASE_vDeleteEntry(FCID("YMRR"));
        s_bPodIsBowMounted = c.bowMounted;
        setU32("SMDD", c.smdd);
        vSemaphoreAction(256);
        EXPECT_EQ(u32("YMSD"), c.ymsd) << c.bowMounted << "/" << c.smdd;
        EXPECT_EQ(u32("YMRR"), c.ymrr) << c.bowMounted << "/" << c.smdd;
    }
    s_bPodIsBowMounted = FALSE;
}

TEST(HistorySemaphores, TheRealTimeStripAsksForAFrameAndTheOffsetTimerResets360)
{
    worldWithWindows();
    while (L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0) == 0) {
    }
    vSemaphoreAction(SEMA_RTS);
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_VIEW_UPDATE, 0), 0);
    s_bPPIDisplayReset = FALSE;
    s_u32TempPPIViewOffset = 3;
    vSemaphoreAction(265);
    EXPECT_EQ(s_u32PPIViewOffset.load(), 3u);
    EXPECT_EQ(s_u32PPIViewOffsetSaved.load(), 3u);
    EXPECT_TRUE(s_bPPIDisplayReset.load());
}

TEST(HistorySemaphores, TheWaitListFollowsTheSonarAndTheStrip)
{
    world();
    auto holds = [](SEMA s) {
        for (const SEMA* p = pWaitList(); *p != 0; ++p)
            if (*p == s)
                return true;
        return false;
    };
    db_SonarEnabled = FALSE;
    s_u32NetworkPingMask = 0;
    EXPECT_TRUE(holds(SEMA_MBOX_HISTORY));
    EXPECT_FALSE(holds(SEMA_RTS) || holds(255) || holds(265));
    s_u32NetworkPingMask = 2;
    EXPECT_TRUE(holds(265));
    db_SonarEnabled = TRUE;
    s_u32NetworkPingMask = 0;
    bRtsWindowUpdateable = TRUE;
    SonarViewInfo.u32RTSWidth = 66;
    EXPECT_TRUE(holds(SEMA_RTS));
    EXPECT_TRUE(holds(255)) << "the speed alarm is not checked while the strip is shown";
    SonarViewInfo.u32RTSWidth = 0;
    EXPECT_FALSE(holds(SEMA_RTS));
    EXPECT_TRUE(holds(255));
}

TEST(HistoryAnswers, ShortPulsesNeverWithADownImagingOnlyTransducer)
{
    world();
    for (U32 id : {15u, 17u, 18u}) {
        setU32("SSTS", id);
        T_N_HISTORY_vEnableShortTransmit(TRUE);
        EXPECT_FALSE(s_bEnableShortTxPing.load()) << id;
    }
    setU32("SSTS", 1);
    T_N_HISTORY_vEnableShortTransmit(TRUE);
    EXPECT_TRUE(s_bEnableShortTxPing.load());
    T_N_HISTORY_vEnableShortTransmit(FALSE);
    EXPECT_FALSE(s_bEnableShortTxPing.load());
    for (LAYER_ID v : {56, 57, 58})
        EXPECT_TRUE(T_N_HISTORY_bIsSweepingView(v)) << v;
    EXPECT_FALSE(T_N_HISTORY_bIsSweepingView(47));
    EXPECT_TRUE(T_N_HISTORY_bGetNon360FVOrQuadViewLastVisited());
}

// Command 39 offers the zoom view's "Bottom Range" slider with bottom lock
// and withdraws it without.
TEST(HistoryCommands, RunSystemOffersTheBottomRangeSliderOnlyWithBottomLock)
{
    worldWithWindows();
    setU32("TMNU", MENU_STANDIN);
    auto menuMail = [] {
        CMD_ID cmd = CMD_ID_INVALID_ID;
        while (MSGHEADER* p = L_MBOX_Receive(MENU_STANDIN)) {
            cmd = reinterpret_cast<GENERIC_MESSAGE*>(p)->Cmd;
            H_MEMORY_vFree(p);
        }
        return cmd;
    };
    menuMail();
    GENERIC_MESSAGE run = {};
    run.Cmd = CMD_ID_RUN_SYSTEM;
    SonarViewInfo.bBottomLockZoom = TRUE;
    vHandleMail(&run);
    EXPECT_EQ(menuMail(), CMD_ID_REGISTER_MENU_ITEM);
    SonarViewInfo.bBottomLockZoom = FALSE;
    vHandleMail(&run);
    EXPECT_EQ(menuMail(), CMD_ID_UNREGISTER_MENU_ITEM);
}

} // namespace
} // namespace history_test
