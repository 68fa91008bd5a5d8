// The saved-track table: up to 50 tracks saved from the current track, a
// card or the group manager. Memory holds only the 60-byte headers; each
// track's whole record is in its flash file, and painters load one track
// at a time into the shared track buffer (T_NAV_NVRAM_pLoadTrack).
//
// A saved track's visibility, line style and colour live in data-store
// settings, packed per track: visibility one bit per track in "SNTV"
// (tracks 0-31) and "SNV2" (32-49), a missing key counting as all
// visible; style and colour four bits per track in "SNS1"-"SNS8" and
// "SNC1"-"SNC8", track i in key i / 8 + 1 at bits 4 (i mod 8) up, a
// missing key reading as style 4 and colour 16. New tracks take "SNDS",
// "SNRC" (16: a random colour 0-14) and "SNDV". Every setting is written at
// writer priority 2.
//
// The table operations take the navigation-data mutex (RES_NAV_DATA,
// recursive); the settings rely on the data store's own locking.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Constants ---------------------------------------------------------------

constexpr U32 NAV_TRACK_DEFAULT_STYLE = 4;
constexpr U32 NAV_TRACK_DEFAULT_COLOR = 16;
constexpr U32 NAV_TRACK_RANDOM_COLOR = 16; // "SNRC" value asking for a random colour
constexpr U32 NAV_TRACK_RANDOM_COLORS = 15;

// The table ---------------------------------------------------------------

// Stores the track in the lowest free slot under the date-time and name
// given (at most 19 characters and a NUL; without a name, the slot + 1 as
// two digits), writes its file with the caller's point-of-sale override
// and gives it the default style, colour and visibility. The slot, or
// 0xFFFF when the table is full or the track's counts are out of range
// (an empty track among them). The caller's record is not changed.
S32 T_NAV_nAddTrack(const TRACK* pTrack, U32 u32DateTime, const char* pcName, BOOLEAN bOverridePointOfSale);
// Renames saved track slot (record and header; at most 19 characters and a
// NUL). A free slot is left alone; a track whose file cannot be loaded is
// renamed in memory only.
void T_NAV_vRenameTrack(U32 slot, const char* pcName);
// Removes the track's file (caller's override), clears its header and
// makes the slot visible again, so that a later track there starts visible
// unless "SNDV" says otherwise. Slots past the table are ignored.
void T_NAV_vDeleteTrack(U32 slot, BOOLEAN bOverridePointOfSale);
// The header's name (at most u32Limit - 1 characters and a NUL), count and
// date-time; slots past the table leave the outputs alone.
void T_NAV_vCopyTrackInfo(U32 slot, char* pcName, U32 u32Limit, U16* pu16Count, U32* pu32DateTime);
// All used slots, sorted by name; pu16Slots has room for 50.
void T_NAV_vGetTracks(U32* pnCount, U16* pu16Slots);
// qsort comparator of two saved-track slots (U16): names by strcmp.
int T_NAV_nCompareTracks(const void* pA, const void* pB);

// Display settings ----------------------------------------------------------

// FALSE past the table.
BOOLEAN T_NAV_bGetTrackVisibility(U32 slot);
void T_NAV_vSetTrackVisibility(U32 slot, BOOLEAN bVisible);
// The defaults past the table; setters store the low four bits and give
// FALSE past the table.
U32 T_NAV_nGetTrackStyle(U32 slot);
BOOLEAN T_NAV_bSetTrackStyle(U32 slot, U32 u32Style);
U32 T_NAV_nGetTrackColor(U32 slot);
BOOLEAN T_NAV_bSetTrackColor(U32 slot, U32 u32Color);

// Store-internal ----------------------------------------------------------------

void T_NAV_TWR_vClearTrackHeaders(void);
