// The drawing of the menu controls: the part of a menu row that shows an
// item's value and what the cursor keys will do with it, the four filled
// arrows every dialog and editor uses, and the formatting of a value with
// 0 to 3 decimals.
//
// Every routine draws from an anchor POINT (for the controls the lower-left
// corner of the control area) in the frame's bitmap, keeps no state and
// allocates nothing, so it may run in any draw callback. Colour-table
// entries: 64 white (selected list item), 65 pale blue (track, list
// background), 66 mid blue (numeric box, selection-box frame, knob core),
// 67 navy (arrows, outlines, slider and bar fill), 68 black (text). Text is
// drawn in the 11 x 14 font of the current font set, in the current
// language where it comes from a text table. Values must lie within the
// control's limits (the menu task clamps what the user edits): nothing here
// clamps.
#pragma once

#include "graphics/g_types.h"
#include "store/h_dbtypes.h"
#include "ui/menu_types.h"

// Filled arrows of one-pixel lines, each two pixels shorter than the one
// before, ending in a one-pixel tip. An even size is drawn one less, so an
// arrow of n (odd) is (n + 1) / 2 lines. Left and right take the height,
// the anchor being the lower end of the vertical base (on the left of a
// right arrow, on the right of a left arrow); up and down take the width,
// the anchor being the left end of the horizontal base (at the bottom of an
// up arrow, at the top of a down arrow).
void U_MENU_vDrawArrowLeft(BITMAP* pBitmap, POINT anchor, U32 u32Height, COLOR color);
void U_MENU_vDrawArrowRight(BITMAP* pBitmap, POINT anchor, U32 u32Height, COLOR color);
void U_MENU_vDrawArrowUp(BITMAP* pBitmap, POINT anchor, U32 u32Width, COLOR color);
void U_MENU_vDrawArrowDown(BITMAP* pBitmap, POINT anchor, U32 u32Width, COLOR color);

// The arrow at the right end of an action's row; the value is not used.
void U_MENU_vDrawControlAction(BITMAP* pBitmap, POINT anchor, U32 u32Value, U32 u32MenuWidth, U32 u32RowHeight);

// Closed (bIsActive FALSE, or a single choice): an arrow at the right end of
// the row. Open: the choice list beside the menu's right edge, centred on
// the row and moved by whole rows to stay inside the bitmap, the selected
// choice white with an arrow.
void U_MENU_vDrawControlActionList(BITMAP* pBitmap, POINT anchor, U32 u32Selected,
                                   const M_ACTION_LIST_PARAMETERS* parameters, U32 u32MenuWidth, U32 u32RowHeight);
void U_MENU_vDrawControlSubMenu(BITMAP* pBitmap, POINT anchor, U32 u32Selected,
                                const M_SUB_MENU_PARAMETERS* parameters, U32 u32MenuWidth, U32 u32RowHeight);
// Draws exactly as U_MENU_vDrawControlSubMenu.
void U_MENU_vDrawControlSubMenuWithNoArrow(BITMAP* pBitmap, POINT anchor, U32 u32Selected,
                                           const M_SUB_MENU_PARAMETERS* parameters, U32 u32MenuWidth,
                                           U32 u32RowHeight);

// A box showing the value (or the side caption at either limit) with an
// arrow on each side that still has somewhere to go.
void U_MENU_vDrawControlNumericEntry(BITMAP* pBitmap, POINT anchor, DB_DATA_TYPE dbValue,
                                     const M_NUMERIC_ENTRY_PARAMETERS* parameters, DATA_FORMAT dataFormat,
                                     U32 u32BoxWidth, U32 u32BoxHeight);
// Integer values fill in whole-percent steps, float values in proportion.
void U_MENU_vDrawControlProgressBar(BITMAP* pBitmap, POINT anchor, DB_DATA_TYPE dbValue,
                                    const M_PROGRESS_BAR_PARAMETERS* parameters, DATA_FORMAT dataFormat,
                                    U32 u32BarWidth, U32 u32BarHeight);
void U_MENU_vDrawControlSlider(BITMAP* pBitmap, POINT anchor, DB_DATA_TYPE dbValue,
                               const M_SLIDER_PARAMETERS* parameters, DATA_FORMAT dataFormat, U32 u32SliderWidth,
                               U32 u32SliderHeight);
// The current choice's text or icon, with an arrow on each side that has
// further choices.
void U_MENU_vDrawControlSelectionBox(BITMAP* pBitmap, POINT anchor, U8 u8CurSel,
                                     const M_SELECTION_BOX_PARAMETERS* parameters, U32 u32Width, U32 u32Height,
                                     COLOR backgroundColor);
// A checked item shows the selected radio button near the row's right end;
// an unchecked one leaves the control area empty. The row height is not
// used: the button sits on a fixed 55-pixel row.
void U_MENU_vDrawControlCheckList(BITMAP* pBitmap, POINT anchor, U32 u32Checked, U32 u32MenuWidth,
                                  U32 u32RowHeight);
void U_MENU_vDrawControlCheckBox(BITMAP* pBitmap, POINT anchor, U32 u32Checked, U32 u32MenuWidth,
                                 U32 u32RowHeight);

// "%.0f", "%.1f", "%.2f" for precision 0, 1, 2, "%.3f" for any other;
// pcOut holds at least U_MENU_TEXT_SIZE characters and the text is cut to
// fit.
constexpr U32 U_MENU_TEXT_SIZE = 20;
void U_MENU_vPrecisionFormat(char* pcOut, float fValue, U8 u8Precision);
