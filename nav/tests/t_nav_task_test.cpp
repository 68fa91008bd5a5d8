// The navigation task with real kernel timers: once a GPS receiver is
// detected it runs the update once a second (in the simulation state with
// the simulated boat); a key closes the track memory warning; a shutdown is
// acknowledged and the mails after it are still handled.
#include "nav/tests/nav_core_world.h"

#include "kernel/l_mutex.h"
#include "nav/core/task_standins.h"
#include "kernel/l_task.h"
#include "nav/data/t_nav_nvram.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace navw;

constexpr TASK NAV_TASK = 16;
constexpr U32 SIM_DATE_TIME = 1213461000;

void sendToNav(CMD_ID cmd)
{
    auto* pMail = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->Cmd = cmd;
    ASSERT_EQ(L_MBOX_Send(NAV_MAILBOX, &pMail->msghdr, 3, 0), 0);
}

void startNavTask()
{
    L_MBOX_DefineSema(NAV_MAILBOX, SEMA_NAV_MAILBOX);
    const TASK_PARAM p = {16384, 98, T_NAV_vMain};
    ASSERT_EQ(L_TASK_SetParams(NAV_TASK, &p), 0);
    ASSERT_EQ(L_TASK_Start(NAV_TASK), 0);
}

TEST_F(NavCore, TaskInSimulationTicksOnceASecondWithTheBoatSpeedingUp)
{
    setU("CCST", 4);
    const auto begin = std::chrono::steady_clock::now();
    startNavTask();
    sendToNav(CMD_ID_RUN_SYSTEM);
    L_SEMA_Signal(SEMA_NAV_GPS_DETECTED);

    std::vector<float> speeds; // ISOG after each tick
    U32 seen = 0;
    // Three ticks, however slow the machine; not sooner than once a second.
    while (seen < 3 && std::chrono::steady_clock::now() - begin < std::chrono::seconds(15)) {
        const auto dtm = u("IDTM");
        if (dtm && *dtm >= SIM_DATE_TIME && *dtm - SIM_DATE_TIME > seen) {
            seen = *dtm - SIM_DATE_TIME;
            speeds.push_back(*f("ISOG"));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(2900)) << "ticks too fast";
    EXPECT_EQ(*u("IDTM"), SIM_DATE_TIME + 3) << "three ticks";
    ASSERT_EQ(speeds.size(), 3u);
    // The first step measures from the clock's start, a few milliseconds
    // before the task's first second.
    EXPECT_NEAR(speeds[0], 0.1, 0.02);
    EXPECT_NEAR(speeds[1] - speeds[0], 0.1, 0.01);
    EXPECT_NEAR(speeds[2] - speeds[1], 0.1, 0.01);

    DB_DATA_TYPE v;
    DB_ATTRIBUTES a;
    ASSERT_TRUE(H_DATABASE_bFetch(FCID("BHDG"), &v, nullptr, &a));
    EXPECT_EQ(v.u32Val, FCID("IHDG"));
    EXPECT_EQ(a.DataType, D_FCID);
    ASSERT_NE(a.ppcText, nullptr);
    EXPECT_STREQ((*a.ppcText)[0], "Course");
}

TEST_F(NavCore, TaskClosesTheTrackMemoryWarningOnAKey)
{
    s_bTrackingMemoryWarningDisplayed = TRUE;
    startNavTask();
    auto* pKey = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMalloc(sizeof(MSG_KEY_CHANGE)));
    memset(static_cast<void*>(pKey), 0, sizeof *pKey);
    pKey->header.Cmd = CMD_ID_KEY_CHANGE;
    pKey->key = 8;
    pKey->state = KEY_DOWN;
    ASSERT_EQ(L_MBOX_Send(NAV_MAILBOX, &pKey->header.msghdr, 1, 0), 0);

    std::vector<Mail> view;
    std::vector<Mail> keys;
    for (int i = 0; i < 400 && (view.empty() || keys.empty()); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        for (const Mail& m : drain(VIEW_BOX))
            view.push_back(m);
        for (const Mail& m : drain(KEYBOARD_BOX))
            keys.push_back(m);
    }
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0].cmd, CMD_ID_UNREGISTER_LAYER);
    EXPECT_EQ(view[0].as<MSG_UNREGISTER_LAYER>().layer, INFO_TRACKING_MEMORY_WARNING_LAYER);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].cmd, CMD_ID_UNREGISTER_FOR_KEYS);
}

TEST_F(NavCore, TaskInNormalRunBringsTheCurrentTrackBackBeforeRecording)
{
    const std::string log = navt::unitRoot().cwd() + "/cr_track/track.2";
    std::error_code ec;
    std::filesystem::remove_all(navt::unitRoot().cwd() + "/cr_track", ec);
    T_NAV_NVRAM_vInit();
    setU("CCST", 3);
    setU("IPFI", 2);
    setU("SNTI", 1);
    for (double north : {20.0, 40.0, 60.0}) {
        boatAt(at(0, north));
        T_NAV_vHandleUpdateTimer();
    }
    ASSERT_EQ(s_CurrentTrack.u16Count, 3);
    const auto logged = std::filesystem::file_size(log);
    U_NAV_vClearTrack(&s_CurrentTrack); // as after a restart
    s_bAddPowerOnGapPoint = TRUE;

    boatAt(at(0, 100));
    startNavTask();
    sendToNav(CMD_ID_RUN_SYSTEM);
    L_SEMA_Signal(SEMA_NAV_GPS_DETECTED);
    U16 count = 0;
    for (int i = 0; i < 300 && count < 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        L_MUTEX_LockWait(RES_NAV_DATA);
        count = s_CurrentTrack.u16Count;
        L_MUTEX_Unlock(RES_NAV_DATA);
    }
    EXPECT_EQ(count, 6) << "the three logged points and the gap point of the first tick";
    EXPECT_EQ(std::filesystem::file_size(log), logged + 18) << "the log goes on: a gap, not a new base";
}

TEST_F(NavCore, TaskAcknowledgesShutdownAndStillHandlesLaterMails)
{
    constexpr SEMA ACK = 250;
    setU("CCST", 4);
    startNavTask();
    GENERIC_MESSAGE shutdown{};
    shutdown.Cmd = CMD_ID_SHUTDOWN;
    ASSERT_EQ(L_MBOX_SendWaitSeconds(NAV_MAILBOX, &shutdown.msghdr, 3, ACK, 20), 0) << "acknowledged";
    const std::vector<std::string> calls = NAV_TASK_STANDIN_vCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "group-shutdown"), calls.end());

    L_MUTEX_LockWait(RES_NAV_DATA);
    s_CurrentTrack.u16Count = 5;
    L_MUTEX_Unlock(RES_NAV_DATA);
    GENERIC_MESSAGE reset{};
    reset.Cmd = CMD_ID_RESET_POS;
    ASSERT_EQ(L_MBOX_SendWaitSeconds(NAV_MAILBOX, &reset.msghdr, 3, ACK, 20), 0);
    L_MUTEX_LockWait(RES_NAV_DATA);
    EXPECT_EQ(s_CurrentTrack.u16Count, 0) << "the reset after the shutdown was handled";
    L_MUTEX_Unlock(RES_NAV_DATA);
}

} // namespace
