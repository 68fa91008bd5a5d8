// Fuzz target of the deserializer: the first byte picks a payload type, the
// rest is its serialized form. Whatever the bytes, decoding must stay inside
// them, a failure must leave nothing allocated, and a decoded value must
// measure and serialize to exactly the bytes it consumed (a value read in an
// older version is the one exception: it is written in the current one).
// A block leaked per input would soon exhaust the program heap, whose
// allocations then wait: the run stops on its time-out.
#include "gmsg/fuzz/fuzz_payload_types.h"
#include "kernel/h_memory.h"
#include "kernel/lm_log.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (size_t)DATATYPE_MAX_BLOCK)
        return 0;
    const G_DATA_TYPE* t = fz::kPayloadTypes[data[0] % fz::kPayloadTypeCount];
    const int length = (int)size - 1;
    // An exact-size copy, so that any read past the end is caught.
    U8* wire = (U8*)malloc(length ? (size_t)length : 1);
    memcpy(wire, data + 1, (size_t)length);

    void* value = nullptr;
    int remaining = length;
    int consumed = 0;
    const int r = t->pfDeserialize(&value, length ? wire : nullptr, &remaining, &consumed, t);
    if (r < 0) {
        if (value)
            abort(); // a failed read holds nothing
    } else {
        if (r != consumed || remaining != length - consumed || !value)
            abort();
        const bool sameLayout = t != &gt::DT_T_RECORD_V2;
        void* out = nullptr;
        int outRemaining = 0;
        int written = 0;
        const int w = t->pfSerialize(value, &out, &outRemaining, &written, t);
        if (sameLayout && (t->pfLength(value, t) != r || w != r))
            abort();
        if (w >= 0)
            H_MEMORY_vFree(out);
        // A change notice carries a value in the form of a type both ends
        // agree on; a peer may put anything there.
        if (t == &D_GMSG_DATABASE_NEW_DATA) {
            const G_DATA_TYPE* inner = fz::kPayloadTypes[data[0] / fz::kPayloadTypeCount % fz::kPayloadTypeCount];
            void* pStruct = nullptr;
            auto* notice = static_cast<const GMSG_DATABASE_NEW_DATA*>(value);
            if (DATABASE_bGetNewData(notice, &pStruct, inner))
                DATABASE_bFreeNewData(notice, pStruct, inner);
            else if (pStruct)
                abort();
        }
        t->pfDeallocate(value, TRUE, t);
    }
    free(wire);
    return 0;
}
