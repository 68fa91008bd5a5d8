// The sonar cursor of the scrolling panes (see the header). The 360 picture
// has its own cursor with a radius limit; it is not handled here.
#include "sonar/history/t_n_history_cursor.h"

#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/screens/t_n_history_frame.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/graphics/gr_rotate.h"
#include "kernel/error.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "ui/t_info_bar.h"
#include "ui/u_view.h"
#include "util/datum.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace t_n_history {
POINT s_CurrentCursorPosition = {0, 0};
U32 s_u32CursorWaypoint = NO_CURSOR_WAYPOINT;
POINT s_pt360CursorOffset = {0, 0};
std::atomic<float> s_fPPIPixelsPerMM{0.0f};
} // namespace t_n_history

using namespace t_n_history;

namespace {

constexpr const char* SOURCE = "t_n_history_cursor";

constexpr U32 MAX_STEP = 200;
constexpr U32 STATE_SIMULATION = 4;
constexpr U32 STATE_POINT_OF_SALE = 6;
constexpr S32 MERCATOR_HALF_WORLD = 20038300; // Mercator metres east or west of Greenwich
constexpr S32 MERCATOR_WORLD = 40076600;
constexpr U32 U32_FLANKVIEW_ZOOM_KEYS = KEY_ZOOM_IN | KEY_ZOOM_OUT;

std::atomic<const SONAR_CURSOR_NAV_CALLS*> s_pNavCalls{nullptr};

[[noreturn]] void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE, u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

S32 s32IntSin(S32 deg)
{
    const SONAR_CURSOR_NAV_CALLS* p = s_pNavCalls.load();
    if (p != nullptr && p->pfnIntSin != nullptr)
        return p->pfnIntSin(deg);
    return (S32)std::lround(std::sin(deg * M_PI / 180.0) * 65536.0);
}

S32 s32IntCos(S32 deg)
{
    const SONAR_CURSOR_NAV_CALLS* p = s_pNavCalls.load();
    if (p != nullptr && p->pfnIntCos != nullptr)
        return p->pfnIntCos(deg);
    return (S32)std::lround(std::cos(deg * M_PI / 180.0) * 65536.0);
}

// Mercator metres per 1024 true metres around Mercator y.
U32 u32ScalingMMPerKm(S32 y)
{
    const SONAR_CURSOR_NAV_CALLS* p = s_pNavCalls.load();
    if (p != nullptr && p->pfnScalingMMPerKm != nullptr)
        return p->pfnScalingMMPerKm(y);
    constexpr double EARTH_RADIUS = 6378137.0;
    const double lat = 2.0 * std::atan(std::exp(y / EARTH_RADIUS)) - M_PI / 2.0;
    return (U32)std::lround(std::min(1024.0 / std::cos(lat), 65535.0));
}

LAYER_ID eView(void) { return U_VIEW_eCurrentView(); }
SPLIT_WINDOW_TYPE eSplit(void) { return U_VIEW_eCurrentSplit(); }

bool bIn(LAYER_ID v, std::initializer_list<LAYER_ID> views)
{
    return std::find(views.begin(), views.end(), v) != views.end();
}

bool bFlankviewPane(void)
{
    const LAYER_ID v = eView();
    const SPLIT_WINDOW_TYPE s = eSplit();
    return v == VIEW_SIDEVIEW || (v == VIEW_CHART_PLUS_FLANKVIEW && s == SPLIT_LEFT_WINDOW) ||
           (bIn(v, {VIEW_KEELVIEW_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, VIEW_FLANKVIEW_PLUS_2D}) &&
            s == SPLIT_RIGHT_WINDOW);
}

bool bKeelviewPane(void)
{
    const LAYER_ID v = eView();
    const SPLIT_WINDOW_TYPE s = eSplit();
    return v == VIEW_KEELVIEW ||
           (bIn(v, {VIEW_CHART_PLUS_KEELVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D}) &&
            s == SPLIT_LEFT_WINDOW) ||
           (v == VIEW_KEELVIEW_PLUS_2D && s == SPLIT_RIGHT_WINDOW);
}

// The side-looking panes scroll downwards.
bool bVerticalPane(void) { return bFlankviewPane(); }

void vClick(const MSG_KEY_CHANGE* pMsg)
{
    if (pMsg->count == 1)
        L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

// The store of a window's beam: beams 0-3 their own; Keelview (5) beam 3's
// with the single-element side transducer, else beam 2's; a blend the first
// of beams 0-3 blending into it that has one.
FULL_SCREEN_TSU* pStoreOfBeam(BEAM beam)
{
    if (beam < SONAR_STORED_BEAMS)
        return s_sBeamInfo[beam].pTSUStore;
    if (beam == 5)
        return s_sBeamInfo[s_db_TransducerSelectArray[1].load() == 15 ? 3 : 2].pTSUStore;
    for (BEAM b = 0; b < SONAR_STORED_BEAMS; ++b)
        if (s_sBeamInfo[b].beamBlend == beam && s_sBeamInfo[b].pTSUStore != nullptr)
            return s_sBeamInfo[b].pTSUStore;
    return nullptr;
}

// The ring index of the column d pings back from the newest.
U32 u32ColumnBack(U32 u32NextFree, S32 d)
{
    S32 index = (S32)u32NextFree - 1 - d;
    if ((S32)u32NextFree - d <= 0)
        index += (S32)TSU_STORE_COLUMNS;
    return (U32)std::clamp<S32>(index, 0, (S32)TSU_STORE_COLUMNS - 1);
}

// What the mappings read of the windows, copied under mutex 28: the view
// task lays the windows out again under it.
struct WINDOWS_READ {
    BEAM Beam0;
    float fLower[SONAR_WINDOWS];
    float fUpper[SONAR_WINDOWS];
    BOOLEAN bBottomLockZoom;
};

WINDOWS_READ tReadWindows(void)
{
    WINDOWS_READ w{};
    L_MUTEX_LockWait(RES_S_INFO);
    w.Beam0 = SonarViewInfo.Window[0].Beam;
    for (U32 n = 0; n < SONAR_WINDOWS; ++n) {
        w.fLower[n] = SonarViewInfo.Window[n].fLowerDisplayedMetres;
        w.fUpper[n] = SonarViewInfo.Window[n].fUpperDisplayedMetres;
    }
    w.bBottomLockZoom = SonarViewInfo.bBottomLockZoom;
    L_MUTEX_Unlock(RES_S_INFO);
    return w;
}

// The readouts format these by their type, which the first write sets.
void vPublishFloat(FOURCHARID fcid, float fValue, DATA_TYPE eType)
{
    H_DATABASE_bUpdateEverythingFloat(fcid, fValue, P_NORMAL, eType, nullptr, DB_TIMEOUT_NEVER);
}

void vPublishPixel(void)
{
    H_DATABASE_bUpdateValueS32(FCID("ICPX"), s_CurrentCursorPosition.x, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ICPY"), s_CurrentCursorPosition.y, P_NORMAL);
}

void vMapAndPublish(void)
{
    if (bVerticalPane())
        vUpdateSonarCursorPositionVerticalScroll();
    else
        vUpdateSonarCursorPositionHorizScroll((U32)CursorWindow.s32ClipRight.load());
}

void vTakeZoomKeys(void)
{
    if (!s_bZoomKeysRegistered && !s_bFvZoomKeysRegistered && !s_bKVZoomKeysRegistered)
        U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, U32_FLANKVIEW_ZOOM_KEYS, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                                 REGISTER_VIEW);
}

void vActivate(const MSG_KEY_CHANGE* pMsg)
{
    const WINDOW_LOCATION w = CursorWindow.tGet();
    s_CurrentCursorPosition.x = (w.s32ClipLeft + w.s32ClipRight) / 2;
    s_CurrentCursorPosition.y = (w.s32ClipTop + w.s32ClipBottom) / 2;
    vMapAndPublish();
    U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEY_EXIT, KEY_DOWN, TRUE, TRUE, CURSOR_8, REGISTER_VIEW);
    s_bCursorActive = TRUE;
    H_DATABASE_bUpdateValueBoolean(FCID("ICAC"), TRUE, P_NORMAL);
    if (s_u32SystemState == STATE_PLAYBACK) {
        U32 u32Mode = 0;
        if (H_DATABASE_bFetchU32(FCID("CPSP"), &u32Mode, nullptr, nullptr))
            s_u32OldPlaybackMode = u32Mode;
        H_DATABASE_bUpdateValueU32(FCID("CPSP"), PLAYBACK_MODE_PAUSED, P_NORMAL);
    }
    H_DATABASE_bUpdateValueU32(FCID("ISIZ"), 0, P_NORMAL);
    if (bFlankviewPane()) {
        vTakeZoomKeys();
        s_bFvZoomKeysRegistered = TRUE;
    }
    H_DATABASE_bUpdateValueU32(FCID("IDIZ"), 0, P_NORMAL);
    if (bKeelviewPane()) {
        vTakeZoomKeys();
        s_bKVZoomKeysRegistered = TRUE;
    }
    vClick(pMsg);
}

void vMove(const MSG_KEY_CHANGE* pMsg)
{
    const S32 step = (S32)std::min(pMsg->count, MAX_STEP);
    POINT& p = s_CurrentCursorPosition;
    switch (pMsg->cursor) {
    case CURSOR_NORTH: case CURSOR_NORTH_EAST: case CURSOR_NORTH_WEST: p.y += step; break;
    case CURSOR_SOUTH: case CURSOR_SOUTH_EAST: case CURSOR_SOUTH_WEST: p.y -= step; break;
    default: break;
    }
    int dx = 0;
    switch (pMsg->cursor) {
    case CURSOR_NORTH_EAST: case CURSOR_EAST: case CURSOR_SOUTH_EAST: dx = 1; break;
    case CURSOR_NORTH_WEST: case CURSOR_WEST: case CURSOR_SOUTH_WEST: dx = -1; break;
    default: break;
    }
    p.x += dx * step;
    const LAYER_ID v = eView();
    if (v == VIEW_SONAR_ZOOM && dx != 0) {
        const S32 lo = 796 - (S32)s_u32UnZoomedWidth, hi = 800 - (S32)s_u32UnZoomedWidth;
        if (p.x > lo && p.x < hi)
            p.x = dx > 0 ? hi : lo;
    } else if (v == VIEW_DUAL_BEAM && dx != 0 && p.x >= 398 && p.x <= 400) {
        p.x = dx > 0 ? 401 : 397;
    }
    const WINDOW_LOCATION w = CursorWindow.tGet();
    p.x = std::clamp(p.x, w.s32ClipLeft, std::max(w.s32ClipLeft, w.s32ClipRight));
    p.y = std::clamp(p.y, w.s32ClipBottom, std::max(w.s32ClipBottom, w.s32ClipTop));
    vMapAndPublish();
    vClick(pMsg);
}

// "ICMD" and "ICMB" from the working offset's length and the accepted
// offset's direction (degrees clockwise from the top of the picture).
void vPublish360RangeAndBearing(void)
{
    const PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const double r = std::hypot((double)s_pt360CursorOffset.x, (double)s_pt360CursorOffset.y);
    float fRange = 0.0f, fBearing = 0.0f;
    if (r > 2.0 * d.u32CenterRadius && d.u32Width != 0) {
        fRange = (float)std::fabs((r - d.u32CenterRadius) * tReadWindows().fLower[4] / d.u32Width);
        const double x = d.s32CursorOffset.x, y = d.s32CursorOffset.y;
        double a = y == 0 ? 90.0 : std::atan(x / y) * 180.0 / M_PI;
        if (x > 0 || (x == 0 && y > 0))
            a += 180.0;
        if (x * y < 0)
            a += 180.0;
        fBearing = (float)std::fabs(a);
    }
    vPublishFloat(FCID("ICMD"), fRange, D_DEPTH);
    vPublishFloat(FCID("ICMB"), fBearing, D_HEADING);
}

bool bFetchValidS32(FOURCHARID fcid, S32* p)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchS32(fcid, p, &bValid, nullptr) && bValid;
}

bool bFetchValidFloat(FOURCHARID fcid, float* p)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(fcid, p, &bValid, nullptr) && bValid;
}

// Under mutex 101, as the 360 drawing reads it.
void vClearCursorWaypoint(void)
{
    L_MUTEX_LockWait(RES_MSS_VIEW);
    s_u32CursorWaypoint = NO_CURSOR_WAYPOINT;
    if (const SONAR_CURSOR_NAV_CALLS* p = s_pNavCalls.load(); p != nullptr && p->pfnUpdateCursorWaypoint != nullptr)
        p->pfnUpdateCursorWaypoint(NO_CURSOR_WAYPOINT);
    L_MUTEX_Unlock(RES_MSS_VIEW);
}

// The chart position under the 360 cursor, when the picture is laid over
// the boat's surroundings ("SNIM"): the accepted offset turned from the
// heading-up picture to north-up and scaled from pixels to Mercator metres
// round the boat (or round the frozen picture's boat).
void vPublish360Position(void)
{
    BOOLEAN bNavIn360 = FALSE;
    if (!H_DATABASE_bFetchBoolean(FCID("SNIM"), &bNavIn360, nullptr, nullptr) || !bNavIn360)
        return;
    const bool bSimulated = s_u32SystemState == STATE_SIMULATION || s_u32SystemState == STATE_POINT_OF_SALE;
    POINT ptBoat{0, 0};
    const bool bBoat = bFetchValidS32(FCID("ILAT"), &ptBoat.y) && bFetchValidS32(FCID("ILON"), &ptBoat.x);
    float fCompass = 0.0f;
    const bool bCompass = bFetchValidFloat(FCID("IHDC"), &fCompass);
    // The frozen picture's boat was written before the flag was raised.
    const bool bLocked = s_bLockedPosValid.load() != FALSE;
    if (!((bBoat && (bCompass || bSimulated)) || bLocked))
        return;
    BOOLEAN bActive = FALSE;
    H_DATABASE_bFetchBoolean(FCID("ICAC"), &bActive, nullptr, nullptr);
    s_bCursorActive = bActive;
    if (!bActive)
        vClearCursorWaypoint();
    float fHeading = fCompass;
    if (bSimulated)
        H_DATABASE_bFetchFloat(FCID("IHDG"), &fHeading, nullptr, nullptr);
    if (bLocked) {
        fHeading = s_fLockedHeading;
        ptBoat = s_ptLockedPosition;
    }
    const float fPixelsPerMM = s_fPPIPixelsPerMM.load();
    if (!(fPixelsPerMM > 0.0f))
        return; // no picture drawn yet: no scale to measure with
    GP_ROTCONTEXT rc{};
    gr_SetRotationAngle(&rc, 360.0 - (double)fHeading);
    const POINT o = s_PPIDisplayDescriptor.s32CursorOffset;
    SINT rx = 0, ry = 0;
    gr_RotatePoint(&rc, o.x, o.y, &rx, &ry);
    const S32 dx = (S32)((float)rx / fPixelsPerMM + 0.5f);
    const S32 dy = (S32)((float)ry / fPixelsPerMM + 0.5f);
    S64 x = (S64)ptBoat.x - dx;
    if (x > MERCATOR_HALF_WORLD)
        x -= MERCATOR_WORLD;
    else if (x < -MERCATOR_HALF_WORLD)
        x += MERCATOR_WORLD;
    const S32 y = ptBoat.y - dy;
    H_DATABASE_bUpdateValueS32(FCID("ICLN"), (S32)x, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ICLT"), y, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(FCID("ICLV"), TRUE, P_NORMAL);
}

void v360Activate(const MSG_KEY_CHANGE* pMsg)
{
    PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    s_pt360CursorOffset = POINT{0, 0};
    H_DATABASE_bUpdateValueS32(FCID("ICPX"), d.CenterX, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ICPY"), d.CenterY, P_NORMAL);
    if (s_MSSObject.SweepingSetting > ISOLATE_SWEEP_SETTING && s_u32PPIZoom.load() != 0)
        d.s32CursorOffset = POINT{0, 0};
    else
        d.s32CursorOffset = POINT{d.CenterX, d.CenterY};
    s_bCursorInitWithNoMove = TRUE;
    U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEY_EXIT, KEY_DOWN, TRUE, TRUE, CURSOR_8, REGISTER_VIEW);
    s_bCursorActive = TRUE;
    H_DATABASE_bUpdateValueBoolean(FCID("ICAC"), TRUE, P_NORMAL);
    vClick(pMsg);
}

void v360Move(const MSG_KEY_CHANGE* pMsg)
{
    PPI_DISPLAY_DESCRIPTOR& d = s_PPIDisplayDescriptor;
    const U32 u32Zoom = s_u32PPIZoom.load();
    const S32 step = (S32)(std::min<U32>(pMsg->count, 5) + u32Zoom);
    if (u32Zoom != 0)
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
    s_bCursorInitWithNoMove = FALSE;
    const CURSOR_POSITION c = pMsg->cursor;
    POINT& o = s_pt360CursorOffset;
    if (c == CURSOR_NORTH || c == CURSOR_NORTH_EAST || c == CURSOR_NORTH_WEST)
        o.y -= step;
    if (c == CURSOR_SOUTH || c == CURSOR_SOUTH_EAST || c == CURSOR_SOUTH_WEST)
        o.y += step;
    if (c == CURSOR_NORTH_EAST || c == CURSOR_EAST || c == CURSOR_SOUTH_EAST)
        o.x -= step;
    if (c == CURSOR_NORTH_WEST || c == CURSOR_WEST || c == CURSOR_SOUTH_WEST)
        o.x += step;
    const double R = (double)d.u32CenterRadius + d.u32Width;
    const double r = std::hypot((double)o.x, (double)o.y);
    if (r >= R) {
        // Back onto the picture's edge.
        o.x = (S32)(o.x * R / r);
        o.y = (S32)(o.y * R / r);
        d.s32CursorOffset = o;
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
    } else {
        bool bBlanked = false;
        if (s_MSSObject.SweepingSetting > ISOLATE_SWEEP_SETTING) {
            const U32 u32Entry = u32PixelMapEntry(d.CenterX - o.x, d.CenterY - o.y);
            bBlanked = u32Entry != PPI_NO_PIXEL && s_u8PPIAlphaBlending[(u32Entry >> PPI_SAMPLE_BITS) % PPI_SECTORS] == 2;
        }
        if (bBlanked) {
            o = d.s32CursorOffset;
            L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        } else {
            d.s32CursorOffset = o;
        }
        vClick(pMsg);
    }
    H_DATABASE_bUpdateValueS32(FCID("ICPX"), d.CenterX - o.x, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ICPY"), d.CenterY - o.y, P_NORMAL);
    vPublish360Position();
}

} // namespace

void T_N_HISTORY_vInstallCursorNavCalls(const SONAR_CURSOR_NAV_CALLS* pCalls) { s_pNavCalls = pCalls; }

namespace t_n_history {

void vCursorKey(const MSG_KEY_CHANGE* pMsg)
{
    if (!s_bCursorActive)
        vActivate(pMsg);
    else
        vMove(pMsg);
}

void v360CursorKey(const MSG_KEY_CHANGE* pMsg)
{
    if (!s_bCursorActive)
        v360Activate(pMsg);
    else
        v360Move(pMsg);
    vPublish360RangeAndBearing();
}

void vUpdateSonarCursorPositionHorizScroll(U32 u32Right)
{
    const LAYER_ID v = eView();
    const S32 zoomRight = 796 - (S32)s_u32UnZoomedWidth;
    S32 right = (S32)u32Right;
    if (v == VIEW_SONAR_ZOOM && s_CurrentCursorPosition.x <= zoomRight)
        right = zoomRight;
    else if (v == VIEW_DUAL_BEAM && s_CurrentCursorPosition.x <= 397)
        right = 397;
    FULL_SCREEN_TSU* pStore = pStoreOfBeam(tReadWindows().Beam0);
    if (pStore == nullptr)
        vFatal(__LINE__, "No TSUStore for Window 0");
    vPublishPixel();
    L_MUTEX_LockWait(RES_TSU);
    const U32 n = pStore->u32NextFreeColumn;
    const TSU_STORE_COLUMN col = pStore->aTsuStore[u32ColumnBack(n, right - s_CurrentCursorPosition.x)];
    L_MUTEX_Unlock(RES_TSU);
    vUpdateCursorDepthHorizScroll();
    vUpdateCursorNavData(POINT{col.Location.s32LongitudeMM, col.Location.s32LatitudeMM});
    vPublishFloat(FCID("ICDP"), col.fDepthMetres, D_DEPTH);
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

void vUpdateCursorDepthHorizScroll(void)
{
    S32 y = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ICPY"), &y, &bValid, nullptr))
        return;
    const bool bZoomWindow =
        eView() == VIEW_SONAR_ZOOM && s_CurrentCursorPosition.x <= 796 - (S32)s_u32UnZoomedWidth;
    const WINDOWS_READ win = tReadWindows();
    const U32 n = bZoomWindow ? 1 : 0;
    const float b = (float)T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW);
    const float T = (float)CursorWindow.s32ClipTop.load();
    if (T == b)
        return; // no rows to scale over
    const float lower = win.fLower[n], upper = win.fUpper[n];
    float fDepth;
    if (win.bBottomLockZoom && bZoomWindow)
        fDepth = ((float)y - b) * (lower + upper) / (T - b) - lower;
    else
        fDepth = ((float)y - b) * (upper - lower) / (T - b) + lower;
    vPublishFloat(FCID("ICCD"), fDepth, D_DEPTH);
}

void vUpdateSonarCursorPositionVerticalScroll(void)
{
    const WINDOWS_READ wr = tReadWindows();
    FULL_SCREEN_TSU* pStore = s_sBeamInfo[wr.Beam0 == 0 ? 0 : 1].pTSUStore;
    if (pStore == nullptr)
        vFatal(__LINE__, "No TSUStore for Window 0");
    const WINDOW_LOCATION win = CursorWindow.tGet();
    vPublishPixel();
    L_MUTEX_LockWait(RES_TSU);
    const U32 n = pStore->u32NextFreeColumn;
    const TSU_STORE_COLUMN col = pStore->aTsuStore[u32ColumnBack(n, win.s32ClipTop - s_CurrentCursorPosition.y)];
    L_MUTEX_Unlock(RES_TSU);
    if (col.HeadingSource == HEADING_SOURCE_NO_DATA) {
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
        return;
    }
    const POINT ptPing{col.Location.s32LongitudeMM, col.Location.s32LatitudeMM};
    if (!col.Location.bPositionValid) {
        vUpdateCursorNavData(ptPing);
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
        return;
    }
    const float left = (float)win.s32ClipLeft, right = (float)win.s32ClipRight;
    const float x = (float)s_CurrentCursorPosition.x;
    const float w = right - left;
    const float U = wr.fUpper[1], L = wr.fLower[1];
    float r;
    // A setting other than 1-3 (or a pane of no width) publishes no range:
    // nothing is known about which side the cursor looks at.
    if (w <= 0.0f || db_u32SideBeamView < SIDE_BEAM_LEFT || db_u32SideBeamView > SIDE_BEAM_BOTH) {
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
        return;
    }
    if (db_u32SideBeamView == SIDE_BEAM_LEFT)
        r = -((right - x) * (L - U) / w + U);
    else if (db_u32SideBeamView == SIDE_BEAM_RIGHT)
        r = (x - left) * (L - U) / w + U;
    else
        r = (x - left - w / 2.0f) * 2.0f * (L - U) / w + U;
    const float D = col.fDepthMetres;
    vPublishFloat(FCID("ICCD"), std::fabs(r), D_DEPTH);
    vPublishFloat(FCID("ICDP"), std::fabs(r) <= 2.0f ? D : 0.0f, D_DEPTH);
    float g = 0.0f;
    if (D < std::fabs(r))
        g = std::copysign(std::sqrt(r * r - D * D), r);
    const S32 m = (S32)(g / 1024.0f * (float)u32ScalingMMPerKm(ptPing.y) + 0.5f);
    const S32 h = (S32)std::lround(col.fHeadingTrueDegrees);
    POINT ptCursor;
    ptCursor.x = ptPing.x + (S32)((S64)m * s32IntCos(h) / 65536);
    ptCursor.y = ptPing.y - (S32)((S64)m * s32IntSin(h) / 65536);
    vUpdateCursorNavData(ptCursor);
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

void vUpdateCursorNavData(POINT ptMercator)
{
    H_DATABASE_bUpdateValueS32(FCID("ICLN"), ptMercator.x, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ICLT"), ptMercator.y, P_NORMAL);
    POINT ptBoat{0, 0};
    H_DATABASE_bFetchS32(FCID("ILON"), &ptBoat.x, nullptr, nullptr);
    H_DATABASE_bFetchS32(FCID("ILAT"), &ptBoat.y, nullptr, nullptr);
    const SONAR_CURSOR_NAV_CALLS* p = s_pNavCalls.load();
    if (p != nullptr && p->pfnUpdateCursorDistAndBearing != nullptr)
        p->pfnUpdateCursorDistAndBearing(&ptBoat, &ptMercator);
    POSITION pos{};
    nv_MeterToDegr(&ptMercator, &pos);
    U32 u32Datum = 0;
    if (H_DATABASE_bFetchU32(FCID("SDTM"), &u32Datum, nullptr, nullptr) && u32Datum != 0 &&
        u32Datum < (U32)NO_MORE_DATUMS)
        WGS84_2_Datum(pos.lat, pos.lon, &pos.lat, &pos.lon, (DATUM_PLANE)u32Datum);
    vPublishFloat(FCID("ICTD"), (float)pos.lat, D_POSITION_LAT);
    vPublishFloat(FCID("ICND"), (float)pos.lon, D_POSITION_LON);
    H_DATABASE_bUpdateValueBoolean(FCID("ICLV"), TRUE, P_NORMAL);
}

void vMakeCursorInactive(void)
{
    if (!s_bCursorActive)
        return;
    U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_EXIT);
    if (s_u32SystemState == STATE_PLAYBACK)
        H_DATABASE_bUpdateValueU32(FCID("CPSP"), s_u32OldPlaybackMode, P_NORMAL);
    s_PPIDisplayDescriptor.s32CursorOffset = POINT{0, 0};
    if (s_u32PPIZoom.load() != 0)
        s_u8IsolateSweepSetuped = 0;
    vClearCursorWaypoint();
    if ((s_bFvZoomKeysRegistered || s_bKVZoomKeysRegistered) && !s_bZoomKeysRegistered)
        U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, U32_FLANKVIEW_ZOOM_KEYS);
    s_bFvZoomKeysRegistered = FALSE;
    s_bKVZoomKeysRegistered = FALSE;
    s_bCursorActive = FALSE;
    H_DATABASE_bUpdateValueBoolean(FCID("ICAC"), FALSE, P_NORMAL);
}

} // namespace t_n_history
