// STAND-IN of the storage-media subsystem's internal-flash state, until
// that subsystem is built: the navigation defaults and the start-up
// screens ask it. It answers as for a unit whose flash carries no
// signature yet, unless a test sets another answer; delete this file when
// the real call lands.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_MOVINAND_STATE : int {
    MOVINAND_STATE_UNKNOWN = 0,
    MOVINAND_STATE_BLANK = 1,
    MOVINAND_STATE_INCOMPLETE = 2,
    MOVINAND_STATE_PELORIN = 3,
    MOVINAND_STATE_NVB = 4,
    MOVINAND_STATE_VARNEL = 5,
} MOVINAND_STATE;

// The chart content of the internal flash device (0 the only one).
MOVINAND_STATE U_MOVINAND_eGetMovinandState(U32 u32Device);

// Stand-in only: what the call answers from now on.
void U_MOVINAND_STANDIN_vSetState(MOVINAND_STATE eState);
