// Questions a driver asks of the layers above it. The display driver blends
// the 3D picture only over a bird's-eye view and takes the 3D picture for a
// screen capture from the 3D chart; platform/ knows neither, so app/ installs
// the answers at start. A hook not installed gives the neutral answer: no
// bird's-eye view, and a capture without a 3D picture.
#pragma once

#include "kernel/l_types.h"

typedef struct tag_H_HOOKS {
    // TRUE when the view now shown is one of the bird's-eye views.
    BOOLEAN (*pfnbBirdsEyeViewShown)(void);
    // Fills an 800 x 600 RGB565 screen with the 3D chart's active picture.
    void (*pfnvDumpActiveDisplayBuffer)(U32* pu32Buffer);
} H_HOOKS;

// Installs a copy of the table; null entries (or a null table) give the
// neutral answers.
void H_HOOKS_vInstall(const H_HOOKS* pHooks);

BOOLEAN H_HOOKS_bBirdsEyeViewShown(void);
void H_HOOKS_vDumpActiveDisplayBuffer(U32* pu32Buffer);
