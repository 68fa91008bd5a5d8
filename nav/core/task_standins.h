// STAND-INS for what the navigation task, its keys and its marks need of
// modules not built yet: the group manager and its editors, the chart
// task's lake-chart card and contour folders, the chart-object info page,
// the trolling-motor link's history, and the service discovery's
// announcements of units that offer the waypoint service.
//
// Each keeps the name and arguments of the real call so that the callers do
// not change when the real module replaces it; delete the stand-in then.
// Every call is recorded as a line of text for the tests to read; the
// recorder is safe from any thread.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_twr_sort.h" // ST_POINT_TYPE_INDEX
#include "store/lang.h"
#include "ui/u_keyboard.h"

#include <string>
#include <vector>

// ---- The group manager and its editors ----

// The pop-up note countdown of the editors: nothing.
void T_NAV_vHandleUpdateNAVUITimer(void);
// "hide-status"
void T_NAV_GROUP_vCheckWaypointInVisibleGroup(void);
// "edit-reset"
void T_NAV_EDIT_vResetState(void);
// "visible <id>", "highlight <id>", "refresh"
void T_NAV_GROUP_vSetWaypointVisible(U16 u16Id);
void T_NAV_GROUP_vSetCurrentHighlight(U16 u16Id);
void T_NAV_GROUP_vRefreshDirectory(void);
// The group manager is open (never, here).
BOOLEAN T_NAV_GROUP_bIsOpen(void);
// "group-shutdown"
void T_NAV_GROUP_vShutdown(void);
// None of these pop-ups is ever shown here: the key is not taken.
BOOLEAN T_NAV_GROUP_bHandleKeys(const MSG_KEY_CHANGE* pMsg);
BOOLEAN T_NAV_EDIT_bHandleKeys(const MSG_KEY_CHANGE* pMsg);
BOOLEAN T_NAV_INFO_bHandleKeys(const MSG_KEY_CHANGE* pMsg);
// The point list: "select-point <title>"; TRUE.
typedef void NAV_POINT_SELECTED(ST_POINT_TYPE_INDEX* ptSelectedIndex);
BOOLEAN T_NAV_EDIT_bSelectTWRPointSetup(NAV_POINT_SELECTED* pfnSelected, void* pNone, const char* pcTitle,
                                        U32 u32Arg1, U32 u32Arg2);
// The icon dialog of a mark: "icon-dialog".
void T_NAV_GROUP_vSelectWaypointIconForMark(void);

// ---- The chart task ----

// A lake-chart card is open (scriptable, FALSE).
BOOLEAN U_CHART_GENERIC_bIsChartCardOpen(void);
void NAV_TASK_STANDIN_vSetChartCardOpen(BOOLEAN bOpen);
// "declutter-zoom"
void T_CHART_vChartDeclutterHandleZoom(void);
// The lake-chart folders usable for contour following: none here.
S32 T_CHART_nGetFTCPaths(char (*pacPaths)[9], S32 nMax);
// A contour pick at the point (degrees); here never a contour.
void U_CHART_GENERIC_vDORRIMStevrinInit(void** ppContour, double dLatitude, double dLongitude, S32 nMaxPoints,
                                        float fSpacing, char* pcPickText, S32* pnPickDepth, S32* anAzimuth,
                                        S32* anDeeper, S32* anUserPicked);

// The trolling-motor link's queries and the cursor track's actions are
// in chart_menu_standins.h and t_nav_cursor_items.h.

// ---- Service discovery ----

// For each dotted address in VONDREL_NAV_PEERS (separated by commas or
// blanks) one CMD_ID_NETWORK_REGISTER_4DATA mail {register, address, port
// 50816} to mailbox 16, once per process. Tests only.
void NAV_TASK_STANDIN_vAnnounceNavPeers(void);

// ---- The GPS receiver in the normal-run state ----

// With VONDREL_NAV_TEST_WALK set to a number of metres, each call in the
// normal-run state ("CCST" 3) moves a fix of our own that many Mercator
// metres north (from a fixed start, or from the position already held) and
// writes "ILAT", "ILON" and "IPFI" as a receiver would; logs each step.
// Called once per update tick before the position is read. Tests only.
void NAV_TASK_STANDIN_vTestWalk(void);
// With the walk set, in the normal-run state: the receiver is there
// (semaphore 111, as the NMEA task signals it), so the update ticks run.
void NAV_TASK_STANDIN_vTestWalkStart(void);

std::vector<std::string> NAV_TASK_STANDIN_vCalls(void);
void NAV_TASK_STANDIN_vForget(void);
