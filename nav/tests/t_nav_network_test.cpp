// The network waypoint store: which bank an address names, how peers come
// and go, what a received slice does to the sender's bank (and that a bad
// one does nothing), and which local changes reach the sending callback.
#include "nav/tests/nav_waypoint_util.h"

#include <gtest/gtest.h>

namespace {

using namespace navw;

const U32 LOOPBACK = htonl(0x7F000001);

TEST_F(WaypointStore, TheOwnAddressComesFromTheInterfaceAndNamesBankZero)
{
    GSOCKET_vSetInterface("nosuchif0");
    EXPECT_FALSE(T_NAV_NETWORK_bInit(recordSend));
    share();
    for (U32 address : {0u, 0x7F000001u, LOOPBACK})
        EXPECT_EQ(T_NAV_NETWORK_nGetPeer(address), 0) << std::hex << address;
    EXPECT_EQ(T_NAV_NETWORK_nGetPeer(PEER_A), -1);
    for (U32 address : {0u, 0x7F000001u, LOOPBACK}) {
        EXPECT_EQ(T_NAV_NETWORK_nAddPeer(address), 0);
        EXPECT_EQ(T_NAV_NETWORK_nDeletePeer(address), -1);
    }
    EXPECT_EQ(T_NAV_NETWORK_nDeletePeer(PEER_A), -1);
    EXPECT_EQ(T_NAV_NETWORK_nGetMaxWaypointIndex(PEER_A), -1);
}

TEST_F(WaypointStore, ANewPeerTakesTheFirstFreeBankAndAKnownOneKeepsItsWaypoints)
{
    EXPECT_EQ(T_NAV_NETWORK_nAddPeer(PEER_A), 1);
    EXPECT_EQ(T_NAV_NETWORK_nAddPeer(PEER_B), 2);
    EXPECT_EQ(T_NAV_NETWORK_nAddPeer(PEER_C), 3);
    EXPECT_EQ(T_NAV_NETWORK_nAddPeer(PEER_D), -1);
    EXPECT_EQ(T_NAV_NETWORK_nDeletePeer(PEER_B), 2);
    EXPECT_EQ(T_NAV_NETWORK_nGetPeer(PEER_B), -1);

    EXPECT_EQ(T_NAV_NETWORK_nAddPeer(PEER_D), 2);
    const WAYPOINT w = wp(WP_STATUS_PERMANENT, 5, 5, "D");
    ASSERT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_D, 7, 1, &w, 1, NAV_NETWORK_OP_ADD));
    EXPECT_EQ(T_NAV_NETWORK_nGetMaxWaypointIndex(PEER_D), 8);
    EXPECT_EQ(T_NAV_NETWORK_nAddPeer(PEER_D), 2);
    EXPECT_EQ(slot(2, 7).u8Status, WP_STATUS_PERMANENT) << "re-adding does not empty the bank";

    EXPECT_EQ(T_NAV_NETWORK_nDeletePeer(PEER_D), 2);
    EXPECT_EQ(slot(2, 7).u8Status, WP_STATUS_FREE);
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(2), 0);
}

TEST_F(WaypointStore, AnEditSliceStoresAndFreesSlotsInBulkMode)
{
    T_NAV_TWR_HOOKS hooks = recordingHooks();
    T_NAV_TWR_vInstallHooks(&hooks);
    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(PEER_A), 1);
    const WAYPOINT before[2] = {wp(WP_STATUS_PERMANENT, 1, 1, "OLD0"), wp(WP_STATUS_PERMANENT, 2, 2, "OLD1")};
    ASSERT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_A, 10, 2, before, 2, NAV_NETWORK_OP_ADD));
    calls() = Calls{};

    const WAYPOINT slice[2] = {wp(WP_STATUS_PERMANENT, 3, 3, "NEW0"), wp(WP_STATUS_FREE, 0, 0, "")};
    EXPECT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_A, 10, 2, slice, 2, NAV_NETWORK_OP_EDIT));
    EXPECT_TRUE(navt::sameWaypoint(slot(1, 10), slice[0]));
    EXPECT_EQ(slot(1, 11).u8Status, WP_STATUS_FREE);
    EXPECT_EQ(calls().bulkAtCursorToMenu, std::vector<bool>{true}) << "the freed slot was handled in bulk mode";
    EXPECT_FALSE(T_NAV_TWR_bGetMultiWaypointFlag());
    EXPECT_EQ(calls().refresh, 1);

    // A delete slice reads no records; a group record in a slice is skipped.
    WAYPOINT group = wp(WP_STATUS_GROUP_HEADER, 0, 0, "G");
    EXPECT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_A, 12, 1, &group, 1, NAV_NETWORK_OP_ADD));
    EXPECT_EQ(slot(1, 12).u8Status, WP_STATUS_FREE);
    EXPECT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_A, 10, 1, nullptr, 0, NAV_NETWORK_OP_DELETE));
    EXPECT_EQ(slot(1, 10).u8Status, WP_STATUS_FREE);
    EXPECT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_A, 0, 0, nullptr, 0, NAV_NETWORK_OP_EDIT));
}

TEST_F(WaypointStore, ABadSliceIsRefusedCountedAndStoresNothing)
{
    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(PEER_A), 1);
    std::vector<WAYPOINT> records(3, wp(WP_STATUS_PERMANENT, 4, 4, "R"));
    struct Case {
        const char* what;
        U32 address;
        U16 start;
        U16 count;
        const WAYPOINT* data;
        U32 records;
        NAV_NETWORK_OP op;
        bool counted;
    };
    const Case cases[] = {
        {"past slot 2999", PEER_A, 2998, 3, records.data(), 3, NAV_NETWORK_OP_ADD, true},
        {"past slot 2999, delete", PEER_A, 2999, 2, nullptr, 0, NAV_NETWORK_OP_DELETE, true},
        {"start past the bank", PEER_A, 3000, 1, records.data(), 3, NAV_NETWORK_OP_EDIT, true},
        {"fewer records than counted", PEER_A, 0, 3, records.data(), 2, NAV_NETWORK_OP_ADD, true},
        {"no records", PEER_A, 0, 1, nullptr, 1, NAV_NETWORK_OP_EDIT, true},
        {"unknown operation", PEER_A, 0, 1, records.data(), 1, (NAV_NETWORK_OP)3, true},
        {"unknown sender", PEER_B, 0, 3, records.data(), 3, NAV_NETWORK_OP_ADD, false},
    };
    for (const Case& c : cases) {
        const U32 refused = T_NAV_NETWORK_u32GetRefusedSlices();
        EXPECT_FALSE(T_NAV_NETWORK_bSetWaypointData(c.address, c.start, c.count, c.data, c.records, c.op)) << c.what;
        EXPECT_EQ(T_NAV_NETWORK_u32GetRefusedSlices(), refused + (c.counted ? 1 : 0)) << c.what;
        for (S32 bank = 0; bank < 4; ++bank)
            EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(bank), 0) << c.what;
    }
    EXPECT_FALSE(T_NAV_bWaypointsExist());

    // The last slot itself is in range; a slice from this unit's own
    // addresses never writes the own bank.
    EXPECT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_A, 2999, 1, records.data(), 1, NAV_NETWORK_OP_ADD));
    EXPECT_EQ(slot(1, 2999).u8Status, WP_STATUS_PERMANENT);
    EXPECT_TRUE(T_NAV_NETWORK_bSetWaypointData(0, 0, 3, records.data(), 3, NAV_NETWORK_OP_ADD));
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(0), 0);
}

TEST_F(WaypointStore, APeersRequestReadsItsRangeOfTheBank)
{
    share();
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    add(wp(WP_STATUS_PERMANENT, 1, 1, "A"));
    add(wp(WP_STATUS_PERMANENT, 2, 2, "B"));
    WAYPOINT out[2] = {};
    EXPECT_TRUE(T_NAV_NETWORK_bFetchWaypointData(0, 0, 2, out));
    EXPECT_TRUE(navt::sameWaypoint(out[1], slot(0, 1)));
    EXPECT_EQ(T_NAV_NETWORK_nGetMaxWaypointIndex(0), 2);
    EXPECT_FALSE(T_NAV_NETWORK_bFetchWaypointData(0, 2999, 2, out));
    EXPECT_FALSE(T_NAV_NETWORK_bFetchWaypointData(PEER_B, 0, 1, out));
}

TEST_F(WaypointStore, ChangesInBulkModeLeaveAsOneEditOfTheWholeTable)
{
    share();
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
    for (int i = 0; i < 3; ++i)
        add(wp(WP_STATUS_PERMANENT, i, i, "BULK"));
    EXPECT_TRUE(sent().empty());
    T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0].op, NAV_NETWORK_OP_EDIT);
    EXPECT_EQ(sent()[0].address, 0u);
    EXPECT_EQ(sent()[0].index, 0);
    EXPECT_EQ(sent()[0].count, 3000);
    EXPECT_TRUE(navt::sameWaypoint(sent()[0].records[2], slot(0, 2)));

    // Nothing held back: the end of bulk mode sends nothing.
    sent().clear();
    T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
    T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
    EXPECT_TRUE(sent().empty());
}

TEST_F(WaypointStore, TheChangeHooksSendNothingPastTheLastSlotOrForAnEmptyBank)
{
    share();
    const WAYPOINT w[2] = {wp(WP_STATUS_PERMANENT, 1, 1, "A"), wp(WP_STATUS_PERMANENT, 1, 1, "B")};
    T_NAV_NETWORK_vAddWaypoint(2999, 2, w);
    T_NAV_NETWORK_vAddWaypoint(5, 1, nullptr);
    T_NAV_NETWORK_vEditWaypoint(2999, 2, w, 0);
    T_NAV_NETWORK_vDeleteWaypoint(2999, 2, 0);
    T_NAV_NETWORK_vEditWaypoint(1, 1, w, 2); // no peer holds bank 2
    T_NAV_NETWORK_vDeleteWaypoint(1, 1, 4);
    EXPECT_TRUE(sent().empty());

    T_NAV_NETWORK_vAddWaypoint(2998, 2, w);
    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(PEER_A), 1);
    T_NAV_NETWORK_vDeleteWaypoint(3, 1, 1);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[0].op, NAV_NETWORK_OP_ADD);
    EXPECT_EQ(sent()[0].count, 2);
    EXPECT_EQ(sent()[1].address, PEER_A);
    EXPECT_EQ(sent()[1].op, NAV_NETWORK_OP_DELETE);
}

} // namespace
