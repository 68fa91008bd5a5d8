// Strings in a bitmap font (see g_string.h).
#include "graphics/g_string.h"

void G_STRING_vPut(BITMAP* pDest, COLOR colorFont, POINT* pAnchor, const FONT_DEF* pFont, const BYTE* pString)
{
    if (pString == nullptr)
        return;
    for (; *pString != 0; ++pString) {
        G_FONTS_vPut(pDest, colorFont, pAnchor, pFont, *pString);
        // Wraps like the unit's 32-bit arithmetic instead of overflowing.
        pAnchor->x = (PIXEL)((U32)pAnchor->x + G_FONTS_u32GetWidth(pFont, *pString));
    }
}

U32 G_STRING_u32GetWidth(const FONT_DEF* pFont, const BYTE* pString)
{
    U32 u32Width = 0;
    if (pString == nullptr)
        return 0;
    for (; *pString != 0; ++pString)
        u32Width += G_FONTS_u32GetWidth(pFont, *pString);
    return u32Width;
}

U32 G_STRING_u32GetHeight(const FONT_DEF* pFont) { return G_FONTS_u32GetHeight(pFont); }
