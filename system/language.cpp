// The language menus and font sets (see the header).
#include "system/language.h"

#include "graphics/u_fonts.h"

namespace {

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE English = ALL_LANGUAGES("English");
TEXT_TABLE Bulgarian = ALL_LANGUAGES("Bulgarian");
TEXT_TABLE Croatian = ALL_LANGUAGES("Croatian");
TEXT_TABLE Czech = ALL_LANGUAGES("Czech");
TEXT_TABLE Danish = ALL_LANGUAGES("Danish");
TEXT_TABLE Dutch = ALL_LANGUAGES("Dutch");
TEXT_TABLE Estonian = ALL_LANGUAGES("Estonian");
TEXT_TABLE Finnish = ALL_LANGUAGES("Finnish");
TEXT_TABLE French = ALL_LANGUAGES("French");
TEXT_TABLE German = ALL_LANGUAGES("German");
TEXT_TABLE Greek = ALL_LANGUAGES("Greek");
TEXT_TABLE Hungarian = ALL_LANGUAGES("Hungarian");
TEXT_TABLE Italian = ALL_LANGUAGES("Italian");
TEXT_TABLE Latvian = ALL_LANGUAGES("Latvian");
TEXT_TABLE Lithuanian = ALL_LANGUAGES("Lithuanian");
TEXT_TABLE Norwegian = ALL_LANGUAGES("Norwegian");
TEXT_TABLE Polish = ALL_LANGUAGES("Polish");
TEXT_TABLE Portuguese = ALL_LANGUAGES("Portuguese");
TEXT_TABLE Russian = ALL_LANGUAGES("Russian");
TEXT_TABLE Spanish = ALL_LANGUAGES("Spanish");
TEXT_TABLE Swedish = ALL_LANGUAGES("Swedish");
TEXT_TABLE Turkish = ALL_LANGUAGES("Turkish");

#undef ALL_LANGUAGES

} // namespace

const TEXT_TABLE* const s_pLanguageList1[LANGUAGE_LIST1_COUNT] = {
    &English, &Bulgarian, &Croatian,   &Czech,     &Danish, &Dutch,      &Estonian, &Finnish,
    &French,  &German,    &Greek,      &Hungarian, &Italian, &Latvian,   &Lithuanian, &Norwegian,
    &Polish,  &Portuguese, &Russian,   &Spanish,   &Swedish, &Turkish};

const U32 s_pLanguageNums1[LANGUAGE_LIST1_COUNT] = {
    LANGUAGE_ENGLISH, LANGUAGE_BULGARIAN, LANGUAGE_CROATIAN,   LANGUAGE_CZECH,     LANGUAGE_DANISH,
    LANGUAGE_DUTCH,   LANGUAGE_ESTONIAN,  LANGUAGE_FINNISH,    LANGUAGE_FRENCH,    LANGUAGE_GERMAN,
    LANGUAGE_GREEK,   LANGUAGE_HUNGARIAN, LANGUAGE_ITALIAN,    LANGUAGE_LATVIAN,   LANGUAGE_LITHUANIAN,
    LANGUAGE_NORWEGIAN, LANGUAGE_POLISH,  LANGUAGE_PORTUGUESE, LANGUAGE_RUSSIAN,   LANGUAGE_SPANISH,
    LANGUAGE_SWEDISH, LANGUAGE_TURKISH};

const TEXT_TABLE* const s_pLanguageList2[LANGUAGE_LIST2_COUNT] = {&English, &Croatian, &Russian};
const U32 s_pLanguageNums2[LANGUAGE_LIST2_COUNT] = {LANGUAGE_ENGLISH, LANGUAGE_CROATIAN, LANGUAGE_RUSSIAN};

// Croatian, Russian and Bulgarian need the characters of font set 2.
const FONT_SET g_eFontSet[DB_NUM_LANGUAGES] = {
    FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1,
    FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_2,
    FONT_SET_2, FONT_SET_2, FONT_SET_1, FONT_SET_1, FONT_SET_1, FONT_SET_1};
