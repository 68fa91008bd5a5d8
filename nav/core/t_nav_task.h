// The navigation task (task 16): its start-up, the wait on its mailbox and
// timers, and the dispatch of every mail and semaphore to the navigation
// modules. Everything named here runs in the navigation task.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_timer.h"
#include "kernel/l_types.h"

constexpr SEMA SEMA_NAV_HIDE_STATUS = 232; // group-visibility timer
constexpr SEMA SEMA_NAV_GPS_DETECTED = 111;
constexpr SEMA SEMA_NAV_AUTO_ZOOM = 243;   // auto-zoom release timer
constexpr U32 NAV_HIDE_STATUS_FIRST_MS = 500;
constexpr U32 NAV_HIDE_STATUS_EVERY_MS = 5000;
// Reset status of a fatal start-up error.
constexpr int NAV_FATAL_EXIT_STATUS = 10;

// The task entry; never returns.
void T_NAV_vMain(void);

// The start-up, once, before the first wait. A second owner of "TNAV"
// ends the process (FATAL.LOG line, exit status 10).
void T_NAV_vInit(void);
// One mail of mailbox 16; the caller disposes of it afterwards.
void T_NAV_vHandleMail(MSGHEADER* pMail);
// One fired semaphore other than the mailbox's.
void T_NAV_vHandleSemaphore(SEMA sema);
// The wait list, zero-terminated.
extern const SEMA g_aNavWaitList[7];

// Registers the waypoint service once the message fabric runs and the unit
// has an address; later calls do nothing. TRUE once registered.
BOOLEAN T_NAV_SetupNetworkInterface(void);

// CMD_ID_RUN_SYSTEM: the info menus, the simulation in states 4 and 6, the
// current track from its log, the duplicate and declutter tables, the
// group-visibility timer.
void T_NAV_vHandleRunSystemMail(void);
// CMD_ID_RESET_POS.
void T_NAV_vHandleResetPos(void);
// CMD_ID_SHUTDOWN: the group manager closes and sharing stops.
void T_NAV_vHandleShutdown(void);

// The end of every 1 s tick: the countdown of a pending contour offset.
void T_NAV_STEVRIN_vHandleNavTimer(void);
// The simulated square course starts again at its first aim point.
void T_NAV_vResetInteractiveNavSim(void);
// The group visibility is recomputed at the next expiry of its timer.
void T_NAV_vActivateUpdateHideStatus(void);
BOOLEAN T_NAV_bUpdateHideStatusPending(void);
// A GPS receiver was detected since the task started.
BOOLEAN T_NAV_bGPSDetected(void);

// The auto-zoom release timer (may be null when no timer was free).
extern TIMER_INFO* s_clkAutoZoom;
