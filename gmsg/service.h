// Service registration and search over SLP: the unit announces each network
// service it offers as one SLP registration under the naming authority
// "velmora", and finds the services of other units as entries that carry a
// ready GMSG address.
//
// A registration is the URL "service:NAME.velmora://ADDRESS:PORT/INSTANCE"
// with the attributes "(service=NAME),(instance=INSTANCE),(address=ADDRESS),
// (port=PORT),EXTRA"; a missing instance is written "NULL". A service reached
// through a queue rather than a port is registered at the unit's own address
// with port 0 and "(queue=NAME)" in place of the port.
//
// Every string handed out (URLs, names, attribute lists and values, type
// names) is a copy in the program heap and is freed by the matching free
// call. A handle is used by one task at a time; every call is synchronous.
#pragma once

#include "gmsg/gmsg.h"
#include "kernel/l_types.h"
#include "slp/slp.h"

typedef SLPHandle SERVICE_HANDLE; // null = none

constexpr const char* SERVICE_NAMING_AUTHORITY = "velmora";
// GMSG_ADDRESS type of a queue address (type 0 is a socket address).
constexpr U32 SERVICE_ADDRESS_QUEUE = 1;
// Entries and type names are kept in arrays that grow by this many.
constexpr U32 SERVICE_ARRAY_STEP = 4;

typedef enum tag_SERVICE_SEARCH_SCOPE {
    SERVICE_SEARCH_LOCAL = 0,   // services of this unit (its own address)
    SERVICE_SEARCH_ADDRESS = 1, // services of the unit at a given address
    SERVICE_SEARCH_GLOBAL = 2,  // every unit
} SERVICE_SEARCH_SCOPE;

typedef struct tag_SERVICE_ENTRY {
    char* pcURL;
    char* pcService;
    char* pcInstance; // null when the URL names none ("NULL")
    GMSG_ADDRESS MsgAddress;
} SERVICE_ENTRY;

typedef struct tag_SERVICE_SEARCH_INFO {
    U32 nCount;
    SERVICE_ENTRY* ServiceInfoArray;
} SERVICE_SEARCH_INFO;

typedef struct tag_SERVICE_TYPE_INFO {
    U32 nCount;
    char** pcServiceTypes; // "service:sonar2DStream", ...
} SERVICE_TYPE_INFO;

// Cookies of the library callbacks.
typedef struct tag_SERVICE_CALLBACK_INFO {
    SERVICE_SEARCH_INFO* pSearchInfo;
    SLPError err;
    U32 nAllocated;
} SERVICE_CALLBACK_INFO;

typedef struct tag_SERVICE_ATTR_CALLBACK_INFO {
    char* pcAttributes;
    SLPError err;
} SERVICE_ATTR_CALLBACK_INFO;

typedef struct tag_SERVICE_TYPE_CALLBACK_INFO {
    char* pcServiceTypes;
    SLPError err;
} SERVICE_TYPE_CALLBACK_INFO;

SERVICE_HANDLE SERVICE_hOpenServiceHandle(void);
void SERVICE_vCloseServiceHandle(SERVICE_HANDLE hServiceHandle);

// Address type 0 registers the socket address; type 1 the queue name at the
// unit's own address ("eth0", else "eth0:avahi"). TRUE when the agent took it.
BOOLEAN SERVICE_bRegister(SERVICE_HANDLE hServiceHandle, const char* pcService, const char* pcInstance,
                          const GMSG_ADDRESS* pServiceAddress, const char* pcAttributes);
BOOLEAN SERVICE_bUnregister(SERVICE_HANDLE hServiceHandle, const char* pcService, const char* pcInstance,
                            const GMSG_ADDRESS* pServiceAddress);

// Finds the services of one type, optionally narrowed to an instance, the
// unit of the scope and an LDAP attribute filter text ("(model>=5)"). TRUE
// also when nothing was found; the caller frees the entries with
// SERVICE_bFreeSearchInfo, also after a FALSE (entries found before a later
// step failed stay).
BOOLEAN SERVICE_bSearch(SERVICE_HANDLE hServiceHandle, SERVICE_SEARCH_INFO* pSearchInfo, const char* pcService,
                        const char* pcInstance, U32 u32IpAddress, const char* pcAttributeFilter,
                        SERVICE_SEARCH_SCOPE eSearchScope);
BOOLEAN SERVICE_bFreeSearchInfo(SERVICE_SEARCH_INFO* pServiceSearchInfo);

// The attribute list of an entry (pAttributeIds "" or null: all); null in
// *ppAttributeList when the agent reports none.
BOOLEAN SERVICE_bGetAttributes(SERVICE_HANDLE hServiceHandle, const SERVICE_ENTRY* pServiceEntry,
                               const char* pAttributeIds, char** ppAttributeList);
// The value of one attribute of a list; FALSE when it is not there.
BOOLEAN SERVICE_bParseAttribute(const char* pAttributeList, const char* pAttribute, char** ppValue);
BOOLEAN SERVICE_bFreeAttribute(char* pAttributeListOrValue);

// The service types of naming authority "velmora", each without ".velmora".
BOOLEAN SERVICE_bGetServiceTypeInfo(SERVICE_HANDLE hServiceHandle, SERVICE_TYPE_INFO* pServiceTypeInfo);
BOOLEAN SERVICE_bFreeServiceTypeInfo(SERVICE_TYPE_INFO* pServiceTypeInfo);

// Library callbacks.
void SERVICE_vRegCallback(SLPHandle hSLP, SLPError errCode, void* pvCookie);
SLPBoolean SERVICE_bSearchCallback(SLPHandle hSLP, const char* pcSrvURL, unsigned short sLifetime, SLPError errCode,
                                   void* pvCookie);
SLPBoolean SERVICE_bAttributeCallback(SLPHandle hSLP, const char* pcAttrList, SLPError errCode, void* pvCookie);
SLPBoolean SERVICE_bTypeCallback(SLPHandle hSLP, const char* pcSrvTypes, SLPError errCode, void* pvCookie);
