// STAND-IN of what the start-up screens ask of the storage-media subsystem
// until it is built: the state of the internal flash and its display text.
// Each answers as the real one does for a unit whose flash carries no
// signature yet; delete an entry when its real module lands.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_MOVINAND_STATE : int {
    MOVINAND_STATE_UNKNOWN = 0,
} MOVINAND_STATE;

// The state of the internal flash device (0 the only one); read once, then
// remembered. Without a signature it is unknown.
MOVINAND_STATE U_MOVINAND_eGetMovinandState(U32 u32Device);
// The state's display text; "MoviNAND Blank" for an unknown state.
const char* U_MOVINAND_pcGetMovinandStateText(MOVINAND_STATE eState);
