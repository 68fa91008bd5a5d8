// The navigation tables and the item-id decoder.
//
// Item ids, by their tag bits:
//   waypoint        bank << 12 | slot       (id & 0xC000) == 0,      slot <= 2999
//   group           0xC000 | bank << 12 | slot                        slot <= 2999
//   route           0x8800 | i              (id & 0xC800) == 0x8800, index id & 0x37FF < 50
//   saved track     0x8000 | unit | i       (id & 0xC800) == 0x8000, i = id & 0x3F <= 49
//   recorded track  0x4C00 | i              (id & 0xCE00) == 0x4C00, (id & 0x1FF) <= 49
// 0xFFFF and the root group's separator 0xCFFF fail every test (their
// slot bits read 4095). A route id with bits 12-13 set passes the tag test
// but its index, taken with 0x37FF, is past the table: it names no route.
#include "nav/data/t_nav_twr.h"

#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 WAYPOINT_SLOT_MASK = 0x0FFF;

} // namespace

// Statics -----------------------------------------------------------------

namespace {

WAYPOINT s_aWaypoints[NAV_WAYPOINT_BANKS][NAV_WAYPOINT_SLOTS];
S32 s_nMaxUsedWaypointIndex[NAV_WAYPOINT_BANKS]; // highest used slot + 1
S16 s_nWaypointsUsed[NAV_WAYPOINT_BANKS];
U16 s_au16WaypointHash[NAV_WAYPOINT_SLOTS]; // own bank: CRC-16 of each slot
BOOLEAN s_abDuplicate[NAV_WAYPOINT_ID_ENTRIES];
U32 s_au32Duplicate[NAV_WAYPOINT_ID_ENTRIES];
S32 s_anDeclutterRight[NAV_WAYPOINT_ID_ENTRIES]; // right or single chart pane
S32 s_anDeclutterLeft[NAV_WAYPOINT_ID_ENTRIES];
ROUTE s_aRoutes[NAV_ROUTE_SLOTS];
ROUTE s_aRoutesBackup[NAV_ROUTE_SLOTS];
TRACK_HEADER s_aTrackHeaders[NAV_TRACK_SLOTS];
RUMBREL s_Rumbrel[NAV_RUMBREL_SLOTS];
S32 s_nMaxUsedRumbrelIndex;
S16 s_nRumbrelsUsed;

// The shared/locked split of the own waypoints and of the routes.
struct SHARE_SPLIT {
    S32 nSeparator;
    S32 nMaxShareIndex;
    S32 nMinLockIndex;
    S16 nShared;
    S16 nLocked;
};
SHARE_SPLIT s_WaypointSplit;
struct ROUTE_SPLIT {
    S16 nSeparator;
    S16 nMaxShareIndex;
    S16 nMinLockIndex;
    S16 nShared;
    S16 nLocked;
};
ROUTE_SPLIT s_RouteSplit;

} // namespace

// Item ids ------------------------------------------------------------------

UNIFIED_TWR_TYPE T_NAV_TWR_eDecodeId(U16 u16Id, NAV_ITEM_ID* pItem)
{
    NAV_ITEM_ID item = {TWR_TYPE_INVALID, 0, 0, 0};
    U16 slot = u16Id & WAYPOINT_SLOT_MASK;
    U8 bank = (U8)(u16Id >> 12 & 3);
    if ((u16Id & 0xC000) == 0 && slot < NAV_WAYPOINT_SLOTS) {
        item = {TWR_TYPE_WAYPOINT, bank, slot, 0};
    } else if ((u16Id & 0xC000) == NAV_ID_GROUP_TAG && slot < NAV_WAYPOINT_SLOTS) {
        item = {TWR_TYPE_GROUP, bank, slot, 0};
    } else if ((u16Id & 0xC800) == NAV_ID_ROUTE_TAG && (u16Id & 0x37FF) < NAV_ROUTE_SLOTS) {
        item = {TWR_TYPE_ROUTE, 0, (U16)(u16Id & 0x37FF), 0};
    } else if ((u16Id & 0xC800) == NAV_ID_TRACK_TAG && (u16Id & 0x3F) < NAV_TRACK_SLOTS) {
        item = {TWR_TYPE_TRACK, 0, (U16)(u16Id & 0x3F), (U16)(u16Id & NAV_ID_TRACK_UNIT_MASK)};
    } else if ((u16Id & 0xCE00) == NAV_ID_RUMBREL_TAG && (u16Id & 0x1FF) < NAV_RUMBREL_SLOTS) {
        item = {TWR_TYPE_RUMBREL, 0, (U16)(u16Id & 0x3F), 0};
    }
    if (pItem)
        *pItem = item;
    return item.eType;
}

// Tables ----------------------------------------------------------------------

void T_NAV_TWR_vClearTables(void)
{
    memset(s_aWaypoints, 0, sizeof s_aWaypoints);
    memset(s_nMaxUsedWaypointIndex, 0, sizeof s_nMaxUsedWaypointIndex);
    memset(s_nWaypointsUsed, 0, sizeof s_nWaypointsUsed);
    memset(s_au16WaypointHash, 0, sizeof s_au16WaypointHash);
    memset(s_abDuplicate, 0, sizeof s_abDuplicate);
    memset(s_au32Duplicate, 0, sizeof s_au32Duplicate);
    memset(s_anDeclutterRight, 0, sizeof s_anDeclutterRight);
    memset(s_anDeclutterLeft, 0, sizeof s_anDeclutterLeft);
    memset(s_aRoutes, 0, sizeof s_aRoutes);
    memset(s_aRoutesBackup, 0, sizeof s_aRoutesBackup);
    memset(s_aTrackHeaders, 0, sizeof s_aTrackHeaders);
    memset(s_Rumbrel, 0, sizeof s_Rumbrel);
    s_nMaxUsedRumbrelIndex = 0;
    s_nRumbrelsUsed = 0;
    // The separators are unknown until the split is first computed.
    s_WaypointSplit = {-1, 0, 0, 0, 0};
    s_RouteSplit = {-1, 0, 0, 0, 0};
}

WAYPOINT* T_NAV_pGetWaypoint(U32 id)
{
    if (id == NAV_ID_NONE)
        return nullptr;
    U32 slot = id & WAYPOINT_SLOT_MASK;
    if (slot >= NAV_WAYPOINT_SLOTS)
        return nullptr;
    return &s_aWaypoints[id >> 12 & 3][slot];
}

WAYPOINT* T_NAV_TWR_pGetNetworkWaypoint(U32 slot, int bank)
{
    // Or-ing a bank past 3 into an id would land in bits 14-15, which the
    // id lookup ignores, and alias bank 0.
    if (bank < 0 || bank >= (int)NAV_WAYPOINT_BANKS || slot >= NAV_WAYPOINT_SLOTS)
        return nullptr;
    return T_NAV_pGetWaypoint((U32)bank << 12 | slot);
}

BOOLEAN T_NAV_TWR_bIsLocalWaypoint(U32 id)
{
    return (id & 0x3000) == 0 ? TRUE : FALSE;
}

ROUTE* T_NAV_pGetRoute(U32 i)
{
    return i < NAV_ROUTE_SLOTS ? &s_aRoutes[i] : nullptr;
}

TRACK_HEADER* T_NAV_pGetTrackHeader(U32 i)
{
    return i < NAV_TRACK_SLOTS ? &s_aTrackHeaders[i] : nullptr;
}
