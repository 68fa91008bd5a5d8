// Palette switching entry points. Colour schemes change by rewriting
// sections of the colour table (color.h); these two calls do nothing.
#pragma once

#include "kernel/l_types.h"

typedef U32 COLOR_PALETTE_ID;

void U_PALETTE_vChangePalette(COLOR_PALETTE_ID palette);
void U_PALETTE_vRegisterMenuItem(void);
