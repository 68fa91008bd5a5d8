// Readout formatting: the rounding and unit-switching boundaries of each
// data type, the clock and calendar forms with the time-zone rule, the
// widths with small tenths, and the limits of the value field.
#include "ui/t_info.h"
#include "ui/tests/draw_fixture.h"

#include "store/h_database.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>

namespace {

constexpr FOURCHARID KEY = FCID("IXXX");

void world()
{
    static const bool once = [] {
        setenv("TZ", "UTC", 1);
        tzset();
        dtest::prepareWorld();
        U_CONVERT_vInitialiseConversionUtility();
        return true;
    }();
    (void)once;
    // Each case starts without the formats and units it does not set.
    for (FOURCHARID k : {FCID("SITF"), FCID("SIDF"), FCID("SIPF"), FCID("SLTZ"), FCID("SDST"), FCID("IMGV"),
                         FCID("SUSP"), FCID("SUDS"), FCID("SUHD"), FCID("YUDP"), KEY})
        H_DATABASE_vDeleteEntry(k);
}

void setU32(const char (&key)[5], U32 v) { H_DATABASE_bUpdateValueU32(FCID(key), v, P_NORMAL); }
void setS32(const char (&key)[5], S32 v) { H_DATABASE_bUpdateValueS32(FCID(key), v, P_NORMAL); }
void defineFloat(DATA_TYPE type, float v)
{
    H_DATABASE_bUpdateEverythingFloat(KEY, v, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER);
}
void defineU32(DATA_TYPE type, U32 v) { H_DATABASE_bUpdateEverythingU32(KEY, v, P_NORMAL, type, nullptr, DB_TIMEOUT_NEVER); }

// The stored (internal) value that shows as at least `shown` in the unit:
// the boundary cases must land on the boundary, not a float step below it.
float internalAtLeast(double shown, DATA_TYPE type, UNIT_TYPE unit)
{
    float f = (float)dConvertToInternal(shown, type, unit);
    while (std::fabs(dConvertFromInternal(f, type, unit)) < std::fabs(shown))
        f = std::nextafter(f, f < 0 ? -INFINITY : INFINITY);
    return f;
}

struct Shown {
    std::string value;
    std::string units;
};

Shown show(DIGITS_FORMAT eFormat = LARGE_TENTHS)
{
    char sValue[20];
    memset(sValue, '#', sizeof sValue);
    const char* pUnits = nullptr;
    BOOLEAN bValid = FALSE;
    const S32 n = T_INFO_nInfoStrings(sValue, &pUnits, &bValid, 100, KEY, dtest::blockFont(), dtest::blockFont(),
                                      dtest::blockFont(), eFormat, 0, 16, nullptr, nullptr);
    EXPECT_GE(n, 0);
    EXPECT_NE(memchr(sValue, '\0', 16), nullptr) << "the value must end inside its 16 bytes";
    return {sValue, pUnits != nullptr ? pUnits : "(null)"};
}

struct Case {
    const char* name;
    std::function<void()> setup;
    DIGITS_FORMAT format;
    const char* value;
    const char* units;
};

TEST(InfoFormat, ReadoutsByDataType)
{
    const auto speed = [](double kn, UNIT_TYPE u) {
        return [=] {
            setU32("SUSP", u);
            defineFloat(D_SPEED, internalAtLeast(kn, D_SPEED, u));
        };
    };
    const auto distance = [](double v, UNIT_TYPE u) {
        return [=] {
            setU32("SUDS", u);
            defineFloat(D_DISTANCE, (v < 0 ? -1 : 1) * internalAtLeast(std::fabs(v), D_DISTANCE, u));
        };
    };
    const auto depth = [](double m) {
        return [=] {
            setU32("YUDP", U_METRES);
            defineFloat(D_DEPTH, internalAtLeast(m, D_DEPTH, U_METRES));
        };
    };
    const auto seconds = [](S32 s) { return [=] { defineU32(D_TIME, (U32)s); }; };
    const auto clock12 = [](U32 t) {
        return [=] {
            setU32("SITF", 3);
            defineU32(D_DATETIME, t);
        };
    };
    const Case cases[] = {
        {"9.94 kn", speed(9.94, U_KNOTS), LARGE_TENTHS, "9.9", "kts"},
        {"9.95 kn", speed(9.95, U_KNOTS), LARGE_TENTHS, "10", "kts"},
        {"99.9 mph", speed(99.9, U_MPH), LARGE_TENTHS, "99.9", "mph"},
        {"99.95 mph", speed(99.95, U_MPH), LARGE_TENTHS, "100", "mph"},
        {"speed without tenths", speed(5.0, U_KNOTS), NO_TENTHS, "5", "kts"},
        {"0.05 nm in feet", distance(0.05, U_NAUT_MILES_FT), LARGE_TENTHS, "304", "ft"},
        {"0.1 nm", distance(0.1, U_NAUT_MILES_FT), LARGE_TENTHS, "0.10", "nm"},
        {"10 nm", distance(10.0, U_NAUT_MILES_FT), LARGE_TENTHS, "10.0", "nm"},
        {"100 nm", distance(100.0, U_NAUT_MILES_FT), LARGE_TENTHS, "100", "nm"},
        {"negative distance", distance(-10.0, U_NAUT_MILES_M), LARGE_TENTHS, "10.0", "nm"},
        {"0.05 nm in metres", distance(0.05, U_NAUT_MILES_M), LARGE_TENTHS, "93", "m"},
        {"0.5 km", distance(0.5, U_KM), LARGE_TENTHS, "500.00", "m"},
        {"1 km", distance(1.0, U_KM), LARGE_TENTHS, "1.00", "km"},
        {"0.05 sm", distance(0.05, U_STAT_MILES), LARGE_TENTHS, "264", "ft"},
        {"heading 359.6", [] { setU32("SUHD", U_DEG_TRUE); defineFloat(D_HEADING, 359.6f); }, LARGE_TENTHS, "000",
         "\xBA" "t"},
        {"heading 5", [] { setU32("SUHD", U_DEG_TRUE); defineFloat(D_HEADING, 5.0f); }, LARGE_TENTHS, "005",
         "\xBA" "t"},
        {"magnetic without variation", [] { setU32("SUHD", U_DEG_MAGNETIC); defineFloat(D_HEADING, 90.0f); },
         LARGE_TENTHS, "---", ""},
        {"magnetic", [] {
             setU32("SUHD", U_DEG_MAGNETIC);
             H_DATABASE_bUpdateEverythingFloat(FCID("IMGV"), 10.0f, P_NORMAL, D_FLOAT, nullptr, DB_TIMEOUT_NEVER);
             defineFloat(D_HEADING, 5.0f);
         }, LARGE_TENTHS, "355", "\xBA" "m"},
        {"depth 99.94 m", depth(99.94), LARGE_TENTHS, "99.9", "m"},
        {"depth 99.95 m", depth(99.95), LARGE_TENTHS, "100", "m"},
        {"depth 12.3 m without tenths", depth(12.3), NO_TENTHS, "12", "m"},
        {"depth 99.95 m without tenths", depth(99.95), NO_TENTHS, "100", "m"},
        {"time 59 s", seconds(59), LARGE_TENTHS, "0:59", ""},
        {"time 3599 s", seconds(3599), LARGE_TENTHS, "59:59", ""},
        {"time 3600 s", seconds(3600), LARGE_TENTHS, "1:00", ""},
        {"time -1 s", seconds(-1), LARGE_TENTHS, "---", ""},
        {"long time", [] { defineU32(D_LONG_TIME, 3725); }, LARGE_TENTHS, "01:02:05", ""},
        {"date-time 0", clock12(0), LARGE_TENTHS, "", ""},
        {"noon", clock12(12 * 3600), LARGE_TENTHS, "12:00", ""},
        {"midnight", clock12(86400), LARGE_TENTHS, "12:00", ""},
        {"13:05", clock12(13 * 3600 + 5 * 60), LARGE_TENTHS, "1:05", ""},
        {"13:05 in 24 hours", [] { setU32("SITF", 4); defineU32(D_DATETIME, 13 * 3600 + 5 * 60); }, LARGE_TENTHS,
         "13:05", ""},
        {"date-time without a format", [] { defineU32(D_DATETIME, 3600); }, LARGE_TENTHS, "---", ""},
        {"voltage", [] { defineFloat(D_VOLTAGE, 12.34f); }, LARGE_TENTHS, "12.3", "V"},
        {"voltage without tenths", [] { defineFloat(D_VOLTAGE, 12.34f); }, NO_TENTHS, "12", "V"},
        {"unknown", [] { defineU32(D_UNKNOWN, 42); }, LARGE_TENTHS, "42", ""},
        {"float", [] { defineFloat(D_FLOAT, 1.5f); }, LARGE_TENTHS, "1.50", ""},
        {"signed", [] { H_DATABASE_bUpdateEverythingS32(KEY, -7, P_NORMAL, D_SIGNED32, nullptr, DB_TIMEOUT_NEVER); },
         LARGE_TENTHS, "-7", ""},
        {"fixed point", [] { defineU32(D_FIXED_POINT, 0x18000); }, LARGE_TENTHS, "1.50", ""},
        {"unsigned 5", [] { defineU32(D_UNSIGNED32, 5); }, LARGE_TENTHS, "00000005", ""},
        {"a key of a key", [] { defineU32(D_FCID, 0xABCDEF01); }, LARGE_TENTHS, "abcdef01", ""},
        {"position without a format", [] { defineFloat(D_POSITION_LAT, 45.0f); }, LARGE_TENTHS, "---", ""},
        {"a huge float is cut inside its field", [] { defineFloat(D_FLOAT, 1e30f); }, LARGE_TENTHS,
         "100000001504746", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        world();
        c.setup();
        const Shown s = show(c.format);
        EXPECT_EQ(s.value, c.value);
        EXPECT_EQ(s.units, c.units);
    }
}

TEST(InfoFormat, MissingKeyTouchesNothing)
{
    world();
    char sValue[20] = "kept";
    const char* pUnits = "kept";
    BOOLEAN bValid = TRUE;
    S32 vw = -5, uw = -5;
    EXPECT_EQ(T_INFO_nInfoStrings(sValue, &pUnits, &bValid, 100, KEY, dtest::blockFont(), dtest::blockFont(),
                                  dtest::blockFont(), LARGE_TENTHS, 0, 16, &vw, &uw),
              0);
    EXPECT_STREQ(sValue, "kept");
    EXPECT_STREQ(pUnits, "kept");
    EXPECT_TRUE(bValid);
    EXPECT_EQ(vw, -5);

    char sUnits[20] = "";
    T_INFO_vGetData(KEY, &bValid, sValue, sUnits, dtest::blockFont(), dtest::blockFont(), 0);
    EXPECT_STREQ(sUnits, "  ");
    EXPECT_EQ(T_INFO_nMeasureInfoBox(50, KEY, dtest::blockFont(), dtest::blockFont(), IBS_WHITE_BAR, 0), 0);
}

// The block font: digits 10 wide, '.' (no glyph) 17, letters 10.
TEST(InfoFormat, WidthsAndMeasures)
{
    world();
    static const dtest::BlockFont other; // a second font, so that tenths differ from the value font
    setU32("SUSP", U_KNOTS);
    defineFloat(D_SPEED, internalAtLeast(1.2, D_SPEED, U_KNOTS)); // "1.2" with "kts"
    char sValue[20];
    const char* pUnits = nullptr;
    BOOLEAN bValid = FALSE;
    S32 vw = 0, uw = 0;
    const S32 total = T_INFO_nInfoStrings(sValue, &pUnits, &bValid, 0, KEY, dtest::blockFont(), dtest::blockFont(),
                                          other.get(), SMALL_TENTHS, 0, 16, &vw, &uw);
    EXPECT_STREQ(sValue, "1.2");
    EXPECT_EQ(vw, 10 + 17 + 10);
    EXPECT_EQ(uw, 30);
    EXPECT_EQ(total, vw + uw);
    EXPECT_TRUE(bValid);

    // Margins: 13 for the bordered styles, 1 for the others, never below the minimum.
    EXPECT_EQ(T_INFO_nMeasureInfoBox(0, KEY, dtest::blockFont(), dtest::blockFont(), IBS_GRAY_ROUNDED_BORDER, 0),
              67 + 13);
    EXPECT_EQ(T_INFO_nMeasureInfoBox(0, KEY, dtest::blockFont(), dtest::blockFont(), IBS_WHITE_BAR, 0), 67 + 1);
    EXPECT_EQ(T_INFO_nMeasureInfoBox(120, KEY, dtest::blockFont(), dtest::blockFont(), IBS_WHITE_BAR, 0), 120);
    EXPECT_EQ(T_INFO_nMeasureDigitsInfoBox(0, KEY, dtest::blockFont(), dtest::blockFont(), dtest::blockFont(),
                                           NO_TENTHS, IBS_WHITE_BAR, 0),
              10 + 30 + 1);
}

// The texts that come from the navigation: a waypoint's name cut to the
// pixel width, a position, the trolling motor's navigation text.
TEST(InfoFormat, NeighbourTexts)
{
    world();
    T_INFO_NEIGHBOURS n = {};
    n.pfnCopyWaypointName = [](U32 id, char* pcName, U32 u32Limit) {
        snprintf(pcName, u32Limit, "%s", id == 7 ? "ABCDEF" : "?");
    };
    n.pfnFormatPosition = [](DATA_TYPE, double d, char* s, U32 fmt, U32) { sprintf(s, "P%u %.1f", fmt, d); };
    n.pfnStevrinActiveStr = [](char* s, U32 size) { snprintf(s, size, "%s", "Spot-Lock active now, long"); };
    T_INFO_vInstallNeighbours(&n);

    H_DATABASE_bUpdateEverythingU32(KEY, 7, P_NORMAL, D_WAYPOINT, nullptr, DB_TIMEOUT_NEVER);
    const struct {
        S32 nWidth, nSize;
        const char* text;
    } names[] = {{35, 16, "ABC"}, {60, 16, "ABCDEF"}, {60, 4, "ABCD"}, {-1, 16, ""}};
    for (const auto& c : names) {
        char sValue[20];
        const char* pUnits = nullptr;
        T_INFO_nInfoStrings(sValue, &pUnits, nullptr, c.nWidth, KEY, dtest::blockFont(), dtest::blockFont(),
                            dtest::blockFont(), LARGE_TENTHS, 0, c.nSize, nullptr, nullptr);
        EXPECT_STREQ(sValue, c.text) << c.nWidth << " pixels, " << c.nSize << " characters";
    }

    defineFloat(D_POSITION_LAT, 45.5f);
    setU32("SIPF", 6);
    EXPECT_EQ(show().value, "P6 45.5");

    H_DATABASE_bUpdateEverythingFloat(FCID("IDWP"), 1.0f, P_NORMAL, D_VOLTAGE, nullptr, DB_TIMEOUT_NEVER);
    char sValue[20];
    const char* pUnits = nullptr;
    T_INFO_nInfoStrings(sValue, &pUnits, nullptr, 0, FCID("IDWP"), dtest::blockFont(), dtest::blockFont(),
                        dtest::blockFont(), LARGE_TENTHS, 0, 16, nullptr, nullptr);
    EXPECT_STREQ(sValue, "Spot-Lock activ") << "16 characters of the text, cut inside the field";
    EXPECT_STREQ(pUnits, "");
    T_INFO_vInstallNeighbours(nullptr);
}

struct TimeCase {
    const char* name;
    std::function<void()> setup;
    time_t t;
    BOOLEAN bSeconds, bAmPm;
    const char* time;
    const char* date;
};

TEST(InfoFormat, StandAloneTimeAndDate)
{
    constexpr time_t MARCH_5_2016 = 1457136000; // 00:00:00 UTC
    const auto fmt = [](U32 sitf, U32 sidf) {
        return [=] {
            setU32("SITF", sitf);
            setU32("SIDF", sidf);
        };
    };
    const TimeCase cases[] = {
        {"12-hour with seconds", fmt(3, 0), MARCH_5_2016 + 30 * 60 + 15, TRUE, TRUE, "12:30:15 AM", "03/05/16"},
        {"24-hour with seconds", fmt(4, 1), MARCH_5_2016 + 30 * 60 + 15, TRUE, TRUE, "00:30:15", "05.03.16"},
        {"afternoon, no AM/PM", fmt(3, 2), MARCH_5_2016 + 13 * 3600 + 5 * 60, FALSE, FALSE, "1:05", "16.03.05"},
        {"afternoon with PM", fmt(3, 2), MARCH_5_2016 + 13 * 3600 + 5 * 60, FALSE, TRUE, "1:05 PM", "16.03.05"},
        {"no formats", [] {}, MARCH_5_2016, FALSE, FALSE, "---", "---"},
        {"zero", fmt(4, 1), 0, TRUE, TRUE, "", ""},
        {"-300 minutes with daylight saving", [] {
             setU32("SITF", 4);
             setU32("SIDF", 1);
             setS32("SLTZ", -300);
             setU32("SDST", 1);
         }, MARCH_5_2016 + 2 * 3600, FALSE, FALSE, "22:00", "04.03.16"},
        {"time zone without daylight-saving key", [] {
             setU32("SITF", 4);
             setU32("SIDF", 1);
             setS32("SLTZ", -300);
         }, MARCH_5_2016 + 2 * 3600, FALSE, FALSE, "02:00", "05.03.16"},
    };
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(c.name);
        world();
        c.setup();
        char sTime[20] = "x", sDate[20] = "x";
        BOOLEAN bBlink = 7;
        T_INFO_vFormatTime(c.t, c.bSeconds, c.bAmPm, sTime, sDate, &bBlink);
        EXPECT_STREQ(sTime, c.time);
        EXPECT_STREQ(sDate, c.date);
        EXPECT_EQ(bBlink, T_INFO_bBlinkState());
        T_INFO_vFormatTimeAscii(c.t, c.bSeconds, c.bAmPm, nullptr, nullptr, nullptr, FALSE); // null texts are fine
    }
}

TEST(InfoFormat, StandAloneDistanceDepthAndTenths)
{
    world();
    char s[20];
    UNIT_TYPE u = U_NAUT_MILES_FT;
    T_INFO_vFormatDistance(0.05 * 1852.0, &u, s);
    EXPECT_STREQ(s, "304");
    EXPECT_EQ(u, U_FEET);
    u = U_KM;
    T_INFO_vFormatDistance(-1500.0, &u, s);
    EXPECT_STREQ(s, "1.50");
    EXPECT_EQ(u, U_KM);

    T_INFO_vFormatDepth(-12.34, U_METRES, s, FALSE);
    EXPECT_STREQ(s, "-12.3") << "a depth keeps its sign";
    T_INFO_vFormatDepth(12.34, U_METRES, s, TRUE);
    EXPECT_STREQ(s, "12");

    char src[] = "12.3";
    char integer[20];
    char* pTenths = nullptr;
    EXPECT_TRUE(T_INFO_pSplitTenths(src, integer, &pTenths, TRUE));
    EXPECT_STREQ(integer, "12.");
    EXPECT_STREQ(pTenths, "3");
    EXPECT_TRUE(T_INFO_pSplitTenths(src, integer, &pTenths, FALSE));
    EXPECT_STREQ(integer, "12");
    char whole[] = "12";
    EXPECT_FALSE(T_INFO_pSplitTenths(whole, integer, &pTenths, TRUE));
    EXPECT_EQ(pTenths, nullptr);
    EXPECT_STREQ(integer, "12");
    EXPECT_FALSE(T_INFO_pSplitTenths(src, nullptr, &pTenths, TRUE));
}

} // namespace
