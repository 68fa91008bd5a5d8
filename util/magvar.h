// Magnetic variation (declination) from the World Magnetic Model 2015.
#pragma once

#include "kernel/l_types.h"

// One coefficient row of the model as published: degree n, order m, the
// main field g and h (nT) at epoch 2015.0 and their yearly changes.
typedef struct tag_WMM_COEFFICIENT {
    S32 n;
    S32 m;
    double g;
    double h;
    double gDot;
    double hDot;
} WMM_COEFFICIENT;

constexpr int WMM_MAX_DEGREE = 12;
constexpr int WMM_COEFFICIENT_COUNT = 90;
extern const WMM_COEFFICIENT WMM2015_Coefficients[WMM_COEFFICIENT_COUNT];

// Declination in degrees, east positive, at alt kilometres above the WGS 84
// ellipsoid, geodetic lat and lon in degrees, at u32time seconds since
// 1970-01-01. Times before 2015.0 are taken as 2015.0 and after 2020.0 as
// 2020.0: the model is not extrapolated. Any longitude is taken modulo 360.
// NaN (the refusal) when an input is not finite or the latitude is beyond
// +-90. Safe to call from any task.
double dMagneticVariation(double alt, double lat, double lon, U32 u32time);
