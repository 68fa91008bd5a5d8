// Service registration and search over SLP.
//
// Registration builds the URL and the standard attributes from the service
// name, the instance and a GMSG address and hands them to the SLP agent of
// this process for good (lifetime 65535 s). A search asks for one service
// type with a filter made of the instance, the scope's address and the
// caller's attribute conditions, and turns every URL found into an entry:
// with a port the URL's host and port make a socket address, without one
// (a queue service, registered with port 0) the entry's "queue" attribute
// names the queue.
//
// The URLs and attributes found come from other units. Each one is checked
// before it becomes an entry; one that cannot be read fails the search (as
// any SLP failure does) but never damages the entries already taken. A
// scoped search binds the handle to one address only for its own duration:
// the next search, attribute or type request on the handle goes to every
// unit again.
#include "gmsg/service.h"

#include "gmsg/gsocket.h"
#include "kernel/h_memory.h"

#include <arpa/inet.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

constexpr const char* s_pcNullInstance = "NULL";
constexpr const char* s_pcLanguage = "en";
// The most entries or type names one call takes; more cannot come from
// sound units and would only grow a block toward the heap's limit.
constexpr U32 s_u32MaxItems = 1024;

// A formatted text in a heap block of exactly the needed length.
char* SERVICE_pcFormat(const char* pcFormat, ...) __attribute__((format(printf, 1, 2)));
char* SERVICE_pcFormat(const char* pcFormat, ...)
{
    va_list args;
    va_start(args, pcFormat);
    const int n = vsnprintf(nullptr, 0, pcFormat, args);
    va_end(args);
    if (n < 0)
        return nullptr;
    char* p = (char*)H_MEMORY_pvMalloc((U32)n + 1);
    va_start(args, pcFormat);
    vsnprintf(p, (size_t)n + 1, pcFormat, args);
    va_end(args);
    return p;
}

// "%d.%d.%d.%d" from the first octet (lowest byte in memory) up.
void SERVICE_vDotted(U32 u32Address, char (&acText)[16])
{
    U8 b[4];
    memcpy(b, &u32Address, sizeof b);
    snprintf(acText, sizeof acText, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
}

BOOLEAN SERVICE_bOwnAddress(U32* pu32Address)
{
    return GSOCKET_bGetLocalAddress(pu32Address, "eth0") || GSOCKET_bGetLocalAddress(pu32Address, "eth0:avahi");
}

const char* SERVICE_pcInstanceOf(const char* pcInstance)
{
    return (pcInstance != nullptr && *pcInstance != '\0') ? pcInstance : s_pcNullInstance;
}

// The registration's pieces for one address: the host text, the port and
// the label with its value ("port" and the number, or "queue" and the name).
typedef struct {
    char acAddress[16];
    int nPort;
    const char* pcLabel;
    char acValue[sizeof(QUEUE_ADDRESS) + 1];
} SERVICE_TARGET;

BOOLEAN SERVICE_bTarget(const GMSG_ADDRESS* pAddress, SERVICE_TARGET* pTarget)
{
    if (pAddress->MsgAddressType == GMSG_ADDRESS_SOCKET) {
        // A port the URL cannot carry, or port 0 (which reads as a queue
        // service), would make the registration unreadable for every unit.
        const U32 u32Port = pAddress->uAddr.Socket.u32Port;
        if (u32Port == 0 || u32Port > 65535)
            return FALSE;
        SERVICE_vDotted(pAddress->uAddr.Socket.u32Address, pTarget->acAddress);
        pTarget->nPort = (int)u32Port;
        pTarget->pcLabel = "port";
        snprintf(pTarget->acValue, sizeof pTarget->acValue, "%u", u32Port);
        return TRUE;
    }
    if (pAddress->MsgAddressType == SERVICE_ADDRESS_QUEUE) {
        // The name must end inside its 16 characters to be a name at all.
        const char* pcName = pAddress->uAddr.Queue.acName;
        const size_t nName = strnlen(pcName, sizeof pAddress->uAddr.Queue.acName);
        U32 u32Own = 0;
        if (nName == 0 || nName == sizeof pAddress->uAddr.Queue.acName || !SERVICE_bOwnAddress(&u32Own))
            return FALSE;
        SERVICE_vDotted(u32Own, pTarget->acAddress);
        pTarget->nPort = 0;
        pTarget->pcLabel = "queue";
        memcpy(pTarget->acValue, pcName, nName);
        pTarget->acValue[nName] = '\0';
        return TRUE;
    }
    return FALSE;
}

char* SERVICE_pcUrl(const char* pcService, const char* pcInstance, const SERVICE_TARGET* pTarget)
{
    return SERVICE_pcFormat("service:%s.%s://%s:%d/%s", pcService, SERVICE_NAMING_AUTHORITY, pTarget->acAddress,
                            pTarget->nPort, SERVICE_pcInstanceOf(pcInstance));
}

void SERVICE_vFreeEntry(SERVICE_ENTRY* pEntry)
{
    H_MEMORY_vFree(pEntry->pcURL);
    H_MEMORY_vFree(pEntry->pcService);
    H_MEMORY_vFree(pEntry->pcInstance);
    memset(pEntry, 0, sizeof *pEntry);
}

// The second token of a service type split at ":" and "." (empty tokens
// skipped): "service:sonar2DStream.velmora" names "sonar2DStream".
char* SERVICE_pcServiceName(const char* pcType)
{
    const char* p = pcType;
    for (int nToken = 0;; nToken++) {
        p += strspn(p, ":.");
        const size_t n = strcspn(p, ":.");
        if (n == 0)
            return nullptr;
        if (nToken == 1) {
            char* pcName = (char*)H_MEMORY_pvMalloc((U32)n + 1);
            memcpy(pcName, p, n);
            pcName[n] = '\0';
            return pcName;
        }
        p += n;
    }
}

enum SERVICE_FILL_RESULT { SERVICE_FILL_OK, SERVICE_FILL_FAILED, SERVICE_FILL_DROP };

// The queue name of a service without a port, from its "queue" attribute.
SERVICE_FILL_RESULT SERVICE_eQueueAddress(SERVICE_HANDLE hServiceHandle, SERVICE_ENTRY* pEntry)
{
    SERVICE_ATTR_CALLBACK_INFO Info = {nullptr, SLP_OK};
    const SLPError e = SLPFindAttrs(hServiceHandle, pEntry->pcURL, "", "queue", SERVICE_bAttributeCallback, &Info);
    char* pcQueue = nullptr;
    SERVICE_FILL_RESULT eResult = SERVICE_FILL_FAILED;
    if (e == SLP_OK && Info.err == SLP_OK && Info.pcAttributes != nullptr &&
        SLPParseAttrs(Info.pcAttributes, "queue", &pcQueue) == SLP_OK) {
        const size_t n = strlen(pcQueue);
        // A name that does not fit the queue address is someone else's
        // kind of service: it is left out rather than cut short.
        if (n >= sizeof pEntry->MsgAddress.uAddr.Queue.acName) {
            eResult = SERVICE_FILL_DROP;
        } else {
            pEntry->MsgAddress.MsgAddressType = SERVICE_ADDRESS_QUEUE;
            memcpy(pEntry->MsgAddress.uAddr.Queue.acName, pcQueue, n + 1);
            eResult = SERVICE_FILL_OK;
        }
    }
    SLPFree(pcQueue);
    H_MEMORY_vFree(Info.pcAttributes);
    return eResult;
}

// Service name, instance and address of one entry from its URL.
SERVICE_FILL_RESULT SERVICE_eFillEntry(SERVICE_HANDLE hServiceHandle, SERVICE_ENTRY* pEntry)
{
    SLPSrvURL* pUrl = nullptr;
    if (SLPParseSrvURL(pEntry->pcURL, &pUrl) != SLP_OK)
        return SERVICE_FILL_FAILED;
    SERVICE_FILL_RESULT eResult = SERVICE_FILL_FAILED;
    pEntry->pcService = SERVICE_pcServiceName(pUrl->s_pcSrvType);
    if (pEntry->pcService != nullptr) {
        const char* pcPath = pUrl->s_pcSrvPart;
        if (*pcPath == '/')
            pcPath++;
        if (*pcPath != '\0' && strcasecmp(pcPath, s_pcNullInstance) != 0)
            pEntry->pcInstance = U_UTILS_strdup(pcPath);
        memset(&pEntry->MsgAddress, 0, sizeof pEntry->MsgAddress);
        if (pUrl->s_iPort != 0) {
            in_addr Host;
            if (inet_pton(AF_INET, pUrl->s_pcHost, &Host) == 1) {
                GMSG_vMakeSocketAddress(&pEntry->MsgAddress, Host.s_addr, (U32)pUrl->s_iPort);
                eResult = SERVICE_FILL_OK;
            }
        } else {
            eResult = SERVICE_eQueueAddress(hServiceHandle, pEntry);
        }
    }
    SLPFree(pUrl);
    return eResult;
}

// Room for one more item in an array that grows by SERVICE_ARRAY_STEP.
template <typename T> BOOLEAN SERVICE_bGrow(T** ppArray, U32 u32Count, U32* pu32Allocated)
{
    if (u32Count < *pu32Allocated)
        return TRUE;
    if (u32Count >= s_u32MaxItems)
        return FALSE;
    const U32 u32New = *pu32Allocated + SERVICE_ARRAY_STEP;
    T* pNew = (T*)H_MEMORY_pvRealloc(*ppArray, u32New * (U32)sizeof(T));
    if (pNew == nullptr)
        return FALSE;
    *ppArray = pNew;
    *pu32Allocated = u32New;
    return TRUE;
}

} // namespace

SERVICE_HANDLE SERVICE_hOpenServiceHandle(void)
{
    SLPHandle h = nullptr;
    if (SLPOpen(s_pcLanguage, SLP_FALSE, &h) != SLP_OK)
        return nullptr;
    return h;
}

void SERVICE_vCloseServiceHandle(SERVICE_HANDLE hServiceHandle)
{
    if (hServiceHandle != nullptr)
        SLPClose(hServiceHandle);
}

BOOLEAN SERVICE_bRegister(SERVICE_HANDLE hServiceHandle, const char* pcService, const char* pcInstance,
                          const GMSG_ADDRESS* pServiceAddress, const char* pcAttributes)
{
    SERVICE_TARGET Target;
    if (hServiceHandle == nullptr || pcService == nullptr || *pcService == '\0' || pServiceAddress == nullptr ||
        !SERVICE_bTarget(pServiceAddress, &Target))
        return FALSE;
    char* pcAttrs = SERVICE_pcFormat("(service=%s),(instance=%s),(address=%s),(%s=%s),%s", pcService,
                                     SERVICE_pcInstanceOf(pcInstance), Target.acAddress, Target.pcLabel,
                                     Target.acValue, pcAttributes != nullptr ? pcAttributes : "");
    char* pcUrl = SERVICE_pcUrl(pcService, pcInstance, &Target);
    char* pcType = SERVICE_pcFormat("service:%s.%s", pcService, SERVICE_NAMING_AUTHORITY);
    SLPError eCallback = SLP_INTERNAL_SYSTEM_ERROR;
    const SLPError e = SLPReg(hServiceHandle, pcUrl, SLP_LIFETIME_MAXIMUM, pcType, pcAttrs, SLP_TRUE,
                              SERVICE_vRegCallback, &eCallback);
    H_MEMORY_vFree(pcType);
    H_MEMORY_vFree(pcUrl);
    H_MEMORY_vFree(pcAttrs);
    return e == SLP_OK && eCallback == SLP_OK;
}

BOOLEAN SERVICE_bUnregister(SERVICE_HANDLE hServiceHandle, const char* pcService, const char* pcInstance,
                            const GMSG_ADDRESS* pServiceAddress)
{
    SERVICE_TARGET Target;
    if (hServiceHandle == nullptr || pcService == nullptr || *pcService == '\0' || pServiceAddress == nullptr ||
        !SERVICE_bTarget(pServiceAddress, &Target))
        return FALSE;
    char* pcUrl = SERVICE_pcUrl(pcService, pcInstance, &Target);
    SLPError eCallback = SLP_INTERNAL_SYSTEM_ERROR;
    const SLPError e = SLPDereg(hServiceHandle, pcUrl, SERVICE_vRegCallback, &eCallback);
    H_MEMORY_vFree(pcUrl);
    return e == SLP_OK && eCallback == SLP_OK;
}

BOOLEAN SERVICE_bSearch(SERVICE_HANDLE hServiceHandle, SERVICE_SEARCH_INFO* pSearchInfo, const char* pcService,
                        const char* pcInstance, U32 u32IpAddress, const char* pcAttributeFilter,
                        SERVICE_SEARCH_SCOPE eSearchScope)
{
    if (pSearchInfo == nullptr)
        return FALSE;
    pSearchInfo->nCount = 0;
    pSearchInfo->ServiceInfoArray = nullptr;
    if (hServiceHandle == nullptr || pcService == nullptr || *pcService == '\0')
        return FALSE;

    char acAddress[16] = "";
    switch (eSearchScope) {
    case SERVICE_SEARCH_LOCAL:
        if (!SERVICE_bOwnAddress(&u32IpAddress))
            return FALSE;
        [[fallthrough]];
    case SERVICE_SEARCH_ADDRESS:
        SERVICE_vDotted(u32IpAddress, acAddress);
        if (SLPAssociateIP(hServiceHandle, acAddress) != SLP_OK)
            return FALSE;
        break;
    case SERVICE_SEARCH_GLOBAL:
        // An earlier binding would narrow this search to one unit.
        SLPAssociateIP(hServiceHandle, nullptr);
        break;
    default:
        return FALSE;
    }

    const BOOLEAN bInstance = pcInstance != nullptr && *pcInstance != '\0';
    const BOOLEAN bAddress = acAddress[0] != '\0';
    const char* pcConditions = pcAttributeFilter != nullptr ? pcAttributeFilter : "";
    char* pcFilter = nullptr;
    if (bInstance || bAddress || *pcConditions != '\0') {
        char* pcInstanceTerm = bInstance ? SERVICE_pcFormat("(instance=%s)", pcInstance) : nullptr;
        char* pcAddressTerm = bAddress ? SERVICE_pcFormat("(address=%s)", acAddress) : nullptr;
        pcFilter = SERVICE_pcFormat("(&%s%s%s)", pcInstanceTerm ? pcInstanceTerm : "",
                                    pcAddressTerm ? pcAddressTerm : "", pcConditions);
        H_MEMORY_vFree(pcInstanceTerm);
        H_MEMORY_vFree(pcAddressTerm);
    }
    char* pcType = SERVICE_pcFormat("%s.%s", pcService, SERVICE_NAMING_AUTHORITY);

    SERVICE_CALLBACK_INFO Info = {pSearchInfo, SLP_OK, 0};
    const SLPError e = SLPFindSrvs(hServiceHandle, pcType, "", pcFilter != nullptr ? pcFilter : "",
                                   SERVICE_bSearchCallback, &Info);
    H_MEMORY_vFree(pcType);
    H_MEMORY_vFree(pcFilter);

    BOOLEAN bResult = e == SLP_OK && Info.err == SLP_OK;
    if (!bResult) {
        SERVICE_bFreeSearchInfo(pSearchInfo);
    } else {
        U32 i = 0;
        while (bResult && i < pSearchInfo->nCount) {
            SERVICE_ENTRY* pEntry = &pSearchInfo->ServiceInfoArray[i];
            switch (SERVICE_eFillEntry(hServiceHandle, pEntry)) {
            case SERVICE_FILL_OK:
                i++;
                break;
            case SERVICE_FILL_DROP:
                SERVICE_vFreeEntry(pEntry);
                memmove(pEntry, pEntry + 1, (pSearchInfo->nCount - i - 1) * sizeof *pEntry);
                pSearchInfo->nCount--;
                break;
            case SERVICE_FILL_FAILED:
                bResult = FALSE;
                break;
            }
        }
    }
    if (bAddress)
        SLPAssociateIP(hServiceHandle, nullptr);
    return bResult;
}

BOOLEAN SERVICE_bFreeSearchInfo(SERVICE_SEARCH_INFO* pServiceSearchInfo)
{
    if (pServiceSearchInfo == nullptr)
        return FALSE;
    for (U32 i = 0; i < pServiceSearchInfo->nCount; i++)
        SERVICE_vFreeEntry(&pServiceSearchInfo->ServiceInfoArray[i]);
    H_MEMORY_vFree(pServiceSearchInfo->ServiceInfoArray);
    pServiceSearchInfo->ServiceInfoArray = nullptr;
    pServiceSearchInfo->nCount = 0;
    return TRUE;
}

BOOLEAN SERVICE_bGetAttributes(SERVICE_HANDLE hServiceHandle, const SERVICE_ENTRY* pServiceEntry,
                               const char* pAttributeIds, char** ppAttributeList)
{
    if (ppAttributeList == nullptr)
        return FALSE;
    *ppAttributeList = nullptr;
    if (hServiceHandle == nullptr || pServiceEntry == nullptr || pServiceEntry->pcURL == nullptr)
        return FALSE;
    SERVICE_ATTR_CALLBACK_INFO Info = {nullptr, SLP_OK};
    const SLPError e = SLPFindAttrs(hServiceHandle, pServiceEntry->pcURL, "",
                                    pAttributeIds != nullptr ? pAttributeIds : "", SERVICE_bAttributeCallback, &Info);
    if (e != SLP_OK || Info.err != SLP_OK) {
        H_MEMORY_vFree(Info.pcAttributes);
        return FALSE;
    }
    *ppAttributeList = Info.pcAttributes;
    return TRUE;
}

BOOLEAN SERVICE_bParseAttribute(const char* pAttributeList, const char* pAttribute, char** ppValue)
{
    if (ppValue == nullptr)
        return FALSE;
    *ppValue = nullptr;
    if (pAttributeList == nullptr || pAttribute == nullptr)
        return FALSE;
    char* pcValue = nullptr;
    if (SLPParseAttrs(pAttributeList, pAttribute, &pcValue) != SLP_OK)
        return FALSE;
    *ppValue = U_UTILS_strdup(pcValue);
    SLPFree(pcValue);
    return TRUE;
}

BOOLEAN SERVICE_bFreeAttribute(char* pAttributeListOrValue)
{
    if (pAttributeListOrValue == nullptr)
        return FALSE;
    H_MEMORY_vFree(pAttributeListOrValue);
    return TRUE;
}

BOOLEAN SERVICE_bGetServiceTypeInfo(SERVICE_HANDLE hServiceHandle, SERVICE_TYPE_INFO* pServiceTypeInfo)
{
    if (pServiceTypeInfo == nullptr)
        return FALSE;
    pServiceTypeInfo->nCount = 0;
    pServiceTypeInfo->pcServiceTypes = nullptr;
    if (hServiceHandle == nullptr)
        return FALSE;
    SERVICE_TYPE_CALLBACK_INFO Info = {nullptr, SLP_OK};
    const SLPError e = SLPFindSrvTypes(hServiceHandle, SERVICE_NAMING_AUTHORITY, "", SERVICE_bTypeCallback, &Info);
    if (e != SLP_OK || Info.err != SLP_OK) {
        H_MEMORY_vFree(Info.pcServiceTypes);
        return FALSE;
    }
    U32 u32Allocated = 0;
    for (const char* p = Info.pcServiceTypes; p != nullptr && *p != '\0';) {
        const size_t n = strcspn(p, ",");
        const char* pcDot = nullptr;
        for (size_t k = 0; k < n; k++)
            if (p[k] == '.')
                pcDot = p + k;
        if (pcDot != nullptr) {
            if (!SERVICE_bGrow(&pServiceTypeInfo->pcServiceTypes, pServiceTypeInfo->nCount, &u32Allocated))
                break;
            const size_t nKeep = (size_t)(pcDot - p);
            char* pcName = (char*)H_MEMORY_pvMalloc((U32)nKeep + 1);
            memcpy(pcName, p, nKeep);
            pcName[nKeep] = '\0';
            pServiceTypeInfo->pcServiceTypes[pServiceTypeInfo->nCount++] = pcName;
        }
        p += n;
        if (*p == ',')
            p++;
    }
    H_MEMORY_vFree(Info.pcServiceTypes);
    return TRUE;
}

BOOLEAN SERVICE_bFreeServiceTypeInfo(SERVICE_TYPE_INFO* pServiceTypeInfo)
{
    if (pServiceTypeInfo == nullptr)
        return FALSE;
    for (U32 i = 0; i < pServiceTypeInfo->nCount; i++)
        H_MEMORY_vFree(pServiceTypeInfo->pcServiceTypes[i]);
    H_MEMORY_vFree(pServiceTypeInfo->pcServiceTypes);
    pServiceTypeInfo->pcServiceTypes = nullptr;
    pServiceTypeInfo->nCount = 0;
    return TRUE;
}

void SERVICE_vRegCallback(SLPHandle, SLPError errCode, void* pvCookie)
{
    *(SLPError*)pvCookie = errCode;
}

SLPBoolean SERVICE_bSearchCallback(SLPHandle, const char* pcSrvURL, unsigned short, SLPError errCode,
                                   void* pvCookie)
{
    SERVICE_CALLBACK_INFO* pInfo = (SERVICE_CALLBACK_INFO*)pvCookie;
    if (errCode == SLP_LAST_CALL)
        return SLP_FALSE;
    if (errCode != SLP_OK) {
        pInfo->err = errCode;
        return SLP_FALSE;
    }
    if (pcSrvURL == nullptr)
        return SLP_TRUE;
    SERVICE_SEARCH_INFO* pSearch = pInfo->pSearchInfo;
    // Past the limit the search ends with what it has.
    if (!SERVICE_bGrow(&pSearch->ServiceInfoArray, pSearch->nCount, &pInfo->nAllocated))
        return SLP_FALSE;
    SERVICE_ENTRY* pEntry = &pSearch->ServiceInfoArray[pSearch->nCount++];
    memset(pEntry, 0, sizeof *pEntry);
    pEntry->pcURL = U_UTILS_strdup(pcSrvURL);
    return SLP_TRUE;
}

SLPBoolean SERVICE_bAttributeCallback(SLPHandle, const char* pcAttrList, SLPError errCode, void* pvCookie)
{
    SERVICE_ATTR_CALLBACK_INFO* pInfo = (SERVICE_ATTR_CALLBACK_INFO*)pvCookie;
    if (errCode == SLP_OK) {
        if (pInfo->pcAttributes == nullptr && pcAttrList != nullptr)
            pInfo->pcAttributes = U_UTILS_strdup(pcAttrList);
    } else if (errCode != SLP_LAST_CALL) {
        pInfo->err = errCode;
    }
    return SLP_FALSE;
}

SLPBoolean SERVICE_bTypeCallback(SLPHandle, const char* pcSrvTypes, SLPError errCode, void* pvCookie)
{
    SERVICE_TYPE_CALLBACK_INFO* pInfo = (SERVICE_TYPE_CALLBACK_INFO*)pvCookie;
    if (errCode == SLP_OK) {
        if (pInfo->pcServiceTypes == nullptr && pcSrvTypes != nullptr)
            pInfo->pcServiceTypes = U_UTILS_strdup(pcSrvTypes);
        return SLP_TRUE;
    }
    if (errCode != SLP_LAST_CALL)
        pInfo->err = errCode;
    return SLP_FALSE;
}
