// The capture review's controls: what each change of the screen state
// writes, the hot menus of each state, the playback mode "CPSP" and its
// menu twin "CPSM", the mode icons and the menu actions.
//
// The data-store writes are how the other tasks learn of a change: the
// processing task opens and closes the card recording on "CSRE", the ping
// task follows "CPSP" and "CCST", the history task "CCST" and "SSQS".
#include "sonar/review/t_view_review.h"
#include "sonar/review/t_view_review_state.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "ui/t_menu.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"

#include <cstring>

using namespace t_view_review;

namespace {

constexpr FOURCHARID KEY_CSRE = FCID("CSRE");
constexpr FOURCHARID KEY_CPSP = FCID("CPSP");
constexpr FOURCHARID KEY_CPSM = FCID("CPSM");
constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_SSPS = FCID("SSPS");
constexpr FOURCHARID KEY_SSQS = FCID("SSQS");
constexpr FOURCHARID KEY_CRST = FCID("CRST");

constexpr U32 SYSTEM_STATE_PLAYBACK = 11;
constexpr U32 CHART_PLUS_KEELVIEW_VIEW = 33;
constexpr PRIORITY MENU_MAIL_PRIORITY = 3;
constexpr U32 CURSOR_EAST_KEY = 3;

constexpr MENU_PRIORITY MENU_START_RECORDING = (MENU_PRIORITY)102;
constexpr MENU_PRIORITY MENU_DELETE_IMAGE = (MENU_PRIORITY)104;
constexpr MENU_PRIORITY MENU_DELETE_RECORDING = (MENU_PRIORITY)105;
constexpr MENU_PRIORITY MENU_DELETE_ALL_IMAGES = (MENU_PRIORITY)106;
constexpr MENU_PRIORITY MENU_DELETE_ALL_RECORDINGS = (MENU_PRIORITY)107;
constexpr MENU_PRIORITY MENU_STOP_RECORDING = (MENU_PRIORITY)19;
constexpr MENU_PRIORITY MENU_STOP_PLAYBACK = (MENU_PRIORITY)17;
constexpr MENU_PRIORITY MENU_PLAYBACK_SPEED = (MENU_PRIORITY)18;
constexpr LAYER_ID EVERY_VIEW = -1;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Start_Recording = ALL_LANGUAGES("Start Recording");
TEXT_TABLE Stop_Recording = ALL_LANGUAGES("Stop Recording");
TEXT_TABLE Delete_Image = ALL_LANGUAGES("Delete Image");
TEXT_TABLE Delete_Recording = ALL_LANGUAGES("Delete Recording");
TEXT_TABLE Delete_All_Images = ALL_LANGUAGES("Delete All Images");
TEXT_TABLE Delete_All_Recordings = ALL_LANGUAGES("Delete All Recordings");
TEXT_TABLE Pings_Per_Second = ALL_LANGUAGES("Pings Per Second");
TEXT_TABLE Stop_Playback = ALL_LANGUAGES("Stop Playback");
TEXT_TABLE Playback_Speed = ALL_LANGUAGES("Playback Speed");
TEXT_TABLE Auto = ALL_LANGUAGES("Auto");

// The recording's ping rate: 1-10 pings per second, 11 for no limit.
const MENU_LIMITS PING_RATE_LIMITS[1] = {{U_NONE, 1.0f, 11.0f, 1.0f}};


U32 su32PriorToPlaybackState = 0;
U32 su32PreviousState = SR_VIEW_THUMBNAILS;
THUMBNAIL_TYPE sePreviousStateThumbNail = THUMBNAIL_NONE;
U32 su32PrevPlaybackSpeedMenu = 0;
bool bInited = false;

void vUpdateSnapshotMenuLocked(void);

void vGoodClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_GOOD); }
void vBadClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_BAD); }

U32 u32Read(FOURCHARID key, U32 u32Default)
{
    U32 u32Value = u32Default;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &u32Value, &bValid, nullptr) || !bValid)
        return u32Default;
    return u32Value;
}

// Writes at priority 2, making the key when it is missing.
void vWrite(FOURCHARID key, U32 u32Value)
{
    if (!H_DATABASE_bUpdateValueU32(key, u32Value, P_NORMAL))
        H_DATABASE_bUpdateEverythingU32(key, u32Value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

THUMBNAIL_TYPE eSelectedType(void)
{
    const T_VIEW_REVIEW r = T_VIEW_tReview();
    return (*r.ppsCurrentThumbnail)->eType;
}

const ICON* const* ppSpeedIcons(U32 u32Variant, U32* pu32Count, const U32** ppu32Values)
{
    static const U32 au32All[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    static const ICON* apIcons[11] = {};
    if (apIcons[0] == nullptr) {
        const MODE_ICON aeIcons[11] = {MODE_ICON::REW,   MODE_ICON::REW2,     MODE_ICON::REW1,
                                       MODE_ICON::PLAYREV, MODE_ICON::PLAYREWSLOW, MODE_ICON::PAUSE,
                                       MODE_ICON::PLAYSLOW, MODE_ICON::PLAY,  MODE_ICON::FFW1,
                                       MODE_ICON::FFW2,  MODE_ICON::FFW2};
        for (int i = 0; i < 11; ++i)
            apIcons[i] = pModeIcon(aeIcons[i], MODE_LOOK::INACTIVE);
    }
    switch (u32Variant) {
    case 1: // 6-11
        *pu32Count = 6;
        *ppu32Values = &au32All[5];
        return &apIcons[5];
    case 2: // 1-6
        *pu32Count = 6;
        *ppu32Values = &au32All[0];
        return &apIcons[0];
    case 3: // 11
        *pu32Count = 1;
        *ppu32Values = &au32All[10];
        return &apIcons[10];
    default:
        *pu32Count = 11;
        *ppu32Values = &au32All[0];
        return &apIcons[0];
    }
}

void vRegisterSpeedMenu(U32 u32Variant)
{
    U32 u32Count = 0;
    const U32* pu32Values = nullptr;
    const ICON* const* ppIcons = ppSpeedIcons(u32Variant, &u32Count, &pu32Values);
    U_MENU_bRegisterHotIconSelectorMenu(&Playback_Speed, pModeIcon(MODE_ICON::PLAY, MODE_LOOK::INACTIVE),
                                        MENU_PLAYBACK_SPEED, KEY_CPSM, u32Count, ppIcons, pu32Values, M_BASIC,
                                        EVERY_VIEW, SPLIT_FULL_WINDOW);
}

void vWithdraw(U32 u32State, THUMBNAIL_TYPE eType)
{
    switch (u32State) {
    case SR_VIEW_INIT:
    case SR_VIEW_THUMBNAILS:
    case SR_VIEW_FULLIMAGE:
        U_MENU_bUnregisterHotMenuItem(&Start_Recording, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        if (eType == THUMBNAIL_IMAGE_TYPE)
            U_MENU_bUnregisterHotMenuItem(&Delete_Image, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        else if (eType == THUMBNAIL_RECORDING_TYPE)
            U_MENU_bUnregisterHotMenuItem(&Delete_Recording, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        U_MENU_bUnregisterHotMenuItem(&Delete_All_Images, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        U_MENU_bUnregisterHotMenuItem(&Delete_All_Recordings, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        U_MENU_bUnregisterHotMenuItem(&Pings_Per_Second, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        break;
    case SR_VIEW_PLAYBACK:
        U_MENU_bUnregisterHotMenuItem(&Stop_Playback, EVERY_VIEW, SPLIT_FULL_WINDOW);
        U_MENU_bUnregisterHotMenuItem(&Playback_Speed, EVERY_VIEW, SPLIT_FULL_WINDOW);
        break;
    case SR_VIEW_RECORDING:
        U_MENU_bUnregisterHotMenuItem(&Stop_Recording, EVERY_VIEW, SPLIT_FULL_WINDOW);
        U_MENU_bUnregisterHotMenuItem(&Pings_Per_Second, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        break;
    default:
        break;
    }
}

void vRegisterPingRate(void)
{
    U_MENU_bRegisterHotProgBarMenu(&Pings_Per_Second, nullptr, MENU_PING_RATE, FCID("SRPS"), PING_RATE_LIMITS,
                                   nullptr, &Auto, nullptr, M_BASIC, CAPTURE_REVIEW_VIEW_PRIORITY,
                                   SPLIT_FULL_WINDOW);
}

void vRegister(SR_VIEW_STATE eState, THUMBNAIL_TYPE eType)
{
    switch (eState) {
    case SR_VIEW_THUMBNAILS:
    case SR_VIEW_FULLIMAGE:
        U_MENU_bRegisterHotActionMenu(&Start_Recording, pModeIcon(MODE_ICON::REC, MODE_LOOK::ACTIVE),
                                      MENU_START_RECORDING, T_VIEW_vToggleRecordingState, FALSE, M_BASIC,
                                      CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        if (eType == THUMBNAIL_IMAGE_TYPE)
            U_MENU_bRegisterHotActionMenu(&Delete_Image, nullptr, MENU_DELETE_IMAGE, T_VIEW_vDeleteCurrentImage, TRUE,
                                          M_BASIC, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        else if (eType == THUMBNAIL_RECORDING_TYPE)
            U_MENU_bRegisterHotActionMenu(&Delete_Recording, nullptr, MENU_DELETE_RECORDING,
                                          T_VIEW_vDeleteCurrentImage, TRUE, M_BASIC, CAPTURE_REVIEW_VIEW_PRIORITY,
                                          SPLIT_FULL_WINDOW);
        U_MENU_bRegisterHotActionMenu(&Delete_All_Images, nullptr, MENU_DELETE_ALL_IMAGES, T_VIEW_vDeleteAllImages,
                                      TRUE, M_BASIC, CAPTURE_REVIEW_VIEW_PRIORITY, SPLIT_FULL_WINDOW);
        U_MENU_bRegisterHotActionMenu(&Delete_All_Recordings, nullptr, MENU_DELETE_ALL_RECORDINGS,
                                      T_VIEW_vDeleteAllRecordings, TRUE, M_BASIC, CAPTURE_REVIEW_VIEW_PRIORITY,
                                      SPLIT_FULL_WINDOW);
        vRegisterPingRate();
        break;
    case SR_VIEW_RECORDING:
        vRegisterPingRate();
        U_MENU_bRegisterHotActionMenu(&Stop_Recording, pModeIcon(MODE_ICON::STOP, MODE_LOOK::ACTIVE),
                                      MENU_STOP_RECORDING, T_VIEW_vToggleRecordingState, FALSE, M_BASIC, EVERY_VIEW,
                                      SPLIT_FULL_WINDOW);
        break;
    case SR_VIEW_PLAYBACK:
        U_MENU_bRegisterHotActionMenu(&Stop_Playback, pModeIcon(MODE_ICON::STOP, MODE_LOOK::ACTIVE),
                                      MENU_STOP_PLAYBACK, T_VIEW_vStopPlayback, FALSE, M_BASIC, EVERY_VIEW,
                                      SPLIT_FULL_WINDOW);
        vRegisterSpeedMenu(T_VIEW_u32PlaybackSpeedMenu());
        break;
    default:
        break;
    }
}

// Browsing states with a file selected offer the deletions.
bool bFileSelected(void) { return eSelectedType() != THUMBNAIL_NONE; }

void vRequestDeletion(std::atomic<BOOLEAN>* pbRequest)
{
    const SR_VIEW_STATE e = T_VIEW_eGetSRViewState();
    if ((e != SR_VIEW_THUMBNAILS && e != SR_VIEW_FULLIMAGE) || !bFileSelected()) {
        vBadClick();
        return;
    }
    *pbRequest = TRUE;
    vGoodClick();
    if (e == SR_VIEW_FULLIMAGE) {
        T_VIEW_vReleaseReviewImage();
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
    }
}

} // namespace

// ---- State changes ----

void T_VIEW_vSRViewStateChanging(SR_VIEW_STATE eOld, SR_VIEW_STATE eNew)
{
    if (eNew == eOld)
        return;
    if (eNew == SR_VIEW_RECORDING) {
        H_DATABASE_bUpdateValueBoolean(KEY_CSRE, TRUE, P_NORMAL);
        vWrite(KEY_CPSP, PLAYBACK_MODE_RECORD);
    }
    if (eOld == SR_VIEW_RECORDING) {
        BOOLEAN bRecording = FALSE;
        if (H_DATABASE_bFetchBoolean(KEY_CSRE, &bRecording, nullptr, nullptr) && bRecording)
            H_DATABASE_bUpdateValueBoolean(KEY_CSRE, FALSE, P_NORMAL);
    }
    if (eOld == SR_VIEW_PLAYBACK) {
        vWrite(KEY_CCST, su32PriorToPlaybackState);
        vWrite(KEY_CVEW, (U32)CAPTURE_REVIEW_VIEW_PRIORITY);
    }
    if (eNew == SR_VIEW_PLAYBACK) {
        DB_DATA_TYPE dbStep;
        if (H_DATABASE_bFetch(KEY_SSPS, &dbStep, nullptr, nullptr))
            H_DATABASE_bUpdateEverythingU32(KEY_SSQS, dbStep.u32Val, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        su32PriorToPlaybackState = u32Read(KEY_CCST, 0);
        vWrite(KEY_CCST, SYSTEM_STATE_PLAYBACK);
        vWrite(KEY_CPSP, PLAYBACK_MODE_FORWARD);
        const T_VIEW_REVIEW r = T_VIEW_tReview();
        const THUMBNAIL_HEADER_TYPE* pTop = *r.ppsCurrentThumbnail;
        const U32 u32Start = pTop->recording != nullptr ? pTop->recording->RecordingStartWaypoint.u32DateTime : 0;
        H_DATABASE_bUpdateEverythingU32(KEY_CRST, u32Start, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        vWrite(KEY_CVEW, CHART_PLUS_KEELVIEW_VIEW);
    }
    if (eNew != SR_VIEW_RECORDING && eNew != SR_VIEW_PLAYBACK)
        vWrite(KEY_CPSP, PLAYBACK_MODE_STOP);
    if (eNew == SR_VIEW_RECORDING || eNew == SR_VIEW_PLAYBACK)
        vClearStatistics();
}

// ---- Hot menus ----

// The view task (playback mode) and the menu task (its actions) both come
// here: the menus are followed under the menu task's lock.
void T_VIEW_vUpdateSnapshotMenu(void)
{
    L_MUTEX_LockWait(RES_MENU);
    vUpdateSnapshotMenuLocked();
    L_MUTEX_Unlock(RES_MENU);
}

namespace {

void vUpdateSnapshotMenuLocked(void)
{
    const SR_VIEW_STATE eState = T_VIEW_eGetSRViewState();
    if (eState == SR_VIEW_INIT) {
        // The first menu update ends the initial state; that change comes
        // back here.
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
        if (T_VIEW_eGetSRViewState() != SR_VIEW_INIT)
            return;
    }
    const THUMBNAIL_TYPE eType = eSelectedType();
    const U32 u32Variant = T_VIEW_u32PlaybackSpeedMenu();
    if (bInited && (U32)eState == su32PreviousState && eType == sePreviousStateThumbNail) {
        if (eState == SR_VIEW_PLAYBACK && u32Variant != su32PrevPlaybackSpeedMenu) {
            vRegisterSpeedMenu(u32Variant);
            su32PrevPlaybackSpeedMenu = u32Variant;
        }
        return;
    }
    vWithdraw(su32PreviousState, sePreviousStateThumbNail);
    vRegister(eState == SR_VIEW_INIT ? SR_VIEW_THUMBNAILS : eState, eType);
    su32PreviousState = eState == SR_VIEW_INIT ? (U32)SR_VIEW_THUMBNAILS : (U32)eState;
    sePreviousStateThumbNail = eType;
    su32PrevPlaybackSpeedMenu = u32Variant;
    bInited = true;
}

} // namespace

// ---- Playback mode ----

BOOLEAN T_VIEW_bUpdatePlaybackMode(U32 u32Direction)
{
    const U32 u32Mode = u32Read(KEY_CPSP, PLAYBACK_MODE_STOP);
    const bool bRight = u32Direction == CURSOR_EAST_KEY;
    U32 u32New = 0;
    if (u32Mode == 2)
        u32New = bRight ? 3 : 0;
    else if (u32Mode >= 3 && u32Mode <= 9)
        u32New = bRight ? u32Mode + 1 : u32Mode - 1;
    else if (u32Mode == 10)
        u32New = bRight ? 0 : 9;
    else if (u32Mode == 15)
        u32New = bRight ? 7 : 0;
    else if (u32Mode == 16)
        u32New = bRight ? 0 : 5;
    if (u32New == 0)
        return FALSE;
    vWrite(KEY_CPSP, u32New);
    return TRUE;
}

void T_VIEW_vUpdatePlaybackSpeedState(BOOLEAN bCPSPChanged, BOOLEAN bCPSMChanged)
{
    const U32 u32Mode = u32Read(KEY_CPSP, PLAYBACK_MODE_STOP);
    const U32 u32Menu = u32Read(KEY_CPSM, 6);
    if (u32Mode == u32Menu)
        return;
    if (bCPSMChanged) {
        if ((u32Menu >= 1 && u32Menu <= 5) || (u32Menu >= 7 && u32Menu <= 11))
            vWrite(KEY_CPSP, u32Menu);
        else if (u32Menu == 6 && u32Mode != 15 && u32Mode != 16)
            vWrite(KEY_CPSP, 6);
        return;
    }
    if (bCPSPChanged) {
        if (u32Mode >= 1 && u32Mode <= 11)
            vWrite(KEY_CPSM, u32Mode);
        else if (u32Mode == 15 || u32Mode == 16)
            vWrite(KEY_CPSM, 6);
    }
}

void T_VIEW_vUpdateProgressIcons(U32 u32PlaybackMode) { vChooseProgressIcons(u32PlaybackMode); }

// ---- Menu actions ----

void T_VIEW_vToggleRecordingState(void)
{
    const SR_VIEW_STATE e = T_VIEW_eGetSRViewState();
    if (e == SR_VIEW_THUMBNAILS || e == SR_VIEW_FULLIMAGE) {
        T_VIEW_vSetSRViewState(SR_VIEW_RECORDING);
    } else if (e == SR_VIEW_RECORDING) {
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
        vGoodClick();
    }
}

void T_VIEW_vStopPlayback(void)
{
    if (T_VIEW_eGetSRViewState() != SR_VIEW_PLAYBACK) {
        vBadClick();
        return;
    }
    if (U_VIEW_eCurrentView() == CAPTURE_REVIEW_VIEW_PRIORITY) {
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
        vGoodClick();
        return;
    }
    // An exit key closes the menu open over the other view.
    auto* pMail = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_KEY_CHANGE)));
    if (pMail != nullptr) {
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->header.Cmd = CMD_ID_KEY_CHANGE;
        pMail->key = KEY_EXIT;
        pMail->state = KEY_DOWN;
        pMail->count = 0;
        pMail->cursor = CURSOR_ILLEGAL;
        pMail->flag = 0;
        if (L_MBOX_Send(MENU_MAILBOX, &pMail->header.msghdr, MENU_MAIL_PRIORITY, 0) != 0)
            H_MEMORY_vFree(pMail);
    }
    T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
}

void T_VIEW_vDeleteCurrentImage(void) { vRequestDeletion(&s_bDeleteCurrentImage); }
void T_VIEW_vDeleteAllImages(void) { vRequestDeletion(&s_bDeleteAllImages); }
void T_VIEW_vDeleteAllRecordings(void) { vRequestDeletion(&s_bDeleteAllRecordings); }
