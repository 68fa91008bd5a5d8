// Graphics context state: initial fields, the clip area, setters that refuse
// or report, colours and the four pixel modes.
#include "chart_sdk/graphics/tests/gr_fixture.h"

#include "chart_sdk/graphics/gr_line.h"
#include "chart_sdk/graphics/gr_text.h"

#include <cstring>

using grt::Canvas;

TEST(GrContext, InitLeavesNoFieldUndefined)
{
    GR_CONTEXT gc;
    // Fill with garbage first: every field must be written by the init.
    std::memset(&gc, 0xA5, sizeof gc);
    std::vector<U32> buf(3 * 7);
    EXPECT_EQ(gr_InitGC(&gc, PIXELDIM{5, 7}, reinterpret_cast<VSCREENPTR>(buf.data())), GR_OK);
    EXPECT_EQ(gc.npix, 2);
    EXPECT_EQ(gc.scrdim.rowsize, 3);
    EXPECT_EQ(gc.scrdim.nrows, 7);
    EXPECT_EQ(gc.nbytes, 3u * 7u * 4u);
    EXPECT_EQ(gc.cliporig.px, 0);
    EXPECT_EQ(gc.cliporig.py, 0);
    EXPECT_EQ(gc.cliplim.px, 4);
    EXPECT_EQ(gc.cliplim.py, 6);
    EXPECT_EQ(gc.colour, 0xFFFFu);
    EXPECT_EQ(gc.mode, GR_MODE_REPLACE);
    EXPECT_EQ(gc.PixelSize, 1);
    EXPECT_EQ(gc.DrTool, STD_PEN);
    EXPECT_EQ(gc.PrintDir, 0);
    EXPECT_EQ(gc.transpflag, 0);
    EXPECT_EQ(gc.fntattrib.Fptr, nullptr);
    EXPECT_EQ(gc.fntattrib.zx, 1);
    EXPECT_EQ(gc.fntattrib.zy, 1);
    EXPECT_EQ(gc.ptrnattrib.status, FALSE);
    EXPECT_EQ(gc.ptrnattrib.ptr, nullptr);
    EXPECT_EQ(gc.ptrnattrib.curbyte, 0);
    EXPECT_EQ(gc.ptrnattrib.curbit, 0);
    EXPECT_EQ(gc.ptrnattrib.zx, 1);
    EXPECT_EQ(gc.bmpattrib.ptr, nullptr);
    EXPECT_EQ(gc.bmpattrib.bmpdir, 0);
    EXPECT_EQ(gc.bmpattrib.zx, 1);
    EXPECT_EQ(gc.bmpattrib.zy, 1);
    PIXELPOS p;
    gr_GetLogicPosition(&gc, &p);
    EXPECT_EQ(p.px, 0);
    EXPECT_EQ(p.py, 6);
}

TEST(GrContext, ClipAreaCases)
{
    struct Case {
        SINT x, y, w, h;
        SINT c0, r0, c1, r1;
        ERRORCODE result;
    };
    const Case cases[] = {
        {0, 0, 100, 100, 0, 0, 99, 99, GR_OK},
        {-10, 0, 50, 10, 0, 90, 39, 99, GR_OUT_OF_CLIP},
        {10, 10, -5, 5, 4, 85, 10, 89, GR_OK},
        {20, 30, 10, 5, 20, 65, 29, 69, GR_OK},
        {90, 95, 20, 10, 90, 0, 99, 4, GR_OUT_OF_CLIP},
        {10, 10, 5, -3, 10, 89, 14, 93, GR_OK},
    };
    for (const Case& c : cases) {
        Canvas cv;
        EXPECT_EQ(gr_SetClipArea(&cv.gc, c.x, c.y, c.w, c.h), c.result) << c.x << "," << c.y;
        EXPECT_EQ(cv.gc.cliporig.px, c.c0) << c.x << "," << c.y;
        EXPECT_EQ(cv.gc.cliporig.py, c.r0) << c.x << "," << c.y;
        EXPECT_EQ(cv.gc.cliplim.px, c.c1) << c.x << "," << c.y;
        EXPECT_EQ(cv.gc.cliplim.py, c.r1) << c.x << "," << c.y;
    }
}

TEST(GrContext, ClipWhollyOutsideTheBufferDrawsNothing)
{
    Canvas cv;
    EXPECT_EQ(gr_SetClipArea(&cv.gc, 150, 10, 20, 20), GR_OUT_OF_CLIP);
    EXPECT_GT(cv.gc.cliporig.px, cv.gc.cliplim.px);
    gr_SetAbsPenPos(&cv.gc, 0, 50);
    EXPECT_EQ(gr_DrawAbsLine(&cv.gc, 99, 50), GR_OUT_OF_CLIP);
    EXPECT_EQ(gr_DrawRectangle(&cv.gc, 0, 0, 100, 100), GR_OUT_OF_CLIP);
    EXPECT_EQ(gr_SmartDrawLine(&cv.gc, 1, 0, 0, 99, 99), GR_OUT_OF_CLIP);
    EXPECT_TRUE(cv.changed().empty());
}

TEST(GrContext, SettersThatRefuseOrReport)
{
    Canvas cv;
    GR_CONTEXT& gc = cv.gc;
    gr_SetDrawingTool(&gc, BRUSH);
    EXPECT_EQ(gr_SetGMode(&gc, GR_MODE_XOR), GR_XOR_WITH_BRUSH);
    EXPECT_EQ(gc.mode, GR_MODE_XOR);
    gr_SetDrawingTool(&gc, STD_PEN);
    EXPECT_EQ(gr_SetDrawingTool(&gc, BRUSH), GR_BRUSH_WITH_XOR);
    EXPECT_EQ(gc.DrTool, BRUSH);

    static FONT font{};
    gr_AddFont(&font, 5);
    ASSERT_EQ(gr_SetFontType(&gc, 5), GR_OK);
    EXPECT_EQ(gr_SetFontType(&gc, 70), GR_BAD_FONT_INDEX);
    EXPECT_EQ(gc.fntattrib.Ftyp, 5);
    EXPECT_EQ(gc.fntattrib.Fptr, &font);
    EXPECT_EQ(gr_AddFont(&font, 70), GR_BAD_FONT_INDEX);
    gr_AddFont(nullptr, 5);

    EXPECT_EQ(gr_SetPixelSize(&gc, 0), GR_BAD_PIXEL_SIZE);
    EXPECT_EQ(gr_SetPixelSize(&gc, -3), GR_BAD_PIXEL_SIZE);
    EXPECT_EQ(gc.PixelSize, 1);
    EXPECT_EQ(gr_SetPrintingDirection(&gc, 359), GR_OK);
    EXPECT_EQ(gr_SetPrintingDirection(&gc, 360), GR_BAD_DIRECTION);
    EXPECT_EQ(gc.PrintDir, 359);

    EXPECT_EQ(gr_InitPattern(nullptr, 50, PIXELDIM{8, 1}, 1), GR_BAD_TABLE_SLOT);
    EXPECT_EQ(gr_InitBitmap(&gc, nullptr, 100, PIXELDIM{2, 2}, 2), GR_BAD_TABLE_SLOT);
}

TEST(GrContext, ColourIsDirectOrFromThePalette)
{
    static const U16 palette[4] = {0x0001, 0x0022, 0x0333, 0xF81F};
    Canvas cv;
    gr_SetColorPalette(palette);
    gr_SetColor(&cv.gc, 0x8000F800u);
    EXPECT_EQ(gr_GetColor(&cv.gc), 0xF800u);
    gr_SetColor(&cv.gc, 3);
    EXPECT_EQ(gr_GetColor(&cv.gc), 0xF81Fu);
    gr_SetColorPalette(nullptr);
    gr_SetColor(&cv.gc, 3);
    EXPECT_EQ(gr_GetColor(&cv.gc), 0u);
}

TEST(GrContext, PixelModes)
{
    struct Case {
        UCHAR mode;
        U16 old;
        U16 colour;
        U16 expect;
    };
    const Case cases[] = {
        {GR_MODE_REPLACE, 0x1234, 0xF800, 0xF800},
        {GR_MODE_AND, 0xFFFF, 0xF800, 0xF800},
        {GR_MODE_AND, 0x1234, 0xF800, 0x1000},
        {GR_MODE_OR, 0x1234, 0x0F00, 0x1F34},
        {GR_MODE_XOR, 0x1234, 0xFFFF, 0xEDCB},
        {4, 0x1234, 0xFFFF, 0x1234},
        {25, 0x1234, 0xFFFF, 0x1234},
    };
    for (const Case& c : cases) {
        for (int x = 10; x <= 11; ++x) { // both half-words
            Canvas cv(20, 4, 0x5A5A);
            *gf_PixelWord(&cv.gc, x, 2) = 0x5A5A5A5Au;
            const U32 shift = (x & 1) ? 16 : 0;
            U32* w = gf_PixelWord(&cv.gc, x, 2);
            *w = (*w & ~(0xFFFFu << shift)) | (static_cast<U32>(c.old) << shift);
            gr_SetGMode(&cv.gc, c.mode);
            gr_SetColor(&cv.gc, GR_DIRECT_COLOUR | c.colour);
            gr_SetPixel(&cv.gc, x, 1);
            EXPECT_EQ(cv.at(x, 2), c.expect) << "mode " << int(c.mode) << " x " << x;
            EXPECT_EQ(cv.at(x ^ 1, 2), 0x5A5A) << "neighbour, mode " << int(c.mode);
        }
    }
}

TEST(GrContext, UnknownModeLeavesEveryOperationUntouched)
{
    Canvas cv;
    gr_SetGMode(&cv.gc, 4);
    gr_SetPixel(&cv.gc, 5, 5);
    gr_SetAbsPenPos(&cv.gc, 0, 0);
    gr_DrawAbsLine(&cv.gc, 80, 60);
    gr_DrawRectangle(&cv.gc, 10, 10, 30, 30);
    gr_SmartDrawLine(&cv.gc, 1, 0, 90, 90, 3);
    gf_HorLine(&cv.gc, 0, 50, 100);
    EXPECT_TRUE(cv.changed().empty());
}

TEST(GrContext, PatternSettersResetThePosition)
{
    static const UCHAR lines[4] = {0x0F, 0x33, 0x55, 0xAA};
    Canvas cv;
    GR_CONTEXT& gc = cv.gc;
    gr_InitPattern(lines, 7, PIXELDIM{8, 1}, 1);
    gr_SetPatternType(&gc, 7);
    EXPECT_EQ(gc.ptrnattrib.ptr, lines);
    gr_SetPatternIndex(&gc, 2);
    EXPECT_EQ(gc.ptrnattrib.ptr, lines + 2);
    gr_SetPatternStatus(&gc, TRUE);
    gr_SetPatternZoom(&gc, 3, 2);
    gf_CheckPattern(&gc);
    gf_CheckPattern(&gc);
    EXPECT_EQ(gc.ptrnattrib.zxcounter, 2);
    gr_SetPatternZoom(&gc, 3, 2);
    EXPECT_EQ(gc.ptrnattrib.zxcounter, 0);
    gr_SetPatternStatus(&gc, TRUE);
    EXPECT_EQ(gc.ptrnattrib.zx, 3); // zoom kept
    gr_SetPatternIndex(&gc, 1);
    EXPECT_EQ(gc.ptrnattrib.zx, 1);
}
