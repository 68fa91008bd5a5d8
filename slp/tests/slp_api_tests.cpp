// The SLP API end to end on loopback inside one process: this process's
// service agent answers its own user agent over real sockets, and a fake
// peer on the multicast group plays another unit, sound or broken.
#include "slp/slp.h"
#include "slp/slp_config.h"
#include "slp/slp_msg.h"
#include "slp/slp_sa.h"
#include "slp/slp_ua.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* kSonarUrl = "service:sonar2DStream.velmora://127.0.0.1:50688/base";
const char* kSonarAttrs = "(service=sonar2DStream),(instance=base),(address=127.0.0.1),(port=50688),(key=1)";
const char* kAuxUrl = "service:sonar2DStream.velmora://127.0.0.1:50688/aux";
const char* kGpsUrl = "service:gpsStream.velmora://127.0.0.1:50560/NULL";

U16 freeUdpPort()
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, (sockaddr*)&sa, sizeof sa);
    socklen_t len = sizeof sa;
    getsockname(fd, (sockaddr*)&sa, &len);
    close(fd);
    return ntohs(sa.sin_port);
}

struct Call {
    std::string text; // "" for null
    SLPError err;
};

SLPBoolean recordUrl(SLPHandle, const char* url, unsigned short, SLPError err, void* cookie)
{
    ((std::vector<Call>*)cookie)->push_back({url ? url : "", err});
    return SLP_TRUE;
}

SLPBoolean recordText(SLPHandle, const char* text, SLPError err, void* cookie)
{
    ((std::vector<Call>*)cookie)->push_back({text ? text : "", err});
    return SLP_TRUE;
}

void regReport(SLPHandle, SLPError err, void* cookie)
{
    *(SLPError*)cookie = err;
}

bool waitFor(const std::function<bool()>& cond, int ms = 3000)
{
    for (int i = 0; i < ms / 10; i++) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return cond();
}

class SlpApi : public ::testing::Test {
protected:
    void SetUp() override
    {
        SLP_SA_vStop();
        SLP_CONFIG_vDefaults(&cfg_);
        strcpy(cfg_.acInterface, "lo");
        cfg_.u32Address = htonl(INADDR_LOOPBACK);
        cfg_.u16Port = freeUdpPort();
        cfg_.au32McastWaits[0] = cfg_.au32McastWaits[1] = 80;
        cfg_.u32McastWaitCount = 2;
        cfg_.u32McastMaxWait = 1000;
        cfg_.au32UnicastWaits[0] = cfg_.au32UnicastWaits[1] = 100;
        cfg_.u32UnicastWaitCount = 2;
        cfg_.u8Ttl = 1;
        SLP_CONFIG_vSet(&cfg_);
        ASSERT_EQ(SLPOpen("en", SLP_FALSE, &h_), SLP_OK);
        ASSERT_TRUE(waitFor([] { return SLP_SA_bListening() != 0; }));
    }
    void TearDown() override
    {
        SLPClose(h_);
        SLP_SA_vStop();
        SLP_CONFIG defaults;
        SLP_CONFIG_vDefaults(&defaults);
        SLP_CONFIG_vSet(&defaults);
    }

    SLPError reg(const char* url, const char* attrs)
    {
        SLPError cb = SLP_INTERNAL_SYSTEM_ERROR;
        SLPError e = SLPReg(h_, url, SLP_LIFETIME_MAXIMUM, "", attrs, SLP_TRUE, regReport, &cb);
        EXPECT_EQ(e, cb);
        return e;
    }

    std::vector<Call> find(const char* type, const char* filter, SLPError* result = nullptr)
    {
        std::vector<Call> calls;
        SLPError e = SLPFindSrvs(h_, type, "", filter, recordUrl, &calls);
        if (result)
            *result = e;
        return calls;
    }

    SLP_CONFIG cfg_;
    SLPHandle h_ = nullptr;
};

using Calls = std::vector<Call>;

bool operator==(const Call& a, const Call& b)
{
    return a.text == b.text && a.err == b.err;
}

std::ostream& operator<<(std::ostream& os, const Call& c)
{
    return os << "{" << c.text << ", " << c.err << "}";
}

// Plays another unit's agent on the group: records the requests it sees and
// answers each with the datagrams the test gives it, sent from its own
// loopback address.
class FakePeer {
public:
    // Builds the answer to one request (empty: stay silent). Given before
    // the peer's thread starts, which is the only one to call it.
    typedef std::function<std::vector<U8>(const SLP_MSG&)> ANSWER;

    FakePeer(const SLP_CONFIG& cfg, const char* address, ANSWER answer) : cfg_(cfg), answer_(std::move(answer))
    {
        listen_ = socket(AF_INET, SOCK_DGRAM, 0);
        int one = 1;
        setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = cfg.u32Group;
        sa.sin_port = htons(cfg.u16Port);
        bind(listen_, (sockaddr*)&sa, sizeof sa);
        ip_mreqn join{};
        join.imr_multiaddr.s_addr = cfg.u32Group;
        join.imr_ifindex = (int)if_nametoindex("lo");
        setsockopt(listen_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join);
        send_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in me{};
        me.sin_family = AF_INET;
        me.sin_addr.s_addr = inet_addr(address);
        bind(send_, (sockaddr*)&me, sizeof me);
        thread_ = std::thread([this] { run(); });
    }
    ~FakePeer()
    {
        stop_ = true;
        thread_.join();
        close(listen_);
        close(send_);
    }
    std::vector<std::string> prLists()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return prLists_;
    }

private:
    void run()
    {
        std::vector<U8> buf(65536);
        while (!stop_) {
            pollfd p{listen_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n = recvfrom(listen_, buf.data(), buf.size(), 0, (sockaddr*)&from, &len);
            SLP_MSG m;
            if (n <= 0 || SLP_MSG_eDecode(buf.data(), (size_t)n, &m) != SLP_DECODE_OK ||
                m.Header.u8Function != SLP_FN_SRVRQST)
                continue;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                prLists_.emplace_back(m.PrList);
            }
            std::vector<U8> reply = answer_ ? answer_(m) : std::vector<U8>{};
            if (!reply.empty())
                sendto(send_, reply.data(), reply.size(), 0, (sockaddr*)&from, len);
        }
    }
    SLP_CONFIG cfg_;
    const ANSWER answer_;
    int listen_ = -1;
    int send_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> prLists_;
};

} // namespace

TEST_F(SlpApi, RegisteredServicesAreFoundByMulticastAndByUnicast)
{
    ASSERT_EQ(reg(kSonarUrl, kSonarAttrs), SLP_OK);
    ASSERT_EQ(reg(kAuxUrl, "(service=sonar2DStream),(instance=aux)"), SLP_OK);
    ASSERT_EQ(reg(kGpsUrl, "(service=gpsStream),(instance=NULL)"), SLP_OK);

    SLPError e;
    Calls calls = find("service:sonar2DStream.velmora", "(instance=base)", &e);
    EXPECT_EQ(e, SLP_OK);
    EXPECT_EQ(calls, (Calls{{kSonarUrl, SLP_OK}, {"", SLP_LAST_CALL}}));
    // Without "service:" the type means the same.
    EXPECT_EQ(find("gpsStream.velmora", ""), (Calls{{kGpsUrl, SLP_OK}, {"", SLP_LAST_CALL}}));
    EXPECT_EQ(find("service:radarMaster.velmora", ""), (Calls{{"", SLP_LAST_CALL}}));

    ASSERT_EQ(SLPAssociateIP(h_, "127.0.0.1"), SLP_OK);
    EXPECT_EQ(find("service:sonar2DStream.velmora", "(&(instance=aux)(service=sonar2DStream))"),
              (Calls{{kAuxUrl, SLP_OK}, {"", SLP_LAST_CALL}}));
    EXPECT_EQ(find("service:radarMaster.velmora", ""), (Calls{{"", SLP_LAST_CALL}}));

    SLPError cb;
    ASSERT_EQ(SLPDereg(h_, kAuxUrl, regReport, &cb), SLP_OK);
    EXPECT_EQ(cb, SLP_OK);
    EXPECT_EQ(SLPDereg(h_, kAuxUrl, regReport, &cb), SLP_INVALID_REGISTRATION);
    EXPECT_EQ(cb, SLP_INVALID_REGISTRATION);
    ASSERT_EQ(SLPAssociateIP(h_, nullptr), SLP_OK);
    EXPECT_EQ(find("service:sonar2DStream.velmora", ""), (Calls{{kSonarUrl, SLP_OK}, {"", SLP_LAST_CALL}}));
}

TEST_F(SlpApi, AttributesAndServiceTypesComeBackAsOneListEach)
{
    ASSERT_EQ(reg(kSonarUrl, kSonarAttrs), SLP_OK);
    ASSERT_EQ(reg(kGpsUrl, "(service=gpsStream)"), SLP_OK);
    ASSERT_EQ(reg("service:printer:lpr://127.0.0.1/q", ""), SLP_OK);

    Calls calls;
    ASSERT_EQ(SLPFindAttrs(h_, kSonarUrl, "", "", recordText, &calls), SLP_OK);
    EXPECT_EQ(calls, (Calls{{kSonarAttrs, SLP_OK}, {"", SLP_LAST_CALL}}));
    calls.clear();
    ASSERT_EQ(SLPFindAttrs(h_, kSonarUrl, "", "key,port", recordText, &calls), SLP_OK);
    EXPECT_EQ(calls, (Calls{{"(port=50688),(key=1)", SLP_OK}, {"", SLP_LAST_CALL}}));

    calls.clear();
    ASSERT_EQ(SLPFindSrvTypes(h_, "velmora", "", recordText, &calls), SLP_OK);
    EXPECT_EQ(calls, (Calls{{"service:sonar2DStream.velmora,service:gpsStream.velmora", SLP_OK},
                            {"", SLP_LAST_CALL}}));
    calls.clear();
    ASSERT_EQ(SLPFindSrvTypes(h_, "*", "", recordText, &calls), SLP_OK);
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_NE(calls[0].text.find("service:printer:lpr"), std::string::npos);
    calls.clear();
    ASSERT_EQ(SLPFindSrvTypes(h_, "nobody", "", recordText, &calls), SLP_OK);
    EXPECT_EQ(calls, (Calls{{"", SLP_LAST_CALL}}));
}

TEST_F(SlpApi, CallbacksEndTheOperationWhenTheyReturnFalse)
{
    for (const char* i : {"a", "b", "c"}) {
        std::string url = std::string("service:client.velmora://127.0.0.1:49152/") + i;
        ASSERT_EQ(reg(url.c_str(), "(service=client)"), SLP_OK);
    }
    int count = 0;
    auto firstOnly = [](SLPHandle, const char*, unsigned short, SLPError, void* c) -> SLPBoolean {
        ++*(int*)c;
        return SLP_FALSE;
    };
    EXPECT_EQ(SLPFindSrvs(h_, "service:client.velmora", "", "", firstOnly, &count), SLP_OK);
    EXPECT_EQ(count, 1);
}

TEST_F(SlpApi, ErrorsReachBothTheCallbackAndTheCaller)
{
    // No agent at this address: the unicast request times out.
    ASSERT_EQ(SLPAssociateIP(h_, "127.0.0.9"), SLP_OK);
    SLPError e;
    Calls calls = find("service:sonar2DStream.velmora", "", &e);
    EXPECT_EQ(e, SLP_NETWORK_TIMED_OUT);
    EXPECT_EQ(calls, (Calls{{"", SLP_NETWORK_TIMED_OUT}}));
    ASSERT_EQ(SLPAssociateIP(h_, ""), SLP_OK);

    calls = find("service:sonar2DStream.velmora", "(instance=", &e);
    EXPECT_EQ(e, SLP_PARSE_ERROR);
    EXPECT_EQ(calls, (Calls{{"", SLP_PARSE_ERROR}}));

    // An agent refusing a unicast request: another scope.
    ASSERT_EQ(SLPAssociateIP(h_, "127.0.0.1"), SLP_OK);
    calls.clear();
    e = SLPFindSrvs(h_, "service:sonar2DStream.velmora", "ELSEWHERE", "", recordUrl, &calls);
    EXPECT_EQ(e, SLP_SCOPE_NOT_SUPPORTED);
    EXPECT_EQ(calls, (Calls{{"", SLP_SCOPE_NOT_SUPPORTED}}));
}

TEST_F(SlpApi, BadArgumentsAreRefusedAtTheDoor)
{
    SLPHandle h;
    EXPECT_EQ(SLPOpen("en", SLP_TRUE, &h), SLP_NOT_IMPLEMENTED);
    EXPECT_EQ(SLPOpen("en", SLP_FALSE, nullptr), SLP_PARAMETER_BAD);
    SLPError cb;
    EXPECT_EQ(SLPReg(nullptr, kSonarUrl, 10, "", "", SLP_TRUE, regReport, &cb), SLP_PARAMETER_BAD);
    EXPECT_EQ(SLPReg(h_, kSonarUrl, 0, "", "", SLP_TRUE, regReport, &cb), SLP_PARAMETER_BAD);
    EXPECT_EQ(SLPReg(h_, "", 10, "", "", SLP_TRUE, regReport, &cb), SLP_PARAMETER_BAD);
    EXPECT_EQ(SLPReg(h_, kSonarUrl, 10, "", "", SLP_TRUE, nullptr, &cb), SLP_PARAMETER_BAD);
    EXPECT_EQ(SLPReg(h_, "no url", 10, "", "", SLP_TRUE, regReport, &cb), SLP_INVALID_REGISTRATION);
    EXPECT_EQ(SLPReg(h_, kSonarUrl, 10, "", "", SLP_FALSE, regReport, &cb), SLP_INVALID_UPDATE);
    EXPECT_EQ(SLPFindSrvs(h_, "", "", "", recordUrl, nullptr), SLP_PARAMETER_BAD);
    EXPECT_EQ(SLPFindSrvs(h_, "service:x", "", "", nullptr, nullptr), SLP_PARAMETER_BAD);
    EXPECT_EQ(SLPFindAttrs(h_, nullptr, "", "", recordText, nullptr), SLP_PARAMETER_BAD);
    EXPECT_EQ(SLPAssociateIP(h_, "192.0.2"), SLP_PARAMETER_BAD);
    EXPECT_EQ(SLPAssociateIP(nullptr, "127.0.0.1"), SLP_PARAMETER_BAD);
}

TEST_F(SlpApi, AHandleServesOneCallAtATime)
{
    ASSERT_EQ(reg(kSonarUrl, kSonarAttrs), SLP_OK);
    struct Nest {
        SLPHandle h;
        SLPError inner = SLP_OK;
    } nest{h_};
    auto reenter = [](SLPHandle h, const char* url, unsigned short, SLPError, void* c) -> SLPBoolean {
        if (url)
            ((Nest*)c)->inner = SLPFindSrvs(h, "service:x", "", "", recordUrl, nullptr);
        return SLP_TRUE;
    };
    EXPECT_EQ(SLPFindSrvs(h_, "service:sonar2DStream.velmora", "", "", reenter, &nest), SLP_OK);
    EXPECT_EQ(nest.inner, SLP_HANDLE_IN_USE);
    // The handle is free again afterwards.
    EXPECT_EQ(find("service:sonar2DStream.velmora", "").size(), 2u);
}

TEST_F(SlpApi, BrokenDatagramsFromTheNetworkAreDroppedAndCounted)
{
    ASSERT_EQ(reg(kSonarUrl, kSonarAttrs), SLP_OK);
    SLP_SA_STATS before, after;
    SLP_SA_vGetStats(&before);

    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ip_mreqn mif{};
    mif.imr_ifindex = (int)if_nametoindex("lo");
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &mif, sizeof mif);
    std::vector<U8> good;
    SLP_MSG_bEncodeSrvRqst(&good, 9, SLP_FLAG_MCAST, "en", "", "service:sonar2DStream.velmora", "DEFAULT", "");
    std::vector<std::vector<U8>> junk = {
        {},
        {2},
        std::vector<U8>(good.begin(), good.end() - 1),
        std::vector<U8>(2000, 0x02),
    };
    std::vector<U8> lying = good;
    lying[19] = 0xFF; // a string length past the end
    junk.push_back(lying);
    int sent = 0;
    for (U32 to : {cfg_.u32Group, cfg_.u32Address}) {
        for (const auto& j : junk) {
            sockaddr_in sa{};
            sa.sin_family = AF_INET;
            sa.sin_addr.s_addr = to;
            sa.sin_port = htons(cfg_.u16Port);
            sendto(fd, j.data(), j.size(), 0, (sockaddr*)&sa, sizeof sa);
            sent++;
        }
    }
    close(fd);
    EXPECT_TRUE(waitFor([&] {
        SLP_SA_vGetStats(&after);
        return after.u32Malformed - before.u32Malformed >= (U32)sent;
    }));
    EXPECT_EQ(after.u32Malformed - before.u32Malformed, (U32)sent);
    EXPECT_EQ(SLP_SA_u32Count(), 1u);
    EXPECT_EQ(find("service:sonar2DStream.velmora", ""), (Calls{{kSonarUrl, SLP_OK}, {"", SLP_LAST_CALL}}));
}

TEST_F(SlpApi, MulticastCollectsEveryAgentAndRetransmitsWithTheResponders)
{
    ASSERT_EQ(reg(kSonarUrl, kSonarAttrs), SLP_OK);
    const char* peerUrl = "service:sonar2DStream.velmora://127.0.0.5:50688/base";
    FakePeer peer(cfg_, "127.0.0.5", [&](const SLP_MSG& m) {
        std::vector<U8> out;
        if (m.PrList.find("127.0.0.5") == std::string_view::npos)
            SLP_MSG_bEncodeSrvRply(&out, m.Header.u16Xid, 0, "en", 0, {{300, peerUrl}});
        return out;
    });
    FakePeer liar(cfg_, "127.0.0.6", [&](const SLP_MSG& m) {
        std::vector<U8> out;
        SLP_MSG_bEncodeSrvRply(&out, m.Header.u16Xid, 0, "en", 0, {{300, "service:evil://x"}});
        out.push_back(0); // one byte more than the length says
        return out;
    });
    U32 malformedBefore = SLP_UA_u32Malformed();
    Calls calls = find("service:sonar2DStream.velmora", "");
    ASSERT_EQ(calls.size(), 3u);
    std::vector<std::string> urls = {calls[0].text, calls[1].text};
    std::sort(urls.begin(), urls.end());
    EXPECT_EQ(urls, (std::vector<std::string>{kSonarUrl, peerUrl}));
    EXPECT_EQ(calls[2], (Call{"", SLP_LAST_CALL}));
    EXPECT_GT(SLP_UA_u32Malformed(), malformedBefore);

    // The first request went out with no responders, the retransmission
    // named both agents that had answered (and not the broken one).
    std::vector<std::string> seen = peer.prLists();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], "");
    EXPECT_NE(seen[1].find("127.0.0.5"), std::string::npos);
    EXPECT_NE(seen[1].find("127.0.0.1"), std::string::npos);
    EXPECT_EQ(seen[1].find("127.0.0.6"), std::string::npos);
}
