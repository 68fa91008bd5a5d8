// Queues: the four condition semaphores, order across the ring's wrap,
// definition over a caller's buffer, the waiting forms and bad arguments.
#include "kernel/l_queue.h"

#include "kernel/l_clock.h"
#include "kernel/l_sema.h"
#include "kernel/tests/task_runner.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Semaphores bound to QNE, QNF, QF and QE in the tests below.
constexpr SEMA CONDITION_SEMAS[QCOND_COUNT] = {15, 16, 17, 18};

class QueueConditions : public testing::Test {
protected:
    static constexpr QUEUE q = 11;

    void SetUp() override
    {
        ASSERT_EQ(0, L_QUEUE_Define(q, 2, 2, nullptr, 0));
        for (int c = 0; c < QCOND_COUNT; ++c)
            ASSERT_EQ(0, L_QUEUE_DefineSema(q, CONDITION_SEMAS[c], (QUEUE_CONDITION)c));
    }

    void clearConditions()
    {
        for (SEMA s : CONDITION_SEMAS)
            L_SEMA_SetPending(s);
    }

    std::set<QUEUE_CONDITION> signalled()
    {
        std::set<QUEUE_CONDITION> done;
        for (int c = 0; c < QCOND_COUNT; ++c)
            if (L_SEMA_GetWaitingTaskID(CONDITION_SEMAS[c]) == -lsSEMA_DONE)
                done.insert((QUEUE_CONDITION)c);
        return done;
    }
};

TEST_F(QueueConditions, PutGetAndPurgeSignalTheConditionsTheyBringAbout)
{
    enum OP { PUT, GET, PURGE };
    const struct {
        OP op;
        ERC rc;
        std::set<QUEUE_CONDITION> signals;
        const char* what;
    } steps[] = {
        {PUT, 0, {QNE}, "first put"},
        {PUT, 0, {QNE, QF}, "put that fills it"},
        {PUT, -lsQUEUE_FULL, {}, "put into a full queue"},
        {GET, 0, {QNF}, "get from the full queue"},
        {GET, 0, {QE}, "get that empties it"},
        {GET, -lsQUEUE_EMPTY, {}, "get from an empty queue"},
        {PURGE, 0, {}, "purge of an empty queue"},
        {PUT, 0, {QNE}, "put"},
        {PURGE, 0, {QE}, "purge of a queue that is not full"},
        {PUT, 0, {QNE}, "put"},
        {PUT, 0, {QNE, QF}, "put that fills it"},
        {PURGE, 0, {QNF, QE}, "purge of a full queue"},
    };
    for (const auto& s : steps) {
        clearConditions();
        U16 element = 0x1234;
        ERC rc = s.op == PUT ? L_QUEUE_Put(q, &element) : s.op == GET ? L_QUEUE_Get(q, &element) : L_QUEUE_Purge(q);
        EXPECT_EQ(s.rc, rc) << s.what;
        EXPECT_EQ(s.signals, signalled()) << s.what;
    }
    EXPECT_EQ(0, L_QUEUE_Inquire(q));
}

TEST(Queue, ElementsComeOutInTheOrderPutAcrossTheWrap)
{
    const QUEUE q = 10;
    ASSERT_EQ(0, L_QUEUE_Define(q, 4, 3, nullptr, 0));
    U32 next = 0, expected = 0;
    for (int round = 0; round < 12; ++round) {
        int n = 1 + round % 3;
        for (int i = 0; i < n; ++i, ++next)
            ASSERT_EQ(0, L_QUEUE_Put(q, &next)) << next;
        EXPECT_EQ(n, L_QUEUE_Inquire(q));
        for (int i = 0; i < n; ++i) {
            U32 got = 0xFFFFFFFF;
            ASSERT_EQ(0, L_QUEUE_Get(q, &got));
            EXPECT_EQ(expected++, got);
        }
    }
}

TEST(Queue, DefinedOverACallerBufferItTakesTheElementsAlreadyThere)
{
    const QUEUE q = 12;
    U32 buffer[5] = {11, 22, 33, 0, 0};
    ASSERT_EQ(0, L_QUEUE_Define(q, 4, 5, reinterpret_cast<U8*>(buffer), 3));
    EXPECT_EQ(3, L_QUEUE_Inquire(q));
    U32 got = 0;
    ASSERT_EQ(0, L_QUEUE_Get(q, &got));
    EXPECT_EQ(11u, got);
    for (U32 v : {44u, 55u, 66u})
        ASSERT_EQ(0, L_QUEUE_Put(q, &v));
    U32 v = 77;
    EXPECT_EQ(-lsQUEUE_FULL, L_QUEUE_Put(q, &v));
    EXPECT_EQ(44u, buffer[3]) << "the caller's buffer is the ring";
    EXPECT_EQ(66u, buffer[0]) << "wrapped to the start";
    for (U32 want : {22u, 33u, 44u, 55u, 66u}) {
        ASSERT_EQ(0, L_QUEUE_Get(q, &got));
        EXPECT_EQ(want, got);
    }
    EXPECT_EQ(-lsQUEUE_EMPTY, L_QUEUE_Get(q, &got));
}

TEST(Queue, PingQueueCarriesHostPointersOverTheTasksOwnBuffer)
{
    struct DESCRIPTOR {
        int n;
    } descriptors[24];
    void* ring[24];
    for (int i = 0; i < 24; ++i)
        ring[i] = &descriptors[i];
    ASSERT_EQ(0, L_QUEUE_Define(9, sizeof(void*), 24, reinterpret_cast<U8*>(ring), 24));
    ASSERT_EQ(0, L_QUEUE_DefineSema(9, 126, QNE));
    EXPECT_EQ(24, L_QUEUE_Inquire(9));
    void* p = nullptr;
    for (int i = 0; i < 24; ++i) {
        ASSERT_EQ(0, L_QUEUE_Get(9, &p));
        EXPECT_EQ(&descriptors[i], p);
    }
    L_SEMA_SetPending(126);
    void* back = &descriptors[5];
    ASSERT_EQ(0, L_QUEUE_Put(9, &back));
    EXPECT_EQ(-lsSEMA_DONE, L_SEMA_GetWaitingTaskID(126)) << "a free descriptor is announced";
    ASSERT_EQ(0, L_QUEUE_Get(9, &p));
    EXPECT_EQ(&descriptors[5], p);
}

TEST(Queue, WaitingFormsSleepUntilRoomOrDataOrTheDeadline)
{
    const QUEUE q = 11;
    ASSERT_EQ(0, L_QUEUE_Define(q, 2, 1, nullptr, 0));
    U16 v = 0;
    U64 t0 = L_CLOCK_qwGetTimeInMillis();
    EXPECT_EQ(-lsQUEUE_EMPTY, L_QUEUE_GetWaitTicks(q, &v, 10));
    EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - t0, 9u);

    {
        kt::TaskRun producer(52, [&] {
            L_CLOCK_Sleep(20);
            U16 x = 501;
            EXPECT_EQ(0, L_QUEUE_Put(q, &x));
        });
        EXPECT_EQ(0, L_QUEUE_GetWait(q, &v));
        EXPECT_EQ(501, v);
    }

    U16 first = 1;
    ASSERT_EQ(0, L_QUEUE_Put(q, &first));
    t0 = L_CLOCK_qwGetTimeInMillis();
    EXPECT_EQ(-lsQUEUE_FULL, L_QUEUE_PutWaitTicks(q, &first, 10));
    EXPECT_GE(L_CLOCK_qwGetTimeInMillis() - t0, 9u);
    {
        kt::TaskRun consumer(53, [&] {
            L_CLOCK_Sleep(20);
            U16 x = 0;
            EXPECT_EQ(0, L_QUEUE_Get(q, &x));
            EXPECT_EQ(1, x);
        });
        U16 second = 2;
        EXPECT_EQ(0, L_QUEUE_PutWait(q, &second));
    }
    EXPECT_EQ(0, L_QUEUE_GetWaitSeconds(q, &v, 1));
    EXPECT_EQ(2, v);
}

TEST(Queue, BadArgumentsAreRefused)
{
    U16 v = 0;
    for (QUEUE id : {0, 13, -1}) {
        std::string at = "queue " + std::to_string(id);
        EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Define(id, 2, 4, nullptr, 0)) << at;
        EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_DefineSema(id, 1, QNE)) << at;
        EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Put(id, &v)) << at;
        EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_PutWaitTicks(id, &v, 1)) << at;
        EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Get(id, &v)) << at;
        EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_GetWait(id, &v)) << at;
        EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Purge(id)) << at;
        EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Inquire(id)) << at;
    }
    EXPECT_EQ(-lsQCOND_INVALID, L_QUEUE_DefineSema(3, 1, (QUEUE_CONDITION)4));
    EXPECT_EQ(-lsSEMA_INVALID, L_QUEUE_DefineSema(3, 281, QNE));
    EXPECT_EQ(-lsSEMA_INVALID, L_QUEUE_DefineSema(3, -1, QNE));
    EXPECT_EQ(0, L_QUEUE_DefineSema(3, 0, QNE)) << "0 unbinds";
    EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Define(3, 0, 4, nullptr, 0)) << "no width";
    EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Define(3, 2, 0, nullptr, 0)) << "no depth";
    U8 buffer[8];
    EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Define(3, 2, 4, buffer, 5)) << "more held than fit";
    EXPECT_EQ(-lsQUEUE_NO_MEMORY, L_QUEUE_Define(3, 0x10000, 0x10000, nullptr, 0)) << "ring too large";
    EXPECT_EQ(-lsQUEUE_INVALID, L_QUEUE_Put(3, nullptr));
}

TEST(Queue, FirstUseMakesTheConfiguredRing)
{
    const QUEUE q = 1; // 1 byte wide, 128 deep
    EXPECT_EQ(0, L_QUEUE_Inquire(q));
    for (int i = 0; i < 128; ++i) {
        U8 b = (U8)i;
        ASSERT_EQ(0, L_QUEUE_Put(q, &b)) << i;
    }
    U8 b = 0;
    EXPECT_EQ(-lsQUEUE_FULL, L_QUEUE_Put(q, &b));
    EXPECT_EQ(128, L_QUEUE_Inquire(q));

    // Queue 2 is 2 bytes wide: a get writes exactly one element.
    U8 element[3] = {0xAA, 0xBB, 0xCC};
    ASSERT_EQ(0, L_QUEUE_Put(2, element));
    U8 out[3] = {0, 0, 0x77};
    ASSERT_EQ(0, L_QUEUE_Get(2, out));
    EXPECT_EQ(0xAA, out[0]);
    EXPECT_EQ(0xBB, out[1]);
    EXPECT_EQ(0x77, out[2]);
}

} // namespace
