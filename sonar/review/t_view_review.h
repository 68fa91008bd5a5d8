// The capture review (background view 71, view key "SVCR"): the card's
// snapshots and sonar recordings as a column of three thumbnails with an
// information box for the selected one, a snapshot full screen, and the
// status screens while a recording is made or played back; and its
// controls: the screen state and what each change writes to the data
// store, the hot menus of each state, the playback mode "CPSP" with its
// menu twin "CPSM", the progress bar and the menu actions.
//
// The records (the three slots, the scroll position, the flags the card
// task's completion calls set) belong to the view task's capture module in
// ui/; this module draws them and keeps the list up to date. The view task
// calls in through the table app/ installs there. Everything runs in the
// view task, apart from the menu actions, which the menu framework calls on
// its behalf.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "ui/t_view_capture.h"
#include "ui/u_view.h"

#include <mutex>

// ---- Mails to the card task (mailbox in "TMMC", mail priority 3) ----

constexpr char DELETE_ALL_IMAGES[] = "all images";
constexpr char DELETE_ALL_RECORDINGS[] = "all recordings";

// CMD_ID_DELETE_IMAGE: one file by its list name, or one of the two above.
typedef struct tag_MSG_DELETE_IMAGE {
    GENERIC_MESSAGE header;
    char sName[THUMBNAIL_NAME_BYTES];
} MSG_DELETE_IMAGE;

// CMD_ID_LOAD_THUMBNAIL, CMD_ID_LOAD_RECORDING: fill the slot's image
// thumbnail or recording header; the card task frees pcName.
typedef struct tag_MSG_LOAD_THUMBNAIL {
    GENERIC_MESSAGE header;
    char* pcName;
    THUMBNAIL_HEADER_TYPE* psSlot;
} MSG_LOAD_THUMBNAIL;

// The lock of the three slots' loaded contents: the card task fills them
// under it while the view task draws them.
std::recursive_mutex& T_VIEW_REVIEW_rmSlotLock(void);

// ---- Drawing (layer 71) ----

void T_VIEW_vDrawCaptureReviewView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// Bit 0 fills with colour 34, bit 1 draws the screen frame.
void T_VIEW_vDrawSnapshotRecordingBackground(BITMAP* pBitmap, U8 u8Mode);
// The frame around a snapshot shown by another view.
void T_VIEW_vDrawSnapshotPreviewBorder(BITMAP* pBitmap);

// ---- Requests to the card task ----

void T_VIEW_vRequestThumbnailLoad(THUMBNAIL_HEADER_TYPE* pFileData);
void T_VIEW_vLoadImageThumbnails(void);
void T_VIEW_vLoadFullViewImage(void);

// ---- Controls ----

// What a change of the screen state writes (called by the ui's state change
// before the new state is stored).
void T_VIEW_vSRViewStateChanging(SR_VIEW_STATE eOld, SR_VIEW_STATE eNew);
void T_VIEW_vUpdateSnapshotMenu(void);
// One step of "CPSP" for a right (CURSOR_EAST) or any other (left) key;
// FALSE when no step is possible.
BOOLEAN T_VIEW_bUpdatePlaybackMode(U32 u32Direction);
void T_VIEW_vUpdatePlaybackSpeedState(BOOLEAN bCPSPChanged, BOOLEAN bCPSMChanged);
void T_VIEW_vUpdateProgressIcons(U32 u32PlaybackMode);
void T_VIEW_vDrawProgressBar(BITMAP* pBitmap, THUMBNAIL_TYPE eCurrentThumbnail,
                             const THUMBNAIL_HEADER_TYPE* pCurrentThumbnail);

// Menu actions.
void T_VIEW_vStopPlayback(void);
void T_VIEW_vToggleRecordingState(void);
void T_VIEW_vDeleteAllRecordings(void);
void T_VIEW_vDeleteAllImages(void);
void T_VIEW_vDeleteCurrentImage(void);

// ---- Texts shown, for tests ----

// The remaining time and size text ("%d:%02d" then "-%.1fMB", "-%.0fMB" or
// "-%.1fGB").
void T_VIEW_vFormatRemaining(S32 s32RemainingMs, U32 u32RemainingKB, char* pcOut, size_t nOut);
// A card size ("%.1fMB" below 100 MB, "%.0fMB" below 1 GB, else "%.1fGB").
void T_VIEW_vFormatCardSize(U32 u32KB, char* pcOut, size_t nOut);
// The average ping period of a recording's header.
U32 T_VIEW_u32AveragePingPeriod(const SONAR_RECORD_THUMB_HEADER* psHeader);
