// The GMSG client calls: registration, dispatch through message tables, and
// the send variants.
//
// Registration, unregistration and waiting sends block the caller on the
// semaphore it registered with, until the GMSG task has acted; that
// semaphore serves nothing else. A non-waiting send returns once its mail
// is queued, and its failures are lost.
//
// Dispatch runs in the owning task's thread. A row's handler is called only
// with a payload that decoded: a message whose payload does not decode is
// logged and, when it is a request, answered with status 2, as is a message
// that no row handles or whose handler answers FALSE.
#include "gmsg/u_gmsg.h"

#include "gmsg/u_gmsg_registry.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"

#include <cstring>

namespace {

const GMSG_MAP_INFO s_DefaultMspMapInfo = {GMSG_ID_DEFAULT_UNKNOWN, GMSG_bDefaultMsgHandler, nullptr, nullptr,
                                           nullptr};

template <typename T>
T* newMail(CMD_ID cmd)
{
    T* mail = (T*)H_MEMORY_pvMalloc(sizeof(T));
    memset(mail, 0, sizeof *mail);
    mail->Header.Cmd = cmd;
    return mail;
}

const GMSG_MAP_INFO* findRow(const GMSG_MAP_INFO* table, U32 u32MsgId)
{
    if (table)
        for (const GMSG_MAP_INFO* row = table; row->MsgIdType != GMSG_ID_DEFAULT_UNKNOWN; ++row)
            if (row->MsgIdType == u32MsgId)
                return row;
    return &s_DefaultMspMapInfo;
}

void logUnhandled(const char* pcWhat, U32 u32MsgId)
{
    log_me("%s - Class: %s, Offset: %d", pcWhat, GMSG_pcServiceClassName(GMSG_u32ClassOf(u32MsgId)),
           (int)(u32MsgId & 0xFFFF));
}

// The unhandled path: every case is logged, and a request gets status 2.
void answerUnhandled(MBOX Mailbox, GMSG_INFO* pMsgInfo, const char* pcWhat)
{
    const GMSG_HEADER* h = pMsgInfo->pMsgHeader;
    logUnhandled(pcWhat, h->u32MsgId);
    if (h->u32MsgFlags & GMSG_FLAG_REQUEST)
        U_GMSG_bReplyWithStatus(Mailbox, pMsgInfo, GMSG_STATUS_UNHANDLED);
}

BOOLEAN isMarked(GMSG_REG_MAILBOX_NODE* pNode)
{
    L_MUTEX_LockWait(RES_GMSG_MBOX_LIST);
    const BOOLEAN b = pNode->Mailbox.bMarkForDelete;
    L_MUTEX_Unlock(RES_GMSG_MBOX_LIST);
    return b;
}

BOOLEAN finishReceive(MSG_GMSG_RECEIVE* pMsgReceive, bool bDispatch)
{
    if (!pMsgReceive)
        return TRUE;
    GMSG_REG_MAILBOX_NODE* node = pMsgReceive->pMailboxNode;
    // The delivery's hold keeps the record; a record unregistered meanwhile
    // gets no dispatch, but its message is freed all the same.
    if (bDispatch && node && !isMarked(node) && pMsgReceive->MsgInfo.pMsgHeader)
        GMSG_bHandleMsg(&node->Mailbox, &pMsgReceive->MsgInfo);
    GMSG_bFree(&pMsgReceive->MsgInfo);
    pMsgReceive->pMailboxNode = nullptr;
    if (node)
        U_GMSG_bReleaseMailboxNode(node, TRUE);
    U_GMSG_bSignal(pMsgReceive->Mailbox);
    return TRUE;
}

} // namespace

// ------------------------------------------------------------ registration

BOOLEAN U_GMSG_bRegisterMailboxAll(MBOX Mailbox, RESOURCE ResLock, SEMA Sema, const GMSG_MAP_INFO* pMsgMapInfo,
                                   U16 u16Port, BOOLEAN bUdp)
{
    MSG_GMSG_REGISTER* mail = newMail<MSG_GMSG_REGISTER>(CMD_ID_GMSG_REGISTER);
    mail->Mailbox = Mailbox;
    mail->ResLock = ResLock;
    mail->Sema = Sema;
    mail->pMsgMapInfo = pMsgMapInfo;
    mail->u16Port = u16Port;
    mail->bSuccess = FALSE;
    mail->bUdp = bUdp;
    BOOLEAN bSuccess = FALSE;
    if (L_MBOX_SendWait(GMSG_MBOX, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, Sema) == 0)
        bSuccess = mail->bSuccess;
    H_MEMORY_vFree(mail);
    return bSuccess;
}

BOOLEAN U_GMSG_bRegisterMailbox(MBOX Mailbox, RESOURCE ResLock, SEMA Sema, const GMSG_MAP_INFO* pMsgMapInfo,
                                U16 u16Port)
{
    return U_GMSG_bRegisterMailboxAll(Mailbox, ResLock, Sema, pMsgMapInfo, u16Port, FALSE);
}

BOOLEAN U_GMSG_bUnregisterMailbox(MBOX Mailbox)
{
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeById(Mailbox, FALSE);
    if (!node)
        return FALSE;
    const SEMA sema = node->Mailbox.RtosSema;
    U_GMSG_bReleaseMailboxNode(node, FALSE);
    MSG_GMSG_UNREGISTER* mail = newMail<MSG_GMSG_UNREGISTER>(CMD_ID_GMSG_UNREGISTER);
    mail->Mailbox = Mailbox;
    mail->bSuccess = FALSE;
    BOOLEAN bSuccess = FALSE;
    if (L_MBOX_SendWait(GMSG_MBOX, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, sema) == 0)
        bSuccess = mail->bSuccess;
    H_MEMORY_vFree(mail);
    return bSuccess;
}

// --------------------------------------------------------------- receiving

BOOLEAN U_GMSG_bHandleReceive(MSG_GMSG_RECEIVE* pMsgReceive) { return finishReceive(pMsgReceive, true); }

BOOLEAN U_GMSG_bSkipReceive(MSG_GMSG_RECEIVE* pMsgReceive) { return finishReceive(pMsgReceive, false); }

BOOLEAN GMSG_bHandleMsg(GMSG_MAILBOX* pMsgMailbox, GMSG_INFO* pMsgInfo)
{
    if (!pMsgMailbox || !pMsgInfo || !pMsgInfo->pMsgHeader)
        return TRUE;
    const MBOX mailbox = pMsgMailbox->RtosMailbox;
    const GMSG_MAP_INFO* row = findRow(pMsgMailbox->pMsgMapInfoArray, pMsgInfo->pMsgHeader->u32MsgId);

    // GMSG_bParse frees whatever a failed decode left, so a refused payload
    // holds nothing and the handler never sees half a value.
    if (!GMSG_bParse(pMsgInfo, row->pDataType)) {
        answerUnhandled(mailbox, pMsgInfo, "Undecodable Message");
        return TRUE;
    }
    if (!row->pfHandler || !row->pfHandler(mailbox, pMsgInfo, row->pvParam1, row->pvParam2))
        answerUnhandled(mailbox, pMsgInfo, "Unhandled Message");
    return TRUE;
}

BOOLEAN GMSG_bDefaultMsgHandler(MBOX Mailbox, GMSG_INFO* pMsgInfo, void*, void*)
{
    if (pMsgInfo && pMsgInfo->pMsgHeader)
        answerUnhandled(Mailbox, pMsgInfo, "Unhandled Message");
    return TRUE;
}

// ----------------------------------------------------------------- sending

BOOLEAN U_GMSG_bSend(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId, const G_DATA_TYPE* pDataType,
                     void* pData, U64 u64UserToken, U64 __u64ReplyToken, U32 u32Flags,
                     const GMSG_ALT_TRANSPORT* altTransport, BOOLEAN bUdp, U32 u32UdpLength, BOOLEAN bAsync,
                     U32 u32TimeoutInMs)
{
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeById(Mailbox, FALSE);
    if (!node)
        return FALSE;

    if (altTransport) {
        MSG_SUDP_OUT_SEND* mail = newMail<MSG_SUDP_OUT_SEND>(CMD_ID_SUDP_OUT_SEND);
        if (pDstAddress) {
            mail->u32Address = pDstAddress->uAddr.Socket.u32Address;
            mail->u32Port = pDstAddress->uAddr.Socket.u32Port;
        }
        mail->u32Raw = altTransport->bRaw;
        mail->u32MultiPacket = altTransport->u32MultiPacket;
        if (altTransport->bRaw) {
            mail->ucpMessage = (U8*)pData;
            mail->u32MessageLength = altTransport->u32DataLength;
        } else {
            GMSG_INFO info;
            if (!GMSG_bCompose(&info, nullptr, pDstAddress, eMsgId, pDataType, pData, u64UserToken,
                               __u64ReplyToken, u32Flags, FALSE, 0)) {
                log_me("Compose failed!\n");
                H_MEMORY_vFree(mail);
                U_GMSG_bReleaseMailboxNode(node, FALSE);
                return FALSE;
            }
            // The block leaves as it will go on the wire: the header in its
            // wire form, the payload right behind it.
            const U32 u32Size = info.pMsgHeader->u32MsgSize;
            U8 wire[GMSG_HEADER_SIZE];
            GMSG_vEncodeHeader(info.pMsgHeader, wire);
            memcpy(info.pMsgHeader, wire, GMSG_HEADER_SIZE);
            mail->ucpMessage = (U8*)info.pMsgHeader;
            mail->u32MessageLength = (U32)GMSG_HEADER_SIZE + u32Size;
        }
        L_MBOX_Send(SUDP_OUT_MBOX, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, 0);
        U_GMSG_bReleaseMailboxNode(node, FALSE);
        return TRUE;
    }

    const SEMA sema = node->Mailbox.RtosSema;
    U_GMSG_bReleaseMailboxNode(node, FALSE);
    MSG_GMSG_SEND* mail = newMail<MSG_GMSG_SEND>(CMD_ID_GMSG_SEND);
    if (!GMSG_bCompose(&mail->MsgInfo, nullptr, pDstAddress, eMsgId, pDataType, pData, u64UserToken,
                       __u64ReplyToken, u32Flags, bUdp, u32UdpLength)) {
        H_MEMORY_vFree(mail);
        return FALSE;
    }
    mail->bSuccess = FALSE;
    mail->Mailbox = Mailbox;
    mail->MsgInfo.u32TimeoutInMs = u32TimeoutInMs;
    if (bAsync) {
        if (L_MBOX_Send(GMSG_MBOX, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, 0) != 0) {
            GMSG_bFree(&mail->MsgInfo);
            H_MEMORY_vFree(mail);
            return FALSE;
        }
        return TRUE;
    }
    BOOLEAN bSuccess = FALSE;
    if (L_MBOX_SendWait(GMSG_MBOX, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, sema) == 0)
        bSuccess = mail->bSuccess;
    else
        GMSG_bFree(&mail->MsgInfo);
    H_MEMORY_vFree(mail);
    return bSuccess;
}

BOOLEAN U_GMSG_bSendMsgNoReply(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                               const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken)
{
    return U_GMSG_bSend(Mailbox, pDstAddress, eMsgId, pDataType, pData, u64UserToken, GMSG_TOKEN_NONE, 0, nullptr,
                        FALSE, 0, FALSE, 0);
}

BOOLEAN U_GMSG_bRequest(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId, const G_DATA_TYPE* pDataType,
                        void* pData, U64 u64UserToken)
{
    return U_GMSG_bSend(Mailbox, pDstAddress, eMsgId, pDataType, pData, u64UserToken, GMSG_TOKEN_NONE,
                        GMSG_FLAG_REQUEST, nullptr, FALSE, 0, FALSE, 0);
}

BOOLEAN U_GMSG_bReply(MBOX Mailbox, const GMSG_INFO* pMsgInfo, U32 eMsgId, const G_DATA_TYPE* pDataType,
                      void* pData)
{
    if (!pMsgInfo || !pMsgInfo->pMsgHeader)
        return FALSE;
    const GMSG_HEADER* h = pMsgInfo->pMsgHeader;
    return U_GMSG_bSend(Mailbox, &h->SrcAddress, eMsgId, pDataType, pData, h->u64Token, h->__u64ReplyToken,
                        GMSG_FLAG_REPLY, nullptr, FALSE, 0, FALSE, 0);
}

BOOLEAN U_GMSG_bReplyWithStatus(MBOX Mailbox, const GMSG_INFO* pMsgInfo, U32 u32MsgStatus)
{
    if (!pMsgInfo || !pMsgInfo->pMsgHeader)
        return FALSE;
    const GMSG_HEADER* h = pMsgInfo->pMsgHeader;
    GMSG_STATUS status = {u32MsgStatus, h->u32MsgId, h->u64Token};
    return U_GMSG_bSend(Mailbox, &h->SrcAddress, GMSG_ID_STATUS, &DT_GMSG_STATUS, &status, h->u64Token,
                        h->__u64ReplyToken, GMSG_FLAG_REPLY, nullptr, FALSE, 0, FALSE, 0);
}

BOOLEAN U_GMSG_bSendMsgNoWait(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                              const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken, U32 u32TimeoutInMs)
{
    return U_GMSG_bSend(Mailbox, pDstAddress, eMsgId, pDataType, pData, u64UserToken, GMSG_TOKEN_NONE, 0, nullptr,
                        FALSE, 0, TRUE, u32TimeoutInMs);
}

BOOLEAN U_GMSG_bSendMsgNoWaitAsync(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                                   const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken,
                                   U32 u32TimeoutInMs)
{
    return U_GMSG_bSend(Mailbox, pDstAddress, eMsgId, pDataType, pData, u64UserToken, GMSG_TOKEN_NONE, 0, nullptr,
                        FALSE, 0, FALSE, u32TimeoutInMs);
}

BOOLEAN U_GMSG_bSendUdpMsgNoReply(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32, const G_DATA_TYPE*,
                                  void* pData, U64 u64UserToken, U32 u32MsgLength)
{
    return U_GMSG_bSend(Mailbox, pDstAddress, GMSG_ID_DEFAULT_UNKNOWN, nullptr, pData, u64UserToken,
                        GMSG_TOKEN_NONE, 0, nullptr, TRUE, u32MsgLength, FALSE, 0);
}

BOOLEAN U_GMSG_bSendMsgNoReplyAlt(MBOX Mailbox, const GMSG_ADDRESS* pDstAddress, U32 eMsgId,
                                  const G_DATA_TYPE* pDataType, void* pData, U64 u64UserToken,
                                  const GMSG_ALT_TRANSPORT* altTransport)
{
    return U_GMSG_bSend(Mailbox, pDstAddress, eMsgId, pDataType, pData, u64UserToken, GMSG_TOKEN_NONE, 0,
                        altTransport, FALSE, 0, TRUE, 0);
}

// -------------------------------------------------------------- the rest

BOOLEAN U_GMSG_bDisconnect(MBOX Mailbox, const GMSG_ADDRESS* pAddress)
{
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeById(Mailbox, FALSE);
    if (!node)
        return FALSE;
    GMSG_MAILBOX* mb = &node->Mailbox;
    GMSG_SOCKET_NODE* s = U_GMSG_pAcquireSocketNodeByAddress(mb, pAddress, FALSE);
    if (s) {
        U_GMSG_bDeleteSocketNode(mb, s);
        U_GMSG_bReleaseSocketNode(mb, s, FALSE);
    }
    U_GMSG_bReleaseMailboxNode(node, FALSE);
    return s != nullptr;
}

BOOLEAN U_GMSG_bGetMailboxAddress(GMSG_ADDRESS* pAddress, MBOX Mailbox)
{
    GMSG_REG_MAILBOX_NODE* node = U_GMSG_pAcquireMailboxNodeById(Mailbox, FALSE);
    if (!node)
        return FALSE;
    if (pAddress)
        *pAddress = node->Mailbox.MsgAddress;
    U_GMSG_bReleaseMailboxNode(node, FALSE);
    return TRUE;
}
