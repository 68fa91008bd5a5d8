// Fixed-block memory partitions: up to 8 partitions of equal blocks, each
// block owned by the task that allocated it.
#pragma once

#include "kernel/l_types.h"

MAP L_MEM_Create(U8* u8Body, U32 u32BlockSize, U32 u32BlockCount);
void* L_MEM_Allocate(MAP map);
void* L_MEM_AllocateWait(MAP map);
void* L_MEM_AllocateWaitTicks(MAP map, TICKS sTicks);
void* L_MEM_AllocateWaitSeconds(MAP map, U32 sSeconds);
ERC L_MEM_Free(MAP map, void* vptr);
ERC L_MEM_GetBlockSize(MAP map);
// Blocks of the partition that nobody owns.
ERC L_MEM_GetFreeCount(MAP map);
void L_MEM_Debug(void);
