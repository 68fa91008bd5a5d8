// Snapping of the display range of a map.
#include "chart_sdk/geodesy/ctk2rang.h"

#include <gtest/gtest.h>

namespace {

TEST(Ctk2rang, SnapsToTheChartRanges)
{
    const struct {
        double r, snapped;
    } cases[] = {
        {0.03, 1.0 / 32}, {0.046, 1.0 / 32}, {0.05, 1.0 / 16}, {0.1, 1.0 / 8}, {0.3, 0.25},
        {0.55, 0.5},      {0.6, 1.0},        {1.05, 1.0},      {2.4, 2.0},    {2.5, 3.0},
        {0.0, 0.0},       {12.49, 12.0},
    };
    for (const auto& c : cases) {
        MAPCONTEXT2 ctx = {};
        ctx.sHeader.iMapId = 3;
        ctx.sView.fRange = c.r;
        double range = -1.0;
        EXPECT_EQ(ctk2r_GetViewRange(&ctx, &range), NV_OK);
        EXPECT_EQ(range, c.snapped) << c.r;
    }
}

TEST(Ctk2rang, NoMapGivesTheErrorAndLeavesTheRange)
{
    MAPCONTEXT2 ctx = {};
    ctx.sHeader.iMapId = -1;
    ctx.sView.fRange = 2.0;
    double range = 7.0;
    EXPECT_EQ(ctk2r_GetViewRange(&ctx, &range), CTK2R_ERR_NO_MAP);
    EXPECT_EQ(range, 7.0);
}

} // namespace
