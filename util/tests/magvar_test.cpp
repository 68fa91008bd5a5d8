// Magnetic variation against the published test values of WMM2015, and a
// guard over the transcribed coefficients.
#include "util/magvar.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Seconds since 1970 at which the model's decimal year is reached.
U32 atYear(double year)
{
    return static_cast<U32>(std::lround((year - 1970.0) / 3.168876464081849e-8));
}

TEST(Magvar, PublishedTestValues)
{
    // The model report's test table: decimal year, height above the
    // ellipsoid (km), latitude, longitude, declination (degrees).
    const struct {
        double year, alt, lat, lon, decl;
    } cases[] = {
        {2015.0, 0, 80, 0, -3.85},     {2015.0, 0, 0, 120, 0.57},     {2015.0, 0, -80, 240, 69.81},
        {2015.0, 100, 80, 0, -4.27},   {2015.0, 100, 0, 120, 0.56},   {2015.0, 100, -80, 240, 69.22},
        {2017.5, 0, 80, 0, -2.75},     {2017.5, 0, 0, 120, 0.32},     {2017.5, 0, -80, 240, 69.58},
        {2017.5, 100, 80, 0, -3.17},   {2017.5, 100, 0, 120, 0.32},   {2017.5, 100, -80, 240, 69.00},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(dMagneticVariation(c.alt, c.lat, c.lon, atYear(c.year)), c.decl, 0.01)
            << c.year << " " << c.alt << " km " << c.lat << "," << c.lon;
    }
}

TEST(Magvar, CoefficientTableMatchesThePublishedModel)
{
    // Sums and index-weighted sums, in tenths of nT, of the published file.
    long long sums[4] = {};
    long long weighted[4] = {};
    int index = 0;
    int expectN = 1;
    int expectM = 0;
    for (const WMM_COEFFICIENT& co : WMM2015_Coefficients) {
        ASSERT_EQ(co.n, expectN);
        ASSERT_EQ(co.m, expectM);
        if (++expectM > expectN) {
            ++expectN;
            expectM = 0;
        }
        const double values[4] = {co.g, co.h, co.gDot, co.hDot};
        ++index;
        for (int k = 0; k < 4; ++k) {
            long long tenths = std::llround(values[k] * 10.0);
            sums[k] += tenths;
            weighted[k] += index * tenths;
        }
    }
    EXPECT_EQ(index, 90);
    EXPECT_EQ(sums[0], -262295);
    EXPECT_EQ(sums[1], 10754);
    EXPECT_EQ(sums[2], 8);
    EXPECT_EQ(sums[3], -496);
    EXPECT_EQ(weighted[0], 42608);
    EXPECT_EQ(weighted[1], -72814);
    EXPECT_EQ(weighted[2], -1440);
    EXPECT_EQ(weighted[3], -233);
}

TEST(Magvar, OutsideTheModelLifeTheEndsHold)
{
    const U32 y2015 = atYear(2015.0);
    const U32 y2020 = atYear(2020.0);
    for (double lat : {-60.0, 0.0, 45.0}) {
        EXPECT_NEAR(dMagneticVariation(0, lat, 10, 0), dMagneticVariation(0, lat, 10, y2015), 1e-6);
        EXPECT_NEAR(dMagneticVariation(0, lat, 10, atYear(2010.0)), dMagneticVariation(0, lat, 10, y2015), 1e-6);
        EXPECT_NEAR(dMagneticVariation(0, lat, 10, 0xFFFFFFFFu), dMagneticVariation(0, lat, 10, y2020), 1e-6);
        EXPECT_NEAR(dMagneticVariation(0, lat, 10, atYear(2030.0)), dMagneticVariation(0, lat, 10, y2020), 1e-6);
    }
    // Within the life the field does move.
    EXPECT_GT(std::fabs(dMagneticVariation(0, 80, 0, atYear(2019.0)) - dMagneticVariation(0, 80, 0, y2015)), 0.5);
}

TEST(Magvar, GeographicPoleIsTheLimitOfItsNeighbourhood)
{
    const U32 t = atYear(2016.0);
    for (double lon : {0.0, 90.0, -135.0}) {
        double atPole = dMagneticVariation(0, 90, lon, t);
        EXPECT_TRUE(std::isfinite(atPole));
        EXPECT_NEAR(atPole, dMagneticVariation(0, 89.99999, lon, t), 0.01) << lon;
        double southPole = dMagneticVariation(0, -90, lon, t);
        EXPECT_NEAR(southPole, dMagneticVariation(0, -89.99999, lon, t), 0.01) << lon;
    }
}

TEST(Magvar, OnlyPointsOnTheGlobeAreAnswered)
{
    const U32 t = atYear(2017.0);
    const double nan = std::nan("");
    // Refused with NaN.
    const double refused[][3] = {{0, 91, 0},   {0, -90.0001, 0}, {0, nan, 0},  {0, 0, nan},
                                 {nan, 0, 0},  {0, HUGE_VAL, 0}, {0, 0, -HUGE_VAL}, {HUGE_VAL, 0, 0}};
    for (const auto& r : refused)
        EXPECT_TRUE(std::isnan(dMagneticVariation(r[0], r[1], r[2], t))) << r[0] << " " << r[1] << " " << r[2];
    // Any longitude answers as its value within -180..180.
    const double turns[][3] = {{40, 540, 180}, {40, -540, 180}, {-20, -370, -10}, {60, 1e6, -80}, {0, 720.5, 0.5}};
    for (const auto& r : turns)
        EXPECT_NEAR(dMagneticVariation(0, r[0], r[1], t), dMagneticVariation(0, r[0], r[2], t), 1e-9) << r[1];
}

} // namespace
