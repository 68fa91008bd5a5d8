// STAND-INS of the zoom windows around the sonar cursor, until those land:
// the Flankview-pane test and the two zoom-window updates. Replace each
// with the real one when it exists; nothing else depends on them.
#pragma once

#include "kernel/l_types.h"
#include "sonar/history/t_n_history_state.h"
#include "ui/u_view.h"

namespace imaging_frame_standin {

// The active pane shows Flankview: view 47, the left pane of 38, the right
// pane of 40, 42 and 52.
inline BOOLEAN bIsSideImageView(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit)
{
    using namespace t_n_history;
    if (view == VIEW_SIDEVIEW)
        return TRUE;
    if (view == VIEW_CHART_PLUS_FLANKVIEW)
        return eSplit == SPLIT_LEFT_WINDOW ? TRUE : FALSE;
    if (view == VIEW_KEELVIEW_PLUS_FLANKVIEW || view == VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D ||
        view == VIEW_FLANKVIEW_PLUS_2D)
        return eSplit == SPLIT_RIGHT_WINDOW ? TRUE : FALSE;
    return FALSE;
}

// Without the zoom windows there is nothing to bring up to date.
inline BOOLEAN bUpdateFvZoomWindow(WINDOW_SPECIFICATION*) { return t_n_history::FvZoomWin.bActive; }
inline BOOLEAN bUpdateKvZoomWindow(WINDOW_SPECIFICATION*) { return t_n_history::KvZoomWin.bActive; }

} // namespace imaging_frame_standin
