// How long the navigation-data mutex is held when a bulk change ends and
// the sending callback ships the whole own table to a peer: the 3000 own
// records encoded as one 84,020-byte slice (a 20-byte head: operation,
// start slot, count, item count, item size; then 28 bytes a record) and
// sent over loopback TCP to a reader that drains it. Beside it, a plain
// send of the same 84,020 bytes, already encoded, without the store. The
// store's part (hold-back count, lock, callback) should stay within twice
// the plain send.
#include "gmsg/gsocket.h"
#include "kernel/l_mutex.h"
#include "nav/data/t_nav_network.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr U32 HEAD_BYTES = 20;
constexpr U32 SLICE_BYTES = HEAD_BYTES + NAV_WAYPOINT_SLOTS * WAYPOINT_BYTES; // 84,020

void putU32(U8* p, U32 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
    p[2] = (U8)(v >> 16);
    p[3] = (U8)(v >> 24);
}

bool sendAll(int fd, const U8* p, size_t n)
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

// A loopback TCP connection whose far end a thread drains.
struct Link {
    int fd = -1;
    std::thread reader;

    Link()
    {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        struct sockaddr_in sa;
        memset(&sa, 0, sizeof sa);
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof sa;
        if (listener < 0 || bind(listener, (struct sockaddr*)&sa, sizeof sa) != 0 || listen(listener, 1) != 0 ||
            getsockname(listener, (struct sockaddr*)&sa, &len) != 0)
            return;
        fd = socket(AF_INET, SOCK_STREAM, 0);
        if (connect(fd, (struct sockaddr*)&sa, sizeof sa) != 0) {
            close(fd);
            fd = -1;
            close(listener);
            return;
        }
        const int peer = accept(listener, nullptr, nullptr);
        close(listener);
        reader = std::thread([peer] {
            static U8 sink[1 << 16];
            while (recv(peer, sink, sizeof sink, 0) > 0) {
            }
            close(peer);
        });
    }
    ~Link()
    {
        if (fd >= 0) {
            shutdown(fd, SHUT_RDWR);
            close(fd);
        }
        if (reader.joinable())
            reader.join();
    }
};

Link& link()
{
    static Link l;
    return l;
}

std::vector<U8> s_slice(SLICE_BYTES);
bool s_sent = false;

// The sending callback: the slice encoded field by field and sent whole.
void vSendSlice(U32, U16 u16Index, U16 u16Count, const WAYPOINT* pWaypoint, NAV_NETWORK_OP eOperation)
{
    U8* p = s_slice.data();
    putU32(p, (U32)eOperation);
    putU32(p + 4, u16Index);
    putU32(p + 8, u16Count);
    putU32(p + 12, pWaypoint ? u16Count : 0);
    putU32(p + 16, WAYPOINT_BYTES);
    for (U32 i = 0; pWaypoint && i < u16Count && i < NAV_WAYPOINT_SLOTS; ++i)
        T_NAV_RECORD_vEncodeWaypoint(&pWaypoint[i], p + HEAD_BYTES + i * WAYPOINT_BYTES);
    s_sent = sendAll(link().fd, s_slice.data(), HEAD_BYTES + (pWaypoint ? u16Count : 0) * WAYPOINT_BYTES);
}

bool setUp(void)
{
    static bool s_ready = false;
    if (s_ready)
        return true;
    if (link().fd < 0)
        return false;
    H_DATABASE_vInit();
    T_NAV_TWR_vClearTables();
    for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s) {
        WAYPOINT& w = *T_NAV_TWR_pGetNetworkWaypoint(s, 0);
        w.u8Status = WP_STATUS_PERMANENT;
        w.u32DateTime = 1000000 + s;
        w.pt = {(S32)s * 37, -(S32)s * 41};
        snprintf(w.sName, sizeof w.sName, "WP%04u", s % 10000);
    }
    T_NAV_TWR_vHashWaypoints();
    // Only the transfer is timed, not the rebuilds that also end a bulk change.
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(TRUE);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(TRUE);
    GSOCKET_vSetInterface("lo");
    s_ready = T_NAV_NETWORK_bInit(vSendSlice) != FALSE;
    return s_ready;
}

void BM_BulkTransferUnderNavigationMutex(benchmark::State& state)
{
    if (!setUp()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    const WAYPOINT* first = T_NAV_TWR_pGetNetworkWaypoint(0, 0);
    for (auto _ : state) {
        T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
        T_NAV_NETWORK_vEditWaypoint(0, 1, first, 0); // held back
        s_sent = false;
        T_NAV_TWR_vSetMultiWaypointFlag(FALSE); // mutex 9 held while the slice goes out
        if (!s_sent) {
            state.SkipWithError("slice not sent");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * SLICE_BYTES);
}

void BM_PlainSend(benchmark::State& state)
{
    if (link().fd < 0) {
        state.SkipWithError("no loopback connection");
        return;
    }
    std::vector<U8> bytes(SLICE_BYTES, 0x5A);
    for (auto _ : state) {
        if (!sendAll(link().fd, bytes.data(), bytes.size())) {
            state.SkipWithError("send failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * SLICE_BYTES);
}

BENCHMARK(BM_BulkTransferUnderNavigationMutex)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSend)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
