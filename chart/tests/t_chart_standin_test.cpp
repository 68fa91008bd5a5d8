// The chart panes' stand-in: the pane is filled, described around the boat
// or the cursor at the chart scale, its scales published, and the overlays
// drawn over the fill.
#include "chart/t_chart_standin.h"

#include "graphics/color.h"
#include "graphics/g_buffers.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "graphics/u_fonts.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"
#include "testing/t_root.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

namespace {

S32 s32Key(const char (&key)[5])
{
    S32 v = -1;
    H_DATABASE_bFetchS32(FCID(key), &v, nullptr, nullptr);
    return v;
}

class ChartStandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.exportEnv();
        U_CONVERT_vInitialiseConversionUtility();
        H_DATABASE_vInit();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        T_NAV_TWR_vClearTables();
        bmp = G_BUFFERS_pCreateBitmap(800, 600, nullptr, nullptr);
        H_DATABASE_bUpdateValueS32(FCID("ILON"), 1000000, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("ILAT"), 6000000, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("SNCS"), 12, P_NORMAL);
    }
    void TearDown() override { G_BUFFERS_vFreeBitmap(bmp); }

    vt::TempRoot root;
    BITMAP* bmp = nullptr;
};

TEST_F(ChartStandIn, TheChartPaneIsSeaWithTheBoatAtItsCentreAndItsScalePublished)
{
    T_CHART_vDrawChartView(bmp, nullptr);
    EXPECT_EQ(s32Key("ICPM"), 1 << 20);
    EXPECT_EQ(G_PIXEL_colorGetPhysicalPixel(bmp, 5, 5), T_CHART_STANDIN_SEA);
    EXPECT_NE(G_PIXEL_colorGetPhysicalPixel(bmp, 400, 300), T_CHART_STANDIN_SEA) << "the boat";

    // The active cursor takes the centre.
    H_DATABASE_bUpdateValueBoolean(FCID("ICAC"), TRUE, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ICLN"), 1000100, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("ICLT"), 6000050, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SNCS"), 14, P_NORMAL);
    NAV_VIEW_INFO nvi;
    T_CHART_vStandInViewInfo(bmp, nullptr, FALSE, &nvi);
    EXPECT_EQ(nvi.ptCenterMM.x, 1000100);
    EXPECT_EQ(nvi.ptCenterMM.y, 6000050);
    EXPECT_EQ(nvi.nPixelsPerMMM, 1 << 18);
    EXPECT_TRUE(nvi.bCursorActive);
}

TEST_F(ChartStandIn, ThePerspectivePanePublishesItsScale)
{
    H_DATABASE_bUpdateValueS32(FCID("SNBS"), 14, P_NORMAL);
    T_CHART_3D_vDrawVuruzave(bmp, nullptr);
    EXPECT_EQ(s32Key("IBPM"), T_CHART_nCalculateHighwayPixelsPerMMM(14));
    EXPECT_EQ(G_PIXEL_colorGetPhysicalPixel(bmp, 5, 5), T_CHART_STANDIN_SEA);
}

} // namespace
