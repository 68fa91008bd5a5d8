// The point where the navigation drawing put the cursor's waypoint over the
// 360 picture. Kept in a file of its own: until the navigation side links
// the history module, its drawing stands this call in, and an archive
// member that nothing else needs is never linked twice.
#include "sonar/history/t_n_history_ppi.h"

void T_N_HISTORY_vUpdateMSSCurosrWaypoint(POINT ptCursor) { t_n_history::s_ptCursorWaypoint = ptCursor; }
