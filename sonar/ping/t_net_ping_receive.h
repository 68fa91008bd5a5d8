// STAND-IN of the network receive task (task 67, mailbox 69) of the
// networking subsystem, with only what sonar sharing between two units
// needs until that subsystem is built. Without service discovery and the
// network source menus, the one server a unit uses is named in the unit
// root: ROOT/etc/sonar-server holds "address source [transducer]" (dotted
// IPv4 address, sonar source 0-3, the server's transducer id).
//
// With that file the task switches the source to the network, has the ping
// task register with the server (command 122; again every few seconds
// while the source has no server), joins the source's multicast group
// through the segmented-UDP receive task, and hands every ping received
// there on to the processing task as a ping from a server is handed on.
// It also runs the server monitors' check, which is the service-discovery
// client's poll on the unit. Without the file it only runs that check.
#pragma once

#include "kernel/l_types.h"

struct tag_NETWORK_REGISTER_4DATA_MESSAGE;

void T_NET_PING_RECEIVE_vMain(void);
// In the ping task, under mutex 100: registers with the server for the
// source named by the user data (0x180001, pingArrayLimit 55000; state
// REGISTER) or unregisters from it. FALSE when the request could not be
// sent (the source is then left DISCONNECTED).
BOOLEAN T_NET_PING_RECEIVE_bHandleServerConnection(const struct tag_NETWORK_REGISTER_4DATA_MESSAGE* pMsg);
