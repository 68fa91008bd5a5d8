// Group and route links: the add with its checks, the root's two parts,
// body allocation and release, parents, batches, route points; and a long
// random run that checks the tree's invariants after every step.
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_group_search.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/tests/nav_group_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace navg;

constexpr U16 NONE = 0xFFFF;
constexpr U16 SEP = 0xCFFF;

class GroupLinks : public GroupStore {
protected:
    U16 root = NONE;

    void SetUp() override
    {
        GroupStore::SetUp();
        root = buildRoot();
    }

    U16 group(const char* name, bool locked = false, U32 dateTime = 77)
    {
        GROUP_SLOT h = header(name, root, NONE, false, locked);
        h.header.u32DateTime = dateTime;
        const U16 g = T_NAV_GROUP_DATA_nNewGroup(&h.header);
        EXPECT_NE(g, NONE);
        return g;
    }

    U16 waypoint(const char* name, bool locked = false, S32 x = 10)
    {
        const U16 id = add(wp(WP_STATUS_PERMANENT, x, 20, name, locked));
        EXPECT_NE(id, NONE);
        return id;
    }

    U16 newRoute(std::initializer_list<U16> points, bool locked = false)
    {
        ROUTE r = route(points, locked);
        const S32 slot = T_NAV_nAddRoute(&r);
        EXPECT_GE(slot, 0);
        return (U16)(0x8800 | slot);
    }

    static U16 slotOf(U16 id) { return id == SEP ? 2999 : (U16)(id & 0x0FFF); }

    // The bodies of a group's chain in order, through 0xCFFF.
    std::vector<U16> bodies(U16 g)
    {
        std::vector<U16> out;
        U16 cur = read(slotOf(g)).header.u16FirstBodyIndex;
        while (cur != NONE && out.size() < 3000) {
            out.push_back(cur);
            cur = read(slotOf(cur)).body.u16NextIndex;
        }
        return out;
    }

    // The links of a chain from `first`, stopping before `stop`.
    std::vector<U16> chainLinks(U16 first, U16 stop = NONE)
    {
        std::vector<U16> out;
        U32 guard = 0;
        for (U16 cur = first; cur != NONE && cur != stop && guard++ < 3000;
             cur = read(slotOf(cur)).body.u16NextIndex)
            for (U16 l : read(slotOf(cur)).body.u16Item)
                if (l != NONE)
                    out.push_back(l);
        return out;
    }

    std::vector<U16> links(U16 g) { return chainLinks(read(slotOf(g)).header.u16FirstBodyIndex); }
    std::vector<U16> sharedRootLinks() { return chainLinks(read(slotOf(root)).header.u16FirstBodyIndex, SEP); }
    std::vector<U16> lockedRootLinks() { return chainLinks(SEP); }

    ROUTE routeOf(U16 r) { return *T_NAV_pGetRoute(r & 0xFF); }
};

TEST_F(GroupLinks, TheSameItemTwiceIsRefusedAndLeavesTheGroupAlone)
{
    const U16 g = group("Fish");
    const U16 a = waypoint("A");
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, a));
    const std::vector<U16> before = links(g);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(g, a));
    // A second waypoint with equal content is refused as well.
    const U16 twin = waypoint("A");
    ASSERT_NE(twin, a);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(g, twin));
    EXPECT_EQ(links(g), before);
    EXPECT_EQ(bodies(g).size(), 1u);
}

TEST_F(GroupLinks, TheThirteenthLinkChainsASecondBodyOfTheSamePart)
{
    for (bool locked : {false, true}) {
        const U16 g = group(locked ? "L" : "S", locked);
        std::vector<U16> want;
        for (int i = 0; i < 13; ++i) {
            const U16 w = waypoint(("W" + std::to_string(i) + (locked ? "L" : "S")).c_str(), locked, i);
            ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, w)) << i;
            want.push_back(w);
        }
        const std::vector<U16> b = bodies(g);
        ASSERT_EQ(b.size(), 2u);
        EXPECT_EQ(read(slotOf(b[1])).body.bWpNotShared, locked ? 1 : 0);
        EXPECT_EQ(read(slotOf(b[1])).body.u16NextIndex, NONE);
        EXPECT_EQ(links(g), want);
    }
}

TEST_F(GroupLinks, TheRootKeepsSharedLinksBeforeTheSeparatorAndLockedOnesAfter)
{
    const U16 firstShared = read(slotOf(root)).header.u16FirstBodyIndex;
    std::vector<U16> shared, locked;
    for (int i = 0; i < 13; ++i) {
        shared.push_back(waypoint(("S" + std::to_string(i)).c_str(), false, i));
        ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, shared.back()));
    }
    // The new last shared body took over the separator.
    std::vector<U16> b = bodies(root);
    ASSERT_GE(b.size(), 3u);
    EXPECT_EQ(b[0], firstShared);
    EXPECT_EQ(read(slotOf(b[0])).body.u16NextIndex, b[1]);
    EXPECT_EQ(read(slotOf(b[1])).body.u16NextIndex, SEP);
    EXPECT_EQ(read(slotOf(b[1])).body.bWpNotShared, 0);
    EXPECT_TRUE(lockedRootLinks().empty()) << "the locked part is untouched";

    const U16 lw = waypoint("LOCK", true);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, lw));
    EXPECT_EQ(read(2999).body.u16Item[0], lw) << "the first locked link lands in slot 2999";
    for (int i = 0; i < 12; ++i) {
        locked.push_back(waypoint(("L" + std::to_string(i)).c_str(), true, i));
        ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, locked.back()));
    }
    locked.insert(locked.begin(), lw);
    EXPECT_EQ(sharedRootLinks(), shared);
    EXPECT_EQ(lockedRootLinks(), locked);
    const U16 second = read(2999).body.u16NextIndex;
    ASSERT_NE(second, NONE);
    EXPECT_EQ(read(slotOf(second)).body.bWpNotShared, 1);
}

TEST_F(GroupLinks, LinkingAGroupSetsItsParentAndTheRootIsNeverLinked)
{
    const U16 a = group("A");
    const U16 b = group("B");
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(a, b));
    EXPECT_EQ(read(slotOf(b)).header.u16ParentIndex, a);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(a, root));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(a, a)) << "a group into itself";
    EXPECT_EQ(links(a), std::vector<U16>{b});
}

struct BadAdd {
    const char* what;
    U16 target; // 0: the test's group
    U16 link;
};

TEST_F(GroupLinks, InvalidTargetsAndLinksAreRefused)
{
    const U16 g = group("G");
    const BadAdd cases[] = {
        {"free slot", 0, 123},
        {"no item", 0, NONE},
        {"separator", 0, SEP},
        {"not a target", 0x1234, 5},
        {"group slot as target that is free", 0xC000 | 2500, 5},
    };
    for (const BadAdd& c : cases) {
        EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(c.target ? c.target : g, c.link)) << c.what;
    }
    EXPECT_TRUE(links(g).empty());
}

TEST_F(GroupLinks, RemovingTheLastLinkFreesOrdinaryBodiesButNotTheFixedOnes)
{
    const U16 g = group("G");
    std::vector<U16> w;
    for (int i = 0; i < 13; ++i) {
        w.push_back(waypoint(("W" + std::to_string(i)).c_str(), false, i));
        ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, w.back()));
    }
    const std::vector<U16> b = bodies(g);
    ASSERT_EQ(b.size(), 2u);
    // Empty the first body: the header links on to the second, the first is freed.
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(T_NAV_GROUP_DATA_bRemoveLink(g, w[i]));
    EXPECT_EQ(bodies(g), std::vector<U16>{b[1]});
    EXPECT_EQ(T_NAV_pGetGroupSlot(b[0]), nullptr);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRemoveLink(g, w[0])) << "gone already";

    // The root's first locked body and its body before the separator stay.
    const U16 lw = waypoint("LK", true);
    const U16 sw = waypoint("SH");
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, lw));
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, sw));
    const U16 sharedBody = read(slotOf(root)).header.u16FirstBodyIndex;
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRemoveLink(root, lw));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRemoveLink(root, sw));
    EXPECT_EQ(read(2999).body.u8Status, WP_STATUS_GROUP_BODY);
    EXPECT_EQ(read(slotOf(root)).header.u16FirstBodyIndex, sharedBody);
    EXPECT_EQ(read(slotOf(sharedBody)).body.u16NextIndex, SEP);
}

TEST_F(GroupLinks, ABatchAddsWhatIsMissingOnce)
{
    const U16 g = group("G");
    std::vector<U16> w;
    for (int i = 0; i < 14; ++i)
        w.push_back(waypoint(("B" + std::to_string(i)).c_str(), false, i));
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, w[0]));
    std::vector<U16> list = w;
    list.push_back(w[3]); // twice in the list
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLinks(g, list.data(), (U32)list.size()));
    EXPECT_EQ(links(g), w);
    // Everything already present: TRUE, nothing changes.
    const std::vector<U16> b = bodies(g);
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLinks(g, w.data(), (U32)w.size()));
    EXPECT_EQ(links(g), w);
    EXPECT_EQ(bodies(g), b);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLinks(g, w.data(), 0));
    // Locked links into the root go after the separator.
    const U16 l1 = waypoint("L1", true), l2 = waypoint("L2", true);
    const U16 locked[] = {l1, l2};
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLinks(root, locked, 2));
    EXPECT_EQ(lockedRootLinks(), (std::vector<U16>{l1, l2}));
    EXPECT_TRUE(sharedRootLinks().empty());
}

TEST_F(GroupLinks, ReplaceSwapsTheFirstOccurrence)
{
    const U16 g = group("G");
    const U16 a = waypoint("A"), b = waypoint("B"), c = waypoint("C");
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, a));
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, b));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bReplaceLink(g, a, c));
    EXPECT_EQ(links(g), (std::vector<U16>{c, b}));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bReplaceLink(g, a, c));
}

TEST_F(GroupLinks, DamagedChainsEndTheWalks)
{
    const U16 g = group("G");
    std::vector<U16> w;
    for (int i = 0; i < 12; ++i) {
        w.push_back(waypoint(("D" + std::to_string(i)).c_str(), false, i));
        ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(g, w.back()));
    }
    const U16 b = bodies(g)[0];
    GROUP_SLOT body = read(slotOf(b));
    body.body.u16NextIndex = b; // names itself
    put(slotOf(b), body);
    const U16 extra = waypoint("X");
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(g, extra)) << "a damaged chain is not extended";
    const WAYPOINT* pw = T_NAV_pGetWaypoint(extra);
    EXPECT_EQ(T_NAV_u16FindInGroup(FIND_WAYPOINT_IN_GROUP, pw, g), NONE);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRemoveLink(g, extra));
    EXPECT_EQ(read(slotOf(b)).body.u16NextIndex, NONE) << "the remove cut the chain";
}

TEST_F(GroupLinks, TheTableLinksMotorItemsIntoTheDefaultGroup)
{
    const U16 g = group("DEF");
    ASSERT_TRUE(T_NAV_GROUP_DATA_bSetDefaultGroup(g));
    T_NAV_TWR_vInstallHooks(nullptr);
    const U16 r = newRoute({waypoint("A")});
    EXPECT_TRUE(T_NAV_TWR_pGetHooks()->pfnAddToDefaultGroup(r));
    EXPECT_EQ(links(g), std::vector<U16>{r});
    T_NAV_TWR_HOOKS h = tableHooks();
    T_NAV_TWR_vInstallHooks(&h);
}

// Routes ------------------------------------------------------------------------

TEST_F(GroupLinks, RoutePointsAppendUpToFifty)
{
    const U16 a = waypoint("A"), b = waypoint("B", false, 99);
    const U16 r = newRoute({});
    std::vector<U16> pts;
    for (int i = 0; i < 50; ++i) {
        const U16 p = (i % 2) ? a : b;
        ASSERT_TRUE(T_NAV_GROUP_DATA_bRouteAddLink(r, p)) << i;
    }
    EXPECT_EQ(routeOf(r).nCount, 50u);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRouteAddLink(r, a + 0)) << "full";
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(r, b)) << "through the group form too";
}

TEST_F(GroupLinks, AnEqualLastPointIsRefusedButAcceptedAfterAnother)
{
    const U16 a = waypoint("A"), twin = waypoint("A"), b = waypoint("B", false, 5);
    const U16 r = newRoute({});
    ASSERT_TRUE(T_NAV_GROUP_DATA_bRouteAddLink(r, a));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRouteAddLink(r, a));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRouteAddLink(r, twin)) << "equal content";
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRouteAddLink(r, b));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRouteAddLink(r, a));
    EXPECT_EQ(routeOf(r).nCount, 3u);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRouteAddLink(r, 3000)) << "not an own waypoint";
    EXPECT_FALSE(T_NAV_GROUP_DATA_bAddLink(r, root)) << "a group is no route point";
}

TEST_F(GroupLinks, ALockedWaypointIntoASharedRouteAppendsASharedCopy)
{
    const U16 lw = waypoint("LK", true);
    const U16 r = newRoute({});
    ASSERT_TRUE(T_NAV_GROUP_DATA_bRouteAddLink(r, lw));
    const ROUTE rt = routeOf(r);
    ASSERT_EQ(rt.nCount, 1u);
    const U16 copy = rt.anWaypoint[0];
    EXPECT_NE(copy, lw);
    const WAYPOINT* c = T_NAV_pGetWaypoint(copy);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->bWpNotShared, 0);
    EXPECT_EQ(std::string(c->sName, 2), "LK");
}

TEST_F(GroupLinks, RemovingAPointShiftsTheRest)
{
    const U16 a = waypoint("A"), b = waypoint("B", false, 3), c = waypoint("C", false, 4);
    const U16 r = newRoute({a, b, c});
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRemoveLink(r, a));
    const ROUTE rt = routeOf(r);
    EXPECT_EQ(rt.nCount, 2u);
    EXPECT_EQ(rt.anWaypoint[0], b);
    EXPECT_EQ(rt.anWaypoint[1], c);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRouteRemoveLink(r, a));
}

TEST_F(GroupLinks, PointByPointRefusesForeignIdsAndRepeats)
{
    const U16 a = waypoint("A"), b = waypoint("B", false, 3);
    const U16 r = newRoute({});
    ROUTE rt = routeOf(r);
    rt.nCount = 3; // the caller announces three points
    T_NAV_vRouteStore(r & 0xFF, &rt, FALSE, FALSE);
    U32 index = 0;
    U16 last = NONE;
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRouteAddLinkOnline(r, 0x1005, 3, &index, &last));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRouteAddLinkOnline(r, a, 3, &index, &last));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRouteAddLinkOnline(r, a, 3, &index, &last));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRouteAddLinkOnline(r, b, 3, &index, &last));
    rt = routeOf(r);
    EXPECT_EQ(rt.nCount, 2u) << "the repeat took one off the announced count";
    EXPECT_EQ(rt.anWaypoint[0], a);
    EXPECT_EQ(rt.anWaypoint[1], b);
    EXPECT_EQ(index, 2u);
}

// Random run ------------------------------------------------------------------

TEST_F(GroupLinks, RandomLinkingKeepsTheTreeSound)
{
    std::mt19937 rng(68);
    std::vector<U16> waypoints;
    for (int i = 0; i < 60; ++i)
        waypoints.push_back(waypoint(("R" + std::to_string(i)).c_str(), i % 3 == 0, i));
    std::vector<U16> groups;
    auto pick = [&](const std::vector<U16>& v) { return v[rng() % v.size()]; };

    auto check = [&](int step) {
        // Every group: one part, no id twice, right parents.
        std::vector<U16> all = groups;
        all.push_back(root);
        for (U16 g : all) {
            const GROUP_SLOT h = read(slotOf(g));
            std::vector<U16> ls = g == root ? sharedRootLinks() : links(g);
            if (g == root) {
                for (U16 l : ls)
                    ASSERT_FALSE(T_NAV_bIsNotSharedLink(l)) << step;
                const std::vector<U16> lk = lockedRootLinks();
                for (U16 l : lk)
                    ASSERT_TRUE(T_NAV_bIsNotSharedLink(l)) << step;
                ls.insert(ls.end(), lk.begin(), lk.end());
                ASSERT_EQ(read(2999).body.u8Status, WP_STATUS_GROUP_BODY) << step;
                ASSERT_EQ(read(2999).body.bWpNotShared, 1) << step;
            } else {
                for (U16 b : bodies(g))
                    ASSERT_EQ(read(slotOf(b)).body.bWpNotShared, h.header.bWpNotShared) << step;
                for (U16 l : ls) {
                    if (T_NAV_GROUP_bIsGroupId(l) || l < 3000) {
                        ASSERT_EQ((bool)T_NAV_bIsNotSharedLink(l), (bool)h.header.bWpNotShared) << step;
                    }
                }
            }
            std::set<U16> seen(ls.begin(), ls.end());
            ASSERT_EQ(seen.size(), ls.size()) << "an id twice at step " << step;
            for (U16 l : ls) {
                if (T_NAV_GROUP_bIsGroupId(l) && T_NAV_pGetGroupSlot(l) != nullptr) {
                    ASSERT_EQ(read(slotOf(l)).header.u16ParentIndex, g) << step;
                }
            }
        }
    };

    for (int step = 0; step < 10000; ++step) {
        const U32 op = rng() % 100;
        if (op < 5 && groups.size() < 40) {
            const bool locked = rng() % 2;
            GROUP_SLOT h = header(("G" + std::to_string(step)).c_str(), NONE, NONE, false, locked);
            h.header.u32DateTime = (U32)step;
            const U16 g = T_NAV_GROUP_DATA_nNewGroup(&h.header);
            if (g != NONE) {
                groups.push_back(g);
                // A new group hangs below the root or another group of its part.
                std::vector<U16> parents{root};
                for (U16 p : groups)
                    if (p != g && read(slotOf(p)).header.bWpNotShared == (locked ? 1 : 0))
                        parents.push_back(p);
                if (!T_NAV_GROUP_DATA_bAddLink(pick(parents), g))
                    T_NAV_GROUP_DATA_bAddLink(root, g);
            }
        } else if (op < 7 && !groups.empty()) {
            const U16 g = pick(groups);
            const U16 parent = read(slotOf(g)).header.u16ParentIndex;
            T_NAV_GROUP_DATA_bRemoveLink(parent, g);
            T_NAV_GROUP_DATA_bDeleteGroup(g);
            // A deleted group takes its sub-groups with it.
            groups.erase(std::remove_if(groups.begin(), groups.end(),
                                        [](U16 x) { return T_NAV_pGetGroupSlot(x) == nullptr; }),
                         groups.end());
            // Links to deleted groups are cleared where they stand.
            std::vector<U16> all = groups;
            all.push_back(root);
            for (U16 h : all)
                for (U16 l : links(h))
                    if (T_NAV_GROUP_bIsGroupId(l) && T_NAV_pGetGroupSlot(l) == nullptr)
                        T_NAV_GROUP_DATA_bRemoveLink(h, l);
        } else if (op < 55) {
            std::vector<U16> targets = groups;
            targets.push_back(root);
            const U16 g = pick(targets);
            const U16 w = pick(waypoints);
            if (g == root || (bool)read(slotOf(g)).header.bWpNotShared == (bool)T_NAV_bIsNotSharedLink(w))
                T_NAV_GROUP_DATA_bAddLink(g, w);
        } else if (op < 90) {
            std::vector<U16> targets = groups;
            targets.push_back(root);
            T_NAV_GROUP_DATA_bRemoveLink(pick(targets), pick(waypoints));
        } else {
            std::vector<U16> targets = groups;
            targets.push_back(root);
            const U16 g = pick(targets);
            const bool locked = g == root ? rng() % 2 : read(slotOf(g)).header.bWpNotShared;
            std::vector<U16> list;
            for (U16 w : waypoints)
                if ((bool)T_NAV_bIsNotSharedLink(w) == locked && rng() % 4 == 0)
                    list.push_back(w);
            if (!list.empty())
                T_NAV_GROUP_DATA_bAddLinks(g, list.data(), (U32)list.size());
        }
        check(step);
        if (HasFatalFailure())
            return;
    }
}

} // namespace

namespace {

using namespace navg;

using SpaceLinks = GroupStore;

TEST_F(SpaceLinks, BuildingASpaceCutsALoopAndKeepsRoutePointsOwn)
{
    Space sp(3000, 50, 50, 50);
    NAV_DATA_SPACE* p = sp.p();
    GROUP_SLOT h = header("G", 0xFFFF, gid(11));
    T_NAV_GROUP_vToWaypoint(&h, &sp.waypoints[10]);
    GROUP_SLOT full = body({1, 2, 3, 4, 5, 6, 7, 8, 9, 20, 21, 22}, gid(11)); // names itself
    T_NAV_GROUP_vToWaypoint(&full, &sp.waypoints[11]);
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLinkEX(p, gid(10), 23));
    GROUP_SLOT first{};
    T_NAV_GROUP_vFromWaypoint(&sp.waypoints[11], &first);
    const U16 next = first.body.u16NextIndex;
    ASSERT_TRUE(T_NAV_GROUP_bIsGroupId(next)) << "the loop was cut and a new body chained";
    GROUP_SLOT added{};
    T_NAV_GROUP_vFromWaypoint(&sp.waypoints[next & 0xFFF], &added);
    EXPECT_EQ(added.body.u16Item[0], 23);
    EXPECT_EQ(added.body.u16NextIndex, 0xFFFF);
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRemoveLinkEX(p, gid(10), 23));
    T_NAV_GROUP_vFromWaypoint(&sp.waypoints[11], &first);
    EXPECT_EQ(first.body.u16NextIndex, 0xFFFF) << "the emptied body was unlinked";

    sp.routes[2] = route({}, false, 99);
    const U16 r = 0x8800 | 2;
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRouteAddLinkEX(p, r, 5));
    EXPECT_FALSE(T_NAV_GROUP_DATA_bRouteAddLinkEX(p, r, 5)) << "already a point";
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRouteAddLinkEX(p, r, 0x1005));
    EXPECT_EQ(sp.routes[2].nCount, 2u);
    EXPECT_EQ(sp.routes[2].anWaypoint[1], 0xFFFF) << "not an own waypoint";
    EXPECT_TRUE(T_NAV_GROUP_DATA_bRouteRemoveLinkEX(p, r, 5));
    EXPECT_EQ(sp.routes[2].nCount, 1u);
    EXPECT_EQ(sp.routes[2].anWaypoint[0], 0xFFFF);
}

} // namespace
