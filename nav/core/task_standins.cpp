#include "nav/core/chart_menu_standins.h"
#include "nav/core/task_standins.h"

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_share.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/lm_log.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"

#include <arpa/inet.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex s_lock;
std::vector<std::string>& calls(void)
{
    static std::vector<std::string>* const p = new std::vector<std::string>;
    return *p;
}

void vRecord(std::string s)
{
    std::lock_guard<std::mutex> guard(s_lock);
    calls().push_back(std::move(s));
}

std::atomic<BOOLEAN> s_bChartCardOpen{FALSE};
std::atomic<bool> s_bPeersAnnounced{false};

} // namespace

void T_NAV_vHandleUpdateNAVUITimer(void) {}

void T_NAV_GROUP_vCheckWaypointInVisibleGroup(void) { vRecord("hide-status"); }

void T_NAV_EDIT_vResetState(void) { vRecord("edit-reset"); }

void T_NAV_GROUP_vSetWaypointVisible(U16 u16Id) { vRecord("visible " + std::to_string(u16Id)); }

void T_NAV_GROUP_vSetCurrentHighlight(U16 u16Id) { vRecord("highlight " + std::to_string(u16Id)); }

void T_NAV_GROUP_vRefreshDirectory(void) { vRecord("refresh"); }

BOOLEAN T_NAV_GROUP_bIsOpen(void) { return FALSE; }

void T_NAV_GROUP_vShutdown(void) { vRecord("group-shutdown"); }

BOOLEAN T_NAV_GROUP_bHandleKeys(const MSG_KEY_CHANGE*) { return FALSE; }
BOOLEAN T_NAV_EDIT_bHandleKeys(const MSG_KEY_CHANGE*) { return FALSE; }
BOOLEAN T_NAV_INFO_bHandleKeys(const MSG_KEY_CHANGE*) { return FALSE; }

BOOLEAN T_NAV_EDIT_bSelectTWRPointSetup(NAV_POINT_SELECTED*, void*, const char* pcTitle, U32, U32)
{
    vRecord(std::string("select-point ") + (pcTitle != nullptr ? pcTitle : ""));
    return TRUE;
}

void T_NAV_GROUP_vSelectWaypointIconForMark(void) { vRecord("icon-dialog"); }

BOOLEAN U_CHART_GENERIC_bIsChartCardOpen(void) { return s_bChartCardOpen.load(); }

void NAV_TASK_STANDIN_vSetChartCardOpen(BOOLEAN bOpen) { s_bChartCardOpen.store(bOpen); }

void T_CHART_vChartDeclutterHandleZoom(void) { vRecord("declutter-zoom"); }

S32 T_CHART_nGetFTCPaths(char (*)[9], S32) { return 0; }

void U_CHART_GENERIC_vDORRIMStevrinInit(void** ppContour, double, double, S32, float, char* pcPickText, S32*, S32*,
                                        S32*, S32*)
{
    if (ppContour != nullptr)
        *ppContour = nullptr;
    if (pcPickText != nullptr)
        pcPickText[0] = '\0';
}

void NAV_TASK_STANDIN_vAnnounceNavPeers(void)
{
    const char* pcPeers = getenv("VONDREL_NAV_PEERS");
    if (pcPeers == nullptr || s_bPeersAnnounced.exchange(true))
        return;
    std::string list(pcPeers);
    for (char& c : list)
        if (c == ',')
            c = ' ';
    size_t pos = 0;
    while (pos < list.size()) {
        const size_t end = std::min(list.find(' ', pos), list.size());
        const std::string one = list.substr(pos, end - pos);
        pos = end + 1;
        struct in_addr a;
        if (one.empty() || inet_pton(AF_INET, one.c_str(), &a) != 1)
            continue;
        auto* pMail = static_cast<NAV_REGISTER_4DATA_MESSAGE*>(H_MEMORY_pvMallocNoWait(sizeof(NAV_REGISTER_4DATA_MESSAGE)));
        if (pMail == nullptr)
            return;
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->Header.Cmd = CMD_ID_NETWORK_REGISTER_4DATA;
        pMail->bRegister = TRUE;
        pMail->u32ServerAddress = a.s_addr;
        pMail->u32Port = NAV_SERVICE_PORT;
        if (L_MBOX_Send(NAV_MAILBOX, &pMail->Header.msghdr, 3, 0) != 0)
            H_MEMORY_vFree(pMail);
        else
            log_me("stand-in: announced the waypoint service of %s", one.c_str());
    }
}

namespace {

constexpr U32 CCST_NORMAL_RUN = 3;

bool bWalkNow(void)
{
    static const char* const pcWalk = getenv("VONDREL_NAV_TEST_WALK");
    U32 u32State = 0;
    return pcWalk != nullptr && H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr) &&
           u32State == CCST_NORMAL_RUN;
}

} // namespace

void NAV_TASK_STANDIN_vTestWalkStart(void)
{
    constexpr SEMA SEMA_GPS_DETECTED = 111;
    if (!bWalkNow())
        return;
    log_me("stand-in: test walk, a receiver is there");
    L_SEMA_Signal(SEMA_GPS_DETECTED);
}

void NAV_TASK_STANDIN_vTestWalk(void)
{
    static U32 s_u32Step = 0; // the navigation task's alone
    constexpr S32 START_X = -9346000;
    constexpr S32 START_Y = 4070000;
    if (!bWalkNow())
        return;
    const S32 s32Metres = atoi(getenv("VONDREL_NAV_TEST_WALK"));
    S32 s32X = START_X;
    S32 s32Y = START_Y;
    BOOLEAN bValid = FALSE;
    S32 s32Held = 0;
    if (H_DATABASE_bFetchS32(FCID("ILAT"), &s32Held, &bValid, nullptr) && bValid && s32Held != 0) {
        s32Y = s32Held;
        H_DATABASE_bFetchS32(FCID("ILON"), &s32X, nullptr, nullptr);
    }
    s32Y += s32Metres;
    H_DATABASE_bUpdateEverythingS32(FCID("ILAT"), s32Y, P_NORMAL, D_POSITION_LAT_MM, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("ILON"), s32X, P_NORMAL, D_POSITION_LON_MM, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("IPFI"), 2, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    log_me("stand-in: test walk step %u at %d, %d", (unsigned)++s_u32Step, (int)s32X, (int)s32Y);
}

std::vector<std::string> NAV_TASK_STANDIN_vCalls(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    return calls();
}

void NAV_TASK_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    calls().clear();
    s_bChartCardOpen.store(FALSE);
}
