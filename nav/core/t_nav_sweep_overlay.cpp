// The navigation objects over the 360-degree sonar sweep and the radar
// picture (see t_nav_overlay.h): the chart overlay's painters called with
// their radar argument, so that positions convert with the pane's float
// scale. The sweep shows waypoints only; the radar shows everything but
// the saved routes, proximity flags and the boat, and its AIS targets in a
// pass of their own.
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_overlay_util.h"

#include "kernel/l_mutex.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_scan.h"
#include "store/h_database.h"

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 NO_ITEM = 0xFFFF;

} // namespace

using namespace t_nav_overlay_util;

// Static functions ------------------------------------------------------------------

namespace {

// The sweep's duplicate rule: no check for a duplicate whose twin is in no
// visible group.
BOOLEAN bSweepChecksDuplicate(U32 u32Index)
{
    if (!T_NAV_TWR_bIsDuplicateWaypoint(u32Index))
        return TRUE;
    return T_NAV_GROUP_DATA_bIsInAnyVisibleGroup((U16)T_NAV_TWR_nGetDuplicateWaypointIndex(u32Index)) ? TRUE : FALSE;
}

S32 nDeclutterEntry(const S32* pTable, U32 u32Index)
{
    return pTable != nullptr && u32Index < NAV_WAYPOINT_ID_ENTRIES ? pTable[u32Index] : 0;
}

void vRenderRadarRumbrels(NAV_VIEW_INFO* pNVI)
{
    const NAV_OVERLAY_RENDERERS& r = g_tNavOverlayRenderers;
    NavLock lock(RES_NAV_DATA);
    for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
        RUMBREL* pRumbrel = T_NAV_pGetRumbrel(i);
        if (pRumbrel != nullptr && pRumbrel->nCount != 0 && T_NAV_bGetRumbrelVisibility(i))
            r.pfnRenderRumbrel(pRumbrel, pNVI, TRUE, TRUE, TRUE, i == s_u32MoveCopyRumbrelId ? TRUE : FALSE);
    }
    if (s_tMoveCopyRumbrel.nCount != 0 && s_tMoveCopyRumbrel.u32Visible) {
        r.pfnRenderRumbrel(&s_tMoveCopyRumbrel, pNVI, TRUE, TRUE, TRUE, FALSE);
        r.pfnRenderMoveCopyRumbrelOffsetArrow(pNVI, TRUE);
    }
    {
        NavLock inner(RES_NAV_DATA);
        if (s_tNavRumbrelData.pRumbrel != nullptr && s_tNavRumbrelData.pRumbrel->nCount != 0) {
            switch (s_tNavRumbrelData.eRumbrelType) {
            case RUMBREL_TYPE_FTC:
                r.pfnRenderFTCRumbrel(pNVI, TRUE);
                break;
            case RUMBREL_TYPE_RECORDING:
                r.pfnRenderRecordingRumbrel(pNVI, TRUE);
                break;
            case RUMBREL_TYPE_REGULAR:
                if (s_tNavRumbrelData.u16wpt != NO_ITEM)
                    r.pfnRenderRouteToRumbrel(pNVI, TRUE);
                break;
            default:
                break;
            }
        }
    }
    if (s_tContourRumbrel.u32Visible)
        r.pfnRenderRumbrel(&s_tContourRumbrel, pNVI, TRUE, FALSE, FALSE, FALSE);
}

} // namespace

// Public functions ------------------------------------------------------------

void T_NAV_vDrawSweepOverlay(NAV_VIEW_INFO* pNVI, BOOLEAN bRenderCursorWaypoint, BOOLEAN bLeftPane)
{
    (void)bRenderCursorWaypoint;
    if (pNVI == nullptr)
        return;
    NavLock lock(RES_NAV_DATA);
    const S32* pDeclutter = T_NAV_TWR_pGetDeclutterWaypointTable(bLeftPane);
    S32 nIndex = -1;
    WAYPOINT* pWaypoint = nullptr;
    while (T_NAV_bScanWaypoints(&nIndex, &pWaypoint, FALSE)) {
        if (pWaypoint == nullptr)
            continue;
        // Only the duplicate rule here: hidden and group filtering is the
        // waypoint painter's on these panes.
        g_tNavOverlayRenderers.pfnRenderWaypoint(nIndex, pWaypoint, pNVI, nDeclutterEntry(pDeclutter, (U32)nIndex),
                                                 TRUE, bSweepChecksDuplicate((U32)nIndex));
    }
}

void T_NAV_vDrawRadarOverlay(NAV_VIEW_INFO* pNVI, BOOLEAN bRenderCursorWaypoint, BOOLEAN bLeftPane)
{
    if (pNVI == nullptr)
        return;
    const NAV_OVERLAY_RENDERERS& r = g_tNavOverlayRenderers;
    NavLock lock(RES_NAV_DATA);

    // 1. and 2.
    r.pfnRenderWaypointTarget(pNVI, TRUE);
    r.pfnRenderWaypointGrid(pNVI, TRUE);
    r.pfnRenderAlarmLimits(pNVI, TRUE);
    r.pfnRenderRoute(&s_CurrentRoute, pNVI, TRUE);
    r.pfnRenderTrack(T_NAV_pGetCurrentTrackPtr(), pNVI, TRUE, u32KeyOr("SNCP", 0), u32KeyOr("SNCC", 0), TRUE);

    // 3. and 4.
    const S32* pDeclutter = T_NAV_TWR_pGetDeclutterWaypointTable(bLeftPane);
    const U32 u32PositionHold = u32KeyOr("IPSL", NO_ITEM);
    S32 nIndex = -1;
    WAYPOINT* pWaypoint = nullptr;
    while (T_NAV_bScanWaypoints(&nIndex, &pWaypoint, FALSE)) {
        if (pWaypoint == nullptr || (U32)nIndex == u32PositionHold)
            continue;
        r.pfnRenderWaypoint(nIndex, pWaypoint, pNVI, nDeclutterEntry(pDeclutter, (U32)nIndex), TRUE,
                            T_NAV_bCheckDuplicateOf((U32)nIndex));
    }

    // 5. The position-hold waypoint shows on radar only once a
    // trolling-motor remote has been connected.
    if (bKeyTrue("SIUF")) {
        vRenderRadarRumbrels(pNVI);
        if (u32PositionHold != NO_ITEM) {
            WAYPOINT* pHold = T_NAV_pGetWaypoint(u32PositionHold);
            if (pHold != nullptr)
                r.pfnRenderWaypoint((S32)u32PositionHold, pHold, pNVI, nDeclutterEntry(pDeclutter, u32PositionHold),
                                    TRUE, FALSE);
        }
    }

    // 6.
    if (bRenderCursorWaypoint) {
        r.pfnRenderCursorRumbrel(pNVI, TRUE);
        r.pfnRenderCursorWaypoint(pNVI, TRUE);
    }
}

void T_NAV_vDrawRadarAisOverlay(NAV_VIEW_INFO* pNVI)
{
    if (pNVI == nullptr)
        return;
    const bool bShowAis = bKeyTrue("SAIS");
    NavLock ais(RES_AIS_TARGETS);
    if (!bShowAis)
        return;
    ais_DeviceInfo* pTarget = nullptr;
    for (S32 i = 0; T_NMEA_bScanAisPoints(i, &pTarget); ++i)
        g_tNavOverlayRenderers.pfnRenderAIS(pTarget, pNVI, TRUE);
}

float T_NAV_fRadarDistanceBetweenPoints(const POINT* pptA, const POINT* pptB)
{
    if (pptA == nullptr || pptB == nullptr)
        return 0.0f;
    return T_NAV_fDistanceMetres(pptA, pptB);
}
