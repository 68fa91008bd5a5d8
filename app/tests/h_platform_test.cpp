// Platform set-up: the icon palette, the chart fonts and palette it
// installs and the card slots it leaves empty.
#include "app/h_platform.h"
#include "platform/dd_sd.h"
#include "platform/tests/platform_root.h"

#include "chart_sdk/graphics/gr_context.h"
#include "graphics/color.h"
#include "graphics/g_buffers.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

namespace platform_test {
namespace {

TEST(PlatformSetup, InstallsChartFontsAndPaletteAndEmptiesTheSlots)
{
    unitRoot();
    H_DATABASE_vInit();
    H_PLATFORM_vSetup();
    for (FONTINDEX f = 0; f < 3; ++f)
        ASSERT_NE(FontsRack[f], nullptr) << f;
    EXPECT_NE(FontsRack[0], FontsRack[1]);
    EXPECT_NE(FontsRack[1], FontsRack[2]);
    EXPECT_EQ(gr_GetFontHeight(0), 9);
    EXPECT_EQ(gr_GetFontHeight(1), 11);
    EXPECT_EQ(gr_GetFontHeight(2), 15);
    EXPECT_EQ(gl_pucPalette, &gCOLOR_pcolColorTable[148]);
    EXPECT_EQ(DD_SD_eReadCardType(0), NO_CARD_PRESENT);
    EXPECT_EQ(DD_SD_eReadCardType(1), NO_CARD_PRESENT);

    // Icon colour index i is colour-table entry 80 + i, read when drawn.
    gCOLOR_pcolColorTable[83] = 0x1234;
    BITMAP* bmp = G_BUFFERS_pCreateBitmap(4, 4, nullptr, nullptr);
    const U8 nibbles[] = {0x30};
    const ICON icon{nibbles, nullptr, 1, 1, ICON_UNPADDED_BUFFERS};
    const POINT at{1, 1};
    G_ICON_vPut(bmp, &icon, &at);
    EXPECT_EQ(*G_PIXEL_pcolLogical(bmp, 1, 1), 0x1234);
    G_BUFFERS_vFreeBitmap(bmp);
}

} // namespace
} // namespace platform_test
