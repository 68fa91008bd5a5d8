// The contiguous-memory allocator of the GPU pixmaps, stood in.
//
// On the unit these five calls reach the kernel driver /dev/cmem, which hands
// out physically contiguous, cached buffers from fixed pools. Here the pool
// is plain process memory: a buffer is aligned as asked (4096 bytes unless
// the parameters say otherwise) and its physical address is its CPU address.
// The rules the callers rely on are kept:
// - CMEM_init opens the "driver" once per process, counted; CMEM_exit drops
//   one reference. Nothing can be allocated while it is closed.
// - The pool has a fixed size; an allocation that does not fit fails with
//   null, as a full pool does on the unit.
// - CMEM_getPhys and CMEM_free know only buffers that CMEM_alloc returned and
//   that are still held; anything else is an error.
// - Buffers are not cleared. Errors are reported on standard error.
#pragma once

#include "kernel/l_types.h"

constexpr int CMEM_POOL = 0;        // type: from a pool
constexpr int CMEM_HEAP = 1;        // type: from the heap
constexpr int CMEM_NONCACHED = 0;   // flags
constexpr int CMEM_CACHED = 0x80000;

typedef struct {
    int type;
    int flags;
    size_t alignment;
} CMEM_AllocParams;

// 0, or -1 with a report.
int CMEM_init(void);
// The CPU address of a new buffer, or null. params may be null (pool, cached, 4096).
void* CMEM_alloc(size_t size, const CMEM_AllocParams* params);
// The physical address of a held buffer, 0 for anything else.
uintptr_t CMEM_getPhys(void* ptr);
// 0, or -1 for a pointer that is not a held buffer.
int CMEM_free(void* ptr, const CMEM_AllocParams* params);
// 0, or -1 when the driver was not open.
int CMEM_exit(void);

// Knob of the stand-in: the size of its pool in bytes (default 32 MiB); a
// smaller size than what is held refuses every further allocation.
void CMEM_vSetPoolSize(size_t size);
