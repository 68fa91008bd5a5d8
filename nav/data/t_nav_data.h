// Exchange records: the one format in which navigation items leave and
// enter the unit (card files and the PC-connect serial stream), and the
// record stream that carries them in 1024-byte blocks.
//
// A record is an 8-byte header {U8 type, U8 version, U16 size, U16 index,
// U16 reserved} and a body. On the wire every multi-byte field is
// big-endian except those the layouts keep "as is"; in the unit a record
// in "host order" is the same bytes with those fields little-endian, that
// is the item-file layout of t_nav_record.h. The converters work in place
// on such byte buffers, field by field.
//
// Kinds and bodies: 1 track (version 3, 131072 bytes, size field 0; older
// versions 1 and 2 of 2840 and 8040 bytes are upgraded), 2 waypoint-table
// slot (3, 28 bytes; version 2 has the same layout), 3 route (3, 128
// bytes; version 2 and lower is the 68-byte older route), 4 trolling-motor
// track (1, 3072 bytes).
//
// The stream: tracks, then slots, then routes, back to back across block
// boundaries, no end record. One outgoing and one incoming stream at a
// time; both hold the navigation-data mutex (RES_NAV_DATA) from their start
// to their end and run on the caller's task.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"
#include "nav/data/t_nav_space.h"

// Constants ---------------------------------------------------------------

constexpr U32 NAV_DATA_HEADER_BYTES = 8;
constexpr U32 NAV_DATA_BLOCK_BYTES = 1024;

constexpr U8 NAV_DATA_TRACK = 1;
constexpr U8 NAV_DATA_WAYPOINT = 2;
constexpr U8 NAV_DATA_ROUTE = 3;
constexpr U8 NAV_DATA_RUMBREL = 4;
constexpr U8 NAV_DATA_GROUP_HEADER = 16; // headerless converters only
constexpr U8 NAV_DATA_GROUP_BODY = 17;

constexpr U8 NAV_DATA_CURRENT_VERSION = 3; // kinds 1-3
constexpr U8 NAV_DATA_RUMBREL_VERSION = 1;

constexpr U32 NAV_DATA_TRACK_RECORD_BYTES = NAV_DATA_HEADER_BYTES + TRACK_BYTES;       // 131080
constexpr U32 NAV_DATA_WAYPOINT_RECORD_BYTES = NAV_DATA_HEADER_BYTES + WAYPOINT_BYTES; // 36
constexpr U32 NAV_DATA_ROUTE_RECORD_BYTES = NAV_DATA_HEADER_BYTES + ROUTE_BYTES;       // 136
constexpr U32 NAV_DATA_RUMBREL_RECORD_BYTES = NAV_DATA_HEADER_BYTES + RUMBREL_BYTES;   // 3080

// Older bodies.
constexpr U32 TRACK_V1_BYTES = 2840;
constexpr U32 TRACK_V1_DELTAS = 699;
constexpr U32 TRACK_V2_BYTES = 8040;
constexpr U32 TRACK_V2_DELTAS = 1999;
constexpr U32 ROUTE_V1_BYTES = 68;
constexpr U32 ROUTE_V1_MAX_POINTS = 20;

// The trolling-motor link names its position-hold waypoints with this
// prefix; version-2 records gave them icon 31, version 3 gives them 71.
constexpr char NAV_DATA_POSITION_HOLD_PREFIX[] = "SL";
constexpr U8 NAV_DATA_OLD_POSITION_HOLD_ICON = 31;
constexpr U8 NAV_DATA_POSITION_HOLD_ICON = 71;

// Types -------------------------------------------------------------------

typedef struct tag_NAV_DATA_STRUCTURE_HEADER {
    U8 u8Type; // 0 marks a refused record
    U8 u8Version;
    U16 u16Size; // whole record; 0 for a track
    U16 u16Index;
    U16 u16Reserved;
} NAV_DATA_STRUCTURE_HEADER;

typedef enum tag_FILL_BUFFER_STATE {
    FBS_DONE = 0,
    FBS_TRACKS = 1,
    FBS_WAYPOINTS = 2,
    FBS_ROUTES = 3,
    FBS_RUMBRELS = 4 // never entered
} FILL_BUFFER_STATE;

// Header codecs ---------------------------------------------------------------

// Card order: size and index big-endian; reserved copied as it lies.
void T_NAV_DATA_vEncodeHeader(const NAV_DATA_STRUCTURE_HEADER* pHeader, U8* pu8Out);
void T_NAV_DATA_vDecodeHeader(const U8* pu8In, NAV_DATA_STRUCTURE_HEADER* pHeader);
// Host order: size and index little-endian.
void T_NAV_DATA_vEncodeHostHeader(const NAV_DATA_STRUCTURE_HEADER* pHeader, U8* pu8Out);
void T_NAV_DATA_vDecodeHostHeader(const U8* pu8In, NAV_DATA_STRUCTURE_HEADER* pHeader);

// Byte order ----------------------------------------------------------------------

// The body bytes the reader needs for a record of this kind and version
// (a slot's status byte decides for kind 2, so pBody holds the u32Have
// bytes that arrived); 0 for a layout that is not accepted.
U32 T_NAV_DATA_u32BodyBytes(U8 u8Type, U8 u8Version, const U8* pBody, U32 u32Have);

// A whole host-order record (header and body, u32Bytes in all) to card
// order in place: the header, then the body by kind in its current layout.
// Another kind, or a body shorter than its layout, has only its header
// converted.
void T_NAV_DATA_vHostToBigEndian(U8* pSource, U32 u32Bytes);
// A card-order header and its body (u32BodyBytes, a separate buffer) to
// host order in place. A kind or version that is not accepted, or a body
// shorter than its layout, leaves the body untouched and sets the
// header's type to 0. Counts past a layout convert the entries it holds;
// whether the tables can take the record is the store's check.
void T_NAV_DATA_vBigEndianToHost(U8* pHeader, U8* pSource, U32 u32BodyBytes);
// Bare current-version bodies without a header, the kind passed: 1 track,
// 2 slot (by its status: 0 unchanged, 16 group header, 17 group body,
// else waypoint), 3 route, 4 trolling-motor track, 16, 17; any other
// kind is left alone. The buffer holds the kind's whole layout.
// dataVersion is not consulted.
void T_NAV_DATA_vGNDHostToBigEndian(U8 DataType, U8* pSource);
void T_NAV_DATA_vGNDBigEndianToHost(U8 dataVersion, U8 dataType, U8* pSource);

// Upgrades and conversion -----------------------------------------------------------

// A host-order older track body to a current track: header fields
// copied, the ring unrolled from its first step, the box recomputed on
// the wrapped positions. A first step outside the old ring gives an empty
// track.
void vConvertV1ToV3Track(const U8* pOldTrack, TRACK* pNewTrack);
void vConvertV2ToV3Track(const U8* pOldTrack, TRACK* pNewTrack);
// Writes the current-version host-order body of a host-order record
// (u32SourceBytes, header included) into pDestData and, when given, the
// matching host-order header. An older route keeps the destination's
// hidden and not-shared bits, so pDestData holds the slot's current bytes
// on entry. The body bytes written: 28, 128 or 131072, 0 for any other
// kind or a record too short for its layout.
S32 T_NAV_DATA_nConvertRecord(U8* pDestHeader, U8* pDestData, const U8* pSource, U32 u32SourceBytes);

// The position-hold icon of version-2 waypoints ------------------------------------

// Scan hook: notes each slot file's version; a used version-2 slot named
// with the position-hold prefix and icon 31 gets icon 71. Indexes past
// the table are ignored.
void T_NAV_DATA_vFixBadStayvaneIcon(U16 u16Index, U8 u8Version, WAYPOINT* pWaypt);
// After the scan: every slot read in an older version that is neither
// free nor temporary is written again in the current version; then the
// version notes are let go. Nothing without notes.
void T_NAV_DATA_vRewriteFlaggedWaypoints(WAYPOINT* pWaypoints);
// A host-order record from a card: a version-2 waypoint named with the
// position-hold prefix and icon 31 gets icon 71 and version 3. TRUE when
// it changed.
BOOLEAN T_NAV_DATA_bFixCardStayvaneIcon(U8* pRecord, U32 u32Bytes);

// The record stream: producer --------------------------------------------------------

// Starts a stream at the tracks (or where T_NAV_DATA_vSetFillBufferState
// last said) and takes the mutex until the stream has been handed out to
// its end or is abandoned. A stream still running is abandoned first.
void T_NAV_DATA_vFillBufferInit(void);
// Where the next stream starts (the card export and the space variant
// start at the waypoints).
void T_NAV_DATA_vSetFillBufferState(FILL_BUFFER_STATE eState);
// The next bytes of the stream into pu8Buffer (1024 bytes): 1024, less for
// the last block, 0 once the stream is over (the mutex is then released).
// The parameter is not used. Each comes in two forms: the transfer's
// block-source signature, and the PC-connect task's neighbour-table one.
U32 T_NAV_DATA_u32FillBufferSegment(U8* pu8Buffer, void* pParam);
U32 T_NAV_DATA_u32FillBufferSegment(U8* pu8Block, U32 u32Parameter);
// For a receiver that knows no groups: only waypoints of status 1 and 3,
// icons above 30 sent as 0 and the hidden bit cleared.
U32 T_NAV_DATA_u32FillNoGroupBufferSegment(U8* pu8Buffer, void* pParam);
U32 T_NAV_DATA_u32FillNoGroupBufferSegment(U8* pu8Block, U32 u32Parameter);
// The stream of a navigation data space (null: the unit's own store).
U32 T_NAV_DATA_u32FillSelectedBufferSegment(NAV_DATA_SPACE* pData, U8* pu8Buffer);
// Ends a stream that was not handed out to its end (a failed transfer):
// the staging buffer and the mutex are released. Nothing when idle.
void T_NAV_DATA_vFillBufferAbort(void);

// The record stream: consumer ----------------------------------------------------------

// Prepares to receive a whole new store and takes the mutex. The records
// are gathered aside; the store is replaced only when the reception ends
// normally.
void T_NAV_DATA_vSaveBufferInit(void);
// Consumes one received block of u32Count bytes (0 does nothing). pParam
// is not used; the first form is the transfer's block sink, the second
// the PC-connect task's neighbour-table one.
void T_NAV_DATA_vSaveBufferSegment(U32 u32Count, U8* pu8Buffer, void* pParam);
void T_NAV_DATA_vSaveBufferSegment(U32 u32Count, const U8* pu8Block);
// Ends the reception. When the transfer ended normally the store is
// emptied (delete-all) and the gathered records put in place, in one bulk
// scope; otherwise the store stays as it was. Bulk-change mode then ends,
// the mutex is released and the records let go. The caller passes the
// transfer's result; without one the transfer counts as ended normally.
void T_NAV_DATA_vSaveBufferFree(BOOLEAN bTransferCompleted);
void T_NAV_DATA_vSaveBufferFree(void);
// Complete records gathered by the running or last reception, and records
// refused (malformed, kind or version not accepted, index past the table,
// counts out of range).
U32 T_NAV_DATA_u32GetSavedRecordCount(void);
U32 T_NAV_DATA_u32GetRefusedRecordCount(void);

// Putting one record in place ----------------------------------------------------------

// One complete card-order record (u32Bytes, header included), converted
// in place to host order and stored at its index under the mutex: kind 2
// (0-2999) into bank 0, kind 3 (0-49) into the route table, kind 1
// (0-49) into the saved-track table, each with its file. Anything else
// is ignored, and so is a record whose counts the tables could not trust.
void T_NAV_vConvertAndSaveItem(U8* record, U32 u32Bytes);
