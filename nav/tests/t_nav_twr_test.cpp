// Item ids at each kind's bounds, and the table accessors: 0xFFFF names
// nothing anywhere, group and waypoint ids of a slot share its record, and
// the flag bits of a slot change neither its status nor its id.
#include "nav/data/t_nav_twr.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(NavItemIds, EachKindIsRecognisedUpToItsBoundAndNoFurther)
{
    struct Case {
        U16 id;
        UNIFIED_TWR_TYPE type;
        U8 bank;
        U16 index;
        U16 unit;
    };
    const Case cases[] = {
        {0x0000, TWR_TYPE_WAYPOINT, 0, 0, 0},
        {0x0BB7, TWR_TYPE_WAYPOINT, 0, 2999, 0},
        {0x0BB8, TWR_TYPE_INVALID, 0, 0, 0},
        {0x1000, TWR_TYPE_WAYPOINT, 1, 0, 0},
        {0x3BB7, TWR_TYPE_WAYPOINT, 3, 2999, 0},
        {0x3FFF, TWR_TYPE_INVALID, 0, 0, 0},
        {0xC000, TWR_TYPE_GROUP, 0, 0, 0},
        {0xCBB7, TWR_TYPE_GROUP, 0, 2999, 0},
        {0xCBB8, TWR_TYPE_INVALID, 0, 0, 0},
        {0xD005, TWR_TYPE_GROUP, 1, 5, 0},
        {0xCFFF, TWR_TYPE_INVALID, 0, 0, 0}, // the root group's separator
        {0xFFFF, TWR_TYPE_INVALID, 0, 0, 0},
        {0x8800, TWR_TYPE_ROUTE, 0, 0, 0},
        {0x8831, TWR_TYPE_ROUTE, 0, 49, 0},
        {0x8832, TWR_TYPE_INVALID, 0, 0, 0},
        {0x9805, TWR_TYPE_INVALID, 0, 0, 0}, // bit 12 set: index 0x1005
        {0x8040, TWR_TYPE_TRACK, 0, 0, 64},
        {0x87F1, TWR_TYPE_TRACK, 0, 49, 1984},
        {0x8032, TWR_TYPE_INVALID, 0, 0, 0},
        {0x803F, TWR_TYPE_INVALID, 0, 0, 0},
        {0x4C00, TWR_TYPE_RUMBREL, 0, 0, 0},
        {0x4C31, TWR_TYPE_RUMBREL, 0, 49, 0},
        {0x4C32, TWR_TYPE_INVALID, 0, 0, 0},
        {0x4D00, TWR_TYPE_INVALID, 0, 0, 0},
        {0x7C05, TWR_TYPE_RUMBREL, 0, 5, 0}, // bits 12-13 are not part of the tag
        {0x4000, TWR_TYPE_INVALID, 0, 0, 0},
    };
    for (const Case& c : cases) {
        NAV_ITEM_ID item;
        memset(&item, 0xAA, sizeof item);
        EXPECT_EQ(T_NAV_TWR_eDecodeId(c.id, &item), c.type) << std::hex << c.id;
        EXPECT_EQ(item.eType, c.type) << std::hex << c.id;
        EXPECT_EQ(item.u8Bank, c.bank) << std::hex << c.id;
        EXPECT_EQ(item.u16Index, c.index) << std::hex << c.id;
        EXPECT_EQ(item.u16Unit, c.unit) << std::hex << c.id;
    }
}

TEST(NavTables, NoneIsNeverFoundAndIndexesPastATableGiveNothing)
{
    T_NAV_TWR_vClearTables();
    EXPECT_EQ(T_NAV_pGetWaypoint(NAV_ID_NONE), nullptr);
    EXPECT_EQ(T_NAV_pGetWaypoint(0x0BB8), nullptr);
    EXPECT_EQ(T_NAV_pGetWaypoint(NAV_ID_SEPARATOR), nullptr);
    EXPECT_EQ(T_NAV_pGetRoute(NAV_ID_NONE), nullptr);
    EXPECT_EQ(T_NAV_pGetRoute(50), nullptr);
    EXPECT_EQ(T_NAV_pGetTrackHeader(NAV_ID_NONE), nullptr);
    EXPECT_EQ(T_NAV_pGetTrackHeader(50), nullptr);
    EXPECT_EQ(T_NAV_TWR_pGetNetworkWaypoint(0xFFF, 3), nullptr);
    EXPECT_EQ(T_NAV_TWR_pGetNetworkWaypoint(3000, 0), nullptr);
    // A bank past 3 would land in the tag bits and alias bank 0.
    EXPECT_EQ(T_NAV_TWR_pGetNetworkWaypoint(5, 4), nullptr);
    EXPECT_EQ(T_NAV_TWR_pGetNetworkWaypoint(5, -1), nullptr);
    ASSERT_NE(T_NAV_pGetRoute(49), nullptr);
    ASSERT_NE(T_NAV_pGetTrackHeader(49), nullptr);
    EXPECT_EQ(T_NAV_pGetTrackHeader(49)->u16Count, 0) << "cleared";
}

TEST(NavTables, AGroupIdAndTheWaypointIdOfItsSlotShareTheRecord)
{
    T_NAV_TWR_vClearTables();
    WAYPOINT* w = T_NAV_pGetWaypoint(0x0123);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(T_NAV_pGetWaypoint(0xC123), w);
    EXPECT_EQ(T_NAV_TWR_pGetNetworkWaypoint(0x123, 0), w);
    WAYPOINT* peer = T_NAV_TWR_pGetNetworkWaypoint(0x123, 2);
    EXPECT_EQ(T_NAV_pGetWaypoint(0x2123), peer);
    EXPECT_NE(peer, w);
    EXPECT_TRUE(T_NAV_TWR_bIsLocalWaypoint(0x0123));
    EXPECT_TRUE(T_NAV_TWR_bIsLocalWaypoint(0xC123));
    EXPECT_FALSE(T_NAV_TWR_bIsLocalWaypoint(0x2123));

    // The flag bits sit beside the status, not in it.
    w->u8Status = WP_STATUS_GROUP_HEADER;
    w->bHide = 1;
    w->bWpNotShared = 1;
    U8 bytes[WAYPOINT_BYTES];
    T_NAV_RECORD_vEncodeWaypoint(w, bytes);
    EXPECT_EQ(bytes[0], 0xD0);
    WAYPOINT back{};
    T_NAV_RECORD_vDecodeWaypoint(bytes, &back);
    EXPECT_EQ(back.u8Status, WP_STATUS_GROUP_HEADER);
    EXPECT_EQ(T_NAV_pGetWaypoint(0xC123)->u8Status, WP_STATUS_GROUP_HEADER);
    T_NAV_TWR_vClearTables();
    EXPECT_EQ(w->u8Status, 0);
}

} // namespace
