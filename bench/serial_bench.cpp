// CPU per received byte on the serial ports: four ports flooded at the
// 115200-baud line rate (11,520 bytes/s each) through the whole receive
// path (reader threads, ring, serial-port task, receive queues, an owner
// draining them), beside plain reader threads that take the same flood
// straight off the terminals. Each also reports the time one byte takes on
// the line, which the CPU per byte must stay far below.
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"
#include "platform/dd_uart.h"
#include "platform/t_uart.h"
#include "platform/u_uart.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int PORTS = 4;
constexpr double LINE_BYTES_PER_SECOND = 11520.0; // 115200 baud, ten bits a character
constexpr auto FLOOD_TIME = std::chrono::milliseconds(250);
const char* const DEVICES[PORTS] = {"/dev/ttyO4", "/dev/ttyO1", "/dev/ttyO2", "/dev/ttyO3"};

using Clock = std::chrono::steady_clock;

U64 cpuNanos(clockid_t id)
{
    struct timespec ts;
    clock_gettime(id, &ts);
    return (U64)ts.tv_sec * 1000000000ull + (U64)ts.tv_nsec;
}

struct PtyPair {
    int master = -1;
    std::string slave;
};

PtyPair openPty()
{
    PtyPair p;
    p.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (p.master >= 0 && grantpt(p.master) == 0 && unlockpt(p.master) == 0)
        p.slave = ptsname(p.master);
    return p;
}

// Writes at the line rate for FLOOD_TIME; returns the bytes written and
// adds the thread's CPU time to *cpu.
size_t flood(int master, std::atomic<U64>* cpu)
{
    U64 cpu0 = cpuNanos(CLOCK_THREAD_CPUTIME_ID);
    std::vector<char> chunk(4096);
    for (size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = (char)(i * 31);
    auto start = Clock::now();
    size_t sent = 0;
    for (;;) {
        double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (elapsed >= std::chrono::duration<double>(FLOOD_TIME).count())
            break;
        size_t target = (size_t)(elapsed * LINE_BYTES_PER_SECOND);
        while (sent < target) {
            size_t n = std::min(target - sent, chunk.size());
            ssize_t w = write(master, chunk.data(), n);
            if (w <= 0)
                break;
            sent += (size_t)w;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    *cpu += cpuNanos(CLOCK_THREAD_CPUTIME_ID) - cpu0;
    return sent;
}

void report(benchmark::State& state, U64 cpu, U64 bytes, U64 lost, U64 wallNanos)
{
    state.counters["cpu_ns_per_byte"] = bytes ? (double)cpu / (double)bytes : 0.0;
    state.counters["line_ns_per_byte"] = 1e9 / LINE_BYTES_PER_SECOND;
    state.counters["cpu_share_of_a_core"] = wallNanos ? (double)cpu / (double)wallNanos : 0.0;
    state.counters["bytes_received"] = (double)bytes;
    state.counters["bytes_lost"] = (double)lost;
}

// The unit's receive path, set up once per process: ports linked to
// pseudo-terminals under a temporary root, the store, task 2, and all four
// ports captured by this thread.
struct UnitPorts {
    PtyPair pty[PORTS];
    bool ok = false;

    UnitPorts()
    {
        opt_nolog = 1;
        char tmpl[] = "/tmp/vondrel-bench-XXXXXX";
        const char* root = mkdtemp(tmpl);
        if (!root)
            return;
        setenv("VONDREL_ROOT", root, 1);
        std::string dev = std::string(root) + "/dev";
        mkdir(dev.c_str(), 0755);
        for (int p = 0; p < PORTS; ++p) {
            pty[p] = openPty();
            if (pty[p].slave.empty())
                return;
            std::string link = std::string(root) + DEVICES[p];
            if (symlink(pty[p].slave.c_str(), link.c_str()) != 0)
                return;
        }
        H_DATABASE_vInit();
        L_MBOX_DefineSema(MBOX_UART, 34);
        TASK_PARAM tp = {1024, TASK_UART_TABLE_PRIORITY, T_UART_vMain};
        L_TASK_SetParams(TASK_UART, &tp);
        L_TASK_Start(TASK_UART);
        std::this_thread::sleep_for(std::chrono::milliseconds(1000)); // start-up blanking
        for (U8 p = 0; p < PORTS; ++p) {
            U_UART_bAllocateChannel(p);
            U_UART_bChangeBaudRate(p, 115200);
        }
        for (int i = 0; i < 2000; ++i) {
            bool all = true;
            for (U8 p = 0; p < PORTS; ++p)
                all = all && T_UART_bChannelIsOwned(p);
            if (all) {
                ok = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

UnitPorts& unitPorts()
{
    static UnitPorts u;
    return u;
}

void BM_SerialReceivePathFourPortsFlooded(benchmark::State& state)
{
    UnitPorts& u = unitPorts();
    if (!u.ok) {
        state.SkipWithError("could not set up the serial ports");
        return;
    }
    constexpr SEMA SEMA_FLOOD_DONE = 263;
    const SEMA waitList[] = {16, 18, 20, 22, SEMA_FLOOD_DONE, 0};
    U64 cpu = 0, bytes = 0, lost = 0, wall = 0;
    for (auto _ : state) {
        std::atomic<U64> writerCpu{0};
        std::atomic<size_t> written{0};
        std::atomic<int> writersLeft{PORTS};
        U64 cpu0 = cpuNanos(CLOCK_PROCESS_CPUTIME_ID);
        auto t0 = Clock::now();
        std::vector<std::thread> writers;
        for (int p = 0; p < PORTS; ++p) {
            writers.emplace_back([&, p] {
                written += flood(u.pty[p].master, &writerCpu);
                if (--writersLeft == 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the last bytes in flight
                    L_SEMA_Signal(SEMA_FLOOD_DONE);
                }
            });
        }
        size_t received = 0;
        bool done = false;
        for (;;) {
            for (U8 p = 0; p < PORTS; ++p) {
                U16 element;
                while (L_QUEUE_Get(T_UART_nGetQueue(p, FALSE), &element) == 0)
                    ++received;
            }
            if (done)
                break;
            if (L_SEMA_WaitMultiple(waitList) == SEMA_FLOOD_DONE)
                done = true;
        }
        for (auto& w : writers)
            w.join();
        U64 spent = cpuNanos(CLOCK_PROCESS_CPUTIME_ID) - cpu0 - writerCpu.load();
        cpu += spent;
        bytes += received;
        lost += written.load() - std::min(written.load(), received);
        wall += (U64)std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - t0).count();
    }
    report(state, cpu, bytes, lost, wall);
}

// Reference: the same flood read straight off the four terminals by plain
// threads, 4096 bytes at a time, with nothing done with the bytes.
void BM_PlainTerminalReadFourPortsFlooded(benchmark::State& state)
{
    static PtyPair pty[PORTS];
    static int slave[PORTS];
    static bool opened = [] {
        for (int p = 0; p < PORTS; ++p) {
            pty[p] = openPty();
            slave[p] = open(pty[p].slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            struct termios tio;
            if (slave[p] < 0 || tcgetattr(slave[p], &tio) != 0)
                return false;
            cfmakeraw(&tio);
            tcsetattr(slave[p], TCSANOW, &tio);
        }
        return true;
    }();
    if (!opened) {
        state.SkipWithError("could not open terminals");
        return;
    }
    U64 cpu = 0, bytes = 0, lost = 0, wall = 0;
    for (auto _ : state) {
        std::atomic<U64> writerCpu{0};
        std::atomic<size_t> written{0}, received{0};
        std::atomic<bool> stop{false};
        U64 cpu0 = cpuNanos(CLOCK_PROCESS_CPUTIME_ID);
        auto t0 = Clock::now();
        std::vector<std::thread> threads;
        for (int p = 0; p < PORTS; ++p) {
            threads.emplace_back([&, p] {
                char buf[4096];
                while (!stop) {
                    struct pollfd f = {slave[p], POLLIN, 0};
                    if (poll(&f, 1, 10) <= 0)
                        continue;
                    ssize_t n = read(slave[p], buf, sizeof buf);
                    if (n > 0)
                        received += (size_t)n;
                }
            });
        }
        std::vector<std::thread> writers;
        for (int p = 0; p < PORTS; ++p)
            writers.emplace_back([&, p] { written += flood(pty[p].master, &writerCpu); });
        for (auto& w : writers)
            w.join();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop = true;
        for (auto& t : threads)
            t.join();
        cpu += cpuNanos(CLOCK_PROCESS_CPUTIME_ID) - cpu0 - writerCpu.load();
        bytes += received.load();
        lost += written.load() - std::min(written.load(), received.load());
        wall += (U64)std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - t0).count();
    }
    report(state, cpu, bytes, lost, wall);
}

BENCHMARK(BM_SerialReceivePathFourPortsFlooded)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainTerminalReadFourPortsFlooded)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
