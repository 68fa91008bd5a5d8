// The alarm-peer calls. The mail belongs to the alarm task, which frees it.
#include "gmsg/u_alarm.h"

#include "gmsg/u_gmsg.h"
#include "kernel/h_memory.h"

#include <cstring>

namespace {

BOOLEAN mailPeer(const GMSG_ADDRESS& address, BOOLEAN bAdd)
{
    ALARM_NETWORK_PEER_ADD_MSG* mail =
        (ALARM_NETWORK_PEER_ADD_MSG*)H_MEMORY_pvMalloc(sizeof(ALARM_NETWORK_PEER_ADD_MSG));
    memset(mail, 0, sizeof *mail);
    mail->Header.Cmd = CMD_ID_ALARM_ADD_PEER;
    mail->bAdd = bAdd;
    mail->gmsgAddress = address;
    if (L_MBOX_Send(ALARM_MBOX, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(mail);
    return TRUE;
}

} // namespace

BOOLEAN U_ALARM_bAddPeer(GMSG_ADDRESS PeerAddress) { return mailPeer(PeerAddress, TRUE); }

BOOLEAN U_ALARM_bRemovePeer(GMSG_ADDRESS PeerAddress) { return mailPeer(PeerAddress, FALSE); }
