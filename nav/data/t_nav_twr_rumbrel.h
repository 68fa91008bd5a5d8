// The recorded-track table: the 50 tracks that the trolling-motor
// autopilot records, follows and exchanges with the unit, each up to 352
// points with a 256-byte header, each also one file on internal flash.
//
// A slot is used while its nCount is non-zero; slots are never compacted,
// so a slot number (and the id 0x4C00 | slot in groups) stays while its
// track exists. The highest-used mark (highest used slot + 1) is raised by
// adds and stores and never lowered by deletions. A record of more than
// 352 points is refused wherever it comes in.
//
// The operations noted "locks" take the navigation-data mutex
// (RES_NAV_DATA, recursive); the others expect the caller to hold it when
// consistency matters.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"
#include "nav/data/t_nav_twr.h"

// Constants ---------------------------------------------------------------

constexpr U32 RUMBREL_STYLE_THIN_LINE = 0;
constexpr U32 RUMBREL_STYLE_WIDE_LINE = 1;
constexpr U32 RUMBREL_COLOR_FROM_MOTOR = 17; // the colour of every track the motor sends

// Adding, storing, deleting ------------------------------------------------------

// The lowest free slot, 0xFFFF when none.
U16 T_NAV_u16FindAvailableRumbrel(void);
// Copies the record into the lowest free slot (locks); a date-time of 0
// becomes "IDTM". A record with points is written to flash, counted and
// raises the highest-used mark; one without points occupies nothing. The
// slot, or 0xFFFF when the table is full or the record is too long.
U16 T_NAV_u16RumbrelAdd(const RUMBREL* pRumbrel);
// A track from the trolling motor (locks): the wide line and colour 17 are
// set in the caller's record, the track is added and, when it holds
// points, linked into the default group (hook).
U16 T_NAV_u16SaveRumbrelFromStevrin(RUMBREL* pRumbrel);
// A route from the trolling motor (locks): added as T_NAV_nAddRoute does
// and, when the slot is used, linked into the default group (hook).
U16 T_NAV_u16SaveRouteFromStevrin(const ROUTE* pRoute);
// Overwrites slot (0-49) with the record; a record with points is written
// to flash with the caller's override, one without removes the slot's
// file. bFromGateway is not used.
void T_NAV_vRumbrelStore(U32 slot, const RUMBREL* pRumbrel, BOOLEAN bOverridePointOfSale, BOOLEAN bFromGateway);
// As T_NAV_vRumbrelStore (locks); FALSE past the table or for a record
// that is too long.
BOOLEAN T_NAV_bSaveRumbrel(U32 slot, const RUMBREL* pRumbrel, BOOLEAN bOverridePointOfSale);
// Frees a used slot (locks): counted out, file removed (caller's override),
// nCount 0 with the rest of the record kept; FALSE for a free slot or one
// past the table. The "Cursor To" menu hook runs in every case.
BOOLEAN T_NAV_bDeleteRumbrel(U32 slot, BOOLEAN bOverridePointOfSale);

// Access --------------------------------------------------------------------------

// The slot's record (also when free) or header; null past the table.
RUMBREL* T_NAV_pGetRumbrel(U32 slot);
RUMBREL_HEADER* T_NAV_pGetRumbrelHeader(U32 slot);
// Copies the 256-byte header (locks); nothing past the table.
void T_NAV_vCopyRumbrelHeader(U32 slot, RUMBREL_HEADER* pHeader);

// Finding and comparing ---------------------------------------------------------

// The first used slot equal in count, date-time, name (up to a NUL, at most
// 12 characters) and points; 0xFFFF.
U16 T_NAV_u16FindRumbrel(const RUMBREL* pRumbrel);
BOOLEAN T_NAV_bCompareRumbrels(const RUMBREL* pA, const RUMBREL* pB);
// The first used slot with this identity; 0xFFFF.
U16 T_NAV_u16FindRumbrelByUid(U64 u64Uid);
// The first used slot below the highest-used mark with the same count and
// points (name and dates not compared); 0xFFFF.
U16 T_NAV_u16FindRumbrelTrackPoints(const RUMBREL* pRumbrel);

// Lists ------------------------------------------------------------------------------

// The used slots sorted by name (locks); *pnCount 0 and nothing written
// when there is none. pu16Slots has room for 50.
void T_NAV_vGetRumbrels(U32* pnCount, U16* pu16Slots);
// Sorts a list of slots in place (locks): by distance, by time, or by name
// for every other order.
void T_NAV_vGetSortedRumbrels(NAV_WPT_SORT_ORDER eSortBy, U32 u32Count, U16* pu16Slots);
// qsort comparators of two recorded-track slots (U16): names by strcmp
// (the two name comparators are the same), date-time newest first, and the
// stored closest distance nearest first.
int T_NAV_nCompareRumbrelsByName(const void* pA, const void* pB);
int T_NAV_nCompareRumbrelNames(const void* pA, const void* pB);
int T_NAV_nCompareRumbrelsByTime(const void* pA, const void* pB);
int T_NAV_nCompareRumbrelsByDistance(const void* pA, const void* pB);

// Counts ----------------------------------------------------------------------------

// Highest used slot + 1 from the slots, 0 when none.
U16 T_NAV_TWR_u16GetMaxUsedRumbrel(void);
// The highest-used mark as the operations keep it.
S32 T_NAV_TWR_nGetMaxUsedRumbrelIndex(void);
U16 T_NAV_TWR_u16GetRumbrelCount(void);
// Some slot has both points and a date-time (locks).
BOOLEAN T_NAV_TWR_bRumbrelExist(void);

// Header properties (memory only; the caller saves the record) ----------------------

// Copies the name (at most 11 characters and a NUL).
void T_NAV_vRenameRumbrel(U32 slot, const char* pcName);
BOOLEAN T_NAV_bGetRumbrelVisibility(U32 slot);
void T_NAV_vSetRumbrelVisibility(U32 slot, BOOLEAN bVisible);
// 0 past the table or for a stored style above 1.
U32 T_NAV_nGetRumbrelStyle(U32 slot);
// Any non-zero style stores 1.
BOOLEAN T_NAV_bSetRumbrelStyle(U32 slot, U32 u32Style);
U32 T_NAV_nGetRumbrelColor(U32 slot);
BOOLEAN T_NAV_bSetRumbrelColor(U32 slot, U32 u32Color);
// ptLowerLeft and ptUpperRight from the minimum and maximum x and y over
// the points; (0, 0) both for a record without points. A record that is
// too long is left alone.
void T_NAV_STEVRIN_vCalculateLLURPoints(RUMBREL* pRumbrel);

// Store-internal ----------------------------------------------------------------

void T_NAV_TWR_vClearRumbrels(void);
// The count and the highest-used mark from the slots, after the start-up
// scan filled them.
void T_NAV_TWR_vRecountRumbrels(void);
