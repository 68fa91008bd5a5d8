// The task table and the start order of the system.
#pragma once

#include "kernel/l_task.h"
#include "system/t_startup.h" // bStartupTaskInitialized, which Main waits for

#include <atomic>

extern const TASK_PARAM TaskParams[ntasks];

// Tasks that Main starts after the start-up task has released it, in order.
extern const TASK MAIN_START_ORDER[38];

// Debug names of the task ids (index 0 empty, 70 the main thread).
extern const char* const TaskNames[71];

// Binds the mailboxes to their semaphores; Main calls it once at start.
void T_MAIN_vSetupMailboxes(void);

// The model named in the first log line.
extern const char model_string[12];
