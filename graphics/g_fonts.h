// Bitmap fonts: one character and the font metrics.
//
// A font is constant data: 256 glyph pointers indexed by the 8-bit
// character code (null for a missing glyph) and one cell height shared by
// every glyph. A glyph's rows run top row first, ceil(width / 8) bytes each,
// pixels from the most significant bit; a set bit is drawn in the text
// colour and a clear bit leaves the bitmap alone. A glyph's width is also
// its advance: the spacing between characters is part of the glyph.
//
// Characters are placed by their baseline-left point: the lowest row of the
// core lies on the anchor's y, the u32Descender rows below it, and the top
// row of the cell at y + u32Height - u32Descender - 1. Pixels go through
// G_PIXEL_vPut, so the clip box applies.
#pragma once

#include "graphics/g_types.h"

typedef U8 BYTE; // an 8-bit character code of the unit's own coding

typedef struct tag_CHAR_DESC {
    const U8* pBuffer;
    U32 u32Width;
} CHAR_DESC;

typedef struct tag_FONT_DEF {
    union {
        const CHAR_DESC* const* ppCharDesc; // 256 entries
        const U8* pu8TTFdata;               // a TrueType file; its length is in u32MaxWidth
    };
    U32 u32Height;
    U32 u32Ascender;  // rows above the core height, room for accents
    U32 u32Descender; // rows below the baseline
    U32 u32MaxWidth;
    U32 u32InterCharSpacing; // already part of the glyph widths
} FONT_DEF;

// A null anchor or font is a programming error and resets the unit. A font
// without glyphs draws a 6 x 6 box, a missing glyph a (height - 1) square,
// each with its lower-left corner at the anchor.
void G_FONTS_vPut(BITMAP* pDest, COLOR colorFont, const POINT* pAnchor, const FONT_DEF* pFont, BYTE ucCharacter);

// The advance: the glyph's width, the font height for a missing glyph, 6
// for a font without glyphs, 0 for a null font.
U32 G_FONTS_u32GetWidth(const FONT_DEF* pFont, BYTE ucCharacter);

// The field of that name; 0 for a null font.
U32 G_FONTS_u32GetHeight(const FONT_DEF* pFont);
U32 G_FONTS_u32GetAscenderHeight(const FONT_DEF* pFont);
U32 G_FONTS_u32GetDescenderHeight(const FONT_DEF* pFont);
U32 G_FONTS_u32GetMaxWidth(const FONT_DEF* pFont);
U32 G_FONTS_u32GetInterCharSpacing(const FONT_DEF* pFont);
// Height less ascender and descender; 0 for a null font.
U32 G_FONTS_u32GetCoreHeight(const FONT_DEF* pFont);
