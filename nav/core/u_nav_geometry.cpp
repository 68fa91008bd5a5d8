// The navigation geometry (see the header).
//
// The painters keep their offsets small (they clip to +-800 pixels before
// converting), so every result below is exact integer arithmetic within
// those ranges. Outside them the functions still return without undefined
// behaviour: products that could leave 64 bits (the perspective division,
// the crossing's cross products) are taken in 128 bits, and results are cut
// to 32 bits only at the end. A rotation context is trusted to hold sine and
// cosine within +-1024, as gr_SetRotationAngle leaves them.
#include "nav/core/u_nav_geometry.h"

#include <bit>

// Types -----------------------------------------------------------------------

typedef __int128 S128;
typedef unsigned __int128 U128;

// Constants ---------------------------------------------------------------

namespace {

// round(65536 * sin k) for k = 0..90 degrees.
constexpr S32 anSinTable[91] = {
    0, 1144, 2287, 3430, 4572, 5712, 6850, 7987, 9121, 10252,
    11380, 12505, 13626, 14742, 15855, 16962, 18064, 19161, 20252, 21336,
    22415, 23486, 24550, 25607, 26656, 27697, 28729, 29753, 30767, 31772,
    32768, 33754, 34729, 35693, 36647, 37590, 38521, 39441, 40348, 41243,
    42126, 42995, 43852, 44695, 45525, 46341, 47143, 47930, 48703, 49461,
    50203, 50931, 51643, 52339, 53020, 53684, 54332, 54963, 55578, 56175,
    56756, 57319, 57865, 58393, 58903, 59396, 59870, 60326, 60764, 61183,
    61584, 61966, 62328, 62672, 62997, 63303, 63589, 63856, 64104, 64332,
    64540, 64729, 64898, 65048, 65177, 65287, 65376, 65446, 65496, 65526,
    65536,
};

// Mercator metres per 1024 true metres, one entry per band of 65536 Mercator
// metres of |y| (band 0 centred on the equator). The secant of the latitude
// shaped to the unit's calibration rows 1019 (equator), 1033, 1076, 1149,
// 1253, 1568, 2055, 2767, 3781, 5208 and 7129 (bands 0, 16, 32, 48, 64, 96,
// 128, 160, 192, 224, 255); rising with the band throughout.
constexpr U16 au16ScalingMMPerKm[256] = {
    1019, 1019, 1019, 1019, 1019, 1020, 1021, 1021, 1022, 1023, 1024, 1025, 1027, 1028, 1030, 1031,
    1033, 1035, 1037, 1039, 1041, 1043, 1046, 1048, 1051, 1054, 1057, 1059, 1063, 1066, 1069, 1072,
    1076, 1080, 1083, 1087, 1091, 1096, 1100, 1104, 1109, 1113, 1118, 1123, 1128, 1133, 1138, 1144,
    1149, 1155, 1160, 1166, 1172, 1178, 1184, 1190, 1197, 1203, 1210, 1217, 1224, 1231, 1238, 1246,
    1253, 1261, 1268, 1276, 1284, 1292, 1301, 1309, 1318, 1326, 1335, 1344, 1353, 1363, 1372, 1382,
    1391, 1401, 1411, 1421, 1432, 1442, 1453, 1464, 1475, 1486, 1497, 1508, 1520, 1532, 1544, 1556,
    1568, 1580, 1593, 1606, 1619, 1632, 1645, 1658, 1672, 1686, 1699, 1714, 1728, 1742, 1757, 1772,
    1787, 1802, 1818, 1833, 1849, 1865, 1881, 1898, 1914, 1931, 1948, 1966, 1983, 2001, 2019, 2037,
    2055, 2073, 2092, 2111, 2130, 2150, 2169, 2189, 2209, 2230, 2250, 2271, 2292, 2313, 2335, 2356,
    2378, 2401, 2423, 2446, 2469, 2492, 2516, 2540, 2564, 2588, 2613, 2638, 2663, 2689, 2715, 2741,
    2767, 2794, 2821, 2848, 2875, 2903, 2931, 2960, 2988, 3017, 3047, 3077, 3107, 3137, 3168, 3199,
    3230, 3262, 3294, 3326, 3359, 3392, 3426, 3459, 3494, 3528, 3563, 3599, 3634, 3670, 3707, 3744,
    3781, 3819, 3857, 3895, 3934, 3973, 4013, 4053, 4094, 4135, 4176, 4218, 4260, 4303, 4346, 4390,
    4434, 4479, 4524, 4570, 4616, 4662, 4709, 4757, 4805, 4853, 4902, 4952, 5002, 5053, 5104, 5156,
    5208, 5261, 5314, 5368, 5422, 5477, 5533, 5589, 5646, 5703, 5761, 5820, 5879, 5939, 5999, 6060,
    6122, 6184, 6247, 6311, 6375, 6440, 6506, 6572, 6639, 6707, 6776, 6845, 6915, 6985, 7057, 7129,
};

constexpr S64 PIXEL_ROUND = 0x80000;      // half of 2^20
constexpr S32 PIXEL_SHIFT = 20;
constexpr S32 PRESHIFT_HIGHWAY = 0x40000; // the perspective view's threshold
constexpr S64 RESCALE_LIMIT = (S64)1 << 47;

// The eye offset beyond which the perspective pentagon's apex (4E) leaves
// 32 bits.
constexpr S32 HIGHWAY_EYE_MAX = 0x1FFFFFFF;

} // namespace

// Static prototypes -----------------------------------------------------------

namespace {

// The rotation of (x, y), 64-bit products, rounded at the 1024 scale.
inline void vRotate(const GP_ROTCONTEXT* r, S64 x, S64 y, S64* px, S64* py)
{
    const S64 c = r->IntCosAngle;
    const S64 s = r->IntSinAngle;
    *px = (c * x - s * y + 512) >> 10;
    *py = (c * y + s * x + 512) >> 10;
}

S32 nLog2U128(U128 a)
{
    const U64 hi = (U64)(a >> 64);
    if (hi != 0)
        return 64 + (S32)std::bit_width(hi) - 1;
    const U64 lo = (U64)a;
    return lo > 1 ? (S32)std::bit_width(lo) - 1 : 0;
}

U128 u128Abs(S128 v)
{
    return v < 0 ? (U128)0 - (U128)v : (U128)v;
}

S32 s32Saturate(S128 v)
{
    if (v < (S128)INT32_MIN)
        return INT32_MIN;
    if (v > (S128)INT32_MAX)
        return INT32_MAX;
    return (S32)v;
}

// num / den (den > 0), rounded to the nearest integer with halves away from
// zero.
S128 s128DivRound(S128 num, S64 den)
{
    const U128 a = u128Abs(num);
    const U64 d = (U64)den;
    U128 q;
    U64 r;
    if ((a >> 64) == 0) {
        q = (U64)a / d;
        r = (U64)a % d;
    } else {
        q = a / d;
        r = (U64)(a % d);
    }
    if (r >= d - r)
        ++q;
    return num < 0 ? -(S128)q : (S128)q;
}

} // namespace

// Arithmetic ----------------------------------------------------------------

S32 U_NAV_nIntLog2(S32 n)
{
    const U32 a = n < 0 ? 0u - (U32)n : (U32)n;
    return a > 1 ? (S32)std::bit_width(a) - 1 : 0;
}

S32 U_NAV_nIntLog2_S64(S64 n)
{
    const U64 a = n < 0 ? 0u - (U64)n : (U64)n;
    return a > 1 ? (S32)std::bit_width(a) - 1 : 0;
}

S32 U_NAV_nIntSin(S32 nAngle)
{
    // 64 bits so that negating INT32_MIN and the cosine's +90 stay exact.
    S64 a = nAngle;
    S32 sign = 1;
    if (a < 0) {
        a = -a;
        sign = -1;
    }
    a %= 360;
    if (a > 180) {
        a -= 180;
        sign = -sign;
    }
    if (a > 90)
        a = 180 - a;
    return sign * anSinTable[a];
}

S32 U_NAV_nIntCos(S32 nAngle)
{
    // sin(a + 90) with a + 90 taken modulo 360 first, so INT32_MAX cannot wrap.
    return U_NAV_nIntSin((S32)(((S64)nAngle % 360) + 90));
}

S16 U_NAV_nHeadingDiff(U16 u16Heading1, U16 u16Heading2)
{
    S32 d = (S32)u16Heading1 - (S32)u16Heading2;
    d = ((d + 179) % 360 + 360) % 360 - 179;
    return (S16)d;
}

U16 U_NAV_nHeadingSum(U16 u16Heading, S16 s16Offset)
{
    const S32 s = (S32)u16Heading + s16Offset;
    return (U16)((s % 360 + 360) % 360);
}

U16 U_NAV_u16ScalingMMPerKm(S32 y)
{
    const U32 a = y < 0 ? 0u - (U32)y : (U32)y;
    U32 index = (U32)(((U64)a + 0x8000) >> 16);
    if (index > 255)
        index = 255;
    return au16ScalingMMPerKm[index];
}

// Segments ------------------------------------------------------------------

S32 U_NAV_s32LineSegmentIntersection(POINT pt1, POINT pt2, POINT pt3, POINT pt4, S32* pnCross)
{
    const S64 dx12 = (S64)pt2.x - pt1.x;
    const S64 dy12 = (S64)pt2.y - pt1.y;
    const S64 dx34 = (S64)pt4.x - pt3.x;
    const S64 dy34 = (S64)pt4.y - pt3.y;
    S128 cross = (S128)dx12 * dy34 - (S128)dy12 * dx34;
    if (pnCross != nullptr)
        *pnCross = s32Saturate(cross);
    if (cross == 0)
        return NAV_PARALLEL;
    S128 num = (S128)dx34 * ((S64)pt1.y - pt3.y) - (S128)dy34 * ((S64)pt1.x - pt3.x);

    const U128 aNum = u128Abs(num);
    if (aNum < (U128)RESCALE_LIMIT) {
        // num * 65536 stays below 2^63; a cross beyond 64 bits makes u 0.
        if (cross < (S128)INT64_MIN || cross > (S128)INT64_MAX)
            return 0;
        return s32Saturate(((S64)num * 65536) / (S64)cross);
    }
    // Keep 47 significant bits of num, rounding both terms alike.
    const S32 s = nLog2U128(aNum) - 46;
    if (s > nLog2U128(u128Abs(cross)))
        return ((num < 0) != (cross < 0)) ? INT32_MIN : INT32_MAX;
    const S128 half = (S128)1 << (s - 1);
    num = (num + half) >> s;
    cross = (cross + half) >> s;
    return s32Saturate((num * 65536) / cross);
}

BOOLEAN U_NAV_bDistanceLessThanOrEqual(POINT vector, S32 nThreshold)
{
    S64 a = vector.x < 0 ? -(S64)vector.x : vector.x;
    S64 b = vector.y < 0 ? -(S64)vector.y : vector.y;
    S64 t = nThreshold;
    if (a > t || b > t)
        return FALSE;
    if (a + b <= t)
        return TRUE;
    if (t >= 0x8000) {
        // Keep 15 significant bits of the threshold: the squares then fit 31.
        const S32 shift = U_NAV_nIntLog2(nThreshold) - 14;
        a >>= shift;
        b >>= shift;
        t >>= shift;
    }
    return (a * a + b * b <= t * t) ? TRUE : FALSE;
}

namespace {

constexpr S64 BOX_BEFORE_START = -1;
constexpr S64 BOX_BEYOND_END = (S64)NAV_BOX_SEGMENT_END + 1;

// The 2.30 parameter at which a coordinate moving from nStart to nEnd meets
// nLimit; FALSE when it does not move.
BOOLEAN bAxisCrossing(S32 nStart, S32 nEnd, S32 nLimit, S64* pT)
{
    if (nStart == nEnd)
        return FALSE;
    S64 t = (((S64)nLimit - nStart) * ((S64)1 << 30)) / ((S64)nEnd - nStart);
    if (t < 0)
        t = BOX_BEFORE_START;
    else if (t > NAV_BOX_SEGMENT_END)
        t = BOX_BEYOND_END;
    *pT = t;
    return TRUE;
}

BOOLEAN U_NAV_bLineSegmentXIntersection(POINT p0, POINT p1, S32 nLimit, S64* pT)
{
    return bAxisCrossing(p0.x, p1.x, nLimit, pT);
}

BOOLEAN U_NAV_bLineSegmentYIntersection(POINT p0, POINT p1, S32 nLimit, S64* pT)
{
    return bAxisCrossing(p0.y, p1.y, nLimit, pT);
}

// Narrows [*pMin, *pMax] by the crossings of one axis's two limits: moving
// up the lower limit is entered and the upper left, moving down the reverse.
void vNarrow(bool bMovingUp, S64 tLower, S64 tUpper, S64* pMin, S64* pMax)
{
    const S64 tEnter = bMovingUp ? tLower : tUpper;
    const S64 tLeave = bMovingUp ? tUpper : tLower;
    if (tEnter > *pMin)
        *pMin = tEnter;
    if (tLeave < *pMax)
        *pMax = tLeave;
}

S32 s32Clamp(S64 v, S32 nLower, S32 nUpper)
{
    if (v < nLower)
        return nLower;
    if (v > nUpper)
        return nUpper;
    return (S32)v;
}

} // namespace

void U_NAV_vClipLineToBox(POINT* p0, POINT* p1, S32 nLower, S32 nUpper)
{
    if (p0 == nullptr || p1 == nullptr)
        return;
    const POINT a = *p0;
    const POINT b = *p1;
    // Both ends inside: every crossing lies outside [0, 1], nothing changes.
    // Most segments a painter draws are of this kind.
    if (a.x >= nLower && a.x <= nUpper && a.y >= nLower && a.y <= nUpper && b.x >= nLower && b.x <= nUpper &&
        b.y >= nLower && b.y <= nUpper)
        return;
    S64 tMin = 0;
    S64 tMax = NAV_BOX_SEGMENT_END;
    S64 tLower;
    S64 tUpper;
    if (U_NAV_bLineSegmentXIntersection(a, b, nLower, &tLower) &&
        U_NAV_bLineSegmentXIntersection(a, b, nUpper, &tUpper))
        vNarrow(b.x > a.x, tLower, tUpper, &tMin, &tMax);
    if (U_NAV_bLineSegmentYIntersection(a, b, nLower, &tLower) &&
        U_NAV_bLineSegmentYIntersection(a, b, nUpper, &tUpper))
        vNarrow(b.y > a.y, tLower, tUpper, &tMin, &tMax);

    const S64 dx = (S64)b.x - a.x;
    const S64 dy = (S64)b.y - a.y;
    // One step of the parameter inward, then floor: the new ends land on
    // the inner side of the crossings they replace.
    S64 x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
    if (tMin > 0) {
        x0 = a.x + (((tMin + 1) * dx) >> 30);
        y0 = a.y + (((tMin + 1) * dy) >> 30);
    }
    if (tMax < NAV_BOX_SEGMENT_END) {
        x1 = a.x + (((tMax - 1) * dx) >> 30);
        y1 = a.y + (((tMax - 1) * dy) >> 30);
    }
    p0->x = s32Clamp(x0, nLower, nUpper);
    p0->y = s32Clamp(y0, nLower, nUpper);
    p1->x = s32Clamp(x1, nLower, nUpper);
    p1->y = s32Clamp(y1, nLower, nUpper);
}

// Rotation --------------------------------------------------------------------

void U_NAV_vRotatePoint(const GP_ROTCONTEXT* pRot, const POINT* pBefore, POINT* pAfter)
{
    if (pRot == nullptr || pBefore == nullptr || pAfter == nullptr)
        return;
    S64 x, y;
    vRotate(pRot, pBefore->x, pBefore->y, &x, &y);
    pAfter->x = (S32)x;
    pAfter->y = (S32)y;
}

// Conversions to pixels -------------------------------------------------------

void U_NAV_vConvertMMToHighwayViewPixel(POINT* pOffset, S32 nAltitude, const GP_ROTCONTEXT* pRot,
                                        const POINT* pCenterOffset, S32 nPixelsPerMMM, S32 nEyeOffsetMM)
{
    if (pOffset == nullptr || pCenterOffset == nullptr)
        return;
    S64 x = pOffset->x;
    S64 y = pOffset->y;
    S64 a = nAltitude;
    S64 e = nEyeOffsetMM;
    S64 n = nPixelsPerMMM;
    if (n > PRESHIFT_HIGHWAY) {
        x *= 16;
        y *= 16;
        a *= 16;
        e *= 16;
        n >>= 4;
    }
    if (pRot != nullptr)
        vRotate(pRot, x, y, &x, &y);
    if (y <= -e) {
        // At or behind the eye: nothing to project.
        pOffset->x = 0;
        pOffset->y = 0;
        return;
    }
    const S64 d = e + y;
    const S128 px = s128DivRound((S128)e * x, d);
    const S128 py = s128DivRound((S128)e * (a - e / 2), d);
    pOffset->x = (S32)(((px * n + PIXEL_ROUND) >> PIXEL_SHIFT) + pCenterOffset->x);
    pOffset->y = (S32)(((py * n + PIXEL_ROUND) >> PIXEL_SHIFT) + pCenterOffset->y);
}

namespace {

// One border line of the perspective pentagon, from a to b; a segment
// crossing it with a cross product of sign nEnter enters the region.
struct HIGHWAY_LINE {
    POINT a;
    POINT b;
    S32 nEnter;
};

// TRUE when p lies strictly on the region's side of a line it runs
// parallel to. The region lies to the left of a->b when entering is a
// negative cross product, to the right when positive.
bool bInsideOf(const HIGHWAY_LINE& l, POINT p)
{
    const S128 side = (S128)((S64)l.b.x - l.a.x) * ((S64)p.y - l.a.y) -
                      (S128)((S64)l.b.y - l.a.y) * ((S64)p.x - l.a.x);
    return l.nEnter < 0 ? side > 0 : side < 0;
}

} // namespace

BOOLEAN U_NAV_bClipLineToHighwayView(POINT* p0, POINT* p1, const GP_ROTCONTEXT* pRot, S32 nEyeOffsetMM)
{
    if (p0 == nullptr || p1 == nullptr || nEyeOffsetMM <= 0 || nEyeOffsetMM > HIGHWAY_EYE_MAX)
        return FALSE;
    const S32 e = nEyeOffsetMM;
    POINT r0 = *p0;
    POINT r1 = *p1;
    if (pRot != nullptr) {
        U_NAV_vRotatePoint(pRot, p0, &r0);
        U_NAV_vRotatePoint(pRot, p1, &r1);
    }
    const POINT eye = {0, -e};
    const POINT nearLeft = {-(e / 4), -(e / 2)};
    const POINT nearRight = {e / 4, -(e / 2)};
    const POINT roofLeft = {(S32)(-2220 * (S64)e / 1024), (S32)(3415 * (S64)e / 1024)};
    const POINT roofRight = {(S32)(2220 * (S64)e / 1024), (S32)(3415 * (S64)e / 1024)};
    const POINT apex = {0, 4 * e};
    const HIGHWAY_LINE aLines[5] = {
        {eye, nearRight, -1},     // right side
        {eye, nearLeft, 1},       // left side
        {nearLeft, nearRight, -1}, // near line
        {roofLeft, apex, 1},      // left roof
        {apex, roofRight, 1},     // right roof
    };

    S32 u0 = 0;
    S32 u1 = NAV_SEGMENT_END;
    for (const HIGHWAY_LINE& l : aLines) {
        S32 nCross;
        const S32 u = U_NAV_s32LineSegmentIntersection(r0, r1, l.a, l.b, &nCross);
        if (nCross == 0) {
            // Parallel: the segment lies wholly on one side of this line.
            if (!bInsideOf(l, r0))
                return FALSE;
            continue;
        }
        if ((nCross < 0) == (l.nEnter < 0)) {
            if (u > u0)
                u0 = u;
        } else if (u < u1) {
            u1 = u;
        }
        if (u0 >= u1)
            return FALSE;
    }

    // One step of the parameter inward, on the unrotated segment.
    const POINT a = *p0;
    const S64 dx = (S64)p1->x - a.x;
    const S64 dy = (S64)p1->y - a.y;
    if (u0 > 0) {
        p0->x = (S32)(a.x + (((S64)(u0 + 1) * dx) >> 16));
        p0->y = (S32)(a.y + (((S64)(u0 + 1) * dy) >> 16));
    }
    if (u1 < NAV_SEGMENT_END) {
        p1->x = (S32)(a.x + (((S64)(u1 - 1) * dx) >> 16));
        p1->y = (S32)(a.y + (((S64)(u1 - 1) * dy) >> 16));
    }
    return TRUE;
}

namespace {

// (int)v for a float, with values beyond S32 held at its ends.
S32 s32Truncate(float v)
{
    if (v != v)
        return 0;
    if (v >= 2147483648.0f)
        return INT32_MAX;
    if (v < -2147483648.0f)
        return INT32_MIN;
    return (S32)v;
}

} // namespace

void U_NAV_vConvertMMToRadarPixel(POINT* pOffset, const GP_ROTCONTEXT* pRot, const POINT* pCenterOffset,
                                  float fPixelsPerMM)
{
    if (pOffset == nullptr || pCenterOffset == nullptr)
        return;
    POINT r = *pOffset;
    if (pRot != nullptr)
        U_NAV_vRotatePoint(pRot, pOffset, &r);
    pOffset->x = (S32)((S64)s32Truncate((float)r.x * fPixelsPerMM) + pCenterOffset->x);
    pOffset->y = (S32)((S64)s32Truncate((float)r.y * fPixelsPerMM) + pCenterOffset->y);
}

void U_NAV_vConvertMMToRadarPixelNoRotation(POINT* pOffset, const POINT* pCenterOffset, float fPixelsPerMM)
{
    U_NAV_vConvertMMToRadarPixel(pOffset, nullptr, pCenterOffset, fPixelsPerMM);
}
