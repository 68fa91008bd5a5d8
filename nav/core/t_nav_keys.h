// The navigation task's keys: the order in which the navigation pop-ups
// see a key, the chart cursor (its moves, its snapping to waypoints and
// trolling-motor track ends, its activation), the range steps of the zoom
// keys, MARK, INFO and the go-to of the GOTO key.
//
// Every key handled here ends in one key click: semaphore 102 (taken) or
// 103 (refused). Everything runs in the navigation task.
#pragma once

#include "kernel/l_types.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

// The chart cursor's extent in Mercator metres.
constexpr S32 NAV_CURSOR_MAX_X = 20038300;
constexpr S32 NAV_CURSOR_WORLD_X = 40076600;
constexpr S32 NAV_CURSOR_MAX_Y = 15433198;
// Key repeats the cursor rests on a waypoint it snapped to.
constexpr S32 NAV_SNAP_HOLD_REPEATS = 4;
// A snap candidate this close (pixels) to the last snap is passed over.
constexpr double NAV_SNAP_MIN_PIXELS = 6.0;
constexpr S32 NAV_RANGE_MIN = 8;
constexpr S32 NAV_RANGE_MIN_WITH_CARD = 9;
constexpr S32 NAV_RANGE_MAX = 25;

// Key repeats absorbed by the last snap (0: not snapped) and where it was.
extern S32 s_nSnapCount;
extern POINT s_ptLastSnap;

// One CMD_ID_KEY_CHANGE mail; the caller disposes of it.
void T_NAV_vHandleKeys(MSG_KEY_CHANGE* pMsg);

// "ICAC" true and EXIT registered, when the cursor is not active yet.
void T_NAV_vMakeCursorActive(void);
// "ICAC" false, EXIT released, no cursor waypoint or track.
void T_NAV_vMakeCursorInactive(void);

// The panes the cursor key works in (the chart ones and the perspective
// ones: view 23 and the left pane of 25).
BOOLEAN T_NAV_bIsCursorPane(LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN T_NAV_bIsPerspectiveCursorPane(LAYER_ID view, SPLIT_WINDOW_TYPE split);

void T_NAV_vHandleCursor(CURSOR_POSITION eCursor, U32 u32Count);
void T_NAV_vHandleZoomIn(KEY_STATE state);
void T_NAV_vHandleZoomOut(KEY_STATE state);
void T_NAV_vHandleGoTo(void);
