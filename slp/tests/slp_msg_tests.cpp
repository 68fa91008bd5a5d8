// SLPv2 codec: byte layout, round trips, and refusal of every kind of broken
// datagram a peer might send.
#include "slp/slp_msg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<U8> bytes(std::initializer_list<int> v)
{
    std::vector<U8> out;
    for (int b : v)
        out.push_back((U8)b);
    return out;
}

SLP_DECODE_RESULT decode(const std::vector<U8>& v, SLP_MSG* m)
{
    return SLP_MSG_eDecode(v.data(), v.size(), m);
}

std::vector<U8> sampleSrvRply()
{
    std::vector<U8> out;
    std::vector<SLP_URL_ENTRY> urls = {{65535, "service:a.velmora://192.0.2.20:1/NULL"},
                                       {30, "service:a.velmora://192.0.2.21:2/base"}};
    EXPECT_TRUE(SLP_MSG_bEncodeSrvRply(&out, 0x1234, 0, "en", 0, urls));
    return out;
}

} // namespace

TEST(SlpMsg, SrvRqstIsLaidOutFieldByFieldInNetworkOrder)
{
    std::vector<U8> out;
    ASSERT_TRUE(SLP_MSG_bEncodeSrvRqst(&out, 0xBEEF, SLP_FLAG_MCAST, "en", "1.2.3.4", "service:x",
                                       "DEFAULT", "(a=1)"));
    std::vector<U8> want = bytes({2, 1, 0, 0, 54, 0x20, 0, 0, 0, 0, 0xBE, 0xEF, 0, 2, 'e', 'n',
                                  0, 7, '1', '.', '2', '.', '3', '.', '4',
                                  0, 9, 's', 'e', 'r', 'v', 'i', 'c', 'e', ':', 'x',
                                  0, 7, 'D', 'E', 'F', 'A', 'U', 'L', 'T',
                                  0, 5, '(', 'a', '=', '1', ')',
                                  0, 0});
    EXPECT_EQ(out, want);
}

TEST(SlpMsg, EveryMessageTheAgentsSendDecodesToWhatWasEncoded)
{
    std::vector<U8> out;
    SLP_MSG m;

    ASSERT_TRUE(SLP_MSG_bEncodeSrvRqst(&out, 7, SLP_FLAG_MCAST, "en", "pr", "service:t", "S", "(x=1)"));
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    EXPECT_EQ(m.Header.u8Function, SLP_FN_SRVRQST);
    EXPECT_EQ(m.Header.u16Xid, 7);
    EXPECT_EQ(m.Header.u8Flags, SLP_FLAG_MCAST);
    EXPECT_EQ(m.Header.Lang, "en");
    EXPECT_EQ(m.PrList, "pr");
    EXPECT_EQ(m.Type, "service:t");
    EXPECT_EQ(m.Scopes, "S");
    EXPECT_EQ(m.Predicate, "(x=1)");

    out = sampleSrvRply();
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    ASSERT_EQ(m.Urls.size(), 2u);
    EXPECT_EQ(m.Urls[0].u16Lifetime, 65535);
    EXPECT_EQ(m.Urls[1].Url, "service:a.velmora://192.0.2.21:2/base");

    ASSERT_TRUE(SLP_MSG_bEncodeAttrRqst(&out, 8, 0, "de", "", "service:t://h", "S", "a,b"));
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    EXPECT_EQ(m.Url, "service:t://h");
    EXPECT_EQ(m.Tags, "a,b");
    EXPECT_EQ(m.Header.Lang, "de");

    ASSERT_TRUE(SLP_MSG_bEncodeAttrRply(&out, 8, SLP_FLAG_OVERFLOW, "en", 0, "(a=1)"));
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    EXPECT_EQ(m.Attrs, "(a=1)");
    EXPECT_EQ(m.Header.u8Flags, SLP_FLAG_OVERFLOW);

    ASSERT_TRUE(SLP_MSG_bEncodeSrvTypeRqst(&out, 9, 0, "en", "", TRUE, "ignored", "S"));
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    EXPECT_TRUE(m.bAllAuthorities);
    EXPECT_EQ(m.Scopes, "S");
    ASSERT_TRUE(SLP_MSG_bEncodeSrvTypeRqst(&out, 9, 0, "en", "", FALSE, "velmora", "S"));
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    EXPECT_FALSE(m.bAllAuthorities);
    EXPECT_EQ(m.NamingAuthority, "velmora");

    ASSERT_TRUE(SLP_MSG_bEncodeSrvTypeRply(&out, 9, 0, "en", 0, "service:a.velmora,service:b"));
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    EXPECT_EQ(m.Types, "service:a.velmora,service:b");

    ASSERT_TRUE(SLP_MSG_bEncodeSAAdvert(&out, 1, 0, "en", "service:service-agent://1.2.3.4", "S", ""));
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    EXPECT_EQ(m.Url, "service:service-agent://1.2.3.4");

    ASSERT_TRUE(SLP_MSG_bEncodeSrvReg(&out, 2, SLP_FLAG_FRESH, "en", {10, "service:t://h"}, "service:t",
                                      "S", "(a=1)"));
    ASSERT_EQ(decode(out, &m), SLP_DECODE_OK);
    EXPECT_EQ(m.Header.u8Flags, SLP_FLAG_FRESH);
    EXPECT_EQ(m.Attrs, "(a=1)");

    for (U8 fn : {SLP_FN_SRVRPLY, SLP_FN_ATTRRPLY, SLP_FN_SRVTYPERPLY, SLP_FN_SRVACK}) {
        ASSERT_TRUE(SLP_MSG_bEncodeError(&out, fn, 3, "en", SLP_WE_SCOPE_NOT_SUPPORTED));
        ASSERT_EQ(decode(out, &m), SLP_DECODE_OK) << (int)fn;
        EXPECT_EQ(m.u16Error, SLP_WE_SCOPE_NOT_SUPPORTED);
    }
}

TEST(SlpMsg, EveryTruncationOfAMessageIsRefused)
{
    std::vector<U8> whole = sampleSrvRply();
    SLP_MSG m;
    for (size_t n = 0; n < whole.size(); n++) {
        std::vector<U8> cut(whole.begin(), whole.begin() + (long)n);
        EXPECT_NE(decode(cut, &m), SLP_DECODE_OK) << n;
        // The same prefix with its length field patched to match must be
        // refused by the body checks instead.
        if (n >= SLP_HEADER_FIXED + 2) {
            cut[2] = (U8)(n >> 16);
            cut[3] = (U8)(n >> 8);
            cut[4] = (U8)n;
            EXPECT_EQ(decode(cut, &m), SLP_DECODE_BAD_BODY) << n;
        }
    }
}

TEST(SlpMsg, BrokenDatagramsAreRefused)
{
    struct Case {
        const char* what;
        std::vector<U8> data;
        SLP_DECODE_RESULT want;
    };
    std::vector<U8> good;
    SLP_MSG_bEncodeAttrRply(&good, 1, 0, "en", 0, "(a=1)");
    auto with = [&](size_t at, U8 v) {
        std::vector<U8> d = good;
        d[at] = v;
        return d;
    };
    std::vector<U8> longer = good;
    longer.push_back(0);
    std::vector<U8> junkAfterBody = longer;
    junkAfterBody[4]++;
    std::vector<U8> nul = good;
    nul[good.size() - 3] = 0; // inside the attribute list
    std::vector<Case> cases = {
        {"empty", {}, SLP_DECODE_BAD_HEADER},
        {"version 1", with(0, 1), SLP_DECODE_BAD_VERSION},
        {"function 0", with(1, 0), SLP_DECODE_BAD_HEADER},
        {"function 12", with(1, 12), SLP_DECODE_BAD_HEADER},
        {"length longer than datagram", with(4, (U8)(good[4] + 1)), SLP_DECODE_BAD_HEADER},
        {"length shorter than datagram", longer, SLP_DECODE_BAD_HEADER},
        {"bytes after the body", junkAfterBody, SLP_DECODE_BAD_BODY},
        {"empty language tag", bytes({2, 7, 0, 0, 14, 0, 0, 0, 0, 0, 0, 1, 0, 0}), SLP_DECODE_BAD_HEADER},
        {"language tag past the end", with(13, 200), SLP_DECODE_BAD_HEADER},
        {"string past the end", with(19, 200), SLP_DECODE_BAD_BODY},
        {"NUL inside a string", nul, SLP_DECODE_BAD_BODY},
        {"auth block count without blocks", with(good.size() - 1, 1), SLP_DECODE_BAD_BODY},
    };
    for (const Case& c : cases) {
        SLP_MSG m;
        EXPECT_EQ(decode(c.data, &m), c.want) << c.what;
    }
}

TEST(SlpMsg, AuthBlocksAreSkippedByTheirLengthAndChecked)
{
    std::vector<U8> d;
    SLP_MSG_bEncodeAttrRply(&d, 1, 0, "en", 0, "(a=1)");
    // Replace the zero auth count with one block: BSD 2, length 13, stamp,
    // SPI "x", one byte of structured data.
    d.back() = 1;
    std::vector<U8> block = bytes({0, 2, 0, 13, 0, 0, 0, 1, 0, 1, 'x', 0xAA});
    std::vector<U8> ok = d;
    ok.insert(ok.end(), block.begin(), block.end());
    ok.push_back(0xBB); // 13th byte of the block
    size_t n = ok.size();
    ok[2] = (U8)(n >> 16);
    ok[3] = (U8)(n >> 8);
    ok[4] = (U8)n;
    SLP_MSG m;
    EXPECT_EQ(decode(ok, &m), SLP_DECODE_OK);
    EXPECT_EQ(m.Attrs, "(a=1)");

    std::vector<U8> tooShort = ok;
    tooShort[d.size() + 3] = 5; // block length smaller than its own fields
    EXPECT_EQ(decode(tooShort, &m), SLP_DECODE_BAD_BODY);
    std::vector<U8> tooLong = ok;
    tooLong[d.size() + 3] = 40;
    EXPECT_EQ(decode(tooLong, &m), SLP_DECODE_BAD_BODY);
}

TEST(SlpMsg, ExtensionsOptionalAreSkippedMandatoryAreReportedBrokenAreRefused)
{
    auto withExt = [](U16 id, U32 next) {
        std::vector<U8> d;
        SLP_MSG_bEncodeSrvRqst(&d, 1, 0, "en", "", "service:t", "DEFAULT", "");
        size_t at = d.size();
        d.push_back((U8)(id >> 8));
        d.push_back((U8)id);
        d.push_back((U8)(next >> 16));
        d.push_back((U8)(next >> 8));
        d.push_back((U8)next);
        d.push_back(0x55);
        size_t n = d.size();
        d[2] = (U8)(n >> 16);
        d[3] = (U8)(n >> 8);
        d[4] = (U8)n;
        d[7] = (U8)(at >> 16);
        d[8] = (U8)(at >> 8);
        d[9] = (U8)at;
        return std::make_pair(d, at);
    };
    SLP_MSG m;
    auto [optional, at1] = withExt(0x0002, 0);
    EXPECT_EQ(decode(optional, &m), SLP_DECODE_OK);
    EXPECT_EQ(m.Type, "service:t");
    auto [mandatory, at2] = withExt(0x4001, 0);
    EXPECT_EQ(decode(mandatory, &m), SLP_DECODE_MANDATORY_EXT);
    auto [loop, at3] = withExt(0x0002, 0);
    loop[at3 + 4] = (U8)at3; // points back at itself
    EXPECT_EQ(decode(loop, &m), SLP_DECODE_BAD_BODY);
    auto [beyond, at4] = withExt(0x0002, 0);
    beyond[9] = 0xF0; // first extension past the end
    EXPECT_EQ(decode(beyond, &m), SLP_DECODE_BAD_BODY);
}

TEST(SlpMsg, FieldsTooLongForTheirLengthFieldAreNotEncoded)
{
    std::vector<U8> out;
    std::string huge(70000, 'a');
    EXPECT_FALSE(SLP_MSG_bEncodeAttrRply(&out, 1, 0, "en", 0, huge));
    EXPECT_FALSE(SLP_MSG_bEncodeSrvTypeRqst(&out, 1, 0, "en", "", FALSE, huge, "S"));
}
