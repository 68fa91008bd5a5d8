// Service agent: the registration store, the request handler and the thread
// that listens for requests.
//
// The store is guarded by one mutex; the handler holds it while it evaluates
// a request, so a reply never shows half of a registration change. The
// handler is a plain function of the datagram and the store, called by the
// agent's thread for datagrams from the network and by tests directly.
#include "slp/slp_sa.h"

#include "kernel/l_clock.h"
#include "kernel/lm_log.h"
#include "slp/slp_attr.h"
#include "slp/slp_config.h"
#include "slp/slp_filter.h"
#include "slp/slp_msg.h"
#include "slp/slp_net.h"
#include "slp/slp_text.h"
#include "slp/slp_url.h"

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr U16 kLifetimeForever = 0xFFFF;
constexpr size_t kMaxRegistrations = 1024;
constexpr size_t kReceiveBuffer = 65536;
constexpr int kRetryMillis = 1000;

constexpr std::string_view kServiceAgentType = "service:service-agent";
constexpr std::string_view kDirectoryAgentType = "service:directory-agent";

struct Registration {
    std::string Url;
    std::string Type;
    std::string Lang;
    std::string Scopes;
    std::string Attrs;
    U64 u64ExpiresMs; // kernel clock; unused while bForever
    bool bForever;
};

struct Agent {
    std::mutex StoreMutex;
    std::vector<Registration> Store;

    std::mutex ThreadMutex; // start and stop
    std::thread Thread;
    bool bRunning = false;
    int anWake[2] = {-1, -1};
    std::atomic<bool> bStop{false};
    std::atomic<bool> bListening{false};

    std::atomic<U32> u32Received{0};
    std::atomic<U32> u32Malformed{0};
    std::atomic<U32> u32Answered{0};
    std::atomic<U32> u32Silent{0};
};

// Lives as long as the process: the agent's thread may still run while
// static objects are destroyed at exit.
Agent& agent()
{
    static Agent* a = new Agent;
    return *a;
}

U64 nowMs()
{
    return L_CLOCK_qwGetTimeInMillis();
}

// Caller holds StoreMutex.
void purgeExpired(Agent& a)
{
    U64 now = nowMs();
    std::erase_if(a.Store, [now](const Registration& r) { return !r.bForever && r.u64ExpiresMs <= now; });
}

U16 remainingLifetime(const Registration& r, U64 now)
{
    if (r.bForever)
        return kLifetimeForever;
    U64 left = (r.u64ExpiresMs - now + 999) / 1000;
    if (left == 0)
        left = 1;
    return left >= kLifetimeForever ? (U16)(kLifetimeForever - 1) : (U16)left;
}

std::string dotted(U32 address)
{
    char text[INET_ADDRSTRLEN] = "";
    in_addr a{address};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

bool inPreviousResponders(std::string_view prList, U32 own)
{
    if (own == 0)
        return false;
    return SLP_TEXT_bListContains(prList, dotted(own));
}

// Outcome of the checks every request goes through.
enum class Gate { Pass, Silent, Error };

struct Request {
    const SLP_MSG* pMsg;
    const SLP_SA_CONTEXT* pContext;
    bool bMulticast;
    U16 u16Error = SLP_WE_OK;
};

Gate commonChecks(Request& q, bool bScopeOptional)
{
    const SLP_MSG& m = *q.pMsg;
    if (q.bMulticast && inPreviousResponders(m.PrList, q.pContext->u32OwnAddress))
        return Gate::Silent;
    if (!m.Spi.empty()) {
        q.u16Error = SLP_WE_AUTHENTICATION_UNKNOWN;
        return Gate::Error;
    }
    if (SLP_TEXT_Split(m.Scopes).empty() ? !bScopeOptional
                                          : !SLP_TEXT_bListsIntersect(m.Scopes, q.pContext->pcScopes)) {
        q.u16Error = SLP_WE_SCOPE_NOT_SUPPORTED;
        return Gate::Error;
    }
    return Gate::Pass;
}

bool registrationInScope(const Registration& r, const SLP_MSG& m)
{
    return SLP_TEXT_bListsIntersect(r.Scopes, m.Scopes);
}

bool answerSaRequest(Request& q, std::vector<U8>* out)
{
    const SLP_MSG& m = *q.pMsg;
    U32 own = q.pContext->u32OwnAddress;
    if (own == 0)
        return false;
    std::string url = std::string(kServiceAgentType) + "://" + dotted(own);
    return SLP_MSG_bEncodeSAAdvert(out, m.Header.u16Xid, 0, m.Header.Lang, url, q.pContext->pcScopes, "");
}

bool answerSrvRqst(Agent& a, Request& q, std::vector<U8>* out)
{
    const SLP_MSG& m = *q.pMsg;
    if (SLP_TEXT_bEqualNoCase(m.Type, kDirectoryAgentType))
        return false;
    bool bSaRequest = SLP_TEXT_bEqualNoCase(m.Type, kServiceAgentType);
    Gate g = commonChecks(q, bSaRequest);
    if (g != Gate::Pass)
        return g == Gate::Error && !q.bMulticast &&
               SLP_MSG_bEncodeError(out, SLP_FN_SRVRPLY, m.Header.u16Xid, m.Header.Lang, q.u16Error);
    if (bSaRequest)
        return answerSaRequest(q, out);

    SLP_FILTER filter;
    if (!SLP_FILTER_bCompile(m.Predicate, &filter))
        return !q.bMulticast && SLP_MSG_bEncodeError(out, SLP_FN_SRVRPLY, m.Header.u16Xid,
                                                     m.Header.Lang, SLP_WE_PARSE_ERROR);
    std::vector<SLP_URL_ENTRY> found;
    bool otherLanguage = false;
    std::vector<SLP_ATTR> attrs;
    U64 now = nowMs();
    for (const Registration& r : a.Store) {
        if (!SLP_URL_bTypeMatches(r.Type, m.Type) || !registrationInScope(r, m))
            continue;
        if (!SLP_TEXT_bEqualNoCase(r.Lang, m.Header.Lang)) {
            otherLanguage = true;
            continue;
        }
        if (!filter.Nodes.empty() && (!SLP_ATTR_bParse(r.Attrs, &attrs) || !SLP_FILTER_bMatches(&filter, attrs)))
            continue;
        found.push_back(SLP_URL_ENTRY{remainingLifetime(r, now), r.Url});
    }
    if (found.empty() && q.bMulticast)
        return false;
    U16 error = (found.empty() && otherLanguage) ? SLP_WE_LANGUAGE_NOT_SUPPORTED : SLP_WE_OK;
    U8 flags = 0;
    while (true) {
        if (!SLP_MSG_bEncodeSrvRply(out, m.Header.u16Xid, flags, m.Header.Lang, error, found))
            return false;
        if (out->size() <= q.pContext->u16Mtu || found.empty())
            return true;
        // Too long for one datagram: send what fits and say so.
        found.pop_back();
        flags = SLP_FLAG_OVERFLOW;
    }
}

bool answerAttrRqst(Agent& a, Request& q, std::vector<U8>* out)
{
    const SLP_MSG& m = *q.pMsg;
    Gate g = commonChecks(q, false);
    if (g != Gate::Pass)
        return g == Gate::Error && !q.bMulticast &&
               SLP_MSG_bEncodeError(out, SLP_FN_ATTRRPLY, m.Header.u16Xid, m.Header.Lang, q.u16Error);
    bool byUrl = m.Url.find("://") != std::string_view::npos;
    std::vector<std::string_view> lists;
    bool any = false;
    for (const Registration& r : a.Store) {
        bool hit = byUrl ? r.Url == m.Url : SLP_URL_bTypeMatches(r.Type, m.Url);
        if (!hit || !registrationInScope(r, m) || !SLP_TEXT_bEqualNoCase(r.Lang, m.Header.Lang))
            continue;
        any = true;
        lists.push_back(r.Attrs);
    }
    // A plain request for one URL gets the list as it was registered.
    std::string attrs = (byUrl && lists.size() == 1 && SLP_TEXT_Split(m.Tags).empty())
                            ? std::string(lists.front())
                            : SLP_ATTR_Select(lists, m.Tags);
    if (q.bMulticast && (!any || attrs.empty()))
        return false;
    if (!SLP_MSG_bEncodeAttrRply(out, m.Header.u16Xid, 0, m.Header.Lang, SLP_WE_OK, attrs))
        return false;
    if (out->size() <= q.pContext->u16Mtu)
        return true;
    return SLP_MSG_bEncodeAttrRply(out, m.Header.u16Xid, SLP_FLAG_OVERFLOW, m.Header.Lang, SLP_WE_OK, "");
}

bool answerSrvTypeRqst(Agent& a, Request& q, std::vector<U8>* out)
{
    const SLP_MSG& m = *q.pMsg;
    Gate g = commonChecks(q, false);
    if (g != Gate::Pass)
        return g == Gate::Error && !q.bMulticast &&
               SLP_MSG_bEncodeError(out, SLP_FN_SRVTYPERPLY, m.Header.u16Xid, m.Header.Lang, q.u16Error);
    std::vector<std::string_view> types;
    for (const Registration& r : a.Store) {
        if (!registrationInScope(r, m))
            continue;
        if (!m.bAllAuthorities && !SLP_TEXT_bEqualNoCase(SLP_URL_NamingAuthority(r.Type), m.NamingAuthority))
            continue;
        bool seen = false;
        for (std::string_view t : types)
            seen = seen || SLP_TEXT_bEqualNoCase(t, r.Type);
        if (!seen)
            types.push_back(r.Type);
    }
    if (types.empty() && q.bMulticast)
        return false;
    std::string list;
    for (std::string_view t : types) {
        if (!list.empty())
            list += ',';
        list += t;
    }
    if (!SLP_MSG_bEncodeSrvTypeRply(out, m.Header.u16Xid, 0, m.Header.Lang, SLP_WE_OK, list))
        return false;
    if (out->size() <= q.pContext->u16Mtu)
        return true;
    return SLP_MSG_bEncodeSrvTypeRply(out, m.Header.u16Xid, SLP_FLAG_OVERFLOW, m.Header.Lang, SLP_WE_OK, "");
}

bool isRequest(U8 function)
{
    return function == SLP_FN_SRVRQST || function == SLP_FN_ATTRRQST || function == SLP_FN_SRVTYPERQST;
}

U8 replyFunction(U8 request)
{
    return request == SLP_FN_SRVRQST ? SLP_FN_SRVRPLY
           : request == SLP_FN_ATTRRQST ? SLP_FN_ATTRRPLY
                                        : SLP_FN_SRVTYPERPLY;
}

// Reads the language tag and XID of a message whose body failed to decode,
// for the error reply. The header itself decoded, so these are sound.
bool headerOf(const U8* p, size_t n, U8* function, U16* xid, std::string_view* lang)
{
    if (n < SLP_HEADER_FIXED)
        return false;
    *function = p[1];
    *xid = (U16)((p[10] << 8) | p[11]);
    size_t len = (size_t)((p[12] << 8) | p[13]);
    if (n - SLP_HEADER_FIXED < len)
        return false;
    *lang = std::string_view((const char*)p + SLP_HEADER_FIXED, len);
    return true;
}

void serve(Agent& a, const SLP_CONFIG config)
{
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);

    std::vector<U8> buffer(kReceiveBuffer);
    std::vector<U8> reply;
    int m = -1, u = -1;
    bool complained = false;
    while (!a.bStop) {
        if (m < 0) {
            if (!SLP_NET_bOpenAgentSockets(&config, &m, &u)) {
                if (!complained)
                    log_me("SLP: service agent cannot listen on port %u yet", (unsigned)config.u16Port);
                complained = true;
                pollfd w{a.anWake[0], POLLIN, 0};
                poll(&w, 1, kRetryMillis);
                continue;
            }
            a.bListening = true;
        }
        pollfd fds[3] = {{m, POLLIN, 0}, {u, POLLIN, 0}, {a.anWake[0], POLLIN, 0}};
        if (poll(fds, 3, -1) < 0)
            continue;
        for (int i = 0; i < 2; i++) {
            if (!(fds[i].revents & POLLIN))
                continue;
            U32 from, local;
            U16 port;
            long n = SLP_NET_nReceive(fds[i].fd, buffer.data(), buffer.size(), &from, &port, &local);
            if (n < 0)
                continue;
            SLP_SA_CONTEXT ctx{};
            ctx.bMulticast = i == 0;
            ctx.u32OwnAddress = config.u32Address != 0 ? config.u32Address : local;
            ctx.u16Mtu = config.u16Mtu;
            ctx.pcScopes = config.acScopes;
            if (SLP_SA_bHandle(buffer.data(), (size_t)n, &ctx, &reply) && port != 0 && from != 0)
                SLP_NET_bSend(u, reply.data(), reply.size(), from, port);
        }
    }
    a.bListening = false;
    if (m >= 0)
        close(m);
    if (u >= 0)
        close(u);
}

} // namespace

U16 SLP_SA_u16Register(std::string_view Url, std::string_view Type, std::string_view Lang,
                       std::string_view Scopes, std::string_view Attrs, U16 u16Lifetime,
                       BOOLEAN bFresh)
{
    SLP_URL_PARTS parts;
    if (!SLP_URL_bSplit(Url, &parts) || u16Lifetime == 0 || Lang.empty() || Url.size() > 0xFFFF ||
        Attrs.size() > 0xFFFF || SLP_TEXT_Split(Scopes).empty())
        return SLP_WE_INVALID_REGISTRATION;
    // A "service:" URL names its own type; other schemes need one given.
    std::string type = SLP_TEXT_bStartsNoCase(parts.Type, "service:") ? std::string(parts.Type)
                                                                     : std::string(SLP_TEXT_Trim(Type));
    std::vector<SLP_ATTR> attrs;
    if (type.empty() || !SLP_ATTR_bParse(Attrs, &attrs))
        return SLP_WE_INVALID_REGISTRATION;

    Agent& a = agent();
    std::lock_guard<std::mutex> lock(a.StoreMutex);
    purgeExpired(a);
    Registration* have = nullptr;
    for (Registration& r : a.Store)
        if (r.Url == Url && SLP_TEXT_bEqualNoCase(r.Lang, Lang))
            have = &r;
    if (!bFresh) {
        // An update refreshes a registration of the same type, taking new
        // attributes when it brings any.
        if (have == nullptr || !SLP_TEXT_bEqualNoCase(have->Type, type))
            return SLP_WE_INVALID_UPDATE;
    } else if (have == nullptr) {
        if (a.Store.size() >= kMaxRegistrations)
            return SLP_WE_INTERNAL_ERROR;
        a.Store.push_back(Registration{std::string(Url), type, std::string(Lang), {}, {}, 0, false});
        have = &a.Store.back();
    }
    have->Type = type;
    have->Scopes = std::string(Scopes);
    if (bFresh || !Attrs.empty())
        have->Attrs = std::string(Attrs);
    have->bForever = u16Lifetime == kLifetimeForever;
    have->u64ExpiresMs = nowMs() + (U64)u16Lifetime * 1000;
    return SLP_WE_OK;
}

U16 SLP_SA_u16Deregister(std::string_view Url, std::string_view Lang)
{
    Agent& a = agent();
    std::lock_guard<std::mutex> lock(a.StoreMutex);
    purgeExpired(a);
    size_t before = a.Store.size();
    std::erase_if(a.Store, [&](const Registration& r) {
        return r.Url == Url && SLP_TEXT_bEqualNoCase(r.Lang, Lang);
    });
    return a.Store.size() == before ? SLP_WE_INVALID_REGISTRATION : SLP_WE_OK;
}

U32 SLP_SA_u32Count(void)
{
    Agent& a = agent();
    std::lock_guard<std::mutex> lock(a.StoreMutex);
    purgeExpired(a);
    return (U32)a.Store.size();
}

BOOLEAN SLP_SA_bHandle(const U8* pData, size_t nLength, const SLP_SA_CONTEXT* pContext,
                       std::vector<U8>* pReply)
{
    Agent& a = agent();
    a.u32Received++;
    pReply->clear();
    SLP_MSG msg;
    SLP_DECODE_RESULT r = SLP_MSG_eDecode(pData, nLength, &msg);
    bool multicast = pContext->bMulticast || (msg.Header.u8Flags & SLP_FLAG_MCAST);
    bool answered = false;
    if (r == SLP_DECODE_BAD_HEADER || r == SLP_DECODE_BAD_VERSION) {
        a.u32Malformed++;
        return FALSE;
    }
    if (r == SLP_DECODE_BAD_BODY || r == SLP_DECODE_MANDATORY_EXT) {
        if (r == SLP_DECODE_BAD_BODY)
            a.u32Malformed++;
        else
            a.u32Silent++;
        U8 function;
        U16 xid;
        std::string_view lang;
        if (multicast || !headerOf(pData, nLength, &function, &xid, &lang) || !isRequest(function))
            return FALSE;
        U16 error = r == SLP_DECODE_BAD_BODY ? SLP_WE_PARSE_ERROR : SLP_WE_OPTION_NOT_UNDERSTOOD;
        answered = SLP_MSG_bEncodeError(pReply, replyFunction(function), xid, lang, error);
        if (answered)
            a.u32Answered++;
        return answered;
    }

    Request q{&msg, pContext, multicast};
    {
        std::lock_guard<std::mutex> lock(a.StoreMutex);
        purgeExpired(a);
        switch (msg.Header.u8Function) {
        case SLP_FN_SRVRQST:
            answered = answerSrvRqst(a, q, pReply);
            break;
        case SLP_FN_ATTRRQST:
            answered = answerAttrRqst(a, q, pReply);
            break;
        case SLP_FN_SRVTYPERQST:
            answered = answerSrvTypeRqst(a, q, pReply);
            break;
        default:
            // Replies, adverts and registrations are for user and directory
            // agents, not for us.
            break;
        }
    }
    if (answered)
        a.u32Answered++;
    else
        a.u32Silent++;
    if (!answered)
        pReply->clear();
    return answered;
}

void SLP_SA_vStart(void)
{
    Agent& a = agent();
    std::lock_guard<std::mutex> lock(a.ThreadMutex);
    if (a.bRunning)
        return;
    if (pipe2(a.anWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        log_me("SLP: service agent cannot start");
        return;
    }
    SLP_CONFIG config;
    SLP_CONFIG_vGet(&config);
    a.bStop = false;
    a.Thread = std::thread(serve, std::ref(a), config);
    a.bRunning = true;
}

void SLP_SA_vStop(void)
{
    Agent& a = agent();
    {
        std::lock_guard<std::mutex> lock(a.ThreadMutex);
        if (a.bRunning) {
            a.bStop = true;
            U8 one = 1;
            if (write(a.anWake[1], &one, 1) < 0) {
            }
            a.Thread.join();
            close(a.anWake[0]);
            close(a.anWake[1]);
            a.anWake[0] = a.anWake[1] = -1;
            a.bRunning = false;
        }
    }
    std::lock_guard<std::mutex> lock(a.StoreMutex);
    a.Store.clear();
}

BOOLEAN SLP_SA_bListening(void)
{
    return agent().bListening ? TRUE : FALSE;
}

void SLP_SA_vGetStats(SLP_SA_STATS* pStats)
{
    Agent& a = agent();
    pStats->u32Received = a.u32Received;
    pStats->u32Malformed = a.u32Malformed;
    pStats->u32Answered = a.u32Answered;
    pStats->u32Silent = a.u32Silent;
}
