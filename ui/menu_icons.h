// Pictures the menu controls and layers draw: the radio buttons of a
// checked item, the confirmation mark and the heading arrows.
// 4-bit indices into the icon section of the colour table (80..95).
#pragma once

#include "graphics/g_icon.h"

extern const ICON unselected_radio_button; // 22 x 22, the empty button
extern const ICON selected_radio_button;   // 22 x 22, the button with its dot
extern const ICON confirm_icon;            // 18 x 18, a tick on a disc
extern const ICON Radar_hdg_left_icon;     // 8 x 14, either side of an angle adjuster's title
extern const ICON Radar_hdg_right_icon;    // 8 x 14
