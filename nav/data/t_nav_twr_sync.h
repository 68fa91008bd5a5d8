// The shared part of the own waypoint, group and route tables as one
// buffer for another unit, its replacement from such a buffer or from a
// navigation data space, and CRC-32 fingerprints by which two units tell
// whether their shared data agree.
//
// W is the number of shared slots (highest shared waypoint index + 1), R
// that of shared routes; the shared part is always bank-0 slots 0 to W - 1
// and route slots 0 to R - 1. A synced group buffer, every number
// big-endian:
//   0 CRC-32 of the bytes from offset 12 to the end
//   4 W (U16), 6 R (U16), 8 0 (U16), 10 0 (U16)
//   12 W slots of 28 bytes, then R routes of 128 bytes, in the exchange
//      records' big-endian forms (headerless converters of t_nav_data.h).
// CRC-32 is zlib's crc32 from 0, first over the slots, then the routes.
//
// The operations that lock take the navigation-data mutex (recursive);
// the plain filler and the hashes expect the caller to hold it.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"
#include "nav/data/t_nav_space.h"

constexpr U32 NAV_SYNC_HEADER_BYTES = 12;

// Bytes a buffer of the unit's present shared part takes.
U32 T_NAV_u32GetGroupNavDataBytes(void);
// Fills a synced group buffer at p; the address just past its last route.
U8* T_NAV_pGetGroupNavData(U8* p);
U8* T_NAV_pBufferSendSyncedGroupNavDataBack(U8* p);
U8* T_NAV_pBufferSendSyncedGroupNavDataToTrelvo(U8* p);

U32 T_NAV_u32HashAllSharedNavData(void);
// Over big-endian records already in a buffer (from its offset 12), W and
// R being the unit's own.
U32 T_NAV_u32HashAllSharedNavDataInBuffer(const U8* records);
// Over all 3000 own slots and all 50 routes.
U32 T_NAV_u32HashAllNavData(void);

// Received big-endian slots (28 bytes each) and routes (128 bytes each)
// over the shared part: slot i and route i replaced and written, the
// unit's surplus shared slots and routes cleared with their files. A count
// past its table, or a route of more points than a route holds, refuses
// the whole set (logged; nothing changes). No point-of-sale override.
void T_NAV_vStoreAllSyncedGroupNavDataReceived(const U8* wpts, U32 nWpts, const U8* routes, U32 nRoutes);
// Replaces the shared part from a data space. FALSE, with nothing
// changed, for a null space, one without waypoints, or one whose waypoint
// or route count reaches the unit's lowest locked index.
BOOLEAN T_NAV_bReplaceSharedNavDataSpace(NAV_DATA_SPACE* src);
// One big-endian slot into own slot id / route into route slot i, written
// to flash (no override; routes also into the backup table).
void T_NAV_vSaveGpWpSlot(U16 id, const U8* record);
void T_NAV_vSaveRouteSlot(U16 i, const U8* route);
// Clears route slot i, its file and its backup copy.
void T_NAV_vDeleteRouteSlot(U16 i);
