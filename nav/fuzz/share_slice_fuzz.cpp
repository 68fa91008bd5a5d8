// Fuzz target of the navigation service's slice message (0x1A0002) as the
// message table runs it: the payload decoder, then the handler for a slice
// from a peer. Whatever the bytes, the decoder reads only them, a decoded
// slice holds exactly the records its bytes carry, and the own bank never
// changes.
#include "gmsg/gmsg.h"
#include "kernel/lm_log.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_share.h"
#include "nav/data/t_nav_network.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr U32 PEER = 0x0A000002;

void check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    H_DATABASE_vInit();
    T_NAV_TWR_vClearTables();
    check(T_NAV_NETWORK_nAddPeer(PEER) > 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > NAV_SLICE_HEADER_BYTES + WAYPOINT_BYTES * NAV_SLOTS_PER_BANK + 64)
        return 0;
    const G_DATA_TYPE* type = &DT_DYNAMIC_WAYPOINT_ARRAY_SLICE;
    void* copy = malloc(size ? size : 1);
    memcpy(copy, data, size);
    void* value = nullptr;
    int remaining = (int)size, used = 0;
    const int r = type->pfDeserialize(&value, copy, &remaining, &used, type);
    if (r >= 0 && value != nullptr) {
        const auto* s = (const DynamicWaypointArraySlice*)value;
        check((size_t)r == size && size == T_NAV_SHARE_u32SliceBytes((U32)s->s32Records));
        GMSG_HEADER header{};
        GMSG_vMakeSocketAddress(&header.SrcAddress, PEER, NAV_SERVICE_PORT);
        GMSG_INFO info{};
        info.pMsgHeader = &header;
        info.pStructMsg = value;
        info.bReceived = TRUE;
        T_NAV_bHandleRecieveWaypointArraySlice(NAV_MAILBOX, &info, nullptr, nullptr);
        type->pfDeallocate(value, TRUE, type);
    }
    check(T_NAV_NETWORK_nGetMaxWaypointIndex(0) == 0);
    free(copy);
    return 0;
}
