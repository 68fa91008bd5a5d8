// The socket wrapper: the 250 ms connection limit, refused connections,
// peeking, port conflicts, interface queries and the two fatal misuses.
#include "gmsg/gsocket.h"
#include "gmsg/tests/gmsg_net_util.h"
#include "gmsg/tests/gmsg_test_util.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

using namespace gt;

namespace {

using Clock = std::chrono::steady_clock;

TEST(Socket, ConnectGivesUpAfter250msWhenThePeerNeverAnswers)
{
    // A listener that never accepts drops new connection attempts once its
    // queue is full, so the last connect below hears nothing.
    GSOCKET listener;
    const U16 port = listenOnLoopback(&listener, 0);
    std::vector<GSOCKET> queued;
    LogCapture log;
    bool timedOut = false;
    long waitedMs = 0;
    for (int i = 0; i < 8 && !timedOut; ++i) {
        GSOCKET s;
        ASSERT_TRUE(GSOCKET_bCreate(&s, loopback(), port, FALSE, 0, TRUE));
        const auto t0 = Clock::now();
        if (GSOCKET_bConnect(&s)) {
            queued.push_back(s);
            continue;
        }
        waitedMs = (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
        timedOut = true;
        EXPECT_EQ(s.nSocket, -1); // closed
    }
    ASSERT_TRUE(timedOut);
    EXPECT_GE(waitedMs, 240);
    EXPECT_LT(waitedMs, 1000);
    EXPECT_TRUE(log.has("GSOCKET_bConnect: select returns ret=0"));
    EXPECT_TRUE(log.has("GSOCKET_bConnect: socket connect failure"));
    for (GSOCKET& s : queued)
        GSOCKET_bClose(&s);
    GSOCKET_bClose(&listener);
}

TEST(Socket, RefusedConnectionFailsAtConnect)
{
    GSOCKET probe;
    const U16 port = listenOnLoopback(&probe);
    GSOCKET_bClose(&probe); // nothing listens there now

    GSOCKET s;
    ASSERT_TRUE(GSOCKET_bCreate(&s, loopback(), port, FALSE, 0, TRUE));
    LogCapture log;
    EXPECT_FALSE(GSOCKET_bConnect(&s));
    EXPECT_EQ(s.nSocket, -1);
    EXPECT_TRUE(log.has("GSOCKET_bConnect: socket connect failure"));
}

TEST(Socket, PeekTellsWhatWaitsWithoutTakingIt)
{
    Connection c;
    U8 buf[72];
    EXPECT_EQ(GSOCKET_nDataAvailable(&c.server, buf, 72), -1); // nothing yet
    const std::vector<U8> part(40, 0x44);
    ASSERT_TRUE(writeAll(c.client.nSocket, part.data(), part.size()));
    ASSERT_TRUE(readable(c.server.nSocket, 2000));
    EXPECT_EQ(GSOCKET_nDataAvailable(&c.server, buf, 72), 40);
    EXPECT_EQ(GSOCKET_nDataAvailable(&c.server, buf, 72), 40);
    EXPECT_EQ(GSOCKET_nReceive(&c.server, buf, 72), 40);
    EXPECT_EQ(GSOCKET_nReceive(&c.server, buf, 72), 0); // would block
    c.closeClient();
    ASSERT_TRUE(readable(c.server.nSocket, 2000));
    EXPECT_EQ(GSOCKET_nDataAvailable(&c.server, buf, 72), 0); // end of stream
}

TEST(Socket, AcceptedSocketKnowsItsPeer)
{
    Connection c;
    EXPECT_EQ(c.server.Address.u32Address, loopback());
    EXPECT_EQ(c.server.Address.u32Port, (U32)boundPort(c.client));
    EXPECT_FALSE(c.server.bListen);
    EXPECT_TRUE(c.server.bNonBlocking);
    EXPECT_EQ(c.listener.Address.u32Port, 0u); // as asked: any port
    EXPECT_EQ(c.listener.nBacklog, 16);
}

TEST(Socket, SecondListenerOnABoundPortIsRefused)
{
    GSOCKET first;
    const U16 port = listenOnLoopback(&first);
    GSOCKET second;
    LogCapture log;
    EXPECT_FALSE(GSOCKET_bCreate(&second, loopback(), port, TRUE, 16, TRUE));
    EXPECT_EQ(second.nSocket, -1);
    EXPECT_TRUE(log.has("GSOCKET_bCreate: Error binding socket"));

    GSOCKET udp, udp2;
    ASSERT_TRUE(GSOCKET_bCreateUdp(&udp, loopback(), 0, TRUE, 0, TRUE));
    LogCapture udpLog;
    EXPECT_FALSE(GSOCKET_bCreateUdp(&udp2, loopback(), boundPort(udp), TRUE, 0, TRUE));
    EXPECT_TRUE(udpLog.has("GSOCKET_bCreateUdp: Error binding socket"));
    GSOCKET_bClose(&udp);
    GSOCKET_bClose(&first);
    EXPECT_FALSE(GSOCKET_bClose(&first));
}

TEST(Socket, OpenFillsTheSocketAddressFromAHostName)
{
    GSOCKET s;
    struct sockaddr_in sa;
    ASSERT_TRUE(GSOCKET_bOpenSocket(&s, &sa, "127.0.0.1", 0, 50816, TRUE, FALSE));
    EXPECT_EQ(sa.sin_family, AF_INET);
    EXPECT_EQ(sa.sin_addr.s_addr, loopback());
    EXPECT_EQ(ntohs(sa.sin_port), 50816);
    GSOCKET_bClose(&s);
    ASSERT_TRUE(GSOCKET_bOpenSocket(&s, &sa, nullptr, loopback(), 7, FALSE, TRUE));
    EXPECT_EQ(sa.sin_addr.s_addr, loopback());
    GSOCKET_bClose(&s);
}

TEST(Socket, InterfaceNamesFollowTheConfiguredInterface)
{
    GSOCKET_vSetInterface("lo");
    U32 address = 0;
    EXPECT_TRUE(GSOCKET_bGetLocalAddress(&address, "eth0"));
    EXPECT_EQ(address, loopback());
    EXPECT_FALSE(GSOCKET_bGetLocalAddress(&address, "eth0:avahi")); // "lo:avahi" has no address
    U8 mac[6] = {1, 1, 1, 1, 1, 1};
    EXPECT_TRUE(GSOCKET_bGetMacAddress(mac, "eth0"));
    EXPECT_EQ(std::vector<U8>(mac, mac + 6), std::vector<U8>(6, 0));
    EXPECT_FALSE(GSOCKET_bGetLocalAddress(&address, "nosuch0"));
    EXPECT_FALSE(GSOCKET_bGetMacAddress(mac, "nosuch0"));
    EXPECT_FALSE(GSOCKET_bGetLocalAddress(&address, "eth0:a-name-too-long-for-an-interface"));

    // Without a setting the environment decides.
    GSOCKET_vSetInterface(nullptr);
    setenv("VONDREL_NET_IF", "lo", 1);
    address = 0;
    EXPECT_TRUE(GSOCKET_bGetLocalAddress(&address, "eth0"));
    EXPECT_EQ(address, loopback());
    unsetenv("VONDREL_NET_IF");
}

TEST(Socket, AcceptOnASocketThatDoesNotListenIsFatal)
{
    vt::TempRoot root;
    root.exportEnv();
    GSOCKET plain, out;
    ASSERT_TRUE(GSOCKET_bCreate(&plain, loopback(), 1, FALSE, 0, TRUE));
    EXPECT_EXIT(GSOCKET_bAccept(&plain, &out, TRUE), testing::ExitedWithCode(10), "");
    EXPECT_NE(vt::readFile(root.cwd() + "/FATAL.LOG").find("GSOCKET_bAccept: accept on non-listening socket"),
              std::string::npos);
    GSOCKET_bClose(&plain);
}

TEST(Socket, ConnectOnAListeningSocketIsFatal)
{
    vt::TempRoot root;
    root.exportEnv();
    GSOCKET listener;
    listenOnLoopback(&listener);
    EXPECT_EXIT(GSOCKET_bConnect(&listener), testing::ExitedWithCode(10), "");
    EXPECT_NE(vt::readFile(root.cwd() + "/FATAL.LOG").find("GSOCKET_bConnect: connect on listening socket"),
              std::string::npos);
    GSOCKET_bClose(&listener);
}

} // namespace
