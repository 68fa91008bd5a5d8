// The GMSG task and its socket thread under hostile and faulty peers on
// loopback: peers that crawl or fall silent inside a message delay nobody
// else and lose their connection on time; idle connections past the limit
// make room for new ones; busy ones keep their place and a new one is
// refused; a flood of bad connections leaves a few log lines with counts;
// and on a named interface no socket of the unit listens on all interfaces.
#include "gmsg/tests/gmsg_endpoint.h"
#include "gmsg/tests/gmsg_net_util.h"
#include "gmsg/tests/gmsg_test_util.h"

#include "gmsg/service.h"
#include "slp/slp_config.h"
#include "slp/slp_net.h"
#include "slp/slp_sa.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace gte;
using Clock = std::chrono::steady_clock;

namespace {

constexpr U32 ID_ECHO = GMSG_MAKE_ID(SERVICE_CLASS_TEST, 1);
constexpr U32 ID_ECHOED = GMSG_MAKE_ID(SERVICE_CLASS_TEST, 2);

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

class GmsgHostile : public ::testing::Test {
protected:
    void SetUp() override
    {
        startGmsgTasks();
        GMSG_vClearDrops();
    }
};

// A server that echoes, reached by a client mailbox of the same unit, or by
// raw peers.
struct Echo {
    Endpoint server{kPingIds, {{ID_ECHO, &DT_BUFFER}}};
    Echo()
    {
        EXPECT_TRUE(server.registerMailbox(freePort()));
        server.setHandler([](MBOX mbox, GMSG_INFO* info) {
            return U_GMSG_bReply(mbox, info, ID_ECHOED, &DT_BUFFER, info->pStructMsg);
        });
    }
};

gt::Bytes header(U32 size, U32 signature = GMSG_SIGNATURE)
{
    GMSG_HEADER h;
    memset(&h, 0, sizeof h);
    h.u32MsgSignature = signature;
    h.u32MsgId = ID_ECHO;
    h.u32MsgSize = size;
    gt::Bytes w(GMSG_HEADER_SIZE);
    GMSG_vEncodeHeader(&h, w.data());
    return w;
}

// A raw request to the echo server from `src`: empty buffer payload, its
// own token.
gt::Bytes echoRequest(U64 token, const GMSG_ADDRESS& src)
{
    C_BUFFER empty = {0, nullptr};
    GMSG_INFO info;
    EXPECT_TRUE(GMSG_bCompose(&info, &src, nullptr, ID_ECHO, &DT_BUFFER, &empty, token, GMSG_TOKEN_NONE,
                              GMSG_FLAG_REQUEST, FALSE, 0));
    gt::Bytes w(GMSG_HEADER_SIZE + info.pMsgHeader->u32MsgSize);
    GMSG_vEncodeHeader(info.pMsgHeader, w.data());
    memcpy(w.data() + GMSG_HEADER_SIZE, info.pRawMsg, info.pMsgHeader->u32MsgSize);
    GMSG_bFree(&info);
    return w;
}

// A raw connection to a port.
struct Peer {
    GSOCKET sock{-1};
    explicit Peer(U16 port) { EXPECT_TRUE(gt::connectTo(&sock, port)); }
    ~Peer() { close(); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    void close()
    {
        if (sock.nSocket >= 0)
            ::close(sock.nSocket);
        sock.nSocket = -1;
    }
    bool send(const gt::Bytes& b) { return gt::writeAll(sock.nSocket, b.data(), b.size()); }
    bool sendByte(U8 b) { return ::send(sock.nSocket, &b, 1, MSG_NOSIGNAL) == 1; }
    // The unit closed its end (unread bytes make the close a reset).
    bool closedByUnit(int ms = 0)
    {
        if (!gt::readable(sock.nSocket, ms))
            return false;
        U8 b;
        const ssize_t n = recv(sock.nSocket, &b, 1, MSG_DONTWAIT | MSG_PEEK);
        return n == 0 || (n < 0 && errno == ECONNRESET);
    }
    // The address it names as its own: its end of the connection, which
    // no other peer has.
    GMSG_ADDRESS own() const { return addressOf(gt::boundPort(sock)); }
    // Asks the echo server and waits for its answer on this connection.
    bool echoed(U64 token)
    {
        if (!send(echoRequest(token, own())) || !gt::waitForMessage(&sock, 3000))
            return false;
        GMSG_INFO reply;
        if (!GMSG_bReceiveSocket(&sock, &reply))
            return false;
        const bool ok = reply.pMsgHeader->u32MsgId == ID_ECHOED && reply.pMsgHeader->u64Token == token;
        GMSG_bFree(&reply);
        return ok;
    }
};

// Socket descriptors of this process (the unit and the test's own peers).
std::set<unsigned long> socketInodes()
{
    std::set<unsigned long> inodes;
    DIR* d = opendir("/proc/self/fd");
    while (dirent* e = d ? readdir(d) : nullptr) {
        char target[64] = "";
        const std::string path = std::string("/proc/self/fd/") + e->d_name;
        const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
        unsigned long inode = 0;
        if (n > 0 && sscanf(target, "socket:[%lu]", &inode) == 1)
            inodes.insert(inode);
    }
    if (d)
        closedir(d);
    return inodes;
}

// A connection as an impatient peer makes it: a connect that does not
// complete within 50 ms (its SYN fell off a full backlog) is tried afresh
// rather than after the kernel's second. -1 when none would come.
int connectSoon(U16 port)
{
    struct sockaddr_in sa;
    memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = loopback();
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (connect(fd, (struct sockaddr*)&sa, sizeof sa) == 0 || errno == EINPROGRESS) {
            struct pollfd p = {fd, POLLOUT, 0};
            int error = 1;
            socklen_t len = sizeof error;
            if (poll(&p, 1, 50) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0) {
                fcntl(fd, F_SETFL, 0);
                return fd;
            }
        }
        ::close(fd);
    }
    return -1;
}

U64 drops(std::initializer_list<GMSG_DROP_CAUSE> causes)
{
    U64 n = 0;
    for (GMSG_DROP_CAUSE c : causes)
        n += GMSG_u64DropCount(c);
    return n;
}

// ------------------------------------------------------------------ slow

// The trickling peer's message is sized so that its time limit is 20 s.
TEST_F(GmsgHostile, CrawlingAndSilentPeersDelayNobodyAndLoseTheirConnectionOnTime)
{
    Echo echo;
    Endpoint client(kNavIds, {{ID_ECHOED, &DT_BUFFER}, {GMSG_ID_STATUS, &DT_GMSG_STATUS}});
    ASSERT_TRUE(client.registerMailbox(freePort()));
    const GMSG_ADDRESS to = echo.server.address();

    const U32 crawlSize = (U32)((20000 - GMSG_RECEIVE_BASE_MS) * (U64)GMSG_RECEIVE_MIN_RATE / 1000);
    ASSERT_EQ(GMSG_u64ReceiveLimitMs(crawlSize), 20000u);
    Peer crawler(echo.server.port());
    Peer silent(echo.server.port());
    const auto silentSince = Clock::now();
    ASSERT_TRUE(silent.send(header(GMSG_MAX_RECEIVE_SIZE)));
    const auto crawlSince = Clock::now();
    ASSERT_TRUE(crawler.send(header(crawlSize)));

    double worstMs = 0, silentClosed = -1, crawlerClosed = -1;
    int answered = 0, unanswered = 0;
    auto nextByte = crawlSince + std::chrono::seconds(1);
    for (U64 token = 1; crawlerClosed < 0 && secondsSince(crawlSince) < 23; ++token) {
        const size_t before = client.seenCount();
        std::vector<U8> bytes(16, (U8)token);
        C_BUFFER payload = {(int)bytes.size(), bytes.data()};
        const auto asked = Clock::now();
        ASSERT_TRUE(client.call(
            [&] { return (bool)U_GMSG_bRequest(client.mbox(), &to, ID_ECHO, &DT_BUFFER, &payload, token); }));
        if (client.waitForSeen(before + 1, 1000)) {
            const Seen s = client.seen()[before];
            EXPECT_EQ(s.u64Token, token);
            worstMs = std::max(worstMs, std::chrono::duration<double, std::milli>(s.At - asked).count());
            ++answered;
        } else {
            ++unanswered;
        }
        if (Clock::now() >= nextByte) {
            crawler.sendByte((U8)token);
            nextByte += std::chrono::seconds(1);
        }
        if (silentClosed < 0 && silent.closedByUnit())
            silentClosed = secondsSince(silentSince);
        if (crawler.closedByUnit())
            crawlerClosed = secondsSince(crawlSince);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::cout << answered << " requests answered, the slowest in " << worstMs << " ms\n";
    EXPECT_EQ(unanswered, 0);
    EXPECT_GT(answered, 200);
    // A request held behind either peer would wait a second or more for the
    // crawler's next byte; the bound leaves room for a loaded, instrumented run.
    EXPECT_LE(worstMs, 500.0);
    EXPECT_GE(silentClosed, 4.95);
    EXPECT_LE(silentClosed, 5.6);
    EXPECT_GE(crawlerClosed, 19.95);
    EXPECT_LE(crawlerClosed, 21.0);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_SILENT), 1u);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_TOO_SLOW), 1u);
    EXPECT_EQ(drops({GMSG_DROP_SIGNATURE, GMSG_DROP_TOO_LARGE, GMSG_DROP_NO_MEMORY, GMSG_DROP_TRUNCATED,
                     GMSG_DROP_RECEIVE_ERROR, GMSG_DROP_EVICTED, GMSG_DROP_REFUSED}),
              0u);
}

// ------------------------------------------------------------------ limit

// Idle connections that never carried a message make room first; the peer
// whose connection did carry one keeps it.
TEST_F(GmsgHostile, IdleConnectionsPastTheLimitMakeRoomForNewPeers)
{
    constexpr int IDLE = 2000;
    Echo echo;
    Peer established(echo.server.port());
    ASSERT_TRUE(established.echoed(1));
    const int openBefore = U_GMSG_nConnectionCount();
    const size_t socketsBefore = socketInodes().size();

    // Paced a little, and quick to try again: the backlog holds only a few.
    const char* script = "import socket, sys, time\n"
                         "port, n = int(sys.argv[1]), int(sys.argv[2])\n"
                         "held = []\n"
                         "while len(held) < n:\n"
                         "    try:\n"
                         "        s = socket.create_connection(('127.0.0.1', port), timeout=0.2)\n"
                         "    except OSError:\n"
                         "        continue\n"
                         "    s.settimeout(None)\n"
                         "    held.append(s)\n"
                         "    time.sleep(0.0005)\n"
                         "print('ready', flush=True)\n"
                         "time.sleep(300)\n";
    vt::Child idle({"/usr/bin/python3", "-c", script, std::to_string(echo.server.port()), std::to_string(IDLE)});
    ASSERT_TRUE(idle.waitForOutput("ready", 120000)) << idle.err();
    const U64 expected = IDLE - (GMSG_MAX_CONNECTIONS - openBefore);
    EXPECT_TRUE(waitUntil([&] { return GMSG_u64DropCount(GMSG_DROP_EVICTED) >= expected; }, 20000));
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_EVICTED), expected);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_REFUSED), 0u);
    EXPECT_EQ(U_GMSG_nConnectionCount(), GMSG_MAX_CONNECTIONS);
    EXPECT_LE(socketInodes().size(), socketsBefore + GMSG_MAX_CONNECTIONS - openBefore);

    // The established peer still has its connection.
    EXPECT_FALSE(established.closedByUnit());
    EXPECT_TRUE(established.echoed(2));
    // A new peer is served in the place of an idle connection.
    {
        Peer fresh(echo.server.port());
        EXPECT_TRUE(fresh.echoed(3));
    }
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_EVICTED), expected + 1);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_REFUSED), 0u);
    EXPECT_LE(U_GMSG_nConnectionCount(), GMSG_MAX_CONNECTIONS);
    idle.signal(SIGKILL);
}

TEST_F(GmsgHostile, BusyConnectionsKeepTheirPlaceAndANewOneIsRefused)
{
    Echo echo;
    const int openBefore = U_GMSG_nConnectionCount();
    std::vector<std::unique_ptr<Peer>> busy;
    const gt::Bytes start = header(10);
    for (int i = openBefore; i < GMSG_MAX_CONNECTIONS; ++i) {
        busy.push_back(std::make_unique<Peer>(echo.server.port()));
        ASSERT_TRUE(busy.back()->send(gt::Bytes(start.begin(), start.begin() + 10)));
        // One at a time, as the backlog holds only a few.
        ASSERT_TRUE(waitUntil([&] { return U_GMSG_nConnectionCount() == i + 1; }));
    }

    Peer late(echo.server.port());
    EXPECT_TRUE(late.closedByUnit(2000));
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_REFUSED), 1u);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_EVICTED), 0u);
    EXPECT_EQ(U_GMSG_nConnectionCount(), GMSG_MAX_CONNECTIONS);
    for (auto& p : busy)
        EXPECT_FALSE(p->closedByUnit());

    // Their peers leave inside their headers: each is counted once.
    busy.clear();
    EXPECT_TRUE(waitUntil([&] { return U_GMSG_nConnectionCount() == openBefore; }));
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_TRUNCATED), (U64)(GMSG_MAX_CONNECTIONS - openBefore));
}

// A peer that names the zero address as its own gets no reply; before, the
// reply went to whichever connection had not named itself yet.
TEST_F(GmsgHostile, AReplyToAPeerThatNamedNoAddressReachesNoOtherPeer)
{
    Echo echo;
    Peer nameless(echo.server.port());
    ASSERT_TRUE(waitUntil([&] { return U_GMSG_nConnectionCount() == 1; }));
    Peer quiet(echo.server.port()); // the newest connection, without an address
    ASSERT_TRUE(waitUntil([&] { return U_GMSG_nConnectionCount() == 2; }));
    ASSERT_TRUE(nameless.send(echoRequest(5, GMSG_ADDRESS{})));
    ASSERT_TRUE(echo.server.waitForSeen(1));
    echo.server.call([] { return 0; }); // its reply has been tried
    EXPECT_FALSE(gt::readable(quiet.sock.nSocket, 300));
    EXPECT_FALSE(gt::readable(nameless.sock.nSocket, 0));
}

// ------------------------------------------------------------------- flood

TEST_F(GmsgHostile, TenThousandBadConnectionsLeaveAFewLogLinesWithCounts)
{
    constexpr int CONNECTIONS = 10000;
    constexpr int THREADS = 4;
    Echo echo;
    const U16 port = echo.server.port();
    // Three kinds: no signature, a size over the limit, a header cut short.
    const gt::Bytes kinds[3] = {header(0, 0x4B424B42u), header(GMSG_MAX_RECEIVE_SIZE + 1),
                                gt::Bytes(GMSG_HEADER_SIZE / 2, 0x47)};
    std::atomic<int> failedConnects{0};
    gt::LogCapture log;
    const auto started = Clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
        threads.emplace_back([&, t] {
            for (int i = t; i < CONNECTIONS; i += THREADS) {
                const int fd = connectSoon(port);
                if (fd < 0 || !gt::writeAll(fd, kinds[i % 3].data(), kinds[i % 3].size()))
                    ++failedConnects;
                if (fd >= 0)
                    ::close(fd);
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    // Each connection ends once, for its kind or, when a loaded unit falls
    // behind them, at the connection limit.
    std::vector<GMSG_DROP_CAUSE> all;
    for (int c = 0; c < GMSG_DROP_COUNT; ++c)
        all.push_back((GMSG_DROP_CAUSE)c);
    auto dropped = [&] {
        U64 n = 0;
        for (GMSG_DROP_CAUSE c : all)
            n += GMSG_u64DropCount(c);
        return n;
    };
    EXPECT_TRUE(waitUntil([&] { return dropped() >= (U64)CONNECTIONS; }, 60000)) << dropped();
    const double seconds = secondsSince(started);
    EXPECT_EQ(failedConnects.load(), 0);
    EXPECT_EQ(dropped(), (U64)CONNECTIONS);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_SIGNATURE) + GMSG_u64DropCount(GMSG_DROP_TOO_LARGE) +
                  GMSG_u64DropCount(GMSG_DROP_TRUNCATED) + GMSG_u64DropCount(GMSG_DROP_EVICTED) +
                  GMSG_u64DropCount(GMSG_DROP_REFUSED),
              (U64)CONNECTIONS);

    // Per cause and second at most one report: two lines for a lost
    // message, one at the limit; the last line with the count.
    size_t allowed = 0;
    for (GMSG_DROP_CAUSE c : all)
        if (GMSG_u64DropCount(c))
            allowed += (c == GMSG_DROP_EVICTED || c == GMSG_DROP_REFUSED ? 1 : 2) * (size_t)(seconds + 1);
    const std::string text = log.text();
    const size_t lines = (size_t)std::count(text.begin(), text.end(), '\n');
    EXPECT_LE(lines, allowed) << seconds << " s\n" << text;
    for (GMSG_DROP_CAUSE cause : {GMSG_DROP_SIGNATURE, GMSG_DROP_TOO_LARGE, GMSG_DROP_TRUNCATED})
        EXPECT_NE(text.find(std::string("Receive Message Failure (") + GMSG_pcDropCause(cause) + ": "),
                  std::string::npos)
            << GMSG_pcDropCause(cause);
    std::cout << lines << " log lines in " << seconds << " s\n";
}

// ------------------------------------------------------- named interface

struct SocketEntry {
    std::string file;
    std::string local;
};

// The sockets of this process in the kernel's tables, with the local
// address each is bound to.
std::vector<SocketEntry> ownSockets()
{
    const std::set<unsigned long> mine = socketInodes();
    std::vector<SocketEntry> out;
    for (const char* file : {"/proc/net/tcp", "/proc/net/udp", "/proc/net/tcp6", "/proc/net/udp6"}) {
        std::ifstream in(file);
        std::string line;
        std::getline(in, line); // column names
        while (std::getline(in, line)) {
            std::istringstream f(line);
            std::string sl, local, remote, st, queues, timer, retr, uid, timeout;
            unsigned long inode = 0;
            f >> sl >> local >> remote >> st >> queues >> timer >> retr >> uid >> timeout >> inode;
            if (mine.count(inode))
                out.push_back({file, local});
        }
    }
    return out;
}

TEST_F(GmsgHostile, OnANamedInterfaceNoSocketListensOnAllInterfaces)
{
    setenv("VONDREL_NET_IF", "lo", 1);
    GSOCKET_vSetInterface(nullptr); // the environment names it
    SLP_CONFIG cfg;
    SLP_CONFIG_vDefaults(&cfg);
    cfg.u16Port = freePort();
    SLP_CONFIG_vSet(&cfg);
    EXPECT_STREQ(cfg.acInterface, "lo");

    Endpoint stream(kPingIds, {{ID_ECHO, nullptr}});
    Endpoint other(kNavIds, {{ID_ECHOED, &DT_BUFFER}});
    Endpoint datagram(kTempIds, {{GMSG_ID_RADAR_RECEIVE_DATA, nullptr}});
    ASSERT_TRUE(stream.registerMailbox(freePort()));
    ASSERT_TRUE(other.registerMailbox(freePort()));
    ASSERT_TRUE(datagram.registerMailbox(freePort(), true));
    // A connection each way between two mailboxes.
    const GMSG_ADDRESS to = stream.address();
    ASSERT_TRUE(other.call(
        [&] { return (bool)U_GMSG_bSendMsgNoReply(other.mbox(), &to, ID_ECHO, nullptr, nullptr, 1); }));
    ASSERT_TRUE(stream.waitForSeen(1));
    // The SLP agent's sockets and a request socket of a search.
    SERVICE_HANDLE h = SERVICE_hOpenServiceHandle();
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(waitUntil([] { return SLP_SA_bListening() != 0; }));
    const int request = SLP_NET_nOpenRequestSocket(&cfg);
    ASSERT_GE(request, 0);

    const std::vector<SocketEntry> sockets = ownSockets();
    EXPECT_GE(sockets.size(), 8u); // 3 mailboxes, 2 connection ends, 2 agent sockets, the request socket
    for (const SocketEntry& s : sockets) {
        const std::string address = s.local.substr(0, s.local.find(':'));
        EXPECT_NE(address.find_first_not_of('0'), std::string::npos) << s.file << " " << s.local;
    }

    close(request);
    SERVICE_vCloseServiceHandle(h);
    SLP_SA_vStop();
    unsetenv("VONDREL_NET_IF");
    SLP_CONFIG_vDefaults(&cfg);
    SLP_CONFIG_vSet(&cfg);
    GSOCKET_vSetInterface("lo");
}

} // namespace
