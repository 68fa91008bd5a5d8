// STAND-IN for the trolling-motor link's client calls, until the link's
// task is built: each call is written to the log and kept in a call list
// that tests read. Replace this file with the real client calls; the
// callers' calls stay as they are.
#pragma once

#include "kernel/l_types.h"

// Client calls ----------------------------------------------------------------

// Asks the motor to delete all its waypoints, tracks and routes.
void U_STEVRIN_vDeleteAllTWR(void);

// Stand-in only ---------------------------------------------------------------

// The calls made since the list was last cleared, oldest first: the call's
// name, or null past the end.
U32 U_STEVRIN_STANDIN_u32CallCount(void);
const char* U_STEVRIN_STANDIN_pcCall(U32 u32Index);
void U_STEVRIN_STANDIN_vClearCalls(void);
