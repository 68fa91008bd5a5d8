// Stand-in for the one call of the Ethernet task that the message fabric
// needs until the networking subsystem is built: whether the unit's
// interface is up with an IPv4 address.
#pragma once

#include "kernel/l_types.h"

// TRUE when "eth0" (or, when that cannot be queried, "eth0:avahi") is
// running and has an IPv4 address. Each call also writes the answer to the
// boolean key "IERD" with writer priority 2. The names follow the socket
// wrapper's interface mapping (VONDREL_NET_IF).
BOOLEAN T_ETHERNET_bIsAddressReady(void);
