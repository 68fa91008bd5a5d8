// Unit conversion: two tables, the linear relation of each unit to its base
// unit and the internal unit of each data type, and the three conversions.
//
// The factors are floats (a knot is 0.5144456 m/s here, not 1852/3600) and
// are widened to double for the arithmetic, which always runs in the same
// order, so every screen that converts a value shows the same figure.
#include "util/u_convert.h"

#include <array>

namespace {

std::array<CONVERT_FACTOR, NUMBER_OF_UNIT_TYPES> s_ConvertFactors;
std::array<UNIT_TYPE, NUMBER_OF_DATA_TYPES> s_InternalUnits;

bool bUnitKnown(UNIT_TYPE u) { return (U32)u < NUMBER_OF_UNIT_TYPES; }
bool bTypeKnown(DATA_TYPE t) { return (U32)t < NUMBER_OF_DATA_TYPES; }

double dMultiplier(UNIT_TYPE u) { return (double)s_ConvertFactors[u].fMultiplier; }
double dOffset(UNIT_TYPE u) { return (double)s_ConvertFactors[u].fOffset; }

// (O[from] - O[to] + v * M[from]) / M[to], in this order.
double dLinear(double dValue, UNIT_TYPE From, UNIT_TYPE To)
{
    return (dOffset(From) - dOffset(To) + dValue * dMultiplier(From)) / dMultiplier(To);
}

} // namespace

void U_CONVERT_vInitialiseConversionUtility(void)
{
    s_ConvertFactors.fill(CONVERT_FACTOR{0.0f, 0.0f});
    auto set = [](UNIT_TYPE u, float m, float o = 0.0f) { s_ConvertFactors[u] = CONVERT_FACTOR{m, o}; };
    set(U_NONE, 1.0f);
    set(U_MPS, 1.0f);
    set(U_STAT_MILES, 1609.3472f);
    set(U_NAUT_MILES, 1852.0f);
    set(U_KM, 1000.0f);
    set(U_KNOTS, 0.5144456f);
    set(U_MPH, 0.44704f);
    set(U_KPH, 0.2777778f);
    set(U_METRES, 1.0f);
    set(U_FEET, 0.3048f);
    set(U_FATHOMS, 1.8288037f);
    set(U_INCHESHG, 33.8639f);
    set(U_MMHG, 1.33322f);
    set(U_MILLIBAR, 1.0f);
    set(U_HECTOPASCALS, 1.0f);
    set(U_USGALLONS, 0.0037854118f);
    set(U_UKGALLONS, 0.004546092f);
    set(U_LITRES, 0.001f);
    set(U_M3, 1.0f);
    set(U_VOLTS, 1.0f);
    set(U_AMPERES, 1.0f);
    set(U_MILLIAMPERES, 0.001f);
    set(U_CELSIUS, 1.0f);
    set(U_FAHRENHEIT, 0.5555556f, -17.777779f);
    set(U_DEG_TRUE, 1.0f);
    set(U_NAUT_MILES_FT, 1852.0f);
    set(U_NAUT_MILES_M, 1852.0f);
    set(U_DEG_GEOMETRIC, 1.0f);
    set(U_PSI, 68.94757f);
    set(U_KPA, 10.0f);

    s_InternalUnits.fill(U_NONE);
    s_InternalUnits[D_TEMPERATURE] = U_CELSIUS;
    s_InternalUnits[D_SPEED] = U_MPS;
    s_InternalUnits[D_DISTANCE] = U_METRES;
    s_InternalUnits[D_DEPTH] = U_METRES;
    s_InternalUnits[D_ALTITUDE] = U_METRES;
    s_InternalUnits[D_HEADING] = U_DEG_TRUE;
    s_InternalUnits[D_PRESSURE] = U_HECTOPASCALS;
    s_InternalUnits[D_VOLUME] = U_M3;
    s_InternalUnits[D_VOLTAGE] = U_VOLTS;
    s_InternalUnits[D_CURRENT] = U_AMPERES;
    s_InternalUnits[D_ELEVATION_ANGLE] = U_DEG_GEOMETRIC;
}

// An unknown type or unit leaves the value as it is rather than reading
// past the tables.
double dConvertToInternal(const double dValue, const DATA_TYPE DataType, const UNIT_TYPE FromUnits)
{
    if (!bTypeKnown(DataType) || !bUnitKnown(FromUnits))
        return dValue;
    UNIT_TYPE internal = s_InternalUnits[DataType];
    if (FromUnits == internal)
        return dValue;
    return dLinear(dValue, FromUnits, internal);
}

double dConvertFromInternal(const double dValue, const DATA_TYPE DataType, const UNIT_TYPE ToUnits)
{
    if (!bTypeKnown(DataType) || !bUnitKnown(ToUnits))
        return dValue;
    UNIT_TYPE internal = s_InternalUnits[DataType];
    if (ToUnits == internal)
        return dValue;
    return dLinear(dValue, internal, ToUnits);
}

// No short cut for equal units: callers get the same rounding either way.
double dGenericConvert(const double dValue, const UNIT_TYPE From, const UNIT_TYPE To)
{
    if (!bUnitKnown(From) || !bUnitKnown(To))
        return dValue;
    return dLinear(dValue, From, To);
}
