// Palette switching entry points: empty, schemes live in the colour table.
#include "graphics/u_palette.h"

void U_PALETTE_vChangePalette(COLOR_PALETTE_ID) {}

void U_PALETTE_vRegisterMenuItem(void) {}
