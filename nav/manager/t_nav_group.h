// STAND-IN: the group manager, reduced to what the navigation data store
// calls of it. The real manager (its window, lists and edit screens)
// replaces this module; until then its pop-up note is only logged.
#pragma once

#include "kernel/l_types.h"

// Shows the text as a note in the manager's pop-up for u32Seconds. The
// stand-in writes the text to the log, with the time-out.
void T_NAV_GROUP_vSetNavUIRawNoteWithTimeout(const char* pcText, U32 u32Seconds);
