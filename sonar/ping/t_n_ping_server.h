// The ping task's network side: the sonar service on TCP 50688 (mailbox
// 8) that both servers and clients of sonar sharing speak, the server's
// records of its clients, the settings kept in step between units, and the
// client's switches between this unit's transducer and another unit's
// server.
//
// Everything here runs in the ping task under mutex 100 unless it says
// otherwise; the switches (t_n_ping_source and the client module) take
// mutex 100 themselves for the tasks that call them without it.
#pragma once

#include "gmsg/gmsg.h"
#include "gmsg/t_net_standins.h"
#include "gmsg/u_gmsg.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "sonar/dsp/s_transducer.h" // NET_SOURCE_TYPE
#include "sonar/dsp/s_types.h"

// ---- The service ----

constexpr U16 PING_SERVICE_PORT = 50688;
constexpr RESOURCE RES_PING = 80;
constexpr SEMA SEMA_GMSG_PING = 209;
constexpr U32 PING_SEND_TIMEOUT_MS = 500;
// Ports of the ping multicast per source.
constexpr U32 PING_MULTICAST_PORT_2D = 50880;
constexpr U32 PING_MULTICAST_PORT_IMAGING = 50882;
constexpr U32 PING_MULTICAST_PORT_360 = 50883;
// Samples a client of this unit asks a server for.
constexpr U32 PING_CLIENT_SAMPLE_LIMIT = 55000;
// A depth a client asks for is never taken shallower than this (metres).
constexpr float PING_CLIENT_MIN_DEPTH = 10.0f;
// Consecutive failed sends after which a client is dropped: the send that
// fails with more than this many failures behind it.
constexpr U32 PING_CLIENT_SEND_ERRORS = 10;

extern const GMSG_MAP_INFO s_PING_MsgMapInfo[];

// The per-client record: the user data of a client's entry in the
// destination table (there as a handle, index + 1, into a table of records).
typedef struct tag_perClientDataType {
    U32 u32MaximumSampleCount;        // the client's pingArrayLimit
    U32 u32SendConsecutiveErrorCount; // consecutive failed sends to it
} perClientDataType;

// Once, as soon as the Ethernet address is ready: mailbox 8 on the port,
// the destination table, the four server monitors and the multicast
// groups. TRUE when the service is up (now or before).
BOOLEAN T_N_PING_SetupNetworkInterface(void);
// The network mails of mailbox 8 (117, 119, 126, 122, 124); FALSE for any
// other command.
BOOLEAN T_N_PING_bHandleNetworkMail(GENERIC_MESSAGE* pMail);

// ---- Server side ----

BOOLEAN T_N_PING_bHandleNewDataRequest(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);
BOOLEAN T_N_PING_bHandleReceivePingDepth(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);
BOOLEAN T_N_PING_bHandleControlChangeRecieve(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);
BOOLEAN T_N_PING_bHandleNiceMessageAboutSomethingInThePast(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1,
                                                           void* pvParam2);

// Adds a client with a new record {u32UserData = its sample limit, 0}
// (bRegister), or removes its entries: all of them after a lost client,
// else the first. TRUE when added, or when something was removed.
BOOLEAN T_N_PING_bRegisterNetworkDestination(void* pvTable, const GMSG_ADDRESS* pAddress, BOOLEAN bRegister,
                                             U32 u32UserData);
// The record of a client (by IPv4 address), null when it has none.
perClientDataType* T_N_PING_pGetClientData(U32 u32ClientAddress);
// Sends the valid settings of a source to one client (advise 1).
BOOLEAN T_N_PING_bSynchronizeNewClientControls(U32 u32ClientAddress, U32 u32SonarSource);

BOOLEAN T_N_PING_bActiveClients(void);
void T_N_PING_vSetClientLost(BOOLEAN bLost);
void T_N_PING_vReset2DAdvClients(void);
BOOLEAN T_N_PING_bSyncLocalSideScanRange(void);
void T_N_PING_vResetLocalSideScanRangeCondVar(void);
// Clears the source's "ECPM" bit when no client wants it any more.
void T_N_PING_vHandleClients(U32 u32SonarSource);
// The second half of a peer disconnect: a client of this unit is gone.
void T_N_PING_vHandleLostClient(const GMSG_ADDRESS* pAddress);

// The multicast group (IPv4, network order) and port of a source's pings.
void T_N_PING_vGetMulticastTarget(U32 u32SonarSource, U32* pu32Group, U32* pu32Port);

// ---- Client side ----

typedef struct tag_NETWORK_SERVER_CONNECT_MESSAGE {
    GENERIC_MESSAGE Header; // CMD_ID_NETWORK_SERVER_CONNECT_MESSAGE
    GMSG_ADDRESS sServerAddress;
    U32 eService; // the source 0-3
} NETWORK_SERVER_CONNECT_MESSAGE;

typedef enum tag_CONNECTION_LOST_REASON : U32 {
    CONNECTION_LOST_TIMEOUT = 3,
    CONNECTION_LOST_DISCONNECT = 4,
} CONNECTION_LOST_REASON;

typedef struct tag_NETWORK_SERVER_CONNECTION_LOST_MESSAGE {
    GENERIC_MESSAGE Header; // CMD_ID_NETWORK_SERVER_CONNECTION_LOST_MESSAGE
    U32 u32SourceEnum;      // the dialog to show
    GMSG_ADDRESS sServerAddress;
    CONNECTION_LOST_REASON eConnectionLostReason;
} NETWORK_SERVER_CONNECTION_LOST_MESSAGE;

constexpr U32 DIA_SONAR_2D_SOURCE_LOST = 10;
constexpr U32 DIA_SONAR_KV_SOURCE_LOST = 11;
constexpr U32 DIA_SONAR_FV_SOURCE_LOST = 12;
constexpr U32 DIA_SONAR_360_SOURCE_LOST = 13;

constexpr MBOX SLP_CLIENT_MAILBOX = 55;
constexpr MBOX NET_PING_RECEIVE_MAILBOX = 69;

// The registration the ping task makes for the network receive task
// (command 122).
typedef struct tag_NETWORK_REGISTER_4DATA_MESSAGE {
    GENERIC_MESSAGE Header; // CMD_ID_NETWORK_REGISTER_4DATA
    BOOLEAN bRegister;
    U32 u32ServerAddress; // IPv4, network order
    U32 u32Port;
    U32 u32UserData; // the source's key "SN2D", "SNDI", "SNSI" or "S360"
} NETWORK_REGISTER_4DATA_MESSAGE;

void T_N_PING_vSwitchToNetworkSonar(U16 u16LocalIndex, U32 u32Transducer, U32 u32Mac);
void T_N_PING_vSetConnected(U32 eNetSourceType);
BOOLEAN T_N_PING_vUnregisterForNetworkData(U32 u32ServerIP, U32 u32ServerPort, U32 u32SonarSource);
BOOLEAN T_N_PING_bHandlePeerDisconnect(const MSG_GMSG_DISCONNECT* pMsg, BOOLEAN bCauseServerMonitorTimeout);
BOOLEAN T_N_PING_bHandleDataRecieve(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);
BOOLEAN T_N_PING_bHandleTransducerChange(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);

// A ping from a server, handed on to the processing task in a free
// descriptor (never waited for): every field but the buffers, the fish
// list and bIsLocal, and u32NumberOfSamples samples (at most
// PING_MAX_SAMPLES). FALSE when it was dropped (playback, no descriptor).
BOOLEAN T_N_PING_bHandOnNetworkPing(const PING_DESCRIPTOR* pReceived);
// The same for a multicast ping as received; short ones are dropped.
BOOLEAN T_N_PING_bHandOnMulticastPing(const U8* pu8Message, U32 u32Length);

// Pings from servers dropped for want of a free descriptor.
U32 T_N_PING_u32NetworkPingsWithoutDescriptor(void);
