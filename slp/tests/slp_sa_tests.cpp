// The service agent's answers, driven datagram by datagram through its
// handler: which registrations a request finds, when the agent keeps quiet,
// how lifetimes run out, and that broken datagrams change nothing.
#include "kernel/l_clock.h"
#include "slp/slp_msg.h"
#include "slp/slp_sa.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* kSonarUrl = "service:sonar2DStream.velmora://192.0.2.20:50688/base";
const char* kSonarAttrs = "(service=sonar2DStream),(instance=base),(address=192.0.2.20),(port=50688),"
                          "(unitname=Bow), (unitmodel=3)";
const char* kGpsUrl = "service:gpsStream.velmora://192.0.2.20:50560/aux";
const char* kGpsAttrs = "(service=gpsStream),(instance=aux),(address=192.0.2.20),(port=50560),(fix=5)";
const char* kUpdateUrl = "service:ethhost.velmora:0100:00001234:0000abcd:4d425ce7://192.0.2.20,50001";
const char* kPrinterUrl = "service:printer:lpr://192.0.2.20/queue";

class SlpSa : public ::testing::Test {
protected:
    void SetUp() override
    {
        SLP_SA_vStop(); // forgets every registration
        L_CLOCK_vResetTestClock();
        ctx_.bMulticast = FALSE;
        ctx_.u32OwnAddress = inet_addr("192.0.2.20");
        ctx_.u16Mtu = 1400;
        ctx_.pcScopes = "DEFAULT";
        ASSERT_EQ(reg(kSonarUrl, kSonarAttrs), SLP_WE_OK);
        ASSERT_EQ(reg(kGpsUrl, kGpsAttrs), SLP_WE_OK);
        ASSERT_EQ(reg(kUpdateUrl, ""), SLP_WE_OK);
        ASSERT_EQ(reg(kPrinterUrl, "(color=true)"), SLP_WE_OK);
    }
    void TearDown() override
    {
        SLP_SA_vStop();
        L_CLOCK_vResetTestClock();
    }

    static U16 reg(const char* url, const char* attrs, U16 lifetime = 65535, BOOLEAN fresh = TRUE,
                   const char* lang = "en")
    {
        return SLP_SA_u16Register(url, "", lang, "DEFAULT", attrs, lifetime, fresh);
    }

    // Runs one request; false when the agent stays silent.
    bool ask(const std::vector<U8>& request, SLP_MSG* reply, bool multicast = false)
    {
        ctx_.bMulticast = multicast ? TRUE : FALSE;
        if (!SLP_SA_bHandle(request.data(), request.size(), &ctx_, &out_))
            return false;
        EXPECT_LE(out_.size(), ctx_.u16Mtu);
        EXPECT_EQ(SLP_MSG_eDecode(out_.data(), out_.size(), reply), SLP_DECODE_OK);
        return true;
    }

    std::vector<std::string> findUrls(const char* type, const char* filter, bool multicast = false,
                                      const char* scopes = "DEFAULT", const char* prList = "")
    {
        std::vector<U8> rq;
        SLP_MSG_bEncodeSrvRqst(&rq, 42, multicast ? SLP_FLAG_MCAST : 0, "en", prList, type, scopes, filter);
        SLP_MSG reply;
        std::vector<std::string> urls;
        if (!ask(rq, &reply, multicast)) {
            urls.push_back("<silent>");
            return urls;
        }
        EXPECT_EQ(reply.Header.u16Xid, 42);
        EXPECT_EQ(reply.Header.u8Function, SLP_FN_SRVRPLY);
        if (reply.u16Error != 0)
            urls.push_back("<error " + std::to_string(reply.u16Error) + ">");
        for (const SLP_URL_ENTRY& e : reply.Urls)
            urls.emplace_back(e.Url);
        return urls;
    }

    SLP_SA_CONTEXT ctx_{};
    std::vector<U8> out_;
};

using V = std::vector<std::string>;

} // namespace

TEST_F(SlpSa, ServiceRequestsFindRegistrationsByTypeAndFilter)
{
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", ""), V{kSonarUrl});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "(&(instance=base)(address=192.0.2.20))"),
              V{kSonarUrl});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "(&(instance=aux)(address=192.0.2.20))"), V{});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "(unitmodel>=3)"), V{kSonarUrl});
    EXPECT_EQ(findUrls("service:gpsStream.velmora", "(fix=5)"), V{kGpsUrl});
    EXPECT_EQ(findUrls("service:ethhost.velmora", ""), V{kUpdateUrl});
    EXPECT_EQ(findUrls("service:printer", ""), V{kPrinterUrl});
    EXPECT_EQ(findUrls("service:radarMaster.velmora", ""), V{});
    // Unicast errors are answered; the same requests by multicast are not.
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "(instance=base"), V{"<error 2>"});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "", false, "OTHER"), V{"<error 4>"});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "", false, ""), V{"<error 4>"});
}

TEST_F(SlpSa, MulticastIsAnsweredOnlyWithResultsAndOnlyOnce)
{
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "", true), V{kSonarUrl});
    EXPECT_EQ(findUrls("service:radarMaster.velmora", "", true), V{"<silent>"});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "(instance=base", true), V{"<silent>"});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "", true, "OTHER"), V{"<silent>"});
    // Listed among the previous responders: already answered.
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "", true, "DEFAULT", "192.0.2.9,192.0.2.20"),
              V{"<silent>"});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "", true, "DEFAULT", "192.0.2.9"), V{kSonarUrl});
}

TEST_F(SlpSa, RegistrationsLiveForTheirLifetimeOrUntilDeregistered)
{
    const char* shortUrl = "service:navigation.velmora://192.0.2.20:50816/base";
    ASSERT_EQ(reg(shortUrl, "(service=navigation)", 60), SLP_WE_OK);
    L_CLOCK_vAdvanceTestClock(20000);
    std::vector<U8> rq;
    SLP_MSG_bEncodeSrvRqst(&rq, 1, 0, "en", "", "service:navigation.velmora", "DEFAULT", "");
    SLP_MSG reply;
    ASSERT_TRUE(ask(rq, &reply));
    ASSERT_EQ(reply.Urls.size(), 1u);
    EXPECT_EQ(reply.Urls[0].u16Lifetime, 40);

    U32 before = SLP_SA_u32Count();
    L_CLOCK_vAdvanceTestClock(40000);
    EXPECT_EQ(findUrls("service:navigation.velmora", ""), V{});
    EXPECT_EQ(SLP_SA_u32Count(), before - 1);

    // The maximum lifetime never runs out.
    L_CLOCK_vAdvanceTestClock(70000000ULL);
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", ""), V{kSonarUrl});
    SLP_MSG_bEncodeSrvRqst(&rq, 1, 0, "en", "", "service:sonar2DStream.velmora", "DEFAULT", "");
    ASSERT_TRUE(ask(rq, &reply));
    EXPECT_EQ(reply.Urls[0].u16Lifetime, 65535);

    EXPECT_EQ(SLP_SA_u16Deregister(kSonarUrl, "en"), SLP_WE_OK);
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", ""), V{});
    EXPECT_EQ(SLP_SA_u16Deregister(kSonarUrl, "en"), SLP_WE_INVALID_REGISTRATION);
}

TEST_F(SlpSa, RegistrationRulesForFreshUpdatesAndBadInput)
{
    // A fresh registration of the same URL replaces the old one.
    ASSERT_EQ(reg(kSonarUrl, "(service=sonar2DStream),(instance=base),(unitmodel=9)"), SLP_WE_OK);
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "(unitmodel=9)"), V{kSonarUrl});
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "(unitmodel=3)"), V{});
    // An update needs an existing registration.
    EXPECT_EQ(reg("service:client.velmora://192.0.2.20:49152/base", "", 100, FALSE), SLP_WE_INVALID_UPDATE);
    EXPECT_EQ(reg(kSonarUrl, "", 100, FALSE), SLP_WE_OK);
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", "(unitmodel=9)"), V{kSonarUrl});

    U32 count = SLP_SA_u32Count();
    EXPECT_EQ(reg("not a url", ""), SLP_WE_INVALID_REGISTRATION);
    EXPECT_EQ(reg("service:x://h:99999/", ""), SLP_WE_INVALID_REGISTRATION);
    EXPECT_EQ(reg("service:x://h/", "", 0), SLP_WE_INVALID_REGISTRATION);
    EXPECT_EQ(reg("service:x://h/", "(a=1"), SLP_WE_INVALID_REGISTRATION);
    EXPECT_EQ(reg("http://h/", ""), SLP_WE_INVALID_REGISTRATION); // no type given
    EXPECT_EQ(SLP_SA_u32Count(), count);
}

TEST_F(SlpSa, AttributeRequestsByUrlAndByType)
{
    auto attrs = [&](const char* target, const char* tags, bool multicast = false) -> std::string {
        std::vector<U8> rq;
        SLP_MSG_bEncodeAttrRqst(&rq, 5, multicast ? SLP_FLAG_MCAST : 0, "en", "", target, "DEFAULT", tags);
        SLP_MSG reply;
        if (!ask(rq, &reply, multicast))
            return "<silent>";
        EXPECT_EQ(reply.u16Error, 0);
        return std::string(reply.Attrs);
    };
    EXPECT_EQ(attrs(kSonarUrl, ""), kSonarAttrs); // as registered, spacing and all
    EXPECT_EQ(attrs(kSonarUrl, "port,unitname"), "(port=50688),(unitname=Bow)");
    EXPECT_EQ(attrs(kSonarUrl, "queue"), "");
    EXPECT_EQ(attrs("service:x://nowhere/", ""), "");
    EXPECT_EQ(attrs("service:x://nowhere/", "", true), "<silent>");
    EXPECT_EQ(attrs(kSonarUrl, "queue", true), "<silent>");
    EXPECT_EQ(attrs("service:gpsStream.velmora", "fix"), "(fix=5)");
}

TEST_F(SlpSa, ServiceTypeRequestsListTypesOfANamingAuthority)
{
    auto types = [&](BOOLEAN all, const char* na, bool multicast = false) -> std::string {
        std::vector<U8> rq;
        SLP_MSG_bEncodeSrvTypeRqst(&rq, 6, multicast ? SLP_FLAG_MCAST : 0, "en", "", all, na, "DEFAULT");
        SLP_MSG reply;
        if (!ask(rq, &reply, multicast))
            return "<silent>";
        return std::string(reply.Types);
    };
    EXPECT_EQ(types(FALSE, "velmora"), "service:sonar2DStream.velmora,service:gpsStream.velmora,"
                                       "service:ethhost.velmora:0100:00001234:0000abcd:4d425ce7");
    EXPECT_EQ(types(FALSE, ""), "service:printer:lpr");
    EXPECT_EQ(types(TRUE, ""), "service:sonar2DStream.velmora,service:gpsStream.velmora,"
                               "service:ethhost.velmora:0100:00001234:0000abcd:4d425ce7,service:printer:lpr");
    EXPECT_EQ(types(FALSE, "other"), "");
    EXPECT_EQ(types(FALSE, "other", true), "<silent>");
}

TEST_F(SlpSa, AnswersThatDoNotFitADatagramAreCutAndFlagged)
{
    for (int i = 0; i < 60; i++) {
        std::string url = "service:client.velmora://192.0.2." + std::to_string(i) + ":49152/instance-with-a-long-name";
        ASSERT_EQ(reg(url.c_str(), "(service=client)"), SLP_WE_OK);
    }
    std::vector<U8> rq;
    SLP_MSG_bEncodeSrvRqst(&rq, 1, 0, "en", "", "service:client.velmora", "DEFAULT", "");
    SLP_MSG reply;
    ASSERT_TRUE(ask(rq, &reply));
    EXPECT_TRUE(reply.Header.u8Flags & SLP_FLAG_OVERFLOW);
    EXPECT_GT(reply.Urls.size(), 10u);
    EXPECT_LT(reply.Urls.size(), 60u);
}

TEST_F(SlpSa, ServiceAgentRequestsGetAnAdvert)
{
    std::vector<U8> rq;
    SLP_MSG_bEncodeSrvRqst(&rq, 3, SLP_FLAG_MCAST, "en", "", "service:service-agent", "", "");
    SLP_MSG reply;
    ASSERT_TRUE(ask(rq, &reply, true));
    EXPECT_EQ(reply.Header.u8Function, SLP_FN_SAADVERT);
    EXPECT_EQ(reply.Url, "service:service-agent://192.0.2.20");
    EXPECT_EQ(reply.Scopes, "DEFAULT");
    // Directory agents are asked for with the same kind of request; we are none.
    SLP_MSG_bEncodeSrvRqst(&rq, 3, SLP_FLAG_MCAST, "en", "", "service:directory-agent", "", "");
    EXPECT_FALSE(ask(rq, &reply, true));
}

TEST_F(SlpSa, BrokenDatagramsAreDroppedCountedAndChangeNothing)
{
    SLP_SA_STATS before, after;
    SLP_SA_vGetStats(&before);
    U32 count = SLP_SA_u32Count();

    std::vector<U8> good;
    SLP_MSG_bEncodeSrvRqst(&good, 77, 0, "en", "", "service:sonar2DStream.velmora", "DEFAULT", "");
    std::vector<std::vector<U8>> broken;
    for (size_t n = 0; n < good.size(); n++)
        broken.emplace_back(good.begin(), good.begin() + (long)n);
    std::vector<U8> v1 = good;
    v1[0] = 1;
    broken.push_back(v1);
    broken.push_back(std::vector<U8>(300, 0xFF));
    for (const auto& b : broken) {
        SLP_MSG none;
        EXPECT_FALSE(ask(b, &none, true));
    }
    SLP_SA_vGetStats(&after);
    EXPECT_EQ(after.u32Malformed - before.u32Malformed, broken.size());
    EXPECT_EQ(SLP_SA_u32Count(), count);

    // Sent to us alone, a request whose body is broken gets a parse error.
    std::vector<U8> badBody = good;
    badBody[good.size() - 1] = 9; // SPI length past the end
    SLP_MSG reply;
    ASSERT_TRUE(ask(badBody, &reply, false));
    EXPECT_EQ(reply.Header.u16Xid, 77);
    EXPECT_EQ(reply.u16Error, SLP_WE_PARSE_ERROR);
    // And the agent still answers sound requests.
    EXPECT_EQ(findUrls("service:sonar2DStream.velmora", ""), V{kSonarUrl});
}

TEST_F(SlpSa, RequestsInAnotherLanguageOrWithAuthenticationAreRefused)
{
    std::vector<U8> rq;
    SLP_MSG_bEncodeSrvRqst(&rq, 1, 0, "de", "", "service:sonar2DStream.velmora", "DEFAULT", "");
    SLP_MSG reply;
    ASSERT_TRUE(ask(rq, &reply));
    EXPECT_EQ(reply.u16Error, SLP_WE_LANGUAGE_NOT_SUPPORTED);
    EXPECT_TRUE(reply.Urls.empty());
    ASSERT_EQ(reg(kSonarUrl, kSonarAttrs, 65535, TRUE, "de"), SLP_WE_OK);
    ASSERT_TRUE(ask(rq, &reply));
    EXPECT_EQ(reply.u16Error, 0);
    EXPECT_EQ(reply.Urls.size(), 1u);

    // The same request asking for an authenticated answer (SPI "x").
    SLP_MSG_bEncodeSrvRqst(&rq, 1, 0, "en", "", "service:sonar2DStream.velmora", "DEFAULT", "");
    rq[rq.size() - 1] = 1;
    rq.push_back('x');
    rq[4] = (U8)rq.size();
    ASSERT_TRUE(ask(rq, &reply));
    EXPECT_EQ(reply.u16Error, SLP_WE_AUTHENTICATION_UNKNOWN);
    EXPECT_TRUE(reply.Urls.empty());
}
