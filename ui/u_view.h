// The view task's client side: the layer and window types every drawing
// task shares, the registration mails, and the calls any task makes to
// register and remove its layers and to ask which view and pane are current.
//
// A layer is a draw callback with an id (LAYER_ID), which is also its place
// in the drawing order: ascending ids draw later, on top. A layer used by no
// view (USED_BY_NONE) is a background view; otherwise it is an overlay of
// the view whose id it names, or of every view (USED_BY_ALL). Callbacks run
// in the view task's thread, draw within the window they are given and must
// never wait for the view task.
//
// Registering or removing a layer does not by itself bring a frame: the
// caller signals SEMA_VIEW_UPDATE when it wants the change seen.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h" // TEXT_TABLE

constexpr SEMA SEMA_VIEW_UPDATE = 106; // a frame request, at most one frame per 100 ms

typedef S32 LAYER_ID;
constexpr LAYER_ID NO_VIEW_PRIORITY = -2;
// Values of a layer's "where used".
constexpr LAYER_ID USED_BY_NONE = 0; // the layer is a background view
constexpr LAYER_ID USED_BY_ALL = -1; // an overlay of every view

typedef enum tag_SPLIT_WINDOW_TYPE : int {
    UNKNOWN_SPLIT = -3,
    NO_SPLIT_WINDOW = -2,
    SPLIT_FULL_WINDOW = 1,
    SPLIT_LEFT_WINDOW = 2,
    SPLIT_RIGHT_WINDOW = 3,
    SPLIT_QUICK_WINDOW = 4
} SPLIT_WINDOW_TYPE;

// A pane's box on the page, inclusive on all four edges, y counting up from
// the bottom row. An empty pane has its right edge left of its left edge.
typedef struct tag_WINDOW_LOCATION {
    S32 s32ClipLeft;
    S32 s32ClipTop;
    S32 s32ClipRight;
    S32 s32ClipBottom;
} WINDOW_LOCATION;

// What a draw callback is told about the frame it draws into.
typedef struct tag_WINDOW_SPECIFICATION {
    LAYER_ID currentLayer;              // the background view being composed
    SPLIT_WINDOW_TYPE activeWindow;     // the active pane ("CVAS")
    SPLIT_WINDOW_TYPE drawWindowType;   // the pane of the layer being drawn
    WINDOW_LOCATION drawWindow;         // that pane's box
    BOOLEAN bExpedited;                 // TRUE during an expedited frame
    U32 u32User;                        // the word given at registration
} WINDOW_SPECIFICATION;

typedef void DRAW_FUNCTION(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// CMD_ID_REGISTER_LAYER. A sender that waits on a semaphore reads flag
// after the acknowledgement: TRUE when the layer or pane was accepted.
typedef struct tag_MSG_REGISTER_LAYER {
    GENERIC_MESSAGE header;
    LAYER_ID layer;
    LAYER_ID where_used;
    DRAW_FUNCTION* pDrawFunction;
    FOURCHARID fcidDisplayFlag; // boolean key that shows and hides the layer; 0 = always shown
    BOOLEAN bDisplay;           // the shown state a factory reset restores
    U32 user;
    const TEXT_TABLE* pPlaybackString;
    const TEXT_TABLE* pSimString;
    const TEXT_TABLE* pPOSString;
    SPLIT_WINDOW_TYPE eLocation;
    FOURCHARID fcidSplitControl; // key of the left pane's share of the width, percent; 0 = none
    BOOLEAN flag;
} MSG_REGISTER_LAYER;

// CMD_ID_UNREGISTER_LAYER; flag TRUE when a layer or pane was removed.
typedef struct tag_MSG_UNREGISTER_LAYER {
    GENERIC_MESSAGE header;
    LAYER_ID layer;
    SPLIT_WINDOW_TYPE eLocation;
    BOOLEAN flag;
} MSG_UNREGISTER_LAYER;

// CMD_ID_SET_VIEW: makes the layer the current background view.
typedef struct tag_MSG_LAYER_FROM_HOT {
    GENERIC_MESSAGE header;
    LAYER_ID layer;
} MSG_LAYER_FROM_HOT;

// Each posts its mail to the mailbox published under "TVUE" at mail
// priority 3 without a semaphore and returns TRUE; TRUE says only that the
// request went out. FALSE, with nothing sent, while "TVUE" is absent or not
// valid (before the view task runs).
BOOLEAN U_VIEW_bRegisterLayer(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                              FOURCHARID fcidControl, BOOLEAN bDefaultState, const TEXT_TABLE* pPlaybackString,
                              const TEXT_TABLE* pSimString, const TEXT_TABLE* pPOSString);
BOOLEAN U_VIEW_bRegisterLayerSplit(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                                   FOURCHARID fcidControl, BOOLEAN bDefaultState,
                                   const TEXT_TABLE* pPlaybackString, const TEXT_TABLE* pSimString,
                                   const TEXT_TABLE* pPOSString, SPLIT_WINDOW_TYPE eLocation,
                                   FOURCHARID fcidSplitControl);
BOOLEAN U_VIEW_bUnRegisterLayer(LAYER_ID layer);
BOOLEAN U_VIEW_bUnRegisterLayerSplit(LAYER_ID layer, SPLIT_WINDOW_TYPE eLocation);

// "CVEW", or NO_VIEW_PRIORITY when the key cannot be fetched.
LAYER_ID U_VIEW_eCurrentView(void);
// "CVAS", or NO_SPLIT_WINDOW when the key cannot be fetched.
SPLIT_WINDOW_TYPE U_VIEW_eCurrentSplit(void);
