// Chart geodesy: the Mercator plane every chart position lives on, and the
// conversions between it, degrees and degrees-minutes-seconds, plus angle
// normalisation and small unit conversions.
//
// A POINT is in Mercator metres on a sphere of radius 6378388 m, with the
// latitude first reduced by the factor k (an ellipsoid approximation), x
// east of Greenwich and y north of the equator. Latitudes up to 80 degrees
// convert forward, but only y within 15433198 (about 79.9 degrees) converts
// back. The routines keep no state; every one that can fail returns an
// ERRORCODE (NV_OK on success, a soft result 0x1xxxxxxx, else a hard error).
#pragma once

#include "kernel/l_types.h"

// Result of the chart libraries: 0x80000000 success, 0x10000000-0x1FFFFFFF
// soft results, below that hard errors.
typedef U32 ERRORCODE;

// Latitude and longitude in degrees, north and east positive.
typedef struct tag_position {
    double lat;
    double lon;
} POSITION;

// Degrees, minutes and seconds of both axes; minutes and seconds carry the
// sign of the value.
typedef struct tag_SEXAGESIMAL {
    double latDeg;
    double latMin;
    double latSec;
    double lonDeg;
    double lonMin;
    double lonSec;
} SEXAGESIMAL;

constexpr ERRORCODE NV_OK = 0x80000000u;
constexpr ERRORCODE NV_ERR_LATITUDE = 0x2001;     // latitude or y out of range
constexpr ERRORCODE NV_ERR_LONGITUDE = 0x2002;    // longitude or x out of range
constexpr ERRORCODE NV_ERR_POINT = 0x2003;        // a point out of range
constexpr ERRORCODE NV_ERR_DISTANCE = 0x2004;     // distance out of range
constexpr ERRORCODE NV_ERR_ANGLE = 0x2005;        // angle out of range
constexpr ERRORCODE NV_ERR_RATE = 0x2006;         // zero consumption rate
constexpr ERRORCODE NV_SOFT_SPEED = 0x10002001;   // speed too low
constexpr ERRORCODE NV_SOFT_DISTANCE = 0x10002002; // beyond 21600 nautical miles
constexpr ERRORCODE NV_SOFT_SAME_POINT = 0x10002007; // the two points coincide

// The projection and its limits.
constexpr double NV_RADIUS = 6378388.0;
constexpr double NV_METERS_PER_DEGREE = 111323.8715697006; // NV_RADIUS * pi / 180
constexpr double NV_LAT_FACTOR = 0.9932811555305968;
constexpr double NV_LAT_FACTOR_INV = 1.0067642927;
constexpr double NV_HALF_PI = 1.570796327;
constexpr double NV_PI = 3.141592654;
constexpr double NV_TWO_PI = 6.283185308;
constexpr double NV_DEG_TO_RAD = 0.017453292519944003;
constexpr double NV_RAD_TO_DEG = 57.29577951308;
constexpr double NV_HALF_DEG_TO_RAD = 0.008726646259972002;
constexpr double NV_EPSILON = 2.220446049250313e-16;
constexpr S32 NV_EQUATOR = 40076600;       // x wraps after this many metres
constexpr S32 NV_MAX_X = 20038300;
constexpr S32 NV_MAX_Y = 15433198;         // largest y that converts back
constexpr double NV_MAX_LAT = 80.0;
constexpr double NV_MAX_DISTANCE = 21600.0; // nautical miles, half a great circle

ERRORCODE nv_DegrToMeter(const POSITION* in, POINT* out);
ERRORCODE nv_MeterToDegr(const POINT* in, POSITION* out);
ERRORCODE nv_GeographicToMeters(POINT* out, const SEXAGESIMAL* in);
ERRORCODE nv_MetersToGeographic(const POINT* in, SEXAGESIMAL* out);
ERRORCODE nv_MiddlePosition(const POSITION* a, const POSITION* b, POSITION* out);
void nv_MiddleMMPosition(const POINT* a, const POINT* b, POINT* out);

// x brought into 0..40076600 (west of Greenwich counted from the far side).
S32 nv_AllAround(S32 x);
double nv_RoundTo360(double angle);  // 0 <= result < 360
double nv_Coangle(double angle);     // -180..180
double nv_MagHead(double heading, double variation);  // true to magnetic
double nv_TrueHead(double heading, double variation); // magnetic to true
ERRORCODE nv_SessToDecm(int degrees, int minutes, int seconds, double* out);
ERRORCODE nv_ExpOfTwo(int value, int* out);

// value * factor; the flag chooses the direction (TRUE: the first unit named
// in the comment to the second).
double nv_FeetMeters(double value, BOOLEAN bToMeters);          // feet to metres
double nv_FathomsMeters(double value, BOOLEAN bToMeters);       // fathoms to metres
double nv_NMilesKilometers(double value, BOOLEAN bToNMiles);    // km to nautical miles
double nv_NMilesTMiles(double value, BOOLEAN bToNMiles);        // statute to nautical miles
double nv_LitersGallons(double value, BOOLEAN bToGallons);      // litres to gallons
