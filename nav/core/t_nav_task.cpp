#include "nav/core/t_nav_task.h"

#include "nav/core/g_nav_chart_resources.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_draw.h"
#include "nav/core/t_nav_goto.h"
#include "nav/core/t_nav_infobox.h"
#include "nav/core/t_nav_keys.h"
#include "nav/core/t_nav_marks.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_newdata.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_settings.h"
#include "nav/core/t_nav_share.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/core/chart_menu_standins.h"
#include "nav/core/task_standins.h"
#include "nav/core/u_nav.h"

#include "gmsg/t_ethernet_standin.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_startup.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/data/t_nav_twr_route.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"

#include <atomic>

TIMER_INFO* s_clkAutoZoom = nullptr;

const SEMA g_aNavWaitList[7] = {SEMA_NAV_MAILBOX, SEMA_TIMER_NAV,     SEMA_NAV_HIDE_STATUS,    SEMA_KEYBOARD_LONG_GOTO,
                                SEMA_NAV_GPS_DETECTED, SEMA_NAV_AUTO_ZOOM, 0};

namespace {

constexpr U32 CCST_SIMULATION = 4;
constexpr U32 CCST_POINT_OF_SALE = 6;

const char* s_apcCourse[DB_NUM_LANGUAGES] = {
    "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course",
    "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course", "Course"};

TIMER_INFO* s_pUpdateHideStatusTimer = nullptr;
// Read by other tasks.
std::atomic<BOOLEAN> s_bUpdateHideStatus{TRUE};
bool s_bRegistered = false;

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error("t_nav", u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

bool bSimulationState(void)
{
    U32 u32State = 0;
    return H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr) &&
           (u32State == CCST_SIMULATION || u32State == CCST_POINT_OF_SALE);
}

void vSubscribe(FOURCHARID key, BOOLEAN bEveryUpdate)
{
    H_DATABASE_bRegisterForDataWithConditions(key, NAV_MAILBOX, TRUE, FALSE, bEveryUpdate);
}

void vCreateBoolean(FOURCHARID key, BOOLEAN bValue)
{
    H_DATABASE_bUpdateEverythingBoolean(key, bValue, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void vCreateFloat(FOURCHARID key, DATA_TYPE type, TICKS timeout)
{
    H_DATABASE_bUpdateEverythingFloat(key, 0.0f, P_NORMAL, type, nullptr, timeout);
}

void vCheckMinDepthAndSendOffsetRumbrel(void)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    T_NAV_STEVRIN_vCheckForMinDepth(s_tFTCData.pStevrinStructAddr);
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    L_MUTEX_LockWait(RES_NAV_DATA);
    U_STEVRIN_vOffsetFTContour(s_tFTCData.astCtrPoints, (U32)s_tFTCData.nCtrPoints);
    L_MUTEX_Unlock(RES_NAV_DATA);
}

// What the start-up found of the stored items, for whoever reads the log
// after a restart.
void vLogStoredItems(void)
{
    U32 u32Tracks = 0;
    U16 au16Slots[NAV_TRACK_SLOTS];
    T_NAV_vGetTracks(&u32Tracks, au16Slots);
    L_MUTEX_LockWait(RES_NAV_DATA);
    const U16 u16Points = s_CurrentTrack.u16Count;
    L_MUTEX_Unlock(RES_NAV_DATA);
    log_me("stored items: %d waypoints, %d routes, %u tracks; current track %u points",
           (int)T_NAV_TWR_nGetWaypointCount(), (int)T_NAV_TWR_s16GetRouteCount(), (unsigned)u32Tracks,
           (unsigned)u16Points);
}

} // namespace

// ---- Start-up ----

void T_NAV_vInit(void)
{
    s_clkAutoZoom = L_TIMER_Allocate();

    U32 u32Owner = 0;
    H_DATABASE_bUpdateEverythingU32(FCID("TNAV"), NAV_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    if (!H_DATABASE_bFetchU32(FCID("TNAV"), &u32Owner, nullptr, nullptr) || u32Owner != NAV_MAILBOX)
        vFatal(__LINE__, "Somebody else registered the Nav Task Mailbox");

    s_u32NavStartTime = 0;
    s_bUpdateHideStatus.store(TRUE);
    s_fDistTraveled = -1.0f;

    s_pUpdateHideStatusTimer = L_TIMER_Allocate();
    if (s_pUpdateHideStatusTimer == nullptr)
        vFatal(__LINE__, "Could allocate waypoint management hide status timer");

    H_DATABASE_bUpdateEverythingFloat(FCID("IDST"), 0.0f, P_NORMAL, D_DISTANCE, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("IETM"), 0, P_NORMAL, D_TIME, nullptr, DB_TIMEOUT_NEVER);
    vSubscribe(FCID("IPNE"), FALSE);

    L_MUTEX_LockWait(RES_NAV_DATA);
    s_tNavRumbrelData.pRumbrel = nullptr;
    s_tNavRumbrelData.u16wpt = 0xFFFF;
    L_MUTEX_Unlock(RES_NAV_DATA);
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    s_pContourAddr = nullptr;
    s_tFTCData = FTCDATA_STRUCT{};
    s_bInGoToContourMenu = FALSE;
    s_bChartRefreshReqd = FALSE;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);

    vSubscribe(FCID("SCLO"), FALSE);
    vCreateFloat(FCID("IPOT"), D_DISTANCE, 1000);
    L_MUTEX_LockWait(RES_NAV_DATA);
    s_tContourRumbrel.nCount = 0;
    s_tMoveCopyRumbrel.nCount = 0;
    s_tMoveCopyRumbrel.u32Visible = 0;
    L_MUTEX_Unlock(RES_NAV_DATA);
    vCreateFloat(FCID("IPID"), D_FLOAT, DB_TIMEOUT_NEVER);
    vCreateFloat(FCID("IPIO"), D_DISTANCE, DB_TIMEOUT_NEVER);

    T_NAV_vSetDefaultSettings(FALSE);
    T_NAV_ALARM_vInit();
    vSubscribe(FCID("IERD"), FALSE);
    T_NAV_SetupNetworkInterface();
    for (FOURCHARID key : {FCID("CVEW"), FCID("CNDA"), FCID("CVAS"), FCID("SCCP"), FCID("CCST"), FCID("IPEN"),
                           FCID("IPPB"), FCID("SPCO")})
        vSubscribe(key, FALSE);

    vCreateBoolean(FCID("CCNC"), FALSE);
    vCreateBoolean(FCID("SCTV"), TRUE);
    vCreateBoolean(FCID("IARO"), FALSE);
    vCreateBoolean(FCID("IARA"), TRUE);
    vCreateBoolean(FCID("IAZR"), TRUE);
    H_DATABASE_bUpdateValueBoolean(FCID("KZHD"), FALSE, P_NORMAL);
    vSubscribe(FCID("SNHL"), FALSE);

    L_MUTEX_LockWait(RES_NAV_DATA);
    U_NAV_vClearTrack(&s_CurrentTrack);
    s_CurrentRoute = ROUTE{};
    s_CurrentRoute.bRtNotShared = 1;
    T_NAV_vInitTracksWaypointsRoutes();
    L_MUTEX_Unlock(RES_NAV_DATA);

    s_bCursorToWaypointMenuCreated = FALSE;
    vSubscribe(FCID("CLWC"), TRUE);
    vSubscribe(FCID("CLRT"), TRUE);
    H_DATABASE_bUpdateEverythingS32(FCID("CCRT"), -1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    for (FOURCHARID key : {FCID("CCRT"), FCID("IRT0"), FCID("IRT1"), FCID("IRT2"), FCID("IRT3"), FCID("IRT4"),
                           FCID("CSD0"), FCID("CSD1")})
        vSubscribe(key, TRUE);
    H_DATABASE_bUpdateEverythingS32(FCID("CSDE"), -1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    G_NAV_vRegisterChartResources();

    // The module services the rest of the navigation core relies on: the
    // heading the readouts show, the readout boxes, the derived tables and
    // the navigation control's and go-to's hooks into the store.
    H_DATABASE_bUpdateEverythingU32(FCID("BHDG"), FCID("IHDG"), P_NORMAL, D_FCID, &s_apcCourse, DB_TIMEOUT_NEVER);
    T_NAV_INFOBOX_vPublish();
    T_NAV_TWR_vInitialScan();
    T_NAV_vInitNavControl();
    T_NAV_vInitGoTo();
}

BOOLEAN T_NAV_SetupNetworkInterface(void)
{
    if (s_bRegistered)
        return TRUE;
    s_bRegistered = T_NAV_SHARE_bJoin() != FALSE;
    if (s_bRegistered)
        NAV_TASK_STANDIN_vAnnounceNavPeers();
    return s_bRegistered ? TRUE : FALSE;
}

// ---- Mails ----

void T_NAV_vHandleRunSystemMail(void)
{
    T_NAV_vHandleRunSystem();
    if (bSimulationState())
        T_NAV_vInitSimulation();
    L_MUTEX_LockWait(RES_NAV_DATA);
    T_NAV_NVRAM_vScanCurrentTrack(&s_CurrentTrack);
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_TWR_vInitialScan();
    vLogStoredItems();
    NAV_TASK_STANDIN_vTestWalkStart();
    if (s_pUpdateHideStatusTimer != nullptr)
        L_TIMER_Start(s_pUpdateHideStatusTimer, NAV_HIDE_STATUS_FIRST_MS, NAV_HIDE_STATUS_EVERY_MS,
                      SEMA_NAV_HIDE_STATUS);
}

void T_NAV_vHandleResetPos(void)
{
    T_NAV_vSetDefaultSettings(TRUE);
    if (!bSimulationState())
        return;
    L_MUTEX_LockWait(RES_NAV_DATA);
    U_NAV_vClearTrack(&s_CurrentTrack);
    T_NAV_vInitTracksWaypointsRoutes();
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vInitSimulation();
    T_NAV_vResetInteractiveNavSim();
}

void T_NAV_vHandleShutdown(void)
{
    T_NAV_GROUP_vShutdown();
    T_NAV_vUnregisterForAllNetworkData();
}

void T_NAV_vResetInteractiveNavSim(void)
{
    s_bSimulatingSquare = TRUE;
    s_u32IndexInAimpointList = 0;
}

void T_NAV_vHandleMail(MSGHEADER* pMail)
{
    auto* pGeneric = reinterpret_cast<GENERIC_MESSAGE*>(pMail);
    switch (pGeneric->Cmd) {
    case CMD_ID_SHUTDOWN:
        T_NAV_vHandleShutdown();
        break;
    case CMD_ID_NEW_DATA:
        T_NAV_vHandleNewData(reinterpret_cast<MESSAGE_NEW_DATA*>(pMail));
        break;
    case CMD_ID_RESET_POS:
        T_NAV_vHandleResetPos();
        break;
    case CMD_ID_KEY_CHANGE:
        T_NAV_vHandleKeys(reinterpret_cast<MSG_KEY_CHANGE*>(pMail));
        break;
    case CMD_ID_RUN_SYSTEM:
        T_NAV_vHandleRunSystemMail();
        break;
    case CMD_ID_NAV_STEVRIN:
        T_NAV_STEVRIN_vExecuteStevrinCmd(reinterpret_cast<NAV_STEVRIN_DATA_MSG*>(pMail));
        break;
    case CMD_ID_GMSG_RECEIVE:
    case CMD_ID_GMSG_DISCONNECT:
    case CMD_ID_NETWORK_REGISTER_4DATA:
    case CMD_ID_SERVER_MONITOR_TIMEOUT:
        T_NAV_SHARE_bHandleMail(pGeneric);
        break;
    default:
        break;
    }
}

// ---- Semaphores ----

void T_NAV_STEVRIN_vHandleNavTimer(void)
{
    if (s_nOffsetRumbrelTimeout <= 0)
        return;
    if (--s_nOffsetRumbrelTimeout != 0)
        return;
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    const bool bFollowing = s_tFTCData.pStevrinStructAddr != nullptr;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    if (bFollowing)
        vCheckMinDepthAndSendOffsetRumbrel();
}

void T_NAV_vActivateUpdateHideStatus(void) { s_bUpdateHideStatus.store(TRUE); }

BOOLEAN T_NAV_bUpdateHideStatusPending(void) { return s_bUpdateHideStatus.load(); }

BOOLEAN T_NAV_bGPSDetected(void) { return s_b_GPSDetected; }

void T_NAV_vHandleSemaphore(SEMA sema)
{
    switch (sema) {
    case SEMA_TIMER_NAV:
        T_NAV_vHandleUpdateNAVUITimer();
        T_NAV_vHandleUpdateTimer();
        T_NAV_STEVRIN_vHandleNavTimer();
        break;
    case SEMA_NAV_HIDE_STATUS:
        if (s_bUpdateHideStatus.exchange(FALSE))
            T_NAV_GROUP_vCheckWaypointInVisibleGroup();
        // STAND-IN until the service discovery is built: the unit named in
        // ROOT/etc/nav-peer is asked until it answers.
        T_NAV_SHARE_bPoll();
        break;
    case SEMA_KEYBOARD_LONG_GOTO:
        T_NAV_vStartMOB();
        break;
    case SEMA_NAV_GPS_DETECTED:
        T_NAV_vHandleGPSDetected();
        break;
    case SEMA_NAV_AUTO_ZOOM:
        if (s_clkAutoZoom != nullptr)
            H_DATABASE_bUpdateValueBoolean(FCID("IAZR"), TRUE, P_NORMAL);
        break;
    default:
        break;
    }
}

// ---- The task ----

void T_NAV_vMain(void)
{
    T_NAV_vInit();
    for (;;) {
        T_NAV_SetupNetworkInterface();
        // STAND-IN until the service discovery is built: the unit named in
        // ROOT/etc/nav-peer is asked (at most every few seconds) from the
        // start, not only once the system runs.
        T_NAV_SHARE_bPoll();
        const SEMA fired = L_SEMA_WaitMultiple(g_aNavWaitList);
        if (fired != SEMA_NAV_MAILBOX) {
            T_NAV_vHandleSemaphore(fired);
            continue;
        }
        while (MSGHEADER* pMail = L_MBOX_Receive(NAV_MAILBOX)) {
            T_NAV_vHandleMail(pMail);
            H_MEMORY_vDumpMail(pMail);
        }
    }
}
