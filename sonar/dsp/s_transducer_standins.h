// STAND-INS: what the transducer database and its views and menus ask of
// their neighbours, until those are built: the history task's draw
// callbacks and menu actions. The callbacks draw and do nothing. Delete an
// entry here when its real module lands.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/t_info_bar.h"
#include "sonar/screens/t_n_history_screens.h"
#include "ui/u_view.h"

// ---- The sonar history task: the views' draw callbacks (draw nothing yet) ----
// The 2D screens' callbacks are in sonar/screens/t_n_history_screens.h.

void T_N_HISTORY_vDrawKeelview(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawKeelviewSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawKeelviewSonarSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawVerticalScrollView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawPPIDisplay(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// ---- The sonar history task: menu actions (do nothing yet) ----

void T_N_HISTORY_vCreateFvEnhanceDialog(void);
void T_N_HISTORY_vCreateKvEnhanceDialog(void);
void T_N_HISTORY_vCreateSweepEnhanceDialog(void);
void T_N_HISTORY_vSetHeadingOffsetStartArea(void);
void T_N_HISTORY_vDeployAction(void);
void T_N_HISTORY_vRetractAction(void);
