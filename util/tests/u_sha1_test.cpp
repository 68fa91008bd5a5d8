// SHA-1 against the FIPS 180-1 examples, padding edges, piecewise input,
// the corruption flag and the system's sha1sum.
#include "util/u_sha1.h"

#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unistd.h>

namespace {

std::string hexDigest(const SHA1_CTX& ctx)
{
    char buf[41];
    std::snprintf(buf, sizeof buf, "%08x%08x%08x%08x%08x", ctx.H[0], ctx.H[1], ctx.H[2], ctx.H[3], ctx.H[4]);
    return buf;
}

std::string sha1(const std::string& msg)
{
    SHA1_CTX ctx;
    U_SHA1_vReset(&ctx);
    U_SHA1_vInput(&ctx, reinterpret_cast<const U8*>(msg.data()), static_cast<U32>(msg.size()));
    EXPECT_EQ(U_SHA1_bFinal(&ctx), 0);
    return hexDigest(ctx);
}

TEST(USha1, PublishedAndPaddingEdgeDigests)
{
    const struct {
        std::string msg;
        const char* digest;
    } cases[] = {
        // FIPS 180-1 appendices A, B and C.
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        // 55 bytes pad within one block, 56 need a second, 64 fill one exactly.
        {std::string(55, 'a'), "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
        {std::string(56, 'a'), "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
        {std::string(63, 'a'), "03f09f5b158a7a8cdad920bddc29b81c18a551f5"},
        {std::string(64, 'a'), "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
        {std::string(65, 'a'), "11655326c708d70319be2610e8a57d9a5b959d3b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sha1(c.msg), c.digest) << c.msg.size() << " bytes";
    }
}

TEST(USha1, PiecesGiveTheSameDigest)
{
    std::mt19937 rng(122);
    std::string msg(5000, '\0');
    for (char& ch : msg) {
        ch = static_cast<char>(rng());
    }
    const std::string whole = sha1(msg);

    SHA1_CTX bytes;
    U_SHA1_vReset(&bytes);
    for (char ch : msg) {
        U8 b = static_cast<U8>(ch);
        U_SHA1_vInput(&bytes, &b, 1);
    }
    ASSERT_EQ(U_SHA1_bFinal(&bytes), 0);
    EXPECT_EQ(hexDigest(bytes), whole);

    SHA1_CTX random;
    U_SHA1_vReset(&random);
    size_t at = 0;
    while (at < msg.size()) {
        size_t n = std::min<size_t>(rng() % 150, msg.size() - at);
        U_SHA1_vInput(&random, reinterpret_cast<const U8*>(msg.data() + at), static_cast<U32>(n));
        at += n;
    }
    ASSERT_EQ(U_SHA1_bFinal(&random), 0);
    EXPECT_EQ(hexDigest(random), whole);
}

TEST(USha1, MisuseIsRecordedAndReportedAtTheEnd)
{
    SHA1_CTX ctx;
    U_SHA1_vReset(&ctx);
    U_SHA1_vInput(&ctx, reinterpret_cast<const U8*>("abc"), 3);
    ASSERT_EQ(U_SHA1_bFinal(&ctx), 0);
    const std::string digest = hexDigest(ctx);
    // Finishing again changes nothing.
    EXPECT_EQ(U_SHA1_bFinal(&ctx), 0);
    EXPECT_EQ(hexDigest(ctx), digest);
    // Input after finishing corrupts the context.
    U_SHA1_vInput(&ctx, reinterpret_cast<const U8*>("d"), 1);
    EXPECT_NE(U_SHA1_bFinal(&ctx), 0);
    EXPECT_EQ(hexDigest(ctx), digest);

    // A reset makes it usable again.
    U_SHA1_vReset(&ctx);
    EXPECT_EQ(U_SHA1_bFinal(&ctx), 0);
    EXPECT_EQ(hexDigest(ctx), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(USha1, LengthCountsIntoTheHighWordAndStopsAt2To64Bits)
{
    SHA1_CTX ctx;
    U_SHA1_vReset(&ctx);
    ctx.u32LengthLow = 0xFFFFFFF8;
    U8 b = 0;
    U_SHA1_vInput(&ctx, &b, 1);
    EXPECT_EQ(ctx.u32LengthLow, 0u);
    EXPECT_EQ(ctx.u32LengthHigh, 1u);
    EXPECT_EQ(ctx.bCorrupted, FALSE);

    U_SHA1_vReset(&ctx);
    ctx.u32LengthHigh = 0xFFFFFFFF;
    ctx.u32LengthLow = 0xFFFFFFF0;
    U_SHA1_vInput(&ctx, &b, 1);
    EXPECT_EQ(ctx.bCorrupted, FALSE);
    U_SHA1_vInput(&ctx, &b, 1);
    EXPECT_NE(ctx.bCorrupted, FALSE);
    EXPECT_NE(U_SHA1_bFinal(&ctx), 0);

    // A context whose block index was damaged is refused, not overrun.
    U_SHA1_vReset(&ctx);
    ctx.nIndex = 1000;
    U_SHA1_vInput(&ctx, &b, 1);
    EXPECT_NE(U_SHA1_bFinal(&ctx), 0);
}

TEST(USha1, AgreesWithSha1sumOnARandomFile)
{
    const char* tool = "/usr/bin/sha1sum";
    if (access(tool, X_OK) != 0) {
        GTEST_SKIP() << "sha1sum not installed";
    }
    std::mt19937 rng(1221);
    std::string data(1 << 20, '\0');
    data.resize(data.size() + 37);
    for (char& ch : data) {
        ch = static_cast<char>(rng());
    }
    vt::TempRoot tmp;
    std::string path = tmp.at("/tmp/random.bin");
    ASSERT_TRUE(vt::writeFile(path, data));
    vt::ProcResult r = vt::runProcess({tool, path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 40), sha1(data));
}

} // namespace
