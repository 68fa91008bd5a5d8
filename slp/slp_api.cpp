// The SLP API calls over the service agent (registrations) and the user
// agent (requests). Arguments are checked at the door; a handle serves one
// call at a time, so a callback that calls back on its own handle gets
// SLP_HANDLE_IN_USE instead of corrupting the running operation.
#include "slp/slp.h"

#include "slp/slp_attr.h"
#include "slp/slp_config.h"
#include "slp/slp_filter.h"
#include "slp/slp_msg.h"
#include "slp/slp_sa.h"
#include "slp/slp_text.h"
#include "slp/slp_ua.h"
#include "slp/slp_url.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

struct SLP_HANDLE_REC {
    std::string Lang;
    U32 u32Unicast = 0; // network order; 0 = multicast
    std::atomic<bool> bInUse{false};
};

namespace {

constexpr const char* kDefaultLang = "en";

class Busy {
public:
    explicit Busy(SLPHandle h) : h_(h) { ok_ = !h_->bInUse.exchange(true); }
    ~Busy()
    {
        if (ok_)
            h_->bInUse = false;
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    bool ok() const { return ok_; }

private:
    SLPHandle h_;
    bool ok_;
};

std::string scopesOr(const char* pcScopes)
{
    if (pcScopes != nullptr && !SLP_TEXT_Split(pcScopes).empty())
        return pcScopes;
    SLP_CONFIG cfg;
    SLP_CONFIG_vGet(&cfg);
    return cfg.acScopes;
}

char* copyOut(std::string_view s)
{
    char* p = (char*)malloc(s.size() + 1);
    if (p != nullptr) {
        if (!s.empty())
            memcpy(p, s.data(), s.size());
        p[s.size()] = '\0';
    }
    return p;
}

} // namespace

SLPError SLPOpen(const char* pcLang, SLPBoolean isAsync, SLPHandle* phSLP)
{
    if (phSLP == nullptr)
        return SLP_PARAMETER_BAD;
    *phSLP = nullptr;
    if (isAsync)
        return SLP_NOT_IMPLEMENTED;
    SLPHandle h = new (std::nothrow) SLP_HANDLE_REC;
    if (h == nullptr)
        return SLP_MEMORY_ALLOC_FAILED;
    h->Lang = (pcLang != nullptr && *pcLang != '\0') ? pcLang : kDefaultLang;
    SLP_SA_vStart();
    *phSLP = h;
    return SLP_OK;
}

void SLPClose(SLPHandle hSLP)
{
    delete hSLP;
}

SLPError SLPReg(SLPHandle hSLP, const char* pcSrvURL, const unsigned short usLifetime,
                const char* pcSrvType, const char* pcAttrs, SLPBoolean fresh,
                SLPRegReport callback, void* pvCookie)
{
    if (hSLP == nullptr || pcSrvURL == nullptr || *pcSrvURL == '\0' || usLifetime == 0 ||
        callback == nullptr)
        return SLP_PARAMETER_BAD;
    Busy busy(hSLP);
    if (!busy.ok())
        return SLP_HANDLE_IN_USE;
    U16 e = SLP_SA_u16Register(pcSrvURL, pcSrvType ? pcSrvType : "", hSLP->Lang, scopesOr(nullptr),
                               pcAttrs ? pcAttrs : "", usLifetime, fresh ? TRUE : FALSE);
    SLPError err = SLP_UA_eFromWire(e);
    callback(hSLP, err, pvCookie);
    return err;
}

SLPError SLPDereg(SLPHandle hSLP, const char* pcSrvURL, SLPRegReport callback, void* pvCookie)
{
    if (hSLP == nullptr || pcSrvURL == nullptr || *pcSrvURL == '\0' || callback == nullptr)
        return SLP_PARAMETER_BAD;
    Busy busy(hSLP);
    if (!busy.ok())
        return SLP_HANDLE_IN_USE;
    SLPError err = SLP_UA_eFromWire(SLP_SA_u16Deregister(pcSrvURL, hSLP->Lang));
    callback(hSLP, err, pvCookie);
    return err;
}

SLPError SLPFindSrvs(SLPHandle hSLP, const char* pcServiceType, const char* pcScopeList,
                     const char* pcSearchFilter, SLPSrvURLCallback callback, void* pvCookie)
{
    if (hSLP == nullptr || pcServiceType == nullptr || *pcServiceType == '\0' || callback == nullptr)
        return SLP_PARAMETER_BAD;
    Busy busy(hSLP);
    if (!busy.ok())
        return SLP_HANDLE_IN_USE;
    std::string type = SLP_URL_NormalType(pcServiceType);
    std::string scopes = scopesOr(pcScopeList);
    std::string filter = pcSearchFilter ? pcSearchFilter : "";
    SLP_FILTER check;
    if (!SLP_FILTER_bCompile(filter, &check)) {
        callback(hSLP, nullptr, 0, SLP_PARSE_ERROR, pvCookie);
        return SLP_PARSE_ERROR;
    }

    std::vector<std::string> seen;
    bool stopped = false;
    SLPError err = SLP_UA_eTransact(
        hSLP->u32Unicast, SLP_FN_SRVRPLY,
        [&](U16 xid, U8 flags, std::string_view prList, std::vector<U8>* out) {
            return SLP_MSG_bEncodeSrvRqst(out, xid, flags, hSLP->Lang, prList, type, scopes, filter);
        },
        [&](const SLP_MSG& reply, U32) -> BOOLEAN {
            for (const SLP_URL_ENTRY& e : reply.Urls) {
                std::string url(e.Url);
                bool dup = false;
                for (const std::string& s : seen)
                    dup = dup || s == url;
                if (dup)
                    continue;
                seen.push_back(url);
                if (!callback(hSLP, url.c_str(), e.u16Lifetime, SLP_OK, pvCookie)) {
                    stopped = true;
                    return FALSE;
                }
            }
            return TRUE;
        });
    if (stopped)
        return SLP_OK;
    if (err != SLP_OK) {
        callback(hSLP, nullptr, 0, err, pvCookie);
        return err;
    }
    callback(hSLP, nullptr, 0, SLP_LAST_CALL, pvCookie);
    return SLP_OK;
}

SLPError SLPFindAttrs(SLPHandle hSLP, const char* pcURLOrServiceType, const char* pcScopeList,
                      const char* pcAttrIds, SLPAttrCallback callback, void* pvCookie)
{
    if (hSLP == nullptr || pcURLOrServiceType == nullptr || *pcURLOrServiceType == '\0' ||
        callback == nullptr)
        return SLP_PARAMETER_BAD;
    Busy busy(hSLP);
    if (!busy.ok())
        return SLP_HANDLE_IN_USE;
    std::string target = pcURLOrServiceType;
    if (target.find("://") == std::string::npos)
        target = SLP_URL_NormalType(target);
    std::string scopes = scopesOr(pcScopeList);
    std::string tags = pcAttrIds ? pcAttrIds : "";

    std::vector<std::string> seen;
    bool stopped = false;
    SLPError err = SLP_UA_eTransact(
        hSLP->u32Unicast, SLP_FN_ATTRRPLY,
        [&](U16 xid, U8 flags, std::string_view prList, std::vector<U8>* out) {
            return SLP_MSG_bEncodeAttrRqst(out, xid, flags, hSLP->Lang, prList, target, scopes, tags);
        },
        [&](const SLP_MSG& reply, U32) -> BOOLEAN {
            std::string list(reply.Attrs);
            bool dup = list.empty();
            for (const std::string& s : seen)
                dup = dup || s == list;
            if (dup)
                return TRUE;
            seen.push_back(list);
            if (!callback(hSLP, list.c_str(), SLP_OK, pvCookie)) {
                stopped = true;
                return FALSE;
            }
            return TRUE;
        });
    if (stopped)
        return SLP_OK;
    if (err != SLP_OK) {
        callback(hSLP, nullptr, err, pvCookie);
        return err;
    }
    callback(hSLP, nullptr, SLP_LAST_CALL, pvCookie);
    return SLP_OK;
}

SLPError SLPFindSrvTypes(SLPHandle hSLP, const char* pcNamingAuthority, const char* pcScopeList,
                         SLPSrvTypeCallback callback, void* pvCookie)
{
    if (hSLP == nullptr || callback == nullptr)
        return SLP_PARAMETER_BAD;
    Busy busy(hSLP);
    if (!busy.ok())
        return SLP_HANDLE_IN_USE;
    std::string na = pcNamingAuthority ? pcNamingAuthority : "";
    BOOLEAN all = na == "*";
    std::string scopes = scopesOr(pcScopeList);

    // Every agent answers with its own list; the caller gets one list of
    // them all, each type once.
    std::vector<std::string> types;
    SLPError err = SLP_UA_eTransact(
        hSLP->u32Unicast, SLP_FN_SRVTYPERPLY,
        [&](U16 xid, U8 flags, std::string_view prList, std::vector<U8>* out) {
            return SLP_MSG_bEncodeSrvTypeRqst(out, xid, flags, hSLP->Lang, prList, all, na, scopes);
        },
        [&](const SLP_MSG& reply, U32) -> BOOLEAN {
            for (std::string_view t : SLP_TEXT_Split(reply.Types)) {
                bool dup = false;
                for (const std::string& s : types)
                    dup = dup || SLP_TEXT_bEqualNoCase(s, t);
                if (!dup)
                    types.emplace_back(t);
            }
            return TRUE;
        });
    if (err != SLP_OK) {
        callback(hSLP, nullptr, err, pvCookie);
        return err;
    }
    if (!types.empty()) {
        std::string list;
        for (const std::string& t : types) {
            if (!list.empty())
                list += ',';
            list += t;
        }
        if (!callback(hSLP, list.c_str(), SLP_OK, pvCookie))
            return SLP_OK;
    }
    callback(hSLP, nullptr, SLP_LAST_CALL, pvCookie);
    return SLP_OK;
}

SLPError SLPParseSrvURL(const char* pcSrvURL, SLPSrvURL** ppSrvURL)
{
    if (pcSrvURL == nullptr || ppSrvURL == nullptr)
        return SLP_PARAMETER_BAD;
    *ppSrvURL = nullptr;
    SLP_URL_PARTS parts;
    if (!SLP_URL_bSplit(pcSrvURL, &parts))
        return SLP_PARSE_ERROR;
    // One block: the record, then its four strings, so that one SLPFree
    // releases everything.
    size_t size = sizeof(SLPSrvURL) + parts.Type.size() + parts.Host.size() + parts.Part.size() + 4;
    char* block = (char*)malloc(size);
    if (block == nullptr)
        return SLP_MEMORY_ALLOC_FAILED;
    SLPSrvURL* u = (SLPSrvURL*)block;
    char* p = block + sizeof(SLPSrvURL);
    auto put = [&p](std::string_view s) {
        char* start = p;
        if (!s.empty())
            memcpy(p, s.data(), s.size());
        p[s.size()] = '\0';
        p += s.size() + 1;
        return start;
    };
    u->s_pcSrvType = put(parts.Type);
    u->s_pcHost = put(parts.Host);
    u->s_pcNetFamily = put("");
    u->s_pcSrvPart = put(parts.Part);
    u->s_iPort = parts.nPort;
    *ppSrvURL = u;
    return SLP_OK;
}

SLPError SLPParseAttrs(const char* pcAttrList, const char* pcAttrId, char** ppcAttrVal)
{
    if (pcAttrList == nullptr || pcAttrId == nullptr || ppcAttrVal == nullptr)
        return SLP_PARAMETER_BAD;
    *ppcAttrVal = nullptr;
    std::vector<SLP_ATTR> attrs;
    if (!SLP_ATTR_bParse(pcAttrList, &attrs))
        return SLP_PARSE_ERROR;
    const SLP_ATTR* a = SLP_ATTR_pFind(attrs, pcAttrId);
    if (a == nullptr)
        return SLP_PARSE_ERROR;
    *ppcAttrVal = copyOut(a->RawValue);
    return *ppcAttrVal != nullptr ? SLP_OK : SLP_MEMORY_ALLOC_FAILED;
}

void SLPFree(void* pvMem)
{
    free(pvMem);
}

SLPError SLPAssociateIP(SLPHandle hSLP, const char* unicast_ip)
{
    if (hSLP == nullptr)
        return SLP_PARAMETER_BAD;
    if (unicast_ip == nullptr || *unicast_ip == '\0') {
        hSLP->u32Unicast = 0;
        return SLP_OK;
    }
    in_addr a;
    if (inet_pton(AF_INET, unicast_ip, &a) != 1 || a.s_addr == 0)
        return SLP_PARAMETER_BAD;
    hSLP->u32Unicast = a.s_addr;
    return SLP_OK;
}
