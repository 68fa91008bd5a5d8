// Position text: one latitude or longitude in degrees as the text screens,
// info boxes, edit fields and info pages show, and such a text, edited by
// the user, back to degrees.
//
// A text is the hemisphere letter of a language (one byte of the font code
// page), a space when asked for, then the magnitude in one of three formats
// (the degree mark is the font's byte 0xBA):
//   F_DD_DDDDD   "08.50000º" (longitudes "122.25000º")
//   F_DD_MM_MMM  "08º30.000'" (longitudes "008º30.000'"), any other value too
//   F_DD_MM_SS   "08º30'00"" (longitudes "008º30'00"")
// The letter belongs to the language, so a text reads back only in the
// language it was written in. Pure functions, callable from any task.
#pragma once

#include "kernel/l_types.h"
#include "store/lang.h"
#include "util/u_convert.h"

// The date, time and position format settings share one enumeration.
typedef enum tag_NAV_FORMAT_ENUM {
    F_MMDDYY = 0,
    F_DDMMYY = 1,
    F_YYMMDD = 2,
    F_12HOUR = 3,
    F_24HOUR = 4,
    F_DD_DDDDD = 5,
    F_DD_MM_MMM = 6,
    F_DD_MM_SS = 7,
} NAV_FORMAT_ENUM;

typedef enum tag_INFO_POSITION_SPACING {
    IPS_NO_SPACE = 0,
    IPS_SPACE = 1,
} INFO_POSITION_SPACING;

// The longest text the formatter writes: a letter of up to two bytes, a
// space and 30 bytes of magnitude, and the terminator.
constexpr U32 NAV_POSITION_TEXT_BYTES = 2 + 1 + 30 + 1;

// The degree mark of the font code page.
constexpr char NAV_DEGREE_MARK = '\xBA';

// The hemisphere letters, one per language.
extern TEXT_TABLE Direction_N;
extern TEXT_TABLE Direction_S;
extern TEXT_TABLE Direction_E;
extern TEXT_TABLE Direction_W;

// Writes the text of dValue degrees (a latitude for D_POSITION_LAT, else a
// longitude) into sValue, which holds NAV_POSITION_TEXT_BYTES. A language
// beyond the tables writes English.
void U_NAV_vFormatPosition(DATA_TYPE eType, double dValue, char* sValue, NAV_FORMAT_ENUM eFormat, U32 nLang,
                           INFO_POSITION_SPACING ePositionHasSpace);

// Reads a text of the form the formatter writes with IPS_SPACE; the marks
// in the text decide its format, so eFormat is not consulted. FALSE, with
// *pdValue untouched, when the second byte is not a space; FALSE, with the
// unsigned value stored, when the first byte is neither letter of the axis
// in that language. A text without a degree mark reads as 0.
BOOLEAN U_NAV_bParsePosition(DATA_TYPE eType, const char* sValue, double* pdValue, NAV_FORMAT_ENUM eFormat,
                             U32 nLang);
