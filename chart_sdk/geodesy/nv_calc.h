// Navigation arithmetic on the chart plane: rhumb-line course, range and
// bearing, time to go, the position at a distance and bearing, a square
// around a point and a fuel estimate.
#pragma once

#include "chart_sdk/geodesy/nv_conv.h"

typedef struct tag_TIME_TO_GO {
    S32 hours;
    U8 minutes;
    U8 seconds;
} TIME_TO_GO;

typedef struct tag_RNG_BRG {
    double range;   // nautical miles
    double bearing; // degrees, corrected by the variation given
} RNG_BRG;

// Course clockwise from north, 0 <= course < 360, taking the shorter way
// round the globe.
ERRORCODE nv_RouteAngle(const POINT* from, const POINT* to, double* course);
ERRORCODE nv_GeoRouteAngle(const POSITION* from, const POSITION* to, double* course);
ERRORCODE nv_CalcRngBrg(const POINT* from, const POINT* to, double variation, RNG_BRG* out);
ERRORCODE nv_CalcTimeToGo(const double* distance, double speed, TIME_TO_GO* out);
ERRORCODE nv_PolarToGeographic(POINT origin, double distance, double bearing, POINT* out);
ERRORCODE nv_CenteredSquare(POINT centre, double halfSide, POINT* lowerLeft, POINT* upperRight);
ERRORCODE nv_DieselConsumption(double distance, double speed, double rate, double* out);
