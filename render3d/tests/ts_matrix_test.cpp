// Fixed-point matrices: the sine table and its quadrants, the camera
// transform against a floating-point reference, multiplication order, the
// perspective of the 3D chart view and its degenerate inputs, conversions.
#include "render3d/ts_matrix.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr S32 kDeg30 = 0x5555;

S32 degrees(double d) { return static_cast<S32>(d * 728.1778 + 0.5); }

// A 16.16 point through a matrix as a row vector (x, y, z, 1).
void apply(const tsMatrix& m, const S64 p[3], S64 out[4])
{
    for (int j = 0; j < 4; ++j) {
        out[j] = ((p[0] * m.m[0][j] + p[1] * m.m[1][j] + p[2] * m.m[2][j]) >> 16) + m.m[3][j];
    }
}

TEST(TsMatrixTrig, TableFollowsTheQuarterWave)
{
    for (int i = 0; i < 1024; ++i) {
        const double exact = 16384.0 * std::sin(i * 90.0 / 1023 * kPi / 180);
        ASSERT_EQ(SinTab[i], static_cast<S16>(exact)) << "entry " << i;
    }
    EXPECT_EQ(SinTab[341], 8191); // 30 degrees truncates below 0.5
    EXPECT_EQ(SinTab[1023], 16384);
    EXPECT_EQ(SinTab[1024], 16384);
}

TEST(TsMatrixTrig, QuadrantsAndWrapping)
{
    struct Case {
        S32 angle;
        S32 sin;
        S32 cos;
    };
    const Case cases[] = {
        {0, 0, 16384 << 16},
        {0x10000, 16384 << 16, 0},
        {kDeg30, 8191 << 16, SinTab[(0x10000 - kDeg30) >> 6] << 16},
        {0x20000, 0, -(16384 << 16)},
        {0x30000, -(16384 << 16), 0},
        {-0x10000, -(16384 << 16), 0}, // 270 degrees
        {0x40000 + 0x10000, 16384 << 16, 0},
        {static_cast<S32>(0x7FFC0000) + kDeg30, 8191 << 16, SinTab[(0x10000 - kDeg30) >> 6] << 16},
    };
    for (const Case& c : cases) {
        TrigRec t;
        tsMatrix_Trig(c.angle, &t);
        EXPECT_EQ(t.sin, c.sin) << std::hex << c.angle;
        EXPECT_EQ(t.cos, c.cos) << std::hex << c.angle;
    }
    // Every angle agrees with the real functions to the table's step.
    for (S32 a = -0x50000; a < 0x50000; a += 0x1234) {
        TrigRec t;
        tsMatrix_Trig(a, &t);
        const double radians = (a & 0x3FFFF) * 2 * kPi / 0x40000;
        EXPECT_NEAR(t.sin / 1073741824.0, std::sin(radians), 2e-3) << a;
        EXPECT_NEAR(t.cos / 1073741824.0, std::cos(radians), 2e-3) << a;
    }
}

TEST(TsMatrixSet, ZeroAnglesGiveTranslationByTheCentre)
{
    const S32 centre[3] = {0x12345, -0x20000, 0x7FFF0};
    tsMatrix m;
    tsMatrix_Set(&m, 0, 0, 0, centre);
    tsMatrix expected;
    tsMatrix_Identity(&expected);
    expected.m[3][0] = centre[0];
    expected.m[3][1] = centre[1];
    expected.m[3][2] = centre[2];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(m.m[i][j], expected.m[i][j]) << i << "," << j;
        }
    }
}

TEST(TsMatrixSet, TurnsByYawThenPitchAboutTheCentre)
{
    const S32 centre[3] = {-0x30000, 0x18000, -0x50000};
    const S64 point[3] = {0x24000, -0x8000, 0x61000};
    for (double yaw : {0.0, 30.0, 97.5, 200.0, 337.0}) {
        for (double pitch : {0.0, 23.0, 337.0, 300.0}) {
            tsMatrix m;
            tsMatrix_Set(&m, degrees(yaw), degrees(pitch), 12345, centre);
            S64 out[4];
            apply(m, point, out);

            const double y = yaw * kPi / 180;
            const double p = pitch * kPi / 180;
            const double x0 = (point[0] + centre[0]) / 65536.0;
            const double y0 = (point[1] + centre[1]) / 65536.0;
            const double z0 = (point[2] + centre[2]) / 65536.0;
            const double x1 = x0 * std::cos(y) - z0 * std::sin(y);
            const double z1 = x0 * std::sin(y) + z0 * std::cos(y);
            const double y2 = y0 * std::cos(p) + z1 * std::sin(p);
            const double z2 = z1 * std::cos(p) - y0 * std::sin(p);
            EXPECT_NEAR(out[0] / 65536.0, x1, 0.02) << yaw << " " << pitch;
            EXPECT_NEAR(out[1] / 65536.0, y2, 0.02) << yaw << " " << pitch;
            EXPECT_NEAR(out[2] / 65536.0, z2, 0.02) << yaw << " " << pitch;
            EXPECT_EQ(out[3], 0x10000);
        }
    }
}

TEST(TsMatrixMultiply, IdentityIsExactAndTheSecondOperandAppliesFirst)
{
    const S32 centre[3] = {0x10000, 0x20000, 0x30000};
    tsMatrix camera;
    tsMatrix_Set(&camera, degrees(40), degrees(337), 0, centre);
    tsMatrix identity;
    tsMatrix_Identity(&identity);
    tsMatrix r;
    tsMatrix_Multiply(&r, &identity, &camera);
    EXPECT_EQ(0, std::memcmp(&r, &camera, sizeof(r)));
    tsMatrix_Multiply(&r, &camera, &identity);
    EXPECT_EQ(0, std::memcmp(&r, &camera, sizeof(r)));

    // Translate by 1.0 along x, then double: the origin lands at 2.0.
    tsMatrix translate = identity;
    tsMatrix_Translatex(&translate, 0x10000, 0, 0);
    tsMatrix twice = identity;
    twice.m[0][0] = twice.m[1][1] = twice.m[2][2] = 0x20000;
    tsMatrix_Multiply(&r, &twice, &translate);
    EXPECT_EQ(r.m[3][0], 0x20000);
    tsMatrix_Multiply(&r, &translate, &twice);
    EXPECT_EQ(r.m[3][0], 0x10000);

    // The result may be an operand.
    tsMatrix inPlace = translate;
    tsMatrix_Multiply(&inPlace, &twice, &inPlace);
    EXPECT_EQ(inPlace.m[3][0], 0x20000);
    EXPECT_EQ(inPlace.m[0][0], 0x20000);
}

TEST(TsMatrixFov, ChartViewPerspective)
{
    tsMatrix m;
    tsMatrix_SetFOV(&m, 35.0f, 4.0f / 3.0f, 0.1f, 10000.0f);
    EXPECT_EQ(m.m[0][0], 155890);
    EXPECT_EQ(m.m[1][1], 207853);
    EXPECT_EQ(m.m[2][2], 65536);
    EXPECT_EQ(m.m[2][3], 65536);
    EXPECT_EQ(m.m[3][2], -6553);
    EXPECT_EQ(m.m[3][3], 0);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const bool set = (i == j && i < 3) || (i == 2 && j == 3) || (i == 3 && j == 2);
            if (!set) {
                EXPECT_EQ(m.m[i][j], 0) << i << "," << j;
            }
        }
    }
}

TEST(TsMatrixFov, DegenerateInputsSaturate)
{
    constexpr S64 kMax = std::numeric_limits<S32>::max();
    constexpr S64 kMin = std::numeric_limits<S32>::min();
    struct Case {
        const char* name;
        float fov, aspect, zn, zf;
        S64 m00, m11, m22, m32;
    };
    const Case cases[] = {
        {"near equals far", 35.0f, 4.0f / 3.0f, 1.0f, 1.0f, 155890, 207853, kMax, kMin},
        {"aspect zero", 35.0f, 0.0f, 0.1f, 10000.0f, kMax, 207853, 65536, -6553},
        {"field of view zero", 0.0f, 1.0f, 0.1f, 10000.0f, kMax, kMax, 65536, -6553},
        {"near and far zero", 35.0f, 1.0f, 0.0f, 0.0f, 207853, 207853, 0, 0},
    };
    for (const Case& c : cases) {
        tsMatrix m;
        tsMatrix_SetFOV(&m, c.fov, c.aspect, c.zn, c.zf);
        EXPECT_EQ(m.m[0][0], c.m00) << c.name;
        EXPECT_EQ(m.m[1][1], c.m11) << c.name;
        EXPECT_EQ(m.m[2][2], c.m22) << c.name;
        EXPECT_EQ(m.m[3][2], c.m32) << c.name;
    }
    // 180 degrees: the tangent is huge but finite, so the scale is ~0.
    tsMatrix m;
    tsMatrix_SetFOV(&m, 180.0f, 1.0f, 0.1f, 10000.0f);
    EXPECT_LE(std::llabs(m.m[1][1]), 1);
}

TEST(TsMatrixConvert, FloatAndLowWords)
{
    tsMatrix m;
    tsMatrix_Identity(&m);
    m.m[0][1] = -0x8000;
    m.m[3][0] = 0x123456789LL;
    m.m[3][2] = -1;
    tsMatrix_Translatex(&m, 0x10000, -0x20000, 1);
    EXPECT_EQ(m.m[3][0], 0x123456789LL + 0x10000);
    EXPECT_EQ(m.m[3][1], -0x20000);
    EXPECT_EQ(m.m[3][2], 0);

    float f[16];
    tsMatrix_ToFloat(f, &m);
    EXPECT_FLOAT_EQ(f[0], 1.0f);
    EXPECT_FLOAT_EQ(f[1], -0.5f);
    EXPECT_FLOAT_EQ(f[13], -2.0f);
    EXPECT_FLOAT_EQ(f[15], 1.0f);

    S32 fix[16];
    tsMatrix_ToFix(fix, &m);
    EXPECT_EQ(fix[0], 0x10000);
    EXPECT_EQ(fix[1], -0x8000);
    EXPECT_EQ(static_cast<U32>(fix[12]), 0x23456789u + 0x10000u);
    EXPECT_EQ(fix[13], -0x20000);
}

} // namespace
