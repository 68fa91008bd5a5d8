// Unit conversion. Every physical value is held in one internal unit per
// data type (metres, metres per second, degrees Celsius, hectopascals ...)
// and converted to the user's display unit only when shown or entered.
// Each unit is a linear relation v * multiplier + offset to the base unit of
// its dimension; both tables are filled once by
// U_CONVERT_vInitialiseConversionUtility before any task starts.
//
// Units without a relation (positions, times, concentrations, magnetic
// degrees) have multiplier 0: converting to or from them is not defined.
#pragma once

#include "kernel/l_types.h"

// The display units. The units keys of the data store hold these values.
typedef enum tag_UNIT_TYPE {
    U_NONE = 0,
    U_MPS = 1,
    U_STAT_MILES = 2,
    U_NAUT_MILES = 3,
    U_KM = 4,
    U_KNOTS = 5,
    U_MPH = 6,
    U_KPH = 7,
    U_LATLON = 8,
    U_INCH = 9,
    U_METRES = 10,
    U_FEET = 11,
    U_FATHOMS = 12,
    U_SECONDS = 13,
    U_MINUTES = 14,
    U_INCHESHG = 15,
    U_MMHG = 16,
    U_MILLIBAR = 17,
    U_HECTOPASCALS = 18,
    U_USGALLONS = 19,
    U_UKGALLONS = 20,
    U_LITRES = 21,
    U_M3 = 22,
    U_PPMO2 = 23,
    U_MOLPERM3 = 24,
    U_VOLTS = 25,
    U_AMPERES = 26,
    U_MILLIAMPERES = 27,
    U_CELSIUS = 28,
    U_FAHRENHEIT = 29,
    U_DEG_TRUE = 30,
    U_DEG_MAGNETIC = 31,
    U_NAUT_MILES_FT = 32,
    U_NAUT_MILES_M = 33,
    U_DEG_GEOMETRIC = 34,
    U_PSI = 35,
    U_KPA = 36,
    NUMBER_OF_UNIT_TYPES = 37
} UNIT_TYPE;

// What a data-store value is; selects how it is shown and in which units.
typedef enum tag_DATA_TYPE {
    D_UNKNOWN = 0,
    D_UNITS = 1,
    D_POINTER = 2,
    D_TEMPERATURE = 3,
    D_SPEED = 4,
    D_DISTANCE = 5,
    D_HEADING = 6,
    D_DEPTH = 7,
    D_DATETIME = 8,
    D_TIME = 9,
    D_LONG_TIME = 10,
    D_PRESSURE = 11,
    D_VOLUME = 12,
    D_PH = 13,
    D_CONCENTRATION = 14,
    D_VOLTAGE = 15,
    D_CURRENT = 16,
    D_MAILBOX = 17,
    D_POSITION = 18,
    D_POSITION_LAT = 19,
    D_POSITION_LON = 20,
    D_POSITION_LAT_MM = 21,
    D_POSITION_LON_MM = 22,
    D_FCID = 23,
    D_PERCENT = 24,
    D_SAT_DATA = 25,
    D_WAYPOINT = 26,
    D_ALTITUDE = 27,
    D_FLOAT = 28,
    D_SIGNED32 = 29,
    D_UNSIGNED32 = 30,
    D_FIXED_POINT = 31,
    D_ELEVATION_ANGLE = 32,
    D_TEMPERATURE_OFFSET = 33,
    NUMBER_OF_DATA_TYPES = 34
} DATA_TYPE;

// A value v in a unit equals v * fMultiplier + fOffset in its base unit.
typedef struct tag_CONVERT_FACTOR {
    float fMultiplier;
    float fOffset;
} CONVERT_FACTOR;

void U_CONVERT_vInitialiseConversionUtility(void);

// A value given in FromUnits, in the data type's internal unit.
double dConvertToInternal(const double dValue, const DATA_TYPE DataType, const UNIT_TYPE FromUnits);
// An internal value of the data type, in ToUnits.
double dConvertFromInternal(const double dValue, const DATA_TYPE DataType, const UNIT_TYPE ToUnits);
// Between two units of one dimension.
double dGenericConvert(const double dValue, const UNIT_TYPE From, const UNIT_TYPE To);
