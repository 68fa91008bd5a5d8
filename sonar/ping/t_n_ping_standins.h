// STAND-INS of the parts of the sonar road that are not built yet: the
// history task's lower edge of the displayed range. Delete an entry when
// its real module lands.
#pragma once

#include "kernel/l_types.h"

// The history task's 2D screens: the lower edge of the displayed range in
// metres. Here: the "YSLD" setting, or while that means an automatic range
// (or is absent) the last edge written to "CSLD" (0 before any).
float T_N_HISTORY_fGetLowerRangeForDisplay(void);
