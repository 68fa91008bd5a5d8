// Built-in chart bitmap fonts: the FONT records over the generated bodies
// of fnt_glyphs.cpp. Every glyph of the three fonts is as wide as its cell.
#include "chart_sdk/graphics/fnt_fonts.h"

#include "chart_sdk/graphics/fnt_glyphs.h"
#include "chart_sdk/graphics/ut_string.h"

namespace {

int Fill(FONT* f, const char* name, const UCHAR* body, SINT width, SINT height, SINT descender)
{
    if (f == nullptr) {
        return 1;
    }
    ut_strncpy(reinterpret_cast<char*>(f->FontDescr), name, 19);
    f->TablePtr = body;
    f->PixWidth = width;
    f->PixHeight = height;
    f->RowSize = (width + 7) / 8;
    f->BlockSize = 1 + height * f->RowSize;
    f->FirstChar = 0;
    f->LastChar = 255;
    f->Descender = descender;
    return 0;
}

} // namespace

int fnt_INIT_Orvane06x09(FONT* f)
{
    return Fill(f, "Orvane06x09", fnt_aucBodyOrvane06x09, 6, 9, 2);
}

int fnt_INIT_Orvane06x11(FONT* f)
{
    return Fill(f, "Orvane06x11", fnt_aucBodyOrvane06x11, 6, 11, 2);
}

int fnt_INIT_Orvane09x15(FONT* f)
{
    return Fill(f, "Orvane09x15", fnt_aucBodyOrvane09x15, 9, 15, 3);
}
