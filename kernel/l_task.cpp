// Tasks.
//
// A task record holds the table row, the thread, a recursive mutex and a
// condition variable on CLOCK_MONOTONIC. Every blocking call of the kernel
// ends in the calling task's own condition: the waiter tests its state under
// its task mutex and waits; a waker changes the state and then signals the
// waiter's condition under that same mutex, so no wake-up is lost.
//
// Lock order of the kernel (taken in this order, never the reverse):
//   mailbox or queue mutex -> semaphore mutexes (ascending id) -> task mutex.
//
// Plain threads all count as task 70 and so share its condition; wake-ups
// are broadcast and every waiter re-tests its own state.
//
// Stacks: the unit's table sizes are for 32-bit code. Here a task gets
// several times its size (L_TASK_szStackBytes) with a guard page below it,
// mapped at its first start and kept for later starts.
#include "kernel/l_task.h"

#include "kernel/l_clock.h"
#include "kernel/lm_log.h"
#include "kernel/l_names.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct TASK_INFO {
    TASK_PARAM TaskParam;         // priority replaced by the Linux priority
    std::atomic<pthread_t> ThreadID{0};
    pthread_mutex_t TaskMutex;
    pthread_condattr_t TaskCondAttr;
    pthread_cond_t TaskCond;
    void* TaskStackPtr = nullptr; // start of the mapping (guard page first)
    size_t TaskStackSize = 0;     // usable bytes above the guard page
    std::atomic<int> active_count{0};
    std::atomic<S64> activ_time{0}; // microseconds, clock reading
    std::atomic<S64> accum_time{0}; // microseconds accumulated
    bool kicked = false;            // start hand-shake, under KickOffMutex
};

constexpr int NRECORDS = ntasks + 1;
constexpr size_t GUARD = 4096;

TASK_INFO* s_tasks = nullptr;
// The calling thread's task id, found once: a thread's id changes only when
// it starts as a task (TASK_KickOff) or ends.
thread_local TASK t_myId = 0;
TASK_PARAM s_table[ntasks];
std::once_flag s_initOnce;
pthread_mutex_t KickOffMutex = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t KickOffCond = PTHREAD_COND_INITIALIZER;

S64 TASK_s64NowMicros()
{
    struct timeval tv;
    lm_gettime(&tv);
    return (S64)tv.tv_sec * 1000000 + tv.tv_usec;
}

U16 TASK_u16LinuxPriority(PRIORITY p)
{
    int maxOther = sched_get_priority_max(SCHED_OTHER);
    if (p > 99 || maxOther < 1)
        return 0;
    int l = 100 - p;
    int minOther = sched_get_priority_min(SCHED_OTHER);
    if (l > maxOther - 1)
        l = maxOther - 1;
    if (l < minOther)
        l = minOther;
    return (U16)l;
}

extern "C" void TASK_Exit(int)
{
    L_TASK_Deactivate();
    pthread_exit(nullptr);
}

void TASK_Init()
{
    s_tasks = new TASK_INFO[NRECORDS];
    pthread_mutexattr_t ma;
    pthread_mutexattr_init(&ma);
    pthread_mutexattr_settype(&ma, PTHREAD_MUTEX_RECURSIVE);
    for (int i = 0; i < ntasks; ++i) {
        s_tasks[i].TaskParam = s_table[i];
        s_tasks[i].TaskParam.TParamPriority = TASK_u16LinuxPriority(s_table[i].TParamPriority);
    }
    s_tasks[NRECORDS - 1].ThreadID = pthread_self();
    s_tasks[NRECORDS - 1].active_count = 1;
    s_tasks[NRECORDS - 1].activ_time = TASK_s64NowMicros();
    for (int i = 0; i < NRECORDS; ++i) {
        TASK_INFO& t = s_tasks[i];
        pthread_mutex_init(&t.TaskMutex, &ma);
        pthread_condattr_init(&t.TaskCondAttr);
        pthread_condattr_setclock(&t.TaskCondAttr, CLOCK_MONOTONIC);
        pthread_cond_init(&t.TaskCond, &t.TaskCondAttr);
    }
    pthread_mutexattr_destroy(&ma);
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = TASK_Exit;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGUSR2, &sa, nullptr);
}

TASK_INFO* TASK_Get(TASK id)
{
    std::call_once(s_initOnce, TASK_Init);
    if (id == 0)
        id = L_TASK_GetID(0);
    if (id < 1 || id > NRECORDS)
        return nullptr;
    return &s_tasks[id - 1];
}

void* TASK_KickOff(void* arg)
{
    TASK_INFO* t = static_cast<TASK_INFO*>(arg);
    t->ThreadID = pthread_self();
    t_myId = (TASK)(t - s_tasks) + 1;
    t->active_count++;
    t->activ_time = TASK_s64NowMicros();
    pthread_detach(pthread_self());
    if (t->TaskParam.TParamPriority != 0) {
        struct sched_param sp = {t->TaskParam.TParamPriority};
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp);
    }
    TASK_ENTRY* entry = t->TaskParam.TParamStartFunction;
    pthread_mutex_lock(&KickOffMutex);
    t->kicked = true;
    pthread_cond_broadcast(&KickOffCond);
    pthread_mutex_unlock(&KickOffMutex);
    if (entry)
        entry();
    return nullptr;
}

} // namespace

size_t L_TASK_szStackBytes(U16 u16TableSize)
{
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer keeps its own per-thread state on the stack.
    constexpr size_t MIN_STACK = 4 * 1024 * 1024;
#else
    constexpr size_t MIN_STACK = 256 * 1024;
#endif
    size_t want = ((size_t)u16TableSize + 16384) * 8;
    if (want < MIN_STACK)
        want = MIN_STACK;
    return (want + 4095) & ~(size_t)4095;
}

void L_TASK_vInstallTable(const TASK_PARAM* pTable, int nRows)
{
    for (int i = 0; i < nRows && i < ntasks; ++i)
        L_TASK_SetParams(i + 1, &pTable[i]);
}

ERC L_TASK_SetParams(TASK sTaskID, const TASK_PARAM* pParam)
{
    if (sTaskID < 1 || sTaskID > ntasks || !pParam)
        return -lsTASK_INVALID;
    s_table[sTaskID - 1] = *pParam;
    if (s_tasks) {
        s_tasks[sTaskID - 1].TaskParam = *pParam;
        s_tasks[sTaskID - 1].TaskParam.TParamPriority = TASK_u16LinuxPriority(pParam->TParamPriority);
    }
    return 0;
}

TASK L_TASK_GetID(pthread_t ThreadID)
{
    std::call_once(s_initOnce, TASK_Init);
    bool self = ThreadID == 0 || ThreadID == pthread_self();
    if (self && t_myId != 0)
        return t_myId;
    if (ThreadID == 0)
        ThreadID = pthread_self();
    TASK found = TASK_MAINTHREAD;
    for (int i = 0; i < NRECORDS; ++i) {
        if (s_tasks[i].ThreadID == ThreadID) {
            found = i + 1;
            break;
        }
    }
    if (self)
        t_myId = found;
    return found;
}

ERC L_TASK_Start(TASK sTaskID)
{
    if (sTaskID < 1 || sTaskID > NRECORDS)
        return -lsTASK_INVALID;
    if (sTaskID <= ntasks && task_disabled[sTaskID - 1])
        return 0;
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t->TaskStackPtr) {
        size_t size = L_TASK_szStackBytes(t->TaskParam.TParamStackSize);
        void* p = mmap(nullptr, size + GUARD, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (p == MAP_FAILED)
            return -lsTASK_MEMORY;
        mprotect(p, GUARD, PROT_NONE);
        t->TaskStackPtr = p;
        t->TaskStackSize = size;
    }
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0)
        return -lsTASK_PARAMS;
    int policy = t->TaskParam.TParamPriority ? SCHED_FIFO : SCHED_OTHER;
    struct sched_param sp = {t->TaskParam.TParamPriority};
    if (pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED) != 0 ||
        pthread_attr_setschedpolicy(&attr, policy) != 0 || pthread_attr_setschedparam(&attr, &sp) != 0 ||
        pthread_attr_setstack(&attr, (char*)t->TaskStackPtr + GUARD, t->TaskStackSize) != 0) {
        pthread_attr_destroy(&attr);
        return -lsTASK_PARAMS;
    }
    pthread_mutex_lock(&KickOffMutex);
    t->kicked = false;
    pthread_t tid;
    int rc = pthread_create(&tid, &attr, TASK_KickOff, t);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        pthread_mutex_unlock(&KickOffMutex);
        return -lsTASK_START;
    }
    L_TASK_Deactivate();
    while (!t->kicked)
        pthread_cond_wait(&KickOffCond, &KickOffMutex);
    L_TASK_Activate();
    pthread_mutex_unlock(&KickOffMutex);
    return 0;
}

ERC L_TASK_Terminate(TASK sTaskID)
{
    TASK self = L_TASK_GetID(0);
    if (sTaskID == 0)
        sTaskID = self;
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t)
        return -lsTASK_INVALID;
    pthread_t old = t->ThreadID.exchange(0);
    if (sTaskID == self && old == pthread_self()) {
        L_TASK_Deactivate();
        pthread_exit(nullptr);
    }
    if (old != 0)
        pthread_kill(old, SIGUSR2);
    return 0;
}

ERC L_TASK_LockMutex(TASK sTaskID)
{
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t)
        return -lsTASK_INVALID;
    if (t->ThreadID == 0)
        return 0;
    pthread_mutex_lock(&t->TaskMutex);
    return 0;
}

ERC L_TASK_UnlockMutex(TASK sTaskID)
{
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t)
        return -lsTASK_INVALID;
    if (t->ThreadID == 0)
        return 0;
    pthread_mutex_unlock(&t->TaskMutex);
    return 0;
}

ERC L_TASK_WaitConditional(TASK sTaskID)
{
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t)
        return -lsTASK_INVALID;
    L_TASK_Deactivate();
    pthread_cond_wait(&t->TaskCond, &t->TaskMutex);
    L_TASK_Activate();
    return 0;
}

ERC L_TASK_WaitConditionalTimed(TASK sTaskID, const struct timespec* ExpiryTimer)
{
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t)
        return -lsTASK_INVALID;
    L_TASK_Deactivate();
    int rc = pthread_cond_timedwait(&t->TaskCond, &t->TaskMutex, ExpiryTimer);
    L_TASK_Activate();
    return rc == 0 ? 0 : -lsTIMEOUT;
}

ERC L_TASK_SignalConditional(TASK sTaskID)
{
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t)
        return -lsTASK_INVALID;
    if (t->ThreadID == 0)
        return 0;
    pthread_mutex_lock(&t->TaskMutex);
    pthread_cond_broadcast(&t->TaskCond);
    pthread_mutex_unlock(&t->TaskMutex);
    return 0;
}

void L_TASK_Activate(void)
{
    TASK_INFO* t = TASK_Get(0);
    t->active_count++;
    t->activ_time = TASK_s64NowMicros();
}

void L_TASK_Deactivate(void)
{
    TASK_INFO* t = TASK_Get(0);
    t->accum_time += TASK_s64NowMicros() - t->activ_time;
    t->active_count--;
}

ERC L_TASK_SetPriority(TASK sTaskID, PRIORITY sPriority)
{
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t)
        return -lsTASK_INVALID;
    // The kernel dump reads the number without a lock; most requests map
    // onto the thread's present priority and then write nothing.
    if (sPriority != 0) {
        const U16 u16Mapped = TASK_u16LinuxPriority(sPriority);
        if (t->TaskParam.TParamPriority != u16Mapped)
            t->TaskParam.TParamPriority = u16Mapped;
    }
    pthread_t th = t->ThreadID;
    if (th == 0)
        return 0;
    U16 l = t->TaskParam.TParamPriority;
    struct sched_param sp = {l};
    if (pthread_setschedparam(th, l ? SCHED_FIFO : SCHED_OTHER, &sp) != 0)
        return -lsTASK_PARAMS;
    return 0;
}

ERC L_TASK_GetPriority(TASK sTaskID)
{
    TASK_INFO* t = TASK_Get(sTaskID);
    if (!t)
        return -lsTASK_INVALID;
    return 100 - t->TaskParam.TParamPriority;
}

BOOLEAN L_TASK_bIsRunning(TASK sTaskID)
{
    TASK_INFO* t = TASK_Get(sTaskID);
    return t && t->ThreadID != 0;
}

void L_TASK_Debug(void)
{
    std::call_once(s_initOnce, TASK_Init);
    S64 now = TASK_s64NowMicros();
    S64 times[NRECORDS];
    S64 total = 0;
    for (int i = 0; i < NRECORDS; ++i) {
        TASK_INFO& t = s_tasks[i];
        S64 time = t.accum_time;
        for (int n = 0; n < t.active_count; ++n)
            time += now - t.activ_time;
        times[i] = time;
        total += time;
    }
    log_me("run time %d.%06d accumulated time %d.%06d", (int)(now / 1000000), (int)(now % 1000000),
           (int)(total / 1000000), (int)(total % 1000000));
    log_me("task information (%d total)", NRECORDS);
    S64 totalMs = total / 1000;
    for (int i = 0; i < NRECORDS; ++i) {
        TASK_INFO& t = s_tasks[i];
        int share = totalMs ? (int)(times[i] / 1000 * 100 / totalMs) : -1;
        log_me("  %02d %s: active %d time (%d%%) %d.%06d priority %d pthread ID #%d mutex.lock %d", i + 1,
               get_task_name(i + 1), (int)t.active_count, share, (int)(times[i] / 1000000),
               (int)(times[i] % 1000000), (int)t.TaskParam.TParamPriority, (int)(long)t.ThreadID.load(),
               t.TaskMutex.__data.__lock);
    }
}

void rtosbug(void) {}
