// The program heap: eight fixed-block partitions (usable sizes 44 bytes to
// 960096 bytes). A request takes the smallest partition that fits, falls
// back to larger ones when it is full, and waits when all are full; a
// request above the largest block is a fatal error.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"

void* H_MEMORY_pvMalloc(U32 u32Size);
void* H_MEMORY_pvMallocNoWait(U32 u32Size);
void* H_MEMORY_pvRealloc(void* pvPointer, U32 u32Size);
void* H_MEMORY_pvCalloc(U32 u32NumElements, U32 u32Size);
void H_MEMORY_vFree(void* pvPointer);
void H_MEMORY_vDumpMail(RTOSMSG* pMsg);

U32* H_MMU_pu32AllocateNonCachedArea(U32 u32Size);
void H_MMU_vInit(void);
void H_MMU_vSetMTT(U32 u32VirtualAddrStart, U32 u32VirtualAddrEnd, U32 u32PhysicalAddrStart, U32 u32Attributes);
void H_MMU_vDisableAll(void);

// A copy of a text in the program heap.
char* U_UTILS_strdup(const char* pcText);
