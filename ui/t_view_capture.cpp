// The view task's screen snapshot, message blinking and capture-review keys
// (see t_view_capture.h).
//
// Frozen screen: while s_pFrozenBitmap is set, semaphore 80 brings a redraw
// of the frozen copy (the frame throttle shares that semaphore, and plain
// frame requests are ignored by the caller meanwhile). The card task owns
// nothing of the copy: it reads it and signals 135, after which the view
// task frees it.
//
// Full-screen review image: a display page in a full-screen header, held in
// s_pFileImage. Both the view task (WEST) and the view-key task (after each
// of its key mails) may give it back, so whoever takes it out of the atomic
// pointer is its one owner; the request id moves on, so that a load the
// card task has not started yet is skipped rather than written into a page
// that went back.
#include "ui/t_view_capture.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_buffers.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_display.h"
#include "store/h_database.h"
#include "ui/neighbour_standins.h"
#include "ui/t_view_capture_standins.h"
#include "ui/t_view_state.h"
#include "ui/t_menu.h"
#include "ui/u_menu_client.h"

#include <atomic>
#include <cstring>

using namespace t_view;

namespace {

constexpr FOURCHARID KEY_SCSC = FCID("SCSC");
constexpr FOURCHARID KEY_SVCR = FCID("SVCR");
constexpr FOURCHARID KEY_SMSG = FCID("SMSG");
constexpr FOURCHARID KEY_SMSU = FCID("SMSU");
constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr FOURCHARID KEY_CSRE = FCID("CSRE");
constexpr FOURCHARID KEY_IPRA = FCID("IPRA");
constexpr FOURCHARID KEY_CPSP = FCID("CPSP");
constexpr FOURCHARID KEY_CPSM = FCID("CPSM");
constexpr FOURCHARID KEY_CSD0 = FCID("CSD0");
constexpr FOURCHARID KEY_CSD1 = FCID("CSD1");
constexpr FOURCHARID KEY_TMMC = FCID("TMMC");

constexpr U32 SCSC_ON = 2;
constexpr PRIORITY CARD_MAIL_PRIORITY = 3;
constexpr TICKS BLINK_TICKS = 1000;
constexpr U32 SIM_SHOWN_S = 3;
constexpr U32 SIM_HIDDEN_S = 8;
constexpr U32 RECORDING_SHOWN_S = 2;
constexpr U32 RECORDING_HIDDEN_S = 3;
constexpr U32 FRAME_WIDTH = 800;
constexpr U32 CPSM_DEFAULT = 6;
constexpr U32 COLOR_NO_IMAGE = 34;

// Playback modes in "CPSP".
constexpr U32 PLAYBACK_BEGIN = 1;
constexpr U32 PLAYBACK_PAUSED = 6;
constexpr U32 PLAYBACK_END = 11;
constexpr U32 PLAYBACK_END_FILL = 12;
constexpr U32 PLAYBACK_STOP = 13;
constexpr U32 PLAYBACK_PAUSED_BEGIN = 15;
constexpr U32 PLAYBACK_PAUSED_END = 16;

constexpr MENU_PRIORITY MENU_SIM_MSG_MODE = (MENU_PRIORITY)205;
constexpr MENU_PRIORITY MENU_SCREEN_CAPTURE = (MENU_PRIORITY)646;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Screen_Snapshot = ALL_LANGUAGES("Screen Snapshot");
TEXT_TABLE Sim_Playback_Messages = ALL_LANGUAGES("/Simulation Playback Messages");
TEXT_TABLE Off_Text = ALL_LANGUAGES("Off");
TEXT_TABLE On_Text = ALL_LANGUAGES("On");
const char* s_apcScreenSnapshot[DB_NUM_LANGUAGES] = ALL_LANGUAGES("Screen Snapshot");
const char* s_apcSimPlaybackMessages[DB_NUM_LANGUAGES] = ALL_LANGUAGES("/Simulation Playback Messages");
const char* s_apcReviewView[DB_NUM_LANGUAGES] = ALL_LANGUAGES("Snapshot and Recording View");

// ---- Snapshot state ----
std::atomic<BOOLEAN> s_bOkToCapture{TRUE};
// Written by the view task only; read by other tasks through T_VIEW_bScreenFrozen.
std::atomic<BITMAP*> s_pFrozenBitmap{nullptr};
TIMER_INFO* s_pFrozenTimer = nullptr;
bool s_bMarkRegistered = false;

// ---- Message state ----
U32 s_state = STATE_STARTUP;
BOOLEAN s_bSimPlaybackMsgEnabled = TRUE;
std::atomic<BOOLEAN> s_bDisplaySimMessage{FALSE};
BOOLEAN s_bSonarRecordDispInProgress = FALSE;
BOOLEAN s_bRumbrelRecordDispInProgress = FALSE;
std::atomic<BOOLEAN> s_bShowSonarRecMsg{FALSE};
std::atomic<BOOLEAN> s_bShowRumbrelRecMsg{FALSE};
U32 s_u32PhaseCount = 0;
std::atomic<U32> s_u32BlinkSteps{0};
TIMER_INFO* s_pSimMessageTimer = nullptr;

// ---- Review state ----
std::atomic<SR_VIEW_STATE> s_eSRViewState{SR_VIEW_INIT};
THUMBNAIL_DATA_FILE s_aSnapshotData[3];
SONAR_RECORD_THUMB_HEADER s_aRecordingData[3];
THUMBNAIL_HEADER_TYPE s_aRecords[3];
THUMBNAIL_HEADER_TYPE* s_psCurrentThumbnail = &s_aRecords[0];
THUMBNAIL_HEADER_TYPE* s_psNextThumbnail = &s_aRecords[1];
THUMBNAIL_HEADER_TYPE* s_psNextNextThumbnail = &s_aRecords[2];
THUMBNAIL_SCROLL_INFO s_ScreenCaptureScrollInfo{};
THUMBNAIL_TYPE s_ePreviousThumbNail = THUMBNAIL_NONE;
THUMBNAIL_TYPE s_ePreviousThumbNailImage = THUMBNAIL_NONE;
THUMBNAIL_TYPE s_eNextThumbNailImage = THUMBNAIL_NONE;
std::atomic<BITMAP*> s_pFileImage{nullptr};
// Asked by the view task and the keyboard task (photos); read by the card task.
std::atomic<U32> s_u32LatestRequestID{0};
std::atomic<BOOLEAN> s_bInitialThumbNailSearch{TRUE};
std::atomic<THUMBNAIL_TYPE> s_eLatestThumbNailType{THUMBNAIL_NONE};
std::atomic<BOOLEAN> s_bAllDeleted{FALSE};
U32 s_u32RecordStartDateTime = 0;
U32 s_u32AvailCardSizeKB = 0;
U32 s_u32TotalCardSizeKB = 0;
U8 s_u8DeviceNumber = 0;
char s_sRecordFilename[RECORD_FILENAME_BYTES] = {};
std::atomic<U32> s_u32PlaybackSpeedMenu{0};
bool s_bCursorRegistered = false;

const T_VIEW_CAPTURE_NEIGHBOURS& n(void) { return *T_VIEW_psCaptureNeighbours(); }

void vGoodClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_GOOD); }
void vBadClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_BAD); }

bool bMessageState(U32 u32State)
{
    return u32State == STATE_SIMULATION || u32State == STATE_POINT_OF_SALE || u32State == 11 /* playback */;
}

bool bFetchCardMailbox(MBOX* pMbox)
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_TMMC, &u32Mbox, &bValid, nullptr) || !bValid || u32Mbox == 0 ||
        u32Mbox >= (U32)nmboxes)
        return false;
    *pMbox = (MBOX)u32Mbox;
    return true;
}

U32 u32Fetch(FOURCHARID key, U32 u32Default)
{
    U32 u32Value = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &u32Value, &bValid, nullptr) || !bValid)
        return u32Default;
    return u32Value;
}

// ---- Snapshot ----

void vSetMarkRegistration(U32 u32Scsc)
{
    if (u32Scsc == SCSC_ON && !s_bMarkRegistered) {
        s_bMarkRegistered = U_KEYBOARD_bRegisterKeys(VIEW_MAILBOX, KEY_MARK, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                                                     REGISTER_SCREEN_CAPTURE) != FALSE;
    } else if (u32Scsc != SCSC_ON && s_bMarkRegistered) {
        U_KEYBOARD_bUnregisterKeys(VIEW_MAILBOX, KEY_MARK);
        s_bMarkRegistered = false;
    }
}

void vTakeSnapshot(U32 u32Key)
{
    const U32 u32Scsc = u32Fetch(KEY_SCSC, 0);
    if (s_eSRViewState == SR_VIEW_RECORDING || u32Scsc == 0) {
        if (u32Key == KEY_MARK) {
            n().vHandleMark();
            vGoodClick();
        } else {
            vBadClick();
        }
        return;
    }
    if (u32Scsc != SCSC_ON || !s_bOkToCapture || s_pFrozenBitmap != nullptr) {
        vBadClick();
        return;
    }
    // Without the card task nobody would save the copy or release the
    // screen: the snapshot is refused before anything is frozen.
    MBOX mboxCard = 0;
    if (!bFetchCardMailbox(&mboxCard)) {
        log_me("view: no card task, no snapshot");
        vBadClick();
        return;
    }
    BITMAP* pFrozen = G_BUFFERS_pCreateFullScreenBitmap();
    if (pFrozen == nullptr || pFrozen->pBuffer == nullptr) {
        if (pFrozen != nullptr)
            G_BUFFERS_vFreeFullScreenBitmap(pFrozen);
        vBadClick();
        return;
    }
    auto* pMail = static_cast<MSG_SCREEN_DUMP*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_SCREEN_DUMP)));
    if (pMail == nullptr) {
        G_BUFFERS_vFreeFullScreenBitmap(pFrozen);
        vBadClick();
        return;
    }
    if (s_eSRViewState == SR_VIEW_PLAYBACK)
        H_DATABASE_bUpdateValueU32(KEY_CPSP, PLAYBACK_PAUSED, P_NORMAL);
    n().vToggleDisplayUpdateFreeze(TRUE);
    H_DISPLAY_vScreenDump(reinterpret_cast<SCREEN_BUFFER*>(pFrozen->pBuffer));
    s_pFrozenBitmap = pFrozen;
    if (s_pFrozenTimer == nullptr)
        s_pFrozenTimer = L_TIMER_Allocate();
    if (s_pFrozenTimer != nullptr)
        L_TIMER_Start(s_pFrozenTimer, SNAPSHOT_REDRAW_TICKS, SNAPSHOT_REDRAW_TICKS, SEMA_TIMER_VIEW_UPDATE);
    s_bOkToCapture = FALSE;
    vGoodClick();
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->header.Cmd = CMD_ID_SCREEN_DUMP;
    pMail->pBitmap = pFrozen;
    if (L_MBOX_Send(mboxCard, &pMail->header.msghdr, CARD_MAIL_PRIORITY, 0) != 0) {
        // No release will come for a mail that never arrived.
        H_MEMORY_vFree(pMail);
        t_view::vCaptureRelease();
        s_bOkToCapture = TRUE;
    }
}

// ---- Messages ----

void vRequestFrame(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

void vStartBlinkTimer(void)
{
    s_u32PhaseCount = 0;
    L_TIMER_Start(s_pSimMessageTimer, BLINK_TICKS, BLINK_TICKS, SEMA_TIMER_SIM_MSG);
}

void vStopMessage(void)
{
    if (s_pSimMessageTimer != nullptr)
        L_TIMER_Stop(s_pSimMessageTimer);
    U_VIEW_bUnRegisterLayer(SIMULATION_MESSAGE_LAYER);
    s_bDisplaySimMessage = FALSE;
    vRequestFrame();
}

void vStartSimMessage(void)
{
    if (s_pSimMessageTimer == nullptr)
        s_pSimMessageTimer = L_TIMER_Allocate();
    if (s_pSimMessageTimer != nullptr)
        vStartBlinkTimer();
    U_VIEW_bRegisterLayer(n().pfnDrawSimMessage, SIMULATION_MESSAGE_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr,
                          nullptr, nullptr);
    s_bDisplaySimMessage = TRUE;
    vRequestFrame();
}

void vStartRecordingMessage(void)
{
    if (s_pSimMessageTimer != nullptr)
        vStopMessage();
    else
        s_pSimMessageTimer = L_TIMER_Allocate();
    if (s_pSimMessageTimer != nullptr)
        vStartBlinkTimer();
    U_VIEW_bRegisterLayer(n().pfnDrawRecordingMessage, SIMULATION_MESSAGE_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr,
                          nullptr, nullptr);
    s_bDisplaySimMessage = TRUE;
    vRequestFrame();
}

// Both recordings stopped: back to the caption where it belongs.
void vRecordingsStopped(void)
{
    vStopMessage();
    if (bMessageState(s_state) && s_bSimPlaybackMsgEnabled)
        vStartSimMessage();
}

void vFollowState(U32 u32State)
{
    const bool bWasMessage = bMessageState(s_state);
    s_state = u32State;
    if (!s_bSimPlaybackMsgEnabled)
        return;
    if (bWasMessage && !bMessageState(u32State))
        vStopMessage();
    else if (!bWasMessage && bMessageState(u32State))
        vStartSimMessage();
}

void vFollowSonarRecording(BOOLEAN bOn)
{
    if (!bOn) {
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
        s_bSonarRecordDispInProgress = FALSE;
        if (!s_bRumbrelRecordDispInProgress)
            vRecordingsStopped();
        return;
    }
    if (s_bSonarRecordDispInProgress) {
        if (!s_bRumbrelRecordDispInProgress)
            s_bShowSonarRecMsg = TRUE;
    } else if (!s_bRumbrelRecordDispInProgress) {
        vStartRecordingMessage();
        s_bShowSonarRecMsg = TRUE;
    }
    s_bSonarRecordDispInProgress = TRUE;
}

void vFollowTrackRecording(U32 u32Value)
{
    if (u32Value != 1) {
        s_bRumbrelRecordDispInProgress = FALSE;
        if (!s_bSonarRecordDispInProgress)
            vRecordingsStopped();
        return;
    }
    if (s_bSonarRecordDispInProgress) {
        // the running notice now alternates
    } else if (s_bRumbrelRecordDispInProgress) {
        s_bShowRumbrelRecMsg = TRUE;
    } else {
        vStartRecordingMessage();
        s_bShowRumbrelRecMsg = TRUE;
    }
    s_bRumbrelRecordDispInProgress = TRUE;
}

// ---- Review ----

void vEmpty(THUMBNAIL_HEADER_TYPE* pRecord)
{
    pRecord->eType = THUMBNAIL_NONE;
    pRecord->sName[0] = '\0';
    pRecord->bWrongSizeThumbnail = FALSE;
}

// Fills the record by one of the card task's finds, starting from place
// *pu32Position.
void vFill(THUMBNAIL_HEADER_TYPE* pRecord, THUMBNAIL_TYPE (*pfnFind)(char*, U32*), U32* pu32Position)
{
    char acName[THUMBNAIL_NAME_BYTES] = {};
    const THUMBNAIL_TYPE eType = pfnFind(acName, pu32Position);
    pRecord->eType = eType;
    if (eType == THUMBNAIL_NONE) {
        pRecord->sName[0] = '\0';
        return;
    }
    acName[THUMBNAIL_NAME_BYTES - 1] = '\0';
    memcpy(pRecord->sName, acName, THUMBNAIL_NAME_BYTES);
}

// The type the find would give, changing nothing.
THUMBNAIL_TYPE ePeek(THUMBNAIL_TYPE (*pfnFind)(char*, U32*), U32 u32Position)
{
    char acName[THUMBNAIL_NAME_BYTES] = {};
    return pfnFind(acName, &u32Position);
}

// The full-screen image steps to the snapshot the search finds from the
// top position; at the end of the list the search starts again from
// u32WrapStart (the other end).
void vStepFullImage(THUMBNAIL_TYPE (*pfnFind)(char*, U32*), U32 u32WrapStart)
{
    THUMBNAIL_SCROLL_INFO& scroll = s_ScreenCaptureScrollInfo;
    U32 u32Position = scroll.u32TopThumbNailPosition;
    char acName[THUMBNAIL_NAME_BYTES] = {};
    THUMBNAIL_TYPE eType = pfnFind(acName, &u32Position);
    if (eType == THUMBNAIL_NONE) {
        u32Position = u32WrapStart;
        eType = pfnFind(acName, &u32Position);
    }
    if (eType == THUMBNAIL_NONE)
        return;
    acName[THUMBNAIL_NAME_BYTES - 1] = '\0';
    memcpy(s_psCurrentThumbnail->sName, acName, THUMBNAIL_NAME_BYTES);
    s_psCurrentThumbnail->eType = eType;
    scroll.u32TopThumbNailPosition = u32Position;
    n().vLoadImageThumbnails();
    s_eNextThumbNailImage = ePeek(n().eFindNextThumbNailImage, u32Position);
    n().vLoadFullViewImage();
}

// The name up to its first "." with the extension given, in a string the
// receiver frees; null when the heap has none.
char* pcWithExtension(const char* pcName, const char* pcExtension)
{
    size_t nBase = strnlen(pcName, THUMBNAIL_NAME_BYTES - 1);
    if (const char* pDot = static_cast<const char*>(memchr(pcName, '.', nBase)))
        nBase = (size_t)(pDot - pcName);
    const size_t nBytes = nBase + 1 + strlen(pcExtension) + 1;
    char* pc = static_cast<char*>(H_MEMORY_pvMallocNoWait(nBytes));
    if (pc == nullptr)
        return nullptr;
    memcpy(pc, pcName, nBase);
    pc[nBase] = '.';
    strcpy(pc + nBase + 1, pcExtension);
    return pc;
}

void vNorth(void)
{
    s_ScreenCaptureScrollInfo.eScrollState = THUMBNAIL_SCROLL_STATE_UP;
    T_VIEW_vHandleRefreshDisplay();
    THUMBNAIL_SCROLL_INFO& scroll = s_ScreenCaptureScrollInfo;
    if (s_eSRViewState == SR_VIEW_THUMBNAILS && s_ePreviousThumbNail != THUMBNAIL_NONE) {
        vGoodClick();
        THUMBNAIL_HEADER_TYPE* pOldTop = s_psCurrentThumbnail;
        THUMBNAIL_HEADER_TYPE* pOldMiddle = s_psNextThumbnail;
        THUMBNAIL_HEADER_TYPE* pOldBottom = s_psNextNextThumbnail;
        s_psCurrentThumbnail = pOldBottom;
        s_psNextThumbnail = pOldTop;
        s_psNextNextThumbnail = pOldMiddle;
        scroll.u32BottomThumbNailPosition = scroll.u32MiddleThumbNailPosition;
        scroll.u32MiddleThumbNailPosition = scroll.u32TopThumbNailPosition;
        vFill(s_psCurrentThumbnail, n().eFindPreviousThumbNail, &scroll.u32TopThumbNailPosition);
        n().vRequestThumbnailLoad(s_psCurrentThumbnail);
        s_ePreviousThumbNail = ePeek(n().eFindPreviousThumbNail, scroll.u32TopThumbNailPosition);
        n().vUpdateSnapshotMenu();
        return;
    }
    if (s_eSRViewState == SR_VIEW_THUMBNAILS && scroll.u32TopThumbNailPosition == 1) {
        vGoodClick();
        vEmpty(s_psNextThumbnail);
        vEmpty(s_psNextNextThumbnail);
        vFill(s_psCurrentThumbnail, n().eFindLastThumbNail, &scroll.u32TopThumbNailPosition);
        n().vRequestThumbnailLoad(s_psCurrentThumbnail);
        s_ePreviousThumbNail = ePeek(n().eFindPreviousThumbNail, scroll.u32TopThumbNailPosition);
        n().vUpdateSnapshotMenu();
        return;
    }
    if (s_eSRViewState == SR_VIEW_FULLIMAGE &&
        (s_ePreviousThumbNailImage != THUMBNAIL_NONE || s_eNextThumbNailImage != THUMBNAIL_NONE)) {
        vGoodClick();
        vStepFullImage(n().eFindPreviousThumbNailImage, n().u32ThumbNailsInList() + 1);
        return;
    }
    vBadClick();
}

void vSouth(void)
{
    s_ScreenCaptureScrollInfo.eScrollState = THUMBNAIL_SCROLL_STATE_DOWN;
    T_VIEW_vHandleRefreshDisplay();
    THUMBNAIL_SCROLL_INFO& scroll = s_ScreenCaptureScrollInfo;
    if (s_eSRViewState == SR_VIEW_THUMBNAILS && s_psNextThumbnail->eType != THUMBNAIL_NONE) {
        vGoodClick();
        THUMBNAIL_HEADER_TYPE* pOldTop = s_psCurrentThumbnail;
        THUMBNAIL_HEADER_TYPE* pOldMiddle = s_psNextThumbnail;
        THUMBNAIL_HEADER_TYPE* pOldBottom = s_psNextNextThumbnail;
        s_psCurrentThumbnail = pOldMiddle;
        s_psNextThumbnail = pOldBottom;
        s_psNextNextThumbnail = pOldTop;
        s_ePreviousThumbNail = pOldTop->eType;
        scroll.u32TopThumbNailPosition = scroll.u32MiddleThumbNailPosition;
        scroll.u32MiddleThumbNailPosition = scroll.u32BottomThumbNailPosition;
        if (s_psNextThumbnail->eType == THUMBNAIL_NONE) {
            vEmpty(s_psNextNextThumbnail);
        } else {
            vFill(s_psNextNextThumbnail, n().eFindNextThumbNail, &scroll.u32BottomThumbNailPosition);
            n().vRequestThumbnailLoad(s_psNextNextThumbnail);
        }
        n().vUpdateSnapshotMenu();
        return;
    }
    if (s_eSRViewState == SR_VIEW_THUMBNAILS && scroll.u32TopThumbNailPosition == n().u32ThumbNailsInList()) {
        vGoodClick();
        s_bInitialThumbNailSearch = TRUE;
        vEmpty(s_psCurrentThumbnail);
        vEmpty(s_psNextThumbnail);
        vEmpty(s_psNextNextThumbnail);
        return;
    }
    if (s_eSRViewState == SR_VIEW_FULLIMAGE &&
        (s_ePreviousThumbNailImage != THUMBNAIL_NONE || s_eNextThumbNailImage != THUMBNAIL_NONE)) {
        vGoodClick();
        vStepFullImage(n().eFindNextThumbNailImage, 0);
        return;
    }
    vBadClick();
}

void vOpenFullImage(void)
{
    // Held out of s_pFileImage while the request is made, so that the
    // view-key task cannot give it back in between; once it is back, a
    // release moves the request id on and the load is skipped.
    BITMAP* pImage = s_pFileImage.exchange(nullptr);
    if (pImage == nullptr) {
        U32* pu32Page = H_DISPLAY_pu32GetDisplayBuffer();
        if (pu32Page == nullptr) {
            vBadClick();
            return;
        }
        pImage = G_BUFFERS_pCreateFullScreenBitmapHeader();
        if (pImage == nullptr) {
            H_DISPLAY_vFreeDisplayBuffer(pu32Page);
            vBadClick();
            return;
        }
        pImage->pBuffer = pu32Page;
    }
    const U32 u32Top = s_ScreenCaptureScrollInfo.u32TopThumbNailPosition;
    s_ePreviousThumbNailImage = ePeek(n().eFindPreviousThumbNailImage, u32Top);
    s_eNextThumbNailImage = ePeek(n().eFindNextThumbNailImage, u32Top);
    char* pcName = pcWithExtension(s_psCurrentThumbnail->sName, "PNG");
    auto* pMail = static_cast<MSG_LOAD_BMP*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_LOAD_BMP)));
    MBOX mboxCard = 0;
    const bool bSend = pcName != nullptr && pMail != nullptr && bFetchCardMailbox(&mboxCard);
    if (bSend) {
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->header.Cmd = CMD_ID_LOAD_BMP;
        pMail->pBitmap = pImage;
        pMail->pcName = pcName;
        pMail->u32RequestId = s_u32LatestRequestID.fetch_add(1) + 1;
        pMail->pu32LatestRequestId = &s_u32LatestRequestID;
    }
    s_pFileImage = pImage;
    if (bSend && L_MBOX_Send(mboxCard, &pMail->header.msghdr, CARD_MAIL_PRIORITY, 0) == 0) {
        pcName = nullptr;
        pMail = nullptr;
    }
    if (pcName != nullptr)
        H_MEMORY_vFree(pcName);
    if (pMail != nullptr)
        H_MEMORY_vFree(pMail);
    T_VIEW_vSetSRViewState(SR_VIEW_FULLIMAGE);
    vGoodClick();
}

void vEast(void)
{
    if (s_eSRViewState == SR_VIEW_THUMBNAILS) {
        s_ScreenCaptureScrollInfo.eScrollState = THUMBNAIL_SCROLL_STATE_RIGHT;
        T_VIEW_vHandleRefreshDisplay();
        switch (s_psCurrentThumbnail->eType) {
        case THUMBNAIL_IMAGE_TYPE:
            if (s_psCurrentThumbnail->bWrongSizeThumbnail)
                vBadClick();
            else
                vOpenFullImage();
            return;
        case THUMBNAIL_RECORDING_TYPE: {
            char* pcName = pcWithExtension(s_psCurrentThumbnail->sName, "SON");
            if (pcName != nullptr && n().bOpenPlaybackFile(TRUE, pcName)) {
                T_VIEW_vSetSRViewState(SR_VIEW_PLAYBACK);
                vGoodClick();
            } else {
                vBadClick();
            }
            if (pcName != nullptr)
                H_MEMORY_vFree(pcName);
            return;
        }
        default:
            vBadClick();
            return;
        }
    }
    if (s_eSRViewState == SR_VIEW_PLAYBACK) {
        n().bUpdatePlaybackMode(CURSOR_EAST) ? vGoodClick() : vBadClick();
        return;
    }
    vBadClick();
}

void vWest(void)
{
    if (s_eSRViewState == SR_VIEW_FULLIMAGE) {
        if (s_pFileImage.load() != nullptr) {
            s_ScreenCaptureScrollInfo.eScrollState = THUMBNAIL_SCROLL_STATE_LEFT;
            T_VIEW_vHandleRefreshDisplay();
            T_VIEW_vReleaseReviewImage();
        }
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
        vGoodClick();
        return;
    }
    if (s_eSRViewState == SR_VIEW_PLAYBACK) {
        n().bUpdatePlaybackMode(CURSOR_WEST) ? vGoodClick() : vBadClick();
        return;
    }
    vBadClick();
}

void vCursor(CURSOR_POSITION cursor)
{
    switch (cursor) {
    case CURSOR_NORTH:
        vNorth();
        break;
    case CURSOR_SOUTH:
        vSouth();
        break;
    case CURSOR_EAST:
        vEast();
        break;
    case CURSOR_WEST:
        vWest();
        break;
    default:
        break;
    }
}

void vFollowPlaybackMode(U32 u32Mode)
{
    n().vUpdateProgressIcons(u32Mode);
    if (u32Mode >= 1 && u32Mode <= 16) {
        U32 u32Menu = 0;
        if (u32Mode == PLAYBACK_BEGIN || u32Mode == PLAYBACK_PAUSED_BEGIN)
            u32Menu = 1;
        else if (u32Mode == PLAYBACK_END || u32Mode == PLAYBACK_PAUSED_END)
            u32Menu = 2;
        else if (u32Mode == PLAYBACK_END_FILL)
            u32Menu = 3;
        s_u32PlaybackSpeedMenu = u32Menu;
    }
    n().vUpdatePlaybackSpeedState(TRUE, FALSE);
    n().vUpdateSnapshotMenu();
}

// The slot digit of a played file's name "...R<slot>...": the card task's
// names carry the slot after the path's "mmc".
int nPlaybackSlot(void)
{
    const char* pc = strstr(s_psCurrentThumbnail->sName, "mmc");
    if (pc != nullptr && (pc[3] == '0' || pc[3] == '1'))
        return pc[3] - '0';
    return -1;
}

void vFollowCard(U8 u8Slot, BOOLEAN bPresent)
{
    s_bInitialThumbNailSearch = TRUE;
    if (bPresent)
        return;
    const bool bRecordingThere = s_eSRViewState == SR_VIEW_RECORDING && s_u8DeviceNumber == u8Slot;
    const bool bPlayingThere = s_eSRViewState == SR_VIEW_PLAYBACK && nPlaybackSlot() == (int)u8Slot;
    if (bRecordingThere || bPlayingThere)
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
}

} // namespace

// ---- The view task's share ----

namespace t_view {

void vCaptureStart(void)
{
    for (int i = 0; i < 3; ++i) {
        s_aRecords[i] = {};
        s_aRecords[i].snapshot = &s_aSnapshotData[i];
        s_aRecords[i].recording = &s_aRecordingData[i];
    }
    s_psCurrentThumbnail = &s_aRecords[0];
    s_psNextThumbnail = &s_aRecords[1];
    s_psNextNextThumbnail = &s_aRecords[2];
    H_DATABASE_bUpdateValueBoolean(KEY_CSRE, FALSE, P_DEFAULT_SETTING);
    H_DATABASE_bUpdateValueU32(KEY_CPSP, PLAYBACK_STOP, P_DEFAULT_SETTING);
    H_DATABASE_bUpdateValueU32(KEY_CPSM, CPSM_DEFAULT, P_DEFAULT_SETTING);
    for (FOURCHARID key : {KEY_CSRE, KEY_CPSP, KEY_CPSM, KEY_IPRA, KEY_CSD0, KEY_CSD1})
        H_DATABASE_bRegisterForDataWithConditions(key, VIEW_MAILBOX, TRUE, FALSE, FALSE);
    n().vUpdateProgressIcons(PLAYBACK_STOP);
}

void vCaptureRunSystem(bool bFirst)
{
    if (bFirst) {
        BOOLEAN bSuperUser = FALSE;
        BOOLEAN bValid = FALSE;
        if (H_DATABASE_bFetchBoolean(KEY_SMSU, &bSuperUser, &bValid, nullptr) && bValid && bSuperUser) {
            BOOLEAN bEnabled = TRUE;
            if (H_DATABASE_bFetchBoolean(KEY_SMSG, &bEnabled, &bValid, nullptr) && bValid) {
                s_bSimPlaybackMsgEnabled = bEnabled ? TRUE : FALSE;
            } else {
                H_DATABASE_bUpdateEverythingU32(KEY_SMSG, TRUE, P_NORMAL, D_UNKNOWN, &s_apcSimPlaybackMessages,
                                                DB_TIMEOUT_NEVER);
                s_bSimPlaybackMsgEnabled = TRUE;
            }
            static const TEXT_TABLE* const choices[] = {&Off_Text, &On_Text};
            static const U32 values[] = {0, 1};
            U_MENU_bRegisterMainSelectorMenu(&Sim_Playback_Messages, T_MENU_pSetupTabName, MENU_SIM_MSG_MODE,
                                             KEY_SMSG, 2, choices, values, M_BASIC);
            H_DATABASE_bRegisterForDataWithConditions(KEY_SMSG, VIEW_MAILBOX, TRUE, FALSE, FALSE);
        } else {
            s_bSimPlaybackMsgEnabled = TRUE;
        }
        H_DATABASE_bRegisterForDataWithConditions(KEY_CCST, VIEW_MAILBOX, TRUE, FALSE, FALSE);
        U32 u32State = 0;
        BOOLEAN bValid2 = FALSE;
        if (H_DATABASE_bFetchU32(KEY_CCST, &u32State, &bValid2, nullptr) && bValid2) {
            s_state = u32State;
            if (bMessageState(s_state) && s_bSimPlaybackMsgEnabled)
                vStartSimMessage();
        }
    }
    H_DATABASE_bUpdateEverythingU32(KEY_SCSC, 0, P_DEFAULT_SETTING, D_UNKNOWN, &s_apcScreenSnapshot,
                                    DB_TIMEOUT_NEVER);
    H_DATABASE_bRegisterForDataWithConditions(KEY_SCSC, VIEW_MAILBOX, TRUE, FALSE, FALSE);
    vSetMarkRegistration(u32Fetch(KEY_SCSC, 0));
    H_DATABASE_bUpdateEverythingU32(KEY_SVCR, TRUE, P_DEFAULT_SETTING, D_UNKNOWN, &s_apcReviewView,
                                    DB_TIMEOUT_NEVER);
    U_VIEW_bRegisterLayer(n().pfnDrawCaptureReviewView, CAPTURE_REVIEW_VIEW_PRIORITY, USED_BY_NONE, 0, KEY_SVCR,
                          TRUE, nullptr, nullptr, nullptr);
    if (n().pAccessoriesTab != nullptr) {
        static const TEXT_TABLE* const choices[] = {&Off_Text, &On_Text};
        static const U32 values[] = {0, SCSC_ON};
        U_MENU_bRegisterMainSelectorMenu(&Screen_Snapshot, n().pAccessoriesTab, MENU_SCREEN_CAPTURE, KEY_SCSC, 2,
                                         choices, values, M_BASIC);
    }
    U_MENU_bRegisterExpressMenu(CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
    n().vUpdateSnapshotMenu();
}

void vCaptureFactoryReset(void)
{
    vSetMarkRegistration(0);
    T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
}

bool bCaptureNewData(FOURCHARID key, const DB_DATA_TYPE& dbValue)
{
    const U32 u32Value = dbValue.u32Val;
    switch (key) {
    case KEY_SCSC:
        vSetMarkRegistration(u32Value);
        return true;
    case KEY_SMSG:
        s_bSimPlaybackMsgEnabled = u32Value != 0 ? TRUE : FALSE;
        if (bMessageState(s_state)) {
            if (s_bSimPlaybackMsgEnabled)
                vStartSimMessage();
            else
                vStopMessage();
        }
        return true;
    case KEY_CCST:
        vFollowState(u32Value);
        return true;
    case KEY_CSRE:
        vFollowSonarRecording(u32Value != 0 ? TRUE : FALSE);
        return true;
    case KEY_IPRA:
        vFollowTrackRecording(u32Value);
        return true;
    case KEY_CPSP:
        vFollowPlaybackMode(u32Value);
        return true;
    case KEY_CPSM:
        n().vUpdatePlaybackSpeedState(FALSE, TRUE);
        return true;
    case KEY_CSD0:
        vFollowCard(0, u32Value != 0 ? TRUE : FALSE);
        return true;
    case KEY_CSD1:
        vFollowCard(1, u32Value != 0 ? TRUE : FALSE);
        return true;
    default:
        return false;
    }
}

void vCaptureViewChanged(LAYER_ID view)
{
    if (view == CAPTURE_REVIEW_VIEW_PRIORITY && !s_bCursorRegistered) {
        s_bCursorRegistered =
            U_KEYBOARD_bRegisterKeys(VIEW_MAILBOX, KEY_CURSOR, KEY_DOWN, TRUE, FALSE, CURSOR_4, REGISTER_VIEW) != FALSE;
    } else if (view != CAPTURE_REVIEW_VIEW_PRIORITY && s_bCursorRegistered) {
        U_KEYBOARD_bUnregisterKeys(VIEW_MAILBOX, KEY_CURSOR);
        s_bCursorRegistered = false;
    }
    if (s_eSRViewState == SR_VIEW_FULLIMAGE)
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
}

void vCaptureKey(const MSG_KEY_CHANGE* pKey)
{
    if (pKey->key == KEY_MARK || pKey->key == KEY_SOFT_KEY_1)
        vTakeSnapshot(pKey->key);
    else if (pKey->key == KEY_CURSOR)
        vCursor(pKey->cursor);
    else
        vBadClick();
    vRequestFrame();
}

void vCapturePingStart(const MSG_PING_START* pMsg)
{
    s_u32RecordStartDateTime = pMsg->u32StartDateTime;
    if (s_eSRViewState != SR_VIEW_RECORDING)
        return;
    s_u32AvailCardSizeKB = pMsg->u32AvailableKB;
    s_u32TotalCardSizeKB = pMsg->u32CardSizeKB;
    s_u8DeviceNumber = pMsg->u8DeviceNumber;
    const size_t nRoot = strnlen(pMsg->acRootName, RECORD_ROOT_NAME_BYTES - 1);
    const size_t nCopy = nRoot < RECORD_FILENAME_BYTES - 5 ? nRoot : RECORD_FILENAME_BYTES - 5;
    memcpy(s_sRecordFilename, pMsg->acRootName, nCopy);
    memcpy(s_sRecordFilename + nCopy, ".SON", 5);
}

void vCaptureBlinkStep(void)
{
    const bool bRecording = s_bSonarRecordDispInProgress || s_bRumbrelRecordDispInProgress;
    const U32 u32Shown = bRecording ? RECORDING_SHOWN_S : SIM_SHOWN_S;
    const U32 u32Hidden = bRecording ? RECORDING_HIDDEN_S : SIM_HIDDEN_S;
    ++s_u32PhaseCount;
    ++s_u32BlinkSteps;
    if (s_bDisplaySimMessage) {
        if (s_u32PhaseCount < u32Shown)
            return;
        s_u32PhaseCount = 0;
        s_bDisplaySimMessage = FALSE;
        vRequestFrame();
        return;
    }
    if (s_u32PhaseCount < u32Hidden)
        return;
    s_u32PhaseCount = 0;
    if (s_bSonarRecordDispInProgress && s_bRumbrelRecordDispInProgress) {
        const BOOLEAN bSonarNext = s_bShowRumbrelRecMsg;
        s_bShowSonarRecMsg = bSonarNext;
        s_bShowRumbrelRecMsg = bSonarNext ? FALSE : TRUE;
    } else if (s_bSonarRecordDispInProgress) {
        s_bShowSonarRecMsg = TRUE;
        s_bShowRumbrelRecMsg = FALSE;
    } else {
        s_bShowSonarRecMsg = FALSE;
        s_bShowRumbrelRecMsg = s_bRumbrelRecordDispInProgress;
    }
    s_bDisplaySimMessage = TRUE;
    vRequestFrame();
}

U32 u32CaptureBlinkSteps(void) { return s_u32BlinkSteps; }

bool bCaptureFrozen(void) { return s_pFrozenBitmap != nullptr; }

void vCaptureFrozenRedraw(void)
{
    BITMAP* pFrozen = s_pFrozenBitmap.load();
    if (pFrozen == nullptr)
        return;
    U32* pu32Page = H_DISPLAY_pu32GetDisplayBuffer();
    if (pu32Page == nullptr)
        return;
    BITMAP* pPage = G_BUFFERS_pCreateFullScreenBitmapHeader();
    if (pPage == nullptr) {
        H_DISPLAY_vFreeDisplayBuffer(pu32Page);
        return;
    }
    pPage->pBuffer = pu32Page;
    G_BMP_vCopyRegion(pFrozen, pPage, 0, 0, FRAME_WIDTH);
    for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr; p = p->next) {
        if (p->layer != ALARM_LAYER && p->layer != MMC_MESSAGE_LAYER && p->layer != MMC_ORVANE_MESSAGE)
            continue;
        s_windowSpec.u32User = p->user;
        p->pDrawFunction(pPage, &s_windowSpec);
    }
    H_DISPLAY_vDisplayBitmap(pPage);
    G_BUFFERS_vFreeFullScreenBitmapHeader(pPage);
}

void vCaptureRelease(void)
{
    if (s_pFrozenTimer != nullptr)
        L_TIMER_Stop(s_pFrozenTimer);
    if (BITMAP* pFrozen = s_pFrozenBitmap.exchange(nullptr)) {
        G_BUFFERS_vFreeFullScreenBitmap(pFrozen);
        n().vToggleDisplayUpdateFreeze(FALSE);
    }
}

U32 u32CaptureSystemState(void) { return s_state; }

} // namespace t_view

// ---- Client calls ----

void T_VIEW_vSnapshotSaveComplete(void)
{
    s_eLatestThumbNailType = THUMBNAIL_IMAGE_TYPE;
    s_bOkToCapture = TRUE;
}

void T_VIEW_vRecordingSaveComplete(void)
{
    s_eLatestThumbNailType = THUMBNAIL_RECORDING_TYPE;
    s_bOkToCapture = TRUE;
}

void T_VIEW_vDeleteComplete(void) { s_bAllDeleted = TRUE; }

void T_VIEW_vDeleteAllComplete(void)
{
    s_bAllDeleted = TRUE;
    s_bInitialThumbNailSearch = TRUE;
}

void T_VIEW_vSetSRViewState(SR_VIEW_STATE eState)
{
    // The menu task (its actions) and this task (the playback mode) both
    // change the state: the change and the menus that follow it are made
    // under the menu task's lock, which nests for the menu task itself.
    L_MUTEX_LockWait(RES_MENU);
    const SR_VIEW_STATE eOld = s_eSRViewState;
    if (eState != eOld) {
        // What the change writes (recording, playback) happens before the
        // new state shows; the menus follow it.
        n().vSRViewStateChanging(eOld, eState);
        s_eSRViewState = eState;
        n().vUpdateSnapshotMenu();
        vRequestFrame();
    }
    L_MUTEX_Unlock(RES_MENU);
}

T_VIEW_REVIEW T_VIEW_tReview(void)
{
    return T_VIEW_REVIEW{&s_psCurrentThumbnail,     &s_psNextThumbnail,       &s_psNextNextThumbnail,
                         &s_ScreenCaptureScrollInfo, &s_ePreviousThumbNail,   &s_ePreviousThumbNailImage,
                         &s_eNextThumbNailImage,    &s_bInitialThumbNailSearch, &s_eLatestThumbNailType,
                         &s_bAllDeleted,            &s_pFileImage,            &s_u32LatestRequestID,
                         &s_u32RecordStartDateTime, &s_u32AvailCardSizeKB,    &s_u32TotalCardSizeKB,
                         s_sRecordFilename};
}

SR_VIEW_STATE T_VIEW_eGetSRViewState(void) { return s_eSRViewState; }

BITMAP* T_VIEW_pTakeReviewImage(void)
{
    BITMAP* pImage = s_pFileImage.exchange(nullptr);
    if (pImage != nullptr)
        s_u32LatestRequestID.fetch_add(1);
    return pImage;
}

void T_VIEW_vReleaseReviewImage(void)
{
    BITMAP* pImage = T_VIEW_pTakeReviewImage();
    if (pImage == nullptr)
        return;
    H_DISPLAY_vFreeDisplayBuffer(pImage->pBuffer);
    G_BUFFERS_vFreeFullScreenBitmapHeader(pImage);
}

BOOLEAN T_VIEW_bDisplaySimMessage(void) { return s_bDisplaySimMessage; }
BOOLEAN T_VIEW_bShowSonarRecordingMessage(void) { return s_bShowSonarRecMsg; }
BOOLEAN T_VIEW_bShowTrackRecordingMessage(void) { return s_bShowRumbrelRecMsg; }
BOOLEAN T_VIEW_bScreenFrozen(void) { return s_pFrozenBitmap != nullptr ? TRUE : FALSE; }
U32 T_VIEW_u32PlaybackSpeedMenu(void) { return s_u32PlaybackSpeedMenu; }

const THUMBNAIL_HEADER_TYPE* T_VIEW_psThumbnail(U32 u32Place)
{
    switch (u32Place) {
    case 0:
        return s_psCurrentThumbnail;
    case 1:
        return s_psNextThumbnail;
    default:
        return s_psNextNextThumbnail;
    }
}

const THUMBNAIL_SCROLL_INFO* T_VIEW_psScrollInfo(void) { return &s_ScreenCaptureScrollInfo; }

BOOLEAN T_VIEW_bRequestSnapshotImage(BITMAP** ppDestination, const char* pcName, SEMA sSema,
                                     MSG_LOAD_BMP** ppSent)
{
    if (ppDestination == nullptr || pcName == nullptr || ppSent == nullptr)
        return FALSE;
    *ppSent = nullptr;
    if (*ppDestination == nullptr) {
        U32* pu32Page = H_DISPLAY_pu32GetDisplayBuffer();
        if (pu32Page == nullptr)
            return FALSE;
        BITMAP* pImage = G_BUFFERS_pCreateFullScreenBitmapHeader();
        if (pImage == nullptr) {
            H_DISPLAY_vFreeDisplayBuffer(pu32Page);
            return FALSE;
        }
        pImage->pBuffer = pu32Page;
        *ppDestination = pImage;
    }
    G_BMP_vSet(*ppDestination, gCOLOR_pcolColorTable[COLOR_NO_IMAGE]);
    MBOX mboxCard = 0;
    if (!bFetchCardMailbox(&mboxCard))
        return FALSE;
    char* pcFile = pcWithExtension(pcName, "PNG");
    auto* pMail = static_cast<MSG_LOAD_BMP*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_LOAD_BMP)));
    if (pcFile == nullptr || pMail == nullptr) {
        if (pcFile != nullptr)
            H_MEMORY_vFree(pcFile);
        if (pMail != nullptr)
            H_MEMORY_vFree(pMail);
        return FALSE;
    }
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->header.Cmd = CMD_ID_LOAD_BMP;
    pMail->pBitmap = *ppDestination;
    pMail->pcName = pcFile;
    pMail->u32RequestId = s_u32LatestRequestID.fetch_add(1) + 1;
    pMail->pu32LatestRequestId = &s_u32LatestRequestID;
    if (L_MBOX_Send(mboxCard, &pMail->header.msghdr, CARD_MAIL_PRIORITY, sSema) != 0) {
        H_MEMORY_vFree(pcFile);
        H_MEMORY_vFree(pMail);
        return FALSE;
    }
    *ppSent = pMail;
    return TRUE;
}

void T_VIEW_vSearchThumbnails(void)
{
    if (!s_bInitialThumbNailSearch)
        return;
    s_bInitialThumbNailSearch = FALSE;
    THUMBNAIL_SCROLL_INFO& scroll = s_ScreenCaptureScrollInfo;
    THUMBNAIL_HEADER_TYPE* const apRecord[3] = {s_psCurrentThumbnail, s_psNextThumbnail, s_psNextNextThumbnail};
    U32* const apu32Position[3] = {&scroll.u32TopThumbNailPosition, &scroll.u32MiddleThumbNailPosition,
                                   &scroll.u32BottomThumbNailPosition};
    U32 u32Position = 0;
    scroll.nThumbNailsDisplayed = 0;
    for (int i = 0; i < 3; ++i) {
        vFill(apRecord[i], n().eFindNextThumbNail, &u32Position);
        *apu32Position[i] = apRecord[i]->eType != THUMBNAIL_NONE ? u32Position : 0;
        if (apRecord[i]->eType == THUMBNAIL_NONE) {
            for (int j = i + 1; j < 3; ++j) {
                vEmpty(apRecord[j]);
                *apu32Position[j] = 0;
            }
            break;
        }
        ++scroll.nThumbNailsDisplayed;
        n().vRequestThumbnailLoad(apRecord[i]);
    }
    s_ePreviousThumbNail = THUMBNAIL_NONE;
    n().vUpdateSnapshotMenu();
}
