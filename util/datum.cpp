// Standard Molodensky datum shift between WGS 84 and the datums of the
// table below.
//
// The parameters are the published Molodensky parameters of these datums
// (the U.S. Defense Mapping Agency's WGS 84 datum transformation tables):
// the differences of WGS 84 minus the datum's ellipsoid and the shift of the
// datum's centre to WGS 84. From a datum to WGS 84 the shifts are computed
// at the datum position and added; the way back computes them at the WGS 84
// position and subtracts them. The two are not exact inverses: a round trip
// comes back within about 0.1 m at mid latitudes, 0.5 m at 80 degrees, and
// metres to tens of metres within a degree of a pole. Heights are taken as
// 0 in both directions.
//
// Only positions on the globe are converted: a latitude beyond +-90 or an
// input that is not finite is refused (the position is passed through and
// the call returns FALSE); any longitude is first brought into -180..180;
// a result is kept within the poles and within half a turn.
#include "util/datum.h"

#include <cmath>

namespace {

constexpr double kWgs84A = 6378137.0;
constexpr double kWgs84F = 0.00335281066474748;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

constexpr ELLIPSOID_PARAM ellipsoidRow(ELLIPSOID id, double a, double inverseF)
{
    double f = 1.0 / inverseF;
    return {id, {a, f * (2.0 - f), f}};
}

// Copies the datum's row into a working record; an id without a row takes
// the closing row (no shift).
DATUM_INFO datumInfo(DATUM_PLANE dp)
{
    const GEODETIC_DATUM* row = GeodeticDatum;
    while (row->datum != dp && row->datum <= DATUM_Zanderij) {
        ++row;
    }
    DATUM_INFO info = {};
    info.deltas = row->deltas;
    for (const ELLIPSOID_PARAM& e : ellipsoid) {
        if (e.Id == row->ellipsoid) {
            info.spec = e.spec;
            break;
        }
        if (e.Id == _WGS_84) {
            break;
        }
    }
    return info;
}

bool passesThrough(DATUM_PLANE dp)
{
    return dp == DATUM_WGS_84 || dp == DATUM_Ghana || dp == DATUM_Montjong_Lowe || dp == DATUM_Sierra_Leone_1960;
}

// A longitude of any size within -180..180; one within that range already
// is kept as it is.
double normalLongitude(double lon)
{
    if (lon >= -180.0 && lon <= 180.0) {
        return lon;
    }
    double r = std::remainder(lon, 360.0);
    return r <= -180.0 ? r + 360.0 : r;
}

// A shifted longitude within half a turn: above 180 loses 360, at or below
// -180 gains 360. Within metres of a pole the longitude shift itself can be
// many turns, so whole turns go.
double wrapLongitude(double lon)
{
    if (lon > -180.0 && lon <= 180.0) {
        return lon;
    }
    double r = std::remainder(lon, 360.0);
    return r <= -180.0 ? r + 360.0 : r;
}

// A shift near a pole can carry the latitude past it.
double clampLatitude(double lat)
{
    return lat > 90.0 ? 90.0 : lat < -90.0 ? -90.0 : lat;
}

bool onTheGlobe(double lat, double lon)
{
    return std::isfinite(lat) && std::isfinite(lon) && lat >= -90.0 && lat <= 90.0;
}

// The shared door of both directions: FALSE (the position passed through)
// when it is refused or when the datum passes positions through untouched.
bool takeInput(DATUM_PLANE dp, double lat, double lon, double* pLatDeg, double* pLonDeg, BOOLEAN* pbResult)
{
    *pLatDeg = lat;
    *pLonDeg = lon;
    if (!onTheGlobe(lat, lon)) {
        *pbResult = FALSE;
        return false;
    }
    *pLonDeg = normalLongitude(lon);
    *pbResult = TRUE;
    return !passesThrough(dp);
}

} // namespace

const GEODETIC_DATUM GeodeticDatum[31] = {
    {DATUM_WGS_84, _WGS_84, {0, 0, 0, 0, 0}},
    {DATUM_Chatham_1971, _INTERNATIONAL, {-251, -0.14192702, 175, -38, 113}},
    {DATUM_European_1950_mean, _INTERNATIONAL, {-251, -0.14192702, -87, -98, -121}},
    {DATUM_European_1979_mean, _INTERNATIONAL, {-251, -0.14192702, -86, -98, -119}},
    {DATUM_Ireland_1965, _MODIFIED_AIRY, {796.811, 0.11960023, 506, -122, 611}},
    {DATUM_Ordnance_Survey_of_Great_Britain_36, _AIRY, {573.604, 0.11960023, 375, -111, 431}},
    {DATUM_Rome_1940, _INTERNATIONAL, {-251, -0.14192702, -225, -65, 9}},
    {DATUM_Australian_Geodetic_1966, _AUSTRALIAN_NATIONAL, {-23, -0.00081204, -133, -48, 148}},
    {DATUM_Australian_Geodetic_1984, _AUSTRALIAN_NATIONAL, {-23, -0.00081204, -134, -48, 149}},
    {DATUM_Swiss_CH_1903, _BESSEL_1841, {739.845, 0.10037483, 674, 15, 405}},
    {DATUM_Bermuda_1957, _CLARKE_1866, {-69.4, -0.37264639, -73, 213, 296}},
    {DATUM_Cape_Canaveral_Mean, _CLARKE_1866, {-69.4, -0.37264639, -2, 151, 181}},
    {DATUM_Geodetic_Datum_1949, _INTERNATIONAL, {-251, -0.14192702, 84, -22, 209}},
    {DATUM_LC_5_Astro, _CLARKE_1866, {-69.4, -0.37264639, 42, 124, 147}},
    {DATUM_North_American_1927_Alaska, _CLARKE_1866, {-69.4, -0.37264639, -5, 135, 172}},
    {DATUM_North_American_1927_Bahamas, _CLARKE_1866, {-69.4, -0.37264639, -4, 154, 178}},
    {DATUM_North_American_1927_Canada_Mean, _CLARKE_1866, {-69.4, -0.37264639, -10, 158, 187}},
    {DATUM_North_American_1927_Canal_Zone, _CLARKE_1866, {-69.4, -0.37264639, 0, 125, 201}},
    {DATUM_North_American_1927_Carribean, _CLARKE_1866, {-69.4, -0.37264639, -3, 142, 183}},
    {DATUM_North_American_1927_Central_America, _CLARKE_1866, {-69.4, -0.37264639, 0, 125, 194}},
    {DATUM_North_American_1927_Cuba, _CLARKE_1866, {-69.4, -0.37264639, -9, 152, 178}},
    {DATUM_North_American_1927_Greenland, _CLARKE_1866, {-69.4, -0.37264639, 11, 114, 195}},
    {DATUM_North_American_1927_Mean, _CLARKE_1866, {-69.4, -0.37264639, -8, 160, 176}},
    {DATUM_North_American_1927_Mexico, _CLARKE_1866, {-69.4, -0.37264639, -12, 130, 190}},
    {DATUM_North_American_1927_San_Salvador, _CLARKE_1866, {-69.4, -0.37264639, 1, 140, 165}},
    {DATUM_North_American_1983, _GRS_1980, {0, -0.00000016, 0, 0, 0}},
    {DATUM_Old_Hawaiian_Mean, _CLARKE_1866, {-69.4, -0.37264639, 61, -285, -181}},
    {DATUM_Puerto_Rico, _CLARKE_1866, {-69.4, -0.37264639, 11, 72, -101}},
    {DATUM_South_American_1969_Mean, _SOUTH_AMERICAN_1969, {-23, -0.00081204, -57, 1, -41}},
    {DATUM_Tokyo_Mean, _BESSEL_1841, {739.845, 0.10037483, -148, 507, 685}},
    {NO_MORE_DATUMS, _WGS_84, {0, 0, 0, 0, 0}},
};

// Semi-major axis and inverse flattening as published for each ellipsoid.
const ELLIPSOID_PARAM ellipsoid[28] = {
    ellipsoidRow(_AIRY, 6377563.396, 299.3249646),
    ellipsoidRow(_MODIFIED_AIRY, 6377340.189, 299.3249646),
    ellipsoidRow(_AUSTRALIAN_NATIONAL, 6378160.0, 298.25),
    ellipsoidRow(_BESSEL_1841, 6377397.155, 299.1528128),
    ellipsoidRow(_BESSEL_1841_NAMBIA, 6377483.865, 299.1528128),
    ellipsoidRow(_CLARKE_1866, 6378206.4, 294.9786982),
    ellipsoidRow(_CLARKE_1880, 6378249.145, 293.465),
    ellipsoidRow(_EVEREST_INDIA_1830, 6377276.345, 300.8017),
    ellipsoidRow(_EVEREST_INDIA_1956, 6377301.243, 300.8017),
    ellipsoidRow(_EVEREST_MALAYSIA_1948, 6377304.063, 300.8017),
    ellipsoidRow(_EVEREST_MALAYSIA_1969, 6377295.664, 300.8017),
    ellipsoidRow(_EVEREST_BRUNEI, 6377298.556, 300.8017),
    ellipsoidRow(_EVEREST_PAKISTAN, 6377309.613, 300.8017),
    ellipsoidRow(_FISCHER_1960, 6378166.0, 298.3),
    ellipsoidRow(_MODIFIED_FISCHER_1960, 6378155.0, 298.3),
    ellipsoidRow(_FISCHER_1968, 6378150.0, 298.3),
    ellipsoidRow(_GRS_1967, 6378160.0, 298.247167427),
    ellipsoidRow(_GRS_1980, 6378137.0, 298.257222101),
    ellipsoidRow(_HELMERT_1906, 6378200.0, 298.3),
    ellipsoidRow(_HOUGH, 6378270.0, 297.0),
    ellipsoidRow(_INTERNATIONAL, 6378388.0, 297.0),
    ellipsoidRow(_KRASSOVSKY, 6378245.0, 298.3),
    ellipsoidRow(_SOUTH_AMERICAN_1969, 6378160.0, 298.25),
    ellipsoidRow(_WGS_60, 6378165.0, 298.3),
    ellipsoidRow(_WGS_66, 6378145.0, 298.25),
    ellipsoidRow(_WGS_72, 6378135.0, 298.26),
    ellipsoidRow(_WGS_84, 6378137.0, 298.257223563),
    {_NO_MORE_ELLIPSOIDS, {0.0, 0.0, 0.0}},
};

void datum_Molodensky(const DATUM_INFO* pDatum, const GEODETIC_POSITION* pInput, POSITION_DELTAS* pOutput)
{
    const ELLIPSOID_DELTAS& d = pDatum->deltas;
    double df = d.df * 0.0001;
    double f = kWgs84F - df;
    double a = kWgs84A - d.da;
    double e2 = (2.0 - f) * f;
    double b = a * (1.0 - f);

    double sinPhi = std::sin(pInput->lat);
    double cosPhi = std::cos(pInput->lat);
    double sinLam = std::sin(pInput->lon);
    double cosLam = std::cos(pInput->lon);
    double h = pInput->alt;

    double w2 = 1.0 - e2 * sinPhi * sinPhi;
    double rn = a / std::sqrt(w2);
    double rm = a * (1.0 - e2) / (w2 * std::sqrt(w2));

    pOutput->d_phi = (-sinPhi * cosLam * d.dx - sinPhi * sinLam * d.dy + cosPhi * d.dz
                      + d.da * rn * e2 * sinPhi * cosPhi / a
                      + df * (rm * a / b + rn * b / a) * sinPhi * cosPhi)
                     / (rm + h);
    // At a pole every longitude is the same point: no longitude shift.
    double lonRadius = (rn + h) * cosPhi;
    pOutput->d_lambda = std::fabs(cosPhi) < 1.0e-12 ? 0.0 : (-sinLam * d.dx + cosLam * d.dy) / lonRadius;
    pOutput->dh = cosPhi * cosLam * d.dx + cosPhi * sinLam * d.dy + sinPhi * d.dz - d.da * a / rn
                  + df * (b / a) * rn * sinPhi * sinPhi;
}

BOOLEAN WGS84_2_Datum(double WLatDeg, double WLonDeg, double* pLatDeg, double* pLonDeg, DATUM_PLANE dp)
{
    BOOLEAN bResult;
    if (!takeInput(dp, WLatDeg, WLonDeg, pLatDeg, pLonDeg, &bResult)) {
        return bResult;
    }
    DATUM_INFO info = datumInfo(dp);
    GEODETIC_POSITION in = {*pLatDeg * kDegToRad, *pLonDeg * kDegToRad, 0.0};
    POSITION_DELTAS shift;
    datum_Molodensky(&info, &in, &shift);
    *pLatDeg = clampLatitude((in.lat - shift.d_phi) * kRadToDeg);
    *pLonDeg = wrapLongitude((in.lon - shift.d_lambda) * kRadToDeg);
    return TRUE;
}

BOOLEAN Datum_2_WGS84(DATUM_PLANE dp, double LatDeg, double LonDeg, double* pLatDeg, double* pLonDeg)
{
    BOOLEAN bResult;
    if (!takeInput(dp, LatDeg, LonDeg, pLatDeg, pLonDeg, &bResult)) {
        return bResult;
    }
    DATUM_INFO info = datumInfo(dp);
    GEODETIC_POSITION in = {*pLatDeg * kDegToRad, *pLonDeg * kDegToRad, 0.0};
    POSITION_DELTAS shift;
    datum_Molodensky(&info, &in, &shift);
    *pLatDeg = clampLatitude((in.lat + shift.d_phi) * kRadToDeg);
    *pLonDeg = wrapLongitude((in.lon + shift.d_lambda) * kRadToDeg);
    return TRUE;
}
