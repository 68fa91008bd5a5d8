// Fuzz target of what other units answer to the service calls: the URLs of
// a search, the attribute list of a service and the list of service types
// become service entries, queue addresses, attribute values and type names.
// A small agent on 127.0.0.5 answers every request with the input, split
// at new lines: URLs up to the first empty line, then the attribute list,
// then the type list. The same texts also go straight to SLPParseSrvURL
// and SLPParseAttrs. Whatever the answers, every call must end, keep its
// entries sound and leave nothing allocated: a leak shows as an exhausted
// program heap, whose allocations then wait until the run times out.
#include "gmsg/service.h"
#include "kernel/h_memory.h"
#include "kernel/lm_log.h"
#include "slp/slp.h"
#include "slp/slp_config.h"
#include "slp/slp_msg.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr size_t kMaxInput = 16384; // every answer fits one datagram
const char* const kUnit = "127.0.0.2"; // where this unit's own agent listens
const char* const kPeer = "127.0.0.5"; // the unit that answers

struct ANSWER {
    std::vector<std::string> urls;
    std::string attrs;
    std::string types;
};

std::mutex s_mutex;
ANSWER s_answer;
int s_socket = -1;

std::vector<U8> answerTo(const SLP_MSG& m)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    std::vector<U8> out;
    switch (m.Header.u8Function) {
    case SLP_FN_SRVRQST: {
        std::vector<SLP_URL_ENTRY> entries;
        for (const std::string& u : s_answer.urls)
            entries.push_back({300, u});
        SLP_MSG_bEncodeSrvRply(&out, m.Header.u16Xid, 0, m.Header.Lang, 0, entries);
        break;
    }
    case SLP_FN_ATTRRQST:
        SLP_MSG_bEncodeAttrRply(&out, m.Header.u16Xid, 0, m.Header.Lang, 0, s_answer.attrs);
        break;
    case SLP_FN_SRVTYPERQST:
        SLP_MSG_bEncodeSrvTypeRply(&out, m.Header.u16Xid, 0, m.Header.Lang, 0, s_answer.types);
        break;
    default:
        return out;
    }
    // A reply the unit's decoder would drop only costs a wait; the decoder
    // has a target of its own, so such an answer becomes an error reply.
    SLP_MSG check;
    if (out.empty() || SLP_MSG_eDecode(out.data(), out.size(), &check) != SLP_DECODE_OK)
        SLP_MSG_bEncodeError(&out, (U8)(m.Header.u8Function + 1), m.Header.u16Xid, m.Header.Lang, 2);
    return out;
}

void agent()
{
    std::vector<U8> buf(65536);
    for (;;) {
        sockaddr_in from{};
        socklen_t len = sizeof from;
        ssize_t n = recvfrom(s_socket, buf.data(), buf.size(), 0, (sockaddr*)&from, &len);
        SLP_MSG m;
        if (n <= 0 || SLP_MSG_eDecode(buf.data(), (size_t)n, &m) != SLP_DECODE_OK)
            continue;
        std::vector<U8> reply = answerTo(m);
        if (!reply.empty())
            sendto(s_socket, reply.data(), reply.size(), 0, (sockaddr*)&from, len);
    }
}

void split(const uint8_t* data, size_t size)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_answer = ANSWER{};
    std::string text((const char*)data, size);
    size_t at = 0;
    auto line = [&](std::string* out) {
        if (at > text.size())
            return false;
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        *out = text.substr(at, end - at);
        at = end + 1;
        return true;
    };
    std::string l;
    while (line(&l) && !l.empty())
        s_answer.urls.push_back(l);
    line(&s_answer.attrs);
    line(&s_answer.types);
}

// Every text an entry holds must end inside its block.
void checkEntry(const SERVICE_ENTRY& e)
{
    if (!e.pcURL || !e.pcService)
        abort();
    volatile size_t n = strlen(e.pcURL) + strlen(e.pcService) + (e.pcInstance ? strlen(e.pcInstance) : 0);
    (void)n;
    if (e.MsgAddress.MsgAddressType == SERVICE_ADDRESS_QUEUE &&
        strnlen(e.MsgAddress.uAddr.Queue.acName, sizeof e.MsgAddress.uAddr.Queue.acName) ==
            sizeof e.MsgAddress.uAddr.Queue.acName)
        abort();
}

SERVICE_HANDLE s_handle;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    s_socket = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in me{};
    me.sin_family = AF_INET;
    me.sin_addr.s_addr = inet_addr(kPeer);
    if (bind(s_socket, (sockaddr*)&me, sizeof me) != 0)
        abort();
    socklen_t len = sizeof me;
    getsockname(s_socket, (sockaddr*)&me, &len);

    // The unit's own agent and the peer share the port, each on its own
    // loopback address; short waits, since a lost answer only costs time.
    SLP_CONFIG cfg;
    SLP_CONFIG_vDefaults(&cfg);
    strcpy(cfg.acInterface, "lo");
    cfg.u32Address = inet_addr(kUnit);
    cfg.u16Port = ntohs(me.sin_port);
    cfg.au32UnicastWaits[0] = 10;
    cfg.u32UnicastWaitCount = 1;
    cfg.au32McastWaits[0] = 20;
    cfg.u32McastWaitCount = 1;
    cfg.u32McastMaxWait = 20;
    cfg.u8Ttl = 1;
    SLP_CONFIG_vSet(&cfg);
    std::thread(agent).detach();
    s_handle = SERVICE_hOpenServiceHandle();
    if (!s_handle)
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    split(data, size);

    // A search that fails keeps what it found, filled or not; one that
    // succeeds holds only complete entries.
    SERVICE_SEARCH_INFO info;
    const BOOLEAN found = SERVICE_bSearch(s_handle, &info, "sonar2DStream", nullptr, inet_addr(kPeer),
                                          "(unitmodel>=3)", SERVICE_SEARCH_ADDRESS);
    if (info.nCount > 0 && !info.ServiceInfoArray)
        abort();
    for (U32 i = 0; i < info.nCount; ++i)
        if (!info.ServiceInfoArray[i].pcURL)
            abort();
    SLPAssociateIP(s_handle, kPeer);
    for (U32 i = 0; found && i < info.nCount && i < 4; ++i) {
        const SERVICE_ENTRY& e = info.ServiceInfoArray[i];
        checkEntry(e);
        char* list = nullptr;
        if (SERVICE_bGetAttributes(s_handle, &e, "", &list) && list) {
            for (const char* id : {"unitname", "queue", "port", "tags"}) {
                char* value = nullptr;
                if (SERVICE_bParseAttribute(list, id, &value))
                    SERVICE_bFreeAttribute(value);
            }
        }
        SERVICE_bFreeAttribute(list);
    }
    SERVICE_bFreeSearchInfo(&info);

    SERVICE_TYPE_INFO types;
    if (SERVICE_bGetServiceTypeInfo(s_handle, &types)) {
        for (U32 i = 0; i < types.nCount; ++i)
            if (!types.pcServiceTypes[i])
                abort();
    }
    SERVICE_bFreeServiceTypeInfo(&types);
    SLPAssociateIP(s_handle, nullptr);

    std::vector<std::string> urls;
    std::string attrs;
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        urls = s_answer.urls;
        attrs = s_answer.attrs;
    }
    for (const std::string& u : urls) {
        SLPSrvURL* parsed = nullptr;
        if (SLPParseSrvURL(u.c_str(), &parsed) == SLP_OK) {
            if (!parsed || !parsed->s_pcSrvType || !parsed->s_pcHost || !parsed->s_pcSrvPart)
                abort();
            volatile size_t n = strlen(parsed->s_pcSrvType) + strlen(parsed->s_pcHost) + strlen(parsed->s_pcSrvPart);
            (void)n;
        }
        SLPFree(parsed);
    }
    for (const char* id : {"queue", "unitname", "*", ""}) {
        char* value = nullptr;
        if (SLPParseAttrs(attrs.c_str(), id, &value) == SLP_OK && !value)
            abort();
        SLPFree(value);
    }
    return 0;
}
