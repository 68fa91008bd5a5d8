// What the transducer database and its views and menus ask of their
// neighbours, stood in until those are built: the history task's draw
// callbacks and menu actions, the ping task's network-client answers, the
// info task's instrument layer of the sonar views, and the view task's
// split-pane calls and layer ids. Each does what the real one does where
// this code can see it (the view calls send the view task's mails); the
// history task's callbacks draw nothing. Delete an entry here when its real
// module lands.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/neighbour_standins.h" // LAYER_ID, SPLIT_WINDOW_TYPE, WINDOW_SPECIFICATION

// ---- The view task: layer ids and the split-pane calls ----

constexpr LAYER_ID USED_BY_NONE = 0; // where_used of a background view

constexpr LAYER_ID SONAR_SIDEVIEW_AND_DOWN = 46;
constexpr LAYER_ID SONAR_SIDEVIEW = 47;
constexpr LAYER_ID KEELVIEW_VIEW_PRIORITY = 39;
constexpr LAYER_ID KEELVIEW_PLUS_SIDESCAN_VIEW_PRIORITY = 40;
constexpr LAYER_ID KEELVIEW_PLUS_2D_VIEW_PRIORITY = 41;
constexpr LAYER_ID KEELVIEW_PLUS_SIDESCAN_PLUS_2D_VIEW_PRIORITY = 42;
constexpr LAYER_ID SONAR_VIEW_PRIORITY = 49;
constexpr LAYER_ID SONAR_ZOOM_VIEW_PRIORITY = 50;
constexpr LAYER_ID SONAR_DUAL_BEAM_VIEW_PRIORITY = 51;
constexpr LAYER_ID SONAR_SIDESCAN_PLUS_2D_PRIORITY = 52;
constexpr LAYER_ID SONAR_FLASHER_PRIORITY = 55;
constexpr LAYER_ID SONAR_PPI_DISPLAY_VIEW_PRIORITY = 56;
constexpr LAYER_ID SONAR_PPI_PLUS_2D_VIEW_PRIORITY = 57;
constexpr LAYER_ID SONAR_PPI_PLUS_CHART_VIEW_PRIORITY = 58;
constexpr LAYER_ID SONAR_PPI_DISPLAY_HALF_VIEW_PRIORITY = 59;

constexpr LAYER_ID INFO_SONAR_VIEW_LAYER = 210;
constexpr LAYER_ID INFO_SIDEVIEW_AND_DOWN_LAYER = 211;
constexpr LAYER_ID INFO_SONAR_SIDE_VIEW_LAYER = 212;
constexpr LAYER_ID INFO_SONAR_SIDE_VIEW_2D_LAYER = 217;
constexpr LAYER_ID INFO_DUAL_BEAM_VIEW_LAYER = 218;
constexpr LAYER_ID INFO_SONAR_ZOOM_VIEW_LAYER = 219;
constexpr LAYER_ID INFO_KEELVIEW_VIEW_LAYER = 220;
constexpr LAYER_ID INFO_KEELVIEW_PLUS_FV_VIEW_LAYER = 221;
constexpr LAYER_ID INFO_KEELVIEW_VIEW_2D_LAYER = 222;
constexpr LAYER_ID INFO_KEELVIEW_PLUS_SIDESCAN_PLUS_2D_VIEW_LAYER = 224;
constexpr LAYER_ID INFO_SONAR_PPI_VIEW_LAYER = 225;
constexpr LAYER_ID INFO_SONAR_PPI_VIEW_2D_LAYER = 226;
constexpr LAYER_ID INFO_SONAR_PPI_HALF_VIEW_LAYER = 228;

// One pane of a split view: the mail of U_VIEW_bRegisterLayer with the pane
// and the split key. FALSE without sending when "TVUE" is absent or not
// valid.
BOOLEAN U_VIEW_bRegisterLayerSplit(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                                   FOURCHARID fcidControl, BOOLEAN bDefaultState, const TEXT_TABLE* pPlaybackString,
                                   const TEXT_TABLE* pSimString, const TEXT_TABLE* pPOSString,
                                   SPLIT_WINDOW_TYPE eLocation, FOURCHARID fcidSplitControl);
BOOLEAN U_VIEW_bUnRegisterLayerSplit(LAYER_ID layer, SPLIT_WINDOW_TYPE eLocation);

// ---- The info task: the instrument bar of the sonar views (draws nothing yet) ----

void T_INFO_vDrawInfoLayer_Instrumentation_SonarView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

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
