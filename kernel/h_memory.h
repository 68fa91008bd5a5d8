// The program heap: eight fixed-block partitions (usable sizes 44 bytes to
// 960096 bytes). A request takes the smallest partition that fits, falls
// back to larger ones when it is full, and waits when all are full; a
// request above the largest block is a fatal error.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"

// Bytes of the block header in front of every pointer handed out; the
// pointer is aligned for any type.
constexpr U32 H_MEMORY_HEADER_BYTES = 16;

void* H_MEMORY_pvMalloc(U32 u32Size);
void* H_MEMORY_pvMallocNoWait(U32 u32Size);
void* H_MEMORY_pvRealloc(void* pvPointer, U32 u32Size);
void* H_MEMORY_pvCalloc(U32 u32NumElements, U32 u32Size);
void H_MEMORY_vFree(void* pvPointer);
void H_MEMORY_vDumpMail(RTOSMSG* pMsg);

// The smallest partition whose usable size fits (0 when none does), the
// usable size of a partition (0 for one not in the heap), and the partition
// named by the header in front of a pointer (0 outside the heap).
MAP H_MEMORY_mapFindPart(U32 u32Size);
size_t H_MEMORY_size_tGetMapedPartitionSize(MAP map);
MAP H_MEMORY_mapOfBlock(const void* pvPointer);

U32* H_MMU_pu32AllocateNonCachedArea(U32 u32Size);
void H_MMU_vInit(void);
void H_MMU_vSetMTT(U32 u32VirtualAddrStart, U32 u32VirtualAddrEnd, U32 u32PhysicalAddrStart, U32 u32Attributes);
void H_MMU_vDisableAll(void);

// A copy of a text in the program heap.
char* U_UTILS_strdup(const char* pcText);
