// Merging a space's groups under a local parent and adopting its
// unreferenced items: what is copied, what is found, what stays out, and
// that a second merge adds nothing.
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_group_merge.h"
#include "nav/data/t_nav_group_search.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/tests/nav_group_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace navg;

constexpr U16 NONE = 0xFFFF;

class GroupMerge : public GroupStore {
protected:
    U16 root = NONE;
    Space space{3000, 50, 50, 50};

    void SetUp() override
    {
        GroupStore::SetUp();
        root = buildRoot();
        // The space: root (0) -> body 1: waypoint 10, group FISH (20),
        // locked group SECRET (30), route 0 (points 10, 11, 12).
        // FISH -> body 21: waypoint 11. SECRET -> body 31: waypoint 12.
        putS(0, header("Home", NONE, gid(1)));
        putS(1, body({10, gid(20), gid(30), 0x8800}));
        GROUP_SLOT fish = header("FISH", gid(0), gid(21));
        fish.header.u32DateTime = 321;
        putS(20, fish);
        putS(21, body({11}));
        putS(30, header("SECRET", gid(0), gid(31), false, true));
        putS(31, body({12}, NONE, true));
        space.waypoints[10] = wp(WP_STATUS_PERMANENT, 10, 10, "TEN");
        space.waypoints[11] = wp(WP_STATUS_MOB, 11, 11, "ELEVEN");
        space.waypoints[12] = wp(WP_STATUS_PERMANENT, 12, 12, "TWELVE");
        space.waypoints[40] = wp(WP_STATUS_PERMANENT, 40, 40, "LOOSE");
        space.routes[0] = route({10, 11, 12}, false, 777, "SPACE RT");
        space.routes[1] = route({40, 10}, false, 778, "LOOSE RT");
    }

    void putS(U32 s, const GROUP_SLOT& g) { T_NAV_GROUP_vToWaypoint(&g, &space.waypoints[s]); }

    U16 localGroup(const char* name)
    {
        GROUP_SLOT h = header(name, root, NONE);
        const U16 g = T_NAV_GROUP_DATA_nNewGroup(&h.header);
        EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, g));
        return g;
    }

    std::vector<U16> links(U16 g)
    {
        std::vector<U16> out;
        for (U16 cur = read(g & 0xFFF).header.u16FirstBodyIndex; cur != NONE && cur != 0xCFFF;
             cur = read(cur & 0xFFF).body.u16NextIndex)
            for (U16 l : read(cur & 0xFFF).body.u16Item)
                if (l != NONE)
                    out.push_back(l);
        return out;
    }

    U32 ownWaypoints()
    {
        U32 n = 0;
        for (U32 s = 0; s < 3000; ++s) {
            const U8 st = T_NAV_TWR_pGetNetworkWaypoint(s, 0)->u8Status;
            n += st == WP_STATUS_PERMANENT || st == WP_STATUS_MOB;
        }
        return n;
    }

    bool merge(U16 parent)
    {
        GROUP_SLOT h{};
        T_NAV_GROUP_vFromWaypoint(&space.waypoints[0], &h);
        return T_NAV_GROUP_DATA_vMergeGroupedNavDataToLocal(space.p(), &h.header, parent);
    }
};

TEST_F(GroupMerge, SharedGroupsMergeUnderTheParentAndLockedOnesStayOut)
{
    const U16 parent = localGroup("IMPORT");
    // ELEVEN exists locally already (elsewhere); TEN is already in the parent.
    const U16 eleven = add(space.waypoints[11]);
    const U16 ten = add(space.waypoints[10]);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(parent, ten));
    const U32 before = ownWaypoints();

    ASSERT_TRUE(merge(parent));
    const std::vector<U16> top = links(parent);
    ASSERT_EQ(top.size(), 3u) << "TEN, FISH and the route";
    EXPECT_EQ(top[0], ten);
    const U16 fish = top[1];
    ASSERT_TRUE(T_NAV_GROUP_bIsGroupId(fish));
    const GROUP_SLOT fh = read(fish & 0xFFF);
    EXPECT_EQ(std::string(fh.header.sName, 4), "FISH");
    EXPECT_EQ(fh.header.u16ParentIndex, parent);
    EXPECT_EQ(links(fish), std::vector<U16>{eleven}) << "linked, not copied";

    // The route's points are local waypoints: TEN, ELEVEN and a copy of TWELVE.
    const U16 rid = top[2];
    ASSERT_EQ(rid & 0xFF00, 0x8800);
    const ROUTE r = *T_NAV_pGetRoute(rid & 0xFF);
    ASSERT_EQ(r.nCount, 3u);
    EXPECT_EQ(r.anWaypoint[0], ten);
    EXPECT_EQ(r.anWaypoint[1], eleven);
    const WAYPOINT* twelve = T_NAV_pGetWaypoint(r.anWaypoint[2]);
    ASSERT_NE(twelve, nullptr);
    EXPECT_EQ(std::string(twelve->sName, 6), "TWELVE");
    EXPECT_EQ(ownWaypoints(), before + 1) << "only TWELVE was copied";
    // Nothing of SECRET arrived.
    for (U16 l : links(root)) {
        if (T_NAV_GROUP_bIsGroupId(l)) {
            EXPECT_NE(std::string(read(l & 0xFFF).header.sName, 6), "SECRET");
        }
    }

    // A second merge adds nothing.
    const U32 waypoints = ownWaypoints();
    ASSERT_TRUE(merge(parent));
    EXPECT_EQ(links(parent), top);
    EXPECT_EQ(links(fish), std::vector<U16>{eleven});
    EXPECT_EQ(ownWaypoints(), waypoints);
}

TEST_F(GroupMerge, AnEqualGroupInTheParentIsMergedInto)
{
    const U16 parent = localGroup("IMPORT");
    GROUP_SLOT h = header("FISH", parent, NONE);
    h.header.u32DateTime = 321;
    const U16 fish = T_NAV_GROUP_DATA_nNewGroup(&h.header);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(parent, fish));
    ASSERT_TRUE(merge(parent));
    U32 groups = 0;
    for (U16 l : links(parent))
        groups += T_NAV_GROUP_bIsGroupId(l);
    EXPECT_EQ(groups, 1u);
    EXPECT_EQ(links(fish).size(), 1u) << "ELEVEN went into the existing group";
}

TEST_F(GroupMerge, ALoopingSpaceGroupEnds)
{
    const U16 parent = localGroup("IMPORT");
    putS(21, body({11, gid(20)}, gid(21))); // FISH holds itself, its body names itself
    EXPECT_TRUE(merge(parent));
    EXPECT_EQ(links(parent).size(), 3u);
}

TEST_F(GroupMerge, UnreferencedItemsAreAdoptedIntoTheRoot)
{
    T_NAV_GROUP_DATA_vScanGroupForAddLinkIndependentNavData(root, space.p());
    const std::vector<U16> r = links(root);
    // LOOSE and the loose route; nothing the space's groups reference.
    ASSERT_EQ(r.size(), 2u);
    const WAYPOINT* loose = T_NAV_pGetWaypoint(r[0]);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(std::string(loose->sName, 5), "LOOSE");
    ASSERT_EQ(r[1] & 0xFF00, 0x8800);
    const ROUTE rt = *T_NAV_pGetRoute(r[1] & 0xFF);
    ASSERT_EQ(rt.nCount, 2u);
    EXPECT_EQ(rt.anWaypoint[0], r[0]) << "points translated to local waypoints";
    const WAYPOINT* ten = T_NAV_pGetWaypoint(rt.anWaypoint[1]);
    ASSERT_NE(ten, nullptr);
    EXPECT_EQ(std::string(ten->sName, 3), "TEN");
    // Again: nothing new.
    const U32 n = ownWaypoints();
    T_NAV_GROUP_DATA_vScanGroupForAddLinkIndependentNavData(root, space.p());
    EXPECT_EQ(links(root), r);
    EXPECT_EQ(ownWaypoints(), n);
    // Not the root: nothing.
    T_NAV_GROUP_DATA_vScanGroupForAddLinkIndependentNavData(localGroup("X"), space.p());
    EXPECT_EQ(ownWaypoints(), n);
}

TEST_F(GroupMerge, AnUnresolvedRoutePointIsDropped)
{
    space.routes[1] = route({40, 2500, 0x1005}, false, 778, "LOOSE RT");
    T_NAV_GROUP_DATA_vScanGroupForAddLinkIndependentNavData(root, space.p());
    const std::vector<U16> r = links(root);
    ASSERT_EQ(r.size(), 2u);
    const ROUTE rt = *T_NAV_pGetRoute(r[1] & 0xFF);
    ASSERT_EQ(rt.nCount, 1u);
    EXPECT_EQ(rt.anWaypoint[0], r[0]);
}

} // namespace
