// STAND-IN of the chart application's pane drawing until the chart task,
// its sources and its 3D task are built; delete this folder's stand-in then.
//
// The two draw callbacks fill their pane with one sea colour in place of
// the chart, describe the pane as the real views would (centred on the boat,
// or on the cursor while it is active, at the chart scale "SNCS" or the
// perspective scale "SNBS"), publish the scales the navigation code reads
// ("ICPM" chart, "IBPM" perspective, pixels per 2^20 Mercator metres) and
// the chart heading "ICHH" (0: the stand-in chart is always north up), and
// draw the navigation overlays over the fill. The orientation, store
// demonstration and 3D-copy queries the overlays ask are the navigation
// painters' stand-ins (nav/core/draw_standins.h): a north-up chart drawn
// without a 3D task.
#pragma once

#include "kernel/l_types.h"
#include "nav/core/t_nav_draw.h"
#include "ui/u_view.h"

constexpr COLOR T_CHART_STANDIN_SEA = 0x4B3C;
constexpr S32 T_CHART_STANDIN_DEFAULT_SCALE = 16;

// Pixels per 2^20 Mercator metres of a chart scale index: one pixel a metre
// at scale 12, halving with each step out.
S32 T_CHART_nStandInPixelsPerMMM(S32 nChartScale);
// The pane's description as the callbacks build it (exposed for tests).
void T_CHART_vStandInViewInfo(BITMAP* pBitmap, const WINDOW_SPECIFICATION* psWindowSpec, BOOLEAN bPerspective,
                              NAV_VIEW_INFO* pNVI);

void T_CHART_vDrawChartView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_CHART_3D_vDrawVuruzave(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
