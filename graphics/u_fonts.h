// The font catalogue: every bitmap font of the program, a global pointer
// per font through which the screens use it, and the font set that follows
// the user's language.
//
// Text is 8-bit in the unit's own character coding; the coding of font set
// 1 (the Western languages) and of font set 2 (Croatian, Russian and
// Bulgarian) differ above the printable ASCII range. Three pointers follow
// the set: std_9x13_font_def_ptr, std_11x14_font_def_ptr and
// std_16x17_font_def_ptr point at the plain fonts for set 1 and at the
// Cro_Rus fonts otherwise. They are null until the first
// U_FONTS_vSelectFontSet, which the start-up makes before any screen draws.
// A language change replaces each pointer with one store, so a frame drawn
// meanwhile may mix old and new fonts and the next one is consistent.
//
// The fonts' names give their size: "16x17" is a digit advance of 16 and a
// core height of 17 rows.
#pragma once

#include "graphics/g_fonts.h"
#include "util/u_unicode.h"

#include <atomic>

typedef enum tag_LANGUAGE : int {
    LANGUAGE_ENGLISH = 0,
    LANGUAGE_DANISH = 1,
    LANGUAGE_DUTCH = 2,
    LANGUAGE_FINNISH = 3,
    LANGUAGE_FRENCH = 4,
    LANGUAGE_GERMAN = 5,
    LANGUAGE_GREEK = 6,
    LANGUAGE_HUNGARIAN = 7,
    LANGUAGE_ITALIAN = 8,
    LANGUAGE_NORWEGIAN = 9,
    LANGUAGE_POLISH = 10,
    LANGUAGE_PORTUGUESE = 11,
    LANGUAGE_SPANISH = 12,
    LANGUAGE_SWEDISH = 13,
    LANGUAGE_CZECH = 14,
    LANGUAGE_CROATIAN = 15,
    LANGUAGE_RUSSIAN = 16,
    LANGUAGE_BULGARIAN = 17,
    LANGUAGE_ESTONIAN = 18,
    LANGUAGE_LATVIAN = 19,
    LANGUAGE_LITHUANIAN = 20,
    LANGUAGE_TURKISH = 21,
    // Values of stored settings from before the list was reordered.
    LANGUAGE_CROATIAN_OBSOLETE = 1,
    LANGUAGE_RUSSIAN_OBSOLETE = 2,
} LANGUAGE;

constexpr U32 U_FONTS_LANGUAGE_COUNT = 22;

extern const FONT_DEF vondrel_9x13_font_def;
extern const FONT_DEF vondrel_9x13_Cro_Rus_font_def;
extern const FONT_DEF vondrel_11x14_font_def;
extern const FONT_DEF vondrel_11x14_Cro_Rus_font_def;
extern const FONT_DEF vondrel_16x17_font_def;
extern const FONT_DEF vondrel_16x17_Cro_Rus_font_def;
extern const FONT_DEF f7x10_font_def;
extern const FONT_DEF f9x14_font_def;
extern const FONT_DEF f13x19_font_def;
extern const FONT_DEF f13x19a_font_def;
extern const FONT_DEF f15x21_font_def;
extern const FONT_DEF f16x26_font_def;
extern const FONT_DEF f17x21_font_def;
extern const FONT_DEF f18x27_font_def;
extern const FONT_DEF f18x32_font_def;
extern const FONT_DEF f19x30_font_def;
extern const FONT_DEF f21x33_font_def;
extern const FONT_DEF f21x38_font_def;
extern const FONT_DEF f22x32_font_def;
extern const FONT_DEF f25x44_font_def;
extern const FONT_DEF f29x44_font_def;
extern const FONT_DEF f31x57_font_def;
extern const FONT_DEF f32x48_font_def;
extern const FONT_DEF f34x62_font_def;
extern const FONT_DEF f40x60_font_def;
extern const FONT_DEF f40x71_font_def;
extern const FONT_DEF f44x76_font_def;
extern const FONT_DEF f58x88_font_def;
extern const FONT_DEF f65x133_font_def;
extern const FONT_DEF a14x21_font_def;
extern const FONT_DEF a15x25_font_def;
extern const FONT_DEF a24x37_font_def;
extern const FONT_DEF a29x44_font_def;
extern const FONT_DEF a34x53_font_def;
extern const FONT_DEF a38x60_font_def;
extern const FONT_DEF a42x66_font_def;
extern const FONT_DEF a58x88_font_def;
extern const FONT_DEF a87x133_font_def;
extern const FONT_DEF myriad_9x14_font_def;
extern const FONT_DEF myriad_15x21_font_def;
extern const FONT_DEF myriad_21x33_font_def;
extern const FONT_DEF myriad_22x32_font_def;
extern const FONT_DEF myriad_29x44_font_def;
extern const FONT_DEF myriad_42x66_font_def;
extern const FONT_DEF myr33x44_font_def;
extern const FONT_DEF vondrel_6x11short_font_def;
extern const FONT_DEF atwentfourfourthreegreek_font_def;
extern const FONT_DEF atwentfourfourthreeRUS_font_def;
extern const FONT_DEF aonehunsixteenonehunsixnine_font_def;
extern const FONT_DEF aonehuntwentfiveonehuneightone_font_def;

// Follow the font set.
extern std::atomic<const FONT_DEF*> std_9x13_font_def_ptr;
extern std::atomic<const FONT_DEF*> std_11x14_font_def_ptr;
extern std::atomic<const FONT_DEF*> std_16x17_font_def_ptr;

extern const FONT_DEF* f7x10_font_def_ptr;
extern const FONT_DEF* f9x14_font_def_ptr;
extern const FONT_DEF* f13x19_font_def_ptr;
extern const FONT_DEF* f13x19a_font_def_ptr;
extern const FONT_DEF* f15x21_font_def_ptr;
extern const FONT_DEF* f16x26_font_def_ptr;
extern const FONT_DEF* f17x21_font_def_ptr;
extern const FONT_DEF* f18x27_font_def_ptr;
extern const FONT_DEF* f18x32_font_def_ptr;
extern const FONT_DEF* f19x30_font_def_ptr;
extern const FONT_DEF* f21x33_font_def_ptr;
extern const FONT_DEF* f21x38_font_def_ptr;
extern const FONT_DEF* f22x32_font_def_ptr;
extern const FONT_DEF* f25x44_font_def_ptr;
extern const FONT_DEF* f29x44_font_def_ptr;
extern const FONT_DEF* f31x57_font_def_ptr;
extern const FONT_DEF* f32x48_font_def_ptr;
extern const FONT_DEF* f34x62_font_def_ptr;
extern const FONT_DEF* f40x60_font_def_ptr;
extern const FONT_DEF* f40x71_font_def_ptr;
extern const FONT_DEF* f44x76_font_def_ptr;
extern const FONT_DEF* f58x88_font_def_ptr;
extern const FONT_DEF* f65x133_font_def_ptr;
extern const FONT_DEF* a14x21_font_def_ptr;
extern const FONT_DEF* a15x25_font_def_ptr;
extern const FONT_DEF* a24x37_font_def_ptr;
extern const FONT_DEF* a29x44_font_def_ptr;
extern const FONT_DEF* a34x53_font_def_ptr;
extern const FONT_DEF* a38x60_font_def_ptr;
extern const FONT_DEF* a42x66_font_def_ptr;
extern const FONT_DEF* a58x88_font_def_ptr;
extern const FONT_DEF* a87x133_font_def_ptr;
extern const FONT_DEF* myriad_9x14_font_def_ptr;
extern const FONT_DEF* myriad_15x21_font_def_ptr;
extern const FONT_DEF* myriad_21x33_font_def_ptr;
extern const FONT_DEF* myriad_22x32_font_def_ptr;
extern const FONT_DEF* myriad_29x44_font_def_ptr;
extern const FONT_DEF* myriad_42x66_font_def_ptr;
extern const FONT_DEF* myr33x44_font_def_ptr;
extern const FONT_DEF* vondrel_6x11short_font_def_ptr;
extern const FONT_DEF* atwentfourfourthreegreek_font_def_ptr;
extern const FONT_DEF* atwentfourfourthreeRUS_font_def_ptr;
extern const FONT_DEF* aonehunsixteenonehunsixnine_font_def_ptr;
extern const FONT_DEF* aonehuntwentfiveonehuneightone_font_def_ptr;

// Points the three standard fonts at the language's font set and selects
// the matching character map of the TrueType font. A language outside the
// list (a damaged setting) takes font set 1.
void U_FONTS_vSelectFontSet(LANGUAGE lang);
