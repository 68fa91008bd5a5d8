// Navigation data requests and the contour-following state (see the header).
#include "nav/core/t_nav_requests.h"
#include "nav/core/t_nav_mob.h"

#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_stevrin.h"

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_bulk.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"

#include <cstring>

#define NAV_REQUESTS_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Export_Nav_Data_Question = NAV_REQUESTS_ALL_LANGUAGES(
    "Save tracks, waypoints and routes to MMC/SD, overwriting ALL tracks, waypoints and routes on the MMC/SD card.");
TEXT_TABLE Delete_All_Nav_Data_Question = NAV_REQUESTS_ALL_LANGUAGES("Delete All Saved Tracks and Waypoints");
TEXT_TABLE Nav_Data_In_Use_Note = NAV_REQUESTS_ALL_LANGUAGES(
    "Some navigation data is being used for navigation and cannot be deleted.  Delete all has been canceled.");

namespace {

constexpr PRIORITY CARD_MAIL_PRIORITY = 3;
constexpr TICKS BUSY_NOTICE_MS = 1000;

const char* pcText(const TEXT_TABLE* pText)
{
    const char* pc = (*pText)[nCurrentLanguage()];
    return pc != nullptr ? pc : "";
}

void vClick(BOOLEAN bGood)
{
    L_SEMA_Signal(bGood ? SEMA_KEYCLICK_GOOD : SEMA_KEYCLICK_BAD);
}

// The card task's command, when it has published its mailbox.
void vMailCardTask(CMD_ID cmd)
{
    U32 u32Mbox = 0;
    if (!H_DATABASE_bFetchU32(FCID("TMMC"), &u32Mbox, nullptr, nullptr))
        return;
    auto* pMail = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    if (pMail == nullptr)
        return;
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->Cmd = cmd;
    if (L_MBOX_Send((MBOX)u32Mbox, &pMail->msghdr, CARD_MAIL_PRIORITY, 0) != 0) {
        log_me("%s: card mail %d refused by mailbox %u", __FILE_NAME__, (int)cmd, (unsigned)u32Mbox);
        H_MEMORY_vFree(pMail);
    }
}

// Names of new items count from the start again.
void vResetNamingCounters(void)
{
    H_DATABASE_bUpdateEverythingS32(FCID("SGID"), 1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("SWCN"), 1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("SRCN"), 1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("SWID"), 0, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

BOOLEAN bMotorFollowsContour(void)
{
    U32 u32Mode = 0;
    return H_DATABASE_bFetchU32(FCID("IPMD"), &u32Mode, nullptr, nullptr) && u32Mode == STEVRIN_CONTOUR_MODE;
}

} // namespace

// Requests ----------------------------------------------------------------------

void T_NAV_vExportSelectNavData(void)
{
    T_NAV_CONF_vRemoveAllMatching(pcText(&Export_Nav_Data_Question));
    vMailCardTask(CMD_ID_EXPORT_SELECTED_NAV_DATA);
    vClick(TRUE);
}

void T_NAV_vExportAllNavData(void)
{
    T_NAV_CONF_vSetup(pcText(&Export_Nav_Data_Question), T_NAV_vDoExportAllNavData, nullptr);
    vClick(TRUE);
}

void T_NAV_vDeleteAllNavData(void)
{
    vResetNamingCounters();
    U32 u32Inip = 0;
    const BOOLEAN bNavigating = H_DATABASE_bFetchU32(FCID("INIP"), &u32Inip, nullptr, nullptr) && u32Inip != 0;
    if (bNavigating || U_NAV_STEVRIN_bIsRumbrelNavActive()) {
        T_NAV_vSetNavUINote(&Nav_Data_In_Use_Note, nullptr, FALSE);
        vClick(FALSE);
        return;
    }
    T_NAV_CONF_vSetup(pcText(&Delete_All_Nav_Data_Question), T_NAV_vDoDeleteAllNavData, nullptr);
    vClick(TRUE);
}

void T_NAV_vDoExportAllNavData(void)
{
    T_NAV_CONF_vRemoveAllMatching(pcText(&Export_Nav_Data_Question));
    vMailCardTask(CMD_ID_EXPORT_NAV_DATA);
    vClick(TRUE);
}

void T_NAV_vDoDeleteAllNavData(void)
{
    vResetNamingCounters();
    T_NAV_vStartBusy();
    L_CLOCK_Sleep(BUSY_NOTICE_MS);
    T_NAV_vDeleteAllTracksWaypointsRoutes(FALSE);
    T_NAV_vStopBusy();
    vClick(TRUE);
}

// Contour following ---------------------------------------------------------------

RUMBREL* T_NAV_STEVRIN_vGetRecordedRumbrel(void)
{
    return s_tNavRumbrelData.pRumbrel;
}

BOOLEAN T_NAV_STEVRIN_bIsDorrimFTCActive(void)
{
    return bMotorFollowsContour() || s_pContourAddr != nullptr;
}

void T_NAV_STEVRIN_vOnDorrimCardOpen(void)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    L_MUTEX_LockWait(RES_NAV_DATA);
    if (s_pContourAddr != nullptr && !s_bInGoToContourMenu)
        U_MENU_vClearMenus();
    s_pContourAddr = nullptr;
    if (s_tFTCData.pStevrinStructAddr != nullptr && bMotorFollowsContour()) {
        T_CHART_vSetStevrinPath(sMapfoldStevrinPath);
        DORRIMStevrinClear(s_tFTCData.pStevrinStructAddr);
        U_STEVRIN_vStopGoto();
        s_tFTCData.pStevrinStructAddr = nullptr;
        s_tContourRumbrel.nCount = 0;
        s_tContourRumbrel.u32Visible = 0;
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
}
