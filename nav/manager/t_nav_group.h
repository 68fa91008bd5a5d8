// STAND-IN: the group manager, reduced to what the navigation data store
// calls of it. The real manager (its window, lists and edit screens)
// replaces this module; until then its pop-up note is only logged.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Shows the text as a note in the manager's pop-up for u32Seconds. The
// stand-in writes the text to the log, with the time-out.
void T_NAV_GROUP_vSetNavUIRawNoteWithTimeout(const char* pcText, U32 u32Seconds);

// The item id to link into the destination group. The stand-in pastes and
// copies nothing, so it is always the item itself.
U16 T_NAV_GROUP_u16CopyContentForAddLink(BOOLEAN bDestNotShared, U16 u16DestGroup, U16 u16Item);
// The lowest own slot (0-2999) holding a waypoint of status 1 or 3 equal to
// the record in status, not-shared bit, icon, depth, date-time, position
// and name; 0xFFFF when none.
U16 T_NAV_GROUP_u16FindWaypoint(const WAYPOINT* pRecord);
// The name a newly saved route gets by default: "RT" and the number of the
// first free route slot plus one ("RT001" for slot 0), so it counts free
// slots, not saves. Null when every slot is used. The text lives in one
// buffer of the manager's, good until the next call.
char* T_NAV_GROUP_pGetDefaultRouteName(void);
