// Debug names of tasks, semaphores, mailboxes, mutexes, queues and memory
// partitions; "INVALID" beyond each table.
#pragma once

#include "kernel/l_types.h"

extern const char* const str_semaphores[281];
extern const char* const str_mailboxes[72];
extern const char* const str_mutexes[105];
extern const char* const str_queues[13];
extern const char* const str_memblocks[1];

// Task names come with the task table: ppcNames[id] for ids below u32Count.
// Without a table every id but the main thread's is "INVALID".
void L_NAMES_vInstallTaskNames(const char* const* ppcNames, U32 u32Count);
const char* get_task_name(U32 u32Id);
const char* get_semaphore_name(U32 u32Id);
const char* get_mutex_name(U32 u32Id);
const char* get_mailbox_name(U32 u32Id);
const char* get_queue_name(U32 u32Id);
const char* get_memory_name(U32 u32Id);
