// The route table: where new routes land around the separator, what is
// stored and written, peer points made own, points aligned with the
// route's shared state, the waypoint-use queries, deletion, moves and
// compaction, and the comparisons the lists sort with.
#include "nav/tests/nav_tables_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

using namespace navr;

void placeRoute(U32 slot, const ROUTE& r)
{
    *T_NAV_pGetRoute(slot) = r;
}

TEST_F(TableStore, EachPartTakesOnlyItsOwnSideOfTheRouteSeparator)
{
    struct Case {
        const char* what;
        std::vector<U32> shared;
        std::vector<U32> locked;
        bool separatorOff;
        bool addLocked;
        S16 separator; // after the statistics
        U16 slot;      // the add's result
    };
    auto range = [](U32 from, U32 to, U32 except = 99) {
        std::vector<U32> v;
        for (U32 s = from; s <= to; ++s)
            if (s != except)
                v.push_back(s);
        return v;
    };
    const Case cases[] = {
        {"both parts full up to the separator", range(0, 24), range(26, 49), false, false, 25, NONE},
        {"both parts full up to the separator", range(0, 24), range(26, 49), false, true, 25, NONE},
        {"a hole in the shared part", range(0, 24, 10), range(26, 49), false, false, 25, 10},
        {"the locked part's lowest slot", range(0, 24), range(27, 49), false, true, 25, 26},
        {"the separator itself stays free", range(0, 24), range(27, 49), false, false, 25, NONE},
        {"shared from slot 0", {1}, {49}, false, false, 25, 0},
        {"locked from slot 49 down", {1}, {49}, false, true, 25, 48},
        {"separator off: the lowest free slot", range(0, 24), range(26, 49), true, false, 25, 25},
        {"separator off: the highest free slot", range(0, 20), range(26, 49), true, true, 23, 25},
    };
    for (const Case& c : cases) {
        T_NAV_TWR_vClearTables();
        T_NAV_TWR_bDisableShareLockSeperator(c.separatorOff ? TRUE : FALSE);
        for (U32 s : c.shared)
            placeRoute(s, route({7}, false));
        for (U32 s : c.locked)
            placeRoute(s, route({7}, true));
        T_NAV_TWR_vStatisticRouteStore(TRUE);
        EXPECT_EQ(T_NAV_TWR_s16GetRouteSeparator(), c.separator) << c.what;

        const ROUTE r = route({7}, c.addLocked, 6000, "NEW");
        const U16 slot = T_NAV_u16RouteAdd(&r);
        EXPECT_EQ(slot, c.slot) << c.what << (c.addLocked ? " (locked)" : " (shared)");
        if (slot != NONE) {
            EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetRoute(slot), r)) << c.what;
            EXPECT_TRUE(navt::sameRoute(routeFile(slot), r)) << c.what;
            EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetOldRoute(slot), r)) << c.what << ": the backup copy";
        }
    }
    T_NAV_TWR_bDisableShareLockSeperator(FALSE);
}

TEST_F(TableStore, AnEmptyRouteWithoutADateGetsASlotThatStaysFree)
{
    H_DATABASE_vDeleteEntry(FCID("IDTM"));
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    const ROUTE empty = route({}, false, 0, "EMPTY");
    EXPECT_EQ(T_NAV_u16RouteAdd(&empty), 0);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 0);
    EXPECT_FALSE(hasFile("routes/0"));
    U32 n = 99;
    U16 slots[NAV_ROUTE_SLOTS];
    T_NAV_vGetRoutes(&n, slots);
    EXPECT_EQ(n, 0u) << "not listed";

    const ROUTE real = route({3, 4}, false, 0, "REAL");
    EXPECT_EQ(T_NAV_u16RouteAdd(&real), 0) << "the slot was still free";
    EXPECT_EQ(T_NAV_pGetRoute(0)->u32DateTime, 0u) << "no date to give";

    // With a date to give, an empty route is a route.
    setU32(FCID("IDTM"), 31337);
    EXPECT_EQ(T_NAV_u16RouteAdd(&empty), 1);
    EXPECT_EQ(T_NAV_pGetRoute(1)->u32DateTime, 31337u);
    EXPECT_TRUE(hasFile("routes/1"));
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 2);
}

TEST_F(TableStore, ARouteOfMoreThanFiftyPointsIsRefusedEverywhere)
{
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    ROUTE longer = route({1, 2, 3});
    longer.nCount = 51;
    EXPECT_EQ(T_NAV_u16RouteAdd(&longer), NONE);
    EXPECT_EQ(T_NAV_nAddRoute(&longer), (S32)NONE);
    T_NAV_vRouteStore(4, &longer, FALSE, FALSE);
    EXPECT_FALSE(T_NAV_bSaveRoute(4, &longer, FALSE));
    EXPECT_EQ(T_NAV_pGetRoute(4)->nCount, 0u);
    EXPECT_EQ(filesIn("routes"), 0u);
}

TEST_F(TableStore, AddingARoutePublishesItAsTheLastSavedRouteAndDeletingItWithdrawsTheMenu)
{
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    const ROUTE r = route({1, 2}, false, 100, "HOME");
    S32 slot = 0;
    {
        navt::LogCapture log;
        slot = T_NAV_nAddRoute(&r);
        EXPECT_EQ(log.count({"T_NAV_nAddRoute: CLRT updated to 0"}), 1);
    }
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(getU32(FCID("CLRT")), 0u);

    const ROUTE other = route({3}, false, 100, "AWAY");
    ASSERT_EQ(T_NAV_u16RouteAdd(&other), 1) << "a plain add leaves the key alone";
    EXPECT_EQ(getU32(FCID("CLRT")), 0u);

    EXPECT_TRUE(T_NAV_bDeleteRoute(1, FALSE));
    EXPECT_EQ(tableCalls().lastSavedRouteMenu, 0);
    EXPECT_TRUE(T_NAV_bDeleteRoute(0, FALSE));
    EXPECT_EQ(tableCalls().lastSavedRouteMenu, 1);
    EXPECT_FALSE(hasFile("routes/0"));
    EXPECT_EQ(T_NAV_pGetOldRoute(0)->nCount, 0u) << "backup copy cleared";
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 0);

    EXPECT_FALSE(T_NAV_bDeleteRoute(0, FALSE)) << "a free slot";
    EXPECT_FALSE(T_NAV_bDeleteRoute(50, FALSE));
    EXPECT_EQ(tableCalls().lastSavedRouteMenu, 1);
}

TEST_F(TableStore, StoringAFreeRecordOverARouteRemovesItsFile)
{
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    const ROUTE r = route({1, 2});
    T_NAV_vRouteStore(6, &r, FALSE, FALSE);
    ASSERT_TRUE(hasFile("routes/6"));
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 1);

    const ROUTE freeRecord{};
    T_NAV_vRouteStore(6, &freeRecord, FALSE, FALSE);
    EXPECT_FALSE(hasFile("routes/6")) << "the old route would come back at start-up";
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 0);
    T_NAV_vRouteStore(6, &freeRecord, FALSE, FALSE);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 0) << "counted once";

    navt::setState(6);
    T_NAV_vRouteStore(7, &r, FALSE, FALSE);
    EXPECT_FALSE(hasFile("routes/7")) << "point of sale";
    T_NAV_vRouteStore(7, &r, TRUE, FALSE);
    EXPECT_TRUE(hasFile("routes/7")) << "overridden";
}

TEST_F(TableStore, SavingARouteMakesItsPeerPointsOwnWaypoints)
{
    const U16 own5 = add(wp(WP_STATUS_PERMANENT, 50, 50, "OWN5"));
    const U16 own6 = add(wp(WP_STATUS_PERMANENT, 60, 60, "OWN6"));
    const WAYPOINT peer = wp(WP_STATUS_PERMANENT, 70, 70, "PEER", false, 1234);
    ASSERT_EQ(addPeerRecord(3, peer, 1), 0x1003);
    const WAYPOINT twinned = wp(WP_STATUS_PERMANENT, 80, 80, "TWIN");
    ASSERT_EQ(addPeerRecord(4, twinned, 2), 0x2004);
    const U16 ownTwin = add(twinned);

    ROUTE r = route({own5, own6, 0x1003, 0x2004});
    ASSERT_TRUE(T_NAV_bSaveRoute(7, &r, FALSE));

    const ROUTE& stored = *T_NAV_pGetRoute(7);
    EXPECT_EQ(stored.anWaypoint[0], own5);
    EXPECT_EQ(stored.anWaypoint[1], own6);
    const U16 copy = stored.anWaypoint[2];
    ASSERT_LT(copy, NAV_WAYPOINT_SLOTS) << "an own id";
    EXPECT_EQ(slot(0, copy).u8Status, WP_STATUS_TEMPORARY);
    EXPECT_TRUE(T_NAV_bWaypointCompare(&slot(0, copy), &peer));
    EXPECT_FALSE(hasFile("wpts/" + std::to_string(copy))) << "a temporary waypoint has no file";
    EXPECT_EQ(stored.anWaypoint[3], ownTwin) << "an identical own waypoint is used";
    EXPECT_TRUE(navt::sameRoute(routeFile(7), stored));
    EXPECT_TRUE(navt::sameRoute(r, stored)) << "the caller's record holds the ids stored";

    // A point that names nothing: refused before anything is copied.
    const WAYPOINT other = wp(WP_STATUS_PERMANENT, 90, 90, "OTHER");
    ASSERT_EQ(addPeerRecord(5, other, 1), 0x1005);
    ROUTE broken = route({0x1005, NONE});
    EXPECT_FALSE(T_NAV_bSaveRoute(8, &broken, FALSE));
    EXPECT_EQ(T_NAV_pGetRoute(8)->nCount, 0u);
    EXPECT_EQ(T_NAV_TWR_u16FindWaypoint(&other), NONE) << "no copy left behind";
    EXPECT_FALSE(T_NAV_bSaveRoute(NONE, &r, FALSE));
}

// A locked route in slot 49 holds shared waypoint W; the compaction's
// alignment gives it a locked copy, and W goes once no route holds it.
TEST_F(TableStore, AligningALockedRouteGivesItALockedCopyAndDropsTheSharedWaypointOnceUnused)
{
    for (bool alsoInSharedRoute : {false, true}) {
        T_NAV_TWR_vClearTables();
        const WAYPOINT w = wp(WP_STATUS_PERMANENT, 500, 600, "SHARED");
        const U16 shared = add(w);
        const U16 keep = add(wp(WP_STATUS_PERMANENT, 1, 2, "LOCKED", true));
        ASSERT_NE(shared, NONE);
        ASSERT_TRUE(hasFile("wpts/" + std::to_string(shared)));
        placeRoute(49, route({keep, shared, keep}, true));
        T_NAV_TWR_vWriteRouteFile(49, FALSE);
        if (alsoInSharedRoute) {
            placeRoute(0, route({shared}, false));
            T_NAV_TWR_vWriteRouteFile(0, FALSE);
        }

        T_NAV_TWR_vStatisticRouteStore(FALSE);

        const ROUTE& r = *T_NAV_pGetRoute(49);
        ASSERT_EQ(r.nCount, 3u);
        EXPECT_EQ(r.anWaypoint[0], keep);
        EXPECT_EQ(r.anWaypoint[2], keep);
        const U16 copy = r.anWaypoint[1];
        ASSERT_NE(copy, shared);
        ASSERT_NE(copy, NONE);
        EXPECT_EQ(slot(0, copy).u8Status, WP_STATUS_PERMANENT);
        EXPECT_EQ(slot(0, copy).bWpNotShared, 1);
        EXPECT_TRUE(T_NAV_bWaypointCompare(&slot(0, copy), &w));
        EXPECT_TRUE(hasFile("wpts/" + std::to_string(copy)));
        EXPECT_TRUE(navt::sameRoute(routeFile(49), r));
        if (alsoInSharedRoute) {
            EXPECT_EQ(slot(0, shared).u8Status, WP_STATUS_PERMANENT) << "still in route 0";
            EXPECT_TRUE(hasFile("wpts/" + std::to_string(shared)));
        } else {
            WAYPOINT zero{};
            EXPECT_TRUE(navt::sameWaypoint(slot(0, shared), zero)) << "slot zeroed";
            EXPECT_FALSE(hasFile("wpts/" + std::to_string(shared)));
            EXPECT_EQ(T_NAV_TWR_u16FindWaypoint(&w), NONE);
        }
        EXPECT_EQ(T_NAV_TWR_u32GetRouteCleanupCount(), 0u);
    }
}

TEST_F(TableStore, AWaypointInSevenRoutesNamesTheFiveNewest)
{
    const U16 w = add(wp(WP_STATUS_PERMANENT, 5, 5, "W"));
    const U16 other = add(wp(WP_STATUS_PERMANENT, 6, 6, "O"));
    // Slot: date-time. Slot 8 holds other waypoints only; slot 9 is dated
    // newest but has no points.
    const std::vector<std::pair<U32, U32>> holders = {{0, 300}, {2, 900}, {3, 100}, {5, 700},
                                                      {6, 800}, {11, 500}, {12, 900}};
    for (const auto& [s, date] : holders)
        placeRoute(s, route({other, w}, false, date));
    placeRoute(8, route({other}, false, 1000));
    placeRoute(9, route({}, false, 2000));

    S32 list[NAV_ROUTES_USING_WAYPOINT];
    EXPECT_EQ(T_NAV_vGetRoutesUsingWaypoint(w, list), 5);
    const std::vector<S32> newest = {2, 12, 6, 5, 11};
    EXPECT_EQ(std::vector<S32>(list, list + 5), newest);
    EXPECT_TRUE(T_NAV_bWaypointUsedInSavedRoute(w));

    EXPECT_EQ(T_NAV_vGetRoutesUsingWaypoint(NONE - 1, list), 0);
    EXPECT_EQ(std::vector<S32>(list, list + 5), std::vector<S32>(5, -1));
    const U16 lone = (U16)(w + 100);
    placeRoute(13, route({lone}));
    EXPECT_EQ(T_NAV_vGetRoutesUsingWaypoint(lone, list), 1);
    EXPECT_EQ(std::vector<S32>(list, list + 5), (std::vector<S32>{13, -1, -1, -1, -1}));
}

TEST_F(TableStore, ALockedRouteMovesAboveTheSharedRoutesOrStaysWhenNothingIsFree)
{
    const ROUTE locked = route({1, 2}, true, 777, "LOCKED");
    for (bool full : {false, true}) {
        T_NAV_TWR_vClearTables();
        for (U32 s = 0; s < 3; ++s)
            placeRoute(s, route({1}, false));
        placeRoute(3, locked);
        T_NAV_TWR_vWriteRouteFile(3, FALSE);
        if (full)
            for (U32 s = 4; s < NAV_ROUTE_SLOTS; ++s)
                placeRoute(s, route({1}, true));
        T_NAV_TWR_vStatisticRouteStore(TRUE);

        const U16 result = T_NAV_u16MoveRoute(3);
        if (!full) {
            EXPECT_EQ(result, 49);
            EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetRoute(49), locked));
            EXPECT_TRUE(navt::sameRoute(routeFile(49), locked));
            EXPECT_EQ(T_NAV_pGetRoute(3)->nCount, 0u);
            EXPECT_FALSE(hasFile("routes/3"));
            EXPECT_EQ(T_NAV_pGetOldRoute(3)->nCount, 0u);
        } else {
            EXPECT_EQ(result, 2) << "the search stopped at the highest shared route";
            EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetRoute(3), locked));
            EXPECT_TRUE(hasFile("routes/3"));
        }
    }
    EXPECT_EQ(T_NAV_u16MoveRoute(50), NONE);
}

TEST_F(TableStore, ARouteThatCannotGetItsCopiesStaysWhereItIs)
{
    // One waypoint slot is free, so the move can give the locked route a
    // locked copy of its first shared point but not of its second.
    std::vector<std::pair<U32, WAYPOINT>> records;
    records.push_back({0, wp(WP_STATUS_PERMANENT, 5, 5, "SHARED")});
    for (U32 s = 1; s < 2999; ++s)
        if (s != 1500)
            records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 1, "FULL", true)});
    place(records);
    T_NAV_TWR_bDisableShareLockSeperator(TRUE);
    const S32 waypointsBefore = T_NAV_TWR_nGetWaypointCount();

    const ROUTE locked = route({0, 0}, true, 888, "STUCK");
    placeRoute(3, locked);
    T_NAV_TWR_vWriteRouteFile(3, FALSE);
    T_NAV_TWR_vStatisticRouteStore(TRUE);

    EXPECT_EQ(T_NAV_u16MoveRoute(3), 3) << "not moved";
    EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetRoute(3), locked));
    EXPECT_TRUE(navt::sameRoute(routeFile(3), locked));
    EXPECT_EQ(T_NAV_TWR_u16GetMaxUsedRoute(), 4);
    EXPECT_EQ(T_NAV_TWR_nGetWaypointCount(), waypointsBefore) << "no stray copy";
    EXPECT_EQ(slot(0, 1500).u8Status, WP_STATUS_FREE);
    EXPECT_FALSE(hasFile("wpts/1500"));
    EXPECT_EQ(slot(0, 0).u8Status, WP_STATUS_PERMANENT);
}

TEST_F(TableStore, CompactionMovesLockedRoutesAwayFromTheSharedOnes)
{
    // Shared routes in 0-9, locked ones in 10-12: the parts touch, so
    // locked routes go to the top, lowest first, until the next one is far
    // enough away.
    for (U32 s = 0; s < 10; ++s) {
        placeRoute(s, route({1}, false, 100 + s));
        T_NAV_TWR_vWriteRouteFile(s, FALSE);
    }
    for (U32 s = 10; s < 13; ++s) {
        placeRoute(s, route({2}, true, 200 + s));
        T_NAV_TWR_vWriteRouteFile(s, FALSE);
    }
    const ROUTE moved[3] = {*T_NAV_pGetRoute(10), *T_NAV_pGetRoute(11), *T_NAV_pGetRoute(12)};

    T_NAV_TWR_vStatisticRouteStore(FALSE);

    EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetRoute(49), moved[0]));
    EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetRoute(48), moved[1]));
    EXPECT_EQ(T_NAV_pGetRoute(10)->nCount, 0u);
    EXPECT_EQ(T_NAV_pGetRoute(11)->nCount, 0u);
    EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetRoute(12), moved[2])) << "three slots away once two had moved";
    EXPECT_EQ(T_NAV_s16GetMaxShareRouteIndex(), 9);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 13);
    expectRouteFilesMatchTable();
    EXPECT_EQ(calls().errors, 0);

    T_NAV_TWR_vStatisticRouteStore(TRUE);
    EXPECT_EQ(T_NAV_s16GetMinLockRouteIndex(), 12);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteSeparator(), 10);
}

TEST_F(TableStore, ContentSearchesAndComparisonsLookOnlyAtTheirFields)
{
    const U16 a = add(wp(WP_STATUS_PERMANENT, 10, 10, "SAME"));
    const U16 b = add(wp(WP_STATUS_PERMANENT, 10, 10, "SAME", true));
    const U16 c = add(wp(WP_STATUS_PERMANENT, 11, 10, "SAME"));
    placeRoute(4, route({c, a}, false, 10, "LAST A"));
    placeRoute(5, route({}, false, 10, "EMPTY"));
    struct Case {
        U16 route;
        U16 waypoint;
        BOOLEAN same;
    };
    const Case cases[] = {
        {0x8804, b, TRUE},     // the flag bits are not content
        {0x8804, c, FALSE},    // another position
        {0x8805, a, FALSE},    // no last point
        {0x8832, a, FALSE},    // past the table
        {0xC004, a, FALSE},    // not a route id
        {0x8804, 0xC001, FALSE}, // not a waypoint id
    };
    for (const Case& k : cases)
        EXPECT_EQ(T_NAV_bHasSameContentLinkInTargetRoute(k.route, k.waypoint), k.same)
            << std::hex << k.route << " " << k.waypoint;

    // A full 20-character name runs into the points: the comparisons stop
    // at the name's end.
    ROUTE x = route({1, 2, 3}, false, 10, "ABCDEFGHIJKLMNOPQRST");
    ROUTE y = x;
    y.anWaypoint[0] = 9;
    y.bHide = 1;
    EXPECT_FALSE(T_NAV_bCompareRoutes(&x, &y));
    y.anWaypoint[0] = 1;
    EXPECT_TRUE(T_NAV_bCompareRoutes(&x, &y)) << "the hidden bit is not compared";
    y.bRtNotShared = 1;
    EXPECT_FALSE(T_NAV_bCompareRoutes(&x, &y));
    EXPECT_TRUE(T_NAV_bCompareRoutes1(&x, &y)) << "points and name only";
    y.nCount = 2;
    EXPECT_TRUE(T_NAV_bCompareRoutes1(&x, &y)) << "as many points as the second has";

    placeRoute(10, x);
    placeRoute(11, route({1, 2, 3}, false, 11, "OTHER"));
    EXPECT_EQ(T_NAV_u16FindRoute(&x), 10);
    EXPECT_EQ(T_NAV_u16FindRouteByPts(&x), 10);
    ROUTE z = route({1, 2, 3}, false, 12, "NEW");
    EXPECT_EQ(T_NAV_u16FindRoute(&z), NONE);
    EXPECT_EQ(T_NAV_u16FindRouteByPts(&z), 10);

    placeRoute(12, route({4}, false, 10, "ABCDEFGHIJKLMNOPQRST"));
    U16 s10 = 10, s12 = 12, s11 = 11;
    EXPECT_EQ(T_NAV_nCompareRouteNames(&s10, &s12), 0);
    EXPECT_LT(T_NAV_nCompareRouteNames(&s10, &s11), 0);

    U32 n = 0;
    U16 list[NAV_ROUTE_SLOTS];
    T_NAV_vGetRoutes(&n, list);
    ASSERT_EQ(n, 5u);
    std::vector<std::string> names;
    for (U32 i = 0; i < n; ++i)
        names.push_back(std::string(T_NAV_pGetRoute(list[i])->sName, strnlen(T_NAV_pGetRoute(list[i])->sName, 20)));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

} // namespace
