// Fuzz target of the exchange records. The first input byte picks the
// path: even bytes feed the rest to the record-stream consumer in blocks
// of up to 1024 bytes and end the upload normally, so whatever was valid
// replaces the store; odd bytes take the rest as one record, in a buffer
// of exactly its size, through the reader, the conversion to the current
// layout and the writer. Afterwards every count in the tables is within
// its record.
#include "kernel/lm_log.h"
#include "nav/data/t_nav_data.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void check(bool ok)
{
    if (!ok)
        abort();
}

void vFeed(const uint8_t* data, size_t size)
{
    T_NAV_DATA_vSaveBufferInit();
    for (size_t at = 0; at < size; at += NAV_DATA_BLOCK_BYTES) {
        const size_t n = size - at < NAV_DATA_BLOCK_BYTES ? size - at : NAV_DATA_BLOCK_BYTES;
        // A block of its own, so a read past the count is seen.
        std::unique_ptr<U8[]> block(new U8[n]);
        memcpy(block.get(), data + at, n);
        T_NAV_DATA_vSaveBufferSegment((U32)n, block.get(), nullptr);
    }
    T_NAV_DATA_vSaveBufferFree(TRUE);
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i)
        check(T_NAV_pGetRoute(i)->nCount <= ROUTE_MAX_POINTS);
    for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i) {
        const TRACK_HEADER* h = T_NAV_pGetTrackHeader(i);
        check(h->u16Count <= TRACK_MAX_POINTS && (h->u16Count == 0 || h->u16FirstDelta < TRACK_DELTA_COUNT));
    }
}

void vRecord(const uint8_t* data, size_t size)
{
    std::unique_ptr<U8[]> record(new U8[size]);
    memcpy(record.get(), data, size);
    if (size >= NAV_DATA_HEADER_BYTES)
        T_NAV_DATA_vBigEndianToHost(record.get(), record.get() + NAV_DATA_HEADER_BYTES,
                                    (U32)(size - NAV_DATA_HEADER_BYTES));
    static U8 dest[TRACK_BYTES];
    U8 header[NAV_DATA_HEADER_BYTES];
    const S32 written = T_NAV_DATA_nConvertRecord(header, dest, record.get(), (U32)size);
    check(written == 0 || written == (S32)WAYPOINT_BYTES || written == (S32)ROUTE_BYTES ||
          written == (S32)TRACK_BYTES);
    T_NAV_DATA_vHostToBigEndian(record.get(), (U32)size);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    char tmpl[] = "/tmp/vondrel-nav-data-fuzz-XXXXXX";
    const char* root = mkdtemp(tmpl);
    check(root != nullptr);
    setenv("VONDREL_ROOT", root, 1);
    H_DATABASE_vInit();
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL);
    T_NAV_NVRAM_vInit();
    T_NAV_TWR_vClearTables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4 * NAV_DATA_TRACK_RECORD_BYTES)
        return 0;
    if (data[0] & 1)
        vRecord(data + 1, size - 1);
    else
        vFeed(data + 1, size - 1);
    return 0;
}
