// Group slots: the group records live in 28-byte slots of bank 0 of the
// waypoint table, beside the unit's waypoints, and share its split into a
// shared part (from slot 0 up) and a locked part (from slot 2999 down).
//
// A slot is a group slot while its status is 16 (header), 17 (body) or 63
// (taken, record still being written). Group ids are 0xC000 | slot; 0xCFFF
// addresses slot 2999, which holds the first body of the root group's
// locked part.
//
// In memory a group slot is a WAYPOINT slot: the pointers handed out point
// into the table. Their bytes are the group layouts below, which are the
// waypoint's 28 bytes read another way, so a record moves between the two
// forms through its bytes (T_NAV_GROUP_vFromWaypoint / vToWaypoint).
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"

// Constants ---------------------------------------------------------------

constexpr U32 GROUP_BODY_LINKS = 12;
constexpr U32 GROUP_NAME_CHARS = 12;
constexpr U16 NAV_ROOT_LOCKED_SLOT = 2999;

// Types -------------------------------------------------------------------

typedef struct tag_GROUP_HEADER_V1 {
    U8 u8Status : 6;
    U8 bHide : 1;        // the group and all below it are hidden
    U8 bWpNotShared : 1; // locked: not shared with other units
    U8 u8Icon;
    U16 u16Depth;          // 0
    U32 u32DateTime;       // creation; 0 for the root group
    U16 u16ParentIndex;    // group id of the parent; 0xFFFF for the root
    U16 u16Reserved1;      // 0
    U16 u16FirstBodyIndex; // group id of the first body; 0xFFFF none
    U16 u16Reserved2;      // 0
    char sName[GROUP_NAME_CHARS]; // NUL-padded
} GROUP_HEADER_V1;
typedef GROUP_HEADER_V1 GROUP_HEADER;

typedef struct tag_GROUP_BODY_V1 {
    U8 u8Status : 6;
    U8 bHide : 1;
    U8 bWpNotShared : 1; // the body belongs to the locked part
    U8 u8Icon;           // 0
    U16 u16NextIndex;    // next body; 0xFFFF ends; 0xCFFF (root only) goes on with the locked part
    U16 u16Item[GROUP_BODY_LINKS]; // item ids; 0xFFFF free
} GROUP_BODY_V1;
typedef GROUP_BODY_V1 GROUP_BODY;

typedef union tag_GROUP_SLOT {
    GROUP_HEADER header;
    GROUP_BODY body;
} GROUP_SLOT;

// Codecs: the 28-byte layouts, little-endian --------------------------------------

void T_NAV_GROUP_vEncodeHeader(const GROUP_HEADER* pHeader, U8* pu8Out);
void T_NAV_GROUP_vDecodeHeader(const U8* pu8In, GROUP_HEADER* pHeader);
void T_NAV_GROUP_vEncodeBody(const GROUP_BODY* pBody, U8* pu8Out);
void T_NAV_GROUP_vDecodeBody(const U8* pu8In, GROUP_BODY* pBody);
// The record a waypoint slot holds, as a header or body by its status
// (anything but 17 reads as a header), and back.
void T_NAV_GROUP_vFromWaypoint(const WAYPOINT* pWaypoint, GROUP_SLOT* pSlot);
void T_NAV_GROUP_vToWaypoint(const GROUP_SLOT* pSlot, WAYPOINT* pWaypoint);
// The status of a slot: 16, 17 or 63.
BOOLEAN T_NAV_GROUP_bIsGroupStatus(U32 u32Status);
// A group id: tag 0xC000 and a slot below 3000 (0xCFFF is not one).
BOOLEAN T_NAV_GROUP_bIsGroupId(U16 u16Id);

// Slots of the unit's own table --------------------------------------------------
//
// T_NAV_bSetGroupSlot takes the navigation-data mutex itself; the others
// take it too (it is recursive), so that a caller without it is safe.

// Takes a slot of the shared (FALSE) or locked (TRUE) part, clears it,
// sets status 63 and returns 0xC000 | slot; 0xFFFF when the part is full
// (nothing changed then).
U16 T_NAV_nAllocGroupSlot(BOOLEAN bNotShared);
// Frees the slot of 0xCFFF or of a group id holding a group slot, and
// removes its file (point-of-sale override). Anything else: nothing.
void T_NAV_vFreeGroupSlot(U16 u16Id);
// The slot of 0xCFFF or of a group id, when it holds a group slot; null.
GROUP_SLOT* T_NAV_pGetGroupSlot(U16 u16Id);
// Copies the slot's record out; FALSE when T_NAV_pGetGroupSlot has none.
BOOLEAN T_NAV_bReadGroupSlot(U16 u16Id, GROUP_SLOT* pSlot);
// Writes a header or body (status 16 or 17) into its slot and its file.
// A bad id shows "Set Group Slot ERR: SLOT INDEX INVALID !!!", a body
// linking to its own slot "Set Group Slot ERR: SLOT LINK ITSELF !!!"
// (2 s each, in the group manager's pop-up); both give FALSE.
BOOLEAN T_NAV_bSetGroupSlot(U16 u16Id, const GROUP_SLOT* pRecord);
// The not-shared bit of a waypoint, group or route id; FALSE for others.
BOOLEAN T_NAV_bIsNotSharedLink(U16 u16Id);
// TRUE while the part a new shared (FALSE) or locked (TRUE) waypoint or
// group would go to has a free slot clear of the separator's reserve.
BOOLEAN T_NAV_vRoomForWptOrGroup(BOOLEAN bWpNotShared);
// Clears one slot outright and removes its file; an own waypoint is first
// dropped from the current route (hook of the waypoint table).
void T_NAV_vDeleteGpWpSlot(U16 u16Id);
// The slot's hash entry becomes the CRC-16 of its 28 bytes.
void T_NAV_vUpdateWaypointHashTableItem(U16 u16Id);
