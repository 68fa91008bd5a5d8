// Saving the current route: which points are kept, the name, the group,
// the route it replaces for the trolling motor, and what a full store or a
// lost point does.

#include "nav/core/t_nav_route.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/tests/nav_goto_world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace navg;
using V = std::vector<std::string>;
using Ids = std::vector<U16>;

constexpr U32 ROUTE_SLOTS = 50;

class RouteSave : public NavGoTo {
protected:
    void SetUp() override
    {
        NavGoTo::SetUp();
        s_s16UnifiedRouteSave = NONE;
        // Saved routes go into the default group: the unit's "Home".
        ASSERT_TRUE(T_NAV_GROUP_DATA_bBuildRootGroup());
    }
    void TearDown() override
    {
        s_s16UnifiedRouteSave = NONE;
        T_NAV_GROUP_DATA_vSetRootGroup(NONE);
        T_NAV_GROUP_DATA_vSetDefaultGroupId(NONE);
        NavGoTo::TearDown();
    }

    // The current route as navigation leaves it: entry 0 where the travel
    // began, then the destinations.
    static void current(const Ids& ids, const char* name = "", U32 dateTime = 0, bool hidden = false)
    {
        s_CurrentRoute = ROUTE{};
        s_CurrentRoute.bRtNotShared = 1;
        s_CurrentRoute.nCount = (U32)ids.size();
        for (size_t i = 0; i < ids.size(); ++i)
            s_CurrentRoute.anWaypoint[i] = ids[i];
        strncpy(s_CurrentRoute.sName, name, sizeof s_CurrentRoute.sName);
        s_CurrentRoute.u32DateTime = dateTime;
        s_CurrentRoute.bHide = hidden ? 1 : 0;
    }

    static std::vector<U32> usedSlots()
    {
        std::vector<U32> out;
        for (U32 i = 0; i < ROUTE_SLOTS; ++i)
            if (T_NAV_pGetRoute(i)->nCount != 0)
                out.push_back(i);
        return out;
    }

    static Ids points(U32 slot)
    {
        const ROUTE* r = T_NAV_pGetRoute(slot);
        return Ids(r->anWaypoint, r->anWaypoint + r->nCount);
    }

    static std::string name(const char* pc, size_t n) { return std::string(pc, strnlen(pc, n)); }
    static std::string name(U32 slot) { return name(T_NAV_pGetRoute(slot)->sName, ROUTE_NAME_CHARS); }
    static std::string currentName() { return name(s_CurrentRoute.sName, ROUTE_NAME_CHARS); }

    static bool inDefaultGroup(U32 slot)
    {
        U32 steps = 0;
        return T_NAV_GROUP_DATA_bIsInGroup(T_NAV_GROUP_DATA_nGetDefaultGroup(), (U16)(0x8800 | slot), &steps);
    }
};

TEST_F(RouteSave, ANewRouteIsTheDestinationsUnderTheFirstFreeSlotsName)
{
    const struct {
        const char* name;
        std::vector<U32> stored; // slots holding a route before the save
        U32 slot;
        const char* saved;
    } cases[] = {
        {"empty store", {}, 0, "RT001"},
        {"slot 0 used", {0}, 1, "RT002"},
        {"a freed slot is used again", {0, 2}, 1, "RT002"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const U32 top = c.stored.empty() ? 0 : c.stored.back() + 1;
        for (U32 s = 0; s < top; ++s)
            addRoute({w[6], w[7]}, ("OLD" + std::to_string(s)).c_str());
        for (U32 s = 0; s < top; ++s)
            if (std::find(c.stored.begin(), c.stored.end(), s) == c.stored.end())
                T_NAV_bDeleteRoute(s, TRUE);
        ASSERT_EQ(usedSlots(), c.stored);
        current({w[0], w[1], w[2]});
        notes();
        clicks();

        T_NAV_vSaveCurrentRoute();
        EXPECT_EQ(clicks(), GOOD);
        EXPECT_EQ(notes(), V{std::string("Route ") + c.saved + " Saved"});
        ASSERT_EQ(T_NAV_pGetRoute(c.slot)->nCount, 2u) << "three entries save as two points";
        EXPECT_EQ(points(c.slot), (Ids{w[1], w[2]})) << "the start of the travel is left out";
        EXPECT_EQ(name(c.slot), c.saved);
        EXPECT_EQ(currentName(), c.saved) << "the current route carries the name it was saved under";
        EXPECT_EQ(T_NAV_pGetRoute(c.slot)->u32DateTime, T0) << "dated now";
        EXPECT_EQ(*u("CLRT"), c.slot);
        EXPECT_TRUE(inDefaultGroup(c.slot));
        EXPECT_EQ(s_CurrentRoute.nCount, 3u) << "navigation goes on along it";
    }
}

TEST_F(RouteSave, EveryPointBecomesAnOwnPermanentWaypoint)
{
    WAYPOINT peer = {};
    peer.u8Status = WP_STATUS_PERMANENT;
    peer.pt = at(300, 4000);
    strncpy(peer.sName, "PEER", sizeof peer.sName);
    const S32 peerId = T_NAV_TWR_nAddNetworkWaypoint(NONE, &peer, 1);
    ASSERT_GE(peerId, 0x1000);
    const U16 temp = addWaypoint(at(100, 100), "TMP", WP_STATUS_TEMPORARY);
    current({w[0], temp, (U16)peerId, w[3]});

    T_NAV_vSaveCurrentRoute();
    EXPECT_EQ(clicks(), GOOD);
    ASSERT_EQ(usedSlots(), std::vector<U32>{0});
    const Ids saved = points(0);
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0], temp);
    EXPECT_EQ(saved[2], w[3]);
    EXPECT_TRUE(T_NAV_TWR_bIsLocalWaypoint(saved[1])) << "the peer's waypoint is copied";
    EXPECT_EQ(waypoint(saved[1]).pt.x, peer.pt.x);
    EXPECT_EQ(waypoint(saved[1]).pt.y, peer.pt.y);
    // A temporary waypoint has no file: left so, the stored route would
    // lose it at the next start.
    for (U16 id : saved)
        EXPECT_EQ(waypoint(id).u8Status, WP_STATUS_PERMANENT) << id;
}

TEST_F(RouteSave, AReplacementForTheMotorsRouteKeepsItsNameDateAndHiddenFlag)
{
    addRoute({w[6], w[7]}, "FIRST");
    const U16 old = addRoute({w[1], w[2]}, "LAKE LOOP");
    current({w[0], w[1], w[4], w[2]}, "LAKE LOOP", T0 - 3600, true);
    s_s16UnifiedRouteSave = old;

    T_NAV_vSaveCurrentRoute();
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(notes(), V{"Route LAKE LOOP Saved"});
    EXPECT_EQ(s_s16UnifiedRouteSave, NONE);
    EXPECT_EQ(T_NAV_pGetRoute(old)->nCount, 0u) << "the replaced route goes";
    const std::vector<U32> used = usedSlots();
    ASSERT_EQ(used.size(), 2u);
    const U32 slot = used[0] == 0 ? used[1] : used[0];
    EXPECT_EQ(points(slot), (Ids{w[1], w[4], w[2]}));
    EXPECT_EQ(name(slot), "LAKE LOOP");
    EXPECT_EQ(T_NAV_pGetRoute(slot)->u32DateTime, T0 - 3600);
    EXPECT_EQ(T_NAV_pGetRoute(slot)->bHide, 1u);
    EXPECT_TRUE(inDefaultGroup(slot));
    EXPECT_EQ(currentName(), "LAKE LOOP");
}

TEST_F(RouteSave, NothingToSaveAFullStoreOrALostPointStoreNothing)
{
    enum Setup { NO_DESTINATION, ROUTES_FULL, ROUTES_FULL_REPLACING, PEER_GONE, PEER_GONE_REPLACING };
    const struct {
        const char* name;
        Setup setup;
        Clicks click;
        V notes;
    } cases[] = {
        {"only the start", NO_DESTINATION, GOOD, {}},
        {"every route slot used", ROUTES_FULL, BAD, {"No more routes can be saved. Out of route memory."}},
        {"every route slot used, replacing", ROUTES_FULL_REPLACING, BAD,
         {"No more routes can be saved. Out of route memory."}},
        {"a peer's waypoint gone", PEER_GONE, BAD, {"No more waypoints can be saved. Out of waypoint memory."}},
        {"a peer's waypoint gone, replacing", PEER_GONE_REPLACING, BAD,
         {"No more waypoints can be saved. Out of waypoint memory."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const bool full = c.setup == ROUTES_FULL || c.setup == ROUTES_FULL_REPLACING;
        const bool replacing = c.setup == ROUTES_FULL_REPLACING || c.setup == PEER_GONE_REPLACING;
        U16 old = NONE;
        for (U32 s = 0; s < (full ? ROUTE_SLOTS : 1); ++s)
            old = addRoute({w[6], w[7]}, "KEPT");
        const ROUTE before = *T_NAV_pGetRoute(old);
        if (replacing)
            s_s16UnifiedRouteSave = old;
        if (c.setup == NO_DESTINATION)
            current({w[0]}, "NAMED");
        else if (c.setup == PEER_GONE || c.setup == PEER_GONE_REPLACING)
            current({w[0], w[1], (U16)0x1005}, "NAMED"); // bank 1, slot 5: empty
        else
            current({w[0], w[1], w[2]}, "NAMED");
        const std::vector<U32> stored = usedSlots();
        const std::optional<U32> clrt = u("CLRT");
        notes();
        clicks();

        T_NAV_vSaveCurrentRoute();
        EXPECT_EQ(clicks(), c.click);
        EXPECT_EQ(notes(), c.notes);
        EXPECT_EQ(usedSlots(), stored) << "nothing stored, nothing deleted";
        EXPECT_EQ(memcmp(T_NAV_pGetRoute(old), &before, sizeof before), 0) << "the stored route is untouched";
        EXPECT_EQ(u("CLRT"), clrt);
        // A refused store ends the replacement; a lost point leaves it for
        // another try.
        EXPECT_EQ(s_s16UnifiedRouteSave, c.setup == PEER_GONE_REPLACING ? old : NONE);
        if (c.setup == ROUTES_FULL) {
            EXPECT_EQ(currentName(), "NAMED") << "no default name to give";
        }
    }
}

} // namespace
