#include "nav/core/t_nav_marks.h"

#include "nav/core/neighbour_standins.h"
#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_views.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_goto.h"
#include "nav/core/t_nav_keys.h"
#include "nav/core/t_nav_mob.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_task.h"
#include "nav/core/chart_menu_standins.h"
#include "nav/core/task_standins.h"

#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_space.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/t_info.h"
#include "ui/u_keyboard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

#define NAV_MARKS_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Waypoint_Exists = NAV_MARKS_TEXT("Waypoint {XXX} already exists at this location");
TEXT_TABLE Waypoint_Created = NAV_MARKS_TEXT("Waypoint {XXX} Created");
TEXT_TABLE Stayvane_Created = NAV_MARKS_TEXT("Stayvane {XXX} Created");
// The man-overboard word, three letters in every language.
TEXT_TABLE MOB_Word = NAV_MARKS_TEXT("MOB");

constexpr U32 CCST_SIMULATION = 4;
constexpr U32 CCST_POINT_OF_SALE = 6;
constexpr U32 CCST_ASSUMED = 1;
constexpr U32 ZOOM_RELEASE_MS = 5000;
constexpr float DEPTH_MAX_M = 655.35f;
constexpr U16 LINKABLE_LIMIT = 2999;

void vClick(bool bGood) { L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD); }

bool bFetchS32(FOURCHARID key, S32* p)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchS32(key, p, &bValid, nullptr) && bValid;
}

bool bTrue(FOURCHARID key)
{
    BOOLEAN b = FALSE, bValid = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, &bValid, nullptr) && bValid && b;
}

U16 u16DepthCm(float fMetres)
{
    if (!(fMetres > 0.0f))
        return 0;
    return (U16)std::lround(std::min(fMetres, DEPTH_MAX_M) * 100.0f);
}

U16 u16BoatDepth(void)
{
    float f = 0.0f;
    return H_DATABASE_bFetchFloat(FCID("IDEP"), &f, nullptr, nullptr) ? u16DepthCm(f) : 0;
}

// The cursor's position and depth; FALSE (bad click given) when the pane
// takes no mark.
bool bCursorMark(bool bWith360, POINT* pPoint, U16* pu16Depth)
{
    const LAYER_ID view = T_NAV_eShownView();
    const SPLIT_WINDOW_TYPE split = T_NAV_eShownSplit();
    S32 y = 0, x = 0;
    const bool bPosition = H_DATABASE_bFetchS32(FCID("ICLT"), &y, nullptr, nullptr) &&
                           H_DATABASE_bFetchS32(FCID("ICLN"), &x, nullptr, nullptr);
    if (T_NAV_bIsMyChartCursorView(view, split) || T_RADAR_bIsMyRadarView(view, split) ||
        (bWith360 && T_INFO_bIsMssView())) {
        if (bPosition) {
            *pPoint = {x, y};
            *pu16Depth = 0;
            return true;
        }
    } else if (T_NAV_bIsSonarCursorView(view, split) && bTrue(FCID("ICLV"))) {
        float fDepth = 0.0f;
        if (bPosition && H_DATABASE_bFetchFloat(FCID("ICDP"), &fDepth, nullptr, nullptr)) {
            *pPoint = {x, y};
            *pu16Depth = u16DepthCm(fDepth);
            return true;
        }
    }
    vClick(false);
    return false;
}

std::string sName(U32 id)
{
    char ac[WAYPOINT_NAME_CHARS + 1] = {};
    T_NAV_vCopyWaypointName(id, ac, sizeof ac);
    return ac;
}

void vLink(U16 u16Group, U16 u16Id)
{
    T_NAV_GROUP_DATA_bAddLink(u16Group, u16Id > LINKABLE_LIMIT ? (U16)NAV_ID_NONE : u16Id);
}

// Steps 3-7 of a mark, once the position is known.
void vStoreMark(const char* sWaypointName, U8 u8Icon, POINT pt, U16 u16Depth, bool bCursor, bool bStayvaneNote)
{
    const S32 nExisting = T_NAV_nFindWaypointAtPosition(pt, FALSE);
    if (nExisting >= 0 && nExisting < (S32)NAV_ID_NONE) {
        L_MUTEX_LockWait(RES_NAV_DATA);
        const std::string name = sName((U32)nExisting);
        T_NAV_vSetNavUINote(&Waypoint_Exists, name.c_str(), TRUE);
        L_MUTEX_Unlock(RES_NAV_DATA);
        vClick(true);
        return;
    }
    WAYPOINT w = {};
    w.u8Status = WP_STATUS_PERMANENT;
    w.bWpNotShared = T_NAV_bIsNotSharedLinkEX(nullptr, T_NAV_GROUP_DATA_nGetDefaultGroup()) ? 1 : 0;
    w.u8Icon = u8Icon;
    w.u16Depth = u16Depth;
    w.u32DateTime = 0;
    w.pt = pt;
    if (sWaypointName != nullptr)
        strncpy(w.sName, sWaypointName, WAYPOINT_NAME_CHARS - 1);
    const S32 nId = T_NAV_nAddWaypoint(&w, FALSE);
    if (nId < 0 || nId >= (S32)NAV_ID_NONE) {
        T_NAV_vSetNavUIError(&No_Waypoints);
        vClick(false);
        return;
    }
    const U16 u16Id = (U16)nId;
    T_NAV_GROUP_vSetWaypointVisible(u16Id);
    vLink(T_NAV_GROUP_DATA_nGetDefaultGroup(), u16Id);
    T_NAV_GROUP_vSetCurrentHighlight(u16Id);
    L_MUTEX_LockWait(RES_NAV_DATA);
    const std::string name = sName(u16Id);
    T_NAV_vSetNavUINote(bStayvaneNote && u8Icon == NAV_STAYVANE_ICON ? &Stayvane_Created : &Waypoint_Created,
                        name.c_str(), TRUE);
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (bCursor)
        T_NAV_vUpdateCursorWaypoint(u16Id);
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
    vClick(true);
}

} // namespace

void T_NAV_vHandleMark(void)
{
    if (T_INFO_bIsMssView()) {
        U32 u32State = CCST_ASSUMED;
        H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr);
        float fHeading = 0.0f;
        BOOLEAN bValid = FALSE;
        const bool bAllowed = u32State == CCST_SIMULATION || u32State == CCST_POINT_OF_SALE
                                  ? bTrue(FCID("SNIM"))
                                  : H_DATABASE_bFetchFloat(FCID("IHDC"), &fHeading, &bValid, nullptr) && bValid;
        if (!bAllowed) {
            vClick(false);
            return;
        }
    }
    T_NAV_TWR_vTemporarilyEnableCLWCUpdateForAllModels(TRUE);
    U32 u32Icon = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("SWDI"), &u32Icon, &bValid, nullptr) || !bValid)
        u32Icon = 0;
    T_NAV_vHandleNamedMarkWithIcon(nullptr, (U8)(u32Icon & 0xFF), nullptr, nullptr);
    T_NAV_TWR_vTemporarilyEnableCLWCUpdateForAllModels(FALSE);
}

void T_NAV_vHandleNamedMark(const char* sWaypointName)
{
    T_NAV_vHandleNamedMarkWithIcon(sWaypointName, 0, nullptr, nullptr);
}

void T_NAV_vHandleNamedMarkWithIcon(const char* sWaypointName, U8 u8Icon, POINT* ptMark, BOOLEAN* bMarkValid)
{
    if (bMarkValid != nullptr)
        *bMarkValid = FALSE;
    POINT pt = {0, 0};
    U16 u16Depth = 0;
    const bool bCursor = bTrue(FCID("ICAC"));
    if (bCursor) {
        if (!bCursorMark(true, &pt, &u16Depth))
            return;
    } else {
        S32 y = 0, x = 0;
        if (!bFetchS32(FCID("ILAT"), &y) || !bFetchS32(FCID("ILON"), &x)) {
            T_NAV_vSetNavUIError(&Fix_Required);
            vClick(false);
            return;
        }
        pt = {x, y};
        u16Depth = u16BoatDepth();
    }
    if (ptMark != nullptr)
        *ptMark = pt;
    if (bMarkValid != nullptr)
        *bMarkValid = TRUE;
    vStoreMark(sWaypointName, u8Icon, pt, u16Depth, bCursor, true);
}

void T_NAV_vHandleNamedMarkWithoutUpdatingPos(const char* sWaypointName, U8 u8Icon, POINT* ptMark,
                                              BOOLEAN* bMarkValid)
{
    if (bMarkValid != nullptr)
        *bMarkValid = FALSE;
    if (ptMark == nullptr) {
        vClick(false);
        return;
    }
    POINT pt = *ptMark;
    U16 u16Depth = 0;
    const bool bCursor = bTrue(FCID("ICAC"));
    if (bCursor) {
        if (!bCursorMark(false, &pt, &u16Depth))
            return;
    } else {
        u16Depth = u16BoatDepth();
    }
    *ptMark = pt;
    if (bMarkValid != nullptr)
        *bMarkValid = TRUE;
    vStoreMark(sWaypointName, u8Icon, pt, u16Depth, bCursor, false);
}

void T_NAV_vCreateMOBName(char* pcName, U32 u32Size)
{
    if (pcName == nullptr || u32Size == 0)
        return;
    const char* pcWord = MOB_Word[nCurrentLanguage()];
    char acName[32] = {};
    snprintf(acName, sizeof acName, "%.3s", pcWord != nullptr ? pcWord : "MOB");
    U32 u32Time = 0;
    BOOLEAN bValid = FALSE;
    if (H_DATABASE_bFetchU32(FCID("IDTM"), &u32Time, &bValid, nullptr) && bValid) {
        S64 s64Local = u32Time;
        S32 s32Zone = 0;
        BOOLEAN bDst = FALSE;
        if (H_DATABASE_bFetchS32(FCID("SLTZ"), &s32Zone, nullptr, nullptr) &&
            H_DATABASE_bFetchBoolean(FCID("SDST"), &bDst, nullptr, nullptr))
            s64Local += 60 * (S64)s32Zone + (bDst ? 3600 : 0);
        const time_t t = (time_t)s64Local;
        struct tm parts = {};
        gmtime_r(&t, &parts);
        snprintf(acName + strlen(acName), sizeof acName - strlen(acName), "%02d%02d%02d%02d", parts.tm_mon + 1,
                 parts.tm_mday, parts.tm_hour, parts.tm_min);
    }
    snprintf(pcName, u32Size, "%.*s", (int)NAV_MOB_NAME_CHARS, acName);
}

void T_NAV_vStartMOB(void)
{
    if (s_u16MOBWaypoint != NAV_NO_MOB_WAYPOINT)
        return;
    const bool bStevrinNav = bTrue(FCID("IPNE"));
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_EDIT_vResetState();
    T_NAV_vEndNavigationNow();
    if (s_clkAutoZoom != nullptr)
        L_TIMER_Start(s_clkAutoZoom, ZOOM_RELEASE_MS, 0, SEMA_NAV_AUTO_ZOOM);
    if (bStevrinNav)
        U_STEVRIN_vStopGoto();

    WAYPOINT w = {};
    w.u8Status = WP_STATUS_MOB;
    w.u8Icon = NAV_MOB_ICON;
    w.u16Depth = u16BoatDepth();
    S32 y = 0, x = 0;
    H_DATABASE_bFetchS32(FCID("ILON"), &x, nullptr, nullptr);
    H_DATABASE_bFetchS32(FCID("ILAT"), &y, nullptr, nullptr);
    w.pt = {x, y};
    char acName[WAYPOINT_NAME_CHARS] = {};
    T_NAV_vCreateMOBName(acName, sizeof acName);
    memcpy(w.sName, acName, WAYPOINT_NAME_CHARS);

    T_NAV_TWR_vTemporarilyEnableCLWCUpdateForAllModels(TRUE);
    const U16 u16Id = T_NAV_u16WaypointAdd(&w, FALSE, FALSE);
    T_NAV_TWR_vTemporarilyEnableCLWCUpdateForAllModels(FALSE);
    if (u16Id == NAV_ID_NONE) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        T_NAV_vSetNavUIError(&No_Waypoints);
        return;
    }
    vLink(T_NAV_GROUP_DATA_nGetRootGroup(), u16Id);
    T_NAV_vActivateUpdateHideStatus();
    // Target, "MOBX"/"MOBY", navigation to it, the chart view and the note.
    T_NAV_vInitiateMOB(u16Id);
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (T_NAV_GROUP_bIsOpen())
        T_NAV_GROUP_vRefreshDirectory();
}
