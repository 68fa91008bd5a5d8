// Mutexes.
//
// 104 kernel mutexes, each fixed to one resource by its id. A mutex is owned
// by a task, not a thread: its owner may take it again (the nest level
// grows, the result is -23 and the lock is held) and it is free once the
// owner has released it as often as it took it. The main thread and every
// plain thread count as task 70 and are therefore one owner; two such
// threads must not use the same mutex at the same time.
//
// Results: 0 fresh lock or last release, -23 nested lock or a release that
// leaves it held, -22 held by another task (or not the caller's to release),
// -21 an id outside 1..104. Nothing is logged.
//
// The held state is the owner word itself, guarded by a small pthread mutex
// with a condition variable on CLOCK_MONOTONIC for the waiters, so that a
// timed lock keeps to the kernel's monotonic deadlines. The owner and nest
// level are read without a lock by the nesting test and the dump; they are
// written only by the owner.
//
// Mutexes are taken in no system-wide order; each subsystem keeps its own.
#include "kernel/l_mutex.h"

#include "kernel/l_clock.h"
#include "kernel/l_names.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"

#include <atomic>
#include <cerrno>
#include <mutex>
#include <pthread.h>

namespace {

enum MUTEX_MODE { MUTEX_TRY, MUTEX_WAIT, MUTEX_UNTIL };

struct MUTEX_INFO {
    std::atomic<TASK> OwningTaskID{0};
    std::atomic<U32> NestLevel{0};
    std::atomic<U32> u32Waiters{0};
    pthread_mutex_t MutexStruct = PTHREAD_MUTEX_INITIALIZER; // guards the hand-over
    pthread_condattr_t MutexCondAttr;
    pthread_cond_t MutexCond;
};

MUTEX_INFO* s_mutexes = nullptr;
std::once_flag s_initOnce;

void MUTEX_Init()
{
    s_mutexes = new MUTEX_INFO[nres];
    for (int i = 0; i < nres; ++i) {
        MUTEX_INFO& m = s_mutexes[i];
        pthread_condattr_init(&m.MutexCondAttr);
        pthread_condattr_setclock(&m.MutexCondAttr, CLOCK_MONOTONIC);
        pthread_cond_init(&m.MutexCond, &m.MutexCondAttr);
    }
}

MUTEX_INFO* MUTEX_Get(MUTEX id)
{
    if (id < 1 || id > nres)
        return nullptr;
    std::call_once(s_initOnce, MUTEX_Init);
    return &s_mutexes[id - 1];
}

ERC MUTEX_DoLock(MUTEX mutex, MUTEX_MODE mode, const struct timespec* deadline)
{
    MUTEX_INFO* m = MUTEX_Get(mutex);
    if (!m)
        return -lsMUTEX_INVALID;
    TASK me = L_TASK_GetID(0);
    if (m->OwningTaskID.load() == me) {
        m->NestLevel++;
        return -lsMUTEX_NESTED;
    }
    pthread_mutex_lock(&m->MutexStruct);
    ERC result = 0;
    if (m->OwningTaskID.load() != 0 && mode != MUTEX_TRY) {
        m->u32Waiters++;
        L_TASK_Deactivate();
        while (m->OwningTaskID.load() != 0) {
            int rc = mode == MUTEX_UNTIL ? pthread_cond_timedwait(&m->MutexCond, &m->MutexStruct, deadline)
                                         : pthread_cond_wait(&m->MutexCond, &m->MutexStruct);
            if (rc == ETIMEDOUT)
                break;
        }
        L_TASK_Activate();
        m->u32Waiters--;
    }
    if (m->OwningTaskID.load() != 0) {
        result = -lsMUTEX_BUSY;
    } else {
        m->OwningTaskID = me;
        m->NestLevel = 1;
    }
    pthread_mutex_unlock(&m->MutexStruct);
    return result;
}

} // namespace

ERC L_MUTEX_LockWait(MUTEX mutex)
{
    return MUTEX_DoLock(mutex, MUTEX_WAIT, nullptr);
}

ERC L_MUTEX_Lock(MUTEX mutex)
{
    return MUTEX_DoLock(mutex, MUTEX_TRY, nullptr);
}

ERC L_MUTEX_LockTime(MUTEX mutex, TICKS sTicks)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutTicks(&deadline, sTicks);
    return MUTEX_DoLock(mutex, MUTEX_UNTIL, &deadline);
}

ERC L_MUTEX_Unlock(MUTEX mutex)
{
    MUTEX_INFO* m = MUTEX_Get(mutex);
    if (!m)
        return -lsMUTEX_INVALID;
    if (m->OwningTaskID.load() != L_TASK_GetID(0))
        return -lsMUTEX_BUSY;
    if (--m->NestLevel != 0)
        return -lsMUTEX_NESTED;
    pthread_mutex_lock(&m->MutexStruct);
    m->OwningTaskID = 0;
    if (m->u32Waiters != 0)
        pthread_cond_signal(&m->MutexCond);
    pthread_mutex_unlock(&m->MutexStruct);
    return 0;
}

TASK L_MUTEX_GetOwnerTaskID(MUTEX mutex)
{
    MUTEX_INFO* m = MUTEX_Get(mutex);
    if (!m)
        return -lsMUTEX_INVALID;
    return m->OwningTaskID;
}

void L_MUTEX_Debug(void)
{
    log_me("mutex information (%d total)", nres);
    for (MUTEX id = 1; id <= nres; ++id) {
        MUTEX_INFO* m = MUTEX_Get(id);
        TASK owner = m->OwningTaskID;
        // The lock word of the kernel mutex: 0 free, 1 held, 2 held with waiters.
        int lockWord = owner == 0 ? 0 : (m->u32Waiters != 0 ? 2 : 1);
        log_me("  %02d %s: task #%d (%s) nest %d mutex.lock %d", id, get_mutex_name((U32)id), owner,
               get_task_name((U32)owner), (int)m->NestLevel.load(), lockWord);
    }
}

BOOLEAN MUTEX_bInit(GMUTEX* pMutex, BOOLEAN)
{
    (void)pMutex;
    return TRUE;
}

BOOLEAN MUTEX_bDestroy(GMUTEX* pMutex)
{
    (void)pMutex;
    return TRUE;
}

BOOLEAN MUTEX_bLock(GMUTEX* pMutex)
{
    return pMutex && L_MUTEX_LockWait(*pMutex) == 0;
}

BOOLEAN MUTEX_bUnlock(GMUTEX* pMutex)
{
    return pMutex && L_MUTEX_Unlock(*pMutex) == 0;
}

// TRUE when the lock is held afterwards (fresh or nested); a bad id is a
// failure, not a lock.
BOOLEAN MUTEX_bTryLock(GMUTEX* pMutex)
{
    if (!pMutex)
        return FALSE;
    ERC rc = L_MUTEX_Lock(*pMutex);
    return rc == 0 || rc == -lsMUTEX_NESTED;
}
