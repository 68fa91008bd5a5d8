#include "nav/core/t_nav_views.h"

#include "nav/core/t_nav.h"

namespace {

LAYER_ID view(LAYER_ID v) { return v == UNKNOWN_VIEW ? U_VIEW_eCurrentView() : v; }

SPLIT_WINDOW_TYPE pane(SPLIT_WINDOW_TYPE s) { return s == UNKNOWN_SPLIT ? U_VIEW_eCurrentSplit() : s; }

BOOLEAN b(bool v) { return v ? TRUE : FALSE; }

} // namespace

BOOLEAN T_NAV_bIsMyView(LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    v = view(v);
    switch (v) {
    case CHART_VIEW_PRIORITY:
    case BIRDS_EYE_VIEW_PRIORITY:
    case CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY:
    case CHART_PLUS_CHART_VIEW_PRIORITY:
        return TRUE;
    case CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY:
    case RADAR_PLUS_CHART_VIEW_PRIORITY:
    case SONAR_PPI_PLUS_CHART_VIEW_PRIORITY:
        return b(pane(s) == SPLIT_LEFT_WINDOW);
    case CHART_PLUS_2D_VIEW_PRIORITY:
    case CHART_PLUS_KEELVIEW_VIEW_PRIORITY:
    case CHART_PLUS_FLANKVIEW_VIEW_PRIORITY:
        return b(pane(s) == SPLIT_RIGHT_WINDOW);
    default:
        return FALSE;
    }
}

BOOLEAN T_NAV_bIsMyChartView(LAYER_ID v)
{
    switch (view(v)) {
    case CHART_VIEW_PRIORITY:
    case CHART_PLUS_2D_VIEW_PRIORITY:
    case CHART_PLUS_KEELVIEW_VIEW_PRIORITY:
    case CHART_PLUS_FLANKVIEW_VIEW_PRIORITY:
    case CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY:
    case CHART_PLUS_CHART_VIEW_PRIORITY:
    case CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY:
    case RADAR_PLUS_CHART_VIEW_PRIORITY:
        return TRUE;
    case SONAR_PPI_PLUS_CHART_VIEW_PRIORITY:
        // The 360 picture fills the right pane; only the left one is a chart.
        return b(U_VIEW_eCurrentSplit() == SPLIT_LEFT_WINDOW);
    default:
        return FALSE;
    }
}

BOOLEAN T_NAV_bIsMyChartCursorView(LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    v = view(v);
    switch (v) {
    case CHART_VIEW_PRIORITY:
    case CHART_PLUS_CHART_VIEW_PRIORITY:
        return TRUE;
    case CHART_PLUS_2D_VIEW_PRIORITY:
    case CHART_PLUS_FLANKVIEW_VIEW_PRIORITY:
    case CHART_PLUS_KEELVIEW_VIEW_PRIORITY:
    case CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY:
        return b(pane(s) == SPLIT_RIGHT_WINDOW);
    case CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY:
    case RADAR_PLUS_CHART_VIEW_PRIORITY:
    case SONAR_PPI_PLUS_CHART_VIEW_PRIORITY:
        return b(pane(s) == SPLIT_LEFT_WINDOW);
    default:
        return FALSE;
    }
}

BOOLEAN T_NAV_bIsMyChartMainView(LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    v = view(v);
    switch (v) {
    case CHART_VIEW_PRIORITY:
        return TRUE;
    case CHART_PLUS_2D_VIEW_PRIORITY:
    case CHART_PLUS_KEELVIEW_VIEW_PRIORITY:
    case CHART_PLUS_FLANKVIEW_VIEW_PRIORITY:
    case CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY:
    case CHART_PLUS_CHART_VIEW_PRIORITY:
        return b(pane(s) == SPLIT_RIGHT_WINDOW);
    case CHART_PLUS_PILOT_BOOK_VIEW_PRIORITY:
    case RADAR_PLUS_CHART_VIEW_PRIORITY:
        return b(pane(s) == SPLIT_LEFT_WINDOW);
    default:
        return FALSE;
    }
}

BOOLEAN T_NAV_bIsMyBirdsEyeView(LAYER_ID v)
{
    v = view(v);
    return b(v == BIRDS_EYE_VIEW_PRIORITY || v == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY);
}

BOOLEAN T_NAV_bIsMyBirdsEyeCursorView(LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    v = view(v);
    if (v == BIRDS_EYE_VIEW_PRIORITY)
        return TRUE;
    return b(v == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY && pane(s) == SPLIT_LEFT_WINDOW);
}

BOOLEAN T_NAV_bIsMyChartPlusChartView(LAYER_ID v)
{
    v = view(v);
    return b(v == CHART_PLUS_CHART_VIEW_PRIORITY || v == SONAR_PPI_PLUS_CHART_VIEW_PRIORITY);
}

BOOLEAN T_NAV_bIsMyChartPlusChartLeftView(LAYER_ID v, SPLIT_WINDOW_TYPE s)
{
    return b(T_NAV_bIsMyChartPlusChartView(v) && pane(s) == SPLIT_LEFT_WINDOW);
}

LAYER_ID T_NAV_eShownView(void)
{
    LAYER_ID view = U_VIEW_eCurrentView();
    if (view == UNKNOWN_VIEW)
        view = U_VIEW_eCurrentView();
    return view;
}

SPLIT_WINDOW_TYPE T_NAV_eShownSplit(void)
{
    SPLIT_WINDOW_TYPE split = U_VIEW_eCurrentSplit();
    if (split == UNKNOWN_SPLIT)
        split = U_VIEW_eCurrentSplit();
    return split;
}
