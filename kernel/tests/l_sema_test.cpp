// Semaphores: signal and wait rules, ordering of simultaneous signals,
// conflicts and bad ids.
#include "kernel/l_sema.h"
#include "kernel/l_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t0)
{
    return (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

TEST(Semaphore, SecondSignalWithNobodyWaitingIsAnOverrun)
{
    EXPECT_EQ(L_SEMA_Signal(10), 0);
    EXPECT_EQ(L_SEMA_Signal(10), -lsSEMA_OVERRUN);
    EXPECT_EQ(L_SEMA_GetWaitingTaskID(10), -lsSEMA_DONE);
    EXPECT_EQ(L_SEMA_Wait(10), 0);           // consumes the one done state
    EXPECT_EQ(L_SEMA_GetWaitingTaskID(10), -lsSEMA_PENDING);
    EXPECT_EQ(L_SEMA_WaitTicks(10, 20), -lsTIMEOUT); // the lost signal does not count twice
}

TEST(Semaphore, OlderOfTwoSignalsComesFirst)
{
    SEMA list[] = {21, 22, 23, 0};
    EXPECT_EQ(L_SEMA_Signal(23), 0);
    EXPECT_EQ(L_SEMA_Signal(21), 0);
    EXPECT_EQ(L_SEMA_WaitMultiple(list), 23);
    EXPECT_EQ(L_SEMA_WaitMultiple(list), 21);
}

TEST(Semaphore, ZeroTickWaitOnPendingReturnsAtOnce)
{
    auto t0 = Clock::now();
    EXPECT_EQ(L_SEMA_WaitTicks(30, 0), -lsTIMEOUT);
    EXPECT_LT(msSince(t0), 500); // no wait at all; generous for a loaded machine
    // A signal after the time-out stays done for the next wait.
    EXPECT_EQ(L_SEMA_Signal(30), 0);
    EXPECT_EQ(L_SEMA_WaitTicks(30, 0), 0);
}

TEST(Semaphore, SecondWaiterGetsConflict)
{
    std::atomic<ERC> first{1};
    std::thread waiter([&] { first = L_SEMA_WaitTicks(40, 2000); });
    auto t0 = Clock::now();
    while (L_SEMA_GetWaitingTaskID(40) < 0 && msSince(t0) < 2000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GT(L_SEMA_GetWaitingTaskID(40), 0);
    EXPECT_EQ(L_SEMA_WaitTicks(40, 10), -lsSEMA_WAIT_CONFLICT);
    SEMA list[] = {41, 40, 0};
    EXPECT_EQ(L_SEMA_WaitMultiple(list), -lsSEMA_WAIT_CONFLICT);
    EXPECT_EQ(L_SEMA_Signal(40), 0);
    waiter.join();
    EXPECT_EQ(first, 0);
}

TEST(Semaphore, SignalWakesABlockedWaiter)
{
    std::atomic<SEMA> got{0};
    SEMA list[] = {50, 51, 0};
    std::thread waiter([&] { got = L_SEMA_WaitMultiple(list); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(got, 0);
    EXPECT_EQ(L_SEMA_Signal(51), 0);
    waiter.join();
    EXPECT_EQ(got, 51);
}

TEST(Semaphore, BadIdsAndLists)
{
    struct Case {
        const char* what;
        ERC rc;
        ERC want;
    };
    SEMA onlyBad[] = {0};
    SEMA invalid[] = {281, -5, 0};
    SEMA twice[] = {60, 61, 60, 0};
    SEMA someBad[] = {999, 62, 0};
    L_SEMA_Signal(62);
    Case cases[] = {
        {"signal 0", L_SEMA_Signal(0), -lsSEMA_INVALID},
        {"signal 281", L_SEMA_Signal(281), -lsSEMA_INVALID},
        {"wait 281", L_SEMA_Wait(281), -lsSEMA_INVALID},
        {"set pending -1", L_SEMA_SetPending(-1), -lsSEMA_INVALID},
        {"waiting id 0", L_SEMA_GetWaitingTaskID(0), -lsSEMA_INVALID},
        {"empty list", L_SEMA_WaitMultiple(onlyBad), -lsSEMA_INVALID},
        {"only invalid ids", L_SEMA_WaitMultiple(invalid), -lsSEMA_INVALID},
        {"null list", L_SEMA_WaitMultiple(nullptr), -lsSEMA_INVALID},
        {"a semaphore twice", L_SEMA_WaitMultiple(twice), -lsSEMA_INVALID},
        {"signal multiple of invalid", L_SEMA_SignalMultiple(invalid), -lsSEMA_INVALID},
        {"invalid ids are skipped", L_SEMA_WaitMultiple(someBad), 62},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.rc, c.want) << c.what;
}

TEST(Semaphore, SetPendingDiscardsAnOldSignalAndMultipleForms)
{
    SEMA list[] = {70, 71, 0};
    EXPECT_EQ(L_SEMA_SignalMultiple(list), 0);
    EXPECT_EQ(L_SEMA_SignalMultiple(list), 0); // done ones are left alone without error
    EXPECT_EQ(L_SEMA_SetPending(70), 0);
    EXPECT_EQ(L_SEMA_GetWaitingTaskID(70), -lsSEMA_PENDING);
    EXPECT_EQ(L_SEMA_GetWaitingTaskID(71), -lsSEMA_DONE);
    EXPECT_EQ(L_SEMA_SetPendingMultiple(list), 0);
    EXPECT_EQ(L_SEMA_GetWaitingTaskID(71), -lsSEMA_PENDING);
}

TEST(Semaphore, TasksWaitOnTheirOwnCondition)
{
    // A task and a plain thread wait on different semaphores at once; each
    // wakes for its own signal only.
    static std::atomic<SEMA> taskGot{0};
    static SEMA taskList[] = {80, 0};
    TASK_PARAM p = {1024, 100, [] { taskGot = L_SEMA_WaitMultiple(taskList); L_TASK_Terminate(0); }};
    ASSERT_EQ(L_TASK_SetParams(3, &p), 0);
    std::atomic<ERC> threadGot{1};
    std::thread plain([&] { threadGot = L_SEMA_WaitTicks(81, 3000); });
    ASSERT_EQ(L_TASK_Start(3), 0);
    auto t1 = Clock::now();
    while ((L_SEMA_GetWaitingTaskID(80) < 0 || L_SEMA_GetWaitingTaskID(81) < 0) && msSince(t1) < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(L_SEMA_GetWaitingTaskID(80), 3);
    EXPECT_EQ(L_SEMA_GetWaitingTaskID(81), TASK_MAINTHREAD);
    L_SEMA_Signal(81);
    plain.join();
    EXPECT_EQ(threadGot, 0);
    EXPECT_EQ(taskGot, 0);
    L_SEMA_Signal(80);
    auto t0 = Clock::now();
    while (taskGot == 0 && msSince(t0) < 2000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(taskGot, 80);
}

} // namespace
