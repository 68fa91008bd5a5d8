// Navigation data spaces: whole second sets of navigation tables (the
// items selected for an export, the set read from a card) on which the
// group code and the card exchange work as on the unit's own store.
//
// Every store operation the group code needs exists a second time with an
// EX suffix taking the space first. A null space is the unit's own store:
// the call is exactly the ordinary operation, its locking, files and
// counters included. With a space only the space's buffers change: no
// lock, no file, no counter, no message.
//
// The card-import buffers are an older form of the same: fixed buffers
// reached through the FromMMC operations, filled at an index that the
// import code advances itself (T_NAV_TWR_vSetMaxUsedWaypointIndexMMC).
//
// Spaces are used by one thread at a time and are not locked, except the
// two FromMMC track adders, which take the navigation-data mutex.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_record.h"
#include "store/lang.h"

// Types -------------------------------------------------------------------

typedef struct tag_NAV_DATA_SPACE {
    WAYPOINT* pWaypoint;           // waypoint and group slots, one bank
    ROUTE* pRoute;
    TRACK_HEADER* pTrackHeader;    // headers only, no step rings
    RUMBREL_HEADER* pRumbrelHeader; // headers only, no points
    U16 u16RumbrelCount;
    U16 u16WaypointCount;
    U16 u16RouteCount;
    U16 u16TrackCount;
} NAV_DATA_SPACE;

// The name of the root group, per language.
extern TEXT_TABLE Home;

// The space's clean-up: removes from the space what no longer hangs in the
// tree below u16Root. Installed by the group start-up; until then a full
// space is simply full.
typedef void (*NAV_SPACE_GARBAGE_COLLECTOR)(NAV_DATA_SPACE* pData, U16 u16Root);
void T_NAV_SPACE_vSetGarbageCollector(NAV_SPACE_GARBAGE_COLLECTOR pfnCollector);

// The selection space ------------------------------------------------------

// Makes the selection space (3000 slots, 50 routes, 50 track and 50
// recorded-track headers, all zero); an existing one is freed first.
void T_NAV_vInitializeNavDataBuffer(void);
// Frees every buffer and the space; null until the next initialisation.
void T_NAV_vFreeNavDataBuffer(void);
NAV_DATA_SPACE* T_NAV_nGetSelectNavDataSpace(void);

// The root group of a set: the first slot with status 16, parent 0xFFFF
// and the current language's "Home" as name.
GROUP_SLOT* T_NAV_pGetRootGroupSlotEX(NAV_DATA_SPACE* pData);
U16 T_NAV_vGetRootGroupIDEx(NAV_DATA_SPACE* pData);

// The EX family ----------------------------------------------------------------

WAYPOINT* T_NAV_pGetWaypointEX(NAV_DATA_SPACE* pData, U32 id);
U16 T_NAV_u16WaypointAddEX(NAV_DATA_SPACE* pData, const WAYPOINT* pWaypoint, BOOLEAN bImport);
S32 T_NAV_nAddWaypointEX(NAV_DATA_SPACE* pData, const WAYPOINT* pWaypoint, BOOLEAN bImport);
// With a space: clears the slot and returns FALSE.
BOOLEAN T_NAV_bDeleteWaypointEX(NAV_DATA_SPACE* pData, U32 id, BOOLEAN bOverridePointOfSale);
BOOLEAN T_NAV_bWaypointsExistEX(NAV_DATA_SPACE* pData);
BOOLEAN T_NAV_bIsNotSharedLinkEX(NAV_DATA_SPACE* pData, U16 u16Id);
ROUTE* T_NAV_pGetRouteEX(NAV_DATA_SPACE* pData, U32 i);
BOOLEAN T_NAV_bDeleteRouteEX(NAV_DATA_SPACE* pData, U32 i, BOOLEAN bOverridePointOfSale);
U16 T_NAV_u16FindAvailableRouteEX(NAV_DATA_SPACE* pData, BOOLEAN bNotShared);
U16 T_NAV_u16RouteAddEX(NAV_DATA_SPACE* pData, const ROUTE* pRoute);
S32 T_NAV_nAddRouteEX(NAV_DATA_SPACE* pData, const ROUTE* pRoute);
void T_NAV_vRouteStoreEX(NAV_DATA_SPACE* pData, U32 i, ROUTE* pRoute, BOOLEAN bOverridePointOfSale);
void T_NAV_vSaveRouteEX(NAV_DATA_SPACE* pData, U32 i, ROUTE* pRoute, BOOLEAN bOverridePointOfSale);
TRACK_HEADER* T_NAV_pGetTrackHeaderEX(NAV_DATA_SPACE* pData, U32 i);
// With a space: the header goes to slot i, named from at most 19
// characters of pcName, or "%02d" of i + 1 without a name.
S32 T_NAV_nAddTrackEX(NAV_DATA_SPACE* pData, const TRACK* pTrack, U32 u32DateTime, const char* pcName,
                      BOOLEAN bOverridePointOfSale, U16 i);
void T_NAV_vDeleteTrackEX(NAV_DATA_SPACE* pData, U32 i, BOOLEAN bOverridePointOfSale);
BOOLEAN T_NAV_bGetTrackVisibilityEX(NAV_DATA_SPACE* pData, U32 i);
RUMBREL_HEADER* T_NAV_pGetRumbrelHeaderEX(NAV_DATA_SPACE* pData, U32 i);
// Spaces only: the unit's own store logs and refuses.
S32 T_NAV_nAddRumbrelHeaderEX(NAV_DATA_SPACE* pData, const RUMBREL_HEADER* pHeader, BOOLEAN bOverridePointOfSale);
void T_NAV_vDeleteRumbrelEX(NAV_DATA_SPACE* pData, U32 i, BOOLEAN bOverridePointOfSale);
U16 T_NAV_nAllocGroupSlotEX(NAV_DATA_SPACE* pData, BOOLEAN bNotShared);
void T_NAV_vFreeGroupSlotEX(NAV_DATA_SPACE* pData, U16 u16Id);
GROUP_SLOT* T_NAV_pGetGroupSlotEX(NAV_DATA_SPACE* pData, U16 u16Id);
// Copies a group slot out (FALSE when T_NAV_pGetGroupSlotEX has none).
BOOLEAN T_NAV_bReadGroupSlotEX(NAV_DATA_SPACE* pData, U16 u16Id, GROUP_SLOT* pSlot);
BOOLEAN T_NAV_bSetGroupSlotEX(NAV_DATA_SPACE* pData, U16 u16Id, const GROUP_SLOT* pRecord);

// The card-import buffers ----------------------------------------------------------

void T_NAV_vInitializeImportingBuffer(void);
void T_NAV_vFreeImportingBuffer(void);
WAYPOINT* T_NAV_pGetWaypointFromMMC(U32 i);
WAYPOINT* T_NAV_pGetWaypointDataSpaceOnMMC(void);
// The four store the record at the fill index without advancing it; the
// index, or 0xFFFF without buffers or past the buffer.
U16 T_NAV_u16WaypointAddFromMMC(const WAYPOINT* pRecord, BOOLEAN bImport);
S32 T_NAV_nAddWaypointFromMMC(const WAYPOINT* pRecord, BOOLEAN bImport);
U16 T_NAV_u16GroupAddFromMMC(const WAYPOINT* pRecord, BOOLEAN bImport);
S32 T_NAV_nAddGroupFromMMC(const WAYPOINT* pRecord, BOOLEAN bImport);
U16 T_NAV_u16ReplaceRootGroup(const WAYPOINT* pGroup, BOOLEAN bImport);
S32 T_NAV_nReplaceRootGroup(const WAYPOINT* pGroup, BOOLEAN bImport);
GROUP_SLOT* T_NAV_pGetGroupSlotFromMMC(U16 u16Id);
GROUP_SLOT* T_NAV_pGetRootSlotFromMMC(void);
ROUTE* T_NAV_pGetRouteFromMMC(U32 i);
U16 T_NAV_u16FindAvailableRouteFromMMC(void);
void T_NAV_vSaveRouteFromMMC(U32 i, const ROUTE* pRoute, BOOLEAN bOverridePointOfSale);
TRACK_HEADER* T_NAV_pGetTrackHeaderFromMMC(U32 i);
S32 T_NAV_nAddTrackFromMMC(const TRACK* pTrack, U32 u32DateTime, const char* pcName, BOOLEAN bOverridePointOfSale);
RUMBREL_HEADER* T_NAV_pGetRumbrelHeaderFromMMC(U32 i);
S32 T_NAV_nAddRumbrelHeaderFromMMC(const RUMBREL_HEADER* pHeader, U32 u32DateTime, const char* pcName,
                                   BOOLEAN bOverridePointOfSale);
