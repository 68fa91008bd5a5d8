// The client side of sonar sharing: a source shown from another unit's
// server. The network receive task registers with the server (state
// REGISTER); the server's first word completes the connection (CONNECTED);
// its pings are handed to the processing task in free descriptors; a lost
// or left server leaves the source without data (DISCONNECTED) until a
// source is chosen again.
//
// The handlers run in the ping task under mutex 100; the switch to a
// server is also called by the network source menus without it, so it
// takes mutex 100 itself (its owner may take it again).
#include "sonar/ping/t_n_ping_server.h"

#include "gmsg/t_net_standins.h"
#include "gmsg/u_alarm.h"
#include "gmsg/u_server_monitor.h"
#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/l_queue.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_mss.h"
#include "sonar/neighbour_standins.h"
#include "sonar/ping/t_n_ping_codec.h"
#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

#include <atomic>
#include <cstdio>
#include <cstring>

using namespace t_n_ping;

namespace {

// ---- Constants ----

constexpr U32 NO_UNIT = 0xFFFFFFFF;
constexpr U32 TRANSDUCER_360 = 16;
constexpr U32 TRANSDUCER_KV_ONLY_BEAM2 = 15; // beam 2 of this transducer is a 2D beam
constexpr U32 DEPTH_REPORT_EVERY = 11;       // the counter runs 0..10 between reports
constexpr U32 DROP_LOG_EVERY = 100;
constexpr U32 NET_SOURCE_MODEL_360 = 24;
constexpr U32 NET_SOURCE_COLUMN3_360 = 16;
constexpr U32 NET_SOURCE_COLUMN4_360 = 1024;

// ---- State ----

U32 s_u32DepthReportCounter = 0;
std::atomic<U32> s_u32NoDescriptor{0};

// ---- Helpers ----

class ShareLock {
public:
    ShareLock() { L_MUTEX_LockWait(RES_SONAR_SHARE); }
    ~ShareLock() { L_MUTEX_Unlock(RES_SONAR_SHARE); }
    ShareLock(const ShareLock&) = delete;
    ShareLock& operator=(const ShareLock&) = delete;
};

U32 u32SourceBit(U32 s) { return 1u << s; }

void vWriteU32(FOURCHARID fcid, U32 u32Value) { H_DATABASE_bUpdateValueU32(fcid, u32Value, P_NORMAL); }

FOURCHARID fcidTransducerKey(U32 s)
{
    static const FOURCHARID keys[SONAR_SOURCE_COUNT] = {FCID("YST1"), FCID("YST2"), FCID("YST3"), FCID("YST4")};
    return keys[s];
}

void vSetMaskBit(FOURCHARID fcid, U32 s, bool bSet)
{
    const U32 u32Old = u32ReadMask(fcid);
    const U32 u32New = bSet ? (u32Old | u32SourceBit(s)) : (u32Old & ~u32SourceBit(s));
    if (u32New != u32Old)
        vWriteMask(fcid, u32New);
}

U32 u32ServerIp(U32 s)
{
    GMSG_ADDRESS server;
    U_PING_vGetServerAddress(&server, s);
    return server.uAddr.Socket.u32Address;
}

template <typename MAIL>
MAIL* pNewMail(CMD_ID cmd)
{
    auto* pMail = (MAIL*)H_MEMORY_pvMalloc(sizeof(MAIL));
    *pMail = MAIL{};
    pMail->Header.Cmd = cmd;
    return pMail;
}

template <typename MAIL>
void vSend(MBOX mbox, MAIL* pMail)
{
    if (L_MBOX_Send(mbox, &pMail->Header.msghdr, PING_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

U32 u32MssState(void)
{
    U32 u32State = 0;
    H_DATABASE_bFetchU32(FCID("MSSS"), &u32State, nullptr, nullptr);
    return u32State;
}

// Every twelfth ping from a server, this unit tells its servers how deep
// it wants to see.
void vReportDepthsToServers(void)
{
    if (s_u32DepthReportCounter < DEPTH_REPORT_EVERY) {
        ++s_u32DepthReportCounter;
        return;
    }
    s_u32DepthReportCounter = 0;
    sonarPingDepthType depth{};
    depth.fActualDepthToPing = fLocalFindDepthToPing(&depth.fActualDepthToListen);
    if (u32MssState() != 0)
        depth.fActualDepthToListen = depth.fActualDepthToPing;
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s) {
        GMSG_ADDRESS server;
        U_PING_vGetServerAddress(&server, s);
        if (server.uAddr.Socket.u32Address != 0)
            U_GMSG_bSendMsgNoWait(PING_MAILBOX, &server, GMSG_ID_SONAR_PING_DEPTH_DATA, &DT_SONAR_PING_DEPTH, &depth,
                                  0, PING_SEND_TIMEOUT_MS);
    }
}

bool bMailToProcessing(PING_DESCRIPTOR* pDescriptor)
{
    auto* pPing = pNewMail<PING_MESSAGE>(CMD_ID_SONAR_PROCESS_PING);
    pPing->pReturnDescriptor = pDescriptor;
    if (L_MBOX_Send(PROCESS_MAILBOX, &pPing->Header.msghdr, PING_MAIL_PRIORITY, 0) != 0) {
        H_MEMORY_vFree(pPing);
        L_QUEUE_Put(Q_PING, &pDescriptor);
        return false;
    }
    return true;
}

PING_DESCRIPTOR* pFreeDescriptor(void)
{
    PING_DESCRIPTOR* pDescriptor = nullptr;
    if (L_QUEUE_Get(Q_PING, &pDescriptor) != 0 || pDescriptor == nullptr) {
        // A server pings faster than this unit may process: the first of a
        // run of drops is logged, then one in DROP_LOG_EVERY.
        if (s_u32NoDescriptor++ % DROP_LOG_EVERY == 0)
            log_me("T_N_PING_bHandleDataRecieve: Failed to get ping buffer! (%u so far)\n",
                   (unsigned)s_u32NoDescriptor.load());
        return nullptr;
    }
    return pDescriptor;
}

} // namespace

// ---- Choosing a server ----

void T_N_PING_vSwitchToNetworkSonar(U16 u16LocalIndex, U32 u32Transducer, U32 u32Mac)
{
    const U32 s = u16LocalIndex;
    if (s >= SONAR_SOURCE_COUNT)
        return;
    ShareLock lock;
    // Keelview and Flankview come from one receiver: both leave this unit.
    if (s == SONAR_SOURCE_KV || s == SONAR_SOURCE_FV) {
        const U32 u32Local = u32ReadMask(FCID("ELPM"));
        if (u32Local & (ELEMENT_KV | ELEMENT_FV))
            vWriteMask(FCID("ELPM"), u32Local & ~(ELEMENT_KV | ELEMENT_FV));
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, SONAR_SOURCE_KV);
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, SONAR_SOURCE_FV);
    } else {
        vSetMaskBit(FCID("ELPM"), s, false);
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, s);
    }
    T_N_PING_vUpdateSonarSource(u32Mac, (U16)s);
    T_NET_PING_RECEIVE_vUpdateSonarSource(u32Mac, (U16)s);
    switch (s) {
    case SONAR_SOURCE_2D:
        vWriteU32(FCID("YST1"), u32Transducer);
        break;
    case SONAR_SOURCE_KV:
        vWriteU32(FCID("YST2"), u32Transducer);
        vWriteU32(FCID("YST3"), 0);
        vSetMaskBit(FCID("ENPM"), SONAR_SOURCE_KV, true);
        vSetMaskBit(FCID("ENPM"), SONAR_SOURCE_FV, false);
        break;
    case SONAR_SOURCE_FV:
        vWriteU32(FCID("YST3"), u32Transducer);
        vWriteU32(FCID("YST2"), 0);
        vSetMaskBit(FCID("ENPM"), SONAR_SOURCE_FV, true);
        vSetMaskBit(FCID("ENPM"), SONAR_SOURCE_KV, false);
        break;
    default:
        vWriteU32(FCID("YST4"), u32Transducer);
        break;
    }
}

void T_N_PING_vSetConnected(U32 eNetSourceType)
{
    const U32 s = eNetSourceType;
    if (s >= SONAR_SOURCE_COUNT)
        return;
    GMSG_ADDRESS server;
    U_PING_vGetServerAddress(&server, s);
    if (server.uAddr.Socket.u32Address == 0)
        return;
    const U32 u32Transducer =
        T_SLP_CLIENT_u32GetTransducerFromServerIP(server.uAddr.Socket.u32Address, server.uAddr.Socket.u32Port, 0);
    switch (s) {
    case SONAR_SOURCE_2D:
        vWriteU32(FCID("YST1"), u32Transducer);
        break;
    case SONAR_SOURCE_KV:
        vWriteU32(FCID("YST2"), u32Transducer);
        vWriteU32(FCID("YST3"), 0);
        vSetMaskBit(FCID("ELPM"), SONAR_SOURCE_FV, false);
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, SONAR_SOURCE_FV);
        vSetMaskBit(FCID("ENPM"), SONAR_SOURCE_FV, false);
        break;
    case SONAR_SOURCE_FV:
        vWriteU32(FCID("YST3"), u32Transducer);
        vWriteU32(FCID("YST2"), 0);
        vSetMaskBit(FCID("ELPM"), SONAR_SOURCE_KV, false);
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, SONAR_SOURCE_KV);
        vSetMaskBit(FCID("ENPM"), SONAR_SOURCE_KV, false);
        break;
    default:
        vWriteU32(FCID("YST4"), u32Transducer);
        break;
    }
    const S32 s32Monitor = U_PING_s32GetServerMonitorHandle(s);
    U_SERVER_MONITOR_vSetServerAddress(s32Monitor, &server);
    U_SERVER_MONITOR_vSetActive(s32Monitor, TRUE);

    auto* pConnect = pNewMail<NETWORK_SERVER_CONNECT_MESSAGE>(CMD_ID_NETWORK_SERVER_CONNECT_MESSAGE);
    pConnect->sServerAddress = server;
    pConnect->eService = s;
    vSend(SLP_CLIENT_MAILBOX, pConnect);
    U_ALARM_bAddPeer(server);
    U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_CONNECTED, s);
    log_me("[%d]%s: source %u connected to %08X\n", __LINE__, __func__, (unsigned)s,
           (unsigned)server.uAddr.Socket.u32Address);

    vSetMaskBit(FCID("ENPM"), s, true);
    vSetMaskBit(FCID("ELPM"), s, false);
    // A unit without a transducer shows the sonar of a connected server.
    T_N_PING_vSetSonarViewEnable();

    if (s == SONAR_SOURCE_360) {
        const U8* b = reinterpret_cast<const U8*>(&server.uAddr.Socket.u32Address);
        char acName[8];
        snprintf(acName, sizeof acName, "%02X%02X", b[2], b[3]);
        T_ETHERNET_vAddNetSource(acName, NET_SOURCE_MODEL_360, NET_SOURCE_COLUMN3_360, NET_SOURCE_COLUMN4_360,
                                 T_SLP_CLIENT_u32GetSweepingMac(), SONAR_SOURCE_FV, FALSE);
    }
}

BOOLEAN T_N_PING_vUnregisterForNetworkData(U32 u32ServerIP, U32 u32ServerPort, U32 u32SonarSource)
{
    if (u32ServerIP == 0 || u32SonarSource >= SONAR_SOURCE_COUNT)
        return TRUE;
    GMSG_ADDRESS server;
    GMSG_vMakeSocketAddress(&server, u32ServerIP, u32ServerPort);
    sonarRequestDataType request{0, 0, u32SonarSource};
    if (U_GMSG_bSendMsgNoWaitAsync(PING_MAILBOX, &server, GMSG_ID_SONAR_REQUEST_DATA, &DT_SONAR_REQUEST_DATA,
                                   &request, 0, PING_SEND_TIMEOUT_MS))
        log_me("T_N_PING_vUnregisterForNetworkData: U_GMSG_bSendMsgNoWaitAsync OK!\n");
    else
        log_me("T_N_PING_vUnregisterForNetworkData: U_GMSG_bSendMsgNoWaitAsync failed!\n");
    if (u32ServerIp(u32SonarSource) == u32ServerIP) {
        U_ALARM_bRemovePeer(server);
        U_SERVER_MONITOR_vSetActive(U_PING_s32GetServerMonitorHandle(u32SonarSource), FALSE);
        GMSG_ADDRESS none;
        memset(&none, 0, sizeof none);
        U_PING_vSetServerAddress(&none, u32SonarSource);
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, u32SonarSource);
    }
    return TRUE;
}

namespace t_n_ping {

BOOLEAN T_N_PING_bUnregisterForAllNetworkData(void)
{
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s) {
        GMSG_ADDRESS server;
        U_PING_vGetServerAddress(&server, s);
        if (server.uAddr.Socket.u32Address != 0)
            T_N_PING_vUnregisterForNetworkData(server.uAddr.Socket.u32Address, server.uAddr.Socket.u32Port, s);
    }
    return TRUE;
}

} // namespace t_n_ping

// ---- A peer gone ----

BOOLEAN T_N_PING_bHandlePeerDisconnect(const MSG_GMSG_DISCONNECT* pMsg, BOOLEAN bCauseServerMonitorTimeout)
{
    if (pMsg == nullptr)
        return FALSE;
    ShareLock lock;
    const GMSG_ADDRESS lost = pMsg->Address;
    const U32 u32Ip = lost.uAddr.Socket.u32Address;
    log_me("[%d]%s: connection lost! address %x bCauseServerMonitorTimeout = %d\n", __LINE__, __func__,
           (unsigned)u32Ip, (int)bCauseServerMonitorTimeout);
    static const U32 au32Dialog[SONAR_SOURCE_COUNT] = {DIA_SONAR_2D_SOURCE_LOST, DIA_SONAR_KV_SOURCE_LOST,
                                                       DIA_SONAR_FV_SOURCE_LOST, DIA_SONAR_360_SOURCE_LOST};
    bool bAnyLost = false;
    for (U32 s = 0; s < SONAR_SOURCE_COUNT && u32Ip != 0; ++s) {
        const NETWORK_CLIENT_STATE eState = U_PING_eGetNetworkClientState(s);
        if ((u32ReadMask(FCID("ENPM")) & u32SourceBit(s)) == 0 || u32ServerIp(s) != u32Ip ||
            (eState != NETWORK_CLIENT_STATE_CONNECTED && eState != NETWORK_CLIENT_STATE_REGISTER))
            continue;
        bAnyLost = true;
        GMSG_ADDRESS server;
        U_PING_vGetServerAddress(&server, s);
        auto* pLost = pNewMail<NETWORK_SERVER_CONNECTION_LOST_MESSAGE>(CMD_ID_NETWORK_SERVER_CONNECTION_LOST_MESSAGE);
        pLost->u32SourceEnum = au32Dialog[s];
        pLost->sServerAddress = server;
        pLost->eConnectionLostReason = bCauseServerMonitorTimeout ? CONNECTION_LOST_TIMEOUT : CONNECTION_LOST_DISCONNECT;
        log_me("[%d]%s: sonar source %u lost its server %08X, reason %u, dialog %u\n", __LINE__, __func__,
               (unsigned)s, (unsigned)u32Ip, (unsigned)pLost->eConnectionLostReason, (unsigned)pLost->u32SourceEnum);
        vSend(SLP_CLIENT_MAILBOX, pLost);
        if (s == SONAR_SOURCE_360) {
            vWriteU32(FCID("IMSS"), 0);
            vMenuPPIDisplay(FALSE);
            vMenuSweepingSonarSettings(FALSE);
            U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, s);
        }
        T_N_PING_vUnregisterForNetworkData(u32Ip, server.uAddr.Socket.u32Port, s);

        auto* pLeave = pNewMail<MSG_SUDP_IN_REGISTER>(CMD_ID_SUDP_IN_REGISTER);
        pLeave->doRegister = 0;
        pLeave->port = PING_MULTICAST_PORT_2D;
        pLeave->mailBox = NET_PING_RECEIVE_MAILBOX;
        pLeave->isRaw = 1;
        pLeave->isMultiPacket = 1;
        const U8* b = reinterpret_cast<const U8*>(&u32Ip);
        snprintf(pLeave->mcastAddress, sizeof pLeave->mcastAddress, "239.0.%u.%u", b[2], b[3]);
        vSend(SUDP_IN_MBOX, pLeave);

        T_N_PING_vUpdateSonarSource(NO_UNIT, (U16)s);
        vSetMaskBit(FCID("ENPM"), s, false);
        vWriteU32(fcidTransducerKey(s), 0);
        if (s == SONAR_SOURCE_360)
            break;
    }
    // Whether the sonar is shown follows the connected sources.
    if (bAnyLost)
        T_N_PING_vSetSonarViewEnable();
    if (bCauseServerMonitorTimeout && bAnyLost) {
        U_GMSG_bDisconnect(PING_MAILBOX, &lost);
        return TRUE;
    }
    T_N_PING_vHandleLostClient(&lost);
    return TRUE;
}

// ---- Pings and transducer changes from a server ----

BOOLEAN T_N_PING_bHandOnNetworkPing(const PING_DESCRIPTOR* pReceived)
{
    if (pReceived == nullptr || U_PING_eGetSystemState() == STATE_PLAYBACK)
        return FALSE;
    PING_DESCRIPTOR* pDescriptor = pFreeDescriptor();
    if (pDescriptor == nullptr)
        return FALSE;
    U8* pu8Raw = pDescriptor->pu8RawSonarData;
    U8* pu8Tvgd = pDescriptor->pu8TvgdData;
    *pDescriptor = *pReceived;
    pDescriptor->pu8RawSonarData = pu8Raw;
    pDescriptor->pu8TvgdData = pu8Tvgd;
    pDescriptor->SimulatedFishList = FISH_TARGET_LIST{};
    pDescriptor->bIsLocal = FALSE;
    if (pDescriptor->u32NumberOfSamples > PING_MAX_SAMPLES)
        pDescriptor->u32NumberOfSamples = PING_MAX_SAMPLES;
    if (pDescriptor->u32NumberOfSamples > 0 && pReceived->pu8RawSonarData != nullptr)
        memcpy(pu8Raw, pReceived->pu8RawSonarData, pDescriptor->u32NumberOfSamples);
    else
        pDescriptor->u32NumberOfSamples = 0;
    return bMailToProcessing(pDescriptor) ? TRUE : FALSE;
}

BOOLEAN T_N_PING_bHandOnMulticastPing(const U8* pu8Message, U32 u32Length)
{
    if (U_PING_eGetSystemState() == STATE_PLAYBACK)
        return FALSE;
    PING_DESCRIPTOR* pDescriptor = pFreeDescriptor();
    if (pDescriptor == nullptr)
        return FALSE;
    if (T_N_PING_CODEC_eDecodeMulticast(pu8Message, u32Length, pDescriptor) == PING_CODEC_SHORT) {
        L_QUEUE_Put(Q_PING, &pDescriptor);
        return FALSE;
    }
    pDescriptor->SimulatedFishList = FISH_TARGET_LIST{};
    pDescriptor->bIsLocal = FALSE;
    return bMailToProcessing(pDescriptor) ? TRUE : FALSE;
}

U32 T_N_PING_u32NetworkPingsWithoutDescriptor(void) { return s_u32NoDescriptor; }

BOOLEAN T_N_PING_bHandleDataRecieve(MBOX, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* pPing = (const PING_DESCRIPTOR*)pMsgInfo->pStructMsg;
    if (pPing == nullptr)
        return TRUE;
    ShareLock lock;
    const bool bImaging = (pPing->Beam == 2 || pPing->Beam == 3) &&
                          !(pPing->Beam == 2 && pPing->u8Transducer == TRANSDUCER_KV_ONLY_BEAM2);
    const U32 s = bImaging ? SONAR_SOURCE_KV : SONAR_SOURCE_2D;
    if (U_PING_eGetNetworkClientState(s) == NETWORK_CLIENT_STATE_REGISTER)
        T_N_PING_vSetConnected(s);
    if (U_PING_eGetNetworkClientState(s) == NETWORK_CLIENT_STATE_CONNECTED) {
        U_SERVER_MONITOR_vReceivedMessage(U_PING_s32GetServerMonitorHandle(s));
        vReportDepthsToServers();
    }
    T_N_PING_bHandOnNetworkPing(pPing);
    return TRUE;
}

BOOLEAN T_N_PING_bHandleTransducerChange(MBOX, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* pChange = (const sonarTransducerChangeType*)pMsgInfo->pStructMsg;
    if (pChange == nullptr || pMsgInfo->pMsgHeader == nullptr)
        return TRUE;
    ShareLock lock;
    const U32 u32Ip = pMsgInfo->pMsgHeader->SrcAddress.uAddr.Socket.u32Address;
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s) {
        if ((u32ReadMask(FCID("ENPM")) & u32SourceBit(s)) == 0 || u32Ip == 0 || u32ServerIp(s) != u32Ip)
            continue;
        if (U_PING_eGetNetworkClientState(s) == NETWORK_CLIENT_STATE_REGISTER)
            T_N_PING_vSetConnected(s);
        vWriteU32(fcidTransducerKey(s), pChange->u32TransducerId);
        if (s == SONAR_SOURCE_360)
            break;
    }
    return TRUE;
}
