// The clean-up run: what it keeps, what it deletes or queues, how it folds
// twins, and how it survives damaged chains.
#include "nav/data/t_nav_group_clean.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/tests/nav_group_util.h"

#include "kernel/l_mutex.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace navg;

constexpr U16 SEP = 0xCFFF;
constexpr U16 NONE = 0xFFFF;

class GroupClean : public GroupStore {
protected:
    void SetUp() override
    {
        GroupStore::SetUp();
        setU32(FCID("SUID"), 64);
        T_NAV_GROUP_DATA_vSettleUnitID();
        T_NAV_GROUP_vInitStevrinDeleteData();
        H_DATABASE_bUpdateEverythingBoolean(FCID("IPUF"), FALSE, 2, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }

    // Root in slot 0 with its shared body in slot 1 (links given) and its
    // locked body in slot 2999.
    void root(std::initializer_list<U16> links, std::initializer_list<U16> locked = {})
    {
        put(0, header("Home", NONE, gid(1)));
        put(1, body(links, SEP));
        put(2999, body(locked, NONE, true));
        T_NAV_GROUP_DATA_vSetRootGroup(gid(0));
    }
    // The tables counted as the start-up leaves them.
    void settle()
    {
        T_NAV_TWR_vHashWaypoints();
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        T_NAV_TWR_vStatisticRouteStore(TRUE);
    }
    void run() { T_NAV_GROUP_DATA_vScanGroupForGarbageCollection(gid(0)); }
    U32 status(U32 s) { return T_NAV_TWR_pGetNetworkWaypoint(s, 0)->u8Status; }
    std::vector<U16> links(U32 bodySlot)
    {
        std::vector<U16> out;
        for (U16 l : read(bodySlot).body.u16Item)
            if (l != NONE)
                out.push_back(l);
        return out;
    }
    void setRoute(U32 i, const ROUTE& r) { *T_NAV_pGetRoute(i) = r; }
    static bool mutexFreeElsewhere()
    {
        ERC got = -1;
        std::thread t([&] {
            got = L_MUTEX_LockTime(RES_NAV_DATA, 2000);
            if (got == 0)
                L_MUTEX_Unlock(RES_NAV_DATA);
        });
        t.join();
        return got == 0;
    }
};

TEST_F(GroupClean, AWaypointNoGroupHoldsIsDeletedOrQueuedForTheMotor)
{
    for (bool motor : {false, true}) {
        SCOPED_TRACE(motor ? "motor on the network" : "no motor");
        SetUp();
        U_STEVRIN_STANDIN_vClearCalls();
        H_DATABASE_bUpdateEverythingBoolean(FCID("IPUF"), motor ? TRUE : FALSE, 2, D_UNKNOWN, nullptr,
                                            DB_TIMEOUT_NEVER);
        slot(0, 5) = wp(1, 10, 10, "KEPT");
        slot(0, 6) = wp(1, 20, 20, "ORPHAN");
        root({5});
        settle();
        run();
        EXPECT_EQ(status(5), 1u);
        EXPECT_EQ(status(6), motor ? 1u : 0u);
        EXPECT_EQ(fileExists(6), false);
        EXPECT_EQ(T_NAV_GROUP_u32QueuedWaypoints(), motor ? 1u : 0u);
        run(); // a second run queues nothing twice
        EXPECT_EQ(T_NAV_GROUP_u32QueuedWaypoints(), motor ? 1u : 0u);
        T_NAV_GROUP_vSendNavDataBeingDeletedToStevrin();
        const auto deletions = U_STEVRIN_STANDIN_vDeletions();
        if (motor) {
            ASSERT_EQ(deletions.size(), 1u);
            EXPECT_EQ(deletions[0].waypoints, std::vector<U16>{6});
            EXPECT_FALSE(deletions[0].bRumbrelList);
        } else {
            EXPECT_TRUE(deletions.empty());
        }
        EXPECT_EQ(T_NAV_GROUP_u32QueuedWaypoints(), 0u);
        EXPECT_TRUE(mutexFreeElsewhere());
    }
}

TEST_F(GroupClean, IdenticalSharedWaypointsFoldIntoTheLowerSlotInGroupsAndRoutes)
{
    const WAYPOINT twin = wp(1, 300, 400, "TWIN");
    slot(0, 5) = twin;
    slot(0, 6) = twin;
    put(2, header("A", gid(0), gid(3)));
    put(3, body({5}));
    put(4, header("B", gid(0), gid(7)));
    put(7, body({6}));
    root({gid(2), gid(4), 0x8800});
    setRoute(0, route({6, 5}));
    settle();
    run();
    EXPECT_EQ(links(3), std::vector<U16>{5});
    EXPECT_EQ(links(7), std::vector<U16>{5});
    EXPECT_EQ(status(6), 0u);
    EXPECT_EQ(T_NAV_pGetRoute(0)->anWaypoint[0], 5);
    EXPECT_EQ(T_NAV_pGetRoute(0)->anWaypoint[1], 5);
    EXPECT_TRUE(navt::sameRoute(routeFile(0), *T_NAV_pGetRoute(0)));
    // The duplicate scan is back on and its table rebuilt.
    EXPECT_FALSE(T_NAV_TWR_bDuplicateScanDisabled());
}

TEST_F(GroupClean, AFoldReachesARouteBehindAFreeRouteSlot)
{
    const WAYPOINT twin = wp(1, 300, 400, "TWIN");
    slot(0, 5) = twin;
    slot(0, 6) = twin;
    root({5, 6, 0x8802});
    setRoute(2, route({6})); // slots 0 and 1 free
    settle();
    run();
    EXPECT_EQ(status(6), 0u);
    EXPECT_EQ(T_NAV_pGetRoute(2)->anWaypoint[0], 5) << "no route is left naming the deleted twin";
    EXPECT_EQ(links(1), (std::vector<U16>{5, 0x8802}));
}

TEST_F(GroupClean, ASharedAndALockedWaypointOfTheSameContentAreNotMerged)
{
    slot(0, 5) = wp(1, 300, 400, "SAME");
    slot(0, 2990) = wp(1, 300, 400, "SAME", true);
    root({5}, {2990});
    settle();
    run();
    EXPECT_EQ(status(5), 1u);
    EXPECT_EQ(status(2990), 1u);
}

TEST_F(GroupClean, AGroupLinkedInTwoParentsKeepsItsFirstLink)
{
    slot(0, 9) = wp(1, 1, 1, "W");
    put(2, header("A", gid(0), gid(3)));
    put(3, body({gid(4)}));
    put(4, header("B", gid(2), gid(5)));
    put(5, body({9}));
    root({gid(2), gid(4)});
    settle();
    run();
    EXPECT_EQ(links(3), std::vector<U16>{gid(4)});
    EXPECT_EQ(links(1), std::vector<U16>{gid(2)});
    EXPECT_EQ(status(9), 1u);
}

TEST_F(GroupClean, ARouteOnAFreedSlotLosesItsLinkAndGoesWithTheNextRun)
{
    slot(0, 5) = wp(1, 1, 1, "A");
    root({0x8800, 5});
    setRoute(0, route({5, 6})); // slot 6 is free
    settle();
    run();
    EXPECT_EQ(links(1), std::vector<U16>{5});
    EXPECT_NE(T_NAV_pGetRoute(0)->u32DateTime, 0u) << "the route itself survives this run";
    run();
    EXPECT_EQ(T_NAV_pGetRoute(0)->u32DateTime, 0u);
    EXPECT_EQ(T_NAV_pGetRoute(0)->nCount, 0u);
}

TEST_F(GroupClean, TemporaryWaypointsAndOtherUnitsTracksSurvive)
{
    slot(0, 9) = wp(2, 1, 1, "TEMP");
    const U16 otherUnitsTrack = 0x8000 | 128 | 3;
    const U16 ownTrack = 0x8000 | 64 | 4;
    T_NAV_pGetTrackHeader(4)->u16Count = 3;
    T_NAV_pGetTrackHeader(5)->u16Count = 3; // linked nowhere
    root({otherUnitsTrack, ownTrack});
    settle();
    run();
    run();
    EXPECT_EQ(status(9), 2u);
    EXPECT_EQ(links(1), (std::vector<U16>{otherUnitsTrack, ownTrack}));
    EXPECT_EQ(T_NAV_pGetTrackHeader(4)->u16Count, 3);
    EXPECT_EQ(T_NAV_pGetTrackHeader(5)->u16Count, 0);
}

TEST_F(GroupClean, DamagedChainsAreCutAndTheRunStillEndsWholeAndUnlocked)
{
    const struct {
        const char* name;
        U16 nextOfLast; // what body 10, the second body of group A, names next
    } rows[] = {
        {"a chain looping back to its first body", gid(3)},
        {"a body naming itself", gid(10)},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        slot(0, 20) = wp(1, 1, 1, "IN A");
        slot(0, 21) = wp(1, 2, 2, "IN B");
        slot(0, 22) = wp(1, 3, 3, "ORPHAN");
        put(2, header("A", gid(0), gid(3)));
        put(3, body({20}, gid(10)));
        put(10, body({21}, r.nextOfLast));
        root({gid(2)});
        settle();
        run();
        EXPECT_EQ(read(10).body.u16NextIndex, NONE) << "cut at the last good body";
        EXPECT_EQ(read(3).body.u16NextIndex, gid(10));
        EXPECT_EQ(status(20), 1u);
        EXPECT_EQ(status(21), 1u);
        EXPECT_EQ(status(22), 0u) << "the sweep still ran";
        EXPECT_TRUE(mutexFreeElsewhere());
    }
}

TEST_F(GroupClean, ALoopInTheRootsSharedPartIsSentOnToItsLockedPart)
{
    slot(0, 20) = wp(1, 1, 1, "SHARED");
    slot(0, 2990) = wp(1, 2, 2, "LOCKED", true);
    put(0, header("Home", NONE, gid(1)));
    put(1, body({20}, gid(1)));
    put(2999, body({2990}, NONE, true));
    T_NAV_GROUP_DATA_vSetRootGroup(gid(0));
    settle();
    run();
    EXPECT_EQ(read(1).body.u16NextIndex, SEP);
    EXPECT_EQ(status(2990), 1u) << "the locked part is still reached";
    EXPECT_EQ(status(20), 1u);
}

TEST_F(GroupClean, UnlinkedRecordedTracksAreDeletedOrQueued)
{
    for (bool motor : {false, true}) {
        SCOPED_TRACE(motor ? "motor" : "no motor");
        SetUp();
        U_STEVRIN_STANDIN_vClearCalls();
        H_DATABASE_bUpdateEverythingBoolean(FCID("IPUF"), motor ? TRUE : FALSE, 2, D_UNKNOWN, nullptr,
                                            DB_TIMEOUT_NEVER);
        ASSERT_EQ(T_NAV_u16RumbrelAdd(rumbrel(5, "LINKED").get()), 0);
        ASSERT_EQ(T_NAV_u16RumbrelAdd(rumbrel(6, "LOOSE").get()), 1);
        root({0x4C00});
        settle();
        run();
        EXPECT_EQ(T_NAV_pGetRumbrelHeader(0)->nCount, 5u);
        EXPECT_EQ(T_NAV_pGetRumbrelHeader(1)->nCount, motor ? 6u : 0u);
        T_NAV_GROUP_vSendNavDataBeingDeletedToStevrin();
        const auto d = U_STEVRIN_STANDIN_vDeletions();
        ASSERT_EQ(d.size(), motor ? 1u : 0u);
        if (motor) {
            EXPECT_TRUE(d[0].waypoints.empty());
            EXPECT_EQ(d[0].rumbrels, std::vector<U16>{1});
        }
    }
}

TEST_F(GroupClean, TheSpaceRunDeletesFromTheSpaceWhatItsTreeDoesNotReach)
{
    Space sp(40, 50, 50, 50);
    auto put_ = [&](U32 s, const GROUP_SLOT& g) { T_NAV_GROUP_vToWaypoint(&g, &sp.waypoints[s]); };
    put_(0, header("Home", NONE, gid(1)));
    put_(1, body({5, 0x8801}, NONE));
    sp.waypoints[5] = wp(1, 1, 1, "IN");
    sp.waypoints[6] = wp(1, 2, 2, "OUT");
    sp.routes[1] = route({5});
    sp.routes[2] = route({6});
    T_NAV_GROUP_DATA_vScanGroupForGarbageCollectionEX(sp.p(), gid(0));
    EXPECT_EQ(sp.waypoints[5].u8Status, 1u);
    EXPECT_EQ(sp.waypoints[6].u8Status, 0u);
    EXPECT_NE(sp.routes[1].nCount, 0u);
    EXPECT_EQ(sp.routes[2].nCount, 0u);
    EXPECT_EQ(sp.waypoints[1].u8Status, WP_STATUS_GROUP_BODY);
    EXPECT_TRUE(mutexFreeElsewhere());
}

TEST_F(GroupClean, AUnitIdChangeRewritesOnlyThisUnitsTrackLinksInTheWholeTree)
{
    put(2, header("A", gid(0), gid(3)));
    put(3, body({0x8000 | 64 | 4, 0x8000 | 128 | 5}));
    root({0x8000 | 64 | 3, gid(2)});
    EXPECT_FALSE(T_NAV_GROUP_DATA_bChangeu7UnitID(100)) << "not a unit id";
    EXPECT_TRUE(T_NAV_GROUP_DATA_bChangeu7UnitID(192));
    EXPECT_EQ(T_NAV_GROUP_DATA_u16Getu7UnitID(), 192);
    EXPECT_EQ(links(1), (std::vector<U16>{0x8000 | 192 | 3, gid(2)}));
    EXPECT_EQ(links(3), (std::vector<U16>{0x8000 | 192 | 4, 0x8000 | 128 | 5}));
    EXPECT_EQ(getU32(FCID("SUID")), 192u);
}

TEST_F(GroupClean, TheIntegrityCheckFindsDanglingLinks)
{
    slot(0, 5) = wp(1, 1, 1, "A");
    root({5});
    settle();
    EXPECT_TRUE(T_NAV_GROUP_DATA_bIsGroupNavDataIntegralEX(nullptr, gid(0)));
    put(1, body({5, 6}, SEP));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bIsGroupNavDataIntegralEX(nullptr, gid(0)));
}

} // namespace
