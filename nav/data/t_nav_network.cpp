// The network waypoint store and its peers.
//
// A received slice is checked whole before any of it is applied: its
// sender must be a known peer (or this unit), its operation known, its
// range within one bank and, unless it deletes, its records all there.
// Only then is it applied, slot by slot, to the sender's bank, so a bad
// slice leaves every bank as it was.
//
// Local changes reach the sending callback one by one, except in
// bulk-change mode, where they are only counted and the end of the mode
// sends the whole own table once.
#include "nav/data/t_nav_network.h"

#include "gmsg/gsocket.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <arpa/inet.h>

// Constants ---------------------------------------------------------------

namespace {

// The socket layer gives addresses in network byte order; callers also
// write the loopback address as the host-order constant.
constexpr U32 LOOPBACK_HOST_ORDER = 0x7F000001;
constexpr U32 PEER_ENTRIES = NAV_WAYPOINT_BANKS; // 0 the own address, 1-3 peers

} // namespace

// Statics -----------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

U32 s_NavPeers[PEER_ENTRIES];
NAV_WAYPOINT_CALLBACK s_pfWaypointCallback = nullptr;
S32 s_s32BulkTransfer = 0;
U32 s_u32RefusedSlices = 0;

bool bIsLoopback(U32 u32Address)
{
    return u32Address == LOOPBACK_HOST_ORDER || u32Address == htonl(LOOPBACK_HOST_ORDER);
}

bool bIsBankZero(U32 u32Address)
{
    return u32Address == 0 || bIsLoopback(u32Address) || u32Address == s_NavPeers[0];
}

S32 nBankOf(U32 u32Address)
{
    if (bIsBankZero(u32Address))
        return 0;
    for (U32 i = 1; i < PEER_ENTRIES; ++i)
        if (s_NavPeers[i] == u32Address)
            return (S32)i;
    return -1;
}

bool bInRange(U32 u32Index, U32 u32Count)
{
    return u32Index + u32Count <= NAV_WAYPOINT_SLOTS;
}

// The address a change of bank nTable is sent to: 0 (every peer) for the
// own table, the peer's address for 1-3. FALSE for a bank nobody holds:
// its change must not go out as one of the own table.
bool bAddressOfTable(S32 nTable, U32* pu32Address)
{
    if (nTable < 0 || nTable >= (S32)PEER_ENTRIES)
        return false;
    if (nTable == 0) {
        *pu32Address = 0;
        return true;
    }
    *pu32Address = s_NavPeers[nTable];
    return *pu32Address != 0;
}

// Step 1 of every hook: in bulk mode the change is held back.
bool bHeldBack(void)
{
    if (!T_NAV_TWR_bGetMultiWaypointFlag())
        return false;
    ++s_s32BulkTransfer;
    return true;
}

BOOLEAN bRefuse(U32 u32IpAddress, U16 u16StartIndex, U16 u16Count, U32 u32Records, const char* pcWhy)
{
    ++s_u32RefusedSlices;
    log_me("Waypoint slice from %08x refused (%s): start %u, count %u, %u records", u32IpAddress, pcWhy,
           u16StartIndex, u16Count, u32Records);
    return FALSE;
}

} // namespace

// Peers -------------------------------------------------------------------------

BOOLEAN T_NAV_NETWORK_bInit(NAV_WAYPOINT_CALLBACK pfWaypointCallback)
{
    U32 address = 0;
    const bool ok = GSOCKET_bGetLocalAddress(&address, "eth0") || GSOCKET_bGetLocalAddress(&address, "eth0:avahi");
    NavLock lock;
    if (!ok) {
        s_pfWaypointCallback = nullptr;
        return FALSE;
    }
    s_NavPeers[0] = address;
    s_pfWaypointCallback = pfWaypointCallback;
    return TRUE;
}

S32 T_NAV_NETWORK_nGetPeer(U32 u32IpAddress)
{
    NavLock lock;
    return nBankOf(u32IpAddress);
}

S32 T_NAV_NETWORK_nAddPeer(U32 u32IpAddress)
{
    NavLock lock;
    const S32 bank = nBankOf(u32IpAddress);
    if (bank >= 0)
        return bank;
    for (U32 i = 1; i < PEER_ENTRIES; ++i) {
        if (s_NavPeers[i] == 0) {
            s_NavPeers[i] = u32IpAddress;
            T_NAV_TWR_vInitWaypointTable((S32)i);
            return (S32)i;
        }
    }
    return -1;
}

S32 T_NAV_NETWORK_nDeletePeer(U32 u32IpAddress)
{
    NavLock lock;
    const S32 bank = nBankOf(u32IpAddress);
    if (bank <= 0)
        return -1;
    s_NavPeers[bank] = 0;
    T_NAV_TWR_vInitWaypointTable(bank);
    return bank;
}

S32 T_NAV_NETWORK_nGetMaxWaypointIndex(U32 u32IpAddress)
{
    NavLock lock;
    const S32 bank = nBankOf(u32IpAddress);
    return bank < 0 ? -1 : T_NAV_TWR_nGetMaxUsedWaypointIndex(bank);
}

BOOLEAN T_NAV_NETWORK_bFetchWaypointData(U32 u32IpAddress, U16 u16StartIndex, U16 u16Count, WAYPOINT* pWaypointData)
{
    NavLock lock;
    const S32 bank = nBankOf(u32IpAddress);
    // The range comes from a peer's request.
    if (bank < 0 || !bInRange(u16StartIndex, u16Count) || (u16Count > 0 && pWaypointData == nullptr))
        return FALSE;
    for (U32 i = 0; i < u16Count; ++i)
        pWaypointData[i] = *T_NAV_TWR_pGetNetworkWaypoint(u16StartIndex + i, bank);
    return TRUE;
}

BOOLEAN T_NAV_NETWORK_bSetWaypointData(U32 u32IpAddress, U16 u16StartIndex, U16 u16Count,
                                       const WAYPOINT* pWaypointData, U32 u32Records, NAV_NETWORK_OP eOperation)
{
    BOOLEAN result = TRUE;
    {
        NavLock lock;
        const S32 bank = nBankOf(u32IpAddress);
        if (bank < 0) {
            result = FALSE;
        } else if (eOperation != NAV_NETWORK_OP_ADD && eOperation != NAV_NETWORK_OP_EDIT &&
                   eOperation != NAV_NETWORK_OP_DELETE) {
            result = bRefuse(u32IpAddress, u16StartIndex, u16Count, u32Records, "unknown operation");
        } else if (!bInRange(u16StartIndex, u16Count)) {
            result = bRefuse(u32IpAddress, u16StartIndex, u16Count, u32Records, "past the last slot");
        } else if (eOperation != NAV_NETWORK_OP_DELETE && (pWaypointData == nullptr ? 0 : u32Records) < u16Count) {
            result = bRefuse(u32IpAddress, u16StartIndex, u16Count, u32Records, "records missing");
        } else {
            // A slice of several records is one bulk change; a bulk change
            // already under way is left to whoever began it.
            const bool bulkHere = u16Count > 1 && !T_NAV_TWR_bGetMultiWaypointFlag();
            if (bulkHere)
                T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
            for (U32 i = 0; i < u16Count; ++i) {
                const U32 slot = u16StartIndex + i;
                if (eOperation == NAV_NETWORK_OP_DELETE) {
                    T_NAV_TWR_bDeleteNetworkWaypoint(slot, bank);
                    continue;
                }
                const WAYPOINT& record = pWaypointData[i];
                const U32 status = record.u8Status;
                if (status == WP_STATUS_PERMANENT || status == WP_STATUS_TEMPORARY || status == WP_STATUS_MOB)
                    T_NAV_TWR_nAddNetworkWaypoint(slot, &record, bank);
                else if (status == WP_STATUS_FREE && eOperation == NAV_NETWORK_OP_EDIT)
                    T_NAV_TWR_bDeleteNetworkWaypoint(slot, bank);
            }
            if (bulkHere)
                T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
        }
    }
    T_NAV_TWR_pGetHooks()->pfnRefreshDirectory();
    return result;
}

U32 T_NAV_NETWORK_u32GetRefusedSlices(void)
{
    return s_u32RefusedSlices;
}

// Change hooks ---------------------------------------------------------------------

void T_NAV_NETWORK_vAddWaypoint(U16 u16Index, U16 u16Count, const WAYPOINT* pWaypoint)
{
    NavLock lock;
    if (bHeldBack())
        return;
    if (s_pfWaypointCallback && bInRange(u16Index, u16Count) && pWaypoint)
        s_pfWaypointCallback(0, u16Index, u16Count, pWaypoint, NAV_NETWORK_OP_ADD);
}

void T_NAV_NETWORK_vEditWaypoint(U16 u16Index, U16 u16Count, const WAYPOINT* pWaypoint, S32 nTable)
{
    NavLock lock;
    if (bHeldBack())
        return;
    U32 address = 0;
    if (s_pfWaypointCallback && bInRange(u16Index, u16Count) && pWaypoint && bAddressOfTable(nTable, &address))
        s_pfWaypointCallback(address, u16Index, u16Count, pWaypoint, NAV_NETWORK_OP_EDIT);
}

void T_NAV_NETWORK_vDeleteWaypoint(U16 u16Index, U16 u16Count, S32 nTable)
{
    NavLock lock;
    if (bHeldBack())
        return;
    U32 address = 0;
    if (s_pfWaypointCallback && bInRange(u16Index, u16Count) && bAddressOfTable(nTable, &address))
        s_pfWaypointCallback(address, u16Index, u16Count, nullptr, NAV_NETWORK_OP_DELETE);
}

void T_NAV_NETWORK_vMultiWaypointTransfer(void)
{
    NavLock lock;
    if (s_s32BulkTransfer <= 0)
        return;
    s_s32BulkTransfer = 0;
    T_NAV_NETWORK_vEditWaypoint(0, (U16)NAV_WAYPOINT_SLOTS, T_NAV_TWR_pGetNetworkWaypoint(0, 0), 0);
}

void T_NAV_NETWORK_vReset(void)
{
    NavLock lock;
    for (U32& peer : s_NavPeers)
        peer = 0;
    s_pfWaypointCallback = nullptr;
    s_s32BulkTransfer = 0;
}
