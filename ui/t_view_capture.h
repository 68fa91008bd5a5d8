// The view task's screen snapshot, message blinking and the keys of the
// snapshot-and-recording review (background view 71).
//
// Snapshot: with "SCSC" = 2 the MARK key (and SOFT1) freezes the screen: a
// copy of the screen goes to the card task, and until the card task
// signals SEMA_VIEW_RELEASE_BITMAP the screen is redrawn every 500 ms from
// that copy with only the alarm and card message layers over it. A new
// snapshot waits for T_VIEW_vSnapshotSaveComplete.
//
// Messages: in the simulation, point-of-sale and playback states layer 267
// blinks the view's caption (3 s shown, 8 s hidden); while a sonar or a
// track recording runs it blinks the recording notice instead (2 s, 3 s),
// the two notices taking turns when both run.
//
// Review: three thumbnail records (top, middle, bottom) that the cursor
// key scrolls through the card's list of entries, a snapshot opened full
// screen into a display page, or a recording played back.
//
// Everything runs in the view task except T_VIEW_vSnapshotSaveComplete
// (the card task) and T_VIEW_pTakeReviewImage (the view-key task).
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

#include <atomic>

constexpr LAYER_ID SIMULATION_MESSAGE_LAYER = 267;
constexpr LAYER_ID CAPTURE_REVIEW_VIEW_PRIORITY = 71;
constexpr LAYER_ID ALARM_LAYER = 314;
constexpr LAYER_ID MMC_MESSAGE_LAYER = 316;
constexpr LAYER_ID MMC_ORVANE_MESSAGE = 317;

constexpr TICKS SNAPSHOT_REDRAW_TICKS = 500;
constexpr size_t THUMBNAIL_NAME_BYTES = 50;
constexpr size_t RECORD_FILENAME_BYTES = 14;

typedef enum tag_SR_VIEW_STATE : int {
    SR_VIEW_INIT = 0,
    SR_VIEW_THUMBNAILS = 1,
    SR_VIEW_FULLIMAGE = 2,
    SR_VIEW_RECORDING = 3,
    SR_VIEW_PLAYBACK = 4
} SR_VIEW_STATE;

typedef enum tag_THUMBNAIL_TYPE : int {
    THUMBNAIL_NONE = 0,
    THUMBNAIL_IMAGE_TYPE = 1,
    THUMBNAIL_RECORDING_TYPE = 2
} THUMBNAIL_TYPE;

typedef enum tag_THUMBNAIL_SCROLL_STATE : int {
    THUMBNAIL_SCROLL_STATE_NONE = 0,
    THUMBNAIL_SCROLL_STATE_UP = 1,
    THUMBNAIL_SCROLL_STATE_DOWN = 2,
    THUMBNAIL_SCROLL_STATE_LEFT = 3,
    THUMBNAIL_SCROLL_STATE_RIGHT = 4
} THUMBNAIL_SCROLL_STATE;

// The records the card task loads into a thumbnail slot; the review's
// drawing reads them.
constexpr U32 THUMBNAIL_WIDTH = 200;
constexpr U32 THUMBNAIL_HEIGHT = 150;
constexpr U32 THUMBNAIL_PIXELS = THUMBNAIL_WIDTH * THUMBNAIL_HEIGHT;
constexpr size_t THUMBNAIL_WAYPOINT_NAME_BYTES = 12;

// Where and when a snapshot or a recording was taken.
typedef struct tag_THUMBNAIL_WAYPOINT {
    U32 u32DateTime; // seconds
    POINT pt;        // Mercator metres, x longitude, y latitude
    char sName[THUMBNAIL_WAYPOINT_NAME_BYTES];
} THUMBNAIL_WAYPOINT;

typedef struct tag_THUMBNAIL_FILE_HEADER {
    U32 Version;
    BOOLEAN WaypointValid;
    U32 Priority;
    THUMBNAIL_WAYPOINT Image_Waypoint;
} THUMBNAIL_FILE_HEADER;

typedef struct tag_THUMBNAIL_DATA_FILE {
    THUMBNAIL_FILE_HEADER Header;
    COLOR ImageData[THUMBNAIL_PIXELS]; // 200 x 150, bottom row first
} THUMBNAIL_DATA_FILE;

typedef struct tag_SONAR_RECORD_THUMB_HEADER {
    U8 u8Version;
    U8 u8WaterType;
    U8 u8BatteryVoltage;
    BOOLEAN bWaypointValid;
    U32 u32ModelNumber;
    U32 u32Temperature;
    U32 u32Pressure;
    THUMBNAIL_WAYPOINT RecordingStartWaypoint;
    U32 u32NumberOfPings;
    U32 u32TotalTimeMs;
    U32 u32PingSizeBytes;
    U32 u32FirstPingPeriodMs;
    U32 u32BeamMask; // bit b: beam b was recorded
} SONAR_RECORD_THUMB_HEADER;

typedef struct tag_THUMBNAIL_HEADER_TYPE {
    BOOLEAN bWrongSizeThumbnail;
    U32 u32CardSizeKB;
    U32 u32CardAvailableKB;
    THUMBNAIL_TYPE eType;
    char sName[THUMBNAIL_NAME_BYTES];
    THUMBNAIL_DATA_FILE* snapshot;
    SONAR_RECORD_THUMB_HEADER* recording;
} THUMBNAIL_HEADER_TYPE;

typedef struct tag_THUMBNAIL_SCROLL_INFO {
    U32 u32TopThumbNailPosition;
    U32 u32BottomThumbNailPosition;
    U32 u32MiddleThumbNailPosition;
    U32 nThumbNailsDisplayed;
    THUMBNAIL_SCROLL_STATE eScrollState;
} THUMBNAIL_SCROLL_INFO;

// CMD_ID_PING_START from the card task: a new sonar recording is open.
constexpr size_t RECORD_ROOT_NAME_BYTES = 11;
typedef struct tag_MSG_PING_START {
    GENERIC_MESSAGE header;
    U32 u32StartDateTime;
    U32 u32AvailableKB;
    U32 u32CardSizeKB;
    U8 u8DeviceNumber;
    char acRootName[RECORD_ROOT_NAME_BYTES];
} MSG_PING_START;

// CMD_ID_SCREEN_DUMP to the card task: save this frozen screen, then
// signal SEMA_VIEW_RELEASE_BITMAP; the view task keeps the bitmap.
typedef struct tag_MSG_SCREEN_DUMP {
    GENERIC_MESSAGE header;
    BITMAP* pBitmap;
} MSG_SCREEN_DUMP;

// CMD_ID_LOAD_BMP to the card task: load the PNG file into the bitmap while
// u32RequestId is still *pu32LatestRequestId. The card task frees pcName.
typedef struct tag_MSG_LOAD_BMP {
    GENERIC_MESSAGE header;
    BITMAP* pBitmap;
    char* pcName;
    U32 u32RequestId;
    const std::atomic<U32>* pu32LatestRequestId;
} MSG_LOAD_BMP;

// ---- Client calls ----

// The card task has saved the snapshot: the next MARK may take another, and
// the review selects the newest image.
void T_VIEW_vSnapshotSaveComplete(void);
// The card task has saved a recording: the review selects the newest one.
void T_VIEW_vRecordingSaveComplete(void);
// The card task has deleted one file, or all of a kind (the list is then
// searched from its first file again).
void T_VIEW_vDeleteComplete(void);
void T_VIEW_vDeleteAllComplete(void);
// The review's state; changed only here.
void T_VIEW_vSetSRViewState(SR_VIEW_STATE eState);
SR_VIEW_STATE T_VIEW_eGetSRViewState(void);
// Hands the full-screen review image to the caller, who then returns its
// page and frees its header; null when there is none. The image has one
// owner at a time, so it is never released twice.
BITMAP* T_VIEW_pTakeReviewImage(void);
// Returns the full-screen review image's page and frees its header, when
// there is one (the view-key task after each key mail).
void T_VIEW_vReleaseReviewImage(void);

// Read by the message and review drawing during composition.
BOOLEAN T_VIEW_bDisplaySimMessage(void);
BOOLEAN T_VIEW_bShowSonarRecordingMessage(void);
BOOLEAN T_VIEW_bShowTrackRecordingMessage(void);
BOOLEAN T_VIEW_bScreenFrozen(void);
U32 T_VIEW_u32PlaybackSpeedMenu(void);
// The three records, top first.
const THUMBNAIL_HEADER_TYPE* T_VIEW_psThumbnail(U32 u32Place);
const THUMBNAIL_SCROLL_INFO* T_VIEW_psScrollInfo(void);

// Loads "<name up to its first '.'>.PNG" into *ppDestination through the
// card task: when *ppDestination is null a free display page in a
// full-screen header is taken for it (and stays the caller's); the bitmap
// is filled with colour 34 first. The card task signals sSema when the load
// is done, acknowledging the mail: the mail stays the sender's, handed back
// in *ppSent, to be freed once sSema has come. TRUE only when the request
// went out, so that the caller waits only for a signal that will come.
BOOLEAN T_VIEW_bRequestSnapshotImage(BITMAP** ppDestination, const char* pcName, SEMA sSema,
                                     MSG_LOAD_BMP** ppSent);

// The review's records, for the capture review's drawing and menus (the
// view task). The three slot pointers rotate among the slots; the flags
// marked atomic are also set by the card task's completion calls.
typedef struct tag_T_VIEW_REVIEW {
    THUMBNAIL_HEADER_TYPE** ppsCurrentThumbnail; // top, the selected file
    THUMBNAIL_HEADER_TYPE** ppsNextThumbnail;    // middle
    THUMBNAIL_HEADER_TYPE** ppsNextNextThumbnail; // bottom
    THUMBNAIL_SCROLL_INFO* psScrollInfo;
    THUMBNAIL_TYPE* pePreviousThumbNail;
    THUMBNAIL_TYPE* pePreviousThumbNailImage;
    THUMBNAIL_TYPE* peNextThumbNailImage;
    std::atomic<BOOLEAN>* pbInitialThumbNailSearch;
    std::atomic<THUMBNAIL_TYPE>* peLatestThumbNailType;
    std::atomic<BOOLEAN>* pbAllDeleted;
    std::atomic<BITMAP*>* ppFileImage;
    std::atomic<U32>* pu32LatestRequestID;
    const U32* pu32RecordStartDateTime;
    const U32* pu32AvailCardSizeKB;
    const U32* pu32TotalCardSizeKB;
    const char* psRecordFilename;
} T_VIEW_REVIEW;
T_VIEW_REVIEW T_VIEW_tReview(void);

// When the review is to search its list from the start again: the three
// records filled with the first three entries (places 1 to 3) and their
// loads requested. Run in the view task, by the review's drawing.
void T_VIEW_vSearchThumbnails(void);
