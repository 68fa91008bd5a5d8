// The current route as the trolling-motor link changes it: reversal in
// place, the motor's route and id list, the moved go-to destination and the
// next-point step that turns back at the end.
#include "nav/tests/nav_goto_world.h"

#include "kernel/h_memory.h"
#include "nav/core/t_nav_route_link.h"

namespace {

using namespace navg;

class NavRouteLink : public NavGoTo {
protected:
    // [start, A, B, C] heading for entry inip; start is a temporary
    // waypoint at the boat's first position.
    void travel(U32 inip)
    {
        ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[1]));
        ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[2]));
        ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[3]));
        for (U32 i = 1; i < inip; ++i)
            T_NAV_vOnArrival(nullptr);
        ASSERT_EQ(*u("INIP"), inip);
        start = s_CurrentRoute.anWaypoint[0];
        notes();
        menuLog();
    }

    U16 start = NONE;
};

TEST_F(NavRouteLink, ReversingInPlaceHeadsBackToTheLegOriginFromTheBoat)
{
    travel(2);
    const POINT boat = at(100, 1500);
    boatAt(boat);
    const bool before = s_bCurrentRouteIsInReverse;
    ASSERT_TRUE(T_NAV_bReverseCurrentRoute());
    EXPECT_EQ(routeEntries(), (std::vector<U16>{start, w[3], w[2], w[1]}));
    EXPECT_EQ(*u("INIP"), 3u);
    EXPECT_EQ(*u("IDWP"), w[1]);
    EXPECT_NE((bool)s_bCurrentRouteIsInReverse, before);
    const WAYPOINT moved = waypoint(start);
    EXPECT_EQ(moved.pt.x, boat.x);
    EXPECT_EQ(moved.pt.y, boat.y);
    EXPECT_EQ(moved.u8Status, WP_STATUS_PERMANENT) << "stored as a permanent waypoint";
    EXPECT_NEAR(*f("ITRK"), bearing(boat, at(0, 2000)), 1e-2) << "the leg restarts at the boat";
}

TEST_F(NavRouteLink, ReversingOnTheFirstLegEndsNavigationAndReturnsFalse)
{
    // Three destinations: the save question comes and navigation waits for it.
    travel(1);
    EXPECT_FALSE(T_NAV_bReverseCurrentRoute());
    EXPECT_NE(*u("INIP"), 0u) << "the question is pending";
    T_NAV_vEndNavigationOnly();
    EXPECT_EQ(*u("INIP"), 0u);

    // A go-to ends at once; idle the call does nothing.
    ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[4]));
    EXPECT_FALSE(T_NAV_bReverseCurrentRoute());
    EXPECT_EQ(*u("INIP"), 0u);
    EXPECT_FALSE(T_NAV_bReverseCurrentRoute());
}

TEST_F(NavRouteLink, TheNextPointStepMovesOnAndTurnsBackAtTheRouteEnd)
{
    const U16 route = addRoute({w[1], w[2], w[3], w[4]}, "R");
    const POINT boat = at(50, 4100);
    const struct {
        const char* what;
        bool reverse;
        std::vector<U16> after; // destinations after the start
        bool headsForFirst;
    } rows[] = {{"forward travel turns to reverse", false, {w[3], w[2], w[1]}, true},
                {"reverse travel turns to forward", true, {w[2], w[3], w[4]}, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        T_NAV_vTravelSavedRoute(route, 0, r.reverse);
        // Onto the last leg step by step.
        T_NAV_vUnifiedNextRouteWaypoint(route);
        EXPECT_EQ(*u("IDWP"), r.reverse ? w[3] : w[2]) << "the next destination";
        T_NAV_vUnifiedNextRouteWaypoint(route);
        T_NAV_vUnifiedNextRouteWaypoint(route);
        ASSERT_EQ(*u("INIP"), s_CurrentRoute.nCount - 1) << "on the last leg";
        boatAt(boat);
        T_NAV_vUnifiedNextRouteWaypoint(route);
        const auto entries = routeEntries();
        ASSERT_EQ(entries.size(), r.after.size() + 1);
        EXPECT_EQ(std::vector<U16>(entries.begin() + 1, entries.end()), r.after);
        EXPECT_EQ(waypoint(entries[0]).pt.x, boat.x) << "from the boat";
        EXPECT_EQ((bool)s_bCurrentRouteIsInReverse, !r.reverse);
        EXPECT_EQ(*u("INIP"), 1u);
        EXPECT_EQ(*s("CCRT"), (S32)route);
        T_NAV_vEndNavigationNow();
    }
}

TEST_F(NavRouteLink, AGoToDestinationMovesOnlyOnTheFirstLeg)
{
    ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[1]));
    WAYPOINT moved = waypoint(w[5]);
    EXPECT_TRUE(T_NAV_bUpdateCurrentGoToWayPt(&moved, w[5]));
    EXPECT_EQ(routeEntries()[1], w[5]);
    EXPECT_EQ(s_ptRoutePoint[1].y, moved.pt.y);
    EXPECT_NEAR(*f("ITRK"), bearing(at(-500, -500), moved.pt), 1e-2);
    EXPECT_EQ(*u("IDWP"), w[1]) << "the link moves the waypoint entry 1 names";

    ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[2]));
    T_NAV_vOnArrival(nullptr);
    ASSERT_EQ(*u("INIP"), 2u);
    const auto before = routeEntries();
    EXPECT_FALSE(T_NAV_bUpdateCurrentGoToWayPt(&moved, w[6]));
    EXPECT_EQ(routeEntries(), before);
}

TEST_F(NavRouteLink, TheMotorsRouteReplacesTheEntriesAfterTheStart)
{
    ROUTE motor = {};
    motor.nCount = 3;
    motor.anWaypoint[0] = w[5];
    motor.anWaypoint[1] = w[6];
    motor.anWaypoint[2] = w[7];
    const struct {
        const char* what;
        U16 index;
        bool reversed;
        std::vector<U16> after;
        U32 inip;
    } rows[] = {{"forward", 2, false, {w[5], w[6], w[7]}, 2},
                {"reversed", 0, true, {w[7], w[6], w[5]}, 3},
                {"reversed, last point", 2, true, {w[7], w[6], w[5]}, 1}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        T_NAV_vEndNavigationNow();
        ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[1]));
        const U16 first = s_CurrentRoute.anWaypoint[0];
        s_bCurrentRouteHasChanged = FALSE;
        ASSERT_TRUE(T_NAV_bUpdateCurrentRoute(&motor, r.index, r.reversed));
        std::vector<U16> want = {first};
        want.insert(want.end(), r.after.begin(), r.after.end());
        EXPECT_EQ(routeEntries(), want);
        EXPECT_EQ(*u("INIP"), r.inip);
        EXPECT_EQ(*u("IDWP"), want[r.inip]);
        EXPECT_EQ(s_nRoutePointTarget, r.inip);
        EXPECT_EQ(s_nRoutePointUsed, 4u);
        EXPECT_EQ(s_ptRoutePoint[1].y, waypoint(want[1]).pt.y);
        EXPECT_TRUE(s_bCurrentRouteHasChanged);
        EXPECT_EQ((bool)s_bCurrentRouteIsInReverse, r.reversed);
    }
}

TEST_F(NavRouteLink, AnIdListReloadsTheRouteAndIsFreedOnSuccessOnly)
{
    ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[1]));
    const U16 first = s_CurrentRoute.anWaypoint[0];
    auto* list = static_cast<U16*>(H_MEMORY_pvMalloc(4 * sizeof(U16)));
    const U16 ids[4] = {first, w[4], w[5], w[6]};
    memcpy(list, ids, sizeof ids);
    s_bCurrentRouteHasChanged = FALSE;
    ASSERT_TRUE(T_NAV_bReLoadCurrentRoute(list, 2, 3)); // the list is freed here
    EXPECT_EQ(routeEntries(), (std::vector<U16>{first, w[4], w[5], w[6]}));
    EXPECT_EQ(*u("INIP"), 2u);
    EXPECT_EQ(*u("IDWP"), w[5]);
    EXPECT_EQ(s_nRoutePointUsed, 4u);
    EXPECT_FALSE(s_bCurrentRouteHasChanged) << "a reload is not a change to save";
}

// The values come from the remote's message: what does not fit the current
// route is refused and the route stays as it was.
TEST_F(NavRouteLink, OversizedRoutesAndIndexesOutsideTheRouteChangeNothing)
{
    travel(2);
    const auto before = routeEntries();
    const U32 pointsBefore = s_nRoutePointUsed;
    ROUTE big = {};
    big.nCount = ROUTE_MAX_POINTS;
    for (U32 i = 0; i < ROUTE_MAX_POINTS; ++i)
        big.anWaypoint[i] = w[i % 8];
    ROUTE three = {};
    three.nCount = 3;
    three.anWaypoint[0] = w[5];
    three.anWaypoint[1] = w[6];
    three.anWaypoint[2] = w[7];
    const struct {
        const char* what;
        ROUTE* route;
        U16 index;
        bool reversed;
    } updates[] = {{"50 points", &big, 1, false}, {"forward index 0", &three, 0, false},
                   {"forward index past the end", &three, 4, false}, {"reversed index n", &three, 3, true},
                   {"no route", nullptr, 1, false}};
    for (const auto& r : updates) {
        SCOPED_TRACE(r.what);
        EXPECT_FALSE(T_NAV_bUpdateCurrentRoute(r.route, r.index, r.reversed));
        EXPECT_EQ(routeEntries(), before);
        EXPECT_EQ(*u("INIP"), 2u);
        EXPECT_EQ(s_nRoutePointUsed, pointsBefore);
    }

    auto* list = static_cast<U16*>(H_MEMORY_pvMalloc(ROUTE_MAX_POINTS * 2 * sizeof(U16)));
    for (U32 i = 0; i < ROUTE_MAX_POINTS * 2; ++i)
        list[i] = w[i % 8];
    const struct {
        const char* what;
        U16 index;
        U32 count;
    } reloads[] = {{"50 points", 1, 50}, {"index 0", 0, 3}, {"index past the list", 4, 3}};
    for (const auto& r : reloads) {
        SCOPED_TRACE(r.what);
        EXPECT_FALSE(T_NAV_bReLoadCurrentRoute(list, r.index, r.count));
        EXPECT_EQ(routeEntries(), before);
        EXPECT_EQ(*u("INIP"), 2u);
    }
    H_MEMORY_vFree(list); // a refused list stays the caller's

    T_NAV_vEndNavigationNow();
    EXPECT_FALSE(T_NAV_bUpdateCurrentRoute(&three, 1, false)) << "idle";
}

} // namespace
