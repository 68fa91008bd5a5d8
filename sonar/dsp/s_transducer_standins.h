// STAND-INS: what the transducer database and its views and menus ask of
// their neighbours, until those are built: the history task's draw
// callbacks and menu actions and the ping task's network-client answers.
// The callbacks draw and do nothing; the ping task's answers are those it gives at start
// until a test sets them. Delete an entry here when its real module lands.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/t_info_bar.h"
#include "ui/u_view.h"

// ---- The sonar history task: the views' draw callbacks (draw nothing yet) ----

void T_N_HISTORY_vDrawFullScreenSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawZoomSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawKeelview(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawKeelviewSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawKeelviewSonarSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawVerticalScrollView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawDownAndSidebeamView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawDualBeamView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawSonarSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vDrawPPIDisplay(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// ---- The sonar history task: menu actions (do nothing yet) ----

void T_N_HISTORY_vCreateFvEnhanceDialog(void);
void T_N_HISTORY_vCreateKvEnhanceDialog(void);
void T_N_HISTORY_vCreateSweepEnhanceDialog(void);
void T_N_HISTORY_vSetHeadingOffsetStartArea(void);
void T_N_HISTORY_vDeployAction(void);
void T_N_HISTORY_vRetractAction(void);

// ---- The ping task: network clients of the sonar sources ----

typedef enum tag_NETWORK_CLIENT_STATE : int {
    NETWORK_CLIENT_STATE_NONE = 0, // the state at start
    NETWORK_CLIENT_STATE_INIT = 1,
    NETWORK_CLIENT_STATE_LOCAL = 2,
    NETWORK_CLIENT_STATE_DISCONNECTED = 5
} NETWORK_CLIENT_STATE;

// The state of a sonar source (0-3); 0 until set, and for any other source.
NETWORK_CLIENT_STATE U_PING_eGetNetworkClientState(U32 u32SonarSource);
// TRUE when some network client takes the source from this unit; FALSE
// until set.
BOOLEAN T_N_PING_bCheckActiveClientList(U32 u32SonarSource);

// What the ping task will track itself, set by hand meanwhile (tests).
void S_STANDIN_vSetNetworkClientState(U32 u32SonarSource, NETWORK_CLIENT_STATE eState);
void S_STANDIN_vSetActiveClient(U32 u32SonarSource, BOOLEAN bActive);
