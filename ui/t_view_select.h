// Selecting the background view ("CVEW") from another task: by id without
// a check, by id among the selectable views, and by name. A selectable view
// is a background view shown in the "Views" tab; the next view in order is
// T_VIEW_vSetNextBackgroundLayer (ui/t_view.h).
#pragma once

#include "ui/u_view.h"

// "CVEW" := layer, unchecked; the frame in progress is dropped.
void T_VIEW_vSetBackgroundLayer(LAYER_ID layer);
// "CVEW" := layer when it is a selectable view, else NO_VIEW_PRIORITY.
void T_VIEW_vSetSpcifiedBackgroundLayer(LAYER_ID layer);
// The view whose name in the current language, upper-cased, is name (which
// the caller upper-cases), or -3 when no view has it. A view of that name
// that is hidden is made visible, so that it can be selected; the caller
// writes "CVEW" itself. Overlays with a display key are searched too.
LAYER_ID T_VIEW_GetSelectableView(const char* name);
