// Which views and panes count as chart panes, given outright or as the
// current view and pane.

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_views.h"
#include "nav/tests/nav_core_world.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace navw;

using NavViews = NavCore;

// Every test over every view that has a chart and a few that have none,
// in each pane: the letters of the tests that answer TRUE.
//   m IsMyView, c IsMyChartCursorView, n IsMyChartMainView,
//   b IsMyBirdsEyeCursorView, l IsMyChartPlusChartLeftView
std::string panes(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    std::string out;
    out += T_NAV_bIsMyView(view, split) ? "m" : "";
    out += T_NAV_bIsMyChartCursorView(view, split) ? "c" : "";
    out += T_NAV_bIsMyChartMainView(view, split) ? "n" : "";
    out += T_NAV_bIsMyBirdsEyeCursorView(view, split) ? "b" : "";
    out += T_NAV_bIsMyChartPlusChartLeftView(view, split) ? "l" : "";
    return out;
}

TEST_F(NavViews, PaneTestsAnswerForEachPaneOfEachView)
{
    struct Case {
        LAYER_ID view;
        const char* full; // pane 1
        const char* left; // pane 2
        const char* right; // pane 3
    };
    const Case cases[] = {
        {28, "mcn", "mcn", "mcn"},  // the chart fills the view
        {23, "mb", "mb", "mb"},     // the perspective chart
        {25, "m", "mb", "mcn"},     // perspective left, chart right
        {26, "mc", "mcl", "mcn"},   // two charts
        {29, "", "mcn", ""},        // chart left of the pilot book
        {35, "", "", "mcn"},        // sonar left of the chart
        {33, "", "", "mcn"},
        {38, "", "", "mcn"},
        {66, "", "mcn", ""},        // chart left of the radar
        {58, "", "mcl", ""},        // chart left of the 360 picture
        {1, "", "", ""},            // a sonar view
        {NO_VIEW_PRIORITY, "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(panes(c.view, SPLIT_FULL_WINDOW), c.full) << c.view;
        EXPECT_EQ(panes(c.view, SPLIT_LEFT_WINDOW), c.left) << c.view;
        EXPECT_EQ(panes(c.view, SPLIT_RIGHT_WINDOW), c.right) << c.view;
    }
}

TEST_F(NavViews, ViewTestsAndTheCurrentViewAndPane)
{
    struct Case {
        LAYER_ID view;
        bool chart, birdsEye, chartPlusChart;
    };
    const Case cases[] = {
        {28, true, false, false}, {35, true, false, false}, {33, true, false, false}, {38, true, false, false},
        {25, true, true, false},  {26, true, false, true},  {29, true, false, false}, {66, true, false, false},
        {23, false, true, false}, {1, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(T_NAV_bIsMyChartView(c.view) != FALSE, c.chart) << c.view;
        EXPECT_EQ(T_NAV_bIsMyBirdsEyeView(c.view) != FALSE, c.birdsEye) << c.view;
        EXPECT_EQ(T_NAV_bIsMyChartPlusChartView(c.view) != FALSE, c.chartPlusChart) << c.view;
    }

    // The chart-plus-360 view is a chart view only while its chart pane,
    // the left one, is the current pane.
    setS("CVAS", SPLIT_LEFT_WINDOW);
    EXPECT_TRUE(T_NAV_bIsMyChartView(SONAR_PPI_PLUS_CHART_VIEW_PRIORITY));
    setS("CVAS", SPLIT_RIGHT_WINDOW);
    EXPECT_FALSE(T_NAV_bIsMyChartView(SONAR_PPI_PLUS_CHART_VIEW_PRIORITY));
    EXPECT_TRUE(T_NAV_bIsMyChartPlusChartView(SONAR_PPI_PLUS_CHART_VIEW_PRIORITY));

    // -3 stands for the current view and pane.
    setS("CVEW", CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY);
    setS("CVAS", SPLIT_LEFT_WINDOW);
    EXPECT_EQ(panes(UNKNOWN_VIEW, UNKNOWN_SPLIT), "mb");
    EXPECT_EQ(panes(UNKNOWN_VIEW, SPLIT_RIGHT_WINDOW), "mcn");
    EXPECT_EQ(panes(CHART_PLUS_CHART_VIEW_PRIORITY, UNKNOWN_SPLIT), "mcl");
    EXPECT_TRUE(T_NAV_bIsMyBirdsEyeView(UNKNOWN_VIEW));
    setS("CVEW", SONAR_PPI_PLUS_CHART_VIEW_PRIORITY);
    EXPECT_TRUE(T_NAV_bIsMyChartView(UNKNOWN_VIEW));
}

} // namespace
