// 16.16 fixed-point helpers for 3D work: table sine and cosine of angles in
// degrees, square root, the length of a vector and the normalised cross
// product. No floating point at run time.
#pragma once

#include "kernel/l_types.h"

#include <array>

typedef S32 FIXED_POINT; // 16 fraction bits: 1.0 = 0x10000; angles in degrees

typedef struct tag_POINT_3D {
    FIXED_POINT x;
    FIXED_POINT y;
    FIXED_POINT z;
} VECTOR_3D;

constexpr FIXED_POINT FIXED_POINT_ONE = 0x10000;
constexpr int FIXED_POINT_SIN_ENTRIES = 1441;
// 65536 * sin(i / 16 degree), rounded, for a quarter wave.
extern const std::array<FIXED_POINT, FIXED_POINT_SIN_ENTRIES> fpnSinLookupTable;

// Sine and cosine, to the nearest 1/16 degree.
FIXED_POINT U_FIXED_POINT_fpnSin(FIXED_POINT fpnAngle);
FIXED_POINT U_FIXED_POINT_fpnCos(FIXED_POINT fpnAngle);
// Square root with 8 significant fraction bits; 0 for values of 0 or below.
FIXED_POINT U_FIXED_POINT_fpnSqrt(FIXED_POINT fpnValue);
FIXED_POINT U_FIXED_POINT_fpnVectorLength(const VECTOR_3D* pVector);
// result = left x right scaled to length 1.0; parallel or zero vectors give
// the unscaled product (0, 0, 0). result may be one of the operands.
void U_FIXED_POINT_vNormalizedCrossProduct(VECTOR_3D* pResult, const VECTOR_3D* pLeft, const VECTOR_3D* pRight);
