// Rotation contexts: angle normalisation, quarter turns, the integer sine
// and cosine, and point rotation with rounding half away from zero.
#include "chart_sdk/graphics/gr_rotate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(GrRotate, AngleTable)
{
    struct Case {
        double degrees;
        SINT quadrant;
        SLONG sin, cos;
        double normDegrees;
    };
    const Case cases[] = {
        {0, 1, 0, 1024, 0},       {360, 1, 0, 1024, 0},      {720, 1, 0, 1024, 0},
        {-180, 3, 0, -1024, 0},   {540, 3, 0, -1024, 0},     {180, 3, 0, -1024, 0},
        {45, 2, 724, 724, -45},   {44.9, 1, 722, 725, 44.9}, {-45, 1, -724, 724, -45},
        {-45.1, 4, -725, 722, 44.9}, {90, 2, 1024, 0, 0},   {30, 1, 512, 886, 30},
        {-90, 4, -1024, 0, 0},    {270, 4, -1024, 0, 0},     {-135, 4, -724, -724, -45},
        {-135.5, 3, -717, -730, 44.5}, {400, 1, 658, 784, 40},
    };
    for (const Case& c : cases) {
        GP_ROTCONTEXT rc;
        gr_ResetRotationContext(&rc);
        gr_SetRotationAngle(&rc, c.degrees);
        EXPECT_EQ(rc.Quadrant, c.quadrant) << c.degrees;
        EXPECT_EQ(rc.IntSinAngle, c.sin) << c.degrees;
        EXPECT_EQ(rc.IntCosAngle, c.cos) << c.degrees;
        EXPECT_NEAR(rc.AngleNorm * 57.29577951, c.normDegrees, 1e-6) << c.degrees;
        // The shear factors of a rotation by the remainder angle.
        EXPECT_EQ(rc.IntShearX, static_cast<SLONG>(std::trunc(-std::tan(rc.AngleNorm / 2) * 1024))) << c.degrees;
        EXPECT_EQ(rc.IntShearY, static_cast<SLONG>(std::trunc(std::sin(rc.AngleNorm) * 1024))) << c.degrees;
    }
}

TEST(GrRotate, PointsRoundHalfAwayFromZero)
{
    struct Case {
        double degrees;
        SINT x, y;
        SINT rx, ry; // rotated
    };
    const Case cases[] = {
        {90, 10, 0, 0, 10}, {30, 1, 0, 1, 1}, {30, -1, 0, -1, -1}, {0, 123, -456, 123, -456},
        {180, 7, 3, -7, -3}, {30, 1000, 0, 865, 500},
    };
    for (const Case& c : cases) {
        GP_ROTCONTEXT rc;
        gr_ResetRotationContext(&rc);
        gr_SetRotationAngle(&rc, c.degrees);
        SINT x = 0, y = 0;
        gr_RotatePoint(&rc, c.x, c.y, &x, &y);
        EXPECT_EQ(x, c.rx) << c.degrees << " " << c.x;
        EXPECT_EQ(y, c.ry) << c.degrees << " " << c.x;
        SINT bx = 0, by = 0;
        gr_PutStraightPoint(&rc, x, y, &bx, &by);
        EXPECT_NEAR(bx, c.x, 2) << c.degrees;
        EXPECT_NEAR(by, c.y, 2) << c.degrees;
    }
    GP_ROTCONTEXT rc;
    gr_ResetRotationContext(&rc);
    gr_SetRotationAngle(&rc, 90);
    SINT x = 0, y = 0;
    gr_PutStraightPoint(&rc, 0, 10, &x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 0);
}

TEST(GrRotate, ResetStepAndDestinationOrigin)
{
    GP_ROTCONTEXT rc;
    std::memset(&rc, 0x5A, sizeof rc);
    gr_ResetRotationContext(&rc);
    EXPECT_EQ(rc.Quadrant, 1);
    EXPECT_EQ(rc.IntCosAngle, 1024);
    EXPECT_EQ(rc.pSrcGC, nullptr);
    EXPECT_EQ(rc.CenterX, 0);

    gr_SetRotationAreaDestOrg(&rc, PIXELPOS{5, 6});
    gr_SetRotationAngle(&rc, 20);
    EXPECT_EQ(rc.RotAreaDestOrg.px, 5);
    gr_StepRotationAngle(&rc, 10);
    EXPECT_EQ(rc.IntSinAngle, 512); // 30 degrees
    gr_SetRotationAngle(&rc, 0);
    EXPECT_EQ(rc.RotAreaDestOrg.px, 0);
    EXPECT_EQ(rc.RotAreaDestOrg.py, 0);
    gr_SetRotationAreaDim(&rc, PIXELDIM{800, 600});
    EXPECT_EQ(rc.RotAreaDim.pw, 799);
    EXPECT_EQ(rc.RotAreaDim.ph, 599);
}
