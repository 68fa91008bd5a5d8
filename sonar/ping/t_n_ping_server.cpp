// The sonar service of mailbox 8 and the server side of sonar sharing:
// clients register for a source, get its settings, receive its pings as
// multicast, keep the settings of the source in step with this unit, and
// are forgotten when they unregister, their connection drops or twelve
// sends to them fail in a row.
//
// A client stands in the destination table (one entry per registration,
// its user data a handle of its record here) and in the client list of
// each source it wants; "ECPM" has a bit for each source some client wants.
// Everything runs in the ping task under mutex 100.
#include "sonar/ping/t_n_ping_server.h"

#include "gmsg/t_ethernet_standin.h"
#include "gmsg/t_net_standins.h"
#include "gmsg/u_alarm.h"
#include "gmsg/u_networkdest.h"
#include "gmsg/u_server_monitor.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/ping/t_n_ping_codec.h"
#include "sonar/ping/t_net_ping_receive.h"
#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

#include <atomic>
#include <cmath>
#include <cstring>

using namespace t_n_ping;

namespace {

// ---- Constants ----

constexpr U32 NO_HANDLE = 0;
constexpr U32 UNIT_DEPTH_METRES = 10; // UNIT_TYPE of "SUDP": 10 m, 11 ft, 12 fathoms
constexpr U32 UNIT_DEPTH_FEET = 11;
constexpr U32 UNIT_DEPTH_LAST = 12;
constexpr U64 SETUP_RETRY_MS = 1000;

// ---- State (the ping task, under mutex 100) ----

perClientDataType s_aClientData[NETWORKDEST_SLOTS];
bool s_abClientDataUsed[NETWORKDEST_SLOTS];
bool s_bClientLost = false;
bool s_bSyncLocalSideRange = false;
bool s_bNetworkReady = false;
// Read by the director in the playback task too.
std::atomic<U32> s_au32Group[SONAR_SOURCE_COUNT] = {0, 0, 0, 0};

// ---- Helpers ----

U32 u32SourceBit(U32 s) { return 1u << s; }

U32 u32SenderIp(const GMSG_INFO* pMsgInfo)
{
    return pMsgInfo && pMsgInfo->pMsgHeader ? pMsgInfo->pMsgHeader->SrcAddress.uAddr.Socket.u32Address : 0;
}

GMSG_ADDRESS clientAddress(U32 u32Ip)
{
    GMSG_ADDRESS a;
    GMSG_vMakeSocketAddress(&a, u32Ip, PING_SERVICE_PORT);
    return a;
}

U32 u32NewClientData(U32 u32Limit)
{
    for (U32 i = 0; i < NETWORKDEST_SLOTS; ++i)
        if (!s_abClientDataUsed[i]) {
            s_abClientDataUsed[i] = true;
            s_aClientData[i] = perClientDataType{u32Limit, 0};
            return i + 1;
        }
    return NO_HANDLE;
}

perClientDataType* pClientData(U32 u32Handle)
{
    if (u32Handle == NO_HANDLE || u32Handle > NETWORKDEST_SLOTS || !s_abClientDataUsed[u32Handle - 1])
        return nullptr;
    return &s_aClientData[u32Handle - 1];
}

void vFreeClientData(U32 u32Handle)
{
    if (pClientData(u32Handle) != nullptr)
        s_abClientDataUsed[u32Handle - 1] = false;
}

bool bInList(const sonarRegisteredClientNode* p, U32 u32Ip)
{
    for (; p != nullptr; p = p->next)
        if (p->u32ClientAddress == u32Ip)
            return true;
    return false;
}

// The sender is a client of a source that clients want ("ECPM").
bool bIsActiveClient(U32 u32Ip)
{
    const U32 u32Clients = u32ReadMask(FCID("ECPM"));
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
        if ((u32Clients & u32SourceBit(s)) && bInList(sonarSourcesArray[s], u32Ip))
            return true;
    return false;
}

bool bIsServerOf(U32 s, U32 u32Ip)
{
    GMSG_ADDRESS server;
    U_PING_vGetServerAddress(&server, s);
    return u32Ip != 0 && server.uAddr.Socket.u32Address == u32Ip;
}

bool bIsAnyServer(U32 u32Ip)
{
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
        if (bIsServerOf(s, u32Ip))
            return true;
    return false;
}

const FCID_TRANSLATE_TYPE* pFindRow(FOURCHARID fcid)
{
    for (const FCID_TRANSLATE_TYPE& row : s_fcidTranslateTable)
        if (row.fcidUIControl == fcid || row.fcidSavedSetting == fcid)
            return &row;
    return nullptr;
}

void vSetMaskBit(FOURCHARID fcid, U32 s, bool bSet)
{
    const U32 u32Old = u32ReadMask(fcid);
    const U32 u32New = bSet ? (u32Old | u32SourceBit(s)) : (u32Old & ~u32SourceBit(s));
    if (u32New != u32Old)
        vWriteMask(fcid, u32New);
}

// The send error rule: a success clears the client's count, a failure
// counts; the failure with more than ten behind it drops the client.
void vCountSend(U32 u32Ip, bool bSent)
{
    void* pvTable = s_pvNetworkDestinations;
    U32 u32Handle = NO_HANDLE;
    if (pvTable != nullptr)
        U_NETWORKDEST_vFindUserData(pvTable, u32Ip, &u32Handle);
    perClientDataType* pData = pClientData(u32Handle);
    if (pData == nullptr)
        return;
    if (bSent) {
        pData->u32SendConsecutiveErrorCount = 0;
        return;
    }
    const U32 u32Before = pData->u32SendConsecutiveErrorCount++;
    if (u32Before > PING_CLIENT_SEND_ERRORS) {
        log_me("[%d]%s: client %08X dropped after %u failed sends\n", __LINE__, __func__, (unsigned)u32Ip,
               (unsigned)(u32Before + 1));
        const GMSG_ADDRESS a = clientAddress(u32Ip);
        U_GMSG_bDisconnect(PING_MAILBOX, &a);
        T_N_PING_bRegisterNetworkDestination(pvTable, &a, FALSE, 0);
    }
}

bool bSendToClient(U32 u32Ip, U32 u32MsgId, const G_DATA_TYPE* pType, void* pData)
{
    const GMSG_ADDRESS a = clientAddress(u32Ip);
    const bool bSent = U_GMSG_bSendMsgNoWaitAsync(PING_MAILBOX, &a, u32MsgId, pType, pData, 0, PING_SEND_TIMEOUT_MS) !=
                       FALSE;
    vCountSend(u32Ip, bSent);
    return bSent;
}

void vSendControlToServer(U32 s, FOURCHARID fcid, U32 u32Value)
{
    GMSG_ADDRESS server;
    U_PING_vGetServerAddress(&server, s);
    if (server.uAddr.Socket.u32Address == 0)
        return;
    log_me("[%d]: t_n_ping send data for index %d to 0x%X\n", __LINE__, (int)s,
           (unsigned)server.uAddr.Socket.u32Address);
    controlChangeType change{fcid, u32Value, 0};
    U_GMSG_bSendMsgNoWaitAsync(PING_MAILBOX, &server, GMSG_ID_SONAR_CONTROL_CHANGE, &DT_CONTROL_CHANGE, &change, 0,
                               PING_SEND_TIMEOUT_MS);
}

void vRemoveFromList(U32 s, U32 u32Ip)
{
    U_PING_vDeleteClientNode(&sonarSourcesArray[s], u32Ip);
    T_N_PING_vHandleClients(s);
}

} // namespace

// ---- The message table ----

const GMSG_MAP_INFO s_PING_MsgMapInfo[] = {
    {GMSG_ID_SONAR_REQUEST_DATA, T_N_PING_bHandleNewDataRequest, &DT_SONAR_REQUEST_DATA, nullptr, nullptr},
    {GMSG_ID_SONAR_RECEIVE_DATA, T_N_PING_bHandleDataRecieve, &DT_PING_DESCRIPTOR, nullptr, nullptr},
    {GMSG_ID_SONAR_CONTROL_CHANGE, T_N_PING_bHandleControlChangeRecieve, &DT_CONTROL_CHANGE, nullptr, nullptr},
    {GMSG_ID_SONAR_PING_DEPTH_DATA, T_N_PING_bHandleReceivePingDepth, &DT_SONAR_PING_DEPTH, nullptr, nullptr},
    {GMSG_ID_SONAR_TRANSDUCER_CHANGE, T_N_PING_bHandleTransducerChange, &DT_SONAR_TRANSDUCER_CHANGE, nullptr,
     nullptr},
    {GMSG_ID_STATUS, T_N_PING_bHandleNiceMessageAboutSomethingInThePast, &DT_GMSG_STATUS, nullptr, nullptr},
    {0, nullptr, nullptr, nullptr, nullptr},
};

// ---- Set-up and mails ----

BOOLEAN T_N_PING_SetupNetworkInterface(void)
{
    if (s_bNetworkReady)
        return TRUE;
    // The pass loop turns fast; the address is looked at once a second.
    static U64 s_u64LastLook = 0;
    static bool s_bLooked = false;
    const U64 u64Now = L_CLOCK_qwGetTimeInMillis();
    if (s_bLooked && u64Now - s_u64LastLook < SETUP_RETRY_MS)
        return FALSE;
    s_bLooked = true;
    s_u64LastLook = u64Now;
    // The message fabric publishes its mailbox once it runs; a registration
    // before that would wait for an answer that never comes.
    U32 u32FabricMailbox = 0;
    if (!H_DATABASE_bFetchU32(FCID("TMSG"), &u32FabricMailbox, nullptr, nullptr) || !T_ETHERNET_bIsAddressReady())
        return FALSE;
    // Once: a port that cannot be had now is not asked for again.
    s_bNetworkReady = true;
    if (!U_GMSG_bRegisterMailbox(PING_MAILBOX, RES_PING, SEMA_GMSG_PING, s_PING_MsgMapInfo, PING_SERVICE_PORT))
        log_me("[%d]%s: the sonar service could not be registered on port %d\n", __LINE__, __func__,
               (int)PING_SERVICE_PORT);
    if (s_pvNetworkDestinations.load() == nullptr)
        s_pvNetworkDestinations = U_NETWORKDEST_pvNew();
    if (!s_bServerMonitorsAllocated) {
        for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s) {
            const SERVER_MOINITOR_HANDLE_TYPE h = U_SERVER_MONITOR_u32Allocate();
            U_SERVER_MONITOR_vSetUserName(h, "T_N_PING");
            U_SERVER_MONITOR_vSetMailbox(h, PING_MAILBOX);
            U_SERVER_MONITOR_vSetTimeoutInterval(h, SERVER_MONITOR_DEFAULT_INTERVAL_MS);
            U_PING_vSetServerMonitorHandle(h, s);
        }
        s_bServerMonitorsAllocated = TRUE;
    }
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s) {
        U32 u32Group = 0;
        T_ETHERNET_vGetMulticastIpAddress(s, &u32Group);
        s_au32Group[s] = u32Group;
    }
    return TRUE;
}

void T_N_PING_vGetMulticastTarget(U32 u32SonarSource, U32* pu32Group, U32* pu32Port)
{
    const U32 s = u32SonarSource < SONAR_SOURCE_COUNT ? u32SonarSource : (U32)SONAR_SOURCE_2D;
    if (s_au32Group[s] == 0) {
        U32 u32Group = 0;
        T_ETHERNET_vGetMulticastIpAddress(s, &u32Group);
        s_au32Group[s] = u32Group;
    }
    *pu32Group = s_au32Group[s];
    *pu32Port = s == SONAR_SOURCE_2D    ? PING_MULTICAST_PORT_2D
                : s == SONAR_SOURCE_360 ? PING_MULTICAST_PORT_360
                                        : PING_MULTICAST_PORT_IMAGING;
}

BOOLEAN T_N_PING_bHandleNetworkMail(GENERIC_MESSAGE* pMail)
{
    switch (pMail->Cmd) {
    case CMD_ID_GMSG_RECEIVE:
        U_GMSG_bHandleReceive((MSG_GMSG_RECEIVE*)pMail);
        return TRUE;
    case CMD_ID_GMSG_DISCONNECT:
    case CMD_ID_CLIENT_MONITOR_TIMEOUT:
        T_N_PING_vSetClientLost(TRUE);
        log_me("[%d]: t_n_ping - s_LostClient = %d\n", __LINE__, 1);
        T_N_PING_bHandlePeerDisconnect((const MSG_GMSG_DISCONNECT*)pMail, FALSE);
        return TRUE;
    case CMD_ID_NETWORK_REGISTER_4DATA:
        T_NET_PING_RECEIVE_bHandleServerConnection((const NETWORK_REGISTER_4DATA_MESSAGE*)pMail);
        return TRUE;
    case CMD_ID_SERVER_MONITOR_TIMEOUT:
        T_N_PING_bHandlePeerDisconnect((const MSG_GMSG_DISCONNECT*)pMail, TRUE);
        return TRUE;
    default:
        return FALSE;
    }
}

// ---- Clients ----

BOOLEAN T_N_PING_bRegisterNetworkDestination(void* pvTable, const GMSG_ADDRESS* pAddress, BOOLEAN bRegister,
                                             U32 u32UserData)
{
    if (pvTable == nullptr || pAddress == nullptr)
        return FALSE;
    if (bRegister) {
        const U32 u32Handle = u32NewClientData(u32UserData);
        if (u32Handle == NO_HANDLE) {
            log_me("T_N_PING_bRegisterNetworkDestination: H_MEMORY_pvMalloc failed!\n");
            return FALSE;
        }
        if (!U_NETWORKDEST_bRegisterNetworkDestination(pvTable, pAddress, TRUE, u32Handle)) {
            vFreeClientData(u32Handle);
            return FALSE;
        }
        return TRUE;
    }
    bool bRemoved = false;
    int index = 0;
    U32 u32Handle = 0;
    while (const GMSG_ADDRESS* pEntry = U_NETWORKDEST_gapNext(pvTable, &index, &u32Handle)) {
        // A client is known by its IPv4 address: one unit, one sonar service.
        if (pEntry->uAddr.Socket.u32Address != pAddress->uAddr.Socket.u32Address)
            continue;
        const GMSG_ADDRESS entry = *pEntry;
        U_NETWORKDEST_bRegisterNetworkDestination(pvTable, &entry, FALSE, u32Handle);
        vFreeClientData(u32Handle);
        bRemoved = true;
        if (!s_bClientLost)
            break;
    }
    s_bClientLost = false;
    return bRemoved ? TRUE : FALSE;
}

perClientDataType* T_N_PING_pGetClientData(U32 u32ClientAddress)
{
    void* pvTable = s_pvNetworkDestinations;
    U32 u32Handle = NO_HANDLE;
    if (pvTable != nullptr)
        U_NETWORKDEST_vFindUserData(pvTable, u32ClientAddress, &u32Handle);
    return pClientData(u32Handle);
}

BOOLEAN T_N_PING_bSynchronizeNewClientControls(U32 u32ClientAddress, U32 u32SonarSource)
{
    if (u32SonarSource >= SONAR_SOURCE_COUNT)
        return FALSE;
    for (const FCID_TRANSLATE_TYPE& row : s_fcidTranslateTable) {
        if ((row.u32SonarSources & u32SourceBit(u32SonarSource)) == 0)
            continue;
        DB_DATA_TYPE dbValue{};
        BOOLEAN bValid = FALSE;
        if (!H_DATABASE_bFetch(row.fcidSavedSetting, &dbValue, &bValid, nullptr) || !bValid)
            continue;
        controlChangeType change{row.fcidSavedSetting, dbValue.u32Val, 1};
        bSendToClient(u32ClientAddress, GMSG_ID_SONAR_CONTROL_CHANGE, &DT_CONTROL_CHANGE, &change);
    }
    return TRUE;
}

BOOLEAN T_N_PING_bHandleNewDataRequest(MBOX, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* pRequest = (const sonarRequestDataType*)pMsgInfo->pStructMsg;
    if (pRequest == nullptr || pMsgInfo->pMsgHeader == nullptr)
        return TRUE;
    const GMSG_ADDRESS client = pMsgInfo->pMsgHeader->SrcAddress;
    const U32 u32Ip = client.uAddr.Socket.u32Address;
    const U32 s = pRequest->u32SonarSource;
    if (s >= SONAR_SOURCE_COUNT) {
        log_me("[%d]%s: request for source %u from %08X ignored\n", __LINE__, __func__, (unsigned)s, (unsigned)u32Ip);
        return TRUE;
    }
    void* pvTable = s_pvNetworkDestinations;
    if (pRequest->registerFlag != 0) {
        if (!T_N_PING_bRegisterNetworkDestination(pvTable, &client, TRUE, pRequest->pingArrayLimit))
            return TRUE;
        U_ALARM_bAddPeer(client);
        if (s == SONAR_SOURCE_2D) {
            T_N_PING_bSynchronizeNewClientControls(u32Ip, s);
            U_PING_vAddClientNode(&sonarSourcesArray[SONAR_SOURCE_2D], u32Ip);
            vSetMaskBit(FCID("ECPM"), s, true);
        } else if (s == SONAR_SOURCE_KV || s == SONAR_SOURCE_FV) {
            // Keelview and Flankview come from one receiver: a client takes both.
            T_N_PING_bSynchronizeNewClientControls(u32Ip, s);
            U_PING_vAddClientNode(&sonarSourcesArray[SONAR_SOURCE_FV], u32Ip);
            U_PING_vAddClientNode(&sonarSourcesArray[SONAR_SOURCE_KV], u32Ip);
            vSetMaskBit(FCID("ECPM"), s, true);
        }
        return TRUE;
    }
    if (T_N_PING_bRegisterNetworkDestination(pvTable, &client, FALSE, 0))
        U_ALARM_bRemovePeer(client);
    if (s == SONAR_SOURCE_2D) {
        vRemoveFromList(SONAR_SOURCE_2D, u32Ip);
    } else if (s == SONAR_SOURCE_KV || s == SONAR_SOURCE_FV) {
        vRemoveFromList(SONAR_SOURCE_FV, u32Ip);
        vRemoveFromList(SONAR_SOURCE_KV, u32Ip);
    }
    return TRUE;
}

BOOLEAN T_N_PING_bHandleReceivePingDepth(MBOX, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* pDepth = (const sonarPingDepthType*)pMsgInfo->pStructMsg;
    if (pDepth == nullptr || !bIsActiveClient(u32SenderIp(pMsgInfo)))
        return TRUE;
    // A depth that is no number is taken as the shallowest allowed.
    auto raise = [](float f) { return std::isfinite(f) && f > PING_CLIENT_MIN_DEPTH ? f : PING_CLIENT_MIN_DEPTH; };
    s_fNetworkDepthToListen = raise(pDepth->fActualDepthToListen);
    s_fNetworkDepthToPing = raise(pDepth->fActualDepthToPing);
    return TRUE;
}

BOOLEAN T_N_PING_bHandleNiceMessageAboutSomethingInThePast(MBOX, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* pStatus = (const GMSG_STATUS*)pMsgInfo->pStructMsg;
    if (pStatus != nullptr)
        log_me("[%d]%s: id 0x%X status %u token %llu\n", __LINE__, __func__, (unsigned)pStatus->u32MsgId,
               (unsigned)pStatus->u32MsgStatus, (unsigned long long)pStatus->u64Token);
    return TRUE;
}

// ---- Settings kept in step ----

namespace t_n_ping {

BOOLEAN T_N_PING_bControlChangeSend(FOURCHARID fcid, U32 u32Value, U32 u32Advise, const GMSG_ADDRESS* pOrigin)
{
    const FCID_TRANSLATE_TYPE* pRow = pFindRow(fcid);
    if (pRow == nullptr)
        return TRUE;
    L_MUTEX_LockWait(RES_SONAR_SHARE);
    const bool bControlKey = fcid == pRow->fcidUIControl;
    const FOURCHARID fcidPartner = bControlKey ? pRow->fcidSavedSetting : pRow->fcidUIControl;
    const U32 u32OriginIp = pOrigin != nullptr ? pOrigin->uAddr.Socket.u32Address : 0;
    bool bLocalUpdate = false;
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s) {
        if ((pRow->u32SonarSources & u32SourceBit(s)) == 0)
            continue;
        if ((u32ReadMask(FCID("ELPM")) & u32SourceBit(s)) && !bLocalUpdate) {
            H_DATABASE_bUpdateValueU32Except(fcidPartner, u32Value, P_NORMAL, PING_MAILBOX);
            vHandleNewData(fcidPartner, u32Value);
            bLocalUpdate = true;
        }
        if (u32Advise != 0)
            break;
        if ((u32ReadMask(FCID("ECPM")) & u32SourceBit(s)) && (!bControlKey || bLocalUpdate)) {
            for (const sonarRegisteredClientNode* p = sonarSourcesArray[s]; p != nullptr;) {
                // A failed send may drop the client; take the next node first.
                const sonarRegisteredClientNode* pNext = p->next;
                const U32 u32Ip = p->u32ClientAddress;
                if (u32Ip != u32OriginIp) {
                    controlChangeType change{pRow->fcidSavedSetting, u32Value, 1};
                    bSendToClient(u32Ip, GMSG_ID_SONAR_CONTROL_CHANGE, &DT_CONTROL_CHANGE, &change);
                }
                p = pNext;
            }
        }
        if (bControlKey && (u32ReadMask(FCID("ENPM")) & u32SourceBit(s)) &&
            U_PING_eGetNetworkClientState(s) == NETWORK_CLIENT_STATE_CONNECTED)
            vSendControlToServer(s, fcid, u32Value);
    }
    L_MUTEX_Unlock(RES_SONAR_SHARE);
    return TRUE;
}

void T_N_PING_vSendTransducerChange(U32 u32TransducerId)
{
    sonarTransducerChangeType change{S_TRANSDUCER_u32GetBeamsForTransducer((U8)u32TransducerId), u32TransducerId};
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s) {
        for (const sonarRegisteredClientNode* p = sonarSourcesArray[s]; p != nullptr;) {
            const sonarRegisteredClientNode* pNext = p->next;
            bSendToClient(p->u32ClientAddress, GMSG_ID_SONAR_TRANSDUCER_CHANGE, &DT_SONAR_TRANSDUCER_CHANGE, &change);
            p = pNext;
        }
    }
}

BOOLEAN T_N_PING_bSendToNetworkDestinations(NET_SOURCE_TYPE eNetSourceType, networkSonarProcessType processType,
                                            PING_DESCRIPTOR* pDescriptor)
{
    if (processType == NETWORK_SONAR_PROCESS_BLANK) {
        log_me("T_N_PING_bSendToNetworkDestinations: NETWORK_SONAR_PROCESS_BLANK\n");
        return FALSE;
    }
    void* pvTable = s_pvNetworkDestinations;
    if (pvTable == nullptr || pDescriptor == nullptr)
        return FALSE;
    int index = 0;
    U32 u32Handle = NO_HANDLE;
    if (U_NETWORKDEST_gapNext(pvTable, &index, &u32Handle) == nullptr)
        return FALSE;
    perClientDataType* pData = pClientData(u32Handle);
    if (pData != nullptr && pData->u32MaximumSampleCount < pDescriptor->u32NumberOfSamples)
        pDescriptor->u32NumberOfSamples = pData->u32MaximumSampleCount;
    if (pDescriptor->u32NumberOfSamples > PING_MAX_SAMPLES)
        pDescriptor->u32NumberOfSamples = PING_MAX_SAMPLES;
    const U32 u32Bytes = PING_IMAGE_BYTES + pDescriptor->u32NumberOfSamples;
    U8* pu8Block = (U8*)H_MEMORY_pvMallocNoWait(u32Bytes);
    if (pu8Block == nullptr) {
        log_me("T_N_PING_myPDSerializer malloc failed!! %d bytes", (int)u32Bytes);
        return FALSE;
    }
    T_N_PING_CODEC_vEncodeImage(pDescriptor, pu8Block);
    memcpy(pu8Block + PING_IMAGE_BYTES, pDescriptor->pu8RawSonarData, pDescriptor->u32NumberOfSamples);
    U32 u32Group = 0, u32Port = 0;
    T_N_PING_vGetMulticastTarget((U32)eNetSourceType, &u32Group, &u32Port);
    GMSG_ADDRESS group;
    GMSG_vMakeSocketAddress(&group, u32Group, u32Port);
    const GMSG_ALT_TRANSPORT transport{TRUE, u32Bytes, 1};
    if (!U_GMSG_bSendMsgNoReplyAlt(PING_MAILBOX, &group, GMSG_ID_SONAR_RECEIVE_DATA, nullptr, pu8Block, 0,
                                   &transport)) {
        log_me("T_N_PING_bSendToNetworkDestinations: U_GMSG_bSendMsgNoReplyAlt failed!!!\n");
        H_MEMORY_vFree(pu8Block);
        return FALSE;
    }
    if (pData != nullptr)
        pData->u32SendConsecutiveErrorCount = 0;
    return TRUE;
}

} // namespace t_n_ping

BOOLEAN T_N_PING_bHandleControlChangeRecieve(MBOX, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* pChange = (const controlChangeType*)pMsgInfo->pStructMsg;
    if (pChange == nullptr || pMsgInfo->pMsgHeader == nullptr)
        return TRUE;
    const GMSG_ADDRESS sender = pMsgInfo->pMsgHeader->SrcAddress;
    const U32 u32Ip = sender.uAddr.Socket.u32Address;
    const FCID_TRANSLATE_TYPE* pRow = pFindRow(pChange->fcid);

    // The first word from a server this unit registered with completes the connection.
    if (pRow != nullptr)
        for (int s = (int)SONAR_SOURCE_COUNT - 1; s >= 0; --s) {
            if ((pRow->u32SonarSources & u32SourceBit((U32)s)) == 0 || !bIsServerOf((U32)s, u32Ip))
                continue;
            if (U_PING_eGetNetworkClientState((U32)s) == NETWORK_CLIENT_STATE_REGISTER) {
                T_N_PING_vSetConnected((U32)s);
                if (s == SONAR_SOURCE_FV && T_N_PING_bMSSFV()) {
                    DB_DATA_TYPE dbRange{};
                    if (H_DATABASE_bFetch(FCID("SASR"), &dbRange, nullptr, nullptr))
                        H_DATABASE_bUpdateValue(FCID("YSSR"), dbRange, P_NORMAL);
                }
            }
        }

    if (!bIsAnyServer(u32Ip)) {
        if (!bIsActiveClient(u32Ip))
            return TRUE;
        if (pChange->fcid == FCID("SSSR") || pChange->fcid == FCID("YSSR")) {
            s_bSyncLocalSideRange = true;
            log_me("[%d]: t_n_ping - sidescan range update for local transudcer, do not sync to MSS\n", __LINE__);
        }
    }
    if (pRow == nullptr || pRow->u32SonarSources == 0)
        return TRUE;
    const FOURCHARID fcidLocal =
        pChange->fcid == pRow->fcidUIControl ? pRow->fcidSavedSetting : pRow->fcidUIControl;

    bool bFromServer = false;
    if (pChange->fcid == pRow->fcidSavedSetting)
        for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
            if ((pRow->u32SonarSources & u32SourceBit(s)) && bIsServerOf(s, u32Ip) &&
                U_PING_eGetNetworkClientState(s) == NETWORK_CLIENT_STATE_CONNECTED)
                bFromServer = true;
    bool bFromClient = false;
    if (pChange->fcid == pRow->fcidUIControl) {
        const U32 u32Clients = u32ReadMask(FCID("ECPM"));
        for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
            if ((pRow->u32SonarSources & u32SourceBit(s)) && (u32Clients & u32SourceBit(s)) &&
                bInList(sonarSourcesArray[s], u32Ip))
                bFromClient = true;
        if (bFromClient)
            log_me("[%d]: t_n_ping - received update from client IP %08X\n", __LINE__, (unsigned)u32Ip);
    }
    if (!bFromServer && !bFromClient)
        return TRUE;

    U32 u32Value = pChange->value;
    if (fcidLocal == FCID("YUDP") || fcidLocal == FCID("SUDP")) {
        // Depth units are metres, feet or fathoms; anything else is not a unit.
        if (u32Value < UNIT_DEPTH_METRES || u32Value > UNIT_DEPTH_LAST) {
            log_me("[%d]%s: depth unit %u from %08X ignored\n", __LINE__, __func__, (unsigned)u32Value,
                   (unsigned)u32Ip);
            return TRUE;
        }
        if (u32Value == UNIT_DEPTH_METRES && t_n_history::bDomesticModel())
            u32Value = UNIT_DEPTH_FEET;
    }
    H_DATABASE_bUpdateValueU32Except(fcidLocal, u32Value, P_NORMAL, PING_MAILBOX);
    vHandleNewData(fcidLocal, u32Value);
    // Which setting another unit changed here: nothing else on this unit
    // tells a changed sonar setting from one set by its own user.
    const char acKey[5] = {(char)(fcidLocal & 0xFF), (char)(fcidLocal >> 8 & 0xFF), (char)(fcidLocal >> 16 & 0xFF),
                           (char)(fcidLocal >> 24), '\0'};
    log_me("[%d]%s: %s = %u from %08X\n", __LINE__, __func__, acKey, (unsigned)u32Value, (unsigned)u32Ip);
    T_N_PING_bControlChangeSend(fcidLocal, u32Value, pChange->advise, &sender);
    return TRUE;
}

// ---- Queries ----

BOOLEAN T_N_PING_bActiveClients(void)
{
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
        if (T_N_PING_bCheckActiveClientList(s))
            return TRUE;
    return FALSE;
}

void T_N_PING_vSetClientLost(BOOLEAN bLost) { s_bClientLost = bLost != FALSE; }

void T_N_PING_vReset2DAdvClients(void)
{
    U_PING_vAllDeleteClientNodes(&sonarSourcesArray[SONAR_SOURCE_KV]);
    U_PING_vAllDeleteClientNodes(&sonarSourcesArray[SONAR_SOURCE_FV]);
}

BOOLEAN T_N_PING_bSyncLocalSideScanRange(void) { return s_bSyncLocalSideRange ? TRUE : FALSE; }

void T_N_PING_vResetLocalSideScanRangeCondVar(void) { s_bSyncLocalSideRange = false; }

void T_N_PING_vHandleClients(U32 u32SonarSource)
{
    if (u32SonarSource < SONAR_SOURCE_COUNT && !T_N_PING_bCheckActiveClientList(u32SonarSource))
        vSetMaskBit(FCID("ECPM"), u32SonarSource, false);
}

void T_N_PING_vHandleLostClient(const GMSG_ADDRESS* pAddress)
{
    if (pAddress == nullptr || u32ReadMask(FCID("ECPM")) == 0)
        return;
    const U32 u32Ip = pAddress->uAddr.Socket.u32Address;
    if (!bIsActiveClient(u32Ip))
        return;
    log_me("T_N_PING_bHandlePeerDisconnect: Client %x connection lost! ", (unsigned)u32Ip);
    vRemoveFromList(SONAR_SOURCE_FV, u32Ip);
    vRemoveFromList(SONAR_SOURCE_KV, u32Ip);
    vRemoveFromList(SONAR_SOURCE_2D, u32Ip);
    // A client's entries all go with it.
    s_bClientLost = true;
    const GMSG_ADDRESS client = clientAddress(u32Ip);
    T_N_PING_bRegisterNetworkDestination(s_pvNetworkDestinations, &client, FALSE, 0);
    U_ALARM_bRemovePeer(client);
}
