// Queues: 12 fixed ring buffers of fixed-size elements, copied in and out
// by value, with four conditions that can signal semaphores.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_QUEUE_CONDITION { QNE = 0, QNF = 1, QF = 2, QE = 3, QCOND_COUNT = 4 } QUEUE_CONDITION;

ERC L_QUEUE_Define(QUEUE queue, U32 QueueWidth, U32 QueueDepth, U8* QueueBuffer, U32 QueueCount);
ERC L_QUEUE_DefineSema(QUEUE queue, SEMA sema, QUEUE_CONDITION qcond);
ERC L_QUEUE_Put(QUEUE queue, const void* ptrElement);
ERC L_QUEUE_PutWait(QUEUE queue, const void* ptrElement);
ERC L_QUEUE_PutWaitTicks(QUEUE queue, const void* ptrElement, TICKS sTicks);
ERC L_QUEUE_PutWaitSeconds(QUEUE queue, const void* ptrElement, U32 sSeconds);
ERC L_QUEUE_Get(QUEUE queue, void* ptrElement);
ERC L_QUEUE_GetWait(QUEUE queue, void* ptrElement);
ERC L_QUEUE_GetWaitTicks(QUEUE queue, void* ptrElement, TICKS sTicks);
ERC L_QUEUE_GetWaitSeconds(QUEUE queue, void* ptrElement, U32 sSeconds);
ERC L_QUEUE_Purge(QUEUE queue);
ERC L_QUEUE_Inquire(QUEUE queue);
void L_QUEUE_Debug(void);
