// Searches of a group's links for an item of equal content: item ids
// differ between units and card sets while the content is what the user
// sees, so linking, merging and inserting compare content.
//
// None of these lock; callers hold the navigation-data mutex.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_record.h"
#include "nav/data/t_nav_space.h"

typedef enum tag_COMPARE_STYLE {
    FIND_GROUPHEADER_IN_GROUP = 0, // a GROUP_HEADER
    FIND_WAYPOINT_IN_GROUP = 1,    // a WAYPOINT
    FIND_ROUTE_IN_GROUP = 2,       // a ROUTE
    FIND_TRACK_IN_GROUP = 3,       // a TRACK_HEADER
    FIND_RUMBREL_IN_GROUP = 4      // a RUMBREL_HEADER
} COMPARE_STYLE;

// Headers equal in their first byte, icon, depth, date-time and name.
BOOLEAN T_NAV_bGroupCompare(const GROUP_HEADER* pA, const GROUP_HEADER* pB);
// Equal points, count, first step, date-time and 20 name characters.
BOOLEAN T_NAV_DATA_bTrackCompareEX(const TRACK_HEADER* pTrack1, const TRACK_HEADER* pTrack2);
// Equal count, date-time and 12 name characters.
BOOLEAN T_NAV_DATA_bRumbrelCompareEX(const RUMBREL_HEADER* pRumbrelHeader1, const RUMBREL_HEADER* pRumbrelHeader2);
// Content equality of two routes without a space: the hidden bit is not
// compared, the not-shared bit is.
BOOLEAN T_NAV_bRouteContentCompare(const ROUTE* pA, const ROUTE* pB);

// The id of the link of the own group groupId whose item equals `item` by
// the kind `style` names; 0xFFFF when none.
U16 T_NAV_u16FindInGroup(COMPARE_STYLE style, const void* item, U16 groupId);
// TRUE when the group already links an item of the kind and content of the
// own item itemId. A locked item into the root group is compared with the
// root's locked links only, any other with the shared links.
BOOLEAN T_NAV_bHasSameContentLinkInTargetGroup(U16 groupId, U16 itemId);

// TRUE when one of the own group's route links names a route equal to
// `route` of the space pData: equal count, date-time and name, and each
// point's record byte for byte equal to the space's record (two 0xFFFF
// points match; one 0xFFFF or an index outside the space does not).
BOOLEAN T_NAV_bFindRouteInGroup(const ROUTE* route, NAV_DATA_SPACE* pData, U16 groupId);
