// Position text (see the header).
//
// The carries keep a rounded field from ever showing 60: the minutes of
// F_DD_MM_MMM print with three decimals, so from 59.9995 on they become the
// next degree; the seconds of F_DD_MM_SS round to whole seconds, so from
// 59.5 on they become the next minute, which may carry into the degree.
#include "nav/core/u_nav_position.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Constants ---------------------------------------------------------------

// One letter per language, in the order of the language setting: English,
// Danish, Dutch, Finnish, French, German, Greek, Hungarian, Italian,
// Norwegian, Polish, Portuguese, Spanish, Swedish, Czech, Croatian, Russian,
// Bulgarian, Estonian, Latvian, Lithuanian, Turkish. The bytes above 0x7F
// are those of the language's font set: 0x9D is Ø and 0x81 Ö, 0x90 É and
// 0xC1 Š in the Western set; 0x9D, 0xAA, 0x8D, 0x94 and 0x93 are С, Ю, В, И
// and З in the Cyrillic one. Greek is drawn with the Western set and keeps
// the international letters. Within a language the two letters of an axis
// always differ, so a text reads back to its own hemisphere.
TEXT_TABLE Direction_N = {"N", "N", "N", "P", "N", "N", "N", "\x90", "N", "N", "N",
                                 "N", "N", "N", "S", "S", "\x9D", "\x9D", "P", "Z", "\xC1", "K"};
TEXT_TABLE Direction_S = {"S", "S", "Z", "E", "S", "S", "S", "D", "S", "S", "S",
                                 "S", "S", "S", "J", "J", "\xAA", "\xAA", "L", "D", "P", "G"};
TEXT_TABLE Direction_E = {"E", "\x9D", "O", "I", "E", "O", "E", "K", "E", "\x9D", "E",
                                 "E", "E", "\x81", "V", "I", "\x8D", "\x94", "I", "A", "R", "D"};
TEXT_TABLE Direction_W = {"W", "V", "W", "L", "O", "W", "W", "N", "O", "V", "W",
                                 "O", "O", "V", "Z", "Z", "\x93", "\x93", "L", "R", "V", "B"};

namespace {

constexpr size_t MAGNITUDE_MAX = 30;  // bytes of the magnitude text
constexpr size_t PARSE_BUFFER = 20;   // 19 bytes of text and a terminator
constexpr size_t LETTER_MAX = 2;      // bytes of a hemisphere text

constexpr double MINUTES_PER_DEGREE_INV = 0.016666666666666666;
constexpr double SECONDS_PER_DEGREE_INV = 0.0002777777777777778;

} // namespace

// Static prototypes -----------------------------------------------------------

namespace {

U32 nLanguage(U32 nLang)
{
    return nLang < (U32)DB_NUM_LANGUAGES ? nLang : 0;
}

// The magnitude v >= 0 in the format, at most MAGNITUDE_MAX bytes.
void vFormatMagnitude(char* out, size_t size, double v, bool bLatitude, NAV_FORMAT_ENUM eFormat)
{
    if (eFormat == F_DD_DDDDD) {
        snprintf(out, size, bLatitude ? "%08.5f\xBA" : "%09.5f\xBA", v);
        return;
    }
    double deg = std::floor(v);
    if (eFormat == F_DD_MM_SS) {
        const double m = (v - deg) * 60.0;
        double min = std::floor(m);
        double sec = std::floor((m - min) * 60.0 + 0.5);
        if (sec >= 59.5) {
            sec = 0.0;
            min += 1.0;
        }
        if (min >= 59.5) {
            min = 0.0;
            deg += 1.0;
        }
        snprintf(out, size, bLatitude ? "%02.0f\xBA%02.0f'%02.0f\"" : "%03.0f\xBA%02.0f'%02.0f\"", deg, min,
                 sec);
        return;
    }
    double min = (v - deg) * 60.0;
    if (min >= 59.9995) {
        min = 0.0;
        deg += 1.0;
    }
    snprintf(out, size, bLatitude ? "%02.0f\xBA%06.3f'" : "%03.0f\xBA%06.3f'", deg, min);
}

// The number at the start of text; 0 when there is none.
double dNumber(const char* text)
{
    return std::strtod(text, nullptr);
}

} // namespace

// Public functions ------------------------------------------------------------

void U_NAV_vFormatPosition(DATA_TYPE eType, double dValue, char* sValue, NAV_FORMAT_ENUM eFormat, U32 nLang,
                           INFO_POSITION_SPACING ePositionHasSpace)
{
    if (sValue == nullptr)
        return;
    const U32 lang = nLanguage(nLang);
    const bool bLatitude = eType == D_POSITION_LAT;
    const char* letter;
    if (bLatitude)
        letter = dValue < 0 ? Direction_S[lang] : Direction_N[lang];
    else
        letter = dValue < 0 ? Direction_W[lang] : Direction_E[lang];

    size_t len = strnlen(letter, LETTER_MAX);
    memcpy(sValue, letter, len);
    if (ePositionHasSpace == IPS_SPACE)
        sValue[len++] = ' ';

    char magnitude[MAGNITUDE_MAX + 1];
    vFormatMagnitude(magnitude, sizeof magnitude, std::fabs(dValue), bLatitude, eFormat);
    const size_t m = strnlen(magnitude, MAGNITUDE_MAX);
    memcpy(sValue + len, magnitude, m);
    sValue[len + m] = '\0';
}

BOOLEAN U_NAV_bParsePosition(DATA_TYPE eType, const char* sValue, double* pdValue, NAV_FORMAT_ENUM /*eFormat*/,
                             U32 nLang)
{
    if (sValue == nullptr || pdValue == nullptr || sValue[0] == '\0' || sValue[1] != ' ')
        return FALSE;

    char buffer[PARSE_BUFFER];
    strncpy(buffer, sValue + 2, PARSE_BUFFER - 1);
    buffer[PARSE_BUFFER - 1] = '\0';

    double value = 0.0;
    char* degree = strchr(buffer, NAV_DEGREE_MARK);
    if (degree != nullptr) {
        *degree = '\0';
        value = dNumber(buffer);
        char* minute = strchr(degree + 1, '\'');
        if (minute != nullptr) {
            *minute = '\0';
            value += dNumber(degree + 1) * MINUTES_PER_DEGREE_INV;
            char* second = strchr(minute + 1, '"');
            if (second != nullptr) {
                *second = '\0';
                value += dNumber(minute + 1) * SECONDS_PER_DEGREE_INV;
            }
        }
    }
    *pdValue = value;

    const U32 lang = nLanguage(nLang);
    const bool bLatitude = eType == D_POSITION_LAT;
    const char negative = bLatitude ? Direction_S[lang][0] : Direction_W[lang][0];
    const char positive = bLatitude ? Direction_N[lang][0] : Direction_E[lang][0];
    if (sValue[0] == negative) {
        *pdValue = -value;
        return TRUE;
    }
    return sValue[0] == positive ? TRUE : FALSE;
}
