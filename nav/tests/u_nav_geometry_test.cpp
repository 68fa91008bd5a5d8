// The navigation geometry: fixed cases of the integer arithmetic, then
// random runs against double-precision geometry for the crossing, the
// distance test, the box clip with the 2D conversion, the perspective clip
// with its projection, and the radar conversion.
#include "nav/core/u_nav.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

GP_ROTCONTEXT rotation(double degrees)
{
    GP_ROTCONTEXT rc;
    gr_ResetRotationContext(&rc);
    gr_SetRotationAngle(&rc, degrees);
    return rc;
}

// The rotation the integer code approximates: the context's own sine and
// cosine, unrounded.
void rotateExact(const GP_ROTCONTEXT& rc, double x, double y, double* xr, double* yr)
{
    const double c = rc.IntCosAngle / 1024.0;
    const double s = rc.IntSinAngle / 1024.0;
    *xr = c * x - s * y;
    *yr = c * y + s * x;
}

double logUniform(std::mt19937_64& rng, double lo, double hi)
{
    const double v = std::exp(std::uniform_real_distribution<double>(std::log(lo), std::log(hi))(rng));
    return std::clamp(v, lo, hi);
}

S32 uniform(std::mt19937_64& rng, S64 lo, S64 hi)
{
    return (S32)std::uniform_int_distribution<S64>(lo, hi)(rng);
}

// Fixed cases ---------------------------------------------------------------

TEST(NavGeometry, SineAndCosineOfAnyWholeAngle)
{
    struct Case {
        S32 angle;
        S32 sin, cos;
    };
    const Case cases[] = {
        {-30, -32768, 56756},   {750, 32768, 56756},  {0, 0, 65536},        {180, 0, -65536},
        {90, 65536, 0},         {270, -65536, 0},     {-90, -65536, 0},     {359, -1144, 65526},
        {360, 0, 65536},        {719, -1144, 65526},  {720, 0, 65536},      {-720, 0, 65536},
        {INT32_MAX, 52339, -39441}, {INT32_MIN, -51643, -40348}, // 127 and -128 modulo 360
    };
    for (const Case& c : cases) {
        EXPECT_EQ(U_NAV_nIntSin(c.angle), c.sin) << c.angle;
        EXPECT_EQ(U_NAV_nIntCos(c.angle), c.cos) << c.angle;
    }
    // Every angle of three turns each way against the rounded sine.
    for (S32 a = -1080; a <= 1080; ++a) {
        const double rad = a * M_PI / 180.0;
        ASSERT_EQ(U_NAV_nIntSin(a), (S32)std::lround(65536.0 * std::sin(rad))) << a;
        ASSERT_EQ(U_NAV_nIntCos(a), (S32)std::lround(65536.0 * std::cos(rad))) << a;
    }
}

TEST(NavGeometry, IntegerLogarithm)
{
    const struct {
        S64 n;
        S32 log2;
    } cases[] = {
        {0, 0}, {1, 0}, {-1, 0}, {2, 1}, {-8, 3}, {7, 2}, {0x10000, 16}, {0xFFFF, 15},
        {INT32_MAX, 30}, {INT32_MIN, 31},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(U_NAV_nIntLog2((S32)c.n), c.log2) << c.n;
        EXPECT_EQ(U_NAV_nIntLog2_S64(c.n), c.log2) << c.n;
    }
    EXPECT_EQ(U_NAV_nIntLog2_S64((S64)1 << 47), 47);
    EXPECT_EQ(U_NAV_nIntLog2_S64(-((S64)1 << 47) - 1), 47);
    EXPECT_EQ(U_NAV_nIntLog2_S64(INT64_MAX), 62);
    EXPECT_EQ(U_NAV_nIntLog2_S64(INT64_MIN), 63);
}

TEST(NavGeometry, HeadingArithmeticStaysInRange)
{
    const struct {
        U16 h1, h2;
        S16 diff;
    } diffs[] = {{10, 350, 20}, {350, 10, -20}, {180, 0, 180}, {0, 180, 180}, {181, 0, -179},
                 {0, 0, 0},     {359, 0, -1},   {720, 0, 0},   {65535, 0, 15}};
    for (const auto& c : diffs)
        EXPECT_EQ(U_NAV_nHeadingDiff(c.h1, c.h2), c.diff) << c.h1 << " - " << c.h2;
    const struct {
        U16 h;
        S16 off;
        U16 sum;
    } sums[] = {{350, 20, 10}, {5, -10, 355}, {0, -360, 0}, {359, 1, 0}, {0, 32767, 7}, {0, -32768, 352}};
    for (const auto& c : sums)
        EXPECT_EQ(U_NAV_nHeadingSum(c.h, c.off), c.sum) << c.h << " + " << c.off;

    // Adding the difference back gives the first heading again.
    for (U16 h1 = 0; h1 < 360; h1 += 7) {
        for (U16 h2 = 0; h2 < 360; h2 += 3) {
            const S16 d = U_NAV_nHeadingDiff(h1, h2);
            ASSERT_TRUE(d >= -179 && d <= 180);
            ASSERT_EQ(U_NAV_nHeadingSum(h2, d), h1);
        }
    }
}

TEST(NavGeometry, MercatorScaleFollowsTheSecantThroughTheCalibrationRows)
{
    const struct {
        S32 y;
        U16 entry;
    } rows[] = {
        {0, 1019},          {0x7FFF, 1019},      {-3 * 65536, 1019},  {16 * 65536, 1033},
        {32 * 65536, 1076}, {-48 * 65536, 1149}, {64 * 65536, 1253},  {96 * 65536, 1568},
        {128 * 65536, 2055}, {160 * 65536, 2767}, {192 * 65536, 3781}, {224 * 65536, 5208},
        {255 * 65536, 7129}, {16678912, 7129},    {-16678912, 7129},   {INT32_MAX, 7129},
        {INT32_MIN, 7129},
    };
    for (const auto& r : rows)
        EXPECT_EQ(U_NAV_u16ScalingMMPerKm(r.y), r.entry) << r.y;

    // Rising with |y| and near 1024 times the secant of the band's latitude
    // (a Mercator y of R ln tan(45 + lat / 2)) everywhere between the rows.
    U16 previous = 0;
    for (S32 band = 0; band < 256; ++band) {
        const U16 e = U_NAV_u16ScalingMMPerKm(band * 65536);
        ASSERT_GE(e, previous) << band;
        previous = e;
        const double secant = std::cosh(band * 65536.0 / 6378137.0);
        EXPECT_NEAR(e / (1024.0 * secant), 1.0, 0.01) << band;
    }
}

TEST(NavGeometry, RotationIsExactOnQuarterTurnsAndMayWorkInPlace)
{
    const GP_ROTCONTEXT quarter = rotation(90);
    POINT p = {1234567, -765};
    U_NAV_vRotatePoint(&quarter, &p, &p);
    EXPECT_EQ(p.x, 765);
    EXPECT_EQ(p.y, 1234567);

    // In place gives what a separate output gives: both inputs are read first.
    const GP_ROTCONTEXT rc = rotation(33);
    const POINT before = {-20000000, 15000000};
    POINT apart;
    U_NAV_vRotatePoint(&rc, &before, &apart);
    POINT same = before;
    U_NAV_vRotatePoint(&rc, &same, &same);
    EXPECT_EQ(same.x, apart.x);
    EXPECT_EQ(same.y, apart.y);
    double xr, yr;
    rotateExact(rc, before.x, before.y, &xr, &yr);
    EXPECT_LE(std::fabs(apart.x - xr), 0.5);
    EXPECT_LE(std::fabs(apart.y - yr), 0.5);
}

// Segment crossing ------------------------------------------------------------

// The exact 16.16 parameter of the crossing, before truncation.
long double exactCrossing(POINT p1, POINT p2, POINT p3, POINT p4)
{
    const __int128 cross = (__int128)((S64)p2.x - p1.x) * ((S64)p4.y - p3.y) -
                           (__int128)((S64)p2.y - p1.y) * ((S64)p4.x - p3.x);
    const __int128 num = (__int128)((S64)p4.x - p3.x) * ((S64)p1.y - p3.y) -
                         (__int128)((S64)p4.y - p3.y) * ((S64)p1.x - p3.x);
    return (long double)num * 65536.0L / (long double)cross;
}

TEST(NavGeometry, SegmentCrossingCases)
{
    struct Case {
        POINT p1, p2, p3, p4;
        S32 u;
        S32 cross;
    };
    const Case cases[] = {
        // Halfway, at the start, at the end, before and beyond.
        {{0, 0}, {10, 0}, {5, -1}, {5, 1}, 0x8000, 20},
        {{0, 0}, {10, 0}, {0, -1}, {0, 1}, 0, 20},
        {{0, 0}, {10, 0}, {10, 1}, {10, -1}, 0x10000, -20},
        {{0, 0}, {10, 0}, {-5, -1}, {-5, 1}, -0x8000, 20},
        {{0, 0}, {10, 0}, {25, -1}, {25, 1}, 0x28000, 20},
        // Parallel lines, collinear ones and a segment of no length.
        {{0, 0}, {10, 10}, {0, 5}, {20, 25}, NAV_PARALLEL, 0},
        {{0, 0}, {10, 0}, {20, 0}, {30, 0}, NAV_PARALLEL, 0},
        {{7, 7}, {7, 7}, {0, 0}, {1, 1}, NAV_PARALLEL, 0},
        // Far beyond either end: saturated, the cross product still nonzero.
        {{0, 0}, {1, 0}, {1 << 30, -1}, {1 << 30, 1}, INT32_MAX, 2},
        {{0, 0}, {1, 0}, {-(1 << 30), -1}, {-(1 << 30), 1}, INT32_MIN, 2},
        // num beyond 2^47, rescaled and divided: 1024 segment lengths away.
        {{0, 0}, {1 << 20, 0}, {1 << 30, -(1 << 19)}, {1 << 30, 1 << 19}, 1 << 26, INT32_MAX},
        // num beyond 2^47 over a cross product of 1: saturated without dividing.
        {{0, 0}, {1, 0}, {-(1 << 30), 1 << 30}, {1 << 30, (1 << 30) + 1}, INT32_MIN, 1},
        // Differences of 2^32: products beyond 64 bits.
        {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}, {INT32_MAX, INT32_MIN},
         0x8000, INT32_MIN},
    };
    for (const Case& c : cases) {
        S32 cross = 12345;
        EXPECT_EQ(U_NAV_s32LineSegmentIntersection(c.p1, c.p2, c.p3, c.p4, &cross), c.u)
            << c.p1.x << "," << c.p1.y << " " << c.p3.x << "," << c.p3.y;
        EXPECT_EQ(cross, c.cross) << c.p1.x << "," << c.p1.y << " " << c.p3.x << "," << c.p3.y;
        EXPECT_EQ(U_NAV_s32LineSegmentIntersection(c.p1, c.p2, c.p3, c.p4, nullptr), c.u);
    }
}

TEST(NavGeometry, SegmentCrossingMatchesExactArithmeticOverTheWholeRange)
{
    std::mt19937_64 rng(230);
    for (int i = 0; i < 100000; ++i) {
        // Half the cases anywhere in S32 (the rescaled path), half small.
        const S64 span = (i & 1) ? INT32_MAX : (S64)uniform(rng, 1, 1 << 20);
        POINT p[4];
        for (POINT& q : p)
            q = {uniform(rng, -span - (span == INT32_MAX), span), uniform(rng, -span - (span == INT32_MAX), span)};
        S32 cross;
        const S32 u = U_NAV_s32LineSegmentIntersection(p[0], p[1], p[2], p[3], &cross);
        if (cross == 0) {
            ASSERT_EQ(u, NAV_PARALLEL);
            continue;
        }
        const long double exact = exactCrossing(p[0], p[1], p[2], p[3]);
        if (exact >= 2147483648.0L) {
            ASSERT_EQ(u, INT32_MAX);
        } else if (exact < -2147483648.0L) {
            ASSERT_EQ(u, INT32_MIN);
        } else {
            // Truncated toward zero; the rescale keeps 47 bits of each term.
            ASSERT_LE(std::fabs((long double)u - exact), 1.0L + std::fabs(exact) * 0x1p-44L)
                << i << " exact " << (double)exact;
        }
    }
}

// Distance test -----------------------------------------------------------------

TEST(NavGeometry, DistanceTestAgreesWithTheLengthOfTheVector)
{
    const struct {
        POINT v;
        S32 t;
        BOOLEAN within;
    } cases[] = {
        {{3, 4}, 5, TRUE},        {{3, 4}, 4, FALSE},     {{-3, -4}, 5, TRUE},   {{0, 0}, 0, TRUE},
        {{1, 0}, 0, FALSE},       {{0, 0}, -1, FALSE},    {{30000, 40000}, 50000, TRUE},
        {{30000, 40004}, 50000, FALSE}, {{INT32_MIN, 0}, INT32_MAX, FALSE},
        {{INT32_MAX, INT32_MAX}, INT32_MAX, FALSE}, {{INT32_MAX, 0}, INT32_MAX, TRUE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(U_NAV_bDistanceLessThanOrEqual(c.v, c.t), c.within) << c.v.x << "," << c.v.y << " " << c.t;

    std::mt19937_64 rng(231);
    for (int i = 0; i < 100000; ++i) {
        const S32 t = (S32)logUniform(rng, 1, INT32_MAX);
        const S64 reach = std::min<S64>((S64)t * 3 / 2, INT32_MAX);
        const POINT v = {uniform(rng, -reach, reach), uniform(rng, -reach, reach)};
        const double length = std::hypot((double)v.x, (double)v.y);
        const BOOLEAN within = U_NAV_bDistanceLessThanOrEqual(v, t);
        if (t < 0x8000) {
            // Exact while the squares fit.
            ASSERT_EQ(within, (S64)v.x * v.x + (S64)v.y * v.y <= (S64)t * t ? TRUE : FALSE) << i;
        } else if (length <= t * (1 - 0x1p-12)) {
            ASSERT_TRUE(within) << i;
        } else if (length >= t * (1 + 0x1p-12)) {
            ASSERT_FALSE(within) << i;
        }
    }
}

// Box clip and the 2D conversion ------------------------------------------------

TEST(NavGeometry, SegmentMissingTheBoxComesBackOnItsBorder)
{
    POINT a = {-5000, 2000};
    POINT b = {-3000, 4000};
    U_NAV_vClipLineToBox(&a, &b, -1000, 1000);
    EXPECT_EQ(a.x, -1000);
    EXPECT_EQ(a.y, 1000);
    EXPECT_EQ(b.x, -1000);
    EXPECT_EQ(b.y, 1000);

    // Inside: untouched. Across: both ends just inside the border.
    POINT c = {-10, 20};
    POINT d = {30, -40};
    U_NAV_vClipLineToBox(&c, &d, -1000, 1000);
    EXPECT_EQ(c.x, -10);
    EXPECT_EQ(c.y, 20);
    EXPECT_EQ(d.x, 30);
    EXPECT_EQ(d.y, -40);
    POINT e = {-3000, 0};
    POINT f = {3000, 0};
    U_NAV_vClipLineToBox(&e, &f, -1000, 1000);
    EXPECT_EQ(e.x, -1000);
    EXPECT_EQ(f.x, 999);
    EXPECT_EQ(e.y, 0);
    EXPECT_EQ(f.y, 0);
}

TEST(NavGeometry, TwoDimensionalConversionAgreesAcrossTheSixteenthsThreshold)
{
    const POINT centre = {400, 300};
    const POINT offsets[] = {{12345, -6789}, {-1, 1}, {8, -8}, {12799, 12799}, {-12800, 5}};
    for (double degrees : {0.0, 17.0, -123.0}) {
        const GP_ROTCONTEXT rc = rotation(degrees);
        for (const POINT& o : offsets) {
            POINT below = o;
            POINT above = o;
            U_NAV_vConvertMMToPixel(&below, &rc, &centre, 65536);
            U_NAV_vConvertMMToPixel(&above, &rc, &centre, 65537);
            EXPECT_LE(std::abs(below.x - above.x), 1) << degrees << " " << o.x << "," << o.y;
            EXPECT_LE(std::abs(below.y - above.y), 1) << degrees << " " << o.x << "," << o.y;
        }
    }
}

// The box clip and the 2D conversion as the chart painters use them: clip
// to the pane's +-L, then convert. Against double geometry: the clipped ends
// lie in the box and, where the segment crosses it, within a metre on each
// axis of where it enters and leaves; the pixels agree with the exact
// affine map to the rounding of the metre (a sixteenth at large scales).
TEST(NavGeometry, BoxClipAndTwoDimensionalConversionAgainstDoubleGeometry)
{
    std::mt19937_64 rng(232);
    for (int i = 0; i < 100000; ++i) {
        const S32 n = (S32)logUniform(rng, 16, 1 << 27);
        const S32 L = NAV_BOX_PIXEL_SPAN / n;
        const POINT p0 = {uniform(rng, -4LL * L, 4LL * L), uniform(rng, -4LL * L, 4LL * L)};
        const POINT p1 = {uniform(rng, -4LL * L, 4LL * L), uniform(rng, -4LL * L, 4LL * L)};
        POINT q0 = p0, q1 = p1;
        U_NAV_vClipLineToBox(&q0, &q1, -L, L);
        for (const POINT& q : {q0, q1}) {
            ASSERT_TRUE(q.x >= -L && q.x <= L && q.y >= -L && q.y <= L) << i;
        }

        // Where the exact segment is inside the box.
        const double dx = (double)p1.x - p0.x, dy = (double)p1.y - p0.y;
        double tIn = 0, tOut = 1;
        const double ends[2][2] = {{(double)p0.x, dx}, {(double)p0.y, dy}};
        for (const auto& axis : ends) {
            if (axis[1] == 0) {
                if (axis[0] < -L || axis[0] > L)
                    tOut = -1;
                continue;
            }
            const double ta = (-L - axis[0]) / axis[1], tb = (L - axis[0]) / axis[1];
            tIn = std::max(tIn, std::min(ta, tb));
            tOut = std::min(tOut, std::max(ta, tb));
        }
        const double step = std::max(std::fabs(dx), std::fabs(dy)) * 0x1p-30;
        if ((tOut - tIn) * std::max(std::fabs(dx), std::fabs(dy)) > 4 * step + 2) {
            const double tol = 1 + 2 * step; // the floor, and up to two steps of the parameter
            ASSERT_LE(std::fabs(q0.x - (p0.x + tIn * dx)), tol) << i;
            ASSERT_LE(std::fabs(q0.y - (p0.y + tIn * dy)), tol) << i;
            ASSERT_LE(std::fabs(q1.x - (p0.x + tOut * dx)), tol) << i;
            ASSERT_LE(std::fabs(q1.y - (p0.y + tOut * dy)), tol) << i;
            if (tIn == 0) {
                ASSERT_TRUE(q0.x == p0.x && q0.y == p0.y) << i;
            }
            if (tOut == 1) {
                ASSERT_TRUE(q1.x == p1.x && q1.y == p1.y) << i;
            }
        }

        // The conversion of a clipped end, with and without a rotation.
        const POINT centre = {uniform(rng, 0, 800), uniform(rng, 0, 600)};
        const double ppm = n / 1048576.0;
        POINT flat = q0;
        U_NAV_vConvertMMToPixelNoRotation(&flat, &centre, n);
        // Above 65536 n loses its low four bits: up to 15/16 of a pixel per
        // 2^20 metres, a quarter of a pixel at most inside the box.
        const double lost = n > 65536 ? (n % 16) / 1048576.0 : 0;
        ASSERT_LE(std::fabs(flat.x - (centre.x + q0.x * ppm)), 0.5 + std::abs(q0.x) * lost) << i;
        ASSERT_LE(std::fabs(flat.y - (centre.y + q0.y * ppm)), 0.5 + std::abs(q0.y) * lost) << i;
        ASSERT_LE(std::abs(flat.x - centre.x), 801) << i;
        ASSERT_LE(std::abs(flat.y - centre.y), 801) << i;

        const GP_ROTCONTEXT rc = rotation(std::uniform_real_distribution<double>(-180, 180)(rng));
        POINT turned = q0;
        U_NAV_vConvertMMToPixel(&turned, &rc, &centre, n);
        double xr, yr;
        rotateExact(rc, q0.x, q0.y, &xr, &yr);
        const double unit = n > 65536 ? 1.0 / 16 : 1.0;
        // Half a unit of rotation rounding on each axis besides.
        const double rounding = 0.5 + ppm * unit * 0.5 + 1e-9;
        ASSERT_LE(std::fabs(turned.x - (centre.x + xr * ppm)), rounding + (std::fabs(xr) + 1) * lost) << i;
        ASSERT_LE(std::fabs(turned.y - (centre.y + yr * ppm)), rounding + (std::fabs(yr) + 1) * lost) << i;
    }
}

// The perspective view --------------------------------------------------------

TEST(NavGeometry, PerspectiveProjectionCases)
{
    const POINT centre = {400, 200};
    const GP_ROTCONTEXT none = rotation(0);
    const GP_ROTCONTEXT half = rotation(180);
    struct Case {
        POINT offset;
        S32 altitude;
        const GP_ROTCONTEXT* rot;
        S32 n;
        S32 eye;
        POINT pixel;
    };
    const Case cases[] = {
        // At the eye and behind it: (0, 0), with and without the sixteenths.
        {{100, -1000}, 0, nullptr, 1 << 20, 1000, {0, 0}},
        {{100, -1000}, 0, &none, 1 << 16, 1000, {0, 0}},
        {{0, -5000}, 50, nullptr, 1 << 20, 1000, {0, 0}},
        {{0, 1000}, 0, &half, 1 << 20, 1000, {0, 0}},
        // A ground point at the view centre lies E/2 * n / 2^20 below it.
        {{0, 0}, 0, nullptr, 1 << 20, 1000, {400, -300}},
        {{0, 0}, 0, nullptr, 1 << 16, 1000, {400, 169}},
        // Ahead and to the side: X = E x / (E + y), halves away from zero.
        {{300, 1000}, 500, nullptr, 1 << 20, 1000, {550, 200}},
        {{-301, 1000}, 0, nullptr, 1 << 20, 1000, {250, -50}},
        {{-5, 2}, 0, nullptr, 1 << 18, 2, {399, 200}}, // X = -2.5 becomes -3
        // Far ahead the points approach the horizon row.
        {{0, 1000000}, 0, nullptr, 1 << 20, 1000, {400, 200}},
    };
    for (const Case& c : cases) {
        POINT p = c.offset;
        U_NAV_vConvertMMToHighwayViewPixel(&p, c.altitude, c.rot, &centre, c.n, c.eye);
        EXPECT_EQ(p.x, c.pixel.x) << c.offset.x << "," << c.offset.y << " n " << c.n;
        EXPECT_EQ(p.y, c.pixel.y) << c.offset.x << "," << c.offset.y << " n " << c.n;
    }
}

// The visible pentagon in double precision, from the same corners as the
// view: the signed distance of a rotated point inside each border line.
struct Pentagon {
    double ax[5], ay[5], bx[5], by[5];
    int enter[5];

    explicit Pentagon(S32 e)
    {
        const double e4 = e / 4, e2 = e / 2;
        const double rx = (S32)(2220 * (S64)e / 1024), ry = (S32)(3415 * (S64)e / 1024);
        const double lines[5][5] = {
            {0, -(double)e, e4, -e2, -1}, {0, -(double)e, -e4, -e2, 1}, {-e4, -e2, e4, -e2, -1},
            {-rx, ry, 0, 4.0 * e, 1},     {0, 4.0 * e, rx, ry, 1},
        };
        for (int i = 0; i < 5; ++i) {
            ax[i] = lines[i][0];
            ay[i] = lines[i][1];
            bx[i] = lines[i][2];
            by[i] = lines[i][3];
            enter[i] = (int)lines[i][4];
        }
    }
    double depth(int i, double x, double y) const
    {
        const double lx = bx[i] - ax[i], ly = by[i] - ay[i];
        const double side = (lx * (y - ay[i]) - ly * (x - ax[i])) / std::hypot(lx, ly);
        return enter[i] < 0 ? side : -side;
    }
    double depth(double x, double y) const
    {
        double d = depth(0, x, y);
        for (int i = 1; i < 5; ++i)
            d = std::min(d, depth(i, x, y));
        return d;
    }
};

// The part [*tIn, *tOut] of a0->a1 (rotated) at least m inside; empty when
// *tIn > *tOut.
void deepPart(const Pentagon& pg, double x0, double y0, double x1, double y1, double m, double* tIn,
              double* tOut)
{
    *tIn = 0;
    *tOut = 1;
    for (int i = 0; i < 5; ++i) {
        const double f0 = pg.depth(i, x0, y0) - m, f1 = pg.depth(i, x1, y1) - m;
        if (f0 == f1) {
            if (f0 < 0)
                *tOut = -1;
            continue;
        }
        const double t = f0 / (f0 - f1);
        if (f1 > f0)
            *tIn = std::max(*tIn, t);
        else
            *tOut = std::min(*tOut, t);
    }
}

TEST(NavGeometry, PerspectiveClipCases)
{
    const S32 e = 1024;
    struct Case {
        const char* what;
        POINT p0, p1;
        BOOLEAN visible;
        POINT q0, q1;
    };
    const Case cases[] = {
        {"inside", {-100, 0}, {200, 3000}, TRUE, {-100, 0}, {200, 3000}},
        {"parallel to the near line, inside: that line changes nothing", {-100, -200}, {100, -200}, TRUE,
         {-100, -200}, {100, -200}},
        {"parallel to the near line, behind it", {-50, -700}, {50, -700}, FALSE, {}, {}},
        {"parallel to the right side, outside it", {600, 0}, {856, 512}, FALSE, {}, {}},
        {"on the near line", {-100, -512}, {100, -512}, FALSE, {}, {}},
        {"behind the eye", {-100, -3000}, {100, -2000}, FALSE, {}, {}},
        // A step of the parameter is 1 m here: each new end lies one step
        // inside its crossing (the near line at -512, the apex at 4096).
        {"a long segment through the view", {0, -20000}, {0, 45536}, TRUE, {0, -511}, {0, 4095}},
        // A step is 0.14 m: flooring to the metre may land on the border.
        {"from behind the eye to beyond the apex", {0, -3000}, {0, 6000}, TRUE, {0, -512}, {0, 4095}},
        {"a point", {10, 10}, {10, 10}, TRUE, {10, 10}, {10, 10}},
        {"a point outside", {3000, 10}, {3000, 10}, FALSE, {}, {}},
    };
    for (const Case& c : cases) {
        POINT a = c.p0, b = c.p1;
        EXPECT_EQ(U_NAV_bClipLineToHighwayView(&a, &b, nullptr, e), c.visible) << c.what;
        const POINT w0 = c.visible ? c.q0 : c.p0, w1 = c.visible ? c.q1 : c.p1;
        EXPECT_TRUE(a.x == w0.x && a.y == w0.y) << c.what << ": " << a.x << "," << a.y;
        EXPECT_TRUE(b.x == w1.x && b.y == w1.y) << c.what << ": " << b.x << "," << b.y;
    }
}

// Approaching the right side from outside so slowly that the crossing lies
// beyond 32768 segment lengths: the parameter saturates to the value that
// also stands for parallel lines, yet the segment is outside and must go.
TEST(NavGeometry, PerspectiveClipRejectsASegmentWhoseCrossingIsTooFarToCount)
{
    const S32 e = 1026; // side line direction (256, 513): a cross product of -1 below
    POINT a = {1500, 1000}, b = {1499, 998};
    const POINT eye = {0, -e}, nearRight = {e / 4, -(e / 2)};
    S32 cross;
    ASSERT_EQ(U_NAV_s32LineSegmentIntersection(a, b, eye, nearRight, &cross), INT32_MAX);
    ASSERT_EQ(cross, -1);
    const Pentagon pg(e);
    ASSERT_LT(pg.depth(a.x, a.y), -100);
    ASSERT_LT(pg.depth(b.x, b.y), -100);
    EXPECT_FALSE(U_NAV_bClipLineToHighwayView(&a, &b, nullptr, e));
    EXPECT_EQ(a.x, 1500);
    EXPECT_EQ(b.y, 998);
}

TEST(NavGeometry, PerspectiveClipRefusesEyeOffsetsWithoutAPentagon)
{
    for (S32 e : {0, -1000, INT32_MIN, 0x20000000, INT32_MAX}) {
        POINT a = {0, 0}, b = {10, 10};
        EXPECT_FALSE(U_NAV_bClipLineToHighwayView(&a, &b, nullptr, e)) << e;
        EXPECT_EQ(a.x, 0);
        EXPECT_EQ(b.x, 10);
    }
}

// The perspective painters' path: clip to the pentagon, then project. The
// new ends lie on the segment, inside the pentagon to within the rounding
// (the rotated ends round to the metre, 0.71 m; the new ends floor to it,
// 1.42 m), and span every part of the segment deeper inside than that. A
// segment with a point a metre inside is never rejected, one a metre outside
// everywhere always is. A visible end projects where the double model puts
// it, to the rounding of its metre (a sixteenth at large scales).
TEST(NavGeometry, PerspectiveClipAndProjectionAgainstDoubleGeometry)
{
    constexpr double ROUNDING = 2.2;
    std::mt19937_64 rng(233);
    int visible = 0, rejected = 0;
    for (int i = 0; i < 100000; ++i) {
        const S32 e = (S32)logUniform(rng, 16, 1000);
        const GP_ROTCONTEXT rc = rotation(std::uniform_real_distribution<double>(-180, 180)(rng));
        const POINT p0 = {uniform(rng, -5 * e, 5 * e), uniform(rng, -5 * e, 5 * e)};
        const POINT p1 = {uniform(rng, -5 * e, 5 * e), uniform(rng, -5 * e, 5 * e)};
        double x0, y0, x1, y1;
        rotateExact(rc, p0.x, p0.y, &x0, &y0);
        rotateExact(rc, p1.x, p1.y, &x1, &y1);
        const Pentagon pg(e);

        POINT q0 = p0, q1 = p1;
        const BOOLEAN shown = U_NAV_bClipLineToHighwayView(&q0, &q1, &rc, e);
        double tIn, tOut;
        if (!shown) {
            ++rejected;
            ASSERT_TRUE(q0.x == p0.x && q0.y == p0.y && q1.x == p1.x && q1.y == p1.y) << i;
            deepPart(pg, x0, y0, x1, y1, 1.0, &tIn, &tOut);
            ASSERT_GT(tIn, tOut) << i << ": a part a metre inside was rejected";
            continue;
        }
        ++visible;
        deepPart(pg, x0, y0, x1, y1, -1.0, &tIn, &tOut);
        ASSERT_LE(tIn, tOut) << i << ": a segment a metre outside was kept";

        const double dx = (double)p1.x - p0.x, dy = (double)p1.y - p0.y;
        const double len2 = dx * dx + dy * dy;
        double s[2];
        int k = 0;
        for (const POINT& q : {q0, q1}) {
            double xr, yr;
            rotateExact(rc, q.x, q.y, &xr, &yr);
            ASSERT_GE(pg.depth(xr, yr), -ROUNDING) << i;
            // On the segment: within a metre of it on each axis.
            const double t = len2 > 0 ? ((q.x - p0.x) * dx + (q.y - p0.y) * dy) / len2 : 0;
            s[k++] = t;
            ASSERT_LE(std::fabs(q.x - (p0.x + t * dx)), 1.5) << i;
            ASSERT_LE(std::fabs(q.y - (p0.y + t * dy)), 1.5) << i;
        }
        // Covering everything deeper than the rounding; untouched ends stay.
        deepPart(pg, x0, y0, x1, y1, ROUNDING, &tIn, &tOut);
        if (tIn <= tOut && len2 > 0) {
            const double slack = 1.5 / std::sqrt(len2) + 2.0 / 65536;
            ASSERT_LE(s[0], tIn + slack) << i;
            ASSERT_GE(s[1], tOut - slack) << i;
        }
        if (pg.depth(x0, y0) > 1.0) {
            ASSERT_TRUE(q0.x == p0.x && q0.y == p0.y) << i;
        }
        if (pg.depth(x1, y1) > 1.0) {
            ASSERT_TRUE(q1.x == p1.x && q1.y == p1.y) << i;
        }

        // The projection of the new start against the double model.
        const S32 n = (S32)logUniform(rng, 1 << 14, 1 << 26);
        const S32 altitude = uniform(rng, 0, 100);
        const POINT centre = {uniform(rng, 0, 800), uniform(rng, 0, 600)};
        POINT px = q0;
        U_NAV_vConvertMMToHighwayViewPixel(&px, altitude, &rc, &centre, n, e);
        double xr, yr;
        rotateExact(rc, q0.x, q0.y, &xr, &yr);
        const double d = e + yr;
        const double ppm = n / 1048576.0;
        const double unit = n > 0x40000 ? 1.0 / 16 : 1.0;
        // The eye's height E/2 truncates in the unit the view works in.
        const double eyeHeight = std::trunc(e / 2.0 / unit) * unit;
        const double X = e * xr / d, Y = e * (altitude - eyeHeight) / d;
        // Half a unit of rotation rounding on each axis, carried by the
        // slopes of X and Y at the point, then X and Y round to the unit and
        // the pixel to itself (n loses its low bits with the sixteenths).
        const double errX = 0.5 + 0.71 * (e / d + std::fabs(X) / d) * 1.05;
        const double errY = 0.5 + 0.71 * (std::fabs(Y) / d) * 1.05;
        ASSERT_LE(std::fabs(px.x - (centre.x + X * ppm)), 0.55 + ppm * unit * errX) << i;
        ASSERT_LE(std::fabs(px.y - (centre.y + Y * ppm)), 0.55 + ppm * unit * errY) << i;
    }
    // Both outcomes well represented.
    EXPECT_GT(visible, 20000);
    EXPECT_GT(rejected, 20000);
}

// The radar ----------------------------------------------------------------------

TEST(NavGeometry, RadarConversionTruncatesTowardZero)
{
    const POINT centre = {100, 100};
    const struct {
        POINT offset;
        float f;
        POINT pixel;
    } cases[] = {
        {{10, -10}, 0.15f, {101, 99}},   // 1.5 and -1.5 lose their halves toward zero
        {{-6, 6}, 0.5f, {97, 103}},
        {{1000, 0}, 0.0f, {100, 100}},
    };
    for (const auto& c : cases) {
        POINT p = c.offset;
        U_NAV_vConvertMMToRadarPixelNoRotation(&p, &centre, c.f);
        EXPECT_EQ(p.x, c.pixel.x) << c.offset.x;
        EXPECT_EQ(p.y, c.pixel.y) << c.offset.x;
    }

    std::mt19937_64 rng(234);
    for (int i = 0; i < 100000; ++i) {
        const float f = (float)logUniform(rng, 1e-4, 10);
        const S32 L = (S32)(800 / f);
        const POINT o = {uniform(rng, -L, L), uniform(rng, -L, L)};
        const GP_ROTCONTEXT rc = rotation(std::uniform_real_distribution<double>(-180, 180)(rng));
        POINT p = o;
        U_NAV_vConvertMMToRadarPixel(&p, &rc, &centre, f);
        double xr, yr;
        rotateExact(rc, o.x, o.y, &xr, &yr);
        const double tol = 1 + 0.71 * f + 1e-4;
        ASSERT_LE(std::fabs(p.x - (centre.x + xr * f)), tol) << i;
        ASSERT_LE(std::fabs(p.y - (centre.y + yr * f)), tol) << i;
    }
}

} // namespace
