// Tasks: numbered units of work with their own thread, stack, mutex and
// condition variable. Ids 1..69 come from the task table that the
// composition root installs; id 70 stands for the main thread and every
// plain thread.
#pragma once

#include "kernel/l_types.h"

#include <pthread.h>
#include <ctime>

typedef void TASK_ENTRY(void);

typedef struct tag_TASK_PARAM {
    U16 TParamStackSize;     // bytes the task needs on the unit
    PRIORITY TParamPriority; // RTOS style, 1 most urgent .. 100 least
    TASK_ENTRY* TParamStartFunction;
} TASK_PARAM;

// Installs the 69-row task table. Call before the first task operation; a
// later call replaces the rows (tests use it to put their own entries in).
void L_TASK_vInstallTable(const TASK_PARAM* pTable, int nRows);
// Replaces one row (1..69); tests use it for entries of their own.
ERC L_TASK_SetParams(TASK sTaskID, const TASK_PARAM* pParam);

TASK L_TASK_GetID(pthread_t ThreadID);
ERC L_TASK_Start(TASK sTaskID);
ERC L_TASK_Terminate(TASK sTaskID);
ERC L_TASK_LockMutex(TASK sTaskID);
ERC L_TASK_UnlockMutex(TASK sTaskID);
ERC L_TASK_WaitConditional(TASK sTaskID);
ERC L_TASK_WaitConditionalTimed(TASK sTaskID, const struct timespec* ExpiryTimer);
ERC L_TASK_SignalConditional(TASK sTaskID);
void L_TASK_Activate(void);
void L_TASK_Deactivate(void);
ERC L_TASK_SetPriority(TASK sTaskID, PRIORITY sPriority);
ERC L_TASK_GetPriority(TASK sTaskID);
void L_TASK_Debug(void);

// True while the task has a thread (started and not terminated).
BOOLEAN L_TASK_bIsRunning(TASK sTaskID);
// Bytes of stack a task gets on this machine for a table size.
size_t L_TASK_szStackBytes(U16 u16TableSize);

// The entry of task 1, never started.
void rtosbug(void);
