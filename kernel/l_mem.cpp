// Memory partitions.
//
// A partition is a body of equal blocks handed out whole. Each block has an
// owner word (the allocating task, 0 = free); an allocation takes the free
// block with the lowest index, a free is constant time. Up to 8 partitions
// exist, numbered 1..8 in the order they were created, and they live for
// the whole process.
//
// Waiters for a block of a partition sleep on its condition variable; each
// free wakes one of them. A timed waiter that runs out of time looks once
// more before it gives up, so a wake-up that raced with its time-out is not
// lost to the others.
//
// The search starts at the lowest index that may be free (below it every
// block is owned), which keeps the scan short while the partition fills up
// in index order; it is still the first free block by index.
//
// Under AddressSanitizer a free block is poisoned: a write into a block
// after its free, or into a block never handed out, is reported. The block
// is unpoisoned when it is handed out; the program heap poisons again what
// lies outside the bytes its caller asked for.
#include "kernel/l_mem.h"

#include "kernel/l_clock.h"
#include "kernel/l_names.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"

#include <atomic>
#include <cerrno>
#include <mutex>
#include <new>
#include <pthread.h>
#include <sanitizer/asan_interface.h>

namespace {

constexpr int MAP_COUNT = nmaps + dnmaps;

struct BLOCK_CTRL_INFO {
    std::atomic<TASK> BlockOwner{0};
};

struct MAP_INFO {
    std::atomic<U32> MParamBlockSize{0};
    std::atomic<U32> MParamBlockMax{0}; // 0 = partition not created; set last
    BLOCK_CTRL_INFO* MapCtrlArray = nullptr;
    U8* MapBlockArray = nullptr;
    U32 u32SearchFrom = 0; // every block below this index is owned
    U32 u32Waiters = 0;
    pthread_mutex_t MapMutex;
    pthread_condattr_t MapCondAttr;
    pthread_cond_t MapCond;
};

MAP_INFO* s_maps = nullptr;
std::once_flag s_initOnce;
pthread_mutex_t s_createMutex = PTHREAD_MUTEX_INITIALIZER;

void MAP_Init()
{
    s_maps = new MAP_INFO[MAP_COUNT];
    pthread_mutexattr_t ma;
    pthread_mutexattr_init(&ma);
    pthread_mutexattr_settype(&ma, PTHREAD_MUTEX_RECURSIVE);
    for (int i = 0; i < MAP_COUNT; ++i) {
        MAP_INFO& m = s_maps[i];
        pthread_mutex_init(&m.MapMutex, &ma);
        pthread_condattr_init(&m.MapCondAttr);
        pthread_condattr_setclock(&m.MapCondAttr, CLOCK_MONOTONIC);
        pthread_cond_init(&m.MapCond, &m.MapCondAttr);
    }
    pthread_mutexattr_destroy(&ma);
}

MAP_INFO* MAP_Slot(MAP map)
{
    if (map < 1 || map > MAP_COUNT)
        return nullptr;
    std::call_once(s_initOnce, MAP_Init);
    return &s_maps[map - 1];
}

// A created partition, or null.
MAP_INFO* MAP_Get(MAP map)
{
    MAP_INFO* m = MAP_Slot(map);
    if (!m || m->MParamBlockMax.load(std::memory_order_acquire) == 0)
        return nullptr;
    return m;
}

// Under MapMutex.
void* MAP_TakeFree(MAP_INFO* m)
{
    U32 max = m->MParamBlockMax.load(std::memory_order_relaxed);
    for (U32 i = m->u32SearchFrom; i < max; ++i) {
        if (m->MapCtrlArray[i].BlockOwner.load(std::memory_order_relaxed) == 0) {
            m->MapCtrlArray[i].BlockOwner.store(L_TASK_GetID(0), std::memory_order_relaxed);
            m->u32SearchFrom = i + 1;
            U32 size = m->MParamBlockSize.load(std::memory_order_relaxed);
            U8* block = m->MapBlockArray + (size_t)i * size;
            ASAN_UNPOISON_MEMORY_REGION(block, size);
            return block;
        }
    }
    m->u32SearchFrom = max;
    return nullptr;
}

void* MAP_AllocateWaiting(MAP map, const struct timespec* deadline)
{
    MAP_INFO* m = MAP_Get(map);
    if (!m)
        return nullptr;
    pthread_mutex_lock(&m->MapMutex);
    void* block;
    while ((block = MAP_TakeFree(m)) == nullptr) {
        m->u32Waiters++;
        L_TASK_Deactivate();
        int rc = deadline ? pthread_cond_timedwait(&m->MapCond, &m->MapMutex, deadline)
                          : pthread_cond_wait(&m->MapCond, &m->MapMutex);
        L_TASK_Activate();
        m->u32Waiters--;
        if (rc == ETIMEDOUT) {
            block = MAP_TakeFree(m);
            break;
        }
    }
    pthread_mutex_unlock(&m->MapMutex);
    return block;
}

} // namespace

MAP L_MEM_Create(U8* u8Body, U32 u32BlockSize, U32 u32BlockCount)
{
    if (!u8Body || u32BlockSize == 0 || u32BlockCount == 0)
        return -lsMAP_INVALID;
    pthread_mutex_lock(&s_createMutex);
    MAP map = 0;
    for (MAP id = 1; id <= MAP_COUNT; ++id) {
        if (MAP_Slot(id)->MParamBlockMax.load(std::memory_order_relaxed) == 0) {
            map = id;
            break;
        }
    }
    if (map == 0) {
        pthread_mutex_unlock(&s_createMutex);
        return -lsMAP_NONE_AVAIL;
    }
    MAP_INFO* m = MAP_Slot(map);
    m->MapCtrlArray = new (std::nothrow) BLOCK_CTRL_INFO[u32BlockCount];
    if (!m->MapCtrlArray) {
        pthread_mutex_unlock(&s_createMutex);
        return -lsMAP_NO_MEMORY;
    }
    m->MapBlockArray = u8Body;
    m->u32SearchFrom = 0;
    ASAN_POISON_MEMORY_REGION(u8Body, (size_t)u32BlockSize * u32BlockCount);
    m->MParamBlockSize.store(u32BlockSize, std::memory_order_relaxed);
    m->MParamBlockMax.store(u32BlockCount, std::memory_order_release);
    pthread_mutex_unlock(&s_createMutex);
    return map;
}

void* L_MEM_Allocate(MAP map)
{
    MAP_INFO* m = MAP_Get(map);
    if (!m)
        return nullptr;
    pthread_mutex_lock(&m->MapMutex);
    void* block = MAP_TakeFree(m);
    pthread_mutex_unlock(&m->MapMutex);
    return block;
}

void* L_MEM_AllocateWait(MAP map)
{
    return MAP_AllocateWaiting(map, nullptr);
}

void* L_MEM_AllocateWaitTicks(MAP map, TICKS sTicks)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutTicks(&deadline, sTicks);
    return MAP_AllocateWaiting(map, &deadline);
}

void* L_MEM_AllocateWaitSeconds(MAP map, U32 sSeconds)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutSeconds(&deadline, sSeconds);
    return MAP_AllocateWaiting(map, &deadline);
}

// A block that is already free is refused as well: freeing it again would
// hand it out twice once someone has taken it meanwhile.
ERC L_MEM_Free(MAP map, void* vptr)
{
    MAP_INFO* m = MAP_Get(map);
    if (!m)
        return -lsMAP_INVALID;
    U32 size = m->MParamBlockSize.load(std::memory_order_relaxed);
    U32 max = m->MParamBlockMax.load(std::memory_order_relaxed);
    U8* p = static_cast<U8*>(vptr);
    U8* base = m->MapBlockArray;
    if (p < base || p >= base + (size_t)size * max || (size_t)(p - base) % size != 0)
        return -lsMAP_CROSSED;
    U32 index = (U32)((size_t)(p - base) / size);
    pthread_mutex_lock(&m->MapMutex);
    if (m->MapCtrlArray[index].BlockOwner.load(std::memory_order_relaxed) == 0) {
        pthread_mutex_unlock(&m->MapMutex);
        return -lsMAP_CROSSED;
    }
    m->MapCtrlArray[index].BlockOwner.store(0, std::memory_order_relaxed);
    ASAN_POISON_MEMORY_REGION(p, size);
    if (index < m->u32SearchFrom)
        m->u32SearchFrom = index;
    if (m->u32Waiters != 0)
        pthread_cond_signal(&m->MapCond);
    pthread_mutex_unlock(&m->MapMutex);
    return 0;
}

ERC L_MEM_GetFreeCount(MAP map)
{
    MAP_INFO* m = MAP_Get(map);
    if (!m)
        return -lsMAP_INVALID;
    pthread_mutex_lock(&m->MapMutex);
    U32 max = m->MParamBlockMax.load(std::memory_order_relaxed);
    ERC n = 0;
    for (U32 i = 0; i < max; ++i)
        if (m->MapCtrlArray[i].BlockOwner.load(std::memory_order_relaxed) == 0)
            n++;
    pthread_mutex_unlock(&m->MapMutex);
    return n;
}

ERC L_MEM_GetBlockSize(MAP map)
{
    MAP_INFO* m = MAP_Get(map);
    if (!m)
        return -lsMAP_INVALID;
    return (ERC)m->MParamBlockSize.load(std::memory_order_relaxed);
}

void L_MEM_Debug(void)
{
    log_me("memory block information (%d static %d dynamic)", nmaps, dnmaps);
    for (MAP id = 1; id <= MAP_COUNT; ++id) {
        MAP_INFO* m = MAP_Get(id);
        if (!m)
            continue;
        U32 max = m->MParamBlockMax.load(std::memory_order_acquire);
        U32 available = 0;
        for (U32 i = 0; i < max; ++i)
            if (m->MapCtrlArray[i].BlockOwner.load(std::memory_order_relaxed) == 0)
                available++;
        log_me("  %02d %s: available %d size %d max %d mutex.lock %d", id, get_memory_name((U32)id), (int)available,
               (int)m->MParamBlockSize.load(std::memory_order_relaxed), (int)max, m->MapMutex.__data.__lock);
        for (U32 i = 0; i < max; ++i) {
            TASK owner = m->MapCtrlArray[i].BlockOwner.load(std::memory_order_relaxed);
            if (owner != 0)
                log_me("    blk #%d owned by task #%d (%s)", (int)(i + 1), owner, get_task_name((U32)owner));
        }
    }
}
