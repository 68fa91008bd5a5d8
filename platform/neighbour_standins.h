// What the display driver asks of the view, navigation and 3D chart tasks,
// stood in until those subsystems are built; each does what the real one
// does, from the same data, so that nothing changes for the driver when the
// real one replaces it (and this file goes).
#pragma once

#include "kernel/l_types.h"

// View ids (layer ids of the background views) the driver cares about.
constexpr S32 NO_VIEW_PRIORITY = -2;
constexpr S32 CURRENT_VIEW = -3; // "the view now shown", for the view queries
constexpr S32 BIRDS_EYE_VIEW_PRIORITY = 23;
constexpr S32 CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY = 25;

// The current background view: the value of "CVEW", or NO_VIEW_PRIORITY
// when it cannot be fetched.
S32 U_VIEW_eCurrentView(void);
// TRUE when the view (CURRENT_VIEW: the current one) is one of the two
// bird's-eye views.
BOOLEAN T_NAV_bIsMyBirdsEyeView(S32 eView);
// Reads the first 960,000 bytes of /dev/fb0 (page 0) into the buffer;
// nothing when the device cannot be opened.
void T_CHART_3D_vDumpActiveDisplayBuffer(U32* pu32Buffer);
