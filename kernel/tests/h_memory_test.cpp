// The program heap and the partition layer under it: size classes,
// fallback and waiting, realloc, the fatal oversized request, concurrent
// use, and the refusal of pointers that are not block starts.
#include "kernel/h_memory.h"

#include "kernel/l_clock.h"
#include "kernel/l_mem.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace {

struct PARTITION {
    U32 usable;
    U32 blocks;
};

constexpr PARTITION PARTITIONS[] = {{44, 2700},  {168, 3700}, {1024, 80}, {4096, 600},
                                    {8796, 250}, {16384, 15}, {65536, 10}, {960096, 8}};

size_t usableOf(const void* p)
{
    return H_MEMORY_size_tGetMapedPartitionSize(H_MEMORY_mapOfBlock(p));
}

U8* blockStart(void* p)
{
    return static_cast<U8*>(p) - H_MEMORY_HEADER_BYTES;
}

// Takes every free block of a partition; the caller gives them back.
std::vector<void*> takeAll(MAP map)
{
    std::vector<void*> blocks;
    while (void* b = L_MEM_Allocate(map))
        blocks.push_back(b);
    return blocks;
}

void giveBack(MAP map, const std::vector<void*>& blocks)
{
    for (void* b : blocks)
        ASSERT_EQ(0, L_MEM_Free(map, b));
}

TEST(ProgramHeap, RequestTakesTheSmallestPartitionThatFitsAlignedForAnyType)
{
    const struct {
        U32 request;
        size_t usable;
    } cases[] = {{0, 44},        {1, 44},        {44, 44},         {45, 168},       {168, 168},
                 {169, 1024},    {4096, 4096},   {4097, 8796},     {8797, 16384},   {65536, 65536},
                 {65537, 960096}, {960096, 960096}};
    for (const auto& c : cases) {
        void* p = H_MEMORY_pvMalloc(c.request);
        ASSERT_NE(nullptr, p) << c.request;
        EXPECT_EQ(c.usable, usableOf(p)) << c.request;
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(p) % 16) << c.request;
        memset(p, 0xA5, c.request);
        H_MEMORY_vFree(p);
    }
}

TEST(ProgramHeap, FullPartitionFallsBackToALargerOneWithoutWaiting)
{
    MAP smallest = H_MEMORY_mapFindPart(1);
    std::vector<void*> taken = takeAll(smallest);
    EXPECT_EQ(2700u, taken.size());

    void* p = H_MEMORY_pvMalloc(10);
    EXPECT_EQ(168u, usableOf(p));
    void* q = H_MEMORY_pvMallocNoWait(10);
    EXPECT_EQ(168u, usableOf(q));
    H_MEMORY_vFree(p);
    H_MEMORY_vFree(q);

    giveBack(smallest, taken);
    p = H_MEMORY_pvMalloc(10);
    EXPECT_EQ(44u, usableOf(p));
    H_MEMORY_vFree(p);
}

TEST(ProgramHeap, WhenEveryFittingPartitionIsFullMallocWaitsForAFreeAndNoWaitGivesNull)
{
    std::vector<void*> largest;
    for (int i = 0; i < 8; ++i)
        largest.push_back(H_MEMORY_pvMalloc(960096));
    EXPECT_EQ(nullptr, H_MEMORY_pvMallocNoWait(500000));

    void* released = largest.back();
    largest.pop_back();
    std::thread freer([released] {
        L_CLOCK_Sleep(50);
        H_MEMORY_vFree(released);
    });
    U64 t0 = L_CLOCK_qwGetTimeInMillis();
    void* p = H_MEMORY_pvMalloc(500000);
    EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - t0, 40u);
    EXPECT_EQ(released, p);
    freer.join();
    largest.push_back(p);
    for (void* b : largest)
        H_MEMORY_vFree(b);
}

TEST(ProgramHeap, ReallocStaysInItsBlockForItsOwnClassAndMovesOtherwise)
{
    const struct {
        U32 from;
        U32 to;
        bool same;
        size_t usableAfter;
        size_t kept;
    } cases[] = {
        {100, 150, true, 168, 100}, // growing within the block
        {100, 45, true, 168, 45},   // shrinking within the class
        {100, 10, false, 44, 10},   // to a smaller class: the bytes asked for move
        {44, 1000, false, 1024, 44},
        {2000, 960096, false, 960096, 2000},
    };
    for (const auto& c : cases) {
        U8* p = static_cast<U8*>(H_MEMORY_pvMalloc(c.from));
        for (U32 i = 0; i < c.from; ++i)
            p[i] = (U8)(i * 7 + 1);
        U8* r = static_cast<U8*>(H_MEMORY_pvRealloc(p, c.to));
        ASSERT_NE(nullptr, r);
        EXPECT_EQ(c.same, r == p) << c.from << " -> " << c.to;
        EXPECT_EQ(c.usableAfter, usableOf(r)) << c.from << " -> " << c.to;
        for (size_t i = 0; i < c.kept; ++i)
            ASSERT_EQ((U8)(i * 7 + 1), r[i]) << c.from << " -> " << c.to << " at " << i;
        H_MEMORY_vFree(r);
    }
    void* fresh = H_MEMORY_pvRealloc(nullptr, 30);
    EXPECT_EQ(44u, usableOf(fresh));
    H_MEMORY_vFree(fresh);
}

#if defined(__SANITIZE_ADDRESS__)
#define VONDREL_HEAP_POISONED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VONDREL_HEAP_POISONED 1
#endif
#endif

#ifdef VONDREL_HEAP_POISONED
// The blocks are fixed, so without the poison neither write below would
// touch memory outside the static area, and neither would be seen.
TEST(ProgramHeapDeathTest, WritesPastTheRequestOrAfterTheFreeAreReported)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        const char* name;
        std::function<void()> fault;
    } cases[] = {
        {"400 bytes into a 40-byte block",
         [] {
             U8* p = static_cast<U8*>(H_MEMORY_pvMalloc(40));
             memset(p, 1, 400);
         }},
        {"one byte past the request, inside the usable size",
         [] {
             volatile U8* p = static_cast<U8*>(H_MEMORY_pvMalloc(40));
             p[40] = 1;
         }},
        {"into a freed block",
         [] {
             volatile U8* p = static_cast<U8*>(H_MEMORY_pvMalloc(40));
             H_MEMORY_vFree((void*)p);
             p[0] = 1;
         }},
        {"before the block, into its header",
         [] {
             volatile U8* p = static_cast<U8*>(H_MEMORY_pvMalloc(40));
             p[-1] = 1;
         }},
        {"past a block shrunk in place",
         [] {
             U8* p = static_cast<U8*>(H_MEMORY_pvMalloc(100));
             volatile U8* q = static_cast<U8*>(H_MEMORY_pvRealloc(p, 50));
             q[60] = 1;
         }},
        {"into a mail partition's free block",
         [] {
             MAP map = H_MEMORY_mapFindPart(4096);
             volatile U8* b = static_cast<U8*>(L_MEM_Allocate(map));
             L_MEM_Free(map, (void*)b);
             b[100] = 1;
         }},
    };
    for (const auto& c : cases)
        EXPECT_DEATH(c.fault(), "use-after-poison") << c.name;
}

TEST(ProgramHeap, EveryRequestedByteStaysUsableAcrossReallocs)
{
    // Growing in place opens the new bytes; moving keeps the old ones.
    U8* p = static_cast<U8*>(H_MEMORY_pvMalloc(50));
    memset(p, 7, 50);
    p = static_cast<U8*>(H_MEMORY_pvRealloc(p, 160));
    memset(p + 50, 8, 110);
    p = static_cast<U8*>(H_MEMORY_pvRealloc(p, 3000));
    for (int i = 0; i < 160; ++i)
        ASSERT_EQ(i < 50 ? 7 : 8, p[i]) << i;
    memset(p, 9, 3000);
    H_MEMORY_vFree(p);
}
#endif

TEST(ProgramHeap, CallocZeroFillsAndStrdupCopies)
{
    U8* p = static_cast<U8*>(H_MEMORY_pvMalloc(1000));
    memset(p, 0xFF, 1000);
    H_MEMORY_vFree(p);
    U8* z = static_cast<U8*>(H_MEMORY_pvCalloc(10, 100));
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(0, z[i]) << i;
    H_MEMORY_vFree(z);

    char* s = U_UTILS_strdup("CCST");
    EXPECT_STREQ("CCST", s);
    EXPECT_EQ(44u, usableOf(s));
    H_MEMORY_vFree(s);
}

TEST(ProgramHeap, RequestAboveTheLargestBlockIsFatal)
{
    // A forked child, so that it writes into this test's unit root (the
    // re-executing style would make a root of its own). No thread runs yet.
    GTEST_FLAG_SET(death_test_style, "fast");
    const struct {
        const char* name;
        std::function<void()> request;
    } cases[] = {
        {"malloc", [] { H_MEMORY_pvMalloc(960097); }},
        {"malloc without waiting", [] { H_MEMORY_pvMallocNoWait(960097); }},
        {"realloc", [] { H_MEMORY_pvRealloc(H_MEMORY_pvMalloc(10), 960097); }},
        // 65536 x 65537 wraps to 65536 in 32 bits.
        {"calloc whose product overflows", [] { H_MEMORY_pvCalloc(65536, 65537); }},
    };
    for (const auto& c : cases) {
        vt::TempRoot root;
        root.exportEnv();
        EXPECT_EXIT(c.request(), testing::ExitedWithCode(10), "") << c.name;
        std::string log = vt::readFile(root.cwd() + "/FATAL.LOG");
        EXPECT_NE(std::string::npos, log.find("error: Requesting a partition that is too large in h_memory at 520\n"))
            << c.name << ": " << log;
    }
}

TEST(ProgramHeap, ConcurrentUseKeepsBlocksApartAndLeavesEveryPartitionWhole)
{
    // Small slots stay at or below 4096 bytes and each thread has one large
    // slot, so the waits that can happen always end.
    constexpr int THREADS = 4;
    constexpr int SLOTS = 24;
    constexpr int OPS = 40000;
    std::atomic<int> failures{0};
    auto worker = [&](int t) {
        std::mt19937 rng(1234 + t);
        struct SLOT {
            U8* p = nullptr;
            U32 size = 0;
            U8 fill = 0;
        } slots[SLOTS];
        auto intact = [](const SLOT& s) {
            for (U32 i = 0; i < s.size; ++i)
                if (s.p[i] != s.fill)
                    return false;
            return true;
        };
        auto pickSize = [&](int slot) {
            U32 limit = slot == 0 ? 200000 : 4096;
            double x = std::uniform_real_distribution<double>(0, std::log((double)limit))(rng);
            return (U32)std::exp(x);
        };
        U8 generation = 0;
        for (int op = 0; op < OPS; ++op) {
            int k = (int)(rng() % SLOTS);
            SLOT& s = slots[k];
            if (!s.p) {
                s.size = pickSize(k);
                s.fill = (U8)(t * 64 + ++generation % 64);
                s.p = static_cast<U8*>(rng() % 8 == 0 ? H_MEMORY_pvCalloc(1, s.size) : H_MEMORY_pvMalloc(s.size));
                if (usableOf(s.p) < s.size)
                    failures++;
                memset(s.p, s.fill, s.size);
            } else if (!intact(s)) {
                failures++;
                break;
            } else if (rng() % 4 == 0) {
                U32 size = pickSize(k);
                s.p = static_cast<U8*>(H_MEMORY_pvRealloc(s.p, size));
                for (U32 i = 0; i < std::min(size, s.size); ++i)
                    if (s.p[i] != s.fill) {
                        failures++;
                        break;
                    }
                s.size = size;
                memset(s.p, s.fill, s.size);
            } else {
                H_MEMORY_vFree(s.p);
                s.p = nullptr;
            }
        }
        for (SLOT& s : slots)
            if (s.p)
                H_MEMORY_vFree(s.p);
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t)
        threads.emplace_back(worker, t);
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(0, failures.load());

    for (const PARTITION& part : PARTITIONS) {
        MAP map = H_MEMORY_mapFindPart(part.usable);
        std::vector<void*> taken = takeAll(map);
        EXPECT_EQ(part.blocks, taken.size()) << "partition of " << part.usable << " bytes";
        giveBack(map, taken);
    }
}

TEST(ProgramHeap, FreeRefusesPointersThatAreNotTheStartOfAnOwnedBlock)
{
    void* p = H_MEMORY_pvMalloc(100);
    MAP map = H_MEMORY_mapOfBlock(p);
    U8* start = blockStart(p);
    U8 elsewhere[64];
    EXPECT_EQ(-lsMAP_CROSSED, L_MEM_Free(map, p)) << "the address after the header";
    EXPECT_EQ(-lsMAP_CROSSED, L_MEM_Free(map, start + 1));
    EXPECT_EQ(-lsMAP_CROSSED, L_MEM_Free(map, elsewhere));
    EXPECT_EQ(-lsMAP_CROSSED, L_MEM_Free(H_MEMORY_mapFindPart(1), start)) << "another partition";
    EXPECT_EQ(-lsMAP_INVALID, L_MEM_Free(0, start));
    EXPECT_EQ(-lsMAP_INVALID, L_MEM_Free(9, start));
    EXPECT_EQ(0, L_MEM_Free(map, start));
    EXPECT_EQ(-lsMAP_CROSSED, L_MEM_Free(map, start)) << "already free";

    // The program heap ignores what it cannot free.
    H_MEMORY_vFree(nullptr);
    H_MEMORY_vFree(elsewhere);
}

// Runs in a child process of its own: it uses up the partitions that the
// program heap would make.
void partitionLayerChecks()
{
    alignas(16) static U8 body[4 * 32];
    EXPECT_EQ(-lsMAP_INVALID, L_MEM_Create(nullptr, 32, 4));
    EXPECT_EQ(-lsMAP_INVALID, L_MEM_Create(body, 0, 4));
    EXPECT_EQ(-lsMAP_INVALID, L_MEM_Create(body, 32, 0));
    MAP map = L_MEM_Create(body, 32, 4);
    ASSERT_EQ(1, map);
    EXPECT_EQ(32, L_MEM_GetBlockSize(map));

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(body + i * 32, L_MEM_Allocate(map));
    EXPECT_EQ(nullptr, L_MEM_Allocate(map));
    ASSERT_EQ(0, L_MEM_Free(map, body + 64));
    ASSERT_EQ(0, L_MEM_Free(map, body + 32));
    EXPECT_EQ(body + 32, L_MEM_Allocate(map)) << "the lowest free index first";

    U64 t0 = L_CLOCK_qwGetTimeInMillis();
    EXPECT_EQ(body + 64, L_MEM_AllocateWaitTicks(map, 20));
    EXPECT_EQ(nullptr, L_MEM_AllocateWaitTicks(map, 20));
    EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - t0, 18u);

    std::thread freer([&] {
        L_CLOCK_Sleep(30);
        L_MEM_Free(map, body + 96);
    });
    EXPECT_EQ(body + 96, L_MEM_AllocateWait(map));
    freer.join();

    // The remaining slots, then no more.
    MAP made = map;
    while (made > 0)
        made = L_MEM_Create(body, 32, 1);
    EXPECT_EQ(-lsMAP_NONE_AVAIL, made);
    EXPECT_EQ(-lsMAP_INVALID, L_MEM_GetBlockSize(0));
}

TEST(Partition, BlocksComeInIndexOrderAndWaitersGetFreedBlocks)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            partitionLayerChecks();
            exit(testing::Test::HasFailure() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace
