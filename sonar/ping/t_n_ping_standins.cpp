// Stand-ins of the sharing sends (see the header).
#include "sonar/ping/t_n_ping_standins.h"

#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

#include <mutex>

namespace {

std::mutex s_recordLock;
T_N_PING_STANDIN_RECORD s_record = {0};

void vNoteSend()
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    s_record.u32NetworkSends++;
}

} // namespace

namespace t_n_ping {

BOOLEAN T_N_PING_bControlChangeSend(FOURCHARID, U32, U32, const GMSG_ADDRESS*)
{
    vNoteSend();
    return TRUE;
}

void T_N_PING_vSendTransducerChange(U32) { vNoteSend(); }

BOOLEAN T_N_PING_bUnregisterForAllNetworkData(void)
{
    vNoteSend();
    return TRUE;
}

BOOLEAN T_N_PING_bSendToNetworkDestinations(NET_SOURCE_TYPE, networkSonarProcessType, PING_DESCRIPTOR*)
{
    return FALSE;
}

} // namespace t_n_ping

T_N_PING_STANDIN_RECORD T_N_PING_STANDIN_tRecord(void)
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    return s_record;
}

void T_N_PING_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(s_recordLock);
    s_record = {0};
}
