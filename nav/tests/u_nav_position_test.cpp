// Position text: the three formats with their carries, the parse rules
// (the blank after the letter, the marks, the hemisphere letters), and a
// random round trip through every format and language.
#include "nav/core/u_nav.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

std::string format(DATA_TYPE type, double value, NAV_FORMAT_ENUM fmt, U32 lang = 0,
                   INFO_POSITION_SPACING spacing = IPS_NO_SPACE)
{
    // Exactly the documented size, so that a longer write shows under ASan.
    std::vector<char> buffer(NAV_POSITION_TEXT_BYTES, '#');
    U_NAV_vFormatPosition(type, value, buffer.data(), fmt, lang, spacing);
    return std::string(buffer.data());
}

TEST(NavPosition, FormatsWithTheirCarries)
{
    struct Case {
        DATA_TYPE type;
        double value;
        int fmt;
        INFO_POSITION_SPACING spacing;
        const char* text;
    };
    const Case cases[] = {
        {D_POSITION_LAT, -33.5, F_DD_MM_MMM, IPS_NO_SPACE, "S33\xBA" "30.000'"},
        {D_POSITION_LAT, -33.5, F_DD_MM_MMM, IPS_SPACE, "S 33\xBA" "30.000'"},
        // 59.99994 minutes would print as 60.000: the degree carries instead.
        {D_POSITION_LON, 7.999999, F_DD_MM_MMM, IPS_NO_SPACE, "E008\xBA" "00.000'"},
        {D_POSITION_LON, 7.99999, F_DD_MM_MMM, IPS_NO_SPACE, "E007\xBA" "59.999'"},
        // Seconds round to 60, carry into the minutes, which carry on.
        {D_POSITION_LAT, 10.9999, F_DD_MM_SS, IPS_NO_SPACE, "N11\xBA" "00'00\""},
        {D_POSITION_LAT, 10.5 + 30.0 / 3600, F_DD_MM_SS, IPS_SPACE, "N 10\xBA" "30'30\""},
        {D_POSITION_LON, -122.25, F_DD_DDDDD, IPS_NO_SPACE, "W122.25000\xBA"},
        {D_POSITION_LAT, 5.5, F_DD_DDDDD, IPS_NO_SPACE, "N05.50000\xBA"},
        // Every value but 5 and 7 is the minutes format, the time formats too.
        {D_POSITION_LAT, 45.5, F_12HOUR, IPS_NO_SPACE, "N45\xBA" "30.000'"},
        {D_POSITION_LAT, 45.5, 99, IPS_NO_SPACE, "N45\xBA" "30.000'"},
        // Any type but the latitude is a longitude; zero is north and east.
        {D_POSITION, 0.0, F_DD_MM_MMM, IPS_NO_SPACE, "E000\xBA" "00.000'"},
        {D_POSITION_LAT, 0.0, F_DD_MM_SS, IPS_NO_SPACE, "N00\xBA" "00'00\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(format(c.type, c.value, (NAV_FORMAT_ENUM)c.fmt, 0, c.spacing), c.text) << c.value;
}

TEST(NavPosition, LetterFollowsTheLanguageAndOversizedValuesStayInTheBuffer)
{
    // Swedish east, Russian north, Czech south; a language past the tables
    // writes English.
    EXPECT_EQ(format(D_POSITION_LON, 12.0, F_DD_DDDDD, 13), "\x81" "012.00000\xBA");
    EXPECT_EQ(format(D_POSITION_LAT, 59.5, F_DD_MM_MMM, 16, IPS_SPACE), "\x9D 59\xBA" "30.000'");
    EXPECT_EQ(format(D_POSITION_LAT, -1.0, F_DD_MM_MMM, 14), "J01\xBA" "00.000'");
    EXPECT_EQ(format(D_POSITION_LAT, -1.0, F_DD_MM_MMM, 22), "S01\xBA" "00.000'");
    EXPECT_EQ(format(D_POSITION_LAT, -1.0, F_DD_MM_MMM, 0xFFFFFFFF), "S01\xBA" "00.000'");

    // A value no position has: 30 bytes of magnitude at most.
    for (int fmt : {F_DD_DDDDD, F_DD_MM_MMM, F_DD_MM_SS}) {
        const std::string huge = format(D_POSITION_LON, -1e300, (NAV_FORMAT_ENUM)fmt, 0, IPS_SPACE);
        EXPECT_EQ(huge.size(), 2u + 30u) << fmt;
        EXPECT_EQ(huge.substr(0, 2), "W ") << fmt;
        format(D_POSITION_LAT, NAN, (NAV_FORMAT_ENUM)fmt, 0, IPS_SPACE);
        format(D_POSITION_LAT, INFINITY, (NAV_FORMAT_ENUM)fmt, 0, IPS_SPACE);
    }
}

TEST(NavPosition, ParseReadsTheMarksAndTheLetter)
{
    constexpr double UNTOUCHED = 1234.5;
    struct Case {
        DATA_TYPE type;
        const char* text;
        BOOLEAN ok;
        double value;
    };
    const Case cases[] = {
        {D_POSITION_LAT, "N 45\xBA" "30'", TRUE, 45.5},
        {D_POSITION_LAT, "S 45\xBA" "30'", TRUE, -45.5},
        // Neither letter: the magnitude is stored all the same.
        {D_POSITION_LAT, "E 45\xBA" "30'", FALSE, 45.5},
        {D_POSITION_LAT, "N45\xBA" "30'", FALSE, UNTOUCHED},
        {D_POSITION_LAT, "N 45", TRUE, 0.0},
        {D_POSITION_LON, "W 122.25000\xBA", TRUE, -122.25},
        {D_POSITION_LON, "E 008\xBA" "30'36\"", TRUE, 8.51},
        // A missing later mark ends the value there.
        {D_POSITION_LON, "E 008\xBA" "30", TRUE, 8.0},
        {D_POSITION_LON, "E 008\xBA" "30'36", TRUE, 8.5},
        // Latitude letters do not serve a longitude.
        {D_POSITION_LON, "N 10\xBA", FALSE, 10.0},
        // Too short to hold the blank.
        {D_POSITION_LAT, "", FALSE, UNTOUCHED},
        {D_POSITION_LAT, "N", FALSE, UNTOUCHED},
        // Only 19 bytes after the blank are read: a mark beyond them is not seen.
        {D_POSITION_LAT, "N 000000000000000000045\xBA", TRUE, 0.0},
        {D_POSITION_LAT, "N 00000000000000045\xBA", TRUE, 45.0},
    };
    for (const Case& c : cases) {
        double value = UNTOUCHED;
        EXPECT_EQ(U_NAV_bParsePosition(c.type, c.text, &value, F_DD_MM_MMM, 0), c.ok) << c.text;
        EXPECT_NEAR(value, c.value, 1e-12) << c.text;
    }
    double value = UNTOUCHED;
    EXPECT_FALSE(U_NAV_bParsePosition(D_POSITION_LAT, nullptr, &value, F_DD_MM_MMM, 0));
    EXPECT_FALSE(U_NAV_bParsePosition(D_POSITION_LAT, "N 1\xBA", nullptr, F_DD_MM_MMM, 0));
    EXPECT_EQ(value, UNTOUCHED);
}

// What the formatter writes with the blank reads back within the precision
// of its format, in the language it was written in: the letters of all 22
// languages, their bytes above 0x7F included, keep their hemispheres apart.
TEST(NavPosition, EveryFormatAndLanguageReadsBackWithinItsPrecision)
{
    struct Format {
        NAV_FORMAT_ENUM fmt;
        double precision; // degrees: half the last printed digit
    };
    const Format formats[] = {
        {F_DD_DDDDD, 0.5e-5}, {F_DD_MM_MMM, 0.5e-3 / 60}, {F_DD_MM_SS, 0.5 / 3600}};
    std::mt19937_64 rng(231);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
    for (int i = 0; i < 10000; ++i) {
        const double values[2] = {lat(rng), lon(rng)};
        const DATA_TYPE types[2] = {D_POSITION_LAT, D_POSITION_LON};
        for (int axis = 0; axis < 2; ++axis) {
            for (const Format& f : formats) {
                for (U32 lang = 0; lang < (U32)DB_NUM_LANGUAGES; ++lang) {
                    const std::string text = format(types[axis], values[axis], f.fmt, lang, IPS_SPACE);
                    double back = 0;
                    ASSERT_TRUE(U_NAV_bParsePosition(types[axis], text.c_str(), &back, f.fmt, lang))
                        << text << " language " << lang;
                    ASSERT_NEAR(back, values[axis], f.precision + 1e-12) << text << " language " << lang;
                }
            }
        }
    }
}

} // namespace
