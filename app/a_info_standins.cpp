// What the instrument bar's navigation strip and the cursor readout ask of
// the subsystems above the user interface.
//
// The chart cursor and its panes, the waypoints' large icons and the
// man-overboard query are the navigation core's. Everything else here is a STAND-IN, answering as its subsystem
// does while it has nothing to show; the module that builds one replaces
// its line in A_INFO_STANDINS_vFill with the real call and deletes the
// stand-in:
// - sonar history (T_N_HISTORY_bIsMyCursorView, the zoom windows): no
//   sonar cursor pane, no zoom window;
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
#include "nav/data/t_nav_twr_waypoint.h"
#include "sonar/history/t_n_history_ppi.h"
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


BOOLEAN bIsMySonarCursorView(LAYER_ID, SPLIT_WINDOW_TYPE) { return FALSE; }
BOOLEAN bNoZoomWindow(BITMAP*, WINDOW_SPECIFICATION*, S32* pFactor, S32* pTop)
{
    if (pFactor != nullptr)
        *pFactor = 0;
    if (pTop != nullptr)
        *pTop = 0;
    return FALSE;
}

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
    pHooks->pfnIsMyCursorView = bIsMySonarCursorView;
    pHooks->pfnDrawSiZoomWindow = bNoZoomWindow;
    pHooks->pfnDrawDiZoomWindow = bNoZoomWindow;
    pHooks->pfnMSSCursorOffset = T_N_HISTORY_bMSSCursorOffset;
    pHooks->pfnCursoredWaypointInMSS = T_N_HISTORY_bCursoredWaypointInMSS;
    pHooks->pfnSetRadarReadoutBoxDrawing = vSetRadarReadoutBoxDrawing;
    pHooks->pfnDrawRadarReadoutInfoBox = u32DrawRadarReadouts;
    pHooks->pfnRadarSplitPosition = s32RadarSplitPosition;
    pHooks->pfnStayvaneActive = bStayvaneActive;
    pHooks->pfnStayvaneIndex = u16StayvaneIndex;
    pHooks->pfnStevrinTargetName = vStevrinTargetName;
}
