// The navigation files of a card: the export of the whole store into the
// card folder VONDREL ("DATA.QWR" of slots and routes, "%03d.QT" per saved
// track, "DATA.QIT" of trolling-motor tracks), the import of such a folder
// through the card-import buffers, and the merge of what was imported into
// the unit's store and group tree.
//
// The import only adds: whatever a card holds (a truncated, garbage or
// foreign file, more than the tables can take, a card pulled half-way),
// nothing the unit stored before is removed or changed. Every count and
// index read from a card is checked before it is used; a record that fails
// a check is refused and counted.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_data.h"
#include "store/lang.h"
#include "ui/u_view.h"

#include <cstdio>

// Texts ---------------------------------------------------------------------

extern TEXT_TABLE NAV_DATA_TEXT_EXPORT_OK;      // "Nav data successfully exported to MMC/SD card."
extern TEXT_TABLE NAV_DATA_TEXT_EXPORT_FAILED;  // "Export to MMC/SD card failed."
extern TEXT_TABLE NAV_DATA_TEXT_IMPORT_QUESTION; // "Upload Nav Data from SD card?"
extern TEXT_TABLE NAV_DATA_TEXT_NO_NEW_DATA;    // "No new nav data found."
extern TEXT_TABLE NAV_DATA_TEXT_OUT_OF_MEMORY;  // "Not enough memory to load all nav data."

extern TEXT_TABLE NAV_DATA_TEXT_SAVING;  // "Saving tracks, waypoints and routes to MMC/SD card. Please wait."
extern TEXT_TABLE NAV_DATA_TEXT_LOADING; // "Loading tracks, waypoints and routes from MMC/SD card.  Please wait..."

// The dialog shown while a card is written or read.
constexpr LAYER_ID NAV_DATA_LOAD_MESSAGE_LAYER = 319;

typedef enum tag_GROUP_MMC_DISPLAY_STRING {
    MMC_STRING_INITIAL = 0,
    MMC_STRING_ONE_DOT = 1,
    MMC_STRING_TWO_DOT = 2,
    MMC_STRING_THREE_DOT = 3
} GROUP_MMC_DISPLAY_STRING;

// Export (the card task's commands) ------------------------------------------

// Command 62: empties the card folder and writes the whole store into it;
// the success or failure note tells the outcome.
void T_NAV_DATA_vExportAllTracksWaypointsRoutes(void);
// Command 70: the same for the group manager's selection, written from a
// self-contained copy with its own root group "Home" in the selection space.
void T_NAV_DATA_vExportSelectedTracksWaypointsRoutes(void);
// Fills the selection space pData from the selection.
void T_NAV_DATA_vCopySelectedBufferSegment(NAV_DATA_SPACE* pData);
// Copies the unit's group FromIndexGroup with everything under it into pData
// as a new group under ToIndexGroup; the last link's result, 0 when the
// source group does not exist.
BOOLEAN T_NAV_DATA_vCopySelectedGroupBufferSegment(NAV_DATA_SPACE* pData, U16 FromIndexGroup, U16 ToIndexGroup);
// Removes every entry of the folder whose name does not begin with '.'.
void T_NAV_DATA_vExportCleanup(const char* pcFolder);

// Draw callbacks of the dialog layer while exporting and importing.
void T_NAV_DATA_vDrawSavingMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_NAV_DATA_vDrawLoadingMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// Import ------------------------------------------------------------------------

// Keeps the slot and queues the question; the import runs on a yes.
void T_NAV_DATA_vImportFromMMC(S32 nDeviceID);
// The import of the slot kept by T_NAV_DATA_vImportFromMMC.
void T_NAV_DATA_vDoImportFromMMC(void);
// The next 8 bytes of the file into pu8Header (card order); FALSE at the
// end of the file.
BOOLEAN T_NAV_DATA_pheaderReadHeader(FILE* pFile, U8* pu8Header);
// Reads the body behind the card-order header pu8Header (converted to host
// order in place) by its kind, version and length; the host-order body
// (upgraded to the current layout; H_MEMORY_pvMalloc, the caller frees)
// and its length in *pu32Bytes, or null when the record is refused or the
// file ends early. A version-2 waypoint comes back as version 3.
U8* T_NAV_DATA_pvReadItem(FILE* pFile, U8* pu8Header, U32* pu32Bytes);
// Copies the card track of slot nDeviceID that equals pTrackHeader into
// pGetTrack; FALSE (pGetTrack untouched) when no track file matches.
BOOLEAN T_NAV_DATA_vGetTrackFromMMCByTrackHeader(S32 nDeviceID, const TRACK_HEADER* pTrackHeader, TRACK* pGetTrack);
// Records refused by the reader since start-up.
U32 T_NAV_DATA_u32GetRefusedCardRecords(void);

// Progress of an import ----------------------------------------------------------

// Takes the keys of the navigation mailbox so that presses wait in it
// while the import runs, and starts the dots.
void T_NAV_DATA_vStartDisplayMMCLoading(void);
BOOLEAN T_NAV_DATA_vGetMMCLoading(void);
GROUP_MMC_DISPLAY_STRING T_NAV_DATA_vDisplayMMCLoading(void);
// Ends the dots and gives the keys back.
void T_NAV_DATA_vStopDisplayMMCLoading(void);

// Merge ---------------------------------------------------------------------------

// Merges the import buffers into the unit and shows the count note.
void T_NAV_DATA_vInsertFromRootToUnit(void);
// Inserts the import group pGroupHeader into the unit's group
// u16ParentIndex; null: every item of the import buffers, flat.
void T_NAV_DATA_vInsertNewToUnit(const GROUP_HEADER* pGroupHeader, U16 u16ParentIndex);
// Splits pTemplate in place at '#' characters; pStringMarkers receives the
// start of each part (room for nMaxStrings); the number of parts.
S32 T_NAV_DATA_nSplitString(char* pTemplate, char** pStringMarkers, S32 nMaxMessage, S32 nMaxStrings);
// The note of a merge into pcOut (256 bytes).
void T_NAV_DATA_vShowImportStatus(char* pcOut, U32 u32Waypoints, U32 u32Routes, U32 u32Groups, U32 u32Tracks,
                                  U32 u32Rumbrels, BOOLEAN bOutOfMemory);
