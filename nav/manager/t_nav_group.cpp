// STAND-IN: see t_nav_group.h.
#include "nav/manager/t_nav_group.h"

#include "kernel/lm_log.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"

#include <cstdio>

#include <cstring>

void T_NAV_GROUP_vSetNavUIRawNoteWithTimeout(const char* pcText, U32 u32Seconds)
{
    log_me("NAV GROUP note (%u s): %s", (unsigned)u32Seconds, pcText != nullptr ? pcText : "");
}

U16 T_NAV_GROUP_u16CopyContentForAddLink(BOOLEAN, U16, U16 u16Item)
{
    return u16Item;
}

U16 T_NAV_GROUP_u16FindWaypoint(const WAYPOINT* pRecord)
{
    if (pRecord == nullptr)
        return NAV_ID_NONE;
    for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s) {
        const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint(s, 0);
        if (w == nullptr || (w->u8Status != WP_STATUS_PERMANENT && w->u8Status != WP_STATUS_MOB))
            continue;
        if (w->u8Status == pRecord->u8Status && w->bWpNotShared == pRecord->bWpNotShared &&
w->u8Icon == pRecord->u8Icon && w->u16Depth == pRecord->u16Depth &&
            w->u32DateTime == pRecord->u32DateTime && w->pt.x == pRecord->pt.x && w->pt.y == pRecord->pt.y &&
            memcmp(w->sName, pRecord->sName, WAYPOINT_NAME_CHARS) == 0)
            return (U16)s;
    }
    return NAV_ID_NONE;
}

char* T_NAV_GROUP_pGetDefaultRouteName(void)
{
    static char s_acRouteName[ROUTE_NAME_CHARS + 1];
    const U16 u16Slot = T_NAV_u16FindAvailableRoute(FALSE);
    if (u16Slot == NAV_ID_NONE)
        return nullptr;
    snprintf(s_acRouteName, sizeof s_acRouteName, "RT%03u", (unsigned)u16Slot + 1u);
    return s_acRouteName;
}
