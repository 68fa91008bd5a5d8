// Rotating-transducer stepper: wrap at 1600 steps, reversal at the edges of
// a sweep area (inside one revolution or across step 0), the return to the
// full circle, and the drive to an area edge.
#include "platform/h_ppi_motor.h"

#include "store/h_database.h"

#include <gtest/gtest.h>

namespace platform_test {
namespace {

struct Move {
    S32 steps;
    S32 position;   // returned
    bool clockwise; // reported for the next step
};

// Runs the moves from the current state, each checked in turn.
void run(std::initializer_list<Move> moves)
{
    for (const Move& m : moves) {
        SCOPED_TRACE(testing::Message() << "step " << m.steps << " to " << m.position);
        BOOLEAN cw = !m.clockwise;
        EXPECT_EQ(H_PPI_MOTOR_s32Step(m.steps, &cw), m.position);
        EXPECT_EQ(cw, m.clockwise ? TRUE : FALSE);
    }
}

class Stepper : public ::testing::Test {
protected:
    void SetUp() override
    {
        H_DATABASE_vInit();
        H_PPI_MOTOR_vReturnFullSweep();
    }
};

TEST_F(Stepper, StartsClockwiseFromHome)
{
    BOOLEAN cw = FALSE;
    EXPECT_EQ(H_PPI_MOTOR_s32Step(8, &cw), 1208);
    EXPECT_TRUE(cw);
    EXPECT_TRUE(H_PPI_MOTOR_bIsTurningClockwise());
}

TEST_F(Stepper, PositionWrapsBothWays)
{
    run({{390, 1590, true}, {20, 10, true}, {1590, 0, true}, {1599, 1599, true}});
    H_PPI_MOTOR_vSweepAreaStart(); // turns counter-clockwise
    run({{1594, 5, false}, {10, 1595, false}, {1595, 0, false}, {1, 1599, false}});
}

TEST_F(Stepper, AreaWithinOneRevolutionReversesAtBothEdges)
{
    H_PPI_MOTOR_vSetSweepArea(800, 200); // 600..800, starting at 800 counter-clockwise
    run({{10, 790, false}});
    H_PPI_MOTOR_vSweepAreaStart();
    run({{20, 810, false},   // past the right edge: back from the next step on
         {20, 790, false},
         {180, 610, false},
         {20, 590, true},    // past the left edge
         {10, 600, true},
         {200, 800, true},   // on the edge is inside
         {1, 801, false}});
}

TEST_F(Stepper, AreaAcrossStepZeroReversesOnlyOutsideIt)
{
    H_PPI_MOTOR_vSetSweepArea(100, 300); // 1400..1599 and 0..100
    run({{50, 50, false},
         {100, 1550, false}, // through step 0, still inside
         {150, 1400, false},
         {10, 1390, true},   // past the left edge
         {60, 1450, true},
         {250, 100, true},
         {20, 120, false},   // past the right edge
         {70, 50, false}});
}

TEST_F(Stepper, StepOverStepZeroAndAnEdgeReversesAtOnce)
{
    H_PPI_MOTOR_vSetSweepArea(100, 300);
    run({{200, 1500, false}});
    H_PPI_MOTOR_vSweepAreaStart();
    run({{240, 140, false}}); // 1740 wraps to 140, beyond the right edge
    H_PPI_MOTOR_vSetSweepArea(100, 300);
    run({{350, 1350, true}}); // -250 wraps to 1350, beyond the left edge
}

TEST_F(Stepper, FullSweepNeverReverses)
{
    H_PPI_MOTOR_vSetSweepArea(800, 200);
    H_PPI_MOTOR_vReturnFullSweep();
    BOOLEAN cw = FALSE;
    S32 expected = 1200;
    for (int i = 0; i < 1000; ++i) {
        expected = (expected + 7) % 1600;
        ASSERT_EQ(H_PPI_MOTOR_s32Step(7, &cw), expected);
        ASSERT_TRUE(cw);
    }
}

TEST_F(Stepper, DriveToTheNearerEdgeThenSweepBackInto)
{
    H_PPI_MOTOR_vInitialize(); // at 1200
    H_DATABASE_bUpdateValueU32(FCID("YSPS"), 4, P_NORMAL);
    H_PPI_MOTOR_vSetPositionAndLimit(800, 200); // 600..800: 800 is 400 steps away
    EXPECT_FALSE(H_PPI_MOTOR_bIsTurningClockwise());
    run({{4, 796, false}});

    H_PPI_MOTOR_vSetPositionAndLimit(1500, 200); // 1300..1500: 1300 is nearer to 796
    EXPECT_TRUE(H_PPI_MOTOR_bIsTurningClockwise());
    run({{4, 1304, true}});

    H_PPI_MOTOR_vSetPositionAndLimit(50, 1600); // the full circle: no drive, clockwise
    run({{4, 1308, true}});
}

} // namespace
} // namespace platform_test
