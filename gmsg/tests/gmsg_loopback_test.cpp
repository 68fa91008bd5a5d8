// GMSG framing over loopback: whole messages in pieces, back-to-back
// messages, short bodies, oversized and unsigned headers, peers that leave,
// datagrams, and a request answered over its own connection.
#include "gmsg/gmsg.h"
#include "gmsg/tests/gmsg_net_util.h"
#include "gmsg/tests/gmsg_test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace gt;

namespace {

// A one-way message carrying `n` bytes of a counting pattern in a buffer.
GMSG_INFO bufferMessage(std::vector<U8>& data, size_t n, U32 id = GMSG_ID_SONAR_RECEIVE_DATA)
{
    data.resize(n);
    for (size_t i = 0; i < n; ++i)
        data[i] = (U8)(i * 7 + 3);
    static C_BUFFER payload;
    payload = {(int)n, data.data()};
    GMSG_ADDRESS src;
    GMSG_vMakeSocketAddress(&src, loopback(), 50688);
    GMSG_INFO info;
    EXPECT_TRUE(GMSG_bCompose(&info, &src, nullptr, id, &DT_BUFFER, &payload, 1234, GMSG_TOKEN_NONE, 0, FALSE, 0));
    return info;
}

void expectBuffer(GMSG_INFO& in, const std::vector<U8>& data)
{
    ASSERT_TRUE(GMSG_bParse(&in, &DT_BUFFER));
    const C_BUFFER* b = (const C_BUFFER*)in.pStructMsg;
    ASSERT_EQ(b->nSize, (int)data.size());
    EXPECT_EQ(memcmp(b->pData, data.data(), data.size()), 0);
}

// A raw header as a peer might send it.
Bytes rawHeader(U32 size, U32 signature = GMSG_SIGNATURE)
{
    GMSG_HEADER h;
    memset(&h, 0, sizeof h);
    h.u32MsgSignature = signature;
    h.u32MsgId = GMSG_ID_SONAR_RECEIVE_DATA;
    h.u32MsgSize = size;
    Bytes wire(GMSG_HEADER_SIZE);
    GMSG_vEncodeHeader(&h, wire.data());
    return wire;
}

TEST(Loopback, PayloadOf5000BytesArrivesWhole)
{
    Connection c;
    std::vector<U8> data;
    GMSG_INFO out = bufferMessage(data, 4996);
    ASSERT_EQ(out.pMsgHeader->u32MsgSize, 5000u);
    ASSERT_TRUE(GMSG_bSendSocket(&out, &c.client, FALSE));
    GMSG_bFree(&out);

    ASSERT_TRUE(waitForMessage(&c.server));
    GMSG_HEADER peeked;
    ASSERT_TRUE(GMSG_bMsgAvailable(&c.server, &peeked));
    EXPECT_EQ(peeked.u32MsgSize, 5000u);
    GMSG_INFO in;
    ASSERT_TRUE(GMSG_bReceiveSocket(&c.server, &in));
    EXPECT_TRUE(in.bReceived);
    EXPECT_EQ(in.pMsgHeader->u32MsgId, (U32)GMSG_ID_SONAR_RECEIVE_DATA);
    EXPECT_EQ(in.pMsgHeader->u64Token, 1234u);
    EXPECT_EQ(in.pMsgHeader->SrcAddress.uAddr.Socket.u32Port, 50688u);
    EXPECT_EQ(in.pMsgHeader->SrcAddress.uAddr.Socket.u32Address, loopback());
    expectBuffer(in, data);
    GMSG_bFree(&in);
}

TEST(Loopback, LargestMessageCrossesInPieces)
{
    Connection c;
    std::vector<U8> data;
    GMSG_INFO* out = (GMSG_INFO*)H_MEMORY_pvMalloc(sizeof(GMSG_INFO));
    *out = bufferMessage(data, GMSG_MAX_MESSAGE_SIZE - GMSG_HEADER_SIZE - 4);
    ASSERT_EQ(out->pMsgHeader->u32MsgSize, 262072u);
    bool sent = false;
    std::thread sender([&] { sent = GMSG_bSendSocket(out, &c.client, TRUE); }); // frees the record

    ASSERT_TRUE(waitForMessage(&c.server));
    GMSG_INFO in;
    const bool got = GMSG_bReceiveSocket(&c.server, &in);
    sender.join();
    EXPECT_TRUE(sent);
    ASSERT_TRUE(got);
    expectBuffer(in, data);
    GMSG_bFree(&in);
}

TEST(Loopback, TwoMessagesInOneWriteAreReadOneAfterTheOther)
{
    Connection c;
    std::vector<U8> a, b;
    GMSG_INFO first = bufferMessage(a, 10, 0x170001);
    GMSG_INFO second = bufferMessage(b, 20, 0x170002);
    Bytes both;
    for (GMSG_INFO* m : {&first, &second}) {
        Bytes header(GMSG_HEADER_SIZE);
        GMSG_vEncodeHeader(m->pMsgHeader, header.data());
        both.insert(both.end(), header.begin(), header.end());
        const U8* raw = (const U8*)m->pRawMsg;
        both.insert(both.end(), raw, raw + m->pMsgHeader->u32MsgSize);
        GMSG_bFree(m);
    }
    ASSERT_TRUE(writeAll(c.client.nSocket, both.data(), both.size()));

    for (U32 id : {0x170001u, 0x170002u}) {
        ASSERT_TRUE(waitForMessage(&c.server));
        GMSG_INFO in;
        ASSERT_TRUE(GMSG_bReceiveSocket(&c.server, &in));
        EXPECT_EQ(in.pMsgHeader->u32MsgId, id);
        expectBuffer(in, id == 0x170001u ? a : b);
        GMSG_bFree(&in);
    }
    EXPECT_FALSE(GMSG_bMsgAvailable(&c.server, nullptr));
}

TEST(Loopback, ShortBodyFromAPeerThatClosesIsDropped)
{
    Connection c;
    const Bytes header = rawHeader(100000);
    const std::vector<U8> body(70000, 0x11);
    ASSERT_TRUE(writeAll(c.client.nSocket, header.data(), header.size()));
    ASSERT_TRUE(writeAll(c.client.nSocket, body.data(), body.size()));
    c.closeClient();
    ASSERT_TRUE(waitForMessage(&c.server));

    LogCapture log;
    GMSG_INFO in;
    EXPECT_FALSE(GMSG_bReceiveSocket(&c.server, &in));
    EXPECT_EQ(in.pMsgHeader, nullptr);
    EXPECT_TRUE(log.has("GMSG_nReceiveSocket: received 0 bytes on read-ready socket"));
    EXPECT_TRUE(log.has("GMSG_nReceiveSocket: msg body receive size error"));
    EXPECT_TRUE(log.has("GMSG_nReceiveSocket: receive = 70000, msg size = 100000"));
}

TEST(Loopback, ShortBodyFollowedBySilenceTimesOut)
{
    Connection c;
    const Bytes header = rawHeader(100000);
    const std::vector<U8> body(70000, 0x22);
    std::thread peer([&] {
        writeAll(c.client.nSocket, header.data(), header.size());
        writeAll(c.client.nSocket, body.data(), body.size());
    });
    ASSERT_TRUE(waitForMessage(&c.server));
    LogCapture log;
    const auto t0 = std::chrono::steady_clock::now();
    GMSG_INFO in;
    EXPECT_FALSE(GMSG_bReceiveSocket(&c.server, &in));
    const auto waited = std::chrono::steady_clock::now() - t0;
    peer.join();
    EXPECT_GE(waited, std::chrono::milliseconds(GMSG_DEFAULT_WAIT_MS - 100));
    EXPECT_EQ(in.pMsgHeader, nullptr);
    EXPECT_TRUE(log.has("GMSG_nReceiveSocket: select timeout"));
    EXPECT_TRUE(log.has("GMSG_nReceiveSocket: receive = 70000, msg size = 100000"));
}

TEST(Loopback, OversizedHeaderIsRefusedAndServiceGoesOn)
{
    GSOCKET listener;
    const U16 port = listenOnLoopback(&listener);
    for (U32 size : {GMSG_MAX_RECEIVE_SIZE + 1, 960100u, 0xFFFFFFB8u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(size);
        GSOCKET client, server;
        ASSERT_TRUE(connectTo(&client, port));
        ASSERT_TRUE(acceptOne(&listener, &server));
        const Bytes header = rawHeader(size);
        ASSERT_TRUE(writeAll(client.nSocket, header.data(), header.size()));
        ASSERT_TRUE(waitForMessage(&server));
        LogCapture log;
        GMSG_INFO in;
        EXPECT_FALSE(GMSG_bReceiveSocket(&server, &in));
        EXPECT_EQ(in.pMsgHeader, nullptr);
        EXPECT_TRUE(log.has("GMSG_nReceiveSocket: msg size error"));
        GSOCKET_bClose(&server); // what the receiving side does with a refused message
        GSOCKET_bClose(&client);
    }

    // The largest body allowed still arrives, and a later peer is served.
    GSOCKET client, server;
    ASSERT_TRUE(connectTo(&client, port));
    ASSERT_TRUE(acceptOne(&listener, &server));
    std::vector<U8> body(GMSG_MAX_RECEIVE_SIZE, 0x33);
    const Bytes header = rawHeader(GMSG_MAX_RECEIVE_SIZE);
    std::thread peer([&] {
        writeAll(client.nSocket, header.data(), header.size());
        writeAll(client.nSocket, body.data(), body.size());
    });
    ASSERT_TRUE(waitForMessage(&server));
    GMSG_INFO in;
    EXPECT_TRUE(GMSG_bReceiveSocket(&server, &in));
    peer.join();
    EXPECT_EQ(in.pMsgHeader->u32MsgSize, GMSG_MAX_RECEIVE_SIZE);
    GMSG_bFree(&in);
    for (GSOCKET* s : {&client, &server, &listener})
        GSOCKET_bClose(s);
}

TEST(Loopback, HeaderWithoutSignatureIsRefused)
{
    Connection c;
    const Bytes header = rawHeader(0, 0x47534D48);
    ASSERT_TRUE(writeAll(c.client.nSocket, header.data(), header.size()));
    ASSERT_TRUE(waitForMessage(&c.server));
    LogCapture log;
    GMSG_INFO in;
    EXPECT_FALSE(GMSG_bReceiveSocket(&c.server, &in));
    EXPECT_EQ(in.pMsgHeader, nullptr);
    EXPECT_TRUE(log.has("GMSG_nReceiveSocket: msg header signature error"));
}

TEST(Loopback, PeerThatLeavesMakesSendsFailWithoutHarm)
{
    Connection c;
    close(c.server.nSocket);
    c.server.nSocket = -1;
    LogCapture log;
    bool failed = false;
    for (int i = 0; i < 50 && !failed; ++i) {
        std::vector<U8> data;
        GMSG_INFO out = bufferMessage(data, 1000);
        failed = !GMSG_bSendSocket(&out, &c.client, FALSE);
        GMSG_bFree(&out);
        if (!failed)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(failed);
    EXPECT_TRUE(log.has("GMSG_bSendSocket: msg send size error"));
}

TEST(Loopback, DatagramsArriveRawUnderTheReceiveId)
{
    GSOCKET rx, tx;
    ASSERT_TRUE(GSOCKET_bCreateUdp(&rx, loopback(), 0, TRUE, 0, TRUE));
    ASSERT_TRUE(GSOCKET_bSetBroadcastOptions(&rx));
    ASSERT_TRUE(GSOCKET_bCreateUdp(&tx, 0, 0, FALSE, 0, TRUE));
    GSOCKET_ADDRESS to = {loopback(), boundPort(rx), 0, 0};

    struct Case {
        size_t sent;
        U32 kept;
    };
    for (const Case& k : {Case{10, 10}, Case{6000, GMSG_UDP_MAX_PAYLOAD}}) {
        SCOPED_TRACE(k.sent);
        std::vector<U8> data(k.sent);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = (U8)(i * 13);
        ASSERT_TRUE(GMSG_bSendSocketUDP(&tx, data.data(), (int)data.size(), &to));
        ASSERT_TRUE(readable(rx.nSocket, 2000));
        ASSERT_TRUE(GMSG_bMsgAvailableAll(&rx, nullptr, TRUE));
        GMSG_INFO in;
        ASSERT_TRUE(GMSG_bReceiveUDPSocket(&rx, &in));
        EXPECT_EQ(in.pMsgHeader->u32MsgId, (U32)GMSG_ID_RADAR_RECEIVE_DATA);
        EXPECT_EQ(in.pMsgHeader->u32MsgSize, k.kept);
        EXPECT_EQ(in.pMsgHeader->u32MsgSignature, 0u);
        EXPECT_EQ(in.pMsgHeader->u32MsgFlags, 0u);
        EXPECT_EQ(memcmp(in.pRawMsg, data.data(), k.kept), 0);
        GMSG_bFree(&in);
    }

    // An empty datagram is not a message; sending nothing sends nothing.
    struct sockaddr_in sa;
    memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons((U16)to.u32Port);
    sa.sin_addr.s_addr = to.u32Address;
    ASSERT_EQ(sendto(tx.nSocket, "", 0, 0, (struct sockaddr*)&sa, sizeof sa), 0);
    ASSERT_TRUE(readable(rx.nSocket, 2000));
    EXPECT_FALSE(GMSG_bMsgAvailableUdp(&rx, nullptr));
    LogCapture log;
    GMSG_INFO in;
    EXPECT_FALSE(GMSG_bReceiveUDPSocket(&rx, &in));
    EXPECT_EQ(in.pMsgHeader, nullptr);
    EXPECT_TRUE(log.has("GMSG_nReceiveSocket: msg body receive size error"));
    EXPECT_FALSE(GMSG_bSendSocketUDP(&tx, "x", 0, &to));
    GSOCKET_bClose(&rx);
    GSOCKET_bClose(&tx);
}

TEST(Loopback, RequestIsAnsweredOverItsOwnConnection)
{
    Connection c;
    GMSG_REQUEST_INFO pending{81, nullptr};
    GMSG_STATUS ask = {0, GMSG_ID_NAV_REQUEST_DATA, 31};
    GMSG_INFO req;
    ASSERT_TRUE(GMSG_bCompose(&req, nullptr, nullptr, GMSG_ID_NAV_REQUEST_DATA, &DT_GMSG_STATUS, &ask, 31, 0,
                              GMSG_FLAG_REQUEST, FALSE, 0));
    ASSERT_TRUE(GMSG_bHandleRequests(&pending, &req)); // pending before a byte goes out
    ASSERT_TRUE(GMSG_bSendSocket(&req, &c.client, FALSE));

    // The peer answers with a status on the same connection.
    ASSERT_TRUE(waitForMessage(&c.server));
    GMSG_INFO got;
    ASSERT_TRUE(GMSG_bReceiveMessage(nullptr, &c.server, &got));
    EXPECT_EQ(got.pMsgHeader->u32MsgFlags, GMSG_FLAG_REQUEST);
    GMSG_STATUS accept = {0x1A0000, got.pMsgHeader->u32MsgId, got.pMsgHeader->u64Token};
    GMSG_INFO answer;
    ASSERT_TRUE(GMSG_bCompose(&answer, nullptr, &got.pMsgHeader->SrcAddress, GMSG_ID_STATUS, &DT_GMSG_STATUS,
                              &accept, got.pMsgHeader->u64Token, got.pMsgHeader->__u64ReplyToken, GMSG_FLAG_REPLY,
                              FALSE, 0));
    ASSERT_TRUE(GMSG_bSendSocket(&answer, &c.server, FALSE));

    ASSERT_TRUE(waitForMessage(&c.client));
    GMSG_INFO reply;
    ASSERT_TRUE(GMSG_bReceiveMessage(&pending, &c.client, &reply));
    EXPECT_TRUE(reply.bReply);
    EXPECT_EQ(pending.pHead, nullptr);
    ASSERT_TRUE(GMSG_bParse(&reply, &DT_GMSG_STATUS));
    EXPECT_EQ(((GMSG_STATUS*)reply.pStructMsg)->u32MsgStatus, 0x1A0000u);
    EXPECT_EQ(((GMSG_STATUS*)reply.pStructMsg)->u64Token, 31u);
    EXPECT_EQ(((GMSG_STATUS*)reply.pRequestMsg)->u64Token, 31u);
    for (GMSG_INFO* m : {&req, &got, &answer, &reply})
        GMSG_bFree(m);
}

} // namespace
