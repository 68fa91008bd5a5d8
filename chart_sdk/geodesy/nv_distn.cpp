// Rhumb-line distance and the latitude correction table.
//
// Along a rhumb line the change of latitude is distance * cos(course), which
// is well conditioned except near east or west; within 5 degrees of those
// the departure (change of longitude scaled by the mean latitude) is used
// instead.
#include "chart_sdk/geodesy/nv_distn.h"

#include <cmath>

const double KlatTable[88] = {
    1.0015, 1.0013, 1.0008, 0.9999, 0.9988, 0.9974, 0.9957, 0.9936, 0.9913, 0.9886,
    0.9857, 0.9824, 0.9789, 0.975,  0.9709, 0.9664, 0.9617, 0.9567, 0.9513, 0.9457,
    0.9398, 0.9336, 0.9271, 0.9204, 0.9133, 0.906,  0.8984, 0.8905, 0.8824, 0.8739,
    0.8653, 0.8563, 0.8471, 0.8376, 0.8279, 0.8179, 0.8077, 0.7973, 0.7866, 0.7756,
    0.7644, 0.753,  0.7414, 0.7295, 0.7174, 0.7051, 0.6926, 0.6799, 0.6669, 0.6538,
    0.6405, 0.6269, 0.6132, 0.5993, 0.5852, 0.571,  0.5565, 0.542,  0.5272, 0.5123,
    0.4972, 0.482,  0.4666, 0.4511, 0.4355, 0.4197, 0.4038, 0.3878, 0.3716, 0.3554,
    0.339,  0.3226, 0.306,  0.2894, 0.2726, 0.2558, 0.2389, 0.222,  0.2049, 0.1878,
    0.1707, 0.1535, 0.1362, 0.1189, 0.1016, 0.0842, 0.0668, 0.0493,
};

namespace {

double to0360(double lon)
{
    double r = std::fmod(lon, 360.0);
    return r < 0.0 ? r + 360.0 : r;
}

} // namespace

ERRORCODE nv_CalcDistance(const POSITION* from, const POSITION* to, double course, double* distance)
{
    if (!(std::fabs(from->lat) <= NV_MAX_LAT) || !(std::fabs(to->lat) <= NV_MAX_LAT)) {
        *distance = 0.0;
        return NV_ERR_LATITUDE;
    }
    if (!(std::fabs(from->lon) <= 180.0) || !(std::fabs(to->lon) <= 180.0)) {
        *distance = 0.0;
        return NV_ERR_LONGITUDE;
    }
    if (!(std::fabs(course) <= 360.0)) {
        *distance = 0.0;
        return NV_ERR_ANGLE;
    }
    if (std::fabs(std::fabs(course - 180.0) - 90.0) > 5.0) {
        *distance = std::fabs((to->lat - from->lat) * 60.0 / std::cos(course * NV_DEG_TO_RAD));
        return NV_OK;
    }
    double dLon = std::fmod(to0360(to->lon) - to0360(from->lon), 360.0);
    if (dLon > 180.0) {
        dLon -= 360.0;
    } else if (dLon < -180.0) {
        dLon += 360.0;
    }
    *distance = std::fabs(dLon * 60.0 / std::sin(course * NV_DEG_TO_RAD)
                          * std::cos((from->lat + to->lat) * NV_HALF_DEG_TO_RAD));
    return NV_OK;
}

ERRORCODE nv_DistCorrection(double latitude, double* out)
{
    if (!(std::fabs(latitude) <= NV_MAX_LAT)) {
        *out = 0.0;
        return NV_ERR_LATITUDE;
    }
    *out = KlatTable[static_cast<int>(std::fabs(latitude) + 0.5)];
    return NV_OK;
}
