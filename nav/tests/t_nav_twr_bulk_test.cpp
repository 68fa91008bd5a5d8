// The bulk operations: delete-all on full tables and what it lets go of, the
// point-of-sale rule, the variant that keeps the waypoints in memory, the
// backup and its restore, the rewrite of all files; and a long random run
// of single-item operations after which the tables equal a rescan of the
// flash folders.
#include "nav/tests/nav_tables_util.h"

#include "kernel/linux_fs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using namespace navr;

int& syncs()
{
    static int n = 0;
    return n;
}

// Thousands of files (saved tracks of 128 KB among them) go through one
// bulk scope, whose end syncs nothing: what is on the medium does not
// matter to these tests, only which files exist.
class Bulk {
public:
    Bulk()
    {
        LS_sync_vSetSyncFunction([] {});
        FS_vBeginBulk();
    }
    ~Bulk() { FS_vEndBulk(); }
};

class DeleteAll : public TableStore {
protected:
    // Every table full, every item with its file; the four keys name own
    // waypoints; the counters and visibility bits are off their defaults.
    void fill()
    {
        Bulk bulk;
        std::vector<std::pair<U32, WAYPOINT>> records;
        for (U32 s = 0; s < 2999; ++s)
            records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 3, "FULL", s >= 1500)});
        records.push_back({2999, wp(WP_STATUS_GROUP_BODY, 0, 0, "", true)});
        place(records);
        for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s)
            T_NAV_NVRAM_vSaveWaypoint(&slot(0, s), (U16)s, FALSE);
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        for (U32 s = 0; s < NAV_ROUTE_SLOTS; ++s) {
            *T_NAV_pGetRoute(s) = route({(U16)s, (U16)(s + 1)}, s >= 25);
            T_NAV_TWR_vWriteRouteFile(s, FALSE);
        }
        T_NAV_TWR_vStatisticRouteStore(TRUE);
        auto t = track(5);
        for (U32 s = 0; s < NAV_TRACK_SLOTS; ++s)
            ASSERT_EQ(T_NAV_nAddTrack(t.get(), 1, nullptr, FALSE), (S32)s);
        auto r = rumbrel(20);
        for (U32 s = 0; s < NAV_RUMBREL_SLOTS; ++s)
            ASSERT_EQ(T_NAV_u16RumbrelAdd(r.get()), s);
        setU32(FCID("ICWP"), 10);
        setU32(FCID("CLWC"), 11);
        setU32(FCID("ITWP"), 2000);
        setU32(FCID("IGWP"), 12);
        setU32(FCID("SNTV"), 0);
        setU32(FCID("SNV2"), 0);
        setU32(FCID("SIID"), 5);
        setU32(FCID("SWID"), 17);
        calls() = Calls{};
        tableCalls() = TableCalls{};
    }

    size_t itemFiles()
    {
        return filesIn("wpts") + filesIn("routes") + filesIn("tracks") + filesIn("rumbrels");
    }
};

TEST_F(DeleteAll, DeleteAllEmptiesEveryTableAndFolderAndLetsGoOfWhatNamedThem)
{
    fill();
    // Beside the item folders: the current-track log and a file of the
    // unit's own.
    std::ofstream(at("cr_track/track.2")) << "log";
    std::ofstream(at("keep.txt")) << "mine";
    share();
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(TRUE);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(TRUE);
    syncs() = 0;
    LS_sync_vSetSyncFunction([] { ++syncs(); });

    T_NAV_vDeleteAllTracksWaypointsRoutes(FALSE);

    EXPECT_EQ(syncs(), 1) << "one sync for the whole operation";
    EXPECT_EQ(itemFiles(), 0u);
    EXPECT_TRUE(hasFile("cr_track/track.2"));
    EXPECT_TRUE(hasFile("keep.txt"));
    EXPECT_FALSE(std::filesystem::exists(navt::unitRoot().path() + "/tmp/commands.log")) << "no shell command";

    EXPECT_EQ(T_NAV_TWR_nGetWaypointCount(), 0);
    EXPECT_EQ(T_NAV_TWR_nGetGroupTotalCount(), 0);
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(0), 0);
    EXPECT_EQ(slot(0, 1600).bWpNotShared, 1) << "a freed slot keeps its flag bits";
    EXPECT_EQ(T_NAV_TWR_pu16GetWaypointsHash()[5], 0);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 0);
    EXPECT_EQ(T_NAV_TWR_u16GetMaxUsedRoute(), 0);
    EXPECT_EQ(T_NAV_pGetOldRoute(30)->nCount, 0u);
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 0);
    EXPECT_EQ(T_NAV_TWR_u16GetMaxUsedRumbrel(), 0);
    for (U32 s = 0; s < NAV_TRACK_SLOTS; ++s) {
        EXPECT_EQ(T_NAV_pGetTrackHeader(s)->u16Count, 0) << s;
        EXPECT_TRUE(T_NAV_bGetTrackVisibility(s)) << s;
    }
    EXPECT_EQ(getU32(FCID("SNTV")), 0xFFFFFFFFu);
    EXPECT_EQ(getU32(FCID("SIID")), 0u);
    EXPECT_EQ(getU32(FCID("SWID")), 0u);

    EXPECT_EQ(calls().cursor, std::vector<U16>{NONE});
    EXPECT_EQ(calls().lastWaypointMenu, 1);
    EXPECT_EQ(calls().target, 1);
    EXPECT_EQ(calls().grid, 1);
    EXPECT_EQ(tableCalls().lastSavedRouteMenu, 1);
    EXPECT_EQ(tableCalls().rootGroupBuilt, 1);
    EXPECT_EQ(calls().refresh, 1);
    EXPECT_EQ(calls().cursorToMenu, (int)NAV_RUMBREL_SLOTS + 1) << "after each recorded track, and at the end";
    ASSERT_EQ(U_STEVRIN_STANDIN_u32CallCount(), 1u);
    EXPECT_STREQ(U_STEVRIN_STANDIN_pcCall(0), "U_STEVRIN_vDeleteAllTWR");

    EXPECT_FALSE(T_NAV_TWR_bDuplicateScanDisabled());
    EXPECT_FALSE(T_NAV_TWR_bGetMultiWaypointFlag());
    ASSERT_FALSE(sent().empty());
    EXPECT_EQ(sent().back().op, NAV_NETWORK_OP_DELETE);
    EXPECT_EQ(sent().back().index, 0);
    EXPECT_EQ(sent().back().count, 3000);
    EXPECT_EQ(T_NAV_s16GetMaxShareRouteIndex(), -1);
    EXPECT_EQ(T_NAV_TWR_nGetShareLockSeparator(), 1499);
}

TEST_F(DeleteAll, KeysNamingNoOwnWaypointAndAKeptInputStateAreLeftAlone)
{
    fill();
    setU32(FCID("ICWP"), 0x1005); // a peer's
    H_DATABASE_vDeleteEntry(FCID("CLWC"));
    setU32(FCID("ITWP"), NONE);
    tableCalls().keepInputState = true;
    T_NAV_vDeleteAllTracksWaypointsRoutes(FALSE);
    EXPECT_TRUE(calls().cursor.empty());
    EXPECT_EQ(calls().lastWaypointMenu, 0);
    EXPECT_EQ(calls().target, 0);
    EXPECT_EQ(calls().grid, 1);
    EXPECT_EQ(calls().refresh, 0);
    EXPECT_EQ(tableCalls().rootGroupBuilt, 1);
}

TEST_F(DeleteAll, WithOnlyTemporaryWaypointsNoWaypointFileIsTouched)
{
    slot(0, 3) = wp(WP_STATUS_TEMPORARY, 3, 3, "TEMP");
    slot(0, 4) = wp(WP_STATUS_TEMPORARY, 4, 4, "TEMP");
    T_NAV_TWR_vHashWaypoints();
    const WAYPOINT stray = wp(WP_STATUS_PERMANENT, 9, 9, "STRAY");
    T_NAV_NVRAM_vSaveWaypoint(&stray, 9, FALSE);

    T_NAV_vDeleteAllTracksWaypointsRoutes(FALSE);

    EXPECT_EQ(slot(0, 3).u8Status, WP_STATUS_FREE);
    EXPECT_EQ(slot(0, 4).u8Status, WP_STATUS_FREE);
    EXPECT_TRUE(hasFile("wpts/9"));

    // A group record has a file: it takes the folder's files with it.
    slot(0, 20) = wp(WP_STATUS_GROUP_HEADER, 0, 0, "GROUP");
    T_NAV_vDeleteAllTracksWaypointsRoutes(FALSE);
    EXPECT_FALSE(hasFile("wpts/9"));
}

TEST_F(DeleteAll, AtThePointOfSaleOnlyMemoryIsEmptiedUnlessOverridden)
{
    fill();
    const size_t before = itemFiles();
    navt::setState(6);
    T_NAV_vDeleteAllTracksWaypointsRoutes(FALSE);
    EXPECT_EQ(itemFiles(), before) << "no file removed";
    EXPECT_EQ(T_NAV_TWR_nGetWaypointCount(), 0);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 0);

    T_NAV_vDeleteAllTracksWaypointsRoutes(TRUE);
    EXPECT_EQ(itemFiles(), before) << "memory no longer names them";
    fill();
    T_NAV_vDeleteAllTracksWaypointsRoutes(TRUE);
    EXPECT_EQ(itemFiles(), 0u);
}

TEST_F(DeleteAll, KeepingDataOnTheNetworkRemovesFilesButKeepsTheWaypoints)
{
    fill();
    setU32(FCID("CLRT"), 7);
    const S32 waypoints = T_NAV_TWR_nGetWaypointCount();
    syncs() = 0;
    LS_sync_vSetSyncFunction([] { ++syncs(); });

    T_NAV_vDeleteAllTracksWaypointsRoutesForKeepDataOnNetwork(FALSE);

    EXPECT_EQ(syncs(), 1);
    EXPECT_EQ(filesIn("wpts") + filesIn("routes") + filesIn("tracks"), 0u);
    EXPECT_EQ(filesIn("rumbrels"), NAV_RUMBREL_SLOTS);
    EXPECT_EQ(T_NAV_TWR_nGetWaypointCount(), waypoints);
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), NAV_RUMBREL_SLOTS);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 0);
    EXPECT_EQ(T_NAV_pGetTrackHeader(0)->u16Count, 0);
    EXPECT_EQ(getU32(FCID("SWID")), 0u);
    EXPECT_EQ(getU32(FCID("SIID")), 5u);
    EXPECT_EQ(tableCalls().lastSavedRouteMenu, 1) << "route 7 was the last saved one";
    EXPECT_EQ(U_STEVRIN_STANDIN_u32CallCount(), 0u);
    EXPECT_FALSE(T_NAV_TWR_bDuplicateScanDisabled());
}

TEST_F(TableStore, ABackupIsHeldUntilRestoredAndRestoringPutsTheSharedPartBack)
{
    std::vector<std::pair<U32, WAYPOINT>> records;
    for (U32 s = 0; s < 5; ++s)
        records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 0, "KEPT")});
    records.push_back({2000, wp(WP_STATUS_PERMANENT, 2000, 0, "LOCKED", true)});
    place(records);
    for (const auto& [s, w] : records)
        T_NAV_NVRAM_vSaveWaypoint(&w, (U16)s, FALSE);
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    for (U32 s = 0; s < 3; ++s) {
        *T_NAV_pGetRoute(s) = route({(U16)s}, false, 10 + s);
        T_NAV_TWR_vWriteRouteFile(s, FALSE);
    }
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    const WAYPOINT w2 = slot(0, 2);
    const ROUTE r1 = *T_NAV_pGetRoute(1);

    ASSERT_TRUE(T_NAV_bBackupAllWaypointsRoutes());
    EXPECT_FALSE(T_NAV_bBackupAllWaypointsRoutes()) << "one is held";

    T_NAV_bDeleteWaypoint(2, FALSE);
    ASSERT_EQ(add(wp(WP_STATUS_PERMANENT, 55, 55, "NEW")), 2);
    ASSERT_EQ(add(wp(WP_STATUS_PERMANENT, 56, 56, "NEW")), 5);
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    const ROUTE changed = route({4, 4}, false, 99, "CHANGED");
    T_NAV_vRouteStore(1, &changed, FALSE, FALSE);
    const ROUTE extra = route({3}, false, 98, "EXTRA");
    ASSERT_EQ(T_NAV_u16RouteAdd(&extra), 3);
    T_NAV_TWR_vStatisticRouteStore(TRUE);

    ASSERT_TRUE(T_NAV_bRestoreAllWaypointsRoutes());
    EXPECT_TRUE(navt::sameWaypoint(slot(0, 2), w2));
    EXPECT_TRUE(hasFile("wpts/2"));
    EXPECT_EQ(slot(0, 5).u8Status, WP_STATUS_FREE);
    EXPECT_FALSE(hasFile("wpts/5"));
    EXPECT_EQ(T_NAV_TWR_u16FindWaypoint(&w2), 2) << "hashed again";
    EXPECT_EQ(slot(0, 2000).u8Status, WP_STATUS_PERMANENT) << "the locked part is not touched";
    EXPECT_EQ(T_NAV_TWR_nGetWaypointCount(), 6);
    EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetRoute(1), r1));
    EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetOldRoute(1), r1));
    EXPECT_EQ(T_NAV_pGetRoute(3)->nCount, 0u);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 3);
    expectRouteFilesMatchTable();
    EXPECT_EQ(T_NAV_s16GetMaxShareRouteIndex(), 2);
    EXPECT_EQ(T_NAV_s16GetMaxShareWaypointIndex(), 4);

    EXPECT_FALSE(T_NAV_bRestoreAllWaypointsRoutes()) << "nothing held";
    EXPECT_TRUE(T_NAV_bBackupAllWaypointsRoutes()) << "a new backup may be taken";
    EXPECT_TRUE(T_NAV_bRestoreAllWaypointsRoutes());
}

TEST_F(TableStore, TheSolidStoreRewritesEveryFileFromMemory)
{
    slot(0, 1) = wp(WP_STATUS_PERMANENT, 1, 1, "ONE");
    slot(0, 2) = wp(WP_STATUS_TEMPORARY, 2, 2, "TWO");
    slot(0, 3) = wp(WP_STATUS_GROUP_HEADER, 0, 0, "G");
    T_NAV_TWR_vHashWaypoints();
    const WAYPOINT old = wp(WP_STATUS_PERMANENT, 7, 7, "OLD");
    T_NAV_NVRAM_vSaveWaypoint(&old, 7, FALSE);
    T_NAV_NVRAM_vSaveWaypoint(&old, 2, FALSE);
    *T_NAV_pGetRoute(4) = route({1});
    const ROUTE gone = route({9});
    T_NAV_NVRAM_vSaveRoute(&gone, 5, FALSE);

    T_NAV_vSolidStoreAllWaypointsRoutes();

    EXPECT_EQ(filesIn("wpts"), 2u);
    EXPECT_TRUE(navt::sameWaypoint(fileRecord(1), slot(0, 1)));
    EXPECT_TRUE(hasFile("wpts/3"));
    EXPECT_FALSE(hasFile("wpts/2")) << "a temporary waypoint lives in memory only";
    EXPECT_FALSE(hasFile("wpts/7"));
    EXPECT_EQ(filesIn("routes"), 1u);
    EXPECT_TRUE(navt::sameRoute(routeFile(4), *T_NAV_pGetRoute(4)));
    EXPECT_TRUE(navt::sameRoute(*T_NAV_pGetOldRoute(4), *T_NAV_pGetRoute(4)));
}

// The random run ----------------------------------------------------------------

class RandomRun : public TableStore {
protected:
    std::mt19937 rng{66};

    U32 pick(U32 n) { return std::uniform_int_distribution<U32>(0, n - 1)(rng); }
    bool chance(U32 percent) { return pick(100) < percent; }

    ROUTE randomRoute()
    {
        ROUTE r = route({}, chance(40), chance(10) ? 0 : 1000 + pick(1000), chance(50) ? "ALPHA" : "BRAVO");
        r.nCount = chance(10) ? 0 : 1 + pick(8);
        for (U32 p = 0; p < r.nCount; ++p) {
            // Own waypoints of both parts, now and then a slot that has
            // been freed since.
            const U32 base = chance(50) ? 0 : 2000;
            r.anWaypoint[p] = (U16)(base + pick(30));
        }
        return r;
    }

    // The tables against what the start-up scan reads back.
    void expectTablesMatchFlash(U32 step)
    {
        std::vector<TRACK_HEADER> headers(NAV_TRACK_SLOTS);
        std::vector<WAYPOINT> slots(NAV_WAYPOINT_SLOTS);
        std::vector<ROUTE> routes(NAV_ROUTE_SLOTS);
        std::vector<RUMBREL> rumbrels(NAV_RUMBREL_SLOTS);
        S32 maxUsed = 0, maxRumbrel = 0;
        T_NAV_NVRAM_vScan(headers.data(), slots.data(), &maxUsed, routes.data());
        T_NAV_NVRAM_vScanRumbrel(rumbrels.data(), &maxRumbrel);

        S16 usedRoutes = 0;
        for (U32 s = 0; s < NAV_ROUTE_SLOTS; ++s) {
            const ROUTE& r = *T_NAV_pGetRoute(s);
            if (r.nCount != 0 || r.u32DateTime != 0) {
                ++usedRoutes;
                ASSERT_TRUE(navt::sameRoute(routes[s], r)) << "route " << s << " at step " << step;
            } else {
                ASSERT_TRUE(routes[s].nCount == 0 && routes[s].u32DateTime == 0) << "route " << s << " at step " << step;
            }
        }
        ASSERT_EQ(T_NAV_TWR_s16GetRouteCount(), usedRoutes) << "at step " << step;
        for (U32 s = 0; s < NAV_TRACK_SLOTS; ++s) {
            const TRACK_HEADER& h = *T_NAV_pGetTrackHeader(s);
            if (h.u16Count != 0) {
                ASSERT_TRUE(navt::sameTrackHeader(headers[s], h)) << "track " << s << " at step " << step;
            } else {
                ASSERT_EQ(headers[s].u16Count, 0) << "track " << s << " at step " << step;
            }
        }
        U16 usedRumbrels = 0;
        for (U32 s = 0; s < NAV_RUMBREL_SLOTS; ++s) {
            const RUMBREL& r = *T_NAV_pGetRumbrel(s);
            if (r.nCount != 0) {
                ++usedRumbrels;
                ASSERT_TRUE(navt::sameRumbrel(rumbrels[s], r)) << "recorded track " << s << " at step " << step;
                ASSERT_GT(T_NAV_TWR_nGetMaxUsedRumbrelIndex(), (S32)s);
            } else {
                ASSERT_EQ(rumbrels[s].nCount, 0u) << "recorded track " << s << " at step " << step;
            }
        }
        ASSERT_EQ(T_NAV_TWR_u16GetRumbrelCount(), usedRumbrels) << "at step " << step;
        for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s) {
            const WAYPOINT& w = slot(0, s);
            if (w.u8Status == WP_STATUS_PERMANENT || w.u8Status == WP_STATUS_MOB) {
                ASSERT_TRUE(navt::sameWaypoint(slots[s], w)) << "waypoint " << s << " at step " << step;
            } else {
                ASSERT_EQ(slots[s].u8Status, WP_STATUS_FREE) << "waypoint " << s << " at step " << step;
            }
        }
    }
};

TEST_F(RandomRun, TenThousandRandomOperationsLeaveTheTablesEqualToARescanOfTheFlash)
{
    Bulk bulk;
    std::vector<std::pair<U32, WAYPOINT>> records;
    for (U32 s = 0; s < 30; ++s) {
        records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 1, ("S" + std::to_string(s)).c_str())});
        records.push_back({2000 + s, wp(WP_STATUS_PERMANENT, (S32)s, 2, ("L" + std::to_string(s)).c_str(), true)});
    }
    place(records);
    for (const auto& [s, w] : records)
        T_NAV_NVRAM_vSaveWaypoint(&w, (U16)s, FALSE);
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    auto t = track(30, "RANDOM");
    auto r = rumbrel(12);

    for (U32 step = 1; step <= 10000; ++step) {
        const U32 slotOf50 = pick(50);
        switch (pick(16)) {
        case 0:
        case 1: {
            const ROUTE rt = randomRoute();
            T_NAV_u16RouteAdd(&rt);
            break;
        }
        case 2: {
            const ROUTE rt = chance(20) ? ROUTE{} : randomRoute();
            T_NAV_vRouteStore(slotOf50, &rt, FALSE, FALSE);
            break;
        }
        case 3: {
            ROUTE rt = randomRoute();
            T_NAV_bSaveRoute(slotOf50, &rt, FALSE);
            break;
        }
        case 4:
            T_NAV_bDeleteRoute(slotOf50, FALSE);
            break;
        case 5:
            T_NAV_u16MoveRoute((U16)slotOf50);
            break;
        case 6:
            T_NAV_TWR_vStatisticRouteStore(chance(50) ? TRUE : FALSE);
            break;
        case 7:
            if (chance(30))
                T_NAV_nAddTrack(t.get(), step, chance(50) ? nullptr : "NAMED", FALSE);
            break;
        case 8:
            T_NAV_vDeleteTrack(slotOf50, FALSE);
            break;
        case 9:
            if (chance(20))
                T_NAV_vRenameTrack(slotOf50, chance(50) ? "RENAMED" : "A VERY LONG NAME INDEED");
            break;
        case 10:
        case 11:
            r->nCount = chance(10) ? 0 : 1 + pick(RUMBREL_MAX_POINTS);
            r->u32DateTime = chance(20) ? 0 : step;
            T_NAV_u16RumbrelAdd(r.get());
            break;
        case 12:
            r->nCount = chance(20) ? 0 : 1 + pick(RUMBREL_MAX_POINTS);
            T_NAV_bSaveRumbrel(slotOf50, r.get(), FALSE);
            break;
        case 13:
            T_NAV_bDeleteRumbrel(slotOf50, FALSE);
            break;
        case 14:
            r->nCount = 1 + pick(20);
            T_NAV_u16SaveRumbrelFromStevrin(r.get());
            break;
        default: {
            // Waypoints come and go under the routes.
            const U32 s = (chance(50) ? 0 : 2000) + pick(30);
            if (slot(0, s).u8Status == WP_STATUS_FREE)
                add(wp(WP_STATUS_PERMANENT, (S32)s, 7, "BACK", s >= 2000));
            else if (chance(30))
                T_NAV_bDeleteWaypoint(s, FALSE);
            break;
        }
        }
        if (step % 2500 == 0) {
            ASSERT_NO_FATAL_FAILURE(expectTablesMatchFlash(step));
        }
    }
}

} // namespace
