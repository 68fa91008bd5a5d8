// Service URLs and service types.
//
// A service URL is "service:<type>://<host>[:<port>][/<path>]"; its service
// type is everything before "://". A type is "service:" followed by an
// abstract name with an optional naming authority after its first "."
// ("service:sonar2DStream.velmora") and optionally a concrete part after a
// further ":" ("service:ethhost.velmora:0100:..."). A request for the abstract
// type finds every concrete type under it.
#pragma once

#include "kernel/l_types.h"

#include <string>
#include <string_view>

typedef struct {
    std::string_view Type;   // before "://"
    std::string_view Host;
    int nPort;               // 0 when the URL names none
    std::string_view Part;   // from the first "/" after the host, "" when none
} SLP_URL_PARTS;

// False when the text is not "<type>://..." with a non-empty type, or the
// port is not a number from 0 to 65535. Port 0 reads as none: units write
// ":0" for a service that is reached through a queue rather than a port.
BOOLEAN SLP_URL_bSplit(std::string_view Url, SLP_URL_PARTS* pParts);
// "service:" put in front when the type lacks it.
std::string SLP_URL_NormalType(std::string_view Type);
// Registered type Have answers a request for Want: equal, or Want is its
// abstract type (case ignored).
BOOLEAN SLP_URL_bTypeMatches(std::string_view Have, std::string_view Want);
// Naming authority of a type: "" for the default (IANA) one.
std::string_view SLP_URL_NamingAuthority(std::string_view Type);
