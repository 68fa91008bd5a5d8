// Pictures the menu controls draw: the radio buttons of a checked item.
// 4-bit indices into the icon section of the colour table (80..95).
#pragma once

#include "graphics/g_icon.h"

extern const ICON unselected_radio_button; // 22 x 22, the empty button
extern const ICON selected_radio_button;   // 22 x 22, the button with its dot
