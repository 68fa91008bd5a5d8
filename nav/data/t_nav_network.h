// The store's side of waypoint sharing between units: the table of peers
// and their banks, the receiver of a peer's waypoint slices, the reads
// that answer a peer's request, and the change hooks that pass every local
// waypoint change to the sending callback of the navigation task.
//
// Bank 0 is this unit's own table; a peer's waypoints live in bank 1, 2 or
// 3 while it is known. Address 0, the loopback address and the unit's own
// address all name bank 0, and none of them is ever a peer. Adding or
// removing a peer empties its bank, so a peer's waypoints are always
// fetched afresh.
//
// A slice carries at most the 3000 slots of one bank. Nothing of a slice
// that would run past slot 2999, or that says it holds more records than it
// does, is stored: it is refused, logged and counted. A slice only ever
// writes into the bank of the address it came from.
//
// Every operation takes the navigation-data mutex; the callback is called
// with it held.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Types ------------------------------------------------------------------

typedef enum tag_NAV_NETWORK_OP {
    NAV_NETWORK_OP_ADD = 0,    // records to store at their slots
    NAV_NETWORK_OP_EDIT = 1,   // records replace their slots; status 0 frees one
    NAV_NETWORK_OP_DELETE = 2, // slots to free; no records
} NAV_NETWORK_OP;

// Sends u16Count consecutive records starting at slot u16Index; address 0
// is the own table for every registered peer. pWaypoint is null for a
// delete.
typedef void (*NAV_WAYPOINT_CALLBACK)(U32 u32IpAddress, U16 u16Index, U16 u16Count, const WAYPOINT* pWaypoint,
                                      NAV_NETWORK_OP eOperation);

// Peers ----------------------------------------------------------------------

// Reads the own address of "eth0", or of "eth0:avahi" when "eth0" has none,
// and registers the callback; FALSE (and no callback) when neither has one.
BOOLEAN T_NAV_NETWORK_bInit(NAV_WAYPOINT_CALLBACK pfWaypointCallback);
// 0 for address 0, loopback or the own address; 1-3 for a known peer; -1.
S32 T_NAV_NETWORK_nGetPeer(U32 u32IpAddress);
// As nGetPeer for bank 0 and known peers; a new address takes the first
// free bank of 1, 2, 3 (emptied first); -1 when all three are taken.
S32 T_NAV_NETWORK_nAddPeer(U32 u32IpAddress);
// Forgets a peer and empties its bank; its bank, or -1 for bank 0
// addresses and unknown ones.
S32 T_NAV_NETWORK_nDeletePeer(U32 u32IpAddress);
// Highest used slot + 1 of the address's bank; -1 for an unknown address.
S32 T_NAV_NETWORK_nGetMaxWaypointIndex(U32 u32IpAddress);
// Copies u16Count records of the address's bank from u16StartIndex; FALSE
// for an unknown address or a range past slot 2999.
BOOLEAN T_NAV_NETWORK_bFetchWaypointData(U32 u32IpAddress, U16 u16StartIndex, U16 u16Count,
                                         WAYPOINT* pWaypointData);

// Applies a received slice to the sender's bank. u32Records is the number
// of records the slice carries (pWaypointData may be null for a delete).
// A slice of more than one record runs in bulk-change mode. FALSE for an
// unknown sender, an unknown operation, or a refused slice.
BOOLEAN T_NAV_NETWORK_bSetWaypointData(U32 u32IpAddress, U16 u16StartIndex, U16 u16Count,
                                       const WAYPOINT* pWaypointData, U32 u32Records, NAV_NETWORK_OP eOperation);
// Slices refused since the process started.
U32 T_NAV_NETWORK_u32GetRefusedSlices(void);

// Change hooks -----------------------------------------------------------------

// Own records added; own (nTable 0) or a peer bank's records changed or
// freed. Held back while bulk-change mode is on; nothing is sent past slot
// 2999, without a callback, or for a peer bank nobody holds.
void T_NAV_NETWORK_vAddWaypoint(U16 u16Index, U16 u16Count, const WAYPOINT* pWaypoint);
void T_NAV_NETWORK_vEditWaypoint(U16 u16Index, U16 u16Count, const WAYPOINT* pWaypoint, S32 nTable);
void T_NAV_NETWORK_vDeleteWaypoint(U16 u16Index, U16 u16Count, S32 nTable);
// Sends the whole own table as one edit when changes were held back.
void T_NAV_NETWORK_vMultiWaypointTransfer(void);

// Store-internal: forgets every peer, the own address and the callback.
void T_NAV_NETWORK_vReset(void);
