// STAND-INS for the go-to module's clearing of the target and the grid,
// until the go-to, target, grid and man-overboard work lands: each only
// clears its key. Delete this file then.
#include "nav/core/t_nav_requests.h"
#include "nav/core/t_nav_settings.h"

#include "store/h_database.h"

void T_NAV_vRemoveTargetNow(void) { H_DATABASE_bUpdateValueU32(FCID("ITWP"), 0xFFFF, P_NORMAL); } // STAND-IN
void T_NAV_vRemoveGridNow(void) { H_DATABASE_bUpdateValueU32(FCID("IGWP"), 0xFFFF, P_NORMAL); }   // STAND-IN

// STAND-INS for the busy notice of the man-overboard and notices work: no
// layer is shown.
void T_NAV_vStartBusy(void) {} // STAND-IN
void T_NAV_vStopBusy(void) {}  // STAND-IN
