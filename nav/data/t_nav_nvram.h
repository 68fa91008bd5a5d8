// Navigation items on internal flash: one file per item, and the log of
// the current track.
//
// Item files live in "/usr/vondrel/wpts", "routes", "tracks" and
// "rumbrels" (under the unit root), each named by the item's slot index in
// decimal. A file is an 8-byte header, little-endian {U32 147984, U8 type,
// U8 version, U16 index}, then the record: type 1 saved track (version 3,
// 131072 bytes), 2 waypoint-table slot (3, 28), 3 route (3, 128), 4
// trolling-motor track (1, 3072).
//
// Every file is replaced as a whole, so a file is always its old content or
// its new one whatever moment a crash picks, and a writer that has returned
// has its file on the medium. Inside a bulk scope (FS_vBeginBulk) the
// writers and deleters leave their syncs to the scope's end.
//
// Point-of-sale rule: unless the caller passes bOverridePointOfSale, a
// writer or deleter does nothing while "CCST" is 6 or cannot be read, so
// demonstration changes in a shop never reach flash.
//
// The current-track log is "/usr/vondrel/cr_track/track.2", which takes the
// appends, and "track.1", the file before it: a 10-byte base record {S32
// x, S32 y, U16 depth} and 6-byte steps {S16 dx, S16 dy, U16 depth} as in
// the ring. A gap is the two marker steps and the real step; a file whose
// first point starts a segment holds its base, the markers and the
// sentinel step {1, 1}. Past 131019 bytes the next append rotates
// "track.2" to "track.1". The log is written, read and erased only in the
// normal-run state ("CCST" 3).
//
// Callers hold the navigation-data mutex. The one loaded saved-track buffer
// is held under RES_LOADED_TRACK from T_NAV_NVRAM_pLoadTrack to
// T_NAV_NVRAM_vReleaseTrack.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Constants ---------------------------------------------------------------

constexpr U32 NAV_FS_VERSION = 147984; // 0x00024210, the file-system mark
constexpr U32 NAV_FILE_HEADER_BYTES = 8;
constexpr U8 NAV_FILE_TRACK = 1;
constexpr U8 NAV_FILE_WAYPOINT = 2;
constexpr U8 NAV_FILE_ROUTE = 3;
constexpr U8 NAV_FILE_RUMBREL = 4;
constexpr S32 NAV_TRACK_LOG_ROTATE_BYTES = 131019;
constexpr U16 NAV_TRACK_LOG_FIRST_POINT = 0xFFFF; // nLastDeltaIndex of a track's first point

// Types -------------------------------------------------------------------

typedef struct tag_FILE_HEADER {
    U32 U32FSVersion;
    U8 u8Type;
    U8 u8Version;
    U16 u16Index;
} FILE_HEADER;

// Called by the scan for every waypoint-slot file it reads, with the
// file's version byte and the slot just filled; it may mark old records
// for rewriting.
typedef void (*NAV_WAYPOINT_SCAN_HOOK)(U16 u16Index, U8 u8Version, WAYPOINT* pWaypt);

// Item files ------------------------------------------------------------------

void T_NAV_NVRAM_vEncodeFileHeader(const FILE_HEADER* pHeader, U8* pu8Out);
void T_NAV_NVRAM_vDecodeFileHeader(const U8* pu8In, FILE_HEADER* pHeader);

// Writers: nothing for an index past the table (tracks, routes and
// trolling-motor tracks 0-49, waypoint slots 0-2999).
void T_NAV_NVRAM_vSaveTrack(const TRACK* pTrack, U16 u16Index, BOOLEAN bOverridePointOfSale);
void T_NAV_NVRAM_vSaveWaypoint(const WAYPOINT* pWaypoint, U16 u16Index, BOOLEAN bOverridePointOfSale);
void T_NAV_NVRAM_vSaveRoute(const ROUTE* pRoute, U16 u16Index, BOOLEAN bOverridePointOfSale);
void T_NAV_NVRAM_vSaveRumbrel(const RUMBREL* pRumbrel, U16 u16Index, BOOLEAN bOverridePointOfSale);
// Deleters: a missing file is no error.
void T_NAV_NVRAM_vDeleteTrack(U16 u16Index, BOOLEAN bOverridePointOfSale);
void T_NAV_NVRAM_vDeleteWaypoint(U16 u16Index, BOOLEAN bOverridePointOfSale);
void T_NAV_NVRAM_vDeleteRoute(U16 u16Index, BOOLEAN bOverridePointOfSale);
void T_NAV_NVRAM_vDeleteRumbrel(U16 u16Index, BOOLEAN bOverridePointOfSale);
// Removes every file of the waypoint folder, one by one, with one sync at
// the end (delete-all).
void T_NAV_NVRAM_vDeleteAllWaypointFiles(BOOLEAN bOverridePointOfSale);

// The shared track buffer filled with saved track `index`, returned with
// RES_LOADED_TRACK held: an empty track (u16Count 0) when the file is
// missing or damaged. Every load is paired with a release.
TRACK* T_NAV_NVRAM_pLoadTrack(S32 index);
void T_NAV_NVRAM_vReleaseTrack(void);
// The 131072 record bytes of saved track `index` as its file holds them
// (the unit's order), without the shared buffer; FALSE, with pu8Out
// undefined, when the file is missing or damaged.
BOOLEAN T_NAV_NVRAM_bReadTrackRecord(S32 index, U8* pu8Out);

// Makes the five folders (wpts, routes, tracks, cr_track, rumbrels).
void T_NAV_NVRAM_vInit(void);
// Deletes the five folders with their files, with one sync at the end.
void T_NAV_NVRAM_vErase(void);

// The start-up scan: reads the wpts, routes and tracks folders into the
// tables (pnMaxUsed: bank 0's highest used slot + 1, raised as slots are
// read). A file of the folder's type goes to the slot its header names.
// Leftover ".tmp" files are removed; a file with a wrong mark or an index
// past the table is deleted; a file of another type, a short one, or one
// whose counts are out of range is refused and kept. Each of these gets a
// log line naming the file and the reason.
void T_NAV_NVRAM_vScan(TRACK_HEADER* headers, WAYPOINT* slots, S32* pnMaxUsed, ROUTE* routes);
void T_NAV_NVRAM_vScanRumbrel(RUMBREL* rumbrels, S32* pnMaxUsed);
// The hook the scan calls for each waypoint slot read (null: none).
void T_NAV_NVRAM_vSetWaypointScanHook(NAV_WAYPOINT_SCAN_HOOK pfnHook);

// Current-track log --------------------------------------------------------------

// Logs the step at ring position nDeltaIndex of the current track, just
// appended; nLastDeltaIndex is the newest step's position (0xFFFF for the
// track's first point) and bGapPoint says a gap marker starts at
// nDeltaIndex (the marker and its real step are one call).
void T_NAV_NVRAM_vAddCurrentTrackPoint(const TRACK* pTrack, U16 nDeltaIndex, U16 nLastDeltaIndex,
                                       BOOLEAN bGapPoint);
// Rebuilds the track from "track.1" and "track.2".
void T_NAV_NVRAM_vScanCurrentTrack(TRACK* track);
// Deletes both files.
void T_NAV_NVRAM_vEraseCurrentTrack(void);
// Appends the points of one log file (a unit path) to the track; the bytes
// consumed, a partial last record not among them.
S32 T_NAV_NVRAM_vScanCurrentTrackFile(TRACK* track, const char* path);
