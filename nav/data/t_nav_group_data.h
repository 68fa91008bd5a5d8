// The group tree: the user's folders of waypoints, routes, saved tracks,
// trolling-motor tracks and sub-groups.
//
// A group is one header slot and a singly linked chain of body slots in
// bank 0 of the waypoint table (see t_nav_group_slot.h); each body holds
// 12 links (item ids, 0xFFFF free). An item may be linked into several
// groups, a group into one parent. The root group's chain has a shared
// part, whose last body links on to 0xCFFF, and a locked part starting at
// slot 2999 and ending with 0xFFFF.
//
// Chains come from flash and from other units, so every walk guards
// against damage: link operations register bodies with
// T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX and stop at one met twice;
// the membership tests count steps and give up past 99999, and enter no
// group or body twice.
//
// Everything runs under the navigation-data mutex (recursive), which the
// operations take themselves; the id getters read without it.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_space.h"

// Constants ---------------------------------------------------------------

constexpr U32 NAV_GROUP_WALK_STEPS = 99999;
// Visited lists: as long as the table, so a chain of every slot fits.
constexpr U32 NAV_GROUP_VISITED = 3000;

// Root and default group ----------------------------------------------------------

U16 T_NAV_GROUP_DATA_nGetRootGroup(void);
U16 T_NAV_GROUP_DATA_vGetRootGroupIndex(void);
U16 T_NAV_GROUP_DATA_nGetDefaultGroup(void);
// FALSE unless groupID names a slot holding a group record; else it becomes
// the default group and "SNDG".
BOOLEAN T_NAV_GROUP_DATA_bSetDefaultGroup(U16 groupID);
// Store-internal, for the group start-up: the root group found or built
// (0xFFFF none). Setting one also registers the move follower that keeps
// group links on moved waypoints.
void T_NAV_GROUP_DATA_vSetRootGroup(U16 u16Root);
// Store-internal: the default group without checks or "SNDG".
void T_NAV_GROUP_DATA_vSetDefaultGroupId(U16 u16Id);
// Builds the first shared body and the locked body in slot 2999 of a root
// group just created; FALSE when a slot cannot be had.
BOOLEAN T_NAV_GROUP_DATA_bAddShareLockBody(U16 indexGroup);

// Groups -----------------------------------------------------------------------------

U16 T_NAV_GROUP_DATA_nNewGroup(GROUP_HEADER_V1* pNewGroup);
U16 T_NAV_GROUP_DATA_nNewGroupEX(NAV_DATA_SPACE* pData, GROUP_HEADER_V1* pNewGroup);
BOOLEAN T_NAV_GROUP_DATA_bModifyGroup(U16 indexGroup, GROUP_HEADER_V1* pGroup);
BOOLEAN T_NAV_GROUP_DATA_bModifyGroupEX(NAV_DATA_SPACE* pData, U16 indexGroup, GROUP_HEADER_V1* pGroup);
// Frees the header of the group and of every sub-group below it, each
// once; bodies and linked items stay for the clean-up. FALSE when
// indexGroup holds no group slot.
BOOLEAN T_NAV_GROUP_DATA_bDeleteGroup(U16 indexGroup);
BOOLEAN T_NAV_GROUP_DATA_bDeleteGroupEX(NAV_DATA_SPACE* pData, U16 indexGroup);
// Placeholder: fills nothing, 0.
S32 T_NAV_GROUP_DATA_nGetGroupChildList(U16 indexGroup, U16 startChild, U16* pChildList, U32 lenList);
// Hook for inconsistent group data: nothing.
void T_NAV_GROUP_DATA_vDisplayGroupNavDataError(const char* pFileName, U32 nLine);

// Walks and tests -------------------------------------------------------------------

// Starts a walk's visited body list with its first body.
void T_NAV_GROUP_DATA_vStartBodyWalk(U16 u16FirstBody);
// The cycle guard: TRUE for 0xFFFF and for a body (status 17) not met yet
// in this walk, which is then registered.
BOOLEAN T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(NAV_DATA_SPACE* pData, U16 groupBody);
BOOLEAN T_NAV_GROUP_DATA_bIsValidGroupNavData(U16 nItemUid);
BOOLEAN T_NAV_GROUP_DATA_bIsInAnyGroup(U16 indexWaypoint);
BOOLEAN T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(U16 indexWaypoint);
BOOLEAN T_NAV_GROUP_DATA_bIsInGroup(U16 uidGroup, U16 uidItemToCheck, U32* pu32InfiniteLoopDetectCnt);
BOOLEAN T_NAV_GROUP_DATA_bIsInVisibleGroup(U16 uidGroup, U16 uidItemToCheck, U32* pu32InfiniteLoopDetectCnt);
// One walk of the tree below the root marking every own waypoint slot that
// T_NAV_GROUP_DATA_bIsInAnyVisibleGroup would answer TRUE for: bit s of
// byte s / 8. All zero without a root.
void T_NAV_GROUP_DATA_vBuildVisibleBitmap(U8 au8Bitmap[NAV_GROUP_VISITED / 8]);
// The same bitmap for the chart overlay, which asks for every waypoint in
// every frame: rebuilt only when the own table, the routes or the root
// changed since the last call, so an unchanged tree costs one comparison
// per frame. Valid until the next call.
const U8* T_NAV_GROUP_DATA_pu8GetVisibleBitmap(void);
