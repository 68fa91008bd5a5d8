// The task table and the start order of the system.
#pragma once

#include "kernel/l_task.h"

extern const TASK_PARAM TaskParams[ntasks];

// Tasks that Main starts after the start-up task has released it, in order.
extern const TASK MAIN_START_ORDER[38];

// Binds the mailboxes to their semaphores; Main calls it once at start.
void T_MAIN_vSetupMailboxes(void);
