// The trolling-motor command bridge: the mails of the link and of the
// contour-following menus, the held trolling-motor track, its start
// waypoint, the minimum-depth alarm and the heading-adjust menu (see the
// header). Contour following itself is in t_nav_stevrin_ftc.cpp.
//
// The held track's closest-point index is kept inside the track at all
// times (0 for an empty track) except while recording, when it is
// NAV_STEVRIN_NOT_INDEXED: the chart draws the approach line to that
// point, so an index from the motor is never trusted as it comes.
#include "nav/core/t_nav_stevrin.h"

#include "nav/core/neighbour_standins.h"
#include "nav/data/t_nav_data_card.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/menu_types.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 WARNING_TEXT_CHARS = 255;
constexpr S32 WARNING_DEPTH_FEET = 5;
constexpr float MAX_WAYPOINT_DEPTH_M = 655.35f;

#define NAV_STEVRIN_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Adjust_Direction = NAV_STEVRIN_ALL_LANGUAGES("Adjust Direction");
TEXT_TABLE Set_New_Heading = NAV_STEVRIN_ALL_LANGUAGES("Set New Heading");
TEXT_TABLE No = NAV_STEVRIN_ALL_LANGUAGES("No");
TEXT_TABLE Yes = NAV_STEVRIN_ALL_LANGUAGES("Yes");
TEXT_TABLE Fix_Required = NAV_STEVRIN_ALL_LANGUAGES("GPS Fix required for this operation");
TEXT_TABLE No_Waypoints = NAV_STEVRIN_ALL_LANGUAGES("No more waypoints can be saved. Out of waypoint memory.");
// '#' marks where the depth goes.
#define PATH_WARNING_EN "The selected path is below #. Do you want to continue?"
TEXT_TABLE Path_Below_Mindepth_Warning = {
    PATH_WARNING_EN, PATH_WARNING_EN, "Het geselecteerde pad ligt onder #. Wilt u doorgaan?",
    PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN,
    PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN,
    PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN,
    PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN, PATH_WARNING_EN};

// PLACEHOLDER until the icon art lands: draws nothing.
constexpr ICON Radar_Check_icon_B = {nullptr, nullptr, 20, 20, ICON_TRANSPARENT_COLOR};

} // namespace

TEXT_TABLE Navigate_Rumbrel = NAV_STEVRIN_ALL_LANGUAGES("Navigate Rumbrel");

// State ---------------------------------------------------------------------

ST_NAV_RUMBREL_DATA s_tNavRumbrelData = {nullptr, FALSE, NAV_ID_NONE, 0, RUMBREL_TYPE_REGULAR, FALSE, {0, 0}};
std::atomic<BOOLEAN> s_bDisplayAPNewHeadingLine{FALSE};

// Static functions -----------------------------------------------------------

namespace {

BOOLEAN bReadS32(FOURCHARID key, S32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchS32(key, pValue, &bValid, nullptr) && bValid ? TRUE : FALSE;
}

BOOLEAN bReadU32(FOURCHARID key, U32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(key, pValue, &bValid, nullptr) && bValid ? TRUE : FALSE;
}

BOOLEAN bReadFloat(FOURCHARID key, float* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(key, pValue, &bValid, nullptr) && bValid ? TRUE : FALSE;
}

// The boat, when "ILON" and "ILAT" both read valid.
BOOLEAN bBoatPosition(POINT* pBoat)
{
    S32 x = 0;
    S32 y = 0;
    if (!bReadS32(FCID("ILON"), &x) || !bReadS32(FCID("ILAT"), &y))
        return FALSE;
    *pBoat = {x, y};
    return TRUE;
}

// The table may move the temporary start waypoint while it is held.
void vFollowWaypointMove(U16 u16OldId, U16 u16NewId)
{
    if (s_tNavRumbrelData.u16wpt == u16OldId)
        s_tNavRumbrelData.u16wpt = u16NewId;
}

void vSetStartWaypoint(U16 u16Id)
{
    static std::once_flag registered;
    std::call_once(registered, [] { T_NAV_TWR_bAddMoveFollower(vFollowWaypointMove); });
    s_tNavRumbrelData.u16wpt = u16Id;
}

void vDeleteTemporaryStartWaypoint(void)
{
    const U16 u16Id = s_tNavRumbrelData.u16wpt;
    if (u16Id == NAV_ID_NONE)
        return;
    const WAYPOINT* pWaypoint = T_NAV_pGetWaypoint(u16Id);
    if (pWaypoint != nullptr && pWaypoint->u8Status == WP_STATUS_TEMPORARY)
        T_NAV_bDeleteWaypoint(u16Id, FALSE);
}

void vReleaseHeldTrack(void)
{
    if (s_tNavRumbrelData.pRumbrel != nullptr)
        H_MEMORY_vFree(s_tNavRumbrelData.pRumbrel);
    s_tNavRumbrelData.pRumbrel = nullptr;
    s_tNavRumbrelData.u16wpt = NAV_ID_NONE;
}

void vHoldTrack(RUMBREL* pRumbrel, RUMBREL_TYPE eType)
{
    s_tNavRumbrelData.pRumbrel = pRumbrel;
    s_tNavRumbrelData.eRumbrelType = eType;
}

// After every event, under RES_NAV_DATA.
void vKeepClosestInTrack(void)
{
    const RUMBREL* pRumbrel = s_tNavRumbrelData.pRumbrel;
    if (pRumbrel == nullptr || s_tNavRumbrelData.eRumbrelType == RUMBREL_TYPE_RECORDING)
        return;
    if (pRumbrel->nCount == 0)
        s_tNavRumbrelData.u32ClosestTP = 0;
    else if (s_tNavRumbrelData.u32ClosestTP >= pRumbrel->nCount)
        s_tNavRumbrelData.u32ClosestTP = pRumbrel->nCount - 1;
}

// A track from the link that the chart could not draw safely.
BOOLEAN bTrackTooLong(const RUMBREL* pRumbrel, const char* pcEvent)
{
    if (pRumbrel->nCount <= RUMBREL_MAX_POINTS)
        return FALSE;
    log_me("[%d]%s: %s track of %u points refused", __LINE__, __func__, pcEvent, (unsigned)pRumbrel->nCount);
    return TRUE;
}

void vComputeCornersWhenMissing(RUMBREL* pRumbrel)
{
    if (pRumbrel->ptLowerLeft.x == 0 || pRumbrel->ptUpperRight.y == 0)
        T_NAV_STEVRIN_vCalculateLLURPoints(pRumbrel);
}

void vNoStartWaypoint(void)
{
    T_NAV_vSetNavUIError(&No_Waypoints);
    vReleaseHeldTrack();
}

// Track events, each with RES_NAV_DATA held --------------------------------------

void vOnRumbrelNavStarted(RUMBREL_NAV_START_MSG* pStart)
{
    if (pStart == nullptr || pStart->pRumbrel == nullptr)
        return;
    RUMBREL* pRumbrel = pStart->pRumbrel;
    if (bTrackTooLong(pRumbrel, "followed"))
        return;
    pStart->pRumbrel = nullptr;
    T_NAV_STEVRIN_vClearNavRumbrelInfo();
    vComputeCornersWhenMissing(pRumbrel);
    vHoldTrack(pRumbrel, pStart->eRumbrelType);
    if (pStart->eRumbrelType == RUMBREL_TYPE_REGULAR) {
        U16 u16Wpt = NAV_ID_NONE;
        const POINT origin = pRumbrel->ptOriginPt;
        POINT boat;
        if (origin.x != 0 && origin.y != 0)
            u16Wpt = T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtPos(&origin);
        else if (bBoatPosition(&boat))
            u16Wpt = T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtPos(&boat);
        else
            T_NAV_vSetNavUIError(&Fix_Required);
        if (u16Wpt == NAV_ID_NONE) {
            vNoStartWaypoint();
        } else {
            s_tNavRumbrelData.bToStart = pStart->bToStart;
            vSetStartWaypoint(u16Wpt);
            s_tNavRumbrelData.u32ClosestTP = pStart->nClosestTP;
        }
    }
    if (pStart->eRumbrelType == RUMBREL_TYPE_FTC) {
        pRumbrel->u32Style = FTC_TRACK_STYLE;
        pRumbrel->u32Color = FTC_TRACK_COLOR;
    }
}

void vOnRumbrelNavReversed(const RUMBREL_NAV_START_MSG* pStart)
{
    if (pStart == nullptr || s_tNavRumbrelData.pRumbrel == nullptr)
        return;
    vDeleteTemporaryStartWaypoint();
    s_tNavRumbrelData.u16wpt = NAV_ID_NONE;
    s_tNavRumbrelData.bValidBoatPos = FALSE;
    POINT boat;
    const BOOLEAN bBoat = bBoatPosition(&boat);
    const U16 u16Wpt = bBoat ? T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtPos(&boat) : NAV_ID_NONE;
    if (u16Wpt != NAV_ID_NONE) {
        vSetStartWaypoint(u16Wpt);
        s_tNavRumbrelData.bToStart = pStart->bToStart;
        s_tNavRumbrelData.u32ClosestTP = pStart->nClosestTP;
        return;
    }
    if (!bBoat)
        T_NAV_vSetNavUIError(&Fix_Required);
    vNoStartWaypoint();
}

void vOnRumbrelRecStarted(const POINT* pStart)
{
    if (pStart == nullptr)
        return;
    T_NAV_STEVRIN_vClearNavRumbrelInfo();
    auto* pRumbrel = static_cast<RUMBREL*>(H_MEMORY_pvMallocNoWait(sizeof(RUMBREL)));
    if (pRumbrel == nullptr) {
        log_me("[%d]%s: no block for the recording", __LINE__, __func__);
        return;
    }
    memset(static_cast<void*>(pRumbrel), 0, sizeof(RUMBREL));
    pRumbrel->nCount = 1;
    pRumbrel->aTrackPoints[0] = *pStart;
    pRumbrel->ptLowerLeft = *pStart;
    pRumbrel->ptUpperRight = *pStart;
    U32 u32DateTime = 0;
    if (bReadU32(FCID("IDTM"), &u32DateTime))
        pRumbrel->u32DateTime = u32DateTime;
    pRumbrel->u32Style = FTC_TRACK_STYLE;
    pRumbrel->u32Color = RECORDING_TRACK_COLOR;
    vHoldTrack(pRumbrel, RUMBREL_TYPE_RECORDING);
    s_tNavRumbrelData.u32ClosestTP = NAV_STEVRIN_NOT_INDEXED;
}

void vRumbrelRecAddPoint(const POINT* pPoint)
{
    RUMBREL* pRumbrel = s_tNavRumbrelData.pRumbrel;
    if (pPoint == nullptr || pRumbrel == nullptr || s_tNavRumbrelData.eRumbrelType != RUMBREL_TYPE_RECORDING ||
        pRumbrel->nCount >= RUMBREL_MAX_POINTS)
        return;
    pRumbrel->aTrackPoints[pRumbrel->nCount++] = *pPoint;
    pRumbrel->ptLowerLeft.x = std::min(pRumbrel->ptLowerLeft.x, pPoint->x);
    pRumbrel->ptLowerLeft.y = std::min(pRumbrel->ptLowerLeft.y, pPoint->y);
    pRumbrel->ptUpperRight.x = std::max(pRumbrel->ptUpperRight.x, pPoint->x);
    pRumbrel->ptUpperRight.y = std::max(pRumbrel->ptUpperRight.y, pPoint->y);
}

void vOnRumbrelRecSync(RUMBREL_NAV_START_MSG* pStart)
{
    if (pStart == nullptr || pStart->pRumbrel == nullptr)
        return;
    RUMBREL* pRumbrel = pStart->pRumbrel;
    if (bTrackTooLong(pRumbrel, "recorded"))
        return;
    pStart->pRumbrel = nullptr;
    T_NAV_STEVRIN_vClearNavRumbrelInfo();
    vComputeCornersWhenMissing(pRumbrel);
    pRumbrel->u32Style = FTC_TRACK_STYLE;
    pRumbrel->u32Color = RECORDING_TRACK_COLOR;
    vHoldTrack(pRumbrel, pStart->eRumbrelType);
    s_tNavRumbrelData.u32ClosestTP = NAV_STEVRIN_NOT_INDEXED;
}

// The minimum-depth alarm's text: built at the first alarm of the run and
// kept, also across a change of language.
char s_achPathWarning[WARNING_TEXT_CHARS + 1];
std::once_flag s_pathWarningBuilt;

void vBuildPathWarning(void)
{
    const char* pcText = Path_Below_Mindepth_Warning[nCurrentLanguage()];
    char achSplit[WARNING_TEXT_CHARS + 1] = {};
    strncpy(achSplit, pcText, WARNING_TEXT_CHARS);
    char* apcParts[2] = {achSplit, nullptr};
    if (T_NAV_DATA_nSplitString(achSplit, apcParts, WARNING_TEXT_CHARS, 2) == 2)
        snprintf(s_achPathWarning, sizeof s_achPathWarning, "%s%d%s%s", apcParts[0], WARNING_DEPTH_FEET, "ft",
                 apcParts[1]);
    else
        snprintf(s_achPathWarning, sizeof s_achPathWarning, "%s", pcText);
}

} // namespace

// Mails ---------------------------------------------------------------------------

void T_NAV_STEVRIN_vExecuteStevrinCmd(NAV_STEVRIN_DATA_MSG* pMessage)
{
    if (pMessage == nullptr)
        return;
    void* pData = pMessage->pData;
    pMessage->pData = nullptr;
    switch (pMessage->eStCmd) {
    case NAV_STEVRIN_FTC:
        T_NAV_STEVRIN_vExecuteFTCCmd(pMessage->eStSubCmd, pData);
        break;
    case NAV_STEVRIN_RUMBREL:
        T_NAV_STEVRIN_vExecuteRumbrelCmd(pMessage->eStSubCmd, pData);
        break;
    case NAV_STEVRIN_MENU:
        T_NAV_STEVRIN_vExecuteMenuCmd(pMessage->eStSubCmd);
        if (pData != nullptr)
            H_MEMORY_vFree(pData);
        break;
    default:
        if (pData != nullptr)
            H_MEMORY_vFree(pData);
        break;
    }
}

void T_NAV_STEVRIN_vExecuteRumbrelCmd(S32 eSubCmd, void* pData)
{
    // The sub-commands that carry a start message may also carry a track.
    const bool bStartMessage = eSubCmd == NAV_ST_RUMBREL_NAV_STARTED || eSubCmd == NAV_ST_RUMBREL_NAV_REVERSED ||
                               eSubCmd == NAV_ST_RUMBREL_REC_SYNC;
    auto* pStart = bStartMessage ? static_cast<RUMBREL_NAV_START_MSG*>(pData) : nullptr;
    L_MUTEX_LockWait(RES_NAV_DATA);
    switch (eSubCmd) {
    case NAV_ST_RUMBREL_NAV_STARTED:
        vOnRumbrelNavStarted(pStart);
        break;
    case NAV_ST_RUMBREL_NAV_REVERSED:
        vOnRumbrelNavReversed(pStart);
        break;
    case NAV_ST_RUMBREL_NAV_ENDED:
        T_NAV_STEVRIN_vClearNavRumbrelInfo();
        break;
    case NAV_ST_RUMBREL_REC_STARTED:
        vOnRumbrelRecStarted(static_cast<const POINT*>(pData));
        break;
    case NAV_ST_RUMBREL_REC_ADD_POINT:
        vRumbrelRecAddPoint(static_cast<const POINT*>(pData));
        break;
    case NAV_ST_RUMBREL_REC_ENDED:
        if (s_tNavRumbrelData.pRumbrel != nullptr)
            T_NAV_STEVRIN_vClearNavRumbrelInfo();
        break;
    case NAV_ST_RUMBREL_REC_SYNC:
        vOnRumbrelRecSync(pStart);
        break;
    default:
        break;
    }
    vKeepClosestInTrack();
    L_MUTEX_Unlock(RES_NAV_DATA);
    if (pStart != nullptr && pStart->pRumbrel != nullptr)
        H_MEMORY_vFree(pStart->pRumbrel);
    if (pData != nullptr)
        H_MEMORY_vFree(pData);
}

void T_NAV_STEVRIN_vExecuteMenuCmd(S32 eSubCmd)
{
    if (eSubCmd != NAV_ST_MENU_SHOW_AP_OFFSET)
        return;
    U_MENU_vClearMenus();
    float fBearing = 0.0f;
    U32 u32Heading = 0;
    if (bReadFloat(FCID("IBRG"), &fBearing) && fBearing > 0.0f)
        u32Heading = fBearing < 4294967040.0f ? (U32)fBearing : 0xFFFFFFFF;
    H_DATABASE_bUpdateValueU32(FCID("IPAO"), u32Heading, P_NORMAL);

    U_MENU_bRegisterFloatingMenu(&Navigate_Rumbrel, nullptr, T_NAV_STEVRIN_vOnNewAPHeadingMenuExit, TRUE, "");
    U_MENU_bRegisterFloatingMenuAngleAdjustItem(&Navigate_Rumbrel, &Adjust_Direction, nullptr,
                                                T_NAV_STEVRIN_vOnSetNewAPHeading, MENU_RUMBREL_NAV_TO_START,
                                                FCID("IPAO"), 0, 360, 1, TRUE, &Set_New_Heading,
                                                &Radar_Check_icon_B, M_BASIC);
    U_MENU_ActivateFloatingMenu(&Navigate_Rumbrel);
    s_bDisplayAPNewHeadingLine = TRUE;
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

// The motor's contour notifications ---------------------------------------------------

void T_NAV_STEVRIN_vOnFTCNotify(RUMBREL* pRumbrel, S32 eSubCmd)
{
    if (eSubCmd == NAV_ST_FTC_NOTIFY_END) {
        T_NAV_STEVRIN_vEndFTC();
        if (pRumbrel != nullptr)
            H_MEMORY_vFree(pRumbrel);
        return;
    }
    if (pRumbrel == nullptr || eSubCmd < NAV_ST_FTC_NOTIFY_START || eSubCmd > NAV_ST_FTC_NOTIFY_REVERSE)
        return;
    if (bTrackTooLong(pRumbrel, "contour")) {
        H_MEMORY_vFree(pRumbrel);
        return;
    }
    if (eSubCmd == NAV_ST_FTC_NOTIFY_REVERSE)
        T_NAV_STEVRIN_vReverseFTC();

    L_MUTEX_LockWait(RES_NAV_DATA);
    s_tContourRumbrel.u32Visible = FALSE; // the motor's own track is drawn from now on
    T_NAV_STEVRIN_vClearNavRumbrelInfo();
    if (eSubCmd == NAV_ST_FTC_NOTIFY_START) {
        if (!s_tFTCData.bInitiatedByMe) {
            // Ending takes 104, which the chart takes before 9.
            L_MUTEX_Unlock(RES_NAV_DATA);
            T_NAV_STEVRIN_vEndFTC();
            L_MUTEX_LockWait(RES_NAV_DATA);
        }
        s_tFTCData.bInitiatedByMe = FALSE;
    }
    if (eSubCmd == NAV_ST_FTC_NOTIFY_START || eSubCmd == NAV_ST_FTC_NOTIFY_EXTEND) {
        S32 x = 0;
        S32 y = 0;
        BOOLEAN bValidX = FALSE;
        BOOLEAN bValidY = FALSE;
        H_DATABASE_bFetchS32(FCID("ILON"), &x, &bValidX, nullptr);
        H_DATABASE_bFetchS32(FCID("ILAT"), &y, &bValidY, nullptr);
        s_tNavRumbrelData.ptBoatAtFTCSegStart = {x, y};
        s_tNavRumbrelData.bValidBoatPos = bValidX && bValidY ? TRUE : FALSE;
        pRumbrel->u32ClosestTP = 0;
        s_tNavRumbrelData.u32ClosestTP = 0;
    }
    T_NAV_STEVRIN_vCalculateLLURPoints(pRumbrel);
    U32 u32DateTime = 0;
    if (pRumbrel->u32DateTime == 0 && bReadU32(FCID("IDTM"), &u32DateTime))
        pRumbrel->u32DateTime = u32DateTime;
    pRumbrel->u32Style = FTC_TRACK_STYLE;
    pRumbrel->u32Color = FTC_TRACK_COLOR;
    vHoldTrack(pRumbrel, RUMBREL_TYPE_FTC);
    vKeepClosestInTrack();
    L_MUTEX_Unlock(RES_NAV_DATA);
}

// The held track ------------------------------------------------------------------------

void T_NAV_STEVRIN_vClearNavRumbrelInfo(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    if (s_tNavRumbrelData.pRumbrel != nullptr)
        H_MEMORY_vFree(s_tNavRumbrelData.pRumbrel);
    s_tNavRumbrelData.pRumbrel = nullptr;
    vDeleteTemporaryStartWaypoint();
    s_tNavRumbrelData.bValidBoatPos = FALSE;
    s_tNavRumbrelData.u16wpt = NAV_ID_NONE;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

U16 T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtPos(const POINT* ptPosMM)
{
    if (ptPosMM == nullptr)
        return NAV_ID_NONE;
    const S32 s32Found = T_NAV_nFindWaypointAtPosition(*ptPosMM, FALSE);
    if (s32Found >= 0 && s32Found < NAV_ID_NONE) {
        const WAYPOINT* pFound = T_NAV_pGetWaypoint((U32)s32Found);
        // Group records share the slots; only a waypoint counts.
        if (pFound != nullptr && pFound->u8Status >= WP_STATUS_PERMANENT && pFound->u8Status <= WP_STATUS_MOB)
            return (U16)s32Found;
    }
    WAYPOINT waypoint = {};
    waypoint.u8Status = WP_STATUS_TEMPORARY;
    float fDepth = 0.0f;
    if (bReadFloat(FCID("IDEP"), &fDepth) && fDepth > 0.0f)
        waypoint.u16Depth = (U16)std::lround(std::min(fDepth, MAX_WAYPOINT_DEPTH_M) * 100.0f);
    waypoint.pt = *ptPosMM;
    const S32 s32Added = T_NAV_nAddWaypoint(&waypoint, TRUE);
    return s32Added >= 0 && s32Added < NAV_ID_NONE ? (U16)s32Added : NAV_ID_NONE;
}

U16 T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtBoat(void)
{
    POINT boat;
    return bBoatPosition(&boat) ? T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtPos(&boat) : NAV_ID_NONE;
}

BOOLEAN T_NAV_STEVRIN_bIsRumbrelUnderNavigation(U32 u32RumbrelId)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    const RUMBREL* pHeld = s_tNavRumbrelData.pRumbrel;
    const RUMBREL* pStored = T_NAV_pGetRumbrel(u32RumbrelId);
    const BOOLEAN bSame = pHeld != nullptr && s_tNavRumbrelData.eRumbrelType == RUMBREL_TYPE_REGULAR &&
                                  pStored != nullptr && pHeld->nCount == pStored->nCount &&
                                  pHeld->nCount <= RUMBREL_MAX_POINTS &&
                                  memcmp(pHeld->sName, pStored->sName, RUMBREL_NAME_CHARS) == 0 &&
                                  memcmp(pHeld->aTrackPoints, pStored->aTrackPoints,
                                         pHeld->nCount * sizeof(POINT)) == 0
                              ? TRUE
                              : FALSE;
    L_MUTEX_Unlock(RES_NAV_DATA);
    return bSame;
}

// The minimum-depth alarm ------------------------------------------------------------------

void T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(BOOLEAN bAlarmOn)
{
    U32 u32Mailbox = 0;
    if (!bReadU32(FCID("TALR"), &u32Mailbox))
        return;
    MSGHEADER* pMail = nullptr;
    if (bAlarmOn) {
        std::call_once(s_pathWarningBuilt, vBuildPathWarning);
        auto* pSet = static_cast<ALARM_SET_MESSAGE*>(H_MEMORY_pvMallocNoWait(sizeof(ALARM_SET_MESSAGE)));
        if (pSet == nullptr)
            return;
        memset(static_cast<void*>(pSet), 0, sizeof *pSet);
        const U32 u32Language = nCurrentLanguage();
        pSet->header.Cmd = CMD_ID_SET_EXT_ALARM;
        pSet->Priority = FTC_MINDEPTH_ALARM;
        pSet->pMessageString = s_achPathWarning;
        pSet->pLeftChoice = No[u32Language];
        pSet->pRightChoice = Yes[u32Language];
        pSet->pFunctionCbLeftKeyAction = T_NAV_STEVRIN_vCancelFTCNavReqFromUser;
        pSet->pFunctionCbRightKeyAction = T_NAV_STEVRIN_vContinueFTCNavReqFromUser;
        pSet->InitialToneID = TONE_USE_CUSTOM;
        pSet->pInitialCustomTone = &g_tDepthAlarmTone;
        pSet->ReminderToneID = TONE_USE_CUSTOM;
        pSet->pReminderCustomTone = &g_tDepthAlarmReminderTone;
        pMail = &pSet->header.msghdr;
    } else {
        auto* pClear = static_cast<ALARM_CLEAR_MESSAGE*>(H_MEMORY_pvMallocNoWait(sizeof(ALARM_CLEAR_MESSAGE)));
        if (pClear == nullptr)
            return;
        memset(static_cast<void*>(pClear), 0, sizeof *pClear);
        pClear->header.Cmd = CMD_ID_CLEAR_ALARM;
        pClear->Priority = FTC_MINDEPTH_ALARM;
        pMail = &pClear->header.msghdr;
    }
    if (L_MBOX_Send((MBOX)u32Mailbox, pMail, ALARM_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

void T_NAV_STEVRIN_vCancelFTCNavReqFromUser(void)
{
    T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(FALSE);
    U32 u32Mode = 0;
    if (bReadU32(FCID("IPMD"), &u32Mode) && u32Mode == STEVRIN_CONTOUR_MODE) {
        U_STEVRIN_vStopGoto();
        H_DATABASE_bUpdateValueBoolean(FCID("IPRP"), FALSE, P_NORMAL);
    }
}

void T_NAV_STEVRIN_vContinueFTCNavReqFromUser(void)
{
}

// The heading-adjust menu ---------------------------------------------------------------------

void T_NAV_STEVRIN_vOnSetNewAPHeading(void)
{
    U32 u32Heading = 0;
    H_DATABASE_bFetchU32(FCID("IPAO"), &u32Heading, nullptr, nullptr);
    U_STEVRIN_vAdjustAutoPilot(u32Heading);
    s_bDisplayAPNewHeadingLine = FALSE;
}

void T_NAV_STEVRIN_vOnNewAPHeadingMenuExit(void)
{
    s_bDisplayAPNewHeadingLine = FALSE;
}
