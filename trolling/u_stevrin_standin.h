// STAND-IN for the trolling-motor link's client calls, until the link's
// task is built: each call is written to the log and kept in a call list
// that tests read, with the request the link would get. Replace this file
// with the real client calls; the callers' calls stay as they are.
#pragma once

#include "kernel/l_types.h"

#include <string>
#include <vector>

// Client calls ----------------------------------------------------------------

// Asks the motor to delete all its waypoints, tracks and routes.
void U_STEVRIN_vDeleteAllTWR(void);
// Asks the motor to follow a contour of these points (x longitude, y
// latitude, millionths of a degree), named by the first 12 characters of
// the name; to take points added to it; to take it at a new offset.
void U_STEVRIN_vFollowContour(const POINT* paFTCpoints, U32 u32NumberPts, const char* pacName);
void U_STEVRIN_vExtendFTContour(const POINT* paFTCpoints, U32 u32NumberPts);
void U_STEVRIN_vOffsetFTContour(const POINT* paFTCpoints, U32 u32NumberPts);
// Asks the motor to stop navigating.
void U_STEVRIN_vStopGoto(void);
// Asks the motor to travel stored route u32Route from point u32Point,
// toward the route's start when bToStart.
void U_STEVRIN_vFollowRouteFromPt(U32 u32Route, U32 u32Point, BOOLEAN bToStart);
// Asks the motor to steer to waypoint u32Waypoint, holding position there
// when bStayvane.
void U_STEVRIN_vGotoWaypoint(U32 u32Waypoint, BOOLEAN bStayvane);
// Asks the motor to travel stored route u32Route, toward its start when
// bToStart.
void U_STEVRIN_vFollowRoute(U32 u32Route, BOOLEAN bToStart);
// Asks the motor to follow stored trolling-motor track u32Rumbrel toward
// its start or its end.
void U_STEVRIN_vFollowRumbrel(U32 u32Rumbrel, BOOLEAN bToStart);
// Asks the motor to follow the recorded track in slot u32Slot as a
// back-track.
void U_STEVRIN_vFollowBackTrack(U32 u32Slot);
// Asks the motor to skip the next route point / reverse its route.
void U_STEVRIN_vSkipNextRoutePt(void);
void U_STEVRIN_vReverseRoute(void);
// Asks the motor to send one command (a STEVRIN_CMD) with one parameter;
// the request keeps the command and the parameter as its item index.
void U_STEVRIN_vSendCommandOneParam(U32 u32Command, U32 u32Param);
// Asks the autopilot to steer the heading, whole degrees.
void U_STEVRIN_vAdjustAutoPilot(U32 u32NewHeading);

// The index of the motor's target point in the track it follows.
U16 T_STEVRIN_vGetRumbrelTargetIndex(void);

// Asks the motor to delete these own waypoint slots and recorded-track
// indexes (sub-command 35); the call takes over both lists, blocks of the
// partition allocator (the second may be null).
void U_STEVRIN_vDeleteWptsRumbrels(U32 u32Waypoints, U16* pu16Waypoints, U32 u32Rumbrels, U16* pu16Rumbrels);

// The identity of a recorded track: a SHA-1 over the unit's Ethernet MAC
// address, the track's 12 name bytes and two header words (its date-time
// and point count, little-endian), the first 8 digest bytes as a
// big-endian number with 6 in bits 12-15 of the high word. The recorded
// track's own form, U_STEVRIN_COMMON_vGenerateRumbrelUID, is the store's
// (nav/data/t_nav_twr_startup.h), which owns the record.
U64 U_STEVRIN_COMMON_u64RumbrelUID(const char* pcName12, U32 u32DateTime, U32 u32Count);

// Stand-in only ---------------------------------------------------------------

// The calls made since the list was last cleared, oldest first: the call's
// name, or null past the end.
U32 U_STEVRIN_STANDIN_u32CallCount(void);
const char* U_STEVRIN_STANDIN_pcCall(U32 u32Index);
// Forgets the calls and their requests.
void U_STEVRIN_STANDIN_vClearCalls(void);

// What each call would have mailed to the link (STEVRIN_DATA_MSG, command
// word 136): the command (STEVRIN_CMD), the item index and the track it
// carries, at most 352 points and a name of at most 12 characters.
typedef struct tag_U_STEVRIN_STANDIN_REQUEST {
    U32 u32Command;
    U32 u32ItemIndex;
    bool bTrack;
    std::vector<POINT> points;
    std::string sName;
    U32 u32Flag; // the call's BOOLEAN (hold position, toward the start), else 0
} U_STEVRIN_STANDIN_REQUEST;
std::vector<U_STEVRIN_STANDIN_REQUEST> U_STEVRIN_STANDIN_vRequests(void);

// The lists of each U_STEVRIN_vDeleteWptsRumbrels call, oldest first.
typedef struct tag_U_STEVRIN_STANDIN_DELETION {
    std::vector<U16> waypoints;
    std::vector<U16> rumbrels;
    bool bRumbrelList; // a recorded-track list was passed
} U_STEVRIN_STANDIN_DELETION;
std::vector<U_STEVRIN_STANDIN_DELETION> U_STEVRIN_STANDIN_vDeletions(void);

// What T_STEVRIN_vGetRumbrelTargetIndex answers (0 at first).
void U_STEVRIN_STANDIN_vSetRumbrelTargetIndex(U16 u16Index);
