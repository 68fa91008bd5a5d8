// Course, range and bearing, time to go, polar points, squares and fuel.
#include "chart_sdk/geodesy/nv_calc.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

POINT at(double lat, double lon)
{
    POSITION pos = {lat, lon};
    POINT p = {0, 0};
    EXPECT_EQ(nv_DegrToMeter(&pos, &p), NV_OK);
    return p;
}

TEST(NvCalc, CourseOnTheMercatorPlane)
{
    struct Case {
        POINT from, to;
        ERRORCODE erc;
        double course;
    };
    const Case cases[] = {
        {{20000000, 100}, {-20000000, 100}, NV_OK, 90.0}, // east across the antimeridian
        {{-20000000, 100}, {20000000, 100}, NV_OK, 270.0},
        {{0, 0}, {1000, 0}, NV_OK, 90.0},
        {{0, 0}, {-1000, 0}, NV_OK, 270.0},
        {{0, 0}, {1000, 1000}, NV_OK, 45.0},
        {{0, 0}, {-1000, 1000}, NV_OK, 315.0},
        {{0, 0}, {-1000, -1000}, NV_OK, 225.0},
        {{0, 0}, {0, -1000}, NV_OK, 180.0},
        {{0, 0}, {0, 1000}, NV_OK, 0.0},
        {{5, 5}, {5, 5}, NV_SOFT_SAME_POINT, 0.0},
        {{0, 15433200}, {0, 0}, NV_ERR_POINT, 0.0},
        {{0, 0}, {20038301, 0}, NV_ERR_POINT, 0.0},
    };
    for (const Case& c : cases) {
        double course = -1.0;
        EXPECT_EQ(nv_RouteAngle(&c.from, &c.to, &course), c.erc) << c.to.x << "," << c.to.y;
        // Due north comes out a hair above 0 through the ten-digit 2 pi.
        EXPECT_NEAR(course, c.course, 1.0e-6) << c.to.x << "," << c.to.y;
    }

    POSITION a = {10, 179};
    POSITION b = {10, -179};
    double course = -1.0;
    EXPECT_EQ(nv_GeoRouteAngle(&a, &b, &course), NV_OK);
    EXPECT_NEAR(course, 90.0, 1e-9);
    POSITION bad = {85, 0};
    EXPECT_EQ(nv_GeoRouteAngle(&a, &bad, &course), NV_ERR_LATITUDE);
    EXPECT_EQ(course, 0.0);
}

TEST(NvCalc, RangeAndBearingWithVariation)
{
    RNG_BRG rb = {-1, -1};
    POINT from = at(50, -1);
    POINT to = at(51, -1);
    EXPECT_EQ(nv_CalcRngBrg(&from, &to, 10.0, &rb), NV_OK);
    EXPECT_NEAR(rb.range, 60.0, 0.01);
    EXPECT_NEAR(rb.bearing, 350.0, 1e-6);

    POINT east = at(0, 1);
    POINT origin = at(0, 0);
    EXPECT_EQ(nv_CalcRngBrg(&origin, &east, -5.0, &rb), NV_OK);
    EXPECT_NEAR(rb.range, 60.0, 0.01);
    EXPECT_NEAR(rb.bearing, 95.0, 1e-9);

    // At the waypoint: no course, but a range of 0 rather than a stale one.
    rb = {7, 7};
    EXPECT_EQ(nv_CalcRngBrg(&origin, &origin, 0.0, &rb), NV_SOFT_SAME_POINT);
    EXPECT_EQ(rb.range, 0.0);
    EXPECT_EQ(rb.bearing, 0.0);

    EXPECT_EQ(nv_CalcRngBrg(&origin, &east, 361.0, &rb), NV_ERR_ANGLE);
    POINT far = {0, 15433199}; // a course is possible but it does not convert back
    EXPECT_EQ(nv_CalcRngBrg(&origin, &far, 0.0, &rb), NV_ERR_LATITUDE);
}

TEST(NvCalc, TimeToGo)
{
    struct Case {
        double distance, speed;
        ERRORCODE erc;
        S32 h;
        int m, s;
    };
    const Case cases[] = {
        {10.0, 4.0, NV_OK, 2, 30, 0},
        {10.0, -4.0, NV_OK, 2, 30, 0},
        {1.0, 0.8, NV_OK, 1, 15, 0},
        {0.0, 4.0, NV_OK, 0, 0, 0},
        {1.0, 0.05, NV_SOFT_SPEED, 0, 0, 0},
        {-1.0, 4.0, NV_ERR_DISTANCE, 0, 0, 0},
        {21700.0, 1.0, NV_SOFT_DISTANCE, 21700, 0, 0},
    };
    for (const Case& c : cases) {
        TIME_TO_GO t = {9, 9, 9};
        EXPECT_EQ(nv_CalcTimeToGo(&c.distance, c.speed, &t), c.erc) << c.distance << "/" << c.speed;
        EXPECT_EQ(t.hours, c.h) << c.distance << "/" << c.speed;
        EXPECT_EQ(t.minutes, c.m) << c.distance << "/" << c.speed;
        EXPECT_LE(std::abs(t.seconds - c.s), 1) << c.distance << "/" << c.speed;
    }
}

TEST(NvCalc, PointAtDistanceAndBearing)
{
    POINT origin = at(0, 0);
    POINT north;
    POINT full;
    ASSERT_EQ(nv_PolarToGeographic(origin, 60.0, 0.0, &north), NV_OK);
    ASSERT_EQ(nv_PolarToGeographic(origin, 60.0, 360.0, &full), NV_OK);
    EXPECT_EQ(north.x, full.x);
    EXPECT_EQ(north.y, full.y);
    POINT oneNorth = at(1, 0);
    EXPECT_EQ(north.y, oneNorth.y);
    EXPECT_EQ(north.x, 0);

    const struct {
        double bearing, lat, lon;
    } compass[] = {{90, 0, 1}, {180, -1, 0}, {270, 0, -1}, {-90, 0, -1}};
    for (const auto& c : compass) {
        POINT p;
        ASSERT_EQ(nv_PolarToGeographic(origin, 60.0, c.bearing, &p), NV_OK) << c.bearing;
        POINT want = at(c.lat, c.lon);
        EXPECT_NEAR(p.x, want.x, 1) << c.bearing;
        EXPECT_NEAR(p.y, want.y, 1) << c.bearing;
    }

    // Eastward over the antimeridian comes back on the west side.
    POINT p;
    ASSERT_EQ(nv_PolarToGeographic(at(0, 179.5), 60.0, 90.0, &p), NV_OK);
    POINT want = at(0, -179.5);
    EXPECT_NEAR(p.x, want.x, 1);

    EXPECT_EQ(nv_PolarToGeographic(origin, -1.0, 0.0, &p), NV_ERR_DISTANCE);
    EXPECT_EQ(nv_PolarToGeographic(origin, 21601.0, 0.0, &p), NV_ERR_DISTANCE);
    EXPECT_EQ(nv_PolarToGeographic(origin, 1.0, 360.5, &p), NV_ERR_ANGLE);
    EXPECT_EQ(nv_PolarToGeographic(POINT{0, 15433200}, 1.0, 0.0, &p), NV_ERR_LATITUDE);
    EXPECT_EQ(nv_PolarToGeographic(POINT{-20038301, 0}, 1.0, 0.0, &p), NV_ERR_LONGITUDE);
    EXPECT_EQ(nv_PolarToGeographic(at(79.5, 0), 60.0, 0.0, &p), NV_ERR_LATITUDE);
}

TEST(NvCalc, SquareAroundAPoint)
{
    POINT ll = {1, 1};
    POINT ur = {1, 1};
    ASSERT_EQ(nv_CenteredSquare(at(0, 0), 60.0, &ll, &ur), NV_OK);
    POINT wantLL = at(-1, -1);
    POINT wantUR = at(1, 1);
    EXPECT_EQ(ll.x, wantLL.x);
    EXPECT_EQ(ll.y, wantLL.y);
    EXPECT_EQ(ur.x, wantUR.x);
    EXPECT_EQ(ur.y, wantUR.y);

    // Near the antimeridian the corners wrap each to its own side.
    ASSERT_EQ(nv_CenteredSquare(at(0, 179.5), 60.0, &ll, &ur), NV_OK);
    EXPECT_EQ(ll.x, at(0, 178.5).x);
    EXPECT_EQ(ur.x, at(0, -179.5).x);

    EXPECT_EQ(nv_CenteredSquare(at(0, 0), -1.0, &ll, &ur), NV_ERR_DISTANCE);
    ur = {3, 3};
    EXPECT_EQ(nv_CenteredSquare(at(-79.5, 0), 60.0, &ll, &ur), NV_ERR_LATITUDE);
    EXPECT_EQ(ur.x, 3); // the upper corner is not tried once the lower one failed
    EXPECT_EQ(ur.y, 3);
}

TEST(NvCalc, FuelEstimate)
{
    struct Case {
        double distance, speed, rate;
        ERRORCODE erc;
        double fuel;
    };
    const Case cases[] = {
        {100, 10, 5, NV_OK, 10},
        {100, -10, 5, NV_OK, 10},
        {-1, 10, 5, NV_ERR_DISTANCE, 0},
        {100, 0, 5, NV_SOFT_SPEED, 0},
        {100, 10, 0, NV_ERR_RATE, 0},
        {30000, 1000, 10, NV_SOFT_DISTANCE, 57},
    };
    for (const Case& c : cases) {
        double fuel = -1;
        EXPECT_EQ(nv_DieselConsumption(c.distance, c.speed, c.rate, &fuel), c.erc);
        EXPECT_EQ(fuel, c.fuel);
    }
}

} // namespace
