// Stand-ins for the calls of the Ethernet task that the message fabric and
// the System Status page need until the networking subsystem is built:
// whether the unit's interface is up with an IPv4 address, whether it is
// set up for a dynamic address, and that address.
#pragma once

#include "kernel/l_types.h"

// TRUE when "eth0" (or, when that cannot be queried, "eth0:avahi") is
// running and has an IPv4 address. Each call also writes the answer to the
// boolean key "IERD" with writer priority 2. The names follow the socket
// wrapper's interface mapping (VONDREL_NET_IF).
BOOLEAN T_ETHERNET_bIsAddressReady(void);

// STAND-INS of the network source menus for the sonar history task, until
// the networking subsystem brings them. Without network source lists there
// is no saved choice to restore: the local ping mask in use ("ELPM", 0 when
// never written) is handed back unchanged.
void T_ETHERNET_vRestoreSavedSonarSource(U32* pu32ELPM);
// Marks this unit's (0xFFFFFFFF) or another unit's entry of a network
// source list as available; there are no lists here, so nothing changes.
void T_ETHERNET_vNetsourceConnected(U32 u32fcid, U32 u32Mac);
// STAND-IN: TRUE when "SIPD" (dynamic addressing) exists, is valid and is
// TRUE.
BOOLEAN T_ETHERNET_bIsDynamic(void);
// STAND-IN: the address of "eth0" in dotted form into sAddress (at least 16
// bytes); "0.0.0.0" when the interface has none.
void T_ETHERNET_vGetIPAddress(char* sAddress);
