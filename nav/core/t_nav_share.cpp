// Waypoint sharing between units (see the header).
//
// The handlers run in the navigation task; vWaypointCallback runs in
// whichever task changes the waypoint tables, with mutex 9 held, so the
// destination list and the error count are guarded by a lock of their own.
#include "nav/core/t_nav_share.h"

#include "gmsg/t_ethernet_standin.h"
#include "gmsg/u_networkdest.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_root.h"
#include "kernel/lm_log.h"
#include "nav/core/t_nav.h"
#include "store/h_database.h"

#include <arpa/inet.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// ---- Constants ----

constexpr U32 STRUCT_VERSION = 1;
constexpr U32 ASK_AGAIN_MS = 5000;

// ---- State ----

std::mutex s_lock; // the destination list and the error count
void* s_pvDestinations = nullptr;
U32 s_u32SendConsecutiveErrorCount = 0;
std::atomic<U32> s_u32DroppedSlices{0};
bool s_bServiceUp = false;
U64 s_u64LastAsk = 0;
bool s_bAsked = false;
U32 s_u32NamedGained = 0; // the named unit once it has become a peer

// ---- Little-endian helpers ----

void vPutU32(U8* p, U32 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
    p[2] = (U8)(v >> 16);
    p[3] = (U8)(v >> 24);
}

U32 u32Get(const U8* p) { return (U32)p[0] | ((U32)p[1] << 8) | ((U32)p[2] << 16) | ((U32)p[3] << 24); }

// ---- The slice codec ----

int nSliceLength(void* pv, const G_DATA_TYPE*)
{
    const auto* s = (const DynamicWaypointArraySlice*)pv;
    if (s == nullptr || s->s32Records < 0 || (U32)s->s32Records > NAV_SLOTS_PER_BANK)
        return DATATYPE_ERR_FORMAT;
    return (int)T_NAV_SHARE_u32SliceBytes((U32)s->s32Records);
}

int nSerializeSlice(void* pv, void** ppvOut, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t)
{
    const auto* s = (const DynamicWaypointArraySlice*)pv;
    const int n = nSliceLength(pv, t);
    if (n < 0 || ppvOut == nullptr || pnRemaining == nullptr || pnSize == nullptr ||
        (s->s32Records > 0 && s->pRecords == nullptr))
        return DATATYPE_ERR_FORMAT;
    if (*ppvOut == nullptr) {
        *ppvOut = H_MEMORY_pvMalloc((U32)n);
        if (*ppvOut == nullptr)
            return DATATYPE_ERR_NO_MEMORY;
        *pnRemaining = n;
        *pnSize = 0;
    }
    if (*pnRemaining < n)
        return DATATYPE_ERR_NO_ROOM;
    U8* p = (U8*)*ppvOut;
    vPutU32(p + 0, STRUCT_VERSION);
    vPutU32(p + 4, (U32)s->s32NetworkOperation);
    vPutU32(p + 8, (U32)s->s32StartIndex);
    vPutU32(p + 12, (U32)s->s32Count);
    vPutU32(p + 16, (U32)s->s32Records);
    for (S32 i = 0; i < s->s32Records; ++i)
        T_NAV_RECORD_vEncodeWaypoint(&s->pRecords[i], p + NAV_SLICE_HEADER_BYTES + (U32)i * WAYPOINT_BYTES);
    *pnRemaining -= n;
    *pnSize += n;
    return n;
}

int nDropSlice(void)
{
    ++s_u32DroppedSlices;
    return DATATYPE_ERR_MALFORMED;
}

// The whole payload is one slice: a record count that the bytes do not
// carry, or bytes beyond the records, refuse it.
int nDeserializeSlice(void** ppv, void* pvIn, int* pnRemaining, int* pnSize, const G_DATA_TYPE*)
{
    if (ppv == nullptr || pnRemaining == nullptr || pnSize == nullptr || *pnRemaining < 0 ||
        (pvIn == nullptr && *pnRemaining > 0))
        return DATATYPE_ERR_FORMAT;
    *ppv = nullptr;
    const U32 u32Have = (U32)*pnRemaining;
    const U8* p = (const U8*)pvIn;
    if (u32Have < NAV_SLICE_HEADER_BYTES)
        return nDropSlice();
    if (u32Get(p) != STRUCT_VERSION)
        return DATATYPE_ERR_VERSION;
    const S32 s32Records = (S32)u32Get(p + 16);
    if (s32Records < 0 || (U32)s32Records > NAV_SLOTS_PER_BANK ||
        u32Have != T_NAV_SHARE_u32SliceBytes((U32)s32Records))
        return nDropSlice();
    auto* s = (DynamicWaypointArraySlice*)H_MEMORY_pvMalloc(sizeof(DynamicWaypointArraySlice));
    if (s == nullptr)
        return DATATYPE_ERR_NO_MEMORY;
    *s = DynamicWaypointArraySlice{(S32)u32Get(p + 4), (S32)u32Get(p + 8), (S32)u32Get(p + 12), s32Records, nullptr};
    if (s32Records > 0) {
        s->pRecords = (WAYPOINT*)H_MEMORY_pvMalloc((U32)(sizeof(WAYPOINT) * (size_t)s32Records));
        if (s->pRecords == nullptr) {
            H_MEMORY_vFree(s);
            return DATATYPE_ERR_NO_MEMORY;
        }
        for (S32 i = 0; i < s32Records; ++i)
            T_NAV_RECORD_vDecodeWaypoint(p + NAV_SLICE_HEADER_BYTES + (U32)i * WAYPOINT_BYTES, &s->pRecords[i]);
    }
    *ppv = s;
    *pnRemaining = 0;
    *pnSize += (int)u32Have;
    return (int)u32Have;
}

int nFreeSlice(void* pv, BOOLEAN bTypeAllocated, const G_DATA_TYPE*)
{
    auto* s = (DynamicWaypointArraySlice*)pv;
    if (s == nullptr)
        return 0;
    if (s->pRecords != nullptr)
        H_MEMORY_vFree(s->pRecords);
    s->pRecords = nullptr;
    if (bTypeAllocated)
        H_MEMORY_vFree(s);
    return 0;
}

int nSliceAlignment(ALIGN_TYPE, const G_DATA_TYPE*) { return (int)alignof(DynamicWaypointArraySlice); }

const G_DATA_TYPE* const s_RequestMembers[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, nullptr};

// ---- Helpers ----

bool bSharing(void)
{
    BOOLEAN bSend = FALSE, bValid = FALSE;
    return H_DATABASE_bFetchBoolean(FCID("SEND"), &bSend, &bValid, nullptr) && bValid && bSend;
}

U32 u32SenderIp(const GMSG_INFO* pMsgInfo)
{
    return pMsgInfo && pMsgInfo->pMsgHeader ? pMsgInfo->pMsgHeader->SrcAddress.uAddr.Socket.u32Address : 0;
}

bool bSendSlice(const GMSG_ADDRESS* pTo, DynamicWaypointArraySlice* pSlice)
{
    return U_GMSG_bSendMsgNoReply(NAV_MAILBOX, pTo, GMSG_ID_NAV_RECEIVE_DATA, &DT_DYNAMIC_WAYPOINT_ARRAY_SLICE, pSlice,
                                  0) != FALSE;
}

// TRUE once the request went out.
BOOLEAN bAsk(U32 u32Ip, U32 u32Port, U32 u32Flag)
{
    GMSG_ADDRESS peer;
    GMSG_vMakeSocketAddress(&peer, u32Ip, u32Port);
    NAVRequestDataType request{u32Flag, 0};
    return U_GMSG_bRequest(NAV_MAILBOX, &peer, GMSG_ID_NAV_REQUEST_DATA, &DT_NAV_REQUEST_DATA, &request, 0);
}

// A dotted address for the log.
std::string sDotted(U32 u32Ip)
{
    char ac[INET_ADDRSTRLEN] = {0};
    struct in_addr a;
    a.s_addr = u32Ip;
    return inet_ntop(AF_INET, &a, ac, sizeof ac) != nullptr ? ac : "?";
}

// Waypoints a bank holds (records of status 1 to 3).
S32 nHeldWaypoints(U32 u32Ip)
{
    const S32 s32Used = T_NAV_NETWORK_nGetMaxWaypointIndex(u32Ip);
    if (s32Used <= 0)
        return s32Used < 0 ? 0 : s32Used;
    auto* pRecords = (WAYPOINT*)H_MEMORY_pvMallocNoWait((U32)(sizeof(WAYPOINT) * (size_t)s32Used));
    if (pRecords == nullptr)
        return -1;
    S32 n = 0;
    if (T_NAV_NETWORK_bFetchWaypointData(u32Ip, 0, (U16)s32Used, pRecords))
        for (S32 i = 0; i < s32Used; ++i) {
            const U8 u8Status = pRecords[i].u8Status;
            n += u8Status >= WP_STATUS_PERMANENT && u8Status <= WP_STATUS_MOB;
        }
    H_MEMORY_vFree(pRecords);
    return n;
}

// A peer leaves this unit, its bank emptied; the log says which and why,
// so that another unit's operator can follow the sharing.
void vForgetPeer(U32 u32Ip, const char* pcWhy)
{
    const S32 nBank = T_NAV_NETWORK_nDeletePeer(u32Ip);
    if (nBank > 0)
        log_me("waypoint peer %s left bank %d (%s); its waypoints are gone\n", sDotted(u32Ip).c_str(), (int)nBank,
               pcWhy);
}

// The unit named in ROOT/etc/nav-peer; 0 for none.
U32 u32NamedPeer(void)
{
    char acPath[512];
    L_ROOT_pcResolve("/etc/nav-peer", acPath, sizeof acPath);
    FILE* f = fopen(acPath, "r");
    if (f == nullptr)
        return 0;
    char acAddress[64] = {0};
    const int n = fscanf(f, "%63s", acAddress);
    fclose(f);
    struct in_addr a;
    return n == 1 && inet_pton(AF_INET, acAddress, &a) == 1 ? a.s_addr : 0;
}

} // namespace

// ---- Types and table ----

const G_DATA_TYPE DT_NAV_REQUEST_DATA =
    DATATYPE_Standard("DT_NAV_REQUEST_DATA", G_DF_STRUCT, (int)sizeof(NAVRequestDataType), s_RequestMembers, 1);

const G_DATA_TYPE DT_DYNAMIC_WAYPOINT_ARRAY_SLICE = {"DT_DYNAMIC_WAYPOINT_ARRAY_SLICE",
                                                     G_DF_CUSTOM,
                                                     G_DU_NONE,
                                                     1,
                                                     nullptr,
                                                     nullptr,
                                                     (int)sizeof(DynamicWaypointArraySlice),
                                                     (int)alignof(DynamicWaypointArraySlice),
                                                     nSerializeSlice,
                                                     nDeserializeSlice,
                                                     nSliceLength,
                                                     nFreeSlice,
                                                     nSliceAlignment,
                                                     DATATYPE_nStandardXmlWriter,
                                                     DATATYPE_nStandardXmlReader,
                                                     nullptr,
                                                     nullptr};

const GMSG_MAP_INFO s_NAV_MsgMapInfo[] = {
    {GMSG_ID_NAV_REQUEST_DATA, T_NAV_bHandleNewDataRequest, &DT_NAV_REQUEST_DATA, nullptr, nullptr},
    {GMSG_ID_NAV_RECEIVE_DATA, T_NAV_bHandleRecieveWaypointArraySlice, &DT_DYNAMIC_WAYPOINT_ARRAY_SLICE, nullptr,
     nullptr},
    {GMSG_ID_STATUS, T_NAV_bHandleStatus, &DT_GMSG_STATUS, nullptr, nullptr},
    {0, nullptr, nullptr, nullptr, nullptr},
};

void* T_NAV_SHARE_pvDestinations(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (s_pvDestinations == nullptr)
        s_pvDestinations = U_NETWORKDEST_pvNew();
    return s_pvDestinations;
}

U32 T_NAV_SHARE_u32DroppedSlices(void) { return s_u32DroppedSlices; }

U32 T_NAV_SHARE_u32SendErrors(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    return s_u32SendConsecutiveErrorCount;
}

// ---- Handlers ----

BOOLEAN T_NAV_bHandleNewDataRequest(MBOX Mailbox, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* pRequest = (const NAVRequestDataType*)pMsgInfo->pStructMsg;
    if (pRequest == nullptr || pMsgInfo->pMsgHeader == nullptr)
        return TRUE;
    const GMSG_ADDRESS sender = pMsgInfo->pMsgHeader->SrcAddress;
    const U32 u32Ip = sender.uAddr.Socket.u32Address;
    if (!bSharing()) {
        vForgetPeer(u32Ip, "this unit does not share");
        U_GMSG_bReplyWithStatus(Mailbox, pMsgInfo, NAV_STATUS_REFUSED);
        return TRUE;
    }
    void* pvList = T_NAV_SHARE_pvDestinations();
    {
        std::lock_guard<std::mutex> guard(s_lock);
        U_NETWORKDEST_bRegisterNetworkDestination(pvList, &sender, (BOOLEAN)(pRequest->registerFlag & 0xFF),
                                                  pRequest->source);
    }
    if (pRequest->registerFlag == 0) {
        vForgetPeer(u32Ip, "it stopped sharing with this unit");
        U_GMSG_bReplyWithStatus(Mailbox, pMsgInfo, NAV_STATUS_REFUSED);
        return TRUE;
    }
    U_GMSG_bReplyWithStatus(Mailbox, pMsgInfo, NAV_STATUS_REGISTERED);

    const S32 s32Used = T_NAV_NETWORK_nGetMaxWaypointIndex(0);
    if (s32Used > 0) {
        auto* pRecords = (WAYPOINT*)H_MEMORY_pvMallocNoWait((U32)(sizeof(WAYPOINT) * (size_t)s32Used));
        if (pRecords != nullptr) {
            if (T_NAV_NETWORK_bFetchWaypointData(0, 0, (U16)s32Used, pRecords)) {
                DynamicWaypointArraySlice slice{NAV_NETWORK_OP_ADD, 0, s32Used, s32Used, pRecords};
                bSendSlice(&sender, &slice);
            }
            H_MEMORY_vFree(pRecords);
        }
    }
    if (T_NAV_NETWORK_nGetPeer(u32Ip) == -1)
        bAsk(u32Ip, sender.uAddr.Socket.u32Port, 1);
    return TRUE;
}

BOOLEAN T_NAV_bHandleStatus(MBOX, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* pStatus = (const GMSG_STATUS*)pMsgInfo->pStructMsg;
    if (pStatus == nullptr || pStatus->u32MsgId != GMSG_ID_NAV_REQUEST_DATA)
        return TRUE;
    const U32 u32Ip = u32SenderIp(pMsgInfo);
    if (pStatus->u32MsgStatus == NAV_STATUS_REGISTERED) {
        const bool bNew = T_NAV_NETWORK_nGetPeer(u32Ip) == -1;
        const S32 nBank = T_NAV_NETWORK_nAddPeer(u32Ip);
        if (nBank < 0)
            log_me("[%d]%s: no free bank for %s\n", __LINE__, __func__, sDotted(u32Ip).c_str());
        else if (bNew && nBank > 0)
            log_me("waypoint peer %s shares into bank %d\n", sDotted(u32Ip).c_str(), (int)nBank);
    } else if (pStatus->u32MsgStatus == NAV_STATUS_REFUSED) {
        vForgetPeer(u32Ip, "refused");
    } else if (pStatus->u32MsgStatus == GMSG_STATUS_TIMEOUT) {
        vForgetPeer(u32Ip, "no answer");
    }
    return TRUE;
}

BOOLEAN T_NAV_bHandleRecieveWaypointArraySlice(MBOX, GMSG_INFO* pMsgInfo, void*, void*)
{
    const auto* s = (const DynamicWaypointArraySlice*)pMsgInfo->pStructMsg;
    const U32 u32Ip = u32SenderIp(pMsgInfo);
    if (s == nullptr || T_NAV_NETWORK_nGetPeer(u32Ip) == -1)
        return TRUE;
    const S32 start = s->s32StartIndex, count = s->s32Count, records = s->s32Records;
    const S32 op = s->s32NetworkOperation;
    const bool bOpKnown = op == NAV_NETWORK_OP_ADD || op == NAV_NETWORK_OP_EDIT || op == NAV_NETWORK_OP_DELETE;
    const bool bRange = start >= 0 && start < (S32)NAV_SLOTS_PER_BANK && count >= 0 &&
                        count <= (S32)NAV_SLOTS_PER_BANK - start;
    const bool bRecords = op == NAV_NETWORK_OP_DELETE ? records == 0 : records == count;
    if (!bOpKnown || !bRange || !bRecords) {
        ++s_u32DroppedSlices;
        log_me("[%d]%s: slice from %08X dropped (op %d start %d count %d records %d)\n", __LINE__, __func__,
               (unsigned)u32Ip, (int)op, (int)start, (int)count, (int)records);
        return TRUE;
    }
    if (T_NAV_NETWORK_bSetWaypointData(u32Ip, (U16)start, (U16)count, s->pRecords, (U32)records,
                                       (NAV_NETWORK_OP)op)) {
        static const char* const apcOp[] = {"add", "edit", "delete"};
        log_me("waypoint bank %d of %s: %s of %d slots from %d, %d waypoints held\n", (int)T_NAV_NETWORK_nGetPeer(u32Ip),
               sDotted(u32Ip).c_str(), apcOp[op], (int)count, (int)start, (int)nHeldWaypoints(u32Ip));
    }
    return TRUE;
}

// ---- Sending changes ----

void vWaypointCallback(U32 u32IpAddress, U16 u16Index, U16 u16Count, const WAYPOINT* pWaypointData,
                       NAV_NETWORK_OP eNetworkOp)
{
    if (!bSharing())
        return;
    DynamicWaypointArraySlice slice{eNetworkOp, u16Index, u16Count, pWaypointData ? (S32)u16Count : 0,
                                    const_cast<WAYPOINT*>(pWaypointData)};
    if (u32IpAddress != 0) {
        if (T_NAV_NETWORK_nGetPeer(u32IpAddress) <= 0)
            return;
        GMSG_ADDRESS peer;
        GMSG_vMakeSocketAddress(&peer, u32IpAddress, NAV_SERVICE_PORT);
        bSendSlice(&peer, &slice);
        return;
    }
    void* pvList = T_NAV_SHARE_pvDestinations();
    std::lock_guard<std::mutex> guard(s_lock);
    int index = 0;
    U32 u32UserData = 0;
    while (const GMSG_ADDRESS* pEntry = U_NETWORKDEST_gapNext(pvList, &index, &u32UserData)) {
        const GMSG_ADDRESS to = *pEntry;
        if (bSendSlice(&to, &slice)) {
            s_u32SendConsecutiveErrorCount = 0;
            continue;
        }
        // The count is over all destinations; only a long run of failures drops one.
        if (s_u32SendConsecutiveErrorCount++ > NAV_SEND_ERRORS) {
            log_me("[%d]%s: %08X dropped after %u failed sends\n", __LINE__, __func__,
                   (unsigned)to.uAddr.Socket.u32Address, (unsigned)s_u32SendConsecutiveErrorCount);
            U_GMSG_bDisconnect(NAV_MAILBOX, &to);
            U_NETWORKDEST_bRegisterNetworkDestination(pvList, &to, FALSE, u32UserData);
        }
    }
}

// ---- The navigation task's side ----

BOOLEAN T_NAV_SHARE_bJoin(void)
{
    if (s_bServiceUp)
        return TRUE;
    // The registration waits for the message fabric's answer: without the
    // fabric running it would wait for ever.
    U32 u32Fabric = 0;
    if (!T_ETHERNET_bIsAddressReady() || !H_DATABASE_bFetchU32(FCID("TMSG"), &u32Fabric, nullptr, nullptr))
        return FALSE;
    s_bServiceUp = true;
    // The navigation defaults share waypoints; a saved choice stays.
    if (!H_DATABASE_bFetch(FCID("SEND"), nullptr, nullptr, nullptr))
        H_DATABASE_bUpdateEverythingBoolean(FCID("SEND"), TRUE, P_DEFAULT_SETTING, D_UNKNOWN, nullptr,
                                            DB_TIMEOUT_NEVER);
    if (!U_GMSG_bRegisterMailbox(NAV_MAILBOX, RES_NAV_GMSG, SEMA_GMSG_NAV, s_NAV_MsgMapInfo, NAV_SERVICE_PORT))
        log_me("[%d]%s: the navigation service could not be registered on port %d\n", __LINE__, __func__,
               (int)NAV_SERVICE_PORT);
    T_NAV_SHARE_pvDestinations();
    T_NAV_NETWORK_bInit(vWaypointCallback);
    return TRUE;
}

BOOLEAN T_NAV_SHARE_bPoll(void)
{
    if (!s_bServiceUp) {
        U32 u32Fabric = 0;
        if (!H_DATABASE_bFetchU32(FCID("TMSG"), &u32Fabric, nullptr, nullptr) || !T_NAV_SHARE_bJoin())
            return FALSE;
    }
    // The named unit stands for one that service discovery found: it is
    // announced until it has become a peer, once. A peer that withdraws
    // later is not asked again, as discovery announces a unit only when it
    // appears.
    const U32 u32Peer = u32NamedPeer();
    if (u32Peer != s_u32NamedGained)
        s_u32NamedGained = 0;
    if (u32Peer != 0 && T_NAV_NETWORK_nGetPeer(u32Peer) > 0)
        s_u32NamedGained = u32Peer;
    const U64 u64Now = L_CLOCK_qwGetTimeInTicks();
    if (u32Peer != 0 && u32Peer != s_u32NamedGained && bSharing() && T_NAV_NETWORK_nGetPeer(u32Peer) == -1 &&
        (!s_bAsked || u64Now - s_u64LastAsk >= ASK_AGAIN_MS)) {
        s_bAsked = true;
        s_u64LastAsk = u64Now;
        bAsk(u32Peer, NAV_SERVICE_PORT, 1);
    }
    return TRUE;
}

BOOLEAN T_NAV_SHARE_bHandleMail(GENERIC_MESSAGE* pMail)
{
    switch (pMail->Cmd) {
    case CMD_ID_GMSG_RECEIVE:
        U_GMSG_bHandleReceive((MSG_GMSG_RECEIVE*)pMail);
        return TRUE;
    case CMD_ID_GMSG_DISCONNECT:
    case CMD_ID_SERVER_MONITOR_TIMEOUT:
        T_NAV_bHandlePeerDisconnect((const MSG_GMSG_DISCONNECT*)pMail);
        return TRUE;
    case CMD_ID_NETWORK_REGISTER_4DATA:
        T_NAV_bHandleServerConnection((const NAV_REGISTER_4DATA_MESSAGE*)pMail);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOLEAN T_NAV_bHandlePeerDisconnect(const MSG_GMSG_DISCONNECT* pMsg)
{
    void* pvList = T_NAV_SHARE_pvDestinations();
    std::lock_guard<std::mutex> guard(s_lock);
    return U_NETWORKDEST_bRegisterNetworkDestination(pvList, &pMsg->Address, FALSE, NETWORKDEST_ANY_USER_DATA);
}

BOOLEAN T_NAV_bRegisterForNetworkData(U32 u32Address, U32 u32Port)
{
    return bAsk(u32Address, u32Port, 1);
}

BOOLEAN T_NAV_bUnregisterForNetworkData(U32 u32Address, U32 u32Port)
{
    GMSG_ADDRESS peer;
    GMSG_vMakeSocketAddress(&peer, u32Address, u32Port);
    NAVRequestDataType request{0, 0};
    return U_GMSG_bSendMsgNoReply(NAV_MAILBOX, &peer, GMSG_ID_NAV_REQUEST_DATA, &DT_NAV_REQUEST_DATA, &request, 0);
}

BOOLEAN T_NAV_bHandleServerConnection(const NAV_REGISTER_4DATA_MESSAGE* pMsg)
{
    if (pMsg->bRegister) {
        if (bSharing() && T_NAV_NETWORK_nGetPeer(pMsg->u32ServerAddress) == -1)
            return T_NAV_bRegisterForNetworkData(pMsg->u32ServerAddress, pMsg->u32Port);
        return FALSE;
    }
    if (pMsg->u32ServerAddress == 0) {
        T_NAV_vUnregisterForAllNetworkData();
        return TRUE;
    }
    if (T_NAV_NETWORK_nGetPeer(pMsg->u32ServerAddress) != -1)
        return T_NAV_bUnregisterForNetworkData(pMsg->u32ServerAddress, pMsg->u32Port);
    return FALSE;
}

void T_NAV_vUnregisterForAllNetworkData(void)
{
    // The table is swapped for an empty one first: the stop requests go out
    // without the table's lock, and a slice sent meanwhile finds nobody.
    void* pvOld = nullptr;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        pvOld = s_pvDestinations;
        s_pvDestinations = U_NETWORKDEST_pvNew();
    }
    if (pvOld == nullptr)
        return;
    int index = 0;
    U32 u32UserData = 0;
    while (const GMSG_ADDRESS* pEntry = U_NETWORKDEST_gapNext(pvOld, &index, &u32UserData)) {
        const GMSG_ADDRESS to = *pEntry;
        const U32 u32Ip = to.uAddr.Socket.u32Address;
        if (T_NAV_NETWORK_nGetPeer(u32Ip) == -1)
            continue;
        NAVRequestDataType request{0, 0};
        U_GMSG_bRequest(NAV_MAILBOX, &to, GMSG_ID_NAV_REQUEST_DATA, &DT_NAV_REQUEST_DATA, &request, 0);
        vForgetPeer(u32Ip, "this unit stopped sharing");
    }
    U_NETWORKDEST_pvFree(pvOld);
}
