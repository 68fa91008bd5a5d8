// The kernel clock. Every reading is relative to StartTimespec, the first
// CLOCK_MONOTONIC reading of the process. Deadlines for timed waits are
// absolute CLOCK_MONOTONIC times, because the condition variables of the
// kernel wait on that clock.
#include "kernel/l_clock.h"

#include <atomic>
#include <cerrno>
#include <mutex>

namespace {

struct timespec StartTimespec;
std::once_flag s_startOnce;
std::atomic<U64> s_testOffsetNanos{0};

struct FINE_TIMER {
    U32 u32FineTicks;
    TURNAROUND_FN* pvfTurnAround;
};
FINE_TIMER s_fineTimers[3];

constexpr S64 NANOS_PER_SEC = 1000000000;

U64 CLOCK_u64SinceStart()
{
    struct timespec now;
    CLOCK_internalGetTimespec(&now);
    S64 ns = (S64)(now.tv_sec - StartTimespec.tv_sec) * NANOS_PER_SEC + (now.tv_nsec - StartTimespec.tv_nsec);
    return (U64)ns + s_testOffsetNanos.load(std::memory_order_relaxed);
}

} // namespace

void CLOCK_internalGetTimespec(struct timespec* ts)
{
    std::call_once(s_startOnce, [] { clock_gettime(CLOCK_MONOTONIC, &StartTimespec); });
    clock_gettime(CLOCK_MONOTONIC, ts);
}

U64 L_CLOCK_qwGetTimeInNans(void) { return CLOCK_u64SinceStart(); }
U64 L_CLOCK_qwGetTimeInMicros(void) { return CLOCK_u64SinceStart() / 1000; }
U64 L_CLOCK_qwGetTimeInMillis(void) { return CLOCK_u64SinceStart() / 1000000; }
U64 L_CLOCK_qwGetTimeInTicks(void) { return CLOCK_u64SinceStart() / 1000000; }

void L_CLOCK_vAddTicks(struct timespec* ts, TICKS ticks)
{
    S64 ns = ts->tv_nsec + (S64)ticks * 1000000;
    ts->tv_sec += ns / NANOS_PER_SEC;
    ts->tv_nsec = ns % NANOS_PER_SEC;
}

void L_CLOCK_PrepTimeoutTicks(struct timespec* ts, TICKS ticks)
{
    clock_gettime(CLOCK_MONOTONIC, ts);
    L_CLOCK_vAddTicks(ts, ticks);
}

void L_CLOCK_PrepTimeoutSeconds(struct timespec* ts, U32 seconds)
{
    clock_gettime(CLOCK_MONOTONIC, ts);
    ts->tv_sec += seconds;
}

void L_CLOCK_StoreTimerspec(struct itimerspec* its, TICKS sStart, TICKS sRecur)
{
    its->it_value.tv_sec = sStart / 1000;
    its->it_value.tv_nsec = (long)(sStart % 1000) * 1000000;
    its->it_interval.tv_sec = sRecur / 1000;
    its->it_interval.tv_nsec = (long)(sRecur % 1000) * 1000000;
}

TICKS L_CLOCK_ScanTimerspec(const struct itimerspec* its)
{
    return (TICKS)(its->it_value.tv_sec * 1000 + (its->it_value.tv_nsec + 500000) / 1000000);
}

void L_CLOCK_Sleep(TICKS ticks)
{
    struct timespec req = {(time_t)(ticks / 1000), (long)(ticks % 1000) * 1000000};
    while (nanosleep(&req, &req) != 0 && errno == EINTR) {
    }
}

void L_CLOCK_vAdvanceTestClock(U64 u64Millis)
{
    s_testOffsetNanos.fetch_add(u64Millis * 1000000, std::memory_order_relaxed);
}

void L_CLOCK_vResetTestClock(void)
{
    s_testOffsetNanos.store(0, std::memory_order_relaxed);
}

void H_TICK_vSetup(U16) {}
void H_TICK_vHandleTick(void) {}

void H_TICK_vSetFineTimer(U32 u32Number, U32 u32FineTicks, TURNAROUND_FN* pvfTurnAroundFn)
{
    if (u32Number > 2)
        return;
    s_fineTimers[u32Number] = {u32FineTicks, pvfTurnAroundFn};
}

U32 H_TICK_u32ReadFreeRunningTimer(void)
{
    return (U32)L_CLOCK_qwGetTimeInMicros() / 200;
}

U32 H_TICK_u32ReadFreeRunningTimerInSystemTicks(void)
{
    return (U32)L_CLOCK_qwGetTimeInTicks();
}

U32 H_TICK_u32ReadFreeRunningTimerInMilliSeconds(void)
{
    return (U32)L_CLOCK_qwGetTimeInTicks();
}

U32 H_TICK_u32ElapsedTime(U32 u32Start, U32 u32End)
{
    return u32End - u32Start;
}
