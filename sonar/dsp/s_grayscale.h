// Sample level to colour: the 256-entry lookup tables of the sonar
// pictures and their use on a row.
//
// Tables take their colours from the current colour table when they are
// built: entries 0-31 are the 2D levels (0 the weakest), 32 the colour below
// the bottom, 35 the white line, 200-231 the imaging levels (200 the
// strongest). A table is built between a lower clip L (levels up to it get
// the weakest colour) and an upper clip U (levels above it the strongest).
// The callers own the tables; nothing here is shared or locked.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"

typedef enum tag_POST_PROCESS_MODE : int {
    POST_PROCESS_NONE = 0,
    POST_PROCESS_WHITE_LINE = 1,
    POST_PROCESS_BOTTOM_BLACK = 2,
    POST_PROCESS_INVERSE = 3,
    POST_PROCESS_SIDESCAN = 4
} POST_PROCESS_MODE;

constexpr U32 GRAYSCALE_LEVELS = 256;

typedef struct tag_GRAYSCALE_TABLE {
    COLOR acColor[GRAYSCALE_LEVELS]; // colour of each sample level
    POST_PROCESS_MODE ePostProcessMode;
} GRAYSCALE_TABLE;

// Colour-table entries.
constexpr U32 GRAYSCALE_ENTRY_2D_FIRST = 0;
constexpr U32 GRAYSCALE_ENTRY_BOTTOM_BLACK = 32;
constexpr U32 GRAYSCALE_ENTRY_WHITE_LINE = 35;
constexpr U32 GRAYSCALE_ENTRY_IMAGING_STRONGEST = 200;
constexpr U32 GRAYSCALE_ENTRY_IMAGING_WEAKEST = 231;

// Builds a table from a menu sensitivity (1-20) and the stored settings:
// the transducer ("SSTS", or "CPTS" in playback) and "YTVG" choose the
// clips of the 2D tables; the side-view frequency ("YSSF", or "CPFS" above
// 750,000 Hz in playback) chooses the imaging clip tables. Gamma and
// contrast shape imaging tables only (10 and 10 leave them linear).
// u8Flags has no effect.
void S_GRAYSCALE_vRecalulateGrayScaleTable(GRAYSCALE_TABLE* pTable, U8 u8Sensitivity, U8 u8Gamma, U8 u8Contrast,
                                           POST_PROCESS_MODE ePostProcessMode, U8 u8WhiteLineLevel, U8 u8Flags);
// Builds a table from given clips; imaging tables with gamma and contrast 10.
void S_GRAYSCALE_vRecalulateGrayScaleTableDirect(GRAYSCALE_TABLE* pTable, POST_PROCESS_MODE ePostProcessMode,
                                                 U8 u8LowerClip, U8 u8UpperClip, U8 u8WhiteLineLevel);
// The imaging clips for a sensitivity: from the 800 kHz tables when the
// frequency is "SSF5", else from the 455 kHz ones. A sensitivity past a
// table's end reads its last entry.
U8 S_GRAYSCALE_pu8GetSSSensitivityUE(FOURCHARID fcidSideViewFreq, U8 u8Sensitivity);
U8 S_GRAYSCALE_pu8GetSSSensitivityLE(FOURCHARID fcidSideViewFreq, U8 u8Sensitivity);
// Colours a row: each sample, shifted by s8GainAdjustment (a 0 stays 0),
// through the table. With a bottom-black table and 0 < start < length, the
// row from u32BottomBlackStartIndex on gets entry 32 instead.
void S_GRAYSCALE_vCategorize(const U8* pu8ReturnData, COLOR* pCategorizedData, U32 u32Length,
                             const GRAYSCALE_TABLE* pTable, U32 u32BottomBlackStartIndex, S8 s8GainAdjustment);

// The table builders behind the two above; u8NumberOfLevels is 32 in every
// use and changes nothing.
void S_GRAYSCALE_vCreateGrayScaleTable(GRAYSCALE_TABLE* pTable, U8 u8NumberOfLevels, U8 u8LowerClip,
                                       U8 u8UpperClip);
void S_GRAYSCALE_vCreateWhiteLineGrayScaleTable(GRAYSCALE_TABLE* pTable, U8 u8NumberOfLevels, U8 u8LowerClip,
                                                U8 u8UpperClip, U8 u8WhiteLineLevel);
void S_GRAYSCALE_vCreateSideScanTable(GRAYSCALE_TABLE* pTable, U8 u8NumberOfLevels, U8 u8LowerClip, U8 u8UpperClip,
                                      U8 u8Gamma, U8 u8Contrast);
// A sample shifted by a gain: 0 stays 0, any other is limited to 0-255.
U8 u8GainAdjust(S32 s32RawValue, S8 s8Gain);
