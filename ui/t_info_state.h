// What the info task's formatting and drawing share with the task itself.
#pragma once

#include "ui/t_info.h"

namespace t_info {

// The installed hooks (all null until installed).
const T_INFO_NEIGHBOURS& neighbours(void);
// The transparency last chosen with T_INFO_vSetAlpha.
U8 alpha(void);
// The propeller animation frame, 0..2.
U32 propFrame(void);
// The bar's two sets of five readout selections (navigation, standard).
const FOURCHARID* selectionNavigation(void);
const FOURCHARID* selectionStandard(void);
// The task's copy of "CVEW"; the setter is for the task and its tests.
S32 currentView(void);
void setCurrentView(S32 view);

// The bar's navigation strip, after its cells: whether cell 0 or 1, and
// whether any cell, was drawn.
void drawNavigationStrip(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, BOOLEAN bLeftCellsDrawn,
                         BOOLEAN bAnyCellDrawn, U32 nLang);

} // namespace t_info
