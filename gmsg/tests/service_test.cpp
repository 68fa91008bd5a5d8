// Service registration and search on loopback inside one process. The
// unit's own SLP agent listens on 127.0.0.2; its "eth0" is lo, so its own
// address is 127.0.0.1, where a recording agent stands in for it in scoped
// searches; a second recording agent at 127.0.0.5 plays another unit and
// answers with whatever URLs, attributes and types a test gives it.
#include "gmsg/gsocket.h"
#include "gmsg/service.h"
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
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const U32 kSelf = inet_addr("127.0.0.1");  // the unit's own address ("eth0" = lo)
const U32 kAgent = inet_addr("127.0.0.2"); // where the unit's SLP agent listens
const U32 kOther = inet_addr("127.0.0.5"); // another unit

U16 freeUdpPort()
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = kAgent;
    bind(fd, (sockaddr*)&sa, sizeof sa);
    socklen_t len = sizeof sa;
    getsockname(fd, (sockaddr*)&sa, &len);
    close(fd);
    return ntohs(sa.sin_port);
}

std::string dotted(U32 a)
{
    in_addr x{a};
    return inet_ntoa(x);
}

// "URL|service|instance|address", instance "~" for none, address
// "a.b.c.d:port" or "queue:NAME".
std::string describe(const SERVICE_ENTRY& e)
{
    std::string s = std::string(e.pcURL ? e.pcURL : "?") + "|" + (e.pcService ? e.pcService : "?") + "|" +
                    (e.pcInstance ? e.pcInstance : "~") + "|";
    if (e.MsgAddress.MsgAddressType == GMSG_ADDRESS_SOCKET)
        return s + dotted(e.MsgAddress.uAddr.Socket.u32Address) + ":" +
               std::to_string(e.MsgAddress.uAddr.Socket.u32Port);
    return s + "queue:" + std::string(e.MsgAddress.uAddr.Queue.acName);
}

std::vector<std::string> describeAll(const SERVICE_SEARCH_INFO& info)
{
    std::vector<std::string> v;
    for (U32 i = 0; i < info.nCount; i++)
        v.push_back(describe(info.ServiceInfoArray[i]));
    std::sort(v.begin(), v.end());
    return v;
}

GMSG_ADDRESS socketAddress(const char* ip, U32 port)
{
    GMSG_ADDRESS a;
    GMSG_vMakeSocketAddress(&a, inet_addr(ip), port);
    return a;
}

GMSG_ADDRESS queueAddress(const char* name)
{
    GMSG_ADDRESS a;
    memset(&a, 0, sizeof a);
    a.MsgAddressType = SERVICE_ADDRESS_QUEUE;
    // Up to all 16 characters, with no terminator when the name fills them.
    memcpy(a.uAddr.Queue.acName, name, std::min(strlen(name), sizeof a.uAddr.Queue.acName));
    return a;
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

// One request as an agent saw it.
struct Seen {
    U8 function;
    bool multicast;
    std::string predicate; // of a service request
};

// An SLP agent that records the requests it gets and answers them from what
// the test gives it: every unicast request, and a multicast one when it has
// something to say and is not among the previous responders.
class RecordingAgent {
public:
    RecordingAgent(const SLP_CONFIG& cfg, U32 address, bool joinGroup) : address_(address)
    {
        unicast_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in me{};
        me.sin_family = AF_INET;
        me.sin_addr.s_addr = address;
        me.sin_port = htons(cfg.u16Port);
        bound_ = bind(unicast_, (sockaddr*)&me, sizeof me) == 0;
        if (joinGroup) {
            group_ = socket(AF_INET, SOCK_DGRAM, 0);
            int one = 1;
            setsockopt(group_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            sockaddr_in g{};
            g.sin_family = AF_INET;
            g.sin_addr.s_addr = cfg.u32Group;
            g.sin_port = htons(cfg.u16Port);
            bound_ = bound_ && bind(group_, (sockaddr*)&g, sizeof g) == 0;
            ip_mreqn join{};
            join.imr_multiaddr.s_addr = cfg.u32Group;
            join.imr_ifindex = (int)if_nametoindex("lo");
            setsockopt(group_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join);
        }
        thread_ = std::thread([this] { run(); });
    }
    ~RecordingAgent()
    {
        stop_ = true;
        thread_.join();
        close(unicast_);
        if (group_ >= 0)
            close(group_);
    }
    bool bound() const { return bound_; }

    void answerUrls(std::vector<std::string> urls)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        urls_ = std::move(urls);
    }
    void answerAttrs(const std::string& url, const std::string& attrs)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        attrs_[url] = attrs;
    }
    void answerTypes(const std::string& types)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        types_ = types;
    }
    // Answers service requests with a datagram one byte short.
    void answerTruncated(bool on) { truncated_ = on; }

    std::vector<Seen> seen()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }
    void forget()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.clear();
    }

private:
    void run()
    {
        std::vector<U8> buf(65536);
        while (!stop_) {
            pollfd p[2] = {{unicast_, POLLIN, 0}, {group_, POLLIN, 0}};
            if (poll(p, group_ >= 0 ? 2 : 1, 20) <= 0)
                continue;
            for (int k = 0; k < 2; k++) {
                if (!(p[k].revents & POLLIN))
                    continue;
                sockaddr_in from{};
                socklen_t len = sizeof from;
                ssize_t n = recvfrom(p[k].fd, buf.data(), buf.size(), 0, (sockaddr*)&from, &len);
                SLP_MSG m;
                if (n <= 0 || SLP_MSG_eDecode(buf.data(), (size_t)n, &m) != SLP_DECODE_OK)
                    continue;
                std::vector<U8> reply = answer(m, k == 1);
                if (!reply.empty())
                    sendto(unicast_, reply.data(), reply.size(), 0, (sockaddr*)&from, len);
            }
        }
    }

    std::vector<U8> answer(const SLP_MSG& m, bool multicast)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back({m.Header.u8Function, multicast, std::string(m.Predicate)});
        if (multicast && m.PrList.find(dotted(address_)) != std::string_view::npos)
            return {};
        std::vector<U8> out;
        const U16 xid = m.Header.u16Xid;
        switch (m.Header.u8Function) {
        case SLP_FN_SRVRQST: {
            if (multicast && urls_.empty())
                return {};
            std::vector<SLP_URL_ENTRY> entries;
            for (const std::string& u : urls_)
                entries.push_back({300, u});
            SLP_MSG_bEncodeSrvRply(&out, xid, 0, m.Header.Lang, 0, entries);
            if (truncated_)
                out.pop_back();
            break;
        }
        case SLP_FN_ATTRRQST: {
            auto it = attrs_.find(std::string(m.Url));
            if (multicast && it == attrs_.end())
                return {};
            SLP_MSG_bEncodeAttrRply(&out, xid, 0, m.Header.Lang, 0, it == attrs_.end() ? "" : it->second);
            break;
        }
        case SLP_FN_SRVTYPERQST:
            if (multicast && types_.empty())
                return {};
            SLP_MSG_bEncodeSrvTypeRply(&out, xid, 0, m.Header.Lang, 0, types_);
            break;
        default:
            break;
        }
        return out;
    }

    U32 address_;
    int unicast_ = -1;
    int group_ = -1;
    bool bound_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> truncated_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Seen> seen_;
    std::vector<std::string> urls_;
    std::map<std::string, std::string> attrs_;
    std::string types_;
};

class ServiceSlp : public ::testing::Test {
protected:
    void SetUp() override
    {
        SLP_SA_vStop();
        SLP_CONFIG_vDefaults(&cfg_);
        strcpy(cfg_.acInterface, "lo");
        cfg_.u32Address = kAgent;
        cfg_.u16Port = freeUdpPort();
        cfg_.au32McastWaits[0] = cfg_.au32McastWaits[1] = 80;
        cfg_.u32McastWaitCount = 2;
        cfg_.u32McastMaxWait = 1000;
        cfg_.au32UnicastWaits[0] = cfg_.au32UnicastWaits[1] = 150;
        cfg_.u32UnicastWaitCount = 2;
        cfg_.u8Ttl = 1;
        SLP_CONFIG_vSet(&cfg_);
        GSOCKET_vSetInterface("lo");
        h_ = SERVICE_hOpenServiceHandle();
        ASSERT_NE(h_, nullptr);
        ASSERT_TRUE(waitFor([] { return SLP_SA_bListening() != 0; }));
    }
    void TearDown() override
    {
        SERVICE_vCloseServiceHandle(h_);
        SLP_SA_vStop();
        SLP_CONFIG defaults;
        SLP_CONFIG_vDefaults(&defaults);
        SLP_CONFIG_vSet(&defaults);
        GSOCKET_vSetInterface(nullptr);
    }

    // Entries of one search, described and sorted; found tells the result.
    std::vector<std::string> search(const char* service, const char* instance, U32 ip, const char* filter,
                                    SERVICE_SEARCH_SCOPE scope, BOOLEAN* found = nullptr)
    {
        SERVICE_SEARCH_INFO info;
        BOOLEAN ok = SERVICE_bSearch(h_, &info, service, instance, ip, filter, scope);
        if (found)
            *found = ok;
        std::vector<std::string> v = describeAll(info);
        EXPECT_TRUE(SERVICE_bFreeSearchInfo(&info));
        EXPECT_EQ(info.nCount, 0u);
        EXPECT_EQ(info.ServiceInfoArray, nullptr);
        return v;
    }

    std::string attributesOf(const char* service, const char* instance)
    {
        SERVICE_SEARCH_INFO info;
        std::string out = "(no entry)";
        if (SERVICE_bSearch(h_, &info, service, instance, 0, nullptr, SERVICE_SEARCH_GLOBAL) && info.nCount == 1) {
            char* list = nullptr;
            out = "(no list)";
            if (SERVICE_bGetAttributes(h_, &info.ServiceInfoArray[0], "", &list) && list)
                out = list;
            SERVICE_bFreeAttribute(list);
        }
        SERVICE_bFreeSearchInfo(&info);
        return out;
    }

    SLP_CONFIG cfg_;
    SERVICE_HANDLE h_ = nullptr;
};

using Strings = std::vector<std::string>;

} // namespace

TEST_F(ServiceSlp, RegistrationsCarryTheExactUrlAndStandardAttributes)
{
    struct Case {
        const char* service;
        const char* instance;
        GMSG_ADDRESS address;
        const char* extra;
        const char* entry;
        const char* attrs;
    };
    const Case cases[] = {
        {"sonar2DStream", "", socketAddress("192.0.2.20", 50688), "(key=1)",
         "service:sonar2DStream.velmora://192.0.2.20:50688/NULL|sonar2DStream|~|192.0.2.20:50688",
         "(service=sonar2DStream),(instance=NULL),(address=192.0.2.20),(port=50688),(key=1)"},
        {"gpsStream", nullptr, socketAddress("192.0.2.20", 50560), nullptr,
         "service:gpsStream.velmora://192.0.2.20:50560/NULL|gpsStream|~|192.0.2.20:50560",
         "(service=gpsStream),(instance=NULL),(address=192.0.2.20),(port=50560),"},
        {"navigation", "base", socketAddress("10.1.2.3", 50816), "(unitname=Bow),(unitmodel=3)",
         "service:navigation.velmora://10.1.2.3:50816/base|navigation|base|10.1.2.3:50816",
         "(service=navigation),(instance=base),(address=10.1.2.3),(port=50816),(unitname=Bow),(unitmodel=3)"},
        // A queue service stands at the unit's own address with port 0.
        {"client", "aux", queueAddress("TSLC"), "(unitname=Bow)",
         "service:client.velmora://127.0.0.1:0/aux|client|aux|queue:TSLC",
         "(service=client),(instance=aux),(address=127.0.0.1),(queue=TSLC),(unitname=Bow)"},
    };
    for (const Case& c : cases)
        ASSERT_TRUE(SERVICE_bRegister(h_, c.service, c.instance, &c.address, c.extra)) << c.service;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.service);
        EXPECT_EQ(search(c.service, nullptr, 0, nullptr, SERVICE_SEARCH_GLOBAL), Strings{c.entry});
        EXPECT_EQ(attributesOf(c.service, nullptr), c.attrs);
    }

    // Withdrawn with the same arguments, each is gone; a second time fails.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.service);
        EXPECT_TRUE(SERVICE_bUnregister(h_, c.service, c.instance, &c.address));
        EXPECT_FALSE(SERVICE_bUnregister(h_, c.service, c.instance, &c.address));
    }
    EXPECT_EQ(SLP_SA_u32Count(), 0u);
    BOOLEAN found = FALSE;
    EXPECT_EQ(search("sonar2DStream", nullptr, 0, nullptr, SERVICE_SEARCH_GLOBAL, &found), Strings{});
    EXPECT_TRUE(found);
}

TEST_F(ServiceSlp, AttributeValuesAreReadFromAnEntrysList)
{
    GMSG_ADDRESS a = socketAddress("192.0.2.20", 50688);
    ASSERT_TRUE(SERVICE_bRegister(h_, "sonar2DStream", "base", &a, "(unitname=My Boat),(transducer=12)"));
    SERVICE_SEARCH_INFO info;
    ASSERT_TRUE(SERVICE_bSearch(h_, &info, "sonar2DStream", "base", 0, "", SERVICE_SEARCH_GLOBAL));
    ASSERT_EQ(info.nCount, 1u);
    char* list = nullptr;
    ASSERT_TRUE(SERVICE_bGetAttributes(h_, &info.ServiceInfoArray[0], "transducer,unitname", &list));
    ASSERT_NE(list, nullptr);
    EXPECT_STREQ(list, "(unitname=My Boat),(transducer=12)");
    struct Case {
        const char* id;
        const char* value; // null: not there
    };
    for (const Case& c : {Case{"unitname", "My Boat"}, Case{"transducer", "12"}, Case{"port", nullptr}}) {
        char* value = (char*)1;
        EXPECT_EQ(SERVICE_bParseAttribute(list, c.id, &value), c.value != nullptr) << c.id;
        if (c.value)
            EXPECT_STREQ(value, c.value);
        else
            EXPECT_EQ(value, nullptr);
        SERVICE_bFreeAttribute(value);
    }
    EXPECT_TRUE(SERVICE_bFreeAttribute(list));
    EXPECT_FALSE(SERVICE_bFreeAttribute(nullptr));
    SERVICE_bFreeSearchInfo(&info);
}

TEST_F(ServiceSlp, EachScopeSendsItsFilterToItsUnits)
{
    RecordingAgent self(cfg_, kSelf, true);
    RecordingAgent other(cfg_, kOther, false);
    ASSERT_TRUE(self.bound() && other.bound());
    struct Case {
        SERVICE_SEARCH_SCOPE scope;
        const char* instance;
        U32 ip;
        const char* filter;
        RecordingAgent* to;
        bool multicast;
        const char* predicate;
    };
    // The global searches come after scoped ones: a scope binds the handle
    // to its unit for that search only.
    const Case cases[] = {
        {SERVICE_SEARCH_LOCAL, "A", 0, nullptr, &self, false, "(&(instance=A)(address=127.0.0.1))"},
        {SERVICE_SEARCH_LOCAL, nullptr, kOther, "", &self, false, "(&(address=127.0.0.1))"},
        {SERVICE_SEARCH_ADDRESS, nullptr, kOther, "(key=1)", &other, false, "(&(address=127.0.0.5)(key=1))"},
        {SERVICE_SEARCH_ADDRESS, "", kOther, "(|(a=1)(b>=2))", &other, false,
         "(&(address=127.0.0.5)(|(a=1)(b>=2)))"},
        {SERVICE_SEARCH_GLOBAL, nullptr, kOther, nullptr, &self, true, ""},
        {SERVICE_SEARCH_GLOBAL, "A", 0, "", &self, true, "(&(instance=A))"},
        {SERVICE_SEARCH_GLOBAL, nullptr, 0, "(unitmodel>=5)", &self, true, "(&(unitmodel>=5))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.predicate);
        self.forget();
        other.forget();
        BOOLEAN found = FALSE;
        EXPECT_EQ(search("sonar2DStream", c.instance, c.ip, c.filter, c.scope, &found), Strings{});
        EXPECT_TRUE(found);
        std::vector<Seen> seen = c.to->seen();
        ASSERT_FALSE(seen.empty());
        for (const Seen& s : seen) {
            EXPECT_EQ(s.function, SLP_FN_SRVRQST);
            EXPECT_EQ(s.multicast, c.multicast);
            EXPECT_EQ(s.predicate, c.predicate);
        }
        RecordingAgent* bystander = c.to == &self ? &other : &self;
        EXPECT_TRUE(bystander->seen().empty());
    }
}

TEST_F(ServiceSlp, FoundUrlsBecomeEntriesWithGmsgAddresses)
{
    RecordingAgent other(cfg_, kOther, false);
    ASSERT_TRUE(other.bound());
    const std::string base = "service:sonar2DStream.velmora://127.0.0.5:";
    other.answerUrls({base + "50688/null", base + "50689/Aux", base + "50690", base + "0/q",
                      base + "0/long", "service:sonar2DStream.velmora:extra://127.0.0.5:50691/NULL"});
    other.answerAttrs(base + "0/q", "(service=sonar2DStream),(queue=TSLT)");
    other.answerAttrs(base + "0/long", "(queue=ABCDEFGHIJKLMNOP)");
    BOOLEAN found = FALSE;
    Strings got = search("sonar2DStream", nullptr, kOther, nullptr, SERVICE_SEARCH_ADDRESS, &found);
    EXPECT_TRUE(found);
    // "/null" in any case names no instance; a queue name that cannot fit
    // a queue address leaves its entry out.
    EXPECT_EQ(got, (Strings{base + "0/q|sonar2DStream|q|queue:TSLT", base + "50688/null|sonar2DStream|~|127.0.0.5:50688",
                            base + "50689/Aux|sonar2DStream|Aux|127.0.0.5:50689",
                            base + "50690|sonar2DStream|~|127.0.0.5:50690",
                            "service:sonar2DStream.velmora:extra://127.0.0.5:50691/NULL|sonar2DStream|~|127.0.0.5:50691"}));
    // The queue lookups went to the same unit as the search.
    int unicast = 0, multicast = 0;
    for (const Seen& s : other.seen())
        if (s.function == SLP_FN_ATTRRQST)
            (s.multicast ? multicast : unicast)++;
    EXPECT_GE(unicast, 2);
    EXPECT_EQ(multicast, 0);
}

TEST_F(ServiceSlp, AnUnreadableUrlFailsTheSearchButKeepsTheEntriesBeforeIt)
{
    RecordingAgent other(cfg_, kOther, false);
    ASSERT_TRUE(other.bound());
    const std::string good = "service:sonar2DStream.velmora://127.0.0.5:50688/base";
    other.answerAttrs("service:sonar2DStream.velmora://127.0.0.5:0/noqueue", "(service=sonar2DStream)");
    const char* bad[] = {
        "service:sonar2DStream.velmora://boat.local:50688/base", // host not a dotted address
        "service:sonar2DStream.velmora://127.0.0.5:99999/base",  // no URL at all
        "service://127.0.0.5:50688/base",                        // no service name
        "service:sonar2DStream.velmora://127.0.0.5:0/noqueue",   // queue service without its queue
        "service:sonar2DStream.velmora://127.0.0.5:0/silent",    // queue service whose unit says nothing
    };
    for (const char* b : bad) {
        SCOPED_TRACE(b);
        other.answerUrls({good, b});
        SERVICE_SEARCH_INFO info;
        EXPECT_FALSE(SERVICE_bSearch(h_, &info, "sonar2DStream", nullptr, kOther, nullptr, SERVICE_SEARCH_ADDRESS));
        ASSERT_EQ(info.nCount, 2u);
        EXPECT_EQ(describe(info.ServiceInfoArray[0]), good + "|sonar2DStream|base|127.0.0.5:50688");
        EXPECT_STREQ(info.ServiceInfoArray[1].pcURL, b);
        SERVICE_bFreeSearchInfo(&info);
    }
}

TEST_F(ServiceSlp, AFailedExchangeLeavesNoEntriesAndNoDamage)
{
    GMSG_ADDRESS mine = socketAddress("192.0.2.20", 50688);
    ASSERT_TRUE(SERVICE_bRegister(h_, "sonar2DStream", "base", &mine, ""));
    RecordingAgent other(cfg_, kOther, false);
    ASSERT_TRUE(other.bound());
    other.answerUrls({"service:sonar2DStream.velmora://127.0.0.5:50688/base"});

    // A truncated reply is dropped and counted; the unit never answers
    // properly, so the search fails with nothing in it.
    other.answerTruncated(true);
    U32 malformed = SLP_UA_u32Malformed();
    SERVICE_SEARCH_INFO info;
    EXPECT_FALSE(SERVICE_bSearch(h_, &info, "sonar2DStream", nullptr, kOther, nullptr, SERVICE_SEARCH_ADDRESS));
    EXPECT_EQ(info.nCount, 0u);
    EXPECT_EQ(info.ServiceInfoArray, nullptr);
    EXPECT_GT(SLP_UA_u32Malformed(), malformed);
    // No unit at all at that address.
    EXPECT_FALSE(SERVICE_bSearch(h_, &info, "sonar2DStream", nullptr, inet_addr("127.0.0.9"), nullptr,
                                 SERVICE_SEARCH_ADDRESS));
    EXPECT_EQ(info.nCount, 0u);
    // A filter the library cannot read.
    EXPECT_FALSE(SERVICE_bSearch(h_, &info, "sonar2DStream", nullptr, 0, "(key=", SERVICE_SEARCH_GLOBAL));
    EXPECT_EQ(info.nCount, 0u);

    // The handle and the unit's registration are as they were.
    EXPECT_EQ(search("sonar2DStream", "base", 0, nullptr, SERVICE_SEARCH_GLOBAL),
              Strings{"service:sonar2DStream.velmora://192.0.2.20:50688/base|sonar2DStream|base|192.0.2.20:50688"});
}

TEST_F(ServiceSlp, ServiceTypesDropTheirNamingAuthority)
{
    SERVICE_TYPE_INFO types;
    ASSERT_TRUE(SERVICE_bGetServiceTypeInfo(h_, &types));
    EXPECT_EQ(types.nCount, 0u);
    SERVICE_bFreeServiceTypeInfo(&types);

    GMSG_ADDRESS a = socketAddress("192.0.2.20", 50688);
    ASSERT_TRUE(SERVICE_bRegister(h_, "sonar2DStream", "base", &a, ""));
    ASSERT_TRUE(SERVICE_bRegister(h_, "gpsStream", nullptr, &a, ""));
    RecordingAgent self(cfg_, kSelf, true);
    ASSERT_TRUE(self.bound());
    self.answerTypes("service:radarMaster.velmora,,service:nodot,service:ethhost.velmora,service:gpsStream.velmora");
    ASSERT_TRUE(SERVICE_bGetServiceTypeInfo(h_, &types));
    Strings got(types.pcServiceTypes, types.pcServiceTypes + types.nCount);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (Strings{"service:ethhost", "service:gpsStream", "service:radarMaster", "service:sonar2DStream"}));
    EXPECT_TRUE(SERVICE_bFreeServiceTypeInfo(&types));
    EXPECT_EQ(types.nCount, 0u);
    EXPECT_EQ(types.pcServiceTypes, nullptr);
}

TEST_F(ServiceSlp, BadArgumentsFailAtOnce)
{
    GMSG_ADDRESS sock = socketAddress("192.0.2.20", 50688);
    GMSG_ADDRESS other = sock;
    other.MsgAddressType = 2;
    GMSG_ADDRESS port0 = socketAddress("192.0.2.20", 0);
    GMSG_ADDRESS bigPort = socketAddress("192.0.2.20", 70000);
    GMSG_ADDRESS noName = queueAddress("");
    GMSG_ADDRESS fullName = queueAddress("ABCDEFGHIJKLMNOP"); // 16 characters, no end
    struct Reg {
        SERVICE_HANDLE h;
        const char* service;
        const GMSG_ADDRESS* address;
    };
    for (const Reg& r : {Reg{h_, "sonar2DStream", &other}, Reg{h_, "sonar2DStream", &port0},
                         Reg{h_, "sonar2DStream", &bigPort}, Reg{h_, "client", &noName},
                         Reg{h_, "client", &fullName}, Reg{h_, "", &sock}, Reg{h_, nullptr, &sock},
                         Reg{h_, "sonar2DStream", nullptr}, Reg{nullptr, "sonar2DStream", &sock}}) {
        EXPECT_FALSE(SERVICE_bRegister(r.h, r.service, "base", r.address, ""));
        EXPECT_FALSE(SERVICE_bUnregister(r.h, r.service, "base", r.address));
    }
    EXPECT_EQ(SLP_SA_u32Count(), 0u);

    SERVICE_SEARCH_INFO info = {7, (SERVICE_ENTRY*)&info}; // stale contents are not freed
    EXPECT_FALSE(SERVICE_bSearch(h_, &info, nullptr, nullptr, 0, nullptr, SERVICE_SEARCH_GLOBAL));
    EXPECT_EQ(info.nCount, 0u);
    EXPECT_EQ(info.ServiceInfoArray, nullptr);
    EXPECT_FALSE(SERVICE_bSearch(h_, &info, "", nullptr, 0, nullptr, SERVICE_SEARCH_GLOBAL));
    EXPECT_FALSE(SERVICE_bSearch(h_, &info, "sonar2DStream", nullptr, 0, nullptr, (SERVICE_SEARCH_SCOPE)3));
    EXPECT_FALSE(SERVICE_bSearch(h_, &info, "sonar2DStream", nullptr, 0, nullptr, SERVICE_SEARCH_ADDRESS));
    EXPECT_FALSE(SERVICE_bSearch(nullptr, &info, "sonar2DStream", nullptr, 0, nullptr, SERVICE_SEARCH_GLOBAL));
    EXPECT_FALSE(SERVICE_bSearch(h_, nullptr, "sonar2DStream", nullptr, 0, nullptr, SERVICE_SEARCH_GLOBAL));
    EXPECT_EQ(info.nCount, 0u);

    // Without an address of its own the unit can neither register a queue
    // service nor search its own services.
    GSOCKET_vSetInterface("nosuch0");
    GMSG_ADDRESS queue = queueAddress("TSLC");
    EXPECT_FALSE(SERVICE_bRegister(h_, "client", "base", &queue, ""));
    EXPECT_FALSE(SERVICE_bSearch(h_, &info, "client", nullptr, 0, nullptr, SERVICE_SEARCH_LOCAL));
    EXPECT_TRUE(SERVICE_bRegister(h_, "sonar2DStream", "base", &sock, ""));

    char* list = (char*)1;
    EXPECT_FALSE(SERVICE_bGetAttributes(h_, nullptr, "", &list));
    EXPECT_EQ(list, nullptr);
    EXPECT_FALSE(SERVICE_bParseAttribute("(a=1", "a", &list));
    EXPECT_EQ(list, nullptr);
    EXPECT_FALSE(SERVICE_bFreeSearchInfo(nullptr));
    EXPECT_FALSE(SERVICE_bGetServiceTypeInfo(nullptr, nullptr));
}

TEST(ServiceCallbacks, FollowTheLibrarysCallContract)
{
    // Search: one URL per call, in arrays grown by four; the last call ends
    // quietly; any other error is recorded and stops.
    SERVICE_SEARCH_INFO search = {0, nullptr};
    SERVICE_CALLBACK_INFO info = {&search, SLP_OK, 0};
    for (int i = 0; i < 9; i++) {
        std::string url = "service:x.velmora://192.0.2.1:" + std::to_string(1000 + i) + "/NULL";
        EXPECT_EQ(SERVICE_bSearchCallback(nullptr, url.c_str(), 300, SLP_OK, &info), SLP_TRUE);
    }
    EXPECT_EQ(search.nCount, 9u);
    EXPECT_EQ(info.nAllocated, 12u);
    EXPECT_STREQ(search.ServiceInfoArray[8].pcURL, "service:x.velmora://192.0.2.1:1008/NULL");
    EXPECT_EQ(search.ServiceInfoArray[8].pcService, nullptr);
    SERVICE_bSearchCallback(nullptr, nullptr, 0, SLP_LAST_CALL, &info);
    EXPECT_EQ(info.err, SLP_OK);
    EXPECT_EQ(SERVICE_bSearchCallback(nullptr, nullptr, 0, SLP_NETWORK_TIMED_OUT, &info), SLP_FALSE);
    EXPECT_EQ(info.err, SLP_NETWORK_TIMED_OUT);
    SERVICE_bFreeSearchInfo(&search);

    // Attributes: the first list only, then stop.
    SERVICE_ATTR_CALLBACK_INFO attrs = {nullptr, SLP_OK};
    EXPECT_EQ(SERVICE_bAttributeCallback(nullptr, "(a=1)", SLP_OK, &attrs), SLP_FALSE);
    SERVICE_bAttributeCallback(nullptr, "(a=2)", SLP_OK, &attrs);
    SERVICE_bAttributeCallback(nullptr, nullptr, SLP_LAST_CALL, &attrs);
    EXPECT_STREQ(attrs.pcAttributes, "(a=1)");
    EXPECT_EQ(attrs.err, SLP_OK);
    SERVICE_bAttributeCallback(nullptr, nullptr, SLP_PARSE_ERROR, &attrs);
    EXPECT_EQ(attrs.err, SLP_PARSE_ERROR);
    SERVICE_bFreeAttribute(attrs.pcAttributes);

    // Types: the first list, and carry on.
    SERVICE_TYPE_CALLBACK_INFO types = {nullptr, SLP_OK};
    EXPECT_EQ(SERVICE_bTypeCallback(nullptr, "service:a.velmora", SLP_OK, &types), SLP_TRUE);
    EXPECT_EQ(SERVICE_bTypeCallback(nullptr, "service:b.velmora", SLP_OK, &types), SLP_TRUE);
    SERVICE_bTypeCallback(nullptr, nullptr, SLP_LAST_CALL, &types);
    EXPECT_STREQ(types.pcServiceTypes, "service:a.velmora");
    EXPECT_EQ(types.err, SLP_OK);
    SERVICE_bTypeCallback(nullptr, nullptr, SLP_NETWORK_ERROR, &types);
    EXPECT_EQ(types.err, SLP_NETWORK_ERROR);
    SERVICE_bFreeAttribute(types.pcServiceTypes);

    SLPError reg = SLP_OK;
    SERVICE_vRegCallback(nullptr, SLP_INVALID_REGISTRATION, &reg);
    EXPECT_EQ(reg, SLP_INVALID_REGISTRATION);
}
