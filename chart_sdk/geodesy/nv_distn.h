// Rhumb-line distance between two positions and the latitude correction
// table of the chart scale.
#pragma once

#include "chart_sdk/geodesy/nv_conv.h"

// Latitude correction factor for whole degrees 0..87; only 0..80 are read.
extern const double KlatTable[88];

// Distance in nautical miles along the rhumb line of the given course.
ERRORCODE nv_CalcDistance(const POSITION* from, const POSITION* to, double course, double* distance);
ERRORCODE nv_DistCorrection(double latitude, double* out);
