// Man-overboard navigation: the man-overboard waypoint becomes the
// destination of a two-point route whose origin and destination are both
// that point, with the leg start time taken as the time of the event.
//
// From then on the update keeps bearing and distance to the point current,
// counts the seconds since the event in "MOBT", shows a velocity made good
// of 0 and raises no arrival, passing or off-course alarm. While a
// recording plays nothing starts: the event belongs to the live boat.
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"

#include "kernel/l_mutex.h"
#include "store/h_database.h"
#include "ui/u_menu_client.h"

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 CCST_PLAYBACK = 11;

} // namespace

// Public functions -----------------------------------------------------------

void T_NAV_vStartMOBNavigation(void)
{
    U32 u32State = 0;
    if (H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr) && u32State == CCST_PLAYBACK)
        return;
    if (s_u16MOBWaypoint == NAV_NO_MOB_WAYPOINT)
        return;

    U32 u32DateTime = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("IDTM"), &u32DateTime, &bValid, nullptr) || !bValid)
        u32DateTime = 0;

    L_MUTEX_LockWait(RES_NAV_DATA);
    s_CurrentRoute.u32DateTime = u32DateTime;
    T_NAV_vClearRoutePoint();
    POINT mob;
    const bool bExists = T_NAV_bWaypointPosition(s_u16MOBWaypoint, &mob);
    for (U32 i = 0; i < 2; ++i) {
        s_CurrentRoute.anWaypoint[i] = s_u16MOBWaypoint;
        s_CurrentRoute.nCount = i + 1;
        if (bExists)
            T_NAV_vAddRoutePoint(mob);
    }

    H_DATABASE_bUpdateValueU32(FCID("INIP"), 1, P_NORMAL);
    H_DATABASE_bUpdateEverythingU32(FCID("IOWP"), s_u16MOBWaypoint, P_NORMAL, D_WAYPOINT, nullptr,
                                    DB_TIMEOUT_NEVER);
    if (bExists)
        s_ptOWT = mob;
    s_u32TimeOWT = u32DateTime;
    s_u32NavStartTime = u32DateTime;
    s_fDistTraveled = -1.0f;
    H_DATABASE_bUpdateEverythingU32(FCID("IDWP"), s_u16MOBWaypoint, P_NORMAL, D_WAYPOINT, nullptr,
                                    DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingFloat(FCID("ITRK"), 0.0f, P_NORMAL, D_HEADING, nullptr, DB_TIMEOUT_NEVER);

    if (!s_bTrackEnable) {
        for (const VIEW_AND_SPLIT& v : s_aNavViews) {
            U_MENU_bUnregisterHotMenuItem(&Clear_Current_Track, v.eView, v.eSplit);
            U_MENU_bUnregisterHotMenuItem(&Save_Current_Track, v.eView, v.eSplit);
        }
    }
    U_MENU_bRegisterHotActionMenu(&Cancel_MOB, nullptr, MENU_CANCEL_NAV, T_NAV_vCancelMOB, TRUE, M_BASIC,
                                  USED_BY_ALL, SPLIT_FULL_WINDOW);
    L_MUTEX_Unlock(RES_NAV_DATA);
}
