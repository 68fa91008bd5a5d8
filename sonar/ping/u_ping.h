// The shared ping state: what the ping task, the playback task, the
// network receive task, the service-discovery client and the history task
// agree on about the sonar road. The system state as the sonar sees it,
// where each sonar source (0 2D, 1 Keelview, 2 Flankview, 3 360) is shown
// from, the server of each source and the monitor watching it, the
// depth-known counters, the selected beam and view, the 360 unit's deploy
// state, and the four lists of network clients.
//
// Mutex 100 (RES_SONAR_SHARE) is the lock of this state, taken by the ping
// task around its mail handlers and ping step and by the network receive
// task; other tasks read single values without it. The single-value
// accessors do not lock (each value is atomic, so a reader sees one whole
// value). The client-list operations and the server-address copies take
// mutex 100 themselves, since some callers do not hold it; its owner may
// take it again, so callers that hold it are unaffected.
#pragma once

#include "gmsg/gmsg.h"
#include "kernel/l_types.h"
#include "platform/h_recselect.h" // BEAM
#include "ui/neighbour_standins.h" // SYSTEM_STATE
#include "ui/u_view.h"             // LAYER_ID

constexpr MUTEX RES_SONAR_SHARE = 100;

// The sonar sources 0-3 (NET_SOURCE_TYPE values).
constexpr U32 SONAR_SOURCE_COUNT = 4;

// The state in which the sonar plays a recording back; the start-up
// subsystem's list of states ends before it.
constexpr SYSTEM_STATE STATE_PLAYBACK = (SYSTEM_STATE)11;

// Where this unit's display of a sonar source comes from.
typedef enum tag_NETWORK_CLIENT_STATE : int {
    NETWORK_CLIENT_STATE_INIT = 1,         // nothing decided yet
    NETWORK_CLIENT_STATE_LOCAL = 2,        // this unit's transducer
    NETWORK_CLIENT_STATE_REGISTER = 3,     // registration sent to a server, no answer yet
    NETWORK_CLIENT_STATE_CONNECTED = 4,    // a server's pings
    NETWORK_CLIENT_STATE_DISCONNECTED = 5  // no source
} NETWORK_CLIENT_STATE;

// One network client of a sonar source (server side).
typedef struct sonarRegisteredClientNode {
    U32 u32ClientAddress; // IPv4 address
    struct sonarRegisteredClientNode* next;
} sonarRegisteredClientNode;

// ---- Single values (no lock; a source outside 0-3 reads as no source and is not written) ----

NETWORK_CLIENT_STATE U_PING_eGetNetworkClientState(U32 u32Index);
void U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE eState, U32 u32Index);
SYSTEM_STATE U_PING_eGetSystemState(void);
void U_PING_vSetSystemState(SYSTEM_STATE eState);
BOOLEAN U_PING_bGetPlayback(void);
void U_PING_vSetPlayback(BOOLEAN bPlayback);
BOOLEAN U_PING_bGetDeepWaterMode(void);
void U_PING_vSetDeepWaterMode(BOOLEAN bDeepWater);
U32 U_PING_u32GetDepthKnownCnt(void);
void U_PING_vSetDepthKnownCnt(U32 u32Count);
void U_PING_vIncrementDepthKnownCnt(U32 u32Count);
// The monitor slot watching the server of a source (0 at start); -1 for a
// source outside 0-3.
S32 U_PING_s32GetServerMonitorHandle(U32 u32Index);
void U_PING_vSetServerMonitorHandle(S32 s32Handle, U32 u32Index);
// The source 0-3 whose monitor slot is s32Handle, else -1.
S32 U_PING_s32GetSonarIndexFromServerMonitorHandle(S32 s32Handle);
float U_PING_fGetCurrentDepth(void);
void U_PING_vSetCurrentDepth(float fDepth);
BEAM U_PING_beamGetBeamSelected(void);
void U_PING_vSetBeamSelected(BEAM beam);
LAYER_ID U_PING_layeridGetCurrentView(void);
void U_PING_vSetCurrentView(LAYER_ID view);
BOOLEAN U_PING_bGetMSSDeployState(void);
void U_PING_vSetMSSDeployState(BOOLEAN bDeployed);

// ---- Server addresses (copied under mutex 100; a zero address is no server) ----

void U_PING_vInitServerAddress(void);
// A source outside 0-3 gives the zero address.
void U_PING_vGetServerAddress(GMSG_ADDRESS* pAddress, U32 u32Index);
void U_PING_vSetServerAddress(const GMSG_ADDRESS* pAddress, U32 u32Index);

// ---- Client lists (under mutex 100; nodes from the general heap) ----

// Appends the address unless the list already holds it.
void U_PING_vAddClientNode(sonarRegisteredClientNode** ppList, U32 u32ClientAddress);
// Removes the first node with the address; nothing when there is none.
void U_PING_vDeleteClientNode(sonarRegisteredClientNode** ppList, U32 u32ClientAddress);
void U_PING_vAllDeleteClientNodes(sonarRegisteredClientNode** ppList);
