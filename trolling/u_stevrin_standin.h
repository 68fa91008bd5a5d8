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
// Asks the autopilot to steer the heading, whole degrees.
void U_STEVRIN_vAdjustAutoPilot(U32 u32NewHeading);

// The index of the motor's target point in the track it follows.
U16 T_STEVRIN_vGetRumbrelTargetIndex(void);

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
} U_STEVRIN_STANDIN_REQUEST;
std::vector<U_STEVRIN_STANDIN_REQUEST> U_STEVRIN_STANDIN_vRequests(void);

// What T_STEVRIN_vGetRumbrelTargetIndex answers (0 at first).
void U_STEVRIN_STANDIN_vSetRumbrelTargetIndex(U16 u16Index);
