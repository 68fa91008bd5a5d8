// The view task's pictures: the marks of the active pane of a split view
// and the icons of the pane menus. 4-bit indices into the icon section of
// the colour table (80..95), index 15 transparent.
#pragma once

#include "graphics/g_icon.h"

extern const ICON active_side_lt_icon; // 18 x 18, at the right edge of an active left pane
extern const ICON active_side_rt_icon; // 18 x 18, at the left edge of an active right pane
extern const ICON select_active_side;  // 20 x 20, the "Active Side" menu item
extern const ICON adjust_screen_size;  // 20 x 20, the "Split Position" menu item
