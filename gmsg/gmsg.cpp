// GMSG messages: header codec, composing, parsing, tokens, pending requests
// and the stream and datagram framing.
//
// Composing serializes the payload straight behind the header, in a block
// that starts at 4096 bytes and grows fourfold (16384, 65536, 262144) while
// the serializer answers that it has no room; 262144 is the last try.
//
// Receiving trusts nothing in a header but its signature and its size, and
// the size only up to GMSG_MAX_RECEIVE_SIZE: a larger announcement is
// refused before anything is allocated, and the caller closes the
// connection. A body is read in pieces, each after a wait of at most 5 s.
//
// The GMSG task receives differently: each connection keeps its own partial
// message (GMSG_RECEIVE_STATE) and is read only as far as its bytes have
// come, so no peer can hold the task. The state grows its block with the
// bytes received, checks the header as soon as it is whole, and ends a
// message that falls silent or is slower than its time limit.
//
// Connections closed against their peers' will are counted per cause; each
// cause is reported at most once a second, with its count, in two lines:
// what the reader found and that the task dropped the connection.
//
// The reply-token counter is one for the whole process; a request takes the
// next value atomically, so no two requests ever share a reply token. The
// pending-request list of a mailbox is guarded by that mailbox's recursive
// resource mutex, which every list call takes.
#include "gmsg/gmsg.h"

#include "gmsg/gmsg_wire.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

using namespace gmsg_wire;

namespace {

std::atomic<U64> s_u64Token{0};

const char* const s_cServiceClass[SERVICE_CLASS_COUNT] = {
    "Default", "System", "Service", "Database", "Serial",      "Sonar",        "Xsonar",        "Nmea",
    "Gps",     "Ais",    "Compass", "Autopilot", "Chart",      "Nav",          "Twr",           "Radar",
    "Weather", "Log",    "Socketserver", "Video", "Pane",      "Test",         "QuellmarNmea",  "QuellmarTemp",
    "QuellmarSonar", "QuellmarAlarm", "QuellmarNav", "QuellmarMCast", "Stevrin",
};

class RequestLock {
public:
    explicit RequestLock(const GMSG_REQUEST_INFO* p) : m_mutex(p->RequestMutex) { L_MUTEX_LockWait(m_mutex); }
    ~RequestLock() { L_MUTEX_Unlock(m_mutex); }
    RequestLock(const RequestLock&) = delete;
    RequestLock& operator=(const RequestLock&) = delete;

private:
    RESOURCE m_mutex;
};

void freeBlock(void* p)
{
    if (p)
        H_MEMORY_vFree(p);
}

U8* rawOf(GMSG_HEADER* h) { return (U8*)h + GMSG_HEADER_SIZE; }

void encodeAddress(const GMSG_ADDRESS* a, U8* w)
{
    putU32(w + GMSG_ADDR_OFS_TYPE, a->MsgAddressType);
    U8* u = w + GMSG_ADDR_OFS_UNION;
    if (a->MsgAddressType == GMSG_ADDRESS_SOCKET) {
        const GSOCKET_ADDRESS& s = a->uAddr.Socket;
        memcpy(u + GSOCKET_ADDR_OFS_ADDRESS, &s.u32Address, 4); // already in network order
        putU32(u + GSOCKET_ADDR_OFS_PORT, s.u32Port);
        putU32(u + GSOCKET_ADDR_OFS_UNUSED1, s.u32Unused1);
        putU32(u + GSOCKET_ADDR_OFS_UNUSED2, s.u32Unused2);
    } else {
        memcpy(u, a->uAddr.Queue.acName, GSOCKET_ADDRESS_SIZE);
    }
}

void decodeAddress(const U8* w, GMSG_ADDRESS* a)
{
    memset(a, 0, sizeof *a);
    a->MsgAddressType = getU32(w + GMSG_ADDR_OFS_TYPE);
    const U8* u = w + GMSG_ADDR_OFS_UNION;
    if (a->MsgAddressType == GMSG_ADDRESS_SOCKET) {
        GSOCKET_ADDRESS& s = a->uAddr.Socket;
        memcpy(&s.u32Address, u + GSOCKET_ADDR_OFS_ADDRESS, 4);
        s.u32Port = getU32(u + GSOCKET_ADDR_OFS_PORT);
        s.u32Unused1 = getU32(u + GSOCKET_ADDR_OFS_UNUSED1);
        s.u32Unused2 = getU32(u + GSOCKET_ADDR_OFS_UNUSED2);
    } else {
        memcpy(a->uAddr.Queue.acName, u, GSOCKET_ADDRESS_SIZE);
    }
}

// A fresh record for a received message.
void clearReceived(GMSG_INFO* pMsgInfo)
{
    memset(pMsgInfo, 0, sizeof *pMsgInfo);
    pMsgInfo->bReceived = TRUE;
}

// Waits until the descriptor is ready for `events`; >0 ready, 0 time-out,
// <0 error.
int waitFor(int fd, short events, int timeoutMs, short* revents)
{
    struct pollfd p = {fd, events, 0};
    int ret;
    do {
        ret = poll(&p, 1, timeoutMs);
    } while (ret < 0 && errno == EINTR);
    *revents = p.revents;
    return ret;
}

// Decodes a copy of a serialized payload; null on failure.
bool decodePayload(const G_DATA_TYPE* t, void* raw, U32 size, void** out)
{
    *out = nullptr;
    if (!t->pfDeserialize)
        return false;
    int remaining = (int)size;
    int consumed = 0;
    const int r = t->pfDeserialize(out, raw, &remaining, &consumed, t);
    if (r < 0) {
        *out = nullptr;
        return false;
    }
    return true;
}

// One row per GMSG_DROP_CAUSE: counts and when the cause was last reported.
struct DropRecord {
    U64 u64Count;
    U64 u64ReportedAt; // kernel clock (ms); meaningful once bReported
    bool bReported;
};
std::mutex s_dropLock;
DropRecord s_drops[GMSG_DROP_COUNT];
constexpr U64 DROP_REPORT_GAP_MS = 1000;

const char* const s_cDropCause[GMSG_DROP_COUNT] = {
    "header without signature",
    "announced size over the limit",
    "no memory for the message",
    "peer stopped inside a message",
    "receive error",
    "silence inside a message",
    "message slower than its time limit",
    "oldest idle connection closed at the connection limit",
    "new connection refused at the connection limit",
};

GMSG_RX_RESULT receiveFailed(GMSG_RECEIVE_STATE* p, GMSG_DROP_CAUSE eCause)
{
    p->eCause = eCause;
    return GMSG_RX_FAILED;
}

// A message whose first byte has not come holds no block.
void dropEmptyBlock(GMSG_RECEIVE_STATE* p)
{
    if (p->u32Got == 0 && p->pu8Block) {
        H_MEMORY_vFree(p->pu8Block);
        p->pu8Block = nullptr;
        p->u32Capacity = 0;
    }
}

const G_DATA_TYPE* const s_StatusMembers[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, &DT_UNSIGNED64, nullptr};
const G_DATA_TYPE* const s_SocketAddressMembers[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, &DT_UNSIGNED32, &DT_UNSIGNED32,
                                                     nullptr};
const G_DATA_TYPE* const s_AddressMembers[] = {&DT_UNSIGNED32, &DT_GSOCKET_ADDRESS, nullptr};

} // namespace

const G_DATA_TYPE DT_GMSG_STATUS =
    DATATYPE_Standard("DT_GMSG_STATUS", G_DF_STRUCT, (int)sizeof(GMSG_STATUS), s_StatusMembers, 1);
const G_DATA_TYPE DT_GSOCKET_ADDRESS =
    DATATYPE_Standard("DT_GSOCKET_ADDRESS", G_DF_STRUCT, (int)sizeof(GSOCKET_ADDRESS), s_SocketAddressMembers, 1);
const G_DATA_TYPE DT_GMSG_ADDRESS =
    DATATYPE_Standard("DT_GMSG_ADDRESS", G_DF_STRUCT, (int)sizeof(GMSG_ADDRESS), s_AddressMembers, 1);

// ------------------------------------------------------------ header codec

void GMSG_vEncodeHeader(const GMSG_HEADER* pHeader, U8* pu8Wire)
{
    putU32(pu8Wire + GMSG_OFS_SIGNATURE, pHeader->u32MsgSignature);
    putU32(pu8Wire + GMSG_OFS_MSGID, pHeader->u32MsgId);
    putU32(pu8Wire + GMSG_OFS_FLAGS, pHeader->u32MsgFlags);
    putU32(pu8Wire + GMSG_OFS_SIZE, pHeader->u32MsgSize);
    encodeAddress(&pHeader->SrcAddress, pu8Wire + GMSG_OFS_SRC_ADDRESS);
    encodeAddress(&pHeader->DstAddress, pu8Wire + GMSG_OFS_DST_ADDRESS);
    putU64(pu8Wire + GMSG_OFS_TOKEN, pHeader->u64Token);
    putU64(pu8Wire + GMSG_OFS_REPLY_TOKEN, pHeader->__u64ReplyToken);
}

void GMSG_vDecodeHeader(const U8* pu8Wire, GMSG_HEADER* pHeader)
{
    pHeader->u32MsgSignature = getU32(pu8Wire + GMSG_OFS_SIGNATURE);
    pHeader->u32MsgId = getU32(pu8Wire + GMSG_OFS_MSGID);
    pHeader->u32MsgFlags = getU32(pu8Wire + GMSG_OFS_FLAGS);
    pHeader->u32MsgSize = getU32(pu8Wire + GMSG_OFS_SIZE);
    decodeAddress(pu8Wire + GMSG_OFS_SRC_ADDRESS, &pHeader->SrcAddress);
    decodeAddress(pu8Wire + GMSG_OFS_DST_ADDRESS, &pHeader->DstAddress);
    pHeader->u64Token = getU64(pu8Wire + GMSG_OFS_TOKEN);
    pHeader->__u64ReplyToken = getU64(pu8Wire + GMSG_OFS_REPLY_TOKEN);
}

const char* GMSG_pcServiceClassName(U32 u32Class)
{
    return u32Class < (U32)SERVICE_CLASS_COUNT ? s_cServiceClass[u32Class] : "Unknown";
}

// --------------------------------------------------------------- addresses

void GMSG_vMakeSocketAddress(GMSG_ADDRESS* pAddress, U32 u32Address, U32 u32Port)
{
    memset(pAddress, 0, sizeof *pAddress);
    pAddress->MsgAddressType = GMSG_ADDRESS_SOCKET;
    pAddress->uAddr.Socket.u32Address = u32Address;
    pAddress->uAddr.Socket.u32Port = u32Port;
}

BOOLEAN GMSG_bAddressEqual(const GMSG_ADDRESS* pMsgAddress1, const GMSG_ADDRESS* pMsgAddress2)
{
    if (!pMsgAddress1 || !pMsgAddress2 || pMsgAddress1->MsgAddressType != GMSG_ADDRESS_SOCKET ||
        pMsgAddress2->MsgAddressType != GMSG_ADDRESS_SOCKET)
        return FALSE;
    const GSOCKET_ADDRESS& a = pMsgAddress1->uAddr.Socket;
    const GSOCKET_ADDRESS& b = pMsgAddress2->uAddr.Socket;
    return a.u32Address == b.u32Address && a.u32Port == b.u32Port;
}

// ---------------------------------------------------- building and freeing

BOOLEAN GMSG_bCreate(GMSG_INFO* pMsgInfo, const GMSG_ADDRESS* pMyAddress, U32 eMsgId, const G_DATA_TYPE* pDataType,
                     void* pData, U32 u32Flags)
{
    if (!pMsgInfo)
        return FALSE;
    memset(pMsgInfo, 0, sizeof *pMsgInfo);
    const U32 size = pDataType ? GMSG_FIRST_BLOCK_SIZE : (U32)GMSG_HEADER_SIZE;
    GMSG_HEADER* h = (GMSG_HEADER*)H_MEMORY_pvMalloc(size);
    if (!h)
        return FALSE;
    memset(h, 0, GMSG_HEADER_SIZE);
    h->u32MsgSignature = GMSG_SIGNATURE;
    h->u32MsgId = eMsgId;
    h->u32MsgSize = 0;
    h->u32MsgFlags = u32Flags;
    if (pMyAddress)
        h->SrcAddress = *pMyAddress;
    h->u64Token = GMSG_TOKEN_NONE;
    pMsgInfo->pMsgHeader = h;
    pMsgInfo->pDataType = pDataType;
    pMsgInfo->pStructMsg = pData;
    return TRUE;
}

BOOLEAN GMSG_bSerialize(GMSG_INFO* pMsgInfo)
{
    if (!pMsgInfo || !pMsgInfo->pMsgHeader)
        return FALSE;
    const G_DATA_TYPE* t = pMsgInfo->pDataType;
    pMsgInfo->pMsgHeader->u32MsgSize = 0;
    pMsgInfo->pRawMsg = nullptr;
    if (!t)
        return TRUE;

    U32 blockSize = GMSG_FIRST_BLOCK_SIZE;
    GMSG_HEADER* h = (GMSG_HEADER*)H_MEMORY_pvRealloc(pMsgInfo->pMsgHeader, blockSize);
    for (;;) {
        if (!h)
            break;
        pMsgInfo->pMsgHeader = h;
        void* pos = rawOf(h);
        int remaining = (int)(blockSize - GMSG_HEADER_SIZE);
        int size = 0;
        const int r = t->pfSerialize ? t->pfSerialize(pMsgInfo->pStructMsg, &pos, &remaining, &size, t)
                                     : (int)DATATYPE_ERR_FORMAT;
        if (r >= 0) {
            h->u32MsgSize = (U32)size;
            pMsgInfo->pRawMsg = size ? rawOf(h) : nullptr;
            return TRUE;
        }
        if (r != DATATYPE_ERR_NO_ROOM || blockSize >= GMSG_MAX_MESSAGE_SIZE)
            break;
        blockSize *= 4;
        h = (GMSG_HEADER*)H_MEMORY_pvRealloc(h, blockSize);
    }
    log_me("GMSG_bSerialize: serialization error");
    freeBlock(pMsgInfo->pMsgHeader);
    pMsgInfo->pMsgHeader = nullptr;
    return FALSE;
}

BOOLEAN GMSG_bAddress(GMSG_INFO* pMsgInfo, const GMSG_ADDRESS* pDstAddress, U64 u64Token)
{
    if (!pMsgInfo || !pMsgInfo->pMsgHeader)
        return FALSE;
    if (pDstAddress)
        pMsgInfo->pMsgHeader->DstAddress = *pDstAddress;
    else
        memset(&pMsgInfo->pMsgHeader->DstAddress, 0, sizeof(GMSG_ADDRESS));
    pMsgInfo->pMsgHeader->u64Token = u64Token;
    return TRUE;
}

BOOLEAN GMSG_bCompose(GMSG_INFO* pMsgInfo, const GMSG_ADDRESS* pSrcAddress, const GMSG_ADDRESS* pDstAddress,
                      U32 eMsgId, const G_DATA_TYPE* pDataType, void* pData, U64 u64Token, U64 __u64ReplyToken,
                      U32 u32Flags, BOOLEAN bUdp, U32 u32UdpLength)
{
    if (!GMSG_bCreate(pMsgInfo, pSrcAddress, eMsgId, pDataType, pData, u32Flags))
        return FALSE;
    if (bUdp)
        pMsgInfo->u32UdpLength = u32UdpLength;
    else if (!GMSG_bSerialize(pMsgInfo))
        return FALSE;
    GMSG_bAddress(pMsgInfo, pDstAddress, u64Token);
    pMsgInfo->pMsgHeader->__u64ReplyToken = (u32Flags & GMSG_FLAG_REQUEST) ? ++s_u64Token : __u64ReplyToken;
    return TRUE;
}

BOOLEAN GMSG_bParse(GMSG_INFO* pMsgInfo, const G_DATA_TYPE* pDataType)
{
    if (!pMsgInfo || !pMsgInfo->pMsgHeader)
        return FALSE;
    if (pMsgInfo->bReceived && pMsgInfo->pDataType && pMsgInfo->pStructMsg && pMsgInfo->pDataType->pfDeallocate)
        pMsgInfo->pDataType->pfDeallocate(pMsgInfo->pStructMsg, TRUE, pMsgInfo->pDataType);
    pMsgInfo->pStructMsg = nullptr;
    pMsgInfo->pDataType = pDataType;
    if (!pDataType)
        return TRUE;
    if (!decodePayload(pDataType, pMsgInfo->pRawMsg, pMsgInfo->pMsgHeader->u32MsgSize, &pMsgInfo->pStructMsg)) {
        log_me("GMSG_bParse: payload decode error, id 0x%06X size %u", (unsigned)pMsgInfo->pMsgHeader->u32MsgId,
               (unsigned)pMsgInfo->pMsgHeader->u32MsgSize);
        return FALSE;
    }
    return TRUE;
}

BOOLEAN GMSG_bFree(GMSG_INFO* pMsgInfo)
{
    if (!pMsgInfo)
        return FALSE;
    if (pMsgInfo->bReceived) {
        const G_DATA_TYPE* t = pMsgInfo->pDataType;
        if (t && pMsgInfo->pStructMsg && t->pfDeallocate)
            t->pfDeallocate(pMsgInfo->pStructMsg, TRUE, t);
        pMsgInfo->pStructMsg = nullptr;
        const G_DATA_TYPE* rt = pMsgInfo->pRequestDataType;
        if (rt && pMsgInfo->pRequestMsg && rt->pfDeallocate)
            rt->pfDeallocate(pMsgInfo->pRequestMsg, TRUE, rt);
        pMsgInfo->pRequestMsg = nullptr;
    }
    freeBlock(pMsgInfo->pMsgHeader);
    pMsgInfo->pMsgHeader = nullptr;
    pMsgInfo->pRawMsg = nullptr;
    return TRUE;
}

// -------------------------------------------------------- pending requests

BOOLEAN GMSG_bHandleRequests(GMSG_REQUEST_INFO* pMsgRequestInfo, GMSG_INFO* pMsgInfo)
{
    if (!pMsgInfo || !pMsgInfo->pMsgHeader || !(pMsgInfo->pMsgHeader->u32MsgFlags & GMSG_FLAG_REQUEST))
        return TRUE;
    if (!GMSG_bAddRequest(pMsgRequestInfo, pMsgInfo)) {
        log_me("GMSG_bCommonSend: add request fail");
        return FALSE;
    }
    return TRUE;
}

BOOLEAN GMSG_bAddRequest(GMSG_REQUEST_INFO* pMsgRequestInfo, GMSG_INFO* pMsgInfo)
{
    if (!pMsgRequestInfo || !pMsgInfo || !pMsgInfo->pMsgHeader)
        return FALSE;
    RequestLock lock(pMsgRequestInfo);
    const GMSG_HEADER* h = pMsgInfo->pMsgHeader;
    if (GMSG_pFindRequest(pMsgRequestInfo, h->__u64ReplyToken)) {
        log_me("GMSG_bAddRequest: token not unique.");
        return FALSE;
    }
    GMSG_REQUEST_NODE* node = (GMSG_REQUEST_NODE*)H_MEMORY_pvMalloc(sizeof(GMSG_REQUEST_NODE));
    if (!node)
        return FALSE;
    memset(node, 0, sizeof *node);
    GMSG_REQUEST& r = node->Request;
    r.u32MsgId = h->u32MsgId;
    r.s32RequestTimeout = GMSG_REQUEST_TICKS;
    r.u64Token = h->u64Token;
    r.__u64ReplyToken = h->__u64ReplyToken;
    r.pDataType = pMsgInfo->pDataType;
    if (r.pDataType && !decodePayload(r.pDataType, pMsgInfo->pRawMsg, h->u32MsgSize, &r.pData)) {
        log_me("GMSG_bAddRequest: request copy failed");
        freeBlock(node);
        return FALSE;
    }
    GMSG_REQUEST_NODE** tail = &pMsgRequestInfo->pHead;
    while (*tail)
        tail = &(*tail)->pNext;
    *tail = node;
    return TRUE;
}

GMSG_REQUEST_NODE* GMSG_pFindRequest(GMSG_REQUEST_INFO* pMsgRequestInfo, U64 __u64ReplyToken)
{
    if (!pMsgRequestInfo)
        return nullptr;
    RequestLock lock(pMsgRequestInfo);
    for (GMSG_REQUEST_NODE* n = pMsgRequestInfo->pHead; n; n = n->pNext)
        if (n->Request.__u64ReplyToken == __u64ReplyToken)
            return n;
    return nullptr;
}

BOOLEAN GMSG_bDeleteRequest(GMSG_REQUEST_INFO* pMsgRequestInfo, GMSG_REQUEST_NODE* pNodeToDelete)
{
    if (!pMsgRequestInfo)
        return FALSE;
    RequestLock lock(pMsgRequestInfo);
    for (GMSG_REQUEST_NODE** link = &pMsgRequestInfo->pHead; *link; link = &(*link)->pNext) {
        if (*link == pNodeToDelete) {
            *link = pNodeToDelete->pNext;
            freeBlock(pNodeToDelete);
            return TRUE;
        }
    }
    log_me("GMSG_bDeleteRequest: Node not found.");
    return FALSE;
}

BOOLEAN GMSG_bDeleteRequestByToken(GMSG_REQUEST_INFO* pMsgRequestInfo, U64 __u64ReplyToken)
{
    if (!pMsgRequestInfo)
        return FALSE;
    RequestLock lock(pMsgRequestInfo);
    GMSG_REQUEST_NODE* node = GMSG_pFindRequest(pMsgRequestInfo, __u64ReplyToken);
    if (node) {
        // Nobody takes the copy over here, so it goes with the node.
        const G_DATA_TYPE* t = node->Request.pDataType;
        if (t && node->Request.pData && t->pfDeallocate)
            t->pfDeallocate(node->Request.pData, TRUE, t);
        node->Request.pData = nullptr;
    }
    return GMSG_bDeleteRequest(pMsgRequestInfo, node);
}

void GMSG_vDeleteAllRequests(GMSG_REQUEST_INFO* pMsgRequestInfo)
{
    if (!pMsgRequestInfo)
        return;
    RequestLock lock(pMsgRequestInfo);
    GMSG_REQUEST_NODE* n = pMsgRequestInfo->pHead;
    pMsgRequestInfo->pHead = nullptr;
    while (n) {
        GMSG_REQUEST_NODE* next = n->pNext;
        const G_DATA_TYPE* t = n->Request.pDataType;
        if (t && n->Request.pData && t->pfDeallocate)
            t->pfDeallocate(n->Request.pData, TRUE, t);
        freeBlock(n);
        n = next;
    }
}

BOOLEAN GMSG_bHandleReplies(GMSG_REQUEST_INFO* pMsgRequestInfo, GMSG_INFO* pMsgInfo)
{
    if (!pMsgRequestInfo || !pMsgInfo || !pMsgInfo->pMsgHeader ||
        !(pMsgInfo->pMsgHeader->u32MsgFlags & GMSG_FLAG_REPLY))
        return TRUE;
    RequestLock lock(pMsgRequestInfo);
    GMSG_REQUEST_NODE* node = GMSG_pFindRequest(pMsgRequestInfo, pMsgInfo->pMsgHeader->__u64ReplyToken);
    if (!node) {
        log_me("GMSG_bHandleReplies: unable to find request");
        log_me("GMSG_bHandleSynchronously: Got unmatched reply.");
        return TRUE;
    }
    const G_DATA_TYPE* t = node->Request.pDataType;
    void* data = node->Request.pData;
    if (!GMSG_bDeleteRequest(pMsgRequestInfo, node)) {
        log_me("GMSG_bHandleReplies: unable to delete request");
        log_me("GMSG_bHandleSynchronously: Got unmatched reply.");
        return TRUE;
    }
    pMsgInfo->bReply = TRUE;
    pMsgInfo->pRequestDataType = t;
    pMsgInfo->pRequestMsg = data;
    return TRUE;
}

BOOLEAN GMSG_bMessageTimeout(GMSG_REQUEST_INFO* pMsgRequestInfo)
{
    if (!pMsgRequestInfo)
        return FALSE;
    RequestLock lock(pMsgRequestInfo);
    for (GMSG_REQUEST_NODE* n = pMsgRequestInfo->pHead; n; n = n->pNext)
        if (n->Request.s32RequestTimeout > 0)
            --n->Request.s32RequestTimeout;
    return TRUE;
}

GMSG_REQUEST_NODE* GMSG_pFindExpiredRequest(GMSG_REQUEST_INFO* pMsgRequestInfo)
{
    if (!pMsgRequestInfo)
        return nullptr;
    RequestLock lock(pMsgRequestInfo);
    for (GMSG_REQUEST_NODE* n = pMsgRequestInfo->pHead; n; n = n->pNext) {
        if (n->Request.s32RequestTimeout == 0) {
            n->Request.s32RequestTimeout = -1;
            return n;
        }
    }
    return nullptr;
}

// ----------------------------------------------------------------- framing

BOOLEAN GMSG_bMsgAvailable(GSOCKET* pSocket, GMSG_HEADER* pHeader)
{
    U8 wire[GMSG_HEADER_SIZE];
    if (GSOCKET_nDataAvailable(pSocket, wire, GMSG_HEADER_SIZE) != GMSG_HEADER_SIZE)
        return FALSE;
    if (pHeader)
        GMSG_vDecodeHeader(wire, pHeader);
    return TRUE;
}

BOOLEAN GMSG_bMsgAvailableUdp(GSOCKET* pSocket, GMSG_HEADER*)
{
    U8 first;
    return GSOCKET_nDataAvailableUdp(pSocket, &first, 1) >= 1;
}

BOOLEAN GMSG_bMsgAvailableAll(GSOCKET* pSocket, GMSG_HEADER* pHeader, BOOLEAN bUdp)
{
    return bUdp ? GMSG_bMsgAvailableUdp(pSocket, pHeader) : GMSG_bMsgAvailable(pSocket, pHeader);
}

BOOLEAN GMSG_bReceiveSocket(GSOCKET* pReceiveSocket, GMSG_INFO* pMsgInfo)
{
    if (!pReceiveSocket || !pMsgInfo)
        return FALSE;
    clearReceived(pMsgInfo);

    U8 wire[GMSG_HEADER_SIZE];
    const int n = GSOCKET_nReceive(pReceiveSocket, wire, GMSG_HEADER_SIZE);
    if (n < 0) {
        log_me("GMSG_nReceiveSocket: msg header receive error");
        return FALSE;
    }
    if (n != GMSG_HEADER_SIZE) {
        log_me("GMSG_nReceiveSocket: msg header size error");
        return FALSE;
    }
    if (getU32(wire + GMSG_OFS_SIGNATURE) != GMSG_SIGNATURE) {
        log_me("GMSG_nReceiveSocket: msg header signature error");
        return FALSE;
    }
    GMSG_HEADER header;
    GMSG_vDecodeHeader(wire, &header);
    const U32 size = header.u32MsgSize;
    if (size > GMSG_MAX_RECEIVE_SIZE) {
        log_me("GMSG_nReceiveSocket: msg size error");
        log_me("GMSG_nReceiveSocket: msg size = %u, limit = %u", (unsigned)size, (unsigned)GMSG_MAX_RECEIVE_SIZE);
        return FALSE;
    }
    // Without waiting: a peer that floods large messages must not stall the
    // task that reads every connection.
    GMSG_HEADER* h = (GMSG_HEADER*)H_MEMORY_pvMallocNoWait((U32)GMSG_HEADER_SIZE + size);
    if (!h) {
        log_me("GMSG_nReceiveSocket: no memory for msg size = %u", (unsigned)size);
        return FALSE;
    }
    *h = header;
    if (size == 0) {
        pMsgInfo->pMsgHeader = h;
        return TRUE;
    }

    U8* body = rawOf(h);
    U32 got = 0;
    while (got < size) {
        short revents = 0;
        const int ready = waitFor(pReceiveSocket->nSocket, POLLIN, GMSG_DEFAULT_WAIT_MS, &revents);
        if (ready < 0) {
            log_me("GMSG_nReceiveSocket: select error.");
            break;
        }
        if (ready == 0) {
            log_me("GMSG_nReceiveSocket: select timeout");
            break;
        }
        const U32 missing = size - got;
        const int want = missing < (U32)GMSG_PIECE_SIZE ? (int)missing : GMSG_PIECE_SIZE;
        const int r = GSOCKET_nReceive(pReceiveSocket, body + got, want);
        if (r < 0) {
            log_me("GMSG_nReceiveSocket: receive error");
            freeBlock(h);
            return FALSE;
        }
        if (r == 0) {
            log_me("GMSG_nReceiveSocket: received 0 bytes on read-ready socket");
            break;
        }
        got += (U32)r;
    }
    if (got < size) {
        log_me("GMSG_nReceiveSocket: msg body receive size error");
        log_me("GMSG_nReceiveSocket: receive = %d, msg size = %d", (int)got, (int)size);
        freeBlock(h);
        return FALSE;
    }
    pMsgInfo->pMsgHeader = h;
    pMsgInfo->pRawMsg = body;
    return TRUE;
}

BOOLEAN GMSG_bReceiveMessage(GMSG_REQUEST_INFO* pMsgRequestInfo, GSOCKET* pReceiveSocket, GMSG_INFO* pMsgInfo)
{
    if (!GMSG_bReceiveSocket(pReceiveSocket, pMsgInfo))
        return FALSE;
    GMSG_bHandleReplies(pMsgRequestInfo, pMsgInfo);
    return TRUE;
}

BOOLEAN GMSG_bReceiveSocketAdapter(void* messageBody, U32 messageLen, GMSG_INFO* pMsgInfo)
{
    if (!pMsgInfo) {
        freeBlock(messageBody);
        return FALSE;
    }
    clearReceived(pMsgInfo);
    if (!messageBody)
        return FALSE;
    U8* block = (U8*)messageBody;
    if (messageLen < (U32)GMSG_HEADER_SIZE || getU32(block + GMSG_OFS_SIGNATURE) != GMSG_SIGNATURE) {
        log_me("GMSG_nReceiveSocketAdapter: msg header signature error");
        freeBlock(messageBody);
        return FALSE;
    }
    U8 wire[GMSG_HEADER_SIZE];
    memcpy(wire, block, GMSG_HEADER_SIZE);
    GMSG_HEADER* h = (GMSG_HEADER*)messageBody;
    GMSG_vDecodeHeader(wire, h);
    if (h->u32MsgSize > messageLen - (U32)GMSG_HEADER_SIZE) {
        log_me("GMSG_nReceiveSocketAdapter: msg size error (%u of %u bytes)", (unsigned)h->u32MsgSize,
               (unsigned)(messageLen - GMSG_HEADER_SIZE));
        freeBlock(messageBody);
        return FALSE;
    }
    pMsgInfo->pMsgHeader = h;
    pMsgInfo->pRawMsg = h->u32MsgSize ? rawOf(h) : nullptr;
    return TRUE;
}

BOOLEAN GMSG_bReceiveUDPSocket(GSOCKET* pListenSocket, GMSG_INFO* pMsgInfo)
{
    if (!pListenSocket || !pMsgInfo)
        return FALSE;
    clearReceived(pMsgInfo);
    GMSG_HEADER* h = (GMSG_HEADER*)H_MEMORY_pvMalloc(GMSG_UDP_BLOCK_SIZE);
    if (!h)
        return FALSE;
    memset(h, 0, GMSG_UDP_BLOCK_SIZE);
    const int n = GSOCKET_nReceiveFrom(pListenSocket, rawOf(h), (int)GMSG_UDP_MAX_PAYLOAD);
    if (n < 0) {
        log_me("GMSG_nReceiveUDPSocket: msg receive error");
        freeBlock(h);
        return FALSE;
    }
    if (n == 0) {
        log_me("GMSG_nReceiveSocket: msg body receive size error");
        freeBlock(h);
        return FALSE;
    }
    h->u32MsgId = GMSG_ID_RADAR_RECEIVE_DATA;
    h->u32MsgSize = (U32)n;
    pMsgInfo->pMsgHeader = h;
    pMsgInfo->pRawMsg = rawOf(h);
    return TRUE;
}

BOOLEAN GMSG_bSendSocket(GMSG_INFO* pMsgInfo, GSOCKET* pSendSocket, BOOLEAN bFreeMsgInfo)
{
    if (!pMsgInfo || !pMsgInfo->pMsgHeader || !pSendSocket) {
        if (pMsgInfo && bFreeMsgInfo) {
            GMSG_bFree(pMsgInfo);
            freeBlock(pMsgInfo);
        }
        return FALSE;
    }
    const GMSG_HEADER* h = pMsgInfo->pMsgHeader;
    U8 wire[GMSG_HEADER_SIZE];
    GMSG_vEncodeHeader(h, wire);
    const U8* body = rawOf(pMsgInfo->pMsgHeader);
    const U32 total = (U32)GMSG_HEADER_SIZE + h->u32MsgSize;
    const int waitMs = pMsgInfo->u32TimeoutInMs ? (int)pMsgInfo->u32TimeoutInMs : GMSG_DEFAULT_WAIT_MS;

    U32 sent = 0;
    while (sent < total) {
        short revents = 0;
        const int ready = waitFor(pSendSocket->nSocket, POLLOUT, waitMs, &revents);
        if (ready < 0) {
            log_me("GMSG_bSendSocket: select() error.");
            break;
        }
        if (ready == 0) {
            log_me("GMSG_bSendSocket: select() timeout");
            break;
        }
        if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
            log_me("GMSG_bSendSocket: select() error on socket");
            break;
        }
        // The encoded header goes first, then the payload from the block.
        const U8* from;
        U32 left;
        if (sent < (U32)GMSG_HEADER_SIZE) {
            from = wire + sent;
            left = (U32)GMSG_HEADER_SIZE - sent;
        } else {
            from = body + (sent - GMSG_HEADER_SIZE);
            left = total - sent;
        }
        const int piece = left < (U32)GMSG_PIECE_SIZE ? (int)left : GMSG_PIECE_SIZE;
        const int n = GSOCKET_nSend(pSendSocket, from, piece);
        if (n < 0) {
            log_me("GMSG_bSendSocket: send() error.");
            break;
        }
        if (n == 0) {
            log_me("GMSG_bSendSocket: sent 0 bytes on write-ready socket");
            break;
        }
        sent += (U32)n;
    }
    const bool ok = sent == total;
    if (!ok) {
        log_me("GMSG_bSendSocket: msg send size error");
        log_me("GMSG_bSendSocket: send = %d, msg size = %d", (int)sent, (int)total);
    }
    if (bFreeMsgInfo) {
        GMSG_bFree(pMsgInfo);
        freeBlock(pMsgInfo);
    }
    return ok;
}

BOOLEAN GMSG_bSendSocketUDP(GSOCKET* socket, const void* pBuffer, int nLen, const GSOCKET_ADDRESS* dstAddr)
{
    if (!socket || !pBuffer || !dstAddr || nLen <= 0)
        return FALSE;
    struct sockaddr_in sa;
    memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons((U16)dstAddr->u32Port);
    sa.sin_addr.s_addr = dstAddr->u32Address;
    const ssize_t n = sendto(socket->nSocket, pBuffer, (size_t)nLen, MSG_NOSIGNAL, (struct sockaddr*)&sa, sizeof sa);
    if (n != nLen) {
        log_me("GMSG_bSendSocketUDP: send error");
        return FALSE;
    }
    return TRUE;
}

// ------------------------------------------- refused and dropped connections

BOOLEAN GMSG_bCountDrop(GMSG_DROP_CAUSE eCause, U64* pu64Count)
{
    if (pu64Count)
        *pu64Count = 0;
    if ((unsigned)eCause >= (unsigned)GMSG_DROP_COUNT)
        return FALSE;
    const U64 now = L_CLOCK_qwGetTimeInMillis();
    std::lock_guard<std::mutex> lock(s_dropLock);
    DropRecord& d = s_drops[eCause];
    ++d.u64Count;
    if (pu64Count)
        *pu64Count = d.u64Count;
    if (d.bReported && now - d.u64ReportedAt < DROP_REPORT_GAP_MS)
        return FALSE;
    d.bReported = true;
    d.u64ReportedAt = now;
    return TRUE;
}

const char* GMSG_pcDropCause(GMSG_DROP_CAUSE eCause)
{
    return (unsigned)eCause < (unsigned)GMSG_DROP_COUNT ? s_cDropCause[eCause] : "unknown";
}

U64 GMSG_u64DropCount(GMSG_DROP_CAUSE eCause)
{
    if ((unsigned)eCause >= (unsigned)GMSG_DROP_COUNT)
        return 0;
    std::lock_guard<std::mutex> lock(s_dropLock);
    return s_drops[eCause].u64Count;
}

void GMSG_vClearDrops(void)
{
    std::lock_guard<std::mutex> lock(s_dropLock);
    memset(s_drops, 0, sizeof s_drops);
}

// ------------------------------------------ reception of one connection

U64 GMSG_u64ReceiveLimitMs(U32 u32MsgSize)
{
    return (U64)GMSG_RECEIVE_BASE_MS + (U64)u32MsgSize * 1000u / GMSG_RECEIVE_MIN_RATE;
}

void GMSG_vReceiveInit(GMSG_RECEIVE_STATE* pState)
{
    if (pState)
        memset(pState, 0, sizeof *pState);
}

void GMSG_vReceiveReset(GMSG_RECEIVE_STATE* pState)
{
    if (!pState)
        return;
    freeBlock(pState->pu8Block);
    const GMSG_DROP_CAUSE eCause = pState->eCause;
    memset(pState, 0, sizeof *pState);
    pState->eCause = eCause;
}

BOOLEAN GMSG_bReceiveInMessage(const GMSG_RECEIVE_STATE* pState) { return pState && pState->u32Got > 0; }

U8* GMSG_pu8ReceiveSpace(GMSG_RECEIVE_STATE* pState, U32* pu32Room)
{
    if (!pState || !pu32Room)
        return nullptr;
    *pu32Room = 0;
    const U32 end = pState->bHeader ? (U32)GMSG_HEADER_SIZE + pState->u32Size : (U32)GMSG_HEADER_SIZE;
    if (pState->u32Got >= end)
        return nullptr; // a whole message is handed over at once; nothing is ever left here
    if (pState->u32Got == pState->u32Capacity) {
        // The header first, alone; then fourfold steps from 4096 bytes, and
        // the rest of the way at once when a step would reach half of it.
        U32 capacity = (U32)GMSG_HEADER_SIZE;
        if (pState->pu8Block) {
            const U32 step = std::max(GMSG_FIRST_BLOCK_SIZE, pState->u32Capacity * 4);
            capacity = step >= end / 2 ? end : step;
        }
        U8* block = (U8*)H_MEMORY_pvMallocNoWait(capacity);
        if (!block) {
            pState->eCause = GMSG_DROP_NO_MEMORY;
            return nullptr;
        }
        if (pState->pu8Block) {
            memcpy(block, pState->pu8Block, pState->u32Got);
            H_MEMORY_vFree(pState->pu8Block);
        }
        pState->pu8Block = block;
        pState->u32Capacity = capacity;
    }
    const U32 room = std::min(pState->u32Capacity, end) - pState->u32Got;
    *pu32Room = std::min(room, (U32)GMSG_PIECE_SIZE);
    return pState->pu8Block + pState->u32Got;
}

GMSG_RX_RESULT GMSG_eReceiveTake(GMSG_RECEIVE_STATE* pState, U32 u32Count, U64 u64Now, GMSG_INFO* pMsgInfo)
{
    if (!pState || !pMsgInfo)
        return GMSG_RX_MORE;
    if (u32Count == 0 || !pState->pu8Block)
        return GMSG_eReceiveCheckTime(pState, u64Now);
    const U32 end = pState->bHeader ? (U32)GMSG_HEADER_SIZE + pState->u32Size : (U32)GMSG_HEADER_SIZE;
    if (u32Count > std::min(pState->u32Capacity, end) - pState->u32Got)
        return receiveFailed(pState, GMSG_DROP_RECEIVE_ERROR); // more than the space offered
    if (pState->u32Got == 0)
        pState->u64Started = u64Now;
    pState->u64LastByte = u64Now;
    pState->u32Got += u32Count;

    if (!pState->bHeader) {
        if (pState->u32Got < (U32)GMSG_HEADER_SIZE)
            return GMSG_eReceiveCheckTime(pState, u64Now);
        U8 wire[GMSG_HEADER_SIZE];
        memcpy(wire, pState->pu8Block, GMSG_HEADER_SIZE);
        if (getU32(wire + GMSG_OFS_SIGNATURE) != GMSG_SIGNATURE)
            return receiveFailed(pState, GMSG_DROP_SIGNATURE);
        GMSG_HEADER header;
        GMSG_vDecodeHeader(wire, &header);
        pState->u32Size = header.u32MsgSize;
        if (header.u32MsgSize > GMSG_MAX_RECEIVE_SIZE)
            return receiveFailed(pState, GMSG_DROP_TOO_LARGE);
        *(GMSG_HEADER*)pState->pu8Block = header;
        pState->bHeader = TRUE;
    }
    if (pState->u32Got < (U32)GMSG_HEADER_SIZE + pState->u32Size)
        return GMSG_eReceiveCheckTime(pState, u64Now);

    clearReceived(pMsgInfo);
    pMsgInfo->pMsgHeader = (GMSG_HEADER*)pState->pu8Block;
    pMsgInfo->pRawMsg = pState->u32Size ? rawOf(pMsgInfo->pMsgHeader) : nullptr;
    pState->pu8Block = nullptr;
    GMSG_vReceiveReset(pState);
    return GMSG_RX_COMPLETE;
}

GMSG_RX_RESULT GMSG_eReceiveCheckTime(GMSG_RECEIVE_STATE* pState, U64 u64Now)
{
    if (!GMSG_bReceiveInMessage(pState))
        return GMSG_RX_MORE;
    // A clock that stepped back counts as no time at all.
    const U64 quiet = u64Now > pState->u64LastByte ? u64Now - pState->u64LastByte : 0;
    const U64 taken = u64Now > pState->u64Started ? u64Now - pState->u64Started : 0;
    if (quiet >= GMSG_RECEIVE_SILENCE_MS)
        return receiveFailed(pState, GMSG_DROP_SILENT);
    if (taken >= GMSG_u64ReceiveLimitMs(pState->bHeader ? pState->u32Size : 0))
        return receiveFailed(pState, GMSG_DROP_TOO_SLOW);
    return GMSG_RX_MORE;
}

GMSG_RX_RESULT GMSG_eReceiveStream(GMSG_RECEIVE_STATE* pState, GSOCKET* pSocket, U64 u64Now, GMSG_INFO* pMsgInfo)
{
    if (!pState || !pSocket || !pMsgInfo)
        return GMSG_RX_MORE;
    for (;;) {
        U32 room = 0;
        U8* at = GMSG_pu8ReceiveSpace(pState, &room);
        if (!at)
            return GMSG_RX_FAILED;
        const ssize_t n = recv(pSocket->nSocket, at, room, MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                dropEmptyBlock(pState);
                return GMSG_eReceiveCheckTime(pState, u64Now);
            }
            return receiveFailed(pState, GMSG_DROP_RECEIVE_ERROR);
        }
        if (n == 0) {
            if (GMSG_bReceiveInMessage(pState))
                return receiveFailed(pState, GMSG_DROP_TRUNCATED);
            dropEmptyBlock(pState);
            return GMSG_RX_CLOSED;
        }
        const GMSG_RX_RESULT r = GMSG_eReceiveTake(pState, (U32)n, u64Now, pMsgInfo);
        if (r != GMSG_RX_MORE)
            return r;
    }
}

void GMSG_vReportReceiveFailure(const GMSG_RECEIVE_STATE* pState)
{
    if (!pState)
        return;
    U64 count = 0;
    if (!GMSG_bCountDrop(pState->eCause, &count))
        return;
    // How far the message had come, for the causes that cut one short.
    char progress[80];
    if (!pState->bHeader)
        snprintf(progress, sizeof progress, "msg header size error (%u of %d bytes)", (unsigned)pState->u32Got,
                 GMSG_HEADER_SIZE);
    else
        snprintf(progress, sizeof progress, "receive = %d, msg size = %d", (int)(pState->u32Got - GMSG_HEADER_SIZE),
                 (int)pState->u32Size);
    switch (pState->eCause) {
    case GMSG_DROP_SIGNATURE:
        log_me("GMSG_nReceiveSocket: msg header signature error");
        break;
    case GMSG_DROP_TOO_LARGE:
        log_me("GMSG_nReceiveSocket: msg size error (msg size = %u, limit = %u)", (unsigned)pState->u32Size,
               (unsigned)GMSG_MAX_RECEIVE_SIZE);
        break;
    case GMSG_DROP_NO_MEMORY:
        log_me("GMSG_nReceiveSocket: no memory for msg size = %u", (unsigned)pState->u32Size);
        break;
    case GMSG_DROP_TRUNCATED:
        log_me("GMSG_nReceiveSocket: received 0 bytes on read-ready socket, %s", progress);
        break;
    case GMSG_DROP_SILENT:
        log_me("GMSG_nReceiveSocket: select timeout, %s", progress);
        break;
    case GMSG_DROP_TOO_SLOW:
        log_me("GMSG_nReceiveSocket: msg time limit of %llu ms exceeded, %s",
               (unsigned long long)GMSG_u64ReceiveLimitMs(pState->bHeader ? pState->u32Size : 0), progress);
        break;
    default:
        log_me("GMSG_nReceiveSocket: receive error");
        break;
    }
    log_me("T_GMSG_vHandleNewMessage: Receive Message Failure (%s: %llu in all)", GMSG_pcDropCause(pState->eCause),
           (unsigned long long)count);
}
