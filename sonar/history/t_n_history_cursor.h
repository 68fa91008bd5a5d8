// The sonar cursor: a cross-hair over the scrolling sonar panes that reports
// the ping under it through data-store keys ("ICAC", "ICPX", "ICPY", "ICCD",
// "ICDP", "ICLN", "ICLT", "ICTD", "ICND", "ICLV"), and the dispatcher of the
// keys the history task takes while a sonar view is on screen. Everything
// here runs in the history task; CursorWindow is written by the view task.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"
#include "ui/u_keyboard.h"

#include <atomic>

namespace t_n_history {

// Frame pixels, y counting up from the bottom row.
extern POINT s_CurrentCursorPosition;
// The waypoint under the 360 cursor (mutex 101); NO_CURSOR_WAYPOINT none.
constexpr U32 NO_CURSOR_WAYPOINT = 0xFFFF;
extern U32 s_u32CursorWaypoint;

// The cursor key outside the 360 pane: the first press centres the cursor
// in CursorWindow, later ones move it by the repeat count (at most 200).
void vCursorKey(const MSG_KEY_CHANGE* pMsg);
// The cursor key on the 360 picture: the first press puts the cursor on
// the centre, later ones move it by the repeat count (at most 5) plus the
// zoom level, never outside the picture's circle nor, in the isolate modes,
// into the blanked sectors. Publishes "ICMB" and "ICMD".
void v360CursorKey(const MSG_KEY_CHANGE* pMsg);
// The 360 cursor's working offset from the centre (centre minus cursor).
extern POINT s_pt360CursorOffset;
// Pixels of the 360 picture per Mercator metre, as its last frame drew it
// (view task); 0 before the first frame.
extern std::atomic<float> s_fPPIPixelsPerMM;
// Maps the cursor to a ping of a horizontally scrolling picture whose
// newest column is at x = u32Right, and publishes.
void vUpdateSonarCursorPositionHorizScroll(U32 u32Right);
// The same for a vertically scrolling (side-looking) pane.
void vUpdateSonarCursorPositionVerticalScroll(void);
// "ICCD" of a horizontally scrolling window; nothing before "ICPY" exists.
void vUpdateCursorDepthHorizScroll(void);
// "ICLN", "ICLT", degrees in the map datum, "ICLV", and the distance and
// bearing from the boat.
void vUpdateCursorNavData(POINT ptMercator);
// Hides the cursor and undoes what activation did (playback mode, keys).
void vMakeCursorInactive(void);
// Every key the history task took (CMD_ID_KEY_CHANGE).
void vHandleKeys(const MSG_KEY_CHANGE* pMsg);

} // namespace t_n_history

// The navigation subsystem's helpers the cursor needs; the composition root
// installs them. A null field (or no table) uses a local equivalent; the
// distance and bearing are then not published.
typedef struct tag_SONAR_CURSOR_NAV_CALLS {
    void (*pfnUpdateCursorDistAndBearing)(const POINT* pptBoatMM, const POINT* pptCursorMM);
    S32 (*pfnIntSin)(S32 nDegrees); // 16.16
    S32 (*pfnIntCos)(S32 nDegrees);
    U16 (*pfnScalingMMPerKm)(S32 y);
    void (*pfnUpdateCursorWaypoint)(U32 u32Waypoint);
} SONAR_CURSOR_NAV_CALLS;

void T_N_HISTORY_vInstallCursorNavCalls(const SONAR_CURSOR_NAV_CALLS* pCalls);
