// Bodies of the built-in chart bitmap fonts (generated data).
#pragma once

#include "chart_sdk/graphics/gr_types.h"

extern const UCHAR fnt_aucBodyOrvane06x09[1188];
extern const UCHAR fnt_aucBodyOrvane06x11[3176];
extern const UCHAR fnt_aucBodyOrvane09x15[6577];
