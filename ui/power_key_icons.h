// The pictures of the power-key pop-up's rows: 4-bit indices into the icon
// section of the colour table (80..95), index 15 transparent.
#pragma once

#include "graphics/g_icon.h"

extern const ICON prop_menu; // 22 x 22
extern const ICON PropSpeed_icon; // 22 x 22
extern const ICON Quenby_Stow_menu; // 22 x 22
extern const ICON Quenby_Deploy_menu; // 22 x 22
extern const ICON Quenby_Pause_menu; // 22 x 22
extern const ICON SonarTab_icon; // 20 x 20
extern const ICON Light_icon; // 22 x 24
extern const ICON BackgroundColor_icon; // 22 x 24
extern const ICON Home_360_icon; // 22 x 22
