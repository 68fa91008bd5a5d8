// The service directory: a set of strings with set operations, in practice
// the attribute lists of the services found on the network, one string per
// service, so that a service can be found by texts such as
// "(service=radarMaster)". A directory owns its strings, which live in the
// program heap.
//
// One global directory, kept up to date by the SLP client task, is guarded
// by mutex 81: a reader obtains it, searches it into a private copy and
// releases it, and keeps no pointer into it afterwards. Private directories
// are not locked.
#pragma once

#include "kernel/l_types.h"

typedef struct tag_ServiceDirectoryType ServiceDirectoryType; // opaque

constexpr MUTEX RES_GLOBAL_SERVICE_DIRECTORY = 81;

ServiceDirectoryType* U_SERVICE_DIRECTORY_pNew(void);
// Frees the strings, the array and the record; FALSE for null.
BOOLEAN U_SERVICE_DIRECTORY_vFree(ServiceDirectoryType* p);
// Appends the string itself, a program-heap block the directory takes over.
BOOLEAN U_SERVICE_DIRECTORY_bAddElement(ServiceDirectoryType* p, char* pcElement);
// Removing is not offered: FALSE, nothing changes.
BOOLEAN U_SERVICE_DIRECTORY_bRemoveElement(ServiceDirectoryType* p, const char* pcElement);
U32 U_SERVICE_DIRECTORY_u32GetNumberOfItems(const ServiceDirectoryType* p);
// The string at index (not a copy); null out of range.
const char* U_SERVICE_DIRECTORY_u32GetItem(const ServiceDirectoryType* p, U32 index);
// New directories of copies: the strings that contain the text (or, for the
// second, every text of the null-terminated list); null when nothing matches.
ServiceDirectoryType* U_SERVICE_DIRECTORY_pcFindElementsMatchingAttribute(const ServiceDirectoryType* p,
                                                                          const char* pcMatchAttribute);
ServiceDirectoryType* U_SERVICE_DIRECTORY_pcFindElementsMatchingAttributes(const ServiceDirectoryType* p,
                                                                           const char* pcMatchAttribute, ...);
BOOLEAN U_SERVICE_DIRECTORY_pcContainsItem(const ServiceDirectoryType* p, const char* item);
// Copies of the strings of A that equal no string of B, in A's order (an
// empty directory when there are none); null when either is null.
ServiceDirectoryType* U_SERVICE_DIRECTORY_pcSetDifference(const ServiceDirectoryType* pDirectoryA,
                                                          const ServiceDirectoryType* pDirectoryB);
void U_SERVICE_DIRECTORY_vPrint(const ServiceDirectoryType* p);

// The global directory: null (nothing locked) when none is set; otherwise
// mutex 81 is held until the release.
ServiceDirectoryType* U_SERVICE_DIRECTORY_pObtainGobalServiceDirectory(void);
void U_SERVICE_DIRECTORY_vReleaseGobalServiceDirectory(ServiceDirectoryType* p);
// Frees the previous global directory and takes p over.
BOOLEAN U_SERVICE_DIRECTORY_bSetGobalServiceDirectory(ServiceDirectoryType* p);
