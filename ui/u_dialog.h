// Message boxes drawn into a layer's bitmap from a draw callback: a dialog
// box centred across the bitmap with an optional icon at either side, a
// dialog box with a left and a right answer, and plain or outlined message
// blocks placed at an anchor. All of them wrap their text with one word
// wrap, which other screens call directly too.
//
// Widths are sums of character advances; y counts up from the bottom row
// and boxes are placed by their lower-left corner. Only the space separates
// words: any other character, a line end included, belongs to a word. The
// routines keep no state; the line array lives on the caller's stack.
//
// Dialog boxes take colour-table entries 130 (outline), 128 (fill) and 131
// (text and arrows); message blocks take the caller's colours.
#pragma once

#include "graphics/g_fonts.h"
#include "graphics/g_icon.h"
#include "graphics/g_types.h"
#include "kernel/l_types.h"

typedef enum tag_JUSTIFICATION : int {
    JUSTIFICATION_NOT_USED = 0,
    JUSTIFICATION_LEFT = 1,
    JUSTIFICATION_RIGHT = 2,
    JUSTIFICATION_CENTER = 3,
    JUSTIFICATION_TOP = 4,
    JUSTIFICATION_BOTTOM = 5,
    JUSTIFICATION_SCREEN_CENTER = 6
} JUSTIFICATION;

// One wrapped line: a stretch of the caller's text, nothing copied.
typedef struct tag_LINEOFTEXT {
    const char* pcStartOfText;
    U8 u8NumberOfCharsInLine;
    U16 u16WidthOfLine; // the line's advances less one
} LINEOFTEXT;

constexpr U16 U_DIALOG_MAX_LINES = 20;

// Wraps the text into at most 20 lines of paLines (which holds 20) for a
// column u16Width pixels wide and returns their number; text beyond the
// twentieth line is dropped. A word wider than the column stands alone on
// its line. Spaces at a break belong to neither line; spaces inside a line,
// at the start of the text and (when they fit) at its end belong to their
// line. A null or empty text gives 0 lines.
U16 U_DIALOG_u16ExtractTextIntoLines(const char* pcText, LINEOFTEXT* paLines, const FONT_DEF* pFont, U16 u16Width);

// The advances of the widest word; 0 for an empty text or spaces only.
U32 U_DIALOG_u32GetMaxWordLength(const char* pcText, const FONT_DEF* pFont);

// Text justification takes LEFT, RIGHT or CENTER (anything else draws as
// LEFT). Box justification: CENTER and SCREEN_CENTER centre the box between
// row 105 and the top, TOP puts it against the top, BOTTOM on row 105; the
// lowest 105 rows always stay clear. Any other box justification is a
// programming error that resets the unit ("Invalid box justification").
// The box grows to hold the widest word, up to the bitmap's width.
void U_DIALOG_vDrawDialog(BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont, U16 u16PixelsBetweenLines,
                          U16 u16BoxWidth, const ICON* pLeftIcon, const ICON* pRightIcon,
                          JUSTIFICATION TextJustification, JUSTIFICATION BoxJustification);

// The dialog box without icons and with a row of answers along its bottom:
// the left answer behind a left-pointing arrow when NoOption is set, the
// right one before a right-pointing arrow when YesOption is set. With
// neither there is no answer row and the text keeps its place in the box.
void U_DIALOG_vDrawDialogWithConfirm(BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont,
                                     U16 u16PixelsBetweenLines, U16 u16BoxWidth, const char* pcLeftOption,
                                     const char* pcRightOption, JUSTIFICATION TextJustification,
                                     JUSTIFICATION BoxJustification, BOOLEAN NoOption, BOOLEAN YesOption);

// A block u32BoxWidth wide wrapped to its full width, filled with the
// background colour, its text in the text colour; returns its height.
// Box justification relative to the anchor: TOP puts the block's top row on
// the anchor's row, BOTTOM its bottom row, CENTER its middle; anything else
// (SCREEN_CENTER included) resets the unit. A centred line wider than the
// block starts at the block's left edge.
U32 U_DIALOG_u32DrawMessageBlock(BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont,
                                 U32 u32PixelsBetweenLines, JUSTIFICATION TextJustification,
                                 JUSTIFICATION BoxJustification, const POINT* ppointAnchor, U32 u32BoxWidth,
                                 COLOR colorBackground, COLOR colorText);

// The block with a double rounded frame two pixels outside it, kept inside
// the bitmap's width and height and not left of or below its clip box.
void U_DIALOG_vDrawMessageBlockOutlined(BITMAP* pBitmap, const char* pcText, const FONT_DEF* pFont,
                                        U32 u32PixelsBetweenLines, JUSTIFICATION TextJustification,
                                        JUSTIFICATION BoxJustification, const POINT* ppointAnchor,
                                        U32 u32BoxWidth, COLOR colorBackground, COLOR colorText,
                                        COLOR colorOutline);
