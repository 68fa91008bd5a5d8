// The alarm-peer calls: they tell the alarm task (mailbox 20) which units
// share alarms with this one. The alarm task keeps the peers in its own
// destination table and sends each alarm it raises to all of them.
#pragma once

#include "gmsg/gmsg.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"

constexpr MBOX ALARM_MBOX = 20;

typedef struct tag_ALARM_NETWORK_PEER_ADD_MSG {
    GENERIC_MESSAGE Header; // CMD_ID_ALARM_ADD_PEER
    BOOLEAN bAdd;           // add, or remove
    GMSG_ADDRESS gmsgAddress;
} ALARM_NETWORK_PEER_ADD_MSG;

// Each mails a copy of the address at priority 3 without a semaphore; TRUE.
BOOLEAN U_ALARM_bAddPeer(GMSG_ADDRESS PeerAddress);
BOOLEAN U_ALARM_bRemovePeer(GMSG_ADDRESS PeerAddress);
