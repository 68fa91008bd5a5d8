// UTF-16 and the unit's own 8-bit character coding of its display fonts.
// Two font sets exist for text: set 1 (Western European languages) and set
// 2 (Croatian, Russian, Bulgarian). Both agree with ASCII for 0x20..0x7E;
// their upper halves are the unit's own and follow no published code page.
// The code table here is the one the fonts are drawn in.
#pragma once

#include "kernel/l_types.h"

typedef U16 UCHAR16;

typedef enum tag_FONT_SET { FONT_SET_1 = 0, FONT_SET_2 = 1, FONT_SET_3 = 2, FONT_SET_4 = 3 } FONT_SET;

// One row of the code table: a code point and its code in font sets 1 and
// 2 (0 = the set has no such character).
typedef struct tag_UNICODE_TABLE_ROW {
    UCHAR16 u16CodePoint;
    U8 u8FontSet1;
    U8 u8FontSet2;
} UNICODE_TABLE_ROW;

constexpr int UNICODE_LANGUAGE_COUNT = 22;

extern const UNICODE_TABLE_ROW Unicode_Table_Hex[];
extern const int Unicode_Table_Rows;
// The font set of each of the 22 UI languages.
FONT_SET U_UNICODE_eFontSet(U32 u32Language);

// 8-bit text to UTF-16: at most nMaxLen - 1 units and a 0; a byte the set
// lacks becomes '.'. A bad language or length, or an empty input, gives
// the empty text.
void U_UNICODE_vFromQuellmar(UCHAR16* pOut, const char* pIn, int nMaxLen, U32 u32Language);
// UTF-16 to 8-bit text: at most nMaxLen - 1 bytes and a NUL; a character
// the set lacks is left out. When nothing could be written the result is
// "U-ERR" (so pOut must hold at least six bytes).
void U_UNICODE_vToQuellmar(char* pOut, const UCHAR16* pIn, int nMaxLen, U32 u32Language);
