// Data spaces and the card-import buffers: a space only ever touches its
// own buffers, a null space is the unit's store, the root of a set is
// found by its name in the current language, and the import adders store
// at the fill index.
#include "nav/tests/nav_group_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace {

using namespace navg;

using Spaces = GroupStore;

TEST_F(Spaces, WaypointLookupStaysInsideTheSpace)
{
    Space s(10, 2, 2, 2);
    struct Case {
        U32 id;
        bool found;
    };
    for (const Case& c : {Case{0, true}, Case{9, true}, Case{10, false}, Case{0xFFFF, false}, Case{2999, false}})
        EXPECT_EQ(T_NAV_pGetWaypointEX(s.p(), c.id) != nullptr, c.found) << c.id;
    EXPECT_EQ(T_NAV_pGetWaypointEX(s.p(), 3), &s.waypoints[3]);
    EXPECT_EQ(T_NAV_pGetWaypointEX(nullptr, 3), T_NAV_TWR_pGetNetworkWaypoint(3, 0));
    // Route and header lookups end at the space's counts too.
    EXPECT_EQ(T_NAV_pGetRouteEX(s.p(), 2), nullptr);
    EXPECT_EQ(T_NAV_pGetTrackHeaderEX(s.p(), 2), nullptr);
    EXPECT_EQ(T_NAV_pGetRumbrelHeaderEX(s.p(), 2), nullptr);
    EXPECT_EQ(T_NAV_pGetRouteEX(s.p(), 1), &s.routes[1]);
}

TEST_F(Spaces, TrackHeadersAreNamedFromTheNameOrTheSlot)
{
    Space s(4, 1, 8, 1);
    auto t = track(5, "ORIGINAL");
    const char* longName = "ABCDEFGHIJKLMNOPQRSTUVWXY"; // 25 characters
    EXPECT_EQ(T_NAV_nAddTrackEX(s.p(), t.get(), 1234, longName, FALSE, 2), 2);
    EXPECT_EQ(std::string(s.tracks[2].sName, strnlen(s.tracks[2].sName, TRACK_NAME_CHARS)), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(s.tracks[2].sName[19], '\0');
    EXPECT_EQ(s.tracks[2].u32DateTime, 1234u);
    EXPECT_EQ(s.tracks[2].u16Count, 5);

    EXPECT_EQ(T_NAV_nAddTrackEX(s.p(), t.get(), 1, nullptr, FALSE, 4), 4);
    EXPECT_STREQ(s.tracks[4].sName, "05");
    EXPECT_EQ(T_NAV_nAddTrackEX(s.p(), t.get(), 1, "", FALSE, 7), 7);
    EXPECT_STREQ(s.tracks[7].sName, "08");
    // Slots past the space are refused.
    EXPECT_EQ(T_NAV_nAddTrackEX(s.p(), t.get(), 1, "X", FALSE, 8), 0xFFFF);
    EXPECT_EQ(T_NAV_nAddTrackEX(s.p(), t.get(), 1, "X", FALSE, 50), 0xFFFF);
}

TEST_F(Spaces, ANullSpaceIsTheUnitsOwnStore)
{
    place({{0, wp(1, 1, 1, "A")}, {1, wp(1, 2, 2, "B")}});
    const U16 viaEx = T_NAV_nAllocGroupSlotEX(nullptr, FALSE);
    ASSERT_NE(viaEx, 0xFFFF);
    EXPECT_EQ(slot(0, viaEx & 0x3FFF).u8Status, WP_STATUS_GROUP_WRITING);
    T_NAV_vFreeGroupSlotEX(nullptr, viaEx);
    EXPECT_EQ(slot(0, viaEx & 0x3FFF).u8Status, WP_STATUS_FREE);
    EXPECT_EQ(T_NAV_nAllocGroupSlot(FALSE), viaEx);

    // Deleting through a null space deletes the waypoint and its file.
    const U16 id = add(wp(1, 5, 5, "C"));
    ASSERT_TRUE(fileExists(id));
    EXPECT_TRUE(T_NAV_bDeleteWaypointEX(nullptr, id, FALSE));
    EXPECT_FALSE(fileExists(id));
    EXPECT_EQ(slot(0, id).u8Status, WP_STATUS_FREE);
}

TEST_F(Spaces, DeletingAWaypointInASpaceClearsItAndSaysFalse)
{
    Space s(5, 1, 1, 1);
    s.waypoints[2] = wp(1, 7, 8, "W");
    EXPECT_FALSE(T_NAV_bDeleteWaypointEX(s.p(), 2, FALSE));
    const WAYPOINT zero{};
    EXPECT_EQ(memcmp(&s.waypoints[2], &zero, sizeof zero), 0);
    EXPECT_FALSE(T_NAV_bDeleteWaypointEX(s.p(), 2, FALSE));
    EXPECT_FALSE(T_NAV_bDeleteWaypointEX(s.p(), 0xFFFF, FALSE));
}

TEST_F(Spaces, TheRootOfASetIsNamedInTheCurrentLanguage)
{
    Space s(20, 1, 1, 1);
    put(0, body({}));
    s.waypoints[0] = *T_NAV_TWR_pGetNetworkWaypoint(0, 0);
    const GROUP_SLOT home = header("Home", 0xFFFF, 0xFFFF);
    const GROUP_SLOT koti = header("Koti", 0xFFFF, 0xFFFF);
    const GROUP_SLOT child = header("Home", 0xC000, 0xFFFF); // has a parent
    T_NAV_GROUP_vToWaypoint(&child, &s.waypoints[3]);
    T_NAV_GROUP_vToWaypoint(&home, &s.waypoints[7]);
    T_NAV_GROUP_vToWaypoint(&koti, &s.waypoints[12]);
    struct Case {
        U32 language;
        U16 root;
    };
    for (const Case& c : {Case{0, 0xC007}, Case{3, 0xC00C}, Case{5, 0xFFFF}}) {
        setU32(FCID("SLNG"), c.language);
        EXPECT_EQ(T_NAV_vGetRootGroupIDEx(s.p()), c.root) << c.language;
        GROUP_SLOT* g = T_NAV_pGetRootGroupSlotEX(s.p());
        EXPECT_EQ(g == nullptr, c.root == 0xFFFF) << c.language;
    }
    EXPECT_EQ(T_NAV_vGetRootGroupIDEx(nullptr), 0xFFFF);
}

TEST_F(Spaces, ImportAddersStoreAtTheFillIndexWithoutAdvancingIt)
{
    const WAYPOINT a = wp(1, 1, 1, "A");
    const WAYPOINT b = wp(1, 2, 2, "B");
    EXPECT_EQ(T_NAV_nAddWaypointFromMMC(&a, TRUE), 0xFFFF) << "no buffers yet";
    T_NAV_vInitializeImportingBuffer();
    T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(6);
    EXPECT_EQ(T_NAV_nAddWaypointFromMMC(&a, TRUE), 6);
    EXPECT_EQ(T_NAV_nAddGroupFromMMC(&b, TRUE), 6);
    EXPECT_TRUE(navt::sameWaypoint(*T_NAV_pGetWaypointFromMMC(6), b));
    T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(3000);
    EXPECT_EQ(T_NAV_nAddWaypointFromMMC(&a, TRUE), 0xFFFF) << "past the buffer";

    // The root replacement takes slot 0 and raises the fill index to 1.
    T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(0);
    EXPECT_EQ(T_NAV_nReplaceRootGroup(&a, TRUE), 0xFFFF) << "not a group record";
    WAYPOINT root{};
    const GROUP_SLOT h = header("Home", 0xFFFF, 0xFFFF);
    T_NAV_GROUP_vToWaypoint(&h, &root);
    EXPECT_EQ(T_NAV_nReplaceRootGroup(&root, TRUE), 0);
    EXPECT_EQ(T_NAV_TWR_s32GetMaxUsedWaypointIndexMMC(), 1);
    EXPECT_EQ(T_NAV_pGetRootSlotFromMMC(), reinterpret_cast<GROUP_SLOT*>(T_NAV_pGetWaypointFromMMC(0)));
    EXPECT_NE(T_NAV_pGetGroupSlotFromMMC(0xC000), nullptr);

    T_NAV_vFreeImportingBuffer();
    EXPECT_EQ(T_NAV_pGetWaypointDataSpaceOnMMC(), nullptr);
    EXPECT_EQ(T_NAV_TWR_s32GetMaxUsedWaypointIndexMMC(), 0);
}

TEST_F(Spaces, TheSelectionSpaceIsAFullSizeEmptySet)
{
    EXPECT_EQ(T_NAV_nGetSelectNavDataSpace(), nullptr);
    T_NAV_vInitializeNavDataBuffer();
    NAV_DATA_SPACE* s = T_NAV_nGetSelectNavDataSpace();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->u16WaypointCount, 3000);
    EXPECT_EQ(s->u16RouteCount, 50);
    EXPECT_EQ(s->u16TrackCount, 50);
    EXPECT_EQ(s->u16RumbrelCount, 50);
    EXPECT_FALSE(T_NAV_bWaypointsExistEX(s));
    EXPECT_EQ(T_NAV_u16FindAvailableRouteEX(s, TRUE), 0);
    T_NAV_vFreeNavDataBuffer();
    EXPECT_EQ(T_NAV_nGetSelectNavDataSpace(), nullptr);
}

TEST_F(Spaces, AFullSpaceRunsItsCleanUpOnceAndReportsFull)
{
    static std::vector<U16> roots;
    roots.clear();
    T_NAV_SPACE_vSetGarbageCollector([](NAV_DATA_SPACE*, U16 root) { roots.push_back(root); });
    Space s(2, 1, 1, 1);
    s.waypoints[0] = wp(1, 1, 1, "A");
    s.waypoints[1] = wp(1, 2, 2, "B");
    s.routes[0] = route({1}, false, 10);
    T_NAV_GROUP_DATA_vSetRootGroup(0xC123);
    const WAYPOINT c = wp(1, 3, 3, "C");
    EXPECT_EQ(T_NAV_nAddWaypointEX(s.p(), &c, TRUE), 0xFFFF);
    EXPECT_EQ(T_NAV_nAllocGroupSlotEX(s.p(), FALSE), 0xFFFF);
    EXPECT_EQ(T_NAV_u16FindAvailableRouteEX(s.p(), FALSE), 0xFFFF);
    EXPECT_EQ(roots, (std::vector<U16>{0xC123, 0xC123, 0xC123}));
    // A status other than 1-3 is refused before any search.
    const WAYPOINT group = wp(16, 0, 0, "G");
    EXPECT_EQ(T_NAV_nAddWaypointEX(s.p(), &group, TRUE), 0xFFFF);
    EXPECT_EQ(roots.size(), 3u);
    T_NAV_GROUP_DATA_vSetRootGroup(0xFFFF);
}

// Everything the unit keeps: tables, counts, split, files.
struct UnitState {
    std::vector<U8> waypoints;
    std::vector<U8> routes;
    std::vector<U8> tracks;
    std::vector<U8> rumbrels;
    std::vector<S32> counts;
    std::set<std::string> files;
};

UnitState snapshot(const std::string& root)
{
    UnitState u;
    for (U32 bank = 0; bank < NAV_WAYPOINT_BANKS; ++bank)
        for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s) {
            U8 b[WAYPOINT_BYTES];
            T_NAV_RECORD_vEncodeWaypoint(T_NAV_TWR_pGetNetworkWaypoint(s, (int)bank), b);
            u.waypoints.insert(u.waypoints.end(), b, b + sizeof b);
        }
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i) {
        U8 b[ROUTE_BYTES];
        T_NAV_RECORD_vEncodeRoute(T_NAV_pGetRoute(i), b);
        u.routes.insert(u.routes.end(), b, b + sizeof b);
        U8 t[TRACK_HEADER_BYTES];
        T_NAV_RECORD_vEncodeTrackHeader(T_NAV_pGetTrackHeader(i), t);
        u.tracks.insert(u.tracks.end(), t, t + sizeof t);
        const RUMBREL_HEADER* r = T_NAV_pGetRumbrelHeader(i);
        u.rumbrels.insert(u.rumbrels.end(), (const U8*)&r->nCount, (const U8*)&r->nCount + 4);
        u.rumbrels.insert(u.rumbrels.end(), (const U8*)&r->u32DateTime, (const U8*)&r->u32DateTime + 4);
    }
    S32 sep = 0, maxShare = 0, minLock = 0;
    T_NAV_TWR_vGetShareSplit(&sep, &maxShare, &minLock);
    u.counts = {sep,
                maxShare,
                minLock,
                T_NAV_TWR_nGetMaxUsedWaypointIndex(0),
                T_NAV_TWR_nGetWaypointCount(),
                T_NAV_TWR_nGetGroupTotalCount(),
                T_NAV_TWR_s16GetRouteCount(),
                (S32)T_NAV_TWR_u16GetRumbrelCount()};
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        u.files.insert(e.path().string());
    return u;
}

TEST_F(Spaces, WorkInASpaceLeavesTheUnitUntouched)
{
    place({{0, wp(1, 1, 1, "A")}, {2999 - 1, wp(1, 2, 2, "L", true)}});
    add(wp(1, 3, 3, "B"));
    T_NAV_u16RouteAdd(&(const ROUTE&)route({0}, false, 77));
    const UnitState before = snapshot(cwd);

    Space s(40, 5, 5, 5);
    const WAYPOINT w = wp(1, 9, 9, "S");
    const U16 slotW = T_NAV_u16WaypointAddEX(s.p(), &w, FALSE);
    EXPECT_EQ(slotW, 0);
    GROUP_SLOT h = header("G", 0xFFFF, 0xFFFF);
    const U16 g = T_NAV_GROUP_DATA_nNewGroupEX(s.p(), &h.header);
    EXPECT_EQ(g, 0xC001);
    const U16 b = T_NAV_nAllocGroupSlotEX(s.p(), TRUE);
    GROUP_SLOT bd = body({slotW});
    EXPECT_TRUE(T_NAV_bSetGroupSlotEX(s.p(), b, &bd));
    h.header.u16FirstBodyIndex = b;
    EXPECT_TRUE(T_NAV_GROUP_DATA_bModifyGroupEX(s.p(), g, &h.header));
    ROUTE r = route({slotW}, true, 5);
    const U16 ri = T_NAV_u16RouteAddEX(s.p(), &r);
    EXPECT_EQ(ri, 0);
    T_NAV_vSaveRouteEX(s.p(), 1, &r, TRUE);
    auto t = track(3);
    EXPECT_EQ(T_NAV_nAddTrackEX(s.p(), t.get(), 10, "T", TRUE, 0), 0);
    RUMBREL_HEADER rh{};
    rh.nCount = 4;
    EXPECT_EQ(T_NAV_nAddRumbrelHeaderEX(s.p(), &rh, TRUE), 0);
    EXPECT_TRUE(T_NAV_bIsNotSharedLinkEX(s.p(), (U16)(0x8800 | ri)));
    EXPECT_TRUE(T_NAV_GROUP_DATA_bDeleteGroupEX(s.p(), g));
    EXPECT_EQ(T_NAV_pGetGroupSlotEX(s.p(), g), nullptr);
    EXPECT_NE(T_NAV_pGetGroupSlotEX(s.p(), b), nullptr) << "bodies stay for the clean-up";
    T_NAV_vFreeGroupSlotEX(s.p(), b);
    EXPECT_TRUE(T_NAV_bDeleteRouteEX(s.p(), 0, TRUE));
    T_NAV_vDeleteTrackEX(s.p(), 0, TRUE);
    T_NAV_vDeleteRumbrelEX(s.p(), 0, TRUE);
    EXPECT_FALSE(T_NAV_bDeleteWaypointEX(s.p(), slotW, TRUE));

    const UnitState after = snapshot(cwd);
    EXPECT_EQ(after.waypoints, before.waypoints);
    EXPECT_EQ(after.routes, before.routes);
    EXPECT_EQ(after.tracks, before.tracks);
    EXPECT_EQ(after.rumbrels, before.rumbrels);
    EXPECT_EQ(after.counts, before.counts);
    EXPECT_EQ(after.files, before.files);
}

TEST_F(Spaces, RecordedTrackHeadersHaveNoUnitForm)
{
    navt::LogCapture log;
    RUMBREL_HEADER rh{};
    rh.nCount = 3;
    EXPECT_EQ(T_NAV_nAddRumbrelHeaderEX(nullptr, &rh, TRUE), 0xFFFF);
    T_NAV_vDeleteRumbrelEX(nullptr, 0, TRUE);
    EXPECT_EQ(log.count({"RumbrelHeaderEX is called for DEFAULT_NAV_DATA_SPACE. We shouldn't be here"}), 1);
    EXPECT_EQ(log.count({"DeleteRumbrel EX function is called with DEFAULT_NAV_DATA_SPACE. We shouldn't be here"}), 1);
}

} // namespace
