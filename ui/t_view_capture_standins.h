// STAND-INS: what the snapshot, message and review code of the view task
// and the store-demo player ask of modules above this layer, until those
// are built: the card task's entry list, playback and image loads, the
// review view's drawing and menus, the navigation task's MARK, and the
// chart's freeze and lake-demo flags.
//
// These modules live above ui/, so each call goes through a table of
// functions that app/ installs; a field left null (or no table at all)
// falls back to the stand-in here, which does the least its caller can rely
// on:
// - the card holds no entries and no recording opens;
// - the message callbacks draw the view's caption or the recording notice
//   in a dialog at the top; the review view is plain colour 34, after the
//   search of its first entries when one is due;
// - the review menus, progress icons, state-change writes and playback
//   steps do nothing (a playback step reports no effect);
// - MARK outside the snapshot marks nothing; the chart flags are ignored.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "ui/t_view_capture.h"
#include "ui/u_view.h"

typedef struct tag_T_VIEW_CAPTURE_NEIGHBOURS {
    // Card task. The finds step from the entry at *pu32Position (places
    // 1..n): on success the entry's name goes to pcName
    // (THUMBNAIL_NAME_BYTES), its place to *pu32Position and its type is
    // returned; THUMBNAIL_NONE changes nothing.
    THUMBNAIL_TYPE (*eFindPreviousThumbNail)(char* pcName, U32* pu32Position);
    THUMBNAIL_TYPE (*eFindNextThumbNail)(char* pcName, U32* pu32Position);
    THUMBNAIL_TYPE (*eFindLastThumbNail)(char* pcName, U32* pu32Position);
    THUMBNAIL_TYPE (*eFindPreviousThumbNailImage)(char* pcName, U32* pu32Position);
    THUMBNAIL_TYPE (*eFindNextThumbNailImage)(char* pcName, U32* pu32Position);
    U32 (*u32ThumbNailsInList)(void);
    BOOLEAN (*bOpenPlaybackFile)(BOOLEAN bOpenFile, char* pcFilename);
    // Review view's drawing and menus.
    DRAW_FUNCTION* pfnDrawSimMessage;
    DRAW_FUNCTION* pfnDrawRecordingMessage;
    DRAW_FUNCTION* pfnDrawCaptureReviewView;
    void (*vUpdateSnapshotMenu)(void);
    void (*vUpdatePlaybackSpeedState)(BOOLEAN bModeChanged, BOOLEAN bSpeedChanged);
    void (*vUpdateProgressIcons)(U32 u32PlaybackMode);
    BOOLEAN (*bUpdatePlaybackMode)(U32 u32Cursor);
    void (*vRequestThumbnailLoad)(THUMBNAIL_HEADER_TYPE* psThumbnail);
    void (*vLoadImageThumbnails)(void);
    void (*vLoadFullViewImage)(void);
    // What a change of the review's state writes, before the new state is
    // stored (the state changes only when the two differ).
    void (*vSRViewStateChanging)(SR_VIEW_STATE eOld, SR_VIEW_STATE eNew);
    // Navigation and chart.
    void (*vHandleMark)(void);
    void (*vToggleDisplayUpdateFreeze)(BOOLEAN bFreeze);
    void (*vSetPOSMode)(BOOLEAN bOn);
    // The main-menu tab "Accessories", declared above this layer.
    const TEXT_TABLE* pAccessoriesTab;
} T_VIEW_CAPTURE_NEIGHBOURS;

// Installs the table (kept by pointer; null puts every stand-in back).
void T_VIEW_vInstallCaptureNeighbours(const T_VIEW_CAPTURE_NEIGHBOURS* pTable);
// The installed call where there is one, otherwise the stand-in.
const T_VIEW_CAPTURE_NEIGHBOURS* T_VIEW_psCaptureNeighbours(void);
