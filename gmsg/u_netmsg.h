// Connection-event callbacks of the message fabric. They do nothing and
// nothing calls them; the BOOLEAN ones answer TRUE.
#pragma once

#include "gmsg/gmsg.h"
#include "kernel/l_types.h"

void U_NETMSG_vConnectSucceeded(const GMSG_ADDRESS* serverAddr, void* Message);
BOOLEAN U_NETMSG_bConnectFailed(const GMSG_ADDRESS* serverAddr, void* Message);
BOOLEAN U_NETMSG_bSendDataSucceeded(const GMSG_ADDRESS* clientAddr, void* Message);
BOOLEAN U_NETMSG_bSendDataFailed(const GMSG_ADDRESS* clientAddr, void* Message);
BOOLEAN U_NETMSG_bConnectionLost(const GMSG_ADDRESS* serverAddr, void* Message);
