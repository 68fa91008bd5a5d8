// The navigation tables and the item ids that name their entries.
//
// Every waypoint, group, route, saved track and trolling-motor track is
// named by a 16-bit id whose tag bits say what it names (see
// T_NAV_TWR_eDecodeId). The ids are stored in files, routes and groups, so
// the encoding and the capacities below never change.
//
// The tables live as long as the process. Nothing here locks: callers hold
// the navigation-data mutex (RES_NAV_DATA) around every access.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Constants ---------------------------------------------------------------

constexpr MUTEX RES_NAV_DATA = 9;      // every navigation table, recursive
constexpr MUTEX RES_LOADED_TRACK = 38; // the one loaded saved-track buffer

constexpr U32 NAV_WAYPOINT_BANKS = 4; // 0 own, 1-3 network peers
constexpr U32 NAV_WAYPOINT_SLOTS = 3000;
constexpr U32 NAV_ROUTE_SLOTS = 50;
constexpr U32 NAV_TRACK_SLOTS = 50;
constexpr U32 NAV_RUMBREL_SLOTS = 50;
// Duplicate and declutter tables: one entry per 14-bit waypoint id,
// indexed bank * 4096 + slot.
constexpr U32 NAV_WAYPOINT_ID_ENTRIES = 16384;

constexpr U16 NAV_ID_NONE = 0xFFFF;
// Names no item: separates the shared and locked links of the root group.
constexpr U16 NAV_ID_SEPARATOR = 0xCFFF;
constexpr U16 NAV_ID_GROUP_TAG = 0xC000;
constexpr U16 NAV_ID_ROUTE_TAG = 0x8800;
constexpr U16 NAV_ID_TRACK_TAG = 0x8000;
constexpr U16 NAV_ID_RUMBREL_TAG = 0x4C00;
// Saved-track ids carry the unit's group-ownership id: a multiple of 64
// from 64 to 1984.
constexpr U16 NAV_ID_TRACK_UNIT_MASK = 0x17C0;

// Types -------------------------------------------------------------------

// The item kinds of the list screens.
typedef enum __tag_UNIFIED_TWR_TYPE {
    TWR_TYPE_INVALID = 0,
    TWR_TYPE_GROUP = 1,
    TWR_TYPE_WAYPOINT = 2,
    TWR_TYPE_ROUTE = 3,
    TWR_TYPE_ROUTE_PT = 4,
    TWR_TYPE_TRACK = 5,
    TWR_TYPE_RUMBREL = 6
} UNIFIED_TWR_TYPE;

// The orders of the sorted lists.
typedef enum tag_NAV_WPT_SORT_ORDER {
    NAV_WPT_SORT_BY_NAME = 0,
    NAV_WPT_SORT_BY_TIME = 1,
    NAV_WPT_SORT_BY_DISTANCE = 2,
    NAV_WPT_SORT_BY_WAYPOINTS = 3,
    NAV_WPT_SORT_BY_STAYVANES = 4,
    NAV_WPT_SORT_BY_ROUTES = 5,
    NAV_WPT_SORT_BY_RUMBRELS = 6
} NAV_WPT_SORT_ORDER;

// What an id names.
typedef struct tag_NAV_ITEM_ID {
    UNIFIED_TWR_TYPE eType; // TWR_TYPE_INVALID: no item
    U8 u8Bank;              // waypoints and groups: 0 own, 1-3 peers
    U16 u16Index;           // slot in the item's table
    U16 u16Unit;            // saved tracks: the unit id bits
} NAV_ITEM_ID;

// Item ids ------------------------------------------------------------------

// The one decoder of the tags. Waypoints, groups, routes, saved tracks and
// trolling-motor tracks each come back with their table index (always
// within the table); anything else, 0xFFFF and the separator among them, is
// TWR_TYPE_INVALID. A saved track of another unit is still a track: compare
// u16Unit with this unit's id before using it as a local index.
UNIFIED_TWR_TYPE T_NAV_TWR_eDecodeId(U16 u16Id, NAV_ITEM_ID* pItem);

// Tables ----------------------------------------------------------------------

// Clears every table; the store's start-up runs it before the flash scan.
void T_NAV_TWR_vClearTables(void);

// The slot record of a waypoint or group id: bank from bits 12-13, slot
// from bits 0-11, bits 14-15 ignored (a group id addresses its header
// slot). Null for 0xFFFF and for a slot of 3000 or more.
WAYPOINT* T_NAV_pGetWaypoint(U32 id);
// Slot `slot` of bank `bank`; null for a bank outside 0-3 or a slot of
// 3000 or more.
WAYPOINT* T_NAV_TWR_pGetNetworkWaypoint(U32 slot, int bank);
BOOLEAN T_NAV_TWR_bIsLocalWaypoint(U32 id);
// Route slot i; null for i >= 50.
ROUTE* T_NAV_pGetRoute(U32 i);
// Saved-track header slot i (u16Count 0 when empty); null for i >= 50.
TRACK_HEADER* T_NAV_pGetTrackHeader(U32 i);
