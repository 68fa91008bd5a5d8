// Request/reply round trips through the GMSG task on loopback beside a
// plain TCP echo of the same bytes (a 72-byte header and the payload) in
// the same run. The GMSG figure carries everything a service pays: the
// client's compose and hand-over, the socket thread's report, the reads
// and deliveries of the GMSG task, the server's dispatch and reply.
// Items are round trips; bytes are the payload bytes moved both ways.
#include "gmsg/tests/gmsg_endpoint.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <netinet/tcp.h>
#include <poll.h>
#include <thread>
#include <vector>

using namespace gte;

namespace {

constexpr U32 ID_ECHO = GMSG_MAKE_ID(SERVICE_CLASS_TEST, 1);
constexpr U32 ID_ECHOED = GMSG_MAKE_ID(SERVICE_CLASS_TEST, 2);
// The client is the benchmark's own thread.
constexpr Ids kClient = kNavIds;

std::atomic<int> s_replies{0};

BOOLEAN onEchoed(MBOX, GMSG_INFO*, void*, void*)
{
    s_replies.fetch_add(1, std::memory_order_relaxed);
    return TRUE;
}

const GMSG_MAP_INFO s_ClientTable[] = {
    {ID_ECHOED, onEchoed, &DT_BUFFER, nullptr, nullptr},
    {GMSG_ID_DEFAULT_UNKNOWN, nullptr, nullptr, nullptr, nullptr},
};

// The server endpoint and the client's registration, made once.
struct Fabric {
    Endpoint server{kPingIds, {{ID_ECHO, &DT_BUFFER}}};
    GMSG_ADDRESS to{};
    bool ready = false;

    Fabric()
    {
        startGmsgTasks();
        server.setHandler([](MBOX mbox, GMSG_INFO* info) {
            return U_GMSG_bReply(mbox, info, ID_ECHOED, &DT_BUFFER, info->pStructMsg);
        });
        L_MBOX_DefineSema(kClient.mbox, kClient.mboxSema);
        ready = server.registerMailbox(freePort()) &&
                U_GMSG_bRegisterMailbox(kClient.mbox, kClient.mutex, kClient.gmsgSema, s_ClientTable, freePort());
        to = server.address();
    }
};

Fabric& fabric()
{
    static Fabric f;
    return f;
}

// Waits for the next reply and dispatches it in this thread.
bool awaitReply()
{
    const int wanted = s_replies.load() + 1;
    while (s_replies.load() < wanted) {
        if (L_SEMA_WaitTicks(kClient.mboxSema, 5000) != 0)
            return false;
        while (MSGHEADER* mail = L_MBOX_Receive(kClient.mbox)) {
            if (((GENERIC_MESSAGE*)mail)->Cmd == CMD_ID_GMSG_RECEIVE)
                U_GMSG_bHandleReceive((MSG_GMSG_RECEIVE*)mail);
            H_MEMORY_vDumpMail(mail);
        }
    }
    return true;
}

void BM_GmsgRequestReply(benchmark::State& state)
{
    Fabric& f = fabric();
    if (!f.ready) {
        state.SkipWithError("no loopback mailbox");
        return;
    }
    std::vector<U8> bytes((size_t)state.range(0), 0x5A);
    C_BUFFER payload = {(int)bytes.size(), bytes.data()};
    for (auto _ : state) {
        if (!U_GMSG_bRequest(kClient.mbox, &f.to, ID_ECHO, &DT_BUFFER, &payload, 1) || !awaitReply()) {
            state.SkipWithError("round trip failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * 2 * state.range(0));
}

// --------------------------------------------------------- the reference

bool readAll(int fd, U8* p, size_t n)
{
    while (n) {
        const ssize_t r = recv(fd, p, n, 0);
        if (r <= 0)
            return false;
        p += r;
        n -= (size_t)r;
    }
    return true;
}

bool writeAll(int fd, const U8* p, size_t n)
{
    while (n) {
        const ssize_t r = send(fd, p, n, MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        p += r;
        n -= (size_t)r;
    }
    return true;
}

// An echo peer on a thread: reads a header, then its payload, and sends
// both back.
struct TcpEcho {
    int client = -1;
    std::thread peer;

    TcpEcho()
    {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        struct sockaddr_in sa;
        memset(&sa, 0, sizeof sa);
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = loopback();
        bind(listener, (struct sockaddr*)&sa, sizeof sa);
        listen(listener, 1);
        socklen_t len = sizeof sa;
        getsockname(listener, (struct sockaddr*)&sa, &len);
        client = socket(AF_INET, SOCK_STREAM, 0);
        connect(client, (struct sockaddr*)&sa, sizeof sa);
        const int server = accept(listener, nullptr, nullptr);
        close(listener);
        const int on = 1;
        for (int fd : {client, server})
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        peer = std::thread([server] {
            std::vector<U8> buffer;
            U8 header[GMSG_HEADER_SIZE];
            while (readAll(server, header, sizeof header)) {
                U32 size;
                memcpy(&size, header + GMSG_OFS_SIZE, 4);
                buffer.resize(size);
                if (!readAll(server, buffer.data(), size) || !writeAll(server, header, sizeof header) ||
                    !writeAll(server, buffer.data(), size))
                    break;
            }
            close(server);
        });
    }
    ~TcpEcho()
    {
        shutdown(client, SHUT_RDWR);
        close(client);
        peer.join();
    }
};

void BM_TcpEcho(benchmark::State& state)
{
    TcpEcho echo;
    const U32 size = (U32)state.range(0);
    std::vector<U8> out(GMSG_HEADER_SIZE + size, 0x5A);
    memcpy(out.data() + GMSG_OFS_SIZE, &size, 4);
    std::vector<U8> in(out.size());
    for (auto _ : state) {
        if (!writeAll(echo.client, out.data(), out.size()) || !readAll(echo.client, in.data(), in.size())) {
            state.SkipWithError("echo failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * 2 * state.range(0));
}

} // namespace

BENCHMARK(BM_GmsgRequestReply)->Arg(0)->Arg(1024)->Arg(16384)->Arg(65536)->UseRealTime();
BENCHMARK(BM_TcpEcho)->Arg(0)->Arg(1024)->Arg(16384)->Arg(65536)->UseRealTime();

BENCHMARK_MAIN();
