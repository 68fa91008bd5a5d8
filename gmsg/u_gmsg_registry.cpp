// The registry of GMSG mailboxes and their connections.
//
// Every search skips marked records. A record found without a hold may be
// used only by the GMSG task, which is the one thread that marks records
// (on unregistration and shutdown); any other thread takes a hold first.
// A record is freed by whoever drops its last hold after it was marked, or
// at once by the deletion when it is not held.
//
// Freeing a mailbox record closes its own socket, ends its pending requests
// and closes what is left of its connections without mailing the owner,
// which has given the mailbox up. Freeing a connection record closes its
// socket (never the shared one of a datagram mailbox) and mails
// CMD_ID_GMSG_DISCONNECT to the owner.
//
// Connections are counted over all mailboxes. At GMSG_MAX_CONNECTIONS a new
// one, accepted or made for a send, first closes the oldest idle connection:
// unheld, with no part of a message received or waiting on its socket. One
// that never carried a message goes first, as no peer relies on it; among
// the others the one quiet for longest. With none idle the new connection is
// refused. The choice runs under mutex 75 and, one mailbox at a time, under
// each resource mutex; the record chosen is looked for again before it goes,
// as its mailbox's mutex was let go in between.
#include "gmsg/u_gmsg_registry.h"

#include "gmsg/t_ethernet_standin.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

GMSG_REG_MAILBOX_LIST s_RegMailboxList = {nullptr};
std::atomic<int> s_nConnections{0}; // records with a socket of their own

class MutexLock {
public:
    explicit MutexLock(MUTEX m) : m_mutex(m) { L_MUTEX_LockWait(m_mutex); }
    ~MutexLock() { L_MUTEX_Unlock(m_mutex); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    MUTEX m_mutex;
};

// A message leaves as a header and its payload in separate writes; without
// this the payload would wait for the acknowledgement of the header.
void sendAtOnce(const GSOCKET* sock)
{
    const int on = 1;
    setsockopt(sock->nSocket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Readable after a signal: the socket thread watches it beside the sockets,
// so that a mailbox that becomes free again ends a running wait at once.
int wakeDescriptor()
{
    static const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}

bool isOwnSocket(const GMSG_MAILBOX* mb, int fd) { return fd >= 0 && mb->MsgObject.Socket.nSocket == fd; }

// Under the mailbox's resource mutex.
bool unlinkSocketNode(GMSG_MAILBOX* mb, GMSG_SOCKET_NODE* node)
{
    for (GMSG_SOCKET_NODE** link = &mb->MsgSocketInfo.pHead; *link; link = &(*link)->pNext) {
        if (*link == node) {
            *link = node->pNext;
            node->pNext = nullptr;
            return true;
        }
    }
    return false;
}

// The end of an unlinked connection record.
void finishSocketNode(GMSG_MAILBOX* mb, GMSG_SOCKET_NODE* node, bool bTellOwner)
{
    if (!node->bShared) {
        if (bTellOwner) {
            MSG_GMSG_DISCONNECT* mail = (MSG_GMSG_DISCONNECT*)H_MEMORY_pvMalloc(sizeof(MSG_GMSG_DISCONNECT));
            memset(mail, 0, sizeof *mail);
            mail->Header.Cmd = CMD_ID_GMSG_DISCONNECT;
            mail->Mailbox = mb->RtosMailbox;
            mail->Address = node->MsgSocket.MsgAddress;
            if (L_MBOX_Send(mb->RtosMailbox, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, 0) != 0)
                H_MEMORY_vFree(mail);
        }
        if (node->MsgSocket.Socket.nSocket >= 0)
            GSOCKET_bClose(&node->MsgSocket.Socket);
        --s_nConnections;
    }
    GMSG_vReceiveReset(&node->Receive);
    H_MEMORY_vFree(node);
}

// Frees an unlinked mailbox record with everything it still has.
void destroyMailboxNode(GMSG_REG_MAILBOX_NODE* node)
{
    GMSG_MAILBOX* mb = &node->Mailbox;
    GMSG_bCloseMailbox(mb);
    GMSG_SOCKET_NODE* rest;
    {
        MutexLock lock(mb->MsgSocketInfo.SocketInfoMutex);
        rest = mb->MsgSocketInfo.pHead;
        mb->MsgSocketInfo.pHead = nullptr;
    }
    while (rest) {
        GMSG_SOCKET_NODE* next = rest->pNext;
        finishSocketNode(mb, rest, false);
        rest = next;
    }
    H_MEMORY_vFree(node);
}

// Under mutex 75.
bool unlinkMailboxNode(GMSG_REG_MAILBOX_NODE* node)
{
    for (GMSG_REG_MAILBOX_NODE** link = &s_RegMailboxList.pHead; *link; link = &(*link)->pNext) {
        if (*link == node) {
            *link = node->pNext;
            node->pNext = nullptr;
            return true;
        }
    }
    return false;
}

// Under mutex 75.
GMSG_REG_MAILBOX_NODE* findById(MBOX Mailbox)
{
    for (GMSG_REG_MAILBOX_NODE* n = s_RegMailboxList.pHead; n; n = n->pNext)
        if (!n->Mailbox.bMarkForDelete && n->Mailbox.RtosMailbox == Mailbox)
            return n;
    return nullptr;
}

// Under mutex 75.
GMSG_REG_MAILBOX_NODE* findByFd(int nSocket, BOOLEAN* pbListenSocket)
{
    for (GMSG_REG_MAILBOX_NODE* n = s_RegMailboxList.pHead; n; n = n->pNext) {
        GMSG_MAILBOX* mb = &n->Mailbox;
        if (mb->bMarkForDelete)
            continue;
        if (isOwnSocket(mb, nSocket)) {
            if (pbListenSocket)
                *pbListenSocket = TRUE;
            return n;
        }
        if (U_GMSG_pFindSocketNodeByFd(mb, nSocket)) {
            if (pbListenSocket)
                *pbListenSocket = FALSE;
            return n;
        }
    }
    return nullptr;
}

// Under mutex 75.
GMSG_REG_MAILBOX_NODE* findWithExpiredRequest(GMSG_REQUEST_NODE** ppRequestNode)
{
    for (GMSG_REG_MAILBOX_NODE* n = s_RegMailboxList.pHead; n; n = n->pNext) {
        if (n->Mailbox.bMarkForDelete)
            continue;
        GMSG_REQUEST_NODE* r = GMSG_pFindExpiredRequest(&n->Mailbox.MsgRequestInfo);
        if (r) {
            if (ppRequestNode)
                *ppRequestNode = r;
            return n;
        }
    }
    return nullptr;
}

void addHold(GMSG_MAILBOX* mb, BOOLEAN bReading)
{
    if (bReading)
        ++mb->nReading;
    else
        ++mb->nAccess;
}

void addFd(GMSG_FD_SET* set, int fd, int* pnMaxSocket)
{
    set->Fds.push_back({fd, (short)(POLLIN | POLLPRI | POLLRDHUP), 0});
    if (pnMaxSocket && fd > *pnMaxSocket)
        *pnMaxSocket = fd;
}

void reportLimit(GMSG_DROP_CAUSE eCause)
{
    U64 count = 0;
    if (GMSG_bCountDrop(eCause, &count))
        log_me("U_GMSG_pAddNewSocketNode: %d connections open (%s: %llu in all)", s_nConnections.load(),
               GMSG_pcDropCause(eCause), (unsigned long long)count);
}

// Under the record's resource mutex.
bool idle(const GMSG_SOCKET_NODE* s)
{
    return !s->bMarkForDelete && !s->bShared && s->nReading <= 0 && s->nWriting <= 0 && !s->bInMessage &&
           s->MsgSocket.Socket.nSocket >= 0;
}

// Goes before `than` in the order of closing at the limit.
bool closesFirst(const GMSG_SOCKET_NODE* s, const GMSG_SOCKET_NODE* than)
{
    if (s->bSpoken != than->bSpoken)
        return !s->bSpoken;
    return s->u64LastActivity < than->u64LastActivity;
}

// Bytes already waiting on a connection make it busy, whether or not they
// have been reported yet. One that the peer has finished is as good as idle.
bool bytesWaiting(const GMSG_SOCKET_NODE* s)
{
    U8 b;
    return recv(s->MsgSocket.Socket.nSocket, &b, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
}

// Closes the oldest idle connection of any mailbox; false when there is none.
bool closeOldestIdle()
{
    constexpr int TRIES = 8;
    const GMSG_SOCKET_NODE* busy[TRIES] = {};
    MutexLock lock(RES_GMSG_MBOX_LIST);
    for (int attempt = 0; attempt < TRIES; ++attempt) {
        GMSG_MAILBOX* owner = nullptr;
        GMSG_SOCKET_NODE* best = nullptr;
        for (GMSG_REG_MAILBOX_NODE* n = s_RegMailboxList.pHead; n; n = n->pNext) {
            GMSG_MAILBOX* mb = &n->Mailbox;
            if (mb->bMarkForDelete || mb->bUdp)
                continue;
            MutexLock socketLock(mb->MsgSocketInfo.SocketInfoMutex);
            for (GMSG_SOCKET_NODE* s = mb->MsgSocketInfo.pHead; s; s = s->pNext) {
                if (!idle(s) || std::find(busy, busy + attempt, s) != busy + attempt)
                    continue;
                if (!best || closesFirst(s, best)) {
                    best = s;
                    owner = mb;
                }
            }
        }
        if (!best)
            return false;
        bool gone = false;
        {
            MutexLock socketLock(owner->MsgSocketInfo.SocketInfoMutex);
            bool listed = false;
            for (GMSG_SOCKET_NODE* s = owner->MsgSocketInfo.pHead; s && !listed; s = s->pNext)
                listed = s == best;
            if (listed && idle(best)) {
                if (bytesWaiting(best))
                    busy[attempt] = best;
                else
                    gone = unlinkSocketNode(owner, best);
            }
        }
        if (gone) {
            reportLimit(GMSG_DROP_EVICTED); // before its peer can see it go
            finishSocketNode(owner, best, true);
            return true;
        }
    }
    return false;
}

} // namespace

// ----------------------------------------------------- a mailbox's socket

BOOLEAN GMSG_bInitSocketMailbox(GMSG_MAILBOX* pMyMailbox, const GMSG_MAP_INFO* pMsgMapInfo, U16 u16Port,
                                int nBacklog, MBOX Mailbox, RESOURCE Resource, SEMA Sema, BOOLEAN bUdp)
{
    if (!pMyMailbox)
        return FALSE;
    memset(pMyMailbox, 0, sizeof *pMyMailbox);
    pMyMailbox->MsgObject.Socket.nSocket = -1;
    GSOCKET sock;
    memset(&sock, 0, sizeof sock);
    U32 u32Address = 0;
    if (!bUdp) {
        if (!GSOCKET_bGetLocalAddress(&u32Address, "eth0") && !GSOCKET_bGetLocalAddress(&u32Address, "eth0:avahi")) {
            log_me("GMSG_bInitSocketMailbox: error getting address");
            return FALSE;
        }
        if (!GSOCKET_bCreate(&sock, u32Address, u16Port, TRUE, nBacklog, TRUE)) {
            log_me("GMSG_bInitSocketMailbox: failed to create socket");
            return FALSE;
        }
    } else {
        if (!GSOCKET_bCreateUdp(&sock, 0, u16Port, TRUE, nBacklog, TRUE)) {
            log_me("GMSG_bInitSocketMailbox: failed to create socket");
            return FALSE;
        }
        if (!GSOCKET_bSetBroadcastOptions(&sock)) {
            log_me("GMSG_bInitSocketMailbox: fail to set as broadcast");
            GSOCKET_bClose(&sock);
            return FALSE;
        }
        u32Address = 0;
    }
    pMyMailbox->RtosMailbox = Mailbox;
    pMyMailbox->RtosSema = Sema;
    pMyMailbox->MsgMailboxType = 0;
    GMSG_vMakeSocketAddress(&pMyMailbox->MsgAddress, u32Address, u16Port);
    pMyMailbox->MsgObject.Socket = sock;
    pMyMailbox->pMsgMapInfoArray = pMsgMapInfo;
    pMyMailbox->MsgRequestInfo.RequestMutex = Resource;
    pMyMailbox->MsgRequestInfo.pHead = nullptr;
    pMyMailbox->MsgSocketInfo.SocketInfoMutex = Resource;
    pMyMailbox->MsgSocketInfo.pHead = nullptr;
    pMyMailbox->bUdp = bUdp;
    return TRUE;
}

BOOLEAN GMSG_bCloseMailbox(GMSG_MAILBOX* pMyMailbox)
{
    if (!pMyMailbox)
        return FALSE;
    GMSG_vDeleteAllRequests(&pMyMailbox->MsgRequestInfo);
    if (pMyMailbox->MsgObject.Socket.nSocket >= 0)
        GSOCKET_bClose(&pMyMailbox->MsgObject.Socket);
    return TRUE;
}

BOOLEAN GMSG_bAcceptMessage(GMSG_MAILBOX* pMailbox, GSOCKET* pReceiveSocket)
{
    if (!pMailbox || !pReceiveSocket || !GSOCKET_bAccept(&pMailbox->MsgObject.Socket, pReceiveSocket, TRUE)) {
        log_me("GMSG_nReceiveSocket: accept error");
        return FALSE;
    }
    sendAtOnce(pReceiveSocket);
    return TRUE;
}

BOOLEAN GMSG_bNewSocket(GSOCKET* pSocket, const GMSG_ADDRESS* pDstAddress)
{
    if (!pSocket || !pDstAddress)
        return FALSE;
    const GSOCKET_ADDRESS& a = pDstAddress->uAddr.Socket;
    if (!GSOCKET_bCreate(pSocket, a.u32Address, (U16)a.u32Port, FALSE, 0, TRUE)) {
        log_me("GMSG_bNewSocket: create socket error");
        return FALSE;
    }
    if (!GSOCKET_bConnect(pSocket)) {
        log_me("GMSG_bNewSocket: connect to socket error");
        return FALSE;
    }
    sendAtOnce(pSocket);
    return TRUE;
}

// --------------------------------------------------------- mailbox records

GMSG_REG_MAILBOX_NODE* U_GMSG_pAddNewMailboxNode(const GMSG_MAP_INFO* pMsgMapInfo, U16 u16Port, MBOX Mailbox,
                                                 RESOURCE ResLock, SEMA Sema, BOOLEAN bUdp)
{
    GMSG_REG_MAILBOX_NODE* node = (GMSG_REG_MAILBOX_NODE*)H_MEMORY_pvMalloc(sizeof(GMSG_REG_MAILBOX_NODE));
    memset(node, 0, sizeof *node);
    if (!GMSG_bInitSocketMailbox(&node->Mailbox, pMsgMapInfo, u16Port, GMSG_LISTEN_BACKLOG, Mailbox, ResLock, Sema,
                                 bUdp)) {
        H_MEMORY_vFree(node);
        return nullptr;
    }
    U_GMSG_bAddMailboxNode(node);
    return node;
}

BOOLEAN U_GMSG_bAddMailboxNode(GMSG_REG_MAILBOX_NODE* pNode)
{
    if (!pNode)
        return FALSE;
    MutexLock lock(RES_GMSG_MBOX_LIST);
    pNode->pNext = s_RegMailboxList.pHead;
    s_RegMailboxList.pHead = pNode;
    return TRUE;
}

GMSG_REG_MAILBOX_NODE* U_GMSG_pFindMailboxNodeById(MBOX Mailbox)
{
    MutexLock lock(RES_GMSG_MBOX_LIST);
    return findById(Mailbox);
}

GMSG_REG_MAILBOX_NODE* U_GMSG_pFindMailboxNodeByFd(int nSocket, BOOLEAN* pbListenSocket)
{
    MutexLock lock(RES_GMSG_MBOX_LIST);
    return findByFd(nSocket, pbListenSocket);
}

GMSG_REG_MAILBOX_NODE* U_GMSG_pAcquireMailboxNodeById(MBOX Mailbox, BOOLEAN bReading)
{
    MutexLock lock(RES_GMSG_MBOX_LIST);
    GMSG_REG_MAILBOX_NODE* n = findById(Mailbox);
    if (n)
        addHold(&n->Mailbox, bReading);
    return n;
}

GMSG_REG_MAILBOX_NODE* U_GMSG_pAcquireMailboxNodeByFd(int nSocket, BOOLEAN* pbListenSocket, BOOLEAN bReading)
{
    MutexLock lock(RES_GMSG_MBOX_LIST);
    GMSG_REG_MAILBOX_NODE* n = findByFd(nSocket, pbListenSocket);
    if (n)
        addHold(&n->Mailbox, bReading);
    return n;
}

GMSG_REG_MAILBOX_NODE* U_GMSG_pFindMailboxNodeWithExpiredRequest(GMSG_REQUEST_NODE** ppRequestNode)
{
    MutexLock lock(RES_GMSG_MBOX_LIST);
    return findWithExpiredRequest(ppRequestNode);
}

GMSG_REG_MAILBOX_NODE* U_GMSG_pAcquireMailboxNodeWithExpiredRequest(GMSG_REQUEST_NODE** ppRequestNode)
{
    MutexLock lock(RES_GMSG_MBOX_LIST);
    GMSG_REG_MAILBOX_NODE* n = findWithExpiredRequest(ppRequestNode);
    if (n)
        addHold(&n->Mailbox, FALSE);
    return n;
}

BOOLEAN U_GMSG_bAcquireMailboxNode(GMSG_REG_MAILBOX_NODE* pNode, BOOLEAN bReading)
{
    if (!pNode)
        return FALSE;
    MutexLock lock(RES_GMSG_MBOX_LIST);
    addHold(&pNode->Mailbox, bReading);
    return TRUE;
}

BOOLEAN U_GMSG_bReleaseMailboxNode(GMSG_REG_MAILBOX_NODE* pNode, BOOLEAN bReading)
{
    if (!pNode)
        return FALSE;
    bool destroy = false;
    {
        MutexLock lock(RES_GMSG_MBOX_LIST);
        GMSG_MAILBOX* mb = &pNode->Mailbox;
        if (bReading)
            --mb->nReading;
        else
            --mb->nAccess;
        if (mb->bMarkForDelete && mb->nReading <= 0 && mb->nAccess <= 0)
            destroy = unlinkMailboxNode(pNode);
    }
    if (destroy)
        destroyMailboxNode(pNode);
    return TRUE;
}

BOOLEAN U_GMSG_bDeleteMailboxNode(GMSG_REG_MAILBOX_NODE* pNode)
{
    if (!pNode)
        return FALSE;
    {
        MutexLock lock(RES_GMSG_MBOX_LIST);
        GMSG_MAILBOX* mb = &pNode->Mailbox;
        if (mb->nReading > 0 || mb->nAccess > 0) {
            mb->bMarkForDelete = TRUE;
            return FALSE;
        }
        if (!unlinkMailboxNode(pNode))
            return FALSE;
    }
    destroyMailboxNode(pNode);
    return TRUE;
}

BOOLEAN U_GMSG_bDeleteMailboxNodeById(MBOX Mailbox)
{
    MutexLock lock(RES_GMSG_MBOX_LIST);
    return U_GMSG_bDeleteMailboxNode(findById(Mailbox));
}

BOOLEAN U_GMSG_bSignal(MBOX Mailbox)
{
    {
        MutexLock lock(RES_GMSG_MBOX_LIST);
        GMSG_REG_MAILBOX_NODE* n = findById(Mailbox);
        if (n && n->Mailbox.nReading != 0)
            return FALSE;
    }
    L_SEMA_Signal(SEMA_GMSG_SELECT);
    const U64 one = 1;
    if (wakeDescriptor() >= 0 && write(wakeDescriptor(), &one, sizeof one) < 0) {
        // The counter already holds wake-ups; one more changes nothing.
    }
    return TRUE;
}

int U_GMSG_nWakeDescriptor(void) { return wakeDescriptor(); }

void U_GMSG_vClearWake(void)
{
    U64 count;
    if (wakeDescriptor() >= 0 && read(wakeDescriptor(), &count, sizeof count) < 0) {
        // Nothing was pending.
    }
}

BOOLEAN U_GMSG_bGetMailboxFdSet(GMSG_FD_SET* pReadFdSet, int* pnMaxSocket)
{
    if (!pReadFdSet)
        return FALSE;
    BOOLEAN bAdded = FALSE;
    MutexLock lock(RES_GMSG_MBOX_LIST);
    for (GMSG_REG_MAILBOX_NODE* n = s_RegMailboxList.pHead; n; n = n->pNext) {
        GMSG_MAILBOX* mb = &n->Mailbox;
        if (mb->bMarkForDelete)
            continue;
        // Accepting reports nothing to the owner, so a busy mailbox still
        // takes new connections; a peer's connect waits only 250 ms.
        if (mb->MsgObject.Socket.nSocket >= 0 && (mb->nReading <= 0 || !mb->bUdp)) {
            addFd(pReadFdSet, mb->MsgObject.Socket.nSocket, pnMaxSocket);
            bAdded = TRUE;
        }
        if (mb->nReading <= 0 && U_GMSG_bGetSocketInfoFdSet(n, pReadFdSet, pnMaxSocket))
            bAdded = TRUE;
    }
    return bAdded;
}

BOOLEAN U_GMSG_bGetSocketInfoFdSet(GMSG_REG_MAILBOX_NODE* pNode, GMSG_FD_SET* pReadFdSet, int* pnMaxSocket)
{
    if (!pNode || !pReadFdSet)
        return FALSE;
    GMSG_MAILBOX* mb = &pNode->Mailbox;
    BOOLEAN bAdded = FALSE;
    MutexLock lock(mb->MsgSocketInfo.SocketInfoMutex);
    for (GMSG_SOCKET_NODE* s = mb->MsgSocketInfo.pHead; s; s = s->pNext) {
        // The datagram record's socket is the mailbox's own, watched already.
        if (s->bMarkForDelete || s->bWriteOnly || s->bShared || s->nReading > 0 || s->MsgSocket.Socket.nSocket < 0)
            continue;
        addFd(pReadFdSet, s->MsgSocket.Socket.nSocket, pnMaxSocket);
        bAdded = TRUE;
    }
    return bAdded;
}

// ------------------------------------------------------ connection records

GMSG_SOCKET_NODE* U_GMSG_pAddNewSocketNode(GMSG_MAILBOX* pMailbox, const GMSG_ADDRESS* pAddress, BOOLEAN bReading,
                                           BOOLEAN bAcquire)
{
    if (!pMailbox)
        return nullptr;
    if (!U_GMSG_bMakeRoomForConnection()) {
        // Taken from the backlog all the same, or it would stay readable.
        GSOCKET refused;
        const bool taken = !pAddress && GSOCKET_bAccept(&pMailbox->MsgObject.Socket, &refused, TRUE);
        reportLimit(GMSG_DROP_REFUSED);
        if (taken)
            GSOCKET_bClose(&refused);
        return nullptr;
    }
    GMSG_SOCKET_NODE* node = (GMSG_SOCKET_NODE*)H_MEMORY_pvMalloc(sizeof(GMSG_SOCKET_NODE));
    memset(node, 0, sizeof *node);
    node->MsgSocket.Socket.nSocket = -1;
    node->u64LastActivity = L_CLOCK_qwGetTimeInMillis();
    if (pAddress) {
        if (!GMSG_bNewSocket(&node->MsgSocket.Socket, pAddress)) {
            H_MEMORY_vFree(node);
            return nullptr;
        }
        node->MsgSocket.MsgAddress = *pAddress;
        node->bWriteOnly = GMSG_bAddressEqual(pAddress, &pMailbox->MsgAddress);
    } else if (!GMSG_bAcceptMessage(pMailbox, &node->MsgSocket.Socket)) {
        H_MEMORY_vFree(node);
        return nullptr;
    }
    ++s_nConnections;
    if (bAcquire) {
        if (bReading)
            node->nReading = 1;
        else
            node->nWriting = 1;
    }
    U_GMSG_bAddSocketNode(pMailbox, node);
    return node;
}

GMSG_SOCKET_NODE* U_GMSG_pAddNewSocketNodeUdp(GMSG_MAILBOX* pMailbox, const GMSG_ADDRESS* pAddress,
                                              BOOLEAN bReading, BOOLEAN bAcquire)
{
    if (!pMailbox)
        return nullptr;
    GMSG_SOCKET_NODE* node = (GMSG_SOCKET_NODE*)H_MEMORY_pvMalloc(sizeof(GMSG_SOCKET_NODE));
    memset(node, 0, sizeof *node);
    node->MsgSocket.Socket = pMailbox->MsgObject.Socket;
    node->MsgSocket.Socket.bListen = FALSE;
    node->MsgSocket.Socket.bNonBlocking = TRUE;
    if (pAddress)
        node->MsgSocket.MsgAddress = *pAddress;
    node->bShared = TRUE;
    if (bAcquire) {
        if (bReading)
            node->nReading = 1;
        else
            node->nWriting = 1;
    }
    U_GMSG_bAddSocketNode(pMailbox, node);
    return node;
}

BOOLEAN U_GMSG_bAddSocketNode(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode)
{
    if (!pMailbox || !pSocketNode)
        return FALSE;
    MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
    pSocketNode->pNext = pMailbox->MsgSocketInfo.pHead;
    pMailbox->MsgSocketInfo.pHead = pSocketNode;
    return TRUE;
}

GMSG_SOCKET_NODE* U_GMSG_pFindSocketNodeByFd(GMSG_MAILBOX* pMailbox, int nSocket)
{
    if (!pMailbox || nSocket < 0)
        return nullptr;
    MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
    for (GMSG_SOCKET_NODE* s = pMailbox->MsgSocketInfo.pHead; s; s = s->pNext)
        if (!s->bMarkForDelete && s->MsgSocket.Socket.nSocket == nSocket)
            return s;
    return nullptr;
}

GMSG_SOCKET_NODE* U_GMSG_pFindSocketNodeByAddress(GMSG_MAILBOX* pMailbox, const GMSG_ADDRESS* pAddress,
                                                  BOOLEAN bReading)
{
    if (!pMailbox || !pAddress)
        return nullptr;
    // The zero address is what a connection has before its peer has named
    // itself; it names no peer, or a send to it would reach whichever
    // connection has not spoken yet.
    if (pAddress->uAddr.Socket.u32Address == 0 && pAddress->uAddr.Socket.u32Port == 0)
        return nullptr;
    MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
    for (GMSG_SOCKET_NODE* s = pMailbox->MsgSocketInfo.pHead; s; s = s->pNext) {
        if (s->bMarkForDelete || s->bShared || (bReading ? s->bWriteOnly : s->bReadOnly))
            continue;
        if (GMSG_bAddressEqual(&s->MsgSocket.MsgAddress, pAddress))
            return s;
    }
    return nullptr;
}

GMSG_SOCKET_NODE* U_GMSG_pAcquireSocketNodeByFd(GMSG_MAILBOX* pMailbox, int nSocket, BOOLEAN bReading)
{
    if (!pMailbox)
        return nullptr;
    MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
    GMSG_SOCKET_NODE* s = U_GMSG_pFindSocketNodeByFd(pMailbox, nSocket);
    if (s) {
        if (bReading)
            ++s->nReading;
        else
            ++s->nWriting;
    }
    return s;
}

GMSG_SOCKET_NODE* U_GMSG_pAcquireSocketNodeByAddress(GMSG_MAILBOX* pMailbox, const GMSG_ADDRESS* pAddress,
                                                     BOOLEAN bReading)
{
    if (!pMailbox)
        return nullptr;
    MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
    GMSG_SOCKET_NODE* s = U_GMSG_pFindSocketNodeByAddress(pMailbox, pAddress, bReading);
    if (s) {
        if (bReading)
            ++s->nReading;
        else
            ++s->nWriting;
    }
    return s;
}

BOOLEAN U_GMSG_bUpdateSocketNodeAddress(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode,
                                        const GMSG_ADDRESS* pAddress)
{
    if (!pMailbox || !pSocketNode || !pAddress)
        return FALSE;
    MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
    pSocketNode->MsgSocket.MsgAddress = *pAddress;
    pSocketNode->bReadOnly = GMSG_bAddressEqual(pAddress, &pMailbox->MsgAddress);
    pSocketNode->bAddressSet = TRUE;
    return TRUE;
}

BOOLEAN U_GMSG_bReleaseSocketNode(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode, BOOLEAN bWasReading)
{
    if (!pMailbox || !pSocketNode)
        return FALSE;
    bool finish = false;
    {
        MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
        if (bWasReading)
            --pSocketNode->nReading;
        else
            --pSocketNode->nWriting;
        if (pSocketNode->bMarkForDelete && pSocketNode->nReading <= 0 && pSocketNode->nWriting <= 0)
            finish = unlinkSocketNode(pMailbox, pSocketNode);
    }
    if (finish)
        finishSocketNode(pMailbox, pSocketNode, true);
    return TRUE;
}

BOOLEAN U_GMSG_bDeleteSocketNode(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode)
{
    if (!pMailbox || !pSocketNode)
        return FALSE;
    {
        MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
        if (pSocketNode->nReading > 0 || pSocketNode->nWriting > 0) {
            pSocketNode->bMarkForDelete = TRUE;
            return TRUE;
        }
        if (!unlinkSocketNode(pMailbox, pSocketNode))
            return FALSE;
    }
    finishSocketNode(pMailbox, pSocketNode, true);
    return TRUE;
}

// ------------------------------------------------- limits on connections

int U_GMSG_nConnectionCount(void) { return s_nConnections.load(); }

BOOLEAN U_GMSG_bMakeRoomForConnection(void)
{
    if (s_nConnections.load() < GMSG_MAX_CONNECTIONS)
        return TRUE;
    return closeOldestIdle() ? TRUE : FALSE;
}

void U_GMSG_vNoteActivity(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode, BOOLEAN bMessage, U64 u64Now)
{
    if (!pMailbox || !pSocketNode)
        return;
    MutexLock lock(pMailbox->MsgSocketInfo.SocketInfoMutex);
    pSocketNode->bInMessage = GMSG_bReceiveInMessage(&pSocketNode->Receive);
    if (bMessage) {
        pSocketNode->bSpoken = TRUE;
        pSocketNode->u64LastActivity = u64Now;
    }
}

void U_GMSG_vCheckReceiveTimes(U64 u64Now)
{
    MutexLock lock(RES_GMSG_MBOX_LIST);
    for (GMSG_REG_MAILBOX_NODE* n = s_RegMailboxList.pHead; n; n = n->pNext) {
        GMSG_MAILBOX* mb = &n->Mailbox;
        if (mb->bMarkForDelete || mb->bUdp)
            continue;
        GMSG_SOCKET_NODE* late = nullptr;
        {
            MutexLock socketLock(mb->MsgSocketInfo.SocketInfoMutex);
            GMSG_SOCKET_NODE** link = &mb->MsgSocketInfo.pHead;
            while (*link) {
                GMSG_SOCKET_NODE* s = *link;
                // A held record is being read or written; the next tick sees it.
                if (s->bMarkForDelete || s->bShared || s->nReading > 0 || s->nWriting > 0 ||
                    GMSG_eReceiveCheckTime(&s->Receive, u64Now) != GMSG_RX_FAILED) {
                    link = &s->pNext;
                    continue;
                }
                *link = s->pNext;
                s->pNext = late;
                late = s;
            }
        }
        while (late) {
            GMSG_SOCKET_NODE* next = late->pNext;
            GMSG_vReportReceiveFailure(&late->Receive);
            finishSocketNode(mb, late, true);
            late = next;
        }
    }
}

// --------------------------------------------------- shutdown and timer

void U_GMSG_vShutdown(void)
{
    GMSG_REG_MAILBOX_NODE* gone = nullptr; // unlinked records, freed after the lock
    {
        MutexLock lock(RES_GMSG_MBOX_LIST);
        GMSG_REG_MAILBOX_NODE** link = &s_RegMailboxList.pHead;
        while (*link) {
            GMSG_REG_MAILBOX_NODE* n = *link;
            GMSG_MAILBOX* mb = &n->Mailbox;
            {
                // Held throughout, so that no holder frees the next record
                // while the walk is on its way to it.
                MutexLock socketLock(mb->MsgSocketInfo.SocketInfoMutex);
                GMSG_SOCKET_NODE* s = mb->MsgSocketInfo.pHead;
                while (s) {
                    GMSG_SOCKET_NODE* next = s->pNext;
                    U_GMSG_bDeleteSocketNode(mb, s);
                    s = next;
                }
            }
            if (mb->nReading <= 0 && mb->nAccess <= 0) {
                *link = n->pNext;
                n->pNext = gone;
                gone = n;
            } else {
                mb->bMarkForDelete = TRUE;
                link = &n->pNext;
            }
        }
    }
    while (gone) {
        GMSG_REG_MAILBOX_NODE* next = gone->pNext;
        destroyMailboxNode(gone);
        gone = next;
    }
}

BOOLEAN U_GMSG_bDeliver(GMSG_REG_MAILBOX_NODE* pNode, MSG_GMSG_RECEIVE* pMsgReceive)
{
    if (!pNode || !pMsgReceive)
        return FALSE;
    const MBOX owner = pNode->Mailbox.RtosMailbox;
    pMsgReceive->Header.Cmd = CMD_ID_GMSG_RECEIVE;
    pMsgReceive->Mailbox = owner;
    pMsgReceive->pMailboxNode = pNode;
    U_GMSG_bAcquireMailboxNode(pNode, TRUE);
    if (L_MBOX_Send(owner, &pMsgReceive->Header.msghdr, GMSG_MAIL_PRIORITY, 0) != 0) {
        GMSG_bFree(&pMsgReceive->MsgInfo);
        H_MEMORY_vFree(pMsgReceive);
        U_GMSG_bReleaseMailboxNode(pNode, TRUE);
        return FALSE;
    }
    return TRUE;
}

// The status that ends an unanswered request is handed to the requesting
// task directly, as if it had come back through the mailbox's own socket:
// it needs neither the network nor a connection to itself.
static void deliverTimeoutStatus(GMSG_REG_MAILBOX_NODE* node, const GMSG_REQUEST& request)
{
    GMSG_MAILBOX* mb = &node->Mailbox;
    GMSG_STATUS status = {GMSG_STATUS_TIMEOUT, request.u32MsgId, request.u64Token};
    MSG_GMSG_RECEIVE* mail = (MSG_GMSG_RECEIVE*)H_MEMORY_pvMalloc(sizeof(MSG_GMSG_RECEIVE));
    memset(mail, 0, sizeof *mail);
    GMSG_INFO* info = &mail->MsgInfo;
    if (!GMSG_bCompose(info, &mb->MsgAddress, &mb->MsgAddress, GMSG_ID_STATUS, &DT_GMSG_STATUS, &status,
                       request.u64Token, request.__u64ReplyToken, GMSG_FLAG_REPLY, FALSE, 0)) {
        H_MEMORY_vFree(mail);
        return;
    }
    // From here on a received message: nothing decoded yet, everything owned.
    info->pDataType = nullptr;
    info->pStructMsg = nullptr;
    info->bReceived = TRUE;
    GMSG_bHandleReplies(&mb->MsgRequestInfo, info);
    U_GMSG_bDeliver(node, mail);
}

void U_GMSG_vOnTimer(void)
{
    U_GMSG_vCheckReceiveTimes(L_CLOCK_qwGetTimeInMillis());
    {
        MutexLock lock(RES_GMSG_MBOX_LIST);
        for (GMSG_REG_MAILBOX_NODE* n = s_RegMailboxList.pHead; n; n = n->pNext)
            if (!n->Mailbox.bMarkForDelete)
                GMSG_bMessageTimeout(&n->Mailbox.MsgRequestInfo);
    }
    for (;;) {
        GMSG_REQUEST_NODE* req = nullptr;
        GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeWithExpiredRequest(&req);
        if (!node)
            break;
        // Only this task matches replies, so the node stays while it is read.
        const GMSG_REQUEST request = req->Request;
        deliverTimeoutStatus(node, request);
        U_GMSG_bReleaseMailboxNode(node, FALSE);
    }
}
