// Water speed from the paddle wheel: the rate bands and their factors, no
// pulses, an implausible speed, counter wrap and failed reads, and the
// fatal error when the sensor device is missing.
#include "platform/h_speed.h"
#include "platform/dd_speed.h"
#include "platform/tests/platform_root.h"

#include "kernel/l_clock.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <string>

namespace platform_test {
namespace {

constexpr double MPS_PER_KNOT = 1852.0 / 3600.0;

void setCount(U32 count)
{
    std::string b = {(char)(count & 0xFF), (char)((count >> 8) & 0xFF), (char)((count >> 16) & 0xFF),
                     (char)(count >> 24)};
    put("/dev/paddlewheel", b);
}

TEST(WaterSpeed, RateBandsNoPulsesAndImplausibleSpeeds)
{
    unitRoot();
    U_CONVERT_vInitialiseConversionUtility();
    L_CLOCK_vResetTestClock();
    U32 count = 0xFFFFF000u; // the counter wraps during the run
    setCount(count);
    H_SPEED_vInit();

    float speed = -1.0f;
    EXPECT_FALSE(H_SPEED_bGetSpeed(&speed)); // starts the measurement only
    EXPECT_EQ(speed, -1.0f);

    // Each step: a 100 s window (so that real time adds next to nothing)
    // with rate x 100 pulses.
    struct Step {
        double hz;
        double knots; // 0 when no pulses came
        bool valid;
    };
    const Step steps[] = {
        {10, 10 * 2.2063894 * 0.1, true},    // band 0: 2.2064 knots
        {25, 25 * 1.7651114 * 0.1, true},    // band 2
        {15, 15 * 2.0027227 * 0.1, true},    // band 1
        {200, 200 * 1.9188033 * 0.1, true},  // band 10
        {1000, 1000 * 1.9188033 * 0.1, false}, // 98.7 m/s: written but not plausible
        {0, 0, false},                       // no pulses: 0, verdict kept
        {55, 55 * 1.8330004 * 0.1, true},    // band 5
        {0, 0, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.hz);
        count += (U32)(s.hz * 100);
        setCount(count);
        L_CLOCK_vAdvanceTestClock(100000);
        speed = -1.0f;
        EXPECT_EQ(H_SPEED_bGetSpeed(&speed), s.valid ? TRUE : FALSE);
        EXPECT_NEAR(speed, s.knots * MPS_PER_KNOT, s.knots * MPS_PER_KNOT * 1e-3 + 1e-6);
    }
    EXPECT_NEAR(10 * 2.2063894 * 0.1, 2.2064, 1e-4);

    // A read that does not give four bytes counts no pulses.
    put("/dev/paddlewheel", "ab");
    L_CLOCK_vAdvanceTestClock(1000);
    speed = -1.0f;
    EXPECT_TRUE(H_SPEED_bGetSpeed(&speed));
    EXPECT_EQ(speed, 0.0f);
    L_CLOCK_vResetTestClock();
}

TEST(WaterSpeed, MissingSensorIsFatal)
{
    unitRoot();
    drop("/dev/paddlewheel");
    EXPECT_EXIT(DD_SPEED_vInit(), ::testing::ExitedWithCode(10), "");
    EXPECT_NE(fatalLog().find("DD_SPEED_vInit open?"), std::string::npos);
}

} // namespace
} // namespace platform_test
