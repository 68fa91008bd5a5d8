// Unit conversion: the reference vectors, every unit's relation to its base
// unit, and the internal unit of every data type.
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

class UConvert : public ::testing::Test {
protected:
    void SetUp() override { U_CONVERT_vInitialiseConversionUtility(); }
};

} // namespace

TEST_F(UConvert, ReferenceVectors)
{
    EXPECT_NEAR(dConvertToInternal(10.0, D_SPEED, U_KNOTS), 5.1444560289, 1e-10);
    EXPECT_NEAR(dConvertFromInternal(dConvertToInternal(10.0, D_SPEED, U_KNOTS), D_SPEED, U_KNOTS), 10.0, 1e-7);
    EXPECT_NEAR(dConvertToInternal(212.0, D_TEMPERATURE, U_FAHRENHEIT), 100.0000048, 1e-7);
    EXPECT_NEAR(dConvertFromInternal(0.0, D_TEMPERATURE, U_FAHRENHEIT), 32.0, 1e-5);
    EXPECT_NEAR(dGenericConvert(6.0, U_FEET, U_FATHOMS), 0.999998, 1e-6);
    EXPECT_NEAR(dConvertToInternal(1.0, D_PRESSURE, U_PSI), 68.94757, 1e-4);
    EXPECT_NEAR(dConvertFromInternal(10.0, D_PRESSURE, U_KPA), 1.0, 1e-12);
    EXPECT_NEAR(dConvertToInternal(1.0, D_VOLUME, U_UKGALLONS), 0.004546092, 1e-9);
}

TEST_F(UConvert, ValueInTheInternalUnitPassesUnchanged)
{
    EXPECT_EQ(dConvertToInternal(12.345678901234, D_DEPTH, U_METRES), 12.345678901234);
    EXPECT_EQ(dConvertFromInternal(-3.3, D_TEMPERATURE, U_CELSIUS), -3.3);
    EXPECT_TRUE(std::isnan(dConvertToInternal(NAN, D_SPEED, U_MPS)));
}

// Each unit against its physical definition in the base unit of its
// dimension (SI and customary definitions, not the unit's table): the
// table's float factors, some of them older survey values (the statute
// mile, the fathom, the knot), agree within a few parts per million, and a
// wrong or swapped factor is far off. Units without a relation give 0.
TEST_F(UConvert, EveryUnitAgreesWithItsDefinition)
{
    struct Row {
        UNIT_TYPE unit;
        double perUnit; // one of the unit in the base unit
        double offset;  // base-unit value of the unit's zero
    } rows[] = {
        {U_NONE, 1, 0},
        {U_MPS, 1, 0},
        {U_STAT_MILES, 1609.344, 0},        // 5280 ft
        {U_NAUT_MILES, 1852, 0},
        {U_KM, 1000, 0},
        {U_KNOTS, 1852.0 / 3600.0, 0},      // one nautical mile an hour
        {U_MPH, 1609.344 / 3600.0, 0},
        {U_KPH, 1000.0 / 3600.0, 0},
        {U_LATLON, 0, 0},
        {U_INCH, 0, 0},
        {U_METRES, 1, 0},
        {U_FEET, 0.3048, 0},
        {U_FATHOMS, 6 * 0.3048, 0},
        {U_SECONDS, 0, 0},
        {U_MINUTES, 0, 0},
        {U_INCHESHG, 3386.389 / 100, 0},    // hPa, mercury at 0 degrees C
        {U_MMHG, 133.322387 / 100, 0},
        {U_MILLIBAR, 1, 0},
        {U_HECTOPASCALS, 1, 0},
        {U_USGALLONS, 231 * 0.0254 * 0.0254 * 0.0254, 0}, // 231 cubic inches
        {U_UKGALLONS, 4.54609e-3, 0},
        {U_LITRES, 1e-3, 0},
        {U_M3, 1, 0},
        {U_PPMO2, 0, 0},
        {U_MOLPERM3, 0, 0},
        {U_VOLTS, 1, 0},
        {U_AMPERES, 1, 0},
        {U_MILLIAMPERES, 1e-3, 0},
        {U_CELSIUS, 1, 0},
        {U_FAHRENHEIT, 5.0 / 9.0, -32 * 5.0 / 9.0},
        {U_DEG_TRUE, 1, 0},
        {U_DEG_MAGNETIC, 0, 0},
        {U_NAUT_MILES_FT, 1852, 0},
        {U_NAUT_MILES_M, 1852, 0},
        {U_DEG_GEOMETRIC, 1, 0},
        {U_PSI, 4.4482216152605 / (0.0254 * 0.0254) / 100, 0}, // lbf per square inch in hPa
        {U_KPA, 10, 0},
    };
    ASSERT_EQ(sizeof rows / sizeof rows[0], (size_t)NUMBER_OF_UNIT_TYPES);
    for (size_t i = 0; i < NUMBER_OF_UNIT_TYPES; ++i) {
        const Row& r = rows[i];
        ASSERT_EQ((size_t)r.unit, i);
        for (double v : {1.0, 3.0, -2.5, 212.0}) {
            double want = r.offset + v * r.perUnit;
            EXPECT_NEAR(dGenericConvert(v, r.unit, U_NONE), want, 1e-5 * std::max(1.0, std::fabs(want)))
                << "unit " << i << " v " << v;
        }
    }
}

// Only the unchanged path keeps the sign of a negative zero: (0 + -0.0) / 1
// is +0.0. That tells the internal unit apart from other units of factor 1.
// Only units of factor 1 and offset 0 are compared; every internal unit is one.
TEST_F(UConvert, EveryDataTypeHasItsInternalUnit)
{
    UNIT_TYPE want[NUMBER_OF_DATA_TYPES];
    for (UNIT_TYPE& u : want)
        u = U_NONE;
    want[D_TEMPERATURE] = U_CELSIUS;
    want[D_SPEED] = U_MPS;
    want[D_DISTANCE] = want[D_DEPTH] = want[D_ALTITUDE] = U_METRES;
    want[D_HEADING] = U_DEG_TRUE;
    want[D_PRESSURE] = U_HECTOPASCALS;
    want[D_VOLUME] = U_M3;
    want[D_VOLTAGE] = U_VOLTS;
    want[D_CURRENT] = U_AMPERES;
    want[D_ELEVATION_ANGLE] = U_DEG_GEOMETRIC;
    for (int t = 0; t < NUMBER_OF_DATA_TYPES; ++t) {
        for (int u = 0; u < NUMBER_OF_UNIT_TYPES; ++u) {
            if (u != want[t] && dGenericConvert(2.0, (UNIT_TYPE)u, U_NONE) != 2.0)
                continue;
            bool unchanged = std::signbit(dConvertToInternal(-0.0, (DATA_TYPE)t, (UNIT_TYPE)u));
            bool unchangedBack = std::signbit(dConvertFromInternal(-0.0, (DATA_TYPE)t, (UNIT_TYPE)u));
            EXPECT_EQ(unchanged, u == want[t]) << "type " << t << " unit " << u;
            EXPECT_EQ(unchangedBack, u == want[t]) << "type " << t << " unit " << u;
        }
    }
}

TEST_F(UConvert, SpeedsAndDistancesAgreeAcrossUnits)
{
    EXPECT_NEAR(dGenericConvert(1.0, U_NAUT_MILES, U_KM), 1.852, 1e-12);
    EXPECT_NEAR(dGenericConvert(100.0, U_KPH, U_MPS), 27.77778, 1e-5);
    EXPECT_NEAR(dGenericConvert(1.0, U_USGALLONS, U_LITRES), 3.7854118, 1e-6);
    EXPECT_NEAR(dGenericConvert(1.0, U_INCHESHG, U_MILLIBAR), 33.8639, 1e-4);
}

TEST_F(UConvert, OutOfRangeTypesAndUnitsLeaveTheValue)
{
    EXPECT_EQ(dConvertToInternal(7.5, (DATA_TYPE)34, U_FEET), 7.5);
    EXPECT_EQ(dConvertFromInternal(7.5, D_DEPTH, (UNIT_TYPE)37), 7.5);
    EXPECT_EQ(dGenericConvert(7.5, (UNIT_TYPE)-1, U_FEET), 7.5);
}
