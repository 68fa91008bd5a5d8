// The fish symbols: run-length coded 16-colour icons (indices into the
// icon section of the colour table, index 15 transparent), by beam and
// size (0 small, 1 medium, 2 large).
//
// Beam 0 (low frequency) has orange fish, beam 1 (200 kHz) grey ones, the
// side-looking beams 2 and 3 blue fish facing left and right. The vertical
// symbols of beams 2 and 3 stand upright, head up; beams 0 and 1 use their
// horizontal symbols there too.
#pragma once

#include "graphics/g_icon.h"
#include "sonar/dsp/s_fishid.h"

extern const ICON SmfishClr_icon; // 32 x 18
extern const ICON MedfishClr_icon; // 42 x 20
extern const ICON LrgfishClr_icon; // 44 x 23
extern const ICON Smfish_icon;     // 32 x 18
extern const ICON Medfish_icon;    // 42 x 20
extern const ICON Lrgfish_icon;    // 44 x 23
extern const ICON fish_scl_icon;   // 22 x 14, facing left
extern const ICON fish_mcl_icon;   // 28 x 16
extern const ICON fish_lcl_icon;   // 32 x 18
extern const ICON fish_scr_icon;   // 22 x 14, facing right
extern const ICON fish_mcr_icon;   // 28 x 16
extern const ICON fish_lcr_icon;   // 32 x 18
extern const ICON VertFishS_icon;  // 16 x 32
extern const ICON VertFishM_icon;  // 20 x 40
extern const ICON VertFishL_icon;  // 24 x 52

// [beam][size]
extern const ICON FishIconsHorizontal[FISH_ICON_BEAMS][FISH_ICON_SIZES];
extern const ICON FishIconsVertical[FISH_ICON_BEAMS][FISH_ICON_SIZES];
