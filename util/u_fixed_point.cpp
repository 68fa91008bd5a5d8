// 16.16 fixed-point trigonometry and square roots.
//
// The sine table covers a quarter wave in steps of 1/16 degree; other angles
// are reflected into it. Square roots are the shift-and-subtract integer
// root. The table is computed at compile time from a series, so the running
// code stays free of floating point.
#include "util/u_fixed_point.h"

namespace {

constexpr U32 kDeg90 = 0x5A0000;
constexpr U32 kDeg180 = 0xB40000;
constexpr U32 kDeg360 = 0x1680000;

constexpr long double kPi = 3.141592653589793238462643383279502884L;

constexpr long double seriesSine(long double x)
{
    long double term = x;
    long double sum = x;
    for (int k = 1; k < 30; ++k) {
        term = -term * x * x / static_cast<long double>((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

constexpr std::array<FIXED_POINT, FIXED_POINT_SIN_ENTRIES> makeSineTable()
{
    std::array<FIXED_POINT, FIXED_POINT_SIN_ENTRIES> table = {};
    for (int i = 0; i < FIXED_POINT_SIN_ENTRIES; ++i) {
        long double radians = static_cast<long double>(i) / 16.0L * kPi / 180.0L;
        table[i] = static_cast<FIXED_POINT>(seriesSine(radians) * 65536.0L + 0.5L);
    }
    return table;
}


U32 isqrt64(U64 value)
{
    U64 rest = value;
    U64 root = 0;
    U64 bit = static_cast<U64>(1) << 62;
    while (bit > rest) {
        bit >>= 2;
    }
    while (bit != 0) {
        if (rest >= root + bit) {
            rest -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return static_cast<U32>(root);
}

U64 square(FIXED_POINT v)
{
    S64 w = v;
    return static_cast<U64>(w * w);
}

// (a * b) >> 16 with the product in 64 bits, truncated to 32 bits.
U32 productShifted(FIXED_POINT a, FIXED_POINT b)
{
    return static_cast<U32>((static_cast<S64>(a) * b) >> 16);
}

} // namespace

constexpr std::array<FIXED_POINT, FIXED_POINT_SIN_ENTRIES> fpnSinLookupTable = makeSineTable();
static_assert(fpnSinLookupTable[0] == 0 && fpnSinLookupTable[480] == 0x8000 && fpnSinLookupTable[1440] == 0x10000);

FIXED_POINT U_FIXED_POINT_fpnSin(FIXED_POINT fpnAngle)
{
    bool negate = fpnAngle < 0;
    // The magnitude in 32 unsigned bits also holds that of the most negative angle.
    U32 a = negate ? 0u - static_cast<U32>(fpnAngle) : static_cast<U32>(fpnAngle);
    while (a > kDeg360) {
        a -= kDeg360;
    }
    U32 tableAngle;
    if (a < kDeg180) {
        tableAngle = a <= kDeg90 ? a : kDeg180 - a;
    } else {
        negate = !negate;
        tableAngle = a - kDeg180;
        if (tableAngle > kDeg90) {
            tableAngle = kDeg360 - a;
        }
    }
    FIXED_POINT value = fpnSinLookupTable[(tableAngle + 2048) >> 12];
    return negate ? -value : value;
}

FIXED_POINT U_FIXED_POINT_fpnCos(FIXED_POINT fpnAngle)
{
    // The 32-bit sum wraps as the unit's arithmetic does.
    return U_FIXED_POINT_fpnSin(static_cast<FIXED_POINT>(static_cast<U32>(fpnAngle) + kDeg90));
}

FIXED_POINT U_FIXED_POINT_fpnSqrt(FIXED_POINT fpnValue)
{
    if (fpnValue <= 0) {
        return 0;
    }
    return static_cast<FIXED_POINT>(isqrt64(static_cast<U32>(fpnValue)) << 8);
}

FIXED_POINT U_FIXED_POINT_fpnVectorLength(const VECTOR_3D* pVector)
{
    // Each square is below 2^62, so the sum of three fits 64 unsigned bits.
    U64 sum = square(pVector->x) + square(pVector->y) + square(pVector->z);
    return static_cast<FIXED_POINT>(isqrt64(sum));
}

void U_FIXED_POINT_vNormalizedCrossProduct(VECTOR_3D* pResult, const VECTOR_3D* pLeft, const VECTOR_3D* pRight)
{
    // All of the product is formed before the result is written, so the
    // result may share storage with an operand.
    VECTOR_3D c;
    c.x = static_cast<FIXED_POINT>(productShifted(pLeft->y, pRight->z) - productShifted(pLeft->z, pRight->y));
    c.y = static_cast<FIXED_POINT>(productShifted(pLeft->z, pRight->x) - productShifted(pLeft->x, pRight->z));
    c.z = static_cast<FIXED_POINT>(productShifted(pLeft->x, pRight->y) - productShifted(pLeft->y, pRight->x));
    U32 length = static_cast<U32>(U_FIXED_POINT_fpnVectorLength(&c));
    if (length != 0) {
        S64 l = length;
        c.x = static_cast<FIXED_POINT>(static_cast<S64>(c.x) * 65536 / l);
        c.y = static_cast<FIXED_POINT>(static_cast<S64>(c.y) * 65536 / l);
        c.z = static_cast<FIXED_POINT>(static_cast<S64>(c.z) * 65536 / l);
    }
    *pResult = c;
}
