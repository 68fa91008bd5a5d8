// Tables derived from the waypoint table so that the chart overlay stays
// readable, the waypoint searches, and the default-name counter.
//
// The duplicate table says which waypoint is a second copy of another (a
// peer sharing one of ours, two equal records), so that it is drawn once:
// per 14-bit id (bank * 4096 + slot) a flag and the id of its twin, the
// nearest lower id with the same icon, depth, date-time, position and name.
//
// The declutter tables, one per chart pane, hold per id: 0x7FFFFFFF when
// no other waypoint shares its icon row, -1 when its icon overlaps
// another's at the pane's scale, else the distance in Mercator metres
// (east) to the nearest waypoint on its row to the right. The icon box is
// the first large navigation icon's, 1.5 times; the scale is "SNCS" for
// the right (or only) pane and "SNCL" for the left one, 2^(32 - scale)
// pixels per 2^20 metres. Free slots, group records, duplicates and
// waypoints without a date-time take no part.
//
// A pair's effect depends on which of the two has the lower id (pixel
// rounding is not symmetric), so every rebuild gives exactly what
// comparing each waypoint with every later one would give; it only finds
// the pairs that can matter faster. Bulk-change mode leaves the tables
// alone until it ends.
//
// Callers hold the navigation-data mutex (RES_NAV_DATA) for the Set and
// scan operations; the searches and the rebuild entry points take it.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"
#include "nmea/t_nmea_ais_standin.h"

// Constants and types ------------------------------------------------------

constexpr S32 NAV_DECLUTTER_NONE = 0x7FFFFFFF; // no neighbour on the icon row
constexpr S32 NAV_DECLUTTER_OVERLAP = -1;      // the icon overlaps another
constexpr S32 NAV_WAYPOINT_COUNTER_MAX = 99999;

typedef enum tag_DCLTR_TABLE {
    DCLTR_TABLE_RIGHT = 0, // right or only chart pane
    DCLTR_TABLE_LEFT = 1,
    DCLTR_TABLE_BOTH = 2
} DCLTR_TABLE;

// Duplicates ---------------------------------------------------------------

// Compares waypoint nSrcIdx with every used slot from nCompareIdx on (to
// the end of its bank, then the following banks); of each equal pair the
// higher id becomes a duplicate with the lower as its twin.
void T_NAV_TWR_vSetDuplicateFlag(U32 nSrcIdx, U32 nCompareIdx);
BOOLEAN T_NAV_TWR_bIsDuplicateWaypoint(U32 id);
U32 T_NAV_TWR_nGetDuplicateWaypointIndex(U32 id);
// Clears the table and compares every used slot with every later one.
void T_NAV_TWR_vDuplicateWaypointsScan(void);

// Declutter ------------------------------------------------------------------

// Compares waypoint nSrcIdx with the candidates from nCompareIdx on at the
// scale, into table.
void T_NAV_TWR_vSetDeclutterFlag(U32 nSrcIdx, U32 nCompareIdx, U32 nChartScale, S32* table);
// Rebuilds one or both tables (nothing while the declutter scan is off).
void T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE eTable);
// One new waypoint compared with all others, in both tables.
void T_NAV_TWR_vDeclutterWaypointsAdd(U32 id);
S32* T_NAV_TWR_pGetDeclutterWaypointTable(BOOLEAN bLeftPane);
// W and H of the declutter's icon box in pixels.
void T_NAV_TWR_vGetDeclutterIconBox(U32* pu32Width, U32* pu32Height);

// Switches -------------------------------------------------------------------

// Bulk-change mode. Clearing it sends the whole own table to the peers when
// changes were held back, then rebuilds the duplicate and declutter tables
// (each unless its scan is switched off).
void T_NAV_TWR_vSetMultiWaypointFlag(BOOLEAN bFlag);
BOOLEAN T_NAV_TWR_bGetMultiWaypointFlag(void);
// The duplicate scan is off only while the value given is exactly 1; the
// declutter scan while it is any non-zero value.
void T_NAV_TWR_vTemporarilyDisableScanForDuplicates(BOOLEAN bDisable);
void T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(BOOLEAN bDisable);
BOOLEAN T_NAV_TWR_bDuplicateScanDisabled(void);
// Rebuilds all the tables under the mutex.
void T_NAV_TWR_vInitialScan(void);
// Store-internal: after a slot was freed or overwritten, the rebuilds the
// deletion bookkeeping does (none in bulk-change mode).
void T_NAV_TWR_vRebuildDerivedTables(void);
// Store-internal: empties every derived table.
void T_NAV_TWR_vClearDerivedTables(void);

// Searches -------------------------------------------------------------------

// The used waypoint ahead of ptMM in direction nDirection (whole degrees)
// within nLengthMM along and nWidthMM across, nearest by |dx| + |dy|; never
// the one exactly at ptMM; 0xFFFF when none.
S32 T_NAV_nFindNearbyWaypoint(POINT ptMM, S32 nWidthMM, S32 nLengthMM, U16 nDirection);
// The first used slot (bank 0, and 1-3 when asked) exactly at ptMM; 0xFFFF.
S32 T_NAV_nFindWaypointAtPosition(POINT ptMM, BOOLEAN bIncludeNonLocalWaypoints);
// The nearest valid AIS target within fMaxDistNM nautical miles (any
// distance when 0 or less), under RES_AIS_TARGETS; FALSE with *ppAisInfo
// null when there is none or AIS is not shown ("SAIS").
BOOLEAN T_NAV_bFindNearbyAisTarget(const POINT* ptMM, float fMaxDistNM, ais_DeviceInfo** ppAisInfo);

// Default-name counter ----------------------------------------------------

// The highest number of a default name ("WP" and digits) among the own
// waypoints, or "SWID" when that is higher.
S32 T_NAV_s32GetMaxWayPointCounter(void);
// Raises "SWID" to the number of own slot's default name (at most 99999).
void T_NAV_vUpdateWaypointCounter(U32 slot);
// Lowers "SWID" by one when it is above 0.
void T_NAV_vCancelWaypointCounterIncrease(void);
