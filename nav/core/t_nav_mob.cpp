// Man-overboard navigation: the man-overboard waypoint becomes the
// destination of a two-point route whose origin and destination are both
// that point, with the leg start time taken as the time of the event.
//
// From then on the update keeps bearing and distance to the point current,
// counts the seconds since the event in "MOBT", shows a velocity made good
// of 0 and raises no arrival, passing or off-course alarm. While a
// recording plays nothing starts: the event belongs to the live boat.
//
// Also the module's small services (t_nav_mob.h): the AIS sub-menu and the
// snapshot preview's removal; the busy notice is t_nav_busy.cpp's.
#include "nav/core/t_nav_mob.h"

#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_ais_menus.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_goto.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "graphics/g_buffers.h"
#include "kernel/l_mutex.h"
#include "platform/h_display.h"
#include "sonar/dsp/s_transducer_texts.h" // the "Accessories" tab
#include "store/h_database.h"
#include "ui/t_view_select.h"
#include "ui/u_menu_client.h"
#include "util/u_convert.h"


// Texts -------------------------------------------------------------------

#define NAV_MOB_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE MOB_Navigation_Started = NAV_MOB_TEXT("MOB navigation started");
TEXT_TABLE AIS_Menu = NAV_MOB_TEXT("AIS");
TEXT_TABLE AIS_Tracking_Target = NAV_MOB_TEXT("Tracking Target");
TEXT_TABLE AIS_CPA_Limits = NAV_MOB_TEXT("CPA Limits");
TEXT_TABLE AIS_Target_List = NAV_MOB_TEXT("Target List");
TEXT_TABLE AIS_Target_Course_Line = NAV_MOB_TEXT("Target Course Line");
TEXT_TABLE AIS_MMSI_Label = NAV_MOB_TEXT("MMSI Label");

// Statics -----------------------------------------------------------------

BOOLEAN s_bOnMarkedWaypoint = FALSE;
BOOLEAN s_bAISMenusRegistered = FALSE;
std::atomic<BOOLEAN> s_bSnapshotPreviewImage{FALSE};
BITMAP* s_pSnapshotPreviewImage = nullptr;

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 CCST_PLAYBACK = 11;

TEXT_TABLE txtOffChoice = NAV_MOB_TEXT("Off");
TEXT_TABLE txtOnChoice = NAV_MOB_TEXT("On");
TEXT_TABLE txtHiddenChoice = NAV_MOB_TEXT("Hidden");
TEXT_TABLE txtVisibleChoice = NAV_MOB_TEXT("Visible");
TEXT_TABLE txtCourseLineMax = NAV_MOB_TEXT("60:00");

const TEXT_TABLE* const s_apOffOn[] = {&txtOffChoice, &txtOnChoice};
const TEXT_TABLE* const s_apHiddenVisible[] = {&txtHiddenChoice, &txtVisibleChoice};
const U32 s_au32ZeroOne[] = {0, 1};
const MENU_LIMITS s_CourseLineLimits = {U_SECONDS, 0.0f, 3600.0f, 10.0f};
const TEXT_TABLE* const s_apAisSubMenu[] = {&AIS_Menu};

// Ends navigation at once with no completion routine.
void vEndNavigationNow(void)
{
    s_pEndNavigationComplete = nullptr;
    T_NAV_vEndNavigationNow();
    T_NAV_vRestoreAutoZoom();
}

void vWritePositionKey(FOURCHARID key, double dDegrees, DATA_TYPE eType)
{
    H_DATABASE_bUpdateEverythingFloat(key, (float)dDegrees, P_NORMAL, eType, nullptr, DB_TIMEOUT_NEVER);
}

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

// Man overboard --------------------------------------------------------------

void T_NAV_vInitiateMOB(U16 u16MOBIndex)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    vEndNavigationNow();
    s_u16MOBWaypoint = u16MOBIndex;
    T_NAV_vAddWaypointTarget(u16MOBIndex);
    WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(u16MOBIndex);
    if (pWaypoint != nullptr && pWaypoint->u8Status != WP_STATUS_FREE) {
        const WAYPOINT w = *pWaypoint;
        POSITION pos = {};
        nv_MeterToDegr(&w.pt, &pos);
        vWritePositionKey(FCID("MOBX"), pos.lat, D_POSITION_LAT);
        vWritePositionKey(FCID("MOBY"), pos.lon, D_POSITION_LON);
        T_NAV_vStartMOBNavigation();
        // The event happened when the point was made, not when navigation
        // to it began.
        if (w.u32DateTime < s_u32TimeOWT) {
            s_u32TimeOWT = w.u32DateTime;
            s_u32NavStartTime = w.u32DateTime;
            s_fDistTraveled = -1.0f;
        }
    } else {
        T_NAV_vStartMOBNavigation();
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_VIEW_vSetBackgroundLayer(CHART_VIEW_PRIORITY);
    T_NAV_vSetNavUINote(&MOB_Navigation_Started, nullptr, FALSE);
}

void T_NAV_vStopMOB(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    vEndNavigationNow();
    T_NAV_vRemoveTargetNow();
    s_u16MOBWaypoint = NAV_NO_MOB_WAYPOINT;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

BOOLEAN T_NAV_bIsMOBInProgress(void)
{
    return s_u16MOBWaypoint != NAV_NO_MOB_WAYPOINT;
}

U16 T_NAV_u16GetMOBWaypoint(void)
{
    return s_u16MOBWaypoint;
}

// Services ----------------------------------------------------------------------

void T_NAV_vSetupAISMenuItems(void)
{
    U_MENU_bRegisterMainSubMenu(&AIS_Menu, &txtTabAccessories, MENU_AIS, nullptr, s_apAisSubMenu, nullptr, 1,
                                M_BASIC);
    U_MENU_bRegisterSubMenuSelectorMenu(&AIS_Tracking_Target, &AIS_Menu, nullptr, MENU_AIS_TRACK_OPTION, FCID("SAIS"),
                                        2, s_apOffOn, s_au32ZeroOne, M_BASIC);
    U_MENU_bRegisterSubMenuActionMenu(&AIS_CPA_Limits, &AIS_Menu, nullptr, MENU_AIS_CPA_LIMIT, T_NAV_vAisCPALimit,
                                      FALSE, M_BASIC);
    U_MENU_bRegisterSubMenuActionMenu(&AIS_Target_List, &AIS_Menu, nullptr, MENU_AIS_TARGET_LIST,
                                      T_NAV_vAisTargetList, FALSE, M_BASIC);
    U_MENU_bRegisterSubMenuSliderMenu(&AIS_Target_Course_Line, &AIS_Menu, nullptr, MENU_AIS_COURSE_LINE, FCID("STCL"),
                                      &s_CourseLineLimits, &txtOffChoice, &txtCourseLineMax, nullptr, M_BASIC);
    U_MENU_bRegisterSubMenuSelectorMenu(&AIS_MMSI_Label, &AIS_Menu, nullptr, MENU_AIS_LABEL_OPTION, FCID("SLBL"), 2,
                                        s_apHiddenVisible, s_au32ZeroOne, M_BASIC);
    T_CHART_INFO_vAddNearestTargetVessel();
    T_RADAR_vSetAisConnected(1);
    s_bAISMenusRegistered = TRUE;
}

void T_NAV_vOnMarkedWaypoint(BOOLEAN bMarked)
{
    s_bOnMarkedWaypoint = bMarked;
}
