// The GMSG task and its socket thread.
//
// The socket thread watches every registered socket whose mailbox has no
// report or delivered message in flight, for at most 7.5 ms at a time. A
// mailbox that becomes free again ends a running wait at once, so that its
// waiting messages are taken up without waiting for the other sockets. A
// listening socket that is ready gets its waiting connections accepted; a
// connection or datagram socket with something to read is reported to the
// GMSG task (mail 115), with reading holds on the mailbox and the connection
// that the report carries along. A mailbox with something in flight is not
// watched, so no socket is reported twice and a busy task is not flooded,
// but for its listening socket: a busy task must not make peers' connects
// fail. When nothing can be watched the thread sleeps on semaphore 205.
//
// An empty datagram is read and dropped; the shared datagram socket is never
// closed here.
//
// The GMSG task never waits for a peer's bytes: a connection keeps the part
// of a message that has come (its GMSG_RECEIVE_STATE), each report reads
// only what is waiting, and a message is mailed to the owning task when its
// last byte is there, at most five per report. A message that stops for 5 s
// or is slower than its time limit is dropped with its connection; the
// 250 ms tick finds those that have fallen silent. It performs
// every send over connections it opens on demand (a reply goes back on the
// connection its request came on) and, every 250 ms, ends requests that
// went unanswered for 12 ticks with a status 3 to the requester.
#include "gmsg/t_gmsg.h"

#include "gmsg/t_ethernet_standin.h"
#include "gmsg/u_gmsg.h"
#include "gmsg/u_gmsg_registry.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <poll.h>

namespace {

constexpr FOURCHARID KEY_GMSG_TASK = FCID("TMSG");
constexpr int MESSAGES_PER_REPORT = 5;
constexpr long SELECT_WAIT_NS = 7500000; // 7.5 ms

TIMER_INFO* s_pGmsgTimer = nullptr;
std::atomic<bool> s_bShutdown{false};
// The socket thread's descriptor set, kept from wait to wait. It is never
// destroyed: the thread runs on while the process exits.
GMSG_FD_SET* const s_pReadFdSet = new GMSG_FD_SET;

template <typename T>
T* newMail(CMD_ID cmd)
{
    T* mail = (T*)H_MEMORY_pvMalloc(sizeof(T));
    memset(mail, 0, sizeof *mail);
    mail->Header.Cmd = cmd;
    return mail;
}

bool mailboxMarked(GMSG_REG_MAILBOX_NODE* node)
{
    L_MUTEX_LockWait(RES_GMSG_MBOX_LIST);
    const bool b = node->Mailbox.bMarkForDelete;
    L_MUTEX_Unlock(RES_GMSG_MBOX_LIST);
    return b;
}

bool socketMarked(GMSG_MAILBOX* mb, GMSG_SOCKET_NODE* s)
{
    L_MUTEX_LockWait(mb->MsgSocketInfo.SocketInfoMutex);
    const bool b = s->bMarkForDelete;
    L_MUTEX_Unlock(mb->MsgSocketInfo.SocketInfoMutex);
    return b;
}

// ------------------------------------------------------------ socket thread

void report(GMSG_REG_MAILBOX_NODE* node, GMSG_SOCKET_NODE* s)
{
    MSG_GMSG_NEW_MESSAGE* mail = newMail<MSG_GMSG_NEW_MESSAGE>(CMD_ID_GMSG_NEW_MESSAGE);
    mail->Mailbox = node->Mailbox.RtosMailbox;
    mail->nSocket = s->MsgSocket.Socket.nSocket;
    mail->pMailboxNode = node;
    mail->pSocketNode = s;
    L_MBOX_Send(GMSG_MBOX, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, 0);
}

void readableDatagram(GMSG_REG_MAILBOX_NODE* node)
{
    GMSG_MAILBOX* mb = &node->Mailbox;
    const int fd = mb->MsgObject.Socket.nSocket;
    GMSG_SOCKET_NODE* s = U_GMSG_pAcquireSocketNodeByFd(mb, fd, TRUE);
    if (!s) {
        U_GMSG_pAddNewSocketNodeUdp(mb, nullptr, FALSE, FALSE);
        U_GMSG_bReleaseMailboxNode(node, TRUE);
        return;
    }
    U8 first;
    const int n = GSOCKET_nDataAvailableUdp(&mb->MsgObject.Socket, &first, 1);
    if (n >= 1) {
        report(node, s);
        return;
    }
    // An empty datagram would stay at the head of the queue and keep the
    // socket readable for ever; read it away. A pending error was taken by
    // the peek.
    if (n == 0)
        GSOCKET_nReceiveFrom(&mb->MsgObject.Socket, &first, 1);
    U_GMSG_bReleaseSocketNode(mb, s, TRUE);
    U_GMSG_bReleaseMailboxNode(node, TRUE);
}

// Whatever a connection has, bytes, their end or an error, the GMSG task
// reads; it alone knows how far the connection's message has come.
void readableConnection(GMSG_REG_MAILBOX_NODE* node, int fd)
{
    GMSG_MAILBOX* mb = &node->Mailbox;
    GMSG_SOCKET_NODE* s = U_GMSG_pAcquireSocketNodeByFd(mb, fd, TRUE);
    if (!s) {
        U_GMSG_bReleaseMailboxNode(node, TRUE);
        return;
    }
    report(node, s);
}

// Every connection waiting in the backlog, not just one: peers that connect
// in a burst would otherwise find the backlog full, and a connect that falls
// off it is tried again only a second later.
void acceptWaiting(GMSG_MAILBOX* mb)
{
    for (int i = 0; i < GMSG_LISTEN_BACKLOG; ++i) {
        if (i > 0) {
            struct pollfd p = {mb->MsgObject.Socket.nSocket, POLLIN, 0};
            if (poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN))
                return;
        }
        U_GMSG_pAddNewSocketNode(mb, nullptr, FALSE, FALSE);
    }
}

void readable(int fd)
{
    BOOLEAN bListen = FALSE;
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeByFd(fd, &bListen, TRUE);
    if (!node)
        return;
    GMSG_MAILBOX* mb = &node->Mailbox;
    if (mb->bUdp) {
        readableDatagram(node);
    } else if (bListen) {
        acceptWaiting(mb);
        U_GMSG_bReleaseMailboxNode(node, TRUE);
    } else {
        readableConnection(node, fd);
    }
}

void exceptional(int fd)
{
    BOOLEAN bListen = FALSE;
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeByFd(fd, &bListen, TRUE);
    if (!node)
        return;
    GMSG_MAILBOX* mb = &node->Mailbox;
    if (!bListen && !mb->bUdp) {
        GMSG_SOCKET_NODE* s = U_GMSG_pAcquireSocketNodeByFd(mb, fd, TRUE);
        if (s) {
            U_GMSG_bDeleteSocketNode(mb, s);
            U_GMSG_bReleaseSocketNode(mb, s, TRUE);
        }
    }
    U_GMSG_bReleaseMailboxNode(node, TRUE);
}

// ---------------------------------------------------------------- GMSG task

// Reads what a connection has, delivers the messages it completes and
// closes the connection when its peer has finished or a message is lost.
// Takes over the report's reading hold on the connection.
void receiveStream(GMSG_REG_MAILBOX_NODE* node, GMSG_SOCKET_NODE* s)
{
    GMSG_MAILBOX* mb = &node->Mailbox;
    const U64 now = L_CLOCK_qwGetTimeInMillis();
    int delivered = 0;
    bool close = false;
    while (delivered < MESSAGES_PER_REPORT) {
        GMSG_INFO info;
        const GMSG_RX_RESULT r = GMSG_eReceiveStream(&s->Receive, &s->MsgSocket.Socket, now, &info);
        if (r == GMSG_RX_MORE)
            break;
        if (r != GMSG_RX_COMPLETE) {
            if (r == GMSG_RX_FAILED)
                GMSG_vReportReceiveFailure(&s->Receive);
            close = true;
            break;
        }
        GMSG_bHandleReplies(&mb->MsgRequestInfo, &info);
        if (!s->bAddressSet)
            U_GMSG_bUpdateSocketNodeAddress(mb, s, &info.pMsgHeader->SrcAddress);
        MSG_GMSG_RECEIVE* mail = newMail<MSG_GMSG_RECEIVE>(CMD_ID_GMSG_RECEIVE);
        mail->MsgInfo = info;
        U_GMSG_bDeliver(node, mail);
        ++delivered;
    }
    if (close)
        U_GMSG_bDeleteSocketNode(mb, s); // only marked: the release below frees it
    else
        U_GMSG_vNoteActivity(mb, s, delivered > 0, now);
    U_GMSG_bReleaseSocketNode(mb, s, TRUE);
}

void handleNewMessage(MSG_GMSG_NEW_MESSAGE* m)
{
    GMSG_REG_MAILBOX_NODE* node = m->pMailboxNode;
    GMSG_SOCKET_NODE* s = m->pSocketNode;
    if (!node || mailboxMarked(node)) {
        log_me("T_GMSG_vHandleNewMessage: Mailbox Node not found");
        if (node) {
            if (s)
                U_GMSG_bReleaseSocketNode(&node->Mailbox, s, TRUE);
            U_GMSG_bReleaseMailboxNode(node, TRUE);
        }
        U_GMSG_bSignal(m->Mailbox);
        return;
    }
    GMSG_MAILBOX* mb = &node->Mailbox;
    if (mb->bUdp) {
        if (GMSG_bMsgAvailableUdp(&mb->MsgObject.Socket, nullptr)) {
            MSG_GMSG_RECEIVE* r = newMail<MSG_GMSG_RECEIVE>(CMD_ID_GMSG_RECEIVE);
            if (GMSG_bReceiveUDPSocket(&mb->MsgObject.Socket, &r->MsgInfo))
                U_GMSG_bDeliver(node, r);
            else
                H_MEMORY_vFree(r);
        }
        if (s)
            U_GMSG_bReleaseSocketNode(mb, s, TRUE);
    } else if (!s || socketMarked(mb, s)) {
        log_me("T_GMSG_vHandleNewMessage: Socket Node not found");
        if (s)
            U_GMSG_bReleaseSocketNode(mb, s, TRUE);
    } else {
        receiveStream(node, s);
    }
    U_GMSG_bReleaseMailboxNode(node, TRUE);
    U_GMSG_bSignal(m->Mailbox);
}

void handleNewMessageExt(MSG_GMSG_NEW_MESSAGE_EXT* m)
{
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pFindMailboxNodeById(m->Mailbox);
    if (!node) {
        log_me("T_GMSG_vHandleNewMessage: Socket Node not found");
        // The block was handed over; with nobody to take it, it goes here.
        if (m->cpMessageBody)
            H_MEMORY_vFree(m->cpMessageBody);
    } else {
        MSG_GMSG_RECEIVE* r = newMail<MSG_GMSG_RECEIVE>(CMD_ID_GMSG_RECEIVE);
        if (GMSG_bReceiveSocketAdapter(m->cpMessageBody, m->u32MessageLength, &r->MsgInfo))
            U_GMSG_bDeliver(node, r);
        else
            H_MEMORY_vFree(r);
    }
    m->cpMessageBody = nullptr;
    U_GMSG_bSignal(m->Mailbox);
}

void handleSend(MSG_GMSG_SEND* m)
{
    m->bSuccess = FALSE;
    GMSG_INFO* info = &m->MsgInfo;
    if (!info->pMsgHeader)
        return;
    if (!T_ETHERNET_bIsAddressReady()) {
        GMSG_bFree(info);
        return;
    }
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeById(m->Mailbox, FALSE);
    if (!node) {
        log_me("T_GMSG_vHandleNewMessage: Mailbox Node not found");
        GMSG_bFree(info);
        return;
    }
    GMSG_MAILBOX* mb = &node->Mailbox;
    GMSG_HEADER* h = info->pMsgHeader;
    h->SrcAddress = mb->MsgAddress;
    bool ok = true;
    if (mb->bUdp) {
        if (!GMSG_bSendSocketUDP(&mb->MsgObject.Socket, info->pStructMsg, (int)info->u32UdpLength,
                                 &h->DstAddress.uAddr.Socket)) {
            log_me("T_GMSG_vHandleSendMessage: Handle UDP Send Failure");
            ok = false;
        }
    } else {
        GMSG_SOCKET_NODE* s = U_GMSG_pAcquireSocketNodeByAddress(mb, &h->DstAddress, FALSE);
        if (!s)
            s = U_GMSG_pAddNewSocketNode(mb, &h->DstAddress, FALSE, TRUE);
        if (!s) {
            log_me("T_GMSG_vHandleSendMessage: Socket Node not found");
            ok = false;
        } else {
            if (!GMSG_bHandleRequests(&mb->MsgRequestInfo, info)) {
                log_me("T_GMSG_vHandleSendMessage: Handle Request Failure");
                ok = false;
            } else if (!GMSG_bSendSocket(info, &s->MsgSocket.Socket, FALSE)) {
                log_me("T_GMSG_vHandleSendMessage: Send Failure");
                ok = false;
            }
            if (!ok)
                U_GMSG_bDeleteSocketNode(mb, s);
            else
                U_GMSG_vNoteActivity(mb, s, TRUE, L_CLOCK_qwGetTimeInMillis());
            U_GMSG_bReleaseSocketNode(mb, s, FALSE);
        }
    }
    U_GMSG_bReleaseMailboxNode(node, FALSE);
    m->bSuccess = ok;
    GMSG_bFree(info);
}

void handleMail(MSGHEADER* mail)
{
    GENERIC_MESSAGE* g = (GENERIC_MESSAGE*)mail;
    switch (g->Cmd) {
    case CMD_ID_SHUTDOWN:
        s_bShutdown = true;
        if (s_pGmsgTimer) {
            L_TIMER_Stop(s_pGmsgTimer);
            L_TIMER_Release(s_pGmsgTimer);
            s_pGmsgTimer = nullptr;
        }
        U_GMSG_vShutdown();
        break;
    case CMD_ID_GMSG_REGISTER: {
        MSG_GMSG_REGISTER* m = (MSG_GMSG_REGISTER*)mail;
        m->bSuccess = U_GMSG_pAddNewMailboxNode(m->pMsgMapInfo, m->u16Port, m->Mailbox, m->ResLock, m->Sema,
                                                m->bUdp) != nullptr;
        U_GMSG_bSignal(m->Mailbox);
        break;
    }
    case CMD_ID_GMSG_UNREGISTER: {
        MSG_GMSG_UNREGISTER* m = (MSG_GMSG_UNREGISTER*)mail;
        m->bSuccess = U_GMSG_bDeleteMailboxNodeById(m->Mailbox);
        U_GMSG_bSignal(m->Mailbox);
        break;
    }
    case CMD_ID_GMSG_NEW_MESSAGE:
        handleNewMessage((MSG_GMSG_NEW_MESSAGE*)mail);
        break;
    case CMD_ID_GMSG_NEW_MESSAGE_EXT:
        handleNewMessageExt((MSG_GMSG_NEW_MESSAGE_EXT*)mail);
        break;
    case CMD_ID_GMSG_SEND:
        handleSend((MSG_GMSG_SEND*)mail);
        break;
    default:
        break;
    }
    H_MEMORY_vDumpMail(mail);
}

} // namespace

void T_GMSG_vMain(void)
{
    if (H_DATABASE_bUpdateEverythingU32(KEY_GMSG_TASK, (U32)GMSG_MBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER)) {
        ERROR_error(__FILE_NAME__, __LINE__, "Somebody else registered the GMSG Task Maibox");
        U_RESET_vReset(FALSE, FALSE);
    }
    s_pGmsgTimer = L_TIMER_Allocate();
    if (s_pGmsgTimer)
        L_TIMER_Start(s_pGmsgTimer, GMSG_TIMER_PERIOD_MS, GMSG_TIMER_PERIOD_MS, SEMA_TIMER_GMSG);

    const SEMA waitList[] = {SEMA_TIMER_GMSG, SEMA_MBOX_GMSG, 0};
    for (;;) {
        const SEMA fired = L_SEMA_WaitMultiple(waitList);
        if (fired == SEMA_TIMER_GMSG) {
            if (!s_bShutdown)
                U_GMSG_vOnTimer();
        } else if (fired == SEMA_MBOX_GMSG) {
            while (MSGHEADER* mail = L_MBOX_Receive(GMSG_MBOX))
                handleMail(mail);
        }
    }
}

void T_GMSG_vSocketMain(void)
{
    bool idle = true;
    GMSG_FD_SET& set = *s_pReadFdSet;
    for (;;) {
        if (idle || s_bShutdown) {
            L_SEMA_Wait(SEMA_GMSG_SELECT);
            idle = false;
            continue;
        }
        set.Fds.clear();
        int maxSocket = 0;
        if (!U_GMSG_bGetMailboxFdSet(&set, &maxSocket)) {
            idle = true;
            continue;
        }
        const size_t sockets = set.Fds.size();
        set.Fds.push_back({U_GMSG_nWakeDescriptor(), POLLIN, 0});
        const struct timespec wait = {0, SELECT_WAIT_NS};
        const int ready = ppoll(set.Fds.data(), (nfds_t)set.Fds.size(), &wait, nullptr);
        if (ready < 0 && errno != EINTR)
            continue;
        if (set.Fds[sockets].revents & POLLIN)
            U_GMSG_vClearWake();
        for (size_t i = 0; i < sockets; ++i) {
            const struct pollfd& p = set.Fds[i];
            if (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL | POLLRDHUP))
                readable(p.fd);
            else if (p.revents & POLLPRI)
                exceptional(p.fd);
        }
    }
}

void T_GMSG_vTestMain(void)
{
    L_TASK_Terminate(0);
}
