// The start-up of the group layer, the unit's group-ownership id and the
// building of a root group.
//
// At start-up the unit id is settled ("SUID", else derived from "SMDL" and
// "SENU"), the root group is looked for among all 3000 own slots and,
// after an upgrade from a release without groups or when there is none,
// built afresh with every stored item linked into it; a found root gets a
// first clean-up. The default group comes back from "SNDG".
#pragma once

#include "kernel/l_types.h"

// Constants ---------------------------------------------------------------

constexpr U16 NAV_UNIT_ID_STEP = 64;
constexpr U16 NAV_UNIT_ID_MAX = 1984;

// Start-up ------------------------------------------------------------------

// TRUE when the version check found an upgrade from a release before
// groups; the composition root installs the system's answer. Null: FALSE.
typedef BOOLEAN (*NAV_GROUP_UPGRADE_QUERY)(void);
void T_NAV_GROUP_DATA_vInstallUpgradeQuery(NAV_GROUP_UPGRADE_QUERY pfnQuery);

// Called once by the store's start-up after the tables are loaded. Also
// installs delete-all's root builder and the spaces' clean-up.
void T_NAV_GROUP_DATA_vInitGroups(void);
// A new root group "Home" with its first shared and locked bodies; it
// becomes the default group. FALSE when no slot is free.
BOOLEAN T_NAV_GROUP_DATA_bBuildRootGroup(void);
// Links every stored waypoint (shared, then locked), route (shared, then
// locked) and saved track into the root group.
void T_NAV_GROUP_DATA_vLinkAllTwrIntoRootGroup(void);

// Unit id -------------------------------------------------------------------

// 0 before the start-up.
U16 T_NAV_GROUP_DATA_u16Getu7UnitID(void);
// Step 1 of the start-up: "SUID" when it holds a unit id, else the id
// derived from "SMDL" and "SENU" (each 0 when missing), then stored.
void T_NAV_GROUP_DATA_vSettleUnitID(void);
// The id (a multiple of 64, 64-1984) derived from model and serial number.
U16 T_NAV_GROUP_DATA_u16DeriveUnitID(U32 u32Model, U32 u32Serial);
// Rewrites the unit bits of this unit's saved-track links in the whole
// tree (in memory) and takes the new id; FALSE without a root, for an id
// that is not a unit id, or when the walk gave up.
BOOLEAN T_NAV_GROUP_DATA_bChangeu7UnitID(U16 u7UnitID);
BOOLEAN T_NAV_GROUP_DATA_bChangeu7UnitIDInGroup(U16 uidGroup, U16 u7UnitID, U32* pu32InfiniteLoopDetectCnt);

// Start-up helpers that the start-up itself does not use --------------------

BOOLEAN T_NAV_GROUP_DATA_bCreateRootGroupForLoading(void);
BOOLEAN T_NAV_GROUP_DATA_bLoadRootGroup(void);
void T_NAV_GROUP_DATA_vReloadGroups(void);

// Store-internal, for tests: forget the unit id (0).
void T_NAV_GROUP_DATA_vResetUnitID(void);
