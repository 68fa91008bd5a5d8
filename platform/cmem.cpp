// The contiguous-memory stand-in (see cmem.h): a counted open, a pool of a
// fixed size, and the table of buffers handed out, under one lock.
#include "platform/cmem.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace {

constexpr size_t DEFAULT_POOL_SIZE = 32u << 20;
constexpr size_t DEFAULT_ALIGNMENT = 4096;

struct POOL {
    std::mutex lock;
    int references = 0;
    size_t size = DEFAULT_POOL_SIZE;
    size_t held = 0;
    std::map<void*, size_t> buffers; // address -> bytes
};

// Never destroyed: drawing tasks may still hold buffers while the process exits.
POOL& s_pool = *new POOL();

} // namespace

int CMEM_init(void)
{
    std::lock_guard<std::mutex> guard(s_pool.lock);
    ++s_pool.references;
    return 0;
}

void* CMEM_alloc(size_t size, const CMEM_AllocParams* params)
{
    const size_t alignment = params && params->alignment ? params->alignment : DEFAULT_ALIGNMENT;
    std::lock_guard<std::mutex> guard(s_pool.lock);
    if (s_pool.references == 0) {
        fprintf(stderr, "CMEM Error: alloc: not initialized\n");
        return nullptr;
    }
    if (size == 0 || (alignment & (alignment - 1)) != 0 || alignment < sizeof(void*)) {
        fprintf(stderr, "CMEM Error: alloc: bad size %zu or alignment %zu\n", size, alignment);
        return nullptr;
    }
    // Whole alignment units, as aligned_alloc wants them.
    const size_t rounded = (size + alignment - 1) / alignment * alignment;
    if (rounded < size || s_pool.held > s_pool.size || rounded > s_pool.size - s_pool.held) {
        fprintf(stderr, "CMEM Error: alloc: no pool can hold %zu bytes\n", size);
        return nullptr;
    }
    void* ptr = aligned_alloc(alignment, rounded);
    if (ptr == nullptr) {
        fprintf(stderr, "CMEM Error: alloc: out of memory for %zu bytes\n", size);
        return nullptr;
    }
    s_pool.buffers[ptr] = rounded;
    s_pool.held += rounded;
    return ptr;
}

uintptr_t CMEM_getPhys(void* ptr)
{
    std::lock_guard<std::mutex> guard(s_pool.lock);
    if (!s_pool.buffers.count(ptr)) {
        fprintf(stderr, "CMEM Error: getPhys: %p is not a buffer\n", ptr);
        return 0;
    }
    return reinterpret_cast<uintptr_t>(ptr);
}

int CMEM_free(void* ptr, const CMEM_AllocParams* /*params*/)
{
    std::lock_guard<std::mutex> guard(s_pool.lock);
    auto it = s_pool.buffers.find(ptr);
    if (it == s_pool.buffers.end()) {
        fprintf(stderr, "CMEM Error: free: %p is not a buffer\n", ptr);
        return -1;
    }
    s_pool.held -= it->second;
    s_pool.buffers.erase(it);
    free(ptr);
    return 0;
}

int CMEM_exit(void)
{
    std::lock_guard<std::mutex> guard(s_pool.lock);
    if (s_pool.references == 0) {
        fprintf(stderr, "CMEM Error: exit: not initialized\n");
        return -1;
    }
    --s_pool.references;
    return 0;
}

void CMEM_vSetPoolSize(size_t size)
{
    std::lock_guard<std::mutex> guard(s_pool.lock);
    s_pool.size = size;
}
