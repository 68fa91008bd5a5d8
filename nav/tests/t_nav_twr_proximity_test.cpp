// Recorded-track proximity: the closest point, the track near a point, the
// start or end ahead; and the back-track made from the current track.
#include "nav/tests/nav_core_world.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "nav/data/t_nav_twr_proximity.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "testing/t_proc.h"
#include "trolling/u_stevrin_standin.h"

#include <memory>
#include <optional>
#include <sstream>

namespace {

using namespace navw;

constexpr U16 NONE = 0xFFFF;
constexpr double FEET = 0.3048;

// A displayed track of these points in the slot.
RUMBREL* putTrack(U32 slot, const std::vector<POINT>& points, bool displayed = true)
{
    RUMBREL* r = T_NAV_pGetRumbrel(slot);
    memset(static_cast<void*>(r), 0, sizeof(RUMBREL));
    r->nCount = (U32)points.size();
    r->u32DateTime = T0;
    r->u32Visible = displayed ? 1 : 0;
    r->u32DisplayedOnChart = 1;
    for (size_t i = 0; i < points.size(); ++i)
        r->aTrackPoints[i] = points[i];
    return r;
}

class Proximity : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        U_STEVRIN_STANDIN_vClearCalls();
        setU("IDTM", T0);
        boatAt(at(0, 0));
    }
};

// ---- Closest points ----

TEST_F(Proximity, TheClosestPointIsTheFirstOfEqualDistances)
{
    // Points 1 and 2 lie the same distance east and west of the boat.
    RUMBREL* r = putTrack(0, {at(0, 900), at(400, 0), at(-400, 0), at(0, 700)});
    T_NAV_vSetAllRumbrelClosest();
    EXPECT_EQ(r->u32ClosestTP, 1u);
    EXPECT_TRUE(r->u32ClosestBRG == 89u || r->u32ClosestBRG == 90u) << "east: " << r->u32ClosestBRG;
    EXPECT_NEAR(r->u32ClosestDTG, 400.0, 4.0);

    U32 bearing = 0;
    U32 distance = 0;
    EXPECT_EQ(T_NAV_u32FindClosestRumbrelPoint(r, &bearing, &distance), 1u);
    EXPECT_EQ(distance, r->u32ClosestDTG);

    POINT north = at(0, 780);
    EXPECT_EQ(T_NAV_u32FindClosestRumbrelPoint2Pos(&north, r, &bearing, &distance), 3u);
    EXPECT_NEAR(distance, 80.0, 2.0);
    EXPECT_TRUE(bearing == 179 || bearing == 180 || bearing == 0 || bearing == 359) << bearing;
}

TEST_F(Proximity, ATrackWithoutPointsAndTheBoatWithoutAFix)
{
    RUMBREL* empty = putTrack(1, {});
    U32 bearing = 7;
    U32 distance = 7;
    EXPECT_EQ(T_NAV_u32FindClosestRumbrelPoint(empty, &bearing, &distance), 0u);
    EXPECT_EQ(bearing, 0u);
    EXPECT_EQ(distance, NAV_CLOSEST_NONE_DTG);

    // Without a fix the boat stands at (0, 0).
    RUMBREL* r = putTrack(2, {at(0, 0), {1000, 0}});
    expire("ILAT");
    T_NAV_vSetRumbrelClosest(2);
    EXPECT_EQ(r->u32ClosestTP, 1u);
    T_NAV_vSetRumbrelClosest(50); // past the table: nothing
}

TEST_F(Proximity, BoatToWaypointInFeet)
{
    putWaypoint(4, at(0, 304.8));
    EXPECT_NEAR(T_NAV_u32BoatPosToWayptinFt(4), 1000.0, 10.0);
    EXPECT_EQ(T_NAV_u32BoatPosToWayptinFt(5), 0xFFFFFFFFu) << "no waypoint";
}

// The unit counts a minute of latitude as a nautical mile; the reference is
// the WGS 84 rhumb line in metres over 1852.
TEST_F(Proximity, DistancesAndBearingsFollowTheRhumbLine)
{
    if (system("command -v RhumbSolve >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "RhumbSolve (geographiclib-tools) is not installed";
    const POINT refs[] = {at(0, 0), {-9000000, 5000000}, {2000000, -6000000}, {19990000, 1000000}};
    const POINT targets[] = {at(300, 5000), {-8000000, 6000000}, {2500000, -6100000}, {-19990000, 1010000}};
    for (size_t i = 0; i < std::size(refs); ++i) {
        SCOPED_TRACE(i);
        RUMBREL* r = putTrack(3, {targets[i]});
        POINT ref = refs[i];
        U32 bearing = 0;
        U32 distance = 0;
        T_NAV_u32FindClosestRumbrelPoint2Pos(&ref, r, &bearing, &distance);
        POSITION from{};
        POSITION to{};
        nv_MeterToDegr(&refs[i], &from);
        nv_MeterToDegr(&targets[i], &to);
        std::ostringstream cmd;
        cmd.precision(12);
        cmd << "echo " << from.lat << " " << from.lon << " " << to.lat << " " << to.lon << " | RhumbSolve -i";
        vt::ProcResult p = vt::runProcess({"/bin/sh", "-c", cmd.str()});
        ASSERT_EQ(p.status, 0) << p.err;
        double azimuth = 0, metres = 0;
        std::istringstream(p.out) >> azimuth >> metres;
        EXPECT_NEAR(distance, metres, metres * 0.006);
        const double want = azimuth < 0 ? azimuth + 360.0 : azimuth;
        double diff = std::fabs((double)bearing - want);
        diff = std::min(diff, 360.0 - diff);
        EXPECT_LE(diff, 1.0) << "bearing " << bearing << ", reference " << want;
    }
}

// ---- The track near a point ----

TEST_F(Proximity, TheNearbyTrackSquareIncludesItsEdgeAlsoAcrossTheMeridian)
{
    constexpr S32 H = 500;
    const POINT pt = {1000000, 3000000};
    const POINT east = {19999800, 3000000};
    const struct {
        const char* what;
        POINT centre;
        POINT q;
        bool found;
    } rows[] = {
        {"H east", pt, {pt.x + H, pt.y}, true},
        {"H + 1 east", pt, {pt.x + H + 1, pt.y}, false},
        {"H south", pt, {pt.x, pt.y - H}, true},
        {"H + 1 north", pt, {pt.x, pt.y + H + 1}, false},
        {"across the meridian, H", east, {east.x + H - 40076600, east.y}, true},
        {"across the meridian, H + 1", east, {east.x + H + 1 - 40076600, east.y}, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        T_NAV_TWR_vClearTables();
        RUMBREL* t = putTrack(7, {{r.q.x + 5000, r.q.y + 5000}, r.q});
        EXPECT_EQ(T_NAV_nFindNearbyRumbrel(r.centre, H / 2, H), r.found ? 7 : NONE);
        if (r.found) {
            EXPECT_EQ(t->u32ClosestTP, 1u);
        }
    }
}

TEST_F(Proximity, TheFirstDisplayedTrackInTheSquareWinsNotTheNearest)
{
    const POINT pt = {1000000, 3000000};
    putTrack(2, {{pt.x + 10, pt.y}}, false); // hidden
    putTrack(4, {{pt.x + 400, pt.y}});
    putTrack(9, {{pt.x + 1, pt.y}});
    EXPECT_EQ(T_NAV_nFindNearbyRumbrel(pt, 500, 100), 4);
}

// ---- A start or end ahead ----

TEST_F(Proximity, AStartOrEndCountsOnlyInTheRectangleAhead)
{
    const POINT pt = {1000000, 3000000};
    constexpr S32 W = 100;
    constexpr S32 L = 1000;
    const struct {
        const char* what;
        POINT start;
        POINT end;
        U16 direction;
        bool found;
        POINT want;
    } rows[] = {
        {"start ahead north", {pt.x + 20, pt.y + 500}, {pt.x, pt.y + 900}, 0, true, {pt.x + 20, pt.y + 500}},
        {"start exactly L ahead", {pt.x, pt.y + L}, {pt.x + 5000, pt.y}, 0, true, {pt.x, pt.y + L}},
        {"start at the point: the end is tested", pt, {pt.x, pt.y + 300}, 0, true, {pt.x, pt.y + 300}},
        {"start behind, end too far", {pt.x, pt.y - 10}, {pt.x, pt.y + L + 1}, 0, false, {}},
        {"start off to the side", {pt.x + W + 2, pt.y + 500}, {pt.x + 3 * L, pt.y}, 0, false, {}},
        {"heading east", {pt.x + 700, pt.y + 10}, {pt.x, pt.y + 700}, 90, true, {pt.x + 700, pt.y + 10}},
        {"far scale, heading north",
         {pt.x, pt.y + 40000},
         {pt.x, pt.y - 40000},
         0,
         true,
         {pt.x, pt.y + 40000}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        T_NAV_TWR_vClearTables();
        putTrack(5, {r.start, {r.start.x + 3, r.start.y + 3}, r.end});
        POINT near = {-1, -1};
        const S32 length = r.start.y - pt.y == 40000 ? 50000 : L;
        EXPECT_EQ(T_NAV_nFindNearbyRumbrelStartEnd(pt, W, length, r.direction, &near), r.found ? 5 : NONE);
        if (r.found) {
            EXPECT_EQ(near.x, r.want.x);
            EXPECT_EQ(near.y, r.want.y);
        }
    }
}

TEST_F(Proximity, TheNearestStartOrEndOverAllTracksWinsTiesToTheLowerSlot)
{
    const POINT pt = {1000000, 3000000};
    putTrack(1, {{pt.x, pt.y + 600}, {pt.x, pt.y + 5000}});
    putTrack(3, {{pt.x, pt.y + 9000}, {pt.x + 10, pt.y + 200}});
    putTrack(6, {{pt.x + 10, pt.y + 200}, {pt.x, pt.y + 9000}});
    POINT near = {};
    EXPECT_EQ(T_NAV_nFindNearbyRumbrelStartEnd(pt, 100, 1000, 0, &near), 3);
    EXPECT_EQ(near.y, pt.y + 200);
}

// ---- Back-track ----

class BackTrack : public Proximity {
protected:
    // The current track: points so many feet apart, northward, oldest
    // first.
    void record(const std::vector<double>& stepsFeet)
    {
        U_NAV_vClearTrack(&s_CurrentTrack);
        double north = 0.0;
        points.clear();
        points.push_back(at(0, north));
        U_NAV_vAddTrackPoint(&s_CurrentTrack, points.back(), 0, FALSE);
        for (double step : stepsFeet) {
            north += step * FEET;
            points.push_back(at(0, north));
            U_NAV_vAddTrackPoint(&s_CurrentTrack, points.back(), 0, FALSE);
        }
    }

    // The slot the motor was asked to follow, NONE when it was not asked.
    U32 followed()
    {
        const auto requests = U_STEVRIN_STANDIN_vRequests();
        for (U32 i = 0; i < U_STEVRIN_STANDIN_u32CallCount(); ++i)
            if (std::string(U_STEVRIN_STANDIN_pcCall(i)) == "U_STEVRIN_vFollowBackTrack")
                return requests[i].u32ItemIndex;
        return NONE;
    }

    // The back-track's points as indexes into points (-1 for another).
    std::vector<int> made(U32 slot)
    {
        std::vector<int> out;
        const RUMBREL* r = T_NAV_pGetRumbrel(slot);
        for (U32 i = 0; i < r->nCount; ++i) {
            int k = -1;
            for (size_t j = 0; j < points.size(); ++j)
                if (points[j].x == r->aTrackPoints[i].x && std::abs(points[j].y - r->aTrackPoints[i].y) <= 1)
                    k = (int)j;
            out.push_back(k);
        }
        return out;
    }

    std::vector<POINT> points;
};

TEST_F(BackTrack, FivePointsGiveAllFiveNewestFirstAndFourGiveNone)
{
    record({300, 300, 300});
    T_NAV_TWR_vCreateBackTrackRumbrel(50.0);
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 0u);
    EXPECT_EQ(followed(), NONE);

    record({300, 300, 300, 300});
    setU("SIID", 7);
    T_NAV_TWR_vCreateBackTrackRumbrel(50.0);
    const U32 slot = followed();
    ASSERT_NE(slot, NONE);
    EXPECT_EQ(made(slot), (std::vector<int>{4, 3, 2, 1, 0}));
    const RUMBREL* r = T_NAV_pGetRumbrel(slot);
    EXPECT_STREQ(std::string(r->sName, strnlen(r->sName, RUMBREL_NAME_CHARS)).c_str(), "IT0007");
    EXPECT_EQ(*u("SIID"), 8u);
    EXPECT_NEAR(r->u32TotalLengthFt, 1200.0, 12.0);
    EXPECT_EQ(r->u32DateTime, T0);
    EXPECT_EQ(r->u32Visible, 1u);
    EXPECT_EQ(r->u32Style, 1u);
    EXPECT_EQ(r->u32Color, 17u);
    EXPECT_EQ(r->ptLowerLeft.y, std::min(points[0].y, r->aTrackPoints[4].y));
    EXPECT_EQ(r->ptUpperRight.y, r->aTrackPoints[0].y);
    EXPECT_NE(r->u64UID, 0u);
}

TEST_F(BackTrack, SpacingLengthAndJumpsEndOrThinIt)
{
    const struct {
        const char* what;
        std::vector<double> steps;
        double spacing;
        std::optional<float> sibt;
        std::vector<int> want;
    } rows[] = {
        {"closer points are skipped, the oldest is tested", {100, 100, 100, 100}, 50.0, {}, {4, 2, 0}},
        {"10 m limits to 0.1 statute miles", {300, 300, 300, 300}, 50.0, 10.0f, {4, 3}},
        {"a jump over 660 feet ends it", {300, 700, 300, 300, 300}, 50.0, {}, {5, 4, 3, 2}},
        {"a step under 660 feet does not", {300, 650, 300, 300, 300}, 50.0, 100000.0f, {5, 4, 3, 2, 1, 0}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        T_NAV_TWR_vClearTables();
        U_STEVRIN_STANDIN_vClearCalls();
        if (r.sibt)
            setF("SIBT", *r.sibt);
        else
            H_DATABASE_bUpdateValueFloat(FCID("SIBT"), 528.0f, P_NORMAL);
        record(r.steps);
        T_NAV_TWR_vCreateBackTrackRumbrel(r.spacing);
        const U32 slot = followed();
        ASSERT_NE(slot, NONE);
        EXPECT_EQ(made(slot), r.want);
    }
}

TEST_F(BackTrack, WithoutANumberTheFirstIsOneAndAFullTableMakesNothing)
{
    record({300, 300, 300, 300});
    T_NAV_TWR_vCreateBackTrackRumbrel(50.0);
    const U32 slot = followed();
    ASSERT_NE(slot, NONE);
    EXPECT_EQ(std::string(T_NAV_pGetRumbrel(slot)->sName, 6), "IT0001");
    EXPECT_EQ(*u("SIID"), 2u);

    for (U32 s = 0; s < NAV_RUMBREL_SLOTS; ++s)
        if (T_NAV_pGetRumbrel(s)->nCount == 0)
            putTrack(s, {at(5, 5)});
    U_STEVRIN_STANDIN_vClearCalls();
    T_NAV_TWR_vCreateBackTrackRumbrel(50.0);
    EXPECT_EQ(followed(), NONE);
}

} // namespace
