// Task 11 itself: it publishes "TSNR", processes nothing before semaphore
// 220, returns every descriptor while the history side reads the
// accumulators from another thread, and after a shutdown only returns
// descriptors. The strips of the real-time bar and the 360 store are read
// at the same time. The task is started once in a process of its own.
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "sonar/history/t_n_history.h"
#include "sonar/tests/process_world.h"

#include <chrono>
#include <thread>

namespace process_test {
namespace {

using std::chrono::milliseconds;

template <typename F>
bool waitFor(F&& condition, int ms = 10000)
{
    const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return false;
}

void sendPing(PING_DESCRIPTOR* p)
{
    auto* m = static_cast<PING_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(PING_MESSAGE)));
    memset(m, 0, sizeof *m);
    m->Header.Cmd = CMD_ID_SONAR_PROCESS_PING;
    m->pReturnDescriptor = p;
    ASSERT_EQ(L_MBOX_Send(PROCESS_MAILBOX, &m->Header.msghdr, 3, 0), 0);
}

TEST(ProcessTask, WaitsForTheHistoryThenReturnsEveryDescriptor)
{
    sonar_test::unitRoot();
    H_DATABASE_vInit();
    U_CONVERT_vInitialiseConversionUtility();
    t_n_ping::vInitialisePingDescriptorQueue();
    setU32("CCST", 3);
    setU32("YST1", 1);
    L_MBOX_DefineSema(PROCESS_MAILBOX, SEMA_MBOX_PROCESS);
    const TASK_PARAM params = {2048, 81, T_N_PROCESS_vMain};
    ASSERT_EQ(L_TASK_SetParams(PROCESS_TASK, &params), 0);
    ASSERT_EQ(L_TASK_Start(PROCESS_TASK), 0);

    ASSERT_TRUE(waitFor([] { return u32("TSNR", 0) == PROCESS_MAILBOX; }));
    const U32 full = pooled();
    sendPing(ping(1));
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(pooled(), full - 1); // held until the history's windows exist

    L_SEMA_Signal(SEMA_TNHIST_WAIT);
    ASSERT_TRUE(waitFor([&] { return pooled() == full; }));

    // Pings keep coming while the history side reads the columns.
    int newColumns = 0;
    std::vector<U8> store(2048), display(600);
    TSU_STORE_COLUMN column = {};
    column.au8Data = store.data();
    column.u32TSUDataLength = (U32)store.size();
    // At least 200 rounds, and on a loaded machine on until the task has
    // merged a ping the reader sees (at most 20 s).
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int i = 0; i < 200 || (newColumns == 0 && std::chrono::steady_clock::now() < giveUp); ++i) {
        PING_DESCRIPTOR* p = nullptr;
        if (L_QUEUE_Get(Q_PING, &p) == 0) {
            L_QUEUE_Put(Q_PING, &p);
            sendPing(ping((BEAM)(i % 2), 20000));
        }
        std::vector<U8> strip(400);
        T_N_PROCESS_vRefreshMssRtsDataForDisplay(1, strip.data(), 0, 20000, 400, (U32)i);
        BOOLEAN noise = FALSE;
        if (T_N_PROCESS_eGetDataForDisplay(1, &column, display.data(), 0, 20000, nullptr, 0, 0, nullptr, 0, 0,
                                           nullptr, (U32)display.size(), 0, 0, FALSE,
                                           &noise) == ACCUMULATOR_HAD_NEW_DATA)
            ++newColumns;
    }
    ASSERT_TRUE(waitFor([&] { return pooled() == full; }));
    EXPECT_GT(newColumns, 0);
    // The 200 kHz beam's rate: the period since its last ping, in whole
    // milliseconds; pings taken in one burst may be 0 apart, so one more
    // comes a little later.
    std::this_thread::sleep_for(milliseconds(20));
    sendPing(ping(1, 20000));
    ASSERT_TRUE(waitFor([&] { return pooled() == full; }));
    EXPECT_GT(u32("CSPT", 0), 0u);

    // After a shutdown descriptors still come back.
    auto* shutdown = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    memset(shutdown, 0, sizeof *shutdown);
    shutdown->Cmd = CMD_ID_SHUTDOWN;
    ASSERT_EQ(L_MBOX_Send(PROCESS_MAILBOX, &shutdown->msghdr, 3, 0), 0);
    sendPing(ping(1));
    ASSERT_TRUE(waitFor([&] { return pooled() == full; }));
}

} // namespace
} // namespace process_test
