// Kernel timers.
//
// Each timer is a POSIX timer whose expiry raises SIGUSR1, aimed at the
// timer thread itself. The handler takes no lock: it counts the expiry and,
// unless one of the same timer is already on its way (expiries coalesce),
// writes the timer's index into a pipe. The timer thread (FIFO 98 where the
// scheduler allows it) reads the pipe and turns each expiry into a semaphore
// signal: a one-shot timer goes idle first, a periodic one stays armed, and
// a late expiry of a stopped timer is dropped.
//
// A periodic timer whose semaphore is still done when it fires again loses
// that expiry, so a slow task sees one expiry per wait, not a backlog.
#include "kernel/l_timer.h"

#include "kernel/l_clock.h"
#include "kernel/l_names.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_utils.h"
#include "kernel/lm_log.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

TIMER_INFO* s_timers = nullptr;
std::atomic<U32> timer_fired_count{0};
std::atomic<U32> timer_queue_count{0};
int timer_pipe_handles[2] = {-1, -1};
pthread_mutex_t TimerMutex = PTHREAD_MUTEX_INITIALIZER;
bool s_initDone = false;
bool s_initFailed = false;
std::atomic<pid_t> s_timerThreadTid{0};

extern "C" void TIMER_SignalHandler(int, siginfo_t* info, void*)
{
    if (info->si_code != SI_TIMER || !s_timers)
        return;
    long index = (long)info->si_value.sival_int;
    if (index < 0 || index >= ntmrs)
        return;
    int saved = errno;
    TIMER_INFO& t = s_timers[index];
    timer_fired_count++;
    t.timer_fired_count++;
    if (t.u8TimerSignal.fetch_add(1) == 0) {
        timer_queue_count++;
        t.timer_queue_count++;
        U32 word = (U32)index;
        if (write(timer_pipe_handles[1], &word, sizeof word) < 0) {
        }
    }
    errno = saved;
}

void* TIMER_Thread(void*)
{
    struct sched_param sp = {98};
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) != 0)
        log_me("timer thread runs without FIFO priority");
    s_timerThreadTid = (pid_t)syscall(SYS_gettid);
    for (;;) {
        U32 word;
        ssize_t r = read(timer_pipe_handles[0], &word, sizeof word);
        if (r < 0 && errno == EINTR)
            continue;
        if (r != (ssize_t)sizeof word || word >= (U32)ntmrs)
            return nullptr;
        TIMER_INFO& t = s_timers[word];
        t.u8TimerSignal = 0;
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
}

bool TIMER_bCreatePosix(TIMER_INFO* t)
{
    struct sigevent sev;
    memset(&sev, 0, sizeof sev);
    sev.sigev_notify = SIGEV_THREAD_ID;
    sev.sigev_signo = SIGUSR1;
    sev.sigev_value.sival_int = (int)(t - s_timers);
    sev._sigev_un._tid = s_timerThreadTid;
    return timer_create(CLOCK_MONOTONIC, &sev, &t->TimerID) == 0;
}

// Under TimerMutex.
bool TIMER_Init()
{
    if (s_initDone)
        return !s_initFailed;
    s_initDone = true;
    s_timers = new TIMER_INFO[ntmrs]();
    if (pipe2(timer_pipe_handles, O_CLOEXEC) != 0 ||
        L_UTILS_threadCreateSimpleThread((char*)"timer", TIMER_Thread, nullptr) == 0) {
        s_initFailed = true;
        return false;
    }
    while (s_timerThreadTid == 0)
        usleep(100);
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_sigaction = TIMER_SignalHandler;
    sa.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGUSR1, &sa, nullptr);
    for (int i = 0; i < ntmrs; ++i)
        L_TIMER_InitTimer(&s_timers[i], 0);
    return true;
}

void TIMER_vDisarm(TIMER_INFO* t)
{
    struct itimerspec its = {};
    timer_settime(t->TimerID, 0, &its, nullptr);
    t->u8TimerState = TMRST_IDLE;
}

bool TIMER_bOwned(TIMER_INFO* t)
{
    return t && s_timers && t >= s_timers && t < s_timers + ntmrs && t->OwningTaskID == L_TASK_GetID(0);
}

} // namespace

ERC L_TIMER_InitTimer(TIMER_INFO* tiptr, TASK OwnerTaskID)
{
    tiptr->u8TimerState = TMRST_IDLE;
    tiptr->u8TimerSignal = 0;
    tiptr->OwningTaskID = OwnerTaskID;
    tiptr->Semaphore = 0;
    tiptr->timer_fired_count = 0;
    tiptr->timer_queue_count = 0;
    if (!TIMER_bCreatePosix(tiptr))
        return -lsNO_TIMER;
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
                found->u8TimerState = TMRST_IDLE;
                found->Semaphore = 0;
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
    if (!TIMER_bOwned(tiptr))
        return nullptr;
    if (tiptr->u8TimerState != TMRST_IDLE)
        TIMER_vDisarm(tiptr);
    if (sSemaphore >= 0)
        tiptr->Semaphore = sSemaphore;
    SEMA sema = tiptr->Semaphore;
    if (sema != 0)
        L_SEMA_SetPending(sema);
    struct itimerspec its;
    if (tStart > 0) {
        tiptr->u8TimerState = tRecur > 0 ? TMRST_CYCLING : TMRST_RUNNING;
        L_CLOCK_StoreTimerspec(&its, tStart, tRecur);
        timer_settime(tiptr->TimerID, 0, &its, nullptr);
    } else {
        L_SEMA_Signal(sema);
        if (tRecur > 0) {
            tiptr->u8TimerState = TMRST_CYCLING;
            L_CLOCK_StoreTimerspec(&its, tRecur, tRecur);
            timer_settime(tiptr->TimerID, 0, &its, nullptr);
        }
    }
    return tiptr;
}

ERC L_TIMER_Stop(TIMER_INFO* tiptr)
{
    if (!TIMER_bOwned(tiptr))
        return -lsTIMER_ILLEGAL;
    if (tiptr->u8TimerState == TMRST_IDLE)
        return -lsTIMER_INACTIVE;
    TIMER_vDisarm(tiptr);
    return 0;
}

ERC L_TIMER_Release(TIMER_INFO* tiptr)
{
    if (!s_timers)
        return -lsTIMER_UNINIT;
    if (!TIMER_bOwned(tiptr))
        return -lsTIMER_ILLEGAL;
    if (tiptr->u8TimerState != TMRST_IDLE)
        TIMER_vDisarm(tiptr);
    pthread_mutex_lock(&TimerMutex);
    tiptr->OwningTaskID = 0;
    tiptr->Semaphore = 0;
    pthread_mutex_unlock(&TimerMutex);
    return 0;
}

TICKS L_TIMER_GetRemaining(TIMER_INFO* tiptr)
{
    if (!tiptr || tiptr->u8TimerState == TMRST_IDLE)
        return 0;
    struct itimerspec its;
    if (timer_gettime(tiptr->TimerID, &its) != 0)
        return 0;
    return L_CLOCK_ScanTimerspec(&its);
}

TICKS L_TIMER_GetElapsed(TICKS* ptrTicks)
{
    TICKS now = (TICKS)L_CLOCK_qwGetTimeInTicks();
    TICKS elapsed = now - *ptrTicks;
    *ptrTicks = now;
    return elapsed;
}

void L_TIMER_Debug(void)
{
    static const char* const stateNames[TMRST_COUNT] = {"idle", "running", "cycling"};
    log_me("timer information (%d total %d fired %d queued)", ntmrs, (int)timer_fired_count.load(),
           (int)timer_queue_count.load());
    if (!s_timers)
        return;
    for (int i = 0; i < ntmrs; ++i) {
        TIMER_INFO& t = s_timers[i];
        U8 st = t.u8TimerState;
        TASK owner = t.OwningTaskID;
        SEMA sema = t.Semaphore;
        log_me("  %02d: %s %squeued owner task #%d (%s) semaphore #%d (%s) fired %d queued %d", i + 1,
               st < TMRST_COUNT ? stateNames[st] : "?", t.u8TimerSignal ? "" : "not ", owner,
               get_task_name((U32)owner), sema, get_semaphore_name((U32)sema), (int)t.timer_fired_count.load(),
               (int)t.timer_queue_count.load());
    }
}
