// STAND-INS for what the navigation painters need of modules not built
// yet: the name drawing and measuring of the group manager's editors, the
// route-start search of the navigation store, the chart application's
// point-of-sale test, orientation and 3D view copy, the 360 view's cursor
// waypoint, the group manager's visible-group test and the snapshot
// thumbnail layer.
//
// Each keeps the name and arguments of the real call so that the painters
// do not change when the real module replaces it; delete the stand-in then.
// The recorders keep what they were given for the tests to read; every
// recorder is safe to call from any thread.
#pragma once

#include "nav/core/t_nav_snapshot.h" // the preview layer's callback

#include "graphics/g_fonts.h"
#include "kernel/l_types.h"

#include <string>
#include <vector>

// ---- Item names (the editors) ----

// Draws the name with its baseline-left point at the anchor, which moves to
// the end of the text, and records the call.
void T_NAV_EDIT_vRenderWyptRteTrkName(BITMAP* pDest, COLOR colorFont, POINT* pAnchor, const FONT_DEF* pFont,
                                      const char* pString);
U32 T_NAV_EDIT_u32GetWidthWaypointName(const FONT_DEF* pFont, const char* pString);

typedef struct tag_NAV_STANDIN_NAME {
    std::string sText;
    POINT ptAnchor; // as given
    const FONT_DEF* pFont;
    COLOR color;
} NAV_STANDIN_NAME;
std::vector<NAV_STANDIN_NAME> NAV_STANDIN_vNamesDrawn(void);

// ---- Route starts (the navigation store) ----

// Among the route slots whose hidden bit is clear and whose first point is
// id, the one with the greatest date-time (a later slot wins only with a
// strictly greater one); FALSE for none and for 0xFFFF. pcName receives the
// route's 20 name bytes, not necessarily terminated.
BOOLEAN T_NAV_TWR_bGetNameOfLastRouteStartingAt(U32 u32Id, char* pcName);

// ---- The chart application ----

// The store-demonstration state: "CCST" valid and 6, "IPCG" valid and TRUE.
BOOLEAN U_CHART_GENERIC_bIsPOSMode(void);

// ---- The 360 view (recorder) ----

void T_N_HISTORY_vUpdateMSSCurosrWaypoint(POINT ptCursor);
std::vector<POINT> NAV_STANDIN_vMSSCursorWaypoints(void);

// Forgets every recorded call of the recorders in this file.
void NAV_STANDIN_vForgetDrawing(void);

// ---- The chart application and the group manager (the overlays) ----

struct tag_NAV_VIEW_INFO;
// The chart's rotation for the orientation "SCOR": a north-up chart (0).
S32 T_CHART_s32GetChartOrientationAngle(BOOLEAN bCursorActive);
// The 3D chart task's view description and display: none without the task
// (FALSE, nothing written).
BOOLEAN T_CHART_3D_bGetCopyOfActiveNVIAndDisplay(struct tag_NAV_VIEW_INFO* pNVI, void* pDisplay);
// A waypoint lies in a group shown on the chart: the group tree's answer.
BOOLEAN T_NAV_GROUP_bCheckWaypointIsInVisibleGroup(U16 u16Index);
