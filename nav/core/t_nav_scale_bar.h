// The scale-bar rows: for each chart scale 8 .. 25 the length of the first
// mark of the chart's scale bar in the current distance unit, with the
// labels of the first three marks. The ring, grid and casting-ring painters
// space their rings and lines by the same rows.
//
// Four constant tables, one per unit system: kilometres; nautical miles
// with metres; nautical miles with feet; statute miles with feet. The
// distance unit "SUDS" picks one on every call.
#pragma once

#include "kernel/l_types.h"
#include "store/lang.h"

constexpr S32 NAV_SCALE_BAR_FIRST = 8;
constexpr S32 NAV_SCALE_BAR_LAST = 25;
constexpr U32 NAV_SCALE_BAR_ROWS = NAV_SCALE_BAR_LAST - NAV_SCALE_BAR_FIRST + 1;

typedef struct tag_SCALE_BAR_LENGTHS {
    const char* sNumber;  // label of the first mark
    const char* sNumber2; // twice the first
    const char* sNumber3; // three times the first
    const TEXT_TABLE* sUnits;
    S32 nMeters;          // the first mark in ground metres
} SCALE_BAR_LENGTHS;

extern TEXT_TABLE Scale_Units_m;
extern TEXT_TABLE Scale_Units_km;
extern TEXT_TABLE Scale_Units_ft;
extern TEXT_TABLE Scale_Units_nm;
extern TEXT_TABLE Scale_Units_sm;

// The row of chart scale nChartScale in the current distance unit; null
// outside 8 .. 25, where no scale bar is defined.
const SCALE_BAR_LENGTHS* T_NAV_pGetScaleBarLengths(S32 nChartScale);
