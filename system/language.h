// The language menus and the font set each language needs.
//
// Two lists offer the languages a model may show: the 22-language set and
// the 3-language set of the models that have one. Each list pairs a name
// with the "SLNG" value it selects, in the order the menu shows them, in the
// form a selection box takes (names, values).
#pragma once

#include "store/lang.h"
#include "util/u_unicode.h"

constexpr U32 LANGUAGE_LIST1_COUNT = 22;
constexpr U32 LANGUAGE_LIST2_COUNT = 3;

extern const TEXT_TABLE* const s_pLanguageList1[LANGUAGE_LIST1_COUNT];
extern const U32 s_pLanguageNums1[LANGUAGE_LIST1_COUNT];
extern const TEXT_TABLE* const s_pLanguageList2[LANGUAGE_LIST2_COUNT];
extern const U32 s_pLanguageNums2[LANGUAGE_LIST2_COUNT];

// The bitmap font set of each language, indexed by "SLNG".
extern const FONT_SET g_eFontSet[DB_NUM_LANGUAGES];
