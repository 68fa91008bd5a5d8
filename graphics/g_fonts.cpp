// Bitmap fonts (see g_fonts.h).
//
// A glyph row is drawn bit by bit through G_PIXEL_vPut, leaving out the
// clear bits: a zero byte is skipped whole and the scan of a byte ends with
// its last set bit, so the bits past the width, clear in the font data,
// cost nothing.
#include "graphics/g_fonts.h"

#include "graphics/g_box.h"
#include "graphics/g_pixel.h"
#include "kernel/error.h"

namespace {

constexpr U32 FONTS_NO_TABLE_SIZE = 6;

// Columns are counted in 64 bits so that an anchor near the end of the
// coordinate range cannot wrap around.
void fonts_PutRow(BITMAP* pDest, COLOR color, const U8* pu8Row, U32 u32Bytes, S64 x, PIXEL nY)
{
    for (U32 b = 0; b < u32Bytes; ++b, x += 8) {
        U32 u32Bits = pu8Row[b];
        for (S64 bit = 0; u32Bits != 0; ++bit, u32Bits = (u32Bits << 1) & 0xFFu) {
            const S64 px = x + bit;
            if ((u32Bits & 0x80u) != 0 && px >= pDest->s32ClipLeft && px <= pDest->s32ClipRight)
                G_PIXEL_vPut(pDest, (PIXEL)px, nY, color);
        }
    }
}

} // namespace

void G_FONTS_vPut(BITMAP* pDest, COLOR colorFont, const POINT* pAnchor, const FONT_DEF* pFont, BYTE ucCharacter)
{
    if (pAnchor == nullptr || pFont == nullptr) {
        ERROR_error("g_fonts", 78, "G_FONTS_vPut received bad pointer");
        U_RESET_vReset(FALSE, FALSE);
    }
    if (pFont->ppCharDesc == nullptr) {
        G_BOX_vDrawFilled(pDest, colorFont, pAnchor, FONTS_NO_TABLE_SIZE, FONTS_NO_TABLE_SIZE);
        return;
    }
    const CHAR_DESC* pChar = pFont->ppCharDesc[ucCharacter];
    if (pChar == nullptr) {
        if (pFont->u32Height > 1)
            G_BOX_vDrawFilled(pDest, colorFont, pAnchor, pFont->u32Height - 1, pFont->u32Height - 1);
        return;
    }
    const U32 u32RowBytes = (pChar->u32Width + 7) / 8;
    // The top row of the cell; rows go downward from it.
    const S64 top = (S64)pAnchor->y + pFont->u32Height - pFont->u32Descender - 1;
    const U8* pu8Row = pChar->pBuffer;
    for (U32 r = 0; r < pFont->u32Height; ++r, pu8Row += u32RowBytes) {
        const S64 y = top - r;
        if (y < pDest->s32ClipBottom || y > pDest->s32ClipTop)
            continue;
        fonts_PutRow(pDest, colorFont, pu8Row, u32RowBytes, pAnchor->x, (PIXEL)y);
    }
}

U32 G_FONTS_u32GetWidth(const FONT_DEF* pFont, BYTE ucCharacter)
{
    if (pFont == nullptr)
        return 0;
    if (pFont->ppCharDesc == nullptr)
        return FONTS_NO_TABLE_SIZE;
    const CHAR_DESC* pChar = pFont->ppCharDesc[ucCharacter];
    return pChar != nullptr ? pChar->u32Width : pFont->u32Height;
}

U32 G_FONTS_u32GetHeight(const FONT_DEF* pFont) { return pFont != nullptr ? pFont->u32Height : 0; }

U32 G_FONTS_u32GetAscenderHeight(const FONT_DEF* pFont) { return pFont != nullptr ? pFont->u32Ascender : 0; }

U32 G_FONTS_u32GetDescenderHeight(const FONT_DEF* pFont) { return pFont != nullptr ? pFont->u32Descender : 0; }

U32 G_FONTS_u32GetMaxWidth(const FONT_DEF* pFont) { return pFont != nullptr ? pFont->u32MaxWidth : 0; }

U32 G_FONTS_u32GetInterCharSpacing(const FONT_DEF* pFont)
{
    return pFont != nullptr ? pFont->u32InterCharSpacing : 0;
}

U32 G_FONTS_u32GetCoreHeight(const FONT_DEF* pFont)
{
    return pFont != nullptr ? pFont->u32Height - pFont->u32Ascender - pFont->u32Descender : 0;
}
