// The chart overlay of navigation objects (see t_nav_overlay.h): the pass
// over a 2D chart pane in its fixed order, the outline of the perspective
// pane, the proximity flags, the orientation mark, the saved-track pass, the
// pop-up selection preview, the position a mark takes and the route-menu
// helper.
//
// The order is what the user sees stacked: AIS targets at the bottom, then
// target and grid, the outline, alarm circles, the travelled route, the
// current track, saved routes with the travelled one drawn again over them,
// waypoints, trolling-motor tracks, the position-hold waypoint over every
// other waypoint, the proximity flags with the nearest on top, the cursor
// objects, the boat and last the orientation mark.
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_overlay_util.h"

#include "chart_sdk/geodesy/nv_calc.h"
#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/geodesy/nv_distn.h"
#include "chart_sdk/graphics/gr_context.h"
#include "graphics/color.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "nav/core/draw_standins.h"
#include "nav/core/g_nav_boat_icons.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_views.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_scan.h"
#include "nav/data/t_nav_twr_track.h"
#include "store/h_database.h"
#include "ui/t_info.h"
#include "ui/u_keyboard.h"
#include "util/u_convert.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NO_ITEM = 0xFFFF;
constexpr S32 NO_ROUTE = -1;
constexpr U32 CT_LABEL = 32;
constexpr U32 CT_LABEL_PALETTE2 = 40;
constexpr U32 PALETTE2 = 2;
constexpr GL_COLOUR PALETTE_OUTLINE = 32;
constexpr S32 NUP_BOX_RIGHT = 790;
constexpr S32 NUP_LABEL_RIGHT = 796;
constexpr S32 NUP_BOX_SPLIT_MARGIN = 10;
constexpr S32 NUP_LABEL_SPLIT_MARGIN = 4;
constexpr S32 NUP_BOTTOM_ABOVE_CLIP = 25;
constexpr S32 NUP_BOTTOM_UNCLIPPED = 126;
constexpr double DEG_TO_RAD = 0.017453292519943295;
constexpr S32 OUTLINE_MAX_POINTS = 20;
constexpr S32 RADAR_CLIP_PIXELS = 800;

// Item id kinds of the selection list.
constexpr U16 ID_KIND_MASK = 0xC000;
constexpr U16 ID_ROUTE_MASK = 0xC800;
constexpr U16 ID_ROUTE = 0x8800;
constexpr U16 ID_TRACK = 0x8000;
constexpr U16 ID_RUMBREL_MASK = 0xCE00;
constexpr U16 ID_RUMBREL = 0x4C00;

} // namespace

// Statics -------------------------------------------------------------------

const NAV_OVERLAY_RENDERERS g_ctNavDefaultOverlayRenderers = {
    T_NAV_vRenderAIS,
    T_NAV_vRenderWaypointTarget,
    T_NAV_vRenderWaypointGrid,
    T_NAV_vRenderPolyLineMM,
    T_NAV_vRenderAlarmLimits,
    T_NAV_vRenderRoute,
    T_NAV_vRenderTrack,
    T_NAV_vRenderSavedRoute,
    T_NAV_vRenderRouteForPopupWindow,
    T_NAV_vRenderWaypoint,
    T_NAV_vRenderRumbrel,
    T_NAV_vRenderMoveCopyRumbrelOffsetArrow,
    T_NAV_STEVRIN_vRenderFTCRumbrel,
    T_NAV_STEVRIN_vRenderRecordingRumbrel,
    T_NAV_vRenderRouteToRumbrel,
    T_NAV_vDrawProximityFlag,
    T_NAV_vRenderCurosrRumbrel,
    T_NAV_vRenderCursorWaypoint,
    T_NAV_vRenderBoat,
    T_NAV_vRenderNupArrow,
    T_NAV_vRenderPerspectiveTrack,
    T_NAV_vRenderPerspectiveAis,
    T_NAV_vRenderPerspectiveRumbrel,
    T_NAV_vRenderPerspectivePolyLineMM,
    T_NAV_vRenderPerspectiveSkipedLeg,
    T_NAV_vRenderPerspectiveBoat,
};
NAV_OVERLAY_RENDERERS g_tNavOverlayRenderers = g_ctNavDefaultOverlayRenderers;

U32 s_u32MoveCopyRumbrelId = NAV_NO_MOVE_COPY_RUMBREL;
void* s_pSnapshotThumbnailPreview = nullptr;
NAV_VIEW_INFO s_SnapshotNVI;
BOOLEAN s_bRegisterThumbnailLayer = FALSE;

namespace {

NAV_CURSOR_VIEW_TEST* s_pfnSonarCursorView = nullptr;

// The perspective pane as the outline sees it.
NAV_VIEW_INFO NVI_3D;
// The 3D chart task's display description, opaque here.
struct {
    U8 au8Opaque[256];
} Display_3D;

} // namespace

using namespace t_nav_overlay_util;

// Static functions ------------------------------------------------------------------

namespace {

S32 nDeclutterEntry(const S32* pTable, U32 u32Index)
{
    return pTable != nullptr && u32Index < NAV_WAYPOINT_ID_ENTRIES ? pTable[u32Index] : 0;
}

// Step 11's filter: hidden, the position-hold waypoint, and a permanent
// local waypoint outside every visible group stay off the chart.
bool bChartSkipsWaypoint(S32 nIndex, const WAYPOINT* pWaypoint, U32 u32PositionHold)
{
    if (pWaypoint->bHide || (U32)nIndex == u32PositionHold)
        return true;
    return pWaypoint->u8Status != WP_STATUS_TEMPORARY && T_NAV_TWR_bIsLocalWaypoint((U32)nIndex) &&
           !T_NAV_GROUP_bCheckWaypointIsInVisibleGroup((U16)nIndex);
}

void vProject3D(POINT* p, bool b3DTask)
{
    if (b3DTask)
        T_CHART_3D_vProjectPoint(p, 0, &NVI_3D.ptOffsetCenterMM, &NVI_3D.ptDataOrigin, &Display_3D);
    else
        U_NAV_vConvertMMToHighwayViewPixel(p, 0, &NVI_3D.RotContext, &NVI_3D.CenterOffset, NVI_3D.nPixelsPerMMM,
                                           NVI_3D.nEyeOffsetMM);
}

POINT ptHorizon(S32 H, S32 nDegrees)
{
    return {(S32)(((S64)H * U_NAV_nIntSin(nDegrees) + 0x8000) >> 16),
            (S32)(((S64)H * U_NAV_nIntCos(nDegrees) + 0x8000) >> 16)};
}

// The footprint of the perspective pane on the chart: the near corners
// and the horizon arc between the two angles where it meets the pane's
// right clip column.
void vRender3DViewOutline(NAV_VIEW_INFO* pNVI, bool bCursorActive)
{
    const SPLIT_WINDOW_TYPE split = T_NAV_eShownSplit();
    S32 C = 0;
    (void)bKeyS32("IBCR", &C);
    const bool b3DTask = bKeyTrue("IBP3");

    NVI_3D = NAV_VIEW_INFO{};
    NVI_3D.bVuruzaveRender = b3DTask ? TRUE : FALSE;
    POINT ptCentre = pNVI->ptBoatMM;
    float fHeading = pNVI->fBoatHeading;
    if (b3DTask) {
        if (!T_CHART_3D_bGetCopyOfActiveNVIAndDisplay(&NVI_3D, &Display_3D))
            return;
        ptCentre = NVI_3D.ptCenterMM;
        fHeading = NVI_3D.fHeading;
    } else {
        S32 v = 0;
        NVI_3D.CenterOffset.x = bKeyS32("IBCX", &v) ? v : 0;
        NVI_3D.CenterOffset.y = bKeyS32("IBCY", &v) ? v : 0;
        NVI_3D.nEyeOffsetMM = bKeyS32("IBEO", &v) ? v : 0;
        NVI_3D.nPixelsPerMMM = bKeyS32("IBPM", &v) ? v : 0;
        gr_ResetRotationContext(&NVI_3D.RotContext);
        NVI_3D.nHorizonMM = (S32)std::min<S64>(4 * (S64)NVI_3D.nEyeOffsetMM, INT32_MAX);
        S32 x = 0, y = 0;
        float h = 0.0f;
        if (split == SPLIT_LEFT_WINDOW && bCursorActive && bKeyS32("ICLN", &x) && bKeyS32("ICLT", &y)) {
            ptCentre = {x, y};
            fHeading = bKeyFloat("ICHD", &h) ? h : 0.0f;
        }
    }
    if (NVI_3D.nEyeOffsetMM <= 0 || (!b3DTask && NVI_3D.nPixelsPerMMM <= 0))
        return;
    const POINT ptRelCentre = T_NAV_ptRelativeToCenter(pNVI, ptCentre);

    GP_ROTCONTEXT R;
    gr_ResetRotationContext(&R);
    if (b3DTask)
        gr_SetRotationAngle(&R, -(double)fHeading);

    // Near corners: a bisection toward the point that projects onto (C, 0).
    const S32 E = NVI_3D.nEyeOffsetMM;
    S32 step = E / 2;
    POINT corner = {E / 2, -(E / 2)};
    for (;;) {
        POINT p;
        U_NAV_vRotatePoint(&R, &corner, &p);
        vProject3D(&p, b3DTask);
        if (p.x == C && p.y == 0)
            break;
        step /= 2;
        if (step == 0)
            break;
        corner.x += p.x < C ? step : p.x > C ? -step : 0;
        corner.y += p.y < 0 ? step : p.y > 0 ? -step : 0;
    }

    // Horizon angle: six halvings from 32 degrees.
    const S32 H = NVI_3D.nHorizonMM;
    S32 a = 32;
    S32 aStep = 32;
    for (;;) {
        POINT p = ptHorizon(H, a);
        U_NAV_vRotatePoint(&R, &p, &p);
        vProject3D(&p, b3DTask);
        aStep /= 2;
        if (p.x == C || aStep == 0)
            break;
        a += p.x < C ? aStep : -aStep;
    }

    const S32 k = a / 8;
    POINT apt[OUTLINE_MAX_POINTS];
    S32 n = 0;
    apt[n++] = {-corner.x, corner.y};
    apt[n++] = corner;
    apt[n++] = ptHorizon(H, a);
    for (S32 i = k; i >= -k; --i)
        apt[n++] = ptHorizon(H, 8 * i);
    apt[n++] = ptHorizon(H, -a);
    apt[n++] = {-corner.x, corner.y};

    gr_ResetRotationContext(&R);
    gr_SetRotationAngle(&R, -(double)fHeading);
    for (S32 i = 0; i < n; ++i) {
        U_NAV_vRotatePoint(&R, &apt[i], &apt[i]);
        apt[i].x += ptRelCentre.x;
        apt[i].y += ptRelCentre.y;
    }
    GR_CONTEXT* gc = &pNVI->GrContext;
    gr_SetColor(gc, PALETTE_OUTLINE);
    gr_SetDrawingTool(gc, BRUSH);
    gr_SetPixelSize(gc, 2);
    g_tNavOverlayRenderers.pfnRenderPolyLineMM(apt, n, pNVI, FALSE);
    gr_SetDrawingTool(gc, STD_PEN);
    gr_SetPixelSize(gc, 1);
}

void vRenderRumbrels(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    NavLock lock(RES_NAV_DATA);
    for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
        RUMBREL* pRumbrel = T_NAV_pGetRumbrel(i);
        if (pRumbrel != nullptr && pRumbrel->nCount != 0 && T_NAV_bGetRumbrelVisibility(i))
            g_tNavOverlayRenderers.pfnRenderRumbrel(pRumbrel, pNVI, bRadar, TRUE, TRUE,
                                                    i == s_u32MoveCopyRumbrelId ? TRUE : FALSE);
    }
    if (s_tMoveCopyRumbrel.nCount != 0 && s_tMoveCopyRumbrel.u32Visible) {
        g_tNavOverlayRenderers.pfnRenderRumbrel(&s_tMoveCopyRumbrel, pNVI, bRadar, TRUE, TRUE, FALSE);
        g_tNavOverlayRenderers.pfnRenderMoveCopyRumbrelOffsetArrow(pNVI, bRadar);
    }
    {
        NavLock inner(RES_NAV_DATA);
        if (s_tNavRumbrelData.pRumbrel != nullptr && s_tNavRumbrelData.pRumbrel->nCount != 0) {
            switch (s_tNavRumbrelData.eRumbrelType) {
            case RUMBREL_TYPE_FTC:
                g_tNavOverlayRenderers.pfnRenderFTCRumbrel(pNVI, bRadar);
                break;
            case RUMBREL_TYPE_RECORDING:
                g_tNavOverlayRenderers.pfnRenderRecordingRumbrel(pNVI, bRadar);
                break;
            case RUMBREL_TYPE_REGULAR:
                if (s_tNavRumbrelData.u16wpt != NO_ITEM)
                    g_tNavOverlayRenderers.pfnRenderRouteToRumbrel(pNVI, bRadar);
                break;
            default:
                break;
            }
        }
    }
    if (s_tContourRumbrel.u32Visible)
        g_tNavOverlayRenderers.pfnRenderRumbrel(&s_tContourRumbrel, pNVI, bRadar, FALSE, FALSE, FALSE);
}

// Step 14: the nearest NAV_MAX_PROXIMITY_FLAGS listed waypoints get flags,
// drawn from the farthest so that the nearest lies on top.
void vRenderProximityFlags(NAV_VIEW_INFO* pNVI, bool bCursorActive)
{
    U32 count = s_u32WPPCount;
    if (count == 0)
        return;
    if (count > NAV_PROXIMITY_IDS)
        count = NAV_PROXIMITY_IDS;
    auto* pEntries = static_cast<NAV_PROXIMITY_ENTRY*>(H_MEMORY_pvMalloc(count * sizeof(NAV_PROXIMITY_ENTRY)));
    if (pEntries == nullptr)
        return;
    U32 n = 0;
    for (U32 i = 0; i < count; ++i) {
        const WAYPOINT* pWaypoint = T_NAV_pGetWaypoint((U16)s_ProxTable[i]);
        if (pWaypoint == nullptr)
            continue;
        NAV_PROXIMITY_ENTRY& e = pEntries[n++];
        e.x = pWaypoint->pt.x;
        e.y = pWaypoint->pt.y;
        e.fDistanceFromBoat = T_NAV_fDistanceMetres(&pNVI->ptBoatMM, &pWaypoint->pt);
        e.fDistanceFromCenter = T_NAV_fDistanceMetres(&pNVI->ptCenterMM, &pWaypoint->pt);
    }
    qsort(pEntries, n, sizeof(NAV_PROXIMITY_ENTRY),
          bCursorActive ? T_NAV_iProximitySortCenter : T_NAV_iProximitySortBoat);
    if (n > NAV_MAX_PROXIMITY_FLAGS)
        n = NAV_MAX_PROXIMITY_FLAGS;
    s_u32WPPCount = n;
    for (U32 i = n; i-- > 0;) {
        POINT pt = T_NAV_ptRelativeToCenter(pNVI, {pEntries[i].x, pEntries[i].y});
        U_NAV_vConvertMMToPixel(&pt, &pNVI->RotContext, &pNVI->CenterOffset, pNVI->nPixelsPerMMM);
        g_tNavOverlayRenderers.pfnDrawProximityFlag(
            pNVI, &pt, bCursorActive ? pEntries[i].fDistanceFromCenter : pEntries[i].fDistanceFromBoat);
    }
    H_MEMORY_vFree(pEntries);
}

bool bSplitOrientationView(void)
{
    const LAYER_ID view = U_VIEW_eCurrentView();
    return view == RADAR_PLUS_CHART_VIEW_PRIORITY || view == SONAR_PPI_PLUS_CHART_VIEW_PRIORITY;
}

S32 nNupBottom(const NAV_VIEW_INFO* pNVI)
{
    const S32 clip = pNVI->pBitmap != nullptr ? pNVI->pBitmap->s32ClipBottom : 0;
    return clip == 0 ? NUP_BOTTOM_UNCLIPPED : clip + NUP_BOTTOM_ABOVE_CLIP;
}

void vRenderOrientationLabel(NAV_VIEW_INFO* pNVI)
{
    U32 u32Orientation = 0;
    if (!bKeyU32("SCOR", &u32Orientation))
        return;
    const char* pcText = nullptr;
    switch (u32Orientation) {
    case 0:
        pcText = "N-up";
        break;
    case 1: {
        float fCompass = 0.0f;
        pcText = bKeyFloat("IHDC", &fCompass) ? "H-up" : "COG";
        break;
    }
    case 2:
        pcText = "C-up";
        break;
    default:
        return;
    }
    if (pNVI->pBitmap == nullptr)
        return;
    const S32 w = (S32)G_ICON_u32GetWidth(&NupBox);
    const S32 h = (S32)G_ICON_u32GetHeight(&NupBox);
    const COLOR color = COLOR_colorRead(
        &gCOLOR_pcolColorTable[u32KeyOr("SPAL", 0) == PALETTE2 ? CT_LABEL_PALETTE2 : CT_LABEL]);
    POINT at = {bSplitOrientationView() ? pNVI->nWindowWidth - w - NUP_LABEL_SPLIT_MARGIN : NUP_LABEL_RIGHT - w,
                nNupBottom(pNVI) + h / 2 - 6};
    G_STRING_vPut(pNVI->pBitmap, color, &at, std_11x14_font_def_ptr.load(), (const BYTE*)pcText);
}

// Decoding a full track file costs many times reading it, and every frame
// draws the same tracks again; so each slot keeps its last decoded track,
// keyed by the encoded header the table holds for it. Any change of a
// track (a new track in the slot, a rename, an import) changes its header
// and so reloads it. Guarded by RES_NAV_DATA, which every caller holds.
typedef struct tag_NAV_TRACK_CACHE {
    U8 au8Header[TRACK_HEADER_BYTES];
    std::unique_ptr<TRACK> pTrack; // null until a whole track was loaded
} NAV_TRACK_CACHE;
NAV_TRACK_CACHE s_aTrackCache[NAV_TRACK_SLOTS];

const TRACK* pCachedTrack(S32 nIndex)
{
    const TRACK_HEADER* pHeader = T_NAV_pGetTrackHeader((U32)nIndex);
    if (pHeader == nullptr || nIndex < 0 || nIndex >= (S32)NAV_TRACK_SLOTS)
        return nullptr;
    U8 au8Header[TRACK_HEADER_BYTES];
    T_NAV_RECORD_vEncodeTrackHeader(pHeader, au8Header);
    NAV_TRACK_CACHE& entry = s_aTrackCache[nIndex];
    if (entry.pTrack != nullptr && memcmp(entry.au8Header, au8Header, TRACK_HEADER_BYTES) == 0)
        return entry.pTrack.get();
    return nullptr;
}

void vCacheTrack(S32 nIndex, const TRACK* pTrack)
{
    const TRACK_HEADER* pHeader = T_NAV_pGetTrackHeader((U32)nIndex);
    if (pHeader == nullptr || nIndex < 0 || nIndex >= (S32)NAV_TRACK_SLOTS)
        return;
    NAV_TRACK_CACHE& entry = s_aTrackCache[nIndex];
    // A damaged or missing file loads as an empty track: not worth keeping.
    if (pTrack->u16Count == 0 || pTrack->u16Count != pHeader->u16Count) {
        entry.pTrack.reset();
        return;
    }
    if (entry.pTrack == nullptr)
        entry.pTrack = std::make_unique<TRACK>();
    *entry.pTrack = *pTrack;
    T_NAV_RECORD_vEncodeTrackHeader(pHeader, entry.au8Header);
}

void vLoadAndDrawTrack(S32 nIndex, NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    const U32 u32Style = T_NAV_nGetTrackStyle((U32)nIndex);
    const U32 u32Color = T_NAV_nGetTrackColor((U32)nIndex);
    const TRACK* pCached = pCachedTrack(nIndex);
    if (pCached == nullptr) {
        TRACK* pTrack = T_NAV_NVRAM_pLoadTrack(nIndex);
        if (pTrack != nullptr) {
            vCacheTrack(nIndex, pTrack);
            g_tNavOverlayRenderers.pfnRenderTrack(pTrack, pNVI, FALSE, u32Style, u32Color, bRadar);
        }
        T_NAV_NVRAM_vReleaseTrack();
        return;
    }
    g_tNavOverlayRenderers.pfnRenderTrack(const_cast<TRACK*>(pCached), pNVI, FALSE, u32Style, u32Color, bRadar);
}

bool bChartCursorView(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    switch (view) {
    case CHART_VIEW_PRIORITY:
    case CHART_PLUS_CHART_VIEW_PRIORITY:
        return true;
    case CHART_PLUS_2D_VIEW_PRIORITY:
    case CHART_PLUS_FLANKVIEW_VIEW_PRIORITY:
    case CHART_PLUS_KEELVIEW_VIEW_PRIORITY:
    case CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY:
        return split == SPLIT_RIGHT_WINDOW;
    case CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY:
    case RADAR_PLUS_CHART_VIEW_PRIORITY:
    case SONAR_PPI_PLUS_CHART_VIEW_PRIORITY:
        return split == SPLIT_LEFT_WINDOW;
    default:
        return T_RADAR_bIsMyRadarView(view, split) || T_INFO_bIsMssView();
    }
}

} // namespace

// Public functions ------------------------------------------------------------

void T_NAV_vSetSonarCursorViewTest(NAV_CURSOR_VIEW_TEST* pfnTest)
{
    s_pfnSonarCursorView = pfnTest;
}

BOOLEAN T_NAV_bIsSonarCursorView(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit)
{
    return s_pfnSonarCursorView != nullptr && s_pfnSonarCursorView(view, eSplit) ? TRUE : FALSE;
}

float T_NAV_fDistanceMetres(const POINT* pptA, const POINT* pptB)
{
    double dCourse = 0.0;
    nv_RouteAngle(pptA, pptB, &dCourse);
    POSITION a, b;
    nv_MeterToDegr(pptA, &a);
    nv_MeterToDegr(pptB, &b);
    double dNm = 0.0;
    nv_CalcDistance(&a, &b, dCourse, &dNm);
    return (float)dConvertToInternal(dNm, D_DISTANCE, U_NAUT_MILES);
}

BOOLEAN T_NAV_bCheckDuplicateOf(U32 u32Index)
{
    if (!T_NAV_TWR_bIsDuplicateWaypoint(u32Index))
        return TRUE;
    const U32 u32Twin = T_NAV_TWR_nGetDuplicateWaypointIndex(u32Index);
    if (u32Twin == NO_ITEM)
        return TRUE;
    const WAYPOINT* pTwin = T_NAV_pGetWaypoint(u32Twin);
    if (pTwin == nullptr || pTwin->u8Status == WP_STATUS_TEMPORARY)
        return TRUE;
    return T_NAV_GROUP_DATA_bIsInAnyVisibleGroup((U16)u32Twin) ? TRUE : FALSE;
}

void T_NAV_vDrawChartOverlay(NAV_VIEW_INFO* pNVI, BOOLEAN bRenderCursorWaypoint, BOOLEAN bLeftPane)
{
    if (pNVI == nullptr)
        return;
    const NAV_OVERLAY_RENDERERS& r = g_tNavOverlayRenderers;

    // 1.
    const bool bCursorActive = bKeyTrue("ICAC");
    {
        NavLock lock(RES_NAV_DATA);
        for (S16& e : s_ProxTable)
            e = (S16)NO_ITEM;
        s_u32WPPCount = 0;

        // 2. The AIS lock is taken whether or not targets are shown.
        const bool bShowAis = bKeyTrue("SAIS");
        {
            NavLock ais(RES_AIS_TARGETS);
            if (bShowAis) {
                ais_DeviceInfo* pTarget = nullptr;
                for (S32 i = 0; T_NMEA_bScanAisPoints(i, &pTarget); ++i)
                    r.pfnRenderAIS(pTarget, pNVI, FALSE);
            }
        }

        // 3.
        r.pfnRenderWaypointTarget(pNVI, FALSE);
        r.pfnRenderWaypointGrid(pNVI, FALSE);

        // 4.
        if (T_NAV_eShownView() == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY && bKeyTrue("SPVO"))
            vRender3DViewOutline(pNVI, bCursorActive);

        // 5. and 6.
        r.pfnRenderAlarmLimits(pNVI, FALSE);
        r.pfnRenderRoute(&s_CurrentRoute, pNVI, FALSE);
        r.pfnRenderTrack(T_NAV_pGetCurrentTrackPtr(), pNVI, TRUE, u32KeyOr("SNCP", 0), u32KeyOr("SNCC", 0), FALSE);

        // 7.
        S32* pDeclutter = T_NAV_TWR_pGetDeclutterWaypointTable(bLeftPane);

        // 8.
        U32 u32PositionHold = NO_ITEM;
        if (!bKeyU32("IPSL", &u32PositionHold))
            u32PositionHold = NO_ITEM;
        S32 nTravelled = NO_ROUTE;
        if (!bKeyS32("CCRT", &nTravelled))
            nTravelled = NO_ROUTE;
        for (S32 i = 0; i < (S32)NAV_ROUTE_SLOTS; ++i) {
            ROUTE* pRoute = T_NAV_pGetRoute((U32)i);
            if (pRoute != nullptr && pRoute->nCount != 0 && !pRoute->bHide && i != nTravelled)
                r.pfnRenderSavedRoute(pRoute, pNVI, FALSE, FALSE);
        }

        // 9.
        S32 nCursorWaypoint = NO_ITEM;
        if (bKeyS32("ICWP", &nCursorWaypoint) && nCursorWaypoint != NO_ITEM) {
            const S32 nRoute = T_NAV_TWR_s32GetIndexOfLastRouteStartingAt(nCursorWaypoint);
            ROUTE* pRoute = nRoute >= 0 ? T_NAV_pGetRoute((U32)nRoute) : nullptr;
            if (pRoute != nullptr && pRoute->nCount != 0 && !pRoute->bHide)
                r.pfnRenderSavedRoute(pRoute, pNVI, FALSE, TRUE);
        }

        // 10.
        r.pfnRenderRoute(&s_CurrentRoute, pNVI, FALSE);

        // 11.
        S32 nIndex = -1;
        WAYPOINT* pWaypoint = nullptr;
        while (T_NAV_bScanWaypoints(&nIndex, &pWaypoint, FALSE)) {
            if (pWaypoint == nullptr || bChartSkipsWaypoint(nIndex, pWaypoint, u32PositionHold))
                continue;
            r.pfnRenderWaypoint(nIndex, pWaypoint, pNVI, nDeclutterEntry(pDeclutter, (U32)nIndex), FALSE,
                                T_NAV_bCheckDuplicateOf((U32)nIndex));
        }

        // 12.
        if (bKeyTrue("SIUF"))
            vRenderRumbrels(pNVI, FALSE);

        // 13.
        if (u32PositionHold != NO_ITEM) {
            WAYPOINT* pHold = T_NAV_pGetWaypoint(u32PositionHold);
            if (pHold != nullptr)
                r.pfnRenderWaypoint((S32)u32PositionHold, pHold, pNVI, nDeclutterEntry(pDeclutter, u32PositionHold),
                                    FALSE, FALSE);
        }

        // 14.
        vRenderProximityFlags(pNVI, bCursorActive);

        // 15.
        if (bRenderCursorWaypoint) {
            r.pfnRenderCursorRumbrel(pNVI, FALSE);
            r.pfnRenderCursorWaypoint(pNVI, FALSE);
        }
    }

    // 16.
    r.pfnRenderBoat(pNVI);

    // 17.
    if (bKeyTrue("SNUP")) {
        r.pfnRenderNupArrow(pNVI);
        vRenderOrientationLabel(pNVI);
    }

    // 18. The preview is set by the task that moves the cursor.
    NavLock previewLock(RES_NAV_DATA);
    if (bRenderCursorWaypoint && s_pSnapshotThumbnailPreview != nullptr) {
        s_SnapshotNVI.RotContext = pNVI->RotContext;
        s_SnapshotNVI.CenterOffset = pNVI->CenterOffset;
        s_SnapshotNVI.ptCenterMM = pNVI->ptCenterMM;
        s_SnapshotNVI.nPixelsPerMMM = pNVI->nPixelsPerMMM;
        s_SnapshotNVI.GrContext = pNVI->GrContext;
        if (s_bRegisterThumbnailLayer) {
            s_bRegisterThumbnailLayer = FALSE;
            U_VIEW_bRegisterLayer(T_NAV_vDrawPreviewThumbnail, SNAPSHOT_THUMBNAIL_LAYER, T_NAV_eShownView(), 0, 0, TRUE,
                                  nullptr, nullptr, nullptr);
        }
    }
}

void T_NAV_vRenderNupArrow(NAV_VIEW_INFO* pNVI)
{
    if (pNVI == nullptr || pNVI->pBitmap == nullptr)
        return;
    const S32 boxW = (S32)G_ICON_u32GetWidth(&NupBox);
    const S32 boxH = (S32)G_ICON_u32GetHeight(&NupBox);
    const S32 arrowW = (S32)G_ICON_u32GetWidth(&NupArrow);
    const S32 arrowH = (S32)G_ICON_u32GetHeight(&NupArrow);
    const S32 b = nNupBottom(pNVI);
    POINT box = {bSplitOrientationView() ? pNVI->nWindowWidth - boxW - NUP_BOX_SPLIT_MARGIN : NUP_BOX_RIGHT - boxW,
                 b};
    G_ICON_vPut(pNVI->pBitmap, &NupBox, &box);
    POINT arrow = {box.x + boxW - 4 - arrowW / 2, b + 1 + boxH - arrowH / 2 + std::abs(boxH - arrowH) / 2};
    const POINT centre = {arrowW / 2, arrowH / 2};
    const double dAngle = T_CHART_s32GetChartOrientationAngle(pNVI->bCursorActive) * DEG_TO_RAD;
    G_ICON_vPutRotatedAngle(pNVI->pBitmap, &NupArrow, &arrow, &centre, dAngle);
}

void T_NAV_vRenderSavedTracks(NAV_VIEW_INFO* pNVI, BOOLEAN bRadar)
{
    if (pNVI == nullptr || U_CHART_GENERIC_bIsPOSMode())
        return;
    S32 nLimit = 0;
    if (bRadar) {
        if (!(pNVI->fPixelsPerMM > 0.0f))
            return;
        nLimit = (S32)std::min(RADAR_CLIP_PIXELS / (double)pNVI->fPixelsPerMM, (double)INT32_MAX);
    } else {
        if (pNVI->nPixelsPerMMM <= 0)
            return;
        nLimit = NAV_BOX_PIXEL_SPAN / pNVI->nPixelsPerMMM;
    }
    NavLock lock(RES_NAV_DATA);
    S32 nIndex = -1;
    TRACK_HEADER* pHeader = nullptr;
    while (T_NAV_bScanVisibleTracks(&pNVI->ptCenterMM, nLimit, &nIndex, &pHeader))
        vLoadAndDrawTrack(nIndex, pNVI, bRadar);
}

void T_NAV_vDrawChartTwrSelected(NAV_VIEW_INFO* pNVI, const U16* pTwrItemsSelected)
{
    if (pNVI == nullptr)
        return;
    const NAV_OVERLAY_RENDERERS& r = g_tNavOverlayRenderers;
    NavLock lock(RES_NAV_DATA);
    r.pfnRenderBoat(pNVI);
    if (pTwrItemsSelected == nullptr)
        return;
    for (const U16* p = pTwrItemsSelected; *p != NO_ITEM; ++p) {
        const U16 id = *p;
        if ((id & ID_KIND_MASK) == 0 && (id & 0xFFF) <= NAV_WAYPOINT_SLOTS - 1) {
            WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(id);
            if (pWaypoint != nullptr)
                r.pfnRenderWaypoint(id, pWaypoint, pNVI, id, FALSE, FALSE);
        } else if ((id & ID_ROUTE_MASK) == ID_ROUTE && (id & 0x7FF) <= NAV_ROUTE_SLOTS - 1) {
            ROUTE* pRoute = T_NAV_pGetRoute(id & 0x37FF);
            if (pRoute != nullptr)
                r.pfnRenderRouteForPopupWindow(pRoute, pNVI, FALSE);
        } else if ((id & ID_ROUTE_MASK) == ID_TRACK && (id & 0x3F) <= NAV_TRACK_SLOTS - 1 &&
                   (id & 0x17C0) == T_NAV_GROUP_DATA_u16Getu7UnitID()) {
            vLoadAndDrawTrack(id & 0x3F, pNVI, FALSE);
        } else if ((id & ID_RUMBREL_MASK) == ID_RUMBREL && (id & 0x1FF) <= NAV_RUMBREL_SLOTS - 1) {
            RUMBREL* pRumbrel = T_NAV_pGetRumbrel(id & 0x3F);
            if (pRumbrel != nullptr)
                r.pfnRenderRumbrel(pRumbrel, pNVI, FALSE, TRUE, TRUE, FALSE);
        }
    }
}

BOOLEAN T_NAV_vGetPosBeforeMark(POINT* ptMark)
{
    if (ptMark == nullptr)
        return FALSE;
    if (!bKeyTrue("ICAC")) {
        S32 y = 0, x = 0;
        if (bKeyS32("ILAT", &y) && bKeyS32("ILON", &x)) {
            *ptMark = {x, y};
            return TRUE;
        }
        T_NAV_vSetNavUIError(&Fix_Required);
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return FALSE;
    }
    const LAYER_ID view = T_NAV_eShownView();
    const SPLIT_WINDOW_TYPE split = T_NAV_eShownSplit();
    bool bTake = bChartCursorView(view, split);
    if (!bTake) {
        float fDepth = 0.0f;
        bTake = s_pfnSonarCursorView != nullptr && s_pfnSonarCursorView(view, split) && bKeyTrue("ICLV") &&
                bKeyFloat("ICDP", &fDepth);
    }
    S32 y = 0, x = 0;
    if (bTake && bKeyS32("ICLT", &y) && bKeyS32("ICLN", &x)) {
        *ptMark = {x, y};
        return TRUE;
    }
    L_SEMA_Signal(SEMA_KEYCLICK_BAD);
    return FALSE;
}

void T_NAV_vDeleteRouteMenuInSkelvinMenu(ROUTE* pRoute)
{
    if (pRoute != nullptr && T_NAV_bCompareRoutes1(pRoute, &s_CurrentRoute))
        T_NAV_vEndNavigationNow();
}
