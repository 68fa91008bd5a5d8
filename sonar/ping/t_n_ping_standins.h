// STAND-INS of the parts of the sonar road that are not built yet: the
// three local ping cycles, and the network sends of sonar sharing between
// units (setting changes, transducer changes, unregistering from servers,
// pings to network clients). Delete an entry when its real module lands.
//
// A stand-in ping cycle takes one descriptor per receive channel from the
// pool (waiting as a cycle does), fills in the beam, transducer, time and a
// short run of flat samples without touching the coprocessor, and hands
// each to the director in channel order; it consumes the flags the ping
// task set for it. The sends do nothing. Both note their calls, so that
// tests see which cycle ran and that nothing was sent.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_PING_CYCLE : int {
    PING_CYCLE_DOWN_BEAM = 0,
    PING_CYCLE_SIDE_SCAN = 1,
    PING_CYCLE_KEELVIEW = 2,
    PING_CYCLE_COUNT = 3
} PING_CYCLE;

typedef struct tag_T_N_PING_STANDIN_RECORD {
    U32 au32Cycles[PING_CYCLE_COUNT]; // pings run by each cycle
    int eLastCycle;                   // a PING_CYCLE, or -1 before the first
    BOOLEAN bLastSwitchToLocal;       // the flags the last cycle found
    BOOLEAN bLast2DNoKV;
    U32 u32NetworkSends;              // sends and unregistrations asked for
} T_N_PING_STANDIN_RECORD;

T_N_PING_STANDIN_RECORD T_N_PING_STANDIN_tRecord(void);
void T_N_PING_STANDIN_vForget(void);
