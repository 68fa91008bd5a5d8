// The registry of GMSG mailboxes: one record per task that offers a network
// service, each with its listening socket (or bound datagram socket), its
// message table, its pending requests and the list of its connections.
//
// Holds, not locks, keep a record alive while it is used outside the
// mutexes. A mailbox record counts reading holds (one per readiness report
// in flight and one per delivered message not yet handled) and access holds
// (senders and other users); a connection record counts reading and writing
// holds. Deleting a held record only marks it: a marked record is invisible
// to every search and goes with the release of its last hold.
//
// Locks: mutex 75 guards the list, every mailbox record's counts and marks;
// a mailbox's own resource mutex guards its connection list (records,
// counts, marks) and its pending requests. 75 is always taken before a
// resource mutex, never the other way round. Both are recursive.
//
// A connection record ends when its peer closes, a read or a send on it
// fails, a message on it breaks a time limit, it is the oldest idle one when
// a new connection needs its place, its owner asks, or the unit shuts down;
// every end mails
// CMD_ID_GMSG_DISCONNECT with the peer's listening address to the owning
// task. The datagram record of a datagram mailbox shares the mailbox's own
// socket and is never closed on its own.
#pragma once

#include "gmsg/gmsg.h"
#include "gmsg/gsocket.h"
#include "gmsg/u_gmsg.h"
#include "kernel/l_types.h"

#include <poll.h>
#include <vector>

typedef struct tag_GMSG_SOCKET {
    GMSG_ADDRESS MsgAddress; // the peer's listening address
    GSOCKET Socket;
} GMSG_SOCKET;

typedef struct tag_GMSG_SOCKET_NODE {
    GMSG_SOCKET MsgSocket;
    int nReading;
    int nWriting;
    BOOLEAN bAddressSet;    // MsgAddress was taken from a received message
    BOOLEAN bReadOnly;      // the accepted end of a connection to the mailbox itself
    BOOLEAN bWriteOnly;     // an outgoing connection to the mailbox itself
    BOOLEAN bMarkForDelete;
    BOOLEAN bShared;        // the datagram record: the socket is the mailbox's own
    // For the choice of a connection to close at the limit; under the
    // mailbox's resource mutex.
    BOOLEAN bInMessage;     // part of a message has arrived on it
    BOOLEAN bSpoken;        // a message has gone over it, either way
    U64 u64LastActivity;    // kernel clock (ms) of its last message, else of its start
    // The message arriving on it. Touched by the GMSG task alone: under a
    // reading hold, or under the resource mutex when nothing holds it.
    GMSG_RECEIVE_STATE Receive;
    struct tag_GMSG_SOCKET_NODE* pNext;
} GMSG_SOCKET_NODE;

typedef struct tag_GMSG_SOCKET_INFO {
    GMSG_SOCKET_NODE* pHead;
    RESOURCE SocketInfoMutex;
} GMSG_SOCKET_INFO;

typedef struct tag_GMSG_MSG_OBJECT {
    GSOCKET Socket; // listening TCP socket or bound UDP socket
} GMSG_MSG_OBJECT;

typedef struct tag_GMSG_MAILBOX {
    MBOX RtosMailbox;
    SEMA RtosSema;
    U32 MsgMailboxType; // 0: socket mailbox, the only kind
    GMSG_ADDRESS MsgAddress;
    GMSG_MSG_OBJECT MsgObject;
    const GMSG_MAP_INFO* pMsgMapInfoArray;
    GMSG_REQUEST_INFO MsgRequestInfo;
    GMSG_SOCKET_INFO MsgSocketInfo;
    int nReading;
    int nAccess;
    BOOLEAN bMarkForDelete;
    BOOLEAN bUdp;
} GMSG_MAILBOX;

typedef struct tag_GMSG_REG_MAILBOX_NODE {
    GMSG_MAILBOX Mailbox;
    struct tag_GMSG_REG_MAILBOX_NODE* pNext;
} GMSG_REG_MAILBOX_NODE;

typedef struct tag_GMSG_REG_MAILBOX_LIST {
    GMSG_REG_MAILBOX_NODE* pHead;
} GMSG_REG_MAILBOX_LIST;

// The descriptors the socket thread watches.
typedef struct tag_GMSG_FD_SET {
    std::vector<struct pollfd> Fds;
} GMSG_FD_SET;

constexpr int GMSG_LISTEN_BACKLOG = 16;
// The most connections the unit keeps open over all its mailboxes, both
// directions: a boat's network has tens of units with a few connections
// each. At the limit the oldest idle connection makes room for a new one
// (one that never carried a message goes before one that did); when every
// connection is busy, the new one is refused.
constexpr int GMSG_MAX_CONNECTIONS = 256;

// Opening and closing a mailbox's own socket.
BOOLEAN GMSG_bInitSocketMailbox(GMSG_MAILBOX* pMyMailbox, const GMSG_MAP_INFO* pMsgMapInfo, U16 u16Port,
                                int nBacklog, MBOX Mailbox, RESOURCE Resource, SEMA Sema, BOOLEAN bUdp);
BOOLEAN GMSG_bCloseMailbox(GMSG_MAILBOX* pMyMailbox);
BOOLEAN GMSG_bAcceptMessage(GMSG_MAILBOX* pMailbox, GSOCKET* pReceiveSocket);
BOOLEAN GMSG_bNewSocket(GSOCKET* pSocket, const GMSG_ADDRESS* pDstAddress);

// Mailbox records.
GMSG_REG_MAILBOX_NODE* U_GMSG_pAddNewMailboxNode(const GMSG_MAP_INFO* pMsgMapInfo, U16 u16Port, MBOX Mailbox,
                                                 RESOURCE ResLock, SEMA Sema, BOOLEAN bUdp);
BOOLEAN U_GMSG_bAddMailboxNode(GMSG_REG_MAILBOX_NODE* pNode);
GMSG_REG_MAILBOX_NODE* U_GMSG_pFindMailboxNodeById(MBOX Mailbox);
GMSG_REG_MAILBOX_NODE* U_GMSG_pFindMailboxNodeByFd(int nSocket, BOOLEAN* pbListenSocket);
GMSG_REG_MAILBOX_NODE* U_GMSG_pAcquireMailboxNodeById(MBOX Mailbox, BOOLEAN bReading);
GMSG_REG_MAILBOX_NODE* U_GMSG_pAcquireMailboxNodeByFd(int nSocket, BOOLEAN* pbListenSocket, BOOLEAN bReading);
GMSG_REG_MAILBOX_NODE* U_GMSG_pFindMailboxNodeWithExpiredRequest(GMSG_REQUEST_NODE** ppRequestNode);
GMSG_REG_MAILBOX_NODE* U_GMSG_pAcquireMailboxNodeWithExpiredRequest(GMSG_REQUEST_NODE** ppRequestNode);
BOOLEAN U_GMSG_bAcquireMailboxNode(GMSG_REG_MAILBOX_NODE* pNode, BOOLEAN bReading);
BOOLEAN U_GMSG_bReleaseMailboxNode(GMSG_REG_MAILBOX_NODE* pNode, BOOLEAN bReading);
BOOLEAN U_GMSG_bDeleteMailboxNode(GMSG_REG_MAILBOX_NODE* pNode);
BOOLEAN U_GMSG_bDeleteMailboxNodeById(MBOX Mailbox);

// Wakes the socket thread (from its semaphore or from a running wait)
// unless that mailbox still has something in flight.
BOOLEAN U_GMSG_bSignal(MBOX Mailbox);
// The descriptor the socket thread watches beside the sockets, readable
// after a signal, and its reset.
int U_GMSG_nWakeDescriptor(void);
void U_GMSG_vClearWake(void);
// The sockets of every mailbox with nothing in flight, and the listening
// sockets of the others.
BOOLEAN U_GMSG_bGetMailboxFdSet(GMSG_FD_SET* pReadFdSet, int* pnMaxSocket);
BOOLEAN U_GMSG_bGetSocketInfoFdSet(GMSG_REG_MAILBOX_NODE* pNode, GMSG_FD_SET* pReadFdSet, int* pnMaxSocket);

// Connection records.
GMSG_SOCKET_NODE* U_GMSG_pAddNewSocketNode(GMSG_MAILBOX* pMailbox, const GMSG_ADDRESS* pAddress, BOOLEAN bReading,
                                           BOOLEAN bAcquire);
GMSG_SOCKET_NODE* U_GMSG_pAddNewSocketNodeUdp(GMSG_MAILBOX* pMailbox, const GMSG_ADDRESS* pAddress,
                                              BOOLEAN bReading, BOOLEAN bAcquire);
BOOLEAN U_GMSG_bAddSocketNode(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode);
GMSG_SOCKET_NODE* U_GMSG_pFindSocketNodeByFd(GMSG_MAILBOX* pMailbox, int nSocket);
GMSG_SOCKET_NODE* U_GMSG_pFindSocketNodeByAddress(GMSG_MAILBOX* pMailbox, const GMSG_ADDRESS* pAddress,
                                                  BOOLEAN bReading);
GMSG_SOCKET_NODE* U_GMSG_pAcquireSocketNodeByFd(GMSG_MAILBOX* pMailbox, int nSocket, BOOLEAN bReading);
GMSG_SOCKET_NODE* U_GMSG_pAcquireSocketNodeByAddress(GMSG_MAILBOX* pMailbox, const GMSG_ADDRESS* pAddress,
                                                     BOOLEAN bReading);
BOOLEAN U_GMSG_bUpdateSocketNodeAddress(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode,
                                        const GMSG_ADDRESS* pAddress);
BOOLEAN U_GMSG_bReleaseSocketNode(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode, BOOLEAN bWasReading);
BOOLEAN U_GMSG_bDeleteSocketNode(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode);

// Open connections of every mailbox.
int U_GMSG_nConnectionCount(void);
// Below the limit: TRUE. At it: closes the oldest idle connection and
// answers TRUE, or FALSE when none is idle.
BOOLEAN U_GMSG_bMakeRoomForConnection(void);
// What a connection's last report or send did: part of a message is there,
// a whole message went over it at u64Now.
void U_GMSG_vNoteActivity(GMSG_MAILBOX* pMailbox, GMSG_SOCKET_NODE* pSocketNode, BOOLEAN bMessage, U64 u64Now);
// Closes every unheld connection whose message in progress broke a time
// limit by u64Now. The GMSG task's, on every tick.
void U_GMSG_vCheckReceiveTimes(U64 u64Now);

// Shutdown and the 250 ms timer of the GMSG task.
void U_GMSG_vShutdown(void);
void U_GMSG_vOnTimer(void);
// Hands a received message to the owning task with one reading hold.
BOOLEAN U_GMSG_bDeliver(GMSG_REG_MAILBOX_NODE* pNode, MSG_GMSG_RECEIVE* pMsgReceive);
