// Queues.
//
// 12 ring buffers of fixed-size elements, copied in and out by value. Each
// queue has a configured width and depth; its ring is made at the first put
// or get (or by L_QUEUE_Define, which may also lay it over a buffer of the
// caller's and take elements already in it). Any thread may put or get.
//
// Conditions: every put signals the not-empty semaphore (often an overrun
// that is ignored) and the full one when it fills the queue; a get from a
// full queue signals not-full and the get that empties it signals empty;
// a purge signals not-full (when it was full) and empty. A condition without
// a bound semaphore signals nothing.
//
// One condition variable serves the waiters for room and for data; every
// put, get and purge broadcasts it, since a single wake-up could reach a
// waiter of the other kind and be lost.
//
// Lock order: queue mutex -> semaphore mutex (the condition signals happen
// under the queue mutex). The queue mutex is recursive so that the waiting
// forms can call the plain operations while they hold it.
#include "kernel/l_queue.h"

#include "kernel/l_clock.h"
#include "kernel/l_names.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <pthread.h>

namespace {

struct QUEUE_PARAM {
    U32 QParamWidth; // bytes per element
    U32 QParamDepth; // elements
};

constexpr QUEUE_PARAM QueueParams[nqueues] = {
    {1, 128}, {2, 1050}, {1, 256}, {2, 1024}, {1, 128}, {2, 256},
    {1, 128}, {2, 128},  {2, 64},  {4, 256},  {2, 16},  {2, 1024},
};

struct QUEUE_INFO {
    QUEUE_PARAM QueueParam = {0, 0};
    U8* ptrQueueBase = nullptr;
    U8* ptrQueueEnd = nullptr;
    std::atomic<U32> QueueCount{0};
    U8* ptrQueuePut = nullptr;
    U8* ptrQueueGet = nullptr;
    U8* ptrQueueCreated = nullptr; // a ring the kernel allocated itself
    U32 sizQueueCreated = 0;
    std::atomic<SEMA> QueueSemas[QCOND_COUNT] = {};
    pthread_mutex_t QueueMutex;
    pthread_condattr_t QueueCondAttr;
    pthread_cond_t QueueCond;
};

enum QUEUE_WAIT_KIND { QUEUE_WAIT_FOREVER, QUEUE_WAIT_UNTIL };

QUEUE_INFO* s_queues = nullptr;
std::once_flag s_initOnce;

void QUEUE_Init()
{
    s_queues = new QUEUE_INFO[nqueues];
    pthread_mutexattr_t ma;
    pthread_mutexattr_init(&ma);
    pthread_mutexattr_settype(&ma, PTHREAD_MUTEX_RECURSIVE);
    for (int i = 0; i < nqueues; ++i) {
        QUEUE_INFO& q = s_queues[i];
        pthread_mutex_init(&q.QueueMutex, &ma);
        pthread_condattr_init(&q.QueueCondAttr);
        pthread_condattr_setclock(&q.QueueCondAttr, CLOCK_MONOTONIC);
        pthread_cond_init(&q.QueueCond, &q.QueueCondAttr);
    }
    pthread_mutexattr_destroy(&ma);
}

QUEUE_INFO* QUEUE_Get(QUEUE id)
{
    if (id < 1 || id > nqueues)
        return nullptr;
    std::call_once(s_initOnce, QUEUE_Init);
    return &s_queues[id - 1];
}

void QUEUE_vSignal(QUEUE_INFO* q, QUEUE_CONDITION c)
{
    SEMA s = q->QueueSemas[c];
    if (s != 0)
        L_SEMA_Signal(s);
}

void QUEUE_qdFree(QUEUE_INFO* q)
{
    free(q->ptrQueueCreated);
    q->ptrQueueCreated = nullptr;
    q->sizQueueCreated = 0;
}

// Under QueueMutex: makes the ring of width x depth and empties the queue.
ERC QUEUE_Define(QUEUE_INFO* q, U32 width, U32 depth, U8* buffer, U32 count)
{
    if (width == 0 || depth == 0 || count > depth)
        return -lsQUEUE_INVALID;
    U64 bytes = (U64)width * depth;
    if (buffer) {
        QUEUE_qdFree(q);
    } else {
        if (bytes > 0xFFFFFFFFu)
            return -lsQUEUE_NO_MEMORY;
        if (!q->ptrQueueCreated || q->sizQueueCreated < bytes) {
            U8* ring = static_cast<U8*>(malloc((size_t)bytes));
            if (!ring)
                return -lsQUEUE_NO_MEMORY;
            QUEUE_qdFree(q);
            q->ptrQueueCreated = ring;
            q->sizQueueCreated = (U32)bytes;
        }
        buffer = q->ptrQueueCreated;
        count = 0;
    }
    q->QueueParam = {width, depth};
    q->ptrQueueBase = buffer;
    q->ptrQueueEnd = buffer + bytes;
    q->QueueCount = count;
    q->ptrQueueGet = buffer;
    q->ptrQueuePut = count == depth ? buffer : buffer + (size_t)count * width;
    pthread_cond_broadcast(&q->QueueCond);
    return 0;
}

// Under QueueMutex: the ring of the configuration on first use.
ERC QUEUE_AutoDefine(QUEUE_INFO* q, QUEUE id)
{
    if (q->ptrQueueBase)
        return 0;
    const QUEUE_PARAM& p = QueueParams[id - 1];
    return QUEUE_Define(q, p.QParamWidth, p.QParamDepth, nullptr, 0) == 0 ? 0 : -lsQUEUE_INVALID;
}

// Under QueueMutex, ring defined.
ERC QUEUE_Put(QUEUE_INFO* q, const void* ptrElement)
{
    U32 width = q->QueueParam.QParamWidth;
    U32 depth = q->QueueParam.QParamDepth;
    if (q->QueueCount >= depth)
        return -lsQUEUE_FULL;
    memcpy(q->ptrQueuePut, ptrElement, width);
    q->ptrQueuePut += width;
    if (q->ptrQueuePut >= q->ptrQueueEnd)
        q->ptrQueuePut = q->ptrQueueBase;
    q->QueueCount++;
    QUEUE_vSignal(q, QNE);
    if (q->QueueCount == depth)
        QUEUE_vSignal(q, QF);
    pthread_cond_broadcast(&q->QueueCond);
    return 0;
}

// Under QueueMutex, ring defined.
ERC QUEUE_GetOne(QUEUE_INFO* q, void* ptrElement)
{
    U32 width = q->QueueParam.QParamWidth;
    U32 depth = q->QueueParam.QParamDepth;
    if (q->QueueCount == 0)
        return -lsQUEUE_EMPTY;
    bool wasFull = q->QueueCount >= depth;
    memcpy(ptrElement, q->ptrQueueGet, width);
    q->ptrQueueGet += width;
    if (q->ptrQueueGet >= q->ptrQueueEnd)
        q->ptrQueueGet = q->ptrQueueBase;
    q->QueueCount--;
    if (wasFull)
        QUEUE_vSignal(q, QNF);
    if (q->QueueCount == 0)
        QUEUE_vSignal(q, QE);
    pthread_cond_broadcast(&q->QueueCond);
    return 0;
}

// The put and get forms: plain (no deadline, no wait), waiting, or waiting
// until a deadline; a waiting form sleeps while the plain one reports full
// (put) or empty (get).
ERC QUEUE_Operate(QUEUE queue, void* ptrElement, bool bPut, bool bWait, const struct timespec* deadline)
{
    QUEUE_INFO* q = QUEUE_Get(queue);
    if (!q || !ptrElement)
        return -lsQUEUE_INVALID;
    ERC busy = bPut ? -lsQUEUE_FULL : -lsQUEUE_EMPTY;
    pthread_mutex_lock(&q->QueueMutex);
    ERC rc = QUEUE_AutoDefine(q, queue);
    while (rc == 0) {
        rc = bPut ? QUEUE_Put(q, ptrElement) : QUEUE_GetOne(q, ptrElement);
        if (rc != busy || !bWait)
            break;
        int w = deadline ? pthread_cond_timedwait(&q->QueueCond, &q->QueueMutex, deadline)
                         : pthread_cond_wait(&q->QueueCond, &q->QueueMutex);
        if (w == ETIMEDOUT) {
            rc = bPut ? QUEUE_Put(q, ptrElement) : QUEUE_GetOne(q, ptrElement);
            break;
        }
        rc = 0;
    }
    pthread_mutex_unlock(&q->QueueMutex);
    return rc;
}

} // namespace

ERC L_QUEUE_Define(QUEUE queue, U32 QueueWidth, U32 QueueDepth, U8* QueueBuffer, U32 QueueCount)
{
    QUEUE_INFO* q = QUEUE_Get(queue);
    if (!q)
        return -lsQUEUE_INVALID;
    pthread_mutex_lock(&q->QueueMutex);
    ERC rc = QUEUE_Define(q, QueueWidth, QueueDepth, QueueBuffer, QueueCount);
    pthread_mutex_unlock(&q->QueueMutex);
    return rc;
}

ERC L_QUEUE_DefineSema(QUEUE queue, SEMA sema, QUEUE_CONDITION qcond)
{
    QUEUE_INFO* q = QUEUE_Get(queue);
    if (!q)
        return -lsQUEUE_INVALID;
    if ((int)qcond < 0 || (int)qcond >= QCOND_COUNT)
        return -lsQCOND_INVALID;
    if (sema < 0 || sema > nsemas)
        return -lsSEMA_INVALID;
    pthread_mutex_lock(&q->QueueMutex);
    q->QueueSemas[qcond] = sema;
    pthread_mutex_unlock(&q->QueueMutex);
    return 0;
}

ERC L_QUEUE_Put(QUEUE queue, const void* ptrElement)
{
    return QUEUE_Operate(queue, const_cast<void*>(ptrElement), true, false, nullptr);
}

ERC L_QUEUE_PutWait(QUEUE queue, const void* ptrElement)
{
    return QUEUE_Operate(queue, const_cast<void*>(ptrElement), true, true, nullptr);
}

ERC L_QUEUE_PutWaitTicks(QUEUE queue, const void* ptrElement, TICKS sTicks)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutTicks(&deadline, sTicks);
    return QUEUE_Operate(queue, const_cast<void*>(ptrElement), true, true, &deadline);
}

ERC L_QUEUE_PutWaitSeconds(QUEUE queue, const void* ptrElement, U32 sSeconds)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutSeconds(&deadline, sSeconds);
    return QUEUE_Operate(queue, const_cast<void*>(ptrElement), true, true, &deadline);
}

ERC L_QUEUE_Get(QUEUE queue, void* ptrElement)
{
    return QUEUE_Operate(queue, ptrElement, false, false, nullptr);
}

ERC L_QUEUE_GetWait(QUEUE queue, void* ptrElement)
{
    return QUEUE_Operate(queue, ptrElement, false, true, nullptr);
}

ERC L_QUEUE_GetWaitTicks(QUEUE queue, void* ptrElement, TICKS sTicks)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutTicks(&deadline, sTicks);
    return QUEUE_Operate(queue, ptrElement, false, true, &deadline);
}

ERC L_QUEUE_GetWaitSeconds(QUEUE queue, void* ptrElement, U32 sSeconds)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutSeconds(&deadline, sSeconds);
    return QUEUE_Operate(queue, ptrElement, false, true, &deadline);
}

ERC L_QUEUE_Purge(QUEUE queue)
{
    QUEUE_INFO* q = QUEUE_Get(queue);
    if (!q)
        return -lsQUEUE_INVALID;
    if (q->QueueCount == 0)
        return 0;
    pthread_mutex_lock(&q->QueueMutex);
    bool wasFull = q->QueueCount >= q->QueueParam.QParamDepth;
    q->QueueCount = 0;
    q->ptrQueueGet = q->ptrQueuePut;
    if (wasFull)
        QUEUE_vSignal(q, QNF);
    QUEUE_vSignal(q, QE);
    pthread_cond_broadcast(&q->QueueCond);
    pthread_mutex_unlock(&q->QueueMutex);
    return 0;
}

ERC L_QUEUE_Inquire(QUEUE queue)
{
    QUEUE_INFO* q = QUEUE_Get(queue);
    if (!q)
        return -lsQUEUE_INVALID;
    return (ERC)q->QueueCount.load();
}

void L_QUEUE_Debug(void)
{
    log_me("queue information (%d total)", nqueues);
    for (QUEUE id = 1; id <= nqueues; ++id) {
        QUEUE_INFO* q = QUEUE_Get(id);
        // The dump runs when something may hang: a queue held by a stuck
        // thread is shown as it is rather than waited for.
        bool locked = pthread_mutex_trylock(&q->QueueMutex) == 0;
        QUEUE_PARAM param = q->QueueParam;
        if (locked)
            pthread_mutex_unlock(&q->QueueMutex);
        log_me("  %02d %s: width %d depth %d count %d QNE %d QNF %d QF %d QE %d mutex.lock %d", id,
               get_queue_name((U32)id), (int)param.QParamWidth, (int)param.QParamDepth,
               (int)q->QueueCount.load(), q->QueueSemas[QNE].load(), q->QueueSemas[QNF].load(),
               q->QueueSemas[QF].load(), q->QueueSemas[QE].load(), q->QueueMutex.__data.__lock);
    }
}
