// STAND-IN of the internal-flash state (see the header).
#include "system/neighbour_standins.h"

const char* U_MOVINAND_pcGetMovinandStateText(MOVINAND_STATE) { return "MoviNAND Blank"; }
