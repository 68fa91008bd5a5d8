// Readout formatting: a data-store value as a value text and a unit text in
// the user's units and formats, and the widths of a box around them.
#include "ui/t_info.h"
#include "ui/t_info_state.h"

#include "graphics/g_string.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The value field of a readout: 15 characters and the terminator, inside
// the caller's 20-byte buffer.
constexpr size_t VALUE_FIELD = 16;
const char BLANK[] = "---";
const char NO_UNIT[] = "";

// "SITF" and "SIDF" values (the navigation formats).
constexpr U32 FORMAT_24HOUR = 4;
constexpr U32 FORMAT_DDMMYY = 1;
constexpr U32 FORMAT_YYMMDD = 2;

// Formats into a field of `size` bytes, cutting what does not fit.
__attribute__((format(printf, 3, 4))) void field(char* pDest, size_t size, const char* pFormat, ...)
{
    char text[128];
    va_list args;
    va_start(args, pFormat);
    vsnprintf(text, sizeof text, pFormat, args);
    va_end(args);
    const size_t n = strnlen(text, size - 1);
    memcpy(pDest, text, n);
    pDest[n] = '\0';
}

bool fetchU32(const char (&key)[5], U32* pValue)
{
    return H_DATABASE_bFetchU32(FCID(key), pValue, nullptr, nullptr) != FALSE;
}

S32 textWidth(const FONT_DEF* pFont, const char* s)
{
    if (pFont == nullptr || s == nullptr || s[0] == '\0')
        return 0;
    return (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)s);
}

// Local time of a UTC time stamp by "SLTZ" and "SDST"; UTC when either is
// missing.
bool localTime(time_t nTime, struct tm* pTm)
{
    S32 s32Zone = 0;
    U32 u32Dst = 0;
    if (H_DATABASE_bFetchS32(FCID("SLTZ"), &s32Zone, nullptr, nullptr) && fetchU32("SDST", &u32Dst))
        nTime += (time_t)60 * s32Zone + (u32Dst != 0 ? 3600 : 0);
    return localtime_r(&nTime, pTm) != nullptr;
}

int hour12(int nHour)
{
    if (nHour == 0)
        return 12;
    return nHour > 12 ? nHour - 12 : nHour;
}

// The distance rule; returns the unit used.
UNIT_TYPE formatDistance(double dDistance, UNIT_TYPE units, char* sValue, size_t size)
{
    const double a = std::fabs(dConvertFromInternal(dDistance, D_DISTANCE, units));
    const char* pFormat = a >= 99.95 ? "%.0f" : a >= 9.995 ? "%.1f" : "%.2f";
    double shown = a;
    switch (units) {
    case U_NAUT_MILES_FT:
        if (a < 0.1) {
            shown = a * 6076.1;
            units = U_FEET;
            pFormat = "%.0f";
        }
        break;
    case U_NAUT_MILES_M:
        if (a < 0.1) {
            shown = a * 1852.0;
            units = U_METRES;
            pFormat = "%.0f";
        }
        break;
    case U_KM:
        if (a < 1.0) {
            shown = a * 1000.0;
            units = U_METRES;
            pFormat = "%.2f";
        }
        break;
    case U_METRES:
    case U_FEET:
    case U_FATHOMS:
        // Already a small unit: turning it into feet would show a wrong figure.
        break;
    default: // statute miles
        if (a < 0.1) {
            shown = a * 5280.0;
            units = U_FEET;
            pFormat = "%.0f";
        }
        break;
    }
    field(sValue, size, pFormat, shown);
    return units;
}

void formatDepth(double dDepth, UNIT_TYPE units, char* sValue, size_t size, bool bNoTenths)
{
    const double v = dConvertFromInternal(dDepth, D_DEPTH, units);
    const bool bTenths = !bNoTenths && units >= U_METRES && units <= U_FATHOMS && v < 99.95;
    field(sValue, size, bTenths ? "%.1f" : "%.0f", v);
}

// The value width: with small tenths the part after the '.' is measured in
// the tenths font.
S32 valueWidth(const char* sValue, const FONT_DEF* pValueFont, const FONT_DEF* pTenthsFont,
               DIGITS_FORMAT eDigitsFormat)
{
    const char* pDot = strchr(sValue, '.');
    if (eDigitsFormat == SMALL_TENTHS && pTenthsFont != pValueFont && pDot != nullptr) {
        char head[VALUE_FIELD + 4] = {};
        const size_t n = (size_t)(pDot - sValue) + 1;
        memcpy(head, sValue, n < sizeof head ? n : sizeof head - 1);
        return textWidth(pValueFont, head) + textWidth(pTenthsFont, pDot + 1);
    }
    return textWidth(pValueFont, sValue);
}

// A waypoint name cut before the first character that takes it past the
// pixel width.
void cutToWidth(char* sName, S32 nWidth, const FONT_DEF* pFont)
{
    if (nWidth < 0) {
        sName[0] = '\0';
        return;
    }
    S32 sum = 0;
    for (size_t i = 0; sName[i] != '\0'; ++i) {
        sum += pFont != nullptr ? (S32)G_FONTS_u32GetWidth(pFont, (BYTE)sName[i]) : 0;
        if (sum > nWidth) {
            sName[i] = '\0';
            return;
        }
    }
}

} // namespace

S32 T_INFO_nInfoStrings(char* sValue, const char** psUnits, BOOLEAN* pbDataValid, S32 nMinWidth, FOURCHARID fcid,
                        const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont, const FONT_DEF* pTenthsFont,
                        DIGITS_FORMAT eDigitsFormat, U32 nLang, S32 nValueStringSize, S32* pnValueWidth,
                        S32* pnUnitsWidth)
{
    DB_DATA_TYPE value = {};
    BOOLEAN bValid = FALSE;
    DB_ATTRIBUTES extra = {};
    if (!H_DATABASE_bFetch(fcid, &value, &bValid, &extra))
        return 0;
    if (pbDataValid != nullptr)
        *pbDataValid = bValid;

    const bool bNoTenths = eDigitsFormat == NO_TENTHS;
    const char* pTenths1 = bNoTenths ? "%.0f" : "%.1f";
    const char* pUnits = NO_UNIT;
    char work[VALUE_FIELD] = {};
    bool bStraight = false; // written straight into sValue
    const auto unitsOf = [nLang](UNIT_TYPE u) { return H_DATABASE_pcUnitsString(u, nLang); };

    switch (extra.DataType) {
    case D_UNKNOWN:
        field(work, sizeof work, "%u", value.u32Val);
        break;
    case D_TEMPERATURE: {
        const UNIT_TYPE u = H_DATABASE_CurrentUnits(D_TEMPERATURE);
        pUnits = unitsOf(u);
        field(work, sizeof work, pTenths1, dConvertFromInternal(value.fVal, D_TEMPERATURE, u));
        break;
    }
    case D_SPEED: {
        const UNIT_TYPE u = H_DATABASE_CurrentUnits(D_SPEED);
        pUnits = unitsOf(u);
        const double v = dConvertFromInternal(value.fVal, D_SPEED, u);
        const double limit = u == U_MPH ? 99.95 : 9.95;
        field(work, sizeof work, !bNoTenths && std::fabs(v) < limit ? "%.1f" : "%.0f", v);
        break;
    }
    case D_DISTANCE: {
        const UNIT_TYPE u = formatDistance(value.fVal, H_DATABASE_CurrentUnits(D_DISTANCE), sValue, VALUE_FIELD);
        pUnits = unitsOf(u);
        bStraight = true;
        break;
    }
    case D_HEADING: {
        const UNIT_TYPE u = H_DATABASE_CurrentUnits(D_HEADING);
        double v = value.fVal;
        float fVariation = 0.0f;
        if (u == U_DEG_MAGNETIC && !H_DATABASE_bFetchFloat(FCID("IMGV"), &fVariation, nullptr, nullptr)) {
            field(work, sizeof work, "%s", BLANK);
            break;
        }
        if (u == U_DEG_MAGNETIC)
            v = std::fmod(v + 360.0 - fVariation, 360.0);
        if (v >= 359.5)
            v = 0.0;
        pUnits = unitsOf(u);
        field(work, sizeof work, "%03.0f", v);
        break;
    }
    case D_DEPTH: {
        const UNIT_TYPE u = H_DATABASE_CurrentUnits(D_DEPTH);
        pUnits = unitsOf(u);
        formatDepth(value.fVal, u, sValue, VALUE_FIELD, bNoTenths);
        bStraight = true;
        break;
    }
    case D_DATETIME: {
        bStraight = true;
        U32 u32Format = 0;
        struct tm tmLocal = {};
        if (value.u32Val == 0)
            sValue[0] = '\0';
        else if (!fetchU32("SITF", &u32Format) || !localTime((time_t)value.u32Val, &tmLocal))
            field(sValue, VALUE_FIELD, "%s", BLANK);
        else if (u32Format == FORMAT_24HOUR)
            field(sValue, VALUE_FIELD, "%02d:%02d", tmLocal.tm_hour, tmLocal.tm_min);
        else
            field(sValue, VALUE_FIELD, "%d:%02d%s", hour12(tmLocal.tm_hour), tmLocal.tm_min, "");
        break;
    }
    case D_TIME:
        if (value.s32Val < 0)
            field(work, sizeof work, "%s", BLANK);
        else if (value.s32Val < 3600)
            field(work, sizeof work, "%d:%02d", value.s32Val / 60, value.s32Val % 60);
        else
            field(work, sizeof work, "%d:%02d", value.s32Val / 3600, value.s32Val / 60 % 60);
        break;
    case D_LONG_TIME:
        if (value.s32Val < 0)
            field(work, sizeof work, "%s", BLANK);
        else
            field(work, sizeof work, "%02d:%02d:%02d", value.s32Val / 3600, value.s32Val / 60 % 60,
                     value.s32Val % 60);
        break;
    case D_PRESSURE: {
        const UNIT_TYPE u = H_DATABASE_CurrentUnits(D_PRESSURE);
        pUnits = unitsOf(u);
        field(work, sizeof work, u == U_INCHESHG ? pTenths1 : "%.0f",
                 dConvertFromInternal(value.fVal, D_PRESSURE, u));
        break;
    }
    case D_VOLTAGE:
        pUnits = "V";
        field(work, sizeof work, pTenths1, (double)value.fVal);
        break;
    case D_POSITION_LAT:
    case D_POSITION_LON: {
        U32 u32Format = 0;
        char text[64] = {};
        if (fetchU32("SIPF", &u32Format) && t_info::neighbours().pfnFormatPosition != nullptr)
            t_info::neighbours().pfnFormatPosition(extra.DataType, value.fVal, text, u32Format, nLang);
        else
            field(text, sizeof text, "%s", BLANK);
        field(work, sizeof work, "%s", text);
        break;
    }
    case D_WAYPOINT: {
        char name[64] = {};
        if (t_info::neighbours().pfnCopyWaypointName != nullptr && nValueStringSize > 0)
            t_info::neighbours().pfnCopyWaypointName(value.u32Val, name, sizeof name);
        if (nValueStringSize >= 0 && (size_t)nValueStringSize < sizeof name)
            name[nValueStringSize] = '\0';
        cutToWidth(name, nMinWidth, pValueFont);
        field(work, sizeof work, "%s", name);
        break;
    }
    case D_FLOAT:
        field(work, sizeof work, "%.2f", (double)value.fVal);
        break;
    case D_SIGNED32:
        field(work, sizeof work, "%d", value.s32Val);
        break;
    case D_FIXED_POINT:
        field(work, sizeof work, "%.2f", value.s32Val / 65536.0);
        break;
    case D_ELEVATION_ANGLE:
        pUnits = unitsOf(U_DEG_GEOMETRIC);
        field(work, sizeof work, "%d", value.s32Val);
        break;
    default:
        field(work, sizeof work, "%08x", value.u32Val);
        break;
    }
    if (!bStraight)
        field(sValue, VALUE_FIELD, "%s", work);

    if (fcid == FCID("IDWP")) {
        char text[VALUE_FIELD + 1] = {};
        if (t_info::neighbours().pfnStevrinActiveStr != nullptr)
            t_info::neighbours().pfnStevrinActiveStr(text, sizeof text);
        text[sizeof text - 1] = '\0';
        field(sValue, VALUE_FIELD, "%s", text);
        pUnits = NO_UNIT;
    }
    if (psUnits != nullptr)
        *psUnits = pUnits;

    const S32 nValueWidth = valueWidth(sValue, pValueFont, pTenthsFont, eDigitsFormat);
    const S32 nUnitsWidth = textWidth(pUnitsFont, pUnits);
    if (pnValueWidth != nullptr)
        *pnValueWidth = nValueWidth;
    if (pnUnitsWidth != nullptr)
        *pnUnitsWidth = nUnitsWidth;
    return nValueWidth + nUnitsWidth;
}

void T_INFO_vFormatTimeAscii(time_t nTime, BOOLEAN bIncludeSeconds, BOOLEAN bIncludeAMPM, char* sTime, char* sDate,
                             BOOLEAN* pbBlinkStateOn, BOOLEAN /*bForceUnicode*/)
{
    if (pbBlinkStateOn != nullptr)
        *pbBlinkStateOn = T_INFO_bBlinkState();
    if (nTime == 0) {
        if (sTime != nullptr)
            sTime[0] = '\0';
        if (sDate != nullptr)
            sDate[0] = '\0';
        return;
    }
    struct tm t = {};
    const bool bTime = localTime(nTime, &t);
    if (sTime != nullptr) {
        U32 u32Format = 0;
        if (!bTime || !fetchU32("SITF", &u32Format))
            strcpy(sTime, BLANK);
        else if (u32Format == FORMAT_24HOUR) {
            if (bIncludeSeconds)
                field(sTime, VALUE_FIELD, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
            else
                field(sTime, VALUE_FIELD, "%02d:%02d", t.tm_hour, t.tm_min);
        } else {
            const char* pSuffix = !bIncludeAMPM ? "" : t.tm_hour < 12 ? " AM" : " PM";
            if (bIncludeSeconds)
                field(sTime, VALUE_FIELD, "%d:%02d:%02d%s", hour12(t.tm_hour), t.tm_min, t.tm_sec, pSuffix);
            else
                field(sTime, VALUE_FIELD, "%d:%02d%s", hour12(t.tm_hour), t.tm_min, pSuffix);
        }
    }
    if (sDate != nullptr) {
        U32 u32Format = 0;
        const int nYear = t.tm_year - 100;
        if (!bTime || !fetchU32("SIDF", &u32Format))
            strcpy(sDate, BLANK);
        else if (u32Format == FORMAT_DDMMYY)
            field(sDate, VALUE_FIELD, "%02d.%02d.%02d", t.tm_mday, t.tm_mon + 1, nYear);
        else if (u32Format == FORMAT_YYMMDD)
            field(sDate, VALUE_FIELD, "%02d.%02d.%02d", nYear, t.tm_mon + 1, t.tm_mday);
        else
            field(sDate, VALUE_FIELD, "%02d/%02d/%02d", t.tm_mon + 1, t.tm_mday, nYear);
    }
}

void T_INFO_vFormatTime(time_t nTime, BOOLEAN bIncludeSeconds, BOOLEAN bIncludeAMPM, char* sTime, char* sDate,
                        BOOLEAN* pbBlinkStateOn)
{
    T_INFO_vFormatTimeAscii(nTime, bIncludeSeconds, bIncludeAMPM, sTime, sDate, pbBlinkStateOn, TRUE);
}

void T_INFO_vFormatDistance(double dDistance, UNIT_TYPE* punits, char* sValue)
{
    *punits = formatDistance(dDistance, *punits, sValue, VALUE_FIELD);
}

void T_INFO_vFormatDepth(double dDistance, UNIT_TYPE units, char* sValue, BOOLEAN bNoTenths)
{
    formatDepth(dDistance, units, sValue, VALUE_FIELD, bNoTenths != FALSE);
}

BOOLEAN T_INFO_pSplitTenths(char* pSource, char* pInteger, char** ppTenths, BOOLEAN bKeepDecimal)
{
    if (pInteger == nullptr || ppTenths == nullptr)
        return FALSE;
    strcpy(pInteger, pSource);
    *ppTenths = nullptr;
    char* pDot = strchr(pSource, '.');
    if (pDot == nullptr)
        return FALSE;
    *ppTenths = pDot + 1;
    pInteger[(pDot - pSource) + (bKeepDecimal ? 1 : 0)] = '\0';
    return TRUE;
}

void T_INFO_vGetData(FOURCHARID fcid, BOOLEAN* pbDataValid, char* psValue, char* psUnits, const FONT_DEF* pValueFont,
                     const FONT_DEF* pUnitFont, U32 nLang)
{
    const char* pUnits = nullptr;
    if (T_INFO_nInfoStrings(psValue, &pUnits, pbDataValid, 1, fcid, pValueFont, pUnitFont, pValueFont, DONT_FORCE,
                            nLang, 4, nullptr, nullptr) == 0 &&
        pUnits == nullptr) {
        strcpy(psUnits, "  ");
        return;
    }
    field(psUnits, 20, "%s", pUnits != nullptr ? pUnits : "");
}

namespace {

S32 measured(S32 nWidth, S32 nMinWidth, INFO_BOX_STYLE eBoxStyle)
{
    if (nWidth == 0)
        return 0;
    const bool bBorder = eBoxStyle == IBS_GRAY_ROUNDED_BORDER || eBoxStyle == IBS_SEMITRANSPARENT_GRAY_ROUNDED_BORDER;
    nWidth += bBorder ? 13 : 1;
    return nWidth < nMinWidth ? nMinWidth : nWidth;
}

DIGITS_FORMAT storedFormat(void)
{
    U32 u32Format = LARGE_TENTHS;
    H_DATABASE_bFetchU32(FCID("SFMT"), &u32Format, nullptr, nullptr);
    return (DIGITS_FORMAT)u32Format;
}

} // namespace

S32 T_INFO_nMeasureInfoBox(S32 nMinWidth, FOURCHARID fcid, const FONT_DEF* pValueFont, const FONT_DEF* pUnitsFont,
                           INFO_BOX_STYLE eBoxStyle, U32 nLang)
{
    char sValue[20] = {};
    const char* pUnits = nullptr;
    BOOLEAN bValid = FALSE;
    const S32 n = T_INFO_nInfoStrings(sValue, &pUnits, &bValid, nMinWidth, fcid, pValueFont, pUnitsFont, pValueFont,
                                      storedFormat(), nLang, 16, nullptr, nullptr);
    return measured(n, nMinWidth, eBoxStyle);
}

S32 T_INFO_nMeasureDigitsInfoBox(S32 nMinWidth, FOURCHARID fcid, const FONT_DEF* pValueFont,
                                 const FONT_DEF* pUnitsFont, const FONT_DEF* pTenthsFont, DIGITS_FORMAT eForceFormat,
                                 INFO_BOX_STYLE eBoxStyle, U32 nLang)
{
    char sValue[20] = {};
    const char* pUnits = nullptr;
    BOOLEAN bValid = FALSE;
    const DIGITS_FORMAT eFormat = eForceFormat != DONT_FORCE ? eForceFormat : storedFormat();
    const S32 n = T_INFO_nInfoStrings(sValue, &pUnits, &bValid, nMinWidth, fcid, pValueFont, pUnitsFont,
                                      pTenthsFont, eFormat, nLang, 16, nullptr, nullptr);
    return measured(n, nMinWidth, eBoxStyle);
}
