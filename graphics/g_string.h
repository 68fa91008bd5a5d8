// NUL-terminated 8-bit strings in a bitmap font.
//
// The characters are drawn one after another from the anchor's
// baseline-left point; the anchor moves right by each character's advance,
// so on return it marks the end of the string and drawing can go on
// behind it. A string's width is exactly that movement.
#pragma once

#include "graphics/g_fonts.h"

// A null string draws nothing and leaves the anchor.
void G_STRING_vPut(BITMAP* pDest, COLOR colorFont, POINT* pAnchor, const FONT_DEF* pFont, const BYTE* pString);
// Sum of the characters' advances; 0 for a null string.
U32 G_STRING_u32GetWidth(const FONT_DEF* pFont, const BYTE* pString);
U32 G_STRING_u32GetHeight(const FONT_DEF* pFont);
