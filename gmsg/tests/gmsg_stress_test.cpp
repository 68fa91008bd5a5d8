// Two GMSG endpoints exchange 10,000 requests of random sizes with a few
// always in flight: every request is answered exactly once with its own
// bytes, nothing times out, and afterwards every block is back in the
// program heap. The ThreadSanitizer tree builds and runs this test alone.
#include "gmsg/tests/gmsg_endpoint.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <vector>

using namespace gte;

namespace {

constexpr U32 ID_ECHO = GMSG_MAKE_ID(SERVICE_CLASS_TEST, 1);
constexpr U32 ID_ECHOED = GMSG_MAKE_ID(SERVICE_CLASS_TEST, 2);
constexpr U64 REQUESTS = 10000;
constexpr int IN_FLIGHT = 8;

// The payload of request `token`: mostly small, now and then up to 64 KiB.
std::vector<U8> payloadOf(U64 token)
{
    std::mt19937 rng((unsigned)token * 2654435761u);
    const U32 size = rng() % 10 == 0 ? rng() % 65536 : rng() % 4096;
    std::vector<U8> bytes(size);
    for (U8& b : bytes)
        b = (U8)rng();
    return bytes;
}

TEST(GmsgStress, TenThousandRequestsAreEachAnsweredOnceAndNothingLeaks)
{
    startGmsgTasks();
    const size_t before = freeBlocks();
    {
        Endpoint client(kNavIds, {{ID_ECHOED, &DT_BUFFER}, {GMSG_ID_STATUS, &DT_GMSG_STATUS}});
        Endpoint server(kPingIds, {{ID_ECHO, &DT_BUFFER}});
        ASSERT_TRUE(client.registerMailbox(freePort()));
        ASSERT_TRUE(server.registerMailbox(freePort()));
        const GMSG_ADDRESS to = server.address();

        server.setHandler([](MBOX mbox, GMSG_INFO* info) {
            return U_GMSG_bReply(mbox, info, ID_ECHOED, &DT_BUFFER, info->pStructMsg);
        });

        // Touched only in the client's task, except the atomics.
        std::vector<U8> answers(REQUESTS + 1, 0);
        U64 nextToken = 1;
        std::atomic<U64> answered{0};
        std::atomic<U64> wrong{0};
        std::atomic<U64> failedSends{0};
        auto sendNext = [&] {
            if (nextToken > REQUESTS)
                return;
            const U64 token = nextToken++;
            std::vector<U8> bytes = payloadOf(token);
            C_BUFFER payload = {(int)bytes.size(), bytes.data()};
            if (!U_GMSG_bRequest(client.mbox(), &to, ID_ECHO, &DT_BUFFER, &payload, token))
                ++failedSends;
        };
        client.setHandler([&](MBOX, GMSG_INFO* info) {
            const GMSG_HEADER* h = info->pMsgHeader;
            const U64 token = h->u64Token;
            const C_BUFFER* got = (const C_BUFFER*)info->pStructMsg;
            const std::vector<U8> expected = token >= 1 && token <= REQUESTS ? payloadOf(token) : std::vector<U8>();
            const bool ok = h->u32MsgId == ID_ECHOED && info->bReply && got && token >= 1 && token <= REQUESTS &&
                            got->nSize == (int)expected.size() &&
                            (expected.empty() || memcmp(got->pData, expected.data(), expected.size()) == 0);
            if (!ok)
                ++wrong;
            if (token >= 1 && token <= REQUESTS && answers[token] < 255)
                ++answers[token];
            ++answered;
            sendNext();
            return TRUE;
        });

        client.call([&] {
            for (int i = 0; i < IN_FLIGHT; ++i)
                sendNext();
            return 0;
        });
        ASSERT_TRUE(waitUntil([&] { return answered.load() >= REQUESTS || wrong.load() > 0; }, 600000))
            << answered.load() << " answers";
        // Late duplicates would show now.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(wrong.load(), 0u);
        EXPECT_EQ(failedSends.load(), 0u);
        EXPECT_EQ(answered.load(), REQUESTS);
        const std::vector<U8> counts = client.call([&] { return answers; });
        U64 missing = 0, repeated = 0;
        for (U64 t = 1; t <= REQUESTS; ++t) {
            missing += counts[t] == 0;
            repeated += counts[t] > 1;
        }
        EXPECT_EQ(missing, 0u);
        EXPECT_EQ(repeated, 0u);

        EXPECT_TRUE(client.unregisterMailbox());
        // The server sees its connection end, then leaves too.
        EXPECT_TRUE(server.waitForDisconnects(1));
        EXPECT_TRUE(server.unregisterMailbox());
    }
    EXPECT_TRUE(waitUntil([&] { return freeBlocks() == before; })) << before << " free before, " << freeBlocks()
                                                                   << " after";
}

} // namespace
