// The pictures of the sonar menus' items: 16 x 16 indexed icons, 4-bit
// indices into the icon section of the colour table (80..95), index 15
// transparent. The sonar tab uses SonarTab_icon of ui/power_key_icons.h.
#pragma once

#include "graphics/g_icon.h"

extern const ICON CSpd_icon;              // chart speed
extern const ICON Sens_icon;              // sensitivity
extern const ICON Bottomlock_icon;        // bottom lock, jigging
extern const ICON UpDepthRange_icon;      // upper and imaging ranges
extern const ICON LDepRange_icon;         // lower range
extern const ICON Off_icon;               // fish alarm off
extern const ICON LRMSfish_icon;          // fish alarm: every size
extern const ICON LRMfish_icon;           // fish alarm: large and medium
extern const ICON LRfish_icon;            // fish alarm: large
extern const ICON quad_layout_icon;       // quad-beam layout
extern const ICON side_view;              // side-looking beams
extern const ICON sonarcolorpalette_icon; // imaging colours
extern const ICON n360Speed_icon;         // sweep speed
extern const ICON Display_icon;           // display sector
extern const ICON Enhance_icon;           // the enhance dialogs
