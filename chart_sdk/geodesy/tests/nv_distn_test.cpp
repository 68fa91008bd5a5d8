// Rhumb-line distance and the latitude correction table.
#include "chart_sdk/geodesy/nv_distn.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

const double kDegToRad = 3.14159265358979323846 / 180.0;

TEST(NvDistn, LatitudeFormulaAwayFromEastAndWest)
{
    POSITION a = {0, 0};
    POSITION b = {0.1, 1};
    double d = 0;
    // 84 degrees is 6 from east: the latitude formula.
    ASSERT_EQ(nv_CalcDistance(&a, &b, 84.0, &d), NV_OK);
    EXPECT_NEAR(d, 6.0 / std::cos(84.0 * kDegToRad), 1e-9);
    // 87 degrees is within 5 of east: the departure formula.
    ASSERT_EQ(nv_CalcDistance(&a, &b, 87.0, &d), NV_OK);
    EXPECT_NEAR(d, 60.0 / std::sin(87.0 * kDegToRad) * std::cos(0.05 * kDegToRad), 1e-9);
    // Due south and north.
    POSITION c = {-2, 0};
    ASSERT_EQ(nv_CalcDistance(&a, &c, 180.0, &d), NV_OK);
    EXPECT_NEAR(d, 120.0, 1e-9);
}

TEST(NvDistn, DepartureAcrossTheAntimeridian)
{
    POSITION a = {60, 179.5};
    POSITION b = {60, -179.5};
    double d = 0;
    ASSERT_EQ(nv_CalcDistance(&a, &b, 90.0, &d), NV_OK);
    EXPECT_NEAR(d, 30.0, 1e-6);
    ASSERT_EQ(nv_CalcDistance(&b, &a, 270.0, &d), NV_OK);
    EXPECT_NEAR(d, 30.0, 1e-6);
}

TEST(NvDistn, RefusalsWriteZero)
{
    POSITION ok = {0, 0};
    const struct {
        POSITION to;
        double course;
        ERRORCODE erc;
    } cases[] = {
        {{80.5, 0}, 0, NV_ERR_LATITUDE},
        {{0, 190}, 0, NV_ERR_LONGITUDE},
        {{1, 0}, 361, NV_ERR_ANGLE},
        {{1, 0}, -361, NV_ERR_ANGLE},
    };
    for (const auto& c : cases) {
        double d = 5;
        EXPECT_EQ(nv_CalcDistance(&ok, &c.to, c.course, &d), c.erc);
        EXPECT_EQ(d, 0.0);
    }
}

TEST(NvDistn, CorrectionTable)
{
    const struct {
        double lat;
        ERRORCODE erc;
        double factor;
    } cases[] = {
        {0, NV_OK, 1.0015}, {45.4, NV_OK, 0.7051}, {45.5, NV_OK, 0.6926},
        {-80, NV_OK, 0.1707}, {80.1, NV_ERR_LATITUDE, 0.0},
    };
    for (const auto& c : cases) {
        double f = -1;
        EXPECT_EQ(nv_DistCorrection(c.lat, &f), c.erc) << c.lat;
        EXPECT_EQ(f, c.factor) << c.lat;
    }
}

} // namespace
