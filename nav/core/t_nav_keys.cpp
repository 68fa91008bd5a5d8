#include "nav/core/t_nav_keys.h"
#include "nav/core/t_nav_views.h"

#include "nav/core/neighbour_standins.h"
#include "nav/core/newdata_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_goto.h"
#include "nav/core/t_nav_marks.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_mob.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/chart_menu_standins.h"
#include "nav/core/task_standins.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/core/u_nav_stevrin_standin.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/graphics/gr_rotate.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_proximity.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "ui/t_info.h"
#include "util/datum.h"

#include <algorithm>
#include <cmath>
#include <cstring>

S32 s_nSnapCount = 0;
POINT s_ptLastSnap = {0, 0};

namespace {

#define NAV_KEYS_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE MOB_In_Progress = NAV_KEYS_TEXT("MOB navigation is in progress");
TEXT_TABLE No_Saved_Waypoints = NAV_KEYS_TEXT("No Saved Waypoints Available");
TEXT_TABLE Rumbrels_Not_Followed = NAV_KEYS_TEXT("Stevrin Navigation is off. Rumbrels cannot be followed.");
TEXT_TABLE Select_Point = NAV_KEYS_TEXT("Select Point to Go To");
TEXT_TABLE Go_To_Title = NAV_KEYS_TEXT("Go To");
TEXT_TABLE GoTo_Position = NAV_KEYS_TEXT("GoTo Position");
TEXT_TABLE Navigate_To_Start = NAV_KEYS_TEXT("Navigate to Start");
TEXT_TABLE Navigate_To_End = NAV_KEYS_TEXT("Navigate to End");

constexpr MENU_PRIORITY MENU_RUMBREL_NAV_TO_STOP = (MENU_PRIORITY)604;
constexpr S32 NOTE_MOB_SECONDS = 2;
constexpr S32 NOTE_STEVRIN_SECONDS = 3;
constexpr S32 FTC_MAX_POINTS = 60;
constexpr float FTC_SPACING = 8.0f;
constexpr U32 ZOOM_NO_TIME = 0;
constexpr S64 ONE_PIXEL_SCALE = (S64)1 << 20; // "ICPM" of one pixel per metre

void vClick(bool bGood) { L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD); }
void vFrame(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

bool bFetchS32(FOURCHARID key, S32* p)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchS32(key, p, &bValid, nullptr) && bValid;
}

bool bFetchFloat(FOURCHARID key, float* p)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(key, p, &bValid, nullptr) && bValid;
}

bool bTrue(FOURCHARID key)
{
    BOOLEAN b = FALSE, bValid = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, &bValid, nullptr) && bValid && b;
}

bool bBoat(POINT* p)
{
    S32 y = 0, x = 0;
    if (!bFetchS32(FCID("ILAT"), &y) || !bFetchS32(FCID("ILON"), &x))
        return false;
    *p = {x, y};
    return true;
}

// x into +-20038300; TRUE when y had to be clamped.
bool bKeepOnTheWorld(POINT* p)
{
    for (int i = 0; i < 2 && p->x > NAV_CURSOR_MAX_X; ++i)
        p->x -= NAV_CURSOR_WORLD_X;
    for (int i = 0; i < 2 && p->x < -NAV_CURSOR_MAX_X; ++i)
        p->x += NAV_CURSOR_WORLD_X;
    const S32 y = std::clamp<S32>(p->y, -NAV_CURSOR_MAX_Y, NAV_CURSOR_MAX_Y);
    const bool bClamped = y != p->y;
    p->y = y;
    return bClamped;
}

void vPublishCursor(const POINT& cursor)
{
    H_DATABASE_bUpdateEverythingS32(FCID("ICLT"), cursor.y, P_NORMAL, D_POSITION_LAT_MM, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("ICLN"), cursor.x, P_NORMAL, D_POSITION_LON_MM, nullptr, DB_TIMEOUT_NEVER);
    POSITION pos = {};
    nv_MeterToDegr(&cursor, &pos);
    double dLat = pos.lat, dLon = pos.lon;
    U32 u32Datum = 0;
    if (H_DATABASE_bFetchU32(FCID("SDTM"), &u32Datum, nullptr, nullptr)) {
        double dLatDatum = dLat, dLonDatum = dLon;
        if (WGS84_2_Datum(pos.lat, pos.lon, &dLatDatum, &dLonDatum, (DATUM_PLANE)u32Datum)) {
            dLat = dLatDatum;
            dLon = dLonDatum;
        }
    }
    H_DATABASE_bUpdateEverythingFloat(FCID("ICTD"), (float)dLat, P_NORMAL, D_POSITION_LAT, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingFloat(FCID("ICND"), (float)dLon, P_NORMAL, D_POSITION_LON, nullptr, DB_TIMEOUT_NEVER);
    POINT boat = {0, 0};
    if (bBoat(&boat))
        T_NAV_vUpdateCursorDistAndBearing(&boat, &cursor);
}

void vPublishHeading(float fHeading)
{
    H_DATABASE_bUpdateEverythingFloat(FCID("ICHD"), fHeading, P_NORMAL, D_HEADING, nullptr, DB_TIMEOUT_NEVER);
}

bool bCursorActive(void) { return bTrue(FCID("ICAC")); }

// ---- Perspective panes ----

void vPerspectiveCursor(CURSOR_POSITION c, U32 u32Count, const POINT& boat, float fBoatHeading)
{
    POINT cursor = boat;
    float fHeading = fBoatHeading;
    S32 y = 0, x = 0;
    float h = 0.0f;
    if (bCursorActive() && bFetchS32(FCID("ICLT"), &y) && bFetchS32(FCID("ICLN"), &x) &&
        bFetchFloat(FCID("ICHD"), &h)) {
        cursor = {x, y};
        fHeading = h;
    }
    S32 nScale = 0;
    if (!bFetchS32(FCID("IBPM"), &nScale) || nScale <= 0)
        nScale = 1;
    const S64 k = std::clamp<S64>(0x800000 / nScale, 1, 32767);
    S32 nDegrees = ((S32)std::lround(fHeading) % 360 + 360) % 360;
    bool bChanged = false;
    const S64 dx = (k * U_NAV_nIntSin(nDegrees) + 0x8000) >> 16;
    const S64 dy = (k * U_NAV_nIntCos(nDegrees) + 0x8000) >> 16;
    if (c == CURSOR_NORTH || c == CURSOR_NORTH_EAST || c == CURSOR_NORTH_WEST) {
        cursor.x += (S32)dx;
        cursor.y += (S32)dy;
        bChanged = true;
    } else if (c == CURSOR_SOUTH_EAST || c == CURSOR_SOUTH || c == CURSOR_SOUTH_WEST) {
        cursor.x -= (S32)dx;
        cursor.y -= (S32)dy;
        bChanged = true;
    }
    if (c == CURSOR_NORTH_EAST || c == CURSOR_EAST || c == CURSOR_SOUTH_EAST) {
        nDegrees = (nDegrees + 3) % 360;
        bChanged = true;
    } else if (c == CURSOR_SOUTH_WEST || c == CURSOR_WEST || c == CURSOR_NORTH_WEST) {
        nDegrees = (nDegrees + 357) % 360;
        bChanged = true;
    }
    if (!bChanged)
        return;
    bKeepOnTheWorld(&cursor);
    T_NAV_vMakeCursorActive();
    vPublishCursor(cursor);
    vPublishHeading((float)nDegrees);
    vFrame();
    if (u32Count == 1)
        vClick(true);
}

// ---- Chart panes ----

S32 nDirection(CURSOR_POSITION c)
{
    return c >= CURSOR_NORTH && c <= CURSOR_NORTH_WEST ? ((S32)c - 1) * 45 : 0;
}

POINT ptStep(CURSOR_POSITION c, S32 s)
{
    switch (c) {
    case CURSOR_NORTH:
        return {0, s};
    case CURSOR_NORTH_EAST:
        return {s, s};
    case CURSOR_EAST:
        return {s, 0};
    case CURSOR_SOUTH_EAST:
        return {s, -s};
    case CURSOR_SOUTH:
        return {0, -s};
    case CURSOR_SOUTH_WEST:
        return {-s, -s};
    case CURSOR_WEST:
        return {-s, 0};
    case CURSOR_NORTH_WEST:
        return {-s, s};
    default:
        return {0, 0};
    }
}

double dPixelsBetween(const POINT& a, const POINT& b, S32 nScale)
{
    return (double)nScale / (double)ONE_PIXEL_SCALE * T_NAV_fDistanceBetweenPoints(&a, &b);
}

bool bWaypointPosition(S32 id, POINT* p)
{
    if (id < 0 || id >= (S32)NAV_ID_NONE)
        return false;
    return T_NAV_bWaypointPosition((U32)id, p) != FALSE;
}

void vChartCursor(CURSOR_POSITION c, U32 u32Count, const POINT& boat)
{
    S32 nScale = 0;
    if (!bFetchS32(FCID("ICPM"), &nScale) || nScale <= 0) {
        vClick(false);
        return;
    }
    if (c == CURSOR_ILLEGAL)
        return;
    POINT cursor = boat;
    float fPicture = 0.0f;
    S32 y = 0, x = 0;
    if (bCursorActive() && bFetchS32(FCID("ICLT"), &y) && bFetchS32(FCID("ICLN"), &x) &&
        bFetchFloat(FCID("ICHD"), &fPicture)) {
        cursor = {x, y};
    } else {
        fPicture = 0.0f;
        H_DATABASE_bFetchFloat(FCID("ICHH"), &fPicture, nullptr, nullptr);
        T_NAV_vMakeCursorActive();
        vPublishHeading(fPicture);
    }

    // Snap hold.
    S32 nCount = 1;
    if (u32Count <= 1) {
        s_nSnapCount = 0;
    } else {
        nCount = (S32)u32Count - s_nSnapCount;
        U32 u32Snapped = NAV_ID_NONE;
        const bool bOnWaypoint = H_DATABASE_bFetchU32(FCID("ICWP"), &u32Snapped, nullptr, nullptr) &&
                                 u32Snapped < NAV_ID_NONE;
        if (s_nSnapCount != 0 && bOnWaypoint) {
            if (nCount <= NAV_SNAP_HOLD_REPEATS)
                return;
            s_nSnapCount = (S32)u32Count - 1;
            nCount = 1;
        }
    }

    // Search ahead.
    U32 u32Orientation = 0;
    H_DATABASE_bFetchU32(FCID("SCOR"), &u32Orientation, nullptr, nullptr);
    U16 u16Direction = (U16)nDirection(c);
    const S32 nPictureDegrees = ((S32)std::lround(fPicture) % 360 + 360) % 360;
    if (u32Orientation != 0)
        u16Direction = U_NAV_nHeadingSum(u16Direction, (S16)nPictureDegrees);
    const S32 nWidth = std::max<S32>(5, 0xA00000 / nScale);
    const S32 nLength = nWidth + nCount / nScale;
    POINT ptTrackEnd = {0, 0};
    const U16 u16Track = T_NAV_nFindNearbyRumbrelStartEnd(cursor, nWidth, nLength, u16Direction, &ptTrackEnd);
    const S32 nWaypoint = u16Track == NAV_ID_NONE ? T_NAV_nFindNearbyWaypoint(cursor, nWidth, nLength, u16Direction)
                                                  : (S32)NAV_ID_NONE;
    const U16 u16Waypoint = nWaypoint >= 0 && nWaypoint < (S32)NAV_ID_NONE ? (U16)nWaypoint : (U16)NAV_ID_NONE;
    POINT ptWaypoint = {0, 0};
    const bool bWaypoint = bWaypointPosition(u16Waypoint, &ptWaypoint);

    bool bSnapped = false;
    if (s_nSnapCount == 0) {
        T_NAV_vUpdateCursorWaypoint(u16Waypoint);
        T_NAV_vUpdateCursorRumbrel(u16Track);
        if (u16Track != NAV_ID_NONE || bWaypoint) {
            cursor = u16Track != NAV_ID_NONE ? ptTrackEnd : ptWaypoint;
            s_nSnapCount += nCount;
            s_ptLastSnap = cursor;
            bSnapped = true;
        }
    } else {
        const bool bTrackCounts =
            u16Track != NAV_ID_NONE && dPixelsBetween(ptTrackEnd, s_ptLastSnap, nScale) > NAV_SNAP_MIN_PIXELS;
        const bool bWaypointCounts =
            bWaypoint && dPixelsBetween(ptWaypoint, s_ptLastSnap, nScale) > NAV_SNAP_MIN_PIXELS;
        if (bTrackCounts) {
            T_NAV_vUpdateCursorWaypoint(u16Waypoint);
            T_NAV_vUpdateCursorRumbrel(u16Track);
            cursor = ptTrackEnd;
        } else {
            T_NAV_vUpdateCursorWaypoint(bWaypointCounts ? u16Waypoint : (U16)NAV_ID_NONE);
            T_NAV_vUpdateCursorRumbrel(NAV_ID_NONE);
            if (bWaypointCounts)
                cursor = ptWaypoint;
        }
        if (bTrackCounts || bWaypointCounts) {
            s_nSnapCount += nCount;
            s_ptLastSnap = cursor;
            bSnapped = true;
        }
    }

    bool bClamped = false;
    if (!bSnapped) {
        S32 s = nCount == 1 ? 1 : 2 * nCount - 1;
        if (nScale > ONE_PIXEL_SCALE)
            s = std::max<S32>(s, (S32)((nScale + ONE_PIXEL_SCALE - 1) / ONE_PIXEL_SCALE));
        POINT step = ptStep(c, s);
        S64 dx = (S64)step.x * 1024, dy = (S64)step.y * 1024;
        if (u32Orientation != 0) {
            GP_ROTCONTEXT rot;
            gr_ResetRotationContext(&rot);
            gr_SetRotationAngle(&rot, (DOUBLE)nPictureDegrees);
            SINT rx = 0, ry = 0;
            gr_PutStraightPoint(&rot, (SINT)dx, (SINT)dy, &rx, &ry);
            dx = rx;
            dy = ry;
        }
        const S64 mx = dx * 1024 / nScale, my = dy * 1024 / nScale;
        cursor.x = (S32)std::clamp<S64>((S64)cursor.x + mx, INT32_MIN / 2, INT32_MAX / 2);
        cursor.y = (S32)std::clamp<S64>((S64)cursor.y + my, INT32_MIN / 2, INT32_MAX / 2);
    }
    bClamped = bKeepOnTheWorld(&cursor);
    vPublishCursor(cursor);
    vFrame();
    if (bClamped)
        vClick(false);
    else if (nCount == 1)
        vClick(true);
}

// ---- Zoom ----

void vZoom(bool bIn, KEY_STATE state)
{
    if (state == KEY_DOWN) {
        s_u32ZoomKeyDownTime = std::max<U32>(1, H_TICK_u32ReadFreeRunningTimerInMilliSeconds());
        T_CHART_vChartDeclutterHandleZoom();
        return;
    }
    H_DATABASE_bUpdateValueBoolean(FCID("KZHD"), FALSE, P_NORMAL);
    if (s_u32ZoomKeyDownTime == ZOOM_NO_TIME) {
        T_CHART_vChartDeclutterHandleZoom();
        return;
    }
    const LAYER_ID view = T_NAV_eShownView();
    const SPLIT_WINDOW_TYPE split = T_NAV_eShownSplit();
    FOURCHARID key = FCID("SNCS");
    if (T_NAV_bIsPerspectiveCursorPane(view, split))
        key = FCID("SNBS");
    else if ((view == CHART_PLUS_CHART_VIEW_PRIORITY || view == SONAR_PPI_PLUS_CHART_VIEW_PRIORITY) &&
             split == SPLIT_LEFT_WINDOW)
        key = FCID("SNCL");
    S32 nRange = 0;
    bool bStepped = false;
    if (H_DATABASE_bFetchS32(key, &nRange, nullptr, nullptr)) {
        if (bIn) {
            const S32 nMin = U_CHART_GENERIC_bIsChartCardOpen() ? NAV_RANGE_MIN_WITH_CARD : NAV_RANGE_MIN;
            if (nRange > nMin) {
                H_DATABASE_bUpdateValueS32(key, nRange - 1, P_NORMAL);
                if (key == FCID("SNCS")) {
                    H_DATABASE_bUpdateValueS32(FCID("KZMC"), 1, P_NORMAL);
                    H_DATABASE_bUpdateValueFloat(FCID("KSMC"), 0.0f, P_NORMAL);
                    H_DATABASE_bUpdateValueS32(FCID("KTMC"), 0, P_NORMAL);
                } else if (key == FCID("SNCL")) {
                    H_DATABASE_bUpdateValueS32(FCID("KZLC"), 1, P_NORMAL);
                    H_DATABASE_bUpdateValueFloat(FCID("KSLC"), 0.0f, P_NORMAL);
                    H_DATABASE_bUpdateValueS32(FCID("KTLC"), 0, P_NORMAL);
                }
                bStepped = true;
            }
        } else if (nRange < NAV_RANGE_MAX) {
            H_DATABASE_bUpdateValueS32(key, nRange + 1, P_NORMAL);
            bStepped = true;
        }
    }
    if (bStepped) {
        if (T_INFO_bFCIDNonZero(FCID("INIP")))
            H_DATABASE_bUpdateValueBoolean(FCID("IARO"), TRUE, P_NORMAL);
        vClick(true);
    } else {
        vClick(false);
    }
    s_u32ZoomKeyDownTime = ZOOM_NO_TIME;
    T_CHART_vChartDeclutterHandleZoom();
}

// ---- Go to ----

void vOpenRumbrelMenu(U16 u16Track)
{
    T_NAV_vUpdateCursorRumbrel(u16Track);
    char acName[RUMBREL_NAME_CHARS + 1] = {};
    RUMBREL* pRumbrel = T_NAV_pGetRumbrel(u16Track & 0x3F);
    if (pRumbrel != nullptr)
        memcpy(acName, pRumbrel->sName, RUMBREL_NAME_CHARS);
    U_MENU_bRegisterFloatingMenu(&Navigate_Rumbrel, T_NAV_vHandleGoTo_GoToCursorPosition, nullptr, TRUE, acName);
    U_MENU_bRegisterFloatingMenuActionExtItem(&Navigate_Rumbrel, &Navigate_To_Start, nullptr, FALSE, FALSE,
                                              MENU_RUMBREL_NAV_TO_START, T_NAV_vGoToCursorRumbrel_NavToStart, FALSE,
                                              M_BASIC);
    U_MENU_bRegisterFloatingMenuActionExtItem(&Navigate_Rumbrel, &Navigate_To_End, nullptr, FALSE, FALSE,
                                              MENU_RUMBREL_NAV_TO_STOP, T_NAV_vGoToCursorRumbrel_NavToEnd, FALSE,
                                              M_BASIC);
    U_MENU_bRegisterFloatingMenuActionExtItem(&Navigate_Rumbrel, &GoTo_Position, nullptr, FALSE, FALSE,
                                              MENU_FOLLOW_CONTOUR, T_NAV_vHandleGoTo_GoToCursorPosition, FALSE,
                                              M_BASIC);
    U_MENU_ActivateFloatingMenu(&Navigate_Rumbrel);
}

// Step 11: a contour under the cursor, else the cursor position.
void vGoToContourOrPosition(LAYER_ID view, SPLIT_WINDOW_TYPE split, const POINT& cursor, bool bStevrinNav)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    bool bContour = false;
    if (!T_NAV_bIsSonarCursorView(view, split) && bTrue(FCID("SCCL")) && bStevrinNav) {
        if (s_pContourAddr != nullptr) {
            DORRIMStevrinClear(s_pContourAddr);
            s_pContourAddr = nullptr;
        }
        vClick(true);
        char aacPaths[8][9] = {};
        const S32 nPaths = T_CHART_nGetFTCPaths(aacPaths, 8);
        S32 nOffsetX = 0, nOffsetY = 0;
        if (!bFetchS32(FCID("SCON"), &nOffsetX))
            nOffsetX = 0;
        if (!bFetchS32(FCID("SCOT"), &nOffsetY))
            nOffsetY = 0;
        for (S32 i = 0; i < nPaths && s_pContourAddr == nullptr; ++i) {
            T_CHART_vSetStevrinPath(aacPaths[i]);
            if (!IsFTCCompatible())
                continue;
            const POINT at = {cursor.x + nOffsetX, cursor.y + nOffsetY};
            POSITION pos = {};
            nv_MeterToDegr(&at, &pos);
            S32 anUserPicked[2] = {};
            U_CHART_GENERIC_vDORRIMStevrinInit(&s_pContourAddr, pos.lat, pos.lon, FTC_MAX_POINTS, FTC_SPACING,
                                               s_achPickText, &s_nPickDepthActual, s_anAzimuthFromStart,
                                               s_anDeeperFlag, anUserPicked);
            if (s_pContourAddr != nullptr)
                memcpy(sMapfoldStevrinPath, aacPaths[i], sizeof sMapfoldStevrinPath);
        }
        if (s_pContourAddr != nullptr) {
            s_bInGoToContourMenu = TRUE;
            U_MENU_bRegisterFloatingMenu(&Go_To_Title, T_NAV_vHandleGoTo_GoToCursorPosition, T_NAV_vClearContour,
                                         FALSE, nullptr);
            U_MENU_bRegisterFloatingMenuActionExtItem(&Go_To_Title, &Follow_the_Contour, nullptr, FALSE, FALSE,
                                                      MENU_FOLLOW_CONTOUR, T_NAV_vHandleGoTo_ShowFollowContour,
                                                      FALSE, M_BASIC);
            U_MENU_bRegisterFloatingMenuActionExtItem(&Go_To_Title, &GoTo_Position, nullptr, FALSE, FALSE,
                                                      MENU_FOLLOW_CONTOUR, T_NAV_vHandleGoTo_GoToCursorPosition,
                                                      FALSE, M_BASIC);
            U_MENU_ActivateFloatingMenu(&Go_To_Title);
            bContour = true;
        }
    }
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    if (!bContour)
        T_NAV_vHandleGoTo_Waypoint(NAV_ID_NONE, TRUE);
}

void vGoToWaypointUnderCursor(U32 u32Waypoint, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    S32 anSlots[NAV_ROUTES_USING_WAYPOINT] = {-1, -1, -1, -1, -1};
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_vGetRoutesUsingWaypoint(u32Waypoint, anSlots);
    L_MUTEX_Unlock(RES_NAV_DATA);
    U32 u32Routes = 0;
    T_NAV_vUnregister_Routes_Under_Cursor_Menu(view, split, -1);
    for (S32 s = 0; s < (S32)NAV_ROUTES_USING_WAYPOINT; ++s)
        if (anSlots[s] >= 0)
            T_NAV_vRegister_Routes_Under_Cursor_Menu(view, split, (S32)u32Routes++, (U32)anSlots[s]);
    if (u32Routes == 0) {
        T_NAV_vHandleGoTo_Waypoint(u32Waypoint, TRUE);
        return;
    }
    S32 s32Travelled = -1;
    H_DATABASE_bFetchS32(FCID("CCRT"), &s32Travelled, nullptr, nullptr);
    S32 s32TravelledSlot = -1;
    for (S32 s = 0; s < (S32)u32Routes && s32Travelled >= 0; ++s)
        if (s_aRoutesUnderCursor[s] == s32Travelled)
            s32TravelledSlot = s;
    T_NAV_vActivateGoToMenu(u32Routes, s32TravelledSlot);
    vClick(true);
}

} // namespace

// ---- Cursor activation ----

void T_NAV_vMakeCursorActive(void)
{
    if (bCursorActive())
        return;
    H_DATABASE_bUpdateEverythingBoolean(FCID("ICAC"), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, KEY_EXIT, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY, REGISTER_VIEW);
}

void T_NAV_vMakeCursorInactive(void)
{
    H_DATABASE_bUpdateEverythingBoolean(FCID("ICAC"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    U_KEYBOARD_bUnregisterKeys(NAV_MAILBOX, KEY_EXIT);
    T_NAV_vUpdateCursorWaypoint(NAV_ID_NONE);
    T_NAV_vUpdateCursorRumbrel(NAV_ID_NONE);
}

// ---- Panes ----

BOOLEAN T_NAV_bIsPerspectiveCursorPane(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return view == BIRDS_EYE_VIEW_PRIORITY ||
                   (view == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY && split == SPLIT_LEFT_WINDOW)
               ? TRUE
               : FALSE;
}

BOOLEAN T_NAV_bIsCursorPane(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return T_NAV_bIsMyChartCursorView(view, split) || T_NAV_bIsPerspectiveCursorPane(view, split) ? TRUE : FALSE;
}

// ---- Keys ----

void T_NAV_vHandleCursor(CURSOR_POSITION eCursor, U32 u32Count)
{
    const LAYER_ID view = T_NAV_eShownView();
    const SPLIT_WINDOW_TYPE split = T_NAV_eShownSplit();
    POINT boat = {0, 0};
    float fHeading = 0.0f;
    if (!T_NAV_bIsCursorPane(view, split) || !bBoat(&boat) ||
        !H_DATABASE_bFetchFloat(FCID("IHDG"), &fHeading, nullptr, nullptr)) {
        vClick(false);
        return;
    }
    float fSensor = 0.0f;
    if (bFetchFloat(FCID("IHDC"), &fSensor))
        fHeading = fSensor;
    if (T_NAV_bIsPerspectiveCursorPane(view, split))
        vPerspectiveCursor(eCursor, u32Count, boat, fHeading);
    else
        vChartCursor(eCursor, u32Count, boat);
}

void T_NAV_vHandleZoomIn(KEY_STATE state) { vZoom(true, state); }

void T_NAV_vHandleZoomOut(KEY_STATE state) { vZoom(false, state); }

void T_NAV_vHandleGoTo(void)
{
    const bool bStevrinNav = bTrue(FCID("IPNE"));
    const bool bStevrinFlag = bTrue(FCID("IPUF"));
    if (T_INFO_bIsMssView()) {
        vClick(false);
        return;
    }
    if (s_u16MOBWaypoint != NAV_NO_MOB_WAYPOINT) {
        T_NAV_vSetNavUINoteWithTimeout(&MOB_In_Progress, nullptr, NOTE_MOB_SECONDS, FALSE);
        vClick(false);
        return;
    }
    POINT boat = {0, 0};
    if (!bBoat(&boat)) {
        T_NAV_vSetNavUIError(&Fix_Required);
        vClick(false);
        return;
    }
    const LAYER_ID view = T_NAV_eShownView();
    const SPLIT_WINDOW_TYPE split = T_NAV_eShownSplit();
    s_bSonarCursorView = T_NAV_bIsSonarCursorView(view, split);
    const bool bCursorPane =
        T_NAV_bIsMyChartCursorView(view, split) || s_bSonarCursorView || T_RADAR_bIsMyRadarView(view, split);
    if (!bCursorPane || !bCursorActive()) {
        if (T_NAV_bWaypointsExist() || (U_NAV_STEVRIN_bIsStevrinConnectedBefore() && T_NAV_TWR_bRumbrelExist())) {
            T_NAV_EDIT_bSelectTWRPointSetup(T_NAV_vGoToPoint, nullptr, Select_Point[0], 1, 1);
            vClick(true);
        } else {
            T_NAV_vSetNavUIError(&No_Saved_Waypoints);
            vClick(false);
        }
        return;
    }
    S32 y = 0, x = 0;
    if (!H_DATABASE_bFetchS32(FCID("ICLT"), &y, nullptr, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ICLN"), &x, nullptr, nullptr)) {
        vClick(false);
        return;
    }
    const POINT cursor = {x, y};
    U32 u32Waypoint = NAV_ID_NONE;
    U32 u32Track = NAV_ID_NONE;
    if (!s_bSonarCursorView) {
        if (bStevrinFlag)
            u32Track = T_NAV_nNearByCursorRumbrel();
        if (!H_DATABASE_bFetchU32(FCID("ICWP"), &u32Waypoint, nullptr, nullptr))
            u32Waypoint = NAV_ID_NONE;
    }
    if (bStevrinNav) {
        if (u32Track != NAV_ID_NONE && u32Waypoint == NAV_ID_NONE) {
            if (!U_NAV_STEVRIN_bIsRumbrelCloseForStevrinNav(u32Track)) {
                T_NAV_vSetNavUINoteWithTimeout(&Far_for_Stevrin_Navigation, nullptr, NOTE_STEVRIN_SECONDS, FALSE);
                vClick(false);
                return;
            }
        } else if (!T_INFO_bFCIDNonZero(FCID("INIP")) && !U_NAV_STEVRIN_bIsCursorPointCloseForStevrinNav()) {
            T_NAV_vSetNavUINoteWithTimeout(&Far_for_Stevrin_Navigation, nullptr, NOTE_STEVRIN_SECONDS, FALSE);
            vClick(false);
            return;
        }
    } else if (u32Track != NAV_ID_NONE && bStevrinFlag) {
        T_NAV_vSetNavUINoteWithTimeout(&Rumbrels_Not_Followed, nullptr, NOTE_STEVRIN_SECONDS, FALSE);
        vClick(false);
        return;
    }
    if (u32Waypoint != NAV_ID_NONE) {
        vGoToWaypointUnderCursor(u32Waypoint, view, split);
    } else if (u32Track != NAV_ID_NONE) {
        vClick(true);
        vOpenRumbrelMenu((U16)u32Track);
    } else {
        vGoToContourOrPosition(view, split, cursor, bStevrinNav);
    }
    vFrame();
}

void T_NAV_vHandleKeys(MSG_KEY_CHANGE* pMsg)
{
    if (pMsg == nullptr)
        return;
    if (s_bTrackingMemoryWarningDisplayed) {
        T_NAV_bCloseTrackMemoryWarning();
        return;
    }
    if (T_NAV_CONF_bHandleKeys(pMsg) || T_NAV_GROUP_bHandleKeys(pMsg) || T_NAV_EDIT_bHandleKeys(pMsg) ||
        T_NAV_INFO_bHandleKeys(pMsg))
        return;
    if (s_bSnapshotPreviewImage) {
        const bool bExit = pMsg->key == KEY_EXIT;
        if (bExit)
            T_NAV_vUnRegisterSnapshotPreviewLayer();
        vClick(bExit);
        return;
    }
    switch (pMsg->key) {
    case KEY_EXIT:
        if (bCursorActive()) {
            T_NAV_vMakeCursorInactive();
            vClick(true);
        } else {
            vClick(false);
        }
        break;
    case KEY_CURSOR:
        T_NAV_vHandleCursor(pMsg->cursor, pMsg->count);
        break;
    case KEY_ZOOM_IN:
        T_NAV_vHandleZoomIn(pMsg->state);
        break;
    case KEY_ZOOM_OUT:
        T_NAV_vHandleZoomOut(pMsg->state);
        break;
    case KEY_MARK: {
        s_bOnMarkedWaypoint = TRUE;
        U32 u32Choose = 0;
        if (H_DATABASE_bFetchU32(FCID("STOS"), &u32Choose, nullptr, nullptr) && u32Choose == 1)
            T_NAV_GROUP_vSelectWaypointIconForMark();
        else
            T_NAV_vHandleMark();
        break;
    }
    case KEY_GOTO:
        T_NAV_vHandleGoTo();
        break;
    case KEY_INFO:
        if (s_pSnapshotThumbnailPreview != nullptr) {
            T_NAV_vActivateWaypointInfoMenu();
            vClick(true);
        } else {
            T_NAV_vHandleInfo();
        }
        break;
    default:
        vClick(false);
        break;
    }
}
