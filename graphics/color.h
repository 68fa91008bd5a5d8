// The active colour table: 256 COLOR entries that screens pick colours from
// by index, and the fixed colours of the trolling-motor overlays.
//
// The tasks that own a section rewrite it with the section operations while
// every drawing task reads entries, and every later frame shows the new
// scheme. Writers and readers agree on the entry: each is stored and loaded
// whole as one atomic 16-bit access (COLOR_colorRead for readers of the
// table or of a palette pointer into it), so a reader sees the old or the
// new colour of an entry and a frame drawn during a rewrite may mix old and
// new entries of that section. There is no table-wide lock, which every
// pixel lookup would have to take, and no copy, which the palettes pointing
// into the table would not follow.
// No operation tests its range: callers keep sections inside the 256 entries.
#pragma once

#include "graphics/g_types.h"

#include <atomic>

constexpr U32 COLOR_TABLE_SIZE = 256;

// Sections their owners rewrite at run time: first entry and entry count.
constexpr U32 COLOR_SECTION_SONAR = 0; // sonar colour scale, entry 0 the background
constexpr U32 COLOR_SECTION_SONAR_COUNT = 32;
constexpr U32 COLOR_SECTION_ICON = 80; // 4-bit icon colour i is entry 80 + i
constexpr U32 COLOR_SECTION_ICON_COUNT = 16;
constexpr U32 COLOR_SECTION_CHART = 96; // chart palette, first part
constexpr U32 COLOR_SECTION_CHART_COUNT = 16;
constexpr U32 COLOR_SECTION_CHART_HIGH = 148; // chart palette, second part
constexpr U32 COLOR_SECTION_CHART_HIGH_COUNT = 48;
constexpr U32 COLOR_SECTION_INFO = 128; // info-box palette
constexpr U32 COLOR_SECTION_INFO_COUNT = 4;
constexpr U32 COLOR_SECTION_IMAGING = 200; // side-scan and imaging colour scale
constexpr U32 COLOR_SECTION_IMAGING_COUNT = 32;

// Points at the active table for the life of the process.
extern COLOR* const gCOLOR_pcolColorTable;

// One row of the point-of-sale variation: the entry and its two colours.
typedef struct tag_POS_COLOR_VARIATION {
    U32 u32Index;
    COLOR colorStandard;
    COLOR colorPOS;
} POS_COLOR_VARIATION;

// Index of the trolling-motor overlay colours; the values are fixed and
// differ in places from what the name suggests.
typedef enum {
    STCOLOR_BLACK = 0,
    STCOLOR_RED,
    STCOLOR_GREEN,
    STCOLOR_BROWN,
    STCOLOR_BLUE,
    STCOLOR_MAGENTA,
    STCOLOR_CYAN,
    STCOLOR_LIGHT_GRAY,
    STCOLOR_DARK_GRAY,
    STCOLOR_LIGHT_RED,
    STCOLOR_LIGHT_GREEN,
    STCOLOR_YELLOW,
    STCOLOR_LIGHT_BLUE,
    STCOLOR_LIGHT_MAGENTA,
    STCOLOR_LIGHT_CYAN,
    STCOLOR_WHITE,
    STCOLOR_ORANGE,
    STCOLOR_FUSCHIA,
    STCOLOR_PINK,
    STCOLOR_LIGHT_YELLOW,
    STCOLOR_CUSTOM_APHEADING_LINE,
    STCOLOR_FTC_OPTION1,
    STCOLOR_FTC_OPTION2,
    STCOLOR_MAX
} STCOLOR_INDEX;

// One entry of the table (or of another colour array that is written the
// same way), loaded whole.
inline COLOR COLOR_colorRead(const COLOR* pcolorEntry)
{
    return std::atomic_ref<COLOR>(*const_cast<COLOR*>(pcolorEntry)).load(std::memory_order_relaxed);
}

// Copies u32Count colours into entries u32StartIndex.., ascending.
void COLOR_vSetColorTableSection(U32 u32StartIndex, U32 u32Count, const COLOR* pcolorSource);
void COLOR_vFetchColorTableSection(U32 u32StartIndex, U32 u32Count, COLOR* pcolorDest);
// Entry by entry in ascending order: a copy to an overlapping higher index
// repeats the first entries.
void COLOR_vCopyColorTableSection(U32 u32SourceIndex, U32 u32DestinationIndex, U32 u32Count);
// The colours of the point-of-sale state, and of every other state.
void COLOR_vSetPOSPalette(void);
void COLOR_vSetStandardPalette(void);
// Trolling-motor overlay colour; black for an index past the table.
COLOR COLOR_vGetStevrinColorDef(U32 u32ColorIndex);
