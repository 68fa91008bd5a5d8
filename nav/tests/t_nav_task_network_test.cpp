// The navigation task on the network: a unit whose address comes only after
// start-up registers the task's service before it waits again; what a
// discovery announcement sends to the unit it names; and the removal of
// every unit at once, which stops each destination that is a peer, empties
// its bank and leaves the destination table empty.
//
// The announcement tests run over the real message fabric on loopback. The
// other units are plain sockets on addresses of their own (127.0.0.2 and
// up; 127.0.0.1 is this unit) that read the frames off the wire. Whether a
// send happened is told by a marker sent after it to the same address: it
// travels on the same connection, so anything sent before it has arrived
// when it does.
#include "nav/tests/nav_core_world.h"
#include "nav/tests/nav_fabric_standin.h"
#include "nav/tests/nav_waypoint_util.h"

#include "gmsg/gmsg_wire.h"
#include "gmsg/tests/gmsg_endpoint.h"
#include "gmsg/u_networkdest.h"
#include "kernel/l_task.h"
#include "nav/core/t_nav_share.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace navw;

// ---- The late address ----

constexpr TASK NAV_TASK = 16;
constexpr SEMA ACK = 250;

// A mail the task disposes of unread; returns once it was.
void nudge()
{
    GENERIC_MESSAGE mail{};
    mail.Cmd = CMD_ID_INVALID_ID;
    ASSERT_EQ(L_MBOX_SendWaitSeconds(NAV_MAILBOX, &mail.msghdr, 3, ACK, 20), 0);
}

TEST_F(NavCore, AnAddressThatComesLateRegistersTheServiceBeforeTheTaskWaitsAgain)
{
    GSOCKET_vSetInterface("nosuchif0");
    navt::FabricStandIn fabric;
    L_MBOX_DefineSema(NAV_MAILBOX, SEMA_NAV_MAILBOX);
    const TASK_PARAM p = {16384, 98, T_NAV_vMain};
    ASSERT_EQ(L_TASK_SetParams(NAV_TASK, &p), 0);
    ASSERT_EQ(L_TASK_Start(NAV_TASK), 0);

    // Started and waited at least once without an address.
    nudge();
    EXPECT_TRUE(fabric.registrations().empty());

    // The address is there now. Nothing but this one mail wakes the task
    // (no timer runs before the system does): it must register on its
    // own way back to the wait.
    GSOCKET_vSetInterface("lo");
    nudge();
    EXPECT_TRUE(gte::waitUntil([&] { return !fabric.registrations().empty(); }, 10000))
        << "no registration after the task woke with the address ready";
    nudge();
    nudge();
    const std::vector<MSG_GMSG_REGISTER> seen = fabric.registrations();
    ASSERT_EQ(seen.size(), 1u) << "registered once";
    EXPECT_EQ(seen[0].Mailbox, NAV_MAILBOX);
    EXPECT_EQ(seen[0].u16Port, 50816);
    EXPECT_EQ(seen[0].ResLock, (RESOURCE)86);
    EXPECT_EQ(seen[0].Sema, (SEMA)213);
    EXPECT_EQ(seen[0].pMsgMapInfo, s_NAV_MsgMapInfo);
    EXPECT_FALSE(seen[0].bUdp);
    GSOCKET_vSetInterface(nullptr);
}

// ---- Announcements over the fabric ----

constexpr U32 MARKER = 0x4D41524B;

U32 ip(const char* dotted) { return inet_addr(dotted); }

GMSG_ADDRESS to(U32 address, U16 port)
{
    GMSG_ADDRESS a;
    GMSG_vMakeSocketAddress(&a, address, port);
    return a;
}

// Other units' navigation services: plain listening sockets, each on an
// address of its own, that read what this unit sends them frame by frame
// off the wire and answer nothing.
class Wire {
public:
    // What one address heard.
    struct Frame {
        U32 to;
        U32 id;
        bool request; // a reply is expected
        U32 registerFlag;
        U32 source;
    };

    explicit Wire(U16 port) : port_(port) {}
    ~Wire()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (const Listener& l : listeners_)
            close(l.fd);
        for (const Connection& c : connections_)
            close(c.fd);
    }
    Wire(const Wire&) = delete;
    Wire& operator=(const Wire&) = delete;

    // Before start().
    bool listen(U32 address)
    {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        struct sockaddr_in sa {};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port_);
        sa.sin_addr.s_addr = address;
        if (fd < 0 || bind(fd, (struct sockaddr*)&sa, sizeof sa) != 0 || ::listen(fd, 16) != 0) {
            if (fd >= 0)
                close(fd);
            return false;
        }
        listeners_.push_back({fd, address});
        return true;
    }
    void start()
    {
        thread_ = std::thread([this] { run(); });
    }
    U16 port() const { return port_; }

    std::vector<Frame> frames()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return frames_;
    }
    // What an address heard other than markers.
    std::vector<Frame> heard(U32 address)
    {
        std::vector<Frame> out;
        for (const Frame& f : frames())
            if (f.to == address && f.source != MARKER)
                out.push_back(f);
        return out;
    }
    size_t markers(U32 address)
    {
        size_t n = 0;
        for (const Frame& f : frames())
            n += f.to == address && f.source == MARKER;
        return n;
    }
    // Rounds of reading done; one that starts after a frame arrived reads
    // everything that was in flight with it.
    U64 rounds() const { return rounds_; }

private:
    struct Listener {
        int fd;
        U32 address;
    };
    struct Connection {
        int fd;
        U32 address;
        std::vector<U8> pending;
    };

    void run()
    {
        while (!stop_) {
            std::vector<struct pollfd> fds;
            for (const Listener& l : listeners_)
                fds.push_back({l.fd, POLLIN, 0});
            for (const Connection& c : connections_)
                fds.push_back({c.fd, POLLIN, 0});
            poll(fds.data(), fds.size(), 10);
            for (const Listener& l : listeners_)
                for (int fd; (fd = accept4(l.fd, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;)
                    connections_.push_back({fd, l.address, {}});
            for (size_t i = 0; i < connections_.size();) {
                if (read(connections_[i])) {
                    ++i;
                    continue;
                }
                close(connections_[i].fd);
                connections_.erase(connections_.begin() + (long)i);
            }
            ++rounds_;
        }
    }

    // FALSE once the sender closed.
    bool read(Connection& c)
    {
        U8 buffer[4096];
        for (;;) {
            const ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
            if (n == 0)
                return false;
            if (n < 0)
                break;
            c.pending.insert(c.pending.end(), buffer, buffer + n);
        }
        using namespace gmsg_wire;
        while (c.pending.size() >= (size_t)GMSG_HEADER_SIZE) {
            const U8* h = c.pending.data();
            const size_t size = getU32(h + GMSG_OFS_SIZE);
            if (c.pending.size() < GMSG_HEADER_SIZE + size)
                break;
            // The request's payload: version, registerFlag, source.
            const U8* body = h + GMSG_HEADER_SIZE;
            Frame f{c.address, getU32(h + GMSG_OFS_MSGID), (getU32(h + GMSG_OFS_FLAGS) & GMSG_FLAG_REQUEST) != 0,
                    size >= 12 ? getU32(body + 4) : 0xFFFFFFFFu, size >= 12 ? getU32(body + 8) : 0xFFFFFFFFu};
            {
                std::lock_guard<std::mutex> guard(lock_);
                frames_.push_back(f);
            }
            c.pending.erase(c.pending.begin(), c.pending.begin() + (long)(GMSG_HEADER_SIZE + size));
        }
        return true;
    }

    U16 port_;
    std::vector<Listener> listeners_;
    std::vector<Connection> connections_; // the reading thread's alone
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<U64> rounds_{0};
    std::mutex lock_;
    std::vector<Frame> frames_;
};

class SharingOverFabric : public WaypointStore {
protected:
    void SetUp() override
    {
        gte::startGmsgTasks();
        WaypointStore::SetUp();
        GSOCKET_vSetInterface("lo");
        H_DATABASE_bUpdateEverythingBoolean(FCID("SEND"), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        // The navigation task's mailbox; its requests' answers land in it.
        nav_ = std::make_unique<gte::Endpoint>(gte::kNavIds, std::vector<gte::Endpoint::Row>{
                                                                 {GMSG_ID_STATUS, &DT_GMSG_STATUS}});
        ASSERT_TRUE(nav_->registerMailbox(gte::freePort()));
        wire_ = std::make_unique<Wire>(gte::freePort());
    }
    void TearDown() override
    {
        nav_.reset();
        wire_.reset();
        WaypointStore::TearDown();
    }

    // Listens on each address and starts reading.
    void listen(const std::vector<U32>& addresses)
    {
        for (U32 a : addresses)
            ASSERT_TRUE(wire_->listen(a)) << std::hex << a;
        wire_->start();
    }

    // In the navigation task's thread, as the task calls it.
    BOOLEAN announce(bool found, U32 address, U32 port)
    {
        NAV_REGISTER_4DATA_MESSAGE m{};
        m.Header.Cmd = CMD_ID_NETWORK_REGISTER_4DATA;
        m.bRegister = found ? TRUE : FALSE;
        m.u32ServerAddress = address;
        m.u32Port = port;
        return nav_->call([&] { return T_NAV_bHandleServerConnection(&m); });
    }

    // Sends the marker to the address and waits until it and everything
    // sent before it have been read; FALSE when it does not come.
    bool settle(U32 address)
    {
        const size_t before = wire_->markers(address);
        GMSG_ADDRESS a = to(address, wire_->port());
        NAVRequestDataType marker{0, MARKER};
        const bool sent = nav_->call([&] {
            return U_GMSG_bSendMsgNoReply(NAV_MAILBOX, &a, GMSG_ID_NAV_REQUEST_DATA, &DT_NAV_REQUEST_DATA,
                                          &marker, 0) != FALSE;
        });
        if (!sent || !gte::waitUntil([&] { return wire_->markers(address) > before; }, 10000))
            return false;
        const U64 round = wire_->rounds();
        return gte::waitUntil([&] { return wire_->rounds() >= round + 2; }, 10000);
    }

    void fill(U32 peerAddress, const char* name)
    {
        const WAYPOINT w[2] = {wp(WP_STATUS_PERMANENT, 1, 1, name), wp(WP_STATUS_PERMANENT, 2, 2, name)};
        ASSERT_TRUE(T_NAV_NETWORK_bSetWaypointData(peerAddress, 0, 2, w, 2, NAV_NETWORK_OP_ADD));
    }

    std::unique_ptr<gte::Endpoint> nav_;
    std::unique_ptr<Wire> wire_;
};

TEST_F(SharingOverFabric, AnAnnouncementAsksOnlyANewUnitWhileSharingAndTellsOnlyAPeerToStop)
{
    enum Send { ON, OFF, NEVER_SET };
    const struct {
        const char* what;
        Send send;
        bool found;
        const char* address;
        bool sends; // a request of registerFlag 1 when found, a stop of 0 when lost
    } cases[] = {
        {"a new unit, sharing", ON, true, "127.0.0.2", true},
        {"a unit already a peer", ON, true, "127.0.0.3", false},
        {"this unit itself", ON, true, "127.0.0.1", false},
        {"a new unit, not sharing", OFF, true, "127.0.0.4", false},
        {"a new unit, sharing never set", NEVER_SET, true, "127.0.0.5", false},
        {"a lost unit that is no peer", ON, false, "127.0.0.6", false},
        {"a lost peer", ON, false, "127.0.0.3", true},
        {"a lost peer, not sharing", OFF, false, "127.0.0.3", true},
    };
    std::vector<U32> addresses;
    for (const auto& c : cases)
        if (std::find(addresses.begin(), addresses.end(), ip(c.address)) == addresses.end())
            addresses.push_back(ip(c.address));
    listen(addresses);
    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(ip("127.0.0.3")), 1);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        H_DATABASE_bUpdateEverythingBoolean(FCID("SEND"), c.send == OFF ? FALSE : TRUE, P_NORMAL, D_UNKNOWN, nullptr,
                                            DB_TIMEOUT_NEVER);
        if (c.send == NEVER_SET)
            H_DATABASE_vDeleteEntry(FCID("SEND"));
        const U32 address = ip(c.address);
        const size_t before = wire_->heard(address).size();
        EXPECT_EQ(announce(c.found, address, wire_->port()) != FALSE, c.sends) << "reported as sent";
        ASSERT_TRUE(settle(address)) << "the marker did not arrive";
        const std::vector<Wire::Frame> heard = wire_->heard(address);
        ASSERT_EQ(heard.size() - before, c.sends ? 1u : 0u);
        if (c.sends) {
            const Wire::Frame& h = heard.back();
            EXPECT_EQ(h.id, (U32)GMSG_ID_NAV_REQUEST_DATA);
            EXPECT_EQ(h.registerFlag, c.found ? 1u : 0u);
            EXPECT_EQ(h.source, 0u);
            EXPECT_EQ(h.request, c.found) << "a stop goes one way";
        }
    }

    // Nothing listens there: the request cannot go out and is not reported
    // as sent.
    H_DATABASE_bUpdateEverythingBoolean(FCID("SEND"), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    EXPECT_FALSE(announce(true, ip("127.0.0.7"), wire_->port()));
}

TEST_F(SharingOverFabric, LosingEveryUnitStopsEachDestinationThatIsAPeerEmptiesItsBankAndTheTable)
{
    const U32 a = ip("127.0.0.2"), b = ip("127.0.0.3"), stranger = ip("127.0.0.4");
    listen({a, b, stranger});
    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(a), 1);
    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(b), 2);
    fill(a, "A");
    fill(b, "B");
    void* table = T_NAV_SHARE_pvDestinations();
    for (U32 d : {a, b, stranger}) {
        const GMSG_ADDRESS address = to(d, wire_->port());
        ASSERT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(table, &address, TRUE, 0));
    }

    announce(false, 0, 0);
    for (U32 d : {a, b, stranger})
        ASSERT_TRUE(settle(d)) << "the marker did not arrive";

    for (U32 peer : {a, b}) {
        SCOPED_TRACE(peer == a ? "a" : "b");
        const std::vector<Wire::Frame> heard = wire_->heard(peer);
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0].id, (U32)GMSG_ID_NAV_REQUEST_DATA);
        EXPECT_EQ(heard[0].registerFlag, 0u);
        EXPECT_EQ(heard[0].source, 0u);
        EXPECT_TRUE(heard[0].request);
    }
    EXPECT_TRUE(wire_->heard(stranger).empty()) << "a destination that is no peer is not told";
    for (U32 bank : {1u, 2u}) {
        SCOPED_TRACE(bank);
        EXPECT_EQ(slot(bank, 0).u8Status, WP_STATUS_FREE);
        EXPECT_EQ(slot(bank, 1).u8Status, WP_STATUS_FREE);
        EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex((int)bank), 0);
    }
    EXPECT_EQ(T_NAV_NETWORK_nGetPeer(a), -1);
    EXPECT_EQ(T_NAV_NETWORK_nGetPeer(b), -1);
    int index = 0;
    U32 user = 0;
    EXPECT_EQ(U_NETWORKDEST_gapNext(T_NAV_SHARE_pvDestinations(), &index, &user), nullptr) << "the table is empty";

    // Another such removal finds nobody to stop.
    announce(false, 0, 0);
    ASSERT_TRUE(settle(a));
    EXPECT_EQ(wire_->heard(a).size(), 1u);
}

} // namespace
