// Fuzz target of the receiver of peers' waypoint slices. The input is one
// slice: byte 0 picks the sender (three known peers, this unit's own
// addresses, an unknown one; bit 7 first empties the peer banks), bytes 1-4
// the start slot and count, byte 5 the operation, byte 6 how many of the
// records that follow the slice says it carries, then 28-byte records.
// After it, no bank but the sender's has changed (the own bank never), the
// sender's bank is unchanged when the slice was out of range or short of
// records, and every bank's highest used slot stays within the bank.
#include "kernel/lm_log.h"
#include "nav/data/t_nav_network.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const U32 kPeers[] = {0x0A000002, 0x0A000003, 0x0A000004};
const U32 kSenders[] = {0x0A000002, 0x0A000003, 0x0A000004, 0, 0x7F000001, 0x0A0000FE};

void check(bool ok)
{
    if (!ok)
        abort();
}

std::vector<U8> bankBytes(S32 bank)
{
    std::vector<U8> bytes(NAV_WAYPOINT_SLOTS * WAYPOINT_BYTES + 4);
    for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s)
        T_NAV_RECORD_vEncodeWaypoint(T_NAV_TWR_pGetNetworkWaypoint(s, bank), &bytes[s * WAYPOINT_BYTES]);
    const S32 used = T_NAV_TWR_nGetMaxUsedWaypointIndex(bank);
    memcpy(&bytes[NAV_WAYPOINT_SLOTS * WAYPOINT_BYTES], &used, 4);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    H_DATABASE_vInit();
    T_NAV_TWR_vClearTables();
    for (U32 peer : kPeers)
        check(T_NAV_NETWORK_nAddPeer(peer) > 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 7 || size > 7 + 3100 * WAYPOINT_BYTES)
        return 0;
    if (data[0] & 0x80)
        for (S32 bank = 1; bank < 4; ++bank)
            T_NAV_TWR_vInitWaypointTable(bank);
    const U32 sender = kSenders[(data[0] & 0x7F) % 6];
    const S32 senderBank = T_NAV_NETWORK_nGetPeer(sender);
    const U16 start = (U16)(data[1] | data[2] << 8);
    const U16 count = (U16)(data[3] | data[4] << 8);
    const NAV_NETWORK_OP op = (NAV_NETWORK_OP)(data[5] % 4);
    std::vector<WAYPOINT> records((size - 7) / WAYPOINT_BYTES);
    for (size_t i = 0; i < records.size(); ++i)
        T_NAV_RECORD_vDecodeWaypoint(data + 7 + i * WAYPOINT_BYTES, &records[i]);
    // The slice may say it holds fewer records than follow, never more.
    const U32 claimed = data[6] < 0x80 ? (U32)records.size() : std::min<U32>(data[6] & 0x7F, (U32)records.size());

    std::vector<U8> before[4];
    for (S32 bank = 0; bank < 4; ++bank)
        before[bank] = bankBytes(bank);
    const bool refused = (U32)start + count > NAV_WAYPOINT_SLOTS ||
                         (op != NAV_NETWORK_OP_DELETE && claimed < count);

    T_NAV_NETWORK_bSetWaypointData(sender, start, count, records.empty() ? nullptr : records.data(), claimed, op);

    for (S32 bank = 0; bank < 4; ++bank) {
        check(T_NAV_TWR_nGetMaxUsedWaypointIndex(bank) >= 0 &&
              T_NAV_TWR_nGetMaxUsedWaypointIndex(bank) <= (S32)NAV_WAYPOINT_SLOTS);
        if (bank != senderBank || bank == 0 || refused)
            check(bankBytes(bank) == before[bank]);
    }
    return 0;
}
