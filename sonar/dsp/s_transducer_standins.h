// STAND-INS: what the transducer database and its views and menus ask of
// their neighbours, until those are built: the history task's draw
// callbacks and menu actions. The callbacks draw and do nothing. Delete an
// entry here when its real module lands.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "sonar/history/t_n_history_ppi.h" // T_N_HISTORY_vDrawPPIDisplay, built
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/t_info_bar.h"
#include "ui/u_view.h"

// The imaging screens and their enhance dialogs are built.
#include "sonar/screens/t_n_history_imaging.h"

// ---- The sonar history task: the views' draw callbacks (draw nothing yet) ----

// The full-screen 2D view draws window 0 (sonar/history/t_n_history_2d.cpp).
void T_N_HISTORY_vDrawFullScreenSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

void T_N_HISTORY_vDrawZoomSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawDownAndSidebeamView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawDualBeamView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawSonarSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// ---- The sonar history task: menu actions (do nothing yet) ----

void T_N_HISTORY_vSetHeadingOffsetStartArea(void);
void T_N_HISTORY_vDeployAction(void);
void T_N_HISTORY_vRetractAction(void);
