// Fuzz target of the keypad reader: whatever bytes the device gives, cut
// into reads of any length, the flags end as the whole records among them
// say (a key record of a known code with value 0 or 1 sets its key) and
// the cut-off rest waits for the next read.
#include "kernel/lm_log.h"
#include "platform/dd_keyboard.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte seeds the lengths of the reads.
    unsigned seed = data[0];
    const std::vector<U8> stream(data + 1, data + size);

    std::array<std::atomic<BOOLEAN>, DKEY_NUM_KEYS> flags{};
    DD_KEYBOARD_READER reader{};
    for (size_t off = 0; off < stream.size();) {
        seed = seed * 1103515245u + 12345u;
        const size_t n = std::min<size_t>(1 + (seed >> 16) % (3 * DD_KEYBOARD_EVENT_BYTES), stream.size() - off);
        // An exact-size copy, so that a read past the end is caught.
        U8* chunk = static_cast<U8*>(malloc(n));
        memcpy(chunk, stream.data() + off, n);
        DD_KEYBOARD_vReadBytes(&reader, chunk, n, flags.data());
        free(chunk);
        off += n;
        if (reader.szPending != off % DD_KEYBOARD_EVENT_BYTES)
            abort();
    }

    // The same records read whole, field by field (little-endian host).
    bool expected[DKEY_NUM_KEYS] = {};
    for (size_t r = 0; r + DD_KEYBOARD_EVENT_BYTES <= stream.size(); r += DD_KEYBOARD_EVENT_BYTES) {
        const U8* p = stream.data() + r;
        const U16 type = (U16)(p[16] | p[17] << 8);
        const U16 code = (U16)(p[18] | p[19] << 8);
        const S32 value = (S32)((U32)p[20] | (U32)p[21] << 8 | (U32)p[22] << 16 | (U32)p[23] << 24);
        if (type != 1 || (value != 0 && value != 1))
            continue;
        for (int k = 0; k < DKEY_NUM_KEYS; ++k)
            if (DD_KEYBOARD_au16KeyCodes[k] == code)
                expected[k] = value == 1;
    }
    for (int k = 0; k < DKEY_NUM_KEYS; ++k)
        if (flags[k].load() != (expected[k] ? TRUE : FALSE))
            abort();
    return 0;
}
