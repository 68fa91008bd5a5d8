// Saving the current route as a stored route.
//
// Entry 0 of the current route is where the travel began (the boat's
// position, or the first point of a travelled route), so the stored route
// is entries 1 onward. A new route takes the group manager's default name,
// which the current route then carries too; a route that replaces the
// stored route the trolling motor travels (s_s16UnifiedRouteSave) keeps
// the current route's name, date-time and hidden flag, and the old slot
// goes once the new one is stored.
#include "nav/core/t_nav_route.h"

#include "nav/core/t_nav_state.h" // s_CurrentRoute
#include "nav/core/t_nav_task.h" // T_NAV_vActivateUpdateHideStatus

#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/manager/t_nav_group.h"
#include "ui/u_keyboard.h"

#include <cstring>

namespace {

constexpr U16 NO_ID = 0xFFFF;
constexpr U16 ROUTE_GROUP_ITEM = 0x8800;
constexpr U32 ROUTE_GROUP_SLOTS = 50;

void vClick(BOOLEAN bGood)
{
    L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD);
}

// Ends the save with an error note and the bad click.
void vFail(const TEXT_TABLE* pText)
{
    T_NAV_vSetNavUIError(pText);
    L_MUTEX_Unlock(RES_NAV_DATA);
    vClick(FALSE);
}

} // namespace

void T_NAV_vSaveCurrentRoute(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    // Only the start: there is no destination to keep.
    if (s_CurrentRoute.nCount < 2) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        vClick(TRUE);
        return;
    }
    ROUTE r = {};
    const BOOLEAN bReplaces = s_s16UnifiedRouteSave != NO_ID;
    if (bReplaces) {
        memcpy(r.sName, s_CurrentRoute.sName, sizeof r.sName);
        r.u32DateTime = s_CurrentRoute.u32DateTime;
        r.bHide = s_CurrentRoute.bHide;
    } else {
        const char* pcName = T_NAV_GROUP_pGetDefaultRouteName();
        if (pcName == nullptr) {
            vFail(&No_Routes);
            return;
        }
        // NUL-padded, filling the whole field when the name does.
        memset(r.sName, 0, sizeof r.sName);
        memcpy(r.sName, pcName, strnlen(pcName, sizeof r.sName));
        memcpy(s_CurrentRoute.sName, r.sName, sizeof r.sName);
    }

    r.nCount = s_CurrentRoute.nCount - 1;
    for (U32 i = 0; i < r.nCount; ++i) {
        const U16 u16Id = s_CurrentRoute.anWaypoint[i + 1];
        if (T_NAV_TWR_bIsLocalWaypoint(u16Id))
            T_NAV_vMakeWaypointPermanent(u16Id);
        const U16 u16Local = T_NAV_TWR_u16MakeLocal(u16Id);
        if (u16Local == NO_ID) {
            vFail(&No_Waypoints);
            return;
        }
        // A copy of another unit's waypoint comes temporary, and a
        // temporary waypoint is never written to flash: kept so, the stored
        // route would lose the point at the next start.
        T_NAV_vMakeWaypointPermanent(u16Local);
        r.anWaypoint[i] = u16Local;
    }

    const S32 nSlot = T_NAV_nAddRoute(&r);
    T_NAV_vActivateUpdateHideStatus();
    const U16 u16Replaced = s_s16UnifiedRouteSave;
    s_s16UnifiedRouteSave = NO_ID;
    if (nSlot < 0 || nSlot >= (S32)NO_ID) {
        vFail(&No_Routes);
        return;
    }
    T_NAV_GROUP_DATA_bAddLink(T_NAV_GROUP_DATA_nGetDefaultGroup(),
                              (U32)nSlot < ROUTE_GROUP_SLOTS ? (U16)(ROUTE_GROUP_ITEM | (U16)nSlot) : NO_ID);
    char acName[ROUTE_NAME_CHARS + 1] = {};
    memcpy(acName, r.sName, ROUTE_NAME_CHARS);
    T_NAV_vSetNavUINote(&Route_Saved, acName, FALSE);
    if (bReplaces)
        T_NAV_bDeleteRoute(u16Replaced, FALSE);
    L_MUTEX_Unlock(RES_NAV_DATA);
    vClick(TRUE);
}
