// The group tree: the root's two-part chain, the default group, deleting
// nested groups, link validity, the membership tests, the move follower,
// and walks over hand-damaged trees that must end.
#include "nav/core/neighbour_standins.h"
#include "nav/tests/nav_group_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace navg;

using GroupTree = GroupStore;

TEST_F(GroupTree, AFreshRootHasASharedAndALockedBody)
{
    const U16 root = buildRoot();
    const GROUP_SLOT h = read(root & 0x3FFF);
    EXPECT_EQ(h.header.u16ParentIndex, 0xFFFF);
    EXPECT_EQ(h.header.u8Icon, 1);
    const U16 first = h.header.u16FirstBodyIndex;
    ASSERT_TRUE(T_NAV_GROUP_bIsGroupId(first));
    const GROUP_SLOT shared = read(first & 0x3FFF);
    EXPECT_EQ(shared.body.u8Status, WP_STATUS_GROUP_BODY);
    EXPECT_EQ(shared.body.bWpNotShared, 0);
    EXPECT_EQ(shared.body.u16NextIndex, 0xCFFF);
    const GROUP_SLOT locked = read(2999);
    EXPECT_EQ(locked.body.u8Status, WP_STATUS_GROUP_BODY);
    EXPECT_EQ(locked.body.bWpNotShared, 1);
    EXPECT_EQ(locked.body.u16NextIndex, 0xFFFF);
    for (U32 i = 0; i < GROUP_BODY_LINKS; ++i) {
        EXPECT_EQ(shared.body.u16Item[i], 0xFFFF);
        EXPECT_EQ(locked.body.u16Item[i], 0xFFFF);
    }
    // All three records reached their files.
    EXPECT_TRUE(fileExists(root & 0x3FFF));
    EXPECT_TRUE(fileExists(first & 0x3FFF));
    EXPECT_TRUE(fileExists(2999));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bAddShareLockBody(0x8800)) << "not a group: nothing to do";
}

TEST_F(GroupTree, TheDefaultGroupMustBeAGroup)
{
    const U16 root = buildRoot();
    GROUP_SLOT g = header("G", root, 0xFFFF);
    const U16 group = T_NAV_GROUP_DATA_nNewGroup(&g.header);
    ASSERT_NE(group, 0xFFFF);
    setU32(FCID("SNDG"), 0x1111);
    struct Case {
        U16 id;
        bool taken;
    };
    T_NAV_vFreeGroupSlot(group);
    for (const Case& c : {Case{0x8800, false}, Case{group, false}, Case{0x0003, false}, Case{root, true}}) {
        EXPECT_EQ(T_NAV_GROUP_DATA_bSetDefaultGroup(c.id) != FALSE, c.taken) << std::hex << c.id;
        EXPECT_EQ(getU32(FCID("SNDG")), c.taken ? c.id : 0x1111u) << std::hex << c.id;
    }
    EXPECT_EQ(T_NAV_GROUP_DATA_nGetDefaultGroup(), root);
}

TEST_F(GroupTree, DeletingAGroupFreesItsSubGroupsHeadersOnly)
{
    const U16 w1 = add(wp(1, 1, 1, "A"));
    const U16 w2 = add(wp(1, 2, 2, "B"));
    // g1 holds g2, which holds g3; bodies in 100, 101, 102.
    put(10, header("G1", 0xFFFF, gid(100)));
    put(11, header("G2", gid(10), gid(101)));
    put(12, header("G3", gid(11), gid(102)));
    put(100, body({w1, gid(11)}));
    put(101, body({gid(12), w2}));
    put(102, body({w1}));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bDeleteGroup(gid(10)));
    for (U32 s : {10, 11, 12})
        EXPECT_EQ(slot(0, s).u8Status, WP_STATUS_FREE) << s;
    for (U32 s : {100, 101, 102})
        EXPECT_EQ(slot(0, s).u8Status, WP_STATUS_GROUP_BODY) << s;
    EXPECT_EQ(slot(0, w1).u8Status, WP_STATUS_PERMANENT);
    EXPECT_EQ(slot(0, w2).u8Status, WP_STATUS_PERMANENT);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bDeleteGroup(gid(10))) << "gone";
    EXPECT_FALSE(T_NAV_GROUP_DATA_bDeleteGroup(w1));
}

TEST_F(GroupTree, ValidLinks)
{
    place({{4, wp(1, 1, 1, "W")}, {5, wp(2, 1, 1, "T", false, 0)}});
    slot(1, 9) = wp(1, 1, 1, "P");
    put(20, header("G", 0xFFFF, 0xFFFF));
    put(21, body({}));
    *T_NAV_pGetRoute(3) = route({4});
    *T_NAV_pGetRoute(4) = route({4}, false, 0);
    TRACK_HEADER* t = T_NAV_pGetTrackHeader(2);
    t->u16Count = 3;
    t->u32DateTime = 50;
    navt::setName(t->sName, "TRK");
    RUMBREL_HEADER* r = T_NAV_pGetRumbrelHeader(1);
    r->nCount = 2;
    r->u32DateTime = 60;
    navt::setName(r->sName, "R");
    const U16 unit = T_NAV_GROUP_DATA_u16Getu7UnitID();
    const U16 other = unit == 64 ? 128 : 64;
    struct Case {
        const char* what;
        U16 id;
        bool valid;
    };
    const Case cases[] = {
        {"waypoint", 4, true},
        {"waypoint without a date", 5, false},
        {"free slot", 6, false},
        {"peer waypoint", 0x1009, true},
        {"group header", gid(20), true},
        {"group body", gid(21), true},
        {"free group slot", gid(22), false},
        {"route", 0x8803, true},
        {"route without a date", 0x8804, false},
        {"own saved track", (U16)(0x8000 | unit | 2), true},
        {"own missing saved track", (U16)(0x8000 | unit | 7), false},
        {"another unit's saved track", (U16)(0x8000 | other | 7), true},
        {"recorded track", 0x4C01, true},
        {"missing recorded track", 0x4C02, false},
        {"none", 0xFFFF, false},
        {"separator", 0xCFFF, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(T_NAV_GROUP_DATA_bIsValidGroupNavData(c.id) != FALSE, c.valid) << c.what;
}

TEST_F(GroupTree, MembershipCountsOnlyWhatIsVisible)
{
    const U16 root = buildRoot();
    const U16 rootBody = read(root & 0x3FFF).header.u16FirstBodyIndex;
    const U16 inRoute = add(wp(1, 1, 1, "R"));
    const U16 direct = add(wp(1, 2, 2, "D"));
    const U16 nowhere = add(wp(1, 3, 3, "N"));
    *T_NAV_pGetRoute(0) = route({inRoute});
    // hidden group 30 holds the route; visible group 31 holds `direct`.
    put(30, header("H", root, gid(130), true));
    put(130, body({0x8800}));
    put(31, header("V", root, gid(131)));
    put(131, body({direct}));
    GROUP_SLOT rb = read(rootBody & 0x3FFF);
    rb.body.u16Item[0] = gid(30);
    rb.body.u16Item[1] = gid(31);
    put(rootBody & 0x3FFF, rb);

    struct Case {
        U16 id;
        bool any;
        bool visible;
    };
    for (const Case& c : {Case{inRoute, true, false}, Case{direct, true, true}, Case{nowhere, false, false}}) {
        EXPECT_EQ(T_NAV_GROUP_DATA_bIsInAnyGroup(c.id) != FALSE, c.any) << c.id;
        EXPECT_EQ(T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(c.id) != FALSE, c.visible) << c.id;
    }
    // The same route linked in the visible group counts; hiding the route
    // takes it out again.
    GROUP_SLOT vb = read(131);
    vb.body.u16Item[5] = 0x8800;
    put(131, vb);
    EXPECT_TRUE(T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(inRoute));
    T_NAV_pGetRoute(0)->bHide = 1;
    EXPECT_FALSE(T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(inRoute));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bIsInAnyGroup(inRoute));

    // The bitmap walk agrees with the test for every own slot.
    U8 bitmap[NAV_GROUP_VISITED / 8];
    T_NAV_GROUP_DATA_vBuildVisibleBitmap(bitmap);
    for (U16 s = 0; s < 3000; ++s)
        EXPECT_EQ((bitmap[s / 8] >> (s % 8) & 1) != 0, T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(s) != FALSE) << s;

    T_NAV_GROUP_DATA_vSetRootGroup(0xFFFF);
    EXPECT_FALSE(T_NAV_GROUP_DATA_bIsInAnyGroup(direct)) << "no root";
}

TEST_F(GroupTree, TheOverlaysBitmapFollowsEveryChangeOfTheTree)
{
    const U16 root = buildRoot();
    const U16 rootBody = read(root & 0x3FFF).header.u16FirstBodyIndex;
    const U16 direct = add(wp(1, 1, 1, "D"));
    const U16 onRoute = add(wp(1, 2, 2, "R"));
    *T_NAV_pGetRoute(1) = route({onRoute});
    put(50, header("V", root, gid(150)));
    put(150, body({direct, 0x8801}));
    GROUP_SLOT rb = read(rootBody & 0x3FFF);
    rb.body.u16Item[3] = gid(50);
    put(rootBody & 0x3FFF, rb);
    auto visible = [](U16 id) { return (T_NAV_GROUP_DATA_pu8GetVisibleBitmap()[id / 8] >> (id % 8) & 1) != 0; };

    struct Step {
        const char* what;
        void (*change)();
        bool direct;
        bool onRoute;
    };
    const Step steps[] = {
        {"as built", [] {}, true, true},
        {"route hidden through its record", [] { T_NAV_pGetRoute(1)->bHide = 1; }, true, false},
        {"group hidden through its slot", [] { reinterpret_cast<GROUP_SLOT*>(T_NAV_pGetGroupSlot(gid(50)))->header.bHide = 1; },
         false, false},
        {"group shown again by the tree", [] {
             GROUP_SLOT h = read(50);
             h.header.bHide = 0;
             T_NAV_GROUP_DATA_bModifyGroup(gid(50), &h.header);
         },
         true, false},
        {"no root", [] { T_NAV_GROUP_DATA_vSetRootGroup(0xFFFF); }, false, false},
    };
    for (const Step& st : steps) {
        st.change();
        EXPECT_EQ(visible(direct), st.direct) << st.what;
        EXPECT_EQ(visible(onRoute), st.onRoute) << st.what;
    }
}

TEST_F(GroupTree, LinksFollowAWaypointThatCompactionMoves)
{
    const U16 root = buildRoot();
    const U16 w = add(wp(1, 1, 1, "M"));
    put(40, header("G", root, gid(140)));
    put(140, body({0xFFFF, w}));
    const U16 moved = T_NAV_u16MoveWaypoint(w);
    ASSERT_NE(moved, 0xFFFF);
    ASSERT_NE(moved, w);
    EXPECT_EQ(read(140).body.u16Item[1], moved);
    EXPECT_TRUE(fileExists(140)) << "the renamed body is written";
}

// Hand-damaged trees: every walk ends, each group is deleted once.
TEST_F(GroupTree, DamagedChainsEndEveryWalk)
{
    const U16 absent = 2500;
    struct Case {
        const char* what;
        void (*build)();
        U32 headersFreed;
        bool chainLoops; // the root's own chain comes back on itself
    };
    const Case cases[] = {
        {"last body points to the first",
         [] {
             put(0, header("Home", 0xFFFF, gid(1)));
             put(1, body({gid(5)}, gid(2)));
             put(2, body({}, gid(3)));
             put(3, body({}, gid(1)));
             put(5, header("S", gid(0), gid(6)));
             put(6, body({}));
         },
         2, true},
        {"a chain through every slot",
         [] {
             put(0, header("Home", 0xFFFF, gid(1)));
             for (U32 s = 1; s < 3000; ++s)
                 put(s, body({}, gid(s == 2999 ? 1 : s + 1)));
         },
         1, true},
        {"a group linked into its own child",
         [] {
             put(0, header("Home", 0xFFFF, gid(1)));
             put(1, body({gid(2)}));
             put(2, header("A", gid(0), gid(3)));
             put(3, body({gid(4)}));
             put(4, header("B", gid(2), gid(5)));
             put(5, body({gid(2), gid(0), gid(4)}));
         },
         3, false},
    };
    for (const Case& c : cases) {
        SetUp();
        c.build();
        T_NAV_GROUP_DATA_vSetRootGroup(gid(0));
        EXPECT_FALSE(T_NAV_GROUP_DATA_bIsInAnyGroup(absent)) << c.what;
        EXPECT_FALSE(T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(absent)) << c.what;
        U32 steps = 0;
        EXPECT_FALSE(T_NAV_GROUP_DATA_bIsInGroup(gid(0), absent, &steps)) << c.what;
        EXPECT_LE(steps, NAV_GROUP_WALK_STEPS) << c.what;
        U8 bitmap[NAV_GROUP_VISITED / 8];
        T_NAV_GROUP_DATA_vBuildVisibleBitmap(bitmap);

        // The cycle guard along the root's chain stops at the first repeat.
        U16 body = read(0).header.u16FirstBodyIndex;
        T_NAV_GROUP_DATA_vStartBodyWalk(body);
        U32 bodies = 1;
        for (body = read(body & 0x3FFF).body.u16NextIndex; T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(nullptr, body);
             body = read(body & 0x3FFF).body.u16NextIndex) {
            if (body == 0xFFFF)
                break;
            ++bodies;
        }
        EXPECT_EQ(body != 0xFFFF, c.chainLoops) << c.what << ": the repeat is found";
        EXPECT_LE(bodies, 2999u) << c.what;

        U32 headersBefore = (U32)T_NAV_TWR_nGetGroupVisibleCount();
        EXPECT_TRUE(T_NAV_GROUP_DATA_bDeleteGroup(gid(0))) << c.what;
        EXPECT_EQ(headersBefore - (U32)T_NAV_TWR_nGetGroupVisibleCount(), c.headersFreed) << c.what;
        TearDown();
    }
}

TEST_F(GroupTree, TheCycleGuardInASpaceWithoutALockedPart)
{
    Space s(10, 1, 1, 1);
    const GROUP_SLOT b = body({});
    T_NAV_GROUP_vToWaypoint(&b, &s.waypoints[2]);
    T_NAV_GROUP_DATA_vStartBodyWalk(gid(2));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(s.p(), 0xCFFF)) << "the space has no slot 2999";
    EXPECT_FALSE(T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(nullptr, 0xCFFF)) << "the unit's slot 2999 is free";
    EXPECT_FALSE(T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(s.p(), gid(2))) << "met already";
    EXPECT_FALSE(T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(s.p(), gid(3))) << "no body";
    EXPECT_TRUE(T_NAV_GROUP_DATA_bIsUniqueLinkedGroupBodyEX(s.p(), 0xFFFF));
}

} // namespace
