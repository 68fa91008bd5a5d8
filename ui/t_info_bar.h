// The instrument bar: the row of up to five readout boxes along the bottom
// of sonar, chart, perspective and radar views, and the questions other
// layers ask of it (does the bar cover the bottom of my pane, does a box
// occupy this band of rows).
//
// The bar is 105 pixels high when present: a 101-high box, a 3-pixel rule
// and a 1-pixel line. The y-origin functions answer 105 or 0; they read
// only data-store keys and the info task's copy of the current view, and
// may be called from any task.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "ui/t_info.h"
#include "ui/u_view.h"

constexpr U32 T_INFO_BAR_HEIGHT = 105;
constexpr S32 T_INFO_BOX_BAND_WIDTH = 162;

// Where the current view's given pane must start above the bar (105) or
// not (0); every answer is also reported to the sonar history.
U32 T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_WINDOW_TYPE eSplit);
// The same for the chart views, which run under the bar unless every box
// over their pane is occupied.
S32 T_INFO_s32Instrumentation2_Chart_YOrigin(LAYER_ID eView, SPLIT_WINDOW_TYPE eSplit);

// 162 when a readout box of the set occupies the rows nMinY..nMaxY, else 0.
S32 T_INFO_nBoxWidth_Common(S32 nMinY, S32 nMaxY, const FOURCHARID* fcidSelection);
S32 T_INFO_nBoxWidth_SonarView(S32 nMinY, S32 nMaxY);
S32 T_INFO_nBoxWidth_TrackChartView(S32 nMinY, S32 nMaxY);

// Layer callbacks of the bar over sonar, chart and perspective views.
void T_INFO_vDrawInfoLayer_Instrumentation_SonarView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_INFO_vDrawInfoLayer_Instrumentation_TrackChartView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_INFO_vDrawInfoLayer_Instrumentation_BirdsEyeView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The five boxes of a selection set, their rules and separators, and the
// background strip of the perspective views.
void T_INFO_vDrawInfoLayer_Instrumentation_Common(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec,
                                                  const FOURCHARID* fcidSelection);

// ---- Above the cells ----

// The strip above the bar while navigating, in a man-overboard and with a
// trolling motor: the MOB bar, the destination's bar, the autopilot icon.
// Anchors are the lower-left corners of the content, inside the frames.
void T_INFO_vDrawInfoLayer_MOBBar(BITMAP* pBitmap, S32 x0, S32 y0, U32 nLang);
void T_INFO_vDrawInfoLayer_WaypointIndicatorBar(BITMAP* pBitmap, S32 x, S32 y, U32 nLang);
void T_INFO_vDrawInfoLayer_AutopilotIcon(BITMAP* pBitmap, S32 x, S32 y);
// Six boxes of the debug keys "DDB1"-"DDB6" down the left edge from the top.
void T_INFO_vDrawInfoLayer_Debug(BITMAP* pBitmap, INFO_JUSTIFICATION eJustify, U32 nLang);

// ---- Cursor readout ----
//
// The box along the top of the screen that shows what lies under the
// cursor, and the cursor mark at ("ICPX", "ICPY"). Nothing is drawn while
// "ICAC" is 0.

// On a 360-degree pane: bearing and distance on a black bar, then the marks.
void T_INFO_vDrawInfoLayer_MssActiveCursor(BITMAP* pBitmap, U32 nLang);
// Sonar, chart and radar panes and 360-degree panes; pt is not used for placing.
void T_INFO_vDrawInfoLayer_ActiveCursor(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec, POINT pt);
void T_INFO_vDrawCursor(BITMAP* pBitmap, U32 nLang, BOOLEAN bWaypointCursorEnabled);
