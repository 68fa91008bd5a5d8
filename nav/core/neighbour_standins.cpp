// STAND-INS of the navigation core's neighbours (see the header).
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_newdata.h"

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_goto.h"
#include "nav/core/t_nav_infobox.h"
#include "nav/core/t_nav_settings.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_share.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_stevrin.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/core/u_nav_position.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_startup.h"
#include "store/h_database.h"
#include "ui/u_keyboard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

// Statics -----------------------------------------------------------------

namespace {

// The recorders and the pool outlive every task: the navigation task may
// still tick while the process runs its exit.
struct STANDIN_STATE {
    std::mutex lock; // every recorder below
    U32 u32AppearanceEditor = 0;
    U32 u32TrackDefaultsEditor = 0;
    U32 u32ChartReRenders = 0;
    U32 u32ChartInfoResets = 0;
    BOOLEAN bStevrinPaused = FALSE;
    BOOLEAN bRumbrelNav = FALSE;
    char acStevrinActive[13] = {};
    U16 u16Stayvane = 0xFFFF;
    LAYER_ID eRadarInfoView = NO_VIEW_PRIORITY;
};

STANDIN_STATE& st(void)
{
    static STANDIN_STATE* const p = new STANDIN_STATE;
    return *p;
}

} // namespace

void NAV_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().u32AppearanceEditor = 0;
    st().u32TrackDefaultsEditor = 0;
    st().u32ChartReRenders = 0;
    st().u32ChartInfoResets = 0;
    st().bStevrinPaused = FALSE;
    st().bRumbrelNav = FALSE;
    st().acStevrinActive[0] = '\0';
    st().u16Stayvane = 0xFFFF;
    st().eRadarInfoView = NO_VIEW_PRIORITY;
}

// Groups ----------------------------------------------------------------------

// Editors ----------------------------------------------------------------------

void T_NAV_EDIT_vCurrentTrackAppearanceSetup(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    ++st().u32AppearanceEditor;
}

void T_NAV_EDIT_vTrackDefaultsSetup(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    ++st().u32TrackDefaultsEditor;
}

U32 NAV_STANDIN_u32AppearanceEditorOpened(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().u32AppearanceEditor;
}

U32 NAV_STANDIN_u32TrackDefaultsEditorOpened(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().u32TrackDefaultsEditor;
}

// The AIS target pool -----------------------------------------------------------

void NAV_STANDIN_vSetAisTargets(const std::vector<ais_DeviceInfo>& targets)
{
    L_MUTEX_LockWait(RES_AIS_DATA);
    T_NMEA_AIS_STANDIN_vSetTargets(targets.data(), (U32)targets.size());
    L_MUTEX_Unlock(RES_AIS_DATA);
}

U32 NAV_STANDIN_u32AisTargetCount(void)
{
    L_MUTEX_LockWait(RES_AIS_DATA);
    const U32 u32Count = T_NMEA_u32GetAisNumOfTargets();
    L_MUTEX_Unlock(RES_AIS_DATA);
    return u32Count;
}

// Trolling-motor link ------------------------------------------------------------

BOOLEAN T_STEVRIN_bIsNavigationPaused(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bStevrinPaused;
}

BOOLEAN U_NAV_STEVRIN_bIsRumbrelNavActive(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bRumbrelNav;
}

void T_STEVRIN_vGetActiveStr(char* pacStr)
{
    if (pacStr == nullptr)
        return;
    std::lock_guard<std::mutex> guard(st().lock);
    memcpy(pacStr, st().acStevrinActive, sizeof st().acStevrinActive);
}

U16 T_STEVRIN_u16GetStayvaneIndex(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().u16Stayvane;
}

void NAV_STANDIN_vSetStevrinQueries(BOOLEAN bPaused, BOOLEAN bRumbrelNav, const char* pcActive, U16 u16Stayvane)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().bStevrinPaused = bPaused;
    st().bRumbrelNav = bRumbrelNav;
    snprintf(st().acStevrinActive, sizeof st().acStevrinActive, "%s", pcActive != nullptr ? pcActive : "");
    st().u16Stayvane = u16Stayvane;
}

void T_NAV_INFO_vReset(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    ++st().u32ChartInfoResets;
}

U32 NAV_STANDIN_u32ChartInfoResets(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().u32ChartInfoResets;
}

BOOLEAN T_RADAR_bIsMyRadarInfoView(LAYER_ID view)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return view != NO_VIEW_PRIORITY && view == st().eRadarInfoView;
}

void NAV_STANDIN_vSetRadarInfoView(LAYER_ID view)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().eRadarInfoView = view;
}

U32 T_STEVRIN_u32GetStevrinBearingDeg(void)
{
    return 0;
}

U32 T_STEVRIN_u32GetStevrinRemainDistFt(void)
{
    return 0;
}

void T_STEVRIN_vGetRumbrelCurrentPt(POINT* pOut)
{
    if (pOut != nullptr)
        *pOut = {0, 0};
}

void T_STEVRIN_vGetRumbrelTargetPt(POINT* pOut)
{
    if (pOut != nullptr)
        *pOut = {0, 0};
}

void T_STEVRIN_vGetRumbrelOriginPt(POINT* pOut)
{
    if (pOut != nullptr)
        *pOut = {0, 0};
}

// Radar, chart -----------------------------------------------------------

BOOLEAN T_RADAR_bIsMyRadarView(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    (void)view;
    (void)split;
    return FALSE;
}

void T_RADAR_vUpdateCursorPosition(void)
{
}

void T_CHART_vReRenderAll(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    ++st().u32ChartReRenders;
}

U32 NAV_STANDIN_u32ChartReRenders(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().u32ChartReRenders;
}

// AIS neighbours -------------------------------------------------------------------

namespace {

std::mutex s_aisLock;
NAV_STANDIN_AIS_CALLS s_aisCalls = {};

} // namespace

void T_CHART_INFO_vAddNearestTargetVessel(void)
{
    std::lock_guard<std::mutex> guard(s_aisLock);
    ++s_aisCalls.u32NearestTargetVessel;
}

void T_RADAR_vSetAisConnected(U32 u32Connected)
{
    std::lock_guard<std::mutex> guard(s_aisLock);
    ++s_aisCalls.u32RadarAisConnected;
    s_aisCalls.u32LastRadarAisConnected = u32Connected;
}

NAV_STANDIN_AIS_CALLS NAV_STANDIN_tAisCalls(void)
{
    std::lock_guard<std::mutex> guard(s_aisLock);
    return s_aisCalls;
}

void NAV_STANDIN_vForgetAisCalls(void)
{
    std::lock_guard<std::mutex> guard(s_aisLock);
    s_aisCalls = {};
}

// The trolling-motor bridge's neighbours -------------------------------------------

namespace {

constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;
constexpr MUTEX RES_LAKE_CONTOURS = 104;
constexpr U32 CURSOR_KEY_MASK = 8;

struct LAKE_STATE {
    NAV_STANDIN_LAKE_TRACK track;
    bool bLive = true;
};

// States are never freed while the process runs, so a stale handle can
// never name a newer state.
struct LAKE_STANDIN {
    std::mutex lock;
    std::vector<LAKE_STATE*> states;
    std::vector<std::pair<NAV_STANDIN_LAKE_ANSWER, NAV_STANDIN_LAKE_TRACK>> answers;
    std::vector<NAV_STANDIN_LAKE_CALL> calls;
    U32 u32BadUses = 0;
    char achPath[9] = {};
};

LAKE_STANDIN& lake(void)
{
    static LAKE_STANDIN* const p = new LAKE_STANDIN;
    return *p;
}

FTC_POINT s_ftcNoPoint;

// The live state behind a handle, or null (counted as a bad use). The
// caller holds lake().lock.
LAKE_STATE* pLiveState(void* pState)
{
    for (LAKE_STATE* p : lake().states)
        if (p == pState && p->bLive)
            return p;
    ++lake().u32BadUses;
    return nullptr;
}

NAV_STANDIN_LAKE_CALL lakeCall(const char* pcCall, void* pState)
{
    NAV_STANDIN_LAKE_CALL c = {};
    c.sCall = pcCall;
    c.pState = pState;
    c.sPath = lake().achPath;
    c.bUnder104 = L_MUTEX_GetOwnerTaskID(RES_LAKE_CONTOURS) == L_TASK_GetID(0);
    return c;
}

LAKE_STATE* pMakeState(const NAV_STANDIN_LAKE_TRACK& track)
{
    LAKE_STATE* p = new LAKE_STATE;
    p->track = track;
    lake().states.push_back(p);
    return p;
}

template <typename MAIL>
MAIL* pNewMail(CMD_ID cmd)
{
    MAIL* pMail = static_cast<MAIL*>(H_MEMORY_pvMallocNoWait(sizeof(MAIL)));
    if (pMail != nullptr) {
        memset(static_cast<void*>(pMail), 0, sizeof(MAIL));
        pMail->header.Cmd = cmd;
    }
    return pMail;
}

// Sends the mail; when it cannot go, frees it and its block.
template <typename MAIL>
void vPost(MBOX mbox, MAIL* pMail, void* pBlock)
{
    if (L_MBOX_Send(mbox, &pMail->header.msghdr, CLIENT_MAIL_PRIORITY, 0) != 0) {
        if (pBlock != nullptr)
            H_MEMORY_vFree(pBlock);
        H_MEMORY_vFree(pMail);
    }
}

void vPostToNav(S32 eStCmd, S32 eStSubCmd, void* pBlock)
{
    auto* pMail = pNewMail<NAV_STEVRIN_DATA_MSG>(CMD_ID_NAV_STEVRIN);
    if (pMail == nullptr) {
        if (pBlock != nullptr)
            H_MEMORY_vFree(pBlock);
        return;
    }
    pMail->eStCmd = eStCmd;
    pMail->eStSubCmd = eStSubCmd;
    pMail->pData = pBlock;
    vPost(NAV_MAILBOX, pMail, pBlock);
}

// A program-heap copy, or null when no block is free.
template <typename T>
T* pHeapCopy(const T* pFrom)
{
    T* p = static_cast<T*>(H_MEMORY_pvMallocNoWait(sizeof(T)));
    if (p != nullptr)
        memcpy(static_cast<void*>(p), pFrom, sizeof(T));
    return p;
}

void vPostStartMessage(S32 eSubCmd, const RUMBREL* pRumbrel, BOOLEAN bToStart, U16 nIndex, S32 eType)
{
    RUMBREL* pCopy = nullptr;
    if (pRumbrel != nullptr && (pCopy = pHeapCopy(pRumbrel)) == nullptr)
        return;
    auto* pStart = static_cast<RUMBREL_NAV_START_MSG*>(H_MEMORY_pvMallocNoWait(sizeof(RUMBREL_NAV_START_MSG)));
    if (pStart == nullptr) {
        if (pCopy != nullptr)
            H_MEMORY_vFree(pCopy);
        return;
    }
    *pStart = RUMBREL_NAV_START_MSG{pCopy, bToStart, nIndex, (RUMBREL_TYPE)eType};
    auto* pMail = pNewMail<NAV_STEVRIN_DATA_MSG>(CMD_ID_NAV_STEVRIN);
    if (pMail == nullptr) {
        if (pCopy != nullptr)
            H_MEMORY_vFree(pCopy);
        H_MEMORY_vFree(pStart);
        return;
    }
    pMail->eStCmd = NAV_STEVRIN_RUMBREL;
    pMail->eStSubCmd = eSubCmd;
    pMail->pData = pStart;
    if (L_MBOX_Send(NAV_MAILBOX, &pMail->header.msghdr, CLIENT_MAIL_PRIORITY, 0) != 0) {
        if (pCopy != nullptr)
            H_MEMORY_vFree(pCopy);
        H_MEMORY_vFree(pStart);
        H_MEMORY_vFree(pMail);
    }
}

void vPostPoint(S32 eSubCmd, const POINT* pPoint)
{
    if (pPoint == nullptr)
        return;
    POINT* pCopy = pHeapCopy(pPoint);
    if (pCopy != nullptr)
        vPostToNav(NAV_STEVRIN_RUMBREL, eSubCmd, pCopy);
}

} // namespace

// The lake-chart library ---------------------------------------------------------

void* DORRIMStevrinRequestTrack(void* pState, S32 nOption, double dLongitude, double dLatitude, double dZero1,
                                double dZero2, double dOffsetMetres, S32 nOffsetLimit, S32 nZero, S32 nOne)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    NAV_STANDIN_LAKE_CALL c = lakeCall("request", pState);
    c.nOption = nOption;
    c.dLongitude = dLongitude;
    c.dLatitude = dLatitude;
    c.adZero[0] = dZero1;
    c.adZero[1] = dZero2;
    c.dOffset = dOffsetMetres;
    c.anArgs[0] = nOffsetLimit;
    c.anArgs[1] = nZero;
    c.anArgs[2] = nOne;
    void* pAnswer = nullptr;
    if (pLiveState(pState) != nullptr && !lake().answers.empty()) {
        const auto answer = lake().answers.front();
        lake().answers.erase(lake().answers.begin());
        if (answer.first == LAKE_ANSWER_NEW)
            pAnswer = pMakeState(answer.second);
        else if (answer.first == LAKE_ANSWER_SAME)
            pAnswer = pState;
    }
    c.pAnswer = pAnswer;
    lake().calls.push_back(c);
    return pAnswer;
}

FTC_POINT* GetFTCTrack(void* pState, U32* pnCount)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    lake().calls.push_back(lakeCall("track", pState));
    if (pnCount != nullptr)
        *pnCount = 0;
    LAKE_STATE* p = pLiveState(pState);
    if (p == nullptr || !p->track.bPoints)
        return nullptr;
    if (pnCount != nullptr)
        *pnCount = (U32)p->track.points.size();
    return p->track.points.empty() ? &s_ftcNoPoint : p->track.points.data();
}

S32* GetFTCTrackDepths(void* pState, U32* pnCount)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    lake().calls.push_back(lakeCall("depths", pState));
    if (pnCount != nullptr)
        *pnCount = 0;
    LAKE_STATE* p = pLiveState(pState);
    if (p == nullptr || !p->track.bDepths || p->track.depths.empty())
        return nullptr;
    if (pnCount != nullptr)
        *pnCount = (U32)p->track.depths.size();
    return p->track.depths.data();
}

void DORRIMStevrinClear(void* pState)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    lake().calls.push_back(lakeCall("clear", pState));
    if (LAKE_STATE* p = pLiveState(pState))
        p->bLive = false;
}

BOOLEAN IsFTCCompatible(void)
{
    return FALSE;
}

void DORRIMStevrinEnableSelectedContourHighlight(void* pState, U32 u32Colour, S32 nEnable)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    NAV_STANDIN_LAKE_CALL c = lakeCall("highlight", pState);
    c.anArgs[0] = (S32)u32Colour;
    c.anArgs[1] = nEnable;
    pLiveState(pState);
    lake().calls.push_back(c);
}

void DORRIMStevrinEnableSelectionImage(void* pState, const FTC_RGBQUAD* pColours, S32 nEnable, S32 nZero)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    NAV_STANDIN_LAKE_CALL c = lakeCall("selection", pState);
    if (pColours != nullptr) {
        c.aColours[0] = pColours[0];
        c.aColours[1] = pColours[1];
    }
    c.anArgs[0] = nEnable;
    c.anArgs[1] = nZero;
    pLiveState(pState);
    lake().calls.push_back(c);
}

void* NAV_STANDIN_pNewLakeState(const NAV_STANDIN_LAKE_TRACK& track)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    return pMakeState(track);
}

void NAV_STANDIN_vQueueLakeAnswer(NAV_STANDIN_LAKE_ANSWER eAnswer, const NAV_STANDIN_LAKE_TRACK& track)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    lake().answers.emplace_back(eAnswer, track);
}

std::vector<NAV_STANDIN_LAKE_CALL> NAV_STANDIN_vLakeCalls(void)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    return lake().calls;
}

bool NAV_STANDIN_bLakeStateLive(void* pState)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    for (LAKE_STATE* p : lake().states)
        if (p == pState)
            return p->bLive;
    return false;
}

U32 NAV_STANDIN_u32LiveLakeStates(void)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    U32 n = 0;
    for (LAKE_STATE* p : lake().states)
        n += p->bLive ? 1 : 0;
    return n;
}

U32 NAV_STANDIN_u32BadLakeUses(void)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    return lake().u32BadUses;
}

void T_CHART_vSetStevrinPath(const char* pcPathId)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    memset(lake().achPath, 0, sizeof lake().achPath);
    if (pcPathId != nullptr)
        memcpy(lake().achPath, pcPathId, strnlen(pcPathId, 8));
}

std::string NAV_STANDIN_sStevrinPath(void)
{
    std::lock_guard<std::mutex> guard(lake().lock);
    return lake().achPath;
}

void NAV_STANDIN_vForgetStevrin(void)
{
    {
        std::lock_guard<std::mutex> guard(lake().lock);
        for (LAKE_STATE* p : lake().states)
            p->bLive = false;
        lake().answers.clear();
        lake().calls.clear();
        lake().u32BadUses = 0;
        memset(lake().achPath, 0, sizeof lake().achPath);
    }
}

// The trolling-motor link's mailers ----------------------------------------------------

void U_NAV_STEVRIN_vFollowContour_1(void) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_START_1, nullptr); }
void U_NAV_STEVRIN_vFollowContour_2(void) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_START_2, nullptr); }
void U_NAV_STEVRIN_vExtendFTC(void) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_EXTEND, nullptr); }
void U_NAV_STEVRIN_vReverseFTC(void) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_REVERSE, nullptr); }
void U_NAV_STEVRIN_vEndFTC(void) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_END, nullptr); }
void U_NAV_STEVRIN_vOnFTCStarted(RUMBREL* p) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_NOTIFY_START, p); }
void U_NAV_STEVRIN_vOnFTCExtended(RUMBREL* p) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_NOTIFY_EXTEND, p); }
void U_NAV_STEVRIN_vOnFTCNewOffset(RUMBREL* p) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_NOTIFY_NEW_OFFSET, p); }
void U_NAV_STEVRIN_vOnFTCReversed(RUMBREL* p) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_NOTIFY_REVERSE, p); }
void U_NAV_STEVRIN_vOnFTCEnded(void) { vPostToNav(NAV_STEVRIN_FTC, NAV_ST_FTC_NOTIFY_END, nullptr); }

void U_NAV_STEVRIN_vRumbrelNavStarted(const RUMBREL* pRumbrel, BOOLEAN bToStart, U16 nStartIndex, S32 eRumbrelType)
{
    vPostStartMessage(NAV_ST_RUMBREL_NAV_STARTED, pRumbrel, bToStart, nStartIndex, eRumbrelType);
}

void U_NAV_STEVRIN_vRumbrelNavReversed(BOOLEAN bNewToStart, U16 nStartIndex)
{
    vPostStartMessage(NAV_ST_RUMBREL_NAV_REVERSED, nullptr, bNewToStart, nStartIndex, 0);
}

void U_NAV_STEVRIN_vRumbrelNavEnded(void) { vPostToNav(NAV_STEVRIN_RUMBREL, NAV_ST_RUMBREL_NAV_ENDED, nullptr); }

void U_NAV_STEVRIN_vRumbrelRecordingStarted(const POINT* pptStart)
{
    vPostPoint(NAV_ST_RUMBREL_REC_STARTED, pptStart);
}

void U_NAV_STEVRIN_vRumbrelRecordPoint(const POINT* pptRumbrel)
{
    vPostPoint(NAV_ST_RUMBREL_REC_ADD_POINT, pptRumbrel);
}

void U_NAV_STEVRIN_vRumbrelRecordingEnded(void)
{
    vPostToNav(NAV_STEVRIN_RUMBREL, NAV_ST_RUMBREL_REC_ENDED, nullptr);
}

void U_NAV_STEVRIN_vRumbrelRecordingSync(const RUMBREL* pRumbrel)
{
    vPostStartMessage(NAV_ST_RUMBREL_REC_SYNC, pRumbrel, FALSE, 0, RUMBREL_TYPE_RECORDING);
}

void U_NAV_STEVRIN_vDisplayAutopilotAdjustMenu(void)
{
    vPostToNav(NAV_STEVRIN_MENU, NAV_ST_MENU_SHOW_AP_OFFSET, nullptr);
}

// The alarm task's client: the depth alarm's bursts ----------------------------------

const TONE_BURST g_tDepthAlarmTone = {3, 1, {{{3200, 2800, 2400}, 150, 100}, {{3200, 2800, 2400}, 150, 100},
                                            {{3200, 2800, 2400}, 150, 100}}, 0};
const TONE_BURST g_tDepthAlarmReminderTone = {1, 1, {{{3200, 2800, 2400}, 150, 0}}, 0};

// The followed track's end; the 3D chart view -------------------------------------------

namespace {

struct View3D {
    std::mutex lock;
    std::vector<T_CHART_3D_VIEW> stack{T_CHART_3D_VIEW{}};
    NAV_STANDIN_3D_CALLS calls{};
    POINT ptRumbrelEnd{};
};

View3D& v3d()
{
    static View3D v;
    return v;
}

T_CHART_3D_VIEW topView()
{
    std::lock_guard<std::mutex> g(v3d().lock);
    return v3d().stack.back();
}

POINT ptTurned(const T_CHART_3D_VIEW& v, const POINT* p)
{
    POINT r = *p;
    U_NAV_vRotatePoint(&v.RotContext, p, &r);
    return r;
}

} // namespace

void T_STEVRIN_vGetRumbrelEndPt(POINT* pOut)
{
    if (pOut == nullptr)
        return;
    std::lock_guard<std::mutex> g(v3d().lock);
    *pOut = v3d().ptRumbrelEnd;
}

void NAV_STANDIN_vSetRumbrelEndPt(POINT pt)
{
    std::lock_guard<std::mutex> g(v3d().lock);
    v3d().ptRumbrelEnd = pt;
}

BOOLEAN T_CHART_3D_bIn3DView(const POINT* pptRelative, U32 u32Mask, struct tag_NAV_VIEW_INFO* pNVI)
{
    (void)pNVI;
    if (pptRelative == nullptr)
        return FALSE;
    const T_CHART_3D_VIEW v = topView();
    const POINT t = ptTurned(v, pptRelative);
    const S64 E = v.nEyeOffsetMM;
    const bool bRight = 2 * (S64)t.x - t.y <= E;
    const bool bLeft = 2 * (S64)t.x + t.y >= -E;
    const bool bNear = 2 * (S64)t.y >= -E;
    const bool bHorizon = std::hypot((double)pptRelative->x, (double)pptRelative->y) <= 4.0 * (double)E;
    switch (u32Mask) {
    case 8:
        return bRight ? TRUE : FALSE;
    case 4:
        return bLeft ? TRUE : FALSE;
    case 18:
        return bNear ? TRUE : FALSE;
    case 0:
        return bHorizon ? TRUE : FALSE;
    default:
        return bRight && bLeft && bNear && bHorizon ? TRUE : FALSE;
    }
}

BOOLEAN T_CHART_3D_bClipLineTo3DView(POINT* p0, POINT* p1, GP_ROTCONTEXT* pRot, struct tag_NAV_VIEW_INFO* pNVI)
{
    (void)pNVI;
    return U_NAV_bClipLineToHighwayView(p0, p1, pRot, topView().nEyeOffsetMM);
}

void T_CHART_3D_vProjectPoint(POINT* pt, S32 nAltitude, POINT* ptOffsetCenterMM, POINT* ptDataOrigin, void* pDisplay)
{
    (void)ptOffsetCenterMM;
    (void)ptDataOrigin;
    (void)pDisplay;
    if (pt == nullptr)
        return;
    const T_CHART_3D_VIEW v = topView();
    {
        std::lock_guard<std::mutex> g(v3d().lock);
        ++v3d().calls.u32Projections;
        v3d().calls.nEyeOffsetAtLastProjection = v.nEyeOffsetMM;
    }
    const POINT t = ptTurned(v, pt);
    const double E = v.nEyeOffsetMM;
    const double d = E + t.y;
    if (d <= 0.0) {
        *pt = {0, 0};
        return;
    }
    const double k = E / d * v.nPixelsPerMMM / 1048576.0;
    pt->x = v.CenterOffset.x + (S32)std::lround(t.x * k);
    pt->y = v.CenterOffset.y + (S32)std::lround((nAltitude - E / 2.0) * k);
}

T_CHART_3D_VIEW* T_CHART_3D_pPush3DView(void)
{
    std::lock_guard<std::mutex> g(v3d().lock);
    // A reserve keeps the address handed out valid while copies pile up.
    v3d().stack.reserve(16);
    v3d().stack.push_back(v3d().stack.back());
    ++v3d().calls.u32Pushes;
    v3d().calls.nDepth = (S32)v3d().stack.size() - 1;
    return &v3d().stack.back();
}

void T_CHART_3D_vUpdate3DView(void)
{
    std::lock_guard<std::mutex> g(v3d().lock);
    ++v3d().calls.u32Updates;
}

T_CHART_3D_VIEW* T_CHART_3D_pPop3DView(void)
{
    std::lock_guard<std::mutex> g(v3d().lock);
    ++v3d().calls.u32Pops;
    if (v3d().stack.size() > 1)
        v3d().stack.pop_back();
    v3d().calls.nDepth = (S32)v3d().stack.size() - 1;
    return &v3d().stack.back();
}

S32 T_CHART_nCalculateHighwayEyeOffsetMM(S32 nChartScale)
{
    const S32 s = std::clamp<S32>(nChartScale, 8, 25);
    return (S32)(((S64)1600 << s) >> 18);
}

S32 T_CHART_nCalculateHighwayPixelsPerMMM(S32 nChartScale)
{
    const S32 s = std::clamp<S32>(nChartScale, 8, 25);
    return (S32)(((S64)1 << 36) >> s);
}

void T_CHART_vSetVuruzaveHighwayViewCustomColor(U32 u32Index)
{
    std::lock_guard<std::mutex> g(v3d().lock);
    v3d().calls.u32CustomColor = u32Index;
}

void NAV_STANDIN_vSet3DView(S32 nEyeOffsetMM, S32 nPixelsPerMMM, POINT CenterOffset, const GP_ROTCONTEXT* pRot)
{
    std::lock_guard<std::mutex> g(v3d().lock);
    T_CHART_3D_VIEW v{};
    v.nEyeOffsetMM = nEyeOffsetMM;
    v.nPixelsPerMMM = nPixelsPerMMM;
    v.CenterOffset = CenterOffset;
    if (pRot != nullptr)
        v.RotContext = *pRot;
    else
        gr_ResetRotationContext(&v.RotContext);
    v3d().stack.assign(1, v);
    v3d().calls = NAV_STANDIN_3D_CALLS{};
}

NAV_STANDIN_3D_CALLS NAV_STANDIN_t3DCalls(void)
{
    std::lock_guard<std::mutex> g(v3d().lock);
    return v3d().calls;
}
