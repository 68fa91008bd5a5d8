// Mailboxes: order of delivery, the bound semaphore, send-with-wait and its
// acknowledgement, bad ids, and the kernel dump.
#include "kernel/l_mbox.h"

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "kernel/tests/task_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <vector>

namespace {

struct TEST_MAIL {
    GENERIC_MESSAGE msg;
    int tag;
};

TEST_MAIL* newMail(int tag)
{
    auto* m = static_cast<TEST_MAIL*>(H_MEMORY_pvMalloc(sizeof(TEST_MAIL)));
    m->msg.Cmd = CMD_ID_USER_TEST;
    m->tag = tag;
    return m;
}

int tagOf(MSGHEADER* h)
{
    return reinterpret_cast<TEST_MAIL*>(h)->tag;
}

TEST(Mailbox, MailsComeOutByPriorityAndInTheOrderSentAmongEquals)
{
    const MBOX box = 1;
    struct {
        PRIORITY priority;
        int tag;
    } sent[] = {{3, 1}, {1, 2}, {3, 3}, {2, 4}};
    for (auto& s : sent)
        ASSERT_EQ(0, L_MBOX_Send(box, &newMail(s.tag)->msg.msghdr, s.priority, 0));

    std::vector<int> tags;
    std::vector<PRIORITY> priorities;
    while (MSGHEADER* h = L_MBOX_Receive(box)) {
        tags.push_back(tagOf(h));
        priorities.push_back(h->MsgPriority);
        EXPECT_EQ(TASK_MAINTHREAD, h->task);
        EXPECT_EQ(0, h->sema);
        H_MEMORY_vDumpMail(h);
    }
    EXPECT_EQ((std::vector<int>{2, 4, 1, 3}), tags);
    EXPECT_EQ((std::vector<PRIORITY>{1, 2, 3, 3}), priorities);
}

TEST(Mailbox, BoundSemaphoreFiresOnlyWhenTheMailboxStopsBeingEmpty)
{
    const MBOX box = 2;
    const SEMA sema = 1;
    const SEMA list[] = {sema, 0};
    auto drain = [&] {
        int n = 0;
        while (MSGHEADER* h = L_MBOX_Receive(box)) {
            H_MEMORY_vDumpMail(h);
            n++;
        }
        return n;
    };
    ASSERT_EQ(0, L_MBOX_DefineSema(box, sema));
    L_SEMA_SetPending(sema);

    // Two mails, one wake-up, and the drain finds both.
    ASSERT_EQ(0, L_MBOX_Send(box, &newMail(1)->msg.msghdr, 3, 0));
    ASSERT_EQ(0, L_MBOX_Send(box, &newMail(2)->msg.msghdr, 3, 0));
    ASSERT_EQ(sema, L_SEMA_WaitMultiple(list));
    EXPECT_EQ(2, drain());

    // Cleared between two sends: only the one into the empty mailbox signals.
    ASSERT_EQ(0, L_MBOX_Send(box, &newMail(3)->msg.msghdr, 3, 0));
    EXPECT_EQ(-lsSEMA_DONE, L_SEMA_GetWaitingTaskID(sema));
    L_SEMA_SetPending(sema);
    ASSERT_EQ(0, L_MBOX_Send(box, &newMail(4)->msg.msghdr, 3, 0));
    EXPECT_EQ(-lsSEMA_PENDING, L_SEMA_GetWaitingTaskID(sema)) << "the mailbox was not empty";
    EXPECT_EQ(2, drain());

    ASSERT_EQ(0, L_MBOX_DefineSema(box, 0));
    ASSERT_EQ(0, L_MBOX_Send(box, &newMail(5)->msg.msghdr, 3, 0));
    EXPECT_EQ(-lsSEMA_PENDING, L_SEMA_GetWaitingTaskID(sema)) << "unbound";
    EXPECT_EQ(1, drain());
}

TEST(Mailbox, BadIdsAreRefusedAndNothingIsQueued)
{
    TEST_MAIL* m = newMail(1);
    MSGHEADER* h = &m->msg.msghdr;
    EXPECT_EQ(-lsMBOX_INVALID, L_MBOX_Send(0, h, 3, 0));
    EXPECT_EQ(-lsMBOX_INVALID, L_MBOX_Send(72, h, 3, 0));
    EXPECT_EQ(-lsMBOX_INVALID, L_MBOX_Send(1, nullptr, 3, 0));
    EXPECT_EQ(-lsMBOX_INVALID, L_MBOX_SendWait(72, h, 3, 5));
    EXPECT_EQ(-lsMBOX_INVALID, L_MBOX_SendWaitTicks(-1, h, 3, 5, 10));
    EXPECT_EQ(nullptr, L_MBOX_Receive(0));
    EXPECT_EQ(nullptr, L_MBOX_Receive(72));
    EXPECT_EQ(nullptr, L_MBOX_ReceiveWait(72));
    EXPECT_EQ(nullptr, L_MBOX_ReceiveWaitTicks(0, 10));
    EXPECT_EQ(-lsMBOX_INVALID, L_MBOX_DefineSema(72, 1));
    EXPECT_EQ(-lsSEMA_INVALID, L_MBOX_DefineSema(1, 281));
    EXPECT_EQ(-lsSEMA_INVALID, L_MBOX_DefineSema(1, -1));

    // A send-wait without a usable semaphore would leave the mail to a
    // receiver that frees it while the sender is told it failed.
    EXPECT_EQ(-lsSEMA_INVALID, L_MBOX_SendWait(3, h, 3, 0));
    EXPECT_EQ(-lsSEMA_INVALID, L_MBOX_SendWaitTicks(3, h, 3, 281, 10));
    EXPECT_EQ(nullptr, L_MBOX_Receive(3));
    H_MEMORY_vFree(m);
}

TEST(Mailbox, SendWaitReturnsOnlyAfterTheReceiverDisposedOfTheMailWhichStaysTheSenders)
{
    const MBOX box = 4;
    const SEMA ack = 5;
    std::atomic<bool> disposed{false};
    TEST_MAIL* m = newMail(42);
    {
        kt::TaskRun receiver(40, [&] {
            MSGHEADER* h = L_MBOX_ReceiveWait(box);
            EXPECT_EQ(42, tagOf(h));
            EXPECT_EQ(ack, h->sema);
            L_CLOCK_Sleep(30);
            disposed = true;
            H_MEMORY_vDumpMail(h);
        });
        ASSERT_TRUE(receiver.started());
        EXPECT_EQ(0, L_MBOX_SendWait(box, &m->msg.msghdr, 3, ack));
        EXPECT_TRUE(disposed);
    }
    // Still the sender's: intact, and its block is not handed out again.
    EXPECT_EQ(42, m->tag);
    void* other = H_MEMORY_pvMalloc(sizeof(TEST_MAIL));
    EXPECT_NE(static_cast<void*>(m), other);
    H_MEMORY_vFree(other);
    H_MEMORY_vFree(m);
}

TEST(Mailbox, SendWaitIsNotReleasedByAnEarlierSignalAndTimesOutLeavingTheMailQueued)
{
    const MBOX box = 6;
    const SEMA ack = 6;
    TEST_MAIL* m = newMail(7);
    L_SEMA_Signal(ack); // a stray signal from before
    U64 t0 = L_CLOCK_qwGetTimeInMillis();
    EXPECT_EQ(-lsTIMEOUT, L_MBOX_SendWaitTicks(box, &m->msg.msghdr, 3, ack, 30));
    EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - t0, 25u);
    MSGHEADER* h = L_MBOX_Receive(box);
    ASSERT_EQ(&m->msg.msghdr, h);
    // Acknowledged late: the signal waits for the sender's next wait.
    H_MEMORY_vDumpMail(h);
    EXPECT_EQ(-lsSEMA_DONE, L_SEMA_GetWaitingTaskID(ack));
    H_MEMORY_vFree(m);
}

TEST(Mailbox, ReceiveWaitWakesForAMailAndTheTimedFormGivesUp)
{
    const MBOX box = 7;
    U64 t0 = L_CLOCK_qwGetTimeInMillis();
    EXPECT_EQ(nullptr, L_MBOX_ReceiveWaitTicks(box, 20));
    EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - t0, 18u);

    kt::TaskRun sender(41, [&] {
        L_CLOCK_Sleep(20);
        L_MBOX_Send(box, &newMail(9)->msg.msghdr, 3, 0);
    });
    MSGHEADER* h = L_MBOX_ReceiveWaitTicks(box, 5000);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(9, tagOf(h));
    EXPECT_EQ(41, h->task);
    H_MEMORY_vDumpMail(h);
}

TEST(Mailbox, KernelDumpListsQueuesMutexesMailboxesAndMemoryAfterTheSemaphores)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            L_MBOX_Send(5, &newMail(1)->msg.msghdr, 3, 0);
            debug_doit();
            exit(0);
        },
        testing::ExitedWithCode(0),
        "semaphore information \\(280 total\\).*"
        "queue information \\(12 total\\).*"
        "mutex information \\(104 total\\).*"
        "mbox information \\(71 total\\).*"
        "05 M_VIEW: sema #0 \\(\\) mutex.lock 0[^\n]*\n"
        "[^\n]*    msg #1: sema 0 \\(\\) priority 3 task 70 \\(MAINTHREAD\\).*"
        "memory block information \\(0 static 8 dynamic\\).*"
        "blk #1 owned by task #70 \\(MAINTHREAD\\)");
}

} // namespace
