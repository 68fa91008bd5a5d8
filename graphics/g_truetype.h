// TrueType text: the one scalable font of the program (a bold narrow sans),
// drawn anti-aliased at any pixel height through FreeType and its caches.
//
// Every operation takes the text height h; FreeType renders at the pixel
// size h * 60 / 44. Strings are 8-bit in the unit's coding: the face has
// two 8-bit character maps, for font sets 1 and 2, and the Unicode map, and
// U_FONTS_vSelectFontSet picks the one of the user's language. Glyphs drawn
// plainly are kept, per character and height, as 8-bit coverage in a list
// of the module's own, so readouts redrawn every frame do not go through
// FreeType again; the list is emptied when the language changes.
//
// Layout: a space advances h / 2; any other glyph is drawn from the pen
// without its left bearing and advances its width + h / 64 + 1. A glyph the
// face cannot give is skipped without advance; a glyph with an empty bitmap
// draws nothing and advances h / 64 + 1. Glyphs whose small bitmap would
// pass 255 rows come out empty, and above a pixel size of 1000 glyphs are
// not rendered at all (skipped). Every pixel is clipped to the bitmap's
// clip box and surface.
//
// Before G_TRUETYPE_bInit succeeds, and after it fails, nothing is drawn
// and every width is 0. All calls may come from any task: one lock guards
// the glyph list and FreeType.
#pragma once

#include "graphics/g_fonts.h"

// The font: pu8TTFdata holds the bytes of the TrueType file with the
// unit's character maps and u32MaxWidth its length; G_TRUETYPE_bInit fills
// it from the font file.
extern FONT_DEF ArialNarrow_Bold_Quellmarcoding;

// The font file to build the face from; by default LiberationSansNarrow-Bold.ttf
// found under /usr/share/fonts. Takes effect at the next G_TRUETYPE_bInit
// that has no face yet.
void G_TRUETYPE_vSetFontFile(const char* pcPath);

// Sets FreeType and its caches up over the font; FALSE when the font file
// or any FreeType step fails. A second call only empties the glyph list.
BOOLEAN G_TRUETYPE_bInit(void);
// Character map 0 or 1 for font set 0 or 1, the Unicode map for any other.
void G_TRUETYPE_vSelectFontSet(int nSelectSet);
// Empties the glyph list: the next draw fetches every glyph again.
void G_TRUETYPE_vRemoveList(void);

// The string with its baseline-left point at *pAnchor (not changed). The
// rest of a string whose next glyph would reach row 599 or above is not
// drawn.
void G_TRUETYPE_vPut(BITMAP* pBmp, char* pText, POINT* pAnchor, COLOR colorText, U32 u32Height, U32 u32FontStyle);
// How far G_TRUETYPE_vPut advances over the string.
U32 G_TRUETYPE_u32GetWidth(char* pText, U32 u32Height, U32 u32FontStyle);

// As the two above, but every digit takes the width of "0", so numbers of
// as many digits are as wide.
void G_TRUETYPE_vPutNumWidthFixed(BITMAP* pBmp, char* pText, POINT* pAnchor, COLOR colorText, U32 u32Height,
                                  U32 u32FontStyle);
U32 G_TRUETYPE_u32GetWidthNumWidthFixed(char* pText, U32 u32Height, U32 u32FontStyle);

// The string turned by dRotateAngle radians counter-clockwise about the
// point pptRotateCenter, counted from the text's baseline-left point, which
// lands on pptAnchor. The text is laid out in a work image of at most
// 120,000 pixels, (width + 32) x (h + 34); text beyond it is cut.
void G_TRUETYPE_vPutRotated(BITMAP* pBmp, char* pText, const POINT* pptAnchor, const POINT* pptRotateCenter,
                            double dRotateAngle, COLOR colorText, U32 u32Height, U32 u32FontStyle);

// The string with a soft outline of about two pixels in colorOutline. The
// text is laid out in work buffers of 800 x 600 cells; text beyond them is
// cut, and a height of 600 or more draws nothing.
void G_TRUETYPE_vPutOutlined(BITMAP* pBmp, char* pText, POINT* pAnchor, COLOR colorText, U32 u32HeightFont,
                             U32 u32FontStyle, COLOR colorOutline);
