// The two tasks that carry every GMSG message of the unit: the GMSG task
// (51, mailbox 53), which owns the registry, reads arriving messages and
// hands each to its owning task, sends what tasks ask it to send and ends
// unanswered requests; and its socket thread (52), which only waits on all
// registered sockets at once, accepts new connections and tells the GMSG
// task which socket has something to read.
#pragma once

#include "kernel/l_types.h"

void T_GMSG_vMain(void);       // task 51
void T_GMSG_vSocketMain(void); // task 52
void T_GMSG_vTestMain(void);   // task 53: ends at once
