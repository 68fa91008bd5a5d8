// STAND-INS of the navigation core's neighbours (see the header).
#include "nav/core/neighbour_standins.h"

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_state.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "nav/core/u_nav_position.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"

#include <cstdio>
#include <cstring>
#include <mutex>

// Statics -----------------------------------------------------------------

namespace {

constexpr U32 CCST_NORMAL_RUN = 3;
constexpr U32 CCST_SIMULATION = 4;
constexpr U32 CCST_POINT_OF_SALE = 6;
constexpr U32 NAV_TICK_MS = 1000;
constexpr U16 UNIT_ID = 64;

const char* s_apcCourse[DB_NUM_LANGUAGES] = {
    "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course",
    "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course"};

// The recorders and the pool outlive every task: the navigation task may
// still tick while the process runs its exit.
struct STANDIN_STATE {
    std::mutex lock; // every recorder below
    U32 u32Arrivals = 0;
    U32 u32AppearanceEditor = 0;
    U32 u32TrackDefaultsEditor = 0;
    U32 u32ChartReRenders = 0;
};

STANDIN_STATE& st(void)
{
    static STANDIN_STATE* const p = new STANDIN_STATE;
    return *p;
}

S32 s32CurrentView(void)
{
    S32 s32View = NO_VIEW_PRIORITY;
    H_DATABASE_bFetchS32(FCID("CVEW"), &s32View, nullptr, nullptr);
    return s32View;
}

// The current track comes back from its log once the unit runs normally;
// before that the first recorded point would start the log anew.
void vRestoreCurrentTrack(void)
{
    T_NAV_NVRAM_vInit();
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_NVRAM_vScanCurrentTrack(&s_CurrentTrack);
    L_MUTEX_Unlock(RES_NAV_DATA);
}

} // namespace

// The navigation task -------------------------------------------------------

void T_NAV_vMain(void)
{
    log_me("stand-in: the update, the boat simulation and the current track only");
    H_DATABASE_bUpdateEverythingU32(FCID("BHDG"), FCID("IHDG"), P_NORMAL, D_FCID, &s_apcCourse, DB_TIMEOUT_NEVER);
    U32 u32State = 0;
    H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr);
    if (u32State == CCST_SIMULATION || u32State == CCST_POINT_OF_SALE)
        T_NAV_vInitSimulation();

    bool bRestored = false;
    L_TIMER_Start(nullptr, NAV_TICK_MS, NAV_TICK_MS, SEMA_TIMER_NAV);
    const SEMA waits[] = {SEMA_TIMER_NAV, SEMA_NAV_MAILBOX, 0};
    for (;;) {
        const SEMA fired = L_SEMA_WaitMultiple(waits);
        if (fired == SEMA_TIMER_NAV) {
            if (!bRestored && H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr) &&
                u32State == CCST_NORMAL_RUN) {
                vRestoreCurrentTrack();
                bRestored = true;
            }
            T_NAV_vHandleUpdateTimer();
            continue;
        }
        while (MSGHEADER* pMail = L_MBOX_Receive(NAV_MAILBOX)) {
            // The confirmation dialog sees every key first.
            if (reinterpret_cast<GENERIC_MESSAGE*>(pMail)->Cmd == CMD_ID_KEY_CHANGE &&
                !T_NAV_CONF_bHandleKeys(reinterpret_cast<MSG_KEY_CHANGE*>(pMail)))
                T_NAV_bCloseTrackMemoryWarning();
            H_MEMORY_vDumpMail(pMail);
        }
    }
}

// Arrival, cancel-MOB -----------------------------------------------------------

void T_NAV_vOnArrival(NAV_COMPLETION_FN* pfnComplete)
{
    {
        std::lock_guard<std::mutex> guard(st().lock);
        ++st().u32Arrivals;
    }
    if (pfnComplete != nullptr)
        pfnComplete();
}

U32 NAV_STANDIN_u32Arrivals(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().u32Arrivals;
}

void T_NAV_vCancelMOB(void)
{
}

void NAV_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().u32Arrivals = 0;
    st().u32AppearanceEditor = 0;
    st().u32TrackDefaultsEditor = 0;
    st().u32ChartReRenders = 0;
}

// Groups ----------------------------------------------------------------------

U16 T_NAV_GROUP_DATA_u16Getu7UnitID(void)
{
    return UNIT_ID;
}

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
    return FALSE;
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

// View tests, radar, chart -----------------------------------------------------------

BOOLEAN T_NAV_bIsMyChartView(LAYER_ID view)
{
    if (view == UNKNOWN_VIEW)
        view = s32CurrentView();
    switch (view) {
    case CHART_VIEW_PRIORITY:
    case CHART_PLUS_2D_VIEW_PRIORITY:
    case CHART_PLUS_KEELVIEW_VIEW_PRIORITY:
    case CHART_PLUS_FLANKVIEW_VIEW_PRIORITY:
    case CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY:
    case CHART_PLUS_CHART_VIEW_PRIORITY:
    case CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY:
    case RADAR_PLUS_CHART_VIEW_PRIORITY:
        return TRUE;
    case SONAR_PPI_PLUS_CHART_VIEW_PRIORITY: {
        S32 s32Pane = NO_SPLIT_WINDOW;
        H_DATABASE_bFetchS32(FCID("CVAS"), &s32Pane, nullptr, nullptr);
        return s32Pane == SPLIT_LEFT_WINDOW ? TRUE : FALSE;
    }
    default:
        return FALSE;
    }
}

BOOLEAN T_NAV_bIsMyBirdsEyeView(LAYER_ID view)
{
    if (view == UNKNOWN_VIEW)
        view = s32CurrentView();
    return view == BIRDS_EYE_VIEW_PRIORITY || view == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY ? TRUE : FALSE;
}

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

