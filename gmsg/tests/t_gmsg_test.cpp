// The GMSG task and its socket thread on loopback: requests and replies
// between two registered mailboxes and with raw peers, connection reuse,
// reports of at most five messages, disconnects, headers in pieces,
// unanswered requests, the unhandled paths of dispatch, datagram mailboxes,
// the segmented-UDP routes and registration failures.
#include "gmsg/tests/gmsg_endpoint.h"
#include "gmsg/tests/gmsg_net_util.h"
#include "gmsg/tests/gmsg_test_util.h"

#include "gmsg/gmsg_wire.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

using namespace gte;

namespace {

constexpr U32 ID_PING = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 1);
constexpr U32 ID_PONG = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 2);
constexpr U32 ID_REFUSED = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 3);
constexpr U32 ID_TWICE = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 4);

class GmsgTask : public ::testing::Test {
protected:
    void SetUp() override
    {
        startGmsgTasks();
        GMSG_vClearDrops(); // every test's first drop of a kind is logged
    }
};

// A peer that speaks GMSG over a plain socket: it connects to a mailbox's
// port and claims the address of a listener of its own, on which it never
// accepts, so that a reply sent over a new connection would show there.
struct RawPeer {
    GSOCKET listener{-1};
    GSOCKET sock{-1};
    U16 listenPort = 0;

    explicit RawPeer(U16 target)
    {
        listenPort = gt::listenOnLoopback(&listener);
        EXPECT_TRUE(gt::connectTo(&sock, target));
    }
    ~RawPeer()
    {
        for (GSOCKET* s : {&listener, &sock})
            if (s->nSocket >= 0)
                close(s->nSocket);
    }
    GMSG_ADDRESS own() const { return addressOf(listenPort); }

    static gt::Bytes wire(U32 id, U32 flags, const G_DATA_TYPE* type, void* payload, U64 token, U64 replyToken,
                          const GMSG_ADDRESS& src)
    {
        GMSG_INFO info;
        EXPECT_TRUE(GMSG_bCompose(&info, &src, nullptr, id, type, payload, token, replyToken, flags, FALSE, 0));
        gt::Bytes out(GMSG_HEADER_SIZE + info.pMsgHeader->u32MsgSize);
        GMSG_vEncodeHeader(info.pMsgHeader, out.data());
        if (info.pMsgHeader->u32MsgSize)
            memcpy(out.data() + GMSG_HEADER_SIZE, info.pRawMsg, info.pMsgHeader->u32MsgSize);
        GMSG_bFree(&info);
        return out;
    }
    gt::Bytes message(U32 id, U32 flags, U64 token, const G_DATA_TYPE* type = nullptr, void* payload = nullptr)
    {
        return wire(id, flags, type, payload, token, GMSG_TOKEN_NONE, own());
    }
    bool send(const gt::Bytes& b) { return gt::writeAll(sock.nSocket, b.data(), b.size()); }
    // The next message on the connection, decoded with `type`.
    bool receive(GMSG_INFO* info, const G_DATA_TYPE* type = nullptr, int ms = 3000)
    {
        if (!gt::waitForMessage(&sock, ms) || !GMSG_bReceiveSocket(&sock, info))
            return false;
        return !type || GMSG_bParse(info, type);
    }
    bool closedByPeer(int ms = 3000)
    {
        if (!gt::readable(sock.nSocket, ms))
            return false;
        // A close with unread bytes on its side comes as a reset.
        U8 b;
        const ssize_t n = recv(sock.nSocket, &b, 1, MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno == ECONNRESET);
    }
};

// Connection records of a registered mailbox.
int connectionCount(MBOX mbox)
{
    int n = 0;
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeById(mbox, FALSE);
    if (!node)
        return -1;
    L_MUTEX_LockWait(node->Mailbox.MsgSocketInfo.SocketInfoMutex);
    for (GMSG_SOCKET_NODE* s = node->Mailbox.MsgSocketInfo.pHead; s; s = s->pNext)
        if (!s->bMarkForDelete)
            ++n;
    L_MUTEX_Unlock(node->Mailbox.MsgSocketInfo.SocketInfoMutex);
    U_GMSG_bReleaseMailboxNode(node, FALSE);
    return n;
}

C_BUFFER bufferOf(std::vector<U8>& bytes) { return C_BUFFER{(int)bytes.size(), bytes.data()}; }

// ------------------------------------------------------- between mailboxes

TEST_F(GmsgTask, RequestAndReplyTravelBothWaysOverOneConnection)
{
    Endpoint a(kNavIds, {{ID_PONG, &DT_BUFFER}, {ID_PING, &DT_BUFFER}});
    Endpoint b(kPingIds, {{ID_PING, &DT_BUFFER}});
    ASSERT_TRUE(a.registerMailbox(freePort()));
    ASSERT_TRUE(b.registerMailbox(freePort()));
    b.setHandler([](MBOX mbox, GMSG_INFO* info) {
        return U_GMSG_bReply(mbox, info, ID_PONG, &DT_BUFFER, info->pStructMsg);
    });

    std::vector<U8> bytes = {1, 2, 3, 4, 5};
    C_BUFFER payload = bufferOf(bytes);
    const GMSG_ADDRESS to = b.address();
    ASSERT_TRUE(a.call([&] { return (bool)U_GMSG_bRequest(a.mbox(), &to, ID_PING, &DT_BUFFER, &payload, 77); }));
    ASSERT_TRUE(a.waitForSeen(1));
    const Seen reply = a.seen()[0];
    EXPECT_EQ(reply.u32MsgId, ID_PONG);
    EXPECT_EQ(reply.u32Flags, GMSG_FLAG_REPLY);
    EXPECT_EQ(reply.u64Token, 77u);
    EXPECT_TRUE(reply.bReply);
    EXPECT_TRUE(reply.bRequestCopy);
    EXPECT_TRUE(GMSG_bAddressEqual(&reply.Src, &to));
    ASSERT_EQ(b.seen().size(), 1u);
    const GMSG_ADDRESS from = a.address();
    EXPECT_TRUE(GMSG_bAddressEqual(&b.seen()[0].Src, &from));

    // The server now sends to the client: its accepted connection carries
    // the client's listening address, so no second connection is made.
    b.setHandler(nullptr);
    ASSERT_TRUE(b.call([&] { return (bool)U_GMSG_bSendMsgNoReply(b.mbox(), &from, ID_PING, &DT_BUFFER, &payload, 5); }));
    ASSERT_TRUE(a.waitForSeen(2));
    EXPECT_EQ(a.seen()[1].u32MsgId, ID_PING);
    EXPECT_EQ(connectionCount(a.mbox()), 1);
    EXPECT_EQ(connectionCount(b.mbox()), 1);

    // The client leaves: the server's connection ends with the client's
    // listening address.
    EXPECT_TRUE(a.unregisterMailbox());
    ASSERT_TRUE(b.waitForDisconnects(1));
    EXPECT_TRUE(GMSG_bAddressEqual(&b.disconnects()[0], &from));
}

TEST_F(GmsgTask, SendsFailWithoutAMailboxOrAPeer)
{
    Endpoint a(kNavIds, {});
    const GMSG_ADDRESS nowhere = addressOf(freePort());
    // Never registered: refused before anything is composed.
    EXPECT_FALSE(a.call([&] { return (bool)U_GMSG_bSendMsgNoReply(a.mbox(), &nowhere, ID_PING, nullptr, nullptr, 1); }));
    EXPECT_FALSE(U_GMSG_bGetMailboxAddress(nullptr, a.mbox()));
    EXPECT_FALSE(a.call([&] { return (bool)U_GMSG_bDisconnect(a.mbox(), &nowhere); }));

    ASSERT_TRUE(a.registerMailbox(freePort()));
    GMSG_ADDRESS own;
    ASSERT_TRUE(U_GMSG_bGetMailboxAddress(&own, a.mbox()));
    const GMSG_ADDRESS expected = a.address();
    EXPECT_TRUE(GMSG_bAddressEqual(&own, &expected));

    // Nothing listens there: the send fails and leaves no connection behind.
    EXPECT_FALSE(a.call([&] { return (bool)U_GMSG_bSendMsgNoReply(a.mbox(), &nowhere, ID_PING, nullptr, nullptr, 1); }));
    EXPECT_EQ(connectionCount(a.mbox()), 0);
    EXPECT_FALSE(a.call([&] { return (bool)U_GMSG_bDisconnect(a.mbox(), &nowhere); }));
}

TEST_F(GmsgTask, RegistrationOnABoundPortFails)
{
    Endpoint a(kNavIds, {});
    Endpoint b(kPingIds, {});
    const U16 port = freePort();
    ASSERT_TRUE(a.registerMailbox(port));
    gt::LogCapture log;
    EXPECT_FALSE(b.registerMailbox(port));
    EXPECT_TRUE(log.has("GMSG_bInitSocketMailbox: failed to create socket"));
    EXPECT_FALSE(b.unregisterMailbox());
    EXPECT_TRUE(a.unregisterMailbox());
}

// --------------------------------------------------------- with raw peers

TEST_F(GmsgTask, ReplyGoesBackOnTheConnectionOfItsRequest)
{
    Endpoint b(kPingIds, {{ID_PING, &DT_GMSG_STATUS}});
    ASSERT_TRUE(b.registerMailbox(freePort()));
    b.setHandler([](MBOX mbox, GMSG_INFO* info) {
        GMSG_STATUS answer = *(GMSG_STATUS*)info->pStructMsg;
        answer.u32MsgStatus += 1;
        return U_GMSG_bReply(mbox, info, ID_PONG, &DT_GMSG_STATUS, &answer);
    });
    RawPeer peer(b.port());
    GMSG_STATUS question = {41, 0, 0};
    const gt::Bytes request = peer.message(ID_PING, GMSG_FLAG_REQUEST, 9, &DT_GMSG_STATUS, &question);
    GMSG_HEADER sent;
    GMSG_vDecodeHeader(request.data(), &sent);
    ASSERT_TRUE(peer.send(request));

    GMSG_INFO reply;
    ASSERT_TRUE(peer.receive(&reply, &DT_GMSG_STATUS));
    EXPECT_EQ(reply.pMsgHeader->u32MsgId, ID_PONG);
    EXPECT_EQ(reply.pMsgHeader->u32MsgFlags, GMSG_FLAG_REPLY);
    EXPECT_EQ(reply.pMsgHeader->u64Token, 9u);
    EXPECT_EQ(reply.pMsgHeader->__u64ReplyToken, sent.__u64ReplyToken);
    EXPECT_EQ(((GMSG_STATUS*)reply.pStructMsg)->u32MsgStatus, 42u);
    const GMSG_ADDRESS server = b.address();
    EXPECT_TRUE(GMSG_bAddressEqual(&reply.pMsgHeader->SrcAddress, &server));
    GMSG_bFree(&reply);
    // Nobody tried the peer's listening address.
    EXPECT_FALSE(gt::readable(peer.listener.nSocket, 50));
}

TEST_F(GmsgTask, SixWaitingMessagesArriveAsFiveThenOne)
{
    Endpoint b(kPingIds, {{ID_PING, nullptr}});
    ASSERT_TRUE(b.registerMailbox(freePort()));
    RawPeer peer(b.port());
    b.pause();
    gt::Bytes all;
    for (U64 t = 1; t <= 6; ++t) {
        const gt::Bytes m = peer.message(ID_PING, 0, t);
        all.insert(all.end(), m.begin(), m.end());
    }
    ASSERT_TRUE(peer.send(all));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    b.resume();
    ASSERT_TRUE(b.waitForSeen(6));
    EXPECT_EQ(b.batches(), (std::vector<int>{5, 1}));
    const std::vector<Seen> seen = b.seen();
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].u64Token, i + 1);
}

TEST_F(GmsgTask, ClosedConnectionsAreToldWithThePeersListeningAddress)
{
    Endpoint b(kPingIds, {{ID_PING, nullptr}});
    ASSERT_TRUE(b.registerMailbox(freePort()));
    GMSG_ADDRESS spoke;
    {
        RawPeer peer(b.port());
        spoke = peer.own();
        ASSERT_TRUE(peer.send(peer.message(ID_PING, 0, 1)));
        ASSERT_TRUE(b.waitForSeen(1));
    }
    ASSERT_TRUE(b.waitForDisconnects(1));
    EXPECT_TRUE(GMSG_bAddressEqual(&b.disconnects()[0], &spoke));

    // A peer that never sent anything is reported with a zero address.
    {
        RawPeer silent(b.port());
        ASSERT_TRUE(waitUntil([&] { return connectionCount(b.mbox()) == 1; }));
    }
    ASSERT_TRUE(b.waitForDisconnects(2));
    const GMSG_ADDRESS zero{};
    EXPECT_EQ(memcmp(&b.disconnects()[1], &zero, sizeof zero), 0);
    EXPECT_EQ(connectionCount(b.mbox()), 0);
}

TEST_F(GmsgTask, HeaderInPiecesKeepsItsConnection)
{
    Endpoint b(kPingIds, {{ID_PING, nullptr}});
    ASSERT_TRUE(b.registerMailbox(freePort()));
    RawPeer peer(b.port());
    const gt::Bytes m = peer.message(ID_PING, 0, 3);
    for (size_t at = 0; at < m.size(); at += 10) {
        ASSERT_TRUE(gt::writeAll(peer.sock.nSocket, m.data() + at, std::min<size_t>(10, m.size() - at)));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    ASSERT_TRUE(b.waitForSeen(1));
    EXPECT_EQ(b.seen()[0].u64Token, 3u);
    EXPECT_TRUE(b.disconnects().empty());

    // Part of a second header, then the peer finishes sending: closed at once.
    ASSERT_TRUE(gt::writeAll(peer.sock.nSocket, m.data(), 20));
    shutdown(peer.sock.nSocket, SHUT_WR);
    ASSERT_TRUE(b.waitForDisconnects(1, 2000));
}

TEST_F(GmsgTask, IncompleteHeaderTimesOutAfterFiveSeconds)
{
    Endpoint b(kPingIds, {{ID_PING, nullptr}});
    ASSERT_TRUE(b.registerMailbox(freePort()));
    RawPeer peer(b.port());
    const gt::Bytes m = peer.message(ID_PING, 0, 3);
    ASSERT_TRUE(peer.send(m));
    ASSERT_TRUE(b.waitForSeen(1));
    gt::LogCapture log;
    ASSERT_TRUE(gt::writeAll(peer.sock.nSocket, m.data(), 30));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    L_CLOCK_vAdvanceTestClock(4000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(b.disconnects().empty());
    L_CLOCK_vAdvanceTestClock(1000);
    ASSERT_TRUE(b.waitForDisconnects(1, 2000));
    const GMSG_ADDRESS spoke = peer.own();
    EXPECT_TRUE(GMSG_bAddressEqual(&b.disconnects()[0], &spoke));
    EXPECT_TRUE(peer.closedByPeer());
    EXPECT_TRUE(log.has("GMSG_nReceiveSocket: select timeout, msg header size error (30 of 72 bytes)"));
}

TEST_F(GmsgTask, MessageWithoutSignatureClosesItsConnection)
{
    Endpoint b(kPingIds, {{ID_PING, nullptr}});
    ASSERT_TRUE(b.registerMailbox(freePort()));
    RawPeer peer(b.port());
    gt::Bytes m = peer.message(ID_PING, 0, 3);
    m[0] = 'X';
    gt::LogCapture log;
    ASSERT_TRUE(peer.send(m));
    ASSERT_TRUE(b.waitForDisconnects(1));
    EXPECT_TRUE(peer.closedByPeer());
    EXPECT_EQ(b.seenCount(), 0u);
    EXPECT_TRUE(log.has("T_GMSG_vHandleNewMessage: Receive Message Failure"));
}

// ------------------------------------------------------------- dispatch

TEST_F(GmsgTask, UnhandledRequestsGetStatusTwoAndALogLineNamingTheClass)
{
    Endpoint b(kPingIds, {{ID_REFUSED, nullptr}, {ID_TWICE, nullptr}, {ID_TWICE, &DT_GMSG_STATUS},
                          {ID_PING, &DT_GMSG_STATUS}});
    ASSERT_TRUE(b.registerMailbox(freePort()));
    b.setHandler([](MBOX, GMSG_INFO* info) { return info->pMsgHeader->u32MsgId != ID_REFUSED; });
    RawPeer peer(b.port());
    GMSG_STATUS payload = {1, 2, 3};
    U8 shortPayload[] = {1, 0, 0, 0, 7}; // version 1, then too few bytes

    struct Case {
        const char* what;
        U32 id;
        gt::Bytes bytes;
        bool handlerCalled;
        const char* log; // null: nothing logged
    };
    gt::Bytes undecodable = peer.message(ID_PING, GMSG_FLAG_REQUEST, 4);
    undecodable.insert(undecodable.end(), shortPayload, shortPayload + sizeof shortPayload);
    gmsg_wire::putU32(undecodable.data() + GMSG_OFS_SIZE, sizeof shortPayload);
    const Case cases[] = {
        {"id in no row", 0x0D0007, peer.message(0x0D0007, GMSG_FLAG_REQUEST, 1), false,
         "Unhandled Message - Class: Nav, Offset: 7"},
        {"class beyond the table", 0x2A0001, peer.message(0x2A0001, GMSG_FLAG_REQUEST, 2), false,
         "Unhandled Message - Class: Unknown, Offset: 1"},
        {"handler answers FALSE", ID_REFUSED, peer.message(ID_REFUSED, GMSG_FLAG_REQUEST, 3), true,
         "Unhandled Message - Class: QuellmarSonar, Offset: 3"},
        {"payload does not decode", ID_PING, undecodable, false,
         "Undecodable Message - Class: QuellmarSonar, Offset: 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = b.seenCount();
        gt::LogCapture log;
        ASSERT_TRUE(peer.send(c.bytes));
        GMSG_INFO status;
        ASSERT_TRUE(peer.receive(&status, &DT_GMSG_STATUS));
        EXPECT_EQ(status.pMsgHeader->u32MsgId, GMSG_ID_STATUS);
        EXPECT_EQ(status.pMsgHeader->u32MsgFlags, GMSG_FLAG_REPLY);
        GMSG_HEADER sent;
        GMSG_vDecodeHeader(c.bytes.data(), &sent);
        EXPECT_EQ(status.pMsgHeader->u64Token, sent.u64Token);
        EXPECT_EQ(status.pMsgHeader->__u64ReplyToken, sent.__u64ReplyToken);
        const GMSG_STATUS* s = (const GMSG_STATUS*)status.pStructMsg;
        EXPECT_EQ(s->u32MsgStatus, GMSG_STATUS_UNHANDLED);
        EXPECT_EQ(s->u32MsgId, c.id);
        EXPECT_EQ(s->u64Token, sent.u64Token);
        GMSG_bFree(&status);
        EXPECT_EQ(b.seenCount() - before, c.handlerCalled ? 1u : 0u);
        EXPECT_TRUE(log.has(c.log)) << log.text();
    }

    // A row listed twice: the first wins (it has no payload type, so the
    // handler sees the raw payload only).
    ASSERT_TRUE(peer.send(peer.message(ID_TWICE, 0, 5, &DT_GMSG_STATUS, &payload)));
    ASSERT_TRUE(b.waitForSeen(2));
    EXPECT_FALSE(b.seen().back().bDecoded);
    EXPECT_EQ(b.seen().back().u32Size, 20u);

    // An unhandled one-way message is only logged.
    gt::LogCapture log;
    ASSERT_TRUE(peer.send(peer.message(0x0D0008, 0, 6)));
    b.call([] { return 0; }); // the drain that dispatched it is over
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    b.call([] { return 0; });
    EXPECT_TRUE(log.has("Unhandled Message - Class: Nav, Offset: 8"));
    EXPECT_FALSE(gt::waitForMessage(&peer.sock, 100));
}

TEST_F(GmsgTask, UnansweredRequestEndsWithStatusThreeEvenWithoutTheNetwork)
{
    Endpoint a(kNavIds, {{GMSG_ID_STATUS, &DT_GMSG_STATUS}});
    ASSERT_TRUE(a.registerMailbox(freePort()));
    GSOCKET silent{-1};
    const U16 silentPort = gt::listenOnLoopback(&silent); // accepts into its backlog, never answers
    const GMSG_ADDRESS to = addressOf(silentPort);
    GMSG_STATUS question = {7, 8, 9};
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(a.call([&] {
        return (bool)U_GMSG_bRequest(a.mbox(), &to, GMSG_ID_NAV_REQUEST_DATA, &DT_GMSG_STATUS, &question, 55);
    }));
    // The interface goes away: sends are refused, the time-out still comes.
    GSOCKET_vSetInterface("nosuchif0");
    EXPECT_FALSE(a.call([&] { return (bool)U_GMSG_bSendMsgNoReply(a.mbox(), &to, ID_PING, nullptr, nullptr, 1); }));

    ASSERT_TRUE(a.waitForSeen(1, 5000));
    GSOCKET_vSetInterface("lo");
    const Seen st = a.seen()[0];
    const double seconds = std::chrono::duration<double>(st.At - sent).count();
    EXPECT_GE(seconds, 2.75);
    EXPECT_LE(seconds, 3.25);
    EXPECT_EQ(st.u32MsgId, GMSG_ID_STATUS);
    EXPECT_EQ(st.u32Flags, GMSG_FLAG_REPLY);
    EXPECT_TRUE(st.bReply);
    EXPECT_TRUE(st.bRequestCopy);
    EXPECT_EQ(st.u64Token, 55u);
    EXPECT_EQ(st.Status.u32MsgStatus, GMSG_STATUS_TIMEOUT);
    EXPECT_EQ(st.Status.u32MsgId, (U32)GMSG_ID_NAV_REQUEST_DATA);
    EXPECT_EQ(st.Status.u64Token, 55u);
    close(silent.nSocket);
}

// ------------------------------------------------------ other routes

TEST_F(GmsgTask, DatagramMailboxReceivesRawDatagramsAndSurvivesEmptyOnes)
{
    Endpoint d(kTempIds, {{GMSG_ID_RADAR_RECEIVE_DATA, nullptr}});
    const U16 port = freePort();
    ASSERT_TRUE(d.registerMailbox(port, true));
    GMSG_ADDRESS own;
    ASSERT_TRUE(U_GMSG_bGetMailboxAddress(&own, d.mbox()));
    EXPECT_EQ(own.uAddr.Socket.u32Address, 0u);

    const int u = socket(AF_INET, SOCK_DGRAM, 0);
    struct sockaddr_in to;
    memset(&to, 0, sizeof to);
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = loopback();
    std::vector<U8> big(6000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = (U8)i;
    ASSERT_EQ(sendto(u, big.data(), big.size(), 0, (struct sockaddr*)&to, sizeof to), 6000);
    ASSERT_TRUE(d.waitForSeen(1));
    EXPECT_EQ(d.seen()[0].u32MsgId, (U32)GMSG_ID_RADAR_RECEIVE_DATA);
    EXPECT_EQ(d.seen()[0].u32Size, GMSG_UDP_MAX_PAYLOAD);
    EXPECT_EQ(memcmp(d.seen()[0].Raw.data(), big.data(), GMSG_UDP_MAX_PAYLOAD), 0);

    // An empty datagram is dropped; the socket keeps working.
    ASSERT_EQ(sendto(u, big.data(), 0, 0, (struct sockaddr*)&to, sizeof to), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(sendto(u, big.data(), 3, 0, (struct sockaddr*)&to, sizeof to), 3);
    ASSERT_TRUE(d.waitForSeen(2));
    EXPECT_EQ(d.seen()[1].u32Size, 3u);
    EXPECT_EQ(d.seenCount(), 2u);

    // Sending: the raw bytes alone, no header.
    struct sockaddr_in back;
    memset(&back, 0, sizeof back);
    back.sin_family = AF_INET;
    socklen_t len = sizeof back;
    getsockname(u, (struct sockaddr*)&back, &len);
    const GMSG_ADDRESS peer = addressOf(ntohs(back.sin_port));
    U8 raw[] = {9, 8, 7};
    ASSERT_TRUE(d.call([&] {
        return (bool)U_GMSG_bSendUdpMsgNoReply(d.mbox(), &peer, ID_PING, &DT_GMSG_STATUS, raw, 1, sizeof raw);
    }));
    ASSERT_TRUE(gt::readable(u, 2000));
    U8 got[16];
    ASSERT_EQ(recv(u, got, sizeof got, 0), 3);
    EXPECT_EQ(memcmp(got, raw, 3), 0);
    close(u);
}

// The segmented-UDP sender stands here as a fake: the test reads its mailbox.
TEST_F(GmsgTask, AlternativeRouteHandsTheBlockToTheSegmentedUdpSender)
{
    Endpoint a(kNavIds, {});
    ASSERT_TRUE(a.registerMailbox(freePort()));
    const GMSG_ADDRESS to = addressOf(50688, inet_addr("239.1.2.3"));

    // Raw: the caller's own block travels, and the sender frees it.
    U8* block = (U8*)H_MEMORY_pvMalloc(100);
    memset(block, 0x5A, 100);
    GMSG_ALT_TRANSPORT raw = {TRUE, 100, 1};
    ASSERT_TRUE(a.call([&] {
        return (bool)U_GMSG_bSendMsgNoReplyAlt(a.mbox(), &to, ID_PING, nullptr, block, 3, &raw);
    }));
    MSG_SUDP_OUT_SEND* m = (MSG_SUDP_OUT_SEND*)L_MBOX_Receive(SUDP_OUT_MBOX);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Header.Cmd, CMD_ID_SUDP_OUT_SEND);
    EXPECT_EQ(m->Header.msghdr.MsgPriority, GMSG_MAIL_PRIORITY);
    EXPECT_EQ(m->ucpMessage, block);
    EXPECT_EQ(m->u32MessageLength, 100u);
    EXPECT_EQ(m->u32Address, inet_addr("239.1.2.3"));
    EXPECT_EQ(m->u32Port, 50688u);
    EXPECT_EQ(m->u32Raw, 1u);
    EXPECT_EQ(m->u32MultiPacket, 1u);
    H_MEMORY_vFree(m->ucpMessage);
    H_MEMORY_vDumpMail(&m->Header.msghdr);

    // Composed: a whole message in its wire form, header and payload.
    GMSG_STATUS payload = {1, 2, 3};
    GMSG_ALT_TRANSPORT composed = {FALSE, 0, 0};
    ASSERT_TRUE(a.call([&] {
        return (bool)U_GMSG_bSendMsgNoReplyAlt(a.mbox(), &to, ID_PING, &DT_GMSG_STATUS, &payload, 3, &composed);
    }));
    m = (MSG_SUDP_OUT_SEND*)L_MBOX_Receive(SUDP_OUT_MBOX);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->u32MessageLength, (U32)GMSG_HEADER_SIZE + 20);
    GMSG_HEADER h;
    GMSG_vDecodeHeader(m->ucpMessage, &h);
    EXPECT_EQ(h.u32MsgSignature, GMSG_SIGNATURE);
    EXPECT_EQ(h.u32MsgId, ID_PING);
    EXPECT_EQ(h.u32MsgSize, 20u);
    EXPECT_EQ(h.u64Token, 3u);
    EXPECT_TRUE(GMSG_bAddressEqual(&h.DstAddress, &to));
    EXPECT_EQ(m->u32Raw, 0u);
    void* decoded = nullptr;
    int remaining = 20, size = 0;
    ASSERT_GE(DT_GMSG_STATUS.pfDeserialize(&decoded, m->ucpMessage + GMSG_HEADER_SIZE, &remaining, &size,
                                           &DT_GMSG_STATUS),
              0);
    EXPECT_EQ(((GMSG_STATUS*)decoded)->u64Token, 3u);
    DT_GMSG_STATUS.pfDeallocate(decoded, TRUE, &DT_GMSG_STATUS);
    H_MEMORY_vFree(m->ucpMessage);
    H_MEMORY_vDumpMail(&m->Header.msghdr);
}

TEST_F(GmsgTask, AssembledMessagesAreDeliveredOrFreed)
{
    Endpoint b(kPingIds, {{ID_PING, &DT_GMSG_STATUS}});
    ASSERT_TRUE(b.registerMailbox(freePort()));
    GMSG_STATUS payload = {4, 5, 6};
    auto handOver = [&](MBOX mailbox) {
        const gt::Bytes w = RawPeer::wire(ID_PING, 0, &DT_GMSG_STATUS, &payload, 8, GMSG_TOKEN_NONE, addressOf(1));
        U8* block = (U8*)H_MEMORY_pvMalloc((U32)w.size());
        memcpy(block, w.data(), w.size());
        MSG_GMSG_NEW_MESSAGE_EXT* m = (MSG_GMSG_NEW_MESSAGE_EXT*)H_MEMORY_pvMalloc(sizeof(MSG_GMSG_NEW_MESSAGE_EXT));
        memset(m, 0, sizeof *m);
        m->Header.Cmd = CMD_ID_GMSG_NEW_MESSAGE_EXT;
        m->Mailbox = mailbox;
        m->cpMessageBody = block;
        m->u32MessageLength = (U32)w.size();
        L_MBOX_Send(GMSG_MBOX, &m->Header.msghdr, GMSG_MAIL_PRIORITY, 0);
    };
    handOver(b.mbox());
    ASSERT_TRUE(b.waitForSeen(1));
    EXPECT_TRUE(b.seen()[0].bDecoded);
    EXPECT_EQ(b.seen()[0].u64Token, 8u);

    // For a mailbox nobody registered, the block is freed.
    const size_t before = freeBlocks();
    handOver(kNavIds.mbox);
    EXPECT_TRUE(waitUntil([&] { return freeBlocks() == before; }));
}

TEST_F(GmsgTask, UnregisteringWhileAMessageIsInFlightFreesTheRecordLater)
{
    Endpoint b(kPingIds, {{ID_PING, nullptr}});
    const size_t before = freeBlocks();
    ASSERT_TRUE(b.registerMailbox(freePort()));
    {
        RawPeer peer(b.port());
        b.pause();
        ASSERT_TRUE(peer.send(peer.message(ID_PING, 0, 1)));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // The delivered message holds the record: only marked.
        EXPECT_FALSE(U_GMSG_bUnregisterMailbox(b.mbox()));
        EXPECT_FALSE(U_GMSG_bGetMailboxAddress(nullptr, b.mbox()));
        b.resume();
        b.call([] { return 0; });
    }
    // The message was not dispatched, and everything went back.
    EXPECT_EQ(b.seenCount(), 0u);
    EXPECT_TRUE(waitUntil([&] { return freeBlocks() == before; }));
}

// ---------------------------------------------------------------- the task

TEST_F(GmsgTask, ShutdownClosesEveryConnectionAndKeepsServingTheMailbox)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process, which the shutdown may spoil
    EXPECT_EXIT(
        {
            Endpoint b(kPingIds, {{ID_PING, nullptr}});
            if (!b.registerMailbox(freePort()))
                std::_Exit(2);
            RawPeer peer(b.port());
            if (!peer.send(peer.message(ID_PING, 0, 1)) || !b.waitForSeen(1))
                std::_Exit(3);
            const GMSG_ADDRESS spoke = peer.own();

            GENERIC_MESSAGE* m = (GENERIC_MESSAGE*)H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE));
            memset(m, 0, sizeof *m);
            m->Cmd = CMD_ID_SHUTDOWN;
            L_MBOX_Send(GMSG_MBOX, &m->msghdr, GMSG_MAIL_PRIORITY, 0);

            if (!b.waitForDisconnects(1) || !GMSG_bAddressEqual(&b.disconnects()[0], &spoke))
                std::_Exit(4);
            if (!peer.closedByPeer())
                std::_Exit(5);
            if (!waitUntil([&] { return !U_GMSG_bGetMailboxAddress(nullptr, b.mbox()); }))
                std::_Exit(6);
            // Still served: a waiting call gets its answer rather than hanging.
            Endpoint late(kNavIds, {});
            late.registerMailbox(freePort());
            std::_Exit(late.unregisterMailbox() ? 0 : 7);
        },
        testing::ExitedWithCode(0), "");
}

// Another task owns "TMSG" when the GMSG task starts.
void startOverAnotherOwner()
{
    H_DATABASE_vInit();
    H_DATABASE_bUpdateEverythingU32(FCID("TMSG"), 99, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    const TASK_PARAM gmsg = {4096, 90, T_GMSG_vMain};
    L_TASK_SetParams(GMSG_TASK, &gmsg);
    L_TASK_Start(GMSG_TASK);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::_Exit(0); // still running: the clash went unnoticed
}

TEST(GmsgTaskStart, AnotherOwnerOfTheTaskKeyIsFatal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    vt::TempRoot root;
    root.exportEnv();
    EXPECT_EXIT(startOverAnotherOwner(), testing::ExitedWithCode(10), "");
}

} // namespace
