// What the menu layers' files share (RES_MENU held): the sizes drawing
// records, the fonts and colours, and the rows every list is made of.
#pragma once

#include "graphics/g_fonts.h"
#include "ui/t_menu_state.h"

namespace t_menu {

extern U32 s_minMenuWidth;      // the open menu's row width
extern U32 s_minSelectorWidth;  // a selection box's width
extern POINT s_activeItemAnchor; // lower-left corner of the highlighted row

constexpr S32 ROW_HEIGHT = 55;
constexpr S32 ROW_PITCH = 54; // neighbouring rows share a border row
constexpr S32 MAX_HOT_ROWS = 9;
constexpr S32 MAX_QUICK_ROWS = 3;
constexpr S32 FRAME_WIDTH = 800;
constexpr U32 WIDEST_MENU = 797;

// Colour-table entries.
constexpr U32 C_FRAME = 64;
constexpr U32 C_ROW = 65;
constexpr U32 C_UPPER_LINE = 66;
constexpr U32 C_INNER = 67;
constexpr U32 C_HEADER_TEXT = 68;
constexpr U32 C_ROW_TEXT = 69;
constexpr U32 C_CONFIRM = 71;
constexpr U32 C_SOURCE_MISSING = 34;
constexpr U32 C_QUICK_MESSAGE = 128;
constexpr U32 C_QUICK = 131;

COLOR colorAt(U32 u32Index);
const FONT_DEF* rowFont(void);    // 16x17
const FONT_DEF* headerFont(void); // 11x14
S32 textWidth(const FONT_DEF* pFont, const char* pc);
void vText(BITMAP* pBitmap, U32 u32Color, const FONT_DEF* pFont, S32 x, S32 y, const char* pc);
void vBox(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, S32 w, S32 h, U32 u32Radius, bool bFilled);
void vLine(BITMAP* pBitmap, U32 u32Color, S32 x0, S32 y0, S32 x1, S32 y1);
void vIcon(BITMAP* pBitmap, const ICON* pIcon, S32 x, S32 y);
const char* pcTitle(const TEXT_TABLE* pTable); // "" for none

// One row of the open menu at (x, y), s_minMenuWidth wide; the
// highlighted one is only recorded (s_activeItemAnchor) for drawing last.
void vDrawRow(BITMAP* pBitmap, MENU_ITEM* pItem, S32 x, S32 y, bool bHighlighted);
// The single row of a menu with nothing to show.
void vDrawNoMenusRow(BITMAP* pBitmap, S32 x, S32 y);
// The rows first .. last of the visible list from (x, yTop) down; the
// highlighted one drawn last.
void vDrawRows(BITMAP* pBitmap, S32 first, S32 last, S32 x, S32 yTop);

// Defaults of the navigation and source hooks.
void vStandInCopyObject(U32 u32Index, MENU_NAV_OBJECT* pObject);
BOOLEAN bStandInSourceAvailable(U32 u32SourceContext);

} // namespace t_menu
