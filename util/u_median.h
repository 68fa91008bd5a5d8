// Running median filter over a line of 8-bit samples.
#pragma once

#include "kernel/l_types.h"

// Filters u32DataLength samples of pu8Data into pu8Filtered (same length)
// with a window of u32FilterLength samples. Windows 3, 5 and 7 have fast
// paths; any other length counts a histogram per sample. Near the ends the
// window is padded with the first or last sample (the current sample before
// the start for the histogram method). A window of 7 on fewer than 7 samples
// writes nothing.
void U_MEDIAN_vFilter(const U8* pu8Data, U8* pu8Filtered, const U32 u32DataLength, const U32 u32FilterLength);

// The steps of the window-7 path, kept in ascending order of value with the
// sample index each value came from.
void U_MEDIAN_vInsert7(S32* pnSortedIndex, U8* pu8SortedData, S32 nCount, S32 nIndexIn, U8 u8DataIn);
void U_MEDIAN_vReplace7(S32* pnSortedIndex, U8* pu8SortedData, S32 nIndexOut, S32 nIndexIn, U8 u8DataIn);
