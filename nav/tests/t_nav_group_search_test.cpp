// Group content searches: what counts as equal for each kind, the walk's
// stops, and the root's two parts.
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_group_search.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/tests/nav_group_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

using namespace navg;

constexpr U16 NONE = 0xFFFF;

class GroupSearch : public GroupStore {
protected:
    U16 root = NONE;
    void SetUp() override
    {
        GroupStore::SetUp();
        root = buildRoot();
    }
    U16 group(const char* name)
    {
        GROUP_SLOT h = header(name, root, NONE);
        h.header.u32DateTime = 11;
        return T_NAV_GROUP_DATA_nNewGroup(&h.header);
    }
};

struct WaypointCase {
    const char* what;
    std::function<void(WAYPOINT&)> change;
    bool match;
};

TEST_F(GroupSearch, WaypointsMatchOnIconPositionTimeDepthAndName)
{
    const U16 g = group("G");
    const U16 w = add(wp(WP_STATUS_PERMANENT, 100, 200, "SPOT"));
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, w));
    const WaypointCase cases[] = {
        {"the same", [](WAYPOINT&) {}, true},
        {"another status", [](WAYPOINT& x) { x.u8Status = WP_STATUS_MOB; }, true},
        {"another icon", [](WAYPOINT& x) { x.u8Icon = 9; }, false},
        {"another depth", [](WAYPOINT& x) { x.u16Depth = 1; }, false},
        {"another time", [](WAYPOINT& x) { x.u32DateTime = 1; }, false},
        {"another x", [](WAYPOINT& x) { x.pt.x = 101; }, false},
        {"another name", [](WAYPOINT& x) { x.sName[0] = 'X'; }, false},
    };
    for (const WaypointCase& c : cases) {
        WAYPOINT probe = *T_NAV_pGetWaypoint(w);
        c.change(probe);
        EXPECT_EQ(T_NAV_u16FindInGroup(FIND_WAYPOINT_IN_GROUP, &probe, g), c.match ? w : NONE) << c.what;
    }
    // A waypoint is not what a group search looks for.
    EXPECT_EQ(T_NAV_u16FindInGroup(FIND_ROUTE_IN_GROUP, T_NAV_pGetRoute(0), g), NONE);
}

TEST_F(GroupSearch, RoutesIgnoreTheHiddenBitButNotTheLockedOne)
{
    const U16 g = group("G");
    ROUTE r = route({1, 2, 3});
    const S32 slot = T_NAV_nAddRoute(&r);
    ASSERT_GE(slot, 0);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, (U16)(0x8800 | slot)));
    ROUTE probe = *T_NAV_pGetRoute(slot);
    probe.bHide = 1;
    EXPECT_EQ(T_NAV_u16FindInGroup(FIND_ROUTE_IN_GROUP, &probe, g), 0x8800 | slot);
    probe.bRtNotShared = 1;
    EXPECT_EQ(T_NAV_u16FindInGroup(FIND_ROUTE_IN_GROUP, &probe, g), NONE);
    probe = *T_NAV_pGetRoute(slot);
    probe.anWaypoint[2] = 4;
    EXPECT_EQ(T_NAV_u16FindInGroup(FIND_ROUTE_IN_GROUP, &probe, g), NONE);
}

TEST_F(GroupSearch, AnEqualRecordedTrackOrGroupIsRefused)
{
    const U16 g = group("G");
    for (U32 s : {3u, 4u}) {
        RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeader(s);
        ASSERT_NE(h, nullptr);
        h->nCount = 10;
        h->u32DateTime = 500;
        navt::setName(h->sName, "TROLL");
    }
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, 0x4C00 | 3));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(g, 0x4C00 | 4)) << "equal recorded track";
    T_NAV_pGetRumbrelHeader(4)->u32DateTime = 501;
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, 0x4C00 | 4));

    const U16 a = group("SUB");
    const U16 b = group("SUB");
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, a));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(g, b)) << "equal group";
    const GROUP_SLOT ra = read(a & 0xFFF), rb = read(b & 0xFFF);
    EXPECT_TRUE(T_NAV_bGroupCompare(&ra.header, &rb.header));
}

TEST_F(GroupSearch, ABodyNamingItselfEndsTheSearch)
{
    GROUP_SLOT h = header("G", root, 0xC000 | 700);
    put(600, h);
    put(700, body({5}, 0xC000 | 700));
    WAYPOINT probe = wp(WP_STATUS_PERMANENT, 1, 1, "NOPE");
    EXPECT_EQ(T_NAV_u16FindInGroup(FIND_WAYPOINT_IN_GROUP, &probe, 0xC000 | 600), NONE);
    EXPECT_EQ(T_NAV_u16FindInGroup(FIND_WAYPOINT_IN_GROUP, &probe, 0xC000 | 2500), NONE) << "no group slot";
}

TEST_F(GroupSearch, ALockedWaypointIsComparedWithTheRootsLockedLinksOnly)
{
    const U16 shared = add(wp(WP_STATUS_PERMANENT, 1, 2, "TWIN"));
    const U16 locked = add(wp(WP_STATUS_PERMANENT, 1, 2, "TWIN", true));
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, shared));
    EXPECT_FALSE(T_NAV_bHasSameContentLinkInTargetGroup(root, locked));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, locked));
    const U16 locked2 = add(wp(WP_STATUS_PERMANENT, 1, 2, "TWIN", true));
    EXPECT_TRUE(T_NAV_bHasSameContentLinkInTargetGroup(root, locked2));
}

TEST_F(GroupSearch, HeaderComparisons)
{
    TRACK_HEADER a{};
    a.u16Count = 5;
    a.u32DateTime = 9;
    a.ptFirst = {1, 2};
    navt::setName(a.sName, "TRACK");
    TRACK_HEADER b = a;
    EXPECT_TRUE(T_NAV_DATA_bTrackCompareEX(&a, &b));
    b.ptUpperRight.y = 1;
    EXPECT_FALSE(T_NAV_DATA_bTrackCompareEX(&a, &b));
    RUMBREL_HEADER r{};
    r.nCount = 3;
    navt::setName(r.sName, "R");
    RUMBREL_HEADER s = r;
    s.u32Color = 7; // not part of the content
    EXPECT_TRUE(T_NAV_DATA_bRumbrelCompareEX(&r, &s));
    s.nCount = 4;
    EXPECT_FALSE(T_NAV_DATA_bRumbrelCompareEX(&r, &s));
}

} // namespace
