// Kernel timers and the clock.
#include "kernel/l_clock.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

TEST(Timer, ZeroStartSignalsAtOnceAndStaysIdle)
{
    TIMER_INFO* t = L_TIMER_Start(nullptr, 0, 0, 90);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->u8TimerState, TMRST_IDLE);
    EXPECT_EQ(L_SEMA_WaitTicks(90, 0), 0);
    EXPECT_EQ(L_TIMER_Stop(t), -lsTIMER_INACTIVE);
    EXPECT_EQ(L_TIMER_Release(t), 0);
}

TEST(Timer, OneShotSignalsOnceAndReportsRemaining)
{
    TIMER_INFO* t = L_TIMER_Start(nullptr, 150, 0, 91);
    ASSERT_NE(t, nullptr);
    TICKS left = L_TIMER_GetRemaining(t);
    EXPECT_GT(left, 100u);
    EXPECT_LE(left, 150u);
    EXPECT_EQ(L_SEMA_WaitTicks(91, 20), -lsTIMEOUT);
    EXPECT_EQ(L_SEMA_WaitTicks(91, 2000), 0);
    EXPECT_EQ(t->u8TimerState, TMRST_IDLE);
    EXPECT_EQ(L_TIMER_GetRemaining(t), 0u);
    EXPECT_EQ(L_SEMA_WaitTicks(91, 300), -lsTIMEOUT);
    L_TIMER_Release(t);
}

TEST(Timer, PeriodicExpiriesCoalesceWhileTheTaskIsBusy)
{
    TIMER_INFO* t = L_TIMER_Start(nullptr, 20, 20, 92);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->u8TimerState, TMRST_CYCLING);
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // about ten expiries
    EXPECT_EQ(L_SEMA_WaitTicks(92, 0), 0);                        // seen as one signal
    EXPECT_EQ(L_SEMA_WaitTicks(92, 1000), 0);                     // and it keeps cycling
    EXPECT_GE(t->timer_fired_count.load(), 5u);
    EXPECT_EQ(L_TIMER_Stop(t), 0);
    L_SEMA_SetPending(92);
    EXPECT_EQ(L_SEMA_WaitTicks(92, 100), -lsTIMEOUT);
    L_TIMER_Release(t);
}

TEST(Timer, FiftyTimersThenNull)
{
    std::vector<TIMER_INFO*> all;
    for (int i = 0; i < ntmrs; ++i) {
        TIMER_INFO* t = L_TIMER_Allocate();
        ASSERT_NE(t, nullptr) << i;
        all.push_back(t);
    }
    EXPECT_EQ(L_TIMER_Allocate(), nullptr);
    EXPECT_EQ(L_TIMER_Start(nullptr, 10, 0, 93), nullptr);
    for (TIMER_INFO* t : all)
        EXPECT_EQ(L_TIMER_Release(t), 0);
    EXPECT_NE(L_TIMER_Allocate(), nullptr);
}

TEST(Timer, OnlyTheOwnerMayUseATimer)
{
    TIMER_INFO* t = L_TIMER_Allocate();
    ASSERT_NE(t, nullptr);
    std::thread other([&] {
        // Plain threads share task id 70 with the test thread, so a record
        // owned by another task id stands in for "another task".
        t->OwningTaskID = 5;
        EXPECT_EQ(L_TIMER_Stop(t), -lsTIMER_ILLEGAL);
        EXPECT_EQ(L_TIMER_Release(t), -lsTIMER_ILLEGAL);
        EXPECT_EQ(L_TIMER_Start(t, 10, 0, 94), nullptr);
        t->OwningTaskID = TASK_MAINTHREAD;
    });
    other.join();
    EXPECT_EQ(L_TIMER_Stop(nullptr), -lsTIMER_ILLEGAL);
    EXPECT_EQ(L_TIMER_Release(t), 0);
}

TEST(Clock, DeadlineArithmetic)
{
    struct timespec ts = {10, 900000000};
    L_CLOCK_vAddTicks(&ts, 1500);
    EXPECT_EQ(ts.tv_sec, 12);
    EXPECT_EQ(ts.tv_nsec, 400000000);

    struct itimerspec its;
    L_CLOCK_StoreTimerspec(&its, 1500, 250);
    EXPECT_EQ(its.it_value.tv_sec, 1);
    EXPECT_EQ(its.it_value.tv_nsec, 500000000);
    EXPECT_EQ(its.it_interval.tv_nsec, 250000000);
    EXPECT_EQ(L_CLOCK_ScanTimerspec(&its), 1500u);
    its.it_value = {2, 499600000};
    EXPECT_EQ(L_CLOCK_ScanTimerspec(&its), 2500u); // rounded to the nearest ms

    struct timespec before, deadline, after;
    clock_gettime(CLOCK_MONOTONIC, &before);
    L_CLOCK_PrepTimeoutTicks(&deadline, 1500);
    clock_gettime(CLOCK_MONOTONIC, &after);
    EXPECT_LT(deadline.tv_nsec, 1000000000);
    long long d = (long long)deadline.tv_sec * 1000000000 + deadline.tv_nsec;
    EXPECT_GE(d, (long long)before.tv_sec * 1000000000 + before.tv_nsec + 1500000000LL);
    EXPECT_LE(d, (long long)after.tv_sec * 1000000000 + after.tv_nsec + 1500000000LL);
}

TEST(Clock, TestClockStepsNowButNotWaits)
{
    U64 t0 = L_CLOCK_qwGetTimeInMillis();
    L_CLOCK_vAdvanceTestClock(10000);
    EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - t0, 10000u);
    TICKS mark = (TICKS)L_CLOCK_qwGetTimeInTicks();
    L_CLOCK_vAdvanceTestClock(250);
    EXPECT_GE(L_TIMER_GetElapsed(&mark), 250u);

    // Waits and timers armed after a step still take their real time, and
    // a step taken while they run does not end them early.
    using std::chrono::steady_clock;
    auto realMs = [](steady_clock::time_point since) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now() - since).count();
    };
    steady_clock::time_point start = steady_clock::now();
    EXPECT_EQ(L_SEMA_WaitTicks(95, 150), -lsTIMEOUT);
    EXPECT_GE(realMs(start), 140);
    start = steady_clock::now();
    TIMER_INFO* t = L_TIMER_Start(nullptr, 200, 0, 95);
    ASSERT_NE(t, nullptr);
    L_CLOCK_vAdvanceTestClock(60000);
    EXPECT_GT(L_TIMER_GetRemaining(t), 150u);
    EXPECT_EQ(L_SEMA_WaitTicks(95, 5000), 0);
    EXPECT_GE(realMs(start), 190);
    L_TIMER_Release(t);
    L_CLOCK_vResetTestClock();
    EXPECT_EQ(H_TICK_u32ElapsedTime(0xFFFFFFF0u, 0x10u), 0x20u);
}

// Holds the next expiry of t on its way to the timer thread's delivery.
bool expiryOnItsWay(TIMER_INFO* t)
{
    for (int i = 0; i < 200 && t->u8TimerSignal == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return t->u8TimerSignal != 0;
}

TEST(Timer, AnExpiryOnItsWayDoesNotFireTheTimerArmedAgain)
{
    constexpr SEMA S = 96;
    const struct {
        const char* name;
        TIMER_INFO* (*rearm)(TIMER_INFO*);
    } cases[] = {
        {"restarted", [](TIMER_INFO* t) { return L_TIMER_Start(t, 2000, 0, S); }},
        {"stopped, then started",
         [](TIMER_INFO* t) {
             L_TIMER_Stop(t);
             return L_TIMER_Start(t, 2000, 0, S);
         }},
        {"released, then allocated and started",
         [](TIMER_INFO* t) {
             L_TIMER_Release(t);
             TIMER_INFO* again = L_TIMER_Allocate();
             EXPECT_EQ(again, t) << "the lowest free timer is the one just released";
             return L_TIMER_Start(again, 2000, 0, S);
         }},
        {"periodic, restarted", [](TIMER_INFO* t) { return L_TIMER_Start(t, 2000, 2000, S); }},
    };
    for (const auto& c : cases) {
        L_TIMER_vHoldDelivery(TRUE);
        TIMER_INFO* t = L_TIMER_Start(nullptr, 5, strstr(c.name, "periodic") ? 5 : 0, S);
        ASSERT_NE(t, nullptr);
        ASSERT_TRUE(expiryOnItsWay(t)) << c.name;
        t = c.rearm(t);
        ASSERT_NE(t, nullptr) << c.name;
        L_TIMER_vHoldDelivery(FALSE);
        EXPECT_EQ(L_SEMA_WaitTicks(S, 150), -lsTIMEOUT) << c.name;
        EXPECT_NE(t->u8TimerState, TMRST_IDLE) << c.name;
        EXPECT_GT(L_TIMER_GetRemaining(t), 1500u) << c.name;
        L_TIMER_Release(t);
    }

    // Left alone, the held expiry is delivered once the hold ends.
    L_TIMER_vHoldDelivery(TRUE);
    TIMER_INFO* t = L_TIMER_Start(nullptr, 5, 0, S);
    ASSERT_TRUE(expiryOnItsWay(t));
    EXPECT_EQ(L_SEMA_WaitTicks(S, 50), -lsTIMEOUT);
    L_TIMER_vHoldDelivery(FALSE);
    EXPECT_EQ(L_SEMA_WaitTicks(S, 2000), 0);
    EXPECT_EQ(t->u8TimerState, TMRST_IDLE);
    L_TIMER_Release(t);
}

} // namespace
