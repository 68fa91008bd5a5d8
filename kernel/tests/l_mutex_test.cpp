// Mutexes: nesting by the owning task, refusal of other tasks, the timed
// lock, bad ids and the BOOLEAN wrapper.
#include "kernel/l_mutex.h"

#include "kernel/l_clock.h"
#include "kernel/tests/task_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

namespace {

// Runs one call of another task and returns its result.
ERC fromTask(TASK id, const std::function<ERC()>& call)
{
    ERC rc = 12345;
    kt::TaskRun run(id, [&] { rc = call(); });
    EXPECT_TRUE(run.started());
    run.join();
    return rc;
}

TEST(Mutex, OwnerNestsAndOthersAreRefusedUntilTheLastUnlock)
{
    const MUTEX m = 76;
    EXPECT_EQ(0, L_MUTEX_LockWait(m));
    EXPECT_EQ(-lsMUTEX_NESTED, L_MUTEX_Lock(m));
    EXPECT_EQ(-lsMUTEX_NESTED, L_MUTEX_LockTime(m, 10));
    EXPECT_EQ(TASK_MAINTHREAD, L_MUTEX_GetOwnerTaskID(m));
    EXPECT_EQ(-lsMUTEX_BUSY, fromTask(48, [&] { return L_MUTEX_Lock(m); }));

    EXPECT_EQ(-lsMUTEX_NESTED, L_MUTEX_Unlock(m));
    EXPECT_EQ(-lsMUTEX_NESTED, L_MUTEX_Unlock(m));
    EXPECT_EQ(-lsMUTEX_BUSY, fromTask(49, [&] { return L_MUTEX_Lock(m); }));
    EXPECT_EQ(0, L_MUTEX_Unlock(m));
    EXPECT_EQ(0, L_MUTEX_GetOwnerTaskID(m));

    EXPECT_EQ(0, fromTask(50, [&] {
                  ERC rc = L_MUTEX_Lock(m);
                  EXPECT_EQ(50, L_MUTEX_GetOwnerTaskID(m));
                  EXPECT_EQ(0, L_MUTEX_Unlock(m));
                  return rc;
              }));
}

TEST(Mutex, UnlockByANonOwnerChangesNothing)
{
    const MUTEX m = 77;
    ASSERT_EQ(0, L_MUTEX_LockWait(m));
    EXPECT_EQ(-lsMUTEX_BUSY, fromTask(48, [&] { return L_MUTEX_Unlock(m); }));
    EXPECT_EQ(TASK_MAINTHREAD, L_MUTEX_GetOwnerTaskID(m));
    EXPECT_EQ(0, L_MUTEX_Unlock(m)) << "still held once";
    EXPECT_EQ(-lsMUTEX_BUSY, L_MUTEX_Unlock(m)) << "free: nobody owns it";
}

TEST(Mutex, TimedLockWaitsForAShortHolderAndGivesUpOnALongOne)
{
    const struct {
        TASK holder;
        TICKS heldFor;
        ERC expected;
        U64 minWait;
        U64 maxWait;
    } cases[] = {
        {48, 50, 0, 40, 190},
        {49, 200, -lsMUTEX_BUSY, 95, 190},
    };
    const MUTEX m = 78;
    for (const auto& c : cases) {
        std::atomic<bool> held{false};
        kt::TaskRun holder(c.holder, [&] {
            ASSERT_EQ(0, L_MUTEX_LockWait(m));
            held = true;
            L_CLOCK_Sleep(c.heldFor);
            L_MUTEX_Unlock(m);
        });
        while (!held)
            L_CLOCK_Sleep(1);
        U64 t0 = L_CLOCK_qwGetTimeInMillis();
        EXPECT_EQ(c.expected, L_MUTEX_LockTime(m, 100)) << "held for " << c.heldFor;
        U64 waited = L_CLOCK_qwGetTimeInMillis() - t0;
        EXPECT_GE(waited, c.minWait) << "held for " << c.heldFor;
        EXPECT_LT(waited, c.maxWait) << "held for " << c.heldFor;
        if (c.expected == 0) {
            EXPECT_EQ(0, L_MUTEX_Unlock(m));
        }
        holder.join();
    }
}

TEST(Mutex, IdsOutsideTheTableAreRefused)
{
    for (MUTEX id : {0, -1, 105}) {
        GMUTEX g = id;
        EXPECT_EQ(-lsMUTEX_INVALID, L_MUTEX_LockWait(id)) << id;
        EXPECT_EQ(-lsMUTEX_INVALID, L_MUTEX_Lock(id)) << id;
        EXPECT_EQ(-lsMUTEX_INVALID, L_MUTEX_LockTime(id, 1)) << id;
        EXPECT_EQ(-lsMUTEX_INVALID, L_MUTEX_Unlock(id)) << id;
        EXPECT_EQ(-lsMUTEX_INVALID, L_MUTEX_GetOwnerTaskID(id)) << id;
        EXPECT_FALSE(MUTEX_bLock(&g)) << id;
        EXPECT_FALSE(MUTEX_bTryLock(&g)) << id << ": a bad id is no lock";
        EXPECT_FALSE(MUTEX_bUnlock(&g)) << id;
    }
    EXPECT_FALSE(MUTEX_bTryLock(nullptr));
}

TEST(Mutex, BooleanWrapperReportsFreshLocksAndLastReleases)
{
    GMUTEX g = 79;
    EXPECT_TRUE(MUTEX_bInit(&g, TRUE));
    EXPECT_TRUE(MUTEX_bTryLock(&g));
    EXPECT_EQ(TASK_MAINTHREAD, L_MUTEX_GetOwnerTaskID(g));
    EXPECT_FALSE(MUTEX_bLock(&g)) << "nested, though taken one level deeper";
    EXPECT_TRUE(MUTEX_bTryLock(&g)) << "nested try succeeds";
    EXPECT_EQ(FALSE, fromTask(48, [&] { return (ERC)MUTEX_bTryLock(&g); }));
    EXPECT_FALSE(MUTEX_bUnlock(&g));
    EXPECT_FALSE(MUTEX_bUnlock(&g));
    EXPECT_TRUE(MUTEX_bUnlock(&g));
    EXPECT_EQ(0, L_MUTEX_GetOwnerTaskID(g));
    EXPECT_TRUE(MUTEX_bDestroy(&g));
}

TEST(Mutex, ExcludesOtherTasksWhileHeld)
{
    const MUTEX m = 80;
    constexpr int ROUNDS = 3000;
    long counter = 0;
    auto body = [&] {
        for (int i = 0; i < ROUNDS; ++i) {
            L_MUTEX_LockWait(m);
            long seen = counter;
            if (i % 100 == 0)
                L_CLOCK_Sleep(0);
            counter = seen + 1;
            L_MUTEX_Unlock(m);
        }
    };
    {
        kt::TaskRun a(48, body);
        kt::TaskRun b(49, body);
        kt::TaskRun c(50, body);
    }
    EXPECT_EQ(3L * ROUNDS, counter);
}

} // namespace
