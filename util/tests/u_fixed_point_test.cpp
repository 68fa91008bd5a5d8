// 16.16 fixed-point sine, cosine, square roots and cross products.
#include "util/u_fixed_point.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr FIXED_POINT deg(double d)
{
    return static_cast<FIXED_POINT>(d * 65536.0);
}

TEST(UFixedPoint, SineAndCosineCases)
{
    const struct {
        FIXED_POINT angle;
        FIXED_POINT sine;
    } sines[] = {
        {deg(0), 0},          {deg(90), 0x10000},   {deg(270), -0x10000},   {deg(-30), -0x8000},
        {deg(30), 0x8000},    {deg(750), 0x8000},   {deg(180), 0},          {deg(360), 0},
        {deg(-90), -0x10000}, {deg(-450), -0x10000},
        {0x7FF, 0},           {0x800, fpnSinLookupTable[1]}, // to the nearest 1/16 degree
    };
    for (const auto& s : sines) {
        EXPECT_EQ(U_FIXED_POINT_fpnSin(s.angle), s.sine) << std::hex << s.angle;
    }
    EXPECT_EQ(U_FIXED_POINT_fpnCos(0), 0x10000);
    EXPECT_EQ(U_FIXED_POINT_fpnCos(deg(180)), -0x10000);
    EXPECT_EQ(U_FIXED_POINT_fpnCos(deg(60)), 0x8000);
    // The extremes of the angle range stay within the table.
    EXPECT_LE(std::abs(U_FIXED_POINT_fpnSin(INT_MIN)), 0x10000);
    EXPECT_LE(std::abs(U_FIXED_POINT_fpnCos(INT_MAX)), 0x10000);
}

TEST(UFixedPoint, SineMatchesTheFunctionAtEverySixteenthOfADegree)
{
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < 1441; ++i) {
        ASSERT_EQ(fpnSinLookupTable[i], std::lround(65536.0 * std::sin(i / 16.0 * pi / 180.0))) << i;
    }
    for (int sixteenths = -720 * 16; sixteenths <= 720 * 16; ++sixteenths) {
        double want = 65536.0 * std::sin(sixteenths / 16.0 * pi / 180.0);
        EXPECT_NEAR(U_FIXED_POINT_fpnSin(sixteenths * 4096), want, 0.5 + 1e-6) << sixteenths;
        double wantCos = 65536.0 * std::cos(sixteenths / 16.0 * pi / 180.0);
        EXPECT_NEAR(U_FIXED_POINT_fpnCos(sixteenths * 4096), wantCos, 0.5 + 1e-6) << sixteenths;
    }
}

TEST(UFixedPoint, SquareRoots)
{
    const struct {
        FIXED_POINT value, root;
    } cases[] = {
        {0x40000, 0x20000}, {0x20000, 0x16A00}, {0, 0}, {-0x10000, 0}, {INT_MIN, 0}, {0x10000, 0x10000},
        {INT_MAX, 46340 << 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(U_FIXED_POINT_fpnSqrt(c.value), c.root) << std::hex << c.value;
    }
}

TEST(UFixedPoint, VectorLength)
{
    VECTOR_3D v = {0x30000, 0x40000, 0};
    EXPECT_EQ(U_FIXED_POINT_fpnVectorLength(&v), 0x50000);
    VECTOR_3D zero = {0, 0, 0};
    EXPECT_EQ(U_FIXED_POINT_fpnVectorLength(&zero), 0);
    std::mt19937 rng(123);
    for (int i = 0; i < 1000; ++i) {
        VECTOR_3D r = {static_cast<S32>(rng()) >> 2, static_cast<S32>(rng()) >> 2, static_cast<S32>(rng()) >> 2};
        long double s = static_cast<long double>(r.x) * r.x + static_cast<long double>(r.y) * r.y
                        + static_cast<long double>(r.z) * r.z;
        EXPECT_EQ(U_FIXED_POINT_fpnVectorLength(&r), static_cast<S32>(std::floor(std::sqrt(s))));
    }
}

TEST(UFixedPoint, NormalisedCrossProduct)
{
    VECTOR_3D x = {0x10000, 0, 0};
    VECTOR_3D y = {0, 0x10000, 0};
    VECTOR_3D n = {9, 9, 9};
    U_FIXED_POINT_vNormalizedCrossProduct(&n, &x, &y);
    EXPECT_EQ(n.x, 0);
    EXPECT_EQ(n.y, 0);
    EXPECT_EQ(n.z, 0x10000);

    VECTOR_3D twiceX = {0x20000, 0, 0};
    U_FIXED_POINT_vNormalizedCrossProduct(&n, &x, &twiceX);
    EXPECT_EQ(n.x, 0);
    EXPECT_EQ(n.y, 0);
    EXPECT_EQ(n.z, 0);

    // Long operands still give a unit normal, perpendicular to both.
    VECTOR_3D a = {0x30000, 0x10000, -0x20000};
    VECTOR_3D b = {-0x10000, 0x50000, 0x8000};
    U_FIXED_POINT_vNormalizedCrossProduct(&n, &a, &b);
    EXPECT_NEAR(U_FIXED_POINT_fpnVectorLength(&n), 0x10000, 2);
    auto dot = [](const VECTOR_3D& p, const VECTOR_3D& q) {
        return (static_cast<double>(p.x) * q.x + static_cast<double>(p.y) * q.y + static_cast<double>(p.z) * q.z)
               / 65536.0 / 65536.0;
    };
    EXPECT_NEAR(dot(n, a), 0.0, 1e-3);
    EXPECT_NEAR(dot(n, b), 0.0, 1e-3);

    // The result may be one of the operands.
    VECTOR_3D left = x;
    U_FIXED_POINT_vNormalizedCrossProduct(&left, &left, &y);
    EXPECT_EQ(left.x, 0);
    EXPECT_EQ(left.y, 0);
    EXPECT_EQ(left.z, 0x10000);
}

} // namespace
