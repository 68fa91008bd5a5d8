// Sorted lists of the store: waypoints in a chosen order, and the point
// picker's mixed list of waypoints, recorded-track ends and route ends.
//
// Man-overboard waypoints always form a block of their own at the head of
// a list, sorted among themselves. The comparators are handed to qsort
// under the navigation-data mutex; each is a consistent order (equal keys
// compare 0), so the platform's quicksort never sees a contradiction.
// Distances are rhumb-line nautical miles from the boat ("ILAT", "ILON";
// 0, 0 without a fix), cached per 14-bit waypoint id for one sort.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"
#include "nav/data/t_nav_twr.h"

// Constants ---------------------------------------------------------------

constexpr U32 NAV_SORTED_WAYPOINTS_MAX = 12000;
constexpr U8 STEVRIN_STAYVANE_ICON = 71;
constexpr U32 TWR_POINT_NAME_CHARS = 24;
constexpr U32 TWR_POINT_BYTES = 8;

// Types -------------------------------------------------------------------

typedef enum tag_TWR_POINT_TYPE {
    TWR_POINT_TYPE_WPT = 0,
    TWR_POINT_TYPE_RUMBREL = 1,
    TWR_POINT_TYPE_ROUTE = 2
} TWR_POINT_TYPE;

// A point reference: a waypoint, or a recorded track or route as a whole
// (start/end 0), its first point (1) or its last point (2).
typedef struct tag_ST_POINT_TYPE_INDEX {
    U32 nIndex : 16;
    U32 nReserved : 10;
    U32 nRouteStartEnd : 2;
    U32 nRumbrelStartEnd : 2;
    U32 nUnused0 : 2;
    U32 nType : 4;
    U32 nUnused1 : 28;
} ST_POINT_TYPE_INDEX;

// Codec: two little-endian U32 words, the fields from bit 0 up in the
// order of the struct.
void T_NAV_vEncodeTwrPoint(const ST_POINT_TYPE_INDEX* pRef, U8* pu8Out);
void T_NAV_vDecodeTwrPoint(const U8* pu8In, ST_POINT_TYPE_INDEX* pRef);

// Lists -------------------------------------------------------------------

// Own waypoints (and peers' with bIncludeNonLocalWaypoints) with status 1
// (and 2 with bIncludeTempWaypoints), man-overboard ones first; room for
// NAV_SORTED_WAYPOINTS_MAX ids. Locks.
void T_NAV_vGetSortedWaypoints(NAV_WPT_SORT_ORDER eSortBy, U32* pnCount, U16* pu16Indexes,
                               BOOLEAN bIncludeTempWaypoints, BOOLEAN bIncludeNonLocalWaypoints);
// The picker's list; the buffer holds up to 4 x 3000 waypoints and 100
// track and 100 route ends. Locks.
void T_NAV_vGetSortedPointsList(NAV_WPT_SORT_ORDER eSortBy, U32* pnCount, ST_POINT_TYPE_INDEX* list,
                                BOOLEAN bIncludeTempWaypoints, BOOLEAN bIncludeNonLocalWaypoints,
                                BOOLEAN bStevrinConnected, BOOLEAN bInclRumbrelStartEnd);

// Point references --------------------------------------------------------

// The display name, at most len - 1 characters and a NUL; an unknown type
// gives an empty name.
void T_NAV_vGetTwrPointName(const ST_POINT_TYPE_INDEX* ref, char* buf, int len, BOOLEAN bIncludeStartEnd);
// Date-time and position; an unknown type leaves both alone.
void T_NAV_vGetTwrPointDateTime(const ST_POINT_TYPE_INDEX* ref, U32* pu32DateTime, POINT* pt);
// Nautical miles from the boat as of the last sort's boat position; -1
// for an unknown reference.
double T_NAV_dGetTwrPointDistance(const ST_POINT_TYPE_INDEX* pTwr);

// Comparators (qsort order) ----------------------------------------------

int T_NAV_nCompareWaypointsByName(const void* pA, const void* pB);
int T_NAV_nCompareWaypointsByTime(const void* pA, const void* pB);
int T_NAV_nCompareWaypointsByDistance(const void* pA, const void* pB);
int T_NAV_nCompareTwrPointsByName(const void* pA, const void* pB);
int T_NAV_nCompareTwrPointsByTime(const void* pA, const void* pB);
int T_NAV_nCompareTwrPointsByDistance(const void* pA, const void* pB);

// For callers and tests sorting by distance themselves: forget the cached
// distances and take the boat position from "ILAT"/"ILON" (0, 0 when
// either has no valid value).
void T_NAV_vResetDistanceCache(void);
