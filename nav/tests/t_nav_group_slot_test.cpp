// Group slots: where a group record may be taken in the split table,
// which writes are refused (and with which note), freeing and clearing,
// the not-shared bit of any id, and the room test around the separator.
#include "nav/tests/nav_group_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace navg;

using GroupSlots = GroupStore;

TEST_F(GroupSlots, TheLockedPartsFirstBodyIsReachedOnlyWhenItHoldsAGroupRecord)
{
    put(2999, body({}, 0xFFFF, true));
    EXPECT_EQ(T_NAV_pGetGroupSlot(0xCFFF), reinterpret_cast<GROUP_SLOT*>(&slot(0, 2999)));
    slot(0, 2999) = wp(1, 1, 1, "W", true);
    EXPECT_EQ(T_NAV_pGetGroupSlot(0xCFFF), nullptr);
    EXPECT_EQ(T_NAV_pGetGroupSlot(0xC000 | 2999), nullptr);
    EXPECT_EQ(T_NAV_pGetGroupSlot(0x0005), nullptr) << "a waypoint id";
}

TEST_F(GroupSlots, RefusedWritesSayWhyOnlyForBadIdsAndSelfLinks)
{
    const char* INDEX = "Set Group Slot ERR: SLOT INDEX INVALID !!!";
    const char* ITSELF = "Set Group Slot ERR: SLOT LINK ITSELF !!!";
    struct Case {
        const char* what;
        U16 id;
        GROUP_SLOT record;
        bool stored;
        const char* note; // null: none
    };
    GROUP_SLOT waypointRecord{};
    waypointRecord.header.u8Status = WP_STATUS_PERMANENT;
    const Case cases[] = {
        {"a body", 0xC00A, body({1, 2}, 0xC00B), true, nullptr},
        {"a header", 0xC00A, header("G", 0xC000, 0xC00B), true, nullptr},
        {"the locked part's body", 0xCFFF, body({}, 0xFFFF, true), true, nullptr},
        {"a body linking itself", 0xC00A, body({}, 0xC00A), false, ITSELF},
        {"a waypoint id", 0x1234, body({}), false, INDEX},
        {"a slot past the table", 0xC000 | 3000, body({}), false, INDEX},
        {"a group id with bank bits", 0xD005, body({}), false, nullptr},
        {"a record that is no group record", 0xC00A, waypointRecord, false, nullptr},
    };
    for (const Case& c : cases) {
        SetUp();
        navt::LogCapture log;
        EXPECT_EQ(T_NAV_bSetGroupSlot(c.id, &c.record) != FALSE, c.stored) << c.what;
        const U32 s = c.id == 0xCFFF ? 2999 : c.id & 0x3FFF;
        if (c.stored) {
            EXPECT_EQ(slot(0, s).u8Status, c.record.header.u8Status) << c.what;
            EXPECT_TRUE(fileExists(s)) << c.what;
            EXPECT_EQ(read(s).body.u16NextIndex, c.record.body.u16NextIndex) << c.what;
        } else if (s < 3000) {
            EXPECT_EQ(slot(0, s).u8Status, WP_STATUS_FREE) << c.what;
        }
        EXPECT_EQ(log.count({"SLOT"}), c.note ? 1 : 0) << c.what;
        if (c.note) {
            EXPECT_EQ(log.count({c.note, "2 s"}), 1) << c.what;
        }
        TearDown();
    }
}

TEST_F(GroupSlots, AllocationFollowsTheSplit)
{
    // Split not enforced: a free slot 0 found first ends the search.
    T_NAV_TWR_bDisableShareLockSeperator(TRUE);
    EXPECT_EQ(T_NAV_nAllocGroupSlot(FALSE), 0xFFFF);
    EXPECT_EQ(slot(0, 0).u8Status, WP_STATUS_FREE);
    const U16 locked = T_NAV_nAllocGroupSlot(TRUE);
    EXPECT_EQ(locked, 0xFFFF) << "slot 2999 is free and found first";
    T_NAV_TWR_bDisableShareLockSeperator(FALSE);

    // Enforced, slots 0-39 shared and nothing locked: the shared part grows.
    std::vector<std::pair<U32, WAYPOINT>> shared;
    for (U32 s = 0; s < 40; ++s)
        shared.push_back({s, wp(1, (S32)s, 0, "S")});
    place(shared);
    const S32 usedBefore = T_NAV_TWR_nGetMaxUsedWaypointIndex(0);
    EXPECT_EQ(T_NAV_nAllocGroupSlot(FALSE), 0xC000 | 40);
    EXPECT_EQ(slot(0, 40).u8Status, WP_STATUS_GROUP_WRITING);
    EXPECT_EQ(T_NAV_s16GetMaxShareWaypointIndex(), 40);
    EXPECT_EQ(T_NAV_TWR_nGetShareLockSeparator(), 40);
    EXPECT_EQ(usedBefore, 40);
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(0), 41) << "the mark covers the new slot";

    // A locked group takes the top of the table; a waypoint added after
    // both still finds its place.
    EXPECT_EQ(T_NAV_nAllocGroupSlot(TRUE), 0xC000 | 2999);
    EXPECT_EQ(T_NAV_s16GetMinLockWaypointIndex(), 2999);
    const U16 w = add(wp(1, 5, 5, "NEW"));
    EXPECT_NE(w, 0xFFFF);
    EXPECT_LT(w, 2999);
}

TEST_F(GroupSlots, AFullSharedPartNeverTakesAUsedSlotBeyondTheSeparator)
{
    std::vector<std::pair<U32, WAYPOINT>> used;
    for (U32 s = 0; s < 3000; ++s)
        used.push_back({s, wp(1, (S32)s, 0, "X", s >= 11)});
    place(used);
    T_NAV_TWR_vSetShareSplit(10, 10, 11);
    const WAYPOINT before = slot(0, 11);
    EXPECT_EQ(T_NAV_nAllocGroupSlot(FALSE), 0xFFFF);
    EXPECT_TRUE(navt::sameWaypoint(slot(0, 11), before));
}

TEST_F(GroupSlots, FreeingClearsOnlyGroupSlotsAndTheirFiles)
{
    const U16 g = T_NAV_nAllocGroupSlot(FALSE);
    ASSERT_NE(g, 0xFFFF);
    GROUP_SLOT b = body({7});
    ASSERT_TRUE(T_NAV_bSetGroupSlot(g, &b));
    const U32 s = g & 0x3FFF;
    ASSERT_TRUE(fileExists(s));
    const U16 w = add(wp(1, 1, 2, "W"));
    T_NAV_vFreeGroupSlot(w); // a waypoint id: nothing
    T_NAV_vFreeGroupSlot((U16)(0xC000 | w)); // a waypoint's slot: nothing
    EXPECT_EQ(slot(0, w).u8Status, WP_STATUS_PERMANENT);
    navt::setState(6); // point of sale: the override still removes the file
    T_NAV_vFreeGroupSlot(g);
    EXPECT_EQ(slot(0, s).u8Status, WP_STATUS_FREE);
    EXPECT_FALSE(fileExists(s));
}

TEST_F(GroupSlots, TheNotSharedBitOfAnyKindOfId)
{
    place({{3, wp(1, 0, 0, "L", true)}, {4, wp(1, 0, 0, "S")}});
    put(5, header("G", 0xFFFF, 0xFFFF, false, true));
    slot(2, 6) = wp(1, 0, 0, "P", true);
    *T_NAV_pGetRoute(2) = route({3}, true);
    struct Case {
        U16 id;
        bool locked;
    };
    for (const Case& c : {Case{3, true}, Case{4, false}, Case{0xC005, true}, Case{0x2006, true}, Case{0x8802, true},
                          Case{0x8803, false}, Case{0x8002, false}, Case{0xFFFF, false}, Case{0xCFFF, false}})
        EXPECT_EQ(T_NAV_bIsNotSharedLink(c.id) != FALSE, c.locked) << std::hex << c.id;
}

TEST_F(GroupSlots, TheRoomTestKeepsSixSlotsFromTheSeparator)
{
    struct Case {
        const char* what;
        U32 sharedUsed; // slots 0 .. n-1 used
        bool locked;
        bool room;
    };
    for (const Case& c : {Case{"first free six below", 14, false, false},
                          Case{"first free seven below", 13, false, true},
                          Case{"shared part up to its line", 15, false, true},
                          Case{"locked part empty", 14, true, true}}) {
        SetUp();
        std::vector<std::pair<U32, WAYPOINT>> used;
        for (U32 s = 0; s < c.sharedUsed; ++s)
            used.push_back({s, wp(1, (S32)s, 0, "S")});
        place(used);
        T_NAV_TWR_vSetShareSplit(20, (S32)c.sharedUsed - 1, 2999);
        EXPECT_EQ(T_NAV_vRoomForWptOrGroup(c.locked ? TRUE : FALSE) != FALSE, c.room) << c.what;
        TearDown();
    }
}

TEST_F(GroupSlots, ClearingAWaypointSlotDropsItFromTheCurrentRouteFirst)
{
    static std::vector<U16> dropped;
    dropped.clear();
    T_NAV_TWR_HOOKS h = tableHooks();
    h.pfnDropFromCurrentRoute = [](U16 id) { dropped.push_back(id); };
    T_NAV_TWR_vInstallHooks(&h);
    const U16 w = add(wp(1, 1, 1, "W"));
    ASSERT_TRUE(fileExists(w));
    T_NAV_vDeleteGpWpSlot(w);
    EXPECT_EQ(dropped, std::vector<U16>{w});
    EXPECT_EQ(slot(0, w).u8Status, WP_STATUS_FREE);
    EXPECT_FALSE(fileExists(w));

    const U16 g = T_NAV_nAllocGroupSlot(FALSE);
    GROUP_SLOT b = body({});
    T_NAV_bSetGroupSlot(g, &b);
    T_NAV_vDeleteGpWpSlot(g);
    EXPECT_EQ(dropped.size(), 1u) << "a group slot is in no route";
    EXPECT_EQ(slot(0, g & 0x3FFF).u8Status, WP_STATUS_FREE);
    EXPECT_FALSE(fileExists(g & 0x3FFF));
}

TEST(GroupRecords, TheLayoutsCarryEveryByte)
{
    GROUP_SLOT h = header("ABCDEFGHIJKL", 0xC123, 0xC456, true, true);
    h.header.u8Icon = 9;
    h.header.u32DateTime = 0x01020304;
    h.header.u16Reserved1 = 0x0A0B;
    h.header.u16Reserved2 = 0x0C0D;
    U8 bytes[28];
    T_NAV_GROUP_vEncodeHeader(&h.header, bytes);
    const U8 expected[16] = {0xD0, 9, 0, 0, 4, 3, 2, 1, 0x23, 0xC1, 0x0B, 0x0A, 0x56, 0xC4, 0x0D, 0x0C};
    EXPECT_EQ(memcmp(bytes, expected, sizeof expected), 0);
    EXPECT_EQ(memcmp(bytes + 16, "ABCDEFGHIJKL", 12), 0);

    GROUP_SLOT b = body({0x0102, 0xCFFF}, 0xC777, true);
    T_NAV_GROUP_vEncodeBody(&b.body, bytes);
    const U8 expectedBody[8] = {0x91, 0, 0x77, 0xC7, 0x02, 0x01, 0xFF, 0xCF};
    EXPECT_EQ(memcmp(bytes, expectedBody, sizeof expectedBody), 0);

    // Through a waypoint slot and back, both records keep every field.
    for (const GROUP_SLOT& g : {h, b}) {
        WAYPOINT w{};
        T_NAV_GROUP_vToWaypoint(&g, &w);
        GROUP_SLOT back{};
        T_NAV_GROUP_vFromWaypoint(&w, &back);
        U8 a[28], z[28];
        if (g.body.u8Status == WP_STATUS_GROUP_BODY) {
            T_NAV_GROUP_vEncodeBody(&g.body, a);
            T_NAV_GROUP_vEncodeBody(&back.body, z);
        } else {
            T_NAV_GROUP_vEncodeHeader(&g.header, a);
            T_NAV_GROUP_vEncodeHeader(&back.header, z);
        }
        EXPECT_EQ(memcmp(a, z, sizeof a), 0);
    }
}

} // namespace
