// The sonar cursor's navigation helpers and the info bar's questions about
// the 360 cursor, wired from the navigation core and the sonar history.
#include "app/a_hooks.h"

#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/u_nav_geometry.h"
#include "sonar/history/t_n_history_cursor.h"

namespace {

void vUpdateCursorWaypoint(U32 u32Waypoint) { T_NAV_vUpdateCursorWaypoint((U16)u32Waypoint); }

} // namespace

void A_HOOKS_vInstallSonarCursor(void)
{
    static const SONAR_CURSOR_NAV_CALLS calls = {T_NAV_vUpdateCursorDistAndBearing, U_NAV_nIntSin, U_NAV_nIntCos,
                                                 U_NAV_u16ScalingMMPerKm, vUpdateCursorWaypoint};
    T_N_HISTORY_vInstallCursorNavCalls(&calls);
}
