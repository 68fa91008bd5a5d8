// Kernel timers: 50 one-shot or periodic timers, handed out as handles,
// each signalling a semaphore at expiry.
#pragma once

#include "kernel/l_types.h"

#include <atomic>
#include <ctime>

enum TIMER_STATE { TMRST_IDLE = 0, TMRST_RUNNING = 1, TMRST_CYCLING = 2, TMRST_COUNT = 3 };

typedef struct tag_TIMER_INFO {
    std::atomic<U8> u8TimerState;
    std::atomic<U8> u8TimerSignal; // nonzero while an expiry is on its way
    std::atomic<TASK> OwningTaskID;
    std::atomic<SEMA> Semaphore;
    std::atomic<U32> timer_fired_count;
    std::atomic<U32> timer_queue_count;
    // Under the timers' lock: the arming, counted up by every start, stop,
    // release and allocation, and the arming an expiry on its way belongs to.
    U32 u32Generation;
    U32 u32QueuedGeneration;
    U64 u64DueNanos;    // next expiry on the monotonic clock; 0 = none
    U64 u64PeriodNanos; // 0 for a one-shot
} TIMER_INFO;

TIMER_INFO* L_TIMER_Allocate(void);
TIMER_INFO* L_TIMER_Start(TIMER_INFO* tiptr, TICKS tStart, TICKS tRecur, SEMA sSemaphore);
ERC L_TIMER_Stop(TIMER_INFO* tiptr);
ERC L_TIMER_Release(TIMER_INFO* tiptr);
TICKS L_TIMER_GetRemaining(TIMER_INFO* tiptr);
TICKS L_TIMER_GetElapsed(TICKS* ptrTicks);
ERC L_TIMER_InitTimer(TIMER_INFO* tiptr, TASK OwnerTaskID);
void L_TIMER_Debug(void);

// Test facility, like the test clock: while held, expiries are detected and
// put on their way (counted, "queued" in the dump) but not delivered.
void L_TIMER_vHoldDelivery(BOOLEAN bHold);
