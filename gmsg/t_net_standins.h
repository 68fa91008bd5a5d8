// STAND-INS of the networking subsystem's calls and tasks that sonar
// sharing between units needs until that subsystem is built: the multicast
// group of a sonar source, the network source list, two answers of the
// service-discovery client, and the segmented-UDP send (task 56, mailbox
// 58) and receive (task 55, mailbox 57) tasks.
//
// The segmented-UDP stand-ins carry one message as one UDP datagram (the
// largest ping, 276 + 55000 bytes, fits): no segments, no reassembly. Each
// goes when the real module lands.
#pragma once

#include "gmsg/u_gmsg.h"
#include "kernel/l_types.h"

#include <string>
#include <vector>

// ---- The Ethernet task ----

// The multicast group of a sonar source (0 2D, 1 and 2 imaging, 3 360)
// from this unit's address a.b.c.d: 239.k.c.d with k = 0, 2, 2, 4; the
// four octets in network order (239 in the lowest byte). 0 without an
// address.
void T_ETHERNET_vGetMulticastIpAddress(U32 u32SonarSource, U32* pu32Group);
// Adds an entry to the network source list of a source type; here the
// entries are only kept for the tests to read.
void T_ETHERNET_vAddNetSource(const char* pcName, U32 u32ModelCode, U32 u32Column3, U32 u32Column4, U32 u32UniqueId,
                              U32 eSourceType, BOOLEAN bSaved);

typedef struct tag_T_ETHERNET_NET_SOURCE {
    std::string sName;
    U32 u32ModelCode, u32Column3, u32Column4, u32UniqueId, eSourceType;
    BOOLEAN bSaved;
} T_ETHERNET_NET_SOURCE;
std::vector<T_ETHERNET_NET_SOURCE> T_ETHERNET_STANDIN_vNetSources(void);

// ---- The service-discovery client ----

// The "transducer" attribute of a sonar server's service. Without service
// discovery the one server a unit knows is the one named in
// ROOT/etc/sonar-server ("address source transducer"): its transducer for
// that address, 0 for any other.
U32 T_SLP_CLIENT_u32GetTransducerFromServerIP(U32 u32ServerAddress, U32 u32Port, U32 u32ServiceIndex);
// The unique id of the last 360 server found: none here (0).
U32 T_SLP_CLIENT_u32GetSweepingMac(void);

// ---- Segmented UDP ----

constexpr MBOX SUDP_IN_MBOX = 57;

// Registers (doRegister) or drops a receiver of raw or GMSG messages to a
// port, joining the multicast group named in mcastAddress (dotted text;
// empty: none).
typedef struct tag_MSG_SUDP_IN_REGISTER {
    GENERIC_MESSAGE Header; // CMD_ID_SUDP_IN_REGISTER
    U32 doRegister;
    U32 port;
    U32 mailBox;
    U32 isRaw;
    U32 isMultiPacket;
    char mcastAddress[16];
} MSG_SUDP_IN_REGISTER;

// Sends one MSG_SUDP_OUT_SEND as one datagram from the unit's interface
// (multicast groups leave through it too) and frees its block; the mail
// itself stays the caller's. FALSE when the datagram could not be sent.
BOOLEAN T_SUDP_OUT_bSend(MSG_SUDP_OUT_SEND* pMail);
// Task 56: sends every mail of mailbox 58.
void T_SUDP_OUT_vMain(void);
// Task 55: takes MSG_SUDP_IN_REGISTER mails (command 128) on mailbox 57;
// while a port is registered, every datagram to it (the group joined when
// one is named) goes to the registered mailbox as a
// MSG_GMSG_NEW_MESSAGE_EXT with a program-heap block the receiver frees.
void T_SUDP_IN_vMain(void);
// The receiver is done with a message of T_SUDP_IN_vMain: frees its block
// (the mail stays the caller's). At most a few messages are out at once;
// datagrams beyond them are dropped.
void T_SUDP_IN_vRelease(MSG_GMSG_NEW_MESSAGE_EXT* pMail);
// Datagrams dropped for want of room since the process started.
U32 T_SUDP_IN_u32Dropped(void);
