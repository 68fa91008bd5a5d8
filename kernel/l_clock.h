// The system's one clock: CLOCK_MONOTONIC counted from its first reading,
// in ticks of 1 ms, plus the absolute deadlines of the kernel's timed waits
// and the tick helpers of the hardware abstraction.
#pragma once

#include "kernel/l_types.h"

#include <ctime>

// Raw CLOCK_MONOTONIC reading (not relative); starts the clock on first use.
void CLOCK_internalGetTimespec(struct timespec* ts);

// Time since the clock started. Tests may step these readings forward
// with L_CLOCK_vAdvanceTestClock; waits and timers stay on real time.
U64 L_CLOCK_qwGetTimeInNans(void);
U64 L_CLOCK_qwGetTimeInMicros(void);
U64 L_CLOCK_qwGetTimeInMillis(void);
U64 L_CLOCK_qwGetTimeInTicks(void);

// ts += ticks, nanoseconds kept below one second.
void L_CLOCK_vAddTicks(struct timespec* ts, TICKS ticks);
void L_CLOCK_PrepTimeoutTicks(struct timespec* ts, TICKS ticks);
void L_CLOCK_PrepTimeoutSeconds(struct timespec* ts, U32 seconds);
void L_CLOCK_StoreTimerspec(struct itimerspec* its, TICKS sStart, TICKS sRecur);
TICKS L_CLOCK_ScanTimerspec(const struct itimerspec* its);
void L_CLOCK_Sleep(TICKS ticks);

// Test clock: moves every "now" reading of the kernel clock forward.
void L_CLOCK_vAdvanceTestClock(U64 u64Millis);
void L_CLOCK_vResetTestClock(void);

typedef void TURNAROUND_FN(void);

void H_TICK_vSetup(U16 u16Clkrate);
void H_TICK_vHandleTick(void);
void H_TICK_vSetFineTimer(U32 u32Number, U32 u32FineTicks, TURNAROUND_FN* pvfTurnAroundFn);
U32 H_TICK_u32ReadFreeRunningTimer(void);
U32 H_TICK_u32ReadFreeRunningTimerInSystemTicks(void);
U32 H_TICK_u32ReadFreeRunningTimerInMilliSeconds(void);
U32 H_TICK_u32ElapsedTime(U32 u32Start, U32 u32End);
