// Contour following: the pick the cursor made, the "Follow the Contour"
// menu, starting, extending, reversing and ending the following through
// the lake-chart library, and the contour track the chart draws (see
// t_nav_stevrin.h).
//
// Contour following is Idle (no pick, nothing followed), Picked (the Go-To
// menu shows a pick), Choosing (the pick's two directions are on the chart
// and the "Follow the Contour" menu is open) or Following (a library state
// is followed). A request that the library refuses leaves the followed
// contour, its direction and the pick as they were. The point list and
// the contour track hold at most 352 points: a longer library track is
// refused.
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/t_nav_keys.h" // T_NAV_vMakeCursorInactive

#include "nav/core/neighbour_standins.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_rumbrel.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/menu_types.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"
#include "util/u_convert.h"

#include <cmath>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr MBOX NAV_MBOX = 16;
constexpr U32 HIGHLIGHT_COLOUR = 0;
constexpr double MICRODEGREES = 0.000001;
constexpr S32 OFFSET_LIMIT_MARGIN_M = 15;
constexpr char CONTOUR_TRACK_NAME[] = "CONTOUR RUMBREL";

// The library's options.
constexpr S32 FTC_OPTION_START_1 = 1;
constexpr S32 FTC_OPTION_START_2 = 2;
constexpr S32 FTC_OPTION_EXTEND = 3;
constexpr S32 FTC_OPTION_REVERSE = 4;
constexpr S32 FTC_OPTION_OFFSET = 5;
constexpr S32 FTC_OPTION_EXTEND_AT = 6;

#define NAV_FTC_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Navigate_To_Start = NAV_FTC_ALL_LANGUAGES("Navigate to Start");
TEXT_TABLE Navigate_To_End = NAV_FTC_ALL_LANGUAGES("Navigate to End");
TEXT_TABLE FollowContour_Offset = NAV_FTC_ALL_LANGUAGES("Contour Offset");

// PLACEHOLDERS until the icon art lands: they draw nothing.
constexpr ICON followTheContour1_icon = {nullptr, nullptr, 20, 20, ICON_TRANSPARENT_COLOR};
constexpr ICON followTheContour2_icon = {nullptr, nullptr, 20, 20, ICON_TRANSPARENT_COLOR};
constexpr ICON ContourOffset_icon = {nullptr, nullptr, 20, 20, ICON_TRANSPARENT_COLOR};

// The slider takes the row of the user's distance unit.
const MENU_LIMITS ContourOffsetLimits[4] = {
    {U_FEET, -300.0f, 300.0f, 1.0f},
    {U_METRES, -91.0f, 91.0f, 1.0f},
    {U_FATHOMS, -50.0f, 50.0f, 1.0f},
    {U_NONE, -10.0f, 10.0f, 1.0f},
};

// The pick's directions: first in coral, second in cyan.
const FTC_RGBQUAD s_aSelectionColours[2] = {{82, 124, 255, 0}, {255, 255, 0, 0}};

} // namespace

TEXT_TABLE Follow_the_Contour = NAV_FTC_ALL_LANGUAGES("Follow the Contour");

// State ---------------------------------------------------------------------

FTCDATA_STRUCT s_tFTCData = {};
RUMBREL s_tContourRumbrel = {};
void* s_pContourAddr = nullptr;
char s_achPickText[FTC_PICK_TEXT_CHARS] = {};
S32 s_nPickDepthActual = 0;
S32 s_anAzimuthFromStart[2] = {0, 0};
S32 s_anDeeperFlag[2] = {1, 1};
char sMapfoldStevrinPath[FTC_PATH_CHARS] = {};
char sMapfoldStevrinPathSelected[FTC_PATH_CHARS] = {};
BOOLEAN s_bInGoToContourMenu = FALSE;
BOOLEAN s_bChartRefreshReqd = FALSE;
S32 s_nOffsetRumbrelTimeout = -1;

// Static functions -----------------------------------------------------------

namespace {

// The offset "IPFO" holds, in metres; 0 when it cannot be read.
float fOffsetInMetres(void)
{
    float fOffset = 0.0f;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchFloat(FCID("IPFO"), &fOffset, &bValid, nullptr) || !bValid)
        return 0.0f;
    return (float)dConvertFromInternal(fOffset, D_DISTANCE, U_METRES);
}

U32 u32DateTimeOrZero(void)
{
    U32 u32DateTime = 0;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(FCID("IDTM"), &u32DateTime, &bValid, nullptr) && bValid ? u32DateTime : 0;
}

// Option 3: the point after the motor's target in the contour track, in
// degrees. FALSE when the track has no point to extend from.
BOOLEAN bExtendPosition(BOOLEAN bWasReversed, double* pLongitude, double* pLatitude)
{
    const S32 n = (S32)s_tContourRumbrel.nCount;
    if (n <= 0 || n > (S32)RUMBREL_MAX_POINTS)
        return FALSE;
    S32 i = (S32)T_STEVRIN_vGetRumbrelTargetIndex();
    if (bWasReversed && i < n)
        i = n - 1 - i;
    if (i < n - 1)
        i = i + 1;
    if (i > n - 1)
        i = n - 1; // the motor names a point this track does not have
    POSITION position = {0.0, 0.0};
    nv_MeterToDegr(&s_tContourRumbrel.aTrackPoints[i], &position);
    *pLongitude = position.lon;
    *pLatitude = position.lat;
    return TRUE;
}

// The library's track as the contour track and the point list. The caller
// holds RES_NAV_DATA.
void vTakeContourTrack(const FTC_POINT* pPoints, S32 n)
{
    memset(s_tContourRumbrel.sName, 0, sizeof s_tContourRumbrel.sName);
    memcpy(s_tContourRumbrel.sName, CONTOUR_TRACK_NAME, RUMBREL_NAME_CHARS);
    s_tContourRumbrel.nCount = (U32)n;
    s_tContourRumbrel.u32DateTime = u32DateTimeOrZero();
    s_tContourRumbrel.u32Visible = TRUE;
    for (S32 i = 0; i < n; ++i) {
        s_tFTCData.astCtrPoints[s_tFTCData.bReverseFTCData ? n - 1 - i : i] = pPoints[i];
        const POSITION position = {pPoints[i].y * MICRODEGREES, pPoints[i].x * MICRODEGREES};
        POINT mercator = {0, 0};
        nv_DegrToMeter(&position, &mercator);
        s_tContourRumbrel.aTrackPoints[i] = mercator;
    }
    T_NAV_STEVRIN_vCalculateLLURPoints(&s_tContourRumbrel);
    s_tContourRumbrel.u32Style = FTC_TRACK_STYLE;
    s_tContourRumbrel.u32Color = FTC_TRACK_COLOR;
}

// START_1 / START_2: the pick in direction 0 or 1.
void vStartFollowing(S32 nDirection)
{
    const float fOffset = fOffsetInMetres();
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    const S32 nDeeper = s_anDeeperFlag[nDirection];
    char achFollowedPath[FTC_PATH_CHARS];
    memcpy(achFollowedPath, sMapfoldStevrinPathSelected, FTC_PATH_CHARS);
    memcpy(sMapfoldStevrinPathSelected, sMapfoldStevrinPath, FTC_PATH_CHARS);
    if (!T_NAV_STEVRIN_bFollowContour(s_pContourAddr, FTC_OPTION_START_1 + nDirection, (float)nDeeper * fOffset)) {
        // What is still followed lives in its own folder.
        memcpy(sMapfoldStevrinPathSelected, achFollowedPath, FTC_PATH_CHARS);
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
        return;
    }
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    U_MENU_vClearMenus();
    s_tFTCData.nOffsetSign = nDeeper;
    s_tFTCData.fCtrOffsetInMeters = fOffset;
    s_pContourAddr = nullptr; // consumed by the request
    s_bChartRefreshReqd = FALSE;
    T_NAV_vMakeCursorInactive();
    memcpy(s_tFTCData.achPickText, s_achPickText, FTC_PICK_TEXT_CHARS);
    s_tFTCData.achPickText[FTC_PICK_TEXT_CHARS - 1] = '\0';
    s_tFTCData.nPickDepthActual = s_nPickDepthActual;
    s_tFTCData.bInitiatedByMe = TRUE;
    U_STEVRIN_vFollowContour(s_tFTCData.astCtrPoints, (U32)s_tFTCData.nCtrPoints, s_tFTCData.achPickText);
    H_DATABASE_bRegisterForDataWithConditions(FCID("IPFO"), NAV_MBOX, TRUE, FALSE, FALSE);
    H_DATABASE_bRegisterForDataWithConditions(FCID("IPOT"), NAV_MBOX, TRUE, TRUE, FALSE);
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
}

} // namespace

// Computing a followed contour ------------------------------------------------------

BOOLEAN T_NAV_STEVRIN_bFollowContour(void* pStevrinCntrAddr, S32 nOptionSelected, float fCountourOffset)
{
    s_nOffsetRumbrelTimeout = -1;
    if (nOptionSelected < FTC_OPTION_START_1 || nOptionSelected > FTC_OPTION_EXTEND_AT ||
        pStevrinCntrAddr == nullptr)
        return FALSE;

    const BOOLEAN bWasReversed = s_tFTCData.bReverseFTCData;
    S32 nOption = nOptionSelected;
    double dLongitude = 0.0;
    double dLatitude = 0.0;
    if (nOption == FTC_OPTION_REVERSE) {
        s_tFTCData.bReverseFTCData = bWasReversed ? FALSE : TRUE;
    } else if (nOption != FTC_OPTION_OFFSET) {
        s_tFTCData.bReverseFTCData = FALSE;
        if (nOption == FTC_OPTION_EXTEND) {
            if (!bExtendPosition(bWasReversed, &dLongitude, &dLatitude)) {
                log_me("[%d]%s: no contour point to extend from", __LINE__, __func__);
                s_tFTCData.bReverseFTCData = bWasReversed;
                return FALSE;
            }
            nOption = FTC_OPTION_EXTEND_AT;
        }
    }

    T_CHART_vSetStevrinPath(sMapfoldStevrinPathSelected);
    void* pNew = DORRIMStevrinRequestTrack(pStevrinCntrAddr, nOption, dLongitude, dLatitude, 0.0, 0.0,
                                           (double)fCountourOffset,
                                           (S32)(std::fabs(fCountourOffset) + OFFSET_LIMIT_MARGIN_M), 0, 1);
    U32 u32Points = 0;
    const FTC_POINT* pPoints = nullptr;
    if (pNew != nullptr && pNew != pStevrinCntrAddr) {
        pPoints = GetFTCTrack(pNew, &u32Points);
        if (pPoints == nullptr || u32Points > RUMBREL_MAX_POINTS) {
            if (pPoints != nullptr)
                log_me("[%d]%s: contour of %u points refused", __LINE__, __func__, (unsigned)u32Points);
            DORRIMStevrinClear(pNew);
            pPoints = nullptr;
        }
    }
    if (pPoints == nullptr) {
        // The same state back is no new state: the one asked with stays
        // followed, or picked.
        s_tFTCData.bReverseFTCData = bWasReversed;
        return FALSE;
    }
    const S32 n = (S32)u32Points;

    L_MUTEX_LockWait(RES_NAV_DATA);
    if (n > 0) {
        if (nOptionSelected != FTC_OPTION_OFFSET)
            T_NAV_STEVRIN_vCheckForMinDepth(pNew);
        vTakeContourTrack(pPoints, n);
    }
    T_NAV_STEVRIN_vClearNavRumbrelInfo();
    s_tFTCData.nCtrPoints = (S32)s_tContourRumbrel.nCount;
    if (s_tFTCData.pStevrinStructAddr != nullptr && s_tFTCData.pStevrinStructAddr != pStevrinCntrAddr)
        DORRIMStevrinClear(s_tFTCData.pStevrinStructAddr);
    s_tFTCData.pStevrinStructAddr = pNew;
    DORRIMStevrinEnableSelectedContourHighlight(pNew, HIGHLIGHT_COLOUR, 1);
    if (nOptionSelected != FTC_OPTION_REVERSE && nOptionSelected != FTC_OPTION_OFFSET)
        T_CHART_vReRenderAll();
    L_MUTEX_Unlock(RES_NAV_DATA);
    DORRIMStevrinClear(pStevrinCntrAddr);
    return TRUE;
}

void T_NAV_STEVRIN_vCheckForMinDepth(void* pStevrinState)
{
    U32 u32Depths = 0;
    const S32* pDepths = GetFTCTrackDepths(pStevrinState, &u32Depths);
    BOOLEAN bShallow = FALSE;
    for (U32 i = 0; pDepths != nullptr && i < u32Depths && !bShallow; ++i)
        bShallow = (float)pDepths[i] < (float)FTC_MIN_DEPTH_TENTHS_FT ? TRUE : FALSE;
    T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(bShallow);
}

// The mail requests ------------------------------------------------------------------------

void T_NAV_STEVRIN_vExecuteFTCCmd(S32 eSubCmd, void* pData)
{
    switch (eSubCmd) {
    case NAV_ST_FTC_START_1:
        T_NAV_STEVRIN_vFollowContour_1();
        break;
    case NAV_ST_FTC_START_2:
        T_NAV_STEVRIN_vFollowContour_2();
        break;
    case NAV_ST_FTC_EXTEND:
        T_NAV_STEVRIN_vExtendFTC();
        break;
    case NAV_ST_FTC_REVERSE:
        T_NAV_STEVRIN_vReverseFTC();
        break;
    case NAV_ST_FTC_END:
        T_NAV_STEVRIN_vEndFTC();
        break;
    case NAV_ST_FTC_NOTIFY_START:
    case NAV_ST_FTC_NOTIFY_EXTEND:
    case NAV_ST_FTC_NOTIFY_NEW_OFFSET:
    case NAV_ST_FTC_NOTIFY_REVERSE:
    case NAV_ST_FTC_NOTIFY_END:
        T_NAV_STEVRIN_vOnFTCNotify(static_cast<RUMBREL*>(pData), eSubCmd);
        pData = nullptr; // handed over
        break;
    default: // NAV_ST_FTC_OFFSET among them
        break;
    }
    if (pData != nullptr)
        H_MEMORY_vFree(pData);
}

void T_NAV_STEVRIN_vFollowContour_1(void)
{
    vStartFollowing(0);
}

void T_NAV_STEVRIN_vFollowContour_2(void)
{
    vStartFollowing(1);
}

void T_NAV_STEVRIN_vExtendFTC(void)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    const BOOLEAN bExtended =
        s_tFTCData.pStevrinStructAddr != nullptr &&
                T_NAV_STEVRIN_bFollowContour(s_tFTCData.pStevrinStructAddr, FTC_OPTION_EXTEND,
                                             (float)s_tFTCData.nOffsetSign * s_tFTCData.fCtrOffsetInMeters)
            ? TRUE
            : FALSE;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    if (!bExtended)
        return;
    T_CHART_vReRenderAll();
    U_STEVRIN_vExtendFTContour(s_tFTCData.astCtrPoints, (U32)s_tFTCData.nCtrPoints);
}

void T_NAV_STEVRIN_vReverseFTC(void)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    if (s_tFTCData.pStevrinStructAddr != nullptr) {
        s_tFTCData.nOffsetSign = -s_tFTCData.nOffsetSign;
        if (!T_NAV_STEVRIN_bFollowContour(s_tFTCData.pStevrinStructAddr, FTC_OPTION_REVERSE,
                                          (float)s_tFTCData.nOffsetSign * s_tFTCData.fCtrOffsetInMeters))
            s_tFTCData.nOffsetSign = -s_tFTCData.nOffsetSign; // not reversed after all
    }
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
}

void T_NAV_STEVRIN_vEndFTC(void)
{
    s_nOffsetRumbrelTimeout = -1;
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    if (s_tFTCData.pStevrinStructAddr == nullptr) {
        L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
        return;
    }
    T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(FALSE);
    T_CHART_vSetStevrinPath(sMapfoldStevrinPathSelected);
    DORRIMStevrinClear(s_tFTCData.pStevrinStructAddr);
    s_tFTCData.pStevrinStructAddr = nullptr;
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_tContourRumbrel.nCount = 0;
    s_tContourRumbrel.u32Visible = FALSE;
    T_CHART_vReRenderAll();
    L_MUTEX_Unlock(RES_NAV_DATA);
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    H_DATABASE_vUnregisterMailbox(FCID("IPFO"), NAV_MBOX);
    H_DATABASE_vUnregisterMailbox(FCID("IPOT"), NAV_MBOX);
}

// The pick's menus ------------------------------------------------------------------------------

void T_NAV_vHandleGoTo_ShowFollowContour(void)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    if (s_pContourAddr == nullptr) {
        L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    s_bInGoToContourMenu = FALSE;
    for (S32& nAzimuth : s_anAzimuthFromStart)
        nAzimuth = (nAzimuth + 45) / 90 * 90;
    T_CHART_vSetStevrinPath(sMapfoldStevrinPath);
    DORRIMStevrinEnableSelectionImage(s_pContourAddr, s_aSelectionColours, 1, 0);
    T_CHART_vReRenderAll();
    s_bChartRefreshReqd = TRUE;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);

    U_MENU_vClearMenus();
    // Each new following starts without an offset.
    H_DATABASE_vUnregisterMailbox(FCID("IPFO"), NAV_MBOX);
    H_DATABASE_bUpdateValueFloat(FCID("IPFO"), 0.0f, P_NORMAL);
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);

    U_MENU_bRegisterFloatingMenu(&Follow_the_Contour, nullptr, T_NAV_vClearContour, FALSE, nullptr);
    U_MENU_bRegisterFloatingMenuActionExtItem(&Follow_the_Contour, &Navigate_To_Start, &followTheContour1_icon, TRUE,
                                              TRUE, MENU_FOLLOW_CONTOUR, U_NAV_STEVRIN_vFollowContour_1, FALSE,
                                              M_BASIC);
    U_MENU_bRegisterFloatingMenuActionExtItem(&Follow_the_Contour, &Navigate_To_End, &followTheContour2_icon, TRUE,
                                              TRUE, MENU_FOLLOW_CONTOUR, U_NAV_STEVRIN_vFollowContour_2, FALSE,
                                              M_BASIC);
    U_MENU_bRegisterFloatingMenuSliderItem(&Follow_the_Contour, &FollowContour_Offset, &ContourOffset_icon,
                                           MENU_CONTOUR_OFFSET, FCID("IPFO"), ContourOffsetLimits, nullptr, nullptr,
                                           nullptr, M_BASIC);
    U_MENU_ActivateFloatingMenu(&Follow_the_Contour);
}

void T_NAV_vClearContour(void)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    if (s_pContourAddr != nullptr) {
        T_CHART_vSetStevrinPath(sMapfoldStevrinPath);
        DORRIMStevrinClear(s_pContourAddr);
        s_pContourAddr = nullptr;
        if (s_bChartRefreshReqd) {
            if (!s_bInGoToContourMenu && s_tFTCData.pStevrinStructAddr != nullptr) {
                T_CHART_vSetStevrinPath(sMapfoldStevrinPath);
                DORRIMStevrinEnableSelectedContourHighlight(s_tFTCData.pStevrinStructAddr, HIGHLIGHT_COLOUR, 1);
            }
            T_CHART_vReRenderAll();
        }
        BOOLEAN bMotorNavigates = FALSE;
        if (H_DATABASE_bFetchBoolean(FCID("IPNO"), &bMotorNavigates, nullptr, nullptr) && bMotorNavigates &&
            s_tFTCData.pStevrinStructAddr != nullptr) {
            // The slider shows the offset in force again.
            H_DATABASE_bUpdateValueFloat(
                FCID("IPFO"), (float)dConvertToInternal(s_tFTCData.fCtrOffsetInMeters, D_DISTANCE, U_METRES),
                P_NORMAL);
            H_DATABASE_bRegisterForDataWithConditions(FCID("IPFO"), NAV_MBOX, TRUE, FALSE, FALSE);
        }
    }
    s_bInGoToContourMenu = FALSE;
    s_bChartRefreshReqd = FALSE;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
}
