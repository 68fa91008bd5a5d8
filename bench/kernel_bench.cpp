// Kernel objects against their plain counterparts, in the same run:
// a mail round trip between two tasks beside a condition-variable
// ping-pong between two threads, and an allocate/free pair of the program
// heap beside malloc/free of the same size.
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_task.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

constexpr TASK ECHO_TASK = 69;
constexpr MBOX REQUEST_MBOX = 50;
constexpr MBOX REPLY_MBOX = 51;

// Keeps a pointer alive for the optimiser through the read-only form: this
// compiler miscompiles the read-write form for a pointer that is used again.
void BENCH_vKeep(void* const& p)
{
    benchmark::DoNotOptimize(p);
}

// Sends every mail straight back; lives for the whole run.
void BENCH_vEchoMain(void)
{
    for (;;) {
        MSGHEADER* h = L_MBOX_ReceiveWait(REQUEST_MBOX);
        L_MBOX_Send(REPLY_MBOX, h, 3, 0);
    }
}

void BENCH_vStartEcho()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TASK_PARAM p = {4096, 50, BENCH_vEchoMain};
        L_TASK_SetParams(ECHO_TASK, &p);
        L_TASK_Start(ECHO_TASK);
    });
}

void BM_MailRoundTrip(benchmark::State& state)
{
    BENCH_vStartEcho();
    auto* mail = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    mail->Cmd = CMD_ID_USER_TEST;
    for (auto _ : state) {
        L_MBOX_Send(REQUEST_MBOX, &mail->msghdr, 3, 0);
        BENCH_vKeep(L_MBOX_ReceiveWait(REPLY_MBOX));
    }
    H_MEMORY_vFree(mail);
}
BENCHMARK(BM_MailRoundTrip)->UseRealTime();

void BM_CondVarPingPong(benchmark::State& state)
{
    std::mutex m;
    std::condition_variable cv;
    int turn = 0; // 1: the partner's move, 0: ours, -1: stop
    std::thread partner([&] {
        std::unique_lock<std::mutex> lock(m);
        for (;;) {
            cv.wait(lock, [&] { return turn != 0; });
            if (turn < 0)
                return;
            turn = 0;
            cv.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock<std::mutex> lock(m);
        turn = 1;
        cv.notify_all();
        cv.wait(lock, [&] { return turn == 0; });
    }
    {
        std::lock_guard<std::mutex> lock(m);
        turn = -1;
    }
    cv.notify_all();
    partner.join();
}
BENCHMARK(BM_CondVarPingPong)->UseRealTime();

void BM_HeapAllocFree(benchmark::State& state)
{
    U32 size = (U32)state.range(0);
    for (auto _ : state) {
        void* p = H_MEMORY_pvMalloc(size);
        BENCH_vKeep(p);
        H_MEMORY_vFree(p);
    }
}
BENCHMARK(BM_HeapAllocFree)->Arg(40)->Arg(1000)->Arg(60000);

void BM_MallocFree(benchmark::State& state)
{
    size_t size = (size_t)state.range(0);
    for (auto _ : state) {
        void* p = malloc(size);
        BENCH_vKeep(p);
        free(p);
    }
}
BENCHMARK(BM_MallocFree)->Arg(40)->Arg(1000)->Arg(60000);

} // namespace

BENCHMARK_MAIN();
