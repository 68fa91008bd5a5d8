// The duplicate and declutter tables, the waypoint searches and the
// default-name counter. The rebuilds are checked against the pair-by-pair
// definition (the Set operations over every id) and against the
// hash-bucket rebuild on random tables.
#include "nav/tests/nav_declutter_grid.h"
#include "nav/tests/nav_waypoint_util.h"

#include "chart_sdk/geodesy/nv_conv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using namespace navw;

constexpr S32 NO_NEIGHBOUR = NAV_DECLUTTER_NONE;

const S32* rightTable()
{
    return T_NAV_TWR_pGetDeclutterWaypointTable(FALSE);
}

TEST_F(WaypointStore, ASecondCopyIsTheDuplicateOfTheOneBeforeIt)
{
    const WAYPOINT w = wp(WP_STATUS_PERMANENT, 500, 600, "TWIN");
    WAYPOINT temporary = w;
    temporary.u8Status = WP_STATUS_TEMPORARY;
    place({{3, w}, {7, wp(WP_STATUS_PERMANENT, 1, 1, "SEVEN")}, {10, temporary}});
    ASSERT_EQ(addPeerRecord(0, slot(0, 7), 1), 0x1000);
    addPeerRecord(5, w, 2);
    T_NAV_TWR_vInitialScan();

    struct Case {
        U32 id;
        bool duplicate;
        U32 twin;
    };
    // The status byte is not compared; of three copies each later one is
    // the duplicate of the one just before it.
    for (const Case c : {Case{3, false, 0}, Case{10, true, 3}, Case{7, false, 0}, Case{0x1000, true, 7},
                         Case{0x2005, true, 10}}) {
        EXPECT_EQ(T_NAV_TWR_bIsDuplicateWaypoint(c.id) != FALSE, c.duplicate) << std::hex << c.id;
        if (c.duplicate) {
            EXPECT_EQ(T_NAV_TWR_nGetDuplicateWaypointIndex(c.id), c.twin) << std::hex << c.id;
        }
    }

    // A peer copy added later is marked at once.
    const S32 later = addPeerRecord(9, slot(0, 7), 3);
    EXPECT_TRUE(T_NAV_TWR_bIsDuplicateWaypoint((U32)later));
    EXPECT_EQ(T_NAV_TWR_nGetDuplicateWaypointIndex((U32)later), 0x1000u);
}

TEST_F(WaypointStore, IconsThatOverlapAreBothMarkedAndAFreeRowGivesTheDistanceToTheRight)
{
    // At scale 17 a pixel is 32 m: 10 m apart the icons overlap. At scale 12
    // a pixel is a metre: 500 m is clear of the 30-pixel icon box.
    place({{0, wp(WP_STATUS_PERMANENT, 1000, 1000, "A")}, {1, wp(WP_STATUS_PERMANENT, 1010, 1000, "B")}});
    T_NAV_TWR_vInitialScan();
    EXPECT_EQ(rightTable()[0], NAV_DECLUTTER_OVERLAP);
    EXPECT_EQ(rightTable()[1], NAV_DECLUTTER_OVERLAP);
    EXPECT_EQ(T_NAV_TWR_pGetDeclutterWaypointTable(TRUE)[1], NAV_DECLUTTER_OVERLAP);

    struct Case {
        const char* what;
        std::vector<std::pair<U32, WAYPOINT>> records;
        std::vector<std::pair<U32, S32>> expected; // slot, entry
    };
    const Case cases[] = {
        {"a neighbour 500 m right",
         {{0, wp(1, 0, 0, "A")}, {1, wp(1, 500, 20, "B")}},
         {{0, 500}, {1, NO_NEIGHBOUR}}},
        {"the nearer of two",
         {{0, wp(1, 0, 0, "A")}, {1, wp(1, 800, 0, "C")}, {2, wp(1, 500, 0, "B")}},
         {{0, 500}, {2, 300}, {1, NO_NEIGHBOUR}}},
        {"a neighbour left of a lower id",
         {{0, wp(1, 500, 0, "A")}, {1, wp(1, 0, 0, "B")}},
         {{0, NO_NEIGHBOUR}, {1, 500}}},
        {"across the date line",
         {{0, wp(1, 20038000, 0, "A")}, {1, wp(1, -20037900, 0, "B")}},
         {{0, 700}, {1, NO_NEIGHBOUR}}},
        {"another row",
         {{0, wp(1, 0, 0, "A")}, {1, wp(1, 500, 40, "B")}},
         {{0, NO_NEIGHBOUR}, {1, NO_NEIGHBOUR}}},
        {"no date, a group record and a duplicate take no part",
         {{0, wp(1, 0, 0, "A")}, {1, wp(1, 5, 0, "B", false, 0)}, {2, wp(16, 5, 0, "G")}, {3, wp(1, 0, 0, "A")}},
         {{0, NO_NEIGHBOUR}, {1, NO_NEIGHBOUR}, {2, NO_NEIGHBOUR}, {3, NO_NEIGHBOUR}}},
    };
    setU32(FCID("SNCS"), 12);
    for (const Case& c : cases) {
        T_NAV_TWR_vClearTables();
        place(c.records);
        T_NAV_TWR_vInitialScan();
        for (const auto& [s, entry] : c.expected)
            EXPECT_EQ(rightTable()[s], entry) << c.what << ", slot " << s;
    }

    // Without a scale the pane declutters nothing.
    H_DATABASE_vDeleteEntry(FCID("SNCS"));
    T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE_RIGHT);
    EXPECT_EQ(rightTable()[0], NO_NEIGHBOUR);
}

TEST_F(WaypointStore, ANewWaypointIsComparedWithAllOthersAtOnceUnlessInBulkMode)
{
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    setU32(FCID("SNCS"), 12);
    T_NAV_TWR_vInitialScan();
    const U16 a = add(wp(WP_STATUS_PERMANENT, 500, 0, "A"));
    const U16 b = add(wp(WP_STATUS_PERMANENT, 0, 0, "B"));
    EXPECT_EQ(rightTable()[b], 500);
    EXPECT_EQ(rightTable()[a], NO_NEIGHBOUR);

    T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
    const U16 c = add(wp(WP_STATUS_PERMANENT, 505, 0, "C"));
    EXPECT_EQ(rightTable()[a], NO_NEIGHBOUR);
    T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
    EXPECT_EQ(rightTable()[a], NAV_DECLUTTER_OVERLAP);
    EXPECT_EQ(rightTable()[c], NAV_DECLUTTER_OVERLAP);

    // With the declutter scan off a deletion leaves the table.
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(TRUE);
    T_NAV_bDeleteWaypoint(c, FALSE);
    EXPECT_EQ(rightTable()[a], NAV_DECLUTTER_OVERLAP);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(FALSE);
    T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE_BOTH);
    EXPECT_EQ(rightTable()[a], NO_NEIGHBOUR);
}

// Random tables: clusters at several spreads (some across the date line),
// copies, equal x, every status, missing dates, all four banks.
struct RandomTable {
    std::mt19937 rng;
    explicit RandomTable(unsigned seed) : rng(seed) {}
    S32 uniform(S32 lo, S32 hi) { return std::uniform_int_distribution<S32>(lo, hi)(rng); }

    // Spreads from well inside one icon box to hundreds of boxes at the
    // scale.
    void fill(U32 ownSlots, U32 peerSlots, S32 scale)
    {
        T_NAV_TWR_vClearTables();
        const double box = 30.0 * std::pow(2.0, std::clamp(scale, 0, 32) - 12);
        const double multiples[] = {0.3, 3, 30, 300};
        const S32 spread = (S32)std::clamp(box * multiples[uniform(0, 3)], 5.0, 5e6);
        const POINT centres[] = {{uniform(-20038300, 20038300), uniform(-15000000, 15000000)},
                                 {20038300 - uniform(0, 1000), uniform(-1000, 1000)},
                                 {uniform(-3000, 3000), uniform(-3000, 3000)}};
        std::vector<WAYPOINT> made;
        T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
        for (U32 bank = 0; bank < 4; ++bank) {
            const U32 slots = bank == 0 ? ownSlots : peerSlots;
            for (U32 s = 0; s < slots; ++s) {
                if (uniform(0, 9) == 0)
                    continue;
                WAYPOINT w;
                if (!made.empty() && uniform(0, 9) == 0) {
                    w = made[uniform(0, (S32)made.size() - 1)];
                } else {
                    const POINT c = centres[uniform(0, 2)];
                    w = wp(1, (S32)std::clamp<S64>((S64)c.x + uniform(-spread, spread), -20038300, 20038300),
                           c.y + uniform(-spread, spread), "R", false, (U32)uniform(1, 3));
                    w.u8Icon = (U8)uniform(0, 2);
                    if (!made.empty() && uniform(0, 19) == 0)
                        w.pt.x = made[uniform(0, (S32)made.size() - 1)].pt.x;
                }
                const U8 statuses[] = {1, 1, 1, 1, 2, 3, 16, 17, 0};
                const U8 status = statuses[uniform(0, 8)];
                if (uniform(0, 19) == 0)
                    w.u32DateTime = 0;
                made.push_back(w);
                if (bank == 0) {
                    w.u8Status = status;
                    slot(0, s) = w;
                } else {
                    w.u8Status = 1;
                    addPeerRecord(s, w, (S32)bank);
                    slot(bank, s).u8Status = status;
                }
            }
        }
        T_NAV_TWR_vTemporarilyDisableScanForDuplicates(TRUE);
        T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(TRUE);
        T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
        T_NAV_TWR_vTemporarilyDisableScanForDuplicates(FALSE);
        T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(FALSE);
        T_NAV_TWR_vHashWaypoints();
    }
};

template <typename Fn> void forEachUsedId(Fn fn)
{
    for (U32 bank = 0; bank < 4; ++bank)
        for (S32 s = 0; s < T_NAV_TWR_nGetMaxUsedWaypointIndex((S32)bank); ++s)
            if (slot(bank, (U32)s).u8Status != WP_STATUS_FREE)
                fn(bank << 12 | (U32)s, slot(bank, (U32)s));
}

TEST_F(WaypointStore, TheRebuildsGiveExactlyWhatComparingEveryPairGives)
{
    const S32 scales[] = {-3, 0, 1, 6, 10, 12, 14, 15, 17, 20, 24, 31, 32, 40};
    // What the trials met, so that none of the kinds of entry goes untested.
    size_t duplicates = 0, overlaps = 0, distances = 0, candidates = 0;
    for (unsigned trial = 0; trial < 48; ++trial) {
        RandomTable table(trial);
        const bool large = trial % 24 == 0;
        const S32 scale = scales[trial % (sizeof scales / sizeof scales[0])];
        table.fill(large ? 2999 : (U32)table.uniform(0, 300), large ? 300 : (U32)table.uniform(0, 120), scale);
        SCOPED_TRACE("trial " + std::to_string(trial) + ", scale " + std::to_string(scale));

        // The definition, pair by pair.
        T_NAV_TWR_vClearDerivedTables();
        forEachUsedId([](U32 id, const WAYPOINT&) { T_NAV_TWR_vSetDuplicateFlag(id, id + 1); });
        navg::Tables defined;
        for (U32 id = 0; id < NAV_WAYPOINT_ID_ENTRIES; ++id) {
            defined.duplicate[id] = T_NAV_TWR_bIsDuplicateWaypoint(id);
            defined.twin[id] = T_NAV_TWR_nGetDuplicateWaypointIndex(id);
        }
        forEachUsedId([&](U32 id, const WAYPOINT& w) {
            if (w.u8Status != 16 && w.u8Status != 17 && w.u32DateTime != 0)
                T_NAV_TWR_vSetDeclutterFlag(id, id + 1, (U32)scale, defined.declutter.data());
        });

        // The store's rebuild.
        setU32(FCID("SNCS"), (U32)scale);
        T_NAV_TWR_vDuplicateWaypointsScan();
        T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE_RIGHT);
        // The hash-bucket rebuild.
        navg::Tables grid;
        navg::buildDuplicates(&grid);
        navg::buildDeclutter(&grid, scale);

        int differences = 0;
        for (U32 id = 0; id < NAV_WAYPOINT_ID_ENTRIES && differences < 5; ++id) {
            const bool dup = T_NAV_TWR_bIsDuplicateWaypoint(id);
            const U32 twin = T_NAV_TWR_nGetDuplicateWaypointIndex(id);
            const S32 entry = rightTable()[id];
            duplicates += dup;
            overlaps += entry == NAV_DECLUTTER_OVERLAP;
            distances += entry >= 0 && entry != NO_NEIGHBOUR;
            const bool ok = dup == (bool)defined.duplicate[id] && twin == defined.twin[id] &&
                            entry == defined.declutter[id] && dup == (bool)grid.duplicate[id] &&
                            twin == grid.twin[id] && entry == grid.declutter[id];
            if (!ok) {
                ++differences;
                ADD_FAILURE() << "id " << std::hex << id << std::dec << ": store " << dup << "/" << twin << "/"
                              << entry << ", defined " << (int)defined.duplicate[id] << "/" << defined.twin[id]
                              << "/" << defined.declutter[id] << ", grid " << (int)grid.duplicate[id] << "/"
                              << grid.twin[id] << "/" << grid.declutter[id];
            }
        }
        forEachUsedId([&](U32, const WAYPOINT&) { ++candidates; });
    }
    EXPECT_GT(candidates, 10000u);
    EXPECT_GT(duplicates, 500u);
    EXPECT_GT(overlaps, 1000u);
    EXPECT_GT(distances, 1000u);
    printf("%zu waypoints, %zu duplicates, %zu overlaps, %zu distances\n", candidates, duplicates, overlaps,
           distances);
}

TEST_F(WaypointStore, TheDirectionSearchFindsTheNearestWaypointAheadButNeverTheOneAtThePoint)
{
    const POINT at = {100000, 200000};
    place({{0, wp(1, at.x, at.y, "HERE")},
           {1, wp(1, at.x, at.y + 150, "N150")},
           {2, wp(1, at.x, at.y + 100, "N100")},
           {3, wp(1, at.x + 120, at.y, "E")},
           {4, wp(1, at.x, at.y - 130, "S")},
           {5, wp(1, at.x - 140, at.y, "W")},
           {6, wp(16, at.x + 30, at.y + 30, "GROUP")}});
    ASSERT_EQ(addPeerRecord(0, wp(1, at.x + 20000, at.y + 20, "FAR E"), 2), 0x2000);
    struct Case {
        U16 direction;
        S32 width;
        S32 length;
        S32 expected;
    };
    const Case cases[] = {
        {0, 50, 200, 2},       {90, 50, 200, 3},     {180, 50, 200, 4},       {270, 50, 200, 5},
        {45, 50, 200, NONE},   {0, 50, 99, NONE},    {90, 50, 30000, 3},      {90, 10, 30000, 3},
        {0, 0, 100, 2},        {360, 50, 200, 2},    {92, 50, 25000, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(T_NAV_nFindNearbyWaypoint(at, c.width, c.length, c.direction), c.expected)
            << "direction " << c.direction << ", width " << c.width << ", length " << c.length;

    // Far offsets go through the shortened arithmetic.
    slot(0, 3).u8Status = WP_STATUS_FREE;
    EXPECT_EQ(T_NAV_nFindNearbyWaypoint(at, 50, 30000, 90), 0x2000);
    EXPECT_EQ(T_NAV_nFindNearbyWaypoint({at.x + 20000, at.y + 20}, 50, 30000, 90), NONE);
}

TEST_F(WaypointStore, TheSearchAtAPositionLooksAtPeersOnlyWhenAsked)
{
    place({{4, wp(1, 7, 8, "OWN")}, {5, wp(2, 9, 9, "T")}});
    addPeerRecord(2, wp(1, 1, 2, "PEER"), 1);
    EXPECT_EQ(T_NAV_nFindWaypointAtPosition({7, 8}, FALSE), 4);
    EXPECT_EQ(T_NAV_nFindWaypointAtPosition({9, 9}, FALSE), 5);
    EXPECT_EQ(T_NAV_nFindWaypointAtPosition({1, 2}, FALSE), NONE);
    EXPECT_EQ(T_NAV_nFindWaypointAtPosition({1, 2}, TRUE), 0x1002);
    EXPECT_EQ(T_NAV_nFindWaypointAtPosition({1, 3}, TRUE), NONE);
}

ais_DeviceInfo target(U32 mmsi, double lat, double lon, bool valid = true, bool positioned = true)
{
    ais_DeviceInfo t{};
    t.aisInfo.MMSI = mmsi;
    t.aisInfo.validTarget = valid;
    t.aisInfo.Latitude = lat;
    t.aisInfo.Longitude = lon;
    t.aisInfo.validityFlag[SHIPPOS_FLAG_INDEX] = positioned;
    return t;
}

TEST_F(WaypointStore, TheNearestAisTargetWinsWithinTheLimitOrAtAnyDistanceForLimitZero)
{
    // Targets east of 10N 20E at about 6, 3, 1 (no position) and 2 (not
    // valid) nautical miles.
    const ais_DeviceInfo targets[] = {target(100, 10.0, 20.1016), target(200, 10.0, 20.0508),
                                      target(300, 10.0, 20.0169, true, false), target(400, 10.0, 20.0339, false)};
    T_NMEA_AIS_STANDIN_vSetTargets(targets, 4);
    POSITION origin = {10.0, 20.0};
    POINT here;
    ASSERT_EQ(nv_DegrToMeter(&origin, &here), NV_OK);
    H_DATABASE_bUpdateValueBoolean(FCID("SAIS"), TRUE, P_NORMAL);

    struct Case {
        float limit;
        U32 mmsi; // 0: none
    };
    for (const Case c : {Case{0.0f, 200}, Case{-1.0f, 200}, Case{3.5f, 200}, Case{2.5f, 0}, Case{100.0f, 200}}) {
        ais_DeviceInfo stale{};
        ais_DeviceInfo* found = &stale;
        const BOOLEAN ok = T_NAV_bFindNearbyAisTarget(&here, c.limit, &found);
        EXPECT_EQ(ok != FALSE, c.mmsi != 0) << "limit " << c.limit;
        EXPECT_EQ(found ? found->aisInfo.MMSI : 0u, c.mmsi) << "limit " << c.limit;
    }

    // Of two at the same distance the later one wins.
    const ais_DeviceInfo tie[] = {target(1, 10.0, 20.05), target(2, 10.0, 20.05)};
    T_NMEA_AIS_STANDIN_vSetTargets(tie, 2);
    ais_DeviceInfo* found = nullptr;
    ASSERT_TRUE(T_NAV_bFindNearbyAisTarget(&here, 0, &found));
    EXPECT_EQ(found->aisInfo.MMSI, 2u);

    H_DATABASE_bUpdateValueBoolean(FCID("SAIS"), FALSE, P_NORMAL);
    EXPECT_FALSE(T_NAV_bFindNearbyAisTarget(&here, 0, &found));
    EXPECT_EQ(found, nullptr);
    T_NMEA_AIS_STANDIN_vSetTargets(nullptr, 0);
}

TEST_F(WaypointStore, TheDefaultNameCounterReadsOnlyDefaultNames)
{
    struct Case {
        const char* name; // up to 12 characters, all of them used
        U8 status;
        S32 counter;
    };
    const Case cases[] = {
        {"WP005", 1, 5},           {"WP9999", 3, 9999},      {"WP10000", 1, 1},   {"WP0000009999", 1, 9999},
        {"WP9999999999", 1, 1},    {"AB123", 1, 1},          {"WP", 1, 1},        {"W", 1, 1},
        {"WPX12", 1, 0},           {"WP12A", 1, 0},          {"", 1, 0},          {"WP042", 2, 42},
        {"WP042", 0, 0},           {"WP042", 16, 0},
    };
    for (const Case& c : cases) {
        T_NAV_TWR_vClearTables();
        H_DATABASE_vDeleteEntry(FCID("SWID"));
        WAYPOINT w = wp(c.status, 0, 0, "");
        memcpy(w.sName, c.name, strlen(c.name));
        place({{0, w}});
        EXPECT_EQ(T_NAV_s32GetMaxWayPointCounter(), c.counter) << "\"" << c.name << "\" status " << (int)c.status;
    }
    H_DATABASE_bUpdateValueS32(FCID("SWID"), 20000, P_NORMAL);
    EXPECT_EQ(T_NAV_s32GetMaxWayPointCounter(), 20000);
}

TEST_F(WaypointStore, TheCounterSettingIsRaisedCappedAndLowered)
{
    place({{0, wp(1, 0, 0, "WP0000000777")}, {1, wp(2, 0, 0, "WP0000000900")}, {2, wp(1, 0, 0, "WP3")}});
    H_DATABASE_bUpdateValueS32(FCID("SWID"), 5, P_NORMAL);
    T_NAV_vUpdateWaypointCounter(0);
    EXPECT_EQ(getU32(FCID("SWID")), 777u);
    T_NAV_vUpdateWaypointCounter(1); // temporary: not counted
    T_NAV_vUpdateWaypointCounter(2); // lower
    T_NAV_vUpdateWaypointCounter(3000);
    EXPECT_EQ(getU32(FCID("SWID")), 777u);
    H_DATABASE_bUpdateValueS32(FCID("SWID"), 150000, P_NORMAL);
    T_NAV_vUpdateWaypointCounter(2);
    EXPECT_EQ(getU32(FCID("SWID")), 99999u);

    T_NAV_vCancelWaypointCounterIncrease();
    EXPECT_EQ(getU32(FCID("SWID")), 99998u);
    H_DATABASE_bUpdateValueS32(FCID("SWID"), 0, P_NORMAL);
    T_NAV_vCancelWaypointCounterIncrease();
    EXPECT_EQ(getU32(FCID("SWID")), 0u);
}

} // namespace
