// Navigation arithmetic on the Mercator plane.
//
// On a Mercator chart a rhumb line is straight, so the course is the angle of
// the line between the two points; x differences beyond half the equator go
// the other way round. Distances are nautical miles of one minute of
// latitude and are limited to half a great circle (21600).
#include "chart_sdk/geodesy/nv_calc.h"

#include "chart_sdk/geodesy/nv_distn.h"

#include <cmath>

namespace {

// Accepts the y values the course may use (one metre beyond the back-conversion limit).
bool originInRange(const POINT& p, ERRORCODE* erc)
{
    if (p.y > NV_MAX_Y + 1 || p.y < -(NV_MAX_Y + 1)) {
        *erc = NV_ERR_LATITUDE;
        return false;
    }
    if (p.x > NV_MAX_X || p.x < -NV_MAX_X) {
        *erc = NV_ERR_LONGITUDE;
        return false;
    }
    return true;
}

bool pointInRange(const POINT* p)
{
    return p->y <= NV_MAX_Y + 1 && p->y >= -(NV_MAX_Y + 1) && p->x <= NV_MAX_X && p->x >= -NV_MAX_X;
}

bool isSoft(ERRORCODE erc)
{
    return erc >= 0x10000000u && erc <= 0x1FFFFFFFu;
}

} // namespace

ERRORCODE nv_RouteAngle(const POINT* from, const POINT* to, double* course)
{
    if (!pointInRange(from) || !pointInRange(to)) {
        *course = 0.0;
        return NV_ERR_POINT;
    }
    double dx = static_cast<double>(to->x) - static_cast<double>(from->x);
    if (std::fabs(dx) > NV_MAX_X) {
        dx = dx < 0.0 ? NV_EQUATOR - std::fabs(dx) : dx - NV_EQUATOR;
    }
    double dy = static_cast<double>(to->y) - static_cast<double>(from->y);
    if (std::fabs(dy) < NV_EPSILON) {
        if (std::fabs(dx) < NV_EPSILON) {
            *course = 0.0;
            return NV_SOFT_SAME_POINT;
        }
        *course = dx > NV_EPSILON ? 90.0 : 270.0;
        return NV_OK;
    }
    double a = std::atan(dx / dy);
    if (dy < NV_EPSILON) {
        a += NV_PI;
    } else if (a < NV_EPSILON && dy > NV_EPSILON) {
        a += NV_TWO_PI;
    }
    *course = nv_RoundTo360(a * NV_RAD_TO_DEG);
    return NV_OK;
}

ERRORCODE nv_GeoRouteAngle(const POSITION* from, const POSITION* to, double* course)
{
    POINT a;
    POINT b;
    ERRORCODE erc = nv_DegrToMeter(from, &a);
    if (erc == NV_OK) {
        erc = nv_DegrToMeter(to, &b);
    }
    if (erc != NV_OK) {
        *course = 0.0;
        return erc;
    }
    return nv_RouteAngle(&a, &b, course);
}

ERRORCODE nv_CalcRngBrg(const POINT* from, const POINT* to, double variation, RNG_BRG* out)
{
    if (!(std::fabs(variation) <= 360.0)) {
        return NV_ERR_ANGLE;
    }
    double course = 0.0;
    ERRORCODE route = nv_RouteAngle(from, to, &course);
    out->bearing = course;
    // Coinciding points are a soft result: the range (0) and bearing still follow.
    if (route != NV_OK && !isSoft(route)) {
        return route;
    }
    POSITION a;
    POSITION b;
    ERRORCODE erc = nv_MeterToDegr(from, &a);
    if (erc == NV_OK) {
        erc = nv_MeterToDegr(to, &b);
    }
    if (erc != NV_OK) {
        return erc;
    }
    erc = nv_CalcDistance(&a, &b, course, &out->range);
    if (erc != NV_OK) {
        return erc;
    }
    double bearing = std::fmod(course - variation, 360.0);
    out->bearing = bearing < 0.0 ? bearing + 360.0 : bearing;
    return route;
}

ERRORCODE nv_CalcTimeToGo(const double* distance, double speed, TIME_TO_GO* out)
{
    out->hours = 0;
    out->minutes = 0;
    out->seconds = 0;
    if (!(std::fabs(speed) >= 0.1)) {
        return NV_SOFT_SPEED;
    }
    double d = *distance;
    if (!(d >= 0.0)) {
        return NV_ERR_DISTANCE;
    }
    if (d <= NV_EPSILON) {
        return NV_OK;
    }
    double t = d / std::fabs(speed);
    // Hours beyond what the field holds read as the largest it can show.
    if (!(t < 2147483647.0)) {
        t = 2147483647.0;
    }
    double hours = std::trunc(t);
    double minutes = std::trunc((t - hours) * 60.0);
    int seconds = static_cast<int>(((t - hours) * 60.0 - minutes) * 60.0);
    int wholeMinutes = static_cast<int>(minutes);
    if (seconds >= 60) {
        seconds = 0;
        wholeMinutes += 1;
    }
    out->hours = static_cast<S32>(hours);
    out->minutes = static_cast<U8>(wholeMinutes);
    out->seconds = static_cast<U8>(seconds);
    return d > NV_MAX_DISTANCE ? NV_SOFT_DISTANCE : NV_OK;
}

ERRORCODE nv_PolarToGeographic(POINT origin, double distance, double bearing, POINT* out)
{
    ERRORCODE erc = NV_OK;
    if (!originInRange(origin, &erc)) {
        return erc;
    }
    if (!(std::fabs(bearing) <= 360.0)) {
        return NV_ERR_ANGLE;
    }
    if (!(distance >= 0.0 && distance <= NV_MAX_DISTANCE)) {
        return NV_ERR_DISTANCE;
    }
    POSITION pos;
    erc = nv_MeterToDegr(&origin, &pos);
    if (erc != NV_OK) {
        return erc;
    }
    // beta: angle between the course and the east-west line.
    double beta = std::fabs(std::fabs(bearing - 180.0) - 90.0) * NV_DEG_TO_RAD;
    int quadrant = static_cast<int>(std::fabs(bearing / 90.0));
    if (quadrant == 4) {
        quadrant = 0;
    }
    double arc = distance / 60.0;
    double dLat = std::sin(beta) * arc;
    double newLat = (quadrant == 0 || quadrant == 3) ? pos.lat + dLat : pos.lat - dLat;
    double dLon = std::cos(beta) * arc / std::cos((pos.lat + newLat) * NV_HALF_DEG_TO_RAD);
    double newLon = (quadrant == 0 || quadrant == 1) ? pos.lon + dLon : pos.lon - dLon;
    POSITION target = {newLat, nv_Coangle(newLon)};
    return nv_DegrToMeter(&target, out);
}

ERRORCODE nv_CenteredSquare(POINT centre, double halfSide, POINT* lowerLeft, POINT* upperRight)
{
    ERRORCODE erc = NV_OK;
    if (!originInRange(centre, &erc)) {
        return erc;
    }
    if (!(halfSide >= 0.0 && halfSide <= NV_MAX_DISTANCE)) {
        return NV_ERR_DISTANCE;
    }
    POSITION pos;
    erc = nv_MeterToDegr(&centre, &pos);
    if (erc != NV_OK) {
        return erc;
    }
    double h = halfSide / 60.0;
    POSITION ll = {pos.lat - h, nv_Coangle(pos.lon - h)};
    erc = nv_DegrToMeter(&ll, lowerLeft);
    if (erc != NV_OK) {
        return erc;
    }
    POSITION ur = {pos.lat + h, nv_Coangle(pos.lon + h)};
    return nv_DegrToMeter(&ur, upperRight);
}

ERRORCODE nv_DieselConsumption(double distance, double speed, double rate, double* out)
{
    if (!(distance >= 0.0)) {
        *out = 0.0;
        return NV_ERR_DISTANCE;
    }
    if (!(std::fabs(speed) >= NV_EPSILON)) {
        *out = 0.0;
        return NV_SOFT_SPEED;
    }
    if (!(rate >= NV_EPSILON)) {
        *out = 0.0;
        return NV_ERR_RATE;
    }
    *out = std::floor(0.5 + rate * 0.19 * distance / std::fabs(speed));
    return distance > NV_MAX_DISTANCE ? NV_SOFT_DISTANCE : NV_OK;
}
