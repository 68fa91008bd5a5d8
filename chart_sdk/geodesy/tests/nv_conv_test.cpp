// Degrees <-> Mercator metres, sexagesimal forms, mid-points and angle helpers.
#include "chart_sdk/geodesy/nv_conv.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(NvConv, DegreesToMetersAtTheLimitsOfTheChart)
{
    struct Case {
        double lat, lon;
        ERRORCODE erc;
        S32 x, y;
    };
    const Case cases[] = {
        {0.0, 0.0, NV_OK, 0, 0},
        {80.0, 0.0, NV_OK, 0, 15496980},
        {-80.0, 0.0, NV_OK, 0, -15496980},
        {0.0, 180.0, NV_OK, 20038297, 0},
        {0.0, -180.0, NV_OK, -20038297, 0},
        {0.0, 1.0, NV_OK, 111324, 0},
        // Refusals write zero into the axis at fault; y is written before x is checked.
        {80.0001, 10.0, NV_ERR_LATITUDE, 777, 0},
        {10.0, 180.0001, NV_ERR_LONGITUDE, 0, 1111491},
        {kNaN, 0.0, NV_ERR_LATITUDE, 777, 0},
        {0.0, kNaN, NV_ERR_LONGITUDE, 0, 0},
    };
    for (const Case& c : cases) {
        POSITION in = {c.lat, c.lon};
        POINT out = {777, 777};
        EXPECT_EQ(nv_DegrToMeter(&in, &out), c.erc) << c.lat << "," << c.lon;
        EXPECT_EQ(out.x, c.x) << c.lat << "," << c.lon;
        EXPECT_EQ(out.y, c.y) << c.lat << "," << c.lon;
    }
}

TEST(NvConv, MetersToDegreesRefusesWhatCannotComeBack)
{
    POSITION out = {1.0, 1.0};
    POINT high = {0, 15496980};
    EXPECT_EQ(nv_MeterToDegr(&high, &out), NV_ERR_LATITUDE);
    EXPECT_EQ(out.lat, 0.0);

    POINT edge = {20038300, 0};
    ASSERT_EQ(nv_MeterToDegr(&edge, &out), NV_OK);
    EXPECT_EQ(out.lon, 180.0); // clamped, not 180.000028
    EXPECT_EQ(out.lat, 0.0);

    POINT beyond = {20038301, 100};
    EXPECT_EQ(nv_MeterToDegr(&beyond, &out), NV_ERR_LONGITUDE);
    EXPECT_EQ(out.lon, 0.0);

    POINT extreme = {INT_MIN, INT_MIN};
    EXPECT_EQ(nv_MeterToDegr(&extreme, &out), NV_ERR_LATITUDE);
}

TEST(NvConv, RoundTripStaysWithinAMetre)
{
    for (double lat = -79.8; lat <= 79.8; lat += 3.8) {
        for (double lon = -180.0; lon <= 180.0; lon += 11.3) {
            POSITION in = {lat, lon};
            POINT p;
            ASSERT_EQ(nv_DegrToMeter(&in, &p), NV_OK);
            POSITION back;
            ASSERT_EQ(nv_MeterToDegr(&p, &back), NV_OK);
            EXPECT_NEAR(back.lat, lat, 1.0e-5) << lat << "," << lon;
            EXPECT_NEAR(back.lon, lon, 1.0e-5) << lat << "," << lon;
        }
    }
}

TEST(NvConv, SexagesimalForms)
{
    SEXAGESIMAL s = {10, 30, 0, -20, -15, -36};
    POINT p;
    ASSERT_EQ(nv_GeographicToMeters(&p, &s), NV_OK);
    POSITION direct = {10.5, -20.26};
    POINT q;
    ASSERT_EQ(nv_DegrToMeter(&direct, &q), NV_OK);
    EXPECT_EQ(p.x, q.x);
    EXPECT_EQ(p.y, q.y);

    SEXAGESIMAL badLat = {10, 60, 0, 0, 0, 0};
    EXPECT_EQ(nv_GeographicToMeters(&p, &badLat), NV_ERR_LATITUDE);
    SEXAGESIMAL badLon = {10, 0, 0, 0, 0, -60};
    EXPECT_EQ(nv_GeographicToMeters(&p, &badLon), NV_ERR_LONGITUDE);

    SEXAGESIMAL out;
    ASSERT_EQ(nv_MetersToGeographic(&q, &out), NV_OK);
    EXPECT_EQ(out.latDeg, 10.0);
    EXPECT_NEAR(out.latMin, 30.0, 1.0e-3);
    EXPECT_EQ(out.lonDeg, -20.0);
    EXPECT_NEAR(out.lonMin, -15.6, 1.0e-3);
    EXPECT_EQ(out.latSec, 0.0);
    EXPECT_EQ(out.lonSec, 0.0);
}

TEST(NvConv, MidPointTakesTheShorterWayRound)
{
    struct Case {
        POSITION a, b;
        ERRORCODE erc;
        double lat, lon;
    };
    const Case cases[] = {
        {{10, 20}, {20, 40}, NV_OK, 15, 30},
        {{-10, -20}, {-20, -40}, NV_OK, -15, -30},
        {{0, -10}, {0, 20}, NV_OK, 0, 5},
        {{0, 170}, {0, -170}, NV_OK, 0, 180},
        {{0, 175}, {0, -165}, NV_OK, 0, -175},
        {{81, 0}, {0, 0}, NV_ERR_LATITUDE, 0, 0},
        {{0, 0}, {0, -181}, NV_ERR_LONGITUDE, 0, 0},
    };
    for (const Case& c : cases) {
        POSITION out = {0, 0};
        EXPECT_EQ(nv_MiddlePosition(&c.a, &c.b, &out), c.erc);
        EXPECT_DOUBLE_EQ(out.lat, c.lat);
        EXPECT_DOUBLE_EQ(out.lon, c.lon);
    }

    POINT a = {20000000, 0};
    POINT b = {-20000000, 0};
    POINT mid = {1, 1};
    nv_MiddleMMPosition(&a, &b, &mid);
    EXPECT_EQ(std::abs(mid.x), 20038297);
    EXPECT_EQ(mid.y, 0);

    POINT bad = {0, 15496980};
    POINT untouched = {5, 6};
    nv_MiddleMMPosition(&a, &bad, &untouched);
    EXPECT_EQ(untouched.x, 5);
    EXPECT_EQ(untouched.y, 6);
}

TEST(NvConv, AnglesAndWraps)
{
    EXPECT_EQ(nv_RoundTo360(-10), 350);
    EXPECT_EQ(nv_RoundTo360(720), 0);
    EXPECT_EQ(nv_RoundTo360(359.5), 359.5);
    double tiny = nv_RoundTo360(-1.0e-15);
    EXPECT_TRUE(tiny >= 0.0 && tiny < 360.0) << tiny;
    EXPECT_EQ(nv_Coangle(190), -170);
    EXPECT_EQ(nv_Coangle(-190), 170);
    EXPECT_EQ(nv_Coangle(540), 180);
    EXPECT_EQ(nv_MagHead(10, 20), 350);
    EXPECT_EQ(nv_TrueHead(350, 20), 10);

    const struct {
        S32 x, wrapped;
    } wraps[] = {
        {0, 0},
        {-1, 40076599},
        {40076599, 40076599},
        {40076600, 0},
        {-20038300, 20038300},
        {80153199, 40076599},
        {80153200, 0},
        {INT_MAX, INT_MAX % 40076600},
        {INT_MIN, 40076600 - static_cast<S32>(2147483648LL % 40076600)},
    };
    for (const auto& w : wraps) {
        EXPECT_EQ(nv_AllAround(w.x), w.wrapped) << w.x;
    }
}

TEST(NvConv, SexagesimalToDecimal)
{
    struct Case {
        int d, m, s;
        ERRORCODE erc;
        double value;
    };
    const Case cases[] = {
        {-10, 30, 0, NV_OK, -10.5},
        {10, 30, 36, NV_OK, 10.51},
        {0, -30, 0, NV_OK, -0.5},
        {360, 0, 0, NV_OK, 360.0},
        {360, 1, 0, NV_ERR_ANGLE, 0.0},
        {361, 0, 0, NV_ERR_ANGLE, 0.0},
        {10, 60, 0, NV_ERR_ANGLE, 0.0},
        {10, 0, 60, NV_ERR_ANGLE, 0.0},
        {INT_MIN, 0, 0, NV_ERR_ANGLE, 0.0},
    };
    for (const Case& c : cases) {
        double v = 99.0;
        EXPECT_EQ(nv_SessToDecm(c.d, c.m, c.s, &v), c.erc) << c.d << " " << c.m << " " << c.s;
        EXPECT_NEAR(v, c.value, 1.0e-12);
    }
}

TEST(NvConv, ExponentOfTwoAndUnitFactors)
{
    const struct {
        int value, exp;
    } exps[] = {{-5, 0}, {0, 0}, {1, 0}, {2, 1}, {3, 2}, {5, 2}, {6, 3}, {1024, 10}, {1500, 11}};
    for (const auto& e : exps) {
        int out = -1;
        EXPECT_EQ(nv_ExpOfTwo(e.value, &out), NV_OK);
        EXPECT_EQ(out, e.exp) << e.value;
    }
    EXPECT_NEAR(nv_FeetMeters(10, TRUE), 3.048, 1e-9);
    EXPECT_NEAR(nv_FeetMeters(3.048, FALSE), 10, 1e-8);
    EXPECT_NEAR(nv_FathomsMeters(1, TRUE), 1.8280867578532185, 1e-15);
    EXPECT_NEAR(nv_NMilesKilometers(1, FALSE), 1.8522700032, 1e-15);
    EXPECT_NEAR(nv_NMilesTMiles(1, FALSE), 1.1511900425, 1e-15);
    EXPECT_NEAR(nv_LitersGallons(3.78501, TRUE), 1.0, 1e-6);
}

} // namespace
