// Reception of one connection's messages as their bytes come: messages cut
// anywhere, headers that lie, peers that fall silent or crawl, the end of a
// stream, memory that grows with what arrives, and the counting of drops
// with its reports at most once a second.
#include "gmsg/gmsg.h"
#include "gmsg/tests/gmsg_net_util.h"
#include "gmsg/tests/gmsg_test_util.h"
#include "kernel/l_clock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/socket.h>
#include <vector>

using namespace gt;

namespace {

Bytes wireHeader(U32 size, U64 token, U32 signature = GMSG_SIGNATURE)
{
    GMSG_HEADER h;
    memset(&h, 0, sizeof h);
    h.u32MsgSignature = signature;
    h.u32MsgId = GMSG_ID_SONAR_RECEIVE_DATA;
    h.u32MsgSize = size;
    h.u64Token = token;
    Bytes w(GMSG_HEADER_SIZE);
    GMSG_vEncodeHeader(&h, w.data());
    return w;
}

// A one-way message of `size` payload bytes of a pattern, in its wire form.
Bytes wireMessage(U32 size, U64 token)
{
    Bytes w = wireHeader(size, token);
    for (U32 i = 0; i < size; ++i)
        w.push_back((U8)(i * 13 + token));
    return w;
}

// A receiving connection fed by hand.
struct Rx {
    GMSG_RECEIVE_STATE state;
    std::vector<Bytes> messages; // each whole one, re-encoded as it came out
    GMSG_RX_RESULT last = GMSG_RX_MORE;

    Rx() { GMSG_vReceiveInit(&state); }
    ~Rx() { GMSG_vReceiveReset(&state); }

    // Puts `n` bytes in as one piece, or as many pieces as the state asks.
    GMSG_RX_RESULT put(const U8* p, size_t n, U64 now)
    {
        while (n) {
            U32 room = 0;
            U8* space = GMSG_pu8ReceiveSpace(&state, &room);
            if (!space)
                return last = GMSG_RX_FAILED;
            const U32 take = (U32)std::min<size_t>(room, n);
            memcpy(space, p, take);
            p += take;
            n -= take;
            GMSG_INFO info;
            last = GMSG_eReceiveTake(&state, take, now, &info);
            if (last == GMSG_RX_COMPLETE) {
                Bytes m(GMSG_HEADER_SIZE);
                GMSG_vEncodeHeader(info.pMsgHeader, m.data());
                if (info.pRawMsg)
                    m.insert(m.end(), (U8*)info.pRawMsg, (U8*)info.pRawMsg + info.pMsgHeader->u32MsgSize);
                messages.push_back(m);
                GMSG_bFree(&info);
            } else if (last == GMSG_RX_FAILED) {
                return last;
            }
        }
        return last;
    }
    GMSG_RX_RESULT put(const Bytes& b, U64 now = 0) { return put(b.data(), b.size(), now); }
};

TEST(GmsgReceive, MessagesCutAtAnyPointComeOutWholeAtTheirLastByte)
{
    Bytes stream = wireMessage(300, 1);
    const Bytes second = wireMessage(0, 2);
    const Bytes third = wireMessage(5000, 3); // needs the block to grow
    stream.insert(stream.end(), second.begin(), second.end());
    stream.insert(stream.end(), third.begin(), third.end());

    for (size_t cut = 1; cut < stream.size(); cut += (cut < 500 ? 1 : 97)) {
        SCOPED_TRACE(cut);
        Rx rx;
        rx.put(stream.data(), cut, 0);
        // Nothing comes out before its last byte.
        const size_t whole = cut >= 300 + 72 + 72 ? 2 : cut >= 300 + 72 ? 1 : 0;
        ASSERT_EQ(rx.messages.size(), whole);
        ASSERT_EQ(GMSG_bReceiveInMessage(&rx.state), cut != 372 && cut != 444);
        rx.put(stream.data() + cut, stream.size() - cut, 0);
        ASSERT_EQ(rx.messages.size(), 3u);
        EXPECT_EQ(rx.messages[0], wireMessage(300, 1));
        EXPECT_EQ(rx.messages[1], second);
        EXPECT_EQ(rx.messages[2], third);
        EXPECT_FALSE(GMSG_bReceiveInMessage(&rx.state));
        EXPECT_EQ(rx.state.pu8Block, nullptr);
    }
}

TEST(GmsgReceive, LyingHeadersEndTheConnectionAtTheirLastByte)
{
    struct Case {
        const char* what;
        Bytes header;
        GMSG_DROP_CAUSE cause;
    };
    const Case cases[] = {
        {"no signature", wireHeader(0, 1, 0x58534D47u), GMSG_DROP_SIGNATURE},
        {"size over the limit", wireHeader(GMSG_MAX_RECEIVE_SIZE + 1, 1), GMSG_DROP_TOO_LARGE},
        {"size of all ones", wireHeader(0xFFFFFFFFu, 1), GMSG_DROP_TOO_LARGE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes& h = c.header;
        Rx rx;
        EXPECT_EQ(rx.put(h.data(), GMSG_HEADER_SIZE - 1, 0), GMSG_RX_MORE);
        EXPECT_EQ(rx.put(h.data() + GMSG_HEADER_SIZE - 1, 1, 0), GMSG_RX_FAILED);
        EXPECT_EQ(rx.state.eCause, c.cause);
        EXPECT_TRUE(rx.messages.empty());
        // Nothing was taken for the body the header announced.
        EXPECT_EQ(rx.state.u32Capacity, (U32)GMSG_HEADER_SIZE);
    }
    // The largest allowed size is taken.
    Rx rx;
    EXPECT_EQ(rx.put(wireHeader(GMSG_MAX_RECEIVE_SIZE, 1)), GMSG_RX_MORE);
}

TEST(GmsgReceive, MemoryGrowsWithTheBytesThatCome)
{
    Bytes big = wireMessage(GMSG_MAX_RECEIVE_SIZE, 9);
    Rx rx;
    rx.put(big.data(), GMSG_HEADER_SIZE + 1, 0);
    EXPECT_LE(rx.state.u32Capacity, GMSG_FIRST_BLOCK_SIZE);
    rx.put(big.data() + GMSG_HEADER_SIZE + 1, 20000, 0);
    EXPECT_LE(rx.state.u32Capacity, 4 * 16384u);
    rx.put(big.data() + GMSG_HEADER_SIZE + 20001, big.size() - GMSG_HEADER_SIZE - 20001, 0);
    ASSERT_EQ(rx.messages.size(), 1u);
    EXPECT_EQ(rx.messages[0], big);
}

// One byte a second keeps a message from falling silent, but not from its
// time limit; a message that stops falls silent 5 s after its latest byte.
TEST(GmsgReceive, SilenceAndSlownessEndAMessageOnTime)
{
    struct Case {
        const char* what;
        U32 size;
        U64 pace;  // ms between single bytes after the header; 0: none after the first body byte
        GMSG_DROP_CAUSE cause;
        U64 endsAt; // ms after the first byte
    };
    const U32 size = 40000;
    const Case cases[] = {
        {"header in pieces, then nothing", 0, 0, GMSG_DROP_SILENT, GMSG_RECEIVE_SILENCE_MS},
        {"header and one byte, then nothing", size, 0, GMSG_DROP_SILENT, GMSG_RECEIVE_SILENCE_MS},
        {"a byte a second", size, 1000, GMSG_DROP_TOO_SLOW, GMSG_u64ReceiveLimitMs(size)},
        {"a byte every 4.9 s", GMSG_MAX_RECEIVE_SIZE, 4900, GMSG_DROP_TOO_SLOW,
         GMSG_u64ReceiveLimitMs(GMSG_MAX_RECEIVE_SIZE)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes m = wireMessage(c.size, 4);
        Rx rx;
        const U64 start = 1000;
        U64 last = start;
        if (c.size == 0) {
            rx.put(m.data(), 30, start);
        } else {
            rx.put(m.data(), GMSG_HEADER_SIZE + 1, start);
            for (size_t at = GMSG_HEADER_SIZE + 1; c.pace && last + c.pace < start + c.endsAt; ++at) {
                last += c.pace;
                ASSERT_EQ(rx.put(m.data() + at, 1, last), GMSG_RX_MORE) << last - start;
            }
        }
        EXPECT_EQ(GMSG_eReceiveCheckTime(&rx.state, start + c.endsAt - 1), GMSG_RX_MORE);
        ASSERT_EQ(GMSG_eReceiveCheckTime(&rx.state, start + c.endsAt), GMSG_RX_FAILED);
        EXPECT_EQ(rx.state.eCause, c.cause);
    }
    // Whatever its size, a message has a few minutes at the very most.
    EXPECT_EQ(GMSG_u64ReceiveLimitMs(0), (U64)GMSG_RECEIVE_BASE_MS);
    EXPECT_LE(GMSG_u64ReceiveLimitMs(GMSG_MAX_RECEIVE_SIZE), 120000u);
    // Between messages there is nothing to time.
    Rx idle;
    EXPECT_EQ(GMSG_eReceiveCheckTime(&idle.state, 1000000), GMSG_RX_MORE);
}

TEST(GmsgReceive, StreamReadsWhatIsWaitingAndTellsHowItEnded)
{
    struct Case {
        const char* what;
        Bytes sent;
        bool peerFinishes;
        std::vector<GMSG_RX_RESULT> results;
        GMSG_DROP_CAUSE cause;
    };
    Bytes two = wireMessage(10, 1);
    const Bytes b = wireMessage(0, 2);
    two.insert(two.end(), b.begin(), b.end());
    Bytes partial = wireMessage(100, 3);
    partial.resize(90);
    const Case cases[] = {
        {"two messages, then the end", two, true, {GMSG_RX_COMPLETE, GMSG_RX_COMPLETE, GMSG_RX_CLOSED},
         GMSG_DROP_COUNT},
        {"part of a body, peer still there", partial, false, {GMSG_RX_MORE}, GMSG_DROP_COUNT},
        {"part of a body, then the end", partial, true, {GMSG_RX_FAILED}, GMSG_DROP_TRUNCATED},
        {"nothing, then the end", {}, true, {GMSG_RX_CLOSED}, GMSG_DROP_COUNT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connection conn;
        ASSERT_TRUE(writeAll(conn.client.nSocket, c.sent.data(), c.sent.size()));
        if (c.peerFinishes)
            shutdown(conn.client.nSocket, SHUT_WR);
        ASSERT_TRUE(readable(conn.server.nSocket, 2000));
        GMSG_RECEIVE_STATE rx;
        GMSG_vReceiveInit(&rx);
        for (GMSG_RX_RESULT want : c.results) {
            GMSG_INFO info;
            const GMSG_RX_RESULT got = GMSG_eReceiveStream(&rx, &conn.server, 0, &info);
            ASSERT_EQ(got, want);
            if (got == GMSG_RX_COMPLETE)
                GMSG_bFree(&info);
        }
        if (c.cause != GMSG_DROP_COUNT) {
            EXPECT_EQ(rx.eCause, c.cause);
        }
        // Between messages no block is kept.
        if (!GMSG_bReceiveInMessage(&rx)) {
            EXPECT_EQ(rx.pu8Block, nullptr);
        }
        GMSG_vReceiveReset(&rx);
    }
}

TEST(GmsgDrops, EachCauseIsReportedAtMostOnceASecondWithItsCount)
{
    GMSG_vClearDrops();
    U64 count = 0;
    EXPECT_TRUE(GMSG_bCountDrop(GMSG_DROP_SIGNATURE, &count));
    EXPECT_EQ(count, 1u);
    for (int i = 0; i < 99; ++i)
        EXPECT_FALSE(GMSG_bCountDrop(GMSG_DROP_SIGNATURE, nullptr));
    // Another cause has its own second.
    EXPECT_TRUE(GMSG_bCountDrop(GMSG_DROP_REFUSED, &count));
    EXPECT_EQ(count, 1u);
    L_CLOCK_vAdvanceTestClock(900);
    EXPECT_FALSE(GMSG_bCountDrop(GMSG_DROP_SIGNATURE, &count));
    L_CLOCK_vAdvanceTestClock(100);
    EXPECT_TRUE(GMSG_bCountDrop(GMSG_DROP_SIGNATURE, &count));
    EXPECT_EQ(count, 102u);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_SIGNATURE), 102u);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_REFUSED), 1u);
    EXPECT_EQ(GMSG_u64DropCount(GMSG_DROP_SILENT), 0u);
}

TEST(GmsgDrops, AReportTellsWhatTheReaderFoundAndTheCount)
{
    struct Case {
        const char* what;
        Bytes bytes;
        U64 silence; // then this long without a byte
        const char* first;
    };
    Bytes body = wireMessage(100, 1);
    body.resize(GMSG_HEADER_SIZE + 40);
    const Case cases[] = {
        {"no signature", wireHeader(0, 1, 0x58534D47u), 0, "GMSG_nReceiveSocket: msg header signature error"},
        {"too large", wireHeader(GMSG_MAX_RECEIVE_SIZE + 1, 1), 0,
         "GMSG_nReceiveSocket: msg size error (msg size = 262145, limit = 262144)"},
        {"silent in the header", Bytes(body.begin(), body.begin() + 30), GMSG_RECEIVE_SILENCE_MS,
         "GMSG_nReceiveSocket: select timeout, msg header size error (30 of 72 bytes)"},
        {"silent in the body", body, GMSG_RECEIVE_SILENCE_MS,
         "GMSG_nReceiveSocket: select timeout, receive = 40, msg size = 100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GMSG_vClearDrops();
        Rx rx;
        rx.put(c.bytes, 1000);
        ASSERT_EQ(c.silence ? GMSG_eReceiveCheckTime(&rx.state, 1000 + c.silence) : rx.last, GMSG_RX_FAILED);
        LogCapture log;
        GMSG_vReportReceiveFailure(&rx.state);
        GMSG_vReportReceiveFailure(&rx.state); // the same second: counted only
        EXPECT_TRUE(log.has(c.first)) << log.text();
        const std::string failure = std::string("T_GMSG_vHandleNewMessage: Receive Message Failure (") +
                                    GMSG_pcDropCause(rx.state.eCause) + ": 1 in all)";
        EXPECT_TRUE(log.has(failure)) << log.text();
        EXPECT_EQ(log.text().find(c.first), log.text().rfind(c.first));
        EXPECT_EQ(GMSG_u64DropCount(rx.state.eCause), 2u);
    }
}

} // namespace
