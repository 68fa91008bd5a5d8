// Semaphores.
//
// State bits: 1 = a task waits on it, 2 = done (signalled, not consumed).
// A signal of a done semaphore is lost (-3, overrun). One task at a time may
// wait on a semaphore; a second waiter gets -6. A wait on a list returns the
// done semaphore with the oldest signal, earlier in the list on a tie; the
// others stay done for later waits.
//
// Locks: a wait locks the mutexes of its semaphores, then its own task
// mutex, and releases the semaphore mutexes while it sleeps. The semaphore
// mutexes of a list are taken in ascending id order (never list order), so
// that two lists naming the same semaphores in another order cannot
// deadlock; a list that names a semaphore twice is refused with -2.
#include "kernel/l_sema.h"

#include "kernel/l_clock.h"
#include "kernel/l_names.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <pthread.h>

namespace {

constexpr U8 SEMA_WAITING = 1;
constexpr U8 SEMA_DONE = 2;
constexpr int SEMA_LIST_MAX = nsemas;

struct SEMA_INFO {
    std::atomic<U8> u8SemaState{0};
    std::atomic<TASK> WaitingTaskID{0};
    std::atomic<U64> u64FireTimestamp{0};
    pthread_mutex_t SemaMutex = PTHREAD_MUTEX_INITIALIZER;
};

SEMA_INFO* s_semas = nullptr;
std::once_flag s_initOnce;

SEMA_INFO& SEMA_At(SEMA s)
{
    std::call_once(s_initOnce, [] { s_semas = new SEMA_INFO[nsemas]; });
    return s_semas[s - 1];
}

bool SEMA_bValid(SEMA s)
{
    return s >= 1 && s <= nsemas;
}

// The valid ids of a list, in list order; false for a null or empty list,
// one without a valid id, or one that names a semaphore twice.
struct SEMA_LIST {
    SEMA ids[SEMA_LIST_MAX];
    SEMA locked[SEMA_LIST_MAX]; // the same ids, ascending: the lock order
    int n = 0;
};

bool SEMA_CheckList(const SEMA* pList, SEMA_LIST& list)
{
    if (!pList)
        return false;
    list.n = 0;
    for (const SEMA* p = pList; *p != 0; ++p) {
        if (!SEMA_bValid(*p))
            continue;
        if (list.n == SEMA_LIST_MAX)
            return false;
        list.ids[list.n++] = *p;
    }
    if (list.n == 0)
        return false;
    std::copy(list.ids, list.ids + list.n, list.locked);
    std::sort(list.locked, list.locked + list.n);
    return std::adjacent_find(list.locked, list.locked + list.n) == list.locked + list.n;
}

void SEMA_wiLock(const SEMA_LIST& list)
{
    for (int i = 0; i < list.n; ++i)
        pthread_mutex_lock(&SEMA_At(list.locked[i]).SemaMutex);
}

void SEMA_wiUnlock(const SEMA_LIST& list)
{
    for (int i = list.n - 1; i >= 0; --i)
        pthread_mutex_unlock(&SEMA_At(list.locked[i]).SemaMutex);
}

bool SEMA_wiCheckFired(const SEMA_LIST& list)
{
    for (int i = 0; i < list.n; ++i)
        if (SEMA_At(list.ids[i]).u8SemaState & SEMA_DONE)
            return true;
    return false;
}

SEMA SEMA_WaitInternal(const SEMA_LIST& list, const struct timespec* deadline)
{
    TASK me = L_TASK_GetID(0);
    SEMA_wiLock(list);
    for (int i = 0; i < list.n; ++i) {
        if (SEMA_At(list.ids[i]).WaitingTaskID != 0) {
            SEMA_wiUnlock(list);
            return -lsSEMA_WAIT_CONFLICT;
        }
    }
    for (int i = 0; i < list.n; ++i) {
        SEMA_INFO& s = SEMA_At(list.ids[i]);
        s.WaitingTaskID = me;
        s.u8SemaState |= SEMA_WAITING;
    }
    L_TASK_LockMutex(me);
    SEMA_wiUnlock(list);
    SEMA result = 0;
    while (!SEMA_wiCheckFired(list)) {
        ERC rc = deadline ? L_TASK_WaitConditionalTimed(me, deadline) : L_TASK_WaitConditional(me);
        if (rc != 0 && !SEMA_wiCheckFired(list)) {
            result = -lsTIMEOUT;
            break;
        }
    }
    L_TASK_UnlockMutex(me);
    SEMA_wiLock(list);
    if (result == 0) {
        int best = -1;
        U64 bestStamp = 0;
        for (int i = 0; i < list.n; ++i) {
            SEMA_INFO& s = SEMA_At(list.ids[i]);
            if ((s.u8SemaState & SEMA_DONE) && (best < 0 || s.u64FireTimestamp < bestStamp)) {
                best = i;
                bestStamp = s.u64FireTimestamp;
            }
        }
        result = list.ids[best];
        SEMA_At(result).u8SemaState &= (U8)~SEMA_DONE;
    }
    for (int i = 0; i < list.n; ++i) {
        SEMA_INFO& s = SEMA_At(list.ids[i]);
        s.WaitingTaskID = 0;
        s.u8SemaState &= (U8)~SEMA_WAITING;
    }
    SEMA_wiUnlock(list);
    return result;
}

ERC SEMA_WaitOne(SEMA sSema, const struct timespec* deadline)
{
    SEMA list0[2] = {sSema, 0};
    SEMA_LIST list;
    if (!SEMA_bValid(sSema) || !SEMA_CheckList(list0, list))
        return -lsSEMA_INVALID;
    SEMA r = SEMA_WaitInternal(list, deadline);
    return r > 0 ? 0 : r;
}

} // namespace

ERC L_SEMA_Signal(SEMA sSema)
{
    if (!SEMA_bValid(sSema))
        return -lsSEMA_INVALID;
    SEMA_INFO& s = SEMA_At(sSema);
    pthread_mutex_lock(&s.SemaMutex);
    if (s.u8SemaState & SEMA_DONE) {
        pthread_mutex_unlock(&s.SemaMutex);
        return -lsSEMA_OVERRUN;
    }
    s.u64FireTimestamp = L_CLOCK_qwGetTimeInNans();
    s.u8SemaState |= SEMA_DONE;
    TASK waiter = s.WaitingTaskID;
    if (waiter != 0)
        L_TASK_SignalConditional(waiter);
    pthread_mutex_unlock(&s.SemaMutex);
    return 0;
}

ERC L_SEMA_SignalMultiple(const SEMA* pList)
{
    SEMA_LIST list;
    if (!SEMA_CheckList(pList, list))
        return -lsSEMA_INVALID;
    for (int i = 0; i < list.n; ++i)
        L_SEMA_Signal(list.ids[i]);
    return 0;
}

ERC L_SEMA_SetPending(SEMA sSema)
{
    if (!SEMA_bValid(sSema))
        return -lsSEMA_INVALID;
    SEMA_INFO& s = SEMA_At(sSema);
    pthread_mutex_lock(&s.SemaMutex);
    if (s.WaitingTaskID == 0)
        s.u8SemaState &= (U8)~SEMA_DONE;
    pthread_mutex_unlock(&s.SemaMutex);
    return 0;
}

ERC L_SEMA_SetPendingMultiple(const SEMA* pList)
{
    SEMA_LIST list;
    if (!SEMA_CheckList(pList, list))
        return -lsSEMA_INVALID;
    for (int i = 0; i < list.n; ++i)
        L_SEMA_SetPending(list.ids[i]);
    return 0;
}

TASK L_SEMA_GetWaitingTaskID(SEMA sSema)
{
    if (!SEMA_bValid(sSema))
        return -lsSEMA_INVALID;
    SEMA_INFO& s = SEMA_At(sSema);
    TASK waiter = s.WaitingTaskID;
    if (waiter != 0)
        return waiter;
    return (s.u8SemaState & SEMA_DONE) ? -lsSEMA_DONE : -lsSEMA_PENDING;
}

ERC L_SEMA_Wait(SEMA sSema)
{
    return SEMA_WaitOne(sSema, nullptr);
}

ERC L_SEMA_WaitTicks(SEMA sSema, TICKS sTicks)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutTicks(&deadline, sTicks);
    return SEMA_WaitOne(sSema, &deadline);
}

ERC L_SEMA_WaitSeconds(SEMA sSema, S32 sSeconds)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutSeconds(&deadline, (U32)sSeconds);
    return SEMA_WaitOne(sSema, &deadline);
}

SEMA L_SEMA_WaitMultiple(const SEMA* pList)
{
    SEMA_LIST list;
    if (!SEMA_CheckList(pList, list))
        return -lsSEMA_INVALID;
    return SEMA_WaitInternal(list, nullptr);
}

void L_SEMA_Debug(void)
{
    static const char* const stateNames[4] = {"pending", "waiting", "done", "reset"};
    log_me("semaphore information (%d total)", nsemas);
    for (SEMA id = 1; id <= nsemas; ++id) {
        SEMA_INFO& s = SEMA_At(id);
        TASK waiter = s.WaitingTaskID;
        log_me("  %02d %s: %s task #%d (%s) fired at %lld mutex.lock %d", id, get_semaphore_name((U32)id),
               stateNames[s.u8SemaState & 3], waiter, get_task_name((U32)waiter),
               (long long)s.u64FireTimestamp.load(), s.SemaMutex.__data.__lock);
    }
}
