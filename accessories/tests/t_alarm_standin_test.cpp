// The alarm task's stand-in as a task: it publishes "TALR" and writes one
// log line for each raise and clear that reaches its mailbox.
#include "accessories/t_alarm.h"
#include "accessories/t_alarm_standin.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_task.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr TASK ALARM_TASK = 20;

template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    auto* p = static_cast<MAIL*>(H_MEMORY_pvMalloc(sizeof(MAIL)));
    memset(static_cast<void*>(p), 0, sizeof *p);
    p->header.Cmd = cmd;
    return p;
}

void send(GENERIC_MESSAGE* mail)
{
    ASSERT_EQ(L_MBOX_Send(ALARM_MAILBOX, &mail->msghdr, ALARM_MAIL_PRIORITY, 0), 0);
}

TEST(AlarmTaskStandIn, PublishesItsMailboxAndLogsEachRaiseAndClear)
{
    H_DATABASE_vInit();
    L_MBOX_DefineSema(ALARM_MAILBOX, SEMA_MBOX_ALARM);
    testing::internal::CaptureStdout();
    const TASK_PARAM p = {1024, 100, T_ALARM_vMain};
    ASSERT_EQ(L_TASK_SetParams(ALARM_TASK, &p), 0);
    ASSERT_EQ(L_TASK_Start(ALARM_TASK), 0);

    U32 mbox = 0;
    DB_ATTRIBUTES a;
    for (int i = 0; i < 500 && !H_DATABASE_bFetchU32(FCID("TALR"), &mbox, nullptr, &a); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(mbox, (U32)ALARM_MAILBOX);
    EXPECT_EQ(a.DataType, D_MAILBOX);

    auto* raise = newMail<ALARM_SET_MESSAGE>(CMD_ID_SET_ALARM);
    raise->Priority = NAV_ARRIVAL_ALARM;
    raise->pMessageString = "Arrival Alarm";
    send(&raise->header);
    auto* silent = newMail<ALARM_SET_MESSAGE>(CMD_ID_SET_EXT_ALARM);
    silent->Priority = TIMER_ALARM;
    send(&silent->header);
    auto* other = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    memset(static_cast<void*>(other), 0, sizeof *other);
    other->Cmd = CMD_ID_RUN_SYSTEM; // not an alarm: freed unread
    send(other);
    // The last mail is acknowledged once handled, and the mails before it
    // were handled first.
    auto* clear = newMail<ALARM_CLEAR_MESSAGE>(CMD_ID_CLEAR_ALARM);
    clear->Priority = NAV_ARRIVAL_ALARM;
    constexpr SEMA SYNC = 250;
    EXPECT_EQ(L_MBOX_SendWaitTicks(ALARM_MAILBOX, &clear->header.msghdr, ALARM_MAIL_PRIORITY, SYNC, 10000), 0);
    H_MEMORY_vFree(clear);

    fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    const char* expected[] = {"alarm 28 raised: \"Arrival Alarm\"", "alarm 76 raised\r", "alarm 28 cleared"};
    EXPECT_NE(out.find("stand-in"), std::string::npos) << out;
    size_t at = 0;
    for (const char* line : expected) {
        const size_t found = out.find(line, at);
        EXPECT_NE(found, std::string::npos) << line << " in order, in\n" << out;
        at = found == std::string::npos ? at : found;
    }
}

} // namespace
