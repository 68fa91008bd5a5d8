// What the instrument bar's navigation strip and the cursor readout ask of
// the subsystems above the user interface.
//
// The chart cursor's panes, the waypoints' large icons and the
// man-overboard query are the navigation core's; the sonar cursor's panes
// and zoom windows the sonar history's. Everything else here is a STAND-IN, answering as its subsystem
// does while it has nothing to show; the module that builds one replaces
// its line in A_INFO_STANDINS_vFill with the real call and deletes the
// stand-in:
// - radar (T_RADAR_vSetReadoutBoxDrawing, T_RADAR_vDrawReadoutInfoBox,
//   T_RADAR_s32CalculateSplitPosition): no readout boxes, the divider where
//   the view task puts it;
// - trolling-motor link (T_STEVRIN_bIsStayvaneActive,
//   T_STEVRIN_u16GetStayvaneIndex, T_STEVRIN_vGetActiveStr): no position
//   hold and no target.
#include "app/a_info_standins.h"

#include "nav/core/g_nav_icons.h"
#include "nav/core/t_nav_keys.h"
#include "nav/core/t_nav_mob.h"
#include "nav/core/t_nav_views.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/screens/t_n_history_zoom_windows.h"
#include "ui/t_view.h"

namespace {

constexpr U32 NO_WAYPOINT = 0xFFFF;

const ICON* pCursorIcon(void) { return &Cursor_icon; }

const ICON* pLargeWaypointIcon(U32 u32Waypoint)
{
    if (u32Waypoint >= NO_WAYPOINT)
        return nullptr;
    const U8 u8Icon = T_NAV_u8GetWaypointIcon(u32Waypoint);
    return u8Icon < NAV_ICON_COUNT ? g_NAV_Icons_Large[u8Icon] : nullptr;
}

// ---- Stand-ins ----


void vSetRadarReadoutBoxDrawing(void) {}
U32 u32DrawRadarReadouts(BITMAP*, S32, S32) { return 0; }
S32 s32RadarSplitPosition(S32 s32Width, S32 s32Percent) { return T_VIEW_s32SplitViewLeftWidth(s32Width, s32Percent); }

BOOLEAN bStayvaneActive(void) { return FALSE; }
U16 u16StayvaneIndex(void) { return (U16)NO_WAYPOINT; }
void vStevrinTargetName(char* pacName, U32 u32Size)
{
    if (pacName != nullptr && u32Size > 0)
        pacName[0] = '\0';
}

} // namespace

void A_INFO_STANDINS_vFill(T_INFO_NEIGHBOURS* pHooks)
{
    pHooks->pfnMOBInProgress = T_NAV_bIsMOBInProgress;
    pHooks->pfnIsMyChartCursorView = T_NAV_bIsMyChartCursorView;
    pHooks->pfnCursorIcon = pCursorIcon;
    pHooks->pfnLargeWaypointIcon = pLargeWaypointIcon;
    pHooks->pfnIsMyCursorView = T_N_HISTORY_bIsMyCursorView;
    pHooks->pfnDrawSiZoomWindow = T_N_HISTORY_bDrawFvZoomWindow;
    pHooks->pfnDrawDiZoomWindow = T_N_HISTORY_bDrawKvZoomWindow;
    t_n_history::vSetZoomCursorIcon(&Cursor_icon);
    pHooks->pfnMSSCursorOffset = T_N_HISTORY_bMSSCursorOffset;
    pHooks->pfnCursoredWaypointInMSS = T_N_HISTORY_bCursoredWaypointInMSS;
    pHooks->pfnSetRadarReadoutBoxDrawing = vSetRadarReadoutBoxDrawing;
    pHooks->pfnDrawRadarReadoutInfoBox = u32DrawRadarReadouts;
    pHooks->pfnRadarSplitPosition = s32RadarSplitPosition;
    pHooks->pfnStayvaneActive = bStayvaneActive;
    pHooks->pfnStayvaneIndex = u16StayvaneIndex;
    pHooks->pfnStevrinTargetName = vStevrinTargetName;
}
