// Apparent wind from true wind and the boat's own motion.
#include "chart_sdk/geodesy/nv_appwd.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(NvAppwd, ApparentWind)
{
    struct Case {
        const char* what;
        double angle, wind, heading, boat;
        double speed, rel, dir;
    };
    const Case cases[] = {
        {"calm: the boat's own head wind", 40, 0, 100, 6, 6, 0, 100},
        {"at rest: the true wind", 300, 10, 100, 0, 10, -60, 40},
        {"wind moves forward", 60, 20, 0, 10, std::sqrt(700.0), 40, 40},
        {"to port", 300, 20, 0, 10, std::sqrt(700.0), -40, 320},
        {"fraction of a degree is cut off", 60.9, 20, 10, 10, std::sqrt(700.0), 40, 50},
        {"near the bow stays on the bow", 1, 1, 20, 10, 11.0, 0, 20},
        {"outrunning a following wind", 180, 5, 0, 10, 5, 0, 0},
        {"a following wind faster than the boat", 180, 10, 0, 5, 5, 180, 180},
    };
    for (const Case& c : cases) {
        double speed = -1;
        double rel = -1;
        double dir = -1;
        EXPECT_EQ(nv_CalcAppWind(c.angle, c.wind, c.heading, c.boat, &speed, &rel, &dir), NV_OK);
        EXPECT_NEAR(speed, c.speed, 0.01) << c.what;
        EXPECT_EQ(rel, c.rel) << c.what;
        EXPECT_EQ(dir, c.dir) << c.what;
    }
}

} // namespace
