// Chart geodesy conversions: degrees <-> Mercator metres, sexagesimal forms,
// mid-points, angle normalisation and unit factors.
//
// The constants are the chart data's own (pi to ten digits and friends):
// stored chart positions were produced with them, so they are not replaced
// by the exact values. Range checks are written "!(|v| <= limit)" so that a
// NaN from a corrupt input is refused like any other out-of-range value.
#include "chart_sdk/geodesy/nv_conv.h"

#include <cmath>

namespace {

// Rounds to nearest (ties to even, the default mode) and clamps to the x range.
S32 roundX(double x)
{
    double r = std::nearbyint(x);
    if (r > NV_MAX_X) {
        return NV_MAX_X;
    }
    if (r < -NV_MAX_X) {
        return -NV_MAX_X;
    }
    return static_cast<S32>(r);
}

// Whole degrees toward zero and the rest in minutes, with the minutes carried
// into the degrees when rounding pushed them to a full 60.
void splitDegrees(double value, double* deg, double* min, double* sec)
{
    double d = std::trunc(value);
    double m = (value - d) * 60.0;
    if (m >= 60.0) {
        m = 0.0;
        d += 1.0;
    } else if (m <= -60.0) {
        m = 0.0;
        d -= 1.0;
    }
    *deg = d;
    *min = m;
    *sec = 0.0;
}

bool yConvertsBack(S32 y)
{
    return y <= NV_MAX_Y && y >= -NV_MAX_Y;
}

bool xInRange(S32 x)
{
    return x <= NV_MAX_X && x >= -NV_MAX_X;
}

} // namespace

ERRORCODE nv_DegrToMeter(const POSITION* in, POINT* out)
{
    double lat = in->lat;
    double lon = in->lon;
    if (!(std::fabs(lat) <= NV_MAX_LAT)) {
        out->y = 0;
        return NV_ERR_LATITUDE;
    }
    double phi = std::atan(NV_LAT_FACTOR * std::tan(lat * NV_DEG_TO_RAD));
    out->y = static_cast<S32>(std::nearbyint(std::log(std::tan((phi + NV_HALF_PI) * 0.5)) * NV_RADIUS));
    if (!(std::fabs(lon) <= 180.0)) {
        out->x = 0;
        return NV_ERR_LONGITUDE;
    }
    out->x = roundX(lon * NV_METERS_PER_DEGREE);
    return NV_OK;
}

ERRORCODE nv_MeterToDegr(const POINT* in, POSITION* out)
{
    if (!yConvertsBack(in->y)) {
        out->lat = 0.0;
        return NV_ERR_LATITUDE;
    }
    if (in->y == 0) {
        out->lat = 0.0;
    } else {
        double s = 2.0 * std::atan(std::exp(in->y * 1.5677942451917318e-7)) - NV_HALF_PI;
        out->lat = std::atan(std::tan(s) * NV_LAT_FACTOR_INV) * NV_RAD_TO_DEG;
    }
    if (!xInRange(in->x)) {
        out->lon = 0.0;
        return NV_ERR_LONGITUDE;
    }
    double lon = in->x * 8.982799339438115e-6;
    if (lon > 180.0) {
        lon = 180.0;
    } else if (lon < -180.0) {
        lon = -180.0;
    }
    out->lon = lon;
    return NV_OK;
}

ERRORCODE nv_GeographicToMeters(POINT* out, const SEXAGESIMAL* in)
{
    if (!(std::fabs(in->latMin) < 60.0) || !(std::fabs(in->latSec) < 60.0)) {
        return NV_ERR_LATITUDE;
    }
    if (!(std::fabs(in->lonMin) < 60.0) || !(std::fabs(in->lonSec) < 60.0)) {
        return NV_ERR_LONGITUDE;
    }
    POSITION pos;
    pos.lat = in->latSec * (1.0 / 3600.0) + in->latMin * (1.0 / 60.0) + in->latDeg;
    pos.lon = in->lonSec * (1.0 / 3600.0) + in->lonMin * (1.0 / 60.0) + in->lonDeg;
    return nv_DegrToMeter(&pos, out);
}

ERRORCODE nv_MetersToGeographic(const POINT* in, SEXAGESIMAL* out)
{
    POSITION pos;
    ERRORCODE erc = nv_MeterToDegr(in, &pos);
    if (erc != NV_OK) {
        return erc;
    }
    splitDegrees(pos.lat, &out->latDeg, &out->latMin, &out->latSec);
    splitDegrees(pos.lon, &out->lonDeg, &out->lonMin, &out->lonSec);
    return NV_OK;
}

ERRORCODE nv_MiddlePosition(const POSITION* a, const POSITION* b, POSITION* out)
{
    if (!(std::fabs(a->lat) <= NV_MAX_LAT) || !(std::fabs(b->lat) <= NV_MAX_LAT)) {
        return NV_ERR_LATITUDE;
    }
    if (!(std::fabs(a->lon) <= 180.0) || !(std::fabs(b->lon) <= 180.0)) {
        return NV_ERR_LONGITUDE;
    }
    out->lat = (a->lat + b->lat) / 2.0;
    bool bothEast = a->lon > NV_EPSILON && b->lon > NV_EPSILON;
    bool bothWest = a->lon < NV_EPSILON && b->lon < NV_EPSILON;
    if (bothEast || bothWest || std::fabs(a->lon) + std::fabs(b->lon) <= 180.0) {
        out->lon = (a->lon + b->lon) / 2.0;
    } else {
        // The shorter way between the two runs across the antimeridian.
        out->lon = nv_Coangle((nv_RoundTo360(a->lon) + nv_RoundTo360(b->lon)) / 2.0);
    }
    return NV_OK;
}

void nv_MiddleMMPosition(const POINT* a, const POINT* b, POINT* out)
{
    POSITION pa;
    POSITION pb;
    POSITION mid;
    if (nv_MeterToDegr(a, &pa) != NV_OK || nv_MeterToDegr(b, &pb) != NV_OK
        || nv_MiddlePosition(&pa, &pb, &mid) != NV_OK) {
        return;
    }
    POINT result;
    if (nv_DegrToMeter(&mid, &result) == NV_OK) {
        *out = result;
    }
}

S32 nv_AllAround(S32 x)
{
    S64 m = x < 0 ? -static_cast<S64>(x) : x;
    if (m > NV_EQUATOR - 1) {
        if (m <= 2 * static_cast<S64>(NV_EQUATOR) - 1) {
            m -= NV_EQUATOR;
        } else {
            m %= NV_EQUATOR;
        }
    }
    return static_cast<S32>(x < 0 ? NV_EQUATOR - m : m);
}

double nv_RoundTo360(double angle)
{
    double r = std::fmod(angle, 360.0);
    if (r < 0.0) {
        r += 360.0;
        // A tiny negative remainder rounds up to a full turn.
        if (r >= 360.0) {
            r = 0.0;
        }
    }
    return r;
}

double nv_Coangle(double angle)
{
    double r = std::fmod(angle, 360.0);
    if (r > 180.0) {
        r -= 360.0;
    } else if (r < -180.0) {
        r += 360.0;
    }
    return r;
}

double nv_MagHead(double heading, double variation)
{
    return nv_RoundTo360(heading - variation);
}

double nv_TrueHead(double heading, double variation)
{
    return nv_RoundTo360(heading + variation);
}

ERRORCODE nv_SessToDecm(int degrees, int minutes, int seconds, double* out)
{
    bool negative = degrees < 0 || minutes < 0 || seconds < 0;
    S64 d = degrees < 0 ? -static_cast<S64>(degrees) : degrees;
    S64 m = minutes < 0 ? -static_cast<S64>(minutes) : minutes;
    S64 s = seconds < 0 ? -static_cast<S64>(seconds) : seconds;
    bool valid = d <= 360 && m <= 59 && s <= 59 && (d < 360 || (m == 0 && s == 0));
    if (!valid) {
        *out = 0.0;
        return NV_ERR_ANGLE;
    }
    double value = static_cast<double>(s) / 3600.0 + static_cast<double>(m) / 60.0 + static_cast<double>(d);
    *out = negative ? -value : value;
    return NV_OK;
}

ERRORCODE nv_ExpOfTwo(int value, int* out)
{
    if (value < 1) {
        *out = 0;
    } else {
        *out = static_cast<int>(std::floor(0.5 + std::log(static_cast<double>(value)) * 1.4426950420544162));
    }
    return NV_OK;
}

double nv_FeetMeters(double value, BOOLEAN bToMeters)
{
    return value * (bToMeters ? 0.3048000000012192 : 3.280839895);
}

double nv_FathomsMeters(double value, BOOLEAN bToMeters)
{
    return value * (bToMeters ? 1.8280867578532185 : 0.54701999);
}

double nv_NMilesKilometers(double value, BOOLEAN bToNMiles)
{
    return value * (bToNMiles ? 0.5398780945933315 : 1.8522700032);
}

double nv_NMilesTMiles(double value, BOOLEAN bToNMiles)
{
    return value * (bToNMiles ? 0.8686663045037588 : 1.1511900425);
}

double nv_LitersGallons(double value, BOOLEAN bToGallons)
{
    return value * (bToGallons ? 0.26420009458363386 : 3.78501);
}
