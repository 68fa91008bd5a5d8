// The PC-connect import ("E"): the 131,080-byte navigation stream sent by
// lrzsz sx by XMODEM-1K over a pseudo-terminal to the unit's port 3 (the
// serial-port task and the PC-connect task, the stream's save side a
// counter), beside lrzsz rx taking the same file from sx over a
// pseudo-terminal in the same run. sx's bytes reach either receiver at the
// 115200-baud line rate the PC tool selects with "b": the unit's serial
// driver keeps to its port's rate, the reference's pump to the same.
#include "system/t_pcc.h"

#include "kernel/l_mbox.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"
#include "platform/t_uart.h"
#include "store/h_database.h"

#include "system/tests/pcc_lrzsz.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <termios.h>

namespace {

constexpr size_t STREAM_BYTES = 131080;
const char* const DEVICES[4] = {"/dev/ttyO4", "/dev/ttyO1", "/dev/ttyO2", "/dev/ttyO3"};

std::atomic<int> s_imports{0};
std::atomic<size_t> s_importedBytes{0};
size_t s_importing = 0;

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

std::string readSome(int fd, size_t want, int ms)
{
    std::string out;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (out.size() < want && std::chrono::steady_clock::now() < deadline) {
        struct pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        char buf[256];
        ssize_t n = ::read(fd, buf, std::min(sizeof buf, want - out.size()));
        if (n > 0)
            out.append(buf, (size_t)n);
    }
    return out;
}

// The unit's side, set up once per process: a temporary root with the
// stream file, port 3 on a pseudo-terminal, the store, tasks 2 and 21, and
// a connection opened with "#T".
struct Unit {
    std::string root;
    PtyPair pty[4];
    bool ok = false;

    Unit()
    {
        opt_nolog = 1;
        char tmpl[] = "/tmp/vondrel-bench-XXXXXX";
        const char* r = mkdtemp(tmpl);
        if (!r)
            return;
        root = r;
        setenv("VONDREL_ROOT", r, 1);
        mkdir((root + "/dev").c_str(), 0755);
        mkdir((root + "/tmp").c_str(), 0755);
        std::string data(STREAM_BYTES, '\0');
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = (char)(i * 7 + i / 1024);
        std::ofstream(root + "/tmp/stream.bin", std::ios::binary) << data;
        for (int p = 0; p < 4; ++p) {
            pty[p] = openPty();
            if (pty[p].slave.empty() || symlink(pty[p].slave.c_str(), (root + DEVICES[p]).c_str()) != 0)
                return;
        }
        H_DATABASE_vInit();
        H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL);
        T_PCC_NEIGHBOURS n = {};
        n.pfnSaveBufferInit = [] { s_importing = 0; };
        n.pfnSaveBufferSegment = [](U32 count, const U8*) { s_importing += count; };
        n.pfnSaveBufferFree = [] {
            s_importedBytes = s_importing;
            s_imports++;
        };
        n.pfnWipe = [](BOOLEAN, BOOLEAN) {};
        T_PCC_vInstallNeighbours(&n);
        L_MBOX_DefineSema(MBOX_UART, 34);
        L_MBOX_DefineSema(PCC_MAILBOX, SEMA_MBOX_PCC);
        TASK_PARAM up = {1024, TASK_UART_TABLE_PRIORITY, T_UART_vMain};
        TASK_PARAM pp = {2048, 100, T_PCC_vMain};
        if (L_TASK_SetParams(TASK_UART, &up) != 0 || L_TASK_Start(TASK_UART) != 0)
            return;
        for (int i = 0; i < 200 && !H_DATABASE_bFetchU32(FCID("TURT"), nullptr, nullptr, nullptr); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (L_TASK_SetParams(PCC_TASK, &pp) != 0 || L_TASK_Start(PCC_TASK) != 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        const std::string open = "\r#T\r";
        if (write(pty[3].master, open.data(), open.size()) != (ssize_t)open.size())
            return;
        if (readSome(pty[3].master, 13, 5000) != "#1234567890\r\n")
            return;
        ok = write(pty[3].master, "#b\r", 3) == 3 && readSome(pty[3].master, 6, 5000) == "#ACK\n\r";
    }
};

Unit& unit()
{
    static Unit* u = new Unit();
    return *u;
}

void BM_UnitImportsTheStreamFromSx(benchmark::State& state)
{
    Unit& u = unit();
    if (!u.ok || access("/usr/bin/sx", X_OK) != 0) {
        state.SkipWithError("no unit or no lrzsz");
        return;
    }
    const int master = u.pty[3].master;
    size_t naks = 0;
    for (auto _ : state) {
        const int before = s_imports;
        if (write(master, "#E\r", 3) != 3 || readSome(master, 6, 5000) != "#ACK\n\r") {
            state.SkipWithError("no #ACK to E");
            return;
        }
        pcct::Peer sx(u.root + "/tmp", {"/usr/bin/sx", "-k", "-t", "20", "stream.bin"});
        {
            pcct::Pump pump(master, sx.fd());
            if (sx.wait(120000) != 0) {
                state.SkipWithError("sx failed");
                return;
            }
            while (s_imports == before)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            naks += pump.naks();
        }
    }
    state.counters["bytes_imported"] = (double)s_importedBytes;
    // Blocks the unit asked again for (the first EOT's NAK is the protocol's).
    state.counters["blocks_repeated"] = (double)naks / (double)state.iterations() - 1;
    state.SetBytesProcessed((int64_t)(state.iterations() * STREAM_BYTES));
}

// rx on a raw pseudo-terminal: a second pump carries between the
// terminal's slave and rx, as the unit's serial driver reads its slave.
void BM_RxReceivesTheStreamFromSx(benchmark::State& state)
{
    Unit& u = unit();
    if (!u.ok || access("/usr/bin/rx", X_OK) != 0) {
        state.SkipWithError("no unit or no lrzsz");
        return;
    }
    PtyPair line = openPty();
    int slave = open(line.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    struct termios tio = {};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    for (auto _ : state) {
        unlink((u.root + "/tmp/recv.bin").c_str());
        pcct::Peer rx(u.root + "/tmp", {"/usr/bin/rx", "-c", "-t", "20", "recv.bin"});
        pcct::Peer sx(u.root + "/tmp", {"/usr/bin/sx", "-k", "-t", "20", "stream.bin"});
        pcct::Pump toRx(slave, rx.fd());
        pcct::Pump fromSx(line.master, sx.fd(), pcct::LINE_115200);
        if (rx.wait(120000) != 0 || sx.wait(10000) != 0) {
            state.SkipWithError("rx or sx failed");
            break;
        }
    }
    close(slave);
    close(line.master);
    state.SetBytesProcessed((int64_t)(state.iterations() * STREAM_BYTES));
}

} // namespace

BENCHMARK(BM_UnitImportsTheStreamFromSx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_RxReceivesTheStreamFromSx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
