// Waypoint sharing between units: the navigation task's GMSG service on
// TCP 50816 (mailbox 16). A unit asks a peer for its waypoints (0x1A0001);
// the peer, when it shares ("SEND"), confirms, sends all its own waypoints
// as one slice (0x1A0002) and asks for the asker's in turn. From then on
// every own add, edit and delete is pushed as a slice to every unit that
// asked. Each unit keeps up to three peers, each in a bank of its own
// (nav/data/t_nav_network.h).
//
// Wire forms, little-endian, no gaps:
//   0x1A0001 (12 bytes): U32 version 1, U32 registerFlag, U32 source.
//   0x1A0002 (20 + 28 n): U32 version 1, S32 operation (0 add, 1 edit,
//   2 delete), S32 start slot, S32 count, S32 n, then n 28-byte waypoint
//   records for the slots from start on.
// A received slice is applied only when 0 <= start < 3000, 0 <= count <=
// 3000 - start, n = count for add and edit and 0 for delete, and its
// length is exactly 20 + 28 n; anything else is dropped and counted.
#pragma once

#include "gmsg/gmsg.h"
#include "gmsg/u_gmsg.h"
#include "kernel/l_types.h"
#include "nav/data/t_nav_network.h"
#include "nav/data/t_nav_record.h"

constexpr U16 NAV_SERVICE_PORT = 50816;
constexpr RESOURCE RES_NAV_GMSG = 86;
constexpr SEMA SEMA_GMSG_NAV = 213;
constexpr U32 NAV_STATUS_REGISTERED = 0x1A0000;
constexpr U32 NAV_STATUS_REFUSED = 0x1A0001;
constexpr U32 NAV_SLICE_HEADER_BYTES = 20;
constexpr U32 NAV_SLOTS_PER_BANK = 3000;
// Consecutive failed sends (over all destinations) after which each
// further failure drops its destination.
constexpr U32 NAV_SEND_ERRORS = 10;

typedef struct tag_NAVRequestDataType {
    U32 registerFlag; // 1 register, 0 unregister
    U32 source;       // kept with the destination; this unit sends 0
} NAVRequestDataType;

// A slice in memory; a received one owns pRecords.
typedef struct tag_DynamicWaypointArraySlice {
    S32 s32NetworkOperation;
    S32 s32StartIndex;
    S32 s32Count;
    S32 s32Records;     // records that follow
    WAYPOINT* pRecords; // s32Records records
} DynamicWaypointArraySlice;

extern const G_DATA_TYPE DT_NAV_REQUEST_DATA;
extern const G_DATA_TYPE DT_DYNAMIC_WAYPOINT_ARRAY_SLICE;
extern const GMSG_MAP_INFO s_NAV_MsgMapInfo[];

// Bytes of a slice of n records on the wire.
inline U32 T_NAV_SHARE_u32SliceBytes(U32 u32Records) { return NAV_SLICE_HEADER_BYTES + WAYPOINT_BYTES * u32Records; }

BOOLEAN T_NAV_bHandleNewDataRequest(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);
BOOLEAN T_NAV_bHandleRecieveWaypointArraySlice(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);
BOOLEAN T_NAV_bHandleStatus(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);

// The change callback of the waypoint-network layer (mutex 9 held).
void vWaypointCallback(U32 u32IpAddress, U16 u16Index, U16 u16Count, const WAYPOINT* pWaypointData,
                       NAV_NETWORK_OP eNetworkOp);

// In the navigation task, on every tick: once the message fabric runs and
// the unit has an address, registers the service and the callback; asks the
// unit named in ROOT/etc/nav-peer (a dotted address) for its waypoints until
// it has become a peer; one that withdraws after that is not asked again
// while the file names it. TRUE once the service is up.
BOOLEAN T_NAV_SHARE_bPoll(void);
// Registers the service and the callback once the unit has an address (the
// "IERD" change, or the first poll that finds the fabric running); TRUE
// once it is up. Later calls do nothing.
BOOLEAN T_NAV_SHARE_bJoin(void);
// A mail of mailbox 16 for the service (117, 119, 124); FALSE for others.
BOOLEAN T_NAV_SHARE_bHandleMail(GENERIC_MESSAGE* pMail);

// The destination list of the units that asked for this unit's waypoints.
void* T_NAV_SHARE_pvDestinations(void);
// Slices dropped as malformed or out of range since the process started.
U32 T_NAV_SHARE_u32DroppedSlices(void);
// Consecutive failed sends over all destinations.
U32 T_NAV_SHARE_u32SendErrors(void);

// ---- The navigation task's side of sharing ----

// CMD_ID_NETWORK_REGISTER_4DATA from the service discovery: a unit that
// offers the waypoint service was found (bRegister) or lost.
typedef struct tag_NAV_REGISTER_4DATA_MESSAGE {
    GENERIC_MESSAGE Header;
    BOOLEAN bRegister;
    U32 u32ServerAddress; // IPv4, network order; 0 with !bRegister: every unit
    U32 u32Port;
    U32 au32UserData[2];
} NAV_REGISTER_4DATA_MESSAGE;

// Found: asks the unit for its waypoints when "SEND" is on and it is not a
// peer yet. Lost: tells a peer to stop; address 0 stops every destination.
// TRUE when a request or a stop went out (always for address 0).
BOOLEAN T_NAV_bHandleServerConnection(const NAV_REGISTER_4DATA_MESSAGE* pMsg);
// Each TRUE once its message went out.
BOOLEAN T_NAV_bRegisterForNetworkData(U32 u32Address, U32 u32Port);
BOOLEAN T_NAV_bUnregisterForNetworkData(U32 u32Address, U32 u32Port);
// Every destination that is a known peer is asked to stop and loses its
// bank; the destination table is then empty.
void T_NAV_vUnregisterForAllNetworkData(void);
// CMD_ID_GMSG_DISCONNECT, CMD_ID_SERVER_MONITOR_TIMEOUT: the address leaves
// the destination table; its bank stays.
BOOLEAN T_NAV_bHandlePeerDisconnect(const MSG_GMSG_DISCONNECT* pMsg);
