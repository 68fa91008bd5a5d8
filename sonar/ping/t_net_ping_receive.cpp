// STAND-IN of the network receive task (see the header). Goes when the
// networking subsystem brings the real one.
#include "sonar/ping/t_net_ping_receive.h"

#include "gmsg/t_net_standins.h"
#include "gmsg/u_server_monitor.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_root.h"
#include "kernel/lm_log.h"
#include "sonar/ping/t_n_ping_codec.h"
#include "sonar/ping/t_n_ping_server.h"
#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstring>

using namespace t_n_ping;

namespace {

// ---- Constants ----

constexpr TICKS WAIT_MS = 250;
constexpr TICKS RETRY_MS = 3000;
constexpr U32 UNIT_ID_BITS = 0xFFFFFF;
constexpr U32 REPORT_EVERY = 100; // pings handed on between two progress lines
const FOURCHARID s_aSourceKey[SONAR_SOURCE_COUNT] = {FCID("SN2D"), FCID("SNDI"), FCID("SNSI"), FCID("S360")};
constexpr U8 GROUP_K[SONAR_SOURCE_COUNT] = {0, 2, 2, 4};

struct SERVER_CHOICE {
    U32 u32Address; // IPv4, network order
    U32 u32Source;
    U32 u32Transducer;
};

// ---- Helpers ----

bool bReadChoice(SERVER_CHOICE* pChoice)
{
    char acPath[512];
    L_ROOT_pcResolve("/etc/sonar-server", acPath, sizeof acPath);
    FILE* f = fopen(acPath, "r");
    if (f == nullptr)
        return false;
    char acAddress[64] = {0};
    unsigned source = 0, transducer = 0;
    const int n = fscanf(f, "%63s %u %u", acAddress, &source, &transducer);
    fclose(f);
    struct in_addr a;
    if (n < 2 || inet_pton(AF_INET, acAddress, &a) != 1 || a.s_addr == 0 || source >= SONAR_SOURCE_COUNT) {
        log_me("[%d]%s: etc/sonar-server is not \"address source [transducer]\"\n", __LINE__, __func__);
        return false;
    }
    *pChoice = SERVER_CHOICE{a.s_addr, source, n >= 3 ? transducer : 0};
    return true;
}

S32 s32SourceOfKey(U32 u32Key)
{
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
        if (s_aSourceKey[s] == u32Key)
            return (S32)s;
    return -1;
}

U32 u32MulticastPort(U32 s)
{
    return s == SONAR_SOURCE_2D    ? PING_MULTICAST_PORT_2D
           : s == SONAR_SOURCE_360 ? PING_MULTICAST_PORT_360
                                   : PING_MULTICAST_PORT_IMAGING;
}

void vJoinGroup(const SERVER_CHOICE& c)
{
    auto* pMail = (MSG_SUDP_IN_REGISTER*)H_MEMORY_pvMalloc(sizeof(MSG_SUDP_IN_REGISTER));
    *pMail = MSG_SUDP_IN_REGISTER{};
    pMail->Header.Cmd = CMD_ID_SUDP_IN_REGISTER;
    pMail->doRegister = 1;
    pMail->port = u32MulticastPort(c.u32Source);
    pMail->mailBox = NET_PING_RECEIVE_MAILBOX;
    pMail->isRaw = 1;
    pMail->isMultiPacket = 1;
    const U8* b = reinterpret_cast<const U8*>(&c.u32Address);
    snprintf(pMail->mcastAddress, sizeof pMail->mcastAddress, "239.%u.%u.%u", GROUP_K[c.u32Source], b[2], b[3]);
    if (L_MBOX_Send(SUDP_IN_MBOX, &pMail->Header.msghdr, PING_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

void vAskPingTaskToRegister(const SERVER_CHOICE& c)
{
    auto* pMail = (NETWORK_REGISTER_4DATA_MESSAGE*)H_MEMORY_pvMalloc(sizeof(NETWORK_REGISTER_4DATA_MESSAGE));
    *pMail = NETWORK_REGISTER_4DATA_MESSAGE{};
    pMail->Header.Cmd = CMD_ID_NETWORK_REGISTER_4DATA;
    pMail->bRegister = TRUE;
    pMail->u32ServerAddress = c.u32Address;
    pMail->u32Port = PING_SERVICE_PORT;
    pMail->u32UserData = s_aSourceKey[c.u32Source];
    if (L_MBOX_Send(PING_MAILBOX, &pMail->Header.msghdr, PING_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

// The server's unit id as the source choice sees it: any id but this unit's.
U32 u32ServerUnitId(U32 u32Address)
{
    U32 u32Id = ntohl(u32Address) & UNIT_ID_BITS;
    U32 u32Own = 0;
    if (H_DATABASE_bFetchU32(FCID("SMAC"), &u32Own, nullptr, nullptr) && (u32Own & UNIT_ID_BITS) == u32Id)
        u32Id ^= 1;
    return u32Id;
}

void vHandleDatagram(const SERVER_CHOICE* pChoice, MSG_GMSG_NEW_MESSAGE_EXT* pMail)
{
    if (pChoice != nullptr && pMail->cpMessageBody != nullptr) {
        L_MUTEX_LockWait(RES_SONAR_SHARE);
        const NETWORK_CLIENT_STATE eState = U_PING_eGetNetworkClientState(pChoice->u32Source);
        // Only the server this unit chose is shown.
        if (eState == NETWORK_CLIENT_STATE_CONNECTED || eState == NETWORK_CLIENT_STATE_REGISTER) {
            if (eState == NETWORK_CLIENT_STATE_CONNECTED)
                U_SERVER_MONITOR_vReceivedMessage(U_PING_s32GetServerMonitorHandle(pChoice->u32Source));
            static U32 s_u32HandedOn = 0;
            if (T_N_PING_bHandOnMulticastPing((const U8*)pMail->cpMessageBody, pMail->u32MessageLength) &&
                ++s_u32HandedOn % REPORT_EVERY == 0) {
                float fDepth = 0.0f;
                H_DATABASE_bFetchFloat(FCID("IDEP"), &fDepth, nullptr, nullptr);
                log_me("[%d]%s: %u pings from the server handed on, depth %.1f m\n", __LINE__, __func__,
                       (unsigned)s_u32HandedOn, (double)fDepth);
            }
        }
        L_MUTEX_Unlock(RES_SONAR_SHARE);
    }
    T_SUDP_IN_vRelease(pMail);
}

} // namespace

BOOLEAN T_NET_PING_RECEIVE_bHandleServerConnection(const NETWORK_REGISTER_4DATA_MESSAGE* pMsg)
{
    if (pMsg == nullptr)
        return FALSE;
    const S32 s32Source = s32SourceOfKey(pMsg->u32UserData);
    if (s32Source < 0)
        return FALSE;
    const U32 s = (U32)s32Source;
    GMSG_ADDRESS server;
    GMSG_vMakeSocketAddress(&server, pMsg->u32ServerAddress, pMsg->u32Port);
    if (!pMsg->bRegister)
        return T_N_PING_vUnregisterForNetworkData(pMsg->u32ServerAddress, pMsg->u32Port, s);
    U_PING_vSetServerAddress(&server, s);
    U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_REGISTER, s);
    sonarRequestDataType request{1, PING_CLIENT_SAMPLE_LIMIT, s};
    if (!U_GMSG_bSendMsgNoWaitAsync(PING_MAILBOX, &server, GMSG_ID_SONAR_REQUEST_DATA, &DT_SONAR_REQUEST_DATA, &request,
                                    0, PING_SEND_TIMEOUT_MS)) {
        GMSG_ADDRESS none;
        memset(&none, 0, sizeof none);
        U_PING_vSetServerAddress(&none, s);
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, s);
        return FALSE;
    }
    return TRUE;
}

void T_NET_PING_RECEIVE_vMain(void)
{
    SERVER_CHOICE choice{};
    const bool bChosen = bReadChoice(&choice);
    bool bSwitched = false;
    TICKS lastAttempt = 0;
    bool bAttempted = false;
    for (;;) {
        U_SERVER_MONITOR_vCheckForTimeouts();
        if (bChosen) {
            // The ping task has its service and has chosen its sources once.
            const bool bReady = U_GMSG_bGetMailboxAddress(nullptr, PING_MAILBOX) &&
                                U_PING_eGetNetworkClientState(choice.u32Source) != NETWORK_CLIENT_STATE_INIT;
            if (bReady && !bSwitched) {
                T_N_PING_vSwitchToNetworkSonar((U16)choice.u32Source, choice.u32Transducer,
                                               u32ServerUnitId(choice.u32Address));
                vJoinGroup(choice);
                bSwitched = true;
            }
            const TICKS now = (TICKS)L_CLOCK_qwGetTimeInTicks();
            if (bSwitched && U_PING_eGetNetworkClientState(choice.u32Source) == NETWORK_CLIENT_STATE_DISCONNECTED &&
                (!bAttempted || now - lastAttempt >= RETRY_MS)) {
                bAttempted = true;
                lastAttempt = now;
                vJoinGroup(choice);
                vAskPingTaskToRegister(choice);
            }
        }
        MSGHEADER* pMail = L_MBOX_ReceiveWaitTicks(NET_PING_RECEIVE_MAILBOX, WAIT_MS);
        while (pMail != nullptr) {
            auto* pGeneric = (GENERIC_MESSAGE*)pMail;
            if (pGeneric->Cmd == CMD_ID_GMSG_NEW_MESSAGE_EXT)
                vHandleDatagram(bChosen ? &choice : nullptr, (MSG_GMSG_NEW_MESSAGE_EXT*)pMail);
            H_MEMORY_vFree(pMail);
            pMail = L_MBOX_Receive(NET_PING_RECEIVE_MAILBOX);
        }
    }
}
