// Which views and panes show a chart: the chart cursor, the cursor keys,
// the navigation hot items and the painters all ask here.
//
// A view of UNKNOWN_VIEW (-3) stands for the current view ("CVEW") and a
// pane of UNKNOWN_SPLIT (-3) for the current pane ("CVAS").
#pragma once

#include "kernel/l_types.h"
#include "ui/u_view.h"

constexpr LAYER_ID UNKNOWN_VIEW = -3;

// Any pane that carries navigation: 28, 23, 25, 26 in any pane; (29, 2),
// (35, 3), (33, 3), (38, 3), (66, 2), (58, 2).
// The view and split on the screen; asked twice when the first answer is
// unknown (the view task may be between two views).
LAYER_ID T_NAV_eShownView(void);
SPLIT_WINDOW_TYPE T_NAV_eShownSplit(void);

BOOLEAN T_NAV_bIsMyView(LAYER_ID view, SPLIT_WINDOW_TYPE split);
// A view holding a flat chart: 28, 35, 33, 38, 25, 26, 29, 66; 58 only
// while its left pane is the current one.
BOOLEAN T_NAV_bIsMyChartView(LAYER_ID view);
// Panes where the chart cursor moves: 28; 26 in any pane; (35, 3), (38, 3),
// (33, 3), (25, 3), (29, 2), (66, 2), (58, 2).
BOOLEAN T_NAV_bIsMyChartCursorView(LAYER_ID view, SPLIT_WINDOW_TYPE split);
// The main chart pane of a view: 28; (35, 3), (33, 3), (38, 3), (25, 3),
// (26, 3), (29, 2), (66, 2).
BOOLEAN T_NAV_bIsMyChartMainView(LAYER_ID view, SPLIT_WINDOW_TYPE split);
// Views with the perspective chart: 23, 25.
BOOLEAN T_NAV_bIsMyBirdsEyeView(LAYER_ID view);
// Panes with the perspective chart: 23; (25, 2).
BOOLEAN T_NAV_bIsMyBirdsEyeCursorView(LAYER_ID view, SPLIT_WINDOW_TYPE split);
// Views of two charts side by side: 26, 58.
BOOLEAN T_NAV_bIsMyChartPlusChartView(LAYER_ID view);
// Their left panes: (26, 2), (58, 2).
BOOLEAN T_NAV_bIsMyChartPlusChartLeftView(LAYER_ID view, SPLIT_WINDOW_TYPE split);
