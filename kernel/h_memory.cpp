// The program heap.
//
// Eight fixed-block partitions carved out of one static area. A request
// takes the smallest partition whose usable size fits; when that one is
// full it tries each larger partition once without waiting, and only when
// all of them are full does it wait for a block of the smallest fitting
// one. A request above the largest usable size is a fatal error.
//
// Every block starts with a header that names its partition, so a free
// needs only the pointer. The header is 16 bytes so that the pointer handed
// out is aligned for any type on this machine; the partition id sits in its
// first four bytes, little-endian, and only the low byte is read back; the
// next four hold the size the caller asked for. The usable sizes are the
// unit's; a block's body is rounded up so that the next block stays
// 16-aligned.
//
// Under AddressSanitizer only the bytes a caller asked for are addressable:
// the header and the rest of the block stay poisoned, and a free poisons
// the whole block (the partition layer does that). A write past the
// requested size or after the free is reported where it happens, which the
// fixed blocks would otherwise hide. A realloc therefore moves the bytes
// the caller asked for, which are all it may read.
//
// The partitions are made by the first allocation (in Main, before other
// tasks run); the initialisation is nevertheless guarded, because tests and
// helpers may allocate from several threads first.
#include "kernel/h_memory.h"

#include "kernel/error.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mem.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sanitizer/asan_interface.h>

namespace {

struct MAP_CONFIG {
    U32 partition_usable; // bytes the caller may use
    U32 partition_count;
};

// The unit's configuration, but for the second row: on this machine the
// records that fill the 44-byte row on the unit (data-store keys, change
// mails) carry 64-bit pointers and land in the 168-byte row, so that row
// also gets the first row's count.
constexpr std::array<MAP_CONFIG, 8> s_partitionConfig = {{
    {44, 2700},
    {168, 1000 + 2700},
    {1024, 80},
    {4096, 600},
    {8796, 250},
    {16384, 15},
    {65536, 10},
    {960096, 8},
}};

constexpr U32 H_MEMORY_u32BlockBytes(U32 usable)
{
    return H_MEMORY_HEADER_BYTES + (usable + 15) / 16 * 16;
}

constexpr size_t H_MEMORY_szAreaBytes()
{
    size_t total = 0;
    for (const MAP_CONFIG& c : s_partitionConfig)
        total += (size_t)H_MEMORY_u32BlockBytes(c.partition_usable) * c.partition_count;
    return total;
}

constexpr size_t AREA_BYTES = H_MEMORY_szAreaBytes();

struct MAP_LIST {
    U32 partition_size; // usable bytes
    MAP map;
};

alignas(16) U8 s_partitionData[AREA_BYTES];
MAP_LIST s_partitions[dnmaps];
int s_nPartitions = 0;
std::once_flag s_initOnce;

void H_MEMORY_vInitialize()
{
    U8* body = s_partitionData;
    for (const MAP_CONFIG& c : s_partitionConfig) {
        if (s_nPartitions == dnmaps)
            break;
        if (c.partition_count == 0 || c.partition_usable == 0)
            continue;
        U32 blockBytes = H_MEMORY_u32BlockBytes(c.partition_usable);
        MAP map = L_MEM_Create(body, blockBytes, c.partition_count);
        body += (size_t)blockBytes * c.partition_count;
        if (map > 0)
            s_partitions[s_nPartitions++] = {c.partition_usable, map};
    }
    // The partitions poison their own bodies; bytes past the last one
    // belong to nobody.
    ASAN_POISON_MEMORY_REGION(body, (size_t)(s_partitionData + AREA_BYTES - body));
    std::stable_sort(s_partitions, s_partitions + s_nPartitions,
                     [](const MAP_LIST& a, const MAP_LIST& b) { return a.partition_size < b.partition_size; });
}

void H_MEMORY_vEnsureInitialized()
{
    std::call_once(s_initOnce, H_MEMORY_vInitialize);
}

// Index into s_partitions of the smallest partition that fits, or -1.
int H_MEMORY_iFindPart(U32 u32Size)
{
    for (int i = 0; i < s_nPartitions; ++i)
        if (s_partitions[i].partition_size >= u32Size)
            return i;
    return -1;
}

// The next partition strictly larger than the one at index i, or -1.
int H_MEMORY_iFindNextPart(int i)
{
    U32 size = s_partitions[i].partition_size;
    for (int j = i + 1; j < s_nPartitions; ++j)
        if (s_partitions[j].partition_size > size)
            return j;
    return -1;
}

[[noreturn]] void H_MEMORY_vTooLarge()
{
    ERROR_error("h_memory", 520, "Requesting a partition that is too large");
    U_RESET_vReset(0, 0);
}

// The header stays poisoned between these calls, so they read and write
// it without the sanitizer's checks.
__attribute__((no_sanitize_address)) void H_MEMORY_vWriteHeader(U8* block, MAP map, U32 u32Size)
{
    block[0] = (U8)map;
    block[1] = (U8)(map >> 8);
    block[2] = (U8)(map >> 16);
    block[3] = (U8)(map >> 24);
    block[4] = (U8)u32Size;
    block[5] = (U8)(u32Size >> 8);
    block[6] = (U8)(u32Size >> 16);
    block[7] = (U8)(u32Size >> 24);
}

__attribute__((no_sanitize_address)) MAP H_MEMORY_mapReadHeader(const U8* block)
{
    return (MAP)block[0];
}

__attribute__((no_sanitize_address)) U32 H_MEMORY_u32ReadRequested(const U8* block)
{
    return (U32)block[4] | (U32)block[5] << 8 | (U32)block[6] << 16 | (U32)block[7] << 24;
}

// Leaves only the requested bytes of a block addressable.
void H_MEMORY_vMarkRequested(U8* block, U32 u32Usable, U32 u32Size)
{
    ASAN_POISON_MEMORY_REGION(block, H_MEMORY_u32BlockBytes(u32Usable));
    ASAN_UNPOISON_MEMORY_REGION(block + H_MEMORY_HEADER_BYTES, u32Size);
}

U32 H_MEMORY_u32UsableOfMap(MAP map)
{
    for (int i = 0; i < s_nPartitions; ++i)
        if (s_partitions[i].map == map)
            return s_partitions[i].partition_size;
    return 0;
}

void* H_MEMORY_pvAllocate(U32 u32Size, bool bWait)
{
    H_MEMORY_vEnsureInitialized();
    int first = H_MEMORY_iFindPart(u32Size);
    if (first < 0)
        H_MEMORY_vTooLarge();
    U8* block = nullptr;
    MAP map = 0;
    for (int i = first; i >= 0 && !block; i = H_MEMORY_iFindNextPart(i)) {
        map = s_partitions[i].map;
        block = static_cast<U8*>(L_MEM_Allocate(map));
    }
    if (!block) {
        map = s_partitions[first].map;
        block = static_cast<U8*>(bWait ? L_MEM_AllocateWait(map) : L_MEM_Allocate(map));
        if (!block)
            return nullptr;
    }
    H_MEMORY_vWriteHeader(block, map, u32Size);
    H_MEMORY_vMarkRequested(block, H_MEMORY_u32UsableOfMap(map), u32Size);
    return block + H_MEMORY_HEADER_BYTES;
}

// The block start of a pointer handed out by the program heap, or null for
// one that lies outside the static area.
U8* H_MEMORY_pu8BlockOf(const void* pvPointer)
{
    const U8* p = static_cast<const U8*>(pvPointer);
    if (p < s_partitionData + H_MEMORY_HEADER_BYTES || p >= s_partitionData + AREA_BYTES)
        return nullptr;
    return const_cast<U8*>(p) - H_MEMORY_HEADER_BYTES;
}

} // namespace

MAP H_MEMORY_mapFindPart(U32 u32Size)
{
    H_MEMORY_vEnsureInitialized();
    int i = H_MEMORY_iFindPart(u32Size);
    return i < 0 ? 0 : s_partitions[i].map;
}

size_t H_MEMORY_size_tGetMapedPartitionSize(MAP map)
{
    H_MEMORY_vEnsureInitialized();
    return H_MEMORY_u32UsableOfMap(map);
}

MAP H_MEMORY_mapOfBlock(const void* pvPointer)
{
    const U8* block = H_MEMORY_pu8BlockOf(pvPointer);
    return block ? H_MEMORY_mapReadHeader(block) : 0;
}

void* H_MEMORY_pvMalloc(U32 u32Size)
{
    return H_MEMORY_pvAllocate(u32Size, true);
}

void* H_MEMORY_pvMallocNoWait(U32 u32Size)
{
    return H_MEMORY_pvAllocate(u32Size, false);
}

// A pointer that did not come from the program heap is refused with null;
// it is neither freed nor copied.
void* H_MEMORY_pvRealloc(void* pvPointer, U32 u32Size)
{
    if (!pvPointer)
        return H_MEMORY_pvMalloc(u32Size);
    H_MEMORY_vEnsureInitialized();
    int want = H_MEMORY_iFindPart(u32Size);
    if (want < 0)
        H_MEMORY_vTooLarge();
    MAP own = H_MEMORY_mapOfBlock(pvPointer);
    U32 ownUsable = H_MEMORY_u32UsableOfMap(own);
    if (ownUsable == 0)
        return nullptr;
    U8* block = H_MEMORY_pu8BlockOf(pvPointer);
    if (s_partitions[want].map == own) {
        H_MEMORY_vWriteHeader(block, own, u32Size);
        H_MEMORY_vMarkRequested(block, ownUsable, u32Size);
        return pvPointer;
    }
    U32 kept = std::min(std::min(H_MEMORY_u32ReadRequested(block), ownUsable), u32Size);
    void* fresh = H_MEMORY_pvAllocate(u32Size, true);
    memcpy(fresh, pvPointer, kept);
    H_MEMORY_vFree(pvPointer);
    return fresh;
}

// The product is taken in 64 bits: one that does not fit is too large, not
// a small block that the caller would overrun.
void* H_MEMORY_pvCalloc(U32 u32NumElements, U32 u32Size)
{
    U64 total = (U64)u32NumElements * u32Size;
    if (total > s_partitionConfig.back().partition_usable)
        H_MEMORY_vTooLarge();
    void* p = H_MEMORY_pvMalloc((U32)total);
    memset(p, 0, (size_t)total);
    return p;
}

void H_MEMORY_vFree(void* pvPointer)
{
    U8* block = H_MEMORY_pu8BlockOf(pvPointer);
    if (block)
        L_MEM_Free(H_MEMORY_mapReadHeader(block), block);
}

void H_MEMORY_vDumpMail(RTOSMSG* pMsg)
{
    if (!pMsg)
        return;
    if (pMsg->sema != 0)
        L_MBOX_AckMessage(pMsg);
    else
        H_MEMORY_vFree(pMsg);
}

// No memory-management unit is programmed on this platform.
U32* H_MMU_pu32AllocateNonCachedArea(U32 u32Size)
{
    void* p = nullptr;
    if (posix_memalign(&p, 64, u32Size ? u32Size : 1) != 0)
        return nullptr;
    return static_cast<U32*>(p);
}

void H_MMU_vInit(void) {}
void H_MMU_vSetMTT(U32, U32, U32, U32) {}
void H_MMU_vDisableAll(void) {}

char* U_UTILS_strdup(const char* pcText)
{
    if (!pcText)
        return nullptr;
    size_t n = strlen(pcText) + 1;
    if (n > s_partitionConfig.back().partition_usable)
        H_MEMORY_vTooLarge();
    char* p = static_cast<char*>(H_MEMORY_pvMalloc((U32)n));
    memcpy(p, pcText, n);
    return p;
}
