// Byte and digit helpers of the driver layer.
//
// The block copy serves whole display rows: it aligns the destination to
// 16 bytes, then moves 32-byte blocks through vector registers while asking
// for the source a few blocks ahead, then copies the tail. Source alignment
// is not required; unaligned loads are cheap on every target we run on.
#include "util/dd_util.h"

#include <cstring>

namespace {

typedef U8 V16 __attribute__((vector_size(16)));

constexpr size_t READ_AHEAD = 256; // bytes ahead of the block being copied

inline V16 v16Load(const U8* p)
{
    V16 v;
    memcpy(&v, p, sizeof v); // an unaligned load
    return v;
}

inline void vStoreAligned(U8* p, V16 v)
{
    *reinterpret_cast<V16*>(__builtin_assume_aligned(p, 16)) = v;
}

} // namespace

U32 DD_UTIL_EndianSwap(U32 in)
{
    return ((in & 0x000000FFu) << 24) | ((in & 0x0000FF00u) << 8) | ((in & 0x00FF0000u) >> 8) |
           ((in & 0xFF000000u) >> 24);
}

void DD_UTIL_Memcpy(void* dst, const void* src, int n)
{
    if (n <= 0)
        return;
    U8* d = static_cast<U8*>(dst);
    const U8* s = static_cast<const U8*>(src);
    size_t left = (size_t)n;

    size_t head = (16 - ((uintptr_t)d & 15)) & 15;
    if (head > left)
        head = left;
    memcpy(d, s, head);
    d += head;
    s += head;
    left -= head;

    while (left >= 32) {
        if (left > READ_AHEAD)
            __builtin_prefetch(s + READ_AHEAD);
        V16 a = v16Load(s);
        V16 b = v16Load(s + 16);
        vStoreAligned(d, a);
        vStoreAligned(d + 16, b);
        d += 32;
        s += 32;
        left -= 32;
    }
    memcpy(d, s, left);
}

U32 DD_UTIL_XlatCapNumeric(U32 c)
{
    c &= 0x7F;
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 0;
}

U32 DD_UTIL_FormCapNumeric(U32 v)
{
    U32 c = v + '0';
    if (c > '9')
        c += 7;
    return c;
}
