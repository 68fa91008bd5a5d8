// The three built-in chart bitmap fonts: cells of 6 x 9 (digits, signs and
// a degree ring at code 127 only), 6 x 11 and 9 x 15 pixels. Start-up fills
// a static FONT record for each and puts it in font-rack slots 0, 1 and 2.
#pragma once

#include "chart_sdk/graphics/gr_text.h"

// Each returns 0, or 1 when f is null.
int fnt_INIT_Orvane06x09(FONT* f);
int fnt_INIT_Orvane06x11(FONT* f);
int fnt_INIT_Orvane09x15(FONT* f);
