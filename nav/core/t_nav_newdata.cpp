#include "nav/core/t_nav_newdata.h"
#include "nav/core/t_nav_keys.h" // T_NAV_vMakeCursorInactive

#include "nav/core/newdata_standins.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_draw.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_share.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"

#include "chart_sdk/geodesy/nv_calc.h"

#include "kernel/l_mutex.h"
#include "sonar/screens/t_n_history_screens.h"
#include "ui/t_info_bar.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "ui/u_menu_client.h"
#include "util/u_convert.h"

#include <cmath>
#include <cstdio>

BOOLEAN s_bPilotBookOpening = FALSE;
BOOLEAN s_bCursorToWaypointMenuCreated = FALSE;

namespace {

constexpr U32 CCST_SIMULATION = 4;
constexpr U32 CCST_POINT_OF_SALE = 6;
constexpr U32 CCST_PLAYBACK = 11;
constexpr S32 FTC_OPTION_OFFSET = 5; // the contour's option that applies a new offset
constexpr MENU_PRIORITY MENU_CURRENT_ACTIVE_ROUTE = (MENU_PRIORITY)115;
constexpr S32 CONTOUR_OFFSET_DELAY_S = 3;   // the offset contour goes to the motor this much later
constexpr S32 CONTOUR_SHALLOW_TENTHS = 50;  // depths along the contour below this sound the alarm
constexpr float CHART_OFFSET_RESET = -380.0f;

constexpr MENU_PRIORITY MENU_VURUZAVE_OVERLAY_TRANSPARENCY = (MENU_PRIORITY)120;
constexpr MENU_PRIORITY MENU_VURUZAVE_EXAGGERATION = (MENU_PRIORITY)118;
constexpr MENU_PRIORITY MENU_VURUZAVE_CHART_OVERLAY = (MENU_PRIORITY)262;
constexpr MENU_PRIORITY MENU_VURUZAVE_3D = (MENU_PRIORITY)263;
constexpr MENU_PRIORITY MENU_VURUZAVE_3D_OVERLAY = (MENU_PRIORITY)265;

#define NAV_NEWDATA_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Vuruzave_Tab = NAV_NEWDATA_TEXT("Vuruzave");
TEXT_TABLE Overlay_Transparency = NAV_NEWDATA_TEXT("Overlay Transparency");
TEXT_TABLE Chart_Aerial_Overlay = NAV_NEWDATA_TEXT("Chart Aerial Overlay");
TEXT_TABLE Vuruzave_3D = NAV_NEWDATA_TEXT("Vuruzave 3D");
TEXT_TABLE Aerial_Overlay_3D = NAV_NEWDATA_TEXT("3D Aerial Overlay");
TEXT_TABLE Exaggeration = NAV_NEWDATA_TEXT("Exaggeration");
TEXT_TABLE Hidden = NAV_NEWDATA_TEXT("Hidden");
TEXT_TABLE Land = NAV_NEWDATA_TEXT("Land");
TEXT_TABLE Land_Water = NAV_NEWDATA_TEXT("Land+Water");
TEXT_TABLE Visible = NAV_NEWDATA_TEXT("Visible");

const TEXT_TABLE* const s_apOverlayChoices[] = {&Hidden, &Land, &Land_Water};
const U32 s_au32OverlayValues[] = {0, 1, 2};
const TEXT_TABLE* const s_apShownChoices[] = {&Hidden, &Visible};
const U32 s_au32ShownValues[] = {0, 1};
const MENU_LIMITS s_TransparencyLimits[] = {{U_NONE, 0.0f, 100.0f, 10.0f}};
const MENU_LIMITS s_ExaggerationLimits[] = {{U_NONE, 1.0f, 8.0f, 1.0f}};

// The panes the aerial overlay shows in.
const VIEW_AND_SPLIT s_aTransparencyPanes[] = {
    {CHART_VIEW_PRIORITY, SPLIT_FULL_WINDOW},
    {CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_KEELVIEW_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_FLANKVIEW_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW},
    {CHART_PLUS_CHART_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
    {CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
    {RADAR_PLUS_CHART_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
    {SONAR_PPI_PLUS_CHART_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
};
// The panes of the 3D chart.
const VIEW_AND_SPLIT s_aExaggerationPanes[] = {
    {BIRDS_EYE_VIEW_PRIORITY, SPLIT_FULL_WINDOW},
    {CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, SPLIT_LEFT_WINDOW},
};

constexpr LAYER_ID INFO_CHART_PILOT_BOOK_LAYER = 231;
constexpr MENU_PRIORITY MENU_LAST_SAVED_ROUTE = (MENU_PRIORITY)116;

TEXT_TABLE Route_Menu = NAV_NEWDATA_TEXT("Route");
TEXT_TABLE Travel_Forward = NAV_NEWDATA_TEXT("Travel Forward");
TEXT_TABLE Travel_Reverse = NAV_NEWDATA_TEXT("Travel Reverse");
TEXT_TABLE Edit_Route = NAV_NEWDATA_TEXT("Edit");
TEXT_TABLE Delete_Route = NAV_NEWDATA_TEXT("Delete");
const TEXT_TABLE* const s_apLastRouteChoices[] = {&Travel_Forward, &Travel_Reverse, &Edit_Route, &Delete_Route};
MENU_ACTION_FUNC* const s_apfnLastRouteActions[] = {T_NAV_vTravelForward, T_NAV_vTravelReverse,
                                                     T_NAV_vEditLastSavedRoute, T_NAV_vDeleteLastSavedRoute};
BOOLEAN s_bLastSavedRouteMenuCreated = FALSE;

TEXT_TABLE Playback_Caption = NAV_NEWDATA_TEXT("Playback");
TEXT_TABLE Simulation_Caption = NAV_NEWDATA_TEXT("Simulation");

// Until the chart installs its painters the chart panes stay empty.
void vNoChart(BITMAP*, WINDOW_SPECIFICATION*) {}
NAV_CHART_PANE_DRAWS s_tChartDraws = {vNoChart, vNoChart};

BOOLEAN s_bComboViewRegistered = FALSE;

U32 s_u32LocalMask = 0;
U32 s_u32NetworkMask = 0;
BOOLEAN s_bHeadingLine = FALSE;
U32 s_u32PreviousState = 0;

U32 u32Key(FOURCHARID key, U32 u32Default)
{
    U32 u32 = u32Default;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &u32, &bValid, nullptr) || !bValid)
        return u32Default;
    return u32;
}

S32 s32Key(FOURCHARID key, S32 s32Default)
{
    S32 s32 = s32Default;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchS32(key, &s32, &bValid, nullptr) || !bValid)
        return s32Default;
    return s32;
}

// ---- Sonar views ----

void vRegisterPane(DRAW_FUNCTION* pfnDraw, LAYER_ID view, SPLIT_WINDOW_TYPE split, FOURCHARID control,
                   FOURCHARID splitKey)
{
    U_VIEW_bRegisterLayerSplit(pfnDraw, view, USED_BY_NONE, 0, control, TRUE, &Playback_Caption, &Simulation_Caption,
                               nullptr, split, splitKey);
}

void vChartPlus2DView(bool bWanted)
{
    if (bWanted && !s_bComboViewRegistered) {
        vRegisterPane(T_N_HISTORY_vDrawSonarSplit, CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_LEFT_WINDOW, FCID("SVCO"),
                      FCID("SZCO"));
        vRegisterPane(s_tChartDraws.pfnChartView, CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW, FCID("SVCO"),
                      FCID("SZCO"));
        s_bComboViewRegistered = TRUE;
    } else if (!bWanted && s_bComboViewRegistered) {
        U_VIEW_bUnRegisterLayerSplit(CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_LEFT_WINDOW);
        U_VIEW_bUnRegisterLayerSplit(CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
        s_bComboViewRegistered = FALSE;
    s_bLastSavedRouteMenuCreated = FALSE;
    s_bLastWaypointMenuCreated = FALSE;
    s_bCursorToWaypointMenuCreated = FALSE;
    }
}

void vPilotBookView(U32 u32Available)
{
    if ((u32Available & 0xFF) != 0) {
        vRegisterPane(s_tChartDraws.pfnChartView, CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY, SPLIT_LEFT_WINDOW,
                      FCID("SVCH"), FCID("SZCH"));
        vRegisterPane(T_HTML_vDrawHtmlView, CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW, FCID("SVCH"),
                      FCID("SZCH"));
        U_VIEW_bRegisterLayer(T_INFO_vDrawInfoLayer_Instrumentation_TrackChartView, INFO_CHART_PILOT_BOOK_LAYER,
                              CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY, 0, 0, TRUE, nullptr, nullptr, nullptr);
        return;
    }
    if (s32Key(FCID("CVEW"), NO_VIEW_PRIORITY) == CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY)
        H_DATABASE_bUpdateValueS32(FCID("CVEW"), CHART_VIEW_PRIORITY, P_NORMAL);
    U_VIEW_bUnRegisterLayer(INFO_CHART_PILOT_BOOK_LAYER);
    U_VIEW_bUnRegisterLayerSplit(CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY, SPLIT_LEFT_WINDOW);
    U_VIEW_bUnRegisterLayerSplit(CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
}

void vAdvancedViews(U32 u32Enabled)
{
    U32 u32Value = u32Key(FCID("YST2"), 0);
    if (u32Value == 0)
        u32Value = u32Key(FCID("YST3"), 0);
    T_NAV_vEnableSonarAdvancedDisplays(u32Enabled != 0 && u32Value != 0 ? TRUE : FALSE, u32Value);
}

void vSonarViews(U32 u32Enabled)
{
    U32 u32Mask = s_u32NetworkMask;
    if (u32Enabled != 0)
        u32Mask |= s_u32LocalMask;
    vChartPlus2DView(u32Enabled != 0 && u32Key(FCID("YST1"), 0) != 0);
    vAdvancedViews(u32Enabled);
    const BOOLEAN b360 =
        T_NAV_bElementMaskHas360(u32Mask) && u32Key(FCID("YST4"), 0) != 0 ? TRUE : FALSE;
    T_NAV_vEnableSonar360Displays(b360);
}

void vImagingPresent(FOURCHARID other, U32 u32Value)
{
    if (u32Value != 0)
        T_NAV_vEnableSonarAdvancedDisplays(TRUE, u32Value);
    else if (H_DATABASE_bFetchU32(other, &u32Value, nullptr, nullptr) && u32Value != 0)
        ; // the other kind of imaging still needs the views
    else
        T_NAV_vEnableSonarAdvancedDisplays(FALSE, 0);
}

// ---- Aerial photos ----

void vTransparencySlider(U32 u32Features)
{
    const bool bShow = u32Key(FCID("SPCO"), 0) != 0 && (u32Features & 0xFF) != 0;
    for (const VIEW_AND_SPLIT& v : s_aTransparencyPanes) {
        if (bShow)
            U_MENU_bRegisterHotSliderMenu(&Overlay_Transparency, nullptr, MENU_VURUZAVE_OVERLAY_TRANSPARENCY,
                                          FCID("SPOT"), s_TransparencyLimits, nullptr, nullptr, nullptr, M_BASIC,
                                          v.eView, v.eSplit);
        else
            U_MENU_bUnregisterHotMenuItem(&Overlay_Transparency, v.eView, v.eSplit);
    }
}

void vAerialPhotoMenus(U32 u32Features)
{
    vTransparencySlider(u32Features);
    if ((u32Features & 0xFF) != 0) {
        U_MENU_bRegisterTab(&Vuruzave_Tab, VURUZAVE_TAB_PRIORITY, nullptr, M_BASIC);
        U_MENU_bRegisterMainSelectorMenu(&Chart_Aerial_Overlay, &Vuruzave_Tab, MENU_VURUZAVE_CHART_OVERLAY,
                                         FCID("SPCO"), 3, s_apOverlayChoices, s_au32OverlayValues, M_BASIC);
        U_MENU_bRegisterMainSelectorMenu(&Vuruzave_3D, &Vuruzave_Tab, MENU_VURUZAVE_3D, FCID("SP3E"), 2,
                                         s_apShownChoices, s_au32ShownValues, M_BASIC);
        U_MENU_bRegisterMainSelectorMenu(&Aerial_Overlay_3D, &Vuruzave_Tab, MENU_VURUZAVE_3D_OVERLAY, FCID("SP3O"),
                                         2, s_apShownChoices, s_au32ShownValues, M_BASIC);
        for (const VIEW_AND_SPLIT& v : s_aExaggerationPanes)
            U_MENU_bRegisterHotSliderMenu(&Exaggeration, nullptr, MENU_VURUZAVE_EXAGGERATION, FCID("SPVT"),
                                          s_ExaggerationLimits, nullptr, nullptr, nullptr, M_BASIC, v.eView,
                                          v.eSplit);
        return;
    }
    for (const TEXT_TABLE* pItem : {&Chart_Aerial_Overlay, &Vuruzave_3D, &Aerial_Overlay_3D})
        U_MENU_bUnregisterMainMenuItem(pItem, &Vuruzave_Tab);
    for (const VIEW_AND_SPLIT& v : s_aExaggerationPanes)
        U_MENU_bUnregisterHotMenuItem(&Exaggeration, v.eView, v.eSplit);
    U_MENU_bUnregisterTab(&Vuruzave_Tab);
}

// ---- Recorded-track move ----

constexpr double METRES_PER_NAUTICAL_MILE = 1852.0;

// The working copy follows the chosen track moved by "IPIO" metres towards
// "IPID". The geodesy takes nautical miles.
void vMoveRecordedTrack(void)
{
    float fDirection = 0.0f;
    float fDistance = 0.0f;
    H_DATABASE_bFetchFloat(FCID("IPID"), &fDirection, nullptr, nullptr);
    H_DATABASE_bFetchFloat(FCID("IPIO"), &fDistance, nullptr, nullptr);
    if (fDirection < 0.0f)
        fDirection += 360.0f;
    const double dNauticalMiles = fDistance / METRES_PER_NAUTICAL_MILE;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const RUMBREL* pSource =
        s_u32MoveCopyRumbrelId != NAV_NO_MOVE_COPY_RUMBREL ? T_NAV_pGetRumbrel(s_u32MoveCopyRumbrelId) : nullptr;
    if (pSource != nullptr && pSource->nCount > 0 && pSource->nCount <= RUMBREL_MAX_POINTS) {
        for (U32 i = 0; i < pSource->nCount; ++i) {
            POINT pt = pSource->aTrackPoints[i];
            // A point the geodesy cannot move keeps its last place.
            if (nv_PolarToGeographic(pSource->aTrackPoints[i], dNauticalMiles, fDirection, &pt) == NV_OK)
                s_tMoveCopyRumbrel.aTrackPoints[i] = pt;
        }
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
}

// ---- Drift anchor ----

void vDriftAnchor(void)
{
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    BOOLEAN bLatValid = FALSE;
    BOOLEAN bLonValid = FALSE;
    if (H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLatValid, nullptr) && bLatValid &&
        H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLonValid, nullptr) && bLonValid) {
        H_DATABASE_bUpdateValueS32(FCID("IDLT"), s32Lat, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("IDLN"), s32Lon, P_NORMAL);
        return;
    }
    T_NAV_vSetNavUIError(&Fix_Required);
}

// ---- Contour offset and depth ----

// A contour is being followed and none is picked for the Go-To menu.
// Called with mutex 104 held.
bool bFollowingContour(void)
{
    return s_pContourAddr == nullptr && s_tFTCData.pStevrinStructAddr != nullptr;
}

void vChosenOffset(float fOffset)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    const bool bFollowing = bFollowingContour();
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    if (bFollowing)
        H_DATABASE_bUpdateValueFloat(FCID("IPOT"), fOffset, P_NORMAL);
}

void vPendingOffset(const MESSAGE_NEW_DATA* pMessage)
{
    if (pMessage->bValid) {
        // The user is still changing it: wait for it to stand.
        s_nOffsetRumbrelTimeout = -1;
        return;
    }
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    if (bFollowingContour()) {
        const float fMetres = (float)dConvertFromInternal(pMessage->dbValue.fVal, D_DISTANCE, U_METRES);
        if (fMetres != s_tFTCData.fCtrOffsetInMeters) {
            const float fSigned = fMetres * (float)s_tFTCData.nOffsetSign;
            if (T_NAV_STEVRIN_bFollowContour(s_tFTCData.pStevrinStructAddr, FTC_OPTION_OFFSET, fSigned)) {
                s_tFTCData.fCtrOffsetInMeters = fMetres;
                s_nOffsetRumbrelTimeout = CONTOUR_OFFSET_DELAY_S;
            } else {
                H_DATABASE_bUpdateValueFloat(
                    FCID("IPFO"), (float)dConvertToInternal(s_tFTCData.fCtrOffsetInMeters, D_DISTANCE, U_METRES),
                    P_NORMAL);
            }
        }
    }
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
}

void vContourDepth(float fDepth)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    if (s_tFTCData.pStevrinStructAddr == nullptr) {
        L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
        return;
    }
    U32 u32Depths = 0;
    const S32* pDepths = GetFTCTrackDepths(s_tFTCData.pStevrinStructAddr, &u32Depths);
    BOOLEAN bShallow = FALSE;
    for (U32 i = 0; pDepths != nullptr && i < u32Depths && !bShallow; ++i)
        bShallow = pDepths[i] < CONTOUR_SHALLOW_TENTHS ? TRUE : FALSE;
    T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(bShallow);
    S32 s32Feet = s_tFTCData.nPickDepthActual + (S32)std::lround(dConvertFromInternal(fDepth, D_DEPTH, U_FEET));
    if (s32Feet < 0)
        s32Feet = 0;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    char acText[24];
    snprintf(acText, sizeof acText, "%d feet", (int)s32Feet);
    U_STEVRIN_vUpdateContourStr(acText);
}

// ---- Views and panes ----

void vViewChanged(S32 s32View)
{
    T_NAV_vCheckKeyRegistration(s32View, UNKNOWN_VIEW);
    if (s_bPilotBookOpening)
        s_bPilotBookOpening = FALSE;
    else
        T_NAV_vMakeCursorInactive();
    for (FOURCHARID key : {FCID("KZMC"), FCID("KZLC"), FCID("KTMC"), FCID("KTLC")})
        H_DATABASE_bUpdateValueS32(key, 0, P_NORMAL);
    for (FOURCHARID key : {FCID("KSMC"), FCID("KSLC"), FCID("OLPC"), FCID("OMPC")})
        H_DATABASE_bUpdateValueFloat(key, 0.0f, P_NORMAL);
    for (FOURCHARID key : {FCID("OMLC"), FCID("OLLC")})
        H_DATABASE_bUpdateValueFloat(key, CHART_OFFSET_RESET, P_NORMAL);
    for (FOURCHARID key : {FCID("OMCC"), FCID("OLCC")})
        H_DATABASE_bUpdateValueU32(key, 0, P_NORMAL);
}

void vPaneChanged(S32 s32Pane)
{
    T_NAV_vCheckKeyRegistration(UNKNOWN_VIEW, s32Pane);
    if (!s_bPilotBookOpening)
        T_NAV_vMakeCursorInactive();
}

// The pane the cursor menus of the shown view live in.
void vCurrentPane(LAYER_ID* pView, SPLIT_WINDOW_TYPE* pSplit)
{
    const S32 s32View = s32Key(FCID("CVEW"), CHART_VIEW_PRIORITY);
    *pView = (LAYER_ID)s32View;
    *pSplit = s32View == CHART_VIEW_PRIORITY ? SPLIT_FULL_WINDOW
                                              : (SPLIT_WINDOW_TYPE)s32Key(FCID("CVAS"), SPLIT_FULL_WINDOW);
}

// ---- Current route ----

void vRouteTravelled(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    const BOOLEAN bCreated = s_bCurrentActiveRouteMenuCreated;
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (bCreated)
        return;
    const S32 s32Route = s32Key(FCID("CCRT"), -1);
    if (s32Route < 0)
        return;
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bRegisterHotActionMenu(&Reverse, nullptr, MENU_CURRENT_ACTIVE_ROUTE, T_NAV_vReverseRoute, FALSE,
                                      M_BASIC, v.eView, v.eSplit);
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_bCurrentActiveRouteMenuCreated = TRUE;
    L_MUTEX_Unlock(RES_NAV_DATA);
    LAYER_ID view = CHART_VIEW_PRIORITY;
    SPLIT_WINDOW_TYPE split = SPLIT_FULL_WINDOW;
    vCurrentPane(&view, &split);
    for (S32 s = 0; s < (S32)NAV_ROUTES_UNDER_CURSOR; ++s) {
        if (s_aRoutesUnderCursor[s] == s32Route) {
            T_NAV_vUnregister_Routes_Under_Cursor_Menu(view, split, s);
            T_NAV_vRegister_Routes_Under_Cursor_Menu(view, split, s, (U32)s32Route);
            break;
        }
    }
}

// ---- The cursor's waypoint menus ----

void vLastWaypointChanged(const MESSAGE_NEW_DATA* pMessage)
{
    if (!s_bLastWaypointMenuCreated)
        T_NAV_vRegister_Last_Waypoint_Menu();
    T_NAV_vUpdateCursorToWaypointMenuRegistration();
    T_NAV_GROUP_vHandleNewData(pMessage);
}

// The motor's navigation changes what the cursor's menus offer: they are
// made again.
void vMotorNavigationChanged(void)
{
    if (s_bCursorToWaypointMenuCreated)
        T_NAV_vUnregister_CursorTo_Waypoint_Menu();
    T_NAV_vUpdateCursorToWaypointMenuRegistration();
    T_NAV_vUnregister_Last_Waypoint_Menu();
    T_NAV_vRegister_Last_Waypoint_Menu();
    const U32 u32Waypoint = u32Key(FCID("ICWP"), NAV_ID_NONE);
    if (u32Waypoint != NAV_ID_NONE) {
        T_NAV_vUpdateCursorWaypoint(NAV_ID_NONE);
        T_NAV_vUpdateCursorWaypoint((U16)u32Waypoint);
    }
    const U32 u32Track = u32Key(FCID("ICIT"), NAV_ID_NONE);
    if (u32Track != NAV_ID_NONE) {
        T_NAV_vUpdateCursorRumbrel(NAV_ID_NONE);
        T_NAV_vUpdateCursorRumbrel((U16)u32Track);
    }
}

// ---- Last saved route ----

void vLastSavedRoute(void)
{
    if (s_bLastSavedRouteMenuCreated)
        return;
    const U32 u32Cursor = u32Key(FCID("ICWP"), NAV_ID_NONE);
    log_me("[%d]%s: index last saved route = %d", __LINE__, __func__, (int)s32Key(FCID("CLRT"), -1));
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bRegisterHotActionListMenu(&Route_Menu, nullptr, MENU_LAST_SAVED_ROUTE, s_apLastRouteChoices,
                                          s_apfnLastRouteActions, 4, M_BASIC, v.eView, v.eSplit, FCID("CLRT"),
                                          nullptr);
    if (u32Cursor != NAV_ID_NONE) {
        LAYER_ID view = CHART_VIEW_PRIORITY;
        SPLIT_WINDOW_TYPE split = SPLIT_FULL_WINDOW;
        vCurrentPane(&view, &split);
        T_NAV_vUnregister_Routes_Under_Cursor_Menu(view, split, -1);
        S32 anSlots[NAV_ROUTES_USING_WAYPOINT] = {-1, -1, -1, -1, -1};
        L_MUTEX_LockWait(RES_NAV_DATA);
        T_NAV_vGetRoutesUsingWaypoint(u32Cursor, anSlots);
        L_MUTEX_Unlock(RES_NAV_DATA);
        for (S32 s = 0; s < (S32)NAV_ROUTES_USING_WAYPOINT; ++s)
            if (anSlots[s] >= 0)
                T_NAV_vRegister_Routes_Under_Cursor_Menu(view, split, s, (U32)anSlots[s]);
    }
    s_bLastSavedRouteMenuCreated = TRUE;
}

// ---- System state ----

void vSystemState(U32 u32State)
{
    const U32 u32Stored = u32Key(FCID("CCST"), u32State);
    if (u32Stored == CCST_SIMULATION || u32Stored == CCST_POINT_OF_SALE)
        T_NAV_vInitSimulation();
    if (u32State == CCST_PLAYBACK) {
        T_NAV_vStopNavigating(TRUE, nullptr);
        T_NAV_vRestoreAutoZoom();
        H_DATABASE_bUpdateEverythingU32(FCID("IPFI"), 2, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        if (s_u32PreviousState != CCST_PLAYBACK) {
            L_MUTEX_LockWait(RES_NAV_DATA);
            U_NAV_vClearTrack(&s_CurrentTrack);
            L_MUTEX_Unlock(RES_NAV_DATA);
        }
    } else if (s_u32PreviousState == CCST_PLAYBACK) {
        L_MUTEX_LockWait(RES_NAV_DATA);
        T_NAV_NVRAM_vScanCurrentTrack(&s_CurrentTrack);
        L_MUTEX_Unlock(RES_NAV_DATA);
    }
    s_u32PreviousState = u32State;
}

} // namespace

void T_NAV_vHandleNewData(MESSAGE_NEW_DATA* pMessage)
{
    if (pMessage == nullptr)
        return;
    const U32 u32Value = pMessage->dbValue.u32Val;
    switch (pMessage->FourCharId) {
    case FCID("ELPM"):
        s_u32LocalMask = u32Value;
        break;
    case FCID("ENPM"):
        s_u32NetworkMask = u32Value;
        break;
    case FCID("ISEN"):
        vSonarViews(u32Value);
        break;
    case FCID("YST1"):
        vChartPlus2DView(u32Value != 0);
        break;
    case FCID("IPPB"):
        vPilotBookView(u32Value);
        break;
    case FCID("YST2"):
        vImagingPresent(FCID("YST3"), u32Value);
        break;
    case FCID("YST3"):
        vImagingPresent(FCID("YST2"), u32Value);
        break;
    case FCID("YST4"):
        T_NAV_vEnableSonar360Displays(u32Value != 0 ? TRUE : FALSE);
        break;
    case FCID("CNDA"):
        vDriftAnchor();
        break;
    case FCID("SNHL"):
        s_bHeadingLine = (u32Value & 0xFF) != 0 ? TRUE : FALSE;
        break;
    case FCID("IERD"):
        T_NAV_SHARE_bJoin();
        break;
    case FCID("IPEN"):
        vAerialPhotoMenus(u32Value);
        break;
    case FCID("SPCO"):
        vTransparencySlider(u32Key(FCID("IPEN"), 0));
        break;
    case FCID("IPID"):
    case FCID("IPIO"):
        vMoveRecordedTrack();
        break;
    case FCID("IPFO"):
        vChosenOffset(pMessage->dbValue.fVal);
        break;
    case FCID("IPOT"):
        vPendingOffset(pMessage);
        break;
    case FCID("SCLO"):
        vContourDepth(pMessage->dbValue.fVal);
        break;
    case FCID("CVAS"):
        vPaneChanged(pMessage->dbValue.s32Val);
        break;
    case FCID("CVEW"):
        vViewChanged(pMessage->dbValue.s32Val);
        break;
    case FCID("CCRT"):
        vRouteTravelled();
        break;
    case FCID("CLWC"):
        vLastWaypointChanged(pMessage);
        break;
    case FCID("IPNE"):
        vMotorNavigationChanged();
        break;
    case FCID("CLRT"):
        vLastSavedRoute();
        break;
    case FCID("CCST"):
        vSystemState(u32Value);
        break;
    default:
        break;
    }
}

void T_NAV_vUnregister_Last_Saved_Route_Menu(void)
{
    const S32 s32Route = s32Key(FCID("CLRT"), -1);
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bUnregisterHotMenuItem(&Route_Menu, v.eView, v.eSplit);
    const U32 u32Cursor = u32Key(FCID("ICWP"), NAV_ID_NONE);
    bool bUnderCursor = false;
    for (U32 s = 0; s < NAV_ROUTES_UNDER_CURSOR; ++s)
        bUnderCursor = bUnderCursor || (s32Route >= 0 && s32Key(FCID("IRT0") + (s << 24), -1) == s32Route);
    if (u32Cursor != NAV_ID_NONE && bUnderCursor)
        T_NAV_vRebuildRoutesUnderCursor();
    s_bLastSavedRouteMenuCreated = FALSE;
}

void T_NAV_vDeleteLastSavedRoute(void)
{
    const S32 s32Route = s32Key(FCID("CLRT"), -1);
    log_me("[%d]%s: index last saved route = %d", __LINE__, __func__, (int)s32Route);
    if (s32Route >= 0)
        T_NAV_bDeleteRoute((U32)s32Route, FALSE);
}

U32 T_NAV_u32LocalElementMask(void) { return s_u32LocalMask; }
U32 T_NAV_u32NetworkElementMask(void) { return s_u32NetworkMask; }
BOOLEAN T_NAV_bHeadingLineShown(void) { return s_bHeadingLine; }

void T_NAV_vInstallChartPaneDraws(const NAV_CHART_PANE_DRAWS* pDraws)
{
    s_tChartDraws.pfnChartView = pDraws != nullptr && pDraws->pfnChartView != nullptr ? pDraws->pfnChartView : vNoChart;
    s_tChartDraws.pfnPerspectiveView =
        pDraws != nullptr && pDraws->pfnPerspectiveView != nullptr ? pDraws->pfnPerspectiveView : vNoChart;
}

BOOLEAN T_NAV_bChartPlus2DViewRegistered(void) { return s_bComboViewRegistered; }

void T_NAV_vEnableSonar2DDisplays(BOOLEAN bEnable) { vChartPlus2DView(bEnable != FALSE); }

DRAW_FUNCTION* T_NAV_pfnChartPaneDraw(BOOLEAN bPerspective)
{
    return bPerspective ? s_tChartDraws.pfnPerspectiveView : s_tChartDraws.pfnChartView;
}

void T_NAV_NEWDATA_vReset(void)
{
    s_bComboViewRegistered = FALSE;
    s_u32LocalMask = 0;
    s_u32NetworkMask = 0;
    s_bHeadingLine = FALSE;
    s_u32PreviousState = 0;
    s_bPilotBookOpening = FALSE;
}
