// The view task's state shared by its files: the layer list and the frame
// state.
//
// The list, headed by s_playerHeadPointer, is changed only by the view task
// and only under RES_VIEW_LIST; the view task reads it without the lock
// while it composes, every other task reads it under the lock. Invariants:
// 1. The main list, linked by next, is in ascending layer order with one
//    node per id.
// 2. A split view is one main-list node (its first accepted pane) with its
//    other panes chained behind it through pSplit. Every pane of a chain
//    has the same layer, where_used, display key, bDefault,
//    bCurrentDisplayMode, pString, split key, s32SplitPercentage and next as
//    the first; a chain holds at most one pane per location and no
//    full-window pane.
//
// s_windowSpec.currentLayer is written by the view task under the lock too,
// since other tasks start their search for the next view from it.
#pragma once

#include "store/h_dbtypes.h"
#include "ui/t_view.h"
#include "ui/t_view_capture.h"

#include <atomic>

namespace t_view {

typedef struct tag_LAYER_ITEM {
    LAYER_ID layer;
    LAYER_ID where_used;
    DRAW_FUNCTION* pDrawFunction;
    FOURCHARID fcidDisplay;
    BOOLEAN bDefault;
    BOOLEAN bCurrentDisplayMode;
    const TEXT_TABLE* pString; // the display key's text table: the view's name
    const TEXT_TABLE* pPlaybackString;
    const TEXT_TABLE* pSimString;
    const TEXT_TABLE* pPOSString;
    U32 user;
    struct tag_LAYER_ITEM* next;
    struct tag_LAYER_ITEM* pSplit;
    FOURCHARID fcidSplitControl;
    S32 s32SplitPercentage;
    SPLIT_WINDOW_TYPE eSplit;
} LAYER_ITEM;

typedef enum tag_EXPEDITED_VIEW_UPDATE : int {
    EVU_DONE = 0,
    EVU_REQUESTED = 1,
    EVU_IN_PROGRESS = 2
} EXPEDITED_VIEW_UPDATE;

constexpr PRIORITY PRIORITY_UNKNOWN = 101;

extern LAYER_ITEM* s_playerHeadPointer;
extern WINDOW_SPECIFICATION s_windowSpec;

// Written from several tasks without a lock; each write stands alone.
extern std::atomic<BOOLEAN> s_bViewUpdateCancelled;
extern std::atomic<BOOLEAN> s_bViewChanged;
extern std::atomic<EXPEDITED_VIEW_UPDATE> s_eExpeditedViewUpdateState;
extern std::atomic<S32> s_s32RefreshesSinceLastRequest;
extern std::atomic<PRIORITY> s_priorityNormal;
extern std::atomic<PRIORITY> s_priorityHigh;

// ---- Composition (t_view_draw.cpp), run in the view task ----

// The frame's layers into the page: the flags cleared, the background view
// (colour 34 when none is shown) and the overlays, stopping early when the
// frame is cancelled. Taking and handing on the page is the caller's.
void vComposeFrame(BITMAP* pPage);

// ---- The layer registry (t_view_layers.cpp), run in the view task ----

// CMD_ID_REGISTER_LAYER and CMD_ID_UNREGISTER_LAYER; each writes the mail's flag.
void vRegisterLayer(MSG_REGISTER_LAYER* pMsg);
void vUnregisterLayer(MSG_UNREGISTER_LAYER* pMsg);
// A changed key that is no view task key of its own: the first node whose
// display key it is takes the shown state, failing that the first node
// whose split key it is takes the percentage, each with its chain.
void vFollowLayerKey(FOURCHARID key, DB_DATA_TYPE dbValue);
// The factory reset of the views' display keys.
void vRestoreDisplayDefaults(void);
// The current layer, under the lock.
void vSetCurrentLayer(LAYER_ID layer);

// ---- Snapshot, messages and review (t_view_capture.cpp), in the view task ----

void vCaptureStart(void);
// Every CMD_ID_RUN_SYSTEM; bFirst for the first one.
void vCaptureRunSystem(bool bFirst);
void vCaptureFactoryReset(void);
// A changed key of the snapshot, messages or review; false for other keys.
bool bCaptureNewData(FOURCHARID key, const DB_DATA_TYPE& dbValue);
// After the view task's own handling of a "CVEW" change.
void vCaptureViewChanged(LAYER_ID view);
void vCaptureKey(const MSG_KEY_CHANGE* pKey);
void vCapturePingStart(const MSG_PING_START* pMsg);
// One step of SEMA_TIMER_SIM_MSG.
void vCaptureBlinkStep(void);
// Blink steps taken so far.
U32 u32CaptureBlinkSteps(void);
// The screen is frozen: SEMA_TIMER_VIEW_UPDATE redraws the frozen copy and
// frame requests are ignored.
bool bCaptureFrozen(void);
void vCaptureFrozenRedraw(void);
// SEMA_VIEW_RELEASE_BITMAP: the frozen copy freed, ordinary frames resume.
void vCaptureRelease(void);
// The view task's copy of "CCST".
U32 u32CaptureSystemState(void);

} // namespace t_view
