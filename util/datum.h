// Map datums: the standard Molodensky shift between WGS 84, in which every
// position inside the system is held, and the datum the user picked for
// display and entry of latitude and longitude.
//
// 124 datum ids exist; only the first 30 carry shift parameters. An id
// without parameters converts as WGS 84 (the position is returned unchanged
// apart from rounding); ids 0, 63, 89 and 111 are passed through untouched
// (a longitude beyond +-180 still comes back within it).
#pragma once

#include "kernel/l_types.h"

// A fixed width: ids come from stored settings and may be anything.
typedef enum : S32 {
    DATUM_WGS_84 = 0,
    DATUM_Chatham_1971,
    DATUM_European_1950_mean,
    DATUM_European_1979_mean,
    DATUM_Ireland_1965,
    DATUM_Ordnance_Survey_of_Great_Britain_36,
    DATUM_Rome_1940,
    DATUM_Australian_Geodetic_1966,
    DATUM_Australian_Geodetic_1984,
    DATUM_Swiss_CH_1903,
    DATUM_Bermuda_1957,
    DATUM_Cape_Canaveral_Mean,
    DATUM_Geodetic_Datum_1949,
    DATUM_LC_5_Astro,
    DATUM_North_American_1927_Alaska,
    DATUM_North_American_1927_Bahamas,
    DATUM_North_American_1927_Canada_Mean,
    DATUM_North_American_1927_Canal_Zone,
    DATUM_North_American_1927_Carribean,
    DATUM_North_American_1927_Central_America,
    DATUM_North_American_1927_Cuba,
    DATUM_North_American_1927_Greenland,
    DATUM_North_American_1927_Mean,
    DATUM_North_American_1927_Mexico,
    DATUM_North_American_1927_San_Salvador,
    DATUM_North_American_1983,
    DATUM_Old_Hawaiian_Mean,
    DATUM_Puerto_Rico,
    DATUM_South_American_1969_Mean,
    DATUM_Tokyo_Mean,
    DATUM_Custom_Datum,
    DATUM_AFG,
    DATUM_ARC_1950_mean,
    DATUM_ARC_1960_mean,
    DATUM_Adindan,
    DATUM_Ain_El_Abd_1970,
    DATUM_Alaska_Canada_NAD27,
    DATUM_Anna_1_Astro_1965,
    DATUM_Ascension_Island_58,
    DATUM_Astro_B4_Sor_Atoll,
    DATUM_Astro_Beacon_E,
    DATUM_Astro_Pos_71_4,
    DATUM_Astronomic_Stn_52,
    DATUM_Bellevue_IGN,
    DATUM_Bogota_Observatory,
    DATUM_Bukit_Rimpah,
    DATUM_Camp_Area_Astro,
    DATUM_Campo_Inchauspe,
    DATUM_Canton_Island_1966,
    DATUM_Cape,
    DATUM_Carthage,
    DATUM_Chua_Astro,
    DATUM_Corrego_Alegre,
    DATUM_Corrego_Alegre_Provisional,
    DATUM_Cyprus,
    DATUM_DOS_1968,
    DATUM_Djakarta_Batavia,
    DATUM_Easter_lsland_1967,
    DATUM_Egypt,
    DATUM_European_1950,
    DATUM_Finnish_Nautical_Chart,
    DATUM_GUX_1_Astro,
    DATUM_Gandajika_Base,
    DATUM_Ghana,
    DATUM_Guam_1963,
    DATUM_Gunung_Segara,
    DATUM_Gunung_Serindung_1962,
    DATUM_Herat_North,
    DATUM_Hjorsey_1955,
    DATUM_Hong_Kong_1963,
    DATUM_Hu_Tzu_Shan,
    DATUM_ISTS_073_Astro_69,
    DATUM_Indian,
    DATUM_Iran,
    DATUM_Johnston_Island_61,
    DATUM_Kandawala,
    DATUM_Kerguelen_Island,
    DATUM_Kertau_48,
    DATUM_La_Reunion,
    DATUM_Liberia_1964,
    DATUM_Luzon,
    DATUM_Mahe_1971,
    DATUM_Marco_Astro,
    DATUM_Masirah_Is_Nahrwan,
    DATUM_Massawa,
    DATUM_Merchich,
    DATUM_Midway_Astro_61,
    DATUM_Mindanao,
    DATUM_Minna,
    DATUM_Montjong_Lowe,
    DATUM_Nahrwan,
    DATUM_Naparima_BWI,
    DATUM_Observatorio_1966,
    DATUM_Old_Egyptian,
    DATUM_Old_Hawaiian_Kauai,
    DATUM_Old_Hawaiian_Maui,
    DATUM_Old_Hawaiian_Oahu,
    DATUM_Oman,
    DATUM_Pico_De_Las_Nieves,
    DATUM_Pitcairn_Astro_67,
    DATUM_Provisional_South_American_1956_mean,
    DATUM_Provisional_South_Chilean_1963,
    DATUM_Qornoq,
    DATUM_Quatar_National,
    DATUM_SE_Asia_Indian,
    DATUM_SAD69_Brazil,
    DATUM_Santa_Braz,
    DATUM_Santo_DOS,
    DATUM_Sapper_Hill_43,
    DATUM_Schwarzeck,
    DATUM_Sicily,
    DATUM_Sierra_Leone_1960,
    DATUM_South_Asia,
    DATUM_Southwest_Base,
    DATUM_Tananarive_Observatory_25,
    DATUM_Thai_Viet_Indian,
    DATUM_Timbalai_1948,
    DATUM_Tristan_Astro_1968,
    DATUM_Unites_Arab_Emirates_Nahrwan,
    DATUM_Viti_Levu_1916,
    DATUM_WGS_72,
    DATUM_Wake_Eniwetok_60,
    DATUM_Yacare,
    DATUM_Zanderij,
    NO_MORE_DATUMS
} DATUM_PLANE;

static_assert(DATUM_Zanderij == 123 && NO_MORE_DATUMS == 124, "datum ids are stored in settings");

typedef enum : S32 {
    _AIRY = 0,
    _MODIFIED_AIRY,
    _AUSTRALIAN_NATIONAL,
    _BESSEL_1841,
    _BESSEL_1841_NAMBIA,
    _CLARKE_1866,
    _CLARKE_1880,
    _EVEREST_INDIA_1830,
    _EVEREST_INDIA_1956,
    _EVEREST_MALAYSIA_1948,
    _EVEREST_MALAYSIA_1969,
    _EVEREST_BRUNEI,
    _EVEREST_PAKISTAN,
    _FISCHER_1960,
    _MODIFIED_FISCHER_1960,
    _FISCHER_1968,
    _GRS_1967,
    _GRS_1980,
    _HELMERT_1906,
    _HOUGH,
    _INTERNATIONAL,
    _KRASSOVSKY,
    _SOUTH_AMERICAN_1969,
    _WGS_60,
    _WGS_66,
    _WGS_72,
    _WGS_84,
    _NO_MORE_ELLIPSOIDS
} ELLIPSOID;

typedef struct tag_ELLIPSOID_SPEC {
    double EquatorialRadius;    // metres
    double eccentricitySquared;
    double flattening;
} ELLIPSOID_SPEC;

typedef struct tag_ELLIPSOID_PARAM {
    ELLIPSOID Id;
    ELLIPSOID_SPEC spec;
} ELLIPSOID_PARAM;

// WGS 84 minus the datum's ellipsoid (da in metres, df times 10^4), and the
// shift of the datum's centre to WGS 84 in metres.
typedef struct tag_ELLIPSOID_DELTAS {
    double da;
    double df;
    double dx;
    double dy;
    double dz;
} ELLIPSOID_DELTAS;

typedef struct tag_GEODETIC_DATUM {
    DATUM_PLANE datum;
    ELLIPSOID ellipsoid;
    ELLIPSOID_DELTAS deltas;
} GEODETIC_DATUM;

typedef struct tag_GEODETIC_POSITION {
    double lat; // radians
    double lon; // radians
    double alt; // metres
} GEODETIC_POSITION;

typedef struct tag_POSITION_DELTAS {
    double d_phi;    // radians
    double d_lambda; // radians
    double dh;       // metres
} POSITION_DELTAS;

typedef struct tag_DATUM_INFO {
    ELLIPSOID_DELTAS deltas;
    ELLIPSOID_SPEC spec;
} DATUM_INFO;

// The 30 datums with parameters and a closing NO_MORE_DATUMS row.
extern const GEODETIC_DATUM GeodeticDatum[31];
// Every ellipsoid and a closing row of zeros.
extern const ELLIPSOID_PARAM ellipsoid[28];

// Degrees to degrees. TRUE with the converted position; FALSE when the input
// is not on the globe (not finite, or a latitude beyond +-90), and then the
// output is the input as given. Any longitude is taken modulo 360; results
// lie within -90..90 and -180..180.
BOOLEAN WGS84_2_Datum(double WLatDeg, double WLonDeg, double* pLatDeg, double* pLonDeg, DATUM_PLANE dp);
BOOLEAN Datum_2_WGS84(DATUM_PLANE dp, double LatDeg, double LonDeg, double* pLatDeg, double* pLonDeg);
void datum_Molodensky(const DATUM_INFO* pDatum, const GEODETIC_POSITION* pInput, POSITION_DELTAS* pOutput);
