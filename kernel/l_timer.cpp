// Kernel timers.
//
// One timer thread (FIFO 98 where the scheduler allows it) keeps every
// armed timer's next expiry on the real monotonic clock and sleeps on a
// condition variable until the nearest one, or until a start, stop or
// release changes the set. An expiry is first put on its way (counted, and
// coalesced with one already on its way), then delivered: a one-shot timer
// goes idle and signals its semaphore, a periodic one signals and stays
// armed, and a periodic timer that fell behind keeps its grid and loses the
// periods it missed, as a slow task sees one expiry per wait.
//
// Every arming of a timer (start, stop, release, allocation) counts up its
// generation, and an expiry on its way carries the generation it came from:
// one that belongs to an earlier arming is dropped, so a timer restarted
// just as it expired does not fire early.
//
// Lock order: the timers' lock -> semaphore mutexes -> task mutex. The
// timer thread delivers under the timers' lock, and a start discards a
// pending expiry of its semaphore under it too, so an expiry either lands
// before the restart (and is discarded with it) or not at all.
#include "kernel/l_timer.h"

#include "kernel/l_clock.h"
#include "kernel/l_names.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_utils.h"
#include "kernel/lm_log.h"

#include <pthread.h>
#include <sched.h>

namespace {

constexpr U64 NANOS_PER_MS = 1000000;
constexpr U64 NANOS_PER_SEC = 1000000000;

TIMER_INFO* s_timers = nullptr; // under TimerMutex
// The same table for the kernel dump, which takes no lock: it may run from
// a log line written under TimerMutex.
std::atomic<TIMER_INFO*> s_dumpTimers{nullptr};
std::atomic<U32> timer_fired_count{0};
std::atomic<U32> timer_queue_count{0};
pthread_mutex_t TimerMutex = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t TimerCond;
bool s_initDone = false;
bool s_initFailed = false;
bool s_bHold = false; // under TimerMutex

U64 TIMER_u64Now()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (U64)ts.tv_sec * NANOS_PER_SEC + (U64)ts.tv_nsec;
}

// Under TimerMutex: the expiry at hand goes on its way.
void TIMER_vExpire(TIMER_INFO& t, U64 u64Now)
{
    timer_fired_count++;
    t.timer_fired_count++;
    if (t.u64PeriodNanos != 0) {
        U64 missed = (u64Now - t.u64DueNanos) / t.u64PeriodNanos;
        t.u64DueNanos += (missed + 1) * t.u64PeriodNanos;
    } else {
        t.u64DueNanos = 0;
    }
    U8 onItsWay = t.u8TimerSignal;
    if (onItsWay != 0 && t.u32QueuedGeneration == t.u32Generation) {
        if (onItsWay != 0xFF)
            t.u8TimerSignal = (U8)(onItsWay + 1);
        return;
    }
    t.u8TimerSignal = 1;
    t.u32QueuedGeneration = t.u32Generation;
    timer_queue_count++;
    t.timer_queue_count++;
}

// Under TimerMutex.
void TIMER_vDeliver(TIMER_INFO& t)
{
    t.u8TimerSignal = 0;
    if (t.u32QueuedGeneration != t.u32Generation)
        return;
    switch (t.u8TimerState.load()) {
    case TMRST_RUNNING:
        t.u8TimerState = TMRST_IDLE;
        L_SEMA_Signal(t.Semaphore);
        break;
    case TMRST_CYCLING:
        L_SEMA_Signal(t.Semaphore);
        break;
    default:
        break;
    }
}

void* TIMER_Thread(void*)
{
    struct sched_param sp = {98};
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) != 0)
        log_me("timer thread runs without FIFO priority");
    pthread_mutex_lock(&TimerMutex);
    for (;;) {
        U64 now = TIMER_u64Now();
        U64 nearest = 0;
        for (int i = 0; i < ntmrs; ++i) {
            TIMER_INFO& t = s_timers[i];
            if (t.u64DueNanos != 0 && t.u64DueNanos <= now)
                TIMER_vExpire(t, now);
            if (t.u64DueNanos != 0 && (nearest == 0 || t.u64DueNanos < nearest))
                nearest = t.u64DueNanos;
        }
        if (!s_bHold) {
            for (int i = 0; i < ntmrs; ++i)
                if (s_timers[i].u8TimerSignal != 0)
                    TIMER_vDeliver(s_timers[i]);
        }
        if (nearest == 0) {
            pthread_cond_wait(&TimerCond, &TimerMutex);
        } else {
            struct timespec until = {(time_t)(nearest / NANOS_PER_SEC), (long)(nearest % NANOS_PER_SEC)};
            pthread_cond_timedwait(&TimerCond, &TimerMutex, &until);
        }
    }
}

// Under TimerMutex.
void TIMER_vReset(TIMER_INFO* t, TASK owner)
{
    t->u8TimerState = TMRST_IDLE;
    t->u8TimerSignal = 0;
    t->OwningTaskID = owner;
    t->Semaphore = 0;
    t->timer_fired_count = 0;
    t->timer_queue_count = 0;
    t->u32Generation++;
    t->u64DueNanos = 0;
    t->u64PeriodNanos = 0;
}

// Under TimerMutex.
bool TIMER_Init()
{
    if (s_initDone)
        return !s_initFailed;
    s_initDone = true;
    s_timers = new TIMER_INFO[ntmrs]();
    pthread_condattr_t ca;
    pthread_condattr_init(&ca);
    pthread_condattr_setclock(&ca, CLOCK_MONOTONIC);
    pthread_cond_init(&TimerCond, &ca);
    pthread_condattr_destroy(&ca);
    for (int i = 0; i < ntmrs; ++i)
        TIMER_vReset(&s_timers[i], 0);
    s_dumpTimers = s_timers;
    if (L_UTILS_threadCreateSimpleThread((char*)"timer", TIMER_Thread, nullptr) == 0) {
        s_initFailed = true;
        return false;
    }
    return true;
}

// Under TimerMutex: a new arming; an expiry of the old one is dropped.
void TIMER_vArm(TIMER_INFO* t, U8 u8State, TICKS tFirst, TICKS tRecur)
{
    t->u32Generation++;
    t->u8TimerState = u8State;
    if (u8State == TMRST_IDLE) {
        t->u64DueNanos = 0;
        t->u64PeriodNanos = 0;
        return;
    }
    t->u64DueNanos = TIMER_u64Now() + (U64)tFirst * NANOS_PER_MS;
    t->u64PeriodNanos = (U64)tRecur * NANOS_PER_MS;
    pthread_cond_signal(&TimerCond);
}

// Under TimerMutex.
bool TIMER_bOwned(TIMER_INFO* t)
{
    return t && s_timers && t >= s_timers && t < s_timers + ntmrs && t->OwningTaskID == L_TASK_GetID(0);
}

} // namespace

ERC L_TIMER_InitTimer(TIMER_INFO* tiptr, TASK OwnerTaskID)
{
    pthread_mutex_lock(&TimerMutex);
    TIMER_vReset(tiptr, OwnerTaskID);
    pthread_mutex_unlock(&TimerMutex);
    return 0;
}

TIMER_INFO* L_TIMER_Allocate(void)
{
    pthread_mutex_lock(&TimerMutex);
    TIMER_INFO* found = nullptr;
    if (TIMER_Init()) {
        for (int i = 0; i < ntmrs; ++i) {
            if (s_timers[i].OwningTaskID == 0) {
                found = &s_timers[i];
                found->OwningTaskID = L_TASK_GetID(0);
                found->Semaphore = 0;
                TIMER_vArm(found, TMRST_IDLE, 0, 0);
                break;
            }
        }
    }
    pthread_mutex_unlock(&TimerMutex);
    return found;
}

TIMER_INFO* L_TIMER_Start(TIMER_INFO* tiptr, TICKS tStart, TICKS tRecur, SEMA sSemaphore)
{
    if (!tiptr)
        tiptr = L_TIMER_Allocate();
    pthread_mutex_lock(&TimerMutex);
    if (!TIMER_bOwned(tiptr)) {
        pthread_mutex_unlock(&TimerMutex);
        return nullptr;
    }
    if (sSemaphore >= 0)
        tiptr->Semaphore = sSemaphore;
    SEMA sema = tiptr->Semaphore;
    TIMER_vArm(tiptr, TMRST_IDLE, 0, 0);
    if (sema != 0)
        L_SEMA_SetPending(sema);
    if (tStart > 0) {
        TIMER_vArm(tiptr, tRecur > 0 ? TMRST_CYCLING : TMRST_RUNNING, tStart, tRecur);
    } else {
        L_SEMA_Signal(sema);
        if (tRecur > 0)
            TIMER_vArm(tiptr, TMRST_CYCLING, tRecur, tRecur);
    }
    pthread_mutex_unlock(&TimerMutex);
    return tiptr;
}

ERC L_TIMER_Stop(TIMER_INFO* tiptr)
{
    pthread_mutex_lock(&TimerMutex);
    ERC rc = 0;
    if (!TIMER_bOwned(tiptr))
        rc = -lsTIMER_ILLEGAL;
    else if (tiptr->u8TimerState == TMRST_IDLE)
        rc = -lsTIMER_INACTIVE;
    else
        TIMER_vArm(tiptr, TMRST_IDLE, 0, 0);
    pthread_mutex_unlock(&TimerMutex);
    return rc;
}

ERC L_TIMER_Release(TIMER_INFO* tiptr)
{
    pthread_mutex_lock(&TimerMutex);
    ERC rc = 0;
    if (!s_timers) {
        rc = -lsTIMER_UNINIT;
    } else if (!TIMER_bOwned(tiptr)) {
        rc = -lsTIMER_ILLEGAL;
    } else {
        TIMER_vArm(tiptr, TMRST_IDLE, 0, 0);
        tiptr->OwningTaskID = 0;
        tiptr->Semaphore = 0;
    }
    pthread_mutex_unlock(&TimerMutex);
    return rc;
}

TICKS L_TIMER_GetRemaining(TIMER_INFO* tiptr)
{
    if (!tiptr)
        return 0;
    pthread_mutex_lock(&TimerMutex);
    TICKS left = 0;
    if (tiptr->u8TimerState != TMRST_IDLE && tiptr->u64DueNanos != 0) {
        U64 now = TIMER_u64Now();
        if (tiptr->u64DueNanos > now)
            left = (TICKS)((tiptr->u64DueNanos - now + NANOS_PER_MS / 2) / NANOS_PER_MS);
    }
    pthread_mutex_unlock(&TimerMutex);
    return left;
}

TICKS L_TIMER_GetElapsed(TICKS* ptrTicks)
{
    TICKS now = (TICKS)L_CLOCK_qwGetTimeInTicks();
    TICKS elapsed = now - *ptrTicks;
    *ptrTicks = now;
    return elapsed;
}

void L_TIMER_vHoldDelivery(BOOLEAN bHold)
{
    pthread_mutex_lock(&TimerMutex);
    if (TIMER_Init()) {
        s_bHold = bHold != 0;
        pthread_cond_signal(&TimerCond);
    }
    pthread_mutex_unlock(&TimerMutex);
}

void L_TIMER_Debug(void)
{
    static const char* const stateNames[TMRST_COUNT] = {"idle", "running", "cycling"};
    log_me("timer information (%d total %d fired %d queued)", ntmrs, (int)timer_fired_count.load(),
           (int)timer_queue_count.load());
    TIMER_INFO* timers = s_dumpTimers;
    if (!timers)
        return;
    for (int i = 0; i < ntmrs; ++i) {
        TIMER_INFO& t = timers[i];
        U8 st = t.u8TimerState;
        TASK owner = t.OwningTaskID;
        SEMA sema = t.Semaphore;
        log_me("  %02d: %s %squeued owner task #%d (%s) semaphore #%d (%s) fired %d queued %d", i + 1,
               st < TMRST_COUNT ? stateNames[st] : "?", t.u8TimerSignal ? "" : "not ", owner,
               get_task_name((U32)owner), sema, get_semaphore_name((U32)sema), (int)t.timer_fired_count.load(),
               (int)t.timer_queue_count.load());
    }
}
