// Connection-event callbacks, all empty.
#include "gmsg/u_netmsg.h"

void U_NETMSG_vConnectSucceeded(const GMSG_ADDRESS*, void*) {}
BOOLEAN U_NETMSG_bConnectFailed(const GMSG_ADDRESS*, void*) { return TRUE; }
BOOLEAN U_NETMSG_bSendDataSucceeded(const GMSG_ADDRESS*, void*) { return TRUE; }
BOOLEAN U_NETMSG_bSendDataFailed(const GMSG_ADDRESS*, void*) { return TRUE; }
BOOLEAN U_NETMSG_bConnectionLost(const GMSG_ADDRESS*, void*) { return TRUE; }
