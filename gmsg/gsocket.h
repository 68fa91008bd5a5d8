// The socket wrapper: IPv4 stream and datagram sockets of the message fabric
// with fixed options, non-blocking mode, a 250 ms connection limit, peeking,
// and the queries of the unit's own IPv4 and hardware addresses.
//
// Ports are host-order integers, converted only inside socket addresses;
// IPv4 addresses are kept in network order (first octet in the lowest byte
// of memory) throughout.
#pragma once

#include "kernel/l_types.h"

struct sockaddr_in;

typedef struct tag_GSOCKET_ADDRESS {
    U32 u32Address; // IPv4, network order; 0 = any
    U32 u32Port;    // host order
    U32 u32Unused1;
    U32 u32Unused2;
} GSOCKET_ADDRESS;

typedef struct tag_GSOCKET {
    int nSocket; // the descriptor; -1 when closed
    GSOCKET_ADDRESS Address;
    int nBacklog;
    BOOLEAN bListen;
    BOOLEAN bNonBlocking;
} GSOCKET;

// How long a connection may take to complete.
constexpr int GSOCKET_CONNECT_TIMEOUT_US = 250000;

BOOLEAN GSOCKET_bOpenSocket(GSOCKET* pSocket, struct sockaddr_in* pSockAddr, const char* hostname, U32 u32IPaddress,
                            U16 u16PortNumber, BOOLEAN bSetLinger, BOOLEAN bUdp);
BOOLEAN GSOCKET_bCreate(GSOCKET* pSocket, U32 u32Address, U16 u16Port, BOOLEAN bListen, int nBacklog,
                        BOOLEAN bNonBlocking);
BOOLEAN GSOCKET_bCreateUdp(GSOCKET* pSocket, U32 u32Address, U16 u16Port, BOOLEAN bListen, int nBacklog,
                           BOOLEAN bNonBlocking);
BOOLEAN GSOCKET_bSetNonBlocking(GSOCKET* pSocket, BOOLEAN bNonBlocking);
BOOLEAN GSOCKET_bSetBroadcastOptions(GSOCKET* pSocket);
BOOLEAN GSOCKET_bAccept(GSOCKET* pListenSocket, GSOCKET* pConnectSocket, BOOLEAN bNonBlocking);
BOOLEAN GSOCKET_bConnect(GSOCKET* pSocket);
int GSOCKET_nSend(GSOCKET* pSocket, const void* pData, int nDataLength);
int GSOCKET_nReceive(GSOCKET* pSocket, void* pData, int nMaxData);
int GSOCKET_nReceiveFrom(GSOCKET* pSocket, void* pData, int nMaxData);
int GSOCKET_nDataAvailable(GSOCKET* pSocket, void* pData, int nMaxData);
int GSOCKET_nDataAvailableUdp(GSOCKET* pSocket, void* pData, int nMaxData);
BOOLEAN GSOCKET_bClose(GSOCKET* pSocket);

// The unit names its interfaces "eth0", "eth0:avahi" and "eth0:serv". On
// this machine the interface that plays "eth0" is configurable: the
// environment variable VONDREL_NET_IF, or GSOCKET_vSetInterface, replaces
// the leading "eth0" of every name asked for ("lo" turns "eth0:avahi" into
// "lo:avahi"). Unset, the names are used as they are.
void GSOCKET_vSetInterface(const char* pcInterface); // null: back to the environment
// TRUE when such an interface is named: every socket is then bound to its
// address (*pu32Address, 0 when it has none), never to all interfaces, and
// cannot be made without one.
BOOLEAN GSOCKET_bBindsToInterface(U32* pu32Address);
BOOLEAN GSOCKET_bGetLocalAddress(U32* pu32Address, const char* pDevice);
BOOLEAN GSOCKET_bGetMacAddress(U8* pcMacAddress, const char* pDevice);
