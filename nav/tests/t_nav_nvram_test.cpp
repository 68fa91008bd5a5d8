// Navigation item files: the bytes the writers put on flash against files
// written from the format by the fixture writer, the start-up scan of a
// folder with every kind of damage, the point-of-sale rule, the shared
// track buffer, folder creation and wiping, and bulk scopes.
#include "nav/tests/nav_test_util.h"

#include "kernel/l_mutex.h"
#include "kernel/l_task.h"
#include "nav/data/t_nav_twr.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <set>
#include <utility>

namespace {

using navt::LogCapture;

std::atomic<int> g_syncs{0};
void countSync(void)
{
    ++g_syncs;
}

// Tables the scan fills, cleared.
struct Tables {
    std::vector<WAYPOINT> slots = std::vector<WAYPOINT>(NAV_WAYPOINT_SLOTS);
    std::vector<ROUTE> routes = std::vector<ROUTE>(NAV_ROUTE_SLOTS);
    std::vector<TRACK_HEADER> headers = std::vector<TRACK_HEADER>(NAV_TRACK_SLOTS);
    std::vector<RUMBREL> rumbrels = std::vector<RUMBREL>(NAV_RUMBREL_SLOTS);
    S32 nMaxWaypoint = 0;
    S32 nMaxRumbrel = 0;

    void scan()
    {
        T_NAV_NVRAM_vScan(headers.data(), slots.data(), &nMaxWaypoint, routes.data());
        T_NAV_NVRAM_vScanRumbrel(rumbrels.data(), &nMaxRumbrel);
    }
};

std::set<std::pair<U16, U8>> g_hookCalls;
void recordHook(U16 u16Index, U8 u8Version, WAYPOINT* pWaypt)
{
    g_hookCalls.insert({u16Index, u8Version});
    EXPECT_EQ(pWaypt->u8Status, 1) << "the hook sees the slot already filled";
}

class NavItemFiles : public navt::NavFiles {
protected:
    void SetUp() override
    {
        NavFiles::SetUp();
        g_syncs = 0;
        g_hookCalls.clear();
    }
};

TEST_F(NavItemFiles, WritersGiveTheBytesOfTheFormatAndTheScanReadsThemBack)
{
    const std::string reference = navt::unitRoot().path() + "/reference";
    ASSERT_EQ(navt::runFixture("records", reference), "");

    WAYPOINT w12 = navt::referenceWaypoint12(), w2999 = navt::referenceWaypoint2999();
    ROUTE r3 = navt::referenceRoute3();
    auto t5 = navt::referenceTrack5();
    auto b7 = navt::referenceRumbrel7();
    T_NAV_NVRAM_vSaveWaypoint(&w12, 12, FALSE);
    T_NAV_NVRAM_vSaveWaypoint(&w2999, 2999, FALSE);
    T_NAV_NVRAM_vSaveRoute(&r3, 3, FALSE);
    T_NAV_NVRAM_vSaveTrack(t5.get(), 5, FALSE);
    T_NAV_NVRAM_vSaveRumbrel(b7.get(), 7, FALSE);
    for (const char* rel : {"wpts/12", "wpts/2999", "routes/3", "tracks/5", "rumbrels/7"}) {
        std::string mine = vt::readFile(at(rel)), theirs = vt::readFile(reference + "/" + rel);
        ASSERT_FALSE(theirs.empty()) << rel;
        EXPECT_TRUE(mine == theirs) << rel << ": " << mine.size() << " bytes against " << theirs.size();
    }
    // Writers ignore indexes past their tables.
    T_NAV_NVRAM_vSaveWaypoint(&w12, 3000, TRUE);
    T_NAV_NVRAM_vSaveRoute(&r3, 50, TRUE);
    T_NAV_NVRAM_vSaveTrack(t5.get(), 50, TRUE);
    T_NAV_NVRAM_vSaveRumbrel(b7.get(), 50, TRUE);
    for (const char* rel : {"wpts/3000", "routes/50", "tracks/50", "rumbrels/50"})
        EXPECT_FALSE(vt::fileExists(at(rel))) << rel;

    // The other way: the fixture writer's files into the tables.
    ASSERT_EQ(navt::runFixture("records", cwd), "");
    Tables t;
    t.scan();
    EXPECT_TRUE(navt::sameWaypoint(t.slots[12], w12));
    EXPECT_TRUE(navt::sameWaypoint(t.slots[2999], w2999));
    EXPECT_EQ(t.nMaxWaypoint, 3000);
    EXPECT_TRUE(navt::sameRoute(t.routes[3], r3));
    EXPECT_TRUE(navt::sameTrackHeader(t.headers[5], *t5));
    EXPECT_TRUE(navt::sameRumbrel(t.rumbrels[7], *b7));
    EXPECT_EQ(t.nMaxRumbrel, 8);
    TRACK* loaded = T_NAV_NVRAM_pLoadTrack(5);
    EXPECT_TRUE(navt::sameTrackHeader(*loaded, *t5));
    EXPECT_TRUE(navt::sameRing(*loaded, *t5));
    T_NAV_NVRAM_vReleaseTrack();
}

TEST_F(NavItemFiles, TheScanTakesGoodFilesAndRefusesEachKindOfDamageWithALogLine)
{
    ASSERT_EQ(navt::runFixture("scan", cwd), "");
    T_NAV_NVRAM_vSetWaypointScanHook(recordHook);
    LS_sync_vSetSyncFunction(countSync);
    Tables t;
    LogCapture log;
    t.scan();

    // A file named "5" whose header says 7 fills slot 7.
    EXPECT_EQ(std::string(t.slots[7].sName), "SEVEN");
    EXPECT_EQ(t.slots[7].pt.y, -1000);
    EXPECT_EQ(std::string(t.slots[2].sName), "TWO");
    for (U32 i : {3u, 4u, 5u, 9u, 11u, 17u})
        EXPECT_EQ(t.slots[i].u8Status, 0) << "slot " << i;
    EXPECT_EQ(t.nMaxWaypoint, 8);
    EXPECT_EQ(g_hookCalls, (std::set<std::pair<U16, U8>>{{7, 3}, {2, 2}}));
    EXPECT_EQ(t.routes[1].nCount, 2u);
    EXPECT_EQ(t.routes[4].nCount, 0u);
    EXPECT_EQ(t.routes[6].nCount, 0u);
    EXPECT_EQ(t.headers[0].u16Count, 4);
    for (U32 i : {8u, 9u, 10u})
        EXPECT_EQ(t.headers[i].u16Count, 0) << "track " << i;
    EXPECT_EQ(t.rumbrels[2].nCount, 2u);
    EXPECT_EQ(t.rumbrels[3].nCount, 0u);
    EXPECT_EQ(t.nMaxRumbrel, 3);

    struct Case {
        const char* file;
        const char* reason; // a part of its log line
        bool kept;
    };
    const Case cases[] = {
        {"wpts/3", "index 3000", false},        {"wpts/9", "wrong mark", false},
        {"wpts/11", "type 1", true},            {"wpts/4", "short", true},
        {"wpts/17.tmp", "left over", false},    {"routes/4", "short", true},
        {"routes/6", "51 points", true},        {"tracks/8", "count 21837", true},
        {"tracks/9", "first step 21835", true}, {"tracks/10", "short", true},
        {"rumbrels/3", "353 points", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(log.count({at(c.file) + " ", c.reason}), 1) << c.file << "\n" << log.text();
        EXPECT_EQ(vt::fileExists(at(c.file)), c.kept) << c.file;
    }
    for (const char* good : {"wpts/5", "wpts/2", "routes/1", "tracks/0", "rumbrels/2"})
        EXPECT_EQ(log.count({at(good) + " "}), 0) << good;
    EXPECT_EQ(g_syncs, 1) << "the wpts folder's removals share one sync";
}

TEST_F(NavItemFiles, PointOfSaleStateKeepsFlashUnchangedUnlessOverridden)
{
    struct Case {
        int state; // -1: "CCST" never written
        BOOLEAN bOverride;
        bool changes;
    };
    const Case cases[] = {
        {-1, FALSE, false}, {-1, TRUE, true}, {3, FALSE, true},
        {4, FALSE, true},   {6, FALSE, false}, {6, TRUE, true},
    };
    WAYPOINT before = navt::referenceWaypoint12(), after = navt::referenceWaypoint2999();
    for (const Case& c : cases) {
        H_DATABASE_vInit();
        T_NAV_NVRAM_vSaveWaypoint(&before, 40, TRUE);
        const std::string old = vt::readFile(at("wpts/40"));
        if (c.state >= 0)
            navt::setState((U32)c.state);
        T_NAV_NVRAM_vSaveWaypoint(&after, 40, c.bOverride);
        EXPECT_EQ(vt::readFile(at("wpts/40")) != old, c.changes) << "state " << c.state;
        T_NAV_NVRAM_vDeleteWaypoint(40, c.bOverride);
        EXPECT_EQ(!vt::fileExists(at("wpts/40")), c.changes) << "state " << c.state;
    }
}

TEST_F(NavItemFiles, OneSavedTrackIsLoadedAtATimeAndADamagedOneLoadsEmpty)
{
    auto t5 = navt::referenceTrack5();
    T_NAV_NVRAM_vSaveTrack(t5.get(), 5, FALSE);
    TRACK* loaded = T_NAV_NVRAM_pLoadTrack(5);
    EXPECT_TRUE(navt::sameTrackHeader(*loaded, *t5));
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_LOADED_TRACK), L_TASK_GetID(0)) << "held from load";
    T_NAV_NVRAM_vReleaseTrack();
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_LOADED_TRACK), 0) << "to release";

    const std::string good = vt::readFile(at("tracks/5"));
    std::string badCount = good;
    badCount[8] = (char)0x30; // u16Count 30000
    badCount[9] = (char)0x75;
    std::string badFirst = good;
    badFirst[10] = (char)0x4B; // u16FirstDelta 21835
    badFirst[11] = (char)0x55;
    struct Case {
        const char* name;
        std::optional<std::string> contents; // none: no file
    };
    const Case cases[] = {
        {"missing file", std::nullopt},
        {"short file", std::string("abc")},
        {"count past the ring", badCount},
        {"first step past the ring", badFirst},
    };
    for (const Case& c : cases) {
        // The buffer holds a good track from before each case.
        ASSERT_EQ(T_NAV_NVRAM_pLoadTrack(5)->u16Count, 301);
        T_NAV_NVRAM_vReleaseTrack();
        unlink(at("tracks/6").c_str());
        if (c.contents)
            vt::writeFile(at("tracks/6"), *c.contents);
        LogCapture log;
        EXPECT_EQ(T_NAV_NVRAM_pLoadTrack(6)->u16Count, 0) << c.name;
        T_NAV_NVRAM_vReleaseTrack();
        EXPECT_EQ(log.count({at("tracks/6")}), c.contents ? 1 : 0) << c.name;
    }
}

TEST_F(NavItemFiles, FoldersAreMadeWhenMissingAndWipedWithOneSync)
{
    std::error_code ec;
    std::filesystem::remove_all(cwd, ec);
    T_NAV_NVRAM_vInit();
    const char* folders[] = {"wpts", "routes", "tracks", "cr_track", "rumbrels"};
    for (const char* f : folders)
        ASSERT_TRUE(std::filesystem::is_directory(at(f))) << f;

    WAYPOINT w = navt::referenceWaypoint12();
    for (U16 i = 0; i < 30; ++i)
        T_NAV_NVRAM_vSaveWaypoint(&w, i, FALSE);
    for (const char* f : folders)
        vt::writeFile(at(std::string(f) + "/.hidden"), "x");
    LS_sync_vSetSyncFunction(countSync);
    T_NAV_NVRAM_vErase();
    for (const char* f : folders)
        EXPECT_FALSE(vt::fileExists(at(f))) << f;
    EXPECT_EQ(g_syncs, 1);
    T_NAV_NVRAM_vInit();
    for (const char* f : folders)
        EXPECT_TRUE(std::filesystem::is_empty(at(f))) << f;
}

TEST_F(NavItemFiles, ABulkScopeLeavesOneSyncForTheWholeOperation)
{
    WAYPOINT w = navt::referenceWaypoint12();
    LS_sync_vSetSyncFunction(countSync);
    for (U16 i = 0; i < 10; ++i) {
        T_NAV_NVRAM_vSaveWaypoint(&w, i, FALSE);
        T_NAV_NVRAM_vDeleteWaypoint(i, FALSE);
    }
    EXPECT_EQ(g_syncs, 10) << "outside a scope each remove syncs";

    g_syncs = 0;
    FS_vBeginBulk();
    for (U16 i = 0; i < 10; ++i)
        T_NAV_NVRAM_vSaveWaypoint(&w, i, FALSE);
    for (U16 i = 0; i < 10; i += 2)
        T_NAV_NVRAM_vDeleteRoute(i, FALSE);
    EXPECT_EQ(g_syncs, 0);
    FS_vEndBulk();
    EXPECT_EQ(g_syncs, 1);
    Tables t;
    t.scan();
    for (U16 i = 0; i < 10; ++i)
        EXPECT_TRUE(navt::sameWaypoint(t.slots[i], w)) << i;
}

} // namespace
