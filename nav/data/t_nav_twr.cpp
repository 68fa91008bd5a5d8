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

#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 WAYPOINT_SLOT_MASK = 0x0FFF;

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
    T_NAV_TWR_vClearWaypointBanks();
    T_NAV_TWR_vClearDerivedTables();
    T_NAV_TWR_vClearRoutes();
    T_NAV_TWR_vClearTrackHeaders();
    T_NAV_TWR_vClearRumbrels();
}
