// Sockets of the SLP library: the user agent's request socket and the
// service agent's two listening sockets, all IPv4 UDP.
//
// The service agent listens on a socket bound to the multicast group and the
// SLP port (shared with other agents on the same host, which all need every
// multicast request) and on one bound to the unit's own address and the port
// for unicast requests; that one ignores multicast so that no request is
// answered twice.
#pragma once

#include "kernel/l_types.h"
#include "slp/slp_config.h"

#include <cstddef>

// Index of the configured interface, 0 when none is named or it is missing.
unsigned SLP_NET_uInterfaceIndex(const SLP_CONFIG* pConfig);
// The configured address, else the first IPv4 address of the interface.
BOOLEAN SLP_NET_bLocalAddress(const SLP_CONFIG* pConfig, U32* pu32Address);
// Request socket: bound to the configured address and a free port, with the
// multicast interface, loop-back and TTL set. -1 on failure.
int SLP_NET_nOpenRequestSocket(const SLP_CONFIG* pConfig);
BOOLEAN SLP_NET_bOpenAgentSockets(const SLP_CONFIG* pConfig, int* pnMulticast, int* pnUnicast);
// One datagram; the sender and the local address it reached (0 when the
// socket does not report it). -1 on error, -2 when nothing is waiting.
long SLP_NET_nReceive(int nSocket, U8* pBuffer, size_t nSize, U32* pu32From, U16* pu16FromPort,
                      U32* pu32Local);
BOOLEAN SLP_NET_bSend(int nSocket, const U8* pData, size_t nLength, U32 u32To, U16 u16Port);
