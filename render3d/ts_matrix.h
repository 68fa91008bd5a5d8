// 16.16 fixed-point 4x4 matrices of the 3D pipeline.
//
// Elements are 16.16 values (1.0 = 0x10000) held in 64-bit integers so that
// products and their sums stay exact until they are shifted back. Points are
// row vectors: p' = p x M, the translation lives in row 3 and the homogeneous
// w comes from column 3. Angles keep only their low 18 bits: 0x40000 is a
// full turn, 0x10000 a right angle. No operation allocates or fails.
#pragma once

#include "kernel/l_types.h"

typedef struct _tsMatrix {
    S64 m[4][4]; // m[row][column], 16.16
} tsMatrix;

// Sine and cosine scaled so that 1.0 = 2^30; shift right by 14 for 16.16.
typedef struct {
    S32 sin;
    S32 cos;
} TrigRec;

constexpr int TS_SINTAB_ENTRIES = 1025;
// A quarter wave in 2.14 (16384 = 1.0): entry i is 16384 x sin(i x 90 / 1023
// degrees) truncated; entry 1024 repeats 1.0 for the mirrored quadrants.
extern const S16 SinTab[TS_SINTAB_ENTRIES];

void tsMatrix_Trig(S32 angle, TrigRec* trig);
// Camera transform: p -> (p + centre) turned by the yaw about the vertical
// (second) axis, then by the pitch about the first axis. roll has no effect.
void tsMatrix_Set(tsMatrix* matrix, S32 yaw, S32 pitch, S32 roll, const S32* centre);
void tsMatrix_Identity(tsMatrix* matrix);
// m0 = m2 x m1: a point is transformed by m2 first, then by m1.
void tsMatrix_Multiply(tsMatrix* m0, const tsMatrix* m1, const tsMatrix* m2);
// Perspective projection: fov is the full vertical angle in degrees, aspect
// width / height, zn and zf the near and far planes.
void tsMatrix_SetFOV(tsMatrix* matrix, float fov, float aspect, float zn, float zf);
// Adds (x, y, z) to row 3 (no multiplication).
void tsMatrix_Translatex(tsMatrix* matrix, S32 x, S32 y, S32 z);
void tsMatrix_ToFloat(float* dst, const tsMatrix* matrix);
void tsMatrix_ToFix(S32* dst, const tsMatrix* matrix);
