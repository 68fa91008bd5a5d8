// STAND-IN of what the start-up screens ask of the storage-media subsystem
// until it is built: the display text of the internal flash's state. It
// answers as the real one does for a unit whose flash carries no signature
// yet; delete it when its real module lands. The state itself is the
// navigation's stand-in, which its defaults ask as well.
#pragma once

#include "kernel/l_types.h"
#include "nav/core/u_movinand_standin.h"
// The state's display text; "MoviNAND Blank" for an unknown state.
const char* U_MOVINAND_pcGetMovinandStateText(MOVINAND_STATE eState);
