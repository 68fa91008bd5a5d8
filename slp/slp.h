// The Service Location Protocol user and service agent API (SLPv2) with the
// calls, types, error codes and callback contracts of the standard SLP C API.
//
// Every handle works synchronously: a call returns after its callback has
// been called for the last time. Searches without an associated address go
// out as multicast requests (retransmitted with the list of previous
// responders until no new answer arrives); with SLPAssociateIP they go to that
// address alone. Registrations are held by the service agent inside this
// process, which answers the requests of other units for them.
//
// Callbacks: a search callback is called once per result with SLP_OK, then
// once more with SLP_LAST_CALL and null data; returning SLP_FALSE ends the
// operation at once (no last call). An error is reported by one call with the
// error code and null data, and the call returns the same code. A callback
// must not use the handle it was called on (SLP_HANDLE_IN_USE).
//
// Memory handed out by SLPParseSrvURL and SLPParseAttrs is freed with SLPFree.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    SLP_LAST_CALL = 1,
    SLP_OK = 0,
    SLP_LANGUAGE_NOT_SUPPORTED = -1,
    SLP_PARSE_ERROR = -2,
    SLP_INVALID_REGISTRATION = -3,
    SLP_SCOPE_NOT_SUPPORTED = -4,
    SLP_AUTHENTICATION_ABSENT = -6,
    SLP_AUTHENTICATION_FAILED = -7,
    SLP_INVALID_UPDATE = -13,
    SLP_REFRESH_REJECTED = -15,
    SLP_NOT_IMPLEMENTED = -17,
    SLP_BUFFER_OVERFLOW = -18,
    SLP_NETWORK_TIMED_OUT = -19,
    SLP_NETWORK_INIT_FAILED = -20,
    SLP_MEMORY_ALLOC_FAILED = -21,
    SLP_PARAMETER_BAD = -22,
    SLP_NETWORK_ERROR = -23,
    SLP_INTERNAL_SYSTEM_ERROR = -24,
    SLP_HANDLE_IN_USE = -25,
    SLP_TYPE_ERROR = -26
} SLPError;

typedef enum {
    SLP_FALSE = 0,
    SLP_TRUE = 1
} SLPBoolean;

#define SLP_LIFETIME_DEFAULT 10800
#define SLP_LIFETIME_MAXIMUM 65535

typedef struct srvurl {
    char* s_pcSrvType;    // "service:printer:lpr", everything before "://"
    char* s_pcHost;       // host name or dotted address
    int s_iPort;          // 0 when the URL names none
    char* s_pcNetFamily;  // "" for IP
    char* s_pcSrvPart;    // the rest after host and port, "/" included
} SLPSrvURL;

typedef struct SLP_HANDLE_REC* SLPHandle;

typedef void SLPRegReport(SLPHandle hSLP, SLPError errCode, void* pvCookie);
typedef SLPBoolean SLPSrvTypeCallback(SLPHandle hSLP, const char* pcSrvTypes, SLPError errCode,
                                      void* pvCookie);
typedef SLPBoolean SLPSrvURLCallback(SLPHandle hSLP, const char* pcSrvURL, unsigned short sLifetime,
                                     SLPError errCode, void* pvCookie);
typedef SLPBoolean SLPAttrCallback(SLPHandle hSLP, const char* pcAttrList, SLPError errCode,
                                   void* pvCookie);

// pcLang null or "" takes "en"; asynchronous handles are not offered.
SLPError SLPOpen(const char* pcLang, SLPBoolean isAsync, SLPHandle* phSLP);
void SLPClose(SLPHandle hSLP);

// Registers with the service agent of this process. A lifetime of
// SLP_LIFETIME_MAXIMUM keeps the registration until it is deregistered.
// pcSrvType is used only for URLs outside the "service:" scheme.
SLPError SLPReg(SLPHandle hSLP, const char* pcSrvURL, const unsigned short usLifetime,
                const char* pcSrvType, const char* pcAttrs, SLPBoolean fresh,
                SLPRegReport callback, void* pvCookie);
SLPError SLPDereg(SLPHandle hSLP, const char* pcSrvURL, SLPRegReport callback, void* pvCookie);

// pcScopeList null or "" takes the configured scopes.
SLPError SLPFindSrvs(SLPHandle hSLP, const char* pcServiceType, const char* pcScopeList,
                     const char* pcSearchFilter, SLPSrvURLCallback callback, void* pvCookie);
SLPError SLPFindAttrs(SLPHandle hSLP, const char* pcURLOrServiceType, const char* pcScopeList,
                      const char* pcAttrIds, SLPAttrCallback callback, void* pvCookie);
// pcNamingAuthority "*" lists every naming authority, "" the default one only.
SLPError SLPFindSrvTypes(SLPHandle hSLP, const char* pcNamingAuthority, const char* pcScopeList,
                         SLPSrvTypeCallback callback, void* pvCookie);

SLPError SLPParseSrvURL(const char* pcSrvURL, SLPSrvURL** ppSrvURL);
// The value text of one attribute of an attribute list ("(a=1),(b=x,y)"):
// SLP_PARSE_ERROR when the list has no such attribute.
SLPError SLPParseAttrs(const char* pcAttrList, const char* pcAttrId, char** ppcAttrVal);
void SLPFree(void* pvMem);

// Sends the handle's requests to this IPv4 address alone; null or "" goes
// back to multicast.
SLPError SLPAssociateIP(SLPHandle hSLP, const char* unicast_ip);

#ifdef __cplusplus
}
#endif
