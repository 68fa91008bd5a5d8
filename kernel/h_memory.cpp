// Placeholder program heap on the C heap until the partition allocator
// lands; same calls, 16-byte aligned blocks.
#include "kernel/h_memory.h"

#include <cstdlib>
#include <cstring>

void* H_MEMORY_pvMalloc(U32 u32Size) { return malloc(u32Size ? u32Size : 1); }
void* H_MEMORY_pvMallocNoWait(U32 u32Size) { return malloc(u32Size ? u32Size : 1); }
void* H_MEMORY_pvRealloc(void* p, U32 u32Size) { return realloc(p, u32Size ? u32Size : 1); }
void* H_MEMORY_pvCalloc(U32 n, U32 size) { return calloc(n ? n : 1, size ? size : 1); }
void H_MEMORY_vFree(void* p) { free(p); }
void H_MEMORY_vDumpMail(RTOSMSG* pMsg) { free(pMsg); }
U32* H_MMU_pu32AllocateNonCachedArea(U32 u32Size) { return (U32*)malloc(u32Size); }
void H_MMU_vInit(void) {}
void H_MMU_vSetMTT(U32, U32, U32, U32) {}
void H_MMU_vDisableAll(void) {}
char* U_UTILS_strdup(const char* t)
{
    size_t n = strlen(t) + 1;
    char* p = (char*)H_MEMORY_pvMalloc((U32)n);
    memcpy(p, t, n);
    return p;
}
