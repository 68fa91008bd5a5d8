// STAND-INS of the parts of the sonar road that are not built yet: the
// network sends of sonar sharing between units (setting changes,
// transducer changes, unregistering from servers, pings to network
// clients).
// Delete an entry when its real module lands.
//
// The sends do nothing; they note their calls, so that tests see that
// nothing was sent.
#pragma once

#include "kernel/l_types.h"

typedef struct tag_T_N_PING_STANDIN_RECORD {
    U32 u32NetworkSends; // sends and unregistrations asked for
} T_N_PING_STANDIN_RECORD;

T_N_PING_STANDIN_RECORD T_N_PING_STANDIN_tRecord(void);
void T_N_PING_STANDIN_vForget(void);
