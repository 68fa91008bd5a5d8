// The pictures of the Flankview and Keelview screens: indexed icons, 4-bit
// indices into the icon section of the colour table, index 15 clear.
#pragma once

#include "graphics/g_icon.h"

extern const ICON BoatLarge_icon; // 26 x 38, the boat over the Flankview waterfall
extern const ICON FVKV_icon;      // 34 x 34, the 360 unit serves the imaging screens
