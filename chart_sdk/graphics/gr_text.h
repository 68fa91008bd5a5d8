// Text of the chart raster graphics library: fixed-width 1-bit bitmap fonts
// from the font rack printed at the pen of a context.
#pragma once

#include "chart_sdk/graphics/gr_types.h"

struct font_tag {
    UCHAR FontDescr[20]; // name, NUL-terminated
    const UCHAR* TablePtr; // the font body
    SINT PixWidth;
    SINT PixHeight;
    SINT BlockSize; // bytes of one glyph record
    SINT RowSize;   // bytes of one glyph row
    UCHAR FirstChar;
    UCHAR LastChar;
    SINT Descender; // rows of the cell below the baseline
};
