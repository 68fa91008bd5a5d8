// STAND-IN of the internal-flash state (see the header).
#include "nav/core/u_movinand_standin.h"

#include <atomic>

namespace {
std::atomic<int> s_eState{MOVINAND_STATE_UNKNOWN};
} // namespace

MOVINAND_STATE U_MOVINAND_eGetMovinandState(U32) { return (MOVINAND_STATE)s_eState.load(); }

void U_MOVINAND_STANDIN_vSetState(MOVINAND_STATE eState) { s_eState.store(eState); }
