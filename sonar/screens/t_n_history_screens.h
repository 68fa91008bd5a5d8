// The sonar screens' layer draw callbacks, called by the view task while it
// composes a page (pBitmap the 800 x 600 page, psWindowSpec the layer and
// pane being drawn), and the lower edge of the displayed range that the
// ping cycles ask for.
#pragma once

#include "graphics/g_types.h"
#include "store/lang.h"
#include "ui/u_view.h"

// Layer 49: the full-screen 2D view, with its real-time strip and colour bar.
void T_N_HISTORY_vDrawFullScreenSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The 2D pane of the split views (layers 41, 52, 57 and 35).
void T_N_HISTORY_vDrawSonarSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// Layer 51: the dual-beam view, the second beam left, 200 kHz right.
void T_N_HISTORY_vDrawDualBeamView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The dual-beam view's left label for the 2D beams of its transducer (bit
// 1: 83 kHz, bit 2: 50 kHz): 83 kHz wins when both are there, 455 kHz
// without either.
const TEXT_TABLE* T_N_HISTORY_pDualBeamLowLabel(U32 u32Beams);
// Layer 46: the down beam and the two side beams in the layout of "SSQL".
void T_N_HISTORY_vDrawDownAndSidebeamView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// Layer 50: the 2D zoom view, un-zoomed pane at the right, magnified pane left.
void T_N_HISTORY_vDrawZoomSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// The lower edge of the displayed range in metres: the "YSLD" setting, or
// while that means an automatic range the last automatic lower edge.
float T_N_HISTORY_fGetLowerRangeForDisplay(void);
