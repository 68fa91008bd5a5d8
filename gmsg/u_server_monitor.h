// Server monitors: a client task that depends on a server points a monitor
// at it, tells it of every message from that server, and gets a
// CMD_ID_SERVER_MONITOR_TIMEOUT mail (a MSG_GMSG_DISCONNECT carrying the
// server's address) once the server has been silent for longer than the
// monitor's interval. A monitor reports once and then stays quiet until its
// owner activates it again. The SLP client task runs the check on each of
// its polls.
//
// Monitors are named by handles, indexes into one table of 20 guarded by
// mutex 85; handles 0 to 18 are handed out, never freed. Calls with a
// handle that was not handed out do nothing.
#pragma once

#include "gmsg/gmsg.h"
#include "kernel/l_types.h"

typedef S32 SERVER_MOINITOR_HANDLE_TYPE; // -1: none
constexpr SERVER_MOINITOR_HANDLE_TYPE SERVER_MONITOR_NONE = -1;
constexpr int SERVER_MONITOR_TABLE_SIZE = 20;
constexpr U32 SERVER_MONITOR_DEFAULT_INTERVAL_MS = 60000;
constexpr MUTEX RES_SRVMONITOR = 85;

typedef struct tag_SERVER_MONITOR_TYPE {
    GMSG_ADDRESS gaServerAddress;
    MBOX mboxId;
    BOOLEAN bActive;
    U32 u32LastMessageReceivedTime; // free-running milliseconds
    U32 u32TimeoutTimeInterval;     // ms of silence allowed
    const char* pUserName;          // the caller's text, not copied
} SERVER_MONITOR_TYPE;

SERVER_MOINITOR_HANDLE_TYPE U_SERVER_MONITOR_u32Allocate(void);
void U_SERVER_MONITOR_vSetActive(SERVER_MOINITOR_HANDLE_TYPE h, BOOLEAN bActive);
void U_SERVER_MONITOR_vSetUserName(SERVER_MOINITOR_HANDLE_TYPE h, const char* pUserName);
void U_SERVER_MONITOR_vSetTimeoutInterval(SERVER_MOINITOR_HANDLE_TYPE h, U32 u32TimeoutInterval);
void U_SERVER_MONITOR_vSetMailbox(SERVER_MOINITOR_HANDLE_TYPE h, MBOX mboxId);
void U_SERVER_MONITOR_vSetServerAddress(SERVER_MOINITOR_HANDLE_TYPE h, const GMSG_ADDRESS* pgaServerAddress);
void U_SERVER_MONITOR_vReceivedMessage(SERVER_MOINITOR_HANDLE_TYPE h);
void U_SERVER_MONITOR_vCheckForTimeouts(void);
