// The GMSG client layer: what a task that offers or uses a network service
// calls. A task registers a mailbox with a listening port and a message
// table; every message that arrives for it then comes as a
// CMD_ID_GMSG_RECEIVE mail, which it passes to U_GMSG_bHandleReceive: the
// message id is looked up in the table, the payload decoded with the row's
// type and the row's handler called in the task's own thread. Sends are
// composed in the caller's thread and handed to the GMSG task (or to the
// segmented-UDP sender for the alternative route).
//
// Ownership: everything in a received message belongs to the dispatch and is
// freed when the handler returns; a handler copies what it keeps. The caller
// of a send may reuse its data as soon as the call returns.
#pragma once

#include "gmsg/gmsg.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"

// Kernel objects of the GMSG task and its socket thread.
constexpr TASK GMSG_TASK = 51;
constexpr TASK GMSG_SOCKET_TASK = 52;
constexpr MBOX GMSG_MBOX = 53;
constexpr SEMA SEMA_MBOX_GMSG = 202;
constexpr SEMA SEMA_TIMER_GMSG = 203;
constexpr SEMA SEMA_GMSG_SELECT = 205;
constexpr MUTEX RES_GMSG_MBOX_LIST = 75;
// The segmented-UDP sender.
constexpr MBOX SUDP_OUT_MBOX = 58;
// Every mail of the message fabric travels at this priority.
constexpr PRIORITY GMSG_MAIL_PRIORITY = 3;

// ------------------------------------------------------------ message tables

// BOOLEAN handler(Mailbox, message, row parameter 1, row parameter 2); TRUE = handled.
typedef BOOLEAN (*GMSG_HANDLER_FP)(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);

typedef struct tag_GMSG_MAP_INFO {
    U32 MsgIdType;                // id handled by this row; 0 ends the table
    GMSG_HANDLER_FP pfHandler;
    const G_DATA_TYPE* pDataType; // payload type; null: the handler reads the raw payload
    void* pvParam1;
    void* pvParam2;
} GMSG_MAP_INFO;

// ------------------------------------------------------------------ mails

struct tag_GMSG_REG_MAILBOX_NODE;
struct tag_GMSG_SOCKET_NODE;

typedef struct tag_MSG_GMSG_REGISTER {
    GENERIC_MESSAGE Header; // CMD_ID_GMSG_REGISTER
    MBOX Mailbox;
    RESOURCE ResLock;
    SEMA Sema;
    const GMSG_MAP_INFO* pMsgMapInfo;
    U16 u16Port;
    BOOLEAN bSuccess;
    BOOLEAN bUdp;
} MSG_GMSG_REGISTER;

typedef struct tag_MSG_GMSG_UNREGISTER {
    GENERIC_MESSAGE Header; // CMD_ID_GMSG_UNREGISTER
    MBOX Mailbox;
    BOOLEAN bSuccess;
} MSG_GMSG_UNREGISTER;

// The socket thread's readiness report. The report carries the records on
// which it holds its reading holds, so that a record marked for deletion
// meanwhile still gets its holds back.
typedef struct tag_MSG_GMSG_NEW_MESSAGE {
    GENERIC_MESSAGE Header; // CMD_ID_GMSG_NEW_MESSAGE
    MBOX Mailbox;
    int nSocket;
    struct tag_GMSG_REG_MAILBOX_NODE* pMailboxNode;
    struct tag_GMSG_SOCKET_NODE* pSocketNode;
} MSG_GMSG_NEW_MESSAGE;

// A whole message assembled by the segmented-UDP receiver; the block is
// handed over to the GMSG task.
typedef struct tag_MSG_GMSG_NEW_MESSAGE_EXT {
    GENERIC_MESSAGE Header; // CMD_ID_GMSG_NEW_MESSAGE_EXT
    MBOX Mailbox;
    void* cpMessageBody;
    U32 u32MessageLength;
    BOOLEAN bIsRaw;
} MSG_GMSG_NEW_MESSAGE_EXT;

// A delivered message. It holds one reading hold on the registered record,
// which U_GMSG_bHandleReceive (or U_GMSG_bSkipReceive) gives back.
typedef struct tag_MSG_GMSG_RECEIVE {
    GENERIC_MESSAGE Header; // CMD_ID_GMSG_RECEIVE
    MBOX Mailbox;
    GMSG_INFO MsgInfo;
    struct tag_GMSG_REG_MAILBOX_NODE* pMailboxNode; // the record the hold is on
} MSG_GMSG_RECEIVE;

typedef struct tag_MSG_GMSG_SEND {
    GENERIC_MESSAGE Header; // CMD_ID_GMSG_SEND
    MBOX Mailbox;
    GMSG_INFO MsgInfo;
    BOOLEAN bSuccess;
} MSG_GMSG_SEND;

// Also the server monitors' time-out mail (CMD_ID_SERVER_MONITOR_TIMEOUT).
typedef struct tag_MSG_GMSG_DISCONNECT {
    GENERIC_MESSAGE Header; // CMD_ID_GMSG_DISCONNECT
    MBOX Mailbox;
    GMSG_ADDRESS Address; // the peer's listening address; zero when never known
} MSG_GMSG_DISCONNECT;

// ------------------------------------------------ the alternative route

typedef struct tag_GMSG_ALT_TRANSPORT {
    BOOLEAN bRaw;           // send the caller's block as it is, not a GMSG message
    U32 u32DataLength;      // bytes of that block
    U32 u32MultiPacket;     // nonzero: split into segments
} GMSG_ALT_TRANSPORT;

typedef struct tag_MSG_SUDP_OUT_SEND {
    GENERIC_MESSAGE Header; // CMD_ID_SUDP_OUT_SEND
    U8* ucpMessage;         // a program-heap block, handed over
    U32 u32MessageLength;
    U32 u32Address;         // IPv4, network order
    U32 u32Port;
    U32 u32Raw;
    U32 u32MultiPacket;
} MSG_SUDP_OUT_SEND;

// --------------------------------------------------------- registration

BOOLEAN U_GMSG_bRegisterMailbox(MBOX Mailbox, RESOURCE ResLock, SEMA Sema, const GMSG_MAP_INFO* pMsgMapInfo,
                                U16 u16Port);
BOOLEAN U_GMSG_bRegisterMailboxAll(MBOX Mailbox, RESOURCE ResLock, SEMA Sema, const GMSG_MAP_INFO* pMsgMapInfo,
                                   U16 u16Port, BOOLEAN bUdp);
// TRUE when the record was freed at once, FALSE when it was only marked
// (still held) or the mailbox is not registered.
BOOLEAN U_GMSG_bUnregisterMailbox(MBOX Mailbox);

// ------------------------------------------------------------- receiving

BOOLEAN U_GMSG_bHandleReceive(MSG_GMSG_RECEIVE* pMsgReceive);
BOOLEAN U_GMSG_bSkipReceive(MSG_GMSG_RECEIVE* pMsgReceive);

struct tag_GMSG_MAILBOX;
BOOLEAN GMSG_bHandleMsg(struct tag_GMSG_MAILBOX* pMsgMailbox, GMSG_INFO* pMsgInfo);
BOOLEAN GMSG_bDefaultMsgHandler(MBOX Mailbox, GMSG_INFO* pMsgInfo, void* pvParam1, void* pvParam2);

// --------------------------------------------------------------- sending

// The one sender; the variants below fix its arguments. bAsync: hand the
// mail over and return at once instead of waiting for the GMSG task.
BOOLEAN U_GMSG_bSend(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId, const G_DATA_TYPE* pDataType,
                     void* pData, U64 u64UserToken, U64 __u64ReplyToken, U32 u32Flags,
                     const GMSG_ALT_TRANSPORT* altTransport, BOOLEAN bUdp, U32 u32UdpLength, BOOLEAN bAsync,
                     U32 u32TimeoutInMs);

BOOLEAN U_GMSG_bSendMsgNoReply(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                               const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken);
BOOLEAN U_GMSG_bRequest(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId, const G_DATA_TYPE* pDataType,
                        void* pData, U64 u64UserToken);
BOOLEAN U_GMSG_bReply(MBOX Mailbox, const GMSG_INFO* pMsgInfo, U32 eMsgId, const G_DATA_TYPE* pDataType,
                      void* pData);
BOOLEAN U_GMSG_bReplyWithStatus(MBOX Mailbox, const GMSG_INFO* pMsgInfo, U32 u32MsgStatus);
// Returns once the mail is queued.
BOOLEAN U_GMSG_bSendMsgNoWait(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                              const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken, U32 u32TimeoutInMs);
// Waits, despite its name.
BOOLEAN U_GMSG_bSendMsgNoWaitAsync(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                                   const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken,
                                   U32 u32TimeoutInMs);
// A datagram of u32MsgLength raw bytes of pData; eMsgId and pDataType are ignored.
BOOLEAN U_GMSG_bSendUdpMsgNoReply(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                                  const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken, U32 u32MsgLength);
// Through the segmented-UDP sender. With altTransport->bRaw, pData must be a
// program-heap block of altTransport->u32DataLength bytes; it is handed over
// and the caller must not touch it again.
BOOLEAN U_GMSG_bSendMsgNoReplyAlt(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                                  const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken,
                                  const GMSG_ALT_TRANSPORT* altTransport);

// -------------------------------------------------------------- the rest

// Closes the mailbox's connection to that peer (the first that is not marked
// and not read-only); the owner gets CMD_ID_GMSG_DISCONNECT.
BOOLEAN U_GMSG_bDisconnect(MBOX Mailbox, const GMSG_ADDRESS* pAddress);
// The registered mailbox's own address; with a null pAddress only whether
// the mailbox is registered.
BOOLEAN U_GMSG_bGetMailboxAddress(GMSG_ADDRESS* pAddress, MBOX Mailbox);
