// Sorted waypoint lists, the point picker's list and the comparators.
#include "nav/data/t_nav_twr_sort.h"
#include "nav/tests/nav_tables_util.h"
#include "testing/t_proc.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace navr;

class SortedLists : public TableStore {
protected:
    void SetUp() override
    {
        TableStore::SetUp();
        U_CONVERT_vInitialiseConversionUtility();
    }
    std::vector<U16> waypoints(NAV_WPT_SORT_ORDER order, bool temp = false, bool peers = false)
    {
        std::vector<U16> ids(NAV_SORTED_WAYPOINTS_MAX, 0xEEEE);
        U32 n = 0;
        T_NAV_vGetSortedWaypoints(order, &n, ids.data(), temp, peers);
        ids.resize(n);
        return ids;
    }
    std::vector<ST_POINT_TYPE_INDEX> points(NAV_WPT_SORT_ORDER order, bool motor, bool ends, bool temp = false)
    {
        std::vector<ST_POINT_TYPE_INDEX> list(4 * 3000 + 200);
        U32 n = 0;
        T_NAV_vGetSortedPointsList(order, &n, list.data(), temp, FALSE, motor, ends);
        list.resize(n);
        return list;
    }
    std::string pointName(const ST_POINT_TYPE_INDEX& r, bool ends = true)
    {
        char buf[TWR_POINT_NAME_CHARS];
        T_NAV_vGetTwrPointName(&r, buf, sizeof buf, ends);
        return buf;
    }
    static ST_POINT_TYPE_INDEX wpt(U32 id)
    {
        ST_POINT_TYPE_INDEX r{};
        r.nType = TWR_POINT_TYPE_WPT;
        r.nIndex = id;
        return r;
    }
    void boatAt(S32 x, S32 y)
    {
        H_DATABASE_bUpdateValueS32(FCID("ILAT"), y, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("ILON"), x, P_NORMAL);
    }
};

std::string dbg(U16 v)
{
    return std::to_string(v) + " ";
}

std::string dbg(const ST_POINT_TYPE_INDEX& r)
{
    return "[" + std::to_string(r.nType) + " " + std::to_string(r.nIndex) + " " + std::to_string(r.nRouteStartEnd) +
           std::to_string(r.nRumbrelStartEnd) + " " + std::to_string(T_NAV_dGetTwrPointDistance(&r)) + "] ";
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

TEST_F(SortedLists, ManOverboardWaypointsLeadEveryOrderAndSortAmongThemselves)
{
    place({{0, wp(1, 500, 500, "DELTA", false, 10)},
           {1, wp(3, 900, 900, "ZULU MOB", false, 30)},
           {2, wp(1, 100, 100, "ALPHA", false, 50)},
           {3, wp(1, 300, 300, "CHARLIE", false, 20)},
           {4, wp(3, 50, 50, "ALPHA MOB", false, 40)},
           {5, wp(1, 700, 700, "ECHO", false, 60)},
           {6, wp(1, 200, 200, "BRAVO", false, 70)}});
    const struct {
        NAV_WPT_SORT_ORDER order;
        std::vector<U16> want;
    } rows[] = {
        {NAV_WPT_SORT_BY_NAME, {4, 1, 2, 6, 3, 0, 5}},
        {NAV_WPT_SORT_BY_TIME, {4, 1, 6, 5, 2, 3, 0}},
        {NAV_WPT_SORT_BY_DISTANCE, {4, 1, 2, 6, 3, 0, 5}},
        {NAV_WPT_SORT_BY_WAYPOINTS, {4, 1, 2, 6, 3, 0, 5}}, // any other order sorts by name
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.order);
        EXPECT_EQ(waypoints(r.order), r.want);
    }
}

TEST_F(SortedLists, TemporaryAndPeerWaypointsOnlyWhenAsked)
{
    place({{0, wp(1, 1, 1, "OWN")}, {1, wp(2, 2, 2, "TEMP")}});
    ASSERT_NE(addPeerRecord(7, wp(1, 3, 3, "PEER"), 2), 0xFFFF);
    EXPECT_EQ(waypoints(NAV_WPT_SORT_BY_NAME), std::vector<U16>{0});
    EXPECT_EQ(waypoints(NAV_WPT_SORT_BY_NAME, true), (std::vector<U16>{0, 1}));
    EXPECT_EQ(waypoints(NAV_WPT_SORT_BY_NAME, false, true), (std::vector<U16>{0, 0x2007}));
}

TEST_F(SortedLists, WithoutAFixDistancesCountFromZeroZero)
{
    place({{0, wp(1, 0, 90000, "FAR")}, {1, wp(1, 0, -500, "NEAR")}, {2, wp(1, 3000, 0, "MIDDLE")}});
    EXPECT_EQ(waypoints(NAV_WPT_SORT_BY_DISTANCE), (std::vector<U16>{1, 2, 0}));
    boatAt(0, 95000);
    EXPECT_EQ(waypoints(NAV_WPT_SORT_BY_DISTANCE), (std::vector<U16>{0, 2, 1}));
}

TEST_F(SortedLists, EveryComparatorIsAConsistentOrderOnRandomTables)
{
    std::mt19937 rng(70);
    std::vector<std::pair<U32, WAYPOINT>> records;
    const char* names[] = {"A", "B", "AB", "ABCDEFGHIJKL", "ABCDEFGHIJKM", ""};
    for (U32 s = 0; s < 400; ++s) {
        WAYPOINT w = wp(1, (S32)(rng() % 5) * 1000, (S32)(rng() % 5) * 1000, "", false, rng() % 4);
        // Names of all 12 characters, without a NUL, among them.
        const char* name = names[rng() % 6];
        memset(w.sName, 0, sizeof w.sName);
        memcpy(w.sName, name, strnlen(name, sizeof w.sName));
        records.emplace_back(s, w);
    }
    place(records);
    for (U32 i = 0; i < 6; ++i)
        T_NAV_u16RumbrelAdd(rumbrel(3 + i % 2, i % 2 ? "X" : "Y", 10 * (i % 3)).get());
    for (U32 i = 0; i < 6; ++i) {
        const ROUTE r = route({(U16)(rng() % 400), (U16)(rng() % 400)}, false, 5 + i % 2, i % 2 ? "R" : "S");
        T_NAV_vRouteStore(i, &r, TRUE, FALSE);
    }
    T_NAV_vResetDistanceCache();

    std::vector<U16> ids;
    for (U32 s = 0; s < 400; ++s)
        ids.push_back((U16)s);
    std::vector<ST_POINT_TYPE_INDEX> refs;
    for (U32 s = 0; s < 60; ++s)
        refs.push_back(wpt(s));
    for (U32 i = 0; i < 6; ++i)
        for (U32 se = 0; se < 3; ++se) {
            ST_POINT_TYPE_INDEX r{};
            r.nType = TWR_POINT_TYPE_RUMBREL;
            r.nIndex = i;
            r.nRumbrelStartEnd = se;
            refs.push_back(r);
            r.nType = TWR_POINT_TYPE_ROUTE;
            r.nRumbrelStartEnd = 0;
            r.nRouteStartEnd = se;
            refs.push_back(r);
        }

    auto check = [&](auto& items, int (*cmp)(const void*, const void*), const char* what) {
        SCOPED_TRACE(what);
        const size_t n = items.size();
        for (size_t a = 0; a < n; ++a) {
            ASSERT_EQ(cmp(&items[a], &items[a]), 0);
            for (size_t b = 0; b < n; ++b)
                ASSERT_EQ(sign(cmp(&items[a], &items[b])), -sign(cmp(&items[b], &items[a]))) << a << " " << b;
        }
        for (int t = 0; t < 20000; ++t) {
            const auto& x = items[rng() % n];
            const auto& y = items[rng() % n];
            const auto& z = items[rng() % n];
            if (cmp(&x, &y) <= 0 && cmp(&y, &z) <= 0) {
                ASSERT_LE(cmp(&x, &z), 0) << dbg(x) << dbg(y) << dbg(z);
            }
        }
        auto copy = items;
        qsort(copy.data(), n, sizeof copy[0], cmp);
        for (size_t i = 1; i < n; ++i)
            ASSERT_LE(cmp(&copy[i - 1], &copy[i]), 0);
    };
    std::vector<U16> some(ids.begin(), ids.begin() + 120);
    check(some, T_NAV_nCompareWaypointsByName, "waypoints by name");
    check(some, T_NAV_nCompareWaypointsByTime, "waypoints by time");
    check(some, T_NAV_nCompareWaypointsByDistance, "waypoints by distance");
    check(refs, T_NAV_nCompareTwrPointsByName, "points by name");
    check(refs, T_NAV_nCompareTwrPointsByTime, "points by time");
    check(refs, T_NAV_nCompareTwrPointsByDistance, "points by distance");
    std::vector<U16> rumbrels = {0, 1, 2, 3, 4, 5};
    check(rumbrels, T_NAV_nCompareRumbrelsByName, "recorded tracks by name");
    check(rumbrels, T_NAV_nCompareRumbrelsByTime, "recorded tracks by time");
    check(rumbrels, T_NAV_nCompareRumbrelsByDistance, "recorded tracks by distance");
    std::vector<U16> routes = {0, 1, 2, 3, 4, 5};
    check(routes, T_NAV_nCompareRouteNames, "routes by name");
    check(routes, T_NAV_nCompareTracks, "saved tracks by name");
}

// The unit counts a minute of latitude as a nautical mile; the reference is
// the WGS 84 rhumb line in metres over 1852.
TEST_F(SortedLists, DistancesFollowTheRhumbLineWithinSixTenthsOfAPercent)
{
    if (system("command -v RhumbSolve >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "RhumbSolve (geographiclib-tools) is not installed";
    const POINT boat = {-9000000, 5000000};
    boatAt(boat.x, boat.y);
    const POINT targets[] = {{-8990000, 5005000}, {-8000000, 6000000}, {-9500000, 4000000}, {-9000100, 5000000},
                             {-6000000, 5000000}, {-9000000, 2000000}};
    std::vector<std::pair<U32, WAYPOINT>> records;
    for (U32 i = 0; i < 6; ++i)
        records.emplace_back(i, wp(1, targets[i].x, targets[i].y, "T"));
    place(records);
    T_NAV_vResetDistanceCache();
    POSITION from{};
    nv_MeterToDegr(&boat, &from);
    for (U32 i = 0; i < 6; ++i) {
        POSITION to{};
        nv_MeterToDegr(&targets[i], &to);
        std::ostringstream cmd;
        cmd.precision(12);
        cmd << "echo " << from.lat << " " << from.lon << " " << to.lat << " " << to.lon << " | RhumbSolve -i";
        vt::ProcResult r = vt::runProcess({"/bin/sh", "-c", cmd.str()});
        ASSERT_EQ(r.status, 0) << r.err;
        double azimuth = 0, metres = 0;
        std::istringstream(r.out) >> azimuth >> metres;
        const double want = metres / 1852.0;
        const ST_POINT_TYPE_INDEX ref = wpt(i);
        const double got = T_NAV_dGetTwrPointDistance(&ref);
        EXPECT_NEAR(got, want, want * 0.006) << "target " << i;
    }
}

TEST_F(SortedLists, ThePointListFollowsTheCasesOfEachOrder)
{
    WAYPOINT hold = wp(1, 5, 5, "HOLD");
    hold.u8Icon = STEVRIN_STAYVANE_ICON;
    place({{0, wp(1, 1, 1, "ALPHA")}, {1, wp(3, 2, 2, "ZZ MOB")}, {2, hold}, {3, wp(2, 3, 3, "TEMP")}});
    T_NAV_u16RumbrelAdd(rumbrel(3, "TRACK").get());
    const ROUTE r4 = route({0, 2}, false, 5, "ROUTE");
    T_NAV_vRouteStore(4, &r4, TRUE, FALSE);

    auto names = [&](const std::vector<ST_POINT_TYPE_INDEX>& l) {
        std::vector<std::string> out;
        for (const auto& r : l)
            out.push_back(pointName(r));
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(names(points(NAV_WPT_SORT_BY_NAME, true, true)),
              (V{"ZZ MOB", "ALPHA", "HOLD", "ROUTE to start", "ROUTE to end", "TRACK to start", "TRACK to end"}));
    // The start-first rule keeps a track's or route's start ahead of its end
    // when both carry the same name.
    const auto byName = points(NAV_WPT_SORT_BY_NAME, true, true);
    EXPECT_EQ(byName[3].nRouteStartEnd, 1u);
    EXPECT_EQ(byName[5].nRumbrelStartEnd, 1u);
    EXPECT_EQ(names(points(NAV_WPT_SORT_BY_WAYPOINTS, true, true)), (V{"ZZ MOB", "ALPHA"}));
    EXPECT_EQ(names(points(NAV_WPT_SORT_BY_STAYVANES, true, true)), V{"HOLD"});
    EXPECT_EQ(names(points(NAV_WPT_SORT_BY_RUMBRELS, true, false)), V{"TRACK"});
    EXPECT_TRUE(points(NAV_WPT_SORT_BY_RUMBRELS, false, false).empty()) << "no tracks without the motor";
    EXPECT_EQ(names(points(NAV_WPT_SORT_BY_ROUTES, false, false)), V{"ROUTE"});
    EXPECT_EQ(names(points(NAV_WPT_SORT_BY_NAME, false, false, true)), (V{"ZZ MOB", "ALPHA", "HOLD", "ROUTE", "TEMP"}));

    ST_POINT_TYPE_INDEX other{};
    other.nType = 3;
    U32 when = 0x1234;
    POINT where = {7, 8};
    T_NAV_vGetTwrPointDateTime(&other, &when, &where);
    EXPECT_EQ(pointName(other), "");
    EXPECT_EQ(when, 0x1234u);
    EXPECT_EQ(where.x, 7);

    ST_POINT_TYPE_INDEX end{};
    end.nType = TWR_POINT_TYPE_ROUTE;
    end.nIndex = 4;
    end.nRouteStartEnd = 2;
    T_NAV_vGetTwrPointDateTime(&end, &when, &where);
    EXPECT_EQ(when, 5u);
    EXPECT_EQ(where.x, 5) << "the route's last waypoint";
}

TEST_F(SortedLists, APointReferenceIsEightBytesOfTwoWords)
{
    ST_POINT_TYPE_INDEX r{};
    r.nIndex = 0x1234;
    r.nRouteStartEnd = 2;
    r.nRumbrelStartEnd = 1;
    r.nType = TWR_POINT_TYPE_ROUTE;
    U8 b[TWR_POINT_BYTES];
    T_NAV_vEncodeTwrPoint(&r, b);
    const U8 want[TWR_POINT_BYTES] = {0x34, 0x12, 0x00, 0x18, 0x02, 0x00, 0x00, 0x00};
    EXPECT_EQ(0, memcmp(b, want, sizeof b));
    ST_POINT_TYPE_INDEX back{};
    T_NAV_vDecodeTwrPoint(b, &back);
    EXPECT_EQ(back.nIndex, 0x1234u);
    EXPECT_EQ(back.nRouteStartEnd, 2u);
    EXPECT_EQ(back.nRumbrelStartEnd, 1u);
    EXPECT_EQ(back.nType, 2u);
}

} // namespace
