// STAND-IN of the internal-flash state (see the header).
#include "system/neighbour_standins.h"

MOVINAND_STATE U_MOVINAND_eGetMovinandState(U32) { return MOVINAND_STATE_UNKNOWN; }

const char* U_MOVINAND_pcGetMovinandStateText(MOVINAND_STATE) { return "MoviNAND Blank"; }
