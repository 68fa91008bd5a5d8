// The view task (task 5, mailbox 5, key "TVUE"): it owns the screen. It
// keeps the layers that tasks register in one list sorted by id, knows the
// current background view ("CVEW") and its active pane ("CVAS"), and on a
// frame request composes a whole 800 x 600 frame into a free frame-buffer
// page: the background view with its split panes, then the overlays of that
// view and of every view, and hands the page to the display.
//
// Frames: at most one ordinary frame per 100 ms, requests in between merged
// into one at the end of the 100 ms; an expedited frame is composed at once,
// and the ordinary frame in progress is dropped between layers with its page
// returned unshown.
#pragma once

#include "kernel/l_types.h"
#include "ui/u_view.h"

constexpr TASK VIEW_TASK = 5;
constexpr MBOX VIEW_MAILBOX = 5;
constexpr MUTEX RES_VIEW_LIST = 16;

constexpr SEMA SEMA_MBOX_VIEW = 55;           // mail on mailbox 5
constexpr SEMA SEMA_TIMER_VIEW_UPDATE = 80;   // the frame throttle timer
constexpr SEMA SEMA_TIMER_SIM_MSG = 84;       // the message blink timer
constexpr SEMA SEMA_VIEW_RELEASE_BITMAP = 135; // the card task is done with a frozen screen

// Background views the inactive pane of is never dimmed.
constexpr LAYER_ID CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY = 25;
constexpr LAYER_ID CHART_PLUS_BIRDS_EYE_INSTRUMENT_VIEW_PRIORITY = 32;

// Entry of task 5; never returns.
void T_VIEW_vMain(void);

// Composes one frame now; run only in the view task.
void T_VIEW_vHandleRefreshDisplay(void);

// Asks for a frame at once from any task, dropping the ordinary frame in
// progress; asked during an expedited frame, one more follows it.
void T_VIEW_vRequestExpeditedViewUpdate(void);
// For draw callbacks that take long: the frame will be thrown away, or the
// background view changed while it was composed.
BOOLEAN T_VIEW_bViewUpdateCancelled(void);
BOOLEAN T_VIEW_bViewChangedWhileRendering(void);
// Frames composed since the previous call.
S32 T_VIEW_s32RefreshesSinceLastRequest(void);

// TRUE when a layer with that id is registered.
BOOLEAN T_VIEW_bIsLayerActive(LAYER_ID layer);
// Makes the next shown background view after the current one current
// (from the head when there is none later), NO_VIEW_PRIORITY when no view
// is shown; the new "CVEW" takes effect when the view task sees its change.
void T_VIEW_vSetNextBackgroundLayer(void);

// Geometry of a split view w pixels wide whose left pane takes p percent:
// left pane, five-pixel divider and right pane side by side.
S32 T_VIEW_s32SplitViewLeftWidth(S32 s32Width, S32 s32Percent);
S32 T_VIEW_s32SplitViewRightWidth(S32 s32Width, S32 s32Percent);
S32 T_VIEW_s32SplitViewClipLeft(S32 s32Width, S32 s32Percent, SPLIT_WINDOW_TYPE eSplit);
S32 T_VIEW_s32SplitViewClipRight(S32 s32Width, S32 s32Percent, SPLIT_WINDOW_TYPE eSplit);

// The name of the main-menu tab that lists the views; the start-up task
// declares the tab with this same table.
extern const TEXT_TABLE* const T_VIEW_pViewsTabName;
