// The scale-bar rows (see the header).
#include "nav/core/t_nav_scale_bar.h"

#include "store/h_database.h"

#define NAV_SCALE_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Scale_Units_m = NAV_SCALE_ALL_LANGUAGES("m");
TEXT_TABLE Scale_Units_km = NAV_SCALE_ALL_LANGUAGES("km");
TEXT_TABLE Scale_Units_ft = NAV_SCALE_ALL_LANGUAGES("ft");
TEXT_TABLE Scale_Units_nm = NAV_SCALE_ALL_LANGUAGES("nm");
TEXT_TABLE Scale_Units_sm = NAV_SCALE_ALL_LANGUAGES("sm");

namespace {

// The first seven rows of the two metric systems, and of the two systems
// in feet.
#define METRIC_ROWS                                                                                             \
    {"5", "10", "15", &Scale_Units_m, 5}, {"10", "20", "30", &Scale_Units_m, 10},                               \
        {"15", "30", "45", &Scale_Units_m, 15}, {"25", "50", "75", &Scale_Units_m, 25},                         \
        {"50", "100", "150", &Scale_Units_m, 50}, {"100", "200", "300", &Scale_Units_m, 100},                   \
        {"250", "500", "750", &Scale_Units_m, 250}
#define FEET_ROWS                                                                                               \
    {"10", "20", "30", &Scale_Units_ft, 3}, {"20", "40", "60", &Scale_Units_ft, 6},                             \
        {"50", "100", "150", &Scale_Units_ft, 15}, {"100", "200", "300", &Scale_Units_ft, 30},                  \
        {"200", "400", "600", &Scale_Units_ft, 61}, {"500", "1000", "1500", &Scale_Units_ft, 152},              \
        {"1000", "2000", "3000", &Scale_Units_ft, 305}
#define NAUTICAL_ROWS                                                                                           \
    {"0.25", "0.5", "0.75", &Scale_Units_nm, 463}, {"0.5", "1", "1.5", &Scale_Units_nm, 926},                   \
        {"1", "2", "3", &Scale_Units_nm, 1852}, {"2", "4", "6", &Scale_Units_nm, 3704},                         \
        {"5", "10", "15", &Scale_Units_nm, 9260}, {"10", "20", "30", &Scale_Units_nm, 18520},                   \
        {"15", "30", "45", &Scale_Units_nm, 27780}, {"25", "50", "75", &Scale_Units_nm, 46300},                 \
        {"50", "100", "150", &Scale_Units_nm, 92600}, {"100", "200", "300", &Scale_Units_nm, 185200},           \
        {"250", "500", "750", &Scale_Units_nm, 463000}

const SCALE_BAR_LENGTHS ScaleBarKM[NAV_SCALE_BAR_ROWS] = {
    METRIC_ROWS,
    {"500", "1000", "1500", &Scale_Units_m, 500},
    {"1", "2", "3", &Scale_Units_km, 1000},
    {"2", "4", "6", &Scale_Units_km, 2000},
    {"5", "10", "15", &Scale_Units_km, 5000},
    {"10", "20", "30", &Scale_Units_km, 10000},
    {"15", "30", "45", &Scale_Units_km, 15000},
    {"25", "50", "75", &Scale_Units_km, 25000},
    {"50", "100", "150", &Scale_Units_km, 50000},
    {"100", "200", "300", &Scale_Units_km, 100000},
    {"250", "500", "750", &Scale_Units_km, 250000},
    {"500", "1000", "1500", &Scale_Units_km, 500000},
};

const SCALE_BAR_LENGTHS ScaleBarNM_M[NAV_SCALE_BAR_ROWS] = {METRIC_ROWS, NAUTICAL_ROWS};
const SCALE_BAR_LENGTHS ScaleBarNM_FT[NAV_SCALE_BAR_ROWS] = {FEET_ROWS, NAUTICAL_ROWS};

const SCALE_BAR_LENGTHS ScaleBarSM[NAV_SCALE_BAR_ROWS] = {
    FEET_ROWS,
    {"0.25", "0.5", "0.75", &Scale_Units_sm, 402},
    {"0.5", "1", "1.5", &Scale_Units_sm, 805},
    {"1", "2", "3", &Scale_Units_sm, 1609},
    {"2", "4", "6", &Scale_Units_sm, 3219},
    {"5", "10", "15", &Scale_Units_sm, 8047},
    {"10", "20", "30", &Scale_Units_sm, 16093},
    {"20", "40", "60", &Scale_Units_sm, 32187},
    {"50", "100", "150", &Scale_Units_sm, 80467},
    {"100", "200", "300", &Scale_Units_sm, 160934},
    {"150", "300", "450", &Scale_Units_sm, 241402},
    {"250", "500", "750", &Scale_Units_sm, 402336},
};

#undef METRIC_ROWS
#undef FEET_ROWS
#undef NAUTICAL_ROWS

} // namespace

const SCALE_BAR_LENGTHS* T_NAV_pGetScaleBarLengths(S32 nChartScale)
{
    if (nChartScale < NAV_SCALE_BAR_FIRST || nChartScale > NAV_SCALE_BAR_LAST)
        return nullptr;
    const U32 row = (U32)(nChartScale - NAV_SCALE_BAR_FIRST);
    switch (H_DATABASE_CurrentUnits(D_DISTANCE)) {
    case U_NAUT_MILES_FT:
        return &ScaleBarNM_FT[row];
    case U_NAUT_MILES_M:
        return &ScaleBarNM_M[row];
    case U_KM:
        return &ScaleBarKM[row];
    default:
        return &ScaleBarSM[row];
    }
}
