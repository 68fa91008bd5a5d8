// Apparent wind from true wind and boat speed.
//
// The boat's motion adds a head wind of its own speed; the relative angle is
// worked in whole degrees, as the wind read-outs show it. The headwind part E
// and the beam part N of the apparent wind have, whenever E is positive, the
// sign of the true wind's side, so the angle of atan(N / E) needs no turning
// round; when E is zero or negative the wind comes from abaft and the true
// angle is kept.
#include "chart_sdk/geodesy/nv_appwd.h"

#include <cmath>

ERRORCODE nv_CalcAppWind(double angle, double windSpeed, double heading, double boatSpeed,
                         double* speed, double* relAngle, double* direction)
{
    // Whole degrees; an angle that is no number or beyond any turn counts as 0.
    int a = std::fabs(angle) < 1.0e9 ? static_cast<int>(angle) : 0;
    if (a > 180) {
        a -= 360;
    }
    if (windSpeed < NV_EPSILON) {
        *speed = boatSpeed;
        *relAngle = 0.0;
        *direction = heading;
        return NV_OK;
    }
    if (boatSpeed <= NV_EPSILON) {
        *speed = windSpeed;
        *relAngle = a;
        *direction = std::fmod(a + heading + 360.0, 360.0);
        return NV_OK;
    }
    double e = boatSpeed + std::cos(a * NV_DEG_TO_RAD) * windSpeed;
    double n = std::sin(a * NV_DEG_TO_RAD) * windSpeed;
    *speed = std::sqrt(e * e + n * n);
    int rel = a;
    if (e > NV_EPSILON) {
        int m = static_cast<int>(std::atan(n / e) * NV_RAD_TO_DEG);
        // A wind within a degree of the bow truncates to 0 and stays there;
        // only a quadrant mismatch turns the angle round.
        if (m < 0 && a > 0) {
            rel = m + 180;
        } else if (a < 0 && m > 0) {
            rel = m - 180;
        } else {
            rel = m;
        }
    }
    *relAngle = rel;
    *direction = std::fmod(heading + 360.0 + rel, 360.0);
    return NV_OK;
}
