// World Magnetic Model 2015: the spherical-harmonic main field to degree and
// order 12 with its linear secular variation, summed as in the model's
// reference program.
//
// The coefficients are kept as published (Schmidt semi-normalised) and
// multiplied by the normalisation factors once, on first use, into the
// tables c and cd of the reference program: g(n,m) in c[m][n] and h(n,m) in
// c[n][m-1]. Everything per call lives on the stack, so any task may call it.
#include "util/magvar.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kSize = WMM_MAX_DEGREE + 1;

// WGS 84 ellipsoid in kilometres and the model's reference radius.
constexpr double kA2 = 40680631.59076899;        // a^2
constexpr double kB2 = 40408299.98408706;        // b^2
constexpr double kC2 = 272331.6066819355;        // a^2 - b^2
constexpr double kA4 = 1654913786623872.3;       // a^4
constexpr double kC4 = 22083079019902.25;        // a^4 - b^4
constexpr double kReferenceRadius = 6371.2;
constexpr double kDegToRad = 0.017453292519944444;
constexpr double kRadToDeg = 57.29577951307855;
constexpr double kYearsPerSecond = 3.168876464081849e-8; // years of 365.2422 days
constexpr double kEpochYearsSince1970 = 45.0;
constexpr double kModelLifeYears = 5.0;

struct Model {
    double c[kSize][kSize];  // normalised main field
    double cd[kSize][kSize]; // normalised secular variation
    double k[kSize][kSize];  // recursion factors of the Legendre functions
    double fn[kSize];
    double fm[kSize];
};

Model buildModel()
{
    Model md = {};
    for (const WMM_COEFFICIENT& co : WMM2015_Coefficients) {
        md.c[co.m][co.n] = co.g;
        md.cd[co.m][co.n] = co.gDot;
        if (co.m != 0) {
            md.c[co.n][co.m - 1] = co.h;
            md.cd[co.n][co.m - 1] = co.hDot;
        }
    }
    // Schmidt semi-normalised to unnormalised coefficients.
    double snorm[kSize][kSize] = {}; // [m][n]
    snorm[0][0] = 1.0;
    for (int n = 1; n <= WMM_MAX_DEGREE; ++n) {
        snorm[0][n] = snorm[0][n - 1] * static_cast<double>(2 * n - 1) / static_cast<double>(n);
        int j = 2;
        for (int m = 0; m <= n; ++m) {
            md.k[m][n] = static_cast<double>((n - 1) * (n - 1) - m * m) / static_cast<double>((2 * n - 1) * (2 * n - 3));
            if (m > 0) {
                double flnmj = static_cast<double>((n - m + 1) * j) / static_cast<double>(n + m);
                snorm[m][n] = snorm[m - 1][n] * std::sqrt(flnmj);
                j = 1;
                md.c[n][m - 1] *= snorm[m][n];
                md.cd[n][m - 1] *= snorm[m][n];
            }
            md.c[m][n] *= snorm[m][n];
            md.cd[m][n] *= snorm[m][n];
        }
        md.fn[n] = n + 1;
        md.fm[n] = n;
    }
    md.k[1][1] = 0.0;
    return md;
}

const Model& model()
{
    static const Model md = buildModel();
    return md;
}

} // namespace

// Published coefficients of WMM2015: n, m, g, h (nT), g dot, h dot (nT per year).
const WMM_COEFFICIENT WMM2015_Coefficients[WMM_COEFFICIENT_COUNT] = {
    { 1,  0,  -29438.5,       0.0,  10.7,   0.0},
    { 1,  1,   -1501.1,    4796.2,  17.9, -26.8},
    { 2,  0,   -2445.3,       0.0,  -8.6,   0.0},
    { 2,  1,    3012.5,   -2845.6,  -3.3, -27.1},
    { 2,  2,    1676.6,    -642.0,   2.4, -13.3},
    { 3,  0,    1351.1,       0.0,   3.1,   0.0},
    { 3,  1,   -2352.3,    -115.3,  -6.2,   8.4},
    { 3,  2,    1225.6,     245.0,  -0.4,  -0.4},
    { 3,  3,     581.9,    -538.3, -10.4,   2.3},
    { 4,  0,     907.2,       0.0,  -0.4,   0.0},
    { 4,  1,     813.7,     283.4,   0.8,  -0.6},
    { 4,  2,     120.3,    -188.6,  -9.2,   5.3},
    { 4,  3,    -335.0,     180.9,   4.0,   3.0},
    { 4,  4,      70.3,    -329.5,  -4.2,  -5.3},
    { 5,  0,    -232.6,       0.0,  -0.2,   0.0},
    { 5,  1,     360.1,      47.4,   0.1,   0.4},
    { 5,  2,     192.4,     196.9,  -1.4,   1.6},
    { 5,  3,    -141.0,    -119.4,   0.0,  -1.1},
    { 5,  4,    -157.4,      16.1,   1.3,   3.3},
    { 5,  5,       4.3,     100.1,   3.8,   0.1},
    { 6,  0,      69.5,       0.0,  -0.5,   0.0},
    { 6,  1,      67.4,     -20.7,  -0.2,   0.0},
    { 6,  2,      72.8,      33.2,  -0.6,  -2.2},
    { 6,  3,    -129.8,      58.8,   2.4,  -0.7},
    { 6,  4,     -29.0,     -66.5,  -1.1,   0.1},
    { 6,  5,      13.2,       7.3,   0.3,   1.0},
    { 6,  6,     -70.9,      62.5,   1.5,   1.3},
    { 7,  0,      81.6,       0.0,   0.2,   0.0},
    { 7,  1,     -76.1,     -54.1,  -0.2,   0.7},
    { 7,  2,      -6.8,     -19.4,  -0.4,   0.5},
    { 7,  3,      51.9,       5.6,   1.3,  -0.2},
    { 7,  4,      15.0,      24.4,   0.2,  -0.1},
    { 7,  5,       9.3,       3.3,  -0.4,  -0.7},
    { 7,  6,      -2.8,     -27.5,  -0.9,   0.1},
    { 7,  7,       6.7,      -2.3,   0.3,   0.1},
    { 8,  0,      24.0,       0.0,   0.0,   0.0},
    { 8,  1,       8.6,      10.2,   0.1,  -0.3},
    { 8,  2,     -16.9,     -18.1,  -0.5,   0.3},
    { 8,  3,      -3.2,      13.2,   0.5,   0.3},
    { 8,  4,     -20.6,     -14.6,  -0.2,   0.6},
    { 8,  5,      13.3,      16.2,   0.4,  -0.1},
    { 8,  6,      11.7,       5.7,   0.2,  -0.2},
    { 8,  7,     -16.0,      -9.1,  -0.4,   0.3},
    { 8,  8,      -2.0,       2.2,   0.3,   0.0},
    { 9,  0,       5.4,       0.0,   0.0,   0.0},
    { 9,  1,       8.8,     -21.6,  -0.1,  -0.2},
    { 9,  2,       3.1,      10.8,  -0.1,  -0.1},
    { 9,  3,      -3.1,      11.7,   0.4,  -0.2},
    { 9,  4,       0.6,      -6.8,  -0.5,   0.1},
    { 9,  5,     -13.3,      -6.9,  -0.2,   0.1},
    { 9,  6,      -0.1,       7.8,   0.1,   0.0},
    { 9,  7,       8.7,       1.0,   0.0,  -0.2},
    { 9,  8,      -9.1,      -3.9,  -0.2,   0.4},
    { 9,  9,     -10.5,       8.5,  -0.1,   0.3},
    {10,  0,      -1.9,       0.0,   0.0,   0.0},
    {10,  1,      -6.5,       3.3,   0.0,   0.1},
    {10,  2,       0.2,      -0.3,  -0.1,  -0.1},
    {10,  3,       0.6,       4.6,   0.3,   0.0},
    {10,  4,      -0.6,       4.4,  -0.1,   0.0},
    {10,  5,       1.7,      -7.9,  -0.1,  -0.2},
    {10,  6,      -0.7,      -0.6,  -0.1,   0.1},
    {10,  7,       2.1,      -4.1,   0.0,  -0.1},
    {10,  8,       2.3,      -2.8,  -0.2,  -0.2},
    {10,  9,      -1.8,      -1.1,  -0.1,   0.1},
    {10, 10,      -3.6,      -8.7,  -0.2,  -0.1},
    {11,  0,       3.1,       0.0,   0.0,   0.0},
    {11,  1,      -1.5,      -0.1,   0.0,   0.0},
    {11,  2,      -2.3,       2.1,  -0.1,   0.1},
    {11,  3,       2.1,      -0.7,   0.1,   0.0},
    {11,  4,      -0.9,      -1.1,   0.0,   0.1},
    {11,  5,       0.6,       0.7,   0.0,   0.0},
    {11,  6,      -0.7,      -0.2,   0.0,   0.0},
    {11,  7,       0.2,      -2.1,   0.0,   0.1},
    {11,  8,       1.7,      -1.5,   0.0,   0.0},
    {11,  9,      -0.2,      -2.5,   0.0,  -0.1},
    {11, 10,       0.4,      -2.0,  -0.1,   0.0},
    {11, 11,       3.5,      -2.3,  -0.1,  -0.1},
    {12,  0,      -2.0,       0.0,   0.1,   0.0},
    {12,  1,      -0.3,      -1.0,   0.0,   0.0},
    {12,  2,       0.4,       0.5,   0.0,   0.0},
    {12,  3,       1.3,       1.8,   0.1,  -0.1},
    {12,  4,      -0.9,      -2.2,  -0.1,   0.0},
    {12,  5,       0.9,       0.3,   0.0,   0.0},
    {12,  6,       0.1,       0.7,   0.1,   0.0},
    {12,  7,       0.5,      -0.1,   0.0,   0.0},
    {12,  8,      -0.4,       0.3,   0.0,   0.0},
    {12,  9,      -0.4,       0.2,   0.0,   0.0},
    {12, 10,       0.2,      -0.9,   0.0,   0.0},
    {12, 11,      -0.9,      -0.2,   0.0,   0.0},
    {12, 12,       0.0,       0.7,   0.0,   0.0},
};

double dMagneticVariation(double alt, double lat, double lon, U32 u32time)
{
    // Only points on the globe: the series would sum to a plausible-looking
    // value past a pole, and to NaN from a NaN without saying why.
    if (!std::isfinite(alt) || !std::isfinite(lat) || !std::isfinite(lon) || lat < -90.0 || lat > 90.0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    // Keeps the angle exact for longitudes many turns away.
    lon = std::remainder(lon, 360.0);
    const Model& md = model();
    double dt = u32time * kYearsPerSecond - kEpochYearsSince1970;
    if (dt < 0.0) {
        dt = 0.0;
    } else if (dt > kModelLifeYears) {
        dt = kModelLifeYears;
    }

    double rlon = lon * kDegToRad;
    double rlat = lat * kDegToRad;
    double srlon = std::sin(rlon);
    double crlon = std::cos(rlon);
    double srlat = std::sin(rlat);
    double crlat = std::cos(rlat);
    double srlat2 = srlat * srlat;
    double crlat2 = crlat * crlat;

    // Geodetic to spherical coordinates.
    double q = std::sqrt(kA2 - kC2 * srlat2);
    double q1 = alt * q;
    double q2 = ((q1 + kA2) / (q1 + kB2)) * ((q1 + kA2) / (q1 + kB2));
    double ct = srlat / std::sqrt(q2 * crlat2 + srlat2);
    double st = std::sqrt(1.0 - ct * ct);
    double r2 = alt * alt + 2.0 * q1 + (kA4 - kC4 * srlat2) / (q * q);
    double r = std::sqrt(r2);
    double d = std::sqrt(kA2 * crlat2 + kB2 * srlat2);
    double ca = (alt + d) / r;
    double sa = kC2 * crlat * srlat / (r * d);

    double sp[kSize] = {};
    double cp[kSize] = {};
    sp[1] = srlon;
    cp[0] = 1.0;
    cp[1] = crlon;
    for (int m = 2; m <= WMM_MAX_DEGREE; ++m) {
        sp[m] = sp[1] * cp[m - 1] + cp[1] * sp[m - 1];
        cp[m] = cp[1] * cp[m - 1] - sp[1] * sp[m - 1];
    }

    double p[kSize][kSize] = {};  // [m][n] unnormalised associated Legendre functions
    double dp[kSize][kSize] = {}; // their derivatives
    double pp[kSize] = {};        // the polar recursion for the eastward component
    p[0][0] = 1.0;
    pp[0] = 1.0;

    double aor = kReferenceRadius / r;
    double ar = aor * aor;
    double br = 0.0;
    double bt = 0.0;
    double bp = 0.0;
    double bpp = 0.0;
    for (int n = 1; n <= WMM_MAX_DEGREE; ++n) {
        ar *= aor;
        for (int m = 0; m <= n; ++m) {
            if (n == m) {
                p[m][n] = st * p[m - 1][n - 1];
                dp[m][n] = st * dp[m - 1][n - 1] + ct * p[m - 1][n - 1];
            } else if (n == 1 && m == 0) {
                p[m][n] = ct * p[m][n - 1];
                dp[m][n] = ct * dp[m][n - 1] - st * p[m][n - 1];
            } else {
                // p[m][n-2] is zero for m = n - 1 (never set).
                p[m][n] = ct * p[m][n - 1] - md.k[m][n] * p[m][n - 2];
                dp[m][n] = ct * dp[m][n - 1] - st * p[m][n - 1] - md.k[m][n] * dp[m][n - 2];
            }

            double gnm = md.c[m][n] + dt * md.cd[m][n];
            double hnm = m != 0 ? md.c[n][m - 1] + dt * md.cd[n][m - 1] : 0.0;
            double par = ar * p[m][n];
            double temp1 = gnm * cp[m] + hnm * sp[m];
            double temp2 = gnm * sp[m] - hnm * cp[m];
            bt -= ar * temp1 * dp[m][n];
            bp += md.fm[m] * temp2 * par;
            br += md.fn[n] * temp1 * par;

            // At a geographic pole the eastward component needs its own recursion.
            if (st == 0.0 && m == 1) {
                pp[n] = n == 1 ? pp[n - 1] : ct * pp[n - 1] - md.k[m][n] * pp[n - 2];
                bpp += md.fm[m] * temp2 * ar * pp[n];
            }
        }
    }
    bp = st == 0.0 ? bpp : bp / st;

    // Spherical to geodetic components: north and east.
    double bx = -bt * ca - br * sa;
    double by = bp;
    return std::atan2(by, bx) * kRadToDeg;
}
