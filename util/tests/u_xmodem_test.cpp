// XMODEM against a scripted peer that works the other ends of port 3's
// queues: block layout and padding, the end-of-transmission handshake,
// repeated blocks, cancellation, overflow and error recovery.
#include "util/u_xmodem.h"

#include "kernel/l_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <string>
#include <vector>

namespace {

constexpr U8 SOH = 0x01, STX = 0x02, EOT = 0x04, ACK = 0x06, NAK = 0x15, CAN = 0x18, SUB = 0x1A;
constexpr QUEUE TXQ = 7, RXQ = 8; // port 3
constexpr U8 PORT = 3;

// CRC-16/XMODEM computed bit by bit, independent of the module's table.
U16 crcXmodem(const std::string& data)
{
    U16 crc = 0;
    for (unsigned char byte : data) {
        crc ^= (U16)(byte << 8);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? (U16)((crc << 1) ^ 0x1021) : (U16)(crc << 1);
    }
    return crc;
}

std::string pattern(size_t n, unsigned seed = 1)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = (char)((i * 131 + seed * 17 + (i >> 8)) & 0xFF);
    return s;
}

// The far end: what the unit "receives" goes into the receive queue, what
// it sends is taken from the transmit queue.
struct Peer {
    Peer()
    {
        L_QUEUE_Purge(TXQ);
        L_QUEUE_Purge(RXQ);
    }
    void send(const std::string& bytes)
    {
        for (unsigned char c : bytes) {
            U16 element = c;
            ASSERT_EQ(L_QUEUE_PutWaitTicks(RXQ, &element, 2000), 0);
        }
    }
    void send(U8 c) { send(std::string(1, (char)c)); }
    // n bytes from the unit, or fewer when it falls silent for ms.
    std::string take(size_t n, TICKS ms = 3000)
    {
        std::string out;
        U8 c;
        while (out.size() < n && L_QUEUE_GetWaitTicks(TXQ, &c, ms) == 0)
            out += (char)c;
        return out;
    }
    void expect(U8 c, TICKS ms = 3000) { EXPECT_EQ(take(1, ms), std::string(1, (char)c)); }

    static std::string block(U8 header, U8 number, const std::string& data)
    {
        std::string b;
        b += (char)header;
        b += (char)number;
        b += (char)(255 - number);
        b += data;
        U16 crc = crcXmodem(data);
        b += (char)(crc >> 8);
        b += (char)(crc & 0xFF);
        return b;
    }
};

// ---- sending ----

TEST(XmodemSend, FifteenHundredBytesMakeTwoPaddedOneKBlocks)
{
    Peer peer;
    std::string data = pattern(1500);
    auto result = std::async(std::launch::async, [&] {
        return U_XMODEM_bTransmit(PORT, (BYTE*)data.data(), (S32)data.size(), nullptr, nullptr);
    });
    peer.send('C');
    std::string padded = data + std::string(2048 - 1500, (char)SUB);
    for (U8 n = 1; n <= 2; ++n) {
        std::string wire = peer.take(1029);
        EXPECT_EQ(wire, Peer::block(STX, n, padded.substr((n - 1) * 1024u, 1024))) << (int)n;
        peer.send(ACK);
    }
    // First EOT refused with NAK, the second acknowledged.
    peer.expect(EOT);
    peer.send(NAK);
    peer.expect(EOT);
    peer.send(ACK);
    EXPECT_TRUE(result.get());
}

TEST(XmodemSend, CallbackWithNoDataSendsOnlyEot)
{
    Peer peer;
    std::vector<U8> work(1024);
    auto none = [](U8*, void*) -> U32 { return 0; };
    auto result = std::async(std::launch::async,
                             [&] { return U_XMODEM_bTransmit(PORT, work.data(), 0, none, nullptr); });
    peer.send("xyC"); // noise before the request is ignored
    peer.expect(EOT);
    peer.send(ACK);
    EXPECT_TRUE(result.get());
}

TEST(XmodemSend, EndOfTransmissionHandshakes)
{
    // How long the receiver keeps quiet after the first EOT, what it then
    // answers, whether a second EOT follows, what it answers to that, and
    // the result.
    struct {
        const char* name;
        int quietMs;
        U8 firstReply;
        bool secondEot;
        U8 secondReply;
        BOOLEAN result;
    } cases[] = {
        {"ack", 0, ACK, false, 0, TRUE},
        {"ack after a quiet second", 1500, ACK, false, 0, TRUE},
        {"nak then ack", 0, NAK, true, ACK, TRUE},
        {"nak then cancel", 0, NAK, true, CAN, FALSE},
        {"other reply", 0, 'x', false, 0, FALSE},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Peer peer;
        std::vector<U8> work(1024);
        auto none = [](U8*, void*) -> U32 { return 0; };
        auto result = std::async(std::launch::async,
                                 [&] { return U_XMODEM_bTransmit(PORT, work.data(), 0, none, nullptr); });
        peer.send('C');
        peer.expect(EOT);
        std::this_thread::sleep_for(std::chrono::milliseconds(c.quietMs));
        EXPECT_EQ(peer.take(1, 0), ""); // no second EOT meanwhile
        peer.send(c.firstReply);
        if (c.secondEot) {
            peer.expect(EOT);
            peer.send(c.secondReply);
        }
        EXPECT_EQ(result.get(), c.result);
        EXPECT_EQ(peer.take(1, 50), "");
    }
}

TEST(XmodemSend, CallbackBlocksAndRetryAfterTenRepliesWithoutAck)
{
    Peer peer;
    struct Source {
        std::string data = pattern(3000, 5);
        size_t pos = 0;
    } src;
    auto fill = [](U8* buf, void* p) -> U32 {
        auto* s = static_cast<Source*>(p);
        size_t n = std::min<size_t>(1024, s->data.size() - s->pos);
        memcpy(buf, s->data.data() + s->pos, n);
        s->pos += n;
        return (U32)n;
    };
    std::vector<U8> work(1024);
    auto result = std::async(std::launch::async,
                             [&] { return U_XMODEM_bTransmit(PORT, work.data(), 0, fill, &src); });
    peer.send('C');
    std::string first = peer.take(1029);
    EXPECT_EQ(first, Peer::block(STX, 1, src.data.substr(0, 1024)));
    // Ten replies that are not ACK (NAK among them counts as any other):
    // the same block comes again.
    peer.send(std::string(10, (char)NAK));
    std::string again = peer.take(1029);
    EXPECT_EQ(again, first);
    peer.send(ACK);
    EXPECT_EQ(peer.take(1029), Peer::block(STX, 2, src.data.substr(1024, 1024)));
    peer.send(ACK);
    std::string last = src.data.substr(2048) + std::string(1024 - (3000 - 2048), (char)SUB);
    EXPECT_EQ(peer.take(1029), Peer::block(STX, 3, last));
    peer.send(ACK);
    peer.expect(EOT);
    peer.send(ACK);
    EXPECT_TRUE(result.get());
}

TEST(XmodemSend, CancelFromReceiverEndsWithFalse)
{
    Peer peer;
    std::string data = pattern(2000);
    auto result = std::async(std::launch::async, [&] {
        return U_XMODEM_bTransmit(PORT, (BYTE*)data.data(), (S32)data.size(), nullptr, nullptr);
    });
    peer.send('C');
    peer.take(1029);
    peer.send(CAN);
    EXPECT_FALSE(result.get());
}

// ---- receiving ----

struct Received {
    BOOLEAN ok = FALSE;
    S32 count = 0;
    std::string data;
};

std::future<Received> startReceive(size_t capacity)
{
    return std::async(std::launch::async, [capacity] {
        Received r;
        std::vector<U8> buf(capacity);
        r.count = (S32)capacity;
        r.ok = U_XMODEM_bReceive(PORT, buf.data(), &r.count, nullptr, nullptr);
        if (r.count > 0)
            r.data.assign((const char*)buf.data(), (size_t)r.count);
        return r;
    });
}

void finishWithEot(Peer& peer)
{
    peer.send(EOT);
    peer.expect(NAK);
    peer.send(EOT);
    peer.expect(ACK);
}

TEST(XmodemReceive, MixedBlockSizesFillTheBuffer)
{
    Peer peer;
    auto result = startReceive(4096);
    peer.expect('C');
    std::string a = pattern(1024, 1), b = pattern(128, 2);
    peer.send(Peer::block(STX, 1, a));
    peer.expect(ACK);
    peer.send(Peer::block(SOH, 2, b));
    peer.expect(ACK);
    finishWithEot(peer);
    Received r = result.get();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.count, 1152);
    EXPECT_EQ(r.data, a + b);
}

TEST(XmodemReceive, RepeatedBlockAfterLostAckIsAcknowledgedAndDropped)
{
    Peer peer;
    auto result = startReceive(4096);
    peer.expect('C');
    std::string a = pattern(1024, 3), b = pattern(1024, 4);
    peer.send(Peer::block(STX, 1, a));
    peer.expect(ACK);
    peer.send(Peer::block(STX, 2, b));
    peer.expect(ACK);
    // The sender missed that ACK and repeats block 2 a few times.
    for (int i = 0; i < 12; ++i) {
        peer.send(Peer::block(STX, 2, b));
        peer.expect(ACK);
    }
    finishWithEot(peer);
    Received r = result.get();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.data, a + b);
}

TEST(XmodemReceive, BadBlocksAreRefusedUntilTheLimit)
{
    Peer peer;
    auto result = startReceive(4096);
    peer.expect('C');
    std::string a = pattern(128, 6), b = pattern(128, 7);
    std::string badA = Peer::block(SOH, 1, a);
    badA[10] ^= 0x40;
    // Ten bad blocks in a row are answered with NAK; a good one still gets
    // through and starts the count again.
    for (int i = 0; i < 10; ++i) {
        peer.send(badA);
        peer.expect(NAK);
    }
    peer.send(Peer::block(SOH, 1, a));
    peer.expect(ACK);
    // A wrong block number is an error too; the eleventh error in a row
    // aborts with eight CANs.
    std::string wrongNumber = Peer::block(SOH, 5, b);
    for (int i = 0; i < 11; ++i) {
        peer.send(wrongNumber.substr(0, 3)); // the rest is never read
        peer.expect(NAK);
    }
    EXPECT_EQ(peer.take(8), std::string(8, (char)CAN));
    Received r = result.get();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.data, a);
}

TEST(XmodemReceive, BlockLargerThanTheBufferAborts)
{
    Peer peer;
    auto result = startReceive(100);
    peer.expect('C');
    peer.send(Peer::block(SOH, 1, pattern(128)).substr(0, 20));
    EXPECT_EQ(peer.take(8), std::string(8, (char)CAN));
    Received r = result.get();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.count, 0);
}

TEST(XmodemReceive, CancelWhileWaitingForAHeaderEndsWithFalse)
{
    Peer peer;
    auto result = startReceive(4096);
    peer.expect('C');
    std::string a = pattern(128, 8);
    peer.send(Peer::block(SOH, 1, a));
    peer.expect(ACK);
    peer.send(std::string(2, (char)CAN));
    Received r = result.get();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.data, a);
}

TEST(XmodemReceive, EmptyTransfer)
{
    Peer peer;
    auto result = startReceive(16);
    peer.expect('C');
    finishWithEot(peer);
    Received r = result.get();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.count, 0);
}

TEST(XmodemReceive, CallbackGetsEachBlockAndAFinalEmptyCall)
{
    Peer peer;
    struct Sink {
        std::vector<std::string> blocks;
        int finalCalls = 0;
    } sink;
    auto consume = [](U32 count, U8* buf, void* p) {
        auto* s = static_cast<Sink*>(p);
        if (count == 0 && buf == nullptr)
            ++s->finalCalls;
        else
            s->blocks.emplace_back((const char*)buf, count);
    };
    std::vector<U8> work(1024);
    S32 count = (S32)work.size();
    auto result = std::async(std::launch::async,
                             [&] { return U_XMODEM_bReceive(PORT, work.data(), &count, consume, &sink); });
    peer.expect('C');
    std::string a = pattern(1024, 9), b = pattern(128, 10);
    peer.send(Peer::block(STX, 1, a));
    peer.expect(ACK);
    peer.send(Peer::block(SOH, 2, b));
    peer.expect(ACK);
    finishWithEot(peer);
    EXPECT_TRUE(result.get());
    EXPECT_EQ(count, 128); // the size of the last block
    ASSERT_EQ(sink.blocks.size(), 2u);
    EXPECT_EQ(sink.blocks[0], a);
    EXPECT_EQ(sink.blocks[1], b);
    EXPECT_EQ(sink.finalCalls, 1);
}

} // namespace
